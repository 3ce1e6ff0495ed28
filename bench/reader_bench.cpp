// In-process time per photograph: Orvane's reader against exiv2, libexif and the cost of one
// open-read-close, all on the same page-cached files in one run. Each reader also makes one
// counted pass first: heap allocations per file, and for Orvane its platform file calls.
//
//   orvane_reader_bench [benchmark flags] [photo.jpg ...]   (no photos: the source samples)
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "allocation_count.h"
#include "counting_file_calls.h"
#include "orvane_reader.h"
#include "peer_readers.h"
#include "photo_set.h"
#include "view/default_platform.h"

namespace {

std::vector<Photo> photos;

// One counted pass, then the timed passes; every pass reads every photo once.
template <typename ReadOne>
void MeasureReader(benchmark::State& state, ReadOne readOne)
{
    const double fileCount = static_cast<double>(photos.size());
    long long found = 0;
    int refused = 0;
    StartCountingAllocations();
    for (const Photo& photo : photos) {
        long result = readOne(photo);
        found += result > 0 ? result : 0;
        refused += result < 0;
    }
    const double allocations = static_cast<double>(StopCountingAllocations());

    for (auto _ : state)
        for (const Photo& photo : photos)
            benchmark::DoNotOptimize(readOne(photo));

    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(photos.size()));
    state.counters["files"] = fileCount;
    state.counters["refused"] = refused;
    state.counters["found_per_file"] = static_cast<double>(found) / fileCount;
    state.counters["allocs_per_file"] = allocations / fileCount;
}

void Limit(benchmark::State& state)
{
    MeasureReader(state, [](const Photo& photo) { return ReadFirstBlock(photo.path) < 0 ? -1L : 1L; });
}

void Orvane(benchmark::State& state)
{
    FileCallCounts& counts = CountedFileCalls();
    counts = {};
    for (const Photo& photo : photos)
        ReadWithOrvane(photo, CountingPlatform());
    const double fileCount = static_cast<double>(photos.size());

    MeasureReader(state, [](const Photo& photo) { return long{ReadWithOrvane(photo, DefaultPlatform())}; });

    state.counters["opens_per_file"] = static_cast<double>(counts.opens) / fileCount;
    state.counters["reads_per_file"] = static_cast<double>(counts.reads) / fileCount;
    state.counters["moves_per_file"] = static_cast<double>(counts.moves) / fileCount;
    state.counters["closes_per_file"] = static_cast<double>(counts.closes) / fileCount;
}

void Libexif(benchmark::State& state)
{
    static PeerTexts texts;
    MeasureReader(state, [](const Photo& photo) { return long{ReadWithLibexif(photo.path, texts)}; });
}

void Exiv2(benchmark::State& state)
{
    static PeerTexts texts;
    MeasureReader(state, [](const Photo& photo) { return long{ReadWithExiv2(photo.path, texts)}; });
}

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    std::vector<std::string> paths(argv + 1, argv + argc);
    if (paths.empty())
        paths = SamplePhotoPaths();
    photos = LoadPhotos(paths);
    if (photos.empty()) {
        std::fprintf(stderr, "bench: no photographs to read\n");
        return 1;
    }
    QuietenPeers();

    benchmark::RegisterBenchmark("Limit", Limit);
    benchmark::RegisterBenchmark("Orvane", Orvane);
    benchmark::RegisterBenchmark("Libexif", Libexif);
    benchmark::RegisterBenchmark("Exiv2", Exiv2);
    benchmark::AddCustomContext("photos", std::to_string(photos.size()));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
