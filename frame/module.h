// What the DLL knows about itself: its file, its live objects and factory
// locks, and its type library.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <string>

namespace orvi::module {

HMODULE Handle();
std::wstring FilePath();

void ObjectCreated();
void ObjectDestroyed();
void Lock();
void Unlock();
bool CanUnload();

// Raises a clear error, at once, when a resource the component hands to the
// system (its type library, its registration script) is not byte for byte
// what the build made: the system's readers hang or corrupt the heap on a
// damaged type library. The verdict is reached once per process.
void CheckResources();

// The component's type library, checked first; raises on failure. It and
// the internal library are loaded once each and released when the
// component is unloadable.
ITypeLib* TypeLibrary();
// The type information of one interface or class: of the public library,
// else of the internal one, which describes the internal objects' interfaces.
ITypeInfo* TypeInfoOf(const GUID& iid);
void ReleaseTypeLibrary();

}  // namespace orvi::module
