#include "platform/tests/ShellLinks_win.h"

#include "platform/base/ComForThisThread_win.h"

// clang-format off
#include <windows.h>  // before the shell's headers
#include <objbase.h>
#include <shlobj.h>
// clang-format on

namespace quarnel::platform::testing {

LinkRead ReadLink(const std::filesystem::path& file) {
  LinkRead read;
  ComForThisThread com;
  IShellLinkW* link = nullptr;
  IPersistFile* persist = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
      SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
    wchar_t text[MAX_PATH] = {};
    if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) read.path = text;
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &read.icon_index))) read.icon = text;
    if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) read.folder = text;
  }
  if (persist != nullptr) persist->Release();
  if (link != nullptr) link->Release();
  return read;
}

}  // namespace quarnel::platform::testing
