// Late-bound use of other automation objects: creation by ProgID and calls
// by member name, with their failures turned into the component's errors.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <initializer_list>
#include <span>

#include "com_ptr.h"

namespace orvi {

// Creates an object by ProgID; raises 429 when it cannot be created.
ComPtr<IDispatch> CreateObjectByProgId(const wchar_t* progId);

// Calls `member` with the arguments in reading order (each VARIANT is passed
// as given, so a VT_BYREF one is by reference). A failure of the callee is
// raised with its own number, source and description; 438 for an unknown name.
Variant CallByName(IDispatch* object, const wchar_t* member, WORD flags, std::span<const VARIANT> arguments);
inline Variant CallByName(IDispatch* object, const wchar_t* member, WORD flags, std::initializer_list<VARIANT> arguments = {}) {
    return CallByName(object, member, flags, std::span<const VARIANT>(arguments.begin(), arguments.size()));
}

// Argument helpers.
VARIANT ByRef(VARIANT& value);          // a reference to `value`
VARIANT MissingArgument();
// Whether an argument was left out: none given, or the marker above.
inline bool IsMissingArgument(const VARIANT* value) {
    return !value || (V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND);
}              // an optional argument left out
VARIANT ObjectArgument(IDispatch* object);  // by value, not owned
VARIANT TextArgument(BSTR text);            // by value, not owned
VARIANT LongArgument(long value);

}  // namespace orvi
