// velmora-cli as a user runs it: its exit status, its messages and the files it writes.
#include "cli/cli_options.h"
#include "cli/progress_line.h"

#include "picture/bmp_codec.h"
#include "scheme/crop_scheme.h"
#include "scheme/scheme_file.h"
#include "scheme/thread_edit.h"
#include "picture/picture_loader.h"
#include "tests/file_helpers.h"
#include "scheme/scheme_cleanup.h"
#include "scheme/scheme_file.h"
#include "scheme/source_picture.h"
#include "scheme/thread_edit.h"
#include "tests/read_file.h"
#include "tests/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <random>
#include <thread>

namespace velmora::cli {
namespace {

namespace fs = std::filesystem;

const fs::path kSample = fs::path(VELMORA_SAMPLES_DIR) / "cat-chelsea-451x300.jpg";

struct CliRun {
    int status;
    std::string errors;
};

class CliTest : public TempFolderTest {
protected:
    // `shell` comes before the command: a change of folder, a limit.
    CliRun Cli(const std::string& arguments, const std::string& shell = "")
    {
        const fs::path errors = folder_ / "stderr.txt";
        const std::string command =
            shell + program_.string() + " " + arguments + " >/dev/null 2>" + errors.string();
        const int raw = std::system(command.c_str());
        std::ifstream in(errors);
        std::stringstream text;
        text << in.rdbuf();
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
    }

    std::string Json() { return ReadFileText(folder_ / "scheme.json"); }

    fs::path program_ = VELMORA_CLI_PATH;

