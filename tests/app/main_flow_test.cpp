#include "app/main_flow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/test_files.h"
#include "platform/real_file_system.h"
#include "settings/settings.h"
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
                      ModeCase{RunMode::kPath, "hp1 0 0", RunOutcome::kNoPath},
                      ModeCase{RunMode::kPath, "0 0 0 0", RunOutcome::kNoPath},
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
  EXPECT_EQ(run.state().writing.layerGroup, 3);
  EXPECT_EQ(run.state().writing.layer, 11);
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

// A drawing of a few hundred kilobytes: 2000 copies of a figure of 20 lines along one segment
// (of more for a longer one).
void WriteDrawingFolder(const TempDir& dir, int length = 20000) {
  dir.Write("JWC_TEMP.TXT", CrLf({"hq", "lg0", "ly0", "lc1", "lt1", "hp1 0 0",
                                  "hp2 " + std::to_string(length) + " 0"}));
  std::vector<std::string> figure{"-5,-5,5,5", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,20"};
  for (int i = 0; i < 20; ++i) {
    figure.push_back("L,0,0,2,1,1,0,0,-5," + std::to_string(i * 0.5 - 5) + ",5.125,-3.0625");
  }
  figure.push_back("BD,0");
  dir.Write("sel.txt", CrLf(figure));
}

struct DrawFaultCase {
  RunMode mode;
  FaultCase step;
  int writesBeforeFailure;
};

void PrintTo(const DrawFaultCase& c, std::ostream* os) {
  *os << "mode " << static_cast<int>(c.mode) << " failing " << c.step.step << " after "
      << c.writesBeforeFailure;
}

class ExchangeWriteFault : public ::testing::TestWithParam<DrawFaultCase> {};

TEST_P(ExchangeWriteFault, NoPartialExchangeFileAndNoTemporary) {
  TempDir dir;
  WriteDrawingFolder(dir, 80000);  // some megabytes: several writes, one failing in the middle
  const std::string figure = dir.Read("sel.txt").value();
  FaultFileSystem fs;
  fs.fault = GetParam().step.fault;
  fs.writesBeforeFailure = GetParam().writesBeforeFailure;
  ProgramRun run({fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))});
  run.Prepare();
  EXPECT_EQ(run.RunWindowless(GetParam().mode), RunOutcome::kWriteFailed);
  EXPECT_FALSE(dir.Exists("JWC_TEMP.TXT"));
  EXPECT_EQ(dir.Read("sel.txt"), figure);
  EXPECT_EQ(FilesIn(dir), 1u);
}

std::vector<DrawFaultCase> DrawFaults() {
  std::vector<DrawFaultCase> cases;
  for (RunMode mode : {RunMode::kTwoPoint, RunMode::kMultiPoint}) {
    for (const FaultCase& step : testing::kWriteFaults) cases.push_back({mode, step, 0});
    cases.push_back({mode, testing::kWriteFaults[1], 3});  // in the middle of the drawing
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Steps, ExchangeWriteFault, ::testing::ValuesIn(DrawFaults()));

// The estimate a refusal names is close to what the run writes.
TEST(DrawEstimate, IsAboutTheSizeOfTheFile) {
  TempDir dir;
  WriteDrawingFolder(dir);
  RealFileSystem fs;
  ProgramRun run({fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))});
  run.Prepare();
  ASSERT_EQ(run.RunWindowless(RunMode::kMultiPoint), RunOutcome::kDrawn);
  const double written = static_cast<double>(dir.Read("JWC_TEMP.TXT").value().size());
  EXPECT_EQ(run.estimate().figures, 2000);
  EXPECT_EQ(run.estimate().entities, 2000 * 20);
  EXPECT_GE(run.estimate().bytes, 0.9 * written);
  EXPECT_LE(run.estimate().bytes, 1.5 * written);
}

