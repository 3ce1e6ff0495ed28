// The remote back end: real WinINet against a loopback server for what Wine implements, and
// the exact call sequence against a recording stand-in for the WinINet functions.
#include "loopback_http_server.h"  // winsock2.h before windows.h

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "support/thread_error.h"
#include "record/view_record.h"
#include "backends/wininet_stream.h"
#include "resources/text_table.h"
#include "windows_test_support.h"
#include "view/default_platform.h"
#include "view/read_picture.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

// A JPEG start whose first segment is an Exif APP1 with an empty IFD0.
const std::vector<unsigned char> SmallJpeg = {
    0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x16, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0x00,
    0x08, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0xD9};

// ---- Real WinINet, loopback server ------------------------------------------------------

class WinInetLoopback : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(server.IsListening()); }

    // Opens a session and the URL through the back end and reads everything there is.
    std::vector<unsigned char> Fetch(const std::string& url, uint32_t flags)
    {
        std::vector<unsigned char> received;
        Handle session = calls.openSession("Orvane", flags);
        EXPECT_NE(session, nullptr);
        if (!session)
            return received;
        Handle urlHandle = calls.openUrl(session, url.c_str());
        EXPECT_NE(urlHandle, nullptr);
        if (urlHandle) {
            unsigned char chunk[7];
            uint32_t delivered = 0;
            while (calls.read(urlHandle, chunk, sizeof chunk, &delivered) && delivered > 0)
                received.insert(received.end(), chunk, chunk + delivered);
            calls.close(urlHandle);
        }
        calls.close(session);
        return received;
    }

    LoopbackHttpServer server{SmallJpeg};
    const InternetCalls calls = WinInetInternetCalls();
};

TEST_F(WinInetLoopback, OnlineSessionReadsThePicture)
{
    EXPECT_EQ(Fetch(server.Url("/online.jpg"), 0), SmallJpeg);
    EXPECT_EQ(server.Requests(), 1);
}

TEST_F(WinInetLoopback, WineIgnoresTheOfflineFlag)
{
    if (!RunningUnderWine())
        GTEST_SKIP() << "Windows serves an offline session from the cache only";
    // A URL never fetched before: Windows would fail to open it offline; Wine goes to the server.
    EXPECT_EQ(Fetch(server.Url("/never-cached.jpg"), InternetFlagOffline), SmallJpeg);
    EXPECT_EQ(server.Requests(), 1);
}

TEST_F(WinInetLoopback, WineDoesNotImplementInternetSetFilePointer)
{
    if (!RunningUnderWine())
        GTEST_SKIP() << "Windows moves within a cached picture";
    Handle session = calls.openSession("Orvane", 0);
    ASSERT_NE(session, nullptr);
    Handle url = calls.openUrl(session, server.Url("/move.jpg").c_str());
    ASSERT_NE(url, nullptr);
    unsigned char bytes[2] = {};
    uint32_t delivered = 0;
    EXPECT_TRUE(calls.read(url, bytes, 2, &delivered));
    EXPECT_EQ(delivered, 2u);
    EXPECT_EQ(calls.move(url, 0, FromCurrent), InvalidPosition) << "not even a move by 0";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_INVALID_OPERATION));
    EXPECT_EQ(calls.move(url, 4, FromBeginning), InvalidPosition);
    calls.close(url);
    calls.close(session);
}

TEST_F(WinInetLoopback, RecordOpensReadsAndClosesThroughWinInet)
{
    ViewRecord record(TestModule(), DefaultPlatform());
    ASSERT_EQ(record.isRemote, 1);
    ASSERT_TRUE(record.Open(server.Url("/record.jpg").c_str()));
    EXPECT_NE(record.hSession, nullptr);
    EXPECT_NE(record.hUrl, nullptr);
    unsigned char start[2] = {};
    EXPECT_TRUE(record.ReadWord(start, 2));
    EXPECT_EQ(start[0], 0xFF);
    EXPECT_EQ(start[1], 0xD8);
    record.Close();
    EXPECT_EQ(record.hUrl, nullptr);
    EXPECT_EQ(record.hSession, nullptr);
}

