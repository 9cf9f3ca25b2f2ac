// Arguments of a late-bound call (method or property get) made ready for DispInvoke: one
// argument per declared parameter, in its declared type, in positional
// order. Left-out optional parameters receive their default values (by
// reference where the parameter is by reference), named arguments are put
// in their places, and a script variable passed to a typed by-reference
// parameter is converted there and receives the member's change after the
// call, as a by-reference argument should.
//
// What a member's parameters are is read from the type information once per
// class and member (a MemberPlan), so a call does no type-information walk.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <map>
#include <memory_resource>
#include <utility>
#include <vector>

namespace orvi {

struct ParameterPlan {
    DISPID namedId;      // the parameter's index, as named arguments give it
    VARTYPE base;        // the automation type the parameter stands for
    bool byReference;
    bool hasDefault;
    bool optional;
    VARIANT defaultValue;  // converted to `base`; owned by the plan
    IID objectInterface;   // for an object typed by an interface; else GUID_NULL
};

struct MemberPlan {
    // False: the member is not a method or property get of the type
    // information, or takes a parameter left to DispInvoke as it is.
    bool prepares = false;
    std::vector<ParameterPlan> parameters;

    MemberPlan() = default;
    MemberPlan(MemberPlan&&) noexcept;
    MemberPlan(const MemberPlan&) = delete;
    MemberPlan& operator=(const MemberPlan&) = delete;
    ~MemberPlan();
};

// One class's plans, filled as members are first called; safe across threads.
class MemberPlans {
public:
    const MemberPlan& Find(ITypeInfo* info, DISPID id, WORD flags);

private:
    SRWLOCK lock = SRWLOCK_INIT;
    std::map<std::pair<DISPID, WORD>, MemberPlan> plans;
};

class DispatchArguments {
public:
    DispatchArguments() = default;
    ~DispatchArguments();
    DispatchArguments(const DispatchArguments&) = delete;
    DispatchArguments& operator=(const DispatchArguments&) = delete;

    // Prepares a call by its member's plan. S_FALSE: nothing to prepare,
    // use the original arguments. A failure is the HRESULT for the caller,
    // with `argumentError` naming the argument that could not be converted.
    HRESULT Prepare(const MemberPlan& plan, const DISPPARAMS* params, UINT* argumentError);
    DISPPARAMS* Params() { return &prepared; }
    // Copies the values of by-reference conversions back to the caller's variables.
    void WriteBack();

private:
    struct Returned {
        VARIANT* callerVariable;
        std::size_t temporary;
    };
    // A call's few arguments live in the object itself; the heap is used
    // only past that.
    alignas(std::max_align_t) std::byte storage[768];
    std::pmr::monotonic_buffer_resource arena{storage, sizeof storage};
    std::pmr::vector<VARIANT> temporaries{&arena};  // converted values, owned
    std::pmr::vector<VARIANT> arguments{&arena};    // what DispInvoke receives, reversed
    std::pmr::vector<Returned> returned{&arena};
    DISPPARAMS prepared{};
};

}  // namespace orvi
