#pragma once
// Text helpers. Text is std::string holding UTF-8. Functions that count, cut
// or pad characters count UTF-8 characters and never split one; byte
// positions (Pos) are 1-based byte indexes into the string. Nothing here
// depends on the machine's locale.

#include <concepts>
#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/core/Types.h"

// ---- UTF-8 characters -------------------------------------------------------

// True for the first byte of a multi-byte UTF-8 character.
bool IsUtf8LeadByte(unsigned char b);
inline bool IsUtf8LeadByte(char b) { return IsUtf8LeadByte(static_cast<unsigned char>(b)); }

// Byte length of the character starting at byteIndex (0-based). A byte that
// does not start a well-formed sequence counts as a character of its own, so
// malformed text is never cut in a way that loses bytes. 0 at the end.
std::size_t Utf8CharSize(std::string_view s, std::size_t byteIndex);
// Decodes the character at byteIndex; returns its byte length (0 at the end).
// A malformed byte decodes to its own value (as if it were Latin-1).
std::size_t Utf8DecodeChar(std::string_view s, std::size_t byteIndex, char32_t& codePoint);
// Appends the UTF-8 form of a code point (invalid ones become U+FFFD).
void Utf8AppendChar(std::string& out, char32_t codePoint);

// Number of characters.
Integer Utf8Length(std::string_view s);
// `count` characters starting at character `startChar` (1-based), clamped
// to the text like the platform's Copy.
std::string Utf8Copy(std::string_view s, Integer startChar, Integer count);
// Pads with `fill` to `width` characters; longer text is returned unchanged.
std::string Utf8PadLeft(std::string_view s, Integer width, char fill = ' ');
std::string Utf8PadRight(std::string_view s, Integer width, char fill = ' ');

// ---- Case --------------------------------------------------------------------

// ASCII letters only.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Also maps the letters of Latin-1, Latin Extended-A, Greek and Cyrillic;
// the byte length of the text never changes.
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);

// ---- Trimming and comparing ----------------------------------------------------

// Remove leading/trailing blanks and control characters (bytes <= ' ').
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// ASCII case-insensitive; <0, 0, >0.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// Byte-wise (= code point order for UTF-8); <0, 0, >0.
int CompareStr(std::string_view a, std::string_view b);
// Case-insensitive over the letters AnsiUpperCase knows.
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);

// ---- Searching and replacing ---------------------------------------------------

enum TReplaceFlag : unsigned { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = unsigned;

std::string StringReplace(std::string_view s, std::string_view oldPattern,
                          std::string_view newPattern, TReplaceFlags flags);
// 1-based byte position of the first occurrence of sub in s; 0 when absent
// or when sub is empty.
Integer Pos(std::string_view sub, std::string_view s);

// ---- Integers --------------------------------------------------------------------

std::string IntToStrImpl(Int64 v);
std::string UIntToStrImpl(UInt64 v);
std::string IntToHexImpl(UInt64 v, int digits);

template <std::integral T>
std::string IntToStr(T v) {
    if constexpr (std::is_signed_v<T>) return IntToStrImpl(static_cast<Int64>(v));
    else return UIntToStrImpl(static_cast<UInt64>(v));
}

// Upper-case hex with at least `digits` digits. Negative values show their
// two's complement at 32 bits (64 bits for 64-bit types).
template <std::integral T>
std::string IntToHex(T v, int digits = 0) {
    UInt64 bits;
    if constexpr (sizeof(T) <= 4) bits = static_cast<std::uint32_t>(static_cast<std::int64_t>(v));
    else bits = static_cast<UInt64>(v);
    return IntToHexImpl(bits, digits);
}

// Accept optional leading blanks, a sign, and decimal digits or hex digits
// after "$", "0x" or "x". Nothing may follow the digits. Hex values may use
// the full unsigned width and wrap (so "$FFFFFFFF" is -1); decimal values
// must be in range.
bool TryStrToInt(std::string_view s, Integer& value);
bool TryStrToInt64(std::string_view s, Int64& value);
// Raise EConvertError "'<text>' is not a valid integer value".
Integer StrToInt(std::string_view s);
Int64 StrToInt64(std::string_view s);
Integer StrToIntDef(std::string_view s, Integer def);
Int64 StrToInt64Def(std::string_view s, Int64 def);

// ---- Quoting ---------------------------------------------------------------------

// 'text' with embedded quotes doubled.
std::string QuotedStr(std::string_view s);
std::string AnsiQuotedStr(std::string_view s, char quote);
// Reads a quoted string starting at s[pos] (which must be the quote),
// undoubling embedded quotes; pos ends after the closing quote or at the end.
// Returns empty and leaves pos alone when s[pos] is not the quote.
std::string AnsiExtractQuotedStr(std::string_view s, std::size_t& pos, char quote);
// The unquoted text when s is quoted; s itself otherwise.
std::string AnsiDequotedStr(std::string_view s, char quote);
