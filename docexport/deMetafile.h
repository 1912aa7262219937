#pragma once
// The metafile interpreter: walks a recorded picture record by record,
// keeps its own copy of the drawing state the records change, and turns
// every drawing record into page items of the engine's current lists. The
// format writers never see the metafile, only these items.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "docexport/deDocItems.h"
#include "platform/gui/Metafile.h"

class TdeCustomDocumentEngine;

// A font with its escapement (tenths of a degree).
class TdeFont : public TFont {
public:
    Integer Escapement = 0;
    void Assign(const TdeFont& other) {
        TFont::Assign(other);
        Escapement = other.Escapement;
    }
    // From a plain font the escapement stays.
    void Assign(const TFont& other) { TFont::Assign(other); }
};

// A palette as the interpreter keeps it: its version-and-count word and
// its first entry.
struct TdePalette {
    std::uint32_t VersionAndCount = 0;
    std::uint32_t FirstEntry = 0;
};

// One entry of the metafile's object table.
struct TdeGDIOBJ {
    enum Kind : Byte { Pen = 0, Brush = 1, Font = 2, Palette = 3, Empty = 4 };
    Byte ObjKind = Empty;
    TPen PenObj;
    TBrush BrushObj;
    TdeFont FontObj;
    TdePalette PaletteObj;
};

// One saved drawing state.
struct TdeMetaState {
    TdeFont Font;
    TBrush Brush;
    TPen Pen;
    Byte BkMode = 2;
    Integer MapMode = 0;
    float Xform[6] = {1, 0, 0, 1, 0, 0};
    Integer WindowExtX = 1, WindowExtY = 1, ViewportExtX = 1, ViewportExtY = 1;
    Integer WindowOrgX = 0, WindowOrgY = 0, ViewportOrgX = 0, ViewportOrgY = 0;
};

class TdeMetafileProcessor {
public:
    explicit TdeMetafileProcessor(TdeCustomDocumentEngine* engine);
    ~TdeMetafileProcessor();
    TdeMetafileProcessor(const TdeMetafileProcessor&) = delete;
    TdeMetafileProcessor& operator=(const TdeMetafileProcessor&) = delete;

    // Interprets the metafile with every output position offset by (x, y)
    // pixels. Bad framing raises EMetafileError before anything is added; a
    // record naming a missing object ends the interpretation there.
    void Play(const TMetafile& metafile, double x, double y);
    void Play(const std::vector<std::uint8_t>& data, double x, double y);

    // When clear, the update-current-position text alignment is ignored.
    bool CurrentPositionText = false;

    // State, for callers that inspect it after playing.
    double MapScaleX() const { return mapScaleX_; }
    double MapScaleY() const { return mapScaleY_; }
    std::size_t ObjectCount() const { return objects_.size(); }
    const TdeGDIOBJ* Object(std::size_t index) const { return objects_[index].get(); }
    const TBrush& CurrentBrush() const { return brush_; }
    const TPen& CurrentPen() const { return pen_; }
    const TdeFont& CurrentFont() const { return font_; }

private:
    class Impl;
    friend class Impl;
    bool Record(const TMetafileRecord& r);

    TdeCustomDocumentEngine* engine_;
    double offX_ = 0, offY_ = 0;
    std::uint32_t rop2_ = 0, stretchMode_ = 0, polyFillMode_ = 0;
    std::uint32_t bkColor_ = 0xFFFFFF;
    Integer mapMode_ = 0;
    TdeFont font_;
    TBrush brush_;
    TPen pen_;
    TdePalette palette_;
    std::uint16_t textAlign_ = 4;
    std::uint32_t textColor_ = 0;
    Integer curX_ = 0, curY_ = 0;
    double textAdvance_ = 0;
    Byte bkMode_ = 2;
    double fillX1_ = 0, fillY1_ = 0, fillX2_ = 0, fillY2_ = 0;
    Integer decorationCountdown_ = 0;
    bool pendingFill_ = false;
    double clipX1_ = 0, clipY1_ = 0, clipX2_ = 0, clipY2_ = 0;
    Integer symbolFont_ = -1;
    std::vector<std::unique_ptr<TdeGDIOBJ>> objects_;
    bool wantText_ = false, wantImage_ = false, wantShape_ = false;
    bool clipActive_ = false;
    float xform_[6] = {1, 0, 0, 1, 0, 0};
    std::vector<std::pair<std::string, std::unique_ptr<TdeMetaState>>> states_;
    Integer vpOrgX_ = 0, vpOrgY_ = 0, vpExtX_ = 1, vpExtY_ = 1;
    Integer winOrgX_ = 0, winOrgY_ = 0, winExtX_ = 1, winExtY_ = 1;
    double mapScaleX_ = 1.0, mapScaleY_ = 1.0;
};
