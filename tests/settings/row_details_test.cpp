#include "settings/row_details.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
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
using testing::FaultCase;
using testing::FaultFileSystem;
using testing::TempDir;

// A file a user edited by hand: comments, blank lines, keys and sections of others, a repeated
// section, blanks around names, Shift-JIS text.
const std::string kEdited =
    CrLf({"; garanarabe", "[1]", "alternate = flower.txt ", "colour=red", "", "; row 2 follows",
          "  [2]\t", "\talternate=\x95\x5C.txt", "no equals sign here", "[window]",
          "alternate=other.txt", "[1]", "alternate=second.txt", "corner=c.txt", "[ 3 ]",
          "alternate=spaced.txt"});

TEST(RowDetailsFile, WrittenBackByteForByte) {
  const std::string inputs[] = {
      "",
      "\r\n",
      "\r\n\r\n",
      kEdited,
      CrLf({"[1]", "a=1", "a=2", "=no key", "[1", "]", "[]", "a==b"}),
      CrLf({"[12]", "alternate=x\ry", "lone CR\r", "\x81", std::string_view("nul\0byte", 8)}),
  };
  for (const std::string& input : inputs) {
    EXPECT_EQ(RowDetails::Parse(input).Serialize(), input);
  }
}

TEST(RowDetailsFile, LfLinesAndAMissingLastLineEndReadAsCrLf) {
  std::string lf;
  for (char c : kEdited) {
    if (c != '\r') lf += c;
  }
  EXPECT_EQ(RowDetails::Parse(lf), RowDetails::Parse(kEdited));
  lf.pop_back();
  EXPECT_EQ(RowDetails::Parse(lf).Serialize(), kEdited);
}

struct GetCase {
  int row;
  const char* key;
  std::optional<std::string> value;
};

void PrintTo(const GetCase& c, std::ostream* os) { *os << "[" << c.row << "] " << c.key; }

class RowDetailsGet : public ::testing::TestWithParam<GetCase> {};

