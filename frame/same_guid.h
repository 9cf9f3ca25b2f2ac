// GUIDs compared without a call into the C runtime's memcmp: the
// comparison runs in every QueryInterface and every late-bound call.
#pragma once
#include <guiddef.h>

#include <cstdint>
#include <cstring>

namespace orvi {

inline bool SameGuid(const GUID& a, const GUID& b) {
    std::uint64_t x[2], y[2];
    std::memcpy(x, &a, sizeof x);
    std::memcpy(y, &b, sizeof y);
    return ((x[0] ^ y[0]) | (x[1] ^ y[1])) == 0;
}

}  // namespace orvi
