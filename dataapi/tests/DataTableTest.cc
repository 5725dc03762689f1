#include "dataapi/DataTable.h"
#include "dataapi/Keys.h"
#include "dataapi/SharedMalloc.h"
#include "platform/base/Error.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <thread>

#include <gtest/gtest.h>

namespace quarnel::dataapi {
namespace {

// A key column (10 characters unless said) and one long column.
Ref<DataTable> KeyedTable(int32_t page_size = 65535, int32_t key_bytes = 20) {
  Ref<DataTable> t = DataTable::Create();
  const int32_t widths[] = {key_bytes, 4};
  const TableDataType types[] = {dataUnicodeString, dataLong};
  t->SetupTable(widths, types, page_size);
  return t;
}

Ref<DataTable> TableWithKeys(std::initializer_list<const char16_t*> keys) {
  Ref<DataTable> t = KeyedTable(65535, 40);
  for (const char16_t* key : keys) {
    int32_t row = t->InsertRows(t->GetBounds() + 1, 1);
    t->SetStringData(0, row, key);
    t->SetLongData(1, row, row);
  }
  return t;
}

int32_t ErrorNumberOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.Number();
  }
  return 0;
}

TEST(DataTableTest, EmptyTableFindsNothing) {
  Ref<DataTable> t = KeyedTable();
  EXPECT_EQ(t->GetBounds(), -1);
  EXPECT_EQ(t->MemoryUsed(), 0);
  for (FindType f : {FindLeftOrEqual, FindRightAfter, FindFirstExact, FindLastExact}) {
    EXPECT_EQ(t->IndexSeek(0, u"1", f), -1) << f;
  }
  EXPECT_EQ(t->FindInsertKey(0, u"1"), 0);
  EXPECT_EQ(t->FindInsertKey(0, u"1", true), 0);
}

TEST(DataTableTest, ColumnsAndTheirErrors) {
  Ref<DataTable> t = DataTable::Create();
  EXPECT_EQ(ErrorNumberOf([&] { t->LastColumnNumber(); }), 9);
  EXPECT_EQ(ErrorNumberOf([&] { t->ColumnType(0); }), 9);
  const int32_t widths[] = {20, 4, 4};
  const TableDataType types[] = {dataUnicodeString, dataLong, dataLong};
  t->SetupTable(widths, types, 100);
  EXPECT_EQ(t->LastColumnNumber(), 2);
  EXPECT_EQ(t->ColumnType(0), dataUnicodeString);
  EXPECT_EQ(t->ColumnType(2), dataLong);
  EXPECT_EQ(t->RowWidth(), 28);
  EXPECT_EQ(t->ColumnOffset(2), 24);
  EXPECT_EQ(ErrorNumberOf([&] { t->ColumnType(3); }), 9);
  EXPECT_EQ(ErrorNumberOf([&] { t->ColumnType(-1); }), 9);
  // Fewer types than widths: the table is left without columns.
  t->SetupTable(widths, std::span<const TableDataType>(types, 2), 100);
  EXPECT_EQ(ErrorNumberOf([&] { t->LastColumnNumber(); }), 9);
  EXPECT_EQ(t->RowWidth(), 0);
}

TEST(DataTableTest, CapacityGrowsShrinksAndIsReleased) {
  Ref<DataTable> t = DataTable::Create();
  const int32_t widths[] = {158};
  const TableDataType types[] = {dataLong};
  t->SetupTable(widths, types, 65535);
  t->InsertRows(0, 1);
  EXPECT_EQ(t->MemoryUsed(), 131070);
  // 414 rows are 65,412 bytes, still below the page; the 415th crosses it.
  t->InsertRows(0, 413);
  EXPECT_EQ(t->GetBounds(), 413);
  EXPECT_EQ(t->MemoryUsed(), 131070);
  t->InsertRows(0, 1);
  EXPECT_EQ(t->MemoryUsed(), 196605);
  t->DeleteRows(0, 1);
  EXPECT_EQ(t->MemoryUsed(), 131070);
  t->DeleteRows(0, 414);
  EXPECT_EQ(t->GetBounds(), -1);
  EXPECT_EQ(t->MemoryUsed(), 0);
  t->InsertRows(0, 2);
  EXPECT_EQ(t->MemoryUsed(), 131070);
  t->Clear();
  EXPECT_EQ(t->MemoryUsed(), 0);
  EXPECT_EQ(t->LastColumnNumber(), 0);  // Clear keeps the columns
}

