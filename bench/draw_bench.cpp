// The placement hot path in memory: a 200-entity figure placed along a 98-segment polyline,
// about 20 000 copies, into an OutputBuffer. items_per_second counts output lines; compare
// with bench/draw_run.sh for the whole program.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "geom/path.h"
#include "pattern/course.h"
#include "pattern/draw.h"

namespace {

using namespace gara;

class BenchFileSystem final : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::optional<std::string> ReadFile(const std::string& path) override {
    const auto it = files.find(path);
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  bool IsFile(const std::string& path) override { return files.count(path) != 0; }
  bool Remove(const std::string&) override { return false; }
  std::unique_ptr<OutputFile> Create(const std::string&) override { return nullptr; }
  bool Rename(const std::string&, const std::string&) override { return false; }
};

// With `curves`, 40 of the entities are circles and arcs; without, lines.
std::string Figure(bool curves = true) {
  std::mt19937_64 random(1);
  auto r = [&](double lo, double hi) {
    return lo + (hi - lo) * std::uniform_real_distribution<double>(0, 1)(random);
  };
  std::string file = "-10,-5,10,5\r\n1\r\nN,200\r\n";
  char line[256];
  for (int i = 0; i < 200; ++i) {
    const int c = 1 + (i / 20) % 3;
    if (i % 20 < 16 || (!curves && i % 20 < 19)) {
      std::snprintf(line, sizeof line, "L,0,0,2,%d,1,0,0,%.4f,%.4f,%.4f,%.4f\r\n", c, r(-10, 10),
                    r(-5, 5), r(-10, 10), r(-5, 5));
    } else if (i % 20 < 19) {
      std::snprintf(line, sizeof line, "E,0,0,2,%d,1,0,0,%.4f,%.4f,%.4f,1,%.6f,%.6f,0,0\r\n", c,
                    r(-5, 5), r(-2, 2), r(1, 3), r(0, 3), r(0.5, 3));
    } else {
      std::snprintf(line, sizeof line,
                    "M,0,0,2,%d,1,0,0,-3,%.4f,3,%.4f,3,3,3,0.5,\"F\",\"ABC%d\"\r\n", c, r(-4, 0),
                    r(-4, 0), i);
    }
    file += line;
  }
  return file;
}

struct Inputs {
  BenchFileSystem fs;
  DrawingState drawing;
  PatternRow row;
  RunContext run;
};

Inputs& BenchInputs() {
  static Inputs in = [] {
    Inputs in;
    in.fs.files["/p/sel.txt"] = Figure();
    double x = 0, y = 0;
    for (int i = 1; i <= 99; ++i) {
      in.drawing.designatedPoints[i] = {true, x, y, DesignatedPointKind::kPlain};
      x += 4085 * std::cos(i * 0.61);
      y += 4085 * std::sin(i * 0.61);
    }
    in.row = {0, 20, 10, 0, 0.0, 1, 2, 0, 1};
    return in;
  }();
  return in;
}

// The run drawn with `row` in place of the inputs' own.
void DrawRun(benchmark::State& state, const PatternRow& row) {
  Inputs& in = BenchInputs();
  size_t lines = 0;
  for (auto _ : state) {
    OutputBuffer buffer;
    CommandWriter out(buffer, in.drawing);
    out.ResetCommandCache();
    if (DrawPattern({in.drawing, &row, in.run, in.fs, "/p/", kMaxOutputBytesPerRun, {}}, out, 99,
                    true) != DrawResult::kDrawn) {
      state.SkipWithError("over a limit");
    }
    lines = buffer.size();
    benchmark::DoNotOptimize(buffer);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * lines));
  state.counters["lines"] = static_cast<double>(lines);
}

void BM_DrawRun(benchmark::State& state) { DrawRun(state, BenchInputs().row); }
BENCHMARK(BM_DrawRun)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same run by each arrangement: 0 by interval, 1 evenly, 2 stretched (every copy of the
// figure stretched along its segment, its arcs turned into elliptic arcs).
void BM_DrawRunArranged(benchmark::State& state) {
  PatternRow row = BenchInputs().row;
  row.arrangement = static_cast<int32_t>(state.range(0));
  DrawRun(state, row);
}
BENCHMARK(BM_DrawRunArranged)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(5);

// The floor of the same run: writing its numbers with std::to_chars at 15 digits.
void BM_DrawRunFloor(benchmark::State& state) {
  Inputs& in = BenchInputs();
  OutputBuffer buffer;
  CommandWriter out(buffer, in.drawing);
  out.ResetCommandCache();
  if (DrawPattern({in.drawing, &in.row, in.run, in.fs, "/p/", kMaxOutputBytesPerRun, {}}, out, 99,
                  true) != DrawResult::kDrawn) {
    state.SkipWithError("over a limit");
  }
  std::vector<double> numbers;
  for (size_t i = 0; i < buffer.size(); ++i) {
    const std::string_view record = buffer[i];
    size_t p = 0;
    while (p < record.size()) {
      size_t e = record.find(' ', p);
      if (e == std::string_view::npos) e = record.size();
      double v = 0;
      const auto r = std::from_chars(record.data() + p, record.data() + e, v);
      if (r.ec == std::errc() && r.ptr == record.data() + e) numbers.push_back(v);
      p = e + 1;
    }
  }
  for (auto _ : state) {
    char buf[64];
    size_t written = 0;
    for (double v : numbers) {
      written += std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15).ptr - buf;
    }
    benchmark::DoNotOptimize(written);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * numbers.size()));
  state.counters["numbers"] = static_cast<double>(numbers.size());
}
BENCHMARK(BM_DrawRunFloor)->Unit(benchmark::kMillisecond)->Iterations(3);

