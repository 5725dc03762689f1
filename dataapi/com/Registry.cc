#include "dataapi/com/Registry.h"

#include "dataapi/com/Classes.h"
#include "dataapi/com/ComSupport.h"
#include "dataapi/com/Module.h"
#include "dataapi/com/QuarnelDataAPI3.h"

#include <string>

#include <objbase.h>
#include <oleauto.h>

// Declared by the system's headers of later versions only.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* help);
extern "C" HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor, LCID lcid,
                                                   SYSKIND kind);

namespace quarnel::dataapi::com {
namespace {

constexpr wchar_t kClassesKey[] = L"Software\\Classes";
constexpr wchar_t kProgIdPrefix[] = L"QuarnelDataAPI3.";

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

// An open registry key, closed at the end of its scope.
class Key {
 public:
  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  HKEY* Put() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

LONG SetText(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  Key key;
  LONG rc =
      RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.Put(), nullptr);
  if (rc != ERROR_SUCCESS) return rc;
  return RegSetValueExW(key.Get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

LONG WriteClasses(HKEY root, const std::wstring& dll) {
  const std::wstring libid = GuidText(LIBID_QuarnelDataAPI3);
  for (const ComClass& c : Classes()) {
    const std::wstring clsid = GuidText(*c.clsid);
    const std::wstring key = L"CLSID\\" + clsid;
    const std::wstring prog_id = kProgIdPrefix + std::wstring(c.name);
    for (LONG rc : {SetText(root, key, nullptr, c.name),
                    SetText(root, key + L"\\InprocServer32", nullptr, dll),
                    SetText(root, key + L"\\InprocServer32", L"ThreadingModel", L"Apartment"),
                    SetText(root, key + L"\\ProgID", nullptr, prog_id),
                    SetText(root, key + L"\\TypeLib", nullptr, libid),
                    SetText(root, key + L"\\VERSION", nullptr, L"1.0"),
                    SetText(root, prog_id, nullptr, c.name),
                    SetText(root, prog_id + L"\\CLSID", nullptr, clsid)}) {
      if (rc != ERROR_SUCCESS) return rc;
    }
  }
  return ERROR_SUCCESS;
}

// Removes the class keys under root; ERROR_SUCCESS when none stays.
LONG RemoveClasses(HKEY root) {
  LONG result = ERROR_SUCCESS;
  for (const ComClass& c : Classes()) {
    for (const std::wstring& key :
         {L"CLSID\\" + GuidText(*c.clsid), kProgIdPrefix + std::wstring(c.name)}) {
      LONG rc = RegDeleteTreeW(root, key.c_str());
      if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) result = rc;
    }
  }
  return result;
}

// Where the classes of every user (machine) or of this user are kept, opened for change.
LONG OpenClasses(HKEY hive, Key& key) {
  return RegOpenKeyExW(hive, kClassesKey, 0, KEY_READ | KEY_WRITE, key.Put());
}

HRESULT RegisterTypeLibrary(bool for_user, const std::wstring& dll) {
  ComPtr<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(dll.c_str(), REGKIND_NONE, library.Put());
  if (FAILED(hr)) return hr;
  auto* path = const_cast<wchar_t*>(dll.c_str());
  return for_user ? RegisterTypeLibForUser(library.Get(), path, nullptr)
                  : RegisterTypeLib(library.Get(), path, nullptr);
}

void UnregisterTypeLibraries() {
  UnRegisterTypeLib(LIBID_QuarnelDataAPI3, 1, 0, LANG_NEUTRAL, SYS_WIN32);
  UnRegisterTypeLibForUser(LIBID_QuarnelDataAPI3, 1, 0, LANG_NEUTRAL, SYS_WIN32);
}

}  // namespace

HRESULT RegisterClasses() {
  const std::wstring dll = ModulePath();
  if (dll.empty()) return HRESULT_FROM_WIN32(GetLastError());
  bool for_user = false;
  Key classes;
  LONG rc = OpenClasses(HKEY_LOCAL_MACHINE, classes);
  if (rc == ERROR_SUCCESS) rc = WriteClasses(classes.Get(), dll);
  if (rc == ERROR_ACCESS_DENIED) {
    if (classes.Get()) RemoveClasses(classes.Get());
    for_user = true;
    Key user_classes;
    rc = OpenClasses(HKEY_CURRENT_USER, user_classes);
    if (rc == ERROR_SUCCESS) rc = WriteClasses(user_classes.Get(), dll);
    if (rc != ERROR_SUCCESS && user_classes.Get()) RemoveClasses(user_classes.Get());
  } else if (rc != ERROR_SUCCESS && classes.Get()) {
    RemoveClasses(classes.Get());
  }
  if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
  HRESULT hr = RegisterTypeLibrary(for_user, dll);
  if (FAILED(hr)) {
    UnregisterClasses();
    return hr;
  }
  return for_user ? kRegisteredForCurrentUser : S_OK;
}

HRESULT UnregisterClasses() {
  UnregisterTypeLibraries();
  LONG result = ERROR_SUCCESS;
  for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    Key classes;
    LONG rc = OpenClasses(hive, classes);
    if (rc == ERROR_SUCCESS) rc = RemoveClasses(classes.Get());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND && hive == HKEY_LOCAL_MACHINE &&
        rc != ERROR_ACCESS_DENIED) {
      result = rc;
    }
  }
  return HRESULT_FROM_WIN32(result);
}

}  // namespace quarnel::dataapi::com
