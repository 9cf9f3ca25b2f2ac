#include "pictures.h"

namespace orvi::locale {
namespace {
bool IsYear(wchar_t c) { return c == L'y' || c == L'Y'; }
}

std::wstring WithFourDigitYear(std::wstring_view picture) {
    int run = 0;
    for (wchar_t c : picture) {
        run = IsYear(c) ? run + 1 : 0;
        if (run == 4) return std::wstring(picture);
    }
    std::wstring widened;
    widened.reserve(picture.size() + 8);
    for (std::size_t i = 0; i < picture.size(); ++i) {
        if (i + 1 < picture.size() && IsYear(picture[i]) && IsYear(picture[i + 1])) {
            widened += L"YYYY";
            ++i;
        } else {
            widened += picture[i];
        }
    }
    return widened;
}

std::wstring NumberPicture(std::wstring_view thousands, std::wstring_view decimal) {
    std::wstring picture = L"##";
    picture += thousands;
    picture += L"##0";
    picture += decimal;
    picture += L"00";
    return picture;
}

}  // namespace orvi::locale
