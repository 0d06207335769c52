// Writes the seed corpora: for every fuzz target a folder of small, valid
// inputs made by our own writers (the image builders, the archive packer,
// objconv, the wire and hiscore encoders) or written out here, so the
// fuzzer starts from files that reach deep into each parser.
#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "convert.h"
#include "game/hiscores.h"
#include "host_drive.h"
#include "image_builders.h"
#include "obj_model.h"
#include "runtime/core/byte_order.h"
#include "runtime/files/archive_format.h"
#include "runtime/net/link_wire.h"

namespace {

using Bytes = std::vector<uint8_t>;

std::string g_root;
bool g_failed = false;

Bytes FromText(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

void Seed(const std::string& target, const std::string& name, const Bytes& bytes) {
  const std::string folder = g_root + "/" + target;
  mkdir(g_root.c_str(), 0755);
  mkdir(folder.c_str(), 0755);
  const std::string path = folder + "/" + name;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
    std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", path.c_str());
    g_failed = true;
  }
  if (f) std::fclose(f);
}

void Seed(const std::string& target, const std::string& name, const std::string& text) {
  Seed(target, name, FromText(text));
}

uint32_t Pattern(int x, int y) {
  return static_cast<uint32_t>((x * 40) & 0xFF) | static_cast<uint32_t>((y * 70) & 0xFF) << 8 |
         0x400000u;
}

void ImageSeeds() {
  Seed("image_bmp", "rgb24", testimg::MakeBmp24(5, 3, Pattern));
  for (uint16_t bits : {1, 4, 8, 32}) {
    testimg::BmpFields f;
    f.width = 7;
    f.height = bits == 32 ? -3 : 3;  // one top-down file
    f.bitCount = bits;
    if (bits <= 8) f.palette = {0x000000, 0xFF00FF, 0x00FF00, 0x123456};
    const size_t stride = ((bits * 7 + 31) / 32) * 4;
    for (size_t i = 0; i < stride * 3; ++i) f.pixelData.push_back(static_cast<uint8_t>(i * 37));
    Seed("image_bmp", "bits" + std::to_string(bits), testimg::MakeBmp(f));
  }
  testimg::BmpFields core;
  core.headerSize = 12;
  core.bitCount = 8;
  core.palette = {0xFF0000, 0x0000FF};
  core.pixelData = {0, 1, 0, 0, 1, 0, 0, 0};
  Seed("image_bmp", "core", testimg::MakeBmp(core));

  struct Kind {
    const char* name;
    int colourType, depth, channels;
  };
  const Kind kinds[] = {
      {"rgb", PNG_COLOR_TYPE_RGB, 8, 3},    {"rgba", PNG_COLOR_TYPE_RGB_ALPHA, 8, 4},
      {"gray", PNG_COLOR_TYPE_GRAY, 8, 1},  {"gray2", PNG_COLOR_TYPE_GRAY, 2, 1},
      {"rgb16", PNG_COLOR_TYPE_RGB, 16, 3}, {"gray_alpha", PNG_COLOR_TYPE_GRAY_ALPHA, 8, 2}};
  for (const Kind& k : kinds) {
    for (bool interlaced : {false, true}) {
      testimg::PngFields f;
      f.width = 6;
      f.height = 4;
      f.colourType = k.colourType;
      f.bitDepth = k.depth;
      f.interlaced = interlaced;
      const size_t rowBytes = (static_cast<size_t>(f.width) * k.channels * k.depth + 7) / 8;
      for (size_t i = 0; i < rowBytes * f.height; ++i)
        f.rows.push_back(static_cast<uint8_t>(i * 13));
      Seed("image_png", std::string(k.name) + (interlaced ? "_interlaced" : ""),
           testimg::MakePng(f));
    }
  }
  testimg::PngFields palette;
  palette.width = 4;
  palette.height = 2;
  palette.colourType = PNG_COLOR_TYPE_PALETTE;
  palette.bitDepth = 4;
  palette.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  palette.transparency = {0, 128};
  palette.rows = {0x01, 0x20, 0x12, 0x00};
  Seed("image_png", "palette_trns", testimg::MakePng(palette));
}

Bytes Wave(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, size_t frames,
           bool extra) {
  Bytes fmt;
  AppendLe16(fmt, tag == 3 || tag == 1 ? tag : 0xFFFE);
  AppendLe16(fmt, channels);
  AppendLe32(fmt, rate);
  AppendLe32(fmt, rate * channels * (bits / 8));
  AppendLe16(fmt, static_cast<uint16_t>(channels * (bits / 8)));
  AppendLe16(fmt, bits);
  if (tag != 1 && tag != 3) {  // extensible: the real tag leads the GUID
    AppendLe16(fmt, 22);
    AppendLe16(fmt, bits);
    AppendLe32(fmt, 3);
    AppendLe16(fmt, tag);
    for (int i = 0; i < 14; ++i) fmt.push_back(0);
  }
  Bytes data;
  for (size_t i = 0; i < frames * channels * (bits / 8); ++i)
    data.push_back(static_cast<uint8_t>(i * 29));
  Bytes out = FromText("RIFF");
  AppendLe32(out, 0);
  for (char c : std::string("WAVE")) out.push_back(static_cast<uint8_t>(c));
  auto chunk = [&out](const char* id, const Bytes& body) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
    AppendLe32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
  };
  if (extra) chunk("LIST", FromText("INFOx"));
  chunk("fmt ", fmt);
  if (extra) chunk("fact", {1, 0, 0, 0});
  chunk("data", data);
  StoreLe32(out.data() + 4, static_cast<uint32_t>(out.size() - 8));
  return out;
}

