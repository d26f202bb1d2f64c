#include "exchange/output.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "geom/geometry.h"
#include "util/number_text.h"
#include "util/text.h"

namespace gara {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// The longest prefix of `bytes` that fits a record without splitting a two-byte character: a
// lone lead byte before the line end would swallow the next character when Jw_cad reads it.
size_t RecordLength(std::string_view bytes) {
  if (bytes.size() <= OutputBuffer::kMaxRecord) return bytes.size();
  size_t i = 0;
  while (i < OutputBuffer::kMaxRecord) {
    const size_t n = IsLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
    if (i + n > OutputBuffer::kMaxRecord) break;
    i += n;
  }
  return i;
}

// The file image record by record: a text command and the text behind it share one line; a
// trailing one has no line end. A file without records is the single line "hq".
class ImageLines {
 public:
  template <typename Put>
  void Record(std::string_view record, Put&& put) {
    put(record);
    End(record, put);
  }
  // What follows a record already put.
  template <typename Put>
  void End(std::string_view record, Put&& put) {
    if (!joining_ && !record.empty() && record.back() == '"') {
      joining_ = true;
      return;
    }
    joining_ = false;
    put(kLineEnd);
  }
  template <typename Put>
  static void Empty(Put&& put) {
    put("hq");
    put(kLineEnd);
  }

 private:
  bool joining_ = false;
};

// Calls put() with the pieces of the file image of the kept records in order.
template <typename Put>
void VisitFileImage(const OutputBuffer& buffer, Put&& put) {
  if (buffer.empty()) return ImageLines::Empty(put);
  ImageLines lines;
  buffer.ForEachRecord([&](std::string_view record) { lines.Record(record, put); });
}

// Collects the file image in large blocks so that the file sees few writes: the system's cache
// takes a megabyte at a time for much less than sixteen writes of 64 KiB. The image may take
// `limit` bytes at most: it is checked as a block goes out, so that the check costs nothing per
// line, and from a block past it on nothing more reaches the file.
class BlockWriter {
 public:
  explicit BlockWriter(OutputFile& file, uint64_t limit = UINT64_MAX, bool* over = nullptr)
      : file_(file),
        block_(std::make_unique_for_overwrite<char[]>(kBlockBytes)),
        limit_(limit),
        over_(over) {}
  void Put(std::string_view bytes) {
    if (!ok_) return;
    written_ += bytes.size();
    if (bytes.size() > kBlockBytes - used_) {
      Flush();
      if (bytes.size() > kBlockBytes) {
        if (ok_) ok_ = file_.Write(bytes);
        return;
      }
    }
    std::memcpy(block_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }
  // Room for `size` bytes at the end of the block, to be filled in place and then taken with
  // Advance.
  char* Room(size_t size) {
    if (size > kBlockBytes - used_) Flush();
    return block_.get() + used_;
  }
  void Advance(size_t size) {
    used_ += size;
    written_ += size;
  }
  [[nodiscard]] bool Finish() {
    Flush();
    return ok_;
  }
  uint64_t written() const { return written_; }

 private:
  void Flush() {
    // written_ counts every byte so far, those of this block and any about to follow it: past
    // the limit the file could only end larger, and the block is dropped unwritten.
    if (written_ > limit_) {
      ok_ = false;
      if (over_) *over_ = true;
    }
    if (ok_ && used_ > 0) ok_ = file_.Write(std::string_view(block_.get(), used_));
    used_ = 0;
  }

  static constexpr size_t kBlockBytes = size_t{1} << 20;

  OutputFile& file_;
  std::unique_ptr<char[]> block_;
  size_t used_ = 0;
  uint64_t written_ = 0;
  uint64_t limit_;
  bool* over_;
  bool ok_ = true;
};

// One output line built on the stack. Numbers are written as number texts; a line holding a
// number that is not finite is marked so that entity commands can drop it whole.
class Line {
 public:
  // User-provided so that Line() leaves the buffer as it is: value-initialisation would clear
  // all of it for every command.
  Line() : buffer_(own_) {}
  // Built in place at the end of `out`, for Commit or CommitIfFinite.
  explicit Line(OutputBuffer& out) : buffer_(out.LineRoom()), out_(&out) {}
  Line(const Line&) = delete;
  Line& operator=(const Line&) = delete;
  // Hands a line built in place to its buffer.
  void Commit() const {
    assert(out_ != nullptr);
    out_->CommitLine(used_);
  }
  // The same for an entity command, which is dropped whole when a number is not finite.
  void CommitIfFinite() const {
    if (finite_) Commit();
  }
  Line& Text(std::string_view s) {
    const size_t n = std::min(s.size(), kCapacity - used_);
    std::memcpy(buffer_ + used_, s.data(), n);
    used_ += n;
    return *this;
  }
  Line& Number(double v) {
    finite_ = finite_ && std::isfinite(v);
    if (kCapacity - used_ >= static_cast<size_t>(kNumberTextMax)) {
      used_ = static_cast<size_t>(WriteNumberText(buffer_ + used_, v) - buffer_);
    }
    return *this;
  }
  // The numbers separated by single blanks.
  Line& Numbers(std::initializer_list<double> values) {
    bool first = true;
    for (double v : values) {
      if (!first) Text(" ");
      first = false;
      Number(v);
    }
    return *this;
  }
  Line& Int(int32_t v) { return Digits(v, 10); }
  // Upper-case hexadecimal without leading zeros; a negative value as its 32-bit pattern.
  Line& Hex(int32_t v) {
    const size_t start = used_;
    Digits(static_cast<uint32_t>(v), 16);
    for (size_t i = start; i < used_; ++i) {
      if (buffer_[i] >= 'a' && buffer_[i] <= 'f') buffer_[i] = static_cast<char>(buffer_[i] - 32);
    }
    return *this;
  }
  bool finite() const { return finite_; }
  std::string_view view() const { return {buffer_, used_}; }

