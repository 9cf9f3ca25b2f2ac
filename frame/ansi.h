// Text crossing to and from the system's single-byte (ANSI) functions.
#pragma once
#include <string>
#include <string_view>

namespace orvi {

std::wstring FromAnsi(std::string_view text);
std::string ToAnsi(std::wstring_view text);
// A fixed-size text field: the part before the first zero byte.
std::wstring FromAnsiField(const char* field, std::size_t size);

}  // namespace orvi
