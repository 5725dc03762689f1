#include "platform/base/Error.h"
#include "platform/recordset/Recordset.h"
#include "platform/recordset/RecordsetErrors.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel {
namespace {

namespace re = recordset_errors;

int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.Number();
  }
  return 0;
}

// Reads one integer field of every row in the current order.
std::vector<int32_t> Walk(Recordset& rs, std::string_view field) {
  std::vector<int32_t> out;
  Field& f = rs.Fields()[field];
  for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) out.push_back(f.Int32());
  return out;
}

class SortedTable : public ::testing::Test {
 protected:
  void SetUp() override {
    rs.Fields().Append("Key", DataTypeEnum::adInteger);
    rs.Fields().Append("Sub", DataTypeEnum::adInteger);
    rs.Fields().Append("Id", DataTypeEnum::adInteger);
    rs.Open();
  }
  void Add(int32_t key, int32_t sub, int32_t id) {
    rs.AddNew();
    rs.SetValue("key", key);
    rs.SetValue("SUB", sub);
    rs.SetValue("Id", id);
  }
  Recordset rs;
};

TEST(RecordsetTest, AppendedFieldsDescribeThemselves) {
  Recordset rs;
  rs.Fields().Append("Network", DataTypeEnum::adInteger);
  rs.Fields().Append("title", DataTypeEnum::adVarChar, 1024);
  rs.Fields().Append("events", DataTypeEnum::adLongVarChar, 0);
  ASSERT_EQ(rs.Fields().Count(), 3);
  std::vector<std::string> names;
  for (Field& f : rs.Fields()) names.push_back(f.Name());
  EXPECT_EQ(names, (std::vector<std::string>{"Network", "title", "events"}));
  EXPECT_EQ(rs.Fields().Item(0).DefinedSize(), 4);  // an integer's size, whatever was given
  EXPECT_EQ(rs.Fields().Item(0).Attributes(), 0x14);
  EXPECT_EQ(rs.Fields()["TITLE"].Type(), DataTypeEnum::adVarChar);
  EXPECT_EQ(rs.Fields()["title"].DefinedSize(), 1024);
  EXPECT_EQ(rs.Fields()["title"].Attributes(), 0x04);
  EXPECT_EQ(rs.Fields()["events"].Attributes(), 0x84);
  EXPECT_EQ(rs.Fields().Find("nothing"), nullptr);
}

TEST(RecordsetTest, MisuseRaisesTheLibraryErrors) {
  Recordset rs;
  rs.Fields().Append("A", DataTypeEnum::adInteger);
  EXPECT_EQ(ErrorOf([&] { rs.Fields().Append("a", DataTypeEnum::adInteger); }),
            re::kObjectInCollection);
  EXPECT_EQ(ErrorOf([&] { rs.Fields().Append("B", DataTypeEnum::adVarChar, -1); }),
            re::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { rs.RecordCount(); }), re::kObjectClosed);
  EXPECT_EQ(ErrorOf([&] { rs.AddNew(); }), re::kObjectClosed);
  rs.Open();
  EXPECT_EQ(ErrorOf([&] { rs.Open(); }), re::kObjectOpen);
  EXPECT_EQ(ErrorOf([&] { rs.Fields().Append("C", DataTypeEnum::adInteger); }),
            re::kIllegalOperation);
  // An empty table has no current row, before and after MoveFirst.
  EXPECT_EQ(ErrorOf([&] { rs.Value("A"); }), re::kNoCurrentRecord);
  rs.MoveFirst();
  EXPECT_TRUE(rs.Eof());
  EXPECT_TRUE(rs.Bof());
  EXPECT_EQ(ErrorOf([&] { rs.Value("A"); }), re::kNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs.Fields()["A"].Int32(); }), re::kNoCurrentRecord);
  EXPECT_EQ(ErrorOf([&] { rs.MoveNext(); }), re::kNoCurrentRecord);
  rs.AddNew();
  EXPECT_EQ(ErrorOf([&] { rs.Value("Missing"); }), re::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs.SetSort("A, Missing"); }), re::kItemNotFound);
  EXPECT_EQ(ErrorOf([&] { rs.SetSort("A SIDEWAYS"); }), re::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { rs.SetFilter("A = 1"); }), re::kInvalidArgument);
  EXPECT_EQ(ErrorOf([&] { rs.Fields()["A"].SetProperties("Nonsense", 1); }), re::kItemNotFound);
  rs.Close();
  EXPECT_EQ(ErrorOf([&] { rs.MoveFirst(); }), re::kObjectClosed);
}

