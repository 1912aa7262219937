#pragma once
// The window control at the bottom of the grid. It knows nothing of column
// objects, data or cell contents: it keeps a matrix of display cells,
// ColTotal columns by RowTotal rows, of which the first FixedColTotal columns
// and FixedRowTotal rows are fixed (they never scroll), the size of every
// column and row, the grid-line width, a set of options and the top-left
// scrolling cell, and it computes from these where every cell lies in the
// client area. All indexes are display positions counted from 0.
//
// This unit holds the layout computation, the mapping between pixels and
// cells, cell rectangles and invalidation, the extent tables with the count
// and size operations, and the streamed size lists. The movement side
// (scrolling, current cell, selection) and the input side (mouse, keyboard,
// in-place editor, painting) build on it; the base versions here of the
// operations they refine keep the current cell, the anchor and the top-left
// cell consistent.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/Exception.h"
#include "platform/core/Filer.h"
#include "platform/core/Types.h"
#include "platform/gui/Controls.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"

// What a grid operation error is, so that a caller that expects one kind
// can tell it from the others without reading its message.
enum class TgrGridErrorCode { Other, IndexOutOfRange };

// Misuse of the grid: indexes out of range, counts out of bounds.
class EInvalidGridOperation : public Exception {
public:
    explicit EInvalidGridOperation(const std::string& message, TgrGridErrorCode code = TgrGridErrorCode::Other)
        : Exception(message), Code(code) {}
    TgrGridErrorCode Code;
};

struct TCellCoord_ts {
    Integer Col = 0;
    Integer Row = 0;
    bool operator==(const TCellCoord_ts&) const = default;
};

// Inclusive on both ends; Left and Right are columns, Top and Bottom rows.
struct TCellRange_ts {
    Integer Left = 0;
    Integer Top = 0;
    Integer Right = 0;
    Integer Bottom = 0;
    bool operator==(const TCellRange_ts&) const = default;
};

// The layout of one axis for a client extent (Horz: columns and widths,
// Vert: rows and heights).
struct TAxisLayout_ts {
    // Grid-line width when the axis shows lines, else 0.
    Integer LineWidth = 0;
    // Pixels taken by the fixed cells, each with its trailing line.
    Integer FixedEnd = 0;
    // Pixel after the last scrolling cell that starts inside the client
    // extent (with its line), clipped to the client extent when cut off.
    Integer GridEnd = 0;
    Integer ClientExtent = 0;
    // The last cell shown whole, and the pixel after it and its line.
    Integer LastFullCell = 0;
    Integer FullCellsEnd = 0;
    Integer FixedCount = 0;
    Integer FirstScrollCell = 0;
    Integer CellCount = 0;
    // The size of a line of this axis.
    std::function<Integer(Integer)> ExtentOf;
};

struct TGridLayout_ts {
    TAxisLayout_ts Horz;
    TAxisLayout_ts Vert;
};

// Grid options: a 16-bit set.
using TGridOptions_ts = std::uint16_t;
inline constexpr TGridOptions_ts gxFixedVertLines = 1 << 0;
inline constexpr TGridOptions_ts gxFixedHorzLines = 1 << 1;
inline constexpr TGridOptions_ts gxVertLines = 1 << 2;
inline constexpr TGridOptions_ts gxHorzLines = 1 << 3;
inline constexpr TGridOptions_ts gxRangeSelect = 1 << 4;
inline constexpr TGridOptions_ts gxDrawFocusSelected = 1 << 5;
inline constexpr TGridOptions_ts gxRowSizing = 1 << 6;
inline constexpr TGridOptions_ts gxColSizing = 1 << 7;
inline constexpr TGridOptions_ts gxRowMoving = 1 << 8;
inline constexpr TGridOptions_ts gxColMoving = 1 << 9;
inline constexpr TGridOptions_ts gxEditing = 1 << 10;
inline constexpr TGridOptions_ts gxTabs = 1 << 11;
inline constexpr TGridOptions_ts gxRowSelect = 1 << 12;
inline constexpr TGridOptions_ts gxAlwaysShowEditor = 1 << 13;
inline constexpr TGridOptions_ts gxThumbTracking = 1 << 14;

enum TGridState_ts { gstNormal, gstSelecting, gstRowSizing, gstColSizing, gstRowMoving, gstColMoving };

