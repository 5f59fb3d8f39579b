// Files are written whole or not at all: the earlier file survives every failure, nothing
// unfinished is left behind, and the message names the file and the system's reason.
#include "files/output_file.h"
#include "tests/file_size_limit.h"
#include "tests/read_file.h"
#include "tests/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
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

class OutputFileTest : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        file_ = folder_ / "scheme.json";
        std::ofstream(file_) << "earlier";
    }

    fs::path file_;
};

TEST_F(OutputFileTest, TheDestinationChangesOnlyOnCommit)
{
    const std::string big(200000, 'x'); // more than the buffer holds
    {
        OutputFile out(file_);
        // Unfinished, the file lies in a folder beside its destination that only this user can
        // enter, so nobody else can swap it.
        const fs::path privateFolder = out.path().parent_path();
        EXPECT_EQ(privateFolder.parent_path(), folder_);
        EXPECT_EQ(fs::symlink_status(privateFolder).permissions() & fs::perms::all, fs::perms::owner_all);
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
    const FailingWrite cases[] = {
        {"a full disk at the first flush", file_, 10, "File too large"},
        {"a full disk after some flushes", file_, 150000, "File too large"},
        {"a folder in the way", folder_ / "chart.pdf", RLIM_INFINITY, "Is a directory"},
        {"a path under a regular file", folder_ / "plain" / "a.pdf", RLIM_INFINITY, "Not a directory"},
        {"a missing folder", folder_ / "missing" / "a.pdf", RLIM_INFINITY, "No such file or directory"},
    };
    for (const FailingWrite& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message = FailedWriteMessage(c, [](const fs::path& file) {
            OutputFile out(file);
            out.Write(std::string(200000, 'y'));
            out.Commit();
        });
        EXPECT_EQ(message, "cannot write " + c.file.string() + ": " + c.reason);
        // The reason and its error number go with the message, for the window to translate.
        try {
            const FileSizeLimit limit(c.sizeLimit);
            OutputFile out(c.file);
            out.Write(std::string(200000, 'y'));
            out.Commit();
        } catch (const FileWriteError& e) {
            EXPECT_EQ(e.reason(), c.reason);
            EXPECT_EQ(std::string(std::strerror(e.errorNumber())), c.reason);
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
// never written over, nor does the new file take its mode. A replaced file's permissions carry
// over, all but setuid, setgid and sticky.
TEST_F(OutputFileTest, ReplacesLinksAndKeepsPermissions)
{
    const mode_t umask = ::umask(022);
    std::ofstream(folder_ / "target") << "someone's file";
    struct Case {
        const char* name;
        mode_t targetMode;  // of the file the link points to
        mode_t fileMode;    // of the regular file replaced
        mode_t expected;    // after replacing the link, after replacing the file
        mode_t expectedFile;
    };
    const Case cases[] = {
        {"setuid target", 04755, 04755, 0644, 0755},
        {"private target", 0640, 0640, 0644, 0640},
        {"setgid and sticky", 03777, 03777, 0644, 0777},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(::chmod((folder_ / "target").c_str(), c.targetMode), 0);
        fs::remove(folder_ / "picture.bmp");
        fs::create_symlink(folder_ / "target", folder_ / "picture.bmp");
        WriteFileWhole(folder_ / "picture.bmp", "picture");
        EXPECT_FALSE(fs::is_symlink(folder_ / "picture.bmp"));
        EXPECT_EQ(ReadFileText(folder_ / "picture.bmp"), "picture");
        EXPECT_EQ(ReadFileText(folder_ / "target"), "someone's file");
        struct stat status {};
        ASSERT_EQ(::lstat((folder_ / "picture.bmp").c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, c.expected);

        ASSERT_EQ(::chmod(file_.c_str(), c.fileMode), 0);
        WriteFileWhole(file_, "new");
        ASSERT_EQ(::lstat(file_.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, c.expectedFile);
    }
    ::umask(umask);
}

// A name given to a library that reopens it: should it no longer be the file made here when the
// library is done, the file is not put in place.
TEST_F(OutputFileTest, RefusesAFileSwappedUnderItsName)
{
    std::ofstream(folder_ / "victim") << "someone's file";
    {
        OutputFile out(file_);
        out.Finish();
        fs::remove(out.path());
        fs::create_symlink(folder_ / "victim", out.path());
        try {
            out.Commit();
            ADD_FAILURE() << "a swapped file was put in place";
        } catch (const FileWriteError& e) {
            EXPECT_NE(std::string(e.what()).find("was replaced while it was written"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(ReadFileText(file_), "earlier");
    EXPECT_EQ(Names(folder_), (std::set<std::string>{"scheme.json", "victim"}));
}

// A run killed with its files unfinished leaves its private folder; the next run writing there
// removes it, once the lock of its owner has gone, and never a folder of a run still going.
TEST_F(OutputFileTest, LaterRunsRemoveWhatAKilledRunLeft)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        OutputFile out(folder_ / "chart.pdf");
        out.Write("half");
        out.Finish();
        ::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_EQ(Names(folder_).size(), 2u); // scheme.json and the killed run's folder
    {
        OutputFile out(file_);
        OutputFile alive = OutputFile::Private("x", ".bmp", folder_); // the same folder, shared
        EXPECT_EQ(alive.path().parent_path(), out.path().parent_path());
        EXPECT_EQ(Names(folder_).size(), 2u); // the leftover went, this run's folder came
        out.Write("new");
        out.Commit();
    }
    EXPECT_EQ(Names(folder_), std::set<std::string>{"scheme.json"});
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
            EXPECT_EQ(path.parent_path().parent_path(), folder_);
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
    EXPECT_EQ(Names(folder_), std::set<std::string>{"scheme.json"}); // the run folder went with them
    EXPECT_THROW(OutputFile::Private("velmora-", ".bmp", folder_ / "missing"), FileWriteError);
}

} // namespace
} // namespace velmora
