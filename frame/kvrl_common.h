// basKvrlCommonA: the about box of the sibling library KvVendrel10, reached
// late-bound by ProgID, with failures reported through its error handler.
#pragma once
#include <windows.h>
#include <oaidl.h>

namespace orvi {

// Shows the about box for `properties` (the application-properties object).
// A failing step is reported through the sibling library's error handler
// and the next step runs; a failing report fails the call.
void AppAboutKvrl(IDispatch* properties);

}  // namespace orvi
