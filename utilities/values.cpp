#include "values.h"

#include <cmath>

#include "errors.h"
#include "system_function.h"
#include "utilities/pure/dates.h"

namespace orvi::values {
namespace {
const SystemFunction<decltype(&::GetLocalTime)> getLocalTime{"kernel32.dll", "GetLocalTime"};
const SystemFunction<decltype(&::GetSystemTime)> getSystemTime{"kernel32.dll", "GetSystemTime"};

double DateOfClock(const SYSTEMTIME& clock) {
    return CheckedDate(dates::DateOf(clock.wYear, clock.wMonth, clock.wDay, clock.wHour, clock.wMinute, clock.wSecond));
}

std::optional<double> NumberFromText(BSTR text) {
    double number = 0;
    if (!text || FAILED(VarR8FromStr(text, LOCALE_USER_DEFAULT, 0, &number))) return std::nullopt;
    return number;
}
}  // namespace

Variant Plain(const VARIANT* value) {
    Variant plain;
    if (value && FAILED(VariantCopyInd(plain.Put(), const_cast<VARIANT*>(value)))) Raise(errTypeMismatch);
    return plain;
}

bool IsMissing(const VARIANT* value) {
    if (!value) return true;
    const Variant plain = Plain(value);
    return plain.Type() == VT_ERROR && V_ERROR(plain.Get()) == DISP_E_PARAMNOTFOUND;
}

bool IsNull(const VARIANT& value) { return V_VT(&value) == VT_NULL; }

std::optional<double> AsDate(const VARIANT* value) {
    const Variant plain = Plain(value);
    if (plain.Type() == VT_DATE) return V_DATE(plain.Get());
    if (plain.Type() != VT_BSTR || NumberFromText(V_BSTR(plain.Get()))) return std::nullopt;
    double date = 0;
    if (FAILED(VarDateFromStr(V_BSTR(plain.Get()), LOCALE_USER_DEFAULT, 0, &date))) return std::nullopt;
    return date;
}

std::optional<double> AsNumber(const VARIANT* value) {
    const Variant plain = Plain(value);
    switch (plain.Type()) {
    case VT_EMPTY: return 0.0;
    case VT_BSTR: return NumberFromText(V_BSTR(plain.Get()));
    case VT_I1: case VT_UI1: case VT_I2: case VT_UI2: case VT_I4: case VT_UI4: case VT_I8: case VT_UI8:
    case VT_INT: case VT_UINT: case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL: case VT_BOOL: {
        Variant number;
        if (FAILED(VariantChangeType(number.Put(), const_cast<VARIANT*>(plain.Get()), 0, VT_R8))) return std::nullopt;
        return V_R8(number.Get());
    }
    default: return std::nullopt;
    }
}

std::optional<std::wstring> AsText(const VARIANT* value) {
    const Variant plain = Plain(value);
    if (plain.Type() == VT_BSTR) return std::wstring(Bstr::ViewOf(V_BSTR(plain.Get())));
    return std::nullopt;
}

Variant DateValue(double date) { return Variant::Date(date); }

Variant TextValue(std::wstring_view text) { return Variant::Text(text); }

Variant IntegerValue(short value) { return Variant::Integer(value); }

double Now() {
    SYSTEMTIME clock{};
    getLocalTime(&clock);
    return DateOfClock(clock);
}

double Today() { return static_cast<double>(dates::Split(Now()).day); }

double UtcNow() {
    SYSTEMTIME clock{};
    getSystemTime(&clock);
    return DateOfClock(clock);
}

double CheckedDate(std::optional<double> date) {
    if (!date || !dates::InRange(dates::Split(*date).day)) Raise(errOverflow);
    return *date;
}

}  // namespace orvi::values
