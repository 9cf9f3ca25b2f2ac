// How the utilities read Variant arguments: missing, date, number, text,
// each in the user's locale.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <optional>
#include <string>

#include "com_ptr.h"

namespace orvi::values {

// The value itself, references followed.
Variant Plain(const VARIANT* value);
bool IsMissing(const VARIANT* value);
bool IsNull(const VARIANT& value);
// A Date, or text that reads as a date (text that reads as a number does not).
std::optional<double> AsDate(const VARIANT* value);
// A number, a Boolean, Empty, or text that reads as a number.
std::optional<double> AsNumber(const VARIANT* value);
std::optional<std::wstring> AsText(const VARIANT* value);

Variant DateValue(double date);
Variant TextValue(std::wstring_view text);
Variant IntegerValue(short value);

// The current local date and time, to the second (kernel32 GetLocalTime).
double Now();
double Today();
// The current UTC date and time, to the second (kernel32 GetSystemTime).
double UtcNow();
// A date of the automation range, else the overflow error.
double CheckedDate(std::optional<double> date);

}  // namespace orvi::values
