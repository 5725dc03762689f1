// The COM object of a collection that raises events: it listens to its library
// collection for its whole life and passes every event on to the sinks connected to its
// connection point (dispatch ids: StatusChange 1, Refresh 2, Progress 3), arguments by
// reference.
#pragma once

#include "dataapi/com/ComObject.h"
#include "dataapi/com/ConnectionPoint.h"

#include <string>

namespace quarnel::dataapi::com {

template <class Interface>
class EventForwarder final : public Interface {
 public:
  explicit EventForwarder(ConnectionPoint& point) : point_(point) {}
  void StatusChange(std::u16string& status_text) override { point_.RaiseText(1, status_text); }
  void Refresh() override { point_.Raise(2); }
  void Progress(double& percent) override { point_.RaiseDouble(3, percent); }

 private:
  ConnectionPoint& point_;
};

template <class Derived, class Dual, class Model, class Sink>
class CollectionObject : public ComObject<Derived, Dual, Model> {
 protected:
  CollectionObject(Ref<Model> model, const IID& events_iid)
      : ComObject<Derived, Dual, Model>(std::move(model), &events_iid),
        cookie_(this->model_->Advise(MakeRef<EventForwarder<Sink>>(*this->events_))) {}
  ~CollectionObject() override { this->model_->Unadvise(cookie_); }

 private:
  uint32_t cookie_;
};

}  // namespace quarnel::dataapi::com
