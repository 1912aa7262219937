#include "grid/TSGrid.h"

#include <algorithm>
#include <functional>
#include <utility>

#include "grid/GRGLibValues.h"
#include "grid/GridDropDown.h"
#include "grid/GridLinks.h"
#include "platform/core/Format.h"

namespace {

bool IsIntegerVariant(const Variant& v) {
    switch (v.Type()) {
        case varSmallint:
        case varInteger:
        case varByte:
        case varInt64: return true;
        default: return false;
    }
}

// A map of display positions to data numbers after a count change: entries
// kept, new entries map to themselves.
void ResizeIdentityMap(std::vector<Integer>& map, Integer count) {
    Integer had = Integer(map.size());
    map.resize(std::size_t(std::max<Integer>(count, 0)));
    for (Integer i = had; i < count; ++i) map[std::size_t(i)] = i;
}

}  // namespace

// ================================================================ lifetime

TgrBaseGrid::TgrBaseGrid(TComponent* owner) : TCustomGrid_ts(owner) {
    designFlag_ = false;
    cellCacheInvalid_ = true;
    // Display maps, lists and the cell property model for the base's counts.
    ResizeIdentityMap(colMap_, ColTotal());
    ResizeIdentityMap(rowMap_, RowTotal());
    gridCols_ = CreateGridCols();
    gridRows_ = CreateGridRows();
    colCellSets_.SetCount(ColTotal());
    rowCellSets_.SetCount(RowTotal());
    cellProps_ = std::make_unique<TgrCellPropSet>(this);
    maskLink_ = std::make_unique<TgrGridMaskLink>(this);
    imageLink_ = std::make_unique<TgrGridImageLink>(this);
    imageNames_.SetSorted(true);
    dateTimeLink_ = std::make_unique<TgrGridDateTimeLink>(this);
    visibleCols_ = std::make_unique<TgrVisibleItems>();
    visibleRows_ = std::make_unique<TgrVisibleItems>();
    InitDefaults();
    colSelection_->SetSize(ColTotal());
    rowSelection_->SetSize(RowTotal());
    currentCell_ = CreateCurrentCell();
    CreateCellControls();
    visibleCols_->SetVisibleCount(Cols(), 1);
    visibleRows_->SetVisibleCount(Rows(), 1);
    skipReadOnly_ = true;
    rowChangedIndicator_ = riOn;
    alwaysShowEditor_ = true;
    alwaysShowFocus_ = false;
    controlHiddenByGrid_ = true;
    editModeFlag_ = alwaysShowEditor_;
    editSelectMode_ = 2;
    activeControl_ = editControl_.get();
    activeControl_->SetGrid(this);
    rowChanged_.assign(std::size_t(RowTotal()), false);
    // The grid manages ScrollBars itself; the base shows none.
    SetScrollBarKind(ssNone);
    scrollBars_ = ssBoth;
}

TgrBaseGrid::~TgrBaseGrid() {
    Destroying();
    UnregisterDropDownGrid(this);
    KillGridTimer(SpinTimerId);
    KillGridTimer(HotButtonTimerId);
    SetDateTimeDef(nullptr);
    FreeComboObject(std::exchange(workCombo_, nullptr));
    activeControl_ = nullptr;
    editControl_.reset();
    checkControl_.reset();
    defaultControl1_.reset();
    defaultControl2_.reset();
    currentCell_.reset();
    storage_.reset();
    ReleaseMemoryCanvas();
    // Cell records ask the grid to unindex them while they go.
    cellProps_.reset();
    gridCols_.reset();
    gridRows_.reset();
}