// The size limit the host sets for the run is the one a drawing is held to.
TEST(DrawEstimate, TheEnvironmentsSizeLimitHolds) {
  TempDir dir;
  WriteDrawingFolder(dir);
  RealFileSystem fs;
  RunEnvironment env{fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))};
  env.maxOutputBytes = 100'000;
  ProgramRun run(env);
  run.Prepare();
  EXPECT_EQ(run.RunWindowless(RunMode::kMultiPoint), RunOutcome::kTooLarge);
  EXPECT_EQ(run.estimate().maxBytes, 100'000);
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), "hq\r\n");
}

TEST(DrawEstimate, SizeLimitFromTheEnvironment) {
  const std::pair<const char*, double> cases[] = {{nullptr, kMaxOutputBytesPerRun},
                                                  {"", kMaxOutputBytesPerRun},
                                                  {"4000", 4e9},
                                                  {"1", 1e6},
                                                  {"0", kMaxOutputBytesPerRun},
                                                  {"-5", kMaxOutputBytesPerRun},
                                                  {"12MB", kMaxOutputBytesPerRun},
                                                  {"99999999999", kMaxOutputBytesPerRun}};
  for (const auto& [text, limit] : cases) {
    EXPECT_EQ(OutputLimitFromEnvironment(text), limit) << (text ? text : "unset");
  }
}

struct LimitCase {
  const char* name;
  const char* far;  // the second designated point
  int texts;        // texts of 200 bytes in the figure
  RunOutcome outcome;
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

class RunLimit : public ::testing::TestWithParam<LimitCase> {};

// Past a limit nothing is drawn, whatever the figure would have been: the file holds "hq" only,
// and the outcome tells which limit and by how much.
TEST_P(RunLimit, RefusedBeforeDrawingWithItsReason) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", CrLf({"hq", "lg0", "hp1 0 0", GetParam().far}));
  std::vector<std::string> figure{"-5,-5,5,5", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1",
                                  "N," + std::to_string(GetParam().texts)};
  for (int i = 0; i < GetParam().texts; ++i) {
    figure.push_back("M,0,0,2,1,1,0,0,-3,-2,3,-2,3,3,3,0.5,\"x\",\"" + std::string(200, 'A') +
                     "\"");
  }
  figure.push_back("BD,0");
  dir.Write("sel.txt", CrLf(figure));
  RealFileSystem fs;
  ProgramRun run({fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))});
  run.Prepare();
  EXPECT_EQ(run.RunWindowless(RunMode::kMultiPoint), GetParam().outcome);
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), "hq\r\n");
  if (GetParam().outcome == RunOutcome::kTooLarge) {
    EXPECT_EQ(run.estimate().figures, 500000);
    EXPECT_GT(run.estimate().bytes, kMaxOutputBytesPerRun);
    EXPECT_LT(run.estimate().bytes, 2 * kMaxOutputBytesPerRun);
  } else {
    EXPECT_GT(run.estimate().figures, static_cast<double>(kMaxFiguresPerRun));
  }
  EXPECT_EQ(FilesIn(dir), 2u);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, RunLimit,
    ::testing::Values(LimitCase{"figures", "hp2 20000000 0", 1, RunOutcome::kTooManyFigures},
                      LimitCase{"bytes", "hp2 5000000 0", 10, RunOutcome::kTooLarge}));

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

// Register mode failing at each step, files of both kinds there before: the old figure and the
// old settings stay together, or the new ones replace both; no temporary file remains.
struct RegisterFaultCase {
  FaultCase step;
  int callsBeforeFailure;
};

void PrintTo(const RegisterFaultCase& c, std::ostream* os) {
  *os << "failing " << c.step.step << " after " << c.callsBeforeFailure;
}

class RegisterTransaction : public ::testing::TestWithParam<RegisterFaultCase> {};

