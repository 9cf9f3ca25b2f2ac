#include "ansi.h"

#include <windows.h>

#include <climits>

#include "errors.h"
#include "system_function.h"

namespace orvi::ansi {
namespace {
const SystemFunction<decltype(&::WideCharToMultiByte)> wideCharToMultiByte{"kernel32.dll", "WideCharToMultiByte"};
const SystemFunction<decltype(&::MultiByteToWideChar)> multiByteToWideChar{"kernel32.dll", "MultiByteToWideChar"};
}  // namespace

std::string Narrow(std::wstring_view text) {
    if (text.empty()) return {};
    if (text.size() > INT_MAX / 2) Raise(errOutOfMemory);
    const int length = static_cast<int>(text.size());
    const int needed = wideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) Raise(errInvalidCall);
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    wideCharToMultiByte(CP_ACP, 0, text.data(), length, bytes.data(), needed, nullptr, nullptr);
    return bytes;
}

std::wstring Widen(std::string_view bytes) {
    if (bytes.empty()) return {};
    if (bytes.size() > INT_MAX / 2) Raise(errOutOfMemory);
    const int length = static_cast<int>(bytes.size());
    const int needed = multiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    if (needed <= 0) Raise(errInvalidCall);
    std::wstring text(static_cast<std::size_t>(needed), L'\0');
    multiByteToWideChar(CP_ACP, 0, bytes.data(), length, text.data(), needed);
    return text;
}

std::wstring RoundTrip(std::wstring_view text) { return Widen(Narrow(text)); }

std::string FileName(std::wstring_view name) {
    if (name.find(L'\0') != std::wstring_view::npos) Raise(errInvalidCall);
    return Narrow(name);
}

}  // namespace orvi::ansi
