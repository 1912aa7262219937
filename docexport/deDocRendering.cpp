// Default rendering of page items. A format overrides what its file format
// can express; everything else is broken down here into plain text items,
// lines and rectangles (which come back through the virtual operations) or
// drawn into transparent bitmaps handed to RenderBitmap.

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>
#include <utility>

#include <QBuffer>

#include "docexport/deCstDocEng.h"
#include "docexport/deUtils.h"
#include "platform/core/MathUtils.h"

namespace {

// Rounded to an integer. A recorded picture may hold any coordinate: values
// are held within 2^30 either way, far beyond any surface yet with room for
// the canvas's own arithmetic on them; NaN gives 0.
int Rnd(double v) {
    constexpr double kFar = 1 << 30;
    if (std::isnan(v)) return 0;
    return static_cast<int>(RoundHalfEven(std::clamp(v, -kFar, kFar)));
}

// The transparent background of shape bitmaps.
constexpr TColor kTransparent = clWhite;

// The longest side of a shape's bitmap: a shape larger than any page is
// drawn clipped to it rather than allocating what its coordinates ask for.
constexpr int kMaxShapeSide = 4096;

std::unique_ptr<TBitmap> TransparentBitmap(int w, int h) {
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(std::clamp(w, 0, kMaxShapeSide), std::clamp(h, 0, kMaxShapeSide));
    if (!bmp->Image().isNull()) bmp->Image().fill(ToQColor(kTransparent));
    bmp->SetTransparentColor(kTransparent);
    bmp->SetTransparent(true);
    return bmp;
}

// Rounded to a whole number, NaN giving 0 and any value held within 2^50
// so that whole pixels can be taken off it exactly.
double Whole(double v) {
    constexpr double kHuge = 1125899906842624.0;  // 2^50
    return std::isnan(v) ? 0 : RoundHalfEven(std::clamp(v, -kHuge, kHuge));
}

// The bitmap of a shape whose box stands at (x, y) on the page and is
// w x h pixels. Only the box's pixels within the engine's shape area are
// made (at most the shape cap a side): a shape far beyond the page costs
// nothing, and one partly on it shows the pixels it shows drawn whole.
// Without an area the box is cut to the cap from its corner.
struct ShapeRaster {
    std::unique_ptr<TBitmap> Bitmap;
    double CutX = 0, CutY = 0;  // whole pixels of the box left out at its left and top
    double X = 0, Y = 0;        // where the bitmap stands on the page
    // A point given relative to the box's corner, in the bitmap (held
    // within 2^30 like Rnd).
    TPoint At(double dx, double dy) const { return TPoint(Shift(dx, CutX), Shift(dy, CutY)); }
    static int Shift(double v, double cut) {
        constexpr double kFar = 1 << 30;
        return static_cast<int>(std::clamp(Whole(v) - cut, -kFar, kFar));
    }
};

// Of a row of n pixels starting at page position at, the first and the end
// of those that reach into [lo, hi), at most the shape cap of them.
std::pair<double, double> SpanWithin(double at, double n, double lo, double hi) {
    auto cell = [n](double v) { return std::isnan(v) ? 0 : std::clamp(v, 0.0, n); };
    const double first = cell(std::floor(lo - at));
    return {first, std::clamp(cell(std::ceil(hi - at)), first, first + kMaxShapeSide)};
}

ShapeRaster MakeShapeRaster(TdeCustomDocumentEngine* engine, double x, double y, double w, double h) {
    ShapeRaster r;
    const double n = std::max(0.0, Whole(w)), m = std::max(0.0, Whole(h));
    double endX = std::min(n, double(kMaxShapeSide)), endY = std::min(m, double(kMaxShapeSide));
    TdeRect area;
    if (engine->ShapeRasterArea(area)) {
        std::tie(r.CutX, endX) = SpanWithin(x, n, area.Left, area.Right);
        std::tie(r.CutY, endY) = SpanWithin(y, m, area.Top, area.Bottom);
    }
    r.Bitmap = TransparentBitmap(static_cast<int>(endX - r.CutX), static_cast<int>(endY - r.CutY));
    r.X = x + r.CutX;
    r.Y = y + r.CutY;
    return r;
}

void CopyTextAttributes(TdeTextItem& to, const TFont& font, const TBrush& brush, const TdeTextEffects& effects) {
    to.Font.Assign(font);
    to.Brush.Assign(brush);
    to.Effects.Assign(&effects);
}

// Points of a cubic Bezier chain (start point, then three points per
// segment) flattened into a polyline.
std::vector<TPoint> FlattenBezier(const std::vector<TPoint>& p) {
    std::vector<TPoint> out;
    if (p.empty()) return out;
    out.push_back(p[0]);
    constexpr int steps = 16;
    for (std::size_t i = 0; i + 3 < p.size(); i += 3) {
        const TPoint a = p[i], b = p[i + 1], c = p[i + 2], d = p[i + 3];
        for (int s = 1; s <= steps; ++s) {
            const double t = double(s) / steps, u = 1 - t;
            const double x = u * u * u * a.X + 3 * u * u * t * b.X + 3 * u * t * t * c.X + t * t * t * d.X;
            const double y = u * u * u * a.Y + 3 * u * u * t * b.Y + 3 * u * t * t * c.Y + t * t * t * d.Y;
            out.push_back(TPoint(Rnd(x), Rnd(y)));
        }
    }
    return out;
}

struct PointBounds {
    double MinX = std::numeric_limits<double>::max(), MinY = std::numeric_limits<double>::max();
    double MaxX = std::numeric_limits<double>::lowest(), MaxY = std::numeric_limits<double>::lowest();
    void Add(const TdePoint& p) {
        MinX = std::min(MinX, p.X);
        MinY = std::min(MinY, p.Y);
        MaxX = std::max(MaxX, p.X);
        MaxY = std::max(MaxY, p.Y);
    }
};

}  // namespace

