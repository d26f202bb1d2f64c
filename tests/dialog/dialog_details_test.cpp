// The 詳細 sub-dialog without a window: each of a row's four figure details as the details file
// names it, chosen from the selection or a converted .jws file, and its bend switch, held in
// memory until the main OK writes the row's figure files and the details file, and dropped by
// either キャンセル. Every figure case runs for each key of kFigureDetailKeys.
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

// The figure's key and source key, and the file the dialog makes for it in row `row`.
std::string Key(size_t figure) { return std::string(kFigureDetailKeys[figure].key); }
std::string SourceKey(size_t figure) { return std::string(kFigureDetailKeys[figure].sourceKey); }
std::string RowFile(int row, size_t figure) { return RowFigureFileName(row, Key(figure)); }

TEST_F(DialogDetailsTest, OpensWithTheDetailTheFileNames) {
  struct Case {
    const char* name;
    std::string ini;  // "K" and "S" stand for the figure's key and source key
    std::map<std::string, std::string> files;
    FigureSource source;
    std::string jwsPath;
    std::string figure;
  } cases[] = {
      {"no details", "", {}, FigureSource::kNone, "", ""},
      {"another row's", "[2]\r\nK=a.txt\r\n", {{"a.txt", kOther}}, FigureSource::kNone, "", ""},
      {"a taken selection",
       "[3]\r\nK=taken.txt\r\n",
       {{"taken.txt", kOther}},
       FigureSource::kSelection,
       "",
       kOther},
      {"a converted .jws file",
       "[3]\r\nK=mine.txt\r\nS=D:\\f\\w.jws\r\n",
       {{"mine.txt", kConverted}},
       FigureSource::kJws,
       "D:\\f\\w.jws",
       kConverted},
      {"a file that is gone", "[3]\r\nK=gone.txt\r\n", {}, FigureSource::kNone, "", ""},
      {"a name with a folder",
       "[3]\r\nK=..\\a.txt\r\n",
       {{"..\\a.txt", kOther}},
       FigureSource::kNone,
       "",
       ""},
  };
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    for (const Case& c : cases) {
      SCOPED_TRACE(Key(figure) + ": " + c.name);
      std::string ini = c.ini;
      for (size_t at; (at = ini.find("K=")) != std::string::npos;) ini.replace(at, 1, Key(figure));
      for (size_t at; (at = ini.find("S=")) != std::string::npos;) {
        ini.replace(at, 1, SourceKey(figure));
      }
      fs_.files.clear();
      for (const auto& [name, bytes] : c.files) fs_.files[At(name)] = bytes;
      DialogModel& model = Open(ini);
      ASSERT_EQ(model.OpenDetails(), DialogModel::DetailsOpen::kOpened);
      EXPECT_EQ(model.editedRow(), 3);
      for (size_t other = 0; other < kFigureDetailCount; ++other) {
        const FigureDetail want =
            other == figure ? FigureDetail{c.source, c.jwsPath, c.figure} : FigureDetail{};
        EXPECT_EQ(model.edited(other), want);
      }
      EXPECT_FALSE(model.bend());
    }
  }
}

TEST_F(DialogDetailsTest, TakingTheSelectionWritesTheRowsOwnCopyOnOk) {
  const std::string ini = "; mine\r\n[5]\r\nother=1\r\n";
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    SCOPED_TRACE(Key(figure));
    fs_.files.clear();
    fs_.files[At("sel.txt")] = kSel;
    DialogModel& model = Open(ini);
    Edit([figure](DialogModel& m) { m.ChooseFigure(figure, FigureSource::kSelection); });
    // A selection registered later leaves the row's copy as it was taken.
    fs_.files[At("sel.txt")] = kOther;
    EXPECT_FALSE(File(RowFile(3, figure)));
    EXPECT_EQ(File("garanarabe.ini"), ini);
    ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
    EXPECT_EQ(File(RowFile(3, figure)), kSel);
    EXPECT_EQ(File("garanarabe.ini"),
              ini + "[3]\r\n" + Key(figure) + "=" + RowFile(3, figure) + "\r\n");
    EXPECT_TRUE(File("garanarabe.dat"));
    EXPECT_EQ(fs_.files.size(), 4u);  // sel.txt, the details, the settings and the row's figure
  }
}