void TgrBaseGrid::InitDefaults() {
    initialising_ = true;
    SetGridOptions(0);
    drawOverlap_ = doDrawColOnTop;
    gridMode_ = gmEdit;
    colSelectMode_ = csMulti;
    rowSelectMode_ = rsMulti;
    cellSelectMode_ = cmRange;
    colMoving_ = rowMoving_ = true;
    resizeRows_ = rrAll;
    resizeCols_ = rcSingle;
    resizeColsInGrid_ = resizeRowsInGrid_ = false;
    gridLines_ = glBoth;
    SetDefaultRowHeight(14);
    SetDefaultColWidth(64);
    savedDefaultRowHeight_ = 14;
    savedDefaultColWidth_ = 64;
    curDisplayCol_ = curDisplayRow_ = curDataCol_ = curDataRow_ = 1;
    ChangeCounts(GetDefaultCols() + 1, GetDefaultRows() + 1);
    SetFixedColTotal(1);
    SetFixedRowTotal(1);
    rowBarWidth_ = 14;
    headingHeight_ = 15;
    SetColWidthAt(0, rowBarWidth_);
    SetRowHeightAt(0, headingHeight_);
    RecalcFixedAreaWidth();
    RecalcFixedAreaHeight();
    fixedColCount_ = 0;
    selectFixed_ = true;
    SetGridLinePixels(0);
    editColor_ = editFontColor_ = grColorNotSet;
    lineColor_ = TColor(0xC0C0C0);
    headingColor_ = TColor(0x8000000F);
    selectedAreaCursor_ = 0;
    fixedLineColor_ = TColor(0);
    horzLineWidth_ = vertLineWidth_ = 1;
    scrollSpeed_ = spVariable;
    thumbTracking_ = false;
    is3D_ = false;
    heading3D_ = true;
    inactiveButtonState_ = ibsBackGround;
    buttonEdgeWidth_ = 2;
    defaultButtonWidth_ = 11;
    defaultButtonHeight_ = 9;
    spinButtonWidth_ = 11;
    spinButtonHeight_ = 9;
    spinStartDelay_ = 500;
    spinRepeatDelay_ = 80;
    spinStart_ = true;
    headingButton_ = hbNone;
    headingHorzAlignment_ = horzAlignment_ = htaDefault;
    headingVertAlignment_ = vertAlignment_ = rowBarAlignment_ = vtaDefault;
    headingWordWrap_ = wwDefault;
    headingFont_ = std::make_unique<TFont>();
    headingFont_->Assign(*Font());
    headingFont_->OnChange = [this](TGraphicsObject*) { HeadingFontChanged(); };
    headingParentFont_ = true;
    initialising_ = false;
}

std::unique_ptr<TgrGridCols> TgrBaseGrid::CreateGridCols() { return std::make_unique<TgrGridCols>(ColTotal(), this); }

std::unique_ptr<TgrGridRows> TgrBaseGrid::CreateGridRows() { return std::make_unique<TgrGridRows>(RowTotal(), this); }

std::unique_ptr<TgrCurrentCell> TgrBaseGrid::CreateCurrentCell() { return std::make_unique<TgrCurrentCell>(this); }

void TgrBaseGrid::RecreateGridCollections() {
    gridCols_.reset();
    gridRows_.reset();
    gridCols_ = CreateGridCols();
    gridRows_ = CreateGridRows();
    currentCell_ = CreateCurrentCell();
    for (Integer p = 1; p < ColTotal(); ++p)
        if (TgrCol* c = gridCols_->ColAt(colMap_[std::size_t(p)])) c->RenumberDisplayCol(p);
    bool rowsMoved = false;
    for (Integer p = 1; p < RowTotal(); ++p) rowsMoved = rowsMoved || rowMap_[std::size_t(p)] != p;
    if (rowsMoved) {
        gridRows_->EnsureDisplayArray();
        for (Integer p = 1; p < RowTotal(); ++p) gridRows_->SetDisplayRowOf(rowMap_[std::size_t(p)], p);
    }
}

