// The failure message box of the dialogs' commands.
#include "ui/failure_message.h"

#include <cstring>

#include "backends/module_text.h"
#include "record/info_slot.h"
#include "system/system_reason.h"

void ShowFailure(HWND owner, HINSTANCE module, TextId text, DWORD error)
{
    char message[SlotSize + 512] = {};
    const size_t length = static_cast<size_t>(LoadModuleText(module, text, message, SlotSize));
    if (error) {
        // The reason goes on a line of its own, when the system has one.
        if (SystemReasonText(error, message + length + 2, sizeof message - length - 2) != 0)
            memcpy(message + length, "\r\n", 2);
    }
    char caption[SlotSize] = {};
    LoadModuleText(module, FailureCaption, caption, sizeof caption);
    MessageBoxA(owner, message, caption, MB_OK | MB_ICONERROR);
}

void ShowFailureText(HWND owner, HINSTANCE module, const wchar_t* text)
{
    wchar_t caption[SlotSize] = {};
    LoadStringW(module, FailureCaption, caption, SlotSize);
    MessageBoxW(owner, text, caption, MB_OK | MB_ICONERROR);
}
