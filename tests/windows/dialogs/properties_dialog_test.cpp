// The properties dialog filled from a real photograph, driven from a second thread: its list,
// context menu, selection commands, clipboard texts and save-as, and Escape.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "cli/command_line.h"
#include "dialog_driver.h"
#include "picture.h"
#include "resources/text_ids.h"
#include "ui/resource_ids.h"

namespace {

const std::vector<UINT> MenuCommands = {ID_SELECT_ALL, ID_INVERT_SELECTION, ID_COPY, ID_COPY_INFO,
                                        ID_COPY_ALL,   ID_SAVE_AS,          ID_ABOUT};

std::string Selection(HWND list)
{
    std::string marks;
    for (const ListRow& row : ReadListView(list))
        marks += row.isSelected ? '1' : '0';
    return marks;
}

// What `orvane` prints or writes for these options and the picture's address.
std::string Orvane(std::vector<const char*> arguments, const std::string& address)
{
    arguments.push_back(address.c_str());
    std::ostringstream out, err;
    RunOrvane(static_cast<int>(arguments.size()), arguments.data(), out, err);
    return out.str();
}

HWND DialogOf(DWORD thread) { return WaitForWindow([&] { return FindThreadWindow(thread, "#32770"); }); }

POINT CentreOf(HWND window, RECT area)
{
    POINT point = {(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    ClientToScreen(window, &point);
    return point;
}

TEST(PropertiesDialog, SampleFillsTheListWithItsLookAndEscapeCancels)
{
    const Picture picture(SampleAddress("Canon_40D.jpg"));
    ASSERT_TRUE(picture.isRead);
    PropertiesDialog dialog;
    picture.Fill(dialog);
    const INT_PTR code = RunDriven([&] { return dialog.DoModal(nullptr); }, [&](DWORD thread) {
        HWND window = DialogOf(thread);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(dialog.window, window);
        EXPECT_EQ(WindowText(window), picture.ExpectedCaption());
        HWND list = GetDlgItem(window, IDC_INFO_LIST);
        EXPECT_EQ(dialog.list, list);
        const std::vector<ListRow> expected = picture.ExpectedRows();
        ASSERT_GT(expected.size(), 10u);
        EXPECT_EQ(ClipboardText(CopyForm::AllRows, ReadListView(list)), ClipboardText(CopyForm::AllRows, expected));
        EXPECT_EQ(Selection(list), std::string(expected.size(), '0'));

        EXPECT_EQ(SendMessageA(list, LVM_GETBKCOLOR, 0, 0), RGB(235, 235, 235));
        EXPECT_EQ(SendMessageA(list, LVM_GETTEXTBKCOLOR, 0, 0), RGB(235, 235, 235));
        EXPECT_EQ(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0), LVS_EX_FULLROWSELECT);
        auto images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
        int width = 0, height = 0;
        ImageList_GetIconSize(images, &width, &height);
        EXPECT_EQ(ImageList_GetImageCount(images), 1);
        EXPECT_EQ(width * 100 + height, 2 * 100 + 15);

        RECT client = {};
        GetClientRect(list, &client);
        const LRESULT label = SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0);
        EXPECT_GE(label, 90);
        EXPECT_EQ(label + SendMessageA(list, LVM_GETCOLUMNWIDTH, 1, 0), client.right);

        // The focus step: the first tick hands the focus to the dialog, which passes it on.
        GUITHREADINFO input = {};
        input.cbSize = sizeof input;
        Sleep(100);
        GetGUIThreadInfo(thread, &input);
        EXPECT_EQ(GetParent(input.hwndFocus), window);

        PostMessageA(input.hwndFocus, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(WindowEnds(window));
    });
    EXPECT_EQ(code, IDCANCEL);
}

TEST(PropertiesDialog, SelectionCommandsAndTheThreeClipboardTextsAlsoWhenTheClipboardIsHeld)
{
    const Picture picture(SampleAddress("Canon_40D.jpg"));
    PropertiesDialog dialog;
    picture.Fill(dialog);
    const INT_PTR code = RunDriven([&] { return dialog.DoModal(nullptr); }, [&](DWORD thread) {
        HWND window = DialogOf(thread);
        ASSERT_NE(window, nullptr);
        HWND list = GetDlgItem(window, IDC_INFO_LIST);
        auto command = [&](UINT id) { SendMessageA(window, WM_COMMAND, id, 0); };
        std::vector<ListRow> rows = picture.ExpectedRows();
        const size_t count = rows.size();

        command(ID_SELECT_ALL);
        EXPECT_EQ(Selection(list), std::string(count, '1'));
        command(ID_INVERT_SELECTION);
        EXPECT_EQ(Selection(list), std::string(count, '0'));
        SelectRows(list, {0, 2});
        const std::string chosen = "101" + std::string(count - 3, '0');
        command(ID_INVERT_SELECTION);
        EXPECT_EQ(Selection(list), "010" + std::string(count - 3, '1'));
        command(ID_INVERT_SELECTION);
        EXPECT_EQ(Selection(list), chosen);

        // Blocks of exactly the text and its zero, also beyond the old 1024 and 2048 bytes.
        rows[0].isSelected = rows[2].isSelected = true;
        const struct {
            UINT id;
            CopyForm form;
        } copies[] = {{ID_COPY, CopyForm::SelectedRows}, {ID_COPY_INFO, CopyForm::SelectedValues},
                      {ID_COPY_ALL, CopyForm::AllRows}};
        for (const auto& copy : copies) {
            PutInClipboard("before");
            command(copy.id);
            EXPECT_EQ(ClipboardBlock(), ClipboardText(copy.form, rows) + '\0') << copy.id;
        }
        SelectRows(list, {});
        PutInClipboard("before");
        command(ID_COPY);
        command(ID_COPY_INFO);
        EXPECT_EQ(ClipboardBlock(), std::string("before") + '\0');

        // `orvane --copy` gives the dialog's bytes, with every row selected for rows and info.
        command(ID_SELECT_ALL);
        const struct {
            UINT id;
            const char* form;
        } forms[] = {{ID_COPY_ALL, "all"}, {ID_COPY, "rows"}, {ID_COPY_INFO, "info"}};
        for (const auto& form : forms) {
            command(form.id);
            EXPECT_EQ(ClipboardBlock(), Orvane({"--copy", form.form}, SampleAddress("Canon_40D.jpg")) + '\0') << form.form;
        }

        // Another program holds the clipboard longer than a copy waits: what it held stays, and
        // the user is told.
        PutInClipboard("before");
        HANDLE opened = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE released = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        std::thread holder([&] {
            HWND own = CreateWindowExA(0, "STATIC", "holder", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
            EXPECT_TRUE(OpenClipboard(own));
            SetEvent(opened);
            WaitForSingleObject(released, 30000);
            CloseClipboard();
            DestroyWindow(own);
        });
        WaitForSingleObject(opened, 5000);
        for (const auto& copy : copies) {
            PostMessageA(window, WM_COMMAND, copy.id, 0);
            EXPECT_THAT(FailureShown(thread, window), testing::StartsWith(FailureText(TextCannotCopy, 0))) << copy.id;
        }
        SetEvent(released);
        holder.join();
        EXPECT_EQ(ClipboardBlock(), std::string("before") + '\0');
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(code, IDOK);
}

TEST(PropertiesDialog, ContextMenuGreysByRowsAndSelectionAndIsReleased)
{
    const Picture twoRows(SampleAddress("a.jpg"), {{SlotMake, "Canon"}, {SlotAperture, "F 2.8"}});
    const Picture noRows(SampleAddress("b.jpg"), {{SlotWhiteBalance, "    "}, {SlotMake, "  x"}});
    const std::vector<UINT> allButAbout(MenuCommands.begin(), MenuCommands.end() - 1);
    const struct {
        const Picture* picture;
        bool onFirstRow;
        std::vector<UINT> greyed;
    } cases[] = {
        {&twoRows, false, {ID_COPY, ID_COPY_INFO}},  // below the rows: nothing selected
        {&twoRows, true, {}},                        // the row under the pointer gets selected
        {&noRows, false, allButAbout},
    };
    for (const auto& c : cases) {
        PropertiesDialog dialog;
        c.picture->Fill(dialog);
        RunDriven([&] { return dialog.DoModal(nullptr); }, [&](DWORD thread) {
            HWND window = DialogOf(thread);
            ASSERT_NE(window, nullptr);
            HWND list = GetDlgItem(window, IDC_INFO_LIST);
            RECT area = {};
            GetClientRect(list, &area);
            area.top = area.bottom - 20;
            if (c.onFirstRow) {
                area.left = LVIR_BOUNDS;
                SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&area));
            }
            RightClick(CentreOf(list, area));
            const MenuState menu = ReadAndCloseMenu(thread, MenuCommands);
            ASSERT_TRUE(menu.isOpen);
            EXPECT_EQ(menu.greyed, c.greyed) << c.onFirstRow << " " << c.greyed.size();
            for (int i = 0; i < 100 && IsMenu(menu.menu); ++i)
                Sleep(10);
            EXPECT_FALSE(IsMenu(menu.menu));
            if (c.picture == &twoRows) {  // short labels: column 0 keeps its 90 pixels
                EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, 0, 0), 90);
            }
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        });
    }
}

// The dialog writes the file after the save dialog has gone: wait for the expected size, then
// read. Waiting by reading would hold the file open, without delete sharing, just when the
// dialog replaces it: the replace then fails as it would for any program holding the file.
std::string FileOnceWritten(const std::string& path, const std::string& expected)
{
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    for (int i = 0; i < 1000; ++i) {
        if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeHigh == 0 &&
            data.nFileSizeLow == expected.size())
            break;
        Sleep(10);
    }
    return ReadWholeFile(path);
}

