// Button objects: their pictures (shared built-in ones or an own copy) and
// their sizes.

#include "grid/GridButtons.h"

#include <initializer_list>
#include <utility>
#include <vector>

#include "grid/GridPaintTools.h"
#include "grid/TSGrid.h"

namespace {

// Black pixels on a white picture.
std::unique_ptr<TBitmap> Picture(int w, int h, std::initializer_list<std::pair<int, int>> black) {
    return grid_paint::BlackOnWhitePicture(w, h, [&](int x, int y) {
        for (auto [bx, by] : black)
            if (bx == x && by == y) return true;
        return false;
    });
}

TBitmap* ArrowCombo() {
    // 5 x 5, a triangle pointing down in the middle rows.
    static const std::unique_ptr<TBitmap> bitmap =
        Picture(5, 5, {{0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}, {1, 2}, {2, 2}, {3, 2}, {2, 3}});
    return bitmap.get();
}

TBitmap* ButtonDetail() {
    // 7 x 5, three dots on the bottom line.
    static const std::unique_ptr<TBitmap> bitmap = Picture(7, 5, {{0, 4}, {3, 4}, {6, 4}});
    return bitmap.get();
}

bool IsBuiltIn(const TBitmap* bitmap) { return bitmap == ArrowCombo() || bitmap == ButtonDetail(); }

// A spin arrow: a solid triangle whose point faces the way the half steps,
// 7 pixels across its base and 4 deep.
std::unique_ptr<TBitmap> SpinArrowPicture(bool vertical, bool pointFirst) {
    std::vector<std::pair<int, int>> black;
    for (int depth = 0; depth < 4; ++depth) {
        int line = pointFirst ? depth : 3 - depth;  // the row (column) of this depth
        for (int across = 3 - depth; across <= 3 + depth; ++across)
            black.push_back(vertical ? std::pair{across, line} : std::pair{line, across});
    }
    auto b = Picture(vertical ? 7 : 4, vertical ? 4 : 7, {});
    for (auto [x, y] : black) b->Canvas()->SetPixel(x, y, clBlack);
    return b;
}

}  // namespace

TBitmap* GridButtonBitmap(const std::string& name) {
    if (name == "GRARROWCOMBO") return ArrowCombo();
    if (name == "GRBUTDETAIL") return ButtonDetail();
    static const std::unique_ptr<TBitmap> up = SpinArrowPicture(true, true), down = SpinArrowPicture(true, false),
                                          left = SpinArrowPicture(false, true),
                                          right = SpinArrowPicture(false, false);
    if (name == "GRSPINUP") return up.get();
    if (name == "GRSPINDOWN") return down.get();
    if (name == "GRSPINLEFT") return left.get();
    if (name == "GRSPINRIGHT") return right.get();
    return nullptr;
}

// ------------------------------------------------------------ base

TgrCustomButton::TgrCustomButton(TgrBaseGrid* grid, Integer height, Integer width, TColor color,
                                 const TBitmap* bitmap)
    : grid_(grid), color_(color) {
    SetHeight(height);
    SetWidth(width);
    TakeBitmap(bitmap, nullptr);
}

void TgrCustomButton::SetBitmap(const TBitmap* bitmap) { TakeBitmap(bitmap, nullptr); }

void TgrCustomButton::TakeBitmap(const TBitmap* bitmap, TBitmap* fallback) {
    if (bitmap == bitmap_ && bitmap) return;
    if (!bitmap || bitmap->Width() <= 0 || bitmap->Height() <= 0) {
        bitmap_ = fallback;
        ownBitmap_.reset();
        return;
    }
    if (IsBuiltIn(bitmap)) {
        bitmap_ = const_cast<TBitmap*>(bitmap);
        ownBitmap_.reset();
        return;
    }
    // A copy, so that the caller's picture may change or go away.
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(bitmap);
    ownBitmap_ = std::move(copy);
    bitmap_ = ownBitmap_.get();
}

Integer TgrCustomButton::TotalWidth() const { return width_ + 2 * (grid_ ? grid_->ButtonEdgeWidth() : 0); }

Integer TgrCustomButton::TotalHeight() const { return height_ + 2 * (grid_ ? grid_->ButtonEdgeWidth() : 0); }

// ------------------------------------------------------------ kinds

TgrComboButton::TgrComboButton(TgrBaseGrid* grid, Integer height, Integer width, TColor color,
                               const TBitmap* bitmap)
    : TgrCustomButton(grid, height, width, color, bitmap) {
    if (!GetBitmap()) TakeBitmap(nullptr, ArrowCombo());
}

void TgrComboButton::SetBitmap(const TBitmap* bitmap) { TakeBitmap(bitmap, ArrowCombo()); }

bool TgrComboButton::UsesDefaultBitmap() const { return GetBitmap() == ArrowCombo(); }

TgrNormalButton::TgrNormalButton(TgrBaseGrid* grid, Integer height, Integer width, TColor color,
                                 const TBitmap* bitmap)
    : TgrCustomButton(grid, height, width, color, bitmap) {
    if (!GetBitmap()) TakeBitmap(nullptr, ButtonDetail());
}

void TgrNormalButton::SetBitmap(const TBitmap* bitmap) { TakeBitmap(bitmap, ButtonDetail()); }

bool TgrNormalButton::UsesDefaultBitmap() const { return GetBitmap() == ButtonDetail(); }

TgrDateTimeButton::TgrDateTimeButton(TgrBaseGrid* grid, Integer height, Integer width, TColor color,
                                     const TBitmap* bitmap)
    : TgrCustomButton(grid, height, width, color, bitmap) {
    if (!GetBitmap()) TakeBitmap(nullptr, ArrowCombo());
    detail_ = GetBitmap() == ButtonDetail();
}

void TgrDateTimeButton::SetBitmap(const TBitmap* bitmap) {
    TakeBitmap(bitmap, detail_ ? ButtonDetail() : ArrowCombo());
    if (IsBuiltIn(GetBitmap())) detail_ = GetBitmap() == ButtonDetail();
}

bool TgrDateTimeButton::UsesDefaultBitmap() const { return IsBuiltIn(GetBitmap()); }
