#include "platform/gui/ExtCtrls.h"

#include <QFontMetrics>
#include <QGroupBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <algorithm>

#include "platform/gui/GroupFrame.h"

void Frame3D(TCanvas* canvas, TRect& rect, TColor topColor, TColor bottomColor, int width) {
    TPen* pen = canvas->Pen();
    TColor savedColor = pen->Color();
    int savedWidth = pen->Width();
    TPenStyle savedStyle = pen->Style();
    TPenMode savedMode = pen->Mode();
    pen->SetWidth(1);
    pen->SetStyle(psSolid);
    pen->SetMode(pmCopy);
    rect.Bottom -= 1;
    rect.Right -= 1;
    for (int i = 0; i < width; ++i) {
        pen->SetColor(topColor);
        canvas->Polyline({{rect.Left, rect.Bottom}, {rect.Left, rect.Top}, {rect.Right, rect.Top}});
        pen->SetColor(bottomColor);
        canvas->Polyline({{rect.Right, rect.Top}, {rect.Right, rect.Bottom}, {rect.Left - 1, rect.Bottom}});
        InflateRect(rect, -1, -1);
    }
    rect.Bottom += 1;
    rect.Right += 1;
    pen->SetColor(savedColor);
    pen->SetWidth(savedWidth);
    pen->SetStyle(savedStyle);
    pen->SetMode(savedMode);
}

// ------------------------------------------------------------------ panel

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 185, 41);
    color_ = clBtnFace;
}

void TPanel::Paint() {
    TCanvas* c = TCustomControl::Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(color_);
    c->FillRect(r);
    auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        if (cut == bvSpace) {
            InflateRect(r, -bevelWidth_, -bevelWidth_);
            return;
        }
        TColor top = cut == bvLowered ? clBtnShadow : clBtnHighlight;
        TColor bottom = cut == bvLowered ? clBtnHighlight : clBtnShadow;
        Frame3D(c, r, top, bottom, bevelWidth_);
    };
    bevel(bevelOuter_);
    bevel(bevelInner_);
    if (!caption_.empty()) {
        c->Font()->Assign(font_);
        c->Brush()->SetStyle(bsClear);
        std::string text = StripHotkey(caption_);
        int w = c->TextWidth(text), h = c->TextHeight(text);
        int x = alignment_ == taLeftJustify ? r.Left + 2
                : alignment_ == taRightJustify ? r.Right - 2 - w
                                               : (r.Left + r.Right - w) / 2;
        int y = (r.Top + r.Bottom - h) / 2;
        c->SetTextAlign(TA_LEFT | TA_TOP);
        c->TextRect(r, x, y, text);
        c->Brush()->SetStyle(bsSolid);
    }
    if (OnPaint) OnPaint(this);
}

// ------------------------------------------------------------------ bevel

TBevel::TBevel(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 50, 50);
    widget_->setAttribute(Qt::WA_TransparentForMouseEvents);
    SetTabStop(false);
}

void TBevel::SetParent(TWinControl* parent) {
    TCustomControl::SetParent(parent);
    if (parent) {
        color_ = parent->Color();
        SendToBack();
    }
}

void TBevel::Paint() {
    TCanvas* c = TCustomControl::Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(color_);
    c->FillRect(r);
    TColor c1 = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor c2 = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetMode(pmCopy);
    auto line = [&](TColor col, int x0, int y0, int x1, int y1) {
        c->Pen()->SetColor(col);
        c->MoveTo(x0, y0);
        c->LineTo(x1, y1);
    };
    int w = r.Width(), h = r.Height();
    switch (shape_) {
        case bsBox: {
            TRect f = r;
            Frame3D(c, f, c1, c2, 1);
            break;
        }
        case bsFrame: {
            TRect outer = r;
            outer.Right -= 1;
            outer.Bottom -= 1;
            TRect inner = outer;
            OffsetRect(inner, 1, 1);
            Frame3D(c, inner, c2, c2, 1);
            Frame3D(c, outer, c1, c1, 1);
            break;
        }
        case bsTopLine: line(c1, 0, 0, w, 0); line(c2, 0, 1, w, 1); break;
        case bsBottomLine: line(c1, 0, h - 2, w, h - 2); line(c2, 0, h - 1, w, h - 1); break;
        case bsLeftLine: line(c1, 0, 0, 0, h); line(c2, 1, 0, 1, h); break;
        case bsRightLine: line(c1, w - 2, 0, w - 2, h); line(c2, w - 1, 0, w - 1, h); break;
        case bsSpacer: break;
    }
    if (OnPaint) OnPaint(this);
}

// -------------------------------------------------------------- paint box

TPaintBox::TPaintBox(TComponent* owner) : TCustomControl(owner) {
    SetBounds(0, 0, 105, 105);
    SetTabStop(false);
}

// ------------------------------------------------------------------ image

TImage::TImage(TComponent* owner) : TCustomControl(owner), picture_(std::make_unique<TPicture>()) {
    SetBounds(0, 0, 105, 105);
    SetTabStop(false);
    picture_->OnChange = [this](TPicture*) { PictureChanged(); };
}

TImage::~TImage() { picture_->OnChange = nullptr; }

TCanvas* TImage::Canvas() {
    TBitmap* b = picture_->Bitmap();
    if (b->Empty()) b->SetSize(width_, height_);
    return b->Canvas();
}

void TImage::SetAutoSize(bool a) {
    autoSize_ = a;
    PictureChanged();
}

void TImage::PictureChanged() {
    if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0)
        SetBounds(left_, top_, picture_->Width(), picture_->Height());
    Invalidate();
}

