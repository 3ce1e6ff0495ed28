#!/usr/bin/env python3
"""Packs the release archive from the two stripped DLLs: the DLLs, the user guides and
SHA256SUMS below one folder Orvane-<version>/, as the same bytes from every run on one commit:
one fixed date and fixed permissions on every entry, entries in sorted order."""

import argparse
import hashlib
import os
import struct
import sys
import time
import zipfile

# The archive's folder for each DLL, and the PE machine type the DLL must be built for.
MACHINES = {"x86": 0x014C, "x64": 0x8664}
# The archive's name of each guide, and its file in the guides' folder.
GUIDES = {"README.en.txt": "guide.en.txt", "README.zh-CN.txt": "guide.zh-CN.txt"}
ZIP_EPOCH = 315532800  # 1980-01-01, the first date a zip entry can carry


class ReleaseError(Exception):
    pass


def read_module(path, folder):
    """The DLL's bytes, once its header says it is built for folder's machine, without a link
    time: a swapped DLL or a stamped one would ship unnoticed otherwise."""
    with open(path, "rb") as file:
        data = file.read()
    if len(data) < 0x40 or data[:2] != b"MZ":
        raise ReleaseError(f"{path}: not a PE file")
    # 0x3C holds the offset of "PE\0\0"; the COFF header follows: machine, sections, time stamp.
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    if offset + 12 > len(data) or data[offset:offset + 4] != b"PE\0\0":
        raise ReleaseError(f"{path}: not a PE file")
    machine, _sections, stamp = struct.unpack_from("<HHI", data, offset + 4)
    if machine != MACHINES[folder]:
        raise ReleaseError(f"{path}: machine 0x{machine:04x} does not belong in {folder}/")
    if stamp != 0:
        raise ReleaseError(f"{path}: carries a time stamp (0x{stamp:08x})")
    return data


def guide_bytes(path, version):
    with open(path, encoding="utf-8") as file:
        text = file.read().replace("@VERSION@", version)
    # Notepad before Windows 10 knows UTF-8 only by its byte-order mark, and lines only by CR LF.
    return b"\xef\xbb\xbf" + text.replace("\n", "\r\n").encode("utf-8")


def checksums(files):
    """SHA256SUMS as sha256sum writes it and `sha256sum -c` reads it."""
    lines = [f"{hashlib.sha256(files[name]).hexdigest()}  {name}\n" for name in sorted(files)]
    return "".join(lines).encode("ascii")


def write_archive(path, folder, files, seconds):
    date = time.gmtime(max(seconds, ZIP_EPOCH))[:6]
    with zipfile.ZipFile(path, "w") as archive:
        for name in sorted(files):
            entry = zipfile.ZipInfo(f"{folder}/{name}", date_time=date)
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.create_system = 3  # Unix, so that the permissions below are read as such
            entry.external_attr = 0o100644 << 16
            archive.writestr(entry, files[name], compresslevel=9)


def build_release(version, seconds, modules, guides_folder, output_folder):
    """Writes output_folder/Orvane-<version>.zip and returns its path."""
    if not version or not all(part.isdigit() for part in version.split(".")):
        raise ReleaseError(f"not a version: {version!r}")
    files = {f"{folder}/Orvane.dll": read_module(path, folder) for folder, path in modules.items()}
    for name, source in GUIDES.items():
        files[name] = guide_bytes(os.path.join(guides_folder, source), version)
    files["SHA256SUMS"] = checksums(files)
    name = f"Orvane-{version}"
    os.makedirs(output_folder, exist_ok=True)
    path = os.path.join(output_folder, name + ".zip")
    write_archive(path, name, files, seconds)
    return path


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--version", required=True, help="the build's version, e.g. from orvane_version.h")
    parser.add_argument("--date", required=True, type=int, help="the entries' date, seconds since 1970 (UTC)")
    parser.add_argument("--x86", required=True, help="the stripped i686 Orvane.dll")
    parser.add_argument("--x64", required=True, help="the stripped x86_64 Orvane.dll")
    parser.add_argument("--guides", required=True, help="the folder of guide.en.txt and guide.zh-CN.txt")
    parser.add_argument("--output", required=True, help="the folder for Orvane-<version>.zip")
    arguments = parser.parse_args()
    try:
        path = build_release(arguments.version, arguments.date, {"x86": arguments.x86, "x64": arguments.x64},
                             arguments.guides, arguments.output)
    except (ReleaseError, OSError) as error:
        sys.exit(f"release_archive: {error}")
    print(path)


if __name__ == "__main__":
    main()
