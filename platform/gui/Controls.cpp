#include "platform/gui/Controls.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cstring>
#include <cstdio>

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"

// ------------------------------------------------------------- exceptions

namespace {
std::function<void(std::exception_ptr)>& GuiExceptionHandler() {
    static std::function<void(std::exception_ptr)> handler;
    return handler;
}
}  // namespace

void SetGuiExceptionHandler(std::function<void(std::exception_ptr)> handler) {
    GuiExceptionHandler() = std::move(handler);
}

void DispatchGuarded(const std::function<void()>& fn) {
    try {
        fn();
    } catch (...) {
        auto& h = GuiExceptionHandler();
        if (h) {
            try {
                h(std::current_exception());
            } catch (...) {
                std::fprintf(stderr, "Exception in the exception handler\n");
            }
        } else {
            try {
                throw;
            } catch (const std::exception& e) {
                std::fprintf(stderr, "Unhandled exception: %s\n", e.what());
            } catch (...) {
                std::fprintf(stderr, "Unhandled exception\n");
            }
        }
    }
}

std::string StripHotkey(const std::string& caption) {
    std::string out;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&') {
            if (i + 1 < caption.size() && caption[i + 1] == '&') {
                out += '&';
                ++i;
            }
            continue;
        }
        out += caption[i];
    }
    return out;
}

// ------------------------------------------------------------ translation

bool HeadlessPlatform() {
    QString p = QGuiApplication::platformName();
    return p == "offscreen" || p == "minimal";
}

Qt::CursorShape QtCursorShape(TCursor c) {
    switch (c) {
        case crNone: return Qt::BlankCursor;
        case crCross: return Qt::CrossCursor;
        case crIBeam: return Qt::IBeamCursor;
        case crSizeNESW: return Qt::SizeBDiagCursor;
        case crSizeNS: return Qt::SizeVerCursor;
        case crSizeNWSE: return Qt::SizeFDiagCursor;
        case crSizeWE: return Qt::SizeHorCursor;
        case crUpArrow: return Qt::UpArrowCursor;
        case crHourGlass:
        case crSQLWait: return Qt::WaitCursor;
        case crDrag:
        case crMultiDrag: return Qt::DragCopyCursor;
        case crNoDrop:
        case crNo: return Qt::ForbiddenCursor;
        case crHSplit: return Qt::SplitHCursor;
        case crVSplit: return Qt::SplitVCursor;
        case crAppStart: return Qt::BusyCursor;
        case crHelp: return Qt::WhatsThisCursor;
        case crHandPoint: return Qt::PointingHandCursor;
        case crSizeAll: return Qt::SizeAllCursor;
        default: return Qt::ArrowCursor;
    }
}

TShiftState ShiftFromQt(Qt::KeyboardModifiers m, Qt::MouseButtons b) {
    TShiftState s;
    if (m & Qt::ShiftModifier) s.Include(ssShift);
    if (m & Qt::ControlModifier) s.Include(ssCtrl);
    if (m & Qt::AltModifier) s.Include(ssAlt);
    if (b & Qt::LeftButton) s.Include(ssLeft);
    if (b & Qt::RightButton) s.Include(ssRight);
    if (b & Qt::MiddleButton) s.Include(ssMiddle);
    return s;
}

