#include "support/temp_dir.h"

#include <atomic>
#include <random>
#include <stdexcept>

namespace gara::testing {

std::string TempDir::MakeTemp(std::string pattern) {
  // Portable replacement for mkdtemp (the tests also run as Windows programs).
  static std::atomic<unsigned> counter{0};
  const unsigned seed = std::random_device{}();
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string name = pattern.substr(0, pattern.size() - 6) +
                       std::to_string((seed + counter++ * 7919u) % 1000000u);
    std::error_code ec;
    if (std::filesystem::create_directory(name, ec)) return name;
  }
  throw std::runtime_error("cannot create a temporary directory");
}

}  // namespace gara::testing
