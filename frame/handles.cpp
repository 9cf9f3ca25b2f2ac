#include "handles.h"

#include <cmath>

#include "errors.h"

namespace orvi {

long HandleValueOf(const Variant& value, long nullError) {
    Variant converted;
    HRESULT hr = VariantChangeType(converted.Put(), const_cast<VARIANT*>(value.Get()), 0, VT_I4);
    if (SUCCEEDED(hr)) return V_I4(converted.Get());
    if (hr == DISP_E_OVERFLOW) {
        // Past the signed range: the upper half of the 32 bits, read unsigned.
        hr = VariantChangeType(converted.Put(), const_cast<VARIANT*>(value.Get()), 0, VT_R8);
        const double number = SUCCEEDED(hr) ? V_R8(converted.Get()) : -1.0;
        if (number >= 2147483648.0 && number < 4294967296.0 && number == std::floor(number))
            return static_cast<long>(static_cast<unsigned long>(number));
        Raise(errOverflow);
    }
    Raise(value.Type() == VT_NULL ? nullError : errTypeMismatch);
}

}  // namespace orvi
