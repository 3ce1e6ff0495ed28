// ShowDlg through the real module: refused addresses, every reading message with its exact
// text, the filled dialog, a second picture on the same object, and no leak of any kind.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "dialog_watch.h"
#include "exif/view_record.h"
#include "module_client.h"
#include "ui/slot_list.h"

namespace {

struct AddressCase {
    const wchar_t* address;  // null for a null BSTR
    UINT message;
};

// A JPEG whose APP1 holds "Exif" and then no TIFF byte order mark.
const unsigned char BadTiffHeader[] = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x10, 'E', 'x', 'i', 'f', 0, 0,
                                       'Q', 'Q', 0x00, 0x2A, 0x00, 0x00, 0x00, 0x08};

std::wstring TemporaryAddress(const char* name, const unsigned char* bytes, size_t size)
{
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    std::string path = std::string(directory) + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(file);
    std::wstring address = L"file:///";
    for (char c : path)
        address += c == '\\' ? L'/' : static_cast<wchar_t>(c);
    return address;
}

// What the dialog must list for pictures read in turn by one object: a record of the reader
// reading the same files with the module's texts.
std::vector<DialogRow> ExpectedRows(const std::vector<std::string>& paths)
{
    ViewRecord record(Module().module);
    for (const std::string& path : paths) {
        std::string copy = "file:///" + path;
        record.ClassifyAddress(&copy[0]);
        record.ReadExif(copy.c_str());
    }
    SlotRow rows[SlotCount];
    std::vector<DialogRow> expected;
    for (int row = 0, count = BuildSlotRows(record, rows); row < count; ++row)
        expected.push_back({rows[row].label, rows[row].text});
    return expected;
}

void ExpectSameRows(const std::vector<DialogRow>& seen, const std::vector<DialogRow>& expected)
{
    ASSERT_EQ(seen.size(), expected.size());
    for (size_t row = 0; row < seen.size(); ++row) {
        EXPECT_EQ(seen[row].label, expected[row].label) << "row " << row;
        EXPECT_EQ(seen[row].text, expected[row].text) << "row " << row;
    }
}

class ShowDlgCall : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), 936u);
        view = CreateView();
        ASSERT_NE(view, nullptr);
    }
    void TearDown() override
    {
        if (view)
            view->Release();
        EXPECT_EQ(Module().canUnloadNow(), S_OK);
    }

    // One call with the dialog watched; the error information is taken afterwards.
    HRESULT Call(const wchar_t* address, SeenDialog* dialog = nullptr)
    {
        SetErrorInfo(0, nullptr);
        DialogWatch watch;
        HRESULT result = S_OK;
        if (address) {
            Bstr text(address);
            result = view->ShowDlg(text.get());
            EXPECT_EQ(std::wstring(text.get()), address) << "srcURL stays the caller's";
        } else {
            result = view->ShowDlg(nullptr);
        }
        SeenDialog seen = watch.Finish();
        if (dialog)
            *dialog = seen;
        else
            EXPECT_FALSE(seen.isSeen);
        description = TakeErrorDescription();
        return result;
    }

    IView* view = nullptr;
    std::wstring description;
};

TEST_F(ShowDlgCall, EveryFailureReportsItsMessage)
{
    const std::wstring notJpeg = SampleAddress("README.md");
    const std::wstring noExif = SampleAddress("jfif_then_exif.jpg");
    const std::wstring badData = TemporaryAddress("orvane_bad_tiff.jpg", BadTiffHeader, sizeof BadTiffHeader);
    const AddressCase cases[] = {
        {nullptr, 300},
        {L"", 300},
        {L"http://ab", 300},  // 9 bytes
        {L"file:///D", 300},  // right prefix, too short
        {L"HTTP://host/a.jpg", 300},
        {L"File:///C:/a.jpg", 300},
        {L"https://host/a.jpg", 300},
        {L"file://server/share/a.jpg", 300},
        {L" http://host/a.jpg", 300},
        {L"http://1/x", 301},  // 10 bytes: accepted, and nothing answers there
        {L"file:///Z:/no/such/picture.jpg", 301},
        {notJpeg.c_str(), 302},
        {noExif.c_str(), 303},
        {badData.c_str(), 304},
    };
    for (const AddressCase& test : cases) {
        const std::wstring shown = test.address ? test.address : L"<null>";
        Call(test.address);  // the first round loads what the reader needs once
        const ResourceUse before = MeasureResourceUse();
        EXPECT_EQ(Call(test.address), E_FAIL) << shown.c_str();
        EXPECT_EQ(description, ModuleTextW(test.message)) << shown.c_str() << " expects " << test.message;
        EXPECT_EQ(MeasureResourceUse().handles, before.handles) << shown.c_str();
    }
}

