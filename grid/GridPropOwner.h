#pragma once
// What the column, row and cell property objects need from the grid that
// owns them. The grid class implements this interface; the property objects
// know the grid only through it, so they can be built and tested before the
// grid class itself (tests use a recording implementation).
//
// Numberings: "data" columns and rows are numbered by their slot (1 and up,
// 0 the row bar or heading row); "display" positions are the order on
// screen (0 the row bar or heading row).

#include <string>

#include "grid/GridPropTypes.h"
#include "grid/TSSetLib.h"
#include "platform/core/Types.h"
#include "platform/core/Variant.h"
#include "platform/gui/Graphics.h"

class TgrCombo;  // the grid's drop-down combo settings (built with the drop-down form)
class TgrDateTimeDefComponent;
class TgrCellElement;
class TgrCellPropSet;
class TgrGridCols;
class TgrGridRows;
class TgrVisibleItems;

// Which index a range check is about.
enum TgrIndexKind { ikCol, ikRow };

class TgrPropGrid {
public:
    virtual ~TgrPropGrid() = default;

    // ---- state
    virtual bool IsUpdateSuspended() const = 0;
    virtual bool IsDestroying() const = 0;
    virtual bool IsDesigning() const = 0;
    virtual bool IsReading() const = 0;
    virtual bool IsWriting() const = 0;
    // True when this grid is the drop-down grid of a combo.
    virtual bool IsComboGrid() const = 0;
    // Number of data columns plus the row bar, and of data rows plus the
    // heading row.
    virtual Integer ColCount() const = 0;
    virtual Integer RowCount() const = 0;
    // The number of data columns (ColCount - 1).
    virtual Integer Cols() const = 0;
    // The grid's range check: True when index lies in 0..count-1; otherwise
    // raises "Column index %d out of range" / "Row index %d out of range"
    // when the grid's range errors are on, else answers False.
    virtual bool CheckColRowIndex(Integer index, Integer count, TgrIndexKind kind) = 0;
    [[noreturn]] virtual void RaiseGridError(const std::string& message) = 0;

    // ---- numberings and sizes
    virtual Integer DisplayColOfData(Integer dataCol) = 0;
    virtual Integer DisplayRowOfData(Integer dataRow) = 0;
    virtual Integer CurrentDisplayCol() const = 0;  // 0 or less: none
    virtual Integer CurrentDisplayRow() const = 0;
    virtual Integer CurrentDataCol() = 0;
    virtual Integer CurrentDataRow() = 0;
    virtual Integer DefaultColWidth() const = 0;
    virtual Integer DefaultRowHeight() const = 0;
    // The value last given to DefaultRowHeight.
    virtual Integer RequestedDefaultRowHeight() const = 0;
    // The current size of a display column or row (its size-table entry).
    virtual Integer DisplayColWidth(Integer displayCol) const = 0;
    virtual Integer DisplayRowHeight(Integer displayRow) const = 0;
    // The Width of a data column's object.
    virtual Integer DataColWidth(Integer dataCol) = 0;

    // ---- repainting
    // Answer whether they invalidated (nothing while the grid paints).
    virtual bool InvalidateCellUnlessPainting(Integer displayCol, Integer displayRow) = 0;
    virtual bool InvalidateColUnlessPainting(Integer displayCol) = 0;
    virtual bool InvalidateRowUnlessPainting(Integer displayRow) = 0;
    virtual void InvalidateDisplayCell(Integer displayCol, Integer displayRow) = 0;
    virtual void InvalidateCol(Integer displayCol) = 0;
    virtual void InvalidateRow(Integer displayRow) = 0;
    virtual void InvalidateCellFocusFrame(Integer displayCol, Integer displayRow, bool drawOnly) = 0;
    // Re-reads the in-cell control's settings at the current cell.
    virtual void ResetCellControl(bool refresh) = 0;

