// Arrays: shapes and storage steps, checked access, resizing, appending and
// the record sort. Fatal errors end the process, so they run as death tests
// told apart by the exit status.
#include <gtest/gtest.h>
#include <pthread.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "runtime/core/arrays.h"
#include "runtime/core/runtime_error.h"

namespace {

struct HiscoreEntry {
  int32_t score;
  RtString name;
  int32_t level;
};

struct Keyed {
  int32_t key;
  int32_t tag;
};

class ArraysTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

#define EXPECT_RUNTIME_ERROR(statement, code) \
  EXPECT_EXIT(statement, ::testing::ExitedWithCode(code), "")

TEST_F(ArraysTest, OneDimensionalAccessCountsNegativeIndicesFromTheEnd) {
  NumberArray a;
  DimNumberArray(a, 10);
  EXPECT_EQ(a.DimCount(), 1);
  EXPECT_EQ(ArrayDimSize(a, 0), 10);
  EXPECT_EQ(NumberArrayAt(a, 4), 0);
  NumberArrayAt(a, 9) = 4.5;
  EXPECT_EQ(NumberArrayAt(a, -1), 4.5);
  // Number indices truncate like every number-to-integer step.
  EXPECT_EQ(NumberArrayAt(a, 9.99), 4.5);

  EXPECT_RUNTIME_ERROR(NumberArrayAt(a, 10), kErrIndexRange);
  EXPECT_RUNTIME_ERROR(NumberArrayAt(a, -11), kErrIndexRange);
  EXPECT_RUNTIME_ERROR(NumberArrayAt(a, NAN), kErrIndexRange);
  EXPECT_RUNTIME_ERROR(NumberArrayAt(a, 1e12), kErrIndexRange);
  NumberArray never;
  EXPECT_RUNTIME_ERROR(NumberArrayAt(never, 0), kErrIndexRange);
}

TEST_F(ArraysTest, StorageStepsInlineStorageAndReuse) {
  const struct {
    int total, numberCap;
    bool numberInline;
    int intCap;
    bool intInline;
    int textCap;
  } cases[] = {
      {0, 8, true, 8, true, 64},
      {7, 8, true, 8, true, 64},
      {8, 16, true, 16, false, 64},
      {15, 16, true, 16, false, 64},
      {16, 24, false, 24, false, 64},
      {64, 72, false, 72, false, 128},
      {1000, 1008, false, 1008, false, 1024},
  };
  for (const auto& c : cases) {
    NumberArray n;
    IntArray i;
    TextArray t;
    DimNumberArray(n, c.total);
    DimIntArray(i, c.total);
    DimTextArray(t, c.total);
    EXPECT_EQ(n.Capacity(), c.numberCap) << c.total;
    EXPECT_EQ(n.UsesInlineStorage(), c.numberInline) << c.total;
    EXPECT_EQ(i.Capacity(), c.intCap) << c.total;
    EXPECT_EQ(i.UsesInlineStorage(), c.intInline) << c.total;
    EXPECT_EQ(t.Capacity(), c.textCap) << c.total;
  }

  // Large enough storage is kept and cleared; an empty array always takes
  // fresh storage, which gives a big block back.
  NumberArray n;
  DimNumberArray(n, 50, 2);
  NumberArrayAt(n, 3, 1) = 7;
  DimNumberArray(n, 10);
  EXPECT_EQ(n.Capacity(), 104);
  EXPECT_EQ(NumberArrayAt(n, 3), 0);
  DimNumberArray(n, 0);
  EXPECT_EQ(n.Capacity(), 8);
  EXPECT_TRUE(n.UsesInlineStorage());

  TextArray t;
  DimTextArray(t, 3);
  TextArrayAt(t, 2) = "old";
  DimTextArray(t, 5);
  EXPECT_EQ(TextArrayAt(t, 2), "");

  // Moving an inline array must not leave it pointing into the source.
  DimNumberArray(n, 3);
  NumberArrayAt(n, 2) = 8;
  NumberArray moved(std::move(n));
  n.Dim(3);
  EXPECT_EQ(NumberArrayAt(moved, 2), 8);
}

TEST_F(ArraysTest, MultiDimensionalLayoutAndChecksOnEveryDimension) {
  IntArray g;
  DimIntArray(g, 4, 3);
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 4; ++i) IntArrayAt(g, i, j) = 10 * i + j;
  }
  for (int j = 0; j < 3; ++j) {
    for (int i = 0; i < 4; ++i) ASSERT_EQ(IntArrayAt(g, i, j), 10 * i + j);
  }
  // The first index varies fastest: (3, 2) is the last of the 12.
  EXPECT_EQ(3 + 2 * g.Shape().stride1, 11);
  EXPECT_EQ(IntArrayAt(g, -1, 2), 32);
  EXPECT_RUNTIME_ERROR(IntArrayAt(g, 0, 3), kErrIndexRange);
  EXPECT_RUNTIME_ERROR(IntArrayAt(g, 0, 0, 1), kErrIndexRange);

  NumberArray box;
  DimNumberArray(box, 2, 3, 4, 5);
  EXPECT_EQ(box.DimCount(), 4);
  EXPECT_EQ(box.ElementCount(), 120);
  EXPECT_EQ(ArrayDimSize(box, 3), 5);
  EXPECT_EQ(ArrayDimSize(box, 4), 0);
  EXPECT_EQ(ArrayDimSize(box, -1), 0);
  EXPECT_RUNTIME_ERROR(NumberArrayAt(box, 2, 0, 0, 0), kErrIndexRange);
  EXPECT_RUNTIME_ERROR(NumberArrayAt(box, 0, 3, 0, 0), kErrIndexRange);
  EXPECT_RUNTIME_ERROR(NumberArrayAt(box, 0, 0, 4, 0), kErrIndexRange);
  EXPECT_RUNTIME_ERROR(NumberArrayAt(box, 0, 0, 0, 5), kErrIndexRange);
  EXPECT_RUNTIME_ERROR(NumberArrayAt(box, 0, -1, 0, 0), kErrIndexRange);
  EXPECT_RUNTIME_ERROR(NumberArrayAt(box, 0, 0, -1, 0), kErrIndexRange);
  EXPECT_RUNTIME_ERROR(NumberArrayAt(box, 0, 0, 0, -1), kErrIndexRange);

  // An absent dimension between present ones must not make elements share
  // storage.
  IntArray gap;
  DimIntArray(gap, 3, 0, 0, 2);
  EXPECT_EQ(gap.ElementCount(), 6);
  IntArrayAt(gap, 1, 0, 0, 0) = 5;
  IntArrayAt(gap, 1, 0, 0, 1) = 6;
  EXPECT_EQ(IntArrayAt(gap, 1, 0, 0, 0), 5);
}

