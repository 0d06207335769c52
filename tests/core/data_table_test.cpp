// Data tables: reading items in order across kinds, rewinding, and the end of
// the data.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "runtime/core/arrays.h"
#include "runtime/core/data_table.h"
#include "runtime/core/runtime_error.h"

namespace {

struct HiscoreEntry {
  int32_t score;
  RtString name;
  int32_t level;
};

// The game's default hiscores, in reading order: name, level, score.
const DataItem kDefaultHiscores[] = {
    DataText("BIXU"),    DataNumber(51),    DataNumber(143950), DataText("ZERAN"),
    DataNumber(22),      DataNumber(4430),  DataText("TORVIK"), DataNumber(12),
    DataNumber(980),     DataText("NUMAS"), DataNumber(21),     DataNumber(27051),
    DataText("VESTRIN"), DataNumber(5),     DataNumber(95),     DataText("GULAR"),
    DataNumber(1),       DataNumber(150),
};

const DataItem kMixed[] = {
    DataNumber(0.5),  DataNumber(-3.9),   DataText("12abc"), DataText("-7.8"),
    DataText("1e20"), DataNumber(-1e300), DataText(""),      DataNumber(100),
};

class DataTableTest : public ::testing::Test {
 protected:
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(DataTableTest, DefaultHiscoresLoadIntoSortedRecords) {
  DataTable table = MakeDataTable(kDefaultHiscores);
  RecordArray<HiscoreEntry> hiscores;
  RestoreData(table);
  for (int row = 0; row < 6; ++row) {
    HiscoreEntry entry{0, RtString(), 0};
    ReadDataString(entry.name);
    ReadDataInt(entry.level);
    ReadDataInt(entry.score);
    RecordArrayPush(hiscores, entry);
  }
  EXPECT_EQ(table.position, 18);
  SortRecordArray(hiscores);
  const char* names[] = {"VESTRIN", "GULAR", "TORVIK", "ZERAN", "NUMAS", "BIXU"};
  const int32_t scores[] = {95, 150, 980, 4430, 27051, 143950};
  const int32_t levels[] = {5, 1, 12, 22, 21, 51};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(RecordArrayAt(hiscores, i).name, names[i]);
    EXPECT_EQ(RecordArrayAt(hiscores, i).score, scores[i]);
    EXPECT_EQ(RecordArrayAt(hiscores, i).level, levels[i]);
  }
}

TEST_F(DataTableTest, ItemsConvertToTheKindTheReaderAsksFor) {
  DataTable table = MakeDataTable(kMixed);
  RestoreData(table);
  RtString text;
  ReadDataString(text);
  EXPECT_EQ(text, "0.5");
  int32_t n = 0;
  ReadDataInt(n);
  EXPECT_EQ(n, -3);
  double v = 0;
  ReadDataNumber(v);
  EXPECT_EQ(v, 12);
  ReadDataInt(n);
  EXPECT_EQ(n, -7);
  ReadDataInt(n);
  EXPECT_EQ(n, INT_MAX);
  ReadDataInt(n);
  EXPECT_EQ(n, INT_MIN);
  ReadDataString(text);
  EXPECT_EQ(text, "");
  ReadDataString(text);
  EXPECT_EQ(text, "100");

  // Rewinding starts the same table over.
  RestoreData(table);
  ReadDataNumber(v);
  EXPECT_EQ(v, 0.5);
  EXPECT_EQ(table.position, 1);
}

TEST_F(DataTableTest, ReadingPastTheEndIsError20) {
  EXPECT_EXIT(
      {
        DataTable table = MakeDataTable(kMixed);
        RestoreData(table);
        double v;
        for (int i = 0; i < 8; ++i) ReadDataNumber(v);
        ReadDataNumber(v);
      },
      ::testing::ExitedWithCode(kErrNoMoreData), "");
  // No table at all, and a table whose position was set beyond it.
  EXPECT_EXIT(
      {
        RtString s;
        ReadDataString(s);
      },
      ::testing::ExitedWithCode(kErrNoMoreData), "");
  EXPECT_EXIT(
      {
        DataTable table = MakeDataTable(kMixed);
        RestoreData(table);
        table.position = -1;
        int32_t n;
        ReadDataInt(n);
      },
      ::testing::ExitedWithCode(kErrNoMoreData), "");
}

}  // namespace
