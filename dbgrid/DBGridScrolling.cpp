// Vertical scrolling of the data-aware grid. The grid owns only the rows
// of its record window, so the scroll bar moves the dataset (standard
// window) or the window's own cursor (engine-cursor window); the grid
// follows through its data-link reactions. When the window moved by a few
// records the drawn rows are scrolled as pixels and only the rows that came
// into view are painted; a move of a page or more repaints everything.
#include <algorithm>
#include <cmath>

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCursor.h"
#include "platform/core/MathUtils.h"
#include "platform/data/DataSet.h"

// ------------------------------------------------------------ pixel scrolling

Integer TgrCustomDBGrid::RowPitch() {
    Integer top = TopLeftCell().Row;
    if (ColTotal() > 0 && top + 1 < RowTotal()) {
        Integer pitch = CellPixels(0, top + 1).Top - CellPixels(0, top).Top;
        if (pitch > 0) return pitch;
    }
    return DefaultRowHeight() + 1;
}

Integer TgrCustomDBGrid::ColumnShiftPixels(Integer colDelta) {
    Integer left = TopLeftCell().Col, pixels = 0;
    if (colDelta > 0)
        for (Integer c = left; c < left + colDelta && c < ColTotal(); ++c) pixels -= GetColWidthAt(int(c)) + 1;
    else
        for (Integer c = left - 1; c >= left + colDelta && c >= 1; --c) pixels += GetColWidthAt(int(c)) + 1;
    return pixels;
}

void TgrCustomDBGrid::ScrollByRecords(Integer colDelta, Integer delta, bool markCurrent) {
    auto mark = [&] {
        if (markCurrent) SyncCurrentRecord();
    };
    if (!CanPaintNow()) {
        Invalidate();
        mark();
        return;
    }
    // A page or more: nothing drawn can be kept.
    if (std::abs(delta) >= std::max<Integer>(GetVisibleRowCount(), 1) ||
        (colDelta != 0 && std::abs(colDelta) >= std::max<Integer>(GetVisibleColCount(), 1))) {
        Invalidate();
        mark();
        Update();
        return;
    }
    Integer dx = ColumnShiftPixels(colDelta), dy = -delta * RowPitch();
    // The current record shown at another row than the current one: the
    // rows are drawn directly while they scroll, with no focus drawn on
    // the row it left.
    Integer recordRow = markCurrent ? window_->GetBookmarkRow(currentRecord_) : 0;
    bool direct = recordRow >= 1 && DisplayRowOfData(recordRow) != CurrentDisplayRow();
    if (direct) SetDirectDrawing(true);
    try {
        if (dx != 0 || dy != 0) ScrollCells(dx, dy);
    } catch (...) {
        if (direct) SetDirectDrawing(false);
        throw;
    }
    if (direct) SetDirectDrawing(false);
    mark();
}

void TgrCustomDBGrid::ScrollToShow(Integer left, Integer top, Integer delta) {
    if (left == TopLeftCell().Col && top == TopLeftCell().Row) ScrollByRecords(0, delta, false);
    else if (left == TopLeftCell().Col) SetTopLeftChecked(left, top, top == TopLeftCell().Row + delta);
    else SetTopLeftChecked(left, top, delta == 0);
}

void TgrCustomDBGrid::ApplyCurrentMove(Integer delta, Integer left, Integer newTop, Integer newCol, Integer newRow,
                                       bool byUser) {
    Integer oldRow = CurrentDisplayRow();
    if (newRow >= 1 && newRow < RowTotal() && newCol >= 0 && newCol < ColTotal()) {
        // The record follows afterwards (SyncCurrentRecord); no notice yet.
        ++syncDepth_;
        try {
            ChangeCurrentCell(newCol, newRow);
        } catch (...) {
            --syncDepth_;
            throw;
        }
        --syncDepth_;
    }
    ScrollToShow(left, newTop, delta);
    // The focus and the row indicator moved with the pixels: the rows of
    // the old and the new current record are drawn again.
    Integer moved = oldRow - delta;
    if (moved >= 1 && moved < RowTotal()) InvalidateRow(moved);
    if (oldRow >= 1 && oldRow < RowTotal()) InvalidateRow(oldRow);
    if (CurrentDisplayRow() >= 1 && CurrentDisplayRow() < RowTotal()) InvalidateRow(CurrentDisplayRow());
    RefreshCellControl();
    CheckTopLeftChanged(byUser);
}

