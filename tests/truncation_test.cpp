// A good file cut at every byte: each prefix ends with exactly one message and no open handle,
// and shows nothing the file does not hold.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "support/reading.h"

namespace {

constexpr uint32_t TiffBase = 12;

Bytes GoodFile(Order order, TiffLayout* layout)
{
    TiffBuilder tiff(order);
    tiff.ifd0.Ascii(0xE001, "a text of some length").Long(0xE002, 5).AddPointer(0x8769, Target::ExifIfd);
    tiff.exifIfd.Rational(0xE003, 10, 1250).Add(0xE004, 3, 3, {0, 1, 0, 2, 0, 3}).AddPointer(0x927C, Target::MakerNote);
    tiff.makerNote.Ascii(0xE005, "maker note text").Short(0xE006, 2);
    return Jpeg({Segment(0xE0, Bytes(10, 0x4A)), ExifSegment(tiff.Build(layout))});
}

// The message each cut must end with, from where the file's fields lie.
TextId ExpectedFor(size_t kept, uint32_t base, uint32_t exifIfd)
{
    if (kept == 0)
        return MessageCannotRead;
    if (kept < 2)
        return MessageNotJpeg;
    if (kept < base - 2)  // inside a segment header, or before "Exif" is complete
        return MessageNoExif;
    if (kept <= base + exifIfd)  // up to the Exif IFD's count, nothing of which arrived
        return MessageBadData;
    return MessageOk;
}

void CutEverywhere(Order order, bool remote)
{
    TiffLayout layout;
    Bytes good = GoodFile(order, &layout);
    uint32_t base = TiffBase + 14;
    for (size_t kept = 0; kept <= good.size(); ++kept) {
        Reading reading(Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(kept)));
        // As the interpreter records them from the pointer entries.
        reading.view.exifIfdOffset = layout.exifIfd;
        reading.view.makerNoteOffset = layout.makerNote;
        bool ok = remote ? reading.ReadRemote() : reading.ReadLocal();
        TextId expected = ExpectedFor(kept, base, layout.exifIfd);
        EXPECT_EQ(reading.stream.counters().reports, 1u) << "kept " << kept;
        EXPECT_EQ(std::string(reading.stream.lastReport()), MessageText(expected)) << "kept " << kept;
        EXPECT_EQ(ok, expected == MessageOk) << "kept " << kept;
        EXPECT_EQ(reading.stream.OpenHandles(), 0) << "kept " << kept;
        EXPECT_EQ(reading.stream.counters().badHandles, 0u) << "kept " << kept;
    }
}

TEST(Truncation, EveryPrefixOfALittleEndianFileEndsWithOneMessage) { CutEverywhere(Order::Little, false); }

TEST(Truncation, EveryPrefixOfABigEndianFileEndsWithOneMessage) { CutEverywhere(Order::Big, false); }

TEST(Truncation, EveryPrefixReadRemotelyEndsWithOneMessage) { CutEverywhere(Order::Little, true); }

TEST(Truncation, EveryFailedMoveEndsWithOneMessage)
{
    TiffLayout layout;
    Bytes good = GoodFile(Order::Big, &layout);
    for (uint32_t failing = 1; failing < 40; ++failing) {
        Reading reading(good);
        reading.view.exifIfdOffset = layout.exifIfd;
        reading.view.makerNoteOffset = layout.makerNote;
        reading.stream.faults.failMoveNumber = failing;
        reading.ReadLocal();
        EXPECT_EQ(reading.stream.counters().reports, 1u) << "move " << failing;
        EXPECT_EQ(reading.stream.OpenHandles(), 0) << "move " << failing;
    }
}

TEST(Truncation, WholeFileWalksAllThreeDirectories)
{
    TiffLayout layout;
    Bytes good = GoodFile(Order::Big, &layout);
    Reading reading(good);
    reading.view.exifIfdOffset = layout.exifIfd;
    reading.view.makerNoteOffset = layout.makerNote;
    EXPECT_TRUE(reading.ReadLocal());
    EXPECT_EQ(reading.view.entry.tag, 0xE006);  // the note's last entry, read little-endian
    EXPECT_EQ(reading.view.entry.valueOffset, 2u);
}

Bytes SampleBytes(const std::string& name)
{
    std::ifstream file(std::string(ORVANE_SAMPLES_DIR) + "/" + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Every text a cut photograph shows is the whole photograph's text for that slot, or the start
// of it where a slot is built in steps (the picture size's width before its height).
TEST(Truncation, EveryCutOfASamplePhotoShowsOnlyItsOwnTexts)
{
    for (const char* name : {"Canon_40D.jpg", "Nikon_D70.jpg", "containers/Canon_40D.heic", "containers/Nikon_D70.heic",
                             "raw/Nikon_D70.rw2", "raw/Fujifilm_FinePix6900ZOOM.raf", "raw/Fujifilm_FinePix6900ZOOM.mrw",
                             "raw/long_description.orf"}) {
        const Bytes whole = SampleBytes(name);
        ASSERT_GT(whole.size(), 1000u) << name;
        Reading complete(whole);
        ASSERT_TRUE(complete.ReadLocal()) << name;
        for (size_t kept = 0; kept < whole.size(); ++kept) {
            Reading cut(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(kept)));
            cut.ReadLocal();
            ASSERT_EQ(cut.stream.counters().reports, 1u) << name << " cut at " << kept;
            for (int slot = 0; slot < SlotCount; ++slot) {
                const std::string shown = cut.view.slots[slot];
                const std::string truth = complete.view.slots[slot];
                ASSERT_EQ(truth.compare(0, shown.size(), shown), 0)
                    << name << " cut at " << kept << ", slot " << slot << ": \"" << shown << "\", whole \"" << truth << "\"";
            }
        }
    }
}

}  // namespace
