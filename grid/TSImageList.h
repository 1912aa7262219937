#pragma once
// Image lists shared by grids, the link through which a grid refers to one,
// and the picture painter that draws a bitmap into a cell. The image list
// component is a shell in this system: its operations are supplied by a
// descendant, and no window places one.

#include <string>

#include "platform/core/Component.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Canvas.h"

class TgrImageLink;

class TgrImageListComponent : public TComponent {
public:
    using TComponent::TComponent;
    // Remembers the link and sets the link's component to this one.
    virtual void AddLink(TgrImageLink* link) = 0;
    // Forgets the link and clears the link's component.
    virtual void RemoveLink(TgrImageLink* link) = 0;
    // The picture a cell names by text, and its transparent colour (clNone
    // for none); none when the list holds no such image.
    virtual TBitmap* FindImage(const std::string& name, TColor& transparentColor) {
        transparentColor = clNone;
        return nullptr;
    }
};

class TgrImageLink : public TPersistent {
public:
    TgrImageLink() = default;
    // Detaches from the image list first.
    ~TgrImageLink() override;
    TgrImageLink(const TgrImageLink&) = delete;
    TgrImageLink& operator=(const TgrImageLink&) = delete;

    TgrImageListComponent* ImageList() const { return ImageListComponent; }
    // Nothing when comp is already attached; otherwise the attached list
    // removes the link and comp (when not none) adds it.
    void SetImageList(TgrImageListComponent* comp);

    // Notifications from the image list; the grid's link overrides them.
    virtual void ImageListChanged() {}
    virtual void ImageListRemoved() {}

    // Set and cleared by the image list's AddLink and RemoveLink.
    TgrImageListComponent* ImageListComponent = nullptr;
};

// Draws bitmap into rect on the canvas: the cell is filled with the canvas
// brush and the bitmap drawn into it, scaled, cut, fitted and placed by the
// grid's picture settings. keepAspect fits the picture keeping its
// proportions; shrink lets a larger picture shrink (otherwise it is cut);
// stretch lets a smaller picture grow (otherwise it keeps its size);
// center places it in the middle (otherwise at the top left). Pixels of
// transparentColor are left out unless it is the unset colour clNone. An
// empty bitmap only fills the cell.
void DrawPicture(TCanvas* canvas, const TRect& rect, TBitmap* bitmap, bool keepAspect, bool shrink, bool stretch,
                 bool center, TColor transparentColor);