// ---- text --------------------------------------------------------------------------------

void TdeCustomDocumentEngine::RenderText(TdeTextItem* item) {
    if (!item->Clipped()) return;
    const TdeRect& c = item->ClipRect;
    const double half = LineHeight(item->Font) / 2;
    if (item->Y >= c.Top && item->Y <= c.Bottom - half && item->X < c.Right && !item->Lines[0].empty() &&
        item->X + 1 < c.Left)
        item->X = c.Left;
}

void TdeCustomDocumentEngine::LayoutTextLines(TdeTextItem* item, TdeHAlignment hAlign,
                                              const std::array<double, 4>& insets, double width, double height,
                                              TdeVAlignment vAlign) {
    TdeTextItem t;
    CopyTextAttributes(t, item->Font, item->Brush, item->Effects);
    t.Rotation = item->Rotation;
    t.Alignment = item->Alignment;
    const double l = LineHeight(item->Font);
    const double h = height - insets[1] - insets[3];
    int n = l > 0 ? Rnd(h / l) : 0;
    n = std::clamp(n, 0, item->Lines.Count());
    if (vAlign == vaCenter)
        t.Y = item->Y + (h - n * l) / 2;
    else if (vAlign == vaBottom)
        t.Y = item->Y + h - n * l;
    else
        t.Y = item->Y + insets[1];
    const double m = width - insets[0] - insets[2];
    for (int i = 0; i < n; ++i) {
        std::string line = item->Lines[i];
        const double lw = TextExtent(line, item->Font).cx;
        t.X = item->X + insets[0];
        if (hAlign == haRight)
            t.X += m - lw;
        else if (hAlign == haCenter)
            t.X += (m - lw) / 2;
        else if (hAlign == haJustify && i < item->Lines.Count() - 1)
            line = JustifyText(line, item->Font, m);
        t.Lines.Clear();
        t.Lines.Add(line);
        RenderText(&t);
        t.Y += TextExtent(line, item->Font).cy;
    }
}

