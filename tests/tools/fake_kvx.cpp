// A stand-in for the figure converter in tests: called as
//   kvx /1 OUTPUT INPUT
// it writes a small figure file to OUTPUT (kFakeFigure) and records how it was called in
// OUTPUT + ".args": on Windows the raw command line, elsewhere one argument per line. The content
// of INPUT steers it:
//   "fail..."          exit 3 without writing anything
//   "sleep N\n..."     wait N milliseconds first, then go on with the rest
//   "figure\n<bytes>"  write <bytes> as the figure file instead of the box
#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/fake_converter.h"

namespace {

bool WriteAll(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

std::string ReadAll(const char* path) {
  std::string bytes;
  std::FILE* file = std::fopen(path, "rb");
  if (!file) return bytes;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

void SleepMilliseconds(long ms) {
#ifdef _WIN32
  Sleep(static_cast<DWORD>(ms));
#else
  timespec span{ms / 1000, (ms % 1000) * 1000000L};
  while (nanosleep(&span, &span) != 0) {
  }
#endif
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4 || std::string(argv[1]) != "/1") return 2;
  const std::string output = argv[2];

#ifdef _WIN32
  std::string call = GetCommandLineA();
#else
  std::string call;
  for (int i = 0; i < argc; ++i) call.append(argv[i]).append("\n");
#endif
  WriteAll(output + ".args", call);

  std::string input = ReadAll(argv[3]);
  if (input.rfind("fail", 0) == 0) return 3;
  if (input.rfind("sleep ", 0) == 0) {
    SleepMilliseconds(std::strtol(input.c_str() + 6, nullptr, 10));
    const size_t end = input.find('\n');
    input.erase(0, end == std::string::npos ? input.size() : end + 1);
  }
  if (input.rfind("figure\n", 0) == 0) return WriteAll(output, input.substr(7)) ? 0 : 1;
  return WriteAll(output, gara::testing::kFakeFigure) ? 0 : 1;
}