// ------------------------------------------------------------ movement arithmetic

Integer TgrCustomDBGrid::ScrollBackStandard(Integer distance, Integer shift, Integer& top, Integer& newRow,
                                            Integer& records) {
    newRow = std::max<Integer>(FixedRowTotal(), shift + CurrentDataRow());
    top = TopLeftCell().Row;
    records = std::abs(distance);
    return std::abs(distance + shift);
}

Integer TgrCustomDBGrid::ScrollForwardStandard(Integer distance, Integer shift, Integer& top, Integer& newRow,
                                               Integer& records) {
    newRow = std::min<Integer>(Rows(), shift + CurrentDataRow());
    top = TopLeftCell().Row;
    records = distance;
    return distance + shift;
}

Integer TgrCustomDBGrid::CalcLineUp(Integer count, Integer& scroll, Integer& newRow, Integer& newTop) {
    newRow = CurrentDataRow();
    newTop = TopLeftCell().Row;
    scroll = 0;
    if (UsesStandardWindow()) {
        TDataSet* ds = DataSet();
        Integer d = dataLink_->Active() && ds && !ds->Bof() ? count : 0;
        if (d == 0) UpdateScrollBars();
        return d;
    }
    // The window's active row steps back; past row 1 the window scrolls.
    Integer scrolled = 0;
    SetActiveWindowRow(CurrentDataRow());
    Integer moved = bdeWindow_->MoveByRows(-count, scrolled);
    newRow = std::max<Integer>(1, bdeWindow_->GetActiveRow());
    scroll = -scrolled;
    if (newRow < newTop) newTop = std::max<Integer>(newRow, FixedRowTotal());
    if (moved == 0) UpdateScrollBars();
    return -moved;
}

Integer TgrCustomDBGrid::CalcLineDown(Integer count, Integer& scroll, Integer& newRow, Integer& newTop) {
    newRow = CurrentDataRow();
    newTop = TopLeftCell().Row;
    scroll = 0;
    if (UsesStandardWindow()) {
        TDataSet* ds = DataSet();
        Integer d = dataLink_->Active() && ds && !ds->Eof() ? count : 0;
        if (d == 0) UpdateScrollBars();
        return d;
    }
    Integer scrolled = 0;
    SetActiveWindowRow(CurrentDataRow());
    Integer moved = bdeWindow_->MoveByRows(count, scrolled);
    newRow = std::max<Integer>(1, bdeWindow_->GetActiveRow());
    scroll = scrolled;
    // The new row stays inside the last visible row.
    Integer visible = std::max<Integer>(GetVisibleRowCount(), 1);
    if (newRow > newTop + visible - 1)
        newTop = std::clamp<Integer>(newRow - visible + 1, FixedRowTotal(), std::max<Integer>(Rows(), 1));
    if (moved == 0) UpdateScrollBars();
    return moved;
}

// ------------------------------------------------------------ the data link scrolled