Word16 VirtualKeyFromQt(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return Word16(key);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return Word16(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return Word16(VK_F1 + (key - Qt::Key_F1));
    switch (key) {
        case Qt::Key_Backspace: return VK_BACK;
        case Qt::Key_Tab:
        case Qt::Key_Backtab: return VK_TAB;
        case Qt::Key_Return:
        case Qt::Key_Enter: return VK_RETURN;
        case Qt::Key_Shift: return VK_SHIFT;
        case Qt::Key_Control: return VK_CONTROL;
        case Qt::Key_Alt: return VK_MENU;
        case Qt::Key_Escape: return VK_ESCAPE;
        case Qt::Key_Space: return VK_SPACE;
        case Qt::Key_PageUp: return VK_PRIOR;
        case Qt::Key_PageDown: return VK_NEXT;
        case Qt::Key_End: return VK_END;
        case Qt::Key_Home: return VK_HOME;
        case Qt::Key_Left: return VK_LEFT;
        case Qt::Key_Up: return VK_UP;
        case Qt::Key_Right: return VK_RIGHT;
        case Qt::Key_Down: return VK_DOWN;
        case Qt::Key_Insert: return VK_INSERT;
        case Qt::Key_Delete: return VK_DELETE;
        default: return Word16(key & 0xFFFF);
    }
}

namespace {
int g_syntheticKey = 0;
}  // namespace

bool SyntheticKey() { return g_syntheticKey > 0; }
SyntheticKeyScope::SyntheticKeyScope() { ++g_syntheticKey; }
SyntheticKeyScope::~SyntheticKeyScope() { --g_syntheticKey; }

namespace {
TMouseButton ButtonFromQt(Qt::MouseButton b) {
    if (b == Qt::RightButton) return mbRight;
    if (b == Qt::MiddleButton) return mbMiddle;
    return mbLeft;
}
}  // namespace

// ---------------------------------------------------------------- filter

class TControl::EventFilter : public QObject {
public:
    explicit EventFilter(TControl* o) : owner(o) {}
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (!owner || obj != owner->widget_.data()) return false;
        bool consumed = false;
        TControl* o = owner;
        DispatchGuarded([&] { consumed = o->WidgetEvent(e); });
        return consumed;
    }
    TControl* owner;
};

// --------------------------------------------------------------- TControl

TControl::TControl(TComponent* owner) : TComponent(owner) {
    font_.OnChange = [this](TGraphicsObject*) {
        if (!syncingFont_) parentFont_ = false;
        ApplyFont();
    };
}

TControl::~TControl() {
    if (MouseCapture()) SetMouseCapture(false);
    if (filter_) filter_->owner = nullptr;
    if (parent_) parent_->RemoveControl(this);
    parent_ = nullptr;
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    delete widget_.data();
}

void TControl::SetWidget(QWidget* w) {
    widget_ = w;
    filter_ = new EventFilter(this);
    filter_->setParent(w);
    w->installEventFilter(filter_);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    left_ = 0;
    top_ = 0;
    w->resize(std::max(1, width_), std::max(1, height_));
    ApplyFont();
}

void TControl::SetParent(TWinControl* parent) {
    if (parent == parent_) return;
    if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
    if (parent_) parent_->RemoveControl(this);
    parent_ = parent;
    if (!widget_) return;
    if (parent_) {
        parent_->InsertControl(this);
        widget_->setParent(parent_->ContainerWidget());
        widget_->setGeometry(left_, top_, std::max(0, width_), std::max(0, height_));
        ParentFontChanged();
        if (parentColor_) ParentColorChanged();
        widget_->setVisible(visible_);
        if (align_ != alNone) parent_->AlignControls();
        parent_->ChildBoundsChanged(this);
    } else {
        widget_->setParent(nullptr);
        widget_->hide();
    }
}

void TControl::SetBounds(int left, int top, int width, int height) {
    width = std::max(0, width);
    height = std::max(0, height);
    bool moved = left != left_ || top != top_;
    bool sized = width != width_ || height != height_;
    if (!moved && !sized) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (widget_ && !applyingBounds_) {
        applyingBounds_ = true;
        widget_->setGeometry(left_, top_, width_, height_);
        applyingBounds_ = false;
    }
    BoundsChanged();
    if (parent_ && !parent_->anchoring_) TakeAnchorGaps();
    if (parent_ && align_ != alNone) parent_->AlignControls();
    if (parent_) parent_->ChildBoundsChanged(this);
    if (sized && OnResize) OnResize(this);
}

void TControl::SetAnchors(TAnchors a) {
    anchors_ = a;
    TakeAnchorGaps();
}

