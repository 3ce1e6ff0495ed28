#!/usr/bin/env python3
"""Makes samples/containers/ from samples/*.jpg: the Exif block of each photograph (the TIFF data
of its first APP1 segment) in a TIFF file, a PNG (eXIf), a WebP (VP8X, EXIF) and, through
libheif's heif-enc, a real HEIC (and for one photograph an AVIF). Photographs without an Exif
block give a PNG, a WebP and a HEIC without one.

heif-enc gets a 64 x 64 grey JPEG that carries the photograph's APP1 segment, so the file stays
small while its Exif item holds the original block. libheif may rewrite that block (it sets the
orientation to 1); the script reads each HEIC's Exif item back and says whether it is the
original, byte for byte, or which bytes differ.

    tools/make_container_samples.py [SAMPLES_DIR]    (needs heif-enc and ImageMagick's convert)

For scripts/bench.sh, full-size photographs of each container from one camera JPEG:

    tools/make_container_samples.py --bench OUT_DIR PHOTO.jpg   (also needs cwebp)

OUT_DIR then holds photo.heic (heif-enc, the photograph's own Exif), photo.png (ImageMagick's
pixels, then an eXIf chunk with the block), photo.webp (cwebp's lossy image in a VP8X file with
an EXIF chunk) and photo.tif (the block as a TIFF file, followed by the photograph's
uncompressed pixels as a strip that IFD0 does not point at).
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

EXIF_IDENTIFIER = b"Exif\0\0"
AVIF_STEMS = {"Fujifilm_FinePix6900ZOOM"}  # one AVIF (AV1 in the same HEIF structure) is enough
PNG_PIXEL = bytes.fromhex("789c6368000000820081")  # one grey pixel, zlib
WEBP_PIXEL = bytes.fromhex("2f0000000007 50bffad5afff8188e87f00".replace(" ", ""))  # lossless 1 x 1


def exif_block_of_jpeg(jpeg):
    """The TIFF block of the first APP1 segment when it carries Exif, else None."""
    at = 2
    while jpeg[:2] == b"\xff\xd8" and at + 4 <= len(jpeg):
        marker, length = jpeg[at + 1], struct.unpack(">H", jpeg[at + 2:at + 4])[0]
        if marker == 0xE1:
            payload = jpeg[at + 4:at + 2 + length]
            return payload[6:] if payload.startswith(EXIF_IDENTIFIER) else None
        at += 2 + length
    return None


def app1_segment(jpeg):
    at = 2
    while at + 4 <= len(jpeg):
        length = struct.unpack(">H", jpeg[at + 2:at + 4])[0]
        if jpeg[at + 1] == 0xE1:
            return jpeg[at:at + 2 + length]
        at += 2 + length
    return b""


def png_chunk(name, data):
    typed = name + data
    return struct.pack(">I", len(data)) + typed + struct.pack(">I", zlib.crc32(typed))


def png_file(block):
    header = struct.pack(">IIBBBBB", 1, 1, 8, 0, 0, 0, 0)
    exif = png_chunk(b"eXIf", block) if block else b""
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + exif + png_chunk(b"IDAT", PNG_PIXEL) +
            png_chunk(b"IEND", b""))


def riff_chunk(name, payload):
    return name + struct.pack("<I", len(payload)) + payload + (b"\0" if len(payload) % 2 else b"")


def webp_file(block):
    flags = 0x08 if block else 0  # the Exif flag
    chunks = riff_chunk(b"VP8X", bytes([flags]) + bytes(9)) + riff_chunk(b"VP8L", WEBP_PIXEL)
    if block:
        chunks += riff_chunk(b"EXIF", block)
    riff = b"WEBP" + chunks
    return b"RIFF" + struct.pack("<I", len(riff)) + riff


def boxes(data, start, end):
    """(name, payload start, end) of the boxes in data[start:end]."""
    while start + 8 <= end:
        size, name = struct.unpack(">I4s", data[start:start + 8])
        header = 8
        if size == 1:
            size, header = struct.unpack(">Q", data[start + 8:start + 16])[0], 16
        elif size == 0:
            size = end - start
        yield name, start + header, start + size
        start += size


def heif_exif_item(data):
    """The Exif item's bytes of a HEIF file: iinf, iloc (versions 0 to 2, method 0 or 1)."""
    meta = next((b for b in boxes(data, 0, len(data)) if b[0] == b"meta"), None)
    if not meta:
        return None
    parts = {name: (start, end) for name, start, end in boxes(data, meta[1] + 4, meta[2])}
    start, end = parts[b"iinf"]
    count_width = 2 if data[start] == 0 else 4
    exif_id = None
    for name, entry, _ in boxes(data, start + 4 + count_width, end):
        version = data[entry]
        if name == b"infe" and version in (2, 3):
            width = 2 if version == 2 else 4
            item_id = int.from_bytes(data[entry + 4:entry + 4 + width], "big")
            if data[entry + 6 + width:entry + 10 + width] == b"Exif":
                exif_id = item_id
                break
    if exif_id is None:
        return None
    at, _ = parts[b"iloc"]
    version = data[at]
    sizes = data[at + 4], data[at + 5]
    offset_w, length_w, base_w = sizes[0] >> 4, sizes[0] & 15, sizes[1] >> 4
    index_w = sizes[1] & 15 if version else 0
    at += 6
    wide = 2 if version < 2 else 4

    def take(width):
        nonlocal at
        value = int.from_bytes(data[at:at + width], "big") if width else 0
        at += width
        return value

    for _ in range(take(wide)):
        item_id = take(wide)
        method = take(2) & 15 if version else 0
        take(2)
        base = take(base_w)
        extents = [(take(index_w), take(offset_w), take(length_w)) for _ in range(take(2))]
        if item_id == exif_id:
            origin = parts[b"idat"][0] if method == 1 else 0
            return b"".join(data[origin + base + o:origin + base + o + n] for _, o, n in extents)
    return None


