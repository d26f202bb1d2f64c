#include "jws/reader.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

#include "util/cp932.h"

namespace gara::jws {

namespace {

constexpr std::string_view kDrawingSignature = "JwwData.";
constexpr std::string_view kFigureSignature = "JwsData.";
// Files are addressed with 32-bit offsets in the string pool; no real drawing comes near this.
constexpr size_t kMaxFileSize = size_t{1} << 31;
// .jws: 192 unexplained bytes, version, origin, 16 scales, 6 unknown words, 6 unknown reals,
// bounds; the entity list starts right after.
constexpr size_t kFigureHeaderSize = 452;
// MFC writes class names of at most 64 characters.
constexpr size_t kMaxClassName = 64;

struct Failure {
  std::string message;
  size_t offset;
};

[[noreturn]] void Fail(std::string message, size_t offset) {
  throw Failure{std::move(message), offset};
}

std::string Num(uint64_t v) { return std::to_string(v); }

class Cursor {
 public:
  explicit Cursor(std::string_view bytes, size_t at = 0) : bytes_(bytes), pos_(at) {}

  size_t offset() const { return pos_; }
  size_t remaining() const { return bytes_.size() - pos_; }

  void Need(size_t n) const {
    if (n > remaining()) {
      Fail("the file ends early (" + Num(n) + " bytes needed, " + Num(remaining()) + " left)",
           pos_);
    }
  }
  uint8_t Byte() {
    Need(1);
    return static_cast<uint8_t>(bytes_[pos_++]);
  }
  uint16_t Word() {
    Need(2);
    const uint16_t v = static_cast<uint16_t>(At(pos_) | (At(pos_ + 1) << 8));
    pos_ += 2;
    return v;
  }
  uint32_t Dword() {
    Need(4);
    const uint32_t v = DwordAt(pos_);
    pos_ += 4;
    return v;
  }
  double Real() {
    Need(8);
    const uint64_t bits = DwordAt(pos_) | (uint64_t{DwordAt(pos_ + 4)} << 32);
    pos_ += 8;
    return std::bit_cast<double>(bits);
  }
  std::string_view Raw(size_t n) {
    Need(n);
    const std::string_view s = bytes_.substr(pos_, n);
    pos_ += n;
    return s;
  }
  void Skip(size_t n) {
    Need(n);
    pos_ += n;
  }

 private:
  uint32_t At(size_t i) const { return static_cast<unsigned char>(bytes_[i]); }
  uint32_t DwordAt(size_t i) const {
    return At(i) | (At(i + 1) << 8) | (At(i + 2) << 16) | (At(i + 3) << 24);
  }

  std::string_view bytes_;
  size_t pos_;
};

uint16_t WordAt(std::string_view b, size_t i) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[i]) |
                               (static_cast<unsigned char>(b[i + 1]) << 8));
}
uint32_t DwordAt(std::string_view b, size_t i) {
  return WordAt(b, i) | (uint32_t{WordAt(b, i + 2)} << 16);
}

// A list count: a WORD, or 0xFFFF and a DWORD.
uint32_t ReadCount(Cursor& cur) {
  const uint16_t w = cur.Word();
  return w == 0xFFFF ? cur.Dword() : w;
}

// The class names of the entity kinds and of the block definition.
enum class ClassId : uint8_t { kSen, kEnko, kTen, kMoji, kSunpou, kSolid, kBlock, kList };

bool ClassFromName(std::string_view name, ClassId& id) {
  static constexpr std::pair<std::string_view, ClassId> kNames[] = {
      {"CDataSen", ClassId::kSen},       {"CDataEnko", ClassId::kEnko},
      {"CDataTen", ClassId::kTen},       {"CDataMoji", ClassId::kMoji},
      {"CDataSunpou", ClassId::kSunpou}, {"CDataSolid", ClassId::kSolid},
      {"CDataBlock", ClassId::kBlock},   {"CDataList", ClassId::kList},
  };
  for (const auto& [n, i] : kNames) {
    if (n == name) {
      id = i;
      return true;
    }
  }
  return false;
}

// A class name fit for a one-line message: printable ASCII kept, anything else as "?".
std::string Printable(std::string_view name) {
  std::string out;
  for (char c : name) out.push_back(c >= 0x20 && c < 0x7F ? c : '?');
  return out;
}

// Where the entity list starts after a header, and the version that governs its layout.
struct ListStart {
  size_t offset = 0;
  uint16_t schema = 0;  // of the first class record; 0 for an empty list
};

