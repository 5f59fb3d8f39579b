#include "scheme_file.h"

#include "cp1251.h"
#include "legend_columns.h"
#include "files/output_file.h"
#include "skeins.h"
#include "files/system_reason.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>
#include <tuple>
#include <utility>

namespace velmora {
namespace {

using Json = nlohmann::json;

constexpr int kLegendColumns = LegendColumn::kDesigned;

// Bounds of the text before the JSON library sees it. Our file nests three deep and has about a
// thousand arrays and a million values, and each line of backstitch adds an object of three keys
// with two arrays, five values apart; a hostile file of ten megabytes could otherwise nest
// millions deep or build millions of little arrays.
constexpr std::size_t kMaxLines = kMaxBackstitches;
constexpr int kMaxDepth = 16;
constexpr std::size_t kMaxContainers = 4096 + 3 * kMaxLines;
constexpr std::size_t kMaxValues = 1'100'000 + 5 * kMaxLines;
// Our object has a dozen keys and three for each of at most 101 threads in "threads" and each
// line; a million distinct keys would cost seconds and a hundred megabytes.
constexpr std::size_t kMaxMembers = 512 + 3 * kMaxLines;

std::size_t At(int i) { return static_cast<std::size_t>(i); }

[[noreturn]] void Fail(const std::string& english, const std::string& russian)
{
    throw SchemeFileError(english, russian);
}

// "key "chart", row 5" / "ключ «chart», строка 5"; rows count from 1 as a reader counts them.
struct Place {
    std::string english;
    std::string russian;
};

Place KeyPlace(std::string_view key)
{
    return {"key \"" + std::string(key) + "\"", "ключ «" + std::string(key) + "»"};
}

Place RowPlace(std::string_view key, int row)
{
    Place place = KeyPlace(key);
    place.english += ", row " + std::to_string(row);
    place.russian += ", строка " + std::to_string(row);
    return place;
}

Place EntryPlace(std::string_view key, int entry)
{
    Place place = KeyPlace(key);
    place.english += ", entry " + std::to_string(entry);
    place.russian += ", элемент " + std::to_string(entry);
    return place;
}

Place CellPlace(std::string_view key, int row, int column)
{
    Place place = RowPlace(key, row);
    place.english += ", column " + std::to_string(column);
    place.russian += ", столбец " + std::to_string(column);
    return place;
}

[[noreturn]] void FailAt(const Place& place, const std::string& english, const std::string& russian)
{
    Fail(place.english + ": " + english, place.russian + ": " + russian);
}

// The length of the well-formed UTF-8 sequence at `i`, or 0.
std::size_t Utf8Length(std::string_view bytes, std::size_t i)
{
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || i + length > bytes.size())
        return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
            return 0;
    if (length > 2) {
        // No overlong forms, no surrogates, nothing beyond U+10FFFF.
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) || (lead == 0xF0 && second < 0x90) ||
            (lead == 0xF4 && second >= 0x90))
            return 0;
    }
    return length;
}

// One pass over the text before parsing: UTF-8 throughout, and nesting, arrays and values within
// what a scheme needs, so that the parser's work and memory stay bounded.
void PreScan(std::string_view text)
{
    int depth = 0;
    std::size_t containers = 0, values = 0, members = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size();) {
        const char ch = text[i];
        if (static_cast<unsigned char>(ch) >= 0x80) {
            const std::size_t length = Utf8Length(text, i);
            if (length == 0)
                Fail("the bytes at offset " + std::to_string(i) + " are not UTF-8",
                     "байты по смещению " + std::to_string(i) + " не в кодировке UTF-8");
            i += length;
            continue;
        }
        if (inString) {
            if (ch == '\\')
                ++i; // the escaped character cannot end the string
            else if (ch == '"')
                inString = false;
        } else if (ch == '"') {
            inString = true;
        } else if (ch == '[' || ch == '{') {
            if (++depth > kMaxDepth)
                Fail("arrays and objects nest deeper than " + std::to_string(kMaxDepth) + " levels at offset " +
                         std::to_string(i),
                     "массивы и объекты вложены глубже " + std::to_string(kMaxDepth) + " уровней (смещение " +
                         std::to_string(i) + ")");
            if (++containers > kMaxContainers)
                Fail("more than " + std::to_string(kMaxContainers) + " arrays and objects",
                     "больше " + std::to_string(kMaxContainers) + " массивов и объектов");
        } else if (ch == ']' || ch == '}') {
            --depth;
        } else if (ch == ':') {
            if (++members > kMaxMembers)
                Fail("more than " + std::to_string(kMaxMembers) + " keys", "больше " + std::to_string(kMaxMembers) + " ключей");
        } else if (ch == ',') {
            if (++values > kMaxValues)
                Fail("more than " + std::to_string(kMaxValues) + " values", "больше " + std::to_string(kMaxValues) + " значений");
        }
        ++i;
    }
}

