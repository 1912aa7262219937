#include "grid/Grids_ts.h"

#include <algorithm>

namespace {
const char* const kIndexOutOfRange = "Grid index out of range";
const char* const kTooManyDeleted = "Too many rows or columns deleted";
const char* const kTooLarge = "Grid too large for operation";
}  // namespace

// ------------------------------------------------------------ extent tables

void ResizeExtentTable(TExtentTable_ts& table, Integer index, Integer amount, Integer defaultValue) {
    if (amount == 0) return;
    Integer old = table.empty() ? 0 : table[0];
    if (index < 0 || index > old) RaiseGridIndexError();
    Int64 count = Int64(old) + amount;
    if (count < 0) RaiseGridOperationError(kTooManyDeleted);
    if (count > MaxExtentEntries_ts) RaiseGridOperationError(kTooLarge);
    if (count == 0) {
        table.clear();
        table.shrink_to_fit();
        return;
    }
    table.resize(std::size_t(count) + 1);
    for (Int64 line = index; line < count; ++line) table[std::size_t(line) + 1] = defaultValue;
    table[0] = static_cast<Integer>(count);
}

void SetExtentTableLength(TExtentTable_ts& table, Integer n, Integer defaultValue) {
    Integer current = table.empty() ? 0 : table[0];
    ResizeExtentTable(table, current, n - current, defaultValue);
}

void MoveExtentEntry(TExtentTable_ts& table, Integer from, Integer to) {
    if (table.empty()) return;
    Integer n = table[0];
    if (from < 1 || from > n || to < 1 || to > n) RaiseGridIndexError();
    Integer value = table[std::size_t(from)];
    if (from < to) {
        for (Integer i = from; i < to; ++i) table[std::size_t(i)] = table[std::size_t(i + 1)];
    } else {
        for (Integer i = from; i > to; --i) table[std::size_t(i)] = table[std::size_t(i - 1)];
    }
    table[std::size_t(to)] = value;
}

bool ExtentTablesEqual(const TExtentTable_ts& a, const TExtentTable_ts& b) { return a == b; }

TCellRange_ts NormalizedRange(const TCellCoord_ts& a, const TCellCoord_ts& b) {
    return {std::min(a.Col, b.Col), std::min(a.Row, b.Row), std::max(a.Col, b.Col), std::max(a.Row, b.Row)};
}

bool CellInRange(Integer col, Integer row, const TCellRange_ts& range) {
    return col >= range.Left && col <= range.Right && row >= range.Top && row <= range.Bottom;
}

bool PointInClosedRect(Integer x, Integer y, const TRect& rect) {
    return x >= rect.Left && x <= rect.Right && y >= rect.Top && y <= rect.Bottom;
}

void RaiseGridOperationError(const std::string& message) { throw EInvalidGridOperation(message); }
void RaiseGridIndexError() { throw EInvalidGridOperation(kIndexOutOfRange, TgrGridErrorCode::IndexOutOfRange); }

Integer AdjustMovedIndex(Integer index, Integer from, Integer to) {
    if (index == from) return to;
    if (index >= std::min(from, to) && index <= std::max(from, to)) return index + (to < from ? 1 : -1);
    return index;
}

// ----------------------------------------------------------------- grid base

TCustomGrid_ts::TCustomGrid_ts(TComponent* owner) : TCustomControl(owner) {
    SetColor(clWindow);
    SetParentColor(false);
    SetTabStop(true);
    // The cursor follows the pointer over borders and cells.
    SetPointerTracking(true);
    SetBounds(Left(), Top(), colTotal_ * defaultColWidth_, rowTotal_ * defaultRowHeight_);
    ResetPositions();
    timer_ = new TTimer(this);
    timer_->SetEnabled(false);
    timer_->SetInterval(60);
    timer_->OnTimer = [this](TObject*) { TimerTick(); };
}

TCustomGrid_ts::~TCustomGrid_ts() = default;

void TCustomGrid_ts::BoundsChanged() {
    TCustomControl::BoundsChanged();
    SyncScrollRange();
    if (rightToLeft_) Invalidate();
}

// ------------------------------------------------------------------ layout

