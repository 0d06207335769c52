// Little-endian byte order, the order of every binary format the runtime
// reads and writes: WAV and BMP headers, archives, the multiplayer wire and
// the typed file-channel commands. Every value is put together from unsigned
// bytes by shifts, so a 0xFF byte never sign-extends into the bytes above it
// and the result does not depend on the host's own order or alignment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// Reads 2 bytes at p as a little-endian number; the caller has checked they
// are there (as for LoadLe32 and LoadLe64).
constexpr uint16_t LoadLe16(const uint8_t* p) {
  return static_cast<uint16_t>(static_cast<uint16_t>(p[0]) | static_cast<uint16_t>(p[1]) << 8);
}
// Reads 4 bytes at p; see LoadLe16.
constexpr uint32_t LoadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
// Reads 8 bytes at p; see LoadLe16.
constexpr uint64_t LoadLe64(const uint8_t* p) {
  return static_cast<uint64_t>(LoadLe32(p + 4)) << 32 | LoadLe32(p);
}

// Writes v little-endian into the 2 bytes at p.
constexpr void StoreLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
// Writes v little-endian into the 4 bytes at p.
constexpr void StoreLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
// Writes v little-endian into the 8 bytes at p.
constexpr void StoreLe64(uint8_t* p, uint64_t v) {
  StoreLe32(p, static_cast<uint32_t>(v));
  StoreLe32(p + 4, static_cast<uint32_t>(v >> 32));
}

// The bytes of a text-held buffer (wire messages and files kept in
// std::string), for the span readers below.
inline std::span<const uint8_t> ByteSpan(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// Readers that check the bytes are there: 0 when fewer than 2 or 4 bytes
// follow offset at (an offset past the end included).
constexpr uint16_t Le16At(std::span<const uint8_t> bytes, size_t at) {
  return at <= bytes.size() && bytes.size() - at >= 2 ? LoadLe16(bytes.data() + at) : 0;
}
// The 4 bytes at offset at, or 0; see Le16At.
constexpr uint32_t Le32At(std::span<const uint8_t> bytes, size_t at) {
  return at <= bytes.size() && bytes.size() - at >= 4 ? LoadLe32(bytes.data() + at) : 0;
}

// Appends to a byte buffer: a std::vector<uint8_t> or a std::string.
template <class Bytes>
void AppendLe16(Bytes& out, uint16_t v) {
  using Byte = typename Bytes::value_type;
  out.push_back(static_cast<Byte>(v & 0xFF));
  out.push_back(static_cast<Byte>(v >> 8));
}
// Appends v as 4 little-endian bytes; see AppendLe16.
template <class Bytes>
void AppendLe32(Bytes& out, uint32_t v) {
  AppendLe16(out, static_cast<uint16_t>(v & 0xFFFF));
  AppendLe16(out, static_cast<uint16_t>(v >> 16));
}
