// The built program, run in a temporary program directory as Jw_cad runs it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/test_files.h"
#include "figure/measure.h"
#include "platform/real_file_system.h"
#include "settings/settings.h"
#include "support/program_run.h"
#include "support/temp_dir.h"
#include "util/lines.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace gara {
namespace {

using testing::CrLf;
using testing::Lines;
using testing::ProgramResult;
using testing::RunProgramIn;
using testing::TempDir;

// The bytes of a UTF-8 literal (plain literals are compiled to Shift-JIS).
std::string Utf8(std::u8string_view text) { return std::string(text.begin(), text.end()); }

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Without a mode the Windows program opens the dialog, and links need rights Windows does not
// give by default: such tests are for the Linux program.
#ifdef _WIN32
constexpr bool kWindowsProgram = true;
#else
constexpr bool kWindowsProgram = false;
#endif

// The selection of the complete figure-file example: a line and a circle, 20 wide, 10 high.
const std::string kSelFigure =
    CrLf({"-10,-5,10,5", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,2", "L,0,0,2,1,1,0,0,-10,-5,10,-5",
          "E,0,0,2,2,1,0,0,0,0,5,1,0,6.28318530718,0,1", "BD,0"});

TEST(ProgramDrawing, PaperScaleLineThenTheFiveAttributeCommands) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", CrLf({"hq", "bz", "lg2", "lyA", "lc3", "lt4", "lw5", "lg0", "hp1 0 0",
                                  "hp2 100 0", "hp3 100 50"}));
  dir.Write("sel.txt", kSelFigure);
  const auto result = RunProgramIn(dir, {"2"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(result.output.empty());
  const std::string out = dir.Read("JWC_TEMP.TXT").value_or("");
  EXPECT_TRUE(StartsWith(out, "bz\r\nlg2\r\nlyA\r\nlc3\r\nlt4\r\nlw5\r\n")) << out.substr(0, 80);
  // The figures follow.
  EXPECT_GT(Lines(out).size(), 6u);
  EXPECT_FALSE(dir.Exists("JWC_TEMP.TXT.tmp"));
}

TEST(ProgramDrawing, NoLineWidthCommandWithoutOneInTheInput) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", CrLf({"hq", "lg0", "ly0", "lc1", "lt1", "hp1 0 0", "hp2 100 0"}));
  dir.Write("sel.txt", kSelFigure);
  EXPECT_EQ(RunProgramIn(dir, {"1"}).exitCode, 0);
  const auto lines = Lines(dir.Read("JWC_TEMP.TXT").value_or(""));
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
            (std::vector<std::string>{"lg0", "ly0", "lc1", "lt1"}));
  EXPECT_NE(lines[4].substr(0, 2), "lw");
  EXPECT_NE(lines[0], "bz");
}

TEST(ProgramDrawing, TwoPointModeWithoutAnExchangeFileDrawsAtTheResetPoints) {
  TempDir dir;
  EXPECT_EQ(RunProgramIn(dir, {"1"}).exitCode, 0);
  const std::string out = dir.Read("JWC_TEMP.TXT").value_or("");
  EXPECT_TRUE(StartsWith(out, "lg0\r\nly0\r\nlc1\r\nlt1\r\n")) << out;
}

TEST(ProgramDrawing, TooManyFiguresWritesOnlyHq) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT",
            CrLf({"hq", "bz", "lg0", "ly0", "lc1", "lt1", "hp1 0 0", "hp2 1000000 0"}));
  dir.Write("sel.txt", kSelFigure);
  Settings settings;
  settings.rows[0].width = 1e-7;  // a hundred thousand million figures on the segment
  dir.Write("garanarabe.dat", SerializeSettings(settings));
  EXPECT_EQ(RunProgramIn(dir, {"2"}).exitCode, 0);
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), "hq\r\n");
}

