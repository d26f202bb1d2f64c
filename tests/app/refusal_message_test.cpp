// The built program tells why it drew or registered nothing: one message on standard error
// (UTF-8 on Linux; on Windows the Shift-JIS text in place of the box), the files as before.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/test_files.h"
#include "settings/settings.h"
#include "support/program_run.h"
#include "support/temp_dir.h"
#include "util/cp932.h"

namespace gara {
namespace {

using testing::CrLf;
using testing::RunProgramIn;
using testing::TempDir;

// The program's own message text as it reaches standard error. The literals of this file are
// Shift-JIS, as the program's are.
std::string OnStandardError(std::string_view cp932) {
#ifdef _WIN32
  return std::string(cp932);
#else
  return jws::Cp932ToUtf8(cp932);
#endif
}

const std::string kFigure = CrLf({"-10,-5,10,5", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,1",
                                  "L,0,0,2,1,1,0,0,-10,-5,10,-5", "BD,0"});
const std::string kTwoPoints = CrLf({"hq", "lg0", "ly0", "hp1 0 0", "hp2 100 0"});
const std::string kOnePoint = CrLf({"hq", "hp1 5 5"});
const std::string kFarPoints = CrLf({"hq", "hp1 0 0", "hp2 40000000 0"});  // 40 km
const std::string kNoSelection = CrLf({"hq"});
const std::string kBeyondReach =
    CrLf({"-1e300,-1e300,1e300,1e300", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,1",
          "L,0,0,2,1,1,0,0,-1e300,0,1e300,0", "BD,0"});
const std::string kHugeSelection = CrLf({"hq", "-1e300 -1e300 1e300 1e300"});

struct RefusalCase {
  const char* name;
  const char* mode;
  const std::string* exchange;    // nullptr: JWC_TEMP.TXT is a folder, which cannot be replaced
  const std::string* figure;      // sel.txt; nullptr: none; &kFolder: a folder in its place
  double width, height;           // of the pattern in row 1; a negative width: no settings file
  std::vector<const char*> said;  // each part of the message, Shift-JIS
  int exitCode;
  const char* exchangeAfter;      // nullptr: as written before the run; "": not looked at
  const char* details = nullptr;  // garanarabe.ini; nullptr: none
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

const std::string kEmpty;
const std::string kFolder;

std::vector<RefusalCase> Cases() {
  return {
      {"drawn", "2", &kTwoPoints, &kFigure, 20, 10, {}, 0, ""},
      {"one_point", "2", &kOnePoint, nullptr, -1, 0, {"指示点が２点以上ない"}, 0, nullptr},
      {"no_path", "4", &kOnePoint, nullptr, -1, 0, {"線・円弧・円が選択されていない"}, 0, nullptr},
      {"over_the_limit",
       "2",
       &kFarPoints,
       &kFigure,
       12,
       10,  // of 12 mm figures
       {"図形の数: 3333333 個", "上限 1000000 個", "図形の要素の数: 3333333 個"},
       0,
       "hq\r\n"},
      {"no_figure_file", "1", &kTwoPoints, nullptr, -1, 0, {"sel.txt がないか空"}, 0, ""},
      {"empty_figure_file", "1", &kTwoPoints, &kEmpty, -1, 0, {"sel.txt がないか空"}, 0, ""},
      {"figure_of_size_0",
       "1",
       &kTwoPoints,
       &kFigure,
       20,
       0,
       {"幅か高さが 0 のため、図形を並べられません"},
       0,
       ""},
      {"register_nothing",
       "3",
       &kNoSelection,
       nullptr,
       -1,
       0,
       {"幅か高さが 0 のため、柄の図形として並べられません"},
       0,
       nullptr},
      // No drawing holds a figure that reaches 1e300 mm: neither registered nor drawn.
      {"figure_beyond_reach",
       "1",
       &kTwoPoints,
       &kBeyondReach,
       20,
       10,
       {"sel.txt の図形は大きすぎる（幅、高さか座標が 1 兆 mm "
        "を超える）ため、何も作図しませんでした"},
       0,
       "hq\r\n"},
      {"register_beyond_reach",
       "3",
       &kHugeSelection,
       nullptr,
       -1,
       0,
       {"選択した図形は大きすぎる（幅か高さが 1 兆 mm を超える）ため、"},
       0,
       nullptr},
      {"unwritable", "1", nullptr, nullptr, -1, 0, {"JWC_TEMP.TXT を書き込めませんでした"}, 1, ""},
      {"figure_unreadable",
       "1",
       &kTwoPoints,
       &kFolder,
       -1,
       0,
       {"選択図形のファイル sel.txt を読み込めないため、何も作図しませんでした"},
       1,
       nullptr},
      // Drawn, and told of the detail it drew without.
      {"alternate_not_there",
       "2",
       &kTwoPoints,
       &kFigure,
       20,
       10,
       {"garanarabe.ini の [1] の alternate=gone.txt は", "交互図形を使いませんでした"},
       0,
       "",
       "[1]\r\nalternate=gone.txt\r\n"},
  };
}

void WriteInputs(const RefusalCase& c, TempDir& dir) {
  if (c.exchange) {
    dir.Write("JWC_TEMP.TXT", *c.exchange);
  } else {
    std::filesystem::create_directory(dir.path() / "JWC_TEMP.TXT");
  }
  if (c.figure == &kFolder) {
    std::filesystem::create_directory(dir.path() / "sel.txt");
  } else if (c.figure) {
    dir.Write("sel.txt", *c.figure);
  }
  if (c.details) dir.Write("garanarabe.ini", c.details);
  if (c.width >= 0) {
    Settings settings;
    settings.rows[0].width = c.width;
    settings.rows[0].height = c.height;
    dir.Write("garanarabe.dat", SerializeSettings(settings));
  }
}

class ProgramRefusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ProgramRefusal, SaysWhyOnceAndLeavesTheFilesAsTheyWere) {
  const RefusalCase& c = GetParam();
  TempDir dir;
  WriteInputs(c, dir);
  const std::optional<std::string> before =
      c.exchangeAfter == nullptr ? dir.Read("JWC_TEMP.TXT") : std::nullopt;
  const auto result = RunProgramIn(dir, {c.mode});
  EXPECT_EQ(result.exitCode, c.exitCode);
  if (c.said.empty()) {
    EXPECT_EQ(result.errorOutput, "");
  } else {
    // One message of a reason and what to change: two lines or more, said once.
    ASSERT_GE(std::count(result.errorOutput.begin(), result.errorOutput.end(), '\n'), 2)
        << result.errorOutput;
    const std::string firstLine = result.errorOutput.substr(0, result.errorOutput.find('\n'));
    EXPECT_EQ(result.errorOutput.find(firstLine, 1), std::string::npos) << result.errorOutput;
  }
  for (const char* part : c.said) {
    EXPECT_NE(result.errorOutput.find(OnStandardError(part)), std::string::npos)
        << result.errorOutput;
  }
  if (c.exchangeAfter == nullptr) {
    EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), before);
  } else if (*c.exchangeAfter != '\0') {
    EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), c.exchangeAfter);
  }
}