void TgrCustomDBGrid::DataLinkScrolled(Integer distance) {
    window_->ShiftCaches(distance);
    if (syncDepth_ > 0) return;
    updatePending_ = false;
    pendingValue_ = Variant();
    Integer left = TopLeftCell().Col;
    if (!UsesStandardWindow()) {
        // The window moves with the dataset from the grid's current record;
        // a record still outside the rows has the window read around it.
        if (distance != 0 && window_->GetBookmarkRow(currentRecord_) >= 1) {
            Integer scroll = 0, newRow = 0, newTop = 0;
            bool page = std::abs(distance) >= std::max<Integer>(GetVisibleRowCount(), 1);
            Integer moved = distance < 0 ? page ? CalcPageUp(-distance, scroll, newRow, newTop)
                                                : CalcLineUp(-distance, scroll, newRow, newTop)
                        : page ? CalcPageDown(distance, scroll, newRow, newTop)
                               : CalcLineDown(distance, scroll, newRow, newTop);
            // A list move carries the row selection with the record.
            if (moved != 0 && GridMovesDataset())
                ApplyWindowMove(scroll, CurrentDisplayCol(), newRow, left, newTop);
            else if (moved != 0)
                ApplyCurrentMove(scroll, left, newTop, CurrentDisplayCol(), DisplayRowOfData(newRow), false);
        }
        if (window_->GetCurrentRecordRow() == 0) {
            // The dataset went to its first or last record: the window is
            // read anew from there; anywhere else it is read around the
            // record.
            TDataSet* ds = DataSet();
            Integer first = std::max<Integer>(FixedRowTotal(), 1), newRow = 0;
            bool reread = false;
            if (ds->Bof() && CalcFirst(newRow, reread) != 0 && reread) {
                SetTopLeftChecked(left, first, true);
            } else if (ds->Eof() && CalcLast(newRow, reread) != 0 && reread) {
                SetTopLeftChecked(
                    left, std::max<Integer>(DisplayRowOfData(newRow) - std::max<Integer>(GetVisibleRowCount(), 1) + 1, first),
                    true);
            }
            if (window_->GetCurrentRecordRow() == 0) bdeWindow_->ShowRecord(window_->GetCurrentBookmark());
            UpdateRowCount(false);
            Invalidate();
        }
        SyncCurrentRecord();
    } else {
        // The rows kept their places on screen; the records under them
        // moved by distance. The current cell goes to the dataset's row.
        Integer shift = 0;
        std::string current = window_->GetCurrentBookmark();
        if (current != currentRecord_) shift = window_->GetActiveRow() - CurrentDataRow();
        bool back = distance < 0 || (distance == 0 && shift < 0);
        bool forward = distance > 0 || (distance == 0 && shift > 0);
        if (back || forward) {
            Integer top = 0, newRow = 0, records = 0;
            Integer rows = back ? ScrollBackStandard(distance, shift, top, newRow, records)
                                : ScrollForwardStandard(distance, shift, top, newRow, records);
            if (rows != 0)
                ApplyCurrentMove(back ? -records : records, left, top, CurrentDisplayCol(), DisplayRowOfData(newRow),
                                 false);
        }
        SyncCurrentRecord();
    }
    // The bar keeps its range while the record count stays: only its
    // position moves, and the drawn rows are left as they are.
    int low = 0, high = 0;
    GetScrollRange(sbVertical, low, high);
    TgrVertScrollFigures f = VertScrollFigures();
    if (ScrollBarShown(sbVertical) && low == f.First && high == f.Range) UpdateScrollPos();
    else UpdateScrollBars();
    // Another record may stand in the top row now.
    CheckTopLeftChanged(false);
}

void TgrCustomDBGrid::UpdateScrollPos() {
    TgrBaseGrid::UpdateScrollPos();
    if (!dataBound_ || !dataActive_ || !HasWindow() || !CanPaintNow() ||
        (ScrollBars() != ssVertical && ScrollBars() != ssBoth))
        return;
    int pos = int(VertScrollPos());
    if (GetScrollPos(sbVertical) == pos) return;
    SetScrollPos(sbVertical, pos);
    PaintScrollBars(Canvas());
}

// ------------------------------------------------------------ the scroll bar

Integer TgrCustomDBGrid::ScrollPosToRecord(Integer pos) {
    TgrVertScrollFigures f = VertScrollFigures();
    if (!f.Scaled || f.Range <= 0) return f.First + pos - 1;
    return Integer(RoundHalfEven(double(f.Positions) / double(f.Range) * double(pos))) + f.First;
}

