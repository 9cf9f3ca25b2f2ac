#include "ansi_text.h"

#include <windows.h>

#include "system_function.h"

namespace orvi {
namespace {
const SystemFunction<decltype(&::WideCharToMultiByte)> wideCharToMultiByte{"kernel32.dll", "WideCharToMultiByte"};
const SystemFunction<decltype(&::MultiByteToWideChar)> multiByteToWideChar{"kernel32.dll", "MultiByteToWideChar"};
}  // namespace

std::string ToAnsi(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = wideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string converted(static_cast<size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) wideCharToMultiByte(CP_ACP, 0, text.data(), length, converted.data(), size, nullptr, nullptr);
    return converted;
}

std::wstring FromAnsi(std::string_view text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = multiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring converted(static_cast<size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0) multiByteToWideChar(CP_ACP, 0, text.data(), length, converted.data(), size);
    return converted;
}

}  // namespace orvi