void TCustomGrid_ts::FixedAxis(TAxisLayout_ts& axis, bool horizontal) const {
    TGridOptions_ts lines = horizontal ? (gxFixedVertLines | gxVertLines) : (gxFixedHorzLines | gxHorzLines);
    axis.LineWidth = (gridOptions_ & lines) ? gridLinePixels_ : 0;
    axis.FixedCount = horizontal ? fixedColTotal_ : fixedRowTotal_;
    axis.FirstScrollCell = horizontal ? topLeft_.Col : topLeft_.Row;
    axis.CellCount = horizontal ? colTotal_ : rowTotal_;
    if (horizontal) axis.ExtentOf = [this](Integer i) { return GetColWidthAt(i); };
    else axis.ExtentOf = [this](Integer i) { return GetRowHeightAt(i); };
    axis.FixedEnd = 0;
    for (Integer i = 0; i < axis.FixedCount; ++i) axis.FixedEnd += axis.ExtentOf(i) + axis.LineWidth;
}

void TCustomGrid_ts::FullAxis(TAxisLayout_ts& axis, Integer extent) {
    axis.ClientExtent = extent;
    axis.GridEnd = axis.FixedEnd;
    axis.FullCellsEnd = axis.FixedEnd;
    axis.LastFullCell = axis.FirstScrollCell;
    for (Integer i = axis.FirstScrollCell; i < axis.CellCount; ++i) {
        axis.GridEnd += axis.ExtentOf(i) + axis.LineWidth;
        if (axis.GridEnd > axis.ClientExtent + axis.LineWidth) {
            axis.GridEnd = axis.ClientExtent;
            break;
        }
        axis.LastFullCell = i;
        axis.FullCellsEnd = axis.GridEnd;
    }
}

void TCustomGrid_ts::ComputeFixedLayout(TGridLayout_ts& layout) const {
    FixedAxis(layout.Horz, true);
    FixedAxis(layout.Vert, false);
}

void TCustomGrid_ts::ComputeLayoutFor(TGridLayout_ts& layout, Integer width, Integer height) const {
    ComputeFixedLayout(layout);
    FullAxis(layout.Horz, width);
    FullAxis(layout.Vert, height);
}

void TCustomGrid_ts::ComputeLayout(TGridLayout_ts& layout) const {
    ComputeLayoutFor(layout, ClientWidth(), ClientHeight());
}

Integer TCustomGrid_ts::AxisCellAt(const TAxisLayout_ts& axis, Integer n) {
    Integer first = 0, last = axis.FixedCount - 1, pixel = 0;
    if (n >= axis.FixedEnd) {
        first = axis.FirstScrollCell;
        last = axis.CellCount - 1;
        pixel = axis.FixedEnd;
    }
    if (n < 0) return -1;
    for (Integer i = first; i <= last; ++i) {
        pixel += axis.ExtentOf(i) + axis.LineWidth;
        if (n < pixel) return i;
    }
    return -1;
}

TCellCoord_ts TCustomGrid_ts::CellAtPoint(Integer x, Integer y, const TGridLayout_ts& layout) const {
    // Mirrored, the fixed columns start at the right edge.
    if (rightToLeft_) x = layout.Horz.ClientExtent - 1 - x;
    return {AxisCellAt(layout.Horz, x), AxisCellAt(layout.Vert, y)};
}

TCellCoord_ts TCustomGrid_ts::MouseCoord(Integer x, Integer y) const {
    TGridLayout_ts layout;
    ComputeLayout(layout);
    TCellCoord_ts c = CellAtPoint(x, y, layout);
    if (c.Col == -1) c.Row = -1;
    if (c.Row == -1) c.Col = -1;
    return c;
}

Integer TCustomGrid_ts::AxisLinePos(const TAxisLayout_ts& axis, Integer cell) {
    Integer start = 0, pixel = 0;
    if (cell >= axis.FixedCount) {
        if (cell < axis.FirstScrollCell) return 0;
        start = axis.FirstScrollCell;
        pixel = axis.FixedEnd;
    }
    for (Integer i = start; i < cell; ++i) {
        pixel += axis.ExtentOf(i) + axis.LineWidth;
        if (pixel > axis.ClientExtent) return 0;
    }
    return pixel;
}

