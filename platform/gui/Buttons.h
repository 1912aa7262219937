#pragma once
// Buttons with glyphs: TBitBtn (a push button with a picture and a kind
// that presets caption and modal result) and TSpeedButton (a flat tool
// button that takes no focus).

#include <memory>

#include "platform/gui/Bitmap.h"
#include "platform/gui/StdCtrls.h"

class QToolButton;

enum TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TBitBtn : public TButton {
public:
    explicit TBitBtn(TComponent* owner);
    ~TBitBtn() override;
    // The picture; its bottom-left pixel's colour is transparent. With
    // NumGlyphs > 1 the first image of the strip is shown.
    TBitmap* Glyph() { return glyph_.get(); }
    void SetGlyph(const TBitmap* b);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int n);
    // Presets caption, modal result, default/cancel for the standard kinds.
    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind k);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout l);

private:
    void GlyphChanged();
    std::unique_ptr<TBitmap> glyph_;
    int numGlyphs_ = 1;
    TBitBtnKind kind_ = bkCustom;
    TButtonLayout layout_ = blGlyphLeft;
};

class TSpeedButton : public TControl {
public:
    explicit TSpeedButton(TComponent* owner);
    ~TSpeedButton() override;
    TBitmap* Glyph() { return glyph_.get(); }
    void SetGlyph(const TBitmap* b);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int n);
    bool Flat() const { return flat_; }
    void SetFlat(bool f);
    // Buttons of one group index (not 0) in one parent act as radio buttons.
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int g);
    bool Down() const { return down_; }
    void SetDown(bool d);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool a) { allowAllUp_ = a; }
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout l);
    void Click() override;

protected:
    void CaptionChanged() override;

private:
    friend class TBitBtn;
    QToolButton* Tool() const;
    void GlyphChanged();
    std::unique_ptr<TBitmap> glyph_;
    int numGlyphs_ = 1;
    bool flat_ = false;
    int groupIndex_ = 0;
    bool down_ = false;
    bool allowAllUp_ = false;
    TButtonLayout layout_ = blGlyphLeft;
};

// The picture of a glyph strip's first image as an icon image with its
// transparent colour (bottom-left pixel) made transparent.
QImage GlyphImage(TBitmap* glyph, int numGlyphs);
