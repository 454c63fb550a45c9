// The visualisation plug-in search.
#pragma once
#include <string>
#include <vector>

namespace audiolink {

// Appends every folder below folder (which ends in "\") to list, depth-first
// and each folder before its own sub-folders. Folders whose names begin with
// "." are left out, and so are folders too long to be searched. A directory
// link to a folder already on the list (the same volume serial number and
// file index) is not followed, and the walk lists no folder more than
// DeepestPluginFolder levels below list's first entry.
void CollectSubfolders(std::string folder, std::vector<std::string> &list);

// The full paths of the plug-in files in folder and every folder that
// CollectSubfolders lists below it, each as the folder was reached followed
// by the lower-cased file name, folder by folder in the order of the list.
// One search of each folder yields both its sub-folders and its files.
std::vector<std::string> FindPluginFiles(const std::string &folder);

} // namespace audiolink
