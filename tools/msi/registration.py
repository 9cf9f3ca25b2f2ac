#!/usr/bin/env python3
"""What DllRegisterServer writes, as Windows Installer registry entries.

    registration.py values BEFORE.reg AFTER.reg
        prints the values that registration added, one per line, paths in
        their plain form (see plain_path)
    registration.py wix BEFORE.reg AFTER.reg (FILE_PATH FILE_ID FOLDER_ID)...
        prints them as WiX RegistryValue elements, with each DLL's path
        written as [#FILE_ID] and its folder as [FOLDER_ID]

BEFORE and AFTER are `reg export` files of HKEY_CLASSES_ROOT as one
registry view sees it, taken around the registration of the DLLs at the
FILE_PATHs (a view sees keys the two bitnesses share, such as a type
library's folder, as the other bitness's registration left them). The package and the check that compares an installed package
with regsvr32 both read registrations this way, so neither is written out
by hand.
"""
import sys
from xml.sax.saxutils import quoteattr



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


def own_view(values):
    """The classes of the view itself. A view's Wow6432Node subtree is the
    32-bit view's classes as the system also shows them there, and belongs
    to that view's registration; the Installer subtree is the Windows
    Installer's record of installed packages, no registration's."""
    return {k: v for k, v in values.items() if not k[0].lower().startswith(("wow6432node", "installer"))}


def added(before, after):
    """The values registration wrote; it may add, never change or remove."""
    old, new = own_view(read_export(before)), own_view(read_export(after))
    changed = [k for k in old if k in new and old[k] != new[k]]
    removed = [k for k in old if k not in new]
    if changed or removed:
        sys.exit(f"registration changed or removed values it did not add: {(changed + removed)[:5]}")
    entries = {k: v for k, v in new.items() if k not in old}
    keys = {k for k, _ in entries}
    # A key with neither values nor subkeys of its own would be lost.
    for key in keys:
        if not any(n != "<key>" for k, n in entries if k == key) and \
           not any(other.startswith(key + "\\") for other in keys if other != key):
            sys.exit(f"registration wrote an empty key: {key}")
    for (key, name), (kind, _) in entries.items():
        if kind == "other":
            sys.exit(f"registration wrote a value of a type the package does not carry: {key} {name}")
    return sorted(((k, n, (kind, plain_path(data) if kind == "string" else data))
                   for (k, n), (kind, data) in entries.items() if n != "<key>"), key=lambda e: (e[0], e[1] or ""))


def main():
    mode, before, after = sys.argv[1:4]
    entries = added(before, after)
    if mode == "values":
        for key, name, (kind, data) in entries:
            print(f"{key}\t{name if name is not None else '@'}\t{kind}\t{data}")
        return
    files = [sys.argv[i:i + 3] for i in range(4, len(sys.argv), 3)]
    for key, name, (kind, data) in entries:
        if "[" in key + data or "]" in key + data or data.startswith("#"):
            sys.exit(f"a value the installer would read as a formatted text: {key} {data}")
        for file_path, file_id, folder_id in files:
            folder = file_path.rsplit("\\", 1)[0]
            if data.lower() == file_path.lower():
                data = f"[#{file_id}]"
            elif data.lower() == folder.lower():
                data = f"[{folder_id}]"
        if any(path.rsplit("\\", 1)[0].lower() in data.lower() for path, _, _ in files):
            sys.exit(f"a DLL's path inside another value: {key} {data}")
        attributes = f"Root=\"HKCR\" Key={quoteattr(key)}"
        if name is not None:
            attributes += f" Name={quoteattr(name)}"
        print(f"            <RegistryValue {attributes} Type=\"{kind}\" Value={quoteattr(data)}/>")


if __name__ == "__main__":
    main()
