#pragma once
// Printable controls of report pages: TVizeControl with its geometry in
// inches, anchors that move and stretch it when its parent is resized,
// mirrors (a control copying a master's properties and printing the
// master's children at its own place), the print pass, painting on a
// design canvas and the designer's sizing handles and hit tests; the
// container variant; and the shared enumerations of the project engine.

#include <functional>
#include <string>
#include <vector>

#include "reportproject/VzClass.h"
#include "reportproject/VzDesigner.h"
#include "reportproject/VzUtil.h"

class TCanvas;

enum TDisplayOn { doParent, doAll, doPreviewOnly, doPrinterOnly };
enum TGotoMode { gmGotoDone, gmGotoNotDone, gmCallEach };
enum TVizeFillStyle { fsSolid, fsClear, fsHorizontal, fsVertical, fsFDiagonal, fsBDiagonal, fsCross, fsDiagCross,
                      fsNone };
enum TLineWidthType { wtPoints, wtPixels };
enum TVizeCalcType { ctCount, ctSum, ctMin, ctMax, ctAverage };

// A length in inches.
using TVizeUnits = double;
// High four bits the vertical anchor, low four bits the horizontal one.
using TVizeAnchor = Byte;
using TVizeBin = Integer;

// Anchor values.
enum : int {
    anStay = 0,     // position and size stay
    anFarEdge = 1,  // moves with the far edge
    anCentre = 2,   // moves by half the change
    anStretch = 3,  // stretches with the change
    anScale = 4,    // position and size scale with the parent
    anSpread = 5    // the free space keeps its proportion
};

struct TVizeBinName {
    const char* Name;
    TVizeBin Code;
};
inline constexpr int VizeBinCount = 14;
extern const TVizeBinName VizeBinNames[VizeBinCount];

// "No colour".
inline constexpr Integer VizeNoColor = 0x1FFFFFFF;

class TVizeControl : public TVizeComponent {
    VIZE_CLASS(TVizeControl)
public:
    explicit TVizeControl(TComponent* owner);
    ~TVizeControl() override;

    // Refuses (EVizeClass) a parent inside one of this control's masters.
    void SetParent(TVizeComponent* newParent) override;

    // ---- mirrors
    TVizeControl* Mirror() const { return mirror_; }
    // A master of an unrelated class is refused (nothing changes).
    void SetMirror(TVizeControl* master);
    int MirrorCount() const { return int(mirrors_.size()); }
    TVizeControl* Mirrors(int index) const { return mirrors_.at(size_t(index)); }
    virtual void AddMirror(TVizeControl* control);
    virtual void RemoveMirror(TVizeControl* control);
    // Copies this control's properties to every mirror.
    void Reflect();
    // Copies the published properties except name, locks, mirror, position
    // and events; a destination of another class line raises.
    void AssignTo(TPersistent* dest) const override;

    // ---- appearance (text and drawing controls answer for real)
    virtual void SetText(const std::string&) {}
    virtual std::string GetText() const { return {}; }
    virtual void SetForeColor(Integer) {}
    virtual Integer GetForeColor() const { return VizeNoColor; }
    virtual void SetBackColor(Integer) {}
    virtual Integer GetBackColor() const { return VizeNoColor; }
    virtual void SetFillStyle(TVizeFillStyle) {}
    virtual TVizeFillStyle GetFillStyle() const { return fsNone; }
    virtual void SetLineWidth(double) {}
    virtual double GetLineWidth() const { return -1.0; }
    virtual void SetLineWidthType(TLineWidthType) {}
    virtual TLineWidthType GetLineWidthType() const { return wtPixels; }
    virtual void SetLineStyle(Integer) {}
    virtual Integer GetLineStyle() const { return 0; }

    // ---- geometry (inches)
    virtual void AnchorResize(bool widthChanged, bool heightChanged, double newHeight, double oldHeight,
                              double newWidth, double oldWidth);
    virtual void ResizeChildren(bool widthChanged, bool heightChanged, double newHeight, double oldHeight,
                                double newWidth, double oldWidth);
    virtual double GetLeft() const { return left_; }
    virtual void SetLeft(double x);
    virtual double GetTop() const { return top_; }
    virtual void SetTop(double x);
    virtual double GetWidth() const { return width_; }
    virtual void SetWidth(double x);
    virtual double GetHeight() const { return height_; }
    virtual void SetHeight(double x);
    double GetRight() const { return left_ + width_; }
    void SetRight(double x);
    double GetBottom() const { return top_ + height_; }
    void SetBottom(double x);
    TVizeRect GetBoundsRect() const { return {left_, top_, GetRight(), GetBottom()}; }
    void SetBoundsRect(const TVizeRect& r);
    double AdjLeft() const { return adjLeft_; }
    double AdjTop() const { return adjTop_; }
    double AdjWidth() const { return adjWidth_; }
    double AdjHeight() const { return adjHeight_; }
    double PageLeft() const override;
    double PageTop() const override;
    double PageRight() const override { return PageLeft() + width_; }
    double PageBottom() const override { return PageTop() + height_; }
    virtual double RequiredHeight() const;

