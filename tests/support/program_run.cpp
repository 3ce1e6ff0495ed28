// The shell runs the program, so that a test states limits and users as a user would.
#ifndef _WIN32
#include "support/program_run.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

std::string FileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string ShellQuoted(const std::string& text)
{
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

TemporaryFolder::TemporaryFolder()
{
    char directory[] = "/tmp/orvane-test-XXXXXX";
    EXPECT_NE(mkdtemp(directory), nullptr);
    path = directory;
}

TemporaryFolder::~TemporaryFolder()
{
    // A test may have taken rights away from a folder inside; files are left alone, for a hard
    // link shares its rights with a sample.
    EXPECT_EQ(std::system(("find " + ShellQuoted(path) + " -type d -exec chmod u+rwx {} +; rm -rf " + ShellQuoted(path)).c_str()), 0);
}

ProgramRun RunProgramIn(const std::string& program, const std::string& directory, const std::string& arguments,
                        const std::string& setup, const std::string& launcher)
{
    char errPath[] = "/tmp/orvane-cli-err-XXXXXX";
    const int errFile = mkstemp(errPath);
    EXPECT_GE(errFile, 0);
    close(errFile);
    const std::string command = "cd " + ShellQuoted(directory) + " && " + setup + " exec " + launcher + " " +
                                ShellQuoted(program) + " " + arguments + " 2>" + ShellQuoted(errPath);
    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    EXPECT_NE(pipe, nullptr);
    if (!pipe)
        return run;
    char buffer[4096];
    size_t count = 0;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, count);
    const int waited = pclose(pipe);
    run.status = WIFEXITED(waited) ? WEXITSTATUS(waited) : -1;
    run.err = FileBytes(errPath);
    unlink(errPath);
    return run;
}
#endif
