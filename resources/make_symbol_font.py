#!/usr/bin/python3
"""Makes the program's stand-in for the Wingdings face from Symbola.

    make_symbol_font.py SYMBOLA.ttf wingdings-unicode.tsv OUT.ttf CODE=HEX...

The CODE=HEX pairs are the stand-ins of the codes without a Unicode equivalent (127=229E 255=22A0,
set in resources/wingdings.cmake, where the program's own code table takes them from as well).

Most Linux machines lack Wingdings, the default symbol font. The program brings this font and
registers it under the family name "Wingdings" where the real face is missing, so that the chart,
the legend, the font dialog and the PDFs all meet one ordinary font with the Wingdings pictographs.

Each Wingdings code b that has a Unicode equivalent u (wingdings-unicode.tsv) gets Symbola's glyph
for u, reachable from two code points: u itself and U+F000 + b, where symbol fonts keep their
glyphs. The codes without an equivalent get the stand-ins given, which no other code may use.

Why both: Qt's PDF writer builds a subset font's text map (ToUnicode) by walking the code points
U+0000..U+FFFF through the font's cmap, and a glyph that only a code point above U+FFFF reaches
gets no entry, so pdftotext could not read it. U+F000 + b gives every glyph a code point in that
range; for a glyph that also sits at a lower code point u (every u below U+F000), the lowest one,
the pictograph itself, is what the PDF's text map keeps. Plain b is left unmapped for that reason:
it would come first and turn every symbol of a PDF back into a Latin letter.

The output is byte for byte the same for the same inputs (no time stamps).
"""

import sys

from fontTools import subset
from fontTools.ttLib import TTFont, newTable
from fontTools.ttLib.tables._c_m_a_p import cmap_format_4, cmap_format_12

FAMILY = "Wingdings"
POSTSCRIPT_NAME = "Wingdings-VelmoraSymbola"
SYMBOL_AREA = 0xF000


def read_table(path, stand_ins):
    """Code → Unicode equivalent, from the tab-separated table (code, hex, U+XXXX or -, ...)."""
    table = {}
    with open(path, encoding="utf-8") as lines:
        next(lines)  # header
        for line in lines:
            fields = line.rstrip("\n").split("\t")
            if len(fields) < 3:
                continue
            code = int(fields[0])
            if fields[2].startswith("U+"):
                table[code] = int(fields[2][2:], 16)
    for code, stand_in in stand_ins.items():
        if code in table or stand_in in table.values():
            sys.exit(f"the stand-in U+{stand_in:04X} for code {code} is taken")
        table[code] = stand_in
    if len(set(table.values())) != len(table):
        sys.exit("two codes share one Unicode equivalent")
    return table


def make_font(symbola_path, table):
    font = TTFont(symbola_path, recalcTimestamp=False)
    source_cmap = font.getBestCmap()
    missing = [f"{code}: U+{u:04X}" for code, u in sorted(table.items()) if u not in source_cmap]
    if missing:
        sys.exit("Symbola has no glyph for " + ", ".join(missing))

    options = subset.Options()
    options.layout_features = []  # single pictographs: no shaping wanted
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.recalc_timestamp = False
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=sorted(set(table.values())))
    subsetter.subset(font)

    glyph_of = {}
    for code, u in table.items():
        glyph = source_cmap[u]
        glyph_of[u] = glyph
        glyph_of[SYMBOL_AREA + code] = glyph
    bmp = {cp: g for cp, g in glyph_of.items() if cp <= 0xFFFF}
    cmap = newTable("cmap")
    cmap.tableVersion = 0
    cmap.tables = []
    for platform, encoding, subtable_format, mapping in (
        (0, 3, 4, bmp), (3, 1, 4, bmp), (0, 4, 12, glyph_of), (3, 10, 12, glyph_of)):
        subtable = cmap_format_4(4) if subtable_format == 4 else cmap_format_12(12)
        subtable.platformID, subtable.platEncID, subtable.language = platform, encoding, 0
        subtable.cmap = dict(mapping)
        cmap.tables.append(subtable)
    font["cmap"] = cmap

    rename(font)
    os2 = font["OS/2"]
    codes = sorted(table)
    os2.usFirstCharIndex = min(SYMBOL_AREA + codes[0], min(table.values()))
    os2.usLastCharIndex = 0xFFFF
    return font


def rename(font):
    names = font["name"]
    copyright_text = names.getDebugName(0) or ""
    version = names.getDebugName(5) or ""
    names.names = [n for n in names.names if n.nameID in (0, 13, 14)]  # keep copyright and licence
    for name_id, text in (
        (0, copyright_text),
        (1, FAMILY),
        (2, "Regular"),
        (3, POSTSCRIPT_NAME),
        (4, FAMILY),
        (5, f"{version}; Wingdings codes on glyphs of Symbola by George Douros, for Velmora"),
        (6, POSTSCRIPT_NAME),
    ):
        names.setName(text, name_id, 3, 1, 0x409)
        names.setName(text, name_id, 1, 0, 0)
    if "post" in font:
        font["post"].formatType = 3.0  # no glyph names: smaller, and none are needed


def main(argv):
    if len(argv) < 4:
        sys.exit(__doc__)
    stand_ins = {}
    for pair in argv[4:]:
        code, point = pair.split("=")
        stand_ins[int(code)] = int(point, 16)
    font = make_font(argv[1], read_table(argv[2], stand_ins))
    font.save(argv[3])


if __name__ == "__main__":
    main(sys.argv)