Json Parse(std::string_view text)
{
    try {
        return Json::parse(text);
    } catch (const Json::parse_error& e) {
        const std::string offset = std::to_string(e.byte > 0 ? e.byte - 1 : 0);
        if (e.byte >= text.size())
            Fail("the JSON text ends before it is complete (the file is cut short)",
                 "текст JSON обрывается, не закончившись (файл обрезан)");
        Fail("the text is not JSON: error at offset " + offset, "текст не в формате JSON: ошибка по смещению " + offset);
    } catch (const Json::exception&) {
        // The parser's other refusal: a number beyond what a double holds ("1e999").
        Fail("the text holds a number too large to read", "в тексте число, слишком большое для чтения");
    }
}

const Json& Member(const Json& top, const char* key)
{
    const auto it = top.find(key);
    if (it == top.end())
        Fail(std::string("key \"") + key + "\" is missing", std::string("нет ключа «") + key + "»");
    return *it;
}

int IntegerIn(const Json& value, const Place& place, int low, int high)
{
    if (!value.is_number_integer())
        FailAt(place, "not a whole number", "не целое число");
    const auto number = value.get<std::int64_t>();
    if (number < low || number > high)
        FailAt(place, std::to_string(number) + " is not in " + std::to_string(low) + ".." + std::to_string(high),
               std::to_string(number) + " вне пределов " + std::to_string(low) + ".." + std::to_string(high));
    return static_cast<int>(number);
}

bool Boolean(const Json& value, const Place& place)
{
    if (!value.is_boolean())
        FailAt(place, "not true or false", "не true и не false");
    return value.get<bool>();
}

const std::string& Text(const Json& value, const Place& place)
{
    if (!value.is_string())
        FailAt(place, "not a text", "не текст");
    return value.get_ref<const std::string&>();
}

// A whole decimal number written as a text, as the legend's cells hold numbers.
std::int64_t DecimalText(const std::string& text, const Place& place)
{
    std::int64_t number = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || error != std::errc() || last != end)
        FailAt(place, "\"" + text + "\" is not a whole number", "«" + text + "» не целое число");
    return number;
}

const Json& ArrayOf(const Json& value, const Place& place, std::size_t size)
{
    if (!value.is_array())
        FailAt(place, "not an array", "не массив");
    if (value.size() != size)
        FailAt(place, std::to_string(value.size()) + " entries where " + std::to_string(size) + " belong",
               std::to_string(value.size()) + " элементов вместо " + std::to_string(size));
    return value;
}

void CheckFormat(const Json& top)
{
    const auto format = top.find("format");
    const auto version = top.find("version");
    if (format == top.end() && version == top.end())
        return; // written before the file named its format
    if (format == top.end() || !format->is_string() || format->get_ref<const std::string&>() != kSchemeFormatName)
        Fail(std::string("key \"format\" is not \"") + kSchemeFormatName + "\"",
             std::string("ключ «format» не равен «") + kSchemeFormatName + "»");
    if (version == top.end() || !version->is_number_integer() || version->get<std::int64_t>() < 1)
        Fail("key \"version\" is not a version number", "ключ «version» не номер версии");
    if (version->get<std::int64_t>() > kSchemeFormatVersion)
        Fail("the file is of version " + std::to_string(version->get<std::int64_t>()) +
                 ", newer than this program reads (" + std::to_string(kSchemeFormatVersion) + ")",
             "файл версии " + std::to_string(version->get<std::int64_t>()) +
                 " — новее, чем читает эта программа (" + std::to_string(kSchemeFormatVersion) + ")");
}

