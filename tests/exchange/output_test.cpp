// The output side of JWC_TEMP.TXT: records, joined lines, the command cache, every emitter and
// the replace-or-remove write.
#include "exchange/output.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "platform/real_file_system.h"
#include "support/fault_file_system.h"
#include "support/temp_dir.h"
#include "util/number_text.h"

namespace gara {
namespace {

using Records = std::vector<std::string>;

Records RecordsOf(const OutputBuffer& buffer) {
  Records out;
  for (size_t i = 0; i < buffer.size(); ++i) out.emplace_back(buffer[i]);
  return out;
}

// ---- OutputBuffer ----

struct ImageCase {
  const char* name;
  Records records;
  std::string image;
};

void PrintTo(const ImageCase& c, std::ostream* os) { *os << c.name; }

class FileImageTest : public ::testing::TestWithParam<ImageCase> {};

TEST_P(FileImageTest, JoinsAndEndsLines) {
  OutputBuffer buffer;
  for (const std::string& r : GetParam().records) buffer.AppendLine(r);
  EXPECT_EQ(buffer.FileImage(), GetParam().image);
}

INSTANTIATE_TEST_SUITE_P(
    Images, FileImageTest,
    ::testing::Values(
        ImageCase{"Empty", {}, "hq\r\n"}, ImageCase{"OneLine", {"lg0"}, "lg0\r\n"},
        ImageCase{"EmptyRecord", {""}, "\r\n"},
        ImageCase{"TextJoined",
                  {"lc1", "ch 1 2 10 0 \"", "ABC", "lc2"},
                  "lc1\r\nch 1 2 10 0 \"ABC\r\nlc2\r\n"},
        // The partner is taken whole, even when it ends in a double quote itself.
        ImageCase{"PartnerEndsInQuote", {"a\"", "b\"", "c"}, "a\"b\"\r\nc\r\n"},
        ImageCase{"TrailingQuoteHasNoLineEnd", {"x", "ch 0 0 1 0 \""}, "x\r\nch 0 0 1 0 \""},
        ImageCase{"QuoteThenLast", {"cs 0 0 10 0 \"", "100"}, "cs 0 0 10 0 \"100\r\n"},
        ImageCase{"QuoteOnlyRecord", {"\"", "\""}, "\"\"\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OutputBuffer, CutsRecordsAt255Bytes) {
  OutputBuffer buffer;
  const std::string text(300, 'x');
  buffer.AppendLine("ch 0 0 10 0 \"");
  buffer.AppendLine(text);
  ASSERT_EQ(buffer.size(), 2u);
  EXPECT_EQ(buffer[1], text.substr(0, 255));
  EXPECT_EQ(buffer.FileImage(), "ch 0 0 10 0 \"" + text.substr(0, 255) + "\r\n");
}

TEST(OutputBuffer, CutNeverSplitsTwoByteCharacter) {
  OutputBuffer buffer;
  // 254 one-byte characters and then "あ" (two bytes): the character does not fit whole.
  buffer.AppendLine(std::string(254, 'a') + "あい");
  EXPECT_EQ(buffer[0], std::string(254, 'a'));
  // 253 and then "あ": it fits exactly.
  buffer.AppendLine(std::string(253, 'a') + "あい");
  EXPECT_EQ(buffer[1], std::string(253, 'a') + "あ");
  // Exactly 255 bytes stay whole.
  buffer.AppendLine(std::string(255, 'b'));
  EXPECT_EQ(buffer[2].size(), 255u);
}

TEST(OutputBuffer, LineBreakBytesNeverSplitARecord) {
  OutputBuffer buffer;
  buffer.AppendLine("ch 0 0 10 0 \"");
  buffer.AppendLine("A\r\nlc5\rB\n");
  EXPECT_EQ(buffer.FileImage(), "ch 0 0 10 0 \"Alc5B\r\n");
}

TEST(OutputBuffer, KeepsBytesUnchanged) {
  OutputBuffer buffer;
  const std::string bytes = std::string("\x00\x01\x7f\xff\x81\x40 \t", 8);
  buffer.AppendLine(bytes);
  EXPECT_EQ(buffer[0], bytes);
  EXPECT_EQ(buffer.FileImage(), bytes + "\r\n");
}

// Records fill fixed blocks; every length, empty ones included, must come back whole across
// the block boundaries of a few megabytes of output.
TEST(OutputBuffer, RecordsComeBackWholeAcrossBlocks) {
  OutputBuffer buffer;
  std::vector<std::string> records;
  std::string expected;
  for (size_t i = 0; expected.size() < 3'500'000; ++i) {
    const size_t length = (i * 37) % 256;
    std::string record(length, static_cast<char>('a' + i % 26));
    if (length > 0) record.back() = static_cast<char>('0' + i % 10);
    buffer.AppendLine(record);
    records.push_back(record);
    expected += record + "\r\n";
  }
  ASSERT_EQ(buffer.size(), records.size());
  for (size_t i = 0; i < records.size(); ++i) ASSERT_EQ(buffer[i], records[i]) << i;
  EXPECT_EQ(buffer.FileImage(), expected);
  buffer.Clear();
  buffer.AppendLine("again");
  EXPECT_EQ(buffer.FileImage(), "again\r\n");
}

TEST(OutputBuffer, ClearEmpties) {
  OutputBuffer buffer;
  buffer.AppendLine("lg1");
  buffer.Clear();
  EXPECT_TRUE(buffer.empty());
  EXPECT_EQ(buffer.FileImage(), "hq\r\n");
  buffer.AppendLine("ly2");
  EXPECT_EQ(RecordsOf(buffer), Records{"ly2"});
}

// Counts the writes the buffer makes and keeps their bytes.
class RecordingFile final : public OutputFile {
 public:
  bool Write(std::string_view bytes) override {
    ++writes;
    data.append(bytes);
    return true;
  }
  bool Close() override { return true; }
  int writes = 0;
  std::string data;
};

TEST(OutputBuffer, StreamsInLargeBlocks) {
  OutputBuffer buffer;
  for (int i = 0; i < 100000; ++i) {
    buffer.AppendLine("ch 123.456 789.012 10 0 \"");
    buffer.AppendLine(i % 7 == 0 ? std::string(300, 'q') : "text");
  }
  RecordingFile file;
  ASSERT_TRUE(buffer.WriteTo(file));
  EXPECT_EQ(file.data, buffer.FileImage());
  EXPECT_LE(file.writes, static_cast<int>(file.data.size() / 32768 + 1));
}

// Streamed records make the same file image as kept ones, joins across the writer's blocks
// included, and nothing of them stays in memory.
TEST(OutputBuffer, StreamedImageIsTheKeptImage) {
  for (const int count : {0, 1, 40000}) {
    OutputBuffer kept;
    OutputBuffer streamed;
    RecordingFile file;
    streamed.StreamTo(file);
    for (int i = 0; i < count; ++i) {
      const std::string record = i % 3 == 0 ? "ch 1 2 10 0 \"" : std::string(i % 300, 'q');
      kept.AppendLine(record);
      streamed.AppendLine(record);
    }
    EXPECT_EQ(streamed.size(), kept.size());
    EXPECT_EQ(streamed.bytes(), 0u);
    ASSERT_TRUE(streamed.FinishStream());
    EXPECT_EQ(file.data, kept.FileImage()) << count;
  }
}

// The writer's lines of numbers, built in place in the buffer, are the records appending them
// would make, kept or streamed, across the blocks of both; a line dropped for a number that is
// not finite leaves nothing.
TEST(OutputBuffer, LinesBuiltInPlaceAreTheAppendedOnes) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const DrawingState state;
  OutputBuffer reference;
  OutputBuffer kept;
  OutputBuffer streamed;
  RecordingFile file;
  streamed.StreamTo(file);
  CommandWriter keptWriter(kept, state);
  CommandWriter streamedWriter(streamed, state);
  for (int i = 0; i < 60000; ++i) {
    const double x = i * 1.25;
    const double y = -i / 3.0;
    const bool dropped = i % 7 == 0;
    for (CommandWriter* writer : {&keptWriter, &streamedWriter}) {
      writer->EmitLine(x, y, dropped ? nan : x + 1, y);
      if (i % 5 == 0) writer->EmitText(0, "ABC", x, y, 10, 0);
    }
    const std::string at = NumberText(x) + " " + NumberText(y);
    if (!dropped) reference.AppendLine(at + " " + NumberText(x + 1) + " " + NumberText(y));
    if (i % 5 == 0) {
      reference.AppendLine("ch " + at + " 10 0 \"");
      reference.AppendLine("ABC");
    }
  }
  ASSERT_TRUE(streamed.FinishStream());
  const std::string image = reference.FileImage();
  EXPECT_EQ(kept.FileImage(), image);
  EXPECT_EQ(file.data, image);
  ASSERT_EQ(kept.size(), reference.size());
  for (size_t i = 0; i < reference.size(); i += 101) EXPECT_EQ(kept[i], reference[i]) << i;
}

// A kept buffer starts a new block for a line built in place when the one before has too
// little room left; a line then dropped leaves that block empty, and the records after it are
// still found in order.
TEST(OutputBuffer, LineDroppedAtABlockEndLeavesTheRecordsInOrder) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::string full(OutputBuffer::kMaxRecord, 'q');
  const size_t fullRecords = (size_t{1} << 20) / full.size();  // leaves less than a line's room
  for (const size_t count : {fullRecords - 2, fullRecords}) {
    const DrawingState state;
    OutputBuffer kept;
    CommandWriter writer(kept, state);
    for (size_t i = 0; i < count; ++i) kept.AppendLine(full);
    writer.EmitLine(nan, 0, 1, 1);
    writer.EmitLine(1, 2, 3, 4);
    kept.AppendLine("lg1");
    ASSERT_EQ(kept.size(), count + 2);
    EXPECT_EQ(kept[count - 1], full);
    EXPECT_EQ(kept[count], "1 2 3 4");
    EXPECT_EQ(kept[count + 1], "lg1");
    const std::string tail = "q\r\n1 2 3 4\r\nlg1\r\n";
    const std::string image = kept.FileImage();
    EXPECT_EQ(image.substr(image.size() - tail.size()), tail);
  }
}

TEST(OutputBuffer, WriteToStopsAtFirstFailure) {
  class FailingFile final : public OutputFile {
   public:
    bool Write(std::string_view) override {
      ++writes;
      return false;
    }
    bool Close() override { return true; }
    int writes = 0;
  };
  OutputBuffer buffer;
  for (int i = 0; i < 50000; ++i) buffer.AppendLine("0 0 100 100");
  FailingFile file;
  EXPECT_FALSE(buffer.WriteTo(file));
  EXPECT_EQ(file.writes, 1);
}

// ---- Command cache ----

struct EmitCase {
  const char* name;
  std::function<void(CommandWriter&)> calls;
  Records expected;
};

void PrintTo(const EmitCase& c, std::ostream* os) { *os << c.name; }

class CommandWriterTest : public ::testing::TestWithParam<EmitCase> {
 protected:
  CommandWriterTest() {
    state.lineWidthPresent = true;
    state.writing.lineWidth = 7;
    state.writingTextSizeKind = 0;
    state.writingTextWidth = 4.5;
    state.writingTextHeight = 5;
    state.writingTextSpacing = 0.25;
    state.writingTextColour = 6;
    state.writingFontName = "<ＭＳ 明朝>";
  }
  DrawingState state;
  OutputBuffer buffer;
};

TEST_P(CommandWriterTest, WritesExpectedRecords) {
  CommandWriter writer(buffer, state);
  writer.ResetCommandCache();
  GetParam().calls(writer);
  EXPECT_EQ(RecordsOf(buffer), GetParam().expected);
  const std::string image = buffer.FileImage();
  EXPECT_EQ(image.find("nan"), std::string::npos);
  EXPECT_EQ(image.find("inf"), std::string::npos);
}

auto Name = [](const auto& info) { return std::string(info.param.name); };

INSTANTIATE_TEST_SUITE_P(
    Cache, CommandWriterTest,
    ::testing::Values(
        EmitCase{"LineColourRepeated",
                 [](CommandWriter& w) {
                   w.EmitLineColour(5);
                   w.EmitLineColour(5);
                   w.ResetCommandCache();
                   w.EmitLineColour(5);
                 },
                 {"lc5", "lc5"}},
        EmitCase{"FirstCallWritesResetValue",
                 [](CommandWriter& w) {
                   w.EmitLayerGroup(0);
                   w.EmitLayer(0);
                   w.EmitLineColour(1);
                   w.EmitLineType(1);
                   w.EmitLineWidth(0);
                   w.EmitTextAnchor(0);
                   w.EmitPointColour(1);
                   w.EmitTextSize(1, 1, 2, 2, 0);
                   w.EmitFont("<ＭＳ ゴシック>");
                   w.EmitRgbColour(0);
                 },
                 {"lg0", "ly0", "lc1", "lt1", "lw0", "cc0", "pn1", "cn1", "cn\"$<ＭＳ ゴシック>",
                  "lc10 0"}},
        EmitCase{"LayerGroupForcesLayer",
                 [](CommandWriter& w) {
                   w.EmitLayerGroup(3);
                   w.EmitLayer(2);
                   w.EmitLayerGroup(3);
                   w.EmitLayer(2);
                   w.EmitLayerGroup(4);
                   w.EmitLayer(2);
                 },
                 {"lg3", "ly2", "lg4", "ly2"}},
        EmitCase{"LayerInHex",
                 [](CommandWriter& w) {
                   w.EmitLayerGroup(10);
                   w.EmitLayer(15);
                   w.EmitLayer(255);
                   w.EmitLayer(-1);
                 },
                 {"lgA", "lyF", "lyFF", "lyFFFFFFFF"}},
        EmitCase{"RgbAndLineColour",
                 [](CommandWriter& w) {
                   w.EmitRgbColour(255);
                   w.EmitLineColour(10);
                   w.EmitRgbColour(255);
                   w.EmitLineColour(3);
                   w.EmitRgbColour(255);
                   w.EmitRgbColour(256);
                 },
                 {"lc10 255", "lc3", "lc10 255", "lc10 256"}},
        EmitCase{"LineColourTenClearsRgbForce",
                 [](CommandWriter& w) {
                   w.EmitLineColour(10);  // cached colour 10; the lc10 force flag is cleared
                   w.EmitRgbColour(0);    // the reset RGB value: suppressed
                   w.EmitRgbColour(1);
                 },
                 {"lc10", "lc10 1"}},
        EmitCase{"RgbOutOfRange",
                 [](CommandWriter& w) {
                   w.EmitRgbColour(16777215);
                   w.EmitRgbColour(16777216);
                   w.EmitRgbColour(-5);
                 },
                 {"lc10 16777215", "lc10 0"}},
        EmitCase{"LineType",
                 [](CommandWriter& w) {
                   w.EmitLineType(2);
                   w.EmitLineType(2);
                   w.EmitLineType(-9);
                 },
                 {"lt2", "lt-9"}},
        EmitCase{"LineWidthCorrections",
                 [](CommandWriter& w) {
                   w.EmitLineWidth(40000);
                   w.EmitLineWidth(-5);  // 0 again: suppressed
                   w.EmitLineWidth(-1);  // the writing line width
                   w.EmitLineWidth(30000);
                   w.EmitLineWidth(30001);
                 },
                 {"lw0", "lw7", "lw30000", "lw0"}},
        EmitCase{"TextSizeKinds",
                 [](CommandWriter& w) {
                   w.EmitTextSize(3, 1, 9, 9, 9);
                   w.EmitTextSize(3, 2, 8, 8, 8);  // sizes of kind 3 are not compared
                   w.EmitTextSize(0, 1, 2.5, 2.5, 0);
                   w.EmitTextSize(0, 1, 2.5, 2.5, 0);
                   w.EmitTextSize(0, 1, 2.5, 3, 0);
                   w.EmitTextSize(0, 2, 2.5, 3, 0);
                   w.EmitTextSize(0, 2, 2.5, 3, 0.5);
                   w.EmitTextSize(0, 2, 2.75, 3, 0.5);
                 },
                 {"cn3", "cn0 2.5 2.5 0 1", "cn0 2.5 3 0 1", "cn0 2.5 3 0 2", "cn0 2.5 3 0.5 2",
                  "cn0 2.75 3 0.5 2"}},
        EmitCase{"TextSizeOutOfRangeTakesWritingKind",
                 [](CommandWriter& w) {
                   w.EmitTextSize(11, 1, 1, 1, 1);  // writing kind 0 with its own sizes
                   w.EmitTextSize(-1, 9, 9, 9, 9);
                   w.EmitTextSize(10, 1, 1, 1, 1);
                 },
                 {"cn0 4.5 5 0.25 6", "cn10"}},
        EmitCase{"TextSizeKindOnlyCachedForOtherKinds",
                 [](CommandWriter& w) {
                   w.EmitTextSize(0, 1, 2, 2, 0);  // equals the reset sizes, forced anyway
                   w.EmitTextSize(2, 1, 7, 7, 7);
                   w.EmitTextSize(0, 1, 2, 2, 0);  // kind differs
                   w.EmitTextSize(0, 1, 2, 2, 0);
                 },
                 {"cn0 2 2 0 1", "cn2", "cn0 2 2 0 1"}},
        EmitCase{"TextAnchor",
                 [](CommandWriter& w) {
                   w.EmitTextAnchor(4);
                   w.EmitTextAnchor(4);
                   w.EmitTextAnchor(9);
                   w.EmitTextAnchor(-1);
                   w.EmitTextAnchor(8);
                 },
                 {"cc4", "cc0", "cc8"}},
        EmitCase{"Font",
                 [](CommandWriter& w) {
                   w.EmitFont("<ＭＳ ゴシック>");
                   w.EmitFont("<ＭＳ ゴシック>");
                   w.EmitFont("<ＭＳ ゴシック>/");
                   w.EmitFont("");
                   w.EmitFont("<>");
                   w.EmitFont("<ＭＳ 明朝>");
                 },
                 {"cn\"$<ＭＳ ゴシック>", "cn\"$<ＭＳ ゴシック>/", "cn\"$<ＭＳ 明朝>"}},
        EmitCase{"PointColour",
                 [](CommandWriter& w) {
                   w.EmitPointColour(1);
                   w.EmitPointColour(1);
                   w.EmitPointColour(8);
                 },
                 {"pn1", "pn8"}},
        EmitCase{"EntityMarks",
                 [](CommandWriter& w) {
                   w.EmitEntityMarks(24);
                   w.EmitEntityMarks(9);
                   w.EmitEntityMarks(0);
                   w.EmitEntityMarks(7);
                   w.EmitEntityMarks(32);
                   w.EmitEntityMarks(-1);
                 },
                 {"z5", "z1", "z4", "z1", "z2", "z3", "z1", "z2", "z3", "z5"}}),
    Name);

TEST(CommandWriter, LineWidthNeedsLineWidthInInput) {
  DrawingState state;
  state.lineWidthPresent = false;
  OutputBuffer buffer;
  CommandWriter writer(buffer, state);
  writer.ResetCommandCache();
  writer.EmitLineWidth(5);
  writer.EmitLineWidth(-1);
  EXPECT_TRUE(buffer.empty());
}

TEST(CommandWriter, FontFallsBackToEmptyWritingFont) {
  DrawingState state;  // no font line in the input
  OutputBuffer buffer;
  CommandWriter writer(buffer, state);
  writer.EmitFont("");
  EXPECT_EQ(RecordsOf(buffer), Records{"cn\"$"});
}

TEST(CommandWriter, WritingKindOutOfRangeBecomesKindOne) {
  DrawingState state;
  state.writingTextSizeKind = 99;  // "cn99" in the input
  OutputBuffer buffer;
  CommandWriter writer(buffer, state);
  writer.EmitTextSize(-3, 1, 1, 1, 1);
  EXPECT_EQ(RecordsOf(buffer), Records{"cn1"});
}

// ---- Entity commands ----

INSTANTIATE_TEST_SUITE_P(
    Entities, CommandWriterTest,
    ::testing::Values(EmitCase{"Line",
                               [](CommandWriter& w) {
                                 w.EmitLine(0, 0, 10.5, 2);
                                 w.EmitLine(1, 1, 1.000000005, 1);
                                 w.EmitLine(1, 1, 1.00000002, 1);
                                 w.EmitLine(-1e-5, 1e20, 3, 3);
                               },
                               {"0 0 10.5 2", "1 1 1.00000002 1", "-1E-5 1E20 3 3"}},
                      EmitCase{"Points",
                               [](CommandWriter& w) {
                                 w.EmitPoint(1.5, -2);
                                 w.EmitPoint(0, 0);
                                 w.EmitRotatedPoint(2, 5, 5, 1, 90);
                                 w.EmitRotatedPoint(12, 5, 5, 0.000000001, 0);
                                 w.EmitRotatedPoint(-8, 5, 5, -2, 0);
                                 w.EmitRotatedPoint(-7, 5, 5, 2, 0);
                                 w.EmitRotatedPoint(11, 5, 5, 2, 0);
                               },
                               {"pt 1.5 -2", "pt 0 0", "pt 5 5 1 90 2", "pt 5 5 1 0 -3",
                                "pt 5 5 -2 0 -3", "pt 5 5 2 0 -7", "pt 5 5 2 0 11"}},
                      EmitCase{"Circles",
                               [](CommandWriter& w) {
                                 w.EmitCircle(1, 2, 3);
                                 w.EmitCircle(1, 2, 1e-8);
                                 w.EmitCircle(1, 2, -3);
                                 w.EmitArc(0, 0, 5, 0, 90, 1, 0);
                                 w.EmitArc(0, 0, 5, 0, 90, -0.5, 30);
                                 w.EmitArc(0, 0, 5, 0, 90, 1e-9, 0);
                                 w.EmitArc(0, 0, 0, 0, 90, 1, 0);
                               },
                               {"ci 1 2 3", "ci 0 0 5 0 90 1 0", "ci 0 0 5 0 90 -0.5 30"}},
                      EmitCase{
                          "Texts",
                          [](CommandWriter& w) {
                            w.EmitText(12, "A", 0, 0, 10, 0);
                            w.EmitText(1, "縦", 1, 2, 0, 10);
                            w.EmitText(9, "x", 1, 2, 0, -10);
                            w.EmitText(0, "　 ", 0, 0, 10, 0);
                            w.EmitText(0, "\t", 0, 0, 10, 0);
                            w.EmitText(0, "", 0, 0, 10, 0);
                            w.EmitText(0, "A", 0, 0, 1e-9, -1e-9);
                          },
                          {"ch 0 0 10 0 \"", "A", "cv 1 2 0 10 \"", "縦", "c2 1 2 0 -10 \"", "x"}},
                      EmitCase{"TextKeywords",
                               [](CommandWriter& w) {
                                 for (int type = -1; type <= 10; ++type)
                                   w.EmitText(type, "t", 0, 0, 1, 0);
                               },
                               {"ch 0 0 1 0 \"", "t", "ch 0 0 1 0 \"", "t", "cv 0 0 1 0 \"", "t",
                                "cs 0 0 1 0 \"", "t", "cr 0 0 1 0 \"", "t", "co 0 0 1 0 \"", "t",
                                "cp 0 0 1 0 \"", "t", "ct 0 0 1 0 \"", "t", "ck 0 0 1 0 \"", "t",
                                "cz 0 0 1 0 \"", "t", "c2 0 0 1 0 \"", "t", "ch 0 0 1 0 \"", "t"}},
                      EmitCase{"Dimensions",
                               [](CommandWriter& w) {
                                 w.EmitDimension("", 0, 0, 100, 0, 0, 0, 10, 0);
                                 w.EmitDimension("　", 0, 0, 3, 4, 1, 1, 0, 10);
                                 w.EmitDimension("R5", 0, 0, 1, 0, 1, 1, 10, 0);
                                 w.EmitDimension("", 0, 0, 1.0 / 3, 0, 0, 0, 10, 0);
                                 w.EmitDimension("", 0, 0, 0.123456786, 0, 0, 0, 10, 0);
                                 w.EmitDimension("x", 0, 0, 0, 0.000000001, 0, 0, 10, 0);
                                 w.EmitDimension("x", 0, 0, 1, 0, 0, 0, 0, 1e-9);
                               },
                               {"msg",
                                "0 0 100 0",
                                "cs 0 0 10 0 \"",
                                "100",
                                "msg",
                                "0 0 3 4",
                                "cs 1 1 0 10 \"",
                                "5",
                                "msg",
                                "0 0 1 0",
                                "cs 1 1 10 0 \"",
                                "R5",
                                "msg",
                                "0 0 0.333333333333333 0",
                                "cs 0 0 10 0 \"",
                                "0.33333333",
                                "msg",
                                "0 0 0.123456786 0",
                                "cs 0 0 10 0 \"",
                                "0.12345679"}},
                      EmitCase{"Solids",
                               [](CommandWriter& w) {
                                 w.EmitSolidLine(0, 0, 1, 1);
                                 w.EmitSolidLine(0, 0, 0, 0.000000001);
                                 w.EmitSolidTriangle(0, 0, 1, 0, 0, 1);
                                 w.EmitSolidTriangle(0, 0, 0, 0, 0, 1);
                                 w.EmitSolidTriangle(0, 0, 1, 0, 0, 0);
                                 w.EmitSolidTriangle(0, 0, 1, 0, 1, 0);
                               },
                               {"sl 0 0 1 1", "sl 0 0 1 0 0 1"}},
                      EmitCase{"SolidArcs",
                               [](CommandWriter& w) {
                                 for (int kind : {0, 5, 100, -1, 1, 2, -2}) {
                                   w.EmitSolidSc(kind, 1, 2, 3, 1, 0, 0.5, 1.5);
                                   w.EmitSolidSe(kind, 1, 2, 3, 1, 0, 0.5, 1.5);
                                 }
                                 w.EmitSolidSc(0, 1, 2, 1e-8, 1, 0, 0, 1);
                                 w.EmitSolidSc(0, 1, 2, 3, -1e-8, 0, 0, 1);
                                 w.EmitSolidSe(0, 1, 2, 0, 1, 0, 0, 1);
                               },
                               {"sc 1 2 3 1 0 0.5 1.5 0", "se 1 2 3 1 0 0.5 1.5 0",
                                "sc 1 2 3 1 0 0.5 1.5 5", "sc 1 2 3 1 0 0.5 1.5 100",
                                "se 1 2 3 1 0 0.5 1.5 100", "sc 1 2 3 1 0 0.5 1.5 -1"}},
                      EmitCase{"SolidRings",
                               [](CommandWriter& w) {
                                 w.EmitSolidSo(0, 0, 5, 1, 0, 0, 6.28, 2);
                                 w.EmitSolidSg(0, 0, 5, 0.5, 0.1, 0, 3.14, 4.9);
                                 w.EmitSolidSo(0, 0, 5, 1, 0, 0, 6.28, 5);  // r2 = r
                                 w.EmitSolidSo(0, 0, 5, 1, 0, 0, 6.28,
                                               4.999999995);                    // r2 >= r - 1e-8
                                 w.EmitSolidSg(0, 0, 5, 1, 0, 0, 6.28, 6);      // r2 > r
                                 w.EmitSolidSg(0, 0, 5, 1, 0, 0, 6.28, 1e-8);   // r2 too small
                                 w.EmitSolidSo(0, 0, 1e-8, 1, 0, 0, 6.28, -1);  // r too small
                                 w.EmitSolidSo(0, 0, 5, 1e-9, 0, 0, 6.28, 2);   // flat
                               },
                               {"so 0 0 5 1 0 0 6.28 2", "sg 0 0 5 0.5 0.1 0 3.14 4.9"}}),
    Name);

// ---- Degenerate quadrilaterals ----

struct QuadCase {
  const char* name;
  double ax, ay, bx, by, cx, cy, dx, dy;
  Records expected;
};

void PrintTo(const QuadCase& c, std::ostream* os) { *os << c.name; }

class SolidQuadTest : public ::testing::TestWithParam<QuadCase> {};

TEST_P(SolidQuadTest, ReducesInOrder) {
  const QuadCase& c = GetParam();
  DrawingState state;
  OutputBuffer buffer;
  CommandWriter writer(buffer, state);
  writer.EmitSolidQuad(c.ax, c.ay, c.bx, c.by, c.cx, c.cy, c.dx, c.dy);
  EXPECT_EQ(RecordsOf(buffer), c.expected);
}

// A = (0,0), B = (4,0), C = (4,3), D = (0,3) unless a case makes two of them meet.
INSTANTIATE_TEST_SUITE_P(
    Quads, SolidQuadTest,
    ::testing::Values(
        QuadCase{"Proper", 0, 0, 4, 0, 4, 3, 0, 3, {"sl 0 0 4 0 4 3 0 3"}},
        QuadCase{"AEqualsB", 0, 0, 0, 0, 4, 3, 0, 3, {"sl 0 0 4 3 0 3"}},
        QuadCase{"CEqualsA", 0, 0, 4, 0, 0, 0, 0, 3, {}},
        QuadCase{"DEqualsA", 0, 0, 4, 0, 4, 3, 0, 0, {"sl 0 0 4 0 4 3"}},
        QuadCase{"CEqualsB", 0, 0, 4, 0, 4, 0, 0, 3, {"sl 0 0 4 0 0 3"}},
        QuadCase{"DEqualsB", 0, 0, 4, 0, 4, 3, 4, 0, {}},
        QuadCase{"DEqualsC", 0, 0, 4, 0, 4, 3, 4, 3, {"sl 0 0 4 0 4 3"}},
        // A = B and C = D: the triangle A, C, D then fails its own check.
        QuadCase{"TwoPairs", 0, 0, 0, 0, 4, 3, 4, 3, {}},
        // A = B is tested before C = A.
        QuadCase{"AllEqual", 1, 1, 1, 1, 1, 1, 1, 1, {}},
        QuadCase{"NearlyEqualCorners", 0, 0, 0.000000005, 0, 4, 3, 0, 3, {"sl 0 0 4 3 0 3"}},
        QuadCase{"JustApart", 0, 0, 0.00000002, 0, 4, 3, 0, 3, {"sl 0 0 2E-8 0 4 3 0 3"}}),
    Name);

// ---- Numbers that are not finite ----

TEST(CommandWriter, NonFiniteNumbersNeverReachTheFile) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  DrawingState state;
  OutputBuffer buffer;
  CommandWriter writer(buffer, state);
  for (double bad : {nan, inf, -inf}) {
    writer.EmitLine(bad, 0, 1, 1);
    writer.EmitLine(0, 0, 1, bad);
    writer.EmitPoint(bad, 0);
    writer.EmitRotatedPoint(0, 0, 0, bad, 0);
    writer.EmitCircle(0, 0, bad);
    writer.EmitCircle(bad, 0, 1);
    writer.EmitArc(0, 0, 1, bad, 90, 1, 0);
    writer.EmitArc(0, 0, 1, 0, 90, bad, 0);
    writer.EmitText(0, "A", bad, 0, 10, 0);
    writer.EmitText(0, "A", 0, 0, bad, 0);
    writer.EmitDimension("", 0, 0, bad, 0, 0, 0, 10, 0);
    writer.EmitDimension("", 0, 0, 1, 0, 0, bad, 10, 0);
    writer.EmitSolidLine(0, 0, bad, 1);
    writer.EmitSolidTriangle(0, 0, 1, 0, bad, 1);
    writer.EmitSolidQuad(0, 0, 1, 0, 1, 1, bad, 1);
    writer.EmitSolidSc(0, 0, 0, 1, 1, bad, 0, 1);
    writer.EmitSolidSe(0, 0, 0, bad, 1, 0, 0, 1);
    writer.EmitSolidSo(0, 0, 5, 1, 0, 0, bad, 1);
    writer.EmitSolidSg(0, 0, 5, 1, 0, 0, 1, bad);
  }
  EXPECT_TRUE(buffer.empty()) << buffer.FileImage();
  // Attribute values are written with the number text's stand-in for them.
  writer.EmitTextSize(0, 1, nan, inf, -inf);
  EXPECT_EQ(RecordsOf(buffer), Records{"cn0 0 0 0 1"});
  // A dimension whose length overflows has no value to show.
  writer.EmitDimension("", -1e308, 0, 1e308, 0, 0, 0, 10, 0);
  EXPECT_EQ(buffer.size(), 1u);
}

// ---- Writing the file ----

class WriteOutputFileTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir.File("JWC_TEMP.TXT"); }
  // Every file in the folder: after a failed write there must be none.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }
  testing::TempDir dir;
};

