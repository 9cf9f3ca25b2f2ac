// Window handles, device contexts and icons cross the interface as 32-bit
// values. Every release keeps its handles within 32 significant bits, so
// that 32- and 64-bit processes can share them; a 64-bit process widens one
// with its sign.
#pragma once
#include <windows.h>

#include "com_ptr.h"

namespace orvi {

template <class Handle>
Handle HandleFrom(long value) {
    return reinterpret_cast<Handle>(static_cast<LONG_PTR>(value));
}

// The 32-bit value of a handle that an automation value carries (a form's
// HDC): a Long, or the same 32 bits as an unsigned number, as the 64-bit
// integer of a 64-bit host or as a Double. Raises 6 for a number beyond 32
// bits, `nullError` for Null and 13 for what is no number.
long HandleValueOf(const Variant& value, long nullError);

}  // namespace orvi
