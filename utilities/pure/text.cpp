#include "text.h"

#include <algorithm>
#include <vector>

namespace orvi::text {
namespace {

// Digits of the letters A to Z.
constexpr std::wstring_view kLetterCodes = L"01230120022455012623010202";

bool IsLetter(wchar_t c) { return c >= L'A' && c <= L'Z'; }

std::wstring_view TrimBlanks(std::wstring_view text) {
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    const auto last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

// Position of `tag` in `text` from `from`, case ignored; npos when absent.
std::size_t FindFolded(std::wstring_view text, std::wstring_view tag, std::size_t from) {
    if (tag.empty() || tag.size() > text.size()) return std::wstring_view::npos;
    for (std::size_t i = from; i + tag.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < tag.size() && FoldCase(text[i + k]) == FoldCase(tag[k])) ++k;
        if (k == tag.size()) return i;
    }
    return std::wstring_view::npos;
}

bool MatchFrom(std::wstring_view name, std::wstring_view mask) {
    // Iterative wildcard match with back-tracking to the last "*".
    std::size_t n = 0, m = 0, star = std::wstring_view::npos, resume = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == L'?' || FoldCase(mask[m]) == FoldCase(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == L'*') {
            star = m++;
            resume = n;
        } else if (star != std::wstring_view::npos) {
            m = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == L'*') ++m;
    return m == mask.size();
}

}  // namespace

wchar_t UpperAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

wchar_t FoldCase(wchar_t c) {
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<wchar_t>(c - 32);
    return UpperAscii(c);
}

std::wstring CollapseSpaces(std::wstring_view text) {
    const std::wstring_view trimmed = TrimBlanks(text);
    std::wstring result;
    result.reserve(trimmed.size());
    for (wchar_t c : trimmed)
        if (c != L' ' || result.empty() || result.back() != L' ') result += c;
    return result;
}

std::wstring PathWithSeparator(std::wstring_view path, std::wstring_view replacement) {
    const wchar_t separator = path.find(L'/') != std::wstring_view::npos ? L'/' : L'\\';
    std::wstring result(path);
    if (result.empty() || result.back() != separator) result += separator;
    if (replacement.empty()) return result;
    std::wstring replaced;
    for (wchar_t c : result) {
        if (c == separator) replaced += replacement;
        else replaced += c;
    }
    return replaced;
}

std::wstring FilePart(std::wstring_view fullPath, std::int32_t whichPart) {
    if (fullPath.empty()) return {};
    const wchar_t separator = fullPath.find(L'/') != std::wstring_view::npos ? L'/' : L'\\';
    const auto lastSeparator = fullPath.rfind(separator);
    const std::wstring_view nameAndExt =
        lastSeparator == std::wstring_view::npos ? fullPath : fullPath.substr(lastSeparator + 1);
    switch (whichPart) {
    case 0: {  // extension: after the name's last dot
        const auto dot = nameAndExt.rfind(L'.');
        return dot == std::wstring_view::npos ? std::wstring() : std::wstring(nameAndExt.substr(dot + 1));
    }
    case 1: return std::wstring(nameAndExt.substr(0, nameAndExt.find(L'.')));
    case 2: return std::wstring(nameAndExt);
    case 3: return std::wstring(fullPath.substr(0, fullPath.size() - nameAndExt.size()));
    default: return {};
    }
}

std::wstring SoundX(std::wstring_view word, std::uint8_t& accuracy) {
    if (accuracy > 10) accuracy = 10;
    else if (accuracy < 4) accuracy = 4;
    --accuracy;
    const std::size_t n = accuracy;

    std::wstring marked(TrimBlanks(word));
    for (wchar_t& c : marked) {
        c = UpperAscii(c);
        if (!IsLetter(c)) c = L'@';
    }
    std::wstring codes = marked;
    for (wchar_t& c : codes)
        if (IsLetter(c)) c = kLetterCodes[static_cast<std::size_t>(c - L'A')];
    // A run of one digit keeps only its first digit.
    if (!codes.empty()) {
        wchar_t previous = codes[0];
        for (std::size_t i = 1; i < codes.size(); ++i) {
            if (codes[i] == previous) codes[i] = L'@';
            else previous = codes[i];
        }
    }
    std::wstring digits;
    for (wchar_t c : codes)
        if (c != L'@') digits += c;
    if (!digits.empty()) digits.erase(0, 1);
    std::erase(digits, L'0');
    digits.append(n, L'0');
    digits.resize(n);
    return marked.empty() ? digits : marked.substr(0, 1) + digits;
}

std::wstring SoundsLike(std::wstring_view word, std::int32_t accuracy, bool asNumeric) {
    if (word.size() < 2) return {};
    if (accuracy < 0 && !asNumeric) return L"*****";
    const std::wstring prepared = CollapseSpaces(word);
    std::wstring result;
    bool first = true;
    wchar_t previous = 0;
    for (wchar_t c : prepared) {
        c = UpperAscii(c);
        if (IsLetter(c)) {
            const wchar_t digit = kLetterCodes[static_cast<std::size_t>(c - L'A')];
            if (first) {
                first = false;
                previous = digit;
                if (!asNumeric) result += c;
            }
            if (digit != L'0' && digit != previous) result += digit;
            previous = digit;
        }
        if (static_cast<std::int64_t>(result.size()) >= accuracy) break;
    }
    if (!asNumeric) {
        result.append(static_cast<std::size_t>(accuracy), L'0');
        result.resize(static_cast<std::size_t>(accuracy));
    }
    return result;
}

std::wstring Extract(std::wstring_view text, std::wstring_view startTag, std::wstring_view endTag) {
    const auto start = FindFolded(text, startTag, 0);
    if (start == std::wstring_view::npos) return {};
    std::wstring_view piece = text.substr(start + startTag.size());
    const auto nextStart = FindFolded(piece, startTag, 0);
    if (nextStart != std::wstring_view::npos) piece = piece.substr(0, nextStart);
    const auto end = FindFolded(piece, endTag, 0);
    if (end != std::wstring_view::npos) piece = piece.substr(0, end);
    return std::wstring(piece);
}

bool MatchesMask(std::wstring_view name, std::wstring_view mask) {
    if (mask == L"*.*") return true;
    return MatchFrom(name, mask);
}

std::wstring GuidDigits(std::wstring_view braced) {
    std::wstring digits;
    for (wchar_t c : braced)
        if (c != L'{' && c != L'}' && c != L'-') digits += c;
    return digits;
}

}  // namespace orvi::text
