#!/usr/bin/env python3
"""Reads a scheme workbook back from its package XML and compares it with what the export was
given (a JSON file written by the test). The XML is read directly so that a 1000 x 1000 chart is
checked cell by cell in a few seconds; the small workbooks are also opened with openpyxl, an
independent reader. Prints every difference found and exits 1 if there is any."""
import html
import json
import re
import struct
import sys
import zipfile
import xml.etree.ElementTree as ET

M = "{http://schemas.openxmlformats.org/spreadsheetml/2006/main}"
R = "{http://schemas.openxmlformats.org/officeDocument/2006/relationships}"
PR = "{http://schemas.openxmlformats.org/package/2006/relationships}"
XDR = "{http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing}"
A = "{http://schemas.openxmlformats.org/drawingml/2006/main}"

# Stored widths of columns set to 4 and 1 characters: Excel adds 5 pixels of padding to n digits
# of 7 pixels (Calibri 11) and keeps the width in 1/256 of a character.
WIDTH_4, WIDTH_1 = 4.7109375, 1.7109375
EMU_PER_PIXEL = 9525  # at 96 dpi
SILVER, BLACK = ("hair", "FFC0C0C0"), ("thin", "FF000000")

errors = []


def fail(message):
    if len(errors) < 40:
        errors.append(message)


def column_number(letters):
    n = 0
    for ch in letters:
        n = n * 26 + ord(ch) - 64
    return n


def relationships(z, path):
    folder, name = path.rsplit("/", 1)
    rels = ET.fromstring(z.read(f"{folder}/_rels/{name}.rels"))
    return {r.get("Id"): r.get("Target") for r in rels.iter(PR + "Relationship")}


def resolve(base_folder, target):
    if target.startswith("/"):
        return target[1:]
    parts = (base_folder + "/" + target).split("/")
    out = []
    for p in parts:
        if p == "..":
            out.pop()
        else:
            out.append(p)
    return "/".join(out)


def read_styles(z):
    root = ET.fromstring(z.read("xl/styles.xml"))
    fonts = []
    for f in root.find(M + "fonts"):
        name = f.find(M + "name").get("val")
        size = float(f.find(M + "sz").get("val"))
        cs = f.find(M + "charset")
        fonts.append((name, size, int(cs.get("val")) if cs is not None else None))
    borders = []
    for b in root.find(M + "borders"):
        sides = []
        for side in ("top", "bottom", "left", "right"):
            e = b.find(M + side)
            color = e.find(M + "color") if e is not None else None
            sides.append((e.get("style") if e is not None else None, color.get("rgb") if color is not None else None))
        borders.append(tuple(sides))
    looks = []
    for xf in root.find(M + "cellXfs"):
        al = xf.find(M + "alignment")
        get = (lambda k: al.get(k)) if al is not None else (lambda k: None)
        # An absent vertical alignment is the bottom, the spreadsheet default.
        looks.append((fonts[int(xf.get("fontId", 0))], get("horizontal"), get("vertical") or "bottom",
                      int(get("textRotation") or 0), borders[int(xf.get("borderId", 0))]))
    return looks


def read_shared_strings(z):
    if "xl/sharedStrings.xml" not in z.namelist():
        return []
    root = ET.fromstring(z.read("xl/sharedStrings.xml"))
    return ["".join(t.text or "" for t in si.iter(M + "t")) for si in root.iter(M + "si")]


CELL = re.compile(r'<c r="([A-Z]+)(\d+)"(?: s="(\d+)")?(?: t="(\w+)")?(?:/>|>(?:<v>([^<]*)</v>|<is><t[^>]*>([^<]*)</t></is>)</c>)')
ROW = re.compile(r'<row r="(\d+)"([^>]*)>')
HEIGHT = re.compile(r' ht="([\d.]+)"')
COL = re.compile(r'<col min="(\d+)" max="(\d+)" width="([\d.]+)"')


def read_sheet(z, path, strings, looks):
    xml = z.read(path).decode("utf-8")
    cells = {}
    for m in CELL.finditer(xml):
        letters, row, style, kind, v, inline = m.groups()
        if kind == "s":
            value = strings[int(v)]
        elif kind in ("str", "inlineStr"):
            value = html.unescape(inline if inline is not None else v)
        elif v is None:
            value = ""
        else:
            value = float(v)
        cells[(int(row), column_number(letters))] = (value, looks[int(style or 0)])
    heights = {}
    for r, attributes in ROW.findall(xml):
        if m := HEIGHT.search(attributes):
            heights[int(r)] = float(m.group(1))
    widths = {}
    for lo, hi, width in COL.findall(xml):
        for c in range(int(lo), int(hi) + 1):
            widths[c] = float(width)
    return xml, cells, heights, widths


