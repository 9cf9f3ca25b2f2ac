// Date and number pictures built from the user's locale items.
#pragma once
#include <string>
#include <string_view>

namespace orvi::locale {

// A short-date picture with a four-digit year: left alone when it holds
// "yyyy" in any letter case, else every "yy" (any case) becomes "YYYY".
std::wstring WithFourDigitYear(std::wstring_view picture);

// "##" thousands "##0" decimal "00", e.g. ##,##0.00.
std::wstring NumberPicture(std::wstring_view thousands, std::wstring_view decimal);

}  // namespace orvi::locale
