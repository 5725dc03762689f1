#include "platform/recordset/RowOrder.h"

#include "platform/recordset/RecordsetErrors.h"

#include <algorithm>
#include <numeric>

namespace quarnel {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return FoldCase(a) == FoldCase(b); }

int Sign(auto a, auto b) { return a < b ? -1 : (a > b ? 1 : 0); }

// Text compares without regard to ASCII case, byte by byte (two-byte units for wide text).
int CompareText(std::string_view a, std::string_view b, bool wide) {
  auto fold = [](unsigned c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
  const size_t step = wide ? 2 : 1;
  const size_t n = std::min(a.size(), b.size()) / step;
  for (size_t i = 0; i < n; ++i) {
    unsigned ca, cb;
    if (wide) {
      ca = static_cast<uint8_t>(a[2 * i]) | (static_cast<uint8_t>(a[2 * i + 1]) << 8);
      cb = static_cast<uint8_t>(b[2 * i]) | (static_cast<uint8_t>(b[2 * i + 1]) << 8);
    } else {
      ca = static_cast<uint8_t>(a[i]);
      cb = static_cast<uint8_t>(b[i]);
    }
    const int c = Sign(fold(ca), fold(cb));
    if (c) return c;
  }
  return Sign(a.size(), b.size());
}

int CompareValues(const Value& a, const Value& b) {
  using K = Value::Kind;
  if (a.kind() == K::kInteger && b.kind() == K::kInteger) return Sign(a.integer(), b.integer());
  if (a.kind() == K::kBytes || b.kind() == K::kBytes) {
    return CompareText(a.kind() == K::kBytes ? a.bytes() : "",
                       b.kind() == K::kBytes ? b.bytes() : "", false);
  }
  auto num = [](const Value& v) {
    return v.kind() == K::kInteger ? static_cast<double>(v.integer()) : v.real();
  };
  return Sign(num(a), num(b));
}

// Compares the cells of two rows in one column; empty and null come first.
class CellComparer {
 public:
  CellComparer(const RecordTable& table, const SortKey& key)
      : table_(table),
        column_(table.Column(key.column)),
        col_(key.column),
        states_(column_.state_data()),
        ints_(column_.kind() == StorageKind::kInt32 ? column_.int32_data() : nullptr),
        wide_(table.Field(key.column).info().wide),
        sign_(key.descending ? -1 : 1) {}

  int operator()(uint32_t a, uint32_t b) const {
    const bool va = states_[a] == CellState::kValue;
    const bool vb = states_[b] == CellState::kValue;
    if (!va || !vb) return sign_ * Sign(va, vb);
    if (ints_) return sign_ * Sign(ints_[a], ints_[b]);
    if (column_.kind() == StorageKind::kVariable) {
      return sign_ * CompareText(column_.Bytes(a), column_.Bytes(b), wide_);
    }
    return sign_ * CompareValues(table_.Get(a, col_), table_.Get(b, col_));
  }

 private:
  const RecordTable& table_;
  const RecordColumn& column_;
  size_t col_;
  const CellState* states_;
  const int32_t* ints_;
  bool wide_;
  int sign_;
};

// Below this many rows a comparison sort is as quick.
constexpr size_t kRadixThreshold = 512;

// Sorts rows by integer keys with a stable least-significant-digit radix sort: one pass per
// 16-bit digit of each key, last key first. Empty and null sort before every number (a
// 33-bit key: 0 for them, the biased value plus one otherwise); DESC inverts the key. A
// pass whose digit is the same in every row is skipped, so small numbers cost one pass.
void RadixSort(uint32_t* rows, size_t n, const RecordTable& table,
               const std::vector<SortKey>& keys) {
  std::vector<uint64_t> key(n), key_tmp(n);
  std::vector<uint32_t> row_tmp(n);
  std::vector<uint32_t> count(size_t{1} << 16);
  for (auto k = keys.rbegin(); k != keys.rend(); ++k) {
    const RecordColumn& column = table.Column(k->column);
    const CellState* states = column.state_data();
    const int32_t* values = column.int32_data();
    constexpr uint64_t kTop = uint64_t{1} << 32;
    for (size_t i = 0; i < n; ++i) {
      const uint32_t r = rows[i];
      uint64_t v = states[r] == CellState::kValue
                       ? (static_cast<uint64_t>(static_cast<uint32_t>(values[r]) ^ 0x80000000u) + 1)
                       : 0;
      key[i] = k->descending ? kTop - v : v;
    }
    for (int shift = 0; shift <= 32; shift += 16) {
      std::fill(count.begin(), count.end(), 0);
      for (size_t i = 0; i < n; ++i) ++count[(key[i] >> shift) & 0xFFFF];
      if (count[(key[0] >> shift) & 0xFFFF] == n) continue;  // one digit everywhere
      uint32_t sum = 0;
      for (uint32_t& c : count) {
        const uint32_t here = c;
        c = sum;
        sum += here;
      }
      for (size_t i = 0; i < n; ++i) {
        const uint32_t slot = count[(key[i] >> shift) & 0xFFFF]++;
        key_tmp[slot] = key[i];
        row_tmp[slot] = rows[i];
      }
      key.swap(key_tmp);
      std::copy(row_tmp.begin(), row_tmp.end(), rows);
    }
  }
}

}  // namespace

