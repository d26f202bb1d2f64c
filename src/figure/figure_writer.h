// Appending the fields of figure-file lines to an output text without a heap allocation per
// number, for writers of whole figures.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gara {

// The text of FixedText(decimals, value) for decimals 0..40: fixed notation, trailing fraction
// zeros and a bare point dropped, non-finite values as 0; but a negative value that rounds to
// zero is written 0, not -0.
void AppendFixedText(std::string& out, int decimals, double value);
void AppendInteger(std::string& out, int64_t value);
// `text` without its control bytes, every double quote doubled, inside double quotes.
void AppendQuotedText(std::string& out, std::string_view text);

}  // namespace gara