// How a cell is painted: a set of these bits.
using TGridDrawState_ts = unsigned;
inline constexpr TGridDrawState_ts gdsSelected = 1;
inline constexpr TGridDrawState_ts gdsFocused = 2;
inline constexpr TGridDrawState_ts gdsFixed = 4;

// The window border: none or a single line.
enum TGridBorderStyle_ts { gbsNone, gbsSingle };

// ------------------------------------------------------------ extent tables

// Entry 0 holds the number of lines n, entries 1..n the sizes of lines
// 0..n-1. An empty table is absent: every line has the default size.
using TExtentTable_ts = std::vector<Integer>;
inline constexpr Integer MaxExtentEntries_ts = 134217725;

// Changes the table to n + amount lines; the lines from index on take the
// default. Raises "Grid index out of range" for an index outside 0..n, "Too
// many rows or columns deleted" below 0 lines and "Grid too large for
// operation" above the maximum. A table of 0 lines becomes absent.
void ResizeExtentTable(TExtentTable_ts& table, Integer index, Integer amount, Integer defaultValue);
// n lines: new lines take the default, lines beyond n are dropped.
void SetExtentTableLength(TExtentTable_ts& table, Integer n, Integer defaultValue);
// Moves the entry at table position from (line + 1) to position to.
void MoveExtentEntry(TExtentTable_ts& table, Integer from, Integer to);
bool ExtentTablesEqual(const TExtentTable_ts& a, const TExtentTable_ts& b);

TCellRange_ts NormalizedRange(const TCellCoord_ts& a, const TCellCoord_ts& b);
bool CellInRange(Integer col, Integer row, const TCellRange_ts& range);
// x within Left..Right and y within Top..Bottom, edges included.
bool PointInClosedRect(Integer x, Integer y, const TRect& rect);
[[noreturn]] void RaiseGridOperationError(const std::string& message);
// "Grid index out of range", with its code.
[[noreturn]] void RaiseGridIndexError();
// The parts covered by exactly one of two rectangles, as up to four
// non-overlapping rectangles; returns their number.
int SelectionDifferenceRects(const TRect& a, const TRect& b, TRect out[4]);
// An index equal to from becomes to; one between the two moves one step
// towards from; others stay.
Integer AdjustMovedIndex(Integer index, Integer from, Integer to);

// ----------------------------------------------------------------- grid base

class TInplaceEdit;

class TCustomGrid_ts : public TCustomControl {
public:
    explicit TCustomGrid_ts(TComponent* owner);
    ~TCustomGrid_ts() override;

    // Counts and sizes.
    Integer ColTotal() const { return colTotal_; }
    Integer RowTotal() const { return rowTotal_; }
    Integer FixedColTotal() const { return fixedColTotal_; }
    Integer FixedRowTotal() const { return fixedRowTotal_; }
    void SetColTotal(Integer n);
    void SetRowTotal(Integer n);
    void ChangeCounts(Integer cols, Integer rows);
    void SetFixedColTotal(Integer n);
    void SetFixedRowTotal(Integer n);

    Integer DefaultColWidth() const { return defaultColWidth_; }
    Integer DefaultRowHeight() const { return defaultRowHeight_; }
    // Drops the size table: every line takes the new default.
    void SetDefaultColWidth(Integer value);
    void SetDefaultRowHeight(Integer value);
    Integer GetColWidthAt(Integer index) const;
    Integer GetRowHeightAt(Integer index) const;
    // Raise "Grid index out of range" outside 0..ColTotal-1 (RowTotal-1).
    void SetColWidthAt(Integer index, Integer width);
    void SetRowHeightAt(Integer index, Integer height);
    const TExtentTable_ts& ColWidthTable() const { return colWidths_; }
    const TExtentTable_ts& RowHeightTable() const { return rowHeights_; }

