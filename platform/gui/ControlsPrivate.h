#pragma once
// Translation helpers shared by the window layer's sources (not for
// application code).

#include <QCursor>
#include <Qt>

#include "platform/gui/GuiTypes.h"

Qt::CursorShape QtCursorShape(TCursor c);
// A built-in cursor by its shape, a loaded picture cursor by its picture.
QCursor QtCursor(TCursor c);
TShiftState ShiftFromQt(Qt::KeyboardModifiers m, Qt::MouseButtons b);
Word16 VirtualKeyFromQt(int key);

// While a replaced key press is being delivered, the filters let it pass.
bool SyntheticKey();
struct SyntheticKeyScope {
    SyntheticKeyScope();
    ~SyntheticKeyScope();
};

// The offscreen and minimal platforms: no one can see or answer a window.
bool HeadlessPlatform();
