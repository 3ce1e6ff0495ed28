// The built `orvane` program on the sample photographs, and remote reading through the loopback
// server, compared with stored outputs that were checked by hand.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/local_address.h"
#include "cli/read_address.h"
#include "support/cli_text.h"
#include "support/loopback_http_server.h"
#include "support/program_run.h"
#include "resources/text_table.h"
#include "ui/slot_list.h"
#include "view/default_platform.h"

namespace {

struct Sample {
    const char* name;
    TextId message;
};

// jfif_then_exif.jpg carries XMP, not Exif, in its only APP1 segment: it ends with 303.
const Sample Samples[] = {
    {"Canon_40D", MessageOk},        {"Fujifilm_FinePix6900ZOOM", MessageOk}, {"Nikon_D70", MessageOk},
    {"Olympus_C8080WZ", MessageOk},  {"PaintTool_sample", MessageOk},         {"Sony_HDR-HC3", MessageOk},
    {"fujifilm-dx10", MessageOk},    {"jfif_then_exif", MessageNoExif},       {"long_description", MessageOk},
};

int ExpectedStatus(const Sample& sample) { return sample.message == MessageOk ? ExitAllRead : ExitSomeNotRead; }

std::string ExpectedErr(const Sample& sample)
{
    if (sample.message == MessageOk)
        return "";
    return std::string(sample.name) + ".jpg: " + FindText(sample.message) + "\n";
}

const std::string SamplesDirectory = ORVANE_SAMPLES_DIR;
const std::string ExpectedDirectory = SamplesDirectory + "/../tests/expected";

std::string ReadWholeFile(const std::string& path) { return FileBytes(path); }

std::string Quoted(const std::string& text) { return ShellQuoted(text); }

ProgramRun RunProgram(const std::string& directory, const std::string& arguments, const std::string& setup = "",
                      const std::string& launcher = "")
{
    return RunProgramIn(ORVANE_CLI_PATH, directory, arguments, setup, launcher);
}

TEST(CliEndToEnd, PlainListsMatchStoredOutputs)
{
    for (const Sample& sample : Samples) {
        const ProgramRun run = RunProgram(SamplesDirectory, Quoted(std::string(sample.name) + ".jpg"));
        EXPECT_EQ(run.status, ExpectedStatus(sample)) << sample.name;
        EXPECT_EQ(run.err, ExpectedErr(sample)) << sample.name;
        EXPECT_EQ(run.out, ReadWholeFile(ExpectedDirectory + "/" + sample.name + ".txt")) << sample.name;
    }
}

TEST(CliEndToEnd, JsonLinesMatchStoredOutputs)
{
    for (const Sample& sample : Samples) {
        const ProgramRun run = RunProgram(SamplesDirectory, "--json " + Quoted(std::string(sample.name) + ".jpg"));
        EXPECT_EQ(run.status, ExpectedStatus(sample)) << sample.name;
        EXPECT_EQ(run.err, ExpectedErr(sample)) << sample.name;
        EXPECT_EQ(run.out, ReadWholeFile(ExpectedDirectory + "/" + sample.name + ".json")) << sample.name;
        EXPECT_NE(run.out.find("\"message_id\": " + std::to_string(sample.message) + ","), std::string::npos);
    }
}

TEST(CliEndToEnd, SeveralAddressesAreHeadedAndAFailureMakesStatusOne)
{
    const ProgramRun run = RunProgram(SamplesDirectory, "Canon_40D.jpg README.md missing.jpg Olympus_C8080WZ.jpg");
    EXPECT_EQ(run.status, ExitSomeNotRead);
    EXPECT_EQ(run.out, "== Canon_40D.jpg\n" + ReadWholeFile(ExpectedDirectory + "/Canon_40D.txt") +
                           "== Olympus_C8080WZ.jpg\n" + ReadWholeFile(ExpectedDirectory + "/Olympus_C8080WZ.txt"));
    EXPECT_EQ(run.err, "README.md: " + std::string(FindText(MessageNotJpeg)) + "\nmissing.jpg: " +
                           FindText(MessageCannotRead) + "\n");
}

TEST(CliEndToEnd, JsonReportsEveryAddressWithItsMessage)
{
    const ProgramRun run = RunProgram(SamplesDirectory, "--json README.md missing.jpg");
    EXPECT_EQ(run.status, ExitSomeNotRead);
    std::istringstream lines(run.out);
    std::string first, second, third;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_FALSE(std::getline(lines, third));
    EXPECT_EQ(first.rfind("{\"address\": \"README.md\", \"address_hex\": \"524541444d452e6d64\", \"message_id\": 302, \"message\": \"" +
                              std::string(FindText(MessageNotJpeg)) + "\", ", 0),
              0u)
        << first;
    EXPECT_EQ(second.rfind("{\"address\": \"missing.jpg\", \"address_hex\": \"6d697373696e672e6a7067\", \"message_id\": 301, ", 0), 0u) << second;
}

// Everything after the "address" member, which differs with the way the picture was named.
std::string AfterAddress(const std::string& line) { return line.substr(line.find("\"message_id\"")); }

TEST(CliEndToEnd, FileAddressAndPathWithBlanksReadTheSame)
{
    char directory[] = "/tmp/orvane cli XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string copy = std::string(directory) + "/a photo.jpg";
    {
        std::ofstream out(copy, std::ios::binary);
        out << ReadWholeFile(SamplesDirectory + "/Canon_40D.jpg");
    }
    const std::string expected = ReadWholeFile(ExpectedDirectory + "/Canon_40D.json");
    const ProgramRun byPath = RunProgram("/", "--json " + Quoted(copy));
    const ProgramRun byRelativePath = RunProgram(directory, "--json 'a photo.jpg'");
    std::string address = "file://" + copy;
    for (size_t at; (at = address.find(' ')) != std::string::npos;)
        address.replace(at, 1, "%20");
    const ProgramRun byAddress = RunProgram("/", "--json " + Quoted(address));
    for (const ProgramRun* run : {&byPath, &byRelativePath, &byAddress}) {
        EXPECT_EQ(run->status, ExitAllRead) << run->err;
        EXPECT_EQ(AfterAddress(run->out), AfterAddress(expected));
    }
    unlink(copy.c_str());
    rmdir(directory);
}

// The fields of RFC 4180 lines, each line ended by CR LF; a quoted field may hold both.
std::vector<std::vector<std::string>> CsvRecords(const std::string& text)
{
    std::vector<std::vector<std::string>> records(1, std::vector<std::string>(1));
    bool isQuoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (isQuoted && c == '"' && i + 1 < text.size() && text[i + 1] == '"')
            records.back().back() += text[++i];
        else if (c == '"')
            isQuoted = !isQuoted;
        else if (!isQuoted && c == ',')
            records.back().emplace_back();
        else if (!isQuoted && text.compare(i, 2, "\r\n") == 0 && ++i)
            records.emplace_back(1);
        else
            records.back().back() += c;
    }
    EXPECT_EQ(records.back(), std::vector<std::string>(1)) << "the last line ends with CR LF";
    records.pop_back();
    return records;
}

