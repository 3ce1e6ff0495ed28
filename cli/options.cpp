// Reading the arguments: each option once, each value checked, a wrong one named with what is
// accepted.
#include "cli/options.h"

#include "cli/dialog_output.h"
#include "cli/picture_output.h"

namespace {

const char ThreadRange[] = "a number of threads from 1 to 1024";

// A count of 1 to 1024 in plain decimal digits.
bool ParseThreadCount(const char* text, unsigned& threads)
{
    unsigned value = 0;
    for (const char* digit = text; *digit; ++digit) {
        if (*digit < '0' || *digit > '9' || value > 1024)
            return false;
        value = value * 10 + static_cast<unsigned>(*digit - '0');
    }
    if (value < 1 || value > 1024)
        return false;
    threads = value;
    return true;
}

void Refuse(Options& options, const std::string& text)
{
    if (options.usageError.empty())
        options.usageError = "orvane: " + text + "\n";
}

// An option's value that is missing (value nullptr) or not one of those it takes.
void RefuseValue(Options& options, const std::string& option, const char* accepted, const char* value)
{
    if (!value)
        Refuse(options, option + " needs " + accepted);
    else
        Refuse(options, option + " takes " + accepted + ", not \"" + VisibleArgument(value) + "\"");
}

// "-j4": the count joined to the option. "-json" is not one, but an unknown option.
bool IsJoinedThreadCount(const std::string& argument)
{
    return argument.size() > 2 && argument[1] == 'j' && argument[2] >= '0' && argument[2] <= '9';
}

bool TakesValue(const std::string& argument)
{
    return argument == "-j" || argument == "--jobs" || argument == "--save" || argument == "--copy" || argument == "--from" ||
           IsJoinedThreadCount(argument);
}

// An option that takes a value: the next argument, or for "-j4" the rest of the same one; i
// moves past what was taken.
void ParseValueOption(Options& options, const std::string& argument, int& i, int count, const char* const* arguments)
{
    const bool isJoined = IsJoinedThreadCount(argument);
    const char* value = isJoined ? arguments[i] + 2 : i + 1 < count ? arguments[++i] : nullptr;
    if (argument == "--save") {
        if (options.wantsSave)
            Refuse(options, "--save is given twice");
        else if (!value || !*value)
            Refuse(options, "--save needs a file name");
        options.wantsSave = true;
        options.savePath = value ? value : "";
    } else if (argument == "--from") {
        if (options.hasList)
            Refuse(options, "--from is given twice");
        else if (!value || !*value)
            Refuse(options, "--from needs a file name, or - for standard input");
        options.hasList = true;
        options.listName = value ? value : "";
    } else if (argument == "--copy") {
        if (options.wantsCopy)
            Refuse(options, "--copy is given twice");
        else if (!value || !ParseCopyForm(value, options.copyForm))
            RefuseValue(options, "--copy", "all, rows or info", value);
        options.wantsCopy = true;
    } else if (!value || !ParseThreadCount(value, options.threads)) {
        RefuseValue(options, isJoined ? "-j" : argument, ThreadRange, value);
    }
}

}  // namespace

Options ParseArguments(int count, const char* const* arguments)
{
    Options options;
    bool optionsEnded = false;
    for (int i = 0; i < count; ++i) {
        const std::string argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-')
            options.addresses.push_back(argument);
        else if (argument == "--")
            optionsEnded = true;
        else if (argument == "--json")
            options.isJson = true;
        else if (argument == "--csv")
            options.isCsv = true;
        else if (argument == "-r" || argument == "--recursive")
            options.isRecursive = true;
        else if (argument == "--help")
            options.wantsHelp = true;
        else if (argument == "--version")
            options.wantsVersion = true;
        else if (argument == "-q" || argument == "--quiet")
            options.isQuiet = true;
        else if (TakesValue(argument))
            ParseValueOption(options, argument, i, count, arguments);
        else
            Refuse(options, "unknown option " + VisibleArgument(argument));
    }
    return options;
}

const char* RefusedCombination(const Options& options)
{
    const bool showsDialogText = options.wantsCopy || options.wantsSave;
    if (options.isCsv && (options.isJson || showsDialogText))
        return "orvane: --csv does not go with --json, --save or --copy\n";
    if (options.hasList && !options.addresses.empty())
        return "orvane: --from takes its addresses from the list alone, not from arguments\n";
    if (showsDialogText && (options.addresses.size() != 1 || options.isJson || options.hasList))
        return "orvane: --save and --copy take exactly one address and no --json\n";
    if (showsDialogText && options.isRecursive)
        return "orvane: --save and --copy take exactly one address and no -r\n";
    return nullptr;
}
