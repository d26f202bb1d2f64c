// libFuzzer target: any bytes as the row details file garanarabe.ini, read, edited with the
// rows, keys and values it holds, and written. What is written reads back to the same lines (and
// encoding), a key set reads back as its value, a refused value changes nothing and an erased
// key is gone. Built and run by the fuzz preset.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/row_details.h"
#include "util/cp932.h"
#include "util/lines.h"

namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The value Get gives back after Set(row, key, value).
std::string ReadBack(std::string_view value) {
  std::string kept;
  for (const char c : value) {
    if (c != '\r' && c != '\n') kept += c;
  }
  return std::string(TrimBlanks(kept));
}

// Set refuses a value holding a NUL, and one a UTF-8 file cannot hold exactly.
bool Refused(const gara::RowDetails& details, std::string_view value) {
  return value.find('\0') != std::string_view::npos ||
         (details.utf8() && !gara::jws::Cp932ToUtf8Exact(ReadBack(value)));
}

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

void RequireStable(const gara::RowDetails& details) {
  Require(gara::RowDetails::Parse(details.Serialize()) == details);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  gara::RowDetails details = gara::RowDetails::Parse(input);
  const std::string written = details.Serialize();
  Require(gara::RowDetails::Parse(written).Serialize() == written);

  // Each edit walks the whole file: a few dozen keep an input of any size fast.
  constexpr int kMaxEdits = 48;
  int edits = 0;
  int row = 0;  // of the section the line is in: its name as a number, in range or not
  gara::LineReader lines(input);
  std::string_view line;
  while (edits < kMaxEdits && lines.Next(line)) {
    const std::string_view text = TrimBlanks(line);
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
      const std::string_view name = text.substr(1, text.size() - 2);
      row = 0;
      std::from_chars(name.data(), name.data() + name.size(), row);
      continue;
    }
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    ++edits;
    const std::string_view key = TrimBlanks(line.substr(0, equals));
    const std::string_view value = line.substr(equals + 1);
    static_cast<void>(details.Get(row, key));
    details.Set(row, key, value);
    RequireStable(details);
    if (edits % 3 == 0) {
      details.Erase(row, key);
      Require(!details.Get(row, key));
    }
    // A key of this program takes any value but a refused one, which changes nothing.
    const gara::RowDetails before = details;
    const bool set = details.Set(row, gara::kAlternateKey, value);
    const bool isRow = row >= 1 && row <= 12;
    if (Refused(details, value) || !isRow) {
      Require(!set && details == before);
    } else {
      Require(set && details.Get(row, gara::kAlternateKey) == ReadBack(value));
    }
    RequireStable(details);
    // A name let through has no way out of the program folder.
    const std::string name = ReadBack(value);
    if (gara::IsPlainFileName(name)) {
      Require(name.find('/') == std::string::npos && name.find(':') == std::string::npos &&
              name.find("..") == std::string::npos);
    }
  }
  return 0;
}
