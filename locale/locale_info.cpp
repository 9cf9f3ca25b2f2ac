// clsKvOrviUtilitesLocaleA: the current user's regional settings and the
// system's default language, read from the system at every call.
#include <cstdint>
#include <string>

#include "ansi.h"
#include "com_object.h"
#include "conversions.h"
#include "locale/pure/pictures.h"
#include "orvilib10_h.h"
#include "system_function.h"

using namespace orvi;

namespace {
const SystemFunction<decltype(&::GetLocaleInfoA)> getLocaleInfo{"kernel32.dll", "GetLocaleInfoA"};
const SystemFunction<decltype(&::GetSystemDefaultLangID)> getSystemDefaultLangID{"kernel32.dll", "GetSystemDefaultLangID"};
const SystemFunction<DWORD(WINAPI*)(DWORD, LPSTR, DWORD)> verLanguageName{"kernel32.dll", "VerLanguageNameA"};

constexpr int kLocaleBuffer = 256;
constexpr DWORD kLanguageBuffer = 50;
constexpr wchar_t kFallbackNumberPicture[] = L"##,##,0.00";

// One item of the user's default locale; empty when the system does not
// know it or the call fails. Negative numbers would set the request's
// flag bits rather than name an item, so they are not asked about.
std::wstring GetLocaleText(std::int32_t item) {
    if (item < 0) return {};
    char buffer[kLocaleBuffer] = {};
    const int count = getLocaleInfo(LOCALE_USER_DEFAULT, static_cast<LCTYPE>(item), buffer, kLocaleBuffer);
    return count > 0 ? BufferText(buffer, sizeof buffer, static_cast<std::size_t>(count - 1)) : std::wstring();
}

// Runs `body`; an error inside is raised again with the same number and
// description and `source` as its source.
template <class Body>
auto Translated(const wchar_t* source, Body&& body) {
    try {
        return body();
    } catch (const ComponentError& error) {
        if (error.Number() == 0) throw;
        throw ComponentError(error.Number(), source, error.Description());
    } catch (const std::bad_alloc&) {
        throw ComponentError(errOutOfMemory, source);
    }
}

}  // namespace

class clsKvOrviUtilitesLocaleA final : public ComObject<clsKvOrviUtilitesLocaleA, _clsKvOrviUtilitesLocaleA> {
public:
    STDMETHODIMP get_DateFormat(BSTR* result) override {
        return Produce(result, [&] {
            return Translated(L"CGLocaleInfo GetDateFormat",
                              [&] { return Bstr(locale::WithFourDigitYear(GetLocaleText(LOCALE_SSHORTDATE))); });
        });
    }
    STDMETHODIMP get_TimeFormat(BSTR* result) override {
        return Produce(result, [&] { return Bstr(GetLocaleText(LOCALE_STIMEFORMAT).substr(0, 8)); });
    }
    STDMETHODIMP get_NumberFormat(BSTR* result) override {
        return Produce(result, [&] {
            Bstr picture(kFallbackNumberPicture);
            Attempt([&] {
                Bstr thousands, decimal;
                Check(get_ThousandSpecifier(thousands.Put()));
                Check(get_DecimalSpecifier(decimal.Put()));
                picture = Bstr(locale::NumberPicture(thousands.View(), decimal.View()));
            });
            return picture;
        });
    }
    STDMETHODIMP get_ThousandSpecifier(BSTR* result) override { return Item(result, LOCALE_STHOUSAND); }
    STDMETHODIMP get_DecimalSpecifier(BSTR* result) override { return Item(result, LOCALE_SDECIMAL); }
    STDMETHODIMP get_CurrencySpecifier(BSTR* result) override { return Item(result, LOCALE_SCURRENCY); }
    STDMETHODIMP get_SysLanguageID(long* result) override {
        return Produce(result, [&] { return static_cast<long>(static_cast<std::int16_t>(getSystemDefaultLangID())); });
    }
    STDMETHODIMP get_SysLanguageName(BSTR* result) override {
        return Produce(result, [&] {
            return Translated(L"CGLocaleInfo GetSysLanguageName", [&] {
                const long language = static_cast<std::int16_t>(getSystemDefaultLangID());
                char buffer[kLanguageBuffer] = {};
                const DWORD length = verLanguageName(static_cast<DWORD>(language), buffer, kLanguageBuffer);
                return Bstr(length > 0 ? BufferText(buffer, sizeof buffer, length) : std::wstring());
            });
        });
    }
    STDMETHODIMP get_Country(BSTR* result) override { return Item(result, LOCALE_SENGCOUNTRY); }
    STDMETHODIMP get_LanguageName(BSTR* result) override { return Item(result, LOCALE_SNATIVELANGNAME); }
    STDMETHODIMP get_NativeCountryName(BSTR* result) override { return Item(result, LOCALE_SNATIVECTRYNAME); }
    STDMETHODIMP get_PositiveSign(BSTR* result) override { return Item(result, LOCALE_SPOSITIVESIGN); }
    STDMETHODIMP get_NegativeSign(BSTR* result) override { return Item(result, LOCALE_SNEGATIVESIGN); }

    // Day 1 is Monday, month 1 January. The abbreviated item numbers are
    // worked out in 16 bits, so very large arguments overflow before any
    // item is read; any other number selects whatever item it lands on.
    STDMETHODIMP DayName(short iDayNum, VARIANT_BOOL* Short, BSTR* result) override {
        return Produce(result, [&] {
            const std::int32_t full = std::int32_t{LOCALE_SDAYNAME1} - 1 + iDayNum;
            const std::int16_t abbreviated = ToInteger(ToInteger(std::int32_t{LOCALE_SABBREVDAYNAME1} + iDayNum) - 1);
            return PickName(full, abbreviated, Short);
        });
    }
    STDMETHODIMP MonthName(short iMonthNum, VARIANT_BOOL* Short, BSTR* result) override {
        return Produce(result, [&] {
            const std::int32_t full = std::int32_t{LOCALE_SMONTHNAME1} - 1 + iMonthNum;
            const std::int16_t abbreviated = ToInteger(std::int32_t{LOCALE_SABBREVMONTHNAME1} - 1 + iMonthNum);
            return PickName(full, abbreviated, Short);
        });
    }

private:
    HRESULT Item(BSTR* result, LCTYPE item) {
        return Produce(result, [&] { return Bstr(GetLocaleText(static_cast<std::int32_t>(item))); });
    }

    // Both names are read; `Short` (False when left out) picks one.
    static Bstr PickName(std::int32_t fullItem, std::int32_t abbreviatedItem, const VARIANT_BOOL* Short) {
        Bstr fullName(GetLocaleText(fullItem));
        Bstr shortName(GetLocaleText(abbreviatedItem));
        return Short && *Short != VARIANT_FALSE ? shortName : fullName;
    }
};

static const ClassRegistration<clsKvOrviUtilitesLocaleA> registration;
