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

// The type information of one interface of the component's type library.
// Raises on failure. The library is loaded once and released when the
// component is unloadable.
ITypeInfo* TypeInfoOf(const GUID& iid);
void ReleaseTypeLibrary();

}  // namespace orvi::module
