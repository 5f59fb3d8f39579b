#include "scheme/scheme_file.h"

#include "picture/bmp_codec.h"
#include "files/output_file.h"
#include "scheme/stitch_edit.h"
#include "scheme/symbol_spread.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <functional>

namespace velmora {
namespace {

using Json = nlohmann::json;
namespace fs = std::filesystem;

// Ten colours in stripes, fewer than the palette takes: each keeps its own thread. Of the two
// whites one takes B5200, the other White, so that White has a row.
Bitmap TestPicture(int width, int height)
{
    const Color colors[] = {kWhite, MakeColor(254, 254, 254), MakeColor(200, 30, 30), MakeColor(30, 160, 40),
                            MakeColor(20, 40, 180), MakeColor(240, 220, 90), MakeColor(90, 60, 30),
                            MakeColor(10, 10, 10), MakeColor(150, 150, 160), MakeColor(250, 170, 200)};
    Bitmap picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, colors[(x / 3 + y / 2 + x * y % 7) % 10]);
    return picture;
}

SchemeDocument Built(int width, int height, int colors, bool dithering, bool white = true)
{
    Bitmap picture = TestPicture(width, height);
    if (!white)
        for (Color& c : picture.pixels())
            if (c == kWhite || c == MakeColor(254, 254, 254))
                c = MakeColor(90, 20, 20);
    SchemeEngine engine;
    SchemeDocument document =
        engine.BuildScheme(picture, {width, height, colors, DefaultSymbolTexts(colors), dithering});
    document.pictureName = "pictures/кот.jpg";
    return document;
}

void ExpectSameScheme(const SchemeDocument& read, const SchemeDocument& saved)
{
    EXPECT_EQ(read.request.width, saved.request.width);
    EXPECT_EQ(read.request.height, saved.request.height);
    EXPECT_EQ(read.request.colorCount, saved.request.colorCount);
    EXPECT_EQ(read.request.dithering, saved.request.dithering);
    EXPECT_EQ(read.request.perceptual, saved.request.perceptual);
    EXPECT_EQ(read.request.symbols, saved.request.symbols);
    EXPECT_EQ(read.pictureName, saved.pictureName);
    EXPECT_TRUE(read.chart == saved.chart);
    EXPECT_TRUE(read.legend == saved.legend);
    ASSERT_EQ(read.picture.width(), saved.picture.width());
    EXPECT_TRUE(std::ranges::equal(read.picture.pixels(), saved.picture.pixels()));
    // What the window and velmora-cli write from the picture.
    EXPECT_EQ(EncodeBmp24(read.picture), EncodeBmp24(saved.picture));
}

TEST(SchemeFileTest, ReadsBackWhatItWroteCellForCell)
{
    struct Case {
        bool dithering, white;
        int width, height; // 300 × 250: a chart text of many of the writer's pieces
    };
    for (const auto& [dithering, white, width, height] :
         {Case{false, true, 40, 30}, Case{true, true, 40, 30}, Case{false, false, 40, 30}, Case{false, true, 300, 250}}) {
        SCOPED_TRACE(testing::Message() << "dithering " << dithering << ", white " << white << ", " << width);
        const SchemeDocument saved = Built(width, height, 12, dithering, white);
        ASSERT_EQ(saved.legend.text(3, 1).empty(), !white);
        const std::string text = SchemeFileText(saved);
        const SchemeDocument read = ParseSchemeFile(text);
        ExpectSameScheme(read, saved);
        // Saved again, the file is the same to the byte.
        EXPECT_EQ(SchemeFileText(read), text);
    }
}

// The build that made a scheme comes back with it, so that the file rebuilds the same. Only the
// perceptual build is named: the file of the usual build is the same to the byte as before the key
// existed, and one with the key differs from it by that line alone.
TEST(SchemeFileTest, RecordsThePerceptualBuildOnlyWhenItMadeTheScheme)
{
    for (const bool dithering : {false, true}) {
        SCOPED_TRACE(testing::Message() << "dithering " << dithering);
        const SchemeDocument usual = Built(12, 10, 6, dithering);
        const std::string usualText = SchemeFileText(usual);
        EXPECT_EQ(usualText.find("perceptual"), std::string::npos);
        EXPECT_FALSE(ParseSchemeFile(usualText).request.perceptual);

        SchemeDocument perceptual = usual;
        perceptual.request.perceptual = true;
        const std::string text = SchemeFileText(perceptual);
        std::string expected = usualText;
        const std::string dither = std::string("  \"dithering\": ") + (dithering ? "true" : "false") + ",\n";
        expected.insert(expected.find(dither) + dither.size(), "  \"perceptual\": true,\n");
        EXPECT_EQ(text, expected);
        const SchemeDocument read = ParseSchemeFile(text);
        ExpectSameScheme(read, perceptual);
        EXPECT_EQ(SchemeFileText(read), text);

        // Written false by hand, it reads as the usual build and is left out when saved again.
        Json file = Json::parse(text);
        file["perceptual"] = false;
        const SchemeDocument off = ParseSchemeFile(file.dump());
        EXPECT_FALSE(off.request.perceptual);
        EXPECT_EQ(SchemeFileText(off), usualText);
    }
}

// Lines of backstitch come back in their order, one of them in a thread with no crosses; a scheme
// without lines has no key for them.
TEST(SchemeFileTest, KeepsTheLinesOfBackstitch)
{
    SchemeDocument saved = Built(40, 30, 12, false);
    EXPECT_EQ(SchemeFileText(saved).find("backstitches"), std::string::npos);
    const int black = FindDmc("310"), green = FindDmc("700");
    AddBackstitch(saved, {black, 0, 0, 40, 30});
    AddBackstitch(saved, {green, 5, 7, 6, 7});
    AddBackstitch(saved, {black, 40, 0, 0, 30});
    ASSERT_EQ(saved.backstitches.size(), 3u);
    const std::string text = SchemeFileText(saved);
    EXPECT_NE(text.find("  \"backstitches\": [\n    {\"thread\": \"310\", \"from\": [0, 0], \"to\": [40, 30]},\n"),
              std::string::npos);
    const SchemeDocument read = ParseSchemeFile(text);
    ExpectSameScheme(read, saved);
    EXPECT_EQ(read.backstitches, saved.backstitches);
    EXPECT_EQ(SchemeFileText(read), text);

    // Threads drawn in come beyond the colours asked for: a scheme of two colours with three more.
    SchemeDocument few = Built(12, 10, 2, false);
    for (const char* name : {"321", "700", "3371"})
        AddBackstitch(few, {FindDmc(name), 0, 0, 12, 10});
    const SchemeDocument fewRead = ParseSchemeFile(SchemeFileText(few));
    ExpectSameScheme(fewRead, few);
    EXPECT_EQ(fewRead.backstitches, few.backstitches);

    // The most lines a scheme holds pass the reader's bounds on the text.
    saved.backstitches.assign(kMaxBackstitches, {black, 40, 30, 39, 29});
    EXPECT_EQ(ParseSchemeFile(SchemeFileText(saved)).backstitches.size(), std::size_t{kMaxBackstitches});
}

// The cloth is the scheme's and comes back; the sizes and the shopping list follow from it and the
// legend, and add up to the chart's stitches.
TEST(SchemeFileTest, KeepsTheClothAndListsTheThreadsToBuy)
{
    SchemeDocument saved = Built(40, 30, 12, false);
    saved.fabricCount = 18;
    const std::string text = SchemeFileText(saved);
    EXPECT_NE(text.find("\"fabric\": {\"count\": 18, \"width_mm\": 56, \"height_mm\": 42},"), std::string::npos);
    EXPECT_EQ(ParseSchemeFile(text).fabricCount, 18);
    const Json file = Json::parse(text);
    long long stitches = 0;
    for (const Json& thread : file["threads"]) {
        stitches += thread["stitches"].get<long long>();
        EXPECT_EQ(thread["skeins"].get<int>() >= 1, thread["stitches"].get<long long>() > 0);
    }
    EXPECT_EQ(stitches, 40 * 30);
}

TEST(SchemeFileTest, WritesTheFileWholeAndReadsItByContent)
{
    const fs::path folder = fs::temp_directory_path() / "velmora-scheme-file-test";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const SchemeDocument saved = Built(20, 16, 6, true);
    for (const char* name : {"a.velmora", "scheme.json", "no-extension"}) {
        WriteSchemeFile(folder / name, saved);
        EXPECT_TRUE(IsSchemeFile(folder / name));
        ExpectSameScheme(ReadSchemeFile(folder / name), saved);
    }
    WriteFileWhole(folder / "p.bmp", std::string_view("BM\x3e\0\0\0", 6));
    EXPECT_FALSE(IsSchemeFile(folder / "p.bmp"));
    EXPECT_FALSE(IsSchemeFile(folder / "missing"));
    EXPECT_TRUE(LooksLikeSchemeFile("\xEF\xBB\xBF \n\t{\"width\""));
    EXPECT_FALSE(LooksLikeSchemeFile("\xFF\xD8\xFF\xE0"));

    // A folder, a missing file and one over the limit are refused without reading.
    for (const auto& [path, message] :
         {std::pair{folder, "not a regular file"}, {folder / "missing", "cannot open the file: No such file"}}) {
        try {
            ReadSchemeFile(path);
            ADD_FAILURE() << path;
        } catch (const SchemeFileError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
    {
        std::ofstream big(folder / "big.velmora", std::ios::binary);
        big << '{';
        big.seekp(static_cast<std::streamoff>(kMaxSchemeFileSize) + 1);
        big << '}';
    }
    EXPECT_THROW(ReadSchemeFile(folder / "big.velmora"), SchemeFileError);
    fs::remove_all(folder);
}

// The scheme.json that velmora-cli wrote before the file named its format opens as it was.
TEST(SchemeFileTest, OpensFilesWrittenBeforeTheFormatHadAName)
{
    const SchemeDocument saved = Built(24, 20, 8, false);
    Json old = Json::parse(SchemeFileText(saved));
    old.erase("format");
    old.erase("version");
    old.erase("symbols");
    const SchemeDocument read = ParseSchemeFile(old.dump());
    EXPECT_TRUE(read.chart == saved.chart);
    EXPECT_TRUE(read.legend == saved.legend);
    EXPECT_TRUE(read.picture.pixels().size() == saved.picture.pixels().size() &&
                std::ranges::equal(read.picture.pixels(), saved.picture.pixels()));
    // The symbols of the legend's rows stand at their places in the request.
    EXPECT_EQ(read.request.symbols[1], saved.request.symbols[1]);
    // Nor had it a cloth: it is on 14 count.
    EXPECT_EQ(read.fabricCount, 14);
    // Saved again, it still has no symbol list, and reads back the same.
    const std::string again = SchemeFileText(read);
    EXPECT_EQ(again.find("\"symbols\""), std::string::npos);
    EXPECT_TRUE(ParseSchemeFile(again).chart == saved.chart);

    // Threads drawn in after the build can number more than the colours asked for: their rows
    // have no place among the request's symbols.
    Json fewer = old;
    fewer["colors"] = 3;
    const SchemeDocument drawn = ParseSchemeFile(fewer.dump());
    EXPECT_TRUE(drawn.legend == saved.legend);
    ASSERT_EQ(drawn.request.symbols.size(), 3U);
    EXPECT_EQ(drawn.request.symbols[1], saved.request.symbols[1]);
}

struct Damage {
    std::string name;
    std::function<void(Json&)> change;
    std::string english;
    std::string russian;
};

void ExpectRefused(const Json& file, const Damage& damage)
{
    try {
        ParseSchemeFile(file.dump());
        ADD_FAILURE() << "opened";
    } catch (const SchemeFileError& e) {
        EXPECT_NE(std::string(e.what()).find(damage.english), std::string::npos) << e.what();
        EXPECT_NE(e.russian().find(damage.russian), std::string::npos) << e.russian();
    }
}

// The first legend row of a thread other than White.
Json& ThreadRow(Json& file) { return file["legend"][2]; }

TEST(SchemeFileTest, RefusesADamagedFileNamingTheFault)
{
    const SchemeDocument saved = Built(12, 10, 6, false);
    const Json good = Json::parse(SchemeFileText(saved));
    ASSERT_EQ(good["legend"][1][3], "White");
    const int symbol = ThreadRow(const_cast<Json&>(good))[1].get<int>();

    const std::vector<Damage> cases = {
        {"width too small", [](Json& f) { f["width"] = 9; }, "key \"width\": 9 is not in 10..1000", "ключ «width»"},
        {"height too large", [](Json& f) { f["height"] = 1001; }, "key \"height\": 1001 is not in 10..1000",
         "ключ «height»"},
        {"width a text", [](Json& f) { f["width"] = "12"; }, "key \"width\": not a whole number", "не целое число"},
        {"colors out of range", [](Json& f) { f["colors"] = 101; }, "key \"colors\": 101", "ключ «colors»"},
        {"no chart", [](Json& f) { f.erase("chart"); }, "key \"chart\" is missing", "нет ключа «chart»"},
        {"chart row too short", [](Json& f) { f["chart"][4].erase(0); },
         "key \"chart\", row 5: 11 entries where 12 belong", "ключ «chart», строка 5"},
        {"chart row missing", [](Json& f) { f["chart"].erase(9); }, "key \"chart\": 9 entries where 10 belong",
         "ключ «chart»"},
        {"symbol without a legend row", [](Json& f) { f["chart"][2][3] = 250; },
         "key \"chart\", row 3, column 4: symbol 250 has no legend row", "у символа 250 нет строки в легенде"},
        {"symbol code out of range", [](Json& f) { f["chart"][0][0] = 256; },
         "key \"chart\", row 1, column 1: 256 is not in 0..255", "вне пределов"},
        {"unknown thread", [](Json& f) { ThreadRow(f)[3] = "9999"; },
         "key \"legend\", row 3, column 4: no catalogue thread is named \"9999\"", "в каталоге нет нитки «9999»"},
        {"colour not the catalogue's", [](Json& f) { ThreadRow(f)[2] = "123"; },
         "key \"legend\", row 3, column 3: colour 123 is not the colour of thread", "не цвет нитки"},
        {"negative count", [](Json& f) { ThreadRow(f)[4] = "-5"; },
         "key \"legend\", row 3, column 5: a negative count of stitches", "отрицательное число крестиков"},
        {"count not the chart's", [](Json& f) { ThreadRow(f)[4] = "1"; },
         "key \"legend\", row 3, column 5: the count 1 is not the", "не равно числу крестиков"},
        {"count not a number", [](Json& f) { ThreadRow(f)[4] = "12x"; }, "\"12x\" is not a whole number",
         "«12x» не целое число"},
        {"two rows of one symbol", [symbol](Json& f) { f["legend"][3][1] = symbol; },
         "key \"legend\", row 4, column 2: symbol", "уже обозначает другую нитку"},
        {"two rows of one thread", [](Json& f) { f["legend"][3][3] = ThreadRow(f)[3]; f["legend"][3][2] = ThreadRow(f)[2]; },
         "key \"legend\", row 4: thread", "уже есть строка"},
        {"White with a symbol", [](Json& f) { f["legend"][1][1] = 70; }, "White has no symbol", "у нитки White нет символа"},
        {"number given twice", [](Json& f) { f["legend"][3][0] = ThreadRow(f)[0]; }, "or given twice", "или повторён"},
        {"legend row of four cells", [](Json& f) { ThreadRow(f).erase(4); },
         "key \"legend\", row 3: 4 entries where 5 belong", "ключ «legend», строка 3"},
        {"more rows than symbols", [](Json& f) { f["legend"] = Json(std::vector<Json>(259, f["legend"].back())); },
         "key \"legend\": 259 rows where 3..258 belong", "259 строк вместо 3..258"},
        {"heading changed", [](Json& f) { f["legend"][0][3] = "Thread"; }, "the heading is not", "заголовок не"},
        {"last row not empty", [](Json& f) { f["legend"].back()[3] = "310"; }, "the last row must be empty",
         "последняя строка"},
        {"White's row emptied", [](Json& f) { f["legend"][1] = Json::parse(R"(["",0,"","",""])"); },
         "key \"legend\": the numbers are not 1..5", "номера строк не 1..5"},
        {"format of another program", [](Json& f) { f["format"] = "other"; }, "key \"format\" is not",
         "ключ «format»"},
        {"newer version", [](Json& f) { f["version"] = 2; }, "of version 2, newer than", "новее"},
        {"not an object", [](Json& f) { f = Json::array({1, 2}); }, "not a JSON object", "не объект JSON"},
        {"dithering a number", [](Json& f) { f["dithering"] = 1; }, "key \"dithering\": not true or false",
         "ключ «dithering»"},
        {"perceptual a text", [](Json& f) { f["perceptual"] = "true"; }, "key \"perceptual\": not true or false",
         "ключ «perceptual»: не true и не false"},
        {"perceptual null", [](Json& f) { f["perceptual"] = nullptr; }, "key \"perceptual\": not true or false",
         "ключ «perceptual»"},
        {"symbols too few", [](Json& f) { f["symbols"].erase(0); }, "key \"symbols\": 5 entries where 6 belong",
         "ключ «symbols»"},
        {"cloth too coarse", [](Json& f) { f["fabric"]["count"] = 5; }, "key \"fabric.count\": 5 is not in 6..40",
         "ключ «fabric.count»"},
        {"cloth not an object", [](Json& f) { f["fabric"] = 14; }, "key \"fabric\": not an object", "не объект"},
    };
    ASSERT_NO_THROW(ParseSchemeFile(good.dump()));
    for (const Damage& damage : cases) {
        SCOPED_TRACE(damage.name);
        Json file = good;
        damage.change(file);
        ExpectRefused(file, damage);
    }
    Json noWhite = Json::parse(SchemeFileText(Built(12, 10, 6, false, false)));
    noWhite["chart"][1][2] = 0;
    try {
        ParseSchemeFile(noWhite.dump());
        ADD_FAILURE() << "opened an empty stitch without White";
    } catch (const SchemeFileError& e) {
        EXPECT_STREQ(e.what(), "key \"chart\", row 2, column 3: an empty stitch, but the legend has no White row");
    }
}

// A file with two good lines, of a thread with crosses and of White, each case spoiling the first.
TEST(SchemeFileTest, RefusesADamagedLineNamingIt)
{
    SchemeDocument saved = Built(12, 10, 6, false);
    AddBackstitch(saved, {kDmcWhite, 0, 0, 12, 10});
    AddBackstitch(saved, {FindDmc(saved.legend.text(3, 2)), 3, 4, 3, 9});
    const Json good = Json::parse(SchemeFileText(saved));
    ASSERT_EQ(good["backstitches"].size(), 2u);
    std::string absent; // a catalogue thread the legend has not got
    for (int dmc = 0; absent.empty(); ++dmc)
        if (std::ranges::none_of(good["legend"], [&](const Json& row) { return row[3] == DMCTable[dmc].Name; }))
            absent = DMCTable[dmc].Name;
    const auto line = [](Json& f) -> Json& { return f["backstitches"][1]; };
    const std::vector<Damage> cases = {
        {"not a list", [](Json& f) { f["backstitches"] = Json::object(); }, "key \"backstitches\": not an array",
         "ключ «backstitches»: не массив"},
        {"a line not an object", [&](Json& f) { line(f) = Json::array({1, 2}); },
         "key \"backstitches\", entry 2: not an object", "ключ «backstitches», элемент 2: не объект"},
        {"past the right edge", [&](Json& f) { line(f)["to"][0] = 13; },
         "key \"backstitches\", entry 2, \"to\" x: 13 is not in 0..12", "элемент 2, «to» x: 13 вне пределов 0..12"},
        {"above the top", [&](Json& f) { line(f)["from"][1] = -1; },
         "key \"backstitches\", entry 2, \"from\" y: -1 is not in 0..10", "«from» y"},
        {"a corner not whole", [&](Json& f) { line(f)["from"][0] = 2.5; }, "entry 2, \"from\" x: not a whole number",
         "не целое число"},
        {"a corner of three", [&](Json& f) { line(f)["to"].push_back(1); },
         "entry 2, \"to\": 3 entries where 2 belong", "3 элементов вместо 2"},
        {"no length", [&](Json& f) { line(f)["to"] = line(f)["from"]; }, "entry 2: the line has no length",
         "у линии нет длины"},
        {"unknown thread", [&](Json& f) { line(f)["thread"] = "9999"; },
         "entry 2, \"thread\": no catalogue thread is named \"9999\"", "в каталоге нет нитки «9999»"},
        {"thread without a row", [&](Json& f) { line(f)["thread"] = absent; },
         "entry 2, \"thread\": thread " + absent + " has no legend row", "нет строки в легенде"},
        {"thread a number", [&](Json& f) { line(f)["thread"] = 310; }, "entry 2, \"thread\": not a text", "не текст"},
        {"no thread", [&](Json& f) { line(f).erase("thread"); }, "entry 2: key \"thread\" is missing",
         "нет ключа «thread»"},
        {"no end", [&](Json& f) { line(f).erase("to"); }, "entry 2: key \"to\" is missing", "нет ключа «to»"},
        {"a key too many", [&](Json& f) { line(f)["width"] = 2; }, "entry 2: unknown key \"width\"", "лишний ключ «width»"},
        {"too many lines", [](Json& f) { f["backstitches"] = Json::array(); for (int i = 0; i <= kMaxBackstitches; ++i) f["backstitches"].push_back(Json::object()); },
         "key \"backstitches\": 20001 lines where at most 20000 belong", "не больше 20000"},
    };
    for (const Damage& damage : cases) {
        SCOPED_TRACE(damage.name);
        Json file = good;
        damage.change(file);
        ExpectRefused(file, damage);
    }
}

std::string Repeated(std::string_view part, int times)
{
    std::string text;
    for (int i = 0; i < times; ++i)
        text += part;
    return text;
}

TEST(SchemeFileTest, RefusesHostileTextBeforeParsingIt)
{
    const std::string good = SchemeFileText(Built(12, 10, 6, false));
    const std::size_t pictureAt = good.find("pictures/");
    const struct {
        const char* name;
        std::string text;
        const char* english;
    } cases[] = {
        {"cut short", good.substr(0, good.size() / 2), "ends before it is complete"},
        {"empty", "", "ends before it is complete"},
        {"syntax error", "?" + good.substr(1), "not JSON: error at offset 0"},
        {"a number beyond a double", "{\"width\": 909E0909}", "a number too large to read"},
        {"Latin-1 byte in a text", good.substr(0, pictureAt) + "\xE9" + good.substr(pictureAt), "are not UTF-8"},
        {"surrogate in UTF-8", good.substr(0, pictureAt) + "\xED\xA0\x80" + good.substr(pictureAt), "are not UTF-8"},
        {"nested a million deep", std::string(1'000'000, '['), "nest deeper than 16 levels"},
        // The bounds leave room for the most lines of backstitch a scheme holds, and no more.
        {"millions of values", "[" + Repeated("0,", 1'300'000) + "0]", "more than 1200000 values"},
        {"tens of thousands of keys", "{" + Repeated("\"k\":0,", 61'000) + "\"z\":0}", "more than 60512 keys"},
        {"tens of thousands of arrays", "[" + Repeated("[],", 70'000) + "[]]", "more than 64096 arrays and objects"},
        {"larger than 10 MB", std::string(kMaxSchemeFileSize + 1, ' '), "larger than 10 MB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            ParseSchemeFile(c.text);
            ADD_FAILURE() << "opened";
        } catch (const SchemeFileError& e) {
            EXPECT_NE(std::string(e.what()).find(c.english), std::string::npos) << e.what();
            EXPECT_FALSE(e.russian().empty());
        }
    }
}

} // namespace
} // namespace velmora
