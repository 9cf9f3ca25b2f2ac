// Shared helpers of the unit tests: error information, late-bound calls,
// substitutes for system functions.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "com_ptr.h"
#include "display_context.h"
#include "system_function.h"

namespace orvi::test {

struct ErrorReport {
    std::wstring source, description;
    bool present = false;
    // The error number, when the error object also answers to Number.
    std::optional<long> number;
};
// Takes the error information the last failing call left on the thread.
ErrorReport TakeErrorInfo();

// Removes every substitute when the test ends.
class SubstituteScope {
public:
    ~SubstituteScope() { seams::ClearSubstitutes(); }
    // The type of the function replaced, named as in decltype(&::HeapAlloc).
    template <class FunctionPointer>
    void Replace(const char* library, const char* name, std::type_identity_t<FunctionPointer> function) {
        seams::Substitute<FunctionPointer>(library, name, function);
    }
    void Remove(const char* library, const char* name) { seams::Remove(library, name); }
    void RemoveLibrary(const char* library) { seams::RemoveLibrary(library); }
};

// Late-bound calls through IDispatch, arguments given in reading order.
struct LateCall {
    HRESULT hr = S_OK;
    Variant result;
    EXCEPINFO exception{};
    ~LateCall();
    std::wstring Description() const { return exception.bstrDescription ? exception.bstrDescription : L""; }
    std::wstring Source() const { return exception.bstrSource ? exception.bstrSource : L""; }
};
DISPID DispatchIdOf(IDispatch* object, const wchar_t* name);
LateCall Invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Variant> arguments = {});
LateCall GetProperty(IDispatch* object, const wchar_t* name, std::vector<Variant> arguments = {});
LateCall PutProperty(IDispatch* object, const wchar_t* name, Variant value);
LateCall CallMethod(IDispatch* object, const wchar_t* name, std::vector<Variant> arguments = {});

Variant LongValue(long value);
Variant TextValue(const wchar_t* text);
Variant ObjectValue(IDispatch* object);
std::wstring TextOf(const Variant& value);
// The texts of a one-dimensional String array whose lower bound is 0.
std::vector<std::wstring> TextsOf(SAFEARRAY* array);
long LongOf(const Variant& value);

// A window-like object whose "HDC" property yields a set value or fails.
class FakeForm final : public IDispatch {
public:
    explicit FakeForm(Variant hdc, HRESULT failure = S_OK) : hdc(std::move(hdc)), failure(failure) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IDispatch) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }  // lives on the test's stack
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { *count = 0; return S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT, LCID, DISPID* ids) override {
        if (_wcsicmp(names[0], L"HDC") != 0) return DISP_E_UNKNOWNNAME;
        ids[0] = 7;
        return S_OK;
    }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO* exception, UINT*) override {
        if (FAILED(failure)) {
            *exception = EXCEPINFO{};
            exception->scode = failure;
            exception->bstrSource = SysAllocString(L"Fake.Form");
            exception->bstrDescription = SysAllocString(L"No device context today");
            return DISP_E_EXCEPTION;
        }
        return VariantCopy(result, hdc.Get());
    }
    ULONG references = 1;

private:
    Variant hdc;
    HRESULT failure;
};

// Runs `body` on `threads` threads of its own at once and waits for them to end.
void RunOnThreads(const std::function<void()>& body, int threads);
inline void RunOnOtherThread(const std::function<void()>& body) { RunOnThreads(body, 1); }

// Skips a case this run cannot make, printing the case and the reason
// (scripts/test lists these lines).
#define SKIP_BECAUSE(reason)                                                                          \
    do {                                                                                              \
        const ::testing::TestInfo* skipped = ::testing::UnitTest::GetInstance()->current_test_info(); \
        std::printf("SKIP %s.%s: %s\n", skipped->test_suite_name(), skipped->name(), reason);         \
        GTEST_SKIP() << (reason);                                                                     \
    } while (false)

// Skips a case that needs the display's device context where this run
// has none that works.
#define SKIP_WITHOUT_DISPLAY_CONTEXT() \
    if (const char* gap = ::orvi::test::DisplayContextGap()) SKIP_BECAUSE(gap)

// Creates a class of the component through its class factory.
template <class I>
ComPtr<I> CreateThroughFactory(const CLSID& clsid) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, DllGetClassObject(clsid, IID_IClassFactory, factory.PutVoid()));
    ComPtr<I> object;
    if (factory) {
        EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, __uuidof(I), object.PutVoid()));
    }
    return object;
}

}  // namespace orvi::test
