#include "dbgrid/DBGridRecordProps.h"

#include <memory>

#include "dbgrid/DBGrid.h"

namespace {

// A comparison answer of "key against record" as the sets' code.
int KeyCode(int compared) { return compared < 0 ? grKeyBefore : compared == 0 ? grKeyEqual : grKeyAfter; }

int CompareCells(TgrCustomDBGrid* grid, Integer keyCol, const Variant& keyRow, Integer col, const Variant& row) {
    if (keyCol > col) return grKeyAfter;
    if (keyCol < col) return grKeyBefore;
    return KeyCode(grid->CompareRecordKeys(keyRow, row));
}

template <class Element>
std::vector<Element*> OrderedRecords(const TgrCustomSet& set) {
    std::unique_ptr<TgrSetList> list(set.CreateOrderedList());
    std::vector<Element*> out;
    out.reserve(std::size_t(list->Count()));
    for (int i = 1; i <= list->Count(); ++i)
        if (auto* e = dynamic_cast<Element*>(static_cast<TgrSetElement*>(list->GetItem(i)))) out.push_back(e);
    return out;
}

}  // namespace

TgrKeyValues DBRowKey(const Variant& dataRow) { return {dataRow}; }
TgrKeyValues DBCellKey(Integer dataCol, const Variant& dataRow) { return {Variant(dataCol), dataRow}; }

// ------------------------------------------------------------ row record

TgrDBRowElement::TgrDBRowElement(TgrCustomDBGrid* grid, const Variant& dataRow)
    : TgrCustomPropElement(grid), DBGrid(grid), DataRow(dataRow) {
    DBGrid->ClearRowPropertyCache();
}

TgrDBRowElement::~TgrDBRowElement() { DBGrid->ClearRowPropertyCache(); }

int TgrDBRowElement::CompareElement(TgrCustomSet*, const TgrSetElement* other) const {
    auto* o = dynamic_cast<const TgrDBRowElement*>(other);
    return o ? KeyCode(DBGrid->CompareRecordKeys(o->DataRow, DataRow)) : -1;
}

int TgrDBRowElement::CompareKey(TgrCustomSet*, const TgrKeyValues& key, Integer) const {
    return key.empty() ? -1 : KeyCode(DBGrid->CompareRecordKeys(key[0], DataRow));
}

void TgrDBRowElement::Assign(const TgrCustomPropElement& source) {
    if (auto* r = dynamic_cast<const TgrDBRowElement*>(&source)) DataRow = r->DataRow;
    TgrCustomPropElement::Assign(source);
}

void TgrDBRowElement::FontChanged() {
    if (!IsFontUnlocked()) return;
    Integer row = DBGrid->WindowPositionOfDataRow(DataRow);
    if (row < 1) return;
    Integer display = DBGrid->DisplayRowOfData(row);
    if (DBGrid->InvalidateRowUnlessPainting(display) && display == DBGrid->CurrentDisplayRow())
        DBGrid->ResetCellControl(true);
}

// ------------------------------------------------------------ cell record

TgrDBCellElement::TgrDBCellElement(TgrCustomDBGrid* grid, const Variant& dataRow, Integer dataCol)
    : TgrCustomPropElement(grid), DBGrid(grid), DataCol(dataCol), DataRow(dataRow) {
    DBGrid->ClearCellElementCache();
}

TgrDBCellElement::~TgrDBCellElement() { DBGrid->ClearCellElementCache(); }

int TgrDBCellElement::CompareElement(TgrCustomSet*, const TgrSetElement* other) const {
    auto* o = dynamic_cast<const TgrDBCellElement*>(other);
    return o ? CompareCells(DBGrid, o->DataCol, o->DataRow, DataCol, DataRow) : -1;
}

int TgrDBCellElement::CompareKey(TgrCustomSet*, const TgrKeyValues& key, Integer) const {
    return key.size() < 2 ? -1 : CompareCells(DBGrid, key[0].AsInteger(), key[1], DataCol, DataRow);
}

