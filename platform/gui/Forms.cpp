#include "platform/gui/Forms.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>

#include "platform/core/FileUtils.h"
#include "platform/core/Program.h"
#include "platform/core/Actions.h"
#include "platform/core/UiQueue.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Timers.h"

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen;

namespace {
// Actions without a handler go to the focused control, then to the
// controls around it, up to its form; without a focused control to the
// active form.
const bool g_actionTargets = [] {
    SetActionTargets([] {
        std::vector<TComponent*> targets;
        TWinControl* c = Screen->ActiveControl();
        for (; c; c = c->Parent()) targets.push_back(c);
        if (targets.empty())
            if (TCustomForm* f = Screen->ActiveForm()) targets.push_back(f);
        return targets;
    });
    return true;
}();
}  // namespace

// ------------------------------------------------------------------ forms

namespace {
class FormWidget : public QWidget {
public:
    FormWidget() : QWidget(nullptr, Qt::Window) {}
};
}  // namespace

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) {
    visible_ = false;
    colorSet_ = true;
    color_ = clBtnFace;
    SetWidget(new FormWidget);
    ApplyWindowFlags();
    ApplyColor();
    Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
    DoDestroy();
    if (visible_) {
        visible_ = false;
        if (widget_) widget_->hide();
        Screen->FormHidden(this);
    }
    Screen->RemoveForm(this);
    if (Application && Application->MainForm() == this) Application->SetMainForm(nullptr);
    Destroying();
    DestroyComponents();
}

void TCustomForm::DoCreate() {
    if (createdFired_) return;
    createdFired_ = true;
    if (OnCreate) OnCreate(this);
}

void TCustomForm::DoDestroy() {
    if (destroyedFired_) return;
    destroyedFired_ = true;
    if (OnDestroy) DispatchGuarded([this] { OnDestroy(this); });
}

int TCustomForm::FrameWidth() const {
    switch (borderStyle_) {
        case bsNone: return 0;
        case bsSizeable:
        case bsSizeToolWin: return 8;
        default: return 6;
    }
}

int TCustomForm::FrameHeight() const {
    switch (borderStyle_) {
        case bsNone: return 0;
        case bsSizeable: return 8 + 23;
        case bsToolWindow: return 6 + 17;
        case bsSizeToolWin: return 8 + 17;
        default: return 6 + 23;
    }
}

int TCustomForm::ClientWidth() const { return std::max(0, width_ - FrameWidth()); }
int TCustomForm::ClientHeight() const { return std::max(0, height_ - FrameHeight()); }
void TCustomForm::SetClientWidth(int w) { SetWidth(w + FrameWidth()); }
void TCustomForm::SetClientHeight(int h) { SetHeight(h + FrameHeight()); }

void TCustomForm::ScaleBounds(int m, int d) {
    SetClientWidth(MulDiv(ClientWidth(), m, d));
    SetClientHeight(MulDiv(ClientHeight(), m, d));
}

void TCustomForm::SetBounds(int left, int top, int width, int height) {
    width = std::max({0, width, constraints_.MinWidth});
    height = std::max({0, height, constraints_.MinHeight});
    bool sized = width != width_ || height != height_;
    if (!sized && left == left_ && top == top_) return;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    if (widget_ && !applyingBounds_) {
        applyingBounds_ = true;
        widget_->move(left_, top_);
        widget_->resize(std::max(1, ClientWidth()), std::max(1, ClientHeight()));
        if (borderStyle_ != bsSizeable && borderStyle_ != bsSizeToolWin)
            widget_->setFixedSize(std::max(1, ClientWidth()), std::max(1, ClientHeight()));
        applyingBounds_ = false;
    }
    AlignControls();
    if (sized && OnResize) OnResize(this);
}

