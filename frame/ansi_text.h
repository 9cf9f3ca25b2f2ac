// Text crossing to and from the system's single-byte (ANSI) functions.
#pragma once
#include <string>
#include <string_view>

namespace orvi {

// UTF-16 to the system's ANSI code page, and back.
std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);

}  // namespace orvi
