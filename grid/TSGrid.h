#pragma once
// The grid control: a table of cells with a heading row and a row-bar
// column over the grid base, with a three-level property model (grid,
// columns and rows, single cells), in-cell editing through control
// strategies and, when StoreData is on, cell values kept by the grid
// itself. Otherwise the values come from the abstract operations that a
// descendant supplies (the data-aware grid).
//
// Numberings: display positions (0 the row bar or heading row, 1 and up as
// shown; they index the base's widths and heights) and data numbers (1 and
// up, staying with a column or row when it moves). Two arrays map display
// positions to data numbers; after creation and after a count change every
// new entry maps to itself.
//
// The grid is constructed through its constructor; the factories
// (CreateGridCols, CreateGridRows, CreateCellControls) run during
// construction, so they are the grid's own there (a descendant's
// overrides apply when it calls them again itself).

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "grid/GridButtons.h"
#include "grid/GridClassTypes.h"
#include "grid/GridCellProps.h"
#include "grid/GridCollections.h"
#include "grid/GridCombo.h"
#include "grid/GridControlTypes.h"
#include "grid/GridPaintInfo.h"
#include "grid/GridPropOwner.h"
#include "grid/GridSelection.h"
#include "grid/GRGLib.h"
#include "grid/GridTypes.h"
#include "grid/Grids_ts.h"
#include "grid/TSDateTimeDef.h"
#include "grid/TSImageList.h"
#include "grid/TSMask.h"
#include "grid/TSSetLib.h"
#include "grid/Tts2DStorage.h"
#include "platform/core/StringList.h"
#include "platform/core/Streams.h"
#include "platform/gui/Menus.h"

// What a layout holds: grid properties, column, row and cell attributes.
enum TgrPropKind { pkGrid, pkCols, pkRows, pkCells };
using TgrPropKinds = unsigned;
inline constexpr TgrPropKinds PropKindBit(TgrPropKind k) { return 1u << unsigned(k); }

// The kind a value is stored with for a control type (text 1; check: 1 for
// a string, 5 for Null, 2 otherwise; picture: 4 for a string, 3 otherwise;
// other types 0: nothing is stored).
TtsCellKind ValueKindFor(TgrControlType controlType, const Variant& value);
// Whether a stored kind suits a control type.
bool KindSuitsControl(TtsCellKind kind, TgrControlType controlType);

class QImage;
class TForm;
class TgrBaseGrid;
class TgrGridStreamComponent;
class TgrNormalButton;
class TgrFiler;
class TgrPropCollection;
class TgrColCollection;
class TgrCellCollection;

// The date-time editor that drops down for a cell, made for a date-time
// definition with the grid's date-time form as its owner: its control (if
// any) stands in that form. The grid clears its value, gives it the
// definition's settings, activates it, and hears the user's answer through
// OnAccept and OnCancel. Kind: 0 date, 1 time, 2 date and time.
class TgrDateTimeEditor {
public:
    virtual ~TgrDateTimeEditor() = default;
    virtual TControl* Control() { return nullptr; }
    virtual void TakeSettings(TgrDateTimeDefComponent* def) {}
    virtual void Reset() {}
    virtual void Activate() {}
    Variant Value;
    Integer Kind = 0;
    bool Popup = false;
    std::string Caption;
    std::function<void()> OnAccept;
    std::function<void()> OnCancel;
};
// How a program's date-time editors are made. None is registered unless a
// program supplies one; without it no date-time drop-down is offered.
using TgrDateTimeEditorFactory =
    std::function<std::unique_ptr<TgrDateTimeEditor>(TgrDateTimeDefComponent* def, TForm* form)>;
void RegisterDateTimeEditor(TgrDateTimeEditorFactory factory);
bool DateTimeEditorRegistered();
// The row bar's built-in pictures "GRDOTARROWRIGHT", "GRCHANGEDROW" and
// "GRINSERTROW" (black on white); none for another name.
TBitmap* GridRowBarBitmap(const std::string& name);

class TgrBaseGrid : public TCustomGrid_ts, public TgrPropGrid {
public:
    explicit TgrBaseGrid(TComponent* owner);
    ~TgrBaseGrid() override;

    // ------------------------------------------------ data model
    Integer DisplayColOfData(Integer dataCol) override;
    Integer DisplayRowOfData(Integer dataRow) override;
    Integer DataColOfDisplay(Integer displayCol) override;
    Integer DataRowOfDisplay(Integer displayRow);
    // Cell values (data column, data row). Without a control type Empty.
    virtual Variant GetCellValue(Integer dataCol, Integer dataRow);
    virtual void PutCellValue(Integer dataCol, Integer dataRow, const Variant& value);
    // The control type a cell is edited with: cell, then column (or row,
    // by DrawOverlap), then text.
    virtual TgrControlType EffectiveControlType(Integer dataCol, Integer dataRow);
    // Stored values (with StoreData; TSGridStoredValues.cpp). At design
    // time a picture name that the grid's image list knows is stored as a
    // key text (name, the list's index in ImageNames, the image's index), so
    // that reading it follows the image when it gets another name.
    void StoreCellValue(Integer dataCol, Integer dataRow, const Variant& value, TgrControlType controlType);
    // The stored value; a picture name is given by its image's current name
    // when its key text still points into the grid's image list (and stored
    // again when that name changed), else as the name it was stored with.
    Variant GetStoredCellValue(Integer dataCol, Integer dataRow, TgrControlType controlType);
    // The name a stored picture text stands for (see GetStoredCellValue).
    std::string ResolveStoredPictureName(Integer dataCol, Integer dataRow, const std::string& stored,
                                         TgrControlType controlType);
    // The index of the list's identifier in ImageNames, added when missing;
    // -1 for no list or a list without an identifier.
    Integer ImageListIndex(TgrImageListComponent* list);
    void DropUnsuitableValues(Integer dataCol, Integer dataRow);
    // Frees the stored values and the image names.
    void FreeStoredValues();
    void DeleteStoredColumns(Integer first, Integer last);
    void DeleteStoredRows(Integer first, Integer last);
    // StoreData, the image names and the values of another grid; at design
    // time the values move to the source's display positions.
    virtual void CopyStoredData(TgrBaseGrid* source);
    // CopyStoredData, then the stored rows and columns the source has beyond
    // this grid's counts are let go.
    virtual void CopyLayoutAndData(TgrBaseGrid* source);
    // The binary "Data" of form files and layouts. Reading switches
    // StoreData on and, while a layout is read by field name, puts each
    // column's values into the column of the same field name.
    virtual void WriteStoredData(TStream& stream);
    virtual void ReadStoredData(TStream& stream);
    // The layout column map of a layout read by field name (stream column
    // i goes to column map[i-1]; 0 drops it); none otherwise.
    void SetLayoutColumnMap(std::unique_ptr<std::vector<Integer>> map) { layoutColMap_ = std::move(map); }
    const std::vector<Integer>* LayoutColumnMap() const { return layoutColMap_.get(); }
    Tts2DStorage* Storage() const { return storage_.get(); }
    TgrCol* Col(Integer dataCol) { return gridCols_ ? gridCols_->ColAt(dataCol) : nullptr; }
    // A data column given by number (checked against the columns) or by
    // field name (an unknown one raises "Unknown field name '%s'").
    TgrCol* GetCol(const Variant& column);

    // ------------------------------------------------ errors (the text is
    // "<grid name>: <message>", in a combo grid "<owner>.Combo: <message>")
    [[noreturn]] void RaiseGridError(const std::string& message) override;
    [[noreturn]] void RaiseMaskError(const std::string& message);
    [[noreturn]] void RaiseGridErrorText(const std::string& message) { RaiseGridError(message); }
    // True when low <= index <= high; otherwise "Row index %d out of range"
    // (kind 0) or "Column index %d out of range" (kind 1).
    bool CheckColRowIndex(Integer kind, Integer index, Integer high, Integer low);
    bool CheckColRowIndex(Integer index, Integer count, TgrIndexKind kind) override;
    bool CheckNotInCellLoaded();
    bool CheckCellValueType(TgrControlType controlType, const Variant& value);
    void SetInCellLoadedEvent(bool running) { inCellLoaded_ = running; }

    // ------------------------------------------------ state queries
    bool IsDesigning() const override;
    bool IsReading() const override;
    bool IsWriting() const override;
    bool IsComboGrid() const override { return comboGrid_; }
    bool IsUpdateSuspended() const override { return updateLock_ > 0; }
    bool IsDestroying() const override { return ComponentState().Contains(csDestroying); }
    bool IsEnteringFocus() const { return enteringFocus_ != 0; }
    virtual bool CanFireEvents() const { return !ComponentState().Contains(csLoading); }
    // Makes this grid the drop-down list of another grid's combo.
    void SetOwnerGrid(TgrBaseGrid* owner) {
        ownerGrid_ = owner;
        comboGrid_ = owner != nullptr;
    }
    TgrBaseGrid* GetOwnerGrid() const { return ownerGrid_; }
    void SetDesignFlag(bool v) { designFlag_ = v; }
    void SetReadingLayout(bool v) { readingLayout_ = v; }
    void SetWritingLayout(bool v) { writingLayout_ = v; }
    bool IsReadingLayout() const { return readingLayout_; }
    bool IsWritingLayout() const { return writingLayout_; }
    // The ids a layout read by field name resets on each column it finds
    // before the column's attributes are read (empty outside such a read).
    const TgrPropIdSet& LayoutResetIds() const { return layoutResetIds_; }
    void SetLayoutResetIds(const TgrPropIdSet& ids) { layoutResetIds_ = ids; }
    bool IsEditMode() override;
    // gmEdit, gmEditInsert or gmBrowse with a normal grid status.
    bool IsEditOrBrowseMode() const;
    bool IsListBoxSelect() override;
    bool SkipsReadOnly() override;

    // ------------------------------------------------ defaults
    virtual Integer GetDefaultCols() const { return 4; }
    virtual Integer GetDefaultRows() const { return 4; }
    virtual std::string GetVersion() const { return "2.20.08"; }
    virtual void SetVersion(const std::string&) {}
    std::string Version() const { return GetVersion(); }

    // ------------------------------------------------ published properties
    Integer Cols() const override { return ColTotal() - 1; }
    // The counts take effect under an update lock too (a column rebuild
    // runs inside one); they are ignored only while columns (rows) are
    // being removed, when the counts are between two states.
    virtual void SetCols(Integer value);
    Integer Rows() const { return RowTotal() - 1 - insertRowCount_; }
    virtual void SetRows(Integer value);
    Integer DefaultColWidth() const override { return TCustomGrid_ts::DefaultColWidth(); }
    Integer DefaultRowHeight() const override { return TCustomGrid_ts::DefaultRowHeight(); }
    // The default size of the data columns (rows); the row bar keeps
    // RowBarWidth and the heading row HeadingHeight.
    void SetDefaultColWidth(Integer value);
    void SetDefaultRowHeight(Integer value);
    // One display column's width (row's height) set without the grid
    // reacting to its own change; then a hidden column stays at 0, a
    // change in the fixed columns rechecks the view and a dropped-down
    // list takes its new size. False when the width was already that.
    bool SetColWidthIfChanged(Integer displayCol, Integer width);
    bool SetRowHeightIfChanged(Integer displayRow, Integer height);
    // A border drag under rcAll (rrAll): the new default for every column
    // (row), with the dragged one kept where it began on the screen.
    void SetDefaultColWidthKeepingCol(Integer width, bool keep);
    void SetDefaultRowHeightKeepingRow(Integer height, bool keep);
    // After all columns (rows) took the size `width` (`height`): the left
    // column (top row) that keeps `col` (`row`) nearest to pixel x (y).
    virtual void ScrollColToX(Integer col, Integer width, Integer x);
    virtual void ScrollRowToY(Integer row, Integer height, Integer y);
    // How many columns (rows) of that size fit beside the fixed ones.
    Integer ColsFittingRight(Integer width);
    Integer RowsFittingBelow(Integer height, Integer y);
    bool HeadingOn() const { return headingOn_; }
    virtual void SetHeadingOn(bool value);
    Integer HeadingHeight() const { return headingHeight_; }
    void SetHeadingHeight(Integer height) override;
    bool RowBarOn() const { return rowBarOn_; }
    void SetRowBarOn(bool value);
    Integer RowBarWidth() const { return rowBarWidth_; }
    void SetRowBarWidth(Integer width) override;
    Integer FixedColCount() const { return fixedColCount_; }
    void SetFixedColCount(Integer value);
    Integer FixedRowCount() const { return fixedRowCount_; }
    virtual void SetFixedRowCount(Integer value);
    TgrGridMode GridMode() const { return gridMode_; }
    virtual void SetGridMode(TgrGridMode value);
    virtual void SetLegacyEditMode(Integer value);
    // The legacy edit mode of older form files: its identifier in any case
    // ("emnone" 0, "emeditinsert" 2, "embrowse" 3, anything else 1) and its
    // ordinal against the grid mode (gmListBox 0, gmEdit 1, gmEditInsert 2,
    // gmBrowse 3; another ordinal gives gmEdit).
    static Integer ParseEditModeName(const std::string& identifier);
    static Integer GridModeToEditMode(TgrGridMode mode) { return Integer(mode); }
    static TgrGridMode EditModeToGridMode(Integer editMode);
    // Makes the row of a data row (0 .. the last row of the base grid)
    // current in the current column, through MoveToDisplayCell; nothing for
    // another row.
    void MoveToDataRow(Integer dataRow);

#define GR_PROP(Type, Name, field)                \
    Type Name() const { return field; }           \
    void Set##Name(Type value);
    GR_PROP(TgrRowSelectMode, RowSelectMode, rowSelectMode_)
    GR_PROP(TgrColSelectMode, ColSelectMode, colSelectMode_)
    GR_PROP(TgrSelectionType, SelectionType, selectionType_)
    GR_PROP(TColor, SelectionColor, selectionColor_)
    GR_PROP(TColor, SelectionFontColor, selectionFontColor_)
    GR_PROP(bool, SelectFixed, selectFixed_)
    GR_PROP(TCursor, SelectedAreaCursor, selectedAreaCursor_)
    GR_PROP(bool, ColMoving, colMoving_)
    GR_PROP(TgrResizeCols, ResizeCols, resizeCols_)
    GR_PROP(bool, ResizeColsInGrid, resizeColsInGrid_)
    GR_PROP(bool, ResizeRowsInGrid, resizeRowsInGrid_)
    GR_PROP(TgrGridLines, GridLines, gridLines_)
    GR_PROP(TColor, LineColor, lineColor_)
    GR_PROP(TColor, FixedLineColor, fixedLineColor_)
    GR_PROP(TgrDrawOverlap, DrawOverlap, drawOverlap_)
    GR_PROP(bool, Is3D, is3D_)
    GR_PROP(bool, Heading3D, heading3D_)
    GR_PROP(TColor, HeadingColor, headingColor_)
    GR_PROP(bool, HeadingParentFont, headingParentFont_)
    GR_PROP(TgrHorzAlignment, HeadingHorzAlignment, headingHorzAlignment_)
    GR_PROP(TgrVertAlignment, HeadingVertAlignment, headingVertAlignment_)
    GR_PROP(TgrWordWrap, HeadingWordWrap, headingWordWrap_)
    GR_PROP(TgrHeadingButton, HeadingButton, headingButton_)
    GR_PROP(TgrHorzAlignment, HorzAlignment, horzAlignment_)
    GR_PROP(TgrVertAlignment, VertAlignment, vertAlignment_)
    GR_PROP(TgrVertAlignment, RowBarAlignment, rowBarAlignment_)
    GR_PROP(bool, RowBarIndicator, rowBarIndicator_)
    GR_PROP(TgrWordWrap, WordWrap, wordWrap_)
    GR_PROP(TColor, EditColor, editColor_)
    GR_PROP(TColor, EditFontColor, editFontColor_)
    GR_PROP(TgrFocusBorder, FocusBorder, focusBorder_)
    GR_PROP(TColor, FocusColor, focusColor_)
    GR_PROP(TColor, FocusFontColor, focusFontColor_)
    GR_PROP(bool, AlwaysShowEditor, alwaysShowEditor_)
    GR_PROP(bool, AlwaysShowFocus, alwaysShowFocus_)
    GR_PROP(bool, SkipReadOnly, skipReadOnly_)
    GR_PROP(bool, TabRowWrap, tabRowWrap_)
    GR_PROP(bool, WantTabs, wantTabs_)
    GR_PROP(bool, CheckMouseFocus, checkMouseFocus_)
    GR_PROP(TgrCheckBoxStyle, CheckBoxStyle, checkBoxStyle_)
    GR_PROP(TScrollStyle, ScrollBars, scrollBars_)
    GR_PROP(TScrollStyle, AlwaysShowScrollBar, alwaysShowScrollBar_)
    GR_PROP(TgrScrollSpeed, ScrollSpeed, scrollSpeed_)
    GR_PROP(bool, ThumbTracking, thumbTracking_)
    GR_PROP(bool, FlatButtons, flatButtons_)
    GR_PROP(bool, ReadOnlyButton, readOnlyButton_)
    GR_PROP(Integer, ButtonEdgeWidth, buttonEdgeWidth_)
    GR_PROP(Integer, DefaultButtonWidth, defaultButtonWidth_)
    GR_PROP(Integer, DefaultButtonHeight, defaultButtonHeight_)
    GR_PROP(Integer, SpinButtonWidth, spinButtonWidth_)
    GR_PROP(Integer, SpinButtonHeight, spinButtonHeight_)
    GR_PROP(Integer, SpinStartDelay, spinStartDelay_)
    GR_PROP(Integer, SpinRepeatDelay, spinRepeatDelay_)
    GR_PROP(TgrInactiveButtonState, InactiveButtonState, inactiveButtonState_)
    GR_PROP(bool, StretchPicture, stretchPicture_)
    GR_PROP(bool, ShrinkPicture, shrinkPicture_)
    GR_PROP(bool, CenterPicture, centerPicture_)
    GR_PROP(bool, KeepAspectRatio, keepAspectRatio_)
    GR_PROP(TColor, TransparentColor, transparentColor_)
    GR_PROP(std::string, PrintTitle, printTitle_)
    GR_PROP(Integer, PrintLinesPerPage, printLinesPerPage_)
    GR_PROP(TgrPrintMode, PrintOrientation, printOrientation_)
    GR_PROP(bool, PrintTotals, printTotals_)
    GR_PROP(Integer, PrintCols, printCols_)
    GR_PROP(bool, PrintWithGridFormats, printWithGridFormats_)
    GR_PROP(bool, ProvideGridMenu, provideGridMenu_)
#undef GR_PROP
    TgrResizeRows ResizeRows() const { return resizeRows_; }
    virtual void SetResizeRows(TgrResizeRows value);
    virtual bool GetRowMoving() const { return rowMoving_; }
    virtual void SetRowMoving(bool value);
    bool RowMoving() const { return GetRowMoving(); }
    virtual TgrCellSelectMode GetCellSelectMode() const { return cellSelectMode_; }
    virtual void SetCellSelectMode(TgrCellSelectMode value);
    TgrCellSelectMode CellSelectMode() const { return GetCellSelectMode(); }
    TgrRowChangedIndicator RowChangedIndicator() const { return rowChangedIndicator_; }
    virtual void SetRowChangedIndicator(TgrRowChangedIndicator value);
    const std::string& CheckBoxValues() const { return checkBoxValues_; }
    void SetCheckBoxValues(const std::string& value);
    TFont* HeadingFont() override { return headingFont_.get(); }
    void SetHeadingFont(const TFont& font) { headingFont_->Assign(font); }
    TgrImageListComponent* ImageList() const { return imageLink_->ImageList(); }
    void SetImageList(TgrImageListComponent* list);
    virtual TgrMaskDefsComponent* GetMaskDefs() const { return maskLink_->MaskDefs(); }
    virtual void SetMaskDefs(TgrMaskDefsComponent* defs);
    TgrDateTimeDefComponent* DateTimeDef() const { return dateTimeDef_; }
    void SetDateTimeDef(TgrDateTimeDefComponent* def);
    bool StoreData() const { return storeData_; }
    virtual void SetStoreData(bool value);
    bool GetAutoScale() const { return comboGrid_ && ownerGrid_ ? ownerGrid_->GetAutoScale() : autoScale_; }
    void SetAutoScale(bool value) {
        if (!comboGrid_) autoScale_ = value;
    }
    // With AutoScale, a scaling of the control (a form read at another
    // PixelsPerInch) also scales the heading, the row bar, the default
    // sizes, the columns, rows and cells with their own fonts, and their
    // combos' drop-down grids (TScalingFlag flags).
    void ChangeScale(int m, int d) override;
    virtual void ScaleRows(Integer m, Integer d, TScalingFlags flags);
    virtual void ScaleCols(Integer m, Integer d, TScalingFlags flags);
    virtual void ScaleCells(Integer m, Integer d, TScalingFlags flags);
    // The default row height given to combo drop-down grids.
    Integer ComboRowHeight() const { return comboRowHeight_; }
    TgrGridStatus GridStatus() const { return gridStatus_; }
    void SetGridStatus(TgrGridStatus status);
    TgrMouseStatus MouseStatus() const { return mouseStatus_; }
    void SetMouseStatus(TgrMouseStatus status);
    // Combo-grid accessors: a plain grid answers 0, False, the first member
    // or none and ignores writes; a combo's list grid keeps the values
    // (TgrComboGridOf).
    virtual Integer GetDropDownRows() const { return 0; }
    virtual void SetDropDownRows(Integer) {}
    virtual Integer GetDropDownCols() const { return 0; }
    virtual void SetDropDownCols(Integer) {}
    virtual Integer GetValueCol() const { return 0; }
    virtual void SetValueCol(Integer) {}
    virtual bool GetValueColSorted() const { return false; }
    virtual void SetValueColSorted(bool) {}
    virtual TgrComboCompareType GetCompareType() const { return ctCaseSensitive; }
    virtual void SetCompareType(TgrComboCompareType) {}
    virtual TgrComboAutoSearchType GetAutoSearch() const { return asNone; }
    virtual void SetAutoSearch(TgrComboAutoSearchType) {}
    virtual bool GetAutoFill() const { return false; }
    virtual void SetAutoFill(bool) {}
    virtual TgrConvertCase GetAutoFillConvertCase() const { return afcOnEdit; }
    virtual bool GetAutoLookup() const { return false; }
    virtual void SetAutoLookup(bool) {}
    virtual TgrDropDownStyle GetDropDownStyle() const { return ddDropDown; }
    virtual void SetDropDownStyle(TgrDropDownStyle) {}
    virtual TgrCombo* GetOwnerCombo() const { return nullptr; }
    virtual void SetOwnerCombo(TgrCombo*) {}

    // ------------------------------------------------ window side
    // The name does not change while a layout is being read.
    void SetName(const std::string& name);
    void SetParent(TWinControl* parent) override;
    // Whether the background is erased before painting: only at design time
    // (at run time painting covers the whole client area).
    bool ErasesBackground() const { return IsDesigning(); }
    // The keys the grid wants from its form: characters always, Tab in edit
    // mode or with a focus indication while WantTabs and Ctrl is not down.
    unsigned DialogCode(bool ctrlDown);
    // A focus style, not gmListBox, normal grid status (TSGridFocus.cpp).
    bool ShowsFocus();
    // A typed accelerator character: the first column (in display order)
    // whose heading has it fires the heading click; True when one did.
    bool DialogChar(char ch);
    virtual bool CanTakeFocus() { return !comboGrid_; }
    // The grid font changed: the font-follow lists and the drop-downs follow.
    void GridFontChanged();
    // The parent's font changed (the grid is told by its parent, also when
    // it gets one): the grid's own font follows with ParentFont, the
    // heading font with HeadingParentFont.
    void ParentFontChanged() override;
    // The same with the font the change carries.
    void ParentFontChangedTo(const TFont& font);
    // The font changed: the base applies it, then GridFontChanged.
    void ApplyFont() override;

    // ------------------------------------------------ timers
    // Timer 2 repeats spins, timer 3 watches the button under the mouse
    // (HotButtonTimerId); the ids start at AutoScrollTimerId, which no
    // timer uses (a drag's auto-scroll runs in a loop of its own).
    static constexpr Integer AutoScrollTimerId = 1;
    static constexpr Integer SpinTimerId = 2;
    void StartGridTimer(Integer id, bool restart, Integer interval);
    // Answers whether the timer was running.
    bool KillGridTimer(Integer id);
    bool GridTimerRunning(Integer id) const;
    Integer GridTimerInterval(Integer id) const;
    void StartSpinTimer(bool first);
    void SwitchSpinTimerToRepeat();
    bool SpinStartFlag() const { return spinStart_; }

    // ------------------------------------------------ in-cell controls
    TgrEditGridControl* EditControl() const { return editControl_.get(); }
    TgrCheckGridControl* CheckControl() const { return checkControl_.get(); }
    TgrCustomGridControl* ActiveControl() const { return activeControl_; }
    bool ControlHiddenByGrid() const { return controlHiddenByGrid_; }
    bool EditModeFlag() const { return editModeFlag_; }
    Byte EditSelectMode() const { return editSelectMode_; }
    Integer CurrentDataColValue() const { return curDataCol_; }

