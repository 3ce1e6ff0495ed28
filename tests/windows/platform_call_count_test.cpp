// One platform call per reader operation: the Win32 and WinINet back ends, counted on the
// sample photographs against the reader's own operations over the same bytes in memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/thread_error.h"
#include "support/memory_stream.h"
#include "record/view_record.h"
#include "backends/win32_file_stream.h"
#include "backends/wininet_stream.h"
#include "support/reading.h"
#include "windows_test_support.h"
#include "view/classify_address.h"
#include "view/default_platform.h"

namespace {

struct Sample {
    std::string name;
    std::vector<unsigned char> bytes;
};

// Every photograph of a folder of the samples directory ("" or "containers/") whose name matches
// the pattern, read before any counting starts.
std::vector<Sample> LoadSamples(const std::string& folder, const char* pattern)
{
    std::vector<Sample> samples;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((ORVANE_SAMPLES_DIR "/" + folder + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return samples;
    do {
        std::ifstream file(std::string(ORVANE_SAMPLES_DIR "/") + folder + found.cFileName, std::ios::binary);
        Sample sample{folder + found.cFileName, {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()}};
        if (file.good() || file.eof())
            samples.push_back(std::move(sample));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return samples;
}

// What a walk leaves for its caller: the slots, the reported message and the result.
struct Outcome {
    bool isOk = false;
    std::string message;
    std::vector<char> slots;
};

// The id of the message the walk reported, 0 when it is none of the walk's messages.
TextId ReportedId(const std::string& message)
{
    for (TextId id = MessageBadAddress; id <= MessageOk; ++id)
        if (MessageText(id) == message)
            return id;
    return 0;
}

// ClassifyAddress, then ReadExif, on a fresh record over platform.
Outcome Walk(const Platform& platform, const std::string& address)
{
    ViewRecord view(TestModule(), platform);
    std::vector<char> text(address.begin(), address.end());
    text.push_back(0);
    ClearThreadErrorInfo();
    Outcome outcome;
    EXPECT_TRUE(ClassifyAddress(view, text.data())) << address;
    outcome.isOk = view.ReadExif(text.data());
    outcome.message = ThreadErrorText();
    const char* first = &view.slots[0][0];
    outcome.slots.assign(first, first + sizeof view.slots);
    EXPECT_EQ(view.hFile, nullptr) << "the walk closes what it opened";
    EXPECT_EQ(view.hUrl, nullptr);
    EXPECT_EQ(view.hSession, nullptr);
    return outcome;
}

// The reader's own operations over the bytes: MemoryStream counts each one.
Outcome WalkInMemory(const Sample& sample, const std::string& address, MemoryStream::Counters* counts)
{
    MemoryStream stream(sample.bytes.data(), sample.bytes.size());
    Outcome outcome = Walk(MemoryStream::platform(), address);
    *counts = stream.counters();
    EXPECT_EQ(stream.OpenHandles(), 0);
    EXPECT_EQ(stream.counters().badHandles, 0u);
    return outcome;
}

std::string FileAddress(const Sample& sample)
{
    // Wine shows the host's root as drive Z:, which ORVANE_SAMPLES_DIR already names.
    return std::string("file:///") + ORVANE_SAMPLES_DIR + "/" + sample.name;
}

std::string LocalPath(const Sample& sample)
{
    std::string path = std::string(ORVANE_SAMPLES_DIR) + "\\" + sample.name;
    for (char& byte : path)
        if (byte == '/')
            byte = '\\';
    return path;
}

void ExpectSameOutcome(const Outcome& system, const Outcome& memory)
{
    EXPECT_EQ(system.isOk, memory.isOk);
    EXPECT_EQ(system.message, memory.message);
    EXPECT_NE(ReportedId(system.message), 0) << "exactly one of the walk's messages";
    EXPECT_TRUE(system.slots == memory.slots) << "the slots differ";
}

// ---- Win32 files: counting wrappers around the real kernel32 functions ------------------

struct Win32Counts {
    uint32_t creates = 0, reads = 0, moves = 0, closes = 0;
    uint32_t queries = 0;    // moves by 0 from the current position: every Tell, and a move to where it is
    uint32_t movesBack = 0;  // the extra move after a move that ended at 2 GiB or beyond
    std::string path;
    HANDLE opened = INVALID_HANDLE_VALUE;
    bool closedOthers = false;  // a close of a handle the counted open did not give
};

Win32Counts win32Counts;

HANDLE WINAPI CountCreateFile(LPCSTR path, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                              DWORD disposition, DWORD flags, HANDLE templateFile)
{
    ++win32Counts.creates;
    win32Counts.path = path ? path : "";
    win32Counts.opened =
        SystemWin32FileFunctions.createFile(path, access, shareMode, security, disposition, flags, templateFile);
    return win32Counts.opened;
}

BOOL WINAPI CountReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD delivered, LPOVERLAPPED overlapped)
{
    ++win32Counts.reads;
    return SystemWin32FileFunctions.readFile(file, buffer, size, delivered, overlapped);
}

DWORD WINAPI CountSetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD origin)
{
    ++win32Counts.moves;
    if (distance == 0 && origin == FILE_CURRENT)
        ++win32Counts.queries;
    DWORD position = SystemWin32FileFunctions.setFilePointer(file, distance, distanceHigh, origin);
    if (position != INVALID_SET_FILE_POINTER && position > 0x7FFFFFFF)
        ++win32Counts.movesBack;
    return position;
}

BOOL WINAPI CountCloseHandle(HANDLE handle)
{
    ++win32Counts.closes;
    if (handle != win32Counts.opened)
        win32Counts.closedOthers = true;
    return SystemWin32FileFunctions.closeHandle(handle);
}

const Win32FileFunctions CountingWin32Functions = {CountCreateFile, CountReadFile, CountSetFilePointer,
                                                   CountCloseHandle};

// ---- WinINet: counting wrappers around a stand-in that serves the bytes -----------------

// Wine does not implement InternetSetFilePointer (wininet_stream_test shows it), so the real
// library would end every walk at its first move. The stand-in serves the photograph from a
// MemoryStream of its own with the reader's stream semantics, behind WinINet's signatures.
struct WinInetCounts {
    uint32_t sessionOpens = 0, urlOpens = 0, reads = 0, moves = 0;
    uint32_t queries = 0;
    std::vector<DWORD> sessionFlags;
    std::string url;
    HINTERNET session = nullptr;
    HINTERNET urlHandle = nullptr;
    HINTERNET urlSession = nullptr;  // the session the URL was opened on
    std::vector<HINTERNET> closed;   // in order
};

WinInetCounts wininetCounts;

const InternetCalls& ServedCalls() { return MemoryStream::platform().internet; }

HINTERNET WINAPI CountInternetOpen(LPCSTR agent, DWORD, LPCSTR, LPCSTR, DWORD flags)
{
    ++wininetCounts.sessionOpens;
    wininetCounts.sessionFlags.push_back(flags);
    wininetCounts.session = ServedCalls().openSession(agent, flags);
    return wininetCounts.session;
}

HINTERNET WINAPI CountInternetOpenUrl(HINTERNET session, LPCSTR url, LPCSTR, DWORD, DWORD, DWORD_PTR)
{
    ++wininetCounts.urlOpens;
    wininetCounts.url = url ? url : "";
    wininetCounts.urlSession = session;
    wininetCounts.urlHandle = ServedCalls().openUrl(session, url);
    return wininetCounts.urlHandle;
}

BOOL WINAPI CountInternetReadFile(HINTERNET url, LPVOID buffer, DWORD size, LPDWORD delivered)
{
    ++wininetCounts.reads;
    uint32_t count = 0;
    bool done = ServedCalls().read(url, buffer, size, &count);
    *delivered = count;
    return done ? TRUE : FALSE;
}

DWORD WINAPI CountInternetSetFilePointer(HINTERNET url, LONG distance, PVOID, DWORD origin, DWORD_PTR)
{
    ++wininetCounts.moves;
    if (distance == 0 && origin == FILE_CURRENT)
        ++wininetCounts.queries;
    return ServedCalls().move(url, distance, static_cast<SeekOrigin>(origin));
}

BOOL WINAPI CountInternetCloseHandle(HINTERNET handle)
{
    wininetCounts.closed.push_back(handle);
    ServedCalls().close(handle);
    return TRUE;
}

const WinInetFunctions CountingWinInetFunctions = {CountInternetOpen, CountInternetOpenUrl, CountInternetReadFile,
                                                   CountInternetSetFilePointer, CountInternetCloseHandle};

// The Windows platform with both back ends over the counting tables.
const Platform& CountingPlatform()
{
    static const Platform platform = {Win32FileCalls<CountingWin32Functions>(),
                                      WinInetInternetCalls<CountingWinInetFunctions>(), DefaultPlatform().loadText,
                                      DefaultPlatform().setErrorInfo};
    return platform;
}

// ---- Tests ------------------------------------------------------------------------------

class PlatformCallCount : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        samples = LoadSamples("", "*.jpg");
        containers = LoadSamples("containers/", "*.*");
        for (Sample& raw : LoadSamples("raw/", "*.*"))
            containers.push_back(std::move(raw));
    }

