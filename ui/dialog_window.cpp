// Binding a dialog object to its window, and routing the window's messages to it.
#include "ui/dialog_window.h"

#include "atl/atl_window.h"

INT_PTR DialogWindow::RunModal(HINSTANCE instance, WORD templateId, HWND owner)
{
    AtlCreateWndData data;
    window = nullptr;
    AtlModuleAddCreateWndData(&data, this);
    const INT_PTR code = AtlAxDialogBoxA(instance, MAKEINTRESOURCEA(templateId), owner, StartDialogProc, 0);
    // A dialog that never got its first message (no template, no window) would leave a record
    // pointing into this frame behind; take it back while it is still the thread's newest.
    if (!window)
        AtlModuleExtractCreateWndData();
    return code;
}

INT_PTR CALLBACK DialogWindow::StartDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* object = static_cast<DialogWindow*>(AtlModuleExtractCreateWndData());
    if (!object)
        return FALSE;
    object->window = dialog;
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(object));
    SetWindowLongPtrA(dialog, DWLP_DLGPROC, reinterpret_cast<LONG_PTR>(&DialogProc));
    return DialogProc(dialog, message, wParam, lParam);
}

INT_PTR CALLBACK DialogWindow::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* object = reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(dialog, DWLP_USER));
    LRESULT result = 0;
    if (!object || !object->HandleMessage(message, wParam, lParam, result))
        return FALSE;
    switch (message) {
    // These answer through the procedure's return value; every other message through
    // DWLP_MSGRESULT, which the standard handling returns to the sender.
    case WM_INITDIALOG:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
    case WM_COMPAREITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return static_cast<INT_PTR>(result);
    default:
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, static_cast<LONG_PTR>(result));
        return TRUE;
    }
}
