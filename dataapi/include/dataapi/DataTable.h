// DataTable: the keyed table under every collection of a sequence.
//
// Rows of fixed width lie back to back in one storage block taken from the thread's
// shared allocator. Each column is a 32-bit integer (dataLong) or a fixed-width UTF-16
// text padded with spaces (dataUnicodeString). Owning collections keep rows in
// ascending order of one text key column (composite keys such as 1,2,3,4410 compared
// number by number) and find rows with IndexSeek, a binary search.
//
// Errors are thrown as quarnel::Error: 6 overflow (sizes leaving the 32-bit range, a key
// part too large), 7 out of memory, 9 subscript out of range (ColumnType and
// LastColumnNumber outside the columns; a key with fewer parts than the one compared
// to it), 11 division by zero (growing a table set up without a page size), 13 type
// mismatch (a key part that is not a number; raw data that does not fit the layout).
// Cell accessors outside the table read 0 or "" and ignore writes, without error.
#pragma once

#include "dataapi/Identity.h"
#include "dataapi/TableTypes.h"
#include "platform/base/Ref.h"
#include "platform/memory/TaskMalloc.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::dataapi {

class DataTable : public RefCounted {
 public:
  static constexpr const Guid& kClsid = kClsidDataTable;
  static constexpr const Guid& kIid = kIidDataTable;

  // A table without columns; raises 7 when the shared allocator cannot be had.
  static Ref<DataTable> Create();

  // --- Members of the table's interface, in interface order.

  // Drops every row and frees the block; the columns stay.
  void Clear();
  // The type of a column; raises 9 outside the columns.
  TableDataType ColumnType(int32_t column) const;
  // The last column index; raises 9 before SetupTable has given columns.
  int32_t LastColumnNumber() const;
  // Clears the table and lays out the columns. When types has fewer entries than
  // widths, the table is left without columns. page_size is the growth unit in bytes.
  void SetupTable(std::span<const int32_t> widths, std::span<const TableDataType> types,
                  int32_t page_size = 0);
  // The 32-bit cell (column at least 4 bytes wide); 0 outside the table.
  int32_t LongData(int32_t column, int32_t row) const;
  void SetLongData(int32_t column, int32_t row, int32_t value);
  // The text cell with leading and trailing spaces removed; "" outside the table.
  std::u16string StringData(int32_t column, int32_t row) const;
  // Stores the value cut to width / 2 characters and padded with spaces.
  void SetStringData(int32_t column, int32_t row, std::u16string_view value);
  // Inserts count rows (contents undefined until written) before row, or appends when
  // row is past the end. Returns the row where they went; a negative row inserts
  // nothing and gives 0; a count of 0 or less inserts nothing.
  int32_t InsertRows(int32_t row, int32_t count);
  // Deletes count rows from row on (fewer when the range passes the end). A row
  // outside the table or a count of 0 or less does nothing.
  void DeleteRows(int32_t row, int32_t count);
  // The last row index, -1 when empty.
  int32_t GetBounds() const noexcept;
  // The capacity of the block in bytes, 0 when no block is held.
  int32_t MemoryUsed() const { return allocated_bytes_; }
  // A new table with the same columns, page size and rows.
  Ref<DataTable> Clone() const;
  // The row where key_value belongs: 0 for the front or an empty table, behind the last
  // smaller key, or -1 when the key is present and duplicates are not allowed (with
  // duplicates, the first row carrying it).
  int32_t FindInsertKey(int32_t key_column, std::u16string_view key_value,
                        bool allow_duplicates = false) const;
  // Binary search of a key column in ascending key order; the row or -1 (see FindType).
  int32_t IndexSeek(int32_t key_column, std::u16string_view value, FindType find_type) const;

  // --- Library use (not on the binary interface).

  // The rows' bytes followed by one zero byte (row count x row width + 1 bytes).
  void GetRawData(std::vector<uint8_t>& bytes) const;
  // Replaces the rows by bytes [0, size - 1), the form GetRawData gives. Raises 13 when
  // that is not a whole number of rows, 9 for an empty array; the table is unchanged then.
  void SetRawData(std::span<const uint8_t> bytes);

  // A new, empty table with the same columns and page size.
  Ref<DataTable> CloneLayout() const;
  int32_t RowWidth() const { return row_width_; }
  int32_t PageSize() const { return page_size_; }
  int32_t RowCount() const { return row_width_ ? used_bytes_ / row_width_ : 0; }
  // Exact, case-sensitive comparison of a text cell (trimmed) with text.
  bool StringEquals(int32_t column, int32_t row, std::u16string_view text) const;
  // CompareKeys of the key in a text cell with key. REQUIRES: a cell inside the table.
  LargerString CompareCellKey(int32_t column, int32_t row, std::u16string_view key) const;
  // Direct row access for the collections' bulk paths. REQUIRES: 0 <= row <= GetBounds.
  uint8_t* RowPointer(int32_t row) { return block_ + static_cast<size_t>(row) * row_width_; }
  const uint8_t* RowPointer(int32_t row) const {
    return block_ + static_cast<size_t>(row) * row_width_;
  }
  int32_t ColumnOffset(int32_t column) const { return offsets_[column]; }
  int32_t ColumnWidth(int32_t column) const { return widths_[column]; }
  // Sets the row count, growing or shrinking the block as Insert and Delete do; rows
  // gained hold undefined bytes.
  void Resize(int32_t rows);

 private:
  friend Ref<DataTable> MakeRef<DataTable>();
  DataTable();
  ~DataTable() override;

  int32_t CapacityFor(int64_t bytes) const;
  void ResizeStorage(int64_t new_bytes);
  bool ValidCell(int32_t column, int32_t row) const;

  std::vector<int32_t> widths_;
  std::vector<int32_t> offsets_;
  std::vector<TableDataType> types_;
  int32_t row_width_ = 0;
  int32_t used_bytes_ = 0;
  int32_t allocated_bytes_ = 0;
  uint8_t* block_ = nullptr;
  int32_t page_size_ = 0;
  Ref<platform::TaskMalloc> allocator_;
};

}  // namespace quarnel::dataapi
