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

namespace {

// The text converted with the flags given, or nothing when the system refuses.
std::optional<std::string> Narrow(unsigned codePage, std::wstring_view text, DWORD flags, BOOL* usedDefault) {
    const int length = static_cast<int>(text.size());
    const int needed = WideCharToMultiByte(codePage, flags, text.data(), length, nullptr, 0, nullptr, usedDefault);
    if (needed <= 0) return std::nullopt;
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    if (WideCharToMultiByte(codePage, flags, text.data(), length, narrow.data(), needed, nullptr, usedDefault) != needed)
        return std::nullopt;
    return narrow;
}

}  // namespace

std::optional<std::string> ExactAnsi(std::wstring_view text) { return ExactInCodePage(CP_ACP, text); }

std::optional<std::string> ExactInCodePage(unsigned codePage, std::wstring_view text) {
    if (text.empty()) return std::string();
    if (text.size() > INT_MAX / 4) return std::nullopt;
    // Best fit off, so that a missing character shows as the default one.
    BOOL usedDefault = FALSE;
    if (auto narrow = Narrow(codePage, text, WC_NO_BEST_FIT_CHARS, &usedDefault)) {
        if (usedDefault) return std::nullopt;
        return narrow;
    }
    // Refused: releases before Windows 2000 know no WC_NO_BEST_FIT_CHARS,
    // and UTF-8 (on Windows) and UTF-7 take neither it nor the default flag.
    // Converted plainly, the text must then read back as it was: UTF-8
    // loses only unpaired surrogates, a best fit never reads back.
    auto narrow = Narrow(codePage, text, 0, nullptr);
    if (!narrow) return std::nullopt;
    const int length = static_cast<int>(narrow->size());
    const int wideLength = MultiByteToWideChar(codePage, 0, narrow->data(), length, nullptr, 0);
    std::wstring back(static_cast<std::size_t>(std::max(wideLength, 0)), L'\0');
    if (wideLength <= 0 || MultiByteToWideChar(codePage, 0, narrow->data(), length, back.data(), wideLength) != wideLength ||
        back != text)
        return std::nullopt;
    return narrow;
}

std::wstring BufferText(const char* buffer, std::size_t capacity, std::size_t length) {
    const std::size_t limit = std::min(capacity, length);
    const void* nul = std::memchr(buffer, '\0', limit);
    const std::size_t used = nul ? static_cast<std::size_t>(static_cast<const char*>(nul) - buffer) : limit;
    return FromAnsi(std::string_view(buffer, used));
}

}  // namespace orvi
