// The base of every COM class of the library: one library object (the model) behind a
// dual interface. It gives IUnknown (counted; the object deletes itself at the last
// Release, as COM objects do), IDispatch through the embedded type library,
// ISupportErrorInfo, and, for classes that raise events, IConnectionPointContainer
// with one connection point for the event interface.
//
// There is at most one COM object per library object on a thread (Wrap finds it again),
// so that asking a document twice for its Channels gives the same object.
#pragma once

#include "dataapi/com/ComSupport.h"
#include "dataapi/com/ConnectionPoint.h"
#include "dataapi/com/Module.h"
#include "platform/base/Ref.h"

#include <memory>
#include <optional>

#include <ocidl.h>
#include <olectl.h>

namespace quarnel::dataapi::com {

// The private interface through which the server knows its own objects when a client
// hands one back (a set-by-reference, Bookmark.Refresh). Never marshalled.
inline constexpr IID kIidLibraryObject = {
    0xc9075eb1, 0x34e0, 0x4a21, {0xb1, 0x74, 0x5d, 0x75, 0x55, 0xe3, 0x0b, 0x87}};
struct ILibraryObject : public IUnknown {
  virtual RefCounted* STDMETHODCALLTYPE LibraryObject() = 0;
};

template <class Derived, class Dual, class Model>
class ComObject : public Dual,
                  public ISupportErrorInfo,
                  public IConnectionPointContainer,
                  public ILibraryObject {
 public:
  using Interface = Dual;

  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  // The COM object of model (null for no object), as a new reference.
  static HRESULT Wrap(const Ref<Model>& model, Dual** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!model) return S_OK;
    if (IUnknown* found = FindComObject(model.Get())) {
      return found->QueryInterface(__uuidof(Dual), reinterpret_cast<void**>(out));
    }
    auto* object = new (std::nothrow) Derived(model);
    if (!object) return E_OUTOFMEMORY;
    object->AddRef();
    *out = object;
    return S_OK;
  }

  // The library object behind a COM object a client hands in: null for no object;
  // raises 13 for an object that is not this library's of the right class.
  static Ref<Model> Unwrap(IUnknown* object, const char* source) {
    if (!object) return nullptr;
    ComPtr<ILibraryObject> own;
    if (FAILED(object->QueryInterface(kIidLibraryObject, reinterpret_cast<void**>(own.Put())))) {
      throw Error::TypeMismatch(source);
    }
    auto* model = dynamic_cast<Model*>(own->LibraryObject());
    if (!model) throw Error::TypeMismatch(source);
    return Ref<Model>(model);
  }

  // --- IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(Dual)) {
      *out = static_cast<Dual*>(this);
    } else if (iid == IID_ISupportErrorInfo) {
      *out = static_cast<ISupportErrorInfo*>(this);
    } else if (iid == IID_IConnectionPointContainer && events_) {
      *out = static_cast<IConnectionPointContainer*>(this);
    } else if (iid == kIidLibraryObject) {
      *out = static_cast<ILibraryObject*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++count_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --count_;
    if (left == 0) delete this;
    return left;
  }

  // --- IDispatch, through the type library.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return TypeInfoOf(__uuidof(Dual), out);
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    ComPtr<ITypeInfo> info;
    HRESULT hr = TypeInfoOf(__uuidof(Dual), info.Put());
    if (FAILED(hr)) return hr;
    return info->GetIDsOfNames(names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* arg_error) override {
    if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    ComPtr<ITypeInfo> info;
    HRESULT hr = TypeInfoOf(__uuidof(Dual), info.Put());
    if (FAILED(hr)) return hr;
    ComPtr<Derived> keep(static_cast<Derived*>(this));
    hr = info->Invoke(static_cast<Dual*>(this), id, flags, params, result, exception, arg_error);
    if (hr == DISP_E_EXCEPTION && exception && !exception->bstrDescription) {
      FillException(*exception);
    }
    return hr;
  }

  // --- ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == __uuidof(Dual) ? S_OK : S_FALSE;
  }

  // --- IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override {
    if (out) *out = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!events_ || iid != events_->EventsIid()) return CONNECT_E_NOCONNECTION;
    events_->AddRef();
    *out = events_.get();
    return S_OK;
  }

  // --- ILibraryObject
  RefCounted* STDMETHODCALLTYPE LibraryObject() override { return model_.Get(); }

 protected:
  // events_iid: the event interface, or null for a class that raises none.
  ComObject(Ref<Model> model, const IID* events_iid) : model_(std::move(model)) {
    if (events_iid) {
      events_ = std::make_unique<ConnectionPoint>(*this, *events_iid);
    }
    RememberComObject(model_.Get(), static_cast<Dual*>(this));
    ObjectCreated();
  }
  virtual ~ComObject() {
    ForgetComObject(model_.Get());
    ObjectDestroyed();
  }

  template <class Body>
  HRESULT Call(const char* source, Body&& body) {
    return Guarded(__uuidof(Dual), source, std::forward<Body>(body));
  }
  // A member with a result: *result is set from what get() gives.
  template <class T, class Get>
  HRESULT Out(const char* source, T* result, Get&& get) {
    if (!result) return E_POINTER;
    return Call(source, [&] { *result = get(); });
  }
  template <class Get>
  HRESULT OutText(const char* source, BSTR* result, Get&& get) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return Call(source, [&] { *result = NewBstr(get()); });
  }

  Ref<Model> model_;
  std::unique_ptr<ConnectionPoint> events_;

 private:
  static void FillException(EXCEPINFO& exception) {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) != S_OK || !info) return;
    info->GetDescription(&exception.bstrDescription);
    info->GetSource(&exception.bstrSource);
  }

  ULONG count_ = 0;
};

}  // namespace quarnel::dataapi::com
