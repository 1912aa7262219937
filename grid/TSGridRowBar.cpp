// The row bar's pictures: the current row (an arrow), a changed row (a
// pencil) and the insert row (a star), built-in black-on-white bitmaps that
// are copied into a row-bar cell with the merge copy (the white takes the
// heading colour) or, on the inverted bar of a selected row, the merge
// paint (the black shows white). They are drawn in the paint pass and,
// outside it, at once where the grid can paint now (else the cell waits
// for the next paint).

#include <algorithm>
#include <memory>

#include "grid/GridPaintTools.h"
#include "grid/TSGrid.h"

namespace {

constexpr int kPictureSize = 9;

TBitmap* Shape(std::unique_ptr<TBitmap>& slot, bool (*isBlack)(int x, int y)) {
    if (!slot) slot = grid_paint::BlackOnWhitePicture(kPictureSize, kPictureSize, isBlack);
    return slot.get();
}

// An arrow pointing right: column x + 2 holds rows x..8-x.
TBitmap* DotArrowRight() {
    static std::unique_ptr<TBitmap> bitmap;
    return Shape(bitmap, [](int x, int y) { return x >= 2 && x <= 6 && y >= x - 2 && y <= 10 - x; });
}

// A pencil: a slanted bar three pixels wide with its point at the bottom
// left.
TBitmap* ChangedRow() {
    static std::unique_ptr<TBitmap> bitmap;
    return Shape(bitmap, [](int x, int y) {
        int i = 8 - y, w = x - i;
        return i >= 0 && i < 7 && w >= 0 && w < 3;
    });
}

// A star: a cross and its two diagonals.
TBitmap* InsertRow() {
    static std::unique_ptr<TBitmap> bitmap;
    return Shape(bitmap, [](int x, int y) {
        bool cross = (y == 4 && x >= 1 && x < 8) || (x == 4 && y >= 1 && y < 8);
        bool diagonal = x >= 2 && x < 7 && (y == x || y == 8 - x);
        return cross || diagonal;
    });
}

TBitmap* PictureOf(TgrRowIndicator indicator) {
    switch (indicator) {
    case triCurrent:
        return DotArrowRight();
    case triChanged:
        return ChangedRow();
    case triInsert:
        return InsertRow();
    case triNone:
        break;
    }
    return nullptr;
}

}  // namespace

TBitmap* GridRowBarBitmap(const std::string& name) {
    if (name == "GRDOTARROWRIGHT") return DotArrowRight();
    if (name == "GRCHANGEDROW") return ChangedRow();
    if (name == "GRINSERTROW") return InsertRow();
    return nullptr;
}

bool TgrBaseGrid::ShowsRowChanged(Integer dataRow) {
    if (rowChangedIndicator_ == riOff) return false;
    if (rowChangedIndicator_ == riOn && IsRowChanged(dataRow)) return true;
    return rowModified_ && dataRow == curDataRow_;
}

TgrRowIndicator TgrBaseGrid::CurrentRowIndicator(Integer displayRow) {
    if (ShowsRowChanged(DataRowOfDisplay(displayRow))) return triChanged;
    if (ShowsInsertIndicator()) return triInsert;
    return triCurrent;
}

TgrRowIndicator TgrBaseGrid::RowIndicatorOf(Integer displayRow) {
    if (!rowBarIndicator_ || displayRow <= 0 || displayRow >= RowTotal() || !HasActiveData()) return triNone;
    bool current = displayRow == curDisplayRow_;
    if (IsInsertRowPos(displayRow))
        return !current || ShowsInsertIndicator() ? triInsert : CurrentRowIndicator(displayRow);
    if (current) return CurrentRowIndicator(displayRow);
    // A row whose edit has ended keeps its changed mark under riOn.
    return rowChangedIndicator_ == riOn && IsRowChanged(DataRowOfDisplay(displayRow)) ? triChanged : triNone;
}

bool TgrBaseGrid::IsRowIndicatorVisible(Integer displayRow) {
    if (displayRow <= 0 || displayRow >= RowTotal()) return false;
    if (displayRow >= FixedRowTotal() && displayRow < TopRow()) return false;
    return IsCellOnScreen(0, displayRow);
}

bool TgrBaseGrid::CanPaintOrInvalidate(Integer displayCol, Integer displayRow) {
    // Inside the paint pass the cell is being painted anyway.
    if (painting_ || CanPaintNow()) return true;
    InvalidateDisplayCell(displayCol, displayRow);
    return false;
}

