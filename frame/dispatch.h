// IDispatch of every class, out of the class template so that each class
// carries only a call into it. Names and members come from a table of the
// interface's own, built once per class from its type information
// (dispatch_table.h); a call then reads no type information: its member is
// found by dispatch id, its arguments are made ready in exactly the member's
// parameter types (dispatch_arguments.h), and the member is called through
// its vtable slot (dispatch_slots.h).
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <span>

#include "dispatch_slots.h"

namespace orvi {

struct DispatchTable;

// One interface's table, built at the first late-bound use and published
// with one interlocked exchange, so reading needs no lock (the component
// must load on releases without slim locks).
class InterfaceDispatch {
public:
    constexpr InterfaceDispatch() = default;
    ~InterfaceDispatch();
    InterfaceDispatch(const InterfaceDispatch&) = delete;
    InterfaceDispatch& operator=(const InterfaceDispatch&) = delete;

    const DispatchTable* Published() const { return published.load(std::memory_order_acquire); }
    // The table, built from `info` and the interface's slots if it is not
    // yet; null with `failure` set when it cannot be.
    const DispatchTable* Build(ITypeInfo* info, std::span<const Slot> slots, HRESULT& failure) noexcept;

private:
    std::atomic<const DispatchTable*> published{nullptr};
};

// One IDispatch::Invoke as the caller made it.
struct LateBoundCall {
    IDispatch* object;
    DISPID id;
    WORD flags;
    DISPPARAMS* params;
    VARIANT* result;
    EXCEPINFO* exception;
    UINT* argumentError;
};

// `table` is null when `loaded` tells why there is none. A failed call
// hands back no value.
HRESULT InvokeMember(const LateBoundCall& call, const DispatchTable* table, HRESULT loaded, REFIID iid) noexcept;
HRESULT IdsOfNames(const DispatchTable* table, HRESULT loaded, REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) noexcept;

}  // namespace orvi
