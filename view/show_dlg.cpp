// ShowDlg: the address as 8-bit text, the address rules, the reader, then the dialog; and the
// same for a local path, which no address rule touches.
#include <cwchar>

#include "atl/atl_conversion.h"
#include "atl/atl_module.h"
#include "ui/properties_dialog.h"
#include "view/default_platform.h"
#include "view/read_picture.h"
#include "view/view.h"

HRESULT View::ShowDlg(BSTR srcURL)
{
    AnsiText address;  // a null srcURL gives no text at all
    HRESULT copied = WideToAnsi(srcURL, SysStringLen(srcURL), address);
    if (FAILED(copied))
        return ReportCannotShow(copied);  // the stream not touched
    if (ReadPicture(record, address.get()) != MessageOk)
        return E_FAIL;  // 300 to 304 reported, the stream closed
    if (!ShowProperties(address.get()))
        return ReportCannotShow(E_FAIL);  // in place of the "ok" that reading left
    return S_OK;
}

HRESULT View::ShowPath(const wchar_t* path)
{
    const UINT length = path ? static_cast<UINT>(wcslen(path)) : 0;
    AnsiText shown;   // the dialog's caption and saved first line: the ANSI code page's form
    AnsiText opened;  // what the back end opens: every character of the name, in UTF-8
    HRESULT converted = WideToAnsi(path ? path : L"", length, shown);
    const HRESULT asUtf8 = WideToUtf8(path ? path : L"", length, opened);
    // A name without a UTF-8 form (an unpaired surrogate) opens nothing: message 301 says so.
    if (SUCCEEDED(converted) && FAILED(asUtf8) && asUtf8 != HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION))
        converted = asUtf8;
    if (FAILED(converted))
        return ReportCannotShow(converted);
    record.platform = &LocalPathPlatform();
    if (ReadPicturePath(record, opened ? opened.get() : "") != MessageOk)
        return E_FAIL;  // 300 to 304 reported, the stream closed
    if (!ShowProperties(shown.get()))
        return ReportCannotShow(E_FAIL);
    return S_OK;
}

bool View::ShowProperties(const char* address)
{
    PropertiesDialog dialog;
    dialog.moduleInstance = static_cast<HINSTANCE>(record.moduleInstance);
    dialog.SetAddress(address);  // cut to 259 bytes for the dialog; the reader saw it whole
    for (int slot = 0; slot < SlotCount; ++slot)
        dialog.slots[slot] = record.slots[slot];
    // The report of 305 has closed the stream: no handle is held while the dialog is open.
    return dialog.DoModal(GetActiveWindow()) != -1;
}

// Told as the window it is about, not as the picture's fault: the address may be perfectly good.
HRESULT View::ReportCannotShow(HRESULT result)
{
    char text[SlotSize];
    record.LoadText(TextCannotShowDialog, text);
    record.platform->setErrorInfo(text);
    return result;
}
