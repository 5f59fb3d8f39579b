#!/usr/bin/env python3
"""Makes the pictures of tests/corpus/kinds and the hostile ones of tests/corpus/broken that the
PNG, WebP, GIF, TIFF and HEIF decoders and the EXIF orientation are tested with.

Needs ImageMagick 6 (convert, with its PNG, WebP, TIFF and HEIC coders, as Debian ships it) and
python3. Run from the repository's root:  python3 tests/data/make-picture-kinds.py
The files are committed; this script says how they were made and remakes them.
"""

import os
import struct
import subprocess
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CORPUS = os.path.join(ROOT, "tests", "corpus")
KINDS = os.path.join(CORPUS, "kinds")
BROKEN = os.path.join(CORPUS, "broken")
ROSE = os.path.join(CORPUS, "photos", "small-rose-70x46.bmp")
CAT = os.path.join(CORPUS, "photos", "photo-cat-chelsea-451x300.bmp")
VIGNETTE = os.path.join(CORPUS, "bmp-variants", "var-rose-32bit-alpha-vignette-v5-70x46.bmp")


def convert(*args):
    subprocess.run(["convert", *args], check=True)


def kinds(name):
    return os.path.join(KINDS, name)


def broken(name):
    return os.path.join(BROKEN, name)


def rgba_of(path):
    """The 8-bit RGBA samples of a picture, as ImageMagick reads it."""
    out = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], check=True, capture_output=True).stdout
    size = subprocess.run(["identify", "-format", "%w %h", path + "[0]"], check=True, capture_output=True).stdout
    w, h = map(int, size.split())
    return w, h, out


def write_bmp24(path, w, h, rgb):
    """A plain 24-bit bottom-up Windows bitmap of `rgb` (rows top to bottom, 3 bytes a pixel)."""
    stride = (3 * w + 3) & ~3
    rows = bytearray()
    for y in range(h - 1, -1, -1):
        row = rgb[3 * w * y:3 * w * (y + 1)]
        bgr = bytearray()
        for x in range(w):
            r, g, b = row[3 * x:3 * x + 3]
            bgr += bytes((b, g, r))
        rows += bgr + b"\0" * (stride - 3 * w)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + rows)


