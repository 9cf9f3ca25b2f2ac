// What the type library must hold: the external interface, written out
// from the published layout, one table per interface, class and enumeration.
#pragma once
#include <windows.h>

#include <vector>

namespace orvi::test::layout {

struct Member {
    const wchar_t* name;
    const wchar_t* kind;  // method, get, let, set
    long dispatchId;
    // An accessor preceded by a vtable slot the type library does not list.
    bool afterUnlistedSlot = false;
};
struct Interface {
    const wchar_t* name;
    const IID* iid;
    std::vector<Member> members;
};
struct Class {
    const wchar_t* name;
    const CLSID* clsid;
    const IID* iid;
};
struct Value {
    const wchar_t* name;
    long value;
};
struct Enumeration {
    const wchar_t* name;
    GUID guid;
    std::vector<Value> values;
};

std::vector<Interface> Interfaces();
std::vector<Class> Classes();
std::vector<Enumeration> Enumerations();

}  // namespace orvi::test::layout
