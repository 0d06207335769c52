// RtArray: the runtime's array value, and the array commands.
//
// Four element kinds share one layout: numbers (double), integers (int32),
// texts (RtString) and records (a program's own plain structures, such as a
// hiscore entry). An array has up to four dimensions with the first index
// varying fastest: element (i, j, k, l) lies at
// i + j * stride1 + k * stride2 + l * stride3. An extent of 0 marks an absent
// dimension, whose index must be 0.
//
// Every access is checked; a bad index ends the program with runtime error 9.
// A negative first index counts from the end, so -1 is the last element of
// dimension 0.
//
// Storage grows in steps of 8 elements for numbers and integers and of 64 for
// texts and records, always leaving at least one spare element. Re-creating an
// array whose storage is already large enough reuses it. Number arrays of up
// to 15 elements and integer arrays of up to 7 live inside the RtArray itself
// and need no heap block.
#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "runtime/core/rt_string.h"

// An index, extent or dimension number as a command receives it: programs
// pass ints and doubles alike. Doubles are truncated; values beyond the int32
// range saturate, and a NaN becomes INT32_MIN, which no dimension accepts as
// an index and every extent treats as 0.
class ArrayIndex {
 public:
  // From any integer, saturating at the int32 range.
  template <std::integral T>
  constexpr ArrayIndex(T v) : value_(FromIntegral(v)) {}
  // From a double or float, truncated and saturating (NaN: INT32_MIN).
  template <std::floating_point T>
  constexpr ArrayIndex(T v) : value_(FromFloating(v)) {}

  constexpr int32_t value() const { return value_; }  // The index as an int32.

 private:
  template <typename T>
  static constexpr int32_t FromIntegral(T v) {
    if (std::cmp_less(v, INT32_MIN)) return INT32_MIN;
    if (std::cmp_greater(v, INT32_MAX)) return INT32_MAX;
    return static_cast<int32_t>(v);
  }
  template <typename T>
  static constexpr int32_t FromFloating(T v) {
    if (!(v >= T(-2147483648.0))) return INT32_MIN;
    if (v >= T(2147483648.0)) return INT32_MAX;
    return static_cast<int32_t>(v);
  }

  int32_t value_;
};

// Extents and strides of an array. dim0 is the element count of a
// one-dimensional array; dimCount is 0 for an array without elements.
struct ArrayShape {
  int32_t stride1 = 0;
  int32_t stride2 = 0;
  int32_t stride3 = 0;
  int32_t dim0 = 0;
  int32_t dim1 = 0;
  int32_t dim2 = 0;
  int32_t dim3 = 0;
  int32_t dimCount = 0;
};

// Largest storage one array may hold. A request beyond it is treated as a
// failed allocation (runtime error 7) instead of being attempted.
inline constexpr size_t kMaxArrayBytes = size_t{1} << 31;

namespace arrays_internal {

struct ArrayPlan {
  ArrayShape shape;
  int32_t total = 0;     // elements inside the extents
  int32_t capacity = 0;  // elements the storage must hold
};

// Works out the shape and storage of an array created with extents a to d.
// Ends the program with error 7 when the storage would exceed kMaxArrayBytes.
ArrayPlan PlanArray(int32_t a, int32_t b, int32_t c, int32_t d, int32_t step, size_t elementSize);
// The element count of an existing shape (0 when dimCount is 0).
int32_t ElementCount(const ArrayShape& shape);
// Heap storage for count elements, or error 7.
void* AllocateStorage(size_t count, size_t elementSize);
void FreeStorage(void* block);
[[noreturn]] void IndexOutOfRange();
[[noreturn]] void AppendToMultiDimensional();
[[noreturn]] void InvalidArgument();

template <typename T, bool kInline>
struct InlineStorage {};
template <typename T>
struct InlineStorage<T, true> {
  T elements[16];
};

// A comparison result as the sort reads it: the number truncated to an
// integer, so only results of at least 1 in size order anything.
template <typename R>
int CompareSign(R r) {
  static_assert(std::is_arithmetic_v<R>, "a comparison must return a number");
  if constexpr (std::is_floating_point_v<R>) {
    return r >= 1 ? 1 : (r <= -1 ? -1 : 0);
  } else {
    return r > 0 ? 1 : (r < 0 ? -1 : 0);
  }
}

}  // namespace arrays_internal