TRect TImage::DestRect() const {
    int w = picture_->Width(), h = picture_->Height();
    int cw = ClientWidth(), ch = ClientHeight();
    if (stretch_ || (proportional_ && (w > cw || h > ch))) {
        if (proportional_ && w > 0 && h > 0) {
            double aspect = double(w) / h;
            if (w > h) {
                w = cw;
                h = int(cw / aspect);
                if (h > ch) {
                    h = ch;
                    w = int(ch * aspect);
                }
            } else {
                h = ch;
                w = int(ch * aspect);
                if (w > cw) {
                    w = cw;
                    h = int(cw / aspect);
                }
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r(0, 0, w, h);
    if (center_) OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
    return r;
}

void TImage::Paint() {
    TCanvas* c = TCustomControl::Canvas();
    TColor back = parent_ ? parent_->Color() : clBtnFace;
    c->Brush()->SetColor(back);
    c->FillRect(ClientRect());
    TGraphic* g = picture_->Graphic();
    if (g && !g->Empty()) {
        bool savedTransparent = g->Transparent();
        if (transparent_ && !savedTransparent) g->SetTransparent(true);
        auto saved = g->OnChange;
        g->OnChange = nullptr;
        c->StretchDraw(DestRect(), g);
        if (transparent_ && !savedTransparent) g->SetTransparent(false);
        g->OnChange = saved;
    }
    if (OnPaint) OnPaint(this);
}

// ------------------------------------------------------------ radio group

namespace {
class TRadioGroupStrings : public TStrings {
public:
    TRadioGroupStrings(TStringList* s, TRadioGroup* g) : store(s), group(g) {}
    Integer Count() const override { return store->Count(); }
    std::string Get(Integer i) const override { return store->Get(i); }
    void Put(Integer i, const std::string& s) override {
        store->Put(i, s);
        group->ItemsChanged();
    }
    TObject* GetObject(Integer i) const override { return store->GetObject(i); }
    void PutObject(Integer i, TObject* o) override { store->PutObject(i, o); }
    void Insert(Integer i, const std::string& s) override {
        store->Insert(i, s);
        if (UpdateCount() == 0) group->ItemsChanged();
    }
    void Delete(Integer i) override {
        store->Delete(i);
        if (UpdateCount() == 0) group->ItemsChanged();
    }
    void Clear() override {
        store->Clear();
        if (UpdateCount() == 0) group->ItemsChanged();
    }
    void EndUpdate() override {
        TStrings::EndUpdate();
        if (UpdateCount() == 0) group->ItemsChanged();
    }
    TStringList* store;
    TRadioGroup* group;
};
}  // namespace

TRadioGroup::TRadioGroup(TComponent* owner) : TWinControl(owner) {
    SetWidget(new GroupFrameWidget);
    itemsStore_ = std::make_unique<TStringList>();
    items_ = std::make_unique<TRadioGroupStrings>(itemsStore_.get(), this);
    SetBounds(0, 0, 185, 105);
}

TRadioGroup::~TRadioGroup() = default;

void TRadioGroup::CaptionChanged() { static_cast<QGroupBox*>(widget_.data())->setTitle(QString::fromStdString(caption_)); }

void TRadioGroup::SetColumns(int c) {
    columns_ = std::clamp(c, 1, 16);
    Arrange();
}

void TRadioGroup::ItemsChanged() {
    for (QRadioButton* b : buttons_) delete b;
    buttons_.clear();
    auto* box = static_cast<QGroupBox*>(widget_.data());
    for (int i = 0; i < itemsStore_->Count(); ++i) {
        auto* b = new QRadioButton(QString::fromStdString(itemsStore_->Get(i)), box);
        b->setFont(font_.ToQFont());
        QObject::connect(b, &QRadioButton::toggled, b, [this, i](bool on) {
            if (!on || updating_) return;
            DispatchGuarded([this, i] {
                itemIndex_ = i;
                Click();
            });
        });
        b->show();
        buttons_.push_back(b);
    }
    if (itemIndex_ >= int(buttons_.size())) itemIndex_ = -1;
    if (itemIndex_ >= 0) {
        updating_ = true;
        buttons_[std::size_t(itemIndex_)]->setChecked(true);
        updating_ = false;
    }
    Arrange();
}

void TRadioGroup::SetItemIndex(int i) {
    i = std::clamp(i, -1, int(buttons_.size()) - 1);
    if (i == itemIndex_) return;
    updating_ = true;
    if (itemIndex_ >= 0) {
        QRadioButton* old = buttons_[std::size_t(itemIndex_)];
        old->setAutoExclusive(false);
        old->setChecked(false);
        old->setAutoExclusive(true);
    }
    itemIndex_ = i;
    if (i >= 0) buttons_[std::size_t(i)]->setChecked(true);
    updating_ = false;
    if (i >= 0) Click();
}

void TRadioGroup::BoundsChanged() {
    TWinControl::BoundsChanged();
    Arrange();
}

void TRadioGroup::ApplyFont() {
    TWinControl::ApplyFont();
    for (QRadioButton* b : buttons_) b->setFont(font_.ToQFont());
    Arrange();
}

void TRadioGroup::Arrange() {
    if (buttons_.empty()) return;
    QFontMetrics m(font_.ToQFont());
    int count = int(buttons_.size());
    int perCol = (count + columns_ - 1) / columns_;
    int buttonWidth = (width_ - 10) / columns_;
    int space = height_ - m.height() - 5;
    int buttonHeight = std::max(1, space / perCol);
    int topMargin = m.height() + 1 + (space % perCol) / 2;
    for (int i = 0; i < count; ++i)
        buttons_[std::size_t(i)]->setGeometry((i / perCol) * buttonWidth + 8, (i % perCol) * buttonHeight + topMargin,
                                              buttonWidth, buttonHeight);
}