void TControl::TakeAnchorGaps() {
    if (!parent_) return;
    rightGap_ = parent_->ClientWidth() - (left_ + width_);
    bottomGap_ = parent_->ClientHeight() - (top_ + height_);
}

TPoint TControl::ClientToScreen(TPoint p) const {
    if (!widget_) return p;
    QPoint g = widget_->mapToGlobal(QPoint(p.X, p.Y));
    return {g.x(), g.y()};
}

TPoint TControl::ScreenToClient(TPoint p) const {
    if (!widget_) return p;
    QPoint l = widget_->mapFromGlobal(QPoint(p.X, p.Y));
    return {l.x(), l.y()};
}

void TControl::SetAlign(TAlign a) {
    if (a == align_) return;
    align_ = a;
    if (parent_) parent_->AlignControls();
}

void TControl::SetVisible(bool v) {
    visible_ = v;
    if (widget_ && (parent_ || !v)) widget_->setVisible(v);
    if (parent_ && align_ != alNone) parent_->AlignControls();
}

bool TControl::Showing() const { return widget_ && widget_->isVisible(); }

void TControl::SetEnabled(bool e) {
    enabled_ = e;
    if (widget_) widget_->setEnabled(e);
}

void TControl::SetCaption(const std::string& c) {
    if (c == caption_) return;
    caption_ = c;
    CaptionChanged();
}

void TControl::SetHint(const std::string& h) {
    hint_ = h;
    if (widget_) widget_->setToolTip(QString::fromStdString(h));
}

void TControl::SetParentFont(bool p) {
    parentFont_ = p;
    if (p) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    if (!parentFont_ || !parent_) return;
    syncingFont_ = true;
    font_.Assign(*parent_->Font());
    syncingFont_ = false;
}

void TControl::ChangeScale(int m, int d) {
    if (m == d || d == 0) return;
    ScaleBounds(m, d);
    ScaleFont(m, d);
}

void TControl::ScaleBounds(int m, int d) {
    SetBounds(MulDiv(left_, m, d), MulDiv(top_, m, d), MulDiv(width_, m, d), MulDiv(height_, m, d));
}

void TControl::ScaleFont(int m, int d) {
    // A control that follows its parent's font takes the parent's scaled one.
    if (parentFont_ && parent_) return;
    font_.SetSize(MulDiv(font_.Size(), m, d));
}

void TControl::ApplyFont() {
    if (!widget_) return;
    widget_->setFont(font_.ToQFont());
    // The font colour is the text colour of an enabled control only; a
    // disabled one keeps the palette's disabled (greyed) text colour.
    QPalette pal = widget_->palette();
    QColor c = ToQColor(font_.Color());
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::WindowText, c);
        pal.setColor(group, QPalette::Text, c);
        pal.setColor(group, QPalette::ButtonText, c);
    }
    widget_->setPalette(pal);
}

void TControl::SetColor(TColor c) {
    color_ = c;
    colorSet_ = true;
    parentColor_ = false;
    ApplyColor();
}

void TControl::SetParentColor(bool p) {
    parentColor_ = p;
    if (p) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    if (!parentColor_ || !parent_) return;
    color_ = parent_->Color();
    colorSet_ = true;
    ApplyColor();
}

void TControl::ApplyColor() {
    if (!widget_ || !colorSet_) return;
    QPalette pal = widget_->palette();
    pal.setColor(QPalette::Window, ToQColor(color_));
    pal.setColor(QPalette::Base, ToQColor(color_));
    widget_->setPalette(pal);
    widget_->setAutoFillBackground(true);
}

void TControl::SetCursor(TCursor c) {
    cursor_ = c;
    ShowCursorNow(c);
}

void TControl::ShowCursorNow(TCursor c) {
    if (!widget_) return;
    if (c == crDefault) {
        if (widget_->testAttribute(Qt::WA_SetCursor)) widget_->unsetCursor();
    } else {
        QCursor wanted = QtCursor(c);
        if (!widget_->testAttribute(Qt::WA_SetCursor) || widget_->cursor() != wanted) widget_->setCursor(wanted);
    }
}

