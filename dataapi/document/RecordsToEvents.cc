// RecordsToEvents: the rows of a backup file back into events.
#include "dataapi/File.h"
#include "dataapi/collections/EventTable.h"
#include "platform/base/Error.h"
#include "platform/recordset/Recordset.h"

namespace quarnel::dataapi {

void File::RecordsToEvents() {
  SetAutoRefresh(false);
  Ref<dataapi::Events> events = events_.object;
  if (!events) throw Error::ObjectNotSet("File.RecordsToEvents");
  std::unique_ptr<Recordset> table = MakeEventTable();
  table->Reserve(backup_data_.size());
  EventTableWriter writer(*table);
  // A backup row holds the channel itself where a compiled record holds its mask.
  for (const CompiledRecord& r : backup_data_) writer.Add(r, r.channel_mask, r.command);
  events->BulkCreate(*table);
  table.reset();
  SetAutoRefresh(true);
  if (Ref<dataapi::Bookmark> bookmark = bookmark_) {
    bookmark->Refresh(channels_.object, events_.object);
  }
}

}  // namespace quarnel::dataapi
