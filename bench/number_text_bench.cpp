// Number text against plain std::to_chars on the same values. The items_per_second column is
// the rate in values per second; the target for the number text is 10 million per second.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cmath>
#include <random>
#include <vector>

#include "util/number_text.h"

namespace {

// Coordinates as the layout computes them (full 17-digit doubles around a drawing's size),
// with a share of round values, small angles' sines and large exponents.
const std::vector<double>& Values() {
  static const std::vector<double> values = [] {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> coordinate(-5000.0, 5000.0);
    std::uniform_int_distribution<int> exponent(-20, 20);
    std::vector<double> v(1 << 16);
    for (size_t i = 0; i < v.size(); ++i) {
      switch (i % 8) {
        case 0:
          v[i] = std::round(coordinate(random));
          break;
        case 1:
          v[i] = std::round(coordinate(random) * 100) / 100;
          break;
        case 2:
          v[i] = coordinate(random) * std::pow(10.0, exponent(random));
          break;
        default:
          v[i] = coordinate(random);
      }
    }
    return v;
  }();
  return values;
}

template <typename Format>
void Run(benchmark::State& state, Format format) {
  const std::vector<double>& values = Values();
  char buffer[64];
  size_t i = 0;
  for (auto _ : state) {
    char* end = format(buffer, values[i]);
    benchmark::DoNotOptimize(end);
    benchmark::ClobberMemory();
    i = (i + 1) & (values.size() - 1);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_NumberText(benchmark::State& state) {
  Run(state, [](char* out, double v) { return gara::WriteNumberText(out, v); });
}
BENCHMARK(BM_NumberText);

// Only coordinates of a drawing run's output: full precision, all in the common range.
void BM_NumberTextCoordinates(benchmark::State& state) {
  static const std::vector<double> values = [] {
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> coordinate(-5000.0, 5000.0);
    std::vector<double> v(1 << 16);
    for (double& x : v) x = coordinate(random);
    return v;
  }();
  // Four to a line, one after the other, as the writer puts them.
  char line[4 * (gara::kNumberTextMax + 1)];
  size_t i = 0;
  for (auto _ : state) {
    char* out = line;
    for (int k = 0; k < 4; ++k) {
      out = gara::WriteNumberText(out, values[i + k]);
      *out++ = ' ';
    }
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
    i = (i + 4) & (values.size() - 1);
  }
  state.SetItemsProcessed(4 * state.iterations());
}
BENCHMARK(BM_NumberTextCoordinates);


void BM_ToCharsShortest(benchmark::State& state) {
  Run(state, [](char* out, double v) { return std::to_chars(out, out + 64, v).ptr; });
}
BENCHMARK(BM_ToCharsShortest);

void BM_ToCharsScientific14(benchmark::State& state) {
  Run(state, [](char* out, double v) {
    return std::to_chars(out, out + 64, v, std::chars_format::scientific, 14).ptr;
  });
}
BENCHMARK(BM_ToCharsScientific14);

}  // namespace
