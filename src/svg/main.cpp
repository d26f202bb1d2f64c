// garanarabe-svg: draws an exchange file or a figure file as SVG.
//
//   garanarabe-svg INPUT [-o OUTPUT.svg] [--points FROM]
//   garanarabe-svg --settings garanarabe.dat --row N [-o OUTPUT.svg]
//   garanarabe-svg --version
//
// INPUT is an exchange file (JWC_TEMP.TXT) or a figure file (sel.txt, jws.txt), told apart by
// its content. --points FROM draws the designated points of the exchange file FROM under the
// picture. The second form draws the preview of pattern row N (1..12) of the settings file, as
// the settings dialog shows it: the figure files, the row details (garanarabe.ini) and
// JWC_TEMP.TXT beside the settings file are read as the program reads them. Without -o the SVG goes
// to standard output. Exit codes: 0 done, 1 a file could not be read or written, 2 a usage error.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "app/program_paths.h"
#include "exchange/exchange_reader.h"
#include "platform/real_file_system.h"
#include "scene/preview.h"
#include "settings/row_details.h"
#include "settings/settings.h"
#include "svg/svg_render.h"
#include "util/file_system.h"
#include "util/version.h"

namespace {

constexpr int kFileError = 1;
constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "usage: garanarabe-svg INPUT [-o OUTPUT.svg] [--points FROM]\n"
    "       garanarabe-svg --settings garanarabe.dat --row N [-o OUTPUT.svg]\n"
    "       garanarabe-svg --version\n";

int Usage(const std::string& why) {
  std::fprintf(stderr, "garanarabe-svg: %s\n%s", why.c_str(), kUsage);
  return kUsageError;
}

struct Arguments {
  std::optional<std::string> input, output, points, settings, row;
};

std::optional<int32_t> RowNumber(std::string_view text) {
  int32_t row = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), row);
  if (ec != std::errc() || end != text.data() + text.size() || row < 1 ||
      row > gara::kPatternRows) {
    return std::nullopt;
  }
  return row;
}

// An empty optional with a message in `error` when the command line is not usable.
std::optional<Arguments> Parse(int argc, char** argv, std::string& error) {
  Arguments args;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    std::optional<std::string>* target = nullptr;
    if (arg == "-o") {
      target = &args.output;
    } else if (arg == "--points") {
      target = &args.points;
    } else if (arg == "--settings") {
      target = &args.settings;
    } else if (arg == "--row") {
      target = &args.row;
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + std::string(arg);
      return std::nullopt;
    } else {
      if (args.input) {
        error = "more than one input file";
        return std::nullopt;
      }
      args.input = std::string(arg);
      continue;
    }
    if (i + 1 >= argc) {
      error = std::string(arg) + (target == &args.row ? " needs a number" : " needs a file name");
      return std::nullopt;
    }
    if (*target) {
      error = std::string(arg) + " given twice";
      return std::nullopt;
    }
    *target = std::string(argv[++i]);
  }
  if (args.settings || args.row) {
    if (!args.settings || !args.row) {
      error = "--settings and --row go together";
    } else if (args.input || args.points) {
      error = "--settings takes no input file and no --points";
    } else if (!RowNumber(*args.row)) {
      error = "--row needs a number from 1 to 12";
    } else {
      return args;
    }
    return std::nullopt;
  }
  if (!args.input) {
    error = "no input file";
    return std::nullopt;
  }
  return args;
}

// Writes the picture that `write` hands to its sink to OUTPUT or standard output. A picture
// that failed for want of its input (`inputLost`) says so itself: the output is not to blame.
using Picture = std::function<bool(const gara::svg::SvgSink&)>;
int Write(
    const Picture& write, const Arguments& args, gara::FileSystem& fs,
    const std::function<bool()>& inputLost = [] { return false; }) {
  if (args.output) {
    const bool written = gara::ReplaceFile(
        fs, *args.output,
        [&write](gara::OutputFile& file) {
          return write([&file](std::string_view piece) { return file.Write(piece); });
        },
        gara::OnWriteFailure::kRemoveOld);
    if (!written) {
      if (!inputLost()) {
        std::fprintf(stderr, "garanarabe-svg: %s: cannot be written\n", args.output->c_str());
      }
      return kFileError;
    }
    return 0;
  }
#ifdef _WIN32
  // The SVG's line ends stay LF, as on every other system.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  const bool written = write([](std::string_view piece) {
    return std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size();
  });
  if (!written || std::fflush(stdout) != 0) {
    if (!inputLost()) std::fprintf(stderr, "garanarabe-svg: standard output cannot be written\n");
    return kFileError;
  }
  return 0;
}

