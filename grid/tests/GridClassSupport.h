#pragma once
// The recording grid descendant shared by the grid class tests.

#include <memory>
#include <string>
#include <vector>

#include "grid/GridComboGrid.h"
#include "grid/TSGrid.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Forms.h"

// A descendant that supplies the abstract operations and records what the
// grid asks of it and how it repaints.
class TLogGrid : public TgrBaseGrid {
public:
    explicit TLogGrid(TComponent* owner) : TgrBaseGrid(owner) {}
    // Combos whose lists are grids of this kind keeping their own values.
    TgrCombo* CreateCombo() override {
        return new TgrCombo(this);
    }
    TgrBaseGrid* CreateComboGrid() override { return new TgrComboGridOf<TLogGrid>(nullptr); }
    // The lists keep the values the tests put in them.
    void InitComboGrid(TgrCombo* combo) override {
        TgrBaseGrid::InitComboGrid(combo);
        if (combo) combo->ComboGrid()->SetStoreData(true);
    }
    std::vector<std::string> Log;
    std::string Take() {
        std::string s;
        for (const std::string& l : Log) s += l + ";";
        Log.clear();
        return s;
    }
    using TgrBaseGrid::inCellLoaded_;

    void Invalidate() override {
        Log.push_back("all");
        TgrBaseGrid::Invalidate();
    }
    void InvalidateDisplayCell(Integer c, Integer r) override {
        Log.push_back("cell " + std::to_string(c) + "," + std::to_string(r));
    }
    void InvalidateCol(Integer c) override { Log.push_back("col " + std::to_string(c)); }
    void InvalidateRow(Integer r) override { Log.push_back("row " + std::to_string(r)); }
    void RepaintFocusCell(bool) override { Log.push_back("focus"); }
    std::vector<std::string> Steps;
    void ButtonRepeatTick() override { Steps.push_back("spin"); }
    using TgrBaseGrid::KeysUnlocked;
    using TgrBaseGrid::MouseDown;
    void ResetCellControl(bool refresh) override {
        Log.push_back("control");
        TgrBaseGrid::ResetCellControl(refresh);
    }

protected:
    Variant LoadCellValue(Integer c, Integer r, const Variant& stored) override {
        Log.push_back("load " + std::to_string(c) + "," + std::to_string(r));
        return stored;
    }
    bool PaintCellData(TgrCellPaintInfo&, const TRect&, bool) override { return false; }
    bool HasGetDrawInfo() override { return false; }
    void DoTopLeftChanged(Integer, Integer, Integer, Integer, bool) override {}
    void FireInsertRow(Integer, bool) override {}
    void FireDeleteRow(Integer, bool) override {}
    void PreparePrint() override {}
    void PrintGrid() override {}
    void PreviewGrid() override {}
    void ExportGrid() override {}
};

// A grid of kind G, 300 x 120 on a shown 400 x 200 form, with cols x rows
// data cells whose values it keeps itself.
template <class G>
G* ShownGrid(TForm*& form, Integer cols, Integer rows) {
    Application->Initialize();
    form = new TForm(Application);
    form->SetBounds(0, 0, 400, 200);
    auto* grid = new G(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 300, 120);
    grid->SetCols(cols);
    grid->SetRows(rows);
    grid->SetStoreData(true);
    return grid;
}

// A w x h bitmap of one colour.
inline std::unique_ptr<TBitmap> FilledBitmap(int w, int h, TColor fill) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(w, h);
    b->Canvas()->Brush()->SetColor(fill);
    b->Canvas()->FillRect(TRect(0, 0, w, h));
    return b;
}

// The button rectangle a data cell is painted with (empty when the cell is
// not painted).
inline TRect CellButtonRect(TgrBaseGrid* grid, Integer displayCol, Integer displayRow) {
    TgrCellPaintInfo info;
    return grid->FillDrawInfo(displayCol, displayRow, info) ? info.ButtonRect : TRect();
}

// The border line of a column inside the heading, and of a row inside the
// row bar: where a press starts resizing them.
inline TPoint ColBorderOf(TgrBaseGrid* grid, Integer displayCol) {
    TRect r = grid->CellPixels(displayCol, 0);
    return TPoint(r.Left + grid->GetColWidthAt(displayCol) - 1, r.Top + 4);
}
inline TPoint RowBorderOf(TgrBaseGrid* grid, Integer displayRow) {
    TRect r = grid->CellPixels(0, displayRow);
    return TPoint(r.Left + 4, r.Top + grid->GetRowHeightAt(displayRow) - 1);
}
