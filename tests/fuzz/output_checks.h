// What every file a fuzzed run writes must satisfy, whatever its input.
#pragma once

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>

namespace gara::fuzz {

// The words of `bytes`: runs of anything but control characters, blanks and commas.
template <typename Visit>
void ForEachWord(std::string_view bytes, Visit visit) {
  size_t start = 0;
  for (size_t at = 0; at <= bytes.size(); ++at) {
    if (at < bytes.size() && static_cast<unsigned char>(bytes[at]) > ' ' && bytes[at] != ',')
      continue;
    if (at > start) visit(bytes.substr(start, at - start));
    start = at + 1;
  }
}

// A word a number formatter writes for a value that is not finite: "nan", "-inf", "1.#INF",
// "-nan(ind)" and the like, in any case.
inline bool IsNotFiniteWord(std::string_view word) {
  std::string lower;
  for (const char c : word)
    lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  const size_t start = lower.find_first_not_of("+-0123456789.#");
  if (start == std::string::npos) return false;
  return lower.compare(start, 3, "nan") == 0 || lower.compare(start, 3, "inf") == 0 ||
         lower.compare(start, 3, "ind") == 0;
}

// Traps when `output` holds a not-finite number that none of the inputs held as it stands (a
// text copied through may say "inf"), or is more than 400 times the inputs' size (with room
// for the fixed part every output has).
inline void CheckOutput(std::string_view output, std::string_view inputs) {
  if (output.size() > 65536 + 400 * inputs.size()) __builtin_trap();
  ForEachWord(output, [&](std::string_view word) {
    if (IsNotFiniteWord(word) && inputs.find(word) == std::string_view::npos) __builtin_trap();
  });
}

}  // namespace gara::fuzz
