#include "grid/TSImageList.h"

#include "grid/GridTypes.h"
#include "platform/core/MathUtils.h"

TgrImageLink::~TgrImageLink() { SetImageList(nullptr); }

void TgrImageLink::SetImageList(TgrImageListComponent* comp) {
    if (comp == ImageListComponent) return;
    if (ImageListComponent) ImageListComponent->RemoveLink(this);
    if (comp) comp->AddLink(this);
}

TBitmap* TgrImageListComponent::FindImage(const std::string& name, TColor& transparentColor) {
    transparentColor = clNone;
    Integer index = IndexOfImageValue(name);
    return index < 0 ? nullptr : ImageAt(index, transparentColor);
}

std::string TgrImageListComponent::ImageValueName(Integer index) {
    std::string collection = ImageCollectionName(index);
    std::string name = ImageName(index);
    return collection.empty() ? name : collection + "." + name;
}

Integer TgrImageListComponent::IndexOfImageValue(const std::string& value) {
    if (value.empty()) return -1;
    Integer count = ImageCount();
    for (Integer i = 0; i < count; ++i)
        if (ImageValueName(i) == value) return i;
    return -1;
}

namespace {

int NearestEven(double v) { return static_cast<int>(Round(v)); }

// One axis of the picture without kept proportions: the destination span
// [dLo, dHi) inside the cell and the source span [sLo, sHi) of the bitmap.
void FitAxis(int cellLo, int cellSize, int bitmapSize, bool shrink, bool stretch, bool center, int& dLo, int& dHi,
             int& sLo, int& sHi) {
    dLo = cellLo;
    dHi = cellLo + cellSize;
    sLo = 0;
    sHi = bitmapSize;
    if (bitmapSize < cellSize) {
        if (!stretch) {
            if (center) dLo += NearestEven((cellSize - bitmapSize) / 2.0);
            dHi = dLo + bitmapSize;
        }
    } else if (!shrink) {
        if (center) sLo = NearestEven((bitmapSize - cellSize) / 2.0);
        sHi = sLo + cellSize;
    }
}

}  // namespace

void DrawPicture(TCanvas* canvas, const TRect& rect, TBitmap* bitmap, bool keepAspect, bool shrink, bool stretch,
                 bool center, TColor transparentColor) {
    if (!canvas) return;
    if (!bitmap || bitmap->Empty()) {
        canvas->FillRect(rect);
        return;
    }
    TRect d = rect;
    TRect src(0, 0, bitmap->Width(), bitmap->Height());
    if (keepAspect) {
        if (!shrink) {
            if (bitmap->Width() > rect.Width()) {
                src.Left = center ? (bitmap->Width() - rect.Width()) / 2 : 0;
                src.Right = src.Left + rect.Width();
            }
            if (bitmap->Height() > rect.Height()) {
                src.Top = center ? (bitmap->Height() - rect.Height()) / 2 : 0;
                src.Bottom = src.Top + rect.Height();
            }
        }
        if (!stretch) {
            if (src.Width() < d.Width()) {
                if (center) d.Left += (d.Width() - src.Width()) / 2;
                d.Right = d.Left + src.Width();
            }
            if (src.Height() < d.Height()) {
                if (center) d.Top += (d.Height() - src.Height()) / 2;
                d.Bottom = d.Top + src.Height();
            }
        }
        if (!src.IsEmpty() && !d.IsEmpty()) {
            double srcRatio = double(src.Width()) / src.Height();
            double destRatio = double(d.Width()) / d.Height();
            if (srcRatio > destRatio) {
                int h = NearestEven(d.Width() / srcRatio);
                if (center) d.Top += (d.Height() - h) / 2;
                d.Bottom = d.Top + h;
            } else {
                int w = NearestEven(srcRatio * d.Height());
                if (center) d.Left += (d.Width() - w) / 2;
                d.Right = d.Left + w;
            }
        }
    } else {
        FitAxis(rect.Left, rect.Width(), bitmap->Width(), shrink, stretch, center, d.Left, d.Right, src.Left,
                src.Right);
        FitAxis(rect.Top, rect.Height(), bitmap->Height(), shrink, stretch, center, d.Top, d.Bottom, src.Top,
                src.Bottom);
    }

    canvas->FillRect(rect);
    if (d.IsEmpty() || src.IsEmpty()) return;
    TCopyMode mode = canvas->CopyMode();
    canvas->SetCopyMode(cmSrcCopy);
    canvas->DrawImage(bitmap->Image(), d, src, transparentColor != grColorNotSet, transparentColor);
    canvas->SetCopyMode(mode);
}
