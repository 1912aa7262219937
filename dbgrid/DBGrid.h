#pragma once
// The data-aware grid: the grid control bound to a dataset through a data
// source. Data row N shows window row N of the record window
// (DBGridData.h); data column N shows the field bound to column N. Every
// event and property that names a row names a record by its DataRow (the
// bookmark text, or the application's record id with UseRecordIds and an
// OnGetRecordID handler), so colours, selections and events stay with
// records while the dataset scrolls, sorts or filters.
//
// Not data bound (no data source) the grid is the plain grid control. Data
// bound without an open dataset it shows one empty row.
//
// TgrDBGrid publishes the class; TodcDBGrid colours its heading while it
// has the focus.

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dbgrid/DBGridData.h"
#include "dbgrid/DBGridFields.h"
#include "dbgrid/DBGridRecordIds.h"
#include "dbgrid/DBGridRecordProps.h"
#include "dbgrid/DBGridSelection.h"
#include "grid/TSGrid.h"
#include "platform/data/DataSource.h"

class TDataSet;
class TfmPrintDbGrid;
class TgrFiler;
class TgrPropCollection;
class TgrCellCollection;
class TgrDBCol;

// Row and cell properties of records read from a form file.
struct TgrStreamedRecordRow {
    Variant Record;
    std::map<TgrPropId, Variant> Props;
};
struct TgrStreamedRecordCell {
    Integer DataCol = 0;
    Variant Record;
    std::map<TgrPropId, Variant> Props;
};

enum TgrDatasetType { dstStandard, dstBDE };
enum TgrFieldState { fsDefault, fsCustomized };
// Kinds of row state ResetRowState clears.
enum TgrRowStateKind { rskSelected, rskChanged };
using TgrRowStateKinds = unsigned;
inline constexpr TgrRowStateKinds RowStateBit(TgrRowStateKind k) { return 1u << unsigned(k); }

using TgrDBRowLoadedEvent = std::function<void(TObject*, const Variant& dataRow)>;
using TgrDBCellLoadedEvent = std::function<void(TObject*, Integer dataCol, const Variant& dataRow, Variant& value)>;
using TgrDBCellEditingEvent = std::function<void(TObject*, Integer dataCol, const Variant& dataRow, bool& cancel)>;
using TgrDBRowEditingEvent = std::function<void(TObject*, const Variant& dataRow, bool& cancel)>;
using TgrDBCellEditEvent = std::function<void(TObject*, Integer dataCol, const Variant& dataRow, bool byUser)>;
using TgrDBUndoCellEditEvent =
    std::function<void(TObject*, Integer dataCol, const Variant& dataRow, bool byUser, bool& cancel)>;
using TgrDBUndoRowEditEvent = std::function<void(TObject*, const Variant& dataRow, bool byUser, bool& cancel)>;
using TgrDBRowChangedEvent = std::function<void(TObject*, const Variant& oldRow, const Variant& newRow)>;
using TgrDBCellChangedEvent = std::function<void(TObject*, Integer oldCol, Integer newCol, const Variant& oldRow,
                                                 const Variant& newRow)>;
using TgrDBUpdateFieldEvent =
    std::function<void(TObject*, Integer dataCol, const Variant& dataRow, Variant& value, bool& cancel)>;
using TgrDBGetDrawInfoEvent = std::function<void(TObject*, Integer dataCol, const Variant& dataRow, TgrDrawInfo&)>;
using TgrDBInsertRowEvent = std::function<void(TObject*, const Variant& dataRow, bool byUser)>;
using TgrDBDeleteRowEvent = std::function<void(TObject*, const Variant& dataRow, bool byUser)>;
// The id of the record with the bookmark text dataRow; the dataset's
// fields show that record meanwhile. recordId starts Unassigned.
using TgrDBGetRecordIDEvent = std::function<void(TObject*, const Variant& dataRow, Variant& recordId)>;
// Orders two record ids: compRes comes in as -2; set it to -1, 0 or 1.
// Left at -2, the ids are compared as variants.
using TgrDBCompareRecordIDEvent =
    std::function<void(TObject*, const Variant& recordId1, const Variant& recordId2, Integer& compRes)>;
using TgrDBTopLeftChangedEvent = std::function<void(TObject*, Integer oldCol, const Variant& oldRow, Integer newCol,
                                                    const Variant& newRow, bool byUser)>;
// The state of a cell painted through OnPaintCell.
enum TgrPaintCellFlag { pcsCurrent, pcsSelected, pcsFixed };
using TgrPaintCellState = unsigned;
inline constexpr TgrPaintCellState PaintCellBit(TgrPaintCellFlag f) { return 1u << unsigned(f); }
// Cancel set: the handler painted the cell, the grid draws no content.
using TgrDBPaintCellEvent = std::function<void(TObject*, Integer dataCol, const Variant& dataRow, const TRect& rect,
                                               TgrPaintCellState state, bool& cancel)>;
// Stages of a record scan of the record selection.
enum TgrScanState { scsStart, scsRecord, scsApplied, scsEnd };
// Cancel stops the scan; the selection stays as it was.
using TgrDBScanRecordsEvent =
    std::function<void(TObject*, bool ScanAll, TgrScanState state, Integer count, bool& cancel)>;
using TgrDBPrintRowEvent = std::function<void(TObject*, const Variant& dataRow, bool& cancel)>;
using TgrDBPrintCellEvent = std::function<void(TObject*, Integer dataCol, const Variant& dataRow, bool& cancel)>;
class TgrDBCombo;
class TgrDBComboGrid;
// Combo is the list of the combo concerned.
using TgrDBComboCellEvent =
    std::function<void(TObject*, TgrDBComboGrid* combo, Integer dataCol, const Variant& dataRow)>;
using TgrDBComboGetValueEvent =
    std::function<void(TObject*, TgrDBComboGrid* combo, Integer gridDataCol, const Variant& gridDataRow,
                       const Variant& comboDataRow, Variant& value)>;
using TgrDBComboCellLoadedEvent = std::function<void(TObject*, TgrDBComboGrid* combo, Integer dataCol,
                                                     const Variant& dataRow, Variant& value)>;
using TgrDBClickCellEvent =
    std::function<void(TObject*, Integer DataColDown, const Variant& DataRowDown, Integer DataColUp,
                       const Variant& DataRowUp, TgrClickPosition DownPos, TgrClickPosition UpPos)>;
using TgrDBDblClickCellEvent =
    std::function<void(TObject*, Integer dataCol, const Variant& dataRow, TgrClickPosition pos)>;
using TgrDBButtonEvent = std::function<void(TObject*, Integer dataCol, const Variant& dataRow)>;
using TgrDBSpinButtonEvent =
    std::function<void(TObject*, Integer dataCol, const Variant& dataRow, TgrSpinButton spinButton)>;
using TgrDBSpinRepeatEvent = std::function<void(TObject*, Integer dataCol, const Variant& dataRow, Integer count,
                                                TgrSpinButton spinButton)>;
using TgrDBSpinIncrementEvent =
    std::function<void(TObject*, Integer dataCol, const Variant& dataRow, TgrSpinButton spinButton, Variant& value,
                       Integer& pos, Integer& len, bool& accept)>;
using TgrDBInvalidCellValueEvent =
    std::function<void(TObject*, Integer dataCol, const Variant& dataRow, bool& accept)>;
using TgrDBInvalidCellEditEvent =
    std::function<void(TObject*, const std::string& keys, Integer dataCol, const Variant& dataRow, bool& accept)>;
using TgrDBShowEditorEvent = std::function<void(TObject*, Integer dataCol, const Variant& dataRow, bool& cancel)>;
using TgrDBDateTimeCellEvent =
    std::function<void(TObject*, TgrDateTimeDefComponent* dateTimeDef, Integer dataCol, const Variant& dataRow)>;
using TgrDBDateTimeGetValueEvent = std::function<void(TObject*, TgrDateTimeDefComponent* dateTimeDef,
                                                      Integer dataCol, const Variant& dataRow, Variant& value)>;

// The vertical bar's figures for a data-bound grid.
struct TgrVertScrollFigures {
    Integer First = 1, Count = 5, Positions = 5, Range = 5;
    bool Scaled = false;
};

class TgrCustomDBGrid : public TgrBaseGrid {
public:
    explicit TgrCustomDBGrid(TComponent* owner);
    ~TgrCustomDBGrid() override;

    // ------------------------------------------------ binding
    TDataSource* DataSource() const { return dataLink_->DataSource(); }
    void SetDataSource(TDataSource* source);
    TDataSet* DataSet() const { return dataLink_->DataSet(); }
    bool DataBound() const { return dataBound_; }
    // A form that says the grid is not data bound unbinds it.
    void SetDataBound(bool value) {
        if (!value) SetDataSource(nullptr);
    }
    bool DataActive() const { return dataActive_; }
    TgrGridDataLink* DataLink() const { return dataLink_.get(); }
    TgrGridData* RecordWindow() const { return window_; }
    bool UsesStandardWindow() const { return datasetType_ == dstStandard; }

    TgrDatasetType DatasetType() const { return datasetType_; }
    void SetDatasetType(TgrDatasetType value);
    TgrFieldState FieldState() const { return fieldState_; }
    void SetFieldState(TgrFieldState value);
    bool ExactRowCount() const { return exactRowCount_; }
    void SetExactRowCount(bool value) { exactRowCount_ = value; }
    bool AutoInsert() const { return autoInsert_; }
    void SetAutoInsert(bool value) { autoInsert_ = value; }
    bool ConfirmDelete() const { return confirmDelete_; }
    void SetConfirmDelete(bool value) { confirmDelete_ = value; }
    TgrBookmarkType BookmarkType() const { return bookmarkType_; }
    void SetBookmarkType(TgrBookmarkType value);
    TgrBookmarkCompareType BookmarkCompareType() const { return bookmarkCompareType_; }
    void SetBookmarkCompareType(TgrBookmarkCompareType value) { bookmarkCompareType_ = value; }
    // The selection's mode: ranges only while ranges were chosen and the
    // bookmarks can be ordered (bmtDefault).
    TgrRecordSelection GetRecordSelection() const;
    void SetRecordSelection(TgrRecordSelection value);
    // The record selection takes ranges exactly when BookmarkType is
    // bmtDefault and RecordSelection asks for ranges; a set otherwise.
    void UpdateSelectionMode();

    // Actions (dataset first, next, post, ...) offered to the grid go to its
    // data link: True when the link took them, False without a link.
    bool ExecuteAction(TBasicAction* action) override;
    bool UpdateAction(TBasicAction* action) override;

    // Copies another data-aware grid; any other source raises "Cannot
    // assign <source class> to <grid class>".
    void Assign(const TPersistent* source) override;

    // ------------------------------------------------ form files
    // "DataBound" (always written) and "ColPropCount" (customised columns
    // against an ancestor) beside the grid class's properties; the row and
    // cell collections of a bound grid name records.
    void DefineProperties(TgrFiler& filer) override;
    virtual void WriteDataBound(TWriter& writer);
    virtual void ReadDataBound(TReader& reader);
    virtual void WriteColPropCount(TWriter& writer);
    virtual void ReadColPropCount(TReader& reader);
    std::unique_ptr<TgrPropCollection> CreateRowCollection(bool fill) override;
    std::unique_ptr<TgrCellCollection> CreateCellCollection(bool fill) override;
    void Loaded() override;
    // Layouts go through the data-aware layout component (DBGridStream.h).
    std::unique_ptr<TgrGridStreamComponent> CreateStreamComponent() override;
    TgrBaseGrid* CreateLayoutGrid() override;
    // The columns are data columns (DBGridCols.h).
    std::unique_ptr<TgrGridCols> CreateGridCols() override;
    // Bound, the rows come from the dataset: Rows is not stored, Cols only
    // for customised columns.
    bool IsColsStored() const override { return !dataBound_ || fieldState_ == fsCustomized; }
    bool IsRowsStored() const override { return !dataBound_; }
    // Registers the published properties of the data-aware grids.
    static void RegisterPublished();
    // Properties read for records wait here until the dataset is open.
    std::vector<TgrStreamedRecordRow>& StreamedRecordRows() { return streamedRows_; }
    std::vector<TgrStreamedRecordCell>& StreamedRecordCells() { return streamedCells_; }
    // Applies what was read (with active data); clear empties the lists
    // either way.
    void ApplyStreamedProperties(bool clear);
    bool StreamedDataBound() const { return streamedDataBound_; }
    void SetStreamedDataBound(bool value) { streamedDataBound_ = value; }
    // The data source is one this grid made itself.
    bool OwnsDataSource() const { return DataSource() && DataSource()->Owner() == this; }

    // ------------------------------------------------ data mode
    // (DBGridDataMode.cpp.) Bound, the rows are records: no fixed record
    // rows, no single-row resizing, no row moving and no cell ranges.
    // Binding applies these; while bound the setters refuse other values.
    void ApplyDataModeRestrictions();
    void SetFixedRowCount(Integer value) override;
    void SetResizeRows(TgrResizeRows value) override;
    bool GetRowMoving() const override;
    void SetRowMoving(bool value) override;
    TgrCellSelectMode GetCellSelectMode() const override;
    void SetCellSelectMode(TgrCellSelectMode value) override;
    // riOn becomes riAutoReset while bound.
    void SetRowChangedIndicator(TgrRowChangedIndicator value) override;
    // Bound, Rows set from outside changes nothing (a form file being read
    // still sets it); the record window sets the count (SetWindowRows).
    void SetRows(Integer value) override;
    // The published Rows (DBGridBinding.cpp): bound to active data, the
    // dataset's record count (-1 while designing); otherwise, and while a
    // form file is written, the rows the grid class shows (Rows()).
    Integer GetRows();
    // Bound, deleting rows by number changes nothing, and deleting the
    // selected rows deletes the selected records without asking.
    void DeleteRows(Integer from, Integer to) override;
    void DeleteSelectedRows() override;
    // The adapter of the n-th field (an integer 1..count) or of a field
    // named (a string, any letter case); nullptr for any other value.
    TgrDBField* FindFieldAdapter(const Variant& key);
    // A record's cell: its control type (cell, then row and column in
    // DrawOverlap order, else ctText; ctNone outside the columns) and
    // whether it is read-only (its own cell setting, else the column's or
    // the record row's; a hidden column is read-only). The grid class asks
    // these for the record rows it shows.
    TgrControlType ResolveCellControlType(Integer dataCol, const Variant& dataRow);
    bool ResolveCellReadOnly(Integer dataCol, const Variant& dataRow);
    bool IsRecordCellEditable(Integer dataCol, const Variant& dataRow);
    TgrControlType EffectiveControlType(Integer dataCol, Integer dataRow) override;
    bool IsCellReadOnly(Integer dataCol, Integer dataRow) override;
    // A date-time definition going away is dropped from the records' rows
    // and cells too.
    void ReleaseRowDateTimeDef(TgrDateTimeDefComponent* def) override;
    void ReleaseCellDateTimeDef(TgrDateTimeDefComponent* def) override;

