#include "text.h"

#include <algorithm>
#include <vector>

namespace orvi::text {
namespace {

// Digits of the letters A to Z.
constexpr std::wstring_view kLetterCodes = L"01230120022455012623010202";

// The letter A-Z that a character's ANSI code names, or 0.
char LetterOf(std::string_view codes, std::size_t at) {
    if (at >= codes.size()) return 0;
    char code = codes[at];
    if (code >= 'a' && code <= 'z') code = static_cast<char>(code - 32);
    return code >= 'A' && code <= 'Z' ? code : 0;
}

wchar_t DigitOf(char letter) { return kLetterCodes[static_cast<std::size_t>(letter - 'A')]; }

// Where the word is left once blanks at both ends go: [first, first + size).
struct Span {
    std::size_t first = 0, size = 0;
};
Span TrimmedSpan(std::wstring_view text) {
    const auto first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    return {first, text.find_last_not_of(L' ') - first + 1};
}

std::wstring_view TrimBlanks(std::wstring_view text) {
    const Span span = TrimmedSpan(text);
    return text.substr(span.first, span.size);
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
    const auto shifted = [c](int by) { return static_cast<wchar_t>(c + by); };
    if (c < 0x80) return UpperAscii(c);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return shifted(-0x20);  // Latin-1
    if (c == 0xFF) return 0x178;                                     // ÿ, Ÿ
    if (c == 0x131) return L'I';                                     // dotless i
    // Latin Extended-A pairs: upper case on the even code, then on the odd one.
    const bool evenPairs = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenPairs && c % 2 == 1) || (oddPairs && c % 2 == 0)) return shifted(-1);
    if (c == 0x1A1 || c == 0x1B0) return shifted(-1);               // ơ, ư (Vietnamese)
    if (c == 0x3C2) return 0x3A3;                                    // final sigma
    if (c >= 0x3B1 && c <= 0x3CB) return shifted(-0x20);             // Greek
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return shifted(-0x25);
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return shifted(-0x3F);
    if (c >= 0x430 && c <= 0x44F) return shifted(-0x20);             // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return shifted(-0x50);
    if (c == 0x491) return 0x490;
    return c;
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

std::wstring SoundX(std::wstring_view word, std::string_view ansiCodes, std::uint8_t& accuracy) {
    if (accuracy > 10) accuracy = 10;
    else if (accuracy < 4) accuracy = 4;
    --accuracy;
    const std::size_t n = accuracy;

    const Span span = TrimmedSpan(word);
    std::wstring marked(word.substr(span.first, span.size)), codes(span.size, L'@');
    for (std::size_t i = 0; i < span.size; ++i) {
        const char letter = LetterOf(ansiCodes, span.first + i);
        marked[i] = letter ? UpperAscii(marked[i]) : L'@';
        if (letter) codes[i] = DigitOf(letter);
    }
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

std::wstring SoundsLike(std::wstring_view word, std::string_view ansiCodes, std::int32_t accuracy, bool asNumeric) {
    if (word.size() < 2) return {};
    if (accuracy < 0 && !asNumeric) return L"*****";
    // Blanks are no letters and change nothing in the walk, so trimming and
    // collapsing them first would give the same key.
    std::wstring result;
    bool first = true;
    wchar_t previous = 0;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (const char letter = LetterOf(ansiCodes, i)) {
            const wchar_t digit = DigitOf(letter);
            if (first) {
                first = false;
                previous = digit;
                if (!asNumeric) result += UpperAscii(word[i]);
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

bool PathEndsWith(std::wstring_view path, std::wstring_view tail) {
    if (tail.empty() || tail.size() > path.size()) return false;
    const auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
    const std::size_t start = path.size() - tail.size();
    for (std::size_t i = 0; i < tail.size(); ++i) {
        const wchar_t a = path[start + i], b = tail[i];
        if (FoldCase(a) != FoldCase(b) && !(separator(a) && separator(b))) return false;
    }
    return start == 0 || separator(path[start - 1]) || separator(tail.front());
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
