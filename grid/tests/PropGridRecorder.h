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
    TgrIntegerList keptFontCells;
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
    TgrIntegerList& KeptFontCells() override { return keptFontCells; }
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
    void RollUpComboIfActive(TgrCombo*, bool) override {}

    void ForgetActiveDateTimeDef() override { Note("forgetDtd"); }
    void ForgetDateTimeDefIfActive(TgrDateTimeDefComponent*) override {}
    void ReleaseDateTimeDef(TgrDateTimeDefComponent*) override { Note("releaseDtd"); }
    void UseDateTimeDef(TgrDateTimeDefComponent*) override { Note("useDtd"); }

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

private:
    std::unique_ptr<TgrCellPropSet> cells_;
};