    // ------------------------------------------------ layout copying
    // The data source comes along unless excluded ("datasource" in any
    // letter case), and not when it is one the source made itself.
    void CopyGridProperties(TgrBaseGrid* source, const std::string& exclusions) override;
    // Bound, the properties kept by record are copied.
    void CopyRowProperties(TgrBaseGrid* source) override;
    void CopyCellProperties(TgrBaseGrid* source) override;
    void AssignRowSelection(TgrBaseGrid* source) override;
    void AssignCellSelection(TgrBaseGrid* source) override;
    void UpdateSelectType() override;

    Integer GetDefaultCols() const override { return dataBound_ ? 1 : TgrBaseGrid::GetDefaultCols(); }
    Integer GetDefaultRows() const override { return dataBound_ ? 1 : TgrBaseGrid::GetDefaultRows(); }

    // ------------------------------------------------ columns
    // The field bound to a data column, or nullptr.
    TField* FieldOfCol(Integer dataCol) const;
    // The adapter of the field bound to a data column, or nullptr.
    TgrDBField* FieldAdapter(Integer dataCol) const;
    // One adapter per field of the dataset.
    TgrFieldList& FieldList() { return fieldList_; }
    // Remakes the columns from the dataset's fields (DBGridLayout.cpp),
    // only while data bound and not already rebuilding. The data link's
    // field map is made again; dropColumns or resetFields unbind every
    // column and remake the field adapters. fsCustomized: each column is
    // bound to the field its FieldName names (unbound, its name kept, for
    // a name the dataset lacks), or every column unbound without
    // linkActive or fields. fsDefault: dropColumns, no linkActive or an
    // inactive link clears the columns (one default column stays);
    // otherwise columns of fields that went are removed, the others
    // follow their field's width and visibility, and a field without a
    // column gets one at its position (a column per field, in field order,
    // when there were none; a field that is not visible gives a hidden
    // column).
    void RebuildColumns(bool linkActive, bool dropColumns, bool resetFields);
    // The first column bound to a field, or nullptr.
    TgrDBCol* FindFieldCol(const TField* field);
    // After the dataset's fields changed (data active only): the in-cell
    // control hidden, the record window read anew (ResetWindow), the
    // control shown again and the selection, current-cell and top-left
    // notifications fired for what changed (not by the user). A
    // single-selection list box drops its record selection first.
    void RefreshAfterLayoutChange(bool reset);
    // The record window read anew: its caches dropped (the engine-cursor
    // window clones its cursor again and stands on the first record), the
    // exact record count taken, the row count and scroll bars updated,
    // with toTop the first record row scrolled to the top; a dataset that
    // changed its index makes the grid forget its current record (the
    // row-changed and top-left events report it anew); then the dataset's
    // record is made the grid's current record.
    void ResetWindow(bool toTop);
    // Drops the bookmarks and record ids the window cached per row.
    void ClearWindowCaches();
    // Rows := the window's record count (1 while not data active); with
    // updateBars the scroll bars follow.
    void UpdateRowCount(bool updateBars = false);
    // With ExactRowCount, active data and the engine-cursor window: the
    // window takes the dataset's exact record count (asked again with
    // refresh) and the rows and scroll bars follow. The standard window
    // always knows its count, so nothing happens with it.
    void UpdateExactRowCount(bool refresh);
    // Sets the top-left cell only when it differs, under an update lock
    // unless noLock.
    void SetTopLeftChecked(Integer left, Integer top, bool noLock = false);

    // ------------------------------------------------ records
    // The DataRow of a data row of the window ("" outside the window).
    Variant DataRowOfRow(Integer dataRow);
    // The window row showing a record, 0 when it is not shown; by its
    // record id when useIds and ids are in use, else by bookmark text.
    Integer WindowPositionOfDataRow(const Variant& dataRow, bool useIds = true);
    // The grid's current record.
    Variant GetCurrentDataRow() { return DataRowOfBookmark(currentRecord_); }
    // -1, 0 or 1 through the record window; -2 when the grid is not bound
    // to active data (callers take any answer but 0 as two records).
    int CompareBookmarks(const std::string& a, const std::string& b);
    int ComparePositions(const TgrBkmPos& a, const TgrBkmPos& b);
    // Saves the dataset position through the record window and opens a
    // controls lock section; the restore closes it and, when asked, puts
    // the position back.
    TgrDatasetPosition SaveDatasetPosition();
    void RestoreDatasetPosition(const TgrDatasetPosition& saved, bool restore);
    using TgrBaseGrid::GetCellValue;
    // Value of a column for a record, as the grid shows it (through
    // OnCellLoaded). The dataset is moved to the record and back.
    Variant GetCellValue(Integer dataCol, const Variant& dataRow);
    // The value of a column of the dataset's current record as the grid
    // shows it.
    Variant ReadActiveRecordCellValue(Integer dataCol, const Variant& dataRow);
    // The number of records that fit the window's height.
    Integer GetVisibleRecordCount() const;
    // The window follows the heading and the row heights; OnRowResized
    // names a record row -1.
    void SetHeadingOn(bool value) override;
    // A new font (also the parent's, while ParentFont) rebuilds the
    // columns from their fields; OnFieldLayoutChange fires.
    void ApplyFont() override;
    void RowResized(Integer dataRow) override;

    // ------------------------------------------------ record ids
    // (DBGridRecordIds.cpp.) Record ids are in use while the grid is data
    // bound, UseRecordIds is True and OnGetRecordID is assigned: every
    // DataRow the grid hands out or takes is then the record's id, and the
    // properties and the selection kept by record are keyed by it.
    // Switching the identity drops every row and cell property by record
    // and the selection (RecordIdentityChanged).
    bool UseRecordIds() const { return useRecordIds_; }
    void SetUseRecordIds(bool value);
    const TgrDBGetRecordIDEvent& OnGetRecordID() const { return onGetRecordID_; }
    void SetOnGetRecordID(TgrDBGetRecordIDEvent handler);
    bool UsesRecordIds() const { return dataBound_ && useRecordIds_ && bool(onGetRecordID_); }
    // -1, 0 or 1 through OnCompareRecordID, else the variant order; an
    // error of the handler is raised again as a grid error.
    int CompareRecordIds(const Variant& id1, const Variant& id2);
    // Two DataRows: record ids with ids in use, else bookmark texts (-2
    // while not data active).
    int CompareRecordIdentities(const Variant& dataRow1, const Variant& dataRow2);
    void RecordIdentityChanged();
    // The DataRow of the record at a bookmark ("" gives the empty DataRow,
    // or Null with ids); Unassigned when its id cannot be read.
    Variant DataRowOfBookmark(const std::string& bookmark);
    // The DataRow of the dataset's current record.
    Variant DataRowOfDataSetRecord();
    // The bookmark of the record a DataRow names: in the window, or, for an
    // id, found by a walk through the dataset. False when none has it.
    bool BookmarkOfDataRow(const Variant& dataRow, std::string& bookmark);
    // True for a DataRow the grid can take: any value with ids, else text.
    // Otherwise raises "Invalid bookmark value" (while range errors are on)
    // or answers False.
    bool CheckDataRow(const Variant& dataRow);
    // The bookmark of the grid's current record.
    const std::string& CurrentBookmark() const { return currentRecord_; }
    virtual void DoGetRecordID(const Variant& dataRow, Variant& recordId);
    virtual void DoCompareRecordID(const Variant& recordId1, const Variant& recordId2, Integer& compRes);
    // Fires OnGetRecordID for the dataset's current record (Unassigned
    // without ids).
    Variant FetchRecordId(const std::string& bookmark);
    TgrDBCompareRecordIDEvent OnCompareRecordID;

