#pragma once
// A stand-in grid for the property objects: it keeps a cell property set,
// answers the questions the objects ask with settable values, and records
// every notification as one line of text.

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "grid/GridCellProps.h"
#include "grid/GridCollections.h"
#include "grid/GridPropOwner.h"
#include "platform/core/Exception.h"

// Combos are opaque to the property objects; the recorder hands out these.
struct FakeCombo {
    TgrDropDownStyle Style = ddDropDown;
    int Settings = 0;
};

class PropGridRecorder : public TgrPropGrid {
public:
    PropGridRecorder() : cells_(std::make_unique<TgrCellPropSet>(this)) {}
    ~PropGridRecorder() override {
        destroying = true;
        cells_.reset();
        for (FakeCombo* c : liveCombos) delete c;
    }

    std::vector<std::string> Log;
    std::string Take() {
        std::string s;
        for (const std::string& l : Log) s += l + ";";
        Log.clear();
        return s;
    }
    void Note(const std::string& s) { Log.push_back(s); }
    static std::string N(Integer a) { return std::to_string(a); }
    static std::string N2(Integer a, Integer b) { return std::to_string(a) + "," + std::to_string(b); }

    // Settable answers.
    bool suspended = false, destroying = false, designing = false, reading = false, writing = false;
    bool comboGrid = false, painting = false, rangeErrors = false;
    Integer colCount = 6, rowCount = 6;
    Integer curCol = 0, curRow = 0;
    Integer defaultColWidth = 64, defaultRowHeight = 14, requestedDefaultRowHeight = 14;
    std::map<Integer, Integer> colWidths, rowHeights, dataColWidths;
    std::map<Integer, Integer> colDisplayOfData, rowDisplayOfData;
    TFont font;
    std::set<FakeCombo*> liveCombos;
    TgrCoordList keptFontCells;
    std::map<Integer, std::set<Integer>> cellsByCol, cellsByRow;

    TgrCellPropSet& Cells() { return *cells_; }
    static FakeCombo* Fake(const TgrCombo* c) { return reinterpret_cast<FakeCombo*>(const_cast<TgrCombo*>(c)); }

    // ---- TgrPropGrid
    bool IsUpdateSuspended() const override { return suspended; }
    bool IsDestroying() const override { return destroying; }
    bool IsDesigning() const override { return designing; }
    bool IsReading() const override { return reading; }
    bool IsWriting() const override { return writing; }
    bool IsComboGrid() const override { return comboGrid; }
    Integer ColCount() const override { return colCount; }
    Integer RowCount() const override { return rowCount; }
    Integer Cols() const override { return colCount - 1; }
    bool CheckColRowIndex(Integer index, Integer count, TgrIndexKind kind) override {
        if (index >= 0 && index < count) return true;
        if (rangeErrors)
            throw Exception(std::string(kind == ikCol ? "Column" : "Row") + " index " + N(index) + " out of range");
        return false;
    }
    [[noreturn]] void RaiseGridError(const std::string& message) override { throw Exception("Grid: " + message); }

    Integer DisplayColOfData(Integer c) override {
        auto it = colDisplayOfData.find(c);
        return it == colDisplayOfData.end() ? c : it->second;
    }
    Integer DisplayRowOfData(Integer r) override {
        auto it = rowDisplayOfData.find(r);
        return it == rowDisplayOfData.end() ? r : it->second;
    }
    Integer CurrentDisplayCol() const override { return curCol; }
    Integer CurrentDisplayRow() const override { return curRow; }
    Integer CurrentDataCol() override { return curCol; }
    Integer CurrentDataRow() override { return curRow; }
    Integer DefaultColWidth() const override { return defaultColWidth; }
    Integer DefaultRowHeight() const override { return defaultRowHeight; }
    Integer RequestedDefaultRowHeight() const override { return requestedDefaultRowHeight; }
    Integer DisplayColWidth(Integer c) const override {
        auto it = colWidths.find(c);
        return it == colWidths.end() ? defaultColWidth : it->second;
    }
    Integer DisplayRowHeight(Integer r) const override {
        auto it = rowHeights.find(r);
        return it == rowHeights.end() ? defaultRowHeight : it->second;
    }
    Integer DataColWidth(Integer c) override {
        auto it = dataColWidths.find(c);
        return it == dataColWidths.end() ? defaultColWidth : it->second;
    }

