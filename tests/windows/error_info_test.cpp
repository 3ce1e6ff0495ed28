// The reported message reaches the caller as COM error information: text and IView's GUID.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/thread_error.h"
#include "record/view_record.h"
#include "resources/identifiers.h"
#include "windows_test_support.h"
#include "view/default_platform.h"

namespace {

// What the script sees: the message loaded from the string table, widened in the ANSI page.
std::wstring ExpectedDescription(TextId id)
{
    char text[SlotSize] = {};
    LoadStringA(TestModule(), id, text, SlotSize);
    WCHAR wide[SlotSize + 1] = {};
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide, SlotSize + 1);
    return wide;
}

struct SystemErrorInfo {
    bool isSet = false;
    std::wstring description;
    GUID guid = GUID_NULL;
};

// Takes the thread's error information the way a COM caller does (which consumes it).
SystemErrorInfo TakeSystemErrorInfo()
{
    SystemErrorInfo result;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info)
        return result;
    result.isSet = true;
    BSTR text = nullptr;
    if (SUCCEEDED(info->GetDescription(&text)) && text)
        result.description = text;
    SysFreeString(text);
    info->GetGUID(&result.guid);
    info->Release();
    return result;
}

bool IsInterfaceIdView(const GUID& id)
{
    return id.Data1 == InterfaceIdView.data1 && id.Data2 == InterfaceIdView.data2 &&
           id.Data3 == InterfaceIdView.data3 && memcmp(id.Data4, InterfaceIdView.data4, 8) == 0;
}

class ComErrorInformation : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), 936u);
        ClearThreadErrorInfo();
    }
    void TearDown() override { ClearThreadErrorInfo(); }
};

TEST_F(ComErrorInformation, EveryReportedMessageBecomesTheDescriptionWithIViewsGuid)
{
    for (TextId id = MessageBadAddress; id <= MessageOk; ++id) {
        SCOPED_TRACE(id);
        ViewRecord record(TestModule(), DefaultPlatform());
        record.ReportMessage(id);
        SystemErrorInfo info = TakeSystemErrorInfo();
        ASSERT_TRUE(info.isSet) << "also for \"ok\"";
        EXPECT_TRUE(info.description == ExpectedDescription(id));
        EXPECT_FALSE(info.description.empty());
        EXPECT_TRUE(IsInterfaceIdView(info.guid));
    }
}

TEST_F(ComErrorInformation, OkIsTheTwoLetterText)
{
    ViewRecord record(TestModule(), DefaultPlatform());
    record.ReportMessage(MessageOk);
    EXPECT_TRUE(TakeSystemErrorInfo().description == L"ok");
}

TEST_F(ComErrorInformation, PlatformCallSetsTheChineseText)
{
    const char gbk[] = "\xcd\xbc\xc6\xac\xca\xfd\xbe\xdd";  // 图片数据, in code page 936
    DefaultPlatform().setErrorInfo(gbk);
    SystemErrorInfo info = TakeSystemErrorInfo();
    ASSERT_TRUE(info.isSet);
    EXPECT_TRUE(info.description == L"\u56fe\u7247\u6570\u636e");
    EXPECT_TRUE(IsInterfaceIdView(info.guid));
}

TEST_F(ComErrorInformation, ReadingBackLeavesTheInformationInPlace)
{
    ViewRecord record(TestModule(), DefaultPlatform());
    record.ReportMessage(MessageNoExif);
    char first[SlotSize] = {};
    char second[SlotSize] = {};
    Guid guid = {};
    ASSERT_TRUE(GetThreadErrorInfo(first, &guid));
    ASSERT_TRUE(GetThreadErrorInfo(second, nullptr));
    EXPECT_STREQ(first, second);
    char expected[SlotSize] = {};
    LoadStringA(TestModule(), MessageNoExif, expected, SlotSize);
    EXPECT_STREQ(first, expected);
    EXPECT_EQ(guid.data1, InterfaceIdView.data1);
    EXPECT_EQ(0, memcmp(guid.data4, InterfaceIdView.data4, 8));
    EXPECT_TRUE(TakeSystemErrorInfo().isSet) << "a COM caller still finds it";
}

TEST_F(ComErrorInformation, ClearingLeavesNone)
{
    DefaultPlatform().setErrorInfo("text");
    ClearThreadErrorInfo();
    char description[SlotSize] = "stale";
    EXPECT_FALSE(GetThreadErrorInfo(description, nullptr));
    EXPECT_FALSE(TakeSystemErrorInfo().isSet);
}

TEST_F(ComErrorInformation, LongDescriptionIsCutWithoutSplittingACharacter)
{
    // 40 Chinese characters are 80 bytes in code page 936; 31 of them fill 62 of the 63 bytes.
    std::wstring wide(40, L'\u56fe');
    ICreateErrorInfo* created = nullptr;
    ASSERT_TRUE(SUCCEEDED(CreateErrorInfo(&created)));
    created->SetDescription(&wide[0]);
    IErrorInfo* info = nullptr;
    ASSERT_TRUE(SUCCEEDED(created->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))));
    SetErrorInfo(0, info);
    info->Release();
    created->Release();

    char description[SlotSize];
    memset(description, 0x55, sizeof description);
    ASSERT_TRUE(GetThreadErrorInfo(description, nullptr));
    EXPECT_EQ(strlen(description), 62u);
    EXPECT_EQ(static_cast<unsigned char>(description[60]), 0xCD);
    EXPECT_EQ(static_cast<unsigned char>(description[61]), 0xBC);
}

}  // namespace
