// The grid's published-property setters, its events and what the column,
// row and cell property objects ask of it.
#include <algorithm>

#include "grid/GRGLibValues.h"
#include "grid/TSGrid.h"
#include "platform/core/Strings.h"

// ================================================================ setters

// Plain setters: nothing when unchanged; a visual attribute repaints.
#define GR_SETTER(Type, Name, field, after) \
    void TgrBaseGrid::Set##Name(Type value) { \
        if (field == value) return;          \
        field = value;                       \
        after;                               \
    }
#define GR_REPAINT Invalidate()
#define GR_NOTHING (void)0

// Rows the new mode cannot hold lose their selection: all under rsNone
// (and at design time under rsMulti), all but a selected current row under
// rsSingle.
void TgrBaseGrid::SetRowSelectMode(TgrRowSelectMode value) {
    if (value == rowSelectMode_ || (comboGrid_ && !IsDesigning())) return;
    if (HideCellControlIfShown(true)) Update();
    rowSelectMode_ = value;
    if (rowSelection_->Count() > 0 && (value != rsMulti || IsDesigning())) {
        bool keep = value == rsSingle && curDisplayRow_ >= 1 && IsDisplayRowSelected(curDisplayRow_);
        DeselectAllRows();
        if (keep) SelectDisplayRows(curDisplayRow_, curDisplayRow_);
        MarkSelectChanged(0);
    }
    RefreshCellControl();
    SyncListBoxSelection(false);
    FireSelectChanged(false);
    CheckGridStatusChanged();
}
GR_SETTER(TgrColSelectMode, ColSelectMode, colSelectMode_, GR_NOTHING)
GR_SETTER(bool, SelectFixed, selectFixed_, GR_NOTHING)
GR_SETTER(TCursor, SelectedAreaCursor, selectedAreaCursor_, GR_NOTHING)
GR_SETTER(bool, ColMoving, colMoving_, GR_NOTHING)
GR_SETTER(TgrResizeCols, ResizeCols, resizeCols_, GR_NOTHING)
GR_SETTER(TgrResizeRows, ResizeRows, resizeRows_, GR_NOTHING)
GR_SETTER(bool, ResizeColsInGrid, resizeColsInGrid_, GR_NOTHING)
GR_SETTER(bool, ResizeRowsInGrid, resizeRowsInGrid_, GR_NOTHING)
void TgrBaseGrid::SetGridLines(TgrGridLines value) {
    if (gridLines_ == value) return;
    gridLines_ = value;
    horzLineWidth_ = value == glHorizontal || value == glBoth ? 1 : 0;
    vertLineWidth_ = value == glVertical || value == glBoth ? 1 : 0;
    Invalidate();
    ResetCellControl(true);
}
GR_SETTER(TColor, LineColor, lineColor_, GR_REPAINT)
GR_SETTER(TColor, FixedLineColor, fixedLineColor_, GR_REPAINT)
GR_SETTER(bool, Is3D, is3D_, GR_REPAINT)
GR_SETTER(bool, Heading3D, heading3D_, InvalidateRow(0))
GR_SETTER(TColor, HeadingColor, headingColor_, InvalidateRow(0))
GR_SETTER(TgrHorzAlignment, HeadingHorzAlignment, headingHorzAlignment_, InvalidateRow(0))
GR_SETTER(TgrVertAlignment, HeadingVertAlignment, headingVertAlignment_, InvalidateRow(0))
GR_SETTER(TgrWordWrap, HeadingWordWrap, headingWordWrap_, InvalidateRow(0))
GR_SETTER(TgrHeadingButton, HeadingButton, headingButton_, InvalidateRow(0))
GR_SETTER(TgrHorzAlignment, HorzAlignment, horzAlignment_, GR_REPAINT)
GR_SETTER(TgrVertAlignment, VertAlignment, vertAlignment_, GR_REPAINT)
GR_SETTER(TgrVertAlignment, RowBarAlignment, rowBarAlignment_, InvalidateCol(0))
GR_SETTER(TgrWordWrap, WordWrap, wordWrap_, GR_REPAINT)
GR_SETTER(TColor, EditColor, editColor_, GR_NOTHING)
GR_SETTER(TColor, EditFontColor, editFontColor_, GR_NOTHING)
// Edit mode follows: on, the control shows on every editable current cell;
// off, it shows only while an edit runs.
void TgrBaseGrid::SetAlwaysShowEditor(bool value) {
    if (value == alwaysShowEditor_) return;
    alwaysShowEditor_ = value;
    SetEditMode(value, true, editSelectMode_);
}
GR_SETTER(bool, AlwaysShowFocus, alwaysShowFocus_, GR_NOTHING)
GR_SETTER(bool, SkipReadOnly, skipReadOnly_, GR_NOTHING)
GR_SETTER(bool, TabRowWrap, tabRowWrap_, GR_NOTHING)
GR_SETTER(bool, CheckMouseFocus, checkMouseFocus_, GR_NOTHING)
GR_SETTER(TScrollStyle, ScrollBars, scrollBars_, UpdateScrollBars(); UpdateScrollPos())
GR_SETTER(TScrollStyle, AlwaysShowScrollBar, alwaysShowScrollBar_, UpdateScrollBars())
GR_SETTER(TgrScrollSpeed, ScrollSpeed, scrollSpeed_, GR_NOTHING)
// The base's thumb-tracking option goes with it.
GR_SETTER(bool, ThumbTracking, thumbTracking_,
          SetGridOptions(value ? TGridOptions_ts(GridOptions() | gxThumbTracking)
                               : TGridOptions_ts(GridOptions() & ~gxThumbTracking)))
