#include "ansi.h"

#include "errors.h"
#include "frame/ansi.h"

namespace orvi::ansi {

std::wstring RoundTrip(std::wstring_view text) { return FromAnsi(ToAnsi(text)); }

std::string FileName(std::wstring_view name) {
    if (name.find(L'\0') != std::wstring_view::npos) Raise(errInvalidCall);
    return ToAnsi(name);
}

}  // namespace orvi::ansi
