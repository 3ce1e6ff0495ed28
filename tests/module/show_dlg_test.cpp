// ShowDlg through the real module: every message with its exact text, the filled dialog, a
// second picture on the same object, and no leak of handles or memory.
#include <gtest/gtest.h>

#include "dialog_watch.h"
#include "record/view_record.h"
#include "module_client.h"
#include "ui/slot_list.h"
#include "view/classify_address.h"
#include "view/default_platform.h"

namespace {

// A JPEG whose APP1 holds "Exif" and then no TIFF byte order mark.
const char BadTiffHeader[] = "\xFF\xD8\xFF\xE1\x00\x10" "Exif\0\0" "QQ\x00\x2A\x00\x00\x00\x08";

std::wstring TemporaryPicture(const char* bytes, DWORD size)
{
    char path[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, path);
    lstrcatA(path, "orvane_bad_tiff.jpg");
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    WriteFile(file, bytes, size, &size, nullptr);
    CloseHandle(file);
    return L"file:///" + std::wstring(path, path + lstrlenA(path));
}

// The dialog must list what one record holds after reading the same files in turn.
std::vector<std::string> ExpectedRows(std::initializer_list<const char*> samples)
{
    ViewRecord record(Module().module, DefaultPlatform());
    for (const char* sample : samples) {
        std::string address = "file:///" + SamplePath(sample);
        ClassifyAddress(record, &address[0]);
        record.ReadExif(address.c_str());
    }
    SlotRow rows[SlotCount];
    std::vector<std::string> expected;
    for (int row = 0, count = BuildSlotRows(record, rows); row < count; ++row)
        expected.push_back(std::string(rows[row].label) + "\t" + rows[row].text);
    return expected;
}

class ShowDlgCall : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(GetACP(), 936u);
        ASSERT_NE(view = CreateView(), nullptr);
    }
    void TearDown() override
    {
        view->Release();
        EXPECT_EQ(Module().canUnloadNow(), S_OK);
    }

    // One call, its dialog watched (and closed); its error description kept.
    HRESULT Call(const wchar_t* address, SeenDialog* dialog = nullptr)
    {
        SetErrorInfo(0, nullptr);
        DialogWatch watch;
        Bstr text = address ? MakeBstr(address) : nullptr;
        HRESULT result = view->ShowDlg(text.get());
        if (address) {
            EXPECT_STREQ(text.get(), address) << "srcURL stays the caller's";
        }
        SeenDialog seen = watch.Finish();
        EXPECT_EQ(seen.isSeen, dialog != nullptr) << (address ? address : L"<null>");
        if (dialog)
            *dialog = seen;
        description = TakeErrorDescription();
        return result;
    }

    IView* view = nullptr;
    std::wstring description;
};

TEST_F(ShowDlgCall, EveryFailureReportsItsMessage)
{
    const std::wstring notJpeg = SampleAddress("README.md"), noExif = SampleAddress("jfif_then_exif.jpg");
    const std::wstring badData = TemporaryPicture(BadTiffHeader, sizeof BadTiffHeader - 1);
    const struct {
        const wchar_t* address;
        UINT message;
    } cases[] = {
        {nullptr, 300}, {L"", 300}, {L"http://ab", 300}, {L"file:///D", 300}, {L"HTTP://host/a.jpg", 300},
        {L"File:///C:/a.jpg", 300}, {L"HTTPS://host/a.jpg", 300}, {L"file://server/share/a.jpg", 300},
        {L"http://1/x", 301},  // 10 bytes: accepted, and nothing answers there
        {L"https://1/", 301},  // https goes to WinINet as http does
        {L"file:///Z:/no/such/picture.jpg", 301}, {notJpeg.c_str(), 302}, {noExif.c_str(), 303},
        {badData.c_str(), 304},
    };
    for (const auto& test : cases) {
        Call(test.address);  // the first round loads what the reader needs, once
        const DWORD handles = MeasureResourceUse().handles;
        EXPECT_EQ(Call(test.address), E_FAIL);
        EXPECT_EQ(description, ModuleText(test.message)) << (test.address ? test.address : L"<null>");
        EXPECT_EQ(MeasureResourceUse().handles, handles) << (test.address ? test.address : L"<null>");
    }
}

TEST_F(ShowDlgCall, PictureIsListedInTheDialog)
{
    SeenDialog dialog;
    const DWORD handles = MeasureResourceUse().handles;
    ASSERT_EQ(Call(SampleAddress("Canon_40D.jpg").c_str(), &dialog), S_OK);
    EXPECT_EQ(description, L"ok") << "success leaves its report in place";
    EXPECT_EQ(dialog.rows, ExpectedRows({"Canon_40D.jpg"}));
    EXPECT_EQ(dialog.rows.at(1).substr(dialog.rows[1].find('\t')), "\tCanon EOS 40D");
    EXPECT_LE(MeasureResourceUse().handles, handles) << "the stream is closed before the dialog";
}

