// What --help prints; the front of velmora-cli prints it without loading the engine.
#include "cli_options.h"

namespace velmora::cli {

const char* const kCliUsage =
    R"(Usage: velmora-cli [--width N] [--height N] [--colors N] [--dither] [--perceptual]
                   [--symbols C1,C2,...] [--replace-thread OLD=NEW]... [--crop X,Y,W,H]
                   [--drop-unused] [--min-stitches K] [--remove-confetti[=M]] [--ten-lines]
                   [--color-cells] [--skeins] [--fabric COUNT] [--formats LIST] [--no-pdf]
                   [--out DIR] [--] PICTURE
       velmora-cli [--replace-thread OLD=NEW]... [--crop X,Y,W,H] [--drop-unused]
                   [--min-stitches K] [--remove-confetti[=M]] [--ten-lines] [--color-cells]
                   [--skeins] [--fabric COUNT] [--formats LIST] [--no-pdf] [--out DIR] [--] SCHEME

Makes a cross-stitch scheme from PICTURE and writes it into DIR (default: the current folder).
PICTURE is a Windows bitmap, JPEG (turned upright as its EXIF orientation says), PNG, WebP
(the first frame of an animation), GIF (the first frame), TIFF (the first page) or HEIC/HEIF
picture, told by its content whatever its name; transparency is laid on white. Given a scheme
file instead (a scheme.json of an earlier run or a .velmora file the window saved, also told
by its content), writes the same files as the run that made it; --width, --height, --colors,
--dither, --perceptual and --symbols do not apply to it.
  scheme.json   the scheme file: the request, the cloth with the finished size ("fabric"),
                the legend (every row, header first), each thread's stitches and skeins to
                buy ("threads", in legend order) and the chart (a symbol code per stitch); in
                its "picture", bytes of the name that are not UTF-8 become U+FFFD
  picture.bmp   the reduced picture, one pixel per stitch, each in its thread's colour
  scheme.xlsx   the spreadsheet workbook: the chart, the legend and the reduced picture on
                three sheets, the symbols in Wingdings
  chart.pdf     the chart as the window prints it: A4 landscape, strips of columns cut into
                pages, the date and time of the run and the page number in every footer
  legend.pdf    the legend as the window prints it: A4 portrait, centred, under its title
Each file is written under a temporary name and put in place only when all are complete: a run
that fails leaves the files of the previous run as they were.

Options:
  --width N      chart width in stitches, 10..1000
  --height N     chart height in stitches, 10..1000
                 Without either, the picture's own size with its proportions, within
                 10..1000: a longer side over 1000 becomes 1000, else a shorter side under
                 10 becomes 10, the other side scaled to match. Given only one, the other
                 follows the picture's proportions.
  --colors N     largest number of thread colours, 2..100 (default 30)
  --dither       map the stitches with error diffusion
  --perceptual   choose the threads and match the stitches as the eye sees colours
                 (CIELAB, CIEDE2000), from the picture averaged over each stitch: slower,
                 closer to the picture; the scheme file records it ("perceptual")
  --symbols LIST decimal character codes 48..255 of the symbols of colours 1..N, exactly N
                 of them, all different (default: spread evenly over the codes 48..255)
  --replace-thread OLD=NEW
                 replace thread OLD of the scheme by catalogue thread NEW before writing,
                 names as the legend's thread column shows them (310, Ecru, White, B5200).
                 NEW takes OLD's stitches and symbol; a NEW the scheme has already takes
                 them into its own row and keeps its symbol (a merge); stitches given to
                 White become empty. Repeatable, applied in the order given
  --crop X,Y,W,H keep only W columns and H rows of the chart (10..1000 each), from column X
                 and row Y as the chart numbers them (from 1); after --replace-thread. The
                 crosses are counted again, a thread left with none keeps its row; lines of
                 backstitch keep their part between their grid corners in the window
  --drop-unused  legend rows of threads with no cross and no line of backstitch leave,
                 with their symbols
  --min-stitches K
                 every thread with fewer than K crosses, 1..10000, is merged stitch by
                 stitch into the neighbouring thread nearest in colour, the fewest first,
                 until none is left under K; White, the cloth, is never merged away
  --remove-confetti[=M]
                 a group of at most M stitches of one thread (1..20, default 1) with no
                 stitch of its thread among the eight around takes, of the threads around
                 it, the one nearest in colour to the picture there (the thread's own
                 colour when the picture is not at hand); empty cells count as a thread,
                 lines a stitch wide stay. Repeated until none is left
                 The three are made after --replace-thread and --crop, in this order
  --ten-lines    a heavier line after every tenth stitch in chart.pdf
  --color-cells  each stitch of chart.pdf on its thread's colour, its symbol black or white
  --skeins       the legend (legend.pdf, the workbook's legend sheet) gets a column of the
                 skeins to buy, "Мотков"
  --fabric COUNT the cloth in stitches per inch, 6..40 (default: a scheme file's own, else
                 14; Aida 11, 14, 16, 18, 20; evenweave 28 or 32 over two threads counts as
                 14 or 16): the finished size and the skeins follow it
  --formats LIST the files to write, a comma list of json, bmp, xlsx and pdf (chart.pdf
                 and legend.pdf); default all
  --no-pdf       leave out chart.pdf and legend.pdf, as --formats without pdf
  --out DIR      folder for the files; made if missing
  --help         this text
  --version      the program's version, as the window's About box shows it
  --             the end of the options: the next argument is PICTURE, even "-x.bmp"

A file that takes more than about a second shows its progress on stderr when that is a terminal.

Exit status: 0 done; 1 the picture or the scheme file cannot be loaded, the scheme cannot be
made or written, or a thread to replace is not in it (nothing is written then); 2 the command
line is wrong (also a scheme option given with a scheme file, a thread name that is not in
the catalogue, or a --crop window that does not lie on the chart).
)";

} // namespace velmora::cli
