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

}  // namespace quarnel::dataapi