int RunFile(const Arguments& args, gara::FileSystem& fs) {
  // The picture is made as it is written, from the input read in batches from the disk again
  // for each pass: memory stays bounded whatever the size of the file or of the picture.
  gara::svg::FilePicture picture(fs, *args.input, args.points ? &*args.points : nullptr);
  std::string unreadable;
  if (!picture.Measure(unreadable)) {
    std::fprintf(stderr, "garanarabe-svg: %s: cannot be read\n", unreadable.c_str());
    return kFileError;
  }
  const int written =
      Write([&picture](const gara::svg::SvgSink& sink) { return picture.Write(sink); }, args, fs,
            [&picture] { return picture.inputLost(); });
  if (picture.inputLost()) {
    std::fprintf(stderr, "garanarabe-svg: %s: could not be read again\n", args.input->c_str());
    return kFileError;
  }
  return written;
}

// The preview of a row, as the settings dialog shows it with this settings file.
int RunPreview(const Arguments& args, gara::FileSystem& fs) {
  const std::optional<std::string> bytes = fs.ReadFile(*args.settings);
  if (!bytes) {
    std::fprintf(stderr, "garanarabe-svg: %s: cannot be read\n", args.settings->c_str());
    return kFileError;
  }
  const gara::Settings settings = gara::ParseSettings(*bytes);
  gara::ProgramPaths paths;
  paths.programDir = gara::DirectoryPart(*args.settings, gara::kPathSeparators);
  paths.settingsPath = *args.settings;
  // The writing attributes of the drawing the program was started from, when there is one.
  gara::DrawingState exchange;
  static_cast<void>(
      gara::ReadExchangeFile(fs, paths.ExchangeFile(), exchange, gara::EntityRecords::kSkip));
  // The row's details: the figures besides its own that may be followed.
  const int32_t row = *RowNumber(*args.row);
  const gara::LoadedRowDetails details = gara::LoadRowDetails(fs, paths.RowDetailsPath());
  if (details.unreadable) {
    std::fprintf(stderr, "garanarabe-svg: %s: cannot be read\n", paths.RowDetailsPath().c_str());
    return kFileError;
  }
  std::vector<gara::RefusedFigure> refused;
  const gara::RowExtras extras =
      gara::CheckedRowExtras(details.details, row, fs, paths.programDir, &refused);
  for (const gara::RefusedFigure& figure : refused) {
    std::fprintf(stderr, "garanarabe-svg: %s: [%d] %.*s=%s is not a file beside it\n",
                 paths.RowDetailsPath().c_str(), row, static_cast<int>(figure.key.size()),
                 figure.key.data(), figure.value.c_str());
  }
  const gara::scene::Preview preview = gara::scene::BuildPreview(
      {settings, row, gara::MakeRunContext(exchange, settings), fs, paths.programDir, extras});
  return Write(
      [&](const gara::svg::SvgSink& sink) { return gara::svg::WriteSvg(preview.drawing, sink); },
      args, fs);
}

int Run(const Arguments& args) {
  gara::RealFileSystem fs;
  return args.settings ? RunPreview(args, fs) : RunFile(args, fs);
}

int Main(int argc, char** argv) {
  if (argc == 2 && (std::string_view(argv[1]) == "-h" || std::string_view(argv[1]) == "--help")) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && gara::AsksForVersion(argc, argv)) {
    std::fputs(gara::VersionLine("garanarabe-svg").c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : kFileError;
  }
  std::string error;
  const std::optional<Arguments> args = Parse(argc, argv, error);
  if (!args) return Usage(error);
  return Run(*args);
}

}  // namespace

int main(int argc, char** argv) {
  // Nothing escapes as a runtime error: out of memory is a failure like an unreadable file, and
  // the temporary file of an OUTPUT being written does not survive it.
  try {
    return Main(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "garanarabe-svg: not enough memory\n");
  } catch (const std::exception& e) {
    std::fprintf(stderr, "garanarabe-svg: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "garanarabe-svg: unexpected failure\n");
  }
  return kFileError;
}