TEST_P(RegisterTransaction, FigureAndSettingsChangeTogetherOrNotAtAll) {
  const std::string exchange = CrLf({"hq", "lg0", "ly2", "lc1", "lt1", "10 20 30 20", "ci 0 0 4"});
  Settings stored;
  stored.rows[4].interval = 7.5;
  const std::string oldSettings = SerializeSettings(stored);
  const std::string oldFigure = CrLf({"-1,-1,1,1", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "BD,0"});
  const auto prepare = [&](const TempDir& dir) {
    dir.Write("JWC_TEMP.TXT", exchange);
    dir.Write("garanarabe.dat", oldSettings);
    dir.Write("sel.txt", oldFigure);
  };
  TempDir reference;
  prepare(reference);
  RealFileSystem realFs;
  ASSERT_EQ(RunWindowless(RunMode::kRegister,
                          {realFs, ProgramPaths::FromProgramFile(reference.File("garanarabe"))}),
            RunOutcome::kRegistered);

  TempDir dir;
  prepare(dir);
  FaultFileSystem fs;
  fs.fault = GetParam().step.fault;
  fs.callsBeforeFailure = GetParam().callsBeforeFailure;
  // A rename that fails once: the one that puts the figure in place after the settings, whose
  // undoing must then succeed.
  if (fs.fault == FaultFileSystem::Fault::kRename) fs.failures = 1;
  const RunOutcome outcome = RunWindowless(
      RunMode::kRegister, {fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))});
  if (outcome == RunOutcome::kRegistered) {
    EXPECT_EQ(dir.Read("sel.txt"), reference.Read("sel.txt"));
    EXPECT_EQ(dir.Read("garanarabe.dat"), reference.Read("garanarabe.dat"));
  } else {
    EXPECT_EQ(outcome, RunOutcome::kWriteFailed);
    EXPECT_EQ(dir.Read("sel.txt"), oldFigure);
    EXPECT_EQ(dir.Read("garanarabe.dat"), oldSettings);
  }
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), exchange);
  EXPECT_EQ(FilesIn(dir), 3u);
}

std::vector<RegisterFaultCase> RegisterFaults() {
  std::vector<RegisterFaultCase> cases;
  for (const FaultCase& step : testing::kWriteFaults) {
    // Three files are written (figure, settings, the old settings kept aside) and two renamed.
    for (int calls = 0; calls < 3; ++calls) cases.push_back({step, calls});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Steps, RegisterTransaction, ::testing::ValuesIn(RegisterFaults()));

TEST(RegisterTransaction, ReadOnlySettingsAreNeitherReplacedNorJoinedByANewFigure) {
  TempDir dir;
  dir.Write("JWC_TEMP.TXT", CrLf({"hq", "10 20 30 20"}));
  const std::string settings = SerializeSettings(Settings{});
  dir.Write("garanarabe.dat", settings);
  const auto path = dir.path() / "garanarabe.dat";
  namespace stdfs = std::filesystem;
  stdfs::permissions(
      path, stdfs::perms::owner_write | stdfs::perms::group_write | stdfs::perms::others_write,
      stdfs::perm_options::remove);
  RealFileSystem fs;
  EXPECT_EQ(RunWindowless(RunMode::kRegister,
                          {fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))}),
            RunOutcome::kWriteFailed);
  stdfs::permissions(path, stdfs::perms::owner_write, stdfs::perm_options::add);
  EXPECT_EQ(dir.Read("garanarabe.dat"), settings);
  EXPECT_FALSE(dir.Exists("sel.txt"));
  EXPECT_EQ(FilesIn(dir), 2u);
}

// How a file that is there cannot be read: the file itself, or a folder on its way that may not
// be searched (which looks as if nothing were there).
enum class Unreadable { kFile, kBehindFolder };
constexpr Unreadable kUnreadableKinds[] = {Unreadable::kFile, Unreadable::kBehindFolder};

void MakeUnreadable(FaultFileSystem& fs, Unreadable kind, const std::string& path) {
  (kind == Unreadable::kFile ? fs.unreadable : fs.unreachable) = path;
}