void TdeCustomDocumentEngine::RenderTextBox(TdeTextBoxItem* item) {
    const double x = item->X, y = item->Y, w = item->Width, h = item->Height;
    const TdeFrame& f = item->Frame;
    if (f.DrawLeft) RenderLine(item->Pen, x, y, x, y + h);
    if (f.DrawTop) RenderLine(item->Pen, x, y, x + w, y);
    if (f.DrawRight) RenderLine(item->Pen, x + w, y, x + w, y + h);
    if (f.DrawBottom) RenderLine(item->Pen, x, y + h, x + w, y + h);
    TPen clear;
    clear.Assign(item->Pen);
    clear.SetStyle(psClear);
    RenderRectangle(clear, &item->Brush, x, y, x + w, y + h);
    TBrush saved;
    saved.Assign(item->Brush);
    item->Brush.SetStyle(bsClear);
    LayoutTextLines(item, item->HAlign, f.Insets, w, h, item->VAlign);
    item->Brush.Assign(saved);  // the item stays as recorded
}

void TdeCustomDocumentEngine::RenderParagraph(TdeParagraphItem* item) {
    TdeTextItem t;
    CopyTextAttributes(t, item->Font, item->Brush, item->Effects);
    const TdeTextFormatting& fmt = item->Formatting;
    const double x0 = item->X + fmt.LeftIndentPx();
    const double l = LineHeight(item->Font);
    for (int i = 0; i < item->Lines.Count(); ++i) {
        std::string line = item->Lines[i];
        double w;
        if (i == 0) {
            t.X = x0 + fmt.FirstLineIndentPx();
            w = item->Width - fmt.FirstLineIndentPx();
        } else {
            t.X = x0;
            w = item->Width;
        }
        const double lw = TextExtent(line, item->Font).cx;
        if (fmt.Alignment == haRight)
            t.X += w - lw;
        else if (fmt.Alignment == haCenter)
            t.X += (w - lw) / 2;
        else if (fmt.Alignment == haJustify && i < item->Lines.Count() - 1)
            line = JustifyText(line, item->Font, w);
        t.Y = item->Y + i * l * fmt.LineSpacing;
        t.Lines.Clear();
        t.Lines.Add(line);
        RenderText(&t);
    }
}

// ---- tables ------------------------------------------------------------------------------

