#include "dataapi/com/Module.h"

#include "dataapi/com/ComSupport.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace quarnel::dataapi::com {
namespace {

std::atomic<long> live_count{0};
std::mutex type_library_mutex;
ITypeLib* type_library = nullptr;  // loaded on first use, let go when the server may unload

thread_local std::unordered_map<const RefCounted*, IUnknown*> com_objects;

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

}  // namespace

void ObjectCreated() { ++live_count; }
void ObjectDestroyed() { --live_count; }
void LockServer(bool lock) { lock ? ++live_count : --live_count; }

bool CanUnload() {
  if (live_count.load() != 0) return false;
  std::lock_guard<std::mutex> guard(type_library_mutex);
  if (type_library) {
    type_library->Release();
    type_library = nullptr;
  }
  return true;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

HRESULT TypeInfoOf(REFGUID iid, ITypeInfo** out) {
  std::lock_guard<std::mutex> guard(type_library_mutex);
  if (!type_library) {
    HRESULT hr = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &type_library);
    if (FAILED(hr)) return hr;
  }
  return type_library->GetTypeInfoOfGuid(iid, out);
}

IUnknown* FindComObject(const RefCounted* model) {
  auto it = com_objects.find(model);
  return it == com_objects.end() ? nullptr : it->second;
}

void RememberComObject(const RefCounted* model, IUnknown* object) { com_objects[model] = object; }

void ForgetComObject(const RefCounted* model) { com_objects.erase(model); }

}  // namespace quarnel::dataapi::com
