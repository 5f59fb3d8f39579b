#!/usr/bin/env python3
"""Writes the slow JPEG files of the test corpus (tests/corpus/*/jpg-slow-*.jpg).

Each is a progressive, arithmetic-coded greyscale picture of one 8 x 8 tile of noise repeated
over the whole frame: arithmetic coding squeezes the identical blocks to almost nothing, while
every block carries all 63 AC coefficients, so every refinement scan must touch each of them.

- jpg-slow-570-repeated-refinements-3344x3344.jpg: a valid DC + AC progression, then 570 AC
  refinement scans with no data, each sending the lowest bit again (a bogus progression that
  libjpeg only warns about). The scans stay just under the cap of block visits, yet each visit of
  such a scan costs 60 times what an empty first scan does.
- jpg-slow-571-repeated-refinements-3344x3344.jpg: the same with one scan more.
- jpg-slow-valid-progression-1024x1024.jpg: a valid progression of 640 scans (one coefficient
  a scan, from bit 9 down to bit 0): every scan is new data, and the work is what its pricing
  says.

The pictures come from cjpeg (libjpeg-turbo-progs) with scan scripts. cjpeg writes at most 100
scans a file, so the long progression is spliced from several of its files: an arithmetic-coded
scan depends only on its own parameters and on the bits sent before for its coefficients, never
on other scans. The repeated scans are scan headers written here by hand.

Usage: make-slow-jpegs.py [corpus folder]
"""
import os
import random
import subprocess
import sys
import tempfile

corpus = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "corpus")
broken = os.path.join(corpus, "broken")


def tiled_pgm(path, side, noise):
    rng = random.Random(19)
    tile = [[rng.randrange(256) if noise else 128 for _ in range(8)] for _ in range(8)]
    with open(path, "wb") as f:
        f.write(b"P5 %d %d 255\n" % (side, side))
        for y in range(side):
            f.write(bytes(tile[y % 8][x % 8] for x in range(8)) * (side // 8))


def encode(pgm, script, out):
    with tempfile.NamedTemporaryFile("w", suffix=".scan", delete=False) as f:
        f.write(script)
        scan = f.name
    try:
        subprocess.run(["cjpeg", "-grayscale", "-arithmetic", "-quality", "100", "-scans", scan,
                        "-outfile", out, pgm], check=True)
    finally:
        os.unlink(scan)
    with open(out, "rb") as f:
        return f.read()


def split_scans(jpeg):
    """The bytes up to the frame header, and each scan: its header with the table segments (DAC)
    before it, and its entropy-coded data."""
    at = jpeg.index(b"\xff\xca")
    at += 2 + int.from_bytes(jpeg[at + 2:at + 4], "big")
    head, scans, start = jpeg[:at], [], at
    while jpeg[at:at + 2] != b"\xff\xd9":
        marker = jpeg[at + 1]
        at += 2 + int.from_bytes(jpeg[at + 2:at + 4], "big")
        if marker != 0xDA:
            continue
        while not (jpeg[at] == 0xFF and jpeg[at + 1] not in (0x00, *range(0xD0, 0xD8))):
            at += 1
        scans.append(jpeg[start:at])
        start = at
    return head, scans


def with_repeated_refinements(jpeg, count):
    # FF DA, length 8, one component (id 1, tables 0), Ss 1, Se 63, Ah 1, Al 0: the last bit
    # of AC 1..63 once more, with no entropy-coded data behind it.
    assert jpeg.endswith(b"\xff\xd9")
    scan = bytes([0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x01, 0x3F, 0x10])
    return jpeg[:-2] + scan * count + b"\xff\xd9"


with tempfile.TemporaryDirectory() as tmp:
    pgm = os.path.join(tmp, "tile.pgm")
    tiled_pgm(pgm, 3344, noise=False)
    base = encode(pgm, "0: 0 0 0 0;\n0: 1 63 0 1;\n0: 1 63 1 0;\n", os.path.join(tmp, "base.jpg"))
    for count in (570, 571):
        name = "jpg-slow-%d-repeated-refinements-3344x3344.jpg" % count
        with open(os.path.join(broken, name), "wb") as f:
            f.write(with_repeated_refinements(base, count))

    tiled_pgm(pgm, 1024, noise=True)
    dc = ["0: 0 0 0 9;"] + ["0: 0 0 %d %d;" % (a, a - 1) for a in range(9, 0, -1)]
    head, scans = None, []
    for group in range(7):
        script = list(dc)
        for k in range(1 + 9 * group, 10 + 9 * group):
            script.append("0: %d %d 0 9;" % (k, k))
            script += ["0: %d %d %d %d;" % (k, k, a, a - 1) for a in range(9, 0, -1)]
        jpeg = encode(pgm, "\n".join(script) + "\n", os.path.join(tmp, "part.jpg"))
        part_head, part_scans = split_scans(jpeg)
        head = head or part_head
        scans += part_scans if group == 0 else part_scans[len(dc):]
    with open(os.path.join(corpus, "jpeg", "jpg-slow-valid-progression-1024x1024.jpg"), "wb") as f:
        f.write(head + b"".join(scans) + b"\xff\xd9")
