// Objects handed late-bound to a parameter typed as the automation
// Collection. Scripts have no such collection of their own, so any object
// with the collection's methods by name (a dictionary, say) serves, seen
// through that interface.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include "com_ptr.h"

namespace orvi {

// `object` as an object of the dispatchable interface `iid`: its own when it
// has one (null for null), else, for the Collection, an adapter that calls
// its methods by name. E_NOINTERFACE for any other interface it lacks.
HRESULT AsInterfaceOf(REFIID iid, IDispatch* object, ComPtr<IDispatch>& result) noexcept;

}  // namespace orvi
