// The data-aware grid in a form file and copied from another grid. Its
// row and cell properties are kept by record, so its collections name
// records by DataRow (the bookmark text or the record id); what is read
// before the dataset
// opens waits until the link becomes active.

#include "dbgrid/DBGrid.h"
#include "dbgrid/DBGridCols.h"
#include "dbgrid/DBGridFormItems.h"
#include "dbgrid/DBGridRecordFacades.h"
#include <mutex>

#include "platform/core/Format.h"
#include "platform/core/Strings.h"

namespace {

[[noreturn]] void RefuseRecordItem(const std::string& what) {
    throw EReadError("Invalid grid form file: " + what);
}

// One property value of a record element: integers of any width, texts,
// Booleans and floating-point values.
void WritePropValue(TWriter& w, const Variant& v) {
    if (v.IsString()) w.WriteString(v.AsString());
    else if (v.Type() == varBoolean) w.WriteBoolean(v.AsBoolean());
    else if (v.Type() == varDouble || v.Type() == varSingle || v.Type() == varCurrency || v.Type() == varDate)
        w.WriteFloat(v.AsDouble());
    else w.WriteInteger(v.AsInt64());
}

Variant ReadPropValue(TReader& r) {
    switch (r.NextValue()) {
        case vaString:
        case vaLString:
        case vaWString:
        case vaUTF8String: return Variant(r.ReadString());
        case vaFalse:
        case vaTrue: return Variant(r.ReadBoolean());
        case vaExtended:
        case vaDouble:
        case vaSingle: return Variant(r.ReadFloat());
        case vaInt8:
        case vaInt16:
        case vaInt32: return Variant(r.ReadInteger());
        case vaInt64: return Variant(r.ReadInt64());
        default: RefuseRecordItem("a property value was expected");
    }
}

// "Prop<id>" names a property id 0..32.
bool PropIdOfName(const std::string& name, TgrPropId& id) {
    if (name.size() < 5 || !SameText(name.substr(0, 4), "Prop")) return false;
    int n = 0;
    for (std::size_t i = 4; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9' || n > 100) return false;
        n = n * 10 + (name[i] - '0');
    }
    if (n > 32) RefuseRecordItem("property id " + std::to_string(n) + " out of range");
    id = TgrPropId(n);
    return true;
}

// A DataRow: a bookmark text, or a record id of any of the property value
// kinds; Null names the record not posted yet.
void WriteDataRowValue(TWriter& w, const Variant& v) {
    if (v.IsNull()) w.WriteIdent("Null");
    else if (v.IsEmpty()) w.WriteIdent("Empty");
    else WritePropValue(w, v);
}

Variant ReadDataRowValue(TReader& r) {
    switch (r.NextValue()) {
        case vaIdent:
        case vaNull:
        case vaNil: {
            std::string ident = r.ReadIdent();
            if (SameText(ident, "Null")) return Variant::NullValue();
            if (SameText(ident, "Empty")) return Variant();
            RefuseRecordItem("a record value was expected");
        }
        default: return ReadPropValue(r);
    }
}

// The attributes a record item carries: those with a plain value (fonts,
// combos, definitions and objects are not written as numbers, and a
// number read for one is ignored).
bool IsItemPropId(TgrPropId id) {
    switch (id) {
        case gpColor:
        case gpReadOnlyFlag:
        case gpAlign:
        case gpAlignment:
        case gpIs3D:
        case gpWordWrap:
        case gpButtonType:
        case gpDropDownStyle:
        case gpReadOnly:
        case gpParentFont:
        case gpMaskName:
        case gpParentCombo:
        case gpControlType:
        case gpSpinOptions:
        case gpSpinIncrement:
        case gpHorzAlignment:
        case gpVertAlignment:
        case gpTag: return true;
        default: return false;
    }
}

std::map<TgrPropId, Variant> ItemProps(const TgrCustomPropElement& e) {
    std::map<TgrPropId, Variant> props;
    for (TgrPropId id = 0; id <= grMaxPropId; ++id) {
        if (!IsItemPropId(id)) continue;
        Variant v = e.GetValue(id, pkNoPicture);
        if (!PropValuesEqual(v, DefaultPropValue(id))) props[id] = v;
    }
    return props;
}

void WriteProps(TWriter& w, const std::map<TgrPropId, Variant>& values) {
    for (const auto& [id, value] : values) {
        if (value.IsEmpty() || value.IsNull()) continue;
        w.WriteString("Prop" + std::to_string(int(id)));
        WritePropValue(w, value);
    }
}

}  // namespace

