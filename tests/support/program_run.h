// A built program run through the shell, its status and its two streams apart (POSIX only).
#pragma once

#include <string>

struct ProgramRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string FileBytes(const std::string& path);

// text in single quotes, for a shell command line.
std::string ShellQuoted(const std::string& text);

// Runs program in directory with the given (already quoted) arguments; setup (shell commands) and
// launcher (a program that runs it) may change the conditions it runs under.
ProgramRun RunProgramIn(const std::string& program, const std::string& directory, const std::string& arguments,
                        const std::string& setup = "", const std::string& launcher = "");

// A new folder under /tmp, removed with all it holds when the test is done with it.
struct TemporaryFolder {
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    std::string path;
};
