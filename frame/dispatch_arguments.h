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
#include <cstddef>
#include <memory_resource>
#include <vector>

namespace orvi {

struct ParameterPlan {
    DISPID namedId;      // the parameter's index, as named arguments give it; DISPID_PROPERTYPUT for a put's value
    VARTYPE base;        // the automation type the parameter stands for; VT_EMPTY: handed on as it is
    GUID objectInterface;  // for an object parameter, the interface the object must answer to
    bool byReference;
    bool hasDefault;
    bool optional;
    VARIANT defaultValue;  // converted to `base`; owned by the plan
};

struct MemberPlan {
    DISPID id;
    INVOKEKIND kind;
    std::vector<ParameterPlan> parameters;

    MemberPlan(DISPID id, INVOKEKIND kind) : id(id), kind(kind) {}
    MemberPlan(MemberPlan&&) noexcept;
    MemberPlan& operator=(MemberPlan&&) noexcept;
    MemberPlan(const MemberPlan&) = delete;
    MemberPlan& operator=(const MemberPlan&) = delete;
    ~MemberPlan();
};

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
    std::atomic<const std::vector<MemberPlan>*> published{nullptr};
};

// The shape of the call itself: flags automation defines, and counts and
// pointers that agree with each other. Checked before anything is read.
HRESULT CheckCallShape(WORD flags, const DISPPARAMS* params, UINT* argumentError);

class DispatchArguments {
public:
    DispatchArguments() = default;
    ~DispatchArguments();
    DispatchArguments(const DispatchArguments&) = delete;
    DispatchArguments& operator=(const DispatchArguments&) = delete;

    // Prepares a call by its member's plan. A failure is the HRESULT for
    // the caller, with `argumentError` naming the argument at fault.
    HRESULT Prepare(const MemberPlan& plan, const DISPPARAMS& params, UINT* argumentError);
    DISPPARAMS* Params() { return &prepared; }
    // Hands the member's changes of converted by-reference copies to the
    // caller's variables.
    void WriteBack();

private:
    // A caller's variable behind a converted by-reference copy.
    struct Returned {
        VARIANT* callerVariable;  // VT_VARIANT|VT_BYREF's target, or a typed reference
        std::size_t temporary;
        VARIANT before;           // the copy as the member received it
        bool ownsBefore;          // `before` holds its own text
    };
    HRESULT Supply(const ParameterPlan& parameter, const VARIANT* supplied, VARIANT& argument);

    // A call's few arguments live in the object itself; the heap is used
    // only past that.
    alignas(std::max_align_t) std::byte storage[1024];
    std::pmr::monotonic_buffer_resource arena{storage, sizeof storage};
    std::pmr::vector<VARIANT> temporaries{&arena};  // converted values, owned
    std::pmr::vector<VARIANT> arguments{&arena};    // what DispInvoke receives, reversed
    std::pmr::vector<Returned> returned{&arena};
    DISPID putValue = DISPID_PROPERTYPUT;
    DISPPARAMS prepared{};
};

}  // namespace orvi
