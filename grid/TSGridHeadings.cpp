// Heading buttons and sort pictures. A column heading may act as a button
// (a raised 14-pixel area at its right, or at its left for a right-aligned
// heading, that is pressed with the mouse) or as a plain cell that reacts
// to presses; both kinds show the column's sort picture in that area.

#include <algorithm>
#include <memory>

#include "grid/GridPaintTools.h"
#include "grid/GRCommon.h"
#include "grid/TSGrid.h"

namespace {

using grid_paint::Line;
using grid_paint::UsePen;

constexpr int kHeadingButtonArea = 14;
constexpr int kSortPictureWidth = 11;
constexpr int kSortPictureHeight = 13;
constexpr int kTextMargin = 3;
// The sort pictures are drawn on black, which is left out when copying.
constexpr TColor kSortBackground = clBlack;
constexpr TColor kSortShade = TColor(0x808080);

// The three sort pictures, made once: a triangle pointing up or down, or a
// bullet, in the shadow colour with a white light edge.
std::unique_ptr<TBitmap> MakeSortPicture(TgrSortPicture kind) {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(kSortPictureWidth, kSortPictureHeight);
    TCanvas* c = b->Canvas();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(kSortBackground);
    c->FillRect(TRect(0, 0, kSortPictureWidth, kSortPictureHeight));
    c->Brush()->SetColor(kSortShade);
    UsePen(c, kSortShade);
    switch (kind) {
    case spUp:
        c->Polygon({{5, 3}, {9, 10}, {1, 10}});
        UsePen(c, clWhite);
        Line(c, 6, 4, 10, 11);
        Line(c, 1, 11, 10, 11);
        break;
    case spDown:
        c->Polygon({{1, 3}, {9, 3}, {5, 10}});
        UsePen(c, clWhite);
        Line(c, 6, 10, 10, 3);
        break;
    case spBullet:
        c->Ellipse(3, 5, 8, 10);
        break;
    case spNone:
        break;
    }
    return b;
}

}  // namespace

TBitmap* TgrBaseGrid::GetSortPictureBitmap(TgrSortPicture picture) {
    static std::unique_ptr<TBitmap> pictures[3];
    if (picture != spUp && picture != spDown && picture != spBullet) return nullptr;
    std::unique_ptr<TBitmap>& p = pictures[picture];
    if (!p) p = MakeSortPicture(picture);
    return p.get();
}

TgrColHeadingButton TgrBaseGrid::EffectiveHeadingButton(Integer displayCol) {
    if (displayCol < 1 || displayCol >= ColTotal()) return cbNone;
    TgrCol* col = gridCols_->ColAt(DataColOfDisplay(displayCol));
    TgrColHeadingButton kind = col ? col->HeadingButton() : cbGrid;
    if (kind != cbGrid) return kind;
    return headingButton_ == hbButton ? cbButton : headingButton_ == hbCell ? cbCell : cbNone;
}

bool TgrBaseGrid::IsOverHeadingButton(Integer x, Integer y, Integer displayCol) {
    if (!HasHeadingButton(displayCol) || !headingOn_) return false;
    TgrCellPaintInfo info;
    if (!FillDrawInfo(displayCol, 0, info) || !info.HasButton) return false;
    const TRect& b = info.ButtonRect;
    return x >= b.Left && x < b.Right && y >= info.CellRect.Top &&
           y < std::min<Integer>(info.CellRect.Top + kHeadingButtonArea, b.Bottom);
}

bool TgrBaseGrid::HeadingPressStarts(Integer displayCol, Integer x, Integer y) {
    if (pressedHeadingIsButton_ || displayCol < 1 || displayCol >= ColTotal()) return false;
    if (colSelection_->IsSelected(displayCol)) return false;
    if (HasHeadingButton(displayCol)) return IsOverHeadingButton(x, y, displayCol);
    return IsHeadingCellClick(displayCol) && headingOn_ && y <= headingHeight_;
}