TEST_F(WriteOutputFileTest, WritesImageWithCrLf) {
  dir.Write("JWC_TEMP.TXT", "hq\nhk 1\nhp1 0 0\n");
  DrawingState state;
  OutputBuffer buffer;
  CommandWriter writer(buffer, state);
  buffer.AppendLine("bz");
  writer.EmitLayerGroup(1);
  writer.EmitText(0, "文字", 1, 2, 10, 0);
  RealFileSystem fs;
  ASSERT_TRUE(WriteOutputFile(fs, Path(), buffer));
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), "bz\r\nlg1\r\nch 1 2 10 0 \"文字\r\n");
  EXPECT_EQ(Files(), std::vector<std::string>{"JWC_TEMP.TXT"});
}

TEST_F(WriteOutputFileTest, EmptyBufferWritesHq) {
  RealFileSystem fs;
  ASSERT_TRUE(WriteOutputFile(fs, Path(), OutputBuffer()));
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), "hq\r\n");
}

struct FaultCase {
  const char* name;
  testing::FaultFileSystem::Fault fault;
  int writesBeforeFailure;
  bool existingFile;
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

class WriteOutputFileFaultTest : public WriteOutputFileTest,
                                 public ::testing::WithParamInterface<FaultCase> {};

TEST_P(WriteOutputFileFaultTest, LeavesNoFileBehind) {
  const FaultCase& c = GetParam();
  if (c.existingFile) dir.Write("JWC_TEMP.TXT", "hq\r\nhp1 0 0\r\n");
  OutputBuffer buffer;
  // Several blocks of output (about 5 MB), so that a write can fail in the middle.
  for (int i = 0; i < 150000; ++i) buffer.AppendLine("12345.6789 98765.4321 0.125 -7");
  testing::FaultFileSystem fs;
  fs.fault = c.fault;
  fs.writesBeforeFailure = c.writesBeforeFailure;
  EXPECT_FALSE(WriteOutputFile(fs, Path(), buffer));
  EXPECT_EQ(Files(), std::vector<std::string>{});

  // The same records streamed as they are made.
  if (c.existingFile) dir.Write("JWC_TEMP.TXT", "hq\r\nhp1 0 0\r\n");
  testing::FaultFileSystem streamFs;
  streamFs.fault = c.fault;
  streamFs.writesBeforeFailure = c.writesBeforeFailure;
  OutputBuffer streamed;
  EXPECT_FALSE(WriteOutputFile(streamFs, Path(), streamed, [&] {
    for (int i = 0; i < 150000; ++i) streamed.AppendLine("12345.6789 98765.4321 0.125 -7");
    return true;
  }));
  EXPECT_EQ(Files(), std::vector<std::string>{});
}

TEST_F(WriteOutputFileTest, StreamedFileReplacesTheOldOneOnlyWhenComplete) {
  dir.Write("JWC_TEMP.TXT", "hq\r\nhp1 0 0\r\n");
  RealFileSystem fs;
  OutputBuffer buffer;
  ASSERT_TRUE(WriteOutputFile(fs, Path(), buffer, [&] {
    buffer.AppendLine("lg1");
    // Beside the temporary file being written, the old file is still whole.
    EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), "hq\r\nhp1 0 0\r\n");
    EXPECT_EQ(Files().size(), 2u);
    return true;
  }));
  EXPECT_EQ(dir.Read("JWC_TEMP.TXT"), "lg1\r\n");
  EXPECT_EQ(Files(), std::vector<std::string>{"JWC_TEMP.TXT"});
  // Abandoned: the old file goes, as after any failed write of the exchange file.
  EXPECT_FALSE(WriteOutputFile(fs, Path(), buffer, [] { return false; }));
  EXPECT_EQ(Files(), std::vector<std::string>{});
}

