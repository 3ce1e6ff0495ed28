#!/usr/bin/env python3
"""Makes samples/raw/ from samples/*.jpg: camera raw files that carry a photograph's Exif data
the way each raw format does, laid out from the formats' public descriptions. No image data is
written beyond what a layout needs to be read, so each file stays a few kilobytes.

  Canon_40D.cr3        ISO BMFF, brand "crx ": moov, then the uuid box 85c0b687-820f-11e0-8111-
                       f4ce462b6a48 holding CNCV, CMT1 (IFD0 as a TIFF structure of its own),
                       CMT2 (the Exif IFD likewise) and CMT3 (the Canon maker note likewise)
  Fujifilm_FinePix6900ZOOM.raf
                       "FUJIFILMCCD-RAW " header; big-endian offset and length of the embedded
                       JPEG at bytes 84 and 88; that JPEG's APP1 is the photograph's
  Olympus_C8080WZ.orf  the Exif TIFF data with the Olympus mark "IIRO" in place of "II*\\0"
  long_description.orf the same for a big-endian block: "MMOR" in place of "MM\\0*"
  Nikon_D70.rw2, .rwl  "IIU\\0", IFD0 at 24 behind a 16-byte signature: the Panasonic sensor
                       tags, Make, Model, Orientation, the Exif IFD pointer (the Exif IFD with
                       the maker note follows) and JpgFromRaw (0x002E), an embedded JPEG whose
                       APP1 is the photograph's; the other IFD0 texts (date, software, ...) are
                       only in that JPEG, as in a camera's file
  Fujifilm_FinePix6900ZOOM.mrw
                       "\\0MRM" and its blocks PRD, TTW (the Exif TIFF data, big-endian as in
                       a camera's file), WBG, RIF

    tools/make_raw_samples.py [SAMPLES_DIR]    (needs ImageMagick's convert)

Every value keeps its bytes: where directories are laid out anew (CR3, RW2) the values are
copied (a maker note as one value; the Canon and Nikon notes used here don't count their
offsets from outside themselves), where the Exif TIFF data is kept whole (ORF, MRW) no offset
moves.
"""
import os
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_container_samples import app1_segment, exif_block_of_jpeg  # noqa: E402

CANON_UUID = bytes.fromhex("85c0b687820f11e08111f4ce462b6a48")
RW2_SIGNATURE = bytes.fromhex("88e774d8f8251d4d947a6e77822b5d6a")  # bytes 8 to 23, IFD0 at 24
TYPE_SIZES = {1: 1, 2: 1, 3: 2, 4: 4, 5: 8, 6: 1, 7: 1, 8: 2, 9: 4, 10: 8, 11: 4, 12: 8}
EXIF_IFD, GPS_IFD, INTEROPERABILITY_IFD, MAKER_NOTE = 0x8769, 0x8825, 0xA005, 0x927C


class Tiff:
    """The entries of a TIFF block's directories, each value with its own bytes."""

    def __init__(self, block):
        self.block = block
        self.order = "<" if block[:2] == b"II" else ">"
        self.ifd0_offset = self.number(4, 4)

    def number(self, at, width):
        return struct.unpack(self.order + ("H" if width == 2 else "I"), self.block[at:at + width])[0]

    def entries(self, at):
        """(tag, type, count, value bytes, value field) of the directory at `at`."""
        found = []
        for index in range(self.number(at, 2)):
            entry = at + 2 + 12 * index
            tag, kind, count = self.number(entry, 2), self.number(entry + 2, 2), self.number(entry + 4, 4)
            size = count * TYPE_SIZES.get(kind, 0)
            field = self.block[entry + 8:entry + 12]
            start = entry + 8 if size <= 4 else self.number(entry + 8, 4)
            found.append((tag, kind, count, self.block[start:start + size], field))
        return found

    def pointer(self, entries, tag):
        """The offset that a pointer entry holds, or None without one."""
        return next((struct.unpack(self.order + "I", field)[0] for t, _, _, _, field in entries if t == tag), None)


def tiff_structure(order, directories, head=None):
    """A TIFF structure: head (by default the plain header), then each directory followed by
    the values that don't fit in its entries. An entry whose value is the number i (an int,
    not bytes) points at directory i; the next-directory links are 0."""
    head = head or (b"II" if order == "<" else b"MM") + struct.pack(order + "HI", 42, 8)
    at = [0] * len(directories)
    for _ in range(2):  # the first round finds where the directories land
        out = head
        for index, entries in enumerate(directories):
            at[index] = len(out)
            values_at = len(out) + 2 + 12 * len(entries) + 4
            directory, values = struct.pack(order + "H", len(entries)), b""
            for tag, kind, number, value, _ in sorted(entries, key=lambda e: e[0]):
                if isinstance(value, int):
                    field = struct.pack(order + "I", at[value])
                elif len(value) <= 4:
                    field = value + bytes(4 - len(value))
                else:
                    field = struct.pack(order + "I", values_at + len(values))
                    values += value + (b"\0" if len(value) % 2 else b"")
                directory += struct.pack(order + "HHI", tag, kind, number) + field
            out += directory + struct.pack(order + "I", 0) + values
    return out


def box(name, payload):
    return struct.pack(">I", 8 + len(payload)) + name + payload


def embedded_jpeg(jpeg):
    """A preview as cameras embed one: an 8 x 8 grey JPEG (ImageMagick's) whose first segment
    is the photograph's APP1."""
    tiny = subprocess.run(["convert", "-size", "8x8", "xc:gray", "-strip", "-quality", "50", "jpg:-"],
                          check=True, stdout=subprocess.PIPE).stdout
    return tiny[:2] + app1_segment(jpeg) + tiny[2:]


