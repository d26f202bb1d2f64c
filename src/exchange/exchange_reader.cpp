#include "exchange/exchange_reader.h"

#include <array>
#include <cassert>
#include <utility>

#include "exchange/entity_records.h"
#include "exchange/exchange_fields.h"
#include "util/lines.h"
#include "util/text.h"

namespace gara {

namespace {

// What the splitting switch does with each byte.
enum ByteClass : unsigned char { kKeep, kBlank, kQuote, kEquals, kLead, kDrop };

constexpr std::array<ByteClass, 256> MakeByteClasses() {
  std::array<ByteClass, 256> classes{};
  for (int b = 0; b < 256; ++b) {
    if (IsLeadByte(static_cast<unsigned char>(b))) {
      classes[b] = kLead;
    } else if (b == ' ' || b == '\t') {
      classes[b] = kBlank;
    } else if (b == '"') {
      classes[b] = kQuote;
    } else if (b == '=') {
      classes[b] = kEquals;
    } else if (b < 0x20 || b > 0xFD) {
      classes[b] = kDrop;
    } else {
      classes[b] = kKeep;
    }
  }
  return classes;
}
constexpr std::array<ByteClass, 256> kByteClasses = MakeByteClasses();

}  // namespace

void ExchangeFields::Split(std::string_view line) {
  // Every stored byte comes from the line, so its length bounds the fields' bytes.
  if (capacity_ < line.size()) {
    capacity_ = line.size() < 256 ? 256 : line.size();
    buffer_ = std::make_unique<char[]>(capacity_);
  }
  const auto* in = reinterpret_cast<const unsigned char*>(line.data());
  const size_t n = line.size();
  char* out = buffer_.get();
  char* fieldStart = out;
  int current = 1;
  keywordRunsOn_ = false;
  size_t i = 0;
  // With the switch on: blanks separate, a quote or an equals sign turns it off.
  while (i < n) {
    // Runs of ordinary bytes are the bulk of every line.
    while (kByteClasses[in[i]] == kKeep) {
      *out++ = static_cast<char>(in[i]);
      if (++i == n) break;
    }
    if (i == n) break;
    const unsigned char b = in[i];
    switch (kByteClasses[b]) {
      case kKeep:
        continue;
      case kBlank:
        ++i;
        if (out != fieldStart) {
          if (current == kMaxExchangeFields) {
            i = n;  // the rest of the line would be field 401 and beyond
            break;
          }
          fields_[current - 1] = std::string_view(fieldStart, out - fieldStart);
          ++current;
          fieldStart = out;
        }
        continue;
      case kLead:
        if (i + 1 == n) {
          i = n;  // a lone lead byte at the end is dropped
          break;
        }
        out[0] = static_cast<char>(b);
        out[1] = static_cast<char>(in[i + 1]);
        out += 2;
        i += 2;
        continue;
      case kDrop:
        ++i;
        continue;
      case kEquals:
        *out++ = '=';
        [[fallthrough]];
      case kQuote:
        ++i;
        keywordRunsOn_ = current == 1;
        break;
    }
    break;
  }
  // With the switch off: the rest of the line is one field; only control bytes are dropped and
  // two-byte characters kept whole.
  while (i < n) {
    const unsigned char b = in[i];
    const ByteClass c = kByteClasses[b];
    if (c == kLead) {
      if (i + 1 == n) break;
      out[0] = static_cast<char>(b);
      out[1] = static_cast<char>(in[i + 1]);
      out += 2;
      i += 2;
      continue;
    }
    if (b >= 0x20 && c != kDrop) *out++ = static_cast<char>(b);  // a tab is dropped here
    ++i;
  }
  fields_[current - 1] = std::string_view(fieldStart, out - fieldStart);
  count_ = current;
}

namespace {

// K from its n-th character (1-based) to its end; empty when K is shorter.
std::string_view From(std::string_view k, size_t n) {
  return k.size() >= n ? k.substr(n - 1) : std::string_view();
}

int HexDigit(std::string_view k, size_t n) {
  if (k.size() < n) return 0;
  const char c = k[n - 1];
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

// The rest of the keyword from its n-th character, then every further field after one blank.
void JoinName(const ExchangeFields& f, size_t n, std::string& name) {
  name.assign(From(f[1], n));
  for (int i = 2; i <= f.count(); ++i) {
    name.push_back(' ');
    name.append(f[i]);
  }
}

template <typename Table, typename Member>
void ReadRealRow(const ExchangeFields& f, Table& table, Member member) {
  for (int i = 1; i <= 10; ++i) table[i].*member = TextToReal(f[i + 1]);
}

// Rules 1 to 11: header lines that stand alone. True when the line was one of them.
bool HeaderLine(const ExchangeFields& f, std::string_view k, DrawingState& s) {
  const int c = f.count();
  if (k == "hk") {
    if (c < 2) return false;
    s.hkValue = TextToReal(f[2]);
  } else if (k == "hs") {
    if (c < 17) return false;
    for (int g = 0; g < 16; ++g) s.layerGroupScales[g] = TextToReal(f[g + 2]);
  } else if (k == "hzs") {
    if (c < 3) return false;
    s.paperWidth = TextToReal(f[2]);
    s.paperHeight = TextToReal(f[3]);
  } else if (k == "hcw" || k == "hch" || k == "hcd" || k == "hcc") {
    if (c < 11) return false;
    switch (k[2]) {
      case 'w':
        ReadRealRow(f, s.textSizeTable, &TextSize::width);
        break;
      case 'h':
        ReadRealRow(f, s.textSizeTable, &TextSize::height);
        break;
      case 'd':
        ReadRealRow(f, s.textSizeTable, &TextSize::spacing);
        break;
      default:
        for (int i = 1; i <= 10; ++i) s.textSizeTable[i].colour = TextToInt(f[i + 1]);
    }
  } else if (k == "hn") {
    if (c < 5) return false;
    for (int i = 0; i < 4; ++i) s.hnValues[i] = TextToReal(f[i + 2]);
  } else if (k == "hrgb") {
    if (c < 9) return false;
    s.rgbTable.resize(c - 1);
    for (int i = 2; i <= c; ++i) s.rgbTable[i - 2] = TextToInt(f[i]);
  } else {
    return false;
  }
  return true;
}

// Rules 14 and 15: the group or layer is the third character read as one hex digit.
void LayerLine(std::string_view k, bool& firstSeen, int32_t& writing, int32_t& current) {
  const int v = HexDigit(k, 3);
  assert(v >= 0 && v < 16);  // it indexes the group and layer tables
  if (firstSeen) {
    writing = v;
    firstSeen = false;
  }
  current = v;
}

// Rules 16 to 18.
void NumberedAttribute(std::string_view k, bool& firstSeen, int32_t& writing, int32_t& current) {
  const int32_t v = TextToInt(From(k, 3));
  if (firstSeen) {
    writing = v;
    firstSeen = false;
  }
  current = v;
}

void TextSizeLine(const ExchangeFields& f, std::string_view k, ReadingState& r, DrawingState& s) {
  const int32_t v = TextToInt(From(k, 3));
  const bool sizes = v == 0 && f.count() >= 5;
  if (r.firstSeen.cn) {
    s.writingTextSizeKind = v;
    if (sizes) {
      s.writingTextWidth = TextToReal(f[2]);
      s.writingTextHeight = TextToReal(f[3]);
      s.writingTextSpacing = TextToReal(f[4]);
      s.writingTextColour = TextToInt(f[5]);
    }
    r.firstSeen.cn = false;
  }
  r.currentTextSizeKind = v;
  if (sizes) {
    r.currentTextWidth = TextToReal(f[2]);
    r.currentTextHeight = TextToReal(f[3]);
    r.currentTextSpacing = TextToReal(f[4]);
    r.currentTextColour = TextToInt(f[5]);
  }
}

// Rules 12 to 23: attribute lines. True when the line was one of them.
bool AttributeLine(const ExchangeFields& f, std::string_view k, ReadingState& r, DrawingState& s) {
  const int c = f.count();
  if (k.starts_with("lgn")) {
    JoinName(f, 4, s.layerGroupNames[r.current.layerGroup]);
    return true;
  }
  if (k.starts_with("lyn")) {
    JoinName(f, 4, s.layerNames[r.current.layerGroup * 16 + r.current.layer]);
    return true;
  }
  if (k.starts_with("lg")) {
    LayerLine(k, r.firstSeen.lg, s.writing.layerGroup, r.current.layerGroup);
    if (c >= 2) s.layerGroupValues[r.current.layerGroup] = TextToInt(f[2]);
  } else if (k.starts_with("ly")) {
    LayerLine(k, r.firstSeen.ly, s.writing.layer, r.current.layer);
    if (c >= 2) s.layerValues[r.current.layerGroup * 16 + r.current.layer] = TextToInt(f[2]);
  } else if (k.starts_with("lc")) {
    NumberedAttribute(k, r.firstSeen.lc, s.writing.colour, r.current.colour);
    if (r.current.colour == 10 && c >= 2) r.currentRgb = TextToInt(f[2]);
  } else if (k.starts_with("lt")) {
    NumberedAttribute(k, r.firstSeen.lt, s.writing.lineType, r.current.lineType);
  } else if (k.starts_with("lw")) {
    NumberedAttribute(k, r.firstSeen.lw, s.writing.lineWidth, r.current.lineWidth);
    s.lineWidthPresent = true;
  } else if (k.starts_with("cn$")) {
    // A font name holds blanks ("<ＭＳ ゴシック>"), which split the line: the fields are joined
    // again, as for layer names, so that the name is not cut at its first blank.
    JoinName(f, 4, r.currentFontName);
    if (s.writingFontName.empty()) s.writingFontName = r.currentFontName;
  } else if (k.starts_with("cn")) {
    TextSizeLine(f, k, r, s);
  } else if (k.starts_with("cc")) {
    const int32_t v = TextToInt(k.substr(2, 1));
    r.currentTextAnchor = v >= 0 && v <= 8 ? v : 0;
  } else if (k.size() == 2 && k[0] == 'z' && k[1] >= '1' && k[1] <= '5') {
    r.zFlags |= 1 << (k[1] - '1');
    return true;  // marks do not end a polyline run
  } else if (k.starts_with("pn")) {
    r.currentPointColour = TextToInt(From(k, 3));
  } else {
    return false;
  }
  r.inPolyline = false;
  return true;
}

// Rule 27.
void DesignatedPointLine(const ExchangeFields& f, std::string_view k, DrawingState& s) {
  DesignatedPointKind kind = DesignatedPointKind::kPlain;
  std::string_view number = From(k, 3);
  // Looked for in this order, a later match replacing an earlier one.
  static constexpr std::pair<std::string_view, DesignatedPointKind> kSuffixes[] = {
      {"-", DesignatedPointKind::kDash},
      {"ln", DesignatedPointKind::kLn},
      {"ci", DesignatedPointKind::kCi},
      {"ch", DesignatedPointKind::kCh}};
  for (const auto& [suffix, suffixKind] : kSuffixes) {
    const size_t at = k.find(suffix);
    if (at != std::string_view::npos) {
      kind = suffixKind;
      number = k.substr(2, at - 2);
    }
  }
  const int32_t n = TextToInt(number);
  if (n < 1 || n > 99) return;
  DesignatedPoint& p = s.designatedPoints[n];
  p.used = true;
  p.x = TextToReal(f[2]);
  p.y = TextToReal(f[3]);
  p.kind = kind;
}

// Rule 28.
void DesignationNumberLine(std::string_view k, ReadingState& r) {
  size_t m = k.size();
  for (std::string_view suffix : {"ln", "ci", "ch"}) {
    const size_t at = k.find(suffix);
    if (at != std::string_view::npos && at > 3) m = at - 3;
  }
  r.hhpNumber = TextToInt(From(k, 4).substr(0, m));
}

void Dispatch(const ExchangeFields& f, ReadingState& r, DrawingState& s) {
  const int c = f.count();
  const std::string_view k = f[1];
  if (c == 1 && k.empty()) return;
  if (f.keywordRunsOn()) {
    if (k.find("file=") != std::string_view::npos) {
      s.fileText.assign(From(k, 6));
      return;
    }
  }
  // Keywords of different first letters never compete, so the rules are grouped by it; inside a
  // group they keep their order.
  switch (k.empty() ? '\0' : k[0]) {
    case 'h':
      if (HeaderLine(f, k, s)) return;
      if (k.starts_with("hp") && c >= 3) return DesignatedPointLine(f, k, s);
      if (k.starts_with("hhp")) return DesignationNumberLine(k, r);
      break;
    case 'b':
      if (k == "bz") {
        s.paperScaleFlag = true;
        return;
      }
      break;
    case 'l':
    case 'c':
    case 'z':
    case 'p':
      if (AttributeLine(f, k, r, s)) return;
      if (k == "pl") {
        ++r.polylineCounter;
        r.inPolyline = true;
        r.dimensionPending = false;
        return;
      }
      break;
    case 'm':
      if (k == "msg") {
        r.dimensionPending = true;
        r.inPolyline = false;
        return;
      }
      break;
    case '#':
      if (k == "#") {
        r.inPolyline = false;
        r.dimensionPending = false;
        return;
      }
      break;
    default:
      break;
  }
  if (AddKeywordEntity(f.all(), r, s)) return;
  if (c == 4) AddLineOrDimensionLine(f.all(), r, s);
}

}  // namespace

ExchangeReader::ExchangeReader(DrawingState& drawing, EntityRecords records)
    : drawing_(drawing), fields_(std::make_unique<ExchangeFields>()) {
  reading_.keepEntities = records == EntityRecords::kKeep;
}

ExchangeReader::~ExchangeReader() = default;

void ExchangeReader::Line(std::string_view line) {
  fields_->Split(line);
  Dispatch(*fields_, reading_, drawing_);
}

void ExchangeReader::Bytes(std::string_view bytes) {
  LineReader lines(bytes);
  std::string_view line;
  while (lines.Next(line)) Line(line);
}

void ReadExchangeBytes(std::string_view bytes, DrawingState& state) {
  ExchangeReader(state).Bytes(bytes);
}

namespace {

// After every line `afterLine` is called.
template <typename AfterLine>
bool ReadPieces(FileSystem& fs, const std::string& path, DrawingState& state, EntityRecords records,
                AfterLine&& afterLine) {
  // The file comes in pieces, so a selection of many megabytes is never held whole next to its
  // records; a line that runs on into the next piece waits in `carry`.
  ExchangeReader reader(state, records);
  std::string carry;
  const auto parse = [&](std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    reader.Line(line);
    afterLine();
  };
  const bool read = fs.ReadPieces(path, [&](std::string_view piece) {
    if (!carry.empty()) {
      const size_t lf = piece.find('\n');
      if (lf == std::string_view::npos) {
        carry.append(piece);
        return true;
      }
      carry.append(piece.substr(0, lf));
      parse(carry);
      carry.clear();
      piece.remove_prefix(lf + 1);
    }
    const size_t last = piece.rfind('\n');
    if (last == std::string_view::npos) {
      carry.assign(piece);
      return true;
    }
    LineReader lines(piece.substr(0, last + 1));
    std::string_view line;
    while (lines.Next(line)) parse(line);
    carry.assign(piece.substr(last + 1));
    return true;
  });
  // The last line needs no line end; after a read error it is incomplete and left out.
  if (read && !carry.empty()) parse(carry);
  return read;
}

}  // namespace

bool ReadExchangeFile(FileSystem& fs, const std::string& path, DrawingState& state,
                      EntityRecords records) {
  return ReadPieces(fs, path, state, records, [] {});
}

namespace {

// Runs `read` (which reads lines into `state`, calling its argument after each) with the entity
// records handed to `batch` a few thousand at a time and dropped after each call, unless
// `batch` moved them away.
template <typename Read>
void InBatches(DrawingState& state, const std::function<void(SelectedEntities&)>& batch,
               Read&& read) {
  constexpr size_t kBatch = 4 * EntityList<EntityRef>::kBlock;
  read([&] {
    if (state.entities.order.size() < kBatch) return;
    batch(state.entities);
    state.entities = SelectedEntities{};
  });
  if (!state.entities.order.empty()) batch(state.entities);
  state.entities = SelectedEntities{};
}

}  // namespace

bool ReadExchangeFileInBatches(FileSystem& fs, const std::string& path, DrawingState& state,
                               const std::function<void(SelectedEntities&)>& batch) {
  bool read = false;
  InBatches(state, batch, [&](const auto& afterLine) {
    read = ReadPieces(fs, path, state, EntityRecords::kKeep, afterLine);
  });
  return read;
}

void ReadExchangeBytesInBatches(std::string_view bytes, DrawingState& state,
                                const std::function<void(SelectedEntities&)>& batch) {
  InBatches(state, batch, [&](const auto& afterLine) {
    ExchangeReader reader(state);
    LineReader lines(bytes);
    std::string_view line;
    while (lines.Next(line)) {
      reader.Line(line);
      afterLine();
    }
  });
}

}  // namespace gara
