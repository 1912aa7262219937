#pragma once
// The button objects a grid draws at the right edge of its cells: combo
// arrows, detail buttons, date-time buttons and spin buttons. A button only
// describes how it looks (picture, face size, transparent colour); the
// grid draws it and handles its presses. A grid keeps one shared object of
// each kind, made on first use (TgrBaseGrid::GetCellButton); a column may
// own a detail button of its own (TgrCol::SetButton).
//
// The default pictures are built in and shared by every grid: "GRARROWCOMBO"
// (a small triangle pointing down) for combo and drop-down date-time
// buttons, "GRBUTDETAIL" (three dots on the bottom line) for detail and
// popup date-time buttons. A button given any other picture keeps its own
// copy of it; a shared picture is never freed by a button.

#include <memory>
#include <string>

#include "platform/core/Object.h"
#include "platform/core/Types.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Graphics.h"

class TgrBaseGrid;

// The built-in picture of that name, black on white; none for a name the
// grid does not know. Besides the two button pictures there are the spin
// arrows "GRSPINUP", "GRSPINDOWN" (7 x 4), "GRSPINLEFT" and "GRSPINRIGHT"
// (4 x 7).
TBitmap* GridButtonBitmap(const std::string& name);

class TgrCustomButton : public TObject {
public:
    // color is the picture's transparent colour (grColorNotSet: none).
    TgrCustomButton(TgrBaseGrid* grid, Integer height, Integer width, TColor color, const TBitmap* bitmap);
    TgrCustomButton(const TgrCustomButton&) = delete;
    TgrCustomButton& operator=(const TgrCustomButton&) = delete;
    ~TgrCustomButton() override = default;

    TgrBaseGrid* Grid() const { return grid_; }
    virtual TBitmap* GetBitmap() const { return bitmap_; }
    virtual Integer GetHeight() const { return height_; }
    virtual Integer GetWidth() const { return width_; }
    virtual TColor GetColor() const { return color_; }
    virtual void SetBitmap(const TBitmap* bitmap);
    // Negative sizes are taken as nothing.
    virtual void SetHeight(Integer value) { height_ = value < 0 ? 0 : value; }
    virtual void SetWidth(Integer value) { width_ = value < 0 ? 0 : value; }
    virtual void SetColor(TColor value) { color_ = value; }
    // The face plus the grid's ButtonEdgeWidth on both sides.
    virtual Integer TotalWidth() const;
    virtual Integer TotalHeight() const;
    virtual bool UsesDefaultBitmap() const { return true; }

protected:
    // A built-in picture is shared, any other one copied; none (or an empty
    // picture) gives fallback.
    void TakeBitmap(const TBitmap* bitmap, TBitmap* fallback);

private:
    TgrBaseGrid* grid_;
    TBitmap* bitmap_ = nullptr;
    std::unique_ptr<TBitmap> ownBitmap_;
    Integer height_ = 0;
    Integer width_ = 0;
    TColor color_;
};

// Combo button: the shared arrow unless given another picture (none or an
// empty picture gives the arrow).
class TgrComboButton : public TgrCustomButton {
public:
    TgrComboButton(TgrBaseGrid* grid, Integer height, Integer width, TColor color, const TBitmap* bitmap);
    void SetBitmap(const TBitmap* bitmap) override;
    bool UsesDefaultBitmap() const override;
};

// Detail button: the shared dots unless given another picture.
class TgrNormalButton : public TgrCustomButton {
public:
    TgrNormalButton(TgrBaseGrid* grid, Integer height, Integer width, TColor color, const TBitmap* bitmap);
    void SetBitmap(const TBitmap* bitmap) override;
    bool UsesDefaultBitmap() const override;
};

// Date-time button: given one of the shared pictures it uses that one (the
// arrow for the drop-down kind, the dots for the popup kind) and remembers
// which; given none it keeps the one it has (the arrow at first).
class TgrDateTimeButton : public TgrCustomButton {
public:
    TgrDateTimeButton(TgrBaseGrid* grid, Integer height, Integer width, TColor color, const TBitmap* bitmap);
    void SetBitmap(const TBitmap* bitmap) override;
    bool UsesDefaultBitmap() const override;
    // True while it shows the dots of the popup kind.
    bool UsesDetailBitmap() const { return detail_; }

private:
    bool detail_ = false;
};

// Spin buttons carry no picture (the grid draws their arrows). A vertical
// one holds two halves one above the other, a horizontal one two side by
// side, with one pixel between them.
class TgrVertSpinButton : public TgrCustomButton {
public:
    using TgrCustomButton::TgrCustomButton;
    Integer TotalHeight() const override { return 2 * GetHeight() + 1; }
};

class TgrHorzSpinButton : public TgrCustomButton {
public:
    using TgrCustomButton::TgrCustomButton;
    Integer TotalWidth() const override { return 2 * GetWidth() + 1; }
};

// The grid's shared button objects, one of each kind, and the one last
// fetched for a hit test.
struct TgrGridButtons {
    std::unique_ptr<TgrCustomButton> Combo, Normal, DateTimeDropDown, DateTimePopup, VertSpin, HorzSpin;
    TgrCustomButton* Current = nullptr;
};
