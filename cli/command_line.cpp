// The `orvane` command over the reader: what it prints, and when it succeeds.
#include "cli/command_line.h"

#include <cstring>
#include <iostream>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/dialog_output.h"
#include "cli/json_text.h"
#include "cli/local_address.h"
#include "resources/code_page_936.h"
#include "view/default_platform.h"

#ifndef ORVANE_VERSION
#error "the build defines ORVANE_VERSION"
#endif

namespace {

const char Usage[] =
    "usage: orvane [--json] ADDRESS...\n"
    "       orvane [--save FILE] [--copy all|rows|info] ADDRESS\n"
    "Lists the Exif information of JPEG pictures.\n"
    "ADDRESS is an \"http://\", \"ftp://\", \"gopher://\" or \"file:///\" address, or a local path.\n"
    "  --json     one JSON object per address and line\n"
    "  --save FILE  write FILE as the dialog's \"save as\" does: the address, an empty line,\n"
    "             the rows, in code page 936 with CR LF (nothing when the list is empty)\n"
    "  --copy all|rows|info  print the dialog's clipboard text instead of the list, in code\n"
    "             page 936: all rows, or the rows / only the texts with every row selected\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "Exit status: 0 when every picture was read, 1 when one was not (or FILE could not be\n"
    "written), 2 for a usage error; an option's missing or wrong value is a usage error.\n";

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

std::string SlotToUtf8(const char (&text)[SlotSize]) { return Cp936ToUtf8(text, strnlen(text, SlotSize - 1)); }

struct Options {
    bool isJson = false;
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
    if (WriteWholeFile(path, bytes))
        return true;
    err << "orvane: cannot write " << ArgumentForDisplay(path) << "\n";
    return false;
}

}  // namespace

std::string FormatJsonOutcome(const std::string& address, const AddressOutcome& outcome)
{
    std::string line = "{\"address\": " + JsonString(ArgumentForDisplay(address));
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

int RunOrvane(int argumentCount, const char* const* arguments, std::ostream& out, std::ostream& err)
{
    const Options options = ParseArguments(argumentCount, arguments);
    if (!options.unknownOption.empty()) {
        err << "orvane: unknown option " << ArgumentForDisplay(options.unknownOption) << "\n" << Usage;
        return ExitUsage;
    }
    if (options.wantsHelp) {
        out << Usage;
        return ExitAllRead;
    }
    if (options.wantsVersion) {
        out << "orvane " ORVANE_VERSION "\n";
        return ExitAllRead;
    }
    if (options.addresses.empty()) {
        err << "orvane: no address given\n" << Usage;
        return ExitUsage;
    }

    const bool showsDialogText = options.wantsCopy || !options.savePath.empty();
    if (showsDialogText && (options.addresses.size() != 1 || options.isJson)) {
        err << "orvane: --save and --copy take exactly one address and no --json\n" << Usage;
        return ExitUsage;
    }

    int status = ExitAllRead;
    const bool headsLists = options.addresses.size() > 1;
    for (const std::string& argument : options.addresses) {
        const AddressOutcome outcome = ReadAddress(AddressForArgument(argument), OwnModuleInstance(), DefaultPlatform());
        const bool isRead = outcome.messageId == MessageOk;
        if (!isRead)
            status = ExitSomeNotRead;
        if (isRead && !options.savePath.empty() && !SaveDialogFile(options.savePath, outcome, err))
            status = ExitSomeNotRead;
        if (options.isJson) {
            out << FormatJsonOutcome(argument, outcome) << "\n";
        } else if (isRead && options.wantsCopy) {
            WriteBytesUnchanged(out);
            out << DialogCopyText(options.copyForm, outcome);
        } else if (isRead) {
            if (headsLists)
                out << "== " << ArgumentForDisplay(argument) << "\n";
            out << FormatRows(outcome);
        }
        if (!isRead)
            err << ArgumentForDisplay(argument) << ": " << SlotToUtf8(outcome.message) << "\n";
        out.flush();
    }
    return status;
}
