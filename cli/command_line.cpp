// The `orvane` command over the reader: what it prints, and when it succeeds.
#include "cli/command_line.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <iterator>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "cli/address_list.h"
#include "cli/csv_output.h"
#include "cli/dialog_output.h"
#include "cli/folder_walk.h"
#include "cli/json_text.h"
#include "cli/local_address.h"
#include "cli/options.h"
#include "cli/ordered_run.h"
#include "cli/picture_output.h"
#include "cli/progress_line.h"
#include "cli/usage_text.h"
#include "resources/code_page_936.h"
#include "view/default_platform.h"

#ifndef ORVANE_VERSION
#error "the build defines ORVANE_VERSION"
#endif

namespace {

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

// The pictures to read, in order: the arguments (or a part of the list) as given, except that with -r a folder stands
// for the picture files below it. A folder that cannot be walked is reported and makes status 1.
std::vector<std::string> PicturesToRead(const Options& options, const std::vector<std::string>& arguments,
                                        std::ostream& err, int& status)
{
    if (!options.isRecursive)
        return arguments;
    std::vector<std::string> pictures;
    for (const std::string& argument : arguments) {
        if (!IsLocalFolder(argument)) {
            pictures.push_back(argument);
            continue;
        }
        FolderPictures below = PicturesBelow(argument);
        for (const FolderProblem& problem : below.unreadableFolders) {
            err << "orvane: cannot read folder " << VisibleArgument(problem.folder) << ": " << problem.reason << "\n";
            status = ExitSomeNotRead;
        }
        if (pictures.empty())
            pictures = std::move(below.paths);
        else
            pictures.insert(pictures.end(), std::make_move_iterator(below.paths.begin()),
                            std::make_move_iterator(below.paths.end()));
    }
    return pictures;
}

// Standard output that could not take what was written (a full disk, a closed pipe) is a
// failure of the whole command, told once: the user must not take a cut table for the whole.
// Every write is looked at as it is made, so that errno is still the failed write's own.
bool WriteOrTell(std::ostream& out, const std::string& bytes, bool flushes, std::ostream& err,
                 ProgressLine* progress = nullptr)
{
    errno = 0;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (out && flushes)
        out.flush();
    if (out)
        return true;
    const int error = errno;
    if (progress)
        progress->Clear();
    err << "orvane: cannot write the output" << (error ? std::string(": ") + std::strerror(error) : std::string()) << "\n";
    return false;
}

// What one picture gives: its output, its line for standard error, its status. Kept in the
// slots of the ordered run, whose buffers keep their room from picture to picture.
struct ShownPicture {
    AddressOutcome outcome;
    std::string out;
    std::string err;
    std::string display;  // the address as shown in a CSV line
    std::string scratch;
    int status = ExitAllRead;
};

// Reads one picture and makes what is shown of it in the chosen form; safe on any thread.
void ShowPicture(const Options& options, const std::string& argument, bool headsLists, const RowLabels& labels,
                 ShownPicture& shown)
{
    const bool wantsSave = options.wantsSave;
    ReadArgumentInto(shown.outcome, argument, OwnModuleInstance(), wantsSave);
    const AddressOutcome& outcome = shown.outcome;
    const bool isRead = outcome.messageId == MessageOk;
    shown.status = isRead ? ExitAllRead : ExitSomeNotRead;
    shown.out.clear();
    shown.err.clear();
    if (isRead && wantsSave && !SaveDialogFile(options.savePath, outcome, shown.err))
        shown.status = ExitSomeNotRead;
    if (options.isJson) {
        AppendJsonOutcome(shown.out, argument, outcome, shown.scratch);
        shown.out += '\n';
    } else if (options.isCsv) {
        shown.display.clear();
        AppendArgumentForDisplay(shown.display, argument);  // the field's quotes keep it whole
        AppendCsvLine(shown.out, shown.display, outcome, shown.scratch);
        shown.out += CsvLineEnd;
    } else if (isRead && options.wantsCopy) {
        shown.out = DialogCopyText(options.copyForm, outcome);
    } else if (isRead) {
        if (headsLists) {
            shown.out += "== ";
            AppendVisibleArgument(shown.out, argument);
            shown.out += '\n';
        }
        AppendRows(shown.out, outcome, &labels);
    }
    if (!isRead) {
        AppendVisibleArgument(shown.err, argument);
        // The reader cannot open a folder and would say "try later".
        if (IsLocalFolder(argument))
            shown.err += ": a folder, not a picture; -r reads the pictures below it\n";
        else
            shown.err += ": " + SlotToUtf8(outcome.message) + "\n";
    }
}

// The number of threads that read. A remote picture's thread mostly waits on the network, so
// there may be many more than cores; each holds one picture open, and the POSIX back end holds
// as many files open at once (PosixHandleCount).
unsigned ReadingThreads(unsigned asked)
{
    constexpr unsigned MostThreads = 64;
    if (asked == 0) {
        asked = std::thread::hardware_concurrency();
        asked = asked ? asked : 1;
    }
    return asked < MostThreads ? asked : MostThreads;
}

// An address that a server answers: its reading waits on the network. The address rules decide
// for real; this only chooses how the work is shared out.
bool LooksRemote(const std::string& argument)
{
    const size_t scheme = argument.find("://");
    if (scheme == std::string::npos || scheme == 0)
        return false;
    std::string name = argument.substr(0, scheme);
    for (char& c : name)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return name != "file";
}

// What stays the same from one part of a run to the next: a list read from --from is shown a
// part at a time, each part as one ordered run, so that the list never stands in memory.
struct RunState {
    const Options& options;
    std::ostream& out;
    std::ostream& err;
    const Terminals& terminals;
    ProgressLine& progress;
    RowLabels labels;  // the same for every picture of the run
    bool headsLists = false;
    size_t done = 0;
};

// Reads the pictures on worker threads and writes what each shows in their order; the status,
// or ExitSomeNotRead at once when the output was lost.
int ShowPictures(RunState& run, const std::vector<std::string>& pictures)
{
    const Terminals& terminals = run.terminals;
    const unsigned threads = ReadingThreads(run.options.threads);
    int status = ExitAllRead;
    const bool isRemote = std::any_of(pictures.begin(), pictures.end(), LooksRemote);
    const bool isWhole = RunInOrder<ShownPicture>(
        pictures.size(), threads, 64 * threads, isRemote ? 1 : OrderedRunBatch,
        [&](size_t index, ShownPicture& shown) {
            ShowPicture(run.options, pictures[index], run.headsLists, run.labels, shown);
        },
        [&](size_t, ShownPicture& shown) {
            // The progress line may share the screen with the lists: it goes before one comes.
            if (terminals.isOutTerminal && !shown.out.empty())
                run.progress.Clear();
            // A terminal sees each list as it is read; a file or pipe gets large writes.
            if (!WriteOrTell(run.out, shown.out, terminals.isOutTerminal || !shown.err.empty(), run.err, &run.progress))
                return false;
            if (!shown.err.empty()) {
                run.progress.Clear();
                run.err << shown.err;
            }
            if (shown.status != ExitAllRead)
                status = ExitSomeNotRead;
            run.progress.Update(++run.done);
            return true;
        });
    return isWhole ? status : -1;
}

// The lines of --from, a part at a time; with -r each part's folders stand for their pictures.
int ShowListed(RunState& run)
{
    // A part keeps every thread busy for a while; between two parts only the slowest waits.
    constexpr size_t PartLines = 4096;
    AddressList list(run.options.listName);
    std::vector<std::string> lines;
    int status = ExitAllRead;
    for (bool isFirst = true; list.Next(lines, PartLines); isFirst = false) {
        // One line alone shows its list unheaded, as one argument does; a full part has more behind it.
        if (isFirst)
            run.headsLists = run.options.isRecursive || lines.size() > 1;
        const int shown = ShowPictures(run, PicturesToRead(run.options, lines, run.err, status));
        if (shown < 0)
            return shown;
        status = shown != ExitAllRead ? ExitSomeNotRead : status;
    }
    if (!list.problem().empty()) {
        run.progress.Clear();
        run.err << "orvane: cannot read the list " << VisibleArgument(run.options.listName) << ": " << list.problem()
                << "\n";
        status = ExitSomeNotRead;
    }
    return status;
}

// Every picture of the run, with its progress line; the status.
int ShowAll(const Options& options, const std::vector<std::string>& pictures, std::ostream& out, std::ostream& err,
            const Terminals& terminals)
{
    const size_t total = options.hasList ? ProgressLine::UnknownTotal : pictures.size();
    ProgressLine progress(err, total, terminals.isErrTerminal && !options.isQuiet, terminals.errColumns,
                          terminals.progressInterval);
    RunState run{options, out, err, terminals, progress, {}, false, 0};
    LoadRowLabels(run.labels, DefaultPlatform().loadText, OwnModuleInstance());
    int status = ExitAllRead;
    if (options.hasList) {
        status = ShowListed(run);
    } else {
        // With -r the pictures' names come from the folders: each list is headed by its path.
        run.headsLists = options.isRecursive || pictures.size() > 1;
        status = ShowPictures(run, pictures);
    }
    progress.Clear();
    return status >= 0 && WriteOrTell(out, "", true, err) ? status : ExitSomeNotRead;
}

}  // namespace