std::vector<SortKey> ParseSort(std::string_view text, const RecordTable& table,
                               const char* source) {
  std::vector<SortKey> keys;
  text = Trim(text);
  if (text.empty()) return keys;
  size_t start = 0;
  while (start <= text.size()) {
    size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) comma = text.size();
    std::string_view item = Trim(text.substr(start, comma - start));
    bool descending = false;
    const size_t space = item.find_last_of(" \t");
    if (space != std::string_view::npos) {
      const std::string_view dir = item.substr(space + 1);
      if (EqualsNoCase(dir, "DESC")) {
        descending = true;
      } else if (!EqualsNoCase(dir, "ASC")) {
        throw recordset_errors::InvalidArgument(source, "sort item \"" + std::string(item) + "\"");
      }
      item = Trim(item.substr(0, space));
    }
    if (item.size() >= 2 && item.front() == '[' && item.back() == ']') {
      item = item.substr(1, item.size() - 2);
    }
    if (item.empty()) throw recordset_errors::InvalidArgument(source, "empty sort item");
    const ptrdiff_t col = table.FindField(item);
    if (col < 0)
      throw recordset_errors::ItemNotFound(source, "field \"" + std::string(item) + "\"");
    keys.push_back({static_cast<size_t>(col), descending});
    start = comma + 1;
  }
  return keys;
}

void RowOrder::Reset(std::vector<SortKey> keys) {
  keys_ = std::move(keys);
  order_.clear();
}

bool RowOrder::IsKeyColumn(size_t column) const {
  return std::any_of(keys_.begin(), keys_.end(),
                     [column](const SortKey& k) { return k.column == column; });
}

void RowOrder::Update(const RecordTable& table) {
  if (!active() || order_.size() == table.RowCount()) return;
  std::vector<CellComparer> cmp;
  cmp.reserve(keys_.size());
  for (const SortKey& k : keys_) cmp.emplace_back(table, k);
  auto less = [&cmp](uint32_t a, uint32_t b) {
    for (const CellComparer& c : cmp) {
      const int r = c(a, b);
      if (r) return r < 0;
    }
    return false;
  };
  // New rows are sorted among themselves and merged in; both steps are stable and the
  // new rows come after the old ones, so equal keys stay in the order they were added.
  const size_t old_size = order_.size();
  order_.resize(table.RowCount());
  std::iota(order_.begin() + static_cast<ptrdiff_t>(old_size), order_.end(),
            static_cast<uint32_t>(old_size));
  const bool all_integers = std::all_of(keys_.begin(), keys_.end(), [&table](const SortKey& k) {
    return table.Column(k.column).kind() == StorageKind::kInt32;
  });
  if (all_integers && order_.size() - old_size >= kRadixThreshold) {
    RadixSort(order_.data() + old_size, order_.size() - old_size, table, keys_);
  } else {
    std::stable_sort(order_.begin() + static_cast<ptrdiff_t>(old_size), order_.end(), less);
  }
  std::inplace_merge(order_.begin(), order_.begin() + static_cast<ptrdiff_t>(old_size),
                     order_.end(), less);
}

size_t RowOrder::PositionOf(size_t row) const {
  if (!active()) return row;
  auto it = std::find(order_.begin(), order_.end(), static_cast<uint32_t>(row));
  return static_cast<size_t>(it - order_.begin());
}

}  // namespace quarnel