TEST_F(ArraysTest, BadExtentsGiveDefinedArraysOrError7) {
  NumberArray a;
  DimNumberArray(a, -4);
  EXPECT_EQ(a.DimCount(), 0);
  DimNumberArray(a, NAN);
  EXPECT_EQ(a.DimCount(), 0);
  // Negative further extents are absent dimensions.
  DimNumberArray(a, 3, -2, NAN);
  EXPECT_EQ(a.DimCount(), 1);
  EXPECT_EQ(ArrayDimSize(a, 1), 0);
  TextArray t;
  DimTextArray(t, 0, 5);
  EXPECT_RUNTIME_ERROR(TextArrayAt(t, 0, 0), kErrIndexRange);

  IntArray i;
  EXPECT_RUNTIME_ERROR(DimNumberArray(a, 100000, 100000), kErrInvalidArgument);
  EXPECT_RUNTIME_ERROR(DimIntArray(i, INT_MAX, INT_MAX, INT_MAX, INT_MAX), kErrInvalidArgument);
  EXPECT_RUNTIME_ERROR(DimNumberArray(a, 1e300), kErrInvalidArgument);
  EXPECT_RUNTIME_ERROR(RedimTextArray(t, 1 << 20, 1 << 10), kErrInvalidArgument);
}

TEST_F(ArraysTest, ResizeKeepsTheOverlap) {
  // The game's append: grow by one, then write the last element.
  NumberArray list;
  DimNumberArray(list, 3);
  for (int i = 0; i < 3; ++i) NumberArrayAt(list, i) = i + 1;
  RedimNumberArray(list, 4);
  EXPECT_EQ(NumberArrayAt(list, 2), 3);
  EXPECT_EQ(NumberArrayAt(list, 3), 0);
  NumberArrayAt(list, 3) = 4;
  // Inline to heap storage and back again.
  for (int n = 5; n <= 40; ++n) {
    RedimNumberArray(list, n);
    NumberArrayAt(list, -1) = n;
  }
  RedimNumberArray(list, 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(NumberArrayAt(list, i), i + 1);

  // (3 x 2) to (2 x 4) keeps the 2 x 2 corner where it was.
  IntArray g;
  DimIntArray(g, 3, 2);
  for (int j = 0; j < 2; ++j) {
    for (int i = 0; i < 3; ++i) IntArrayAt(g, i, j) = 10 * i + j + 1;
  }
  RedimIntArray(g, 2, 4);
  for (int j = 0; j < 4; ++j) {
    for (int i = 0; i < 2; ++i) EXPECT_EQ(IntArrayAt(g, i, j), j < 2 ? 10 * i + j + 1 : 0);
  }

  TextArray names;
  DimTextArray(names, 70);
  TextArrayAt(names, 69) = "last";
  RedimTextArray(names, 130, 2);
  EXPECT_EQ(TextArrayAt(names, 69, 0), "last");
  EXPECT_EQ(TextArrayAt(names, 69, 1), "");

  // Below 1 the array is emptied; it can grow again from there.
  RedimNumberArray(list, 0, 5);
  EXPECT_EQ(list.DimCount(), 0);
  EXPECT_EQ(ArrayDimSize(list, 1), 0);
  EXPECT_RUNTIME_ERROR(NumberArrayAt(list, 0), kErrIndexRange);
  RedimNumberArray(list, 2);
  EXPECT_EQ(NumberArrayAt(list, 1), 0);
}

TEST_F(ArraysTest, PushAppendsCopiesToOneDimensionOnly) {
  TextArray t;
  TextArrayPush(t, "a");
  TextArrayPush(t, "b");
  // Appending an element of the same array: the source survives the resize.
  for (int n = 0; n < 70; ++n) TextArrayPush(t, TextArrayAt(t, 0));
  EXPECT_EQ(ArrayDimSize(t, 0), 72);
  EXPECT_EQ(TextArrayAt(t, -1), "a");
  EXPECT_EQ(TextArrayAt(t, 1), "b");

  RecordArray<HiscoreEntry> rows;
  HiscoreEntry entry{150, "GULAR", 1};
  RecordArrayPush(rows, entry);
  entry.name.Append("X");
  EXPECT_EQ(RecordArrayAt(rows, 0).name, "GULAR");

  DimRecordArray(rows, 3, 2);
  EXPECT_RUNTIME_ERROR(RecordArrayPush(rows, entry), kErrAppendMultiDim);
  DimTextArray(t, 3, 0, 0, 2);
  EXPECT_RUNTIME_ERROR(TextArrayPush(t, "x"), kErrAppendMultiDim);
}

std::vector<int32_t> Scores(RecordArray<HiscoreEntry>& rows) {
  std::vector<int32_t> scores;
  for (int i = 0; i < ArrayDimSize(rows, 0); ++i) scores.push_back(RecordArrayAt(rows, i).score);
  return scores;
}

TEST_F(ArraysTest, SortsRecordsByFirstFieldOrByAComparison) {
  RecordArray<HiscoreEntry> rows;
  for (const HiscoreEntry& e : {HiscoreEntry{143950, "BIXU", 51}, HiscoreEntry{4430, "ZERAN", 22},
                                HiscoreEntry{980, "TORVIK", 12}, HiscoreEntry{27051, "NUMAS", 21},
                                HiscoreEntry{95, "VESTRIN", 5}, HiscoreEntry{150, "GULAR", 1}}) {
    RecordArrayPush(rows, e);
  }
  // Differences under 1 truncate to 0, so every pair counts as equal and
  // the passes swap symmetrically: range 0..5 swaps (0,5), (1,4), (2,3);
  // then 3..5 swaps (3,5) and 0..2 swaps (0,2).
  SortRecordArray(rows, [](const HiscoreEntry& a, const HiscoreEntry& b) {
    return (a.score - b.score) * 1e-9;
  });
  EXPECT_EQ(Scores(rows), (std::vector<int32_t>{27051, 95, 150, 143950, 4430, 980}));

  SortRecordArray(rows);
  EXPECT_EQ(Scores(rows), (std::vector<int32_t>{95, 150, 980, 4430, 27051, 143950}));
  EXPECT_EQ(RecordArrayAt(rows, 0).name, "VESTRIN");
  EXPECT_EQ(RecordArrayAt(rows, 0).level, 5);

  double (*descending)(const HiscoreEntry&, const HiscoreEntry&) = [](const HiscoreEntry& a,
                                                                      const HiscoreEntry& b) {
    return static_cast<double>(b.score) - a.score;
  };
  SortRecordArray(rows, descending);
  EXPECT_EQ(Scores(rows), (std::vector<int32_t>{143950, 27051, 4430, 980, 150, 95}));
  EXPECT_EQ(RecordArrayAt(rows, 1).name, "NUMAS");
  descending = nullptr;  // a null comparison orders by the first field
  SortRecordArray(rows, descending);
  EXPECT_EQ(RecordArrayAt(rows, 0).score, 95);

  int calls = 0;
  auto counting = [&calls](const HiscoreEntry&, const HiscoreEntry&) { return ++calls; };
  RedimRecordArray(rows, 1);
  SortRecordArray(rows, counting);
  RedimRecordArray(rows, 0);
  SortRecordArray(rows, counting);
  EXPECT_EQ(calls, 0);
}

TEST_F(ArraysTest, SortAgreesWithAReferenceSort) {
  std::mt19937 rng(7);
  for (int n : {2, 3, 17, 257, 1000}) {
    for (int pattern = 0; pattern < 4; ++pattern) {
      RecordArray<Keyed> rows;
      DimRecordArray(rows, n);
      std::vector<int32_t> keys;
      for (int i = 0; i < n; ++i) {
        const int32_t key = pattern == 0   ? static_cast<int32_t>(rng() % 50)
                            : pattern == 1 ? i
                            : pattern == 2 ? n - i
                                           : 4;
        RecordArrayAt(rows, i) = Keyed{key, i};
        keys.push_back(key);
      }
      SortRecordArray(rows);
      std::sort(keys.begin(), keys.end());
      std::vector<bool> seen(n, false);
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(RecordArrayAt(rows, i).key, keys[i]) << n << " " << pattern;
        seen[RecordArrayAt(rows, i).tag] = true;
      }
      EXPECT_EQ(std::count(seen.begin(), seen.end(), true), n);
    }
  }
}

