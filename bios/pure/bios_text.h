// Text handling of the BIOS data: cutting registry data and ROM texts.
#pragma once
#include <string>
#include <string_view>

namespace orvi::bios {

// The part before the first NUL character, or the whole text.
std::wstring TrimAtNull(std::wstring_view text);

// Registry text data without its terminator: up to `terminators` trailing
// NUL bytes are dropped (1 for a single string, 2 for a string list whose
// items stay separated by single NULs). Data stored without a terminator
// is kept whole.
std::string_view WithoutTerminator(std::string_view data, int terminators);

// `length` characters starting at the 1-based position `start`; fewer (or
// none) when the text ends first.
std::wstring MiddleText(std::wstring_view text, size_t start, size_t length);

// A ROM text of a version line and a copyright line, split at its first
// carriage return and line feed.
struct VersionLines {
    std::wstring version;    // the text before the line break; all of it without one
    std::wstring copyright;  // the text after it; without one, from the second character on
};
VersionLines SplitVersionLines(std::wstring_view text);

}  // namespace orvi::bios