    // ------------------------------------------------ properties by record
    // (DBGridRecordProps.h, DBGridRecordAccess.cpp.) Bound, row and cell
    // properties belong to records: Get<Attribute>(DataRow) and
    // Set<Attribute>(DataRow, Value) for rows, (DataCol, DataRow) for cells,
    // kept in the record stores; a DataRow the grid cannot take raises
    // "Invalid bookmark value", a data column outside 1..Cols "Column index
    // %d out of range" (setters only; getters answer the not-set value).
    // The grid class's getters by row number and its attribute resolution
    // answer for the record a window row shows, so painting, editing and
    // printing use them. Not bound, each passes to the grid class with the
    // DataRow as a row number.
    using TgrBaseGrid::GetRowColor;
    using TgrBaseGrid::GetRowFont;
    using TgrBaseGrid::GetRowParentFont;
    using TgrBaseGrid::GetRowAlignment;
    using TgrBaseGrid::GetRowAlign;
    using TgrBaseGrid::GetRowHorzAlignment;
    using TgrBaseGrid::GetRowVertAlignment;
    using TgrBaseGrid::GetRowReadOnly;
    using TgrBaseGrid::GetRowIs3D;
    using TgrBaseGrid::GetRowDropDownStyle;
    using TgrBaseGrid::GetRowButtonType;
    using TgrBaseGrid::GetRowWordWrap;
    using TgrBaseGrid::GetRowMaskName;
    using TgrBaseGrid::GetRowCombo;
    using TgrBaseGrid::GetRowParentCombo;
    using TgrBaseGrid::GetRowStretchPicture;
    using TgrBaseGrid::GetRowShrinkPicture;
    using TgrBaseGrid::GetRowCenterPicture;
    using TgrBaseGrid::GetRowKeepAspectRatio;
    using TgrBaseGrid::GetRowControlType;
    using TgrBaseGrid::GetRowSpinOptions;
    using TgrBaseGrid::GetRowSpinIncrement;
    using TgrBaseGrid::GetRowDateTimeDef;
    using TgrBaseGrid::GetRowHeight;
    using TgrBaseGrid::SetRowHeight;
    using TgrBaseGrid::GetRowVisible;
    using TgrBaseGrid::SetRowVisible;
    using TgrBaseGrid::GetDisplayRow;
    using TgrBaseGrid::SetDisplayRow;
    using TgrBaseGrid::GetRowChanged;
    using TgrBaseGrid::SetRowChanged;
    using TgrBaseGrid::GetRowId;
    using TgrBaseGrid::SetRowColor;
    using TgrBaseGrid::SetRowFont;
    using TgrBaseGrid::SetRowParentFont;
    using TgrBaseGrid::SetRowAlignment;
    using TgrBaseGrid::SetRowAlign;
    using TgrBaseGrid::SetRowHorzAlignment;
    using TgrBaseGrid::SetRowVertAlignment;
    using TgrBaseGrid::SetRowReadOnly;
    using TgrBaseGrid::SetRowIs3D;
    using TgrBaseGrid::SetRowDropDownStyle;
    using TgrBaseGrid::SetRowButtonType;
    using TgrBaseGrid::SetRowWordWrap;
    using TgrBaseGrid::SetRowMaskName;
    using TgrBaseGrid::SetRowCombo;
    using TgrBaseGrid::SetRowParentCombo;
    using TgrBaseGrid::SetRowStretchPicture;
    using TgrBaseGrid::SetRowShrinkPicture;
    using TgrBaseGrid::SetRowCenterPicture;
    using TgrBaseGrid::SetRowKeepAspectRatio;
    using TgrBaseGrid::SetRowControlType;
    using TgrBaseGrid::SetRowSpinOptions;
    using TgrBaseGrid::SetRowSpinIncrement;
    TColor GetRowColor(const Variant& r) { return TColor(RecordRowProp(r, gpColor).AsInteger()); }
    void SetRowColor(const Variant& r, TColor v) { SetRecordRowProp(r, gpColor, pkNoPicture, Variant(Integer(v))); }
    TFont* GetRowFont(const Variant& r) { return static_cast<TFont*>(VariantToObject(RecordRowProp(r, gpFont))); }
    void SetRowFont(const Variant& r, const TFont* v) { SetRecordRowProp(r, gpFont, pkNoPicture, ObjectToVariant(v)); }
    bool GetRowParentFont(const Variant& r) { return RecordRowProp(r, gpParentFont).AsBoolean(); }
    // True drops the record's font, False gives it a copy of the grid's.
    void SetRowParentFont(const Variant& r, bool v);
    TAlignment GetRowAlignment(const Variant& r) { return TAlignment(RecordRowProp(r, gpAlignment).AsInteger()); }
    void SetRowAlignment(const Variant& r, TAlignment v) { SetRecordRowProp(r, gpAlignment, pkNoPicture, Variant(Byte(v))); }
    bool GetRowAlign(const Variant& r) { return RecordRowProp(r, gpAlign).AsBoolean(); }
    void SetRowAlign(const Variant& r, bool v) { SetRecordRowProp(r, gpAlign, pkNoPicture, Variant(v)); }
    TgrHorzAlignment GetRowHorzAlignment(const Variant& r) { return TgrHorzAlignment(RecordRowProp(r, gpHorzAlignment).AsInteger()); }
    void SetRowHorzAlignment(const Variant& r, TgrHorzAlignment v) { SetRecordRowProp(r, gpHorzAlignment, pkNoPicture, Variant(Byte(v))); }
    TgrVertAlignment GetRowVertAlignment(const Variant& r) { return TgrVertAlignment(RecordRowProp(r, gpVertAlignment).AsInteger()); }
    void SetRowVertAlignment(const Variant& r, TgrVertAlignment v) { SetRecordRowProp(r, gpVertAlignment, pkNoPicture, Variant(Byte(v))); }
    bool GetRowReadOnly(const Variant& r) { return RecordRowProp(r, gpReadOnlyFlag).AsBoolean(); }
    void SetRowReadOnly(const Variant& r, bool v) { SetRecordRowProp(r, gpReadOnlyFlag, pkNoPicture, Variant(v)); }
    bool GetRowIs3D(const Variant& r) { return RecordRowProp(r, gpIs3D).AsBoolean(); }
    void SetRowIs3D(const Variant& r, bool v) { SetRecordRowProp(r, gpIs3D, pkNoPicture, Variant(v)); }
    TgrDropDownStyle GetRowDropDownStyle(const Variant& r) { return TgrDropDownStyle(RecordRowProp(r, gpDropDownStyle).AsInteger()); }
    void SetRowDropDownStyle(const Variant& r, TgrDropDownStyle v) { SetRecordRowProp(r, gpDropDownStyle, pkNoPicture, Variant(Byte(v))); }
    virtual TgrButtonType GetRowButtonType(const Variant& r) { return TgrButtonType(RecordRowProp(r, gpButtonType).AsInteger()); }
    // Nothing in a combo's own list grid.
    void SetRowButtonType(const Variant& r, TgrButtonType v);
    TgrWordWrap GetRowWordWrap(const Variant& r) { return TgrWordWrap(RecordRowProp(r, gpWordWrap).AsInteger()); }
    void SetRowWordWrap(const Variant& r, TgrWordWrap v) { SetRecordRowProp(r, gpWordWrap, pkNoPicture, Variant(Byte(v))); }
    std::string GetRowMaskName(const Variant& r) { return RecordRowProp(r, gpMaskName).AsString(); }
    void SetRowMaskName(const Variant& r, const std::string& v) { SetRecordRowProp(r, gpMaskName, pkNoPicture, Variant(v)); }
    TgrCombo* GetRowCombo(const Variant& r) { return static_cast<TgrCombo*>(VariantToObject(RecordRowProp(r, gpCombo))); }
    void SetRowCombo(const Variant& r, const TgrCombo* v) { SetRecordRowProp(r, gpCombo, pkNoPicture, ObjectToVariant(v)); }
    bool GetRowParentCombo(const Variant& r) { return RecordRowProp(r, gpParentCombo).AsBoolean(); }
    void SetRowParentCombo(const Variant& r, bool v) { SetRecordRowProp(r, gpParentCombo, pkNoPicture, Variant(v)); }
    TgrDrawOption GetRowStretchPicture(const Variant& r) { return TgrDrawOption(RecordRowProp(r, gpPicture, pkStretchPicture).AsInteger()); }
    void SetRowStretchPicture(const Variant& r, TgrDrawOption v) { SetRecordRowProp(r, gpPicture, pkStretchPicture, Variant(Byte(v))); }
    TgrDrawOption GetRowShrinkPicture(const Variant& r) { return TgrDrawOption(RecordRowProp(r, gpPicture, pkShrinkPicture).AsInteger()); }
    void SetRowShrinkPicture(const Variant& r, TgrDrawOption v) { SetRecordRowProp(r, gpPicture, pkShrinkPicture, Variant(Byte(v))); }
    TgrDrawOption GetRowCenterPicture(const Variant& r) { return TgrDrawOption(RecordRowProp(r, gpPicture, pkCenterPicture).AsInteger()); }
    void SetRowCenterPicture(const Variant& r, TgrDrawOption v) { SetRecordRowProp(r, gpPicture, pkCenterPicture, Variant(Byte(v))); }
    TgrDrawOption GetRowKeepAspectRatio(const Variant& r) { return TgrDrawOption(RecordRowProp(r, gpPicture, pkKeepAspectRatio).AsInteger()); }
    void SetRowKeepAspectRatio(const Variant& r, TgrDrawOption v) { SetRecordRowProp(r, gpPicture, pkKeepAspectRatio, Variant(Byte(v))); }
    TgrControlType GetRowControlType(const Variant& r) { return TgrControlType(RecordRowProp(r, gpControlType).AsInteger()); }
    void SetRowControlType(const Variant& r, TgrControlType v) { SetRecordRowProp(r, gpControlType, pkNoPicture, Variant(Byte(v))); }
    TgrSpinOptions GetRowSpinOptions(const Variant& r) { return TgrSpinOptions(RecordRowProp(r, gpSpinOptions).AsInteger()); }
    void SetRowSpinOptions(const Variant& r, TgrSpinOptions v) { SetRecordRowProp(r, gpSpinOptions, pkNoPicture, Variant(Byte(v))); }
    double GetRowSpinIncrement(const Variant& r) { return RecordRowProp(r, gpSpinIncrement).AsDouble(); }
    void SetRowSpinIncrement(const Variant& r, double v) { SetRecordRowProp(r, gpSpinIncrement, pkNoPicture, Variant(v)); }
    TgrDateTimeDefComponent* GetRowDateTimeDef(const Variant& r) { return static_cast<TgrDateTimeDefComponent*>(VariantToObject(RecordRowProp(r, gpDateTimeDef))); }
    void SetRowDateTimeDef(const Variant& r, TgrDateTimeDefComponent* v) { SetRecordRowProp(r, gpDateTimeDef, pkNoPicture, ObjectToVariant(v), false); }
    // Bound, a record row is DefaultRowHeight high, visible, unchanged and
    // in its own window position: the setters change nothing; its display
    // row is -1 outside the window and its row id -1.
    Integer GetRowHeight(const Variant& r);
    void SetRowHeight(const Variant& r, Integer height);
    bool GetRowVisible(const Variant& r);
    void SetRowVisible(const Variant& r, bool visible);
    Integer GetDisplayRow(const Variant& r);
    void SetDisplayRow(const Variant& r, Integer position);
    bool GetRowChanged(const Variant& r);
    void SetRowChanged(const Variant& r, bool changed);
    Integer GetRowId(const Variant& r);
    // A record's row property record (the last lookup remembered by the
    // DataRow's text), or none; the record of a window row (cached per
    // row until the window or a row property changes).
    TgrDBRowElement* FindRowElement(const Variant& dataRow);
    bool HasWindowRowElement(Integer row);
    void ClearRowPropertyCache();
    // Gives the record row (made on demand) its own combo; an open list of
    // the current row is closed.
    TgrCombo* CreateRowCombo(const Variant& dataRow);
    void RollUpRecordRowCombo(const Variant& dataRow);
    // The row properties of a record by property id (kind for pictures).
    Variant RecordRowProp(const Variant& dataRow, TgrPropId id, TgrPictureKind kind = pkNoPicture);
    void SetRecordRowProp(const Variant& dataRow, TgrPropId id, TgrPictureKind kind, const Variant& value,
                          bool repaint = true);
    // Repaints a record's row when the window shows it (drawing-only ids
    // not while the grid paints); a current row's in-cell control follows.
    void InvalidateDataRow(const Variant& dataRow, bool useIds, TgrPropId id);
    // The order of the record stores (record ids or bookmark texts).
    int CompareRecordKeys(const Variant& a, const Variant& b) { return recordOrder_(a, b); }