bool SearchListStart(std::string_view bytes, size_t from, uint32_t version, ListStart& found);

// The first bytes of an entity list: a count and, if it is not 0, the new-class record of a
// "CData..." class (the first object of an archive always introduces its class).
bool LooksLikeListStart(std::string_view bytes, size_t at, ListStart& start) {
  try {
    Cursor cur(bytes, at);
    const uint32_t count = ReadCount(cur);
    start = {at, 0};
    if (count == 0) {
      // An empty entity list: the block-definition list must follow, and if that is empty as
      // well, no class record may come later (else the header was misread).
      if (ReadCount(cur) == 0) {
        ListStart later;
        return !SearchListStart(bytes, cur.offset(), 0, later);
      }
      if (cur.Word() != 0xFFFF) return false;
      cur.Word();
      const uint16_t n = cur.Word();
      return n == 9 && cur.Raw(n) == "CDataList";
    }
    if (cur.Word() != 0xFFFF) return false;
    start.schema = cur.Word();
    const uint16_t n = cur.Word();
    return n >= 8 && n <= 11 && cur.Raw(n).starts_with("CData");
  } catch (const Failure&) {
    return false;
  }
}

// When the header did not end where its layout says (a version whose header differs, damage):
// the first new-class record of a "CData..." class from `from` on, preferring one whose schema
// equals `version`, and the count in front of it.
bool SearchListStart(std::string_view bytes, size_t from, uint32_t version, ListStart& found) {
  bool any = false;
  for (size_t p = from; p + 6 <= bytes.size(); ++p) {
    if (static_cast<unsigned char>(bytes[p]) != 0xFF ||
        static_cast<unsigned char>(bytes[p + 1]) != 0xFF) {
      continue;
    }
    const uint16_t n = WordAt(bytes, p + 4);
    if (n < 8 || n > 32 || p + 6 + n > bytes.size() || bytes.substr(p + 6, 5) != "CData") continue;
    ListStart candidate;
    candidate.schema = WordAt(bytes, p + 2);
    if (p >= from + 6 && WordAt(bytes, p - 6) == 0xFFFF && DwordAt(bytes, p - 4) >= 0xFFFF) {
      candidate.offset = p - 6;
    } else if (p >= from + 2 && WordAt(bytes, p - 2) != 0 && WordAt(bytes, p - 2) != 0xFFFF) {
      candidate.offset = p - 2;
    } else {
      continue;
    }
    if (!any) found = candidate;
    any = true;
    if (candidate.schema == version) {
      found = candidate;
      return true;
    }
  }
  return any;
}

double SaneScale(double s) { return std::isfinite(s) && s > 0 ? s : 1.0; }

class ArchiveReader {
 public:
  explicit ArchiveReader(std::string_view bytes) : bytes_(bytes), cur_(bytes) {
    table_.push_back({});  // index 0 stands for null
  }

  Document Read() {
    if (bytes_.size() >= kMaxFileSize) Fail("the file is too large", 0);
    const std::string_view signature = bytes_.substr(0, 8);
    if (signature == kDrawingSignature) {
      doc_.kind = FileKind::kDrawing;
      ReadDrawingHeader();
    } else if (signature == kFigureSignature) {
      doc_.kind = FileKind::kFigure;
      ReadFigureHeader();
    } else {
      Fail("not a Jw_cad drawing or figure file (no \"JwwData.\" or \"JwsData.\" signature)", 0);
    }
    ReadList(doc_.entities);
    ReadBlockDefinitions();
    if (doc_.kind == FileKind::kDrawing && doc_.version >= kVersionImages && cur_.remaining() > 0) {
      ReadImages();
    }
    doc_.trailingBytes = cur_.remaining();
    CheckBlockCycles();
    return std::move(doc_);
  }

 private:
  // ----- header -----

