#include "grid/GridControl.h"

#include <memory>

#include <QEvent>

#include "platform/core/Clock.h"
#include "platform/gui/Forms.h"

TgrMemoryCanvas* InCellMemoryCanvas() {
    static TgrMemoryCanvas canvas;
    return &canvas;
}

TgrLastPress& GridLastPress() {
    static TgrLastPress press;
    return press;
}

void RecordGridPress(const TPoint& screenPos, bool leftInKeys) {
    TgrLastPress& last = GridLastPress();
    last.LeftInKeys = leftInKeys;
    last.Time = CurrentClock().TickMs();
    last.Pos = screenPos;
}

TgrGridControl::TgrGridControl(TComponent* owner) : TCustomControl(owner) {
    SetShowHint(false);
    // The window's mouse input is its own: the grid hears of it through the
    // window's events, never as a press of its own under the window.
    if (Widget()) Widget()->setAttribute(Qt::WA_NoMousePropagation);
}

TgrGridControl::~TgrGridControl() {
    // Set before the widget goes, so that no kill-focus notification fires.
    grid_ = nullptr;
    OnKillFocus = nullptr;
    if (canvasInUse_) InCellMemoryCanvas()->Release();
}

void TgrGridControl::SetHorzAlignment(TgrHorzAlignment value) { horzAlignment_ = value; }
void TgrGridControl::SetVertAlignment(TgrVertAlignment value) { vertAlignment_ = value; }
void TgrGridControl::SetWordWrap(TgrWordWrap value) { wordWrap_ = value; }

bool TgrGridControl::CanChange(bool byUser) {
    bool cancel = false;
    if (OnCanChange) OnCanChange(this, byUser, cancel);
    return !cancel;
}

bool TgrGridControl::CanEdit(bool byKey) {
    if (byKey && !AllowEdit) return false;
    bool cancel = false;
    if (OnCanEdit) OnCanEdit(this, cancel);
    if (cancel) return false;
    return CanChange(true);
}

bool TgrGridControl::WantsKey(Word16 key) const {
    bool want = false;
    if (OnWantKey) OnWantKey(const_cast<TgrGridControl*>(this), key, want);
    return want;
}

unsigned TgrGridControl::DialogCode(Word16 keyDown, TShiftState shift) const {
    unsigned code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if (WantTabs && !shift.Contains(ssCtrl)) code |= DLGC_WANTTAB;
    if (keyDown == VK_ESCAPE && WantsKey(VK_ESCAPE)) code |= DLGC_WANTALLKEYS;
    if (keyDown == VK_RETURN) code |= DLGC_WANTALLKEYS;
    return code;
}

void TgrGridControl::SetFocus() {
    if (Focused()) return;
    TWinControl::SetFocus();
    // The form keeps the grid as its focused control.
    if (TCustomForm* form = GetParentForm(this); form && grid_) form->SetActiveControl(grid_);
}

bool TgrGridControl::HasFocusOrGridHas() const { return Focused() || (grid_ && grid_->Focused()); }

bool TgrGridControl::WidgetEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::FocusIn: {
            bool r = TCustomControl::WidgetEvent(event);
            DispatchGuarded([this] { FocusReceived(); });
            return r;
        }
        case QEvent::FocusOut: {
            bool r = TCustomControl::WidgetEvent(event);
            DispatchGuarded([this] { FocusLost(); });
            return r;
        }
        default: return TCustomControl::WidgetEvent(event);
    }
}

void TgrGridControl::FocusReceived() {
    // The form keeps the grid as its focused control.
    if (TCustomForm* form = GetParentForm(this); form && grid_) form->SetActiveControl(grid_);
}

void TgrGridControl::FocusLost() {
    if (!grid_ && !OnKillFocus) return;
    if (OnKillFocus) OnKillFocus(this);
}

void TgrGridControl::SetVisible(bool v) {
    if (v == Visible()) return;
    TCustomControl::SetVisible(v);
}

