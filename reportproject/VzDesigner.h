#pragma once
// What a page designer offers the controls it shows: the scale from page
// inches to the pixels of its design canvas, an updating flag, and the
// sizing-handle protocol (the handles of the control being resized, and the
// handle a drag continues with after the control turned over). This system
// has no designer window; whoever drives the protocol (a designer, a test)
// keeps what the controls tell it here.

#include <vector>

#include "platform/gui/Canvas.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/GuiTypes.h"
#include "reportproject/VzUtil.h"

class TVizeControl;

// Narrows a canvas's clip rectangle for the life of the scope and gives the
// previous one back.
class TClipScope {
public:
    TClipScope(TCanvas* canvas, const TRect& clip) : canvas_(canvas), saved_(canvas->ClipRect()) {
        canvas_->IntersectClipRect(clip);
    }
    ~TClipScope() { canvas_->SetClipRect(saved_); }
    TClipScope(const TClipScope&) = delete;
    TClipScope& operator=(const TClipScope&) = delete;

private:
    TCanvas* canvas_;
    TRect saved_;
};

// A sizing handle at a point of a control's page rectangle (page inches).
struct TVizeHandle {
    int Number = 0;
    TVizePoint Position;
    TCursor Cursor = crDefault;
    bool operator==(const TVizeHandle& other) const {
        return Number == other.Number && Position.X == other.Position.X && Position.Y == other.Position.Y &&
               Cursor == other.Cursor;
    }
};

// A handle drag in progress: the dragged handle and the remembered corners,
// the control's bounds (inches, relative to its parent) when the drag
// began. The offsets of a drag always count from these corners; a control
// that turns over swaps them, and may change the handle.
struct TVizeDragRecord {
    int Handle = 0;
    TVizeRect Start;
};

class TVizePageDesigner {
public:
    static constexpr double DefaultPixelsPerInch = 96.0;

    TVizePageDesigner() = default;
    virtual ~TVizePageDesigner() = default;
    TVizePageDesigner(const TVizePageDesigner&) = delete;
    TVizePageDesigner& operator=(const TVizePageDesigner&) = delete;

    // The zoom: canvas pixels per page inch (values not above 0 are
    // ignored).
    double PixelsPerInch() const { return pixelsPerInch_; }
    void SetPixelsPerInch(double value);
    // The canvas pixel of the page's top-left corner (the scroll position).
    TPoint Origin() const { return origin_; }
    void SetOrigin(TPoint origin) { origin_ = origin; }

    // Page inches to canvas pixels (rounded) and back; Pixels and Inches
    // convert a length without the origin.
    int XI2D(double x) const { return origin_.X + Pixels(x); }
    int YI2D(double y) const { return origin_.Y + Pixels(y); }
    double XD2I(int x) const { return Inches(x - origin_.X); }
    double YD2I(int y) const { return Inches(y - origin_.Y); }
    int Pixels(double length) const;
    double Inches(double pixels) const { return pixels / pixelsPerInch_; }

    // While the designer changes controls itself (a drag, an alignment of
    // several controls), a change neither repaints nor hides the handles.
    bool Updating() const { return updating_ > 0; }
    void BeginUpdate() { ++updating_; }
    void EndUpdate() {
        if (updating_ > 0) --updating_;
    }

    // Controls that draw no frame of their own (texts, images) show a grey
    // outline when the designer asks for outlines.
    bool ShowOutlines() const { return showOutlines_; }
    void SetShowOutlines(bool v) { showOutlines_ = v; }
    // The region or band the designer shows: its bands get header strips,
    // and a band hidden in the designer shows its body all the same. With
    // all bands shown, every region and band counts as shown.
    bool ShowAllBands() const { return showAllBands_; }
    void SetShowAllBands(bool v) { showAllBands_ = v; }
    const TVizeControl* ShownControl() const { return shown_; }
    void SetShownControl(const TVizeControl* control) { shown_ = control; }
    bool Shows(const TVizeControl* control) const { return showAllBands_ || (control && control == shown_); }

    // ---- the handle protocol, told by the controls
    virtual void ShowHandles(TVizeControl* control, const std::vector<TVizeHandle>& handles);
    // Removes the handles when they belong to control.
    virtual void HideHandles(TVizeControl* control);
    // The drag of control goes on with another handle.
    virtual void DragContinues(TVizeControl* control, int handle);

    // The control whose handles are shown (null when none; only compared,
    // never used) and its handles.
    const TVizeControl* HandleOwner() const { return handleOwner_; }
    const std::vector<TVizeHandle>& Handles() const { return handles_; }
    // A drag of one of control's handles, starting now.
    static TVizeDragRecord StartDrag(const TVizeControl& control, int handle);

private:
    double pixelsPerInch_ = DefaultPixelsPerInch;
    TPoint origin_;
    int updating_ = 0;
    bool showOutlines_ = false;
    bool showAllBands_ = true;
    const TVizeControl* shown_ = nullptr;
    const TVizeControl* handleOwner_ = nullptr;
    std::vector<TVizeHandle> handles_;
};
