// The converter call: its exact command line, when it runs at all, and measuring either figure
// source. A recording runner stands in for the process start; the last test starts the
// converter stand-in for real.
#include "figure/converter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "platform/process_runner.h"
#include "platform/real_file_system.h"
#include "support/fake_converter.h"
#include "support/temp_dir.h"

namespace gara {
namespace {

using testing::TempDir;

struct CommandCase {
  ConverterCommand command;
  const char* expected;
};

TEST(ConverterCommand, CommandLineQuotesEachPathAndPutsTheOutputFirst) {
  const CommandCase cases[] = {
      {{"C:\\jww\\kvx.exe", "C:\\jww\\jws.txt", "C:\\図形\\a.jws"},
       "\"C:\\jww\\kvx.exe\" /1 \"C:\\jww\\jws.txt\" \"C:\\図形\\a.jws\""},
      {{"D:\\My Tools\\kvx.exe", "D:\\My Tools\\jws.txt", "E:\\表 ソ\\b c.jws"},
       "\"D:\\My Tools\\kvx.exe\" /1 \"D:\\My Tools\\jws.txt\" \"E:\\表 ソ\\b c.jws\""},
      {{"/opt/gara/kvx", "/opt/gara/jws.txt", "/home/u/x.jws"},
       "\"/opt/gara/kvx\" /1 \"/opt/gara/jws.txt\" \"/home/u/x.jws\""},
      {{"kvx.exe", "jws.txt", ""}, "\"kvx.exe\" /1 \"jws.txt\" \"\""},
  };
  for (const auto& c : cases) EXPECT_EQ(c.command.CommandLine(), c.expected);
}

// Records each start; "converts" by writing `figure` to the output path, as kvx would.
class RecordingRunner final : public ProcessRunner {
 public:
  std::string figure;
  bool starts = true;
  std::vector<ConverterCommand> calls;

  std::string ConverterFileName() const override { return "kvx.exe"; }
  bool RunAndWait(const ConverterCommand& command) override {
    calls.push_back(command);
    if (!starts) return false;
    if (!figure.empty()) {
      auto out = fs_.Create(command.outputPath);
      if (!out || !out->Write(figure) || !out->Close()) ADD_FAILURE() << command.outputPath;
    }
    return true;
  }

 private:
  RealFileSystem fs_;
};

class ConverterRun : public ::testing::Test {
 protected:
  TempDir dir;
  RealFileSystem fs;
  RecordingRunner runner;
};

TEST_F(ConverterRun, RunsWithProgramDirectoryPathsAndTheJwsPath) {
  dir.Write("part.jws", "jws");
  runner.figure = "0,0,4,3\r\n";
  ASSERT_TRUE(RunConverter(fs, runner, dir.dir(), dir.File("part.jws")));
  ASSERT_EQ(runner.calls.size(), 1u);
  EXPECT_EQ(runner.calls[0].program, dir.dir() + "kvx.exe");
  EXPECT_EQ(runner.calls[0].outputPath, dir.dir() + "jws.txt");
  EXPECT_EQ(runner.calls[0].inputPath, dir.File("part.jws"));
  EXPECT_EQ(dir.Read("jws.txt"), "0,0,4,3\r\n");
}

TEST_F(ConverterRun, OldFigureGoesEvenWhenNothingRuns) {
  std::filesystem::create_directory(dir.path() / "folder.jws");
  const std::string noConversion[] = {"", dir.File("missing.jws"), dir.File("folder.jws")};
  for (const auto& jwsPath : noConversion) {
    dir.Write("jws.txt", "stale");
    EXPECT_TRUE(RunConverter(fs, runner, dir.dir(), jwsPath));
    EXPECT_FALSE(dir.Exists("jws.txt")) << jwsPath;
  }
  EXPECT_TRUE(runner.calls.empty());
}

TEST_F(ConverterRun, ConverterThatCannotStartLeavesNoFigure) {
  dir.Write("part.jws", "jws");
  dir.Write("jws.txt", "stale");
  runner.starts = false;
  EXPECT_TRUE(RunConverter(fs, runner, dir.dir(), dir.File("part.jws")));
  EXPECT_EQ(runner.calls.size(), 1u);
  EXPECT_FALSE(dir.Exists("jws.txt"));
}

// Deletes nothing, as when the old jws.txt is read-only or held open.
class NoDeleteFileSystem final : public FileSystem {
 public:
  std::optional<std::string> ReadFile(const std::string& p) override { return real_.ReadFile(p); }
  bool IsFile(const std::string& p) override { return real_.IsFile(p); }
  bool Remove(const std::string&) override { return false; }
  std::unique_ptr<OutputFile> Create(const std::string& p) override { return real_.Create(p); }
  bool Rename(const std::string& f, const std::string& t) override { return real_.Rename(f, t); }

