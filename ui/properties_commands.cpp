// Copying rows to the clipboard and saving them as a text file: Windows glue around the
// portable texts of list_text.h.
#include "ui/properties_commands.h"

#include <cstddef>
#include <cstring>

#include "backends/module_text.h"
#include "resources/text_ids.h"
#include "system/system_reason.h"
#include "ui/failure_message.h"

#ifndef _WIN64
static_assert(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR) == 76, "the request without the Windows 2000 fields");
#endif

const ClipboardFunctions SystemClipboardFunctions = {OpenClipboard, EmptyClipboard, SetClipboardData, CloseClipboard};
const SaveFileFunctions SystemSaveFileFunctions = {GetSaveFileNameA, CommDlgExtendedError, SystemReplaceFileFunctions};

namespace {

// Another program often holds the clipboard for a moment: try for about 100 ms.
bool OpenClipboardPatiently(const ClipboardFunctions& functions, HWND owner)
{
    for (int attempt = 1;; ++attempt) {
        if (functions.openClipboard(owner))
            return true;
        if (attempt == 10)
            return false;
        Sleep(10);
    }
}

// CF_TEXT in a moveable block of exactly the text's length plus its terminating zero. The block
// is made before the clipboard is touched, so a failure up to the emptying leaves the clipboard
// as it was.
DWORD PlaceInClipboard(const ClipboardFunctions& functions, HWND owner, const char* text, size_t length)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, length + 1);
    if (!block)
        return LastFailure();
    void* data = GlobalLock(block);
    if (!data) {
        const DWORD error = LastFailure();
        GlobalFree(block);
        return error;
    }
    memcpy(data, text, length + 1);
    GlobalUnlock(block);
    if (!OpenClipboardPatiently(functions, owner)) {
        const DWORD error = LastFailure();
        GlobalFree(block);
        return error;
    }
    DWORD error = 0;
    // Emptying makes the owner the clipboard's, which SetClipboardData needs, and loses what the
    // clipboard held: nothing may come between the two. Only a block the clipboard took is the
    // clipboard's to free.
    if (!functions.emptyClipboard() || !functions.setClipboardData(CF_TEXT, block)) {
        error = LastFailure();
        GlobalFree(block);
    }
    functions.closeClipboard();
    return error;
}

}  // namespace

void CopyRows(HWND owner, HINSTANCE module, CopyForm form, const ListRow* rows, int count,
              const ClipboardFunctions& functions)
{
    char text[ClipboardCapacity];
    const size_t length = ComposeClipboardText(form, rows, count > 0 ? static_cast<size_t>(count) : 0, text, sizeof text);
    // The capacity holds 41 full rows; the bound only keeps the copy inside the buffer.
    const DWORD error = PlaceInClipboard(functions, owner, text, length < sizeof text ? length : sizeof text - 1);
    if (error)
        ShowFailure(owner, module, TextCannotCopy, error);
}

void SaveRowsAs(HWND owner, HINSTANCE module, const char* address, const ListRow* rows, int count,
                const SaveFileFunctions& functions)
{
    if (count <= 0)
        return;
    char fileName[AddressSize];
    DefaultFileName(address, fileName);
    char title[SlotSize] = {};
    LoadModuleText(module, TextSaveDialogTitle, title, sizeof title);

    OPENFILENAMEA request = {};
    // The layout without the Windows 2000 additions: 76 bytes in the 32-bit build.
    request.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    request.hwndOwner = owner;
    request.lpstrFilter = "Text file(*.txt)\0*.txt\0";  // the literal's own zero ends the list
    request.nFilterIndex = 1;
    request.lpstrFile = fileName;
    request.nMaxFile = sizeof fileName;
    request.lpstrTitle = title;
    // A changed current folder would widen where the host process looks for DLLs.
    request.Flags = OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR;
    request.lpstrDefExt = "txt";
    if (!functions.getSaveFileName(&request)) {
        // Cancel leaves no extended error; any other way out the user must hear of.
        if (functions.commDlgExtendedError() != 0)
            ShowFailure(owner, module, TextCannotSave, 0);
        return;
    }

    char bytes[SavedFileCapacity];
    const size_t length = ComposeSavedFile(address, rows, static_cast<size_t>(count), bytes, sizeof bytes);
    const DWORD error = ReplaceFileInPlace(functions.replace, fileName, request.nFileOffset, bytes,
                                           length < sizeof bytes ? length : sizeof bytes - 1);
    if (error)
        ShowFailure(owner, module, TextCannotSave, error);
}
