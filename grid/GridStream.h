#pragma once
// The layout stream component. A grid's layout is written as a small
// component in the grid's form-file format: the class name, an empty name,
// the component's published properties and then its own properties, each
// written only when it applies:
//   "Properties"        the five raw bytes of the chosen property-id set
//   "AllProperties"     whether every id is chosen
//   "ResetProps"        True: the grid is reset before the rest is read
//   "Grid"              the grid as a form-file component, its collections
//                       and stored values left out (kind pkGrid)
//   "Cols"              the column count (pkCols)
//   "Rows"              the row count (pkRows without pkGrid)
//   "DefaultColWidth"   without pkGrid, with pkCols and the width id
//   "DefaultRowHeight"  without pkGrid, with pkRows and the height id
//   "ColProperties", "RowProperties", "CellProperties"
//                       the attribute collections of the chosen kinds
//   "Data"              the stored cell values, when asked and kept
// A reader takes them in any order. When only some ids are chosen, the
// component writes a copy of the grid on which every other id is reset, so
// that the stream carries default values for them.

#include <memory>
#include <string>

#include "grid/TSGrid.h"
#include "platform/core/Filer.h"

class TgrFiler;

class TgrGridStreamComponent : public TObject {
public:
    explicit TgrGridStreamComponent(TgrBaseGrid* grid);
    ~TgrGridStreamComponent() override;

    // The grid written or read: the grid itself, or the copy the component
    // owns while a partial layout is written.
    TgrBaseGrid* Grid() const { return grid_; }
    bool OwnsGrid() const { return ownedGrid_ != nullptr; }

    TgrPropKinds SavePropKinds() const { return savePropKinds_; }
    void SetSavePropKinds(TgrPropKinds value) { savePropKinds_ = value & 15u; }
    const TgrPropIdSet& PropIds() const { return ids_; }
    void SetPropIds(const TgrPropIdSet& ids) { ids_ = ids; }
    bool AllProperties() const { return allProperties_; }
    // True also makes the id set all ids.
    void SetAllProperties(bool value);
    bool SaveData() const { return saveData_; }
    void SetSaveData(bool value) { saveData_ = value; }
    // True: columns are matched by data column; False: by field name.
    bool ReadByDataCol() const { return byDataCol_; }
    void SetReadByDataCol(bool value) { byDataCol_ = value; }

    // Replaces the grid by a copy of it (layout and, with SaveData, stored
    // values) that the component owns.
    void MakeGridCopy();
    // Resets the given ids on the columns (by-data-column reading only),
    // rows and cells of the chosen kinds.
    virtual void ResetLayoutProperties(TgrPropKinds kinds, const TgrPropIdSet& ids);

    // The component's own properties, as the grid's form-file layer defines
    // them.
    virtual void DefineProperties(TgrFiler& filer);
    // Published properties: written first; ReadPublished answers False for
    // a name the component does not publish.
    virtual void WritePublished(TWriter& writer);
    virtual bool ReadPublished(const std::string& name, TReader& reader);
    // Runs once the whole component is read.
    virtual void Loaded() {}
    // Runs instead when reading fails, before the error goes on.
    virtual void ReadAborted() {}

    // The whole component to and from a filer stream.
    void Write(TWriter& writer);
    void Read(TReader& reader);

protected:
    // Runs after "Grid" is read into the grid (which ends the grid's own
    // loading state).
    virtual void GridRead() {}

    TgrBaseGrid* grid_;

private:
    void ReadResetProps(TReader& reader);
    void WriteGrid(TStream& stream);
    void ReadGrid(TStream& stream);

    std::unique_ptr<TgrBaseGrid> ownedGrid_;
    TgrPropKinds savePropKinds_ = 0;
    TgrPropIdSet ids_;
    bool allProperties_ = false;
    bool saveData_ = false;
    bool byDataCol_ = true;
};
