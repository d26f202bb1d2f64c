// Conversions between texts and numbers, and Shift-JIS-aware text filters.
// Texts are byte strings in code page 932; nothing here decodes or re-encodes them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace gara {

// 0x80..0x9F and 0xE0..0xFD start a two-byte character.
constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD); }

// True for "1" and the other true-words, after space removal and ANSI upper-casing.
bool TextToBool(std::string_view text);
std::string_view BoolToText(bool flag);

// The integer the whole text denotes (decimal, or hex after "$", "x", "X", "0x", "0X"),
// else 0. Never raises; a value outside int32 gives 0.
int32_t TextToInt(std::string_view text);
// The number the whole text denotes ("." separator, optional exponent), else 0.0.
// Never raises and never yields infinity or NaN: an out-of-range literal gives 0.0.
double TextToReal(std::string_view text);

// printf("%.*f", decimals, value); non-finite values are written as 0.
std::string FormatFixed(int decimals, double value);
std::string TrimZeros(std::string_view text);
// TrimZeros(FormatFixed(decimals, value)): the figure-file and dialog form of a real.
std::string FixedText(int decimals, double value);

std::string RemoveSpaces(std::string_view text);
std::string RemoveControlChars(std::string_view text);
int CharCount(std::string_view text);

}  // namespace gara