TEST(RecordsetTest, NewRowsHoldEmptyValuesUntilSet) {
  Recordset rs;
  rs.Fields().Append("N", DataTypeEnum::adInteger);
  rs.Fields().Append("T", DataTypeEnum::adVarChar, 10);
  rs.Open();
  rs.AddNew();
  EXPECT_TRUE(rs.Value("N").IsEmpty());
  EXPECT_EQ(rs.Fields()["N"].Int32(), 0);
  EXPECT_EQ(rs.Fields()["T"].Text(), "");
  rs.SetValue("N", Value::Null());
  EXPECT_EQ(ErrorOf([&] { rs.Fields()["N"].Int32(); }), re::kInvalidUseOfNull);
  rs.SetValue("N", Value::Bytes(std::string("42")));  // text converts to the field's type
  EXPECT_EQ(rs.Value("N"), Value(int32_t{42}));
  EXPECT_EQ(ErrorOf([&] { rs.SetValue("N", Value::Bytes(std::string("x"))); }),
            Error::kTypeMismatch);
  EXPECT_EQ(rs.RecordCount(), 1);
}

TEST(RecordsetTest, ReservedRoomHoldsNoRowsAndKeepsThoseThere) {
  Recordset rs;
  rs.Fields().Append("N", DataTypeEnum::adInteger);
  rs.Fields().Append("T", DataTypeEnum::adVarChar, 10);
  EXPECT_EQ(ErrorOf([&] { rs.Reserve(10); }), re::kObjectClosed);
  rs.Open();
  rs.AddNew();
  rs.SetValue("N", 7);
  rs.Reserve(1000);
  EXPECT_EQ(rs.RecordCount(), 1);
  for (int32_t i = 0; i < 1000; ++i) {
    rs.AddNew();
    rs.SetValue("N", i);
  }
  rs.Reserve(0);  // less than there is changes nothing
  EXPECT_EQ(rs.RecordCount(), 1001);
  rs.MoveFirst();
  EXPECT_EQ(rs.Fields()["N"].Int32(), 7);
}

TEST(RecordsetTest, TextLongerThanTheFieldIsRefusedNotCut) {
  Recordset rs;
  rs.Fields().Append("T", DataTypeEnum::adVarChar, 5);
  rs.Fields().Append("Empty", DataTypeEnum::adLongVarChar, 0);
  rs.Fields().Append("C", DataTypeEnum::adChar, 4);
  rs.Open();
  rs.AddNew();
  rs.Fields()["T"].SetText("12345");
  EXPECT_EQ(ErrorOf([&] { rs.Fields()["T"].SetText("123456"); }), re::kDataOverflow);
  EXPECT_EQ(rs.Fields()["T"].Text(), "12345");  // the old value stays
  rs.Fields()["Empty"].SetText("");
  EXPECT_EQ(rs.Value("Empty"), Value::Bytes(std::string()));
  EXPECT_EQ(ErrorOf([&] { rs.Fields()["Empty"].SetText("x"); }), re::kDataOverflow);
  rs.Fields()["C"].SetText("ab");  // fixed-length text is padded with spaces
  EXPECT_EQ(rs.Fields()["C"].Text(), "ab  ");
}