  void ReadDrawingHeader() {
    cur_.Skip(8);
    doc_.version = cur_.Dword();
    const uint32_t v = doc_.version;
    doc_.memo = ReadString();
    cur_.Skip(8);  // paper size, writing layer group
    for (double& scale : doc_.scales) {
      cur_.Skip(8);  // state, writing layer
      scale = SaneScale(cur_.Real());
      cur_.Skip(4 + 16 * 8);  // protection, 16 layers' state and protection
    }
    size_t expectedEnd = 0;
    std::optional<Failure> headerFailure;
    try {
      cur_.Skip(21 * 4 + 72);
      for (int i = 0; i < 256 + 16; ++i) SkipString();  // layer and layer-group names
      cur_.Skip(28);
      if (v >= 300) cur_.Skip(16);
      cur_.Skip(4 + 48);
      cur_.Skip(v >= 300 ? 8 * 28 : 4 * 24);  // mark jumps
      if (v >= 300) cur_.Skip(6 * 8 + 2 * 4);
      cur_.Skip(88 + 80 + 160 + 128 + 100 + 64 + 44);
      if (v >= 223) cur_.Skip(60);
      if (v >= 225) cur_.Skip(32);
      if (v >= 230) cur_.Skip(8);
      if (v >= kVersionSxf) {
        cur_.Skip(257 * 8);
        for (int i = 0; i < 257; ++i) {
          SkipString();
          cur_.Skip(16);
        }
        cur_.Skip(33 * 16);
        for (int i = 0; i < 33; ++i) {
          SkipString();
          cur_.Skip(4 + 80);
        }
      }
      cur_.Skip(280 + 32 + 16 + 4 + 48);
      expectedEnd = cur_.offset();
    } catch (const Failure& f) {
      headerFailure = f;  // not where the layout says: search below
    }
    ListStart start;
    if (expectedEnd != 0 && LooksLikeListStart(bytes_, expectedEnd, start)) {
      cur_ = Cursor(bytes_, start.offset);
      return;
    }
    if (!SearchListStart(bytes_, 100, v, start)) {
      if (headerFailure) throw *headerFailure;  // e.g. a file cut inside its header
      Fail("the header does not match data version " + Num(v) + " and no entity list follows it",
           expectedEnd);
    }
    doc_.listFoundBySearch = true;
    cur_ = Cursor(bytes_, start.offset);
  }

  void ReadFigureHeader() {
    cur_.Skip(8 + 192);
    doc_.version = cur_.Dword();
    doc_.originX = cur_.Real();
    doc_.originY = cur_.Real();
    for (double& scale : doc_.scales) scale = SaneScale(cur_.Real());
    cur_.Skip(6 * 4 + 6 * 8);
    for (double& b : doc_.bounds) b = cur_.Real();
    ListStart start;
    if (!LooksLikeListStart(bytes_, kFigureHeaderSize, start)) {
      // Header values of an unexpected layout mean nothing: the version comes from the first
      // class record and every scale is 1.
      if (!SearchListStart(bytes_, 200, doc_.version, start)) {
        Fail("no entity list follows the figure header", kFigureHeaderSize);
      }
      doc_.listFoundBySearch = true;
      doc_.scales.fill(1.0);
      doc_.originX = doc_.originY = 0;
      doc_.bounds = {};
      doc_.version = start.schema;
    } else if (!(doc_.version >= 200 && doc_.version <= 1000) && start.schema != 0) {
      doc_.version = start.schema;
    }
    cur_ = Cursor(bytes_, start.offset);
  }

  // ----- strings -----

  // The length of a string and whether it is UTF-16: a BYTE; 0xFF and a WORD; 0xFF, 0xFFFF and
  // a DWORD; the WORD 0xFFFE after the first 0xFF marks UTF-16 and the length follows again.
  uint32_t ReadStringLength(bool& unicode) {
    unicode = false;
    while (true) {
      const uint8_t b = cur_.Byte();
      if (b < 0xFF) return b;
      const uint16_t w = cur_.Word();
      if (w == 0xFFFE) {
        if (unicode) Fail("a string is marked as UTF-16 twice", cur_.offset() - 3);
        unicode = true;
        continue;
      }
      if (w < 0xFFFF) return w;
      return cur_.Dword();
    }
  }

  std::string_view StringPayload(size_t at) {
    bool unicode = false;
    const uint64_t length = ReadStringLength(unicode);
    const uint64_t bytes = unicode ? 2 * length : length;
    if (bytes > cur_.remaining()) {
      Fail("a string of " + Num(bytes) + " bytes runs past the end of the file", at);
    }
    unicodePayload_ = unicode;
    return cur_.Raw(static_cast<size_t>(bytes));
  }

  TextRef ReadString() {
    const size_t at = cur_.offset();
    const std::string_view payload = StringPayload(at);
    TextRef ref;
    ref.offset = static_cast<uint32_t>(doc_.strings.size());
    if (unicodePayload_) {
      AppendUtf16AsCp932(payload, doc_.strings);
    } else {
      doc_.strings.append(payload);
    }
    ref.size = static_cast<uint32_t>(doc_.strings.size() - ref.offset);
    return ref;
  }