bool TgrBaseGrid::PressHeadingButton(Integer displayCol, Integer x, Integer y) {
    if (!HeadingPressStarts(displayCol, x, y)) return false;
    pressedHeading_ = displayCol;
    pressedHeadingIsButton_ = true;
    headingShownDown_ = true;
    InvalidateDisplayCell(displayCol, 0);
    DoHeadingDown(DataColOfDisplay(displayCol));
    SetMouseStatus(msHeadingButtonDown);
    SetMouseCapture(true);
    return true;
}

bool TgrBaseGrid::HeadingShownDownAt(Integer x, Integer y) {
    TCellCoord_ts over = CellUnderMouse(x, y);
    if (over.Row != 0 || over.Col != pressedHeading_ || y <= 0) return false;
    // A heading button shows pressed only while the pointer is on its
    // button part.
    return !pressedHeadingIsButton_ || !HasHeadingButton(pressedHeading_) ||
           IsOverHeadingButton(x, y, pressedHeading_);
}

bool TgrBaseGrid::ReleaseHeadingButton(bool released) {
    if (!pressedHeadingIsButton_) return false;
    Integer col = pressedHeading_;
    bool wasDown = headingShownDown_;
    pressedHeadingIsButton_ = false;
    pressedHeading_ = -1;
    headingShownDown_ = false;
    if (col >= 1 && col < ColTotal()) {
        InvalidateDisplayCell(col, 0);
        Integer dataCol = DataColOfDisplay(col);
        DoHeadingUp(dataCol);
        // Released or given up with Esc, a heading still shown pressed (the
        // pointer on it) is clicked; one the pointer left is not.
        if (wasDown) DoHeadingClick(dataCol);
    }
    return true;
}

void TgrBaseGrid::LayoutHeadingCell(TgrCellPaintInfo& info) {
    Integer c = info.DisplayCol;
    TgrCol* col = gridCols_->ColAt(info.DataCol);
    bool isButton = HasHeadingButton(c);
    bool plainPressed = info.Pressed && !isButton;
    TRect& cell = info.CellRect;
    TRect& content = info.ContentRect;
    // The pressed plain heading shows its content one pixel right and down.
    if (plainPressed) content = TRect(content.Left + 1, content.Top + 1, content.Right, content.Bottom);
    content.Right -= 1;
    TgrSortPicture sort = col ? col->SortPicture() : spNone;
    info.HasButton = isButton || (IsHeadingCellClick(c) && sort != spNone);
    if (!info.HasButton) return;
    Integer start, width;
    if (info.HorzAlignment == htaRight) {
        content.Left += 12;
        start = cell.Left;
        width = std::min<Integer>(cell.Width(), kHeadingButtonArea);
    } else {
        content.Right -= 13;
        start = std::max<Integer>(cell.Left + kTextMargin, content.Right);
        width = cell.Right - start;
    }
    Integer bottom = std::min<Integer>(cell.Bottom + 1, headingHeight_ + cell.Top - 1);
    if (plainPressed) {
        ++width;
        ++bottom;
    }
    info.ButtonRect = TRect(start, cell.Top + 1, start + width, bottom + 1);
}

// The button area of a heading: a heading button in full, a plain heading
// cell only its sort picture.
void TgrBaseGrid::DrawHeadingButton(TCanvas* c, const TgrCellPaintInfo& info) {
    if (!info.HasButton || info.ContentRect.Right >= info.CellRect.Right || info.ButtonRect.IsEmpty()) return;
    if (HasHeadingButton(info.DisplayCol)) PaintHeadingButton(c, info);
    else DrawHeadingSortPicture(c, info);
}

// A heading button: its face, the sort picture and its raised or pressed
// frame.
void TgrBaseGrid::PaintHeadingButton(TCanvas* c, const TgrCellPaintInfo& info) {
    const TRect& b = info.ButtonRect;
    Integer L = b.Left, R = b.Right;
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(info.Color);
    c->FillRect(TRect(info.HorzAlignment == htaRight ? L + 1 : L - 1, b.Top,
                      std::min<Integer>(R + 1, info.CellRect.Right), b.Bottom - 1));
    DrawHeadingSortPicture(c, info);
    // The frame, in a pen given back after.
    TPen saved;
    saved.Assign(*c->Pen());
    if (info.Pressed) DrawHeadingButtonDown(c, info);
    else DrawHeadingButtonUp(c, info);
    c->Pen()->Assign(saved);
}