    bool InvalidateCellUnlessPainting(Integer c, Integer r) override {
        if (painting) return false;
        Note("cellUP " + N2(c, r));
        return true;
    }
    bool InvalidateColUnlessPainting(Integer c) override {
        if (painting) return false;
        Note("colUP " + N(c));
        return true;
    }
    bool InvalidateRowUnlessPainting(Integer r) override {
        if (painting) return false;
        Note("rowUP " + N(r));
        return true;
    }
    void InvalidateDisplayCell(Integer c, Integer r) override { Note("cell " + N2(c, r)); }
    void InvalidateCol(Integer c) override { Note("col " + N(c)); }
    void InvalidateRow(Integer r) override { Note("row " + N(r)); }
    void InvalidateCellFocusFrame(Integer c, Integer r, bool) override { Note("frame " + N2(c, r)); }
    void ResetCellControl(bool) override { Note("reset"); }

    bool IsDrawingProperty(TgrPropId id) override { return IsDrawingPropId(id); }
    void CellMaskChanged(Integer c, const Variant& r) override { Note("mask " + N2(c, r.AsInteger())); }
    void IndexCellElement(TgrCellElement* e) override {
        cellsByCol[e->DataCol].insert(e->DataRow);
        cellsByRow[e->DataRow].insert(e->DataCol);
        Note("index " + N2(e->DataCol, e->DataRow));
    }
    void UnindexCellElement(TgrCellElement* e) override {
        cellsByCol[e->DataCol].erase(e->DataRow);
        if (cellsByCol[e->DataCol].empty()) cellsByCol.erase(e->DataCol);
        cellsByRow[e->DataRow].erase(e->DataCol);
        if (cellsByRow[e->DataRow].empty()) cellsByRow.erase(e->DataRow);
        Note("unindex " + N2(e->DataCol, e->DataRow));
    }
    void ClearCellElementCache() override {}
    TgrCoordList& KeptFontCells() override { return keptFontCells; }
    TgrCellPropSet* CellPropSet() override { return cells_.get(); }

    TFont* GridFont() override { return &font; }
    TFont* EffectiveCellFont(Integer, Integer) override { return &font; }

    TgrCombo* CreateCombo() override {
        auto* c = new FakeCombo;
        liveCombos.insert(c);
        Note("createCombo");
        return reinterpret_cast<TgrCombo*>(c);
    }
    void FreeComboObject(TgrCombo* c) override {
        liveCombos.erase(Fake(c));
        delete Fake(c);
        Note("freeCombo");
    }
    TgrDropDownStyle ComboDropDownStyle(const TgrCombo* c) const override { return Fake(c)->Style; }
    void SetComboDropDownStyle(TgrCombo* c, TgrDropDownStyle s) override { Fake(c)->Style = s; }
    void AssignComboSettings(TgrCombo* d, const TgrCombo* s) override { *Fake(d) = *Fake(s); }
    void SetComboDropDownWidth(TgrCombo*, Integer w) override { Note("comboWidth " + N(w)); }
    void ComboReleased(TgrCombo*, bool) override {}

    void ForgetActiveDateTimeDef() override { Note("forgetDtd"); }
    void ForgetDateTimeDefIfActive(TgrDateTimeDefComponent*) override {}
    void UnlinkDateTimeDef(TgrDateTimeDefComponent*) override { Note("releaseDtd"); }
    void LinkDateTimeDef(TgrDateTimeDefComponent*) override { Note("useDtd"); }