GR_SETTER(bool, FlatButtons, flatButtons_, GR_REPAINT)
GR_SETTER(bool, ReadOnlyButton, readOnlyButton_, GR_REPAINT)
// Button sizes change the cells' layout: the in-cell control is placed anew.
#define GR_BUTTONS(release) \
    release;                \
    Invalidate();           \
    ResetCellControl(true)
GR_SETTER(Integer, ButtonEdgeWidth, buttonEdgeWidth_, GR_BUTTONS((void)0))
GR_SETTER(Integer, DefaultButtonWidth, defaultButtonWidth_, GR_BUTTONS(ReleaseDefaultButtons()))
GR_SETTER(Integer, DefaultButtonHeight, defaultButtonHeight_, GR_BUTTONS(ReleaseDefaultButtons()))
GR_SETTER(Integer, SpinButtonWidth, spinButtonWidth_, GR_BUTTONS(ReleaseSpinButtons()))
GR_SETTER(Integer, SpinButtonHeight, spinButtonHeight_, GR_BUTTONS(ReleaseSpinButtons()))
#undef GR_BUTTONS
GR_SETTER(Integer, SpinStartDelay, spinStartDelay_, GR_NOTHING)
GR_SETTER(Integer, SpinRepeatDelay, spinRepeatDelay_, GR_NOTHING)
GR_SETTER(TgrInactiveButtonState, InactiveButtonState, inactiveButtonState_, GR_REPAINT)
GR_SETTER(std::string, PrintTitle, printTitle_, GR_NOTHING)
GR_SETTER(Integer, PrintLinesPerPage, printLinesPerPage_, GR_NOTHING)
GR_SETTER(TgrPrintMode, PrintOrientation, printOrientation_, GR_NOTHING)
GR_SETTER(bool, PrintTotals, printTotals_, GR_NOTHING)
GR_SETTER(Integer, PrintCols, printCols_, GR_NOTHING)
GR_SETTER(bool, PrintWithGridFormats, printWithGridFormats_, GR_NOTHING)
GR_SETTER(bool, ProvideGridMenu, provideGridMenu_, GR_NOTHING)
GR_SETTER(bool, RowMoving, rowMoving_, GR_NOTHING)
GR_SETTER(TgrCellSelectMode, CellSelectMode, cellSelectMode_, GR_NOTHING)
#undef GR_SETTER
#undef GR_REPAINT
#undef GR_NOTHING

bool TgrBaseGrid::HasSelection() const {
    if (gridStatus_ != gsNormal) return true;
    return colSelection_->Count() > 0 || rowSelection_->Count() > 0;
}