// Every name in the folder but the program's own.
std::vector<std::string> FolderNames(const TempDir& dir) {
  std::vector<std::string> names;
  const std::string program =
      std::filesystem::path(testing::ProgramUnderTest()).filename().string();
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name != program) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A figure of 40 lines, copied 2500 times: a few megabytes of output, so that runs started
// together are still writing while the others start.
void WriteLargeDrawing(const TempDir& dir, const std::string& mode2Points) {
  dir.Write("JWC_TEMP.TXT", CrLf({"hq", "lg0", "ly0", "lc1", "lt1", "hp1 0 0", mode2Points}));
  std::vector<std::string> figure{"-5,-5,5,5", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,40"};
  for (int i = 0; i < 40; ++i) {
    figure.push_back("L,0,0,2,1,1,0,0,-4.75," + std::to_string(i * 0.25 - 5) + ",4.5,3.125");
  }
  figure.push_back("BD,0");
  dir.Write("sel.txt", CrLf(figure));
}

constexpr int kRunsAtOnce = 4;

// Two Jw_cad windows sharing one program folder: every run finishes, the exchange file is one
// complete output (a run that started after another had finished reads that one's output), and
// no temporary file stays.
TEST(ProgramRunsAtOnce, DrawingRunsEachLeaveACompleteFile) {
  TempDir reference;
  WriteLargeDrawing(reference, "hp2 25000 10");
  ASSERT_EQ(RunProgramIn(reference, {"1"}).exitCode, 0);
  const std::string first = reference.Read("JWC_TEMP.TXT").value();
  ASSERT_EQ(RunProgramIn(reference, {"1"}).exitCode, 0);
  const std::string second = reference.Read("JWC_TEMP.TXT").value();
  ASSERT_GT(first.size(), 3'000'000u);

  TempDir dir;
  WriteLargeDrawing(dir, "hp2 25000 10");
  for (const ProgramResult& result : testing::RunProgramsAtOnceIn(dir, {"1"}, kRunsAtOnce)) {
    EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  }
  const std::string out = dir.Read("JWC_TEMP.TXT").value_or("");
  EXPECT_TRUE(out == first || out == second) << out.size();
  EXPECT_EQ(FolderNames(dir), (std::vector<std::string>{"JWC_TEMP.TXT", "sel.txt"}));
}

TEST(ProgramRunsAtOnce, RegisterRunsEachLeaveTheFigureWithItsSettings) {
  std::vector<std::string> exchange{"hq", "lg0", "ly0", "lc1", "lt1"};
  for (int i = 0; i < 20000; ++i) exchange.push_back("ci " + std::to_string(i) + " 0 4");
  TempDir reference;
  reference.Write("JWC_TEMP.TXT", CrLf(exchange));
  ASSERT_EQ(RunProgramIn(reference, {"3"}).exitCode, 0);

  TempDir dir;
  dir.Write("JWC_TEMP.TXT", CrLf(exchange));
  for (const ProgramResult& result : testing::RunProgramsAtOnceIn(dir, {"3"}, kRunsAtOnce)) {
    EXPECT_EQ(result.exitCode, 0) << result.errorOutput;
  }
  EXPECT_EQ(dir.Read("sel.txt"), reference.Read("sel.txt"));
  EXPECT_EQ(dir.Read("garanarabe.dat"), reference.Read("garanarabe.dat"));
  EXPECT_EQ(FolderNames(dir),
            (std::vector<std::string>{"JWC_TEMP.TXT", "garanarabe.dat", "sel.txt"}));
}

// A FIFO in place of an input never makes the run wait for a writer. In place of JWC_TEMP.TXT it
// is no file, as after a Jw_cad that wrote none; in place of the settings or the figure it is
// there and cannot be read: the run refuses and leaves it.
TEST(ProgramInputs, FifosNeverWait) {
  if (kWindowsProgram) GTEST_SKIP() << "Linux program only";
#ifndef _WIN32
  const struct {
    const char* fifo;
    int exitCode;
  } cases[] = {{"JWC_TEMP.TXT", 0}, {"garanarabe.dat", 1}, {"sel.txt", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fifo);
    TempDir dir;
    dir.Write("JWC_TEMP.TXT", CrLf({"hq", "hp1 0 0", "hp2 100 0"}));
    dir.Write("sel.txt", kSelFigure);
    std::filesystem::remove(dir.path() / c.fifo);
    ASSERT_EQ(::mkfifo(dir.File(c.fifo).c_str(), 0600), 0);
    for (const char* mode : {"2", "1"}) {
      EXPECT_EQ(RunProgramIn(dir, {mode}).exitCode, c.exitCode) << mode;
    }
    EXPECT_TRUE(std::filesystem::is_fifo(dir.path() / c.fifo) == (c.exitCode != 0));
    if (c.exitCode == 0) {
      // Drawn at the reset points with the default pattern: nothing but the attributes.
      EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), CrLf({"lg0", "ly0", "lc1", "lt1"}));
    } else {
      EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), CrLf({"hq", "hp1 0 0", "hp2 100 0"}));
    }
  }