void TgrBaseGrid::CreateCellControls() {
    using namespace std::placeholders;
    // The grid's handlers of the control's events, in the order they are
    // handed over; OnEnter, OnExit and OnAfterKeyUp stay unset.
    auto wire = [this](TgrCustomGridControl* c) {
        c->SetCursor(Cursor());
        c->SetOnAfterKeyDown(std::bind(&TgrBaseGrid::HandleControlAfterKeyDown, this, _1, _2, _3));
        c->SetOnAfterKeyPress(std::bind(&TgrBaseGrid::HandleControlAfterKeyPress, this, _1, _2));
        c->SetOnCaretChange(std::bind(&TgrBaseGrid::HandleControlChange, this, _1, _2));
        c->SetOnTextChange(std::bind(&TgrBaseGrid::HandleControlEdited, this, _1, _2, _3, _4));
        c->SetOnCanEdit(std::bind(&TgrBaseGrid::HandleControlCanEdit, this, _1, _2));
        c->SetOnCanChange(std::bind(&TgrBaseGrid::HandleControlCanChange, this, _1, _2, _3));
        c->SetOnUndo(std::bind(&TgrBaseGrid::HandleControlUndo, this, _1, _2, _3));
        c->SetOnKeyDown(std::bind(&TgrBaseGrid::HandleControlKeyDown, this, _1, _2, _3));
        c->SetOnKeyUp(std::bind(&TgrBaseGrid::HandleControlKeyUp, this, _1, _2, _3));
        c->SetOnKeyPress(std::bind(&TgrBaseGrid::HandleControlKeyPress, this, _1, _2));
        c->SetOnClick(std::bind(&TgrBaseGrid::HandleControlClick, this, _1));
        c->SetOnDblClick(std::bind(&TgrBaseGrid::HandleControlDblClick, this, _1));
        c->SetOnMouseDown(std::bind(&TgrBaseGrid::HandleControlMouseDown, this, _1, _2, _3, _4, _5));
        c->SetOnMouseUp(std::bind(&TgrBaseGrid::HandleControlMouseUp, this, _1, _2, _3, _4, _5));
        c->SetOnMouseMove(std::bind(&TgrBaseGrid::HandleControlMouseMove, this, _1, _2, _3, _4));
        c->SetOnKillFocus(std::bind(&TgrBaseGrid::HandleControlKillFocus, this, _1));
        c->SetOnWantKey(std::bind(&TgrBaseGrid::HandleControlWantKey, this, _1, _2, _3));
        c->SetOnMaskError(std::bind(&TgrBaseGrid::HandleControlMaskError, this, _1, _2, _3));
        c->SetOnTextResize(std::bind(&TgrBaseGrid::HandleControlTextResize, this, _1, _2));
    };
    editControl_ = std::make_unique<TgrEditGridControl>(this);
    editControl_->SetLeft(-editControl_->Width() - 1);
    editControl_->SetHorzAlignment(htaDefault);
    wire(editControl_.get());
    checkControl_ = std::make_unique<TgrCheckGridControl>(this);
    checkControl_->SetLeft(-checkControl_->Width() - 1);
    checkControl_->SetCheckBoxStyle(stCheck);
    checkControl_->SetAllowGrayed(false);
    checkControl_->SetCheckBoxValues(checkBoxValues_);
    wire(checkControl_.get());
    defaultControl1_ = std::make_unique<TgrDefaultGridControl>(this);
    defaultControl2_ = std::make_unique<TgrDefaultGridControl>(this);
}

void TgrBaseGrid::AttachCellControls() {
    if (!Widget()) return;
    editControl_->SetParent(this);
    checkControl_->SetParent(this);
}

void TgrBaseGrid::HeadingFontChanged() {
    if (initialising_) return;
    for (Integer i = 0; i < fontCols_.Count(); ++i)
        if (TgrCol* c = gridCols_->ColAt(fontCols_[i])) c->FollowGridHeadingFont();
    headingParentFont_ = false;
    if (headingOn_ && !painting_) InvalidateRow(0);
}

// ================================================================ errors

void TgrBaseGrid::RaiseGridError(const std::string& message) {
    if (comboGrid_ && ownerGrid_) throw EInvalidGridOperation(ownerGrid_->Name() + ".Combo: " + message);
    throw EInvalidGridOperation(Name() + ": " + message);
}

void TgrBaseGrid::RaiseMaskError(const std::string& message) {
    if (comboGrid_ && ownerGrid_) throw EtsMaskError(ownerGrid_->Name() + ".Combo: " + message);
    throw EtsMaskError(Name() + ": " + message);
}

