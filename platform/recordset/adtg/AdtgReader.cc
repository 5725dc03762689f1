#include "platform/recordset/adtg/AdtgReader.h"

#include "platform/base/CodePage.h"
#include "platform/recordset/RecordsetErrors.h"
#include "platform/recordset/adtg/AdtgFormat.h"
#include "platform/recordset/adtg/ByteCursor.h"
#include "platform/recordset/adtg/ColumnLayout.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace quarnel::adtg {
namespace {

std::string Hex(unsigned v, int digits) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%0*X", digits, v);
  return buf;
}

bool BitAt(std::string_view map, size_t i) {
  return (static_cast<uint8_t>(map[i / 8]) >> (7 - i % 8)) & 1;
}

// How values of long columns at most 255 bytes wide are read.
enum class ShortLongColumns { kOneByteLength, kFourByteLength };

class Reader {
 public:
  Reader(std::string_view data, const AdtgReadOptions& options, ShortLongColumns short_long)
      : in_(data, 0, "the end of the file"), options_(options), short_long_(short_long) {}

  AdtgImage Run() {
    ReadHeader();
    ReadMetadata();
    ReadRows();
    return std::move(image_);
  }

 private:
  void ReadHeader() {
    const std::string_view h = in_.Take(kHeader.size(), "the TableGram header");
    if (static_cast<uint8_t>(h[0]) != kHeaderToken || static_cast<uint8_t>(h[1]) != 7 ||
        h.substr(2, 3) != "TG!") {
      ByteCursor::FailAt(0, "the TableGram signature 01 07 'TG!'; this is not a saved table");
    }
    if (h[5] != 0 || h[6] != 0) {
      ByteCursor::FailAt(
          5, "format version 0.0, found " + std::to_string(h[5]) + "." + std::to_string(h[6]));
    }
    if (h[7] != 0) ByteCursor::FailAt(7, "little-endian byte order (0), found big-endian");
    if (h[8] != 0) {
      ByteCursor::FailAt(8, "single-byte character data (0), found the Unicode flag set");
    }
  }

  void ReadMetadata() {
    bool have_result = false;
    for (;;) {
      if (in_.AtEnd()) in_.Fail("a row token or the end token 0x0F, but the file ends");
      const size_t at = in_.offset();
      const uint8_t token = in_.PeekU8();
      switch (token) {
        case kHandlerOptionsToken:
        case kRecordsetContextToken:
        case kTableDescriptorToken: {
          in_.U8("");
          const uint16_t size = in_.U16("the element size");
          in_.Take(size, "the element's " + std::to_string(size) + " bytes");
          continue;
        }
        case kResultDescriptorToken: {
          if (have_result) {
            ByteCursor::FailAt(at,
                               "a flat table; a second result descriptor belongs to a "
                               "hierarchical file, which is not supported");
          }
          have_result = true;
          in_.U8("");
          const uint16_t size = in_.U16("the result descriptor size");
          ByteCursor e = in_.Sub(size, "the result descriptor", "the end of the result descriptor");
          ReadResultDescriptor(e);
          continue;
        }
        case kColumnDescriptorToken: {
          if (!have_result) in_.Fail("the result descriptor (token 0x03) before the columns");
          if (image_.table.FieldCount() >= total_columns_) {
            in_.Fail("rows after " + std::to_string(total_columns_) +
                     " column descriptors, found another column descriptor");
          }
          in_.U8("");
          const uint16_t size = in_.U16("the column descriptor size");
          ByteCursor e = in_.Sub(size, "the column descriptor", "the end of the column descriptor");
          ReadColumn(e, at);
          continue;
        }
        default:
          break;
      }
      if (!have_result) in_.Fail("the result descriptor (token 0x03), found " + Hex(token, 2));
      if (image_.table.FieldCount() < total_columns_) {
        in_.Fail("column descriptor " + std::to_string(image_.table.FieldCount() + 1) + " of " +
                 std::to_string(total_columns_) + " (token 0x06), found " + Hex(token, 2));
      }
      return;
    }
  }

  void ReadResultDescriptor(ByteCursor& e) {
    e.Take(16, "the result descriptor identity");
    e.Take(3, "the result descriptor options");
    e.U16("the visible column count");
    total_columns_ = e.U16("the total column count");
    e.U16("the computed column count");
    e.U16("the base-table count");
    e.U16("the order-by count");
    row_count_hint_ = e.U32("the row count");
    // Property sets follow; nothing in them changes how the table reads.
  }