// An array of numbers (double), integers (int32_t), texts (RtString) or a
// program's records, with up to four dimensions; see the top of this file.
template <typename T>
class RtArray {
 public:
  static constexpr bool kIsNumber = std::is_same_v<T, double>;
  static constexpr bool kIsInt = std::is_same_v<T, int32_t>;
  static constexpr bool kIsText = std::is_same_v<T, RtString>;
  static constexpr bool kIsRecord = !kIsNumber && !kIsInt && !kIsText;
  static constexpr bool kHasInlineStorage = kIsNumber || kIsInt;
  static constexpr int32_t kInlineElements = 16;
  static constexpr int32_t kCapacityStep = kHasInlineStorage ? 8 : 64;

  static_assert(std::is_nothrow_default_constructible_v<T> && std::is_nothrow_destructible_v<T>,
                "array elements are made empty and destroyed without failing");
  static_assert(std::is_nothrow_move_constructible_v<T> && std::is_nothrow_move_assignable_v<T>,
                "resizing and sorting move elements");
  static_assert(alignof(T) <= alignof(std::max_align_t), "storage comes from malloc");

  RtArray() noexcept = default;
  ~RtArray() { Release(); }
  RtArray(const RtArray&) = delete;
  RtArray& operator=(const RtArray&) = delete;
  // Takes the elements; the source is left without any.
  RtArray(RtArray&& other) noexcept { TakeFrom(other); }
  // Takes the elements, freeing this array's own; the source is left empty.
  RtArray& operator=(RtArray&& other) noexcept {
    if (this != &other) {
      Release();
      TakeFrom(other);
    }
    return *this;
  }

  // (Re)creates the array with the given extents (0 = absent), every element
  // zero or empty. A first extent of 0 or below gives an array without
  // elements; negative further extents count as absent.
  void Dim(ArrayIndex a, ArrayIndex b = 0, ArrayIndex c = 0, ArrayIndex d = 0) {
    const arrays_internal::ArrayPlan plan = Plan(a, b, c, d);
    Create(plan, a.value() > 0);
  }

  // Resizes keeping every element whose indices lie inside both the old and
  // the new extents (an absent dimension counting as extent 1). A first
  // extent below 1 leaves the array without elements.
  void Redim(ArrayIndex a, ArrayIndex b = 0, ArrayIndex c = 0, ArrayIndex d = 0);

  // The element (i, j, k, l); a negative i counts from the end. An index
  // outside its extent ends the program with runtime error 9.
  T& At(ArrayIndex i, ArrayIndex j = 0, ArrayIndex k = 0, ArrayIndex l = 0) {
    return data_[Offset(i.value(), j.value(), k.value(), l.value())];
  }
  // The element, read only; see the other At.
  const T& At(ArrayIndex i, ArrayIndex j = 0, ArrayIndex k = 0, ArrayIndex l = 0) const {
    return data_[Offset(i.value(), j.value(), k.value(), l.value())];
  }
  // Shorthand for At: arr(i, j).
  T& operator()(ArrayIndex i, ArrayIndex j = 0, ArrayIndex k = 0, ArrayIndex l = 0) {
    return At(i, j, k, l);
  }
  // Shorthand for the read-only At.
  const T& operator()(ArrayIndex i, ArrayIndex j = 0, ArrayIndex k = 0, ArrayIndex l = 0) const {
    return At(i, j, k, l);
  }

  // Appends a copy of value as the new last element of a one-dimensional (or
  // empty) array; error 8 for an array with more than one dimension. The value
  // may be an element of this array.
  void Push(const T& value);

  // Sorts elements 0 to DimSize(0) - 1 ascending in the order compare(x, y)
  // defines (a number: below 0 when x goes first, above 0 when y does; only
  // its integer part counts). Not stable.
  template <typename Compare>
  void Sort(Compare&& compare);
  // Sorts a record array by its first field, which must be an int32.
  void SortByFirstField() requires(kIsRecord) {
    if constexpr (!std::is_standard_layout_v<T> || sizeof(T) < sizeof(int32_t)) {
      // Without a standard layout the first field's place is unknown.
      arrays_internal::InvalidArgument();
    } else {
      Sort([](const T& x, const T& y) {
        const int32_t a = FirstField(x);
        const int32_t b = FirstField(y);
        return (a > b) - (a < b);
      });
    }
  }