TEST_F(WinInetLoopback, WalkOfALoopbackPictureStopsAtItsFirstMoveUnderWine)
{
    if (!RunningUnderWine())
        GTEST_SKIP() << "Windows would not find the picture in its cache";
    // The APP1 segment comes first, so the scan needs no move; the TIFF header reads, and
    // the move to IFD0 is the first one, which Wine refuses: message 304.
    ViewRecord record(TestModule(), DefaultPlatform());
    EXPECT_FALSE(record.ReadExif(server.Url("/walk.jpg").c_str()));
    char description[SlotSize] = {};
    char expected[SlotSize] = {};
    ASSERT_TRUE(GetThreadErrorInfo(description, nullptr));
    LoadTextCp936(MessageBadData, expected, SlotSize);
    EXPECT_STREQ(description, expected);
    EXPECT_EQ(record.hUrl, nullptr);
    EXPECT_EQ(record.hSession, nullptr);
}

// ---- Recording stand-in for the WinINet functions ---------------------------------------

// Records every call in a readable form and answers from a script; handles are fake tokens
// that never reach the real library.
class WinInetRecorder {
public:
    static WinInetRecorder* current;

    std::vector<std::string> calls;
    std::deque<HINTERNET> sessions;           // answers of InternetOpenA, in order
    HINTERNET url = nullptr;                  // answer of InternetOpenUrlA
    std::vector<unsigned char> data;          // what the URL handle reads
    uint32_t position = 0;
    bool implementsMoves = true;

    static const WinInetFunctions functions;

private:
    std::string Name(const void* handle) const
    {
        if (!handle)
            return "null";
        for (const auto& known : names)
            if (known.first == handle)
                return known.second;
        return "unknown";
    }

    std::map<const void*, std::string> names = {
        {Token(1), "session1"}, {Token(2), "session2"}, {Token(3), "url"}};

    void Record(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)))
    {
        char line[256];
        va_list arguments;
        va_start(arguments, format);
        vsnprintf(line, sizeof line, format, arguments);
        va_end(arguments);
        calls.emplace_back(line);
    }

    static HINTERNET WINAPI Open(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR bypass, DWORD flags)
    {
        WinInetRecorder& r = *current;
        r.Record("InternetOpenA(%s, %lu, %s, %s, 0x%08lX)", agent ? agent : "null", accessType,
                 proxy ? proxy : "null", bypass ? bypass : "null", flags);
        if (r.sessions.empty())
            return nullptr;
        HINTERNET answer = r.sessions.front();
        r.sessions.pop_front();
        return answer;
    }

    static HINTERNET WINAPI OpenUrl(HINTERNET session, LPCSTR address, LPCSTR headers, DWORD headersLength,
                                    DWORD flags, DWORD_PTR context)
    {
        WinInetRecorder& r = *current;
        r.Record("InternetOpenUrlA(%s, %s, %s, %lu, %lu, %lu)", r.Name(session).c_str(), address,
                 headers ? headers : "null", headersLength, flags, static_cast<unsigned long>(context));
        return r.url;
    }

    static BOOL WINAPI Read(HINTERNET handle, LPVOID buffer, DWORD size, LPDWORD delivered)
    {
        WinInetRecorder& r = *current;
        r.Record("InternetReadFile(%s, %lu)", r.Name(handle).c_str(), size);
        DWORD left = r.position < r.data.size() ? static_cast<DWORD>(r.data.size() - r.position) : 0;
        DWORD count = size < left ? size : left;
        if (count)
            memcpy(buffer, r.data.data() + r.position, count);
        r.position += count;
        *delivered = count;
        return TRUE;
    }

    static DWORD WINAPI Move(HINTERNET handle, LONG distance, PVOID high, DWORD origin, DWORD_PTR context)
    {
        WinInetRecorder& r = *current;
        r.Record("InternetSetFilePointer(%s, %ld, %s, %lu, %lu)", r.Name(handle).c_str(), distance,
                 high ? "high" : "null", origin, static_cast<unsigned long>(context));
        if (!r.implementsMoves)
            return INVALID_SET_FILE_POINTER;
        long long target = (origin == FILE_BEGIN ? 0 : static_cast<long long>(r.position)) + distance;
        if (target < 0)
            return INVALID_SET_FILE_POINTER;
        r.position = static_cast<uint32_t>(target);
        return r.position;
    }

    static BOOL WINAPI Close(HINTERNET handle)
    {
        WinInetRecorder& r = *current;
        r.Record("InternetCloseHandle(%s)", r.Name(handle).c_str());
        return TRUE;
    }

public:
    static HINTERNET Token(uintptr_t n) { return reinterpret_cast<HINTERNET>(0x51000 + n); }
};

