// The service-pack number inside a version record's service-pack text.
// Free of the platform headers.
#pragma once
#include <string_view>

namespace orvi::metrics {

// Removes every "Service Pack" (any letter case) and reads the number that
// starts what remains, as Basic's Val would: leading blanks skipped, digits
// with an optional fraction, anything else ends it. No number gives 0, so
// "Service Pack 6a" gives 6 and an empty text 0.
double ServicePackNumber(std::wstring_view text);

}  // namespace orvi::metrics
