// How regions and bands look in the page designer. A region is a grey box
// with its name; its bands are stacked from its top, each below a raised
// header strip that tells the band's name, its controller (a triangle in
// the controller's colour pointing towards it) and its print locations
// and occasions. Bands without controller and iterate bands take their
// colours in turn from a fixed table.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "platform/gui/Canvas.h"
#include "reportproject/VzCsRpt.h"
#include "reportproject/VzDesigner.h"

namespace {

constexpr TColor Grey = TColor(0x808080);

constexpr TColor BandColours[20] = {
    TColor(0xFF0000), TColor(0x0000FF), TColor(0x00FF00), TColor(0xFF00FF), TColor(0xFFFF00),
    TColor(0x00FFFF), TColor(0xFF0080), TColor(0x0080FF), TColor(0xFF8000), TColor(0xC080FF),
    TColor(0x004080), TColor(0xC08080), TColor(0x8000FF), TColor(0x000080), TColor(0x008000),
    TColor(0x800000), TColor(0xFF8080), TColor(0x800080), TColor(0x808000), TColor(0x008080)};

void SolidPen(TCanvas* canvas, TColor colour) {
    canvas->Pen()->SetColor(colour);
    canvas->Pen()->SetStyle(psSolid);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetMode(pmCopy);
}

void SmallArial(TCanvas* canvas, bool bold, TColor colour) {
    TFont* f = canvas->Font();
    f->SetName("Arial");
    f->SetSize(8);
    f->SetStyle(bold ? TFontStyles(fsBold) : TFontStyles(0));
    f->SetColor(colour);
    f->SetPitch(fpDefault);
}

// The boundaries between columns of width columnWidth over [left, right):
// a black diagonal cross over the spacing, or a line without spacing.
void PaintColumnGaps(TCanvas* canvas, const TVizePageDesigner& d, double left, double top, double bottom,
                     double columnWidth, double spacing, int columns) {
    SolidPen(canvas, clBlack);
    canvas->Brush()->SetColor(clBlack);
    canvas->Brush()->SetStyle(bsDiagCross);
    for (int i = 1; i < columns; ++i) {
        double x = left + i * columnWidth + (i - 1) * spacing;
        if (spacing != 0) {
            canvas->Rectangle(d.XI2D(x), d.YI2D(top), d.XI2D(x + spacing) + 1, d.YI2D(bottom) + 1);
        } else {
            canvas->MoveTo(d.XI2D(x), d.YI2D(top));
            canvas->LineTo(d.XI2D(x), d.YI2D(bottom) + 1);
        }
    }
}

// One flag of a header strip: black bold when present, else grey over a
// white shadow one pixel right and below. Answers its width.
int FlagWidth(TCanvas* canvas, const std::string& text, bool present) {
    SmallArial(canvas, present, clBlack);
    return canvas->TextWidth(text);
}

void PaintFlag(TCanvas* canvas, int x, int y, const std::string& text, bool present) {
    if (present) {
        SmallArial(canvas, true, clBlack);
        canvas->TextOut(x, y, text);
        return;
    }
    SmallArial(canvas, false, clWhite);
    canvas->TextOut(x + 1, y + 1, text);
    SmallArial(canvas, false, Grey);
    canvas->TextOut(x, y, text);
}

struct TFlag {
    std::string text;
    bool present;
};

std::vector<TFlag> BandFlags(const TVizeBand& band) {
    const TVizeBandStyle* style = band.BandStyle();
    const Byte loc = style ? style->PrintLoc : 0;
    const Byte occ = style ? style->PrintOcc : 0;
    std::vector<TFlag> flags = {{"(", true}};
    if (band.ControllerBand()) {
        const std::pair<const char*, TBandPrintLoc> locs[] = {
            {"B", plBodyHeader}, {"G", plGroupHeader}, {"R", plRowHeader}, {"D", plDetail},
            {"r", plRowFooter},  {"g", plGroupFooter}, {"b", plBodyFooter}};
        for (const auto& [text, l] : locs) flags.push_back({text, (loc & LocBit(l)) != 0});
    } else {
        flags.push_back({"Master ", true});
    }
    flags.push_back({"  ", true});
    flags.push_back({"1", (occ & OccBit(poFirst)) != 0});
    flags.push_back({"P", (occ & OccBit(poNewPage)) != 0});
    flags.push_back({"C", (occ & OccBit(poNewColumn)) != 0});
    flags.push_back({")", true});
    return flags;
}

// The raised strip above a band, from (left, top) to (right, bottom)
// exclusive.
void PaintHeaderStrip(TCanvas* canvas, const TRect& strip, const std::string& caption, const TVizeBand& band,
                      TColor mark, bool triangle, bool pointsUp) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(TColor(0xC0C0C0));
    canvas->FillRect(strip);
    SolidPen(canvas, clWhite);
    canvas->MoveTo(strip.Left, strip.Bottom - 1);
    canvas->LineTo(strip.Left, strip.Top);
    canvas->LineTo(strip.Right - 1, strip.Top);
    SolidPen(canvas, Grey);
    canvas->MoveTo(strip.Right - 1, strip.Top);
    canvas->LineTo(strip.Right - 1, strip.Bottom - 1);
    canvas->LineTo(strip.Left - 1, strip.Bottom - 1);

