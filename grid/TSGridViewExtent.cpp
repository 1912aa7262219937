// Small services the mouse, selection, scrolling and drawing share: how many
// columns and rows are in view or fit from a position, the last visible
// ones, single cells drawn at once through the shared memory canvas outside
// the paint pass, the in-cell control object of a control type, pictures of
// the image list by value, and the 8 x 8 pattern that blends a selection or
// focus colour over pictures.

#include <algorithm>

#include "grid/GRGLibCanvas.h"
#include "grid/TSGrid.h"

#include <QImage>

// ------------------------------------------------------------ view extent

namespace {

// Counts the lines from `first` on whose start lies before `limit`, walking
// from `start` (exists: the line is there).
template <typename Size>
Integer CountStartingBefore(Integer first, Integer total, Integer start, Integer limit, Size size) {
    Integer count = 0;
    for (Integer i = first; i < total && start < limit; ++i, ++count) start += size(i);
    return count;
}

// Counts the lines from `first` on that end within `limit`.
template <typename Size>
Integer CountFitting(Integer first, Integer total, Integer start, Integer limit, Size size) {
    Integer count = 0;
    for (Integer i = first; i < total && start + size(i) <= limit; ++i, ++count) start += size(i);
    return count;
}

// Counts the shown lines from `last` back to `stop` that fit into `room`
// (hidden lines are 0 long and do not count).
template <typename Size>
Integer CountFittingBack(Integer last, Integer stop, Integer room, Size size) {
    Integer count = 0;
    for (Integer i = last; i >= stop; --i) {
        Integer s = size(i);
        if (s > room) break;
        room -= s;
        if (s > 0) ++count;
    }
    return count;
}

}  // namespace

Integer TgrBaseGrid::FixedAreaWidth() const {
    Integer w = 0;
    for (Integer c = 0; c < FixedColTotal(); ++c) w += GetColWidthAt(c);
    return w;
}

Integer TgrBaseGrid::FixedAreaHeight() const {
    Integer h = 0;
    for (Integer r = 0; r < FixedRowTotal(); ++r) h += GetRowHeightAt(r);
    return h;
}

Integer TgrBaseGrid::GetLastVisibleColFrom(Integer col) {
    if (!HasWindow()) return 0;
    auto width = [this](Integer c) { return GetColWidthAt(c); };
    Integer count = CountStartingBefore(col, ColTotal(), FixedAreaWidth(), ClientWidth(), width);
    return col + std::max<Integer>(count, 1) - 1;
}

Integer TgrBaseGrid::GetLastVisibleRowFrom(Integer row) {
    if (!HasWindow()) return 0;
    auto height = [this](Integer r) { return GetRowHeightAt(r); };
    Integer count = CountStartingBefore(row, RowTotal(), FixedAreaHeight(), ClientHeight(), height);
    return row + std::max<Integer>(count, 1) - 1;
}

Integer TgrBaseGrid::GetFullyVisibleColsFrom(Integer col) {
    if (!HasWindow()) return 0;
    auto width = [this](Integer c) { return GetColWidthAt(c); };
    return CountFitting(col, ColTotal(), FixedAreaWidth() - vertLineWidth_, ClientWidth(), width);
}

Integer TgrBaseGrid::GetFullyVisibleRowsFrom(Integer row) {
    if (!HasWindow()) return 0;
    auto height = [this](Integer r) { return GetRowHeightAt(r); };
    return CountFitting(row, RowTotal(), FixedAreaHeight() - horzLineWidth_, ClientHeight(), height);
}

// Hidden columns and rows are 0 wide (high), so they never end a count.
Integer TgrBaseGrid::GetColsFittingFromLeft() {
    if (!HasWindow()) return 0;
    return GetFullyVisibleColsFrom(TopLeftCell().Col);
}

Integer TgrBaseGrid::GetRowsFittingFromTop() {
    if (!HasWindow()) return 0;
    return GetFullyVisibleRowsFrom(TopRow());
}

Integer TgrBaseGrid::GetColsFittingLeftOfLeftCol() {
    if (!HasWindow()) return 0;
    auto width = [this](Integer c) { return GetColWidthAt(c); };
    return CountFittingBack(TopLeftCell().Col - 1, FixedColTotal(), ClientWidth() - FixedAreaWidth(), width);
}

Integer TgrBaseGrid::GetRowsFittingAboveTop() {
    if (!HasWindow()) return 0;
    auto height = [this](Integer r) { return GetRowHeightAt(r); };
    return CountFittingBack(TopRow() - 1, FixedRowTotal(), ClientHeight() - FixedAreaHeight(), height);
}

Integer TgrBaseGrid::GetLastVisibleCol() {
    if (!HasWindow()) return 0;
    // The columns from the left column reach the last one: the last that
    // can be entered; otherwise the one under the right edge.
    if (GetLastVisibleColFrom(TopLeftCell().Col) >= ColTotal() - 1) return GetLastEnterableCol(SkipsReadOnly(), false);
    return CellUnderMouse(ClientWidth() - 1, 0).Col;
}

Integer TgrBaseGrid::GetLastVisibleRow() {
    if (!HasWindow()) return 0;
    Integer top = TopRow();
    if (top + GetFullyVisibleRowsFrom(top) < RowTotal()) return CellUnderMouse(0, ClientHeight() - 1).Row;
    return gridMode_ == gmEditInsert ? RowTotal() - 1 : GetLastEnterableRow(false, false);
}

// ------------------------------------------------------------ direct cell output

