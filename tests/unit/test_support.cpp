#include "test_support.h"

namespace orvi::test {

ErrorReport TakeErrorInfo() {
    ErrorReport report;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.Put()) != S_OK || !info) return report;
    report.present = true;
    Bstr source, description;
    info->GetSource(source.Put());
    info->GetDescription(description.Put());
    report.source = source.View();
    report.description = description.View();
    if (auto automation = info.As<IDispatch>()) {
        LateCall number = GetProperty(automation.Get(), L"Number");
        if (SUCCEEDED(number.hr)) report.number = LongOf(number.result);
    }
    return report;
}

namespace {
DWORD WINAPI RunBody(void* body) {
    (*static_cast<const std::function<void()>*>(body))();
    return 0;
}
}  // namespace

void RunOnThreads(const std::function<void()>& body, int threads) {
    std::vector<HANDLE> started;
    for (int i = 0; i < threads; ++i)
        if (HANDLE thread = CreateThread(nullptr, 0, RunBody, const_cast<std::function<void()>*>(&body), 0, nullptr))
            started.push_back(thread);
    WaitForMultipleObjects(static_cast<DWORD>(started.size()), started.data(), TRUE, INFINITE);
    for (HANDLE thread : started) CloseHandle(thread);
    EXPECT_EQ(threads, static_cast<int>(started.size()));
}

std::vector<std::wstring> TextsOf(SAFEARRAY* array) {
    std::vector<std::wstring> texts;
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    EXPECT_EQ(0, lower);
    for (LONG index = lower; index <= upper; ++index) {
        BSTR text = nullptr;
        SafeArrayGetElement(array, &index, &text);
        texts.emplace_back(Bstr::ViewOf(text));
        SysFreeString(text);
    }
    return texts;
}

LateCall::~LateCall() {
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
}

DISPID DispatchIdOf(IDispatch* object, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

LateCall Invoke(IDispatch* object, const wchar_t* name, WORD flags, std::vector<Variant> arguments) {
    LateCall call;
    const DISPID id = DispatchIdOf(object, name);
    if (id == DISPID_UNKNOWN) {
        call.hr = DISP_E_UNKNOWNNAME;
        return call;
    }
    std::vector<VARIANT> reversed;
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(*it->Get());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    DISPID named = DISPID_PROPERTYPUT;
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    UINT argumentError = 0;
    call.hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, call.result.Put(), &call.exception, &argumentError);
    return call;
}

LateCall GetProperty(IDispatch* object, const wchar_t* name, std::vector<Variant> arguments) {
    return Invoke(object, name, DISPATCH_PROPERTYGET, std::move(arguments));
}
LateCall PutProperty(IDispatch* object, const wchar_t* name, Variant value) {
    std::vector<Variant> arguments;
    arguments.push_back(std::move(value));
    return Invoke(object, name, DISPATCH_PROPERTYPUT, std::move(arguments));
}
LateCall CallMethod(IDispatch* object, const wchar_t* name, std::vector<Variant> arguments) {
    return Invoke(object, name, DISPATCH_METHOD, std::move(arguments));
}

Variant LongValue(long value) { return Variant::Long(value); }
Variant TextValue(const wchar_t* text) { return Variant::Text(text); }
Variant ObjectValue(IDispatch* object) { return Variant::Object(object); }
std::wstring TextOf(const Variant& value) {
    Variant copy;
    if (FAILED(VariantChangeType(copy.Put(), const_cast<VARIANT*>(value.Get()), 0, VT_BSTR))) return L"<not text>";
    return std::wstring(Bstr::ViewOf(V_BSTR(copy.Get())));
}
long LongOf(const Variant& value) {
    Variant copy;
    if (FAILED(VariantChangeType(copy.Put(), const_cast<VARIANT*>(value.Get()), 0, VT_I4))) return -999999;
    return V_I4(copy.Get());
}

}  // namespace orvi::test
