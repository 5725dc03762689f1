// The edges of the row encoding, one table: the short and long length prefixes, a long
// text field of defined size 0, tables without nullable fields, bitmaps of 8, 9, 64 and
// 65 columns, null against "" against 0, and every byte value in text. Each case is
// written both as pending inserts and as committed rows, its row bytes counted, and read
// back cell for cell.
#include "platform/base/Error.h"
#include "platform/recordset/RecordTable.h"
#include "platform/recordset/RecordsetErrors.h"
#include "platform/recordset/adtg/AdtgReader.h"
#include "platform/recordset/adtg/AdtgWriter.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace quarnel {
namespace {

struct FieldPlan {
  std::string name;
  DataTypeEnum type;
  int64_t size;
  int32_t attributes = adFldUnspecified;
};

struct Case {
  std::string what;
  std::vector<FieldPlan> fields;
  std::vector<std::vector<Value>> rows;
  size_t insert_row_bytes;     // bytes of all rows written as pending inserts
  size_t committed_row_bytes;  // bytes of all rows written committed
};

std::string Bytes(size_t n, char c) { return std::string(n, c); }
Value Text(std::string s) { return Value::Bytes(std::move(s)); }

std::vector<FieldPlan> Integers(int n, int32_t attributes) {
  std::vector<FieldPlan> out;
  for (int i = 0; i < n; ++i) {
    out.push_back({"F" + std::to_string(i), DataTypeEnum::adInteger, 0, attributes});
  }
  return out;
}

// One row of n integers, every third one null, the others their column number.
std::vector<Value> IntegerRow(int n) {
  std::vector<Value> row;
  for (int i = 0; i < n; ++i) row.push_back(i % 3 == 1 ? Value::Null() : Value(int32_t{i}));
  return row;
}

// Every byte value once, in a row: the byte image of a cache file.
std::string AllBytes() {
  std::string s;
  for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
  return s;
}

size_t DescriptorBytes(const std::vector<FieldPlan>& fields) {
  size_t n = 0;
  for (const FieldPlan& f : fields) n += 32 + 2 * f.name.size();
  return n;
}

std::vector<Case> Cases() {
  const int32_t kNullable = adFldIsNullable;
  std::vector<Case> cases;
  // Token, update map, force-null map, then a 1-byte or a 4-byte length.
  cases.push_back({"text of 255 bytes in adVarChar(255): 1-byte length",
                   {{"T", DataTypeEnum::adVarChar, 255}},
                   {{Text(Bytes(255, 'x'))}},
                   1 + 1 + 1 + 1 + 255,
                   1 + 1 + 255});
  cases.push_back({"text of 256 bytes in adVarChar(256): 4-byte length",
                   {{"T", DataTypeEnum::adVarChar, 256}},
                   {{Text(Bytes(256, 'x'))}},
                   1 + 1 + 1 + 4 + 256,
                   1 + 4 + 256});
  cases.push_back({"adLongVarChar of defined size 0 holding \"\"",
                   {{"events", DataTypeEnum::adLongVarChar, 0}},
                   {{Text("")}},
                   1 + 1 + 1 + 1,
                   1 + 1});
  cases.push_back({"no nullable field: committed rows have no presence map",
                   {{"A", DataTypeEnum::adInteger, 0}, {"B", DataTypeEnum::adVarChar, 10}},
                   {{Value(int32_t{7}), Text("seven")}, {Value(int32_t{8}), Text("")}},
                   (1 + 1 + 1 + 4 + 1 + 5) + (1 + 1 + 1 + 4 + 1),
                   (1 + 4 + 1 + 5) + (1 + 4 + 1)});
  for (int n : {8, 9, 64, 65}) {
    const size_t map = (n + 7) / 8;
    const size_t present = static_cast<size_t>(n - (n + 1) / 3);
    cases.push_back({std::to_string(n) + " nullable integers, every third null",
                     Integers(n, kNullable),
                     {IntegerRow(n)},
                     1 + 2 * map + 4 * present,
                     1 + map + 4 * present});
  }
  cases.push_back({"null, \"\" and 0 stay apart",
                   {{"N", DataTypeEnum::adInteger, 0, kNullable},
                    {"T", DataTypeEnum::adVarChar, 20, kNullable}},
                   {{Value::Null(), Value::Null()},
                    {Value(int32_t{0}), Text("")},
                    {Value(int32_t{0}), Text("0")}},
                   (1 + 1 + 1) + (1 + 1 + 1 + 4 + 1) + (1 + 1 + 1 + 4 + 2),
                   (1 + 1) + (1 + 1 + 4 + 1) + (1 + 1 + 4 + 2)});
  const std::string all = AllBytes();
  cases.push_back(
      {"every byte value in text",
       {{"data", DataTypeEnum::adLongVarChar, 256}, {"short", DataTypeEnum::adVarChar, 255}},
       {{Text(all), Text(all.substr(1))}},
       1 + 1 + 1 + (4 + 256) + (1 + 255),
       1 + (4 + 256) + (1 + 255)});
  cases.push_back({"fixed-length text is padded, wide text counts two bytes a character",
                   {{"C", DataTypeEnum::adChar, 4}, {"W", DataTypeEnum::adVarWChar, 200}},
                   {{Text("ab"), Text(std::string("h\0i\0", 4))}},
                   1 + 1 + 1 + 4 + (4 + 4),
                   1 + 4 + (4 + 4)});
  return cases;
}

RecordTable Build(const Case& c) {
  RecordTable t;
  for (const FieldPlan& f : c.fields) {
    t.AddField(MakeFieldDef(f.name, f.type, f.size, f.attributes, "test"));
  }
  for (const auto& row : c.rows) {
    const size_t r = t.AppendRow();
    for (size_t i = 0; i < row.size(); ++i) t.Set(r, i, row[i], "test");
  }
  return t;
}

TEST(AdtgBoundaryTest, EdgesOfTheRowEncodingRoundTrip) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    const RecordTable t = Build(c);
    for (SavedRows kind : {SavedRows::kPendingInserts, SavedRows::kCommitted}) {
      SCOPED_TRACE(kind == SavedRows::kCommitted ? "committed" : "pending inserts");
      const std::string file = adtg::WriteAdtg(t, kind);
      const size_t rows = file.size() - 270 - DescriptorBytes(c.fields) - 1;
      EXPECT_EQ(rows, kind == SavedRows::kCommitted ? c.committed_row_bytes : c.insert_row_bytes);
      const adtg::AdtgImage back = adtg::ReadAdtg(file);
      ASSERT_EQ(back.table.RowCount(), t.RowCount());
      for (size_t f = 0; f < t.FieldCount(); ++f) {
        EXPECT_EQ(back.table.Field(f).name, t.Field(f).name);
        EXPECT_EQ(back.table.Field(f).type, t.Field(f).type);
        EXPECT_EQ(back.table.Field(f).defined_size, t.Field(f).defined_size);
        EXPECT_EQ(back.table.Field(f).flags, t.Field(f).flags);
        for (size_t r = 0; r < t.RowCount(); ++r) {
          EXPECT_EQ(back.table.Get(r, f), t.Get(r, f)) << "row " << r << " field " << f;
        }
      }
      // Writing what was read gives the same bytes again.
      EXPECT_EQ(adtg::WriteAdtg(back.table, kind), file);
    }
  }
}

