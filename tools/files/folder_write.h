// Writing a set of files into a folder all together or not at all.
#pragma once

#include <filesystem>
#include <string>

#include "tools/files/file_set.h"

namespace tools {

// Puts every file of `files` into the folder `dir` (made when missing) under its name, or changes nothing:
//  - each new file is written to a hidden temporary name in the folder and flushed to disk first; only
//    then are the names swapped, one by one, and a failure part-way swaps the old files back;
//  - what stands under a name is replaced as it is: a symlink is replaced by the file, never followed out
//    of the folder; a directory in the way is refused;
//  - a file that replaces a regular file keeps its mode;
//  - files of the folder the set does not name are left alone;
//  - writers of one folder at once each put their whole set in place in turn: the last one wins.
// False when the set cannot be put in place: `failure` says why in one line, naming the file.
bool write_folder(const std::filesystem::path& dir, const FileSet& files, std::string& failure);

}  // namespace tools
