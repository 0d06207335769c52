// RtString: the runtime's one text value.
//
// A counted, heap-held byte string with a terminating NUL. Empty strings share
// one static NUL byte so that the many empty values a program creates cost no
// allocation; that byte is never written and never freed. Bytes are single-byte
// characters; a string may hold NUL bytes inside its length (Chr(0)), which the
// copy and concatenation paths carry along while the text comparisons stop at
// the first NUL like the C library does.
//
// Storage grows in 16-byte steps by one rule (Reserve), so capacities are
// predictable: a 14-character text has capacity 16, a 15-character one 32.
#pragma once

#include <cstdint>

struct RtStringOps;

// The runtime's text: bytes with a length, always NUL-terminated. Built from
// C text, int, double or float, joined with + and compared with == and <.
class RtString {
 public:
  RtString() noexcept;
  // A null pointer is treated as the empty text.
  RtString(const char* text);
  RtString(const RtString& other);
  // Steals the storage; the source is left as the shared empty text.
  RtString(RtString&& other) noexcept;
  // Decimal text; capacity 32.
  RtString(int value);
  // Number text (10 significant digits, no trailing zeros); capacity 80.
  RtString(double value);
  // Widened to double first, so 0.1f shows as 0.1000000015.
  RtString(float value);
  ~RtString();

  RtString& operator=(const RtString& other);      // Copies the text.
  RtString& operator=(RtString&& other) noexcept;  // Steals the storage, as the move constructor.

  const char* c_str() const { return text_; }      // The NUL-terminated text.
  uint32_t Length() const { return length_; }      // Bytes before the terminating NUL.
  uint32_t Capacity() const { return capacity_; }  // Bytes the storage holds, NUL included.
  // Writable only up to Capacity() bytes; nothing may be written while the
  // capacity is 0 (the shared empty text). After writing, set the length with
  // Truncate.
  char* Data() { return text_; }
  const char* Data() const { return text_; }  // See the writable Data.

  // Makes room for n characters plus the NUL. Does nothing when n is 0 or the
  // capacity already suffices; otherwise the capacity becomes
  // ((n + 1) & ~15) + 16. With keep the characters survive; without it the new
  // block holds the empty text and the length is 0.
  void Reserve(uint32_t n, bool keep);

  // Appends the other text, C text (up to its NUL), count bytes, or a
  // number's text.
  void Append(const RtString& other);
  void Append(const char* text);
  void Append(const char* bytes, uint32_t count);
  void Append(int value);
  void Append(double value);
  void Append(float value);

  // Append, returning the text.
  RtString& operator+=(const RtString& other) {
    Append(other);
    return *this;
  }
  // Append, returning the text.
  RtString& operator+=(const char* text) {
    Append(text);
    return *this;
  }
  // Append, returning the text.
  RtString& operator+=(int value) {
    Append(value);
    return *this;
  }
  // Append, returning the text.
  RtString& operator+=(double value) {
    Append(value);
    return *this;
  }
  // Append, returning the text.
  RtString& operator+=(float value) {
    Append(value);
    return *this;
  }

  // The new text is built before the old storage is released, so assigning a
  // pointer into this string's own text is safe.
  void Assign(const char* text);

  // When 0 <= n < Capacity(), ends the text at n (text[n] = NUL, length n).
  // This is also how a caller that filled Data() sets the length; bytes
  // between the old length and n are whatever the caller wrote there.
  void Truncate(int n);

  // Three-way byte comparison up to the first NUL (negative, 0, positive).
  int Compare(const char* text) const;

  bool IsSharedEmpty() const;

 private:
  friend struct RtStringOps;

  void Release() noexcept;

  char* text_;
  uint32_t capacity_;
  uint32_t length_;
};

// Concatenation. The result starts as a copy of the left operand (a number
// turned into text first) and the right operand is appended. Plain C text with
// a number cannot be overloaded in C++; wrap one side in RtString.
RtString operator+(const RtString& a, const RtString& b);
RtString operator+(RtString&& a, const RtString& b);
RtString operator+(const RtString& a, const char* b);
RtString operator+(RtString&& a, const char* b);
RtString operator+(const char* a, const RtString& b);
RtString operator+(const RtString& a, int b);
RtString operator+(RtString&& a, int b);
RtString operator+(const RtString& a, double b);
RtString operator+(RtString&& a, double b);
RtString operator+(const RtString& a, float b);
RtString operator+(RtString&& a, float b);
RtString operator+(int a, const RtString& b);
RtString operator+(double a, const RtString& b);
RtString operator+(float a, const RtString& b);

// Text comparisons: unsigned bytes up to the first NUL. RtString == RtString
// additionally requires equal lengths, so texts differing only after an inner
// NUL are unequal under == although neither is less than the other.
bool operator==(const RtString& a, const RtString& b);
bool operator!=(const RtString& a, const RtString& b);
bool operator<(const RtString& a, const RtString& b);
bool operator<=(const RtString& a, const RtString& b);
bool operator>(const RtString& a, const RtString& b);
bool operator>=(const RtString& a, const RtString& b);

// Comparisons with C text, as between two RtStrings but without the length
// rule: the bytes up to the first NUL decide.
bool operator==(const RtString& a, const char* b);
bool operator!=(const RtString& a, const char* b);
bool operator<(const RtString& a, const char* b);
bool operator<=(const RtString& a, const char* b);
bool operator>(const RtString& a, const char* b);
bool operator>=(const RtString& a, const char* b);

// C text against RtString; see the comparisons above.
bool operator==(const char* a, const RtString& b);
bool operator!=(const char* a, const RtString& b);
bool operator<(const char* a, const RtString& b);
bool operator<=(const char* a, const RtString& b);
bool operator>(const char* a, const RtString& b);
bool operator>=(const char* a, const RtString& b);

// Text against number: the text is read as a number (TextToNumber against
// float and double, TextToInt against int) and the numbers are compared, so
// RtString("10") > 9.5 although RtString("10") < RtString("9.5").
// Comparisons with NaN follow IEEE rules (only != is true).
#define RT_STRING_NUMBER_COMPARISONS(Number)    \
  bool operator==(const RtString& a, Number b); \
  bool operator!=(const RtString& a, Number b); \
  bool operator<(const RtString& a, Number b);  \
  bool operator<=(const RtString& a, Number b); \
  bool operator>(const RtString& a, Number b);  \
  bool operator>=(const RtString& a, Number b); \
  bool operator==(Number a, const RtString& b); \
  bool operator!=(Number a, const RtString& b); \
  bool operator<(Number a, const RtString& b);  \
  bool operator<=(Number a, const RtString& b); \
  bool operator>(Number a, const RtString& b);  \
  bool operator>=(Number a, const RtString& b);
RT_STRING_NUMBER_COMPARISONS(int)
RT_STRING_NUMBER_COMPARISONS(float)
RT_STRING_NUMBER_COMPARISONS(double)
#undef RT_STRING_NUMBER_COMPARISONS

// Three-way text/number comparison: -1, 0 or 1 (0 also when the pair is
// unordered because a NaN is involved).
int CompareTextNumber(const RtString& text, double value);
int CompareTextNumber(const RtString& text, int value);
int CompareTextNumber(const char* text, double value);
int CompareTextNumber(const char* text, int value);
