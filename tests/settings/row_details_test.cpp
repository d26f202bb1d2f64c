#include "settings/row_details.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/test_files.h"
#include "platform/real_file_system.h"
#include "support/fault_file_system.h"
#include "support/memory_file_system.h"
#include "support/temp_dir.h"

namespace gara {
namespace {

using testing::CrLf;
using testing::FaultFileSystem;
using testing::TempDir;

// A file a user edited by hand: comments, blank lines, keys and sections of others, a repeated
// section, blanks around names, Shift-JIS text.
const std::string kEdited =
    CrLf({"; garanarabe", "[1]", "alternate = flower.txt ", "colour=red", "", "; row 2 follows",
          "  [2]\t", "\talternate=\x95\x5C.txt", "no equals sign here", "[window]",
          "alternate=other.txt", "[1]", "alternate=second.txt", "corner=c.txt", "[ 3 ]",
          "alternate=spaced.txt"});

TEST(RowDetailsFile, WrittenBackByteForByteAndLfReadAsCrLf) {
  for (const std::string& input :
       {std::string(), std::string("\r\n"), kEdited,
        CrLf({"[1]", "a=1", "a=2", "=no key", "[1", "]", "[]", "a==b"}),
        CrLf({"[12]", "alternate=x\ry", "lone CR\r", "\x81", std::string_view("nul\0byte", 8)})}) {
    EXPECT_EQ(RowDetails::Parse(input).Serialize(), input);
  }
  std::string lf;
  for (char c : kEdited) {
    if (c != '\r') lf += c;
  }
  lf.pop_back();  // and no end to the last line
  EXPECT_EQ(RowDetails::Parse(lf).Serialize(), kEdited);
}

TEST(RowDetailsFile, GetTakesTheFirstOfTheRow) {
  const struct {
    int row;
    const char* key;
    std::optional<std::string> value;
  } cases[] = {{1, "alternate", "flower.txt"},
               {1, "corner", "c.txt"},  // the repeated section is the same row
               {2, "alternate", "\x95\x5C.txt"},
               {2, "no equals sign here", std::nullopt},
               {3, "alternate", std::nullopt},  // "[ 3 ]" and "[window]" are of no row
               {13, "alternate", std::nullopt},
               {1, "Alternate", std::nullopt}};
  const RowDetails details = RowDetails::Parse(kEdited);
  for (const auto& c : cases) EXPECT_EQ(details.Get(c.row, c.key), c.value) << c.key;
}

TEST(RowDetailsFile, SetAndEraseChangeOnlyTheKeyLines) {
  const std::vector<std::string> two = {"[1]", "a = old", "b=1", "", "; c", "[2]", "a=two"};
  const auto with = [&two](std::vector<std::string> lines, size_t at) {
    lines.insert(lines.begin() + at, two.begin(), two.end());
    return lines;
  };
  const struct {
    std::vector<std::string> before;
    bool set;  // else erase
    int row;
    std::string key;
    std::string value;
    std::vector<std::string> after;
  } cases[] = {
      {two, true, 1, "a", "new", {"[1]", "a=new", "b=1", "", "; c", "[2]", "a=two"}},
      {two, true, 1, "c", "3", {"[1]", "a = old", "b=1", "c=3", "", "; c", "[2]", "a=two"}},
      {two, true, 2, "b", "x", with({"b=x"}, 0)},
      {two, true, 12, "a", "x", with({"[12]", "a=x"}, 0)},
      {{"[3]", "", "[4]"}, true, 3, "a", "x", {"[3]", "a=x", "", "[4]"}},
      {{}, true, 5, "alternate", "f.txt", {"[5]", "alternate=f.txt"}},
      {{"[1]", "b=1", "[1]", "a=1", "a=2"}, true, 1, "a", "x", {"[1]", "b=1", "[1]", "a=x", "a=2"}},
      {{"[1]"}, true, 1, "a\r\n", std::string("x\ry\nz\0!", 7), {"[1]", "a=xyz!"}},
      {two, true, 1, "a=b", "x", two},
      {two, true, 1, ";a", "x", two},
      {two, true, 1, "[a", "]", two},
      {two, true, 1, " a", "x", two},
      {two, true, 13, "a", "x", two},
      {{"[1]", "a=1", "; a=c", "[2]", "a=2", "[1]", " a =3", "b=4"},
       false,
       1,
       "a",
       "",
       {"[1]", "; a=c", "[2]", "a=2", "[1]", "b=4"}},
      {two, false, 2, "b", "", two},
  };
  for (const auto& c : cases) {
    RowDetails details = RowDetails::Parse(CrLf(c.before));
    c.set ? details.Set(c.row, c.key, c.value) : details.Erase(c.row, c.key);
    EXPECT_EQ(details.Serialize(), CrLf(c.after)) << c.key << " in row " << c.row;
  }
}

TEST(RowDetailsFile, PlainFileNameIsOnlyANameInTheProgramFolder) {
  for (const std::string_view name :
       {"row03_alternate.txt", "a b.txt", "\x95\x5C.txt" /* 表: its second byte is "\" */, "\x95",
        ".profile", "COM10"}) {
    EXPECT_TRUE(IsPlainFileName(name)) << name;
  }
  for (const std::string_view name :
       {"", "..", "a..b", "a/b", "a\\b", "c:x", "a\tb", "\x95\x2F", "con", "nul.tar.gz", "aux.txt",
        "lpt0", "com9.txt", "CON .txt", "conin$",
        "\x95\x95\x5C.txt" /* a lead byte pair, then "\" */}) {
    EXPECT_FALSE(IsPlainFileName(name)) << name;
  }
  EXPECT_FALSE(IsPlainFileName(std::string("a\0b", 3)));
  EXPECT_EQ(RowFigureFileName(3, kAlternateKey), "row03_alternate.txt");
  EXPECT_EQ(RowFigureFileName(12, "corner"), "row12_corner.txt");
}

TEST(RowDetailsFile, CheckedFigureFollowsOnlyAPlainNameOfAFileThere) {
  const struct {
    const char* line;
    int row;
    std::string file;
    std::string refused;
  } cases[] = {{"alternate=there.txt", 2, "there.txt", ""},
               {"corner=there.txt", 2, "", ""},
               {"alternate=there.txt", 1, "", ""},
               {"alternate=", 2, "", ""},
               {"alternate=gone.txt", 2, "", "gone.txt"},
               {"alternate=../there.txt", 2, "", "../there.txt"},
               {"alternate=prog/there.txt", 2, "", "prog/there.txt"}};
  testing::MemoryFileSystem fs;
  fs.files["prog/there.txt"] = "-1,-1,1,1\r\n";
  fs.files["there.txt"] = "outside the program folder";
  for (const auto& c : cases) {
    const std::string section{'[', static_cast<char>('0' + c.row), ']'};  // rows 1 and 2
    const RowDetails details = RowDetails::Parse(CrLf({section, c.line}));
    const DetailFigure figure = CheckedDetailFigure(details, 2, kAlternateKey, fs, "prog/");
    EXPECT_EQ(figure.file, c.file) << c.line;
    EXPECT_EQ(figure.refused, c.refused) << c.line;
  }
}

TEST(RowDetailsLoad, MissingIsNoDetailsAndUnreadableIsTold) {
  TempDir dir;
  FaultFileSystem fs;
  EXPECT_FALSE(LoadRowDetails(fs, dir.File("garanarabe.ini")).unreadable);
  dir.Write("garanarabe.ini", kEdited);
  fs.unreadable = dir.File("garanarabe.ini");
  EXPECT_TRUE(LoadRowDetails(fs, dir.File("garanarabe.ini")).unreadable);
  EXPECT_EQ(dir.Read("garanarabe.ini"), kEdited);
}

TEST(RowDetailsSave, EditedFileKeepsWhatItDoesNotKnow) {
  TempDir dir;
  dir.Write("garanarabe.ini", kEdited);
  RealFileSystem fs;
  RowDetails details = LoadRowDetails(fs, dir.File("garanarabe.ini")).details;
  details.Set(1, kAlternateKey, "row01_alternate.txt");
  ASSERT_TRUE(SaveRowDetails(fs, dir.File("garanarabe.ini"), details));
  std::string expected = kEdited;
  expected.replace(expected.find("alternate = flower.txt "), 23, "alternate=row01_alternate.txt");
  EXPECT_EQ(dir.Read("garanarabe.ini"), expected);
  EXPECT_EQ(testing::FilesIn(dir), 1u);
}

TEST(RowDetailsSave, FailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
  for (const testing::FaultCase& fault : testing::kWriteFaults) {
    TempDir dir;
    dir.Write("garanarabe.ini", kEdited);
    FaultFileSystem fs;
    fs.fault = fault.fault;
    RowDetails details;
    details.Set(1, kAlternateKey, "x.txt");
    EXPECT_FALSE(SaveRowDetails(fs, dir.File("garanarabe.ini"), details));
    EXPECT_EQ(dir.Read("garanarabe.ini"), kEdited);
    EXPECT_EQ(testing::FilesIn(dir), 1u);
  }
}

}  // namespace
}  // namespace gara
