#include "platform/recordset/adtg/AdtgWriter.h"

#include "platform/base/CodePage.h"
#include "platform/recordset/RecordsetErrors.h"
#include "platform/recordset/adtg/AdtgFormat.h"
#include "platform/recordset/adtg/ColumnLayout.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quarnel::adtg {
namespace {

constexpr const char* kSource = "Recordset.Save";

using Guid = std::array<uint8_t, 16>;
// The client cursor engine, which handles the saved table.
constexpr Guid kHandlerClsid = {0xB6, 0x92, 0xF2, 0x3F, 0x04, 0xB2, 0xCF, 0x11,
                                0x8D, 0x23, 0x00, 0xAA, 0x00, 0x5F, 0xFE, 0x58};
constexpr Guid kResultDescriptorId = {0xD2, 0xAD, 0x63, 0xF6, 0x02, 0xEB, 0xCF, 0x11,
                                      0xB0, 0xE3, 0x00, 0xAA, 0x00, 0x3F, 0x00, 0x0F};
// Property sets: the client cursor's own, and the rowset's.
constexpr Guid kCursorPropertySet = {0xC1, 0x3C, 0x8E, 0xB6, 0xEB, 0x6D, 0xD0, 0x11,
                                     0x8D, 0xF6, 0x00, 0xAA, 0x00, 0x5F, 0xFE, 0x58};
constexpr Guid kRowsetPropertySet = {0xBE, 0x22, 0xB5, 0xC8, 0xF3, 0x5C, 0xCE, 0x11,
                                     0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D};

class Out {
 public:
  std::string& bytes() { return s_; }
  void U8(uint8_t v) { s_.push_back(static_cast<char>(v)); }
  void U16(uint16_t v) {
    U8(static_cast<uint8_t>(v));
    U8(static_cast<uint8_t>(v >> 8));
  }
  void U32(uint32_t v) {
    U16(static_cast<uint16_t>(v));
    U16(static_cast<uint16_t>(v >> 16));
  }
  void Put(std::string_view b) { s_.append(b); }
  void Put(const Guid& g) { s_.append(reinterpret_cast<const char*>(g.data()), g.size()); }
  // One property: id, value size, value. Booleans are 2 bytes (-1 for true), numbers 4.
  void IntProperty(uint32_t id, uint32_t v) {
    U32(id);
    U16(4);
    U32(v);
  }
  void BoolProperty(uint32_t id, bool v) {
    U32(id);
    U16(2);
    U16(v ? 0xFFFF : 0);
  }
  void EmptyTextProperty(uint32_t id) {
    U32(id);
    U16(0);
  }

