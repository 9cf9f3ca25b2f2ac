#include "ansi.h"

#include <windows.h>

#include "errors.h"
#include "frame/ansi.h"

namespace orvi::ansi {

std::wstring RoundTrip(std::wstring_view text) { return FromAnsi(ToAnsi(text)); }

std::string CharacterCodes(std::wstring_view text) {
    std::string codes(text.size(), '\0');
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] < 0x80) {  // the same in every ANSI code page
            codes[i] = static_cast<char>(text[i]);
            continue;
        }
        char bytes[2] = {};
        if (WideCharToMultiByte(CP_ACP, 0, &text[i], 1, bytes, 2, nullptr, nullptr) == 1) codes[i] = bytes[0];
    }
    return codes;
}

std::optional<std::string> NameForSystem(std::wstring_view name) {
    if (name.find(L'\0') != std::wstring_view::npos) Raise(errInvalidCall);
    return ExactAnsi(name);
}

std::string FileName(std::wstring_view name) {
    if (auto converted = NameForSystem(name)) return *converted;
    Raise(errFileNotFound);
}

}  // namespace orvi::ansi