void TControl::AskCursor(int x, int y) {
    // While a control holds the capture its operation owns the cursor, as
    // does a screen-wide cursor.
    if (GetCaptureControl() || (Screen && Screen->Cursor() != crDefault)) return;
    TCursor c = cursor_;
    if (!CursorRequest(x, y, c)) c = cursor_;
    ShowCursorNow(c);
}

void TControl::SetPointerTracking(bool on) {
    if (widget_) widget_->setMouseTracking(on);
}

void TControl::SetPopupMenu(TPopupMenu* m) {
    if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
    popupMenu_ = m;
    if (m) m->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TControl::Invalidate() {
    if (widget_) widget_->update();
}

void TControl::Repaint() {
    if (widget_) widget_->repaint();
}

void TControl::Update() {
    if (widget_) widget_->repaint();
}

void TControl::BringToFront() {
    if (widget_ && !(widget_->isWindow() && HeadlessPlatform())) widget_->raise();
}

void TControl::SendToBack() {
    if (widget_) widget_->lower();
}

void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
    if (OnMouseDown) OnMouseDown(this, b, s, x, y);
}

void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
    if (OnMouseUp) OnMouseUp(this, b, s, x, y);
}

void TControl::MouseMove(TShiftState s, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, s, x, y);
}

bool TControl::WidgetEvent(QEvent* e) {
    switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* me = static_cast<QMouseEvent*>(e);
            TShiftState s = ShiftFromQt(me->modifiers(), me->buttons());
            if (e->type() == QEvent::MouseButtonDblClick) s.Include(ssDouble);
            QPoint p = me->position().toPoint();
            AskCursor(p.x(), p.y());
            MouseDown(ButtonFromQt(me->button()), s, p.x(), p.y());
            if (e->type() == QEvent::MouseButtonDblClick) DblClick();
            return false;
        }
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(e);
            QPoint p = me->position().toPoint();
            MouseUp(ButtonFromQt(me->button()), ShiftFromQt(me->modifiers(), me->buttons()), p.x(), p.y());
            return false;
        }
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(e);
            QPoint p = me->position().toPoint();
            AskCursor(p.x(), p.y());
            MouseMove(ShiftFromQt(me->modifiers(), me->buttons()), p.x(), p.y());
            return false;
        }
        case QEvent::ContextMenu:
            if (popupMenu_) {
                auto* ce = static_cast<QContextMenuEvent*>(e);
                popupMenu_->SetPopupComponent(this);
                popupMenu_->Popup(ce->globalPos().x(), ce->globalPos().y());
                return true;
            }
            return false;
        case QEvent::Resize:
        case QEvent::Move:
            // Size changes made by Qt (layouts, the user resizing a window).
            if (!applyingBounds_ && widget_ && !widget_->isWindow()) {
                QRect g = widget_->geometry();
                if (g.x() != left_ || g.y() != top_ || g.width() != width_ || g.height() != height_) {
                    applyingBounds_ = true;
                    SetBounds(g.x(), g.y(), g.width(), g.height());
                    applyingBounds_ = false;
                }
            }
            return false;
        default: return false;
    }
}

// ------------------------------------------------------------ TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
    // Children keep their widgets (their owners free them later).
    for (TControl* c : controls_) {
        c->parent_ = nullptr;
        if (c->widget_) {
            c->widget_->hide();
            c->widget_->setParent(nullptr);
        }
    }
    controls_.clear();
}

void TWinControl::InsertControl(TControl* c) {
    if (std::find(controls_.begin(), controls_.end(), c) == controls_.end()) controls_.push_back(c);
}

void TWinControl::RemoveControl(TControl* c) {
    controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
}

