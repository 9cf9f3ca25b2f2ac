// Text to and from the system's ANSI code page, for the single-byte file
// system functions.
#pragma once
#include <string>
#include <string_view>

namespace orvi::ansi {

// One byte per character in a single-byte code page; characters it cannot
// hold come out as the code page's default character.
std::string Narrow(std::wstring_view text);
std::wstring Widen(std::string_view bytes);
// How a text reads after the trip to the code page and back.
std::wstring RoundTrip(std::wstring_view text);

// A file name for the system: raises error 5 for a name with a NUL inside,
// which the system would silently cut.
std::string FileName(std::wstring_view name);

}  // namespace orvi::ansi