int RunOrvane(int argumentCount, const char* const* arguments, std::ostream& out, std::ostream& err,
              const Terminals& terminals)
{
    const Options options = ParseArguments(argumentCount, arguments);
    if (!options.usageError.empty()) {
        err << options.usageError << UsageText;
        return ExitUsage;
    }
    if (options.wantsHelp || options.wantsVersion) {
        const bool isWritten = WriteOrTell(out, options.wantsHelp ? UsageText : "orvane " ORVANE_VERSION "\n", true, err);
        return isWritten ? ExitAllRead : ExitSomeNotRead;
    }
    if (options.addresses.empty() && !options.hasList) {
        err << "orvane: no address given\n" << UsageText;
        return ExitUsage;
    }
    if (const char* refusal = RefusedCombination(options)) {
        err << refusal << UsageText;
        return ExitUsage;
    }

    // Standard error is written only after standard output was flushed where order matters:
    // tied, every progress line would flush the table and hide where a write failed.
    std::ostream* const tied = err.tie(nullptr);
    int status = ExitAllRead;
    const std::vector<std::string> pictures = PicturesToRead(options, options.addresses, err, status);
    if (options.isCsv || options.wantsCopy)
        WriteBytesUnchanged(out);  // the texts carry their own CR LF
    bool isWritten = true;
    if (options.isCsv)
        isWritten = WriteOrTell(out, CsvHeader(DefaultPlatform().loadText, OwnModuleInstance()) + CsvLineEnd, false, err);
    if (isWritten && ShowAll(options, pictures, out, err, terminals) != ExitAllRead)
        status = ExitSomeNotRead;
    err.tie(tied);
    return isWritten ? status : ExitSomeNotRead;
}
