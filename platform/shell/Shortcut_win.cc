#include "platform/base/ComForThisThread_win.h"
#include "platform/base/PathText.h"
#include "platform/base/WideText_win.h"
#include "platform/fs/NameBeside.h"
#include "platform/shell/Shortcut.h"

// clang-format off
#include <windows.h>  // before the shell's headers
#include <objbase.h>
#include <shlobj.h>
// clang-format on

namespace quarnel::platform {
namespace {

namespace fs = std::filesystem;

template <typename Interface>
struct Released {
  Interface* p = nullptr;
  ~Released() {
    if (p != nullptr) p->Release();
  }
};

std::string Failed(const char* what, HRESULT result) {
  return std::string(what) + " failed: " + SystemErrorText(static_cast<unsigned long>(result));
}

}  // namespace

std::string ShortcutExtension() { return ".lnk"; }

std::optional<std::string> MakeShortcut(const fs::path& file, const ShortcutTarget& target) {
  ComForThisThread com;
  Released<IShellLinkW> link;
  HRESULT r = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                               reinterpret_cast<void**>(&link.p));
  if (FAILED(r)) return Failed("making a shell link", r);
  const std::wstring program = target.program.wstring();
  // The program, its first icon, and its own folder to start in.
  if (FAILED(r = link.p->SetPath(program.c_str()))) return Failed("setting the target", r);
  if (FAILED(r = link.p->SetIconLocation(program.c_str(), 0))) return Failed("setting the icon", r);
  link.p->SetWorkingDirectory(target.program.parent_path().wstring().c_str());
  Released<IPersistFile> persist;
  r = link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist.p));
  if (FAILED(r)) return Failed("saving the shell link", r);
  // Written beside its place and moved into it: it appears whole or not at all.
  fs::path beside = NameBeside(file);
  beside += ".lnk";
  if (FAILED(r = persist.p->Save(beside.c_str(), TRUE))) {
    DeleteFileW(beside.c_str());
    return Failed(("writing " + Utf8FromPath(file)).c_str(), r);
  }
  if (!MoveFileExW(beside.c_str(), file.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    DeleteFileW(beside.c_str());
    return Utf8FromPath(file) + ": " + SystemErrorText(error);
  }
  return std::nullopt;
}

}  // namespace quarnel::platform
