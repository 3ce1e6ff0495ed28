// Copying against the real clipboard with any one of its calls failed as the system would fail
// it: the clipboard is emptied only right before the text is handed over, and every failure is
// shown in a box owned by the dialog.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "dialog_driver.h"
#include "ui/properties_commands.h"

namespace {

// Passes every call to the system but the one whose letter is `failing`; records each letter.
struct ClipboardRecorder {
    static char failing;
    static DWORD error;
    static std::string calls;

    static bool Fails(char letter)
    {
        calls += letter;
        SetLastError(error);
        return failing == letter;
    }
    static BOOL WINAPI Open(HWND owner) { return !Fails('O') && OpenClipboard(owner); }
    static BOOL WINAPI Empty() { return !Fails('E') && EmptyClipboard(); }
    static HANDLE WINAPI Set(UINT format, HANDLE data) { return Fails('S') ? nullptr : SetClipboardData(format, data); }
    static BOOL WINAPI Close() { return !Fails('C') && CloseClipboard(); }
};
char ClipboardRecorder::failing;
DWORD ClipboardRecorder::error;
std::string ClipboardRecorder::calls;
const ClipboardFunctions Recorded = {ClipboardRecorder::Open, ClipboardRecorder::Empty, ClipboardRecorder::Set,
                                     ClipboardRecorder::Close};

TEST(CopyRows, TheClipboardIsEmptiedOnlyRightBeforeTheTextAndEveryFailureIsShown)
{
    const std::vector<ListRow> rows = {{"L1", "Canon", false}};
    const std::string copied = ClipboardText(CopyForm::AllRows, rows) + '\0';
    const std::string before = std::string("before") + '\0';
    const std::string none = "<none>";
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    const struct {
        char failing;
        DWORD error;
        const char* calls;
        const std::string& clipboard;
    } cases[] = {
        {0, 0, "OESC", copied},
        {'O', ERROR_ACCESS_DENIED, "OOOOOOOOOO", before},
        {'E', ERROR_ACCESS_DENIED, "OEC", before},
        {'S', ERROR_NOT_ENOUGH_MEMORY, "OESC", none},  // emptied already
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "failing " << (c.failing ? c.failing : '-'));
        PutInClipboard("before");
        ClipboardRecorder::failing = c.failing;
        ClipboardRecorder::error = c.error;
        ClipboardRecorder::calls.clear();

        const std::string shown = RunAnsweringFailure(owner, [&] {
            CopyRows(owner, GetModuleHandleA(nullptr), CopyForm::AllRows, rows.data(), 1, Recorded);
        });

        EXPECT_EQ(ClipboardRecorder::calls, c.calls);
        EXPECT_EQ(ClipboardBlock(), c.clipboard);
        EXPECT_EQ(shown, c.error ? FailureText(TextCannotCopy, c.error) : "<none>");
    }
    DestroyWindow(owner);
}

}  // namespace
