// The JSON picture of a saved table that adtgdump prints:
//   {"fields": [{"name", "type", "definedSize", "flags"}...],
//    "rows": [{"status", "values": [...]}...]}
// Rows are in file order; a changed row shows its new values, a deleted one the values it
// had. Values are numbers, strings or null. Text is decoded through a code page; with
// `hex`, every value shown as a string (text, binary, dates, identifiers) is instead the
// lower-case hexadecimal of its bytes as stored.
#pragma once

#include "platform/base/CodePage.h"
#include "platform/recordset/adtg/AdtgReader.h"

#include <nlohmann/json.hpp>

namespace quarnel::adtgdump {

struct DumpOptions {
  bool hex = false;
  CodePage code_page;
};

nlohmann::ordered_json DumpJson(const adtg::AdtgImage& image, const DumpOptions& options);

// The state of a row as printed: "unchanged", "inserted", "modified" or "deleted".
const char* StatusName(adtg::RowStatus status);

// One cell as JSON (exposed for tests).
nlohmann::ordered_json CellJson(const RecordTable& table, size_t row, size_t col,
                                const DumpOptions& options);

}  // namespace quarnel::adtgdump
