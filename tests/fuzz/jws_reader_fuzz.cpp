// libFuzzer target: any bytes through the archive reader and, when they read, the figure-file
// mapping. Built and run by the fuzz preset.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "jws/figure_file.h"
#include "jws/reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const gara::jws::ReadResult read = gara::jws::ReadArchive(bytes);
  if (read.ok()) {
    const gara::jws::FigureFileResult figure = gara::jws::MakeFigureFile(*read.document);
    // A failed mapping leaves nothing to write.
    if (!figure.ok && !figure.text.empty()) __builtin_trap();
  }
  return 0;
}
