// The `orvane` command over the reader: what it prints, and when it succeeds.
#include "cli/command_line.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/csv_output.h"
#include "cli/dialog_output.h"
#include "cli/folder_walk.h"
#include "cli/json_text.h"
#include "cli/local_address.h"
#include "cli/replace_file.h"
#include "resources/code_page_936.h"
#include "view/default_platform.h"

#ifndef ORVANE_VERSION
#error "the build defines ORVANE_VERSION"
#endif

namespace {

const char Usage[] =
    "usage: orvane [--json] ADDRESS...\n"
    "       orvane [--save FILE] [--copy all|rows|info] ADDRESS\n"
    "       orvane [--json | --csv] -r FOLDER...\n"
    "Lists the Exif information of JPEG pictures.\n"
    "ADDRESS is an \"http://\", \"ftp://\", \"gopher://\" or \"file:///\" address, or a local path.\n"
    "  --json     one JSON object per address and line\n"
    "  --csv      a table for spreadsheets: a header naming the 41 items, then per address\n"
    "             its address, message id and the 41 texts (RFC 4180, UTF-8, CR LF)\n"
    "  -r, --recursive  read every JPEG file below each FOLDER (.jpg .jpeg .jpe .jfif, any\n"
    "             case), sorted by path; other arguments are read as they are\n"
    "  --save FILE  write FILE as the dialog's \"save as\" does: the address, an empty line,\n"
    "             the rows, in code page 936 with CR LF (nothing when the list is empty)\n"
    "  --copy all|rows|info  print the dialog's clipboard text instead of the list, in code\n"
    "             page 936: all rows, or the rows / only the texts with every row selected\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "Exit status: 0 when every picture was read, 1 when one was not (or FILE could not be\n"
    "written, or a FOLDER listed), 2 for a usage error; an option's missing or wrong value is\n"
    "a usage error.\n";

#ifdef _WIN32
// The clipboard text carries its own CR LF: standard output's text mode must not add a CR.
void WriteBytesUnchanged(std::ostream& out)
{
    if (&out != &std::cout)
        return;
    out.flush();
    _setmode(_fileno(stdout), _O_BINARY);
}
#else
void WriteBytesUnchanged(std::ostream&) {}
#endif

#ifdef _WIN32
// The image of this program, which GetModuleHandle(NULL) would return: the string table is
// linked into it.
extern "C" char __ImageBase;
Handle OwnModuleInstance() { return &__ImageBase; }
#else
// The native text loader has the table built in and needs no module.
Handle OwnModuleInstance() { return nullptr; }
#endif

struct Options {
    bool isJson = false;
    bool isCsv = false;
    bool isRecursive = false;
    bool wantsHelp = false;
    bool wantsVersion = false;
    std::string savePath;
    bool wantsCopy = false;
    CopyForm copyForm = CopyForm::AllRows;
    std::vector<std::string> addresses;
    std::string unknownOption;
};

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
        else if (argument == "--save" && i + 1 < count && arguments[i + 1][0])
            options.savePath = arguments[++i];
        else if (argument == "--copy" && i + 1 < count && ParseCopyForm(arguments[i + 1], options.copyForm)) {
            options.wantsCopy = true;
            ++i;
        } else if (options.unknownOption.empty())
            options.unknownOption = argument;
    }
    return options;
}

}  // namespace

std::string ArgumentForDisplay(const std::string& argument)
{
#ifdef _WIN32
    return Cp936ToUtf8(argument.data(), argument.size());  // the ANSI code page's arguments
#else
    return ValidUtf8(argument);
#endif
}

namespace {

bool SaveDialogFile(const std::string& path, const AddressOutcome& outcome, std::ostream& err)
{
    const std::string bytes = DialogSavedFile(outcome);
    if (bytes.empty()) {
        err << "orvane: the list is empty; " << ArgumentForDisplay(path) << " not written\n";
        return true;
    }
    const std::string failure = ReplaceWholeFile(path, bytes);
    if (failure.empty())
        return true;
    err << "orvane: cannot write " << ArgumentForDisplay(path) << ": " << failure << "\n";
    return false;
}

}  // namespace

std::string FormatJsonOutcome(const std::string& address, const AddressOutcome& outcome)
{
    std::string line = "{\"address\": " + JsonString(ArgumentForDisplay(address));
    // The display form replaces what is not UTF-8: the bytes themselves tell two such names apart.
    line += ", \"address_hex\": \"" + HexBytes(address.data(), address.size()) + "\"";
    line += ", \"message_id\": " + std::to_string(outcome.messageId);
    line += ", \"message\": " + JsonString(SlotToUtf8(outcome.message));
    line += ", \"slots\": [";
    for (int i = 0; i < SlotCount; ++i)
        line += (i ? ", " : "") + JsonString(SlotToUtf8(outcome.slots[i]));
    line += "], \"slots_hex\": [";
    for (int i = 0; i < SlotCount; ++i) {
        const char* slot = outcome.slots[i];
        line += (i ? ", \"" : "\"") + HexBytes(slot, strnlen(slot, SlotSize - 1)) + "\"";
    }
    line += "]}";
    return line;
}

