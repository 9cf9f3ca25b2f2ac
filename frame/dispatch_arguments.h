// Late-bound arguments adapted before the system's dispatcher sees them:
// - an omitted optional argument with a default gets a value of its own,
//   passed by reference where the member expects a reference (the
//   dispatcher would pass the default by value even there);
// - a script variable passed by reference (a reference to a VARIANT) to a
//   typed by-reference parameter is passed as a reference to the value it
//   holds, so the member's changes reach the variable; when it holds another
//   type, a converted copy is passed instead.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <vector>

namespace orvi {

class DispatchArguments {
public:
    DispatchArguments() = default;
    DispatchArguments(const DispatchArguments&) = delete;
    DispatchArguments& operator=(const DispatchArguments&) = delete;
    ~DispatchArguments();

    // `params` adapted for member `id`, or `params` itself when nothing
    // needs to change.
    DISPPARAMS* Adapt(ITypeInfo* info, DISPID id, WORD flags, DISPPARAMS* params);

private:
    VARIANT& Own(const VARIANT& value);

    std::vector<VARIANT> values;     // defaults and converted copies, owned
    std::vector<VARIANT> arguments;  // in the dispatcher's (reversed) order
    DISPPARAMS adapted{};
};

}  // namespace orvi