    void SetUp() override
    {
        ASSERT_GE(samples.size(), 9u) << "the photographs of " ORVANE_SAMPLES_DIR;
        ASSERT_GE(containers.size(), 43u) << "the photographs of " ORVANE_SAMPLES_DIR "/containers";
    }

    static std::vector<Sample> samples;
    static std::vector<Sample> containers;  // HEIC, AVIF, TIFF, PNG, WebP and camera raw files
};

std::vector<Sample> PlatformCallCount::samples;
std::vector<Sample> PlatformCallCount::containers;

void ExpectWin32CallPerOperation(const std::vector<Sample>& samples)
{
    std::printf("%-42s %7s | %11s %8s %14s %9s %11s | %s\n", "local photograph", "bytes", "CreateFileA", "ReadFile",
                "SetFilePointer", "(by 0)", "CloseHandle", "message");
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.name);
        MemoryStream::Counters reader;
        Outcome memory = WalkInMemory(sample, FileAddress(sample), &reader);
        win32Counts = Win32Counts();
        Outcome system = Walk(CountingPlatform(), FileAddress(sample));
        const Win32Counts counted = win32Counts;

        ExpectSameOutcome(system, memory);
        EXPECT_EQ(counted.path, LocalPath(sample)) << "CreateFileA gets the classified path";
        EXPECT_NE(counted.opened, INVALID_HANDLE_VALUE);
        EXPECT_EQ(counted.creates, reader.fileOpens);
        EXPECT_EQ(counted.reads, reader.fileReads);
        EXPECT_EQ(counted.moves - counted.movesBack, reader.fileMoves) << "moves and position queries";
        EXPECT_EQ(counted.movesBack, 0u) << "no move of a sample's walk reaches 2 GiB";
        EXPECT_EQ(counted.closes, reader.fileCloses);
        EXPECT_EQ(counted.closes, 1u);
        EXPECT_FALSE(counted.closedOthers) << "CloseHandle releases the handle CreateFileA gave";
        std::printf("%-42s %7zu | %11u %8u %14u %9u %11u | %d\n", sample.name.c_str(), sample.bytes.size(),
                    counted.creates, counted.reads, counted.moves, counted.queries, counted.closes,
                    ReportedId(system.message));
    }
}

