#pragma once
// The window a grid drops its combo list into, and the hooks that close
// open drop-downs: a mouse press outside a grid's drop-down closes it, and
// another window becoming active closes every one.

#include <QEvent>

#include "platform/gui/Forms.h"

class QWidget;
class TgrBaseGrid;

// A frameless tool window owned by its grid; it has no parent control and
// stays out of the task bar.
class TgrDropDownForm : public TForm {
public:
    explicit TgrDropDownForm(TgrBaseGrid* owner);
    // True: a borderless drop-down (a new form starts so); False: a tool
    // window with a caption and a close button. A change makes the window
    // again (CreateParams).
    bool DropDownStyle() const { return dropDownStyle_; }
    void SetDropDownStyle(bool value);
    // The window's kind for the style: a frameless tool window that does
    // not take the activation for the drop-down style, a tool window with
    // title and close button otherwise.
    void CreateParams();

protected:
    // Nothing to erase: the list grid covers the whole window.
    TColor DefaultColor() const override { return clWindow; }

private:
    bool dropDownStyle_ = true;
};

// A grid registers while a drop-down of its own is open; the hooks exist
// only while at least one grid is registered.
void RegisterDropDownGrid(TgrBaseGrid* grid);
void UnregisterDropDownGrid(TgrBaseGrid* grid);
bool DropDownHooksInstalled();
bool IsDropDownGridRegistered(const TgrBaseGrid* grid);

// The hook procedures, called for every event of the application while
// installed. A mouse press on target visits the registered grids from the
// last to the first: a press inside one of a grid's own windows (the grid,
// its in-cell control, its drop-down) stops the walk, any other press closes
// that grid's drop-downs and goes on with the next grid; a grid at design
// time stops the walk without closing. Activation of a window that is none
// of a grid's own closes that grid's drop-downs (not at design time).
void DropDownMouseHook(QEvent::Type type, QWidget* target);
void DropDownActivateHook(QEvent::Type type, QWidget* target);
