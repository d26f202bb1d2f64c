// garanarabe-svg as a user runs it: files in, an SVG file or standard output out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/temp_dir.h"

namespace gara::testing {
namespace {

const std::string kSvgProgram = GARA_SVG_PATH;
// The Windows runner leaves standard error on the console.
#ifdef _WIN32
constexpr bool kErrorOutputCaptured = false;
#else
constexpr bool kErrorOutputCaptured = true;
#endif

constexpr std::string_view kInput = "hq\r\nhp1 0 0\r\nhp2 100 0\r\n";
constexpr std::string_view kResult = "lg0\r\nly1\r\nlc2\r\n0 0 100 0\r\nci 50 0 10\r\n";

ProgramResult RunSvg(const TempDir& dir, const std::vector<std::string>& args) {
  return RunProgramIn(dir, args, kSvgProgram);
}

TEST(SvgProgram, WritesTheFileNamedByO) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", kResult);
  const ProgramResult run = RunSvg(dir, {"JWC_TEMP.TXT", "-o", "out.svg"});
  EXPECT_EQ(run.exitCode, 0) << run.errorOutput;
  EXPECT_TRUE(run.output.empty());
  const auto svg = dir.Read("out.svg");
  ASSERT_TRUE(svg);
  EXPECT_EQ(svg->rfind("<?xml", 0), 0u);
  EXPECT_NE(svg->find("<line x1=\"0\" y1=\"0\" x2=\"100\" y2=\"0\""), std::string::npos);
}

TEST(SvgProgram, StandardOutputWithoutO) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", kResult);
  const ProgramResult toFile = RunSvg(dir, {"JWC_TEMP.TXT", "-o", "out.svg"});
  const ProgramResult toOutput = RunSvg(dir, {"JWC_TEMP.TXT"});
  EXPECT_EQ(toOutput.exitCode, 0);
  // Byte for byte the same, line ends included, on every system.
  EXPECT_EQ(toOutput.output, dir.Read("out.svg").value_or(""));
}

TEST(SvgProgram, PointsOfAnotherFileUnderTheResult) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", kResult);
  dir.Write("input.txt", kInput);
  const ProgramResult run = RunSvg(dir, {"JWC_TEMP.TXT", "--points", "input.txt", "-o", "x.svg"});
  EXPECT_EQ(run.exitCode, 0) << run.errorOutput;
  const std::string svg = dir.Read("x.svg").value_or("");
  const size_t underlay = svg.find("<g id=\"underlay\"");
  ASSERT_NE(underlay, std::string::npos);
  EXPECT_LT(underlay, svg.find("<g id=\"drawing\""));
  EXPECT_NE(svg.find(">2</text>"), std::string::npos);
}

TEST(SvgProgram, FigureFileToldByItsContent) {
  TempDir dir;
  dir.Write("figure.dat", "-5,-3,5,3\r\n1\r\nN,1\r\nL,0,0,0,2,1,0,0,-5,-3,5,3\r\nBD,0\r\n");
  const ProgramResult run = RunSvg(dir, {"figure.dat"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("<rect class=\"extents\""), std::string::npos);
}

struct UsageCase {
  const char* name;
  std::vector<std::string> args;
};

void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class SvgUsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(SvgUsageTest, ExitsWithTwoAndSaysWhy) {
  TempDir dir;
  dir.Write("in.txt", kResult);
  const ProgramResult run = RunSvg(dir, GetParam().args);
  EXPECT_EQ(run.exitCode, 2);
  if (kErrorOutputCaptured) {
    EXPECT_NE(run.errorOutput.find("usage: garanarabe-svg"), std::string::npos);
  }
  EXPECT_TRUE(run.output.empty());
  EXPECT_FALSE(dir.Exists("out.svg"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SvgUsageTest,
    ::testing::Values(UsageCase{"NoInput", {}}, UsageCase{"OnlyOutput", {"-o", "out.svg"}},
                      UsageCase{"UnknownOption", {"in.txt", "--fast"}},
                      UsageCase{"OutputWithoutName", {"in.txt", "-o"}},
                      UsageCase{"PointsWithoutName", {"in.txt", "--points"}},
                      UsageCase{"TwoInputs", {"in.txt", "in.txt"}},
                      UsageCase{"OutputTwice", {"in.txt", "-o", "out.svg", "-o", "out.svg"}},
                      UsageCase{"RowWithoutSettings", {"--row", "1"}},
                      UsageCase{"RowOutOfRange", {"--settings", "in.txt", "--row", "13"}},
                      UsageCase{"RowNotANumber", {"--settings", "in.txt", "--row", "1x"}},
                      UsageCase{"SettingsAndInput",
                                {"in.txt", "--settings", "in.txt", "--row", "1"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SvgProgram, UnreadableFilesExitWithOne) {
  TempDir dir;
  dir.Write("in.txt", kResult);
  const ProgramResult missing = RunSvg(dir, {"missing.txt", "-o", "out.svg"});
  EXPECT_EQ(missing.exitCode, 1);
  if (kErrorOutputCaptured) {
    EXPECT_NE(missing.errorOutput.find("missing.txt: cannot be read"), std::string::npos);
  }
  const ProgramResult missingPoints = RunSvg(dir, {"in.txt", "--points", "nope.txt"});
  EXPECT_EQ(missingPoints.exitCode, 1);
  EXPECT_TRUE(missingPoints.output.empty());
  const ProgramResult badOutput = RunSvg(dir, {"in.txt", "-o", "no-such-folder/out.svg"});
  EXPECT_EQ(badOutput.exitCode, 1);
}

// The preview of a row, with the figure file beside the settings file; a settings file that is
// not there is an error, not the defaults.
TEST(SvgProgram, PreviewOfARowFromTheSettingsFile) {
  TempDir dir;
  dir.Write("garanarabe.dat", "");
  dir.Write("sel.txt", "-5,-3,5,3\r\n1\r\nN,1\r\nL,0,0,0,2,1,0,0,-5,-3,5,3\r\nBD,0\r\n");
  const ProgramResult run =
      RunSvg(dir, {"--settings", dir.File("garanarabe.dat"), "--row", "2", "-o", "out.svg"});
  EXPECT_EQ(run.exitCode, 0) << run.errorOutput;
  const std::string svg = dir.Read("out.svg").value_or("");
  // Three designated points and the copies along them.
  EXPECT_NE(svg.find(">3</text>"), std::string::npos);
  EXPECT_GT(svg.find("<line"), svg.find("<g id=\"drawing\""));
  EXPECT_EQ(RunSvg(dir, {"--settings", "none.dat", "--row", "1"}).exitCode, 1);
}

TEST(SvgProgram, HelpOnStandardOutput) {
  TempDir dir;
  const ProgramResult run = RunSvg(dir, {"--help"});
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_NE(run.output.find("usage: garanarabe-svg INPUT"), std::string::npos);
}

}  // namespace
}  // namespace gara::testing
