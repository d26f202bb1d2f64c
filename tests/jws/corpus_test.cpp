// The reader and the figure-file mapping on real drawings written by Jw_cad (tests/data/jws,
// MIT-licensed samples): every entity counted, the class index across the main list, the
// block-definition list and the definitions' own lists, and the hidden settings texts.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "figure/figure_format.h"
#include "jws/figure_file.h"
#include "jws/gui_figure.h"
#include "jws/reader.h"
#include "util/text.h"

namespace gara {
namespace {

using jws::EntityKind;

std::string ReadData(const std::string& name) {
  std::ifstream in(std::string(GARA_TEST_DATA_DIR) + "/jws/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Counts {
  size_t lines = 0, arcs = 0, texts = 0, inserts = 0;
};

Counts Count(const jws::Document& doc, const std::vector<jws::EntityRef>& list) {
  Counts c;
  for (const jws::EntityRef& e : list) {
    switch (e.kind) {
      case EntityKind::kLine:
        ++c.lines;
        break;
      case EntityKind::kArc:
        ++c.arcs;
        break;
      case EntityKind::kText:
        ++c.texts;
        break;
      case EntityKind::kBlock:
        ++c.inserts;
        break;
      default:
        ADD_FAILURE() << "unexpected kind " << static_cast<int>(e.kind);
        break;
    }
  }
  (void)doc;
  return c;
}

struct Sample {
  const char* file;
  Counts main;
  std::vector<Counts> definitions;
};

void PrintTo(const Sample& c, std::ostream* os) { *os << c.file; }

const Sample kSamples[] = {
    {"ezjww_non_block.jww", {4, 2, 6, 0}, {}},
    {"ezjww_out1_in2.jww", {1, 0, 6, 1}, {{2, 0, 0, 0}}},
    {"ezjww_2-circles-blocks.jww", {4, 0, 6, 1}, {{0, 2, 0, 0}}},
    {"ezjww_2blocks.jww", {0, 0, 6, 2}, {{2, 0, 0, 0}, {0, 2, 0, 0}}},
    {"ezjww_3blocks.jww", {0, 0, 6, 1}, {{4, 2, 0, 0}}},
    {"ezjww_copy-block.jww", {0, 0, 6, 1}, {{8, 0, 0, 0}}},
    {"ezjww_sqr-circle-blocks.jww", {0, 1, 6, 1}, {{4, 1, 0, 0}}},
};

class CorpusTest : public ::testing::TestWithParam<Sample> {};

TEST_P(CorpusTest, EveryEntityCounted) {
  const Sample& s = GetParam();
  const std::string bytes = ReadData(s.file);
  ASSERT_FALSE(bytes.empty());
  const jws::ReadResult r = jws::ReadArchive(bytes);
  ASSERT_TRUE(r.ok()) << r.error.message << " at " << r.error.offset;
  const jws::Document& doc = *r.document;
  EXPECT_EQ(doc.kind, jws::FileKind::kDrawing);
  EXPECT_EQ(doc.version, 700u);
  EXPECT_FALSE(doc.listFoundBySearch);
  EXPECT_TRUE(doc.images.empty());
  EXPECT_EQ(doc.trailingBytes, 0u);

  const Counts main = Count(doc, doc.entities);
  EXPECT_EQ(main.lines, s.main.lines);
  EXPECT_EQ(main.arcs, s.main.arcs);
  EXPECT_EQ(main.texts, s.main.texts);
  EXPECT_EQ(main.inserts, s.main.inserts);
  ASSERT_EQ(doc.blocks.size(), s.definitions.size());
  for (size_t i = 0; i < doc.blocks.size(); ++i) {
    const Counts d = Count(doc, doc.blocks[i].entities);
    EXPECT_EQ(d.lines, s.definitions[i].lines) << "definition " << i;
    EXPECT_EQ(d.arcs, s.definitions[i].arcs) << "definition " << i;
    EXPECT_EQ(d.inserts, 0u);
    EXPECT_NE(doc.Str(doc.blocks[i].name).find("@@SfigorgFlag@@"), std::string::npos);
  }
  // Every insert names a definition of the file.
  for (const jws::BlockInsert& b : doc.inserts) {
    bool found = false;
    for (const jws::BlockDefinition& d : doc.blocks) found |= d.number == b.definition;
    EXPECT_TRUE(found) << b.definition;
  }
  // The list ends with six settings texts of no length at (0, -1000), colour 9, anchor 9.
  ASSERT_GE(doc.entities.size(), 6u);
  for (size_t i = doc.entities.size() - 6; i < doc.entities.size(); ++i) {
    ASSERT_EQ(doc.entities[i].kind, EntityKind::kText);
    const jws::Text& t = doc.texts[doc.entities[i].index];
    EXPECT_EQ(t.x1, 0);
    EXPECT_EQ(t.y1, -1000);
    EXPECT_EQ(t.x2, t.x1);
    EXPECT_EQ(t.c.colour, 9);
    EXPECT_EQ(t.c.penStyle, 9);
    EXPECT_EQ(doc.Str(t.font), "ＭＳ ゴシック");
    EXPECT_NE(doc.Str(t.text).find(" = "), std::string::npos) << doc.Str(t.text);
  }
  for (const jws::Arc& a : doc.arcs) {
    EXPECT_GT(a.radius, 0);
    EXPECT_EQ(a.fullCircle, 1u);
  }
}

// The figure holds the lines and circles of the main list at real size, nothing of the blocks,
// and none of the settings texts.
TEST_P(CorpusTest, ConvertsToTheFigureFile) {
  const Sample& s = GetParam();
  const jws::ReadResult r = jws::ReadArchive(ReadData(s.file));
  ASSERT_TRUE(r.ok());
  const jws::Document& doc = *r.document;
  const jws::FigureFileResult f = jws::MakeFigureFile(doc);
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(static_cast<size_t>(f.records), s.main.lines + s.main.arcs);

  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = f.text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(f.text.substr(start, end - start));
  }
  EXPECT_EQ(start, f.text.size());  // every line ends with CR LF
  ASSERT_EQ(lines.size(), 4 + static_cast<size_t>(f.records));
  EXPECT_EQ(lines[2], "N," + std::to_string(f.records));
  EXPECT_EQ(lines.back(), "BD,0");
  const std::vector<std::string> scales = SplitFields(lines[1]);
  ASSERT_EQ(scales.size(), 16u);
  for (int g = 0; g < 16; ++g) EXPECT_DOUBLE_EQ(TextToReal(scales[g]), doc.scales[g]);

  size_t record = 3;
  for (const jws::EntityRef& e : doc.entities) {
    if (e.kind != EntityKind::kLine && e.kind != EntityKind::kArc) continue;
    const std::vector<std::string> fields = SplitFields(lines[record++]);
    if (e.kind == EntityKind::kLine) {
      const jws::Line& l = doc.lines[e.index];
      const double k = doc.scales[l.c.layerGroup];
      ASSERT_EQ(fields.size(), 12u);
      EXPECT_EQ(fields[0], "L");
      EXPECT_NEAR(TextToReal(fields[8]), l.x1 * k, 1e-9);
      EXPECT_NEAR(TextToReal(fields[11]), l.y2 * k, 1e-9);
    } else {
      const jws::Arc& a = doc.arcs[e.index];
      const double k = doc.scales[a.c.layerGroup];
      ASSERT_EQ(fields.size(), 16u);
      EXPECT_EQ(fields[0], "E");
      EXPECT_NEAR(TextToReal(fields[10]), a.radius * k, 1e-9);
      EXPECT_NEAR(TextToReal(fields[12]), a.start, 1e-11);
      EXPECT_EQ(fields[15], "1");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, CorpusTest, ::testing::ValuesIn(kSamples),
                         [](const ::testing::TestParamInfo<Sample>& info) {
                           std::string name = info.param.file;
                           std::string out;
                           for (char c : name.substr(6, name.size() - 10)) {
                             out.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
                           }
                           return out;
                         });

// The dialog's GUI test converts this file with the real converter; it must stay what the
// tests' writer makes (regenerate it from testing::GuiFigureJws() when that changes).
TEST(GuiFigure, CommittedFileIsTheWritersOutput) {
  EXPECT_EQ(ReadData("gui_figure.jws"), testing::GuiFigureJws());
  const jws::ReadResult r = jws::ReadArchive(testing::GuiFigureJws());
  ASSERT_TRUE(r.ok());
  const jws::FigureFileResult f = jws::MakeFigureFile(*r.document);
  ASSERT_TRUE(f.ok);
  EXPECT_EQ(f.text.substr(0, f.text.find('\r')), "1,2,35.5,11.25");
}

}  // namespace
}  // namespace gara
