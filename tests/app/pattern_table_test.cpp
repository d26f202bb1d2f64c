#include "app/pattern_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/lines.h"

namespace gara {
namespace {

std::vector<std::string> TableRows(const std::string& table) {
  std::vector<std::string> rows;
  LineReader reader(table);
  std::string_view line;
  bool inRows = false;
  while (reader.Next(line)) {
    if (inRows) rows.emplace_back(line);
    if (line.substr(0, 2) == "No") inRows = true;
  }
  return rows;
}

TEST(PatternTable, OneLinePerRowWithTheSelectedOneMarked) {
  Settings s;
  s.selectedRow = 12;
  s.rows[10] = {0, 2, 3, 2, 1, 2, 0, 0, 0};
  s.rows[11] = {1, 0.5, 1e-5, 1, 3, 0, 1, 2, 1};
  const auto rows = TableRows(PatternTable(s, "/p/garanarabe.dat", false));
  ASSERT_EQ(rows.size(), 12u);
  EXPECT_EQ(rows[11],
            "*12 JWS 図形  0.5       1E-5      均等配置  3         上      間隔  全長  間隔");
  EXPECT_EQ(rows[10],
            " 11 選択図形  2         3         伸縮配置  1         下      なし  なし  なし");
  EXPECT_EQ(rows[9].substr(0, 4), " 10 ");
  for (const auto& row : rows) EXPECT_NE(row.back(), ' ');
}

TEST(PatternTable, ValuesOutsideTheListsShowTheirNumbers) {
  Settings s;
  s.selectedRow = 0;  // no row marked
  s.rows[0] = {-1, 10, 10, 3, 0, 3, -7, 0, 99};
  const std::string table = PatternTable(s, "x.dat", true);
  const auto rows = TableRows(table);
  EXPECT_EQ(rows[0],
            " 1  (-1)      10        10        (3)       0         (3)     (-7)  なし  (99)");
  EXPECT_EQ(table.find('*'), std::string::npos);
  EXPECT_NE(table.find("Selected row: 0"), std::string::npos);
  EXPECT_NE(table.find("[図寸mm]"), std::string::npos);
}

TEST(PatternTable, ControlBytesOfThePathNeverReachTheTerminal) {
  Settings s;
  s.jwsFile = "C:\\a\x1b[2Jb.jws";
  const std::string table = PatternTable(s, "x.dat", false);
  EXPECT_EQ(table.find('\x1b'), std::string::npos);
  EXPECT_NE(table.find("JWS figure file: C:\\a[2Jb.jws"), std::string::npos);
  EXPECT_NE(PatternTable(Settings{}, "x.dat", false).find("JWS figure file: (none)"),
            std::string::npos);
}

TEST(PatternTable, SwitchesAreShownWithTheirCaptions) {
  Settings s;
  s.useWritingColour = true;
  s.SetUseWritingLayerGroup(true);
  const std::string table = PatternTable(s, "x.dat", false);
  EXPECT_NE(table.find("[x] ●書込みレイヤグループに作図\n[ ] ●書込み【レイヤ】に作図\n[x] "
                       "●書込み【線色】で作図\n[ ] ●書込み　線種　で作図\n"),
            std::string::npos);
}

}  // namespace
}  // namespace gara
