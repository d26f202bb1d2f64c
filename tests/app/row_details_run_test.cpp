// The drawing runs with a row details file beside the settings: a value they do not follow is
// told and the drawing made without it; details that hold nothing they read change no byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "app/main_flow.h"
#include "app/outcome_message.h"
#include "app/test_files.h"
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
};

// Mode "2" along two points with the figure in sel.txt and the given details file, if any.
RunResult DrawWithDetails(const std::string* details, const std::string& exchange) {
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
  ProgramRun run({fs, kPaths});
  run.Prepare(RunMode::kMultiPoint);
  const RunOutcome outcome = run.RunWindowless(RunMode::kMultiPoint);
  return {outcome, run.detail(), fs.files};
}

const std::string kTwoPoints = CrLf({"hq", "lg0", "ly0", "hp1 0 0", "hp2 100 0"});

struct RefusedCase {
  const char* value;
  bool followed;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.value; }

class DetailValue : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(DetailValue, NotFollowedIsToldAndTheDrawingMade) {
  const std::string details = CrLf({"[3]", std::string("alternate=") + GetParam().value});
  const RunResult without = DrawWithDetails(nullptr, kTwoPoints);
  const RunResult with = DrawWithDetails(&details, kTwoPoints);
  ASSERT_EQ(without.outcome, RunOutcome::kDrawn);
  EXPECT_EQ(with.outcome, RunOutcome::kDrawn);
  EXPECT_EQ(ExitStatus(with.outcome), 0);
  EXPECT_EQ(with.files.at(kPaths.RowDetailsPath()), details);
  if (GetParam().followed) {
    EXPECT_TRUE(with.detail.refusedDetails.empty());
    EXPECT_EQ(OutcomeMessage(with.outcome, with.detail), "");
    return;
  }
  // Until the layout places an alternate figure, a drawing without one is the drawing.
  EXPECT_EQ(with.files, [&] {
    auto files = without.files;
    files[kPaths.RowDetailsPath()] = details;
    return files;
  }());
  ASSERT_EQ(with.detail.refusedDetails.size(), 1u);
  const RefusedDetail& refused = with.detail.refusedDetails[0];
  EXPECT_EQ(refused.row, 3);
  EXPECT_EQ(refused.key, kAlternateKey);
  EXPECT_EQ(refused.value, GetParam().value);
  const std::string message = OutcomeMessage(with.outcome, with.detail);
  EXPECT_EQ(message.rfind(
                "garanarabe.ini の [3] の alternate=" + std::string(GetParam().value) + " は、", 0),
            0u)
      << message;
  EXPECT_NE(message.find("交互図形なしで作図しました。"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Values, DetailValue,
                         ::testing::Values(RefusedCase{"alt.txt", true},
                                           RefusedCase{"gone.txt", false},
                                           RefusedCase{"../alt.txt", false},
                                           RefusedCase{"NUL.txt", false}));

TEST(DetailValue, ToldAfterTheOutcomesOwnWords) {
  const std::string details = CrLf({"[3]", "alternate=gone.txt"});
  const RunResult result = DrawWithDetails(&details, CrLf({"hq", "hp1 0 0"}));
  ASSERT_EQ(result.outcome, RunOutcome::kNothingToDraw);
  RunDetail plain = result.detail;
  plain.refusedDetails.clear();
  const std::string own = OutcomeMessage(result.outcome, plain);
  const std::string message = OutcomeMessage(result.outcome, result.detail);
  ASSERT_FALSE(own.empty());
  EXPECT_EQ(message.substr(0, own.size() + 2), own + "\n\n");
  EXPECT_NE(message.find("alternate=gone.txt"), std::string::npos);
  EXPECT_EQ(result.files.at(kPaths.ExchangeFile()), CrLf({"hq", "hp1 0 0"}));
}

TEST(DetailsUnreadable, Message) {
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

std::string ReadAll(const stdfs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What each run of a case leaves: its outcome, its message and every file but the details.
struct Step {
  RunOutcome outcome;
  std::string message;
  std::map<std::string, std::string> files;
  bool operator==(const Step&) const = default;
};

std::vector<Step> RunCase(const stdfs::path& dir, const std::string* details) {
  MemoryFileSystem fs;
  std::string modes;
  for (const stdfs::directory_entry& file : stdfs::directory_iterator(dir)) {
    const std::string name = file.path().filename().string();
    if (name == "modes" || name == "mode") {
      modes = ReadAll(file.path());
    } else if (name != kPaths.RowDetailsPath()) {  // a case's own details are replaced
      fs.files[name] = ReadAll(file.path());
    }
  }
  if (details) fs.files[kPaths.RowDetailsPath()] = *details;
  std::vector<Step> steps;
  for (const char mode : modes) {
    if (mode < '1' || mode > '4') continue;
    ProgramRun run({fs, kPaths});
    const RunMode runMode = ParseRunMode(std::string(1, mode));
    run.Prepare(runMode);
    const RunOutcome outcome = run.RunWindowless(runMode);
    Step step{outcome, OutcomeMessage(outcome, run.detail()), fs.files};
    if (details) {
      EXPECT_EQ(step.files[kPaths.RowDetailsPath()], *details) << dir;
    }
    step.files.erase(kPaths.RowDetailsPath());
    steps.push_back(std::move(step));
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
      for (const Step& step : without) drawn += step.outcome == RunOutcome::kDrawn;
    }
  }
  EXPECT_GE(cases, 29);
  EXPECT_GE(drawn, 25);
}

// Mode "4" round a circle with row 3 bending its figures (20 x 10, 中): round one of radius 5
// the copies would fold, so they stand unbent, the drawing the same as without the detail, and
// the run tells how many; round one of radius 50 they bend and nothing is told.
TEST(BendRunTest, CopiesThatWouldFoldAreToldOf) {
  const struct {
    const char* circle;
    double unbent;
  } cases[] = {{"ci 0 0 5", 1}, {"ci 0 0 50", 0}};
  const auto draw = [](const char* circle, bool bend) {
    MemoryFileSystem fs;
    fs.files[kPaths.ExchangeFile()] = CrLf({"hq", "lg0", "ly0", circle});
    fs.files["sel.txt"] = kFigure;
    Settings settings;
    settings.selectedRow = 3;
    settings.rows[2].width = 20;
    settings.rows[2].height = 10;
    fs.files[kPaths.settingsPath] = SerializeSettings(settings);
    if (bend) fs.files[kPaths.RowDetailsPath()] = CrLf({"[3]", "bend=1"});
    ProgramRun run({fs, kPaths});
    run.Prepare(RunMode::kPath);
    const RunOutcome outcome = run.RunWindowless(RunMode::kPath);
    EXPECT_EQ(outcome, RunOutcome::kDrawn);
    return std::pair(OutcomeMessage(outcome, run.detail()), fs.files[kPaths.ExchangeFile()]);
  };
  for (const auto& c : cases) {
    const auto [message, drawing] = draw(c.circle, true);
    const auto [plainMessage, plainDrawing] = draw(c.circle, false);
    EXPECT_EQ(plainMessage, "");
    if (c.unbent > 0) {
      EXPECT_EQ(drawing, plainDrawing);
      EXPECT_NE(message.find(std::to_string(int(c.unbent)) + " 個の図形は曲げずに"),
                std::string::npos);
    } else {
      EXPECT_NE(drawing, plainDrawing);
      EXPECT_EQ(message, "");
    }
  }
}

}  // namespace
}  // namespace gara