    // The mark: a square of the strip's inner height.
    const int size = std::max(3, strip.Bottom - strip.Top - 6);
    const int mx = strip.Left + 3, my = strip.Top + 3;
    SolidPen(canvas, clBlack);
    canvas->Brush()->SetColor(mark);
    canvas->Brush()->SetStyle(bsSolid);
    if (triangle) {
        if (pointsUp)
            canvas->Polygon({{mx + size / 2, my}, {mx + size, my + size}, {mx, my + size}});
        else
            canvas->Polygon({{mx, my}, {mx + size, my}, {mx + size / 2, my + size}});
    } else {
        canvas->Polygon({{mx + size / 2, my}, {mx + size, my + size / 2}, {mx + size / 2, my + size},
                         {mx, my + size / 2}});
    }

    canvas->Brush()->SetStyle(bsClear);
    const unsigned savedAlign = canvas->SetTextAlign(TA_LEFT | TA_TOP);
    SmallArial(canvas, false, clBlack);
    canvas->TextOut(mx + size + 4, strip.Top + 3, caption);
    std::vector<TFlag> flags = BandFlags(band);
    int width = 0;
    for (const TFlag& f : flags) width += FlagWidth(canvas, f.text, f.present);
    int x = strip.Right - 4 - width;
    for (const TFlag& f : flags) {
        PaintFlag(canvas, x, strip.Top + 3, f.text, f.present);
        x += FlagWidth(canvas, f.text, f.present);
    }
    canvas->SetTextAlign(savedAlign);
}

}  // namespace

void TVizeRegion::PaintSelf(TCanvas* canvas) {
    const TVizePageDesigner& d = DesignScale();
    SolidPen(canvas, clBlack);
    canvas->Brush()->SetColor(Grey);
    canvas->Brush()->SetStyle(bsSolid);
    const TRect box = DesignRect();
    canvas->Rectangle(box);
    canvas->Brush()->SetStyle(bsClear);
    SmallArial(canvas, true, clWhite);
    const unsigned savedAlign = canvas->SetTextAlign(TA_RIGHT | TA_TOP);
    const int fontHeight = canvas->TextHeight(Name().empty() ? "X" : Name());
    canvas->TextOut(box.Right - 1 - 3, box.Bottom - 1 - 5 - fontHeight, Name());
    canvas->SetTextAlign(savedAlign);
    if (columns_ >= 2)
        PaintColumnGaps(canvas, d, PageLeft(), PageTop(), PageBottom(), ColumnWidth(), columnSpacing_, columns_);
}