TEST(DataTableTest, SizeErrorsLeaveTheTableAsItWas) {
  Ref<DataTable> no_page = KeyedTable(0);
  EXPECT_EQ(ErrorNumberOf([&] { no_page->InsertRows(0, 1); }), 11);
  EXPECT_EQ(no_page->GetBounds(), -1);
  Ref<DataTable> t = KeyedTable();
  t->InsertRows(0, 3);
  EXPECT_EQ(ErrorNumberOf([&] { t->InsertRows(0, 200'000'000); }), 6);
  EXPECT_EQ(t->GetBounds(), 2);
}

TEST(DataTableTest, InsertRowsPlacesAndShiftsRows) {
  Ref<DataTable> t = TableWithKeys({u"1", u"2", u"3"});
  EXPECT_EQ(t->InsertRows(1000, 1), 3);  // past the end appends
  t->SetLongData(1, 3, 99);
  EXPECT_EQ(t->InsertRows(-1, 5), 0);  // negative row inserts nothing
  EXPECT_EQ(t->GetBounds(), 3);
  EXPECT_EQ(t->InsertRows(1, 2), 1);
  EXPECT_EQ(t->GetBounds(), 5);
  EXPECT_EQ(t->StringData(0, 0), u"1");
  EXPECT_EQ(t->StringData(0, 3), u"2");
  EXPECT_EQ(t->StringData(0, 4), u"3");
  EXPECT_EQ(t->LongData(1, 5), 99);
  EXPECT_EQ(t->InsertRows(0, 0), 0);
  EXPECT_EQ(t->GetBounds(), 5);
}

TEST(DataTableTest, DeleteRowsDropsRangeOrTail) {
  Ref<DataTable> t = TableWithKeys({u"1", u"2", u"3", u"4", u"5"});
  t->DeleteRows(1, 2);
  ASSERT_EQ(t->GetBounds(), 2);
  EXPECT_EQ(t->StringData(0, 1), u"4");
  t->DeleteRows(-1, 1);
  t->DeleteRows(3, 1);
  t->DeleteRows(0, 0);
  t->DeleteRows(0, -4);
  EXPECT_EQ(t->GetBounds(), 2);
  t->DeleteRows(1, 100);  // the range runs past the end: everything from row 1 goes
  ASSERT_EQ(t->GetBounds(), 0);
  EXPECT_EQ(t->StringData(0, 0), u"1");
}

TEST(DataTableTest, CellsOutsideTheTableReadZeroAndIgnoreWrites) {
  Ref<DataTable> t = TableWithKeys({u"7"});
  const std::pair<int32_t, int32_t> outside[] = {{-1, 0}, {2, 0}, {0, -1}, {0, 1}, {1, 5}};
  for (auto [column, row] : outside) {
    t->SetLongData(column, row, 5);
    t->SetStringData(column, row, u"x");
    EXPECT_EQ(t->LongData(column, row), 0);
    EXPECT_EQ(t->StringData(column, row), u"");
  }
  EXPECT_EQ(t->StringData(0, 0), u"7");
  EXPECT_EQ(t->LongData(1, 0), 0);
  // A long column narrower than 4 bytes reads 0 and ignores writes.
  Ref<DataTable> narrow = DataTable::Create();
  const int32_t widths[] = {2, 4};
  const TableDataType types[] = {dataLong, dataLong};
  narrow->SetupTable(widths, types, 64);
  narrow->InsertRows(0, 1);
  narrow->SetLongData(1, 0, 0);
  narrow->SetLongData(0, 0, 77);
  EXPECT_EQ(narrow->LongData(0, 0), 0);
  EXPECT_EQ(narrow->LongData(1, 0), 0);
}

