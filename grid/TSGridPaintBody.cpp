// The paint entry of the grid class: the paint message, the double-buffered
// paint through the shared memory canvas, the walk over the fixed and the
// visible scrolling rows and columns, the grid lines in segments, the area
// beyond the last cells, and the invalidation of rows, columns and cells.
//
// The walks lay cells out from the left edge; a mirrored grid (right-to-left
// alignment) shows every rectangle and line across the client width.

#include <algorithm>

#include "grid/GRGLibCanvas.h"
#include "grid/GridPaintTools.h"
#include "grid/TSGrid.h"

namespace {

constexpr TColor kLine3D = TColor(0x808080);

// The scrolling lines of one axis in display order: the visible list from an
// index on, then the display positions after the list's last one (the insert
// row is not listed). -1 at the end.
class TgrScrollingLines {
public:
    TgrScrollingLines(TgrVisibleItems* list, Integer index, Integer total)
        : list_(list), index_(std::max<Integer>(index, 1)), total_(total) {
        Integer count = list_ ? list_->VisibleCount() : 0;
        Integer lastListed = count > 0 ? list_->Get(count) : 0;
        tail_ = std::max<Integer>(lastListed + 1, 1);
    }
    Integer Next() {
        while (list_ && index_ <= list_->VisibleCount()) {
            Integer p = list_->Get(index_++);
            if (p >= 1 && p < total_) return p;
        }
        return tail_ < total_ ? tail_++ : -1;
    }

private:
    TgrVisibleItems* list_;
    Integer index_;
    Integer total_;
    Integer tail_;
};

// The index of a display position in a visible list, or of the next
// visible position after it.
Integer VisibleIndexOf(TgrVisibleItems* list, Integer position) {
    bool found = false;
    return list->Find(position, found);
}

// The last visible display position before limit (the last fixed data
// line), or -1 when none of the fixed data lines shows.
Integer LastVisibleBefore(TgrVisibleItems* list, Integer limit) {
    if (limit <= 1) return -1;
    bool found = false;
    Integer index = list->Find(limit - 1, found);
    if (!found) --index;
    Integer p = index >= 1 ? list->Get(index) : 0;
    return p >= 1 && p < limit ? p : -1;
}

}  // namespace

// ------------------------------------------------------------ paint message

bool TgrBaseGrid::CanPaintNow() const {
    return HasWindow() && IsUpdateUnlocked() && IsPaintUnlocked() && !painting_ &&
           GridMemoryCanvas()->LockGrid() != this;
}

void TgrBaseGrid::Update() {
    if (paintSuppressed_ || !CanPaintNow()) return;
    try {
        TCustomGrid_ts::Update();
    } catch (...) {
        AfterPaint();
        throw;
    }
    AfterPaint();
}

void TgrBaseGrid::AfterPaint() {
    // The in-cell control refresh deferred until after painting runs here,
    // before the scroll-bar work: the control shows over the freshly painted
    // cell.
    ShowControlAfterPaint();
    if (scrollBarsPending_ || scrollBarsRerun_) {
        scrollBarsRerun_ = false;
        UpdateScrollBars();
    }
    if (scrollPosPending_) UpdateScrollPos();
}

void TgrBaseGrid::Invalidate() {
    if (IsUpdateSuspended()) {
        invalidatePending_ = true;
        return;
    }
    TCustomGrid_ts::Invalidate();
}

// ------------------------------------------------------------ paint entry

void TgrBaseGrid::Paint() {
    struct PaintPass {
        bool& flag;
        explicit PaintPass(bool& f) : flag(f) { flag = true; }
        ~PaintPass() { flag = false; }
    } pass(painting_);
    TCanvas* window = Canvas();
    TgrMemoryCanvas* memory = GridMemoryCanvas();
    // The first paint, and a paint inside another grid's buffered paint on
    // this thread (which would draw over that grid's picture), go straight
    // to the window.
    if (!paintedOnce_ || memory->IsHeldForOtherGrid(this)) {
        PrimeCanvas(window);
        canvasNeedsPriming_ = false;
        PaintBody();
        DoPaint();
        paintedOnce_ = true;
        PaintScrollBars(window);
        return;
    }
    memory->Lock(this);
    QImage* windowSurface = window->Surface();
    TRect clip = window->ClipRect();
    try {
        PrepareMemoryCanvas(window);
        memory->SetClipRect(clip);
        // The grid canvas draws into the memory surface for the body, with
        // its pen, brush, font and clip.
        window->SetSurface(&memory->Surface()->Image());
        if (canvasNeedsPriming_) {
            PrimeCanvas(window);
            canvasNeedsPriming_ = false;
        }
        PaintBody();
        DoPaint();
    } catch (...) {
        window->SetSurface(windowSurface);
        memory->Unlock();
        throw;
    }
    window->SetSurface(windowSurface);
    TRect copy;
    if (IntersectRect(copy, clip, TRect(0, 0, ClientWidth(), ClientHeight()))) {
        TCopyMode mode = window->CopyMode();
        window->SetCopyMode(cmSrcCopy);
        window->CopyRect(copy, memory->MemDC(), copy);
        window->SetCopyMode(mode);
    }
    memory->Unlock();
    PaintScrollBars(window);
}

