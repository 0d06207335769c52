#include "runtime/core/rt_string.h"

#include <cstring>
#include <new>
#include <utility>

#include "runtime/core/number_text.h"

namespace {

// The one empty text every empty string points at. It lives in writable
// storage only so that a stray NUL store through Data() is harmless; nothing
// in this type ever writes it.
char g_shared_empty[1] = {'\0'};

// Keeps every capacity computation clear of 32-bit wrap-around; a text this
// long is treated like any other failed allocation.
constexpr uint32_t kMaxLength = UINT32_MAX - 32;

// Capacity for n characters plus the NUL, in 16-byte steps and always strictly
// above n + 1 (n + 1 = 15 gives 16, 16 gives 32).
uint32_t GrowCapacity(uint64_t n) {
  if (n > kMaxLength) throw std::bad_alloc();
  return static_cast<uint32_t>(((n + 1) & ~uint64_t{15}) + 16);
}

uint32_t CopyCapacity(uint32_t length) {
  return length == 0 ? 0 : GrowCapacity(length);
}

// Capacity of "copy of the left operand, then append the right one" when the
// copy would have left_capacity: the append keeps it when the result fits.
uint32_t ConcatCapacity(uint32_t left_capacity, uint32_t left_length, uint32_t right_length) {
  if (right_length == 0) return left_capacity;
  const uint64_t total = uint64_t{left_length} + right_length;
  if (left_capacity >= total + 1) return left_capacity;
  return GrowCapacity(total);
}

uint32_t CTextLength(const char* text) {
  if (text == nullptr) return 0;
  const size_t n = std::strlen(text);
  if (n > kMaxLength) throw std::bad_alloc();
  return static_cast<uint32_t>(n);
}

const char* OrEmpty(const char* text) {
  return text != nullptr ? text : "";
}

// Capacities a number gets when it becomes a string on its own.
constexpr uint32_t kIntStringCapacity = 32;     // Reserve(15)
constexpr uint32_t kNumberStringCapacity = 80;  // Reserve(63)

}  // namespace

struct RtStringOps {
  static RtString Concat(const char* a, uint32_t a_length, uint32_t a_capacity, const char* b,
                         uint32_t b_length) {
    RtString result;
    const uint32_t capacity = ConcatCapacity(a_capacity, a_length, b_length);
    if (capacity == 0) return result;
    result.text_ = new char[capacity];
    result.capacity_ = capacity;
    std::memcpy(result.text_, a, a_length);
    std::memcpy(result.text_ + a_length, b, b_length);
    result.length_ = a_length + b_length;
    result.text_[result.length_] = '\0';
    return result;
  }

  static RtString Concat(const RtString& a, const char* b, uint32_t b_length) {
    return Concat(a.text_, a.length_, CopyCapacity(a.length_), b, b_length);
  }

  // A temporary left operand is extended in place when its block already has
  // the capacity a fresh copy-and-append would end with; chained HUD
  // concatenations then allocate only when they really grow.
  static RtString Concat(RtString&& a, const char* b, uint32_t b_length) {
    const uint32_t capacity = ConcatCapacity(CopyCapacity(a.length_), a.length_, b_length);
    if (a.capacity_ != capacity) return Concat(a, b, b_length);
    a.Append(b, b_length);
    return std::move(a);
  }

  static int Order(const RtString& a, const char* b) { return std::strcmp(a.text_, OrEmpty(b)); }
};

// ---------------------------------------------------------------------------
// Construction and assignment

RtString::RtString() noexcept : text_(g_shared_empty), capacity_(0), length_(0) {}

RtString::RtString(const char* text) : RtString() {
  const uint32_t n = CTextLength(text);
  if (n == 0) return;
  Reserve(n, false);
  std::memcpy(text_, text, n + 1);
  length_ = n;
}

RtString::RtString(const RtString& other) : RtString() {
  const uint32_t n = other.length_;
  if (n == 0) return;
  Reserve(n, false);
  std::memcpy(text_, other.text_, n);
  text_[n] = '\0';
  length_ = n;
}

