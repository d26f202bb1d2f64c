// Converting a Jw_cad drawing to the figure file: a generated 10 MB .jww of lines and texts
// (UTF-16 strings, as current Jw_cad writes them), read and mapped in memory. Reports MB/s of
// input; the target is well under a second for the whole file.
#include <benchmark/benchmark.h>

#include <string>

#include "../tests/jws/archive_writer.h"
#include "jws/figure_file.h"
#include "jws/reader.h"

namespace {

using gara::testing::ArchiveWriter;

std::string MakeDrawing(size_t targetBytes) {
  ArchiveWriter w(700);
  std::array<double, 16> scales;
  scales.fill(50);
  w.DrawingHeader(scales);
  // Four lines for every text, as in a typical drawing; the count is fixed up afterwards.
  const size_t countAt = w.bytes.size();
  w.Count(0, /*longForm=*/true);
  uint32_t count = 0;
  gara::jws::Line l;
  l.c.penStyle = 1;
  l.c.colour = 2;
  gara::jws::Text t;
  t.c.penStyle = 1;
  t.kind = 3;
  t.width = t.height = 3.5;
  t.spacing = 0.5;
  while (w.bytes.size() < targetBytes) {
    const double x = count % 1000, y = count / 1000;
    if (count % 5 == 4) {
      t.x1 = x;
      t.y1 = y;
      t.x2 = x + 20;
      t.y2 = y;
      w.Add(t, u"ＭＳ ゴシック", u"柄並べ 寸法 1,234.5");
    } else {
      l.x1 = x + 0.123456789;
      l.y1 = y - 0.987654321;
      l.x2 = x + 15.5;
      l.y2 = y + 7.25;
      w.Add(l);
    }
    ++count;
  }
  w.Count(0);  // no block definitions
  w.Dword(0);  // no images
  std::string bytes = std::move(w.bytes);
  for (int i = 0; i < 4; ++i) bytes[countAt + 2 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
  return bytes;
}

const std::string& Drawing() {
  static const std::string bytes = MakeDrawing(10 * 1000 * 1000);
  return bytes;
}

void BM_JwwRead(benchmark::State& state) {
  const std::string& bytes = Drawing();
  for (auto _ : state) {
    auto r = gara::jws::ReadArchive(bytes);
    if (!r.ok()) state.SkipWithError(r.error.message.c_str());
    benchmark::DoNotOptimize(r);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_JwwRead)->Unit(benchmark::kMillisecond);

void BM_JwwConvert(benchmark::State& state) {
  const std::string& bytes = Drawing();
  size_t out = 0;
  for (auto _ : state) {
    auto r = gara::jws::ReadArchive(bytes);
    if (!r.ok()) {
      state.SkipWithError(r.error.message.c_str());
      break;
    }
    const auto f = gara::jws::MakeFigureFile(*r.document);
    out = f.text.size();
    benchmark::DoNotOptimize(f);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
  state.counters["input_MB"] = static_cast<double>(bytes.size()) / 1e6;
  state.counters["output_MB"] = static_cast<double>(out) / 1e6;
}
BENCHMARK(BM_JwwConvert)->Unit(benchmark::kMillisecond);

}  // namespace