void TgrDBCellElement::Assign(const TgrCustomPropElement& source) {
    if (auto* c = dynamic_cast<const TgrDBCellElement*>(&source)) {
        DataCol = c->DataCol;
        DataRow = c->DataRow;
    }
    TgrCustomPropElement::Assign(source);
}

void TgrDBCellElement::FontChanged() {
    if (!IsFontUnlocked() || DataCol < 1 || DataCol >= DBGrid->ColCount()) return;
    Integer row = DBGrid->WindowPositionOfDataRow(DataRow);
    if (row < 1) return;
    Integer dc = DBGrid->DisplayColOfData(DataCol), dr = DBGrid->DisplayRowOfData(row);
    if (DBGrid->InvalidateCellUnlessPainting(dc, dr) && dc == DBGrid->CurrentDisplayCol() &&
        dr == DBGrid->CurrentDisplayRow())
        DBGrid->ResetCellControl(true);
}

void TgrDBCellElement::CreateCombo() {
    if (Combo) return;
    TgrCustomPropElement::CreateCombo();
    if (Combo && DataCol >= 1 && DataCol <= DBGrid->Cols())
        DBGrid->SetComboDropDownWidth(Combo, DBGrid->DataColWidth(DataCol));
}

// ------------------------------------------------------------ row set

TgrDBRowPropSet::TgrDBRowPropSet(TgrCustomDBGrid* grid) : TgrCustomPropSet(grid), DBGrid(grid) {}

TgrDBRowPropSet::~TgrDBRowPropSet() { Clear(); }

TgrCustomPropElement* TgrDBRowPropSet::CreateElement(const TgrKeyValues& key) {
    return DBGrid->CreateRowElement(key.empty() ? EmptyDataRow() : key[0]);
}

TgrCustomPropElement* TgrDBRowPropSet::CloneElement(const TgrCustomPropElement& source) {
    auto* r = dynamic_cast<const TgrDBRowElement*>(&source);
    auto* e = new TgrDBRowElement(DBGrid, r ? r->DataRow : EmptyDataRow());
    e->Assign(source);
    return e;
}

void TgrDBRowPropSet::RemoveElement(TgrCustomPropElement* element) {
    if (auto* r = dynamic_cast<TgrDBRowElement*>(element)) Remove(DBRowKey(r->DataRow));
}

bool TgrDBRowPropSet::RemoveIfDefault(TgrCustomPropElement* element) {
    bool isDefault = element->IsDefault();
    if (isDefault) RemoveElement(element);
    return isDefault;
}

bool TgrDBRowPropSet::SetPropValue(const TgrKeyValues& key, bool repaint, TgrPictureKind kind, TgrPropId id,
                                   const Variant& value, TgrCustomPropElement*& element) {
    auto* r = dynamic_cast<TgrDBRowElement*>(element);
    Variant dataRow = r ? r->DataRow : key.empty() ? EmptyDataRow() : key[0];
    DBGrid->ClearRowPropertyCache();
    if (!SetPropValueCore(key, kind, id, value, element)) return false;
    if (id == gpMaskName)
        DBGrid->CellMaskChanged(DBGrid->CurrentDataCol(), dataRow);
    else if (repaint)
        DBGrid->InvalidateDataRow(dataRow, true, id);
    return true;
}

TgrDBRowElement* TgrDBRowPropSet::FindRow(const Variant& dataRow) {
    return Count() == 0 ? nullptr : dynamic_cast<TgrDBRowElement*>(Find(DBRowKey(dataRow)));
}

std::vector<TgrDBRowElement*> TgrDBRowPropSet::Records() const { return OrderedRecords<TgrDBRowElement>(*this); }

void TgrDBRowPropSet::AssignFrom(const TgrDBRowPropSet& other) {
    if (&other == this) return;
    Clear();
    for (TgrDBRowElement* source : other.Records()) AddElement(CloneElement(*source));
}

