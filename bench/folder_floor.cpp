// The machine's floor for reading a folder of photographs: the walk (readdir, no links followed)
// and, for every file, open, one read of the first 64 KiB and close; on one thread and on N
// threads over the same list. A reader of the folder can't be faster than this.
//
//   folder_floor [-j N] [--repeat R] FOLDER...
//
// Prints one line per thread count: files, the walk's and the reads' µs per file, and their sum.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MicrosecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// Depth-first like `find`; d_type saves a stat on the file systems that fill it in.
void WalkFolder(const std::string& folder, std::vector<std::string>& files)
{
    DIR* directory = opendir(folder.c_str());
    if (!directory) {
        fprintf(stderr, "folder_floor: cannot read folder %s\n", folder.c_str());
        return;
    }
    while (const dirent* entry = readdir(directory)) {
        if (!strcmp(entry->d_name, ".") || !strcmp(entry->d_name, ".."))
            continue;
        std::string path = folder + "/" + entry->d_name;
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat status;
            if (lstat(path.c_str(), &status) != 0)
                continue;
            type = S_ISDIR(status.st_mode) ? DT_DIR : S_ISREG(status.st_mode) ? DT_REG : DT_LNK;
        }
        if (type == DT_DIR)
            WalkFolder(path, files);
        else if (type == DT_REG)
            files.push_back(std::move(path));
    }
    closedir(directory);
}

// Returns the bytes read, so that the compiler keeps every read and a short file shows.
long long ReadHeads(const std::vector<std::string>& files, std::atomic<size_t>& next)
{
    static thread_local char block[64 * 1024];
    long long total = 0;
    for (size_t i = next++; i < files.size(); i = next++) {
        const int file = open(files[i].c_str(), O_RDONLY | O_CLOEXEC);
        if (file < 0)
            continue;
        const ssize_t got = read(file, block, sizeof block);
        if (got > 0)
            total += got;
        close(file);
    }
    return total;
}

struct Timing {
    size_t files = 0;
    double walkMicroseconds = 0;
    double readMicroseconds = 0;
};

Timing Measure(const std::vector<std::string>& folders, unsigned threadCount)
{
    Timing timing;
    const Clock::time_point walkStart = Clock::now();
    std::vector<std::string> files;
    for (const std::string& folder : folders)
        WalkFolder(folder, files);
    timing.walkMicroseconds = MicrosecondsSince(walkStart);
    timing.files = files.size();

    const Clock::time_point readStart = Clock::now();
    std::atomic<size_t> next{0};
    std::vector<std::thread> workers;
    std::atomic<long long> bytes{0};
    for (unsigned i = 1; i < threadCount; ++i)
        workers.emplace_back([&] { bytes += ReadHeads(files, next); });
    bytes += ReadHeads(files, next);
    for (std::thread& worker : workers)
        worker.join();
    timing.readMicroseconds = MicrosecondsSince(readStart);
    if (bytes.load() == 0 && !files.empty())
        fprintf(stderr, "folder_floor: no file could be read\n");
    return timing;
}

// The best of R runs: the floor is what the machine can do, not what its neighbours left over.
Timing BestOf(const std::vector<std::string>& folders, unsigned threadCount, int repeat)
{
    Timing best = Measure(folders, threadCount);
    for (int i = 1; i < repeat; ++i) {
        const Timing timing = Measure(folders, threadCount);
        if (timing.walkMicroseconds + timing.readMicroseconds < best.walkMicroseconds + best.readMicroseconds)
            best = timing;
    }
    return best;
}

void Print(unsigned threadCount, const Timing& timing)
{
    const double files = static_cast<double>(std::max<size_t>(timing.files, 1));
    printf("threads %u files %zu walk_us %.3f read_us %.3f total_us %.3f\n", threadCount, timing.files,
           timing.walkMicroseconds / files, timing.readMicroseconds / files,
           (timing.walkMicroseconds + timing.readMicroseconds) / files);
}

}  // namespace

int main(int argc, char** argv)
{
    unsigned threadCount = std::max(1u, std::thread::hardware_concurrency());
    int repeat = 3;
    std::vector<std::string> folders;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "-j" && i + 1 < argc)
            threadCount = static_cast<unsigned>(std::max(1, atoi(argv[++i])));
        else if (argument == "--repeat" && i + 1 < argc)
            repeat = std::max(1, atoi(argv[++i]));
        else
            folders.push_back(argument);
    }
    if (folders.empty()) {
        fprintf(stderr, "usage: folder_floor [-j N] [--repeat R] FOLDER...\n");
        return 2;
    }
    Print(1, BestOf(folders, 1, repeat));
    if (threadCount > 1)
        Print(threadCount, BestOf(folders, threadCount, repeat));
    return 0;
}