 private:
  RealFileSystem real_;
};

TEST_F(ConverterRun, OldFigureThatStaysIsNeitherConvertedOverNorMeasured) {
  dir.Write("part.jws", "jws");
  dir.Write("jws.txt", "0,0,100,100\r\n");
  NoDeleteFileSystem stuck;
  EXPECT_FALSE(RunConverter(stuck, runner, dir.dir(), dir.File("part.jws")));
  const FigureSize size = MeasureFigure(1, stuck, &runner, dir.dir(), dir.File("part.jws"));
  EXPECT_TRUE(runner.calls.empty());
  EXPECT_EQ(size.width, 0.0);
  EXPECT_EQ(size.height, 0.0);
}

TEST_F(ConverterRun, MeasureSelectedFigureReadsSelTxtOnly) {
  dir.Write("sel.txt", "-3,-1.5,3,1.5\r\n");
  dir.Write("jws.txt", "0,0,100,100\r\n");
  const FigureSize size = MeasureFigure(0, fs, &runner, dir.dir(), dir.File("a.jws"));
  EXPECT_DOUBLE_EQ(size.width, 6.0);
  EXPECT_DOUBLE_EQ(size.height, 3.0);
  EXPECT_TRUE(runner.calls.empty());
  EXPECT_TRUE(dir.Exists("jws.txt"));
}

TEST_F(ConverterRun, MeasureJwsFigureConvertsFirst) {
  dir.Write("a.jws", "jws");
  dir.Write("jws.txt", "0,0,100,100\r\n");
  runner.figure = "7,8,2,1\r\n";  // corners in either order
  const FigureSize size = MeasureFigure(1, fs, &runner, dir.dir(), dir.File("a.jws"));
  EXPECT_EQ(runner.calls.size(), 1u);
  EXPECT_DOUBLE_EQ(size.width, 5.0);
  EXPECT_DOUBLE_EQ(size.height, 7.0);
}

TEST_F(ConverterRun, MeasureJwsFigureWithoutRunnerReadsTheFileAsItIs) {
  dir.Write("jws.txt", "0,0,4,2\r\n");
  const FigureSize size = MeasureFigure(1, fs, nullptr, dir.dir(), dir.File("a.jws"));
  EXPECT_DOUBLE_EQ(size.width, 4.0);
  EXPECT_DOUBLE_EQ(size.height, 2.0);
}

TEST_F(ConverterRun, FailedConversionMeasuresZero) {
  dir.Write("jws.txt", "0,0,100,100\r\n");
  const FigureSize size = MeasureFigure(1, fs, &runner, dir.dir(), "");
  EXPECT_EQ(size.width, 0.0);
  EXPECT_EQ(size.height, 0.0);
}

TEST_F(ConverterRun, OtherKindsMeasureZeroAndTouchNothing) {
  dir.Write("sel.txt", "0,0,1,1\r\n");
  dir.Write("jws.txt", "0,0,1,1\r\n");
  dir.Write("a.jws", "jws");
  for (int kind : {-1, 2, 99}) {
    const FigureSize size = MeasureFigure(kind, fs, &runner, dir.dir(), dir.File("a.jws"));
    EXPECT_EQ(size.width, 0.0) << kind;
    EXPECT_EQ(size.height, 0.0) << kind;
  }
  EXPECT_TRUE(runner.calls.empty());
  EXPECT_TRUE(dir.Exists("jws.txt"));
}

TEST(ConverterEndToEnd, MeasuresWhatTheStartedConverterWrote) {
  TempDir dir;
  RealFileSystem fs;
  RealProcessRunner runner;
  testing::InstallFakeConverter(dir, runner.ConverterFileName());
  const std::string jwsPath = dir.dir() + "図形 1.jws";  // Shift-JIS bytes: not through TempDir
  auto jws = fs.Create(jwsPath);
  ASSERT_TRUE(jws && jws->Write("jws") && jws->Close());
  const FigureSize size = MeasureFigure(1, fs, &runner, dir.dir(), jwsPath);
  EXPECT_DOUBLE_EQ(size.width, testing::kFakeFigureWidth);
  EXPECT_DOUBLE_EQ(size.height, testing::kFakeFigureHeight);
}

}  // namespace
}  // namespace gara