#endif
}

struct UntouchedCase {
  const char* name;
  std::vector<std::string> points;
};

void PrintTo(const UntouchedCase& c, std::ostream* os) { *os << c.name; }

class ProgramTooFewPoints : public ::testing::TestWithParam<UntouchedCase> {};

TEST_P(ProgramTooFewPoints, MultiPointModeLeavesTheExchangeFileAsItWas) {
  TempDir dir;
  std::string exchange = "hq\r\nlg0\nly0\r\n";
  for (const auto& p : GetParam().points) exchange += p + "\r\n";
  exchange += "lc1";  // no line end at the end: not even that is changed
  dir.Write("JWC_TEMP.TXT", exchange);
  dir.Write("sel.txt", kSelFigure);
  EXPECT_EQ(RunProgramIn(dir, {"2"}).exitCode, 0);
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), exchange);
  EXPECT_FALSE(dir.Exists("garanarabe.dat"));
}

INSTANTIATE_TEST_SUITE_P(Points, ProgramTooFewPoints,
                         ::testing::Values(UntouchedCase{"none", {}},
                                           UntouchedCase{"only1", {"hp1 5 5"}},
                                           UntouchedCase{"1and3", {"hp1 5 5", "hp3 9 9"}},
                                           UntouchedCase{"2and3", {"hp2 5 5", "hp3 9 9"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProgramTooFewPoints, MissingExchangeFileStaysMissing) {
  TempDir dir;
  EXPECT_EQ(RunProgramIn(dir, {"2"}).exitCode, 0);
  EXPECT_FALSE(dir.Exists("JWC_TEMP.TXT"));
}

TEST(ProgramRegister, WritesSelTxtAndStoresItsSizeInRowsOfTheSelectedFigure) {
  TempDir dir;
  const std::string exchange =
      CrLf({"hq", "lg0", "ly2", "lc1", "lt1", "10 20 30 20", "lc2", "ci 20 25 5"});
  dir.Write("JWC_TEMP.TXT", exchange);
  Settings stored;
  for (int n = 0; n < kPatternRows; ++n) {
    stored.rows[n].figureKind = n % 3;  // kinds 0, 1 and one outside the list
    stored.rows[n].width = 1.5 + n;
    stored.rows[n].height = 2.5 + n;
    stored.rows[n].interval = n;
  }
  stored.jwsFile = "C:\\jw\\a.jws";
  dir.Write("garanarabe.dat", SerializeSettings(stored));

  const auto result = RunProgramIn(dir, {"3"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_TRUE(result.output.empty());
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), exchange);
  ASSERT_TRUE(dir.Exists("sel.txt"));
  RealFileSystem fs;
  const FigureSize size = MeasureFigureFile(fs, dir.File("sel.txt"));
  EXPECT_EQ(size.width, 20.0);
  EXPECT_EQ(size.height, 10.0);

  Settings expected = stored;
  for (PatternRow& row : expected.rows) {
    if (row.figureKind == 0) {
      row.width = size.width;
      row.height = size.height;
    }
  }
  EXPECT_EQ(dir.Read("garanarabe.dat"), SerializeSettings(expected));
}

TEST(ProgramRegister, SavesTheSettingsEvenWithoutAFileBefore) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", CrLf({"hq", "0 0 8 0", "0 0 0 4"}));
  EXPECT_EQ(RunProgramIn(dir, {"3"}).exitCode, 0);
  const Settings saved = ParseSettings(dir.Read("garanarabe.dat").value_or(""));
  for (const PatternRow& row : saved.rows) {
    EXPECT_EQ(row.width, 8.0);
    EXPECT_EQ(row.height, 4.0);
  }
  EXPECT_EQ(saved.selectedRow, 1);
}

TEST(ProgramFiles, SettingsFileIsNamedAfterTheProgram) {
  TempDir dir;
  std::filesystem::copy_file(testing::ProgramUnderTest(), dir.File("other.exe"));
  dir.Write("JWC_TEMP.TXT", CrLf({"hq", "0 0 8 0"}));
  EXPECT_EQ(RunProgramIn(dir, {"3"}, dir.File("other.exe")).exitCode, 0);
  EXPECT_TRUE(dir.Exists("other.dat"));
  EXPECT_FALSE(dir.Exists("garanarabe.dat"));
}

TEST(ProgramFiles, ProgramDirectoryIsWhereTheRealFileIsNotTheLink) {
  if (kWindowsProgram) GTEST_SKIP() << "Linux program only";
  TempDir real;
  TempDir linked;
  std::filesystem::copy_file(testing::ProgramUnderTest(), real.File("garanarabe"));
  std::filesystem::create_symlink(real.File("garanarabe"), linked.File("garanarabe"));
  const std::string input = CrLf({"hq", "lg0", "ly0", "lc1", "lt1", "hp1 0 0", "hp2 50 0"});
  real.Write("JWC_TEMP.TXT", input);
  linked.Write("JWC_TEMP.TXT", input);
  EXPECT_EQ(RunProgramIn(linked, {"2"}, real.File("garanarabe")).exitCode, 0);
  EXPECT_NE(real.Read("JWC_TEMP.TXT"), input);
  EXPECT_EQ(linked.Read("JWC_TEMP.TXT"), input);
}

TEST(ProgramTable, PrintsTheTwelveRowsWithTheirItemNames) {
  if (kWindowsProgram) GTEST_SKIP() << "Linux program only";
  TempDir dir;
  Settings stored;
  stored.selectedRow = 3;
  stored.rows[2] = {1, 12.5, 4, 1, 2.25, 2, 2, 1, 0};
  stored.rows[5].figureKind = 7;
  stored.SetUseWritingLayer(true);
  dir.Write("garanarabe.dat", SerializeSettings(stored));
  dir.Write("JWC_TEMP.TXT", CrLf({"hq", "bz"}));
  const auto result = RunProgramIn(dir, {});
  EXPECT_EQ(result.exitCode, 0);
  const auto lines = Lines(result.output);
  std::vector<std::string> rows;
  for (const auto& line : lines) {
    if (line.size() > 3 && (line[0] == ' ' || line[0] == '*') && line[1] >= '0' && line[1] <= '9')
      rows.push_back(line);
  }
  ASSERT_EQ(rows.size(), 12u) << result.output;
  // UTF-8 for the terminal, the columns padded as the Shift-JIS text was (each double-byte
  // character two columns wide).
  EXPECT_EQ(
      rows[2],
      Utf8(u8"*3  JWS 図形  12.5      4         均等配置  2.25      下      全長  間隔  なし"));
  EXPECT_EQ(
      rows[0],
      Utf8(u8" 1  選択図形  10        10        間隔指定  0         中      なし  なし  なし"));
  EXPECT_NE(rows[5].find("(7)"), std::string::npos);
  EXPECT_NE(result.output.find(Utf8(u8"[x] ●書込み【レイヤ】に作図")), std::string::npos);
  EXPECT_NE(result.output.find(Utf8(u8"[図寸mm]")), std::string::npos);
  EXPECT_NE(result.output.find(dir.File("garanarabe.dat")), std::string::npos);
  // Showing the settings changes no file.
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), CrLf({"hq", "bz"}));
  EXPECT_EQ(dir.Read("garanarabe.dat"), SerializeSettings(stored));
}

class ProgramOtherArguments : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(ProgramOtherArguments, ShowTheTableAndTouchNoFile) {
  if (kWindowsProgram) GTEST_SKIP() << "Linux program only";
  TempDir dir;
  const std::string input = CrLf({"hq", "hp1 0 0", "hp2 50 0", "0 0 8 0"});
  dir.Write("JWC_TEMP.TXT", input);
  const auto result = RunProgramIn(dir, GetParam());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.output.find(Utf8(u8"[実寸mm]")), std::string::npos);
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), input);
  EXPECT_FALSE(dir.Exists("sel.txt"));
  EXPECT_FALSE(dir.Exists("garanarabe.dat"));
}

INSTANTIATE_TEST_SUITE_P(Arguments, ProgramOtherArguments,
                         ::testing::Values(std::vector<std::string>{},
                                           std::vector<std::string>{"5"},
                                           std::vector<std::string>{"01"},
                                           std::vector<std::string>{"1 "},
                                           std::vector<std::string>{""}));

}  // namespace
}  // namespace gara