bool TCustomGrid_ts::AxisSpan(const TAxisLayout_ts& axis, Integer a, Integer b, bool withLine, Integer& start,
                              Integer& end) {
    if (a >= axis.FixedCount && a < axis.FirstScrollCell) {
        if (b < axis.FirstScrollCell) return false;
        a = axis.FirstScrollCell;
    }
    if (b > axis.LastFullCell) {
        b = axis.LastFullCell < axis.CellCount - 1 ? axis.LastFullCell + 1 : axis.LastFullCell;
        if (AxisLinePos(axis, b) == 0 && b > 0) --b;
    }
    start = AxisLinePos(axis, a);
    end = AxisLinePos(axis, b);
    end = end != 0 ? axis.ExtentOf(b) + end : axis.ExtentOf(a) + start;
    end = std::min(end, axis.ClientExtent);
    if (withLine) end += axis.LineWidth;
    return true;
}

TRect TCustomGrid_ts::RangePixels(const TCellRange_ts& range, bool withLine) const {
    if (range.Right < range.Left || range.Bottom < range.Top) return TRect();
    TGridLayout_ts layout;
    ComputeLayout(layout);
    if (range.Left > layout.Horz.LastFullCell + 1 || range.Top > layout.Vert.LastFullCell + 1) return TRect();
    TRect r;
    if (!AxisSpan(layout.Horz, range.Left, range.Right, withLine, r.Left, r.Right)) return TRect();
    if (!AxisSpan(layout.Vert, range.Top, range.Bottom, withLine, r.Top, r.Bottom)) return TRect();
    return MirroredX(r);
}

TRect TCustomGrid_ts::MirroredX(const TRect& r) const {
    if (!rightToLeft_) return r;
    Integer w = ClientWidth();
    return TRect(w - r.Right, r.Top, w - r.Left, r.Bottom);
}

void TCustomGrid_ts::SetRightToLeft(bool value) {
    if (value == rightToLeft_) return;
    rightToLeft_ = value;
    if (Widget()) Invalidate();
}

TRect TCustomGrid_ts::RangeRect(Integer left, Integer top, Integer right, Integer bottom) const {
    return RangePixels({left, top, right, bottom}, false);
}

TRect TCustomGrid_ts::CellPixels(Integer col, Integer row) const { return RangeRect(col, row, col, row); }

Integer TCustomGrid_ts::AxisLastFirstCell(const TAxisLayout_ts& axis, Integer cell) {
    if (cell < axis.FixedCount) return cell;
    Integer room = axis.ClientExtent + axis.LineWidth - axis.FixedEnd;
    Integer result = cell;
    bool taken = false;
    for (Integer i = cell; i >= axis.FixedCount; --i) {
        Integer e = axis.ExtentOf(i);
        if (e <= 0) continue;  // hidden lines are passed over
        room -= e + axis.LineWidth;
        if (room < 0) {
            if (!taken) result = i;
            break;
        }
        result = i;
        taken = true;
    }
    return result;
}

TCellCoord_ts TCustomGrid_ts::LastTopLeft(const TCellCoord_ts& cell, const TGridLayout_ts& layout) const {
    return {AxisLastFirstCell(layout.Horz, cell.Col), AxisLastFirstCell(layout.Vert, cell.Row)};
}

Integer TCustomGrid_ts::VisibleScrollRows() const {
    TGridLayout_ts layout;
    ComputeLayout(layout);
    return layout.Vert.LastFullCell - topLeft_.Row + 1;
}

void TCustomGrid_ts::InvalidateArea(const TRect& r) {
    if (!r.IsEmpty()) InvalidateRect(r);
}

void TCustomGrid_ts::RepaintCell(Integer col, Integer row) { RepaintRange({col, row, col, row}); }

void TCustomGrid_ts::RepaintRange(const TCellRange_ts& range) {
    if (Widget()) InvalidateArea(RangePixels(range, true));
}

void TCustomGrid_ts::RepaintAll() { Invalidate(); }

// ------------------------------------------------------------------- sizes

Integer TCustomGrid_ts::GetColWidthAt(Integer index) const {
    if (!colWidths_.empty() && index >= 0 && index < colTotal_ && index < colWidths_[0])
        return colWidths_[std::size_t(index) + 1];
    return defaultColWidth_;
}

Integer TCustomGrid_ts::GetRowHeightAt(Integer index) const {
    if (!rowHeights_.empty() && index >= 0 && index < rowTotal_ && index < rowHeights_[0])
        return rowHeights_[std::size_t(index) + 1];
    return defaultRowHeight_;
}

