// The dialog with the real figure measuring and converter call behind it: a runner stands in
// for the process start, writes jws.txt as the converter would and, while it "runs", lets the
// test click elsewhere in the dialog as the message pump would.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dialog/dialog_model.h"
#include "figure/converter.h"
#include "platform/real_file_system.h"
#include "support/temp_dir.h"

namespace gara {
namespace {

using testing::TempDir;

class PumpingRunner final : public ProcessRunner {
 public:
  std::string figure = "0,0,20,5\r\n";  // written as jws.txt; empty: the converter fails
  std::vector<ConverterCommand> calls;
  std::function<void()> whileRunning;  // runs during the next call only

  std::string ConverterFileName() const override { return "kvx.exe"; }
  bool RunAndWait(const ConverterCommand& command) override {
    calls.push_back(command);
    const std::function<void()> during = std::exchange(whileRunning, nullptr);
    if (during) during();
    if (figure.empty()) return true;
    RealFileSystem fs;
    return ReplaceFile(fs, command.outputPath, figure, OnWriteFailure::kRemoveOld);
  }
};

class DialogConverterTest : public ::testing::Test {
 protected:
  DialogConverterTest() {
    Write("sel.txt", "0,0,12.5,4\r\n");
    Write("飾り 枠.jws", "any");
  }
  // Paths in the program's own code page: built and written by the program's file layer, not
  // std::filesystem (which takes narrow names as UTF-8 on Windows).
  std::string File(const std::string& name) const { return dir_.dir() + name; }
  void Write(const std::string& name, std::string_view bytes) {
    ASSERT_TRUE(ReplaceFile(fs_, File(name), bytes, OnWriteFailure::kRemoveOld));
  }
  bool Exists(const std::string& name) { return fs_.IsFile(File(name)); }
  DialogModel& Open(const Settings& loaded) {
    model_.emplace(loaded, fs_, File("garanarabe.dat"), dir_.dir(),
                   [this](int kind, const std::string& jwsPath) {
                     return MeasureFigure(kind, fs_, &runner_, dir_.dir(), jwsPath);
                   });
    model_->Show(false);
    return *model_;
  }
  Settings WithJws() {
    Settings s;
    s.jwsFile = File("飾り 枠.jws");
    s.rows[1].figureKind = 1;
    return s;
  }

  TempDir dir_;
  RealFileSystem fs_;
  PumpingRunner runner_;
  std::optional<DialogModel> model_;
};

TEST_F(DialogConverterTest, ShowConvertsTheChosenFileOnceAndShowsBothSources) {
  DialogModel& model = Open(WithJws());
  ASSERT_EQ(runner_.calls.size(), 1u);
  EXPECT_EQ(runner_.calls[0].program, dir_.dir() + "kvx.exe");
  EXPECT_EQ(runner_.calls[0].outputPath, dir_.dir() + "jws.txt");
  EXPECT_EQ(runner_.calls[0].inputPath, File("飾り 枠.jws"));
  EXPECT_EQ(model.row(1).width, "12.5");
  EXPECT_EQ(model.row(2).width, "20");
  EXPECT_EQ(model.row(2).height, "5");
}

TEST_F(DialogConverterTest, NoChosenFileRunsNoConverterAndLeavesNoStaleFigure) {
  Write("jws.txt", "0,0,99,99\r\n");  // from an earlier run
  Settings loaded;
  loaded.rows[0].figureKind = 1;
  DialogModel& model = Open(loaded);
  EXPECT_TRUE(runner_.calls.empty());
  EXPECT_FALSE(Exists("jws.txt"));
  EXPECT_EQ(model.row(1).width, "0");
}

TEST_F(DialogConverterTest, KindChangeWithAFailingConverterKeepsTheSizes) {
  DialogModel& model = Open(WithJws());
  runner_.figure.clear();
  EXPECT_EQ(model.ChangeFigureKind(4, 1), DialogModel::KindChange::kUnchanged);
  EXPECT_FALSE(Exists("jws.txt"));
  EXPECT_EQ(model.row(4).width, "12.5");
  EXPECT_EQ(model.row(4).height, "4");
}

TEST_F(DialogConverterTest, ClicksWhileTheConverterRunsStartNoSecondOneAndSaveNothing) {
  DialogModel& model = Open(WithJws());
  runner_.calls.clear();
  std::vector<bool> refused;
  runner_.whileRunning = [&] {
    refused.push_back(model.ChangeFigureKind(7, 1) == DialogModel::KindChange::kRefused);
    refused.push_back(model.Browse(File("飾り 枠.jws")) == DialogModel::BrowseResult::kRefused);
    refused.push_back(model.Ok(0, 0) == DialogModel::OkResult::kRefused);
    refused.push_back(model.RequestClose() == DialogModel::CloseResult::kDeferred);
  };
  runner_.figure = "0,0,7.5,2.5\r\n";
  EXPECT_EQ(model.ChangeFigureKind(3, 1), DialogModel::KindChange::kResized);
  EXPECT_EQ(refused, (std::vector<bool>{true, true, true, true}));
  EXPECT_EQ(runner_.calls.size(), 1u);
  EXPECT_EQ(model.row(3).width, "7.5");
  EXPECT_EQ(model.row(7).figureKind, 0);
  EXPECT_TRUE(model.ClosePending());
  EXPECT_FALSE(Exists("garanarabe.dat"));
}

TEST_F(DialogConverterTest, BrowseConvertsTheNewFileForRowsLoadedAsJwsFigures) {
  Write("新しい.JWS", "any");
  DialogModel& model = Open(WithJws());
  runner_.figure = "-1,-1,2,3\r\n";
  EXPECT_EQ(model.Browse(File("新しい.JWS")), DialogModel::BrowseResult::kAccepted);
  ASSERT_FALSE(runner_.calls.empty());
  EXPECT_EQ(runner_.calls.back().inputPath, File("新しい.JWS"));
  EXPECT_EQ(model.row(2).width, "3");
  EXPECT_EQ(model.row(2).height, "4");
  EXPECT_EQ(model.row(1).width, "12.5");
  ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
  const Settings saved = LoadSettings(fs_, File("garanarabe.dat"));
  EXPECT_EQ(saved.jwsFile, File("新しい.JWS"));
  EXPECT_EQ(saved.rows[1].width, 3.0);
}

}  // namespace
}  // namespace gara