void TgrGridControl::SetBounds(int left, int top, int width, int height) {
    // A moved window forgets the last press (no double click across moves).
    if (left != Left() || top != Top()) GridLastPress().Time = 0;
    TCustomControl::SetBounds(left, top, width, height);
}

void TgrGridControl::ApplyFont() {
    TCustomControl::ApplyFont();
    Invalidate();
}

void TgrGridControl::Paint() {
    TgrMemoryCanvas* mem = InCellMemoryCanvas();
    TCanvas* screen = Canvas();
    TRect clip = screen->ClipRect();
    if (clip.IsEmpty()) clip = ClientRect();
    mem->Lock(this);
    struct Unlock {
        TgrMemoryCanvas* m;
        ~Unlock() { m->Unlock(); }
    } unlock{mem};
    mem->UseFor(screen, Width(), Height(), canvasInUse_);
    TCanvas* c = mem->MemDC();
    if (!c) return;
    c->ResetClip();
    c->SetClipRect(clip);
    c->Font()->Assign(*Font());
    PaintWindow(c);
    c->ResetClip();
    TCopyMode mode = screen->CopyMode();
    screen->SetCopyMode(cmSrcCopy);
    screen->CopyRect(clip, c, clip);
    screen->SetCopyMode(mode);
}

void TgrGridControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (button != mbLeft) {
        TCustomControl::MouseDown(button, shift, x, y);
        return;
    }
    TgrLastPress& last = GridLastPress();
    TPoint screenPos = ClientToScreen(TPoint(x, y));
    if (shift.Contains(ssDouble)) {
        // The platform's double-click message: a double click when this
        // window's first press was a candidate, else an ordinary press.
        last.Time = 0;
        if (candidate_) {
            candidate_ = false;
            LeftDoubleClick(shift, x, y);
        } else {
            shift.Exclude(ssDouble);
            LeftButtonDown(shift, x, y);
        }
        return;
    }
    candidate_ = (AllowEdit || AllowSelect) && AllowDblClick && shift.Contains(ssLeft);
    if (candidate_) {
        UInt64 now = CurrentClock().TickMs();
        if (last.Time != 0 && last.LeftInKeys && now >= last.Time && now - last.Time <= GetDoubleClickTime() &&
            last.Pos == screenPos) {
            // The second press of a double click that began elsewhere (on
            // the grid): handled here as the double click.
            last.Time = 0;
            candidate_ = false;
            shift.Include(ssDouble);
            LeftDoubleClick(shift, x, y);
            DblClick();
            return;
        }
    }
    last.LeftInKeys = shift.Contains(ssLeft);
    last.Time = CurrentClock().TickMs();
    last.Pos = screenPos;
    LeftButtonDown(shift, x, y);
}

void TgrGridControl::LeftButtonDown(TShiftState shift, int x, int y) {
    mouseDown_ = true;
    TCustomControl::MouseDown(mbLeft, shift, x, y);
}

void TgrGridControl::LeftDoubleClick(TShiftState shift, int x, int y) {
    mouseDown_ = true;
    TCustomControl::MouseDown(mbLeft, shift, x, y);
}

void TgrGridControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    if (button == mbLeft && (mouseDown_ || Focused())) clickPending_ = true;
    TCustomControl::MouseUp(button, shift, x, y);
    if (button == mbLeft) {
        bool click = clickPending_;
        clickPending_ = false;
        mouseDown_ = false;
        if (click) Click();
    }
}

void TgrGridControl::MouseMove(TShiftState shift, int x, int y) { TCustomControl::MouseMove(shift, x, y); }

bool TgrGridControl::DoKeyDown(Word16& key, TShiftState shift) { return TCustomControl::DoKeyDown(key, shift); }
bool TgrGridControl::DoKeyPress(char& key) { return TCustomControl::DoKeyPress(key); }
void TgrGridControl::DoKeyUp(Word16& key, TShiftState shift) { TCustomControl::DoKeyUp(key, shift); }
