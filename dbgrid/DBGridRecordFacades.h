#pragma once
// One record's row or one record cell presented as the grid control's row
// proxy and cell facade: every property reads and writes the data-aware
// grid's accessors by record, so code written against the plain grid's
// facades works on records. A bound row is DefaultRowHeight high, visible,
// unchanged and in its window place; its Selected is the record's
// selection.

#include "grid/GridCellProps.h"
#include "grid/GridColRow.h"

class TgrCustomDBGrid;

class TgrDBCell : public TgrCell {
public:
    TgrDBCell(TgrCustomDBGrid* grid, const Variant& dataRow, Integer dataCol);

    void SetParentFont(bool value) override;
    void SetButtonType(TgrButtonType value) override;
    void SetCombo(TgrCombo* value) override;
    TgrCombo* CreateCombo() override;
    bool GetKeepFontObject() const override;
    void SetKeepFontObject(bool value) override;

    TgrCustomDBGrid* DBGrid;

protected:
    Variant Get(TgrPropId id, TgrPictureKind kind = pkNoPicture) const override;
    void Set(TgrPropId id, const Variant& value, TgrPictureKind kind = pkNoPicture) override;
};

class TgrDBRow : public TgrDesignRow {
public:
    TgrDBRow(TgrCustomDBGrid* grid, const Variant& dataRow);

    Variant Get(TgrPropId id, TgrPictureKind kind = pkNoPicture) const override;
    void Set(TgrPropId id, const Variant& value, TgrPictureKind kind = pkNoPicture) override;
    TgrCombo* CreateCombo();
    bool GetKeepFontObject() const;
    void SetKeepFontObject(bool value);
    // Another record's row: every property but the font, then the combo,
    // ParentFont, and the font when it is the row's own. Any other source
    // as the row proxy's.
    void Assign(const TPersistent* source) override;

    TgrCustomDBGrid* DBGrid;
};