TEST_F(ShowDlgCall, PictureIsListedInTheDialog)
{
    SeenDialog dialog;
    const ResourceUse before = MeasureResourceUse();
    ASSERT_EQ(Call(SampleAddress("Canon_40D.jpg").c_str(), &dialog), S_OK);
    EXPECT_EQ(description, L"ok") << "success leaves its report in place";
    ASSERT_TRUE(dialog.isSeen);
    ExpectSameRows(dialog.rows, ExpectedRows({SamplePath("Canon_40D.jpg")}));
    EXPECT_EQ(dialog.rows.at(1).text, "Canon EOS 40D");
    EXPECT_LE(MeasureResourceUse().handles, before.handles) << "the stream is closed before the dialog";
}

TEST_F(ShowDlgCall, EscapedBlankReachesTheReaderAsABlank)
{
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::string copy = std::string(directory) + "Orvane Photo.jpg";
    ASSERT_TRUE(CopyFileA(SamplePath("Olympus_C8080WZ.jpg").c_str(), copy.c_str(), FALSE));
    std::wstring address = L"file:///";
    for (char c : copy)
        address += c == '\\' ? std::wstring(L"/") : c == ' ' ? std::wstring(L"%20") : std::wstring(1, wchar_t(c));
    SeenDialog dialog;
    EXPECT_EQ(Call(address.c_str(), &dialog), S_OK);
    EXPECT_TRUE(dialog.isSeen);
    DeleteFileA(copy.c_str());
}

TEST_F(ShowDlgCall, SecondPictureKeepsTheFirstPicturesOtherSlots)
{
    SeenDialog first, second;
    ASSERT_EQ(Call(SampleAddress("Canon_40D.jpg").c_str(), &first), S_OK);
    ASSERT_EQ(Call(SampleAddress("Sony_HDR-HC3.jpg").c_str(), &second), S_OK);
    const auto expected = ExpectedRows({SamplePath("Canon_40D.jpg"), SamplePath("Sony_HDR-HC3.jpg")});
    const auto sonyAlone = ExpectedRows({SamplePath("Sony_HDR-HC3.jpg")});
    ASSERT_GT(expected.size(), sonyAlone.size()) << "the samples must differ in what they fill";
    ExpectSameRows(second.rows, expected);
}

TEST_F(ShowDlgCall, ManyRefusedCallsLeakNothing)
{
    view->Release();
    view = nullptr;
    Bstr refused(L"http://ab");
    auto cycle = [&] {
        IView* object = CreateView();
        object->ShowDlg(refused.get());
        object->Release();
    };
    for (int i = 0; i < 100; ++i)
        cycle();
    SetErrorInfo(0, nullptr);
    const ResourceUse before = MeasureResourceUse();
    for (int i = 0; i < 10000; ++i)
        cycle();
    SetErrorInfo(0, nullptr);
    const ResourceUse after = MeasureResourceUse();
    EXPECT_EQ(after.handles, before.handles);
    // One byte kept per cycle would be 10,000 bytes.
    EXPECT_LT(after.heapBytes, before.heapBytes + 4096) << before.heapBytes << " -> " << after.heapBytes;
    EXPECT_EQ(Module().canUnloadNow(), S_OK);
}

}  // namespace
