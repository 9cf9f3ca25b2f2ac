#!/usr/bin/env python3
"""The registration script of one DLL as a side-by-side assembly manifest,
for applications that ship the DLL in their own folder and register nothing.

    manifest.py SCRIPT VERSION_HEADER ASSEMBLY_NAME DLL_NAME OUT.manifest

The manifest names the DLL as the assembly's file and holds, from the
script, each class with its ProgID, threading model and type library, the
type library, and each interface with its marshaller. Its version is the
DLL's own (ORVI_VERSION_BINARY in VERSION_HEADER), and its processor
architecture follows the platform key of the script's type library entry.
"""
import os
import re
import sys
from xml.sax.saxutils import quoteattr

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from script import values  # noqa: E402

ARCHITECTURES = {"win32": "x86", "win64": "amd64"}
GUID = r"(\{[0-9A-Fa-f-]{36}\})"
MODULE = "\x01"  # stands for the DLL's path, which the manifest names by its file element


def element(tag, **attributes):
    return f"<{tag}" + "".join(f" {k}={quoteattr(v)}" for k, v in attributes.items()) + "/>"


def main():
    script, version_header, assembly, dll_name, out = sys.argv[1:6]
    version = re.search(r"#define\s+ORVI_VERSION_BINARY\s+(\d+)\s*,\s*(\d+)\s*,\s*(\d+)\s*,\s*(\d+)",
                        open(version_header, encoding="utf-8").read())
    if not version:
        sys.exit(f"no ORVI_VERSION_BINARY in {version_header}")
    keys = {}
    for key, name, data in values(open(script, encoding="utf-8").read(), MODULE):
        keys.setdefault(key, {})[name] = data

    def value(key, name=None):
        if key not in keys or name not in keys[key]:
            sys.exit(f"registration script: no {name or 'default'} value in {key}")
        return keys[key][name]

    classes, libraries, interfaces, platforms = [], [], [], set()
    for key, entries in keys.items():
        if m := re.fullmatch(rf"CLSID\\{GUID}\\InprocServer32", key, re.I):
            if entries.get(None) != MODULE:
                continue
            clsid = m.group(1)
            classes.append(element("comClass", clsid=clsid, progid=value(f"CLSID\\{clsid}\\ProgID"),
                                   threadingModel=value(key, "ThreadingModel"),
                                   tlbid=value(f"CLSID\\{clsid}\\TypeLib")))
        elif m := re.fullmatch(rf"TypeLib\\{GUID}\\([\d.]+)\\[0-9a-f]+\\(win32|win64)", key, re.I):
            platforms.add(m.group(3).lower())
            # The help folder is the DLL's, which an assembly names as "".
            libraries.append(element("typelib", tlbid=m.group(1), version=m.group(2), helpdir=""))
        elif m := re.fullmatch(rf"Interface\\{GUID}", key, re.I):
            iid = m.group(1)
            interfaces.append(element("comInterfaceExternalProxyStub", iid=iid, name=value(key),
                                      tlbid=value(f"{key}\\TypeLib"),
                                      proxyStubClsid32=value(f"{key}\\ProxyStubClsid32")))
    if len(platforms) != 1 or not classes or len(libraries) != 1:
        sys.exit("registration script: expected classes and one type library of one platform")

    identity = element("assemblyIdentity", type="win32", name=assembly, version=".".join(version.groups()),
                       processorArchitecture=ARCHITECTURES[platforms.pop()])
    lines = ['<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
             "<!-- Generated from the DLL's registration script: what registration would write,",
             "     for applications that keep the DLL and this file in their own folder. -->",
             '<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">',
             f"  {identity}",
             f"  <file name={quoteattr(dll_name)}>"]
    lines += [f"    {e}" for e in classes + libraries]
    lines += ["  </file>"] + [f"  {e}" for e in interfaces] + ["</assembly>"]
    with open(out, "w", encoding="utf-8", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
