// libFuzzer target: any bytes as the settings file garanarabe.dat, read and written back. What
// is written must read back to the same file, and hold only finite numbers. Built and run by
// the fuzz preset.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/output_checks.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string written = gara::SerializeSettings(gara::ParseSettings(input));
  gara::fuzz::CheckOutput(written, input);
  if (gara::SerializeSettings(gara::ParseSettings(written)) != written) __builtin_trap();
  return 0;
}
