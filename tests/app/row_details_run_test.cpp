// The drawing runs with a row details file beside the settings: a value they do not follow is
// told and the drawing made without it; details that hold nothing they read change no byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/main_flow.h"
#include "app/outcome_message.h"
#include "app/test_files.h"
#include "platform/real_file_system.h"
#include "settings/row_details.h"
#include "support/memory_file_system.h"

namespace gara {
namespace {

using testing::CrLf;
using testing::MemoryFileSystem;

const ProgramPaths kPaths{"", "garanarabe.dat"};

const std::string kFigure = CrLf({"-10,-5,10,5", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,1",
                                  "L,0,0,2,1,1,0,0,-10,-5,10,-5", "BD,0"});

struct RunResult {
  RunOutcome outcome;
  RunDetail detail;
  std::map<std::string, std::string> files;
  std::string message() const { return OutcomeMessage(outcome, detail); }
};

RunResult Run(MemoryFileSystem& fs, RunMode mode) {
  ProgramRun run({fs, kPaths});
  run.Prepare(mode);
  const RunOutcome outcome = run.RunWindowless(mode);
  return {outcome, run.detail(), fs.files};
}

// A run of `mode` with row 3 (20 x 10) selected, its figure in sel.txt, another in alt.txt, and
// the given details file, if any.
RunResult Draw(RunMode mode, const std::string& exchange, const std::string* details) {
  MemoryFileSystem fs;
  fs.files[kPaths.ExchangeFile()] = exchange;
  fs.files["sel.txt"] = kFigure;
  fs.files["alt.txt"] = kFigure;
  Settings settings;
  settings.selectedRow = 3;
  settings.rows[2].width = 20;
  settings.rows[2].height = 10;
  fs.files[kPaths.settingsPath] = SerializeSettings(settings);
  if (details) fs.files[kPaths.RowDetailsPath()] = *details;
  return Run(fs, mode);
}

// A value not followed is told after the outcome's own words, and the run goes on as without it.
TEST(DetailValue, NotFollowedIsToldAndTheDrawingMadeWithoutIt) {
  const std::pair<std::string, RunOutcome> exchanges[] = {
      {CrLf({"hq", "lg0", "ly0", "hp1 0 0", "hp2 100 0"}), RunOutcome::kDrawn},
      {CrLf({"hq", "hp1 0 0"}), RunOutcome::kNothingToDraw}};
  for (const auto& [exchange, outcome] : exchanges) {
    RunResult without = Draw(RunMode::kMultiPoint, exchange, nullptr);
    ASSERT_EQ(without.outcome, outcome);
    const std::string own = without.message().empty() ? "" : without.message() + "\n\n";
    for (const std::string value : {"alt.txt", "gone.txt", "../alt.txt", "NUL.txt"}) {
      SCOPED_TRACE(value);
      const std::string details = CrLf({"[3]", "alternate=" + value});
      const RunResult with = Draw(RunMode::kMultiPoint, exchange, &details);
      EXPECT_EQ(with.outcome, outcome);
      EXPECT_EQ(with.files.at(kPaths.RowDetailsPath()), details);
      if (value == "alt.txt") {
        EXPECT_EQ(with.message(), without.message());
        continue;
      }
      // Until the layout places an alternate figure, a drawing without one is the drawing.
      without.files[kPaths.RowDetailsPath()] = details;
      EXPECT_EQ(with.files, without.files);
      EXPECT_EQ(with.detail.refusedDetails.size(), 1u);
      EXPECT_EQ(
          with.message().rfind(own + "garanarabe.ini の [3] の alternate=" + value + " は、", 0),
          0u);
      EXPECT_NE(with.message().find("交互図形を使いませんでした。"), std::string::npos);
    }
  }
}

TEST(DetailsUnreadable, MessageNamesTheFileAndLeavesIt) {
  RunDetail detail;
  detail.file = "/prog/garanarabe.ini";
  const std::string message = OutcomeMessage(RunOutcome::kDetailsUnreadable, detail);
  EXPECT_EQ(message.find("/prog/"), std::string::npos);
  EXPECT_NE(message.find("garanarabe.ini を読み込めないため、何も作図しませんでした。"),
            std::string::npos);
  EXPECT_NE(message.find("元のまま"), std::string::npos);
  EXPECT_EQ(ExitStatus(RunOutcome::kDetailsUnreadable),
            ExitStatus(RunOutcome::kSettingsUnreadable));
}

namespace stdfs = std::filesystem;

// What each run of a case leaves: its outcome, its message and every file but the details.
using Step = std::tuple<RunOutcome, std::string, std::map<std::string, std::string>>;

std::vector<Step> RunCase(const stdfs::path& dir, const std::string* details) {
  MemoryFileSystem fs;
  RealFileSystem disk;
  std::string modes;
  for (const stdfs::directory_entry& file : stdfs::directory_iterator(dir)) {
    const std::string name = file.path().filename().string();
    if (name == "modes" || name == "mode") {
      modes = disk.ReadFile(file.path().string()).value_or("");
    } else if (name != kPaths.RowDetailsPath()) {  // a case's own details are replaced
      fs.files[name] = disk.ReadFile(file.path().string()).value_or("");
    }
  }
  if (details) fs.files[kPaths.RowDetailsPath()] = *details;
  std::vector<Step> steps;
  for (const char mode : modes) {
    if (mode < '1' || mode > '4') continue;
    RunResult result = Run(fs, ParseRunMode(std::string(1, mode)));
    if (details) {
      EXPECT_EQ(result.files[kPaths.RowDetailsPath()], *details) << dir;
    }
    result.files.erase(kPaths.RowDetailsPath());
    steps.emplace_back(result.outcome, result.message(), std::move(result.files));
  }
  return steps;
}

// Details a user might keep: comments, keys of other programs, an empty row section, and the
// alternate key outside any row's section.
const std::string kNothingRead =
    CrLf({"; pattern details", "[1]", "", "[2]", "colour=red", "; alternate=sel.txt",
          "alternate_sources=jws.txt", "[window]", "alternate=sel.txt", "[ 3 ]",
          "alternate=sel.txt", "[13]", "alternate=sel.txt"});

TEST(DetailsReadNothing, EveryCaseDrawsTheSameBytes) {
  const stdfs::path data(GARA_TEST_DATA_DIR);
  int cases = 0;
  int drawn = 0;
  for (const stdfs::path& root : {data / "../cross/cases", data / "../../docs/gallery/cases"}) {
    for (const stdfs::directory_entry& dir : stdfs::directory_iterator(root)) {
      const std::vector<Step> without = RunCase(dir.path(), nullptr);
      EXPECT_EQ(RunCase(dir.path(), &kNothingRead), without) << dir.path();
      ++cases;
      for (const Step& step : without) drawn += std::get<0>(step) == RunOutcome::kDrawn;
    }
  }
  EXPECT_GE(cases, 29);
  EXPECT_GE(drawn, 25);
}

// Mode "4" round a circle with row 3 bending its figures (20 x 10, 中): round one of radius 5
// the copies would fold, so they stand unbent, the drawing the same as without the detail, and
// the run tells how many; round one of radius 50 they bend and nothing is told.
TEST(BendRunTest, CopiesThatWouldFoldAreToldOf) {
  const std::string bend = CrLf({"[3]", "bend=1"});
  for (const bool small : {true, false}) {
    const std::string exchange = CrLf({"hq", "lg0", "ly0", small ? "ci 0 0 5" : "ci 0 0 50"});
    const RunResult bent = Draw(RunMode::kPath, exchange, &bend);
    const RunResult plain = Draw(RunMode::kPath, exchange, nullptr);
    ASSERT_EQ(bent.outcome, RunOutcome::kDrawn);
    EXPECT_EQ(plain.message(), "");
    EXPECT_EQ(bent.files.at(kPaths.ExchangeFile()) == plain.files.at(kPaths.ExchangeFile()), small);
    // Bent, nothing is told.
    EXPECT_EQ(bent.message().empty(), !small);
    EXPECT_EQ(bent.message().find("1 個の図形は曲げずに") != std::string::npos, small);
  }
}

}  // namespace
}  // namespace gara
