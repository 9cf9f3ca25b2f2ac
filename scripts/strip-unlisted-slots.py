#!/usr/bin/env python3
"""Removes the type-library entries of vtable slots that clients must not see.

A public object field of a class takes three vtable slots: get, let and set.
The let slot exists in the vtable (and in the C++ declarations) but is not
listed in the type library. The interface description declares it as a
restricted property put of a name that also has a property putref; this
tool deletes exactly those entries from the compiled type library while
every other entry keeps its vtable offset.
"""
import struct
import sys

INVOKE_PROPERTYPUT, INVOKE_PROPERTYPUTREF = 4, 8
FUNCFLAG_FRESTRICTED = 0x1
HEADER_SIZE = 0x54
TYPEINFO_SIZE = 0x64
HELPDLL_FLAG = 0x100


def i32(data, offset):
    return struct.unpack_from('<i', data, offset)[0]


def put_i32(data, offset, value):
    struct.pack_into('<i', data, offset, value)


def strip(data):
    if data[:4] != b'MSFT':
        raise SystemExit('not a type library')
    varflags = i32(data, 0x14)
    count = i32(data, 0x20)
    position = HEADER_SIZE + (4 if varflags & HELPDLL_FLAG else 0) + 4 * count
    typeinfo_table = i32(data, position)  # first segment: the typeinfo table
    removed_total = 0
    for index in range(count):
        base = typeinfo_table + index * TYPEINFO_SIZE
        memoffset = i32(data, base + 0x04)
        elements = i32(data, base + 0x18)
        functions, variables = elements & 0xFFFF, (elements >> 16) & 0xFFFF
        if memoffset < 0 or functions == 0:
            continue
        infolen = i32(data, memoffset)
        records_start = memoffset + 4
        records = []  # (offset, length, memid, invkind, flags)
        cursor = records_start
        arrays = records_start + infolen
        total = functions + variables
        memids = [i32(data, arrays + 4 * k) for k in range(total)]
        names = [i32(data, arrays + 4 * (total + k)) for k in range(total)]
        offsets = [i32(data, arrays + 4 * (2 * total + k)) for k in range(total)]
        for k in range(total):
            length = i32(data, cursor) & 0xFFFF
            records.append((cursor, length))
            cursor += length
        putref_ids = set()
        kinds = []
        for k in range(functions):
            offset, _ = records[k]
            flags = i32(data, offset + 8)
            fkccic = i32(data, offset + 16)
            invkind = (fkccic >> 3) & 0xF
            kinds.append((invkind, flags))
            if invkind == INVOKE_PROPERTYPUTREF:
                putref_ids.add(memids[k])
        doomed = [k for k in range(functions)
                  if kinds[k][0] == INVOKE_PROPERTYPUT and kinds[k][1] & FUNCFLAG_FRESTRICTED and memids[k] in putref_ids]
        if not doomed:
            continue
        keep = [k for k in range(total) if k not in doomed]
        blob = b''.join(bytes(data[records[k][0]:records[k][0] + records[k][1]]) for k in keep)
        new_offsets, running = [], 0
        for k in keep:
            new_offsets.append(running)
            running += records[k][1]
        region = arrays - records_start
        data[records_start:arrays] = blob + b'\0' * (region - len(blob))
        new_arrays = [memids[k] for k in keep] + [names[k] for k in keep] + new_offsets
        array_bytes = struct.pack('<%di' % len(new_arrays), *new_arrays)
        old_length = 12 * total
        data[arrays:arrays + old_length] = array_bytes + b'\0' * (old_length - len(array_bytes))
        put_i32(data, base + 0x18, ((variables & 0xFFFF) << 16) | (functions - len(doomed)))
        removed_total += len(doomed)
    return removed_total


def main():
    path = sys.argv[1]
    with open(path, 'rb') as handle:
        data = bytearray(handle.read())
    strip(data)
    with open(path, 'wb') as handle:
        handle.write(data)


if __name__ == '__main__':
    main()