TEST(RecordsetTest, TextIsBytesAndEveryByteComesBack) {
  Recordset rs;
  rs.Fields().Append("Blob", DataTypeEnum::adLongVarChar, 256);
  rs.Open();
  std::string all;
  for (int b = 255; b >= 0; --b) all.push_back(static_cast<char>(b));
  rs.AddNew();
  rs.SetValue("Blob", Value::Bytes(all));
  EXPECT_EQ(rs.Value("Blob").bytes(), all);
  // Through characters and back, with the default code page.
  const std::string text = rs.Fields()["Blob"].Text();
  rs.Fields()["Blob"].SetText(text);
  EXPECT_EQ(rs.Value("Blob").bytes(), all);
  rs.Fields()["Blob"].SetText("\xE2\x82\xAC");  // the euro sign is byte 0x80 in 1252
  EXPECT_EQ(rs.Value("Blob").bytes(), "\x80");
  rs.SetCodePage(CodePage(1251));
  EXPECT_EQ(rs.Fields()["Blob"].Text(), "\xD0\x82");  // byte 0x80 is U+0402 in 1251
}

TEST_F(SortedTable, SortOrdersByEveryFieldAndKeepsEqualKeysInTheOrderAdded) {
  Add(2, 1, 0);
  Add(1, 5, 1);
  Add(2, 0, 2);
  Add(1, 5, 3);
  rs.SetSort("Key, Sub");
  EXPECT_EQ(Walk(rs, "Id"), (std::vector<int32_t>{1, 3, 2, 0}));
  rs.SetSort("Key DESC, Sub");
  EXPECT_EQ(Walk(rs, "Id"), (std::vector<int32_t>{2, 0, 1, 3}));
  rs.SetSort("");
  EXPECT_EQ(Walk(rs, "Id"), (std::vector<int32_t>{0, 1, 2, 3}));
}

TEST_F(SortedTable, RowsAddedAfterTheSortAreVisitedInOrder) {
  rs.SetSort("key, sub");  // set on the empty table, as a compiler does
  Add(5, 0, 0);
  Add(1, 0, 1);
  Add(5, 0, 2);
  EXPECT_EQ(Walk(rs, "Id"), (std::vector<int32_t>{1, 0, 2}));
  // More rows after a walk: merged among the sorted ones, ties after the older rows.
  Add(5, 0, 3);
  Add(0, 0, 4);
  Add(1, 0, 5);
  EXPECT_EQ(Walk(rs, "Id"), (std::vector<int32_t>{4, 1, 5, 0, 2, 3}));
  EXPECT_EQ(rs.RecordCount(), 6);
}

TEST_F(SortedTable, AddingWhileWalkingKeepsTheWalkInOrder) {
  rs.SetSort("Key");
  Add(10, 0, 0);
  Add(30, 0, 1);
  rs.MoveFirst();  // at key 10
  Add(20, 0, 2);   // the new row is current; the walk goes on from it
  rs.MoveNext();
  EXPECT_EQ(rs.Fields()["Id"].Int32(), 1);
}

TEST_F(SortedTable, ChangingAKeyOfASortedRowMovesIt) {
  Add(1, 0, 0);
  Add(2, 0, 1);
  Add(3, 0, 2);
  rs.SetSort("Key");
  rs.MoveFirst();
  rs.Fields()["Key"].SetInt32(9);
  EXPECT_EQ(Walk(rs, "Id"), (std::vector<int32_t>{1, 2, 0}));
}

TEST_F(SortedTable, NullAndEmptyComeFirst) {
  Add(3, 0, 0);
  rs.AddNew();  // key never set
  rs.SetValue("Id", 1);
  Add(-5, 0, 2);
  rs.AddNew();
  rs.SetValue("Key", Value::Null());
  rs.SetValue("Id", 3);
  rs.SetSort("Key");
  EXPECT_EQ(Walk(rs, "Id"), (std::vector<int32_t>{1, 3, 2, 0}));
}

