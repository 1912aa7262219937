// Recording operations of the document engine: every drawing call becomes a
// page item in pixels, placed relative to the drawing area.

#include <algorithm>
#include <cmath>

#include "docexport/deConsts.h"
#include "docexport/deCstDocEng.h"
#include "docexport/deUtils.h"
#include "platform/gui/Icon.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Strings.h"

namespace {

double RoundHE(double v) { return RoundHalfEven(v); }  // halves to even

// The characters of s, one string each.
std::vector<std::string> Chars(const std::string& s) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = Utf8CharSize(s, i);
        if (n == 0) n = 1;
        out.push_back(s.substr(i, n));
        i += n;
    }
    return out;
}

std::string Join(const std::vector<std::string>& chars, std::size_t from, std::size_t to) {
    std::string out;
    for (std::size_t i = from; i < to && i < chars.size(); ++i) out += chars[i];
    return out;
}

}  // namespace

// ---- guards and conversion ------------------------------------------------------

bool TdeCustomDocumentEngine::TextGuard() const {
    return started_ && (capabilities_ & capText) && (itemsToRender_ & ItemBit(irText));
}
bool TdeCustomDocumentEngine::ImageGuard() const {
    return started_ && (capabilities_ & capImage) && (itemsToRender_ & ItemBit(irImage));
}
bool TdeCustomDocumentEngine::ShapeGuard() const {
    return started_ && (capabilities_ & capShape) && (itemsToRender_ & ItemBit(irShape));
}

TdePoint TdeCustomDocumentEngine::PlacePoint(double x, double y) const {
    return {ToPixelsX(x) + left_, ToPixelsY(y) + top_};
}

TdeRect TdeCustomDocumentEngine::RectToPixels(const TdeRect& r) const {
    return {ToPixelsX(r.Left), ToPixelsY(r.Top), ToPixelsX(r.Right), ToPixelsY(r.Bottom)};
}

double TdeCustomDocumentEngine::LineHeight(const TFont& font) const { return TextExtent("W", font).cy; }

double TdeCustomDocumentEngine::TextHeightUnits(const std::string& text) const {
    double one = ToPixelsY(1);
    return one != 0 ? TextExtent(text, font_).cy / one : 0;
}

// ---- text ---------------------------------------------------------------------------

void TdeCustomDocumentEngine::TextOut(const std::string& text, double x, double y) {
    if (!TextGuard()) return;
    TdePoint p = PlacePoint(x, y);
    if (!InArea(p.X, p.Y)) return;
    auto* item = new TdeTextItem;
    item->X = p.X;
    item->Y = p.Y;
    item->Lines.Add(text);
    item->Font.Assign(font_);
    item->Brush.Assign(brush_);
    item->Rotation = rotation_;
    item->Alignment = textAlignment_;
    item->Effects.Assign(&effects_);
    AddItem(item);
}

void TdeCustomDocumentEngine::TextRect(const TdeRect& rect, const std::string& text, double x, double y) {
    if (!TextGuard()) return;
    TdePoint p = PlacePoint(x, y);
    if (!InArea(p.X, p.Y)) return;
    auto* item = new TdeTextItem;
    item->X = p.X;
    item->Y = p.Y;
    item->Lines.Add(text);
    item->Font.Assign(font_);
    item->Brush.Assign(brush_);
    item->Rotation = rotation_;
    item->Alignment = textAlignment_;
    item->Effects.Assign(&effects_);
    item->SetClipped(true);
    item->ClipRect = RectToPixels(rect);
    AddItem(item);
}

void TdeCustomDocumentEngine::AngledTextOut(const std::string& text, int direction, double x, double y) {
    const double h = TextHeightUnits(text);
    const double theta = DegToRad(rotation_);
    for (const std::string& c : Chars(text)) {
        TextOut(c, x, y);
        if (direction == 1) {
            x += h * std::sin(theta);
            y += h * std::cos(theta);
        } else {
            x -= h * std::sin(theta);
            y -= h * std::cos(theta);
        }
    }
}

