// --from: a list of addresses, one a line, prints what the same arguments print, read as it comes.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "support/program_run.h"

namespace {

const std::string SamplesDirectory = ORVANE_SAMPLES_DIR;

ProgramRun RunInSamples(const std::string& arguments, const std::string& setup = "")
{
    return RunProgramIn(ORVANE_CLI_PATH, SamplesDirectory, arguments, setup);
}

struct ListCase {
    const char* form;
    std::vector<std::string> names;  // in the list and as arguments
};

// A missing file's message, a name with a blank, a folder, a URL the rules refuse: each line as its argument.
const ListCase ListCases[] = {
    {"", {"Canon_40D.jpg"}},  // one line: its list unheaded, as one argument's
    {"", {"Canon_40D.jpg", "missing one.jpg", "Nikon_D70.jpg", "jfif_then_exif.jpg"}},
    {"--json", {"Nikon_D70.jpg", "missing.jpg", ".", "https:/x", "Sony_HDR-HC3.jpg"}},
    {"--csv", {"fujifilm-dx10.jpg", "missing.jpg", "Canon_40D.jpg"}},
    {"--csv -j 3", {"Canon_40D.jpg", "Nikon_D70.jpg", "missing.jpg", "Olympus_C8080WZ.jpg", "Canon_40D.jpg"}},
};

TEST(CliFrom, PrintsWhatTheSameArgumentsPrint)
{
    TemporaryFolder folder;
    const std::string list = folder.path + "/list.txt";
    for (const ListCase& c : ListCases) {
        std::string arguments;
        std::ofstream file(list, std::ios::binary | std::ios::trunc);
        file << "\n";  // empty lines, and a CR before LF, are no part of any name
        for (const std::string& name : c.names) {
            arguments += " " + ShellQuoted(name);
            file << name << (name.size() % 2 ? "\r\n" : "\n") << "\n";
        }
        file.close();
        const ProgramRun given = RunInSamples(std::string(c.form) + arguments);
        const ProgramRun listed = RunInSamples(std::string(c.form) + " --from " + ShellQuoted(list));
        const ProgramRun piped = RunInSamples(std::string(c.form) + " --from - <" + ShellQuoted(list));
        for (const ProgramRun* run : {&listed, &piped}) {
            EXPECT_EQ(run->out, given.out) << c.form << arguments;
            EXPECT_EQ(run->err, given.err) << c.form << arguments;
            EXPECT_EQ(run->status, given.status) << c.form << arguments;
        }
    }
}

struct RefusalCase {
    const char* arguments;
    int status;
    const char* err;  // its first line
};

const RefusalCase RefusalCases[] = {
    {"--from /nonexistent/list", ExitSomeNotRead, "orvane: cannot read the list /nonexistent/list: No such file or directory"},
    {"--from .", ExitSomeNotRead, "orvane: cannot read the list .: Is a directory"},
    {"--from - Canon_40D.jpg </dev/null", ExitUsage, "orvane: --from takes its addresses from the list alone, not from arguments"},
    {"--from", ExitUsage, "orvane: --from needs a file name, or - for standard input"},
    {"--from - --from - </dev/null", ExitUsage, "orvane: --from is given twice"},
    {"--copy all --from - </dev/null", ExitUsage, "orvane: --save and --copy take exactly one address and no --json"},
    {"--from - </dev/null", ExitAllRead, ""},
};

TEST(CliFrom, RefusesWhatItCannotRead)
{
    for (const RefusalCase& c : RefusalCases) {
        const ProgramRun run = RunInSamples(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), c.err) << c.arguments;
        EXPECT_EQ(run.out, "") << c.arguments;
    }
}

// The list is read as it comes: the writer sends its last lines only once the first answers
// appeared (or after ten seconds), so a reader that took the whole list first shows its answers
// late. 100,000 lines, and no more than two parts of them in memory.
TEST(CliFrom, ReadsAHundredThousandLinesAsTheyCome)
{
    TemporaryFolder folder;
    const std::string marks = ShellQuoted(folder.path + "/marks");
    const std::string err = ShellQuoted(folder.path + "/err");
    const std::string writer = "{ seq 1 99000 | sed s/^/missing-/; i=0; while [ ! -s " + err +
                               " ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i+1)); done; [ -s " + err + " ] && echo early >" +
                               marks + "; seq 99001 100000 | sed s/^/missing-/; } | ";
    const ProgramRun run = RunProgramIn("/bin/sh", SamplesDirectory,
                                        "-c " + ShellQuoted(writer + "exec " + ORVANE_CLI_PATH + " -j 2 --from - 2>" + err));
    EXPECT_EQ(run.status, ExitSomeNotRead);
    EXPECT_EQ(FileBytes(folder.path + "/marks"), "early\n");
    const std::string errors = FileBytes(folder.path + "/err");
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 100000);
    EXPECT_EQ(errors.compare(errors.rfind('\n', errors.size() - 2) + 1, 16, "missing-100000: "), 0);
}

}  // namespace

#endif
