// Writes Jw_cad archives (.jws figures, .jww drawings) byte by byte from the format's rules, so
// that tests can make every header variant, both string forms, big counts and big tags, and the
// entity kinds no public sample holds. Test code only.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "jws/document.h"
#include "util/cp932.h"

namespace gara::testing {

class ArchiveWriter {
 public:
  enum class StringForm { kAnsi, kUnicode };
  // How string lengths are written: the shortest form, or always one of the longer ones.
  enum class LengthForm { kShortest, kWord, kDword };

  explicit ArchiveWriter(uint32_t version = 700, StringForm strings = StringForm::kUnicode)
      : version_(version), strings_(strings) {}

  std::string bytes;
  LengthForm lengthForm = LengthForm::kShortest;
  // MFC switches to six-byte class tags at this index; tests lower it to force them.
  uint32_t bigTagFrom = 0x7FFF;
  uint32_t counter() const { return counter_; }
  uint32_t version() const { return version_; }

  // ----- primitives -----
  void Byte(uint8_t v) { bytes.push_back(static_cast<char>(v)); }
  void Word(uint16_t v) {
    Byte(v & 0xFF);
    Byte(v >> 8);
  }
  void Dword(uint32_t v) {
    Word(v & 0xFFFF);
    Word(v >> 16);
  }
  void Real(double v) {
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    Dword(static_cast<uint32_t>(bits));
    Dword(static_cast<uint32_t>(bits >> 32));
  }
  void Raw(std::string_view b) { bytes.append(b); }
  void Count(uint32_t n, bool longForm = false) {
    if (n < 0xFFFF && !longForm) {
      Word(static_cast<uint16_t>(n));
    } else {
      Word(0xFFFF);
      Dword(n);
    }
  }
  void Length(uint32_t n) {
    if (n < 0xFF && lengthForm == LengthForm::kShortest) {
      Byte(static_cast<uint8_t>(n));
    } else if (n < 0xFFFE && lengthForm != LengthForm::kDword) {
      Byte(0xFF);
      Word(static_cast<uint16_t>(n));
    } else {
      Byte(0xFF);
      Word(0xFFFF);
      Dword(n);
    }
  }
  // A string in the writer's form: UTF-16 as it stands, or its CP932 bytes.
  void Str(std::u16string_view s) {
    if (strings_ == StringForm::kUnicode) {
      Utf16(s);
    } else {
      std::string cp932;
      for (char16_t c : s) {
        jws::AppendUtf16AsCp932(std::string_view(reinterpret_cast<const char*>(&c), 2), cp932);
      }
      Ansi(cp932);
    }
  }
  void Ansi(std::string_view s) {
    Length(static_cast<uint32_t>(s.size()));
    Raw(s);
  }
  void Utf16(std::u16string_view s) {
    Byte(0xFF);
    Word(0xFFFE);
    Length(static_cast<uint32_t>(s.size()));
    for (char16_t c : s) Word(c);
  }

  // ----- headers -----
  // .jws: signature, 192 dots, version, origin, sixteen scales, unknown words and reals, bounds.
  void FigureHeader(const std::array<double, 16>& scales, double originX = 0, double originY = 0,
                    const std::array<double, 4>& bounds = {}) {
    Raw("JwsData.");
    Raw(std::string(192, '.'));
    Dword(version_);
    Real(originX);
    Real(originY);
    for (double s : scales) Real(s);
    for (int i = 0; i < 6; ++i) Dword(0);
    for (int i = 0; i < 6; ++i) Real(0);
    for (double b : bounds) Real(b);
  }

  // .jww: every block of the drawing header for the writer's version.
  void DrawingHeader(const std::array<double, 16>& scales, std::u16string_view memo = u"") {
    const uint32_t v = version_;
    Raw("JwwData.");
    Dword(v);
    Str(memo);
    Dword(3);  // A3
    Dword(0);
    for (double s : scales) {
      Dword(2);
      Dword(0);
      Real(s);
      Dword(0);
      for (int i = 0; i < 32; ++i) Dword(0);
    }
    Zeros(21 * 4 + 72);
    for (int i = 0; i < 256; ++i) Str(u"");
    for (int i = 0; i < 16; ++i) Str(u"G");
    Zeros(28);
    if (v >= 300) Zeros(16);
    Zeros(4 + 48);
    Zeros(v >= 300 ? 224 : 96);
    if (v >= 300) Zeros(56);
    Zeros(88 + 80 + 160 + 128 + 100 + 64 + 44);
    if (v >= 223) Zeros(60);
    if (v >= 225) Zeros(32);
    if (v >= 230) Zeros(8);
    if (v >= 420) {
      Zeros(257 * 8);
      for (int i = 0; i < 257; ++i) {
        Str(u"");
        Zeros(16);
      }
      Zeros(33 * 16);
      for (int i = 0; i < 33; ++i) {
        Str(u"");
        Zeros(84);
      }
    }
    Zeros(280 + 32 + 16 + 4 + 48);
  }
  void Zeros(size_t n) { bytes.append(n, '\0'); }

