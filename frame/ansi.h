// Text crossing to and from the system's single-byte (ANSI) functions.
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvi {

std::wstring FromAnsi(std::string_view text);
std::string ToAnsi(std::wstring_view text);
// The text in the ANSI code page when that page holds it exactly, else
// nothing. A character the page lacks would become "?" (a wildcard to the
// file system) or a look-alike (U+0100 as "A"), so a name handed on
// converted could stand for another file, folder or library.
std::optional<std::string> ExactAnsi(std::wstring_view text);
// The same for any code page.
std::optional<std::string> ExactInCodePage(unsigned codePage, std::wstring_view text);
// The text a system call left in a fixed buffer: at most `length` bytes,
// cut at the first NUL, never past `capacity`.
std::wstring BufferText(const char* buffer, std::size_t capacity, std::size_t length);
inline std::wstring BufferText(const char* buffer, std::size_t capacity) { return BufferText(buffer, capacity, capacity); }

}  // namespace orvi