def same_text(value, text):
    if isinstance(value, float):
        return text.strip() != "" and value == int(text.strip())
    return value == text


def check_chart(cells, heights, widths, e):
    w, h = e["width"], e["height"]
    font = (e["chart_font"], float(e["chart_size"]), None)
    fixed = (e["fixed_font"], float(e["chart_size"]), None)
    rows_below, cols_right = set(e["black_rows"]), set(e["black_columns"])
    # Below the chart, the table of the lines of backstitch and nothing else.
    below = {rc: value for rc, (value, _) in cells.items() if rc[0] > h + 1}
    want_below = {(r, c): text for r, c, text in e.get("backstitch_cells", [])}
    if below != want_below:
        fail(f"chart: below it {sorted(below.items())[:8]} instead of {sorted(want_below.items())[:8]}")
    cells = {rc: got for rc, got in cells.items() if rc[0] <= h + 1}
    if len(cells) != (w + 1) * (h + 1):
        fail(f"chart: {len(cells)} cells, expected {(w + 1) * (h + 1)}")
    expected_looks = {}
    for r in range(1, h + 2):
        for c in range(1, w + 2):
            got = cells.get((r, c))
            if got is None:
                fail(f"chart: cell ({r}, {c}) missing")
                continue
            value, look = got
            if not same_text(value, e["chart"][r - 1][c - 1]):
                fail(f"chart ({r}, {c}): {value!r} instead of {e['chart'][r - 1][c - 1]!r}")
            key = (r == 1, c == 1, r in rows_below, r - 1 in rows_below, c in cols_right, c - 1 in cols_right)
            want = expected_looks.get(key)
            if want is None:
                halign = "right" if c == 1 else "center"
                valign = "bottom" if r == 1 else "center"
                edge = lambda black: BLACK if black else SILVER
                want = (fixed if r == 1 or c == 1 else font, halign, valign, 90 if r == 1 else 0,
                        (edge(key[3]), edge(key[2]), edge(key[5]), edge(key[4])))
                expected_looks[key] = want
            if look != want:
                fail(f"chart ({r}, {c}): look {look} instead of {want}")
    if heights.get(1) != 24 or any(heights.get(r) != 9 for r in range(2, h + 2)) or len(heights) != h + 1:
        fail(f"chart: row heights {sorted(set(heights.items()))[:5]}...")
    if widths.get(1) != WIDTH_4 or any(widths.get(c) != WIDTH_1 for c in range(2, w + 2)) or len(widths) != w + 1:
        fail("chart: column widths differ")
    codes = [ord(v) for row in e["chart"][1:] for v in row[1:] if v]
    if e["symbols"] == "symbol_area":
        if not all(0xF000 <= code <= 0xF0FF for code in codes) or not any(code >= 0xF080 for code in codes):
            fail("chart: the symbols are not all of the symbol area U+F000..U+F0FF, or none is 128 or more")
    elif e["symbols"] == "equivalents":
        # Pictographs that any machine's fonts draw: none private-use, some beyond U+FFFF.
        if any(0xE000 <= code <= 0xF8FF for code in codes) or not any(code > 0xFFFF for code in codes):
            fail("chart: the symbols are not the Wingdings equivalents")


def check_legend(cells, e):
    legend = e["legend"]
    rows, cols = len(legend), len(legend[0])
    if len(cells) != rows * cols:
        fail(f"legend: {len(cells)} cells, expected {rows * cols}")
    symbol_font = (e["chart_font"], 12.0, None)
    for r in range(1, rows + 1):
        for c in range(1, cols + 1):
            value, look = cells.get((r, c), (None, None))
            text = "" if r > 1 and c == 3 else legend[r - 1][c - 1]
            if value is None or not same_text(value, text):
                fail(f"legend ({r}, {c}): {value!r} instead of {text!r}")
                continue
            font = look[0] if r > 1 and c == 2 else None
            if font != (symbol_font if r > 1 and c == 2 else None) or look[1:] != ("center", "center", 0, (SILVER,) * 4):
                fail(f"legend ({r}, {c}): look {look}")
    if legend[0][2] == "" or cells[(1, 3)][0] != legend[0][2]:
        fail("legend: the colour column lost its heading")