    using TgrBaseGrid::GetCellColor;
    using TgrBaseGrid::GetCellFont;
    using TgrBaseGrid::GetCellParentFont;
    using TgrBaseGrid::GetCellHorzAlignment;
    using TgrBaseGrid::GetCellVertAlignment;
    using TgrBaseGrid::GetCellWordWrap;
    using TgrBaseGrid::GetCellIs3D;
    using TgrBaseGrid::GetCellButtonType;
    using TgrBaseGrid::GetCellDropDownStyle;
    using TgrBaseGrid::GetCellMaskName;
    using TgrBaseGrid::GetCellControlType;
    using TgrBaseGrid::GetCellSpinOptions;
    using TgrBaseGrid::GetCellSpinIncrement;
    using TgrBaseGrid::GetCellStretchPicture;
    using TgrBaseGrid::GetCellShrinkPicture;
    using TgrBaseGrid::GetCellCenterPicture;
    using TgrBaseGrid::GetCellKeepAspectRatio;
    using TgrBaseGrid::GetCellCombo;
    using TgrBaseGrid::GetCellParentCombo;
    using TgrBaseGrid::GetCellDateTimeDef;
    using TgrBaseGrid::GetCellReadOnly;
    using TgrBaseGrid::GetCellTag;
    using TgrBaseGrid::SetCellColor;
    using TgrBaseGrid::SetCellFont;
    using TgrBaseGrid::SetCellParentFont;
    using TgrBaseGrid::SetCellAlign;
    using TgrBaseGrid::SetCellAlignment;
    using TgrBaseGrid::SetCellHorzAlignment;
    using TgrBaseGrid::SetCellVertAlignment;
    using TgrBaseGrid::SetCellIs3D;
    using TgrBaseGrid::SetCellReadOnly;
    using TgrBaseGrid::SetCellWordWrap;
    using TgrBaseGrid::SetCellDropDownStyle;
    using TgrBaseGrid::SetCellControlType;
    using TgrBaseGrid::SetCellSpinOptions;
    using TgrBaseGrid::SetCellSpinIncrement;
    using TgrBaseGrid::SetCellMaskName;
    using TgrBaseGrid::SetCellParentCombo;
    using TgrBaseGrid::SetCellStretchPicture;
    using TgrBaseGrid::SetCellShrinkPicture;
    using TgrBaseGrid::SetCellCenterPicture;
    using TgrBaseGrid::SetCellKeepAspectRatio;
    using TgrBaseGrid::SetCellButtonType;
    using TgrBaseGrid::SetCellCombo;
    using TgrBaseGrid::CreateCellCombo;
    using TgrBaseGrid::FindCellElement;
    Integer GetCellTag(Integer c, const Variant& r) { return RecordCellProp(c, r, gpTag).AsInteger(); }
    void* GetCellObject(Integer c, const Variant& r) { return VariantToObject(RecordCellProp(c, r, gpObject)); }
    TColor GetCellColor(Integer c, const Variant& r) { return TColor(RecordCellProp(c, r, gpColor).AsInteger()); }
    // The window colour is the plain cell: it clears a highlight, so a
    // cell-loaded handler that colours every cell keeps the store sparse.
    void SetCellColor(Integer c, const Variant& r, TColor v) {
        SetRecordCellProp(c, r, gpColor, pkNoPicture, Variant(Integer(v == clWindow ? grColorNotSet : v)));
    }
    TgrControlType GetCellControlType(Integer c, const Variant& r) { return TgrControlType(RecordCellProp(c, r, gpControlType).AsInteger()); }
    void SetCellControlType(Integer c, const Variant& r, TgrControlType v) { SetRecordCellProp(c, r, gpControlType, pkNoPicture, Variant(Byte(v))); }
    TgrSpinOptions GetCellSpinOptions(Integer c, const Variant& r) { return TgrSpinOptions(RecordCellProp(c, r, gpSpinOptions).AsInteger()); }
    void SetCellSpinOptions(Integer c, const Variant& r, TgrSpinOptions v) { SetRecordCellProp(c, r, gpSpinOptions, pkNoPicture, Variant(Byte(v))); }
    double GetCellSpinIncrement(Integer c, const Variant& r) { return RecordCellProp(c, r, gpSpinIncrement).AsDouble(); }
    void SetCellSpinIncrement(Integer c, const Variant& r, double v) { SetRecordCellProp(c, r, gpSpinIncrement, pkNoPicture, Variant(v)); }
    TFont* GetCellFont(Integer c, const Variant& r) { return static_cast<TFont*>(VariantToObject(RecordCellProp(c, r, gpFont))); }
    void SetCellFont(Integer c, const Variant& r, const TFont* v) { SetRecordCellProp(c, r, gpFont, pkNoPicture, ObjectToVariant(v)); }
    bool GetCellParentFont(Integer c, const Variant& r) { return RecordCellProp(c, r, gpParentFont).AsBoolean(); }
    // True drops the cell's font, False gives it a copy of the font the
    // cell shows now.
    void SetCellParentFont(Integer c, const Variant& r, bool v);
    TAlignment GetCellAlignment(Integer c, const Variant& r) { return TAlignment(RecordCellProp(c, r, gpAlignment).AsInteger()); }
    void SetCellAlignment(Integer c, const Variant& r, TAlignment v) { SetRecordCellProp(c, r, gpAlignment, pkNoPicture, Variant(Byte(v))); }
    bool GetCellAlign(Integer c, const Variant& r) { return RecordCellProp(c, r, gpAlign).AsBoolean(); }
    void SetCellAlign(Integer c, const Variant& r, bool v) { SetRecordCellProp(c, r, gpAlign, pkNoPicture, Variant(v)); }
    TgrHorzAlignment GetCellHorzAlignment(Integer c, const Variant& r) { return TgrHorzAlignment(RecordCellProp(c, r, gpHorzAlignment).AsInteger()); }
    void SetCellHorzAlignment(Integer c, const Variant& r, TgrHorzAlignment v) { SetRecordCellProp(c, r, gpHorzAlignment, pkNoPicture, Variant(Byte(v))); }
    TgrVertAlignment GetCellVertAlignment(Integer c, const Variant& r) { return TgrVertAlignment(RecordCellProp(c, r, gpVertAlignment).AsInteger()); }
    void SetCellVertAlignment(Integer c, const Variant& r, TgrVertAlignment v) { SetRecordCellProp(c, r, gpVertAlignment, pkNoPicture, Variant(Byte(v))); }
    bool GetCellIs3D(Integer c, const Variant& r) { return RecordCellProp(c, r, gpIs3D).AsBoolean(); }
    void SetCellIs3D(Integer c, const Variant& r, bool v) { SetRecordCellProp(c, r, gpIs3D, pkNoPicture, Variant(v)); }
    TgrWordWrap GetCellWordWrap(Integer c, const Variant& r) { return TgrWordWrap(RecordCellProp(c, r, gpWordWrap).AsInteger()); }
    void SetCellWordWrap(Integer c, const Variant& r, TgrWordWrap v) { SetRecordCellProp(c, r, gpWordWrap, pkNoPicture, Variant(Byte(v))); }
    std::string GetCellMaskName(Integer c, const Variant& r) { return RecordCellProp(c, r, gpMaskName).AsString(); }
    void SetCellMaskName(Integer c, const Variant& r, const std::string& v) { SetRecordCellProp(c, r, gpMaskName, pkNoPicture, Variant(v)); }
    TgrButtonType GetCellButtonType(Integer c, const Variant& r) { return TgrButtonType(RecordCellProp(c, r, gpButtonType).AsInteger()); }
    // Nothing in a combo's own list grid; btCombo makes the working combo.
    void SetCellButtonType(Integer c, const Variant& r, TgrButtonType v);
    TgrDropDownStyle GetCellDropDownStyle(Integer c, const Variant& r) { return TgrDropDownStyle(RecordCellProp(c, r, gpDropDownStyle).AsInteger()); }
    void SetCellDropDownStyle(Integer c, const Variant& r, TgrDropDownStyle v) { SetRecordCellProp(c, r, gpDropDownStyle, pkNoPicture, Variant(Byte(v))); }
    TgrCombo* GetCellCombo(Integer c, const Variant& r) { return static_cast<TgrCombo*>(VariantToObject(RecordCellProp(c, r, gpCombo))); }
    // Nothing in a combo's own list grid.
    void SetCellCombo(Integer c, const Variant& r, const TgrCombo* v);
    bool GetCellParentCombo(Integer c, const Variant& r) { return RecordCellProp(c, r, gpParentCombo).AsBoolean(); }
    void SetCellParentCombo(Integer c, const Variant& r, bool v) { SetRecordCellProp(c, r, gpParentCombo, pkNoPicture, Variant(v)); }
    TgrDrawOption GetCellStretchPicture(Integer c, const Variant& r) { return TgrDrawOption(RecordCellProp(c, r, gpPicture, pkStretchPicture).AsInteger()); }
    void SetCellStretchPicture(Integer c, const Variant& r, TgrDrawOption v) { SetRecordCellProp(c, r, gpPicture, pkStretchPicture, Variant(Byte(v))); }
    TgrDrawOption GetCellShrinkPicture(Integer c, const Variant& r) { return TgrDrawOption(RecordCellProp(c, r, gpPicture, pkShrinkPicture).AsInteger()); }
    void SetCellShrinkPicture(Integer c, const Variant& r, TgrDrawOption v) { SetRecordCellProp(c, r, gpPicture, pkShrinkPicture, Variant(Byte(v))); }
    TgrDrawOption GetCellCenterPicture(Integer c, const Variant& r) { return TgrDrawOption(RecordCellProp(c, r, gpPicture, pkCenterPicture).AsInteger()); }
    void SetCellCenterPicture(Integer c, const Variant& r, TgrDrawOption v) { SetRecordCellProp(c, r, gpPicture, pkCenterPicture, Variant(Byte(v))); }
    TgrDrawOption GetCellKeepAspectRatio(Integer c, const Variant& r) { return TgrDrawOption(RecordCellProp(c, r, gpPicture, pkKeepAspectRatio).AsInteger()); }
    void SetCellKeepAspectRatio(Integer c, const Variant& r, TgrDrawOption v) { SetRecordCellProp(c, r, gpPicture, pkKeepAspectRatio, Variant(Byte(v))); }
    TgrDateTimeDefComponent* GetCellDateTimeDef(Integer c, const Variant& r) { return static_cast<TgrDateTimeDefComponent*>(VariantToObject(RecordCellProp(c, r, gpDateTimeDef))); }
    void SetCellDateTimeDef(Integer c, const Variant& r, TgrDateTimeDefComponent* v) { SetRecordCellProp(c, r, gpDateTimeDef, pkNoPicture, ObjectToVariant(v), false); }
    TgrReadOnly GetCellReadOnly(Integer c, const Variant& r) { return TgrReadOnly(RecordCellProp(c, r, gpReadOnly).AsInteger()); }
    void SetCellReadOnly(Integer c, const Variant& r, TgrReadOnly v) { SetRecordCellProp(c, r, gpReadOnly, pkNoPicture, Variant(Byte(v))); }
    // A record cell's property record (remembered for the next lookup);
    // with check the column and the DataRow are checked first.
    TgrDBCellElement* FindCellElement(Integer dataCol, const Variant& dataRow, bool check);
    // By window row in data mode: the cell of the record the row shows.
    TgrCustomPropElement* FindCellElement(Integer dataCol, Integer dataRow, bool checkIndexes) override;
    TgrCustomPropElement* CreateCellElement(Integer dataCol, Integer dataRow) override;
    void ClearCellElementCache() override;
    // Gives the record cell (made on demand) its own combo; an open list of
    // the current cell is closed.
    TgrCombo* CreateCellCombo(Integer dataCol, const Variant& dataRow);
    void RollUpRecordCellCombo(Integer dataCol, const Variant& dataRow);
    Variant RecordCellProp(Integer dataCol, const Variant& dataRow, TgrPropId id, TgrPictureKind kind = pkNoPicture);
    void SetRecordCellProp(Integer dataCol, const Variant& dataRow, TgrPropId id, TgrPictureKind kind,
                           const Variant& value, bool repaint = true);
    // Resets the named properties of every record row (id 9 deselects the
    // window's records, every record without active data), and of every
    // record cell; unbound, those of the grid class.
    void ResetRowProperties(const TgrPropIdSet& ids) override;
    void ResetCellProperties(const TgrPropIdSet& ids) override;
    // Bound, the default row height is scaled (record rows have none of
    // their own), and the fonts and combo lists of the record rows
    // (cells).
    void ScaleRows(Integer m, Integer d, TScalingFlags flags) override;
    void ScaleCells(Integer m, Integer d, TScalingFlags flags) override;
    // The grid class's row getters by window row answer for its record.
    TColor GetRowColor(Integer dataRow) override;
    TFont* GetRowFont(Integer dataRow) override;
    bool GetRowParentFont(Integer dataRow) override;
    TgrHorzAlignment GetRowHorzAlignment(Integer dataRow) override;
    TgrVertAlignment GetRowVertAlignment(Integer dataRow) override;
    TgrWordWrap GetRowWordWrap(Integer dataRow) override;
    TgrButtonType GetRowButtonType(Integer dataRow) override;
    TgrDropDownStyle GetRowDropDownStyle(Integer dataRow) override;
    bool GetRowIs3D(Integer dataRow) override;
    std::string GetRowMaskName(Integer dataRow) override;
    TgrControlType GetRowControlType(Integer dataRow) override;
    TgrSpinOptions GetRowSpinOptions(Integer dataRow) override;
    double GetRowSpinIncrement(Integer dataRow) override;
    TgrDrawOption GetRowPicture(Integer dataRow, TgrPictureKind kind) override;
    TgrCombo* GetRowCombo(Integer dataRow) override;
    bool GetRowParentCombo(Integer dataRow) override;
    TgrDateTimeDefComponent* GetRowDateTimeDef(Integer dataRow) override;
    bool IsRowReadOnly(Integer dataRow) override;
    bool IsRowVisible(Integer dataRow) override;
    Integer GetRowHeight(Integer dataRow) override;
    Variant GetRowProp(Integer dataRow, TgrPropId id, TgrPictureKind kind) override;
    Variant GetCellProp(Integer dataCol, Integer dataRow, TgrPropId id, TgrPictureKind kind) override;
    // A mask name changed for a record's cell or row: the in-cell editor
    // takes it when the cell is the current one (unbound, by row number).
    void CellMaskChanged(Integer dataCol, const Variant& dataRow) override;
    // The height and the line count of a record cell's text as the grid
    // would draw it (0 for a cell that is no text cell).
    Integer GetRecordCellTextHeight(Integer dataCol, const Variant& dataRow);
    Integer GetRecordCellTextLines(Integer dataCol, const Variant& dataRow);
    void GetRecordCellTextSize(Integer dataCol, const Variant& dataRow, Integer& height, Integer& lines);
    // A record cell's word wrap, and its button type with its drop-down
    // style (btNone for a cell that may not be edited unless
    // ReadOnlyButton), by display column, in the grid class's order.
    TgrWordWrap ResolveCellWordWrap(Integer displayCol, const Variant& dataRow);
    TgrButtonType ResolveCellButtonType(Integer displayCol, const Variant& dataRow, TgrDropDownStyle& style);
    // Every row and cell property of one record back to not set.
    void ResetRecordProperties(const Variant& dataRow);
    TgrDBRowPropSet& RecordRowProps() { return rowProps_; }
    TgrDBCellPropSet& RecordCellProps() { return cellProps_; }
    // The colour a record's cell is painted with: its cell colour, else
    // row and column colours in DrawOverlap order, else the grid's; the
    // font (of the cell a display column shows) likewise.
    TColor RecordCellColor(Integer dataCol, const Variant& dataRow);
    TFont* ResolveCellFont(Integer displayCol, const Variant& dataRow);

    // ------------------------------------------------ selection
    void SelectRows(const Variant& fromRow, const Variant& toRow, bool select);
    bool IsRecordSelected(const Variant& dataRow) const;
    // True while a record scan of the selection runs.
    bool ScanningRecords() const { return scanning_; }
    // One step of a record scan (DBGridScan.cpp): unless cancelled (or
    // while count is below reported) count grows by one; a count above
    // reported is reported through OnScanRecords, whose handler may set
    // cancel.
    void ScanStep(bool scanAll, TgrScanState state, Integer& count, Integer& reported, bool& cancel);
    // The bookmarks from one record to another, walking from `from` (the
    // first record when empty) towards `to` (the end of the data when
    // empty): backward for a direction below 0, forward above 0, and for
    // 0 (ordered bookmarks decide it when both are given) both ways in
    // turn. Answers 1 when `to` lay before `from`, -1 after it, 0 for the
    // same record or when it was not found (list empty). A cancel through
    // OnScanRecords gives no list unless the walk found `to` at the same
    // step. The dataset comes back to its record.
    Integer ScanBookmarksBetween(const std::string& from, const std::string& to, Integer direction, bool scanAll,
                                 std::vector<std::string>& list, bool& cancel);
    void ResetRowState(TgrRowStateKinds kinds);
    // Rows selected on screen select their records: the selection stays
    // with the records when the window scrolls.
    void SelectDisplayRows(Integer from, Integer to) override;
    void DeselectDisplayRows(Integer from, Integer to) override;
    // A display row is selected when its record is.
    bool IsDisplayRowSelected(Integer displayRow) const override;
    bool AnyRowSelected() const override;
    // In list-box mode with single selection the current record is the
    // selected one.
    void SyncListBoxSelection(bool fire) override;
    void DeselectAllRows() override;
    // Every record of the dataset, not only those on screen (a corner press
    // deselects them when all are selected).
    void SelectAllRows(bool byUser) override;
    TgrDBSelection& RecordSelectionSet() { return *selection_; }

    // ------------------------------------------------ row selection by record
    // (DBGridRowSelect.cpp.) The row-bar presses and the row selection
    // operations of the grid class, turned into records: display rows give
    // their records' bookmarks, and the record selection changes, so a
    // range can reach records not shown. Not bound: the grid class's
    // operations; bound but not active: nothing.
    //
    // Selects (deselects) the records from one position to another;
    // False when refused (an end without its record, rsNone, deselecting
    // with no rows selected, a pending edit that cannot be left, start
    // after end, a range in list-box selection, the one record already
    // selected under rsSingle) or when OnScanRecords cancelled the scan
    // of set mode. Nothing changes then.
    bool SelectPositionRange(const TgrBkmPos& start, const TgrBkmPos& end, bool select, bool byUser);
    void SetDataRowSelected(const Variant& dataRow, bool select);
    bool IsDataRowSelected(const Variant& dataRow);
    // Only this record selected (its row made current when shown); a
    // record selected already stays selected throughout.
    void SelectOnlyRecord(const std::string& bookmark, bool invalidate);
    // The bookmarks of two display rows, limited to the rows; row 0 is
    // the range anchor record. With ordered bookmarks first never sorts
    // after second.
    void GetDisplayRowBookmarks(Integer row1, Integer row2, std::string& first, std::string& second);
    // Row 0 (the anchor outside the window) becomes the window edge on the
    // anchor's side; from <= to afterwards.
    void ResolveDisplayRowRange(Integer& from, Integer& to);
    // Repaints the rows from..to whose selection state differs from state.
    void PaintRowStates(Integer from, Integer to, bool state);
    // The record Shift ranges extend from: the one last pressed, else the
    // current record.
    std::string GetRangeAnchorBookmark();
    void SetRangeAnchorRow(Integer row) override;
    Integer GetRangeAnchorRow() override;
    // Whether the range anchor record is selected (False unless active).
    bool IsAnchorRowSelected() override;
    // After a Shift range: the pressed row's record becomes current.
    void RangeSelectDone(Integer row) override;
    void ClearRangeAnchorState();
    Integer AnchorSide() const { return anchorSide_; }
    Integer PrevAnchorSide() const { return prevAnchorSide_; }
    // The bookmarks from the anchor record to a display row's record:
    // window rows when the anchor is shown (anchorRow), else a record
    // scan. Answers the side of the row against the anchor.
    Integer CollectRangeBookmarks(Integer anchorRow, Integer row, TgrSelectedList& list, bool& cancel);
    void RowSelectMouseDown(TShiftState shift, Integer x, Integer row, Integer col, Integer y) override;
    void ExtendRowSelection(Integer row, bool& handled) override;
    void ExtendRowSelectionAdd(Integer row, bool& handled) override;
    void SelectOnlyRow(Integer row, bool invalidate) override;
    void ClickSelectRow(Integer row) override;
    void ToggleDisplayRows(Integer from, Integer to) override;
    void PaintSelectedRows(Integer from, Integer to, bool state) override;
    void PaintRowsHighlighted(Integer from, Integer to) override;

