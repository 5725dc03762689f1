// Passes the events a library collection raises on to the sinks connected to its COM
// object (dispatch ids: StatusChange 1, Refresh 2, Progress 3), arguments by reference.
#pragma once

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

}  // namespace quarnel::dataapi::com
