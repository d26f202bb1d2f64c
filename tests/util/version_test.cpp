// "--version": which command lines ask for it, and the line printed.
#include "util/version.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gara {
namespace {

TEST(Version, AsksForVersionOnlyForTheWholeFirstArgument) {
  const struct {
    std::vector<const char*> args;
    bool asks;
  } cases[] = {
      {{"garanarabe"}, false},
      {{"garanarabe", "--version"}, true},
      {{"garanarabe", "--version", "1"}, true},
      {{"garanarabe", "1"}, false},
      {{"garanarabe", "4"}, false},
      {{"garanarabe", "1", "--version"}, false},
      {{"garanarabe", "--Version"}, false},
      {{"garanarabe", "-version"}, false},
      {{"garanarabe", "--version "}, false},
      {{"garanarabe", ""}, false},
      {{"garanarabe", nullptr}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.size() > 1 && c.args[1] != nullptr ? c.args[1] : "(none)");
    EXPECT_EQ(AsksForVersion(static_cast<int>(c.args.size()), c.args.data()), c.asks);
  }
}

// Three numbers with dots between them, as project() takes them; the line names the program.
TEST(Version, LineIsProgramThenNumber) {
  ASSERT_FALSE(kVersion.empty());
  int dots = 0;
  for (char c : kVersion) {
    if (c == '.') {
      ++dots;
    } else {
      EXPECT_TRUE(c >= '0' && c <= '9') << kVersion;
    }
  }
  EXPECT_EQ(dots, 2);
  EXPECT_EQ(VersionLine("kvx"), "kvx " + std::string(kVersion) + "\n");
  EXPECT_EQ(VersionLine("garanarabe-svg"), "garanarabe-svg " + std::string(kVersion) + "\n");
}

}  // namespace
}  // namespace gara