    // The output of a poppler tool on a PDF that the run wrote; empty when the tool failed.
    std::string Poppler(const char* tool, const fs::path& pdf)
    {
        const fs::path out = folder_ / "poppler.txt";
        const std::string command = std::string(tool) + " " + pdf.string() + " " +
                                    (std::string(tool) == "pdftotext" ? "- " : "") + ">" + out.string() +
                                    " 2>/dev/null";
        return std::system(command.c_str()) == 0 ? ReadFileText(out) : std::string();
    }
};

// Without a size the chart keeps the picture's proportions; given one side, the other follows.
TEST_F(CliTest, ChartSizeKeepsThePicturesProportions)
{
    const fs::path photo = folder_ / "photo-1920x1280.bmp";
    WriteBmpFile(photo, Bitmap(1920, 1280, MakeColor(200, 120, 60)));
    const struct {
        std::string size;
        const char* width;
        const char* height;
    } cases[] = {
        {"", "\"width\": 1000,", "\"height\": 666,"},
        {"--height 600", "\"width\": 900,", "\"height\": 600,"},
        {"--width 300", "\"width\": 300,", "\"height\": 200,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const CliRun run = Cli(photo.string() + " " + c.size + " --colors 2 --formats json --out " + folder_.string());
        ASSERT_EQ(run.status, 0) << run.errors;
        const std::string json = Json();
        EXPECT_NE(json.find(c.width), std::string::npos);
        EXPECT_NE(json.find(c.height), std::string::npos);
    }
}

TEST_F(CliTest, WritesTheSchemeOfTheSample)
{
    const CliRun run = Cli(kSample.string() + " --width 40 --colors 8 --out " + folder_.string());
    ASSERT_EQ(run.status, 0) << run.errors;

    // Only the width given: the height keeps the picture's proportions, 300 × 40 div 451 = 26.
    const Bitmap picture = LoadPicture(folder_ / "picture.bmp");
    EXPECT_EQ(picture.width(), 40);
    EXPECT_EQ(picture.height(), 26);

    const std::string json = Json();
    for (const char* expected : {"\"width\": 40,", "\"height\": 26,", "\"colors\": 8,", "\"dithering\": false,",
                                 "[\"№\", \"Символ\", \"Цвет\", \"Нитка\", \"Крестиков\"]"})
        EXPECT_NE(json.find(expected), std::string::npos) << expected;
    // The first colour gets code 48 and the last 255 by default.
    EXPECT_NE(json.find(", 48, \""), std::string::npos);
    EXPECT_NE(json.find(", 255, \""), std::string::npos);

    // The chart and the legend as the window prints them, each on one page.
    if (std::system("pdfinfo -v >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "poppler-utils are not installed";
    EXPECT_NE(Poppler("pdfinfo", folder_ / "chart.pdf").find("Pages:           1\n"), std::string::npos);
    EXPECT_NE(Poppler("pdfinfo", folder_ / "legend.pdf").find("Pages:           1\n"), std::string::npos);
    const std::string chart = Poppler("pdftotext", folder_ / "chart.pdf");
    for (const char* expected : {"40", "26", "1\n\n\f"}) // the last column and row, the page number
        EXPECT_NE(chart.find(expected), std::string::npos) << expected;
    EXPECT_TRUE(std::regex_search(chart, std::regex(R"(\d\d\D\d\d\D\d{4} \d\d:\d\d)"))) << "no date and time";
    const std::string legend = Poppler("pdftotext", folder_ / "legend.pdf");
    for (const char* expected : {"Расшифровка сиволов", "Крестиков", "Нитка"})
        EXPECT_NE(legend.find(expected), std::string::npos) << expected;
}

// The content, not the name, tells the kind: a WebP saved as .jpg, as browsers do, makes the
// scheme its pixels make as a bitmap.
TEST_F(CliTest, ReadsPicturesByTheirContent)
{
    const std::string kinds = std::string(VELMORA_CORPUS_DIR) + "/kinds/";
    ASSERT_EQ(Cli(kinds + "webp-named-jpg-rose-70x46.jpg --formats json --out " + (folder_ / "webp").string()).status, 0);
    ASSERT_EQ(Cli(std::string(VELMORA_CORPUS_DIR) + "/photos/small-rose-70x46.bmp --formats json --out " +
                  (folder_ / "bmp").string())
                  .status,
              0);
    const auto withoutName = [](std::string json) { return json.substr(json.find("\"width\"")); };
    EXPECT_EQ(withoutName(ReadFileText(folder_ / "webp" / "scheme.json")),
              withoutName(ReadFileText(folder_ / "bmp" / "scheme.json")));
}

// The libraries of one kind of picture or file are opened only for it: where one cannot be loaded
// (here an empty file stands in for it), every other job still gives its scheme, and the job that
// needs it is refused with the library and the reason before anything is written.
TEST_F(CliTest, LibrariesOfOneKindAreLoadedOnlyForIt)
{
    const std::string kinds = std::string(VELMORA_CORPUS_DIR) + "/kinds/";
    const struct {
        const char* library;
        std::string job;
        std::string error;
    } cases[] = {
        {"libheif.so.1", kinds + "heic-cat-451x300.heic --formats json",
         "heic-cat-451x300.heic: the HEIF file cannot be read: the HEIF library is not available ("},
        {"libtiff.so.6", kinds + "tiff-grey8-rose-70x46.tif --formats json",
         "tiff-grey8-rose-70x46.tif: the TIFF file cannot be read: the TIFF library is not available ("},
        {"libxlsxwriter.so.4", kSample.string() + " --formats json,xlsx",
         "/velmora-cli-qt.so, which writes workbooks and PDFs: "},
    };
    for (const auto& [library, job, error] : cases) {
        SCOPED_TRACE(library);
        const fs::path stubs = folder_ / "stubs";
        fs::create_directories(stubs);
        std::ofstream(stubs / library) << "";
        const std::string without = "LD_LIBRARY_PATH=" + stubs.string() + " ";
        EXPECT_EQ(Cli(kSample.string() + " --formats json,bmp --out " + (folder_ / "jpeg").string(), without).status, 0);
        const CliRun run = Cli(job + " --out " + (folder_ / "refused").string(), without);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.errors.find(error), std::string::npos) << run.errors;
        EXPECT_NE(run.errors.find(library), std::string::npos) << run.errors;
        EXPECT_FALSE(fs::exists(folder_ / "refused"));
        fs::remove_all(stubs);
    }
}

// The program alone answers --help and --version; the engine makes every scheme, and Qt's libraries
// are loaded only for a job that writes a workbook or PDFs. Without a module, what needs it says
// what it misses before it writes anything, and what does not still runs.
TEST_F(CliTest, ModulesAreLoadedOnlyByTheJobsThatNeedThem)
{
    program_ = folder_ / "bin" / "velmora-cli";
    fs::create_directories(program_.parent_path());
    fs::copy_file(VELMORA_CLI_PATH, program_);
    const auto expectRefused = [&](const char* formats, const char* module, const char* role) {
        SCOPED_TRACE(formats);
        const CliRun run = Cli(kSample.string() + " --formats " + formats + " --out " + (folder_ / "refused").string());
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.errors.starts_with("velmora-cli: cannot load " + folder_.string() + "/") &&
                    run.errors.find(std::string("/") + module + ", which " + role + ": ") != std::string::npos)
            << run.errors;
        EXPECT_FALSE(fs::exists(folder_ / "refused"));
    };
    EXPECT_EQ(Cli("--version").status, 0);
    expectRefused("json,bmp", "velmora-cli-engine.so", "makes the scheme and writes its files");

    fs::copy_file(fs::path(VELMORA_CLI_PATH).parent_path() / "velmora-cli-engine.so",
                  program_.parent_path() / "velmora-cli-engine.so");
    const CliRun plain = Cli(kSample.string() + " --formats json,bmp --out " + (folder_ / "plain").string());
    EXPECT_EQ(plain.status, 0) << plain.errors;
    EXPECT_TRUE(fs::exists(folder_ / "plain" / "scheme.json"));
    for (const char* formats : {"xlsx", "pdf", "json,pdf"})
        expectRefused(formats, "velmora-cli-qt.so", "writes workbooks and PDFs");
}

// The look options reach the PDFs and the workbook; the cloth, the finished size and the skeins
// reach scheme.json, whose threads add up to the chart's stitches.
TEST_F(CliTest, ClothSkeinsAndTheChartsLook)
{
    const CliRun run = Cli(kSample.string() + " --width 40 --colors 8 --ten-lines --color-cells --skeins --fabric 16 --out " +
                           folder_.string());
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::string json = Json();
    // 40 × 26 stitches on 16 count: 63.5 × 41.3 mm.
    EXPECT_NE(json.find("\"fabric\": {\"count\": 16, \"width_mm\": 64, \"height_mm\": 41},"), std::string::npos);
    const std::regex thread(R"re(\{"thread": "[^"]+", "stitches": (\d+), "skeins": (\d+)\})re");
    long long stitches = 0;
    int threads = 0;
    for (std::sregex_iterator it(json.begin(), json.end(), thread), end; it != end; ++it) {
        stitches += std::stoll((*it)[1]);
        EXPECT_EQ(std::stoi((*it)[2]), 1) << "a few hundred stitches: one skein";
        ++threads;
    }
    EXPECT_EQ(stitches, 40 * 26);
    EXPECT_GE(threads, 2);
    EXPECT_LE(threads, 8);
    // Without the options the cloth is 14 count and the threads are there all the same.
    ASSERT_EQ(Cli(kSample.string() + " --width 40 --colors 8 --formats json --out " + folder_.string()).status, 0);
    EXPECT_NE(Json().find("\"fabric\": {\"count\": 14, \"width_mm\": 73, \"height_mm\": 47},"), std::string::npos);
    EXPECT_NE(Json().find("\"threads\": [\n    {\"thread\": "), std::string::npos);

    if (std::system("pdfinfo -v >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "poppler-utils are not installed";
    EXPECT_NE(Poppler("pdftotext", folder_ / "legend.pdf").find("Мотков"), std::string::npos);
}

TEST_F(CliTest, PdfsCanBeLeftOut)
{
    ASSERT_EQ(Cli(kSample.string() + " --width 12 --no-pdf --out " + folder_.string()).status, 0);
    EXPECT_TRUE(fs::exists(folder_ / "scheme.xlsx"));
    EXPECT_FALSE(fs::exists(folder_ / "chart.pdf"));
    EXPECT_FALSE(fs::exists(folder_ / "legend.pdf"));
}

const char* const kOutputs[] = {"picture.bmp", "scheme.json", "scheme.xlsx", "chart.pdf", "legend.pdf"};

// A run that cannot write one of its files fails (exit 1) with a message naming the file and the
// system's reason, and leaves every file of the run before as it was, with nothing unfinished
// beside them. A full disk is a limit on the size of files the run may write, at several levels
// so that each file in turn is the one that does not fit.
TEST_F(CliTest, AFailedRunKeepsThePreviousFiles)
{
    const fs::path out = folder_ / "out";
    ASSERT_EQ(Cli(kSample.string() + " --width 30 --out " + out.string()).status, 0);
    std::map<std::string, std::string> previous;
    for (const char* name : kOutputs)
        previous[name] = ReadFileText(out / name);
    const auto expectPreviousFiles = [&] {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(out))
            names.insert(entry.path().filename().string());
        EXPECT_EQ(names, (std::set<std::string>(std::begin(kOutputs), std::end(kOutputs))));
        for (const char* name : kOutputs)
            EXPECT_TRUE(fs::is_directory(out / name) || ReadFileText(out / name) == previous[name]) << name;
    };
    const std::string again = kSample.string() + " --width 40 --out " + out.string();

    // Sizes in blocks of 512 bytes; the files at 40 stitches wide take about 3, 6, 15, 16 and 21 kB.
    // A failed file is reported in the order of the files; the chart's PDF is the first to fail
    // where the workbook is not written.
    struct FullDisk {
        int blocks;
        const char* file;
        const char* formats;
    };
    const FullDisk fullDisks[] = {{4, "picture.bmp", ""},
                                  {8, "scheme.json", ""},
                                  {20, "scheme.xlsx", ""},
                                  {20, "chart.pdf", " --formats json,bmp,pdf"}};
    for (const auto& [blocks, file, formats] : fullDisks) {
        SCOPED_TRACE(std::string("full disk at ") + file);
        const CliRun run = Cli(again + formats, "trap '' XFSZ; ulimit -f " + std::to_string(blocks) + "; ");
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.errors.find("cannot write " + (out / file).string() + ": File too large"), std::string::npos)
            << run.errors;
        EXPECT_EQ(run.errors.find("[ERROR]"), std::string::npos) << run.errors;
        expectPreviousFiles();
    }

    for (const char* file : kOutputs) {
        SCOPED_TRACE(std::string("a folder in the place of ") + file);
        fs::rename(out / file, folder_ / "aside");
        fs::create_directory(out / file);
        const CliRun run = Cli(again);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.errors.find("cannot write " + (out / file).string() + ": Is a directory"), std::string::npos)
            << run.errors;
        expectPreviousFiles();
        fs::remove(out / file);
        fs::rename(folder_ / "aside", out / file);
    }

    // A file linked in a file's place is not written over: the link is replaced.
    fs::remove(out / "legend.pdf");
    std::ofstream(folder_ / "someone.txt") << "someone's file";
    fs::create_symlink(folder_ / "someone.txt", out / "legend.pdf");
    ASSERT_EQ(Cli(again).status, 0);
    EXPECT_EQ(ReadFileText(folder_ / "someone.txt"), "someone's file");
    EXPECT_TRUE(ReadFileText(out / "legend.pdf").starts_with("%PDF"));
}

// A run killed at any moment leaves its unfinished files in private folders, of the output folder
// and of the temporary one, which the next run removes: after twenty kills and one whole run, the
// folders hold the run's files and nothing else.
TEST_F(CliTest, KilledRunsLeaveNothingBehind)
{
    const fs::path out = folder_ / "out", temporary = folder_ / "tmp";
    fs::create_directories(temporary);
    const std::string tmpdir = "TMPDIR=" + temporary.string();
    const std::vector<std::string> arguments = {VELMORA_CLI_PATH, kSample.string(), "--width", "60", "--out",
                                                out.string()};
    const auto start = [&] {
        const pid_t child = fork();
        if (child == 0) {
            std::vector<char*> argv;
            for (const std::string& argument : arguments)
                argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            ::putenv(const_cast<char*>(tmpdir.c_str()));
            ::freopen("/dev/null", "w", stderr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        return child;
    };
    const auto finish = [](pid_t child) {
        int status = 0;
        ::waitpid(child, &status, 0);
        return status;
    };

    const auto began = std::chrono::steady_clock::now();
    ASSERT_EQ(finish(start()), 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - began);
    std::mt19937 random(19);
    std::uniform_int_distribution<std::int64_t> moment(0, whole.count());
    for (int kill = 0; kill < 20; ++kill) {
        const pid_t child = start();
        std::this_thread::sleep_for(std::chrono::microseconds(moment(random)));
        ::kill(child, SIGKILL);
        finish(child);
    }
    ASSERT_EQ(finish(start()), 0);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(out))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>(std::begin(kOutputs), std::end(kOutputs))));
    for (const auto& entry : fs::directory_iterator(temporary)) // Qt keeps its runtime folder there
        EXPECT_EQ(entry.path().filename().string().find("velmora"), std::string::npos) << entry.path();
}

// Output that cannot be written is an error, not a silent success.
TEST_F(CliTest, AFailedWriteOfTheOutputIsAnError)
{
    for (const char* option : {"--version", "--help"}) {
        SCOPED_TRACE(option);
        const fs::path errors = folder_ / "stderr.txt";
        const std::string command =
            std::string(VELMORA_CLI_PATH) + " " + option + " >/dev/full 2>" + errors.string();
        const int raw = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, 1);
        EXPECT_EQ(ReadFileText(errors), "velmora-cli: cannot write the output: No space left on device\n");
    }
}

