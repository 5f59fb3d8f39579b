#include "scheme_workbook.h"

#include "export_error.h"
#include "temp_bitmap.h"
#include "workbook_text.h"

#include "scheme/cp1251.h"
#include "scheme/dmc_inc.h"
#include "scheme/legend_columns.h"
#include "view/chart_look.h"

#include <xlsxwriter.h>

#include <array>
#include <atomic>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <system_error>

#include <fcntl.h>
#ifdef _WIN32
#include <io.h> // dup, dup2, open and close under their POSIX names
#else
#include <unistd.h>
#endif

namespace velmora {

namespace {

namespace fs = std::filesystem;

constexpr char kChartSheetName[] = "\xd1\xf5\xe5\xec\xe0 \xe2\xe8\xf8\xe8\xe2\xea\xe8";                 // "Схема вишивки"
constexpr char kLegendSheetName[] = "\xd1\xef\xe8\xf1\xee\xea \xf1\xe8\xec\xe2\xee\xeb\xee\xe2";        // "Список символов"
constexpr char kPictureSheetName[] = "\xca\xe0\xf0\xf2\xe8\xed\xea\xe0";                                // "Картинка"

// The sheet's figures: heights in points, widths in characters.
constexpr double kHeadingRowHeight = 24;
constexpr double kStitchRowHeight = 9;
constexpr double kHeadingColumnWidth = 4;
constexpr double kStitchColumnWidth = 1;
constexpr double kLegendSymbolSize = 12;
constexpr lxw_color_t kSilver = 0xC0C0C0; // 12632256: red = green = blue = 192
constexpr lxw_color_t kBlack = LXW_COLOR_BLACK; // 0 would mean "no colour" to the writer

// The largest sheet a spreadsheet holds.
constexpr int kMaxSheetRows = 1048576;
constexpr int kMaxSheetColumns = 16384;

enum class Edge : std::uint8_t { Silver, Black };

// The borders of one cell: the silver hairline everywhere, the thin black line where a ten-stitch
// line runs. Both cells beside a line carry it, so no reader has to choose between a silver and a
// black edge.
struct CellEdges {
    Edge top = Edge::Silver, bottom = Edge::Silver, left = Edge::Silver, right = Edge::Silver;
};

void SetEdges(lxw_format* format, CellEdges edges)
{
    const auto set = [&](void (*style)(lxw_format*, uint8_t), void (*color)(lxw_format*, lxw_color_t), Edge e) {
        style(format, e == Edge::Black ? LXW_BORDER_THIN : LXW_BORDER_HAIR);
        color(format, e == Edge::Black ? kBlack : kSilver);
    };
    set(format_set_top, format_set_top_color, edges.top);
    set(format_set_bottom, format_set_bottom_color, edges.bottom);
    set(format_set_left, format_set_left_color, edges.left);
    set(format_set_right, format_set_right_color, edges.right);
}

void Check(lxw_error error, const char* what)
{
    if (error != LXW_NO_ERROR)
        throw ExportError(std::string("cannot ") + what + ": " + lxw_strerror(error));
}

// The workbook library prints its failures on the standard error stream as well as returning
// them; the user gets one message, ours, naming the file and the reason. The stream is moved
// aside for one call at a time, so that threads writing workbooks at once cannot lose it.
class QuietStderr {
public:
    QuietStderr() : lock_(Mutex())
    {
        std::fflush(stderr);
        saved_ = dup(kStderr);
        const int null = open(kNullDevice, O_WRONLY);
        if (saved_ >= 0 && null >= 0)
            dup2(null, kStderr);
        if (null >= 0)
            close(null);
    }
    ~QuietStderr()
    {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, kStderr);
            close(saved_);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    static std::mutex& Mutex()
    {
        static std::mutex mutex;
        return mutex;
    }
    static constexpr int kStderr = 2;
#ifdef _WIN32
    static constexpr char kNullDevice[] = "NUL";
#else
    static constexpr char kNullDevice[] = "/dev/null";
#endif
    std::lock_guard<std::mutex> lock_;
    int saved_ = -1;
};

struct WorkbookDeleter {
    void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
};
using WorkbookPtr = std::unique_ptr<lxw_workbook, WorkbookDeleter>;

// Writes one cell: a whole number as a number, as a spreadsheet keeps it; symbols always as text.
void WriteCell(lxw_worksheet* sheet, int row, int col, const std::string& text, bool symbolCell,
               const SchemeWorkbookInput& input, lxw_format* format)
{
    const auto r = static_cast<lxw_row_t>(row);
    const auto c = static_cast<lxw_col_t>(col);
    if (text.empty()) {
        Check(worksheet_write_blank(sheet, r, c, format), "write a cell");
        return;
    }
    if (!symbolCell) {
        if (const auto number = WholeNumberOf(text)) {
            Check(worksheet_write_number(sheet, r, c, *number, format), "write a cell");
            return;
        }
    }
    const std::string utf8 =
        symbolCell ? WorkbookSymbolText(text, input.chartFont, input.symbolAreaGlyphs) : WorkbookText(text);
    Check(worksheet_write_string(sheet, r, c, utf8.c_str(), format), "write a cell");
}

// The chart's sheet. Formats are chosen per cell from a handful made once: the whole range in the
// chart font, centred, with silver hairlines; the heading row and column in the fixed font with
// their own alignment; the ten-stitch lines over all of it.
class ChartSheet {
public:
    ChartSheet(lxw_workbook* workbook, const SchemeWorkbookInput& input, int width, int height)
        : workbook_(workbook), input_(input), w_(width), h_(height)
    {
    }

