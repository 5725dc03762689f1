#include "dataapi/collections/Snapshot.h"

#include "dataapi/ArrayHandler.h"
#include "platform/base/Error.h"

namespace quarnel::dataapi {

std::u16string TableSnapshot(const DataTable& table) {
  std::vector<uint8_t> bytes;
  table.GetRawData(bytes);
  return BytesToString(bytes);
}

bool SnapshotBytes(std::u16string_view text, const DataTable& table, std::vector<uint8_t>& bytes) {
  if (!StringToBytes(text, bytes) || bytes.empty()) return false;
  size_t rows = bytes.size() - 1;
  return table.RowWidth() > 0 && rows % static_cast<size_t>(table.RowWidth()) == 0;
}

std::u16string SnapshotOrEmpty(const DataTable& table) {
  try {
    return TableSnapshot(table);
  } catch (const Error&) {
    return {};
  }
}

void RestoreSnapshot(Ref<DataTable>& table, std::u16string_view text) {
  try {
    std::vector<uint8_t> bytes;
    if (SnapshotBytes(text, *table, bytes)) {
      Ref<DataTable> restored = table->CloneLayout();
      restored->SetRawData(bytes);
      table = restored;
    }
  } catch (const Error&) {
  }
}

}  // namespace quarnel::dataapi
