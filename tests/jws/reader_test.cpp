// The archive reader on files made by the tests' own writer: header variants, both string
// forms, every entity class, big counts and tags, and bad input of every kind the reader refuses.
#include <gtest/gtest.h>

#include <string>

#include "jws/archive_writer.h"
#include "jws/reader.h"

namespace gara {
namespace {

using jws::Document;
using jws::EntityKind;
using testing::ArchiveWriter;
using testing::MakeCommon;

using testing::Scales;

jws::Line MakeLine(double x1, double y1, double x2, double y2, uint16_t group = 0) {
  return {MakeCommon(group, 2, 3, 1, 0x800, 5), x1, y1, x2, y2};
}

jws::Text MakeText(double x1, double y1, double x2, double y2) {
  return {MakeCommon(1, 4, 2, 5, 0x20, 8259), x1, y1, x2, y2, 10003, 3, 3.5, 0.5, 0, {}, {}};
}

jws::PointEntity MakeMarker() {
  jws::PointEntity p;
  p.c = MakeCommon(0, 1, 4, jws::kMarkerPenStyle);
  p.x = 7;
  p.y = 8;
  p.marker = 3;
  p.angle = 0.5;
  p.scale = 2;
  return p;
}

jws::Dimension MakeDimension(uint16_t sxfMode) {
  jws::Dimension d;
  d.c = MakeCommon(0, 3, 0, 0, 0x2000);
  d.line = MakeLine(0, 0, 90, 0);
  d.text = MakeText(40, 1, 50, 1);
  d.sxfMode = sxfMode;
  d.extensionLines = {MakeLine(0, -5, 0, 0), MakeLine(90, -5, 90, 0)};
  d.points = {MakeMarker(), MakeMarker(), MakeMarker(), MakeMarker()};
  d.points[1].x = 90;
  return d;
}

// One entity of every class, a block definition with its own list, and the file's end.
std::string EveryClass(uint32_t version, ArchiveWriter::StringForm form, bool drawing) {
  ArchiveWriter w(version, form);
  if (drawing) {
    w.DrawingHeader(Scales(100, 2), u"メモ\r\n2行目");
  } else {
    w.FigureHeader(Scales(100, 2), 1.5, -2.5, {-10, -20, 30, 40});
  }
  w.Count(7);
  w.Add(MakeLine(1, 2, 3, 4));
  w.Add(jws::Arc{MakeCommon(0, 0, 1, 2), 5, 6, 7, -0.5, -1.25, 0.25, 0.5, 0});
  w.Add(MakeMarker());
  w.Add(MakeText(0, 0, 10, 0), u"ＭＳ ゴシック", u"柄\"A\"");
  w.Add(MakeDimension(1), u"ＭＳ 明朝", u"9,000");
  jws::Solid s;
  s.c = MakeCommon(0, 0, 10, 105);
  s.v = {1, 2, 3, 1, 0, 0, 6.28, 1.5};
  s.rgb = 0xC0C0C0;
  w.Add(s);
  jws::BlockInsert b;
  b.x = 10;
  b.y = 20;
  b.definition = 1;
  w.Add(b);
  w.Count(1);
  w.BeginDefinition(1, u"部品@@SfigorgFlag@@4");
  w.Count(2);
  w.Add(MakeLine(0, 0, 1, 1));
  w.Add(MakeLine(1, 1, 2, 0));
  if (drawing && version >= jws::kVersionImages) w.Dword(0);
  return w.bytes;
}

Document ReadOk(const std::string& bytes) {
  jws::ReadResult r = jws::ReadArchive(bytes);
  EXPECT_TRUE(r.ok()) << r.error.message << " at " << r.error.offset;
  return r.ok() ? std::move(*r.document) : Document{};
}

struct Variant {
  uint32_t version;
  ArchiveWriter::StringForm form;
  bool drawing;
};

void PrintTo(const Variant& c, std::ostream* os) {
  *os << "version " << c.version
      << (c.form == ArchiveWriter::StringForm::kUnicode ? ", Unicode" : ", ANSI")
      << (c.drawing ? ", drawing" : ", figure");
}

class EveryClassTest : public ::testing::TestWithParam<Variant> {};

TEST_P(EveryClassTest, ReadsEveryFieldBack) {
  const Variant v = GetParam();
  const Document doc = ReadOk(EveryClass(v.version, v.form, v.drawing));
  EXPECT_EQ(doc.kind, v.drawing ? jws::FileKind::kDrawing : jws::FileKind::kFigure);
  EXPECT_EQ(doc.version, v.version);
  EXPECT_FALSE(doc.listFoundBySearch);
  EXPECT_EQ(doc.trailingBytes, 0u);
  EXPECT_EQ(doc.scales[0], 100);
  EXPECT_EQ(doc.scales[15], 2);
  if (v.drawing) {
    EXPECT_EQ(doc.Str(doc.memo), "メモ\r\n2行目");
  } else {
    EXPECT_EQ(doc.originX, 1.5);
    EXPECT_EQ(doc.originY, -2.5);
    EXPECT_EQ(doc.bounds[3], 40);
  }
  ASSERT_EQ(doc.entities.size(), 7u);
  const EntityKind kinds[] = {EntityKind::kLine, EntityKind::kArc,       EntityKind::kPoint,
                              EntityKind::kText, EntityKind::kDimension, EntityKind::kSolid,
                              EntityKind::kBlock};
  for (size_t i = 0; i < 7; ++i) EXPECT_EQ(doc.entities[i].kind, kinds[i]) << i;

  const jws::Line& l = doc.lines[0];
  EXPECT_EQ(l.c.layerGroup, 0);
  EXPECT_EQ(l.c.layer, 2);
  EXPECT_EQ(l.c.colour, 3);
  EXPECT_EQ(l.c.penStyle, 1);
  EXPECT_EQ(l.c.flags, 0x800);
  EXPECT_EQ(l.c.width, v.version >= jws::kVersionPenWidth ? 5 : 0);
  EXPECT_EQ(l.x2, 3);
  EXPECT_EQ(l.y2, 4);

  const jws::Arc& a = doc.arcs[0];
  EXPECT_EQ(a.cx, 5);
  EXPECT_EQ(a.radius, 7);
  EXPECT_EQ(a.start, -0.5);
  EXPECT_EQ(a.sweep, -1.25);
  EXPECT_EQ(a.tilt, 0.25);
  EXPECT_EQ(a.flatness, 0.5);

  const jws::PointEntity& p = doc.points[0];
  EXPECT_EQ(p.marker, 3u);
  EXPECT_EQ(p.angle, 0.5);
  EXPECT_EQ(p.scale, 2);

  const jws::Text& t = doc.texts[0];
  EXPECT_EQ(t.kind, 10003u);
  EXPECT_EQ(t.c.penStyle, 5);
  EXPECT_EQ(t.height, 3.5);
  EXPECT_EQ(doc.Str(t.font), "ＭＳ ゴシック");
  EXPECT_EQ(doc.Str(t.text), "柄\"A\"");

  const jws::Dimension& d = doc.dimensions[0];
  EXPECT_EQ(d.c.flags, 0x2000);
  EXPECT_EQ(d.line.x2, 90);
  EXPECT_EQ(doc.Str(d.text.text), "9,000");
  EXPECT_EQ(doc.Str(d.text.font), "ＭＳ 明朝");
  EXPECT_EQ(d.hasSxf, v.version >= jws::kVersionSxf);
  if (d.hasSxf) {
    EXPECT_EQ(d.sxfMode, 1);
    EXPECT_EQ(d.extensionLines[1].x1, 90);
    EXPECT_EQ(d.points[1].x, 90);
    EXPECT_EQ(d.points[3].marker, 3u);
  }

  const jws::Solid& s = doc.solids[0];
  EXPECT_EQ(s.c.penStyle, 105);
  EXPECT_EQ(s.v[7], 1.5);
  EXPECT_EQ(s.rgb, 0xC0C0C0u);

  EXPECT_EQ(doc.inserts[0].definition, 1u);
  ASSERT_EQ(doc.blocks.size(), 1u);
  EXPECT_EQ(doc.blocks[0].number, 1u);
  EXPECT_EQ(doc.Str(doc.blocks[0].name), "部品@@SfigorgFlag@@4");
  ASSERT_EQ(doc.blocks[0].entities.size(), 2u);
  EXPECT_EQ(doc.lines[doc.blocks[0].entities[1].index].x1, 1);
}

INSTANTIATE_TEST_SUITE_P(Variants, EveryClassTest,
                         ::testing::Values(Variant{700, ArchiveWriter::StringForm::kUnicode, false},
                                           Variant{700, ArchiveWriter::StringForm::kAnsi, false},
                                           Variant{600, ArchiveWriter::StringForm::kAnsi, false},
                                           Variant{420, ArchiveWriter::StringForm::kAnsi, false},
                                           Variant{351, ArchiveWriter::StringForm::kAnsi, false},
                                           Variant{300, ArchiveWriter::StringForm::kAnsi, false},
                                           Variant{700, ArchiveWriter::StringForm::kUnicode, true},
                                           Variant{700, ArchiveWriter::StringForm::kAnsi, true},
                                           Variant{600, ArchiveWriter::StringForm::kAnsi, true},
                                           Variant{420, ArchiveWriter::StringForm::kUnicode, true},
                                           Variant{351, ArchiveWriter::StringForm::kAnsi, true},
                                           Variant{300, ArchiveWriter::StringForm::kAnsi, true},
                                           Variant{230, ArchiveWriter::StringForm::kAnsi, true}));

TEST(ArchiveReader, LongStringLengthForms) {
  for (auto form : {ArchiveWriter::LengthForm::kWord, ArchiveWriter::LengthForm::kDword}) {
    for (auto strings : {ArchiveWriter::StringForm::kAnsi, ArchiveWriter::StringForm::kUnicode}) {
      ArchiveWriter w(700, strings);
      w.lengthForm = form;
      w.FigureHeader(Scales());
      w.Count(1);
      w.Add(MakeText(0, 0, 1, 0), u"", u"長い形");
      w.Count(0);
      const Document doc = ReadOk(w.bytes);
      ASSERT_EQ(doc.texts.size(), 1u);
      EXPECT_EQ(doc.Str(doc.texts[0].text), "長い形");
      EXPECT_EQ(doc.Str(doc.texts[0].font), "");
    }
  }
}

TEST(ArchiveReader, StringFormIsDecidedPerString) {
  ArchiveWriter w(700, ArchiveWriter::StringForm::kAnsi);
  w.FigureHeader(Scales());
  w.Count(1);
  w.NewObject("CDataMoji");
  const jws::Text t = MakeText(0, 0, 1, 0);
  w.Common(t.c);
  for (int i = 0; i < 4; ++i) w.Real(i);
  w.Dword(0);
  for (int i = 0; i < 4; ++i) w.Real(1);
  w.Utf16(u"ＭＳ ゴシック");
  w.Ansi("ABC");
  w.Count(0);
  const Document doc = ReadOk(w.bytes);
  EXPECT_EQ(doc.Str(doc.texts[0].font), "ＭＳ ゴシック");
  EXPECT_EQ(doc.Str(doc.texts[0].text), "ABC");
}

// 70 000 lines need the long count; classes first used after index 0x7FFF need six-byte tags.
TEST(ArchiveReader, BigCountsAndBigTags) {
  ArchiveWriter w(600, ArchiveWriter::StringForm::kAnsi);
  w.FigureHeader(Scales());
  const uint32_t lines = 70000;
  w.Count(lines + 2);
  for (uint32_t i = 0; i < lines; ++i) w.Add(MakeLine(i, 0, i, 1));
  ASSERT_GT(w.counter(), 0x7FFFu);
  w.Add(jws::Solid{});  // new class at a big index
  w.Add(jws::Solid{});  // its reference is a six-byte tag
  w.Count(1, /*longForm=*/true);
  w.BeginDefinition(9, u"B");
  w.Count(1);
  w.Add(jws::Solid{});
  const Document doc = ReadOk(w.bytes);
  ASSERT_EQ(doc.entities.size(), lines + 2);
  EXPECT_EQ(doc.lines.back().x1, lines - 1);
  EXPECT_EQ(doc.solids.size(), 3u);
  EXPECT_EQ(doc.blocks.at(0).entities.at(0).kind, EntityKind::kSolid);
}

TEST(ArchiveReader, SixByteTagsAtAnyIndex) {
  ArchiveWriter w(700);
  w.bigTagFrom = 1;
  w.FigureHeader(Scales());
  w.Count(3);
  w.Add(MakeLine(0, 0, 1, 0));
  w.Add(MakeLine(1, 0, 2, 0));
  w.Add(MakeLine(2, 0, 3, 0));
  w.Count(0);
  const Document doc = ReadOk(w.bytes);
  ASSERT_EQ(doc.lines.size(), 3u);
  EXPECT_EQ(doc.lines[2].x2, 3);
}

// One counter for the whole archive: a class first seen in the main list is named by its number
// inside a definition, and the definition takes its number before its nested list.
TEST(ArchiveReader, ClassTableSpansAllLists) {
  ArchiveWriter w(700);
  w.FigureHeader(Scales());
  w.Count(1);
  w.Add(MakeLine(0, 0, 1, 0));  // class 1, object 2
  w.Count(2);
  w.BeginDefinition(1, u"A");  // class 3, object 4
  w.Count(2);
  w.Add(MakeLine(5, 5, 6, 6));  // tag 0x8001
  jws::Arc a;
  a.radius = 1;
  w.Add(a);                    // class 6, object 7
  w.BeginDefinition(2, u"B");  // tag 0x8003, object 8
  w.Count(1);
  w.Add(a);  // tag 0x8006
  const Document doc = ReadOk(w.bytes);
  ASSERT_EQ(doc.blocks.size(), 2u);
  EXPECT_EQ(doc.blocks[0].entities.size(), 2u);
  EXPECT_EQ(doc.blocks[1].entities.at(0).kind, EntityKind::kArc);
  EXPECT_EQ(doc.arcs.size(), 2u);
}

TEST(ArchiveReader, RepeatedObjectIsTheSameEntityAgain) {
  ArchiveWriter w(700);
  w.FigureHeader(Scales());
  w.Count(2);
  w.Add(MakeLine(0, 0, 1, 0));
  w.Reference(w.lastObject());
  w.Count(0);
  const Document doc = ReadOk(w.bytes);
  ASSERT_EQ(doc.entities.size(), 2u);
  EXPECT_EQ(doc.entities[0].index, doc.entities[1].index);
}

TEST(ArchiveReader, DrawingImagesAreSkipped) {
  ArchiveWriter w(700);
  w.DrawingHeader(Scales());
  w.Count(0);
  w.Count(0);
  w.Dword(1);
  w.Str(u"photo.jpg.gz");
  w.Dword(5);
  w.Raw("12345");
  const Document doc = ReadOk(w.bytes);
  ASSERT_EQ(doc.images.size(), 1u);
  EXPECT_EQ(doc.Str(doc.images[0].name), "photo.jpg.gz");
  EXPECT_EQ(doc.images[0].size, 5u);
  EXPECT_EQ(doc.trailingBytes, 0u);
}

TEST(ArchiveReader, DwordBlockCountOfOtherWriters) {
  ArchiveWriter w(600, ArchiveWriter::StringForm::kAnsi);
  w.DrawingHeader(Scales());
  w.Count(1);
  w.Add(MakeLine(0, 0, 1, 1));
  w.Dword(1);
  w.BeginDefinition(4, u"X");
  w.Count(0);
  const Document doc = ReadOk(w.bytes);
  ASSERT_EQ(doc.blocks.size(), 1u);
  EXPECT_EQ(doc.blocks[0].number, 4u);
}

// A header that does not end where its layout says: the list is found by its first class record.
TEST(ArchiveReader, DrawingHeaderOfUnexpectedLengthIsSearched) {
  ArchiveWriter w(600, ArchiveWriter::StringForm::kAnsi);
  w.DrawingHeader(Scales(50));
  w.Zeros(12);  // a block this reader does not know
  w.Count(1);
  w.Add(MakeLine(1, 2, 3, 4));
  w.Count(0);
  const Document doc = ReadOk(w.bytes);
  EXPECT_TRUE(doc.listFoundBySearch);
  EXPECT_EQ(doc.scales[0], 50);  // the scales stand before any variable block
  ASSERT_EQ(doc.lines.size(), 1u);
  EXPECT_EQ(doc.lines[0].y2, 4);
}

TEST(ArchiveReader, FigureHeaderOfUnexpectedLengthIsSearched) {
  ArchiveWriter w(600, ArchiveWriter::StringForm::kAnsi);
  w.FigureHeader(Scales(50));
  w.Zeros(8);
  w.Count(1);
  w.Add(MakeLine(1, 2, 3, 4));
  w.Count(0);
  const Document doc = ReadOk(w.bytes);
  EXPECT_TRUE(doc.listFoundBySearch);
  EXPECT_EQ(doc.version, 600u);  // from the class record
  EXPECT_EQ(doc.scales[0], 1);   // header values are not trusted
  EXPECT_EQ(doc.lines.at(0).x2, 3);
}

TEST(ArchiveReader, ScalesThatAreNotPositiveNumbersReadAsOne) {
  ArchiveWriter w(700);
  std::array<double, 16> s = Scales(0, -3);
  s[1] = std::numeric_limits<double>::quiet_NaN();
  s[2] = 20;
  w.FigureHeader(s);
  w.Count(0);
  w.Count(0);
  const Document doc = ReadOk(w.bytes);
  EXPECT_EQ(doc.scales[0], 1);
  EXPECT_EQ(doc.scales[1], 1);
  EXPECT_EQ(doc.scales[2], 20);
  EXPECT_EQ(doc.scales[3], 1);
}

// ----- bad input -----

// Every cut of a valid figure is refused cleanly.
TEST(ArchiveReaderBadInput, EveryTruncationIsAnError) {
  const std::string full = EveryClass(700, ArchiveWriter::StringForm::kUnicode, false);
  ReadOk(full);
  for (size_t n = 0; n < full.size(); ++n) {
    const jws::ReadResult r = jws::ReadArchive(std::string_view(full).substr(0, n));
    ASSERT_FALSE(r.ok()) << "cut at " << n;
    EXPECT_FALSE(r.error.message.empty());
    EXPECT_EQ(r.error.message.find('\n'), std::string::npos);
  }
}

struct BadCase {
  const char* name;
  std::string bytes;
  const char* expected;  // part of the message
};

std::string FigureWith(void (*body)(ArchiveWriter&)) {
  ArchiveWriter w(700);
  w.FigureHeader(Scales());
  body(w);
  return w.bytes;
}

std::vector<BadCase> BadCases() {
  std::vector<BadCase> cases;
  std::string wrong = EveryClass(700, ArchiveWriter::StringForm::kUnicode, false);
  wrong[2] = 'W';
  cases.push_back({"signature", wrong, "signature"});
  cases.push_back({"empty", "", "signature"});
  ArchiveWriter cut(700);
  cut.DrawingHeader(Scales());
  cases.push_back({"drawing cut inside its header", cut.bytes.substr(0, 9000), "ends early"});
  cases.push_back({"dos figure", std::string("JWK") + std::string(600, '\0'), "signature"});
  cases.push_back({"unknown class", FigureWith([](ArchiveWriter& w) {
                     w.Count(1);
                     w.NewObject("CDataFoo");
                     w.Zeros(64);
                     w.Count(0);
                   }),
                   "unknown class \"CDataFoo\""});
  cases.push_back({"four billion", FigureWith([](ArchiveWriter& w) {
                     w.Count(0xFFFFFFFFu);
                     w.Add(MakeLine(0, 0, 1, 1));
                   }),
                   "4294967295"});
  cases.push_back({"string longer than the file", FigureWith([](ArchiveWriter& w) {
                     w.Count(1);
                     w.NewObject("CDataMoji");
                     w.Zeros(15 + 4 * 8 + 4 + 4 * 8);
                     w.Byte(0xFF);
                     w.Word(0xFFFF);
                     w.Dword(0x7FFFFFFF);
                     w.Raw("abc");
                   }),
                   "runs past the end"});
  cases.push_back({"unicode string longer than the file", FigureWith([](ArchiveWriter& w) {
                     w.Count(1);
                     w.NewObject("CDataMoji");
                     w.Zeros(15 + 4 * 8 + 4 + 4 * 8);
                     w.Byte(0xFF);
                     w.Word(0xFFFE);
                     w.Byte(200);
                     w.Raw("abcdefgh");
                   }),
                   "runs past the end"});
  cases.push_back({"null tag", FigureWith([](ArchiveWriter& w) {
                     w.Count(2);
                     w.Add(MakeLine(0, 0, 1, 1));
                     w.Word(0);
                     w.Count(0);
                   }),
                   "null"});
  cases.push_back({"class index 0", FigureWith([](ArchiveWriter& w) {
                     w.Count(2);
                     w.Add(MakeLine(0, 0, 1, 1));
                     w.Word(0x8000);
                     w.Count(0);
                   }),
                   "class number 0"});
  cases.push_back({"tag names an object as class", FigureWith([](ArchiveWriter& w) {
                     w.Count(2);
                     w.Add(MakeLine(0, 0, 1, 1));
                     w.Word(0x8002);  // object 2 is a line, not a class
                   }),
                   "not a class"});
  cases.push_back({"reference to an object not read", FigureWith([](ArchiveWriter& w) {
                     w.Count(2);
                     w.Add(MakeLine(0, 0, 1, 1));
                     w.Reference(40);
                   }),
                   "not read before"});
  cases.push_back({"definition refers to itself", FigureWith([](ArchiveWriter& w) {
                     w.Count(0);
                     w.Count(1);
                     w.BeginDefinition(1, u"A");
                     w.Count(1);
                     w.Reference(w.lastObject());
                   }),
                   "cycle"});
  cases.push_back({"definitions insert each other", FigureWith([](ArchiveWriter& w) {
                     w.Count(0);
                     w.Count(2);
                     jws::BlockInsert b;
                     w.BeginDefinition(1, u"A");
                     w.Count(1);
                     b.definition = 2;
                     w.Add(b);
                     w.BeginDefinition(2, u"B");
                     w.Count(1);
                     b.definition = 1;
                     w.Add(b);
                   }),
                   "cycle"});
  cases.push_back({"definition in the entity list", FigureWith([](ArchiveWriter& w) {
                     w.Count(1);
                     w.BeginDefinition(1, u"A");
                     w.Count(0);
                     w.Count(0);
                   }),
                   "block definition inside an entity list"});
  cases.push_back({"entity in the definition list", FigureWith([](ArchiveWriter& w) {
                     w.Count(1);
                     w.Add(MakeLine(0, 0, 1, 1));
                     w.Count(1);
                     w.Add(MakeLine(0, 0, 1, 1));
                   }),
                   "entity in the block-definition list"});
  cases.push_back({"class name too long", FigureWith([](ArchiveWriter& w) {
                     w.Count(2);
                     w.Add(MakeLine(0, 0, 1, 1));
                     w.Word(0xFFFF);
                     w.Word(700);
                     w.Word(5000);
                     w.Zeros(6000);
                   }),
                   "class name"});
  cases.push_back({"no list after the header", FigureWith([](ArchiveWriter& w) {
                     w.Count(1);
                     w.Raw("not a class record");
                   }),
                   "no entity list"});
  cases.push_back({"images beyond the file",
                   [] {
                     ArchiveWriter w(700);
                     w.DrawingHeader(Scales());
                     w.Count(0);
                     w.Count(0);
                     w.Dword(1);
                     w.Str(u"a.gz");
                     w.Dword(1000);
                     w.Raw("xy");
                     return w.bytes;
                   }(),
                   "runs past the end"});
  return cases;
}

TEST(ArchiveReaderBadInput, ClearErrorForEachCase) {
  for (const BadCase& c : BadCases()) {
    const jws::ReadResult r = jws::ReadArchive(c.bytes);
    ASSERT_FALSE(r.ok()) << c.name;
    SCOPED_TRACE(c.name);
    EXPECT_NE(r.error.message.find(c.expected), std::string::npos)
        << c.name << ": " << r.error.message;
    EXPECT_LE(r.error.offset, c.bytes.size()) << c.name;
  }
}

}  // namespace
}  // namespace gara
