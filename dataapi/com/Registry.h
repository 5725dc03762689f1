// Registration of the library's classes in the system's class registry, for every user
// of the machine when that part of the registry may be written, else for the current
// user only: each class under CLSID (InprocServer32 with this DLL's path and the
// Apartment threading model, its ProgID "QuarnelDataAPI3.<class>", the type library),
// each ProgID with its CLSID, and the embedded type library with its interfaces.
#pragma once

#include <windows.h>

namespace quarnel::dataapi::com {

// The success code of a registration that went to the current user's classes because
// the machine's could not be written.
inline constexpr HRESULT kRegisteredForCurrentUser = S_FALSE;

// S_OK (for every user), kRegisteredForCurrentUser, or the failure; on failure nothing
// stays written.
HRESULT RegisterClasses();
// Removes every key RegisterClasses writes, from both places. S_OK when nothing of the
// library stays registered.
HRESULT UnregisterClasses();

}  // namespace quarnel::dataapi::com
