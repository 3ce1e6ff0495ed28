#!/usr/bin/env python3
"""The release archive's packing step (scripts/release_archive.py) on stand-in DLLs and the
committed guides: the same bytes from two runs, the entries item for item, the checksums, and
the DLLs it must refuse. Usage: release_archive_test.py SOURCE_DIR"""

import hashlib
import io
import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

SOURCE = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
SCRIPT = os.path.join(SOURCE, "scripts", "release_archive.py")
sys.path.insert(0, os.path.dirname(SCRIPT))
import release_archive  # noqa: E402

DATE = 1046390400  # 2003-02-28 00:00:00 UTC
ENTRIES = ["README.en.txt", "README.zh-CN.txt", "SHA256SUMS", "x64/Orvane.dll", "x86/Orvane.dll"]
# What each guide must tell, in its own words around these: install and uninstall for each
# architecture, the Explorer verb and its keys, the browser menu key, the checksums.
GUIDE_MUSTS = ["C:\\Windows\\SysWOW64\\regsvr32.exe", "C:\\Windows\\System32\\regsvr32.exe",
               "regsvr32 /i:explorer", "regsvr32 /n /i:explorer", "regsvr32 /u /n /i:explorer", "regsvr32 /u \"",
               "SystemFileAssociations\\.jpg\\shell\\Orvane.ShowExif", ".jpeg", ".jpe", ".jfif",
               ",ShowExif \"%1\"", "SysWOW64\\rundll32.exe", "MenuExt\\查看 Exif 信息(&V)",
               "{6D3B51AD-8C4E-4F27-9B1D-52E07A3C9641}", "{6D3B51A0-8C4E-4F27-9B1D-52E07A3C9641}",
               "certutil -hashfile", "SHA256SUMS", "Orvane 9.8"]


def stand_in_module(machine, stamp=0, body=b"code"):
    header = b"MZ" + bytes(0x3A) + struct.pack("<I", 0x40)
    return header + b"PE\0\0" + struct.pack("<HHI", machine, 3, stamp) + body


class ReleaseArchive(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.modules = {}
        for name, machine in (("x86", 0x014C), ("x64", 0x8664)):
            self.modules[name] = self.write(name + ".dll", stand_in_module(machine, body=name.encode() * 100))

    def tearDown(self):
        self.folder.cleanup()

    def write(self, name, data):
        path = os.path.join(self.folder.name, name)
        with open(path, "wb") as file:
            file.write(data)
        return path

    def pack(self, output):
        command = [sys.executable, SCRIPT, "--version", "9.8", "--date", str(DATE), "--x86", self.modules["x86"],
                   "--x64", self.modules["x64"], "--guides", os.path.join(SOURCE, "docs"), "--output", output]
        path = subprocess.run(command, check=True, capture_output=True, text=True).stdout.strip()
        self.assertEqual(path, os.path.join(output, "Orvane-9.8.zip"))
        with open(path, "rb") as file:
            return file.read()

    def test_two_runs_give_the_same_bytes_whatever_the_files_dates(self):
        first = self.pack(os.path.join(self.folder.name, "one"))
        for path in self.modules.values():
            os.utime(path, (DATE + 12345, DATE + 12345))
        self.assertEqual(first, self.pack(os.path.join(self.folder.name, "two")))

    def test_entries_are_sorted_with_one_date_and_fixed_permissions(self):
        archive = zipfile.ZipFile(io.BytesIO(self.pack(self.folder.name)))
        self.assertEqual([entry.filename for entry in archive.infolist()], ["Orvane-9.8/" + n for n in ENTRIES])
        for entry in archive.infolist():
            self.assertEqual(entry.date_time, (2003, 2, 28, 0, 0, 0), entry.filename)
            self.assertEqual((entry.create_system, entry.external_attr >> 16), (3, 0o100644), entry.filename)
        for name in ("x86", "x64"):
            with open(self.modules[name], "rb") as file:
                self.assertEqual(archive.read(f"Orvane-9.8/{name}/Orvane.dll"), file.read())

    def test_checksums_cover_every_other_file(self):
        archive = zipfile.ZipFile(io.BytesIO(self.pack(self.folder.name)))
        lines = archive.read("Orvane-9.8/SHA256SUMS").decode("ascii").splitlines()
        expected = [f"{hashlib.sha256(archive.read('Orvane-9.8/' + n)).hexdigest()}  {n}" for n in ENTRIES
                    if n != "SHA256SUMS"]
        self.assertEqual(lines, expected)

    def test_guides_are_for_notepad_and_tell_what_the_user_needs(self):
        archive = zipfile.ZipFile(io.BytesIO(self.pack(self.folder.name)))
        for name in ("README.en.txt", "README.zh-CN.txt"):
            data = archive.read("Orvane-9.8/" + name)
            self.assertTrue(data.startswith(b"\xef\xbb\xbf"), name)
            self.assertEqual(data.count(b"\n"), data.count(b"\r\n"), name)
            text = data.decode("utf-8")
            self.assertNotIn("@VERSION@", text)
            for must in GUIDE_MUSTS:
                self.assertIn(must, text, name)

    def test_wrong_modules_and_versions_are_refused(self):
        cases = [
            ("swapped", {"x86": self.modules["x64"], "x64": self.modules["x86"]}, "9.8", "does not belong in x86/"),
            ("stamped", {"x86": self.write("s.dll", stand_in_module(0x014C, stamp=0x3E5EA800)),
                         "x64": self.modules["x64"]}, "9.8", "carries a time stamp"),
            ("not a PE", {"x86": self.write("t.dll", b"MZ" + bytes(100)), "x64": self.modules["x64"]}, "9.8",
             "not a PE file"),
            ("version", self.modules, "1.3-beta", "not a version"),
        ]
        for label, modules, version, message in cases:
            with self.assertRaisesRegex(release_archive.ReleaseError, message, msg=label):
                release_archive.build_release(version, DATE, modules, os.path.join(SOURCE, "docs"),
                                              os.path.join(self.folder.name, label))


if __name__ == "__main__":
    unittest.main()