std::string WithoutTrailingBlanks(std::string text) { return text.erase(text.find_last_not_of(' ') + 1); }


// The pieces of a plain -r listing, by the path that heads each list.
std::map<std::string, std::string> ListsByPath(const std::string& out)
{
    std::map<std::string, std::string> lists;
    std::string* list = nullptr;
    std::istringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("== ", 0) == 0)
            list = &lists[line.substr(3)];
        else if (list)
            *list += line + "\n";
    }
    return lists;
}

// The JPEG of the same photograph: samples/containers/NAME.EXT is ./NAME.jpg.
std::string JpegTwin(const std::string& path)
{
    const size_t name = path.rfind('/') + 1;
    return "./" + path.substr(name, path.rfind('.') - name) + ".jpg";
}

// The raw twins under samples/raw/: -r finds them by their names, and each reads as its JPEG.
constexpr size_t RawSampleCount = 7;
bool IsRawSample(const std::string& path) { return path.rfind("./raw/", 0) == 0; }
bool IsTwin(const std::string& path) { return path.rfind("./containers/", 0) == 0 || IsRawSample(path); }

// -r finds the JPEG samples and their twins in every other container: each JPEG lists and reads
// as stored, and each twin exactly as its JPEG.
TEST(CliEndToEnd, RecursiveListsAndJsonOfTheSamplesMatchStoredOutputs)
{
    const ProgramRun plain = RunProgram(SamplesDirectory, "-r .");
    const ProgramRun json = RunProgram(SamplesDirectory, "--recursive --json .");
    const std::map<std::string, std::string> lists = ListsByPath(plain.out);
    std::map<std::string, std::string> jsonByPath;
    std::istringstream jsonLines(json.out);
    for (std::string line; std::getline(jsonLines, line);)
        jsonByPath[line.substr(13, line.find('"', 13) - 13)] = AfterAddress(line + "\n");
    for (const Sample& sample : Samples) {
        const std::string path = std::string("./") + sample.name + ".jpg";
        EXPECT_EQ(lists.count(path) ? lists.at(path) : "", sample.message == MessageOk ? ReadWholeFile(ExpectedDirectory + "/" + sample.name + ".txt") : "");
        EXPECT_EQ(jsonByPath[path], AfterAddress(ReadWholeFile(ExpectedDirectory + "/" + sample.name + ".json")));
    }
    size_t twins = 0;
    for (const auto& read : jsonByPath) {
        if (!IsTwin(read.first))
            continue;
        ++twins;
        EXPECT_EQ(read.second, jsonByPath[JpegTwin(read.first)]) << read.first;
        EXPECT_EQ(lists.count(read.first) ? lists.at(read.first) : "", lists.count(JpegTwin(read.first)) ? lists.at(JpegTwin(read.first)) : "") << read.first;
    }
    EXPECT_EQ(twins, 36u + RawSampleCount);
    const size_t raws = static_cast<size_t>(std::count_if(jsonByPath.begin(), jsonByPath.end(),
                                                         [](const auto& read) { return IsRawSample(read.first); }));
    EXPECT_EQ(raws, RawSampleCount);
    EXPECT_EQ(jsonByPath.size(), std::size(Samples) + twins);
    for (const ProgramRun* run : {&plain, &json}) {
        EXPECT_EQ(run->status, ExitSomeNotRead);
        std::istringstream errLines(run->err);
        for (std::string line; std::getline(errLines, line);)  // only the photograph without Exif
            EXPECT_NE(line.find("/jfif_then_exif."), std::string::npos) << line;
    }
}

