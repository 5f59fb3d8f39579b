#!/usr/bin/env python3
"""Makes the HEIF files of tests/corpus/broken whose HEVC data decodes to more than their boxes
declare: libheif allocates and decodes what the sequence parameter set of an image's HEVC stream
says, whatever its size property ("ispe") claims, so each is a few kilobytes that would cost
seconds of decoding and hundreds of megabytes.

The coded pictures are flat grey frames encoded once with heif-enc (Debian libheif-examples,
through libheif's x265 encoder); the files around them are written here. Needs heif-enc and
python3; run from the repository's root:  python3 tests/data/make-heic-coded-sizes.py
The files are committed; this script says how they were made and remakes them.
"""

import os
import struct
import subprocess
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BROKEN = os.path.join(ROOT, "tests", "corpus", "broken")


def box(kind, payload, version=None, flags=0):
    if version is not None:
        payload = struct.pack(">I", (version << 24) | flags) + payload
    return struct.pack(">I", 8 + len(payload)) + kind + payload


def encode_flat(side, tmp):
    """The hvcC box and the coded data of a flat grey side × side picture, 4:2:0, as heif-enc
    writes them."""
    y4m = os.path.join(tmp, "flat%d.y4m" % side)
    with open(y4m, "wb") as f:
        f.write(b"YUV4MPEG2 W%d H%d F25:1 Ip A1:1 C420jpeg\nFRAME\n" % (side, side))
        f.write(b"\x80" * (side * side * 3 // 2))
    heic = os.path.join(tmp, "flat%d.heic" % side)
    subprocess.run(["heif-enc", "-q", "50", "-p", "preset=ultrafast", y4m, "-o", heic], check=True)
    data = open(heic, "rb").read()
    at = data.index(b"hvcC") - 4
    hvcc = data[at:at + struct.unpack(">I", data[at:at + 4])[0]]
    at = data.index(b"mdat") - 4
    coded = data[at + 8:at + struct.unpack(">I", data[at:at + 4])[0]]
    return hvcc, coded


def parameter_sets(hvcc):
    """The VPS, SPS and PPS NAL units of an hvcC box, each behind a 4-byte length as in item data."""
    at = 8 + 22
    out = b""
    arrays = hvcc[at]
    at += 1
    for _ in range(arrays):
        count = struct.unpack(">H", hvcc[at + 1:at + 3])[0]
        at += 3
        for _ in range(count):
            length = struct.unpack(">H", hvcc[at:at + 2])[0]
            out += struct.pack(">I", length) + hvcc[at + 2:at + 2 + length]
            at += 2 + length
    return out


def ispe(width, height):
    return box(b"ispe", struct.pack(">II", width, height), version=0)


def clap(width, height):
    # A centred clean aperture of width × height.
    return box(b"clap", struct.pack(">8I", width, 1, height, 1, 0, 1, 0, 1))


def heif(items, references, primary):
    """A HEIF file of `items`: (id, type, hidden, [(property box, essential)], data), with
    `references`: (type, from, [to, ...]); each item's data lies in the mdat box."""
    properties, associations = [], []
    for item_id, _, _, props, _ in items:
        indices = []
        for prop, essential in props:
            if prop not in properties:
                properties.append(prop)
            indices.append((0x80 if essential else 0) | (properties.index(prop) + 1))
        associations.append(struct.pack(">HB", item_id, len(indices)) + bytes(indices))
    ipco = box(b"ipco", b"".join(properties))
    ipma = box(b"ipma", struct.pack(">I", len(items)) + b"".join(associations), version=0)
    iinf = box(b"iinf", struct.pack(">H", len(items)) + b"".join(
        box(b"infe", struct.pack(">HH", item_id, 0) + kind + b"\0", version=2, flags=1 if hidden else 0)
        for item_id, kind, hidden, _, _ in items), version=0)
    iref = box(b"iref", b"".join(box(kind, struct.pack(">HH", source, len(targets)) +
                                     b"".join(struct.pack(">H", t) for t in targets))
                                 for kind, source, targets in references), version=0)
    ftyp = box(b"ftyp", b"heic" + struct.pack(">I", 0) + b"mif1heic")
    hdlr = box(b"hdlr", struct.pack(">I", 0) + b"pict" + b"\0" * 12 + b"\0", version=0)
    pitm = box(b"pitm", struct.pack(">H", primary), version=0)

    def build(mdat_offset):
        entries, at = b"", mdat_offset
        for item_id, _, _, _, data in items:
            entries += struct.pack(">HHHI", item_id, 0, 0, 0) + struct.pack(">HII", 1, at, len(data))
            at += len(data)
        # iloc version 1: 4-byte offsets, lengths and base offsets; construction method 0.
        iloc = box(b"iloc", bytes((0x44, 0x40)) + struct.pack(">H", len(items)) + entries, version=1)
        meta = box(b"meta", hdlr + pitm + iloc + iinf + (iref if references else b"") +
                   box(b"iprp", ipco + ipma), version=0)
        return ftyp + meta

    head = build(0)
    head = build(len(head) + 8)
    return head + box(b"mdat", b"".join(data for _, _, _, _, data in items))


def write(name, data):
    with open(os.path.join(BROKEN, name), "wb") as f:
        f.write(data)


def main():
    with tempfile.TemporaryDirectory() as tmp:
        hvcc64, coded64 = encode_flat(64, tmp)
        hvcc4096, coded4096 = encode_flat(4096, tmp)
        hvcc8192, coded8192 = encode_flat(8192, tmp)

    # A 4 × 4 grid of 64 × 64 pixels whose every tile, said to be 16 × 16, codes 4096 × 4096.
    write("heic-grid-tiles-declared-16x16-coded-4096x4096.heic", heif(
        [(1, b"grid", False, [(ispe(64, 64), False)], struct.pack(">BBBBHH", 0, 0, 3, 3, 64, 64)),
         (2, b"hvc1", True, [(hvcc4096, True), (ispe(16, 16), False)], coded4096)],
        [(b"dimg", 1, [2] * 16)], 1))
    # One picture said to be 64 × 64 that codes 8192 × 8192.
    write("heic-ispe-64x64-coded-8192x8192.heic", heif(
        [(1, b"hvc1", False, [(hvcc8192, True), (ispe(64, 64), False)], coded8192)], [], 1))
    # An identity-derived picture of 64 × 64 (a clean aperture of its source), whose source
    # honestly declares and codes 4096 × 4096.
    write("heic-iden-64x64-of-4096x4096.heic", heif(
        [(1, b"iden", False, [(ispe(4096, 4096), False), (clap(64, 64), True)], b""),
         (2, b"hvc1", True, [(hvcc4096, True), (ispe(4096, 4096), False)], coded4096)],
        [(b"dimg", 1, [2])], 1))
    # The same identity of an item whose type names no image (as libFuzzer made it from the file
    # above): libheif 1.15 fails an assertion on it and ends the program.
    write("heic-iden-of-item-that-is-no-image.heic", heif(
        [(1, b"iden", False, [(ispe(4096, 4096), False), (clap(64, 64), True)], b""),
         (2, b"hvc0", True, [(hvcc4096, True), (ispe(4096, 4096), False)], coded4096)],
        [(b"dimg", 1, [2])], 1))
    # The decoder configuration of a 64 × 64 picture, but the item's own data starts with the
    # parameter sets of a 4096 × 4096 one, which replace it before the first slice.
    write("heic-sps-in-data-4096x4096-behind-hvcc-64x64.heic", heif(
        [(1, b"hvc1", False, [(hvcc64, True), (ispe(64, 64), False)], parameter_sets(hvcc4096) + coded4096)],
        [], 1))
    # A 64 × 64 picture whose alpha plane, also said to be 64 × 64, codes 8192 × 8192.
    alpha = box(b"auxC", b"urn:mpeg:hevc:2015:auxid:1\0", version=0)
    write("heic-alpha-declared-64x64-coded-8192x8192.heic", heif(
        [(1, b"hvc1", False, [(hvcc64, True), (ispe(64, 64), False)], coded64),
         (2, b"hvc1", False, [(hvcc8192, True), (ispe(64, 64), False), (alpha, True)], coded8192)],
        [(b"auxl", 2, [1])], 1))

if __name__ == "__main__":
    main()