void TgrBaseGrid::PrepareMemoryCanvas(TCanvas* windowCanvas) {
    GridMemoryCanvas()->UseFor(windowCanvas, Width(), Height(), memCanvasRegistered_);
}

void TgrBaseGrid::ReleaseMemoryCanvas() {
    if (!memCanvasRegistered_) return;
    TgrMemoryCanvas* memory = GridMemoryCanvas();
    memory->Lock(this);
    memory->Release();
    memory->Unlock();
    memCanvasRegistered_ = false;
}

void TgrBaseGrid::PaintBody() {
    TCanvas* c = Canvas();
    Integer width = ClientWidth(), height = ClientHeight();
    TRect shown = c->ClipRect();
    shown = TRect(std::max(shown.Left, 0), std::max(shown.Top, 0), std::min<int>(shown.Right, int(width)),
                  std::min<int>(shown.Bottom, int(height)));
    if (shown.IsEmpty()) return;
    // The grid colour first: a descendant's cell painting may leave a cell
    // untouched, and the memory surface holds other grids' pictures.
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(shown);
    TRect clip = MirroredX(shown);
    Integer firstCol = VisibleIndexOf(visibleCols_.get(), TopLeftCell().Col);
    Integer firstRow = VisibleIndexOf(visibleRows_.get(), TopRow());
    DrawGridLines(clip, firstCol, firstRow);
    Integer bottom = 0, right = 0;
    PaintCells(clip, firstCol, bottom, right, firstRow);
    FillOutsideCells(right, bottom);
}

void TgrBaseGrid::PaintCells(const TRect& clip, Integer firstColIndex, Integer& bottom, Integer& right,
                             Integer firstRowIndex) {
    right = ClientWidth() + 1;
    bottom = ClientHeight() + 1;
    Integer y = 0;
    for (Integer r = 0; r < FixedRowTotal() && y < clip.Bottom; ++r) {
        Integer h = GetRowHeightAt(r);
        if (h > 0 && y + h > clip.Top) PaintRowCells(r, y, right, firstColIndex, clip);
        y += h;
    }
    TgrScrollingLines rows(visibleRows_.get(), firstRowIndex, RowTotal());
    Integer r = 0;
    while (y < clip.Bottom && (r = rows.Next()) >= 0) {
        Integer h = GetRowHeightAt(r);
        if (h > 0 && y + h > clip.Top) PaintRowCells(r, y, right, firstColIndex, clip);
        y += h;
    }
    if (y < clip.Bottom) bottom = y;
}

void TgrBaseGrid::PaintRowCells(Integer row, Integer y, Integer& right, Integer firstColIndex, const TRect& clip) {
    Integer h = GetRowHeightAt(row);
    auto paint = [&](Integer col, Integer x, Integer w) {
        if (w <= 0 || x + w <= clip.Left) return;
        // Through the base's per-cell paint slot, which a descendant may
        // take over.
        TGridDrawState_ts state = 0;
        if (col < FixedColTotal() || row < FixedRowTotal()) state |= gdsFixed;
        if (col == curDisplayCol_ && row == curDisplayRow_) state |= gdsFocused;
        if (IsDisplayCellSelected(col, row)) state |= gdsSelected;
        PaintCell(col, row, MirroredX(TRect(x, y, x + w, y + h)), state);
    };
    Integer x = 0;
    for (Integer col = 0; col < FixedColTotal() && x < clip.Right; ++col) {
        Integer w = GetColWidthAt(col);
        paint(col, x, w);
        x += w;
    }
    TgrScrollingLines cols(visibleCols_.get(), firstColIndex, ColTotal());
    Integer col = 0;
    while (x < clip.Right && (col = cols.Next()) >= 0) {
        Integer w = GetColWidthAt(col);
        paint(col, x, w);
        x += w;
    }
    if (x < clip.Right && x < right) right = x;
}