void TCustomGrid_ts::SetColWidthAt(Integer index, Integer width) {
    // A negative index would overwrite the table's own count.
    if (index < 0 || index >= colTotal_) RaiseGridIndexError();
    if (colWidths_.empty()) SetExtentTableLength(colWidths_, colTotal_, defaultColWidth_);
    if (colWidths_[std::size_t(index) + 1] == width) return;
    Invalidate();
    colWidths_[std::size_t(index) + 1] = width;
    NotifyColWidthsChanged();
}

void TCustomGrid_ts::SetRowHeightAt(Integer index, Integer height) {
    if (index < 0 || index >= rowTotal_) RaiseGridIndexError();
    if (rowHeights_.empty()) SetExtentTableLength(rowHeights_, rowTotal_, defaultRowHeight_);
    if (rowHeights_[std::size_t(index) + 1] == height) return;
    Invalidate();
    rowHeights_[std::size_t(index) + 1] = height;
    NotifyRowHeightsChanged();
}

void TCustomGrid_ts::SetDefaultColWidth(Integer value) {
    colWidths_.clear();
    defaultColWidth_ = value;
    NotifyColWidthsChanged();
    RepaintAll();
}

void TCustomGrid_ts::SetDefaultRowHeight(Integer value) {
    rowHeights_.clear();
    defaultRowHeight_ = value;
    NotifyRowHeightsChanged();
    RepaintAll();
}

void TCustomGrid_ts::NotifyColWidthsChanged() {
    SyncScrollRange();
    PlaceEditor();
}

void TCustomGrid_ts::NotifyRowHeightsChanged() {
    SyncScrollRange();
    PlaceEditor();
}

// ------------------------------------------------------------------ counts

void TCustomGrid_ts::SetColTotal(Integer n) {
    if (n == colTotal_) return;
    if (n <= 0) n = 1;
    if (fixedColTotal_ >= n) SetFixedColTotal(n - 1);
    ChangeCounts(n, rowTotal_);
    if (gridOptions_ & gxRowSelect) {
        anchor_.Col = colTotal_ - 1;
        Invalidate();
    }
}

void TCustomGrid_ts::SetRowTotal(Integer n) {
    if (n == rowTotal_) return;
    if (n <= 0) n = 1;
    if (fixedRowTotal_ >= n) SetFixedRowTotal(n - 1);
    ChangeCounts(colTotal_, n);
}

void TCustomGrid_ts::ChangeCounts(Integer cols, Integer rows) {
    cols = std::max(cols, 1);
    rows = std::max(rows, 1);
    TGridLayout_ts oldLayout;
    bool haveWindow = Widget() != nullptr;
    if (haveWindow) ComputeLayout(oldLayout);
    Integer oldCols = colTotal_, oldRows = rowTotal_;
    Integer oldFixedCols = fixedColTotal_, oldFixedRows = fixedRowTotal_;
    colTotal_ = cols;
    rowTotal_ = rows;
    if (fixedColTotal_ >= colTotal_) fixedColTotal_ = colTotal_ - 1;
    if (fixedRowTotal_ >= rowTotal_) fixedRowTotal_ = rowTotal_ - 1;
    try {
        ApplyCountChange(haveWindow ? &oldLayout : nullptr);
        SyncScrollRange();
        NotifyCountsChanged(oldCols, oldRows);
    } catch (...) {
        colTotal_ = oldCols;
        rowTotal_ = oldRows;
        fixedColTotal_ = oldFixedCols;
        fixedRowTotal_ = oldFixedRows;
        try {
            ApplyCountChange(nullptr);
        } catch (...) {
        }
        Invalidate();
        throw;
    }
}

