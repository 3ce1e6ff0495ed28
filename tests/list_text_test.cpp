// The texts the properties dialog composes, and `orvane --copy/--save` giving the same bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/dialog_output.h"
#include "cli/local_address.h"
#include "cli/read_address.h"
#include "ui/list_text.h"
#include "view/default_platform.h"

namespace {

ListRow Row(const char* label, const char* text, bool isSelected)
{
    ListRow row{};
    strcpy(row.label, label);
    strcpy(row.text, text);
    row.isSelected = isSelected;
    return row;
}

// "相机厂商" and "光圈    " in code page 936, as the string table gives them.
const char MakeLabel[] = "\xCF\xE0\xBB\xFA\xB3\xA7\xC9\xCC";
const char ApertureLabel[] = "\xB9\xE2\xC8\xA6    ";

TEST(ClipboardText, EachFormTakesItsRowsAndColumns)
{
    const std::vector<ListRow> rows = {Row(MakeLabel, "Canon", false), Row(ApertureLabel, "F 2.8", true),
                                       Row("c", " x", true)};
    struct Case {
        CopyForm form;
        std::string expected;
    } cases[] = {
        {CopyForm::SelectedRows, std::string(ApertureLabel) + "\tF 2.8\r\nc\t x\r\n"},
        {CopyForm::SelectedValues, "F 2.8\r\n x\r\n"},
        {CopyForm::AllRows, std::string(MakeLabel) + "\tCanon\r\n" + ApertureLabel + "\tF 2.8\r\nc\t x\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ClipboardText(c.form, rows), c.expected) << static_cast<int>(c.form);
    EXPECT_EQ(ClipboardText(CopyForm::SelectedRows, {Row("a", "b", false)}), "");
}

TEST(ClipboardText, FortyOneFullRowsAreNotCut)
{
    const std::string label(63, 'L'), text(63, 'T');
    const std::vector<ListRow> rows(41, Row(label.c_str(), text.c_str(), true));
    EXPECT_EQ(ClipboardText(CopyForm::AllRows, rows).size(), 41u * (63 + 1 + 63 + 2));
    EXPECT_EQ(ClipboardText(CopyForm::SelectedValues, rows).size(), 41u * (63 + 2));
}

TEST(SavedFile, AddressEmptyLineThenEveryRowLine)
{
    const std::vector<ListRow> rows = {Row(MakeLabel, "Canon", false), Row(ApertureLabel, "F 2.8", false)};
    EXPECT_EQ(SavedFileBytes("C:\\My Photos\\a.jpg", rows),
              std::string("C:\\My Photos\\a.jpg\r\n\r\n") + MakeLabel + "\tCanon\r\n" + ApertureLabel + "\tF 2.8\r\n");
    const std::string longAddress(300, 'a');
    EXPECT_EQ(SavedFileBytes(longAddress.c_str(), {}), longAddress.substr(0, 259) + "\r\n\r\n");
}

TEST(SavedFile, FortyOneFullRowsFillTheCapacitiesExactlyAndACutIsMeasured)
{
    const std::string label(63, 'L'), text(63, 'T'), address(259, 'a');
    const std::vector<ListRow> rows(SlotCount, Row(label.c_str(), text.c_str(), true));
    EXPECT_EQ(SavedFileBytes(address.c_str(), rows).size() + 1, SavedFileCapacity);
    EXPECT_EQ(ClipboardText(CopyForm::AllRows, rows).size() + 1, ClipboardCapacity);
    char buffer[11];
    memset(buffer, 0x55, sizeof buffer);
    EXPECT_EQ(ComposeClipboardText(CopyForm::SelectedValues, rows.data(), 1, buffer, 10), 65u);
    EXPECT_EQ(std::string(buffer, 11), std::string(9, 'T') + '\0' + '\x55');
}

std::string NameFor(const char* address)
{
    char name[AddressSize];
    memset(name, 0x55, sizeof name);
    DefaultFileName(address, name);
    return name;
}

TEST(DefaultFileName, WindowIsLastSixteenBytesLessLastFour)
{
    const struct {
        const char* address;
        const char* name;
    } cases[] = {
        {"http://h/photos/DSCF0001.JPG", "DSCF0001"},
        {"http://h/IMG_20030228_123456.jpg", "30228_123456"},
        {"http://host.example/x/pic.jpeg", "pic."},
        {"http://host.example/x/dir/", ""},
        {"D:\\DCIM\\101PHOTO\\P1010001.JPG", "P1010001"},
        {"ftp://h/abcdefghijklmnopq", "bcdefghijklm"},
        {"http://h/0123456789/x.jpg", "x"},         // the window's last separator counts
        {"http://h/0123456789ab\\/.jpg", ""},
        {"http://h/0123456789abcdef/", "123456789abc"},  // a separator among the last 4 plays no part
        {"C:\\a.jpg", "a"},                          // short: the window starts at the first byte
        {"abcdefghijklmno", "abcdefghijk"},
        {"a.jp", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameFor(c.address), c.name) << c.address;
}

TEST(DefaultFileName, WholeCharactersOfCodePage936)
{
    // "\xD5\xD5" is one character; "\xC6\x5C" one whose trail byte is 0x5C, the backslash.
    const struct {
        const char* address;
        const char* name;
    } cases[] = {
        {"C:\\\xD5\xD5\xD5\xD5\xD5\xD5\xD5\xD5\xD5\xD5\xD5\xD5" "b.jpg", "\xD5\xD5\xD5\xD5\xD5\xD5\xD5\xD5\xD5\xD5" "b"},  // window starts on a trail byte
        {"C:\\x\xC6\x5C" "0123456789.jpg", "\xC6\x5C" "0123456789"},
        {"C:\\\xC6\x5C\xC6\x5C\xC6\x5C\xC6\x5C\xC6\x5C\xC6\x5C.jpg", "\xC6\x5C\xC6\x5C\xC6\x5C\xC6\x5C\xC6\x5C\xC6\x5C"},
        {"C:\\\xD5\xD5\\0123456789\xD5\xD5jpg", "0123456789"},  // a character cut by the window's end
        {"C:\\\xD5\xD5\xD5\xD5\\DSCF0001.JPG", "DSCF0001"},
        {"\xD5\xD5\xD5.jpg", "\xD5\xD5"},  // short: the lead byte paired with the '.' goes
    };
    for (const auto& c : cases)
        EXPECT_EQ(NameFor(c.address), c.name) << c.address;
}

TEST(CharacterCut, AddressAndCaptionNeverSplitADoubleByteCharacter)
{
    // "光" is B9 E2: after two ASCII bytes the lead bytes stand at even positions, so a cut
    // after byte 259 would split one.
    std::string chinese = "xx";
    for (int i = 0; i < 200; ++i)
        chinese += "\xB9\xE2";
    const struct {
        std::string text;
        size_t addressLength;
    } addresses[] = {
        {std::string(300, 'a'), 259}, {std::string(259, 'a'), 259}, {chinese, 258},
        {chinese.substr(0, 259), 259},  // a text ending in half a character is not cut {"\xB9", 1}, {"", 0},
    };
    for (const auto& c : addresses) {
        char address[AddressSize];
        memset(address, 0x7F, sizeof address);
        CopyAddress(address, c.text.c_str());
        EXPECT_EQ(strnlen(address, sizeof address), c.addressLength) << c.text.size();
        EXPECT_EQ(memcmp(address, c.text.data(), c.addressLength), 0);
    }

    const char caption[] = "Exif \xCA\xF4\xD0\xD4";  // "Exif 属性": 9 bytes, then " - "
    const struct {
        std::string address;
        std::string expected;
    } captions[] = {
        {std::string(51, 'a'), std::string(caption) + " - " + std::string(51, 'a')},
        {std::string(52, 'a'), std::string(caption) + " - " + std::string(51, 'a')},
        {std::string(50, 'a') + "\xB9\xE2", std::string(caption) + " - " + std::string(50, 'a')},
        {std::string(49, 'a') + "\xB9\xE2", std::string(caption) + " - " + std::string(49, 'a') + "\xB9\xE2"},
    };
    for (const auto& c : captions) {
        char composed[CaptionSize];
        ComposeCaption(composed, caption, c.address.c_str());
        EXPECT_EQ(composed, c.expected) << c.address;
    }
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

int RunCommand(const std::vector<const char*>& arguments, std::string& out)
{
    std::ostringstream outStream, errStream;
    const int status = RunOrvane(static_cast<int>(arguments.size()), arguments.data(), outStream, errStream);
    out = outStream.str();
    return status;
}

TEST(DialogOutput, CopyAndSaveGiveTheDialogTextsOfTheSample)
{
    const std::string sample = std::string(ORVANE_SAMPLES_DIR) + "/Canon_40D.jpg";
    AddressOutcome outcome;
    ReadArgumentInto(outcome, sample, nullptr, true);
    ASSERT_GT(outcome.rowCount, 10);
    const std::vector<ListRow> rows = ListRowsOf(outcome.rows, outcome.rowCount, true);

    const struct {
        const char* form;
        CopyForm copyForm;
    } forms[] = {{"all", CopyForm::AllRows}, {"rows", CopyForm::SelectedRows}, {"info", CopyForm::SelectedValues}};
    for (const auto& f : forms) {
        std::string out;
        EXPECT_EQ(RunCommand({"--copy", f.form, sample.c_str()}, out), ExitAllRead);
        EXPECT_EQ(out, ClipboardText(f.copyForm, rows)) << f.form;
    }

    const std::string path = ::testing::TempDir() + "orvane_saved.txt";
    std::string out;
    EXPECT_EQ(RunCommand({"--save", path.c_str(), sample.c_str()}, out), ExitAllRead);
    const std::string saved = ReadWholeFile(path);
    std::remove(path.c_str());
    EXPECT_EQ(saved, SavedFileBytes(outcome.dialogAddress, rows));
    EXPECT_EQ(saved.rfind(std::string(outcome.dialogAddress) + "\r\n\r\n", 0), 0u);
    EXPECT_EQ(saved.substr(saved.size() - 2), "\r\n");
}

TEST(DialogOutput, WrongUseIsAUsageError)
{
    const std::vector<std::vector<const char*>> cases = {
        {"--copy", "some", "a.jpg"}, {"--copy"}, {"--save"}, {"--save", "f.txt", "a.jpg", "b.jpg"},
        {"--json", "--copy", "all", "a.jpg"},
    };
    for (const auto& arguments : cases) {
        std::string out;
        EXPECT_EQ(RunCommand(arguments, out), ExitUsage) << arguments[0] << " " << arguments.size();
    }
}

}  // namespace
