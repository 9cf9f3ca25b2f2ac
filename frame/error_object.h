// An error as an automation object: Number, Source and Description, and
// also the thread's error information (IErrorInfo), so a caller that finds
// it there can read the number too.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <string_view>

#include "com_ptr.h"

namespace orvi {

ComPtr<IDispatch> MakeErrorObject(long number, std::wstring_view source, std::wstring_view description);
// Leaves an error on the calling thread without failing the call.
void LeaveErrorOnThread(long number, std::wstring_view source, std::wstring_view description);

}  // namespace orvi