// ShowDlg reads whatever the address points at: the other containers list the rows of the JPEG
// that carries the same Exif block, and one without the block ends as a JPEG without it.
TEST_F(ShowDlgCall, OtherContainersAreListedAsTheirJpeg)
{
    for (const char* name : {"containers/Canon_40D.heic", "containers/Canon_40D.tif", "containers/Canon_40D.png",
                             "containers/Canon_40D.webp", "raw/Canon_40D.cr3"}) {
        SeenDialog dialog;
        ASSERT_EQ(Call(SampleAddress(name).c_str(), &dialog), S_OK) << name;
        EXPECT_EQ(dialog.rows, ExpectedRows({"Canon_40D.jpg"})) << name;
    }
    SeenDialog avif;
    ASSERT_EQ(Call(SampleAddress("containers/Fujifilm_FinePix6900ZOOM.avif").c_str(), &avif), S_OK);
    EXPECT_EQ(avif.rows, ExpectedRows({"Canon_40D.jpg", "Fujifilm_FinePix6900ZOOM.jpg"}));
    EXPECT_EQ(Call(SampleAddress("containers/jfif_then_exif.heic").c_str()), E_FAIL);
    EXPECT_EQ(description, ModuleText(303));
}

// Camera raw files list the rows of the JPEG they carry or were made from, read in turn.
TEST_F(ShowDlgCall, RawFilesAreListedAsTheirJpeg)
{
    const struct {
        const char* raw;
        std::vector<std::string> rows;
    } cases[] = {
        {"raw/Olympus_C8080WZ.orf", ExpectedRows({"Olympus_C8080WZ.jpg"})},
        {"raw/Nikon_D70.rw2", ExpectedRows({"Olympus_C8080WZ.jpg", "Nikon_D70.jpg"})},
        {"raw/Fujifilm_FinePix6900ZOOM.raf", ExpectedRows({"Olympus_C8080WZ.jpg", "Nikon_D70.jpg", "Fujifilm_FinePix6900ZOOM.jpg"})},
        {"raw/Fujifilm_FinePix6900ZOOM.mrw", ExpectedRows({"Olympus_C8080WZ.jpg", "Nikon_D70.jpg", "Fujifilm_FinePix6900ZOOM.jpg"})},
    };
    for (const auto& c : cases) {
        SeenDialog dialog;
        ASSERT_EQ(Call(SampleAddress(c.raw).c_str(), &dialog), S_OK) << c.raw;
        EXPECT_EQ(dialog.rows, c.rows) << c.raw;
    }
}

TEST_F(ShowDlgCall, SecondPictureKeepsTheFirstPicturesOtherSlots)
{
    SeenDialog first, second;
    ASSERT_EQ(Call(SampleAddress("Canon_40D.jpg").c_str(), &first), S_OK);
    ASSERT_EQ(Call(SampleAddress("Sony_HDR-HC3.jpg").c_str(), &second), S_OK);
    EXPECT_GT(second.rows.size(), ExpectedRows({"Sony_HDR-HC3.jpg"}).size());
    EXPECT_EQ(second.rows, ExpectedRows({"Canon_40D.jpg", "Sony_HDR-HC3.jpg"}));
}

TEST_F(ShowDlgCall, FailureAfterASuccessCarriesItsOwnText)
{
    // Its length prefix claims 2^31 - 8 characters, more than an int can size the copy for; a
    // BSTR that long is real in a 64-bit process. The text behind the prefix must never be read.
    struct {
        DWORD bytes;
        WCHAR text[2];
    } tooLong = {0xFFFFFFF0u, {L'x', 0}};
    Bstr picture = MakeBstr(SampleAddress("Canon_40D.jpg"));
    DialogWatch watch;
    ASSERT_EQ(view->ShowDlg(picture.get()), S_OK);  // and "ok" stays on the thread
    EXPECT_TRUE(watch.Finish().isSeen);
    EXPECT_EQ(view->ShowDlg(tooLong.text), E_OUTOFMEMORY);
    EXPECT_EQ(TakeErrorDescription(), ModuleText(309));
}

// The dialog cannot be made when the module holds no template 102: a copy of it is loaded.
TEST(ShowDlgWithoutDialog, AnswersFailWithItsOwnText)
{
    std::wstring copyPath;
    const ModuleExports copy = LoadCopyWithoutDialog(102, copyPath);
    ASSERT_NE(copy.getClassObject, nullptr);
    IView* view = CreateView(copy);
    ASSERT_NE(view, nullptr);
    Bstr picture = MakeBstr(SampleAddress("Canon_40D.jpg"));
    DialogWatch watch;
    EXPECT_EQ(view->ShowDlg(picture.get()), E_FAIL);
    EXPECT_FALSE(watch.Finish().isSeen);
    EXPECT_EQ(TakeErrorDescription(), ModuleText(309)) << "not the \"ok\" of the reading";
    view->Release();
    EXPECT_EQ(copy.canUnloadNow(), S_OK);
    FreeLibrary(copy.module);
    DeleteFileW(copyPath.c_str());
}

TEST_F(ShowDlgCall, ManyRefusedCallsLeakNothing)
{
    Bstr refused = MakeBstr(L"http://ab");
    auto cycles = [&](int count) {
        for (int i = 0; i < count; ++i) {
            IView* object = CreateView();
            object->ShowDlg(refused.get());
            object->Release();
        }
        SetErrorInfo(0, nullptr);
        return MeasureResourceUse();
    };
    const ResourceUse before = cycles(100);
    const ResourceUse after = cycles(10000);
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_LT(after.heapBytes, before.heapBytes + 4096) << "a byte a cycle would be 10,000";
}

}  // namespace
