// Reading a flat table saved in the Advanced Data TableGram format.
//
// The reader checks the header, steps over the metadata it does not need by its sizes,
// decodes the column descriptors and every kind of row: unchanged, pending insert,
// pending update (the original, then the new values) and pending delete. Parsing must end
// exactly at the final end token; every length is checked against what remains, so a
// damaged or hostile file gives an AdtgFormatError naming the byte offset and what was
// expected there, never a read past the end. Hierarchical files and storage types the
// recordset does not hold are refused. Long text or binary columns at most 255 bytes
// wide are read with 1-byte lengths, as narrow columns are; a file that does not read
// that way is read again with 4-byte lengths in them, and refused (with the error of the
// first reading) only when that fails too.
#pragma once

#include "platform/base/Error.h"
#include "platform/recordset/RecordTable.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel::adtg {

enum class RowStatus : uint8_t {
  kUnchanged,  // a committed row
  kInserted,   // pending insert
  kModified,   // pending update; the table holds the new values
  kDeleted,    // pending delete; the table holds the values it had
};

struct AdtgImage {
  RecordTable table;
  std::vector<RowStatus> status;  // one per row of the table, in file order
};

struct AdtgReadOptions {
  // Keep rows pending deletion (for inspecting files); the recordset leaves them out.
  bool keep_deleted = true;
};

// A file that is not a table in the format: a read-file error (3003) whose description
// names the byte and what was expected there, "byte 419: expected the end token 0x0F,
// found 0x41".
class AdtgFormatError : public Error {
 public:
  AdtgFormatError(size_t offset, std::string expected);
  size_t offset() const { return offset_; }
  const std::string& expected() const { return expected_; }

 private:
  size_t offset_;
  std::string expected_;
};

// Decodes a whole file's bytes. Raises AdtgFormatError.
AdtgImage ReadAdtg(std::string_view data, const AdtgReadOptions& options = {});

}  // namespace quarnel::adtg