// A settings file that is there but cannot be read is not taken for defaults: no mode writes.
TEST(UnreadableSettings, EveryModeRefusesAndWritesNothing) {
  for (const Unreadable kind : kUnreadableKinds) {
    for (RunMode mode :
         {RunMode::kDialog, RunMode::kTwoPoint, RunMode::kMultiPoint, RunMode::kRegister}) {
      SCOPED_TRACE(static_cast<int>(kind));
      TempDir dir;
      WriteDrawingFolder(dir);
      const std::string exchange = dir.Read("JWC_TEMP.TXT").value();
      const std::string figure = dir.Read("sel.txt").value();
      dir.Write("garanarabe.dat", "secret patterns");
      FaultFileSystem fs;
      MakeUnreadable(fs, kind, dir.File("garanarabe.dat"));
      EXPECT_EQ(RunWindowless(mode, {fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))}),
                RunOutcome::kSettingsUnreadable);
      EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), exchange);
      EXPECT_EQ(dir.Read("sel.txt"), figure);
      EXPECT_EQ(dir.Read("garanarabe.dat"), "secret patterns");
      EXPECT_EQ(FilesIn(dir), 3u);
    }
  }
}

// A details file that is there but cannot be read: the drawing runs refuse and write nothing;
// the register run and the dialog use no detail and go on. The file is never written.
TEST(UnreadableDetails, DrawingRunsRefuseAndWriteNothing) {
  const std::pair<RunMode, RunOutcome> cases[] = {
      {RunMode::kTwoPoint, RunOutcome::kDetailsUnreadable},
      {RunMode::kMultiPoint, RunOutcome::kDetailsUnreadable},
      {RunMode::kPath, RunOutcome::kDetailsUnreadable},
      {RunMode::kRegister, RunOutcome::kRegisteredEmpty},
      {RunMode::kDialog, RunOutcome::kShowDialog}};
  for (const Unreadable kind : kUnreadableKinds) {
    for (const auto& [mode, outcome] : cases) {
      SCOPED_TRACE(static_cast<int>(kind));
      TempDir dir;
      WriteDrawingFolder(dir);
      const std::string exchange = dir.Read("JWC_TEMP.TXT").value();
      dir.Write("garanarabe.ini", "[1]\r\nalternate=sel.txt\r\n");
      FaultFileSystem fs;
      MakeUnreadable(fs, kind, dir.File("garanarabe.ini"));
      ProgramRun run({fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))});
      run.Prepare(mode);
      EXPECT_TRUE(run.rowDetails().unreadable);
      EXPECT_EQ(run.RunWindowless(mode), outcome) << static_cast<int>(mode);
      EXPECT_EQ(dir.Read("garanarabe.ini"), "[1]\r\nalternate=sel.txt\r\n");
      if (outcome == RunOutcome::kDetailsUnreadable) {
        EXPECT_EQ(run.detail().file, dir.File("garanarabe.ini"));
        EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), exchange);
        EXPECT_EQ(FilesIn(dir), 3u);
      }
    }
  }
}

// The selected figure that is there but cannot be read is not drawn around as a missing one
// would be: nothing is drawn and the user is told which file it is.
TEST(UnreadableFigure, DrawingRunsRefuseAndWriteNothing) {
  for (const Unreadable kind : kUnreadableKinds) {
    for (const RunMode mode : {RunMode::kTwoPoint, RunMode::kMultiPoint}) {
      SCOPED_TRACE(static_cast<int>(kind));
      TempDir dir;
      WriteDrawingFolder(dir);
      const std::string exchange = dir.Read("JWC_TEMP.TXT").value();
      FaultFileSystem fs;
      MakeUnreadable(fs, kind, dir.File("sel.txt"));
      ProgramRun run({fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))});
      run.Prepare(mode);
      EXPECT_EQ(run.RunWindowless(mode), RunOutcome::kFigureUnreadable);
      EXPECT_EQ(run.detail().file, dir.File("sel.txt"));
      EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), exchange);
      EXPECT_EQ(FilesIn(dir), 2u);
    }
  }
}

