#include "platform/recordset/RecordTable.h"

#include "platform/recordset/FixedValues.h"
#include "platform/recordset/RecordsetErrors.h"

#include <utility>

namespace quarnel {

std::string FoldCase(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

void RecordTable::AddField(FieldDef def) {
  index_.emplace(FoldCase(def.name), fields_.size());
  const TypeInfo& info = def.info();
  columns_.emplace_back(info.storage, info.fixed_size);
  fields_.push_back(std::move(def));
}

ptrdiff_t RecordTable::FindField(std::string_view name) const {
  auto it = index_.find(FoldCase(name));
  return it == index_.end() ? -1 : static_cast<ptrdiff_t>(it->second);
}

void RecordTable::ClearFields() {
  fields_.clear();
  columns_.clear();
  index_.clear();
  committed_.clear();
  rows_ = 0;
}

void RecordTable::Reserve(size_t rows) {
  committed_.reserve(rows);
  for (RecordColumn& c : columns_) c.Reserve(rows);
}

size_t RecordTable::AppendRow() {
  for (RecordColumn& c : columns_) c.AppendEmpty();
  committed_.push_back(0);
  return rows_++;
}

void RecordTable::PopRow() {
  for (RecordColumn& c : columns_) c.PopBack();
  committed_.pop_back();
  --rows_;
}

void RecordTable::ClearRows() {
  for (RecordColumn& c : columns_) c.Clear();
  committed_.clear();
  rows_ = 0;
}

Value RecordTable::Get(size_t row, size_t col) const {
  const RecordColumn& c = columns_[col];
  switch (c.State(row)) {
    case CellState::kEmpty:
      return Value();
    case CellState::kNull:
      return Value::Null();
    case CellState::kValue:
      break;
  }
  switch (c.kind()) {
    case StorageKind::kInt32:
      return Value(c.Int32(row));
    case StorageKind::kFixed:
      return DecodeFixed(fields_[col].type, c.Bytes(row));
    case StorageKind::kVariable:
      break;
  }
  return Value::Bytes(c.Bytes(row));
}

void RecordTable::Set(size_t row, size_t col, const Value& value, const char* source) {
  RecordColumn& c = columns_[col];
  const FieldDef& f = fields_[col];
  if (value.IsEmpty()) {
    c.SetEmpty(row);
    return;
  }
  if (value.IsNull()) {
    c.SetNull(row);
    return;
  }
  switch (c.kind()) {
    case StorageKind::kInt32:
      c.SetInt32(row, value.ToInt32(source));
      return;
    case StorageKind::kFixed:
      c.SetBytes(row, EncodeFixed(f.type, value, source));
      return;
    case StorageKind::kVariable:
      break;
  }
  std::string bytes = value.ToBytes(source);
  if (f.info().wide && value.kind() != Value::Kind::kBytes) {
    // A number becomes wide text: its decimal digits, two bytes each.
    std::string wide;
    for (char ch : bytes) wide.append({ch, '\0'});
    bytes = std::move(wide);
  }
  if (f.info().wide && bytes.size() % 2 != 0) {
    throw recordset_errors::DataConversion(
        source, "wide text for field " + f.name + " must have an even number of bytes");
  }
  if (bytes.size() > f.MaxBytes()) {
    throw recordset_errors::DataOverflow(
        source, "a value of " + std::to_string(bytes.size()) + " bytes does not fit field " +
                    f.name + " of defined size " + std::to_string(f.defined_size));
  }
  if (f.IsFixedLengthText()) {
    // Fixed-length text is padded with spaces, binary with zero bytes, to the full width.
    const size_t width = static_cast<size_t>(f.MaxBytes());
    if (f.type == DataTypeEnum::adBinary) {
      bytes.resize(width, '\0');
    } else if (f.info().wide) {
      while (bytes.size() < width) bytes.append(std::string_view(" \0", 2));
    } else {
      bytes.resize(width, ' ');
    }
  }
  c.SetBytes(row, std::move(bytes));
}

}  // namespace quarnel