void TgrBaseGrid::InvalidateIfSelection() {
    if (HasSelection()) Invalidate();
}

void TgrBaseGrid::SetSelectionColor(TColor value) {
    if (value == selectionColor_) return;
    selectionColor_ = value;
    UpdateBlendBitmap(false);
    InvalidateIfSelection();
}

void TgrBaseGrid::SetSelectionFontColor(TColor value) {
    if (value == selectionFontColor_) return;
    selectionFontColor_ = value;
    InvalidateIfSelection();
}

void TgrBaseGrid::SetSelectionType(TgrSelectionType value) {
    if (value == selectionType_) return;
    selectionType_ = value;
    InvalidateIfSelection();
}

void TgrBaseGrid::SetFocusBorder(TgrFocusBorder value) {
    if (value == focusBorder_) return;
    focusBorder_ = value;
    RepaintFocusCell(false);
}

void TgrBaseGrid::SetFocusColor(TColor value) {
    if (value == focusColor_) return;
    focusColor_ = value;
    // No colour left: the blend pattern goes.
    InvalidateFocusAreaForColors(false);
    RepaintFocusCell(false);
}

void TgrBaseGrid::SetFocusFontColor(TColor value) {
    if (value == focusFontColor_) return;
    focusFontColor_ = value;
    RepaintFocusCell(false);
}

void TgrBaseGrid::SetCheckBoxValues(const std::string& value) {
    if (value == checkBoxValues_) return;
    if (!IsValidCheckValues(value))
        RaiseGridError(
            "Invalid CheckBoxValues. CheckBoxValues have the format 'Checked|Unchecked|Grayed'. The Grayed value is "
            "optional");
    checkBoxValues_ = value;
    if (checkControl_) checkControl_->SetCheckBoxValues(value);
    Invalidate();
}

void TgrBaseGrid::SetWantTabs(bool value) {
    if (value == wantTabs_) return;
    wantTabs_ = value;
    if (activeControl_) activeControl_->SetWantTabs(value);
}

void TgrBaseGrid::SetRowBarIndicator(bool value) {
    if (value == rowBarIndicator_) return;
    rowBarIndicator_ = value;
    if (rowBarOn_) InvalidateDisplayCell(0, curDisplayRow_);
}

void TgrBaseGrid::SetCheckBoxStyle(TgrCheckBoxStyle value) {
    if (value == checkBoxStyle_) return;
    checkBoxStyle_ = value;
    if (checkControl_) checkControl_->SetCheckBoxStyle(value);
    Invalidate();
    ResetCellControl(true);
}

void TgrBaseGrid::SetDrawOverlap(TgrDrawOverlap value) {
    if (value == drawOverlap_) return;
    drawOverlap_ = value;
    Invalidate();
    ResetCellControl(true);
    DropUnsuitableValues(-1, -1);
}

void TgrBaseGrid::SetRowChangedIndicator(TgrRowChangedIndicator value) {
    if (value == rowChangedIndicator_) return;
    rowChangedIndicator_ = value;
    if (rowBarOn_) InvalidateCol(0);
}

void TgrBaseGrid::SetGridMode(TgrGridMode value) {
    if (value == gridMode_) return;
    // A combo's drop-down grid keeps its mode outside design time; only the
    // list-box mode needs the current cell's edit to end first.
    if (comboGrid_ && !IsDesigning()) return;
    if (value == gmListBox && !CanLeaveCell(curDataCol_, curDataRow_, true)) return;
    StoreGridMode(value);
}

void TgrBaseGrid::StoreGridMode(TgrGridMode value) {
    if (value == gridMode_) return;
    gridMode_ = value;
    // The insert row below the last row exists only in gmEditInsert.
    Integer insertRows = value == gmEditInsert ? 1 : 0;
    if (insertRows != insertRowCount_) {
        Integer rows = Rows();
        insertRowCount_ = insertRows;
        ChangeCounts(ColTotal(), rows + 1 + insertRows);
    }
    editModeFlag_ = alwaysShowEditor_;
    ResetCellControl(true);
}

