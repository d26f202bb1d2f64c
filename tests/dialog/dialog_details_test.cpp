// The 詳細 sub-dialog without a window: a row's alternate figure as the details file names it,
// chosen from the selection or a converted .jws file, held in memory until the main OK writes
// the row's figure file and the details file, and dropped by either キャンセル.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dialog/dialog_model.h"
#include "support/fault_file_system.h"
#include "support/memory_file_system.h"
#include "support/temp_dir.h"

namespace gara {
namespace {

using testing::MemoryFileSystem;

constexpr char kDir[] = "C:\\jww\\";
const std::string kSel = "0,0,12.5,4\r\nL,0,0,0,2,1,0,0,0,0,12.5,4\r\n";
const std::string kOther = "0,0,3,2\r\nL,0,0,0,2,1,0,0,0,0,3,2\r\n";
const std::string kConverted = "1,1,21,6\r\nL,0,0,0,2,1,0,0,1,1,21,6\r\n";

std::string At(const std::string& name) { return kDir + name; }

class DialogDetailsTest : public ::testing::Test {
 protected:
  DialogDetailsTest() { fs_.files[At("sel.txt")] = kSel; }

  // The dialog opened with row `selected` on and the details file as `ini` holds it (none when
  // nullopt); `unreadable` marks it as a file that could not be read.
  DialogModel& Open(std::optional<std::string> ini, int selected = 3, bool unreadable = false) {
    if (ini) fs_.files[At("garanarabe.ini")] = *ini;
    Settings settings;
    settings.selectedRow = selected;
    model_.emplace(settings, fs_, At("garanarabe.dat"), kDir, [](int, const std::string&) {
      return FigureSize{12.5, 4};
    });
    model_->Show(false);
    LoadedRowDetails loaded{RowDetails::Parse(ini.value_or("")), unreadable};
    model_->UseRowDetails(loaded, At("garanarabe.ini"),
                          [this](const std::string& jws, const std::string& output) {
                            conversions.push_back({jws, output});
                            if (!converted.empty()) fs_.files[output] = converted;
                            return true;
                          });
    return *model_;
  }
  std::optional<std::string> File(const std::string& name) const {
    const auto it = fs_.files.find(At(name));
    return it == fs_.files.end() ? std::nullopt : std::optional(it->second);
  }
  // The 詳細 sub-dialog of the selected row: `choose` runs in it, then its OK or キャンセル.
  void Edit(const std::function<void(DialogModel&)>& choose, bool keep = true) {
    ASSERT_EQ(model_->OpenDetails(), DialogModel::DetailsOpen::kOpened);
    choose(*model_);
    model_->CloseDetails(keep);
  }