def on_white_bmp(source, path):
    """The picture of `source` laid on white, the bare cloth, as a 24-bit bitmap."""
    w, h, rgba = rgba_of(source)
    rgb = bytearray()
    for i in range(0, len(rgba), 4):
        a = rgba[i + 3]
        for c in rgba[i:i + 3]:
            rgb.append((c * a + 255 * (255 - a) + 127) // 255)
    write_bmp24(path, w, h, rgb)


def bmp24(source, path, *ops):
    convert(source, *ops, "-type", "truecolor", "BMP3:" + path)


def chunk(kind, data, crc=None):
    if crc is None:
        crc = zlib.crc32(kind + data)
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", crc & 0xFFFFFFFF)


def png(width, height, idat, colour_type=2, extra=b""):
    ihdr = struct.pack(">IIBBBBB", width, height, 8, colour_type, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + extra + chunk(b"IDAT", idat) + chunk(b"IEND", b"")


def deflate_zeros(count):
    z = zlib.compressobj(9)
    out = bytearray()
    block = b"\0" * (1 << 20)
    while count > 0:
        n = min(count, len(block))
        out += z.compress(block[:n])
        count -= n
    return bytes(out + z.flush())


def tiff_header_only(path, width, height, tile):
    """A little-endian TIFF whose one directory declares a tiled RGB picture and the offsets of
    its tiles, which lie beyond the file's end."""
    across = (width + tile - 1) // tile
    down = (height + tile - 1) // tile
    tiles = across * down
    entries = [
        (256, 4, 1, width),        # ImageWidth
        (257, 4, 1, height),       # ImageLength
        (258, 3, 1, 8),            # BitsPerSample
        (259, 3, 1, 1),            # Compression: none
        (262, 3, 1, 1),            # Photometric: min-is-black
        (277, 3, 1, 1),            # SamplesPerPixel
        (322, 3, 1, tile),         # TileWidth
        (323, 3, 1, tile),         # TileLength
        (324, 4, tiles, 0x100000), # TileOffsets, far beyond the file
        (325, 4, tiles, 0x100000), # TileByteCounts
    ]
    ifd = struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        if kind == 3 and count == 1:
            ifd += struct.pack("<HHIHH", tag, kind, count, value, 0)
        else:
            ifd += struct.pack("<HHII", tag, kind, count, value)
    ifd += struct.pack("<I", 0)
    with open(path, "wb") as f:
        f.write(b"II*\0" + struct.pack("<I", 8) + ifd)


def exif_app1(orientation):
    """An APP1 segment with an EXIF block whose first directory holds only the orientation."""
    tiff = b"MM\0*" + struct.pack(">I", 8) + struct.pack(">H", 1)
    tiff += struct.pack(">HHIHH", 0x0112, 3, 1, orientation, 0) + struct.pack(">I", 0)
    body = b"Exif\0\0" + tiff
    return b"\xff\xe1" + struct.pack(">H", len(body) + 2) + body


def with_exif(jpeg, orientation):
    assert jpeg[:2] == b"\xff\xd8"
    return jpeg[:2] + exif_app1(orientation) + jpeg[2:]


def truncate(source, path, fraction):
    data = open(source, "rb").read()
    with open(path, "wb") as f:
        f.write(data[:int(len(data) * fraction)])


def make_kinds():
    os.makedirs(KINDS, exist_ok=True)
    # References: the same pixels as 24-bit bitmaps.
    bmp24(ROSE, kinds("ref-rose-64colours-70x46.bmp"), "+dither", "-colors", "64")
    bmp24(ROSE, kinds("ref-rose-grey-70x46.bmp"), "-colorspace", "gray")
    bmp24(ROSE, kinds("ref-rose-bilevel-70x46.bmp"), "-colorspace", "gray", "-threshold", "50%")
    on_white_bmp(VIGNETTE, kinds("ref-rose-vignette-on-white-70x46.bmp"))
    ref64 = kinds("ref-rose-64colours-70x46.bmp")
    grey = kinds("ref-rose-grey-70x46.bmp")
    bilevel = kinds("ref-rose-bilevel-70x46.bmp")

    # PNG: every colour type, 1 to 16 bits, interlaced, with alpha.
    convert(ROSE, "PNG24:" + kinds("png-rgb8-rose-70x46.png"))
    convert(ROSE, "-depth", "16", "PNG48:" + kinds("png-rgb16-rose-70x46.png"))
    convert(ROSE, "-interlace", "PNG", "PNG24:" + kinds("png-rgb8-interlaced-rose-70x46.png"))
    convert(ref64, "PNG8:" + kinds("png-palette8-rose-64colours-70x46.png"))
    convert(grey, "-define", "png:color-type=0", "-define", "png:bit-depth=8",
            kinds("png-grey8-rose-70x46.png"))
    convert(grey, "-depth", "16", "-define", "png:color-type=0", "-define", "png:bit-depth=16",
            kinds("png-grey16-rose-70x46.png"))
    convert(bilevel, "-define", "png:color-type=0", "-define", "png:bit-depth=1",
            kinds("png-grey1-rose-bilevel-70x46.png"))
    convert(VIGNETTE, "PNG32:" + kinds("png-rgba8-rose-vignette-70x46.png"))
    convert(VIGNETTE, "-depth", "16", "PNG64:" + kinds("png-rgba16-rose-vignette-70x46.png"))

    # WebP: lossless, lossy, lossless with alpha, and an animation whose first frame is the rose.
    convert(ROSE, "-define", "webp:lossless=true", kinds("webp-lossless-rose-70x46.webp"))
    convert(ROSE, "-quality", "80", kinds("webp-lossy-rose-70x46.webp"))
    convert(VIGNETTE, "-define", "webp:lossless=true", "-define", "webp:exact=true",
            kinds("webp-lossless-alpha-rose-vignette-70x46.webp"))
    convert("-delay", "20", ROSE, "(", ROSE, "-flop", ")", "-loop", "0", "-define", "webp:lossless=true",
            kinds("webp-animated-rose-70x46.webp"))

    # GIF: the first frame, interlaced or not, and one with a transparent colour.
    convert(ref64, kinds("gif-rose-64colours-70x46.gif"))
    convert(ref64, "-interlace", "GIF", kinds("gif-interlaced-rose-64colours-70x46.gif"))
    convert("-delay", "20", ref64, "(", ref64, "-flip", ")", "-loop", "0",
            kinds("gif-animated-rose-64colours-70x46.gif"))

    # TIFF: strips and tiles, 8 and 16 bits, grey, alpha, several pages.
    convert(ROSE, "-compress", "lzw", kinds("tiff-strips-rgb8-lzw-rose-70x46.tif"))
    convert(ROSE, "-define", "tiff:tile-geometry=16x16", "-compress", "zip",
            kinds("tiff-tiles-rgb8-deflate-rose-70x46.tif"))
    convert(ROSE, "-depth", "16", "-compress", "none", kinds("tiff-strips-rgb16-rose-70x46.tif"))
    convert(grey, "-colorspace", "gray", "-compress", "none", kinds("tiff-grey8-rose-70x46.tif"))
    convert(VIGNETTE, "-alpha", "on", "-compress", "lzw", kinds("tiff-rgba8-rose-vignette-70x46.tif"))
    convert(ROSE, "(", ROSE, "-negate", ")", "-compress", "lzw", kinds("tiff-two-pages-rose-70x46.tif"))

    # HEIC as phones save photos (HEVC through libheif's x265 encoder).
    convert(ROSE, "-quality", "90", kinds("heic-rose-70x46.heic"))
    convert(CAT, "-quality", "60", kinds("heic-cat-451x300.heic"))

    make_heic_turned(kinds("heic-irot-quarter-anticlockwise-rose-46x70.heic"),
                     open(kinds("heic-rose-70x46.heic"), "rb").read())

    # A WebP under a JPEG name, as browsers save them.
    convert(ROSE, "-define", "webp:lossless=true", "webp:" + kinds("webp-named-jpg-rose-70x46.jpg"))

    # JPEG with each EXIF orientation: the upright picture has four coloured quarters and is 48 × 32;
    # each file stores it turned so that the orientation tag sets it upright again.
    upright = kinds("ref-quarters-upright-48x32.bmp")
    convert("-size", "24x16", "xc:#ff0000", "-size", "24x16", "xc:#00c000", "+append",
            "(", "-size", "24x16", "xc:#0000ff", "-size", "24x16", "xc:#ffff00", "+append", ")", "-append",
            "-type", "truecolor", "BMP3:" + upright)
    stored = {1: [], 2: ["-flop"], 3: ["-rotate", "180"], 4: ["-flip"], 5: ["-transpose"],
              6: ["-rotate", "270"], 7: ["-transverse"], 8: ["-rotate", "90"]}
    for orientation, ops in stored.items():
        jpeg = subprocess.run(["convert", upright, *ops, "-strip", "-quality", "95", "-sampling-factor", "1x1",
                               "jpeg:-"], check=True, capture_output=True).stdout
        with open(kinds(f"jpg-exif-orientation{orientation}-quarters-48x32.jpg"), "wb") as f:
            f.write(with_exif(jpeg, orientation))


def make_broken():
    os.makedirs(BROKEN, exist_ok=True)
    rose_png = open(kinds("png-rgb8-rose-70x46.png"), "rb").read()

    # A header of 60000 × 60000 pixels and no picture data.
    with open(broken("png-60000x60000-no-data.png"), "wb") as f:
        f.write(png(60000, 60000, b""))
    # 16384 × 16384 is within the picture limits, but a few bytes cannot pay for 1.5 GiB.
    with open(broken("png-16384x16384-few-bytes.png"), "wb") as f:
        f.write(png(16384, 16384, zlib.compress(b"\0" * 1000)))
    # Zlib bombs: picture data that inflates to 960 MiB of zeros, declared as the 16000 × 16000
    # grey picture it fills, and behind a picture of 8 × 8 pixels that needs 200 bytes of it.
    bomb = deflate_zeros(960 << 20)
    with open(broken("png-zlib-bomb-960mib-16000x16000-grey.png"), "wb") as f:
        f.write(png(16000, 16000, bomb, colour_type=0))
    with open(broken("png-zlib-bomb-960mib-behind-8x8.png"), "wb") as f:
        f.write(png(8, 8, bomb))
    # A compressed text chunk that inflates to 960 MiB, before a valid 70 × 46 picture.
    ihdr_end = 8 + 25
    bomb = chunk(b"zTXt", b"Comment\0\0" + deflate_zeros(960 << 20))
    with open(broken("png-ztxt-bomb-960mib-rose.png"), "wb") as f:
        f.write(rose_png[:ihdr_end] + bomb + rose_png[ihdr_end:])
    # Bad checksums in the critical chunks IHDR and IDAT.
    data = bytearray(rose_png)
    data[ihdr_end - 1] ^= 0xFF
    open(broken("png-bad-crc-ihdr-rose.png"), "wb").write(data)
    data = bytearray(rose_png)
    idat = rose_png.index(b"IDAT")
    length = struct.unpack(">I", rose_png[idat - 4:idat])[0]
    data[idat + 4 + length] ^= 0xFF
    open(broken("png-bad-crc-idat-rose.png"), "wb").write(data)
    truncate(kinds("png-rgb8-rose-70x46.png"), broken("png-truncated-half-rose.png"), 0.5)

    truncate(kinds("webp-lossy-rose-70x46.webp"), broken("webp-truncated-half-rose.webp"), 0.5)
    truncate(kinds("webp-lossless-rose-70x46.webp"), broken("webp-lossless-truncated-half-rose.webp"), 0.5)
    # An extended WebP header declaring a 16384 × 16384 canvas over a few bytes.
    vp8x = b"VP8X" + struct.pack("<I", 10) + b"\x10\0\0\0" + (16383).to_bytes(3, "little") * 2
    with open(broken("webp-vp8x-16384x16384-few-bytes.webp"), "wb") as f:
        body = b"WEBP" + vp8x + b"ALPH" + struct.pack("<I", 2) + b"\0\0"
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)

    gif = open(kinds("gif-rose-64colours-70x46.gif"), "rb").read()
    # The logical screen says 65535 × 65535.
    open(broken("gif-screen-65535x65535-rose.gif"), "wb").write(gif[:6] + b"\xff\xff\xff\xff" + gif[10:])
    truncate(kinds("gif-rose-64colours-70x46.gif"), broken("gif-truncated-half-rose.gif"), 0.5)
    open(broken("gif-header-only.gif"), "wb").write(gif[:13])

    # A billion tiles of 16 × 16 pixels, and a million over a picture the file cannot pay for.
    tiff_header_only(broken("tiff-billion-16x16-tiles.tif"), 16 * 31623, 16 * 31623, 16)
    tiff_header_only(broken("tiff-16384x16384-million-tiles.tif"), 16384, 16384, 16)
    # ImageMagick writes the directory after the picture data: cut short, the file loses it.
    truncate(kinds("tiff-strips-rgb8-lzw-rose-70x46.tif"), broken("tiff-truncated-directory-lost-rose.tif"), 0.6)
    # The directory intact, the LZW-coded strips overwritten with other bytes.
    data = bytearray(open(kinds("tiff-strips-rgb8-lzw-rose-70x46.tif"), "rb").read())
    for i in range(8, 4008):
        data[i] = (i * 37) & 0xFF
    open(broken("tiff-garbled-lzw-strips-rose.tif"), "wb").write(data)

    heic = open(kinds("heic-rose-70x46.heic"), "rb").read()
    # The picture's ispe box declares 60000 × 60000 pixels.
    at = heic.index(b"ispe")
    huge = bytearray(heic)
    huge[at + 8:at + 16] = struct.pack(">II", 60000, 60000)
    open(broken("heic-ispe-60000x60000-rose.heic"), "wb").write(huge)
    truncate(kinds("heic-rose-70x46.heic"), broken("heic-truncated-half-rose.heic"), 0.5)
    make_heic_grid(broken("heic-grid-255x255-tiles-of-rose.heic"), heic, 255, 70 * 255, 46 * 255)
    # 1600 tiles for a picture of 70 × 46 pixels: cheap in pixels, dear in tiles.
    make_heic_grid(broken("heic-grid-40x40-tiles-for-70x46.heic"), heic, 40, 70, 46)


def box(kind, payload, version=None, flags=0):
    if version is not None:
        payload = struct.pack(">I", (version << 24) | flags) + payload
    return struct.pack(">I", 8 + len(payload)) + kind + payload


def make_heic_grid(path, heic, side, width, height):
    """A HEIF whose primary image is a grid of `side` × `side` tiles, every one the rose's HEVC
    picture (70 × 64 pixels coded), declaring `width` × `height` pixels over the data of a single
    tile."""
    # The rose's coded picture and its decoder configuration, taken from the real file.
    hvcc_at = heic.index(b"hvcC") - 4
    hvcc = heic[hvcc_at:hvcc_at + struct.unpack(">I", heic[hvcc_at:hvcc_at + 4])[0]]
    mdat_at = heic.index(b"mdat") - 4
    coded = heic[mdat_at + 8:mdat_at + struct.unpack(">I", heic[mdat_at:mdat_at + 4])[0]]
    grid_id, tile_id = 1, 2
    ftyp = box(b"ftyp", b"heic" + struct.pack(">I", 0) + b"mif1heic")
    hdlr = box(b"hdlr", struct.pack(">I", 0) + b"pict" + b"\0" * 12 + b"\0", version=0)
    pitm = box(b"pitm", struct.pack(">H", grid_id), version=0)
    iinf = box(b"iinf", struct.pack(">H", 2) +
               box(b"infe", struct.pack(">HH", grid_id, 0) + b"grid" + b"\0", version=2) +
               box(b"infe", struct.pack(">HH", tile_id, 0) + b"hvc1" + b"\0", version=2, flags=1), version=0)
    # Every cell of the grid names the same tile.
    dimg = box(b"dimg", struct.pack(">HH", grid_id, side * side) + struct.pack(">H", tile_id) * (side * side))
    iref = box(b"iref", dimg, version=0)
    grid = struct.pack(">BBBBHH", 0, 0, side - 1, side - 1, width, height)
    ipco = box(b"ipco", hvcc + box(b"ispe", struct.pack(">II", 70, 64), version=0) +
               box(b"ispe", struct.pack(">II", width, height), version=0))
    # Property 1 is hvcC (essential), 2 the tile's size, 3 the grid's.
    ipma = box(b"ipma", struct.pack(">I", 2) + struct.pack(">HB", grid_id, 1) + bytes((3,)) +
               struct.pack(">HB", tile_id, 2) + bytes((0x81, 2)), version=0)
    iprp = box(b"iprp", ipco + ipma)

    def build(mdat_offset):
        # iloc version 1: 4-byte offsets, lengths and base offsets; construction method 0.
        entries = struct.pack(">HHHI", grid_id, 0, 0, 0) + struct.pack(">HII", 1, mdat_offset, len(grid))
        entries += struct.pack(">HHHI", tile_id, 0, 0, 0) + struct.pack(">HII", 1, mdat_offset + len(grid), len(coded))
        iloc = box(b"iloc", bytes((0x44, 0x40)) + struct.pack(">H", 2) + entries, version=1)
        meta = box(b"meta", hdlr + pitm + iloc + iinf + iref + iprp, version=0)
        return ftyp + meta

    head = build(0)
    head = build(len(head) + 8)
    with open(path, "wb") as f:
        f.write(head + box(b"mdat", grid + coded))


def make_heic_turned(path, heic):
    """The rose's HEIC with an irot property of a quarter turn anticlockwise on its primary image,
    as phones mark a photo taken with the camera held on its side. Like the original, the
    primary image is a grid of one 70 × 64 tile that crops it to 70 × 46."""
    hvcc_at = heic.index(b"hvcC") - 4
    hvcc = heic[hvcc_at:hvcc_at + struct.unpack(">I", heic[hvcc_at:hvcc_at + 4])[0]]
    mdat_at = heic.index(b"mdat") - 4
    coded = heic[mdat_at + 8:mdat_at + struct.unpack(">I", heic[mdat_at:mdat_at + 4])[0]]
    grid_id, tile_id = 1, 2
    ftyp = box(b"ftyp", b"heic" + struct.pack(">I", 0) + b"mif1heic")
    hdlr = box(b"hdlr", struct.pack(">I", 0) + b"pict" + b"\0" * 12 + b"\0", version=0)
    pitm = box(b"pitm", struct.pack(">H", grid_id), version=0)
    iinf = box(b"iinf", struct.pack(">H", 2) +
               box(b"infe", struct.pack(">HH", grid_id, 0) + b"grid" + b"\0", version=2) +
               box(b"infe", struct.pack(">HH", tile_id, 0) + b"hvc1" + b"\0", version=2, flags=1), version=0)
    iref = box(b"iref", box(b"dimg", struct.pack(">HHH", grid_id, 1, tile_id)), version=0)
    grid = struct.pack(">BBBBHH", 0, 0, 0, 0, 70, 46)
    # Properties: 1 hvcC, 2 the tile's size, 3 the grid's, 4 the turn.
    ipco = box(b"ipco", hvcc + box(b"ispe", struct.pack(">II", 70, 64), version=0) +
               box(b"ispe", struct.pack(">II", 70, 46), version=0) + box(b"irot", bytes((1,))))
    ipma = box(b"ipma", struct.pack(">I", 2) + struct.pack(">HB", grid_id, 2) + bytes((3, 0x84)) +
               struct.pack(">HB", tile_id, 2) + bytes((0x81, 2)), version=0)
    iprp = box(b"iprp", ipco + ipma)

    def build(mdat_offset):
        entries = struct.pack(">HHHI", grid_id, 0, 0, 0) + struct.pack(">HII", 1, mdat_offset, len(grid))
        entries += struct.pack(">HHHI", tile_id, 0, 0, 0) + struct.pack(">HII", 1, mdat_offset + len(grid), len(coded))
        iloc = box(b"iloc", bytes((0x44, 0x40)) + struct.pack(">H", 2) + entries, version=1)
        return ftyp + box(b"meta", hdlr + pitm + iloc + iinf + iref + iprp, version=0)

    head = build(0)
    head = build(len(head) + 8)
    with open(path, "wb") as f:
        f.write(head + box(b"mdat", grid + coded))


if __name__ == "__main__":
    make_kinds()
    make_broken()
