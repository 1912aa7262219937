#pragma once
// The grid's text engine: measuring on a canvas, breaking text into lines at
// line breaks and (with word wrap) at blanks, and drawing it left, right or
// centred and top, bottom or centred in a rectangle, optionally with one
// underlined accelerator character or with a selected part in the selection
// colours. Cell and heading drawing use DrawAlignedText; the in-cell edit box
// uses DrawEditText, WrapIntoLineList, TextWidthWithBreaks and the word-jump
// functions; the row-height calculation uses MeasureWrappedText.
//
// Text is UTF-8 addressed by byte offsets from 0 (TSMbcs.h); lines are never
// cut inside a character. A blank is a space or a tab; a word character is
// anything that is neither blank nor line break.

#include <string>
#include <string_view>

#include "grid/GridTypes.h"
#include "grid/TSMbcs.h"
#include "grid/TSSetLib.h"
#include "platform/gui/Canvas.h"

// ------------------------------------------------------------ flags

// The far-east line spacing rule: with it, a font with external leading gets
// one extra pixel between lines. Character handling is UTF-8 whatever this
// says. Set once at start-up; off by default.
extern bool MbcsEnabled;
// Whether the canvas's text extents include an italic font's overhang; set
// by ProbeItalicOverhang at start-up.
extern bool ItalicOverhangIncluded;
// Measures the first character of "XX" and then both in an italic font:
// the extents include the overhang when two characters measure less than
// twice one. Sets and returns ItalicOverhangIncluded.
bool ProbeItalicOverhang();

// The text metrics the engine uses.
struct TgrTextMetric {
    int tmHeight = 0;
    int tmExternalLeading = 0;
    int tmAveCharWidth = 0;
    // Extra width of an italic font's last character; 0 for the outline
    // fonts the canvas uses.
    int tmOverhang = 0;
};
TgrTextMetric GetTextMetric(TCanvas* canvas);

// 1 with MbcsEnabled and a font with external leading, else 0. The line
// pitch everywhere is tmHeight + ExtraLineSpacing.
int ExtraLineSpacing(const TgrTextMetric& tm);
inline int LinePitch(const TgrTextMetric& tm) { return tm.tmHeight + ExtraLineSpacing(tm); }

// ------------------------------------------------------- text primitives

// The earlier of the first CR and the first LF in n bytes; -1 when none.
int FindLineBreak(std::string_view text, int n);
bool IsBlankAt(std::string_view text, int i);
bool IsWordCharAt(std::string_view text, int i);
// The later of the last space and the last tab in n bytes; -1 when none.
int FindLastBlank(std::string_view text, int n);
// The position after the leading blanks of the first n bytes.
int SkipBlanks(std::string_view text, int n);
// The start of the last word character before n; -1 when none.
int FindLastWordChar(std::string_view text, int n);
// Bytes from i over the rest of the word and the non-word characters after
// it (Ctrl+Right).
int WordForwardLength(std::string_view text, int i);
// Bytes from n back over non-word characters and the word before them
// (Ctrl+Left).
int WordBackLength(std::string_view text, int n);

// Walks characters over at most maxBytes bytes of text (from its start, or
// backwards from maxBytes), taking at most chars characters; returns the
// bytes and characters taken.
void CountMbcsChars(std::string_view text, int chars, int maxBytes, bool fromEnd, int& byteCount, int& charCount);
// The bytes of the first (or, from the end, the last) min(n, max)
// characters within the first max bytes; 0 when n or max <= 0.
int BytesForChars(std::string_view text, int n, int max, bool fromEnd);
// The characters that start in the first min(n, max) bytes.
int CharsInBytes(std::string_view text, int n, int max);

// ------------------------------------------------------------ measuring

// The extent of the first n bytes (the italic overhang taken off when the
// extents include it).
TSize TextExtentOf(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, int n);
// The widths of the pieces between line breaks of the first n bytes, plus
// one space per break unless breaks count as nothing, plus the overhang
// when asked and the result is above 0.
void TextWidthWithBreaks(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, int& width,
                         bool addOverhang, bool breaksAsNothing, int n);
// Replaces the measured width of every break in the first n bytes by the
// width of a space.
void BreaksAsSpaces(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, int& width, int n);
// Whether a cell of that height wraps: available - pitch >= pitch div 3.
inline bool WrapPossible(int available, int pitch) { return available - pitch >= pitch / 3; }

