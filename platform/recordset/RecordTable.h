// RecordTable: the fields and rows of a recordset, without any cursor. Rows are numbered
// in the order they were added. The table converts values on the way in and out by the
// field's type and refuses what does not fit: a text longer than its field's defined
// size is an error, never cut.
//
// The recordset owns one; the file reader fills one and the file writer reads one.
#pragma once

#include "platform/recordset/FieldDef.h"
#include "platform/recordset/RecordColumn.h"
#include "platform/recordset/Value.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quarnel {

class RecordTable {
 public:
  // Fields. REQUIRES for AddField: the table has no rows and no field of that name.
  void AddField(FieldDef def);
  size_t FieldCount() const { return fields_.size(); }
  const FieldDef& Field(size_t i) const { return fields_[i]; }
  // Index of the field named `name`, compared without regard to (ASCII) case; -1 if none.
  ptrdiff_t FindField(std::string_view name) const;
  void ClearFields();

  // Rows.
  size_t RowCount() const { return rows_; }
  void Reserve(size_t rows);
  size_t AppendRow();  // every cell empty, not committed; returns the new row's number
  void PopRow();       // drops the last row. REQUIRES: RowCount() > 0
  void ClearRows();

  // Cells, with conversion by the field's type. `source` names the caller's member for
  // errors. Set raises a data-overflow error for text or binary longer than the field
  // holds, and the conversion errors of Value.
  Value Get(size_t row, size_t col) const;
  void Set(size_t row, size_t col, const Value& value, const char* source);
  // Stores raw bytes as they are, for readers of saved tables. REQUIRES: the size fits.
  void SetStoredBytes(size_t row, size_t col, std::string_view bytes) {
    columns_[col].SetBytes(row, bytes);
  }

  // Whether a row came committed from a saved table (rows added here are pending inserts).
  bool IsCommitted(size_t row) const { return committed_[row] != 0; }
  void SetCommitted(size_t row, bool committed) { committed_[row] = committed ? 1 : 0; }

  const RecordColumn& Column(size_t i) const { return columns_[i]; }
  RecordColumn& Column(size_t i) { return columns_[i]; }

 private:
  std::vector<FieldDef> fields_;
  std::vector<RecordColumn> columns_;
  std::unordered_map<std::string, size_t> index_;  // lower-cased name -> field
  std::vector<uint8_t> committed_;                 // per row
  size_t rows_ = 0;
};

// The lower-case form of an ASCII name; other bytes are kept.
std::string FoldCase(std::string_view name);

}  // namespace quarnel
