#include "platform/run_message.h"

#include <cstdio>
#include <new>
#include <string>

#include "util/cp932.h"

namespace gara {

void ShowRunMessage(std::string_view cp932Text) {
  try {
    const std::string text = jws::Cp932ToUtf8(cp932Text) + "\n";
    std::fwrite(text.data(), 1, text.size(), stderr);
  } catch (const std::bad_alloc&) {
    // Said after running out of memory: the bytes as they stand rather than nothing.
    std::fwrite(cp932Text.data(), 1, cp932Text.size(), stderr);
    std::fputc('\n', stderr);
  }
  std::fflush(stderr);
}

}  // namespace gara
