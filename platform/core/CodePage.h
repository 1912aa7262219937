#pragma once
// The one converter between UTF-8 text and Windows-1252 bytes, used only
// where a file format declares that code page. The five byte values the code
// page leaves undefined map to and from the control characters of the same
// number, as Windows maps them.

#include <string>
#include <string_view>

// The code page byte of a character; false when the code page cannot hold it.
bool CharToCp1252(char32_t codePoint, unsigned char& byte);
// The character of a code page byte.
char32_t Cp1252ToChar(unsigned char byte);

// Characters the code page cannot hold, and malformed UTF-8 bytes, become
// `replacement`, one per character.
std::string Utf8ToCp1252(std::string_view s, char replacement = '?');
std::string Cp1252ToUtf8(std::string_view s);
