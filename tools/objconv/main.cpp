// objconv: converts Wavefront OBJ files (with their MTL colours) into the
// runtime's 3D object files.
//
//   objconv [--binary] [-o OUTPUT] FRAME.obj [FRAME.obj ...]
//
// Each OBJ is one key frame; all must share the first one's faces. The text
// form (version 1.1, ".dda") is written unless --binary asks for the binary
// form (version 2.0, ".ddd").
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "convert.h"
#include "obj_model.h"

namespace {

bool ReadText(const std::string& path, std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return true;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
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

  std::vector<objconv::ObjModel> frames(inputs.size());
  for (size_t k = 0; k < inputs.size(); ++k) {
    std::string text, error;
    if (!ReadText(inputs[k], text)) {
      std::fprintf(stderr, "objconv: cannot read %s\n", inputs[k].c_str());
      return 1;
    }
    const std::string folder = FolderOf(inputs[k]);
    std::vector<std::string> warnings;
    const bool parsed = objconv::ParseObj(
        text,
        [&](const std::string& name, std::string& mtl) { return ReadText(folder + name, mtl); },
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
  std::string error;
  std::ofstream out(output, std::ios::binary | std::ios::trunc);
  bool written = false;
  if (binary) {
    std::vector<uint8_t> bytes;
    written = objconv::WriteBinaryObject(frames, bytes, error) &&
              out.write(reinterpret_cast<const char*>(bytes.data()),
                        static_cast<std::streamsize>(bytes.size()));
  } else {
    std::string text;
    written = objconv::WriteTextObject(frames, text, error) && out.write(text.data(), text.size());
  }
  out.close();
  if (!written || !out) {
    std::remove(output.c_str());
    std::fprintf(stderr, "objconv: %s\n",
                 error.empty() ? ("cannot write " + output).c_str() : error.c_str());
    return 1;
  }
  std::printf("objconv: wrote %s (%zu frame%s)\n", output.c_str(), frames.size(),
              frames.size() == 1 ? "" : "s");
  return 0;
}
