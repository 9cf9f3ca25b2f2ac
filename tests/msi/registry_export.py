#!/usr/bin/env python3
"""Registrations as the registry shows them, against the declaration.

    registry_export.py values BEFORE.reg AFTER.reg [--wow]
        prints the values that were added to HKEY_CLASSES_ROOT between two
        `reg export` files of it, one per line, as
        `key<TAB>name or @<TAB>type<TAB>data`, paths in their plain form;
        with --wow, those of the 32-bit view, which a 64-bit export holds
        below Wow6432Node (so no 32-bit program need run to read them)
    registry_export.py script SCRIPT DLL
        prints, in the same form, what one DLL's registration script
        declares for it at that path
    registry_export.py declared 32|64 SCRIPT32 SCRIPT64 DLL32 DLL64 [32|64]
        prints, in the same form, what registering both DLLs at those
        paths leaves in the 32-bit or the 64-bit view of HKEY_CLASSES_ROOT,
        by their scripts: the view's own DLL's classes and interfaces, and
        the type library's keys, which both views share: each platform's
        own key, and its version key as the registration of the DLL of the
        last argument (default 32) leaves it

Keys compare without regard to case, as the registry's do.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "registration"))
from script import shared_by_platforms, values as script_values  # noqa: E402


def parse_string(text):
    """The value of a quoted .reg string and what follows it."""
    assert text[0] == '"', text
    out, i = [], 1
    while text[i] != '"':
        if text[i] == "\\":
            i += 1
        out.append(text[i])
        i += 1
    return "".join(out), text[i + 1:]


def read_export(path):
    """{(key, value name or None): (type, data)} of a `reg export` file;
    each key is also there as (key, "<key>"), and keys are named below the
    exported root."""
    with open(path, "rb") as f:
        raw = f.read()
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8")
    lines = text.replace("\r\n", "\n").split("\n")
    values, key, pending, root = {}, None, "", None
    for line in lines:
        line = pending + line
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1].lstrip()
            continue
        pending = ""
        if not line or line.startswith("Windows Registry Editor") or line.startswith("REGEDIT"):
            continue
        if line.startswith("["):
            key = line[1:-1]
            root = root or key
            key = key[len(root) + 1:]
            values.setdefault((key, "<key>"), ("key", ""))
            continue
        if line.startswith("@="):
            name, rest = None, line[2:]
        else:
            name, rest = parse_string(line)
            rest = rest[1:]
        if rest.startswith('"'):
            data, _ = parse_string(rest)
            values[(key, name)] = ("string", data)
        elif rest.startswith("dword:"):
            values[(key, name)] = ("integer", str(int(rest[6:], 16)))
        else:
            values[(key, name)] = ("other", rest)
    return values


def plain_path(data):
    """A path value without the long-path prefix that some systems' type
    library registration writes, and without a folder's closing separator
    (the installer writes folders with one)."""
    if data.startswith("\\\\?\\"):
        data = data[4:]
    return data.rstrip("\\") if ":\\" in data else data


def view(values, wow):
    """The classes of one view. A 64-bit export holds the 32-bit view's
    below Wow6432Node; the Installer subtree is the Windows Installer's
    record of installed packages, no registration's."""
    prefix = "wow6432node\\"
    if wow:
        return {(k[len(prefix):], n): v for (k, n), v in values.items() if k.lower().startswith(prefix)}
    return {k: v for k, v in values.items() if not k[0].lower().startswith(("wow6432node", "installer"))}


def line(key, name, kind, data):
    return f"{key.lower()}\t{name if name is not None else '@'}\t{kind}\t{data}"


def added(before, after, wow=False):
    """The values registration wrote; it may add, never change or remove."""
    old, new = view(read_export(before), wow), view(read_export(after), wow)
    changed = [k for k in old if k in new and old[k] != new[k]]
    removed = [k for k in old if k not in new]
    if changed or removed:
        sys.exit(f"registration changed or removed values it did not add: {(changed + removed)[:5]}")
    entries = {k: v for k, v in new.items() if k not in old}
    return sorted(line(k, n, kind, plain_path(data) if kind == "string" else data)
                  for (k, n), (kind, data) in entries.items() if n != "<key>")


def scripted(script, dll):
    return sorted(line(k, n, "string", plain_path(d)) for k, n, d in script_values(open(script, encoding="utf-8").read(), dll))


def declared(bits, script32, script64, dll32, dll64, shared_from="32"):
    own = {"32": script_values(open(script32, encoding="utf-8").read(), dll32),
           "64": script_values(open(script64, encoding="utf-8").read(), dll64)}

    def library(key):
        return key.lower().startswith("typelib\\")
    entries = [e for e in own[bits] if not library(e[0])]
    for platform, entries_of in own.items():
        entries += [e for e in entries_of if library(e[0]) and (platform == shared_from or not shared_by_platforms(e[0]))]
    return sorted({line(k, n, "string", plain_path(d)) for k, n, d in entries})


def main():
    mode = sys.argv[1]
    if mode == "values":
        print("\n".join(added(sys.argv[2], sys.argv[3], "--wow" in sys.argv[4:])))
    elif mode == "script":
        print("\n".join(scripted(sys.argv[2], sys.argv[3])))
    elif mode == "declared":
        print("\n".join(declared(*sys.argv[2:8])))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
