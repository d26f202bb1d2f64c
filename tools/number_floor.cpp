// The floor of a drawing run: reads an exchange file, counts the numbers in it and times
// writing that many numbers (the same values) with std::to_chars at 15 significant digits.
// Then times putting the file's bytes on the disk durably as the run does: written in 1 MiB
// blocks to a new file beside it, fsync, close.
// Prints "<numbers> <wall seconds> <cpu seconds> <bytes> <durable write wall seconds>", each
// time the best of three rounds. A whole run cannot be faster than writing its numbers, nor
// than putting its bytes on the disk.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

double Seconds(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

bool IsSeparator(char c) { return c == ' ' || c == '\r' || c == '\n'; }

// Every blank-separated word that is a whole number, outside the texts of text commands.
std::vector<double> NumbersIn(std::string_view bytes) {
  std::vector<double> numbers;
  size_t i = 0;
  while (i < bytes.size()) {
    while (i < bytes.size() && IsSeparator(bytes[i])) ++i;
    size_t end = i;
    while (end < bytes.size() && !IsSeparator(bytes[end])) ++end;
    const std::string_view word = bytes.substr(i, end - i);
    if (!word.empty() && word.front() == '"') {
      // The rest of the line is a text.
      while (end < bytes.size() && bytes[end] != '\n') ++end;
    } else if (!word.empty()) {
      double v = 0;
      const auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
      if (ec == std::errc() && ptr == word.data() + word.size()) numbers.push_back(v);
    }
    i = end;
  }
  return numbers;
}

// Seconds to write `bytes` to a new file at `path` and make it durable; negative on failure.
double DurableWrite(const std::string& path, std::string_view bytes) {
  const double start = Seconds(CLOCK_MONOTONIC);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return -1;
  bool ok = true;
  constexpr size_t kBlock = size_t{1} << 20;
  for (size_t at = 0; ok && at < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + at, std::min(kBlock, bytes.size() - at));
    ok = n > 0;
    if (ok) at += static_cast<size_t>(n);
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  const double seconds = Seconds(CLOCK_MONOTONIC) - start;
  ::unlink(path.c_str());
  return ok ? seconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: number_floor <exchange file>\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  const std::vector<double> numbers = NumbersIn(bytes);
  // The best of three, as the run itself is timed once on a quiet machine.
  double bestWall = 1e300;
  double bestCpu = 1e300;
  size_t written = 0;
  for (int round = 0; round < 3; ++round) {
    const double wall = Seconds(CLOCK_MONOTONIC);
    const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    char buf[64];
    written = 0;
    for (double v : numbers) {
      const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
      written += static_cast<size_t>(r.ptr - buf) + 1;
    }
    bestWall = std::min(bestWall, Seconds(CLOCK_MONOTONIC) - wall);
    bestCpu = std::min(bestCpu, Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu);
  }
  double bestWrite = 1e300;
  for (int round = 0; round < 3; ++round) {
    const double seconds = DurableWrite(std::string(argv[1]) + ".floor", bytes);
    if (seconds < 0) {
      std::fprintf(stderr, "number_floor: cannot write beside %s\n", argv[1]);
      return 1;
    }
    bestWrite = std::min(bestWrite, seconds);
  }
  std::printf("%zu %.4f %.4f %zu %.4f\n", numbers.size(), bestWall, bestCpu, written, bestWrite);
  return 0;
}