std::string SymbolText(int code) { return code == 0 ? std::string() : std::string(1, static_cast<char>(code)); }

// What the legend tells about a thread row, for checking the chart against it.
struct LegendRow {
    int row = 0;
    int dmc = 0;
    std::int64_t count = 0;
    std::int64_t counted = 0;
};

struct Legend {
    CellTable table;
    // By symbol code; code 0 is White's (the empty stitch).
    std::array<int, 256> rowOfSymbol{};
    std::vector<LegendRow> rows;
};

Legend ReadLegend(const Json& value, int colors)
{
    if (!value.is_array())
        FailAt(KeyPlace("legend"), "not an array", "не массив");
    // The header, White's row, the other threads' rows and the empty last row. A build gives at
    // most `colors` other threads; drawing brings more in, each with a symbol of its own, and there
    // are 255 symbols.
    const int maxThreads = std::max(colors, 255);
    const std::size_t rowCount = value.size();
    if (rowCount < 3 || rowCount > At(maxThreads) + 3)
        FailAt(KeyPlace("legend"),
               std::to_string(rowCount) + " rows where 3.." + std::to_string(maxThreads + 3) + " belong",
               std::to_string(rowCount) + " строк вместо 3.." + std::to_string(maxThreads + 3));
    const int threadRows = static_cast<int>(rowCount) - 2;
    Legend legend;
    legend.rowOfSymbol.fill(-1);
    legend.table.setColumns(kLegendColumns);
    legend.table.setRows(static_cast<int>(rowCount));

    for (int c = 0; c < kLegendColumns; ++c) {
        const Place place = CellPlace("legend", 1, c + 1);
        const std::string& text = Text(ArrayOf(value[0], RowPlace("legend", 1), kLegendColumns)[At(c)], place);
        if (text != Cp1251ToUtf8(kLegendHeaders[At(c)]))
            FailAt(place, "the heading is not \"" + Cp1251ToUtf8(kLegendHeaders[At(c)]) + "\"",
                   "заголовок не «" + Cp1251ToUtf8(kLegendHeaders[At(c)]) + "»");
        legend.table.setText(c, 0, kLegendHeaders[At(c)]);
    }

    std::set<int> numbers, threads;
    for (std::size_t r = 1; r < rowCount; ++r) {
        const int row = static_cast<int>(r);
        const Place rowPlace = RowPlace("legend", row + 1);
        const Json& cells = ArrayOf(value[r], rowPlace, kLegendColumns);
        const int symbol =
            IntegerIn(cells[LegendColumn::Symbol], CellPlace("legend", row + 1, LegendColumn::Symbol + 1), 0, 255);
        std::array<const std::string*, kLegendColumns> texts{};
        bool empty = symbol == 0;
        for (int c = 0; c < kLegendColumns; ++c) {
            if (c == LegendColumn::Symbol)
                continue;
            texts[At(c)] = &Text(cells[At(c)], CellPlace("legend", row + 1, c + 1));
            empty = empty && texts[At(c)]->empty();
        }
        const bool last = r + 1 == rowCount;
        if (last || (row == 1 && empty)) {
            // The last row is always empty; White's row is empty when no thread is White.
            if (!empty)
                FailAt(rowPlace, "the last row must be empty", "последняя строка должна быть пустой");
            continue;
        }
        const std::string& name = *texts[LegendColumn::Name];
        const int dmc = FindDmc(name);
        if (dmc < 0)
            FailAt(CellPlace("legend", row + 1, LegendColumn::Name + 1),
                   "no catalogue thread is named \"" + name + "\"",
                   "в каталоге нет нитки «" + name + "»");
        if (!threads.insert(dmc).second)
            FailAt(rowPlace, "thread " + name + " has a row already", "у нитки " + name + " уже есть строка");
        if ((dmc == kDmcWhite) != (row == 1))
            FailAt(rowPlace, row == 1 ? "the second row is White's" : "White belongs in the second row",
                   row == 1 ? "вторая строка — строка нитки White" : "нитке White место во второй строке");
        if (dmc == kDmcWhite ? symbol != 0 : symbol == 0)
            FailAt(CellPlace("legend", row + 1, LegendColumn::Symbol + 1),
                   dmc == kDmcWhite ? "White has no symbol" : "a thread other than White needs a symbol",
                   dmc == kDmcWhite ? "у нитки White нет символа" : "нитке, кроме White, нужен символ");
        if (legend.rowOfSymbol[At(symbol)] >= 0)
            FailAt(CellPlace("legend", row + 1, LegendColumn::Symbol + 1),
                   "symbol " + std::to_string(symbol) + " stands for another thread already",
                   "символ " + std::to_string(symbol) + " уже обозначает другую нитку");
        const std::int64_t color =
            DecimalText(*texts[LegendColumn::Colour], CellPlace("legend", row + 1, LegendColumn::Colour + 1));
        if (color != DMCTable[At(dmc)].Color)
            FailAt(CellPlace("legend", row + 1, LegendColumn::Colour + 1),
                   "colour " + std::to_string(color) + " is not the colour of thread " + name + " (" +
                       std::to_string(DMCTable[At(dmc)].Color) + ")",
                   "цвет " + std::to_string(color) + " не цвет нитки " + name + " (" +
                       std::to_string(DMCTable[At(dmc)].Color) + ")");
        const std::int64_t number =
            DecimalText(*texts[LegendColumn::Number], CellPlace("legend", row + 1, LegendColumn::Number + 1));
        if (number < 1 || number > threadRows || !numbers.insert(static_cast<int>(number)).second)
            FailAt(CellPlace("legend", row + 1, LegendColumn::Number + 1),
                   "number " + std::to_string(number) + " is out of 1.." + std::to_string(threadRows) + " or given twice",
                   "номер " + std::to_string(number) + " вне 1.." + std::to_string(threadRows) + " или повторён");
        const std::int64_t count =
            DecimalText(*texts[LegendColumn::Count], CellPlace("legend", row + 1, LegendColumn::Count + 1));
        if (count < 0)
            FailAt(CellPlace("legend", row + 1, LegendColumn::Count + 1), "a negative count of stitches",
                   "отрицательное число крестиков");

        legend.rowOfSymbol[At(symbol)] = static_cast<int>(legend.rows.size());
        legend.rows.push_back({row, dmc, count, 0});
        legend.table.setText(LegendColumn::Number, row, *texts[LegendColumn::Number]);
        legend.table.setText(LegendColumn::Symbol, row, SymbolText(symbol));
        legend.table.setText(LegendColumn::Colour, row, *texts[LegendColumn::Colour]);
        legend.table.setText(LegendColumn::Name, row, name);
        legend.table.setText(LegendColumn::Count, row, *texts[LegendColumn::Count]);
    }
    // The numbers are the places from light to dark: 1 to the number of threads, each once.
    if (!numbers.empty() && *numbers.rbegin() != static_cast<int>(numbers.size()))
        FailAt(KeyPlace("legend"), "the numbers are not 1.." + std::to_string(numbers.size()),
               "номера строк не 1.." + std::to_string(numbers.size()));
    return legend;
}