TEST(CliEndToEnd, RecursiveCsvOfTheSamplesHasTheirListedTexts)
{
    const ProgramRun run = RunProgram(SamplesDirectory, "--csv -r .");
    EXPECT_EQ(run.status, ExitSomeNotRead);
    const auto records = CsvRecords(run.out);
    ASSERT_EQ(records.size(), 1 + std::size(Samples) + 36 + RawSampleCount);  // the JPEGs and their twins
    const std::vector<std::string>& header = records[0];
    ASSERT_EQ(header.size(), 2u + SlotCount);
    std::map<std::string, std::vector<std::string>> byAddress;
    for (size_t i = 1; i < records.size(); ++i)
        byAddress[records[i][0]] = records[i];
    for (const auto& twin : byAddress) {
        if (IsTwin(twin.first)) {
            const std::vector<std::string>& jpeg = byAddress[JpegTwin(twin.first)];
            EXPECT_TRUE(std::equal(twin.second.begin() + 1, twin.second.end(), jpeg.begin() + 1, jpeg.end())) << twin.first;
        }
    }
    for (const Sample& sample : Samples) {
        std::vector<std::string> record = byAddress[std::string("./") + sample.name + ".jpg"];
        ASSERT_EQ(record.size(), header.size()) << sample.name;
        EXPECT_EQ(record[0], std::string("./") + sample.name + ".jpg");
        EXPECT_EQ(record[1], std::to_string(sample.message));
        // Each listed row's text stands in the column of its label; the rest are not listed.
        std::istringstream listing(ReadWholeFile(ExpectedDirectory + "/" + sample.name + ".txt"));
        for (std::string row; std::getline(listing, row);) {
            const std::string label = WithoutTrailingBlanks(row.substr(0, row.find('\t')));
            const auto column = std::find(header.begin(), header.end(), label) - header.begin();
            ASSERT_LT(static_cast<size_t>(column), header.size()) << label;
            EXPECT_EQ(record[column], row.substr(row.find('\t') + 1)) << sample.name << " " << label;
            record[column].clear();
        }
        for (size_t column = 2; column < record.size(); ++column)
            EXPECT_FALSE(IsSlotListed(record[column].c_str())) << sample.name << " " << header[column];
    }
}

