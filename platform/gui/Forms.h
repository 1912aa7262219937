#pragma once
// Forms, the application object with its message loop, and the screen
// (cursor, active form).
//
// The loop: each round processes Qt's events, drains the UI call queue and
// fires due timers; when nothing happened it calls OnIdle and then waits
// for events (at most 50 ms at a time, so idle handlers and timers on a
// manual clock are looked at regularly). Exceptions raised by handlers are
// shown by HandleException in a message box through the prompt service,
// and the loop goes on.

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"
#include "platform/gui/Prompts.h"

// Where a form is placed when shown. Named apart from the report library's
// saved-position record, and its "default" member apart from the printer
// orientation's.
enum TFormPosition {
    poDesigned, poFormDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter
};
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TBorderIcon { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

// The smallest outer size the user can give a sizeable form (0: no limit).
struct TSizeConstraints {
    int MinWidth = 0;
    int MinHeight = 0;
};

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& canClose)>;

class TCustomForm : public TWinControl {
public:
    explicit TCustomForm(TComponent* owner);
    ~TCustomForm() override;

    // Shows the form and runs a loop until ModalResult is set (or the
    // application terminates: mrCancel). Returns the modal result.
    int ShowModal();
    void Show();
    void Hide() { SetVisible(false); }
    // Modal: sets ModalResult to mrCancel. Otherwise asks OnCloseQuery,
    // then OnClose decides (hide, free, or nothing); closing the main form
    // terminates the application.
    void Close();
    // Frees the form once the current event has been handled.
    void Release();
    bool CloseQuery();

    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult r) { modalResult_ = r; }
    bool Modal() const { return modal_; }
    bool Active() const;

    TFormPosition Position() const { return position_; }
    void SetPosition(TFormPosition p) { position_ = p; }
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle s);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons i);
    const TSizeConstraints& Constraints() const { return constraints_; }
    void SetConstraints(const TSizeConstraints& c);
    TWindowState WindowState() const { return windowState_; }
    void SetWindowState(TWindowState s);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool k) { keyPreview_ = k; }
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* c);
    // A form read from its stored definition (ReadFormFromStream) is scaled
    // to the screen when Scaled and the stored PixelsPerInch differs from
    // the screen's; afterwards PixelsPerInch is the screen's again.
    bool Scaled() const { return scaled_; }
    void SetScaled(bool s) { scaled_ = s; }
    int PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(int ppi) { pixelsPerInch_ = ppi; }

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetClientWidth(int w) override;
    void SetClientHeight(int h) override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetVisible(bool v) override;

    // Return and Escape reaching the form: click the default or cancel
    // button. True when a button took the key.
    bool DialogKey(Word16 key);

    // Fires OnCreate: a form class calls it at the end of its constructor.
    void DoCreate();
    // Fires OnDestroy once: a form class calls it first in its destructor
    // (the base destructor calls it too, when it was not called yet).
    void DoDestroy();

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

    bool WidgetEvent(QEvent* event) override;

protected:
    friend class TScreen;
    friend class TWinControl;
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);
    void Activate();
    void Deactivate();
    TColor DefaultColor() const override { return clBtnFace; }
    // A form scales its client size and stays where it is.
    void ScaleBounds(int m, int d) override;
    void CaptionChanged() override;
    void Notification(TComponent* component, TOperation operation) override;
    int FrameWidth() const;
    int FrameHeight() const;

private:
    void PlaceOnScreen();
    void ApplyWindowFlags();
    bool CloseModal();

    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool active_ = false;
    bool placed_ = false;
    bool createdFired_ = false;
    bool destroyedFired_ = false;
    TFormPosition position_ = poDesigned;
    TFormBorderStyle borderStyle_ = bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TWindowState windowState_ = wsNormal;
    TSizeConstraints constraints_;
    bool keyPreview_ = false;
    bool scaled_ = true;
    int pixelsPerInch_ = 96;
    TWinControl* activeControl_ = nullptr;
};