// The chart's stitches into `document`, and each legend row's count checked against the stitches
// counted.
void ReadChart(const Json& value, Legend& legend, SchemeDocument& document)
{
    const int width = document.request.width, height = document.request.height;
    ArrayOf(value, KeyPlace("chart"), At(height));
    document.chart = NewChartFrame(width, height);
    for (int y = 0; y < height; ++y) {
        const Json& cells = ArrayOf(value[At(y)], RowPlace("chart", y + 1), At(width));
        for (int x = 0; x < width; ++x) {
            const Json& cell = cells[At(x)];
            const int code = cell.is_number_unsigned() && cell.get<std::uint64_t>() <= 255
                                 ? static_cast<int>(cell.get<std::uint64_t>())
                                 : IntegerIn(cell, CellPlace("chart", y + 1, x + 1), 0, 255);
            const int entry = legend.rowOfSymbol[At(code)];
            if (entry < 0)
                FailAt(CellPlace("chart", y + 1, x + 1),
                       code == 0 ? "an empty stitch, but the legend has no White row"
                                 : "symbol " + std::to_string(code) + " has no legend row",
                       code == 0 ? "пустой крестик, но в легенде нет строки White"
                                 : "у символа " + std::to_string(code) + " нет строки в легенде");
            ++legend.rows[At(entry)].counted;
            if (code != 0) {
                const char symbol = static_cast<char>(code);
                document.chart.setText(x + 1, y + 1, std::string_view(&symbol, 1));
            }
        }
    }
    for (const LegendRow& row : legend.rows)
        if (row.count != row.counted)
            FailAt(CellPlace("legend", row.row + 1, LegendColumn::Count + 1),
                   "the count " + std::to_string(row.count) + " is not the " + std::to_string(row.counted) +
                       " stitches of the chart",
                   "число " + std::to_string(row.count) + " не равно числу крестиков схемы (" +
                       std::to_string(row.counted) + ")");
}