INSTANTIATE_TEST_SUITE_P(Reasons, ProgramRefusal, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// A figure file too large to hold is refused before it is read: the message gives its size and
// the limit, and the file holds only "hq". The file is made by setting its size, not written.
TEST(ProgramRefusal, FigureFileTooLargeToRead) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", kTwoPoints);
  dir.Write("sel.txt", kFigure);
  std::filesystem::resize_file(dir.path() / "sel.txt", 300'000'000);
  Settings settings;
  settings.rows[0].width = 20;
  settings.rows[0].height = 10;
  dir.Write("garanarabe.dat", SerializeSettings(settings));
  const auto result = RunProgramIn(dir, {"2"});
  EXPECT_EQ(result.exitCode, 0);
  for (const char* part : {"図形のファイルが大きすぎる", "約 300 MB（上限 256 MB）"}) {
    EXPECT_NE(result.errorOutput.find(OnStandardError(part)), std::string::npos)
        << result.errorOutput;
  }
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), "hq\r\n");
}

#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
// Memory running out in the middle of a run ends it with a message, not a crash: the files
// stay as they were and no temporary file is left. The address space is cut by the shell.
TEST(ProgramOutOfMemory, SaysWhyAndLeavesTheFilesAsTheyWere) {
  TempDir dir;
  std::string exchange = "hq\r\n";
  // 13 MB of texts: the register run keeps the base line of each, 26 MB in all.
  for (int i = 0; i < 800000; ++i) exchange += "ch 0 0 1 0 \"a\"\r\n";
  dir.Write("JWC_TEMP.TXT", exchange);
  dir.Write("sel.txt", "old figure\r\n");
  std::filesystem::copy_file(testing::ProgramUnderTest(), dir.File("garanarabe"));
  const std::string command =
      "cd '" + dir.dir() + "' && ulimit -v 20000 && ./garanarabe 3 2>stderr.txt; echo $? >rc.txt";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(dir.Read("rc.txt"), "3\n");
  EXPECT_NE(dir.Read("stderr.txt").value_or("").find(OnStandardError("メモリが足りない")),
            std::string::npos);
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), exchange);
  EXPECT_EQ(dir.Read("sel.txt"), "old figure\r\n");
  EXPECT_FALSE(dir.Exists("garanarabe.dat"));
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
  }
}
#endif

}  // namespace
}  // namespace gara
