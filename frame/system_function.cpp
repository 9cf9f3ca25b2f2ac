#include "system_function.h"

#include <array>
#include <cstring>
#include <cstdlib>
#include <string>

#include "errors.h"

namespace orvi {

std::atomic<unsigned> systemBindingGeneration{1};

namespace {

thread_local DWORD lastSystemError = 0;

struct Substitution {
    std::string library, name;  // empty name: the whole library
    void* function = nullptr;
    bool used = false;
};
std::array<Substitution, 32> substitutions;

bool SameName(const std::string& a, const char* b) { return _stricmp(a.c_str(), b) == 0; }

std::wstring Widen(const char* text) { return std::wstring(text, text + std::strlen(text)); }

}  // namespace

DWORD LastSystemError() { return lastSystemError; }
void CaptureLastSystemError() { lastSystemError = GetLastError(); }

void* BindSystemFunction(const char* library, const char* name) {
    for (const Substitution& entry : substitutions) {
        if (!entry.used || !SameName(entry.library, library)) continue;
        if (entry.name.empty())
            Raise(errFileNotFound, {}, L"File not found: " + Widen(library));
        if (SameName(entry.name, name)) {
            if (!entry.function)
                Raise(errFunctionNotFound, {}, L"Can't find DLL entry point " + Widen(name) + L" in " + Widen(library));
            return entry.function;
        }
    }
    HMODULE module = GetModuleHandleA(library);
    if (!module) module = LoadLibraryA(library);
    if (!module) Raise(errFileNotFound, {}, L"File not found: " + Widen(library));
    void* function = reinterpret_cast<void*>(GetProcAddress(module, name));
    if (!function)
        Raise(errFunctionNotFound, {}, L"Can't find DLL entry point " + Widen(name) + L" in " + Widen(library));
    return function;
}

namespace seams {
namespace detail {

void SubstituteAddress(const char* library, const char* name, void* function) {
    Substitution* slot = nullptr;
    for (Substitution& entry : substitutions) {
        if (entry.used && SameName(entry.library, library) && (name ? SameName(entry.name, name) : entry.name.empty())) {
            slot = &entry;
            break;
        }
        if (!entry.used && !slot) slot = &entry;
    }
    if (!slot) std::abort();  // more substitutes at once than any test makes
    *slot = Substitution{library, name ? name : "", function, true};
    systemBindingGeneration.fetch_add(1, std::memory_order_release);
}

}  // namespace detail

void Remove(const char* library, const char* name) { detail::SubstituteAddress(library, name, nullptr); }
void RemoveLibrary(const char* library) { detail::SubstituteAddress(library, nullptr, nullptr); }

void ClearSubstitutes() {
    substitutions.fill(Substitution{});
    systemBindingGeneration.fetch_add(1, std::memory_order_release);
}

}  // namespace seams
}  // namespace orvi