// One corner of a line: [x, y] within the grid of the chart's corners.
std::pair<int, int> ReadCorner(const Json& entry, const char* key, const Place& entryPlace, int width, int height)
{
    Place place = entryPlace;
    place.english += std::string(", \"") + key + "\"";
    place.russian += std::string(", «") + key + "»";
    const auto it = entry.find(key);
    if (it == entry.end())
        FailAt(entryPlace, std::string("key \"") + key + "\" is missing", std::string("нет ключа «") + key + "»");
    const Json& corner = ArrayOf(*it, place, 2);
    Place xPlace = place, yPlace = place;
    xPlace.english += " x";
    xPlace.russian += " x";
    yPlace.english += " y";
    yPlace.russian += " y";
    return {IntegerIn(corner[0], xPlace, 0, width), IntegerIn(corner[1], yPlace, 0, height)};
}

// The lines of backstitch: each of a thread the legend has, from one corner of the grid to another.
std::vector<Backstitch> ReadBackstitches(const Json& top, const Legend& legend, int width, int height)
{
    const auto it = top.find("backstitches");
    if (it == top.end())
        return {};
    const Place listPlace = KeyPlace("backstitches");
    if (!it->is_array())
        FailAt(listPlace, "not an array", "не массив");
    if (it->size() > At(kMaxBackstitches))
        FailAt(listPlace, std::to_string(it->size()) + " lines where at most " + std::to_string(kMaxBackstitches) + " belong",
               std::to_string(it->size()) + " линий, а можно не больше " + std::to_string(kMaxBackstitches));
    std::set<int> threads;
    for (const LegendRow& row : legend.rows)
        threads.insert(row.dmc);
    std::vector<Backstitch> lines;
    lines.reserve(it->size());
    for (std::size_t i = 0; i < it->size(); ++i) {
        const Json& entry = (*it)[i];
        const Place place = EntryPlace("backstitches", static_cast<int>(i) + 1);
        if (!entry.is_object())
            FailAt(place, "not an object", "не объект");
        for (const auto& [key, value] : entry.items())
            if (key != "thread" && key != "from" && key != "to")
                FailAt(place, "unknown key \"" + key + "\"; a line has \"thread\", \"from\" and \"to\"",
                       "лишний ключ «" + key + "»; у линии ключи «thread», «from» и «to»");
        const auto thread = entry.find("thread");
        if (thread == entry.end())
            FailAt(place, "key \"thread\" is missing", "нет ключа «thread»");
        Place threadPlace = place;
        threadPlace.english += ", \"thread\"";
        threadPlace.russian += ", «thread»";
        const std::string& name = Text(*thread, threadPlace);
        Backstitch line;
        line.dmc = FindDmc(name);
        if (line.dmc < 0)
            FailAt(threadPlace, "no catalogue thread is named \"" + name + "\"", "в каталоге нет нитки «" + name + "»");
        if (!threads.contains(line.dmc))
            FailAt(threadPlace, "thread " + name + " has no legend row", "у нитки " + name + " нет строки в легенде");
        std::tie(line.x1, line.y1) = ReadCorner(entry, "from", place, width, height);
        std::tie(line.x2, line.y2) = ReadCorner(entry, "to", place, width, height);
        if (line.x1 == line.x2 && line.y1 == line.y2)
            FailAt(place, "the line has no length: \"from\" and \"to\" are one corner",
                   "у линии нет длины: «from» и «to» — один угол");
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> ReadSymbols(const Json& top, int colors, const CellTable& legend)
{
    std::vector<std::string> symbols(At(colors));
    const auto it = top.find("symbols");
    if (it == top.end()) {
        // An older file: the legend's symbols at their places, the rest unknown. Threads drawn in
        // after the build may number past the colours asked for; they have no place here.
        for (int row = 1; row < legend.rows(); ++row) {
            const std::string number = legend.text(LegendColumn::Number, row);
            if (number.empty())
                continue;
            const int place = std::stoi(number);
            if (place <= colors)
                symbols[At(place - 1)] = legend.text(LegendColumn::Symbol, row);
        }
        return symbols;
    }
    const Json& list = ArrayOf(*it, KeyPlace("symbols"), At(colors));
    for (int k = 0; k < colors; ++k)
        symbols[At(k)] = SymbolText(IntegerIn(list[At(k)], RowPlace("symbols", k + 1), 1, 255));
    return symbols;
}

} // namespace

namespace {

// Chart rows go to the writer in pieces of about this many bytes.
constexpr std::size_t kPieceBytes = 64 * 1024;

// The chart's text: every stitch a code of at most three digits and a comma, each row framed.
std::size_t ChartTextBound(const SchemeRequest& request)
{
    return static_cast<std::size_t>(request.height) * (4 * static_cast<std::size_t>(request.width) + 8) + 8;
}

} // namespace

std::string SchemeFileText(const SchemeDocument& document)
{
    std::string text;
    text.reserve(ChartTextBound(document.request) + 4096);
    WriteSchemeFileText(document, [&](std::string_view piece) { text += piece; });
    return text;
}

void WriteSchemeFileText(const SchemeDocument& document, const std::function<void(std::string_view)>& write)
{
    const SchemeRequest& request = document.request;
    const auto dump = [](const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); };
    const auto code = [](const std::string& symbol) { return symbol.empty() ? 0 : static_cast<unsigned char>(symbol.front()); };

    std::string out = "{\n  \"format\": " + dump(kSchemeFormatName) + ",\n  \"version\": " + dump(kSchemeFormatVersion) +
                      ",\n  \"picture\": " + dump(document.pictureName) + ",\n  \"width\": " + dump(request.width) +
                      ",\n  \"height\": " + dump(request.height) + ",\n  \"colors\": " + dump(request.colorCount) +
                      ",\n  \"dithering\": " + dump(request.dithering) + ",\n";
    // Only a scheme of the perceptual build says so: a file of the usual build stays as it was.
    if (request.perceptual)
        out += "  \"perceptual\": true,\n";
    // A file from before the list was kept knows only the symbols its legend shows: it stays
    // without the list rather than with gaps in it.
    if (std::ranges::none_of(request.symbols, [](const std::string& symbol) { return symbol.empty(); })) {
        Json symbols = Json::array();
        for (const std::string& symbol : request.symbols)
            symbols.push_back(code(symbol));
        out += "  \"symbols\": " + dump(symbols) + ",\n";
    }

    const long widthMm = std::lround(FinishedMillimetres(request.width, document.fabricCount));
    const long heightMm = std::lround(FinishedMillimetres(request.height, document.fabricCount));
    out += "  \"fabric\": {\"count\": " + dump(document.fabricCount) + ", \"width_mm\": " + dump(widthMm) +
           ", \"height_mm\": " + dump(heightMm) + "},\n";

    out += "  \"legend\": [\n";
    const CellTable& legend = document.legend;
    // A legend row on one line, its cells apart as a reader writes them.
    for (int row = 0; row < legend.rows(); ++row) {
        out += "    [";
        for (int c = 0; c < kLegendColumns; ++c) {
            const std::string text = legend.text(c, row);
            if (c > 0)
                out += ", ";
            out += c == LegendColumn::Symbol && row > 0 ? dump(code(text)) : dump(Cp1251ToUtf8(text));
        }
        out += row + 1 < legend.rows() ? "],\n" : "]\n";
    }
    // What to buy, in legend order: derived from the legend and the cloth, so a reader recounts it.
    out += "  ],\n  \"threads\": [";
    const std::vector<ThreadUse> uses = ThreadUses(legend, document.fabricCount);
    for (std::size_t i = 0; i < uses.size(); ++i)
        out += std::string(i == 0 ? "\n" : ",\n") + "    {\"thread\": " + dump(Cp1251ToUtf8(uses[i].thread)) +
               ", \"stitches\": " + dump(uses[i].stitches) + ", \"skeins\": " + dump(uses[i].skeins) + "}";
    out += uses.empty() ? "],\n" : "\n  ],\n";
    // The lines before the chart, where a reader finds them without passing a million codes; a
    // scheme without lines has no key, and its file is as it always was.
    if (!document.backstitches.empty()) {
        out += "  \"backstitches\": [\n";
        for (std::size_t i = 0; i < document.backstitches.size(); ++i) {
            const Backstitch& line = document.backstitches[i];
            out += "    {\"thread\": " + dump(Cp1251ToUtf8(DMCTable[At(line.dmc)].Name)) + ", \"from\": [" +
                   std::to_string(line.x1) + ", " + std::to_string(line.y1) + "], \"to\": [" +
                   std::to_string(line.x2) + ", " + std::to_string(line.y2) + "]}";
            out += i + 1 < document.backstitches.size() ? ",\n" : "\n";
            if (out.size() >= kPieceBytes) {
                write(out);
                out.clear();
            }
        }
        out += "  ],\n";
    }
    out += "  \"chart\": [\n";
    const CellTable& chart = document.chart;
    // The chart is most of the text: it goes out a piece at a time, each code written as the JSON
    // writer writes a whole number.
    out.reserve(out.size() + std::min(ChartTextBound(request), 2 * kPieceBytes));
    for (int y = 0; y < request.height; ++y) {
        if (out.size() >= kPieceBytes) {
            write(out);
            out.clear();
        }
        out += "    [";
        for (int x = 0; x < request.width; ++x) {
            const std::string_view symbol = chart.textView(x + 1, y + 1);
            char digits[4];
            const auto written = std::to_chars(std::begin(digits), std::end(digits),
                                               symbol.empty() ? 0 : static_cast<unsigned char>(symbol.front()));
            if (x > 0)
                out += ',';
            out.append(digits, written.ptr);
        }
        out += y + 1 < request.height ? "],\n" : "]\n";
    }
    out += "  ]\n}\n";
    write(out);
}