    // ------------------------------------------------ selection and current cell
    // Row selection by display row (sized RowCount), column selection by
    // display column (sized ColCount); index 0 is never selected.
    TgrSelection* RowSelection() const { return rowSelection_.get(); }
    TgrSelection* ColSelection() const { return colSelection_.get(); }
    TgrCurrentCell* CurrentCell() const { return currentCell_.get(); }
    // Not designing, an editing or browsing mode with a normal grid status,
    // and at least one data column and row.
    bool HasCurrentCell() const;
    // Not designing, edit mode, and at least one data column and row.
    bool CanEdit();
    bool HasWindow() const { return Widget() != nullptr; }
    virtual TgrControlType GetCurrentControlType() { return EffectiveControlType(curDataCol_, curDataRow_); }
    // Keeps value changes of the in-cell control from counting as edits
    // while a cell is loaded (False locks, True unlocks; never below 0).
    void LockEditStart(bool unlock);
    bool IsEditStartUnlocked() const { return editStartLock_ == 0; }
    // Puts a value of the current cell into the in-cell control for its
    // control type; the current cell records it as loaded. Unless a load
    // locks edit start, the value also reaches the stored cell (StoreData).
    void LoadEditorValue(const Variant& value, bool editing);
    // Starts a cell edit (and with it a row edit) of the current cell
    // through StartCellEdit; the start events may cancel it, which leaves
    // every edit flag unchanged.
    bool BeginCellEdit() { return StartCellEdit(); }
    bool IsCellEditing() const { return cellEditing_; }
    bool IsRowEditing() const { return rowEditing_; }
    // A finished cell edit changed the row being edited.
    bool IsCellModified() const { return cellModified_; }
    bool IsRowModified() const { return rowModified_; }
    // Dispatch of the edit events; each answers True when not cancelled.
    // Start events fire only when no cell (row) edit runs yet; a started
    // row edit remembers the row's stored values (StoreData) for an undo.
    virtual bool FireStartCellEdit();
    virtual bool FireStartRowEdit();
    // With StoreData the current value is stored for the cell first.
    virtual void FireCellEdit(Integer dataCol, Integer dataRow, bool byUser);
    // An exception from the handler counts as cancelled.
    virtual bool FireEndCellEdit();
    // Accepted, the remembered row values are dropped (the changes stay).
    virtual bool FireEndRowEdit();
    virtual bool FireUndoCellEdit(bool byUser);
    // Without asked, True and no event; accepted, the remembered row values
    // come back (StoreData).
    virtual bool FireUndoRowEdit(bool byUser, bool asked);
    // True when the cell edit may end: a text cell whose mask asks for
    // validation must pass its mask (OnInvalidMaskValue may accept a value
    // that fails); a completion the mask supplies is appended.
    virtual bool ValidateCellMask();
    // Ends the running row edit when OnEndRowEdit accepts; False keeps it.
    virtual bool EndRowEdit();
    // The cell edit, then (only when it ended) the row edit.
    virtual bool EndCellAndRowEdit();
    // Whether an undo now also undoes the row edit: only the cell is undone
    // while a cell edit runs after an earlier finished cell edit of the
    // row, unless the row undo is forced.
    virtual bool ShouldUndoRow(bool forceRow, bool& result);
    // Esc: undoes the cell edit and, where ShouldUndoRow says so, the row
    // edit. False when a handler cancelled (every flag stays as it was).
    bool UndoEdit(bool forceRow, bool byUser, bool& undone, bool& valueKept);
    // The row edit of a data row is over: with riOn its changed flag keeps
    // what the edit modified; every edit flag clears.
    void ClearRowEditState(Integer dataRow);
    // The in-cell control changed the current cell's value.
    void CellValueEdited(bool startEdit, bool byUser);
    // autoFill: the change inserted text, so an open combo may fill it in.
    void CellValueEdited(bool startEdit, bool byUser, bool autoFill);
    virtual bool PrepareCellEdit(Integer dataCol, bool byUser) { return true; }
    // Keyboard clipboard commands on the current cell; cut and paste only
    // for an editable text control.
    bool CopyCell();
    bool CutCell();
    bool PasteCell();
    // Makes a display cell current; a changed data cell forgets the loaded
    // value.
    virtual void ChangeCurrentCell(Integer displayCol, Integer displayRow);
    // Makes the insert-row cell of a display column current: the editor is
    // hidden, the row selection cleared, the cell scrolled into view.
    void EnterInsertRow(Integer displayCol);
    void ScrollCurrentCellIntoView();
    // The current cell lies in the view (fixed columns and rows count as
    // shown; a list box asks only for its row).
    bool CurrentCellInView();
    // Scrolls the current cell back into view along the wanted axes.
    void ScrollCurrentCellIntoView(bool horizontal, bool vertical);
    // Whether a key needs the current cell back in view across (along): not
    // for the Ctrl jumps of that axis; always with a current cell mode,
    // else only for the vertical paging and arrow keys.
    bool NeedsHorizontalFix(TShiftState shift, Word16 key);
    bool NeedsVerticalFix(TShiftState shift, Word16 key);
    // With rows selected a key move takes the selection along: the row
    // becomes the only selected one.
    void MoveRowSelectionTo(Integer displayRow);
    // Without an edit mode or a focus indication Left and Right scroll the
    // view by a column and the current cell goes with it; False when the
    // view cannot scroll that way.
    bool ScrollColumnByKey(bool right);
    // A visible column (not read-only when skipping read-only columns).
    bool IsReachableCol(Integer displayCol, bool skipReadOnly);
    // A visible row (not read-only when skipping read-only rows).
    bool IsEnterableRow(Integer displayRow, bool skipReadOnly);
    // The current cell's own draw option for a picture kind: the cell's,
    // else its column's, else dopDefault.
    TgrDrawOption CurrentDrawOption(TgrPictureKind kind);
    // A grid that keeps its row selection elsewhere (by record) answers
    // these itself.
    virtual bool IsDisplayRowSelected(Integer displayRow) const { return rowSelection_->IsSelected(displayRow); }
    virtual bool AnyRowSelected() const { return rowSelection_->Count() > 0; }
    virtual void SelectDisplayRows(Integer from, Integer to);
    virtual void DeselectDisplayRows(Integer from, Integer to);
    virtual void DeselectAllRows();

    // ------------------------------------------------ TgrPropGrid
    Integer ColCount() const override { return ColTotal(); }
    Integer RowCount() const override { return RowTotal(); }
    Integer CurrentDisplayCol() const override { return curDisplayCol_; }
    Integer CurrentDisplayRow() const override { return curDisplayRow_; }
    Integer CurrentDataCol() override { return curDataCol_; }
    Integer CurrentDataRow() override { return curDataRow_; }
    Integer RequestedDefaultRowHeight() const override { return savedDefaultRowHeight_; }
    Integer DisplayColWidth(Integer displayCol) const override { return GetColWidthAt(displayCol); }
    Integer DisplayRowHeight(Integer displayRow) const override { return GetRowHeightAt(displayRow); }
    Integer DataColWidth(Integer dataCol) override;
    bool InvalidateCellUnlessPainting(Integer displayCol, Integer displayRow) override;
    bool InvalidateColUnlessPainting(Integer displayCol) override;
    bool InvalidateRowUnlessPainting(Integer displayRow) override;
    void InvalidateDisplayCell(Integer displayCol, Integer displayRow) override;
    void InvalidateCol(Integer displayCol) override;
    void InvalidateRow(Integer displayRow) override;
    void InvalidateCellFocusFrame(Integer displayCol, Integer displayRow, bool drawOnly) override;
    void ResetCellControl(bool refresh) override;
    bool IsDrawingProperty(TgrPropId id) override { return IsDrawingPropId(id); }
    void CellMaskChanged(Integer dataCol, const Variant& dataRow) override;
    // The cell property set reports each record it makes or frees: the
    // record's data row enters (leaves) the set of its data column and its
    // data column the set of its data row; a set made on first use is freed
    // when it empties.
    void IndexCellElement(TgrCellElement* element) override { IndexCellRecord(element); }
    void UnindexCellElement(TgrCellElement* element) override { UnindexCellRecord(element); }
    void IndexCellRecord(TgrCellElement* element);
    void UnindexCellRecord(TgrCellElement* element);
    // The sets of data columns and rows follow the counts: new entries are
    // empty, entries beyond a lower count go (kept at design time).
    void ResizeIntegerSets(Integer oldColCount, Integer oldRowCount);
    // Whether any cell record lies in a data column or data row.
    bool ColHasCellRecords(Integer dataCol) const;
    bool RowHasCellRecords(Integer dataRow) const;
    void ClearCellElementCache() override { cellCacheInvalid_ = true; }
    TgrCoordList& KeptFontCells() override { return fontCells_; }
    TgrCellPropSet* CellPropSet() override { return cellProps_.get(); }
    TFont* GridFont() override { return Font(); }
    TFont* EffectiveCellFont(Integer dataCol, Integer dataRow) override;
    TgrCombo* CreateCombo() override;
    // The drop-down grid of a combo; a plain grid cannot make one.
    virtual TgrBaseGrid* CreateComboGrid();
    void FreeComboObject(TgrCombo* combo) override;
    TgrDropDownStyle ComboDropDownStyle(const TgrCombo* combo) const override;
    void SetComboDropDownStyle(TgrCombo* combo, TgrDropDownStyle style) override;
    void AssignComboSettings(TgrCombo* dest, const TgrCombo* source) override;
    void SetComboDropDownWidth(TgrCombo* combo, Integer width) override;
    void RollUpComboIfActive(TgrCombo* combo, bool reset) override;
    void ForgetActiveDateTimeDef() override {}
    void ForgetDateTimeDefIfActive(TgrDateTimeDefComponent*) override {}
    void UnlinkDateTimeDef(TgrDateTimeDefComponent* def) override;
    void UseDateTimeDef(TgrDateTimeDefComponent* def) override;
    // A date-time definition component goes away: the grid, its columns,
    // rows and cells drop every reference to it.
    void DateTimeDefRemoved(TgrDateTimeDefComponent* def);
    // Clear the DateTimeDef of every row object / cell record that refers
    // to def.
    virtual void ReleaseRowDateTimeDef(TgrDateTimeDefComponent* def);
    virtual void ReleaseCellDateTimeDef(TgrDateTimeDefComponent* def);
    Variant GetCellProp(Integer dataCol, Integer dataRow, TgrPropId id, TgrPictureKind kind) override;
    void SetCellProp(Integer dataCol, Integer dataRow, TgrPropId id, TgrPictureKind kind,
                     const Variant& value) override;
    TgrCombo* CreateCellCombo(Integer dataCol, Integer dataRow) override;
    Integer GetDisplayRow(Integer dataRow) override { return DisplayRowOfData(dataRow); }
    void SetDisplayRow(Integer dataRow, Integer displayRow) override;
    Integer GetDisplayCol(Integer dataCol) { return DisplayColOfData(dataCol); }
    Integer FixedCols() const override { return FixedColTotal(); }
    Integer FirstScrollCol() const override { return TopLeftCell().Col; }
    Integer TopRow() const override { return TopLeftCell().Row; }
    Integer LastVisibleCol() override;
    TgrVisibleItems* VisibleCols() override { return visibleCols_.get(); }
    TgrVisibleItems* VisibleRows() override { return visibleRows_.get(); }
    void RepaintFocusCell(bool updateNow) override;
    void InvalidateFocusCell(bool updateNow) override;
    void MoveToEnterableCol(Integer displayCol, bool repaint, bool forSelection, bool skipReadOnly) override;
    virtual void MoveToRow(Integer displayRow, bool show, bool listBoxSelect, bool skipReadOnly) override;
    // Leaving for another row ends the cell and row edit, for another
    // column of the row the cell edit; False when a handler refuses.
    virtual bool CanLeaveCell(Integer dataCol, Integer dataRow, bool check) override;
    bool IsInsertRowPos(Integer displayRow) override;
    // The insert-row position while the empty insert row is shown there.
    bool IsInsertRow(Integer displayRow) { return insertRowCount_ > 0 && IsInsertRowPos(displayRow); }
    // In list-box selection (gmListBox, rsSingle) the current row is the one
    // selected row.
    virtual void SyncListBoxSelection(bool fire) override;
    void SetControlMaxLength(Integer displayCol, Integer maxLength) override;
    // The in-cell editor takes the current cell's mask name.
    void ApplyEditorMask() override;
    void RefreshCheckBoxValues() override;
    void DropUnsuitedColValues(Integer dataCol) override { DropUnsuitableValues(dataCol, -1); }
    void DropUnsuitedRowValues(Integer dataRow) override { DropUnsuitableValues(-1, dataRow); }
    void SelectAllCurrentCell() override;
    // Makes the grid's working combo (through CreateCombo) when it has
    // none: the list a combo cell drops down when no cell, row or column of
    // it has a combo of its own. Nothing in a combo's own list grid.
    void EnsureCombo() override;
    // The working combo, made on first use.
    TgrCombo* GetCombo();
    // A new combo's settings: at design time a list of 4 rows and 2
    // columns showing 2 columns, at run time no rows and 1 column (the
    // combo-init notification fills it), 4 drop-down rows, value column 1,
    // case-insensitive compares, no stored values. Nothing for none.
    virtual void InitComboGrid(TgrCombo* combo);
    // A new combo list's look and behaviour: this grid's colours, cursor,
    // button sizes, selection and font, the combo row height, no heading
    // and no row bar, a vertical scroll bar; at run time a list box with
    // single row selection, at design time an editable grid.
    virtual void InitComboGridDefaults(TgrBaseGrid* list);
    // Closes the drop-down; accept takes the list's current value into the
    // current cell.
    void RollUpCombo(bool reset) override;
    void ForgetActiveCombo(TgrCombo* combo) override;
    void DropCachedDateTimeDef(TgrDateTimeDefComponent*) override {}
    bool IsDisplayColSelected(Integer displayCol) override;
    void SelectDisplayCols(Integer from, Integer to, bool select) override;
    void DeselectDisplayCols(Integer from, Integer to) override { SelectDisplayCols(from, to, false); }
    // Kinds 0 (rows), 1 (columns), 2 (cells) in this order, each through
    // FireSelectChangedKind, which clears a set mark and fires for it.
    void FireSelectChanged(bool byUser) override;
    void FireSelectChangedKind(Integer kind, bool byUser);
    // Fires OnGridStatusChanged when the status differs from the one last
    // reported; a status other than normal drops the current cell's value.
    void CheckGridStatusChanged() override;
    // ---- selection painting: the cells whose selection state changes are
    // repainted (positions scrolled away between the fixed lines and the
    // view end at the last fixed line). On a given canvas the cells are
    // drawn at once in the given state, leaving the excluded rectangle
    // alone; without one the window's area is invalidated and painted at
    // the next paint message.
    virtual void PaintCellRange(Integer left, Integer top, TCanvas* dc, bool selected, const TRect& exclude,
                                Integer bottom, Integer right);
    void PaintCell(Integer col, Integer row, TCanvas* dc, bool selected, const TRect& exclude);
    // Area 1 the heading cell, 2 the fixed data rows and the rows in view,
    // 3 both.
    void PaintColSelection(Integer displayCol, Integer area, TCanvas* dc, bool selected);
    virtual void PaintRowSelection(Integer displayRow, bool selected, TCanvas* dc);
    void PaintRowBarSelection(bool selected);
    // Called with the new range before the grid stores it: only the strips
    // whose state changes are repainted, by the kind of selection.
    void PaintSelectionTransition(Integer left, Integer top, Integer bottom, Integer right);
    void RepaintCellRangeChange(Integer left, Integer top, Integer bottom, Integer right);
    void RepaintColRangeChange(Integer left, Integer top, Integer bottom, Integer right);
    void RepaintRowRangeChange(Integer left, Integer top, Integer bottom, Integer right);
    // A range limited to the scrolling part in view; the last column and
    // row with pixels on the screen.
    void ClampRangeToView(Integer& left, Integer& top, Integer& bottom, Integer& right, Integer& lastCol,
                          Integer& lastRow);
    void SetColWidthEntry(Integer displayCol, Integer width) override { SetColWidthIfChanged(displayCol, width); }
    void SetRowHeightEntry(Integer displayRow, Integer height) override { SetRowHeightIfChanged(displayRow, height); }
    virtual void ColResized(Integer dataCol) override { DoColResized(dataCol); }
    virtual void RowResized(Integer dataRow) override { DoRowResized(dataRow); }
    // The row bar's width is being dragged.
    bool IsSizingRowBar() override { return sizingRowBar_; }
    bool IsSizingHeadingRow() override { return sizingHeading_; }
    void LockUpdate() override { ++updateLock_; }
    // Stops (False) or allows again (True) the window's redrawing; locks
    // nest, an unlock at 0 stays at 0, and whenever no lock is left the
    // grid repaints at once.
    void LockPaint(bool unlock);
    bool IsPaintUnlocked() const { return paintLock_ == 0; }
    // Layout suspension (begin True, end False): while it holds, the
    // in-cell control is hidden, updates are locked and top-left work is
    // noted instead of done; when the last suspension ends the notes are
    // applied, the control comes back and the grid repaints once. Reading
    // from a form file counts as suspended too.
    void SuspendLayout(bool begin = true);
    void ResumeLayout() { SuspendLayout(false); }
    bool IsLayoutSuspended() const { return layoutSuspend_ > 0 || IsReading(); }
    // Runs the top-left work noted while layout was suspended.
    void ApplyPendingLayout();
    // Drop-down resizing waits while this lock is held (False locks, True
    // unlocks; an unlock at 0 stays at 0).
    void LockDropDownSize(bool unlock);
    bool IsDropDownSizeUnlocked() const { return dropDownSizeLock_ == 0; }
    // A combo's list grid fits its open drop-down to cols columns and rows
    // rows; nothing while its drop-down size lock is held, and deferred to
    // the release of its update lock while one is held.
    void UpdateDropDownSize(Integer cols, Integer rows);
    // A combo grid shown on the designed form (visible, with a visible
    // parent, designing) whose drop-down sizing is not locked.
    bool IsDesignDropDownShown() const;
    // The window's paint message: nothing while painting is suppressed or
    // cannot run now (the invalid area waits); otherwise the paint, then
    // AfterPaint, also when the paint raises.
    void Update() override;
    // Skipped while updates are suspended; the last unlock repaints then.
    void Invalidate() override;
    void SuspendPainting() { LockPaint(false); }
    void ResumePainting() { LockPaint(true); }
    void UnlockUpdate() override;
    // ---- scroll limits (TSGridScrollLimits.cpp). The view never scrolls
    // past the point where the last enterable row (column) would leave
    // empty space at the bottom (right); each limit is 0 without a window,
    // the ...Pos ones are positions in the visible-row (column) list.
    Integer GetMaxTopRow();
    Integer GetMaxTopRowPos();
    Integer GetMaxLeftCol();
    Integer GetMaxLeftColPos();
    TCellCoord_ts GetMaxTopLeft();
    // The display row (column) a scroll-bar request asks for.
    Integer VertScrollTarget(TgrScrollCode code, Integer pos);
    Integer HorzScrollTarget(TgrScrollCode code, Integer pos);
    // A scroll-bar request: the grid takes the focus first, then the view
    // moves to the target within the limits.
    virtual void HandleVertScroll(TgrScrollCode code, Integer pos);
    virtual void HandleHorzScroll(TgrScrollCode code, Integer pos);
    // The in-cell control goes off the screen for a scroll (and, asked in
    // edit mode, the current cell is invalidated); AfterScroll brings it back.
    void BeforeScroll(bool invalidateCurrent);
    void AfterScroll() { RefreshCellControl(); }
    // The reaction to a moved view: pulled back within the limits, then the
    // top-left change reported once.
    void ClampTopLeft();
    // Reports a top-left change since the last report (DoTopLeftChanged).
    virtual void CheckTopLeftChanged(bool byUser);
    // The top-left cell applied again (within the limits), under an update
    // lock unless the caller holds one; noted while layout is suspended.
    void RecheckTopLeft(bool alreadyLocked) override;

    // ---- scrolling (TSGridScrolling.cpp). The top-left cell moves within
    // the limits onto visible lines; the pixels that stay on the screen
    // are moved and only the uncovered strips repainted.
    // The base's top-left move reaches the grid's own (SetTopLeft).
    void SetTopLeftCell(Integer col, Integer row) override { SetTopLeft(col, row); }
    virtual void SetTopLeft(Integer col, Integer row);
    // For one move of the view, the previous current cell (smKeepCell) or
    // row (smKeepRow), which is repainted anyway, is not moved first.
    void SetScrollMode(TgrScrollMode mode);
    void ResetScrollMode() { scrollMode_ = smPlain; }
    TgrScrollMode ScrollMode() const { return scrollMode_; }
    void ScrollWithMode(Integer col, Integer row, TgrScrollMode mode);
    // Area scrolls by a pixel amount (negative: the content moves up/left).
    void ScrollRowAreaUp(Integer dy);
    void ScrollRowAreaDown(Integer dy);
    void ScrollColAreaLeft(Integer dx);
    void ScrollColAreaRight(Integer dx);
    void ScrollRowAreaAroundCell(Integer dy);
    void ScrollColAreaAroundCell(Integer dx);
    void ScrollRowAreaAroundRow(Integer dy);
    // The bottom of the last shown row (with its line), at most the client
    // height; the extent of the rows (columns) that stay whole after an
    // area scroll by amount.
    Integer GetRowsBottom();
    Integer GetRowAreaExtent(Integer amount);
    Integer GetColAreaExtent(Integer amount);
    // Moves the pixels of a client rectangle (also the clip) by amount.
    void ScrollClientArea(Integer left, Integer top, Integer right, Integer bottom, Integer amount, bool horizontal);
    // One auto-scroll step's wait by ScrollSpeed: True once it has run out
    // (the next wait starts afresh), False while it runs (it goes on from
    // the same start at the next call). Direction 0 horizontal, 1
    // vertical, 2 both.
    bool ScrollDelayElapsed(Integer screenX, Integer screenY, Integer direction);
    TRect PrevCellRect() const { return prevCellRect_; }
    TRect PrevRowRect() const { return prevRowRect_; }

    // ---- scroll bars (TSGridScrollBars.cpp). Positions count visible
    // scrolling items; past kMaxScrollPos positions they are scaled into
    // 0..kMaxScrollPos.
    static constexpr Integer kMaxScrollPos = 32767;
    struct TgrScrollFigures {
        Integer Positions = 0, Range = 0, First = 0, Count = 0;
        bool Scaled = false;
    };
    // Shows each bar that ScrollBars allows while its items do not fit (or,
    // disabled, while AlwaysShowScrollBar asks for it); deferred while the
    // grid cannot paint.
    void UpdateScrollBars() override;
    // The bars' positions follow the top-left cell.
    virtual void UpdateScrollPos();
    virtual void GetHorzScrollRange(Integer& positions, Integer& range, Integer& first, Integer& count, bool& scaled);
    virtual void GetVertScrollRange(Integer& positions, Integer& range, Integer& first, Integer& count, bool& scaled);
    TgrScrollFigures ScrollFigures(bool vertical);
    virtual Integer GetHorzScrollPos();
    virtual Integer GetVertScrollPos();
    virtual Integer GetVertScrollPage(Integer range, Integer positions, Integer count);
    TScrollInfo BuildScrollInfo(TScrollBarKind bar);
    TScrollInfo ReadScrollInfo(TScrollBarKind bar) const { return GetScrollInfo(bar); }
    virtual bool NeedsHorzScrollBar(Integer clientWidth);
    virtual bool NeedsVertScrollBar(Integer clientHeight);
    virtual bool IsHorzScrollBarNeeded();
    virtual bool IsVertScrollBarNeeded();
    bool AlwaysShowsHorzBar() const;
    bool AlwaysShowsVertBar() const;
    void ShowHorzScrollBar(bool needed);
    void ShowVertScrollBar(bool needed);
    Integer GetHorzScrollBarHeight() const { return ScrollBarThickness; }
    Integer GetVertScrollBarWidth() const { return ScrollBarThickness; }
    // The list position a bar position stands for (the thumb mapped back).
    Integer ListPosOfScrollPos(bool vertical, Integer pos);