// ------------------------------------------------------------ record items

void TgrDBRowItem::WriteItem(TWriter& w) {
    w.WriteString("DataRow");
    WriteDataRowValue(w, record_);
    WriteProps(w, props_);
}

bool TgrDBRowItem::ReadItemProperty(const std::string& name, TReader& r) {
    TgrPropId id;
    if (SameText(name, "DataRow")) record_ = ReadDataRowValue(r);
    else if (PropIdOfName(name, id)) props_[id] = ReadPropValue(r);
    else return false;
    return true;
}

TgrDBRowCollection::~TgrDBRowCollection() {
    // Items read from a form file wait in the grid until they can be
    // applied.
    if (!reading_ || !grid_) return;
    for (auto& item : items_)
        if (auto* row = dynamic_cast<TgrDBRowItem*>(item.get()))
            grid_->StreamedRecordRows().push_back({row->Record(), row->Props()});
}

TgrCollectionItem* TgrDBRowCollection::Add() {
    items_.push_back(std::make_unique<TgrDBRowItem>(this));
    return items_.back().get();
}

void TgrDBCellItem::WriteItem(TWriter& w) {
    w.WriteString("DataCol");
    w.WriteInteger(dataCol_);
    w.WriteString("DataRow");
    WriteDataRowValue(w, record_);
    WriteProps(w, props_);
}

bool TgrDBCellItem::ReadItemProperty(const std::string& name, TReader& r) {
    TgrPropId id;
    if (SameText(name, "DataCol")) {
        dataCol_ = r.ReadInteger();
        if (dataCol_ < 1) RefuseRecordItem("cell column " + std::to_string(dataCol_) + " out of range");
    } else if (SameText(name, "DataRow")) {
        record_ = ReadDataRowValue(r);
    } else if (PropIdOfName(name, id)) {
        props_[id] = ReadPropValue(r);
    } else {
        return false;
    }
    return true;
}

TgrDBCellCollection::~TgrDBCellCollection() {
    if (!reading_ || !grid_) return;
    for (auto& item : items_)
        if (auto* cell = dynamic_cast<TgrDBCellItem*>(item.get()))
            grid_->StreamedRecordCells().push_back({cell->DataColOf(), cell->Record(), cell->Props()});
}

std::unique_ptr<TgrCell> TgrDBCellCollection::CreateCellFacade() {
    return std::make_unique<TgrDBCell>(grid_, EmptyDataRow(), 0);
}

TgrCollectionItem* TgrDBCellCollection::Add() {
    items_.push_back(std::make_unique<TgrDBCellItem>(this));
    return items_.back().get();
}

// ------------------------------------------------------------ the grid