// A value echoed in a message is quoted, shortened and has its control characters escaped: a
// pasted megabyte or a newline cannot bury the message or forge another line.
TEST_F(CliTest, EchoedValuesAreQuotedAndShort)
{
    const std::string sample = kSample.string();
    struct Case {
        const char* name;
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {"120 kB width", sample + " --width " + std::string(120'000, '7') + "x",
         "--width: \"" + std::string(40, '7') + "\"… is not a whole number\n"},
        {"a newline", sample + " --formats 'json,pdf\nvelmora-cli: done'",
         "--formats: \"pdf\\nvelmora-cli: done\" is not one of json, bmp, xlsx, pdf\n"},
        {"quotes and an escape", sample + " '--\"\x1b[31m'", "\"--\\\"\\x1b[31m\": unknown option\n"},
        {"Cyrillic cut by characters", sample + " --colors " + std::string(60, 'x') + "ы",
         "--colors: \"" + std::string(40, 'x') + "\"… is not a whole number\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = Cli(c.arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.errors, "velmora-cli: " + c.message + "Try 'velmora-cli --help'.\n");
    }
}

// Runs at once write their workbooks each with its own picture (they once shared one picture
// file, read only when a workbook is closed).
TEST_F(CliTest, RunsAtOnceEmbedTheirOwnPictures)
{
    std::string commands;
    for (int run = 0; run < 4; ++run)
        commands += std::string(VELMORA_CLI_PATH) + " " + kSample.string() + " --no-pdf --width " +
                    std::to_string(20 + run) + " --out " + (folder_ / std::to_string(run)).string() + " & ";
    ASSERT_EQ(std::system((commands + "wait").c_str()), 0);
    const char* check = "import sys, zipfile\n"
                        "z = zipfile.ZipFile(sys.argv[1] + '/scheme.xlsx')\n"
                        "media = [n for n in z.namelist() if n.startswith('xl/media/')]\n"
                        "sys.exit(0 if len(media) == 1 and z.read(media[0]) == open(sys.argv[1] + '/picture.bmp', 'rb').read() else 1)";
    for (int run = 0; run < 4; ++run) {
        const std::string command = std::string(VELMORA_PYTHON3) + " -c \"" + check + "\" " +
                                    (folder_ / std::to_string(run)).string();
        EXPECT_EQ(std::system(command.c_str()), 0) << "run " << run;
    }
}

// The tool's own arguments are not Qt's; "--" ends the options; names that are not UTF-8 are
// written to as given, and the picture's name stays valid UTF-8 in scheme.json.
TEST_F(CliTest, NamesAsGiven)
{
    const std::string inFolder = "cd " + folder_.string() + " && ";
    EXPECT_EQ(Cli("--width 12 --out -platform " + kSample.string(), inFolder).status, 0);
    EXPECT_TRUE(fs::exists(folder_ / "-platform" / "chart.pdf"));

    fs::copy_file(kSample, folder_ / "-x.jpg");
    const CliRun dashed = Cli("--width 12 --no-pdf --out dashed -- -x.jpg", inFolder);
    EXPECT_EQ(dashed.status, 0) << dashed.errors;
    EXPECT_NE(ReadFileText(folder_ / "dashed" / "scheme.json").find("\"picture\": \"-x.jpg\""), std::string::npos);

    fs::copy_file(kSample, folder_ / "p\xfe.jpg");
    const CliRun bytes = Cli("--width 12 --out 'o\xff' -- 'p\xfe.jpg'", inFolder);
    EXPECT_EQ(bytes.status, 0) << bytes.errors;
    for (const char* file : kOutputs)
        EXPECT_TRUE(fs::exists(folder_ / "o\xff" / file)) << file;
    EXPECT_NE(ReadFileText(folder_ / "o\xff" / "scheme.json").find("\"picture\": \"p\xef\xbf\xbd.jpg\""), std::string::npos);
}

TEST_F(CliTest, FormatsChooseTheFilesWritten)
{
    struct Case {
        const char* formats;
        std::vector<const char*> written;
    };
    const Case cases[] = {
        {"--formats json,bmp", {"scheme.json", "picture.bmp"}},
        {"--formats xlsx", {"scheme.xlsx"}},
        {"--formats pdf,json", {"chart.pdf", "legend.pdf", "scheme.json"}},
        {"--formats json,pdf --no-pdf", {"scheme.json"}},
    };
    const char* all[] = {"scheme.json", "picture.bmp", "scheme.xlsx", "chart.pdf", "legend.pdf"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.formats);
        const fs::path out = folder_ / "out";
        fs::remove_all(out);
        const CliRun run = Cli(kSample.string() + " --width 12 " + c.formats + " --out " + out.string());
        ASSERT_EQ(run.status, 0) << run.errors;
        // stderr is no terminal here: no progress, nothing at all.
        EXPECT_EQ(run.errors, "");
        for (const char* file : all) {
            const bool wanted = std::find_if(c.written.begin(), c.written.end(), [&](const char* w) {
                                    return std::string(w) == file;
                                }) != c.written.end();
            EXPECT_EQ(fs::exists(out / file), wanted) << file;
        }
    }
}

TEST_F(CliTest, ChosenSymbolsAndDithering)
{
    const CliRun run =
        Cli(kSample.string() + " --width 12 --height 10 --colors 3 --dither --symbols 65,66,67 --out " + folder_.string());
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::string json = Json();
    EXPECT_NE(json.find("\"dithering\": true,"), std::string::npos);
    EXPECT_NE(json.find("\"height\": 10,"), std::string::npos);
    EXPECT_EQ(json.find(", 48, \""), std::string::npos);
    EXPECT_NE(json.find(", 67, \""), std::string::npos);
}

// The perceptual build is asked for by --perceptual alone, and the scheme file says which build
// made it; without the option the file has no such key.
TEST_F(CliTest, PerceptualBuildIsRecordedInTheSchemeFile)
{
    ASSERT_EQ(Cli(kSample.string() + " --width 20 --colors 6 --formats json --out " + folder_.string()).status, 0);
    EXPECT_EQ(Json().find("perceptual"), std::string::npos);
    const CliRun run = Cli(kSample.string() + " --width 20 --colors 6 --perceptual --formats json --out " + folder_.string());
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(Json().find("  \"dithering\": false,\n  \"perceptual\": true,\n"), std::string::npos) << Json();
}

TEST_F(CliTest, ExitStatusSaysWhatWentWrong)
{
    std::ofstream(folder_ / "text.jpg") << "not a picture";
    struct Case {
        const char* name;
        std::string arguments;
        int status;
        const char* message;
    };
    const std::string sample = kSample.string();
    const Case cases[] = {
        {"no picture", "", 2, "no picture"},
        {"unknown option", sample + " --frobnicate", 2, "--frobnicate"},
        {"width too small", sample + " --width 9", 2, "--width"},
        {"height too large", sample + " --height 1001", 2, "--height"},
        {"colours out of range", sample + " --colors 101", 2, "--colors"},
        {"not a number", sample + " --colors 3x", 2, "--colors"},
        {"value missing", sample + " --out", 2, "--out"},
        {"empty folder name", sample + " --out ''", 2, "--out"},
        {"two pictures after --", "-- " + sample + " " + sample, 2, "only one picture"},
        {"too few symbols", sample + " --colors 3 --symbols 50,51", 2, "--symbols"},
        {"symbol twice", sample + " --colors 2 --symbols 50,50", 2, "--symbols"},
        {"symbol code 0", sample + " --colors 2 --symbols 0,50", 2, "--symbols"},
        {"symbol code below the wizard's", sample + " --colors 2 --symbols 47,50", 2, "--symbols: 47 is outside 48..255"},
        {"symbol code beyond a byte", sample + " --colors 2 --symbols 50,256", 2, "--symbols: 256 is outside 48..255"},
        {"unknown format", sample + " --formats json,pdf,png", 2, "\"png\""},
        {"empty format", sample + " --formats json,,bmp", 2, "--formats"},
        {"no formats", sample + " --formats \"\"", 2, "--formats"},
        {"nothing left to write", sample + " --formats pdf --no-pdf", 2, "--no-pdf"},
        {"replacement not OLD=NEW", sample + " --replace-thread 310", 2, "--replace-thread: \"310\" is not OLD=NEW"},
        {"unknown new thread", sample + " --replace-thread 310=3999", 2, "no catalogue thread is named \"3999\""},
        {"unknown old thread", sample + " --replace-thread white=310", 2, "no catalogue thread is named \"white\""},
        {"thread not in the scheme", sample + " --colors 2 --replace-thread B5200=310", 1,
         "--replace-thread B5200=310: thread B5200 is not in the scheme"},
        {"crop not four numbers", sample + " --crop 1,1,10", 2, "--crop: \"1,1,10\" is not X,Y,W,H"},
        {"crop column from 0", sample + " --crop 0,1,10,10", 2, "--crop X: 0 is outside 1..1000"},
        {"crop narrower than a chart", sample + " --crop 1,1,9,10", 2, "--crop W: 9 is outside 10..1000"},
        {"crop not a number", sample + " --crop 1,1,10,ten", 2, "--crop H: \"ten\" is not a whole number"},
        {"crop off the chart", sample + " --width 12 --height 10 --crop 4,1,10,10", 2,
         "--crop 4,1,10,10: the window 4,1,10,10 does not lie on the chart of 12 × 10 stitches"},
        {"fewest stitches 0", sample + " --min-stitches 0", 2, "--min-stitches: 0 is outside 1..10000"},
        {"fewest stitches not a number", sample + " --min-stitches 5k", 2, "--min-stitches: \"5k\" is not a whole number"},
        {"fewest stitches missing", sample + " --min-stitches", 2, "--min-stitches: a value is missing"},
        {"confetti group too large", sample + " --remove-confetti=21", 2, "--remove-confetti: 21 is outside 1..20"},
        {"confetti group empty", sample + " --remove-confetti=", 2, "--remove-confetti: \"\" is not a whole number"},
        {"confetti group not attached", sample + " --remove-confetti 2", 2, "only one picture"},
        {"cloth too coarse", sample + " --fabric 5", 2, "--fabric: 5 is outside 6..40"},
        {"cloth too fine", sample + " --fabric 41", 2, "--fabric"},
        {"missing picture", (folder_ / "none.bmp").string(), 1, "none.bmp"},
        {"damaged picture", (folder_ / "text.jpg").string(), 1, "text.jpg"},
        {"unknown kind", (folder_ / "stderr.txt").string(), 1, "stderr.txt"},
        {"bad checksum in a PNG", std::string(VELMORA_CORPUS_DIR) + "/broken/png-bad-crc-idat-rose.png", 1,
         "the PNG file is damaged: invalid chunk checksum"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = Cli("--out " + (folder_ / "out").string() + " " + c.arguments);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << run.errors;
    }
    EXPECT_FALSE(fs::exists(folder_ / "out" / "scheme.json"));
}

// The version of the record that the window's About box shows, without a picture or a display.
TEST_F(CliTest, VersionIsTheRecordsVersion)
{
    const fs::path out = folder_ / "version.txt";
    const std::string command = std::string(VELMORA_CLI_PATH) + " --version >" + out.string() + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFileText(out), "velmora-cli " VELMORA_PRODUCT_VERSION " (" VELMORA_FILE_VERSION ")\n");
}

TEST(CliOptions, HelpAndDefaults)
{
    EXPECT_TRUE(ParseCliOptions({"--help"}).help);
    EXPECT_TRUE(ParseCliOptions({"--version"}).version);
    const CliOptions options = ParseCliOptions({"p.bmp"});
    EXPECT_EQ(options.colors, 30);
    EXPECT_FALSE(options.width || options.height || options.dithering || options.perceptual);
    EXPECT_TRUE(ParseCliOptions({"--perceptual", "p.bmp"}).perceptual);
    EXPECT_TRUE(options.symbolCodes.empty());
    EXPECT_EQ(options.outFolder, ".");
    EXPECT_TRUE(options.pdf);
    EXPECT_TRUE(options.json && options.bmp && options.xlsx);
    EXPECT_FALSE(ParseCliOptions({"p.bmp", "--no-pdf"}).pdf);
    EXPECT_EQ(ParseCliOptions({"--width", "12", "--", "-x.bmp"}).picture, "-x.bmp");
    EXPECT_EQ(ParseCliOptions({"--", "--help"}).picture, "--help");
    const CliOptions some = ParseCliOptions({"p.bmp", "--formats", "pdf,xlsx,pdf"});
    EXPECT_TRUE(some.pdf && some.xlsx && !some.json && !some.bmp);
    EXPECT_EQ(options.cleanup, CleanupOptions{});
    EXPECT_EQ(ParseCliOptions({"p.bmp", "--remove-confetti"}).cleanup, (CleanupOptions{false, 0, 1}));
    EXPECT_EQ(ParseCliOptions({"--remove-confetti=3", "--min-stitches", "20", "--drop-unused", "p.bmp"}).cleanup,
              (CleanupOptions{true, 20, 3}));
}

// The files of a run from a scheme file against those of the run that made it: picture.bmp and
// scheme.json to the byte, every part of the workbook but its creation time and its picture's
// scratch name, and the PDFs' pages and text but the footer's date and time.
class SchemeInputTest : public CliTest {
protected:
    std::string PdfText(const fs::path& pdf)
    {
        return std::regex_replace(Poppler("pdftotext", pdf), std::regex(R"(\d\d\D\d\d\D\d{4} \d\d:\d\d)"), "DATE");
    }

    void ExpectSameFiles(const fs::path& made, const fs::path& again)
    {
        EXPECT_EQ(ReadFileText(made / "picture.bmp"), ReadFileText(again / "picture.bmp"));
        EXPECT_EQ(ReadFileText(made / "scheme.json"), ReadFileText(again / "scheme.json"));
        const char* check = "import re, sys, zipfile\n"
                            "a, b = zipfile.ZipFile(sys.argv[1]), zipfile.ZipFile(sys.argv[2])\n"
                            "part = lambda z, n: re.sub(rb'velmora-picture-[^.]*', b'', z.read(n))\n"
                            "names = sorted(n for n in a.namelist() if n != 'docProps/core.xml')\n"
                            "same = names == sorted(n for n in b.namelist() if n != 'docProps/core.xml')\n"
                            "sys.exit(0 if same and all(part(a, n) == part(b, n) for n in names) else 1)";
        const std::string command = std::string(VELMORA_PYTHON3) + " -c \"" + check + "\" " +
                                    (made / "scheme.xlsx").string() + " " + (again / "scheme.xlsx").string();
        EXPECT_EQ(std::system(command.c_str()), 0) << "the workbooks differ";
        for (const char* pdf : {"chart.pdf", "legend.pdf"}) {
            const std::string pages = Poppler("pdfinfo", made / pdf);
            const std::size_t at = pages.find("Pages:");
            ASSERT_NE(at, std::string::npos) << pdf;
            EXPECT_NE(Poppler("pdfinfo", again / pdf).find(pages.substr(at, pages.find('\n', at) - at)),
                      std::string::npos)
                << pdf;
            EXPECT_TRUE(PdfText(made / pdf) == PdfText(again / pdf)) << pdf;
        }
    }

    void MadeAndAgain(const std::string& pictureOptions)
    {
        const CliRun made = Cli(pictureOptions + " --out " + (folder_ / "made").string());
        ASSERT_EQ(made.status, 0) << made.errors;
        const CliRun again =
            Cli((folder_ / "made" / "scheme.json").string() + " --out " + (folder_ / "again").string());
        ASSERT_EQ(again.status, 0) << again.errors;
        ExpectSameFiles(folder_ / "made", folder_ / "again");
        EXPECT_NE(PdfText(folder_ / "made" / "chart.pdf").find("DATE"), std::string::npos);
    }
};

TEST_F(SchemeInputTest, WritesTheSameFilesAsTheRunThatMadeIt)
{
    MadeAndAgain(kSample.string() + " --width 40 --colors 8 --dither");
}

// A scheme of the perceptual build, given back, is written as that build made it.
TEST_F(SchemeInputTest, WritesTheSameFilesForThePerceptualBuild)
{
    MadeAndAgain(kSample.string() + " --width 40 --colors 8 --perceptual");
    EXPECT_NE(ReadFileText(folder_ / "again" / "scheme.json").find("\"perceptual\": true"), std::string::npos);
}

// The largest chart: 1000 × 1000 stitches, 100 colours, error diffusion.
TEST_F(SchemeInputTest, WritesTheSameFilesForTheLargestChart)
{
    MadeAndAgain((fs::path(VELMORA_CORPUS_DIR) / "photos" / "large-greenmeadow-1280x1024.jpg").string() +
                 " --width 1000 --height 1000 --colors 100 --dither");
}

TEST_F(SchemeInputTest, SchemeFilesOfEveryKindAndTheirFaults)
{
    const fs::path schemes = fs::path(VELMORA_TEST_DATA_DIR) / "schemes";
    // A file of the window's and one written before the file named its format.
    for (const char* name : {"rose-14x10.velmora", "horse-20x16-before-format.json"}) {
        const CliRun run = Cli((schemes / name).string() + " --no-pdf --out " + (folder_ / name).string());
        EXPECT_EQ(run.status, 0) << name << ": " << run.errors;
        EXPECT_TRUE(fs::exists(folder_ / name / "picture.bmp")) << name;
    }
    // Options that make a scheme do not apply to one made: a wrong command line.
    for (const char* option : {"--width 20", "--height 20", "--colors 5", "--dither", "--perceptual",
                               "--colors 2 --symbols 50,51"}) {
        const CliRun run = Cli((schemes / "rose-14x10.velmora").string() + " " + option + " --out " + folder_.string());
        EXPECT_EQ(run.status, 2) << option;
        EXPECT_NE(run.errors.find("is a scheme file"), std::string::npos) << run.errors;
    }
    EXPECT_FALSE(fs::exists(folder_ / "scheme.json"));
    // A damaged file: the message names the key and the row, and nothing is written.
    std::string text = ReadFileText(schemes / "rose-14x10.velmora");
    text.replace(text.find("\"chart\": [\n    ["), 17, "\"chart\": [\n    [250,");
    const fs::path damaged = folder_ / "damaged.velmora";
    std::ofstream(damaged, std::ios::binary) << text;
    const CliRun run = Cli(damaged.string() + " --out " + (folder_ / "out").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("cannot read the scheme " + damaged.string() + ": key \"chart\", row 1"),
              std::string::npos)
        << run.errors;
    EXPECT_FALSE(fs::exists(folder_ / "out" / "picture.bmp"));
}

// The rose with four lines of backstitch: every output carries them but picture.bmp, which is the
// rose's own; a run on the scheme.json it writes writes the same files again. On 14 count the
// lines of 645 come to 3 + √130 stitches (26.1 mm), of 3328 √18 (7.7 mm), of 341 √8 (5.1 mm).
TEST_F(SchemeInputTest, ASchemeWithLinesOfBackstitch)
{
    const fs::path schemes = fs::path(VELMORA_TEST_DATA_DIR) / "schemes";
    const CliRun plain = Cli((schemes / "rose-14x10.velmora").string() + " --formats bmp --out " + (folder_ / "plain").string());
    ASSERT_EQ(plain.status, 0) << plain.errors;
    MadeAndAgain((schemes / "rose-14x10-backstitch.velmora").string());
    const fs::path made = folder_ / "made";
    EXPECT_EQ(ReadFileText(made / "picture.bmp"), ReadFileText(folder_ / "plain" / "picture.bmp"));
    const std::string input = ReadFileText(schemes / "rose-14x10-backstitch.velmora");
    const auto lines = [](const std::string& text) {
        const std::size_t from = text.find("  \"backstitches\": ["), to = text.find("  ],", from);
        return from == std::string::npos ? std::string() : text.substr(from, to - from);
    };
    EXPECT_FALSE(lines(input).empty());
    EXPECT_EQ(lines(ReadFileText(made / "scheme.json")), lines(input));

    const std::string legend = PdfText(made / "legend.pdf");
    for (const char* text : {"Бэкстич", "Длина", "2,6 см", "0,8 см", "0,5 см"})
        EXPECT_NE(legend.find(text), std::string::npos) << text << " in\n" << legend;
    const char* check = "import sys, zipfile\n"
                        "sheet = zipfile.ZipFile(sys.argv[1]).read('xl/worksheets/sheet1.xml').decode()\n"
                        "sys.exit(0 if all(t in sheet for t in ('Бэкстич', '645', '5, 3', '14, 10', '2,1 см')) else 1)";
    const std::string command =
        std::string(VELMORA_PYTHON3) + " -c \"" + check + "\" " + (made / "scheme.xlsx").string();
    EXPECT_EQ(std::system(command.c_str()), 0) << "the workbook's chart sheet lists the lines";

    // A line off the grid: the message names the entry, and nothing is written.
    std::string text = input;
    const std::string end = "\"to\": [3, 7]";
    text.replace(text.find(end), end.size(), "\"to\": [3, 11]");
    const fs::path damaged = folder_ / "damaged.velmora";
    std::ofstream(damaged, std::ios::binary) << text;
    const CliRun run = Cli(damaged.string() + " --out " + (folder_ / "out").string());
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find(": key \"backstitches\", entry 3, \"to\" y: 11 is not in 0..10"), std::string::npos)
        << run.errors;
    EXPECT_FALSE(fs::exists(folder_ / "out" / "picture.bmp"));
}

