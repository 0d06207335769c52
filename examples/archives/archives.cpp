// Files and archives: writes a text file, a binary file, an INI file and a
// picture with the file commands, packs them into an archive with sbxpack,
// deletes the loose files and reads everything back out of the archive.
// Each step and what it read is shown on the screen. Escape ends it.
//
//   archives                  sbxpack from PATH
//   archives --packer PATH    that sbxpack
//   archives [--packer PATH] --shot FILE   write the 20th frame and end
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/runtime.h"

namespace {

constexpr int kBadge = 1;
constexpr int kLoadedBadge = 2;
constexpr int kWhite = 0xFFFFFF, kGreen = 0x60FF60, kRed = 0x6060FF, kGrey = 0xB0B0B0;

struct Step {
  std::string text;
  bool ok;
};

// Entry names in an archive are base names, and asset names are looked up
// on disk (the current directory) before the archive: the names carry the
// process id so no loose file of that name is found first.
std::string Entry(const char* name) {
  return "archives_" + std::to_string(getpid()) + "_" + name;
}

class Demo {
 public:
  explicit Demo(std::string packer) : packer_(std::move(packer)) {
    dir_ = (std::filesystem::temp_directory_path() / ("archives-" + std::to_string(getpid())))
               .string() +
           "/";
    std::filesystem::create_directories(dir_);
  }