TEST(CliEndToEnd, RecursiveFindsJpegFilesByNameInWholePathOrder)
{
    char directory[] = "/tmp/orvane-tree-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string tree = directory;
    const std::string picture = ReadWholeFile(SamplesDirectory + "/Canon_40D.jpg");
    for (const char* folder : {"/a", "/sub.jpg", "/sub.jpg/deeper"})
        ASSERT_EQ(mkdir((tree + folder).c_str(), 0755), 0) << folder;
    for (const char* name : {"/a.jpg", "/B.jpe", "/a0.JPEG", "/a/c.jfif", "/sub.jpg/deeper/x.JPG", "/d.txt",
                             "/e.jpg.txt", "/a/f"})
        std::ofstream(tree + name, std::ios::binary) << picture;
    ASSERT_EQ(symlink(".", (tree + "/loop").c_str()), 0);  // followed, it would never end
    const ProgramRun run = RunProgram("/", Quoted(tree) + " -r " + Quoted(SamplesDirectory + "/Nikon_D70.jpg"));
    EXPECT_EQ(run.status, ExitAllRead) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string listing = ReadWholeFile(ExpectedDirectory + "/Canon_40D.txt");
    std::string expected;
    for (const char* name : {"/B.jpe", "/a.jpg", "/a/c.jfif", "/a0.JPEG", "/sub.jpg/deeper/x.JPG"})
        expected += "== " + tree + name + "\n" + listing;
    expected += "== " + SamplesDirectory + "/Nikon_D70.jpg\n" + ReadWholeFile(ExpectedDirectory + "/Nikon_D70.txt");
    EXPECT_EQ(run.out, expected);
    EXPECT_EQ(std::system(("rm -rf " + Quoted(tree)).c_str()), 0);
}