TEST(DataTableTest, StringCellsAreCutAndTrimmed) {
  Ref<DataTable> t = KeyedTable();
  t->InsertRows(0, 1);
  t->SetLongData(1, 0, 12345);
  t->SetStringData(0, 0, u"abcdefghijKLMNOP");
  EXPECT_EQ(t->StringData(0, 0), u"abcdefghij");
  EXPECT_EQ(t->LongData(1, 0), 12345);  // the cut text stays in its cell
  t->SetStringData(0, 0, u"  a b  ");
  EXPECT_EQ(t->StringData(0, 0), u"a b");
  t->SetStringData(0, 0, u"\u00e9\u20ac");
  EXPECT_EQ(t->StringData(0, 0), u"\u00e9\u20ac");
  t->SetStringData(0, 0, u"");
  EXPECT_EQ(t->StringData(0, 0), u"");
}

TEST(DataTableTest, FindTypesOnRepeatedKeys) {
  Ref<DataTable> t = TableWithKeys({u"1", u"2", u"2", u"2", u"3"});
  struct Case {
    const char16_t* value;
    FindType find;
    int32_t expected;
  };
  const Case cases[] = {
      {u"2", FindFirstExact, 1},  {u"2", FindLastExact, 3},    {u"2", FindRightAfter, 4},
      {u"2", FindLeftOrEqual, 1}, {u"0", FindLeftOrEqual, -1}, {u"3", FindRightAfter, -1},
      {u"5", FindLastExact, -1},  {u"1", FindFirstExact, 0},   {u"3", FindLastExact, 4},
      {u"0", FindRightAfter, 0},  {u"5", FindLeftOrEqual, 4},  {u"1", FindRightAfter, 1},
      {u"4", FindFirstExact, -1}, {u"0", FindLastExact, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(t->IndexSeek(0, c.value, c.find), c.expected)
        << std::string(c.value, c.value + 1) << " find " << c.find;
  }
  EXPECT_EQ(t->FindInsertKey(0, u"2"), -1);
  EXPECT_EQ(t->FindInsertKey(0, u"2", true), 1);
  EXPECT_EQ(t->FindInsertKey(0, u"4"), 5);
  EXPECT_EQ(t->FindInsertKey(0, u"0"), 0);
  EXPECT_EQ(t->FindInsertKey(0, u"1"), -1);
}

TEST(DataTableTest, SeekComparesCompositeKeysNumerically) {
  Ref<DataTable> t = TableWithKeys(
      {u"0,1,2,5", u"0,1,9,0", u"0,1,10,0", u"0,1,10,200", u"0,1,10,1000", u"1,-5,0,0"});
  EXPECT_EQ(t->IndexSeek(0, u"0,1,10,500", FindLeftOrEqual), 3);
  EXPECT_EQ(t->IndexSeek(0, u"0,1,10,500", FindRightAfter), 4);
  EXPECT_EQ(t->IndexSeek(0, u"0,1,10,1000", FindFirstExact), 4);
  EXPECT_EQ(t->IndexSeek(0, u"1,-6,0,0", FindRightAfter), 5);
  EXPECT_EQ(t->IndexSeek(0, u"2,0,0,0", FindLeftOrEqual), 5);
  // Seeking a long column is refused.
  EXPECT_EQ(t->IndexSeek(1, u"1", FindFirstExact), -1);
  EXPECT_EQ(ErrorNumberOf([&] { t->IndexSeek(7, u"1", FindFirstExact); }), 9);
  EXPECT_EQ(ErrorNumberOf([&] { t->IndexSeek(0, u"0,x,1,1", FindFirstExact); }), 13);
  EXPECT_EQ(ErrorNumberOf([&] { t->IndexSeek(0, u"0,1", FindFirstExact); }), 9);
}

// Keys read in place from a cell compare exactly as CompareKeys compares the texts,
// errors included, whatever form the parts take.
TEST(DataTableTest, InPlaceComparisonAgreesWithCompareKeys) {
  const std::u16string parts[] = {
      u"0",   u"1",  u"-1", u"12", u"012",         u"2147483647", u"-2147483648", u"2147483648",
      u"1.5", u" 3", u"x",  u"",   u"99999999999", u"-",          u"+4",          u"12 "};
  std::mt19937 rng(5);
  std::uniform_int_distribution<size_t> pick(0, std::size(parts) - 1), count(1, 5);
  std::uniform_int_distribution<int> coin(0, 3);
  auto make_key = [&] {
    std::u16string key;
    size_t n = count(rng);
    for (size_t i = 0; i < n; ++i) {
      if (i) key += u',';
      key += coin(rng) ? parts[pick(rng) % 6] : parts[pick(rng)];
    }
    return key;
  };
  auto outcome = [](const std::function<LargerString()>& f) {
    try {
      return static_cast<int32_t>(f());
    } catch (const Error& e) {
      return 100 + e.Number();
    }
  };
  Ref<DataTable> t = KeyedTable(65535, 80);
  t->InsertRows(0, 1);
  for (int i = 0; i < 20000; ++i) {
    std::u16string stored = make_key(), value = make_key();
    if (coin(rng) == 0) value = stored.substr(0, stored.size() / 2) + value;
    t->SetStringData(0, 0, stored);
    std::u16string trimmed = t->StringData(0, 0);
    ASSERT_EQ(outcome([&] { return t->CompareCellKey(0, 0, value); }),
              outcome([&] { return CompareKeys(trimmed, value); }))
        << std::string(trimmed.begin(), trimmed.end()) << " vs "
        << std::string(value.begin(), value.end());
  }
}

// The seek rules, on random sorted tables, against a walk over every row:
//   FindFirstExact, FindLastExact: the first, the last row whose text equals the value;
//   FindLeftOrEqual: the first row whose text equals the value, else the last row whose
//     key is below it;
//   FindRightAfter: the first row whose key is above the value;
// each -1 when there is no such row. Below and above compare keys number by number, so a
// key written differently with the same numbers (02 for 2, 2.0 for 2) is neither below
// nor above, and does not equal either. Each table writes every number one way; a value
// writes each part as the table does, or one part another way.
TEST(DataTableTest, SeekFollowsItsRulesOnRandomTables) {
  constexpr int kLow = -1, kHigh = 7;  // values range one past the rows' numbers, 0 to 6
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> row_part(0, 6), value_part(kLow, kHigh), rows(0, 40),
      form(0, 2), coin(0, 2);
  auto written = [](int n, int how) {
    std::u16string digits;
    for (char c : std::to_string(std::abs(n))) digits.push_back(static_cast<char16_t>(c));
    const std::u16string sign = n < 0 ? u"-" : u"";
    switch (how) {
      case 1:
        return sign + u"0" + digits;
      case 2:
        return sign + digits + u".0";
      default:
        return sign + digits;
    }
  };
  for (int round = 0; round < 400; ++round) {
    std::map<int, int> how;  // how this table writes each number
    for (int n = kLow; n <= kHigh; ++n) how[n] = form(rng);
    std::vector<std::pair<int, int>> keys(static_cast<size_t>(rows(rng)));
    for (auto& k : keys) k = {row_part(rng), row_part(rng)};
    std::sort(keys.begin(), keys.end());
    Ref<DataTable> t = KeyedTable(4096, 40);
    for (auto [a, b] : keys) {
      int32_t row = t->InsertRows(t->GetBounds() + 1, 1);
      t->SetStringData(0, row, written(a, how[a]) + u"," + written(b, how[b]));
    }
    for (int probe = 0; probe < 20; ++probe) {
      const std::pair<int, int> v = {value_part(rng), value_part(rng)};
      const bool alike = coin(rng) != 0;
      const int other = (how[v.second] + 1 + coin(rng) % 2) % 3;
      const std::u16string value =
          written(v.first, how[v.first]) + u"," + written(v.second, alike ? how[v.second] : other);

      int32_t first_equal = -1, last_equal = -1, last_below = -1, first_above = -1;
      for (int32_t r = 0; r < static_cast<int32_t>(keys.size()); ++r) {
        if (keys[r] < v) last_below = r;
        if (keys[r] > v && first_above < 0) first_above = r;
        if (keys[r] == v && alike) {
          if (first_equal < 0) first_equal = r;
          last_equal = r;
        }
      }
      const std::pair<FindType, int32_t> expected[] = {
          {FindFirstExact, first_equal},
          {FindLastExact, last_equal},
          {FindLeftOrEqual, first_equal >= 0 ? first_equal : last_below},
          {FindRightAfter, first_above},
      };
      for (auto [find, row] : expected) {
        ASSERT_EQ(t->IndexSeek(0, value, find), row)
            << "round " << round << ", find " << find << ", value "
            << std::string(value.begin(), value.end()) << ", " << keys.size() << " rows";
      }
    }
  }
}

TEST(DataTableTest, RawDataRoundTripsAndRefusesForeignBytes) {
  Ref<DataTable> t = TableWithKeys({u"1", u"2", u"3"});
  std::vector<uint8_t> bytes;
  t->GetRawData(bytes);
  ASSERT_EQ(bytes.size(), 3u * 44 + 1);
  EXPECT_EQ(bytes.back(), 0);
  Ref<DataTable> other = KeyedTable(65535, 40);
  other->SetRawData(bytes);
  ASSERT_EQ(other->GetBounds(), 2);
  EXPECT_EQ(other->StringData(0, 2), u"3");
  EXPECT_EQ(other->LongData(1, 1), 1);
  std::vector<uint8_t> again;
  other->GetRawData(again);
  EXPECT_EQ(again, bytes);

  std::vector<uint8_t> wrong(bytes.begin(), bytes.end() - 5);
  EXPECT_EQ(ErrorNumberOf([&] { other->SetRawData(wrong); }), 13);
  EXPECT_EQ(ErrorNumberOf([&] { other->SetRawData({}); }), 9);
  EXPECT_EQ(other->GetBounds(), 2);
  other->SetRawData(std::vector<uint8_t>{0});  // no rows
  EXPECT_EQ(other->GetBounds(), -1);
  EXPECT_EQ(other->MemoryUsed(), 0);
}

TEST(DataTableTest, CloneIsAnIndependentCopy) {
  Ref<DataTable> t = TableWithKeys({u"1", u"2"});
  Ref<DataTable> c = t->Clone();
  EXPECT_EQ(c->LastColumnNumber(), 1);
  EXPECT_EQ(c->PageSize(), 65535);
  EXPECT_EQ(c->MemoryUsed(), t->MemoryUsed());
  c->SetStringData(0, 0, u"9");
  c->InsertRows(0, 1);
  EXPECT_EQ(t->StringData(0, 0), u"1");
  EXPECT_EQ(t->GetBounds(), 1);
  EXPECT_EQ(c->StringData(0, 1), u"9");
}

TEST(DataTableTest, SharedAllocatorIsOnePerThread) {
  Ref<platform::TaskMalloc> a = GetSharedMalloc();
  EXPECT_EQ(a, GetSharedMalloc());
  Ref<platform::TaskMalloc> other;
  std::thread([&] { other = GetSharedMalloc(); }).join();
  EXPECT_TRUE(other);
  EXPECT_NE(other, a);
}

}  // namespace
}  // namespace quarnel::dataapi