  void Run() {
    WriteLooseFiles();
    if (Pack()) ReadFromArchive();
    // Everything read is held in memory now: the folder goes at once, so
    // nothing is left behind however the program ends.
    SetArchiveFiles(RtString(""), RtString(""));
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  void ReadFromArchive() {
    // The loose files go; what follows can only come from the archive.
    for (const char* name : {"notes.txt", "scores.bin", "setup.ini", "badge.bmp"})
      DeleteFile(RtString((dir_ + Entry(name)).c_str()));
    SetArchiveFiles(RtString((dir_ + "demo.sbx").c_str()), RtString(""));
    ReadBack();
  }

  void Draw() const {
    FillRect(0, 0, 320, 240, 0x302018);
    DrawText(RtString("files -> sbxpack -> archive"), 8, 6);
    int y = 22;
    for (const Step& s : steps_) {
      DrawText(RtString(s.ok ? "ok " : "!! "), 8, y);
      DrawText(RtString(s.text.c_str()), 32, y);
      y += 10;
    }
    y += 4;
    for (const std::string& line : readBack_) {
      DrawText(RtString(line.c_str()), 8, y);
      y += 10;
    }
    PutSprite(kBadge, 240, 150);
    PutSprite(kLoadedBadge, 276, 150);
    DrawText(RtString("disk"), 240, 190);
    DrawText(RtString("sbx"), 280, 190);
    // The colour of each line says how its step went.
    y = 22;
    for (const Step& s : steps_) {
      FillRect(2, y, 3, 8, s.ok ? kGreen : kRed);
      y += 10;
    }
  }

 private:
  void Note(const std::string& text, bool ok) { steps_.push_back({text, ok}); }

  void WriteLooseFiles() {
    const std::string notes = dir_ + Entry("notes.txt");
    const bool notesOk = OpenFile(0, RtString(notes.c_str()), 0) == 1;
    if (notesOk) {
      WriteLine(0, RtString("Packed files read as loose."));
      WriteLine(0, RtString("Second line."));
      CloseFile(0);
    }
    Note("wrote notes.txt (2 lines)", notesOk);

    const bool scoresOk = OpenFile(1, RtString((dir_ + Entry("scores.bin")).c_str()), 0) == 1;
    if (scoresOk) {
      WriteLong(1, 123456);
      WriteWord(1, -42);
      WriteDouble(1, 3.25);
      CloseFile(1);
    }
    Note("wrote scores.bin (3 numbers)", scoresOk);

    IniOpen(RtString((dir_ + Entry("setup.ini")).c_str()));
    IniPut(RtString("player"), RtString("name"), RtString("Ada"));
    IniPut(RtString("player"), RtString("level"), RtString("7"));
    IniOpen(RtString(""));  // writes setup.ini back
    Note("wrote setup.ini [player]", FileExists(RtString((dir_ + Entry("setup.ini")).c_str())));

    // A 32 x 32 badge drawn into a surface and written as a picture.
    CreateOffscreenSurface(0, kBadge, 32, 32);
    SelectSurface(0);
    FillRect(0, 0, 32, 32, 0x8000FF);  // the colour key: transparent
    for (int r = 15; r > 0; r -= 3) FillRect(16 - r, 16 - r, 2 * r, 2 * r, r * 16 | 0x2080 << 8);
    SelectSurface(-1);
    Note("wrote badge.bmp", SpriteToFile(RtString((dir_ + Entry("badge.bmp")).c_str()), kBadge));
  }

  bool Pack() {
    std::string command = "\"" + packer_ + "\" create --force \"" + dir_ + "demo.sbx\"";
    for (const char* name : {"notes.txt", "scores.bin", "setup.ini", "badge.bmp"})
      command += " \"" + dir_ + Entry(name) + "\"";
    double exitCode = 0;
    const bool started = RunProgram(RtString(command.c_str()), 1, 0, exitCode) == 1;
    if (!started) {
      Note("cannot start the packer: put", false);
      Note("sbxpack on PATH or pass", false);
      Note("--packer PATH", false);
      StdErr(RtString(("archives: cannot start " + packer_ + "\n").c_str()));
      return false;
    }
    std::ostringstream text;
    text << "sbxpack: " << FileSize(RtString((dir_ + "demo.sbx").c_str())) << " bytes";
    Note(text.str(), exitCode == 0);
    return exitCode == 0;
  }

  void ReadBack() {
    Note("loose files deleted, archive set",
         !FileExists(RtString((dir_ + Entry("notes.txt")).c_str())));
    bool ok = OpenFile(0, RtString(Entry("notes.txt").c_str()), 1) == 1;
    if (ok) {
      RtString line;
      ReadLine(0, line);
      readBack_.push_back(std::string("notes: ") + line.c_str());
      CloseFile(0);
    }
    Note("read notes.txt from the archive", ok);

    ok = OpenFile(1, RtString(Entry("scores.bin").c_str()), 1) == 1;
    if (ok) {
      int value = 0, word = 0;
      double number = 0;
      ReadLong(1, value);
      ReadWord(1, word);
      ReadDouble(1, number);
      CloseFile(1);
      std::ostringstream text;
      text << "scores: " << value << ", " << word << ", " << number;
      readBack_.push_back(text.str());
      ok = value == 123456 && word == -42 && number == 3.25;
    }
    Note("read scores.bin: same values", ok);

    IniOpen(RtString(Entry("setup.ini").c_str()));
    const RtString name = IniGet(RtString("player"), RtString("name"));
    const RtString level = IniGet(RtString("player"), RtString("level"));
    readBack_.push_back(std::string("ini: name=") + name.c_str() + " level=" + level.c_str());
    Note("read setup.ini", name == "Ada" && level == "7");

    Note("loaded badge.bmp as a sprite",
         SpriteFromFile(RtString(Entry("badge.bmp").c_str()), kLoadedBadge));
  }

  std::string packer_;
  std::string dir_;
  std::vector<Step> steps_;
  std::vector<std::string> readBack_;
};

}  // namespace

void ProgramStart(void* instance, void* previousInstance, const char* commandLine,
                  int showCommand) {
  std::istringstream args(commandLine);
  std::string packer = "sbxpack", shot, word;
  while (args >> word) {
    if (word == "--packer") args >> packer;
    if (word == "--shot") args >> shot;
  }
  ProjectSettings settings;
  settings.screenWidth = 320;
  settings.screenHeight = 240;
  settings.fullScreen = 0;
  SetProjectSettings(settings);
  EngineStart(instance, previousInstance, commandLine, showCommand, "Files and archives");
  if (!MainWindowHandle()) End();

  Demo demo(packer);
  demo.Run();
  for (int frame = 0;; ++frame) {
    demo.Draw();
    if (!shot.empty() && frame == 20) {
      ScreenToFile(RtString(shot.c_str()));
      End();
    }
    EndFrame();
  }
}
