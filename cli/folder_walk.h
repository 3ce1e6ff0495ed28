// The JPEG files below a folder, for `-r`: found by their names, in one sorted order.
#pragma once

#include <string>
#include <vector>

// True for names that end in ".jpg", ".jpeg", ".jpe" or ".jfif", in any mix of case.
bool IsJpegName(const std::string& name);

// True when the argument names a folder of this machine; an address never does.
bool IsLocalFolder(const std::string& argument);

struct FolderPictures {
    std::vector<std::string> paths;              // sorted bytewise as whole paths
    std::vector<std::string> unreadableFolders;  // folders that could not be listed, sorted
};

// Every JPEG file below folder, at any depth. Each path is folder as given, a separator and the
// path below it, so it reads exactly as the same path given as an argument. Links to folders
// are not followed: a link back up the tree cannot make the walk endless.
FolderPictures JpegFilesBelow(const std::string& folder);
