#!/usr/bin/env python3
"""Writes the size and CRC-32 of resource files as C macros, for the DLL's
check of its own resources before it hands them to the system.

    digests.py OUT.h NAME=FILE...     defines ORVI_<NAME>_SIZE and ORVI_<NAME>_CRC32
"""
import sys
import zlib


def main():
    out, *pairs = sys.argv[1:]
    lines = ["// Generated at build time: sizes and CRC-32s of the resources the DLL checks.", "#pragma once"]
    for pair in pairs:
        name, path = pair.split("=", 1)
        data = open(path, "rb").read()
        lines += [f"#define ORVI_{name}_SIZE {len(data)}u", f"#define ORVI_{name}_CRC32 0x{zlib.crc32(data):08X}u"]
    with open(out, "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