void TdeCustomDocumentEngine::RenderTable(TdeTableItem* item) {
    // The item is the table standing on this page (the same item stands on
    // every page it spans). Picking "the first unfinished table" instead
    // would show another table's rows when an earlier table's pages were
    // left out of the page range.
    TdeTableItem* table = item;
    const auto& dist = table->RowDistribution;
    if (dist.size() < 2) return;
    const int start = dist[0];
    const int k = currentPage_ - start + 1;
    if (k < 1 || k >= static_cast<int>(dist.size())) return;
    int count = dist[static_cast<std::size_t>(k)];
    int first = 0;
    for (int i = 1; i < k; ++i) first += dist[static_cast<std::size_t>(i)];
    const TdeTableSettings& ts = table->Settings;
    const bool titles = ts.ShowTitles && currentPage_ == start;
    if (titles) {
        --first;  // the title row, -1, comes first
        ++count;
    }
    if (currentPage_ > start) {
        const TdePageItem* page = PageItem(currentPage_);
        const TdePageSettings& s = page ? page->Settings : page_;
        table->Y = s.Pixels(plTopMargin) + s.Pixels(plHeaderHeight);
    }
    if (k + 1 >= static_cast<int>(dist.size()) || dist[static_cast<std::size_t>(k + 1)] == 0)
        table->Finished = true;

    const auto& in = ts.CellInsetsPx();
    TdeTextItem title;
    CopyTextAttributes(title, table->Font, table->Brush, table->Effects);
    // Wraps the title of column c into the title item and answers the row
    // height its lines need.
    auto wrapTitle = [&](int c) {
        title.Lines.Clear();
        const double w = table->Column(c)->Width() - in[0] - in[2];
        WrapText(SubstituteVariables(table->Column(c)->Title, true), title.Lines, title.Font, ts.AutoFitColumns, w,
                 w);
        if (title.Lines.Count() > 0 && title.Lines[0].empty()) title.Lines.Delete(0);
        return LineHeight(title.Font) * title.Lines.Count() + in[1] + in[3];
    };
    double titleHeight = ts.TitleHeightPx();
    if (ts.ShowTitles)
        for (int c = 0; c < table->ColumnCount(); ++c) titleHeight = std::max(titleHeight, wrapTitle(c));

    double y = table->Y;
    for (int r = first; r < first + count; ++r) {
        if (r >= 0 && r >= static_cast<int>(table->RowHeights.size())) break;
        double rowHeight = r < 0 ? titleHeight : table->RowHeights[static_cast<std::size_t>(r)];
        double x = table->X;
        for (int c = 0; c < table->ColumnCount(); ++c) {
            if (c > 0) x += table->Column(c - 1)->Width();
            if (x - table->X >= table->AvailableWidth) break;
            const double cw = table->Column(c)->Width();
            TPen pen;
            pen.Assign(table->Pen);
            TBrush brush;
            brush.Assign(table->Brush);
            TFont font;
            font.Assign(table->Font);
            TdeFrame frame(nullptr);
            frame.DrawLeft = frame.DrawTop = frame.DrawRight = frame.DrawBottom = true;
            TdeHAlignment align = table->Column(c)->Alignment;
            if (OnCellDraw) OnCellDraw(this, r, c, pen, brush, font, frame, align);
            TPen clear;
            clear.Assign(pen);
            clear.SetStyle(psClear);
            auto background = [&](double h) {
                RenderRectangle(clear, &brush, x, y, x + cw, y + h);
                if (frame.DrawLeft) RenderLine(pen, x, y, x, y + h);
                if (frame.DrawTop) RenderLine(pen, x, y, x + cw, y);
                if (frame.DrawRight) RenderLine(pen, x + cw, y, x + cw, y + h);
                if (frame.DrawBottom) RenderLine(pen, x, y + h, x + cw, y + h);
            };
            if (r >= 0) {
                background(rowHeight);
                if (!(in[0] + in[2] < cw && in[1] + in[3] < rowHeight)) continue;
                for (auto& cell : table->RowCells[static_cast<std::size_t>(r)]) {
                    if (auto* text = dynamic_cast<TdeTextItem*>(cell.get())) {
                        if (Rnd(text->X) != c) continue;
                        const double sx = text->X, sy = text->Y;
                        text->Font.Assign(font);
                        text->Brush.Assign(brush);
                        text->Lines.Put(0, SubstituteVariables(text->Lines[0], true));
                        text->X = x;
                        text->Y = y;
                        LayoutTextLines(text, align, in, cw, rowHeight, vaTop);
                        text->X = sx;
                        text->Y = sy;
                        break;
                    }
                    if (auto* image = dynamic_cast<TdeImageItem*>(cell.get())) {
                        if (Rnd(image->X) != c) continue;
                        const double sx = image->X, sy = image->Y, sw = image->Width, sh = image->Height;
                        const TdeRect sb = image->BoxRect;
                        image->Pen.Assign(pen);
                        image->Brush.Assign(brush);
                        image->X = x + in[0];
                        image->Y = y + in[1];
                        image->Width = std::min(image->Width, cw - in[0] - in[2]);
                        image->Height = std::min(image->Height, rowHeight - in[1] - in[3]);
                        image->BoxRect = {image->X, image->Y, image->X + image->Width, image->Y + image->Height};
                        RenderImage(image);
                        image->X = sx;
                        image->Y = sy;
                        image->Width = sw;
                        image->Height = sh;
                        image->BoxRect = sb;
                        break;
                    }
                }
            } else {
                title.Font.Assign(font);
                titleHeight = std::max(titleHeight, wrapTitle(c));
                rowHeight = titleHeight;
                background(rowHeight);
                title.Brush.Assign(brush);
                title.X = x;
                title.Y = y;
                LayoutTextLines(&title, align, in, cw, rowHeight, vaTop);
            }
        }
        y += rowHeight;
    }
}

// ---- shapes -------------------------------------------------------------------------------

bool TdeCustomDocumentEngine::ShapeRasterArea(TdeRect& area) {
    const TdePageItem* page = PageItem(currentPage_);
    if (!page) return false;
    area = {0, 0, page->Settings.Pixels(plWidth), page->Settings.Pixels(plHeight)};
    return true;
}

namespace {

enum class BoxShape { Line, Rectangle, Ellipse, RoundRect, Arc, Pie, Chord };

}  // namespace

