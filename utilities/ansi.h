// File names and texts for the single-byte file system functions.
#pragma once
#include <string>
#include <string_view>

namespace orvi::ansi {

// How a text reads after the trip to the code page and back.
std::wstring RoundTrip(std::wstring_view text);

// The single-byte ANSI code of each character (0 where the code page
// writes it with two bytes): how the code page reads the text letter by letter.
std::string CharacterCodes(std::wstring_view text);

// A file name for the system: raises error 5 for a name with a NUL inside,
// which the system would silently cut.
std::string FileName(std::wstring_view name);

}  // namespace orvi::ansi
