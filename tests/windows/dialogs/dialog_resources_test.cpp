// The dialogs' resources as built into the program: templates, menu, icon, bitmap, cursors.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "template_reader.h"
#include "ui/resource_ids.h"

namespace {

HINSTANCE Module() { return GetModuleHandleA(nullptr); }

constexpr DWORD Child = WS_CHILD | WS_VISIBLE;
constexpr DWORD DialogStyle = DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
const char Button[] = "#128";
const char Static[] = "#130";
constexpr uint32_t NoId = 0xFFFFFFFF;

void ExpectTemplate(WORD id, const char* caption, short cx, short cy, const std::vector<TemplateItem>& expected)
{
    const DialogTemplate dialog = ReadDialogTemplate(Module(), id);
    ASSERT_TRUE(dialog.isExtended) << id;
    EXPECT_EQ(dialog.style, DialogStyle) << id;
    EXPECT_EQ(dialog.caption, caption);
    EXPECT_EQ(dialog.cx, cx);
    EXPECT_EQ(dialog.cy, cy);
    EXPECT_EQ(dialog.font, "宋体");
    EXPECT_EQ(dialog.pointSize, 9);
    ASSERT_EQ(dialog.items.size(), expected.size()) << id;
    for (size_t i = 0; i < expected.size(); ++i) {
        const TemplateItem& item = dialog.items[i];
        const TemplateItem& want = expected[i];
        SCOPED_TRACE(testing::Message() << "template " << id << " control " << i);
        EXPECT_EQ(item.id, want.id);
        EXPECT_EQ(item.className, want.className);
        EXPECT_EQ(item.text, want.text);
        EXPECT_EQ(item.x, want.x);
        EXPECT_EQ(item.y, want.y);
        EXPECT_EQ(item.cx, want.cx);
        EXPECT_EQ(item.cy, want.cy);
        EXPECT_EQ(item.style, want.style | Child) << std::hex << item.style;
        EXPECT_EQ(item.exStyle, want.exStyle);
    }
}

TEST(DialogResources, PropertiesTemplateHasItsControlsInTabOrder)
{
    ExpectTemplate(IDD_PROPERTIES, "Exif 属性", 227, 261, {
        {1, Button, "确定", 117, 242, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
        {2, Button, "取消", 172, 242, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0},
        {201, "SYSLISTVIEW32", "",  // windres writes a class name in capitals
         4, 6, 218, 230,
         LVS_REPORT | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP, 0},
    });
}

TEST(DialogResources, AboutTemplateHasBannerLinesAndLinks)
{
    ExpectTemplate(IDD_ABOUT, "关于 Orvane", 147, 145, {
        {1, Button, "确定", 48, 125, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, WS_EX_TRANSPARENT},
        {NoId, Static, "JPEG EXIF viewer for IE", 0, 53, 147, 9, SS_CENTER | WS_GROUP, 0},
        {NoId, Static, "Version 1.3  2003.2.28", 0, 66, 147, 8, SS_CENTER | WS_GROUP, 0},
        {NoId, Static, "Copyright (C) 2003 Orvane", 0, 79, 147, 8, SS_CENTER | WS_GROUP, 0},
        {NoId, Static, "#216", 0, 0, 147, 45, SS_BITMAP, 0},
        {209, Button, "orvane@example.org", 37, 92, 74, 10, BS_OWNERDRAW, 0},
        {210, Button, "http://www.example.org/orvane/", 8, 105, 131, 10, BS_OWNERDRAW, 0},
    });
}

TEST(DialogResources, ListMenuItemsAndSeparatorsInOrder)
{
    const struct {
        UINT id;  // 0: separator
        const char* text;
    } expected[] = {
        {32768, "全选(&A)"}, {32775, "反向选择(&I)"}, {0, ""}, {32769, "复制(&C)"}, {32776, "复制信息(&F)"},
        {32770, "复制全部(&O)"}, {0, ""}, {32771, "另存为(&S)..."}, {0, ""}, {32774, "关于(&B)"},
    };
    HMENU menu = LoadMenuA(Module(), MAKEINTRESOURCEA(IDM_LIST_MENU));
    ASSERT_NE(menu, nullptr);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), static_cast<int>(std::size(expected)));
    for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        wchar_t text[64] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_STATE;
        info.dwTypeData = text;
        info.cch = 64;
        ASSERT_TRUE(GetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info));
        EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, expected[i].id == 0) << i;
        if (expected[i].id) {
            EXPECT_EQ(info.wID, expected[i].id) << i;
            EXPECT_EQ(Narrow(text), expected[i].text) << i;
            EXPECT_EQ(info.fState & (MFS_GRAYED | MFS_DISABLED), 0u) << i;
        }
    }
    DestroyMenu(menu);
}