Integer TgrBaseGrid::ParseEditModeName(const std::string& identifier) {
    std::string mode = LowerCase(identifier);
    return mode == "emnone" ? 0 : mode == "emeditinsert" ? 2 : mode == "embrowse" ? 3 : 1;
}

TgrGridMode TgrBaseGrid::EditModeToGridMode(Integer editMode) {
    static const TgrGridMode modes[] = {gmListBox, gmEdit, gmEditInsert, gmBrowse};
    return editMode >= 0 && editMode <= 3 ? modes[editMode] : gmEdit;
}

bool TgrBaseGrid::IsEditOrBrowseMode() const {
    return (gridMode_ == gmEdit || gridMode_ == gmEditInsert || gridMode_ == gmBrowse) && gridStatus_ == gsNormal;
}

void TgrBaseGrid::MoveToDataRow(Integer dataRow) {
    if (dataRow < 0 || dataRow > RowTotal() - 1) return;
    MoveToDisplayCell(curDisplayCol_, DisplayRowOfData(dataRow));
}

void TgrBaseGrid::SetLegacyEditMode(Integer value) {
    SetGridMode(EditModeToGridMode(value));
}

void TgrBaseGrid::SetHeadingOn(bool value) {
    if (value == headingOn_) return;
    headingOn_ = value;
    SetRowHeightAt(0, value ? headingHeight_ : 0);
    Invalidate();
}

void TgrBaseGrid::SetHeadingHeight(Integer height) {
    if (height == headingHeight_) return;
    headingHeight_ = height;
    if (!sizingHeading_) restHeadingHeight_ = height;
    if (headingOn_ && GetRowHeightAt(0) != height) SetRowHeightAt(0, height);
}

void TgrBaseGrid::SetRowBarOn(bool value) {
    if (value == rowBarOn_) return;
    rowBarOn_ = value;
    SetColWidthAt(0, value ? rowBarWidth_ : 0);
    Invalidate();
}

void TgrBaseGrid::SetRowBarWidth(Integer width) {
    if (width == rowBarWidth_) return;
    rowBarWidth_ = width;
    if (!sizingRowBar_) restRowBarWidth_ = width;
    if (rowBarOn_ && GetColWidthAt(0) != width) SetColWidthAt(0, width);
}

// The requested fixed counts stay as set and are applied within what the
// grid holds (the last display column and row always scroll), again
// whenever the counts change.
void TgrBaseGrid::SetFixedColCount(Integer value) {
    if (value < 0) return;
    fixedColCount_ = value;
    ApplyFixedCounts();
}

void TgrBaseGrid::SetFixedRowCount(Integer value) {
    if (value < 0) return;
    fixedRowCount_ = value;
    ApplyFixedCounts();
}

void TgrBaseGrid::ApplyFixedCounts() {
    Integer cols = ColTotal() < 2 ? FixedColTotal() : std::min(ColTotal() - 1, fixedColCount_ + 1);
    Integer rows = RowTotal() < 2 ? FixedRowTotal() : std::min(RowTotal() - 1, fixedRowCount_ + 1);
    if (cols == FixedColTotal() && rows == FixedRowTotal()) return;
    bool shown = HideCellControlIfShown(false);
    SetFixedColTotal(cols);
    SetFixedRowTotal(rows);
    if (shown) RefreshCellControl();
    UpdateScrollBars();
    Invalidate();
}

void TgrBaseGrid::SetImageList(TgrImageListComponent* list) {
    if (list == imageLink_->ImageList()) return;
    imageLink_->SetImageList(list);
    Invalidate();
}

void TgrBaseGrid::SetMaskDefs(TgrMaskDefsComponent* defs) {
    if (defs == maskLink_->MaskDefs()) return;
    maskLink_->SetMaskDefs(defs);
    if (editControl_) editControl_->SetMaskDefs(defs);
}

void TgrBaseGrid::SetDateTimeDef(TgrDateTimeDefComponent* def) {
    if (def == dateTimeDef_) return;
    dateTimeLink_->Detach(dateTimeDef_);
    dateTimeDef_ = def;
    dateTimeLink_->Attach(def);
}

void TgrBaseGrid::SetGridStatus(TgrGridStatus status) {
    if (status == gridStatus_) return;
    gridStatus_ = status;
    CheckGridStatusChanged();
}

