#pragma once
// The system caret: one per application, owned by the control that created
// it (the one with the keyboard focus). The caret is drawn by the screen
// layer, not into the control's surface, so its state is kept here: owner,
// size, position, whether it is shown, and an optional bitmap shape.

#include <QImage>

#include "platform/gui/Graphics.h"

class TControl;

struct TCaretState {
    TControl* Owner = nullptr;
    int Width = 0;
    int Height = 0;
    TPoint Pos;
    // Show/hide counting as the platform does: shown when the count is
    // above 0.
    int ShowCount = 0;
    QImage Shape;  // null for a solid caret
    bool Shown() const { return Owner && ShowCount > 0; }
};

// Creates the caret for owner (destroying any other caret first); it starts
// hidden. A non-null shape gives a bitmap caret of the shape's size.
void CreateCaret(TControl* owner, int width, int height, const QImage& shape = QImage());
void DestroyCaret();
void ShowCaret(TControl* owner);
void HideCaret(TControl* owner);
void SetCaretPos(int x, int y);
const TCaretState& CaretState();
