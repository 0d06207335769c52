// Memory budgets for loads: a small file may describe far more memory than
// it holds (a text object's corners times its frames, an image header's
// width times height), so a load counts what the file will expand to before
// allocating any of it and refuses beyond these limits.
#pragma once

#include <cstdint>

namespace budget {

constexpr uint64_t kMiB = uint64_t{1} << 20;

// One 3D object file: its key frames' vertices and face normals together.
// About 4.4 million vertices, far beyond any model drawn frame by frame.
constexpr uint64_t kObjectBytes = 256 * kMiB;
// A world file: every object it names together (each object also stays
// within kObjectBytes), so naming one big file many times cannot multiply
// past this.
constexpr uint64_t kWorldBytes = 512 * kMiB;
// One image while it is decoded: the decoder's rows and the RGBA picture
// held at once. An RGBA PNG of 8192 x 4096 pixels just fits; 8192 x 8192
// does not.
constexpr uint64_t kImageBytes = 256 * kMiB;

// True when need fits in limit. Otherwise the load is refused: runtime
// error 7 (a failed allocation) is recorded without ending the program, and
// one line naming the file and both sizes goes to the error log.
bool Fits(const char* what, const char* name, uint64_t need, uint64_t limit);

}  // namespace budget
