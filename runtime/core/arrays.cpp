#include "runtime/core/arrays.h"

#include <cstdlib>

#include "runtime/core/runtime_error.h"

namespace arrays_internal {

ArrayPlan PlanArray(int32_t a, int32_t b, int32_t c, int32_t d, int32_t step, size_t elementSize) {
  // A negative further extent would make every index of its dimension
  // invalid and its stride negative; it is taken as an absent dimension.
  if (b < 0) b = 0;
  if (c < 0) c = 0;
  if (d < 0) d = 0;
  const int64_t count0 = a > 0 ? a : 0;

  // The limit also keeps capacities, strides and offsets inside int32.
  int64_t maxCapacity = static_cast<int64_t>(kMaxArrayBytes / elementSize);
  if (maxCapacity > INT32_MAX) maxCapacity = INT32_MAX;
  const int64_t maxTotal = maxCapacity - step;
  int64_t total = count0;
  for (int32_t extent : {b, c, d}) {
    if (extent > 1) {
      if (total > maxTotal / extent) InvalidArgument();
      total *= extent;
    }
  }
  if (total > maxTotal) InvalidArgument();

  ArrayPlan plan;
  plan.total = static_cast<int32_t>(total);
  plan.capacity = static_cast<int32_t>((total & ~static_cast<int64_t>(step - 1)) + step);

  ArrayShape& s = plan.shape;
  s.dimCount = d != 0 ? 4 : c != 0 ? 3 : b != 0 ? 2 : count0 > 0 ? 1 : 0;
  s.dim0 = static_cast<int32_t>(count0);
  s.dim1 = b;
  s.dim2 = c;
  s.dim3 = d;
  // An absent dimension between present ones steps like an extent of 1;
  // otherwise the elements beyond it would share storage.
  s.stride1 = s.dim0;
  s.stride2 = s.stride1 * (b > 0 ? b : 1);
  s.stride3 = s.stride2 * (c > 0 ? c : 1);
  return plan;
}

int32_t ElementCount(const ArrayShape& shape) {
  if (shape.dimCount == 0) return 0;
  return shape.stride3 * (shape.dim3 > 0 ? shape.dim3 : 1);
}

void* AllocateStorage(size_t count, size_t elementSize) {
  // count * elementSize is bounded by kMaxArrayBytes through PlanArray.
  void* block = std::malloc(count * elementSize);
  if (block == nullptr) FatalRuntimeError(kErrInvalidArgument);
  return block;
}

void FreeStorage(void* block) {
  std::free(block);
}

void IndexOutOfRange() {
  FatalRuntimeError(kErrIndexRange);
}

void AppendToMultiDimensional() {
  FatalRuntimeError(kErrAppendMultiDim);
}

void InvalidArgument() {
  FatalRuntimeError(kErrInvalidArgument);
}

}  // namespace arrays_internal

void DimNumberArray(NumberArray& arr, ArrayIndex a, ArrayIndex b, ArrayIndex c, ArrayIndex d) {
  arr.Dim(a, b, c, d);
}

void DimIntArray(IntArray& arr, ArrayIndex a, ArrayIndex b, ArrayIndex c, ArrayIndex d) {
  arr.Dim(a, b, c, d);
}

void DimTextArray(TextArray& arr, ArrayIndex a, ArrayIndex b, ArrayIndex c, ArrayIndex d) {
  arr.Dim(a, b, c, d);
}

void RedimNumberArray(NumberArray& arr, ArrayIndex a, ArrayIndex b, ArrayIndex c, ArrayIndex d) {
  arr.Redim(a, b, c, d);
}

void RedimIntArray(IntArray& arr, ArrayIndex a, ArrayIndex b, ArrayIndex c, ArrayIndex d) {
  arr.Redim(a, b, c, d);
}

void RedimTextArray(TextArray& arr, ArrayIndex a, ArrayIndex b, ArrayIndex c, ArrayIndex d) {
  arr.Redim(a, b, c, d);
}

void TextArrayPush(TextArray& arr, const RtString& text) {
  arr.Push(text);
}

template class RtArray<double>;
template class RtArray<int32_t>;
template class RtArray<RtString>;