TEST_P(RowDetailsGet, TakesTheFirstOfTheRow) {
  EXPECT_EQ(RowDetails::Parse(kEdited).Get(GetParam().row, GetParam().key), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RowDetailsGet,
    ::testing::Values(GetCase{1, "alternate", "flower.txt"}, GetCase{1, "colour", "red"},
                      // The repeated section is the same row.
                      GetCase{1, "corner", "c.txt"}, GetCase{2, "alternate", "\x95\x5C.txt"},
                      GetCase{2, "no equals sign here", std::nullopt},
                      // "[ 3 ]" and "[window]" are sections of no row.
                      GetCase{3, "alternate", std::nullopt}, GetCase{4, "alternate", std::nullopt},
                      GetCase{0, "alternate", std::nullopt}, GetCase{13, "alternate", std::nullopt},
                      GetCase{1, "Alternate", std::nullopt}));

enum class Op { kSet, kErase };

struct EditCase {
  const char* name;
  std::vector<std::string> before;
  Op op;
  int row;
  std::string key;
  std::string value;
  std::vector<std::string> after;
};

void PrintTo(const EditCase& c, std::ostream* os) { *os << c.name; }

class RowDetailsEdit : public ::testing::TestWithParam<EditCase> {};

TEST_P(RowDetailsEdit, ChangesOnlyTheKeyLines) {
  const EditCase& c = GetParam();
  RowDetails details = RowDetails::Parse(CrLf(c.before));
  if (c.op == Op::kSet) {
    details.Set(c.row, c.key, c.value);
  } else {
    details.Erase(c.row, c.key);
  }
  EXPECT_EQ(details.Serialize(), CrLf(c.after));
}

const std::vector<std::string> kTwoRows = {"[1]", "a = old", "b=1", "", "; c", "[2]", "a=two"};

INSTANTIATE_TEST_SUITE_P(
    Cases, RowDetailsEdit,
    ::testing::Values(
        EditCase{"replace",
                 kTwoRows,
                 Op::kSet,
                 1,
                 "a",
                 "new",
                 {"[1]", "a=new", "b=1", "", "; c", "[2]", "a=two"}},
        EditCase{"insert_before_blank_and_comment",
                 kTwoRows,
                 Op::kSet,
                 1,
                 "c",
                 "3",
                 {"[1]", "a = old", "b=1", "c=3", "", "; c", "[2]", "a=two"}},
        EditCase{"insert_at_the_end",
                 kTwoRows,
                 Op::kSet,
                 2,
                 "b",
                 "x",
                 {"[1]", "a = old", "b=1", "", "; c", "[2]", "a=two", "b=x"}},
        EditCase{"insert_into_an_empty_section",
                 {"[3]", "", "[4]"},
                 Op::kSet,
                 3,
                 "a",
                 "x",
                 {"[3]", "a=x", "", "[4]"}},
        EditCase{"new_section",
                 kTwoRows,
                 Op::kSet,
                 12,
                 "a",
                 "x",
                 {"[1]", "a = old", "b=1", "", "; c", "[2]", "a=two", "[12]", "a=x"}},
        EditCase{"into_an_empty_file",
                 {},
                 Op::kSet,
                 5,
                 "alternate",
                 "f.txt",
                 {"[5]", "alternate=f.txt"}},
        EditCase{"replace_the_first_of_repeated_sections",
                 {"[1]", "b=1", "[1]", "a=1", "a=2"},
                 Op::kSet,
                 1,
                 "a",
                 "x",
                 {"[1]", "b=1", "[1]", "a=x", "a=2"}},
        EditCase{"line_breaks_and_nul_dropped",
                 {"[1]"},
                 Op::kSet,
                 1,
                 "a\r\n",
                 std::string("x\ry\nz\0!", 7),
                 {"[1]", "a=xyz!"}},
        EditCase{"key_with_equals_refused", kTwoRows, Op::kSet, 1, "a=b", "x", kTwoRows},
        EditCase{"comment_key_refused", kTwoRows, Op::kSet, 1, ";a", "x", kTwoRows},
        EditCase{"header_making_key_refused", kTwoRows, Op::kSet, 1, "[a", "]", kTwoRows},
        EditCase{"blank_key_refused", kTwoRows, Op::kSet, 1, " a", "x", kTwoRows},
        EditCase{"empty_key_refused", kTwoRows, Op::kSet, 1, "\r\n", "x", kTwoRows},
        EditCase{"no_row_refused", kTwoRows, Op::kSet, 13, "a", "x", kTwoRows},
        EditCase{"erase_every_occurrence",
                 {"[1]", "a=1", "; a=c", "[2]", "a=2", "[1]", " a =3", "b=4"},
                 Op::kErase,
                 1,
                 "a",
                 "",
                 {"[1]", "; a=c", "[2]", "a=2", "[1]", "b=4"}},
        EditCase{"erase_missing", kTwoRows, Op::kErase, 2, "b", "", kTwoRows}));

struct NameCase {
  std::string name;
  bool plain;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << "\"" << c.name << "\""; }

class PlainFileName : public ::testing::TestWithParam<NameCase> {};

TEST_P(PlainFileName, OnlyANameInTheProgramFolder) {
  EXPECT_EQ(IsPlainFileName(GetParam().name), GetParam().plain);
}

INSTANTIATE_TEST_SUITE_P(
    Names, PlainFileName,
    ::testing::Values(
        NameCase{"row03_alternate.txt", true}, NameCase{"a b.txt", true},
        NameCase{"\x95\x5C.txt", true},       // 表: its second byte is "\"
        NameCase{"\x83\x5C\x83\x5C", true},   // ソソ
        NameCase{"\x95\x95\x5C.txt", false},  // 表 is not there: a lead byte pair, then "\"
        NameCase{"\x95", true}, NameCase{".profile", true}, NameCase{"CONFIG.txt", true},
        NameCase{"COM10", true}, NameCase{"LPT10", true}, NameCase{"", false}, NameCase{".", false},
        NameCase{"..", false}, NameCase{"a..b", false}, NameCase{"a/b", false},
        NameCase{"a\\b", false}, NameCase{"\\\\server", false}, NameCase{"c:x", false},
        NameCase{"C:\\x.txt", false}, NameCase{"a\tb", false},
        NameCase{std::string("a\0b", 3), false}, NameCase{"\x95\x2F", false},
        NameCase{"CON", false}, NameCase{"con", false}, NameCase{"Con.txt", false},
        NameCase{"nul.tar.gz", false}, NameCase{"PRN", false}, NameCase{"aux.txt", false},
        NameCase{"COM1", false}, NameCase{"lpt0", false}, NameCase{"com9.txt", false},
        NameCase{"LPT1", false}, NameCase{"lpt9.dat", false}, NameCase{"CON .txt", false},
        NameCase{"conin$", false}));

TEST(RowFigureFileName, TwoDigitsAndTheKey) {
  EXPECT_EQ(RowFigureFileName(3, kAlternateKey), "row03_alternate.txt");
  EXPECT_EQ(RowFigureFileName(12, "corner"), "row12_corner.txt");
  EXPECT_TRUE(IsPlainFileName(RowFigureFileName(1, kAlternateKey)));
}

struct FigureCase {
  const char* name;
  std::vector<std::string> lines;  // of the details file
  std::string file;
  std::string refused;
};

void PrintTo(const FigureCase& c, std::ostream* os) { *os << c.name; }

class DetailFigureCheck : public ::testing::TestWithParam<FigureCase> {};

TEST_P(DetailFigureCheck, FollowsOnlyAPlainNameOfAFileThere) {
  testing::MemoryFileSystem fs;
  fs.files["prog/there.txt"] = "-1,-1,1,1\r\n";
  fs.files["there.txt"] = "outside the program folder";
  const RowDetails details = RowDetails::Parse(CrLf(GetParam().lines));
  const DetailFigure figure = CheckedDetailFigure(details, 2, kAlternateKey, fs, "prog/");
  EXPECT_EQ(figure.file, GetParam().file);
  EXPECT_EQ(figure.refused, GetParam().refused);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DetailFigureCheck,
    ::testing::Values(FigureCase{"there", {"[2]", "alternate=there.txt"}, "there.txt", ""},
                      FigureCase{"no_key", {"[2]", "corner=there.txt"}, "", ""},
                      FigureCase{"other_row", {"[1]", "alternate=there.txt"}, "", ""},
                      FigureCase{"empty", {"[2]", "alternate="}, "", ""},
                      FigureCase{"missing", {"[2]", "alternate=gone.txt"}, "", "gone.txt"},
                      FigureCase{"upwards", {"[2]", "alternate=../there.txt"}, "", "../there.txt"},
                      FigureCase{
                          "folder", {"[2]", "alternate=prog/there.txt"}, "", "prog/there.txt"}));

TEST(RowDetailsLoad, MissingFileIsNoDetails) {
  TempDir dir;
  RealFileSystem fs;
  const LoadedRowDetails loaded = LoadRowDetails(fs, dir.File("garanarabe.ini"));
  EXPECT_FALSE(loaded.unreadable);
  EXPECT_EQ(loaded.details.Serialize(), "");
}

TEST(RowDetailsLoad, UnreadableFileIsToldAndNeverSavedOver) {
  TempDir dir;
  dir.Write("garanarabe.ini", kEdited);
  FaultFileSystem fs;
  fs.unreadable = dir.File("garanarabe.ini");
  EXPECT_TRUE(LoadRowDetails(fs, dir.File("garanarabe.ini")).unreadable);
  fs.unreadable.clear();
  const LoadedRowDetails loaded = LoadRowDetails(fs, dir.File("garanarabe.ini"));
  EXPECT_FALSE(loaded.unreadable);
  EXPECT_EQ(loaded.details.Serialize(), kEdited);
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

class RowDetailsSaveFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(RowDetailsSaveFault, FailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
  TempDir dir;
  dir.Write("garanarabe.ini", kEdited);
  FaultFileSystem fs;
  fs.fault = GetParam().fault;
  RowDetails details;
  details.Set(1, kAlternateKey, "x.txt");
  EXPECT_FALSE(SaveRowDetails(fs, dir.File("garanarabe.ini"), details));
  EXPECT_EQ(dir.Read("garanarabe.ini"), kEdited);
  EXPECT_EQ(testing::FilesIn(dir), 1u);
}

INSTANTIATE_TEST_SUITE_P(Steps, RowDetailsSaveFault, ::testing::ValuesIn(testing::kWriteFaults));

}  // namespace
}  // namespace gara