    // ------------------------------------------------ drag selection
    // (DBGridDragSelect.cpp.) A row drag in data mode moves its end from
    // record to record: the records between the drag's anchor record (the
    // mouse select start) and its end are inverted from their state before
    // the drag, the anchor left out, whichever side the end lies on; the
    // current record follows the end. Under rsSingle the one selected
    // record follows the pointer (in a dropped-down list only while the
    // pointer is on its rows) and becomes the anchor. Held past the rows,
    // the drag walks the record window one record a step and takes each
    // record shown. Given up, every record the drag changed, shown or
    // scrolled away, gets its state back and the anchor is inverted.
    // AutoScrollDirection: -1 while scrolling up, 1 down, else 0;
    // DragDirection: the sign of the last move against the drag end;
    // AnchorSide, PrevAnchorSide: the side of the anchor record the last
    // compared row lies on, and the side before.
    Integer AutoScrollDirection() const { return autoScrollDirection_; }
    Integer DragDirection() const { return dragDirection_; }
    void SetDragDirection(Integer value) { dragDirection_ = value > 0 ? 1 : value < 0 ? -1 : 0; }
    // The drag's anchor record and the position its end has reached.
    const std::string& MouseSelectStart() const { return mouseSelectStart_; }
    const TgrBkmPos& DragEndPos() const { return dragEndPos_; }
    // Makes a display row current in the current column without the drag
    // auto-scroll reacting; markRow repaints its row indicator. False when
    // the current cell could not be left.
    bool MoveCurrentToWindowRow(Integer displayRow, bool markRow);
    // The given record becomes the current one (with the standard window)
    // and the shown rows follow a scroll of the window by rows records.
    void ScrollDisplayByRecords(const std::string& bookmark, Integer rows);

    // ------------------------------------------------ navigation
    // The vertical scroll command (the scroll bar's handler).
    void VertScroll(TgrScrollCode code, Integer thumbPos = 0);
    TgrVertScrollFigures VertScrollFigures();
    Integer VertScrollPos();
    // The bar's page: the whole rows shown, scaled to the bar's range; 0
    // for the five-position bar of a dataset without record numbers.
    Integer VertScrollPage();
    // ---- scrolling (DBGridScrolling.cpp)
    // The record number a position of the bar names (scaled bars: the
    // position times positions per range).
    Integer ScrollPosToRecord(Integer pos);
    // The drawn rows follow a move of the window by delta records (and
    // colDelta columns): pixels are scrolled and only the rows that came
    // into view are painted; a page or more repaints everything.
    // markCurrent marks the dataset's record as current again.
    void ScrollByRecords(Integer colDelta, Integer delta, bool markCurrent);
    Integer ColumnShiftPixels(Integer colDelta);
    // Scrolls the pixels (the same top-left cell) or moves the top-left
    // cell after the window moved by delta records.
    void ScrollToShow(Integer left, Integer top, Integer delta);
    // Makes (newCol, newRow) current and shows the move (ScrollToShow).
    void ApplyCurrentMove(Integer delta, Integer left, Integer newTop, Integer newCol, Integer newRow, bool byUser);
    // After the data link's buffer moved by distance records and the
    // dataset's record stands shift rows from the current one: the new
    // current row, the top row and the records to scroll; answers the rows
    // the current record moved.
    Integer ScrollBackStandard(Integer distance, Integer shift, Integer& top, Integer& newRow, Integer& records);
    Integer ScrollForwardStandard(Integer distance, Integer shift, Integer& top, Integer& newRow, Integer& records);
    // A move by count records up (down): the standard window answers count
    // unless the dataset is at its beginning (end); the engine-cursor
    // window moves its active row now, scrolling when it leaves the rows
    // (scroll: records scrolled; newRow, newTop: where the current record
    // and the top row go).
    Integer CalcLineUp(Integer count, Integer& scroll, Integer& newRow, Integer& newTop);
    Integer CalcLineDown(Integer count, Integer& scroll, Integer& newRow, Integer& newTop);
    // The bar's commands: the standard window moves the dataset, the
    // engine-cursor window its own cursor (by records, to a bar position,
    // to an edge: 1 first, 2 last); the answers are the records moved.
    void ScrollStandard(TgrScrollCode code, Integer thumbPos);
    void ScrollBDE(TgrScrollCode code, Integer thumbPos);
    Integer ScrollWindowBack(Integer count);
    Integer ScrollWindowForward(Integer count);
    Integer ScrollWindowToPosition(Integer pos);
    void ScrollRecords(Integer count);
    void ScrollToEdge(Integer edge, bool byUser);
    void ScrollPageEdge(Integer edge);
    void ScrollToFirst();
    void ScrollToLast();
    // After the window grew: rows above the top row leave the window.
    void RealignTopRow();
    // A row height or the heading changed how many records fit.
    void ResizeWindowIfNeeded();
    Integer RowPitch();
    // The bars' positions only (the vertical one by record), painted at once.
    void UpdateScrollPos() override;
    void ChangeCurrentCell(Integer displayCol, Integer displayRow) override;
    // Makes a record the current record (moves the dataset).
    bool GotoDataRow(const Variant& dataRow);

    // ------------------------------------------------ current record
    // (DBGridCurrentRecord.cpp.) Adopts a record as the current one: its
    // row (when shown) becomes current in displayCol and the row and cell
    // events fire; unless noCounter the dataset is left where it is (the
    // caller moves it), else it is brought onto the record.
    void SetCurrentRecord(Integer displayCol, const std::string& bookmark, bool noCounter);
    // The same, not re-entered, under an update lock unless noLock.
    void SetCurrentRecordGuarded(Integer displayCol, const std::string& bookmark, bool noCounter, bool noLock);
    void SetCurrentBookmark(const std::string& bookmark);
    // Brings the dataset back onto the grid's current record. A record
    // that went meanwhile gives way to the record now at its row (or the
    // last row's); the fifth attempt takes the dataset's own record.
    void ReturnToCurrentRecord();
    // Makes a record current from outside the grid (the combo lists): the
    // record being edited is posted first (False when that is refused); a
    // list-box selection follows. Not bound, a row number.
    bool SetCurrentDataRow(const Variant& dataRow);

    // ------------------------------------------------ keyboard navigation
    // (DBGridKeys.cpp.) Each move first ends the cell edit and leaves the
    // record (an untouched new record is dropped, anything typed posted; a
    // refused post stops the move). A grid showing a current cell (edit
    // mode or focus shown) moves the dataset; otherwise the list moves
    // run, and rows selected follow the current record.
    // Up: refused on an untouched new record at the end.
    void MoveUp() override;
    void MoveRowUp() override;
    // Down: refused on an untouched new record; past the last record a new
    // one is appended (AutoInsert or gmEditInsert; never in a combo's
    // list). The row move never appends.
    void MoveDown() override;
    void MoveRowDown() override;
    void MovePageUp() override;
    void MovePageDown() override;
    // Ctrl+Up, Ctrl+Down: the first and the last record.
    void MoveToFirstRow() override;
    void MoveToLastRow() override;
    // Ctrl+Home, Ctrl+End: the first (last) enterable column of the first
    // (last) record.
    void MoveToFirstCell() override;
    void MoveToLastCell() override;
    // Tab, Enter, Right: the next enterable column; from the last one,
    // with TabRowWrap, the first column of the next record, past the last
    // record a new record (AutoInsert or gmEditInsert). Enter without a
    // wrap takes the value and selects the cell's text.
    void MoveToNextCell(Word16 key) override;
    // Shift+Tab, Left: the previous enterable column; from the first one,
    // with TabRowWrap, the last column of the previous record.
    void MoveToPrevCell() override;
    // The two above with active data; False when nothing moved.
    bool MoveToNextRecordCell(bool enterKey);
    bool MoveToPrevRecordCell();
    // The list moves: the dataset moved by the grid itself.
    void ListPageUp(Integer count);
    void ListPageDown(Integer count);
    void ListFirst();
    void ListLast();
    void MoveDatasetBy(Integer distance);
    void MoveDatasetFirst();
    void MoveDatasetLast();
    // True while a list move moves the dataset.
    bool GridMovesDataset() const { return listMoveDepth_ > 0; }
    // False only at the end of the data on an appended record nobody has
    // started to fill in.
    bool MayMoveDown();
    // The grid shows a current cell: edit mode or a focus rectangle.
    bool ShowsCurrentCell();

    // ------------------------------------------------ editing
    // Puts a value into the current cell as typed by the user: the record
    // goes into edit mode and the value is written when the cell is left.
    bool EditCurrentCell(const std::string& text);
    // Writes the current cell's pending value into its field (leaving the
    // cell); False when OnEndCellEdit kept the edit or writing failed.
    bool EndCellEdit();
    // Posts the record being edited; on failure the edit stays, the error
    // is shown and False is answered.
    bool PostEdit();
    // (DBGridEditing.cpp.) Esc: undoes the cell edit and cancels the
    // record's edit at once (an appended or inserted record goes); False
    // when OnUndoCellEdit or OnUndoRowEdit kept the edit.
    bool UndoEdit();
    // After an allowed undo: the dataset's edit cancelled, edit mode left
    // (unless AlwaysShowEditor) and the cell's text selected.
    bool ExitEditMode() override;
    // cancel: the dataset's Cancel; else its CheckBrowseMode (a changed
    // record posted, an unchanged one left).
    void EndDatasetEdit(bool cancel);
    // Bound, an undo takes the row edit back only while the dataset edits.
    bool ShouldUndoRow(bool forceRow, bool& result) override;
    // The in-cell control over a field that cannot be modified (calculated,
    // lookup, read-only) takes no typed text.
    void PositionCellControl(TgrCustomGridControl* control) override;
    bool IsCellEditPending() const { return updatePending_; }
    // A field adapter bound to a data column may write its field: the
    // record goes into edit mode (nothing is left pending); False with
    // data inactive, a read-only dataset or column, or a refused edit.
    bool StartFieldEdit(Integer dataCol);
    // Appends a record at the end; nothing for a read-only dataset or in
    // list-box and browse modes.
    void AppendRecord();
    // Ctrl+Del: deletes the selected records, asking first when
    // ConfirmDelete; True when the key was handled.
    bool DeleteRecordsOnKey();
    void DeleteSelectedRecords();
    // The selected records in dataset order: bookmark and DataRow.
    std::vector<std::pair<std::string, Variant>> SelectedRecords();
    // Ins: a new record before the current one; True when inserted.
    bool InsertRecordOnKey();
    bool IsDataSetReadOnly();
    // The current cell lies in the grid's client area.
    bool IsCurrentCellShown();
    bool IsCurrentDataRow(const Variant& dataRow);
    // Writes a value into the current record's field (nothing for another
    // record); not data bound, into the grid's stored cell.
    void PutCellValue(Integer dataCol, const Variant& dataRow, const Variant& value);
    using TgrBaseGrid::PutCellValue;
    // The current record is one appended at the end and not posted yet.
    bool OnAppendedRecord() const;

    // ------------------------------------------------ print and export
    void ExportCsv(const std::string& fileName);
    void ExportXml(const std::string& fileName);
    virtual std::string GetCsvRow(const Variant& dataRow);
    std::string GetCsvHeading();
    virtual std::string GetXmlPacket();
    virtual std::string GetXmlMetadata();
    virtual std::string GetXmlRow(const Variant& dataRow);
    std::string GetCsvCellText(Integer dataCol, const Variant& dataRow);
    std::string GetXmlCellText(Integer dataCol, const Variant& dataRow);
    // Walks every record of the dataset (first to last), the dataset
    // coming back to its record afterwards, also after an error.
    void ForEachRecord(const std::function<void(const Variant& dataRow)>& visit);
    // Runs work with the dataset's controls disabled; the dataset comes
    // back to its record afterwards, also after an error.
    void KeepDataSetRecord(const std::function<void(TDataSet*)>& work);
    // The drop-down list of this grid's combos is a data-aware grid.
    TgrBaseGrid* CreateComboGrid() override;

    // ------------------------------------------------ combos
    // The combos of this grid are TgrDBCombo: their lists list the records
    // of a dataset.
    TgrCombo* CreateCombo() override;
    // A new combo's list, and the working combo's list for each cell, starts
    // without a data source, looking up automatically, with this grid's
    // dataset type, bookmark kind and comparison and record selection.
    void InitComboGrid(TgrCombo* combo) override;
    // In data mode a combo over the grid's own data source never drops
    // down: choosing from it would move the record being edited.
    bool IsComboUsable(const TgrCombo* combo) const;
    // Before the current cell's combo drops down: a bound list starts at
    // its first record, its window takes the rows shown, and with a search
    // kind the record matching the cell's value becomes its current one.
    void LocateComboRow() override;
    // A list over a dataset was placed on its record by LocateComboRow
    // before it dropped down (its search included); a list of kept values
    // goes as in the grid.
    void OpenListAtFirstRow(TgrCombo* combo) override;
    void ShowCellValueInList(TgrCombo* combo) override;
    // In data mode an accepted value is written into the current record's
    // field (the record stays in edit until the row is left).
    void ApplyComboRow() override;
    // Before the current cell's combo is used: a list without a data
    // source of its own, over a lookup field with AutoLookup, shows the
    // field's lookup dataset; unless keepLayout its one column is the
    // lookup result and it searches from the top.
    void PrepareComboData(bool keepLayout) override;
    // The same binding for a list shown at design time.
    void BindDesignLookup();
    // A character typed while the current cell's searching list is down:
    // the matching record becomes the list's current one and value what
    // goes into the cell (Unassigned for none). True when a record was
    // found; the list's dataset goes back where it was otherwise.
    bool ComboSearchKey(char key, Variant& value);
    Variant ComboSearchKey(char key) override;
    Variant GetComboValue(Integer valueCol) override;
    void ApplyComboValue(const Variant& value) override;
    void FireComboGetValue(Integer dataCol, const Variant& dataRow, Integer comboRow, Variant& value) override;
    // AutoFill: the typed text of the current cell is completed from the
    // first record that starts with it, the completion selected. True when
    // a record was found.
    bool ComboAutoFill(bool onExit) override;
    // The value the list's current record puts into the cell: what
    // OnComboGetValue gives, else the key of a lookup field's record, else
    // the value column's cell.
    Variant GetComboValue(TgrDBComboGrid* list, Integer valueCol);
    // A lookup field takes the key of the record chosen; False for a combo
    // that is not over a lookup field's dataset.
    bool ApplyComboValue(TgrDBComboGrid* list, const Variant& value);
    bool IsApplyingComboValue() const { return applyingComboValue_; }
    void PreparePrint() override;
    void PrintGrid() override;
    void PreviewGrid() override;
    void ExportGrid() override;
    // The report built by the last print setup (nullptr before one).
    TfmPrintDbGrid* PrintWindow() const { return printWindow_; }
    bool PrintSetupCancelled() const { return printCancelled_; }

