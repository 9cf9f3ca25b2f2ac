// A late-bound call's arguments made ready for its member: one argument per
// declared parameter, exactly in its declared type, in positional order.
// Left-out optional parameters receive their default values, named
// arguments are put in their places, and numbers are range-checked here
// (the platform's coercion wraps NaN and out-of-range values on some
// releases).
//
// A by-reference argument reaches the member as a reference to the
// caller's own variable where that holds the parameter's type. Otherwise
// the member gets a converted copy, and the caller's variable changes only
// if the member changed that copy: converted back to the variable's own
// type where it can hold the value, else in the parameter's type.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <vector>

#include "dispatch_table.h"

namespace orvi {

// A reference to a caller's own Variant.
inline constexpr VARTYPE kVariantReference = VT_VARIANT | VT_BYREF;

// A vector of plain values whose first N live in the vector itself, so a
// call's few arguments need no heap. Elements stay where they are as long
// as the vector grows only within what was reserved.
template <class T, std::size_t N>
class SmallVector {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    SmallVector() = default;
    SmallVector(const SmallVector&) = delete;
    SmallVector& operator=(const SmallVector&) = delete;

    void reserve(std::size_t wanted) {
        if (wanted <= capacity) return;
        std::vector<T> larger(wanted);
        std::copy(items, items + count, larger.begin());
        spilled = std::move(larger);
        items = spilled.data();
        capacity = wanted;
    }
    void resize(std::size_t wanted) {
        reserve(wanted);
        count = wanted;
    }
    T& emplace_back(const T& value) {
        if (count == capacity) reserve(2 * capacity);
        return items[count++] = value;
    }
    void push_back(const T& value) { emplace_back(value); }
    void pop_back() { --count; }
    T& operator[](std::size_t index) { return items[index]; }
    T* data() { return items; }
    std::size_t size() const { return count; }
    T* begin() { return items; }
    T* end() { return items + count; }

private:
    T own[N];  // left uninitialised: only what was put in is read
    std::vector<T> spilled;
    T* items = own;
    std::size_t count = 0, capacity = N;
};

// One call's arguments, made ready by its member's plan.
class DispatchArguments {
public:
    DispatchArguments() = default;
    ~DispatchArguments();
    DispatchArguments(const DispatchArguments&) = delete;
    DispatchArguments& operator=(const DispatchArguments&) = delete;

    // Prepares a call by its member's plan. A failure is the HRESULT for
    // the caller, with `argumentError` naming the argument at fault.
    HRESULT Prepare(const MemberPlan& plan, const DISPPARAMS& params, UINT* argumentError);
    // One argument a parameter, exactly of the parameter's type, by
    // reference where it is one, in reverse order as DISPPARAMS holds them.
    VARIANT* Arguments() { return arguments.data(); }
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

    // Room for the parameters of any member the component has; more would
    // go to the heap.
    static constexpr std::size_t kParameters = 12;
    SmallVector<VARIANT, kParameters> temporaries;  // converted values, owned
    SmallVector<VARIANT, kParameters> arguments;    // what the member receives, reversed
    SmallVector<Returned, kParameters> returned;
};

}  // namespace orvi