bool TgrBaseGrid::CheckColRowIndex(Integer kind, Integer index, Integer high, Integer low) {
    if (index >= low && index <= high) return true;
    RaiseGridError((kind == 0 ? "Row index " : "Column index ") + std::to_string(index) + " out of range");
}

bool TgrBaseGrid::CheckColRowIndex(Integer index, Integer count, TgrIndexKind kind) {
    return CheckColRowIndex(kind == ikRow ? 0 : 1, index, count - 1, 0);
}

bool TgrBaseGrid::CheckNotInCellLoaded() {
    if (inCellLoaded_) RaiseGridError("Cannot get Cell property value while in OnCellLoaded event");
    return true;
}

bool TgrBaseGrid::CheckCellValueType(TgrControlType controlType, const Variant& value) {
    if (IsDesigning()) return true;
    switch (controlType) {
        case ctText:
            if (!value.IsString()) RaiseGridError("Invalid cell value. A text column requires a value of type string");
            break;
        case ctCheck:
            if (!IsIntegerVariant(value) && !value.IsString() && !value.IsNull())
                RaiseGridError(
                    "Invalid cell value. A checkbox column requires a value of type TCheckBoxState or string");
            break;
        case ctPicture:
            if (!IsIntegerVariant(value) && !value.IsString())
                RaiseGridError("Invalid cell value. A picture column requires a value of type TBitmap or string");
            break;
        default: break;
    }
    return true;
}

// ================================================================ state

bool TgrBaseGrid::IsDesigning() const {
    if (comboGrid_ && ownerGrid_) return ownerGrid_->IsDesigning();
    return ComponentState().Contains(csDesigning) || designFlag_;
}

bool TgrBaseGrid::IsReading() const {
    if (readingLayout_ || ComponentState().Contains(csReading)) return true;
    return comboGrid_ && ownerGrid_ && ownerGrid_->IsReading();
}

bool TgrBaseGrid::IsWriting() const {
    if (writingLayout_ || ComponentState().Contains(csWriting)) return true;
    return comboGrid_ && ownerGrid_ && ownerGrid_->IsWriting();
}

bool TgrBaseGrid::IsEditMode() {
    return (gridMode_ == gmEdit || gridMode_ == gmEditInsert) && gridStatus_ == gsNormal;
}

bool TgrBaseGrid::IsListBoxSelect() { return gridMode_ == gmListBox && rowSelectMode_ == rsSingle; }

bool TgrBaseGrid::SkipsReadOnly() { return !IsDesigning() && skipReadOnly_ && gridMode_ != gmListBox; }

// ================================================================ data model

Integer TgrBaseGrid::DisplayColOfData(Integer dataCol) {
    if (dataCol <= 0) return dataCol;
    for (std::size_t i = 1; i < colMap_.size(); ++i)
        if (colMap_[i] == dataCol) return Integer(i);
    return dataCol;
}

Integer TgrBaseGrid::DisplayRowOfData(Integer dataRow) {
    if (dataRow <= 0) return dataRow;
    if (gridRows_ && gridRows_->HasDisplayArray()) return gridRows_->DisplayRowOf(dataRow);
    for (std::size_t i = 1; i < rowMap_.size(); ++i)
        if (rowMap_[i] == dataRow) return Integer(i);
    return dataRow;
}

Integer TgrBaseGrid::DataColOfDisplay(Integer displayCol) {
    if (displayCol <= 0 || displayCol >= Integer(colMap_.size())) return displayCol;
    return colMap_[std::size_t(displayCol)];
}

Integer TgrBaseGrid::DataRowOfDisplay(Integer displayRow) {
    if (displayRow <= 0 || displayRow >= Integer(rowMap_.size())) return displayRow;
    return rowMap_[std::size_t(displayRow)];
}

Integer TgrBaseGrid::GetDataRowOfDisplay(Integer displayRow) {
    return displayRow >= 1 && displayRow < RowTotal() ? DataRowOfDisplay(displayRow) : -1;
}

