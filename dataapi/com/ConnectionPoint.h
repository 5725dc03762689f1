// The connection point of one event interface of one object, and the raising of events
// through it. Sinks are called synchronously through IDispatch::Invoke, in the order
// they connected, each before the next; a sink that disconnects during a raise is
// called no more, one that connects during a raise is first called by the next one.
// Arguments go by reference, and what a sink writes into them comes back to the caller.
#pragma once

#include "dataapi/com/ComSupport.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <ocidl.h>

namespace quarnel::dataapi::com {

class ConnectionPoint final : public IConnectionPoint {
 public:
  // Lives inside its container and counts on it.
  ConnectionPoint(IConnectionPointContainer& owner, const IID& events_iid);
  ConnectionPoint(const ConnectionPoint&) = delete;
  ConnectionPoint& operator=(const ConnectionPoint&) = delete;

  const IID& EventsIid() const { return events_iid_; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return owner_.AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return owner_.Release(); }
  STDMETHODIMP GetConnectionInterface(IID* iid) override;
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
  STDMETHODIMP Unadvise(DWORD cookie) override;
  STDMETHODIMP EnumConnections(IEnumConnections** out) override;

  // Raising; `args` in the order of the event's arguments.
  void Raise(DISPID id, std::span<VARIANTARG> args = {});
  void RaiseText(DISPID id, std::u16string& text);
  void RaiseDouble(DISPID id, double& value);
  void RaiseTool(DISPID id, int32_t& tool_id, int32_t& start_intensity, int32_t& end_intensity,
                 std::vector<int32_t>& parameters);

 private:
  struct Entry {
    DWORD cookie;
    ComPtr<IDispatch> sink;
  };
  bool Connected(DWORD cookie) const;

  IConnectionPointContainer& owner_;
  IID events_iid_;
  std::vector<Entry> entries_;
  DWORD next_cookie_ = 1;
};

}  // namespace quarnel::dataapi::com