    void Write(lxw_worksheet* sheet)
    {
        Check(worksheet_repeat_rows(sheet, 0, 0), "set the print title rows");
        Check(worksheet_repeat_columns(sheet, 0, 0), "set the print title columns");
        Check(worksheet_set_column(sheet, 0, 0, kHeadingColumnWidth, nullptr), "set a column width");
        Check(worksheet_set_column(sheet, 1, static_cast<lxw_col_t>(w_), kStitchColumnWidth, nullptr),
              "set the column widths");
        // The sheet is written row after row, each row's height before its cells: the writer keeps
        // only the current row in memory.
        for (int r = 0; r <= h_; ++r) {
            Check(worksheet_set_row(sheet, static_cast<lxw_row_t>(r), r == 0 ? kHeadingRowHeight : kStitchRowHeight,
                                    nullptr),
                  "set a row height");
            WriteRow(sheet, r);
        }
    }

private:
    void WriteRow(lxw_worksheet* sheet, int r)
    {
        // Inside a row only the first, the ten-stitch and the last columns change format.
        for (int c = 0; c <= w_; ++c)
            WriteCell(sheet, r, c, input_.chart.text(c, r), r > 0 && c > 0, input_, FormatOf(c, r));
    }

    // A black line runs under row r and right of column c for 0, 10, 20, … below H and W, as on
    // the printed chart with its ten-stitch lines.
    static bool LineAfter(int index, int count) { return TenStitchLineAfter(index, count); }

    lxw_format* FormatOf(int c, int r)
    {
        CellEdges edges;
        if (LineAfter(r, h_))
            edges.bottom = Edge::Black;
        if (LineAfter(r - 1, h_))
            edges.top = Edge::Black;
        if (LineAfter(c, w_))
            edges.right = Edge::Black;
        if (LineAfter(c - 1, w_))
            edges.left = Edge::Black;
        const unsigned key = (r == 0 ? 1u : 0u) | (c == 0 ? 2u : 0u) | (edges.top == Edge::Black ? 4u : 0u) |
                             (edges.bottom == Edge::Black ? 8u : 0u) | (edges.left == Edge::Black ? 16u : 0u) |
                             (edges.right == Edge::Black ? 32u : 0u);
        lxw_format*& format = formats_[key];
        if (!format)
            format = MakeFormat(r == 0, c == 0, edges);
        return format;
    }

    lxw_format* MakeFormat(bool headingRow, bool headingColumn, CellEdges edges)
    {
        lxw_format* format = workbook_add_format(workbook_);
        const GridFont& font = input_.chartFont;
        format_set_font_name(format, font.name.c_str());
        format_set_font_size(format, font.size);
        format_set_align(format, LXW_ALIGN_CENTER);
        format_set_align(format, LXW_ALIGN_VERTICAL_CENTER);
        SetEdges(format, edges);
        // The headings keep the chart font's size and take only the fixed font's face.
        if (headingRow || headingColumn) {
            format_set_font_name(format, input_.fixedFontName.c_str());
        }
        if (headingRow) {
            format_set_rotation(format, 90);
            format_set_align(format, LXW_ALIGN_VERTICAL_BOTTOM);
        }
        if (headingColumn)
            format_set_align(format, LXW_ALIGN_RIGHT);
        return format;
    }