void TgrBaseGrid::SetDataColOfDisplay(Integer displayCol, Integer dataCol) {
    if (displayCol < 1 || displayCol >= ColTotal() || displayCol >= Integer(colMap_.size())) return;
    colMap_[std::size_t(displayCol)] = dataCol;
    if (TgrCol* c = gridCols_->ColAt(dataCol)) c->RenumberDisplayCol(displayCol);
}

void TgrBaseGrid::SetDataRowOfDisplay(Integer displayRow, Integer dataRow) {
    if (displayRow < 1 || displayRow >= RowTotal() || displayRow >= Integer(rowMap_.size())) return;
    rowMap_[std::size_t(displayRow)] = dataRow;
    gridRows_->EnsureDisplayArray();
    gridRows_->SetDisplayRowOf(dataRow, displayRow);
}

void TgrBaseGrid::NotifyCountsChanged(Integer oldColTotal, Integer oldRowTotal) {
    SizeChanged(oldColTotal, oldRowTotal);
}

// A moved column (row) carries its size along: only the fixed extent may
// change, and no resize is reported.
void TgrBaseGrid::NotifyColWidthsChanged() {
    TCustomGrid_ts::NotifyColWidthsChanged();
    if (movingColWidths_) RecalcFixedAreaWidth();
    else ColWidthsUpdated();
}

void TgrBaseGrid::NotifyRowHeightsChanged() {
    TCustomGrid_ts::NotifyRowHeightsChanged();
    if (movingRowHeights_) RecalcFixedAreaHeight();
    else RowHeightsUpdated();
}

void TgrBaseGrid::SizeChanged(Integer oldColCount, Integer oldRowCount) {
    if (!gridCols_ || !gridRows_) return;  // still constructing
    SetStorageSizeHint(Cols(), Rows());
    bool colsChanged = oldColCount != ColTotal(), rowsChanged = oldRowCount != RowTotal();
    if (colsChanged || rowsChanged) {
        ValidateButtonPositions();
        ResizeIntegerSets(oldColCount, oldRowCount);
    }
    if (colsChanged) {
        // Columns leave from the right end; data numbers beyond the count go.
        std::vector<Integer> kept;
        for (Integer d : colMap_)
            if (d < ColTotal()) kept.push_back(d);
        colMap_ = kept;
        ResizeIdentityMap(colMap_, ColTotal());
        gridCols_->SetCount(oldColCount);
        for (Integer p = 1; p < ColTotal(); ++p)
            if (TgrCol* c = gridCols_->ColAt(colMap_[std::size_t(p)])) c->RenumberDisplayCol(p);
        colSelection_->SetSize(ColTotal());
        if (visibleCols_->Materialized()) {
            for (Integer p = oldColCount - 1; p >= ColTotal(); --p) visibleCols_->RemoveValue(p);
            for (Integer p = oldColCount; p < ColTotal(); ++p) visibleCols_->AddValue(p);
        } else {
            visibleCols_->SetVisibleCount(Cols(), 1);
        }
        if (ColTotal() < oldColCount) DeleteStoredColumns(ColTotal(), oldColCount - 1);
    }
    Integer oldRows = oldRowCount - sizedInsertRows_ - 1;
    sizedInsertRows_ = insertRowCount_;
    if (rowsChanged) {
        std::vector<Integer> kept;
        for (Integer d : rowMap_)
            if (d < RowTotal()) kept.push_back(d);
        rowMap_ = kept;
        ResizeIdentityMap(rowMap_, RowTotal());
        gridRows_->SetCount(oldRowCount);
        if (gridRows_->HasDisplayArray())
            for (Integer p = 1; p < RowTotal(); ++p) gridRows_->SetDisplayRowOf(rowMap_[std::size_t(p)], p);
        ResizeChangedRowBits();
        rowSelection_->SetSize(RowTotal());
        if (visibleRows_->Materialized()) {
            for (Integer p = oldRowCount - 1; p >= RowTotal(); --p) visibleRows_->RemoveValue(p);
            for (Integer p = oldRowCount; p < RowTotal(); ++p) visibleRows_->AddValue(p);
        } else {
            visibleRows_->SetVisibleCount(Rows(), 1);
        }
        if (RowTotal() < oldRowCount) DeleteStoredRows(RowTotal(), oldRowCount - 1);
    }
    EnsureFixedCols();
    EnsureFixedRows();
    curDisplayCol_ = std::min(curDisplayCol_, std::max<Integer>(ColTotal() - 1, 1));
    curDisplayRow_ = std::min(curDisplayRow_, std::max<Integer>(RowTotal() - 1, 1));
    curDataCol_ = DataColOfDisplay(curDisplayCol_);
    curDataRow_ = DataRowOfDisplay(curDisplayRow_);
    // The loaded value may belong to a cell that moved or went.
    ForgetEditValue();
    cellCacheInvalid_ = true;
    // The events carry data counts (the insert row left out).
    if (colsChanged) DoColCountChanged(oldColCount - 1, ColTotal() - 1);
    if (rowsChanged) NotifyRowCountChanged(oldRows, RowTotal() - insertRowCount_ - 1);
    UpdateScrollBars();
}

