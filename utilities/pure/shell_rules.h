// The rules behind the shell, sound and timing utilities, free of the
// platform so they can be checked natively.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvi::shell {

// A number's text with zeros in front up to `width` characters; longer
// texts are kept whole.
std::wstring ZeroPad(std::wstring_view number, int width);
// "1.00.0084" for version 1.0, revision 84.
std::wstring VersionText(long major, long minor, long revision);

// The base address proposed for a random draw in [0, 1): "&H" and lower-case
// hexadecimal digits of a 64 KB multiple. Empty when the product leaves the
// signed 32-bit range (draws above about 0.99995).
std::optional<std::wstring> DllBaseAddressFor(float draw);

// The milliseconds a pause lasts: the duration times 1 or 1000, rounded
// toward minus infinity, formed in double precision from the single-precision
// value. Empty when it does not fit a signed 32-bit count.
std::optional<std::int64_t> PauseMilliseconds(float howLong, bool asMilliseconds);

// What ShellExecute's small return values mean.
struct ShellError {
    std::int32_t number;
    const wchar_t* description;
};
ShellError ShellErrorFor(std::int32_t returned);
// The show state a launch uses: a program file is hidden; a document opened
// without parameters or folder is shown normally.
int ShellShowState(std::wstring_view file, bool hasParametersOrFolder, int requested);

}  // namespace orvi::shell
