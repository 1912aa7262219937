#pragma once
// Controls over Qt widgets. A control is a component with its own QWidget;
// it sits in a parent control and is freed by its owner. Positions are in
// the parent's client coordinates; events are std::function members named
// On... whose first argument is the sender. Handlers that raise are caught
// where Qt calls in and shown by the application (HandleException), so no
// exception ever crosses the Qt event loop.
//
// Custom-drawn controls (TCustomControl) paint into a retained QImage
// surface with an invalid region; the widget's paint event only copies the
// surface to the screen.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include "platform/core/Component.h"
#include "platform/gui/Canvas.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/GuiTypes.h"

class QWidget;
class QEvent;
class TWinControl;
class TPopupMenu;
class TCustomForm;

using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, Word16& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;

// Runs fn; an exception is handed to the application's exception handler.
// Every entry from Qt into handlers goes through this.
void DispatchGuarded(const std::function<void()>& fn);
// Installs the handler DispatchGuarded uses (the application does).
void SetGuiExceptionHandler(std::function<void(std::exception_ptr)> handler);

// Strips accelerator marks: "&Start" -> "Start", "&&" -> "&".
std::string StripHotkey(const std::string& caption);

// What a scaling touches, as flags (a control's own scaling may do only part).
enum TScalingFlag { sfLeft = 1, sfTop = 2, sfWidth = 4, sfHeight = 8, sfFont = 16 };
using TScalingFlags = unsigned;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    QWidget* Widget() const { return widget_; }

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
    virtual int ClientWidth() const { return width_; }
    virtual int ClientHeight() const { return height_; }
    virtual void SetClientWidth(int w) { SetWidth(w); }
    virtual void SetClientHeight(int h) { SetHeight(h); }
    TRect ClientRect() const { return TRect(0, 0, ClientWidth(), ClientHeight()); }
    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;

    TAlign Align() const { return align_; }
    void SetAlign(TAlign a);
    // Anchored to the right or bottom edge, a control keeps its distance to
    // that edge of its parent's client area (stretching when anchored to
    // both opposite edges). The distances are taken whenever the control is
    // placed; the default, left and top, never moves it.
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors a);

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible and every parent visible (and the form shown).
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool e);

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& c);
    // Text and Caption are the same property (a memo's Text is its lines).
    virtual std::string Text() const { return caption_; }
    virtual void SetText(const std::string& t) { SetCaption(t); }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& h);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool s) { showHint_ = s; }

    TFont* Font() { return &font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool p);
    TColor Color() const { return color_; }
    void SetColor(TColor c);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool p);
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor c);
    // Shows c over the control now without changing Cursor: it stays until
    // the next cursor request (the next pointer move while the mouse is
    // not captured) or the next ShowCursorNow.
    void ShowCursorNow(TCursor c);
    TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(TPopupMenu* m);

    // Runs OnClick (buttons also end their dialog with their modal result).
    virtual void Click();
    // Runs OnDblClick after the second press of a double-click; a control
    // that takes that press as something else leaves it out.
    virtual void DblClick();
    virtual void Invalidate();
    virtual void Repaint();
    void Refresh() { Repaint(); }
    virtual void Update();
    void BringToFront();
    void SendToBack();

    // Mouse capture: while a control holds it, it receives the mouse
    // messages wherever the pointer is. One control at a time holds it.
    bool MouseCapture() const;
    void SetMouseCapture(bool capture);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    // Called from the widget's event filter; returns true when consumed.
    virtual bool WidgetEvent(QEvent* event);
    // The font and colour applied to the widget (after changes).
    virtual void ApplyFont();
    virtual void ApplyColor();
    // The parent's font changed, or the control got a parent: every child
    // is told, and one with ParentFont set takes the parent's font. A
    // control that keeps further fonts following its parent overrides it.
    virtual void ParentFontChanged();
    // Scales the control by M/D (MulDiv rounding): its bounds, and its font
    // unless it follows its parent's (which is scaled with the parent).
    // Nothing when M = D. A container passes the scaling to its children.
    virtual void ChangeScale(int m, int d);
    void ParentColorChanged();

