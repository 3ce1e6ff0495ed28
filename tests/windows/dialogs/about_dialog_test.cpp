// The about box over the properties dialog: links handed to the shell (recorded by handlers
// registered in this Wine prefix), blue centred link text, the cursor rule, and how it closes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "dialog_driver.h"
#include "picture.h"
#include "ui/resource_ids.h"

namespace {

std::string ProgramDirectory()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory = path;
    return directory.substr(0, directory.find_last_of('\\') + 1);
}

void SetOpenCommand(const char* scheme, const std::string& command)
{
    const std::string key = std::string("Software\\Classes\\") + scheme + "\\shell\\open\\command";
    HKEY handle = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
    RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(handle);
}

// The mail and web programs of this prefix become the recorder, which appends what it was
// handed and its show command to the file named by ORVANE_LINK_LOG.
std::string RegisterLinkRecorder()
{
    const std::string command = "\"" + ProgramDirectory() + "orvane_link_recorder.exe\" \"%1\"";
    for (const char* scheme : {"mailto", "http"})
        SetOpenCommand(scheme, command);
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::string log = std::string(directory) + "orvane_links.log";
    SetEnvironmentVariableA("ORVANE_LINK_LOG", log.c_str());
    return log;
}

std::string WaitForLine(const std::string& log)
{
    for (int i = 0; i < 1000; ++i) {
        const std::string text = ReadWholeFile(log);
        if (!text.empty() && text.back() == '\n')
            return text;
        Sleep(10);
    }
    return "<nothing recorded>";
}

HCURSOR CursorAt(POINT screen)
{
    MovePointer(screen);
    CURSORINFO info = {};
    info.cbSize = sizeof info;
    GetCursorInfo(&info);
    return info.hCursor;
}

RECT RectOf(HWND window)
{
    RECT area = {};
    GetWindowRect(window, &area);
    return area;
}

// The pure blue pixels of a link, and whether their middle is the control's middle.
struct BlueText {
    int count = 0;
    bool isCentred = false;
};

BlueText BlueTextOf(HWND control)
{
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    Sleep(100);
    const RECT area = RectOf(control);
    HDC screen = GetDC(nullptr);
    BlueText text;
    RECT found = {area.right, area.bottom, area.left, area.top};
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            if (GetPixel(screen, x, y) != RGB(0, 0, 255))
                continue;
            ++text.count;
            found = {std::min(found.left, x), std::min(found.top, y), std::max(found.right, x), std::max(found.bottom, y)};
        }
    }
    ReleaseDC(nullptr, screen);
    const LONG offsetX = (found.left + found.right) - (area.left + area.right - 1);
    const LONG offsetY = (found.top + found.bottom) - (area.top + area.bottom - 1);
    text.isCentred = text.count > 0 && std::abs(offsetX) <= 4 && std::abs(offsetY) <= 6;
    return text;
}

TEST(AboutDialog, LinksCursorsAndWaysToClose)
{
    const std::string log = RegisterLinkRecorder();
    const Picture picture(SampleAddress("Canon_40D.jpg"), {{SlotMake, "Canon"}});
    HINSTANCE module = GetModuleHandleA(nullptr);
    const HCURSOR hand = LoadCursorA(module, MAKEINTRESOURCEA(IDC_HAND_CURSOR));
    const HCURSOR arrow = LoadCursorA(module, MAKEINTRESOURCEA(IDC_ARROW_CURSOR));
    PropertiesDialog dialog;
    picture.Fill(dialog);
    RunDriven([&] { return dialog.DoModal(nullptr); }, [&](DWORD thread) {
        HWND window = WaitForWindow([&] { return FindThreadWindow(thread, "#32770"); });
        ASSERT_NE(window, nullptr);
        auto openAbout = [&] {
            PostMessageA(window, WM_COMMAND, ID_ABOUT, 0);
            return WaitForWindow([&] { return FindThreadWindow(thread, "#32770", TemplateCaption(IDD_ABOUT).c_str()); });
        };
        HWND about = openAbout();
        ASSERT_NE(about, nullptr);
        // Owned by the window active at the command. (Reopened right after a close, Wine
        // sometimes has no active window yet, so only this first opening is checked.)
        EXPECT_EQ(GetWindow(about, GW_OWNER), window);
        HWND email = GetDlgItem(about, IDC_EMAIL_LINK);
        HWND web = GetDlgItem(about, IDC_WEB_LINK);

        PostMessageA(GetDlgItem(about, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(WindowEnds(about, false)) << "Escape closed the about box";

        for (HWND link : {email, web}) {
            const BlueText text = BlueTextOf(link);
            EXPECT_GT(text.count, 10) << GetDlgCtrlID(link);
            EXPECT_TRUE(text.isCentred) << GetDlgCtrlID(link);
        }

        const RECT mail = RectOf(email), page = RectOf(web), box = RectOf(about);
        const struct {
            POINT point;
            HCURSOR cursor;
            const char* where;
        } points[] = {
            {{(mail.left + mail.right) / 2, (mail.top + mail.bottom) / 2}, hand, "e-mail text"},
            {{mail.left, mail.top}, hand, "e-mail corner, beside the text"},
            {{page.right - 1, page.bottom - 1}, hand, "web corner"},
            {{mail.right, mail.top}, arrow, "right of the e-mail link"},
            {{page.left, page.bottom}, arrow, "below the web link"},
            {{box.left + 10, box.top + 8}, arrow, "caption"},
            {{box.left + 1, (box.top + box.bottom) / 2}, arrow, "border"},
        };
        for (const auto& p : points)
            EXPECT_EQ(CursorAt(p.point), p.cursor) << p.where;

        const struct {
            HWND link;
            std::string target;
            int show;
        } links[] = {{email, "mailto:" + WindowText(email), SW_SHOW}, {web, WindowText(web), SW_SHOWMAXIMIZED}};
        for (const auto& link : links) {
            DeleteFileA(log.c_str());
            SendMessageA(link.link, BM_CLICK, 0, 0);
            EXPECT_EQ(WaitForLine(log), link.target + " " + std::to_string(link.show) + "\n");
            EXPECT_TRUE(IsWindowVisible(about));
        }
        EXPECT_EQ(WindowText(email), "orvane@example.org");  // at most 56 bytes
        // No mail program or browser to be found: the click says so, and the box stays.
        for (const auto& link : links) {
            SetOpenCommand(link.link == email ? "mailto" : "http", "\"C:\\no\\such_program.exe\" \"%1\"");
            PostMessageA(link.link, BM_CLICK, 0, 0);
            EXPECT_THAT(FailureShown(thread, about), testing::StartsWith(FailureText(TextCannotOpenLink, 0)));
            EXPECT_TRUE(IsWindowVisible(about));
        }
        RegisterLinkRecorder();

        // The close box, Enter and the OK button end it; the properties dialog stays.
        PostMessageA(about, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_TRUE(WindowEnds(about));
        about = openAbout();
        ASSERT_NE(about, nullptr);
        PostMessageA(GetDlgItem(about, IDOK), WM_KEYDOWN, VK_RETURN, 0);
        EXPECT_TRUE(WindowEnds(about));
        about = openAbout();
        ASSERT_NE(about, nullptr);
        SendMessageA(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
        EXPECT_TRUE(WindowEnds(about));
        EXPECT_TRUE(IsWindowVisible(window));
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    DeleteFileA(log.c_str());
}

}  // namespace
