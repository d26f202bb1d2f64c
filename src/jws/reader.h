// Reads a Jw_cad drawing (.jww) or figure (.jws) archive: the header, the entity list, the
// block-definition list with the definitions' own lists, and (drawings of data version 700 and
// later) the embedded images. Every byte is untrusted: any flaw ends the reading with an error
// that says what and where, and nothing is allocated beyond what the remaining bytes can hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "jws/document.h"

namespace gara::jws {

struct ReadError {
  std::string message;  // one line, no file name
  size_t offset = 0;    // where in the file the flaw was found
};

struct ReadResult {
  std::optional<Document> document;  // set on success
  ReadError error;                   // set on failure
  bool ok() const { return document.has_value(); }
};

// Back-references (an object written once and named again by its number) may repeat at most
// this many bytes of the figure file in all, each repeated entity counted as its texts plus
// kRepeatedRecordBytes per record line. Jw_cad never writes a back-reference; the bound keeps
// a few bytes of file from asking for gigabytes of output.
inline constexpr uint64_t kMaxRepeatedBytes = uint64_t{64} << 20;
inline constexpr uint64_t kRepeatedRecordBytes = 128;

// The file kind follows from the signature ("JwwData." or "JwsData."). An unknown class name is
// an error, not the end of the list: bodies carry no length, so nothing after it can be read,
// and a figure silently cut short would be worse than none.
ReadResult ReadArchive(std::string_view bytes);

}  // namespace gara::jws