void TCustomForm::ApplyWindowFlags() {
    if (!widget_) return;
    Qt::WindowFlags f;
    switch (borderStyle_) {
        case bsNone: f = Qt::Window | Qt::FramelessWindowHint; break;
        case bsDialog: f = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
        case bsToolWindow:
        case bsSizeToolWin: f = Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint; break;
        default: {
            f = Qt::Window | Qt::WindowTitleHint;
            if (borderIcons_ & biSystemMenu) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
            if (borderIcons_ & biMinimize) f |= Qt::WindowMinimizeButtonHint;
            if (borderIcons_ & biMaximize) f |= Qt::WindowMaximizeButtonHint;
        }
    }
    bool wasVisible = widget_->isVisible();
    widget_->setWindowFlags(f);
    if (borderStyle_ == bsSizeable || borderStyle_ == bsSizeToolWin) {
        widget_->setMinimumSize(std::max(0, constraints_.MinWidth - FrameWidth()),
                                std::max(0, constraints_.MinHeight - FrameHeight()));
        widget_->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else if (width_ > 0 && height_ > 0) {
        widget_->setFixedSize(std::max(1, ClientWidth()), std::max(1, ClientHeight()));
    }
    if (wasVisible) widget_->show();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle s) {
    if (s == borderStyle_) return;
    borderStyle_ = s;
    ApplyWindowFlags();
    // The outer size stays; the client area changes with the frame.
    if (widget_) {
        applyingBounds_ = true;
        widget_->resize(std::max(1, ClientWidth()), std::max(1, ClientHeight()));
        applyingBounds_ = false;
    }
    AlignControls();
}

void TCustomForm::SetConstraints(const TSizeConstraints& c) {
    constraints_ = c;
    ApplyWindowFlags();
    if (width_ < c.MinWidth || height_ < c.MinHeight)
        SetBounds(left_, top_, std::max(width_, c.MinWidth), std::max(height_, c.MinHeight));
}

void TCustomForm::SetBorderIcons(TBorderIcons i) {
    borderIcons_ = i;
    ApplyWindowFlags();
}

void TCustomForm::SetWindowState(TWindowState s) {
    windowState_ = s;
    if (!widget_) return;
    if (s == wsMaximized) widget_->setWindowState(Qt::WindowMaximized);
    else if (s == wsMinimized) widget_->setWindowState(Qt::WindowMinimized);
    else widget_->setWindowState(Qt::WindowNoState);
}

void TCustomForm::CaptionChanged() {
    if (widget_) widget_->setWindowTitle(QString::fromStdString(caption_));
}

void TCustomForm::SetActiveControl(TWinControl* c) {
    if (c == activeControl_) return;
    if (activeControl_) activeControl_->RemoveFreeNotification(this);
    activeControl_ = c;
    if (c) c->FreeNotification(this);
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == activeControl_) activeControl_ = nullptr;
}

void TCustomForm::PlaceOnScreen() {
    if (placed_) return;
    placed_ = true;
    TCustomForm* relative = nullptr;
    if (position_ == poMainFormCenter && Application) relative = Application->MainForm();
    if (position_ == poOwnerFormCenter) relative = dynamic_cast<TCustomForm*>(Owner());
    if (relative == this) relative = nullptr;
    if (position_ == poScreenCenter || position_ == poDesktopCenter ||
        ((position_ == poMainFormCenter || position_ == poOwnerFormCenter) && !relative)) {
        SetBounds((Screen->Width() - width_) / 2, (Screen->Height() - height_) / 2, width_, height_);
    } else if (relative) {
        SetBounds(relative->Left() + (relative->Width() - width_) / 2,
                  relative->Top() + (relative->Height() - height_) / 2, width_, height_);
    }
}

void TCustomForm::SetVisible(bool v) {
    if (v == visible_) {
        if (v && widget_ && !HeadlessPlatform()) widget_->raise();
        return;
    }
    if (v) {
        PlaceOnScreen();
        visible_ = true;
        // A failing OnShow still leaves the window on screen; its exception
        // goes to the caller once the window is shown and active.
        std::exception_ptr showError;
        try {
            DoShow();
        } catch (...) {
            showError = std::current_exception();
        }
        if (!visible_) {  // hidden again by OnShow
            if (showError) std::rethrow_exception(showError);
            return;
        }
        if (widget_) {
            widget_->move(left_, top_);
            widget_->show();
            if (!HeadlessPlatform()) {
                widget_->raise();
                widget_->activateWindow();
            }
        }
        Screen->FormShown(this);
        if (activeControl_ && activeControl_->CanFocus()) activeControl_->SetFocus();
        if (showError) std::rethrow_exception(showError);
    } else {
        visible_ = false;
        if (widget_) widget_->hide();
        DoHide();
        Screen->FormHidden(this);
    }
}

void TCustomForm::Show() {
    SetVisible(true);
}

void TCustomForm::DoShow() {
    if (OnShow) OnShow(this);
}

void TCustomForm::DoHide() {
    if (OnHide) OnHide(this);
}

void TCustomForm::DoClose(TCloseAction& action) {
    if (OnClose) OnClose(this, action);
}

void TCustomForm::Activate() {
    if (active_) return;
    active_ = true;
    if (OnActivate) OnActivate(this);
}

void TCustomForm::Deactivate() {
    if (!active_) return;
    active_ = false;
    if (OnDeactivate) OnDeactivate(this);
}

bool TCustomForm::Active() const { return active_; }

bool TCustomForm::CloseQuery() {
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    return canClose;
}