 private:
  // Room for a whole record plus the longest numeric line.
  static constexpr size_t kCapacity = OutputBuffer::kLineRoom;

  template <typename T>
  Line& Digits(T v, int base) {
    const auto result = std::to_chars(buffer_ + used_, buffer_ + kCapacity, v, base);
    if (result.ec == std::errc()) used_ = static_cast<size_t>(result.ptr - buffer_);
    return *this;
  }

  char* buffer_;
  OutputBuffer* out_ = nullptr;  // where a line built in place goes
  size_t used_ = 0;
  bool finite_ = true;
  char own_[kCapacity];
};

bool SamePoint(double x1, double y1, double x2, double y2) {
  return std::fabs(x2 - x1) < kEpsilon && std::fabs(y2 - y1) < kEpsilon;
}

// The command cache's rule: true when the command must be written, and then the value is cached
// and the force flag cleared.
template <typename Cached, typename Value>
bool TakeIfChanged(bool& force, Cached& cached, const Value& value) {
  if (!force && value == cached) return false;
  cached = value;
  force = false;
  return true;
}

const char* TextKeyword(int32_t type) {
  static constexpr const char* kKeywords[] = {"ch", "cv", "cs", "cr", "co",
                                              "cp", "ct", "ck", "cz", "c2"};
  return type >= 0 && type <= 9 ? kKeywords[type] : "ch";
}

}  // namespace

class OutputBuffer::Stream {
 public:
  Stream(OutputFile& file, uint64_t limit, bool* over) : writer_(file, limit, over) {}
  void Record(std::string_view record) {
    lines_.Record(record, [this](std::string_view bytes) { writer_.Put(bytes); });
  }
  // The line's bytes and its line end together never need more than this.
  char* Room() { return writer_.Room(kLineRoom + kLineEnd.size()); }
  void Committed(size_t size) {
    const std::string_view record(writer_.Room(0), size);
    writer_.Advance(size);
    lines_.End(record, [this](std::string_view bytes) { writer_.Put(bytes); });
  }
  bool Finish(bool empty) {
    if (empty) ImageLines::Empty([this](std::string_view bytes) { writer_.Put(bytes); });
    return writer_.Finish();
  }
  uint64_t written() const { return writer_.written(); }

