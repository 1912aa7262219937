#pragma once
// Formatting embedded in report text: code blocks between the characters
// of a text switch bold, italic, underline, strike-out, sub- and
// superscript, font name, size, colour, pitch, justification and indents,
// or attach a hyperlink. A block is byte 1, a code, (byte 2, code)..., byte
// 4; a code is one letter and its parameter.

#include <string>

#include "report/ReportDefs.h"

inline constexpr char FormatBlockStart = '\x01';
inline constexpr char FormatCodeSeparator = '\x02';
inline constexpr char FormatIgnored = '\x03';
inline constexpr char FormatBlockEnd = '\x04';

struct TFormatState {
    std::string Name = "Arial";  // at most 40 characters
    double Size = 12;
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    bool Subscript = false, Superscript = false;
    Byte Pitch = 0;
    TColor Color = 0;
    TPrintJustify Justify = pjLeft;
    double FirstIndent = 0, LeftIndent = 0, RightIndent = 0;
};

bool HasFormatCodes(const std::string& text);
// Reads the next code at or after position (1-based); code is ' ' at the end.
void NextFormatCode(const std::string& text, int& position, char& code, std::string& parameter);
// Code blocks at the position (if any), then the plain text up to the next block.
void SplitFormatRun(const std::string& text, int& position, std::string& codes, std::string& plain);
int CodeFreeLength(const std::string& text);
void ApplyFormatCodes(TFormatState& state, const std::string& text);
void AppendFormatCode(std::string& block, const std::string& code);
std::string FormatStateDifference(std::string& block, const TFormatState& oldState, const TFormatState& newState);
std::string FormatStateCode(const TFormatState& state);
TPrintJustify JustifyOfCodes(const std::string& text, TPrintJustify defaultJustify);

// Converts RTF text into text with format codes (fonts, sizes, styles,
// colours, justification and indents; other destinations are skipped).
// Characters the RTF escapes in its code page come out as UTF-8.
std::string ReadRTF(const std::string& rtf);