TEST_F(DialogDetailsTest, AJwsFileIsConvertedBesideTheRowsFigure) {
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    SCOPED_TRACE(Key(figure));
    fs_.files.clear();
    conversions.clear();
    DialogModel& model = Open(std::nullopt, 7);
    Edit([figure](DialogModel& m) {
      EXPECT_EQ(m.BrowseFigure(figure, "D:\\図形\\枠.jws"), DialogModel::BrowseResult::kAccepted);
      EXPECT_EQ(FigureSizeText(m.edited(figure).figure), "20 × 5");
    });
    ASSERT_EQ(conversions.size(), 1u);
    EXPECT_EQ(conversions[0].first, "D:\\図形\\枠.jws");
    EXPECT_EQ(conversions[0].second, At(RowFile(7, figure) + ".tmp"));
    // Its bytes are taken: neither the converter's file nor the row's figure is on the disk yet.
    EXPECT_FALSE(File(RowFile(7, figure) + ".tmp"));
    EXPECT_FALSE(File(RowFile(7, figure)));
    ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
    EXPECT_EQ(File(RowFile(7, figure)), kConverted);
    EXPECT_EQ(File("garanarabe.ini"), "[7]\r\n" + Key(figure) + "=" + RowFile(7, figure) + "\r\n" +
                                          SourceKey(figure) + "=D:\\図形\\枠.jws\r\n");
    EXPECT_FALSE(File("jws.txt"));
  }
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
    EXPECT_EQ(model.BrowseFigure(2, c.path), c.result);
    EXPECT_EQ(conversions.size(), c.conversions);
    EXPECT_EQ(model.edited(2).figure,
              c.result == DialogModel::BrowseResult::kAccepted ? kConverted : "");
    EXPECT_EQ(model.edited(0), FigureDetail{});
  }
}

TEST_F(DialogDetailsTest, NoneErasesBothKeysAndKeepsTheRest) {
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    SCOPED_TRACE(Key(figure));
    const std::string ini = "[3]\r\n" + Key(figure) + "=mine.txt\r\n" + SourceKey(figure) +
                            "=D:\\w.jws\r\nkeep=1\r\n[4]\r\nx=2\r\n";
    fs_.files.clear();
    fs_.files[At("mine.txt")] = kOther;
    DialogModel& model = Open(ini);
    Edit([figure](DialogModel& m) { m.ChooseFigure(figure, FigureSource::kNone); });
    ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
    EXPECT_EQ(File("garanarabe.ini"), "[3]\r\nkeep=1\r\n[4]\r\nx=2\r\n");
    EXPECT_EQ(File("mine.txt"), kOther);
  }
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
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    for (const Case& c : cases) {
      SCOPED_TRACE(Key(figure) + ": " + c.name);
      fs_.files.clear();
      fs_.files[At("sel.txt")] = kSel;
      DialogModel& model = Open(std::nullopt);
      Edit([figure](DialogModel& m) { m.ChooseFigure(figure, FigureSource::kSelection); }, c.subOk);
      if (c.mainOk) {
        EXPECT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
      } else {
        EXPECT_EQ(model.RequestClose(), DialogModel::CloseResult::kNow);
      }
      for (size_t other = 0; other < kFigureDetailCount; ++other) {
        EXPECT_EQ(File(RowFile(3, other)).has_value(), c.written && other == figure);
      }
      EXPECT_EQ(File("garanarabe.ini").has_value(), c.written);
    }
  }
}

// Two figures chosen in one sub-dialog: both files written, both named, in the order of the keys.
TEST_F(DialogDetailsTest, SeveralFiguresOfOneRow) {
  DialogModel& model = Open("[4]\r\nkeep=1\r\n", 4);
  Edit([](DialogModel& m) {
    m.ChooseFigure(1, FigureSource::kSelection);
    EXPECT_EQ(m.BrowseFigure(0, "D:\\a.jws"), DialogModel::BrowseResult::kAccepted);
  });
  ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
  EXPECT_EQ(File("row04_alternate.txt"), kConverted);
  EXPECT_EQ(File("row04_corner.txt"), kSel);
  EXPECT_EQ(File("garanarabe.ini"),
            "[4]\r\nkeep=1\r\nalternate=row04_alternate.txt\r\nalternate_source=D:\\a.jws\r\n"
            "corner=row04_corner.txt\r\n");
}

