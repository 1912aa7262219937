// What the user sees while a column or row border is dragged or a column or
// row is moved: the dotted resize line and the drop marker (a move dragged
// past an edge of the scrolling area scrolls in TSGridAutoScroll.cpp).
//
// Both marks are drawn straight on the window and removed by drawing them
// again (the line in XOR, the marker inverted), so the flags must always say
// what is on the window; the window is brought up to date before a mark is
// first drawn and after every scroll step, so no paint wipes a shown mark.

#include <algorithm>

#include "grid/GridCursors.h"
#include "grid/TSGrid.h"

bool TgrBaseGrid::CursorRequest(int x, int y, TCursor& cursor) {
    TCellCoord_ts cell = MouseCoord(x, y);
    return CursorForMouseStatus(x, y, cell.Row, cell.Col, cursor);
}

bool TgrBaseGrid::CursorForMouseStatus(Integer x, Integer y, Integer row, Integer col, TCursor& cursor) {
    switch (mouseStatus_) {
        case msButtonDown: return false;
        case msRowResize:
        case msHeadingResize: cursor = crVSplit; return true;
        case msColResize:
        case msRowBarResize: cursor = crHSplit; return true;
        case msColMove:
        case msRowMove: cursor = crDrag; return true;
        default: break;
    }
    if (x >= ClientWidth() || y >= ClientHeight()) {
        cursor = crDefault;
        return true;
    }
    // Where a press would start a resize.
    switch (IsOnSizingZone(x, y, col, row)) {
        case msRowResize:
        case msHeadingResize: cursor = crVSplit; return true;
        case msColResize:
        case msRowBarResize: cursor = crHSplit; return true;
        default: break;
    }
    TCursor base = selectedAreaCursor_ != crDefault && IsDragSourceCell(col, row) ? selectedAreaCursor_ : Cursor();
    cursor = base;
    if (col >= ColTotal() || row >= RowTotal()) return true;
    // A fixed column, row or cell takes part in a selection only with
    // SelectFixed.
    auto selectable = [this](Integer c, Integer r) {
        return selectFixed_ || ((c < 1 || c >= FixedColTotal()) && (r < 1 || r >= FixedRowTotal()));
    };
    if (col >= 1 && row <= 0) {
        // Over a heading whose press would select the column rather than
        // move the selected ones or act as a button.
        if (colSelectMode_ != csMulti) return true;
        bool fixedSelected = false;
        for (Integer c = 1; c < FixedColTotal(); ++c) fixedSelected = fixedSelected || colSelection_->IsSelected(c);
        bool wouldSelect = colSelection_->Count() == 0 || !colSelection_->IsSelected(col) || !colMoving_ || fixedSelected;
        bool onButton = IsOverHeadingButton(x, y, col) || IsHeadingCellClick(col);
        cursor = wouldSelect && selectable(col, 0) && !onButton ? GridCursors().VertArrowDown : Cursor();
        return true;
    }
    if (col <= 0 && row >= 1) {
        // Over the row bar where a press would select the row.
        if (rowSelectMode_ == rsNone) return true;
        bool fixedSelected = false;
        for (Integer r = 1; r < FixedRowTotal(); ++r) fixedSelected = fixedSelected || rowSelection_->IsSelected(r);
        bool wouldSelect =
            !rowSelection_->IsSelected(row) || gridStatus_ != gsRowsSelected || !RowMoving() || fixedSelected;
        if (wouldSelect && selectable(0, row) && !IsInsertRowPos(row)) cursor = GridCursors().HorArrowRight;
        return true;
    }
    if (col < 1 || row < 1) {
        cursor = Cursor();  // the corner
        return true;
    }
    // The left edge of a data cell, where a press starts a cell range.
    if ((gridMode_ == gmEdit || gridMode_ == gmEditInsert || gridMode_ == gmBrowse) && CellSelectMode() == cmRange &&
        x < CellPixels(col, row).Left + 3) {
        cursor = selectable(col, row) && !IsInsertRowPos(row) ? GridCursors().ArrowRev : Cursor();
        return true;
    }
    // A data cell of an editing grid: text is typed where the editor shows.
    if (gridMode_ != gmEdit && gridMode_ != gmEditInsert) return true;
    Integer dataCol = DataColOfDisplay(col), dataRow = DataRowOfDisplay(row);
    TgrCellPaintInfo info;
    if (IsCellReadOnly(dataCol, dataRow) || !FillDrawInfo(col, row, info)) return true;
    bool listOnly = (info.ButtonType == btCombo || info.ButtonType == btDateTimeDropDown) &&
                    info.DropDownStyle == ddDropDownList;
    if (listOnly) return true;
    if (info.ControlType == ctText) {
        if (alwaysShowEditor_ && !(info.ButtonType != btNone && PointInClosedRect(x, y, info.ButtonRect))) cursor = crIBeam;
        return true;
    }
    return info.ControlType == ctCheck;
}

