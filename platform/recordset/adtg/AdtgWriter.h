// Writing a table in the Advanced Data TableGram format, byte for byte as the recordset
// library writes a client-side, connection-less table built with appended fields: the
// fixed opening block with the column and row counts, one column descriptor per field,
// the rows, the end token.
//
// Rows are written as pending inserts (what a table filled with AddNew and never
// committed holds) or as committed rows, as SavedRows says. A value too long for its
// field, or (when every row must be committed) a null in a field that cannot hold one in
// a committed row, raises an error: nothing is cut.
#pragma once

#include "platform/recordset/RecordTable.h"
#include "platform/recordset/RecordsetFile.h"

#include <string>

namespace quarnel::adtg {

// The whole file's bytes. Raises a data-overflow error (recordset error numbers) naming
// the row and field for a value that does not fit, and for more columns than the format
// counts.
std::string WriteAdtg(const RecordTable& table, SavedRows rows);

}  // namespace quarnel::adtg