void TgrBaseGrid::CheckGridStatusChanged() {
    if (gridStatus_ == notifiedGridStatus_) return;
    if (gridStatus_ != gsNormal) {
        // A selection takes the place of the current cell's edit and of
        // the control over it.
        ClearEditState();
        ResetEditorShown();
        HideCellControl(true);
    }
    TgrGridStatus old = notifiedGridStatus_;
    notifiedGridStatus_ = gridStatus_;
    // Back to the current cell alone: its control returns.
    if (gridStatus_ == gsNormal) RefreshCellControl();
    DoGridStatusChanged(old, gridStatus_);
}

void TgrBaseGrid::SetMouseStatus(TgrMouseStatus status) {
    mouseStatus_ = status;
    CheckMouseStatusChanged();
}

void TgrBaseGrid::CheckMouseStatusChanged() {
    if (mouseStatus_ == notifiedMouseStatus_) return;
    // The selecting states repaint the current cell in edit mode, whose
    // look depends on whether the mouse holds it.
    if (IsEditMode() && mouseStatus_ >= msRowSelect && mouseStatus_ <= msSelectAll)
        InvalidateDisplayCell(curDisplayCol_, curDisplayRow_);
    TgrMouseStatus old = notifiedMouseStatus_;
    notifiedMouseStatus_ = mouseStatus_;
    DoMouseStatusChanged(old, mouseStatus_);
}

// ================================================================ events

#define GR_FIRE(event, ...) \
    if (event && CanFireEvents()) event(this, __VA_ARGS__)

void TgrBaseGrid::DoCanStartDrag() {
    if (OnCanStartDrag && CanFireEvents()) OnCanStartDrag(this);
}
void TgrBaseGrid::DoColChanged(Integer oldCol, Integer newCol) { GR_FIRE(OnColChanged, oldCol, newCol); }
void TgrBaseGrid::DoColCountChanged(Integer oldCount, Integer newCount) {
    GR_FIRE(OnColCountChanged, oldCount, newCount);
}
void TgrBaseGrid::DoColMoved(Integer to, Integer count, bool byUser) { GR_FIRE(OnColMoved, to, count, byUser); }
void TgrBaseGrid::DoColResized(Integer dataCol) { GR_FIRE(OnColResized, dataCol); }
void TgrBaseGrid::DoDeleteCol(Integer dataCol, bool byUser) { GR_FIRE(OnDeleteCol, dataCol, byUser); }
void TgrBaseGrid::DoGridStatusChanged(TgrGridStatus o, TgrGridStatus n) { GR_FIRE(OnGridStatusChanged, o, n); }
void TgrBaseGrid::DoEditTextResized(bool byUser) { GR_FIRE(OnEditTextResized, byUser); }
void TgrBaseGrid::DoPaint() {
    if (OnPaint && CanFireEvents()) OnPaint(this);
}
void TgrBaseGrid::DoResize() {
    if (OnResize && CanFireEvents()) OnResize(this);
}
void TgrBaseGrid::DoHeadingClick(Integer dataCol) { GR_FIRE(OnHeadingClick, dataCol); }
void TgrBaseGrid::DoInsertCol(Integer dataCol, bool byUser) { GR_FIRE(OnInsertCol, dataCol, byUser); }
void TgrBaseGrid::DoMouseStatusChanged(TgrMouseStatus o, TgrMouseStatus n) { GR_FIRE(OnMouseStatusChanged, o, n); }
void TgrBaseGrid::DoRowCountChanged(Integer oldCount, Integer newCount) {
    GR_FIRE(OnRowCountChanged, oldCount, newCount);
}
void TgrBaseGrid::NotifyRowCountChanged(Integer oldCount, Integer newCount) {
    if (oldCount != newCount) DoRowCountChanged(oldCount, newCount);
}
void TgrBaseGrid::DoRowMoved(Integer to, Integer count, bool byUser) { GR_FIRE(OnRowMoved, to, count, byUser); }
void TgrBaseGrid::DoRowResized(Integer dataRow) { GR_FIRE(OnRowResized, dataRow); }
void TgrBaseGrid::DoSelectChanged(TgrSelectType t, bool byUser) { GR_FIRE(OnSelectChanged, t, byUser); }
#undef GR_FIRE

