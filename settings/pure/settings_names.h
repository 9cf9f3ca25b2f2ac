// Names of the settings store: defaults, trimming and the checks that keep
// every registry operation inside the application's own key.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace orvi::settings {

inline constexpr wchar_t kDefaultCompany[] = L"Zandrel";

// The product whose settings a component file belongs to, by the first
// four letters of its name; nothing when it is none of ours.
std::optional<std::wstring> ProductForModule(std::wstring_view moduleName);

// Without leading and trailing blanks.
std::wstring TrimBlanks(std::wstring_view text);

// One key name: not empty, no backslash, no NUL.
bool IsSingleKeyName(std::wstring_view name);
// A section: empty (the application's own key) or key names joined by
// single backslashes; no empty name inside, before or after.
bool IsSectionPath(std::wstring_view section);
// A value name: anything without a NUL ("*" and the empty name both mean
// the default value).
bool IsValueName(std::wstring_view key);
// Whether a key name stands for the default value.
bool IsDefaultValueMark(std::wstring_view key);

}  // namespace orvi::settings