  // The extent of dimension n (0 to 3), else 0.
  int32_t DimSize(int32_t n) const {
    switch (n) {
      case 0:
        return shape_.dim0;
      case 1:
        return shape_.dim1;
      case 2:
        return shape_.dim2;
      case 3:
        return shape_.dim3;
      default:
        return 0;
    }
  }
  int32_t DimCount() const { return shape_.dimCount; }  // Dimensions in use (0 without elements).
  // Elements inside the extents.
  int32_t ElementCount() const { return arrays_internal::ElementCount(shape_); }
  int32_t Capacity() const { return capacity_; }  // Elements the storage holds.
  const ArrayShape& Shape() const { return shape_; }
  bool UsesInlineStorage() const {
    if constexpr (kHasInlineStorage) {
      return data_ == inline_.elements;
    } else {
      return false;
    }
  }

 private:
  static int32_t FirstField(const T& record) {
    int32_t value;
    std::memcpy(&value, static_cast<const void*>(&record), sizeof value);
    return value;
  }

  static arrays_internal::ArrayPlan Plan(ArrayIndex a, ArrayIndex b, ArrayIndex c, ArrayIndex d) {
    return arrays_internal::PlanArray(a.value(), b.value(), c.value(), d.value(), kCapacityStep,
                                      sizeof(T));
  }

  static bool FitsInline(const arrays_internal::ArrayPlan& plan) {
    if constexpr (kIsNumber) {
      return plan.capacity <= kInlineElements;
    } else if constexpr (kIsInt) {
      return plan.total < 8;
    } else {
      return false;
    }
  }

  static bool IndexInExtent(int32_t index, int32_t extent) {
    // An absent dimension (extent 0) admits only index 0.
    return static_cast<uint32_t>(index) < static_cast<uint32_t>(extent > 0 ? extent : 1);
  }

  int32_t Offset(int32_t i, int32_t j, int32_t k, int32_t l) const {
    if (i < 0) i += shape_.dim0;
    if (data_ == nullptr || i < 0 || i >= shape_.dim0 || !IndexInExtent(j, shape_.dim1) ||
        !IndexInExtent(k, shape_.dim2) || !IndexInExtent(l, shape_.dim3)) {
      arrays_internal::IndexOutOfRange();
    }
    return i + j * shape_.stride1 + k * shape_.stride2 + l * shape_.stride3;
  }

  // The create rule: reuse storage that is large enough when the array is
  // to have elements, otherwise take fresh storage; then every element of the
  // storage is zero or empty.
  void Create(const arrays_internal::ArrayPlan& plan, bool hasElements) {
    if (capacity_ >= plan.capacity && hasElements) {
      for (int32_t n = 0; n < capacity_; ++n) data_[n] = T();
    } else {
      Release();
      if (FitsInline(plan)) {
        if constexpr (kHasInlineStorage) data_ = inline_.elements;
      } else {
        data_ = static_cast<T*>(
            arrays_internal::AllocateStorage(static_cast<size_t>(plan.capacity), sizeof(T)));
      }
      for (int32_t n = 0; n < plan.capacity; ++n) new (data_ + n) T();
      capacity_ = plan.capacity;
    }
    shape_ = plan.shape;
  }

  void Release() noexcept {
    if (data_ == nullptr) return;
    if constexpr (!std::is_trivially_destructible_v<T>) {
      for (int32_t n = 0; n < capacity_; ++n) data_[n].~T();
    }
    if (!UsesInlineStorage()) arrays_internal::FreeStorage(data_);
    data_ = nullptr;
    capacity_ = 0;
    shape_ = ArrayShape();
  }

  void TakeFrom(RtArray& other) noexcept {
    if constexpr (kHasInlineStorage) {
      if (other.UsesInlineStorage()) {
        inline_ = other.inline_;
        other.data_ = inline_.elements;
      }
    }
    data_ = other.data_;
    shape_ = other.shape_;
    capacity_ = other.capacity_;
    other.data_ = nullptr;
    other.shape_ = ArrayShape();
    other.capacity_ = 0;
  }

  // Calls visit(oldOffset, newOffset) for every element inside both shapes.
  template <typename Visit>
  static void ForOverlap(const ArrayShape& from, const ArrayShape& to, Visit&& visit);

  template <typename Compare>
  void QuickSort(int32_t lo, int32_t hi, Compare& compare);

  T* data_ = nullptr;
  [[no_unique_address]] arrays_internal::InlineStorage<T, kHasInlineStorage> inline_;
  ArrayShape shape_;
  int32_t capacity_ = 0;
};