HWND FileNameField(HWND save)
{
    HWND field = GetDlgItem(save, cmb13);
    return field ? field : GetDlgItem(save, edt1);
}

// A file another program holds open cannot be replaced: the old bytes stay and the user is told.
void SaveOverHeldFile(DWORD thread, HWND window, HWND save, const std::string& path)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "old";
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetWindowTextA(FileNameField(save), path.c_str());
    PostMessageA(save, WM_COMMAND, IDOK, 0);
    HWND question = WaitForWindow([&] { return FindThreadWindow(thread, "#32770", nullptr, save); });
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    EXPECT_THAT(FailureShown(thread, window), testing::StartsWith(FailureText(TextCannotSave, 0) + "\r\n"));
    CloseHandle(held);
    EXPECT_EQ(ReadWholeFile(path), "old");
}

TEST(PropertiesDialog, SaveAsCancelsWritesAndAsksBeforeReplacing)
{
    const Picture picture(SampleAddress("Canon_40D.jpg"));
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + "orvane_saved_by_dialog.txt";
    const std::string byOrvane = std::string(directory) + "orvane_saved_by_cli.txt";
    DeleteFileA(path.c_str());
    Orvane({"--save", byOrvane.c_str()}, SampleAddress("Canon_40D.jpg"));
    const std::string expected = ReadWholeFile(byOrvane);
    ASSERT_GT(expected.size(), 100u);
    char title[64] = {};
    LoadStringA(GetModuleHandleA(nullptr), TextSaveDialogTitle, title, sizeof title);

    // The save dialog leaves the host's current folder alone: it is where DLLs are looked for.
    char folder[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folder);

    PropertiesDialog dialog;
    picture.Fill(dialog);
    RunDriven([&] { return dialog.DoModal(nullptr); }, [&](DWORD thread) {
        HWND window = DialogOf(thread);
        ASSERT_NE(window, nullptr);
        auto openSave = [&] {
            PostMessageA(window, WM_COMMAND, ID_SAVE_AS, 0);
            return WaitForWindow([&] { return FindThreadWindow(thread, "#32770", title, window); });
        };
        HWND save = openSave();
        ASSERT_NE(save, nullptr);
        char defaultName[AddressSize];
        DefaultFileName(dialog.address, defaultName);
        EXPECT_EQ(WindowText(FileNameField(save)), defaultName);
        char filter[64] = {};
        SendMessageA(GetDlgItem(save, cmb1), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(filter));
        EXPECT_STREQ(filter, "Text file(*.txt)");
        EXPECT_EQ(SendMessageA(GetDlgItem(save, cmb1), CB_GETCOUNT, 0, 0), 1);
        PostMessageA(save, WM_COMMAND, IDCANCEL, 0);
        ASSERT_TRUE(WindowEnds(save));
        EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);

        save = openSave();  // a name without extension gets the default one
        SetWindowTextA(FileNameField(save), path.substr(0, path.size() - 4).c_str());
        PostMessageA(save, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(WindowEnds(save));
        EXPECT_EQ(FileOnceWritten(path, expected), expected);

        for (int answer : {IDNO, IDYES}) {
            std::ofstream(path, std::ios::binary | std::ios::trunc) << "old";
            save = openSave();
            SetWindowTextA(FileNameField(save), path.c_str());
            PostMessageA(save, WM_COMMAND, IDOK, 0);
            HWND question = WaitForWindow([&] { return FindThreadWindow(thread, "#32770", nullptr, save); });
            ASSERT_NE(question, nullptr) << answer;
            PostMessageA(question, WM_COMMAND, static_cast<WPARAM>(answer), 0);
            ASSERT_TRUE(WindowEnds(question));
            if (answer == IDNO) {
                EXPECT_TRUE(WindowEnds(save, false));
                EXPECT_EQ(ReadWholeFile(path), "old");
                PostMessageA(save, WM_COMMAND, IDCANCEL, 0);
            }
            ASSERT_TRUE(WindowEnds(save));
        }
        EXPECT_EQ(FileOnceWritten(path, expected), expected);
        SaveOverHeldFile(thread, window, openSave(), path);
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    });
    char folderAfter[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, folderAfter);
    EXPECT_STREQ(folderAfter, folder);
    DeleteFileA(path.c_str());
    DeleteFileA(byOrvane.c_str());
}

}  // namespace
