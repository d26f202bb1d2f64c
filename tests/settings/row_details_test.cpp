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
        CrLf({"[12]", "alternate=x", "\x81", std::string_view("nul\0byte", 8)}),
        "\xEF\xBB\xBF" + kEdited, std::string("\xEF\xBB\xBF")}) {
    EXPECT_EQ(RowDetails::Parse(input).Serialize(), input);
  }
  std::string lf;
  for (char c : kEdited) {
    if (c != '\r') lf += c;
  }
  lf.pop_back();  // and no end to the last line
  EXPECT_EQ(RowDetails::Parse(lf).Serialize(), kEdited);
}

// A CR alone ends a line as CR LF and LF do; the file is written back with CR LF.
TEST(RowDetailsFile, CrAloneEndsALine) {
  const struct {
    std::string input;
    std::string written;
  } cases[] = {
      {"[1]\ralternate=a.txt\r", CrLf({"[1]", "alternate=a.txt"})},
      {"[1]\ralternate=a.txt", CrLf({"[1]", "alternate=a.txt"})},
      {"[1]\r\r\nalternate=a.txt\n\r", CrLf({"[1]", "", "alternate=a.txt", ""})},
      {"\xEF\xBB\xBF[1]\ralternate=a.txt\r", "\xEF\xBB\xBF" + CrLf({"[1]", "alternate=a.txt"})},
  };
  for (const auto& c : cases) {
    const RowDetails details = RowDetails::Parse(c.input);
    EXPECT_EQ(details.Get(1, kAlternateKey), "a.txt") << c.written;
    EXPECT_EQ(details.Serialize(), c.written);
  }
}

const std::string kUtf8Mark = "\xEF\xBB\xBF";

// A file saved as UTF-8 with its byte order mark: its values reach the program, and the file
// system, in Shift-JIS; one that Shift-JIS cannot spell names no file, whatever is there.
TEST(RowDetailsUtf8, ValuesReadInShiftJis) {
  const struct {
    std::string utf8;
    std::string shiftJis;
    bool exact;
  } cases[] = {
      {"plain.txt", "plain.txt", true},
      {"\xE8\xA1\xA8.txt", "\x95\x5C.txt", true},                  // 表, whose second byte is "\"
      {"\xEF\xBD\xB1\xE3\x81\x82.txt", "\xB1\x82\xA0.txt", true},  // ｱあ
      {"\xED\x95\x9C.txt", "?.txt", false},                        // 한: no Shift-JIS character
      {"\xF0\x9F\x98\x80.txt", "?.txt", false},                    // beyond the BMP
      {"\xC0\xAF.txt", "??.txt", false},                           // an overlong "/"
      {"\xED\xA0\x80.txt", "???.txt", false},                      // a surrogate
      {"\xE8\xA1.txt", "??.txt", false},                           // cut short
  };
  testing::MemoryFileSystem fs;
  for (const auto& c : cases) {
    fs.files["prog/" + c.shiftJis] = "-1,-1,1,1\r\n";
    const RowDetails details =
        RowDetails::Parse(kUtf8Mark + CrLf({"; \xE6\x9F\x84", "[2]", "alternate=" + c.utf8}));
    EXPECT_TRUE(details.utf8());
    bool exact = true;
    EXPECT_EQ(details.Get(2, kAlternateKey, &exact), c.shiftJis) << c.shiftJis;
    EXPECT_EQ(exact, c.exact) << c.shiftJis;
    const DetailFigure figure = CheckedDetailFigure(details, 2, kAlternateKey, fs, "prog/");
    EXPECT_EQ(figure.file, c.exact ? c.shiftJis : "") << c.shiftJis;
    EXPECT_EQ(figure.refused, c.exact ? "" : c.shiftJis) << c.shiftJis;
  }
}

// The dialog's save keeps the file UTF-8, mark and all; what UTF-8 cannot give back as it was
// is refused, not written changed.
TEST(RowDetailsUtf8, SavedInItsOwnEncoding) {
  const std::string path = "garanarabe.ini";
  const std::string before = kUtf8Mark + CrLf({"; \xE6\x9F\x84", "[1]", "alternate=a.txt"});
  const struct {
    std::string key;
    std::string value;  // Shift-JIS
    bool set;
    std::string line;  // as written, UTF-8
  } cases[] = {
      {"alternate_source", "C:\\\x95\x5C\\f.jws", true, "alternate_source=C:\\\xE8\xA1\xA8\\f.jws"},
      {"alternate", "b.txt", true, ""},
      {"corner", "\xED\x40.txt", false, ""},  // NEC-selected: Shift-JIS writes it FA 5C
      {"corner", "\x81", false, ""},          // a lead byte alone
      {"\x82\xA0", "x", true, "\xE3\x81\x82=x"},
  };
  for (const auto& c : cases) {
    testing::MemoryFileSystem fs;
    fs.files[path] = before;
    RowDetails details = LoadRowDetails(fs, path).details;
    EXPECT_EQ(details.Set(1, c.key, c.value), c.set) << c.key;
    ASSERT_TRUE(SaveRowDetails(fs, path, details));
    const std::string& after = fs.files[path];
    EXPECT_TRUE(after.starts_with(kUtf8Mark + "; \xE6\x9F\x84\r\n"));
    if (c.set) {
      EXPECT_EQ(RowDetails::Parse(after).Get(1, c.key), c.value);
    } else {
      EXPECT_EQ(after, before);
    }
    if (!c.line.empty()) {
      EXPECT_NE(after.find("\r\n" + c.line + "\r\n"), std::string::npos);
    }
  }
  // A Shift-JIS file takes such bytes as they are.
  RowDetails shiftJis = RowDetails::Parse(CrLf({"[1]"}));
  EXPECT_TRUE(shiftJis.Set(1, kCornerKey, "\xED\x40.txt"));
  EXPECT_EQ(shiftJis.Serialize(), CrLf({"[1]", "corner=\xED\x40.txt"}));
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
      {{"[1]"}, true, 1, "a\r\n", "x\ry\nz!", {"[1]", "a=xyz!"}},
      // A NUL is refused, not dropped: what is left of the value could name another file.
      {{"[1]"}, true, 1, "a", std::string("x.txt\0!", 7), {"[1]"}},
      {{"[1]"}, true, 1, std::string("a\0", 2), "x", {"[1]"}},
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
    if (c.set) {
      details.Set(c.row, c.key, c.value);
    } else {
      details.Erase(c.row, c.key);
    }
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
