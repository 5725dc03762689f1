// The library's creatable classes: class identity, name (the ProgID is
// "QuarnelDataAPI3." followed by it) and how a new object of it is made.
#pragma once

#include <span>

#include <windows.h>

namespace quarnel::dataapi::com {

struct ComClass {
  const CLSID* clsid;
  const wchar_t* name;
  // A new object of the class, asked for by interface.
  HRESULT (*create)(REFIID iid, void** out);
};

std::span<const ComClass> Classes();

}  // namespace quarnel::dataapi::com