bool TCustomForm::CloseModal() {
    TCloseAction action = CloseQuery() ? caHide : caNone;
    DoClose(action);
    if (action == caNone) {
        modalResult_ = mrNone;
        return false;
    }
    return true;
}

int TCustomForm::ShowModal() {
    if (visible_ || modal_) throw EInvalidOperation("Cannot make a visible window modal");
    if (!Application) throw EInvalidOperation("No application");
    modal_ = true;
    modalResult_ = mrNone;
    TCursor savedCursor = Screen->Cursor();
    Screen->SetCursor(crDefault);
    if (widget_) widget_->setWindowModality(Qt::ApplicationModal);
    ++Application->modalLevel_;
    auto finish = [&] {
        --Application->modalLevel_;
        modal_ = false;
        if (widget_) {
            SetVisible(false);
            widget_->setWindowModality(Qt::NonModal);
        }
        Screen->SetCursor(savedCursor);
    };
    try {
        Show();
        while (true) {
            Application->HandleMessageGuarded();
            if (Application->Terminated()) {
                modalResult_ = mrCancel;
                break;
            }
            if (modalResult_ != mrNone && CloseModal()) break;
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
    return modalResult_;
}

void TCustomForm::Close() {
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery()) return;
    bool isMain = Application && Application->MainForm() == this;
    TCloseAction action = isMain ? caFree : caHide;
    DoClose(action);
    if (action == caNone) return;
    if (isMain) {
        Application->Terminate();
    } else if (action == caHide) {
        Hide();
    } else if (action == caMinimize) {
        SetWindowState(wsMinimized);
    } else {
        Release();
    }
}

void TCustomForm::Release() {
    Hide();
    QPointer<QWidget> w = widget_;
    TCustomForm* self = this;
    UiQueue::Post([w, self] {
        if (w) delete self;
    });
    if (auto* app = QCoreApplication::instance()) QMetaObject::invokeMethod(app, [] {}, Qt::QueuedConnection);
}

bool TCustomForm::DialogKey(Word16 key) {
    std::vector<TControl*> stack(controls_.rbegin(), controls_.rend());
    TButton* focused = dynamic_cast<TButton*>(activeControl_);
    if (key == VK_RETURN && focused && focused->Focused() && focused->CanFocus()) {
        focused->Click();
        return true;
    }
    while (!stack.empty()) {
        TControl* c = stack.back();
        stack.pop_back();
        if (!c->Visible() || !c->Enabled()) continue;
        if (auto* b = dynamic_cast<TButton*>(c)) {
            if ((key == VK_RETURN && b->Default()) || (key == VK_ESCAPE && b->Cancel())) {
                b->Click();
                return true;
            }
        }
        if (auto* wc = dynamic_cast<TWinControl*>(c))
            for (int i = wc->ControlCount() - 1; i >= 0; --i) stack.push_back(wc->Controls(i));
    }
    return false;
}

bool TCustomForm::WidgetEvent(QEvent* e) {
    switch (e->type()) {
        case QEvent::Close:
            e->ignore();
            Close();
            return true;
        case QEvent::Resize:
            if (!applyingBounds_ && widget_) {
                QSize s = widget_->size();
                int w = s.width() + FrameWidth(), h = s.height() + FrameHeight();
                if (w != width_ || h != height_) {
                    applyingBounds_ = true;
                    SetBounds(left_, top_, w, h);
                    applyingBounds_ = false;
                }
            }
            return false;
        case QEvent::Move:
            // Positions stay as the code set them (window managers shift
            // windows by their own frames).
            return false;
        default: return TWinControl::WidgetEvent(e);
    }
}

// ------------------------------------------------------------- scroll box

namespace {
class ScrollArea : public QScrollArea {
public:
    ScrollArea() {
        setFrameShape(QFrame::StyledPanel);
        setWidgetResizable(false);
        auto* inner = new QWidget;
        inner->resize(1, 1);
        setWidget(inner);
    }
};
}  // namespace

TScrollBox::TScrollBox(TComponent* owner) : TWinControl(owner) {
    auto* area = new ScrollArea;
    inner_ = area->widget();
    SetWidget(area);
    SetBounds(0, 0, 185, 41);
}

QWidget* TScrollBox::ContainerWidget() const { return inner_; }

void TScrollBox::SetScrollAreaSize(int width, int height) {
    // The room inside the frame, worked out from the box's own size: the
    // viewport keeps an old size until Qt lays the box out again (a box on
    // a page not shown yet has never been laid out). A bar needed in one
    // direction takes room from the other.
    auto* area = static_cast<QScrollArea*>(widget_.data());
    QSize view = area->maximumViewportSize();
    const int bar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
    bool needH = width > view.width(), needV = height > view.height();
    if (needH && !needV) needV = height > view.height() - bar;
    if (needV && !needH) needH = width > view.width() - bar;
    if (needV) view.rwidth() -= bar;
    if (needH) view.rheight() -= bar;
    inner_->resize(std::max(width, view.width()), std::max(height, view.height()));
}

void TScrollBox::BoundsChanged() {
    TWinControl::BoundsChanged();
    ChildBoundsChanged(nullptr);
}

void TScrollBox::ChildBoundsChanged(TControl*) {
    int w = 0, h = 0;
    for (TControl* c : controls_) {
        if (!c->Visible()) continue;
        w = std::max(w, c->Left() + c->Width());
        h = std::max(h, c->Top() + c->Height());
    }
    SetScrollAreaSize(w, h);
}

void TScrollBox::ScrollInView(TControl* control) {
    if (!control || !control->Widget()) return;
    static_cast<QScrollArea*>(widget_.data())->ensureWidgetVisible(control->Widget());
}

// ------------------------------------------------------------ application

namespace {

// While set, the queue is left for later (the windows are being painted
// before a prompt, and no queued call may run inside that).
bool g_drainHeld = false;
bool g_drainSkipped = false;

// Drains the UI call queue; an exception from one callback is shown and the
// rest run on.
int DrainUiQueue() {
    if (!UiQueue::IsUiThread()) return 0;
    if (g_drainHeld) {
        g_drainSkipped = true;
        return 0;
    }
    int ran = 0;
    for (int attempts = 0; attempts < 100; ++attempts) {
        try {
            ran += UiQueue::ProcessPending();
            return ran;
        } catch (...) {
            ++ran;
            if (Application) Application->HandleException(std::current_exception());
        }
    }
    return ran;
}

}  // namespace

void PaintShownForms() {
    if (!QCoreApplication::instance() || !qobject_cast<QApplication*>(QCoreApplication::instance()) ||
        !UiQueue::IsUiThread())
        return;
    // Pending window-system events first (a window shown just now learns
    // that it is exposed), without user input and without queued calls.
    bool held = g_drainHeld;
    g_drainHeld = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    g_drainHeld = held;
    if (!held && g_drainSkipped) {
        // A wake-up was spent while held: ask for the drain again, so that
        // the prompt's own loop runs the queued calls.
        g_drainSkipped = false;
        QMetaObject::invokeMethod(QCoreApplication::instance(), [] { DrainUiQueue(); }, Qt::QueuedConnection);
    }
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) w->repaint();
}

