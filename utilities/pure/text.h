// Text routines of the utilities: blanks, path pieces, phonetic codes, tag
// extraction, file-name masks. Free of the platform headers; texts are
// UTF-16 as they cross the interface.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace orvi::text {

// Trims blanks at both ends and leaves no two blanks in a row (tabs kept).
std::wstring CollapseSpaces(std::wstring_view text);

// The path with its separator ("/" when it holds one, else "\") at the end;
// a non-empty `replacement` then takes the separator's place throughout.
std::wstring PathWithSeparator(std::wstring_view path, std::wstring_view replacement);

// The pieces of a path, by the values of FilePartTypes; anything else is empty.
std::wstring FilePart(std::wstring_view fullPath, std::int32_t whichPart);

// The phonetic codes tell letters by `codes`, the single-byte ANSI code of
// each character of `word` (0 where it has none): a character is the letter
// its code names after upper-casing, A to Z, so an Omega that the code page
// writes as "O" codes as O while an accented letter is no letter at all.

// Phonetic code: first letter and `accuracy` - 1 digits after clamping the
// accuracy to 4..10; `accuracy` receives the digit count.
std::wstring SoundX(std::wstring_view word, std::string_view codes, std::uint8_t& accuracy);
// Sound-alike key of `accuracy` characters (or only the digits found when
// `asNumeric`); "*****" for a negative accuracy with letters kept.
std::wstring SoundsLike(std::wstring_view word, std::string_view codes, std::int32_t accuracy, bool asNumeric);

// The text after the first `startTag` up to the next `endTag` or `startTag`,
// tags compared without regard to case; empty when `startTag` is missing.
std::wstring Extract(std::wstring_view text, std::wstring_view startTag, std::wstring_view endTag);

// Whether `path` ends in `tail` from a separator on (or is it), case
// ignored and "/" taken for "\": C:\a\sub\f.txt ends in sub\F.TXT, not in b.txt.
bool PathEndsWith(std::wstring_view path, std::wstring_view tail);

// Whether a file name matches a mask of "*" and "?" (case ignored; "*.*"
// matches every name).
bool MatchesMask(std::wstring_view name, std::wstring_view mask);

// The 38-character braced GUID text without its braces and dashes.
std::wstring GuidDigits(std::wstring_view braced);

// Letters A-Z and a-z upper-cased, other characters unchanged.
wchar_t UpperAscii(wchar_t c);
// Upper case for comparisons without regard to case: the case pairs of the
// letters the Windows single-byte code pages hold (Latin, Greek, Cyrillic),
// so Š/š, Œ/œ and Ÿ/ÿ match as they do in the ANSI code page.
wchar_t FoldCase(wchar_t c);

}  // namespace orvi::text
