#include "platform/recordset/Recordset.h"

#include "platform/recordset/RecordsetErrors.h"
#include "platform/recordset/RecordsetFile.h"

#include <algorithm>
#include <utility>

namespace quarnel {

Recordset::Recordset() : fields_(*this) {}

Recordset::~Recordset() = default;

void Recordset::RequireOpen(const char* source) const {
  if (!open_) throw recordset_errors::ObjectClosed(source);
}

void Recordset::AppendField(FieldDef def) {
  table_.AddField(std::move(def));
  fields_.Rebuild(table_.FieldCount(), false);
}

void Recordset::Open() {
  if (open_) throw recordset_errors::ObjectOpen("Recordset.Open");
  table_.ClearRows();
  open_ = true;
  sort_text_.clear();
  filter_.clear();
  order_.Reset({});
  row_ = kNoRow;
  pos_ = 0;
  pos_known_ = true;
  bof_ = eof_ = true;
}

void Recordset::Open(const std::filesystem::path& path) {
  if (open_) throw recordset_errors::ObjectOpen("Recordset.Open");
  RecordTable loaded = LoadTableFile(path, "Recordset.Open");
  table_ = std::move(loaded);
  fields_.Rebuild(table_.FieldCount(), true);
  open_ = true;
  sort_text_.clear();
  filter_.clear();
  order_.Reset({});
  pos_known_ = true;
  MoveFirst();
}

void Recordset::Close() {
  RequireOpen("Recordset.Close");
  open_ = false;
  table_.ClearRows();
  order_.Reset({});
  sort_text_.clear();
  filter_.clear();
  row_ = kNoRow;
  bof_ = eof_ = true;
}

void Recordset::Save(const std::filesystem::path& path, PersistFormatEnum format,
                     SavedRows rows) const {
  RequireOpen("Recordset.Save");
  if (format != PersistFormatEnum::adPersistADTG) {
    throw recordset_errors::InvalidArgument("Recordset.Save",
                                            "only the TableGram format can be saved");
  }
  SaveTableFile(table_, path, rows, "Recordset.Save");
}

void Recordset::SetSort(std::string_view fields) {
  RequireOpen("Recordset.Sort");
  std::vector<SortKey> keys = ParseSort(fields, table_, "Recordset.Sort");
  sort_text_ = std::string(fields);
  const bool same = keys.size() == order_.keys().size() &&
                    std::equal(keys.begin(), keys.end(), order_.keys().begin(),
                               [](const SortKey& a, const SortKey& b) {
                                 return a.column == b.column && a.descending == b.descending;
                               });
  // The same keys again keep the order built so far; it only takes in the new rows.
  if (!same) order_.Reset(std::move(keys));
  // Setting a sort moves to the first row of the new order, as the library does.
  MoveFirst();
}

void Recordset::SetFilter(std::string_view criteria) {
  RequireOpen("Recordset.Filter");
  for (char c : criteria) {
    if (c != ' ' && c != '\t') {
      throw recordset_errors::InvalidArgument(
          "Recordset.Filter",
          "only clearing the filter is supported, not \"" + std::string(criteria) + "\"");
    }
  }
  filter_.clear();
  MoveFirst();
}

int32_t Recordset::RecordCount() const {
  RequireOpen("Recordset.RecordCount");
  return static_cast<int32_t>(table_.RowCount());
}

void Recordset::AddNew() {
  RequireOpen("Recordset.AddNew");
  if (table_.RowCount() >= 0x7FFFFFFF) throw Error::Overflow("Recordset.AddNew");
  row_ = table_.AppendRow();
  pos_known_ = false;
  bof_ = eof_ = false;
}

void Recordset::Reserve(size_t rows) {
  RequireOpen("Recordset.Reserve");
  table_.Reserve(rows);
}

void Recordset::Update() { RequireOpen("Recordset.Update"); }

void Recordset::BringOrderUpToDate() { order_.Update(table_); }

void Recordset::MoveFirst() {
  RequireOpen("Recordset.MoveFirst");
  BringOrderUpToDate();
  pos_ = 0;
  pos_known_ = true;
  if (table_.RowCount() == 0) {
    row_ = kNoRow;
    bof_ = eof_ = true;
    return;
  }
  row_ = order_.RowAt(0);
  bof_ = eof_ = false;
}

void Recordset::MoveNext() {
  RequireOpen("Recordset.MoveNext");
  if (eof_) throw recordset_errors::NoCurrentRecord("Recordset.MoveNext");
  const bool stale = !pos_known_ || !order_.IsCurrent(table_);
  BringOrderUpToDate();
  if (stale) {
    // Rows were added or keys changed since the last move: find the current row again.
    pos_ = row_ == kNoRow ? 0 : order_.PositionOf(row_);
    pos_known_ = true;
  }
  bof_ = false;
  if (++pos_ >= table_.RowCount()) {
    pos_ = table_.RowCount();
    row_ = kNoRow;
    eof_ = true;
    return;
  }
  row_ = order_.RowAt(pos_);
}

bool Recordset::Eof() const {
  RequireOpen("Recordset.EOF");
  return eof_;
}

bool Recordset::Bof() const {
  RequireOpen("Recordset.BOF");
  return bof_;
}

size_t Recordset::CurrentRow(const char* source) const {
  RequireOpen(source);
  if (row_ == kNoRow) throw recordset_errors::NoCurrentRecord(source);
  return row_;
}

void Recordset::NoteKeyChange(size_t row, size_t col) {
  if (order_.Covers(row) && order_.IsKeyColumn(col)) {
    order_.Invalidate();
    pos_known_ = false;
  }
}

void Recordset::SetCell(size_t col, const quarnel::Value& value, const char* source) {
  const size_t row = CurrentRow(source);
  table_.Set(row, col, value, source);
  NoteKeyChange(row, col);
}

void Recordset::SetCellInt32(size_t col, int32_t v, const char* source) {
  const size_t row = CurrentRow(source);
  RecordColumn& c = table_.Column(col);
  if (c.kind() == StorageKind::kInt32) {
    c.SetInt32(row, v);
  } else {
    table_.Set(row, col, quarnel::Value(v), source);
  }
  NoteKeyChange(row, col);
}

quarnel::Value Recordset::Value(std::string_view field) const {
  return fields_.Item(field).Value();
}

void Recordset::SetValue(std::string_view field, const quarnel::Value& value) {
  fields_.Item(field).SetValue(value);
}

}  // namespace quarnel
