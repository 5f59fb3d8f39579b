// The manual page of velmora-cli beside its --help, which is the truth: the page's OPTIONS hold
// one entry for every option --help lists, in the same order, and none that the tool lacks.
#include "cli/cli_options.h"
#include "tests/read_file.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace velmora::cli {
namespace {

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string FirstWord(const std::string& text) { return text.substr(0, text.find(' ')); }

// "  --width N      chart width…": an option's line begins two spaces in; its wrapped lines more.
std::vector<std::string> HelpOptions()
{
    std::vector<std::string> options;
    for (const std::string& line : Lines(kCliUsage)) {
        if (line.rfind("  --", 0) == 0)
            options.push_back(FirstWord(line.substr(2)));
    }
    return options;
}

// ".TP" then ".B \-\-dither" or ".BI \-\-width " N"" under ".SH OPTIONS", up to the next section.
std::vector<std::string> PageOptions(const std::string& page)
{
    std::vector<std::string> options;
    bool inOptions = false;
    bool afterTp = false;
    for (std::string line : Lines(page)) {
        if (line.rfind(".SH", 0) == 0)
            inOptions = line == ".SH OPTIONS";
        else if (inOptions && afterTp && (line.rfind(".B ", 0) == 0 || line.rfind(".BI ", 0) == 0)) {
            line = line.substr(line.find(' ') + 1);
            for (std::size_t at; (at = line.find("\\-")) != std::string::npos;)
                line.erase(at, 1);
            options.push_back(FirstWord(line));
        }
        afterTp = line == ".TP";
    }
    return options;
}

TEST(ManPageTest, ListsTheOptionsOfHelp)
{
    const std::string page = ReadFileText(VELMORA_CLI_MAN_PAGE);
    ASSERT_FALSE(page.empty()) << VELMORA_CLI_MAN_PAGE;
    const std::vector<std::string> help = HelpOptions();
    ASSERT_GE(help.size(), 10u); // the help's layout still read right
    EXPECT_EQ(PageOptions(page), help) << "the entries under OPTIONS in " VELMORA_CLI_MAN_PAGE
                                          " differ from the options velmora-cli --help lists";
}

} // namespace
} // namespace velmora::cli