void TWinControl::SetFocus() {
    if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    if (widget_) {
        widget_->setFocus(Qt::OtherFocusReason);
        // In an active window the control that had the focus may have
        // taken it back (its exit handler refocusing itself); then this
        // control did not become the active one.
        if (widget_->isActiveWindow() && !widget_->hasFocus()) return;
        if (auto* form = GetParentForm(this)) form->SetActiveControl(this);
    }
}

bool TWinControl::Focused() const { return widget_ && widget_->hasFocus(); }

bool TWinControl::CanFocus() const {
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

void TWinControl::SetTabStop(bool t) {
    tabStop_ = t;
    if (widget_) widget_->setFocusPolicy(t ? Qt::StrongFocus : Qt::NoFocus);
}

void TWinControl::BoundsChanged() { AlignControls(); }

void TWinControl::AlignControls() {
    TRect r = ClientRect();
    auto visibleAligned = [&](TAlign a) {
        std::vector<TControl*> list;
        for (TControl* c : controls_)
            if (c->Align() == a && c->Visible()) list.push_back(c);
        return list;
    };
    auto byTop = [](TControl* a, TControl* b) { return a->Top() < b->Top(); };
    auto byLeft = [](TControl* a, TControl* b) { return a->Left() < b->Left(); };
    auto tops = visibleAligned(alTop);
    std::stable_sort(tops.begin(), tops.end(), byTop);
    for (TControl* c : tops) {
        c->SetBounds(r.Left, r.Top, r.Width(), c->Height());
        r.Top += c->Height();
    }
    auto bottoms = visibleAligned(alBottom);
    std::stable_sort(bottoms.begin(), bottoms.end(), [&](TControl* a, TControl* b) { return byTop(b, a); });
    for (TControl* c : bottoms) {
        r.Bottom -= c->Height();
        c->SetBounds(r.Left, r.Bottom, r.Width(), c->Height());
    }
    auto lefts = visibleAligned(alLeft);
    std::stable_sort(lefts.begin(), lefts.end(), byLeft);
    for (TControl* c : lefts) {
        c->SetBounds(r.Left, r.Top, c->Width(), std::max(0, r.Height()));
        r.Left += c->Width();
    }
    auto rights = visibleAligned(alRight);
    std::stable_sort(rights.begin(), rights.end(), [&](TControl* a, TControl* b) { return byLeft(b, a); });
    for (TControl* c : rights) {
        r.Right -= c->Width();
        c->SetBounds(r.Right, r.Top, c->Width(), std::max(0, r.Height()));
    }
    for (TControl* c : visibleAligned(alClient))
        c->SetBounds(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));

    const int w = ClientWidth(), h = ClientHeight();
    struct Anchoring {
        bool& flag;
        explicit Anchoring(bool& f) : flag(f) { flag = true; }
        ~Anchoring() { flag = false; }
    } anchoring(anchoring_);
    for (TControl* c : controls_) {
        if (c->Align() != alNone || !(c->Anchors() & (akRight | akBottom))) continue;
        int left = c->Left(), top = c->Top(), width = c->Width(), height = c->Height();
        if (c->Anchors() & akRight) {
            if (c->Anchors() & akLeft)
                width = std::max(0, w - c->rightGap_ - left);
            else
                left = w - c->rightGap_ - width;
        }
        if (c->Anchors() & akBottom) {
            if (c->Anchors() & akTop)
                height = std::max(0, h - c->bottomGap_ - top);
            else
                top = h - c->bottomGap_ - height;
        }
        c->SetBounds(left, top, width, height);
    }
}

void TWinControl::ApplyFont() {
    TControl::ApplyFont();
    for (TControl* c : controls_) c->ParentFontChanged();
}

void TWinControl::ChangeScale(int m, int d) {
    if (m == d || d == 0) return;
    std::vector<TControl*> children = controls_;
    std::vector<TRect> before;
    for (TControl* c : children) before.push_back(c->BoundsRect());
    TControl::ChangeScale(m, d);
    // Growing this control moved its anchored children already; each is
    // scaled from where it was, its distances to the edges taken anew.
    for (std::size_t i = 0; i < children.size(); ++i) {
        const TRect& r = before[i];
        children[i]->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
        children[i]->ChangeScale(m, d);
    }
    AlignControls();
}