  void SkipString() { StringPayload(cur_.offset()); }

  // ----- lists and tags -----

  // Every new class and every new object takes the next number of one counter for the whole
  // archive; an object takes its number before its body is read.
  enum class SlotType : uint8_t { kNone, kClass, kEntity, kDefinitionOpen, kDefinition };
  struct Slot {
    SlotType type = SlotType::kNone;
    ClassId classId = ClassId::kSen;
    EntityRef entity{EntityKind::kLine, 0};
  };

  uint32_t NewNumber(const Slot& slot, size_t at) {
    if (table_.size() > 0x7FFFFFFF) Fail("too many objects", at);
    table_.push_back(slot);
    return static_cast<uint32_t>(table_.size() - 1);
  }

  ClassId ClassAt(uint32_t k, size_t at) {
    if (k == 0 || k >= table_.size() || table_[k].type != SlotType::kClass) {
      Fail("the tag names class number " + Num(k) + ", which is not a class read before", at);
    }
    return table_[k].classId;
  }

  enum class ListKind { kEntities, kDefinitions };

  // A list count, refused when the rest of the file cannot hold that many tags (two bytes each
  // at least), so that no count can make the reader reserve without bound.
  uint32_t ReadListCount() {
    const size_t at = cur_.offset();
    const uint32_t count = ReadCount(cur_);
    if (count > cur_.remaining() / 2) {
      Fail("a list of " + Num(count) + " objects does not fit in the " + Num(cur_.remaining()) +
               " bytes left",
           at);
    }
    return count;
  }

  void ReadList(std::vector<EntityRef>& out) {
    const uint32_t count = ReadListCount();
    out.reserve(out.size() + count);
    for (uint32_t i = 0; i < count; ++i) ReadElement(ListKind::kEntities, &out);
  }

  void ReadBlockDefinitions() {
    uint32_t count = ReadListCount();
    // Some third-party writers give this one list a DWORD count; its high half then stands where
    // a tag should, and a null tag never starts a list.
    if (count > 0 && count < 0xFFFF && cur_.remaining() >= 2 &&
        WordAt(bytes_, cur_.offset()) == 0) {
      cur_.Skip(2);
    }
    doc_.blocks.reserve(count);
    for (uint32_t i = 0; i < count; ++i) ReadElement(ListKind::kDefinitions, nullptr);
  }

  void ReadElement(ListKind list, std::vector<EntityRef>* out) {
    const size_t at = cur_.offset();
    const uint16_t w = cur_.Word();
    if (w == 0xFFFF) {
      cur_.Word();  // schema: the header's version governs the layout
      const uint16_t n = cur_.Word();
      if (n == 0 || n > kMaxClassName) Fail("a class name of " + Num(n) + " bytes", at);
      const std::string_view name = cur_.Raw(n);
      Slot slot;
      if (!ClassFromName(name, slot.classId)) {
        Fail("unknown class \"" + Printable(name) + "\"", at);
      }
      slot.type = SlotType::kClass;
      NewNumber(slot, at);
      ReadObject(slot.classId, list, out, at);
    } else if (w == 0x7FFF) {
      const uint32_t t = cur_.Dword();
      if (t & 0x80000000u) {
        ReadObject(ClassAt(t & 0x7FFFFFFFu, at), list, out, at);
      } else {
        Reference(t, list, out, at);
      }
    } else if (w & 0x8000) {
      ReadObject(ClassAt(w & 0x7FFF, at), list, out, at);
    } else if (w == 0) {
      Fail("a null object in a list", at);
    } else {
      Reference(w, list, out, at);
    }
  }

  // A tag that names an object read before: the same entity once more. Jw_cad never writes one;
  // a definition that names itself (or anything not finished) would be a cycle.
  void Reference(uint32_t k, ListKind list, std::vector<EntityRef>* out, size_t at) {
    if (k == 0 || k >= table_.size()) {
      Fail("the tag refers to object number " + Num(k) + ", which was not read before", at);
    }
    const Slot& slot = table_[k];
    if (slot.type == SlotType::kDefinitionOpen || slot.type == SlotType::kNone) {
      Fail("object number " + Num(k) + " refers to itself (a cycle of object references)", at);
    }
    if (slot.type == SlotType::kClass) {
      Fail("the tag refers to class number " + Num(k) + " where an object belongs", at);
    }
    if (list != ListKind::kEntities || slot.type != SlotType::kEntity) {
      Fail("object number " + Num(k) + " is repeated where it cannot stand", at);
    }
    // A reference costs the file a few bytes but repeats the whole entity in the figure file:
    // without a bound, a long text named thousands of times asks for gigabytes.
    repeatedBytes_ += RepeatedBytes(slot.entity);
    if (repeatedBytes_ > kMaxRepeatedBytes) {
      Fail("back-references repeat more than " + Num(kMaxRepeatedBytes >> 20) +
               " MB of entities (a file written to exhaust memory)",
           at);
    }
    out->push_back(slot.entity);
  }

