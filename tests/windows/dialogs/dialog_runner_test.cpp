// The creation data of the dialog runner, and what 500 dialogs leave behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <new>
#include <thread>

#include "dialog_driver.h"
#include "atl/atl_window.h"
#include "picture.h"
#include "ui/dialog_window.h"
#include "ui/resource_ids.h"

namespace {

TEST(DialogRunner, RecordsAreFoundByThreadNewestFirst)
{
    AtlCreateWndData first, second, other;
    int firstObject = 0, secondObject = 0, otherObject = 0;
    HANDLE added = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE extracted = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    void* foundByOther = nullptr;
    std::thread otherThread([&] {
        AtlModuleAddCreateWndData(&other, &otherObject);
        SetEvent(added);
        WaitForSingleObject(extracted, 5000);
        foundByOther = AtlModuleExtractCreateWndData();
    });
    AtlModuleAddCreateWndData(&first, &firstObject);
    WaitForSingleObject(added, 5000);
    AtlModuleAddCreateWndData(&second, &secondObject);
    EXPECT_EQ(AtlModuleExtractCreateWndData(), &secondObject);
    EXPECT_EQ(AtlModuleExtractCreateWndData(), &firstObject);
    EXPECT_EQ(AtlModuleExtractCreateWndData(), nullptr);  // the other thread's stays
    SetEvent(extracted);
    otherThread.join();
    EXPECT_EQ(foundByOther, &otherObject);
    CloseHandle(added);
    CloseHandle(extracted);
}

TEST(DialogRunner, DialogThatCannotBeMadeLeavesNoRecordBehind)
{
    PropertiesDialog dialog;
    dialog.moduleInstance = GetModuleHandleA("kernel32.dll");  // holds no template 102
    EXPECT_EQ(dialog.DoModal(nullptr), -1);
    EXPECT_EQ(AtlModuleExtractCreateWndData(), nullptr);
}

// One opening with a right-click on its first row; true when the menu showed and went away.
bool OpenRightClickAndCancel(const Picture& picture)
{
    PropertiesDialog dialog;
    picture.Fill(dialog);
    bool isMenuReleased = false;
    RunDriven([&] { return dialog.DoModal(nullptr); }, [&](DWORD thread) {
        HWND window = WaitForWindow([&] { return FindThreadWindow(thread, "#32770"); });
        HWND list = GetDlgItem(window, IDC_INFO_LIST);
        RECT row = {LVIR_BOUNDS, 0, 0, 0};
        SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        POINT point = {(row.left + row.right) / 2, (row.top + row.bottom) / 2};
        ClientToScreen(list, &point);
        RightClick(point);
        const MenuState menu = ReadAndCloseMenu(thread, {ID_ABOUT});
        for (int i = 0; i < 100 && IsMenu(menu.menu); ++i)
            Sleep(5);
        isMenuReleased = menu.isOpen && !IsMenu(menu.menu);
        PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
    });
    return isMenuReleased;
}

TEST(DialogRunner, FiveHundredOpeningsWithARightClickLeaveNoObjectsBehind)
{
    const Picture picture(SampleAddress("Canon_40D.jpg"), {{SlotMake, "Canon"}, {SlotAperture, "F 2.8"}});
    ASSERT_TRUE(OpenRightClickAndCancel(picture));  // classes, fonts and caches made once
    HANDLE process = GetCurrentProcess();
    const DWORD userBefore = GetGuiResources(process, GR_USEROBJECTS);
    const DWORD gdiBefore = GetGuiResources(process, GR_GDIOBJECTS);
    int released = 0;
    for (int i = 0; i < 500; ++i)
        released += OpenRightClickAndCancel(picture);
    EXPECT_EQ(released, 500);
    const DWORD userAfter = GetGuiResources(process, GR_USEROBJECTS);
    const DWORD gdiAfter = GetGuiResources(process, GR_GDIOBJECTS);
    EXPECT_EQ(userAfter, userBefore);
    EXPECT_EQ(gdiAfter, gdiBefore);
    printf("GetGuiResources: USER %lu -> %lu, GDI %lu -> %lu (last error %lu)\n", userBefore, userAfter, gdiBefore,
           gdiAfter, GetLastError());
    RecordProperty("user_objects", std::to_string(userBefore) + " -> " + std::to_string(userAfter));
    RecordProperty("gdi_objects", std::to_string(gdiBefore) + " -> " + std::to_string(gdiAfter));
}

}  // namespace