// ------------------------------------------------------------ cell set

TgrDBCellPropSet::TgrDBCellPropSet(TgrCustomDBGrid* grid) : TgrCustomPropSet(grid), DBGrid(grid) {}

TgrDBCellPropSet::~TgrDBCellPropSet() { Clear(); }

TgrCustomPropElement* TgrDBCellPropSet::CreateElement(const TgrKeyValues& key) {
    return new TgrDBCellElement(DBGrid, key.size() > 1 ? key[1] : EmptyDataRow(),
                                key.empty() ? 0 : key[0].AsInteger());
}

TgrCustomPropElement* TgrDBCellPropSet::CloneElement(const TgrCustomPropElement& source) {
    auto* c = dynamic_cast<const TgrDBCellElement*>(&source);
    auto* e = new TgrDBCellElement(DBGrid, c ? c->DataRow : EmptyDataRow(), c ? c->DataCol : 0);
    e->Assign(source);
    return e;
}

void TgrDBCellPropSet::RemoveElement(TgrCustomPropElement* element) {
    if (auto* c = dynamic_cast<TgrDBCellElement*>(element)) Remove(DBCellKey(c->DataCol, c->DataRow));
}

bool TgrDBCellPropSet::RemoveIfDefault(TgrCustomPropElement* element) {
    bool isDefault = element->IsDefault();
    if (isDefault) RemoveElement(element);
    return isDefault;
}

bool TgrDBCellPropSet::SetPropValue(const TgrKeyValues& key, bool repaint, TgrPictureKind kind, TgrPropId id,
                                    const Variant& value, TgrCustomPropElement*& element) {
    Integer dataCol;
    Variant dataRow;
    if (auto* c = dynamic_cast<TgrDBCellElement*>(element)) {
        dataCol = c->DataCol;
        dataRow = c->DataRow;
    } else {
        dataCol = key.empty() ? 0 : key[0].AsInteger();
        dataRow = key.size() > 1 ? key[1] : EmptyDataRow();
    }
    if (!SetPropValueCore(key, kind, id, value, element)) return false;
    if (DBGrid->IsDestroying() || dataCol <= 0 || dataCol > DBGrid->ColCount() - 1) return true;
    if (id == gpMaskName)
        DBGrid->CellMaskChanged(dataCol, dataRow);
    else if (repaint)
        InvalidateRecordCell(dataCol, dataRow, DBGrid->IsDrawingProperty(id));
    return true;
}

void TgrDBCellPropSet::InvalidateRecordCell(Integer dataCol, const Variant& dataRow, bool drawingOnly) {
    Integer row = DBGrid->WindowPositionOfDataRow(dataRow);
    if (row < 1 || row > DBGrid->RowCount() - 1) return;
    Integer dc = DBGrid->DisplayColOfData(dataCol), dr = DBGrid->DisplayRowOfData(row);
    bool invalidated = true;
    if (drawingOnly)
        invalidated = DBGrid->InvalidateCellUnlessPainting(dc, dr);
    else
        DBGrid->InvalidateDisplayCell(dc, dr);
    if (invalidated && dc == DBGrid->CurrentDisplayCol() && dr == DBGrid->CurrentDisplayRow())
        DBGrid->ResetCellControl(true);
}

TgrDBCellElement* TgrDBCellPropSet::FindCell(Integer dataCol, const Variant& dataRow) {
    return Count() == 0 ? nullptr : dynamic_cast<TgrDBCellElement*>(Find(DBCellKey(dataCol, dataRow)));
}

std::vector<TgrDBCellElement*> TgrDBCellPropSet::Records() const { return OrderedRecords<TgrDBCellElement>(*this); }

void TgrDBCellPropSet::AssignFrom(const TgrDBCellPropSet& other) {
    if (&other == this) return;
    Clear();
    for (TgrDBCellElement* source : other.Records()) AddElement(CloneElement(*source));
}