TApplication::TApplication(TComponent* owner) : TComponent(owner) {}

TApplication::~TApplication() = default;

void TApplication::Initialize() {
    EnsureGuiApplication();
    QApplication::setQuitOnLastWindowClosed(false);
    UiQueue::SetUiThread();
    UiQueue::SetWakeHandler([] {
        if (auto* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [] { DrainUiQueue(); }, Qt::QueuedConnection);
    });
    UiQueue::SetProcessMessagesHook([] {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        FireDueTimers();
    });
    SetGuiExceptionHandler([this](std::exception_ptr e) { HandleException(e); });
    if (title_.empty()) SetPromptDefaultTitle(Title());
    initialized_ = true;
}

std::string TApplication::ExeName() const { return ProgramFileName(); }

std::string TApplication::Title() const {
    if (!title_.empty()) return title_;
    return ChangeFileExt(ExtractFileName(ProgramFileName()), "");
}

void TApplication::SetTitle(const std::string& t) {
    title_ = t;
    SetPromptDefaultTitle(Title());
}

void TApplication::SetIcon(const TBitmap* icon) {
    EnsureGuiApplication();
    QImage image = icon ? icon->ToImage() : QImage();
    QApplication::setWindowIcon(image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image)));
}

void TApplication::Run() {
    if (!initialized_) Initialize();
    if (mainForm_ && showMainForm_) {
        try {
            mainForm_->Show();
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
    while (!terminated_) HandleMessageGuarded();
    DestroyComponents();
}

void TApplication::Terminate() {
    terminated_ = true;
    if (auto* app = QCoreApplication::instance()) QMetaObject::invokeMethod(app, [] {}, Qt::QueuedConnection);
}

bool TApplication::ProcessRound() {
    bool any = false;
    if (QCoreApplication::instance()) {
        if (auto* d = QAbstractEventDispatcher::instance()) any = d->processEvents(QEventLoop::AllEvents);
    }
    if (DrainUiQueue() > 0) any = true;
    if (FireDueTimers() > 0) any = true;
    return any;
}

void TApplication::Idle() {}

void TApplication::WaitForEvents() {
    if (!QCoreApplication::instance()) return;
    Int64 next = NextTimerDueMs();
    int ms = 50;
    if (next >= 0 && next < ms) ms = int(next);
    if (ms <= 0) return;
    static QTimer* waker = nullptr;
    if (!waker) {
        waker = new QTimer(QCoreApplication::instance());
        waker->setSingleShot(true);
        QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [] { waker = nullptr; });
    }
    waker->start(ms);
    if (auto* d = QAbstractEventDispatcher::instance()) d->processEvents(QEventLoop::WaitForMoreEvents);
    if (waker) waker->stop();
}

void TApplication::HandleMessage() {
    if (ProcessRound()) return;
    bool done = true;
    if (OnIdle) DispatchGuarded([&] { OnIdle(this, done); });
    if (done && !terminated_) WaitForEvents();
}

void TApplication::HandleMessageGuarded() {
    try {
        HandleMessage();
    } catch (...) {
        HandleException(std::current_exception());
    }
}

void TApplication::ProcessMessages() {
    if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::AllEvents);
    DrainUiQueue();
    FireDueTimers();
}

