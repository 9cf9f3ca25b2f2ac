// Type information built at run time for the dual interface of an internal
// class, which the type library does not describe: enough for IDispatch
// to reach its members by name.
#pragma once
#include <windows.h>
#include <oaidl.h>
#include <initializer_list>
#include <span>

#include "com_ptr.h"

namespace orvi {

struct ParameterDescription {
    const wchar_t* name;
    VARTYPE type;
};

// One vtable slot after IDispatch's seven, in slot order. `result` is the
// type of the [out, retval] parameter, VT_EMPTY for none.
struct MemberDescription {
    const wchar_t* name;
    DISPID id;
    INVOKEKIND kind;
    std::initializer_list<ParameterDescription> parameters;
    VARTYPE result;
};

// Raises on failure.
ComPtr<ITypeInfo> BuildDualTypeInfo(const IID& iid, const wchar_t* name, std::span<const MemberDescription> members);

}  // namespace orvi