    // ------------------------------------------------ data-link reactions
    virtual void DataLinkActiveChanged(bool active);
    virtual void DataLinkCheckBrowseMode();
    virtual void DataLinkScrolled(Integer distance);
    virtual void DataLinkChanged();
    virtual void DataLinkEditingChanged();
    virtual void DataLinkLayoutChanged();
    virtual void DataLinkRecordChanged(TField* field);
    virtual void DataLinkUpdateData();

    // ------------------------------------------------ events
    TgrDBCellLoadedEvent OnCellLoaded;
    TgrDBRowLoadedEvent OnRowLoaded;
    TgrDBCellEditEvent OnCellEdit;
    TgrDBCellEditingEvent OnStartCellEdit;
    TgrDBCellEditingEvent OnEndCellEdit;
    TgrDBRowEditingEvent OnStartRowEdit;
    TgrDBRowEditingEvent OnEndRowEdit;
    TgrDBUndoCellEditEvent OnUndoCellEdit;
    TgrDBUndoRowEditEvent OnUndoRowEdit;
    TgrDBRowChangedEvent OnRowChanged;
    TgrDBCellChangedEvent OnCellChanged;
    TgrDBUpdateFieldEvent OnUpdateField;
    TgrDBGetDrawInfoEvent OnGetDrawInfo;
    // Before a cell's content is drawn; the canvas holds the grid's (or
    // the heading's) colour and font.
    TgrDBPaintCellEvent OnPaintCell;
    // Progress of the record walk of a selection in set mode: the start
    // (count 0), each record walked, each bookmark applied, the end (the
    // records selected, 0 when cancelled).
    TgrDBScanRecordsEvent OnScanRecords;
    TgrDBInsertRowEvent OnInsertRow;
    TgrDBDeleteRowEvent OnDeleteRow;
    TgrDBTopLeftChangedEvent OnTopLeftChanged;
    TgrDBPrintRowEvent OnPrintRow;
    TgrDBPrintCellEvent OnPrintCell;
    TgrDBClickCellEvent OnClickCell;
    TgrDBDblClickCellEvent OnDblClickCell;
    TgrDBButtonEvent OnButtonDown;
    TgrDBButtonEvent OnButtonUp;
    TgrDBButtonEvent OnButtonClick;
    TgrDBShowEditorEvent OnShowEditor;
    TgrDBSpinButtonEvent OnSpinButtonDown;
    TgrDBSpinButtonEvent OnSpinButtonUp;
    TgrDBSpinButtonEvent OnSpinButtonClick;
    TgrDBSpinRepeatEvent OnSpinRepeat;
    TgrDBSpinIncrementEvent OnSpinIncrement;
    TgrDBInvalidCellValueEvent OnInvalidMaskValue;
    TgrDBInvalidCellEditEvent OnInvalidMaskEdit;
    TgrDBDateTimeCellEvent OnDateTimeInit;
    TgrDBDateTimeCellEvent OnDateTimeDropDown;
    TgrDBDateTimeCellEvent OnDateTimeRollUp;
    TgrDBDateTimeGetValueEvent OnDateTimeGetValue;
    // A cell's combo list is prepared for dropping down, dropped down,
    // closed; DataRow is the grid's current record.
    TgrDBComboCellEvent OnComboInit;
    TgrDBComboCellEvent OnComboDropDown;
    TgrDBComboCellEvent OnComboRollUp;
    // A value taken from the list is about to reach the cell.
    TgrDBComboGetValueEvent OnComboGetValue;
    // A cell of the current cell's list was loaded.
    TgrDBComboCellLoadedEvent OnComboCellLoaded;
    TNotifyEvent OnFieldLayoutChange;

    // Event firers (each fires only when a handler is assigned; a var
    // Cancel starts False).
    virtual void DoStartCellEdit(Integer dataCol, const Variant& dataRow, bool& cancel);
    virtual void DoEndCellEdit(Integer dataCol, const Variant& dataRow, bool& cancel);
    virtual void DoStartRowEdit(const Variant& dataRow, bool& cancel);
    virtual void DoEndRowEdit(const Variant& dataRow, bool& cancel);
    virtual void DoCellEdit(Integer dataCol, const Variant& dataRow, bool byUser);
    virtual void DoUndoCellEdit(Integer dataCol, const Variant& dataRow, bool byUser, bool& cancel);
    virtual void DoUndoRowEdit(const Variant& dataRow, bool byUser, bool& cancel);
    virtual void DoClickCell(Integer dataColDown, const Variant& dataRowDown, Integer dataColUp,
                             const Variant& dataRowUp, TgrClickPosition downPos, TgrClickPosition upPos);
    virtual void DoDblClickCell(Integer dataCol, const Variant& dataRow, TgrClickPosition pos);
    virtual void DoButtonDown(Integer dataCol, const Variant& dataRow);
    virtual void DoButtonUp(Integer dataCol, const Variant& dataRow);
    virtual void DoButtonClick(Integer dataCol, const Variant& dataRow);
    virtual void DoShowEditor(Integer dataCol, const Variant& dataRow, bool& cancel);
    virtual void DoDateTimeInit(TgrDateTimeDefComponent* def, Integer dataCol, const Variant& dataRow);
    virtual void DoDateTimeDropDown(TgrDateTimeDefComponent* def, Integer dataCol, const Variant& dataRow);
    virtual void DoDateTimeRollUp(TgrDateTimeDefComponent* def, Integer dataCol, const Variant& dataRow);
    virtual void DoDateTimeGetValue(TgrDateTimeDefComponent* def, Integer dataCol, const Variant& dataRow,
                                    Variant& value);
    virtual void DoSpinButtonDown(Integer dataCol, const Variant& dataRow, TgrSpinButton spinButton);
    virtual void DoSpinButtonUp(Integer dataCol, const Variant& dataRow, TgrSpinButton spinButton);
    virtual void DoSpinButtonClick(Integer dataCol, const Variant& dataRow, TgrSpinButton spinButton);
    virtual void DoSpinRepeat(Integer dataCol, const Variant& dataRow, Integer count, TgrSpinButton spinButton);
    virtual void DoSpinIncrement(Integer dataCol, const Variant& dataRow, TgrSpinButton spinButton, Variant& value,
                                 Integer& pos, Integer& len, bool& accept);
    // Accept starts False.
    virtual void DoInvalidMaskValue(Integer dataCol, const Variant& dataRow, bool& accept);
    virtual void DoInvalidMaskEdit(const std::string& keys, Integer dataCol, const Variant& dataRow, bool& accept);
    void FireSpinButtonDown(Integer dataCol, Integer dataRow, TgrSpinButton button) override;
    void FireSpinButtonUp(Integer dataCol, Integer dataRow, TgrSpinButton button) override;
    void FireSpinButtonClick(Integer dataCol, Integer dataRow, TgrSpinButton button) override;
    // The repeat also steps the cell's value, as in the grid class.
    void FireSpinRepeat(Integer dataCol, Integer dataRow, TgrSpinButton button, Integer count) override;
    void FireSpinIncrement(Integer dataCol, Integer dataRow, bool& accept, Integer& pos, Integer& len, Variant& value,
                           bool up) override;
    void FireInvalidMaskValue(bool& accept) override;
    void FireInvalidMaskEdit(const std::string& keys, bool& accept) override;
    // The grid class's button and date-time hooks name records here.
    void FireButtonDown(Integer dataCol, Integer dataRow) override;
    void FireButtonUp(Integer dataCol, Integer dataRow) override;
    void FireButtonClick(Integer dataCol, Integer dataRow) override;
    void FireDblClickCell(Integer dataCol, Integer dataRow) override;
    void FireDateTimeInit(TgrDateTimeDefComponent* def, Integer dataCol, Integer dataRow) override;
    void FireDateTimeDropDown(TgrDateTimeDefComponent* def, Integer dataCol, Integer dataRow) override;
    void FireDateTimeRollUp(TgrDateTimeDefComponent* def, Integer dataCol, Integer dataRow) override;
    void FireDateTimeGetValue(TgrDateTimeDefComponent* def, Integer dataCol, Integer dataRow,
                              Variant& value) override;
    // OnShowEditor may keep the editor from opening.
    void FireShowEditor(Integer dataCol, Integer dataRow, bool& cancel) override;
    // The grid class's edit events become this grid's: one set of events
    // whose rows are records.
    bool FireStartCellEdit() override;
    bool FireStartRowEdit() override;
    void FireCellEdit(Integer dataCol, Integer dataRow, bool byUser) override;
    bool FireEndCellEdit() override;
    bool FireEndRowEdit() override;
    bool FireUndoCellEdit(bool byUser) override;
    bool FireUndoRowEdit(bool byUser, bool asked) override;
    virtual void DoCellLoaded(Integer dataCol, const Variant& dataRow, Variant& value);
    virtual void DoRowLoaded(const Variant& dataRow);
    virtual void DoPrintRow(const Variant& dataRow, bool& cancel);
    virtual void DoPrintCell(Integer dataCol, const Variant& dataRow, bool& cancel);
    virtual void DoFieldLayoutChange();
    virtual void DoPaintCell(Integer dataCol, const Variant& dataRow, const TRect& rect, TgrPaintCellState state,
                             bool& cancel);
    // The combo events pass the list of the current cell's combo.
    virtual void DoComboInit(Integer dataCol, const Variant& dataRow);
    virtual void DoComboDropDown(Integer dataCol, const Variant& dataRow);
    virtual void DoComboRollUp(Integer dataCol, const Variant& dataRow);
    virtual void DoComboGetValue(Integer gridDataCol, const Variant& gridDataRow, const Variant& comboDataRow,
                                 Variant& value);
    virtual void DoComboCellLoaded(Integer dataCol, const Variant& dataRow, Variant& value);

protected:
    // The grid class's row count, set for the record window.
    void SetWindowRows(Integer value);
    // The data source going away unbinds the grid. A field bound to a
    // column that goes away unbinds it and the columns are rebuilt; a field
    // added to the grid's dataset rebuilds them too.
    void Notification(TComponent* component, TOperation operation) override;
    // ------------------------------------------------ base-grid operations
    Variant LoadCellValue(Integer dataCol, Integer dataRow, const Variant& stored) override;
    // Data cells take their record's colour and selection; the grid paints.
    bool PaintCellData(TgrCellPaintInfo& info, const TRect& rect, bool selected) override;
    bool HasGetDrawInfo() override { return bool(OnGetDrawInfo); }
    void FireGetDrawInfo(Integer dataCol, Integer dataRow, TgrDrawInfo& info) override;
    void DoTopLeftChanged(Integer oldCol, Integer oldRow, Integer newCol, Integer newRow, bool byUser) override;
    // The grid class moved its top-left cell: OnTopLeftChanged when the
    // left column or the top record differs from the ones last reported.
    void NotifyTopLeftChanged() override;
    // OnTopLeftChanged when the left column or the top record differs from
    // the ones last reported.
    void CheckTopLeftChanged(bool byUser) override;
    void FireInsertRow(Integer dataRow, bool byUser) override;
    void FireDeleteRow(Integer dataRow, bool byUser) override;
    void Paint() override;
    void BoundsChanged() override;
    bool CanSelectCell(Integer col, Integer row) override;
    void ProcessKeyDown(Word16& key, TShiftState shift) override;
    std::string EditTextOf(Integer col, Integer row) override;
    void StoreEditText(Integer col, Integer row, const std::string& text) override;
    void UpdateScrollBars() override;
    bool PrepareCellEdit(Integer dataCol, bool byUser) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    // The release's record is noted where the release lands; the click-cell
    // event names the records of the press and of the release.
    void SetMouseUpCell(Integer displayCol, Integer displayRow) override;
    bool FireClickCell(Integer downCol, Integer downRow, Integer upCol, Integer upRow, TgrClickPosition downPos,
                       TgrClickPosition upPos) override;
    // A character typed while a searching list is down searches it; typed
    // into a cell whose list fills in, the text is completed.
    void KeyPress(char& key) override;

private:
    friend class TfmPrintDbGrid;
    friend class TgrDBCurrentCell;
    friend class TgrDBSelection;
    // The DataRow of a record row the window shows; False outside them or
    // without active data.
    bool WindowRecordOfRow(Integer dataRow, Variant& record);
    // The dataset's current record becomes the grid's current record.
    void SyncCurrentRecord();
    void ResetEditTracking();
    void ForgetCurrentRecord();
    void ResizeWindow();
    // The data link's field map: the column names (fsCustomized) or the
    // dataset's fields (fsDefault).
    void RegisterLinkFields();
    // Every column loses its field; with clearNames in fsDefault also its
    // FieldName.
    void UnbindAllColumns(bool clearNames);
    // After unbinding: the plain grid's default columns (fsDefault) and
    // rows, no column bound to a field, cell (1,1) current.
    void RebuildUnbound();
    // Binds a column to a field's adapter (unbound when the field has
    // none); the column takes the field's name and defaults.
    bool BindColumn(TgrDBCol* col, TField* field);
    void NotifyRowChanged();
    // OnCellChanged when the current column or record moved.
    void NotifyCellChanged();
    void ShowPostError(const std::exception& e);
    // Unbinds every column from its adapter, then frees the adapters.
    void ClearFieldAdapters();
    // OnPaintCell for a cell about to be painted; True when the handler
    // painted it.
    bool FirePaintCell(const TgrCellPaintInfo& info);
    // A data cell's font, alignments, word wrap and colours resolved again
    // after its value was loaded (selection, focus and editor colours kept).
    void ReresolveLoadedAttributes(TgrCellPaintInfo& info);
    // Adds or removes the ids of a record run in the selection, asking
    // step before each; False (and nothing changed) when step refuses.
    bool ApplyRecordIds(const std::vector<Variant>& ids, bool select, const std::function<bool(Integer)>& step);
    bool CursorForMouseStatus(Integer x, Integer y, Integer row, Integer col, TCursor& cursor) override;
    // Row drag selection by record (DBGridDragSelect.cpp).
    void SetMouseSelectRow(Integer displayRow) override;
    Integer CompareToCurrentRow(Integer displayRow) override;
    void DragSelectRowsDown(Integer displayRow) override;
    void DragSelectRowsUp(Integer displayRow) override;
    void DragSelectRowsAtCurrent(Integer displayRow) override;
    bool CheckDragAutoScroll(Integer x, Integer y, Integer& col, Integer& row) override;
    bool DragSelectScrollUp(Integer x, Integer y) override;
    bool DragSelectScrollDown(Integer x, Integer y) override;
    bool DragSelectStepDown(Integer x, Integer y) override;
    bool DragSelectStepDownReverse(Integer x, Integer y) override;
    void EndDragSelectRows(bool released) override;
    // The up auto-scroll's steps: after the window moved one record back
    // (the top row is the first), the drag end moves to the record that
    // came into view (Extend, away from the anchor) or gives it back
    // (Move); inside the window (rows above the top row) the same by rows.
    void DragScrollUpWindowExtend();
    void DragScrollUpWindowMove();
    void DragScrollUpRowExtend();
    void DragScrollUpRowMove();
    // The first step of an auto-scroll: the drag end to the row at the
    // edge the pointer left by.
    void StartDragScrollDown();
    void StartDragScrollUp();
    // The window moves one record (distance 1 or -1), the dataset with it
    // in the standard window; answers how far it moved.
    Integer DragScrollWindowBy(Integer distance);
    // After each auto-scroll step: window updated, top-left checked,
    // selection events fired.
    void FinishDragScrollStep();
    // The insert-row position while a new record is pending there.
    bool IsPendingInsertRow(Integer displayRow);
    // rsSingle: the selected record follows the drag to a display row.
    void DragSingleTo(Integer displayRow);
    // The drag's end moves to a display row, by the selection mode.
    void DragRecordsTo(Integer displayRow);
    // Inverts one record's selection by its DataRow.
    void InvertRecordSelection(const Variant& dataRow);
    void UpdateAnchorSide(Integer displayRow);
    // The position a drag step to a display row reaches: before the first
    // (after the last) window record above (below) the rows.
    TgrBkmPos DragTargetOf(Integer displayRow);
    // Moves the drag end to target, inverting the records it passes;
    // displayRow is the row the end now lies on.
    void MoveDragEndTo(const TgrBkmPos& target, Integer displayRow);
    // A drag step to a display row (the three drag steps in data mode).
    void DragToRow(Integer displayRow);
    // Inverts the records from..to (nothing when from lies after to): in
    // range mode as one range, in set mode the window rows between them.
    void ToggleDragSpan(const TgrBkmPos& from, const TgrBkmPos& to);
    // The window row of a position: 0 before the window, count + 1 after.
    Integer WindowRowOfPosition(const TgrBkmPos& pos);
    // The same in the window's rows as a drag step found them.
    Integer DragSnapshotRowOf(const TgrBkmPos& pos);
    // The last display row shown whole (the top row when none is).
    Integer LastWholeRow();
    // With record ids (either mode): scans the records from lo to hi, in
    // either order (every record for scanAll), and selects or deselects
    // their ids as one list; False when OnScanRecords cancelled, when hi was
    // not found or when an end is the empty bookmark. Without ids the
    // selection goes through SelectPositionRange.
    bool SelectScannedRecords(const std::string& lo, const std::string& hi, bool select, bool scanAll = false);
    // After a scan: the dataset back on the record it stood on, the
    // window's lock section closed (also when going back fails).
    void RestoreScanStart(const std::string& saved);
    // The engine-cursor window clones its cursor again and shows the
    // dataset's record (with showRecord, else its first records); False
    // while it is already doing so.
    bool ReopenCursorWindow(bool showRecord = true);
    // The records of display rows from..to join (leave) the selection.
    void SetDisplayRowsSelected(Integer from, Integer to, bool select);
    // A display row's record ("" outside the window and on the insert
    // row), a record's display row (0 when not shown), the last data row
    // on screen.
    std::string BookmarkOfDisplayRow(Integer row);
    Integer DisplayRowOfBookmark(const std::string& bookmark);
    Integer LastVisibleDataRow();
    // The current cell may be left and a record being edited is posted.
    bool CanLeaveRecord();
    // Shift (add False) and Ctrl+Shift (add True) presses on a row.
    void ApplyRowSpan(Integer row, bool add, bool& handled);
    // The record being edited is new (kind 2 appended, 3 inserted) and
    // nothing was typed into it.
    bool IsNewRecordUntouched(Integer kind);
    // Ends the cell edit and leaves the record by a key (an untouched new
    // record is dropped); False when the record must stay.
    bool LeaveRecordByKey();
    // With rows selected (not a list-box selection) only the current
    // record stays selected and becomes the range anchor.
    void FollowRowSelection();
    // Another column of the current record becomes current.
    bool MoveColumnInRecord(Integer displayCol);
    // The first (last) enterable display column, 1 when there is none.
    Integer FirstEnterableCol();
    Integer LastEnterableCol();
    // With record ids and the anchor off screen: the ids of the records
    // from the anchor to a display row's record are read by a scan and
    // added (removed), the others first dropped unless add; False, with
    // the selection as it was, when the scan was cancelled.
    bool ApplyRowSpanByIds(Integer row, bool add, bool select);
    // A record (by bookmark) selected, and selecting it, by its id while
    // record ids are in use.
    bool IsBookmarkSelected(const std::string& bookmark);
    void SetBookmarkRecordSelected(const std::string& bookmark, bool select);
    // After an undo: the grid class's cell and row edit end too.
    void ForgetClassEdit();
    // Starts an edit of the current record for a column (start events,
    // dataset edit mode); False when refused.
    bool BeginRecordEdit(Integer dataCol, bool eventsFired = false);
    // The DataRow the edit events name for a row of the grid class.
    Variant EventDataRow(Integer dataRow);
    // The DataRow of a grid-class row: the record of a window row in data
    // mode, the row number otherwise.
    Variant RowDataRow(Integer dataRow);
    // The mouse cell memory: the record under a display row, or the row
    // number itself for the heading and outside the rows.
    Variant MouseDataRow(Integer displayRow);