RtString::RtString(RtString&& other) noexcept
    : text_(other.text_), capacity_(other.capacity_), length_(other.length_) {
  other.text_ = g_shared_empty;
  other.capacity_ = 0;
  other.length_ = 0;
}

RtString::RtString(int value) : RtString() {
  Reserve(15, false);
  length_ = WriteIntText(value, text_);
}

RtString::RtString(double value) : RtString() {
  Reserve(63, false);
  length_ = WriteNumberText(value, text_);
}

RtString::RtString(float value) : RtString(static_cast<double>(value)) {}

RtString::~RtString() {
  Release();
  text_ = nullptr;
  capacity_ = 0;
  length_ = 0;
}

void RtString::Release() noexcept {
  if (capacity_ > 0 && text_ != nullptr && text_ != g_shared_empty) delete[] text_;
}

RtString& RtString::operator=(const RtString& other) {
  if (this == &other) return *this;
  const uint32_t n = other.length_;
  // Reuse the block when a fresh copy would get exactly this capacity anyway.
  if (capacity_ > 0 && capacity_ == CopyCapacity(n)) {
    std::memcpy(text_, other.text_, n);
    text_[n] = '\0';
    length_ = n;
    return *this;
  }
  RtString copy(other);
  std::swap(text_, copy.text_);
  std::swap(capacity_, copy.capacity_);
  std::swap(length_, copy.length_);
  return *this;
}

RtString& RtString::operator=(RtString&& other) noexcept {
  if (this == &other) return *this;
  Release();
  text_ = other.text_;
  capacity_ = other.capacity_;
  length_ = other.length_;
  other.text_ = g_shared_empty;
  other.capacity_ = 0;
  other.length_ = 0;
  return *this;
}

void RtString::Assign(const char* text) {
  RtString fresh(text);
  std::swap(text_, fresh.text_);
  std::swap(capacity_, fresh.capacity_);
  std::swap(length_, fresh.length_);
}

// ---------------------------------------------------------------------------
// Storage

void RtString::Reserve(uint32_t n, bool keep) {
  if (n == 0 || capacity_ >= uint64_t{n} + 1) return;
  const uint32_t capacity = GrowCapacity(n);
  char* block = new char[capacity];
  if (keep && length_ > 0) {
    std::memcpy(block, text_, length_);
    block[length_] = '\0';
  } else {
    block[0] = '\0';
    // The old characters are gone, so the length must not claim them.
    length_ = 0;
  }
  Release();
  text_ = block;
  capacity_ = capacity;
}

void RtString::Append(const char* bytes, uint32_t count) {
  if (count == 0 || bytes == nullptr) return;
  const uint64_t total = uint64_t{length_} + count;
  if (capacity_ < total + 1) {
    // bytes may point into this string's own block (s.Append(s)), so the old
    // block is released only after both parts have been copied out of it.
    const uint32_t capacity = GrowCapacity(total);
    char* block = new char[capacity];
    std::memcpy(block, text_, length_);
    std::memcpy(block + length_, bytes, count);
    Release();
    text_ = block;
    capacity_ = capacity;
  } else {
    std::memmove(text_ + length_, bytes, count);
  }
  length_ = static_cast<uint32_t>(total);
  text_[length_] = '\0';
}

void RtString::Append(const RtString& other) {
  Append(other.text_, other.length_);
}

void RtString::Append(const char* text) {
  Append(text, CTextLength(text));
}

void RtString::Append(int value) {
  char digits[kNumberTextCapacity];
  Append(digits, WriteIntText(value, digits));
}

void RtString::Append(double value) {
  char digits[kNumberTextCapacity];
  Append(digits, WriteNumberText(value, digits));
}

void RtString::Append(float value) {
  Append(static_cast<double>(value));
}

