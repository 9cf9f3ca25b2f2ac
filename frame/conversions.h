// Checked numeric conversions: the overflow error (6) where a value does not fit.
#pragma once
#include <cstdint>

#include "errors.h"
#include "pure/numeric.h"

namespace orvi {

inline std::int32_t ToLong(double value) {
    if (auto rounded = numeric::RoundToLong(value)) return *rounded;
    Raise(errOverflow);
}
inline std::int16_t ToInteger(double value) {
    if (auto rounded = numeric::RoundToInteger(value)) return *rounded;
    Raise(errOverflow);
}
inline std::int16_t ToInteger(std::int32_t value) {
    if (auto narrowed = numeric::NarrowToInteger(value)) return *narrowed;
    Raise(errOverflow);
}

}  // namespace orvi