void TdeCustomDocumentEngine::TextBox(const TdeRect& rect, const std::string& text, TdeHAlignment hAlign,
                                      TdeVAlignment vAlign) {
    if (!TextGuard()) return;
    TdeRect r = RectToPixels(rect);
    r.Left += left_;
    r.Top += top_;
    if (!InArea(r.Left, r.Top)) return;
    r.Right = std::min(r.Right + left_, right_);
    r.Bottom = std::min(r.Bottom + top_, bottom_);
    auto* item = new TdeTextBoxItem;
    item->X = r.Left;
    item->Y = r.Top;
    item->Width = r.Right - r.Left;
    item->Height = r.Bottom - r.Top;
    item->Font.Assign(font_);
    item->Brush.Assign(brush_);
    item->Pen.Assign(pen_);
    item->Frame.Assign(&frame_);
    item->HAlign = hAlign;
    item->VAlign = vAlign;
    const double w = item->Width - item->Frame.Insets[0] - item->Frame.Insets[2];
    WrapText(SubstituteVariables(text, false), item->Lines, font_, false, w, w);
    AddItem(item);
}

int TdeCustomDocumentEngine::WrapText(const std::string& text, TWideStrings& lines, const TFont& font, bool fit,
                                      double firstWidth, double width) const {
    auto measure = [&](const std::string& s) { return static_cast<double>(TextExtent(s, font).cx); };
    int result = static_cast<int>(RoundHE(width));
    if (fit) {
        lines.Clear();
        lines.Add(text);
        result = static_cast<int>(RoundHE(measure(text + " ") + 2 * pen_.Width()));
    } else if (width > 0) {
        double avail = lines.Count() > 1 ? width : firstWidth;
        if (lines.Count() > 0) avail -= measure(lines.Get(lines.Count() - 1));
        const std::vector<std::string> chars = Chars(text);
        const std::size_t n = chars.size();
        auto isBreak = [](const std::string& c) { return c == " " || c == "\r" || c == "\n" || c == std::string(1, '\0'); };
        auto isNewline = [](const std::string& c) { return c == "\r" || c == "\n"; };
        std::size_t start = 0;
        bool ended = false;  // the previous character ended a segment
        bool stop = false;
        for (std::size_t p = 0; p < n && !stop; ++p) {
            const std::string& c = chars[p];
            const bool ends = p == n - 1 || (isBreak(c) && !ended);
            if (!ends) {
                if (isNewline(c) && ended) start = p + 1;  // belongs to no segment
                ended = false;
                continue;
            }
            const bool newline = isNewline(c);
            std::vector<std::string> seg(chars.begin() + static_cast<std::ptrdiff_t>(start),
                                         chars.begin() + static_cast<std::ptrdiff_t>(newline ? p : p + 1));
            const bool endIncluded = !newline && isBreak(c);
            std::string segText = Join(seg, 0, seg.size());
            double w = measure(segText);
            if (w > avail) {
                while (w > width) {
                    // The longest leading part before the ending character
                    // that fits the line.
                    std::size_t maxK = endIncluded ? seg.size() - 1 : seg.size();
                    if (maxK >= seg.size()) maxK = seg.size() - 1;  // keep a rest
                    std::size_t k = 0;
                    for (std::size_t t = maxK; t >= 1; --t) {
                        if (measure(Join(seg, 0, t)) <= width) {
                            k = t;
                            break;
                        }
                    }
                    if (k == 0) {  // not even one character fits
                        stop = true;
                        break;
                    }
                    lines.Add(Join(seg, 0, k));
                    seg.erase(seg.begin(), seg.begin() + static_cast<std::ptrdiff_t>(k));
                    segText = Join(seg, 0, seg.size());
                    w = measure(segText);
                }
                if (stop) break;
                lines.Add(segText);
                avail = width - w;
            } else {
                if (lines.Count() == 0)
                    lines.Add(segText);
                else
                    lines.Put(lines.Count() - 1, lines.Get(lines.Count() - 1) + segText);
                avail -= w;
            }
            if (newline) {
                if (lines.Count() == 0) lines.Add("");
                lines.Put(lines.Count() - 1, lines.Get(lines.Count() - 1) + "\r\n");
                lines.Add("");
                avail = width;
            }
            start = p + 1;
            ended = true;
        }
    }
    if (lines.Count() > 0 && lines.Get(lines.Count() - 1).empty()) lines.Delete(lines.Count() - 1);
    return result;
}

// ---- paragraphs ------------------------------------------------------------------------

TdeParagraphItem* TdeCustomDocumentEngine::NewParagraph(double x, double y) const {
    auto* p = new TdeParagraphItem;
    p->X = x;
    p->Y = y;
    p->Formatting.Assign(&textFormatting_);
    p->Formatting.SetF(1.0);
    p->Font.Assign(font_);
    p->Brush.Assign(brush_);
    p->Effects.Assign(&effects_);
    p->Width = right_ - left_ - textFormatting_.RightIndentPx() - textFormatting_.LeftIndentPx();
    return p;
}

