// Text crossing to and from the system's single-byte (ANSI) functions.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace orvi {

std::wstring FromAnsi(std::string_view text);
std::string ToAnsi(std::wstring_view text);
// The text a system call left in a fixed buffer: at most `length` bytes,
// cut at the first NUL, never past `capacity`.
std::wstring BufferText(const char* buffer, std::size_t capacity, std::size_t length);
inline std::wstring BufferText(const char* buffer, std::size_t capacity) { return BufferText(buffer, capacity, capacity); }

}  // namespace orvi
