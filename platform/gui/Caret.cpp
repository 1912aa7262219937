#include "platform/gui/Caret.h"

namespace {
TCaretState caret;
}

void CreateCaret(TControl* owner, int width, int height, const QImage& shape) {
    caret = TCaretState();
    caret.Owner = owner;
    caret.Shape = shape;
    caret.Width = shape.isNull() ? width : shape.width();
    caret.Height = shape.isNull() ? height : shape.height();
}

void DestroyCaret() { caret = TCaretState(); }

void ShowCaret(TControl* owner) {
    if (caret.Owner && caret.Owner == owner) ++caret.ShowCount;
}

void HideCaret(TControl* owner) {
    if (caret.Owner && caret.Owner == owner) --caret.ShowCount;
}

void SetCaretPos(int x, int y) {
    if (caret.Owner) caret.Pos = TPoint(x, y);
}

const TCaretState& CaretState() { return caret; }
