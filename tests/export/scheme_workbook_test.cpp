#include "export/scheme_workbook.h"
#include "export/temp_bitmap.h"
#include "export/workbook_text.h"

#include "picture/bmp_codec.h"
#include "tests/file_helpers.h"
#include "scheme/cp1251.h"
#include "scheme/dmc_inc.h"
#include "files/run_folder.h"
#include "scheme/scheme_builder.h"
#include "scheme/symbol_spread.h"
#include "view/chart_look.h"
#include "tests/file_size_limit.h"
#include "tests/read_file.h"
#include "tests/temp_folder.h"
#include "view/scheme_grids.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace velmora {
namespace {

namespace fs = std::filesystem;

// A picture of many colours, so that the legend has every colour asked for.
Bitmap Pattern(int w, int h)
{
    Bitmap bitmap(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bitmap.setPixel(x, y,
                            static_cast<Color>((x * 37 % 256) + (y * 53 % 256) * 256 + ((x + y) * 11 % 256) * 65536));
    return bitmap;
}

SchemeDocument Scheme(int w, int h)
{
    SchemeRequest request;
    request.width = w;
    request.height = h;
    request.colorCount = 30;
    request.symbols = DefaultSymbolTexts(request.colorCount);
    SchemeEngine engine;
    return engine.BuildScheme(Pattern(w, h), request);
}

std::string Utf8(char32_t code)
{
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

// How the symbols of a workbook are written: as the screen shows them in that font on that machine.
enum class SymbolsAs { CodePage, WingdingsEquivalents, SymbolArea };

const char* Name(SymbolsAs as)
{
    switch (as) {
    case SymbolsAs::CodePage: return "code_page";
    case SymbolsAs::WingdingsEquivalents: return "equivalents";
    case SymbolsAs::SymbolArea: return "symbol_area";
    }
    return "";
}

// What a cell must read in the workbook: a symbol as its Wingdings equivalent or its symbol-area
// character U+F000 + code, every other text as its Windows-1251 meaning.
std::string ExpectedText(const std::string& cp1251, bool symbolCell, SymbolsAs as)
{
    if (!symbolCell || as == SymbolsAs::CodePage)
        return Cp1251ToUtf8(cp1251);
    std::string out;
    for (const char ch : cp1251) {
        const auto code = static_cast<unsigned char>(ch);
        out += Utf8(as == SymbolsAs::SymbolArea ? 0xF000 + code : WingdingsEquivalent(code));
    }
    return out;
}

std::string Json(const std::string& utf8)
{
    std::string out = "\"";
    for (const char ch : utf8) {
        const auto byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (byte < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += ch;
        }
    }
    return out + '"';
}

std::string JsonTable(const CellTable& table, int rows, int symbolColumnFrom, int symbolColumnTo, SymbolsAs as)
{
    std::string out = "[";
    for (int r = 0; r < rows; ++r) {
        out += r ? ",[" : "[";
        for (int c = 0; c < table.columns(); ++c) {
            const bool symbolCell = r > 0 && c >= symbolColumnFrom && c <= symbolColumnTo;
            if (c)
                out += ',';
            out += Json(ExpectedText(table.text(c, r), symbolCell, as));
        }
        out += "]";
    }
    return out + "]";
}

std::string JsonInts(const std::vector<int>& values)
{
    std::string out = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i)
            out += ',';
        out += std::to_string(values[i]);
    }
    return out + "]";
}

struct WorkbookCase {
    const char* name;
    int width, height;
    const char* font;
    int charset;
    // Whether the face is installed here with its own glyphs in the symbol area.
    bool installed;
    SymbolsAs symbolsAs;
    // Sheet rows with a black line under them and sheet columns with one on their right.
    std::vector<int> blackRows, blackColumns;
    // The legend with its column of skeins to buy.
    bool skeins = false;
    // Lines of backstitch, listed below the chart.
    bool lines = false;
};

std::vector<int> EveryTenth(int from, int count)
{
    std::vector<int> lines;
    for (int i = 0; i < count; ++i)
        lines.push_back(from + 10 * i);
    return lines;
}

class WorkbookTest : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        fs::create_directories(folder_ / "tmp");
    }

    // Writes the workbook of case c and reads it back through the package's XML (and a small one
    // through openpyxl too): texts of both tables, fonts, alignments, turned headings, sizes, the
    // silver hairlines and exactly the black lines listed, print titles, the embedded picture.
    void ExpectReadsBackAsWritten(const WorkbookCase& c);
};

