#include "bios_text.h"

namespace orvi::bios {

std::wstring TrimAtNull(std::wstring_view text) {
    return std::wstring(text.substr(0, text.find(L'\0')));
}

std::string_view WithoutTerminator(std::string_view data, int terminators) {
    for (int i = 0; i < terminators && !data.empty() && data.back() == '\0'; ++i) data.remove_suffix(1);
    return data;
}

std::wstring MiddleText(std::wstring_view text, size_t start, size_t length) {
    if (start < 1 || start > text.size()) return {};
    return std::wstring(text.substr(start - 1, length));
}

VersionLines SplitVersionLines(std::wstring_view text) {
    const size_t lineBreak = text.find(L"\r\n");
    if (lineBreak == std::wstring_view::npos) return {std::wstring(text), MiddleText(text, 2, text.size())};
    return {std::wstring(text.substr(0, lineBreak)), std::wstring(text.substr(lineBreak + 2))};
}

}  // namespace orvi::bios