 private:
  BlockWriter writer_;
  ImageLines lines_;
};

OutputBuffer::OutputBuffer() = default;
OutputBuffer::~OutputBuffer() = default;

void OutputBuffer::StreamTo(OutputFile& file, uint64_t limit) {
  Clear();
  stream_ = std::make_unique<Stream>(file, limit, &overLimit_);
}

bool OutputBuffer::FinishStream() {
  if (!stream_) return false;
  const bool ok = stream_->Finish(empty());
  streamed_ = stream_->written();
  stream_.reset();
  return ok;
}

uint64_t OutputBuffer::streamedBytes() const { return stream_ ? stream_->written() : streamed_; }

void OutputBuffer::NewBlock() {
  blocks_.push_back(std::make_unique_for_overwrite<char[]>(kBlockBytes));
  blockFirst_.push_back(ends_.size());
  blockUsed_ = 0;
}

char* OutputBuffer::LineRoom() {
  if (stream_) return stream_->Room();
  if (blocks_.empty() || blockUsed_ + kLineRoom > kBlockBytes) NewBlock();
  return blocks_.back().get() + blockUsed_;
}

void OutputBuffer::CommitStreamed(size_t size) { stream_->Committed(size); }

void OutputBuffer::Append(std::string_view record) {
  ++records_;
  if (stream_) {
    stream_->Record(record);
    return;
  }
  if (blocks_.empty() || blockUsed_ + record.size() > kBlockBytes) NewBlock();
  if (!record.empty()) std::memcpy(blocks_.back().get() + blockUsed_, record.data(), record.size());
  blockUsed_ += record.size();
  bytes_ += record.size();
  ends_.push_back(static_cast<uint32_t>(blockUsed_));
}

void OutputBuffer::AppendLine(std::string_view text) {
  // A CR or LF byte inside a record would break it into two lines of the file, and the second
  // would be read as a command of its own; no trail byte of a two-byte character is CR or LF.
  if (text.empty() || (text.size() <= kMaxRecord && !std::memchr(text.data(), '\n', text.size()) &&
                       !std::memchr(text.data(), '\r', text.size()))) {
    Append(text);  // the common case: a command line as the writer built it
    return;
  }
  char record[kMaxRecord + 1];
  size_t n = 0;
  for (size_t i = 0; i < text.size() && n <= kMaxRecord; ++i) {
    if (text[i] != '\r' && text[i] != '\n') record[n++] = text[i];
  }
  Append(std::string_view(record, RecordLength(std::string_view(record, n))));
}

std::string_view OutputBuffer::operator[](size_t i) const {
  // The last block whose first record is at or before i.
  const size_t block =
      static_cast<size_t>(std::upper_bound(blockFirst_.begin(), blockFirst_.end(), i) -
                          blockFirst_.begin()) -
      1;
  const uint32_t begin = blockFirst_[block] == i ? 0 : ends_[i - 1];
  return {blocks_[block].get() + begin, ends_[i] - begin};
}

void OutputBuffer::Clear() {
  blocks_.clear();
  blockFirst_.clear();
  blockUsed_ = 0;
  bytes_ = 0;
  ends_.clear();
  records_ = 0;
  overLimit_ = false;
  streamed_ = 0;
  stream_.reset();
}

bool OutputBuffer::WriteTo(OutputFile& file) const {
  BlockWriter writer(file);
  VisitFileImage(*this, [&writer](std::string_view bytes) { writer.Put(bytes); });
  return writer.Finish();
}

std::string OutputBuffer::FileImage() const {
  std::string image;
  image.reserve(bytes_ + 2 * ends_.size() + 4);
  VisitFileImage(*this, [&image](std::string_view bytes) { image.append(bytes); });
  return image;
}

CommandWriter::CommandWriter(OutputBuffer& buffer, const DrawingState& state)
    : buffer_(buffer), state_(state) {}

AttributeCache AttributeCache::Unknown() {
  AttributeCache cache;
  cache.cache_.rgbKnown = false;
  return cache;
}

bool AttributeCache::TakeLayerGroup(int32_t group) {
  if (!TakeIfChanged(force_.lg, cache_.line.layerGroup, group)) return false;
  // A layer belongs to its layer group: after a group command the layer is written again.
  force_.ly = true;
  return true;
}

bool AttributeCache::TakeLayer(int32_t layer) {
  return TakeIfChanged(force_.ly, cache_.line.layer, layer);
}

bool AttributeCache::TakeLineColour(int32_t colour) {
  if (!TakeIfChanged(force_.lc, cache_.line.colour, colour)) return false;
  force_.lc10 = false;
  return true;
}

bool AttributeCache::TakeLineType(int32_t lineType) {
  return TakeIfChanged(force_.lt, cache_.line.lineType, lineType);
}

bool AttributeCache::TakeLineWidth(int32_t width) {
  return TakeIfChanged(force_.lw, cache_.line.lineWidth, width);
}

bool AttributeCache::TakeTextSize(int32_t kind, int32_t colour, double width, double height,
                                  double spacing) {
  const bool freeSizeChanged =
      kind == 0 && (width != cache_.textWidth || height != cache_.textHeight ||
                    spacing != cache_.textSpacing || colour != cache_.textColour);
  if (!force_.cn && kind == cache_.textKind && !freeSizeChanged) return false;
  if (kind == 0) {
    cache_.textWidth = width;
    cache_.textHeight = height;
    cache_.textSpacing = spacing;
    cache_.textColour = colour;
  }
  cache_.textKind = kind;
  force_.cn = false;
  return true;
}

bool AttributeCache::TakeTextAnchor(int32_t anchor) {
  return TakeIfChanged(force_.cc, cache_.textAnchor, anchor);
}

bool AttributeCache::TakeFont(std::string_view font) {
  return TakeIfChanged(force_.font, cache_.font, font);
}

bool AttributeCache::TakePointColour(int32_t colour) {
  return TakeIfChanged(force_.pn, cache_.pointColour, colour);
}

bool AttributeCache::TakeRgbColour(int32_t rgb) {
  if (!force_.lc && cache_.line.colour == 10 && !force_.lc10 && cache_.rgbKnown &&
      rgb == cache_.rgb) {
    return false;
  }
  cache_.rgb = rgb;
  cache_.rgbKnown = true;
  cache_.line.colour = 10;
  force_.lc10 = false;
  force_.lc = false;
  return true;
}

void CommandWriter::ResetCommandCache() { cache_ = AttributeCache{}; }

void CommandWriter::EmitLayerGroup(int32_t group) {
  if (!cache_.TakeLayerGroup(group)) return;
  Line(buffer_).Text("lg").Hex(group).Commit();
}

void CommandWriter::EmitLayer(int32_t layer) {
  if (!cache_.TakeLayer(layer)) return;
  Line(buffer_).Text("ly").Hex(layer).Commit();
}

void CommandWriter::EmitLineColour(int32_t colour) {
  if (!cache_.TakeLineColour(colour)) return;
  Line(buffer_).Text("lc").Int(colour).Commit();
}

void CommandWriter::EmitLineType(int32_t lineType) {
  if (!cache_.TakeLineType(lineType)) return;
  Line(buffer_).Text("lt").Int(lineType).Commit();
}

void CommandWriter::EmitLineWidth(int32_t width) {
  if (!state_.lineWidthPresent) return;
  if (width == -1) width = state_.writing.lineWidth;
  if (width < 0 || width > 30000) width = 0;
  if (!cache_.TakeLineWidth(width)) return;
  Line(buffer_).Text("lw").Int(width).Commit();
}

void CommandWriter::EmitTextSize(int32_t kind, int32_t colour, double width, double height,
                                 double spacing) {
  TextSizeCommand size{kind, colour, width, height, spacing};
  CorrectTextSize(size);
  WriteTextSize(size);
}

void CommandWriter::EmitStretchedTextSize(int32_t kind, int32_t colour, double width, double height,
                                          double spacing, double stretch) {
  if (stretch == 1) return EmitTextSize(kind, colour, width, height, spacing);
  TextSizeCommand size{kind, colour, width, height, spacing};
  CorrectTextSize(size);
  // Jw_cad draws a kind of its size table at the table's sizes whatever the copy: the copy's
  // text is written with those sizes as free ones, its characters and spacing stretched.
  if (size.kind != 0) {
    const TextSize& entry = state_.textSizeTable[static_cast<size_t>(size.kind)];
    size = {0, entry.colour, entry.width, entry.height, entry.spacing};
  }
  size.width *= stretch;
  size.spacing *= stretch;
  WriteTextSize(size);
}

void CommandWriter::CorrectTextSize(TextSizeCommand& size) const {
  if (size.kind >= 0 && size.kind <= 10) return;
  size.kind = state_.writingTextSizeKind;
  // The writing kind comes from the input file unchecked; "cn" with a kind Jw_cad does not
  // have would be a broken command.
  if (size.kind < 0 || size.kind > 10) size.kind = 1;
  if (size.kind == 0) {
    size.width = state_.writingTextWidth;
    size.height = state_.writingTextHeight;
    size.spacing = state_.writingTextSpacing;
    size.colour = state_.writingTextColour;
  }
}

void CommandWriter::WriteTextSize(const TextSizeCommand& size) {
  if (!cache_.TakeTextSize(size.kind, size.colour, size.width, size.height, size.spacing)) return;
  Line line(buffer_);
  line.Text("cn").Int(size.kind);
  if (size.kind == 0) {
    line.Text(" ").Numbers({size.width, size.height, size.spacing}).Text(" ").Int(size.colour);
  }
  line.Commit();
}

void CommandWriter::EmitTextAnchor(int32_t anchor) {
  if (anchor < 0 || anchor > 8) anchor = 0;
  if (!cache_.TakeTextAnchor(anchor)) return;
  Line(buffer_).Text("cc").Int(anchor).Commit();
}

void CommandWriter::EmitFont(std::string_view font) {
  if (font.empty() || font == "<>") font = state_.writingFontName;
  if (!cache_.TakeFont(font)) return;
  AppendLine(Line().Text("cn\"$").Text(font).view());
}

void CommandWriter::EmitPointColour(int32_t colour) {
  if (!cache_.TakePointColour(colour)) return;
  Line(buffer_).Text("pn").Int(colour).Commit();
}

void CommandWriter::EmitRgbColour(int32_t rgb) {
  if (rgb < 0 || rgb > 0xFFFFFF) rgb = 0;
  if (!cache_.TakeRgbColour(rgb)) return;
  Line(buffer_).Text("lc10 ").Int(rgb).Commit();
}

void CommandWriter::EmitEntityMarks(int32_t bits) {
  if (bits & 1) AppendLine("z1");
  if (bits & 2) AppendLine("z2");
  if (bits & 4) AppendLine("z3");
  if ((bits & 8) && !(bits & 16)) AppendLine("z4");
  if (bits & 16) AppendLine("z5");
}

// Entity commands: a line holding a number that is not finite is dropped whole, since Jw_cad
// would draw it at a position the figure never had.

void CommandWriter::EmitLine(double x1, double y1, double x2, double y2) {
  if (SamePoint(x1, y1, x2, y2)) return;
  Line(buffer_).Numbers({x1, y1, x2, y2}).CommitIfFinite();
}

void CommandWriter::EmitPoint(double x, double y) {
  Line(buffer_).Text("pt ").Numbers({x, y}).CommitIfFinite();
}

void CommandWriter::EmitRotatedPoint(int32_t kind, double x, double y, double size,
                                     double angleDeg) {
  if (kind < -7 || kind > 11) kind = -3;
  if (std::fabs(size) <= kEpsilon) size = 1;
  Line(buffer_).Text("pt ").Numbers({x, y, size, angleDeg}).Text(" ").Int(kind).CommitIfFinite();
}

void CommandWriter::EmitCircle(double x, double y, double r) {
  if (r <= kEpsilon) return;
  Line(buffer_).Text("ci ").Numbers({x, y, r}).CommitIfFinite();
}

void CommandWriter::EmitArc(double x, double y, double r, double startDeg, double endDeg,
                            double flatness, double tiltDeg) {
  if (r <= kEpsilon || std::fabs(flatness) <= kEpsilon) return;
  Line(buffer_)
      .Text("ci ")
      .Numbers({x, y, r, startDeg, endDeg, flatness, tiltDeg})
      .CommitIfFinite();
}

void CommandWriter::EmitText(int32_t type, std::string_view text, double x, double y, double dx,
                             double dy) {
  if ((std::fabs(dx) <= kEpsilon && std::fabs(dy) <= kEpsilon) || IsBlankText(text)) return;
  Line line(buffer_);
  line.Text(TextKeyword(type)).Text(" ").Numbers({x, y, dx, dy}).Text(" \"");
  if (!line.finite()) return;
  line.Commit();
  AppendLine(text);
}

void CommandWriter::EmitDimension(std::string_view text, double x1, double y1, double x2, double y2,
                                  double tx, double ty, double dx, double dy) {
  if (SamePoint(x1, y1, x2, y2)) return;
  if (std::fabs(dx) <= kEpsilon && std::fabs(dy) <= kEpsilon) return;
  Line measured;
  measured.Numbers({x1, y1, x2, y2});
  Line value;
  value.Text("cs ").Numbers({tx, ty, dx, dy}).Text(" \"");
  if (!measured.finite() || !value.finite()) return;
  Line distance;
  if (IsBlankText(text)) {
    // The measured length rounded half up to 8 decimals.
    const double d = QuantizeE8(Distance(x1, y1, x2, y2));
    distance.Number(d);
    if (!distance.finite()) return;
    text = distance.view();
  }
  AppendLine("msg");
  AppendLine(measured.view());
  AppendLine(value.view());
  AppendLine(text);
}

void CommandWriter::EmitSolidLine(double x1, double y1, double x2, double y2) {
  if (SamePoint(x1, y1, x2, y2)) return;
  Line(buffer_).Text("sl ").Numbers({x1, y1, x2, y2}).CommitIfFinite();
}

void CommandWriter::EmitSolidTriangle(double ax, double ay, double bx, double by, double cx,
                                      double cy) {
  if (SamePoint(ax, ay, bx, by) || SamePoint(ax, ay, cx, cy) || SamePoint(bx, by, cx, cy)) return;
  Line(buffer_).Text("sl ").Numbers({ax, ay, bx, by, cx, cy}).CommitIfFinite();
}

void CommandWriter::EmitSolidQuad(double ax, double ay, double bx, double by, double cx, double cy,
                                  double dx, double dy) {
  // A quadrilateral with coinciding corners is drawn as the triangle that remains, or not at
  // all when it has collapsed to a line; the tests run in this order and the first one decides.
  if (SamePoint(ax, ay, bx, by)) return EmitSolidTriangle(ax, ay, cx, cy, dx, dy);
  if (SamePoint(cx, cy, ax, ay)) return;
  if (SamePoint(dx, dy, ax, ay)) return EmitSolidTriangle(ax, ay, bx, by, cx, cy);
  if (SamePoint(cx, cy, bx, by)) return EmitSolidTriangle(ax, ay, bx, by, dx, dy);
  if (SamePoint(dx, dy, bx, by)) return;
  if (SamePoint(dx, dy, cx, cy)) return EmitSolidTriangle(ax, ay, bx, by, cx, cy);
  Line(buffer_).Text("sl ").Numbers({ax, ay, bx, by, cx, cy, dx, dy}).CommitIfFinite();
}

void CommandWriter::EmitSolidSc(int32_t kind, double x, double y, double r, double flatness,
                                double tilt, double start, double sweep) {
  if (r <= kEpsilon || std::fabs(flatness) <= kEpsilon) return;
  if (kind != 0 && kind != 5 && kind != 100 && kind != -1) return;
  Line(buffer_)
      .Text("sc ")
      .Numbers({x, y, r, flatness, tilt, start, sweep})
      .Text(" ")
      .Int(kind)
      .CommitIfFinite();
}

void CommandWriter::EmitSolidSe(int32_t kind, double x, double y, double r, double flatness,
                                double tilt, double start, double sweep) {
  if (r <= kEpsilon || std::fabs(flatness) <= kEpsilon) return;
  if (kind != 0 && kind != 100) return;
  Line(buffer_)
      .Text("se ")
      .Numbers({x, y, r, flatness, tilt, start, sweep})
      .Text(" ")
      .Int(kind)
      .CommitIfFinite();
}

namespace {

bool IsDrawableRing(double r, double flatness, double r2) {
  return r > kEpsilon && r2 > kEpsilon && r2 < r - kEpsilon && std::fabs(flatness) > kEpsilon;
}

}  // namespace

void CommandWriter::EmitSolidSo(double x, double y, double r, double flatness, double tilt,
                                double start, double sweep, double r2) {
  if (!IsDrawableRing(r, flatness, r2)) return;
  Line(buffer_).Text("so ").Numbers({x, y, r, flatness, tilt, start, sweep, r2}).CommitIfFinite();
}

void CommandWriter::EmitSolidSg(double x, double y, double r, double flatness, double tilt,
                                double start, double sweep, double r2) {
  if (!IsDrawableRing(r, flatness, r2)) return;
  Line(buffer_).Text("sg ").Numbers({x, y, r, flatness, tilt, start, sweep, r2}).CommitIfFinite();
}

bool WriteOutputFile(FileSystem& fs, const std::string& path, const OutputBuffer& buffer) {
  return ReplaceFile(
      fs, path, [&buffer](OutputFile& file) { return buffer.WriteTo(file); },
      OnWriteFailure::kRemoveOld);
}

bool WriteOutputFile(FileSystem& fs, const std::string& path, OutputBuffer& buffer,
                     const std::function<bool()>& produce, uint64_t limit) {
  return ReplaceFile(
      fs, path,
      [&](OutputFile& file) {
        buffer.StreamTo(file, limit);
        const bool produced = produce();
        // Finished even when abandoned, so that the buffer never outlives the file it points to.
        return buffer.FinishStream() && produced;
      },
      OnWriteFailure::kRemoveOld);
}

}  // namespace gara