// Replacements apply in the order given: 3328 merged into 356, then 356 (now both) into White,
// and 645 replaced by 310, which moves to its own place, last, with 645's symbol.
TEST_F(SchemeInputTest, ThreadsReplacedInTheOrderGiven)
{
    const fs::path rose = fs::path(VELMORA_TEST_DATA_DIR) / "schemes" / "rose-14x10.velmora";
    const CliRun run = Cli(rose.string() + " --replace-thread 3328=356 --replace-thread 356=White" +
                           " --replace-thread 645=310 --formats json --out " + folder_.string());
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::string json = Json();
    const char* const expected = "  \"legend\": [\n"
                                 "    [\"№\", \"Символ\", \"Цвет\", \"Нитка\", \"Крестиков\"],\n"
                                 "    [\"1\", 0, \"16777215\", \"White\", \"46\"],\n"
                                 "    [\"2\", 48, \"15847616\", \"341\", \"14\"],\n"
                                 "    [\"3\", 151, \"5281399\", \"522\", \"22\"],\n"
                                 "    [\"4\", 220, \"4404597\", \"3740\", \"27\"],\n"
                                 "    [\"5\", 255, \"0\", \"310\", \"31\"],\n"
                                 "    [\"\", 0, \"\", \"\", \"\"]\n";
    EXPECT_NE(json.find(expected), std::string::npos) << json;
}

