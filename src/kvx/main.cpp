// kvx: turns a Jw_cad figure (.jws) or drawing (.jww) into the program's figure file.
//
//   kvx /1 OUTPUT INPUT
//
// On success OUTPUT holds the figure file and the exit code is 0. On any failure no OUTPUT is
// left behind (not even an older one: a stale figure would be taken for this one), one line
// saying why goes to standard error, and the exit code is not 0.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "jws/figure_file.h"
#include "jws/reader.h"
#include "platform/real_file_system.h"
#include "util/file_system.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kConversionError = 1;

int Fail(gara::FileSystem& fs, const std::string& output, const std::string& message) {
  // A stale output would pass for this run's result.
  if (fs.IsFile(output) && !fs.Remove(output)) {
    std::fprintf(stderr, "kvx: cannot remove %s\n", output.c_str());
  }
  std::fprintf(stderr, "kvx: %s\n", message.c_str());
  return kConversionError;
}

int Convert(const std::string& output, const std::string& input) {
  gara::RealFileSystem fs;
  const std::optional<std::string> bytes = fs.ReadFile(input);
  if (!bytes) return Fail(fs, output, input + ": cannot be read");
  const gara::jws::ReadResult read = gara::jws::ReadArchive(*bytes);
  if (!read.ok()) {
    return Fail(
        fs, output,
        input + ": " + read.error.message + " (at byte " + std::to_string(read.error.offset) + ")");
  }
  const gara::jws::FigureFileResult figure = gara::jws::MakeFigureFile(*read.document);
  if (!figure.ok) return Fail(fs, output, input + ": " + figure.error);
  if (!gara::ReplaceFile(fs, output, figure.text, gara::OnWriteFailure::kRemoveOld)) {
    return Fail(fs, output, output + ": cannot be written");
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || std::string_view(argv[1]) != "/1") {
    std::fprintf(stderr, "kvx: usage: kvx /1 OUTPUT INPUT (INPUT a .jws or .jww file)\n");
    return kUsageError;
  }
  return Convert(argv[2], argv[3]);
}
