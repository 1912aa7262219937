#pragma once
// Panels, bevels, images, paint boxes, radio groups and timers.

#include <memory>
#include <string>
#include <vector>

#include "platform/core/StringList.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Timers.h"

class QGroupBox;
class QRadioButton;

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// Draws a 3D frame: top-left in one colour, bottom-right in the other.
void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width);

class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* owner);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut b) { bevelOuter_ = b; Invalidate(); }
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut b) { bevelInner_ = b; Invalidate(); }
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int w) { bevelWidth_ = w; Invalidate(); }
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a) { alignment_ = a; Invalidate(); }

protected:
    void Paint() override;
    void CaptionChanged() override { Invalidate(); }

private:
    TBevelCut bevelOuter_ = bvRaised;
    TBevelCut bevelInner_ = bvNone;
    int bevelWidth_ = 1;
    TAlignment alignment_ = taCenter;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

// A 3D frame or line, drawn beneath the controls beside it.
class TBevel : public TCustomControl {
public:
    explicit TBevel(TComponent* owner);
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape s) { shape_ = s; Invalidate(); }
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle s) { style_ = s; Invalidate(); }
    void SetParent(TWinControl* parent) override;

protected:
    void Paint() override;

private:
    TBevelShape shape_ = bsBox;
    TBevelStyle style_ = bsLowered;
};

// Drawn by its OnPaint handler on its canvas.
class TPaintBox : public TCustomControl {
public:
    explicit TPaintBox(TComponent* owner);
};

class TImage : public TCustomControl {
public:
    explicit TImage(TComponent* owner);
    ~TImage() override;
    TPicture* Picture() { return picture_.get(); }
    // The picture's bitmap canvas (an empty picture gets a bitmap of the
    // control's size), as the platform gives it.
    TCanvas* Canvas();
    bool Stretch() const { return stretch_; }
    void SetStretch(bool s) { stretch_ = s; Invalidate(); }
    bool Proportional() const { return proportional_; }
    void SetProportional(bool p) { proportional_ = p; Invalidate(); }
    bool Center() const { return center_; }
    void SetCenter(bool c) { center_ = c; Invalidate(); }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool t) { transparent_ = t; Invalidate(); }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool a);
    // Where the picture is drawn within the control.
    TRect DestRect() const;

protected:
    void Paint() override;

private:
    void PictureChanged();
    std::unique_ptr<TPicture> picture_;
    bool stretch_ = false;
    bool proportional_ = false;
    bool center_ = false;
    bool transparent_ = false;
    bool autoSize_ = false;
};

class TRadioGroup : public TWinControl {
public:
    explicit TRadioGroup(TComponent* owner);
    ~TRadioGroup() override;
    TStrings* Items() { return items_.get(); }
    int ItemIndex() const { return itemIndex_; }
    // Checks that item's button; OnClick follows, as for a user's choice.
    void SetItemIndex(int i);
    int Columns() const { return columns_; }
    void SetColumns(int c);
    // Rebuilds the buttons from Items (after Items changed).
    void ItemsChanged();

protected:
    void CaptionChanged() override;
    void BoundsChanged() override;
    void ApplyFont() override;

private:
    void Arrange();
    std::unique_ptr<TStringList> itemsStore_;
    std::unique_ptr<TStrings> items_;
    std::vector<QRadioButton*> buttons_;
    int itemIndex_ = -1;
    int columns_ = 1;
    bool updating_ = false;
};
