#include "support/fake_converter.h"

#include <filesystem>

namespace gara::testing {

std::string InstallFakeConverter(const TempDir& dir, const std::string& fileName) {
  const std::filesystem::path target = dir.path() / fileName;
  std::filesystem::copy_file(GARA_FAKE_KVX_PATH, target,
                             std::filesystem::copy_options::overwrite_existing);
  return target.string();
}

}  // namespace gara::testing
