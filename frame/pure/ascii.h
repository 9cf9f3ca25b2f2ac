// Letters of the ASCII range compared without regard to case: the names the
// component itself gives (registry keys, members, command words) are ASCII,
// whatever the locale.
#pragma once
#include <algorithm>
#include <string_view>

namespace orvi::ascii {

template <class Char>
constexpr Char Upper(Char c) {
    return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - (Char('a') - Char('A'))) : c;
}

template <class Char>
constexpr bool SameIgnoringCase(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](Char x, Char y) { return Upper(x) == Upper(y); });
}

}  // namespace orvi::ascii