void TdeCustomDocumentEngine::BeginPara() {
    if (!started_) return;
    if (para_) EndPara();  // an open paragraph is closed, not lost
    flowY_ += textFormatting_.SpaceBeforePx();
    const double y = top_ + flowY_;
    if (!InArea(left_, y)) return;
    para_ = NewParagraph(left_, y);
    para_->Height = bottom_ - y;
    for (auto* p : pieces_) delete p;
    pieces_.clear();
}

double TdeCustomDocumentEngine::ParagraphText(const std::string& text) {
    if (!TextGuard() || !para_) return 0;
    TdeParagraphItem* holder = pieces_.empty() ? para_ : pieces_.back();
    WrapText(SubstituteVariables(text, false), holder->Lines, font_, false,
             holder->Width - holder->Formatting.FirstLineIndentPx(), holder->Width);
    const double l = LineHeight(font_);
    double remaining = holder->Height - l * holder->Lines.Count() * holder->Formatting.LineSpacing;
    while (remaining < 0) {
        const double step = l * holder->Formatting.LineSpacing;
        if (step <= 0 || step > bottom_ - top_) break;  // no piece can take a line this tall
        auto* piece = NewParagraph(left_, top_);
        piece->Height = bottom_ - top_;
        piece->Present = true;
        int n = static_cast<int>(std::ceil(std::fabs(remaining) / step));
        if (!pieces_.empty()) ++n;
        // Keep at least one line in the holder so the text always moves on.
        n = std::min(n, holder->Lines.Count() - 1);
        if (n <= 0) {
            delete piece;
            break;
        }
        std::string moved;
        for (int i = holder->Lines.Count() - n; i < holder->Lines.Count(); ++i) moved += holder->Lines.Get(i);
        for (int i = 0; i < n; ++i) holder->Lines.Delete(holder->Lines.Count() - 1);
        WrapText(SubstituteVariables(moved, false), piece->Lines, font_, false,
                 piece->Width - piece->Formatting.FirstLineIndentPx(), piece->Width);
        remaining = piece->Height - l * piece->Lines.Count() * piece->Formatting.LineSpacing;
        pieces_.push_back(piece);
        holder = piece;
    }
    return remaining / f_;
}

void TdeCustomDocumentEngine::EndPara() {
    if (!started_ || !para_) return;
    const double l = LineHeight(font_);
    TdeParagraphItem* para = para_;
    para_ = nullptr;
    para->Height = l * para->Lines.Count() * para->Formatting.LineSpacing;
    flowY_ += para->Height;
    AddItem(para);
    std::vector<TdeParagraphItem*> pieces;
    pieces.swap(pieces_);
    if (!autoPaginate_) {
        for (auto* p : pieces) delete p;
        return;
    }
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        NewPage();
        TdeParagraphItem* piece = pieces[i];
        piece->Present = false;
        if (i + 1 == pieces.size()) piece->Height = l * piece->Lines.Count() * piece->Formatting.LineSpacing;
        const double h = piece->Height;
        const bool last = i + 1 == pieces.size();
        AddItem(piece);  // frees it when the document has ended meanwhile
        if (last && started_) flowY_ += h;
    }
}

void TdeCustomDocumentEngine::EndParaAsTextItems() {
    if (!started_ || !para_) return;
    const double l = LineHeight(font_);
    std::unique_ptr<TdeParagraphItem> para(para_);
    para_ = nullptr;
    for (auto* p : pieces_) delete p;
    pieces_.clear();
    para->Height = l * para->Lines.Count() * para->Formatting.LineSpacing;
    flowY_ += para->Height;
    const TdeTextFormatting& f = para->Formatting;
    const int count = para->Lines.Count();
    for (int i = 0; i < count; ++i) {
        const std::string line = para->Lines.Get(i);
        auto* t = new TdeTextItem;
        t->Font.Assign(para->Font);
        t->Brush.Assign(para->Brush);
        double x = para->X + f.LeftIndentPx() + (i == 0 ? f.FirstLineIndentPx() : 0);
        double w = para->Width - (i == 0 ? f.FirstLineIndentPx() : 0);
        const double lineWidth = TextExtent(line, para->Font).cx;
        std::string shown = Trim(line);
        if (f.Alignment == haRight)
            x += w - lineWidth;
        else if (f.Alignment == haCenter)
            x += (w - lineWidth) / 2;
        else if (f.Alignment == haJustify && i < count - 1)
            shown = JustifyText(shown, para->Font, w);
        t->X = x;
        t->Y = para->Y + i * TextExtent(line, para->Font).cy * f.LineSpacing;
        t->Lines.Add(shown);
        AddItem(t);
    }
}

