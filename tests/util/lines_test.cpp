#include "util/lines.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace gara {
namespace {

using Lines = std::vector<std::string>;

Lines Whole(std::string_view bytes) {
  Lines lines;
  LineReader reader(bytes);
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  return lines;
}

// The bytes in three pieces, cut at `a` and `b`.
Lines InPieces(std::string_view bytes, size_t a, size_t b) {
  Lines lines;
  PieceLines pieces;
  const auto take = [&lines](std::string_view line) {
    lines.emplace_back(line);
    return true;
  };
  pieces.Add(bytes.substr(0, a), take);
  pieces.Add(bytes.substr(a, b - a), take);
  pieces.Add(bytes.substr(b), take);
  pieces.End(take);
  return lines;
}

// Wherever the pieces end, even between a CR and its LF, the lines are those of the bytes held
// whole.
TEST(PieceLinesTest, TheLinesOfTheWholeBytes) {
  const std::string files[] = {"",          "\n",          "\r",      "a",         "ab\r\ncd\n",
                               "a\r\n\r\n", "a\rb\r\n\rc", "\n\nx\r", "a\r\r\nb\r"};
  for (const std::string& file : files) {
    for (size_t a = 0; a <= file.size(); ++a) {
      for (size_t b = a; b <= file.size(); ++b) {
        EXPECT_EQ(InPieces(file, a, b), Whole(file)) << file << " cut at " << a << ", " << b;
      }
    }
  }
}

TEST(PieceLinesTest, StopsWhenTold) {
  PieceLines pieces;
  Lines seen;
  const auto twoLines = [&seen](std::string_view line) {
    seen.emplace_back(line);
    return seen.size() < 2;
  };
  const std::string bytes = "one\r\ntwo\r\nthree\r\n";
  EXPECT_TRUE(pieces.Add(std::string_view(bytes).substr(0, 7), twoLines));
  EXPECT_FALSE(pieces.Add(std::string_view(bytes).substr(7), twoLines));
  EXPECT_EQ(seen, (Lines{"one", "two"}));
}

}  // namespace
}  // namespace gara