void TgrBaseGrid::FireSelectChanged(bool byUser) {
    // Once for each selection kind that changed.
    for (Integer kind = 0; kind <= 2; ++kind) FireSelectChangedKind(kind, byUser);
}

void TgrBaseGrid::FireSelectChangedKind(Integer kind, bool byUser) {
    bool& mark = kind == 0 ? rowSelectionChanged_ : kind == 1 ? colSelectionChanged_ : cellSelectionChanged_;
    if (!mark) return;
    mark = false;
    DoSelectChanged(kind == 0 ? stpRows : kind == 1 ? stpCols : stpCells, byUser);
}

// ================================================================ owner side

Integer TgrBaseGrid::DataColWidth(Integer dataCol) {
    TgrCol* c = gridCols_ ? gridCols_->ColAt(dataCol) : nullptr;
    return c ? c->Width() : DefaultColWidth();
}

bool TgrBaseGrid::InvalidateCellUnlessPainting(Integer displayCol, Integer displayRow) {
    // What changes while the grid paints is shown by the next paint.
    if (painting_) return false;
    InvalidateDisplayCell(displayCol, displayRow);
    return true;
}

bool TgrBaseGrid::InvalidateColUnlessPainting(Integer displayCol) {
    if (painting_) return false;
    InvalidateCol(displayCol);
    return true;
}

bool TgrBaseGrid::InvalidateRowUnlessPainting(Integer displayRow) {
    if (painting_) return false;
    InvalidateRow(displayRow);
    return true;
}

void TgrBaseGrid::InvalidateCellFocusFrame(Integer displayCol, Integer displayRow, bool) {
    InvalidateDisplayCell(displayCol, displayRow);
}

void TgrBaseGrid::CellMaskChanged(Integer dataCol, const Variant& dataRow) {
    if (dataCol == curDataCol_ && dataRow.AsInteger() == curDataRow_) ApplyEditorMask();
}

namespace {

// Enters key in the set at index (made on first use) or takes it out (a set
// that empties is freed); indexes outside the list are not kept.
void NoteInSet(TgrIntegerSetList& list, Integer index, Integer key, bool add) {
    if (index < 0 || index >= list.Count()) return;
    TgrIntegerSet* set = list.Get(index);
    if (add) {
        if (!set) {
            set = new TgrIntegerSet;
            list.Put(index, set);
        }
        set->Add(key);
    } else if (set) {
        set->Remove(key);
        if (set->Count() == 0) list.Put(index, nullptr);
    }
}

}  // namespace

void TgrBaseGrid::IndexCellRecord(TgrCellElement* e) {
    NoteInSet(colCellSets_, e->DataCol, e->DataRow, true);
    NoteInSet(rowCellSets_, e->DataRow, e->DataCol, true);
    cellCacheInvalid_ = true;
}

void TgrBaseGrid::UnindexCellRecord(TgrCellElement* e) {
    NoteInSet(colCellSets_, e->DataCol, e->DataRow, false);
    NoteInSet(rowCellSets_, e->DataRow, e->DataCol, false);
    cellCacheInvalid_ = true;
}

bool TgrBaseGrid::ColHasCellRecords(Integer dataCol) const {
    return dataCol >= 0 && dataCol < colCellSets_.Count() && colCellSets_.Get(dataCol);
}

bool TgrBaseGrid::RowHasCellRecords(Integer dataRow) const {
    return dataRow >= 0 && dataRow < rowCellSets_.Count() && rowCellSets_.Get(dataRow);
}


TgrCombo* TgrBaseGrid::CreateCombo() {
    RaiseGridError("Cannot create combo box. Method CreateCombo has not been not implemented in derived class");
}

TgrBaseGrid* TgrBaseGrid::CreateComboGrid() {
    RaiseGridError("Cannot create combo box. Method CreateComboGrid has not been not implemented in derived class");
}