  void ReadColumn(ByteCursor& e, size_t at) {
    const size_t number = image_.table.FieldCount() + 1;
    const std::string col = "column " + std::to_string(number);
    const uint8_t pm0 = e.U8("the column presence map");
    e.U8("the column presence map");
    e.U8("the column presence map");
    const size_t ordinal_at = e.offset();
    const uint16_t ordinal = e.U16("the column ordinal");
    if (ordinal != number) {
      ByteCursor::FailAt(ordinal_at, "column ordinal " + std::to_string(number) + ", found " +
                                         std::to_string(ordinal));
    }
    std::string name;
    if (pm0 & kColName) {
      const uint16_t n = e.U16("the length of the column name");
      name = Utf16LeBytesToUtf8(e.Take(2ull * n, "the column name"));
    }
    if (pm0 & kColBaseTableOrdinal) e.U16("the base table ordinal");
    if (pm0 & kColBaseColumnOrdinal) e.U16("the base column ordinal");
    if (pm0 & kColBaseColumnName) {
      const uint16_t n = e.U16("the length of the base column name");
      e.Take(2ull * n, "the base column name");
    }
    const size_t type_at = e.offset();
    const uint16_t db_type = e.U16("the column's storage type");
    const size_t size_at = e.offset();
    FieldDef def;
    def.name = std::move(name);
    def.defined_size = e.U32("the column's maximum length");
    def.precision = e.U32("the column's precision");
    def.scale = static_cast<int32_t>(e.U32("the column's scale"));
    def.flags = e.U32("the column flags");
    // What follows (catalog and schema names, auto-increment, visibility, and the parts of
    // hierarchical files) changes nothing here and ends with the element.
    const std::string named = col + " \"" + def.name + "\"";
    if (db_type == kDbTypeChapter || (def.flags & kFlagChapter)) {
      ByteCursor::FailAt(at, "a flat table; " + named +
                                 " is a chapter of a hierarchical file, which is not supported");
    }
    const std::optional<DataTypeEnum> type = TypeFromStorage(db_type, def.flags);
    if (!type) {
      ByteCursor::FailAt(type_at,
                         "a supported storage type for " + named + ", found " + Hex(db_type, 4));
    }
    def.type = *type;
    const TypeInfo& info = def.info();
    if (info.storage != StorageKind::kVariable && def.defined_size != info.fixed_size) {
      ByteCursor::FailAt(size_at, "maximum length " + std::to_string(info.fixed_size) + " for " +
                                      named + " of type " + std::string(info.name) + ", found " +
                                      std::to_string(def.defined_size));
    }
    ColumnLayout layout = LayoutOf(def);
    if ((def.flags & kFlagLong) && layout.encoding == ColumnLayout::Encoding::kLength8 &&
        short_long_ == ShortLongColumns::kFourByteLength) {
      layout.encoding = ColumnLayout::Encoding::kLength32;
    }
    if (layout.nullable) ++nullable_count_;
    layouts_.push_back(layout);
    image_.table.AddField(std::move(def));
  }

  void ReadRows() {
    RecordTable& t = image_.table;
    const size_t n = t.FieldCount();
    const size_t presence_bytes = (nullable_count_ + 7) / 8;
    const size_t map_bytes = (n + 7) / 8;
    // Reserve for the announced rows, but never more than the bytes left could hold or a
    // bounded number of cells, so that a false count cannot make the reader take memory
    // the file does not back.
    const size_t min_row_bytes = 1 + std::min(presence_bytes, 2 * map_bytes);
    const size_t cell_budget = size_t{1} << 24;
    const size_t reserve =
        std::min({static_cast<size_t>(row_count_hint_), in_.remaining() / min_row_bytes,
                  cell_budget / std::max<size_t>(1, n)});
    t.Reserve(reserve);
    image_.status.reserve(reserve);
    for (;;) {
      const size_t at = in_.offset();
      const uint8_t token = in_.U8("a row token or the end token 0x0F");
      if (token == kEndToken) {
        if (!in_.AtEnd()) {
          in_.Fail("the end of the file after the end token 0x0F, found " +
                   std::to_string(in_.remaining()) + " more bytes");
        }
        return;
      }
      if (token == kOriginalRowToken) {
        const size_t row = t.AppendRow();
        const std::string_view presence = in_.Take(presence_bytes, "the row's presence map");
        size_t k = 0;
        for (size_t c = 0; c < n; ++c) {
          if (layouts_[c].nullable && !BitAt(presence, k++)) {
            t.Column(c).SetNull(row);
          } else {
            ReadValue(row, c);
          }
        }
        RowStatus status = RowStatus::kUnchanged;
        t.SetCommitted(row, true);
        if (!in_.AtEnd() && in_.PeekU8() == kChangedRowToken) {
          in_.U8("");
          ReadChanges(row, map_bytes, /*inserted=*/false);
          status = RowStatus::kModified;
        } else if (!in_.AtEnd() && in_.PeekU8() == kDeleteToken) {
          in_.U8("");
          if (!options_.keep_deleted) {
            t.PopRow();
            continue;
          }
          status = RowStatus::kDeleted;
        }
        image_.status.push_back(status);
      } else if (token == kInsertedRowToken) {
        const size_t row = t.AppendRow();
        ReadChanges(row, map_bytes, /*inserted=*/true);
        image_.status.push_back(RowStatus::kInserted);
      } else if (token == kChangedRowToken || token == kDeleteToken) {
        ByteCursor::FailAt(at, "a row token 0x07 or 0x0D; " + Hex(token, 2) +
                                   " may only follow an original row (0x07)");
      } else if (std::find(kChildRowTokens.begin(), kChildRowTokens.end(), token) !=
                 kChildRowTokens.end()) {
        ByteCursor::FailAt(at, "a flat table; row token " + Hex(token, 2) +
                                   " belongs to a child table of a hierarchical file, which "
                                   "is not supported");
      } else {
        ByteCursor::FailAt(
            at, "a row token (0x07 or 0x0D) or the end token 0x0F, found " + Hex(token, 2));
      }
    }
  }

