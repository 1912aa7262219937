#pragma once
// Which display positions are visible, and the collections of column and
// row objects.
//
// Three numberings meet here: data numbers (given when a slot is made and
// moving with the data), display positions (the order on screen, 0 the row
// bar or heading row) and visible indexes (the k-th visible position).
// Every slot also gets a stable id that is never given twice in the life of
// its collection.

#include <string>
#include <vector>

#include "grid/GridColRow.h"
#include "grid/GridPropOwner.h"
#include "grid/TSSetLib.h"

// Visible display positions 1 and up, in ascending order. Until the first
// position is hidden the list is not stored: it is the identity over
// 1..VisibleCount.
class TgrVisibleItems : public TgrSortIntList {
public:
    Integer VisibleCount() const { return visibleCount_; }
    bool Materialized() const { return materialized_; }

    void Assign(const TgrSortIntList& source) override;
    // Visible index -> display position (0 outside 1..count when stored).
    Integer Get(Integer index) const override;
    // Display position -> visible index, or where it would be inserted.
    Integer Find(Integer position, bool& found) const override;
    void AddValue(Integer position) override;
    void RemoveValue(Integer position) override;
    // count positions; new ones are first, first + 1, ...
    void SetVisibleCount(Integer count, Integer first);
    // Keeps the list right when display position from moves to to.
    void MovePosition(Integer from, Integer to);

private:
    Integer visibleCount_ = 0;
    bool materialized_ = false;
};

class TgrGridCols : public TObject {
public:
    TgrGridCols(Integer count, TgrPropGrid* grid);
    ~TgrGridCols() override;
    TgrGridCols(const TgrGridCols&) = delete;
    TgrGridCols& operator=(const TgrGridCols&) = delete;

    Integer Count() const { return count_; }
    Integer NextColId() const { return nextId_; }
    // A string selects by field name; anything else is a data column
    // (range-checked by the grid). None when there is no such column.
    TgrCol* GetCol(const Variant& which);
    TgrCol* ColAt(Integer dataCol) const;
    TgrCol* GetColByFieldName(const std::string& name);
    // Follows the grid's ColCount.
    void SetCount(Integer oldCount);
    // Moves n slots (overlap-safe); uncovered source slots become none and
    // are filled by the caller.
    void MoveBlock(Integer from, Integer to, Integer n);
    void PutCol(Integer dataCol, TgrCol* col);

protected:
    virtual TgrCol* CreateCol();

private:
    void Resize(Integer oldCount, Integer newCount);

    std::vector<TgrCol*> cols_;
    TgrPropGrid* grid_;
    Integer count_ = 0;
    Integer nextId_ = 0;
};

class TgrGridRows : public TObject {
public:
    TgrGridRows(Integer count, TgrPropGrid* grid);
    ~TgrGridRows() override;
    TgrGridRows(const TgrGridRows&) = delete;
    TgrGridRows& operator=(const TgrGridRows&) = delete;

    Integer Count() const { return count_; }
    Integer NextRowId() const { return nextId_; }
    bool HasDisplayArray() const { return !display_.empty(); }

    TgrRow* GetRow(Integer dataRow);
    TgrRow* EnsureRow(Integer dataRow);
    void FreeRow(Integer dataRow);
    // Frees the object of a row other than 0 when it is all default.
    void ReleaseIfDefault(Integer dataRow);

    Integer DisplayRowOf(Integer dataRow) const;
    void SetDisplayRowOf(Integer dataRow, Integer displayRow);
    void EnsureDisplayArray();
    Integer RowId(Integer dataRow) const;

    Integer GetHeight(Integer dataRow) const;
    void SetHeightValue(Integer dataRow, Integer height);
    Integer GetRequestedHeight(Integer dataRow) const;
    void SetRequestedHeight(Integer dataRow, Integer height);
    void SetHeight(Integer dataRow, Integer height);

    void SetCount(Integer oldCount);
    void MoveBlock(Integer from, Integer to, Integer n);

protected:
    virtual TgrRow* CreateRow();

private:
    void Resize(Integer oldCount, Integer newCount);
    bool InRange(Integer dataRow) const { return dataRow >= 0 && dataRow < count_; }

    std::vector<TgrRow*> rows_;
    std::vector<Integer> display_;
    std::vector<Integer> ids_;
    TgrPropGrid* grid_;
    Integer count_ = 0;
    Integer nextId_ = 0;
};
