#include "dataapi/DataTable.h"

#include "dataapi/SharedMalloc.h"
#include "dataapi/table/KeyText.h"
#include "platform/base/Error.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace quarnel::dataapi {
namespace {

constexpr int64_t kMax32 = std::numeric_limits<int32_t>::max();

int32_t Checked32(int64_t value, const char* source) {
  if (value > kMax32 || value < std::numeric_limits<int32_t>::min()) {
    throw Error::Overflow(source);
  }
  return static_cast<int32_t>(value);
}

}  // namespace

Ref<DataTable> DataTable::Create() { return MakeRef<DataTable>(); }

DataTable::DataTable() : allocator_(GetSharedMalloc()) {}

DataTable::~DataTable() {
  if (block_) allocator_->Free(block_);
}

void DataTable::Clear() { ResizeStorage(0); }

TableDataType DataTable::ColumnType(int32_t column) const {
  if (column < 0 || static_cast<size_t>(column) >= types_.size()) {
    throw Error::SubscriptOutOfRange("DataTable.ColumnType");
  }
  return types_[column];
}

int32_t DataTable::LastColumnNumber() const {
  if (types_.empty()) throw Error::SubscriptOutOfRange("DataTable.LastColumnNumber");
  return static_cast<int32_t>(types_.size()) - 1;
}

void DataTable::SetupTable(std::span<const int32_t> widths, std::span<const TableDataType> types,
                           int32_t page_size) {
  Clear();
  widths_.clear();
  offsets_.clear();
  types_.clear();
  row_width_ = 0;
  page_size_ = page_size;
  if (types.size() < widths.size()) return;
  int64_t running = 0;
  for (int32_t w : widths) {
    // A negative width would overlap the columns before it.
    if (w < 0) throw Error::Overflow("DataTable.SetupTable");
    running += w;
    if (running > kMax32) throw Error::Overflow("DataTable.SetupTable");
  }
  widths_.assign(widths.begin(), widths.end());
  types_.assign(types.begin(), types.begin() + static_cast<ptrdiff_t>(widths.size()));
  offsets_.resize(widths.size());
  for (size_t c = 0; c < widths.size(); ++c) {
    offsets_[c] = row_width_;
    row_width_ += widths_[c];
  }
}

bool DataTable::ValidCell(int32_t column, int32_t row) const {
  return column >= 0 && static_cast<size_t>(column) < widths_.size() && row >= 0 &&
         row <= GetBounds();
}

int32_t DataTable::LongData(int32_t column, int32_t row) const {
  if (!ValidCell(column, row) || widths_[column] < 4) return 0;
  int32_t value;
  std::memcpy(&value, RowPointer(row) + offsets_[column], 4);
  return value;
}

void DataTable::SetLongData(int32_t column, int32_t row, int32_t value) {
  if (!ValidCell(column, row) || widths_[column] < 4) return;
  std::memcpy(RowPointer(row) + offsets_[column], &value, 4);
}

std::u16string DataTable::StringData(int32_t column, int32_t row) const {
  if (!ValidCell(column, row)) return {};
  CellText cell{RowPointer(row) + offsets_[column], widths_[column] / 2};
  int32_t begin, end;
  cell.Trimmed(begin, end);
  std::u16string text(static_cast<size_t>(end - begin), u' ');
  for (int32_t i = begin; i < end; ++i) text[i - begin] = cell.At(i);
  return text;
}

void DataTable::SetStringData(int32_t column, int32_t row, std::u16string_view value) {
  if (!ValidCell(column, row)) return;
  uint8_t* cell = RowPointer(row) + offsets_[column];
  size_t chars = static_cast<size_t>(widths_[column] / 2);
  size_t n = std::min(value.size(), chars);
  for (size_t i = 0; i < chars; ++i) {
    char16_t c = i < n ? value[i] : u' ';
    cell[2 * i] = static_cast<uint8_t>(c & 0xFF);
    cell[2 * i + 1] = static_cast<uint8_t>(c >> 8);
  }
}

