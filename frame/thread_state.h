// Module state that exists once per thread using the component. It lives
// while the thread has objects of the component and is released, on that
// thread, when its last one goes.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <optional>
#include <string>

#include "com_ptr.h"

namespace orvi {

struct ThreadState {
    ComPtr<IDispatch> applicationProperties;
    ComPtr<IDispatch> buddyObject;
    std::optional<std::wstring> componentName;
};

ThreadState& CurrentThreadState();

// Objects the thread's clients hold keep the thread's state alive.
void ThreadObjectCreated();
void ThreadObjectDestroyed();

}  // namespace orvi
