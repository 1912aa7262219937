// How the standard components look in the page designer: texts and memos
// drawn in their font at the designer's scale, sections as a dotted frame,
// images stretched into their place or, without one, a dashed placeholder.
#include <cmath>
#include <cstdlib>

#include "platform/core/Strings.h"
#include "platform/gui/Canvas.h"
#include "report/BaseReport.h"
#include "report/Memo.h"
#include "reportproject/VzCsStd.h"
#include "reportproject/VzDesigner.h"

namespace {

constexpr TColor OutlineGrey = TColor(0xC0C0C0);

// The text's own lines, for a memo laid out without a report to measure on.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\r' || ch == '\n') {
            lines.push_back(line);
            line.clear();
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += ch;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

void TVizeCustomText::DrawText(TCanvas* canvas, const std::vector<std::string>& lines) const {
    const TVizePageDesigner& d = DesignScale();
    const TFont& source = PrintFont();
    const double size = std::abs(source.Size());
    TFont* font = canvas->Font();
    font->SetName(source.Name());
    font->SetHeight(-d.Pixels(size / 72));
    font->SetStyle(source.Style());
    font->SetColor(source.Color());
    font->SetPitch(source.Pitch());
    font->SetCharset(source.Charset());
    canvas->Brush()->SetStyle(bsClear);
    const int descent = canvas->TextMetrics().tmDescent;
    const int left = d.XI2D(PageLeft()), right = d.XI2D(PageRight());
    const int centre = d.XI2D((PageLeft() + PageRight()) / 2);
    const TPrintJustify justify = TPrintJustify(FontJustify());
    const int openWidth = BracketText() ? canvas->TextWidth("[") : 0;
    const int closeWidth = BracketText() ? canvas->TextWidth("]") : 0;
    const unsigned savedAlign = canvas->TextAlign();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int y = d.YI2D(PageTop() + double(i + 1) * size / 60) - descent;
        if (BracketText()) {
            canvas->SetTextAlign(TA_LEFT | TA_BASELINE);
            canvas->TextOut(left, y, "[");
            canvas->SetTextAlign(TA_RIGHT | TA_BASELINE);
            canvas->TextOut(right, y, "]");
        }
        switch (justify) {
            case pjCenter:
                canvas->SetTextAlign(TA_CENTER | TA_BASELINE);
                canvas->TextOut(centre, y, lines[i]);
                break;
            case pjRight:
                canvas->SetTextAlign(TA_RIGHT | TA_BASELINE);
                canvas->TextOut(right - closeWidth, y, lines[i]);
                break;
            default:
                canvas->SetTextAlign(TA_LEFT | TA_BASELINE);
                canvas->TextOut(left + openWidth, y, lines[i]);
                break;
        }
    }
    canvas->SetTextAlign(savedAlign);
}

void TVizeText::PaintSelf(TCanvas* canvas) {
    const TRect box = DesignRect();
    TClipScope clip(canvas, box);
    if (DesignScale().ShowOutlines()) {
        canvas->Pen()->SetColor(OutlineGrey);
        canvas->Pen()->SetStyle(psSolid);
        canvas->Pen()->SetWidth(1);
        canvas->Pen()->SetMode(pmCopy);
        canvas->Brush()->SetStyle(bsClear);
        canvas->Rectangle(box);
    }
    DrawText(canvas, {GetText()});
}

void TVizeMemo::PaintSelf(TCanvas* canvas) {
    const TFont& font = PrintFont();
    const std::string text = GetText();
    TBaseReport* report = ProjectReport(this);
    std::string key = text + '\x01' + std::to_string(GetWidth()) + '\x01' + font.Name() + '\x01' +
                      std::to_string(font.Size()) + '\x01' + std::to_string(unsigned(font.Style())) + '\x01' +
                      (report ? "r" : "");
    if (key != designKey_) {
        designLines_.clear();
        if (report) {
            // Wrapped as the report wraps it: the memo's width from 0.
            TMemoBuf buffer;
            buffer.BaseReport = report;
            report->AssignFont(font);
            buffer.PrintStart = 0;
            buffer.PrintEnd = report->InchesToUnitsX(GetWidth());
            buffer.SetText(text);
            while (!buffer.AtEnd()) {
                const int before = buffer.Position();
                designLines_.push_back(buffer.GetLine());
                if (buffer.Position() <= before) break;
            }
        } else {
            designLines_ = SplitLines(text);
        }
        designKey_ = std::move(key);
    }
    TClipScope clip(canvas, DesignRect());
    DrawText(canvas, designLines_);
}

void TVizeSection::PaintSelf(TCanvas* canvas) { PaintDottedFrame(canvas, TColor(0x808080)); }

void TVizeSection::PaintDottedFrame(TCanvas* canvas, TColor colour) const {
    canvas->Pen()->SetColor(colour);
    canvas->Pen()->SetStyle(psDot);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetMode(pmCopy);
    canvas->Brush()->SetStyle(bsClear);
    canvas->Rectangle(DesignRect());
}

void TVizeBaseImage::PaintSelf(TCanvas* canvas) {
    struct Release {
        TVizeBaseImage* self;
        ~Release() { self->ReleaseLoadedImage(); }
    } release{this};
    TPen* pen = canvas->Pen();
    pen->SetColor(OutlineGrey);
    pen->SetWidth(1);
    pen->SetMode(pmCopy);
    canvas->Brush()->SetColor(clBlack);
    canvas->Brush()->SetStyle(bsClear);
    LoadImageFile(FileLink());
    const TRect box = DesignRect();
    if (HasImage()) {
        if (DesignScale().ShowOutlines()) {
            pen->SetStyle(psSolid);
            canvas->Rectangle(box);
        }
        double x1 = box.Left, y1 = box.Top, x2 = box.Right - 1, y2 = box.Bottom - 1;
        PlaceImage(TMatchSide(MatchSide()), x1, y1, x2, y2, ImageWidth(), ImageHeight(), true);
        PaintImage(canvas, {int(x1), int(y1), int(x2), int(y2)});
        return;
    }
    pen->SetStyle(psDash);
    canvas->Rectangle(box);
    pen->SetStyle(psSolid);
    canvas->MoveTo(box.Left, box.Top);
    canvas->LineTo(box.Right - 1, box.Bottom - 1);
    canvas->MoveTo(box.Left, box.Bottom - 1);
    canvas->LineTo(box.Right - 1, box.Top);
}

void TVizeGraphicImage::PaintImage(TCanvas* canvas, const TRect& rect) {
    if (TGraphic* g = CurrentImage()) canvas->StretchDraw(rect, g);
}
