#include "ansi.h"

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "errors.h"

namespace orvi {

// Called directly, like the automation runtime: a conversion between two
// system calls must not replace the last error the first one left.

std::wstring FromAnsi(std::string_view text) {
    if (text.empty()) return {};
    if (text.size() > INT_MAX / 2) Raise(errOutOfMemory);
    const int length = static_cast<int>(text.size());
    const int needed = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    if (needed <= 0) Raise(errInvalidCall);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), needed);
    return wide;
}

std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    if (text.size() > INT_MAX / 2) Raise(errOutOfMemory);
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) Raise(errInvalidCall);
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, narrow.data(), needed, nullptr, nullptr);
    return narrow;
}

std::wstring BufferText(const char* buffer, std::size_t capacity, std::size_t length) {
    const std::size_t limit = std::min(capacity, length);
    const void* nul = std::memchr(buffer, '\0', limit);
    const std::size_t used = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : limit;
    return FromAnsi(std::string_view(buffer, used));
}

}  // namespace orvi
