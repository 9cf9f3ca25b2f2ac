#include "ansi.h"

#include <windows.h>

#include <algorithm>
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

std::wstring BufferText(const char* buffer, std::size_t capacity, std::size_t length) {
    const std::size_t limit = std::min(capacity, length);
    const void* nul = std::memchr(buffer, '\0', limit);
    const std::size_t used = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : limit;
    return FromAnsi(std::string_view(buffer, used));
}

}  // namespace orvi