    // ---- cell geometry (TSGridGeometry.cpp); display positions, client
    // pixels. The left (top) pixel of a shown column (row), -1 when it is
    // hidden, scrolled out or beyond the client area.
    Integer GetColLeft(Integer displayCol);
    Integer GetRowTop(Integer displayRow);
    // The cell's pixels cut to the client area; empty when not shown.
    TRect CellRectRaw(Integer displayCol, Integer displayRow);
    // CellRectRaw without the cell's grid lines (a cell cut by the client
    // edge keeps its last pixels); all zero when nothing of it shows.
    TRect CellRect(Integer displayCol, Integer displayRow);
    TRect CellRangeRect(Integer col1, Integer row1, Integer col2, Integer row2);
    // Whether any of a rectangle lies in the canvas's clip rectangle.
    bool IsRectInClip(const TRect& rect);
    // The display column (row) under a client pixel; -1 outside the client
    // area or the cells.
    Integer ColAtX(Integer x);
    Integer RowAtY(Integer y);
    using TCustomGrid_ts::CellAtPoint;
    TCellCoord_ts CellAtPoint(Integer x, Integer y) { return {ColAtX(x), RowAtY(y)}; }
    // As CellAtPoint, a point beyond the last cell giving the last one and
    // one before the first the row bar (heading).
    TCellCoord_ts CellAtPointClamped(Integer x, Integer y);
    // The visible display column (row) nearest to a target, searched away
    // from the view's side; False when none.
    bool FindVisibleCol(Integer target, Integer& col) { return FindVisibleLine(false, target, col); }
    bool FindVisibleRow(Integer target, Integer& row) { return FindVisibleLine(true, target, row); }
    // The first scrolling column (row), past a hidden one.
    Integer GetFirstScrollingCol();
    Integer GetFirstScrollingRow();
    // Invalidates from a data column (row) to the client's right (bottom)
    // edge, or the whole grid when it lies left of (above) the view.
    void InvalidateFromCol(Integer dataCol);
    void InvalidateFromRow(Integer dataRow);
    void InvalidateCellAt(Integer displayCol, Integer displayRow) { InvalidateDisplayCell(displayCol, displayRow); }
    // The display cell current before the last change of the current cell.
    TCellCoord_ts PreviousCell() const { return prevDisplayCell_; }
    void InvalidateGrid() override { Invalidate(); }
    void MoveColIndex(Integer from, Integer to) override;
    void MoveVisibleCol(Integer from, Integer to) override;
    void MoveColWidth(Integer from, Integer to) override;
    void MoveColSelection(Integer from, Integer to) override;
    void MoveCurrentColIndex(Integer from, Integer to) override;
    // Every cell that keeps its own font object refreshes it from the grid
    // font (after the grid font or a column or row font changed).
    bool RefreshKeptCellFonts() override;
    void SetKeptFontCol(Integer dataCol, bool keep) override;
    void SetKeptFontRow(Integer dataRow, bool keep) override;
    Variant GetRowProp(Integer dataRow, TgrPropId id, TgrPictureKind kind) override;
    void SetRowProp(Integer dataRow, TgrPropId id, TgrPictureKind kind, const Variant& value) override;
    Integer GetRowId(Integer dataRow) override { return gridRows_->RowId(dataRow); }
    // A cell's property record through the one-entry cache; with index
    // checks a column or row outside the grid raises. None when the cell
    // has none. Every cell-level lookup of the attribute resolution goes
    // through it, so a descendant that keys cells otherwise (by record)
    // answers here.
    virtual TgrCustomPropElement* FindCellElement(Integer dataCol, Integer dataRow, bool checkIndexes);
    // Makes the record of a cell and adds it to the cell property set.
    virtual TgrCustomPropElement* CreateCellElement(Integer dataCol, Integer dataRow);
    // The chosen properties of every column, row and cell back to their
    // defaults (id 9 deselects; under rcAll / rrAll the width / height
    // goes back to the shared default).
    void ResetProperties(const TgrPropIdSet& ids);
    void ResetColProperties(const TgrPropIdSet& ids);
    virtual void ResetRowProperties(const TgrPropIdSet& ids);
    virtual void ResetCellProperties(const TgrPropIdSet& ids);
    // The data row (column) whose stable id is `id`; -1 when none has it.
    virtual Integer DataRowOfRowId(Integer id);
    virtual Integer DataColOfColId(Integer id);
    TgrCombo* CreateRowCombo(Integer dataRow) override { return CreateCombo(); }
    TgrGridRows* GridRows() override { return gridRows_.get(); }
    TgrGridCols* GridCols() { return gridCols_.get(); }
    bool IsRowChanged(Integer dataRow) const;
    void SetRowChanged(Integer dataRow, bool changed);

    // ------------------------------------------------ combos
    // The combo a data cell has of its own: the cell's when the cell's own
    // button is a combo and it does not take its parent's (or designing),
    // else by DrawOverlap the row's or the column's; none outside the data
    // cells or when the working combo serves the cell.
    virtual TgrCombo* FindCellCombo(Integer dataCol, Integer dataRow);
    // The combo governing a data cell: FindCellCombo's, else the working
    // combo for a cell whose button is a combo.
    TgrCombo* EffectiveCombo(Integer dataCol, Integer dataRow);
    // The cell, row or column combo the current combo selection was taken
    // from (none while the working combo serves). ForgetSourceCombo forgets
    // it; ReleaseSourceCombo only when it is the given combo.
    TgrCombo* SourceCombo() const { return sourceCombo_; }
    void ForgetSourceCombo() { sourceCombo_ = nullptr; }
    void ReleaseSourceCombo(const TgrCombo* combo) {
        if (combo && combo == sourceCombo_) sourceCombo_ = nullptr;
    }
    // The working combo back to its defaults, the combo selection ended and
    // the source combo forgotten; nothing in a combo grid.
    void ResetWorkingCombo();
    // Drops the current cell's combo list down below the cell (F4, Alt+Down,
    // a click on its button); False when the cell has no usable combo.
    bool DropDownCombo();
    TgrCombo* DroppedCombo() const { return droppedCombo_; }
    // A list about to drop down opens at its top on its first row
    // (OpenListAtFirstRow); once placed it shows the cell's value in view
    // (ShowCellValueInList: by the combo's search, else the row whose whole
    // text the cell holds). A data-aware grid places its lists on the
    // record itself.
    virtual void OpenListAtFirstRow(TgrCombo* combo);
    virtual void ShowCellValueInList(TgrCombo* combo);
    // Places the drop-down window of width x height below the current cell
    // (above it when there is no room below), inside the work area of the
    // cell's screen, and fits the list into it.
    void PositionComboDropDown(TgrBaseGrid* list, Integer width, Integer height);
    // The date-time definition of a data cell: cell, row and column in
    // DrawOverlap order, then the grid's.
    TgrDateTimeDefComponent* EffectiveDateTimeDef(Integer dataCol, Integer dataRow);
    // A date-time drop-down is offered only with a registered editor, a
    // date-time button and a definition for the cell.
    virtual bool CanDropDownDateTime(Integer dataCol, Integer dataRow);
    // The current cell's date-time editor opens (the open drop-downs close
    // first); False when the cell offers none or the editor did not open.
    bool DropDownDateTime();
    // A press on a date-time button: the drop-down of that cell closes when
    // it is open, else the current cell's opens.
    bool ToggleDateTimeDropDown(Integer dataCol, Integer dataRow);
    // The steps of an opening: the cell's definition (another one than the
    // editor's last makes the editor start afresh), the init notification
    // once per opening, the drop-down notification with the drop-down cell
    // recorded, the registered editor shown at the cell.
    bool ShowDateTimeDropDown(Integer dataCol, Integer dataRow);
    TgrDateTimeDefComponent* PrepareDateTimeEditor(Integer dataCol, Integer dataRow);
    void InitDateTimeEditor(Integer dataCol, Integer dataRow, TgrButtonType type);
    void ResetDateTimeEditor();
    void BeginDateTimeDropDown(Integer dataCol, Integer dataRow);
    // The roll-up notification for the recorded drop-down cell, forgotten.
    void EndDateTimeDropDown();
    bool IsDateTimeDropDownShown() const;
    // Whether the last opening was of a popup (btDateTimePopup) cell.
    bool IsDateTimePopup() const { return dateTimePopup_; }
    bool CloseDateTimeDropDown(bool reactivate, bool update);
    // The editor's value as the get-value notification leaves it, a date
    // or number as text in the format of the editor's kind.
    Variant GetDateTimeEditorValue(Integer dataCol, Integer dataRow);
    // The registered editor hands back its result. Accepted, a value (not
    // Empty) goes into the current cell as an edit by the user, after the
    // get-value notification and a check against the cell's control type
    // (which raises on a mismatch); the drop-down ends with its roll-up
    // notification either way. False when the value was not taken.
    // Cancelled, the drop-down closes and nothing changes.
    bool ApplyDateTimeValue();
    void CancelDateTimeValue();
    // The drop-down window while one exists; GetDropDownForm makes it on
    // first use and gives it InitDropDownForm (hidden, disabled until a
    // list drops down, at the grid's Left, in the grid's font).
    TForm* DropDownForm() const { return dropDownForm_; }
    TForm* GetDropDownForm();
    virtual void InitDropDownForm(TForm* form);
    bool IsComboDropDownShown() const;
    bool IsAnyDropDownShown() const;
    // A press on a combo button: the list of that cell goes up when it is
    // down, else the open drop-downs close and the cell's list drops down.
    bool ToggleComboDropDown(Integer dataCol, Integer dataRow);
    // Closes the combo drop-down without taking a value, updating the
    // window when asked and bringing the grid's form back to the front
    // when it is the active one (reactivate); whether it was shown.
    bool CloseComboDropDown(bool reactivate, bool update);
    // Closes the open drop-down without taking a value: the combo's, else
    // the date-time one with its roll-up notification.
    void CloseDropDowns(bool reactivate = false);
    // Whether the combo list of that data cell is down.
    bool IsDroppedDownAt(Integer dataCol, Integer dataRow) const {
        return droppedCombo_ && dropDownCol_ == dataCol && dropDownRow_ == dataRow;
    }
    // The grid's window, a control inside it or its drop-down window.
    bool IsOwnWindow(const QWidget* window) const;
    // The combo of the current cell is taken up for typing and searching:
    // once per cell the combo-init notification fires.
    void SelectComboForCell(Integer dataCol, Integer dataRow);
    // The list grid of the combo selected for the current cell, if any.
    TgrBaseGrid* SelectedComboGrid() const;
    // The drop-down notifications: once per opening, each fires exactly one
    // drop-down and one roll-up.
    void InitComboForCell(Integer dataCol, Integer dataRow);
    void EndComboForCell();
    // Compares at most length characters (0: both empty give 0, a
    // non-empty first text 1, else -1).
    Integer ComboCompare(const std::string& first, const std::string& second, Integer length);
    bool ComboTextEquals(const std::string& first, const std::string& second);
    // The list row whose value-column text best matches text (the longest
    // matching prefix; full asks the whole text to match); found tells
    // whether one did.
    Integer FindComboRow(const std::string& text, bool full, bool& found);
    Integer FindNextComboRow(const std::string& key, bool& found);
    Integer ComboSearchSameKey(const std::string& key, bool& found);
    Integer ComboIncrementalSearch(const std::string& key, bool& found);
    void ExpireComboSearchText();
    const std::string& ComboSearchText() const { return comboSearchText_; }
    // The value a typed character picks from the list (Empty for none).
    virtual Variant ComboSearchKey(char key);
    // Typed keys search the combo of a ddDropDown cell only where a
    // descendant answers True (for the cell's column, or for the key).
    virtual bool SearchesWhileTyping(Integer dataCol) { return false; }
    virtual bool ComboAcceptsKey(char key) { return SearchesWhileTyping(curDataCol_); }
    // Makes a list row current and scrolls it by AutoSearch.
    void SelectComboRow(Integer row);
    virtual void LocateComboRow();
    // Fills the cell's text in from the list; True when a row was found.
    virtual bool ComboAutoFill(bool onExit);
    void AutoFillCellText(const Variant& value, TgrConvertCase convertCase, bool onExit);
    // The value of the list's current row in a value column (Empty without
    // a current row).
    virtual Variant GetComboValue(Integer valueCol);
    // Puts a value picked from the list into the current cell.
    virtual void ApplyComboValue(const Variant& value);
    // The combo notifications a descendant turns into its events.
    virtual void FireComboInit(Integer dataCol, const Variant& dataRow) {}
    virtual void FireComboDropDown(Integer dataCol, const Variant& dataRow) {}
    virtual void FireComboRollUp(Integer dataCol, const Variant& dataRow) {}
    virtual void FireComboGetValue(Integer dataCol, const Variant& dataRow, Integer comboRow, Variant& value) {}
    // Sizes of a combo grid showing a number of its columns and rows (0 or
    // less: the grid's own width or height).
    virtual Integer CalcDropDownWidth(Integer cols);
    virtual Integer CalcDropDownHeight(Integer rows);
    void CalcDropDownSize(Integer cols, Integer rows, Integer& width, Integer& height);

    // ------------------------------------------------ grid menu
    // Items the grid adds to a menu carry this tag.
    static constexpr Integer GridMenuTag = 999;
    // Adds "Preview Grid...", "Print Grid..." and "Export Grid..." (after a
    // separator in an assigned PopupMenu) once per menu.
    virtual void AddGridMenuItems(TPopupMenu* menu);
    // Makes the grid's own popup menu with its items.
    virtual void CreateGridMenu();
    // Shows the assigned PopupMenu with the grid's items, or the grid's own
    // menu, at a client point.
    virtual void ShowGridMenu(Integer x, Integer y);
    TPopupMenu* GridMenu() const { return gridMenu_; }

    // ------------------------------------------------ layout streams and files
    // Writes the chosen kinds of the layout (each attribute only when its
    // property id is chosen) and, with saveData, the stored cell values.
    virtual void SaveLayoutToStream(TStream& stream, TgrPropKinds kinds, bool saveData, const TgrPropIdSet& ids);
    virtual void SaveLayoutToStreamAll(TStream& stream, bool saveData);
    // Reads a layout back; a stream that is not a layout, holds an unknown
    // name or a count out of range raises EReadError.
    virtual void LoadLayoutFromStream(TStream& stream, bool byDataCol);
    virtual void SaveLayoutToFile(const std::string& fileName, TgrPropKinds kinds, bool saveData,
                                  const TgrPropIdSet& ids);
    virtual void LoadLayoutFromFile(const std::string& fileName, bool byDataCol);
    // A layout in a registry value (key path "\\\\HKEY_CURRENT_USER\\..."): the
    // key is made when missing ("Registry Create Failed" when it cannot
    // be); with a file name the layout goes to that file and the value holds
    // its full path, otherwise the value holds the layout's bytes.
    virtual void SaveLayoutToRegistry(const std::string& keyPath, const std::string& valueName, bool saveData,
                                      const TgrPropIdSet& ids, TgrPropKinds kinds, const std::string& fileName);
    virtual void SaveLayoutToRegistryAll(const std::string& keyPath, const std::string& valueName, bool saveData,
                                         const std::string& fileName);
    // False (and nothing made) when the key or value is missing, the path is
    // empty or the value is of another type.
    virtual bool LoadLayoutFromRegistry(const std::string& keyPath, const std::string& valueName, bool byDataCol);
    // The component a layout is written as and read through; a descendant
    // that keeps more in its layouts supplies its own.
    virtual std::unique_ptr<TgrGridStreamComponent> CreateStreamComponent();
    // A new, hidden grid of this grid's kind for layout work (a copy to
    // write from, a fresh layout to reset to); the caller owns it.
    virtual TgrBaseGrid* CreateLayoutGrid();
    // Resets the chosen kinds of the layout to a new grid's.
    void ResetLayoutToDefaults(TgrPropKinds kinds);
    // Every kind of the layout back to a new grid's, stored values too.
    // Every kind of the layout (grid, columns, rows, cells) and the stored
    // values back to those of a new grid of the same kind; a combo grid
    // takes them from a new list of its owner's combo grid class.
    virtual void ResetAllProperties();

    // ------------------------------------------------ attributes by row and by cell
    // What a row (data row) or a cell (data column, data row) holds itself,
    // with the not-set answer when it has no row object or cell record.
    // The data-aware grid overrides them to key them by record.
    virtual TColor GetRowColor(Integer dataRow);
    virtual TFont* GetRowFont(Integer dataRow);
    virtual bool GetRowParentFont(Integer dataRow);
    virtual TgrHorzAlignment GetRowHorzAlignment(Integer dataRow);
    virtual TgrVertAlignment GetRowVertAlignment(Integer dataRow);
    virtual TgrWordWrap GetRowWordWrap(Integer dataRow);
    virtual TgrButtonType GetRowButtonType(Integer dataRow);
    virtual TgrDropDownStyle GetRowDropDownStyle(Integer dataRow);
    virtual bool GetRowIs3D(Integer dataRow);
    virtual std::string GetRowMaskName(Integer dataRow);
    virtual TgrControlType GetRowControlType(Integer dataRow);
    virtual TgrSpinOptions GetRowSpinOptions(Integer dataRow);
    virtual double GetRowSpinIncrement(Integer dataRow);
    virtual TgrDrawOption GetRowPicture(Integer dataRow, TgrPictureKind kind);
    TgrDrawOption GetRowStretchPicture(Integer dataRow) { return GetRowPicture(dataRow, pkStretchPicture); }
    TgrDrawOption GetRowShrinkPicture(Integer dataRow) { return GetRowPicture(dataRow, pkShrinkPicture); }
    TgrDrawOption GetRowCenterPicture(Integer dataRow) { return GetRowPicture(dataRow, pkCenterPicture); }
    TgrDrawOption GetRowKeepAspectRatio(Integer dataRow) { return GetRowPicture(dataRow, pkKeepAspectRatio); }
    virtual TgrCombo* GetRowCombo(Integer dataRow);
    virtual bool GetRowParentCombo(Integer dataRow);
    virtual TgrDateTimeDefComponent* GetRowDateTimeDef(Integer dataRow);
    // False outside 1..Rows or without a row object.
    virtual bool IsRowReadOnly(Integer dataRow);
    // False outside 0..Rows; True without a row object.
    virtual bool IsRowVisible(Integer dataRow);
    // False outside 1..Rows.
    virtual bool IsRowSelected(Integer dataRow);

    // Row attributes set by data row (index 0..RowCount-1 unless said):
    // a row without an object given its default makes none, an object
    // whose attributes are all default again is let go.
    void SetRowColor(Integer dataRow, TColor v) { SetRowProp(dataRow, gpColor, pkNoPicture, Variant(Integer(v))); }
    void SetRowFont(Integer dataRow, const TFont* v) { SetRowProp(dataRow, gpFont, pkNoPicture, ObjectToVariant(v)); }
    void SetRowParentFont(Integer dataRow, bool v) { SetRowProp(dataRow, gpParentFont, pkNoPicture, Variant(v)); }
    void SetRowReadOnly(Integer dataRow, bool v) { SetRowProp(dataRow, gpReadOnlyFlag, pkNoPicture, Variant(v)); }
    void SetRowAlign(Integer dataRow, bool v) { SetRowProp(dataRow, gpAlign, pkNoPicture, Variant(v)); }
    void SetRowAlignment(Integer dataRow, TAlignment v) {
        SetRowProp(dataRow, gpAlignment, pkNoPicture, Variant(Byte(v)));
    }
    void SetRowHorzAlignment(Integer dataRow, TgrHorzAlignment v) {
        SetRowProp(dataRow, gpHorzAlignment, pkNoPicture, Variant(Byte(v)));
    }
    void SetRowVertAlignment(Integer dataRow, TgrVertAlignment v) {
        SetRowProp(dataRow, gpVertAlignment, pkNoPicture, Variant(Byte(v)));
    }
    void SetRowIs3D(Integer dataRow, bool v) { SetRowProp(dataRow, gpIs3D, pkNoPicture, Variant(v)); }
    void SetRowWordWrap(Integer dataRow, TgrWordWrap v) {
        SetRowProp(dataRow, gpWordWrap, pkNoPicture, Variant(Byte(v)));
    }
    void SetRowButtonType(Integer dataRow, TgrButtonType v) {
        SetRowProp(dataRow, gpButtonType, pkNoPicture, Variant(Byte(v)));
    }
    void SetRowDropDownStyle(Integer dataRow, TgrDropDownStyle v) {
        SetRowProp(dataRow, gpDropDownStyle, pkNoPicture, Variant(Byte(v)));
    }
    void SetRowMaskName(Integer dataRow, const std::string& v) {
        SetRowProp(dataRow, gpMaskName, pkNoPicture, Variant(v));
    }
    // None frees the row's own combo; another combo's settings are copied
    // into the row's (made on demand).
    void SetRowCombo(Integer dataRow, const TgrCombo* v) { SetRowProp(dataRow, gpCombo, pkNoPicture, ObjectToVariant(v)); }
    void SetRowParentCombo(Integer dataRow, bool v) { SetRowProp(dataRow, gpParentCombo, pkNoPicture, Variant(v)); }
    void SetRowControlType(Integer dataRow, TgrControlType v) {
        SetRowProp(dataRow, gpControlType, pkNoPicture, Variant(Byte(v)));
    }
    void SetRowSpinOptions(Integer dataRow, TgrSpinOptions v) {
        SetRowProp(dataRow, gpSpinOptions, pkNoPicture, Variant(Byte(v)));
    }
    void SetRowSpinIncrement(Integer dataRow, double v) { SetRowProp(dataRow, gpSpinIncrement, pkNoPicture, Variant(v)); }
    void SetRowStretchPicture(Integer r, TgrDrawOption v) { SetRowProp(r, gpPicture, pkStretchPicture, Variant(Byte(v))); }
    void SetRowShrinkPicture(Integer r, TgrDrawOption v) { SetRowProp(r, gpPicture, pkShrinkPicture, Variant(Byte(v))); }
    void SetRowCenterPicture(Integer r, TgrDrawOption v) { SetRowProp(r, gpPicture, pkCenterPicture, Variant(Byte(v))); }
    void SetRowKeepAspectRatio(Integer r, TgrDrawOption v) {
        SetRowProp(r, gpPicture, pkKeepAspectRatio, Variant(Byte(v)));
    }
    TAlignment GetRowAlignment(Integer dataRow) { return TAlignment(GetRowProp(dataRow, gpAlignment, pkNoPicture).AsInteger()); }
    bool GetRowAlign(Integer dataRow) { return GetRowProp(dataRow, gpAlign, pkNoPicture).AsBoolean(); }
    // Height and the height it asks for; a row given the default height
    // without an object makes none.
    virtual void SetRowHeight(Integer dataRow, Integer height);
    virtual Integer GetRowHeight(Integer dataRow);
    // Index 1..Rows.
    virtual void SetRowVisible(Integer dataRow, bool visible);
    bool GetRowVisible(Integer dataRow);
    bool GetRowReadOnly(Integer dataRow);
    // Index 1..Rows; selects or deselects the row's display row alone.
    virtual void SetRowSelected(Integer dataRow, bool selected);
    bool GetRowSelected(Integer dataRow);
    // Index 1..Rows; the current row also counts while its edit changed it.
    bool GetRowChanged(Integer dataRow);
    virtual void SetRowKeepFontObject(Integer dataRow, bool keep);
    virtual bool GetRowKeepFontObject(Integer dataRow);

    virtual TColor GetCellColor(Integer dataCol, Integer dataRow);
    virtual TFont* GetCellFont(Integer dataCol, Integer dataRow);
    virtual bool GetCellParentFont(Integer dataCol, Integer dataRow);
    virtual TgrHorzAlignment GetCellHorzAlignment(Integer dataCol, Integer dataRow);
    virtual TgrVertAlignment GetCellVertAlignment(Integer dataCol, Integer dataRow);
    virtual TgrWordWrap GetCellWordWrap(Integer dataCol, Integer dataRow);
    virtual bool GetCellIs3D(Integer dataCol, Integer dataRow);
    virtual TgrButtonType GetCellButtonType(Integer dataCol, Integer dataRow);
    virtual TgrDropDownStyle GetCellDropDownStyle(Integer dataCol, Integer dataRow);
    virtual std::string GetCellMaskName(Integer dataCol, Integer dataRow);
    virtual TgrControlType GetCellControlType(Integer dataCol, Integer dataRow);
    virtual TgrSpinOptions GetCellSpinOptions(Integer dataCol, Integer dataRow);
    virtual double GetCellSpinIncrement(Integer dataCol, Integer dataRow);
    virtual TgrDrawOption GetCellPicture(Integer dataCol, Integer dataRow, TgrPictureKind kind);
    TgrDrawOption GetCellStretchPicture(Integer c, Integer r) { return GetCellPicture(c, r, pkStretchPicture); }
    TgrDrawOption GetCellShrinkPicture(Integer c, Integer r) { return GetCellPicture(c, r, pkShrinkPicture); }
    TgrDrawOption GetCellCenterPicture(Integer c, Integer r) { return GetCellPicture(c, r, pkCenterPicture); }
    TgrDrawOption GetCellKeepAspectRatio(Integer c, Integer r) { return GetCellPicture(c, r, pkKeepAspectRatio); }
    virtual TgrCombo* GetCellCombo(Integer dataCol, Integer dataRow);
    virtual bool GetCellParentCombo(Integer dataCol, Integer dataRow);
    virtual TgrDateTimeDefComponent* GetCellDateTimeDef(Integer dataCol, Integer dataRow);
    // Both do nothing in a combo's own list grid; the indexes are checked.
    void SetCellButtonType(Integer dataCol, Integer dataRow, TgrButtonType value);
    // Cell attributes set by data column and data row (each stored in the
    // cell's record, made on demand and let go when all default again).
    void SetCellColor(Integer c, Integer r, TColor v) { SetCellProp(c, r, gpColor, pkNoPicture, Variant(Integer(v))); }
    void SetCellFont(Integer c, Integer r, const TFont* v) { SetCellProp(c, r, gpFont, pkNoPicture, ObjectToVariant(v)); }
    void SetCellParentFont(Integer c, Integer r, bool v) { SetCellProp(c, r, gpParentFont, pkNoPicture, Variant(v)); }
    void SetCellAlign(Integer c, Integer r, bool v) { SetCellProp(c, r, gpAlign, pkNoPicture, Variant(v)); }
    void SetCellAlignment(Integer c, Integer r, TAlignment v) {
        SetCellProp(c, r, gpAlignment, pkNoPicture, Variant(Byte(v)));
    }
    void SetCellHorzAlignment(Integer c, Integer r, TgrHorzAlignment v) {
        SetCellProp(c, r, gpHorzAlignment, pkNoPicture, Variant(Byte(v)));
    }
    void SetCellVertAlignment(Integer c, Integer r, TgrVertAlignment v) {
        SetCellProp(c, r, gpVertAlignment, pkNoPicture, Variant(Byte(v)));
    }
    void SetCellIs3D(Integer c, Integer r, bool v) { SetCellProp(c, r, gpIs3D, pkNoPicture, Variant(v)); }
    void SetCellReadOnly(Integer c, Integer r, TgrReadOnly v) {
        SetCellProp(c, r, gpReadOnly, pkNoPicture, Variant(Byte(v)));
    }
    void SetCellWordWrap(Integer c, Integer r, TgrWordWrap v) {
        SetCellProp(c, r, gpWordWrap, pkNoPicture, Variant(Byte(v)));
    }
    void SetCellDropDownStyle(Integer c, Integer r, TgrDropDownStyle v) {
        SetCellProp(c, r, gpDropDownStyle, pkNoPicture, Variant(Byte(v)));
    }
    void SetCellControlType(Integer c, Integer r, TgrControlType v) {
        SetCellProp(c, r, gpControlType, pkNoPicture, Variant(Byte(v)));
    }
    void SetCellSpinOptions(Integer c, Integer r, TgrSpinOptions v) {
        SetCellProp(c, r, gpSpinOptions, pkNoPicture, Variant(Byte(v)));
    }
    void SetCellSpinIncrement(Integer c, Integer r, double v) { SetCellProp(c, r, gpSpinIncrement, pkNoPicture, Variant(v)); }
    void SetCellMaskName(Integer c, Integer r, const std::string& v) {
        SetCellProp(c, r, gpMaskName, pkNoPicture, Variant(v));
    }
    void SetCellParentCombo(Integer c, Integer r, bool v) { SetCellProp(c, r, gpParentCombo, pkNoPicture, Variant(v)); }
    void SetCellTag(Integer c, Integer r, Integer v) { SetCellProp(c, r, gpTag, pkNoPicture, Variant(v)); }
    void SetCellObject(Integer c, Integer r, void* v) { SetCellProp(c, r, gpObject, pkNoPicture, ObjectToVariant(v)); }
    void SetCellStretchPicture(Integer c, Integer r, TgrDrawOption v) {
        SetCellProp(c, r, gpPicture, pkStretchPicture, Variant(Byte(v)));
    }
    void SetCellShrinkPicture(Integer c, Integer r, TgrDrawOption v) {
        SetCellProp(c, r, gpPicture, pkShrinkPicture, Variant(Byte(v)));
    }
    void SetCellCenterPicture(Integer c, Integer r, TgrDrawOption v) {
        SetCellProp(c, r, gpPicture, pkCenterPicture, Variant(Byte(v)));
    }
    void SetCellKeepAspectRatio(Integer c, Integer r, TgrDrawOption v) {
        SetCellProp(c, r, gpPicture, pkKeepAspectRatio, Variant(Byte(v)));
    }
    TgrReadOnly GetCellReadOnly(Integer c, Integer r) { return TgrReadOnly(GetCellProp(c, r, gpReadOnly, pkNoPicture).AsInteger()); }
    Integer GetCellTag(Integer c, Integer r) { return GetCellProp(c, r, gpTag, pkNoPicture).AsInteger(); }
    void SetCellCombo(Integer dataCol, Integer dataRow, const TgrCombo* combo);