bool TgrBaseGrid::BeginDirectCellPaint(const TRect& rect) {
    if (directPaint_ || !HasWindow()) return false;
    TgrMemoryCanvas* memory = GridMemoryCanvas();
    // Waits while another grid or thread paints through it.
    memory->Lock(this);
    TCanvas* window = Canvas();
    try {
        PrepareMemoryCanvas(window);
        memory->SetClipRect(rect);
    } catch (...) {
        memory->Unlock();
        throw;
    }
    directWindowSurface_ = window->Surface();
    directSavedClip_ = window->ClipRect();
    // The memory surface starts as the window shows: the cell is drawn over
    // what is there.
    TRect copy;
    if (IntersectRect(copy, rect, TRect(0, 0, ClientWidth(), ClientHeight())))
        memory->MemDC()->CopyRect(copy, window, copy);
    window->SetSurface(&memory->Surface()->Image());
    window->SetClipRect(rect);
    if (canvasNeedsPriming_) {
        PrimeCanvas(window);
        canvasNeedsPriming_ = false;
    }
    directPaint_ = true;
    SetDirectDrawing(true);
    return true;
}

void TgrBaseGrid::EndDirectCellPaint(const TRect& rect) {
    if (!directPaint_) return;
    TgrMemoryCanvas* memory = GridMemoryCanvas();
    TCanvas* window = Canvas();
    bool onMemory = memory->Surface() && window->Surface() == &memory->Surface()->Image();
    if (onMemory) window->SetSurface(directWindowSurface_);
    window->SetClipRect(directSavedClip_);
    directPaint_ = false;
    SetDirectDrawing(false);
    struct Unlock {
        TgrMemoryCanvas* m;
        ~Unlock() { m->Unlock(); }
    } unlock{memory};
    TRect copy;
    if (!onMemory || rect.Right < rect.Left || rect.Bottom < rect.Top ||
        !IntersectRect(copy, rect, TRect(0, 0, ClientWidth(), ClientHeight())))
        return;
    TCopyMode mode = window->CopyMode();
    window->SetCopyMode(cmSrcCopy);
    window->CopyRect(copy, memory->MemDC(), copy);
    window->SetCopyMode(mode);
    if (QWidget* w = Widget()) w->update(QRect(copy.Left, copy.Top, copy.Width(), copy.Height()));
}

// ------------------------------------------------------------ lookups

TgrCustomGridControl* TgrBaseGrid::GetControlForType(TgrControlType type) {
    switch (type) {
    case ctText: return editControl_.get();
    case ctCheck: return checkControl_.get();
    case ctPicture: return defaultControl1_.get();
    default: return defaultControl2_.get();
    }
}

TBitmap* TgrBaseGrid::FindImageForValue(const Variant& value, TColor* transparentColor) {
    TColor transparent = grColorNotSet;
    TBitmap* image = nullptr;
    if (TgrImageListComponent* list = ImageList(); list && value.IsString())
        image = list->FindImage(value.AsString(), transparent);
    if (transparentColor) *transparentColor = image ? transparent : grColorNotSet;
    return image;
}

void TgrBaseGrid::ImageListChanged() { Invalidate(); }

void TgrBaseGrid::ImageListDataChanged() { Invalidate(); }

// ------------------------------------------------------------ blend bitmap

void TgrBaseGrid::UpdateBlendBitmap(bool create) {
    if (selectionColor_ == grColorNotSet && focusColor_ == grColorNotSet) {
        blendBitmap_.reset();
        return;
    }
    if (create && !blendBitmap_) blendBitmap_ = std::make_unique<TBitmap>();
}

TBitmap* TgrBaseGrid::GetBlendBitmap() {
    if (!blendBitmap_) blendBitmap_ = std::make_unique<TBitmap>();
    return blendBitmap_.get();
}

void TgrBaseGrid::BuildBlendBitmap(TColor color) {
    TBitmap* b = GetBlendBitmap();
    b->SetSize(8, 8);
    TColor rgb = ColorToRGB(color);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) b->Canvas()->SetPixel(x, y, (x + y) % 2 ? clBlack : rgb);
    blendColor_ = rgb;
}

TBitmap* TgrBaseGrid::EnsureBlendBitmap(TColor color) {
    TBitmap* b = GetBlendBitmap();
    if (b->Width() != 8 || ColorToRGB(color) != blendColor_) BuildBlendBitmap(color);
    return blendBitmap_.get();
}

void TgrBaseGrid::BlendSelectionColor(TCanvas* c, const TRect& rect, TColor color, int originX, int originY) {
    QImage* surface = c->Surface();
    if (!surface || rect.IsEmpty()) return;
    TRect area;
    if (!IntersectRect(area, rect, c->ClipRect())) return;
    area.Left = std::max(area.Left, 0);
    area.Top = std::max(area.Top, 0);
    area.Right = std::min(area.Right, surface->width());
    area.Bottom = std::min(area.Bottom, surface->height());
    const QImage& pattern = EnsureBlendBitmap(color)->Image();
    // The pattern repeats from the cell's top-left corner; where it is
    // black the picture stays, elsewhere the colour goes over it.
    for (int y = area.Top; y < area.Bottom; ++y) {
        auto* line = reinterpret_cast<QRgb*>(surface->scanLine(y));
        int py = ((y - originY) % 8 + 8) % 8;
        for (int x = area.Left; x < area.Right; ++x)
            if ((((x - originX) + (y - originY)) & 1) == 0) line[x] = pattern.pixel(((x - originX) % 8 + 8) % 8, py);
    }
}
