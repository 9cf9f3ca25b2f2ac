#!/usr/bin/env python3
"""The vtable slots of every dual interface, in order, from the C++
declarations widl generates from the interface description.

    interface_slots.py orvilib10_h.h OUT.cpp

Every interface deriving from IDispatch gets a slot table, which
SlotTableOf(iid) finds: one entry a member function after IDispatch's seven,
each calling that function with the arguments of a late-bound call
(frame/dispatch_slots.h). The late-bound dispatcher binds each member of the type
information to its slot by the member's vtable offset, after checking the
slot's name and parameters against the member.
"""
import re
import sys


def main():
    header, out_source = sys.argv[1:3]
    text = open(header, encoding="utf-8").read()
    interfaces = []
    for m in re.finditer(r'MIDL_INTERFACE\("[^"]+"\)\s*\n(\w+) : public IDispatch\s*\n\{(.*?)\n\};', text, re.S):
        interfaces.append((m.group(1), re.findall(r"virtual HRESULT STDMETHODCALLTYPE (\w+)\(", m.group(2))))
    if not interfaces:
        sys.exit("no dual interfaces found in " + header)
    lines = ["// Generated from the interface declarations by tools/interface_slots.py: the",
             "// vtable slots of each dual interface after IDispatch's, in order.",
             '#include "dispatch_slots.h"', '#include "orvilib10_h.h"', '#include "same_guid.h"', "", "namespace orvi {",
             "namespace {"]
    for name, methods in interfaces:
        if methods:
            slots = ",\n    ".join(f"ORVI_SLOT({name}, {method})" for method in methods)
            lines += [f"constexpr Slot kSlots{name}[] = {{", f"    {slots}", "};"]
    lines += ["}  // namespace", "", "std::span<const Slot> SlotTableOf(REFIID iid) {"]
    for name, methods in interfaces:
        if methods:
            lines.append(f"    if (SameGuid(iid, __uuidof({name}))) return kSlots{name};")
    lines += ["    return {};", "}", "", "}  // namespace orvi", ""]
    open(out_source, "w").write("\n".join(lines))


if __name__ == "__main__":
    main()