// ---- tables -------------------------------------------------------------------------------

std::vector<TdeColumn*> TdeCustomDocumentEngine::BeginTable(double x, double y, int columnCount) {
    if (!started_ || columnCount <= 0) return {};
    if (table_) EndTable();  // an open table is closed, not lost
    TdePoint p = PlacePoint(x, y);
    if (!InArea(p.X, p.Y)) return {};
    auto* t = new TdeTableItem(this, columnCount);
    t->Settings.Assign(&tableSettings_);
    t->Font.Assign(font_);
    t->Pen.Assign(pen_);
    t->Brush.Assign(brush_);
    t->Effects.Assign(&effects_);
    t->X = p.X;
    t->Y = p.Y;
    t->AvailableWidth = right_ - p.X;
    t->AvailableHeight = bottom_ - p.Y;
    table_ = t;
    return t->Columns();
}

double TdeCustomDocumentEngine::NewRowHeight(double requested, bool automatic) {
    TdeTableItem* t = table_;
    const double h0 = t->TotalHeight();
    t->RowCells.emplace_back();
    t->RowIndex += 1;
    const double body = page_.Pixels(plHeight) - page_.Pixels(plBottomMargin) - page_.Pixels(plFooterHeight) -
                        page_.Pixels(plTopMargin) - page_.Pixels(plHeaderHeight);
    const double limit = body - t->Settings.TitleHeightPx();
    double h;
    Integer rowHeight;
    if (automatic) {
        if (t->Settings.RowHeightPx() > limit) t->Settings.SetRowHeightPx(limit - 1);
        h = t->Settings.RowHeightPx();
        rowHeight = static_cast<Integer>(RoundHE(h));
    } else if (requested > limit) {
        h = limit;
        rowHeight = static_cast<Integer>(std::floor(limit));
    } else {
        h = requested;
        rowHeight = static_cast<Integer>(RoundHE(requested));
    }
    t->RowHeights.push_back(rowHeight);
    return (bottom_ - t->Y - h0 - h) / f_;
}

double TdeCustomDocumentEngine::NewRow(double height) {
    if (!table_) return -1 / f_;
    return NewRowHeight(ToPixelsY(height), false);
}

double TdeCustomDocumentEngine::NewRowAuto() {
    if (!table_) return -1 / f_;
    return NewRowHeight(0, true);
}

void TdeCustomDocumentEngine::TableCellText(int column, const std::string& text) {
    if (!TextGuard() || !table_ || table_->RowIndex < 0 || column < 0 || column >= table_->ColumnCount()) return;
    TdeTableItem* t = table_;
    TdeColumn* col = t->Column(column);
    const auto& in = t->Settings.CellInsetsPx();
    auto* item = new TdeTextItem;
    item->X = column;
    item->Y = t->RowIndex;
    item->Font.Assign(font_);
    item->Brush.Assign(brush_);
    const double w = RoundHE(col->Width()) - RoundHE(in[0]) - RoundHE(in[2]);
    const bool fit = t->Settings.AutoFitColumns;
    const int used = WrapText(SubstituteVariables(text, false), item->Lines, font_, fit, w, w);
    if (fit && used + in[0] + in[2] > col->Width()) col->SetWidth(used + in[0] + in[2]);
    Integer& rowHeight = t->RowHeights[static_cast<std::size_t>(t->RowIndex)];
    const Integer need = static_cast<Integer>(RoundHE(LineHeight(font_) * item->Lines.Count()) + RoundHE(in[1]) +
                                              RoundHE(in[3]));
    rowHeight = std::max(rowHeight, need);
    t->RowCells[static_cast<std::size_t>(t->RowIndex)].emplace_back(item);
}