void TgrBaseGrid::DrawResizeLine() {
    if (!HasWindow()) return;
    bool horizontal = mouseStatus_ == msRowResize || mouseStatus_ == msHeadingResize;
    if (!horizontal && mouseStatus_ != msColResize && mouseStatus_ != msRowBarResize) return;
    TGridLayout_ts l;
    ComputeLayout(l);
    TCanvas* c = Canvas();
    TPen saved;
    saved.Assign(*c->Pen());
    try {
        // A white pen in XOR turns a light background dark and back again;
        // a black one would change nothing and leave the line unseen.
        c->Pen()->SetStyle(psDot);
        c->Pen()->SetMode(pmXor);
        c->Pen()->SetWidth(1);
        c->Pen()->SetColor(clWhite);
        if (horizontal) {
            c->MoveTo(0, sizePos_);
            c->LineTo(std::min<Integer>(l.Horz.GridEnd, ClientWidth()), sizePos_);
        } else {
            c->MoveTo(sizePos_, 0);
            c->LineTo(sizePos_, std::min<Integer>(l.Vert.GridEnd, ClientHeight()));
        }
    } catch (...) {
        c->Pen()->Assign(saved);
        throw;
    }
    c->Pen()->Assign(saved);
    resizeLineShown_ = !resizeLineShown_;
}

void TgrBaseGrid::MoveResizeLine(Integer pos) {
    if (resizeLineShown_) DrawResizeLine();
    sizePos_ = pos;
    DrawResizeLine();
}

bool TgrBaseGrid::DropOntoMovedCols() {
    // Only a selected block moves as one; a single column always can.
    if (!IsDisplayColSelected(moveFromIndex_)) return false;
    for (Integer p = std::min(moveFromIndex_, moveToIndex_); p <= std::max(moveFromIndex_, moveToIndex_); ++p)
        if (!IsDisplayColSelected(p)) return false;
    return true;
}

bool TgrBaseGrid::DropOntoMovedRows() {
    if (!IsDisplayRowSelected(moveFromIndex_)) return false;
    for (Integer p = std::min(moveFromIndex_, moveToIndex_); p <= std::max(moveFromIndex_, moveToIndex_); ++p)
        if (!IsDisplayRowSelected(p)) return false;
    return true;
}

void TgrBaseGrid::InvertBand(const TRect& band) {
    TCanvas* c = Canvas();
    TCopyMode old = c->CopyMode();
    c->SetCopyMode(cmDstInvert);
    c->CopyRect(band, c, band);
    c->SetCopyMode(old);
}

