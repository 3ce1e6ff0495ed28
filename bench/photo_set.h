// The photographs every reader of a run works on, page-cached before any timing.
#pragma once

#include <string>
#include <vector>

struct Photo {
    std::string path;
    std::string address;   // the same file as a "file:///" address, for the View's address rules
    long long size;
};

// Reads every file once in full, so that each reader meets the same page-cached bytes; a file
// that can't be read is left out with a note on stderr.
std::vector<Photo> LoadPhotos(const std::vector<std::string>& paths);

// The sample photographs of the source tree, for a run without named files.
std::vector<std::string> SamplePhotoPaths();
