// RecordsToEvents: the rows of a backup file back into events.
#include "dataapi/File.h"
#include "platform/base/Error.h"
#include "platform/recordset/Recordset.h"

namespace quarnel::dataapi {

void File::RecordsToEvents() {
  SetAutoRefresh(false);
  std::unique_ptr<Recordset> table = MakeEventTable();
  Fields& fields = table->Fields();
  Field& network = fields["Network"];
  Field& device = fields["Device"];
  Field& channel = fields["Channel"];
  Field& sample = fields["SampleNumber"];
  Field& command = fields["Command"];
  Field& end = fields["EndIntensity"];
  Field& long_interval = fields["LongInterval"];
  Field& short_interval = fields["ShortInterval"];
  Field& start = fields["StartIntensity"];
  Field& setting0 = fields["Setting0"];
  table->Reserve(backup_data_.size());
  for (const CompiledRecord& r : backup_data_) {
    table->AddNew();
    network.SetInt32(r.network);
    device.SetInt32(r.device);
    channel.SetInt32(r.channel_mask);  // a backup row holds the channel itself
    sample.SetInt32(r.sample_number);
    command.SetInt32(r.command);
    end.SetInt32(r.end_intensity);
    long_interval.SetInt32(r.long_interval);
    short_interval.SetInt32(r.short_interval);
    start.SetInt32(r.start_intensity);
    setting0.SetInt32(r.setting0);
  }
  Ref<dataapi::Events> events = events_.object;
  if (!events) throw Error::ObjectNotSet("File.RecordsToEvents");
  events->BulkCreate(*table);
  table.reset();
  SetAutoRefresh(true);
  if (Ref<dataapi::Bookmark> bookmark = bookmark_) {
    bookmark->Refresh(channels_.object, events_.object);
  }
}

}  // namespace quarnel::dataapi
