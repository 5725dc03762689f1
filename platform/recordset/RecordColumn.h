// RecordColumn: the cells of one field, for every row, stored by kind: 32-bit integers in
// one array, other fixed-size values back to back, text and binary as byte strings. Each
// cell also has a state: a value, null, or empty (never set). The column knows nothing of
// conversions; RecordTable does those.
#pragma once

#include "platform/recordset/FieldTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

enum class CellState : uint8_t { kValue, kNull, kEmpty };

class RecordColumn {
 public:
  RecordColumn(StorageKind kind, uint32_t fixed_size) : kind_(kind), fixed_size_(fixed_size) {}

  StorageKind kind() const { return kind_; }
  size_t size() const { return states_.size(); }

  // Rows: a new row's cell is empty.
  void Reserve(size_t rows);
  void AppendEmpty();
  void PopBack();  // REQUIRES: size() > 0
  void Clear();

  CellState State(size_t row) const { return states_[row]; }
  void SetNull(size_t row) { states_[row] = CellState::kNull; }
  void SetEmpty(size_t row) { states_[row] = CellState::kEmpty; }

  // kInt32 columns.
  int32_t Int32(size_t row) const { return ints_[row]; }
  void SetInt32(size_t row, int32_t v) {
    ints_[row] = v;
    states_[row] = CellState::kValue;
  }

  // Whole arrays, for sorting. int32_data() only for kInt32 columns.
  const CellState* state_data() const { return states_.data(); }
  const int32_t* int32_data() const { return ints_.data(); }

  // kFixed and kVariable columns: the stored bytes.
  // REQUIRES: for kFixed, bytes.size() is the fixed size.
  std::string_view Bytes(size_t row) const;
  void SetBytes(size_t row, std::string_view bytes);
  void SetBytes(size_t row, std::string&& bytes);

 private:
  StorageKind kind_;
  uint32_t fixed_size_;
  std::vector<CellState> states_;
  std::vector<int32_t> ints_;       // kInt32
  std::vector<char> fixed_;         // kFixed: fixed_size_ bytes per row
  std::vector<std::string> texts_;  // kVariable
};

}  // namespace quarnel