void TWinControl::ApplyColor() {
    TControl::ApplyColor();
    for (TControl* c : controls_) c->ParentColorChanged();
}

bool TWinControl::DoKeyDown(Word16& key, TShiftState shift) {
    KeyDown(key, shift);
    return key == 0;
}

bool TWinControl::DoKeyPress(char& key) {
    KeyPress(key);
    return key == 0;
}

void TWinControl::DoKeyUp(Word16& key, TShiftState shift) { KeyUp(key, shift); }

void TWinControl::KeyDown(Word16& key, TShiftState shift) {
    if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
    if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::KeyUp(Word16& key, TShiftState shift) {
    if (OnKeyUp) OnKeyUp(this, key, shift);
}

bool TWinControl::WidgetEvent(QEvent* e) {
    switch (e->type()) {
        case QEvent::KeyPress: {
            auto* ke = static_cast<QKeyEvent*>(e);
            if (SyntheticKey()) return false;
            Word16 key = VirtualKeyFromQt(ke->key());
            TShiftState shift = ShiftFromQt(ke->modifiers(), Qt::NoButton);
            TCustomForm* form = GetParentForm(this);
            if (form && form != this && form->KeyPreview() &&
                static_cast<TWinControl*>(form)->DoKeyDown(key, shift)) return true;
            if (DoKeyDown(key, shift)) return true;
            QString text = ke->text();
            if (!text.isEmpty() && text[0].unicode() < 256 && text[0].unicode() != 0x7F) {
                char ch = char(text[0].unicode());
                char original = ch;
                if (form && form != this && form->KeyPreview() &&
                    static_cast<TWinControl*>(form)->DoKeyPress(ch)) return true;
                if (DoKeyPress(ch)) return true;
                if (ch != original) {
                    // A handler replaced the character: type the new one instead.
                    QKeyEvent replaced(QEvent::KeyPress, 0, ke->modifiers(), QString(QChar(uchar(ch))));
                    SyntheticKeyScope scope;
                    QApplication::sendEvent(widget_, &replaced);
                    return true;
                }
            }
            if ((key == VK_RETURN || key == VK_ESCAPE) && !WantsKey(key) && form && form->DialogKey(key))
                return true;
            return false;
        }
        case QEvent::KeyRelease: {
            auto* ke = static_cast<QKeyEvent*>(e);
            Word16 key = VirtualKeyFromQt(ke->key());
            DoKeyUp(key, ShiftFromQt(ke->modifiers(), Qt::NoButton));
            return false;
        }
        case QEvent::FocusIn:
            if (auto* form = GetParentForm(this)) form->SetActiveControl(this);
            if (OnEnter) OnEnter(this);
            return false;
        case QEvent::FocusOut:
            if (OnExit) OnExit(this);
            return false;
        default: return TControl::WidgetEvent(e);
    }
}

// --------------------------------------------------------- TCustomControl

class SurfaceWidget : public QWidget {
public:
    explicit SurfaceWidget(TCustomControl* o) : owner(o) { setAttribute(Qt::WA_OpaquePaintEvent); }
    void paintEvent(QPaintEvent* e) override {
        if (owner) DispatchGuarded([&] { owner->PaintToScreen(this, e->region()); });
    }
    TCustomControl* owner;
};

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), alive_(std::make_shared<bool>(true)) {
    SetWidget(new SurfaceWidget(this));
    canvas_.SetSurface(&surface_);
    canvas_.OnChange = [this](TCanvas*) {
        if (widget_) widget_->update();
    };
}

TCustomControl::~TCustomControl() {
    *alive_ = false;
    if (auto* w = dynamic_cast<SurfaceWidget*>(widget_.data())) w->owner = nullptr;
}

