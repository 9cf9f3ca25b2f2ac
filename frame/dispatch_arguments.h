// Arguments of a late-bound call made ready for DispInvoke: one argument
// per declared parameter, exactly in its declared type, in positional order.
// Left-out optional parameters receive their default values, named
// arguments are put in their places, numbers are range-checked here (the
// platform's coercion wraps NaN and out-of-range values on some releases),
// and whatever a hostile caller can put into DISPPARAMS is answered with
// the dispatcher's error codes before anything is dereferenced.
//
// A by-reference argument reaches the member as a reference to the
// caller's own variable where that holds the parameter's type. Otherwise
// the member gets a converted copy, and the caller's variable changes only
// if the member changed that copy: converted back to the variable's own
// type where it can hold the value, else in the parameter's type.
//
// What the members' parameters are is read from the type information once
// per class (MemberPlans), so a call does no type-information walk.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <atomic>

namespace orvi {

struct MemberPlan;
struct PlanTable;

// The plans of every member of one interface. The first call builds them
// all and publishes them with one interlocked exchange, so reading needs no
// lock (the component must load on releases without slim locks).
class MemberPlans {
public:
    constexpr MemberPlans() = default;
    ~MemberPlans();
    MemberPlans(const MemberPlans&) = delete;
    MemberPlans& operator=(const MemberPlans&) = delete;

    // The member a call of `id` with `flags` reaches, or null. A property
    // read reaches a method of that id, and a method call a property read
    // (a script statement reading a property with an argument).
    const MemberPlan* Find(ITypeInfo* info, DISPID id, WORD flags);

private:
    std::atomic<const PlanTable*> published{nullptr};
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

// IDispatch of every class, out of the class template so that each class
// carries only a call into it: the call's shape checked, its member found
// by plan and called as the kind it is, through DispInvoke with the
// arguments made ready. A failed call hands back no value. `loaded` is the
// outcome of loading `info`.
HRESULT InvokeThroughTypeInfo(const LateBoundCall& call, ITypeInfo* info, HRESULT loaded, REFIID iid, MemberPlans& plans);
HRESULT NamesThroughTypeInfo(ITypeInfo* info, HRESULT loaded, REFIID iid, LPOLESTR* names, UINT count, DISPID* ids);

}  // namespace orvi
