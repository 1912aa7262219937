#pragma once
// The base of the windows the grid places over its current cell to edit it
// (the text edit box, the check box and the plain window of cells that are
// not edited in place). It paints double-buffered through the in-cell
// memory canvas, hands the form's focus to the grid, turns a press that
// follows the grid's own activating press into a double click, asks the
// grid before every change through its notifications, and keeps the layout
// settings the grid gives it.

#include <functional>
#include <string>

#include "grid/GRGLibCanvas.h"
#include "grid/GridTypes.h"
#include "platform/core/Types.h"
#include "platform/gui/Controls.h"

// Notifications of the in-cell windows (the grid answers them).
using TgrKeyNotify = std::function<void(TObject* sender, Word16& key, TShiftState shift)>;
using TgrKeyPressNotify = std::function<void(TObject* sender, char& key)>;
using TgrCanEditNotify = std::function<void(TObject* sender, bool& cancel)>;
using TgrCanChangeNotify = std::function<void(TObject* sender, bool byUser, bool& cancel)>;
using TgrCaretChangeNotify = std::function<void(TObject* sender, bool textChanged)>;
using TgrTextChangeNotify = std::function<void(TObject* sender, bool edited, bool inserted, bool byUser)>;
using TgrUndoNotify = std::function<void(TObject* sender, bool byUser, bool& cancel)>;
using TgrWantKeyNotify = std::function<void(TObject* sender, Word16 key, bool& want)>;
using TgrMaskErrorNotify = std::function<void(TObject* sender, const std::string& text, bool& accept)>;
using TgrTextResizeNotify = std::function<void(TObject* sender, bool byUser)>;

// Dialog codes of the in-cell windows (what keys they keep from the form).
inline constexpr unsigned DLGC_WANTARROWS = 0x0001;
inline constexpr unsigned DLGC_WANTTAB = 0x0002;
inline constexpr unsigned DLGC_WANTALLKEYS = 0x0004;
inline constexpr unsigned DLGC_WANTCHARS = 0x0080;

// The memory canvas all in-cell windows paint through (made on first use,
// freed at exit).
TgrMemoryCanvas* InCellMemoryCanvas();

// The last left-button press on the grid or any in-cell window, shared by
// them so that the second press of a double click that starts on the grid
// (which then shows the in-cell window under the mouse) still counts as a
// double click. Positions are screen coordinates.
struct TgrLastPress {
    UInt64 Time = 0;  // 0: none
    TPoint Pos;
    bool LeftInKeys = false;
};
TgrLastPress& GridLastPress();
// The grid records its activating press here.
void RecordGridPress(const TPoint& screenPos, bool leftInKeys);

class TgrGridControl : public TCustomControl {
public:
    explicit TgrGridControl(TComponent* owner);
    ~TgrGridControl() override;

    // The grid window: the form is told that it, not this window, has the
    // focus.
    TWinControl* Grid() const { return grid_; }
    void SetGrid(TWinControl* grid) { grid_ = grid; }

    TgrHorzAlignment HorzAlignment() const { return horzAlignment_; }
    TgrVertAlignment VertAlignment() const { return vertAlignment_; }
    TgrWordWrap WordWrap() const { return wordWrap_; }
    Integer TextIndent() const { return textIndent_; }
    // Store the value (the edit box also lays its text out again).
    virtual void SetHorzAlignment(TgrHorzAlignment value);
    virtual void SetVertAlignment(TgrVertAlignment value);
    virtual void SetWordWrap(TgrWordWrap value);
    void SetTextIndent(Integer value) { textIndent_ = value; }

    // Fires OnCanChange; True unless cancelled.
    virtual bool CanChange(bool byUser);
    // A change by key needs AllowEdit; then OnCanEdit and CanChange(True).
    virtual bool CanEdit(bool byKey);
    virtual bool IsEditChar(char ch) { return false; }
    // Asks OnWantKey (False when unassigned).
    bool WantsKey(Word16 key) const override;
    // The dialog code: which keys the window keeps from the form, for the
    // key that is down (0 for none) and the shift state.
    unsigned DialogCode(Word16 keyDown, TShiftState shift) const;

    // Nothing when the window already has the focus.
    void SetFocus();
    bool HasFocusOrGridHas() const;

    bool AllowEdit = true;
    bool AllowSelect = true;
    bool AllowDblClick = true;
    bool WantTabs = true;
    bool AlwaysShowFocus = false;
    // The 3D look (off for every in-cell window the grid makes).
    bool Ctl3D = false;

    TgrKeyNotify OnAfterKeyDown;
    TgrKeyNotify OnAfterKeyUp;
    TgrKeyPressNotify OnAfterKeyPress;
    TgrCanEditNotify OnCanEdit;
    TgrCanChangeNotify OnCanChange;
    TgrCaretChangeNotify OnCaretChange;
    TgrTextChangeNotify OnTextChange;
    TgrUndoNotify OnUndo;
    TNotifyEvent OnKillFocus;
    TgrWantKeyNotify OnWantKey;
    TgrMaskErrorNotify OnMaskError;
    TgrTextResizeNotify OnTextResize;

    bool WidgetEvent(QEvent* event) override;
    void SetVisible(bool v) override;
    void SetBounds(int left, int top, int width, int height) override;
    void ApplyFont() override;

    // Entry points of the mouse (also used by tests); a press with ssDouble
    // in shift is the platform's double-click message.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    // Keyboard entry points: True when the key was consumed.
    bool DoKeyDown(Word16& key, TShiftState shift) override;
    bool DoKeyPress(char& key) override;
    void DoKeyUp(Word16& key, TShiftState shift) override;
    // The focus messages (called by the widget's focus events).
    virtual void FocusReceived();
    virtual void FocusLost();

protected:
    // Paint draws through the memory canvas into PaintCanvas() and copies
    // the result to the window.
    void Paint() final;
    // Draws the window on canvas (the memory canvas while painting).
    virtual void PaintWindow(TCanvas* canvas) {}
    // The press and the double click after the double-click detection.
    virtual void LeftButtonDown(TShiftState shift, int x, int y);
    virtual void LeftDoubleClick(TShiftState shift, int x, int y);
    bool Designing() const { return ComponentState().Contains(csDesigning); }

    bool mouseDown_ = false;
    bool clickPending_ = false;

private:
    TWinControl* grid_ = nullptr;
    TgrHorzAlignment horzAlignment_ = htaLeft;
    TgrVertAlignment vertAlignment_ = vtaDefault;
    TgrWordWrap wordWrap_ = wwOn;
    Integer textIndent_ = 0;
    bool candidate_ = false;
    bool canvasInUse_ = false;
};