void TgrBaseGrid::UnlinkDateTimeDef(TgrDateTimeDefComponent* def) { dateTimeLink_->Detach(def); }
void TgrBaseGrid::LinkDateTimeDef(TgrDateTimeDefComponent* def) { dateTimeLink_->Attach(def); }

Variant TgrBaseGrid::GetCellProp(Integer dataCol, Integer dataRow, TgrPropId id, TgrPictureKind kind) {
    CheckNotInCellLoaded();
    TgrCellElement* e = cellProps_->FindCell(dataCol, dataRow);
    return e ? e->GetValue(id, kind) : DefaultPropValue(id);
}

void TgrBaseGrid::SetCellProp(Integer dataCol, Integer dataRow, TgrPropId id, TgrPictureKind kind,
                              const Variant& value) {
    CheckColRowIndex(1, dataCol, Cols(), 1);
    CheckColRowIndex(0, dataRow, RowTotal() - 1, 0);
    TgrCustomPropElement* e = cellProps_->FindCell(dataCol, dataRow);
    const bool typeChanges = id == gpControlType && dataRow >= 1 && storeData_ &&
                             GetCellControlType(dataCol, dataRow) != TgrControlType(value.AsInteger());
    cellProps_->SetPropValue(CellKey(dataCol, dataRow), true, kind, id, value, e);
    if (id == gpButtonType && value.AsInteger() == btCombo) EnsureCombo();
    // A stored value the cell's new control type cannot show goes.
    if (typeChanges) DropUnsuitableValues(dataCol, dataRow);
}

TgrCustomPropElement* TgrBaseGrid::FindCellElement(Integer dataCol, Integer dataRow, bool checkIndexes) {
    if (!cellCacheInvalid_ && cachedCellCol_ == dataCol && cachedCellRow_ == dataRow) return cachedCell_;
    if (checkIndexes) {
        CheckColRowIndex(1, dataCol, Cols(), 1);
        CheckColRowIndex(0, dataRow, RowTotal() - 1, 1);
        if (cellProps_->Count() == 0) return nullptr;
        // The sets of records by column and by row answer for a cell of a
        // column and a row that hold none without searching.
        if (!ColHasCellRecords(dataCol) && !RowHasCellRecords(dataRow)) {
            cachedCell_ = nullptr;
            cachedCellCol_ = dataCol;
            cachedCellRow_ = dataRow;
            cellCacheInvalid_ = false;
            return nullptr;
        }
    }
    return CachedCellRecord(dataCol, dataRow);
}

TgrCustomPropElement* TgrBaseGrid::CreateCellElement(Integer dataCol, Integer dataRow) {
    TgrCustomPropElement* e = cellProps_->CreateElement(CellKey(dataCol, dataRow));
    cellProps_->AddElement(e);
    return e;
}

TgrCombo* TgrBaseGrid::CreateCellCombo(Integer dataCol, Integer dataRow) {
    TgrCustomPropElement* e = FindCellElement(dataCol, dataRow, true);
    if (!e) e = CreateCellElement(dataCol, dataRow);
    e->CreateCombo();
    // An open list of the current cell belonged to its old combo.
    if (dataCol == curDataCol_ && dataRow == curDataRow_ && droppedCombo_) RollUpCombo(false);
    return e->Combo;
}

void TgrBaseGrid::SetDisplayRow(Integer dataRow, Integer displayRow) { MoveDataRowTo(dataRow, displayRow, false); }

void TgrBaseGrid::MoveDataRowTo(Integer dataRow, Integer displayRow, bool byUser) {
    CheckColRowIndex(0, dataRow, Rows(), 1);
    CheckColRowIndex(0, displayRow, Rows(), 1);
    Integer from = DisplayRowOfData(dataRow);
    if (from == displayRow) return;
    MoveRowOrder(from, displayRow);
    DoRowMoved(displayRow, 1, byUser);
}

Integer TgrBaseGrid::LastVisibleCol() {
    TGridLayout_ts layout;
    ComputeLayout(layout);
    return layout.Horz.LastFullCell;
}


// The position counts also while the insert row is a provisional data row
// (entered, not yet edited).
bool TgrBaseGrid::IsInsertRowPos(Integer displayRow) {
    return gridMode_ == gmEditInsert && displayRow == RowTotal() - 1;
}

