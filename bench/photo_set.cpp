// Collects and page-caches the photographs of a run.
#include "photo_set.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace {

long long ReadWhole(const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return -1;
    static char block[1 << 16];
    long long total = 0;
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        total += static_cast<long long>(got);
    std::fclose(file);
    return total;
}

}  // namespace

std::vector<Photo> LoadPhotos(const std::vector<std::string>& paths)
{
    std::vector<Photo> photos;
    for (const std::string& path : paths) {
        long long size = ReadWhole(path);
        if (size < 0) {
            std::fprintf(stderr, "bench: can't read %s, left out\n", path.c_str());
            continue;
        }
        std::string absolute = std::filesystem::absolute(path).string();
        photos.push_back({absolute, "file://" + absolute, size});
    }
    return photos;
}

std::vector<std::string> SamplePhotoPaths()
{
    std::vector<std::string> paths;
    for (const auto& item : std::filesystem::directory_iterator(ORVANE_SAMPLES_DIR))
        if (item.path().extension() == ".jpg")
            paths.push_back(item.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}
