#include "platform/base/ProgramArguments.h"
#include "platform/base/WideText_win.h"

// clang-format off
#include <windows.h>  // before the other system headers
#include <shellapi.h>
// clang-format on

namespace quarnel::platform {

ProgramArguments::ProgramArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide != nullptr) {
    for (int i = 0; i < count; ++i) text_.push_back(Utf8FromWide(wide[i]));
    LocalFree(wide);
  } else {
    text_.assign(argv, argv + argc);  // the ANSI arguments, when the wide ones cannot be had
  }
  for (const std::string& a : text_) pointers_.push_back(a.c_str());
  pointers_.push_back(nullptr);
}

}  // namespace quarnel::platform
