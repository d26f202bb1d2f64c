// The size limit of a drawing run: the estimate refuses before anything is written, and what is
// written is held to the limit to the byte, whatever the estimate said.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/main_flow.h"
#include "app/outcome_message.h"
#include "app/test_files.h"
#include "settings/settings.h"
#include "support/memory_file_system.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace gara {
namespace {

using testing::CrLf;
using testing::MemoryFileSystem;

const ProgramPaths kPaths{"", "garanarabe.dat"};

// Files in memory that remember the most bytes any file of theirs ever held.
class WatchedFileSystem final : public FileSystem {
 public:
  MemoryFileSystem memory;
  size_t largest = 0;

  std::optional<std::string> ReadFile(const std::string& path) override {
    return memory.ReadFile(path);
  }
  bool IsFile(const std::string& path) override { return memory.IsFile(path); }
  bool Remove(const std::string& path) override { return memory.Remove(path); }
  bool Rename(const std::string& from, const std::string& to) override {
    return memory.Rename(from, to);
  }
  std::unique_ptr<OutputFile> Create(const std::string& path) override {
    return std::make_unique<File>(*this, path, memory.Create(path));
  }

 private:
  class File final : public OutputFile {
   public:
    File(WatchedFileSystem& fs, std::string path, std::unique_ptr<OutputFile> file)
        : fs_(fs), path_(std::move(path)), file_(std::move(file)) {}
    bool Write(std::string_view bytes) override {
      const bool ok = file_->Write(bytes);
      fs_.largest = std::max(fs_.largest, fs_.memory.files[path_].size());
      return ok;
    }
    bool Close() override { return file_->Close(); }