void TgrBaseGrid::FillOutsideCells(Integer x, Integer y) {
    TCanvas* c = Canvas();
    Integer width = ClientWidth(), height = ClientHeight();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    if (x < width) c->FillRect(MirroredX(TRect(x, 0, width, std::min(y, height))));
    if (y < height) c->FillRect(MirroredX(TRect(0, y, width, height)));
}

// ------------------------------------------------------------ grid lines

void TgrBaseGrid::DrawGridLines(const TRect& clip, Integer firstColIndex, Integer firstRowIndex) {
    grid_paint::UsePen(Canvas(), lineColor_);
    DrawHorzGridLines(clip, firstColIndex, firstRowIndex);
    DrawVertGridLines(clip, firstColIndex, firstRowIndex);
}

void TgrBaseGrid::DrawHorzGridLines(const TRect& clip, Integer firstColIndex, Integer firstRowIndex) {
    DrawGridLinesAlong(true, clip, firstColIndex, firstRowIndex);
}

void TgrBaseGrid::DrawVertGridLines(const TRect& clip, Integer firstColIndex, Integer firstRowIndex) {
    DrawGridLinesAlong(false, clip, firstColIndex, firstRowIndex);
}

TgrBaseGrid::TgrLineAxis TgrBaseGrid::LineAxis(bool rows) {
    if (rows) return {visibleRows_.get(), FixedRowTotal(), RowTotal(), &TCustomGrid_ts::GetRowHeightAt};
    return {visibleCols_.get(), FixedColTotal(), ColTotal(), &TCustomGrid_ts::GetColWidthAt};
}

void TgrBaseGrid::DrawGridLinesAlong(bool horizontal, const TRect& area, Integer firstColIndex,
                                     Integer firstRowIndex) {
    TRect clip = area;
    clip.Left = std::max<int>(clip.Left, int(GetColWidthAt(0)));
    clip.Top = std::max<int>(clip.Top, int(GetRowHeightAt(0)));
    if (clip.IsEmpty()) return;
    // Horizontal lines lie under the rows, vertical ones right of the
    // columns; the walk goes down (across) from the heading (row bar) edge.
    TgrLineAxis axis = LineAxis(horizontal);
    Integer low = horizontal ? clip.Top : clip.Left, high = horizontal ? clip.Bottom : clip.Right;
    bool linesOn = gridLines_ == glBoth || gridLines_ == (horizontal ? glHorizontal : glVertical);
    Integer lastFixed = LastVisibleBefore(axis.List, axis.Fixed);
    bool fixedColor = fixedLineColor_ != grColorNotSet && linesOn;
    Integer pos = (this->*axis.Extent)(0);
    auto line = [&](Integer i, bool fixedRule) {
        Integer e = (this->*axis.Extent)(i);
        pos += e;
        if (e <= 0 || pos - 1 < low) return;
        bool fixedLine = fixedRule && fixedColor && i == lastFixed;
        if (horizontal) DrawHorzLineSegments(i, pos - 1, firstColIndex, fixedLine, clip);
        else DrawVertLineSegments(i, pos - 1, firstRowIndex, fixedLine, clip);
    };
    for (Integer i = 1; i < axis.Fixed && pos <= high; ++i) line(i, true);
    TgrScrollingLines lines(axis.List, horizontal ? firstRowIndex : firstColIndex, axis.Total);
    Integer i = 0;
    while (pos <= high && (i = lines.Next()) >= 0) line(i, false);
}

void TgrBaseGrid::DrawHorzLineSegments(Integer row, Integer y, Integer firstColIndex, bool fixedLine,
                                       const TRect& clip) {
    DrawLineSegments(true, row, y, firstColIndex, fixedLine, clip);
}

void TgrBaseGrid::DrawVertLineSegments(Integer col, Integer x, Integer firstRowIndex, bool fixedLine,
                                       const TRect& clip) {
    DrawLineSegments(false, col, x, firstRowIndex, fixedLine, clip);
}

