// Whether two paths name one file: the same device and inode on Linux, the same volume and file
// index on Windows, so that links, hard links and differently spelt paths are seen through.
#pragma once

#include <string>

namespace gara {

// False when either path names no existing file.
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace gara
