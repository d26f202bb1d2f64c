// The input side of JWC_TEMP.TXT: header and attribute lines, designated points, entity lines.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "exchange/drawing_state.h"
#include "exchange/reading_state.h"
#include "util/file_system.h"

namespace gara {

enum class EntityRecords : bool { kSkip, kKeep };

class ExchangeFields;

// Reads lines, in file order, into one drawing state; what matters only while reading stays here.
class ExchangeReader {
 public:
  explicit ExchangeReader(DrawingState& drawing, EntityRecords records = EntityRecords::kKeep);
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
// missing, not a regular file, or unreadable; then `state` is unchanged. With kSkip the
// selected entities take no memory: `state.entities` stays empty.
bool ReadExchangeFile(FileSystem& fs, const std::string& path, DrawingState& state,
                      EntityRecords records = EntityRecords::kKeep);
// Reads the file into `state` like ReadExchangeFile, handing the entity records to `batch` a few
// thousand at a time, in file order, and dropping them after each call unless `batch` moved
// them away: a large selection is never held whole.
bool ReadExchangeFileInBatches(FileSystem& fs, const std::string& path, DrawingState& state,
                               const std::function<void(SelectedEntities&)>& batch);
// Every line of `bytes`, in order.
void ReadExchangeBytes(std::string_view bytes, DrawingState& state);
// Every line of `bytes`, with the entity records handed to `batch` as ReadExchangeFileInBatches
// does.
void ReadExchangeBytesInBatches(std::string_view bytes, DrawingState& state,
                                const std::function<void(SelectedEntities&)>& batch);

}  // namespace gara
