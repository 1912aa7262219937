// Keyboard, mouse and caret of the grid's edit box.

#include <algorithm>

#include "grid/GRCommon.h"
#include "grid/GridEditBox.h"
#include "platform/core/CodePage.h"
#include "platform/core/UiQueue.h"
#include "platform/gui/Caret.h"

namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

int Utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

}  // namespace

// ---------------------------------------------------------------- keyboard

bool TgrGridEditBox::DoKeyDown(Word16& key, TShiftState shift) {
    if (TgrGridControl::DoKeyDown(key, shift)) {
        keyRepeating_ = true;
        return true;
    }
    bool textChanged = false, undone = false;
    if (key != 0 && (AllowEdit || AllowSelect) && HandleKey(key, shift, textChanged, undone)) key = 0;
    keyRepeating_ = true;
    if (key != 0 && OnAfterKeyDown) OnAfterKeyDown(this, key, shift);
    if ((textChanged || undone) && OnCaretChange) OnCaretChange(this, true);
    if (textChanged && OnTextChange) OnTextChange(this, true, false, true);
    return key == 0;
}

// One key of the edit box; True when it is consumed.
bool TgrGridEditBox::HandleKey(Word16 key, TShiftState shift, bool& textChanged, bool& undone) {
    const bool ctrl = shift.Contains(ssCtrl);
    const bool ext = shift.Contains(ssShift);
    const bool repeating = keyRepeating_;
    const bool multiContent = lines_.Count() > 1;
    const bool multiMode = MultiLineMode();
    const bool wholeSelected = Length() > 0 && selStart_ == 0 && selLength_ == Length();
    // A move takes its key only when the caret moved, or while the key
    // repeats; at the edge the key goes on to the grid.
    auto edge = [&](bool moved) { return moved || repeating; };
    auto navigation = [&](Word16 k) {
        return k == VK_LEFT || k == VK_RIGHT || k == VK_UP || k == VK_DOWN || k == VK_PRIOR || k == VK_NEXT ||
               ((k == VK_HOME || k == VK_END) && ctrl);
    };
    if (wholeSelected && !ext && navigation(key)) return false;

    switch (key) {
        case VK_BACK:
            textChanged = DeleteAtCaret(false);
            return true;
        case VK_DELETE:
            if (ext) {
                CutToClipboard(true);
                return true;
            }
            textChanged = DeleteAtCaret(true);
            return true;
        case VK_ESCAPE: return RequestUndo(undone);
        case 'Z':
            if (ctrl) return RequestUndo(undone);
            return false;
        case VK_LEFT: {
            int step = ctrl ? WordBackLength(text_, caretPos_) : PrevCharLength(text_, caretPos_);
            return edge(MoveCaretTo(caretPos_ - step, ext, 0.25));
        }
        case VK_RIGHT: {
            int step = ctrl ? WordForwardLength(text_, caretPos_) : CharLengthAt(text_, caretPos_);
            return edge(MoveCaretTo(caretPos_ + step, ext, 0.25));
        }
        case VK_UP:
        case VK_DOWN: {
            if (!multiContent || !multiMode) return edge(false);
            int line = caretLine_ + (key == VK_UP ? -1 : 1);
            if (line < 0 || line >= lines_.Count()) return edge(false);
            bool atEnd = false;
            int pos = PosAtX(line, caretPoint_.X, atEnd);
            return edge(MoveCaretTo(pos, ext, 0, !atEnd));
        }
        case VK_PRIOR:
        case VK_NEXT: {
            if (!multiMode) return edge(false);
            int count = lines_.Count();
            int page = std::max(1, Height() / std::max(1, LineHeight()));
            int n = key == VK_PRIOR ? std::min(page, caretLine_) : std::min(page, count - 1 - caretLine_);
            if (n <= 0) return edge(false);
            int dir = key == VK_PRIOR ? -1 : 1;
            int maxTop = std::max(0, count - page);
            topLine_ = std::clamp(topLine_ + dir * n, 0, maxTop);
            int x = caretPoint_.X;
            ComputeCaretPoint();
            bool atEnd = false;
            int pos = PosAtX(caretLine_ + dir * n, x, atEnd);
            Invalidate();
            return edge(MoveCaretTo(pos, ext, 0, !atEnd));
        }
        case VK_HOME:
            if (ctrl) return edge(MoveCaretTo(0, ext, 0));
            MoveCaretTo(multiMode ? lines_[caretLine_] : 0, ext, 0);
            return true;
        case VK_END:
            if (ctrl) return edge(MoveCaretTo(Length(), ext, 0));
            MoveCaretTo(multiMode ? DrawnLineEnd(caretLine_) : Length(), ext, 0, false);
            return true;
        case VK_F2:
            SetSelStart(caretPos_);
            return true;
        case VK_RETURN:
            if (!ctrl) return false;
            textChanged = InsertText("\r", true);
            return true;
        case 'A':
            if (!ctrl) return false;
            SelectAll();
            return true;
        case 'C':
            if (!ctrl) return false;
            CopyToClipboard();
            return true;
        case VK_INSERT:
            if (ctrl) {
                CopyToClipboard();
                return true;
            }
            if (ext) {
                PasteFromClipboard(true);
                return true;
            }
            return false;
        case 'V':
            if (!ctrl) return false;
            PasteFromClipboard(true);
            return true;
        case 'X':
            if (!ctrl) return false;
            CutToClipboard(true);
            return true;
        default: return false;
    }
}

