// What the statically linked C++ runtime would otherwise take from places
// that not every release the component loads on has.
#include <windows.h>

#include <cstdlib>
#include <new>

#include "errors.h"

namespace {

// Two wide-text functions the runtime imports are answered here by their
// ANSI twins, which every release has.
//
// The runtime makes its lock semaphores with CreateSemaphoreW, which Windows
// 95, 98 and ME export only as a stub that fails. Its import is answered
// here by the ANSI function, which every release has; the runtime's
// semaphores carry no name, so nothing else differs.
HANDLE WINAPI CreateUnnamedSemaphore(SECURITY_ATTRIBUTES* attributes, LONG initial, LONG maximum, const wchar_t* name) {
    if (name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateSemaphoreA(attributes, initial, maximum, nullptr);
}

// The runtime's code-page lookup asks for the C runtime's module by its wide
// name, another function that is only a failing stub on 95, 98 and ME.
HMODULE WINAPI ModuleHandleThroughAnsi(const wchar_t* name) {
    if (!name) return GetModuleHandleA(nullptr);
    char ansi[MAX_PATH];
    if (!WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof ansi, nullptr, nullptr)) return nullptr;
    return GetModuleHandleA(ansi);
}

}  // namespace

#ifdef _WIN64
#define ORVI_IMPORT_SLOT(function, argumentBytes) "__imp_" #function
#else
#define ORVI_IMPORT_SLOT(function, argumentBytes) "__imp__" #function "@" #argumentBytes
#endif

extern "C" {
extern decltype(&CreateSemaphoreW) const createSemaphoreImport asm(ORVI_IMPORT_SLOT(CreateSemaphoreW, 16));
decltype(&CreateSemaphoreW) const createSemaphoreImport = CreateUnnamedSemaphore;
extern decltype(&GetModuleHandleW) const moduleHandleImport asm(ORVI_IMPORT_SLOT(GetModuleHandleW, 4));
decltype(&GetModuleHandleW) const moduleHandleImport = ModuleHandleThroughAnsi;
}

// An exception that escapes where none may (the component lets none cross
// its interface) ends the process, as the default handler would, without
// the default handler's demangler and console report: a host process has
// no console to read it on.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

// The standard containers report a request they cannot meet through these.
// The runtime's own versions build their exceptions from its full string
// and locale machinery, which would be most of the DLL's runtime code. An
// impossible size or index is the component's invalid-call error, as any
// other unexpected exception inside a member is.
namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char*) { orvi::Raise(orvi::errInvalidCall); }
void __throw_logic_error(const char*) { orvi::Raise(orvi::errInvalidCall); }
void __throw_out_of_range_fmt(const char*, ...) { orvi::Raise(orvi::errInvalidCall); }
}  // namespace std
