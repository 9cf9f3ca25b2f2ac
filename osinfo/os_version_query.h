// The OS version query the version records, the summary, the
// classification and the machine-information class run on their own.
#pragma once
#include <windows.h>

namespace orvi {

// Clears a 148-byte record, sets its size and asks GetVersionExA. The
// call's result is ignored: a failed call leaves zeros.
OSVERSIONINFOA QueryOsVersion();

}  // namespace orvi