void TgrBaseGrid::DrawLineSegments(bool horizontal, Integer line, Integer at, Integer firstIndex, bool fixedLine,
                                   const TRect& clip) {
    TCanvas* c = Canvas();
    bool linesOn = gridLines_ == glBoth || gridLines_ == (horizontal ? glHorizontal : glVertical);
    // A horizontal line runs across the columns, a vertical one down the
    // rows.
    TgrLineAxis axis = LineAxis(!horizontal);
    Integer high = horizontal ? clip.Right : clip.Bottom;
    Integer dataLine = horizontal ? DataRowOfDisplay(line) : DataColOfDisplay(line);
    // The segment being gathered: from start to pos, its look.
    Integer start = (this->*axis.Extent)(0), pos = start;
    bool segment3D = false, open = false;
    TColor segmentColor = lineColor_;
    auto flush = [&] {
        if (!open || pos <= start || (!segment3D && !linesOn)) return;
        c->Pen()->SetColor(segmentColor);
        if (horizontal) {
            TRect shown = MirroredX(TRect(start, at, pos, at + 1));
            grid_paint::Line(c, shown.Left, int(at), shown.Right, int(at));
        } else {
            int x = MirroredX(TRect(at, 0, at + 1, 1)).Left;
            grid_paint::Line(c, x, int(start), x, int(pos));
        }
    };
    auto step = [&](Integer i) {
        Integer e = (this->*axis.Extent)(i);
        if (e <= 0) return;
        Integer dataCol = horizontal ? DataColOfDisplay(i) : dataLine;
        Integer dataRow = horizontal ? dataLine : DataRowOfDisplay(i);
        bool is3D = !fixedLine && EffectiveIs3D(dataCol, dataRow);
        TColor color = fixedLine ? fixedLineColor_ : is3D ? kLine3D : lineColor_;
        if (!open || is3D != segment3D || color != segmentColor) {
            flush();
            start = pos;
            segment3D = is3D;
            segmentColor = color;
            open = true;
        }
        pos = std::min<Integer>(pos + e, high);
    };
    for (Integer i = 1; i < axis.Fixed && pos < high; ++i) step(i);
    TgrScrollingLines cells(axis.List, firstIndex, axis.Total);
    Integer i = 0;
    while (pos < high && (i = cells.Next()) >= 0) step(i);
    flush();
}

// ------------------------------------------------------------ invalidation

void TgrBaseGrid::InvalidateDisplayCell(Integer displayCol, Integer displayRow) {
    if (displayCol < 0 || displayRow < 0 || displayCol >= ColTotal() || displayRow >= RowTotal()) return;
    if (IsUpdateSuspended()) {
        invalidatePending_ = true;
        return;
    }
    RepaintCell(displayCol, displayRow);
}

void TgrBaseGrid::InvalidateRow(Integer displayRow) {
    if (!HasWindow() || displayRow < 0 || displayRow >= RowTotal()) return;
    if (IsUpdateSuspended()) {
        invalidatePending_ = true;
        return;
    }
    Integer left = 0, top = 0, bottom = 0, right = ColTotal() - 1, lastCol = 0, lastRow = 0;
    ClampRangeToView(left, top, bottom, right, lastCol, lastRow);
    // The scrolling cells in view, then the row bar and fixed data columns.
    RepaintRange({TopLeftCell().Col, displayRow, lastCol, displayRow});
    if (rowBarOn_ || fixedColCount_ > 0)
        RepaintRange({0, displayRow, std::min(FixedColTotal() - 1, lastCol), displayRow});
}

void TgrBaseGrid::InvalidateCol(Integer displayCol) {
    if (!HasWindow() || displayCol < 0 || displayCol >= ColTotal()) return;
    if (IsUpdateSuspended()) {
        invalidatePending_ = true;
        return;
    }
    Integer left = 0, top = 0, bottom = RowTotal() - 1, right = 0, lastCol = 0, lastRow = 0;
    ClampRangeToView(left, top, bottom, right, lastCol, lastRow);
    RepaintRange({displayCol, TopRow(), displayCol, lastRow});
    if (headingOn_ || fixedRowCount_ > 0)
        RepaintRange({displayCol, 0, displayCol, std::min(FixedRowTotal() - 1, lastRow)});
}

bool TgrBaseGrid::IsCellOnScreen(Integer displayCol, Integer displayRow) const {
    return CellPixels(displayCol, displayRow).Right > 0;
}
