#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "app/program_paths.h"
#include "app/run_mode.h"

namespace gara {
namespace {

struct ModeCase {
  const char* argument;
  RunMode mode;
};

void PrintTo(const ModeCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.argument); }

class RunModeArgument : public ::testing::TestWithParam<ModeCase> {};

TEST_P(RunModeArgument, IsComparedAsAWholeString) {
  EXPECT_EQ(ParseRunMode(GetParam().argument), GetParam().mode);
  const char* argv[] = {"garanarabe", GetParam().argument, nullptr};
  EXPECT_EQ(ParseRunModeArgs(2, argv), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, RunModeArgument,
    ::testing::Values(ModeCase{"1", RunMode::kTwoPoint}, ModeCase{"2", RunMode::kMultiPoint},
                      ModeCase{"3", RunMode::kRegister}, ModeCase{"", RunMode::kDialog},
                      ModeCase{"0", RunMode::kDialog}, ModeCase{"4", RunMode::kPath},
                      ModeCase{"5", RunMode::kDialog}, ModeCase{"01", RunMode::kDialog},
                      ModeCase{"1 ", RunMode::kDialog}, ModeCase{" 2", RunMode::kDialog},
                      ModeCase{"+3", RunMode::kDialog}, ModeCase{"12", RunMode::kDialog},
                      ModeCase{"１", RunMode::kDialog}, ModeCase{"/1", RunMode::kDialog}));

TEST(RunModeArgument, NoArgumentIsTheDialog) {
  const char* argv[] = {"garanarabe", nullptr};
  EXPECT_EQ(ParseRunModeArgs(1, argv), RunMode::kDialog);
  EXPECT_EQ(ParseRunModeArgs(0, argv), RunMode::kDialog);
}

TEST(RunModeArgument, OnlyTheFirstArgumentCounts) {
  const char* argv[] = {"garanarabe", "x", "2", nullptr};
  EXPECT_EQ(ParseRunModeArgs(3, argv), RunMode::kDialog);
  const char* argv2[] = {"garanarabe", "3", "1", nullptr};
  EXPECT_EQ(ParseRunModeArgs(3, argv2), RunMode::kRegister);
}

struct PathCase {
  const char* program;
  const char* separators;
  const char* dir;
  const char* settings;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.program; }

class ProgramPathsOf : public ::testing::TestWithParam<PathCase> {};

TEST_P(ProgramPathsOf, DirectoryAndSettingsFile) {
  const ProgramPaths paths =
      ProgramPaths::FromProgramFile(GetParam().program, GetParam().separators);
  EXPECT_EQ(paths.programDir, GetParam().dir);
  EXPECT_EQ(paths.settingsPath, GetParam().settings);
  EXPECT_EQ(paths.ExchangeFile(), std::string(GetParam().dir) + "JWC_TEMP.TXT");
  EXPECT_EQ(paths.SelectionFigureFile(), std::string(GetParam().dir) + "sel.txt");
  const std::string settings = GetParam().settings;
  EXPECT_EQ(paths.RowDetailsPath(), settings.substr(0, settings.size() - 4) + ".ini");
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ProgramPathsOf,
    ::testing::Values(
        PathCase{"/opt/jw/garanarabe", "/", "/opt/jw/", "/opt/jw/garanarabe.dat"},
        PathCase{"/opt/jw/garanarabe.exe", "/", "/opt/jw/", "/opt/jw/garanarabe.dat"},
        PathCase{"/opt/v1.2/garanarabe", "/", "/opt/v1.2/", "/opt/v1.2/garanarabe.dat"},
        PathCase{"/x/prog.tar.gz", "/", "/x/", "/x/prog.tar.dat"},
        PathCase{"/x/.garanarabe", "/", "/x/", "/x/.garanarabe.dat"},
        PathCase{"/x/garanarabe.", "/", "/x/", "/x/garanarabe.dat"},
        PathCase{"/garanarabe", "/", "/", "/garanarabe.dat"},
        PathCase{"garanarabe", "/", "", "garanarabe.dat"},
        PathCase{"/a b/図形/柄.exe", "/", "/a b/図形/", "/a b/図形/柄.dat"},
        // A backslash is an ordinary character in a Linux file name.
        PathCase{"/x/a\\b.exe", "/", "/x/", "/x/a\\b.dat"},
        PathCase{"C:\\Jw\\garanarabe.exe", "\\/:", "C:\\Jw\\", "C:\\Jw\\garanarabe.dat"},
        PathCase{"C:\\v1.2\\garanarabe", "\\/:", "C:\\v1.2\\", "C:\\v1.2\\garanarabe.dat"},
        PathCase{"C:garanarabe.exe", "\\/:", "C:", "C:garanarabe.dat"},
        // 表 ends in the byte of a backslash: in a Windows path it is part of the name.
        PathCase{"C:\\Jw\\表.exe", "\\/:", "C:\\Jw\\", "C:\\Jw\\表.dat"},
        PathCase{"C:\\表\\g.exe", "\\/:", "C:\\表\\", "C:\\表\\g.dat"}));

TEST(ProgramPathsOf, ReplaceExtensionAlone) {
  EXPECT_EQ(ReplaceExtension("/a.b/c", ".dat", "/"), "/a.b/c.dat");
  EXPECT_EQ(ReplaceExtension("/a/c.x", ".txt", "/"), "/a/c.txt");
}

}  // namespace
}  // namespace gara
