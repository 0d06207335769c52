#include "runtime/core/data_table.h"

#include "runtime/core/conversion.h"
#include "runtime/core/runtime_error.h"

namespace {

DataTable* g_currentTable = nullptr;

// The item at the current position, advancing past it; error 20 when there
// is none. A table whose fields were left inconsistent counts as exhausted.
const DataItem& NextItem() {
  DataTable* table = g_currentTable;
  if (table == nullptr || table->items == nullptr || table->position < 0 ||
      table->position >= table->size) {
    FatalRuntimeError(kErrNoMoreData);
  }
  return table->items[table->position++];
}

double ItemNumber(const DataItem& item) {
  return item.text != nullptr ? TextToNumber(item.text) : item.value;
}

}  // namespace

void RestoreData(DataTable& table) {
  g_currentTable = &table;
  table.position = 0;
}

void ReadDataString(RtString& out) {
  const DataItem& item = NextItem();
  if (item.text != nullptr) {
    out.Assign(item.text);
  } else {
    out = RtString(item.value);
  }
}

void ReadDataNumber(double& out) {
  out = ItemNumber(NextItem());
}

void ReadDataInt(int32_t& out) {
  const double v = ItemNumber(NextItem());
  if (!(v == v)) {
    out = 0;
  } else if (v >= 2147483647.0) {
    out = INT32_MAX;
  } else if (v <= -2147483648.0) {
    out = INT32_MIN;
  } else {
    out = static_cast<int32_t>(v);
  }
}
