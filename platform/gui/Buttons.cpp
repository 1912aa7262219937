#include "platform/gui/Buttons.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>

#include "platform/gui/Forms.h"

QImage GlyphImage(TBitmap* glyph, int numGlyphs) {
    if (!glyph || glyph->Empty()) return {};
    int n = std::max(1, numGlyphs);
    int w = glyph->Width() / n;
    if (w <= 0) w = glyph->Width();
    QImage img = glyph->ToImage().copy(0, 0, w, glyph->Height()).convertToFormat(QImage::Format_ARGB32);
    TColor key = glyph->TransparentColor();
    QRgb k = qRgb(GetRValue(key), GetGValue(key), GetBValue(key));
    for (int y = 0; y < img.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (k & 0xFFFFFF)) line[x] = 0;
    }
    return img;
}

// ---------------------------------------------------------------- bit btn

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), glyph_(std::make_unique<TBitmap>()) {
    glyph_->OnChange = [this](TGraphic*) { GlyphChanged(); };
}

TBitBtn::~TBitBtn() { glyph_->OnChange = nullptr; }

void TBitBtn::SetGlyph(const TBitmap* b) { glyph_->Assign(b); }

void TBitBtn::SetNumGlyphs(int n) {
    numGlyphs_ = std::clamp(n, 1, 4);
    GlyphChanged();
}

void TBitBtn::GlyphChanged() {
    QImage img = GlyphImage(glyph_.get(), numGlyphs_);
    if (img.isNull()) {
        Button()->setIcon(QIcon());
        return;
    }
    Button()->setIcon(QIcon(QPixmap::fromImage(img)));
    Button()->setIconSize(img.size());
}

void TBitBtn::SetLayout(TButtonLayout l) {
    layout_ = l;
    Button()->setLayoutDirection(l == blGlyphRight ? Qt::RightToLeft : Qt::LeftToRight);
}

void TBitBtn::SetKind(TBitBtnKind k) {
    kind_ = k;
    struct Preset { const char* caption; TModalResult result; bool isDefault; bool isCancel; QStyle::StandardPixmap icon; };
    Preset p{nullptr, mrNone, false, false, QStyle::SP_CustomBase};
    switch (k) {
        case bkOK: p = {"OK", mrOk, true, false, QStyle::SP_DialogOkButton}; break;
        case bkCancel: p = {"Cancel", mrCancel, false, true, QStyle::SP_DialogCancelButton}; break;
        case bkHelp: p = {"&Help", mrNone, false, false, QStyle::SP_DialogHelpButton}; break;
        case bkYes: p = {"&Yes", mrYes, true, false, QStyle::SP_DialogYesButton}; break;
        case bkNo: p = {"&No", mrNo, false, true, QStyle::SP_DialogNoButton}; break;
        case bkClose: p = {"&Close", mrNone, false, false, QStyle::SP_DialogCloseButton}; break;
        case bkAbort: p = {"Abort", mrAbort, false, true, QStyle::SP_DialogAbortButton}; break;
        case bkRetry: p = {"&Retry", mrRetry, false, false, QStyle::SP_DialogRetryButton}; break;
        case bkIgnore: p = {"&Ignore", mrIgnore, false, false, QStyle::SP_DialogIgnoreButton}; break;
        case bkAll: p = {"&All", mrAll, true, false, QStyle::SP_DialogYesToAllButton}; break;
        case bkCustom: return;
    }
    SetCaption(p.caption);
    SetModalResult(p.result);
    if (p.isDefault) SetDefault(true);
    if (p.isCancel) SetCancel(true);
    if (glyph_->Empty() && QApplication::instance()) Button()->setIcon(QApplication::style()->standardIcon(p.icon));
    if (k == bkClose) {
        OnClick = [this](TObject*) {
            if (auto* f = GetParentForm(this)) f->Close();
        };
    }
}

// ------------------------------------------------------------ speed button

TSpeedButton::TSpeedButton(TComponent* owner) : TControl(owner), glyph_(std::make_unique<TBitmap>()) {
    auto* b = new QToolButton;
    b->setFocusPolicy(Qt::NoFocus);
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    SetWidget(b);
    width_ = 23;
    height_ = 22;
    b->resize(width_, height_);
    glyph_->OnChange = [this](TGraphic*) { GlyphChanged(); };
    QObject::connect(b, &QToolButton::clicked, b, [this] { DispatchGuarded([this] { Click(); }); });
}

TSpeedButton::~TSpeedButton() { glyph_->OnChange = nullptr; }

QToolButton* TSpeedButton::Tool() const { return static_cast<QToolButton*>(widget_.data()); }

void TSpeedButton::SetGlyph(const TBitmap* b) { glyph_->Assign(b); }

void TSpeedButton::SetNumGlyphs(int n) {
    numGlyphs_ = std::clamp(n, 1, 4);
    GlyphChanged();
}

void TSpeedButton::GlyphChanged() {
    QImage img = GlyphImage(glyph_.get(), numGlyphs_);
    Tool()->setIcon(img.isNull() ? QIcon() : QIcon(QPixmap::fromImage(img)));
    if (!img.isNull()) Tool()->setIconSize(img.size());
    CaptionChanged();
}

void TSpeedButton::CaptionChanged() {
    Tool()->setText(QString::fromStdString(StripHotkey(caption_)));
    bool hasIcon = !Tool()->icon().isNull();
    if (caption_.empty()) Tool()->setToolButtonStyle(Qt::ToolButtonIconOnly);
    else if (!hasIcon) Tool()->setToolButtonStyle(Qt::ToolButtonTextOnly);
    else if (layout_ == blGlyphTop || layout_ == blGlyphBottom) Tool()->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    else Tool()->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
}

void TSpeedButton::SetLayout(TButtonLayout l) {
    layout_ = l;
    CaptionChanged();
}

void TSpeedButton::SetFlat(bool f) {
    flat_ = f;
    Tool()->setAutoRaise(f);
}

void TSpeedButton::SetGroupIndex(int g) {
    groupIndex_ = g;
    Tool()->setCheckable(g != 0);
    SetDown(down_);
}

void TSpeedButton::SetDown(bool d) {
    if (groupIndex_ == 0) d = false;
    down_ = d;
    {
        QSignalBlocker block(Tool());
        Tool()->setChecked(d);
    }
    if (d && parent_) {
        for (int i = 0; i < parent_->ControlCount(); ++i) {
            auto* other = dynamic_cast<TSpeedButton*>(parent_->Controls(i));
            if (other && other != this && other->groupIndex_ == groupIndex_ && other->down_) other->SetDown(false);
        }
    }
}

void TSpeedButton::Click() {
    if (groupIndex_ != 0) {
        if (!down_) SetDown(true);
        else if (allowAllUp_) SetDown(false);
        else SetDown(true);
    }
    TControl::Click();
}