// Names that an address would have read as other files' ("%20" as a blank, '\\' as a
// separator) and names that are not UTF-8: with -r and as arguments, each is its own file.
TEST(CliEndToEnd, EveryPathIsReadAsThatPath)
{
    char directory[] = "/tmp/orvane-paths-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string tree = directory;
    ASSERT_EQ(mkdir((tree + "/sub").c_str(), 0755), 0);
    const struct {
        const char* name;
        const Sample& sample;
    } files[] = {  // in the walk's order: bytewise by whole path
        {"/a b.jpg", Samples[0]}, {"/a%20b.jpg", Samples[7]}, {"/caf\xe8.jpg", Samples[3]},
        {"/caf\xe9.jpg", Samples[6]}, {"/sub/x.jpg", Samples[5]}, {"/sub\\x.jpg", Samples[2]},
    };
    for (const auto& file : files)
        std::ofstream(tree + file.name, std::ios::binary) << ReadWholeFile(SamplesDirectory + "/" + file.sample.name + ".jpg");
    const ProgramRun plain = RunProgram("/", "-r " + Quoted(tree));
    const ProgramRun json = RunProgram(tree, "--json 'a b.jpg' 'a%20b.jpg' caf$(printf '\\350').jpg "
                                             "caf$(printf '\\351').jpg sub/x.jpg 'sub\\x.jpg'");
    std::string expectedPlain, expectedErr;
    std::istringstream jsonLines(json.out);
    for (const auto& file : files) {
        const std::string path = tree + file.name;
        if (file.sample.message == MessageOk)
            expectedPlain += "== " + Utf8(path) + "\n" + ReadWholeFile(ExpectedDirectory + "/" + file.sample.name + ".txt");
        else
            expectedErr += Utf8(path) + ": " + FindText(file.sample.message) + "\n";
        std::string line;
        std::getline(jsonLines, line);
        const std::string relative = file.name + 1;
        EXPECT_EQ(line.rfind("{\"address\": " + Json(Utf8(relative)) + ", \"address_hex\": \"" +
                                 Hex(relative) + "\", ", 0), 0u) << line;
        EXPECT_EQ(AfterAddress(line + "\n"), AfterAddress(ReadWholeFile(ExpectedDirectory + "/" + file.sample.name + ".json")));
    }
    EXPECT_EQ(plain.out, expectedPlain);
    EXPECT_EQ(plain.err, expectedErr);
    EXPECT_EQ(plain.status, ExitSomeNotRead);
    EXPECT_EQ(std::system(("rm -rf " + Quoted(tree)).c_str()), 0);
}

// Whatever stops the output or a folder of the walk, the command says so and ends with status 1.
TEST(CliEndToEnd, LostOutputAndUnreadableFoldersAreToldAndMakeStatusOne)
{
    for (const char* arguments : {"Canon_40D.jpg", "--json Canon_40D.jpg", "--csv -r .", "--copy all Canon_40D.jpg"}) {
        const ProgramRun run = RunProgram(SamplesDirectory, std::string(arguments) + " >/dev/full");
        EXPECT_EQ(run.status, ExitSomeNotRead) << arguments;
        EXPECT_NE(run.err.find("orvane: cannot write the output: No space left on device\n"), std::string::npos)
            << arguments << ": " << run.err;
    }

    char directory[] = "/tmp/orvane-walk-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string tree = directory;
    for (const char* folder : {"/closed", "/listed-only", "/open"})
        ASSERT_EQ(mkdir((tree + folder).c_str(), 0755), 0);
    for (const char* name : {"/closed/a.jpg", "/listed-only/b.jpg", "/open/c.jpg"})
        std::ofstream(tree + name, std::ios::binary) << ReadWholeFile(SamplesDirectory + "/Canon_40D.jpg");
    ASSERT_EQ(chmod((tree + "/closed").c_str(), 0), 0);
    ASSERT_EQ(chmod((tree + "/listed-only").c_str(), 0644), 0);
    ASSERT_EQ(chmod(directory, 0755), 0);
    // Permissions bind root only through a user of no rights.
    const std::string launcher = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups" : "";
    const ProgramRun run = RunProgram("/", "--csv -r " + Quoted(tree), "", launcher);
    EXPECT_EQ(run.status, ExitSomeNotRead);
    EXPECT_EQ(run.err, "orvane: cannot read folder " + tree + "/closed: Permission denied\n"
                       "orvane: cannot read folder " + tree + "/listed-only: Permission denied\n");
    EXPECT_NE(run.out.find(tree + "/open/c.jpg,305,"), std::string::npos) << run.out;
    EXPECT_EQ(std::system(("chmod -R u+rwx " + Quoted(tree) + " && rm -rf " + Quoted(tree)).c_str()), 0);
}