void TgrBaseGrid::ResizeIntegerSets(Integer oldColCount, Integer oldRowCount) {
    // New entries are empty; entries beyond a lower count go with the
    // records they listed (those left the cell property set before).
    if (ColTotal() != oldColCount) colCellSets_.SetCount(ColTotal());
    if (RowTotal() != oldRowCount) rowCellSets_.SetCount(RowTotal());
}

void TgrBaseGrid::SetCols(Integer value) {
    if (value < 0) value = 0;
    if (colsRemoving_ > 0 || value == Cols()) return;
    Integer old = Cols();
    if (value < old && curDataCol_ > value && !CanLeaveCell(curDataCol_, curDataRow_, true)) return;
    // Bring the columns that go to the right end first, so that their widths
    // leave with them.
    for (Integer p = ColTotal() - 1; p >= 1; --p) {
        if (colMap_[std::size_t(p)] <= value) continue;
        Integer last = ColTotal() - 1;
        if (p != last) {
            Integer d = colMap_[std::size_t(p)];
            colMap_.erase(colMap_.begin() + p);
            colMap_.push_back(d);
            MoveColWidth(p, last);
            if (visibleCols_->Materialized()) visibleCols_->MovePosition(p, last);
        }
    }
    // Deleted columns lose their cell records (the set frees them).
    for (Integer c = value + 1; c <= old; ++c)
        for (Integer r = 0; r < RowTotal(); ++r)
            if (TgrCellElement* e = cellProps_->FindCell(c, r)) cellProps_->RemoveElement(e);
    UpdateColCount(value);
    for (Integer p = 1; p < ColTotal(); ++p)
        if (TgrCol* c = gridCols_->ColAt(colMap_[std::size_t(p)])) c->RenumberDisplayCol(p);
    Invalidate();
}

void TgrBaseGrid::SetRows(Integer value) {
    if (value < 0) value = 0;
    if (rowsRemoving_ > 0 || value == Rows()) return;
    Integer old = Rows();
    for (Integer p = RowTotal() - 1; p >= 1; --p) {
        if (rowMap_[std::size_t(p)] <= value) continue;
        Integer last = RowTotal() - 1;
        if (p != last) {
            Integer d = rowMap_[std::size_t(p)];
            rowMap_.erase(rowMap_.begin() + p);
            rowMap_.push_back(d);
            MoveRowHeight(p, last);
            if (visibleRows_->Materialized()) visibleRows_->MovePosition(p, last);
        }
    }
    for (Integer r = value + 1; r <= old; ++r)
        for (Integer c = 1; c < ColTotal(); ++c)
            if (TgrCellElement* e = cellProps_->FindCell(c, r)) cellProps_->RemoveElement(e);
    // A count change always shows the insert row again.
    bool onInsertRow = IsInsertRowPos(curDisplayRow_);
    if (gridMode_ == gmEditInsert) SetInsertRowState(1);
    UpdateRowCount(value);
    if (value > old && onInsertRow) {
        editSelectMode_ = 0;
        ForgetEditValue();
    }
    Invalidate();
    FireSelectChanged(false);
}