    // ---- cell records
    virtual bool IsDrawingProperty(TgrPropId id) = 0;
    virtual void CellMaskChanged(Integer dataCol, const Variant& dataRow) = 0;
    virtual void IndexCellElement(TgrCellElement* element) = 0;
    virtual void UnindexCellElement(TgrCellElement* element) = 0;
    virtual void ClearCellElementCache() = 0;
    // The grid's list of (data column, data row) pairs of cells that keep
    // their own font object.
    virtual TgrCoordList& KeptFontCells() = 0;
    virtual TgrCellPropSet* CellPropSet() = 0;

    // ---- fonts
    virtual TFont* GridFont() = 0;
    virtual TFont* EffectiveCellFont(Integer dataCol, Integer dataRow) = 0;

    // ---- combos
    // The grid's combo factory; the base grid raises.
    virtual TgrCombo* CreateCombo() = 0;
    virtual void FreeComboObject(TgrCombo* combo) = 0;
    virtual TgrDropDownStyle ComboDropDownStyle(const TgrCombo* combo) const = 0;
    virtual void SetComboDropDownStyle(TgrCombo* combo, TgrDropDownStyle style) = 0;
    // dest takes a copy of source's settings.
    virtual void AssignComboSettings(TgrCombo* dest, const TgrCombo* source) = 0;
    // The owner column's width changed: the combo's list follows it.
    virtual void SetComboDropDownWidth(TgrCombo* combo, Integer width) = 0;
    virtual void ComboReleased(TgrCombo* combo, bool reset) = 0;

    // ---- date-time definitions
    virtual void ForgetActiveDateTimeDef() = 0;
    virtual void ForgetDateTimeDefIfActive(TgrDateTimeDefComponent* def) = 0;
    virtual void UnlinkDateTimeDef(TgrDateTimeDefComponent* def) = 0;
    virtual void LinkDateTimeDef(TgrDateTimeDefComponent* def) = 0;

    // ---- cell attributes by id (the grid's indexed cell accessors; kind
    // picks the picture option for id 24)
    virtual Variant GetCellProp(Integer dataCol, Integer dataRow, TgrPropId id, TgrPictureKind kind) = 0;
    virtual void SetCellProp(Integer dataCol, Integer dataRow, TgrPropId id, TgrPictureKind kind,
                             const Variant& value) = 0;
    virtual TgrCombo* CreateCellCombo(Integer dataCol, Integer dataRow) = 0;

    // ==== what columns and rows need besides

    // ---- numberings
    virtual Integer DataColOfDisplay(Integer displayCol) = 0;
    // The display position of a data row (through the row collection).
    virtual Integer GetDisplayRow(Integer dataRow) = 0;
    // Moves a data row to a display position.
    virtual void SetDisplayRow(Integer dataRow, Integer displayRow) = 0;
    virtual Integer FixedCols() const = 0;
    virtual Integer FirstScrollCol() const = 0;  // the left-most scrolling column shown
    virtual Integer TopRow() const = 0;          // the top-most scrolling row shown
    virtual Integer LastVisibleCol() = 0;
    virtual TgrVisibleItems* VisibleCols() = 0;
    virtual TgrVisibleItems* VisibleRows() = 0;

    // ---- current cell and editing
    virtual void RepaintFocusCell(bool drawOnly) = 0;
    virtual void InvalidateFocusCell(bool drawOnly) = 0;
    virtual bool SkipsReadOnly() = 0;
    virtual void MoveToEnterableCol(Integer displayCol, bool repaint, bool forSelection, bool skipReadOnly) = 0;
    virtual void MoveToRow(Integer displayRow, bool show, bool listBoxSelect, bool skipReadOnly) = 0;
    virtual bool CanLeaveCell(Integer dataCol, Integer dataRow, bool check) = 0;
    virtual bool IsInsertRowPos(Integer displayRow) = 0;
    virtual bool IsListBoxSelect() = 0;
    virtual void SyncListBoxSelection(bool fire) = 0;
    virtual bool IsEditMode() = 0;
    // A new maximum length of a display column reaches the active in-cell
    // control when the column is the current one and the grid edits.
    virtual void SetControlMaxLength(Integer displayCol, Integer maxLength) = 0;
    virtual void ApplyEditorMask() = 0;
    virtual void RefreshCheckBoxValues() = 0;
    // Drops stored cell values that no longer suit the control type.
    virtual void DropUnsuitedColValues(Integer dataCol) = 0;
    virtual void DropUnsuitedRowValues(Integer dataRow) = 0;
    virtual void SelectAllCurrentCell() = 0;