protected:
    // Each control makes its widget in its constructor with this.
    void SetWidget(QWidget* w);
    virtual void CaptionChanged() {}
    virtual void BoundsChanged() {}
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // The cursor request of a pointer move or press over the control while no
    // control holds the mouse capture and no screen-wide cursor is set: a control
    // that answers True shows `cursor` at (x, y), otherwise its Cursor shows.
    virtual bool CursorRequest(int /*x*/, int /*y*/, TCursor& /*cursor*/) { return false; }
    // A control that chooses its cursor by point hears every pointer move,
    // not only those with a button held.
    void SetPointerTracking(bool on);
    // Runs the cursor request for a pointer event at (x, y).
    void AskCursor(int x, int y);
    // The colour a control paints with when none is set.
    virtual TColor DefaultColor() const { return clBtnFace; }
    void Notification(TComponent* component, TOperation operation) override;
    // The parts of ChangeScale: the bounds (a form scales its client size
    // and stays where it is) and the font (its size in points).
    virtual void ScaleBounds(int m, int d);
    void ScaleFont(int m, int d);
    friend class TWinControl;
    friend class TCustomForm;

    QPointer<QWidget> widget_;
    class EventFilter;
    EventFilter* filter_ = nullptr;
    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    TAnchors anchors_ = akLeft | akTop;
    int rightGap_ = 0, bottomGap_ = 0;
    void TakeAnchorGaps();
    bool visible_ = true;
    bool enabled_ = true;
    std::string caption_;
    std::string hint_;
    bool showHint_ = false;
    TFont font_;
    bool parentFont_ = true;
    bool syncingFont_ = false;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    bool colorSet_ = false;
    TCursor cursor_ = crDefault;
    TPopupMenu* popupMenu_ = nullptr;
    bool applyingBounds_ = false;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    int ControlCount() const { return int(controls_.size()); }
    TControl* Controls(int index) const { return controls_.at(std::size_t(index)); }
    // The widget children are placed in (a scroll box's inner area...).
    virtual QWidget* ContainerWidget() const { return widget_; }

    void SetFocus();
    bool Focused() const;
    bool CanFocus() const;
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool t);
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int t) { tabOrder_ = t; }
    // Lays out the children with an Align other than alNone, and keeps
    // anchored children at their distance to the right and bottom edges.
    void AlignControls();

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

    bool WidgetEvent(QEvent* event) override;
    void ApplyFont() override;
    void ApplyColor() override;
    // Scales itself, then each child from the bounds it had before, so that
    // anchored children are not moved twice.
    void ChangeScale(int m, int d) override;

protected:
    friend class TControl;
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);
    // A child was placed, moved or resized (scroll boxes follow it).
    virtual void ChildBoundsChanged(TControl* child) {}
    // Keyboard messages: return true when the key was consumed (Key set
    // to 0). Each runs the control's key operation below.
    virtual bool DoKeyDown(Word16& key, TShiftState shift);
    // Whether the control uses Return or Escape itself (a memo's new line)
    // instead of leaving them to the form's default and cancel buttons.
    virtual bool WantsKey(Word16 key) const { return false; }
    virtual bool DoKeyPress(char& key);
    virtual void DoKeyUp(Word16& key, TShiftState shift);
    // The key operations a control overrides to handle keys itself; here
    // they fire OnKeyDown, OnKeyPress and OnKeyUp. A key set to 0 is taken.
    virtual void KeyDown(Word16& key, TShiftState shift);
    virtual void KeyPress(char& key);
    virtual void KeyUp(Word16& key, TShiftState shift);
    void BoundsChanged() override;

    std::vector<TControl*> controls_;
    bool tabStop_ = true;
    int tabOrder_ = -1;
    // Set while AlignControls moves anchored children, so their distances
    // to the edges are not taken again from the move.
    bool anchoring_ = false;
};

