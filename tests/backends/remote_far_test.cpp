// Large remote pictures whose Exif structures lie far past their start: read by ranges to the
// slots of the JPEG that carries the same block. The files are mostly filler that the loopback
// server generates.
#ifndef _WIN32

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/cli_text.h"
#include "backends/curl_stream.h"
#include "support/container_writer.h"
#include "support/loopback_http_server.h"
#include "support/program_run.h"
#include "support/reading.h"
#include "support/twin_reading.h"
#include "view/default_platform.h"

namespace {

constexpr uint64_t MiB = 1024 * 1024;

struct FarFile {
    const char* name;
    std::vector<BodyPiece> pieces;
    uint64_t size;
};

uint64_t EndOf(const std::vector<BodyPiece>& pieces) { return pieces.back().offset + pieces.back().bytes.size(); }

// The header says IFD0 lies at 40,560,008, where a 40 MB TIFF of an image editor keeps it. The
// block itself also stays at 0, so that the values and the Exif IFD its offsets name are there.
FarFile FarTiff(const Bytes& block)
{
    constexpr uint32_t directoryAt = 40560008;
    Bytes head = block;
    PutBig32(head, 4, directoryAt);  // the block is big-endian
    Bytes far(block.begin() + 8, block.end());
    return {"tiff", {{0, head}, {directoryAt, far}}, directoryAt + far.size()};
}

// eXIf after an IDAT chunk of 34 MiB.
FarFile FarPng(const Bytes& block)
{
    const Bytes whole = PngFile(block, {true, false});
    const size_t imageAt = Find(whole, "IDAT") - 4;
    const size_t exifAt = Find(whole, "eXIf") - 4;
    const uint64_t imageLength = 34 * MiB;
    Bytes head(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(imageAt) + 8);
    PutBig32(head, imageAt, static_cast<uint32_t>(imageLength));
    Bytes tail(whole.begin() + static_cast<std::ptrdiff_t>(exifAt), whole.end());
    std::vector<BodyPiece> pieces = {{0, head}, {imageAt + 12 + imageLength, tail}};
    return {"png", pieces, EndOf(pieces)};
}

// meta after an mdat of 34 MiB; the Exif item in meta's own idat.
FarFile FarHeif(const Bytes& block)
{
    HeifOptions options;
    options.inItemData = true;
    const Bytes whole = HeifFile(block, options);
    const size_t fileTypeEnd = FileTypeBox().size();
    const uint64_t mediaLength = 34 * MiB;
    Bytes head(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(fileTypeEnd));
    head = Concat({head, BigEndianBytes(8 + mediaLength, 4), Bytes{'m', 'd', 'a', 't'}});
    Bytes tail(whole.begin() + static_cast<std::ptrdiff_t>(fileTypeEnd), whole.end());
    std::vector<BodyPiece> pieces = {{0, head}, {head.size() + mediaLength, tail}};
    return {"heif", pieces, EndOf(pieces)};
}

void ExpectTwinSlots(const AddressOutcome& outcome, const Bytes& block, const std::string& what)
{
    Reading twin(Jpeg({ExifSegment(block)}));
    ASSERT_TRUE(twin.ReadLocal());
    EXPECT_EQ(outcome.messageId, MessageOk) << what;
    for (int slot = 0; slot < SlotCount; ++slot)
        EXPECT_STREQ(outcome.slots[slot], twin.view.slots[slot]) << what << ", slot " << slot;
}

TEST(RemoteFarStructures, StructuresPast32MiBAreReadByTheirRanges)
{
    const Bytes block = RichBlock(Order::Big);  // "MM", so the TIFF header takes PutBig32
    for (const FarFile& file : {FarTiff(block), FarPng(block), FarHeif(block)}) {
        ServerOptions options;
        options.bodySize = file.size;
        options.pieces = file.pieces;
        LoopbackHttpServer server(options);
        ExpectTwinSlots(ReadAddressOnce(server.Url(), DefaultPlatform()), block, file.name);
        EXPECT_LT(server.BodyBytesSent(), 256u * 1024) << file.name;
    }
}

// A camera raw file padded to 20 MB reads as its JPEG twin from its first blocks: the finders
// read the header and the embedded JPEG or block, never the sensor data.
TEST(RemoteFarStructures, TwentyMegabyteRawFilesMoveAtMost128KiB)
{
    const std::string samples = ORVANE_SAMPLES_DIR;
    for (const char* raw : {"Olympus_C8080WZ.orf", "long_description.orf", "Nikon_D70.rw2", "Nikon_D70.rwl",
                            "Fujifilm_FinePix6900ZOOM.raf", "Fujifilm_FinePix6900ZOOM.mrw"}) {
        const std::string name = raw;
        ServerOptions options;
        const std::string bytes = FileBytes(samples + "/raw/" + name);
        options.prefix.assign(bytes.begin(), bytes.end());
        options.bodySize = 20 * 1000 * 1000;
        LoopbackHttpServer server(options);
        const AddressOutcome remote = ReadAddressOnce(server.Url(), DefaultPlatform());
        const AddressOutcome twin =
            ReadAddressOnce("file://" + samples + "/" + name.substr(0, name.rfind('.')) + ".jpg", DefaultPlatform());
        EXPECT_EQ(remote.messageId, MessageOk) << name;
        for (int slot = 0; slot < SlotCount; ++slot)
            EXPECT_STREQ(remote.slots[slot], twin.slots[slot]) << name << ", slot " << slot;
        EXPECT_LE(server.BodyBytesSent(), 128u * 1024) << name;
        std::printf("%s: %llu body bytes sent for a 20 MB file\n", raw, static_cast<unsigned long long>(server.BodyBytesSent()));
    }
}

// The bound is on the bytes moved, every try's counted: a server that turns to whole answers
// after the first block would send everything up to a far block, and is stopped at the cap; the
// second try of a whole answer cut at 20 MiB may move only what the first left, and the first
// try's bytes are kept.
TEST(RemoteFarStructures, EveryServerMovesAtMostTheCap)
{
    const struct {
        ServeMode mode;
        std::vector<std::pair<uint32_t, uint32_t>> reads;  // position, bytes of 8 delivered
        int requests;
    } cases[] = {
        {ServeMode::WholeAfterFirst, {{20000000, 8}, {40000000, 0}}, 3},  // within the cap, then past what is left
        {ServeMode::CloseEarly, {{20 * MiB - 4, 4}}, 2},
    };
    for (const auto& c : cases) {
        ServerOptions options;
        options.mode = c.mode;
        options.bodySize = 48 * MiB;
        options.closeAfter = 20 * MiB;
        LoopbackHttpServer server(options);
        const InternetCalls& calls = CurlInternetCalls();
        Handle session = calls.openSession("Orvane", 0);
        Handle picture = calls.openUrl(session, server.Url().c_str());
        ASSERT_NE(picture, nullptr);
        for (const auto& read : c.reads) {
            uint8_t bytes[8] = {};
            uint32_t delivered = 0;
            EXPECT_EQ(calls.move(picture, static_cast<int32_t>(read.first), FromBeginning), read.first);
            calls.read(picture, bytes, sizeof bytes, &delivered);
            EXPECT_EQ(delivered, read.second) << read.first;
            EXPECT_EQ(bytes[0], delivered ? server.ByteAt(read.first) : 0) << read.first;
        }
        calls.close(picture);
        calls.close(session);
        // What the server counts includes what still sat in the loopback socket buffers.
        EXPECT_LT(server.BodyBytesSent(), uint64_t{CurlBodyCap} + 8 * MiB);
        EXPECT_EQ(server.RequestCount(), c.requests);
    }
}

// Many addresses read with many transfers in flight from a store that turns every first try
// away (busy, failing, closed, cut off): the same bytes as one thread from a sound store.
TEST(RemoteJobs, EveryJobsCountPrintsTheSoundStoresBytes)
{
    const FarFile file = FarTiff(RichBlock(Order::Big));
    ServerOptions options;
    options.bodySize = file.size;
    options.pieces = file.pieces;
    LoopbackHttpServer server(options);
    TemporaryFolder folder;
    const std::string list = folder.path + "/list";
    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines += server.Url("/archive/" + std::to_string(i) + ".tif") + "\n";
    std::ofstream(list, std::ios::binary) << lines;
    const ProgramRun sound = RunProgramIn(ORVANE_CLI_PATH, folder.path, "--csv -j 1 --from list");
    const int soundRequests = server.RequestCount();
    ASSERT_EQ(sound.status, 0) << sound.err;
    ASSERT_EQ(std::count(sound.out.begin(), sound.out.end(), '\n'), 41);
    for (const char* jobs : {"-j 8", "-j 64"}) {
        server.SwitchTo(ServeMode::FirstTryFails);
        const int requestsBefore = server.RequestCount();
        const ProgramRun run = RunProgramIn(ORVANE_CLI_PATH, folder.path, std::string("--csv --from list ") + jobs);
        EXPECT_EQ(run.status, 0) << jobs << run.err;
        EXPECT_EQ(run.err, "") << jobs;
        EXPECT_EQ(run.out, sound.out) << jobs;
        EXPECT_EQ(server.RequestCount() - requestsBefore, 2 * soundRequests) << jobs << ": every request tried twice";
    }
}

}  // namespace

#endif
