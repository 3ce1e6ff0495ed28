// What reaches a terminal: a photo's text and a file's name show their control characters as
// \xHH, and the progress line stays within the terminal's width and off the lists' lines.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "exif/tag_table.h"
#include "resources/text_table.h"
#include "support/exif_builder.h"
#include "support/program_run.h"

namespace {

TEST(TerminalText, ControlCharactersOfTextsAndNamesAreShownAsHex)
{
    const struct {
        const char* name;  // a file that holds the description, or none when missing
        const char* description;
        const char* shownName;
        const char* shownText;
    } cases[] = {
        {"new\nline.jpg", "\x1B]0;title\x07\x1B[2J\r\nfake\tline\x7F", "new\\x0Aline.jpg",
         "\\x1B]0;title\\x07\\x1B[2J\\x0D\\x0Afake\\x09line\\x7F"},
        {"csi\xC2\x9B" "2J\xC2\xA0.jpg", "\x01\x1F !~", "csi\\x9B2J\xC2\xA0.jpg", "\\x01\\x1F !~"},
        {"plain.jpg", "\xB9\xE2\xC8\xA6 F 2.8", "plain.jpg", "\xE5\x85\x89\xE5\x9C\x88 F 2.8"},  // not touched
        {nullptr, nullptr, "gone\\x1B[2J.jpg", nullptr},
    };
    TemporaryFolder folder;
    std::vector<std::string> paths;
    std::string expectedOut, expectedErr;
    for (const auto& c : cases) {
        if (!c.name) {
            paths.push_back(folder.path + "/gone\x1B[2J.jpg");
            expectedErr += folder.path + "/" + c.shownName + ": " + FindText(MessageCannotRead) + "\n";
            continue;
        }
        TiffBuilder tiff(Order::Little);
        tiff.ifd0.Ascii(TagImageDescription, c.description);
        const Bytes picture = Jpeg({ExifSegment(tiff.Build())});
        paths.push_back(folder.path + "/" + c.name);
        std::ofstream(paths.back(), std::ios::binary).write(reinterpret_cast<const char*>(picture.data()),
                                                            static_cast<std::streamsize>(picture.size()));
        expectedOut += "== " + folder.path + "/" + c.shownName + "\n" + FindText(TextSlotLabelBase + SlotDescription) +
                       "\t" + c.shownText + "\n";
    }
    std::vector<const char*> arguments;
    for (const std::string& path : paths)
        arguments.push_back(path.c_str());
    std::ostringstream out, err;
    EXPECT_EQ(RunOrvane(static_cast<int>(arguments.size()), arguments.data(), out, err), ExitSomeNotRead);
    EXPECT_EQ(out.str(), expectedOut);
    EXPECT_EQ(err.str(), expectedErr);
}

// A folder of more files than a progress line waits for, each a link to one sample.
void FillWithPictures(const std::string& folder, int count)
{
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(link(ORVANE_SAMPLES_DIR "/Canon_40D.jpg", (folder + "/" + std::to_string(i) + ".jpg").c_str()), 0);
}

// The lines a terminal shows: a CR returns to the start of the line, and what follows writes over it.
std::vector<std::string> ScreenLines(const std::string& text)
{
    std::vector<std::string> lines(1);
    size_t column = 0;
    for (char c : text) {
        if (c == '\n') {
            lines.emplace_back();
            column = 0;
        } else if (c == '\r') {
            column = 0;
        } else {
            std::string& line = lines.back();
            if (column < line.size())
                line[column] = c;
            else
                line += c;
            ++column;
        }
    }
    return lines;
}

TEST(TerminalText, ProgressLineIsClearedBeforeEachListOnTheSameTerminal)
{
    TemporaryFolder folder;
    FillWithPictures(folder.path, ProgressLine::ShownFrom + 10);
    std::ostringstream screen;  // standard output and standard error on one terminal
    Terminals terminals;
    terminals.isOutTerminal = terminals.isErrTerminal = true;
    terminals.progressInterval = std::chrono::milliseconds(0);  // a line after every file
    const char* arguments[] = {"-j", "1", "-r", folder.path.c_str()};
    EXPECT_EQ(RunOrvane(4, arguments, screen, screen, terminals), ExitAllRead);
    EXPECT_NE(screen.str().find(" files/s"), std::string::npos) << "the line was drawn";
    const std::vector<std::string> lines = ScreenLines(screen.str());
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& line) { return line.rfind("== ", 0) == 0; }),
              static_cast<long>(ProgressLine::ShownFrom + 10));
    for (const std::string& line : lines)
        ASSERT_EQ(line.find("files/s"), std::string::npos) << line;
}

// A list read as it comes has no total to show: the line counts the files done alone.
TEST(TerminalText, ProgressLineOfAListCountsTheFilesDone)
{
    TemporaryFolder folder;
    FillWithPictures(folder.path, ProgressLine::ShownFrom + 10);
    const std::string list = folder.path + ".list";
    std::ofstream(list) << folder.path << "\n";
    std::ostringstream err;
    Terminals terminals;
    terminals.isErrTerminal = true;
    terminals.progressInterval = std::chrono::milliseconds(0);
    const char* arguments[] = {"--csv", "-r", "--from", list.c_str()};
    std::ostringstream out;
    EXPECT_EQ(RunOrvane(4, arguments, out, err, terminals), ExitAllRead);
    std::remove(list.c_str());
    EXPECT_NE(err.str().find("\r310 files, "), std::string::npos) << err.str().substr(0, 200);
}

// script(1) gives the program a terminal of 20 columns for standard error.
TEST(TerminalText, ProgressLineKeepsWithinTheTerminalsWidth)
{
    TemporaryFolder folder;
    FillWithPictures(folder.path, ProgressLine::ShownFrom + 10);
    const std::string command = "stty cols 20; " + ShellQuoted(ORVANE_CLI_PATH) + " --csv -r " + ShellQuoted(folder.path) + " >/dev/null";
    const ProgramRun run = RunProgramIn("script", "/", "-qec " + ShellQuoted(command) + " /dev/null");
    EXPECT_NE(run.out.find("310/310 "), std::string::npos) << run.out;
    std::istringstream pieces(run.out);
    for (std::string piece; std::getline(pieces, piece, '\r');)
        EXPECT_LE(piece.size(), 19u) << piece;
}

}  // namespace

#endif