    Integer GridLinePixels() const { return gridLinePixels_; }
    void SetGridLinePixels(Integer n);
    TGridOptions_ts GridOptions() const { return gridOptions_; }
    void SetGridOptions(TGridOptions_ts options);
    TScrollStyle ScrollBarKind() const { return scrollBarKind_; }
    void SetScrollBarKind(TScrollStyle kind);
    TGridBorderStyle_ts BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TGridBorderStyle_ts style);
    TColor FixedAreaColor() const { return fixedAreaColor_; }
    void SetFixedAreaColor(TColor color);
    bool StoreExtents() const { return storeExtents_; }
    void SetStoreExtents(bool value) { storeExtents_ = value; }

    TCellCoord_ts TopLeftCell() const { return topLeft_; }
    TCellCoord_ts CurrentCell() const { return current_; }
    TCellCoord_ts AnchorCell() const { return anchor_; }
    TGridState_ts MouseState() const { return mouseState_; }

    // Layout and geometry.
    void ComputeLayout(TGridLayout_ts& layout) const;
    void ComputeLayoutFor(TGridLayout_ts& layout, Integer width, Integer height) const;
    void ComputeFixedLayout(TGridLayout_ts& layout) const;
    // The cell at a pixel for a layout; -1 on an axis without one.
    TCellCoord_ts CellAtPoint(Integer x, Integer y, const TGridLayout_ts& layout) const;
    // The cell at a client pixel, or (-1, -1).
    TCellCoord_ts MouseCoord(Integer x, Integer y) const;
    // The pixels of a range of cells, with or without the trailing grid
    // line; empty when nothing of it is shown.
    TRect RangePixels(const TCellRange_ts& range, bool withLine) const;
    TRect RangeRect(Integer left, Integer top, Integer right, Integer bottom) const;
    TRect CellPixels(Integer col, Integer row) const;
    // The smallest first cells from which cell is shown whole.
    TCellCoord_ts LastTopLeft(const TCellCoord_ts& cell, const TGridLayout_ts& layout) const;
    Integer VisibleScrollRows() const;

    void RepaintCell(Integer col, Integer row);
    void RepaintRange(const TCellRange_ts& range);
    void RepaintAll();

    // Inserts (amount > 0) or deletes (amount < 0) lines at index.
    void ShiftLines(Integer index, Integer amount, bool rows);
    void MoveColumnTo(Integer from, Integer to);
    void MoveRowTo(Integer from, Integer to);
    virtual void RemoveColumn(Integer index);
    virtual void RemoveRow(Integer index);

    // Scrolling, current cell and selection.
    // TopLeftCell, CurrentCell and AnchorCell become the first scrolling cell.
    void ResetPositions();
    // Asked before a cell becomes current.
    virtual bool CanSelectCell(Integer col, Integer row) { return true; }
    // Raises "Grid index out of range" outside the grid.
    void MoveCurrentCell(Integer col, Integer row, bool show, bool moveAnchor);
    void ExtendAnchor(const TCellCoord_ts& cell);
    // MoveCurrentCell (shown), PlaceEditor, then the click notification.
    void FocusCellAt(Integer col, Integer row, bool moveAnchor);
    TCellRange_ts SelectionRange() const { return NormalizedRange(current_, anchor_); }
    void ScrollCellIntoView(const TCellCoord_ts& cell);
    virtual void SetTopLeftCell(Integer col, Integer row);
    void SetLeftCol(Integer col);
    void SetTopRow(Integer row);
    // Scrolls the window pixels of the client layout.
    void ScrollCells(Integer dx, Integer dy);
    // A scroll-bar request: code 0 line back ... 8 end of scrolling.
    void HandleScroll(bool horizontal, Integer code, Integer thumb, bool mirror);
    void SyncScrollPos();
    // Ranges the scroll bars for the counts and sizes and keeps the
    // top-left cell sensible.
    virtual void SyncScrollRange();
    // Bits: 1 one column left, 2 right, 4 one row up, 8 down.
    virtual void AutoExtendSelection(unsigned mask);
    Integer PixelScrollOffset() const { return pixelScrollOffset_; }

    // Mouse, keyboard and the in-place editor.
    // The resize zone under (x, y): the sizing state (or gstNormal), the
    // line index, its pixel position and the offset of the point from it.
    virtual void SizingHit(Integer x, Integer y, const TGridLayout_ts& layout, TGridState_ts& state, Integer& index,
                           Integer& position, Integer& offset);
    bool IsOnSizingLine(Integer x, Integer y);
    // The cancel-mode message: ends sizing, moving or selecting.
    void EndMouseMode();
    Integer SizeIndex() const { return sizeIndex_; }
    Integer SizePos() const { return sizePos_; }
    Integer MoveFromIndex() const { return moveFromIndex_; }
    Integer MoveToIndex() const { return moveToIndex_; }
    // The 60 ms timer that extends a selection or scrolls a move while the
    // mouse is held past the cells.
    TTimer* DragTimer() const { return timer_; }
    // The cursor the set-cursor message shows over a client point.
    TCursor CursorAt(Integer x, Integer y);

    virtual void OpenEditor();
    virtual void CloseEditor();
    void OpenEditorWithChar(char ch);
    void SetEditingActive(bool active);
    bool EditingActive() const { return editingActive_; }
    virtual bool EditorAllowed();
    bool IsFocusHolder(TWinControl* control) const;
    TInplaceEdit* Editor() const { return editor_; }
    Integer EditorWindowCol() const { return editorWindowCol_; }
    Integer EditorWindowRow() const { return editorWindowRow_; }
    virtual void PlaceEditor();
    void RemoveEditor();
    void StoreEditorText();
    // The focus messages: the grid repaints its selection and places or
    // removes the editor.
    void FocusEntered(TWinControl* from);
    void FocusLeft(TWinControl* to);

    // Right-to-left alignment of the control (mirrors the horizontal axis).
    // Under it the columns run from the right edge: cell rectangles and
    // hit tests are mirrored, texts are not.
    bool UseRightToLeftAlignment() const { return rightToLeft_; }
    void SetRightToLeft(bool value);
    // A client rectangle laid out from the left, placed as shown: mirrored
    // across the client width under right-to-left alignment.
    TRect MirroredX(const TRect& r) const;
    // Whether the control is being designed (a form designer holds it).
    bool Designing() const { return ComponentState().Contains(csDesigning); }

    // Streamed size lists ("ColWidths", "RowHeights"): whether they are
    // written (with an ancestor: when its table differs), and the lists
    // themselves (ColTotal, RowTotal values).
    bool ColWidthsStored(const TCustomGrid_ts* ancestor) const;
    bool RowHeightsStored(const TCustomGrid_ts* ancestor) const;
    void WriteColWidths(TWriter& writer) const;
    void ReadColWidths(TReader& reader);
    void WriteRowHeights(TWriter& writer) const;
    void ReadRowHeights(TReader& reader);

