// The COM class Timeline (interface _Timeline, events __Timeline) over a library
// Timeline.
#pragma once

#include "dataapi/Timeline.h"
#include "dataapi/com/EventForwarder.h"
#include "dataapi/com/Members.h"
#include "dataapi/com/QuarnelDataAPI3.h"

namespace quarnel::dataapi::com {

class TimelineObject final
    : public CollectionObject<TimelineObject, _Timeline, Timeline, TimelineEvents> {
 public:
  explicit TimelineObject(Ref<Timeline> model)
      : CollectionObject(std::move(model), DIID___Timeline) {}

  QUARNEL_COM_GET_AT(Timeline, SampleNumber, LONG)
  QUARNEL_COM_PUT_AT(Timeline, SampleNumber, LONG)
  STDMETHODIMP Add(LONG sample_number, LONG* result) override {
    return Out("Timeline.Add", result, [&] { return model_->Add(sample_number); });
  }
  STDMETHODIMP Remove(LONG index) override {
    return Call("Timeline.Remove", [&] { model_->Remove(index); });
  }
  STDMETHODIMP FindLeft(LONG sample_number, LONG* result) override {
    return Out("Timeline.FindLeft", result, [&] { return model_->FindLeft(sample_number); });
  }
  STDMETHODIMP FindRight(LONG sample_number, LONG* result) override {
    return Out("Timeline.FindRight", result, [&] { return model_->FindRight(sample_number); });
  }
  QUARNEL_COM_COLLECTION_COMMON(Timeline, TimelineObject)
  QUARNEL_COM_UNDO_DATA(Timeline)
};

}  // namespace quarnel::dataapi::com
