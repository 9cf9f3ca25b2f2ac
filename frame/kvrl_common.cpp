#include "kvrl_common.h"

#include "com_object.h"
#include "error_object.h"
#include "late_bound.h"
#include "orvilib10_h.h"

namespace orvi {
namespace {

Variant Holding(IDispatch* object) { return Variant::Object(object); }
Variant Holding(std::wstring_view text) { return Variant::Text(text); }
Variant Holding(long number) { return Variant::Long(number); }

void ReportFailure(IDispatch* properties, const ComponentError& error) {
    // Resolve the error's source and description as a caller would see them.
    const HRESULT hr = error.Report(kLibraryName);
    ComPtr<IErrorInfo> info;
    Bstr source, description;
    if (GetErrorInfo(0, info.Put()) == S_OK && info) {
        info->GetSource(source.Put());
        info->GetDescription(description.Put());
    }
    const long number = ErrorNumberOf(hr) != 0 ? ErrorNumberOf(hr) : static_cast<long>(hr);

    Variant propertiesArgument = Holding(properties);
    Variant errorArgument = Holding(MakeErrorObject(number, source.View(), description.View()).Get());
    Variant firstText = Holding(std::wstring_view()), secondText = Holding(std::wstring_view());
    Variant procedure = Holding(std::wstring_view(L"basKvrlCommonA.AppAboutKvrl_Pro"));
    Variant firstNumber = Holding(0L), secondNumber = Holding(0L);

    ComPtr<IDispatch> handler = CreateObjectByProgId(L"KvVendrel10.clsKvrlErrorHandlerA");
    CallByName(handler.Get(), L"ErrorHandlerMessageKv", DISPATCH_METHOD,
               {ByRef(*propertiesArgument.Get()), ByRef(*errorArgument.Get()), ByRef(*firstText.Get()),
                ByRef(*procedure.Get()), ByRef(*firstNumber.Get()), ByRef(*secondText.Get()),
                ByRef(*secondNumber.Get()), MissingArgument()});
    // Reported: the failure no longer stands.
    SetErrorInfo(0, nullptr);
}

template <class Body>
void Step(IDispatch* properties, Body&& body) {
    try {
        body();
    } catch (const ComponentError& error) {
        ReportFailure(properties, error);
    }
}

}  // namespace

void AppAboutKvrl(IDispatch* properties) {
    Check(Guarded(kLibraryName, [&] {
        ComPtr<IDispatch> about;
        Step(properties, [&] { about = CreateObjectByProgId(L"KvVendrel10.clsKvVendrel10A"); });
        Step(properties, [&] { CallByName(about.Get(), L"AppAboutKvrl", DISPATCH_METHOD, {ObjectArgument(properties)}); });
    }));
}

}  // namespace orvi