void TApplication::HandleException(std::exception_ptr e) {
    static int depth = 0;
    if (depth > 2) return;
    ++depth;
    try {
        try {
            std::rethrow_exception(e);
        } catch (const EAbort&) {
        } catch (const std::exception& ex) {
            if (OnException) OnException(this, ex);
            else ShowException(ex);
        } catch (...) {
            Exception unknown("Unknown exception");
            if (OnException) OnException(this, unknown);
            else ShowException(unknown);
        }
    } catch (const std::exception& inner) {
        std::fprintf(stderr, "Exception while showing an exception: %s\n", inner.what());
    } catch (...) {
        std::fprintf(stderr, "Exception while showing an exception\n");
    }
    --depth;
}

void TApplication::ShowException(const std::exception& e) {
    std::string msg = e.what();
    // A message gets a closing full stop, as the platform adds it.
    if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.') msg += '.';
    MessageBoxPrompt(msg, Title(), MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
    return MessageBoxPrompt(text, caption, flags);
}

void TApplication::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == mainForm_) mainForm_ = nullptr;
}

void TApplication::ResetForTesting() {
    DestroyComponents();
    terminated_ = false;
    mainForm_ = nullptr;
    OnIdle = nullptr;
    OnException = nullptr;
    modalLevel_ = 0;
    Screen->SetCursor(crDefault);
}

// ----------------------------------------------------------------- screen

void TScreen::SetCursor(TCursor c) {
    if (c == cursor_) return;
    if (QCoreApplication::instance() && qobject_cast<QApplication*>(QCoreApplication::instance())) {
        if (cursor_ != crDefault) QApplication::restoreOverrideCursor();
        if (c != crDefault) QApplication::setOverrideCursor(QtCursor(c));
    }
    cursor_ = c;
}

TCustomForm* TScreen::ActiveForm() const { return shown_.empty() ? nullptr : shown_.back(); }

TWinControl* TScreen::ActiveControl() const {
    TCustomForm* f = ActiveForm();
    return f ? f->ActiveControl() : nullptr;
}

int TScreen::Width() const {
    if (auto* s = QGuiApplication::primaryScreen()) return s->geometry().width();
    return 1024;
}

int TScreen::Height() const {
    if (auto* s = QGuiApplication::primaryScreen()) return s->geometry().height();
    return 768;
}

void TScreen::AddForm(TCustomForm* f) { forms_.push_back(f); }

void TScreen::RemoveForm(TCustomForm* f) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
    shown_.erase(std::remove(shown_.begin(), shown_.end(), f), shown_.end());
}

void TScreen::FormShown(TCustomForm* f) {
    TCustomForm* old = ActiveForm();
    shown_.erase(std::remove(shown_.begin(), shown_.end(), f), shown_.end());
    shown_.push_back(f);
    if (old && old != f) old->Deactivate();
    f->Activate();
}

void TScreen::FormHidden(TCustomForm* f) {
    bool wasActive = ActiveForm() == f;
    shown_.erase(std::remove(shown_.begin(), shown_.end(), f), shown_.end());
    if (wasActive) {
        f->Deactivate();
        if (TCustomForm* next = ActiveForm()) next->Activate();
    }
}

TWaitCursor::TWaitCursor() : saved_(Screen->Cursor()) { Screen->SetCursor(crHourGlass); }

TWaitCursor::~TWaitCursor() { Screen->SetCursor(saved_); }