void TgrBaseGrid::RefreshCheckBoxValues() {
    if (checkControl_) checkControl_->SetCheckBoxValues(checkBoxValues_);
}

void TgrBaseGrid::SelectAllCurrentCell() {
    if (activeControl_) activeControl_->SelectAll();
}

bool TgrBaseGrid::IsDisplayColSelected(Integer displayCol) { return colSelection_->IsSelected(displayCol); }

void TgrBaseGrid::SelectDisplayCols(Integer from, Integer to, bool select) {
    if (select && colSelectMode_ == csNone) return;
    if (to < from) std::swap(from, to);
    from = std::max<Integer>(from, 1);
    to = std::min<Integer>(to, ColTotal() - 1);
    for (Integer c = from; c <= to; ++c) {
        TgrCol* col = select ? gridCols_->ColAt(DataColOfDisplay(c)) : nullptr;
        if ((col && !col->Visible()) || !colSelection_->SetSelected(c, select)) continue;
        colSelectionChanged_ = true;
        PaintColSelection(c, 3, nullptr, select);
    }
    if (!select && colSelection_->Count() == 0 && gridStatus_ == gsColsSelected) SetGridStatus(gsNormal);
    if (select && colSelection_->Count() > 0 && gridStatus_ == gsNormal) SetGridStatus(gsColsSelected);
}

void TgrBaseGrid::UnlockUpdate() {
    if (updateLock_ > 0) --updateLock_;
    // What was skipped under the lock is done now.
    if (updateLock_ == 0 && invalidatePending_) {
        invalidatePending_ = false;
        Invalidate();
    }
    if (updateLock_ == 0 && scrollBarsPending_) UpdateScrollBars();
    if (updateLock_ == 0 && dropDownSizePending_) {
        dropDownSizePending_ = false;
        UpdateDropDownSize(GetDropDownCols(), GetDropDownRows());
    }
}

void TgrBaseGrid::MoveColIndex(Integer from, Integer to) {
    if (from == to || from < 1 || to < 1 || from >= ColTotal() || to >= ColTotal()) return;
    Integer d = colMap_[std::size_t(from)];
    colMap_.erase(colMap_.begin() + from);
    colMap_.insert(colMap_.begin() + to, d);
    for (Integer p = 1; p < ColTotal(); ++p) SetDataColOfDisplay(p, colMap_[std::size_t(p)]);
}

void TgrBaseGrid::MoveColWidth(Integer from, Integer to) { MoveColumnTo(from, to); }

void TgrBaseGrid::MoveColSelection(Integer from, Integer to) { colSelection_->Move(from, to); }


void TgrBaseGrid::SetKeptFontCol(Integer dataCol, bool keep) {
    fontCols_.Remove(dataCol);
    if (keep) fontCols_.Add(dataCol);
}

void TgrBaseGrid::SetKeptFontRow(Integer dataRow, bool keep) {
    fontRows_.Remove(dataRow);
    if (keep) fontRows_.Add(dataRow);
}

void TgrBaseGrid::SetDefaultColWidth(Integer value) {
    if (!sizingDefaultCol_) savedDefaultColWidth_ = value;
    TCustomGrid_ts::SetDefaultColWidth(value);
    // Dropping the size table gave the row bar the default too.
    SetColWidthAt(0, rowBarOn_ ? rowBarWidth_ : 0);
    FollowDefaultColWidth();
}

void TgrBaseGrid::SetDefaultRowHeight(Integer value) {
    // A row keeps at least one pixel, so that every row can be reached.
    if (!sizingDefaultRow_) savedDefaultRowHeight_ = std::max<Integer>(value, 1);
    TCustomGrid_ts::SetDefaultRowHeight(std::max<Integer>(value, 1));
    SetRowHeightAt(0, headingOn_ ? headingHeight_ : 0);
    FollowDefaultRowHeight();
}

void TgrBaseGrid::SetHeadingParentFont(bool value) {
    if (value == headingParentFont_) return;
    headingParentFont_ = value;
    // Following the parent again takes its font now.
    if (value && Parent()) ParentFontChangedTo(*Parent()->Font());
}
