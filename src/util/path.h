// Splitting file paths, aware of the two-byte characters of code page 932.
#pragma once

#include <string_view>

namespace gara {

// The characters that end a folder name in a Windows path.
inline constexpr std::string_view kWindowsPathSeparators = "\\/:";

// The folder part of `path` including its last separator; empty when there is none. With the
// Windows separators, two-byte Shift-JIS characters are stepped over whole: the second byte of
// 表 or ソ is a backslash that ends no folder name.
std::string_view DirectoryPart(std::string_view path, std::string_view separators);

}  // namespace gara