void WaveSeeds() {
  Seed("wav", "u8_mono_22k", Wave(1, 1, 22050, 8, 40, false));
  Seed("wav", "s16_stereo_44k", Wave(1, 2, 44100, 16, 30, true));
  Seed("wav", "s24_mono_48k", Wave(1, 1, 48000, 24, 20, false));
  Seed("wav", "s32_stereo_8k", Wave(1, 2, 8000, 32, 20, false));
  Seed("wav", "float_mono_96k", Wave(3, 1, 96000, 32, 20, false));
  Seed("wav", "extensible_pcm", Wave(1 | 0x100, 2, 44100, 16, 10, false));
}

void ArchiveSeeds() {
  const std::string one = "hello, archive";
  const std::string two(3000, 'z');
  std::vector<sbx::PackedFile> files;
  files.push_back(
      {"a.bmp", sbx::PackEntry(reinterpret_cast<const uint8_t*>(one.data()), one.size())});
  files.push_back(
      {"music/Two.WAV", sbx::PackEntry(reinterpret_cast<const uint8_t*>(two.data()), two.size())});
  files.push_back({"empty", sbx::PackEntry(nullptr, 0)});
  Bytes archive;
  std::string error;
  if (sbx::BuildArchive(files, false, 0, &archive, &error)) Seed("archive", "absolute", archive);
  const Bytes host = FromText("a host file the archive rides on\n");
  archive.clear();
  if (sbx::BuildArchive(files, true, host.size(), &archive, &error)) {
    Bytes both = host;
    both.insert(both.end(), archive.begin(), archive.end());
    Seed("archive", "appended", both);
  }
  if (error.size()) std::fprintf(stderr, "fuzz_seeds: %s\n", error.c_str());
}

const char kCubeObj[] =
    "mtllib cube.mtl\n"
    "o cube\n"
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
    "vn 0 0 -1\nvn 0 0 1\n"
    "usemtl red\n"
    "f 1/1/1 2/2/1 3/3/1 4/4/1\n"
    "usemtl blue\n"
    "f 5/1/2 6/2/2 7/3/2\n"
    "f 5 7 8\n"
    "g side\ns 1\nf -8 -7 -3 -4\n";