// --crop counts from 1 as the chart does: columns 5..14 of the rose's 14 are its last ten; its
// scheme.json is the core's crop of the file, after the replacement.
TEST_F(SchemeInputTest, CropKeepsTheWindowAfterTheReplacements)
{
    const fs::path rose = fs::path(VELMORA_TEST_DATA_DIR) / "schemes" / "rose-14x10.velmora";
    const CliRun run =
        Cli(rose.string() + " --crop 5,1,10,10 --replace-thread 645=310 --formats json --out " + folder_.string());
    ASSERT_EQ(run.status, 0) << run.errors;
    SchemeDocument expected = ReadSchemeFile(rose);
    ReplaceThread(expected, FindDmc("645"), FindDmc("310"));
    expected = CropScheme(expected, {4, 0, 10, 10});
    std::string text;
    WriteSchemeFileText(expected, [&](std::string_view piece) { text += piece; });
    EXPECT_EQ(Json(), text);
    EXPECT_NE(text.find("\"width\": 10,"), std::string::npos);

    const CliRun off = Cli(rose.string() + " --crop 6,1,10,10 --out " + (folder_ / "off").string());
    EXPECT_EQ(off.status, 2);
    EXPECT_NE(off.errors.find("does not lie on the chart of 14 × 10 stitches"), std::string::npos) << off.errors;
    EXPECT_FALSE(fs::exists(folder_ / "off" / "scheme.json"));
}