    // The indexed cell accessors as the grid has them: the record's value
    // or the default; setting repaints.
    Variant GetCellProp(Integer c, Integer r, TgrPropId id, TgrPictureKind kind) override {
        TgrCellElement* e = cells_->FindCell(c, r);
        return e ? e->GetValue(id, kind) : DefaultPropValue(id);
    }
    void SetCellProp(Integer c, Integer r, TgrPropId id, TgrPictureKind kind, const Variant& v) override {
        TgrCustomPropElement* e = cells_->FindCell(c, r);
        cells_->SetPropValue(CellKey(c, r), true, kind, id, v, e);
    }
    TgrCombo* CreateCellCombo(Integer c, Integer r) override {
        TgrCustomPropElement* e = cells_->FindCell(c, r);
        if (!e) {
            e = cells_->CreateElement(CellKey(c, r));
            cells_->AddElement(e);
        }
        e->CreateCombo();
        return e->Combo;
    }

    // ---- columns and rows
    Integer fixedCols = 1, firstScrollCol = 1, topRow = 1, lastVisibleCol = 5;
    bool editMode = false, canLeave = true, sizingRowBar = false, sizingHeadingRow = false;
    Integer insertRowPos = -1;
    std::set<Integer> selectedCols;
    std::map<Integer, Integer> dataColOfDisplay;
    TFont headingFont;
    TgrVisibleItems visibleCols, visibleRows;
    TgrGridRows* rows = nullptr;

    Integer DataColOfDisplay(Integer c) override {
        auto it = dataColOfDisplay.find(c);
        return it == dataColOfDisplay.end() ? c : it->second;
    }
    Integer GetDisplayRow(Integer r) override { return rows ? rows->DisplayRowOf(r) : DisplayRowOfData(r); }
    void SetDisplayRow(Integer r, Integer d) override { Note("setDisplayRow " + N2(r, d)); }
    Integer FixedCols() const override { return fixedCols; }
    Integer FirstScrollCol() const override { return firstScrollCol; }
    Integer TopRow() const override { return topRow; }
    Integer LastVisibleCol() override { return lastVisibleCol; }
    TgrVisibleItems* VisibleCols() override { return &visibleCols; }
    TgrVisibleItems* VisibleRows() override { return &visibleRows; }

    void RepaintFocusCell(bool) override { Note("repaintFocus"); }
    void InvalidateFocusCell(bool) override { Note("invalidateFocus"); }
    bool SkipsReadOnly() override { return true; }
    void MoveToEnterableCol(Integer c, bool, bool, bool) override { Note("replaceCol " + N(c)); }
    void MoveToRow(Integer r, bool, bool, bool) override { Note("moveToRow " + N(r)); }
    bool CanLeaveCell(Integer, Integer, bool) override { return canLeave; }
    bool IsInsertRowPos(Integer r) override { return r == insertRowPos; }
    bool IsListBoxSelect() override { return false; }
    void SyncListBoxSelection(bool) override { Note("syncListBox"); }
    bool IsEditMode() override { return editMode; }
    void SetControlMaxLength(Integer, Integer n) override { Note("maxLength " + N(n)); }
    void ApplyEditorMask() override { Note("applyMask"); }
    void RefreshCheckBoxValues() override { Note("refreshCheck"); }
    void DropUnsuitedColValues(Integer c) override { Note("dropValuesCol " + N(c)); }
    void DropUnsuitedRowValues(Integer r) override { Note("dropValuesRow " + N(r)); }
    void SelectAllCurrentCell() override { Note("selectAll"); }

    void EnsureCombo() override { Note("ensureCombo"); }
    void RollUpCombo(bool) override { Note("rollUp"); }
    void ForgetActiveCombo(TgrCombo*) override {}
    void DropCachedDateTimeDef(TgrDateTimeDefComponent*) override { Note("dropCachedDtd"); }

    bool IsDisplayColSelected(Integer c) override { return selectedCols.count(c) > 0; }
    void SelectDisplayCols(Integer a, Integer b, bool s) override {
        for (Integer c = a; c <= b; ++c) s ? (void)selectedCols.insert(c) : (void)selectedCols.erase(c);
        Note(std::string(s ? "select " : "deselect ") + N2(a, b));
    }
    void DeselectDisplayCols(Integer a, Integer b) override { SelectDisplayCols(a, b, false); }
    void ShrinkRangeOffCol(Integer c) override { Note("shrinkCol " + N(c)); }
    void ShrinkRangeOffRow(Integer r) override { Note("shrinkRow " + N(r)); }
    void FireSelectChanged(bool) override { Note("selectChanged"); }
    void CheckGridStatusChanged() override { Note("status"); }

