// The fixed cells: the heading row with its captions, the row bar and the
// corner. Each fixed cell gets its background (the heading colour, raised
// or, for a held plain heading, sunken) and its own border lines at the
// right and bottom whatever the grid lines; a heading then shows its
// caption and its button area. A selected row's bar drawn outside a paint
// shows the heading colour inverted. At design time the cells of the fixed
// data columns and rows are filled with the grid's colour.

#include <algorithm>

#include "grid/GRCommon.h"
#include "grid/GRGLibCanvas.h"
#include "grid/GridPaintTools.h"
#include "grid/TSGrid.h"

#include <QImage>

namespace {

using grid_paint::Line;
using grid_paint::RaisedTopLeft;
using grid_paint::UsePen;

constexpr int kTextMargin = grid_paint::kCellTextMargin;

void SunkenTopLeft(TCanvas* c, const TRect& r) {
    if (r.IsEmpty()) return;
    UsePen(c, clBtnShadow);
    Line(c, r.Left, r.Bottom - 1, r.Left, r.Top);
    Line(c, r.Left, r.Top, r.Right, r.Top);
}

// The cell less its right and bottom pixel, where its border lines go.
TRect Inner(const TRect& r) { return TRect(r.Left, r.Top, r.Right - 1, r.Bottom - 1); }

}  // namespace

bool TgrBaseGrid::IsPlainHeadingShownDown(Integer displayCol) {
    return displayCol > 0 && headingShownDown_ && pressedHeading_ == displayCol && !HasHeadingButton(displayCol);
}

void TgrBaseGrid::DrawFixedCellBackground(const TRect& rect, Integer displayCol) {
    TRect inner = Inner(rect);
    if (inner.IsEmpty()) return;
    TCanvas* c = Canvas();
    TColor color = displayCol <= 0 ? headingColor_ : EffectiveCellColor(DataColOfDisplay(displayCol), 0, heading3D_);
    c->Brush()->SetStyle(bsSolid);
    if (c->Brush()->Color() != color) c->Brush()->SetColor(color);
    c->FillRect(inner);
    // A held plain heading looks pressed, also without Heading3D; a heading
    // button shows it in its button frame instead.
    if (IsPlainHeadingShownDown(displayCol)) SunkenTopLeft(c, inner);
    else if (heading3D_) RaisedTopLeft(c, inner);
}

void TgrBaseGrid::DrawFixedCellLines(const TRect& rect, TColor color) {
    TCanvas* c = Canvas();
    TPen saved;
    saved.Assign(*c->Pen());
    UsePen(c, color);
    Line(c, rect.Left, rect.Bottom - 1, rect.Right - 1, rect.Bottom - 1);
    Line(c, rect.Right - 1, rect.Bottom - 1, rect.Right - 1, rect.Top - 1);
    c->Pen()->Assign(saved);
}

void TgrBaseGrid::DrawSelectedRowBarCell(const TRect& rect) {
    TRect inner = Inner(rect);
    if (inner.IsEmpty()) return;
    TBitmap bar;
    bar.SetSize(inner.Width(), inner.Height());
    TCanvas* b = BitmapCanvasHandle(&bar);
    TRect all(0, 0, inner.Width(), inner.Height());
    b->Brush()->SetStyle(bsSolid);
    b->Brush()->SetColor(headingColor_);
    b->FillRect(all);
    b->SetCopyMode(cmDstInvert);
    b->CopyRect(all, b, all);
    CopyBitmapRect(inner, &bar, all, cmSrcCopy);
    if (heading3D_) SunkenTopLeft(Canvas(), inner);
}

void TgrBaseGrid::FillDesignFixedCell(const TRect& rect) {
    TRect inner = Inner(rect);
    if (!IsDesigning() || inner.IsEmpty()) return;
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    if (c->Brush()->Color() != Color()) c->Brush()->SetColor(Color());
    c->FillRect(inner);
}

void TgrBaseGrid::PaintRowBarBackground(Integer displayRow) {
    if (!rowBarOn_ || displayRow <= 0 || displayRow >= RowTotal()) return;
    TRect rect = CellPixels(0, displayRow);
    if (rect.IsEmpty()) return;
    // Inside a paint pass the selection is laid over the whole cell later.
    if (!painting_ && IsDisplayCellSelected(0, displayRow)) DrawSelectedRowBarCell(rect);
    else DrawFixedCellBackground(rect, -1);
}

void TgrBaseGrid::DrawHeadingCell(Integer displayCol) {
    if (displayCol < 1 || displayCol >= ColTotal()) return;
    TgrCol* col = gridCols_->ColAt(DataColOfDisplay(displayCol));
    if (col && !col->Visible()) return;
    int accel = 0;
    std::string text;
    StripAccelerator(col ? col->GetHeading() : std::string(), accel, text);
    TgrSortPicture sort = col ? col->SortPicture() : spNone;
    if (text.empty() && EffectiveHeadingButton(displayCol) == cbNone && sort == spNone) return;
    TgrCellPaintInfo info;
    if (!FillDrawInfo(displayCol, 0, info)) return;
    TCanvas* c = Canvas();
    c->Brush()->SetColor(info.Color);
    c->Font()->Assign(*info.Font);
    bool isButton = HasHeadingButton(displayCol);
    if (info.ContentRect.Width() >= kTextMargin && !text.empty()) {
        TRect content = info.ContentRect;
        if (info.Pressed && !isButton && info.HorzAlignment == htaRight) ++content.Right;
        DrawAlignedText(c, text, headingHeight_, accel, info.WordWrap != wwOff, info.VertAlignment,
                        info.HorzAlignment, content.Top, content.Left + kTextMargin, content);
    }
    // The text may have covered the raised edge.
    if (heading3D_ && (!info.Pressed || isButton) && (pressedHeading_ == displayCol || pressedHeading_ < 0))
        RaisedTopLeft(c, info.CellRect);
    DrawHeadingButton(c, info);
}

// ------------------------------------------------------------ other canvases

TCanvas* TgrBaseGrid::BitmapCanvasHandle(TBitmap* bitmap) { return bitmap ? bitmap->Canvas() : nullptr; }

void TgrBaseGrid::RestoreCanvasHandle() {
    // Only while this grid draws through the shared memory canvas: a paint
    // pass after the first, or a direct cell paint.
    TgrMemoryCanvas* memory = GridMemoryCanvas();
    if (memory->LockGrid() != this || !memory->Surface() || !HasWindow()) return;
    if (!(painting_ && paintedOnce_) && !directPaint_) return;
    QImage* image = &memory->Surface()->Image();
    if (Canvas()->Surface() != image) Canvas()->SetSurface(image);
}

TBitmap* TgrBaseGrid::GetWorkBitmap() {
    if (comboGrid_ && ownerGrid_) return ownerGrid_->GetWorkBitmap();
    if (!workBitmap_) workBitmap_ = std::make_unique<TBitmap>();
    return workBitmap_.get();
}