// The clean-up of a scheme file comes after the replacements, in the order unused rows, fewest
// stitches, confetti, whatever the order of the options: the file written is the one the core
// makes of the same scheme.
TEST_F(SchemeInputTest, CleanedUpAfterTheReplacements)
{
    const fs::path rose = fs::path(VELMORA_TEST_DATA_DIR) / "schemes" / "rose-14x10.velmora";
    const CliRun run = Cli("--remove-confetti=2 " + rose.string() + " --min-stitches 20 --replace-thread 3328=356" +
                           " --drop-unused --formats json --out " + folder_.string());
    ASSERT_EQ(run.status, 0) << run.errors;
    SchemeDocument expected = ReadSchemeFile(rose);
    ReplaceThread(expected, FindDmc("3328"), FindDmc("356"));
    const CleanupResult result = CleanUpScheme(expected, {true, 20, 2}, RecordedSourcePicture(expected, rose));
    EXPECT_GT(result.passes[1].rowsRemoved, 0);
    EXPECT_GT(result.passes[2].stitches, 0);
    EXPECT_EQ(Json(), SchemeFileText(expected));
}

// From a picture, the confetti is judged against the picture as the build sampled it, and none is
// left.
TEST_F(CliTest, ConfettiLeavesAPictureWithNoSingleStitch)
{
    const CliRun run = Cli(kSample.string() + " --width 80 --dither --remove-confetti --formats json --out " +
                           folder_.string());
    ASSERT_EQ(run.status, 0) << run.errors;
    const SchemeDocument cleaned = ReadSchemeFile(folder_ / "scheme.json");
    EXPECT_EQ(SingleStitchShare(cleaned), 0.0);
    const Bitmap photo = LoadPicture(kSample);
    SchemeDocument built = SchemeEngine().BuildScheme(photo, MakeSchemeRequest(photo, {80, {}, 30, {}, true}));
    EXPECT_GT(SingleStitchShare(built), 0.1);
    built.pictureName = kSample.string();
    RemoveConfetti(built, 1, WorkingPicture(photo, built.request.width, built.request.height),
                   BuildColourDistance(built.request));
    EXPECT_EQ(SchemeFileText(built), Json());
}

} // namespace
} // namespace velmora::cli