int32_t DataTable::InsertRows(int32_t row, int32_t count) {
  static constexpr const char* kSource = "DataTable.InsertRows";
  if (row < 0) return 0;
  int32_t last = GetBounds();
  if (row > last + 1) row = last + 1;
  if (count <= 0) return row;
  int64_t moved = static_cast<int64_t>(last - row + 1) * row_width_;
  Checked32(static_cast<int64_t>(last) + 1 + count, kSource);
  ResizeStorage(static_cast<int64_t>(used_bytes_) + static_cast<int64_t>(count) * row_width_);
  if (row <= last) {
    std::memmove(RowPointer(row + count), RowPointer(row), static_cast<size_t>(moved));
  }
  return row;
}

void DataTable::DeleteRows(int32_t row, int32_t count) {
  int32_t last = GetBounds();
  if (row < 0 || row > last || count <= 0) return;
  if (static_cast<int64_t>(row) + count - 1 < last) {
    size_t moved = static_cast<size_t>(last - row - count + 1) * row_width_;
    std::memmove(RowPointer(row), RowPointer(row + count), moved);
    ResizeStorage(static_cast<int64_t>(last - count + 1) * row_width_);
  } else {
    ResizeStorage(static_cast<int64_t>(row) * row_width_);
  }
}

int32_t DataTable::GetBounds() const noexcept {
  if (used_bytes_ == 0 || row_width_ == 0) return -1;
  return used_bytes_ / row_width_ - 1;
}

void DataTable::Resize(int32_t rows) {
  ResizeStorage(static_cast<int64_t>(std::max(rows, 0)) * row_width_);
}

int32_t DataTable::CapacityFor(int64_t bytes) const {
  if (page_size_ == 0) throw Error::DivisionByZero("DataTable.ResizeStorage");
  if (page_size_ < 0) throw Error::Overflow("DataTable.ResizeStorage");
  int64_t page = page_size_;
  return Checked32((bytes / page + 1) * page + page, "DataTable.ResizeStorage");
}

void DataTable::ResizeStorage(int64_t new_bytes) {
  Checked32(new_bytes, "DataTable.ResizeStorage");
  if (new_bytes <= 0) {
    if (block_) allocator_->Free(block_);
    block_ = nullptr;
    used_bytes_ = allocated_bytes_ = 0;
    return;
  }
  int32_t capacity = CapacityFor(new_bytes);
  if (!block_ || capacity != allocated_bytes_) {
    void* grown = allocator_->Realloc(block_, static_cast<size_t>(capacity));
    if (!grown) throw Error::OutOfMemory("DataTable.ResizeStorage");
    block_ = static_cast<uint8_t*>(grown);
    allocated_bytes_ = capacity;
  }
  used_bytes_ = static_cast<int32_t>(new_bytes);
}

bool DataTable::StringEquals(int32_t column, int32_t row, std::u16string_view text) const {
  if (!ValidCell(column, row)) return text.empty();
  return CellText{RowPointer(row) + offsets_[column], widths_[column] / 2}.Equals(text);
}

LargerString DataTable::CompareCellKey(int32_t column, int32_t row, std::u16string_view key) const {
  ParsedKey parsed(key);
  return dataapi::CompareCellKey(CellText{RowPointer(row) + offsets_[column], widths_[column] / 2},
                                 parsed, "DataTable.CompareKeys");
}