    void SetColWidthEntry(Integer c, Integer w) override {
        colWidths[c] = w;
        Note("colWidth " + N2(c, w));
    }
    void SetRowHeightEntry(Integer r, Integer h) override {
        rowHeights[r] = h;
        Note("rowHeight " + N2(r, h));
    }
    void ColResized(Integer c) override { Note("colResized " + N(c)); }
    void RowResized(Integer r) override { Note("rowResized " + N(r)); }
    bool IsSizingRowBar() override { return sizingRowBar; }
    bool IsSizingHeadingRow() override { return sizingHeadingRow; }
    void SetRowBarWidth(Integer w) override { Note("rowBarWidth " + N(w)); }
    void SetHeadingHeight(Integer h) override { Note("headingHeight " + N(h)); }
    void RecheckTopLeft(bool) override { Note("recheck"); }
    void LockUpdate() override { Note("lock"); }
    void UnlockUpdate() override { Note("unlock"); }
    void UpdateScrollBars() override { Note("scrollBars"); }
    void InvalidateGrid() override { Note("invalidateAll"); }

    void MoveColIndex(Integer a, Integer b) override { Note("moveIndex " + N2(a, b)); }
    void MoveVisibleCol(Integer a, Integer b) override {
        if (!visibleCols.Materialized()) return;  // as the grid: only with a hidden column
        visibleCols.MovePosition(a, b);
        Note("moveVisible " + N2(a, b));
    }
    void MoveColWidth(Integer a, Integer b) override { Note("moveWidth " + N2(a, b)); }
    void MoveColSelection(Integer a, Integer b) override { Note("moveSelection " + N2(a, b)); }
    void MoveCurrentColIndex(Integer a, Integer b) override { Note("moveCurrent " + N2(a, b)); }
    void DoColMoved(Integer to, Integer n, bool byUser) override {
        Note("colMoved " + N2(to, n) + (byUser ? ",user" : ",code"));
    }

    TFont* HeadingFont() override { return &headingFont; }
    bool RefreshKeptCellFonts() override {
        Note("refreshKeptFonts");
        return false;
    }
    void SetKeptFontCol(Integer c, bool k) override { Note(std::string(k ? "keepCol " : "unkeepCol ") + N(c)); }
    void SetKeptFontRow(Integer r, bool k) override { Note(std::string(k ? "keepRow " : "unkeepRow ") + N(r)); }

    Variant GetRowProp(Integer r, TgrPropId id, TgrPictureKind kind) override {
        TgrRow* row = rows ? rows->GetRow(r) : nullptr;
        switch (id) {
            case gpColor: return Variant(Integer(row ? row->Color() : grColorNotSet));
            case gpIs3D: return Variant(row ? row->Is3D() : false);
            case gpHeight: return Variant(rows ? rows->GetHeight(r) : defaultRowHeight);
            default: return DefaultPropValue(id);
        }
    }
    void SetRowProp(Integer r, TgrPropId id, TgrPictureKind, const Variant& v) override {
        // The pattern of the grid's row setters: skip a default without an
        // object, else make the object, set, release when default again.
        if (!rows || (id != gpColor && id != gpIs3D)) {
            Note("rowProp " + N2(r, id));
            return;
        }
        bool isDefault = id == gpColor ? v.AsInteger() == grColorNotSet : id == gpIs3D ? !v.AsBoolean() : false;
        if (isDefault && !rows->GetRow(r)) return;
        TgrRow* row = rows->EnsureRow(r);
        if (id == gpColor) row->SetColor(TColor(v.AsInteger()));
        if (id == gpIs3D) row->SetIs3D(v.AsBoolean());
        rows->ReleaseIfDefault(r);
    }
    Integer GetRowId(Integer r) override { return rows ? rows->RowId(r) : -1; }
    TgrCombo* CreateRowCombo(Integer) override { return nullptr; }
    TgrGridRows* GridRows() override { return rows; }

private:
    std::unique_ptr<TgrCellPropSet> cells_;
};
