#include "settings/settings.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "app/test_files.h"
#include "platform/real_file_system.h"
#include "support/fault_file_system.h"
#include "support/shortest_text.h"
#include "support/temp_dir.h"
#include "util/lines.h"
#include "util/text.h"

namespace gara {
namespace {

using testing::CrLf;
using testing::FaultCase;
using testing::FaultFileSystem;
using testing::Lines;
using testing::TempDir;

void ExpectSameSettings(const Settings& a, const Settings& b) {
  EXPECT_EQ(a.windowLeft, b.windowLeft);
  EXPECT_EQ(a.windowTop, b.windowTop);
  EXPECT_EQ(a.jwsFile, b.jwsFile);
  EXPECT_EQ(a.useWritingLayerGroup, b.useWritingLayerGroup);
  EXPECT_EQ(a.useWritingLayer, b.useWritingLayer);
  EXPECT_EQ(a.useWritingColour, b.useWritingColour);
  EXPECT_EQ(a.useWritingLineType, b.useWritingLineType);
  EXPECT_EQ(a.selectedRow, b.selectedRow);
  for (int n = 0; n < kPatternRows; ++n) {
    SCOPED_TRACE("row " + std::to_string(n + 1));
    const PatternRow& x = a.rows[n];
    const PatternRow& y = b.rows[n];
    EXPECT_EQ(x.figureKind, y.figureKind);
    EXPECT_EQ(x.width, y.width);
    EXPECT_EQ(x.height, y.height);
    EXPECT_EQ(x.arrangement, y.arrangement);
    EXPECT_EQ(x.interval, y.interval);
    EXPECT_EQ(x.referencePoint, y.referencePoint);
    EXPECT_EQ(x.topLine, y.topLine);
    EXPECT_EQ(x.middleLine, y.middleLine);
    EXPECT_EQ(x.bottomLine, y.bottomLine);
  }
}

// Values that differ from the defaults in every field and from row to row.
Settings Varied() {
  Settings s;
  s.windowLeft = -32;
  s.windowTop = 2147483647;
  s.jwsFile = "C:\\Jw cad\\図形 01\\花.jws";
  s.useWritingColour = true;
  s.useWritingLineType = true;
  s.SetUseWritingLayer(true);
  s.selectedRow = 7;
  for (int n = 0; n < kPatternRows; ++n) {
    PatternRow& row = s.rows[n];
    row.figureKind = n % 2;
    row.width = 0.5 + n;
    row.height = 12.25 * (n + 1);
    row.arrangement = (n / 2) % 2;
    row.interval = n == 3 ? 1e-7 : 2.5 * n;
    row.referencePoint = n % 3;
    row.topLine = (n + 1) % 3;
    row.middleLine = (n + 2) % 3;
    row.bottomLine = -n;
  }
  return s;
}

TEST(SettingsDefaults, MissingFileGivesTheDefaults) {
  TempDir dir;
  RealFileSystem fs;
  ExpectSameSettings(LoadSettings(fs, dir.File("garanarabe.dat")), Settings{});
  const Settings d;
  EXPECT_EQ(d.selectedRow, 1);
  EXPECT_TRUE(d.jwsFile.empty());
  for (const PatternRow& row : d.rows) {
    EXPECT_EQ(row.figureKind, 0);
    EXPECT_EQ(row.width, 10.0);
    EXPECT_EQ(row.height, 10.0);
    EXPECT_EQ(row.interval, 0.0);
    EXPECT_EQ(row.referencePoint, 1);
    EXPECT_EQ(row.topLine + row.middleLine + row.bottomLine + row.arrangement, 0);
  }
}

TEST(SettingsDefaults, AFolderAtThePathGivesTheDefaults) {
  TempDir dir;
  RealFileSystem fs;
  ExpectSameSettings(LoadSettings(fs, dir.dir()), Settings{});
}

TEST(SettingsFile, DefaultsAreWrittenAsTheirTexts) {
  const std::string image = SerializeSettings(Settings{});
  std::string expected = "0\r\n0\r\n\r\n0\r\n0\r\n0\r\n0\r\n1\r\n";
  for (int n = 0; n < kPatternRows; ++n)
    expected += "0\r\n10\r\n10\r\n0\r\n0\r\n1\r\n0\r\n0\r\n0\r\n";
  EXPECT_EQ(image, expected);
}

TEST(SettingsFile, HasExactly116CrLfLinesInTheirOrder) {
  const Settings s = Varied();
  const std::string image = SerializeSettings(s);
  const auto lines = Lines(image);
  ASSERT_EQ(lines.size(), static_cast<size_t>(kSettingsLines));
  size_t crlf = 0;
  for (size_t i = 0; i + 1 < image.size(); ++i) crlf += image[i] == '\r' && image[i + 1] == '\n';
  EXPECT_EQ(crlf, static_cast<size_t>(kSettingsLines));
  EXPECT_EQ(image.substr(image.size() - 2), "\r\n");

  EXPECT_EQ(lines[0], "-32");
  EXPECT_EQ(lines[1], "2147483647");
  EXPECT_EQ(lines[2], s.jwsFile);
  EXPECT_EQ(lines[3], "0");  // the layer switch cleared the layer-group switch
  EXPECT_EQ(lines[4], "1");
  EXPECT_EQ(lines[5], "1");
  EXPECT_EQ(lines[6], "1");
  EXPECT_EQ(lines[7], "7");
  // Row 4 (lines 36..44): kind 1, width 3.5, height 49, arrangement 1, interval 1E-7, ...
  const std::vector<std::string> row4(lines.begin() + 35, lines.begin() + 44);
  EXPECT_EQ(row4, (std::vector<std::string>{"1", "3.5", "49", "1", "1E-7", "0", "1", "2", "-3"}));
  EXPECT_EQ(lines[115], "-11");  // row 12 bottom line
}

TEST(SettingsFile, RoundTripKeepsEveryValue) {
  const Settings s = Varied();
  ExpectSameSettings(ParseSettings(SerializeSettings(s)), s);
}

struct RealCase {
  double value;
  const char* text;
};

void PrintTo(const RealCase& c, std::ostream* os) { *os << gara::testing::ShortestText(c.value); }

class SettingsRealText : public ::testing::TestWithParam<RealCase> {};

TEST_P(SettingsRealText, WidthLineIsTheNumberText) {
  Settings s;
  s.rows[0].width = GetParam().value;
  EXPECT_EQ(Lines(SerializeSettings(s))[9], GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsRealText,
    ::testing::Values(RealCase{0.5, "0.5"}, RealCase{1.0 / 3.0, "0.333333333333333"},
                      RealCase{10.0, "10"}, RealCase{-2.5, "-2.5"}, RealCase{1e20, "1E20"},
                      // Nothing unreadable is ever written.
                      RealCase{std::numeric_limits<double>::quiet_NaN(), "0"},
                      RealCase{std::numeric_limits<double>::infinity(), "0"},
                      RealCase{-std::numeric_limits<double>::infinity(), "0"}));

TEST(SettingsFile, ThirdOfAUnitReadsBackAsItsFifteenDigits) {
  Settings s;
  s.rows[2].interval = 1.0 / 3.0;
  EXPECT_EQ(ParseSettings(SerializeSettings(s)).rows[2].interval, 0.333333333333333);
}

TEST(SettingsFile, EightLineFileSetsTheRowsToZero) {
  const Settings s = ParseSettings(CrLf({"100", "200", "D:\\a b.jws", "1", "0", "1", "0", "3"}));
  EXPECT_EQ(s.windowLeft, 100);
  EXPECT_EQ(s.windowTop, 200);
  EXPECT_EQ(s.jwsFile, "D:\\a b.jws");
  EXPECT_TRUE(s.useWritingLayerGroup);
  EXPECT_FALSE(s.useWritingLayer);
  EXPECT_TRUE(s.useWritingColour);
  EXPECT_FALSE(s.useWritingLineType);
  EXPECT_EQ(s.selectedRow, 3);
  for (const PatternRow& row : s.rows) {
    EXPECT_EQ(row.figureKind, 0);
    EXPECT_EQ(row.width, 0.0);
    EXPECT_EQ(row.height, 0.0);
    EXPECT_EQ(row.arrangement, 0);
    EXPECT_EQ(row.interval, 0.0);
    EXPECT_EQ(row.referencePoint, 0);
    EXPECT_EQ(row.topLine, 0);
    EXPECT_EQ(row.middleLine, 0);
    EXPECT_EQ(row.bottomLine, 0);
  }
}

TEST(SettingsFile, EmptyFileSetsEverythingToZero) {
  const Settings s = ParseSettings("");
  EXPECT_EQ(s.selectedRow, 0);
  EXPECT_EQ(s.rows[11].width, 0.0);
  EXPECT_EQ(s.rows[11].referencePoint, 0);
}

TEST(SettingsFile, LfLinesAndAMissingLastLineEndReadAsCrLf) {
  const std::string crlf = SerializeSettings(Varied());
  std::string lf;
  for (char c : crlf) {
    if (c != '\r') lf += c;
  }
  lf.pop_back();  // no line end after the last line
  ExpectSameSettings(ParseSettings(lf), ParseSettings(crlf));
}

TEST(SettingsFile, ValuesOutsideTheirListsAreKept) {
  std::vector<std::string> lines = Lines(SerializeSettings(Settings{}));
  lines[7] = "0";    // selected row
  lines[8] = "5";    // row 1 figure kind
  lines[13] = "-1";  // row 1 reference point
  const Settings s = ParseSettings(CrLf(lines));
  EXPECT_EQ(s.selectedRow, 0);
  EXPECT_EQ(s.rows[0].figureKind, 5);
  EXPECT_EQ(s.rows[0].referencePoint, -1);
  EXPECT_EQ(SerializeSettings(s), CrLf(lines));
}

// The typed reading of a stored value, in the lists or not; the save writes the value back.
struct TypedCase {
  int32_t stored;
  std::optional<FigureKind> kind;
  Arrangement arrangement;
  ReferencePoint reference;
  LineMode line;
};

void PrintTo(const TypedCase& c, std::ostream* os) { *os << "stored " << c.stored; }

class SettingsTypedValues : public ::testing::TestWithParam<TypedCase> {};

TEST_P(SettingsTypedValues, ReadTypedAndSavedUnchanged) {
  const TypedCase& c = GetParam();
  std::vector<std::string> lines = Lines(SerializeSettings(Settings{}));
  // Row 1: figure kind, arrangement, reference point and the three line modes.
  for (int line : {8, 11, 13, 14, 15, 16}) lines[line] = std::to_string(c.stored);
  const Settings s = ParseSettings(CrLf(lines));
  const PatternRow& row = s.rows[0];
  EXPECT_EQ(row.Kind(), c.kind);
  EXPECT_EQ(row.Spacing(), c.arrangement);
  EXPECT_EQ(row.Reference(), c.reference);
  EXPECT_EQ(row.LineModes(), (std::array<LineMode, 3>{c.line, c.line, c.line}));
  EXPECT_EQ(SerializeSettings(s), CrLf(lines));
}

using FK = FigureKind;
using AR = Arrangement;
using RP = ReferencePoint;
using LM = LineMode;
INSTANTIATE_TEST_SUITE_P(
    Values, SettingsTypedValues,
    ::testing::Values(TypedCase{0, FK::kSelected, AR::kInterval, RP::kTop, LM::kNone},
                      TypedCase{1, FK::kJws, AR::kEven, RP::kMiddle, LM::kGaps},
                      TypedCase{2, std::nullopt, AR::kStretch, RP::kBottom, LM::kFullLength},
                      TypedCase{3, std::nullopt, AR::kInterval, RP::kMiddle, LM::kNone},
                      TypedCase{-1, std::nullopt, AR::kInterval, RP::kMiddle, LM::kNone},
                      TypedCase{99, std::nullopt, AR::kInterval, RP::kMiddle, LM::kNone},
                      TypedCase{std::numeric_limits<int32_t>::min(), std::nullopt, AR::kInterval,
                                RP::kMiddle, LM::kNone}));

TEST(SettingsFile, NumbersThatDoNotConvertReadAsZero) {
  std::vector<std::string> lines = Lines(SerializeSettings(Settings{}));
  lines[0] = "12 ";
  lines[7] = "1.0";
  lines[9] = "1,5";
  lines[10] = "1e999";
  lines[12] = "nan";
  const Settings s = ParseSettings(CrLf(lines));
  EXPECT_EQ(s.windowLeft, 0);
  EXPECT_EQ(s.selectedRow, 0);
  EXPECT_EQ(s.rows[0].width, 0.0);
  EXPECT_EQ(s.rows[0].height, 0.0);
  EXPECT_EQ(s.rows[0].interval, 0.0);
}

TEST(SettingsFile, PathWithBlanksAndJapaneseIsKept) {
  Settings s;
  s.jwsFile = " C:\\図形　集\\a  b\\柄.jws ";
  EXPECT_EQ(ParseSettings(SerializeSettings(s)).jwsFile, s.jwsFile);
}

TEST(SettingsFile, LineEndsInThePathCannotShiftTheLines) {
  Settings s = Varied();
  s.jwsFile = "a\nb\r\nc\r";
  const std::string image = SerializeSettings(s);
  ASSERT_EQ(Lines(image).size(), static_cast<size_t>(kSettingsLines));
  const Settings back = ParseSettings(image);
  Settings expected = s;
  expected.jwsFile = "abc";
  ExpectSameSettings(back, expected);
}

struct BoolCase {
  const char* text;
  bool value;
};

void PrintTo(const BoolCase& c, std::ostream* os) { *os << ::testing::PrintToString(c.text); }

class SettingsTrueWords : public ::testing::TestWithParam<BoolCase> {};

TEST_P(SettingsTrueWords, SwitchLineAndItsNextSave) {
  std::vector<std::string> lines = Lines(SerializeSettings(Settings{}));
  lines[5] = GetParam().text;  // useWritingColour
  lines[6] = GetParam().text;  // useWritingLineType
  const Settings s = ParseSettings(CrLf(lines));
  EXPECT_EQ(s.useWritingColour, GetParam().value);
  EXPECT_EQ(s.useWritingLineType, GetParam().value);
  const auto saved = Lines(SerializeSettings(s));
  EXPECT_EQ(saved[5], GetParam().value ? "1" : "0");
  EXPECT_EQ(saved[6], GetParam().value ? "1" : "0");
}

INSTANTIATE_TEST_SUITE_P(Words, SettingsTrueWords,
                         ::testing::Values(BoolCase{"1", true}, BoolCase{"TRUE", true},
                                           BoolCase{"true", true}, BoolCase{"Tr", true},
                                           BoolCase{" on ", true}, BoolCase{"○", true},
                                           BoolCase{"１", true}, BoolCase{"真", true},
                                           BoolCase{"0", false}, BoolCase{"", false},
                                           BoolCase{"YES", false}, BoolCase{"FALSE", false},
                                           BoolCase{"ｔ", false}));

struct LayerSwitchCase {
  const char* group;
  const char* layer;
  bool groupOn;
  bool layerOn;
};

void PrintTo(const LayerSwitchCase& c, std::ostream* os) { *os << c.group << "," << c.layer; }

class SettingsLayerSwitches : public ::testing::TestWithParam<LayerSwitchCase> {};

TEST_P(SettingsLayerSwitches, TheLaterSwitchWins) {
  std::vector<std::string> lines = Lines(SerializeSettings(Settings{}));
  lines[3] = GetParam().group;
  lines[4] = GetParam().layer;
  const Settings s = ParseSettings(CrLf(lines));
  EXPECT_EQ(s.useWritingLayerGroup, GetParam().groupOn);
  EXPECT_EQ(s.useWritingLayer, GetParam().layerOn);
}

INSTANTIATE_TEST_SUITE_P(Files, SettingsLayerSwitches,
                         ::testing::Values(LayerSwitchCase{"0", "0", false, false},
                                           LayerSwitchCase{"1", "0", true, false},
                                           LayerSwitchCase{"0", "1", false, true},
                                           LayerSwitchCase{"1", "1", false, true},
                                           LayerSwitchCase{"T", "ON", false, true}));

TEST(SettingsLayerSwitches, SettingOneClearsTheOtherAndClearingClearsNothingElse) {
  Settings s;
  s.SetUseWritingLayerGroup(true);
  EXPECT_TRUE(s.useWritingLayerGroup);
  s.SetUseWritingLayer(true);
  EXPECT_TRUE(s.useWritingLayer);
  EXPECT_FALSE(s.useWritingLayerGroup);
  s.SetUseWritingLayerGroup(false);
  EXPECT_TRUE(s.useWritingLayer);
  s.SetUseWritingLayerGroup(true);
  EXPECT_FALSE(s.useWritingLayer);
  s.SetUseWritingLayer(false);
  EXPECT_TRUE(s.useWritingLayerGroup);
}

// Deterministic bytes of every value, with line ends sprinkled in.
std::string Garbage(unsigned seed, size_t size) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    const unsigned r = random();
    c = static_cast<char>(r % 13 == 0 ? '\n' : r % 17 == 0 ? '\r' : (r >> 8) & 0xFF);
  }
  return bytes;
}

TEST(SettingsGarbage, BinaryFilesLoadSoundlyAndSaveAsValidFiles) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    const std::string bytes = Garbage(seed, 37 * seed * seed);
    const Settings s = ParseSettings(bytes);
    for (const PatternRow& row : s.rows) {
      EXPECT_TRUE(std::isfinite(row.width) && std::isfinite(row.height) &&
                  std::isfinite(row.interval));
    }
    EXPECT_FALSE(s.useWritingLayerGroup && s.useWritingLayer);
    // Once saved, the file is a valid settings file that loads to the same values.
    const std::string saved = SerializeSettings(s);
    EXPECT_EQ(Lines(saved).size(), static_cast<size_t>(kSettingsLines));
    EXPECT_EQ(SerializeSettings(ParseSettings(saved)), saved);
  }
}