    // The value typed into the current cell: set through EditCurrentCell
    // or held by the in-cell control.
    Variant PendingValue();
    std::string XmlFieldType(Integer dataCol);
    std::vector<Integer> ExportedCols(bool displayOrder);
    // Reads a field through its adapter as the grid shows it.
    Variant ReadFieldValue(Integer dataCol);
    void WriteFieldValue(Integer dataCol, const Variant& value);
    // The incremental searches of a list (bookmark found, "" for none).
    std::string ComboSearchTyped(TgrDBComboGrid* list, char key);
    std::string ComboSearchChar(TgrDBComboGrid* list, char key);
    std::string ComboSearchNext(TgrDBComboGrid* list, char key);
    // The current cell's value as text.
    std::string CurrentCellText();

    std::unique_ptr<TgrGridDataLink> dataLink_;
    // The data source last assigned, to recognise it when it is freed.
    TDataSource* sourceSeen_ = nullptr;
    std::unique_ptr<TgrStandardDataset> standardWindow_;
    std::unique_ptr<class TgrScrollDataset> bdeWindow_;
    TgrGridData* window_ = nullptr;
    std::unique_ptr<TgrDBSelection> selection_;
    // The order of the stores kept by record: record ids or bookmark texts.
    TgrDataRowCompare recordOrder_;
    TgrDBRowPropSet rowProps_{this};
    TgrDBCellPropSet cellProps_{this};
    // The last record row and record cell looked up.
    Variant rowLookupKey_;
    TgrDBRowElement* rowLookup_ = nullptr;
    bool cellLookupValid_ = false;
    Integer cellLookupCol_ = 0;
    Variant cellLookupRow_;
    TgrDBCellElement* cellLookup_ = nullptr;

    bool useRecordIds_ = false;
    TgrDBGetRecordIDEvent onGetRecordID_;
    // The DataRows last reported by OnRowChanged and OnCellChanged.
    Variant notifiedDataRow_ = EmptyDataRow(), cellDataRowSeen_ = EmptyDataRow();
    TgrFieldList fieldList_{this};
    // The program's print window once this grid printed (not owned).
    TfmPrintDbGrid* printWindow_ = nullptr;
    // The picture of the graphic field last read into a cell (made on first
    // use); a picture cell's value refers to it.
    std::unique_ptr<TBitmap> fieldPicture_;

    bool constructing_ = true;
    bool dataBound_ = false, dataActive_ = false, linkActiveSeen_ = false;
    bool exactRowCount_ = true, autoInsert_ = true, confirmDelete_ = true;
    TgrDatasetType datasetType_ = dstBDE;
    TgrFieldState fieldState_ = fsDefault;
    TgrBookmarkType bookmarkType_ = bmtDefault;
    TgrRecordSelection recordSelection_ = rseBookmarkRange;
    TgrBookmarkCompareType bookmarkCompareType_ = bctDefault;
    bool rebuildingColumns_ = false;
    bool streamedDataBound_ = false, streamedPending_ = false;
    std::vector<TgrStreamedRecordRow> streamedRows_;
    std::vector<TgrStreamedRecordCell> streamedCells_;
    bool applyingComboValue_ = false;
    bool printCancelled_ = false;

    std::string currentRecord_, notifiedRecord_, editStartRecord_;
    // Nesting counters, raised and lowered in pairs, never below 0.
    Integer syncDepth_ = 0, gridMovesDataset_ = 0, reopenDepth_ = 0;
    // Raised while a list move of the keyboard moves the dataset.
    Integer listMoveDepth_ = 0;
    // Raised while a record is adopted (guarded), while an adopted record
    // leaves the dataset where it is, and while the dataset is brought
    // back onto the current record.
    Integer recordUpdateDepth_ = 0, recordChangeDepth_ = 0, recordReturnDepth_ = 0;
    // Edit tracking.
    bool editing_ = false, updatePending_ = false, cellEditing_ = false;
    Variant pendingValue_;
    Integer editKind_ = 0;  // 0 none, 1 edit, 2 append, 3 insert
    // Row-loaded cache, reset before every paint.
    Variant lastLoadedRecord_;
    bool rowLoadedPending_ = true;
    bool painting_ = false;
    Integer topLeftColSeen_ = 0;
    Variant topRowSeen_;
    Variant clickRowDown_, clickRowUp_;
    // True while ForEachRecord walks the dataset with its controls disabled.
    bool walking_ = false;
    bool scanning_ = false;
    // Drag selection by record.
    Integer autoScrollDirection_ = 0, dragDirection_ = 0;
    std::string mouseSelectStart_;
    TgrBkmPos dragEndPos_;
    // The anchor's DataRow and, in set mode and with record ids, every
    // record the drag has inverted an odd number of times, so a drag given
    // up after its records scrolled away can put each one back.
    Variant dragAnchorDataRow_;
    std::set<Variant, TgrDataRowLess> dragInverted_;
    // Set mode and record ids: each window row's bookmark and DataRow at
    // the start of a drag step.
    std::vector<std::pair<std::string, Variant>> dragWindowRows_;
    // True while a select-all of the grid class selects every record.
    bool selectingAll_ = false;
    // The range anchor record ("": the current record) and the sides of
    // the last row compared with it.
    std::string rangeAnchor_;
    Integer anchorSide_ = 0, prevAnchorSide_ = 0;
    Integer clickColDown_ = 0;
    TgrClickPosition clickPosDown_ = cpOutside;
    Integer cellColSeen_ = 0;
    std::string cellRecordSeen_;

    // The engine-cursor record window's reactions.

    // (end of section)

    // Record window moves, record access and record-based operations.
public:
    // ---- record window moves (DBGridRecordMoves.cpp)
    // A page up (down) by count records: the standard window answers the
    // distance (0 at the beginning, the end); the engine-cursor window
    // moves its active row now, the part of the page past its rows
    // scrolling it (scroll, newRow, newTop as for the line moves).
    Integer CalcPageUp(Integer count, Integer& scroll, Integer& newRow, Integer& newTop);
    Integer CalcPageDown(Integer count, Integer& scroll, Integer& newRow, Integer& newTop);
    // To the first (last) record: newRow is row 1 (the last row). The
    // standard window answers FarMove unless the dataset is at that end
    // (then the rows to go); the engine-cursor window is read anew from
    // the first (last) record when it does not hold it (reread True,
    // FarMove), else answers the rows to go.
    Integer CalcFirst(Integer& newRow, bool& reread);
    Integer CalcLast(Integer& newRow, bool& reread);
    // Further than a page: the move repaints instead of scrolling pixels.
    static constexpr Integer FarMove = 127;
    // A row move of the engine-cursor window: (newCol, newRow) becomes
    // current and the window is shown moved; rows selected follow (only
    // the new record stays selected and becomes the range anchor).
    void ApplyWindowMove(Integer delta, Integer newCol, Integer newRow, Integer left, Integer newTop);
    // Ctrl+Home, Ctrl+End of a grid without a current cell display: the
    // first (last) enterable column, then the first (last) record.
    void ListFirstCell();
    void ListLastCell();
    // Forgets the range anchor record: the next Shift range extends from
    // the current record.
    void ClearRangeAnchor();
    // The record window's active row (the row the field adapters read).
    Integer GetActiveWindowRow();
    void SetActiveWindowRow(Integer row);
    // The record in the top row: its bookmark text (Unassigned without
    // active data); not bound, the top row's number.
    Variant GetTopDataRow();
    // Scrolls the window so that the record is the top row (near the end
    // of the data it stays where the last records put it) and makes the
    // dataset's record current; a record the window cannot reach leaves
    // the grid as it was.
    void SetTopDataRow(const Variant& dataRow);
    // Brings a record's cell into view: kind 1 the column only, 2 the
    // record, 3 both; placements 1 and 3 put the record in the last
    // visible row. Not bound, the grid's own cell move.
    void MakeDataRowVisible(Integer displayCol, const Variant& dataRow, Integer placement, bool moveFlag,
                            bool selectFlag, Integer kind);
    // The record id of a DataRow: Unassigned without record ids, Null for
    // the empty DataRow (a record not posted yet).
    void RecordIdOfDataRow(const Variant& dataRow, Variant& recordId);
    // The key the record attributes of a DataRow are found by: its record
    // id with ids in use, else the DataRow itself.
    void GetRecordIdentity(const Variant& dataRow, Variant& identity);
    Variant GetCurrentRecordIdentity();
    // lock False raises, True lowers the field re-read lock: while held,
    // the current record's cells show their fields, not the edit value.
    void LockFieldReRead(bool unlock);
    bool FieldReReadLocked() const { return fieldReReadDepth_ > 0; }
    // A record's cell as the grid shows it, read through the window row
    // showing the record (made active meanwhile), else through the record
    // window by bookmark; Unassigned for a column without a control.
    Variant ReadRecordCellValue(Integer dataCol, const Variant& dataRow);
    // A field of the current column changed outside the grid while its
    // editor is shown: a text editor takes the field's new value (read
    // with the field re-read lock held). True when the editor could not
    // follow (no value held, no adapter, not a text cell, a Null value, a
    // failed read): the current cell's value is then forgotten.
    bool RefreshEditorFromField(TgrDBCol* col);
    // Making a window row current would leave the current record (a row
    // outside the window counts as the same record).
    bool WouldChangeCurrentRow(Integer windowRow);
    // ---- the selection repainted around a move: a mark per display row
    // of whether its record was selected when the cache was taken.
    // offset: with the standard window, the rows the window is about to
    // scroll (marks follow their records).
    void CacheSelectedRows(Integer offset);
    // The cached selected rows painted unselected.
    void RepaintCachedSelection(Integer from, Integer to);
    // The rows whose mark differs from state and whose record now is in
    // state are painted in it.
    void RepaintSelectionTo(Integer from, Integer to, bool state);
    // The rows whose state differs from their mark are painted anew.
    void RepaintChangedSelection(Integer from, Integer to);
    bool SelectedRowCached(Integer displayRow) const {
        return displayRow >= 0 && displayRow < Integer(selectedRowsCache_.size()) && selectedRowsCache_[displayRow];
    }

private:
    // How far a key moves the records (the Calc steps of the standard
    // window; the engine-cursor window only asks the dataset).
    enum TgrKeyMove { kmLineUp, kmLineDown, kmPageUp, kmPageDown, kmFirst, kmLast };
    Integer KeyMoveDistance(TgrKeyMove move, Integer count);
    void PaintCachedRow(Integer displayRow, bool selected);
    std::vector<bool> selectedRowsCache_;
    Integer fieldReReadDepth_ = 0;

