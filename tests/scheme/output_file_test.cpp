// Files are written whole or not at all: the earlier file survives every failure, nothing
// unfinished is left behind, and the message names the file and the system's reason.
#include "scheme/output_file.h"
#include "tests/file_size_limit.h"
#include "tests/read_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace velmora {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

class OutputFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("velmora-output-test-" + std::to_string(getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        file_ = folder_ / "scheme.json";
        std::ofstream(file_) << "earlier";
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_, file_;
};

TEST_F(OutputFileTest, TheDestinationChangesOnlyOnCommit)
{
    const std::string big(200000, 'x'); // more than the buffer holds
    {
        OutputFile out(file_);
        EXPECT_EQ(out.path().parent_path(), folder_);
        out.Write("new ");
        out.Write(big);
        out.Finish();
        EXPECT_EQ(ReadFileText(file_), "earlier");
        EXPECT_EQ(ReadFileText(out.path()).size(), 4 + big.size());
        out.Commit();
    }
    EXPECT_EQ(ReadFileText(file_), "new " + big);
    EXPECT_EQ(Names(folder_), std::set<std::string>{"scheme.json"});

    // Given up before the commit: the earlier file stays, the unfinished one goes.
    {
        OutputFile out(file_);
        out.Write("abandoned");
    }
    EXPECT_EQ(ReadFileText(file_), "new " + big);
    EXPECT_EQ(Names(folder_), std::set<std::string>{"scheme.json"});
}

TEST_F(OutputFileTest, FailuresKeepTheEarlierFileAndNameTheReason)
{
    fs::create_directories(folder_ / "chart.pdf");
    std::ofstream(folder_ / "plain") << "x";
    struct Case {
        const char* name;
        fs::path file;
        rlim_t sizeLimit;
        const char* reason;
    };
    const Case cases[] = {
        {"a full disk at the first flush", file_, 10, "File too large"},
        {"a full disk after some flushes", file_, 150000, "File too large"},
        {"a folder in the way", folder_ / "chart.pdf", RLIM_INFINITY, "Is a directory"},
        {"a path under a regular file", folder_ / "plain" / "a.pdf", RLIM_INFINITY, "Not a directory"},
        {"a missing folder", folder_ / "missing" / "a.pdf", RLIM_INFINITY, "No such file or directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            const FileSizeLimit limit(c.sizeLimit);
            OutputFile out(c.file);
            out.Write(std::string(200000, 'y'));
            out.Commit();
            ADD_FAILURE() << "no error";
        } catch (const FileWriteError& e) {
            EXPECT_EQ(std::string(e.what()), "cannot write " + c.file.string() + ": " + c.reason);
        }
        EXPECT_EQ(ReadFileText(file_), "earlier");
        EXPECT_EQ(Names(folder_), (std::set<std::string>{"chart.pdf", "plain", "scheme.json"}));
    }
    EXPECT_TRUE(fs::is_empty(folder_ / "chart.pdf"));

    // Nor is a device or a pipe replaced by a file.
    ASSERT_EQ(mkfifo((folder_ / "pipe").c_str(), 0600), 0);
    EXPECT_THROW(WriteFileWhole(folder_ / "pipe", "x"), FileWriteError);
    EXPECT_TRUE(fs::is_fifo(folder_ / "pipe"));
}

// A link in the destination's place is replaced, not followed: a file someone links there is
// never written over. An existing file's permissions carry over.
TEST_F(OutputFileTest, ReplacesLinksAndKeepsPermissions)
{
    std::ofstream(folder_ / "target") << "someone's file";
    fs::create_symlink(folder_ / "target", folder_ / "picture.bmp");
    WriteFileWhole(folder_ / "picture.bmp", "picture");
    EXPECT_FALSE(fs::is_symlink(folder_ / "picture.bmp"));
    EXPECT_EQ(ReadFileText(folder_ / "picture.bmp"), "picture");
    EXPECT_EQ(ReadFileText(folder_ / "target"), "someone's file");

    fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    WriteFileWhole(file_, "new");
    EXPECT_EQ(fs::status(file_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(OutputFileTest, PrivateFilesAreUniqueUnreadableByOthersAndGoAway)
{
    fs::path first, second;
    {
        OutputFile a = OutputFile::Private("velmora-", ".bmp", folder_);
        OutputFile b = OutputFile::Private("velmora-", ".bmp", folder_);
        first = a.path();
        second = b.path();
        EXPECT_NE(first, second);
        for (const fs::path& path : {first, second}) {
            EXPECT_EQ(path.parent_path(), folder_);
            EXPECT_TRUE(path.filename().string().starts_with("velmora-"));
            EXPECT_EQ(path.extension(), ".bmp");
            EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
        }
        a.Write("bytes");
        a.Finish();
        EXPECT_EQ(ReadFileText(first), "bytes");
        EXPECT_THROW(a.Commit(), FileWriteError);
    }
    EXPECT_FALSE(fs::exists(first));
    EXPECT_FALSE(fs::exists(second));
    EXPECT_THROW(OutputFile::Private("velmora-", ".bmp", folder_ / "missing"), FileWriteError);
}

} // namespace
} // namespace velmora
