// The output side of JWC_TEMP.TXT: the OutputBuffer, the command cache and one emitter per
// command Jw_cad understands.
#pragma once

#include <cassert>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/drawing_state.h"
#include "exchange/writing_attributes.h"
#include "util/file_system.h"

namespace gara {

// Output records in file order; each record is cut at 255 bytes. A record that ends with a
// double quote is joined with the record after it on one line.
//
// Records are either kept in memory, in byte blocks (tests and anything that looks at them), or,
// after StreamTo, turned into the file image as they come and written through one fixed block,
// so that a run of any size holds no more of its output than that block.
class OutputBuffer {
 public:
  static constexpr size_t kMaxRecord = 255;

  OutputBuffer();
  ~OutputBuffer();
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  void AppendLine(std::string_view text);
  // A line of a keyword and numbers only (no CR or LF to take out, shorter than a record) is
  // built straight where it goes: at LineRoom(), which has room for kLineRoom bytes, then
  // handed over by CommitLine with its length. A line never committed is dropped; nothing else
  // may be appended in between.
  static constexpr size_t kLineRoom = 512;
  char* LineRoom();
  void CommitLine(size_t size) {
    assert(size <= kMaxRecord);
    ++records_;
    if (stream_) return CommitStreamed(size);
    blockUsed_ += size;
    bytes_ += size;
    ends_.push_back(static_cast<uint32_t>(blockUsed_));
  }
  // Records appended so far, kept or streamed.
  uint64_t size() const { return records_; }
  bool empty() const { return records_ == 0; }
  // Bytes of the kept records (line ends not counted).
  uint64_t bytes() const { return bytes_; }
  // The kept records (none while streaming).
  std::string_view operator[](size_t i) const;
  // Calls visit(record) for every kept record in order, without looking each one up.
  template <typename Visit>
  void ForEachRecord(Visit&& visit) const {
    size_t i = 0;
    for (size_t b = 0; b < blocks_.size(); ++b) {
      const size_t end = b + 1 < blocks_.size() ? blockFirst_[b + 1] : ends_.size();
      uint32_t begin = 0;
      for (; i < end; ++i) {
        visit(std::string_view(blocks_[b].get() + begin, ends_[i] - begin));
        begin = ends_[i];
      }
    }
  }
  // Empties the buffer and ends any streaming (without finishing the file).
  void Clear();
  // Streams the file image of the kept records: joined lines, CR LF, "hq" when there is none.
  [[nodiscard]] bool WriteTo(OutputFile& file) const;
  std::string FileImage() const;  // the same bytes in memory (for tests)

  // From now on records go to `file` as they come instead of being kept; the buffer must be
  // empty. The file takes at most `limit` bytes: once the image passes it nothing more is
  // written and overLimit() holds. FinishStream writes what is still pending ("hq" for a run
  // without records) and ends the streaming; false when any write failed or the limit was
  // passed.
  void StreamTo(OutputFile& file, uint64_t limit = UINT64_MAX);
  bool FinishStream();
  // Bytes of the file image so far while streaming, line ends included, written or not; after
  // FinishStream, those of the whole image.
  uint64_t streamedBytes() const;
  // The streamed image passed its limit (checked as each block goes to the file, so a little
  // late): the file is incomplete, and whatever is still appended is dropped. Holds until
  // Clear or the next StreamTo.
  bool overLimit() const { return overLimit_; }

 private:
  // Records fill blocks that never move: growing copies nothing and touches no more memory
  // than the records take, and a 32-bit process needs no contiguous range of output size.
  // No record straddles two blocks; the end of a block a record did not fit in stays unused.
  static constexpr size_t kBlockBytes = size_t{1} << 20;
  void Append(std::string_view record);
  void NewBlock();
  void CommitStreamed(size_t size);

  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<size_t> blockFirst_;  // index of the first record in each block
  size_t blockUsed_ = 0;            // bytes used in the last block
  uint64_t bytes_ = 0;              // bytes of all kept records
  std::vector<uint32_t> ends_;      // end of each record within its block
  uint64_t records_ = 0;
  bool overLimit_ = false;
  uint64_t streamed_ = 0;  // of the last stream, once finished

  class Stream;
  std::unique_ptr<Stream> stream_;  // while streaming
};

// The command cache's rule: an attribute command is written only when it changes what the
// cache holds, and a written command may make another one be written again. The writer keeps
// one for a run; a figure model runs one over the commands of a copy to leave out those that
// can never write. Each Take returns true when the command is written, and then caches it.
class AttributeCache {
 public:
  // After a reset: every command is written the first time.
  AttributeCache() = default;
  // Nothing known, not even the colour value a reset assumes (which makes a colour value that
  // follows a written line colour 10 repeat it): for commands that may follow any others.
  static AttributeCache Unknown();