void ExpectWinInetCallPerOperation(const std::vector<Sample>& samples)
{
    std::printf("%-42s %7s | %13s %16s %16s %22s %8s %19s | %s\n", "remote photograph", "bytes", "InternetOpenA",
                "InternetOpenUrlA", "InternetReadFile", "InternetSetFilePointer", "(by 0)", "InternetCloseHandle",
                "message");
    for (const Sample& sample : samples) {
        SCOPED_TRACE(sample.name);
        const std::string address = "http://example.test/" + sample.name;
        MemoryStream::Counters reader;
        Outcome memory = WalkInMemory(sample, address, &reader);
        MemoryStream served(sample.bytes.data(), sample.bytes.size());
        wininetCounts = WinInetCounts();
        Outcome system = Walk(CountingPlatform(), address);
        const WinInetCounts counted = wininetCounts;

        ExpectSameOutcome(system, memory);
        ASSERT_EQ(counted.sessionOpens, 1u) << "the offline session is made, so there is no second one";
        EXPECT_EQ(counted.sessionFlags[0], static_cast<DWORD>(INTERNET_FLAG_OFFLINE));
        EXPECT_EQ(counted.sessionOpens, reader.sessionOpens);
        EXPECT_EQ(counted.urlOpens, 1u);
        EXPECT_EQ(counted.urlOpens, reader.urlOpens);
        EXPECT_EQ(counted.urlSession, counted.session);
        EXPECT_EQ(counted.url, address) << "handed on unchanged";
        EXPECT_EQ(counted.reads, reader.urlReads);
        EXPECT_EQ(counted.moves, reader.urlMoves) << "moves and position queries";
        ASSERT_EQ(counted.closed.size(), 2u);
        EXPECT_EQ(counted.closed.size(), reader.internetCloses);
        EXPECT_EQ(counted.closed[0], counted.urlHandle) << "the URL first";
        EXPECT_EQ(counted.closed[1], counted.session) << "then the session";
        EXPECT_EQ(served.OpenHandles(), 0);
        EXPECT_EQ(served.counters().badHandles, 0u);
        std::printf("%-42s %7zu | %13u %16u %16u %22u %8u %19zu | %d\n", sample.name.c_str(), sample.bytes.size(),
                    counted.sessionOpens, counted.urlOpens, counted.reads, counted.moves, counted.queries,
                    counted.closed.size(), ReportedId(system.message));
    }
}