void RtString::Truncate(int n) {
  if (n < 0 || static_cast<uint32_t>(n) >= capacity_) return;
  text_[n] = '\0';
  length_ = static_cast<uint32_t>(n);
}

int RtString::Compare(const char* text) const {
  return RtStringOps::Order(*this, text);
}

bool RtString::IsSharedEmpty() const {
  return text_ == g_shared_empty;
}

// ---------------------------------------------------------------------------
// Concatenation

RtString operator+(const RtString& a, const RtString& b) {
  return RtStringOps::Concat(a, b.c_str(), b.Length());
}
RtString operator+(RtString&& a, const RtString& b) {
  return RtStringOps::Concat(std::move(a), b.c_str(), b.Length());
}
RtString operator+(const RtString& a, const char* b) {
  return RtStringOps::Concat(a, OrEmpty(b), CTextLength(b));
}
RtString operator+(RtString&& a, const char* b) {
  return RtStringOps::Concat(std::move(a), OrEmpty(b), CTextLength(b));
}
RtString operator+(const char* a, const RtString& b) {
  const uint32_t n = CTextLength(a);
  return RtStringOps::Concat(OrEmpty(a), n, CopyCapacity(n), b.c_str(), b.Length());
}

RtString operator+(const RtString& a, int b) {
  char digits[kNumberTextCapacity];
  const uint32_t n = WriteIntText(b, digits);
  return RtStringOps::Concat(a, digits, n);
}
RtString operator+(RtString&& a, int b) {
  char digits[kNumberTextCapacity];
  const uint32_t n = WriteIntText(b, digits);
  return RtStringOps::Concat(std::move(a), digits, n);
}
RtString operator+(const RtString& a, double b) {
  char digits[kNumberTextCapacity];
  const uint32_t n = WriteNumberText(b, digits);
  return RtStringOps::Concat(a, digits, n);
}
RtString operator+(RtString&& a, double b) {
  char digits[kNumberTextCapacity];
  const uint32_t n = WriteNumberText(b, digits);
  return RtStringOps::Concat(std::move(a), digits, n);
}
RtString operator+(const RtString& a, float b) {
  return a + static_cast<double>(b);
}
RtString operator+(RtString&& a, float b) {
  return std::move(a) + static_cast<double>(b);
}

RtString operator+(int a, const RtString& b) {
  char digits[kNumberTextCapacity];
  const uint32_t n = WriteIntText(a, digits);
  return RtStringOps::Concat(digits, n, kIntStringCapacity, b.c_str(), b.Length());
}
RtString operator+(double a, const RtString& b) {
  char digits[kNumberTextCapacity];
  const uint32_t n = WriteNumberText(a, digits);
  return RtStringOps::Concat(digits, n, kNumberStringCapacity, b.c_str(), b.Length());
}
RtString operator+(float a, const RtString& b) {
  return static_cast<double>(a) + b;
}

// ---------------------------------------------------------------------------
// Text comparisons

bool operator==(const RtString& a, const RtString& b) {
  // Lengths and every byte, inner NULs included: == and != must agree, and
  // texts that differ only after an inner NUL are different values.
  return a.Length() == b.Length() && std::memcmp(a.c_str(), b.c_str(), a.Length()) == 0;
}
bool operator!=(const RtString& a, const RtString& b) {
  return !(a == b);
}
bool operator<(const RtString& a, const RtString& b) {
  return a.Compare(b.c_str()) < 0;
}
bool operator<=(const RtString& a, const RtString& b) {
  return a.Compare(b.c_str()) <= 0;
}
bool operator>(const RtString& a, const RtString& b) {
  return a.Compare(b.c_str()) > 0;
}
bool operator>=(const RtString& a, const RtString& b) {
  return a.Compare(b.c_str()) >= 0;
}

