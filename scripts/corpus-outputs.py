#!/usr/bin/env python3
"""Writes velmora-cli's outputs for every picture of the test corpus, and compares two such runs.

    scripts/corpus-outputs.py write VELMORA_CLI DIR   every picture under a few option sets
    scripts/corpus-outputs.py compare DIR_A DIR_B     exit 0 when the two runs agree

A change that should not change what the program makes (moving code, renaming, loading a library
later) is checked by writing the outputs before and after it and comparing them. scheme.json and
picture.bmp must be equal byte for byte, and so must the exit status and the messages. The other
two kinds carry the time of their run, so they are compared without it: every part of a
workbook but its document properties (the reduced picture's temporary name masked), and the PDFs' text with dates and times masked and their
pages drawn at 30 dpi, all but the footer strip where the date is.
"""

import os
import re
import subprocess
import sys
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "tests", "corpus")

# Each set names its folder and velmora-cli's options. The first leaves the chart's size to the
# picture, so it writes the cheap formats only; the others fix a small width and write them all.
OPTION_SETS = [
    ("own-size", ["--formats", "json,bmp"]),
    ("plain", ["--width", "60", "--colors", "12"]),
    ("dithered", ["--width", "60", "--colors", "20", "--dither", "--ten-lines", "--color-cells"]),
    ("perceptual", ["--width", "60", "--colors", "16", "--perceptual", "--dither", "--skeins",
                    "--fabric", "16", "--remove-confetti=2", "--drop-unused"]),
]

FOOTER_SHARE = 0.10  # the bottom of a page where the footer with the date is drawn
DATE_TIME = re.compile(r"\d{1,2}[./]\d{1,2}[./]\d{2,4}|\d{1,2}:\d{2}(:\d{2})?")
TEMPORARY_NAME = re.compile(rb"velmora-picture-[0-9a-z]+\.bmp")  # the picture's name as it was added


def corpus_pictures():
    for folder, _, names in sorted(os.walk(CORPUS)):
        for name in sorted(names):
            if name.endswith((".md", ".py", ".sh", ".txt")):
                continue
            yield os.path.relpath(os.path.join(folder, name), CORPUS)


def write(cli, out_dir):
    for picture in corpus_pictures():
        for set_name, options in OPTION_SETS:
            # Relative to the run's folder, so that messages naming the output are alike.
            target = os.path.join(set_name, picture)
            os.makedirs(os.path.join(out_dir, target), exist_ok=True)
            try:
                run = subprocess.run([cli, *options, "--out", target, "--", os.path.join(CORPUS, picture)],
                                     cwd=out_dir, capture_output=True, timeout=120)
                status = str(run.returncode)
                stderr = run.stderr
            except subprocess.TimeoutExpired:
                status, stderr = "timeout", b""
            with open(os.path.join(out_dir, target, "status.txt"), "wb") as f:
                f.write(status.encode() + b"\n" + stderr)
            if set_name == "own-size" and status != "0":
                break  # a refused picture is refused under every set


def pdf_pages(path):
    """The PDF's pages as rows of pixels, the footer strip left out."""
    ppm = subprocess.run(["pdftoppm", "-r", "30", path], capture_output=True, check=True).stdout
    pages = []
    while ppm:
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", ppm)
        width, height = int(header.group(1)), int(header.group(2))
        start = header.end()
        size = width * height * 3
        kept = int(height * (1 - FOOTER_SHARE)) * width * 3
        pages.append((width, height, ppm[start:start + kept]))
        ppm = ppm[start + size:]
    return pages


def pdf_text(path):
    text = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, check=True).stdout
    return DATE_TIME.sub("<time>", text.decode("utf-8", "replace"))


def workbook_parts(path):
    with zipfile.ZipFile(path) as book:
        return {name: TEMPORARY_NAME.sub(b"<picture>", book.read(name))
                for name in book.namelist() if not name.startswith("docProps/")}


def same(name, a, b):
    if name.endswith(".pdf"):
        return pdf_text(a) == pdf_text(b) and pdf_pages(a) == pdf_pages(b)
    if name.endswith(".xlsx"):
        return workbook_parts(a) == workbook_parts(b)
    with open(a, "rb") as fa, open(b, "rb") as fb:
        return fa.read() == fb.read()


def compare(dir_a, dir_b):
    differences = 0
    files = 0
    for folder, _, names in sorted(os.walk(dir_a)):
        for name in sorted(names):
            a = os.path.join(folder, name)
            rel = os.path.relpath(a, dir_a)
            b = os.path.join(dir_b, rel)
            files += 1
            if not os.path.exists(b):
                print(f"only in {dir_a}: {rel}")
                differences += 1
            elif not same(name, a, b):
                print(f"differs: {rel}")
                differences += 1
    for folder, _, names in sorted(os.walk(dir_b)):
        for name in names:
            rel = os.path.relpath(os.path.join(folder, name), dir_b)
            if not os.path.exists(os.path.join(dir_a, rel)):
                print(f"only in {dir_b}: {rel}")
                differences += 1
    print(f"{files} files compared, {differences} differ")
    return 1 if differences else 0


def main(argv):
    if len(argv) == 4 and argv[1] == "write":
        write(os.path.abspath(argv[2]), os.path.abspath(argv[3]))
        return 0
    if len(argv) == 4 and argv[1] == "compare":
        return compare(argv[2], argv[3])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