   private:
    WatchedFileSystem& fs_;
    std::string path_;
    std::unique_ptr<OutputFile> file_;
  };
};

// 19 lines across a 10 x 10 box, as the default row draws it.
const std::string kNineteenLines = [] {
  std::vector<std::string> lines{"-5,-5,5,5", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,19"};
  for (int i = 0; i < 19; ++i) {
    const std::string y = std::to_string(i * 0.5 - 5);
    lines.push_back("L,0,0,2,1,1,0,0,-5," + y + ",5," + std::to_string(5 - i * 0.5));
  }
  lines.push_back("BD,0");
  return CrLf(lines);
}();

// The same box with a circle and two arcs besides its lines: stretched, they become ellipses.
const std::string kLinesAndCircles =
    CrLf({"-5,-5,5,5", "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1", "N,4", "L,0,0,2,1,1,0,0,-5,-5,5,5",
          "E,0,0,2,1,1,0,0,0,0,4,1,0,6.28318530718,0,1", "E,0,0,2,1,1,0,0,1,1,2,1,0,1.5,0,0",
          "E,0,0,2,1,1,0,0,-1,-1,2,1,3,4.5,0,0", "BD,0"});

struct Folder {
  std::map<std::string, std::string> files;
  RunMode mode;
};

std::string Header() { return CrLf({"hq", "lg0", "ly0", "lc1", "lt1"}); }

// Mode 2: points (0, 0), (24, 0), then 61 points some tens apart beyond 123456.789; the copies
// 100 apart.
Folder FarPoints(const std::string& figure, Settings settings) {
  std::string exchange = Header() + CrLf({"hp1 0 0", "hp2 24 0"});
  for (int i = 3; i <= 63; ++i) {
    char line[80];
    std::snprintf(line, sizeof line, "hp%d %.3f %.4f", i, 123456.789 + 41.3 * (i % 7) + 7.1 * i,
                  98765.4321 + 37.7 * (i % 5) + 3.3 * i);
    exchange += CrLf({line});
  }
  return {{{"JWC_TEMP.TXT", exchange},
           {"sel.txt", figure},
           {"garanarabe.dat", SerializeSettings(settings)}},
          RunMode::kMultiPoint};
}

Settings Spaced(int32_t arrangement) {
  Settings settings;
  settings.rows[0].width = 10;
  settings.rows[0].height = 10;
  settings.rows[0].arrangement = arrangement;  // 2: 伸縮配置
  settings.rows[0].interval = 90;
  return settings;
}

// Mode 4: a line, and a circle far out.
Folder FarCircle() {
  return {{{"JWC_TEMP.TXT", Header() + CrLf({"0 0 12 0", "ci 123456.789 98765.4321 77777.77777"})},
           {"sel.txt", kNineteenLines}},
          RunMode::kPath};
}

// Mode 4: pairs of a slanting line near the origin with 15 copies whose numbers take all their
// digits, and a short level line a million out with one copy of round numbers. A copy far out
// stands for the copies near it in the estimate, which comes out at about half the file: only
// the writer stops this run.
Folder RoundCopiesFarOut() {
  std::string exchange = Header();
  for (int i = 0; i < 70; ++i) {
    const std::string y = std::to_string(1000 * i);
    exchange += CrLf({"0 " + y + " 116.6 " + std::to_string(1000 * i + 99.99),
                      "1000000 " + y + " 1000010 " + y});
  }
  return {{{"JWC_TEMP.TXT", exchange}, {"sel.txt", kNineteenLines}}, RunMode::kPath};
}

// Mode 4, the figure bent: a wave of 100 half circles of radius 20.
Folder BentWave() {
  std::string exchange = Header();
  for (int k = 0; k < 50; ++k) {
    exchange += CrLf({"ci " + std::to_string(80 * k) + " 0 20 0 180 1 0",
                      "ci " + std::to_string(80 * k + 40) + " 0 20 180 360 1 0"});
  }
  Settings settings;
  settings.rows[0].width = 12;
  settings.rows[0].height = 6;
  settings.rows[0].interval = 3;
  settings.rows[0].topLine = 1;
  return {{{"JWC_TEMP.TXT", exchange},
           {"sel.txt", kLinesAndCircles},
           {"garanarabe.dat", SerializeSettings(settings)},
           {"garanarabe.ini", CrLf({"[1]", "bend=1"})}},
          RunMode::kPath};
}

// Mode 4, the figure bent: a zigzag of 60 lines 40 long turning 12 degrees left and right in
// turn, the copies that straddle a joint joined round it.
Folder BentJoints() {
  std::string exchange = Header();
  double x = 0, y = 0, heading = 0;
  for (int k = 0; k < 60; ++k) {
    heading += (k % 2 == 0 ? 1 : -1) * 12 * kPi / 180;
    const double nx = x + 40 * std::cos(heading), ny = y + 40 * std::sin(heading);
    char line[160];
    std::snprintf(line, sizeof line, "%.10f %.10f %.10f %.10f", x, y, nx, ny);
    exchange += CrLf({line});
    x = nx;
    y = ny;
  }
  Folder folder = BentWave();
  folder.files["JWC_TEMP.TXT"] = exchange;
  return folder;
}

struct Limited {
  RunOutcome outcome;
  DrawEstimate estimate;
  std::string message;
  std::map<std::string, std::string> files;
  size_t largest;  // bytes any file ever held
};

Limited RunUnder(const Folder& folder, double limit) {
  WatchedFileSystem fs;
  fs.memory.files = folder.files;
  RunEnvironment env{fs, kPaths};
  env.maxOutputBytes = limit;
  ProgramRun run(env);
  run.Prepare(folder.mode);
  const RunOutcome outcome = run.RunWindowless(folder.mode);
  return {outcome, run.estimate(), OutcomeMessage(outcome, run.detail()), fs.memory.files,
          fs.largest};
}

// Refused: the exchange file holds "hq" only, no other file is left, no file ever held more
// than the limit, and the message tells the size, beyond the limit, and what to change.
void ExpectRefused(const Limited& run, const Folder& folder, double limit) {
  EXPECT_EQ(run.outcome, RunOutcome::kTooLarge);
  EXPECT_EQ(run.files.at("JWC_TEMP.TXT"), "hq\r\n");
  std::map<std::string, std::string> expected = folder.files;
  expected["JWC_TEMP.TXT"] = "hq\r\n";
  EXPECT_TRUE(run.files == expected) << "a file changed, or one was left";
  EXPECT_LE(run.largest, limit);
  EXPECT_GT(run.estimate.bytes, limit);
  const std::string size =
      "約 " + std::to_string(static_cast<int64_t>(std::ceil(run.estimate.bytes / 1e6))) + " MB";
  EXPECT_NE(run.message.find("大きすぎる"), std::string::npos) << run.message;
  EXPECT_NE(run.message.find(size), std::string::npos) << run.message;
  const std::string bound =
      "上限 " + std::to_string(static_cast<int64_t>(std::floor(limit / 1e6))) + " MB";
  EXPECT_NE(run.message.find(bound), std::string::npos) << run.message;
  EXPECT_NE(run.message.find("間隔を大きく"), std::string::npos) << run.message;
}

struct LimitCase {
  const char* name;
  std::function<Folder()> folder;
  bool writerStops;  // the estimate lets the run through: the writer stops it
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

class SizeLimit : public ::testing::TestWithParam<LimitCase> {};

// Under a limit a byte short of the file the run is refused, by the estimate or by the writer;
// under the estimate's size, or the file's when the estimate is less, it is drawn as without
// a limit.
TEST_P(SizeLimit, HoldsToTheByte) {
  const Folder folder = GetParam().folder();
  const Limited free = RunUnder(folder, 1e12);
  ASSERT_EQ(free.outcome, RunOutcome::kDrawn);
  const std::string drawn = free.files.at("JWC_TEMP.TXT");
  const double size = static_cast<double>(drawn.size());
  if (GetParam().writerStops) {
    EXPECT_LT(free.estimate.bytes, size - 1);
  } else {
    // Copies are measured where they stand: the estimate is close above the file.
    EXPECT_GE(free.estimate.bytes, size);
    EXPECT_LE(free.estimate.bytes, 1.3 * size);
  }
  const Limited exact = RunUnder(folder, std::max(size, std::ceil(free.estimate.bytes)));
  EXPECT_EQ(exact.outcome, RunOutcome::kDrawn);
  EXPECT_TRUE(exact.files.at("JWC_TEMP.TXT") == drawn);
  ExpectRefused(RunUnder(folder, size - 1), folder, size - 1);
  ExpectRefused(RunUnder(folder, size / 3), folder, size / 3);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, SizeLimit,
    ::testing::Values(LimitCase{"far_points", [] { return FarPoints(kNineteenLines, Spaced(0)); },
                                false},
                      LimitCase{"far_points_stretched",
                                [] { return FarPoints(kLinesAndCircles, Spaced(2)); }, false},
                      LimitCase{"bent_wave", BentWave, false},
                      LimitCase{"bent_joints", BentJoints, false},
                      LimitCase{"round_copies_far_out", RoundCopiesFarOut, true}));

// A circle far out, under a limit of 5 MB: refused before anything is written.
TEST(SizeLimit, FarCircleRefused) {
  const Folder folder = FarCircle();
  const Limited run = RunUnder(folder, 5e6);
  ExpectRefused(run, folder, 5e6);
  EXPECT_EQ(run.largest, 4u);  // "hq" and its line end alone were ever written
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// On every case of the cross check and the gallery, in each drawing mode it is run in, the
// estimate is close to the file (a copy measured for others along a curve may have a digit
// fewer than some of them), and the limit holds to the byte.
TEST(SizeLimit, EveryCase) {
  const std::filesystem::path data(GARA_TEST_DATA_DIR);
  int drawn = 0;
  for (const auto& root : {data / "../cross/cases", data / "../../docs/gallery/cases"}) {
    for (const auto& dir : std::filesystem::directory_iterator(root)) {
      Folder folder;
      for (const auto& file : std::filesystem::directory_iterator(dir.path())) {
        folder.files[file.path().filename().string()] = ReadAll(file.path());
      }
      for (const char mode : folder.files["modes"] + folder.files["mode"]) {
        if (mode != '1' && mode != '2' && mode != '4') continue;
        folder.mode = static_cast<RunMode>(mode - '0');
        const Limited free = RunUnder(folder, 1e12);
        if (free.outcome != RunOutcome::kDrawn) continue;
        SCOPED_TRACE(dir.path().filename().string() + " mode " + mode);
        const std::string& bytes = free.files.at("JWC_TEMP.TXT");
        const double size = static_cast<double>(bytes.size());
        EXPECT_GE(free.estimate.bytes, 0.99 * size);
        EXPECT_LE(free.estimate.bytes, 1.3 * size + 100);  // a run of no copies is guessed
        const Limited exact = RunUnder(folder, std::max(size, std::ceil(free.estimate.bytes)));
        EXPECT_TRUE(exact.files.at("JWC_TEMP.TXT") == bytes);
        ExpectRefused(RunUnder(folder, size - 1), folder, size - 1);
        ++drawn;
      }
    }
  }
  EXPECT_GE(drawn, 40);
}

#ifndef _WIN32
// The built program under GARANARABE_MAX_OUTPUT_MB=1, on the run whose estimate is about half its
// file: the writer stops it at the limit, and the program tells why as for the estimate.
TEST(SizeLimit, ProgramHeldToTheLimitOfItsEnvironment) {
  testing::TempDir dir;
  const Folder folder = RoundCopiesFarOut();
  for (const auto& [name, bytes] : folder.files) dir.Write(name, bytes);
  setenv("GARANARABE_MAX_OUTPUT_MB", "1", 1);
  const testing::ProgramResult result = testing::RunProgramIn(dir, {"4"});
  unsetenv("GARANARABE_MAX_OUTPUT_MB");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), "hq\r\n");
  EXPECT_EQ(testing::FilesIn(dir), folder.files.size() + 1);  // and the program
  const std::u8string told = u8"書き出す作図データが大きすぎるため";
  EXPECT_NE(result.errorOutput.find(std::string(told.begin(), told.end())), std::string::npos)
      << result.errorOutput;
}
#endif

}  // namespace
}  // namespace gara
