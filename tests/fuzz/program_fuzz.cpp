// libFuzzer target: the whole program in run modes 1 to 4, in memory. One input holds
// JWC_TEMP.TXT, garanarabe.dat, the figure file and garanarabe.ini, split at the first three NUL
// bytes (the figure file serves as sel.txt, jws.txt and alt.txt, so "alternate=alt.txt" names a
// figure that is there; without a third NUL there is no garanarabe.ini). Built and run by the
// fuzz preset.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/main_flow.h"
#include "fuzz/output_checks.h"
#include "support/memory_file_system.h"

namespace {

// The next part of `rest` up to a NUL (or the end), taken off `rest`.
std::string_view TakePart(std::string_view& rest) {
  const size_t end = rest.find('\0');
  const std::string_view part = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string_view rest = input;
  const std::string_view exchange = TakePart(rest);
  const std::string_view settings = TakePart(rest);
  const bool hasDetails = rest.find('\0') != std::string_view::npos;
  const std::string_view figure = TakePart(rest);
  const std::optional<std::string_view> details =
      hasDetails ? std::optional<std::string_view>(rest) : std::nullopt;
  for (const gara::RunMode mode : {gara::RunMode::kTwoPoint, gara::RunMode::kMultiPoint,
                                   gara::RunMode::kRegister, gara::RunMode::kPath}) {
    gara::testing::MemoryFileSystem fs;
    const gara::ProgramPaths paths{"", "garanarabe.dat"};
    fs.files[paths.ExchangeFile()] = exchange;
    fs.files[paths.settingsPath] = settings;
    fs.files["sel.txt"] = figure;
    fs.files["jws.txt"] = figure;
    fs.files["alt.txt"] = figure;
    if (details) fs.files[paths.RowDetailsPath()] = *details;
    // A size limit far below a real run's keeps each input (and the checks of its output) fast;
    // the refusal path is the same.
    gara::RunWindowless(mode, gara::RunEnvironment{fs, paths, 2e6});
    // No run writes the details, nor makes them.
    const auto kept = fs.files.find(paths.RowDetailsPath());
    if ((kept != fs.files.end()) != details.has_value()) __builtin_trap();
    if (details && kept->second != *details) __builtin_trap();
    for (const auto& [path, bytes] : fs.files) {
      // A drawing places up to a million copies of the figure by design, so its size follows
      // the layout, not the input; the run's own limits bound it.
      if (path == paths.ExchangeFile() && mode != gara::RunMode::kRegister) {
        gara::fuzz::CheckFinite(bytes, input);
      } else {
        gara::fuzz::CheckOutput(bytes, input);
      }
    }
  }
  return 0;
}
