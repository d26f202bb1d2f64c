// UTF-16 text of Unicode archives turned into code page 932 bytes, with a table generated from
// glibc iconv (tools/gen_cp932_table.py), so that no platform call is needed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gara::jws {

// What a character without a CP932 form becomes: "?", as Windows' own conversion writes it.
// Unpaired surrogates and characters beyond the Basic Multilingual Plane (no CP932 character
// lies there) become it too.
inline constexpr char kReplacementChar = '?';

// The CP932 code of one UTF-16 unit: 0x00..0xFF for one byte, 0x8140.. for two bytes; -1 when
// CP932 has no such character (and for every surrogate).
int32_t Cp932Code(char16_t unit);

// Appends the CP932 form of `utf16le`, a sequence of little-endian UTF-16 code units (an odd
// last byte is ignored).
void AppendUtf16AsCp932(std::string_view utf16le, std::string& out);

// The other way: the UTF-16 unit of a CP932 code (0x00..0xFF for one byte, 0x8140.. for two
// bytes, as Cp932Code gives them); -1 when the code is not a CP932 character. Codes that share
// their character with another code (the NEC-selected and IBM extensions) are known by the
// code Cp932Code gives for that character only.
int32_t UnicodeOfCp932(int32_t code);

// The character of CP932 text that starts at byte `at`: its UTF-16 unit (-1 when the byte, or
// the lead byte with its partner, is no CP932 character) and how many bytes it takes. A lead
// byte without a trail byte after it is one bad byte: what follows starts afresh.
struct Cp932Char {
  int32_t unit;
  size_t length;
};
Cp932Char DecodeCp932At(std::string_view cp932, size_t at);

// Appends the UTF-8 form of `c`, a character of the Basic Multilingual Plane.
void AppendUtf8(std::string& out, char32_t c);

// CP932 text as UTF-8, for a terminal; what is no CP932 character becomes U+FFFD.
std::string Cp932ToUtf8(std::string_view cp932);

// CP932 text as UTF-8 that converts back to the same bytes; none when a byte or a pair is no
// CP932 character, or one whose character CP932 writes with another code.
std::optional<std::string> Cp932ToUtf8Exact(std::string_view cp932);

// UTF-8 text as CP932. A character CP932 lacks and a byte that is no part of a well-formed UTF-8
// character become "?", and clear `exact` when it is given.
std::string Utf8ToCp932(std::string_view utf8, bool* exact = nullptr);

}  // namespace gara::jws