void TCustomGrid_ts::ApplyCountChange(const TGridLayout_ts* oldLayout) {
    if (!colWidths_.empty()) SetExtentTableLength(colWidths_, colTotal_, defaultColWidth_);
    if (!rowHeights_.empty()) SetExtentTableLength(rowHeights_, rowTotal_, defaultRowHeight_);
    TCellCoord_ts cell{std::min(current_.Col, colTotal_ - 1), std::min(current_.Row, rowTotal_ - 1)};
    if (!(cell == current_)) MoveCurrentCell(cell.Col, cell.Row, true, true);
    TCellCoord_ts anchor{std::min(anchor_.Col, colTotal_ - 1), std::min(anchor_.Row, rowTotal_ - 1)};
    if (!(anchor == anchor_)) ExtendAnchor(anchor);
    if (!oldLayout || topLeft_.Col != oldLayout->Horz.FirstScrollCell ||
        topLeft_.Row != oldLayout->Vert.FirstScrollCell) {
        Invalidate();
        return;
    }
    // Only what lies after the last cell both layouts show whole changes.
    TGridLayout_ts layout;
    ComputeLayout(layout);
    Integer col = std::min(oldLayout->Horz.LastFullCell, layout.Horz.LastFullCell);
    Integer row = std::min(oldLayout->Vert.LastFullCell, layout.Vert.LastFullCell);
    InvalidateArea(TRect(AxisLinePos(layout.Horz, col), 0, Width(), Height()));
    InvalidateArea(TRect(0, AxisLinePos(layout.Vert, row), Width(), Height()));
}

void TCustomGrid_ts::SetFixedColTotal(Integer n) {
    if (n == fixedColTotal_) return;
    if (n < 0) RaiseGridIndexError();
    if (n >= colTotal_) RaiseGridOperationError("Fixed column count must be less than column count");
    fixedColTotal_ = n;
    ResetPositions();
    RepaintAll();
}

void TCustomGrid_ts::SetFixedRowTotal(Integer n) {
    if (n == fixedRowTotal_) return;
    if (n < 0) RaiseGridIndexError();
    if (n >= rowTotal_) RaiseGridOperationError("Fixed row count must be less than row count");
    fixedRowTotal_ = n;
    ResetPositions();
    RepaintAll();
}

void TCustomGrid_ts::ShiftLines(Integer index, Integer amount, bool rows) {
    Integer& count = rows ? rowTotal_ : colTotal_;
    if (amount == 0) return;
    if (index < 0) RaiseGridIndexError();
    if (index > count + amount || count + amount < 1) RaiseGridOperationError(kTooManyDeleted);
    Integer oldCols = colTotal_, oldRows = rowTotal_;
    TExtentTable_ts& table = rows ? rowHeights_ : colWidths_;
    if (!table.empty()) ResizeExtentTable(table, std::min(index, table[0]), amount, rows ? defaultRowHeight_ : defaultColWidth_);
    count += amount;
    Integer& fixed = rows ? fixedRowTotal_ : fixedColTotal_;
    if (fixed >= count) fixed = count - 1;

    auto follow = [&](Integer i) {
        if (i < index) return i;
        if (amount > 0) return i + amount;
        return i < index - amount ? index : i + amount;
    };
    TCellCoord_ts cell = current_;
    if (rows) cell.Row = follow(cell.Row);
    else cell.Col = follow(cell.Col);
    cell.Col = std::clamp(cell.Col, 0, colTotal_ - 1);
    cell.Row = std::clamp(cell.Row, 0, rowTotal_ - 1);
    anchor_.Col = std::min(anchor_.Col, colTotal_ - 1);
    anchor_.Row = std::min(anchor_.Row, rowTotal_ - 1);
    Invalidate();
    SyncScrollRange();
    NotifyCountsChanged(oldCols, oldRows);
    if (!(cell == current_)) MoveCurrentCell(cell.Col, cell.Row, true, true);
}

void TCustomGrid_ts::MoveColumnTo(Integer from, Integer to) {
    if (from == to) return;
    if (from < 0 || from >= colTotal_ || to < 0 || to >= colTotal_) RaiseGridIndexError();
    bool haveTable = !colWidths_.empty();
    if (haveTable) MoveExtentEntry(colWidths_, from + 1, to + 1);
    current_.Col = AdjustMovedIndex(current_.Col, from, to);
    anchor_.Col = AdjustMovedIndex(anchor_.Col, from, to);
    editorWindowCol_ = AdjustMovedIndex(editorWindowCol_, from, to);
    RepaintRange({std::min(from, to), 0, std::max(from, to), VisibleScrollRows()});
    NotifyColumnMoved(from, to);
    if (haveTable) NotifyColWidthsChanged();
    PlaceEditor();
}