// 曲線に沿って曲げる: shown as stored, written as bend=1, erased when unchecked; other lines kept.
TEST_F(DialogDetailsTest, BendIsStoredOrErased) {
  struct Case {
    const char* name;
    std::string ini;
    bool shown;
    bool set;
    bool subOk;
    std::optional<std::string> saved;  // none: the details file is not written
  } cases[] = {
      {"checked", "[3]\r\nx=1\r\n", false, true, true, "[3]\r\nx=1\r\nbend=1\r\n"},
      {"unchecked", "[3]\r\nbend=1\r\nx=1\r\n", true, false, true, "[3]\r\nx=1\r\n"},
      {"left as it was", "[3]\r\nbend=1\r\n", true, true, true, std::nullopt},
      {"another value is off", "[3]\r\nbend=yes\r\n", false, false, true, std::nullopt},
      {"another row's", "[2]\r\nbend=1\r\n", false, true, true,
       "[2]\r\nbend=1\r\n[3]\r\nbend=1\r\n"},
      {"sub-dialog キャンセル", "[3]\r\nx=1\r\n", false, true, false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs_.files.clear();
    DialogModel& model = Open(c.ini);
    fs_.files.erase(At("garanarabe.ini"));
    Edit(
        [&c](DialogModel& m) {
          EXPECT_EQ(m.bend(), c.shown);
          m.SetBend(c.set);
          EXPECT_EQ(m.bend(), c.set);
        },
        c.subOk);
    // Opened again, the sub-dialog shows what its OK kept.
    ASSERT_EQ(model.OpenDetails(), DialogModel::DetailsOpen::kOpened);
    EXPECT_EQ(model.bend(), c.subOk ? c.set : c.shown);
    model.CloseDetails(false);
    ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
    EXPECT_EQ(File("garanarabe.ini"), c.saved);
    for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
      EXPECT_FALSE(File(RowFile(3, figure)));
    }
  }
}

// A row's detail that comes out as it went in (a JWS choice without a file is none) is no change.
TEST_F(DialogDetailsTest, OpeningAndClosingWithoutAChangeWritesNoDetails) {
  DialogModel& model = Open("[3]\r\nx=1\r\n");
  fs_.files.erase(At("garanarabe.ini"));
  Edit([](DialogModel& m) {
    for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
      m.ChooseFigure(figure, FigureSource::kNone);
      m.ChooseFigure(figure, FigureSource::kJws);
    }
    m.SetBend(true);
    m.SetBend(false);
  });
  Edit([](DialogModel&) {});
  ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
  EXPECT_FALSE(File("garanarabe.ini"));
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    EXPECT_FALSE(File(RowFile(3, figure)));
  }
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

// The file a details file names for a figure before the dialog opens: "f2.txt".
std::string Stored(size_t figure) {
  std::string name = "f";
  name += std::to_string(figure);
  name += ".txt";
  return name;
}

// The preview reads each figure chosen before OK from memory, under the name OK will give it;
// the row's other figures stay as the file names them.
TEST_F(DialogDetailsTest, ThePreviewSeesThePendingFigure) {
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    SCOPED_TRACE(Key(figure));
    // Every figure of row 3 named by the file: the one under test is then replaced.
    std::string ini = "[2]\r\n" + Key(figure) + "=mine.txt\r\n[3]\r\n";
    fs_.files.clear();
    fs_.files[At("sel.txt")] = kSel;
    fs_.files[At("mine.txt")] = kOther;
    for (size_t other = 0; other < kFigureDetailCount; ++other) {
      ini += Key(other) + "=" + Stored(other) + "\r\n";
      fs_.files[At(Stored(other))] = kOther;
    }
    DialogModel& model = Open(ini);
    const std::string RowExtras::*file = kFigureDetailKeys[figure].file;
    EXPECT_EQ(model.PreviewExtras(2).*file, "mine.txt");
    Edit([figure](DialogModel& m) { m.ChooseFigure(figure, FigureSource::kSelection); });
    for (size_t other = 0; other < kFigureDetailCount; ++other) {
      EXPECT_EQ(model.PreviewExtras(3).*kFigureDetailKeys[other].file,
                other == figure ? RowFile(3, figure) : Stored(other));
    }
    EXPECT_EQ(model.previewFileSystem().ReadFile(At(RowFile(3, figure))), kSel);
    // Read in pieces too, as the drawing reads a figure.
    EXPECT_EQ(MeasureFigureFile(model.previewFileSystem(), At(RowFile(3, figure))).width, 12.5);
    EXPECT_FALSE(File(RowFile(3, figure)));
    EXPECT_EQ(model.previewFileSystem().ReadFile(At("mine.txt")), kOther);
    Edit([figure](DialogModel& m) { m.ChooseFigure(figure, FigureSource::kNone); });
    EXPECT_EQ(model.PreviewExtras(3).*file, "");
    EXPECT_FALSE(model.previewFileSystem().IsFile(At(RowFile(3, figure))));
  }
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
  model.ChooseFigure(0, FigureSource::kSelection);
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
