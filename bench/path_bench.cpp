// Run mode "4" on 20 000 selected pieces: a wavy road of short lines and arcs, given shuffled
// and half of them reversed, chained into one path and laid out with two full-length rails and
// a gap rail. Everything but the writing of the output; items_per_second counts pieces.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "pattern/path_layout.h"

namespace {

using namespace gara;

constexpr int kPieces = 20000;

// Alternating straight pieces and quarter-ish arcs that bend left and right in turn.
std::vector<PathPiece> Road() {
  std::vector<PathPiece> pieces;
  Point at{0, 0};
  double heading = 0;
  for (int i = 0; i < kPieces; ++i) {
    if (i % 2 == 0) {
      const Point to{at.x + 3 * std::cos(heading), at.y + 3 * std::sin(heading)};
      pieces.push_back(LinePiece(at, to));
    } else {
      const double turn = (i / 2) % 2 == 0 ? 0.3 : -0.3;
      const double radius = 8;
      const double side = turn > 0 ? 1 : -1;
      const Point centre{at.x - side * radius * std::sin(heading),
                         at.y + side * radius * std::cos(heading)};
      const double start = heading - side * kPi / 2;
      pieces.push_back(ArcPiece(centre, radius, 1, 0, start, turn));
      heading += turn;
    }
    at = pieces.back().to;
  }
  std::mt19937 random(7);
  std::shuffle(pieces.begin(), pieces.end(), random);
  for (size_t i = 0; i < pieces.size(); i += 2) pieces[i] = Reversed(pieces[i]);
  return pieces;
}

class CountingSink final : public PathSink {
 public:
  size_t items = 0;
  void Attributes() override {}
  void Figure(FigureSlot, double, double, double, double) override { ++items; }
  void Line(double, double, double, double) override { ++items; }
  void Arc(double, double, double, double, double) override { ++items; }
  void Circle(double, double, double) override { ++items; }
};

void BM_PathOf20000Pieces(benchmark::State& state) {
  const std::vector<PathPiece> pieces = Road();
  LayoutRow row;
  row.width = 10;
  row.height = 6;
  row.interval = 2;
  row.referenceOffset = 3;
  row.lineModes = {LineMode::kFullLength, LineMode::kGaps, LineMode::kFullLength};
  size_t items = 0;
  for (auto _ : state) {
    const std::vector<Path> paths = ChainPieces(pieces);
    CountingSink sink;
    for (const Path& path : paths) LayoutPath(row, SplitRuns(path), sink);
    items = sink.items;
    benchmark::DoNotOptimize(items);
  }
  state.counters["output"] = static_cast<double>(items);
  state.SetItemsProcessed(state.iterations() * kPieces);
}
BENCHMARK(BM_PathOf20000Pieces)->Unit(benchmark::kMillisecond);

// Figures along one elliptical arc (flatness 0.4, 10 000 figures, no rails): each point is found
// by arc length; items_per_second counts figures.
void BM_FiguresAlongAnEllipse(benchmark::State& state) {
  const PathPiece arc = ArcPiece({0, 0}, 10000, 0.4, 0.3, 0.2, 5);
  const LaidPath laid = SplitRuns(ChainPieces({arc})[0]);
  LayoutRow row;
  row.width = 3;
  row.height = 2;
  row.interval = arc.length / 10000 - 3;
  row.referenceOffset = 1;
  size_t items = 0;
  for (auto _ : state) {
    CountingSink sink;
    LayoutPath(row, laid, sink);
    items = sink.items;
    benchmark::DoNotOptimize(items);
  }
  state.counters["output"] = static_cast<double>(items);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(items));
}
BENCHMARK(BM_FiguresAlongAnEllipse)->Unit(benchmark::kMillisecond);

}  // namespace
