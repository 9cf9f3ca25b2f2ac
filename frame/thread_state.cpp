#include "thread_state.h"

#include <memory>
#include <utility>

namespace orvi {
namespace {

// Plain pointers so the thread-local storage needs no destructor of its own.
thread_local ThreadState* state = nullptr;
thread_local long threadObjects = 0;

}  // namespace

ThreadState& CurrentThreadState() {
    if (!state) state = std::make_unique<ThreadState>().release();
    return *state;
}

void ThreadObjectCreated() { ++threadObjects; }

void ThreadObjectDestroyed() {
    if (--threadObjects > 0 || !state) return;
    // Only objects that do not count (the application-properties object)
    // or foreign ones can be held here, so releasing them cannot re-enter.
    std::unique_ptr<ThreadState>(std::exchange(state, nullptr)).reset();
}

}  // namespace orvi