void TgrBaseGrid::ToggleColDropMarker() {
    if (!HasWindow() || moveToIndex_ < 1 || moveToIndex_ >= ColTotal()) return;
    TGridLayout_ts l;
    ComputeLayout(l);
    if ((moveToIndex_ >= FixedColTotal() && moveToIndex_ < TopLeftCell().Col) || DropOntoMovedCols()) return;
    TRect r = CellPixels(moveToIndex_, 0);
    if (r.Right <= r.Left || r.Left >= ClientWidth()) return;  // not on screen
    Integer x = moveToIndex_ > moveFromIndex_ ? r.Right : r.Left;
    TRect band(x - 1, 0, x + 1, std::min<Integer>(l.Vert.GridEnd, ClientHeight()) + 1);
    if (band.Right > ClientWidth()) return;
    InvertBand(band);
    dropMarkerShown_ = !dropMarkerShown_;
}

void TgrBaseGrid::ToggleRowDropMarker() {
    if (!HasWindow() || moveToIndex_ < 1 || moveToIndex_ >= RowTotal()) return;
    TGridLayout_ts l;
    ComputeLayout(l);
    if ((moveToIndex_ >= FixedRowTotal() && moveToIndex_ < TopLeftCell().Row) || DropOntoMovedRows()) return;
    TRect r = CellPixels(0, moveToIndex_);
    if (r.Bottom <= r.Top || r.Top >= ClientHeight()) return;
    Integer y = moveToIndex_ > moveFromIndex_ ? r.Bottom : r.Top;
    TRect band(0, y - 1, std::min<Integer>(l.Horz.GridEnd, ClientWidth()), y + 1);
    if (band.Bottom > ClientHeight() + 1) return;
    InvertBand(band);
    dropMarkerShown_ = !dropMarkerShown_;
}

void TgrBaseGrid::ToggleDropMarker() {
    if (mouseStatus_ == msRowMove) ToggleRowDropMarker();
    else ToggleColDropMarker();
}

void TgrBaseGrid::SetColDropPos(Integer displayCol) {
    if (dropMarkerShown_) ToggleColDropMarker();
    moveToIndex_ = displayCol;
    if (!dropMarkerShown_) ToggleColDropMarker();
}

void TgrBaseGrid::SetRowDropPos(Integer displayRow) {
    if (dropMarkerShown_) ToggleRowDropMarker();
    moveToIndex_ = displayRow;
    if (!dropMarkerShown_) ToggleRowDropMarker();
}

void TgrBaseGrid::StartMoveFeedback() {
    // The mouse is captured from here on: the drag cursor stays until the
    // move ends.
    ShowCursorNow(crDrag);
    if (HasWindow()) Update();
    dropMarkerShown_ = false;
    ToggleDropMarker();
    scrollDelayStart_ = 0;
}

void TgrBaseGrid::TrackColMove(Integer x, Integer y) {
    Integer scrolledCol = -1, scrolledRow = -1;
    if (CheckColAutoScroll(x, y, scrolledCol, scrolledRow)) return;
    Integer lo = GetFirstScrollingEnterableCol(SkipsReadOnly(), false);
    Integer hi = GetLastEnterableCol(SkipsReadOnly(), false);
    if (lo < 1 || hi < lo) return;
    Integer col = std::clamp<Integer>(DataCellNear(x, y).Col, lo, hi);
    if (col != moveToIndex_) SetColDropPos(col);
    else if (!dropMarkerShown_) ToggleColDropMarker();
}

void TgrBaseGrid::TrackRowMove(Integer x, Integer y) {
    Integer scrolledCol = -1, scrolledRow = -1;
    if (TgrBaseGrid::CheckDragAutoScroll(x, y, scrolledCol, scrolledRow)) return;
    Integer lo = 0;
    FindNextEnterableRow(std::max<Integer>(FixedRowTotal(), 1) - 1, false, lo, false);
    Integer hi = GetLastEnterableRow(false, false);
    if (lo < 1 || hi < lo) return;
    Integer row = std::clamp<Integer>(DataCellNear(std::max<Integer>(x, 1), y).Row, lo, hi);
    // The insert row is no drop place: the row above it is.
    if (IsInsertRowPos(row)) --row;
    if (row < 1 || row > Rows()) return;
    if (row != moveToIndex_) SetRowDropPos(row);
    else if (!dropMarkerShown_) ToggleRowDropMarker();
}
