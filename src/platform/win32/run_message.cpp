#include "platform/run_message.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "app/outcome_message.h"

namespace gara {

void ShowRunMessage(std::string_view cp932Text) {
  const char* noBox = std::getenv(kNoMessageBoxVariable);
  if (noBox != nullptr && std::string_view(noBox) == "1") {
    // The Shift-JIS bytes as they stand: a Japanese console shows them as they are.
    std::fwrite(cp932Text.data(), 1, cp932Text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    return;
  }
  // No owner window: the windowless modes never create one, and the box must not wait behind
  // Jw_cad's window.
  constexpr UINT kStyle = MB_OK | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST;
  try {
    const std::string text(cp932Text);
    const std::string caption(kApplicationTitle);
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), kStyle);
  } catch (const std::bad_alloc&) {
    // Said after running out of memory: a fixed box rather than none.
    MessageBoxA(nullptr, "Out of memory.", nullptr, kStyle);
  }
}

}  // namespace gara