  bool TakeLayerGroup(int32_t group);
  bool TakeLayer(int32_t layer);
  bool TakeLineColour(int32_t colour);
  bool TakeLineType(int32_t lineType);
  bool TakeLineWidth(int32_t width);
  bool TakeTextSize(int32_t kind, int32_t colour, double width, double height, double spacing);
  bool TakeTextAnchor(int32_t anchor);
  bool TakeFont(std::string_view font);
  bool TakePointColour(int32_t colour);
  bool TakeRgbColour(int32_t rgb);

 private:
  struct Cache {
    WritingAttributes line;  // "lg", "ly", "lc", "lt", "lw"
    int32_t textKind = 1, textColour = 1;
    double textWidth = 2.0, textHeight = 2.0, textSpacing = 0.0;
    int32_t textAnchor = 0;
    std::string font = "<ＭＳ ゴシック>";
    int32_t pointColour = 1, rgb = 0;
    bool rgbKnown = true;
  };
  struct Force {
    bool lg = true, ly = true, lc = true, lt = true, lw = true, cn = true, cc = true, font = true,
         pn = true, lc10 = true;
  };

  Cache cache_;
  Force force_;
};

// Emitters with the command cache. Reads the writing text size, font and line width of the
// drawing state for its corrections.
class CommandWriter {
 public:
  CommandWriter(OutputBuffer& buffer, const DrawingState& state);

  void ResetCommandCache();
  void AppendLine(std::string_view text) { buffer_.AppendLine(text); }

  // Attribute commands.
  void EmitLayerGroup(int32_t group);
  void EmitLayer(int32_t layer);
  void EmitLineColour(int32_t colour);
  void EmitLineType(int32_t lineType);
  void EmitLineWidth(int32_t width);
  void EmitTextSize(int32_t kind, int32_t colour, double width, double height, double spacing);
  // The text size of a text in a copy stretched by `stretch` along its base line: the size the
  // text is drawn at, its character width and spacing times `stretch`, its height kept. As
  // EmitTextSize when `stretch` is 1.
  void EmitStretchedTextSize(int32_t kind, int32_t colour, double width, double height,
                             double spacing, double stretch);
  void EmitTextAnchor(int32_t anchor);
  void EmitFont(std::string_view font);
  void EmitPointColour(int32_t colour);
  void EmitRgbColour(int32_t rgb);

  void EmitEntityMarks(int32_t bits);

  // Entity commands.
  void EmitLine(double x1, double y1, double x2, double y2);
  void EmitPoint(double x, double y);
  void EmitRotatedPoint(int32_t kind, double x, double y, double size, double angleDeg);
  void EmitCircle(double x, double y, double r);
  void EmitArc(double x, double y, double r, double startDeg, double endDeg, double flatness,
               double tiltDeg);
  void EmitText(int32_t type, std::string_view text, double x, double y, double dx, double dy);
  void EmitDimension(std::string_view text, double x1, double y1, double x2, double y2, double tx,
                     double ty, double dx, double dy);
  void EmitSolidLine(double x1, double y1, double x2, double y2);
  void EmitSolidTriangle(double ax, double ay, double bx, double by, double cx, double cy);
  void EmitSolidQuad(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                     double dy);
  void EmitSolidSc(int32_t kind, double x, double y, double r, double flatness, double tilt,
                   double start, double sweep);
  void EmitSolidSe(int32_t kind, double x, double y, double r, double flatness, double tilt,
                   double start, double sweep);
  void EmitSolidSo(double x, double y, double r, double flatness, double tilt, double start,
                   double sweep, double r2);
  void EmitSolidSg(double x, double y, double r, double flatness, double tilt, double start,
                   double sweep, double r2);

  OutputBuffer& buffer() { return buffer_; }

 private:
  struct TextSizeCommand {
    int32_t kind, colour;
    double width, height, spacing;
  };
  // A kind Jw_cad does not have replaced by the writing kind, and for a writing kind of free
  // sizes the writing sizes.
  void CorrectTextSize(TextSizeCommand& size) const;
  void WriteTextSize(const TextSizeCommand& size);

  OutputBuffer& buffer_;
  const DrawingState& state_;
  AttributeCache cache_;
};

// Replaces the exchange file with the buffer's image; on failure no file remains at `path`.
[[nodiscard]] bool WriteOutputFile(FileSystem& fs, const std::string& path,
                                   const OutputBuffer& buffer);
// Replaces the exchange file with the records `produce` appends to `buffer` (empty on entry),
// streamed to the temporary file as they come; the file replaces the old one only once
// complete. `produce` returns false to abandon the file. A file that would be larger than
// `limit` bytes is abandoned too, with buffer.overLimit() set. On failure no file remains at
// `path`.
[[nodiscard]] bool WriteOutputFile(FileSystem& fs, const std::string& path, OutputBuffer& buffer,
                                   const std::function<bool()>& produce,
                                   uint64_t limit = UINT64_MAX);

}  // namespace gara