TEST(SettingsGarbage, NulBytesAndALoneLeadByteInThePath) {
  const std::string path("a\0b\x81", 4);
  const Settings s = ParseSettings(CrLf({"1", "2", path}));
  EXPECT_EQ(s.jwsFile, path);
  EXPECT_EQ(ParseSettings(SerializeSettings(s)).jwsFile, path);
}

TEST(SettingsSave, WritesTheFileAndLeavesNoTemporary) {
  TempDir dir;
  RealFileSystem fs;
  const std::string path = dir.File("garanarabe.dat");
  ASSERT_TRUE(SaveSettings(fs, path, Varied()));
  EXPECT_EQ(dir.Read("garanarabe.dat"), SerializeSettings(Varied()));
  ExpectSameSettings(LoadSettings(fs, path), Varied());
  EXPECT_EQ(testing::FilesIn(dir), 1u);
}

class SettingsSaveFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(SettingsSaveFault, FailedSaveKeepsTheOldFileAndLeavesNoTemporary) {
  TempDir dir;
  const std::string old = SerializeSettings(Varied());
  dir.Write("garanarabe.dat", old);
  FaultFileSystem fs;
  fs.fault = GetParam().fault;
  fs.writesBeforeFailure = 0;
  EXPECT_FALSE(SaveSettings(fs, dir.File("garanarabe.dat"), Settings{}));
  EXPECT_EQ(dir.Read("garanarabe.dat"), old);
  EXPECT_EQ(testing::FilesIn(dir), 1u);
}

TEST_P(SettingsSaveFault, FailedFirstSaveLeavesNoFile) {
  TempDir dir;
  FaultFileSystem fs;
  fs.fault = GetParam().fault;
  EXPECT_FALSE(SaveSettings(fs, dir.File("garanarabe.dat"), Varied()));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  ExpectSameSettings(LoadSettings(fs, dir.File("garanarabe.dat")), Settings{});
}

INSTANTIATE_TEST_SUITE_P(Steps, SettingsSaveFault, ::testing::ValuesIn(testing::kWriteFaults));

}  // namespace
}  // namespace gara
