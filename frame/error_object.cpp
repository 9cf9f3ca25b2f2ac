#include "error_object.h"

#include "com_object.h"
#include "orvilib10_h.h"

namespace orvi {
namespace {

class clsKvOrviErrorObjectA final : public ComObject<clsKvOrviErrorObjectA, _clsKvOrviErrorObjectA>, public IErrorInfo {
public:
    static constexpr const wchar_t* kProgId = kLibraryName;

    static ComPtr<clsKvOrviErrorObjectA> Make(long number, std::wstring_view source, std::wstring_view description) {
        ComPtr<_clsKvOrviErrorObjectA> object = Create();
        auto* self = static_cast<clsKvOrviErrorObjectA*>(object.Get());
        self->number = number;
        self->source = Bstr(source);
        self->description = Bstr(description);
        return ComPtr<clsKvOrviErrorObjectA>(self);
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override { return ComObject::QueryInterface(iid, object); }
    STDMETHODIMP_(ULONG) AddRef() override { return ComObject::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return ComObject::Release(); }
    void* FurtherInterface(REFIID iid) { return SameGuid(iid, __uuidof(IErrorInfo)) ? static_cast<IErrorInfo*>(this) : nullptr; }

    STDMETHODIMP get_Number(long* result) override { return Get(result, number); }
    STDMETHODIMP get_Source(BSTR* result) override { return Get(result, source); }
    STDMETHODIMP get_Description(BSTR* result) override { return Get(result, description); }

    // IErrorInfo
    STDMETHODIMP GetGUID(GUID* guid) override {
        if (!guid) return E_POINTER;
        *guid = GUID{};
        return S_OK;
    }
    STDMETHODIMP GetSource(BSTR* result) override { return Get(result, source); }
    STDMETHODIMP GetDescription(BSTR* result) override { return Get(result, description); }
    STDMETHODIMP GetHelpFile(BSTR* result) override { return Get(result, helpFile); }
    STDMETHODIMP GetHelpContext(DWORD* result) override {
        if (!result) return E_POINTER;
        *result = 0;
        return S_OK;
    }

private:
    long number = 0;
    Bstr source, description, helpFile;
};

}  // namespace

ComPtr<IDispatch> MakeErrorObject(long number, std::wstring_view source, std::wstring_view description) {
    return clsKvOrviErrorObjectA::Make(number, source, description).As<IDispatch>();
}

void LeaveErrorOnThread(long number, std::wstring_view source, std::wstring_view description) {
    ComPtr<IErrorInfo> info;
    Attempt([&] { info = MakeErrorObject(number, source, description).As<IErrorInfo>(); });
    SetErrorInfo(0, info.Get());
}

}  // namespace orvi