std::string FormatRows(const AddressOutcome& outcome)
{
    std::string text;
    for (int i = 0; i < outcome.rowCount; ++i)
        text += SlotToUtf8(outcome.rows[i].label) + "\t" + SlotToUtf8(outcome.rows[i].text) + "\n";
    return text;
}

namespace {

// The usage error that a combination of options makes, or nullptr when they go together.
const char* RefusedCombination(const Options& options)
{
    const bool showsDialogText = options.wantsCopy || !options.savePath.empty();
    if (options.isCsv && (options.isJson || showsDialogText))
        return "orvane: --csv does not go with --json, --save or --copy\n";
    if (showsDialogText && (options.addresses.size() != 1 || options.isJson))
        return "orvane: --save and --copy take exactly one address and no --json\n";
    if (showsDialogText && options.isRecursive)
        return "orvane: --save and --copy take exactly one address and no -r\n";
    return nullptr;
}

// The pictures to read, in order: the arguments as given, except that with -r a folder stands
// for the picture files below it. A folder that cannot be walked is reported and makes status 1.
std::vector<std::string> PicturesToRead(const Options& options, std::ostream& err, int& status)
{
    if (!options.isRecursive)
        return options.addresses;
    std::vector<std::string> pictures;
    for (const std::string& argument : options.addresses) {
        if (!IsLocalFolder(argument)) {
            pictures.push_back(argument);
            continue;
        }
        const FolderPictures below = PicturesBelow(argument);
        for (const FolderProblem& problem : below.unreadableFolders) {
            err << "orvane: cannot read folder " << ArgumentForDisplay(problem.folder) << ": " << problem.reason << "\n";
            status = ExitSomeNotRead;
        }
        pictures.insert(pictures.end(), below.paths.begin(), below.paths.end());
    }
    return pictures;
}

// Standard output that could not take what was written (a full disk, a closed pipe) is a
// failure of the whole command, told once: the user must not take a cut table for the whole.
bool OutputWasLost(std::ostream& out, std::ostream& err)
{
    errno = 0;
    out.flush();
    if (out)
        return false;
    const int error = errno;
    err << "orvane: cannot write the output" << (error ? std::string(": ") + std::strerror(error) : std::string()) << "\n";
    return true;
}

constexpr int OutputLost = -1;

// Reads one picture and shows it in the chosen form; returns its exit status, or OutputLost.
// Its output is flushed before its failure is told: the two then keep their order, and a
// failed write is seen here, not by the flush that standard error makes of standard output.
int ShowPicture(const Options& options, const std::string& argument, bool headsLists, std::ostream& out,
                std::ostream& err)
{
    const AddressOutcome outcome = ReadArgument(argument, OwnModuleInstance());
    const bool isRead = outcome.messageId == MessageOk;
    int status = isRead ? ExitAllRead : ExitSomeNotRead;
    if (isRead && !options.savePath.empty() && !SaveDialogFile(options.savePath, outcome, err))
        status = ExitSomeNotRead;
    if (options.isJson) {
        out << FormatJsonOutcome(argument, outcome) << "\n";
    } else if (options.isCsv) {
        out << CsvLine(ArgumentForDisplay(argument), outcome) << CsvLineEnd;
    } else if (isRead && options.wantsCopy) {
        WriteBytesUnchanged(out);
        out << DialogCopyText(options.copyForm, outcome);
    } else if (isRead) {
        if (headsLists)
            out << "== " << ArgumentForDisplay(argument) << "\n";
        out << FormatRows(outcome);
    }
    if (OutputWasLost(out, err))
        return OutputLost;
    if (!isRead)
        err << ArgumentForDisplay(argument) << ": " << SlotToUtf8(outcome.message) << "\n";
    return status;
}

}  // namespace

int RunOrvane(int argumentCount, const char* const* arguments, std::ostream& out, std::ostream& err)
{
    const Options options = ParseArguments(argumentCount, arguments);
    if (!options.unknownOption.empty()) {
        err << "orvane: unknown option " << ArgumentForDisplay(options.unknownOption) << "\n" << Usage;
        return ExitUsage;
    }
    if (options.wantsHelp || options.wantsVersion) {
        out << (options.wantsHelp ? Usage : "orvane " ORVANE_VERSION "\n");
        return OutputWasLost(out, err) ? ExitSomeNotRead : ExitAllRead;
    }
    if (options.addresses.empty()) {
        err << "orvane: no address given\n" << Usage;
        return ExitUsage;
    }
    if (const char* refusal = RefusedCombination(options)) {
        err << refusal << Usage;
        return ExitUsage;
    }

    int status = ExitAllRead;
    const std::vector<std::string> pictures = PicturesToRead(options, err, status);
    if (options.isCsv) {
        WriteBytesUnchanged(out);  // the lines carry their own CR LF
        out << CsvHeader(DefaultPlatform().loadText, OwnModuleInstance()) << CsvLineEnd;
    }
    // With -r the pictures' names come from the folders: each list is headed by its path.
    const bool headsLists = options.isRecursive || pictures.size() > 1;
    for (const std::string& picture : pictures) {
        const int shown = ShowPicture(options, picture, headsLists, out, err);
        if (shown == OutputLost)
            return ExitSomeNotRead;
        if (shown != ExitAllRead)
            status = ExitSomeNotRead;
    }
    return OutputWasLost(out, err) ? ExitSomeNotRead : status;
}