TEST_F(PlatformCallCount, Win32BackEndMakesOneSystemCallPerReaderOperation) { ExpectWin32CallPerOperation(samples); }

TEST_F(PlatformCallCount, WinInetBackEndMakesOneWinInetCallPerReaderOperation)
{
    ExpectWinInetCallPerOperation(samples);
}

// The other containers read through the real back ends as through the reader's own operations;
// ContainerTwins holds their slots to those of the JPEG photographs.
TEST_F(PlatformCallCount, Win32BackEndReadsTheOtherContainersAlike) { ExpectWin32CallPerOperation(containers); }

TEST_F(PlatformCallCount, WinInetBackEndReadsTheOtherContainersAlike) { ExpectWinInetCallPerOperation(containers); }

TEST_F(PlatformCallCount, OnlyAMoveToTwoGiBCostsASecondSetFilePointer)
{
    TemporaryFile file{CountingBytes(50)};
    ASSERT_TRUE(file.IsReady());
    const FileCalls& calls = Win32FileCalls<CountingWin32Functions>();
    win32Counts = Win32Counts();
    Handle handle = calls.open(file.Path());
    ASSERT_NE(handle, InvalidHandle());
    ASSERT_EQ(calls.move(handle, 0x7FFFFFFF, FromBeginning), 0x7FFFFFFFu);
    EXPECT_EQ(win32Counts.moves, 1u) << "the last valid position costs one call";
    EXPECT_EQ(calls.move(handle, 1, FromCurrent), InvalidPosition);
    EXPECT_EQ(win32Counts.moves, 3u) << "the move to 2 GiB and the move back";
    EXPECT_EQ(win32Counts.movesBack, 1u);
    EXPECT_EQ(calls.move(handle, -1, FromBeginning), InvalidPosition);
    EXPECT_EQ(win32Counts.moves, 4u) << "a move the system refuses costs one call";
    EXPECT_EQ(calls.move(handle, 0, FromCurrent), 0x7FFFFFFFu);
    EXPECT_EQ(win32Counts.moves, 5u);
    calls.close(handle);
    EXPECT_EQ(win32Counts.creates, 1u);
    EXPECT_EQ(win32Counts.closes, 1u);
}

TEST_F(PlatformCallCount, TheProductTableCallsTheSystemFunctions)
{
    TemporaryFile file{CountingBytes(50)};
    ASSERT_TRUE(file.IsReady());
    win32Counts = Win32Counts();
    const FileCalls& calls = DefaultPlatform().file;
    Handle handle = calls.open(file.Path());
    ASSERT_NE(handle, InvalidHandle());
    EXPECT_EQ(calls.move(handle, 7, FromBeginning), 7u);
    unsigned char byte = 0;
    uint32_t delivered = 0;
    EXPECT_TRUE(calls.read(handle, &byte, 1, &delivered));
    EXPECT_EQ(byte, 7) << "the system's functions read the file";
    calls.close(handle);
    EXPECT_EQ(win32Counts.creates + win32Counts.reads + win32Counts.moves + win32Counts.closes, 0u)
        << "no call went through the counting table";
}

}  // namespace