void TCustomGrid_ts::MoveRowTo(Integer from, Integer to) {
    if (from == to) return;
    if (from < 0 || from >= rowTotal_ || to < 0 || to >= rowTotal_) RaiseGridIndexError();
    bool haveTable = !rowHeights_.empty();
    if (haveTable) MoveExtentEntry(rowHeights_, from + 1, to + 1);
    current_.Row = AdjustMovedIndex(current_.Row, from, to);
    anchor_.Row = AdjustMovedIndex(anchor_.Row, from, to);
    editorWindowRow_ = AdjustMovedIndex(editorWindowRow_, from, to);
    // The moved rows show other contents now.
    RepaintRange({0, std::min(from, to), colTotal_ - 1, std::max(from, to)});
    NotifyRowMoved(from, to);
    if (haveTable) NotifyRowHeightsChanged();
    PlaceEditor();
}

void TCustomGrid_ts::RemoveColumn(Integer index) {
    MoveColumnTo(index, colTotal_ - 1);
    SetColTotal(colTotal_ - 1);
}

void TCustomGrid_ts::RemoveRow(Integer index) {
    MoveRowTo(index, rowTotal_ - 1);
    SetRowTotal(rowTotal_ - 1);
}

// ---------------------------------------------------------- other setters

void TCustomGrid_ts::SetGridLinePixels(Integer n) {
    if (n == gridLinePixels_) return;
    gridLinePixels_ = n;
    Invalidate();
}

void TCustomGrid_ts::SetGridOptions(TGridOptions_ts options) {
    if (options == gridOptions_) return;
    if (options & gxRowSelect) options &= TGridOptions_ts(~gxAlwaysShowEditor);
    gridOptions_ = options;
    if (!editingActive_) {
        if (options & gxAlwaysShowEditor) OpenEditor();
        else CloseEditor();
    }
    if (options & gxRowSelect) MoveCurrentCell(current_.Col, current_.Row, false, true);
    RepaintAll();
}

void TCustomGrid_ts::SetScrollBarKind(TScrollStyle kind) {
    if (kind == scrollBarKind_) return;
    scrollBarKind_ = kind;
    RepaintAll();
}

void TCustomGrid_ts::SetBorderStyle(TGridBorderStyle_ts style) {
    if (style == borderStyle_) return;
    borderStyle_ = style;
    RepaintAll();
}

void TCustomGrid_ts::SetFixedAreaColor(TColor color) {
    if (color == fixedAreaColor_) return;
    fixedAreaColor_ = color;
    RepaintAll();
}

// ------------------------------------------------- current cell, top-left

// --------------------------------------------------------------- streaming

bool TCustomGrid_ts::ColWidthsStored(const TCustomGrid_ts* ancestor) const {
    if (!storeExtents_) return false;
    return ancestor ? !ExtentTablesEqual(ancestor->colWidths_, colWidths_) : !colWidths_.empty();
}

bool TCustomGrid_ts::RowHeightsStored(const TCustomGrid_ts* ancestor) const {
    if (!storeExtents_) return false;
    return ancestor ? !ExtentTablesEqual(ancestor->rowHeights_, rowHeights_) : !rowHeights_.empty();
}

void TCustomGrid_ts::WriteExtents(TWriter& writer, Integer count, bool columns) const {
    writer.WriteListBegin();
    for (Integer i = 0; i < count; ++i) writer.WriteInteger(columns ? GetColWidthAt(i) : GetRowHeightAt(i));
    writer.WriteListEnd();
}

void TCustomGrid_ts::ReadExtents(TReader& reader, bool columns) {
    reader.ReadListBegin();
    Integer count = columns ? colTotal_ : rowTotal_;
    // Values beyond the line count are read and dropped.
    for (Integer i = 0; !reader.EndOfList(); ++i) {
        Integer value = reader.ReadInteger();
        if (i >= count) continue;
        if (columns) SetColWidthAt(i, value);
        else SetRowHeightAt(i, value);
    }
    reader.ReadListEnd();
}

void TCustomGrid_ts::WriteColWidths(TWriter& writer) const { WriteExtents(writer, colTotal_, true); }
void TCustomGrid_ts::ReadColWidths(TReader& reader) { ReadExtents(reader, true); }
void TCustomGrid_ts::WriteRowHeights(TWriter& writer) const { WriteExtents(writer, rowTotal_, false); }
void TCustomGrid_ts::ReadRowHeights(TReader& reader) { ReadExtents(reader, false); }
