#pragma once
// Text routines of the CSV stream format: quoting, escaping of text values
// and the six-bit form of binary values.

#include <string>
#include <string_view>

// Encloses the value in q, doubling every q inside; q == '\0' leaves it.
std::string QuoteValue(std::string_view text, char q);
// Text starting with q: up to the closing q, doubled q's made single; other
// text gives ""; q == '\0' leaves it.
std::string UnquoteValue(std::string_view text, char q);
// NUL -> "%0", LF -> "%n", CR -> "%c", "%" -> "%%".
std::string EscapeText(std::string_view text);
// Reverses EscapeText. A "%" followed by any other character keeps both
// characters; a "%" at the very end is dropped.
std::string UnescapeText(std::string_view text);
// Bytes as a bit stream (least significant bit first), 6 bits per
// character, each written as the character with code 32 + value.
std::string EncodeSixBit(std::string_view bytes);
// Reverses EncodeSixBit; raises EMemTableError on characters outside the
// code range or a length no encoding produces.
std::string DecodeSixBit(std::string_view text);
