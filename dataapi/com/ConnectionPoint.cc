#include "dataapi/com/ConnectionPoint.h"

#include <algorithm>

#include <olectl.h>

namespace quarnel::dataapi::com {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer& owner, const IID& events_iid)
    : owner_(owner), events_iid_(events_iid) {}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = events_iid_;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
  if (!out) return E_POINTER;
  owner_.AddRef();
  *out = &owner_;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  ComPtr<IDispatch> events;
  if (FAILED(sink->QueryInterface(events_iid_, reinterpret_cast<void**>(events.Put())))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  try {
    entries_.push_back({next_cookie_, events});
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *cookie = next_cookie_++;
  if (next_cookie_ == 0) next_cookie_ = 1;
  return S_OK;
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
  auto it = std::find_if(entries_.begin(), entries_.end(),
                         [cookie](const Entry& e) { return e.cookie == cookie; });
  if (it == entries_.end()) return CONNECT_E_NOCONNECTION;
  entries_.erase(it);
  return S_OK;
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out) {
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

bool ConnectionPoint::Connected(DWORD cookie) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [cookie](const Entry& e) { return e.cookie == cookie; });
}

void ConnectionPoint::Raise(DISPID id, std::span<VARIANTARG> args) {
  if (entries_.empty()) return;
  // The object and the sinks being called stay alive until the raise ends.
  ComPtr<IConnectionPointContainer> keep(&owner_);
  std::vector<Entry> snapshot = entries_;
  std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
  DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  for (const Entry& e : snapshot) {
    if (!Connected(e.cookie)) continue;
    // A failing sink does not keep the others from their event.
    e.sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                   nullptr);
  }
}

void ConnectionPoint::RaiseText(DISPID id, std::u16string& text) {
  if (entries_.empty()) return;
  BSTR value = NewBstr(text);
  VARIANTARG arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_BYREF | VT_BSTR;
  V_BSTRREF(&arg) = &value;
  Raise(id, {&arg, 1});
  text.assign(TextOf(value));
  SysFreeString(value);
}

void ConnectionPoint::RaiseDouble(DISPID id, double& value) {
  if (entries_.empty()) return;
  VARIANTARG arg;
  VariantInit(&arg);
  V_VT(&arg) = VT_BYREF | VT_R8;
  V_R8REF(&arg) = &value;
  Raise(id, {&arg, 1});
}

void ConnectionPoint::RaiseTool(DISPID id, int32_t& tool_id, int32_t& start_intensity,
                                int32_t& end_intensity, std::vector<int32_t>& parameters) {
  if (entries_.empty()) return;
  LONG numbers[3] = {tool_id, start_intensity, end_intensity};
  SAFEARRAY* array = NewLongArray(parameters);
  VARIANTARG args[4];
  for (int i = 0; i < 3; ++i) {
    VariantInit(&args[i]);
    V_VT(&args[i]) = VT_BYREF | VT_I4;
    V_I4REF(&args[i]) = &numbers[i];
  }
  VariantInit(&args[3]);
  V_VT(&args[3]) = VT_BYREF | VT_ARRAY | VT_I4;
  V_ARRAYREF(&args[3]) = &array;
  Raise(id, args);
  tool_id = numbers[0];
  start_intensity = numbers[1];
  end_intensity = numbers[2];
  try {
    parameters = LongsOf(array);
  } catch (const Error&) {
    // A sink that put another kind of array there leaves the parameters as they were.
  }
  SafeArrayDestroy(array);
}

}  // namespace quarnel::dataapi::com
