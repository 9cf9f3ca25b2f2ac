// Operating-system functions are bound by library and name at their first
// call, so a system that lacks one fails only the member that needs it
// (error 53 for a missing library, 453 for a missing function). The last
// error is captured right after every call.
#pragma once
#include <windows.h>
#include <atomic>
#include <type_traits>
#include <utility>

namespace orvi {

// The calling thread's last-error value as captured after the latest system call.
DWORD LastSystemError();
void CaptureLastSystemError();

// Resolves a function; raises 53 or 453 when it cannot be had.
void* BindSystemFunction(const char* library, const char* name);
// Bumped whenever a substitute changes, so bound functions rebind.
extern std::atomic<unsigned> systemBindingGeneration;

template <class FunctionPointer>
class SystemFunction {
    static_assert(std::is_pointer_v<FunctionPointer>);

public:
    constexpr SystemFunction(const char* library, const char* name) : library(library), name(name) {}

    template <class... Args>
    auto operator()(Args&&... args) const {
        FunctionPointer function = Resolve();
        if constexpr (std::is_void_v<decltype(function(std::forward<Args>(args)...))>) {
            function(std::forward<Args>(args)...);
            CaptureLastSystemError();
        } else {
            auto result = function(std::forward<Args>(args)...);
            CaptureLastSystemError();
            return result;
        }
    }

private:
    FunctionPointer Resolve() const {
        const unsigned generation = systemBindingGeneration.load(std::memory_order_acquire);
        void* function = bound.load(std::memory_order_acquire);
        if (!function || boundGeneration.load(std::memory_order_relaxed) != generation) {
            function = BindSystemFunction(library, name);
            boundGeneration.store(generation, std::memory_order_relaxed);
            bound.store(function, std::memory_order_release);
        }
        return reinterpret_cast<FunctionPointer>(function);
    }

    const char* library;
    const char* name;
    mutable std::atomic<void*> bound{nullptr};
    mutable std::atomic<unsigned> boundGeneration{0};
};

// Test seam: replaces what a library and function name bind to. The
// substitute has exactly the type of the function it stands in for, named as
// the template argument (decltype(&::HeapAlloc)), calling convention
// included: a cdecl function cannot take a stdcall function's place. Only
// tests call these.
namespace seams {
namespace detail {
void SubstituteAddress(const char* library, const char* name, void* function);
}
template <class FunctionPointer>
void Substitute(const char* library, const char* name, std::type_identity_t<FunctionPointer> function) {
    static_assert(std::is_pointer_v<FunctionPointer> && std::is_function_v<std::remove_pointer_t<FunctionPointer>>);
    detail::SubstituteAddress(library, name, reinterpret_cast<void*>(function));
}
// Makes the function missing (error 453).
void Remove(const char* library, const char* name);
// Makes the whole library missing (error 53).
void RemoveLibrary(const char* library);
void ClearSubstitutes();
}  // namespace seams

}  // namespace orvi