  // ----- tags -----
  // The tag of a new object of `className`: a new-class record the first time, then a class
  // reference (six bytes from `bigTagFrom` on).
  void NewObject(const std::string& className) {
    const auto it = classes_.find(className);
    if (it == classes_.end()) {
      Word(0xFFFF);
      Word(static_cast<uint16_t>(version_));
      Word(static_cast<uint16_t>(className.size()));
      Raw(className);
      classes_[className] = counter_++;
    } else if (it->second < bigTagFrom) {
      Word(static_cast<uint16_t>(0x8000 | it->second));
    } else {
      Word(0x7FFF);
      Dword(0x80000000u | it->second);
    }
    lastObject_ = counter_++;
  }
  // A tag naming object `index` read before.
  void Reference(uint32_t index) {
    if (index < 0x7FFF) {
      Word(static_cast<uint16_t>(index));
    } else {
      Word(0x7FFF);
      Dword(index);
    }
  }
  uint32_t lastObject() const { return lastObject_; }

  // ----- bodies -----
  void Common(const jws::Common& c) {
    Dword(c.curveGroup);
    Byte(c.penStyle);
    Word(c.colour);
    if (version_ >= jws::kVersionPenWidth) Word(c.width);
    Word(c.layer);
    Word(c.layerGroup);
    Word(c.flags);
  }
  void LineBody(const jws::Line& l) {
    Common(l.c);
    for (double v : {l.x1, l.y1, l.x2, l.y2}) Real(v);
  }
  void TextBody(const jws::Text& t, std::u16string_view font, std::u16string_view text) {
    Common(t.c);
    for (double v : {t.x1, t.y1, t.x2, t.y2}) Real(v);
    Dword(t.kind);
    for (double v : {t.width, t.height, t.spacing, t.angleDeg}) Real(v);
    Str(font);
    Str(text);
  }
  void PointBody(const jws::PointEntity& p) {
    Common(p.c);
    Real(p.x);
    Real(p.y);
    Dword(p.temporary);
    if (p.c.penStyle == jws::kMarkerPenStyle) {
      Dword(p.marker);
      Real(p.angle);
      Real(p.scale);
    }
  }

  // ----- tagged entities -----
  void Add(const jws::Line& l) {
    NewObject("CDataSen");
    LineBody(l);
  }
  void Add(const jws::Arc& a) {
    NewObject("CDataEnko");
    Common(a.c);
    for (double v : {a.cx, a.cy, a.radius, a.start, a.sweep, a.tilt, a.flatness}) Real(v);
    Dword(a.fullCircle);
  }
  void Add(const jws::PointEntity& p) {
    NewObject("CDataTen");
    PointBody(p);
  }
  void Add(const jws::Text& t, std::u16string_view font, std::u16string_view text) {
    NewObject("CDataMoji");
    TextBody(t, font, text);
  }
  void Add(const jws::Dimension& d, std::u16string_view font, std::u16string_view text) {
    NewObject("CDataSunpou");
    Common(d.c);
    LineBody(d.line);
    TextBody(d.text, font, text);
    if (version_ >= jws::kVersionSxf) {
      Word(d.sxfMode);
      for (const jws::Line& l : d.extensionLines) LineBody(l);
      for (const jws::PointEntity& p : d.points) PointBody(p);
    }
  }
  void Add(const jws::Solid& s) {
    NewObject("CDataSolid");
    Common(s.c);
    for (double v : s.v) Real(v);
    if (s.c.colour == 10) Dword(s.rgb);
  }
  void Add(const jws::BlockInsert& b) {
    NewObject("CDataBlock");
    Common(b.c);
    for (double v : {b.x, b.y, b.scaleX, b.scaleY, b.rotation}) Real(v);
    Dword(b.definition);
  }
  // A block definition's tag and fixed fields; its nested list (count, entities) follows.
  void BeginDefinition(uint32_t number, std::u16string_view name) {
    NewObject("CDataList");
    Common(jws::Common{});
    Dword(number);
    Dword(0);
    Dword(0x5F000000);
    Str(name);
  }

 private:
  uint32_t version_;
  StringForm strings_;
  uint32_t counter_ = 1;
  uint32_t lastObject_ = 0;
  std::map<std::string, uint32_t> classes_;
};

// Sixteen layer-group scales: `first` for layer group 0, `rest` for the others.
inline std::array<double, 16> Scales(double first = 1, double rest = 1) {
  std::array<double, 16> s;
  s.fill(rest);
  s[0] = first;
  return s;
}

// Handy constructors for the tests.
inline jws::Common MakeCommon(uint16_t group, uint16_t layer, uint16_t colour, uint8_t style,
                              uint16_t flags = 0, uint16_t width = 0) {
  jws::Common c;
  c.layerGroup = group;
  c.layer = layer;
  c.colour = colour;
  c.penStyle = style;
  c.flags = flags;
  c.width = width;
  return c;
}

}  // namespace gara::testing
