// What the type library must hold: the external interface, written out
// from the published layout, one table per interface, class and enumeration.
#pragma once
#include <windows.h>

#include <vector>

namespace orvi::test::layout {

// Parameters, in order and separated by ", ", each written
//     [&]name:Type[?][=default]
// & by reference (in/out), ? optional, texts in single quotes. The value a
// property let or set receives is named value. Types are the automation
// names (Long, String, Object...), String() an array of texts, or the
// type library's own type names.
struct Member {
    const wchar_t* name;
    const wchar_t* kind;  // method, get, let, set
    long dispatchId;
    const wchar_t* result = L"";  // empty: none
    const wchar_t* parameters = L"";
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