  // The update and force-null maps and the values they announce. In a new row a column
  // in neither map was never set; in a changed row it keeps its original value.
  void ReadChanges(size_t row, size_t map_bytes, bool inserted) {
    const std::string_view update = in_.Take(map_bytes, "the row's update map");
    const std::string_view force_null = in_.Take(map_bytes, "the row's force-null map");
    RecordTable& t = image_.table;
    for (size_t c = 0; c < t.FieldCount(); ++c) {
      if (BitAt(force_null, c)) {
        t.Column(c).SetNull(row);
      } else if (BitAt(update, c)) {
        ReadValue(row, c);
      } else if (inserted) {
        t.Column(c).SetEmpty(row);
      }
    }
  }

  void ReadValue(size_t row, size_t c) {
    const ColumnLayout& l = layouts_[c];
    RecordColumn& column = image_.table.Column(c);
    switch (l.encoding) {
      case ColumnLayout::Encoding::kInt32:
        column.SetInt32(row, static_cast<int32_t>(in_.U32("a 4-byte integer value")));
        return;
      case ColumnLayout::Encoding::kFixed:
      case ColumnLayout::Encoding::kExact:
        column.SetBytes(row, in_.Take(l.width, "a fixed-size value"));
        return;
      case ColumnLayout::Encoding::kLength8:
      case ColumnLayout::Encoding::kLength32:
        break;
    }
    const size_t at = in_.offset();
    const uint32_t length = l.encoding == ColumnLayout::Encoding::kLength8
                                ? in_.U8("the value's 1-byte length")
                                : in_.U32("the value's 4-byte length");
    if (length > l.width) {
      ByteCursor::FailAt(at, "a value of at most " + std::to_string(l.width) + " bytes for \"" +
                                 image_.table.Field(c).name + "\", found a length of " +
                                 std::to_string(length));
    }
    if (l.wide && length % 2 != 0) {
      ByteCursor::FailAt(at, "an even length for wide text in \"" + image_.table.Field(c).name +
                                 "\", found " + std::to_string(length));
    }
    column.SetBytes(row, in_.Take(length, "the value's bytes"));
  }

  ByteCursor in_;
  AdtgReadOptions options_;
  ShortLongColumns short_long_;
  AdtgImage image_;
  std::vector<ColumnLayout> layouts_;
  size_t total_columns_ = 0;
  size_t nullable_count_ = 0;
  uint32_t row_count_hint_ = 0;
};

}  // namespace

AdtgFormatError::AdtgFormatError(size_t offset, std::string expected)
    : Error(recordset_errors::kReadFile,
            "byte " + std::to_string(offset) + ": expected " + expected, ""),
      offset_(offset),
      expected_(std::move(expected)) {}

AdtgImage ReadAdtg(std::string_view data, const AdtgReadOptions& options) {
  try {
    return Reader(data, options, ShortLongColumns::kOneByteLength).Run();
  } catch (const AdtgFormatError& first) {
    // That long columns of up to 255 bytes carry 1-byte lengths is inferred from other
    // narrow columns; a file that does not read to its end token that way is read once
    // more with 4-byte lengths in those columns before it is refused. A wrong width
    // hardly ever reads to the end: every length is checked against its column, and the
    // end token must be the file's last byte.
    try {
      return Reader(data, options, ShortLongColumns::kFourByteLength).Run();
    } catch (const AdtgFormatError&) {
      throw first;
    }
  }
}

}  // namespace quarnel::adtg