bool operator==(const RtString& a, const char* b) {
  return a.Compare(b) == 0;
}
bool operator!=(const RtString& a, const char* b) {
  return a.Compare(b) != 0;
}
bool operator<(const RtString& a, const char* b) {
  return a.Compare(b) < 0;
}
bool operator<=(const RtString& a, const char* b) {
  return a.Compare(b) <= 0;
}
bool operator>(const RtString& a, const char* b) {
  return a.Compare(b) > 0;
}
bool operator>=(const RtString& a, const char* b) {
  return a.Compare(b) >= 0;
}

bool operator==(const char* a, const RtString& b) {
  return b.Compare(a) == 0;
}
bool operator!=(const char* a, const RtString& b) {
  return b.Compare(a) != 0;
}
bool operator<(const char* a, const RtString& b) {
  return b.Compare(a) > 0;
}
bool operator<=(const char* a, const RtString& b) {
  return b.Compare(a) >= 0;
}
bool operator>(const char* a, const RtString& b) {
  return b.Compare(a) < 0;
}
bool operator>=(const char* a, const RtString& b) {
  return b.Compare(a) <= 0;
}

// ---------------------------------------------------------------------------
// Text against number

namespace {

double AsNumber(const RtString& text, double) {
  return TextToNumber(text.c_str());
}
int AsNumber(const RtString& text, int) {
  return TextToInt(text.c_str());
}
double AsNumber(const RtString& text, float) {
  return TextToNumber(text.c_str());
}
double Widen(float value) {
  return value;
}
double Widen(double value) {
  return value;
}
int Widen(int value) {
  return value;
}

}  // namespace

#define RT_STRING_NUMBER_COMPARISONS(Number)     \
  bool operator==(const RtString& a, Number b) { \
    return AsNumber(a, b) == Widen(b);           \
  }                                              \
  bool operator!=(const RtString& a, Number b) { \
    return AsNumber(a, b) != Widen(b);           \
  }                                              \
  bool operator<(const RtString& a, Number b) {  \
    return AsNumber(a, b) < Widen(b);            \
  }                                              \
  bool operator<=(const RtString& a, Number b) { \
    return AsNumber(a, b) <= Widen(b);           \
  }                                              \
  bool operator>(const RtString& a, Number b) {  \
    return AsNumber(a, b) > Widen(b);            \
  }                                              \
  bool operator>=(const RtString& a, Number b) { \
    return AsNumber(a, b) >= Widen(b);           \
  }                                              \
  bool operator==(Number a, const RtString& b) { \
    return Widen(a) == AsNumber(b, a);           \
  }                                              \
  bool operator!=(Number a, const RtString& b) { \
    return Widen(a) != AsNumber(b, a);           \
  }                                              \
  bool operator<(Number a, const RtString& b) {  \
    return Widen(a) < AsNumber(b, a);            \
  }                                              \
  bool operator<=(Number a, const RtString& b) { \
    return Widen(a) <= AsNumber(b, a);           \
  }                                              \
  bool operator>(Number a, const RtString& b) {  \
    return Widen(a) > AsNumber(b, a);            \
  }                                              \
  bool operator>=(Number a, const RtString& b) { \
    return Widen(a) >= AsNumber(b, a);           \
  }
RT_STRING_NUMBER_COMPARISONS(int)
RT_STRING_NUMBER_COMPARISONS(float)
RT_STRING_NUMBER_COMPARISONS(double)
#undef RT_STRING_NUMBER_COMPARISONS

namespace {

template <typename T>
int ThreeWay(T a, T b) {
  if (a < b) return -1;
  if (a > b) return 1;
  return 0;
}

}  // namespace

int CompareTextNumber(const RtString& text, double value) {
  return ThreeWay(TextToNumber(text.c_str()), value);
}
int CompareTextNumber(const RtString& text, int value) {
  return ThreeWay(TextToInt(text.c_str()), value);
}
int CompareTextNumber(const char* text, double value) {
  return ThreeWay(TextToNumber(text), value);
}
int CompareTextNumber(const char* text, int value) {
  return ThreeWay(TextToInt(text), value);
}