// The image of a group icon or cursor resource: its header, and for a cursor its hot spot.
const BITMAPINFOHEADER* ImageOf(WORD groupId, bool isIcon, const BYTE** after = nullptr)
{
    const auto group = MAKEINTRESOURCEA(isIcon ? 14 : 12);  // RT_GROUP_ICON, RT_GROUP_CURSOR
    HRSRC directory = FindResourceA(Module(), MAKEINTRESOURCEA(groupId), group);
    if (!directory)
        return nullptr;
    auto* bytes = static_cast<BYTE*>(LockResource(LoadResource(Module(), directory)));
    const int imageId = LookupIconIdFromDirectoryEx(bytes, isIcon, 0, 0, LR_MONOCHROME);
    HRSRC image = FindResourceA(Module(), MAKEINTRESOURCEA(imageId), MAKEINTRESOURCEA(isIcon ? 3 : 1));
    if (!image)
        return nullptr;
    auto* data = static_cast<const BYTE*>(LockResource(LoadResource(Module(), image)));
    const BYTE* header = isIcon ? data : data + 4;  // a cursor image starts with its hot spot
    if (after)
        *after = header + sizeof(BITMAPINFOHEADER) + 2 * sizeof(RGBQUAD);
    return reinterpret_cast<const BITMAPINFOHEADER*>(header);
}

TEST(DialogResources, RowIconIsEightBySixteenMonochromeAndTransparent)
{
    const BYTE* masks = nullptr;
    const BITMAPINFOHEADER* header = ImageOf(IDI_ROW_IMAGE, true, &masks);
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->biWidth, 8);
    EXPECT_EQ(header->biHeight, 32);  // the colour and the transparency mask
    EXPECT_EQ(header->biBitCount, 1);
    // Rows of 4 bytes, of which the first holds the 8 pixels: colour 0, mask 1 everywhere.
    for (int row = 0; row < 16; ++row) {
        EXPECT_EQ(masks[row * 4], 0x00) << "colour row " << row;
        EXPECT_EQ(masks[64 + row * 4], 0xFF) << "mask row " << row;
    }
}

TEST(DialogResources, BannerAndCursorsHaveTheirSizes)
{
    HRSRC banner = FindResourceA(Module(), MAKEINTRESOURCEA(IDB_BANNER), MAKEINTRESOURCEA(2));  // RT_BITMAP
    ASSERT_NE(banner, nullptr);
    const auto* info = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Module(), banner)));
    EXPECT_EQ(info->biWidth, 220);
    EXPECT_EQ(info->biHeight, 68);
    EXPECT_EQ(info->biBitCount, 16);

    for (WORD id : {WORD{IDC_ARROW_CURSOR}, WORD{IDC_HAND_CURSOR}}) {
        const BITMAPINFOHEADER* header = ImageOf(id, false);
        ASSERT_NE(header, nullptr) << id;
        EXPECT_EQ(header->biWidth, 32) << id;
        EXPECT_EQ(header->biHeight, 64) << id;
        EXPECT_EQ(header->biBitCount, 1) << id;
    }
    EXPECT_NE(LoadCursorA(Module(), MAKEINTRESOURCEA(IDC_ARROW_CURSOR)), LoadCursorA(nullptr, IDC_ARROW));
}

}  // namespace