def check_picture(z, sheet_path, e):
    xml = z.read(sheet_path).decode("utf-8")
    drawings = re.findall(r'<drawing r:id="(\w+)"/>', xml)
    if len(drawings) != 1:
        fail(f"picture sheet: {len(drawings)} drawings")
        return
    folder = sheet_path.rsplit("/", 1)[0]
    drawing_path = resolve(folder, relationships(z, sheet_path)[drawings[0]])
    root = ET.fromstring(z.read(drawing_path))
    pictures = list(root.iter(XDR + "pic"))
    if len(pictures) != 1:
        fail(f"picture sheet: {len(pictures)} pictures")
        return
    ext = pictures[0].find(f"{XDR}spPr/{A}xfrm/{A}ext")
    if (int(ext.get("cx")), int(ext.get("cy"))) != (e["width"] * EMU_PER_PIXEL, e["height"] * EMU_PER_PIXEL):
        fail(f"picture: shown {ext.get('cx')} x {ext.get('cy')} EMU")
    embed = pictures[0].find(f"{XDR}blipFill/{A}blip").get(R + "embed")
    media = z.read(resolve(drawing_path.rsplit("/", 1)[0], relationships(z, drawing_path)[embed]))
    width, height = struct.unpack_from("<ii", media, 18)
    if media[:2] != b"BM" or (width, abs(height)) != (e["width"], e["height"]):
        fail(f"picture: a file of {width} x {height} pixels")
    with open(e["bitmap"], "rb") as f:
        if f.read() != media:
            fail("picture: not the bytes of " + e["bitmap"])


def check_with_openpyxl(path, e):
    import openpyxl
    wb = openpyxl.load_workbook(path)
    if wb.sheetnames[:3] != e["sheet_names"]:
        fail(f"openpyxl: sheets {wb.sheetnames}")
    chart = wb.worksheets[0]
    plain = lambda titles: (titles or "").replace("$", "")
    if plain(chart.print_title_rows) != "1:1" or plain(chart.print_title_cols) != "A:A":
        fail(f"openpyxl: print titles {chart.print_title_rows} {chart.print_title_cols}")
    for r, row in enumerate(e["chart"], start=1):
        for c, text in enumerate(row, start=1):
            cell = chart.cell(r, c)
            value = "" if cell.value is None else cell.value
            value = float(value) if isinstance(value, (int, float)) else value
            if not same_text(value, text):
                fail(f"openpyxl chart ({r}, {c}): {cell.value!r}")
    for r, c, text in e.get("backstitch_cells", []):
        if chart.cell(r, c).value != text:
            fail(f"openpyxl chart ({r}, {c}): {chart.cell(r, c).value!r} instead of {text!r}")
    if chart.cell(1, 2).alignment.textRotation != 90 or chart.cell(2, 2).font.name != e["chart_font"]:
        fail("openpyxl: heading rotation or chart font")
    if plain(wb.worksheets[1].print_title_rows) != "1:1":
        fail("openpyxl: legend print title")


def main():
    path, expected_path = sys.argv[1], sys.argv[2]
    with open(expected_path, encoding="utf-8") as f:
        e = json.load(f)
    with zipfile.ZipFile(path) as z:
        book = ET.fromstring(z.read("xl/workbook.xml"))
        sheets = list(book.iter(M + "sheet"))
        names = [s.get("name") for s in sheets]
        if names != e["sheet_names"]:
            fail(f"sheets {names}")
        rels = relationships(z, "xl/workbook.xml")
        paths = [resolve("xl", rels[s.get(R + "id")]) for s in sheets]
        titles = {int(d.get("localSheetId")): d.text for d in book.iter(M + "definedName")
                  if d.get("name") == "_xlnm.Print_Titles"}
        q = lambda n: "'" + n + "'"
        want_titles = {0: f"{q(names[0])}!$A:$A,{q(names[0])}!$1:$1", 1: f"{q(names[1])}!$1:$1"}
        if titles != want_titles:
            fail(f"print titles {titles}")
        looks, strings = read_styles(z), read_shared_strings(z)
        _, cells, heights, widths = read_sheet(z, paths[0], strings, looks)
        check_chart(cells, heights, widths, e)
        _, cells, _, _ = read_sheet(z, paths[1], strings, looks)
        check_legend(cells, e)
        check_picture(z, paths[2], e)
    if e["width"] * e["height"] <= 1000:
        check_with_openpyxl(path, e)
    for message in errors:
        print(message)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
