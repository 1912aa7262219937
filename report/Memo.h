#pragma once
// The memo printer: a long text printed on a report between two horizontal
// positions. Words wrap to the print width, line ends break paragraphs, and
// embedded format codes give fonts, indents and justification. The codes are
// taken out of the text and kept as positioned items, so that searching,
// replacing and wrapping see the plain characters only. Printing stops after
// a number of lines or when a height is used up, and goes on later from
// where it stopped.

#include <memory>
#include <string>
#include <vector>

#include "report/BaseReport.h"
#include "report/FormatCodes.h"

// Code blocks that take effect before the buffer character at Position
// (the buffer size for codes at the very end).
class TVPTFItem {
public:
    TVPTFItem(std::string codes, int position) : Codes(std::move(codes)), Position(position) {}
    std::string Codes;
    int Position;
};

class TMemoBuf : public TBaseMemoBuf {
public:
    TMemoBuf() = default;

    // Height budget (user units) of PrintLines for coded text; 0 or less:
    // no budget.
    double MaxHeight = 0;
    // Growth step of the text buffer in bytes.
    int BufferIncrement = 256;
    // PrintLines ends without a line break.
    bool NoFinalBreak = false;
    // Code blocks are taken out of a loaded text.
    bool ProcessCodes = true;

    // ---------------------------------------------------- loading, editing
    void SetText(const std::string& text);
    // Loads RTF text, converted into text with format codes.
    void SetRTF(const std::string& rtf);
    // Loads count bytes (0: all); a memory stream gives them from the start
    // of its memory, any other stream from its current position.
    void LoadStream(TStream& stream, Int64 count);
    bool AtEnd() const { return buffer_.empty() || pos_ >= int(buffer_.size()); }
    void InsertText(int pos, const std::string& text);
    void DeleteText(int pos, int count);
    bool FindText(const std::string& text, bool caseMatters);
    bool FindNextText();
    void ReplaceAll(const std::string& search, const std::string& replacement, bool caseMatters);

    // The plain characters.
    const std::string& Text() const { return buffer_; }
    int Size() const { return int(buffer_.size()); }
    int Capacity() const { return capacity_; }
    int Position() const { return pos_; }
    void SetPosition(int pos) { pos_ = pos < 0 ? 0 : (pos > Size() ? Size() : pos); }
    const std::vector<std::unique_ptr<TVPTFItem>>& Items() const { return items_; }
    // Adds codes before the character at pos: merged into an item already
    // there, or replacing its codes when `replace` is set.
    void AddCode(const std::string& codes, int pos, bool replace = false);
    // The format in force at a buffer position.
    TFormatState FormatStateAt(int pos) const;

    // ------------------------------------------- layout and printing
    // Lays out the next line at the print width and moves past it.
    void ReadLine(bool& endsParagraph, std::string& line);
    // Lines from the position to the end; the position is kept.
    int CountLines();
    // Prints count lines (0: all that remain); the height printed.
    double PrintLines(int count, bool useTabs) override;
    // Prints the lines that fit into the height (user units).
    double PrintHeight(double height, bool useTabs);
    // Height (user units) the remaining lines need, at most limit.
    double HeightWithin(double limit);
    double MemoHeight() { return HeightWithin(99999999); }

    std::string GetLine() override;
    int MemoLinesLeft() override { return CountLines(); }

private:
    struct TSavedState {
        int Pos;
        bool Para, LineStart;
    };
    void Clear();
    void CheckReport(const char* operation) const;
    TSavedState SaveState() const { return {pos_, paraFlag_, lineStart_}; }
    void RestoreState(const TSavedState& s) {
        pos_ = s.Pos;
        paraFlag_ = s.Para;
        lineStart_ = s.LineStart;
    }
    // Reads the next token; true for a paragraph break.
    bool ReadToken(std::string& token);
    std::string InsertCodes(const std::string& raw) const;
    int MeasureLine(const std::string& line);
    // Lays out one line for w device pixels; true when it ended its
    // paragraph (or the text).
    bool LayOutLine(int w, std::string& line);
    // LayOutLine with the report's font realized on its canvas.
    bool LayOutWithFont(int w, std::string& line);
    int PrintWidth() const;
    void LineBreak();
    bool CodedHeights() const;

    std::string buffer_;
    int capacity_ = 0;
    int pos_ = 0;
    bool paraFlag_ = true;
    bool lineStart_ = true;
    int lineFirst_ = 0;  // buffer index of the line's first non-blank character
    double leftIndent_ = 0, rightIndent_ = 0;
    std::vector<std::unique_ptr<TVPTFItem>> items_;
    std::string search_;
    bool searchCase_ = false;
};