void TgrCustomDBGrid::VertScroll(TgrScrollCode code, Integer thumbPos) {
    CloseDropDowns();
    if (!dataActive_) return;
    // Scrolling with the bar gives the grid the focus, as a click would.
    if (HasWindow() && Showing() && CanFocus() && CanTakeFocus() && !Focused() &&
        !ComponentState().Contains(csDesigning))
        SetFocus();
    if (UsesStandardWindow()) ScrollStandard(code, thumbPos);
    else ScrollBDE(code, thumbPos);
    UpdateScrollBars();
}

void TgrCustomDBGrid::ScrollStandard(TgrScrollCode code, Integer thumbPos) {
    if (!EndCellEdit()) return;
    TDataSet* ds = DataSet();
    Integer v = GetVisibleRecordCount();
    bool sequenced = window_->IsSequenced();
    switch (code) {
        case scLineUp:
            if (!ds->Bof()) ds->Prior();
            break;
        case scLineDown:
            if (!ds->Eof()) ds->Next();
            break;
        case scPageUp: ds->MoveBy(int(-v)); break;
        case scPageDown: ds->MoveBy(int(v)); break;
        case scTop: ds->First(); break;
        case scBottom: ds->Last(); break;
        case scThumbTrack:
            if (!ThumbTracking()) break;
            [[fallthrough]];
        case scThumbPosition:
            if (sequenced) {
                if (thumbPos <= 1) ds->First();
                else if (thumbPos < ds->RecordCount()) ds->SetRecNo(int(thumbPos));
                else ds->Last();
            } else if (code == scThumbPosition) {
                if (thumbPos == 1) ds->First();
                else if (thumbPos == 2) ds->MoveBy(int(-v));
                else if (thumbPos == 4) ds->MoveBy(int(v));
                else if (thumbPos == 5) ds->Last();
            }
            break;
        case scEndScroll: break;
    }
}

void TgrCustomDBGrid::ScrollBDE(TgrScrollCode code, Integer thumbPos) {
    if (!EndCellEdit()) return;
    // The engine window scrolls itself; the dataset stays on its record.
    Integer v = std::max<Integer>(GetVisibleRecordCount(), 1);
    Integer moved = 0;
    switch (code) {
        case scLineUp: moved = ScrollWindowBack(1); break;
        case scLineDown: moved = ScrollWindowForward(1); break;
        case scPageUp: moved = ScrollWindowBack(v); break;
        case scPageDown: moved = ScrollWindowForward(v); break;
        case scTop:
            if (bdeWindow_->HasRecordCount()) ScrollPageEdge(1);
            break;
        case scBottom:
            if (bdeWindow_->HasRecordCount()) ScrollPageEdge(2);
            break;
        case scThumbTrack:
            if (!ThumbTracking()) break;
            [[fallthrough]];
        case scThumbPosition: {
            TgrVertScrollFigures f = VertScrollFigures();
            if (thumbPos <= f.First) ScrollPageEdge(1);
            else if (thumbPos >= f.Range - VertScrollPage() && (bdeWindow_->GetEof() || bdeWindow_->HasRecordCount()))
                ScrollPageEdge(2);
            else moved = ScrollWindowToPosition(thumbPos);
            break;
        }
        case scEndScroll: break;
    }
    if (moved != 0) ScrollRecords(moved);
}

Integer TgrCustomDBGrid::ScrollWindowBack(Integer count) {
    Integer first = std::max<Integer>(FixedRowTotal(), 1), top = TopLeftCell().Row;
    Integer moved = -window_->ScrollBy(-std::max<Integer>(0, count + first - top));
    UpdateRowCount(false);
    if (moved > 0) SetTopLeftChecked(TopLeftCell().Col, first, false);
    else if (top > first) SetTopLeftChecked(TopLeftCell().Col, std::max(first, top - count), false);
    return -moved;
}

