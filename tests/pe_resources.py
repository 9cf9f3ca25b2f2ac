#!/usr/bin/env python3
"""Checks the resources of a built DLL without running it (so also on a host
that cannot execute the 32-bit file):

    pe_resources.py DLL GENERATED_DIR 32|64

- the embedded type libraries (the public one, the internal one) are byte
  for byte those the build generated for this bitness, and say so in their
  headers (SYS_WIN32 or SYS_WIN64);
- the embedded registration script is the generated one, for this bitness;
- the version block carries the version of frame/resource_ids.h, the DLL's
  file names and the self-registration marker.
"""
import os
import re
import struct
import sys

RT_VERSION = 16
SYSKIND = {"32": 1, "64": 3}  # SYS_WIN32, SYS_WIN64


def u16(data, at):
    return struct.unpack_from("<H", data, at)[0]


def u32(data, at):
    return struct.unpack_from("<I", data, at)[0]


class Image:
    def __init__(self, data):
        self.data = data
        pe = u32(data, 0x3C)
        if data[pe:pe + 4] != b"PE\0\0":
            sys.exit("not a PE file")
        sections, optional_size = u16(data, pe + 6), u16(data, pe + 20)
        optional = pe + 24
        directories = optional + (96 if u16(data, optional) == 0x10B else 112)
        self.resource_rva = u32(data, directories + 2 * 8)
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            at = table + 40 * i
            size, rva, raw_size, raw = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        sys.exit(f"RVA {rva:#x} is in no section")

    def entries(self, directory):
        """(name or id, offset of subdirectory or data entry, is directory)."""
        base = self.offset(self.resource_rva)
        at = base + directory
        count = u16(self.data, at + 12) + u16(self.data, at + 14)
        for i in range(count):
            name, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
            if name & 0x80000000:
                text = base + (name & 0x7FFFFFFF)
                name = self.data[text + 2:text + 2 + 2 * u16(self.data, text)].decode("utf-16-le")
            yield name, target & 0x7FFFFFFF, bool(target & 0x80000000)

    def resource(self, kind, ident):
        """The bytes of the first language of resource `kind`/`ident`."""
        for name, target, _ in self.entries(0):
            if name != kind:
                continue
            for second, sub, _ in self.entries(target):
                if second != ident:
                    continue
                for _, leaf, _ in self.entries(sub):
                    entry = self.offset(self.resource_rva) + leaf
                    rva, size = u32(self.data, entry), u32(self.data, entry + 4)
                    start = self.offset(rva)
                    return self.data[start:start + size]
        return None


def version_block(data):
    """(fixed file version, {string name: value}) of a VS_VERSIONINFO."""
    strings = {}

    def walk(at, end):
        while at + 6 <= end:
            length, value_length, kind = struct.unpack_from("<HHH", data, at)
            if length == 0:
                return None
            key_end = at + 6
            while data[key_end:key_end + 2] != b"\0\0":
                key_end += 2
            key = data[at + 6:key_end].decode("utf-16-le")
            value = (key_end + 2 + 3) & ~3
            if key == "VS_VERSION_INFO":
                fixed = struct.unpack_from("<IIII", data, value)
                walk((value + value_length + 3) & ~3, at + length)
                version = (fixed[2] >> 16, fixed[2] & 0xFFFF, fixed[3] >> 16, fixed[3] & 0xFFFF)
                return version if fixed[0] == 0xFEEF04BD else None
            if kind == 1 and key not in ("StringFileInfo", "VarFileInfo") and not re.fullmatch(r"[0-9a-fA-F]{8}", key):
                strings[key] = data[value:value + 2 * value_length].decode("utf-16-le").rstrip("\0")
            else:
                walk((value + (value_length if kind == 0 else 2 * value_length) + 3) & ~3, at + length)
            at = (at + length + 3) & ~3
        return None

    return walk(0, len(data)), strings


def main():
    dll, generated, bits = sys.argv[1:4]
    image = Image(open(dll, "rb").read())
    failures = []

    for ident, name in ((1, "orvilib10.tlb"), (2, "orvilib10_internal.tlb")):
        library = image.resource("TYPELIB", ident)
        if library != open(os.path.join(generated, name), "rb").read():
            failures.append(f"the embedded type library {ident} is not the generated {name}")
        elif library[:4] != b"MSFT" or u32(library, 0x14) & 0xF != SYSKIND[bits]:
            failures.append(f"the type library {ident} is not a {bits}-bit one")
    library = image.resource("TYPELIB", 1) or b""

    script = image.resource("REGISTRY", 1)
    if script != open(os.path.join(generated, "orvilib10.rgs"), "rb").read():
        failures.append("the embedded registration script is not the generated one")
    elif f"win{bits}".encode() not in script:
        failures.append(f"the registration script is not for win{bits}")

    ids = open(os.path.join(os.path.dirname(__file__), "..", "frame", "resource_ids.h")).read()
    binary = tuple(int(n) for n in re.search(r"ORVI_VERSION_BINARY ([\d, ]+)", ids).group(1).split(","))
    text = re.search(r'ORVI_VERSION_TEXT "([^"]+)"', ids).group(1)
    block = image.resource(RT_VERSION, 1)
    version, strings = version_block(block) if block else (None, {})
    if version != binary:
        failures.append(f"file version {version}, not {binary}")
    wanted = {"FileVersion": text, "ProductVersion": text, "InternalName": "orvilib10",
              "OriginalFilename": "orvilib10.dll", "OLESelfRegister": ""}
    for name, value in wanted.items():
        if strings.get(name) != value:
            failures.append(f"version text {name} is {strings.get(name)!r}, not {value!r}")

    for failure in failures:
        print(f"FAIL: {dll}: {failure}")
    if not failures:
        print(f"ok: {dll}: type library ({len(library)} bytes, SYS_WIN{bits}), registration script "
              f"({len(script)} bytes) and version {text} as built")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