// The same on the disk, with what any user, root too, can put in a file's place: a link that
// leads nowhere it can end (the settings), a folder (the details, the figure). Nothing is
// replaced and nothing is drawn.
TEST(UnreadableOnDisk, SomethingInAFilesPlaceIsNeverTakenForNothing) {
  namespace stdfs = std::filesystem;
  const struct {
    const char* name;
    bool link;  // a link to itself, else a folder
    RunMode mode;
    RunOutcome outcome;
  } cases[] = {
#ifndef _WIN32
      {"garanarabe.dat", true, RunMode::kRegister, RunOutcome::kSettingsUnreadable},
      {"garanarabe.dat", true, RunMode::kMultiPoint, RunOutcome::kSettingsUnreadable},
      {"garanarabe.ini", true, RunMode::kMultiPoint, RunOutcome::kDetailsUnreadable},
      {"sel.txt", true, RunMode::kTwoPoint, RunOutcome::kFigureUnreadable},
#endif
      {"garanarabe.dat", false, RunMode::kRegister, RunOutcome::kSettingsUnreadable},
      {"garanarabe.ini", false, RunMode::kMultiPoint, RunOutcome::kDetailsUnreadable},
      {"sel.txt", false, RunMode::kTwoPoint, RunOutcome::kFigureUnreadable},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.link ? " link" : " folder"));
    TempDir dir;
    WriteDrawingFolder(dir);
    const std::string exchange = dir.Read("JWC_TEMP.TXT").value();
    const stdfs::path path = dir.path() / c.name;
    stdfs::remove(path);
    if (c.link) {
      stdfs::create_symlink(c.name, path);
    } else {
      stdfs::create_directory(path);
    }
    RealFileSystem fs;
    EXPECT_EQ(RunWindowless(c.mode, {fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))}),
              c.outcome);
    EXPECT_EQ(c.link ? stdfs::is_symlink(path) : stdfs::is_directory(path), true);
    EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), exchange);
  }
}

// Leftovers of any kind under any temporary name, the names this process tries first
// included, change nothing: every run finishes, writes through no link and removes nothing of
// them.
TEST(Leftovers, NeverAffectARun) {
  TempDir dir;
  WriteDrawingFolder(dir);
  dir.Write("outside.txt", "outside");
  RealFileSystem fs;
  namespace stdfs = std::filesystem;
  std::vector<std::string> leftovers;
  for (const char* target : {"JWC_TEMP.TXT", "sel.txt", "garanarabe.dat"}) {
    const std::string base = std::string(target) + "." + std::to_string(fs.ProcessId()) + "-";
    for (int n = 0; n < 4; ++n) {
      const std::string name = base + std::to_string(n) + ".tmp";
      if (n == 0) stdfs::create_directory(dir.path() / name);
      if (n == 1) dir.Write(name, "stale");
#ifndef _WIN32
      if (n == 2) stdfs::create_symlink(dir.path() / "outside.txt", dir.path() / name);
      if (n == 3) stdfs::create_symlink(dir.path() / "nowhere", dir.path() / name);
#endif
      if (stdfs::exists(stdfs::symlink_status(dir.path() / name))) leftovers.push_back(name);
    }
    stdfs::create_directory(dir.path() / (std::string(target) + ".tmp"));
    leftovers.push_back(std::string(target) + ".tmp");
  }
  ProgramRun run({fs, ProgramPaths::FromProgramFile(dir.File("garanarabe"))});
  run.Prepare();
  EXPECT_EQ(run.RunWindowless(RunMode::kMultiPoint), RunOutcome::kDrawn);
  WriteDrawingFolder(dir);
  run.Prepare();
  EXPECT_EQ(run.RunWindowless(RunMode::kRegister), RunOutcome::kRegisteredEmpty);
  EXPECT_TRUE(stdfs::is_regular_file(stdfs::symlink_status(dir.path() / "JWC_TEMP.TXT")));
  EXPECT_TRUE(stdfs::is_regular_file(stdfs::symlink_status(dir.path() / "sel.txt")));
  EXPECT_TRUE(stdfs::is_regular_file(stdfs::symlink_status(dir.path() / "garanarabe.dat")));
  EXPECT_EQ(dir.Read("outside.txt"), "outside");
  EXPECT_FALSE(dir.Exists("nowhere"));
  for (const std::string& name : leftovers) {
    EXPECT_TRUE(stdfs::exists(stdfs::symlink_status(dir.path() / name))) << name;
  }
  EXPECT_EQ(FilesIn(dir), 4 + leftovers.size());
}

}  // namespace
}  // namespace gara