    // ---- design tools (page inches; pixels are the designer's)
    // Draws this control, the master's children at its place and its own
    // children (clipped to it) on the designer's canvas.
    virtual void Paint(TCanvas* canvas);
    virtual void PaintSelf(TCanvas* canvas) {}
    // The designer of this control's page (null when none).
    TVizePageDesigner* Designer() const;
    // The eight sizing handles at the page rectangle: 0 top-left, 1
    // top-centre, 2 top-right, 3 middle-left, 4 middle-right, 5
    // bottom-left, 6 bottom-centre, 7 bottom-right.
    std::vector<TVizeHandle> SizingHandles() const;
    // Tell the page's designer the handles, or to remove them.
    virtual void ShowHandles();
    virtual void HideHandles();
    // Moves the edges of the dragged handle by the offset from the drag's
    // remembered corners; an edge that passes its opposite edge swaps with
    // it and the drag goes on with the mirrored handle.
    virtual void DragHandle(TVizeDragRecord& drag, double dx, double dy);
    // Hit tests, relative to the parent's page position, edges widened by
    // the length tolerance; only controls the parent shows in the designer.
    virtual bool ContainsPoint(const TVizePoint& point) const;
    virtual bool IntersectsRect(const TVizeRect& rect) const;
    // Lines keep one coordinate, squares stay square; the base changes
    // nothing.
    virtual void ConstrainMove(const TVizePoint& reference, TVizePoint& point) {}
    virtual void ConstrainPoints(const TVizePoint& first, TVizePoint& second) {}
    virtual void SetBoundsFromPoints(TVizePoint first, TVizePoint second);

    TVizeAnchor Anchor() const { return anchor_; }
    void SetAnchor(Int64 value) { anchor_ = TVizeAnchor(value); }
    int VAnchor() const { return anchor_ >> 4; }
    int HAnchor() const { return anchor_ & 15; }
    TDisplayOn DisplayOn() const { return displayOn_; }
    void SetDisplayOn(Int64 value) {
        if (IsMemberOrdinal(value, doPrinterOnly)) displayOn_ = TDisplayOn(value);
    }

    // ---- states and printing
    void SaveDesignState() override;
    void RestoreDesignState() override;
    void SaveAdjustedState() override;
    void RestoreAdjustedState() override;
    bool IsPrintComplete() override;
    void PrepareContent() override;
    void ReleaseContent() override;
    bool IsVisible() const override;
    void Print(TBaseReport* report) override;
    void ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) override;
    // Tells the designer, the child controls and the mirrors.
    void Changed();
    virtual void DesignerChanged();

protected:
    bool ResizeSuspended() const { return suspended_; }
    // The designer's scale: the page's designer, else the current one, else
    // the default pixels per inch.
    const TVizePageDesigner& DesignScale() const;
    // The page rectangle in designer pixels, right and bottom included.
    TRect DesignRect() const;
    void TellHandles(const std::vector<TVizeHandle>& handles);
    void TellDragContinues(int handle);
    // With a current designer, paints the master's children at this
    // control's place, clipped to the master's rectangle there.
    void PaintMasterChildren(TCanvas* canvas);
    // A page point or rectangle relative to the parent's page position.
    TVizePoint ToParent(const TVizePoint& point) const;
    TVizeRect ToParent(const TVizeRect& rect) const;
    // The parent shows this control in the designer (true without one).
    bool ShownByParent() const { return !Parent() || Parent()->ChildShownInDesigner(this); }

private:
    // Runs action with the last master up the mirror chain moved to this
    // control's place, when that master has children; a chain that comes
    // back is an error.
    void WithMasterHere(const std::function<void(TVizeControl& master)>& action);

    TVizeControl* mirror_ = nullptr;
    std::vector<TVizeControl*> mirrors_;
    double mirrorX_ = 0, mirrorY_ = 0;
    double left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    double desLeft_ = 0, desTop_ = 0, desWidth_ = 0, desHeight_ = 0;
    double adjLeft_ = 0, adjTop_ = 0, adjWidth_ = 0, adjHeight_ = 0;
    TDisplayOn displayOn_ = doParent;
    TVizeAnchor anchor_ = 0;
    bool suspended_ = false;
    bool mirrorPrinting_ = false;
};

class TVizeContainerControl : public TVizeControl {
    VIZE_CLASS(TVizeContainerControl)
public:
    explicit TVizeContainerControl(TComponent* owner);
    ~TVizeContainerControl() override;
    void DestroyChildren() override;
    void AddChild(TVizeComponent* child) override;
    void RemoveChild(TVizeComponent* child) override;
    TVizeComponent* GetChild(int index) const override;
    int ChildCount() const override;
    void MoveChild(TVizeComponent* child, int kind) override;

private:
    std::vector<TVizeComponent*> children_;
};

// The band being printed: its children that are not stretched with it
// print only through the band's own layout.
TVizeComponent*& VizeCurrentPrintBand();

// Start-up: registers the control and page classes.
void InitializeVzControl();
