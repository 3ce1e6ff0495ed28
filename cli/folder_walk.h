// The picture files below a folder, for `-r`: found by their names, in one sorted order.
#pragma once

#include <string>
#include <vector>

// True for names that end in one of the picture extensions, in any mix of case.
bool IsPictureName(const std::string& name);

// True when the argument names a folder of this machine; an address never does.
bool IsLocalFolder(const std::string& argument);

// A folder below the walked one that could not be listed or entered, and the system's reason.
struct FolderProblem {
    std::string folder;
    std::string reason;
};

struct FolderPictures {
    std::vector<std::string> paths;                // sorted bytewise as whole paths
    std::vector<FolderProblem> unreadableFolders;  // sorted by folder
};

// Every picture file below folder, at any depth. Each path is folder as given, a separator and
// the path below it, and is read as that path. Links to folders are not followed, so that a link
// back up the tree cannot make the walk endless, nor read, whatever their names.
FolderPictures PicturesBelow(const std::string& folder);
