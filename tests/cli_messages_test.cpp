// What the command line says when it cannot do what it was asked: the wrong value and what is
// accepted, a folder named as one, a link to a folder passed over by -r.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "resources/text_table.h"
#include "support/program_run.h"

namespace {

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun RunCommand(const std::vector<const char*>& arguments)
{
    std::ostringstream out, err;
    const int status = RunOrvane(static_cast<int>(arguments.size()), arguments.data(), out, err);
    return {status, out.str(), err.str()};
}

TEST(UsageMessages, AWrongValueIsNamedWithWhatIsAccepted)
{
    const struct {
        std::vector<const char*> arguments;
        const char* told;
    } cases[] = {
        {{"-j", "0", "a.jpg"}, "-j takes a number of threads from 1 to 1024, not \"0\""},
        {{"--jobs", "abc", "a.jpg"}, "--jobs takes a number of threads from 1 to 1024, not \"abc\""},
        {{"-j1025", "a.jpg"}, "-j takes a number of threads from 1 to 1024, not \"1025\""},
        {{"a.jpg", "-j"}, "-j needs a number of threads from 1 to 1024"},
        {{"--copy", "bad", "a.jpg"}, "--copy takes all, rows or info, not \"bad\""},
        {{"a.jpg", "--copy"}, "--copy needs all, rows or info"},
        {{"--save", "", "a.jpg"}, "--save needs a file name"},
        {{"--save", "a.txt", "--save", "b.txt", "a.jpg"}, "--save is given twice"},
        {{"--copy", "all", "--copy", "info", "a.jpg"}, "--copy is given twice"},
        {{"-json", "a.jpg"}, "unknown option -json"},  // not -j with "son"
        {{"-j", "\x1B[2J", "a.jpg"}, "-j takes a number of threads from 1 to 1024, not \"\\x1B[2J\""},
    };
    for (const auto& c : cases) {
        const CommandRun run = RunCommand(c.arguments);
        EXPECT_EQ(run.status, ExitUsage) << c.told;
        EXPECT_EQ(run.out, "") << c.told;
        EXPECT_EQ(run.err.rfind("orvane: " + std::string(c.told) + "\nusage: orvane ", 0), 0u) << run.err;
    }
}

// A folder given without -r is said to be one; with -r, a link to a folder is neither walked nor
// read, whatever its name.
TEST(UsageMessages, AFolderIsToldAsOneAndALinkToAFolderIsNotRead)
{
    const TemporaryFolder temporary;
    const std::string& folder = temporary.path;
    ASSERT_EQ(std::system(("cp " + ShellQuoted(ORVANE_SAMPLES_DIR "/Canon_40D.jpg") + " " +
                           ShellQuoted(folder + "/p.jpg") + " && ln -s . " + ShellQuoted(folder + "/x.jpg")).c_str()), 0);

    const CommandRun plain = RunCommand({folder.c_str()});
    EXPECT_EQ(plain.status, ExitSomeNotRead);
    EXPECT_EQ(plain.out, "");
    EXPECT_EQ(plain.err, folder + ": a folder, not a picture; -r reads the pictures below it\n");
    const CommandRun json = RunCommand({"--json", folder.c_str()});
    EXPECT_NE(json.out.find("\"message_id\": 301,"), std::string::npos) << "the record is the reader's";

    const CommandRun walked = RunCommand({"-r", folder.c_str()});
    EXPECT_EQ(walked.status, ExitAllRead);
    EXPECT_EQ(walked.err, "");
    EXPECT_EQ(walked.out.rfind("== " + folder + "/p.jpg\n", 0), 0u) << walked.out;
    EXPECT_EQ(walked.out.find("x.jpg"), std::string::npos) << walked.out;
}

}  // namespace

#endif