WinInetRecorder* WinInetRecorder::current = nullptr;
const WinInetFunctions WinInetRecorder::functions = {Open, OpenUrl, Read, Move, Close};

const HINTERNET Session1 = WinInetRecorder::Token(1);
const HINTERNET Session2 = WinInetRecorder::Token(2);
const HINTERNET UrlHandle = WinInetRecorder::Token(3);
const char* const Address = "http://example.test/photo.jpg";
const std::string OfflineSession = "InternetOpenA(Orvane, 0, null, null, 0x01000000)";
const std::string OnlineSession = "InternetOpenA(Orvane, 0, null, null, 0x00000000)";

constexpr InternetCalls RecordedCalls() { return WinInetInternetCalls<WinInetRecorder::functions>(); }

// The Windows platform with the remote back end over the recorder.
const Platform& RecordedPlatform()
{
    static const Platform platform = {DefaultPlatform().file, RecordedCalls(), DefaultPlatform().loadText,
                                      DefaultPlatform().setErrorInfo};
    return platform;
}

class WinInetRecorded : public testing::Test {
protected:
    void SetUp() override { WinInetRecorder::current = &recorder; }
    void TearDown() override { WinInetRecorder::current = nullptr; }

    static std::string OpenUrlOn(const char* session)
    {
        return std::string("InternetOpenUrlA(") + session + ", " + Address + ", null, 0, 0, 0)";
    }

    WinInetRecorder recorder;
    ViewRecord record{TestModule(), RecordedPlatform()};
};

TEST_F(WinInetRecorded, BackEndPassesWinInetTheDesignedArguments)
{
    recorder.sessions = {Session1};
    recorder.url = UrlHandle;
    recorder.data = {1, 2, 3};
    const InternetCalls& calls = RecordedCalls();
    EXPECT_EQ(calls.openSession("agent", 0x01000000), Session1);
    EXPECT_EQ(calls.openUrl(Session1, Address), UrlHandle);
    unsigned char bytes[4] = {9, 9, 9, 9};
    uint32_t delivered = 0;
    EXPECT_TRUE(calls.read(UrlHandle, bytes, 4, &delivered));
    EXPECT_EQ(delivered, 3u);
    EXPECT_EQ(bytes[3], 9);
    EXPECT_EQ(calls.move(UrlHandle, -2, FromCurrent), 1u);
    EXPECT_EQ(calls.move(UrlHandle, 7, FromBeginning), 7u);
    calls.close(UrlHandle);
    EXPECT_THAT(recorder.calls,
                ElementsAre("InternetOpenA(agent, 0, null, null, 0x01000000)", OpenUrlOn("session1"),
                            "InternetReadFile(url, 4)", "InternetSetFilePointer(url, -2, null, 1, 0)",
                            "InternetSetFilePointer(url, 7, null, 0, 0)", "InternetCloseHandle(url)"));
}

TEST_F(WinInetRecorded, OpenTriesTheOfflineSessionFirst)
{
    recorder.sessions = {Session1, Session2};
    recorder.url = UrlHandle;
    EXPECT_TRUE(record.Open(Address));
    EXPECT_EQ(record.hSession, Session1);
    EXPECT_EQ(record.hUrl, UrlHandle);
    EXPECT_THAT(recorder.calls, ElementsAre(OfflineSession, OpenUrlOn("session1")));
}

TEST_F(WinInetRecorded, SessionWithoutFlagsOnlyWhenTheOfflineOneCannotBeMade)
{
    recorder.sessions = {nullptr, Session2};
    recorder.url = UrlHandle;
    EXPECT_TRUE(record.Open(Address));
    EXPECT_EQ(record.hSession, Session2);
    EXPECT_THAT(recorder.calls, ElementsAre(OfflineSession, OnlineSession, OpenUrlOn("session2")));
}

TEST_F(WinInetRecorded, NoSessionAtAllFailsWithoutOpeningTheUrl)
{
    recorder.sessions = {nullptr, nullptr};
    EXPECT_FALSE(record.Open(Address));
    record.Close();
    EXPECT_THAT(recorder.calls, ElementsAre(OfflineSession, OnlineSession));
}

