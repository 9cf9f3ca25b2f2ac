#include "errors.h"

#include <oleauto.h>

namespace orvi {

std::wstring StandardDescription(long number) {
    switch (number) {
    case errInvalidCall: return L"Invalid procedure call or argument";
    case errOverflow: return L"Overflow";
    case errOutOfMemory: return L"Out of memory";
    case errSubscript: return L"Subscript out of range";
    case errArrayLocked: return L"This array is fixed or temporarily locked";
    case errDivisionByZero: return L"Division by zero";
    case errTypeMismatch: return L"Type mismatch";
    case errFileNotFound: return L"File not found";
    // Further file-system numbers the file system object passes on.
    case 58: return L"File already exists";
    case 61: return L"Disk full";
    case errPermissionDenied: return L"Permission denied";
    case 71: return L"Disk not ready";
    case errPathFileAccess: return L"Path/file access error";
    case errPathNotFound: return L"Path not found";
    case errObjectNotSet: return L"Object variable or With block variable not set";
    case errInvalidNull: return L"Invalid use of Null";
    case errResourceNotFound: return L"Resource with identifier not found";
    case errCannotCreateObject: return L"ActiveX component can't create object";
    case errMemberNotSupported: return L"Object doesn't support this property or method";
    case errFunctionNotFound: return L"Specified DLL function not found";
    case errNotSupported: return L"This functionality is not supported by the Operating System.";
    default: return L"Application-defined or object-defined error";
    }
}

ComponentError::ComponentError(long number, std::wstring source, std::wstring description)
    : hr(ErrorHResult(number)), number(number), source(std::move(source)),
      description(description.empty() ? StandardDescription(number) : std::move(description)) {}

ComponentError ComponentError::PassedOn(HRESULT hr) {
    ComponentError error;
    error.hr = hr;
    error.number = ErrorNumberOf(hr);
    GetErrorInfo(0, error.foreign.Put());
    if (!error.foreign && error.number != 0) error.description = StandardDescription(error.number);
    return error;
}

HRESULT ComponentError::Report(std::wstring_view defaultSource) const {
    if (number == 0 || foreign) {
        // Someone else's failure: its own error information, or none.
        SetErrorInfo(0, foreign.Get());
        return hr;
    }
    SetThreadErrorInfo(source.empty() ? defaultSource : std::wstring_view(source), description);
    return hr;
}

void SetThreadErrorInfo(std::wstring_view source, std::wstring_view description, const GUID& iid) {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.Put()))) return;
    const std::wstring sourceText(source), descriptionText(description);
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(sourceText.c_str()));
    create->SetDescription(const_cast<LPOLESTR>(descriptionText.c_str()));
    create->SetHelpFile(nullptr);
    create->SetHelpContext(0);
    SetErrorInfo(0, create.As<IErrorInfo>().Get());
}

void Raise(long number, std::wstring source, std::wstring description) {
    throw ComponentError(number, std::move(source), std::move(description));
}

void RaiseNotSupported() {
    Raise(errNotSupported, std::wstring(kTitle) + L".System Metrics Class",
          L"This functionality is not supported by the Operating System.");
}

void Check(HRESULT hr) {
    if (FAILED(hr)) throw ComponentError::PassedOn(hr);
}

HRESULT RunGuarded(std::wstring_view defaultSource, void (*run)(void*), void* body) noexcept {
    try {
        run(body);
        return S_OK;
    } catch (const ComponentError& error) {
        return error.Report(defaultSource);
    } catch (const std::bad_alloc&) {
        return ComponentError(errOutOfMemory).Report(defaultSource);
    } catch (...) {
        return ComponentError(errInvalidCall).Report(defaultSource);
    }
}

bool RunAttempt(void (*run)(void*), void* body) noexcept {
    try {
        run(body);
        return true;
    } catch (...) {
        SetErrorInfo(0, nullptr);
        return false;
    }
}

}  // namespace orvi
