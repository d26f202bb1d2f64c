// Conversions between texts and numbers, and Shift-JIS-aware text filters.
// Texts are byte strings in code page 932; nothing here decodes or re-encodes them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gara {

// 0x80..0x9F and 0xE0..0xFD start a two-byte character.
constexpr bool IsLeadByte(unsigned char b) {
  return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD);
}

// True for "1" and the other true-words, after space removal and ANSI upper-casing.
bool TextToBool(std::string_view text);
std::string_view BoolToText(bool flag);

// The integer the whole text denotes (decimal, or hex after "$", "x", "X", "0x", "0X"),
// else 0. Never raises; a value outside int32 gives 0.
// Accepted: leading ASCII spaces only (no tabs), then an optional sign, then the prefix, then
// at least one digit; nothing may follow, not even a space. The sign applies to hex as well
// ("-$10" is -16), and hex denotes its magnitude, not a bit pattern: "$FFFFFFFF" is out of
// range and gives 0, "-$80000000" is INT32_MIN.
int32_t TextToInt(std::string_view text);
// The number the whole text denotes ("." separator, optional exponent), else 0.0.
// Never raises and never yields infinity or NaN: an out-of-range literal gives 0.0.
// Accepted: leading ASCII spaces, an optional sign, digits with an optional "." fraction and
// at least one digit on either side of the point (".5" and "5." are numbers, "." is not), then
// an optional exponent: "e" or "E", an optional sign, at least one digit. Rejected (0.0):
// "nan", "inf", hex floats, commas, trailing bytes of any kind. A literal too large for a
// double ("1e999") and one too small to be distinguished from zero ("1e-999") give 0.0, and
// every zero, "-0" included, gives +0.0.
double TextToReal(std::string_view text);

// printf("%.*f", decimals, value); non-finite values are written as 0 (with `decimals` zeros
// after the point), and `decimals` is taken within 0 .. kMaxFixedDecimals.
inline constexpr int kMaxFixedDecimals = 1100;
std::string FormatFixed(int decimals, double value);
std::string TrimZeros(std::string_view text);
// TrimZeros(FormatFixed(decimals, value)): the figure-file and dialog form of a real.
std::string FixedText(int decimals, double value);

std::string RemoveSpaces(std::string_view text);
// True when RemoveSpaces(text) would be empty; allocates nothing.
bool IsBlankText(std::string_view text);
std::string RemoveControlChars(std::string_view text);
// A text from a file as a message quotes it: its first `maxChars` characters, then "…" when
// there are more, so that a broken file of any size makes a message of a few lines. Two-byte
// characters are kept whole; a control byte, or a lead byte without a valid trail byte, shows as
// "?" rather than vanishing (a NUL would end the message box's text there).
std::string MessageExcerpt(std::string_view text, int maxChars);
int CharCount(std::string_view text);

}  // namespace gara