// Any number of threads prints the bytes of one; a long run draws its progress line only on a
// terminal, and clears it.
TEST(CliEndToEnd, ThreadsPrintWhatOneThreadPrintsAndProgressIsForTerminalsOnly)
{
    char directory[] = "/tmp/orvane-many-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string tree = directory;
    for (int folder = 0; folder < 40; ++folder) {  // 360 files: more than a progress line needs
        const std::string below = tree + "/" + std::to_string(folder);
        ASSERT_EQ(mkdir(below.c_str(), 0755), 0);
        for (const Sample& sample : Samples) {
            const std::string name = std::string("/") + sample.name + ".jpg";
            ASSERT_EQ(link((SamplesDirectory + name).c_str(), (below + name).c_str()), 0);
        }
    }
    for (const char* form : {"", "--json ", "--csv "}) {
        const ProgramRun one = RunProgram("/", std::string(form) + "-j 1 -r " + Quoted(tree));
        EXPECT_EQ(one.status, ExitSomeNotRead) << form;
        EXPECT_EQ(std::count(one.err.begin(), one.err.end(), '\n'), 40) << "only jfif_then_exif.jpg's lines";
        for (const char* threads : {"-j 8 ", "-j3 ", "-j 64 ", ""}) {
            const ProgramRun many = RunProgram("/", std::string(form) + threads + "-r " + Quoted(tree));
            EXPECT_EQ(many.out, one.out) << form << threads;
            EXPECT_EQ(many.err, one.err) << form << threads;
            EXPECT_EQ(many.status, one.status) << form << threads;
        }
    }
    EXPECT_EQ(std::string(ProgramRun(RunProgram("/", "--csv -r " + Quoted(tree))).err).find(" files, "), std::string::npos);
    // script(1) gives the program a terminal for both streams.
    for (const char* quiet : {"", "--quiet "}) {
        const std::string command = Quoted(ORVANE_CLI_PATH) + " " + quiet + "--csv -r " + Quoted(tree) + " 2>&1";
        FILE* pipe = popen(("script -qec " + Quoted(command) + " /dev/null").c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string seen;
        char buffer[4096];
        for (size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            seen.append(buffer, count);
        pclose(pipe);
        EXPECT_EQ(seen.find("360/360 files, ") != std::string::npos, !*quiet) << quiet;
        EXPECT_EQ(seen.size() > 2 && seen.compare(seen.size() - 2, 2, " \r") == 0, !*quiet) << "cleared at the end";
    }
    EXPECT_EQ(std::system(("rm -rf " + Quoted(tree)).c_str()), 0);
}

// A save that cannot be completed (here the file size limit) leaves the old file as it was.
TEST(CliEndToEnd, SaveThatFailsKeepsTheOldFile)
{
    char directory[] = "/tmp/orvane-save-XXXXXX";
    ASSERT_NE(mkdtemp(directory), nullptr);
    const std::string target = std::string(directory) + "/saved.txt";
    const std::string old = "the old file\n";
    std::ofstream(target, std::ios::binary) << old;
    // 512 bytes: standard error's file still takes the message; the saved text needs 571 and more.
    const ProgramRun failed = RunProgram(SamplesDirectory, "--save " + Quoted(target) + " Fujifilm_FinePix6900ZOOM.jpg",
                                         "trap '' XFSZ; ulimit -f 1;");
    EXPECT_EQ(failed.status, ExitSomeNotRead);
    EXPECT_NE(failed.err.find("orvane: cannot write " + target + ": File too large\n"), std::string::npos) << failed.err;
    EXPECT_EQ(ReadWholeFile(target), old);
    const ProgramRun saved = RunProgram(SamplesDirectory, "--save " + Quoted(target) + " Fujifilm_FinePix6900ZOOM.jpg");
    EXPECT_EQ(saved.status, ExitAllRead) << saved.err;
    const std::string shown = DialogFormOfPath(SamplesDirectory + "/Fujifilm_FinePix6900ZOOM.jpg", "/", PathStyle::Posix);
    EXPECT_EQ(ReadWholeFile(target).rfind(shown + "\r\n\r\n", 0), 0u);
    EXPECT_EQ(std::system(("ls -A " + Quoted(directory) + " | grep -vx saved.txt").c_str()) == 0, false) << "a file left behind";
    EXPECT_EQ(std::system(("rm -rf " + Quoted(directory)).c_str()), 0);
}

// A sample photograph followed by generated bytes, so that it has the size of a real photo.
ServerOptions PhotoServer(ServeMode mode, const char* sample, uint64_t size)
{
    ServerOptions options;
    options.mode = mode;
    const std::string bytes = ReadWholeFile(SamplesDirectory + "/" + sample + ".jpg");
    options.prefix.assign(bytes.begin(), bytes.end());
    options.bodySize = size;
    return options;
}

void ExpectSameSlots(const AddressOutcome& remote, const AddressOutcome& local)
{
    for (int i = 0; i < SlotCount; ++i)
        EXPECT_STREQ(remote.slots[i], local.slots[i]) << "slot " << i;
    EXPECT_EQ(remote.rowCount, local.rowCount);
}

TEST(RemoteEndToEnd, TwentyMegabytePhotoIsReadFromItsFirstBlocks)
{
    for (const Sample& sample : Samples) {
        LoopbackHttpServer server(PhotoServer(ServeMode::Ranges, sample.name, 20 * 1000 * 1000));
        const AddressOutcome remote = ReadAddressOnce(server.Url(), DefaultPlatform());
        const AddressOutcome local =
            ReadAddressOnce("file://" + SamplesDirectory + "/" + sample.name + ".jpg", DefaultPlatform());
        EXPECT_EQ(remote.messageId, sample.message) << sample.name;
        EXPECT_EQ(local.messageId, sample.message) << sample.name;
        ExpectSameSlots(remote, local);
        EXPECT_LT(server.BodyBytesSent(), 256u * 1024) << sample.name;
        RecordProperty(std::string(sample.name) + "_body_bytes_sent", static_cast<int>(server.BodyBytesSent()));
        std::printf("%s: %llu body bytes sent for a 20 MB photo\n", sample.name,
                    static_cast<unsigned long long>(server.BodyBytesSent()));
    }
}

TEST(RemoteEndToEnd, RangeRefusingServerGivesTheSameSlots)
{
    LoopbackHttpServer server(PhotoServer(ServeMode::WholeBody, "Nikon_D70", 3 * 1000 * 1000));
    const AddressOutcome remote = ReadAddressOnce(server.Url(), DefaultPlatform());
    const AddressOutcome local = ReadAddressOnce("file://" + SamplesDirectory + "/Nikon_D70.jpg", DefaultPlatform());
    EXPECT_EQ(remote.messageId, MessageOk);
    ExpectSameSlots(remote, local);
    EXPECT_EQ(server.RequestCount(), 1);
}

TEST(RemoteEndToEnd, MissingRemotePictureEndsWith301)
{
    ServerOptions options;
    options.mode = ServeMode::Status;
    options.status = 404;
    LoopbackHttpServer server(options);
    const AddressOutcome outcome = ReadAddressOnce(server.Url(), DefaultPlatform());
    EXPECT_EQ(outcome.messageId, MessageCannotRead);
    EXPECT_EQ(outcome.rowCount, 0);
}

TEST(RemoteEndToEnd, ProgramListsARemotePhoto)
{
    LoopbackHttpServer server(PhotoServer(ServeMode::Ranges, "Canon_40D", 1000 * 1000));
    const ProgramRun run = RunProgram("/", Quoted(server.Url()));
    EXPECT_EQ(run.status, ExitAllRead) << run.err;
    EXPECT_EQ(run.out, ReadWholeFile(ExpectedDirectory + "/Canon_40D.txt"));
}

}  // namespace

#endif