    // (end of section)

    // Data columns, printing and the per-record store.

    // (end of section)

    // Data-aware combos.
public:
    // The grid's working combo (made on first use): the combo whose list
    // drops down for every combo cell, loaded from the cell's own combo.
    TgrDBCombo* GetWorkCombo();
    TgrDBComboGrid* WorkComboGrid();
    // Searches the working combo's dataset for the record whose value
    // column text matches text (the longest prefix; exact: all of text):
    // a sorted value column through the record window's sorted search,
    // otherwise a scan from start (the first record when empty) to the
    // end, or through stop. False when none matched.
    bool SearchComboDataset(const std::string& start, const std::string& stop, const std::string& text, bool exact,
                            std::string& bookmark);
    // The combo notifications of the grid class as the grid's combo events
    // with the current record's DataRow in data mode.
    void FireComboInit(Integer dataCol, const Variant& dataRow) override;
    void FireComboDropDown(Integer dataCol, const Variant& dataRow) override;
    void FireComboRollUp(Integer dataCol, const Variant& dataRow) override;

    // (end of section)

    // Staged form-file properties.

    // (end of section)

    // Record editing and inserting.
public:
    // ---- factories (DBGridRecordEdit.cpp)
    // The current cell over the current record, the standard record window
    // and a record's row property record (made for a DataRow; the record
    // row store inserts it).
    virtual std::unique_ptr<TgrCurrentCell> CreateCurrentCell();
    virtual std::unique_ptr<TgrStandardDataset> CreateStandardDataset();
    virtual TgrDBRowElement* CreateRowElement(const Variant& dataRow);
    // ---- event firers (each copies its DataRow; a var Cancel starts False)
    virtual void DoUpdateField(Integer dataCol, const Variant& dataRow, Variant& value, bool& cancel);
    virtual void DoGetDrawInfo(Integer dataCol, const Variant& dataRow, TgrDrawInfo& drawInfo);
    // Silent while the grid is loaded.
    virtual void DoRecordTopLeftChanged(Integer oldCol, const Variant& oldRow, Integer newCol, const Variant& newRow,
                                        bool byUser);
    // Only an unbound grid inserts and deletes rows: silent in data mode and
    // while the grid is loaded.
    virtual void DoDeleteRow(const Variant& dataRow, bool byUser);
    virtual void DoInsertRow(const Variant& dataRow, bool byUser);
    // Cancel comes in as the caller passes it.
    void DoScanRecords(bool scanAll, TgrScanState state, Integer count, bool& cancel);
    // ---- the dataset's edit, insert and append, as the editing-state
    // reaction sees them begin and end. The engine-cursor window shows a
    // new record as a placeholder row; the standard window only recounts.
    void BeginInsertRecord();
    void BeginAppendRecord();
    void EndEditRecord();
    void EndAppendRecord();
    void EndInsertRecord();
    // After a new record changed the engine-cursor window's rows: the top
    // row follows by oldRow - newRow at the end of the data, else the first
    // row goes on top; the left column stays.
    void ScrollAfterEditChange(Integer oldRow, Integer newRow, bool noLock);
    // The engine-cursor window holds no more rows than fit the view.
    void FitBDEWindow();
    // The insert row of gmEditInsert lies above the view's last row; the
    // last record row lies above it with the top row past the first.
    bool IsInsertRowBelowView();
    bool IsLastRowAboveViewEnd();
    // False only when the record was modified both when its values were
    // last put (modified A) and as last seen outside a browse-mode check
    // (modified B).
    bool IsRecordUnchanged() const { return !(modifiedA_ && modifiedB_); }
    // The record read at a window row is the record being edited: byRow by
    // row numbers, else by bookmarks.
    bool IsSameEditRecord(Integer row, Integer currentRow, bool byRow, const std::string& currentBookmark,
                          const std::string& bookmark);
    // The engine-cursor window must read its records again (the update
    // kinds changed), or be rebuilt (filter, index or master changed);
    // always False for the standard window.
    bool NeedsRefetch();
    bool NeedsFullRefresh();
    // bookmark names the same record as newBookmark: a new text for it is
    // taken (and by the notified record when that was the current one).
    bool ReconcileBookmark(std::string& bookmark, const std::string& newBookmark);
    // Only a bookmark text passes; anything else raises "Invalid bookmark
    // value".
    bool CheckBookmarkValue(const Variant& dataRow);
    // The engine-cursor window needs a dataset with an engine cursor.
    static bool IsDatasetTypeAllowed(TgrDatasetType type, TDataSet* dataSet);
    // Bound with the standard window, gmEditInsert becomes gmEdit; bound,
    // riOn becomes riAutoReset.
    void CheckGridModeForDataset();
    void CheckRowChangedIndicator();
    // ---- the record edit of the grid's edit life cycle (6.105 steps)
    // The dataset edits the current record; with setPending the current
    // cell's value is to be written. In gmEditInsert a new insert row is
    // shown. False when the dataset did not go into edit.
    bool StartRecordEdit(bool setPending);
    bool CanAppendInsertRow();
    // The insert row of gmEditInsert shown again, or taken as a record row,
    // under an update lock.
    void AddInsertRow() override;
    void ConfirmInsertRow() override;
    // The edit events for the current record, the window first put back on
    // it; True when not cancelled.
    bool FireStartCellEditEvent();
    bool FireStartRowEditEvent();
    bool FireEndCellEditEvent();
    bool FireEndRowEditEvent();
    // The current record moves from one window row to another (the dataset
    // with it in the standard window); a row past the records appends one.
    void GoToWindowRow(Integer fromRow, Integer toRow);

private:
    // The window's row showing the grid's current record made active.
    void ActivateCurrentRecordRow();
    // The edit kind and edit-start record of a new record (kind 2 appended,
    // 3 inserted); the standard window counts it in. True when the
    // engine-cursor window is to show it.
    bool BeginNewRecord(Integer kind);
    bool modifiedA_ = false, modifiedB_ = false, browseCheckPending_ = false;
    bool wasEditing_ = false, isEditing_ = false, insertHandled_ = false, recordChanged_ = false;
    bool cellEditStarting_ = false;
    // The grid fired the start of the row edit of the record the dataset
    // edits.
    bool rowEditStarted_ = false;

    // (end of section)

    // Record queries by data row.
public:
    // The grid class's current-cell queries answered for the current
    // record (its identity, so with record ids the id) and the current
    // data column: the mask, control type, check-box texts, read-only
    // state and selection a record keeps wherever the window stands.
    // Unbound, the grid class's answers.
    std::string GetCurrentMaskName() override;
    TgrControlType GetCurrentControlType() override;
    std::string GetCurrentCheckBoxValues() override;
    bool IsCurrentCellReadOnly() override;
    bool IsCurrentCellSelected() override;
    // The current record in the record selection (False without active
    // data); selecting it selects the record.
    bool IsCurrentRowSelected() override;
    void SelectCurrentRow() override;
    // A record cell's control type and combo: ctNone (nullptr) for a
    // column outside 1..Cols or a DataRow CheckDataRow refuses.
    TgrControlType GetCellEffectiveControlType(Integer dataCol, const Variant& dataRow) override;
    TgrCombo* GetCellEffectiveCombo(Integer dataCol, const Variant& dataRow) override;
    // A record cell's attributes: the cell's own, then the record row's
    // and the column's in DrawOverlap order. The mask name (empty when
    // none sets one), the combo (the cell's when it has a combo button of
    // its own, else the row's or the column's), the alignment by display
    // column (the column's own Align flag puts it above the row under
    // doDrawColOnTop), the check-box texts of a data column (the column's
    // when it uses value texts, else the grid's), and whether the cell is
    // selected (its column or its record).
    std::string ResolveCellMaskName(Integer dataCol, const Variant& dataRow);
    TgrCombo* ResolveCellCombo(Integer dataCol, const Variant& dataRow);
    TgrHorzAlignment ResolveCellAlignment(Integer displayCol, const Variant& dataRow);
    std::string ResolveCheckBoxValues(Integer dataCol);
    bool IsRecordCellSelected(Integer dataCol, const Variant& dataRow);
    // The columns as data columns, and the current cell over the current
    // record.
    class TgrDBGridCols* GetGridCols() const;
    class TgrDBCurrentCell* GetCurrentCellObject() const;
    // A record's cell and the record's DataRow (its id with record ids):
    // through the window row showing it (made active meanwhile), else
    // read by bookmark.
    Variant ReadRecordCellValueAndDataRow(Integer dataCol, const Variant& dataRow, Variant& recordDataRow);
    // After a cell's value was read: OnRowLoaded once per record while
    // painting (rowNo compared with compareByNumber, else the DataRow),
    // then OnCellLoaded, whose value a text cell shows as text.
    void NotifyCellLoaded(Integer dataCol, const Variant& dataRow, Integer rowNo, bool compareByNumber,
                          TgrControlType controlType, Variant& value);

    // The grid's own data source, named "AutoLookup", which shows a
    // dataset without a data source of the application's (a combo list
    // over a lookup field's dataset). Setting the dataset again changes
    // nothing; the source is freed when the grid is bound to another.
    void SetAutoLookupDataSet(TDataSet* dataSet);
    TDataSet* GetAutoLookupDataSet() const;
    void SetAutoLookupSource(TDataSource* source);
    void FreeAutoLookupSource();
    TDataSource* AutoLookupSource() const { return autoLookupSource_; }
    // A column inserted at a display column (1..Cols + 1) for a field
    // named (none when empty): it becomes the last data column, bound to
    // the field while a dataset is connected, and the insert-column
    // notification names it.
    void InsertFieldColumn(Integer displayCol, const std::string& fieldName);
    // The vertical bar's positions stand for records: always in the
    // engine-cursor window, in the standard window when its dataset
    // numbers its records (else the bar has five positions).
    bool CanMapScrollToRecords();
    // The top display row, and setting it as the grid class does, the
    // record window left as it is.
    Integer GetTopRow() const { return TopLeftCell().Row; }
    void SetTopRowPassThrough(Integer row) { SetTopRow(row); }
    bool ShowsAutoLookup() const { return autoLookupSource_ && DataSource() == autoLookupSource_; }

private:
    // The row number of the last row announced loaded (unbound rows).
    Integer lastLoadedRowNo_ = -1;
    TDataSource* autoLookupSource_ = nullptr;

    // (end of section)

    // Cursor window and bookmark sets.
public:
    // Whether the record in window row dataRow is selected, answered from
    // the window's row states (DBGridRowStates.cpp); not bound, the grid
    // class's answer.
    bool IsRowSelected(Integer dataRow) override;
    // Looks up the selection of window row row's record into the row's
    // state once; False when the window keeps no state for the row.
    bool HasWindowRowSelection(Integer row);
    // The end of a record scan that was started (started): reported with
    // the list's count, 0 when cancelled or without a list.
    void EndRecordScan(bool ScanAll, bool started, const TgrSelectedList* list, bool cancel);
    // The bookmarks of window rows from..to (either order) into list, one
    // scan step each; a cancel stops it.
    void CollectWindowBookmarks(Integer from, Integer to, bool ScanAll, Integer& count, Integer& reported,
                                bool& cancel, TgrSelectedList& list);

private:
    // The row property record of window row row's record (through the
    // row's state), nullptr without one.
    TgrDBRowElement* WindowRowElement(Integer row);

    // (end of section)
};

class TgrDBGrid : public TgrCustomDBGrid {
public:
    explicit TgrDBGrid(TComponent* owner) : TgrCustomDBGrid(owner) {}
};

// The grid of the dialogs: light-yellow heading while focused.
class TodcDBGrid : public TgrDBGrid {
public:
    static constexpr TColor FocusedHeadingColor = TColor(0x00CCFFFF);
    explicit TodcDBGrid(TComponent* owner) : TgrDBGrid(owner) {}
    bool WidgetEvent(QEvent* event) override;
    // Entering and leaving the focus.
    void DoEnter();
    void DoExit();
};