void TCustomControl::BoundsChanged() {
    if (surface_.width() != width_ || surface_.height() != height_) {
        QImage next;
        if (width_ > 0 && height_ > 0) {
            next = QImage(width_, height_, QImage::Format_RGB32);
            next.fill(ToQColor(color_));
        }
        surface_ = next;
        canvas_.SetSurface(&surface_);
        invalid_ = QRegion(0, 0, width_, height_);
        ScheduleFlush();
    }
    TWinControl::BoundsChanged();
}

void TCustomControl::Invalidate() { InvalidateRect(ClientRect()); }

void TCustomControl::InvalidateRect(const TRect& r) {
    if (r.IsEmpty()) return;
    invalid_ += QRect(r.Left, r.Top, r.Width(), r.Height());
    invalid_ &= QRect(0, 0, width_, height_);
    ScheduleFlush();
}

TRect TCustomControl::InvalidBounds() const {
    QRect b = invalid_.boundingRect();
    return Bounds(b.x(), b.y(), b.width(), b.height());
}

void TCustomControl::ScheduleFlush() {
    if (flushScheduled_ || !widget_) return;
    flushScheduled_ = true;
    std::weak_ptr<bool> alive = alive_;
    QMetaObject::invokeMethod(
        widget_.data(),
        [this, alive] {
            auto a = alive.lock();
            if (!a || !*a) return;
            flushScheduled_ = false;
            DispatchGuarded([this] { Update(); });
        },
        Qt::QueuedConnection);
}

void TCustomControl::Update() {
    if (invalid_.isEmpty() || surface_.isNull()) {
        invalid_ = QRegion();
        return;
    }
    QRect b = invalid_.boundingRect();
    invalid_ = QRegion();
    TRect clip = Bounds(b.x(), b.y(), b.width(), b.height());
    auto onChange = std::move(canvas_.OnChange);
    canvas_.OnChange = nullptr;
    canvas_.SetClipRect(clip);
    try {
        Paint();
    } catch (...) {
        canvas_.ResetClip();
        canvas_.OnChange = std::move(onChange);
        throw;
    }
    canvas_.ResetClip();
    canvas_.OnChange = std::move(onChange);
    if (widget_) widget_->update(b);
}

void TCustomControl::Repaint() {
    Invalidate();
    Update();
}

void TCustomControl::Paint() {
    canvas_.Brush()->SetColor(color_);
    canvas_.FillRect(ClientRect());
    if (OnPaint) OnPaint(this);
}

void TCustomControl::PaintToScreen(QWidget* w, const QRegion& region) {
    if (!invalid_.isEmpty()) Update();
    QPainter p(w);
    for (const QRect& r : region) p.drawImage(r.topLeft(), surface_, r);
}

bool TCustomControl::WidgetEvent(QEvent* e) { return TWinControl::WidgetEvent(e); }

bool TCustomControl::IsInvalid(int x, int y) const { return invalid_.contains(QPoint(x, y)); }

void TCustomControl::ValidateRect(const TRect& r) {
    if (r.IsEmpty()) return;
    invalid_ -= QRect(r.Left, r.Top, r.Width(), r.Height());
}