void TgrCustomDBGrid::RegisterPublished() {
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterGridPublished();
        TgrDBCol::RegisterPublished();
        using G = TgrCustomDBGrid;
        TPublished<G, TgrBaseGrid>()
            .Boolean("AutoInsert", &G::AutoInsert, &G::SetAutoInsert)
            .Enumeration("BookmarkCompareType", {"bctDefault", "bctAsString"}, &G::BookmarkCompareType,
                         &G::SetBookmarkCompareType)
            .Enumeration("BookmarkType", {"bmtDefault", "bmtNonOrdered"}, &G::BookmarkType, &G::SetBookmarkType)
            .Boolean("ConfirmDelete", &G::ConfirmDelete, &G::SetConfirmDelete)
            .Enumeration("DatasetType", {"dstStandard", "dstBDE"}, &G::DatasetType, &G::SetDatasetType)
            .Boolean("ExactRowCount", &G::ExactRowCount, &G::SetExactRowCount)
            .Enumeration("FieldState", {"fsDefault", "fsCustomized"}, &G::FieldState, &G::SetFieldState)
            .Enumeration("RecordSelection", {"rseBookmarkRange", "rseBookmarkSet"}, &G::GetRecordSelection,
                         &G::SetRecordSelection)
            .Boolean("UseRecordIds", &G::UseRecordIds, &G::SetUseRecordIds)
            .Integer("Rows", [](G& g) { return g.GetRows(); }, [](G& g, Integer v) { g.SetRows(v); });
    });
}

void TgrCustomDBGrid::DefineProperties(TgrFiler& filer) {
    RegisterPublished();
    filer.DefineProperty(
        "DataBound", [this](TReader& r) { ReadDataBound(r); }, [this](TWriter& w) { WriteDataBound(w); }, true);
    filer.DefineProperty(
        "ColPropCount", [this](TReader& r) { ReadColPropCount(r); }, [this](TWriter& w) { WriteColPropCount(w); },
        filer.Writing() && CanStoreProperties() && fieldState_ == fsCustomized && filer.Ancestor() != nullptr);
    TgrBaseGrid::DefineProperties(filer);
}

void TgrCustomDBGrid::WriteDataBound(TWriter& w) { w.WriteBoolean(dataBound_); }

void TgrCustomDBGrid::ReadDataBound(TReader& r) {
    if (r.ReadBoolean()) {
        if (!streamedDataBound_) streamedPending_ = true;
        streamedDataBound_ = true;
    }
    // A form that says the grid is not bound unbinds it.
    if (!streamedDataBound_ && dataBound_) SetDataSource(nullptr);
}

void TgrCustomDBGrid::WriteColPropCount(TWriter& w) { w.WriteInteger(Cols()); }

void TgrCustomDBGrid::ReadColPropCount(TReader& r) {
    Integer n = r.ReadInteger();
    if (n < 0 || n > 10000) RefuseRecordItem("ColPropCount " + std::to_string(n) + " out of range");
    SetCols(n);
}

std::unique_ptr<TgrPropCollection> TgrCustomDBGrid::CreateRowCollection(bool fill) {
    if (!dataBound_ && !streamedDataBound_) return TgrBaseGrid::CreateRowCollection(fill);
    auto c = std::make_unique<TgrDBRowCollection>(this, !fill);
    if (!fill) return c;
    for (TgrDBRowElement* e : rowProps_.Records()) {
        auto* item = static_cast<TgrDBRowItem*>(c->Add());
        item->Fill(e->DataRow, ItemProps(*e));
    }
    return c;
}

std::unique_ptr<TgrCellCollection> TgrCustomDBGrid::CreateCellCollection(bool fill) {
    if (!dataBound_ && !streamedDataBound_) return TgrBaseGrid::CreateCellCollection(fill);
    auto c = std::make_unique<TgrDBCellCollection>(this, !fill);
    if (!fill) return c;
    for (TgrDBCellElement* e : cellProps_.Records()) {
        if (e->IsDefault()) continue;
        auto* item = static_cast<TgrDBCellItem*>(c->Add());
        item->Fill(e->DataCol, e->DataRow, ItemProps(*e));
    }
    return c;
}