int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const Error& e) {
    return e.Number();
  }
  return 0;
}

TEST(AdtgBoundaryTest, ValuesThatDoNotFitAreRefusedNotCut) {
  RecordTable t;
  t.AddField(MakeFieldDef("T", DataTypeEnum::adVarChar, 255, adFldUnspecified, "test"));
  t.AddField(MakeFieldDef("L", DataTypeEnum::adLongVarChar, 0, adFldUnspecified, "test"));
  t.AddField(MakeFieldDef("N", DataTypeEnum::adInteger, 0, adFldUnspecified, "test"));
  t.AppendRow();
  EXPECT_EQ(ErrorOf([&] { t.Set(0, 0, Text(Bytes(256, 'x')), "test"); }),
            recordset_errors::kDataOverflow);
  EXPECT_EQ(ErrorOf([&] { t.Set(0, 1, Text("x"), "test"); }), recordset_errors::kDataOverflow);
  // A null cannot be written committed into a field that is not nullable.
  t.Set(0, 2, Value::Null(), "test");
  EXPECT_EQ(ErrorOf([&] { adtg::WriteAdtg(t, SavedRows::kCommitted); }),
            recordset_errors::kDataOverflow);
  EXPECT_NO_THROW(adtg::WriteAdtg(t, SavedRows::kPendingInserts));  // force-null map
}

