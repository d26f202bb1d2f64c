// The exchange-file reader against `wc -w` on the same file, in the same run: the reader parses
// every number of a line, wc only splits it into words. The target is a bytes_per_second of at
// least half that of wc (the ratio column "vs_wc" of the reader row: 0.5 or more).
// Also the register-mode export of 200 000 selected entities into a figure file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <time.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "exchange/exchange_reader.h"
#include "figure/selection_export.h"
#include "platform/real_file_system.h"

namespace {

// Lines the way Jw_cad writes them: 15 significant digits, attributes before the entities.
class ExchangeGenerator {
 public:
  explicit ExchangeGenerator(std::string& out) : out_(out) {}

  void Number() {
    out_.push_back(' ');
    char buffer[32];
    const double v = coordinate_(random_);
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 15);
    out_.append(buffer, static_cast<size_t>(r.ptr - buffer));
  }
  void Numbers(int n) {
    for (int i = 0; i < n; ++i) Number();
  }
  void Line(const char* keyword, int numbers, const char* tail = "") {
    out_.append(keyword);
    Numbers(numbers);
    out_.append(tail);
    out_.append("\r\n");
  }
  void Raw(const char* line) { out_.append(line).append("\r\n"); }

  // One group of attribute lines and one entity of each kind (17 records, one of them a block).
  void Group(int i) {
    static const char* const kAttributes[] = {"lg1", "ly2", "lc3",           "lt1", "lw0", "pn2",
                                              "cn3", "cc0", "lc10 16711680", "lgA", "lyF"};
    Raw(kAttributes[i % 11]);
    if (i % 7 == 0) Raw("z1");
    if (i % 13 == 0) Raw("hhp3ln");
    Raw("pl");
    Line("", 4);
    Line("", 4);
    Line("ci", 3);
    Line("ci", 3, " 30 300 0.5 15");
    Line("ch", 4, " \"ABC 123 テキスト");
    Line("cv", 4, " \"縦書き");
    Line("pt", 2);
    Line("pt", 4, " 3");
    Raw("msg");
    Line("", 4);
    Line("cs", 4, " \"1234.5");
    Line("BL", 2, " block");
    Line("sl", 4);
    Line("sl", 8);
    Line("sc", 7, " 1");
    Line("so", 8);
    Line("sg", 8);
  }

 private:
  std::string& out_;
  std::mt19937_64 random_{7};
  std::uniform_real_distribution<double> coordinate_{-5000.0, 5000.0};
};

std::string GenerateExchange(size_t minBytes) {
  std::string out;
  out.reserve(minBytes + (1 << 20));
  ExchangeGenerator gen(out);
  gen.Raw("hs 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1");
  gen.Raw("hcw 1 1.5 2 2.5 3 3.5 4 5 7 10");
  for (int p = 1; p <= 99; ++p) gen.Line(("hp" + std::to_string(p)).c_str(), 2);
  for (int i = 0; out.size() < minBytes; ++i) gen.Group(i);
  return out;
}

// A temporary file that lives for the whole benchmark run.
class TempFile {
 public:
  explicit TempFile(const std::string& bytes) {
    char pattern[] = "/tmp/gara-bench-XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd < 0) std::abort();
    path_ = pattern;
    for (size_t done = 0; done < bytes.size();) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) std::abort();
      done += static_cast<size_t>(n);
    }
    ::close(fd);
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const TempFile& ExchangeFile() {
  static const TempFile file(GenerateExchange(50u << 20));
  return file;
}

size_t FileSize() {
  static const size_t size = gara::RealFileSystem().ReadFile(ExchangeFile().path())->size();
  return size;
}

double Seconds() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Set by the wc row, which runs first, for the reader row's ratio.
double wcBytesPerSecond = 0;

void BM_WcWords(benchmark::State& state) {
  const std::string command = "wc -w < " + ExchangeFile().path() + " > /dev/null";
  FileSize();
  const double begin = Seconds();
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("wc failed");
  }
  wcBytesPerSecond = static_cast<double>(state.iterations() * FileSize()) / (Seconds() - begin);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize()));
}
BENCHMARK(BM_WcWords)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

void BM_ReadExchangeFile(benchmark::State& state) {
  gara::RealFileSystem fs;
  size_t entities = 0;
  FileSize();
  const double begin = Seconds();
  for (auto _ : state) {
    gara::DrawingState drawing;
    if (!gara::ReadExchangeFile(fs, ExchangeFile().path(), drawing)) state.SkipWithError("read");
    entities = drawing.entities.order.size();
    benchmark::DoNotOptimize(drawing);
  }
  const double rate = static_cast<double>(state.iterations() * FileSize()) / (Seconds() - begin);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FileSize()));
  state.counters["entities"] = static_cast<double>(entities);
  if (wcBytesPerSecond > 0) state.counters["vs_wc"] = rate / wcBytesPerSecond;
  state.counters["MB"] = static_cast<double>(FileSize()) / (1 << 20);
}
BENCHMARK(BM_ReadExchangeFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// 200 000 selected entities (about 20 MB of exchange file) exported as a figure file.
void BM_ExportSelection(benchmark::State& state) {
  gara::DrawingState drawing;
  {
    std::string bytes;
    ExchangeGenerator gen(bytes);
    for (int i = 1; drawing.entities.order.size() < 200000; ++i) {
      bytes.clear();
      for (int k = 0; k < 1000; ++k) gen.Group(i * 1000 + k);
      gara::ReadExchangeBytes(bytes, drawing);
    }
  }
  char dir[] = "/tmp/gara-bench-XXXXXX";
  if (!mkdtemp(dir)) std::abort();
  const std::string path = std::string(dir) + "/sel.txt";
  gara::RealFileSystem fs;
  for (auto _ : state) {
    if (!gara::ExportSelection(fs, path, drawing)) state.SkipWithError("export");
  }
  state.counters["entities"] = static_cast<double>(drawing.entities.order.size());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * drawing.entities.order.size()));
  std::remove(path.c_str());
  ::rmdir(dir);
}
BENCHMARK(BM_ExportSelection)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
