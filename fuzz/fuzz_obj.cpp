// OBJ models and their MTL libraries as objconv reads them, then written in
// both object file forms. The input is the OBJ text, then, after a zero
// byte, the text every "mtllib" line gets.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "convert.h"
#include "obj_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t zero = input.find('\0');
  const std::string obj = input.substr(0, zero);
  const std::string mtl = zero == std::string::npos ? std::string() : input.substr(zero + 1);
  const objconv::MtlReader readMtl = [&mtl](const std::string&, std::string& text) {
    text = mtl;
    return !mtl.empty();
  };
  std::vector<objconv::ObjModel> frames(1);
  std::string error;
  std::vector<std::string> warnings;
  if (!objconv::ParseObj(obj, readMtl, frames[0], error, warnings)) return 0;
  std::string text;
  objconv::WriteTextObject(frames, text, error);
  std::vector<uint8_t> binary;
  objconv::WriteBinaryObject(frames, binary, error);
  return 0;
}
