#include "platform/recordset/RecordsetFile.h"

#include "platform/recordset/RecordsetErrors.h"

namespace quarnel {

RecordTable LoadTableFile(const std::filesystem::path& path, const char* source) {
  throw recordset_errors::OpeningFile(
      source, "reading saved tables is not available yet: " + path.string());
}

void SaveTableFile(const RecordTable&, const std::filesystem::path& path, SavedRows,
                   const char* source) {
  throw recordset_errors::WriteFile(source, "saving tables is not available yet: " + path.string());
}

}  // namespace quarnel