int32_t DataTable::IndexSeek(int32_t key_column, std::u16string_view value,
                             FindType find_type) const {
  static constexpr const char* kSource = "DataTable.IndexSeek";
  int32_t last = GetBounds();
  if (last < 0) return -1;
  if (ColumnType(key_column) != dataUnicodeString) return -1;
  const int32_t offset = offsets_[key_column];
  const int32_t chars = widths_[key_column] / 2;
  auto cell = [&](int32_t row) { return CellText{RowPointer(row) + offset, chars}; };
  const ParsedKey key(value);
  auto compare = [&](int32_t row) { return dataapi::CompareCellKey(cell(row), key, kSource); };

  int32_t lo = 0, hi = last;
  bool lo_known = false, hi_known = false;
  LargerString lo_cmp = KeysAreIdentical, hi_cmp = KeysAreIdentical;
  const bool leftward = find_type == FindLeftOrEqual || find_type == FindFirstExact;
  do {
    int32_t mid = lo + (hi - lo) / 2;
    // Both rows the next step may probe are fetched while this one is compared, so
    // a search over a large table waits for memory half as often.
    {
      int32_t a = lo + (mid - lo) / 2, b = mid + (hi - mid) / 2;
      __builtin_prefetch(RowPointer(a) + offset);
      __builtin_prefetch(RowPointer(b) + offset);
      __builtin_prefetch(RowPointer(a) + offset + 2 * chars - 1);
      __builtin_prefetch(RowPointer(b) + offset + 2 * chars - 1);
      __builtin_prefetch(RowPointer(lo + (a - lo) / 2) + offset);
      __builtin_prefetch(RowPointer(a + (mid - a) / 2) + offset);
      __builtin_prefetch(RowPointer(mid + (b - mid) / 2) + offset);
      __builtin_prefetch(RowPointer(b + (hi - b) / 2) + offset);
    }
    LargerString c = compare(mid);
    if (leftward ? c == FirstKeyLessThan : c != FirstKeyGreaterThan) {
      lo = mid;
      lo_known = true;
      lo_cmp = c;
    } else {
      hi = mid;
      hi_known = true;
      hi_cmp = c;
    }
  } while (hi - lo >= 2);

  // Comparisons the search already made are not made again. A row whose comparison
  // did not find the keys identical cannot hold the very text searched for.
  auto compare_lo = [&] {
    if (!lo_known) {
      lo_cmp = compare(lo);
      lo_known = true;
    }
    return lo_cmp;
  };
  auto compare_hi = [&] {
    if (!hi_known) {
      hi_cmp = compare(hi);
      hi_known = true;
    }
    return hi_cmp;
  };
  const bool lo_equals = (!lo_known || lo_cmp == KeysAreIdentical) && cell(lo).Equals(value);
  const bool hi_equals = (!hi_known || hi_cmp == KeysAreIdentical) && cell(hi).Equals(value);
  switch (find_type) {
    case FindFirstExact:
    case FindLeftOrEqual:
      if (lo_equals || hi_equals) return compare_lo() != FirstKeyLessThan ? lo : hi;
      if (find_type == FindFirstExact) return -1;
      if (compare_hi() == FirstKeyLessThan) return hi;
      if (compare_lo() == FirstKeyLessThan) return lo;
      return -1;
    case FindRightAfter:
      if (lo_equals || hi_equals) {
        if (compare_hi() == KeysAreIdentical) return hi + 1 > last ? -1 : hi + 1;
        return hi;
      }
      if (compare_lo() == FirstKeyGreaterThan) return lo;
      if (compare_hi() == FirstKeyGreaterThan) return hi;
      return -1;
    case FindLastExact:
      if (hi_equals) return hi;
      if (lo_equals) return lo;
      return -1;
  }
  return -1;
}

int32_t DataTable::FindInsertKey(int32_t key_column, std::u16string_view key_value,
                                 bool allow_duplicates) const {
  int32_t p = IndexSeek(key_column, key_value, FindLeftOrEqual);
  if (p < 0) return 0;
  if (!StringEquals(key_column, p, key_value)) return p + 1;
  return allow_duplicates ? p : -1;
}

Ref<DataTable> DataTable::CloneLayout() const {
  Ref<DataTable> copy = Create();
  copy->SetupTable(widths_, types_, page_size_);
  return copy;
}

Ref<DataTable> DataTable::Clone() const {
  Ref<DataTable> copy = CloneLayout();
  copy->ResizeStorage(used_bytes_);
  if (used_bytes_ > 0) std::memcpy(copy->block_, block_, static_cast<size_t>(used_bytes_));
  return copy;
}

void DataTable::GetRawData(std::vector<uint8_t>& bytes) const {
  bytes.assign(static_cast<size_t>(used_bytes_) + 1, 0);
  if (used_bytes_ > 0) std::memcpy(bytes.data(), block_, static_cast<size_t>(used_bytes_));
}

void DataTable::SetRawData(std::span<const uint8_t> bytes) {
  if (bytes.empty()) throw Error::SubscriptOutOfRange("DataTable.SetRawData");
  size_t n = bytes.size() - 1;
  if (n > static_cast<size_t>(kMax32)) throw Error::Overflow("DataTable.SetRawData");
  if (n > 0 && (row_width_ == 0 || n % static_cast<size_t>(row_width_) != 0)) {
    throw Error::TypeMismatch("DataTable.SetRawData");
  }
  ResizeStorage(static_cast<int64_t>(n));
  if (n > 0) std::memcpy(block_, bytes.data(), n);
}

}  // namespace quarnel::dataapi
