// The COM class DrawObjects (interface _DrawObjects, events __DrawObjects) over a
// library DrawObjects collection.
#pragma once

#include "dataapi/DrawObjects.h"
#include "dataapi/com/EventForwarder.h"
#include "dataapi/com/Members.h"
#include "dataapi/com/QuarnelDataAPI3.h"

namespace quarnel::dataapi::com {

class DrawObjectsObject final
    : public CollectionObject<DrawObjectsObject, _DrawObjects, DrawObjects, DrawObjectsEvents> {
 public:
  explicit DrawObjectsObject(Ref<DrawObjects> model)
      : CollectionObject(std::move(model), DIID___DrawObjects) {}

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
  QUARNEL_COM_GROUP_EDITS(DrawObjects)
  QUARNEL_COM_FIND_NDC(DrawObjects, FindBegin)
  QUARNEL_COM_FIND_NDC(DrawObjects, FindEnd)
  QUARNEL_COM_COLLECTION_COMMON(DrawObjects, DrawObjectsObject)
  QUARNEL_COM_UNDO_DATA(DrawObjects)
};

}  // namespace quarnel::dataapi::com
