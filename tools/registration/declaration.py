#!/usr/bin/env python3
"""The component's registration, declared once: generated from the interface
description into a registration script (the registrar's .rgs form).

    declaration.py PREPROCESSED.idl win32|win64 OUT.rgs OUT_PROGIDS.h

PREPROCESSED.idl is `widl -E` of typelib/orvilib10.idl. The script holds
every key and value a registration of the DLL writes under
HKEY_CLASSES_ROOT: each coclass of the library with its ProgID and
threading model (the coclass's own `progid` and `threading` attributes),
and the library's `TypeLib` and `Interface` keys as the system's type
library registration writes them. %MODULE% stands for the DLL's path and
%MODULE_DIR% for its folder. The DLL embeds the script and registers from
it; the installer package and the assembly manifests are generated from it.

OUT_PROGIDS.h gives the C++ classes their declared ProgIDs.
"""
import re
import sys

# The system's marshaller of automation interfaces (the type library's own).
AUTOMATION_MARSHALLER = "{00020424-0000-0000-C000-000000000046}"
# Libraries that widl writes carry their disk image flag, which the type
# library registration writes among the library's flags.
LIBFLAG_FHASDISKIMAGE = 8
LIBFLAGS = {"restricted": 1, "control": 2, "hidden": 4}


def scan_to(text, start, closer):
    """Index of `closer` that ends the group opened just before `start`,
    passing over nested groups and quoted texts."""
    depth, i = 0, start
    openers = {"]": "[", "}": "{", ")": "("}
    while i < len(text):
        c = text[i]
        if c == '"':
            i = text.index('"', i + 1)
        elif c == openers[closer]:
            depth += 1
        elif c == closer:
            if depth == 0:
                return i
            depth -= 1
        i += 1
    sys.exit(f"unbalanced {openers[closer]}{closer} in the interface description")


def attributes(text):
    """{name: argument or True} of an attribute list's text."""
    found, i = {}, 0
    while i < len(text):
        m = re.compile(r"\s*(\w+)\s*").match(text, i)
        if not m:
            i += 1
            continue
        name, i = m.group(1), m.end()
        if i < len(text) and text[i] == "(":
            end = scan_to(text, i + 1, ")")
            found[name] = text[i + 1:end].strip()
            i = end + 1
        else:
            found[name] = True
        while i < len(text) and text[i] in " ,\n\t":
            i += 1
    return found


def declarations(text):
    """(kind, name, attributes, start, end) of every attributed library,
    interface, dispinterface and coclass, `end` the close of its body."""
    pattern = re.compile(r"\[")
    position = 0
    while True:
        m = pattern.search(text, position)
        if not m:
            return
        close = scan_to(text, m.end(), "]")
        after = re.compile(r"\s*(library|interface|dispinterface|coclass)\s+(\w+)[^;{]*\{").match(text, close + 1)
        if after:
            body = after.end()
            end = scan_to(text, body, "}")
            yield after.group(1), after.group(2), attributes(text[m.end():close]), body, end
            position = body if after.group(1) == "library" else end
        else:
            position = close + 1


def unquote(text):
    assert text.startswith('"') and text.endswith('"'), text
    return text[1:-1]


def quoted(text):
    return "'" + text.replace("'", "''") + "'"


def braced(uuid):
    return "{" + uuid.upper() + "}"


def main():
    source, platform, rgs_path, header_path = sys.argv[1:5]
    text = re.sub(r"^#.*$", "", open(source, encoding="utf-8").read(), flags=re.M)
    found = list(declarations(text))
    libraries = [d for d in found if d[0] == "library"]
    if len(libraries) != 1:
        sys.exit("the interface description must hold exactly one library")
    _, _, library, library_start, library_end = libraries[0]
    inside = [d for d in found if library_start <= d[3] < library_end]
    libid = braced(library["uuid"])
    version = library["version"]
    if "." not in version:
        version += ".0"
    lcid = int(library.get("lcid", "0"), 0)
    description = unquote(library["helpstring"]) if "helpstring" in library else "Orvilib10"
    flags = LIBFLAG_FHASDISKIMAGE | sum(v for k, v in LIBFLAGS.items() if k in library)
    classes = [(name, braced(a["uuid"]), unquote(a["progid"]), a["threading"])
               for kind, name, a, _, _ in inside if kind == "coclass"]
    for name, _, progid, threading in classes:
        if not progid or threading is True:
            sys.exit(f"coclass {name} declares no ProgID or threading model")
    interfaces = [(name, braced(a["uuid"])) for kind, name, a, _, _ in inside
                  if kind == "dispinterface" or (kind == "interface" and ("dual" in a or "oleautomation" in a))]

    lines = ["HKCR", "{", "\tCLSID", "\t{"]
    for name, clsid, progid, threading in classes:
        lines += [f"\t\tForceRemove {clsid} = s {quoted(progid)}", "\t\t{",
                  "\t\t\tInprocServer32 = s '%MODULE%'", "\t\t\t{",
                  f"\t\t\t\tval ThreadingModel = s {quoted(threading.capitalize())}", "\t\t\t}",
                  f"\t\t\tProgID = s {quoted(progid)}",
                  f"\t\t\tVERSION = s '{version}'",
                  f"\t\t\tTypeLib = s '{libid}'", "\t\t}"]
    lines += ["\t}"]
    for name, clsid, progid, _ in classes:
        lines += [f"\tForceRemove {progid} = s {quoted(progid)}", "\t{", f"\t\tCLSID = s '{clsid}'", "\t}"]
    # The type library's part: what the system's registration of the library writes.
    lines += ["\tTypeLib", "\t{", f"\t\t{libid}", "\t\t{",
              f"\t\t\t{version} = s {quoted(description)}", "\t\t\t{",
              f"\t\t\t\t{lcid:x}", "\t\t\t\t{", f"\t\t\t\t\t{platform} = s '%MODULE%'", "\t\t\t\t}",
              f"\t\t\t\tFLAGS = s '{flags}'", "\t\t\t\tHELPDIR = s '%MODULE_DIR%'", "\t\t\t}", "\t\t}", "\t}",
              "\tInterface", "\t{"]
    for name, iid in interfaces:
        lines += [f"\t\tForceRemove {iid} = s {quoted(name)}", "\t\t{",
                  f"\t\t\tProxyStubClsid = s '{AUTOMATION_MARSHALLER}'",
                  f"\t\t\tProxyStubClsid32 = s '{AUTOMATION_MARSHALLER}'",
                  f"\t\t\tTypeLib = s '{libid}'", "\t\t\t{", f"\t\t\t\tval Version = s '{version}'", "\t\t\t}", "\t\t}"]
    lines += ["\t}", "}"]
    with open(rgs_path, "w", newline="\r\n") as out:
        out.write("\n".join(lines) + "\n")

    with open(header_path, "w") as out:
        out.write("// Generated from the interface description: the ProgID each coclass declares.\n#pragma once\n"
                  "#include \"orvilib10_h.h\"\n\n"
                  "namespace orvi {\ntemplate <class Class>\ninline constexpr const wchar_t* kDeclaredProgId = nullptr;\n")
        for name, _, progid, _ in classes:
            out.write(f"template <>\ninline constexpr const wchar_t* kDeclaredProgId<::{name}> = L\"{progid}\";\n")
        out.write("}  // namespace orvi\n")


if __name__ == "__main__":
    main()