static void DrawBoxShape(TdeCustomDocumentEngine* engine, BoxShape shape, const TPen& pen, const TBrush* brush,
                         const TdePoints& p) {
    const double minX = std::min(p[0].X, p[1].X), minY = std::min(p[0].Y, p[1].Y);
    const ShapeRaster r =
        MakeShapeRaster(engine, minX, minY, std::fabs(p[1].X - p[0].X), std::fabs(p[1].Y - p[0].Y));
    TBitmap* bmp = r.Bitmap.get();
    TCanvas* cv = bmp->Canvas();
    cv->Pen()->Assign(pen);
    if (brush)
        cv->Brush()->Assign(*brush);
    else
        cv->Brush()->SetStyle(bsClear);
    auto X = [&](std::size_t i) { return r.At(p[i].X - minX, 0).X; };
    auto Y = [&](std::size_t i) { return r.At(0, p[i].Y - minY).Y; };
    if (!bmp->Image().isNull()) switch (shape) {
            case BoxShape::Line:
                cv->MoveTo(X(0), Y(0));
                cv->LineTo(X(1), Y(1));
                break;
            case BoxShape::Rectangle: cv->Rectangle(X(0), Y(0), X(1), Y(1)); break;
            case BoxShape::Ellipse: cv->Ellipse(X(0), Y(0), X(1), Y(1)); break;
            case BoxShape::RoundRect: cv->RoundRect(X(0), Y(0), X(1), Y(1), Rnd(p[2].X), Rnd(p[2].Y)); break;
            case BoxShape::Arc: cv->Arc(X(0), Y(0), X(1), Y(1), X(2), Y(2), X(3), Y(3)); break;
            case BoxShape::Pie: cv->Pie(X(0), Y(0), X(1), Y(1), X(2), Y(2), X(3), Y(3)); break;
            case BoxShape::Chord: cv->Chord(X(0), Y(0), X(1), Y(1), X(2), Y(2), X(3), Y(3)); break;
        }
    engine->RenderBitmap(bmp, r.X, r.Y);
}

void TdeCustomDocumentEngine::RenderLine(const TPen& pen, double x1, double y1, double x2, double y2) {
    DrawBoxShape(this, BoxShape::Line, pen, nullptr, {{x1, y1}, {x2, y2}});
}

void TdeCustomDocumentEngine::RenderRectangle(const TPen& pen, const TBrush* brush, double x1, double y1,
                                              double x2, double y2) {
    DrawBoxShape(this, BoxShape::Rectangle, pen, brush, {{x1, y1}, {x2, y2}});
}

void TdeCustomDocumentEngine::RenderEllipse(const TPen& pen, const TBrush* brush, double x1, double y1, double x2,
                                            double y2) {
    DrawBoxShape(this, BoxShape::Ellipse, pen, brush, {{x1, y1}, {x2, y2}});
}

void TdeCustomDocumentEngine::RenderRoundRect(const TPen& pen, const TBrush* brush, double x1, double y1,
                                              double x2, double y2, double cornerWidth, double cornerHeight) {
    DrawBoxShape(this, BoxShape::RoundRect, pen, brush, {{x1, y1}, {x2, y2}, {cornerWidth, cornerHeight}});
}

void TdeCustomDocumentEngine::RenderArc(const TPen& pen, const TdePoints& p) {
    if (p.size() >= 4) DrawBoxShape(this, BoxShape::Arc, pen, nullptr, p);
}

void TdeCustomDocumentEngine::RenderPie(const TPen& pen, const TBrush* brush, const TdePoints& p) {
    if (p.size() >= 4) DrawBoxShape(this, BoxShape::Pie, pen, brush, p);
}

void TdeCustomDocumentEngine::RenderChord(const TPen& pen, const TBrush* brush, const TdePoints& p) {
    if (p.size() >= 4) DrawBoxShape(this, BoxShape::Chord, pen, brush, p);
}

void TdeCustomDocumentEngine::RenderPolygon(const TdePoints& points, const TBrush* brush, const TPen& pen,
                                            bool closed) {
    if (points.empty()) return;
    PointBounds b;
    for (const auto& p : points) b.Add(p);
    const ShapeRaster r = MakeShapeRaster(this, b.MinX, b.MinY, b.MaxX - b.MinX + 2, b.MaxY - b.MinY + 2);
    TCanvas* cv = r.Bitmap->Canvas();
    cv->Pen()->Assign(pen);
    if (closed && brush)
        cv->Brush()->Assign(*brush);
    else
        cv->Brush()->SetStyle(bsClear);
    std::vector<TPoint> pts;
    for (const auto& p : points) pts.push_back(r.At(p.X - b.MinX, p.Y - b.MinY));
    if (!r.Bitmap->Image().isNull()) {
        if (closed)
            cv->Polygon(pts);
        else
            cv->Polyline(pts);
    }
    RenderBitmap(r.Bitmap.get(), r.X, r.Y);
}