void WriteSchemeFile(const std::filesystem::path& path, const SchemeDocument& document)
{
    WriteFileWhole(path, SchemeFileText(document));
}

SchemeDocument ParseSchemeFile(std::string_view text)
{
    if (text.size() > kMaxSchemeFileSize)
        Fail("the file is larger than " + std::to_string(kMaxSchemeFileSize / (1024 * 1024)) + " MB",
             "файл больше " + std::to_string(kMaxSchemeFileSize / (1024 * 1024)) + " МБ");
    PreScan(text);
    const Json top = Parse(text);
    if (!top.is_object())
        Fail("the text is not a JSON object", "текст не объект JSON");
    CheckFormat(top);

    SchemeDocument document;
    SchemeRequest& request = document.request;
    request.width = IntegerIn(Member(top, "width"), KeyPlace("width"), kMinStitches, kMaxStitches);
    request.height = IntegerIn(Member(top, "height"), KeyPlace("height"), kMinStitches, kMaxStitches);
    request.colorCount = IntegerIn(Member(top, "colors"), KeyPlace("colors"), kMinColors, kMaxColors);
    request.dithering = Boolean(Member(top, "dithering"), KeyPlace("dithering"));
    if (const auto perceptual = top.find("perceptual"); perceptual != top.end())
        request.perceptual = Boolean(*perceptual, KeyPlace("perceptual"));
    if (const auto picture = top.find("picture"); picture != top.end())
        document.pictureName = Text(*picture, KeyPlace("picture"));
    // The cloth came later: a file without it is on the usual 14 count. Its sizes and "threads" are
    // derived, and written anew from the count and the legend.
    if (const auto fabric = top.find("fabric"); fabric != top.end()) {
        if (!fabric->is_object())
            FailAt(KeyPlace("fabric"), "not an object", "не объект");
        document.fabricCount =
            IntegerIn(Member(*fabric, "count"), KeyPlace("fabric.count"), kSmallestFabricCount, kLargestFabricCount);
    }

    Legend legend = ReadLegend(Member(top, "legend"), request.colorCount);
    ReadChart(Member(top, "chart"), legend, document);
    document.backstitches = ReadBackstitches(top, legend, request.width, request.height);
    document.legend = std::move(legend.table);
    // The picture as the build and an edit make it: from the threads' colours.
    document.picture = MappedPicture(document.chart, document.legend);
    request.symbols = ReadSymbols(top, request.colorCount, document.legend);
    return document;
}