namespace velmora::cli {
namespace {

// What a progress line writes to `out` for three pages of chart.pdf.
std::string ProgressText(std::FILE* out, int readFd)
{
    {
        ProgressLine line(out, std::chrono::milliseconds(0));
        line.Begin("chart.pdf");
        for (int page = 1; page <= 3; ++page)
            line.Pages(page, 3);
    }
    std::fflush(out);
    std::string text;
    pollfd ready{readFd, POLLIN, 0};
    while (poll(&ready, 1, 200) == 1 && (ready.revents & POLLIN)) {
        char buffer[256];
        const ssize_t n = read(readFd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

TEST(ProgressLine, ShowsPagesOnATerminalOnly)
{
    int master = -1, slave = -1;
    ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    std::FILE* terminal = fdopen(slave, "w");
    ASSERT_NE(terminal, nullptr);
    const std::string shown = ProgressText(terminal, master);
    EXPECT_NE(shown.find("velmora-cli: chart.pdf: page 1 of 3"), std::string::npos) << shown;
    EXPECT_NE(shown.find("page 3 of 3"), std::string::npos) << shown;
    std::fclose(terminal);
    close(master);

    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    std::FILE* pipeOut = fdopen(pipeEnds[1], "w");
    ASSERT_NE(pipeOut, nullptr);
    std::fputc('.', pipeOut); // something to read, so that the read does not wait
    EXPECT_EQ(ProgressText(pipeOut, pipeEnds[0]), ".");
    std::fclose(pipeOut);
    close(pipeEnds[0]);
}

} // namespace
} // namespace velmora::cli
