#include "cli_options.h"

#include "scheme/dmc_inc.h"
#include "scheme/skeins.h"
#include "scheme/symbol_spread.h"

#include <charconv>
#include <string>
#include <utility>
#include <string_view>
#include <set>

namespace velmora::cli {

namespace {

// A value from the command line as a message shows it: in quotes, its control characters, quotes
// and backslashes escaped, and cut after kEchoedCharacters characters, so that a pasted megabyte
// or a newline cannot bury or forge the message.
constexpr std::size_t kEchoedCharacters = 40;

std::string Echo(std::string_view text)
{
    std::string echoed = "\"";
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool continuation = (byte & 0xC0) == 0x80; // inside a UTF-8 sequence
        if (!continuation && characters++ == kEchoedCharacters)
            return echoed + "\"…";
        if (byte == '"' || byte == '\\') {
            echoed += '\\';
            echoed += static_cast<char>(byte);
        } else if (byte < 0x20 || byte == 0x7F) {
            static constexpr char kHex[] = "0123456789abcdef";
            switch (byte) {
            case '\n': echoed += "\\n"; break;
            case '\r': echoed += "\\r"; break;
            case '\t': echoed += "\\t"; break;
            default: echoed += std::string("\\x") + kHex[byte >> 4] + kHex[byte & 15];
            }
        } else {
            echoed += static_cast<char>(byte);
        }
    }
    return echoed + '"';
}

int ParseInt(const std::string& option, const std::string& text, int low, int high)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        throw UsageError(option + ": " + Echo(text) + " is not a whole number");
    if (value < low || value > high)
        throw UsageError(option + ": " + std::to_string(value) + " is outside " + std::to_string(low) + ".." +
                         std::to_string(high));
    return value;
}

std::vector<int> ParseSymbolCodes(const std::string& text)
{
    std::vector<int> codes;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        codes.push_back(ParseInt("--symbols", text.substr(start, comma - start), kFirstSymbolCode,
                                    kFirstSymbolCode + kSymbolCandidateCount - 1));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return codes;
}

void ParseFormats(const std::string& text, CliOptions& options)
{
    options.json = options.bmp = options.xlsx = options.pdf = false;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string name = text.substr(start, comma - start);
        if (name == "json")
            options.json = true;
        else if (name == "bmp")
            options.bmp = true;
        else if (name == "xlsx")
            options.xlsx = true;
        else if (name == "pdf")
            options.pdf = true;
        else if (name.empty())
            throw UsageError("--formats: an empty name in " + Echo(text) + "; give json, bmp, xlsx or pdf");
        else
            throw UsageError("--formats: " + Echo(name) + " is not one of json, bmp, xlsx, pdf");
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
}

std::pair<std::string, std::string> ParseReplacement(const std::string& text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos)
        throw UsageError("--replace-thread: \"" + text + "\" is not OLD=NEW");
    std::pair<std::string, std::string> names{text.substr(0, equals), text.substr(equals + 1)};
    for (const std::string& name : {names.first, names.second}) {
        if (FindDmc(name) < 0)
            throw UsageError("--replace-thread: no catalogue thread is named \"" + name +
                             "\" (names as in the legend: 310, Ecru, White, B5200)");
    }
    return names;
}