void TgrGridEditBox::DoKeyUp(Word16& key, TShiftState shift) {
    keyRepeating_ = false;
    TgrGridControl::DoKeyUp(key, shift);
    if (key != 0 && OnAfterKeyUp) OnAfterKeyUp(this, key, shift);
}

bool TgrGridEditBox::DoKeyPress(char& key) {
    if (TgrGridControl::DoKeyPress(key)) return true;
    switch (key) {
        case 1: case 3: case 8: case 9: case 10: case 13: case 22: case 24: case 26: case 27:
            // Handled as keys in DoKeyDown.
            if (key != 0 && OnAfterKeyPress) OnAfterKeyPress(this, key);
            return key == 0;
        default: break;
    }
    if (!AllowEdit) {
        if (OnAfterKeyPress) OnAfterKeyPress(this, key);
        return key == 0;
    }
    // A multi-byte character arrives byte by byte: its lead byte waits for
    // the rest. A lead byte followed by something else was a single
    // character of the 8-bit code page and is inserted as such.
    std::string insert;
    if (!pendingLead_.empty()) {
        if (IsContinuationByte(key)) {
            pendingLead_ += key;
            if (static_cast<int>(pendingLead_.size()) <
                Utf8SequenceLength(static_cast<unsigned char>(pendingLead_[0]))) {
                key = 0;
                return true;
            }
            insert = pendingLead_;
            pendingLead_.clear();
        } else {
            std::string orphan = Cp1252ToUtf8(pendingLead_);
            pendingLead_.clear();
            if (InsertText(orphan, true)) {
                if (OnCaretChange) OnCaretChange(this, true);
                if (OnTextChange) OnTextChange(this, true, true, true);
            }
        }
    }
    if (insert.empty()) {
        if (IsLeadByte(static_cast<unsigned char>(key))) {
            pendingLead_ = std::string(1, key);
            key = 0;
            return true;
        }
        insert = IsContinuationByte(key) ? Cp1252ToUtf8(std::string(1, key)) : std::string(1, key);
    }
    bool inserted = InsertText(insert, true);
    key = 0;
    if (inserted) {
        if (OnCaretChange) OnCaretChange(this, true);
        if (OnTextChange) OnTextChange(this, true, true, true);
    }
    return true;
}

// ------------------------------------------------------------------- mouse

void TgrGridEditBox::LeftButtonDown(TShiftState shift, int x, int y) {
    insideMouseDown_ = true;
    if (!Designing() && CanFocus()) SetFocus();
    if (AllowEdit || AllowSelect) {
        bool atEnd = false;
        int pos = PosAtX(LineAtY(y), x, atEnd);
        caretPos_ = pos;
        caretAtNextLine_ = !atEnd;
        SetSelStart(pos);
        if (selLength_ > 0) SetSelLength(0);
        PlaceCaret();
        KeepCaretVisible(0);
        mouseDownPoint_ = TPoint(x, y);
        mouseNotMoved_ = true;
        anchor_ = pos;
        tracking_ = true;
        SetMouseCapture(true);
    }
    insideMouseDown_ = false;
    if (caretShowPending_) {
        caretShowPending_ = false;
        ShowCaret(this);
    }
    TgrGridControl::LeftButtonDown(shift, x, y);
}

