#include "ansi_text.h"

#include <windows.h>
#include <algorithm>
#include <cstring>

namespace orvi {

std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<std::size_t>(std::max(needed, 0)), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, converted.data(), needed, nullptr, nullptr);
    return converted;
}

std::wstring FromAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring converted(static_cast<std::size_t>(std::max(needed, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, converted.data(), needed);
    return converted;
}

std::wstring BufferText(const char* buffer, std::size_t capacity, std::size_t length) {
    const std::size_t limit = std::min(capacity, length);
    const void* nul = std::memchr(buffer, '\0', limit);
    const std::size_t used = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : limit;
    return FromAnsi(std::string_view(buffer, used));
}

}  // namespace orvi
