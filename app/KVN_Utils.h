#pragma once
// Hex line codec of the saved profile, test-set and question-group files:
// every line is stored as the upper-case hexadecimal form of its bytes.

#include <string>

// Each byte of s as two upper-case hex digits, most significant first.
std::string StrToHex(const std::string& s);

// Exactly `count` bytes decoded from pairs of hex digits (either case).
// Decoding stops at the first pair that is not two hex digits or when the
// text runs out; the bytes not decoded are zero bytes.
std::string HexToStr(const std::string& hex, int count);