// A control that draws itself on its canvas. Paint draws the invalid part
// of the retained surface; the screen shows a copy of the surface.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;

    TCanvas* Canvas() { return &canvas_; }
    // The retained surface (client size).
    const QImage& Surface() const { return surface_; }
    // Marks all or part of the surface for painting; it is painted before
    // the next copy to the screen or at Update.
    void Invalidate() override;
    void InvalidateRect(const TRect& r);
    // Paints the invalid region into the surface now.
    void Update() override;
    void Repaint() override;
    bool HasInvalidRegion() const { return !invalid_.isEmpty(); }
    TRect InvalidBounds() const;
    // Whether the point lies in the invalid region.
    bool IsInvalid(int x, int y) const;
    // Takes the rectangle out of the invalid region (it is up to date).
    void ValidateRect(const TRect& r);

    // Moves the pixels of scroll (limited to clip) by (dx, dy) and marks the
    // part of clip they leave uncovered invalid; pending invalid parts move
    // with the pixels.
    void ScrollWindow(int dx, int dy, const TRect& scroll, const TRect& clip);

    // The window's own scroll bars. A bar is shown while its range is not
    // empty (max > min); a shown bar takes its thickness from the client
    // area. Positions are kept within the range.
    enum TScrollBarKind { sbHorizontal, sbVertical };
    void SetScrollRange(TScrollBarKind bar, int min, int max);
    void GetScrollRange(TScrollBarKind bar, int& min, int& max) const;
    void SetScrollPos(TScrollBarKind bar, int pos);
    int GetScrollPos(TScrollBarKind bar) const;
    // The part of the range one page covers (the thumb's size); 0 for a
    // bar without pages.
    void SetScrollPage(TScrollBarKind bar, int page) { bars_[bar].Page = page < 0 ? 0 : page; }
    int GetScrollPage(TScrollBarKind bar) const { return bars_[bar].Page; }
    // All figures of a bar at once. Setting them leaves the bar shown or
    // hidden as it is; SetScrollRange shows it exactly while its range is
    // not empty, ShowScrollBar shows or hides it whatever the range.
    struct TScrollInfo {
        int Min = 0, Max = 0, Page = 0, Pos = 0, TrackPos = 0;
    };
    TScrollInfo GetScrollInfo(TScrollBarKind bar) const;
    void SetScrollInfo(TScrollBarKind bar, const TScrollInfo& info);
    void ShowScrollBar(TScrollBarKind bar, bool show);
    // A disabled bar is drawn without a thumb and takes no presses.
    void EnableScrollBar(TScrollBarKind bar, bool enable) { bars_[bar].Enabled = enable; }
    bool ScrollBarEnabled(TScrollBarKind bar) const { return bars_[bar].Enabled; }
    bool ScrollBarShown(TScrollBarKind bar) const;
    int ClientWidth() const override;
    int ClientHeight() const override;

    TNotifyEvent OnPaint;

    bool WidgetEvent(QEvent* event) override;

protected:
    // Draws on Canvas; the clip is the invalid region's bounding rectangle.
    virtual void Paint();
    void BoundsChanged() override;
    void ScheduleFlush();

private:
    friend class SurfaceWidget;
    void PaintToScreen(QWidget* w, const QRegion& region);
    QImage surface_;
    TCanvas canvas_;
    QRegion invalid_;
    struct ScrollBarState {
        int Min = 0, Max = 0, Pos = 0, Page = 0;
        bool Shown = false, Enabled = true;
    };
    ScrollBarState bars_[2];
    bool flushScheduled_ = false;
    std::shared_ptr<bool> alive_;
};

// Controls without their own window in the platform; here every control
// has a widget, so this is a plain control.
using TGraphicControl = TControl;

// Thickness of a window scroll bar (vertical bar width, horizontal bar
// height), in pixels.
inline constexpr int ScrollBarThickness = 17;
// The longest time between two presses that still makes a double click (ms).
unsigned GetDoubleClickTime();
void SetDoubleClickTime(unsigned ms);
// The control holding the mouse capture, or null.
TControl* GetCaptureControl();

// The form a control sits on, or null.
TCustomForm* GetParentForm(TControl* control);