void TgrBaseGrid::PaintRowIndicator(const TgrCellPaintInfo& info) {
    PaintRowBarGlyph(info.DisplayRow, PictureOf(info.Indicator), cmMergeCopy, false);
}

void TgrBaseGrid::DrawRowIndicator(Integer displayRow) {
    if (!rowBarIndicator_) return;
    PaintRowBarGlyph(displayRow, PictureOf(CurrentRowIndicator(displayRow)), cmMergeCopy, true);
}

void TgrBaseGrid::DrawRowIndicatorSelected(Integer displayRow) {
    if (!rowBarIndicator_) return;
    PaintRowBarGlyph(displayRow, PictureOf(CurrentRowIndicator(displayRow)), cmMergePaint, true);
}

void TgrBaseGrid::DrawInsertRowIndicator() {
    if (gridMode_ != gmEditInsert) return;
    Integer row = RowTotal() - 1;
    // On the inverted bar of a selected row outside a paint pass the star
    // shows white.
    bool inverted = IsDisplayCellSelected(0, row) && !painting_;
    PaintRowBarGlyph(row, InsertRow(), inverted ? cmMergePaint : cmMergeCopy, false);
}

void TgrBaseGrid::PaintRowBarCell(Integer displayRow) {
    if (!rowBarOn_ || displayRow <= 0 || displayRow >= RowTotal()) return;
    TRect rect = CellPixels(0, displayRow);
    if (rect.IsEmpty()) return;
    TCanvas* c = Canvas();
    TRect saved = c->ClipRect();
    c->SetClipRect(rect);
    try {
        DrawGridCell(0, displayRow, IsDisplayCellSelected(0, displayRow), rect);
    } catch (...) {
        c->SetClipRect(saved);
        throw;
    }
    c->SetClipRect(saved);
}

void TgrBaseGrid::RepaintRowBarCell(Integer displayRow) {
    if (rowBarOn_ && IsRowIndicatorVisible(displayRow) && CanPaintOrInvalidate(0, displayRow))
        PaintRowBarCell(displayRow);
}

void TgrBaseGrid::PaintRowBarGlyph(Integer displayRow, TBitmap* picture, TCopyMode copyMode, bool refill) {
    if (!picture || picture->Empty()) return;
    if (!rowBarOn_ || !IsRowIndicatorVisible(displayRow) || !CanPaintOrInvalidate(0, displayRow)) return;
    if (refill && IsInsertRow(displayRow) && !painting_) PaintRowBarBackground(displayRow);
    TRect cell = CellPixels(0, displayRow);
    // The cell with its grid lines, less a pixel where the lines are off.
    if (horzLineWidth_ == 0) --cell.Right;
    if (vertLineWidth_ == 0) --cell.Bottom;
    if (cell.IsEmpty()) return;
    int w = picture->Width(), h = picture->Height();
    int left = cell.Left + std::max(1, (cell.Right - cell.Left - 1) / 2 - w / 2 + 1);
    // Placed by RowBarAlignment: centred in the row, on its last text line,
    // or (the default) on its first.
    TgrVertAlignment align = rowBarAlignment_ != vtaDefault ? rowBarAlignment_ : vertAlignment_;
    int rowHeight = int(GetRowHeightAt(displayRow));
    int t = int(GetFontLineHeight());
    int offset = align == vtaCenter   ? std::max(1, rowHeight / 2 - h / 2)
                 : align == vtaBottom ? t / 2 - h / 2 + rowHeight - t - 1
                                      : std::max(1, t / 2 - h / 2);
    int top = std::max(cell.Top + offset, cell.Top + 1);
    TRect dest(left, top, std::min(left + w, cell.Right), std::min(top + h, cell.Bottom));
    if (dest.IsEmpty()) return;
    TRect source(0, 0, std::min(w, dest.Width()), dest.Height());
    // A picture cut at the bottom shows its bottom part under vtaBottom.
    if (dest.Height() < h && vertAlignment_ == vtaBottom) {
        source.Top += h - dest.Height();
        source.Bottom += h - dest.Height();
    }
    TCanvas* c = Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(headingColor_);
    c->SetCopyMode(copyMode);
    c->CopyRect(dest, picture->Canvas(), source);
    c->SetCopyMode(cmSrcCopy);
}
