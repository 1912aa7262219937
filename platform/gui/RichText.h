#pragma once
// A rich-text document as a hidden rich-edit control would hold it, for
// drawing it into a rectangle of a recording canvas page by page. RTF is
// read for its characters, paragraph and line breaks and tabs; character
// formatting is not kept, so the text is drawn in the canvas's font. Any
// other content is taken as UTF-8 plain text.

#include <cstdint>
#include <string>
#include <vector>

#include <QString>

#include "platform/core/Object.h"
#include "platform/gui/Graphics.h"

class TMetafileCanvas;

class TRichTextDocument : public TObject {
public:
    // Replaces the text. RTF (bytes starting "{\rtf") whose groups do not
    // balance, nest deeper than kMaxDepth or whose binary data runs past
    // the end is refused with EConvertError; the text is then empty.
    void LoadFromBytes(const std::vector<std::uint8_t>& bytes);
    // Reads the file (EFOpenError when it cannot be opened).
    void LoadFromFile(const std::string& path);
    void SetText(const std::string& utf8);

    // The text in UTF-8, paragraphs ending in "\n".
    std::string Text() const { return text_.toStdString(); }
    // Characters (UTF-16 code units, as positions count them).
    int Length() const { return static_cast<int>(text_.size()); }

    // Draws the characters from start up to end (end < 0 or beyond the
    // text: its end) into r on the canvas in the canvas's font, wrapping at
    // blanks (a word wider than r is broken inside), and answers the
    // position of the first character not drawn: end when everything fit,
    // start when not even one line fits into r.
    int FormatRange(TMetafileCanvas& canvas, int start, int end, const TRect& r) const;

    static constexpr int kMaxDepth = 256;

private:
    QString text_;
};
