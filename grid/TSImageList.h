#pragma once
// Image lists shared by grids, the link through which a grid refers to one,
// and the picture painter that draws a bitmap into a cell. The image list
// component is a shell in this system: a descendant supplies its links and
// its images (by index, with their names and collections), and no window
// places one. From those the component finds an image by the text a picture
// cell holds, which is how the grid paints picture names and steps through
// the list when a picture cell spins.

#include <string>

#include "platform/core/Component.h"
#include "platform/core/Types.h"
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
    // for none); none when the list holds no such image. By default the
    // image whose cell text (ImageValueName) equals name.
    virtual TBitmap* FindImage(const std::string& name, TColor& transparentColor);

    // What a grid's stored picture names remember the list by (its image
    // names), so that a name stored for one list is not followed in
    // another. By default the component's name; empty: the list gives none,
    // and picture names for it are stored as they are.
    virtual std::string Identifier() const { return Name(); }

    // The images in list order (index 0 first). A list that does not list
    // its images answers 0, and then picture cells do not spin.
    virtual Integer ImageCount() { return 0; }
    // The name of the image at index; empty outside the list.
    virtual std::string ImageName(Integer) { return {}; }
    // The named collection the image at index belongs to; empty when none.
    virtual std::string ImageCollectionName(Integer) { return {}; }
    // The picture at index and its transparent colour (clNone for none);
    // none outside the list.
    virtual TBitmap* ImageAt(Integer, TColor& transparentColor) {
        transparentColor = clNone;
        return nullptr;
    }

    // The text a picture cell holds for the image at index: the image's
    // name, or the collection's name, a full stop and the image's name.
    std::string ImageValueName(Integer index);
    // The first image whose cell text is value; -1 when none.
    Integer IndexOfImageValue(const std::string& value);
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
