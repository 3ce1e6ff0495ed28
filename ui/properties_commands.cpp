// The properties dialog's clipboard, save-as and about commands: Windows glue around the
// portable texts of list_text.h.
#include <windows.h>
#include <commdlg.h>

#include <cstddef>
#include <cstring>

#include "resources/text_ids.h"
#include "ui/about_dialog.h"
#include "ui/properties_dialog.h"

#ifndef _WIN64
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76, "the request without the Windows 2000 fields");
#endif

namespace {

// CF_TEXT in a moveable block of exactly the text's length plus its terminating zero.
void PlaceInClipboard(HWND owner, const std::string& text)
{
    if (!OpenClipboard(owner))
        return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (block) {
        memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
        GlobalUnlock(block);
        // Only a block the clipboard took is the clipboard's to free.
        if (!SetClipboardData(CF_TEXT, block))
            GlobalFree(block);
    }
    CloseClipboard();
}

// The results of the writes are not looked at: a failed write leaves a shorter file.
void WriteText(HANDLE file, const std::string& text)
{
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

void PropertiesDialog::CmdCopy()
{
    if (SelectedCount() > 0)
        CopyToClipboard(CopyForm::SelectedRows);
}

void PropertiesDialog::CmdCopyInfo()
{
    if (SelectedCount() > 0)
        CopyToClipboard(CopyForm::SelectedValues);
}

void PropertiesDialog::CmdCopyAll()
{
    if (RowCount() > 0)
        CopyToClipboard(CopyForm::AllRows);
}

void PropertiesDialog::CopyToClipboard(CopyForm form) { PlaceInClipboard(window, ClipboardText(form, ReadRows())); }

void PropertiesDialog::CmdSaveAs()
{
    if (RowCount() <= 0)
        return;
    char fileName[AddressSize] = {};
    const std::string defaultName = DefaultFileName(address);
    memcpy(fileName, defaultName.c_str(), defaultName.size() + 1);  // at most 12 bytes
    char title[SlotSize] = {};
    LoadStringA(moduleInstance, TextSaveDialogTitle, title, sizeof title);

    OPENFILENAMEA request = {};
    // The layout without the Windows 2000 additions: 76 bytes in the 32-bit build.
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = window;
    request.lpstrFilter = "Text file(*.txt)\0*.txt\0";  // the literal's own zero ends the list
    request.nFilterIndex = 1;
    request.lpstrFile = fileName;
    request.nMaxFile = sizeof fileName;
    request.lpstrTitle = title;
    request.Flags = OFN_OVERWRITEPROMPT;
    request.lpstrDefExt = "txt";
    if (!GetSaveFileNameA(&request))
        return;

    HANDLE file = CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    WriteText(file, SavedFileHeading(address));
    for (const ListRow& row : ReadRows())
        WriteText(file, RowLine(row));  // one write per row
    CloseHandle(file);
}

void PropertiesDialog::CmdAbout()
{
    AboutDialog about;
    about.moduleInstance = moduleInstance;
    about.DoModal(GetActiveWindow());
}
