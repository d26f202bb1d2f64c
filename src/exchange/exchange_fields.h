// Splitting one exchange-file line into its blank-separated fields.
#pragma once

#include <array>
#include <memory>
#include <span>
#include <string_view>

namespace gara {

// No command of the exchange file has more fields; the scan of a longer line stops at the blank
// that would open field 401, so the excess fields are dropped.
inline constexpr int kMaxExchangeFields = 400;

// Reused from line to line: the field bytes are copied into one scratch buffer that only grows
// (quotes and control bytes are dropped, so a field is not always a piece of the line).
class ExchangeFields {
 public:
  // Splits `line`. The views stay valid until the next call.
  void Split(std::string_view line);

  // The field count c: the number of the field that was current when the scan ended.
  int count() const { return count_; }
  // Field i, numbered from 1 (field 1 is the keyword); empty beyond the count.
  std::string_view operator[](int i) const {
    return i >= 1 && i <= count_ ? fields_[i - 1] : std::string_view();
  }
  std::span<const std::string_view> all() const { return {fields_.data(), size_t(count_)}; }
  // True when a quote or an equals sign ended the splitting inside the keyword: only then can
  // the keyword hold a blank or "=".
  bool keywordRunsOn() const { return keywordRunsOn_; }

 private:
  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
  std::array<std::string_view, kMaxExchangeFields> fields_{};
  int count_ = 0;
  bool keywordRunsOn_ = false;
};

}  // namespace gara
