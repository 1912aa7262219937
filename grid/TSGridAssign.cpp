// Copying one grid's layout into another: grid properties, columns (moved
// and hidden ones included), rows, cell attributes, selections and stored
// values. Assign copies all of it; AssignGridLayout copies the kinds asked.

#include <algorithm>

#include "grid/GRGLib.h"
#include "grid/GridForm.h"
#include "platform/core/Strings.h"

void TgrBaseGrid::Assign(const TPersistent* source) {
    auto* grid = dynamic_cast<const TgrBaseGrid*>(source);
    if (!grid) {
        TCustomGrid_ts::Assign(source);
        return;
    }
    auto* from = const_cast<TgrBaseGrid*>(grid);
    if (!IsDesigning()) designFlag_ = from->IsDesigning();
    AssignGridLayout(from, PropKindBit(pkGrid) | PropKindBit(pkCols) | PropKindBit(pkRows) | PropKindBit(pkCells),
                     true);
}

void TgrBaseGrid::AssignGridLayout(TgrBaseGrid* source, TgrPropKinds kinds, bool copyData) {
    if (!source || source == this) return;
    RegisterGridPublished();
    bool cols = kinds & PropKindBit(pkCols), rows = kinds & PropKindBit(pkRows);
    // The counts first: they cannot change while layout is suspended.
    if (cols) SetCols(source->Cols());
    if (rows) SetRows(source->Rows());
    if (kinds & PropKindBit(pkCells)) {
        if (Cols() < source->Cols()) SetCols(source->Cols());
        if (Rows() < source->Rows()) SetRows(source->Rows());
    }
    bool assigning = assigningLayout_;
    assigningLayout_ = true;
    SuspendLayout();
    struct Restore {
        TgrBaseGrid* g;
        bool assigning;
        ~Restore() {
            g->assigningLayout_ = assigning;
            g->ResumeLayout();
        }
    } restore{this, assigning};

    if (kinds & PropKindBit(pkGrid)) {
        std::string exclusions;
        if (!cols) exclusions += "Cols;DefaultColWidth;";
        if (!rows) exclusions += "Rows;DefaultRowHeight;";
        CopyGridProperties(source, exclusions);
    }
    if (cols) {
        CopyPublishedProperty("Cols", *this, *source);
        if (source->DefaultColWidth() != DefaultColWidth()) SetDefaultColWidth(source->DefaultColWidth());
        CopyColProperties(source);
    }
    if (rows) {
        CopyPublishedProperty("Rows", *this, *source);
        if (source->DefaultRowHeight() != DefaultRowHeight()) SetDefaultRowHeight(source->DefaultRowHeight());
        CopyRowProperties(source);
        CopyRowChangedFlags(source);
    }
    if (kinds & PropKindBit(pkCells)) CopyCellProperties(source);
    CopySelections(source, kinds);
    if (copyData) CopyStoredData(source);
    else DropUnsuitableValues(-1, -1);

    // The current cell must stand on a cell that can be entered again.
    MoveToNearestEnterableCell();
    RecheckTopLeft(false);
    UpdateScrollBars();
    SyncListBoxSelection(false);
    FireSelectChanged(false);
    CheckGridStatusChanged();
    Invalidate();
}

void TgrBaseGrid::CopyGridProperties(TgrBaseGrid* source, const std::string& exclusions) {
    RegisterGridPublished();
    std::string excluded = exclusions +
                           "Height;Left;Name;Top;Width;Visible;TabOrder;DefaultColWidth;DefaultRowHeight;"
                           "Datasource;ColProperties;RowProperties;CellProperties;Constraints";
    if (comboGrid_) excluded += ";RowSelectMode;GridMode";
    CopyPublishedProperties(*this, *source, excluded);
    std::string lower = LowerCase(exclusions);
    if (lower.find("defaultcolwidth") == std::string::npos && source->DefaultColWidth() != DefaultColWidth())
        SetDefaultColWidth(source->DefaultColWidth());
    if (lower.find("defaultrowheight") == std::string::npos && source->DefaultRowHeight() != DefaultRowHeight())
        SetDefaultRowHeight(source->DefaultRowHeight());
    // The fonts are published objects.
    if (lower.find("font") == std::string::npos) {
        Font()->Assign(*source->Font());
        headingFont_->Assign(*source->HeadingFont());
    }
}

