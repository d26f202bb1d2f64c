// kvx: turns a Jw_cad figure (.jws) or drawing (.jww) into the program's figure file.
//
//   kvx /1 OUTPUT INPUT
//   kvx --version
//
// On success OUTPUT holds the figure file and the exit code is 0. On any failure no OUTPUT is
// left behind (not even an older one: a stale figure would be taken for this one), one line
// saying why goes to standard error, and the exit code is not 0. Running out of memory is such a
// failure too. An OUTPUT that is the INPUT itself (the same path, or a link to it) is refused
// and left as it is. Back-references of the input (one object named again) may repeat at most
// 64 MB of figure-file text in all; a file that asks for more is refused.
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "jws/figure_file.h"
#include "jws/reader.h"
#include "platform/real_file_system.h"
#include "platform/same_file.h"
#include "util/file_system.h"
#include "util/version.h"

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

int Convert(gara::FileSystem& fs, const std::string& output, const std::string& input) {
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
  if (gara::AsksForVersion(argc, argv)) {
    std::fputs(gara::VersionLine("kvx").c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : kConversionError;
  }
  if (argc != 4 || std::string_view(argv[1]) != "/1") {
    std::fprintf(stderr, "kvx: usage: kvx /1 OUTPUT INPUT (INPUT a .jws or .jww file)\n");
    return kUsageError;
  }
  const std::string output = argv[2];
  const std::string input = argv[3];
  if (gara::IsSameFile(output, input)) {
    // Writing the figure file there would destroy the drawing it is made from.
    std::fprintf(stderr, "kvx: %s: OUTPUT is the INPUT file itself\n", output.c_str());
    return kConversionError;
  }
  gara::RealFileSystem fs;
  try {
    return Convert(fs, output, input);
  } catch (const std::bad_alloc&) {
    return Fail(fs, output, input + ": not enough memory");
  }
}
