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

constexpr char kDir[] = "C:\\jww\\";
const std::string kSel = "0,0,12.5,4\r\nL,0,0,0,2,1,0,0,0,0,12.5,4\r\n";
const std::string kOther = "0,0,3,2\r\nL,0,0,0,2,1,0,0,0,0,3,2\r\n";
const std::string kConverted = "1,1,21,6\r\nL,0,0,0,2,1,0,0,1,1,21,6\r\n";

std::string At(const std::string& name) { return kDir + name; }

// The figure's key and source key, and the file the dialog makes for it in row `row`.
std::string Key(size_t figure) { return std::string(kFigureDetailKeys[figure].key); }
std::string SourceKey(size_t figure) { return std::string(kFigureDetailKeys[figure].sourceKey); }
std::string RowFile(int row, size_t figure) { return RowFigureFileName(row, Key(figure)); }

// `text` with each "K=" and "S=" made the figure's key and source key.
std::string ForFigure(std::string text, size_t figure) {
  for (size_t at; (at = text.find("K=")) != std::string::npos;) text.replace(at, 1, Key(figure));
  for (size_t at; (at = text.find("S=")) != std::string::npos;) {
    text.replace(at, 1, SourceKey(figure));
  }
  return text;
}

class DialogDetailsTest : public ::testing::Test {
 protected:
  // The dialog opened with row `selected` on, over sel.txt, `files` and the details file as
  // `ini` holds it (none when nullopt); `unreadable` marks it as a file that could not be read.
  DialogModel& Open(std::optional<std::string> ini, std::map<std::string, std::string> files = {},
                    int selected = 3, bool unreadable = false) {
    fs_.files = {{At("sel.txt"), kSel}};
    for (const auto& [name, bytes] : files) fs_.files[At(name)] = bytes;
    if (ini) fs_.files[At("garanarabe.ini")] = *ini;
    conversions.clear();
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
  void Choose(size_t figure, FigureSource source, bool keep = true) {
    Edit([&](DialogModel& m) { m.ChooseFigure(figure, source); }, keep);
  }

  testing::MemoryFileSystem fs_;
  std::optional<DialogModel> model_;
  std::string converted = kConverted;
  std::vector<std::pair<std::string, std::string>> conversions;
};

// The sub-dialog shows the figure the details file names; choosing none erases both its keys
// on OK, keeping the other lines and the file named.
TEST_F(DialogDetailsTest, OpensWithTheDetailTheFileNamesAndNoneErasesIt) {
  const struct {
    const char* ini;
    const char* file;  // holding kOther, or for the .jws case kConverted
    FigureDetail shown;
    const char* erased;  // the details file after none is chosen
  } cases[] = {
      {"", "", {}, ""},
      {"[2]\r\nK=a.txt\r\n", "a.txt", {}, "[2]\r\nK=a.txt\r\n"},
      {"[3]\r\nK=taken.txt\r\nkeep=1\r\n",
       "taken.txt",
       {FigureSource::kSelection, "", kOther},
       "[3]\r\nkeep=1\r\n"},
      {"[3]\r\nK=mine.txt\r\nS=D:\\f\\w.jws\r\n[4]\r\nx=2\r\n",
       "mine.txt",
       {FigureSource::kJws, "D:\\f\\w.jws", kConverted},
       "[3]\r\n[4]\r\nx=2\r\n"},
      {"[3]\r\nK=gone.txt\r\n", "", {}, "[3]\r\nK=gone.txt\r\n"},
  };
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    for (const auto& c : cases) {
      SCOPED_TRACE(ForFigure(c.ini, figure));
      const std::string bytes = c.shown.source == FigureSource::kJws ? kConverted : kOther;
      DialogModel& model = Open(ForFigure(c.ini, figure), {{c.file, bytes}});
      ASSERT_EQ(model.OpenDetails(), DialogModel::DetailsOpen::kOpened);
      EXPECT_EQ(model.editedRow(), 3);
      for (size_t other = 0; other < kFigureDetailCount; ++other) {
        EXPECT_EQ(model.edited(other), other == figure ? c.shown : FigureDetail{});
      }
      EXPECT_FALSE(model.bend());
      model.ChooseFigure(figure, FigureSource::kNone);
      model.CloseDetails(true);
      ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
      EXPECT_EQ(File("garanarabe.ini"), ForFigure(c.erased, figure));
      EXPECT_EQ(File(c.file), bytes);
    }
  }
}

