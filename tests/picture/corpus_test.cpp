// Every picture of the shared test corpus behaves as its README states: loads at the stated size
// and depth, is refused with PictureError, or (for the questionable ones) either of the two,
// without a crash, a hang or an out-of-bounds access (the sanitizer build watches for those).
#include "picture/picture_error.h"
#include "picture/picture_loader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace velmora {
namespace {

namespace fs = std::filesystem;

enum class Outcome { Load, Fail, Robust };

struct CorpusFile {
    std::string path; // relative to the corpus folder
    Outcome outcome;
    int width = 0, height = 0, bits = 0;
    std::string expected; // the README's words, for messages
};

// Reads the README's tables: a section heading names the folder ("(`photos`, 22 files)"), each
// row "| `name` | what it is | Expected | …".
std::vector<CorpusFile> ReadCorpusReadme()
{
    std::ifstream in(VELMORA_CORPUS_DIR "/README.md");
    const std::regex heading(R"(^## .*\(`([^`]+)`, \d+ files\))");
    const std::regex row(R"(^\| `([^`]+)` \| .* \| ((LOAD|FAIL|ROBUST)[^|]*) \| .*\|$)");
    const std::regex load(R"(^LOAD (\d+)x(\d+), (\d+)-bit)");
    const std::regex loadJpeg(R"(^LOAD (\d+)x(\d+), (colour|greyscale|4-component) JPEG)");
    std::vector<CorpusFile> files;
    std::string folder, line;
    std::smatch m;
    while (std::getline(in, line)) {
        if (std::regex_search(line, m, heading)) {
            folder = m[1];
        } else if (!folder.empty() && std::regex_match(line, m, row)) {
            CorpusFile f;
            f.path = folder + "/" + m[1].str();
            f.expected = m[2];
            std::smatch d;
            if (std::regex_search(f.expected, d, load)) {
                f = {f.path, Outcome::Load, std::stoi(d[1]), std::stoi(d[2]), std::stoi(d[3]), f.expected};
            } else if (std::regex_search(f.expected, d, loadJpeg)) {
                f = {f.path, Outcome::Load, std::stoi(d[1]), std::stoi(d[2]), 24, f.expected};
            } else {
                f.outcome = f.expected.starts_with("FAIL") ? Outcome::Fail : Outcome::Robust;
            }
            files.push_back(f);
        }
    }
    return files;
}

TEST(Corpus, ReadmeListsEveryPicture)
{
    const std::vector<CorpusFile> listed = ReadCorpusReadme();
    std::set<std::string> names;
    for (const CorpusFile& f : listed)
        names.insert(f.path);
    ASSERT_GT(names.size(), 140u) << "README of " VELMORA_CORPUS_DIR " not found or not understood";
    for (const auto& entry : fs::recursive_directory_iterator(VELMORA_CORPUS_DIR)) {
        if (!entry.is_regular_file() || entry.path().filename() == "README.md")
            continue;
        const std::string relative = fs::relative(entry.path(), VELMORA_CORPUS_DIR).generic_string();
        EXPECT_TRUE(names.count(relative)) << relative << " has no expected outcome";
    }
}

TEST(Corpus, EveryPictureBehavesAsStated)
{
    for (const CorpusFile& f : ReadCorpusReadme()) {
        SCOPED_TRACE(f.path + ": " + f.expected);
        const fs::path path = fs::path(VELMORA_CORPUS_DIR) / f.path;
        switch (f.outcome) {
        case Outcome::Load: {
            Bitmap picture;
            try {
                picture = LoadPicture(path);
            } catch (const std::exception& e) {
                ADD_FAILURE() << "refused: " << e.what();
                break;
            }
            EXPECT_EQ(picture.width(), f.width);
            EXPECT_EQ(picture.height(), f.height);
            EXPECT_EQ(picture.sourceBitsPerPixel(), f.bits);
            break;
        }
        case Outcome::Fail:
            EXPECT_THROW(LoadPicture(path), PictureError);
            break;
        case Outcome::Robust:
            try {
                const Bitmap picture = LoadPicture(path);
                EXPECT_FALSE(picture.empty());
            } catch (const PictureError&) {
            }
            break;
        }
    }
}

} // namespace
} // namespace velmora