protected:
    // Paints one cell (supplied by the descendant).
    virtual void PaintCell(Integer col, Integer row, const TRect& rect, TGridDrawState_ts state) = 0;

    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    // The set-cursor message: CursorAt.
    bool CursorRequest(int x, int y, TCursor& cursor) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyDown(Word16& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    // The default keyboard (after the key-down event and AcceptsGridKey).
    virtual void ProcessKeyDown(Word16& key, TShiftState shift);
    void Paint() override;
    virtual TInplaceEdit* NewEditor();
    void DrawSizeLine(const TGridLayout_ts& layout);
    void DrawMoveMarker();
    void DragScroll(Integer n, Integer cellIndex, const TAxisLayout_ts& axis, bool horizontal);
    void TimerTick();
    void NotifyDesignerModified() {}
    virtual bool StartColumnDrag(Integer& from, Integer& to, TPoint p) { return true; }
    virtual bool StartRowDrag(Integer& from, Integer& to, TPoint p) { return true; }
    virtual bool AcceptColumnDragTarget(Integer from, Integer& to, TPoint p) { return true; }
    virtual bool AcceptRowDragTarget(Integer from, Integer& to, TPoint p) { return true; }
    virtual bool FinishColumnDrag(Integer& from, Integer& to, TPoint p) { return true; }
    virtual bool FinishRowDrag(Integer& from, Integer& to, TPoint p) { return true; }

    // The size message: the scroll bars follow the new client size.
    void BoundsChanged() override;
    virtual void ScrollDrawArea(Integer dx, Integer dy, const TGridLayout_ts& layout);
    virtual void TopLeftMoved(const TCellCoord_ts& oldTopLeft);
    // The current cell moved (by key, click or call); runs after the
    // current cell and anchor changed and before the cells are repainted.
    virtual void CurrentCellMoved(const TCellCoord_ts& oldCurrent) {}
    // Repaints exactly the cells in one of the old and new selection.
    virtual void SelectionChanged(const TCellRange_ts& oldRange);

    // Notifications and queries; the descendant overrides several.
    virtual void NotifyColWidthsChanged();
    virtual void NotifyRowHeightsChanged();
    virtual void NotifyCountsChanged(Integer oldColTotal, Integer oldRowTotal) {}
    virtual void NotifyTopLeftChanged() { PlaceEditor(); }
    virtual void NotifyColumnMoved(Integer from, Integer to) {}
    virtual void NotifyRowMoved(Integer from, Integer to) {}
    virtual std::string EditTextOf(Integer col, Integer row) { return {}; }
    virtual std::string EditMaskOf(Integer col, Integer row) { return {}; }
    virtual void StoreEditText(Integer col, Integer row, const std::string& text) {}
    virtual Integer EditMaxLength() { return 0; }
    virtual bool AcceptsEditKey(char key) { return true; }
    virtual bool AcceptsGridKey(Word16 key, TShiftState shift) { return true; }
    virtual bool TextModifiable() { return canModifyText_; }

    friend class TInplaceEdit;

    TCellCoord_ts anchor_{1, 1};
    TCellCoord_ts current_{1, 1};
    TCellCoord_ts topLeft_{1, 1};
    bool canModifyText_ = true;
    Integer editorWindowCol_ = 0;
    Integer editorWindowRow_ = 0;
    Integer pixelScrollOffset_ = 0;
    bool paintDefaults_ = true;
    bool editingActive_ = false;
    TGridState_ts mouseState_ = gstNormal;
    TGridOptions_ts designGridOptions_ = gxRowSizing | gxColSizing;
    bool rightToLeft_ = false;
    Integer sizeIndex_ = 0, sizePos_ = 0, sizeOffset_ = 0;
    Integer moveFromIndex_ = 0, moveToIndex_ = 0;
    TPoint hitTestPoint_;
    TPoint lastMouse_;
    TInplaceEdit* editor_ = nullptr;
    TTimer* timer_ = nullptr;

private:
    Integer ScrollStep(const TAxisLayout_ts& axis, Integer first, Integer direction, Integer code, Integer thumb,
                       Integer min, Integer max) const;
    void PixelScroll(Integer code, Integer thumb, Integer direction);
    void FixedAxis(TAxisLayout_ts& axis, bool horizontal) const;
    static void FullAxis(TAxisLayout_ts& axis, Integer extent);
    static Integer AxisCellAt(const TAxisLayout_ts& axis, Integer n);
    static Integer AxisLinePos(const TAxisLayout_ts& axis, Integer cell);
    static bool AxisSpan(const TAxisLayout_ts& axis, Integer a, Integer b, bool withLine, Integer& start,
                         Integer& end);
    static Integer AxisLastFirstCell(const TAxisLayout_ts& axis, Integer cell);
    void ApplyCountChange(const TGridLayout_ts* oldLayout);
    void InvalidateArea(const TRect& r);
    void WriteExtents(TWriter& writer, Integer count, bool columns) const;
    void ReadExtents(TReader& reader, bool columns);

    Integer colTotal_ = 5;
    Integer rowTotal_ = 5;
    Integer fixedColTotal_ = 1;
    Integer fixedRowTotal_ = 1;
    Integer defaultColWidth_ = 64;
    Integer defaultRowHeight_ = 24;
    TExtentTable_ts colWidths_;
    TExtentTable_ts rowHeights_;
    Integer gridLinePixels_ = 1;
    TGridOptions_ts gridOptions_ = gxFixedVertLines | gxFixedHorzLines | gxVertLines | gxHorzLines | gxRangeSelect;
    TScrollStyle scrollBarKind_ = ssBoth;
    TGridBorderStyle_ts borderStyle_ = gbsSingle;
    TColor fixedAreaColor_ = clBtnFace;
    bool storeExtents_ = true;
};

// The base's in-place editor: an edit window over the current cell that
// loads its text from the grid and stores it back.
class TInplaceEdit : public TEdit {
public:
    explicit TInplaceEdit(TComponent* owner);
    void AttachToGrid(TCustomGrid_ts* grid);
    TCustomGrid_ts* Grid() const { return grid_; }
    void CaretToEnd();
    void HideEditorWindow();
    void PlaceQuietly(const TRect& r) { MoveTo(r, false); }
    void PlaceAndRedraw(const TRect& r) { MoveTo(r, true); }
    void LoadFromGrid();
    virtual void SetTextMargins() {}
    const std::string& EditMask() const { return editMask_; }
    // Message time of the last left-button press on the grid (0 after use).
    UInt64 ClickTime = 0;

    bool DoKeyDown(Word16& key, TShiftState shift) override;
    bool DoKeyPress(char& key) override;

private:
    void MoveTo(const TRect& r, bool redraw);
    TCustomGrid_ts* grid_ = nullptr;
    std::string editMask_;
};
