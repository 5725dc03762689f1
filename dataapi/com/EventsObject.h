// The COM class Events (interface _Events, events __Events) over a library Events
// collection.
#pragma once

#include "dataapi/Events.h"
#include "dataapi/com/EventForwarder.h"
#include "dataapi/com/Members.h"
#include "dataapi/com/QuarnelDataAPI3.h"

namespace quarnel::dataapi::com {

class EventsObject final : public CollectionObject<EventsObject, _Events, Events, EventsEvents> {
 public:
  explicit EventsObject(Ref<Events> model) : CollectionObject(std::move(model), DIID___Events) {}

  QUARNEL_COM_GET_AT(Events, SampleNumber, LONG)
  QUARNEL_COM_GET_AT(Events, Network, LONG)
  QUARNEL_COM_GET_AT(Events, Device, LONG)
  QUARNEL_COM_GET_AT(Events, Channel, LONG)
  QUARNEL_COM_GET_AT(Events, Command, LONG)
  QUARNEL_COM_GET_AT(Events, StartIntensity, LONG)
  QUARNEL_COM_GET_AT(Events, EndIntensity, LONG)
  QUARNEL_COM_GET_AT(Events, ShortInterval, LONG)
  QUARNEL_COM_GET_AT(Events, LongInterval, LONG)
  STDMETHODIMP get_Setting(LONG index, LONG setting_number, LONG* result) override {
    return Out("Events.Setting", result, [&] { return model_->Setting(index, setting_number); });
  }
  STDMETHODIMP get_MaxSetting(LONG* result) override {
    return Out("Events.MaxSetting", result, [&] { return model_->MaxSetting(); });
  }
  QUARNEL_COM_GET_AT(Events, EventLength, LONG)
  QUARNEL_COM_PUT_AT(Events, SampleNumber, LONG)
  QUARNEL_COM_PUT_AT(Events, Command, LONG)
  QUARNEL_COM_PUT_AT(Events, StartIntensity, LONG)
  QUARNEL_COM_PUT_AT(Events, EndIntensity, LONG)
  QUARNEL_COM_PUT_AT(Events, ShortInterval, LONG)
  QUARNEL_COM_PUT_AT(Events, LongInterval, LONG)
  STDMETHODIMP put_Setting(LONG index, LONG setting_number, LONG value) override {
    return Call("Events.Setting", [&] { model_->SetSetting(index, setting_number, value); });
  }
  QUARNEL_COM_PUT_AT(Events, EventLength, LONG)
  // Records come in through the library's own recordsets only (Load); a recordset of
  // another library cannot be read here.
  STDMETHODIMP BulkCreate(IDispatch** rs) override {
    (void)rs;
    return Call("Events.BulkCreate", [] { throw Error::TypeMismatch("Events.BulkCreate"); });
  }
  STDMETHODIMP Add(LONG network, LONG device, LONG channel, LONG sample_number,
                   VARIANT_BOOL overwrite, LONG* result) override {
    return Out("Events.Add", result, [&] {
      return model_->Add(network, device, channel, sample_number, overwrite != VARIANT_FALSE);
    });
  }
  QUARNEL_COM_GROUP_EDITS(Events)
  STDMETHODIMP FindLeft(LONG network, LONG device, LONG channel, LONG sample_number,
                        LONG* result) override {
    return Out("Events.FindLeft", result,
               [&] { return model_->FindLeft(network, device, channel, sample_number); });
  }
  STDMETHODIMP FindRight(LONG network, LONG device, LONG channel, LONG sample_number,
                         LONG* result) override {
    return Out("Events.FindRight", result,
               [&] { return model_->FindRight(network, device, channel, sample_number); });
  }
  QUARNEL_COM_FIND_NDC(Events, FindBegin)
  QUARNEL_COM_FIND_NDC(Events, FindEnd)
  QUARNEL_COM_COLLECTION_COMMON(Events, EventsObject)
  QUARNEL_COM_UNDO_DATA(Events)
};

}  // namespace quarnel::dataapi::com