const char kCubeMtl[] =
    "newmtl red\nKd 1 0 0\nKa 0 0 0\n"
    "newmtl blue\nKd 0 0 1\nmap_Kd blue.png\n";

void ObjectSeeds() {
  Bytes obj = FromText(kCubeObj);
  obj.push_back(0);
  const Bytes mtl = FromText(kCubeMtl);
  obj.insert(obj.end(), mtl.begin(), mtl.end());
  Seed("obj", "cube", obj);
  Seed("obj", "triangle", std::string("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"));

  std::vector<objconv::ObjModel> frames(1);
  std::string error;
  std::vector<std::string> warnings;
  const objconv::MtlReader readMtl = [](const std::string&, std::string& text) {
    text = kCubeMtl;
    return true;
  };
  if (!objconv::ParseObj(kCubeObj, readMtl, frames[0], error, warnings)) {
    std::fprintf(stderr, "fuzz_seeds: cube: %s\n", error.c_str());
    g_failed = true;
    return;
  }
  frames.push_back(frames[0]);
  for (auto& p : frames[1].positions) p[2] += 0.5f;
  std::string text;
  Bytes binary;
  if (objconv::WriteTextObject(frames, text, error)) Seed("object", "cube_text", text);
  if (objconv::WriteBinaryObject(frames, binary, error)) Seed("object", "cube_binary", binary);
  Seed("object", "old_text", std::string("DDDA 1.0 0 1 9 9 9 3 0 0 1 0 2 0 1 3 0 0 0 0 1 0 1 0 0"));

  Seed("world", "two_objects",
       std::string("[textures]\ncount=2\n1=t.bmp\n2=sub\\t.png\n"
                   "[objects]\ncount=3\n1=o.3do\n1ta=1\n1tb=2\n2=o.3do\n2ta=0\n3=none.3do\n"));
  Seed("world", "empty", std::string("[textures]\ncount=0\n[objects]\ncount=0\n"));
}

void TextSeeds() {
  Seed("ini", "settings",
       std::string("; comment\n[Screen]\nwidth=640\nheight = 480\n\n[Sound]\r\nvolume=0.5\r\n"
                   "name=a=b\n[empty]\n"));
  Seed("ini", "no_section", std::string("key=value\n[a]\nx\n[b\ny=2"));

  Seed("lines", "mixed", std::string("first\nsecond\r\n\nlast without end"));
  Seed("lines", "long", std::string(1500, 'x') + "\n" + std::string(10, 'y'));

  Seed("http", "ok",
       std::string("\x05") +
           "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n"
           "Content-Length: 5\r\n\r\nhello");
  Seed("http", "no_length", std::string("\x3f") + "HTTP/1.1 404 Not Found\n\nbody bytes");
  Seed("http", "bad_length",
       std::string("\x00", 1) + "HTTP/1.0 200 OK\r\ncontent-length:  12x \r\n\r\n");
  Seed("http", "short_body",
       std::string("\x1f") + "HTTP/1.1 206 Partial\r\nContent-Length: 100\r\n\r\nshort");
  Seed("http", "left_open",
       std::string("\x87") + "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabc");
  Seed("http", "cut_headers", std::string("\x02") + "HTTP/1.0 301 Moved\r\nLocation: /x");

  Seed("replay", "keys",
       std::string("input-replay 1\n60 keys=28\n61 keys=-\n100 keys=205\n400 keys=1\n"));
  Seed("replay", "every_field",
       std::string("input-replay 1\n# comment\njoystick Pad One\n"
                   "0 focus=1 keyboard=1 layout=30:97,31:115\n"
                   "1.2 tap=30,30 text=30:65 mouse=10,20 motion=-3,4 wheel=2 buttons=5\n"
                   "2 joy0=100,-200,0,0,0,0,9000,3\n3 keys=42,30 focus=0\n"));

  zelvo::LoadDefaultHiscores();
  Seed("hiscores", "default", zelvo::EncodeHiscores(zelvo::Hiscores(), zelvo::kHiscoreRows));
}

