#pragma once
// The grid in a form file. A window's stored definition holds each grid as
// its class and name, its published properties and, through
// DefineProperties, the grid's own extra properties: the column, row and
// cell attributes as collections of items, the image names, the stored
// cell values, and the legacy names older files carry. Values use the
// platform's binary form-file format (TWriter/TReader); a property is its
// name as a string value followed by its value, a list of properties ends
// with the list end marker.
//
// The collections here exist only while a grid is written or read; each
// item carries a number and the attribute object its streamed properties
// land on.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "grid/TSGrid.h"
#include "platform/core/Filer.h"
#include "platform/core/Streams.h"

// What DefineProperties is handed: the filer of the form file being written
// or read. hasData says whether a writer writes the property at all.
class TgrFiler {
public:
    using ReadProc = std::function<void(TReader&)>;
    using WriteProc = std::function<void(TWriter&)>;
    using StreamProc = std::function<void(TStream&)>;

    virtual ~TgrFiler() = default;
    virtual bool Writing() const = 0;
    // The grid the written one is compared with (an inherited form's grid);
    // none for a plain form.
    TgrBaseGrid* Ancestor() const { return ancestor_; }
    virtual void DefineProperty(const std::string& name, ReadProc read, WriteProc write, bool hasData) = 0;
    virtual void DefineBinaryProperty(const std::string& name, StreamProc read, StreamProc write, bool hasData) = 0;

protected:
    TgrBaseGrid* ancestor_ = nullptr;
};

// The filer that writes properties into a form file or a layout stream: a
// property is its name followed by its value.
class TgrFormWriter : public TgrFiler {
public:
    explicit TgrFormWriter(TWriter& w, TgrBaseGrid* ancestor = nullptr) : w_(w) { ancestor_ = ancestor; }
    bool Writing() const override { return true; }
    void DefineProperty(const std::string& name, ReadProc read, WriteProc write, bool hasData) override;
    void DefineBinaryProperty(const std::string& name, StreamProc read, StreamProc write, bool hasData) override;

private:
    TWriter& w_;
};

// The filer properties are read through: each defined name finds its reader.
class TgrFormReader : public TgrFiler {
public:
    bool Writing() const override { return false; }
    void DefineProperty(const std::string& name, ReadProc read, WriteProc write, bool hasData) override;
    void DefineBinaryProperty(const std::string& name, StreamProc read, StreamProc write, bool hasData) override;
    // Reads the named property's value; false when no reader was defined.
    bool Read(const std::string& name, TReader& r);

private:
    std::map<std::string, ReadProc> reads_;
};

// ----------------------------------------------------------- collections

class TgrPropCollection;

class TgrCollectionItem : public TObject {
public:
    explicit TgrCollectionItem(TgrPropCollection* collection) : collection_(collection) {}
    TgrPropCollection* Collection() const { return collection_; }
    // The item's properties, written in order ("Col.Width" style names for
    // the attribute object's own properties).
    virtual void WriteItem(TWriter& writer) = 0;
    // One property of the item by name; False for a name it does not have.
    virtual bool ReadItemProperty(const std::string& name, TReader& reader) = 0;

protected:
    TgrPropCollection* collection_;
};

class TgrPropCollection : public TObject {
public:
    explicit TgrPropCollection(TgrBaseGrid* grid) : grid_(grid) {}
    ~TgrPropCollection() override;
    TgrBaseGrid* Grid() const { return grid_; }
    Integer Count() const { return Integer(items_.size()); }
    TgrCollectionItem* Item(Integer index) const { return items_[std::size_t(index)].get(); }
    virtual TgrCollectionItem* Add() = 0;
    void Clear() { items_.clear(); }

    // The collection as a form-file value, and back (items are added and
    // each read property lands as it is read).
    void Write(TWriter& writer);
    void Read(TReader& reader);
    // Equal item by item (their written forms compared).
    bool Equals(TgrPropCollection& other);
    // Display positions read with the items, placed once all are read
    // (display position, data number), so that the order read is the
    // order shown whatever order the items came in.
    std::vector<std::pair<Integer, Integer>> PendingMoves;

protected:
    TgrBaseGrid* grid_;
    std::vector<std::unique_ptr<TgrCollectionItem>> items_;
};

class TgrColCollection;

class TgrColItem : public TgrCollectionItem {
public:
    using TgrCollectionItem::TgrCollectionItem;
    Integer DataCol() const { return dataCol_; }
    void SetDataCol(Integer value);
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& value);
    // The item's column; a column of the collection's scratch grid while
    // the item has none (its properties are read and dropped).
    TgrCol* GetCol();
    // The item of a column being written.
    void Fill(Integer dataCol, const std::string& fieldName, TgrCol* col) {
        dataCol_ = dataCol;
        fieldName_ = fieldName;
        col_ = col;
    }
    void WriteItem(TWriter& writer) override;
    bool ReadItemProperty(const std::string& name, TReader& reader) override;

