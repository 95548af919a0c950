#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ratemill {

// The local file paths named by a "text/uri-list" (one URI per line, lines
// starting with "#" are comments), in their order, as exact bytes: each
// "%XX" becomes the byte it stands for, whether or not the bytes form text.
// Only "file:" URIs without a host or with "localhost" name a local file;
// any other URI, and one whose path would hold a NUL, is left out.
std::vector<std::string> LocalPathsOfUriList(std::string_view uriList);

}  // namespace ratemill