// Large tables take the radix path: its order must be the plain stable order, with empty
// and null first, negative numbers before positive ones, DESC reversed, ties as added.
TEST(RecordsetTest, LargeIntegerSortsMatchAStableReferenceOrder) {
  Recordset rs;
  rs.Fields().Append("A", DataTypeEnum::adInteger);
  rs.Fields().Append("B", DataTypeEnum::adInteger);
  rs.Fields().Append("Id", DataTypeEnum::adInteger);
  rs.Open();
  struct Row {
    std::optional<int64_t> a, b;  // nothing: null (rank below every number)
    int32_t id;
  };
  std::vector<Row> rows;
  std::mt19937 rng(7);
  auto add = [&](int count) {
    for (int i = 0; i < count; ++i) {
      Row r;
      r.id = static_cast<int32_t>(rows.size());
      rs.AddNew();
      if (rng() % 10) {
        const int32_t a =
            static_cast<int32_t>(rng() % 7) - 3 + (rng() % 50 == 0 ? INT32_MIN / 2 : 0);
        r.a = a;
        rs.SetValue("A", a);
      } else if (rng() % 2) {
        rs.SetValue("A", Value::Null());
      }
      const int32_t b = static_cast<int32_t>(rng() % 100000) - 50000;
      r.b = b;
      rs.SetValue("B", b);
      rs.SetValue("Id", r.id);
      rows.push_back(r);
    }
  };
  auto expected = [&](bool b_descending) {
    std::vector<Row> sorted = rows;
    std::stable_sort(sorted.begin(), sorted.end(), [&](const Row& x, const Row& y) {
      const int64_t xa = x.a.value_or(INT64_MIN), ya = y.a.value_or(INT64_MIN);
      if (xa != ya) return xa < ya;
      return b_descending ? *x.b > *y.b : *x.b < *y.b;
    });
    std::vector<int32_t> ids;
    for (const Row& r : sorted) ids.push_back(r.id);
    return ids;
  };
  add(3000);
  rs.SetSort("A, B");
  EXPECT_EQ(Walk(rs, "Id"), expected(false));
  add(2000);  // merged into the sorted rows
  EXPECT_EQ(Walk(rs, "Id"), expected(false));
  rs.SetSort("A, B DESC");
  EXPECT_EQ(Walk(rs, "Id"), expected(true));
}

TEST(RecordsetTest, TextSortIgnoresCase) {
  Recordset rs;
  rs.Fields().Append("Name", DataTypeEnum::adVarChar, 20);
  rs.Fields().Append("Id", DataTypeEnum::adInteger);
  rs.Open();
  const std::vector<std::string> names = {"beta", "Alpha", "alpha", "ALP", "Beta"};
  for (size_t i = 0; i < names.size(); ++i) {
    rs.AddNew();
    rs.Fields()["Name"].SetText(names[i]);
    rs.Fields()["Id"].SetInt32(static_cast<int32_t>(i));
  }
  rs.SetSort("[Name]");
  EXPECT_EQ(Walk(rs, "Id"), (std::vector<int32_t>{3, 1, 2, 0, 4}));
}

TEST(RecordsetTest, OptimizeIsAHintOnly) {
  Recordset rs;
  rs.Fields().Append("A", DataTypeEnum::adInteger);
  rs.Open();
  Field& a = rs.Fields()["A"];
  EXPECT_EQ(a.Properties("Optimize").ToInt32("t"), 0);
  a.SetProperties("optimize", 1);
  EXPECT_NE(a.Properties("Optimize").ToInt32("t"), 0);
}

TEST(RecordsetTest, CloseAndReopenStartsEmptyWithTheSameFields) {
  Recordset rs;
  rs.Fields().Append("A", DataTypeEnum::adInteger);
  rs.Open();
  rs.AddNew();
  rs.SetValue("A", 1);
  rs.SetSort("A");
  rs.Close();
  rs.Open();
  EXPECT_EQ(rs.RecordCount(), 0);
  EXPECT_EQ(rs.Sort(), "");
  EXPECT_EQ(rs.Fields().Count(), 1);
}

}  // namespace
}  // namespace quarnel
