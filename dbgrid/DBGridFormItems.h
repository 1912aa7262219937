#pragma once
// The row and cell items of a data-aware grid's form file: each names its
// record by DataRow (the bookmark text or the record id) and carries the record element's
// properties by id ("Prop<id>"). Collections read from a form file hand
// their items to the grid when they are freed; the grid applies them once
// its dataset is open.

#include <map>
#include <string>

#include "grid/GridForm.h"
#include "dbgrid/DBGridData.h"
#include "grid/GridPropTypes.h"
#include "platform/core/Variant.h"

class TgrCustomDBGrid;

class TgrDBRowItem : public TgrRowItem {
public:
    using TgrRowItem::TgrRowItem;
    void Fill(const Variant& record, const std::map<TgrPropId, Variant>& props) {
        record_ = record;
        props_ = props;
    }
    const Variant& Record() const { return record_; }
    const std::map<TgrPropId, Variant>& Props() const { return props_; }
    void WriteItem(TWriter& writer) override;
    bool ReadItemProperty(const std::string& name, TReader& reader) override;

private:
    Variant record_ = EmptyDataRow();
    std::map<TgrPropId, Variant> props_;
};

class TgrDBRowCollection : public TgrRowCollection {
public:
    TgrDBRowCollection(TgrCustomDBGrid* grid, bool reading);
    ~TgrDBRowCollection() override;
    TgrCollectionItem* Add() override;

private:
    TgrCustomDBGrid* grid_;
    bool reading_;
};

class TgrDBCellItem : public TgrCellItem {
public:
    using TgrCellItem::TgrCellItem;
    void Fill(Integer dataCol, const Variant& record, const std::map<TgrPropId, Variant>& props) {
        dataCol_ = dataCol;
        record_ = record;
        props_ = props;
    }
    Integer DataColOf() const { return dataCol_; }
    const Variant& Record() const { return record_; }
    const std::map<TgrPropId, Variant>& Props() const { return props_; }
    void WriteItem(TWriter& writer) override;
    bool ReadItemProperty(const std::string& name, TReader& reader) override;

private:
    Integer dataCol_ = 0;
    Variant record_ = EmptyDataRow();
    std::map<TgrPropId, Variant> props_;
};

class TgrDBCellCollection : public TgrCellCollection {
public:
    TgrDBCellCollection(TgrCustomDBGrid* grid, bool reading);
    ~TgrDBCellCollection() override;
    TgrCollectionItem* Add() override;
    // The facade of a record cell (TgrDBCell).
    std::unique_ptr<TgrCell> CreateCellFacade() override;

private:
    TgrCustomDBGrid* grid_;
    bool reading_;
};
