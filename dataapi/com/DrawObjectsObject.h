// The COM class DrawObjects (interface _DrawObjects, events __DrawObjects) over a
// library DrawObjects collection.
#pragma once

#include "dataapi/DrawObjects.h"
#include "dataapi/com/ComObject.h"
#include "dataapi/com/EventForwarder.h"
#include "dataapi/com/Members.h"
#include "dataapi/com/QuarnelDataAPI3.h"

namespace quarnel::dataapi::com {

class DrawObjectsObject final : public ComObject<DrawObjectsObject, _DrawObjects, DrawObjects> {
 public:
  explicit DrawObjectsObject(Ref<DrawObjects> model)
      : ComObject(std::move(model), &DIID___DrawObjects),
        cookie_(model_->Advise(MakeRef<EventForwarder<DrawObjectsEvents>>(*events_))) {}
  ~DrawObjectsObject() override { model_->Unadvise(cookie_); }

  QUARNEL_COM_GET_AT(DrawObjects, Network, LONG)
  QUARNEL_COM_GET_AT(DrawObjects, Device, LONG)
  QUARNEL_COM_GET_AT(DrawObjects, Channel, LONG)
  QUARNEL_COM_GET_AT(DrawObjects, X1, LONG)
  QUARNEL_COM_GET_AT(DrawObjects, X2, LONG)
  QUARNEL_COM_GET_AT(DrawObjects, Y1, LONG)
  QUARNEL_COM_GET_AT(DrawObjects, Y2, LONG)
  QUARNEL_COM_GET_AT(DrawObjects, ArcStart, DOUBLE)
  QUARNEL_COM_GET_AT(DrawObjects, ArcEnd, DOUBLE)
  QUARNEL_COM_GET_AT(DrawObjects, Aspect, DOUBLE)
  QUARNEL_COM_GET_AT(DrawObjects, Radius, LONG)
  QUARNEL_COM_GET_AT(DrawObjects, Style, LONG)
  QUARNEL_COM_PUT_AT(DrawObjects, X1, LONG)
  QUARNEL_COM_PUT_AT(DrawObjects, X2, LONG)
  QUARNEL_COM_PUT_AT(DrawObjects, Y1, LONG)
  QUARNEL_COM_PUT_AT(DrawObjects, Y2, LONG)
  QUARNEL_COM_PUT_AT(DrawObjects, ArcStart, DOUBLE)
  QUARNEL_COM_PUT_AT(DrawObjects, ArcEnd, DOUBLE)
  QUARNEL_COM_PUT_AT(DrawObjects, Aspect, DOUBLE)
  QUARNEL_COM_PUT_AT(DrawObjects, Radius, LONG)
  QUARNEL_COM_PUT_AT(DrawObjects, Style, LONG)
  STDMETHODIMP Add(LONG network, LONG device, LONG channel, LONG* result) override {
    return Out("DrawObjects.Add", result, [&] { return model_->Add(network, device, channel); });
  }
  STDMETHODIMP Remove(LONG index) override {
    return Call("DrawObjects.Remove", [&] { model_->Remove(index); });
  }
  STDMETHODIMP RemoveGroup(LONG network, LONG device, LONG channel) override {
    return Call("DrawObjects.RemoveGroup", [&] { model_->RemoveGroup(network, device, channel); });
  }
  STDMETHODIMP MoveGroup(LONG src_network, LONG src_device, LONG src_channel, LONG dest_network,
                         LONG dest_device, LONG dest_channel, LONG* result) override {
    return Out("DrawObjects.MoveGroup", result, [&] {
      return model_->MoveGroup(src_network, src_device, src_channel, dest_network, dest_device,
                               dest_channel);
    });
  }
  QUARNEL_COM_FIND_NDC(DrawObjects, FindBegin)
  QUARNEL_COM_FIND_NDC(DrawObjects, FindEnd)
  QUARNEL_COM_COLLECTION_COMMON(DrawObjects, DrawObjectsObject)
  QUARNEL_COM_UNDO_DATA(DrawObjects)

 private:
  uint32_t cookie_;
};

}  // namespace quarnel::dataapi::com
