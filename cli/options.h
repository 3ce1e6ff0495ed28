// The command line's options: what they ask for, and the first thing wrong with them.
#pragma once

#include <string>
#include <vector>

#include "ui/list_text.h"

// What the arguments ask for; usageError is empty when they can be done.
struct Options {
    bool isJson = false;
    bool isCsv = false;
    bool isRecursive = false;
    bool wantsHelp = false;
    bool wantsVersion = false;
    bool wantsSave = false;
    std::string savePath;
    bool wantsCopy = false;
    CopyForm copyForm = CopyForm::AllRows;
    unsigned threads = 0;  // 0: one a core
    bool isQuiet = false;
    bool hasList = false;  // --from: the addresses come a line each from listName ("-": stdin)
    std::string listName;
    std::vector<std::string> addresses;
    std::string usageError;  // the first wrong option, told before the usage
};

// The options and addresses of the arguments (without the program name), in their order.
Options ParseArguments(int count, const char* const* arguments);

// The usage error that a combination of options makes, or nullptr when they go together.
const char* RefusedCombination(const Options& options);
