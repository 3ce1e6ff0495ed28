// How long ShowDlg takes before its dialog appears, for each sample, against the floor of a
// bare CreateFileA, one 64 KiB ReadFile and CloseHandle of the same file. One run, under Wine.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/module/module_client.h"

namespace {

constexpr int Runs = 7;
LARGE_INTEGER frequency;
LARGE_INTEGER dialogCreated;  // stamped by the hook when the dialog window is made
LARGE_INTEGER dialogShown;    // and when it is activated, filled

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The dialog appears on this thread; stamp the moment and close it at once.
LRESULT CALLBACK WatchDialogs(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && dialogCreated.QuadPart == 0) {
        auto* creation = reinterpret_cast<CBT_CREATEWNDA*>(lParam);
        // The dialog class is the atom 32770.
        if (creation->lpcs->lpszClass == MAKEINTATOM(32770))
            QueryPerformanceCounter(&dialogCreated);
    }
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (lstrcmpA(className, "#32770") == 0 && dialogShown.QuadPart == 0) {
            QueryPerformanceCounter(&dialogShown);
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double BareRead(const std::string& path)
{
    static char buffer[64 * 1024];
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer, &read, nullptr);
    CloseHandle(file);
    QueryPerformanceCounter(&end);
    return Milliseconds(start, end);
}

struct Timing {
    double created;  // the reading, up to the dialog's window: or ShowDlg's return on failure
    double shown;    // and up to the filled dialog's activation
};

Timing ShowDlgUntilDialog(IView* view, const std::wstring& address, HRESULT* result)
{
    Bstr text = MakeBstr(address);
    LARGE_INTEGER start, end;
    dialogCreated.QuadPart = dialogShown.QuadPart = 0;
    QueryPerformanceCounter(&start);
    *result = view->ShowDlg(text.get());
    QueryPerformanceCounter(&end);
    return {Milliseconds(start, dialogCreated.QuadPart ? dialogCreated : end),
            Milliseconds(start, dialogShown.QuadPart ? dialogShown : end)};
}

}  // namespace

int main(int argc, char** argv)
{
    QueryPerformanceFrequency(&frequency);
    CoInitialize(nullptr);
    HHOOK hook = SetWindowsHookExA(WH_CBT, WatchDialogs, nullptr, GetCurrentThreadId());
    std::printf("Medians of %d runs, in ms.\n\n| sample | bytes | ShowDlg | until the dialog window is made | "
                "until the dialog is shown | open + 64 KiB read + close | made / floor |\n"
                "|---|---:|---|---:|---:|---:|---:|\n",
                Runs);
    for (int i = 1; i < argc; ++i) {
        const std::string path = SamplePath(argv[i]);
        WIN32_FILE_ATTRIBUTE_DATA attributes{};
        GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &attributes);
        std::vector<double> created, shown, bare;
        HRESULT result = S_OK;
        for (int run = 0; run <= Runs; ++run) {  // run 0 warms the caches and is not counted
            IView* view = CreateView();
            Timing took = ShowDlgUntilDialog(view, SampleAddress(argv[i]), &result);
            view->Release();
            double floor = BareRead(path);
            if (run > 0) {
                created.push_back(took.created);
                shown.push_back(took.shown);
                bare.push_back(floor);
            }
        }
        std::printf("| %s | %lu | %s | %.3f | %.3f | %.3f | %.1f |\n", argv[i], attributes.nFileSizeLow,
                    result == S_OK ? "S_OK" : "E_FAIL", Median(created), Median(shown), Median(bare),
                    Median(created) / Median(bare));
        std::fflush(stdout);
    }
    UnhookWindowsHookEx(hook);
    CoUninitialize();
    return 0;
}