template <typename T>
template <typename Visit>
void RtArray<T>::ForOverlap(const ArrayShape& from, const ArrayShape& to, Visit&& visit) {
  if (from.dimCount == 0 || to.dimCount == 0) return;
  auto common = [](int32_t x, int32_t y) {
    x = x > 0 ? x : 1;
    y = y > 0 ? y : 1;
    return x < y ? x : y;
  };
  const int32_t n0 = from.dim0 < to.dim0 ? from.dim0 : to.dim0;
  const int32_t n1 = common(from.dim1, to.dim1);
  const int32_t n2 = common(from.dim2, to.dim2);
  const int32_t n3 = common(from.dim3, to.dim3);
  for (int32_t l = 0; l < n3; ++l) {
    for (int32_t k = 0; k < n2; ++k) {
      for (int32_t j = 0; j < n1; ++j) {
        const int32_t fromRow = j * from.stride1 + k * from.stride2 + l * from.stride3;
        const int32_t toRow = j * to.stride1 + k * to.stride2 + l * to.stride3;
        for (int32_t i = 0; i < n0; ++i) visit(fromRow + i, toRow + i);
      }
    }
  }
}

template <typename T>
void RtArray<T>::Redim(ArrayIndex a, ArrayIndex b, ArrayIndex c, ArrayIndex d) {
  if (a.value() < 1) {
    shape_ = ArrayShape();
    return;
  }
  const arrays_internal::ArrayPlan plan = Plan(a, b, c, d);
  if constexpr (kHasInlineStorage) {
    if (UsesInlineStorage() || FitsInline(plan)) {
      // Either side holds at most 16 elements, so the overlap fits a small
      // buffer; the variable is then re-created in place.
      struct Saved {
        int32_t offset;
        T value;
      } saved[kInlineElements];
      int32_t count = 0;
      ForOverlap(shape_, plan.shape, [&](int32_t from, int32_t to) {
        if (count < kInlineElements) saved[count++] = {to, data_[from]};
      });
      Create(plan, true);
      for (int32_t n = 0; n < count; ++n) data_[saved[n].offset] = saved[n].value;
      return;
    }
  }
  RtArray fresh;
  fresh.Create(plan, true);
  ForOverlap(shape_, plan.shape,
             [&](int32_t from, int32_t to) { fresh.data_[to] = std::move(data_[from]); });
  *this = std::move(fresh);
}

template <typename T>
void RtArray<T>::Push(const T& value) {
  if (shape_.dimCount > 1) arrays_internal::AppendToMultiDimensional();
  // Copied first: value may be an element whose storage the resize frees.
  T copy(value);
  Redim(shape_.dim0 + 1);
  data_[shape_.dim0 - 1] = std::move(copy);
}

template <typename T>
template <typename Compare>
void RtArray<T>::Sort(Compare&& compare) {
  if (shape_.dim0 <= 1) return;
  QuickSort(0, shape_.dim0 - 1, compare);
}

// Hoare partitioning around whatever element stands at the range's last
// position at the time of each comparison. Recursing into the smaller part
// only keeps the stack shallow on already sorted input.
template <typename T>
template <typename Compare>
void RtArray<T>::QuickSort(int32_t lo, int32_t hi, Compare& compare) {
  using arrays_internal::CompareSign;
  while (lo < hi) {
    int32_t left = lo;
    int32_t right = hi;
    do {
      // The bound on left only matters for a comparison that calls the
      // pivot below itself; a consistent one stops there anyway.
      while (CompareSign(compare(data_[left], data_[hi])) < 0 && left < hi) ++left;
      while (right > lo && CompareSign(compare(data_[right], data_[hi])) > 0) --right;
      if (left <= right) {
        if (left != right) std::swap(data_[left], data_[right]);
        ++left;
        --right;
      }
    } while (left <= right);
    if (right - lo < hi - left) {
      if (lo < right) QuickSort(lo, right, compare);
      lo = left;
    } else {
      if (left < hi) QuickSort(left, hi, compare);
      hi = right;
    }
  }
}

using NumberArray = RtArray<double>;  // An array of numbers.
using IntArray = RtArray<int32_t>;    // An array of 32-bit integers.
using TextArray = RtArray<RtString>;  // An array of texts.
// An array of a program's own records (plain structures).
template <typename R>
requires(RtArray<R>::kIsRecord) using RecordArray = RtArray<R>;

// ---- the commands ----

// (Re)creates the array with extents a to d (0 = absent), every element
// zero; see RtArray::Dim. Storage beyond 2 GiB is runtime error 7.
void DimNumberArray(NumberArray& arr, ArrayIndex a, ArrayIndex b = 0, ArrayIndex c = 0,
                    ArrayIndex d = 0);
