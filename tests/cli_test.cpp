// The command-line front end: JSON text, hex, local paths into addresses, options and exit status.
#include <gtest/gtest.h>

#include <atomic>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>

#include "cli/command_line.h"
#include "cli/csv_output.h"
#include "cli/folder_walk.h"
#include "cli/ordered_run.h"
#include "cli/local_address.h"
#include "resources/text_table.h"
#include "support/cli_text.h"
#include "view/default_platform.h"

namespace {

const char Replacement[] = "\xEF\xBF\xBD";

TEST(JsonText, QuotesAndBackslashesAreEscaped)
{
    EXPECT_EQ(Json(R"(a"b\c)"), R"("a\"b\\c")");
    EXPECT_EQ(Json(""), "\"\"");
}

TEST(JsonText, ControlCharactersBecomeUnicodeEscapes)
{
    EXPECT_EQ(Json(std::string("\x01\n\t\x1f", 4)), R"("\u0001\u000a\u0009\u001f")");
    EXPECT_EQ(Json(std::string("\0", 1)), R"("\u0000")");
    EXPECT_EQ(Json("\x7f/\xE5\x85\x89"), "\"\x7f/\xE5\x85\x89\"");  // no escape needed
}

TEST(JsonText, HexIsTwoLowerCaseDigitsPerByte)
{
    EXPECT_EQ(Hex(std::string("\x00\x0a\xff\xAB\x7f", 5)), "000affab7f");
    EXPECT_EQ(Hex(std::string("", 0)), "");
}

TEST(JsonText, ValidUtf8StaysAndInvalidBytesAreReplaced)
{
    EXPECT_EQ(Utf8("F 2.8 \xC3\xA9 \xE5\x85\x89 \xF0\x9F\x93\xB7"), "F 2.8 \xC3\xA9 \xE5\x85\x89 \xF0\x9F\x93\xB7");
    EXPECT_EQ(Utf8("a\xC3"), std::string("a") + Replacement);
    EXPECT_EQ(Utf8("\xC0\x80"), std::string(Replacement) + Replacement);  // overlong
    EXPECT_EQ(Utf8("\xED\xA0\x80"), std::string(Replacement) + Replacement + Replacement);  // surrogate
    EXPECT_EQ(Utf8("\xF4\x90\x80\x80x").size(), 4 * 3 + 1u);  // above U+10FFFF
    EXPECT_EQ(Utf8("\xE5\x85z"), std::string(Replacement) + Replacement + "z");
}

AddressOutcome OutcomeWithSlots()
{
    AddressOutcome outcome;
    outcome.messageId = MessageOk;
    strcpy(outcome.message, "ok");
    strcpy(outcome.slots[SlotMake], "Canon");
    strcpy(outcome.slots[SlotUserComment], "\xCF\xE0\xBB\xFA");  // "相机"
    return outcome;
}

TEST(JsonOutcome, ObjectHasItsKeysInOrderAndFortyOneSlots)
{
    std::string emptyStrings;
    for (int i = 0; i < 38; ++i)
        emptyStrings += "\"\", ";
    const std::string expected = "{\"address\": \"a.jpg\", \"address_hex\": \"612e6a7067\", \"message_id\": 305, \"message\": \"ok\", "
                                 "\"slots\": [\"\", \"Canon\", " + emptyStrings + "\"\xE7\x9B\xB8\xE6\x9C\xBA\"], "
                                 "\"slots_hex\": [\"\", \"43616e6f6e\", " + emptyStrings + "\"cfe0bbfa\"]}";
    EXPECT_EQ(JsonLine("a.jpg", OutcomeWithSlots()), expected);
}

TEST(JsonOutcome, InvalidCodePage936BytesBecomeReplacementCharacters)
{
    AddressOutcome outcome = OutcomeWithSlots();
    strcpy(outcome.slots[SlotModel], "A\x81");
    const std::string line = JsonLine("a.jpg", outcome);
    EXPECT_NE(line.find(std::string("\"Canon\", \"A") + Replacement + "\""), std::string::npos) << line;
    EXPECT_NE(line.find("\"43616e6f6e\", \"4181\""), std::string::npos) << line;
}

TEST(JsonOutcome, UnterminatedSlotIsCutAt63Bytes)
{
    AddressOutcome outcome = OutcomeWithSlots();
    memset(outcome.slots[SlotDescription], 'd', SlotSize);
    const std::string line = JsonLine("a.jpg", outcome);
    EXPECT_NE(line.find("[\"" + std::string(63, 'd') + "\", \"Canon\""), std::string::npos) << line;
    EXPECT_NE(line.find("[\"" + Hex(std::string(63, 'd')) + "\", \"43616e6f6e\""), std::string::npos);
}

TEST(JsonOutcome, AddressAndSlotTextsAreEscaped)
{
    AddressOutcome outcome = OutcomeWithSlots();
    strcpy(outcome.slots[SlotMake], "say \"hi\"\t");
    const std::string line = JsonLine("C:\\a\"b.jpg", outcome);
    EXPECT_EQ(line.rfind(R"({"address": "C:\\a\"b.jpg", "address_hex": "433a5c6122622e6a7067", )", 0), 0u) << line;
    EXPECT_NE(line.find(R"("say \"hi\"\u0009")"), std::string::npos) << line;
}

TEST(CsvText, FieldsAreQuotedOnlyWhenTheyMustBe)
{
    const struct {
        const char* text;
        const char* field;
    } cases[] = {
        {"Canon", "Canon"},
        {"", ""},
        {" F 2.8 ", " F 2.8 "},
        {"\xE7\x9B\xB8\xE6\x9C\xBA 'x';", "\xE7\x9B\xB8\xE6\x9C\xBA 'x';"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"line\nbreak", "\"line\nbreak\""},
        {"cr\r", "\"cr\r\""},
        // What a spreadsheet would run as a formula is kept as text behind a quote.
        {"=HYPERLINK(\"http://x\",\"Canon\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"Canon\"\")\""},
        {"+1", "'+1"},
        {"-0.3 EV", "'-0.3 EV"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\tx", "'\tx"},
        {"\r\n", "\"'\r\n\""},
        {"a=b-c", "a=b-c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CsvFieldOf(c.text), c.field) << c.text;
}

TEST(CsvText, HeaderNamesEachSlotByItsListLabelWithoutTrailingBlanks)
{
    const std::string header = CsvHeader(DefaultPlatform().loadText, nullptr);
    EXPECT_EQ(header.rfind("address,message_id,照片描述,相机厂商,相机型号,软件,修改时间,摄影者,版权,Exif 版本,", 0), 0u)
        << header;
    EXPECT_NE(header.find(",慢同步*,焦距,35mm 焦距,数字变焦,对焦模式,"), std::string::npos) << header;
    const std::string tail = ",宏处理,画质,连拍模式,抖动警告,对焦警告,曝光警告,声音记录,用户说明";
    ASSERT_GT(header.size(), tail.size());
    EXPECT_EQ(header.substr(header.size() - tail.size()), tail);
    EXPECT_EQ(std::count(header.begin(), header.end(), ','), 2 + SlotCount - 1);
}

TEST(CsvText, LineHoldsAddressMessageIdAndTheFortyOneSlotsInUtf8)
{
    AddressOutcome outcome = OutcomeWithSlots();
    strcpy(outcome.slots[SlotModel], "EOS, \"40D\"");
    EXPECT_EQ(CsvLineOf("C:\\a,b.jpg", outcome),
              "\"C:\\a,b.jpg\",305,,Canon,\"EOS, \"\"40D\"\"\"" + std::string(37, ',') + ",\xE7\x9B\xB8\xE6\x9C\xBA");
}

TEST(CsvText, PictureNotReadHasItsMessageIdAndEmptySlots)
{
    AddressOutcome outcome = OutcomeWithSlots();  // what the reader had filled in before it failed
    outcome.messageId = MessageBadData;
    EXPECT_EQ(CsvLineOf("a.jpg", outcome), "a.jpg,304" + std::string(SlotCount, ','));
}

TEST(FolderWalk, PicturesAreKnownByTheirExtensionInAnyCase)
{
    const struct {
        const char* name;
        bool isJpeg;
    } cases[] = {
        {"a.jpg", true},       {"A.JPG", true},  {"b.Jpeg", true}, {"c.jpe", true},     {"d.JFIF", true},
        {"x.y.jpg", true},     {".jpg", true},   {"e.jpg.txt", false}, {"f.gif", false}, {"jpg", false},
        {"g.jp", false},       {"h.jpgx", false}, {"i.", false},   {"j.jfi", false},    {"k_jpg", false},
        {"l.HEIC", true},      {"m.heif", true}, {"n.hif", true},  {"o.avif", true},    {"p.Tif", true},
        {"q.tiff", true},      {"r.DNG", true},  {"s.png", true},  {"t.webp", true},    {"u.heics", false},
        {"v.CR2", true},       {"w.cr3", true},  {"x.nef", true},  {"y.NRW", true},     {"z.arw", true},
        {"a.sr2", true},       {"b.srf", true},  {"c.RAF", true},  {"d.orf", true},     {"e.rw2", true},
        {"f.Rwl", true},       {"g.pef", true},  {"h.srw", true},  {"i.3FR", true},     {"j.erf", true},
        {"k.mef", true},       {"l.mos", true},  {"m.iiq", true},  {"n.kdc", true},     {"o.dcr", true},
        {"p.MRW", true},       {"q.crw", false}, {"r.rw", false},  {"s.cr", false},     {"t.3f", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPictureName(c.name), c.isJpeg) << c.name;
}

// Whatever the threads and the window, results arrive in index order, each made once, and a
// stop ends the run at that item.
TEST(OrderedRun, ResultsArriveInOrderAndAStopEndsTheRun)
{
    const struct {
        size_t count;
        unsigned threads;
        size_t window;
        size_t stopAt;  // count: no stop
        size_t batch;
    } cases[] = {{0, 4, 8, 0, 16},        {1, 4, 8, 1, 16},        {1000, 1, 1, 1000, 16}, {1000, 3, 1, 1000, 16},
                 {1000, 8, 16, 1000, 16}, {1000, 8, 16, 10, 16},   {50, 16, 4, 0, 16},     {1000, 64, 1, 1000, 1},
                 {7, 64, 1, 3, 1},        {1000, 5, 100, 1000, 3}};
    for (const auto& c : cases) {
        std::vector<size_t> seen;
        std::atomic<size_t> produced{0};
        const bool isWhole = RunInOrder<size_t>(
            c.count, c.threads, c.window, c.batch,
            [&](size_t index, size_t& slot) {
                slot = index * 7;
                ++produced;
            },
            [&](size_t index, size_t& slot) {
                seen.push_back(slot / 7);
                return index != c.stopAt;
            });
        const size_t expected = c.stopAt < c.count ? c.stopAt + 1 : c.count;
        EXPECT_EQ(isWhole, c.stopAt >= c.count) << c.count << " " << c.threads;
        ASSERT_EQ(seen.size(), expected) << c.count << " " << c.threads;
        for (size_t i = 0; i < seen.size(); ++i)
            ASSERT_EQ(seen[i], i);
        const size_t window = c.threads > 1 ? OrderedRunWindow(c.window, c.threads, c.batch) : 0;
        EXPECT_LE(produced.load(), expected + window) << "no more than the window ahead";
    }
}

TEST(PlainRows, RowsAreLabelTabTextInUtf8)
{
    AddressOutcome outcome;
    outcome.rowCount = 2;
    outcome.rows[0] = {SlotMake, "\xCF\xE0\xBB\xFA\xB3\xA7\xC9\xCC", "Canon"};
    outcome.rows[1] = {SlotSoftware, "\xC8\xED\xBC\xFE    ", "x"};
    EXPECT_EQ(RowsOf(outcome), "相机厂商\tCanon\n软件    \tx\n");
}

TEST(LocalAddress, DialogFormOfAPathIsAbsoluteWithBackslashesAndDecodesNothing)
{
    const struct {
        const char* path;
        const char* currentDirectory;
        PathStyle style;
        const char* shown;
    } cases[] = {
        {"/home/u/a.jpg", "/tmp", PathStyle::Posix, "home\\u\\a.jpg"},
        {"a.jpg", "/home/u", PathStyle::Posix, "home\\u\\a.jpg"},
        {"d/a.jpg", "/", PathStyle::Posix, "d\\a.jpg"},
        {"/home/u/my  a%20b%.jpg", "/", PathStyle::Posix, "home\\u\\my  a%20b%.jpg"},  // the name, undecoded
        {"sub\\x.jpg", "/w", PathStyle::Posix, "w\\sub\\x.jpg"},
        {"C:/d/a.jpg", "E:\\w", PathStyle::Windows, "C:\\d\\a.jpg"},
        {"a b.jpg", "C:\\my d", PathStyle::Windows, "C:\\my d\\a b.jpg"},
        {"x\\a.jpg", "C:\\d", PathStyle::Windows, "C:\\d\\x\\a.jpg"},
        {"\\x\\a.jpg", "D:\\w", PathStyle::Windows, "D:\\x\\a.jpg"},
        {"d:a.jpg", "D:\\w", PathStyle::Windows, "D:\\w\\a.jpg"},
        {"E:a.jpg", "D:\\w", PathStyle::Windows, "E:\\a.jpg"},
        {"\\\\srv\\share\\a.jpg", "C:\\", PathStyle::Windows, "\\\\srv\\share\\a.jpg"},
        // 0x95 0x5C and 0x95 0x2F are characters whose second byte happens to be a separator.
        {"C:\\\x95\x5C\\\x95/.jpg", "C:\\", PathStyle::Windows, "C:\\\x95\x5C\\\x95/.jpg"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DialogFormOfPath(c.path, c.currentDirectory, c.style), c.shown) << c.path;
}

TEST(LocalAddress, UrlsOfAnySchemeAreRecognised)
{
    EXPECT_TRUE(LooksLikeUrl("https://example.com/a.jpg"));
    EXPECT_TRUE(LooksLikeUrl("xyz://"));
    EXPECT_TRUE(LooksLikeUrl("file://host/a.jpg"));
    EXPECT_TRUE(LooksLikeUrl("svn+ssh://h/x"));
    EXPECT_FALSE(LooksLikeUrl("C://d/a.jpg"));  // a drive letter, not a scheme
    EXPECT_FALSE(LooksLikeUrl("1ab://x"));
    EXPECT_FALSE(LooksLikeUrl("a.jpg"));
    EXPECT_FALSE(LooksLikeUrl("mailto:x@example.com"));
    EXPECT_FALSE(LooksLikeUrl("dir/x://y"));
}

TEST(LocalAddress, OnlyUrlsAreAddressesAndEveryOtherArgumentIsAPath)
{
    for (const char* address : {"https://example.com/a b.jpg", "http://h/a.jpg", "ftp://h/a.jpg", "gopher://h/a.jpg",
                                "file:///x/a b.jpg", "xyz://"})
        EXPECT_TRUE(IsAddressArgument(address)) << address;
    for (const char* path : {"a%20b.jpg", "sub\\x.jpg", "file:/a.jpg", "C://d/a.jpg", "dir/x://y", ""})
        EXPECT_FALSE(IsAddressArgument(path)) << path;
}

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun RunWith(std::initializer_list<const char*> arguments)
{
    std::vector<const char*> list(arguments);
    std::ostringstream out, err;
    const int status = RunOrvane(static_cast<int>(list.size()), list.data(), out, err);
    return {status, out.str(), err.str()};
}

TEST(CommandLine, NoAddressIsUsageError)
{
    const CommandRun run = RunWith({});
    EXPECT_EQ(run.status, ExitUsage);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("usage: orvane [--json | --csv] [-j N] [--quiet] ADDRESS..."), std::string::npos) << run.err;
    EXPECT_EQ(RunWith({"--json"}).status, ExitUsage);
}

TEST(CommandLine, UnknownOptionIsUsageError)
{
    for (const char* option : {"-x", "--jsonx", "--HELP"}) {
        const CommandRun run = RunWith({option, "a.jpg"});
        EXPECT_EQ(run.status, ExitUsage) << option;
        EXPECT_EQ(run.out, "") << option;
        EXPECT_NE(run.err.find(std::string("unknown option ") + option), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("usage: orvane"), std::string::npos) << run.err;
    }
}

TEST(CommandLine, OptionsThatDoNotGoTogetherAreUsageErrors)
{
    const std::initializer_list<const char*> cases[] = {
        {"--csv", "--json", "a.jpg"},
        {"--json", "--csv", "a.jpg"},
        {"--csv", "--save", "out.txt", "a.jpg"},
        {"--csv", "--copy", "all", "a.jpg"},
        {"-r", "--save", "out.txt", "a.jpg"},
        {"--recursive", "--copy", "rows", "a.jpg"},
    };
    for (const auto& arguments : cases) {
        const CommandRun run = RunWith(arguments);
        EXPECT_EQ(run.status, ExitUsage) << *arguments.begin();
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("orvane: --", 0), 0u) << run.err;
        EXPECT_NE(run.err.find("usage: orvane"), std::string::npos) << run.err;
    }
}

TEST(CommandLine, HelpPrintsUsageOnStandardOutput)
{
    const CommandRun run = RunWith({"--help"});
    EXPECT_EQ(run.status, ExitAllRead);
    EXPECT_EQ(run.out.rfind("usage: orvane [--json | --csv] [-j N] [--quiet] ADDRESS...\n", 0), 0u) << run.out;
    EXPECT_EQ(run.err, "");
}

TEST(CommandLine, VersionPrintsNameAndNumber)
{
    const CommandRun run = RunWith({"--version"});
    EXPECT_EQ(run.status, ExitAllRead);
    EXPECT_EQ(run.out, "orvane 1.3\n");  // as the module's version record says
}

TEST(CommandLine, RefusedAddressExitsWithOneAndReportsMessage300)
{
    const CommandRun run = RunWith({"--json", "sftp://example.com/a.jpg"});
    EXPECT_EQ(run.status, ExitSomeNotRead);
    const std::string message = FindText(MessageBadAddress);
    EXPECT_EQ(run.out.rfind("{\"address\": \"sftp://example.com/a.jpg\", \"address_hex\": \"736674703a2f2f6578616d706c652e636f6d2f612e6a7067\", \"message_id\": 300, \"message\": \"" +
                                message + "\", \"slots\": [\"\", ",
                            0),
              0u)
        << run.out;
    EXPECT_EQ(run.out.back(), '\n');
    EXPECT_EQ(run.err, "sftp://example.com/a.jpg: " + message + "\n");
}

TEST(CommandLine, PlainFailurePrintsOnlyToStandardError)
{
    const CommandRun run = RunWith({"xyz://h/a.jpg"});
    EXPECT_EQ(run.status, ExitSomeNotRead);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "xyz://h/a.jpg: " + std::string(FindText(MessageBadAddress)) + "\n");
}

TEST(CommandLine, DoubleDashEndsOptions)
{
    const CommandRun run = RunWith({"--", "--json"});
    EXPECT_EQ(run.status, ExitSomeNotRead);  // a file named "--json" that isn't there
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("--json: ", 0), 0u) << run.err;
}

}  // namespace