Integer TgrCustomDBGrid::ScrollWindowForward(Integer count) {
    Integer moved = window_->ScrollBy(count);
    UpdateRowCount(false);
    if (moved < count && window_->GetEof())
        SetTopLeftChecked(TopLeftCell().Col,
                          std::clamp<Integer>(count + TopLeftCell().Row - moved, 1, std::max<Integer>(Rows(), 1)),
                          false);
    return moved;
}

Integer TgrCustomDBGrid::ScrollWindowToPosition(Integer pos) {
    // The record the bar's position names, against the one in the top row.
    Integer target = ScrollPosToRecord(pos);
    Integer shown = bdeWindow_->Top() + TopLeftCell().Row - 1;
    Integer distance = target - shown;
    Integer moved = window_->ScrollBy(distance);
    UpdateRowCount(false);
    // What the window could not move, the top row does.
    Integer rest = distance - moved;
    if (rest != 0)
        SetTopLeftChecked(TopLeftCell().Col,
                          std::clamp<Integer>(TopLeftCell().Row + rest, 1, std::max<Integer>(Rows(), 1)), false);
    return moved;
}

void TgrCustomDBGrid::ScrollRecords(Integer count) {
    if (count == 0) return;
    ScrollByRecords(0, count, true);
    CheckTopLeftChanged(true);
}

void TgrCustomDBGrid::ScrollToEdge(Integer edge, bool byUser) {
    Integer first = std::max<Integer>(FixedRowTotal(), 1), top = TopLeftCell().Row;
    bool moved = false;
    if (edge == 2) {
        if (!(byUser && window_->GetEof() && top == std::max<Integer>(Rows() - GetVisibleRowCount() + 1, first))) {
            if (!byUser || !window_->GetEof()) window_->Last();
            UpdateRowCount(false);
            SetTopLeftChecked(TopLeftCell().Col, std::max<Integer>(Rows() - GetVisibleRowCount() + 1, first), false);
            moved = true;
        }
    } else if (!(byUser && window_->GetBof() && top == first)) {
        window_->First();
        UpdateRowCount(false);
        SetTopLeftChecked(TopLeftCell().Col, first, false);
        moved = true;
    }
    if (moved) {
        TgrUpdateLocked lock(*this);
        SyncCurrentRecord();
        Invalidate();
    }
    CheckTopLeftChanged(byUser);
}

void TgrCustomDBGrid::ScrollPageEdge(Integer edge) {
    if (edge == 1 ? window_->GetBof() && TopLeftCell().Row <= std::max<Integer>(FixedRowTotal(), 1)
                  : window_->GetEof() && bdeWindow_->Bottom() == window_->GetRecordCount())
        return;
    ScrollToEdge(edge, true);
}

void TgrCustomDBGrid::ScrollToFirst() {
    HideCellControl(true);
    ScrollToEdge(1, false);
    RefreshCellControl();
}

void TgrCustomDBGrid::ScrollToLast() {
    HideCellControl(true);
    ScrollToEdge(2, false);
    RefreshCellControl();
}

// ------------------------------------------------------------ sizing

void TgrCustomDBGrid::RealignTopRow() {
    UpdateRowCount(true);
    Integer first = std::max<Integer>(FixedRowTotal(), 1), row = TopLeftCell().Row;
    // Rows above the top row move out of the window, one record at a time,
    // while the window can move.
    while (row > first && window_->ScrollBy(1) == 1) --row;
    if (row != TopLeftCell().Row) {
        UpdateRowCount(false);
        SetTopLeftChecked(TopLeftCell().Col, row, false);
    }
}

void TgrCustomDBGrid::ResizeWindowIfNeeded() {
    if (!dataBound_ || !dataActive_) return;
    Integer before = window_->GetRowCount();
    bool grown = window_->SetWindowSize(GetVisibleRecordCount());
    if (!grown && window_->GetRowCount() == before) {
        UpdateRowCount(true);
        return;
    }
    {
        TgrUpdateLocked lock(*this);
        SyncCurrentRecord();
    }
    RealignTopRow();
    if (window_->GetRowCount() > before) Invalidate();
}
