#include "application_properties.h"

#include "com_object.h"
#include "module.h"
#include "orvilib10_h.h"
#include "pure/paths.h"
#include "resource_ids.h"

namespace orvi {
namespace {

// Held in the thread's state, so it must not keep that state alive itself.
class clsKvOrviApplicationPropertiesA final
    : public ComObject<clsKvOrviApplicationPropertiesA, _clsKvOrviApplicationPropertiesA, false> {
public:
    static constexpr const wchar_t* kProgId = kLibraryName;

    STDMETHODIMP get_Title(BSTR* result) override { return Text(result, kTitle); }
    STDMETHODIMP get_Major(short* result) override { return Get(result, kMajor); }
    STDMETHODIMP get_Minor(short* result) override { return Get(result, kMinor); }
    STDMETHODIMP get_Revision(short* result) override { return Get(result, kRevision); }
    STDMETHODIMP get_Path(BSTR* result) override { return Text(result, paths::FolderOf(module::FilePath())); }
    STDMETHODIMP get_EXEName(BSTR* result) override { return Text(result, paths::BaseNameOf(module::FilePath())); }
    STDMETHODIMP get_CompanyName(BSTR* result) override { return Text(result, L"" ORVI_COMPANY); }
    STDMETHODIMP get_ProductName(BSTR* result) override { return Text(result, L"" ORVI_PRODUCT); }
    STDMETHODIMP get_LegalTrademarks(BSTR* result) override { return Text(result, L"" ORVI_TRADEMARKS); }

private:
    static constexpr short kMajor = 1, kMinor = 0, kRevision = 84;

    HRESULT Text(BSTR* result, std::wstring_view text) noexcept {
        return Produce(result, [&] { return Bstr(text); });
    }
};

}  // namespace

ComPtr<IDispatch> ApplicationProperties() {
    ThreadState& state = CurrentThreadState();
    if (!state.applicationProperties)
        state.applicationProperties = clsKvOrviApplicationPropertiesA::Create().As<IDispatch>();
    return state.applicationProperties;
}

}  // namespace orvi
