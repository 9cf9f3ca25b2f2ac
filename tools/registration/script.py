#!/usr/bin/env python3
"""Reads the registration script that tools/registration/declaration.py
generates (the registrar's .rgs form), for the package, the manifests and
the tests.

    script.py tops SCRIPT
        prints the keys the registration owns whole, one per line
"""
import re
import sys

# A braced GUID is a name, not the opening of a body.
TOKEN = re.compile(r"\s*(?:(\{[0-9A-Fa-f-]{36}\})|(\{|\}|=)|'((?:[^']|'')*)'|([^\s{}=']+))")


class Key:
    def __init__(self, name, flag=None):
        self.name, self.flag = name, flag  # flag: None or "ForceRemove"
        self.default = None                # the key's own value
        self.values = {}                   # name: text
        self.children = []


def tokens(text):
    position = 0
    while True:
        m = TOKEN.match(text, position)
        if not m or m.end() == position:
            if text[position:].strip():
                sys.exit(f"registration script: cannot read {text[position:position + 40]!r}")
            return
        position = m.end()
        if m.group(2):
            yield m.group(2)
        elif m.group(3) is not None:
            yield ("text", m.group(3).replace("''", "'"))
        else:
            yield m.group(1) or m.group(4)


def parse(text):
    """The script's root keys, each a Key holding its tree."""
    stream = list(tokens(text))
    position = 0

    def take(expected=None):
        nonlocal position
        token = stream[position]
        if expected is not None and token != expected:
            sys.exit(f"registration script: {expected!r} expected, {token!r} found")
        position += 1
        return token

    def string():
        if take() != "s":
            sys.exit("registration script: only texts (s) are supported")
        token = take()
        if not isinstance(token, tuple):
            sys.exit("registration script: a quoted text expected")
        return token[1]

    def name_token():
        token = take()
        return token[1] if isinstance(token, tuple) else token

    def body(key):
        take("{")
        while stream[position] != "}":
            if stream[position] == "val":
                take()
                name = name_token()
                take("=")
                key.values[name] = string()
            else:
                key.children.append(entry())
        take("}")

    def entry():
        flag = None
        if stream[position] == "ForceRemove":
            flag = take()
        key = Key(name_token(), flag)
        if position < len(stream) and stream[position] == "=":
            take()
            key.default = string()
        if position < len(stream) and stream[position] == "{":
            body(key)
        return key

    roots = []
    while position < len(stream):
        roots.append(entry())
    return roots


def substituted(text, module, folder=None):
    """The text with the DLL's path and folder put in (the folder is the
    path's, unless given)."""
    if folder is None:
        folder = module.rsplit("\\", 1)[0]
    return text.replace("%MODULE_DIR%", folder).replace("%MODULE%", module)


def shared_by_platforms(key):
    """Whether a key is the type library's version key or its FLAGS or
    HELPDIR: one key for the library's registrations on every platform,
    where the platform keys below it (0\\win32, 0\\win64) are each their own."""
    parts = key.lower().split("\\")
    return parts[0] == "typelib" and len(parts) >= 3 and parts[3:] in ([], ["flags"], ["helpdir"])


def walk(key, path=""):
    """(key path, key) of every key below a root, parents first."""
    for child in key.children:
        here = f"{path}\\{child.name}" if path else child.name
        yield here, child
        yield from walk(child, here)


def tops(script_text):
    """The keys a registration owns whole: each key written afresh
    (ForceRemove), and the keys just below a container that is not."""
    found = []
    for root in parse(script_text):
        for key in root.children:
            if key.flag == "ForceRemove":
                found.append(key.name)
            else:
                found += [f"{key.name}\\{child.name}" for child in key.children]
    return found


def values(script_text, module, folder=None):
    """[(key, value name or None, data)] of every value the script writes
    below HKEY_CLASSES_ROOT, in the script's order."""
    found = []
    for root in parse(script_text):
        if root.name != "HKCR":
            sys.exit(f"registration script: a root other than HKCR: {root.name}")
        for path, key in walk(root):
            if key.default is not None:
                found.append((path, None, substituted(key.default, module, folder)))
            for name, data in key.values.items():
                found.append((path, name, substituted(data, module, folder)))
    return found


def main():
    mode, script = sys.argv[1:3]
    if mode != "tops":
        sys.exit(__doc__)
    print("\n".join(tops(open(script, encoding="utf-8").read())))


if __name__ == "__main__":
    main()