void TgrBaseGrid::DrawHeadingSortPicture(TCanvas* c, const TgrCellPaintInfo& info) {
    bool right = info.HorzAlignment == htaRight;
    const TRect& b = info.ButtonRect;
    Integer L = b.Left, T = b.Top, R = b.Right, B = b.Bottom;
    TgrCol* col = gridCols_->ColAt(info.DataCol);
    TgrSortPicture sort = col ? col->SortPicture() : spNone;
    if (TBitmap* picture = GetSortPictureBitmap(sort)) {
        int d = info.Pressed ? 1 : 0;
        int k = right && sort != spBullet ? 1 : 0;
        int w = std::min<int>(int(R - L) - d - 2, kSortPictureWidth);
        int h = std::min<int>(kSortPictureHeight - d, int(B - T) - d - 1);
        if (w > 0 && h > 0) {
            TRect dest(L + d + 2 - k, T + d, L + d + 2 - k + w, T + d + h);
            // Through the scratch bitmap, which grows to the largest
            // picture copied through it.
            TBitmap* work = GetWorkBitmap();
            if (work->Width() < w || work->Height() < h)
                work->SetSize(std::max<int>(work->Width(), w), std::max<int>(work->Height(), h));
            TCanvas* wc = BitmapCanvasHandle(work);
            wc->CopyRect(TRect(0, 0, w, h), BitmapCanvasHandle(picture), TRect(0, 0, w, h));
            c->DrawImage(*wc->Surface(), dest, TRect(0, 0, w, h), true, kSortBackground);
            RestoreCanvasHandle();
        }
    }
}

void TgrBaseGrid::DrawHeadingButtonDown(TCanvas* c, const TgrCellPaintInfo& info) {
    const TRect& b = info.ButtonRect;
    Integer L = b.Left, T = b.Top, R = b.Right, B = b.Bottom;
    bool right = info.HorzAlignment == htaRight;
    bool plainPressed = info.Pressed && !HasHeadingButton(info.DisplayCol);
    Integer H = std::min<Integer>(B - T, kHeadingButtonArea);
    Integer w13 = std::min<Integer>(R - L, 13);
    UsePen(c, clBlack);
    c->MoveTo(int(L + std::min<Integer>(R - L, right ? 13 : 14)), int(T - 1));
    c->LineTo(int(L), int(T - 1));
    c->LineTo(int(L), int(info.CellRect.Top + H));
    UsePen(c, clBtnShadow);
    if (right && info.CellRect.Right >= L + 13 && !plainPressed) Line(c, int(L + 13), int(T + 12), int(L + 13), int(T - 1));
    if (T + 14 < B) Line(c, int(L + 1), int(T + 12), int(L + w13 + 1), int(T + 12));
}

void TgrBaseGrid::DrawHeadingButtonUp(TCanvas* c, const TgrCellPaintInfo& info) {
    const TRect& b = info.ButtonRect;
    Integer L = b.Left, T = b.Top, R = b.Right, B = b.Bottom;
    bool right = info.HorzAlignment == htaRight;
    bool plainPressed = info.Pressed && !HasHeadingButton(info.DisplayCol);
    Integer top = info.CellRect.Top;
    Integer H = std::min<Integer>(B - T, kHeadingButtonArea);
    Integer w13 = std::min<Integer>(R - L, 13);
    UsePen(c, clBtnFace);
    if (right && R >= L + 14) Line(c, int(R - 1), int(T - 1), int(R - 1), int(top + H));
    else Line(c, int(L - 1), int(T - 1), int(L - 1), int(top + H));
    UsePen(c, clWhite);
    Line(c, int(L), int(T), int(L), int(top + std::min<Integer>(B - T, 13)));
    Line(c, int(L), int(T - 1), int(L + w13), int(T - 1));
    if (B - T >= 3 && R - L >= 2) {
        UsePen(c, clBtnShadow);
        if (B - T > 13) Line(c, int(L), int(T + 12), int(L + w13), int(T + 12));
        if (R - L >= 14 && !plainPressed) Line(c, int(L + 13), int(T + 12), int(L + 13), int(T - 1));
    }
}
