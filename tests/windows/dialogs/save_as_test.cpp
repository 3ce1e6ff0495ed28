// Save-as against the real file system, with any one of its system calls failed as the system
// would fail it: the old file stays byte for byte, no new file is left behind, and the user is
// told why in a box owned by the dialog.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>

#include <cstring>
#include <fstream>
#include <string>

#include "dialog_driver.h"
#include "ui/properties_commands.h"

namespace {

// Passes every call to the system except the one named `failing`, which fails with `error`;
// the save dialog answers with `chosen` without showing itself.
struct SaveRecorder {
    static SaveRecorder* current;
    static const SaveFileFunctions functions;

    std::string failing;
    DWORD error = 0;
    std::string chosen;

    static bool Fails(const char* name)
    {
        SetLastError(current->error);
        return current->failing == name;
    }
    static BOOL WINAPI SaveDialog(LPOPENFILENAMEA request)
    {
        if (Fails("GetSaveFileNameA"))
            return FALSE;
        strcpy(request->lpstrFile, current->chosen.c_str());
        request->nFileOffset = static_cast<WORD>(current->chosen.rfind('\\') + 1);
        return TRUE;
    }
    static DWORD WINAPI ExtendedError() { return current->failing == "GetSaveFileNameA" ? current->error : 0; }
    static UINT WINAPI TempName(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name)
    {
        return Fails("GetTempFileNameA") ? 0 : GetTempFileNameA(folder, prefix, unique, name);
    }
    static HANDLE WINAPI Create(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                DWORD disposition, DWORD flags, HANDLE templateFile)
    {
        return Fails("CreateFileA") ? INVALID_HANDLE_VALUE
                                    : CreateFileA(path, access, share, security, disposition, flags, templateFile);
    }
    static BOOL WINAPI Write(HANDLE file, LPCVOID bytes, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
    {
        // Error 0: a short write that reports success.
        if (Fails("WriteFile") && current->error)
            return FALSE;
        return WriteFile(file, bytes, current->failing == "WriteFile" ? size / 2 : size, written, overlapped);
    }
    static BOOL WINAPI Flush(HANDLE file) { return !Fails("FlushFileBuffers") && FlushFileBuffers(file); }
    // Even a close that reports failure has closed the handle.
    static BOOL WINAPI Close(HANDLE handle) { return CloseHandle(handle) && !Fails("CloseHandle"); }
    static BOOL WINAPI Replace(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID exclude,
                               LPVOID reserved)
    {
        if (!Fails("ReplaceFileA"))
            return ReplaceFileA(replaced, replacement, backup, flags, exclude, reserved);
        // This failure comes after the system has removed the replaced file.
        if (current->error == ERROR_UNABLE_TO_MOVE_REPLACEMENT)
            DeleteFileA(replaced);
        SetLastError(current->error);
        return FALSE;
    }
    static BOOL WINAPI Move(LPCSTR from, LPCSTR to, DWORD flags)
    {
        if (flags != (MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            current->failing = "MoveFileExA";
        return !Fails("MoveFileExA") && MoveFileExA(from, to, flags);
    }
};

SaveRecorder* SaveRecorder::current = nullptr;
const SaveFileFunctions SaveRecorder::functions = {
    SaveRecorder::SaveDialog,
    SaveRecorder::ExtendedError,
    {SaveRecorder::TempName, SaveRecorder::Create, SaveRecorder::Write, SaveRecorder::Flush, SaveRecorder::Close,
     GetFileAttributesA, SaveRecorder::Replace, SaveRecorder::Move, DeleteFileA},
};

constexpr DWORD AnyReason = 0xFFFFFFFF;  // a real failure: whatever reason the system gives
constexpr DWORD NoReason = 0xFFFFFFFE;   // the save dialog's own failures have no system text

TEST(SaveAs, AnyFailingCallKeepsTheOldFileAndIsShown)
{
    char temporary[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temporary);
    const std::string folder = std::string(temporary) + "orvane_save_as";
    const std::string target = folder + "\\exif.txt";
    const std::string old = "old \xB9\xE2\xC8\xA6\r\n";
    ListRow rows[2] = {{"\xCF\xE0\xBB\xFA\xB3\xA7\xC9\xCC", "Canon", false}, {"L2", "F 2.8", false}};
    const std::string saved = "C:\\DCIM\\DSCF0001.JPG\r\n\r\n\xCF\xE0\xBB\xFA\xB3\xA7\xC9\xCC\tCanon\r\nL2\tF 2.8\r\n";
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);

    const struct {
        const char* failing;
        DWORD error;
        bool hasOldFile;
        bool isSaved;
        DWORD shownReason;  // 0: no box
    } cases[] = {
        {"", 0, true, true, 0},
        {"", 0, false, true, 0},
        {"WriteFile", ERROR_DISK_FULL, true, false, ERROR_DISK_FULL},
        {"WriteFile", 0, true, false, ERROR_WRITE_FAULT},  // fewer bytes written than asked
        {"FlushFileBuffers", ERROR_DISK_FULL, true, false, ERROR_DISK_FULL},
        {"CloseHandle", ERROR_NETNAME_DELETED, true, false, ERROR_NETNAME_DELETED},
        {"GetTempFileNameA", ERROR_ACCESS_DENIED, true, false, ERROR_ACCESS_DENIED},
        {"CreateFileA", ERROR_SHARING_VIOLATION, true, false, ERROR_SHARING_VIOLATION},
        {"ReplaceFileA", ERROR_UNABLE_TO_REMOVE_REPLACED, true, false, ERROR_UNABLE_TO_REMOVE_REPLACED},
        {"ReplaceFileA", ERROR_UNABLE_TO_MOVE_REPLACEMENT, true, true, 0},  // then a plain rename
        {"MoveFileExA", ERROR_ACCESS_DENIED, false, false, ERROR_ACCESS_DENIED},
        {"GetSaveFileNameA", CDERR_DIALOGFAILURE, true, false, NoReason},
        {"GetSaveFileNameA", 0, true, false, 0},  // cancelled
        {"no such folder", 0, false, false, AnyReason},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.failing << " " << c.error << " " << c.hasOldFile);
        CreateDirectoryA(folder.c_str(), nullptr);
        DeleteFileA(target.c_str());
        if (c.hasOldFile)
            std::ofstream(target, std::ios::binary) << old;
        SaveRecorder recorder;
        recorder.failing = c.failing;
        recorder.error = c.error;
        recorder.chosen = strcmp(c.failing, "no such folder") == 0 ? folder + "\\none\\exif.txt" : target;
        SaveRecorder::current = &recorder;

        const std::string shown = RunAnsweringFailure(owner, [&] {
            SaveRowsAs(owner, GetModuleHandleA(nullptr), "C:\\DCIM\\DSCF0001.JPG", rows, 2, SaveRecorder::functions);
        });

        const bool exists = GetFileAttributesA(target.c_str()) != INVALID_FILE_ATTRIBUTES;
        EXPECT_EQ(exists ? ReadWholeFile(target) : "<none>", c.isSaved ? saved : c.hasOldFile ? old : "<none>");
        if (c.shownReason == AnyReason) {
            EXPECT_THAT(shown, testing::StartsWith(FailureText(TextCannotSave, 0) + "\r\n"));
        } else {
            const DWORD reason = c.shownReason == NoReason ? 0 : c.shownReason;
            EXPECT_EQ(shown, c.shownReason ? FailureText(TextCannotSave, reason) : "<none>");
        }
        // Nothing but the target is left in the folder.
        DeleteFileA(target.c_str());
        EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
    }
    DestroyWindow(owner);
}

// Nothing but the saved file may be left: a temporary file has "~" in its name.
int FilesIn(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    int count = 0;
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        count += (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    FindClose(search);
    return count;
}

// The system's temporary names need 14 characters beyond the folder; a file name that fits
// beside the folder is saved all the same.
TEST(SaveAs, IntoAFolderTooDeepForTheSystemsTemporaryNames)
{
    ListRow rows[1] = {{"L1", "Canon", false}};
    const std::string saved = "C:\\DCIM\\X.JPG\r\n\r\nL1\tCanon\r\n";
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    // New files only: Wine's ReplaceFileW makes a name of its own with GetTempFileNameW in the
    // folder and fails there, so replacing an old file is Windows' part alone.
    const struct {
        size_t folderLength;
        const char* name;  // the whole path is 259 characters or less
    } cases[] = {{249, "exif.txt"}, {253, "a.txt"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.folderLength << " " << c.name);
        char temporary[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temporary);
        std::string folder = std::string(temporary) + "orvane_deep";
        CreateDirectoryA(folder.c_str(), nullptr);
        while (folder.size() < c.folderLength) {  // components of at most 100 characters
            const size_t left = c.folderLength - folder.size() - 1;
            folder += "\\" + std::string(left > 100 ? (left == 101 ? 99 : 100) : left, 'd');
            CreateDirectoryA(folder.c_str(), nullptr);
        }
        ASSERT_EQ(folder.size(), c.folderLength);
        const std::string target = folder + "\\" + c.name;
        SaveRecorder recorder;
        recorder.chosen = target;
        SaveRecorder::current = &recorder;

        const std::string shown = RunAnsweringFailure(owner, [&] {
            SaveRowsAs(owner, GetModuleHandleA(nullptr), "C:\\DCIM\\X.JPG", rows, 1, SaveRecorder::functions);
        });

        EXPECT_EQ(shown, "<none>");
        EXPECT_EQ(ReadWholeFile(target), saved);
        EXPECT_EQ(FilesIn(folder), 1);
        DeleteFileA(target.c_str());
    }
    DestroyWindow(owner);
}

}  // namespace