    // ---- combos and date-time definitions
    virtual void EnsureCombo() = 0;
    virtual void RollUpCombo(bool reset) = 0;
    virtual void ForgetActiveCombo(TgrCombo* combo) = 0;
    virtual void DropCachedDateTimeDef(TgrDateTimeDefComponent* def) = 0;

    // ---- selection and status
    virtual bool IsDisplayColSelected(Integer displayCol) = 0;
    virtual void SelectDisplayCols(Integer from, Integer to, bool select) = 0;
    virtual void DeselectDisplayCols(Integer from, Integer to) = 0;
    virtual void ShrinkRangeOffCol(Integer displayCol) = 0;
    virtual void ShrinkRangeOffRow(Integer displayRow) = 0;
    virtual void FireSelectChanged(bool byUser) = 0;
    virtual void CheckGridStatusChanged() = 0;

    // ---- sizes and scrolling
    virtual void SetColWidthEntry(Integer displayCol, Integer width) = 0;
    virtual void SetRowHeightEntry(Integer displayRow, Integer height) = 0;
    virtual void ColResized(Integer dataCol) = 0;
    virtual void RowResized(Integer dataRow) = 0;
    // Whether the user is dragging the row bar's (heading row's) edge.
    virtual bool IsSizingRowBar() = 0;
    virtual bool IsSizingHeadingRow() = 0;
    // The remembered row-bar width and heading height.
    virtual void SetRowBarWidth(Integer width) = 0;
    virtual void SetHeadingHeight(Integer height) = 0;
    // The top-left cell applied again; alreadyLocked: the caller holds an
    // update lock.
    virtual void RecheckTopLeft(bool alreadyLocked) = 0;
    virtual void LockUpdate() = 0;
    virtual void UnlockUpdate() = 0;
    virtual void UpdateScrollBars() = 0;
    virtual void InvalidateGrid() = 0;

    // ---- moving a column: the grid's display/data arrays (renumbering
    // every column's DisplayCol), visible list, widths, selection and
    // current column, then the moved notification
    virtual void MoveColIndex(Integer from, Integer to) = 0;
    // Only while some column is hidden.
    virtual void MoveVisibleCol(Integer from, Integer to) = 0;
    virtual void MoveColWidth(Integer from, Integer to) = 0;
    virtual void MoveColSelection(Integer from, Integer to) = 0;
    virtual void MoveCurrentColIndex(Integer from, Integer to) = 0;
    virtual void DoColMoved(Integer toDisplayCol, Integer count, bool byUser) = 0;

    // ---- fonts kept by columns and rows
    virtual TFont* HeadingFont() = 0;
    // The cells that keep a font object follow the grid font; False when
    // no such cell was found.
    virtual bool RefreshKeptCellFonts() = 0;
    virtual void SetKeptFontCol(Integer dataCol, bool keep) = 0;
    virtual void SetKeptFontRow(Integer dataRow, bool keep) = 0;

    // ---- rows by id (the grid's indexed row accessors; ids 2 display
    // row, 4 height, 9 selected, 10 visible and 11 changed included)
    virtual Variant GetRowProp(Integer dataRow, TgrPropId id, TgrPictureKind kind) = 0;
    virtual void SetRowProp(Integer dataRow, TgrPropId id, TgrPictureKind kind, const Variant& value) = 0;
    virtual Integer GetRowId(Integer dataRow) = 0;
    virtual TgrCombo* CreateRowCombo(Integer dataRow) = 0;
    virtual TgrGridRows* GridRows() = 0;
};