def describe_difference(original, found):
    if found is None:
        return "no Exif item"
    offset = struct.unpack(">I", found[:4])[0]
    block = found[4 + offset:]
    if block.startswith(EXIF_IDENTIFIER):
        block = block[6:]
    if block == original:
        return "Exif item holds the original block"
    if len(block) != len(original):
        return "block of %d bytes, original %d" % (len(block), len(original))
    changed = [i for i in range(len(block)) if block[i] != original[i]]
    return "block differs from the original at byte(s) %s" % ", ".join(map(str, changed[:8]))


def make_heif(jpeg, out_path, work):
    """heif-enc writes HEIC, or AVIF for a name ending in .avif."""
    tiny = os.path.join(work, "tiny.jpg")
    subprocess.run(["convert", "-size", "64x64", "xc:gray", "-quality", "50", tiny], check=True)
    with open(tiny, "rb") as f:
        plain = f.read()
    spliced = os.path.join(work, "spliced.jpg")
    with open(spliced, "wb") as f:
        f.write(plain[:2] + app1_segment(jpeg) + plain[2:])
    subprocess.run(["heif-enc", "-q", "30", spliced, "-o", out_path], check=True, stdout=subprocess.DEVNULL)


def webp_with_exif(simple, block):
    """A simple lossy WebP (one VP8 chunk) made extended, with an EXIF chunk behind the image."""
    image = simple[12:]
    width, height = struct.unpack("<HH", image[8 + 6:8 + 10])
    canvas = struct.pack("<I", (width & 0x3FFF) - 1)[:3] + struct.pack("<I", (height & 0x3FFF) - 1)[:3]
    riff = b"WEBP" + riff_chunk(b"VP8X", bytes([0x08, 0, 0, 0]) + canvas) + image + riff_chunk(b"EXIF", block)
    return b"RIFF" + struct.pack("<I", len(riff)) + riff


def make_bench(out, photo):
    os.makedirs(out, exist_ok=True)
    with open(photo, "rb") as f:
        jpeg = f.read()
    block = exif_block_of_jpeg(jpeg)
    if not block:
        sys.exit("make_container_samples: %s has no Exif block" % photo)
    with tempfile.TemporaryDirectory() as work:
        subprocess.run(["heif-enc", "-q", "50", photo, "-o", os.path.join(out, "photo.heic")], check=True,
                       stdout=subprocess.DEVNULL)
        plain = os.path.join(work, "plain.png")
        subprocess.run(["convert", photo, "-strip", plain], check=True)
        with open(plain, "rb") as f:
            png = f.read()
        header_end = 8 + 8 + 13 + 4  # signature, IHDR
        with open(os.path.join(out, "photo.png"), "wb") as f:
            f.write(png[:header_end] + png_chunk(b"eXIf", block) + png[header_end:])
        lossy = os.path.join(work, "plain.webp")
        subprocess.run(["cwebp", "-quiet", "-q", "80", photo, "-o", lossy], check=True)
        with open(lossy, "rb") as f:
            webp = webp_with_exif(f.read(), block)
        with open(os.path.join(out, "photo.webp"), "wb") as f:
            f.write(webp)
        pixels = subprocess.run(["convert", photo, "-strip", "rgb:-"], check=True, stdout=subprocess.PIPE).stdout
        with open(os.path.join(out, "photo.tif"), "wb") as f:
            f.write(block + pixels)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--bench":
        make_bench(sys.argv[2], sys.argv[3])
        return
    samples = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "samples")
    out = os.path.join(samples, "containers")
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for name in sorted(os.listdir(samples)):
            if not name.endswith(".jpg"):
                continue
            stem = name[:-4]
            with open(os.path.join(samples, name), "rb") as f:
                jpeg = f.read()
            block = exif_block_of_jpeg(jpeg)
            made = {"png": png_file(block), "webp": webp_file(block)}
            if block:
                made["tif"] = block  # the block is a TIFF file by itself
            for ext, data in made.items():
                with open(os.path.join(out, stem + "." + ext), "wb") as f:
                    f.write(data)
            for ext in ["heic"] + (["avif"] if stem in AVIF_STEMS else []):
                heif = os.path.join(out, stem + "." + ext)
                make_heif(jpeg, heif, work)
                with open(heif, "rb") as f:
                    found = heif_exif_item(f.read())
                note = describe_difference(block, found) if block else ("no Exif item" if found is None else "Exif item!")
                print("%-30s %s" % (stem + "." + ext, note))


if __name__ == "__main__":
    main()
