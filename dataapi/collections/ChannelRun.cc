#include "dataapi/collections/ChannelRun.h"

#include "dataapi/table/KeyText.h"

namespace quarnel::dataapi::channel_run {

int32_t Begin(const DataTable& table, int32_t key_column, int32_t network, int32_t device,
              int32_t channel) {
  return table.IndexSeek(key_column, KeyBuffer(network, device, channel).View(), FindFirstExact);
}

int32_t End(const DataTable& table, int32_t key_column, int32_t network, int32_t device,
            int32_t channel) {
  return table.IndexSeek(key_column, KeyBuffer(network, device, channel).View(), FindLastExact);
}

bool Remove(DataTable& table, int32_t key_column, int32_t network, int32_t device,
            int32_t channel) {
  const int32_t b = Begin(table, key_column, network, device, channel);
  const int32_t e = End(table, key_column, network, device, channel);
  if (b < 0 || e < b) return false;
  table.DeleteRows(b, e - b + 1);
  return true;
}

int32_t InsertPlace(const DataTable& table, int32_t key_column, int32_t network, int32_t device,
                    int32_t channel) {
  const int32_t q =
      table.IndexSeek(key_column, KeyBuffer(network, device, channel).View(), FindRightAfter);
  return q < 0 ? table.GetBounds() + 1 : q;
}

}  // namespace quarnel::dataapi::channel_run