void TCustomControl::ScrollWindow(int dx, int dy, const TRect& scroll, const TRect& clip) {
    QRect area = QRect(scroll.Left, scroll.Top, scroll.Width(), scroll.Height()) &
                 QRect(clip.Left, clip.Top, clip.Width(), clip.Height()) & QRect(0, 0, width_, height_);
    if (area.isEmpty() || (dx == 0 && dy == 0)) return;
    if (!surface_.isNull() && dx == 0 && std::abs(dy) < area.height() && surface_.depth() == 32) {
        // A vertical scroll moves whole scan-line pieces in place.
        int rows = area.height() - std::abs(dy);
        std::size_t bytes = std::size_t(area.width()) * 4;
        auto line = [&](int y) { return surface_.scanLine(y) + std::size_t(area.left()) * 4; };
        if (dy < 0) {
            for (int i = 0; i < rows; ++i) std::memmove(line(area.top() + i), line(area.top() + i - dy), bytes);
        } else {
            for (int i = rows - 1; i >= 0; --i) std::memmove(line(area.top() + i + dy), line(area.top() + i), bytes);
        }
    } else if (!surface_.isNull()) {
        QImage copy = surface_.copy(area);
        QRect dest = area.translated(dx, dy) & area;
        QRect src = dest.translated(-dx, -dy);
        QPainter p(&surface_);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(dest.topLeft(), copy, src.translated(-area.topLeft()));
    }
    QRegion moved = QRegion(area.translated(dx, dy)) & area;
    QRegion pending = (invalid_ & area).translated(dx, dy) & area;
    invalid_ += QRegion(area) - moved;
    invalid_ += pending;
    ScheduleFlush();
}

void TCustomControl::SetScrollRange(TScrollBarKind bar, int min, int max) {
    ScrollBarState& b = bars_[bar];
    b.Min = min;
    b.Max = max;
    b.Pos = std::clamp(b.Pos, min, std::max(min, max));
    ShowScrollBar(bar, max > min);
}

TCustomControl::TScrollInfo TCustomControl::GetScrollInfo(TScrollBarKind bar) const {
    const ScrollBarState& b = bars_[bar];
    return {b.Min, b.Max, b.Page, b.Pos, b.Pos};
}

void TCustomControl::SetScrollInfo(TScrollBarKind bar, const TScrollInfo& info) {
    ScrollBarState& b = bars_[bar];
    b.Min = info.Min;
    b.Max = info.Max;
    b.Page = std::max(0, info.Page);
    b.Pos = std::clamp(info.Pos, info.Min, std::max(info.Min, info.Max));
}

void TCustomControl::ShowScrollBar(TScrollBarKind bar, bool show) {
    ScrollBarState& b = bars_[bar];
    if (b.Shown == show) return;
    b.Shown = show;
    Invalidate();  // the client area changed size
}

void TCustomControl::GetScrollRange(TScrollBarKind bar, int& min, int& max) const {
    min = bars_[bar].Min;
    max = bars_[bar].Max;
}

void TCustomControl::SetScrollPos(TScrollBarKind bar, int pos) {
    ScrollBarState& b = bars_[bar];
    b.Pos = std::clamp(pos, b.Min, std::max(b.Min, b.Max));
}

int TCustomControl::GetScrollPos(TScrollBarKind bar) const { return bars_[bar].Pos; }

bool TCustomControl::ScrollBarShown(TScrollBarKind bar) const { return bars_[bar].Shown; }

int TCustomControl::ClientWidth() const {
    return std::max(0, width_ - (ScrollBarShown(sbVertical) ? ScrollBarThickness : 0));
}

int TCustomControl::ClientHeight() const {
    return std::max(0, height_ - (ScrollBarShown(sbHorizontal) ? ScrollBarThickness : 0));
}

namespace {
unsigned doubleClickTime = 500;
TControl* captureControl = nullptr;
}  // namespace

unsigned GetDoubleClickTime() { return doubleClickTime; }
void SetDoubleClickTime(unsigned ms) { doubleClickTime = ms; }
TControl* GetCaptureControl() { return captureControl; }

bool TControl::MouseCapture() const { return captureControl == this; }

void TControl::SetMouseCapture(bool capture) {
    if (capture) {
        if (captureControl == this) return;
        if (captureControl && captureControl->widget_) captureControl->widget_->releaseMouse();
        captureControl = this;
        if (widget_ && widget_->isVisible()) widget_->grabMouse();
    } else if (captureControl == this) {
        captureControl = nullptr;
        if (widget_) widget_->releaseMouse();
    }
}

TCustomForm* GetParentForm(TControl* control) {
    TControl* c = control;
    while (c && c->Parent()) c = c->Parent();
    return dynamic_cast<TCustomForm*>(c);
}