 private:
  std::string s_;
};

void WriteOpening(Out& out, uint16_t columns, uint32_t rows) {
  for (uint8_t b : kHeader) out.U8(b);

  out.U8(kHandlerOptionsToken);
  out.U16(25);
  out.Put(kHandlerClsid);
  out.U8(1);   // update TableGrams carry columns only
  out.U16(0);  // original URL, update URL, friendly name: all empty
  out.U16(0);
  out.U16(0);
  out.U16(0);  // asynchronous options

  out.U8(kResultDescriptorToken);
  out.U16(103);
  out.Put(kResultDescriptorId);
  out.U8(0);         // reserved
  out.U8(0);         // snapshot cursor
  out.U8(0);         // not normalized
  out.U16(columns);  // visible
  out.U16(columns);  // total
  out.U16(0);        // computed
  out.U16(0);        // base tables: none, the table was built in memory
  out.U16(0);        // order-by
  out.U32(rows);
  out.U16(1);
  out.Put(kCursorPropertySet);
  out.U16(7);
  out.IntProperty(0x0B, 1);  // automatic recalculation
  out.IntProperty(0x13, 1);  // update resync
  for (uint32_t id : {0x0Du, 0x0Eu, 0x0Fu, 0x10u, 0x12u}) out.EmptyTextProperty(id);  // names

  out.U8(kRecordsetContextToken);
  out.U16(124);
  out.U16(2);
  out.Put(kRowsetPropertySet);
  out.U16(4);
  out.BoolProperty(0x7F, true);  // changeable
  out.BoolProperty(0x86, true);  // updatable in batches
  out.IntProperty(0x22, 0);      // command time-out
  out.IntProperty(0x49, 0);      // maximum rows
  out.Put(kCursorPropertySet);
  out.U16(5);
  out.IntProperty(0x04, 15);  // batch size
  out.IntProperty(0x05, 2);   // update criteria
  out.IntProperty(0x03, 15);  // background fetch size
  out.IntProperty(0x07, 50);  // initial fetch size
  out.IntProperty(0x08, 3);   // background thread priority
}

void WriteColumn(Out& out, const FieldDef& f, uint16_t ordinal) {
  const std::string name = Utf8ToUtf16LeBytes(f.name, kSource);
  const size_t units = name.size() / 2;
  if (29 + 2 * units > 0xFFFF) {
    throw recordset_errors::DataOverflow(kSource, "field name too long: " + f.name);
  }
  out.U8(kColumnDescriptorToken);
  out.U16(static_cast<uint16_t>(29 + 2 * units));
  out.U8(kColName);
  out.U8(kColAutoIncrement);
  out.U8(0);
  out.U16(ordinal);
  out.U16(static_cast<uint16_t>(units));
  out.Put(name);
  out.U16(f.info().db_type);
  out.U32(f.defined_size);
  out.U32(f.precision);
  out.U32(static_cast<uint32_t>(f.scale));
  out.U32(f.flags);
  out.U16(0);       // not auto-increment
  out.U16(0xFFFF);  // visible
}

class RowWriter {
 public:
  RowWriter(const RecordTable& t, Out& out) : t_(t), out_(out) {
    for (size_t c = 0; c < t.FieldCount(); ++c) {
      layouts_.push_back(LayoutOf(t.Field(c)));
      if (layouts_.back().nullable) ++nullable_;
    }
  }

  // 0x0D, update map, force-null map, the set values. Unset cells are in neither map.
  void Inserted(size_t row) {
    const size_t n = t_.FieldCount();
    update_.assign((n + 7) / 8, 0);
    null_.assign((n + 7) / 8, 0);
    for (size_t c = 0; c < n; ++c) {
      const CellState s = t_.Column(c).State(row);
      if (s == CellState::kValue) update_[c / 8] |= static_cast<uint8_t>(0x80 >> (c % 8));
      if (s == CellState::kNull) null_[c / 8] |= static_cast<uint8_t>(0x80 >> (c % 8));
    }
    out_.U8(kInsertedRowToken);
    for (uint8_t b : update_) out_.U8(b);
    for (uint8_t b : null_) out_.U8(b);
    for (size_t c = 0; c < n; ++c) {
      if (t_.Column(c).State(row) == CellState::kValue) Value(row, c);
    }
  }

  // Whether a row can be written committed: a null needs a nullable field.
  bool CanCommit(size_t row) const {
    for (size_t c = 0; c < t_.FieldCount(); ++c) {
      if (!layouts_[c].nullable && t_.Column(c).State(row) == CellState::kNull) return false;
    }
    return true;
  }

  // 0x07, presence map of the nullable fields (unused bits set), every non-null value. A
  // cell never set is written as the type's empty value.
  void Committed(size_t row) {
    const size_t n = t_.FieldCount();
    update_.assign((nullable_ + 7) / 8, 0xFF);
    size_t k = 0;
    for (size_t c = 0; c < n; ++c) {
      const bool is_null = t_.Column(c).State(row) == CellState::kNull;
      if (layouts_[c].nullable) {
        if (is_null) update_[k / 8] &= static_cast<uint8_t>(~(0x80 >> (k % 8)));
        ++k;
      } else if (is_null) {
        throw recordset_errors::DataOverflow(
            kSource, "row " + std::to_string(row + 1) + ", field " + t_.Field(c).name +
                         ": null cannot be saved as a committed value of a field that is not "
                         "nullable");
      }
    }
    out_.U8(kOriginalRowToken);
    for (uint8_t b : update_) out_.U8(b);
    for (size_t c = 0; c < n; ++c) {
      if (t_.Column(c).State(row) != CellState::kNull) Value(row, c);
    }
  }

