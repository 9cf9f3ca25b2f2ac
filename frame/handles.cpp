#include "handles.h"

#include <cmath>

#include "errors.h"
#include "pure/numeric.h"

namespace orvi {

long HandleValueOf(const Variant& value, long nullError) {
    if (value.Type() == VT_NULL) Raise(nullError);
    // The number is checked here, not left to the platform's coercion to a
    // Long, which turns NaN into 2147483647 on some releases.
    Variant number;
    const HRESULT hr = VariantChangeType(number.Put(), const_cast<VARIANT*>(value.Get()), 0, VT_R8);
    if (hr == DISP_E_OVERFLOW) Raise(errOverflow);
    if (FAILED(hr)) Raise(errTypeMismatch);
    const double given = V_R8(number.Get());
    // Past the signed range: the upper half of the 32 bits, read unsigned.
    if (given >= 2147483648.0 && given < 4294967296.0 && given == std::floor(given))
        return static_cast<long>(static_cast<unsigned long>(given));
    // Rounded to even as a Long takes it; NaN and infinities are no handle.
    const auto rounded = numeric::RoundWithin(given, -2147483647LL - 1, 2147483647LL);
    if (!rounded) Raise(errOverflow);
    return static_cast<long>(*rounded);
}

}  // namespace orvi