  // What one more copy of `e` adds to the figure file: its record lines and its texts.
  uint64_t RepeatedBytes(EntityRef e) const {
    const auto textBytes = [](const Text& t) { return uint64_t{t.text.size} + t.font.size; };
    switch (e.kind) {
      case EntityKind::kText:
        return kRepeatedRecordBytes + textBytes(doc_.texts[e.index]);
      case EntityKind::kDimension:
        // The dimension line, its text and two extension lines.
        return 4 * kRepeatedRecordBytes + textBytes(doc_.dimensions[e.index].text);
      default:
        return kRepeatedRecordBytes;
    }
  }

  void ReadObject(ClassId id, ListKind list, std::vector<EntityRef>* out, size_t at) {
    if (list == ListKind::kEntities && id == ClassId::kList) {
      Fail("a block definition inside an entity list", at);
    }
    if (list == ListKind::kDefinitions && id != ClassId::kList) {
      Fail("an entity in the block-definition list", at);
    }
    const uint32_t number = NewNumber({SlotType::kNone}, at);
    Slot slot;
    slot.type = SlotType::kEntity;
    switch (id) {
      case ClassId::kSen:
        slot.entity = Add(EntityKind::kLine, doc_.lines, ReadLine());
        break;
      case ClassId::kEnko:
        slot.entity = Add(EntityKind::kArc, doc_.arcs, ReadArc());
        break;
      case ClassId::kTen:
        slot.entity = Add(EntityKind::kPoint, doc_.points, ReadPoint());
        break;
      case ClassId::kMoji:
        slot.entity = Add(EntityKind::kText, doc_.texts, ReadText());
        break;
      case ClassId::kSunpou:
        slot.entity = Add(EntityKind::kDimension, doc_.dimensions, ReadDimension());
        break;
      case ClassId::kSolid:
        slot.entity = Add(EntityKind::kSolid, doc_.solids, ReadSolid());
        break;
      case ClassId::kBlock:
        slot.entity = Add(EntityKind::kBlock, doc_.inserts, ReadInsert());
        break;
      case ClassId::kList:
        table_[number].type = SlotType::kDefinitionOpen;
        ReadDefinition();
        table_[number].type = SlotType::kDefinition;
        return;
    }
    table_[number] = slot;
    out->push_back(slot.entity);
  }

  template <typename T>
  static EntityRef Add(EntityKind kind, std::vector<T>& v, T&& value) {
    v.push_back(std::move(value));
    return {kind, static_cast<uint32_t>(v.size() - 1)};
  }

  // ----- entity bodies -----

  Common ReadCommon() {
    Common c;
    c.curveGroup = cur_.Dword();
    c.penStyle = cur_.Byte();
    c.colour = cur_.Word();
    if (doc_.version >= kVersionPenWidth) c.width = cur_.Word();
    c.layer = cur_.Word();
    c.layerGroup = cur_.Word();
    c.flags = cur_.Word();
    return c;
  }

  // The stored values in the order given.
  template <typename... T>
  void Reals(T&... v) {
    ((v = cur_.Real()), ...);
  }

  Line ReadLine() {
    Line l;
    l.c = ReadCommon();
    Reals(l.x1, l.y1, l.x2, l.y2);
    return l;
  }

  Arc ReadArc() {
    Arc a;
    a.c = ReadCommon();
    Reals(a.cx, a.cy, a.radius, a.start, a.sweep, a.tilt, a.flatness);
    a.fullCircle = cur_.Dword();
    return a;
  }

  PointEntity ReadPoint() {
    PointEntity p;
    p.c = ReadCommon();
    Reals(p.x, p.y);
    p.temporary = cur_.Dword();
    if (p.c.penStyle == kMarkerPenStyle) {
      p.marker = cur_.Dword();
      Reals(p.angle, p.scale);
    }
    return p;
  }

