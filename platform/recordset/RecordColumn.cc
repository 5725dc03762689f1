#include "platform/recordset/RecordColumn.h"

#include <cstring>
#include <utility>

namespace quarnel {

void RecordColumn::Reserve(size_t rows) {
  states_.reserve(rows);
  switch (kind_) {
    case StorageKind::kInt32:
      ints_.reserve(rows);
      break;
    case StorageKind::kFixed:
      fixed_.reserve(rows * fixed_size_);
      break;
    case StorageKind::kVariable:
      texts_.reserve(rows);
      break;
  }
}

void RecordColumn::AppendEmpty() {
  states_.push_back(CellState::kEmpty);
  switch (kind_) {
    case StorageKind::kInt32:
      ints_.push_back(0);
      break;
    case StorageKind::kFixed:
      fixed_.resize(fixed_.size() + fixed_size_);
      break;
    case StorageKind::kVariable:
      texts_.emplace_back();
      break;
  }
}

void RecordColumn::PopBack() {
  states_.pop_back();
  switch (kind_) {
    case StorageKind::kInt32:
      ints_.pop_back();
      break;
    case StorageKind::kFixed:
      fixed_.resize(fixed_.size() - fixed_size_);
      break;
    case StorageKind::kVariable:
      texts_.pop_back();
      break;
  }
}

void RecordColumn::Clear() {
  states_.clear();
  ints_.clear();
  fixed_.clear();
  texts_.clear();
}

std::string_view RecordColumn::Bytes(size_t row) const {
  if (kind_ == StorageKind::kFixed) {
    return std::string_view(fixed_.data() + row * fixed_size_, fixed_size_);
  }
  return texts_[row];
}

void RecordColumn::SetBytes(size_t row, std::string_view bytes) {
  if (kind_ == StorageKind::kFixed) {
    std::memcpy(fixed_.data() + row * fixed_size_, bytes.data(), fixed_size_);
  } else {
    texts_[row].assign(bytes);
  }
  states_[row] = CellState::kValue;
}

void RecordColumn::SetBytes(size_t row, std::string&& bytes) {
  if (kind_ == StorageKind::kFixed) {
    SetBytes(row, std::string_view(bytes));
    return;
  }
  texts_[row] = std::move(bytes);
  states_[row] = CellState::kValue;
}

}  // namespace quarnel
