// The application-properties object: one per thread, created on first use
// and shared by every member that hands it out or passes it on.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include "com_ptr.h"

namespace orvi {

ComPtr<IDispatch> ApplicationProperties();

}  // namespace orvi
