#include "settings_names.h"

#include <cwctype>

namespace orvi::settings {

std::optional<std::wstring> ProductForModule(std::wstring_view moduleName) {
    static constexpr struct {
        const wchar_t* prefix;
        const wchar_t* product;
    } products[] = {{L"VARN", L"Varnelix"}, {L"KOLT", L"Koltavine"}, {L"RUSK", L"Ruskemar"}, {L"PELD", L"Peldoran"}};
    std::wstring head(moduleName.substr(0, 4));
    for (wchar_t& c : head) c = static_cast<wchar_t>(std::towupper(c));
    for (const auto& entry : products)
        if (head == entry.prefix) return std::wstring(entry.product);
    return std::nullopt;
}

std::wstring TrimBlanks(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    return std::wstring(text.substr(first, text.find_last_not_of(L' ') - first + 1));
}

bool IsSingleKeyName(std::wstring_view name) {
    return !name.empty() && name.find_first_of(std::wstring_view(L"\\\0", 2)) == std::wstring_view::npos;
}

bool IsSectionPath(std::wstring_view section) {
    if (section.empty()) return true;
    for (;;) {
        const size_t separator = section.find(L'\\');
        if (!IsSingleKeyName(section.substr(0, separator))) return false;
        if (separator == std::wstring_view::npos) return true;
        section.remove_prefix(separator + 1);
    }
}

bool IsValueName(std::wstring_view key) { return key.find(L'\0') == std::wstring_view::npos; }

bool IsDefaultValueMark(std::wstring_view key) { return key == L"*"; }

}  // namespace orvi::settings