void TdeCustomDocumentEngine::RenderPolyBezier(const TdePoints& points, const TPen& pen) {
    if (points.empty()) return;
    PointBounds b;
    for (const auto& p : points) b.Add(p);
    const ShapeRaster r = MakeShapeRaster(this, b.MinX, b.MinY, b.MaxX - b.MinX, b.MaxY - b.MinY);
    TCanvas* cv = r.Bitmap->Canvas();
    cv->Pen()->Assign(pen);
    std::vector<TPoint> pts;
    for (const auto& p : points) pts.push_back(r.At(p.X - b.MinX, p.Y - b.MinY));
    if (!r.Bitmap->Image().isNull()) cv->Polyline(FlattenBezier(pts));
    RenderBitmap(r.Bitmap.get(), r.X, r.Y);
}

void TdeCustomDocumentEngine::RenderPolyShape(TdePolyShapeItem* item, bool closed) {
    if (item->Items.empty()) return;
    const TdeShapeItem& first = *item->Items.front();
    const bool stroked = first.Pen.Width() != 0 && first.Pen.Style() != psClear;
    const bool filled = closed && first.Brush && first.Brush->Style() != bsClear;
    if (!stroked && !filled) return;
    PointBounds b;
    for (const auto& s : item->Items)
        for (const auto& p : s->Points) b.Add(p);
    if (b.MinX > b.MaxX) return;  // no points at all
    const ShapeRaster r = MakeShapeRaster(this, b.MinX, b.MinY, b.MaxX - b.MinX + 2, b.MaxY - b.MinY + 2);
    TCanvas* cv = r.Bitmap->Canvas();
    cv->Pen()->Assign(first.Pen);
    if (closed && first.Brush)
        cv->Brush()->Assign(*first.Brush);
    else
        cv->Brush()->SetStyle(bsClear);
    for (const auto& s : item->Items) {
        if (r.Bitmap->Image().isNull()) break;  // nothing of it can be seen
        std::vector<TPoint> pts;
        for (const auto& p : s->Points) pts.push_back(r.At(p.X - b.MinX, p.Y - b.MinY));
        if (pts.empty()) continue;
        if (closed) {
            pts.push_back(pts.front());
            cv->Polygon(pts);
        } else {
            cv->Polyline(pts);
        }
    }
    RenderBitmap(r.Bitmap.get(), r.X, r.Y);
}

void TdeCustomDocumentEngine::RenderPolyPolygon(TdePolyPolygonItem* item) {
    if (item->Points.empty()) return;
    PointBounds b;
    for (const auto& p : item->Points) b.Add(p);
    const ShapeRaster r = MakeShapeRaster(this, b.MinX, b.MinY, b.MaxX - b.MinX + 2, b.MaxY - b.MinY + 2);
    TCanvas* cv = r.Bitmap->Canvas();
    cv->Pen()->Assign(item->Pen);
    if (item->Brush)
        cv->Brush()->Assign(*item->Brush);
    else
        cv->Brush()->SetStyle(bsClear);
    // Counts[0] is the total; Counts[1..] the points of each polygon. A
    // count running past the points is cut to what is there.
    std::size_t at = 0;
    const bool seen = !r.Bitmap->Image().isNull();
    for (std::size_t i = 1; seen && i < item->Counts.size() && at < item->Points.size(); ++i) {
        std::vector<TPoint> pts;
        for (Integer n = 0; n < item->Counts[i] && at < item->Points.size(); ++n, ++at)
            pts.push_back(r.At(item->Points[at].X - b.MinX, item->Points[at].Y - b.MinY));
        if (!pts.empty()) cv->Polygon(pts);
    }
    RenderBitmap(r.Bitmap.get(), r.X, r.Y);
}