void WireSeeds() {
  Bytes stream = {7};
  std::string wire;
  NetPlayerRecord record;
  record.slot = 3;
  std::snprintf(record.name, sizeof record.name, "%s", "Player one");
  NetWireMessage join{kNetJoin, 0, static_cast<int16_t>(kNetAwaitingAnswer),
                      EncodePlayerRecord(record)};
  EncodeNetMessage(join, wire);
  EncodeNetMessage({kNetText, -1, 101, std::string("hi\0there", 8)}, wire);
  EncodeNetMessage({kNetQueryCount, 0, 101, ""}, wire);
  EncodeNetMessage({kNetQueryPlayer, 0, 101, NetU16Body(0)}, wire);
  EncodeNetMessage({kNetQueryName, 0, 101, NetU16Body(101)}, wire);
  EncodeNetMessage({kNetLeave, 0, 101, ""}, wire);
  stream.insert(stream.end(), wire.begin(), wire.end());
  Seed("wire", "session", stream);
}

// Scripts for the host's message handling: a join from every connection
// (the receiving machine's answered to it), texts to one player and to all,
// queries, a leave, and a hostile host's messages to the receiver.
void HostSeeds() {
  const auto join = hostdrive::JoinBytes;
  const auto wire = hostdrive::MessageBytes;
  hostdrive::Script game;
  game.Send(0, join("keeper", false))
      .Send(1, join("one", false) + join("query", true))
      .Open()
      .Send(2, join("two", false))
      .Reads(0)
      .Reads(1)
      .Reads(2)
      .Send(1, wire({kNetText, -1, 102, std::string("hello\0all", 9)}))
      .Send(2, wire({kNetText, 102, 104, "just you"}))
      .Send(1, wire({kNetQueryCount, 0, 103, ""}) + wire({kNetQueryPlayer, 0, 103, NetU16Body(1)}) +
                   wire({kNetQueryName, 0, 103, NetU16Body(104)}) +
                   wire({kNetQueryAlive, 0, 103, ""}))
      .Reads(1)
      .Reads(0)
      .Send(2, wire({kNetLeave, 0, 104, ""}))
      .ToggleDoor()
      .Send(2, join("late", false))
      .Wait(200)
      .Close(2)
      .Reads(1);
  Seed("host", "game", game.bytes());

  hostdrive::Script abuse;
  abuse.Send(1, join("flood", false))
      .Send(1, std::string(wire({kNetText, -1, 555, "forged"})))
      .Send(1, wire({kNetJoinAnswer, 0, 0, ""}))
      .Open()
      .Send(2, std::string("\x03\x60\xea\xff\xff\x00\x00", 7))
      .Hostile(wire({kNetJoinAnswer, 101, 0, ""}) + wire({kNetText, 101, 7, "from nowhere"}) +
               wire({kNetQueryName, 0, 0, "NO_DATA"}) + wire({kNetJoinAnswer, -3, 0, ""}));
  Seed("host", "abuse", abuse.bytes());

  // A long game: the last numbers go, then freed ones come back.
  hostdrive::Script reuse;
  reuse.Send(1, join("early", false) + join("second", false))
      .NumbersLeft(2)
      .Open()
      .Send(2, join("a", false) + join("b", false) + join("c", false))
      .Send(1, wire({kNetLeave, 0, 101, ""}))
      .Close(2)
      .Send(1, join("d", false) + join("e", false))
      .Reads(1)
      .Reads(2);
  Seed("host", "reuse", reuse.bytes());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fuzz_seeds CORPUS_FOLDER\n");
    return 2;
  }
  g_root = argv[1];
  ImageSeeds();
  WaveSeeds();
  ArchiveSeeds();
  ObjectSeeds();
  TextSeeds();
  WireSeeds();
  HostSeeds();
  return g_failed ? 1 : 0;
}