void TgrGridEditBox::LeftDoubleClick(TShiftState shift, int x, int y) {
    if (AllowEdit || AllowSelect) SelectAll();
    TgrGridControl::LeftDoubleClick(shift, x, y);
}

void TgrGridEditBox::MouseMove(TShiftState shift, int x, int y) {
    if (tracking_) {
        if (mouseNotMoved_ && TPoint(x, y) == mouseDownPoint_) {
            TgrGridControl::MouseMove(shift, x, y);
            return;
        }
        mouseNotMoved_ = false;
        ExtendByMouse(x, y);
    }
    TgrGridControl::MouseMove(shift, x, y);
}

void TgrGridEditBox::ExtendByMouse(int x, int y) {
    bool scrolled = false;
    int oldScroll = scrollOffset_, oldTop = topLine_;
    int pos;
    if (x < 0 || (!MultiLineMode() && x >= Width())) {
        // Outside the box: one character per move, scrolling the text.
        pos = x < 0 ? caretPos_ - PrevCharLength(text_, caretPos_) : caretPos_ + CharLengthAt(text_, caretPos_);
        caretAtNextLine_ = true;
    } else {
        bool atEnd = false;
        pos = PosAtX(LineAtY(y), x, atEnd);
        caretAtNextLine_ = !atEnd;
    }
    caretPos_ = std::clamp(pos, 0, static_cast<int>(text_.size()));
    SetSelection(anchor_, caretPos_);
    PlaceCaret();
    KeepCaretVisible(0);
    scrolled = scrollOffset_ != oldScroll || topLine_ != oldTop;
    if (scrolled && MouseCapture()) PostAutoScroll(x, y);
}

void TgrGridEditBox::PostAutoScroll(int x, int y) {
    // One posted move at a time stands in for "a mouse message is waiting".
    if (autoScrollPosted_) return;
    autoScrollPosted_ = true;
    std::weak_ptr<bool> alive = alive_;
    UiQueue::Post([this, alive, x, y] {
        auto a = alive.lock();
        if (!a || !*a) return;
        autoScrollPosted_ = false;
        if (tracking_ && MouseCapture()) MouseMove(TShiftState{ssLeft}, x, y);
    });
}

void TgrGridEditBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft) {
        tracking_ = false;
        if (MouseCapture()) SetMouseCapture(false);
    }
    TgrGridControl::MouseUp(button, shift, x, y);
}

// ------------------------------------------------------------ focus, caret

void TgrGridEditBox::CreateSystemCaret() {
    TgrTextMetric tm = GetTextMetric(MeasureCanvas());
    TFontStyles style = Font()->Style();
    int overhang = tm.tmOverhang - ((style & fsBold) ? 1 : 0);
    if ((style & fsItalic) && overhang > 0) {
        // A slanted caret: black with a white line from bottom-left to
        // top-right.
        slantedCaret_ = std::make_unique<TBitmap>();
        slantedCaret_->SetSize(overhang + 1, tm.tmHeight);
        TCanvas* c = slantedCaret_->Canvas();
        c->Brush()->SetColor(clBlack);
        c->FillRect(TRect(0, 0, overhang + 1, tm.tmHeight));
        c->Pen()->SetColor(clWhite);
        c->MoveTo(0, tm.tmHeight - 1);
        c->LineTo(overhang + 1, -1);
        CreateCaret(this, 0, 0, slantedCaret_->Image());
    } else {
        CreateCaret(this, 1, tm.tmHeight);
    }
    caretCreated_ = true;
    MoveSystemCaret();
}

void TgrGridEditBox::FocusReceived() {
    TgrGridControl::FocusReceived();
    CreateSystemCaret();
    if (insideMouseDown_) caretShowPending_ = true;
    else ShowCaret(this);
    if (selLength_ > 0) Invalidate();
}

void TgrGridEditBox::FocusLost() {
    if (caretCreated_ && CaretState().Owner == this) {
        HideCaret(this);
        DestroyCaret();
    }
    slantedCaret_.reset();
    caretCreated_ = false;
    caretShowPending_ = false;
    tracking_ = false;
    keyRepeating_ = false;
    if (selLength_ > 0) Invalidate();
    TgrGridControl::FocusLost();
}
