#include "app/main_flow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "app/test_files.h"
#include "platform/real_file_system.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"

namespace gara {
namespace {

using testing::CrLf;
using testing::FaultCase;
using testing::FaultFileSystem;
using testing::FilesIn;
using testing::TempDir;

struct PointsCase {
  std::vector<int> designated;
  int expected;
};

void PrintTo(const PointsCase& c, std::ostream* os) {
  *os << "points";
  for (int n : c.designated) *os << " " << n;
}

class ConsecutivePoints : public ::testing::TestWithParam<PointsCase> {};

TEST_P(ConsecutivePoints, CountStopsAtTheFirstGap) {
  DrawingState state;
  for (int n : GetParam().designated) state.designatedPoints[n].used = true;
  EXPECT_EQ(ConsecutiveDesignatedPoints(state), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Points, ConsecutivePoints,
                         ::testing::Values(PointsCase{{}, 0}, PointsCase{{1}, 1},
                                           PointsCase{{1, 3}, 1}, PointsCase{{2, 3}, 0},
                                           PointsCase{{1, 2}, 2}, PointsCase{{1, 2, 3, 5}, 3}));

TEST(ConsecutivePoints, AllNinetyNine) {
  DrawingState state;
  for (int n = 1; n <= 99; ++n) state.designatedPoints[n].used = true;
  EXPECT_EQ(ConsecutiveDesignatedPoints(state), 99);
}

struct ModeCase {
  RunMode mode;
  const char* points;  // the designated-point lines
  RunOutcome outcome;
};

void PrintTo(const ModeCase& c, std::ostream* os) {
  *os << "mode " << static_cast<int>(c.mode) << " " << c.points;
}

class RunModeOutcome : public ::testing::TestWithParam<ModeCase> {};

TEST_P(RunModeOutcome, OfEachMode) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", CrLf({"hq", "lg0", "ly0", GetParam().points}));
  RealFileSystem fs;
  ProgramRun run({fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))});
  run.Prepare();
  EXPECT_EQ(run.RunWindowless(GetParam().mode), GetParam().outcome);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, RunModeOutcome,
    ::testing::Values(ModeCase{RunMode::kDialog, "hp1 0 0", RunOutcome::kShowDialog},
                      ModeCase{RunMode::kTwoPoint, "hp1 0 0", RunOutcome::kDrawn},
                      ModeCase{RunMode::kMultiPoint, "hp1 0 0", RunOutcome::kNothingToDraw},
                      ModeCase{RunMode::kMultiPoint, "hp2 1 1", RunOutcome::kNothingToDraw},
                      ModeCase{RunMode::kRegister, "hp1 0 0", RunOutcome::kRegisteredEmpty},
                      ModeCase{RunMode::kPath, "hp1 0 0", RunOutcome::kNothingToDraw},
                      ModeCase{RunMode::kPath, "0 0 0 0", RunOutcome::kNothingToDraw},
                      ModeCase{RunMode::kPath, "ci 0 0 5", RunOutcome::kNoFigureFile}));

TEST(ProgramRunPrepare, ReadsTheExchangeFileAndTheSettingsBesideTheProgram) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", CrLf({"hq", "bz", "lg3", "lyB", "lc5", "lt2", "hp1 1 2", "hp2 3 4"}));
  Settings stored;
  stored.selectedRow = 9;
  stored.jwsFile = "x.jws";
  dir.Write("prog.dat", SerializeSettings(stored));
  RealFileSystem fs;
  ProgramRun run({fs, ProgramPaths::FromProgramFile(dir.File("prog.exe"))});
  run.Prepare();
  EXPECT_TRUE(run.state().paperScaleFlag);
  EXPECT_EQ(run.state().writingLayerGroup, 3);
  EXPECT_EQ(run.state().writingLayer, 11);
  EXPECT_TRUE(run.state().designatedPoints[2].used);
  EXPECT_EQ(run.settings().selectedRow, 9);
  EXPECT_EQ(run.settings().jwsFile, "x.jws");
  // The dialog mode writes nothing.
  EXPECT_EQ(run.RunWindowless(RunMode::kDialog), RunOutcome::kShowDialog);
  EXPECT_EQ(FilesIn(dir), 2u);
}

TEST(ProgramRunPrepare, PreparingAgainStartsFromTheResetState) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", CrLf({"bz", "hp1 1 2", "hp2 3 4"}));
  RealFileSystem fs;
  ProgramRun run({fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))});
  run.Prepare();
  ASSERT_EQ(run.RunWindowless(RunMode::kTwoPoint), RunOutcome::kDrawn);
  // JWC_TEMP.TXT now holds the output, without designated points.
  run.Prepare();
  EXPECT_FALSE(run.state().designatedPoints[1].used);
  EXPECT_TRUE(run.output().empty());
}

class ExchangeWriteFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ExchangeWriteFault, NoPartialExchangeFileAndNoTemporary) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", CrLf({"hq", "lg0", "ly0", "lc1", "lt1", "hp1 0 0", "hp2 50 0"}));
  FaultFileSystem fs;
  fs.fault = GetParam().fault;
  ProgramRun run({fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))});
  run.Prepare();
  EXPECT_EQ(run.RunWindowless(RunMode::kMultiPoint), RunOutcome::kWriteFailed);
  EXPECT_FALSE(dir.Exists("JWC_TEMP.TXT"));
  EXPECT_EQ(FilesIn(dir), 0u);
}

INSTANTIATE_TEST_SUITE_P(Steps, ExchangeWriteFault, ::testing::ValuesIn(testing::kWriteFaults));

TEST(RegisterWriteFault, TheSavedPatternsSurviveAFailedRegistration) {
  TempDir dir;
  const std::string exchange = CrLf({"hq", "lg0", "ly2", "lc1", "lt1", "10 20 30 20"});
  dir.Write("JWC_TEMP.TXT", exchange);
  Settings stored;
  stored.rows[4].interval = 7.5;
  const std::string settings = SerializeSettings(stored);
  dir.Write("garanarabe.dat", settings);
  FaultFileSystem fs;
  fs.fault = FaultFileSystem::Fault::kRename;
  EXPECT_EQ(RunWindowless(RunMode::kRegister,
                          {fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))}),
            RunOutcome::kWriteFailed);
  EXPECT_EQ(dir.Read("garanarabe.dat"), settings);
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), exchange);
  EXPECT_FALSE(dir.Exists("sel.txt"));
  EXPECT_EQ(FilesIn(dir), 2u);
}

}  // namespace
}  // namespace gara
