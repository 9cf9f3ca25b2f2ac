// The component's error model. Members throw ComponentError (or let a
// failing call's HRESULT travel as one); the COM boundary turns it into a
// failing HRESULT plus IErrorInfo on the calling thread.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "com_ptr.h"

namespace orvi {

// The component's title, its library name (the source of errors raised in
// shared module code) and the ProgID prefix of every class.
inline constexpr wchar_t kTitle[] = L"Orvilib10";
inline constexpr wchar_t kLibraryName[] = L"Orvilib10";

enum ErrorNumber : long {
    errInvalidCall = 5,
    errOverflow = 6,
    errOutOfMemory = 7,
    errSubscript = 9,
    errArrayLocked = 10,
    errDivisionByZero = 11,
    errTypeMismatch = 13,
    errFileNotFound = 53,
    errPermissionDenied = 70,
    errPathFileAccess = 75,
    errPathNotFound = 76,
    errObjectNotSet = 91,
    errInvalidNull = 94,
    errResourceNotFound = 326,
    errCannotCreateObject = 429,
    errMemberNotSupported = 438,
    errFunctionNotFound = 453,
    errNotSupported = 29001,
};

// 0x800A0000 + N: severity error, facility 10 (control).
constexpr HRESULT ErrorHResult(long number) {
    return static_cast<HRESULT>(0x800A0000u + (static_cast<std::uint32_t>(number) & 0xFFFFu));
}
// The error number an HRESULT of the control facility carries, else 0.
constexpr long ErrorNumberOf(HRESULT hr) {
    return (static_cast<std::uint32_t>(hr) & 0xFFFF0000u) == 0x800A0000u ? static_cast<long>(hr & 0xFFFF) : 0;
}

std::wstring StandardDescription(long number);

class ComponentError {
public:
    // An error of our own: empty source means "the class the member belongs
    // to", empty description means the number's standard text.
    explicit ComponentError(long number, std::wstring source = {}, std::wstring description = {});
    // A failure passed on from another object: keeps its HRESULT and takes
    // over the error information it left on the thread.
    static ComponentError PassedOn(HRESULT hr);

    HRESULT Result() const { return hr; }
    long Number() const { return number; }
    const std::wstring& Source() const { return source; }
    const std::wstring& Description() const { return description; }
    // Puts the error on the thread and returns its HRESULT.
    HRESULT Report(std::wstring_view defaultSource) const;

private:
    ComponentError() = default;
    HRESULT hr = S_OK;
    long number = 0;
    std::wstring source, description;
    ComPtr<IErrorInfo> foreign;
};

[[noreturn]] void Raise(long number, std::wstring source = {}, std::wstring description = {});
// The not-supported error: 29001, title + ".System Metrics Class".
[[noreturn]] void RaiseNotSupported();
// Throws for a failing HRESULT from another object, passing it on unchanged.
void Check(HRESULT hr);

// Sets error information directly (number, source, description).
void SetThreadErrorInfo(std::wstring_view source, std::wstring_view description, const GUID& iid = GUID{});

// The error handling of Guarded and Attempt, once for all bodies: each
// member then holds only its own code, not a copy of the handlers.
HRESULT RunGuarded(std::wstring_view defaultSource, void (*run)(void*), void* body) noexcept;
bool RunAttempt(void (*run)(void*), void* body) noexcept;

template <class Body>
void RunBody(void* body) {
    (*static_cast<std::remove_reference_t<Body>*>(body))();
}
template <class Body>
void* BodyAddress(Body& body) {
    return const_cast<void*>(static_cast<const void*>(&body));
}

// Runs a member body; any failure inside becomes a failing HRESULT with
// IErrorInfo whose default source is `defaultSource`.
template <class Body>
HRESULT Guarded(std::wstring_view defaultSource, Body&& body) noexcept {
    return RunGuarded(defaultSource, &RunBody<Body>, BodyAddress(body));
}

// Runs a step whose failure is to be ignored: reports whether it succeeded
// and leaves no error information behind.
template <class Body>
bool Attempt(Body&& body) noexcept {
    return RunAttempt(&RunBody<Body>, BodyAddress(body));
}

}  // namespace orvi
