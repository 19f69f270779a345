#!/usr/bin/env python3
"""Packs the skin folder into a ZIP whose members are named "<folder>/...".

Deterministic: members in sorted order, fixed time stamps and attributes,
so the same files always give the same bytes.
Usage: PackSkin.py SOURCE_ROOT FOLDER OUTPUT.zip
"""
import os
import sys
import zipfile


def main():
    root, folder, output = sys.argv[1], sys.argv[2], sys.argv[3]
    base = os.path.join(root, folder)
    names = []
    for current, dirs, files in os.walk(base):
        dirs.sort()
        for name in files:
            full = os.path.join(current, name)
            names.append(os.path.relpath(full, root).replace(os.sep, "/"))
    names.sort()
    os.makedirs(os.path.dirname(os.path.abspath(output)), exist_ok=True)
    temp = output + ".tmp"
    with zipfile.ZipFile(temp, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for name in names:
            info = zipfile.ZipInfo(name, date_time=(1980, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            info.create_system = 0
            with open(os.path.join(root, name), "rb") as source:
                archive.writestr(info, source.read())
    os.replace(temp, output)


if __name__ == "__main__":
    main()