TEST_F(WinInetRecorded, PictureNotInTheCacheEndsWith301WithoutGoingOnline)
{
    recorder.sessions = {Session1, Session2};
    recorder.url = nullptr;  // the offline session finds no copy
    EXPECT_FALSE(record.ReadExif(Address));
    EXPECT_THAT(recorder.calls, ElementsAre(OfflineSession, OpenUrlOn("session1"), "InternetCloseHandle(session1)"));
    char description[SlotSize] = {};
    char expected[SlotSize] = {};
    ASSERT_TRUE(GetThreadErrorInfo(description, nullptr));
    LoadTextCp936(MessageCannotRead, expected, SlotSize);
    EXPECT_STREQ(description, expected);
    EXPECT_EQ(record.hSession, nullptr);
}

TEST_F(WinInetRecorded, HttpsAddressesReachWinInetAsHttpOnesDo)
{
    for (const char* address : {"https://example.test/photo.jpg", "http://example.test/photo.jpg"}) {
        WinInetRecorder calls;
        WinInetRecorder::current = &calls;
        calls.sessions = {Session1};
        ViewRecord view{TestModule(), RecordedPlatform()};
        std::vector<char> copy(address, address + std::strlen(address) + 1);
        EXPECT_EQ(ReadPicture(view, copy.data()), MessageCannotRead) << address;
        EXPECT_THAT(calls.calls, ElementsAre(OfflineSession, std::string("InternetOpenUrlA(session1, ") + address +
                                                                 ", null, 0, 0, 0)",
                                             "InternetCloseHandle(session1)"));
    }
    WinInetRecorder::current = &recorder;
}

TEST_F(WinInetRecorded, CloseReleasesTheUrlBeforeTheSessionAndOnlyOnce)
{
    recorder.sessions = {Session1};
    recorder.url = UrlHandle;
    ASSERT_TRUE(record.Open(Address));
    recorder.calls.clear();
    record.Close();
    EXPECT_THAT(recorder.calls, ElementsAre("InternetCloseHandle(url)", "InternetCloseHandle(session1)"));
    EXPECT_EQ(record.hUrl, nullptr);
    EXPECT_EQ(record.hSession, nullptr);
    recorder.calls.clear();
    record.Close();
    EXPECT_THAT(recorder.calls, IsEmpty()) << "a second Close releases nothing";
}

TEST_F(WinInetRecorded, CloseAfterAFailedUrlOpenReleasesTheSessionOnly)
{
    recorder.sessions = {Session1};
    recorder.url = nullptr;
    ASSERT_FALSE(record.Open(Address));
    recorder.calls.clear();
    record.Close();
    EXPECT_THAT(recorder.calls, ElementsAre("InternetCloseHandle(session1)"));
}

TEST_F(WinInetRecorded, ReadsMovesAndPositionGoThroughTheUrlHandle)
{
    recorder.sessions = {Session1};
    recorder.url = UrlHandle;
    recorder.data = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x10};
    ASSERT_TRUE(record.Open(Address));
    recorder.calls.clear();
    unsigned char bytes[4] = {};
    uint32_t delivered = 0;
    EXPECT_TRUE(record.ReadDword(bytes, 4, &delivered));
    EXPECT_EQ(delivered, 4u);
    EXPECT_TRUE(record.Seek(-2, FromCurrent));
    EXPECT_EQ(record.Tell(), 2u);
    EXPECT_FALSE(record.Seek(-10, FromCurrent));
    EXPECT_THAT(recorder.calls,
                ElementsAre("InternetReadFile(url, 4)", "InternetSetFilePointer(url, -2, null, 1, 0)",
                            "InternetSetFilePointer(url, 0, null, 1, 0)",
                            "InternetSetFilePointer(url, -10, null, 1, 0)"));
    record.Close();
}

TEST_F(WinInetRecorded, FailedMovePastTwoGiBLeavesThePositionWhereItWas)
{
    recorder.sessions = {Session1};
    recorder.url = UrlHandle;
    ASSERT_TRUE(record.Open(Address));
    ExpectMovesPastTwoGiBUndone(record, recorder.position, recorder.calls,
                                "InternetSetFilePointer(url, %d, null, 1, 0)");
    record.Close();
}

TEST_F(WinInetRecorded, UnimplementedMovesFailAsUnderWine)
{
    recorder.sessions = {Session1};
    recorder.url = UrlHandle;
    recorder.implementsMoves = false;
    ASSERT_TRUE(record.Open(Address));
    EXPECT_FALSE(record.Seek(0, FromCurrent));
    EXPECT_EQ(record.Tell(), InvalidPosition) << "Tell passes the failure value on unchecked";
    record.Close();
}

}  // namespace