// A road about 400 000 long of arcs 110 long (radius 5 000) turning left and right in turn: the
// copies 20 wide cross their joints.
std::vector<PathPiece> WindingRoad() {
  std::vector<PathPiece> pieces;
  Point at{0, 0};
  double heading = 0;
  for (int i = 0; i < 3637; ++i) {
    const double side = i % 2 == 0 ? 1 : -1;
    const Point centre{at.x - side * 5000 * std::sin(heading),
                       at.y + side * 5000 * std::cos(heading)};
    pieces.push_back(ArcPiece(centre, 5000, 1, 0, heading - side * kPi / 2, 0.022 * side));
    heading += 0.022 * side;
    at = pieces.back().to;
  }
  return pieces;
}

// Run mode "4" with the figure bent along the path (the row detail bend=1): 20 000 copies evenly
// round a circle 400 000 long, unbent (0) and bent (1), of the figure with lines in place of its
// curves, of a plain 20 x 10 rectangle (2 unbent, 3 bent), and of the figure again along a road
// winding at radius 5 000 (4 unbent, 5 bent); then 5 000 copies (a gap of 60 between them) of
// the figure with its 30 circles and arcs of radius 1 to 3, round the circle (6 unbent, 7 bent)
// and along the road (8 unbent, 9 bent). Bent, every line that is not along or across the run
// and every figure curve becomes a chain of short lines within 0.01 of its image, the
// rectangle's lines arcs and radial lines.
// Release build, 2-core machine at load 4 to 7, CPU time bent against unbent, before (chains of
// steps fixed by a bound of the whole curve's bend, the C library's sine) and after (steps from
// how far each line strays, where the bound is not close; a quick sine for chain points):
//   lines figure, circle   before 2.8 (1 634 against 585 ms)   after 1.7 (987 against 583 ms)
//   lines figure, road     before 2.7 (1 611 against 600 ms)   after 1.8 (1 098 against 598 ms)
//   rectangle, circle      before 1.1 to 1.6                   after 1.2
//   curves figure, circle  before 4.7 (751 against 160 ms)     after 3.5 (562 against 161 ms)
//   curves figure, road    before 4.4 (783 against 177 ms)     after 3.6 (594 against 167 ms)
// The bent curves figure writes 2.1 times the bytes of the unbent one (155 MB against 74 MB:
// each circle of radius 3 is 38 lines in place of one record), which no speed of the bending
// itself can take back; the rest is finding the chains' points, two sines and cosines each.
void BM_BentRun(benchmark::State& state) {
  Inputs& in = BenchInputs();
  BenchFileSystem fs;
  const int64_t arg = state.range(0);
  fs.files["/p/sel.txt"] = arg >= 6 ? Figure(true)
                           : arg < 2 || arg >= 4
                               ? Figure(false)
                               : "-10,-5,10,5\r\n1\r\nN,4\r\nL,0,0,2,1,1,0,0,-10,-5,10,-5\r\n"
                                 "L,0,0,2,1,1,0,0,10,-5,10,5\r\nL,0,0,2,1,1,0,0,10,5,-10,5\r\n"
                                 "L,0,0,2,1,1,0,0,-10,5,-10,-5\r\n";
  const PatternRow row{0, 20, 10, 1, arg >= 6 ? 60.0 : 0.0, 1, 2, 0, 1};
  RowExtras extras;
  extras.bend = arg % 2 == 1;
  const PathCourse course(ChainPieces(
      arg == 4 || arg == 5 || arg >= 8
          ? WindingRoad()
          : std::vector<PathPiece>{ArcPiece({0, 0}, 400000 / (2 * kPi), 1, 0, 0, 2 * kPi)}));
  size_t lines = 0;
  double bytes = 0;
  for (auto _ : state) {
    OutputBuffer buffer;
    CommandWriter out(buffer, in.drawing);
    out.ResetCommandCache();
    if (DrawPattern({in.drawing, &row, in.run, fs, "/p/", kMaxOutputBytesPerRun, extras}, out,
                    course) != DrawResult::kDrawn) {
      state.SkipWithError("over a limit");
    }
    lines = buffer.size();
    bytes = static_cast<double>(buffer.bytes());
    benchmark::DoNotOptimize(buffer);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * 20000));
  state.counters["bytes"] = bytes;
  state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_BentRun)->DenseRange(0, 9)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
