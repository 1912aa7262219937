// The column's own detail button: its glyph copy and its size.

#include "grid/GridNormalButton.h"

#include "grid/TSGrid.h"

TgrNormalButton::TgrNormalButton(TgrBaseGrid* grid, Integer height, Integer width, TColor color,
                                 const TBitmap* glyph)
    : grid_(grid), color_(color) {
    SetHeight(height);
    SetWidth(width);
    SetBitmap(glyph);
}

void TgrNormalButton::SetBitmap(const TBitmap* glyph) {
    if (!glyph || glyph->Width() <= 0 || glyph->Height() <= 0) {
        bitmap_.reset();
        return;
    }
    // A copy, so that the caller's bitmap may go away or change.
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(glyph);
    bitmap_ = std::move(copy);
}

Integer TgrNormalButton::TotalWidth() const {
    return width_ + 2 * (grid_ ? grid_->ButtonEdgeWidth() : 0);
}

Integer TgrNormalButton::TotalHeight() const {
    return height_ + 2 * (grid_ ? grid_->ButtonEdgeWidth() : 0);
}
