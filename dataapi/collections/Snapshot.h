// Snapshot strings of tables, shared by the collections' UndoData.
#pragma once

#include "dataapi/DataTable.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::dataapi {

// The table's rows as a snapshot string (one character per byte, then one zero).
std::u16string TableSnapshot(const DataTable& table);

// The bytes of a snapshot string, checked to fit the table's layout: false when the
// text is no snapshot of such a table.
bool SnapshotBytes(std::u16string_view text, const DataTable& table, std::vector<uint8_t>& bytes);

// The UndoData get of a one-table collection: the snapshot, or "" when it cannot be taken.
std::u16string SnapshotOrEmpty(const DataTable& table);

// The UndoData put of a one-table collection: when `text` is a snapshot of a table of
// `table`'s layout, `table` is replaced by a table holding its rows; otherwise, or on any
// error, `table` stays as it was.
void RestoreSnapshot(Ref<DataTable>& table, std::u16string_view text);

}  // namespace quarnel::dataapi