// ------------------------------------------------------------ wrapping

// The byte length of the next line of text for width; False for no text.
// Right alignment skips (counts, never draws) leading blanks and leaves
// trailing blanks to the next line; other alignments keep the blanks after
// the line. A following line break belongs to the line. Every call makes
// progress.
bool NextWrappedLine(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, int& n,
                     TgrHorzAlignment alignment, int width);
// Fills list with the byte offset of every line start; a single 0 without
// wrapping or when the height is too small. A text that ends with a line
// break has an empty last line.
void WrapIntoLineList(TCanvas* canvas, std::string_view text, int height, int maxLines, TgrIntegerList& list,
                      bool wrap, TgrHorzAlignment alignment, int width);
// Line count (at least 1) and height (count x pitch) of text in width.
void MeasureWrappedText(TCanvas* canvas, std::string_view text, int width, int& height, int& lineCount, bool wrap,
                        TgrHorzAlignment alignment);
// Whether the character that ends at n is a line break.
bool EndsWithLineBreak(std::string_view text, int n);

// ------------------------------------------------------------ drawing

// Where the first line goes: with a line list, bottom alignment puts the
// last line at the bottom (never above top) and centre alignment centres
// the lines when they fit; otherwise top.
int FirstLineTop(int top, const TRect& rect, const TgrIntegerList* lines, const TgrTextMetric& tm,
                 TgrVertAlignment alignment, int extra);
// Draws n bytes at (x, y) clipped to clip, background untouched; with an
// accelerator position a (1-based byte, 0 none) that character is drawn
// underlined. Returns the x after the text.
int DrawTextAccel(TCanvas* canvas, const TgrTextMetric& tm, int x, int a, int n, std::string_view text,
                  TRect clip, unsigned options, int y);
// Cell text: fills rect with the brush and draws text aligned in it, wrapped
// when wrap is set and the height allows it. htaDefault and vtaDefault are
// taken as left and top.
void DrawAlignedText(TCanvas* canvas, std::string_view text, int height, int accelerator, bool wrap,
                     TgrVertAlignment vertical, TgrHorzAlignment horizontal, int top, int x, const TRect& rect);
// Edit-box text with a selection (selStart, selLength in bytes) drawn in the
// selection colours. lines and firstLine come from the edit box's line list;
// scroll is the first shown byte (left and centre alignment) or the end of
// the shown part (right alignment) of a single line. Without a line list the
// rectangle is only filled.
void DrawEditText(TCanvas* canvas, std::string_view text, int height, bool wrap, TgrVertAlignment vertical,
                  TgrHorzAlignment horizontal, TColor selFontColor, TColor selColor, int selLength, int selStart,
                  const TgrIntegerList* lines, int firstLine, int scroll, int top, int x, const TRect& rect);
void DrawSingleLine(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, int accelerator,
                    TgrVertAlignment vertical, TgrHorzAlignment horizontal, TColor selFontColor, TColor selColor,
                    int selLength, int selStart, int top, int x, const TRect& rect, int scroll, int length);
void DrawWrappedLines(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, TgrVertAlignment vertical,
                      TgrHorzAlignment horizontal, TColor selFontColor, TColor selColor, int selLength, int selStart,
                      const TgrIntegerList& lines, int firstLine, int top, int x, const TRect& rect);
// One piece of text (no line breaks) with the part of the selection that
// falls in it; returns the x after the piece.
int DrawTextPiece(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, int extra, int accelerator,
                  TColor selFontColor, TColor selColor, int selLength, int selStart, int y, int x, const TRect& clip,
                  int n);
// Paints the selection box in colour: a rectangle, or for an italic font
// with an overhang a parallelogram leaning with the text; cut at the clip's
// right and bottom edges.
void DrawSelectionShape(TCanvas* canvas, const TgrTextMetric& tm, const TRect& box, TColor colour, const TRect& clip);
// The part of text shown in available pixels: all of it for centre, else
// the characters that fill the width from the start (from the end for right
// alignment), possibly one character wider than available.
void FitTextInWidth(TCanvas* canvas, const TgrTextMetric& tm, std::string_view text, TgrHorzAlignment alignment,
                    int& width, int& n, int available, int total);

// Caption without its "&" marks ("&&" is a literal "&"); position is the
// 1-based byte position of the accelerator character in the result, 0 when
// there is none.
void StripAccelerator(std::string_view caption, int& position, std::string& text);