// Long text declared 255 bytes wide or less: what the library writes is read with a
// 1-byte length, and a file that carries 4-byte lengths in such a column instead is read
// that way. Only long columns get the second reading.
TEST(AdtgBoundaryTest, ShortLongTextReadsWithEitherLengthWidth) {
  const std::vector<std::vector<Value>> rows = {{Value(int32_t{1}), Text("hello"), Text("ab")},
                                                {Value(int32_t{2}), Text(""), Text("xyz")},
                                                {Value(int32_t{3}), Text("0123456789"), Text("")}};
  // The table with long text "L" and plain text "V" as wide as given.
  auto table = [&](int64_t long_size, int64_t plain_size) {
    RecordTable t;
    t.AddField(MakeFieldDef("N", DataTypeEnum::adInteger, 0, adFldUnspecified, "test"));
    t.AddField(MakeFieldDef("L", DataTypeEnum::adLongVarChar, long_size, adFldUnspecified, "t"));
    t.AddField(MakeFieldDef("V", DataTypeEnum::adVarChar, plain_size, adFldUnspecified, "test"));
    for (const auto& row : rows) {
      const size_t r = t.AppendRow();
      for (size_t i = 0; i < row.size(); ++i) t.Set(r, i, row[i], "test");
    }
    return t;
  };
  // Declares the column `name` (type `type`) 10 bytes wide where it was 300: its values
  // keep their 4-byte lengths.
  auto narrow = [](std::string file, char name, char type) {
    const std::string wide = std::string{name, '\0', type, '\0'} + std::string("\x2C\x01\0\0", 4);
    const size_t at = file.find(wide);
    EXPECT_NE(at, std::string::npos);
    if (at != std::string::npos) file.replace(at + 4, 4, std::string("\x0A\0\0\0", 4));
    return file;
  };
  struct Case {
    const char* what;
    int64_t long_size, plain_size;
    bool four_byte_long, four_byte_plain;
    bool reads;
  };
  const Case cases[] = {
      {"1-byte lengths, as written", 10, 10, false, false, true},
      {"4-byte lengths in the long column", 300, 10, true, false, true},
      {"4-byte lengths in the plain column", 10, 300, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (SavedRows kind : {SavedRows::kPendingInserts, SavedRows::kCommitted}) {
      std::string file = adtg::WriteAdtg(table(c.long_size, c.plain_size), kind);
      if (c.four_byte_long) file = narrow(file, 'L', '\x81');
      if (c.four_byte_plain) file = narrow(file, 'V', '\x81');
      if (!c.reads) {
        EXPECT_THROW(adtg::ReadAdtg(file), adtg::AdtgFormatError);
        continue;
      }
      const adtg::AdtgImage back = adtg::ReadAdtg(file);
      EXPECT_EQ(back.table.Field(1).defined_size, 10);
      ASSERT_EQ(back.table.RowCount(), rows.size());
      for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t f = 0; f < 3; ++f) EXPECT_EQ(back.table.Get(r, f), rows[r][f]);
      }
    }
  }
}

TEST(AdtgBoundaryTest, UnsetValuesStayUnsetAsPendingInserts) {
  RecordTable t;
  t.AddField(MakeFieldDef("A", DataTypeEnum::adInteger, 0, adFldUnspecified, "test"));
  t.AddField(MakeFieldDef("B", DataTypeEnum::adInteger, 0, adFldUnspecified, "test"));
  t.AppendRow();
  t.Set(0, 1, Value(int32_t{5}), "test");
  const std::string file = adtg::WriteAdtg(t, SavedRows::kPendingInserts);
  // 0D, update map: only B, force-null map: none, B's value.
  EXPECT_EQ(file.substr(file.size() - 8), std::string("\x0D\x40\x00\x05\x00\x00\x00\x0F", 8));
  const adtg::AdtgImage back = adtg::ReadAdtg(file);
  EXPECT_TRUE(back.table.Get(0, 0).IsEmpty());
  EXPECT_EQ(back.table.Get(0, 1), Value(int32_t{5}));
}

}  // namespace
}  // namespace quarnel