  MemoryFileSystem fs_;
  std::optional<DialogModel> model_;
  std::string converted = kConverted;
  std::vector<std::pair<std::string, std::string>> conversions;
};

TEST_F(DialogDetailsTest, OpensWithTheDetailTheFileNames) {
  struct Case {
    const char* name;
    std::string ini;
    std::map<std::string, std::string> files;
    AlternateSource source;
    std::string jwsPath;
    std::string figure;
  } cases[] = {
      {"no details", "", {}, AlternateSource::kNone, "", ""},
      {"another row's",
       "[2]\r\nalternate=a.txt\r\n",
       {{"a.txt", kOther}},
       AlternateSource::kNone,
       "",
       ""},
      {"a taken selection",
       "[3]\r\nalternate=row03_alternate.txt\r\n",
       {{"row03_alternate.txt", kOther}},
       AlternateSource::kSelection,
       "",
       kOther},
      {"a converted .jws file",
       "[3]\r\nalternate=mine.txt\r\nalternate_source=D:\\f\\w.jws\r\n",
       {{"mine.txt", kConverted}},
       AlternateSource::kJws,
       "D:\\f\\w.jws",
       kConverted},
      {"a file that is gone", "[3]\r\nalternate=gone.txt\r\n", {}, AlternateSource::kNone, "", ""},
      {"a name with a folder",
       "[3]\r\nalternate=..\\a.txt\r\n",
       {{"..\\a.txt", kOther}},
       AlternateSource::kNone,
       "",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs_.files.clear();
    for (const auto& [name, bytes] : c.files) fs_.files[At(name)] = bytes;
    DialogModel& model = Open(c.ini);
    ASSERT_EQ(model.OpenDetails(), DialogModel::DetailsOpen::kOpened);
    EXPECT_EQ(model.editedRow(), 3);
    EXPECT_EQ(model.edited(), (AlternateDetail{c.source, c.jwsPath, c.figure}));
  }
}

TEST_F(DialogDetailsTest, TakingTheSelectionWritesTheRowsOwnCopyOnOk) {
  const std::string ini = "; mine\r\n[5]\r\nother=1\r\n";
  DialogModel& model = Open(ini);
  Edit([](DialogModel& m) { m.ChooseAlternate(AlternateSource::kSelection); });
  // A selection registered later leaves the row's copy as it was taken.
  fs_.files[At("sel.txt")] = kOther;
  EXPECT_FALSE(File("row03_alternate.txt"));
  EXPECT_EQ(File("garanarabe.ini"), ini);
  ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
  EXPECT_EQ(File("row03_alternate.txt"), kSel);
  EXPECT_EQ(File("garanarabe.ini"), ini + "[3]\r\nalternate=row03_alternate.txt\r\n");
  EXPECT_TRUE(File("garanarabe.dat"));
}

TEST_F(DialogDetailsTest, AJwsFileIsConvertedBesideTheRowsFigure) {
  DialogModel& model = Open(std::nullopt, 7);
  Edit([](DialogModel& m) {
    EXPECT_EQ(m.BrowseAlternate("D:\\図形\\枠.jws"), DialogModel::BrowseResult::kAccepted);
    EXPECT_EQ(FigureSizeText(m.edited().figure), "20 × 5");
  });
  ASSERT_EQ(conversions.size(), 1u);
  EXPECT_EQ(conversions[0].first, "D:\\図形\\枠.jws");
  EXPECT_EQ(conversions[0].second, At("row07_alternate.txt.tmp"));
  // Its bytes are taken: neither the converter's file nor the row's figure is on the disk yet.
  EXPECT_FALSE(File("row07_alternate.txt.tmp"));
  EXPECT_FALSE(File("row07_alternate.txt"));
  ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
  EXPECT_EQ(File("row07_alternate.txt"), kConverted);
  EXPECT_EQ(File("garanarabe.ini"),
            "[7]\r\nalternate=row07_alternate.txt\r\nalternate_source=D:\\図形\\枠.jws\r\n");
  EXPECT_FALSE(File("jws.txt"));
}

TEST_F(DialogDetailsTest, BrowseResults) {
  struct Case {
    const char* name;
    std::string path;
    std::string converterOutput;
    DialogModel::BrowseResult result;
    size_t conversions;
  } cases[] = {
      {"converted", "D:\\a.JWS", kConverted, DialogModel::BrowseResult::kAccepted, 1},
      {"no figure came out", "D:\\a.jws", "", DialogModel::BrowseResult::kFailed, 1},
      {"not a .jws file", "D:\\a.txt", kConverted, DialogModel::BrowseResult::kIgnored, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    conversions.clear();
    converted = c.converterOutput;
    DialogModel& model = Open(std::nullopt);
    ASSERT_EQ(model.OpenDetails(), DialogModel::DetailsOpen::kOpened);
    EXPECT_EQ(model.BrowseAlternate(c.path), c.result);
    EXPECT_EQ(conversions.size(), c.conversions);
    EXPECT_EQ(model.edited().figure,
              c.result == DialogModel::BrowseResult::kAccepted ? kConverted : "");
  }
}

TEST_F(DialogDetailsTest, NoneErasesBothKeysAndKeepsTheRest) {
  const std::string ini =
      "[3]\r\nalternate=mine.txt\r\nalternate_source=D:\\w.jws\r\nkeep=1\r\n[4]\r\nx=2\r\n";
  fs_.files[At("mine.txt")] = kOther;
  DialogModel& model = Open(ini);
  Edit([](DialogModel& m) { m.ChooseAlternate(AlternateSource::kNone); });
  ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
  EXPECT_EQ(File("garanarabe.ini"), "[3]\r\nkeep=1\r\n[4]\r\nx=2\r\n");
  EXPECT_EQ(File("mine.txt"), kOther);
}

// Nothing reaches the disk but by the main OK, and only what changed.
TEST_F(DialogDetailsTest, WhatEachCloseLeavesOnTheDisk) {
  struct Case {
    const char* name;
    bool subOk;
    bool mainOk;
    bool written;
  } cases[] = {
      {"sub-dialog キャンセル, main OK", false, true, false},
      {"sub-dialog OK, main キャンセル", true, false, false},
      {"both OK", true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs_.files.clear();
    fs_.files[At("sel.txt")] = kSel;
    DialogModel& model = Open(std::nullopt);
    Edit([](DialogModel& m) { m.ChooseAlternate(AlternateSource::kSelection); }, c.subOk);
    if (c.mainOk) {
      EXPECT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
    } else {
      EXPECT_EQ(model.RequestClose(), DialogModel::CloseResult::kNow);
    }
    EXPECT_EQ(File("row03_alternate.txt").has_value(), c.written);
    EXPECT_EQ(File("garanarabe.ini").has_value(), c.written);
  }
}

// A row's detail that comes out as it went in (a JWS choice without a file is none) is no change.
TEST_F(DialogDetailsTest, OpeningAndClosingWithoutAChangeWritesNoDetails) {
  DialogModel& model = Open("[3]\r\nx=1\r\n");
  fs_.files.erase(At("garanarabe.ini"));
  Edit([](DialogModel& m) {
    m.ChooseAlternate(AlternateSource::kNone);
    m.ChooseAlternate(AlternateSource::kJws);
  });
  Edit([](DialogModel&) {});
  ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
  EXPECT_FALSE(File("garanarabe.ini"));
  EXPECT_FALSE(File("row03_alternate.txt"));
}

TEST_F(DialogDetailsTest, AnUnreadableDetailsFileIsNeverSaved) {
  DialogModel& model = Open(std::nullopt, 3, true);
  EXPECT_EQ(model.OpenDetails(), DialogModel::DetailsOpen::kUnreadable);
  EXPECT_EQ(model.editedRow(), 0);
  EXPECT_FALSE(model.Busy());
  ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
  EXPECT_FALSE(File("garanarabe.ini"));
  EXPECT_NE(DetailsUnreadableMessage("C:\\jww\\garanarabe.ini").find("C:\\jww\\garanarabe.ini"),
            std::string::npos);
}

// While the sub-dialog is up the main dialog neither saves, closes nor opens another.
TEST_F(DialogDetailsTest, TheSubDialogHoldsTheMainOne) {
  DialogModel& model = Open(std::nullopt);
  ASSERT_EQ(model.OpenDetails(), DialogModel::DetailsOpen::kOpened);
  EXPECT_TRUE(model.Busy());
  EXPECT_EQ(model.OpenDetails(), DialogModel::DetailsOpen::kRefused);
  EXPECT_EQ(model.Ok(0, 0), DialogModel::OkResult::kRefused);
  model.CloseDetails(false);
  EXPECT_FALSE(model.Busy());
  EXPECT_EQ(model.OpenDetails(), DialogModel::DetailsOpen::kOpened);
}

TEST_F(DialogDetailsTest, NoSelectedRowOpensNothing) {
  DialogModel& model = Open(std::nullopt, 0);
  EXPECT_EQ(model.OpenDetails(), DialogModel::DetailsOpen::kRefused);
}

// The preview reads the figure chosen before OK from memory, under the name OK will give it.
TEST_F(DialogDetailsTest, ThePreviewSeesThePendingFigure) {
  fs_.files[At("mine.txt")] = kOther;
  fs_.files[At("c.txt")] = kOther;
  DialogModel& model = Open("[2]\r\nalternate=mine.txt\r\n[3]\r\ncorner=c.txt\r\n");
  EXPECT_EQ(model.PreviewExtras(2).alternate, "mine.txt");
  EXPECT_EQ(model.PreviewExtras(3).alternate, "");
  Edit([](DialogModel& m) { m.ChooseAlternate(AlternateSource::kSelection); });
  EXPECT_EQ(model.PreviewExtras(3).alternate, "row03_alternate.txt");
  // The row's other figures stay as the file names them.
  EXPECT_EQ(model.PreviewExtras(3).corner, "c.txt");
  EXPECT_EQ(model.previewFileSystem().ReadFile(At("row03_alternate.txt")), kSel);
  // Read in pieces too, as the drawing reads a figure.
  EXPECT_EQ(MeasureFigureFile(model.previewFileSystem(), At("row03_alternate.txt")).width, 12.5);
  EXPECT_FALSE(File("row03_alternate.txt"));
  EXPECT_EQ(model.previewFileSystem().ReadFile(At("mine.txt")), kOther);
  Edit([](DialogModel& m) { m.ChooseAlternate(AlternateSource::kNone); });
  EXPECT_EQ(model.PreviewExtras(3).alternate, "");
  EXPECT_EQ(model.PreviewExtras(3).corner, "c.txt");
  EXPECT_FALSE(model.previewFileSystem().IsFile(At("row03_alternate.txt")));
}

// A row figure that cannot be written is not named: the details keep what they held, and OK
// tells of the failure.
TEST(DialogDetails, AFigureThatCannotBeWrittenIsNotNamed) {
  testing::TempDir dir;
  testing::FaultFileSystem fs;
  const std::string ini = "[3]\r\nkeep=1\r\n";
  ASSERT_TRUE(ReplaceFile(fs, dir.File("sel.txt"), kSel, OnWriteFailure::kRemoveOld));
  ASSERT_TRUE(ReplaceFile(fs, dir.File("garanarabe.ini"), ini, OnWriteFailure::kRemoveOld));
  Settings settings;
  settings.selectedRow = 3;
  DialogModel model(settings, fs, dir.File("garanarabe.dat"), dir.dir(), nullptr);
  model.Show(false);
  model.UseRowDetails({RowDetails::Parse(ini), false}, dir.File("garanarabe.ini"), nullptr);
  ASSERT_EQ(model.OpenDetails(), DialogModel::DetailsOpen::kOpened);
  model.ChooseAlternate(AlternateSource::kSelection);
  model.CloseDetails(true);
  // The first rename is the row's figure put in place.
  fs.fault = testing::FaultFileSystem::Fault::kRename;
  fs.failures = 1;
  EXPECT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaveFailed);
  EXPECT_FALSE(fs.IsFile(dir.File("row03_alternate.txt")));
  EXPECT_EQ(dir.Read("garanarabe.ini"), ini);
  EXPECT_TRUE(fs.IsFile(dir.File("garanarabe.dat")));
}

TEST(DialogDetails, Texts) {
  EXPECT_EQ(DetailsCaption(3), "柄 3 の詳細");
  EXPECT_EQ(DetailsCaption(12), "柄 12 の詳細");
  struct Case {
    std::string figure;
    std::string text;
  } cases[] = {
      {"0,0,12.5,4\r\nL", "12.5 × 4"},
      {"-1,2,3.25,10\n", "4.25 × 8"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(FigureSizeText(c.figure), c.text) << c.figure;
}

}  // namespace
}  // namespace gara