    // ------------------------------------------------ view and edit state
    // Scrolling columns (rows) shown whole from the top-left cell; 0
    // without a window. The exact count adds the shown part of the next row.
    Integer GetVisibleColCount() const;
    Integer GetVisibleRowCount() const;
    double GetVisibleRowsExact() const;
    // ---- view extent (TSGridViewExtent.cpp; 0 without a window). The last
    // column (row) that starts in the client area when col (row) is the
    // first scrolling one, and how many from there fit entirely.
    Integer GetLastVisibleColFrom(Integer col);
    Integer GetLastVisibleRowFrom(Integer row);
    Integer GetFullyVisibleColsFrom(Integer col);
    Integer GetFullyVisibleRowsFrom(Integer row);
    // Whole columns (rows) in view from the left column (top row), and the
    // scrolling ones left of (above) it that fit in one page.
    Integer GetColsFittingFromLeft();
    Integer GetColsFittingLeftOfLeftCol();
    Integer GetRowsFittingFromTop();
    Integer GetRowsFittingAboveTop();
    // The last column (row) in view, cut or not; the last enterable one
    // (the insert row in gmEditInsert) when the view reaches the end.
    Integer GetLastVisibleCol();
    Integer GetLastVisibleRow();
    // The widths of the fixed columns, the heights of the fixed rows.
    Integer FixedAreaWidth() const;
    Integer FixedAreaHeight() const;
    // Direct output of single cells outside the paint pass: the grid canvas
    // draws into the shared memory canvas (held for this grid until the
    // end), clipped to rect, and the end copies rect to the window. False
    // while a direct paint of this grid runs already.
    bool BeginDirectCellPaint(const TRect& rect);
    void EndDirectCellPaint(const TRect& rect);
    bool IsDirectCellPaint() const { return directPaint_; }
    // The in-cell control object of a control type (text, check box, and
    // one default object for pictures, another for the rest).
    TgrCustomGridControl* GetControlForType(TgrControlType type);
    // The image list's picture a value names; none without a list or entry.
    TBitmap* FindImageForValue(const Variant& value, TColor* transparentColor = nullptr);
    // The image list link's notifications: the grid repaints.
    virtual void ImageListChanged();
    virtual void ImageListDataChanged();
    // The 8 x 8 pattern blending a selection or focus colour over pictures:
    // the colour where x + y is even, black elsewhere. It exists only while
    // SelectionColor or FocusColor is set.
    void UpdateBlendBitmap(bool create);
    TBitmap* GetBlendBitmap();
    void BuildBlendBitmap(TColor color);
    TBitmap* EnsureBlendBitmap(TColor color);
    bool HasBlendBitmap() const { return blendBitmap_ != nullptr; }
    // The pattern of a colour laid over a rectangle from (originX, originY)
    // (the cell's top-left corner, so that it stays with the cell).
    void BlendSelectionColor(TCanvas* canvas, const TRect& rect, TColor color, int originX, int originY);
    // The current cell lies in the shown scrolling area, not in the heading
    // row or the row bar.
    bool IsCurrentCellVisible() const;
    bool IsCellVisibleOnScreen(Integer displayCol, Integer displayRow) const;
    // A display cell with pixels in the client area.
    bool IsCellOnScreen(Integer displayCol, Integer displayRow) const;
    // Not designing, the current cell shown, and CanEditNow.
    bool CanReclickCurrentCell();
    // The second press of a double-click on the current cell, while no edit
    // runs and the cell can be edited now, is taken as a fresh press of the
    // cell; True when it was.
    bool ReclickCurrentCell(TShiftState shift, Integer x, Integer row, Integer col, Integer y);
    // A consumed double-click: its release fires no click events.
    bool ReleaseIgnored() const { return ignoreRelease_; }
    // The left column that brings a display column into view from a left
    // column: a column left of the view becomes the first one, one right
    // of it comes in from the right; modes 2 and 3 place it at the right
    // edge.
    Integer CalcLeftColToShow(Integer leftCol, Integer displayCol, Integer mode) const;
    // Whether keyboard navigation may go to a display cell: a row below
    // the shown ones needs room for a scrolling row, and outside gmListBox
    // the column must be one that can be entered.
    virtual bool IsCellReachable(Integer displayCol, Integer displayRow);

    // ------------------------------------------------ keyboard moves
    // The moves of the key table. Each asks the current cell whether it
    // may be left for its target (ending its edit), moves the one current
    // cell and scrolls it into view; a data-aware grid moves records.
    virtual void MoveUp();
    virtual void MoveRowUp();
    virtual void MoveDown();
    virtual void MoveRowDown();
    virtual void MovePageUp();
    virtual void MovePageDown();
    virtual void MoveToFirstRow();
    virtual void MoveToLastRow();
    virtual void MoveToFirstCell();
    virtual void MoveToLastCell();
    // Tab, Enter or Right: the next enterable cell, into the next row only
    // with TabRowWrap; Enter on the last cell selects its text again.
    virtual void MoveToNextCell(Word16 key);
    virtual void MoveToPrevCell();
    // Esc or Ctrl+Z in edit mode: the insert row goes back to the last data
    // row; without AlwaysShowEditor the editor closes. True when handled.
    virtual bool ExitEditMode();
    void MoveToFirstCol();
    void MoveToLastCol();
    // Ctrl+End, Home, Left, Up, Right, Down; consumes the key.
    bool CtrlArrowMove(Word16& key);
    // Moves the current cell (with moveCurrent) and scrolls: kind 1 across,
    // 2 along, 3 both; placement 1 and 3 bring a row above the view in at
    // the bottom, 2 and 3 a column left of it in at the right edge.
    using TCustomGrid_ts::MoveCurrentCell;
    void MoveCurrentCell(Integer displayCol, Integer displayRow, Integer scrollKind, bool moveCurrent,
                         bool repaintOldRowBar, Integer placement);
    // The left column that shows a column as the rightmost whole one, the
    // top row that shows a row as the lowest whole one (with the insert
    // row below the last data row), the top row for a move down, and the
    // top row a page further down.
    void CalcLeftColToShowRight(Integer displayCol, Integer& left);
    void CalcTopRowToShowBottom(Integer displayRow, Integer& top);
    void CalcTopRowToShowBelow(Integer displayRow, Integer& top);
    Integer CalcPageDownTop(Integer displayRow);
    // Esc and Ctrl+Z: whether the running edit may be undone, and undoes it.
    void UndoCurrentEdit(bool& mayUndo, bool& handled);
    // A cell whose effective button is one of the types (bits by button
    // type), not read-only, in an editing grid mode (a date-time one with
    // a definition).
    bool CanDropDownCell(Integer dataCol, Integer dataRow, unsigned buttonTypes);
    // F4, Alt+Up or Down: the combo, else the date-time drop-down.
    bool DropDownCurrentCell();
    // The data column whose heading accelerator is the character; 0 when none.
    Integer FindHeadingAccelerator(char ch);
    // The anchor row of a Shift range selection: the current row here.
    virtual Integer GetRangeAnchorRow() { return curDisplayRow_; }
    // Whether that anchor row is selected (the current row here).
    virtual bool IsAnchorRowSelected();
    void SetRowDateTimeDef(Integer dataRow, TgrDateTimeDefComponent* def);
    virtual bool IsColsStored() const { return true; }
    virtual bool IsRowsStored() const { return true; }

    // ------------------------------------------------ form files and layout copying
    // The grid's own form-file properties beside its published ones: the
    // widths and heights of older files, legacy names, the image names, the
    // column, row and cell attribute collections and the stored values.
    virtual void DefineProperties(TgrFiler& filer);
    // Collections and stored values are written only while no one has
    // switched storing off (the layout stream writes them itself).
    bool CanStoreProperties() const { return propertyStoringLock_ == 0; }
    void EnablePropertyStoring(bool enable);
    // With fill, the items are made from the grid: every column, row and
    // cell whose attributes are not all default (rows also when moved).
    virtual std::unique_ptr<TgrColCollection> CreateColCollection(bool fill);
    virtual std::unique_ptr<TgrPropCollection> CreateRowCollection(bool fill);
    virtual std::unique_ptr<TgrCellCollection> CreateCellCollection(bool fill);
    // Whether the collection is written: only while writing with storing
    // allowed, and not when it equals the ancestor's.
    // Read the collections of a form file or layout: columns by data
    // column (form files) or by field name, rows, and cells (kept until
    // Loaded).
    virtual void WriteColProperties(TWriter& writer);
    virtual void WriteRowProperties(TWriter& writer);
    virtual void WriteCellProperties(TWriter& writer);
    // The size lists of older files (read; registered but never written),
    // the legacy "EditMode" and "HeadingAlignment", and the image names.
    void ReadColWidthList(TReader& reader);
    void WriteColWidthList(TWriter& writer);
    void ReadRowHeightList(TReader& reader);
    void WriteRowHeightList(TWriter& writer);
    void ReadLegacyEditMode(TReader& reader);
    void ReadLegacyHeadingAlignment(TReader& reader);
    void ReadImageIds(TReader& reader);
    void WriteImageIds(TWriter& writer);
    virtual void ReadColProperties(TReader& reader) { ReadColPropertiesBy(reader, true); }
    virtual void ReadColPropertiesBy(TReader& reader, bool byDataCol);
    virtual void ReadRowProperties(TReader& reader);
    virtual void ReadCellProperties(TReader& reader);
    // Ends a read of cell properties outside the grid's own loading (a
    // layout): the items read are let go, which is when a descendant's
    // items hand over what they read.
    void ReleaseReadCellProperties() { readCells_.reset(); }
    bool IsColPropertiesStored(TgrBaseGrid* ancestor);
    bool IsRowPropertiesStored(TgrBaseGrid* ancestor);
    bool IsCellPropertiesStored(TgrBaseGrid* ancestor);
    TStringList& ImageNames() { return imageNames_; }
    // Copies another grid's layout: its design state (unless designing)
    // and all four kinds with the stored values. Other sources go to the
    // platform's assignment.
    void Assign(const TPersistent* source) override;
    virtual void AssignGridLayout(TgrBaseGrid* source, TgrPropKinds kinds, bool copyData);
    // Every published property except the ';'-separated exclusions and the
    // window's place, name and size.
    virtual void CopyGridProperties(TgrBaseGrid* source, const std::string& exclusions);
    virtual void CopyColProperties(TgrBaseGrid* source);
    virtual void CopyRowProperties(TgrBaseGrid* source);
    virtual void CopyRowChangedFlags(TgrBaseGrid* source);
    virtual void CopyCellProperties(TgrBaseGrid* source);
    virtual void CopySelections(TgrBaseGrid* source, TgrPropKinds kinds);
    virtual void AssignColSelection(TgrBaseGrid* source);
    virtual void AssignRowSelection(TgrBaseGrid* source);
    virtual void AssignCellSelection(TgrBaseGrid* source);
    // The grid status from the selections: columns, else rows, else a
    // cell range, else normal.
    virtual void UpdateSelectType();
    bool IsAssigningLayout() const { return assigningLayout_; }

    // ------------------------------------------------ navigation and editing
    // Makes a data cell current when the current cell can be left: ends its
    // edit (keeping the value), scrolls the new cell into view. False when
    // refused or outside the data cells.
    bool MoveToDisplayCell(Integer displayCol, Integer displayRow);
    // Ends the current cell's edit. Storing, the mask and OnEndCellEdit must
    // accept (False keeps the edit running); otherwise the value from
    // before the edit comes back. True when no edit runs.
    virtual bool EndCellEdit(bool store = true);
    // ------------------------------------------------ in-cell control activation
    // Normal grid status, gmEdit or gmEditInsert, and a current data cell
    // that is neither read-only nor selected.
    bool CanEditNow();
    // Not designing, the current cell shown, and CanEditNow.
    bool ShouldShowControl();
    // Hides the control (nothing at design time, without a window or while
    // updates are suspended); with repaint the cell it covered is painted.
    void HideCellControl(bool repaint);
    // Hides a shown control (any, with force) unless updates are
    // suspended; True when it was shown.
    bool HideCellControlIfShown(bool force);
    // Where the control should show: it takes the cell's type, place, look
    // and value and shows after the next paint (ShowControlAfterPaint);
    // elsewhere it is moved out of sight.
    void RefreshCellControl();
    // Called from AfterPaint, once per paint: a refresh waiting for it shows
    // the control (edit mode, current cell in view) and gives it the focus
    // when ControlShouldHaveFocus.
    void ShowControlAfterPaint();
    // The grid or its control has the focus, the control is shown, no mouse
    // operation runs, the focus did not just arrive by keyboard, and not
    // designing.
    bool ControlShouldHaveFocus();
    bool IsGridFocused() const;
    // The edit box or check box is shown (or about to show) over the
    // current cell in edit mode.
    bool ControlStandsInCell() const {
        return controlShown_ && editModeFlag_ && activeControl_ &&
               (activeControl_ == static_cast<const TgrCustomGridControl*>(editControl_.get()) ||
                activeControl_ == static_cast<const TgrCustomGridControl*>(checkControl_.get()));
    }
    // The control of a control type becomes the active one; a change hides
    // the old one and forgets the current cell's loaded value.
    void SelectControlForType(TgrControlType type);
    // Places the control over the current cell: the column's width less
    // the vertical line and 3 pixels (less a button; 3D cells without lines
    // one pixel less), from 3 pixels right of the cell's left edge; sizes
    // never below 0. The cell's button decides keyboard and text editing.
    virtual void PositionCellControl(TgrCustomGridControl* control);
    // Gives the control the current cell's colour, font, look, alignments
    // and limits.
    void DressCellControl(TgrCustomGridControl* control, bool is3D);
    // The owner's draw information of the current cell reaches the control.
    void ApplyDrawInfoToControl(const TgrDrawInfo& info);
    // Edit mode: on, the control shows (select mode 0 selects the whole
    // text, 2 leaves the caret alone); refresh resets the control.
    void SetEditMode(bool value, bool refresh, Byte selectMode);
    // False when the grid cannot edit, is in edit mode already, cannot show
    // the control or the show-editor notification cancels.
    virtual bool StartEditing(Byte selectMode, bool updateNow);
    // The current cell is being edited or editing starts now; False where
    // the grid cannot edit or refuses the edit.
    bool EnsureEditing(bool updateNow);
    // Leaves edit mode; False in edit mode with AlwaysShowEditor, outside
    // it, or when the cell cannot be left.
    bool EndEditing();
    // CanEditNow, edit mode and CanEdit.
    bool IsEditing();
    void SetEditSelectMode(Byte mode) { editSelectMode_ = mode; }
    // 1 when the current column is not read-only or the grid shows a focus
    // indication, else 2.
    Integer GetScrollRepaintMode();
    // A click that made a text cell current goes on in the shown control,
    // which places its caret there; the control takes the focus when it
    // should.
    void ForwardPressToEditor(bool hadCaptureAndFocus);
    // The show-editor notification before edit mode starts; a descendant
    // turns it into an event that may cancel.
    virtual void FireShowEditor(Integer dataCol, Integer dataRow, bool& cancel) {}
    // Unchecked -> checked (-> grayed) -> unchecked on the current check cell.
    bool ToggleCurrentCheck();
    // The wait before the next auto-scroll step while the mouse (screen
    // position) is held past the scrolling area: full speed (0 ms) when it
    // is at least half of the range (at most 30 pixels) beyond, else 200 ms.
    // direction 0 horizontal, 1 vertical, 2 both.
    Integer VariableScrollDelay(Integer screenX, Integer screenY, Integer direction);
    // Height in pixels (plus one) and line count of a text cell's text at
    // its column width, wrapped unless word wrap is off; 0 for other cells.
    virtual void GetCellTextHeight(Integer dataCol, Integer dataRow, Integer& height, Integer& lines);
    // A text's height (one pixel more than its lines) and line count at
    // `width` in `font` on the grid canvas, wrapped unless wwOff.
    void CalcTextHeight(Integer dataCol, Integer width, Integer& height, Integer& lines, TgrWordWrap wordWrap,
                        TgrHorzAlignment alignment, const TFont& font, const std::string& text);
    // The height of one line in the grid's font; 0 without a window.
    Integer GetFontLineHeight();
    // A cell value as the control type keeps it: a text cell's value of
    // another kind (neither Empty nor Null) becomes its text, a wide string
    // a plain one; anything else stays as it is.
    static Variant ConvertCellValue(TgrControlType controlType, const Variant& value);
    // Ends a mouse operation as if released elsewhere: nothing is applied.
    void CancelMouseAction();
    void MarkSelectChanged(Integer kind);
    // The selected cell range while the grid status is gsCellsSelected.
    TCellRange_ts CellRange() const { return cellRange_; }

    // ------------------------------------------------ effective attributes
    // The value that applies to a cell: cell, then row and column in
    // DrawOverlap order, then the grid. Data column 0 or data row 0 is a
    // fixed cell and follows the heading rules.
    TColor EffectiveCellColor(Integer dataCol, Integer dataRow, bool is3D);
    TgrHorzAlignment EffectiveHorzAlignment(Integer dataCol, Integer dataRow);
    TgrVertAlignment EffectiveVertAlignment(Integer dataCol, Integer dataRow);
    TgrWordWrap EffectiveWordWrap(Integer dataCol, Integer dataRow);
    bool EffectiveIs3D(Integer dataCol, Integer dataRow);
    TFont* EffectiveHeadingFont(Integer dataCol);
    TgrHorzAlignment EffectiveHeadingHorzAlignment(Integer dataCol);
    TgrVertAlignment EffectiveHeadingVertAlignment(Integer dataCol);
    TgrWordWrap EffectiveHeadingWordWrap(Integer dataCol);
    virtual std::string EffectiveCheckBoxValues(Integer dataCol);
    // The button a data cell shows, and the drop-down style with it.
    TgrButtonType ResolveButtonType(Integer dataCol, Integer dataRow, TgrDropDownStyle& style);
    // The button of the row and column levels in DrawOverlap order, with the
    // drop-down style of the level that sets it (btNone and ddDropDown when
    // neither does).
    TgrButtonType LevelButtonType(TgrCol* col, TgrButtonType rowType, TgrDropDownStyle rowStyle,
                                  TgrDropDownStyle& style);
    // The mask name of a data cell: cell, then row and column in DrawOverlap
    // order; empty outside the data rows.
    std::string EffectiveMaskName(Integer dataCol, Integer dataRow);
    // Read-only by the enterable rule (invisible cells count as read-only).
    virtual bool IsCellReadOnly(Integer dataCol, Integer dataRow);
    // Data column 1..Cols and a data row of the base grid (the insert row
    // included).
    bool IsDataCellIndex(Integer dataCol, Integer dataRow) const;
    // Spin settings of a data cell, from the first level (cell, then row
    // and column in DrawOverlap order) whose own button type is a spin;
    // none (the empty set, 0) otherwise and outside the data cells.
    virtual TgrSpinOptions EffectiveSpinOptions(Integer dataCol, Integer dataRow);
    virtual double EffectiveSpinIncrement(Integer dataCol, Integer dataRow);
    static bool IsSpinButtonType(TgrButtonType type) { return type == btVertSpin || type == btHorzSpin; }
    // A picture option of a data cell: cell, then row and column in
    // DrawOverlap order; dopDefault when no level sets it (the grid's own
    // Boolean then applies).
    TgrDrawOption EffectivePictureOption(Integer dataCol, Integer dataRow, TgrPictureKind kind);
    TgrDrawOption EffectiveStretchPicture(Integer c, Integer r) { return EffectivePictureOption(c, r, pkStretchPicture); }
    TgrDrawOption EffectiveShrinkPicture(Integer c, Integer r) { return EffectivePictureOption(c, r, pkShrinkPicture); }
    TgrDrawOption EffectiveCenterPicture(Integer c, Integer r) { return EffectivePictureOption(c, r, pkCenterPicture); }
    TgrDrawOption EffectiveKeepAspectRatio(Integer c, Integer r) { return EffectivePictureOption(c, r, pkKeepAspectRatio); }
    // The four options a data cell's picture is drawn with.
    TgrPictureOptions EffectivePictureOptions(Integer dataCol, Integer dataRow);