// ---- conversions ----------------------------------------------------------------------------

std::unique_ptr<TBitmap> TdeCustomDocumentEngine::ImageItemToBitmap(TdeImageItem* item) {
    TGraphic* g = GetImage(item->ImageIndex);
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(item->Settings.ImagePixelFormat);
    if (!g) return bmp;
    const int gw = g->Width(), gh = g->Height();
    // The item may claim any size: the bitmap stays within what a page
    // shows (a format scales the picture to the item's size).
    const TSize limit = PageRasterLimit();
    const int w = std::clamp(Rnd(item->Width), 0, limit.cx), h = std::clamp(Rnd(item->Height), 0, limit.cy);
    auto setSize = [&](int nw, int nh) { bmp->SetSize(std::min(nw, limit.cx), std::min(nh, limit.cy)); };
    const double boxW = item->BoxRect.Width(), boxH = item->BoxRect.Height();
    const bool keep = capabilities_ & capKeepNaturalSize;
    const bool stretchNatural = capabilities_ & capStretchNaturalSize;
    TCanvas* cv = bmp->Canvas();
    cv->Brush()->Assign(item->Brush);
    auto fill = [&] {
        if (!bmp->Image().isNull()) cv->FillRect(TRect(0, 0, bmp->Width(), bmp->Height()));
    };
    setSize(gw, gh);
    fill();
    if (item->Settings.Transparent) {
        cv->SetCopyMode(cmSrcAnd);
        bmp->SetTransparentColor(item->Brush.Color());
        bmp->SetTransparent(true);
    }
    const bool actual = item->Settings.ActualSize, stretch = item->Settings.Stretch;
    const bool center = item->Settings.Center;
    auto draw = [&](int x, int y) {
        if (!bmp->Image().isNull()) cv->Draw(x, y, g);
    };
    auto resizeFilled = [&](int nw, int nh) {
        setSize(nw, nh);
        if (!keep) fill();
    };
    const int cx = Rnd((item->Width - gw) / 2), cy = Rnd((item->Height - gh) / 2);
    if (!actual && !stretch && !center) {
        if (!keep)
            resizeFilled(w, h);
        else
            setSize(boxW < gw ? w : gw, boxH < gh ? h : gh);
        draw(0, 0);
    } else if (!actual && !stretch && center) {
        if (!keep) {
            resizeFilled(w, h);
            draw(cx, cy);
        } else if (boxW > gw && boxH > gh) {
            draw(0, 0);
        } else if (boxH >= gh) {
            setSize(w, gh);
            draw(cx, 0);
        } else if (boxW >= gw) {
            setSize(gw, h);
            draw(0, cy);
        } else {
            setSize(w, h);
            draw(cx, cy);
        }
    } else if (stretch && stretchNatural) {
        draw(0, 0);
    } else {
        setSize(w, h);
        if (!bmp->Image().isNull()) cv->StretchDraw(TRect(0, 0, w, h), g);
    }
    return bmp;
}

std::unique_ptr<TMemoryStream> TdeCustomDocumentEngine::BitmapToJpegStream(TBitmap* bitmap, int quality) {
    auto out = std::make_unique<TMemoryStream>();
    QImage image = bitmap->ToImage();
    if (image.isNull()) return out;
    if (image.height() == 1) {
        // Some readers refuse one-line JPEG images.
        QImage two(image.width(), 2, QImage::Format_RGB32);
        two.fill(image.pixel(0, 0));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < image.width(); ++x) two.setPixel(x, y, image.pixel(x, 0));
        image = two;
    }
    const auto bytes = EncodeJpeg(image, std::clamp(quality, 1, 100), false, false);
    if (!bytes.empty()) out->WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    out->SetPosition(0);
    return out;
}

std::unique_ptr<TBitmap> TdeCustomDocumentEngine::TextItemToBitmap(TdeTextItem* item) {
    auto bmp = std::make_unique<TBitmap>();
    const int angle = ((item->Rotation % 360) + 360) % 360;
    const TSize limit = PageRasterLimit();
    RotatedTextBitmap(item->Lines[0], item->Font, angle, *bmp, item->X, item->Y, std::max(limit.cx, limit.cy));
    return bmp;
}
