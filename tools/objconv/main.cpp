// objconv: converts Wavefront OBJ files (with their MTL colours) into the
// runtime's 3D object files.
//
//   objconv [--binary] [-o OUTPUT] FRAME.obj [FRAME.obj ...]
//
// Each OBJ is one key frame; all must share the first one's faces. The text
// form (version 1.1, ".dda") is written unless --binary asks for the binary
// form (version 2.0, ".ddd").
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "convert.h"
#include "obj_model.h"
#include "runtime/platform/whole_file.h"

namespace {

// Models and their material libraries are text of a few megabytes at most;
// the bound keeps a wrong input from taking all the memory there is.
constexpr uint64_t kLongestInput = uint64_t{256} << 20;

bool ReadText(const std::string& path, std::string& text, std::string* why = nullptr) {
  return plat::ReadWholeFile(path, text, kLongestInput, why);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The identity of a file that exists, to tell whether two names are one.
struct FileId {
  dev_t device = 0;
  ino_t inode = 0;
  bool operator==(const FileId&) const = default;
};

bool IdOf(const std::string& path, FileId* id) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  *id = {st.st_dev, st.st_ino};
  return true;
}

// Writes bytes to a new file beside output and renames it over output only
// once all are written: a failed run leaves an existing output as it was.
bool WriteReplacing(const std::string& output, const std::string& bytes, std::string* why) {
  std::string temp = output + ".XXXXXX";
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    *why = "cannot write " + output + ": " + std::strerror(errno);
    return false;
  }
  // mkstemp makes an owner-only file; the result gets what a plain create
  // would give it, or the permissions of the file it replaces.
  struct stat old;
  mode_t mode = 0666;
  if (::stat(output.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode &= ~mask;
  }
  bool ok = ::fchmod(fd, mode) == 0;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    if (n > 0) done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) ok = false;
  if (!ok || ::rename(temp.c_str(), output.c_str()) != 0) {
    *why = "cannot write " + output + ": " + std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

int Usage() {
  std::fprintf(stderr, "usage: objconv [--binary] [-o OUTPUT] FRAME.obj [FRAME.obj ...]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  bool binary = false;
  std::string output;
  std::vector<std::string> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--binary" || arg == "-b") {
      binary = true;
    } else if (arg == "-o") {
      if (++i >= argc) return Usage();
      output = argv[i];
    } else if (!arg.empty() && arg[0] == '-') {
      return Usage();
    } else {
      inputs.push_back(arg);
    }
  }
  if (inputs.empty()) return Usage();

  // Every file read (models and material libraries), so that the output
  // can never be one of them.
  std::vector<FileId> read;
  auto noteRead = [&read](const std::string& path) {
    FileId id;
    if (IdOf(path, &id)) read.push_back(id);
  };
  std::vector<objconv::ObjModel> frames(inputs.size());
  for (size_t k = 0; k < inputs.size(); ++k) {
    std::string text, error, why;
    if (!ReadText(inputs[k], text, &why)) {
      std::fprintf(stderr, "objconv: cannot read %s\n", why.c_str());
      return 1;
    }
    noteRead(inputs[k]);
    const std::string folder = FolderOf(inputs[k]);
    std::vector<std::string> warnings;
    const bool parsed = objconv::ParseObj(
        text,
        [&](const std::string& name, std::string& mtl) {
          const std::string path = folder + name;
          std::string mtlWhy;
          if (!ReadText(path, mtl, &mtlWhy)) {
            warnings.push_back("cannot read " + mtlWhy);
            return false;
          }
          noteRead(path);
          return true;
        },
        frames[k], error, warnings);
    for (const std::string& w : warnings) {
      std::fprintf(stderr, "objconv: %s: %s\n", inputs[k].c_str(), w.c_str());
    }
    if (!parsed) {
      std::fprintf(stderr, "objconv: %s: %s\n", inputs[k].c_str(), error.c_str());
      return 1;
    }
  }

  if (output.empty()) {
    output = inputs[0];
    const size_t dot = output.find_last_of('.');
    if (dot != std::string::npos && output.find('/', dot) == std::string::npos) output.resize(dot);
    output += binary ? ".ddd" : ".dda";
  }
  FileId target;
  if (IdOf(output, &target) && std::find(read.begin(), read.end(), target) != read.end()) {
    std::fprintf(stderr, "objconv: will not write %s over one of its own inputs\n", output.c_str());
    return 1;
  }
  std::string error;
  std::string bytes;
  bool converted = false;
  if (binary) {
    std::vector<uint8_t> binaryBytes;
    converted = objconv::WriteBinaryObject(frames, binaryBytes, error);
    bytes.assign(binaryBytes.begin(), binaryBytes.end());
  } else {
    converted = objconv::WriteTextObject(frames, bytes, error);
  }
  if (!converted || !WriteReplacing(output, bytes, &error)) {
    std::fprintf(stderr, "objconv: %s\n", error.c_str());
    return 1;
  }
  std::printf("objconv: wrote %s (%zu frame%s)\n", output.c_str(), frames.size(),
              frames.size() == 1 ? "" : "s");
  return 0;
}
