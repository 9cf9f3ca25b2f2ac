#include "service_pack.h"

#include <string>

namespace orvi::metrics {

namespace {

constexpr std::wstring_view kServicePack = L"service pack";

wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool MatchesAt(std::wstring_view text, std::size_t at, std::wstring_view word) {
    if (text.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (Lower(text[at + i]) != word[i]) return false;
    return true;
}

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

}  // namespace

double ServicePackNumber(std::wstring_view text) {
    // One left-to-right pass, as a text replace does: what the removal joins
    // up is not searched again.
    std::wstring rest;
    rest.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (MatchesAt(text, i, kServicePack)) {
            i += kServicePack.size();
        } else {
            rest.push_back(text[i++]);
        }
    }
    std::size_t at = 0;
    while (at < rest.size() && IsBlank(rest[at])) ++at;
    double number = 0;
    while (at < rest.size() && IsDigit(rest[at])) number = number * 10 + (rest[at++] - L'0');
    if (at < rest.size() && rest[at] == L'.') {
        double scale = 0.1;
        for (++at; at < rest.size() && IsDigit(rest[at]); ++at, scale /= 10) number += (rest[at] - L'0') * scale;
    }
    return number;
}

}  // namespace orvi::metrics