void WorkbookTest::ExpectReadsBackAsWritten(const WorkbookCase& c)
{
    SCOPED_TRACE(c.name);
    const SchemeDocument document = Scheme(c.width, c.height);
    const CellTable legend = LegendWithSkeins(document.legend, c.skeins, kDefaultFabricCount);
    GridFont font;
    font.name = c.font;
    font.size = 6;
    font.charset = c.charset;
    const fs::path xlsx = folder_ / "book.xlsx";
    SymbolAreaGlyphs installed;
    if (c.installed)
        installed.set();
    // On 18 count: 310 from corner (0, 0) to (3, 4), 5 stitches of 25.4 / 18 mm, 7.1 mm; White
    // across the chart from its bottom-right corner.
    const std::vector<Backstitch> lines = {{FindDmc("310"), 0, 0, 3, 4}, {kDmcWhite, c.width, c.height, 0, 0}};
    const int count = 18;
    const double across = std::hypot(c.width, c.height) * 25.4 / count;
    std::string backstitchCells = "[";
    if (c.lines) {
        const int top = c.height + 3; // the sheet's rows count from 1, the chart takes H + 1
        const auto cell = [&](int r, int col, const std::string& text) {
            backstitchCells += (backstitchCells.size() > 1 ? ",[" : "[") + std::to_string(r) + "," +
                               std::to_string(col) + "," + Json(text) + "]";
        };
        cell(top, 1, "Бэкстич");
        cell(top + 1, 1, "Нитка");
        cell(top + 1, 4, "От");
        cell(top + 1, 9, "До");
        cell(top + 1, 14, "Длина");
        cell(top + 2, 1, "310");
        cell(top + 2, 4, "0, 0");
        cell(top + 2, 9, "3, 4");
        cell(top + 2, 14, "0,7 см");
        cell(top + 3, 1, "White");
        cell(top + 3, 4, std::to_string(c.width) + ", " + std::to_string(c.height));
        cell(top + 3, 9, "0, 0");
        cell(top + 3, 14, Cp1251ToUtf8(CentimetresText(across)));
    }
    backstitchCells += "]";
    WriteSchemeWorkbook(xlsx, {document.chart, legend, document.picture, font, "Arial", folder_ / "tmp", installed,
                               c.lines ? std::span<const Backstitch>(lines) : std::span<const Backstitch>(), count});
    EXPECT_TRUE(fs::is_empty(folder_ / "tmp")) << "the picture's file goes with the workbook";

    // The sheet embeds the reduced picture as a Windows bitmap.
    const fs::path bitmap = folder_ / "expected.bmp";
    WriteBmpFile(bitmap, document.picture);

    const std::string sheetNames[] = {"Схема вишивки", "Список символов", "Картинка"};
    std::ofstream expected(folder_ / "expected.json", std::ios::binary);
    expected << "{\"width\":" << c.width << ",\"height\":" << c.height                              //
             << ",\"chart_font\":" << Json(c.font) << ",\"chart_size\":6,\"fixed_font\":\"Arial\"" //
             << ",\"symbols\":" << Json(Name(c.symbolsAs))                                          //
             << ",\"black_rows\":" << JsonInts(c.blackRows) << ",\"black_columns\":" << JsonInts(c.blackColumns)
             << ",\"sheet_names\":[" << Json(sheetNames[0]) << "," << Json(sheetNames[1]) << ","
             << Json(sheetNames[2]) << "]"
             << ",\"bitmap\":" << Json(bitmap.string())
             << ",\"chart\":" << JsonTable(document.chart, c.height + 1, 1, c.width, c.symbolsAs)
             << ",\"legend\":" << JsonTable(legend, legend.rows() - 1, 1, 1, c.symbolsAs)
             << ",\"backstitch_cells\":" << backstitchCells << "}";
    expected.close();
    const std::string command = std::string(VELMORA_PYTHON3) + " " + VELMORA_WORKBOOK_CHECK + " " + xlsx.string() + " " +
                                (folder_ / "expected.json").string();
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

TEST_F(WorkbookTest, ReadsBackAsWritten)
{
    const std::vector<WorkbookCase> cases = {
        {"10 x 10: one line under the headings, one beside them; outer edges silver", 10, 10, "Wingdings", 2, false,
         SymbolsAs::WingdingsEquivalents, {1}, {1}},
        {"25 x 13, a real Wingdings installed", 25, 13, "Wingdings", 2, true, SymbolsAs::SymbolArea, {1, 11}, {1, 11, 21}},
        {"13 x 25 in a Cyrillic font: lines under rows 1, 11 and 21", 13, 25, "Arial", 204, false,
         SymbolsAs::CodePage, {1, 11, 21}, {1, 11}},
        {"12 x 12 with the skeins column", 12, 12, "Wingdings", 2, false, SymbolsAs::WingdingsEquivalents, {1, 11},
         {1, 11}, true},
        {"12 x 14 with two lines of backstitch listed below", 12, 14, "Wingdings", 2, false,
         SymbolsAs::WingdingsEquivalents, {1, 11}, {1, 11}, false, true},
    };
    for (const WorkbookCase& c : cases)
        ExpectReadsBackAsWritten(c);
}

// The largest chart, on its own: it takes seconds, and ctest labels it slow.
TEST_F(WorkbookTest, ReadsBackAFullSizeChartAsWritten)
{
    ExpectReadsBackAsWritten({"1000 x 1000", 1000, 1000, "Wingdings", 2, false, SymbolsAs::WingdingsEquivalents,
                              EveryTenth(1, 100), EveryTenth(1, 100)});
}

TEST(WorkbookTextTest, SymbolsReadAsOnTheScreen)
{
    GridFont wingdings;
    wingdings.name = "Wingdings";
    wingdings.charset = kSymbolCharset;
    SymbolAreaGlyphs installed;
    installed.set();
    // "ü" (252) is Wingdings' check mark: U+2713 where the face is missing, U+F0FC where it is
    // installed; through the code page it would be "ь", which no symbol font draws as a check mark.
    EXPECT_EQ(WorkbookSymbolText("\xfc", wingdings, {}), "✓");
    EXPECT_EQ(WorkbookSymbolText("\xfc", wingdings, installed), "\xef\x83\xbc");
    EXPECT_EQ(WorkbookSymbolText("!", wingdings, {}), "\xf0\x9f\x96\x89"); // beyond 16 bits
    EXPECT_EQ(WorkbookSymbolText("\x7f\xff", wingdings, {}), "⊞⊠");
    GridFont arial;
    arial.charset = kRussianCharset;
    EXPECT_EQ(WorkbookSymbolText("\xfc", arial, installed), "ь");
    EXPECT_EQ(WorkbookText("\xd1\xe8\xec\xe2\xee\xeb"), "Символ");
}

TEST(WorkbookTextTest, WholeNumbers)
{
    EXPECT_EQ(WholeNumberOf(" 7"), 7.0);
    EXPECT_EQ(WholeNumberOf("1000"), 1000.0);
    EXPECT_EQ(WholeNumberOf("-12"), -12.0);
    for (const char* text : {"", " ", "-", "3a", "1 2", "B5200", "1234567890", "--1"})
        EXPECT_FALSE(WholeNumberOf(text).has_value()) << text;
}

// Runs at once, and other users, each get a picture file of their own that no one else can read.
TEST_F(WorkbookTest, TemporaryBitmapsArePrivateAndUnique)
{
    std::vector<fs::path> paths;
    {
        const OutputFile first = WriteTemporaryBitmap(Bitmap(2, 2, 0x0000FF), folder_ / "tmp");
        const OutputFile second = WriteTemporaryBitmap(Bitmap(3, 1, 0x00FF00), folder_ / "tmp");
        for (const OutputFile* file : {&first, &second}) {
            paths.push_back(file->path());
            EXPECT_EQ(file->path().parent_path().parent_path(), folder_ / "tmp");
            EXPECT_EQ(file->path().extension(), ".bmp");
            EXPECT_EQ(fs::status(file->path()).permissions() & fs::perms::all,
                      fs::perms::owner_read | fs::perms::owner_write);
        }
        EXPECT_NE(paths[0], paths[1]);
        EXPECT_EQ(fs::file_size(paths[0]), 54u + 16u);
        EXPECT_EQ(fs::file_size(paths[1]), 54u + 12u);
    }
    for (const fs::path& path : paths)
        EXPECT_FALSE(fs::exists(path)) << path;
}

// A workbook that cannot be written in full leaves the earlier one as it was and nothing else;
// the one message names the file and the system's reason, and the workbook library prints none.
TEST_F(WorkbookTest, AFailedWriteKeepsTheEarlierWorkbook)
{
    const SchemeDocument document = Scheme(40, 30);
    const SchemeWorkbookInput input{document.chart, document.legend, document.picture, DefaultSymbolFont(), "Arial",
                                    folder_ / "tmp"};
    const fs::path book = folder_ / "out" / "book.xlsx";
    fs::create_directories(book.parent_path());
    std::ofstream(book) << "the earlier workbook";
    fs::create_directories(folder_ / "blocked" / "book.xlsx");
    std::ofstream(folder_ / "file") << "x";

    const FailingWrite cases[] = {
        {"a full disk before the picture's own file is written", folder_ / "tmp" / RunFolder::kNamePrefix, 1000,
         "File too large"},
        {"a full disk, early", book, 4000, "File too large"},
        {"a full disk, late", book, 9000, "File too large"},
        {"a folder in the way", folder_ / "blocked" / "book.xlsx", RLIM_INFINITY, "Is a directory"},
        {"a path under a file", folder_ / "file" / "book.xlsx", RLIM_INFINITY, "Not a directory"},
    };
    for (const FailingWrite& c : cases) {
        SCOPED_TRACE(c.name);
        ::testing::internal::CaptureStderr();
        const std::string message =
            FailedWriteMessage(c, [&](const fs::path& file) { WriteSchemeWorkbook(file, input); });
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
        EXPECT_TRUE(message.starts_with("cannot write " + c.file.string()) && message.ends_with(c.reason)) << message;
        EXPECT_TRUE(ReadFileText(book) == "the earlier workbook");
        EXPECT_EQ(std::distance(fs::directory_iterator(book.parent_path()), fs::directory_iterator()), 1)
            << "no unfinished file is left";
        EXPECT_TRUE(fs::is_empty(folder_ / "tmp"));
    }
    EXPECT_TRUE(fs::is_directory(folder_ / "blocked" / "book.xlsx"));

    WriteSchemeWorkbook(book, input);
    EXPECT_EQ(ReadFileText(book).substr(0, 2), "PK");
}

// Someone who could put a link where the workbook library reopens its file would have it write the
// workbook over any file the user may write. The name lies in a folder of the run's own that
// nobody else can enter; and should the file be swapped all the same, the workbook is refused and
// the link never becomes the workbook.
TEST_F(WorkbookTest, TheLibrarysFileCannotBeSwapped)
{
    static fs::path libraryFile, victim;
    static fs::perms folderPermissions;
    victim = folder_ / "victim";
    std::ofstream(victim) << "someone's file";
    const fs::path book = folder_ / "book.xlsx";
    std::ofstream(book) << "the earlier workbook";
    const SchemeDocument document = Scheme(10, 10);
    const SchemeWorkbookInput input{document.chart, document.legend, document.picture, DefaultSymbolFont(), "Arial",
                                    folder_ / "tmp"};

    SetWorkbookCloseHookForTests([](const fs::path& path) {
        libraryFile = path;
        folderPermissions = fs::symlink_status(path.parent_path()).permissions() & fs::perms::all;
    });
    WriteSchemeWorkbook(book, input);
    EXPECT_EQ(libraryFile.parent_path().parent_path(), folder_);
    EXPECT_EQ(folderPermissions, fs::perms::owner_all);

    std::ofstream(book) << "the earlier workbook";
    SetWorkbookCloseHookForTests([](const fs::path& path) {
        fs::remove(path);
        fs::create_symlink(victim, path);
    });
    try {
        WriteSchemeWorkbook(book, input);
        ADD_FAILURE() << "a swapped file became the workbook";
    } catch (const FileWriteError& e) {
        EXPECT_NE(std::string(e.what()).find("was replaced"), std::string::npos) << e.what();
    }
    SetWorkbookCloseHookForTests(nullptr);
    EXPECT_FALSE(fs::is_symlink(book));
    EXPECT_EQ(ReadFileText(book), "the earlier workbook");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 3) << "book, victim, tmp";
}

TEST_F(WorkbookTest, FailuresLeaveNoWorkbook)
{
    const SchemeDocument document = Scheme(10, 10);
    const GridFont font = DefaultSymbolFont();

    const fs::path unwritable = folder_ / "missing" / "book.xlsx";
    EXPECT_THROW(WriteSchemeWorkbook(unwritable, {document.chart, document.legend, document.picture, font, "Arial",
                                                  folder_ / "tmp"}),
                 FileWriteError);
    EXPECT_FALSE(fs::exists(unwritable));

    const Bitmap other(11, 10);
    const fs::path book = folder_ / "book.xlsx";
    EXPECT_THROW(WriteSchemeWorkbook(book, {document.chart, document.legend, other, font, "Arial", folder_ / "tmp"}),
                 std::invalid_argument);
    EXPECT_THROW(WriteSchemeWorkbook(book, {document.chart, document.legend, Bitmap(), font, "Arial", folder_ / "tmp"}),
                 std::invalid_argument);
    EXPECT_FALSE(fs::exists(book));
    EXPECT_TRUE(fs::is_empty(folder_ / "tmp"));
}

} // namespace
} // namespace velmora