def make_cr3(jpeg):
    tiff = Tiff(exif_block_of_jpeg(jpeg))
    ifd0 = tiff.entries(tiff.ifd0_offset)
    exif = tiff.entries(tiff.pointer(ifd0, EXIF_IFD))
    sub_directories = (EXIF_IFD, GPS_IFD, INTEROPERABILITY_IFD, MAKER_NOTE)
    parts = [box(b"CNCV", b"CanonCR3_001/00.09.00/00.00.00"),
             box(b"CMT1", tiff_structure(tiff.order, [[e for e in ifd0 if e[0] not in sub_directories]])),
             box(b"CMT2", tiff_structure(tiff.order, [[e for e in exif if e[0] not in sub_directories]]))]
    note = tiff.pointer(exif, MAKER_NOTE)
    if note is not None:  # the Canon maker note is a directory whose offsets count from the block
        parts.append(box(b"CMT3", tiff_structure(tiff.order, [tiff.entries(note)])))
    file_type = box(b"ftyp", b"crx " + struct.pack(">I", 1) + b"crx isom")
    movie = box(b"moov", box(b"uuid", CANON_UUID + b"".join(parts)))
    return file_type + movie + box(b"mdat", b"")


def make_raf(jpeg, model):
    preview = embedded_jpeg(jpeg)
    preview_at = 148
    header = b"FUJIFILMCCD-RAW " + b"0201" + b"FF129502" + model.encode().ljust(32, b"\0")
    header += b"0100" + bytes(20)
    cfa_header = struct.pack(">I", 0)  # no records
    cfa = bytes(16)  # a stand-in for the sensor data: readers expect some where the header says
    cfa_header_at = preview_at + len(preview)
    cfa_at = cfa_header_at + len(cfa_header)
    header += struct.pack(">6I", preview_at, len(preview), cfa_header_at, len(cfa_header), cfa_at, len(cfa))
    return header.ljust(preview_at, b"\0") + preview + cfa_header + cfa


def make_orf(jpeg):
    block = exif_block_of_jpeg(jpeg)
    mark = b"IIRO" if block[:2] == b"II" else b"MMOR"
    return mark + block[4:]


def make_rw2(jpeg):
    tiff = Tiff(exif_block_of_jpeg(jpeg))
    assert tiff.order == "<", "RW2 files are little-endian"
    ifd0 = tiff.entries(tiff.ifd0_offset)
    exif = tiff.entries(tiff.pointer(ifd0, EXIF_IFD))

    def short(tag, value):
        return (tag, 3, 1, struct.pack("<H", value), None)

    preview = embedded_jpeg(jpeg)
    # Version, sensor width and height and borders, ISO; the sensor data itself is left out.
    raw = [(0x0001, 7, 4, b"0310", None), short(0x0002, 64), short(0x0003, 48), short(0x0004, 0),
           short(0x0005, 0), short(0x0006, 48), short(0x0007, 64), short(0x0017, 100)]
    raw += [e for e in ifd0 if e[0] in (0x010F, 0x0110, 0x0112)]  # Make, Model, Orientation
    raw += [(0x002E, 7, len(preview), preview, None), (EXIF_IFD, 4, 1, 1, None)]
    head = b"IIU\0" + struct.pack("<I", 0x18) + RW2_SIGNATURE
    return tiff_structure("<", [raw, [e for e in exif if e[0] != INTEROPERABILITY_IFD]], head)


def mrw_block(name, payload):
    return b"\0" + name + struct.pack(">I", len(payload)) + payload


def make_mrw(jpeg):
    block = exif_block_of_jpeg(jpeg)
    # Firmware, sensor and image height and width, data and pixel depth, storage, Bayer pattern.
    dimensions = b"21810002" + struct.pack(">4H", 48, 64, 48, 64) + bytes([12, 12, 0x59, 0, 0, 0, 0, 1])
    balance = bytes([2, 2, 2, 2]) + struct.pack(">4H", 256, 256, 256, 256)
    requested = bytes(92)
    blocks = mrw_block(b"PRD", dimensions) + mrw_block(b"TTW", block)
    blocks += mrw_block(b"WBG", balance) + mrw_block(b"RIF", requested)
    return mrw_block(b"MRM", blocks)


def main():
    samples = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "samples")
    out = os.path.join(samples, "raw")
    os.makedirs(out, exist_ok=True)

    def jpeg(stem):
        with open(os.path.join(samples, stem + ".jpg"), "rb") as f:
            return f.read()

    made = {
        "Canon_40D.cr3": make_cr3(jpeg("Canon_40D")),
        "Fujifilm_FinePix6900ZOOM.raf": make_raf(jpeg("Fujifilm_FinePix6900ZOOM"), "FinePix6900ZOOM"),
        "Olympus_C8080WZ.orf": make_orf(jpeg("Olympus_C8080WZ")),
        "long_description.orf": make_orf(jpeg("long_description")),
        "Nikon_D70.rw2": make_rw2(jpeg("Nikon_D70")),
        "Nikon_D70.rwl": make_rw2(jpeg("Nikon_D70")),
        "Fujifilm_FinePix6900ZOOM.mrw": make_mrw(jpeg("Fujifilm_FinePix6900ZOOM")),
    }
    for name, data in made.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print("%-30s %6d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
