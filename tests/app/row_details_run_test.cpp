// The drawing runs with a row details file beside the settings: a value they do not follow is
// told and the drawing made without it; details that hold nothing they read change no byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
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

// The files of a run with row 3 (20 x 10) selected, its figure in sel.txt, another in alt.txt,
// and the given details file, if any.
MemoryFileSystem Folder(const std::string& exchange, const std::string* details) {
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
  return fs;
}

// A run of `mode` in that folder.
RunResult Draw(RunMode mode, const std::string& exchange, const std::string* details) {
  MemoryFileSystem fs = Folder(exchange, details);
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

// A value is quoted in part however long, its characters whole, and what would hide in it (a NUL
// ending the message box's text, a control byte) shown.
TEST(DetailValue, QuotedInPart) {
  const std::string a64(64, 'a');
  std::string hyou70;  // 表 seventy times: its second byte is a backslash
  for (int i = 0; i < 70; ++i) hyou70 += "\x95\x5C";
  const struct {
    std::string value;
    std::string quoted;
  } cases[] = {
      {a64, a64},
      {a64 + "b", a64 + "…"},
      {std::string(100'000, 'x'), std::string(64, 'x') + "…"},
      {"a" + hyou70, "a" + hyou70.substr(0, 126) + "…"},
      {std::string("alt.txt\0x", 9), "alt.txt?x"},
      {"a\tb\x7F\x81", "a?b??"},
      {"\x81\x1F\x95\x5C", "??\x95\x5C"},  // a lead byte before a control byte stands alone
  };
  for (const auto& c : cases) {
    RunDetail detail;
    detail.refusedDetails.push_back({"/prog/garanarabe.ini", 3, "alternate", c.value});
    const std::string message = OutcomeMessage(RunOutcome::kDrawn, detail);
    EXPECT_EQ(message.rfind("garanarabe.ini の [3] の alternate=" + c.quoted + " は、", 0), 0u)
        << message;
  }
}

// A run whose figure file cannot be read draws nothing and names the file of its row's kind.
TEST(FigureUnreadable, MessageNamesTheFigureFile) {
  for (const FigureKind kind : {FigureKind::kSelected, FigureKind::kJws}) {
    RunDetail detail;
    detail.figureKind = kind;
    detail.file = std::string("/prog/") + (kind == FigureKind::kJws ? "jws.txt" : "sel.txt");
    const std::string message = OutcomeMessage(RunOutcome::kFigureUnreadable, detail);
    EXPECT_EQ(message.find("/prog/"), std::string::npos);
    EXPECT_NE(message.find((kind == FigureKind::kJws ? "JWS図形のファイル jws.txt"
                                                     : "選択図形のファイル sel.txt") +
                           std::string(" を読み込めないため、何も作図しませんでした。")),
              std::string::npos)
        << message;
  }
  EXPECT_EQ(ExitStatus(RunOutcome::kFigureUnreadable), ExitStatus(RunOutcome::kSettingsUnreadable));
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

// The gallery's cases with details, their details file as Notepad saves it (UTF-8 with its mark)
// with CR line ends, and their figure files under Japanese names: the same drawings.
TEST(DetailsInUtf8, DrawTheSameAsInShiftJis) {
  const stdfs::path gallery = stdfs::path(GARA_TEST_DATA_DIR) / "../../docs/gallery/cases";
  RealFileSystem disk;
  int cases = 0;
  for (const stdfs::directory_entry& dir : stdfs::directory_iterator(gallery)) {
    if (!stdfs::exists(dir.path() / "garanarabe.ini")) continue;
    MemoryFileSystem shiftJis;
    for (const stdfs::directory_entry& file : stdfs::directory_iterator(dir.path())) {
      shiftJis.files[file.path().filename().string()] = disk.ReadFile(file.path().string()).value();
    }
    MemoryFileSystem utf8;
    for (const auto& [name, bytes] : shiftJis.files) {
      utf8.files[name.starts_with("row") ? "\x95\xBF" + name : name] = bytes;  // 柄
    }
    std::string& details = utf8.files[kPaths.RowDetailsPath()];
    std::string converted = "\xEF\xBB\xBF";
    for (size_t i = 0; i < details.size(); ++i) {
      if (details[i] != '\n') converted += details[i];
      if (details.compare(i, 4, "=row") == 0) converted += "\xE6\x9F\x84";  // 柄, UTF-8
    }
    details = converted;
    for (const char mode : shiftJis.files.at("mode")) {
      if (mode < '1' || mode > '4') continue;
      const RunResult expected = gara::Run(shiftJis, ParseRunMode(std::string(1, mode)));
      const RunResult got = gara::Run(utf8, ParseRunMode(std::string(1, mode)));
      EXPECT_EQ(got.outcome, expected.outcome) << dir.path();
      EXPECT_EQ(got.message(), expected.message()) << dir.path();
      EXPECT_TRUE(got.files.at(kPaths.ExchangeFile()) == expected.files.at(kPaths.ExchangeFile()))
          << dir.path();
      ++cases;
    }
  }
  EXPECT_GE(cases, 7);
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

// Files in memory, one of which is there but cannot be read.
class OneUnreadable final : public FileSystem {
 public:
  OneUnreadable(MemoryFileSystem& files, std::string unreadable)
      : files_(files), unreadable_(std::move(unreadable)) {}
  std::optional<std::string> ReadFile(const std::string& path) override {
    if (path == unreadable_) return std::nullopt;
    return files_.ReadFile(path);
  }
  bool IsFile(const std::string& path) override { return files_.IsFile(path); }
  bool Remove(const std::string& path) override { return files_.Remove(path); }
  std::unique_ptr<OutputFile> Create(const std::string& path) override {
    return files_.Create(path);
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return files_.Rename(from, to);
  }

 private:
  MemoryFileSystem& files_;
  std::string unreadable_;
};

const std::string kScales = "1,1,1,1,1,1,1,1,1,1,1,1,1,1,1,1";

// The file an extra figure names, and why it draws nothing.
struct FigureFaultCase {
  const char* what;
  std::string bytes;
  FigureFault fault;
  const char* reason;  // the words of the message that say why
};

std::vector<FigureFaultCase> FigureFaultCases() {
  using namespace std::string_literals;
  const char* empty = "空のファイルのため、";
  const char* notFigure = "図形のファイルではないため、";
  const char* noRecords = "図形の要素が書かれていないファイルのため、";
  const char* nothing = "作図できる要素のない図形のファイルのため、";
  return {
      {"empty", "", FigureFault::kEmpty, empty},
      {"blank lines", "\r\n \t\r\n\r\n", FigureFault::kEmpty, empty},
      {"the settings file", SerializeSettings(Settings{}), FigureFault::kNotFigureFile, notFigure},
      {"the exchange file", CrLf({"hq", "hp1 0 0", "hp2 100 0", "0 0 10 0"}),
       FigureFault::kNotFigureFile, notFigure},
      {"the details file", CrLf({"[3]", "alternate=alt.txt"}), FigureFault::kNotFigureFile,
       notFigure},
      {"the program", "MZ\x90\0\x03\0\0\0\x04\0\0\0\xFF\xFF\0\0\xB8,\0,\0,\0\r\n\x0E\x1F\xBA"s,
       FigureFault::kNotFigureFile, notFigure},
      // A figure's lines whose count line is not one.
      {"no count line", CrLf({"-10,-5,10,5", kScales, "L,0,0,2,1,1,0,0,-10,-5,10,-5"}),
       FigureFault::kNotFigureFile, notFigure},
      {"extents only", CrLf({"-10,-5,10,5"}), FigureFault::kNoRecords, noRecords},
      {"cut after the count", CrLf({"-10,-5,10,5", kScales, "N,3"}), FigureFault::kNoRecords,
       noRecords},
      {"count 0", CrLf({"-10,-5,10,5", kScales, "N,0", "BD,0"}), FigureFault::kNothingDrawable,
       nothing},
      {"unknown kinds only", CrLf({"-10,-5,10,5", kScales, "N,2", "Q,0,0,2,1,1,0,0,1,2", "BD,0"}),
       FigureFault::kNothingDrawable, nothing},
      {"extents beyond any drawing",
       CrLf({"-1e300,-1e300,1e300,1e300", kScales, "N,1", "L,0,0,2,1,1,0,0,-1e300,0,1e300,0",
             "BD,0"}),
       FigureFault::kBeyondReach, "大きすぎる図形（幅、高さか座標が 1 兆 mm を超える）のため、"},
  };
}

// An alternate figure whose file draws nothing: the drawing is the one without it, and the
// message says which file and why, and where to choose the figure again.
TEST(DetailFigure, ThatDrawsNothingIsToldAndLeftOut) {
  const std::string exchange = CrLf({"hq", "lg0", "ly0", "hp1 0 0", "hp2 100 0"});
  const std::string details = CrLf({"[3]", "alternate=alt.txt"});
  RunResult without = Draw(RunMode::kMultiPoint, exchange, nullptr);
  ASSERT_EQ(without.outcome, RunOutcome::kDrawn);
  without.files[kPaths.RowDetailsPath()] = details;
  const auto check = [&](const RunResult& with, FigureFault fault, const std::string& reason) {
    EXPECT_EQ(with.outcome, RunOutcome::kDrawn);
    EXPECT_EQ(with.files.at(kPaths.ExchangeFile()), without.files.at(kPaths.ExchangeFile()));
    ASSERT_EQ(with.detail.refusedDetails.size(), 1u);
    EXPECT_EQ(with.detail.refusedDetails[0].fault, fault);
    const std::string message = with.message();
    EXPECT_EQ(message.rfind("garanarabe.ini の [3] の alternate=alt.txt は、" + reason +
                                "交互図形を使いませんでした。\n",
                            0),
              0u)
        << message;
    EXPECT_NE(message.find("設定画面の［詳細…］で 3 番目のパターンの交互図形を選び直して"),
              std::string::npos);
  };
  for (const FigureFaultCase& c : FigureFaultCases()) {
    SCOPED_TRACE(c.what);
    MemoryFileSystem fs = Folder(exchange, &details);
    fs.files["alt.txt"] = c.bytes;
    const RunResult with = gara::Run(fs, RunMode::kMultiPoint);
    check(with, c.fault, c.reason);
    EXPECT_EQ(with.files.at("alt.txt"), c.bytes);
  }
  // There, but it cannot be read.
  MemoryFileSystem files = Folder(exchange, &details);
  OneUnreadable fs(files, "alt.txt");
  ProgramRun run({fs, kPaths});
  run.Prepare(RunMode::kMultiPoint);
  const RunResult unreadable{run.RunWindowless(RunMode::kMultiPoint), run.detail(), files.files};
  check(unreadable, FigureFault::kUnreadable, "読み込めないファイルのため、");
  EXPECT_NE(unreadable.message().find("アクセス権"), std::string::npos);
}

// Each figure detail is told by its own key, in the order of the keys, after a value refused as
// a name.
TEST(DetailFigure, EachKeyIsToldOfItsOwnFile) {
  const std::string exchange = CrLf({"hq", "lg0", "ly0", "hp1 0 0", "hp2 100 0"});
  const std::string details = CrLf({"[3]", "end=cut.txt", "start=garanarabe.dat", "corner=none.txt",
                                    "alternate=gone.txt", "bend=0"});
  MemoryFileSystem fs = Folder(exchange, &details);
  fs.files["cut.txt"] = CrLf({"-10,-5,10,5", kScales, "N,3"});
  fs.files["none.txt"] = CrLf({"-10,-5,10,5", kScales, "N,0", "BD,0"});
  const RunResult result = gara::Run(fs, RunMode::kMultiPoint);
  EXPECT_EQ(result.outcome, RunOutcome::kDrawn);
  const std::vector<std::tuple<std::string, std::string, FigureFault>> expected = {
      {"alternate", "gone.txt", FigureFault::kNone},
      {"corner", "none.txt", FigureFault::kNothingDrawable},
      {"start", "garanarabe.dat", FigureFault::kNotFigureFile},
      {"end", "cut.txt", FigureFault::kNoRecords}};
  std::vector<std::tuple<std::string, std::string, FigureFault>> told;
  for (const RefusedDetail& refused : result.detail.refusedDetails) {
    EXPECT_EQ(refused.row, 3);
    told.emplace_back(refused.key, refused.value, refused.fault);
  }
  EXPECT_EQ(told, expected);
  for (const char* label : {"交互図形を使いません", "角図形を使いません", "始端図形を使いません",
                            "終端図形を使いません"}) {
    EXPECT_NE(result.message().find(label), std::string::npos) << label;
  }
}

}  // namespace
}  // namespace gara
