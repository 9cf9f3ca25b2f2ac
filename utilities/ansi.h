// File names and texts for the single-byte file system functions.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace orvi::ansi {

// How a text reads after the trip to the code page and back.
std::wstring RoundTrip(std::wstring_view text);

// The single-byte ANSI code of each character (0 where the code page
// writes it with two bytes): how the code page reads the text letter by letter.
std::string CharacterCodes(std::wstring_view text);

// A caller's file or folder name for the system, or nothing when the code
// page cannot hold it exactly: such a name names no file, since its
// converted form could name another (see ExactAnsi). Raises error 5 for a
// name with a NUL inside, which the system would silently cut.
std::optional<std::string> NameForSystem(std::wstring_view name);
// The same where a missing file is error 53: raises it for such a name.
std::string FileName(std::wstring_view name);

}  // namespace orvi::ansi
