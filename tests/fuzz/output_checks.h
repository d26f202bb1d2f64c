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

// A word a number formatter writes for a value that is not finite, in any case: "nan",
// "-nan(ind)", "inf", "-infinity", "1.#INF", "-1.#IND00", "1.#QNAN" and the like.
inline bool IsNotFiniteWord(std::string_view word) {
  std::string w;
  for (const char c : word)
    w.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  size_t at = w[0] == '-' || w[0] == '+' ? 1 : 0;
  const auto rest = [&](size_t from) { return std::string_view(w).substr(from); };
  if (rest(at) == "inf" || rest(at) == "infinity") return true;
  if (rest(at).starts_with("nan")) return rest(at + 3).empty() || rest(at + 3).starts_with("(");
  // The older Windows runtime: digits, ".#", a name, and padding zeros.
  const size_t mark = w.find(".#", at);
  if (mark == std::string::npos || w.find_first_not_of("0123456789", at) != mark) return false;
  const size_t name = mark + 2;
  const size_t end = w.find_first_not_of("abcdefghijklmnopqrstuvwxyz", name);
  const std::string_view kind = std::string_view(w).substr(name, end - name);
  return (kind == "inf" || kind == "ind" || kind == "qnan" || kind == "snan") &&
         (end == std::string::npos || w.find_first_not_of('0', end) == std::string::npos);
}

// Traps when `output` holds a not-finite number that none of the inputs held as it stands (a
// text copied through may say "inf").
inline void CheckFinite(std::string_view output, std::string_view inputs) {
  // Texts are copied with their CR and LF dropped, so "na<CR>n" in an input becomes a word
  // "nan" that no number wrote.
  std::string joined;
  ForEachWord(output, [&](std::string_view word) {
    if (!IsNotFiniteWord(word) || inputs.find(word) != std::string_view::npos) return;
    if (joined.empty()) {
      for (const char c : inputs) {
        if (c != '\r' && c != '\n') joined.push_back(c);
      }
    }
    if (joined.find(word) == std::string::npos) __builtin_trap();
  });
}

// CheckFinite, and traps when `output` is more than 400 times the inputs' size (with room for
// the fixed part every output has).
inline void CheckOutput(std::string_view output, std::string_view inputs) {
  if (output.size() > 65536 + 400 * inputs.size()) __builtin_trap();
  CheckFinite(output, inputs);
}

}  // namespace gara::fuzz
