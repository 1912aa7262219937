#pragma once
// TgrNormalButton: a detail button drawn at the right edge of a cell. A
// column may own one with its own glyph and size; without one the grid's
// cells of type btNormal show the default detail button. The button only
// describes how it looks; the grid draws it and fires its events
// (FireButtonDown, FireButtonClick, FireButtonUp) through its press handling.

#include <memory>

#include "platform/core/Types.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Graphics.h"

class TgrBaseGrid;

class TgrNormalButton {
public:
    // The button keeps its own copy of the glyph (none: the default face).
    // color is the glyph's transparent colour, grColorNotSet for none.
    TgrNormalButton(TgrBaseGrid* grid, Integer height, Integer width, TColor color, const TBitmap* glyph);
    TgrNormalButton(const TgrNormalButton&) = delete;
    TgrNormalButton& operator=(const TgrNormalButton&) = delete;
    virtual ~TgrNormalButton() = default;

    TgrBaseGrid* Grid() const { return grid_; }
    virtual TBitmap* GetBitmap() const { return bitmap_.get(); }
    virtual Integer GetHeight() const { return height_; }
    virtual Integer GetWidth() const { return width_; }
    virtual TColor GetColor() const { return color_; }
    virtual void SetBitmap(const TBitmap* glyph);
    virtual void SetHeight(Integer value) { height_ = value < 0 ? 0 : value; }
    virtual void SetWidth(Integer value) { width_ = value < 0 ? 0 : value; }
    virtual void SetColor(TColor value) { color_ = value; }
    // Face size plus the grid's button edge on both sides.
    virtual Integer TotalWidth() const;
    virtual Integer TotalHeight() const;
    // True while the button has no glyph of its own.
    virtual bool UsesDefaultBitmap() const { return !bitmap_; }

private:
    TgrBaseGrid* grid_;
    std::unique_ptr<TBitmap> bitmap_;
    Integer height_ = 0;
    Integer width_ = 0;
    TColor color_;
};
