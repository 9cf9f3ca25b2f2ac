#!/usr/bin/env python3
"""The registration script of one DLL as Windows Installer registry entries.

    wix.py SCRIPT FILE_ID FOLDER_ID [--without-shared] [--user]
        prints a WiX include of RegistryValue elements: every value the
        script writes under HKEY_CLASSES_ROOT, the DLL's path written as
        [#FILE_ID] and its folder as [FOLDER_ID]; --without-shared leaves
        out the type library's version key with its FLAGS and HELPDIR,
        which registrations of every platform share and the other DLL's
        entries write; --user writes them below the user's own classes
        (HKEY_CURRENT_USER\Software\Classes), as a registration for one
        user does
"""
import os
import sys
from xml.sax.saxutils import quoteattr

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from script import shared_by_platforms, values  # noqa: E402


def main():
    script, file_id, folder_id = sys.argv[1:4]
    without_shared = "--without-shared" in sys.argv[4:]
    root, prefix = ("HKCU", "Software\\Classes\\") if "--user" in sys.argv[4:] else ("HKCR", "")
    print('<?xml version="1.0" encoding="utf-8"?>')
    print("<Include>")
    marker = "\x01"  # stands for the DLL's path until its text is checked
    for key, name, data in values(open(script, encoding="utf-8").read(), marker, marker + "dir"):
        if without_shared and shared_by_platforms(key):
            continue
        if any(c in key + data for c in "[]") or data.startswith("#"):
            sys.exit(f"a value the installer would read as a formatted text: {key} {data}")
        data = data.replace(marker + "dir", f"[{folder_id}]").replace(marker, f"[#{file_id}]")
        attributes = f'Root="{root}" Key={quoteattr(prefix + key)}'
        if name is not None:
            attributes += f" Name={quoteattr(name)}"
        print(f'            <RegistryValue {attributes} Type="string" Value={quoteattr(data)}/>')
    print("</Include>")


if __name__ == "__main__":
    main()