void TdeCustomDocumentEngine::TableCellImage(int column, TGraphic* graphic, double width, double height) {
    if (!ImageGuard() || !table_ || table_->RowIndex < 0 || column < 0 || column >= table_->ColumnCount() ||
        !graphic)
        return;
    const Integer index = RegisterImage(graphic, Preferences()->UseImagesAsResources());
    if (index < 0) return;  // nothing to show
    TdeTableItem* t = table_;
    TdeColumn* col = t->Column(column);
    const auto& in = t->Settings.CellInsetsPx();
    auto item = std::make_unique<TdeImageItem>();
    item->Settings.Assign(&imageSettings_);
    if (item->Settings.Framed) {
        item->Frame.Assign(&frame_);
        item->Pen.Assign(pen_);
    }
    item->Brush.Assign(brush_);
    item->ImageIndex = index;
    item->X = column;
    item->Y = t->RowIndex;
    double sw, sh;
    if (item->Settings.ActualSize) {
        sw = graphic->Width();
        sh = graphic->Height();
    } else {
        sw = ToPixelsX(width);
        sh = ToPixelsY(height);
    }
    double o = RoundHE(sw + in[0] + in[2]);
    double r;
    if (t->Settings.AutoFitColumns) {
        if (col->Width() < o) col->SetWidth(o);
        r = RoundHE(sh + in[1] + in[3]);
    } else {
        o = std::min(o, col->Width());
        r = sw != 0 ? RoundHE((o - in[0] - in[2]) * sh / sw + in[1] + in[3]) : RoundHE(in[1] + in[3]);
    }
    Integer& rowHeight = t->RowHeights[static_cast<std::size_t>(t->RowIndex)];
    rowHeight = std::max(rowHeight, static_cast<Integer>(r));
    item->Settings.ActualSize = false;
    item->Width = o - in[0] - in[2];
    item->Height = r - in[1] - in[3];
    item->BoxRect = {0, 0, item->Width, item->Height};
    t->RowCells[static_cast<std::size_t>(t->RowIndex)].push_back(std::move(item));
}

void TdeCustomDocumentEngine::EndTable() {
    if (!started_ || !table_) return;
    TdeTableItem* t = table_;
    ++tableCounter_;
    t->TableNumber = tableCounter_;
    t->RowDistribution.assign(1, currentPage_);
    double c = t->Y + (t->Settings.ShowTitles ? t->Settings.TitleHeightPx() : 0);
    Integer count = 0;
    for (std::size_t r = 0; r < t->RowHeights.size(); ++r) {
        for (int attempt = 0;; ++attempt) {
            const TdePageItem* page = PageItem(currentPage_);
            const TdePageSettings& s = page ? page->Settings : page_;
            const double h = s.Pixels(plHeight), tm = s.Pixels(plTopMargin), hh = s.Pixels(plHeaderHeight);
            const double bm = s.Pixels(plBottomMargin), fh = s.Pixels(plFooterHeight);
            c += t->RowHeights[r];
            const double body = h - tm - hh - bm - fh;
            t->RowHeights[r] = std::min<Integer>(t->RowHeights[r], static_cast<Integer>(std::floor(body)));
            if (c <= h - bm - fh || attempt > 0) {  // a retried row always stays
                ++count;
                break;
            }
            t->RowDistribution.push_back(count);
            table_ = nullptr;  // not open while it is added
            AddItem(t);
            if (autoPaginate_) NewPage();
            if (!started_) return;  // the document ended meanwhile; cleanup freed the table
            table_ = t;
            const TdePageItem* now = PageItem(currentPage_);
            const TdePageSettings& ns = now ? now->Settings : page_;
            c = ns.Pixels(plTopMargin) + ns.Pixels(plHeaderHeight);
            count = 0;
        }
    }
    t->RowDistribution.push_back(count);
    t->RowDistribution.push_back(0);
    t->Finished = false;
    table_ = nullptr;
    AddItem(t);
}

// ---- shapes ----------------------------------------------------------------------------------

void TdeCustomDocumentEngine::AddShape(TdeShapeType type, const TdePoints& points, bool fill,
                                       const TdePoint* cornerSize) {
    if (!ShapeGuard()) return;
    auto* item = new TdeShapeItem;
    item->ShapeType = type;
    item->Pen.Assign(pen_);
    if (fill) {
        item->Brush = std::make_unique<TBrush>();
        item->Brush->Assign(brush_);
    }
    for (const TdePoint& p : points) {
        TdePoint q = PlacePoint(p.X, p.Y);
        q.X = std::clamp(q.X, std::min(left_, right_), std::max(left_, right_));
        q.Y = std::clamp(q.Y, std::min(top_, bottom_), std::max(top_, bottom_));
        item->Points.push_back(q);
    }
    if (cornerSize) item->Points.push_back({ToPixelsX(cornerSize->X), ToPixelsY(cornerSize->Y)});
    AddItem(item);
}