class TForm : public TCustomForm {
public:
    using TCustomForm::TCustomForm;
};

// A scrolling container: children are placed on its scrolled area.
class TBitmap;

class TScrollBox : public TWinControl {
public:
    explicit TScrollBox(TComponent* owner);
    QWidget* ContainerWidget() const override;
    // Size of the scrolled area (at least the visible size).
    void SetScrollAreaSize(int width, int height);
    void ScrollInView(TControl* control);

protected:
    void BoundsChanged() override;
    void ChildBoundsChanged(TControl* child) override;

private:
    QWidget* inner_ = nullptr;
};

using TIdleEvent = std::function<void(TObject* sender, bool& done)>;
using TExceptionEvent = std::function<void(TObject* sender, const std::exception& e)>;

class TApplication : public TComponent {
public:
    explicit TApplication(TComponent* owner);
    ~TApplication() override;

    // Creates the Qt application when needed, makes this thread the UI
    // thread, and connects the UI call queue, the timers and the exception
    // handler to the loop.
    void Initialize();
    // Creates a form owned by the application; the first becomes MainForm.
    template <class T>
    void CreateForm(T*& reference) {
        reference = new T(this);
        if (!mainForm_) mainForm_ = reference;
    }
    // Shows the main form and runs the loop until Terminate; then frees the
    // forms.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // One round of the loop, waiting for events when there is nothing to do.
    void HandleMessage();
    // Handles everything pending without waiting (Qt events, the UI call
    // queue, due timers).
    void ProcessMessages();

    // Shows the exception (or hands it to OnException); EAbort is silent.
    void HandleException(std::exception_ptr e);
    void ShowException(const std::exception& e);
    int MessageBox(const std::string& text, const std::string& caption, unsigned flags = MB_OK);

    TCustomForm* MainForm() const { return mainForm_; }
    void SetMainForm(TCustomForm* f) { mainForm_ = f; }
    std::string ExeName() const;
    std::string Title() const;
    void SetTitle(const std::string& t);
    // The icon of every window of the program (window managers, task bars).
    void SetIcon(const TBitmap* icon);
    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool s) { showMainForm_ = s; }
    int ModalLevel() const { return modalLevel_; }

    TIdleEvent OnIdle;
    TExceptionEvent OnException;

    // Tests: frees the forms, clears Terminated, MainForm and the handlers.
    void ResetForTesting();

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TCustomForm;
    bool ProcessRound();
    // HandleMessage for the loops of Run and ShowModal: an exception that
    // escapes a handler is shown and the loop goes on.
    void HandleMessageGuarded();
    void Idle();
    void WaitForEvents();

    TCustomForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool initialized_ = false;
    bool showMainForm_ = true;
    int modalLevel_ = 0;
    std::string title_;
};

class TScreen {
public:
    TCursor Cursor() const { return cursor_; }
    // crHourGlass shows the wait cursor over the whole application.
    void SetCursor(TCursor c);
    TCustomForm* ActiveForm() const;
    TWinControl* ActiveControl() const;
    int FormCount() const { return int(forms_.size()); }
    TCustomForm* Forms(int index) const { return forms_.at(std::size_t(index)); }
    int Width() const;
    int Height() const;
    int PixelsPerInch() const { return 96; }

private:
    friend class TCustomForm;
    void AddForm(TCustomForm* f);
    void RemoveForm(TCustomForm* f);
    void FormShown(TCustomForm* f);
    void FormHidden(TCustomForm* f);

    TCursor cursor_ = crDefault;
    std::vector<TCustomForm*> forms_;
    std::vector<TCustomForm*> shown_;  // activation order, last is active
};

// Paints every shown window now, after delivering pending window-system
// events but no input and no queued call: for code that is about to block
// the loop (a pause, a prompt) with new text on screen.
void PaintShownForms();

extern TApplication* Application;
extern TScreen* Screen;

// Shows the hourglass while it lives and restores the previous cursor.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    TCursor saved_;
};