    // ------------------------------------------------ cell painting
    // Works out a display cell's paint information (geometry, attributes,
    // value and state); False when the cell is not shown at all.
    bool FillDrawInfo(Integer displayCol, Integer displayRow, TgrCellPaintInfo& info);
    // Whether a display cell shows selected: its row, its column or the
    // selected cell range holds it.
    bool IsDisplayCellSelected(Integer displayCol, Integer displayRow);
    // A cell shown selected from which a drag of the selection may start:
    // not a heading whose press moves the selected columns, nor a row-bar
    // cell whose press moves the selected rows.
    bool IsDragSourceCell(Integer displayCol, Integer displayRow);
    // SelectionType sltColor with a SelectionColor set.
    bool UsesSelectionColor() const;
    // ---- focus indication (TSGridFocus.cpp). The current cell shows it
    // with a focus style, outside gmListBox, in a normal grid status, while
    // the grid has the focus (or AlwaysShowFocus) and no in-cell editor of
    // an editable cell stands in it.
    bool HasFocusStyle() const;
    bool CellShowsFocus();
    bool NeedsFocusIndication(Integer displayCol, Integer displayRow, bool respectGridFocus);
    bool IsFocusCell(Integer displayCol, Integer displayRow);
    // The dotted border inside the cell, or a single or double black frame
    // on the grid lines around it (which marks the scrolling area's top or
    // left edge when it reaches it).
    void DrawFocusBorder(TCanvas* canvas, Integer displayCol, Integer displayRow);
    void DrawFocusIfCurrent(Integer displayCol, Integer displayRow);
    // The cell, or with force or a framed border the cell with the grid
    // lines left of and above it.
    void InvalidateFocusArea(Integer displayCol, Integer displayRow, bool force = false);
    void InvalidateFocusAreaForColors(bool force);
    void UpdateDirect(bool bracket);
    // A focus frame drawn last reached the scrolling area's top (left) edge.
    bool FocusEdgeTop() const { return focusEdgeTop_; }
    bool FocusEdgeLeft() const { return focusEdgeLeft_; }
    // Paints one cell from its paint information.
    void DrawGridCell(Integer displayCol, Integer displayRow, bool selected, const TRect& rect);
    // DrawGridCell in the cell's own selection state.
    void DrawCell(Integer displayCol, Integer displayRow, const TRect& rect);
    // Bits: 2 selected, 1 the current cell, 4 in the fixed columns or rows.
    unsigned GetCellPaintState(Integer displayCol, Integer displayRow);
    // ---- cell drawing steps (TSGridCellDraw.cpp). UpdateDrawInfo resolves
    // a filled record's attributes again (Is3D, alignments, word wrap,
    // colour, font), applies the owner's draw information and the edit
    // colours, and lays the button out again when Is3D changed.
    void UpdateDrawInfo(TgrCellPaintInfo& info, bool controlShown);
    // The owner's draw information (HasGetDrawInfo) on the grid's work font.
    void ApplyGetDrawInfo(TgrCellPaintInfo& info);
    // The grid's work font, assigned from the record's font, becomes the
    // record's, so that it may change without touching a shared font.
    TFont* OwnDrawInfoFont(TgrCellPaintInfo& info);
    // EditColor and EditFontColor on the current text cell while the editor
    // stands in it.
    void ApplyEditColors(TgrCellPaintInfo& info, bool controlShown);
    // The content and button areas (a heading's through LayoutHeadingCell).
    void LayoutCellButton(TgrCellPaintInfo& info);
    // A data cell: the default value on ctNone cells and the insert row,
    // else the record's value by its control type.
    void PaintDataCell(TgrCellPaintInfo& info, bool selected);
    void PaintDefaultValueCell(TgrCellPaintInfo& info, bool selected);
    void PaintEmptyCell(TgrCellPaintInfo& info, bool selected);
    // Paints a value into a data cell whose record is filled (also to show
    // a changed value at once): nothing for a hidden column or row.
    void DrawCellValue(Integer dataCol, Integer dataRow, bool selected, bool shown, const Variant& value,
                       TgrCellPaintInfo& info);
    // Text cells: the text in the content, or only the 3-pixel margin when
    // the content is 3 pixels wide or less.
    void PaintTextCell(TgrCellPaintInfo& info, const std::string& text, bool selected);
    void DrawCellText(TgrCellPaintInfo& info, const std::string& text, bool selected);
    void DrawCellMarginOnly(TgrControlType type, TgrCellPaintInfo& info, bool selected);
    void PaintCheckBoxCell(TgrCellPaintInfo& info, bool selected);
    // Where a check-box picture of w x h goes in the content rectangle.
    static TRect CalcCheckBoxRect(bool is3D, Integer margin, Integer width, Integer height, const TRect& content);
    void CopyBitmapRect(const TRect& dest, TBitmap* bitmap, const TRect& source, TCopyMode mode);
    void PaintPictureCell(TgrCellPaintInfo& info, bool selected);
    void DrawCellPicture(TgrCellPaintInfo& info, TBitmap* picture, TColor listTransparent, bool selected);
    // The image list's transparent colour, else a transparent bitmap's own.
    static TColor PictureTransparentColor(TColor listTransparent, TBitmap* picture);
    // The background by the cell's state (a picture cell's plain colour
    // with the selection or focus colour blended over it).
    void FillCellBackground(const TgrCellPaintInfo& info, const TRect& rect);
    // Integers, Booleans, Null and texts pass; other kinds become grayed.
    static Variant NormalizeCheckValue(const Variant& value);
    // The display cell painted last by a data-cell step ((-1, -1): none).
    TCellCoord_ts LastPaintedCell() const { return lastPaintedCell_; }
    // ---- row bar (TSGridRowBar.cpp): the pictures of the current, a
    // changed and the insert row, drawn at once where the grid can paint
    // now (CanPaintOrInvalidate), else at the next paint.
    bool ShowsRowChanged(Integer dataRow);
    virtual bool HasActiveData() { return true; }
    virtual bool ShowsInsertIndicator() { return false; }
    bool IsRowIndicatorVisible(Integer displayRow);
    bool CanPaintOrInvalidate(Integer displayCol, Integer displayRow);
    void DrawRowIndicator(Integer displayRow);
    void DrawRowIndicatorSelected(Integer displayRow);
    void DrawInsertRowIndicator();
    virtual void PaintRowBarCell(Integer displayRow);
    void RepaintRowBarCell(Integer displayRow);
    // Painting outside a paint pass is allowed: a window, no update or
    // paint lock, and neither the grid's own paint pass nor the shared
    // memory canvas busy with this grid.
    bool CanPaintNow() const;
    // The grid paints through the shared memory canvas (after its first
    // paint) and holds one use of it until it is destroyed.
    bool UsesMemoryCanvas() const { return memCanvasRegistered_; }
    bool PaintedOnce() const { return paintedOnce_; }
    // Draws the scroll bars that are shown into the non-client strips.
    void PaintScrollBars(TCanvas* canvas);
    // The heading kind of a display column: its own HeadingButton, cbGrid
    // taking the grid's (hbButton a button, hbCell a cell, hbNone none).
    TgrColHeadingButton EffectiveHeadingButton(Integer displayCol);
    bool HasHeadingButton(Integer displayCol) { return EffectiveHeadingButton(displayCol) == cbButton; }
    bool IsHeadingCellClick(Integer displayCol) { return EffectiveHeadingButton(displayCol) == cbCell; }
    // The point lies on the button part of a heading button (at most 14
    // pixels from the heading's top).
    bool IsOverHeadingButton(Integer x, Integer y, Integer displayCol);
    // The picture of a column's SortPicture; none for spNone.
    virtual TBitmap* GetSortPictureBitmap(TgrSortPicture picture);
    // The owner's chance to change a data cell's draw information.
    virtual void FireGetDrawInfo(Integer dataCol, Integer dataRow, TgrDrawInfo& info) {}
    // Horizontal and vertical grid-line widths (0 or 1 from GridLines).
    Integer HorzLineWidth() const { return horzLineWidth_; }
    Integer VertLineWidth() const { return vertLineWidth_; }

