// Arguments of a late-bound call (method or property get) made ready for DispInvoke: one
// argument per declared parameter, in its declared type, in positional
// order. Left-out optional parameters receive their default values (by
// reference where the parameter is by reference), named arguments are put
// in their places, and a script variable passed to a typed by-reference
// parameter is converted there and receives the member's change after the
// call, as a by-reference argument should.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <vector>

namespace orvi {

class DispatchArguments {
public:
    DispatchArguments() = default;
    ~DispatchArguments();
    DispatchArguments(const DispatchArguments&) = delete;
    DispatchArguments& operator=(const DispatchArguments&) = delete;

    // Prepares the call of member `id`. S_FALSE: nothing to prepare (not a
    // method or property get of the type information), use the
    // original arguments. A failure is the HRESULT for the caller, with
    // `argumentError` naming the argument that could not be converted.
    HRESULT Prepare(ITypeInfo* info, DISPID id, WORD flags, const DISPPARAMS* params, UINT* argumentError);
    DISPPARAMS* Params() { return &prepared; }
    // Copies the values of by-reference conversions back to the caller's variables.
    void WriteBack();

private:
    struct Returned {
        VARIANT* callerVariable;
        std::size_t temporary;
    };
    std::vector<VARIANT> temporaries;  // converted values, owned
    std::vector<VARIANT> arguments;    // what DispInvoke receives, reversed
    std::vector<Returned> returned;
    DISPPARAMS prepared{};
};

}  // namespace orvi
