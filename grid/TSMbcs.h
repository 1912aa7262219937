#pragma once
// Character-level primitives of the grid's text engine. Text is UTF-8 and is
// addressed by byte offsets from 0; no operation here ever splits a
// character. A line break is a carriage return (13) or line feed (10); CR LF
// and LF CR form one break of two bytes, CR CR and LF LF are two breaks.
// The end of the view is the end of the text.

#include <string_view>

// True at a CR or LF byte.
bool IsLineBreakAt(std::string_view text, int i);
// Advances i past the line break at i (1 byte, or 2 when the next byte is
// the other break character); False when there is no break at i.
bool SkipLineBreak(std::string_view text, int& i);
bool IsEndOfText(std::string_view text, int i);
// 0 at the end; the break length (1 or 2) at a line break; the byte length
// of the UTF-8 character at i otherwise.
int CharLengthAt(std::string_view text, int i);
// Length of the character that ends at n: 0 when n <= 0; 2 for a CR LF or
// LF CR pair; the byte length of a UTF-8 character; else 1.
int PrevCharLength(std::string_view text, int n);

// Plain byte search in the first n bytes; -1 when absent.
int FindByte(std::string_view text, char value, int n);
int FindByteBack(std::string_view text, char value, int n);
// The first (last) ch in the first n bytes that is a whole character: a
// byte inside a multi-byte character never matches. -1 when absent.
int FindChar(std::string_view text, char ch, int n);
int FindCharBack(std::string_view text, char ch, int n);
// The UTF-8 lead byte test (the first byte of a multi-byte character).
bool IsLeadByte(unsigned char b);
