#!/usr/bin/env python3
"""Registry snapshots of the package test, compared.

    registry_diff.py left CLEAN INSTALLED REMOVED
        prints what the install added and its removal left behind: every
        value and key where an install writes or that names the product,
        but for the Windows Installer's own empty folders
    registry_diff.py same BEFORE AFTER
        prints every difference in what an install writes (classes, the
        Installer's records, the uninstall entries), but for the Installer's
        note of where it last found the package (its source list)
    registry_diff.py classes BEFORE AFTER
        prints every difference in the classes (of HKLM\Software exports)
All files are `reg export` files of one hive."""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from registry_export import read_export  # noqa: E402


def installer_folder(key, kind):
    """An empty folder of the Installer's own tree that names no product."""
    return kind == "key" and "\\installer" in key.lower() and not re.search(r"\{|[0-9A-F]{32}", key)


def install_area(key):
    """Where an install writes, as opposed to the rest of the system, which
    Wine rewrites as it goes (its network cards, devices and fonts)."""
    return any(part in key.lower() for part in ("classes", "installer", "uninstall"))


def ours(key, value):
    text = f"{key[0]} {key[1]} {value[1]}".lower()
    return "orvilib10" in text or "zandrel" in text


def main():
    mode, *files = sys.argv[1:]
    snapshots = [read_export(f) for f in files]
    if mode == "left":
        clean, installed, removed = snapshots
        left = [k for k in installed if k not in clean and k in removed and k != ("", "<key>")]
        left = [k for k in left if (install_area(k[0]) or ours(k, removed[k])) and not installer_folder(k[0], removed[k][0])]
    else:
        before, after = snapshots
        wanted = (lambda key: key.lower().startswith("classes")) if mode == "classes" else \
            (lambda key: install_area(key) and "\\sourcelist" not in key.lower())
        left = [k for k in set(before) | set(after) if before.get(k) != after.get(k) and wanted(k[0])]
    for key, name in sorted(left, key=lambda k: (k[0], k[1] or "")):
        print(f"{key}  {name}")
    sys.exit(1 if left else 0)


if __name__ == "__main__":
    main()