void TdeCustomDocumentEngine::Line(double x1, double y1, double x2, double y2) {
    AddShape(stLine, {{x1, y1}, {x2, y2}}, false);
}
void TdeCustomDocumentEngine::Rectangle(double x1, double y1, double x2, double y2, bool fill) {
    AddShape(stRectangle, {{x1, y1}, {x2, y2}}, fill);
}
void TdeCustomDocumentEngine::Ellipse(double x1, double y1, double x2, double y2, bool fill) {
    AddShape(stEllipse, {{x1, y1}, {x2, y2}}, fill);
}
void TdeCustomDocumentEngine::RoundRect(double x1, double y1, double x2, double y2, double cornerWidth,
                                        double cornerHeight, bool fill) {
    TdePoint corner{cornerWidth, cornerHeight};
    AddShape(stRoundRect, {{x1, y1}, {x2, y2}}, fill, &corner);
}
void TdeCustomDocumentEngine::Polygon(const TdePoints& points, bool fill) { AddShape(stPolygon, points, fill); }
void TdeCustomDocumentEngine::PolyLine(const TdePoints& points) { AddShape(stPolyLine, points, false); }
void TdeCustomDocumentEngine::PolyBezier(const TdePoints& points) { AddShape(stPolyBezier, points, false); }
void TdeCustomDocumentEngine::Arc(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                                  double y4) {
    AddShape(stArc, {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}}, false);
}
void TdeCustomDocumentEngine::Pie(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                                  double y4, bool fill) {
    AddShape(stPie, {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}}, fill);
}
void TdeCustomDocumentEngine::Chord(double x1, double y1, double x2, double y2, double x3, double y3, double x4,
                                    double y4, bool fill) {
    AddShape(stChord, {{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}}, fill);
}

// ---- images -----------------------------------------------------------------------------------

Integer TdeCustomDocumentEngine::RegisterImage(TGraphic* graphic, bool asResource) {
    if (!started_ || !(capabilities_ & capImage) || !graphic) return -1;
    Preferences()->SetUseImagesAsResources(asResource);
    if (!dynamic_cast<TBitmap*>(graphic) && !dynamic_cast<TJPEGImage*>(graphic) &&
        !dynamic_cast<TMetafile*>(graphic) && !dynamic_cast<TIcon*>(graphic)) {
        RaiseEngineError<EUnsupportedGraphics>();
        return -1;
    }
    ImageEntry e;
    e.Graphic = graphic->Clone();
    e.Page = currentPage_;
    images_.push_back(std::move(e));
    return static_cast<Integer>(images_.size()) - 1;
}

void TdeCustomDocumentEngine::DrawImage(double x, double y, TGraphic* graphic) {
    if (!ImageGuard() || !graphic) return;
    const double px = ToPixelsX(x), py = ToPixelsY(y);
    const Integer index = RegisterImage(graphic, Preferences()->UseImagesAsResources());
    PlaceImage({px, py, px + graphic->Width() * ScreenPPI() / 96.0, py + graphic->Height() * ScreenPPI() / 96.0},
               index);
}

void TdeCustomDocumentEngine::DrawImageRect(const TdeRect& rect, TGraphic* graphic) {
    if (!ImageGuard() || !graphic) return;
    PlaceImage(RectToPixels(rect), RegisterImage(graphic, Preferences()->UseImagesAsResources()));
}

void TdeCustomDocumentEngine::DrawImageIndex(const TdeRect& rect, Integer index) {
    if (!ImageGuard()) return;
    PlaceImage(RectToPixels(rect), index);
}

