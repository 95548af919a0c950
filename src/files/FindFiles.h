#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ratemill {

// Appends the full path of every file in `folder` (ending with a delimiter)
// whose name matches `mask`, and with `recursive` those of every subfolder's
// tree, depth first: a folder's own files, then the whole tree of each
// subfolder in turn. The list is not cleared first.
//
// Names within a folder come in byte order, whatever order the file system
// keeps. Links to files are listed like files; links to folders are not
// entered, so a link pointing back up the tree cannot make the scan endless.
// Hidden folders (name beginning with ".") are not entered, while hidden
// files are listed. A folder that cannot be read adds nothing and the scan
// goes on.
void FindFilesRecursive(const std::string& folder, const std::string& mask, std::vector<std::string>& list,
                        bool recursive);

// File-name wildcard matching regardless of letter case: "*" stands for any
// run of characters, "?" for one character; "*.*" matches every name.
bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace ratemill