    lxw_workbook* workbook_;
    const SchemeWorkbookInput& input_;
    int w_, h_;
    std::array<lxw_format*, 64> formats_{};
};

// The lines of backstitch below the chart, after an empty row: a heading "Бэкстич", a row of
// column titles, then a line a row in drawing order: its thread, its two corners as "x, y" (counted
// from the chart's top-left corner, as the scheme file counts them) and its length on the cloth.
// The chart's columns are a character wide: each text starts a few columns apart and runs on
// over the empty cells to its right.
void WriteBackstitchTable(lxw_workbook* workbook, lxw_worksheet* sheet, const SchemeWorkbookInput& input, int firstRow)
{
    lxw_format* text = workbook_add_format(workbook);
    format_set_font_name(text, input.fixedFontName.c_str());
    format_set_align(text, LXW_ALIGN_LEFT);
    lxw_format* heading = workbook_add_format(workbook);
    format_set_font_name(heading, input.fixedFontName.c_str());
    format_set_align(heading, LXW_ALIGN_LEFT);
    format_set_bold(heading);
    const auto put = [&](int row, int col, const std::string& cp1251, lxw_format* format) {
        Check(worksheet_write_string(sheet, static_cast<lxw_row_t>(row), static_cast<lxw_col_t>(col),
                                     Cp1251ToUtf8(cp1251).c_str(), format),
              "write a cell");
    };
    // "Бэкстич"; "Нитка", "От", "До", "Длина"
    put(firstRow, 0, "\xc1\xfd\xea\xf1\xf2\xe8\xf7", heading);
    constexpr int kFromColumn = 3, kToColumn = 8, kLengthColumn = 13;
    put(firstRow + 1, 0, "\xcd\xe8\xf2\xea\xe0", heading);
    put(firstRow + 1, kFromColumn, "\xce\xf2", heading);
    put(firstRow + 1, kToColumn, "\xc4\xee", heading);
    put(firstRow + 1, kLengthColumn, "\xc4\xeb\xe8\xed\xe0", heading);
    const double stitch = FinishedMillimetres(1, input.fabricCount);
    for (std::size_t i = 0; i < input.backstitches.size(); ++i) {
        const Backstitch& line = input.backstitches[i];
        const int row = firstRow + 2 + static_cast<int>(i);
        put(row, 0, DMCTable[static_cast<std::size_t>(line.dmc)].Name, text);
        put(row, kFromColumn, std::to_string(line.x1) + ", " + std::to_string(line.y1), text);
        put(row, kToColumn, std::to_string(line.x2) + ", " + std::to_string(line.y2), text);
        put(row, kLengthColumn, CentimetresText(stitch * std::hypot(line.x2 - line.x1, line.y2 - line.y1)), text);
    }
}

// The legend's sheet: every sent row centred with silver hairlines, the symbols in the chart's
// face at 12 points, the colour column empty below its heading.
void WriteLegendSheet(lxw_workbook* workbook, lxw_worksheet* sheet, const SchemeWorkbookInput& input)
{
    Check(worksheet_repeat_rows(sheet, 0, 0), "set the print title rows");
    const int rows = input.legend.rows() - 1; // the trailing empty row is not sent
    const int cols = input.legend.columns();

    lxw_format* plain = workbook_add_format(workbook);
    format_set_align(plain, LXW_ALIGN_CENTER);
    format_set_align(plain, LXW_ALIGN_VERTICAL_CENTER);
    SetEdges(plain, {});
    lxw_format* symbol = workbook_add_format(workbook);
    format_set_align(symbol, LXW_ALIGN_CENTER);
    format_set_align(symbol, LXW_ALIGN_VERTICAL_CENTER);
    SetEdges(symbol, {});
    format_set_font_name(symbol, input.chartFont.name.c_str());
    format_set_font_size(symbol, kLegendSymbolSize);

    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
            const bool symbolCell = r > 0 && c == LegendColumn::Symbol;
            // The colour values are not shown, and their cells get no fill.
            const std::string text = r > 0 && c == LegendColumn::Colour ? std::string() : input.legend.text(c, r);
            WriteCell(sheet, r, c, text, symbolCell, input, symbolCell ? symbol : plain);
        }
}

void CheckInput(const SchemeWorkbookInput& input)
{
    const int w = input.picture.width(), h = input.picture.height();
    if (input.picture.empty())
        throw std::invalid_argument("there is no scheme to export: the picture is empty");
    if (input.chart.columns() != w + 1 || input.chart.rows() < h + 1)
        throw std::invalid_argument("the chart's " + std::to_string(input.chart.columns()) + " x " +
                                    std::to_string(input.chart.rows()) + " cells do not fit a picture of " +
                                    std::to_string(w) + " x " + std::to_string(h) + " stitches");
    if (w + 1 > kMaxSheetColumns || h + 1 > kMaxSheetRows || input.legend.rows() - 1 > kMaxSheetRows ||
        input.legend.columns() > kMaxSheetColumns)
        throw std::invalid_argument("the scheme is larger than a spreadsheet sheet");
    if (!input.backstitches.empty() && h + 3 + std::ssize(input.backstitches) > kMaxSheetRows)
        throw std::invalid_argument("the lines of backstitch do not fit below the chart on its sheet");
    for (const Backstitch& line : input.backstitches)
        if (line.dmc < 0 || line.dmc >= kDmcCount)
            throw std::invalid_argument("a line of backstitch has no catalogue thread");
    if (input.chartFont.size <= 0 || input.chartFont.size > 409)
        throw std::invalid_argument("the chart font's size " + std::to_string(input.chartFont.size) +
                                    " is not a size a spreadsheet takes");
}

// The workbook library takes file names as narrow strings: UTF-8 on Windows (a path's c_str() is
// wide there), the file system's own bytes elsewhere.
std::string LibraryFileName(const fs::path& path)
{
#ifdef _WIN32
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
#else
    return path.string();
#endif
}

lxw_worksheet* AddSheet(lxw_workbook* workbook, const char* cp1251Name)
{
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, Cp1251ToUtf8(cp1251Name).c_str());
    if (!sheet)
        throw ExportError("cannot add the sheet " + Cp1251ToUtf8(cp1251Name));
    return sheet;
}