// Some megabytes of lines built in place and of records appended.
void FillSomeMegabytes(OutputBuffer& buffer) {
  const DrawingState state;
  CommandWriter writer(buffer, state);
  for (int i = 0; i < 100000; ++i) {
    writer.EmitLine(i * 1.25, -i / 3.0, i * 1.5, i / 7.0);
    if (i % 4 == 0) writer.EmitText(0, "ABC", i, 0, 10, 0);
  }
}

// A streamed file held to a limit: whole when it fits to the byte; otherwise no byte past the
// limit ever reaches the file, no file remains, and the buffer says why.
TEST_F(WriteOutputFileTest, StreamedFileHeldToItsLimit) {
  OutputBuffer kept;
  FillSomeMegabytes(kept);
  const std::string image = kept.FileImage();
  const uint64_t size = image.size();
  for (const uint64_t limit : {size + 1, size, size - 1, size / 2, uint64_t{0}}) {
    SCOPED_TRACE(limit);
    RecordingFile file;
    OutputBuffer streamed;
    streamed.StreamTo(file, limit);
    FillSomeMegabytes(streamed);
    const bool fits = limit >= size;
    EXPECT_EQ(streamed.FinishStream(), fits);
    EXPECT_EQ(streamed.overLimit(), !fits);
    EXPECT_LE(file.data.size(), limit);
    EXPECT_TRUE(image.starts_with(file.data));

    dir.Write("JWC_TEMP.TXT", "hq\r\nhp1 0 0\r\n");
    RealFileSystem fs;
    OutputBuffer buffer;
    const bool written = WriteOutputFile(
        fs, Path(), buffer,
        [&] {
          FillSomeMegabytes(buffer);
          return true;
        },
        limit);
    EXPECT_EQ(written, fits);
    EXPECT_EQ(buffer.overLimit(), !fits);
    if (fits) {
      EXPECT_TRUE(dir.Read("JWC_TEMP.TXT") == image);
    } else {
      EXPECT_EQ(Files(), std::vector<std::string>{});
    }
  }
}

using Fault = testing::FaultFileSystem::Fault;

INSTANTIATE_TEST_SUITE_P(Faults, WriteOutputFileFaultTest,
                         ::testing::Values(FaultCase{"Create", Fault::kCreate, 0, false},
                                           FaultCase{"CreateExisting", Fault::kCreate, 0, true},
                                           FaultCase{"FirstWrite", Fault::kWrite, 0, true},
                                           FaultCase{"LaterWrite", Fault::kWrite, 3, true},
                                           FaultCase{"LaterWriteNew", Fault::kWrite, 3, false},
                                           FaultCase{"Close", Fault::kClose, 0, true},
                                           FaultCase{"Rename", Fault::kRename, 0, true},
                                           FaultCase{"RenameNew", Fault::kRename, 0, false}),
                         Name);

}  // namespace
}  // namespace gara