void TgrCustomDBGrid::ApplyStreamedProperties(bool clear) {
    if (streamedDataBound_) return;
    if (dataActive_) {
        for (const TgrStreamedRecordRow& row : streamedRows_)
            for (const auto& [id, value] : row.Props) {
                if (!IsItemPropId(id)) continue;
                TgrCustomPropElement* e = rowProps_.FindRow(row.Record);
                rowProps_.SetPropValue(DBRowKey(row.Record), false, pkNoPicture, id, value, e);
            }
        for (const TgrStreamedRecordCell& cell : streamedCells_)
            for (const auto& [id, value] : cell.Props) {
                if (!IsItemPropId(id)) continue;
                TgrCustomPropElement* e = cellProps_.FindCell(cell.DataCol, cell.Record);
                cellProps_.SetPropValue(DBCellKey(cell.DataCol, cell.Record), false, pkNoPicture, id, value, e);
            }
    }
    if (clear || dataActive_) {
        streamedRows_.clear();
        streamedCells_.clear();
    }
}

void TgrCustomDBGrid::Loaded() {
    if (streamedDataBound_ && streamedPending_) {
        streamedDataBound_ = streamedPending_ = false;
        ApplyStreamedProperties(false);
    }
    TgrBaseGrid::Loaded();
    RebuildColumns(true, true, true);
}

void TgrCustomDBGrid::Assign(const TPersistent* source) {
    // Only another data-aware grid's layout fits: its columns are fields
    // and its properties are kept by record.
    if (!dynamic_cast<const TgrCustomDBGrid*>(source))
        RaiseGridError(Format("Cannot assign %s to %s",
                              {source ? source->ClassName() : std::string("nil"), ClassName()}));
    TgrBaseGrid::Assign(source);
}

TgrDBRowCollection::TgrDBRowCollection(TgrCustomDBGrid* grid, bool reading)
    : TgrRowCollection(grid), grid_(grid), reading_(reading) {}

TgrDBCellCollection::TgrDBCellCollection(TgrCustomDBGrid* grid, bool reading)
    : TgrCellCollection(grid), grid_(grid), reading_(reading) {}

// ------------------------------------------------------------ layout copying

void TgrCustomDBGrid::CopyGridProperties(TgrBaseGrid* source, const std::string& exclusions) {
    TgrBaseGrid::CopyGridProperties(source, exclusions);
    auto* db = dynamic_cast<TgrCustomDBGrid*>(source);
    if (!db || LowerCase(exclusions).find("datasource") != std::string::npos) return;
    SetDataSource(db->OwnsDataSource() ? nullptr : db->DataSource());
}

void TgrCustomDBGrid::CopyRowProperties(TgrBaseGrid* source) {
    auto* db = dynamic_cast<TgrCustomDBGrid*>(source);
    if (!dataBound_ || !db) {
        TgrBaseGrid::CopyRowProperties(source);
        return;
    }
    rowProps_.AssignFrom(db->rowProps_);
}

void TgrCustomDBGrid::CopyCellProperties(TgrBaseGrid* source) {
    auto* db = dynamic_cast<TgrCustomDBGrid*>(source);
    if (!dataBound_ || !db) {
        TgrBaseGrid::CopyCellProperties(source);
        return;
    }
    cellProps_.AssignFrom(db->cellProps_);
}

void TgrCustomDBGrid::AssignRowSelection(TgrBaseGrid* source) {
    auto* db = dynamic_cast<TgrCustomDBGrid*>(source);
    if (!dataBound_ || !db) {
        TgrBaseGrid::AssignRowSelection(source);
        return;
    }
    if (selection_->Assign(*db->selection_)) MarkSelectChanged(0);
}

void TgrCustomDBGrid::AssignCellSelection(TgrBaseGrid* source) {
    if (!dataBound_) TgrBaseGrid::AssignCellSelection(source);
}

void TgrCustomDBGrid::UpdateSelectType() {
    if (!dataBound_) {
        TgrBaseGrid::UpdateSelectType();
        return;
    }
    bool cols = false;
    for (Integer c = 1; c < ColTotal() && !cols; ++c) cols = IsDisplayColSelected(c);
    SetGridStatus(cols ? gsColsSelected : !selection_->Empty() ? gsRowsSelected : gsNormal);
}
