// MakeEventTable: the empty event table that decompiling and the backup load fill and
// hand to Events.BulkCreate.
#include "dataapi/File.h"
#include "platform/base/Error.h"
#include "platform/recordset/Recordset.h"

#include <string>

namespace quarnel::dataapi {

std::unique_ptr<Recordset> File::MakeEventTable() const {
  if (!events_.object) throw Error::ObjectNotSet("File.MakeEventTable");
  auto table = std::make_unique<Recordset>();
  table->SetCursorLocation(CursorLocationEnum::adUseClient);
  static constexpr const char* kFields[] = {"SampleNumber", "Network",       "Device",
                                            "Channel",      "Command",       "StartIntensity",
                                            "EndIntensity", "ShortInterval", "LongInterval"};
  Fields& fields = table->Fields();
  for (const char* name : kFields) {
    fields.Append(name, DataTypeEnum::adInteger, 0, adFldUnspecified);
  }
  for (int32_t k = 0; k <= events_.object->MaxSetting(); ++k) {
    fields.Append("Setting" + std::to_string(k), DataTypeEnum::adInteger, 0, adFldUnspecified);
  }
  table->Open();
  for (const char* name : {"SampleNumber", "Network", "Device", "Channel"}) {
    fields[name].SetProperties("Optimize", Value(1));
  }
  return table;
}

}  // namespace quarnel::dataapi
