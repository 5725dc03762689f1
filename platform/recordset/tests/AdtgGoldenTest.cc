// Every sample table read and compared with the XML save the recordset library made of
// the same recordset: field names, types, sizes and nullability; every row's state and
// values, with null told apart from "".
#include "platform/base/CodePage.h"
#include "platform/recordset/FixedValues.h"
#include "platform/recordset/adtg/AdtgReader.h"
#include "platform/recordset/tests/SampleFiles.h"
#include "platform/recordset/tests/SampleXml.h"
#include "tools/adtgdump/DumpJson.h"

#include <cstdlib>
#include <map>
#include <string>

#include <gtest/gtest.h>

namespace quarnel {
namespace {

using testing::XmlField;
using testing::XmlRow;
using testing::XmlTable;

// The samples' single-byte text is code page 949; these are all its characters in them.
const std::map<std::string, std::string> kCp949 = {
    {"€", "\xA2\xE6"},  {"가", "\xB0\xA1"}, {"각", "\xB0\xA2"}, {"값", "\xB0\xAA"},
    {"글", "\xB1\xDB"}, {"긴", "\xB1\xE4"}, {"길", "\xB1\xE6"}, {"끝", "\xB3\xA1"},
    {"나", "\xB3\xAA"}, {"다", "\xB4\xD9"}, {"동", "\xB5\xBF"}, {"라", "\xB6\xF3"},
    {"료", "\xB7\xE1"}, {"마", "\xB8\xB6"}, {"막", "\xB8\xB7"}, {"바", "\xB9\xD9"},
    {"사", "\xBB\xE7"}, {"아", "\xBE\xC6"}, {"자", "\xC0\xDA"}, {"지", "\xC1\xF6"},
    {"차", "\xC2\xF7"}, {"카", "\xC4\xAB"}, {"타", "\xC5\xB8"}, {"파", "\xC6\xC4"},
    {"하", "\xC7\xCF"}, {"한", "\xC7\xD1"}, {"홍", "\xC8\xAB"},
};

std::string ToCp949(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<uint8_t>(utf8[i]);
    if (b < 0x80) {
      out += utf8[i++];
      continue;
    }
    const size_t len = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    auto it = kCp949.find(utf8.substr(i, len));
    if (it == kCp949.end()) {
      ADD_FAILURE() << "character not in the test's code page 949 table: " << utf8.substr(i, len);
      return out;
    }
    out += it->second;
    i += len;
  }
  return out;
}

std::string ExpectedType(const XmlField& f) {
  static const std::map<std::string, std::string> kFixed = {
      {"int", "adInteger"},     {"i1", "adTinyInt"},          {"i2", "adSmallInt"},
      {"i8", "adBigInt"},       {"ui1", "adUnsignedTinyInt"}, {"ui2", "adUnsignedSmallInt"},
      {"ui4", "adUnsignedInt"}, {"ui8", "adUnsignedBigInt"},  {"float", "adDouble"},
      {"r4", "adSingle"},       {"boolean", "adBoolean"},     {"uuid", "adGUID"},
      {"time", "adDBTime"},     {"date", "adDBDate"},
  };
  if (auto it = kFixed.find(f.type); it != kFixed.end()) return it->second;
  if (f.type == "dateTime") return f.dbtype == "timestamp" ? "adDBTimeStamp" : "adDate";
  const bool is_long = f.is_long || !f.max_length;
  if (f.type == "bin.hex") {
    return is_long ? "adLongVarBinary" : f.fixed ? "adBinary" : "adVarBinary";
  }
  const std::string w = f.dbtype == "str" ? "" : "W";
  return is_long ? "adLongVar" + w + "Char" : f.fixed ? "ad" + w + "Char" : "adVar" + w + "Char";
}

std::string WithoutSpaces(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (!isspace(static_cast<unsigned char>(c))) out += c;
  }
  return out;
}

// The value the library showed for one cell, against what the reader holds.
void ExpectCell(const RecordTable& t, size_t row, size_t col, const XmlField& xf,
                const XmlRow& xr) {
  const FieldDef& f = t.Field(col);
  const RecordColumn& c = t.Column(col);
  auto it = xr.values.find(xf.key);
  SCOPED_TRACE("field " + f.name);
  if (it == xr.values.end() || xr.force_null.count(xf.key)) {
    EXPECT_NE(c.State(row), CellState::kValue) << "expected null";
    return;
  }
  ASSERT_EQ(c.State(row), CellState::kValue) << "expected " << it->second;
  const std::string& want = it->second;
  const TypeInfo& info = f.info();
  if (info.storage == StorageKind::kVariable) {
    const std::string_view bytes = c.Bytes(row);
    if (!info.text) {
      adtgdump::DumpOptions hex;
      hex.hex = true;
      EXPECT_EQ(adtgdump::CellJson(t, row, col, hex).get<std::string>(), WithoutSpaces(want));
    } else if (info.wide) {
      EXPECT_EQ(Utf16LeBytesToUtf8(bytes), want);
    } else {
      EXPECT_EQ(std::string(bytes), ToCp949(want));
    }
    return;
  }
  const Value v = t.Get(row, col);
  if (f.type == DataTypeEnum::adBoolean) {
    EXPECT_EQ(v.integer(), want == "True" ? -1 : 0);
  } else if (v.kind() == Value::Kind::kInteger) {
    EXPECT_EQ(std::to_string(v.integer()), want);
  } else if (v.kind() == Value::Kind::kDouble) {
    EXPECT_EQ(v.real(), std::strtod(want.c_str(), nullptr));
  } else {
    std::string shown = adtgdump::CellJson(t, row, col, {}).get<std::string>();
    std::string expected = want;
    for (char& ch : expected) {
      if (ch == 'T') ch = ' ';
    }
    EXPECT_EQ(shown, expected);
  }
}