void TgrBaseGrid::CopyColProperties(TgrBaseGrid* source) {
    Integer n = std::min(source->Cols(), Cols());
    bool designing = IsDesigning();
    std::vector<Integer> moved;
    bool visibilityChanged = false;
    for (Integer c = 1; c <= n; ++c) {
        TgrCol* from = designing ? source->Col(source->DataColOfDisplay(c)) : source->Col(c);
        TgrCol* to = Col(c);
        if (!from || !to) continue;
        if (from->DisplayCol() != to->DisplayCol()) moved.push_back(c);
        if (from->Visible() != to->Visible()) visibilityChanged = true;
        to->Assign(from);
    }
    bool sameCount = source->Cols() == Cols();
    if (!moved.empty() || visibilityChanged) visibleCols_->Assign(*source->visibleCols_);
    if (!moved.empty() && sameCount) {
        colMap_ = source->colMap_;
        for (Integer c = 1; c <= Cols(); ++c) Col(c)->RenumberDisplayCol(source->Col(c)->DisplayCol());
        if (curDisplayCol_ >= 1 && curDisplayCol_ <= Cols()) curDataCol_ = DataColOfDisplay(curDisplayCol_);
    }
    if (!moved.empty() || visibilityChanged) {
        for (Integer d = 1; d <= Cols(); ++d) {
            TgrCol* col = Col(DataColOfDisplay(d));
            Integer w = col->Visible() ? col->Width() : 0;
            if (GetColWidthAt(d) != w) SetColWidthAt(d, w);
        }
    }
    if (!moved.empty() && sameCount)
        for (Integer c : moved) DoColMoved(Col(c)->DisplayCol(), 1, false);
}

void TgrBaseGrid::CopyRowProperties(TgrBaseGrid* source) {
    Integer n = std::min(source->Rows(), Rows());
    bool designing = IsDesigning();
    std::vector<Integer> moved;
    bool visibilityChanged = false;
    std::unique_ptr<TgrRow> defaultRow;
    for (Integer r = 1; r <= n; ++r) {
        Integer sourceRow = designing ? source->DataRowOfDisplay(r) : r;
        TgrRow* from = sourceRow < source->gridRows_->Count() ? source->gridRows_->GetRow(sourceRow) : nullptr;
        TgrRow* to = r < gridRows_->Count() ? gridRows_->GetRow(r) : nullptr;
        if (!from && !to) continue;
        if (source->DisplayRowOfData(sourceRow) != DisplayRowOfData(r)) moved.push_back(r);
        bool fromVisible = !from || from->Visible(), toVisible = !to || to->Visible();
        if (fromVisible != toVisible) visibilityChanged = true;
        if (from) {
            gridRows_->EnsureRow(r)->CopyProperties(*from);
        } else {
            if (!defaultRow) defaultRow = std::make_unique<TgrRow>(this);
            to->CopyProperties(*defaultRow);
            gridRows_->ReleaseIfDefault(r);
        }
    }
    bool sameCount = source->Rows() == Rows();
    if (!moved.empty() || visibilityChanged) visibleRows_->Assign(*source->visibleRows_);
    if (!moved.empty() && sameCount) {
        rowMap_ = source->rowMap_;
        for (Integer r = 1; r <= Rows(); ++r) gridRows_->SetDisplayRowOf(r, source->gridRows_->DisplayRowOf(r));
        if (curDisplayRow_ >= 1 && curDisplayRow_ <= Rows()) curDataRow_ = DataRowOfDisplay(curDisplayRow_);
    }
    for (Integer d = 1; d <= Rows(); ++d) {
        Integer r = DataRowOfDisplay(d);
        TgrRow* row = r < gridRows_->Count() ? gridRows_->GetRow(r) : nullptr;
        Integer h = row && !row->Visible() ? 0 : gridRows_->GetHeight(r);
        if (GetRowHeightAt(d) != h) SetRowHeightAt(d, h);
    }
    if (!moved.empty() && sameCount)
        for (Integer r : moved) DoRowMoved(DisplayRowOfData(r), 1, false);
}