void TdeCustomDocumentEngine::PlaceImage(TdeRect r, Integer index) {
    r.Left += left_;
    r.Right += left_;
    r.Top += top_;
    r.Bottom += top_;
    TGraphic* g = GetImage(index);
    if (!g || !InArea(r.Left, r.Top)) return;
    auto* item = new TdeImageItem;
    item->SetFromRect(r);
    item->Settings.Assign(&imageSettings_);
    const TdeImageSettings& s = item->Settings;
    const double bw = item->Width, bh = item->Height;
    const double gw = g->Width(), gh = g->Height();
    if (s.ActualSize) {
        double w = gw, h = gh;
        if (s.SourceDPI > 0) {
            w = gw * ScreenPPI() / s.SourceDPI;
            h = gh * ScreenPPI() / s.SourceDPI;
        }
        item->Width = w;
        item->Height = h;
        item->BoxRect = {item->X, item->Y, item->X + w, item->Y + h};
    } else {
        double w, h;
        const bool larger = gw > bw || gh > bh;
        if (s.Stretch || (s.KeepAspectRatio && larger)) {
            if (s.KeepAspectRatio && gw > 0 && gh > 0) {
                const double ratio = gw / gh;
                if (gw > gh) {
                    if (bh < bw / ratio) {
                        h = bh;
                        w = bh * ratio;
                    } else {
                        w = bw;
                        h = bw / ratio;
                    }
                } else {
                    if (bw < bh * ratio) {
                        w = bw;
                        h = bw / ratio;
                    } else {
                        h = bh;
                        w = bh * ratio;
                    }
                }
            } else {
                w = bw;
                h = bh;
            }
        } else if (larger) {
            w = bw;
            h = bh;
        } else {
            w = gw;
            h = gh;
        }
        item->Width = RoundHE(w);
        item->Height = RoundHE(h);
        if (s.Center) {
            item->X += (bw - w) / 2;
            item->Y += (bh - h) / 2;
        }
    }
    if (s.Framed) {
        item->Frame.Assign(&frame_);
        item->Pen.Assign(pen_);
    }
    item->Brush.Assign(brush_);
    item->ImageIndex = index;
    AddItem(item);
}

void TdeCustomDocumentEngine::DrawImageStream(const TdeRect& rect, Integer width, Integer height, TStream& stream) {
    if (!ImageGuard()) return;
    auto* item = new TdeImageStream;
    const TdeRect r = RectToPixels(rect);
    item->X = r.Left;
    item->Y = r.Top;
    item->Width = r.Width();
    item->Height = r.Height();
    item->BoxRect = r;
    stream.SetPosition(0);
    item->Stream.CopyFrom(stream, 0);
    item->Stream.SetPosition(0);
    item->ImageWidth = width;
    item->ImageHeight = height;
    item->Settings.Assign(&imageSettings_);
    ImageEntry e;
    e.Stream = &item->Stream;
    e.Page = currentPage_;
    images_.push_back(std::move(e));
    item->ImageIndex = static_cast<Integer>(images_.size()) - 1;
    AddItem(item);
}

void TdeCustomDocumentEngine::DrawGraphicStream(const TdeRect& rect, TGraphic* graphic) {
    if (!ImageGuard() || !graphic) return;
    std::vector<std::uint8_t> bytes = graphic->SaveToBytes();
    TMemoryStream m;
    if (!bytes.empty()) m.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    DrawImageStream(rect, graphic->Width(), graphic->Height(), m);
}

// ---- settings given by callers ------------------------------------------------------------------

void TdeCustomDocumentEngine::SetTableSettings(const TdeTableSettings& s) {
    tableSettings_.AutoFitColumns = s.AutoFitColumns;
    tableSettings_.ShowTitles = s.ShowTitles;
    tableSettings_.SetColumnWidthPx(s.ColumnWidth() * f_);
    tableSettings_.SetRowHeightPx(s.RowHeight() * f_);
    tableSettings_.SetTitleHeightPx(s.TitleHeight() * f_);
    std::array<double, 4> in{};
    for (int i = 0; i < 4; ++i) in[static_cast<std::size_t>(i)] = s.CellInset(i) * f_;
    tableSettings_.SetCellInsetsPx(in);
}

void TdeCustomDocumentEngine::SetTextFormatting(const TdeTextFormatting& fmt) {
    textFormatting_.Assign(&fmt);
    textFormatting_.SetF(f_);
    textFormatting_.SetLeftIndent(fmt.LeftIndent());
    textFormatting_.SetRightIndent(fmt.RightIndent());
    textFormatting_.SetFirstLineIndent(fmt.FirstLineIndent());
}

void TdeCustomDocumentEngine::FreeOpenItems() {
    delete para_;
    para_ = nullptr;
    for (auto* p : pieces_) delete p;
    pieces_.clear();
    if (table_ && std::find(tables_.begin(), tables_.end(), table_) == tables_.end()) delete table_;
    table_ = nullptr;
}
