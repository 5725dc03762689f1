// The COM class Channels (interface _Channels, events __Channels) over a library
// Channels list.
#pragma once

#include "dataapi/Channels.h"
#include "dataapi/com/EventForwarder.h"
#include "dataapi/com/Members.h"
#include "dataapi/com/QuarnelDataAPI3.h"

namespace quarnel::dataapi::com {

class ChannelsObject final
    : public CollectionObject<ChannelsObject, _Channels, Channels, ChannelsEvents> {
 public:
  explicit ChannelsObject(Ref<Channels> model)
      : CollectionObject(std::move(model), DIID___Channels) {}

  QUARNEL_COM_GET_AT(Channels, Network, LONG)
  QUARNEL_COM_GET_AT(Channels, Device, LONG)
  QUARNEL_COM_GET_AT(Channels, Channel, LONG)
  STDMETHODIMP get_Name(LONG index, BSTR* result) override {
    return OutText("Channels.Name", result, [&] { return model_->Name(index); });
  }
  QUARNEL_COM_GET_AT(Channels, DeviceType, LONG)
  QUARNEL_COM_GET_AT(Channels, Color, LONG)
  STDMETHODIMP get_Setting(LONG index, LONG setting_number, LONG* result) override {
    return Out("Channels.Setting", result, [&] { return model_->Setting(index, setting_number); });
  }
  STDMETHODIMP put_Name(LONG index, BSTR value) override {
    return Call("Channels.Name", [&] { model_->SetName(index, TextOf(value)); });
  }
  QUARNEL_COM_PUT_AT(Channels, DeviceType, LONG)
  QUARNEL_COM_PUT_AT(Channels, Color, LONG)
  STDMETHODIMP put_Setting(LONG index, LONG setting_number, LONG value) override {
    return Call("Channels.Setting", [&] { model_->SetSetting(index, setting_number, value); });
  }
  STDMETHODIMP MoveGroup(LONG src_network, LONG src_device, LONG src_channel, LONG dest_network,
                         LONG dest_device, LONG dest_channel) override {
    return Call("Channels.MoveGroup", [&] {
      model_->MoveGroup(src_network, src_device, src_channel, dest_network, dest_device,
                        dest_channel);
    });
  }
  STDMETHODIMP Add(LONG network, LONG device, LONG channel, BSTR name, LONG insert_at_index,
                   LONG* result) override {
    return Out("Channels.Add", result, [&] {
      return model_->Add(network, device, channel, TextOf(name), insert_at_index);
    });
  }
  STDMETHODIMP Remove(LONG index) override {
    return Call("Channels.Remove", [&] { model_->Remove(index); });
  }
  QUARNEL_COM_FIND_NDC(Channels, Find)
  STDMETHODIMP FindName(BSTR name, LONG* result) override {
    return Out("Channels.FindName", result, [&] { return model_->FindName(TextOf(name)); });
  }
  STDMETHODIMP Move(LONG src_index, LONG dest_index, LONG* result) override {
    return Out("Channels.Move", result, [&] { return model_->Move(src_index, dest_index); });
  }
  QUARNEL_COM_COLLECTION_COMMON(Channels, ChannelsObject)
  STDMETHODIMP get_UndoData(BSTR* lookup, BSTR* result) override {
    if (!lookup || !result) return E_POINTER;
    *result = nullptr;
    return Call("Channels.UndoData", [&] {
      std::u16string lookup_text(TextOf(*lookup));
      std::u16string main = model_->UndoData(lookup_text);
      ReplaceBstr(lookup, lookup_text);
      *result = NewBstr(main);
    });
  }
  STDMETHODIMP put_UndoData(BSTR* lookup, BSTR value) override {
    if (!lookup) return E_POINTER;
    return Call("Channels.UndoData", [&] {
      std::u16string lookup_text(TextOf(*lookup));
      model_->SetUndoData(lookup_text, TextOf(value));
    });
  }
};

}  // namespace quarnel::dataapi::com
