// Data tables: constant lists compiled into a program and read item by item.
//
// A program points the reader at one table with RestoreData and then takes
// its items in order; reading past the last item ends the program with
// runtime error 20.
#pragma once

#include <cstdint>

#include "runtime/core/rt_string.h"

// One item: a number, or a text when text is not null.
struct DataItem {
  double value;      // The number (0 for a text item).
  const char* text;  // The text, or null for a number item.
};

// A number item for a table.
constexpr DataItem DataNumber(double value) {
  return DataItem{value, nullptr};
}
// A text item for a table; the text must outlive the table.
constexpr DataItem DataText(const char* text) {
  return DataItem{0, text};
}

// A table of items and the reading position in it.
struct DataTable {
  const DataItem* items;  // The items, in reading order.
  int32_t size;           // How many items there are.
  int32_t position;       // the next item to read
};

// A table over a static array of items, positioned at its first item.
template <int32_t N>
constexpr DataTable MakeDataTable(const DataItem (&items)[N]) {
  return DataTable{items, N, 0};
}

// Makes table the current one and rewinds it. The reader keeps a pointer to
// it, so the table must outlive the reads (program tables are static).
void RestoreData(DataTable& table);
// The next item's text; a number item is given as its number text.
void ReadDataString(RtString& out);
// The next item's value; a text item is read with TextToNumber.
void ReadDataNumber(double& out);
// As ReadDataNumber, truncated toward zero to int32 (saturating; NaN gives 0).
void ReadDataInt(int32_t& out);
