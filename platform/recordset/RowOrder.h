// RowOrder: the order in which a sorted recordset visits its rows.
//
// The order is a list of row numbers sorted by the sort fields, ascending unless a field
// says DESC; rows with equal keys keep the order in which they were added. Sorting waits
// until someone walks the rows: rows added after the sort was set are sorted among
// themselves and merged in then, so adding n rows to a sorted table costs n log n once,
// not a sort per row. (Each walk step taken after new rows costs one linear merge, so a
// caller should add its rows and then walk, not alternate the two.) Integer keys are
// sorted by radix, other keys by comparison. Empty and null values come before every
// other value.
#pragma once

#include "platform/recordset/RecordTable.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

struct SortKey {
  size_t column;
  bool descending;
};

// Parses "a, b DESC, c ASC" against the table's fields; "" gives no keys. Raises an
// item-not-found error for an unknown field and an invalid-argument error for bad syntax.
std::vector<SortKey> ParseSort(std::string_view text, const RecordTable& table, const char* source);

class RowOrder {
 public:
  // Starts a new order (no keys: rows in the order they were added).
  void Reset(std::vector<SortKey> keys);
  bool active() const { return !keys_.empty(); }
  const std::vector<SortKey>& keys() const { return keys_; }

  // Takes in the rows added since the last call.
  void Update(const RecordTable& table);
  // Forgets the order, so that the next Update sorts every row afresh (after a key value
  // of a sorted row changed).
  void Invalidate() { order_.clear(); }
  // Whether the order covers every row of the table.
  bool IsCurrent(const RecordTable& table) const {
    return !active() || order_.size() == table.RowCount();
  }
  // Whether row `row` has been sorted in (a change to a key of such a row calls for a
  // fresh sort).
  bool Covers(size_t row) const { return active() && row < order_.size(); }
  bool IsKeyColumn(size_t column) const;

  // Row number at position `pos` of the order. REQUIRES: IsCurrent.
  size_t RowAt(size_t pos) const { return active() ? order_[pos] : pos; }
  // Position of row `row` in the order. REQUIRES: IsCurrent.
  size_t PositionOf(size_t row) const;

 private:
  std::vector<SortKey> keys_;
  std::vector<uint32_t> order_;
};

}  // namespace quarnel