  Text ReadText() {
    Text t;
    t.c = ReadCommon();
    Reals(t.x1, t.y1, t.x2, t.y2);
    t.kind = cur_.Dword();
    Reals(t.width, t.height, t.spacing, t.angleDeg);
    t.font = ReadString();
    t.text = ReadString();
    return t;
  }

  Dimension ReadDimension() {
    Dimension d;
    d.c = ReadCommon();
    d.line = ReadLine();
    d.text = ReadText();
    if (doc_.version >= kVersionSxf) {
      d.hasSxf = true;
      d.sxfMode = cur_.Word();
      for (Line& l : d.extensionLines) l = ReadLine();
      for (PointEntity& p : d.points) p = ReadPoint();
    }
    return d;
  }

  Solid ReadSolid() {
    Solid s;
    s.c = ReadCommon();
    for (double& v : s.v) v = cur_.Real();
    if (s.c.colour == 10) s.rgb = cur_.Dword();
    return s;
  }

  BlockInsert ReadInsert() {
    BlockInsert b;
    b.c = ReadCommon();
    Reals(b.x, b.y, b.scaleX, b.scaleY, b.rotation);
    b.definition = cur_.Dword();
    return b;
  }

  void ReadDefinition() {
    BlockDefinition def;
    def.c = ReadCommon();
    def.number = cur_.Dword();
    def.referenced = cur_.Dword();
    def.time = cur_.Dword();
    def.name = ReadString();
    ReadList(def.entities);
    doc_.blocks.push_back(std::move(def));
  }

  // ----- after the lists -----

  void ReadImages() {
    const size_t at = cur_.offset();
    const uint32_t count = cur_.Dword();
    // An image takes at least a one-byte name and its four-byte size.
    if (count > cur_.remaining() / 5) {
      Fail(Num(count) + " embedded images do not fit in the " + Num(cur_.remaining()) +
               " bytes left",
           at);
    }
    doc_.images.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
      EmbeddedImage image;
      image.name = ReadString();
      const size_t sizeAt = cur_.offset();
      image.size = cur_.Dword();
      if (image.size > cur_.remaining()) {
        Fail("an embedded image of " + Num(image.size) + " bytes runs past the end of the file",
             sizeAt);
      }
      cur_.Skip(image.size);
      doc_.images.push_back(image);
    }
  }

  // A definition that inserts itself, directly or through others, could never be drawn.
  void CheckBlockCycles() {
    if (doc_.inserts.empty() || doc_.blocks.empty()) return;
    std::unordered_map<uint32_t, size_t> byNumber;
    for (size_t i = 0; i < doc_.blocks.size(); ++i) byNumber.emplace(doc_.blocks[i].number, i);
    enum : uint8_t { kUnseen, kOpen, kDone };
    std::vector<uint8_t> state(doc_.blocks.size(), kUnseen);
    struct Frame {
      size_t block;
      size_t next;  // next entity of the block's list to look at
    };
    std::vector<Frame> stack;
    for (size_t root = 0; root < doc_.blocks.size(); ++root) {
      if (state[root] != kUnseen) continue;
      state[root] = kOpen;
      stack.push_back({root, 0});
      while (!stack.empty()) {
        Frame& f = stack.back();
        const std::vector<EntityRef>& list = doc_.blocks[f.block].entities;
        if (f.next == list.size()) {
          state[f.block] = kDone;
          stack.pop_back();
          continue;
        }
        const EntityRef e = list[f.next++];
        if (e.kind != EntityKind::kBlock) continue;
        const auto it = byNumber.find(doc_.inserts[e.index].definition);
        if (it == byNumber.end()) continue;
        if (state[it->second] == kOpen) {
          Fail("block definition " + Num(doc_.blocks[it->second].number) +
                   " inserts itself (a cycle of block references)",
               0);
        }
        if (state[it->second] == kUnseen) {
          state[it->second] = kOpen;
          stack.push_back({it->second, 0});
        }
      }
    }
  }

  std::string_view bytes_;
  Cursor cur_;
  Document doc_;
  std::vector<Slot> table_;
  bool unicodePayload_ = false;
  uint64_t repeatedBytes_ = 0;
};

}  // namespace

ReadResult ReadArchive(std::string_view bytes) {
  ReadResult result;
  try {
    result.document = ArchiveReader(bytes).Read();
  } catch (const Failure& f) {
    result.error = {f.message, f.offset};
  } catch (const std::bad_alloc&) {
    result.error = {"not enough memory", 0};
  }
  return result;
}

}  // namespace gara::jws