TEST(AdtgGoldenTest, EverySampleReadsAsTheLibraryShowedIt) {
  int compared = 0;
  for (const auto& path : testing::AllSampleTables()) {
    auto xml_path = path;
    xml_path.replace_extension(".xml");
    if (!std::filesystem::exists(xml_path)) continue;
    SCOPED_TRACE(path.filename().string());
    const std::string bytes = testing::ReadFileBytes(path);
    const XmlTable xml = testing::ParseSampleXml(testing::ReadFileBytes(xml_path));
    adtg::AdtgImage image;
    ASSERT_NO_THROW(image = adtg::ReadAdtg(bytes));
    ASSERT_EQ(static_cast<uint8_t>(bytes.back()), 0x0F);
    const RecordTable& t = image.table;
    const bool from_library_save = path.stem() != "doc_minimal_schema";

    ASSERT_EQ(t.FieldCount(), xml.fields.size());
    for (size_t c = 0; c < t.FieldCount(); ++c) {
      const FieldDef& f = t.Field(c);
      const XmlField& xf = xml.fields[c];
      EXPECT_EQ(f.name, xf.name);
      EXPECT_EQ(TypeName(f.type), ExpectedType(xf)) << f.name;
      if (xf.max_length) {
        EXPECT_EQ(f.defined_size, *xf.max_length) << f.name;
      }
      if (from_library_save) {
        EXPECT_EQ((f.flags & adFldIsNullable) != 0, xf.nullable) << f.name;
      }
    }

    // The XML lists rows by state in its own order; within one state the order is the
    // file's.
    std::map<std::string, std::vector<size_t>> ours;
    for (size_t r = 0; r < t.RowCount(); ++r)
      ours[adtgdump::StatusName(image.status[r])].push_back(r);
    std::map<std::string, std::vector<const XmlRow*>> theirs;
    for (const XmlRow& r : xml.rows) theirs[r.status].push_back(&r);
    for (const char* status : {"unchanged", "inserted", "modified", "deleted"}) {
      SCOPED_TRACE(status);
      ASSERT_EQ(ours[status].size(), theirs[status].size());
      for (size_t i = 0; i < ours[status].size(); ++i) {
        for (size_t c = 0; c < t.FieldCount(); ++c) {
          ExpectCell(t, ours[status][i], c, xml.fields[c], *theirs[status][i]);
        }
      }
    }
    ++compared;
  }
  EXPECT_EQ(compared, 29);
}

TEST(AdtgGoldenTest, OpeningLeavesOutDeletedRowsAndShowsNewValues) {
  const std::string bytes = testing::ReadFileBytes(testing::SampleDir() /
                                                   "tablegram/exhaustive/flat_VarChar_states.adtg");
  adtg::AdtgReadOptions options;
  options.keep_deleted = false;
  const adtg::AdtgImage image = adtg::ReadAdtg(bytes, options);
  const RecordTable& t = image.table;
  ASSERT_EQ(t.RowCount(), 3u);  // the deleted row 2 is gone
  EXPECT_EQ(t.Get(0, 0), Value(int32_t{1}));
  EXPECT_EQ(t.Get(0, 1), Value::Bytes(std::string("\xC7\xD1\xB1\xDB")));  // the new value
  EXPECT_EQ(t.Get(1, 0), Value(int32_t{3}));
  EXPECT_EQ(t.Get(2, 0), Value(int32_t{4}));
}

TEST(AdtgGoldenTest, ServerTableWithBaseTableDetailsReads) {
  const adtg::AdtgImage image =
      adtg::ReadAdtg(testing::ReadFileBytes(testing::SampleDir() / "publishers.tg"));
  const RecordTable& t = image.table;
  ASSERT_EQ(t.FieldCount(), 5u);
  EXPECT_EQ(t.Field(0).name, "pub_id");
  EXPECT_EQ(t.Field(0).type, DataTypeEnum::adChar);
  EXPECT_EQ(t.Field(1).type, DataTypeEnum::adVarChar);
  ASSERT_EQ(t.RowCount(), 1u);
  EXPECT_EQ(t.Get(0, 0), Value::Bytes(std::string("0736")));
  EXPECT_EQ(t.Get(0, 1), Value::Bytes(std::string("New Moon Books")));
  EXPECT_EQ(t.Get(0, 3), Value::Bytes(std::string("MA")));
}

}  // namespace
}  // namespace quarnel
