// Text crossing to and from the single-byte (ANSI) system functions.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace orvi {

// UTF-16 text in the system's ANSI code page, and back.
std::string ToAnsi(std::wstring_view text);
std::wstring FromAnsi(std::string_view text);

// The text a system call left in a fixed buffer: at most `length` bytes,
// cut at the first NUL, never past `capacity`.
std::wstring BufferText(const char* buffer, std::size_t capacity, std::size_t length);
inline std::wstring BufferText(const char* buffer, std::size_t capacity) { return BufferText(buffer, capacity, capacity); }

}  // namespace orvi