std::atomic<WorkbookCloseHook> closeHook{nullptr};

} // namespace

void SetWorkbookCloseHookForTests(WorkbookCloseHook hook) { closeHook = hook; }

void WriteSchemeWorkbook(OutputFile& file, const SchemeWorkbookInput& input)
{
    CheckInput(input);
    // The library reads the picture only when it closes the workbook: the file lives until then.
    const OutputFile bitmap = WriteTemporaryBitmap(input.picture, input.temporaryFolder);

    // The library reopens the file by its name when it closes the workbook, truncating it and
    // following a link: the name lies in the run's private folder (see OutputFile), where nobody
    // else can put a link, and the file is checked to be the same before it goes in place.
    //
    // Constant memory: rows go to the file as they are written, a chart of a million cells does not
    // stay in memory; texts are then written in their cells rather than in a shared table.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    WorkbookPtr workbook(workbook_new_opt(LibraryFileName(file.path()).c_str(), &options));
    if (!workbook)
        file.Fail("the workbook library cannot start a workbook");
    // The three sheets come first, in their order, as a new workbook's first three.
    lxw_worksheet* chart = AddSheet(workbook.get(), kChartSheetName);
    lxw_worksheet* legend = AddSheet(workbook.get(), kLegendSheetName);
    lxw_worksheet* picture = AddSheet(workbook.get(), kPictureSheetName);

    ChartSheet(workbook.get(), input, input.picture.width(), input.picture.height()).Write(chart);
    if (!input.backstitches.empty())
        WriteBackstitchTable(workbook.get(), chart, input, input.picture.height() + 2);
    WriteLegendSheet(workbook.get(), legend, input);
    {
        QuietStderr quiet;
        Check(worksheet_insert_image(picture, 0, 0, LibraryFileName(bitmap.path()).c_str()),
              ("embed the picture " + bitmap.path().string()).c_str());
    }

    if (const WorkbookCloseHook hook = closeHook)
        hook(file.path());
    lxw_error closed = LXW_NO_ERROR;
    int reason = 0;
    {
        QuietStderr quiet;
        errno = 0;
        closed = workbook_close(workbook.release());
        reason = errno;
    }
    if (closed != LXW_NO_ERROR) {
        if (reason != 0)
            file.FailWithErrno(reason);
        file.Fail(lxw_strerror(closed));
    }
    file.CheckUnreplaced();
    file.Finish();
}

void WriteSchemeWorkbook(const fs::path& file, const SchemeWorkbookInput& input)
{
    OutputFile out(file);
    WriteSchemeWorkbook(out, input);
    out.Commit();
}

} // namespace velmora
