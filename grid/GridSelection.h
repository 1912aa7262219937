#pragma once
// The grid's selection sets and its current cell.
//
// TgrSelection holds selected display indexes (rows or columns) as bits with
// their count and lowest and highest member, so that the grid can answer
// whether an index is selected, walk the selection and count it in a range
// without scanning every bit. Index 0 (heading row, row-bar column) is never
// answered as selected.
//
// TgrCurrentCell is the grid's view of the focused cell: where it is in data
// numbers, the value loaded for it, the editor's text selection and the
// picture options, with the value operations that act on it.

#include <vector>

#include "grid/GridPropTypes.h"
#include "grid/GridTypes.h"
#include "platform/core/Object.h"
#include "platform/core/Types.h"
#include "platform/core/Variant.h"

class TgrBaseGrid;

class TgrSelection : public TObject {
public:
    TgrSelection() = default;
    ~TgrSelection() override = default;

    // Takes over the other set (size, members, count, first and last).
    // False when neither set had a member; otherwise True when a bit changed.
    virtual bool Assign(const TgrSelection& other);
    void Clear();
    Integer GetSize() const { return Integer(bits_.size()); }
    void SetSize(Integer n);
    bool IsSelected(Integer i) const;
    // The nearest member above / below i, -1 when none.
    Integer NextSelected(Integer i) const;
    Integer PrevSelected(Integer i) const;
    // Members in the range a..b (either order, clamped to 1..size-1).
    Integer CountSelected(Integer a, Integer b) const;
    Integer First() const { return first_; }
    Integer Last() const { return last_; }
    Integer Count() const { return count_; }
    // Sets or clears one bit, keeping count, first and last; indexes outside
    // 0..size-1 are ignored. True when the bit changed.
    bool SetSelected(Integer i, bool selected);
    // Moves the bit at from to to, the bits between shifting by one (a
    // column moved keeps its selected state).
    void Move(Integer from, Integer to);

private:
    void Recompute();
    std::vector<bool> bits_;
    Integer first_ = -1, last_ = -1, count_ = 0;
};

class TgrCurrentCell : public TObject {
public:
    explicit TgrCurrentCell(TgrBaseGrid* grid) : grid_(grid) {}
    ~TgrCurrentCell() override { ClearValue(); }

    TgrBaseGrid* Grid() const { return grid_; }
    // Data column and row of the grid's current cell, -1 without one.
    Integer GetDataCol() const;
    Integer GetDataRow() const;

    virtual void LoadValue();
    virtual TgrControlType GetControlType() const;
    // Empty without a current cell; else the value after loading it.
    virtual Variant GetValue();
    // The current cell's text height in pixels (plus one) and line count at
    // its column width; 0 without a current cell.
    virtual Integer GetTextHeight();
    virtual Integer GetTextLineCount();
    // Puts a value into the current cell through the editor; False when the
    // grid cannot edit or refuses the edit (a value of the wrong type raises).
    virtual bool SetValue(const Variant& value, bool startEdit, bool refresh);

    // In gmEditInsert: makes the cell of a data column in the insert row
    // current ("Column index %d out of range" for a bad column).
    virtual void MoveToInsertRow(Integer dataCol);
    // Scrolls the current cell into view.
    virtual void MakeVisible();

    Variant GetStoredValue() const { return value_; }
    // Called by the grid when it loads the current cell.
    void StoreLoadedValue(const Variant& value, bool ownsObject);
    void ClearValue();
    bool HasValueFor(Integer dataCol, Integer dataRow) const;
    bool IsValueEmpty() const { return value_.IsEmpty(); }
    // The cell the stored value belongs to, moved with its cell.
    void SetValueCell(Integer dataCol, Integer dataRow) {
        loadedCol_ = dataCol;
        loadedRow_ = dataRow;
    }
    Integer LoadedDataCol() const { return loadedCol_; }
    Integer LoadedDataRow() const { return loadedRow_; }
    bool OwnsObject() const { return ownsObject_; }

    // The editor's text selection, in characters.
    void SelectAll();
    Integer GetSelStart();
    Integer GetSelLength();
    void SetSelStart(Integer position);
    void SetSelLength(Integer length);
    // Noted by the grid from the in-cell control's change notification.
    void NoteSelection(Integer start, Integer length) {
        selStart_ = start;
        selLength_ = length;
    }
    // Noted by the grid when the editor's text changed.
    void NoteEditedValue(const Variant& value);
    bool IsAllSelected() const;
    bool CanPasteText(const std::string& text) const;

    // Clipboard, for a text cell through its in-cell control (with a
    // window; cutting and pasting only where the grid can edit). True when
    // done.
    bool CopyToClipboard();
    bool CutToClipboard(bool byUser);
    bool PasteText(bool byUser);
    // The window messages: they first make sure the cell is being edited;
    // a paste only when the clipboard's text fits the column's MaxLength.
    void CutFromMessage();
    void PasteFromClipboard();

    // Picture options: the cell's, column's or (by default) the current
    // cell's own.
    bool GetStretchPicture() const;
    bool GetShrinkPicture() const;
    bool GetCenterPicture() const;
    bool GetKeepAspectRatio() const;
    TColor TransparentColor() const { return transparentColor_; }
    void SetStretchOption(bool v) { stretch_ = v; }
    void SetShrinkOption(bool v) { shrink_ = v; }
    void SetCenterOption(bool v) { center_ = v; }
    void SetKeepAspectRatioOption(bool v) { keepAspect_ = v; }
    void SetTransparentColorOption(TColor v) { transparentColor_ = v; }

private:
    bool EffectiveOption(TgrPictureKind kind, bool own) const;
    void ResetPictureOptions();
    TgrBaseGrid* grid_;
    Variant value_;
    bool ownsObject_ = false;
    Integer loadedCol_ = -1, loadedRow_ = -1;
    Integer selStart_ = 0, selLength_ = 0;
    bool stretch_ = true, shrink_ = true, center_ = true, keepAspect_ = false;
    TColor transparentColor_ = grColorNotSet;
};
