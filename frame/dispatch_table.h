// An interface as late-bound calls need it, read once from its type
// information: its names for GetIDsOfNames, and for each member its kind,
// its parameters, the type of the value it yields and its vtable slot.
#pragma once
#include <windows.h>
#include <oaidl.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dispatch_slots.h"

namespace orvi {

struct ParameterPlan {
    DISPID namedId;        // the parameter's index, as named arguments give it; DISPID_PROPERTYPUT for a put's value
    VARTYPE base;          // the automation type the parameter stands for
    GUID objectInterface;  // for an object parameter, the interface the object must answer to
    bool ownInterface;     // ... when that is an interface of its own, not IDispatch or IUnknown
    bool byReference;
    bool hasDefault;
    bool optional;
    VARIANT defaultValue;  // converted to `base`; owned by the table
};

struct MemberPlan {
    DISPID id;
    INVOKEKIND kind;
    VARTYPE result;  // the automation type of the value the member yields; VT_EMPTY for none
    SlotCall call;   // null when no slot answers for it
    unsigned slot;   // its place in the vtable
    std::size_t first, count;  // where its parameters lie in the table's, while it is built
    std::span<const ParameterPlan> parameters;
};

// Names as GetIDsOfNames answers them: member names in the order the type
// information lists them (the first of a name wins), then those of the
// interfaces it derives from; each with the names of its parameters.
// Automation compares names without regard to case; the interface's names
// are ASCII, so a name holding any other character names nothing.
class NameTable {
public:
    void Add(std::wstring_view name, DISPID id, std::vector<std::wstring> parameterNames);
    // Indexes the names; nothing may be added after.
    void Seal();
    // The id of names[0] and the parameter indexes of the others; each
    // unknown name gets DISPID_UNKNOWN and the answer DISP_E_UNKNOWNNAME.
    HRESULT Find(const LPOLESTR* names, UINT count, DISPID* ids) const;

private:
    struct Entry {
        std::wstring folded;  // upper case
        DISPID id;
        std::vector<std::wstring> parameters;  // upper case
    };
    const Entry* Lookup(const wchar_t* name) const;

    std::vector<Entry> entries;
    std::vector<std::uint16_t> buckets;  // entry index + 1 by hash, open addressing; 0 for none
};

// One interface's table: its members sorted by dispatch id, all their
// parameters, and its names.
struct DispatchTable {
    std::vector<MemberPlan> members;
    std::vector<ParameterPlan> parameters;
    NameTable names;

    DispatchTable() = default;
    DispatchTable(const DispatchTable&) = delete;
    DispatchTable& operator=(const DispatchTable&) = delete;
    ~DispatchTable();

    // The member a call of `id` with `flags` reaches, or null. A property
    // read reaches a method of that id, and a method call a property read
    // (a script statement reading a property with an argument).
    const MemberPlan* Find(DISPID id, WORD flags) const;
};

// Raises when the type information cannot be read.
std::unique_ptr<DispatchTable> BuildDispatchTable(ITypeInfo* info, std::span<const Slot> slots);
void ReadNames(ITypeInfo* info, NameTable& names);

}  // namespace orvi
