// The server's module state: the count of live objects and locks that DllCanUnloadNow
// reads, the DLL's own file, its embedded type library, and the map from library
// objects to their COM objects, so that a client asking twice for the same collection
// gets the same COM object (COM identity).
#pragma once

#include "platform/base/Ref.h"

// clang-format off
#include <windows.h>  // before the other system headers
#include <oaidl.h>
// clang-format on

#include <string>

namespace quarnel::dataapi::com {

// Live COM objects of the library, and LockServer locks.
void ObjectCreated();
void ObjectDestroyed();
void LockServer(bool lock);
// True when no object lives and no lock is held; the type library is let go then.
bool CanUnload();

// The full path of the library's DLL.
std::wstring ModulePath();
// The type information of an interface of the embedded type library.
HRESULT TypeInfoOf(REFGUID iid, ITypeInfo** out);

// The COM object that stands for a library object on this thread, or null. Objects
// live on the thread that made them (apartment model), so the map is kept per thread.
IUnknown* FindComObject(const RefCounted* model);
void RememberComObject(const RefCounted* model, IUnknown* object);
void ForgetComObject(const RefCounted* model);

}  // namespace quarnel::dataapi::com
