// The input side of JWC_TEMP.TXT: header and attribute lines, designated points, entity lines.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "exchange/drawing_state.h"
#include "exchange/reading_state.h"
#include "util/file_system.h"

namespace gara {

class ExchangeFields;

// Reads lines, in file order, into one drawing state; what matters only while reading stays here.
class ExchangeReader {
 public:
  explicit ExchangeReader(DrawingState& drawing);
  ~ExchangeReader();
  ExchangeReader(const ExchangeReader&) = delete;
  ExchangeReader& operator=(const ExchangeReader&) = delete;

  // One line without its line end.
  void Line(std::string_view line);
  // Every line of `bytes`, in order.
  void Bytes(std::string_view bytes);

  const ReadingState& reading() const { return reading_; }

 private:
  DrawingState& drawing_;
  ReadingState reading_;
  std::unique_ptr<ExchangeFields> fields_;  // reused from line to line
};

// Reads the whole file into `state` (which the caller has reset). False when the file is
// missing, not a regular file, or unreadable; then `state` is unchanged.
bool ReadExchangeFile(FileSystem& fs, const std::string& path, DrawingState& state);
// Every line of `bytes`, in order.
void ReadExchangeBytes(std::string_view bytes, DrawingState& state);

}  // namespace gara