    // ------------------------------------------------ edit notifications
    // The full load of a value into the in-cell control: the control of the
    // current control type is chosen and placed, the value (Empty replaced
    // by the control type's default) goes in as an edit by the user or as a
    // plain load, the mask follows, and the edit-select mode places the
    // selection (0 all, 2 caret, 1 as it is) before it becomes 1.
    void LoadEditorValue(const Variant& value, bool asEdit, bool byUser);
    // Puts a value into the control of a control type; used is the value
    // that went in.
    virtual void SetEditorValue(TgrControlType type, const Variant& value, Variant& used, bool byUser, bool asEdit);
    // The value an empty cell of a control type shows: "" for text, the
    // grayed state for check cells, Null (no picture) for pictures, Empty
    // (no value) otherwise.
    virtual Variant DefaultCellValue(TgrControlType type);
    // An edit or browse mode on a grid with data cells.
    bool CanEditOrBrowse();
    // The mask events of a descendant (a plain grid leaves accept as it is).
    virtual void FireInvalidMaskValue(bool& accept) {}
    virtual void FireInvalidMaskEdit(const std::string& keys, bool& accept) {}
    // Current-cell change reporting: each Check answers whether it changed
    // since the last report.
    bool CheckColChanged(Integer& oldCol);
    virtual bool CheckRowChanged(Variant& oldRow);
    virtual void FireCellChanged(Integer oldCol, const Variant& oldRow);
    // Column, then row; on a change the combo search ends and the cell
    // change fires.
    void CheckCurrentCellChanged();
    void CheckMouseStatusChanged();
    // Forgets the incremental combo search text; True when there was one.
    bool ResetComboSearchText();
    // The row and cell change events carry data rows: a descendant fires
    // them (a plain grid has none).
    virtual void DoRowChanged(const Variant& oldRow, const Variant& newRow) {}
    virtual void DoCellChanged(Integer oldCol, Integer newCol, const Variant& oldRow, const Variant& newRow) {}
    // The insert row of gmEditInsert: entering it turns it into a
    // provisional data row (OnRowCountChanged, FireInsertRow); the first
    // edit there shows a new insert row below; leaving it unedited turns it
    // back (FireDeleteRow).
    void UpdateInsertRowState(bool invalidate);
    void RevertInsertedRow();
    // True while the insert row below the data rows is shown.
    bool InsertRowShown() const { return insertRowCount_ > 0; }
    bool IsInsertRowInUse() const { return insertRowInUse_; }
    // The handlers of the in-cell controls' events (sender: the control's
    // window; points in its client coordinates). Only the control over the
    // current cell starts and reports edits. The key handlers run the
    // grid's KeyDown and KeyPress under the key lock, so the keys fire the
    // grid's key events only; what the control leaves of a key goes to the
    // grid's key table afterwards (HandleControlAfterKeyDown), a typed
    // character to the combo search (HandleControlAfterKeyPress). A click
    // is a click on the current cell; mouse events fire the grid's own in
    // grid coordinates.
    virtual void HandleControlCanEdit(TObject* sender, bool& cancel);
    virtual void HandleControlCanChange(TObject* sender, bool byUser, bool& cancel);
    virtual void HandleControlEdited(TObject* sender, bool edited, bool inserted, bool byUser);
    // The control's selection (and, when the text changed, its value) is
    // copied into the current cell and, with StoreData, the stored value.
    virtual void HandleControlChange(TObject* sender, bool textChanged);
    // cancel: the control keeps its value (the grid restored none).
    virtual void HandleControlUndo(TObject* sender, bool byUser, bool& cancel);
    virtual void HandleControlWantKey(TObject* sender, Word16 key, bool& want);
    virtual void HandleControlMaskError(TObject* sender, const std::string& text, bool& accept);
    virtual void HandleControlTextResize(TObject* sender, bool byUser);
    virtual void HandleControlAfterKeyDown(TObject* sender, Word16& key, TShiftState shift);
    virtual void HandleControlAfterKeyPress(TObject* sender, char& key);
    virtual void HandleControlKeyDown(TObject* sender, Word16& key, TShiftState shift);
    virtual void HandleControlKeyUp(TObject* sender, Word16& key, TShiftState shift);
    virtual void HandleControlKeyPress(TObject* sender, char& key);
    virtual void HandleControlClick(TObject* sender);
    virtual void HandleControlDblClick(TObject* sender);
    virtual void HandleControlMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    virtual void HandleControlMouseUp(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
    virtual void HandleControlMouseMove(TObject* sender, TShiftState shift, int x, int y);
    virtual void HandleControlKillFocus(TObject* sender);
    TgrCustomGridControl* ControlOfWindow(TObject* window) const;
    // The focus messages: the grid receives the focus (the control shows
    // or takes it) or loses it.
    void FocusEntered();
    void FocusLeft();
    // The inner hide: the control goes, the focus it had returns to the
    // grid, and with repaint the cell it covered is painted.
    void HideActiveControl(bool repaint);
    void LoadControlValue();
    // Without AlwaysShowEditor an ended cell edit (or a left cell) ends
    // edit mode, and the control goes with it.
    void EndEditModeUnlessAlwaysShown();

    // ------------------------------------------------ wheel, context menu, corner
    // The wheel scrolls the system's wheel lines (at least 1, at most the
    // fully visible rows) per notch unless a shift key is down; True when
    // it scrolled.
    virtual bool HandleMouseWheelDown(TShiftState shift, const TPoint& pos);
    virtual bool HandleMouseWheelUp(TShiftState shift, const TPoint& pos);
    // The own PopupMenu (with the grid's items) wins; otherwise the grid
    // menu shows while ProvideGridMenu.
    virtual void HandleContextPopup(const TPoint& pos, bool& handled);
    // The corner press (rsMulti only): every row selected, or, by the user
    // with every visible row selected already, none.
    virtual void SelectAllRows(bool byUser);

    // ------------------------------------------------ data-cell presses and the cell range
    // Whether a display position may take part in a selection: fixed data
    // columns and rows only with SelectFixed; a negative position is not
    // tested.
    bool IsSelectablePosition(Integer col, Integer row);
    // A point in the leftmost three pixels of a data cell, where a press
    // starts a cell range (cmRange in gmEdit, gmEditInsert or gmBrowse).
    bool IsCellRangeCorner(Integer x, Integer col, Integer row);
    // The cell click: the cell becomes current (its button pressed, a check
    // cell toggled when it was current, a text cell's editor takes the
    // click at the release); in gmListBox the row is selected instead.
    void ClickCell(TShiftState shift, Integer x, Integer row, Integer col, Integer y);
    // The range press: from the left margin a new range of the one cell,
    // with Shift (or Ctrl+Shift) on a selected range that range stretched
    // to the cell; the drag that follows extends it (msCellSelect).
    virtual void CellRangeMouseDown(TShiftState shift, Integer x, Integer row, Integer col, Integer y);
    void StartNewCellRange(Integer col, Integer row);
    // The range becomes the rectangle from the current cell (its anchor)
    // to the cell; only the strips that change are repainted.
    void ExtendCellRange(Integer col, Integer row);
    // ------------------------------------------------ heading presses
    // A left press on a selectable heading: with column selection or
    // ColMoving, once the cell edit may end, HeadingPress; otherwise the
    // heading is held and its release clicks the column's cell.
    void HeadingClick(TShiftState shift, Integer x, Integer row, Integer col, Integer y);
    // Starts a move (a plain press on a selected column, or any press
    // without column selection, with ColMoving and no fixed column
    // selected), else selects by the keys: plain SelectColAtHeading, Ctrl
    // ToggleColAtHeading, Shift ExtendColSelection, Ctrl+Shift
    // ExtendColSelectionAdd (the last three under csMulti with columns
    // selected); a drag selection follows (msColSelect).
    void HeadingPress(TShiftState shift, Integer col);
    void SelectColAtHeading(Integer col);
    void ToggleColAtHeading(Integer col);
    void ExtendColSelection(Integer col);
    void ExtendColSelectionAdd(Integer col);
    // A fixed data column is selected.
    bool IsFixedColSelected();
    // The drag of a column (row) to another place starts at a display
    // position (msColMove, msRowMove).
    void StartColMove(Integer col);
    void StartRowMove(Integer row);
    // Released, the moved column (row, or the selected block) goes to the
    // drop position; given up, nothing moves.
    void FinishColMove(bool released);
    void FinishRowMove(bool released);
    // ------------------------------------------------ border resizing
    // The resize status (msRowResize, msColResize, msHeadingResize,
    // msRowBarResize) of the border under a client point in display cell
    // (col, row), or msNone; a hit stores the resized index, the line
    // position and the pointer's offset from it.
    TgrMouseStatus IsOnSizingZone(Integer x, Integer y, Integer col, Integer row);
    // The row (the heading: 0) whose bottom border lies within two pixels
    // of y (over the row bar, anywhere with ResizeRowsInGrid); the column
    // (the row bar: 0) whose right border is caught at x (two pixels left
    // of its line to one right; in the heading row, anywhere with
    // ResizeColsInGrid); -1 when none.
    Integer HitTestRowBorder(Integer x, Integer y, Integer col);
    Integer HitTestColBorder(Integer x, Integer y);
    // A press on a border takes the hit test's status; True then.
    bool BeginResizeAtPoint(Integer x, Integer y, Integer row, Integer col);
    // With a resize status: the capture, an updated window and the line.
    void StartResizeLine();
    // The new width (height) at the release, or the set one back after a
    // double-click on the border; given up, nothing changes.
    void FinishColResize(Integer x, bool released);
    void FinishRowResize(Integer x, Integer y, bool released);
    // ------------------------------------------------ row-bar presses and row selection operations
    // A left press on a row-bar cell goes through these operations, so that
    // a grid whose rows stand for records can select records instead of
    // display rows. RowSelectMouseDown takes the press (nothing without row
    // selection); RowBarPress dispatches it by its keys: plain (and Shift
    // under rsSingle) SelectRowAtBar, Ctrl ToggleRowAtBar (under rsSingle
    // outside list-box selection too: it selects only that row), Shift
    // ExtendRowSelection, Ctrl+Shift ExtendRowSelectionAdd. An extension
    // sets handled when it took over the rest of the press (no drag
    // follows). The pressed row becomes current.
    virtual void RowSelectMouseDown(TShiftState shift, Integer x, Integer row, Integer col, Integer y);
    virtual void RowBarPress(TShiftState shift, Integer row, bool& handled);
    // Plain press: the range anchor moves to the row, which alone is
    // selected (ClickSelectRow).
    virtual void SelectRowAtBar(Integer row);
    virtual void ClickSelectRow(Integer row);
    virtual void ToggleRowAtBar(Integer row);
    // Shift: the rows from the anchor to the row when the anchor row is
    // selected (RangeSelectDone follows), else none; the row becomes
    // current.
    virtual void ExtendRowSelection(Integer row, bool& handled);
    // Ctrl+Shift: the rows from the anchor to the row join the selection
    // when the anchor row is selected, else leave it; the anchor moves to
    // the row.
    virtual void ExtendRowSelectionAdd(Integer row, bool& handled);
    // Only that row selected, and current; noPaint leaves the window to
    // the next paint (otherwise the changes show at once).
    virtual void SelectOnlyRow(Integer row, bool noPaint);
    // The pressed row reported as the new anchor of Shift ranges (the
    // current row is the anchor here, so nothing is kept).
    virtual void SetRangeAnchorRow(Integer row) {}
    // A Shift range from the selected anchor to the row is selected (the
    // row is current here already; a grid that keeps its anchor elsewhere
    // makes the row's record current).
    virtual void RangeSelectDone(Integer row) {}
    // -1, 0 or 1 as a display row lies above, on or below the current row.
    virtual Integer CompareToCurrentRow(Integer row);
    // Rows from..to shown selected (state) or not; highlighted.
    virtual void PaintSelectedRows(Integer from, Integer to, bool state);
    virtual void PaintRowsHighlighted(Integer from, Integer to);
    // The end of a row-bar selection press: the grid status follows the
    // rows selected, the selection events fire (by the user).
    void FinishRowBarSelection();
    // A press that selects only its row: no keys, or under rsSingle any but
    // Ctrl alone outside list-box selection.
    bool IsPlainRowBarPress(TShiftState shift);
    // A row selection drops a column selection and a cell range.
    void ClearSelectionsBesideRows() {
        ClearSelection(GridStatusBit(gsColsSelected) | GridStatusBit(gsCellsSelected), true);
    }
    // ------------------------------------------------ (end of row-bar presses)
    // Moves the row of a data row to a display position; OnRowMoved.
    void MoveDataRowTo(Integer dataRow, Integer displayRow, bool byUser);
    // Moves the column (row) at a display position to another, or, when it
    // is selected, all selected ones as one block that starts where the
    // selected ones before a backward drop place (after a forward one)
    // leave room; OnColMoved (OnRowMoved) with the block's first position
    // and size. False when nothing moved (a drop inside the block).
    bool MoveCol(Integer fromDisplayCol, Integer toDisplayCol);
    bool MoveRow(Integer fromDisplayRow, Integer toDisplayRow);
    // One item to another display position, the items between shifting by
    // one; no notification.
    void MoveColOrder(Integer from, Integer to);
    void MoveRowOrder(Integer from, Integer to);

    // ------------------------------------------------ resize and move feedback
    // The dotted resize line at the resize position (XOR: drawing it again
    // removes it); moving it removes it at the old place first.
    void DrawResizeLine();
    void MoveResizeLine(Integer pos);
    // The cursor for client point (x, y) over display cell (col, row), by
    // the mouse status and what a press there would start: the split
    // cursors over borders and while one is dragged, the drag cursor while
    // moving, the I-beam over an editable text cell; False leaves it to the
    // window's Cursor.
    virtual bool CursorForMouseStatus(Integer x, Integer y, Integer row, Integer col, TCursor& cursor);
    // The 2-pixel inverted drop marker of a column (row) move, at the edge
    // of the drop place that faces away from the origin; each draw toggles
    // it. Nothing is drawn for a drop place out of view or onto the moved
    // selected block itself.
    void ToggleColDropMarker();
    void ToggleRowDropMarker();
    void SetColDropPos(Integer displayCol);
    void SetRowDropPos(Integer displayRow);
    bool ResizeLineShown() const { return resizeLineShown_; }
    bool DropMarkerShown() const { return dropMarkerShown_; }
    Integer DropPosition() const { return moveToIndex_; }
    Integer ResizeLinePosition() const { return sizePos_; }
    bool WidgetEvent(QEvent* event) override;

    // ------------------------------------------------ removing columns and rows
    // Removes data columns (rows) from..to (clamped); later ones take their
    // numbers, the current cell keeps its data cell (a removed one moves to
    // the nearest column or row). OnDeleteCol, FireDeleteRow per item.
    virtual void DeleteCols(Integer from, Integer to);
    // DeleteCols without the selection reports; False when nothing was
    // removed (an empty range, or the current cell could not be left).
    bool RemoveCols(Integer from, Integer to);
    // The selected display columns (rows) in a range (either order).
    Integer CountSelectedCols(Integer from, Integer to);
    Integer CountSelectedRows(Integer from, Integer to);
    // Adds a data column (the new last one) shown at display position
    // displayCol (1..Cols + 1); False when the count could not grow. No
    // OnInsertCol fires here.
    bool InsertColAt(Integer displayCol);
    virtual void DeleteRows(Integer from, Integer to);
    // Removes the selected columns (rows; a selected insert row stays),
    // highest display position first, without asking whether the current
    // cell may be left; the current cell keeps its data cell or, when it
    // went, moves to the nearest one left at its place.
    virtual void DeleteSelectedCols();
    virtual void DeleteSelectedRows();
    // The cell records of a data column (row) go; those of the columns
    // (rows) after it, up to last, take the number one lower.
    void DropColCellRecords(Integer dataCol);
    void DropRowCellRecords(Integer dataRow);
    void ShiftColCellRecords(Integer dataCol, Integer last);
    void ShiftRowCellRecords(Integer dataRow, Integer last);
    // A data column (row) moves to the last display position and its cell
    // records go; the later ones take the numbers one lower.
    void MoveColToEnd(Integer dataCol, Integer last);
    void MoveRowToEnd(Integer dataRow, Integer last);
    void ReportRemovedCol(Integer dataCol);
    void ReportRemovedRow(Integer dataRow);
    void SettleRemovedCols(Integer old, Integer removed);
    void SettleRemovedRows(Integer old, Integer removed);

    // ------------------------------------------------ events
    TNotifyEvent OnCanStartDrag;
    TgrColChangedEvent OnColChanged;
    TgrCountChangedEvent OnColCountChanged;
    TgrMovedEvent OnColMoved;
    TgrResizedEvent OnColResized;
    TgrComboCompareEvent OnComboCompareValue;
    TgrComboLCompareEvent OnComboLCompareValue;
    TgrColEvent OnDeleteCol;
    TgrGridStatusEvent OnGridStatusChanged;
    TgrHeadingEvent OnHeadingClick;
    TgrHeadingEvent OnHeadingDown;
    TgrHeadingEvent OnHeadingUp;
    TgrColEvent OnInsertCol;
    TgrMouseStatusEvent OnMouseStatusChanged;
    TgrCountChangedEvent OnRowCountChanged;
    TgrMovedEvent OnRowMoved;
    TgrResizedEvent OnRowResized;
    TgrSelectChangedEvent OnSelectChanged;
    // Asked before the grid shows a context menu; a handler that sets
    // handled keeps every menu away.
    std::function<void(TObject*, const TPoint& pos, bool& handled)> OnContextPopup;
    // OnPaint is the control's own event. The grid has its own OnResize in
    // place of the control's: it is not fired while the grid loads.
    TNotifyEvent OnResize;
    TgrEditTextResizedEvent OnEditTextResized;
    TgrCellEditingEvent OnStartCellEdit;
    TgrRowEditingEvent OnStartRowEdit;
    TgrCellEditEvent OnCellEdit;
    TgrCellEditingEvent OnEndCellEdit;
    TgrRowEditingEvent OnEndRowEdit;
    TgrUndoCellEditEvent OnUndoCellEdit;
    TgrUndoRowEditEvent OnUndoRowEdit;
    TgrPrintGridEvent OnPrintGrid;
    TgrSpinButtonEvent OnSpinButtonDown;
    TgrSpinButtonEvent OnSpinButtonUp;
    TgrSpinButtonEvent OnSpinButtonClick;
    TgrSpinRepeatEvent OnSpinRepeat;
    TgrSpinIncrementEvent OnSpinIncrement;

    // ------------------------------------------------ cell buttons
    // The button object of a type for a display column: the grid's shared
    // one, made on first use (a btNormal column with a detail button of
    // its own gives that one; a type without a button of its own gives the
    // combo button, none before its first use).
    TgrCustomButton* GetCellButton(Integer displayCol, TgrButtonType type);
    // The button object the last hit test on a button that can react found.
    TgrCustomButton* CurrentButton() const { return buttons_.Current; }
    // A button object going away is no longer the current button.
    void ForgetCellButton(const TgrCustomButton* button);
    void FreeComboButton();
    void FreeNormalButton();
    // After a default button size changed: the buttons showing a built-in
    // picture go (they are made again with the new size), the others take
    // the new size. After a spin button size changed: both spin buttons go.
    void ReleaseDefaultButtons();
    void ReleaseSpinButtons();
    // Whether a button of that type on a display cell can react to a client
    // point: not while the point is on the open drop-down, not in the list-box
    // and browse modes, not on a read-only or fixed cell, not outside the
    // client area, and never for btNone.
    bool CanShowCellButton(Integer x, Integer y, Integer displayCol, Integer displayRow, TgrButtonType type);
    // Whether a client point is on the button of a data cell that can react
    // now: right-aligned in the cell without its grid lines, as wide and at
    // most as high as the button object, which becomes the current button.
    bool IsOverCellButton(Integer x, Integer y, Integer displayCol, Integer displayRow);
    // The part of a data cell a press on which presses its button: the
    // button, or the whole cell of a drop-down-list combo or date-time
    // drop-down cell.
    bool IsOverCellButtonArea(Integer x, Integer y, Integer displayCol, Integer displayRow);
    // Whether a client point lies on the open combo drop-down.
    bool IsPointOverDropDown(Integer x, Integer y);
    // The width a data cell's button takes from its content (0 without).
    Integer CellButtonWidth(Integer dataCol, Integer dataRow);
    // The spin half under a client point in a display cell; spbNone off
    // the button or for a cell without a spin button.
    TgrSpinButton HitTestSpinButton(Integer x, Integer y, Integer displayRow, Integer displayCol);
    // The half drawn pressed and its cell (spbNone while none is).
    TgrSpinButton PressedSpinHalf() const { return spinPressed_; }
    // Spin adapters (integer data rows); FireSpinRepeat also steps the
    // cell's value (SpinCellValue).
    virtual void FireSpinButtonDown(Integer dataCol, Integer dataRow, TgrSpinButton button);
    virtual void FireSpinButtonUp(Integer dataCol, Integer dataRow, TgrSpinButton button);
    virtual void FireSpinButtonClick(Integer dataCol, Integer dataRow, TgrSpinButton button);
    virtual void FireSpinRepeat(Integer dataCol, Integer dataRow, TgrSpinButton button, Integer count);
    virtual void FireSpinIncrement(Integer dataCol, Integer dataRow, bool& accept, Integer& pos, Integer& len,
                                   Variant& value, bool up);
    // Steps the current cell's value (with spoAutoIncrement) through the
    // in-cell editor, so the step is an edit like typing: a text cell's
    // number at the caret by its spin increment (fitted to its mask), a
    // picture cell to the next or previous image of the image list. The
    // spin-increment event may change or refuse the new value.
    virtual void SpinCellValue(Integer dataCol, Integer dataRow, bool up);
    // text with its number at the caret (a byte offset) stepped up or down
    // by increment; pos (1-based) and len give the new number in result.
    static void SpinTextValue(const std::string& text, Integer caret, bool up, double increment, Integer& pos,
                              Integer& len, std::string& result);
    // The cell text of the image after (up) or before the one current
    // names in the image list; Empty at the ends of the list or without
    // images. A value that names no image starts at the first (up) or the
    // last image.
    Variant SpinImageValue(const Variant& current, bool up);
    // Fits a spun text to the cell's mask when its definition asks for it
    // (grMaskOptionSpinAdjust): the stepped number (len bytes at pos) is
    // padded to its old form in oldText, and the first text the mask
    // accepts is taken; value becomes Empty when it accepts none.
    void AdjustSpinTextToMask(Integer dataCol, Integer dataRow, const std::string& oldText, Integer& pos,
                              Integer& len, Variant& value);

    // ---- button states and drawing (TSGridButtonPaint.cpp). States: 0
    // normal, 1 raised (under the mouse), 2 pressed. A halves mask names the
    // spin halves to draw: 2 the up half, 4 the down half, 6 both.
    static constexpr Integer kSpinUpMask = 2, kSpinDownMask = 4, kSpinBothMask = 6;
    // The cell's button in the state the mouse gives it: pressed while held
    // on it, raised under the mouse, else normal (face colour only with
    // ibsBackGround or on the active button).
    void DrawCellButton(const TgrCellPaintInfo& info, bool selected);
    // Repaints one cell's button at once, outside a paint pass.
    void RepaintCellButton(Integer displayCol, Integer displayRow, Integer state, TColor color,
                           TgrSpinButton pressedHalf, Integer halves);
    void DrawButtonArea(const TgrCellPaintInfo& info, bool selected);
    void DrawButtonFace(TColor color, Integer state, bool selected, const TgrCellPaintInfo& info);
    void DrawButtonPicture(const TgrCellPaintInfo& info, TColor color, Integer state);
    void DrawSpinButton(TgrButtonType type, Integer halves, bool selected, const TgrCellPaintInfo& info, TColor color,
                        TgrSpinButton pressedHalf);
    // Raised (pressed) frame of a button rectangle: line on its left and
    // above it where asked, inner edges where the rectangle has its full
    // size (full width and height of the button).
    void DrawButtonFrameUp(const TRect& r, TColor line, bool leftLine, bool topLine, Integer fullHeight,
                           Integer fullWidth);
    void DrawButtonFrameDown(const TRect& r, TColor line, bool leftLine, bool topLine, Integer fullHeight,
                             Integer fullWidth);
    // The two halves of a spin button (up: the upper or right half) and the
    // size of a half.
    Integer CalcSpinRects(const TgrCellPaintInfo& info, TRect& up, TRect& down);
    Integer CalcVertSpinRects(const TgrCellPaintInfo& info, TRect& upper, TRect& lower);
    Integer CalcHorzSpinRects(const TgrCellPaintInfo& info, TRect& right, TRect& left);
    void DrawSpinArrow(TgrButtonType type, TgrSpinButton half, bool pressed, TBitmap* arrow, Integer halfHeight,
                       Integer halfWidth, const TRect& r);
    bool IsSpinPartHit(Integer x, Integer y, TgrSpinButton half, Integer displayRow, Integer displayCol);
    // The given colour when set, else the selection colour (selected, shown
    // in it), else the focus colour (the focus cell), else the cell's.
    TColor ButtonBackColor(TColor color, const TgrCellPaintInfo& info, bool selected);
    bool ShowsButton3D(Integer displayCol, Integer displayRow);
    // Unchecked True; checked only the current cell in edit mode that is
    // not read-only.
    bool IsButtonActive(Integer displayCol, Integer displayRow, bool check);
    bool IsCurrentCellInEdit(Integer displayCol, Integer displayRow);
    // A neighbour (left, above, above-left) whose shared grid line is off,
    // so that its button touches the current cell's focus frame.
    bool TouchesFocusCell(Integer displayCol, Integer displayRow);
    // ---- the button under the mouse (TSGridHotButtons.cpp). A cell button
    // the pointer rests on shows raised; with FlatButtons a 50 ms watch
    // lowers it again once the pointer has left it, also out of the window.
    static constexpr Integer HotButtonTimerId = 3;
    void UpdateHotButton(Integer x, Integer y, Integer displayRow, Integer displayCol);
    // The end of a button press: the pressed button comes up, a raised one
    // elsewhere goes back to normal and the button under the pointer is
    // raised.
    void ReleaseCellButton(Integer x, Integer y);
    // Lowers the raised and the pressed button and forgets them.
    void ReleaseCellButtons();
    TCellCoord_ts HotButtonCell() const { return hotButton_; }

protected:
    // ------------------------------------------------ construction
    void InitDefaults();
    virtual std::unique_ptr<TgrGridCols> CreateGridCols();
    virtual std::unique_ptr<TgrGridRows> CreateGridRows();
    virtual void CreateCellControls();
    // The constructor runs the grid's own factories (a virtual call there
    // does not reach a descendant); a descendant that supplies its own
    // column, row or current-cell classes calls this from its constructor
    // to make the lists and the current cell again through its factories
    // (column and row objects of the old lists are dropped).
    void RecreateGridCollections();

public:
    // ------------------------------------------------ descendant hooks
    // Cell-button and date-time notifications with integer data rows. The
    // grid class has no events of its own for them; a descendant turns
    // them into events that name its records.
    virtual void FireButtonDown(Integer dataCol, Integer dataRow) {}
    virtual void FireButtonUp(Integer dataCol, Integer dataRow) {}
    virtual void FireButtonClick(Integer dataCol, Integer dataRow) {}
    // A double-click on a cell (data column and data row; 0 for the heading
    // row or the row bar, -1 outside the cells).
    virtual void FireDblClickCell(Integer dataCol, Integer dataRow) {}
    virtual void FireDateTimeInit(TgrDateTimeDefComponent* def, Integer dataCol, Integer dataRow) {}
    virtual void FireDateTimeDropDown(TgrDateTimeDefComponent* def, Integer dataCol, Integer dataRow) {}
    virtual void FireDateTimeRollUp(TgrDateTimeDefComponent* def, Integer dataCol, Integer dataRow) {}
    virtual void FireDateTimeGetValue(TgrDateTimeDefComponent* def, Integer dataCol, Integer dataRow,
                                      Variant& value) {}
    // Where a cell given by data column and data row lies: either negative
    // is outside, then the corner (0, 0), the row bar (column 0), the
    // heading row (row 0) and the data cells.
    static TgrClickPosition GetClickPosition(Integer dataCol, Integer dataRow);
    // The same for a display cell.
    TgrClickPosition ClickPositionOf(Integer displayCol, Integer displayRow) const;
    // The data number of a display column (row) for the click notifications:
    // 0 for the row bar (heading row), -1 outside the cells.
    Integer ClickDataCol(Integer displayCol);
    Integer ClickDataRow(Integer displayRow);
    // A click released: the press's and the release's cells (data numbers
    // as above) with the position of each. True when the descendant's
    // click-cell event took the click; the grid class has no such event.
    virtual bool FireClickCell(Integer downCol, Integer downRow, Integer upCol, Integer upRow,
                               TgrClickPosition downPos, TgrClickPosition upPos) {
        return false;
    }
    // Works out both positions and passes the click on to FireClickCell; in
    // a dropped-down list a click no handler took goes to the owner grid's
    // PickComboValue.
    bool NotifyClickCell(Integer downCol, Integer downRow, Integer upCol, Integer upRow);
    // A click in the dropped-down list (its data rows; 0 the heading, -1
    // outside): a release on a row takes that row's value into the current
    // cell and closes the list.
    void PickComboValue(Integer downRow, Integer upCol, Integer upRow);
    // The display cells the left press and its release landed on; a
    // descendant may note more (the records under them).
    virtual void SetMouseDownCell(Integer displayCol, Integer displayRow) { mouseDownCell_ = {displayCol, displayRow}; }
    virtual void SetMouseUpCell(Integer displayCol, Integer displayRow) { mouseUpCell_ = {displayCol, displayRow}; }
    TCellCoord_ts MouseDownCell() const { return mouseDownCell_; }
    TCellCoord_ts MouseUpCell() const { return mouseUpCell_; }

protected:
    // ------------------------------------------------ row drag selection
    // The steps of a row drag and of its auto-scroll. The grid inverts the
    // rows between the drag's anchor row and its end; a grid that keeps its
    // row selection elsewhere (by record) makes these its own.
    // A row drag starts on a display row: anchor and end.
    virtual void SetMouseSelectRow(Integer displayRow);
    Integer MouseSelectRow() const { return rowSelectStart_; }
    Integer RowDragEnd() const { return rowDragEnd_; }
    void SetRowDragEnd(Integer displayRow) { rowDragEnd_ = displayRow; }
    // The drag end moves to a row below, above or onto the anchor.
    virtual void DragSelectRowsDown(Integer displayRow);
    virtual void DragSelectRowsUp(Integer displayRow);
    virtual void DragSelectRowsAtCurrent(Integer displayRow);
    // A pointer above or below the rows runs the auto-scroll (True: the
    // drag step is skipped); row is then the row under the pointer.
    virtual bool CheckDragAutoScroll(Integer x, Integer y, Integer& col, Integer& row);
    // One step of the loop of a row drag held above (below) the rows, the
    // pointer at x, y; False when nothing more can scroll.
    virtual bool DragSelectScrollUp(Integer x, Integer y);
    virtual bool DragSelectScrollDown(Integer x, Integer y);
    // A step down with the anchor above the view's last row (below it).
    virtual bool DragSelectStepDown(Integer x, Integer y);
    virtual bool DragSelectStepDownReverse(Integer x, Integer y);
    // Inverts the selection of the display rows from..to, in either order.
    virtual void ToggleDisplayRows(Integer from, Integer to);
    // The row drag ends: released, the selection stays as dragged; given
    // up (Esc, a cancelled mouse action), the rows from the anchor to the
    // drag end are inverted back, the anchor included (not in list-box
    // select). The selection events fire either way.
    virtual void EndDragSelectRows(bool released);
    // Whether the pointer of a row drag lies on the rows (updated by every
    // drag move). A dropped-down list shows its row selected only then.
    bool PointerInRows() const { return pointerInRows_; }
    // The hold of a list that has just dropped down: a drag leaving its
    // rows does not scroll it until the pointer has come back onto them.
    bool AutoScrollHeld() const { return autoScrollHold_; }
    void SetAutoScrollHold(bool value) { autoScrollHold_ = value; }
    // ------------------------------------------------ (end of row drag selection)
    // Column and cell-range drags. The mouse move passes the display cell
    // under the pointer (clamped into the grid) to the tracking of the
    // running drag: rows, columns (from the current column, the anchor, the
    // columns up to the end invert from their state at the press) or the
    // cell range (stretched from the current cell to the cell).
    void TrackRowDragSelect(Integer x, Integer y, Integer row, Integer col);
    void TrackColDragSelect(Integer x, Integer y, Integer row, Integer col);
    void TrackCellDragSelect(Integer x, Integer y, Integer row, Integer col);
    void DragSelectColsRight(Integer col);
    void DragSelectColsLeft(Integer col);
    void DragSelectColsAtCurrent(Integer col);
    // Inverts the selection of the display columns from..to, in either order.
    void ToggleDisplayCols(Integer from, Integer to);
    // The column drag ends: given up, the columns from the anchor to the
    // drag end are inverted back; the cell drag given up removes the range.
    // The selection events fire either way.
    void EndDragSelectCols(bool released);
    void EndDragSelectCells(bool released);

    virtual void AttachCellControls();
    void HeadingFontChanged();

    // Timer steps (the spinning behaviour overrides them).
    // Timer 2: a held spin half steps again (the first tick switches the
    // timer from SpinStartDelay to SpinRepeatDelay).
    virtual void ButtonRepeatTick();
    // The size message: OnResize (not while loading) and the scroll bars.
    void BoundsChanged() override;
    // The grid's activating press is recorded for double clicks that end
    // on an in-cell control.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void DblClick() override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    // The grid's key table (after OnKeyDown, unless keys are locked): an
    // open combo list takes its keys first, Esc ends a mouse operation, a
    // current cell out of view comes back, then the table's moves run.
    void ProcessKeyDown(Word16& key, TShiftState shift) override;
    // The first key release after a focus taken by keyboard hands the
    // focus to the shown in-cell control.
    void KeyUp(Word16& key, TShiftState shift) override;
    // Typing starts editing a text cell; the character goes to the editor.
    void KeyPress(char& key) override;
    // Keys the in-cell control passes on fire the grid's key events but are
    // not processed as navigation while the key lock is raised.
    // The key lock: False raises it, True lowers it (never below 0); keys
    // are not processed as navigation while it is raised.
    void LockKeys(bool unlock) {
        if (!unlock) ++keyLock_;
        else if (keyLock_ > 0) --keyLock_;
    }
    bool KeysUnlocked() const { return keyLock_ == 0; }

    // ------------------------------------------------ abstract operations
    // Completes a cell's value (stored cell data in, final value out).
    virtual Variant LoadCellValue(Integer dataCol, Integer dataRow, const Variant& stored) = 0;
    // Lets the descendant paint a cell itself (info is filled, rect the
    // cell); True when it did, so the grid paints nothing of its own there.
    virtual bool PaintCellData(TgrCellPaintInfo& info, const TRect& rect, bool selected) = 0;
    virtual bool HasGetDrawInfo() = 0;
    virtual void DoTopLeftChanged(Integer oldCol, Integer oldRow, Integer newCol, Integer newRow, bool byUser) = 0;
    virtual void FireInsertRow(Integer dataRow, bool byUser) = 0;
    virtual void FireDeleteRow(Integer dataRow, bool byUser) = 0;
    virtual void PreparePrint() = 0;
    virtual void PrintGrid() = 0;
    virtual void PreviewGrid() = 0;
    virtual void ExportGrid() = 0;

    // ------------------------------------------------ event operations
    virtual void DoCanStartDrag();
    virtual void DoColChanged(Integer oldCol, Integer newCol);
    virtual void DoColCountChanged(Integer oldCount, Integer newCount);
    void DoColMoved(Integer toDisplayCol, Integer count, bool byUser) override;
    virtual void DoColResized(Integer dataCol);
    virtual void DoDeleteCol(Integer dataCol, bool byUser);
    virtual void DoGridStatusChanged(TgrGridStatus oldStatus, TgrGridStatus newStatus);
    virtual void DoEditTextResized(bool byUser);
    virtual void DoPaint();
    virtual void DoResize();
    virtual void DoHeadingClick(Integer dataCol);
    virtual void DoInsertCol(Integer dataCol, bool byUser);
    virtual void DoMouseStatusChanged(TgrMouseStatus oldStatus, TgrMouseStatus newStatus);
    virtual void DoRowCountChanged(Integer oldCount, Integer newCount);
    // The data row count changed from old to new: OnRowCountChanged, only
    // when they differ.
    virtual void NotifyRowCountChanged(Integer oldCount, Integer newCount);
    virtual void DoRowMoved(Integer toDisplayRow, Integer count, bool byUser);
    virtual void DoRowResized(Integer dataRow);
    virtual void DoSelectChanged(TgrSelectType selectType, bool byUser);

    // The base's cell painting: DrawGridCell in the cell's selection state.
    void PaintCell(Integer col, Integer row, const TRect& rect, TGridDrawState_ts state) override;
    // ---- the paint entry (TSGridPaintBody.cpp). The first paint draws
    // straight on the window; every later one draws into the shared memory
    // canvas, locked for this grid, and copies the clip box to the window.
    // The scroll bars are drawn on the window after the body.
    void Paint() override;
    // The cells in the canvas clip: grid lines, then the cells, then the
    // area beyond the last cells.
    void PaintBody();
    // The fixed rows, then the visible scrolling rows from firstRowIndex in
    // the visible-row list, each through PaintRowCells; bottom and right
    // become the edges where the rows (columns) ran out before the clip
    // ended (else one past the client area). Coordinates are laid out from
    // the left; a mirrored grid shows them from the right.
    void PaintCells(const TRect& clip, Integer firstColIndex, Integer& bottom, Integer& right, Integer firstRowIndex);
    void PaintRowCells(Integer row, Integer y, Integer& right, Integer firstColIndex, const TRect& clip);
    // The grid colour right of x (down to y) and below y.
    virtual void FillOutsideCells(Integer x, Integer y);
    // Lines run from the row bar's right edge and the heading's bottom edge
    // on; none inside the row bar or the heading.
    void DrawGridLines(const TRect& clip, Integer firstColIndex, Integer firstRowIndex);
    void DrawHorzGridLines(const TRect& clip, Integer firstColIndex, Integer firstRowIndex);
    void DrawVertGridLines(const TRect& clip, Integer firstColIndex, Integer firstRowIndex);
    // One line across a row (down a column) in segments: neighbours of the
    // same look form one segment. A segment beside a 3D cell is grey and is
    // drawn even where GridLines draws no lines that way; the line after the
    // last fixed data row (column) takes FixedLineColor while it is set.
    void DrawHorzLineSegments(Integer row, Integer y, Integer firstColIndex, bool fixedLine, const TRect& clip);
    void DrawVertLineSegments(Integer col, Integer x, Integer firstRowIndex, bool fixedLine, const TRect& clip);
    // The two directions share one walk: rows (lines under them) or columns.
    struct TgrLineAxis {
        TgrVisibleItems* List;
        Integer Fixed, Total;
        Integer (TCustomGrid_ts::*Extent)(Integer) const;
    };
    TgrLineAxis LineAxis(bool rows);
    void DrawGridLinesAlong(bool horizontal, const TRect& clip, Integer firstColIndex, Integer firstRowIndex);
    void DrawLineSegments(bool horizontal, Integer line, Integer at, Integer firstIndex, bool fixedLine,
                          const TRect& clip);
    // The first buffered paint acquires the memory canvas at the grid's
    // size; later ones grow it when the grid grew.
    void PrepareMemoryCanvas(TCanvas* windowCanvas);
    // Gives up the grid's use of the memory canvas (at destruction).
    void ReleaseMemoryCanvas();
    // Runs after every paint message, also when the paint raised: the
    // deferred in-cell control refresh, then the deferred scroll-bar and
    // scroll-position updates.
    virtual void AfterPaint();
    void NotifyCountsChanged(Integer oldColTotal, Integer oldRowTotal) override;
    void TopLeftMoved(const TCellCoord_ts& oldTopLeft) override;
    // The base's top-left reaction: the view is clamped and the change
    // reported (ClampTopLeft).
    void NotifyTopLeftChanged() override;
    // The pixel scroll of a moved view by the scroll mode; the whole grid
    // is invalidated instead while it cannot paint.
    void ScrollDrawArea(Integer dx, Integer dy, const TGridLayout_ts& layout) override;
    void ScrollPlain(Integer dx, Integer dy, const TGridLayout_ts& layout);
    void ScrollKeepingCell(Integer dx, Integer dy, const TGridLayout_ts& layout);
    void CurrentCellMoved(const TCellCoord_ts& oldCurrent) override;
    void NotifyColWidthsChanged() override;
    void NotifyRowHeightsChanged() override;

    bool inCellLoaded_ = false;
    // Loading from a form file has finished: the cell attributes read are
    // placed, the grid repaints and deferred layout work runs.
    void Loaded() override;

private:
    // The paint information of a cell shown at raw in a selection state.
    bool FillDrawInfoAt(Integer displayCol, Integer displayRow, const TRect& raw, bool selected,
                        TgrCellPaintInfo& info);
    void PaintFromInfo(TgrCellPaintInfo& info);
    // Heading content and button areas (text, sort picture, button frame).
    void LayoutHeadingCell(TgrCellPaintInfo& info);
    virtual void DrawHeadingButton(TCanvas* canvas, const TgrCellPaintInfo& info);
    // The frame lines of a heading button, pressed and shown down or not.
    void DrawHeadingButtonUp(TCanvas* canvas, const TgrCellPaintInfo& info);
    void DrawHeadingButtonDown(TCanvas* canvas, const TgrCellPaintInfo& info);
    // Heading-button presses: a press on a heading button's part (or on a
    // heading that reacts as a cell) is held like a button, shown pressed
    // while the pointer stays on it, and fires OnHeadingUp and, released
    // on it, OnHeadingClick instead of selecting the column.
    bool HeadingButtonHitTest(Integer x, Integer y, Integer displayCol);
    bool PressHeadingButton(Integer displayCol, Integer x, Integer y);
    bool HeadingShownDownAt(Integer x, Integer y);
    bool FindVisibleLine(bool rows, Integer target, Integer& result);
    // scrolling: the mode of the one move under way, the previous current
    // cell and its row-bar cell on the screen when it was set, the focus
    // frame reaching the fixed lines, the cell current before the last
    // change; the top-left reaction's nesting, whether it ran, and the
    // pair last reported; whether each bar is shown.
    TgrScrollMode scrollMode_ = smPlain;
    TRect prevCellRect_, prevRowRect_;
    bool topFocusBoundary_ = false, leftFocusBoundary_ = false;
    TCellCoord_ts prevDisplayCell_{1, 1};
    Integer clampNesting_ = 0;
    bool clampRan_ = false;
    TCellCoord_ts reportedTopLeft_{1, 1};
    bool horzBarShown_ = false, vertBarShown_ = false;
    // Ends a heading-button press; False when none was held.
    bool ReleaseHeadingButton(bool released);
    // The plain selection look (the cell inverted) and the focus frame
    // after a cell's own painting.
    void FinishCellPaint(TgrCellPaintInfo& info);
    // What the row bar of a display row shows: the current row's picture
    // (CurrentRowIndicator), the insert row's star, or a changed row's
    // pencil under riOn.
    TgrRowIndicator RowIndicatorOf(Integer displayRow);
    TgrRowIndicator CurrentRowIndicator(Integer displayRow);
    void PaintRowIndicator(const TgrCellPaintInfo& info);
    // Data cells: the value and its text or check state, the selection and
    // focus colours, a value painted by its control type, the button and
    // the last painted cell after a data cell's own painting.
    void SetPaintValue(TgrCellPaintInfo& info, const Variant& value);
    void ApplyStateColors(TgrCellPaintInfo& info);
    void PaintByControlType(TgrCellPaintInfo& info, bool selected);
    void FinishDataCell(TgrCellPaintInfo& info);
    // Painting outside the paint pass waits for the next paint (the cell is
    // invalidated) while the grid cannot paint now.
    bool CanPaintCellNow(const TgrCellPaintInfo& info);
    // The picture a picture cell's value names (a bitmap, or an image of the
    // image list named by text) and the image list's transparent colour.
    TBitmap* CellPicture(const Variant& value, TColor& listTransparent);
    TCellCoord_ts lastPaintedCell_{-1, -1};
    TgrSpinButton SpinHalfAt(const TgrCellPaintInfo& info, Integer x, Integer y);
    // A button held down with the mouse on a display cell and its half.
    bool ButtonPressedAt(Integer displayCol, Integer displayRow, TgrSpinButton& half) const;
    void TrackHotButton();
    // Button presses on the current cell. A spin press fires the spin-down
    // event and one repeat, moving keeps the half pressed only while the
    // pointer is on it, releasing fires the click (on the half) and the up
    // event. A normal or date-time popup button fires FireButtonDown, shows
    // pressed while the pointer is on it, and its release fires
    // FireButtonClick and FireButtonUp (FireButtonRelease). A press on the
    // button area of a combo cell drops its list down, or closes it when it
    // is down; a date-time drop-down cell drops its editor down. False when
    // the point is on no such button (nothing is held).
    bool PressCellButton(Integer displayCol, Integer displayRow, Integer x, Integer y);
    // The release of a held combo, normal or date-time button: the click
    // fires when released on the button or over any drop-down cell (a date-
    // time popup button's click then opens its editor), the up event over
    // a cell with a combo, normal or date-time button.
    void FireButtonRelease(Integer x, Integer y);
    bool dropButtonPressed_ = false, dropButtonHeld_ = false;
    // The second press of a double-click that is neither on a button area
    // nor on a border: OnDblClick and the double-click-cell notification,
    // then a fresh press when it lands on the current cell (else the
    // release is ignored).
    void DoubleClickPress(TShiftState shift, Integer x, Integer y);
    bool ignoreRelease_ = false;
    // The working combo serves a cell without a combo of its own: it
    // starts afresh with the cell's drop-down style and sizes.
    void PrepareWorkCombo(Integer dataCol, Integer dataRow);
    // The grid mode a combo list takes from its owner, set even where the
    // grid-mode setter refuses (a list outside design time).
    void StoreGridMode(TgrGridMode value);
    bool TrackPressedButton(Integer x, Integer y);
    // Track on first move, armed at run time when a list drops down
    // (ArmComboTracking) and used at most once: the first pointer move
    // that this grid or its list sees without a press of its own, or a
    // combo button held onto the list, starts a row drag in the list at its
    // current row with the capture (HandOverComboCapture), so its current
    // row follows the pointer and a release on a row chooses it.
    bool IsOverDroppedList(Integer x, Integer y);
    void ArmComboTracking();
    void HandOverComboCapture();
    bool TrackComboOnFirstMove(Integer x, Integer y);
    // A list that tracks the pointer without a press of its own ends that
    // at a press: outside the list it closes the drop-down (True, the press
    // is used up), inside it goes on as a plain press.
    bool EndComboHoverTracking(Integer x, Integer y);
    bool trackOnFirstMove_ = false;
    bool IsPointInRowsArea(Integer x, Integer y);
    // A point on a shown row of this list.
    bool IsOnListRow(Integer x, Integer y);
    bool EndCellButtonPress(bool released, Integer x, Integer y);
    void SetButtonShownDown(bool down);
    bool IsOverCurrentButton(Integer x, Integer y);
    void SetPressedSpin(Integer displayCol, Integer displayRow, TgrSpinButton half);
    static void ThumbSpan(Integer length, const TScrollInfo& info, Integer& pos, Integer& thumb);
    // A press on a painted scroll bar scrolls; True when the point was on one.
    bool ScrollBarPress(Integer x, Integer y);
    // The key moves' shared steps: the current cell may be left for a
    // target (its edit ends), the row moves by one enterable row, a page,
    // and the corner moves of the Ctrl keys.
    bool LeaveCellFor(Integer displayCol, Integer displayRow);
    void MoveVertically(Integer step);
    void MoveRowBy(Integer step);
    void MovePage(Integer step);
    void MoveToCorner(Integer col, Integer row, Integer scrollKind, Integer placement, bool checkReach);
    void ClearCellRange();
    TCellCoord_ts DataCellNear(Integer x, Integer y);
    void RightPress(Integer x, Integer y);
    void MousePress(TShiftState shift, Integer x, Integer y);
    // Which of the two a left press on a data cell is, and its dispatch.
    bool StartsCellRange(TShiftState shift, Integer x, Integer col, Integer row);
    void DataCellPress(TShiftState shift, Integer x, Integer y, Integer col, Integer row);
    // A heading held from its press (a move, or a button-like press).
    void HoldHeading(Integer col, TgrMouseStatus status);
    // The end of a column press: grid status, selection mark, current cell.
    void ColPressDone();
    void DragSelectTo(Integer x, Integer y);
    void FinishMouseAction(bool released, Integer x, Integer y);
    void ToggleDropMarker();
    bool CursorRequest(int x, int y, TCursor& cursor) override;
    void InvertBand(const TRect& band);
    bool DropOntoMovedCols();
    bool DropOntoMovedRows();
    void StartMoveFeedback();
    void TrackColMove(Integer x, Integer y);
    void TrackRowMove(Integer x, Integer y);
    bool resizeLineShown_ = false, dropMarkerShown_ = false;
    bool borderDoubleClick_ = false, sizingHeading_ = false, sizingRowBar_ = false, sizingDefaultRow_ = false;
    bool sizingDefaultCol_ = false;
    // Raised while the grid sets a width (height) itself: the columns
    // (rows) do not follow a new default then, they are sized after it.
    bool settingColWidth_ = false, settingRowHeight_ = false;
    // One display column's width (row's height) changed: a hidden one goes
    // back to 0, a fixed one rechecks the view, a dropped-down list refits.
    void ColWidthChanged(Integer displayCol);
    void RowHeightChanged(Integer displayRow);
    // All widths (heights) of the base changed; the objects take the base's
    // sizes (lastChanged: the last width or height an object took, 0 none).
    void ColWidthsUpdated();
    void RowHeightsUpdated();
    void SyncColWidths(Integer& lastChanged);
    void SyncRowHeights(Integer& lastChanged);
    bool colWidthsUpdating_ = false, rowHeightsUpdating_ = false;
    void FollowDefaultColWidth();
    void FollowDefaultRowHeight();
    // The heading height last set other than by dragging its border.
    Integer restHeadingHeight_ = 15, restRowBarWidth_ = 14;
    // The cell-level record the resolution reads (FindCellElement without
    // checks); CachedCellRecord is the grid's own cell set behind the cache.
    TgrCustomPropElement* CellRecord(Integer dataCol, Integer dataRow) { return FindCellElement(dataCol, dataRow, false); }
    TgrCellElement* CachedCellRecord(Integer dataCol, Integer dataRow);
    bool SpinLevel(Integer dataCol, Integer dataRow, TgrSpinOptions& options, double& increment);
    // The base changed its column or row count: the data model follows,
    // the count events fire with data counts, the scroll bars follow.
    void SizeChanged(Integer oldColCount, Integer oldRowCount);
    // Pressed positions that lie beyond the counts are forgotten.
    void ValidateButtonPositions();
    // The insert rows the base's row count held at the last size change.
    Integer sizedInsertRows_ = 0;
    void SetStorageSizeHint(Integer cols, Integer rows);
    void InvalidateIfSelection();
    bool HasSelection() const;

    // in-cell control state
    bool controlShown_ = false;
    // A refresh placed the control; the end of the next paint shows it.
    bool controlRefreshAfterPaint_ = false;
    bool hidingControl_ = false, hideRepaintSkipped_ = false;
    // The focus came by keyboard and stays with the grid until the key is up.
    bool focusByKeyboard_ = false;
    // A press that made a text cell current, handed to the control after
    // its release (ForwardPressToEditor); grid client coordinates.
    bool controlClickPending_ = false, controlClickRepeated_ = false;
    TPoint controlClickPos_;
    // The display cell the control was last placed over.
    TCellCoord_ts controlPlacedAt_{-1, -1};
    bool controlHiddenByGrid_ = true;
    bool editModeFlag_ = true;
    Byte editSelectMode_ = 2;
    bool paintSuppressed_ = false;
    TgrCustomGridControl* activeControl_ = nullptr;
    std::unique_ptr<TgrEditGridControl> editControl_;
    std::unique_ptr<TgrCheckGridControl> checkControl_;
    std::unique_ptr<TgrDefaultGridControl> defaultControl1_;
    std::unique_ptr<TgrDefaultGridControl> defaultControl2_;

    // current position: the display position is the grid base's current
    // cell itself, so a key, a click and a call all move the same one; the
    // data numbers follow it through CurrentCellMoved.
    Integer& curDisplayCol_ = current_.Col;
    Integer& curDisplayRow_ = current_.Row;
    Integer curDataCol_ = 1, curDataRow_ = 1;

    // index maps and visible lists
    std::vector<Integer> colMap_;  // display -> data
    std::vector<Integer> rowMap_;
    std::unique_ptr<TgrVisibleItems> visibleCols_;
    std::unique_ptr<TgrVisibleItems> visibleRows_;

    // cell property model
    TgrIntegerSetList colCellSets_;
    TgrIntegerSetList rowCellSets_;
    std::unique_ptr<TgrCellPropSet> cellProps_;

    Integer horzLineWidth_ = 1, vertLineWidth_ = 1;
    Integer savedDefaultRowHeight_ = 14, savedDefaultColWidth_ = 64;
    Integer rowBarWidth_ = 14, headingHeight_ = 15;

    std::unique_ptr<TgrGridCols> gridCols_;
    std::unique_ptr<TgrGridRows> gridRows_;

    std::vector<bool> rowChanged_;  // by data row
    std::unique_ptr<TgrSelection> rowSelection_ = std::make_unique<TgrSelection>();
    std::unique_ptr<TgrSelection> colSelection_ = std::make_unique<TgrSelection>();
    std::unique_ptr<TgrCurrentCell> currentCell_;
    bool rowSelectionChanged_ = false, colSelectionChanged_ = false;
    Integer editStartLock_ = 0;
    bool cellEditing_ = false;

    bool comboGrid_ = false;
    TgrBaseGrid* ownerGrid_ = nullptr;
    bool designFlag_ = false;
    bool readingLayout_ = false, writingLayout_ = false;
    TgrPropIdSet layoutResetIds_;
    bool initialising_ = false;
    Integer updateLock_ = 0;
    // Raised while removed columns (rows) are moved to the end and dropped.
    Integer colsRemoving_ = 0, rowsRemoving_ = 0;
    Integer paintLock_ = 0;
    Integer keyLock_ = 0;
    int lastWidth_ = -1, lastHeight_ = -1;
    TTimer* timers_[3] = {nullptr, nullptr, nullptr};
    Integer enteringFocus_ = 0;
    bool cellCacheInvalid_ = true;
    Integer cachedCellCol_ = -1, cachedCellRow_ = -1;
    TgrCellElement* cachedCell_ = nullptr;

    TgrGridButtons buttons_;
    std::unique_ptr<TgrMaskLink> maskLink_;
    std::unique_ptr<TgrImageLink> imageLink_;
    std::unique_ptr<TgrDateTimeLink> dateTimeLink_;
    TgrDateTimeDefComponent* dateTimeDef_ = nullptr;
    TStringList imageNames_;
    TgrIntegerList fontCols_, fontRows_;
    TgrCoordList fontCells_;
    std::unique_ptr<Tts2DStorage> storage_;
    std::unique_ptr<std::vector<Integer>> layoutColMap_;
    std::unique_ptr<TFont> headingFont_;

    // published-property fields
    bool headingOn_ = true, rowBarOn_ = true;
    Integer fixedColCount_ = 0, fixedRowCount_ = 0;
    TgrGridMode gridMode_ = gmEdit;
    TgrRowSelectMode rowSelectMode_ = rsMulti;
    TgrColSelectMode colSelectMode_ = csMulti;
    TgrCellSelectMode cellSelectMode_ = cmRange;
    TgrSelectionType selectionType_ = sltDefault;
    TColor selectionColor_ = TColor(0x8000000D), selectionFontColor_ = TColor(0x8000000E);
    bool selectFixed_ = true;
    TCursor selectedAreaCursor_ = 0;
    bool colMoving_ = true, rowMoving_ = true;
    TgrResizeCols resizeCols_ = rcSingle;
    TgrResizeRows resizeRows_ = rrAll;
    bool resizeColsInGrid_ = false, resizeRowsInGrid_ = false;
    TgrGridLines gridLines_ = glBoth;
    TColor lineColor_ = TColor(12632256), fixedLineColor_ = TColor(0);
    TgrDrawOverlap drawOverlap_ = doDrawColOnTop;
    bool is3D_ = false, heading3D_ = true;
    TColor headingColor_ = TColor(0x8000000F);
    bool headingParentFont_ = true;
    TgrHorzAlignment headingHorzAlignment_ = htaDefault, horzAlignment_ = htaDefault;
    TgrVertAlignment headingVertAlignment_ = vtaDefault, vertAlignment_ = vtaDefault, rowBarAlignment_ = vtaDefault;
    TgrWordWrap headingWordWrap_ = wwDefault, wordWrap_ = wwDefault;
    TgrHeadingButton headingButton_ = hbNone;
    bool rowBarIndicator_ = true;
    TgrRowChangedIndicator rowChangedIndicator_ = riOn;
    TColor editColor_ = grColorNotSet, editFontColor_ = grColorNotSet;
    TgrFocusBorder focusBorder_ = fbDot;
    TColor focusColor_ = grColorNotSet, focusFontColor_ = grColorNotSet;
    bool alwaysShowEditor_ = true, alwaysShowFocus_ = false, skipReadOnly_ = true;
    bool tabRowWrap_ = true, wantTabs_ = true, checkMouseFocus_ = true;
    TgrCheckBoxStyle checkBoxStyle_ = stCheck;
    std::string checkBoxValues_;
    TScrollStyle scrollBars_ = ssBoth, alwaysShowScrollBar_ = ssNone;
    TgrScrollSpeed scrollSpeed_ = spVariable;
    bool thumbTracking_ = false, flatButtons_ = true, readOnlyButton_ = true;
    Integer buttonEdgeWidth_ = 2, defaultButtonWidth_ = 11, defaultButtonHeight_ = 9;
    Integer spinButtonWidth_ = 11, spinButtonHeight_ = 9, spinStartDelay_ = 500, spinRepeatDelay_ = 80;
    bool spinStart_ = true;
    TgrInactiveButtonState inactiveButtonState_ = ibsBackGround;
    bool stretchPicture_ = true, shrinkPicture_ = true, centerPicture_ = true, keepAspectRatio_ = false;
    TColor transparentColor_ = grColorNotSet;
    bool storeData_ = false, autoScale_ = false;
    Integer comboRowHeight_ = 14;
    std::string printTitle_;
    Integer printLinesPerPage_ = 40;
    TgrPrintMode printOrientation_ = pmLandscape;
    bool printTotals_ = true;
    Integer printCols_ = 0;
    bool printWithGridFormats_ = true, provideGridMenu_ = true;
    TgrGridStatus gridStatus_ = gsNormal;
    TgrMouseStatus mouseStatus_ = msNone;
    // The display cells of the last left press and release, and whether the
    // press was the grid's own (a release after it clicks even when the
    // grid did not keep the focus).
    TCellCoord_ts mouseDownCell_{-1, -1}, mouseUpCell_{-1, -1};
    bool pressedInGrid_ = false;
    // The release's click: OnClick and the click-cell notification.
    void ClickReleased(TgrMouseStatus status);
    Integer insertRowCount_ = 0;
    // The selected cell range (display positions) while the grid status is
    // gsCellsSelected.
    TCellRange_ts cellRange_;
    bool painting_ = false;
    // paint entry: the memory canvas is held, the canvas wants priming (a
    // new grid, a new font), the grid has painted once; the scroll-bar
    // work deferred to the end of the next paint (an update, its rerun, a
    // position update); an invalidation skipped under the update lock.
    bool memCanvasRegistered_ = false, canvasNeedsPriming_ = true, paintedOnce_ = false;
    bool scrollBarsPending_ = false, scrollBarsRerun_ = false, scrollBarsRunning_ = false;
    bool scrollPosPending_ = false, invalidatePending_ = false;
    // edit life cycle
    Variant undoValue_;
    Integer undoCol_ = 0, undoRow_ = 0;
    bool rowEditing_ = false, cellModified_ = false, rowModified_ = false;
    bool leavingCell_ = false, undoing_ = false;
    // The stored values of the row being edited, by data column.
    std::vector<Variant> rowUndoValues_;
    Integer rowUndoRow_ = 0;
    TgrGridStatus notifiedGridStatus_ = gsNormal;
    bool typedSinceEditStart_ = false;
    // Last reported current cell, mouse status; the insert row in use.
    Integer notifiedCol_ = 1, notifiedRow_ = 1;
    TgrMouseStatus notifiedMouseStatus_ = msNone;
    bool insertRowInUse_ = false;
    bool updatingInsertRow_ = false;
    void InsertRowMoved(Integer oldDisplayRow);
    // Combo upkeep of an edited value and of a moved current cell.
    void ComboValueEdited(bool autoFill);
    bool comboSelected_ = false;
    TgrCombo* workCombo_ = nullptr;
    TgrCombo* sourceCombo_ = nullptr;
    // The date-time drop-down: open, of a popup cell, the editor's last
    // definition and whether it was initialised for this opening.
    bool dateTimePopup_ = false;
    TgrDateTimeDefComponent* editorDateTimeDef_ = nullptr;
    bool dateTimeEditorInitialised_ = false;
    Integer dropDownCol_ = -1, dropDownRow_ = -1;
    Integer ComboValueCol(TgrBaseGrid* list) const;
    Integer SearchComboSorted(const std::string& text, Integer lo, Integer hi, Integer minLength, bool& found);
    Integer SearchComboLinear(const std::string& text, Integer lo, Integer hi, bool& found);
    std::string ComboRowText(Integer row);
    Variant PickedComboValue(Integer row);
    bool forwardingKey_ = false;
    // Mouse operations on the row bar and the scroll bars.
    bool ThumbPress(Integer x, Integer y);
    void ThumbDragTo(Integer x, Integer y, bool final);
    void RekeyCellRecord(TgrCellElement* e, Integer dataCol, Integer dataRow);
    Integer thumbAxis_ = 0;  // 0 none, 1 vertical, 2 horizontal
    Integer thumbGrab_ = 0;
    int wheelDelta_ = 0;
    // A typed character of a combo cell: search and take the list's value.
    void ComboCharKey(char key);
    std::string comboSearchText_;
    UInt64 comboLastKeyTick_ = 0;
    // mouse
    Integer pressedHeading_ = -1;
    bool headingShownDown_ = false;
    bool pressedHeadingIsButton_ = false;
    // The private copy of a cell's font that the owner's draw information
    // may change.
    std::unique_ptr<TFont> drawInfoFont_;
    // The value PutCellValue draws into a cell at once, in place of the
    // loaded one, while it paints that cell.
    const Variant* directValue_ = nullptr;
    // spin press: the half drawn pressed and its cell, the half the press
    // began on while the mouse is held, and the repeat count
    TgrSpinButton spinPressed_ = spbNone;
    TCellCoord_ts spinPressCell_{-1, -1};
    bool spinHeld_ = false;
    TgrSpinButton spinRememberedHalf_ = spbNone;
    Integer spinRepeatCount_ = 0;
    // a normal or date-time popup button held on the current cell, and
    // whether it shows pressed (the pointer is on it)
    bool buttonHeld_ = false;
    bool buttonShownDown_ = false;
    // the button shown raised under the mouse (-1 when none) and its halves
    TCellCoord_ts hotButton_{-1, -1};
    Integer hotHalves_ = 0;
    // direct cell output: running, the window's surface and clip meanwhile
    bool directPaint_ = false;
    QImage* directWindowSurface_ = nullptr;
    TRect directSavedClip_;
    // the blend pattern and the colour (RGB) it was built for
    std::unique_ptr<TBitmap> blendBitmap_;
    TColor blendColor_ = grColorNotSet;
    bool focusEdgeTop_ = false, focusEdgeLeft_ = false;
    // A row drag: the anchor row and where the dragged rows end.
    Integer rowSelectStart_ = 0, rowDragEnd_ = 0;
    bool keyboardFocus_ = false;  // the grid took the focus by keyboard
    bool pointerInRows_ = true, autoScrollHold_ = false;
    void StartDragSelect(bool rows, Integer at);
    // The single selection of an rsSingle drag follows the pointer to a row.
    void DragSingleRowTo(Integer displayRow);
    // A column drag from a heading press, alike.
    Integer colSelectStart_ = 0, colDragEnd_ = 0;
    bool cellSelectionChanged_ = false;
    UInt64 scrollDelayStart_ = 0;
    TPopupMenu* gridMenu_ = nullptr;
    // layout suspension: bit 0 recheck the top-left cell, bit 1 run the
    // top-left change reaction
    Integer layoutSuspend_ = 0;
    unsigned pendingLayout_ = 0;
    Integer dropDownSizeLock_ = 0;
    bool dropDownSizePending_ = false;
    // form files and layout copying
    Integer propertyStoringLock_ = 0;
    bool assigningLayout_ = false;
    // The cell attributes read from a form file, kept until Loaded.
    std::shared_ptr<TgrCellCollection> readCells_;
    TgrCombo* droppedCombo_ = nullptr;
    TForm* dropDownForm_ = nullptr;
    bool ComboKeyDown(Word16& key, TShiftState shift);

    // Selection model: enterable-cell searches, selection queries and range
    // selection.

public:
    // ---- enterable positions (TSGridEnterable.cpp), by display position:
    // the column bound is Cols, the row bound RowCount - 1. A next search
    // starts after start, a previous one before it; True when one was found.
    bool FindNextEnterableCol(Integer start, bool skipReadOnly, Integer& col, bool forSelection);
    bool FindPrevEnterableCol(Integer start, bool skipReadOnly, Integer& col, bool forSelection);
    bool FindNextEnterableRow(Integer start, bool skipReadOnly, Integer& row, bool forSelection);
    bool FindPrevEnterableRow(Integer start, bool skipReadOnly, Integer& row, bool forSelection);
    // The nearest enterable row (rows) or column after (step > 0) or before
    // a position, read-only columns skipped as the grid's mode says; 0 when
    // there is none.
    Integer EnterableFrom(bool rows, Integer from, Integer step);
    // 0 when none (a first row beyond the data rows counts as none; the
    // first scrolling row then answers the last fixed row, and the last
    // row in gmEditInsert the insert row).
    Integer GetFirstEnterableCol(bool skipReadOnly, bool forSelection);
    Integer GetLastEnterableCol(bool skipReadOnly, bool forSelection);
    Integer GetFirstScrollingEnterableCol(bool skipReadOnly, bool forSelection);
    Integer GetFirstEnterableRow(bool skipReadOnly, bool forSelection);
    Integer GetFirstScrollingEnterableRow(bool skipReadOnly, bool forSelection);
    Integer GetLastEnterableRow(bool skipReadOnly, bool forSelection);
    // The next (previous) enterable cell in reading order, into the next
    // (previous) enterable row; editableOnly passes over cells that cannot
    // be edited. The InCol forms find the next (previous) row whose cell in
    // the column qualifies.
    bool FindNextEnterableCell(Integer col, Integer row, Integer& newRow, Integer& newCol, bool editableOnly);
    bool FindPrevEnterableCell(Integer col, Integer row, Integer& newRow, Integer& newCol, bool editableOnly);
    bool FindNextEnterableCellInCol(Integer col, Integer row, Integer& newRow, Integer& newCol, bool editableOnly);
    bool FindPrevEnterableCellInCol(Integer col, Integer row, Integer& newRow, Integer& newCol, bool editableOnly);
    // A data cell whose column and row are visible and that its read-only
    // settings (cell, else column and row) leave editable; at design time
    // with StoreData every visible cell.
    bool IsCellEditable(Integer dataCol, Integer dataRow);
    // Not editable, for a cell inside 1..Cols x 1..RowCount - 1 only.
    bool IsCellReadOnlyAt(Integer dataCol, Integer dataRow);
    bool IsEnterableColAt(Integer displayCol, bool skipReadOnly, bool forSelection);
    bool IsEnterableRowAt(Integer displayRow, bool skipReadOnly, bool forSelection);
    bool FindEnterableCellBy(Integer step, Integer col, Integer row, Integer& newRow, Integer& newCol,
                             bool editableOnly);

    // ---- selection queries and operations (TSGridSelectionModel.cpp).
    // Every visible position of a range selected; no position selected.
    bool AreColsAllSelected(Integer from, Integer to);
    bool AreColsNoneSelected(Integer from, Integer to);
    bool AreRowsAllSelected(Integer from, Integer to);
    bool AreRowsNoneSelected(Integer from, Integer to);
    // More than the heading among the fixed rows, and the first selected
    // row among them.
    bool IsFixedRowSelected();
    bool IsInCellRange(Integer col, Integer row);
    void DeselectAllCols();
    void SelectOnlyDisplayCols(Integer from, Integer to);
    void SelectOnlyDisplayRows(Integer from, Integer to);
    // The active selection, painted off and removed, when its status is in
    // the mask (empty: any); with a selection colour under an update lock,
    // the window updated at the end when update is True.
    void ClearSelection(TgrGridStatusSet mask, bool update);
    // Before every row becomes selected: what changes is repainted, the
    // other kinds go (keepKind 0 keeps rows, 1 columns, 2 the cell range).
    void ShowAllRowsSelected(Integer keepKind);
    // A new range at a cell of the old one: the rest of the old one is
    // painted off.
    void UnpaintCellRangeExcept(Integer col, Integer row);
    // The cell range follows a removed or hidden column (row); a range left
    // empty is cleared.
    void AdjustCellRangeForDeletedCol(Integer col);
    void ShrinkRangeOffCol(Integer col) override;
    void AdjustCellRangeForDeletedRow(Integer row);
    void ShrinkRangeOffRow(Integer row) override;
    // Display columns first..last selected or deselected in runs, after the
    // current cell may be left; the row and cell-range selections go first.
    void SetColsSelected(Integer first, Integer last, bool select);
    // Display rows first..last (clamped to Rows); under rsSingle one row,
    // which becomes current. SetRowsSelected is the call's form.
    void SelectRowRange(Integer first, Integer last, bool byUser, bool select);
    void SetRowsSelected(Integer first, Integer last, bool select);
    // The rows in runs: those in view painted as they change, those above
    // and below changed without painting.
    void ApplyRowSelectionRange(Integer first, Integer last, bool select);

    // ---- selection painting (TSGridSelectionPaint.cpp): only cells whose
    // state changes, limited to the part in view.
    void InvertOrInvalidateRect(TCanvas* dc, const TRect& rect);
    void PaintSelectionRange(TCanvas* dc, Integer left, Integer top, Integer right, Integer bottom, bool selected,
                             const TRect& clip);
    void PaintCellRangeOn(Integer left, Integer top, Integer bottom, Integer right);
    void PaintCellRangeOff(Integer left, Integer top, Integer bottom, Integer right);
    // asIs: in the current state, else in the one about to come.
    void PaintRowRangeSelection(Integer from, Integer to, bool asIs);
    void PaintColRangeSelection(Integer from, Integer to, bool asIs);
    void PaintSelectedColsOn(Integer from, Integer to);
    void PaintSelectedColsOff(Integer from, Integer to);
    // Part 1 the heading, 2 the data cells, 3 both.
    void PaintColsHighlighted(Integer from, Integer to, Integer part);
    void PaintSelectedColHeadingsOff(Integer from, Integer to);
    // The last column (row) with pixels on the screen; a position in view.
    Integer LastShownCol();
    Integer LastShownRow();
    bool IsShownCol(Integer displayCol);
    bool IsShownRow(Integer displayRow);

private:
    void ForShownCols(Integer from, Integer to, const std::function<void(Integer, bool)>& paint);
    // The cell drawn with a forced state by PaintSelectionRange.
    TCellCoord_ts forcedCell_{-1, -1};
    bool forcedSelected_ = false;

    // (end of section)

    // Drag auto-scroll, and moving column and row blocks.
protected:
    // A drag held past the scrolling area scrolls by itself: the mouse
    // move runs a local loop (TSGridAutoScroll.cpp) that steps the view one
    // column or row per scroll-speed delay and carries the drag along,
    // until a mouse message for the grid arrives (it is handled after the
    // loop), Esc is pressed (taken by the loop: the drag goes on), the
    // pointer leaves its place, or the view cannot scroll further.
    // The horizontal twin of CheckDragAutoScroll: True when it scrolled
    // (or a list's hold keeps it from scrolling), col then being the column
    // under the pointer afterwards.
    bool CheckColAutoScroll(Integer x, Integer y, Integer& col, Integer& row);
    // A cell-range drag's point: past the cells that exist (when they end
    // inside the client area) the last column or row, the point moved onto
    // their edge so that it does not scroll.
    void ClampDragPoint(Integer x, Integer y, Integer& row, Integer& col, Integer& pointY, Integer& pointX);
    // Runs the loop of a direction (0 right, 1 left, 2 down, 3 up) and
    // answers the display cell under the pointer afterwards (-1 outside).
    void RunDragAutoScroll(Integer dir, Integer& row, Integer& col);
    void AutoScrollRight();
    void AutoScrollLeft();
    void AutoScrollDown();
    void AutoScrollUp();
    // The loop's frame: waits for the scroll-speed delay of the axis (0
    // horizontal, 1 vertical, 2 both) while handling the window system's
    // events; True when one more step is due, False when the loop ends.
    virtual bool AutoScrollGoesOn(Integer axis);
    bool AutoScrollRunning() const { return autoScrollLoop_ != nullptr; }
    // Column drags held past the right (left) edge, and their steps.
    void DragSelectScrollRight();
    void DragSelectScrollLeft();
    void ColDragStepRight();
    void ColDragStepRightReverse();
    void ColDragStepLeft(Integer col);
    void ColDragStepLeftReverse(Integer col);
    // Steps of a row drag held above the rows toward the enterable row
    // above the top row.
    void RowDragStepUp(Integer row);
    void RowDragStepUpSingle(Integer row);
    // Cell-range drags held past an edge or a corner.
    void CellDragScrollRight();
    void CellDragScrollLeft();
    void CellDragScrollUp();
    void CellDragScrollDown();
    void CellDragScrollRightUp();
    void CellDragScrollRightDown();
    void CellDragScrollLeftUp();
    void CellDragScrollLeftDown();
    // Column and row moves held past an edge.
    void MoveScrollLeft();
    void MoveScrollRight();
    void MoveScrollUp();
    void MoveScrollDown();
    // The wait of one auto-scroll step by ScrollSpeed, in milliseconds.
    Integer ScrollDelayFor(Integer screenX, Integer screenY, Integer direction);
    // Block moves (TSGridBlockMove.cpp): the selected columns (rows)
    // gathered into one block in their order, those before a backward drop
    // place ending right before it, the others starting at it (forward:
    // those after the place right after it, the others ending at it).
    void MoveColBlockLeft(Integer from, Integer to);
    void MoveColBlockRight(Integer from, Integer to);
    void MoveRowBlockUp(Integer from, Integer to);
    void MoveRowBlockDown(Integer from, Integer to);
    // Selected positions in b + 1..a when b < a, minus those in a..b - 1
    // when a < b, 0 when equal.
    Integer SelectedColsBetween(Integer a, Integer b) const;
    Integer SelectedRowsBetween(Integer a, Integer b) const;
    // The pieces of one row's single move: the base's heights, the
    // visible-row list, the selection bits, the current cell.
    void MoveRowHeight(Integer from, Integer to);
    void MoveVisibleRowEntry(Integer from, Integer to);
    void MoveRowSelectionBit(Integer from, Integer to);
    void FollowCurrentRowAfterMove(Integer from, Integer to);

private:
    class AutoScrollLoop;
    AutoScrollLoop* autoScrollLoop_ = nullptr;
    // The drag end moved to a display column (row) from the current one.
    void DragColEndTo(Integer col);
    void DragRowEndTo(Integer row);
    void CellDragScrollBy(Integer dx, Integer dy);
    void MoveScrollBy(bool cols, Integer step);

    // (end of section)

    // The cell and row edit life cycle, current-cell moves, paint locks.
public:
    // ---- the current cell. StoreCurrentCellPos records a display cell as
    // the current one (the one before becomes the previous cell, the data
    // column and row follow); nothing is repainted. A grid that keeps its
    // current row as a record notes the record here.
    virtual void StoreCurrentCellPos(Integer displayCol, Integer displayRow);
    // ChangeCurrentCell, then the current row's indicator drawn.
    void ChangeCurrentCellWithIndicator(Integer displayCol, Integer displayRow);
    // Makes a data cell current without asking the current cell: a column
    // change alone is only recorded; a row change repaints the old row's
    // row bar (deselecting it in list-box selection) and draws the new
    // row's indicator. Nothing when it is current already.
    void MoveToDataCell(Integer dataCol, Integer dataRow);
    // The move of a press: the display cell becomes current, the edit-select
    // mode is set (3 leaves it), every selection is cleared and the row
    // indicator drawn; then the current cell moves on to preferCol (-1:
    // none) unless that column's cell is read-only in a read-only column.
    // col answers the column reached.
    void MoveToCell(Integer& col, Integer row, Byte selectMode, Integer preferCol);
    // After columns or rows were added, removed or moved the current cell
    // stays on its data cell: where its display position is unchanged only
    // the record of the position is refreshed.
    void FollowCurrentDataCell(Integer dataCol, Integer dataRow);
    // The current cell on the nearest enterable column, then row (after a
    // layout copy).
    void MoveToNearestEnterableCell();
    // The current cell's edit value is forgotten and its text will be
    // selected whole; the editor-shown state goes back to AlwaysShowEditor.
    virtual void ClearEditState();
    virtual void ResetEditorShown();
    // ---- the edit life cycle: the steps of BeginCellEdit and EndCellEdit.
    // StartCellEdit: False when the grid cannot edit or a start event
    // cancels; started, the cell edit, the row edit and the row's modified
    // mark run. FinishCellEdit: the accepted end of a cell edit.
    virtual bool StartCellEdit();
    void FinishCellEdit();
    // ---- locks. The direct-drawing count keeps the focus indication off
    // while cells are drawn outside the paint (never below 0).
    bool IsUpdateUnlocked() const { return updateLock_ == 0; }
    virtual void SetDirectDrawing(bool begin);
    bool IsDirectDrawing() const { return directDrawing_ > 0; }

protected:
    // The first suspension locks updates, hides the in-cell control and
    // drops earlier notes; the end of the last applies the notes, brings the
    // control back and repaints, releasing the lock also when that raises.
    void BeginLayoutSuspend();
    void EndLayoutSuspend();
    // The window redraws only while no paint lock holds.
    void ApplyRedraw();
    // Event dispatch: each fires its event when a handler is assigned.
    virtual void DoHeadingDown(Integer dataCol);
    virtual void DoHeadingUp(Integer dataCol);
    virtual void DoGridKeyDown(Word16& key, TShiftState shift);
    virtual void DoGridKeyUp(Word16& key, TShiftState shift);
    virtual void DoGridKeyPress(char& key);
    virtual void DoComboCompareValue(const std::string& comboText, const std::string& cellText, Integer& result);
    virtual void DoComboLCompareValue(const std::string& comboText, const std::string& cellText, Integer length,
                                      Integer& result);
    // OnKeyDown (DoGridKeyDown), then the grid's key table.
    void KeyDown(Word16& key, TShiftState shift) override;

private:
    Integer directDrawing_ = 0;
    // A new current data cell: no loaded value, no cell edit, the editor
    // shown only with AlwaysShowEditor.
    void LeaveCellEditState();

    // (end of section)

    // Grid-level properties, row and column structure, cell buttons.
public:
    // The published getters of Cols and HeadingOn.
    virtual Integer GetCols() { return Cols(); }
    virtual bool GetHeadingOn() const { return headingOn_; }
    // The data column of the current display column; 0 when that lies
    // outside the data columns.
    Integer GetCurrentDataCol();
    // Takes the focus when the grid can: its window alone when it already
    // is its form's active control, else through SetFocus.
    void FocusGrid();
    // The "HeadingAlignment" of older form files: kept, and the heading's
    // horizontal alignment derived from it (left gives htaDefault).
    void SetLegacyHeadingAlignment(TAlignment value);
    TAlignment LegacyHeadingAlignment() const { return legacyHeadingAlignment_; }
    // The insert row of gmEditInsert: 1 while the empty row shows after the
    // last data row. AddInsertRow shows a new one; ConfirmInsertRow turns
    // the shown one into a data row (the display rows stay) and reports it.
    void SetInsertRowState(Integer state);
    Integer PreviousInsertRowState() const { return prevInsertRowState_; }
    virtual void AddInsertRow();
    virtual void ConfirmInsertRow();
    // The base grid's counts for n data columns (rows, the insert row
    // added); the fixed counts, the view and the scroll bars follow.
    void UpdateColCount(Integer n);
    void UpdateRowCount(Integer n);
    // The row bar (heading) stays fixed and the requested fixed counts are
    // applied again within the current counts.
    void EnsureFixedCols();
    void EnsureFixedRows();
    void ApplyFixedColCount();
    void ApplyFixedRowCount();
    // The pixel extent of the fixed columns (rows), the row bar (heading)
    // included, kept for the view and the scroll limits.
    void RecalcFixedAreaWidth();
    void RecalcFixedAreaHeight();
    // Cell buttons: the face colour of a button at rest; forgetting the
    // raised and the pressed button (the latter stops the repeat).
    TColor GetButtonBackColor(Integer displayCol, Integer displayRow);
    void ClearHotButton();
    void ClearPressedButton();
    // The current cell's stored edit value: forgotten, or moved with its
    // cell when data numbers change.
    void ForgetEditValue();
    void SetEditValueCell(Integer dataCol, Integer dataRow);
    // The changed-row marks take the base grid's row count.
    void ResizeChangedRowBits();
    // A removed data column (row) leaves the font-keeping lists; the higher
    // numbers there drop by one.
    void ShiftColFontLists(Integer dataCol);
    void ShiftRowFontLists(Integer dataRow);

protected:
    // Whether a held spin half still repeats: the focused grid holds the
    // capture with the half pressed and the timer running. Otherwise the
    // timer stops and the buttons come up.
    bool CheckButtonRepeat();

private:
    Integer prevInsertRowState_ = 0;
    TAlignment legacyHeadingAlignment_ = taLeftJustify;
    Integer fixedAreaWidth_ = 0, fixedAreaHeight_ = 0;
    // Set while the base grid's width (height) table only changes places
    // with its columns (rows): nothing was resized, and the operation that
    // moves them settles the counts and the view once it is done.
    bool movingColWidths_ = false, movingRowHeights_ = false;

    // (end of section)

    // Combos and drop-down windows.
public:
    // The combo's list of a cell drops down: the open drop-downs close, the
    // working combo is prepared for the cell (PrepareComboDropDown: the
    // cell's combo copied in, the combo-init and drop-down notifications,
    // sized, placed, the cell's value shown) and shown (ShowComboDropDown);
    // the grid takes the focus. False when the list has no rows.
    bool DropDownComboAt(Integer dataCol, Integer dataRow);
    bool PrepareComboDropDown(Integer dataCol, Integer dataRow);
    void ShowComboDropDown();
    // The date-time drop-down of a data cell: closed when it is open there,
    // else opened; False when the cell offers none.
    bool DropDownDateTimeAt(Integer dataCol, Integer dataRow);
    // Takes the value of the list's current row into the current cell and
    // closes the list (its roll-up notification fires); the grid takes the
    // focus.
    virtual void ApplyComboRow();
    // Puts a value into the current cell as an edit by the user (nothing
    // for Empty or the value it already holds); a text cell then has its
    // whole text selected when selectText, also when storing raised.
    bool SetCurrentCellValue(const Variant& value, bool selectText, bool flag);
    // The three compare functions of CompareType.
    Integer ComboCompareCaseSensitive(const std::string& first, const std::string& second, Integer length);
    Integer ComboCompareCaseInsensitive(const std::string& first, const std::string& second, Integer length);
    Integer ComboCompareOwn(const std::string& first, const std::string& second, Integer length);
    // At the end of a cell edit a drop-down text combo fills the text in.
    void AutoFillOnEndEdit();
    // Before a combo serves the current cell (ownCombo: the cell has a combo
    // of its own); a data-aware grid binds lookup lists here.
    virtual void PrepareComboData(bool ownCombo) {}
    // In a combo grid: DefaultColWidth is the owner column's width + 10.
    void SetComboColWidth(Integer width);
    // A combo grid sized for cols columns and rows rows in place
    // (SetDropDownSize), or, through ApplyDropDownSize, placed again at its
    // cell when its drop-down is shown (unless forced, nothing for the size
    // it has).
    virtual void SetDropDownSize(Integer cols, Integer rows);
    void ApplyDropDownSize(Integer cols, Integer rows, bool force);
    // The list placed at its cell with its own size.
    virtual void PositionDropDown(TgrBaseGrid* list);
    // The work area of the screen that holds a point (screen pixels), its
    // origin included.
    virtual TRect WorkAreaAt(const TPoint& point) const;
    // Moves a drop-down of size (x width, y height) whose top left is point
    // into the work area: left when it passes the right edge, above the
    // cell when it passes the bottom.
    void FitDropDownToWorkArea(Integer dataCol, Integer dataRow, const TPoint& size, TPoint& point);
    // The top left that centres a window of size in the work area.
    void CenterInWorkArea(Integer dataCol, Integer dataRow, const TPoint& size, TPoint& point);
    // Keys while the date-time drop-down is open: Tab and F4 close it (Tab
    // goes on), Enter, Esc, the page and arrow keys go to the editor,
    // Shift+Tab closes it and goes on, Alt+Up and Alt+Down close it; every
    // other key is consumed.
    void DateTimeKeyDown(Word16& key, TShiftState shift);
    // The date-time form, made on first use (InitDropDownForm), and its
    // look for a button type: a borderless drop-down for
    // btDateTimeDropDown, a tool window with the editor's caption for
    // btDateTimePopup.
    TForm* GetDateTimeForm();
    TForm* DateTimeForm() const { return dateTimeForm_; }
    void SetDateTimeFormStyle(TgrButtonType type);
    // Placed below the cell (drop-down) or centred in the work area (popup),
    // as large as the editor's control plus the form's frame.
    void PositionDateTimeForm(Integer dataCol, Integer dataRow);
    // Shown: a drop-down stays open until the editor answers or a press
    // elsewhere; a popup runs modally until it closes, then its answer is
    // taken (accepted) or given up (cancelled, closed).
    void ShowDateTimeForm();
    bool IsDateTimeModal() const { return dateTimeModal_; }
    // The editor's and the popup form's reactions.
    void DateTimeAccepted();
    void DateTimeCancelled();
    void ActivateDateTimeEditor();
    void DateTimeFormClosed();
    void UpdateDateTimeEditor();
    TgrDateTimeEditor* DateTimeEditor() const { return dateTimeEditor_.get(); }
    bool HasDateTimeControl() const;
    // A window is the editor's control or inside it.
    bool IsInDateTimeControl(const QWidget* window) const;
    // A window belongs to the open date-time drop-down.
    bool IsDropDownWindow(const QWidget* window) const;
    // The current cell's stored value as a date-time.
    virtual void GetCurrentDateTime(Variant& value);
    // Forget the definition the editor was last given (always, or when it
    // is that component).
    void ForgetDateTimeDef() { editorDateTimeDef_ = nullptr; }
    void ReleaseEditorDateTimeDef(TgrDateTimeDefComponent* def) {
        if (def && def == editorDateTimeDef_) editorDateTimeDef_ = nullptr;
    }
    // The grid, its columns, rows and cells drop a definition.
    void ReleaseDateTimeDef(TgrDateTimeDefComponent* def);

private:
    void HandKeyToDateTimeEditor(Word16 key, TShiftState shift);
    TForm* dateTimeForm_ = nullptr;
    std::unique_ptr<TgrDateTimeEditor> dateTimeEditor_;
    bool dateTimeAccepted_ = false;
    bool dateTimeCancelled_ = false;
    bool dateTimeModal_ = false;

    // (end of section)

    // Drawing of cells, headings and fixed cells; effective attributes.
public:
    // The horizontal alignment as a text alignment (right, centre, else
    // left).
    TAlignment EffectiveAlignment(Integer dataCol, Integer dataRow);
    // The two halves of ResolveButtonType.
    TgrButtonType EffectiveButtonType(Integer dataCol, Integer dataRow);
    TgrDropDownStyle EffectiveDropDownStyle(Integer dataCol, Integer dataRow);
    // A data cell's control type and combo after the index checks (data
    // column 1..Cols, data row 1 up to the last row of the base grid).
    virtual TgrControlType GetCellEffectiveControlType(Integer dataCol, const Variant& dataRow);
    virtual TgrCombo* GetCellEffectiveCombo(Integer dataCol, const Variant& dataRow);
    // The check-box texts of a column that uses value texts (the grid's when
    // the column's are empty); empty for any other column.
    virtual std::string GetColCheckBoxValues(Integer dataCol);
    // The current cell's attributes; the data-aware grid answers them for
    // the current record.
    virtual std::string GetCurrentMaskName();
    virtual std::string GetCurrentCheckBoxValues();
    // Outside the data cells the current cell counts as writable.
    virtual bool IsCurrentCellReadOnly();
    virtual bool IsCurrentCellSelected();
    // The current row in the row selection; the data-aware grid answers for
    // the current record.
    virtual bool IsCurrentRowSelected();
    virtual void SelectCurrentRow();
    // The display-to-data index arrays by scrolling position (1..ColCount-1,
    // 1..RowCount-1): -1 outside, and a setter outside is ignored.
    Integer GetDataRowOfDisplay(Integer displayRow);
    void SetDataColOfDisplay(Integer displayCol, Integer dataCol);
    void SetDataRowOfDisplay(Integer displayRow, Integer dataRow);

protected:
    // Fixed cells. The background of a fixed cell (display column -1 or 0
    // for the row bar and the corner) less its right and bottom pixel, with
    // its raised or, for a held plain heading, sunken edge; its border lines
    // at the right and bottom in a colour; a heading's caption and button
    // area; a selected row's bar outside a paint (the heading colour
    // inverted); the design-time fill of the fixed data cells.
    void DrawFixedCellBackground(const TRect& rect, Integer displayCol);
    void DrawFixedCellLines(const TRect& rect, TColor color);
    void DrawHeadingCell(Integer displayCol);
    void DrawSelectedRowBarCell(const TRect& rect);
    void FillDesignFixedCell(const TRect& rect);
    // Refills a row-bar cell: inverted when its row is selected outside a
    // paint, else as a heading cell.
    virtual void PaintRowBarBackground(Integer displayRow);
    // A row-bar picture centred in a row's bar cell by RowBarAlignment with
    // a copy mode (merge copy draws it, merge paint on an inverted bar);
    // with refill the insert row's cell is refilled first.
    virtual void PaintRowBarGlyph(Integer displayRow, TBitmap* picture, TCopyMode copyMode, bool refill);
    // A bitmap's canvas for copying from, and the grid canvas pointed back
    // at the shared memory canvas afterwards while this grid draws there.
    TCanvas* BitmapCanvasHandle(TBitmap* bitmap);
    void RestoreCanvasHandle();
    // The scratch bitmap pictures are copied through, made on first use;
    // a combo's list grid shares its owner grid's.
    TBitmap* GetWorkBitmap();
    // Draws the cells of a range at once on a canvas in a selection state,
    // leaving the excluded rectangle alone.
    // Whether no display column of left..right is selected.
    bool AreNoColsSelected(Integer left, Integer right);

private:
    bool IsPlainHeadingShownDown(Integer displayCol);
    std::unique_ptr<TBitmap> workBitmap_;

    // (end of section)

    // In-cell control events and the window.
protected:
    // The current cell's object (a descendant answers its own class).
    virtual std::unique_ptr<TgrCurrentCell> CreateCurrentCell();
    // The window is in place (the grid got a parent): the controls join
    // it, the current cell is taken up again with its control hidden, and
    // the control shows again with its whole text selected; the scroll bars
    // follow the new window.
    virtual void CreateWnd();

    // (end of section)

    // Combos and the working combo.
public:
    // The grid's date-time link takes a reference to a definition (none is
    // accepted); the grid's own DateTimeDef is linked here.
    void LinkDateTimeDef(TgrDateTimeDefComponent* def);
    // A combo list's look taken from this grid, under the list's update
    // lock: colour, cursor, button sizes, edit and selection colours, the
    // combo row height, and 2 columns at design time, else 1.
    virtual void PrepareComboGrid(TgrBaseGrid* list);
    // A drop-down form starts hidden and disabled at the grid's left, in
    // the grid's font.
    virtual void PrepareDropDownForm(TForm* form);
    // The outer size of a drop-down form whose client area holds the
    // control (its width and height plus the form's frame).
    virtual TPoint FitDropDownToControl(TControl* control);
    // Every property kind back to those of a new grid of this class (a
    // combo's list: of a new list with its owner's combo look); used on a
    // combo's list before a form file is read into it.
    virtual void ResetToDefaults();

    // (end of section)

    // Views, moves and drawing steps.
public:
    // The grid's own single column move (MoveColOrder): the visible-column
    // list entry, the selection bits (nothing when none lies between) and
    // the current cell carried along.
    void MoveVisibleColEntry(Integer from, Integer to);
    void MoveColSelectionBit(Integer from, Integer to);
    void FollowCurrentColAfterMove(Integer from, Integer to);
    // Refill the visible-column (row) list from the display order, as many
    // entries as it holds; nothing while every column (row) is visible.
    // A block move of many selected items rebuilds once at its end.
    void RebuildVisibleCols();
    void RebuildVisibleRows();

protected:
    // A heading whose kind is a button: face, sort picture and frame.
    virtual void PaintHeadingButton(TCanvas* canvas, const TgrCellPaintInfo& info);
    // The data position, 3D, font, colours, word wrap, alignments and
    // button type of a display cell, the owner's draw information applied.
    void ResolveDrawInfo(Integer displayCol, Integer displayRow, TgrCellPaintInfo& info);

private:
    void DrawHeadingSortPicture(TCanvas* canvas, const TgrCellPaintInfo& info);
    bool deferVisibleCols_ = false, deferVisibleRows_ = false;
    // (end of section)
};

// Holds a grid's update lock for as long as it lives, also when an error
// leaves the scope.
struct TgrUpdateLocked {
    explicit TgrUpdateLocked(TgrBaseGrid& g) : grid(g) { grid.LockUpdate(); }
    ~TgrUpdateLocked() { grid.UnlockUpdate(); }
    TgrUpdateLocked(const TgrUpdateLocked&) = delete;
    TgrUpdateLocked& operator=(const TgrUpdateLocked&) = delete;
    TgrBaseGrid& grid;
};

// A selection change of a grid that paints selected cells in its selection
// colour: the change runs under an update lock and the window is updated
// once at the end (unless update is False), also when an error leaves the
// scope. Without the selection colour nothing is locked.
class TgrSelectionPaintLock {
public:
    explicit TgrSelectionPaintLock(TgrBaseGrid& g, bool update = true);
    ~TgrSelectionPaintLock() noexcept(false);
    TgrSelectionPaintLock(const TgrSelectionPaintLock&) = delete;
    TgrSelectionPaintLock& operator=(const TgrSelectionPaintLock&) = delete;

private:
    TgrBaseGrid& grid_;
    bool locked_, update_;
    int unwinding_;
};