// The selection is taken when chosen and reaches the disk only by both OKs; the details file
// keeps its other lines.
TEST_F(DialogDetailsTest, WhatEachCloseLeavesOnTheDisk) {
  const std::string ini = "; mine\r\n[5]\r\nother=1\r\n";
  const struct {
    bool subOk;
    bool mainOk;
  } cases[] = {{false, true}, {true, false}, {true, true}};
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    for (const auto& c : cases) {
      SCOPED_TRACE(Key(figure) + " sub OK " + std::to_string(c.subOk) + ", main OK " +
                   std::to_string(c.mainOk));
      DialogModel& model = Open(ini);
      Choose(figure, FigureSource::kSelection, c.subOk);
      fs_.files[At("sel.txt")] = kOther;  // registered later: the row keeps what it took
      if (c.mainOk) {
        EXPECT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
      } else {
        EXPECT_EQ(model.RequestClose(), DialogModel::CloseResult::kNow);
      }
      const bool written = c.subOk && c.mainOk;
      for (size_t other = 0; other < kFigureDetailCount; ++other) {
        EXPECT_EQ(File(RowFile(3, other)),
                  written && other == figure ? std::optional(kSel) : std::nullopt);
      }
      EXPECT_EQ(File("garanarabe.ini"),
                written ? ini + "[3]\r\n" + Key(figure) + "=" + RowFile(3, figure) + "\r\n" : ini);
    }
  }
}

// Only a .jws file is converted, into a file beside the row's figure whose bytes are taken at
// once; a conversion that makes no figure leaves none. A figure chosen with it in the same
// sub-dialog is written too, the keys in their own order.
TEST_F(DialogDetailsTest, AJwsFileIsConvertedBesideTheRowsFigure) {
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    SCOPED_TRACE(Key(figure));
    const size_t next = (figure + 1) % kFigureDetailCount;
    DialogModel& model = Open(std::nullopt, {}, 7);
    Edit([this, figure, next](DialogModel& m) {
      m.ChooseFigure(next, FigureSource::kSelection);
      EXPECT_EQ(m.BrowseFigure(figure, "D:\\a.txt"), DialogModel::BrowseResult::kIgnored);
      converted.clear();
      EXPECT_EQ(m.BrowseFigure(figure, "D:\\a.jws"), DialogModel::BrowseResult::kFailed);
      EXPECT_EQ(m.edited(figure).figure, "");
      converted = kConverted;
      EXPECT_EQ(m.BrowseFigure(figure, "D:\\図形\\枠.JWS"), DialogModel::BrowseResult::kAccepted);
      EXPECT_EQ(FigureSizeText(m.edited(figure).figure), "20 × 5");
    });
    ASSERT_EQ(conversions.size(), 2u);
    EXPECT_EQ(conversions[1].first, "D:\\図形\\枠.JWS");
    EXPECT_EQ(conversions[1].second, At(RowFile(7, figure) + ".tmp"));
    EXPECT_FALSE(File(RowFile(7, figure) + ".tmp"));
    ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
    EXPECT_EQ(File(RowFile(7, figure)), kConverted);
    EXPECT_EQ(File(RowFile(7, next)), kSel);
    std::string ini = "[7]\r\n";
    for (size_t f = 0; f < kFigureDetailCount; ++f) {
      if (f == figure || f == next) ini += ForFigure("K=" + RowFile(7, f) + "\r\n", f);
      if (f == figure) ini += ForFigure("S=D:\\図形\\枠.JWS\r\n", f);
    }
    EXPECT_EQ(File("garanarabe.ini"), ini);
  }
}

// 曲線に沿って曲げる: shown as stored, written as bend=1, erased when unchecked; other lines kept.
// A figure that comes out as it went in (a JWS choice without a file is none) is no change.
TEST_F(DialogDetailsTest, BendIsStoredOrErased) {
  const struct {
    const char* ini;
    bool shown;
    bool set;
    bool subOk;
    std::optional<std::string> saved;  // none: the details file is not written
  } cases[] = {
      {"[3]\r\nx=1\r\n", false, true, true, "[3]\r\nx=1\r\nbend=1\r\n"},
      {"[3]\r\nbend=1\r\nx=1\r\n", true, false, true, "[3]\r\nx=1\r\n"},
      {"[3]\r\nbend=1\r\n", true, true, true, std::nullopt},
      {"[3]\r\nbend=yes\r\n", false, false, true, std::nullopt},  // another value is off
      {"[2]\r\nbend=1\r\n", false, true, true, "[2]\r\nbend=1\r\n[3]\r\nbend=1\r\n"},
      {"[3]\r\nx=1\r\n", false, true, false, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ini);
    DialogModel& model = Open(c.ini);
    fs_.files.erase(At("garanarabe.ini"));
    Edit(
        [&c](DialogModel& m) {
          EXPECT_EQ(m.bend(), c.shown);
          for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
            m.ChooseFigure(figure, FigureSource::kJws);
          }
          m.SetBend(!c.set);
          m.SetBend(c.set);
        },
        c.subOk);
    // Opened again, the sub-dialog shows what its OK kept.
    ASSERT_EQ(model.OpenDetails(), DialogModel::DetailsOpen::kOpened);
    EXPECT_EQ(model.bend(), c.subOk ? c.set : c.shown);
    model.CloseDetails(false);
    ASSERT_EQ(model.Ok(0, 0), DialogModel::OkResult::kSaved);
    EXPECT_EQ(File("garanarabe.ini"), c.saved);
    EXPECT_EQ(fs_.files.size(), 2u + c.saved.has_value());  // sel.txt, settings: no row figure
  }
}

