// Loading and saving a RecordTable as a file in the Advanced Data TableGram format: the
// seam between the recordset and its file format (platform/recordset/adtg/).
#pragma once

#include "platform/recordset/RecordTable.h"

#include <filesystem>

namespace quarnel {

// How rows are saved. A table filled with AddNew and never committed holds its rows as
// pending inserts, and that is how the recordset library writes them. Rows a table was
// opened with are committed (or were changed since: the table keeps their new values)
// and are written as committed rows again. kPendingInserts and kCommitted write every row
// one way.
enum class SavedRows { kAsHeld, kPendingInserts, kCommitted };

// Reads the table saved at `path`, as the recordset library shows it on reopening:
// rows pending deletion left out, pending updates with their new values. Raises the
// opening-file error when the file cannot be opened and the reading error, naming the
// byte offset and what was expected there, when it is not a saved table.
RecordTable LoadTableFile(const std::filesystem::path& path, const char* source);

// Writes `table` to `path`: to a new file beside it first, then renamed over it, so that
// a failure leaves whatever was at `path` untouched. Raises the writing error naming the
// path and the cause, or a data-overflow error for a value the format cannot hold.
void SaveTableFile(const RecordTable& table, const std::filesystem::path& path, SavedRows rows,
                   const char* source);

}  // namespace quarnel
