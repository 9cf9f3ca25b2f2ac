// clsKvOrviBiosDataA: system and video BIOS texts, from the registry on the
// NT family and from the ROM images on the Windows 95/98 family.
#include "bios_data_module.h"
#include "com_object.h"
#include "orvilib10_h.h"
#include "pure/bios_text.h"
#include "system_function.h"

using namespace orvi;
namespace bas = orvi::basKvOrviBiosDataA;

namespace {

const SystemFunction<decltype(&::VarBstrFromDate)> varBstrFromDate{"oleaut32.dll", "VarBstrFromDate"};
const SystemFunction<decltype(&::VariantChangeTypeEx)> variantChangeTypeEx{"oleaut32.dll", "VariantChangeTypeEx"};

constexpr wchar_t kSystemKey[] = L"Hardware\\Description\\System";
constexpr wchar_t kDisplayInfoKey[] = L"System\\CurrentControlSet\\Services\\Class\\Display\\0000\\INFO";

// Where the 95/98 family maps the ROM texts.
constexpr std::uint32_t kVideoBiosDate = 0xC00A8;
constexpr std::uint32_t kVideoBiosVersion = 0xC0048;
constexpr std::uint32_t kSystemBiosDate = 0xFFFF5;
constexpr std::uint32_t kSystemBiosVersion = 0xFE061;
constexpr std::uint32_t kSystemBiosCopyRight = 0xFE091;
constexpr std::uint32_t kSystemBiosExtraInfo = 0xFEC71;

Variant EmptyText() {
    Variant empty;
    V_VT(empty.Put()) = VT_BSTR;
    V_BSTR(empty.Get()) = SysAllocString(L"");
    return empty;
}

std::wstring SystemValue(const wchar_t* name) {
    return bas::TextOf(bas::ReadRegistryValue(HKEY_LOCAL_MACHINE, kSystemKey, name, EmptyText()));
}

// A text read as a date and written back as the user's locale writes dates.
std::wstring AsLocaleDate(const std::wstring& text) {
    const Bstr source(text);
    VARIANT from;
    V_VT(&from) = VT_BSTR;
    V_BSTR(&from) = source.Get();
    Variant date;
    Check(variantChangeTypeEx(date.Get(), &from, LOCALE_USER_DEFAULT, 0, VT_DATE));
    Bstr written;
    Check(varBstrFromDate(V_DATE(date.Get()), LOCALE_USER_DEFAULT, 0, written.Put()));
    return std::wstring(written.View());
}

}  // namespace

class clsKvOrviBiosDataA final : public ComObject<clsKvOrviBiosDataA, _clsKvOrviBiosDataA> {
public:
    void StartUp() { bIsNT = bas::IsNTPlatform() ? VARIANT_TRUE : VARIANT_FALSE; }

    STDMETHODIMP get_VideoBiosDate(BSTR* result) override {
        return Text(result, [&] {
            return bIsNT ? SystemValue(L"VideoBiosDate") : bios::MiddleText(bas::StringAtAddress(kVideoBiosDate), 9, 8);
        });
    }
    STDMETHODIMP get_VideoBiosVersion(BSTR* result) override {
        return Text(result, [&] {
            if (bIsNT) return SystemValue(L"VideoBiosVersion");
            return bios::SplitVersionLines(bas::StringAtAddress(kVideoBiosVersion)).version + L"\r\nChipType: " +
                   bas::TextOf(bas::ReadRegistryValue(HKEY_LOCAL_MACHINE, kDisplayInfoKey, L"ChipType", EmptyText()));
        });
    }
    STDMETHODIMP get_VideoBiosCopyRight(BSTR* result) override {
        return Text(result, [&] {
            return bIsNT ? std::wstring(L"Unavailable on NT")
                         : bios::SplitVersionLines(bas::StringAtAddress(kVideoBiosVersion)).copyright;
        });
    }
    STDMETHODIMP get_SystemBiosDate(BSTR* result) override {
        return Text(result, [&] { return bIsNT ? SystemValue(L"SystemBiosDate") : bas::StringAtAddress(kSystemBiosDate); });
    }
    STDMETHODIMP get_SystemBiosCopyRight(BSTR* result) override {
        return Text(result, [&] {
            return bIsNT ? std::wstring(L"Unvailable on NT") : bas::StringAtAddress(kSystemBiosCopyRight);
        });
    }
    STDMETHODIMP get_SystemBiosVersion(BSTR* result) override {
        return Text(result, [&] {
            if (!bIsNT) return bas::StringAtAddress(kSystemBiosVersion);
            // Errors ignored: whatever does not read as a date is unavailable.
            std::wstring version = L"Unavailable";
            Attempt([&] { version = AsLocaleDate(SystemValue(L"SystemBiosVersion")); });
            return version;
        });
    }
    STDMETHODIMP get_SystemBiosExtraInfo(BSTR* result) override {
        return Text(result, [&] {
            return bIsNT ? std::wstring(L"Unvailable on NT") : bas::StringAtAddress(kSystemBiosExtraInfo);
        });
    }

private:
    template <class Body>
    HRESULT Text(BSTR* result, Body&& body) noexcept {
        return Produce(result, [&] { return Bstr(body()); });
    }

    VARIANT_BOOL bIsNT = VARIANT_FALSE;
};

static const ClassRegistration<clsKvOrviBiosDataA> registration;