TEST_F(DialogDetailsTest, WhenTheSubDialogOpens) {
  // An unreadable details file is never saved.
  EXPECT_EQ(Open(std::nullopt, {}, 3, true).OpenDetails(), DialogModel::DetailsOpen::kUnreadable);
  EXPECT_FALSE(model_->Busy());
  ASSERT_EQ(model_->Ok(0, 0), DialogModel::OkResult::kSaved);
  EXPECT_FALSE(File("garanarabe.ini"));
  EXPECT_NE(DetailsUnreadableMessage("C:\\jww\\garanarabe.ini").find("C:\\jww\\garanarabe.ini"),
            std::string::npos);
  // Without a selected row there is no sub-dialog; while one is up the main dialog neither
  // saves, closes nor opens another.
  EXPECT_EQ(Open(std::nullopt, {}, 0).OpenDetails(), DialogModel::DetailsOpen::kRefused);
  ASSERT_EQ(Open(std::nullopt).OpenDetails(), DialogModel::DetailsOpen::kOpened);
  EXPECT_TRUE(model_->Busy());
  EXPECT_EQ(model_->OpenDetails(), DialogModel::DetailsOpen::kRefused);
  EXPECT_EQ(model_->Ok(0, 0), DialogModel::OkResult::kRefused);
  model_->CloseDetails(false);
  EXPECT_EQ(model_->OpenDetails(), DialogModel::DetailsOpen::kOpened);
}

// The preview reads each figure chosen before OK from memory, under the name OK will give it;
// the row's other figures stay as the file names them.
TEST_F(DialogDetailsTest, ThePreviewSeesThePendingFigure) {
  std::string ini = "[3]\r\n";
  std::map<std::string, std::string> files;
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    ini += ForFigure("K=f" + std::to_string(figure) + ".txt\r\n", figure);
    files["f" + std::to_string(figure) + ".txt"] = kOther;
  }
  for (size_t figure = 0; figure < kFigureDetailCount; ++figure) {
    SCOPED_TRACE(Key(figure));
    DialogModel& model = Open(ini, files);
    Choose(figure, FigureSource::kSelection);
    for (size_t other = 0; other < kFigureDetailCount; ++other) {
      EXPECT_EQ(model.PreviewExtras(3).*kFigureDetailKeys[other].file,
                other == figure ? RowFile(3, figure) : "f" + std::to_string(other) + ".txt");
    }
    // Read in pieces too, as the drawing reads a figure.
    EXPECT_EQ(MeasureFigureFile(model.previewFileSystem(), At(RowFile(3, figure))).width, 12.5);
    EXPECT_EQ(model.previewFileSystem().ReadFile(At(RowFile(3, figure))), kSel);
    EXPECT_FALSE(File(RowFile(3, figure)));
    Choose(figure, FigureSource::kNone);
    EXPECT_EQ(model.PreviewExtras(3).*kFigureDetailKeys[figure].file, "");
    EXPECT_FALSE(model.previewFileSystem().IsFile(At(RowFile(3, figure))));
  }
}

// A row figure that cannot be written is not named: the details keep what they held, and OK
// tells of the failure.
TEST(DialogDetails, AFigureThatCannotBeWrittenIsNotNamed) {
  testing::TempDir dir;
  testing::FaultFileSystem fs;
  const std::string ini = "[3]\r\nkeep=1\r\n";
  dir.Write("sel.txt", kSel);
  dir.Write("garanarabe.ini", ini);
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
  EXPECT_EQ(DetailsCaption(12), "柄 12 の詳細");
  EXPECT_EQ(FigureSizeText("0,0,12.5,4\r\nL"), "12.5 × 4");
  EXPECT_EQ(FigureSizeText("-1,2,3.25,10\n"), "4.25 × 8");
  EXPECT_EQ(FigureSizeText(""), "");
}

}  // namespace
}  // namespace gara