// As DimNumberArray for integers.
void DimIntArray(IntArray& arr, ArrayIndex a, ArrayIndex b = 0, ArrayIndex c = 0, ArrayIndex d = 0);
// As DimNumberArray for texts, every element empty.
void DimTextArray(TextArray& arr, ArrayIndex a, ArrayIndex b = 0, ArrayIndex c = 0,
                  ArrayIndex d = 0);
// As DimNumberArray for records, every field zero.
template <typename R>
requires(RtArray<R>::kIsRecord) void DimRecordArray(RtArray<R>& arr, ArrayIndex a, ArrayIndex b = 0,
                                                    ArrayIndex c = 0, ArrayIndex d = 0) {
  arr.Dim(a, b, c, d);
}

// Resizes keeping the elements inside both the old and the new extents;
// see RtArray::Redim.
void RedimNumberArray(NumberArray& arr, ArrayIndex a, ArrayIndex b = 0, ArrayIndex c = 0,
                      ArrayIndex d = 0);
// As RedimNumberArray for integers.
void RedimIntArray(IntArray& arr, ArrayIndex a, ArrayIndex b = 0, ArrayIndex c = 0,
                   ArrayIndex d = 0);
// As RedimNumberArray for texts.
void RedimTextArray(TextArray& arr, ArrayIndex a, ArrayIndex b = 0, ArrayIndex c = 0,
                    ArrayIndex d = 0);
// As RedimNumberArray for records.
template <typename R>
requires(RtArray<R>::kIsRecord) void RedimRecordArray(RtArray<R>& arr, ArrayIndex a,
                                                      ArrayIndex b = 0, ArrayIndex c = 0,
                                                      ArrayIndex d = 0) {
  arr.Redim(a, b, c, d);
}

// The element (i, j, k, l) to read or assign; a negative i counts from the
// end, an index outside its extent is runtime error 9.
inline double& NumberArrayAt(NumberArray& arr, ArrayIndex i, ArrayIndex j = 0, ArrayIndex k = 0,
                             ArrayIndex l = 0) {
  return arr.At(i, j, k, l);
}
// As NumberArrayAt for integers.
inline int32_t& IntArrayAt(IntArray& arr, ArrayIndex i, ArrayIndex j = 0, ArrayIndex k = 0,
                           ArrayIndex l = 0) {
  return arr.At(i, j, k, l);
}
// As NumberArrayAt for texts.
inline RtString& TextArrayAt(TextArray& arr, ArrayIndex i, ArrayIndex j = 0, ArrayIndex k = 0,
                             ArrayIndex l = 0) {
  return arr.At(i, j, k, l);
}
// As NumberArrayAt for records.
template <typename R>
requires(RtArray<R>::kIsRecord) R& RecordArrayAt(RtArray<R>& arr, ArrayIndex i, ArrayIndex j = 0,
                                                 ArrayIndex k = 0, ArrayIndex l = 0) {
  return arr.At(i, j, k, l);
}

// The extent of dimension n (0 to 3), else 0.
template <typename T>
int32_t ArrayDimSize(const RtArray<T>& arr, ArrayIndex n) {
  return arr.DimSize(n.value());
}

// Appends the text as the new last element of a one-dimensional (or empty)
// array; an array of more dimensions is runtime error 8.
void TextArrayPush(TextArray& arr, const RtString& text);
// As TextArrayPush for a record.
template <typename R>
requires(RtArray<R>::kIsRecord) void RecordArrayPush(RtArray<R>& arr, const R& record) {
  arr.Push(record);
}

// Sorts the records ascending by their first field, an int32 (not stable).
template <typename R>
requires(RtArray<R>::kIsRecord) void SortRecordArray(RtArray<R>& arr) {
  arr.SortByFirstField();
}
// Sorts the records in the order compare(x, y) defines (see RtArray::Sort);
// a null comparison orders them by their first field.
template <typename R, typename Compare>
requires(RtArray<R>::kIsRecord) void SortRecordArray(RtArray<R>& arr, Compare compare) {
  if constexpr (std::is_null_pointer_v<Compare>) {
    arr.SortByFirstField();
  } else if constexpr (std::is_pointer_v<Compare>) {
    if (compare == nullptr) {
      arr.SortByFirstField();
    } else {
      arr.Sort(compare);
    }
  } else {
    arr.Sort(compare);
  }
}