// X,Y,W,H, each a whole number: X and Y from 1, as the chart numbers its columns and rows.
CropWindow ParseCropWindow(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        parts.push_back(text.substr(start, comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (parts.size() != 4)
        throw UsageError("--crop: " + Echo(text) + " is not X,Y,W,H");
    return {ParseInt("--crop X", parts[0], 1, kMaxStitches) - 1, ParseInt("--crop Y", parts[1], 1, kMaxStitches) - 1,
            ParseInt("--crop W", parts[2], kMinStitches, kMaxStitches),
            ParseInt("--crop H", parts[3], kMinStitches, kMaxStitches)};
}

void CheckSymbols(const CliOptions& options)
{
    if (options.symbolCodes.empty())
        return;
    if (static_cast<int>(options.symbolCodes.size()) != options.colors)
        throw UsageError("--symbols: " + std::to_string(options.symbolCodes.size()) + " codes given for " +
                         std::to_string(options.colors) + " colours");
    std::set<int> seen;
    for (const int code : options.symbolCodes)
        if (!seen.insert(code).second)
            throw UsageError("--symbols: code " + std::to_string(code) + " is given twice");
}

// The parse so far: the options, and what only the end of the command line can judge.
struct ParseState {
    CliOptions options;
    bool symbolsGiven = false;
    bool noPdf = false;
};

// Its group size is attached, "--remove-confetti=M": a size of its own would read the picture's
// name that follows the plain option as one.
constexpr std::string_view kConfettiOption = "--remove-confetti";

struct OptionRule {
    std::string_view name;
    bool shapesScheme; // recorded in schemeOptions: a scheme file takes none of them
    bool takesValue;
    void (*apply)(ParseState& state, const std::string& option, const std::string& value);
};

const OptionRule kOptionRules[] = {
    {"--width", true, true,
     [](ParseState& s, const std::string& o, const std::string& v) {
         s.options.width = ParseInt(o, v, kMinStitches, kMaxStitches);
     }},
    {"--height", true, true,
     [](ParseState& s, const std::string& o, const std::string& v) {
         s.options.height = ParseInt(o, v, kMinStitches, kMaxStitches);
     }},
    {"--colors", true, true,
     [](ParseState& s, const std::string& o, const std::string& v) {
         s.options.colors = ParseInt(o, v, kMinColors, kMaxColors);
     }},
    {"--dither", true, false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.dithering = true; }},
    {"--perceptual", true, false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.perceptual = true; }},
    {"--symbols", true, true,
     [](ParseState& s, const std::string&, const std::string& v) {
         s.options.symbolCodes = ParseSymbolCodes(v);
         s.symbolsGiven = true;
     }},
    {"--replace-thread", false, true,
     [](ParseState& s, const std::string&, const std::string& v) {
         s.options.threadReplacements.push_back(ParseReplacement(v));
     }},
    {"--crop", false, true,
     [](ParseState& s, const std::string&, const std::string& v) { s.options.crop = ParseCropWindow(v); }},
    {"--drop-unused", false, false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.cleanup.removeUnused = true; }},
    {"--min-stitches", false, true,
     [](ParseState& s, const std::string& o, const std::string& v) {
         s.options.cleanup.fewestStitches = ParseInt(o, v, 1, kMaxFewestStitches);
     }},
    {kConfettiOption, false, false,
     [](ParseState& s, const std::string&, const std::string&) {
         s.options.cleanup.confettiGroup = kDefaultConfettiGroup;
     }},
    {"--ten-lines", false, false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.tenLines = true; }},
    {"--color-cells", false, false,
     [](ParseState& s, const std::string&, const std::string&) { s.options.colorCells = true; }},
    {"--skeins", false, false, [](ParseState& s, const std::string&, const std::string&) { s.options.skeins = true; }},
    {"--fabric", false, true,
     [](ParseState& s, const std::string& o, const std::string& v) {
         s.options.fabricCount = ParseInt(o, v, kSmallestFabricCount, kLargestFabricCount);
     }},
    {"--formats", false, true,
     [](ParseState& s, const std::string&, const std::string& v) { ParseFormats(v, s.options); }},
    {"--no-pdf", false, false, [](ParseState& s, const std::string&, const std::string&) { s.noPdf = true; }},
    {"--out", false, true,
     [](ParseState& s, const std::string&, const std::string& v) {
         s.options.outFolder = v;
         if (s.options.outFolder.empty())
             throw UsageError("--out: the folder's name is empty");
     }},
};

const OptionRule* FindRule(std::string_view argument)
{
    for (const OptionRule& rule : kOptionRules)
        if (rule.name == argument)
            return &rule;
    return nullptr;
}

void TakePicture(CliOptions& options, const std::string& argument)
{
    if (!options.picture.empty())
        throw UsageError(Echo(argument) + ": only one picture can be given");
    options.picture = argument;
}

// What only the whole command line shows.
CliOptions Finish(ParseState state)
{
    CliOptions& options = state.options;
    if (options.picture.empty())
        throw UsageError("PICTURE: no picture given");
    if (state.noPdf)
        options.pdf = false;
    if (!options.json && !options.bmp && !options.xlsx && !options.pdf)
        throw UsageError("--no-pdf: --formats has no other file to write");
    if (state.symbolsGiven)
        CheckSymbols(options);
    return std::move(options);
}

} // namespace

CliOptions ParseCliOptions(const std::vector<std::string>& arguments)
{
    ParseState state;
    bool optionsEnded = false; // after "--" every argument is the picture's name, "-x.bmp" too
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded) {
            TakePicture(state.options, argument);
            continue;
        }
        if (argument == "--help" || argument == "-h") {
            state.options.help = true;
            return std::move(state.options);
        }
        if (argument == "--version") {
            state.options.version = true;
            return std::move(state.options);
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument.starts_with(std::string(kConfettiOption) + "=")) {
            state.options.cleanup.confettiGroup = ParseInt(std::string(kConfettiOption),
                                                           argument.substr(kConfettiOption.size() + 1), 1,
                                                           kMaxConfettiGroup);
            continue;
        }
        const OptionRule* rule = FindRule(argument);
        if (rule == nullptr) {
            if (argument.starts_with("-") && argument != "-")
                throw UsageError(Echo(argument) + ": unknown option");
            TakePicture(state.options, argument);
            continue;
        }
        if (rule->shapesScheme)
            state.options.schemeOptions.push_back(argument);
        if (rule->takesValue && i + 1 >= arguments.size())
            throw UsageError(argument + ": a value is missing");
        static const std::string kNoValue;
        rule->apply(state, argument, rule->takesValue ? arguments[++i] : kNoValue);
    }
    return Finish(std::move(state));
}

} // namespace velmora::cli