 private:
  void Value(size_t row, size_t c) {
    const ColumnLayout& l = layouts_[c];
    const RecordColumn& col = t_.Column(c);
    const bool set = col.State(row) == CellState::kValue;
    switch (l.encoding) {
      case ColumnLayout::Encoding::kInt32:
        out_.U32(static_cast<uint32_t>(set ? col.Int32(row) : 0));
        return;
      case ColumnLayout::Encoding::kFixed:
        if (set) {
          out_.Put(col.Bytes(row));
        } else {
          out_.bytes().append(static_cast<size_t>(l.width), '\0');
        }
        return;
      default:
        break;
    }
    const std::string_view v = set ? col.Bytes(row) : std::string_view();
    if (v.size() > l.width) {
      throw recordset_errors::DataOverflow(
          kSource, "row " + std::to_string(row + 1) + ", field " + t_.Field(c).name + ": " +
                       std::to_string(v.size()) + " bytes do not fit its defined size " +
                       std::to_string(t_.Field(c).defined_size));
    }
    switch (l.encoding) {
      case ColumnLayout::Encoding::kExact: {
        out_.Put(v);
        const bool binary = t_.Field(c).type == DataTypeEnum::adBinary;
        for (size_t i = v.size(); i < l.width; ++i) {
          // Padding: spaces for text (two bytes each for wide text), zeros for binary.
          out_.U8(binary || (l.wide && i % 2 == 1) ? 0 : ' ');
        }
        return;
      }
      case ColumnLayout::Encoding::kLength8:
        out_.U8(static_cast<uint8_t>(v.size()));
        break;
      default:
        out_.U32(static_cast<uint32_t>(v.size()));
        break;
    }
    out_.Put(v);
  }

  const RecordTable& t_;
  Out& out_;
  std::vector<ColumnLayout> layouts_;
  size_t nullable_ = 0;
  std::vector<uint8_t> update_, null_;
};

// Bytes the rows will take, roughly, so that the output grows once.
size_t EstimateSize(const RecordTable& t) {
  size_t per_row = 1 + 2 * ((t.FieldCount() + 7) / 8);
  size_t text = 0;
  for (size_t c = 0; c < t.FieldCount(); ++c) {
    const RecordColumn& col = t.Column(c);
    if (col.kind() == StorageKind::kVariable) {
      for (size_t r = 0; r < col.size(); ++r) text += col.Bytes(r).size() + 4;
    } else {
      per_row += static_cast<size_t>(LayoutOf(t.Field(c)).width);
    }
  }
  return 512 + 64 * t.FieldCount() + per_row * t.RowCount() + text;
}

// Whether a count fits the file's 32-bit field (a 64-bit size_t can exceed it).
bool FitsIn32Bits(uint64_t count) { return count <= 0xFFFFFFFFu; }

}  // namespace

std::string WriteAdtg(const RecordTable& table, SavedRows rows) {
  if (table.FieldCount() > 0xFFFF) {
    throw recordset_errors::DataOverflow(
        kSource, std::to_string(table.FieldCount()) + " fields; a saved table holds 65535");
  }
  if (!FitsIn32Bits(table.RowCount())) {
    throw recordset_errors::DataOverflow(kSource, "too many rows for a saved table");
  }
  Out out;
  out.bytes().reserve(EstimateSize(table));
  WriteOpening(out, static_cast<uint16_t>(table.FieldCount()),
               static_cast<uint32_t>(table.RowCount()));
  for (size_t c = 0; c < table.FieldCount(); ++c) {
    WriteColumn(out, table.Field(c), static_cast<uint16_t>(c + 1));
  }
  RowWriter writer(table, out);
  for (size_t r = 0; r < table.RowCount(); ++r) {
    bool committed = rows == SavedRows::kCommitted;
    // A changed row that was given a null its field cannot hold committed stays pending.
    if (rows == SavedRows::kAsHeld) committed = table.IsCommitted(r) && writer.CanCommit(r);
    if (committed) {
      writer.Committed(r);
    } else {
      writer.Inserted(r);
    }
  }
  out.U8(kEndToken);
  return std::move(out.bytes());
}

}  // namespace quarnel::adtg