TgrControlType TgrBaseGrid::EffectiveControlType(Integer dataCol, Integer dataRow) {
    // Fixed cells and rows beyond the base grid's last row hold no control.
    if (dataCol < 1 || dataRow < 1 || dataCol > Cols() || dataRow >= RowTotal()) return ctNone;
    if (TgrCustomPropElement* e = CellRecord(dataCol, dataRow))
        if (TgrControlType(e->ControlType) != ctDefault) return TgrControlType(e->ControlType);
    TgrCol* col = gridCols_->ColAt(dataCol);
    TgrRow* row = dataRow >= 0 && dataRow < gridRows_->Count() ? gridRows_->GetRow(dataRow) : nullptr;
    TgrControlType colType = col ? col->ControlType() : ctDefault;
    TgrControlType rowType = row ? row->ControlType() : ctDefault;
    TgrControlType first = drawOverlap_ == doDrawColOnTop ? colType : rowType;
    TgrControlType second = drawOverlap_ == doDrawColOnTop ? rowType : colType;
    if (first != ctDefault) return first;
    if (second != ctDefault) return second;
    return ctText;
}

Variant TgrBaseGrid::GetCellValue(Integer dataCol, Integer dataRow) {
    CheckNotInCellLoaded();
    TgrControlType type = EffectiveControlType(dataCol, dataRow);
    if (type == ctNone) return Variant();
    // During an edit the current cell answers with its edit value.
    if (cellEditing_ && currentCell_ && dataCol == curDataCol_ && dataRow == curDataRow_ &&
        currentCell_->HasValueFor(dataCol, dataRow))
        return currentCell_->GetStoredValue();
    return LoadCellValue(dataCol, dataRow, GetStoredCellValue(dataCol, dataRow, type));
}

void TgrBaseGrid::PutCellValue(Integer dataCol, Integer dataRow, const Variant& value) {
    // A value for a cell the grid does not have is kept nowhere: stored, it
    // would turn up in a column or row added later.
    if (dataCol < 1 || dataCol > Cols() || dataRow < 1 || dataRow > Rows()) return;
    Integer col = DisplayColOfData(dataCol), row = DisplayRowOfData(dataRow);
    if (storeData_) {
        TgrControlType type = EffectiveControlType(dataCol, dataRow);
        if (value.Type() != varEmpty) CheckCellValueType(type, value);
        StoreCellValue(dataCol, dataRow, value, type);
        InvalidateDisplayCell(col, row);
    } else if (CanPaintNow() && IsCellVisibleOnScreen(col, row)) {
        // Kept nowhere, the value is drawn into the cell at once; the next
        // repaint shows what the descendant loads for the cell again.
        Variant shown = value;
        TgrCellPaintInfo info;
        directValue_ = &shown;
        struct Forget {
            const Variant*& value;
            ~Forget() { value = nullptr; }
        } forget{directValue_};
        if (FillDrawInfo(col, row, info)) {
            DrawCellValue(dataCol, dataRow, info.Selected, info.ControlShown, shown, info);
            FinishCellPaint(info);
        }
    }
    // A new value of the current cell reaches its shown control, unless the
    // user is editing it there.
    if (dataCol == curDataCol_ && dataRow == curDataRow_ && !cellEditing_ && currentCell_) {
        currentCell_->ClearValue();
        editSelectMode_ = 0;
        if (controlShown_) RefreshCellControl();
    }
}

bool TgrBaseGrid::IsRowChanged(Integer dataRow) const {
    return dataRow >= 0 && dataRow < Integer(rowChanged_.size()) && rowChanged_[std::size_t(dataRow)];
}

void TgrBaseGrid::SetRowChanged(Integer dataRow, bool changed) {
    CheckColRowIndex(0, dataRow, RowTotal() - 1, 1);
    if (rowChanged_[std::size_t(dataRow)] == changed) return;
    rowChanged_[std::size_t(dataRow)] = changed;
    if (rowChangedIndicator_ != riOff && rowBarOn_) InvalidateDisplayCell(0, DisplayRowOfData(dataRow));
}
