#include "util/path.h"

#include <gtest/gtest.h>

#include <string_view>

namespace gara {
namespace {

TEST(DirectoryPartTest, UpToTheLastSeparator) {
  struct Case {
    std::string_view path;
    std::string_view separators;
    std::string_view directory;
  } cases[] = {
      {"/a/b/c", "/", "/a/b/"},
      {"c", "/", ""},
      {"C:\\jww\\a.jws", kWindowsPathSeparators, "C:\\jww\\"},
      {"C:\\jww\\表.jws", kWindowsPathSeparators, "C:\\jww\\"},  // 表 ends in the byte "\"
      {"C:\\ソ\\ソ", kWindowsPathSeparators, "C:\\ソ\\"},
      {"C:/x/y.jws", kWindowsPathSeparators, "C:/x/"},
      {"C:a.jws", kWindowsPathSeparators, "C:"},
      {"a.jws", kWindowsPathSeparators, ""},
      {"", kWindowsPathSeparators, ""},
      {"\\\\server\\share\\f.jws", kWindowsPathSeparators, "\\\\server\\share\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(DirectoryPart(c.path, c.separators), c.directory);
  }
}

}  // namespace
}  // namespace gara
