// The entry points of the in-process server: DllGetClassObject gives a class factory for
// each creatable class, DllCanUnloadNow says whether objects or locks remain.
#include "dataapi/com/Classes.h"
#include "dataapi/com/ComSupport.h"
#include "dataapi/com/Module.h"

#include <objbase.h>

namespace quarnel::dataapi::com {
namespace {

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(const ComClass& com_class) : class_(com_class) { ObjectCreated(); }
  ~ClassFactory() { ObjectDestroyed(); }
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++count_; }
  STDMETHODIMP_(ULONG) Release() override {
    ULONG left = --count_;
    if (left == 0) delete this;  // COM objects end themselves at the last Release
    return left;
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return class_.create(iid, out);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    com::LockServer(lock != FALSE);
    return S_OK;
  }

 private:
  const ComClass& class_;
  ULONG count_ = 0;
};

}  // namespace
}  // namespace quarnel::dataapi::com

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  using namespace quarnel::dataapi::com;
  if (!out) return E_POINTER;
  *out = nullptr;
  for (const ComClass& c : Classes()) {
    if (*c.clsid != clsid) continue;
    auto* factory = new (std::nothrow) ClassFactory(c);
    if (!factory) return E_OUTOFMEMORY;
    factory->AddRef();
    HRESULT hr = factory->QueryInterface(iid, out);
    factory->Release();
    return hr;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return quarnel::dataapi::com::CanUnload() ? S_OK : S_FALSE;
}