void TgrBaseGrid::CopyRowChangedFlags(TgrBaseGrid* source) {
    if (IsDesigning()) return;
    std::size_t size = rowChanged_.size();
    rowChanged_ = source->rowChanged_;
    // The flags stay indexed by this grid's rows.
    rowChanged_.resize(size, false);
}

void TgrBaseGrid::CopyCellProperties(TgrBaseGrid* source) {
    cachedCell_ = nullptr;
    cellCacheInvalid_ = true;
    cellProps_ = std::make_unique<TgrCellPropSet>(this);
    colCellSets_.SetCount(0);
    colCellSets_.SetCount(ColTotal());
    rowCellSets_.SetCount(0);
    rowCellSets_.SetCount(RowTotal());
    if (!IsDesigning()) {
        cellProps_->CopyFrom(*source->cellProps_);
        colCellSets_.Assign(source->colCellSets_);
        rowCellSets_.Assign(source->rowCellSets_);
        colCellSets_.SetCount(ColTotal());
        rowCellSets_.SetCount(RowTotal());
        return;
    }
    // At design time the cells follow their display positions.
    std::unique_ptr<TgrSetList> list(source->cellProps_->CreateOrderedList());
    for (int i = 1; i <= list->Count(); ++i) {
        auto* e = dynamic_cast<TgrCellElement*>(static_cast<TgrSetElement*>(list->GetItem(i)));
        if (!e) continue;
        Integer c = source->DisplayColOfData(e->DataCol), r = source->DisplayRowOfData(e->DataRow);
        if (c <= 0 || r <= 0 || c > Cols() || r > Rows()) continue;
        auto* copy = static_cast<TgrCellElement*>(cellProps_->CreateElement(CellKey(c, r)));
        copy->Assign(*e);
        // Assigning takes the source's key along; the copy keeps its own.
        copy->DataCol = c;
        copy->DataRow = r;
        if (copy->IsDefault()) copy->FreeElement(0);
        else cellProps_->AddElement(copy);
    }
}

void TgrBaseGrid::CopySelections(TgrBaseGrid* source, TgrPropKinds kinds) {
    if (IsDesigning() || comboGrid_) return;
    if (kinds & PropKindBit(pkCols)) AssignColSelection(source);
    if (kinds & PropKindBit(pkRows)) AssignRowSelection(source);
    if (kinds & PropKindBit(pkCells)) AssignCellSelection(source);
    UpdateSelectType();
}

void TgrBaseGrid::AssignColSelection(TgrBaseGrid* source) {
    if (colSelection_->Assign(*source->colSelection_)) colSelectionChanged_ = true;
    colSelection_->SetSize(ColTotal());
}

void TgrBaseGrid::AssignRowSelection(TgrBaseGrid* source) {
    if (rowSelection_->Assign(*source->rowSelection_)) rowSelectionChanged_ = true;
    rowSelection_->SetSize(RowTotal());
}

void TgrBaseGrid::AssignCellSelection(TgrBaseGrid* source) {
    TCellRange_ts range = source->gridStatus_ == gsCellsSelected ? source->cellRange_ : TCellRange_ts();
    if (range.Right >= ColTotal() || range.Bottom >= RowTotal()) range = TCellRange_ts();
    if (range == cellRange_) return;
    cellRange_ = range;
    cellSelectionChanged_ = true;
}

void TgrBaseGrid::UpdateSelectType() {
    TgrGridStatus status = gsNormal;
    if (colSelection_->Count() > 0) status = gsColsSelected;
    else if (rowSelection_->Count() > 0) status = gsRowsSelected;
    else if (cellRange_.Left > 0 && cellRange_.Top > 0) status = gsCellsSelected;
    gridStatus_ = status;
}
