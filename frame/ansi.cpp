#include "ansi.h"

#include <windows.h>

#include <cstring>

namespace orvi {
namespace {
// Called directly, like the automation runtime: a conversion between two
// system calls must not replace the last error the first one left.
const auto multiByteToWideChar = &MultiByteToWideChar;
const auto wideCharToMultiByte = &WideCharToMultiByte;
}  // namespace

std::wstring FromAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int length = multiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) multiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = wideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        wideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::wstring FromAnsiField(const char* field, std::size_t size) {
    const void* end = std::memchr(field, '\0', size);
    return FromAnsi(std::string_view(field, end ? static_cast<const char*>(end) - field : size));
}

}  // namespace orvi