void* SortSortedRows(void* arg) {
  SortRecordArray(*static_cast<RecordArray<Keyed>*>(arg),
                  [](const Keyed& a, const Keyed& b) { return a.key - b.key; });
  return nullptr;
}

TEST_F(ArraysTest, SortSurvivesSortedInputOnASmallStackAndInconsistentComparisons) {
  // The last-position pivot degenerates on sorted input into one partition
  // per element; recursing that deep would overflow this 256 KiB stack.
  RecordArray<Keyed> rows;
  const int n = 10000;
  DimRecordArray(rows, n);
  for (int i = 0; i < n; ++i) RecordArrayAt(rows, i) = Keyed{i, i};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  ASSERT_EQ(pthread_create(&thread, &attr, SortSortedRows, &rows), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  for (int i = 0; i < n; ++i) ASSERT_EQ(RecordArrayAt(rows, i).tag, i);

  // A comparison that puts everything, the pivot itself included, below the
  // pivot must not walk the left index off the end.
  RedimRecordArray(rows, 50);
  SortRecordArray(rows, [](const Keyed&, const Keyed&) { return -1.0; });
  SortRecordArray(rows, [](const Keyed&, const Keyed&) { return 1.0; });
  SortRecordArray(rows, [](const Keyed&, const Keyed&) { return NAN; });
  std::vector<bool> seen(50, false);
  for (int i = 0; i < 50; ++i) seen[RecordArrayAt(rows, i).tag] = true;
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 50);
}

}  // namespace
