#pragma once
// A grid of the real grid class placed on a shown form, with the keys and
// the mouse of its base reachable, for tests that need a window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>

#include "grid/tests/GridClassSupport.h"
#include "platform/gui/Forms.h"

// The recording grid with the base's key and mouse entry points and the
// grid's typed-character handling open to the tests.
class TInputGrid : public TLogGrid {
public:
    using TLogGrid::TLogGrid;
    using TCustomGrid_ts::DoKeyDown;
    using TCustomGrid_ts::MouseDown;
    using TCustomGrid_ts::MouseMove;
    using TCustomGrid_ts::MouseUp;
    using TgrBaseGrid::DoKeyPress;
    using TgrBaseGrid::CellButtonWidth;
};

// The input grid whose repaints of single cells reach the window (the
// recording grid only notes them), for tests that read painted states.
class TPaintingGrid : public TInputGrid {
public:
    using TInputGrid::TInputGrid;
    void InvalidateDisplayCell(Integer c, Integer r) override { TgrBaseGrid::InvalidateDisplayCell(c, r); }
};

// A mouse event of the left button as the window system delivers it to a
// widget: a press or release, or a move with the button held.
inline void SendLeftMouse(QWidget* w, QEvent::Type type, TPoint p, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QPointF at(p.X, p.Y);
    Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, at, w->mapToGlobal(at), button, held, keys);
    QApplication::sendEvent(w, &e);
}

// The form and its grid (width x height pixels, cols x rows data cells) go
// with the test.
class TGridOnFormTest : public ::testing::Test {
protected:
    void ShowGrid(Integer width, Integer height, Integer cols, Integer rows) {
        Application->Initialize();
        form = new TForm(Application);
        form->SetBounds(0, 0, 500, 400);
        grid = new TInputGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, width, height);
        grid->SetCols(cols);
        grid->SetRows(rows);
        form->Show();
        grid->SetFocus();
    }
    void TearDown() override { Application->ResetForTesting(); }
    void Key(Word16 key, TShiftState shift = {}) { grid->DoKeyDown(key, shift); }
    void Type(char ch) { grid->DoKeyPress(ch); }
    TForm* form = nullptr;
    TInputGrid* grid = nullptr;
};
