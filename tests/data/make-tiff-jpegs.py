#!/usr/bin/env python3
"""Makes the JPEG-compressed TIFF files of the test corpus (compression 7, one JPEG stream a strip
or tile, as libtiff reads them).

- kinds/tiff-jpeg-strips-rose-70x46.tif: the rose as ImageMagick writes a JPEG TIFF (YCbCr,
  shared tables in JPEGTables, abbreviated streams in the strips): must load as before.
- broken/tiff-jpeg-arithmetic-empty-refinements-3344x3344.tif: one strip holding a progressive,
  arithmetic-coded greyscale JPEG of a flat picture with 96 empty AC refinement scans after its
  progression (libtiff lets 100 scans through); the file is padded to 400 kB, which pays for the
  picture itself, so that only the scans' cost is left to refuse.
- broken/tiff-jpeg-progressive-cat-451x300.tif: one strip holding a valid progressive JPEG.
- broken/tiff-jpeg-sequential-90-scans-rose-70x46.tif: one strip holding a sequential greyscale
  JPEG whose one component is sent 90 times over.

Needs ImageMagick 6 (convert), cjpeg (libjpeg-turbo-progs) and python3. Run from the repository's
root:  python3 tests/data/make-tiff-jpegs.py
The files are committed; this script says how they were made and remakes them.
"""

import os
import struct
import subprocess
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CORPUS = os.path.join(ROOT, "tests", "corpus")
ROSE = os.path.join(CORPUS, "photos", "small-rose-70x46.bmp")
CAT = os.path.join(CORPUS, "photos", "photo-cat-chelsea-451x300.bmp")


def cjpeg(source, out, *options):
    subprocess.run(["cjpeg", *options, "-outfile", out, source], check=True)
    return open(out, "rb").read()


def grey_tiff_of_jpeg(jpeg, width, height, padding=0):
    """A little-endian greyscale TIFF of one strip that is the whole JPEG stream `jpeg`."""
    strip_at = 8
    ifd_at = strip_at + len(jpeg) + padding
    ifd_at += ifd_at & 1
    entries = [
        (256, 4, 1, width),         # ImageWidth
        (257, 4, 1, height),        # ImageLength
        (258, 3, 1, 8),             # BitsPerSample
        (259, 3, 1, 7),             # Compression: JPEG
        (262, 3, 1, 1),             # Photometric: min-is-black
        (273, 4, 1, strip_at),      # StripOffsets
        (277, 3, 1, 1),             # SamplesPerPixel
        (278, 4, 1, height),        # RowsPerStrip
        (279, 4, 1, len(jpeg)),     # StripByteCounts
    ]
    ifd = struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        if kind == 3:
            ifd += struct.pack("<HHIHH", tag, kind, count, value, 0)
        else:
            ifd += struct.pack("<HHII", tag, kind, count, value)
    ifd += struct.pack("<I", 0)
    body = jpeg + b"\0" * (ifd_at - strip_at - len(jpeg))
    return b"II*\0" + struct.pack("<I", ifd_at) + body + ifd


def flat_pgm(path, side):
    with open(path, "wb") as f:
        f.write(b"P5 %d %d 255\n" % (side, side) + b"\x80" * (side * side))


def main():
    subprocess.run(["convert", ROSE, "-compress", "jpeg", "-quality", "90",
                    os.path.join(CORPUS, "kinds", "tiff-jpeg-strips-rose-70x46.tif")], check=True)
    broken = os.path.join(CORPUS, "broken")
    with tempfile.TemporaryDirectory() as tmp:
        pgm = os.path.join(tmp, "flat.pgm")
        flat_pgm(pgm, 3344)
        script = os.path.join(tmp, "scans.txt")
        with open(script, "w") as f:
            f.write("0: 0 0 0 0;\n0: 1 63 0 1;\n0: 1 63 1 0;\n")
        jpeg = cjpeg(pgm, os.path.join(tmp, "flat.jpg"), "-grayscale", "-arithmetic", "-quality", "100",
                     "-scans", script)
        # FF DA, length 8, one component (id 1, tables 0), Ss 1, Se 63, Ah 1, Al 0, no data.
        refinement = bytes([0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x01, 0x3F, 0x10])
        jpeg = jpeg[:-2] + refinement * 96 + b"\xff\xd9"
        with open(os.path.join(broken, "tiff-jpeg-arithmetic-empty-refinements-3344x3344.tif"), "wb") as f:
            tiff = grey_tiff_of_jpeg(jpeg, 3344, 3344)
            f.write(grey_tiff_of_jpeg(jpeg, 3344, 3344, 400000 - len(tiff)))

        grey = os.path.join(tmp, "cat.pgm")
        subprocess.run(["convert", CAT, "-colorspace", "gray", grey], check=True)
        jpeg = cjpeg(grey, os.path.join(tmp, "cat.jpg"), "-grayscale", "-progressive")
        with open(os.path.join(broken, "tiff-jpeg-progressive-cat-451x300.tif"), "wb") as f:
            f.write(grey_tiff_of_jpeg(jpeg, 451, 300))
        grey = os.path.join(tmp, "rose.pgm")
        subprocess.run(["convert", ROSE, "-colorspace", "gray", grey], check=True)
        jpeg = cjpeg(grey, os.path.join(tmp, "rose.jpg"), "-grayscale")
        sos = jpeg.index(b"\xff\xda")
        scan = jpeg[sos:-2]
        with open(os.path.join(broken, "tiff-jpeg-sequential-90-scans-rose-70x46.tif"), "wb") as f:
            f.write(grey_tiff_of_jpeg(jpeg[:sos] + scan * 90 + b"\xff\xd9", 70, 46))


if __name__ == "__main__":
    main()