private:
    TgrColCollection* Cols() const;
    void MatchUnnamedColumn();
    TgrCol* col_ = nullptr;
    Integer dataCol_ = 0;
    std::string fieldName_;
};

class TgrColCollection : public TgrPropCollection {
public:
    explicit TgrColCollection(TgrBaseGrid* grid) : TgrPropCollection(grid) {}
    ~TgrColCollection() override;
    TgrCollectionItem* Add() override;
    // True: items name their column by data column (form files); False: by
    // field name (layouts read by field name).
    bool ByDataCol = true;
    // The layout column map of a by-field-name read: item data column ->
    // grid data column (0 none).
    std::vector<std::pair<Integer, Integer>> FieldMap;
    TgrBaseGrid* ScratchGrid();

private:
    TgrBaseGrid* scratch_ = nullptr;
};

// The layout column map of columns read by field name: stream column i of
// the stored values goes to map[i-1], the grid's column of the field name
// the layout gave column i; a column the layout named no field for goes to
// the grid's unnamed column of its number, and anything else to 0 (its
// values are dropped).
std::unique_ptr<std::vector<Integer>> LayoutColumnMapOf(TgrBaseGrid& grid, const TgrColCollection& cols);


class TgrRowItem : public TgrCollectionItem {
public:
    using TgrCollectionItem::TgrCollectionItem;
    Integer DataRow() const { return dataRow_; }
    void SetDataRow(Integer value);
    Integer DisplayRow() const { return displayRow_; }
    void SetDisplayRow(Integer value);
    bool GetSelected() const;
    void SetSelected(bool value);
    TgrRow* Row() const { return row_; }
    void SetRowObject(TgrRow* row) { row_ = row; }
    // The numbers of a row being written (no row object is made).
    void Fill(Integer dataRow, Integer displayRow) {
        dataRow_ = dataRow;
        displayRow_ = displayRow;
    }
    void WriteItem(TWriter& writer) override;
    bool ReadItemProperty(const std::string& name, TReader& reader) override;

private:
    TgrRow* row_ = nullptr;
    Integer dataRow_ = 0;
    Integer displayRow_ = 0;
};

class TgrRowCollection : public TgrPropCollection {
public:
    using TgrPropCollection::TgrPropCollection;
    TgrCollectionItem* Add() override;
};

class TgrCellCollection;

class TgrCellItem : public TgrCollectionItem {
public:
    explicit TgrCellItem(TgrCellCollection* collection);
    Integer DataCol() const { return dataCol_; }
    void SetDataCol(Integer value) { dataCol_ = value; }
    Integer DataRow() const { return dataRow_; }
    void SetDataRow(Integer value) { dataRow_ = value; }
    // The facade pointed at the item's cell.
    TgrCell* GetCell();
    void WriteItem(TWriter& writer) override;
    bool ReadItemProperty(const std::string& name, TReader& reader) override;

private:
    // While the grid is read the item has a facade of its own.
    std::unique_ptr<TgrCell> ownCell_;
    TgrCell* cell_ = nullptr;
    Integer dataCol_ = 0;
    Integer dataRow_ = 0;
};

class TgrCellCollection : public TgrPropCollection {
public:
    explicit TgrCellCollection(TgrBaseGrid* grid);
    ~TgrCellCollection() override;
    TgrCollectionItem* Add() override;
    TgrCell* SharedCell() const { return cell_.get(); }
    // A facade for the grid with data column 0 and data row 0.
    virtual std::unique_ptr<TgrCell> CreateCellFacade();

private:
    std::unique_ptr<TgrCell> cell_;
};

// ------------------------------------------------------------ form files

// Makes sure the grid classes' published properties are registered (the
// grid, its columns and rows).
void RegisterGridPublished();

// Writes a grid as a form-file component (class name, name, published
// properties differing from the ancestor's, then the grid's own defined
// properties) and reads one back. Reading runs inside the grid's loading
// state and ends with Loaded; an unknown property name, a value of the
// wrong type or an index out of range raises EReadError.
void WriteGridComponent(TWriter& writer, TgrBaseGrid& grid, TgrBaseGrid* ancestor = nullptr);
void ReadGridComponent(TReader& reader, TgrBaseGrid& grid);
void SaveGridToFormStream(TgrBaseGrid& grid, TStream& stream, TgrBaseGrid* ancestor = nullptr);
void LoadGridFromFormStream(TgrBaseGrid& grid, TStream& stream);