namespace {

std::string RussianReason(const std::error_code& error)
{
    const std::string russian = RussianSystemReason(SystemErrorNumber(error));
    return russian.empty() ? error.message() : russian;
}

} // namespace

SchemeDocument ReadSchemeFile(const std::filesystem::path& path)
{
    std::error_code error;
    // A pipe or a device would keep the reader waiting or reading for ever.
    if (!std::filesystem::is_regular_file(path, error))
        Fail(error ? "cannot open the file: " + error.message() : "not a regular file",
             error ? "не удаётся открыть файл: " + RussianReason(error) : "это не обычный файл");
    if (std::filesystem::file_size(path, error) > kMaxSchemeFileSize && !error)
        Fail("the file is larger than " + std::to_string(kMaxSchemeFileSize / (1024 * 1024)) + " MB",
             "файл больше " + std::to_string(kMaxSchemeFileSize / (1024 * 1024)) + " МБ");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail("cannot open the file", "не удаётся открыть файл");
    // Read at most one byte beyond the limit: a file that grew past it is refused without reading
    // it all.
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    std::string text(static_cast<std::size_t>(error ? kMaxSchemeFileSize : std::min(size, kMaxSchemeFileSize)) + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad())
        Fail("cannot read the file", "не удаётся прочитать файл");
    text.resize(static_cast<std::size_t>(in.gcount()));
    return ParseSchemeFile(text);
}

bool LooksLikeSchemeFile(std::string_view firstBytes)
{
    if (firstBytes.starts_with("\xEF\xBB\xBF"))
        firstBytes.remove_prefix(3);
    const std::size_t start = firstBytes.find_first_not_of(" \t\r\n");
    return start != std::string_view::npos && firstBytes[start] == '{';
}

bool IsSchemeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::array<char, 256> bytes{};
    in.read(bytes.data(), bytes.size());
    return LooksLikeSchemeFile(std::string_view(bytes.data(), static_cast<std::size_t>(in.gcount())));
}

} // namespace velmora
