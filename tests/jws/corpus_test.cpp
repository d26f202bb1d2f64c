// The reader and the figure-file mapping on real drawings written by Jw_cad (tests/data/jws,
// MIT-licensed samples): every entity counted, the class index across the main list, the
// block-definition list and the definitions' own lists, and the hidden settings texts.
#include <gtest/gtest.h>

#include <cmath>
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

// What the main list draws, in order: its own lines and circles, and in place of each insert its
// definition's, placed by the insert (the test's own transform, checked on every corpus file).
struct Drawn {
  EntityKind kind;
  double x1, y1, x2, y2;  // line ends; circle centre and (radius, unused)
  uint16_t group;
};

// (x, y) scaled, turned and moved by the insert.
void Place(const jws::BlockInsert& b, double& x, double& y) {
  const double c = std::cos(b.rotation), s = std::sin(b.rotation);
  const double sx = x * b.scaleX, sy = y * b.scaleY;
  x = b.x + c * sx - s * sy;
  y = b.y + s * sx + c * sy;
}

std::vector<Drawn> DrawnEntities(const jws::Document& doc, const std::vector<jws::EntityRef>& list,
                                 const jws::BlockInsert* insert) {
  std::vector<Drawn> out;
  for (const jws::EntityRef& e : list) {
    if (e.kind == EntityKind::kLine) {
      jws::Line l = doc.lines[e.index];
      if (insert) {
        Place(*insert, l.x1, l.y1);
        Place(*insert, l.x2, l.y2);
      }
      out.push_back(
          {e.kind, l.x1, l.y1, l.x2, l.y2, insert ? insert->c.layerGroup : l.c.layerGroup});
    } else if (e.kind == EntityKind::kArc) {
      const jws::Arc& a = doc.arcs[e.index];
      double x = a.cx, y = a.cy, radius = a.radius;
      if (insert) {
        EXPECT_EQ(insert->scaleX, insert->scaleY);  // a circle stays a circle
        Place(*insert, x, y);
        radius *= std::abs(insert->scaleX);
      }
      out.push_back({e.kind, x, y, radius, 0, insert ? insert->c.layerGroup : a.c.layerGroup});
    } else if (e.kind == EntityKind::kBlock) {
      const jws::BlockInsert& b = doc.inserts[e.index];
      for (const jws::BlockDefinition& d : doc.blocks) {
        if (d.number != b.definition) continue;
        for (const Drawn& inner : DrawnEntities(doc, d.entities, &b)) out.push_back(inner);
        break;
      }
    }
  }
  return out;
}

// The figure holds the lines and circles of the main list and of the blocks it inserts, at real
// size, and none of the settings texts.
TEST_P(CorpusTest, ConvertsToTheFigureFile) {
  const Sample& s = GetParam();
  const jws::ReadResult r = jws::ReadArchive(ReadData(s.file));
  ASSERT_TRUE(r.ok());
  const jws::Document& doc = *r.document;
  const jws::FigureFileResult f = jws::MakeFigureFile(doc);
  ASSERT_TRUE(f.ok) << f.error;
  size_t fromBlocks = 0;
  for (const Counts& d : s.definitions) fromBlocks += d.lines + d.arcs;
  EXPECT_EQ(static_cast<size_t>(f.records), s.main.lines + s.main.arcs + fromBlocks);

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

  const std::vector<Drawn> drawn = DrawnEntities(doc, doc.entities, nullptr);
  ASSERT_EQ(drawn.size(), static_cast<size_t>(f.records));
  for (size_t i = 0; i < drawn.size(); ++i) {
    const Drawn& d = drawn[i];
    const std::vector<std::string> fields = SplitFields(lines[3 + i]);
    const double k = doc.scales[d.group];
    EXPECT_EQ(fields[2], std::to_string(d.group));
    if (d.kind == EntityKind::kLine) {
      ASSERT_EQ(fields.size(), 12u);
      EXPECT_EQ(fields[0], "L");
      EXPECT_NEAR(TextToReal(fields[8]), d.x1 * k, 1e-9);
      EXPECT_NEAR(TextToReal(fields[9]), d.y1 * k, 1e-9);
      EXPECT_NEAR(TextToReal(fields[10]), d.x2 * k, 1e-9);
      EXPECT_NEAR(TextToReal(fields[11]), d.y2 * k, 1e-9);
    } else {
      ASSERT_EQ(fields.size(), 16u);
      EXPECT_EQ(fields[0], "E");
      EXPECT_NEAR(TextToReal(fields[8]), d.x1 * k, 1e-9);
      EXPECT_NEAR(TextToReal(fields[9]), d.y1 * k, 1e-9);
      EXPECT_NEAR(TextToReal(fields[10]), d.x2 * k, 1e-9);
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

// The gallery's figure with blocks is the converter's output for a corpus drawing.
TEST(GalleryCase, FigureIsTheConvertersOutput) {
  const jws::ReadResult r = jws::ReadArchive(ReadData("ezjww_sqr-circle-blocks.jww"));
  ASSERT_TRUE(r.ok());
  const jws::FigureFileResult f = jws::MakeFigureFile(*r.document);
  ASSERT_TRUE(f.ok) << f.error;
  EXPECT_EQ(ReadData("../../../docs/gallery/cases/figure-blocks/jws.txt"), f.text)
      << "regenerate it with kvx (see its LICENSE.md)";
}

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
