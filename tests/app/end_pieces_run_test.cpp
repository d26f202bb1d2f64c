// Drawing runs with corner pieces and caps: a turn of nearly 180 degrees keeps the drawing beside
// its points, and pieces that do not fit their run are left out, the rest drawn and the user told.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "app/main_flow.h"
#include "app/outcome_message.h"
#include "app/test_files.h"
#include "support/memory_file_system.h"
#include "util/text.h"

namespace gara {
namespace {

using testing::CrLf;
using testing::MemoryFileSystem;

const ProgramPaths kPaths{"", "garanarabe.dat"};

// A figure file `w` wide and `h` high: its outline.
std::string Box(double w, double h) {
  const std::string x = std::to_string(w / 2), y = std::to_string(h / 2);
  return CrLf({"-" + x + ",-" + y + "," + x + "," + y, "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,2",
               "L,0,0,2,1,1,0,0,-" + x + ",-" + y + "," + x + "," + y,
               "L,0,0,2,1,1,0,0,-" + x + "," + y + "," + x + ",-" + y, "BD,0"});
}

struct Drawn {
  RunOutcome outcome;
  std::string message;
  std::string output;  // JWC_TEMP.TXT after the run
};

// A run of `mode` with row 1: a 12 x 6 figure, 均等配置, interval 4, the given reference point
// (0 上, 2 下) and full-length lines, and the corner piece and caps the details name.
Drawn DrawRow1(RunMode mode, const std::string& exchange, int reference, const std::string& details,
               const std::vector<std::pair<std::string, double>>& pieces) {
  MemoryFileSystem fs;
  fs.files[kPaths.ExchangeFile()] = exchange;
  fs.files["sel.txt"] = Box(12, 6);
  for (const auto& [file, width] : pieces) fs.files[file] = Box(width, 7);
  Settings settings;
  PatternRow& row = settings.rows[0];
  row.width = 12;
  row.height = 6;
  row.arrangement = 1;
  row.interval = 4;
  row.referencePoint = reference;
  row.topLine = row.bottomLine = 2;
  fs.files[kPaths.settingsPath] = SerializeSettings(settings);
  fs.files[kPaths.RowDetailsPath()] = details;
  ProgramRun run({fs, kPaths});
  run.Prepare(mode);
  const RunOutcome outcome = run.RunWindowless(mode);
  return {outcome, OutcomeMessage(outcome, run.detail()), fs.files[kPaths.ExchangeFile()]};
}

// The lines drawn, and the largest coordinate among them.
struct DrawnLines {
  size_t count = 0;
  double farthest = 0;
};
DrawnLines LinesOf(const std::string& output) {
  DrawnLines drawn;
  for (const std::string& line : testing::Lines(output)) {
    if (line.empty() || !(line[0] == '-' || (line[0] >= '0' && line[0] <= '9'))) continue;
    ++drawn.count;
    size_t at = 0;
    while (at < line.size()) {
      size_t used = 0;
      drawn.farthest = std::max(drawn.farthest, std::fabs(std::stod(line.substr(at), &used)));
      at += used;
    }
  }
  return drawn;
}

// Two sides of 100 turning by nearly 180 degrees, as designated points and as selected lines:
// the drawing stays within a few figure heights of the points, the corner piece and the copies
// of both sides with it; no message.
TEST(NearReversalRun, StaysBesideItsPoints) {
  const std::string details = CrLf({"[1]", "corner=corner.txt"});
  for (const char* tip : {"1.745", "0.0001"}) {
    for (const int reference : {0, 2}) {
      SCOPED_TRACE(::testing::Message() << tip << " " << reference);
      const std::string points = CrLf({"hq", "hp1 0 0", "hp2 100 0", std::string("hp3 0 ") + tip});
      const std::string lines =
          CrLf({"hq", "lg0", "ly0", "0 0 100 0", std::string("100 0 0 ") + tip});
      for (const auto& [mode, exchange] :
           {std::pair{RunMode::kMultiPoint, points}, std::pair{RunMode::kPath, lines}}) {
        const Drawn drawn = DrawRow1(mode, exchange, reference, details, {{"corner.txt", 7}});
        EXPECT_EQ(drawn.outcome, RunOutcome::kDrawn);
        EXPECT_EQ(drawn.message, "");
        const DrawnLines drawnLines = LinesOf(drawn.output);
        EXPECT_LE(drawnLines.farthest, 100 + 3 * 6);
        // Six copies on each side and the corner piece, two lines each, and the rails.
        EXPECT_GE(drawnLines.count, 2 * (6 + 6 + 1) + 4u);
        EXPECT_LT(drawn.output.size(), 10000u);
      }
    }
  }
}

// Corner pieces and caps that do not fit their run are left out in every run mode, the message
// naming them and how many; the run is drawn.
TEST(EndPiecesRun, ThoseThatDoNotFitAreLeftOutAndTold) {
  struct Case {
    const char* name;
    RunMode mode;
    std::string exchange;
    std::vector<const char*> said;
  };
  const std::string caps = CrLf({"[1]", "start=start.txt", "end=end.txt", "corner=corner.txt"});
  const std::vector<std::pair<std::string, double>> pieces = {
      {"start.txt", 1000}, {"end.txt", 6}, {"corner.txt", 8}};
  const Case cases[] = {
      {"wide start cap",
       RunMode::kTwoPoint,
       CrLf({"hq", "hp1 0 0", "hp2 100 0"}),
       {"始端図形 1 個を作図しませんでした"}},
      {"zero-length run",
       RunMode::kTwoPoint,
       CrLf({"hq", "hp1 5 5", "hp2 5 5"}),
       {"始端図形 1 個、終端図形 1 個を作図しませんでした"}},
      {"short side",
       RunMode::kMultiPoint,
       CrLf({"hq", "hp1 0 0", "hp2 2000 0", "hp3 2000 4", "hp4 2200 4"}),
       {"角図形 2 個を作図しませんでした"}},
      {"path",
       RunMode::kPath,
       CrLf({"hq", "0 0 100 0", "100 0 100 100"}),
       {"始端図形 1 個を作図しませんでした"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Drawn drawn = DrawRow1(c.mode, c.exchange, 1, caps, pieces);
    EXPECT_EQ(drawn.outcome, RunOutcome::kDrawn);
    EXPECT_NE(drawn.message.find("置く区間に収まらないため"), std::string::npos) << drawn.message;
    for (const char* part : c.said) {
      EXPECT_NE(drawn.message.find(part), std::string::npos) << drawn.message;
    }
    EXPECT_NE(drawn.output, c.exchange);  // drawn, not left as Jw_cad wrote it
  }
}

}  // namespace
}  // namespace gara
