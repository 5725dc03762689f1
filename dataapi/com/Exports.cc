// The registration entry points of QuarnelDataAPI3.dll (exported as DllRegisterServer
// and DllUnregisterServer through QuarnelDataAPI3.def): the workspace is made ready as
// on every system, then the classes are written to the class registry.
#include "dataapi/com/Registry.h"
#include "dataapi/document/Workspace.h"

extern "C" HRESULT STDAPICALLTYPE QuarnelRegisterServer() {
  try {
    const int32_t ready = quarnel::dataapi::ReadyWorkspaceFolder();
    if (ready != 0) return static_cast<HRESULT>(ready);
  } catch (...) {
    return E_UNEXPECTED;
  }
  return quarnel::dataapi::com::RegisterClasses();
}

extern "C" HRESULT STDAPICALLTYPE QuarnelUnregisterServer() {
  return quarnel::dataapi::com::UnregisterClasses();
}
