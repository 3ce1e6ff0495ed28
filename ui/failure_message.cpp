// The failure message box of the dialogs' commands.
#include "ui/failure_message.h"

#include <cstring>

#include "record/info_slot.h"
#include "backends/module_text.h"

namespace {

// The system's texts end in CR LF, which would leave an empty last line in the box.
void TrimLineEnd(char* text, size_t length)
{
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n'))
        text[--length] = 0;
}

}  // namespace

void ShowFailure(HWND owner, HINSTANCE module, TextId text, DWORD error)
{
    char message[SlotSize + 512] = {};
    const size_t length = static_cast<size_t>(LoadModuleText(module, text, message, SlotSize));
    if (error) {
        char* reason = message + length + 2;
        const DWORD reasonLength = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                                  error, 0, reason, static_cast<DWORD>(sizeof message - length - 2),
                                                  nullptr);
        TrimLineEnd(reason, reasonLength);
        if (reason[0] != 0)
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

DWORD LastFailure()
{
    const DWORD error = GetLastError();
    return error ? error : ERROR_GEN_FAILURE;
}