void TVizeRegion::Paint(TCanvas* canvas) {
    if (!canvas || !IsVisible()) return;
    PaintSelf(canvas);
    PaintMasterChildren(canvas);
    TVizePageDesigner* designer = Designer();
    const TVizePageDesigner& d = DesignScale();
    TClipScope clip(canvas, DesignRect());

    std::vector<TVizeBand*> bands;
    for (int i = 0; i < ChildCount(); ++i)
        if (auto* b = dynamic_cast<TVizeBand*>(GetChild(i))) bands.push_back(b);
    std::stable_sort(bands.begin(), bands.end(),
                     [](const TVizeBand* a, const TVizeBand* b) { return a->GetTop() < b->GetTop(); });
    // Colours in turn for the bands that have their own.
    std::map<const TVizeBand*, TColor> colours;
    int next = 0;
    for (const TVizeBand* b : bands)
        if (!b->ControllerBand() || dynamic_cast<const TVizeIterateBand*>(b)) colours[b] = BandColours[next++ % 20];

    SmallArial(canvas, false, clBlack);
    const int stripHeight = canvas->TextHeight("X") + 7;
    const bool regionShown = d.Shows(this);
    // Moving the bands under their strips is the designer's own change.
    if (designer) designer->BeginUpdate();
    int y = d.YI2D(PageTop());
    for (TVizeBand* band : bands) {
        const bool bandShown = regionShown || d.Shows(band);
        if (bandShown) {
            const TRect strip{d.XI2D(PageLeft()), y, d.XI2D(PageRight()) + 1, y + stripHeight};
            const TVizeIterateBand* controller = band->ControllerBand();
            const bool triangle = controller && !dynamic_cast<const TVizeIterateBand*>(band);
            const TColor mark = triangle ? (colours.count(controller) ? colours[controller] : clBlack) : colours[band];
            const bool pointsUp = controller && controller->GetTop() > band->GetTop();
            PaintHeaderStrip(canvas, strip, Name() + ": " + band->Name(), *band, mark, triangle, pointsUp);
            band->headerTop_ = d.YD2I(strip.Top);
            band->headerBottom_ = d.YD2I(strip.Bottom);
            const double top = band->headerBottom_ - PageTop();
            if (std::fabs(band->GetTop() - top) > 1e-9) band->SetTop(top);
            y = strip.Bottom;
        } else {
            band->headerTop_ = band->headerBottom_ = -1;
        }
        if (!band->DesignerHide() || d.Shows(band)) {
            band->Paint(canvas);
            y = d.YI2D(band->PageBottom()) + 1;
        }
    }
    if (designer) designer->EndUpdate();
}

void TVizeBand::PaintSelf(TCanvas* canvas) {
    SolidPen(canvas, clWhite);
    canvas->Brush()->SetColor(clWhite);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(DesignRect());
}

void TVizeIterateBand::PaintSelf(TCanvas* canvas) {
    if (columns_ < 2) {
        TVizeBand::PaintSelf(canvas);
        return;
    }
    const TVizePageDesigner& d = DesignScale();
    const double left = TVizeBand::PageLeft(), top = PageTop(), bottom = PageBottom();
    const double whole = Region() ? Region()->ColumnWidth() : GetWidth();
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Grey);
    canvas->FillRect({d.XI2D(left), d.YI2D(top), d.XI2D(left + whole) + 1, d.YI2D(bottom) + 1});
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(DesignRect());
    PaintColumnGaps(canvas, d, left, top, bottom, GetWidth(), columnSpacing_, columns_);
}

void TVizeBand::ShowHandles() {
    std::vector<TVizeHandle> handles = SizingHandles();
    std::erase_if(handles, [](const TVizeHandle& h) { return h.Number != 6; });
    TellHandles(handles);
}

bool TVizeBand::ContainsPoint(const TVizePoint& point) const {
    if (headerTop_ >= 0 && IsVisible() && point.X >= PageLeft() && point.X <= PageRight() &&
        point.Y >= headerTop_ && point.Y <= headerBottom_)
        return true;
    return TVizeContainerControl::ContainsPoint(point);
}
