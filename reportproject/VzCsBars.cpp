#include "reportproject/VzCsBars.h"

#include <cmath>

#include "platform/gui/Canvas.h"
#include "report/ReportDefs.h"
#include "reportproject/VzDesigner.h"
#include "reportproject/VzUtil.h"

namespace {
const std::vector<std::string> Justifies = {"pjCenter", "pjLeft", "pjRight", "pjBlock"};
const std::vector<std::string> Rotations = {"Rot0", "Rot90", "Rot180", "Rot270"};
// Widths are compared as they are shown, to the engine's length tolerance.
constexpr int WidthDecimals = 4;

void AddBarCodeProps(TVizeClass& c) {
    using B = TVizeBaseBarCode;
    TVizeProps<B>(c)
        .String("DataField", &B::DataField, &B::SetDataField)
        .Object<TVizeBaseDataView>("DataView", &B::DataView, &B::SetDataView)
        .Boolean("AutoSize", &B::AutoSize, &B::SetAutoSize, true)
        .Enumeration("BarCodeJustify", Justifies, &B::BarCodeJustify, &B::SetBarCodeJustify, pjLeft)
        .Float("Top", &B::GetTop, &B::SetTop)
        .Float("Height", &B::GetHeight, &B::SetHeight)
        .Float("Width", &B::GetWidth, &B::SetWidth)
        .Float("BarWidth", &B::BarWidth, &B::SetBarWidth)
        .Float("BarHeight", &B::BarHeight, &B::SetBarHeight)
        .Float("BarTop", &B::BarTop, &B::SetBarTop)
        .Float("Left", &B::GetLeft, &B::SetLeft)
        .StoredIf([](B& b) { return b.BarCodeJustify() == pjLeft; })
        .Float("Right", &B::GetRight, &B::SetRight)
        .StoredIf([](B& b) { return b.BarCodeJustify() == pjRight; })
        .Float("Center", &B::GetCenter, &B::SetCenter)
        .StoredIf([](B& b) { return b.BarCodeJustify() == pjCenter; })
        .Enumeration("TextJustify", Justifies, &B::TextJustify, &B::SetTextJustify, pjLeft)
        .Boolean("UseChecksum", &B::UseChecksum, &B::SetUseChecksum)
        .Float("WideFactor", &B::WideFactor, &B::SetWideFactor)
        .Boolean("PrintReadable", &B::PrintReadable, &B::SetPrintReadable, true)
        .Boolean("PrintChecksum", &B::PrintChecksum, &B::SetPrintChecksum)
        .Boolean("PrintTop", &B::PrintTop, &B::SetPrintTop)
        .Enumeration("BarCodeRotation", Rotations, &B::BarCodeRotation, &B::SetBarCodeRotation, Rot0);
}

template <class T>
TVizeClass* BarClass(const char* name) {
    auto* c = new TVizeClass(name, TVizeBaseBarCode::StaticClass(), [](TComponent* o) { return new T(o); }, true);
    TVizeProps<T>(*c).String("Text", &T::GetText, &T::SetText);
    return c;
}
}  // namespace

TVizeClassRef TVizeBaseBarCode::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeBaseBarCode", TVizeControl::StaticClass(), nullptr, true);
        AddBarCodeProps(*c);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizePostNetBarCode::StaticClass() {
    static TVizeClass* cls = BarClass<TVizePostNetBarCode>("TVizePostNetBarCode");
    return cls;
}
TVizeClassRef TVizeI2of5BarCode::StaticClass() {
    static TVizeClass* cls = BarClass<TVizeI2of5BarCode>("TVizeI2of5BarCode");
    return cls;
}
TVizeClassRef TVizeCode39BarCode::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = BarClass<TVizeCode39BarCode>("TVizeCode39BarCode");
        TVizeProps<TVizeCode39BarCode>(*c).Boolean(
            "Extended", [](TVizeCode39BarCode& b) { return static_cast<TVPBarsCode39*>(b.Encoder())->Extended; },
            [](TVizeCode39BarCode& b, bool v) { static_cast<TVPBarsCode39*>(b.Encoder())->Extended = v; });
        return c;
    }();
    return cls;
}
TVizeClassRef TVizeCode128BarCode::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = BarClass<TVizeCode128BarCode>("TVizeCode128BarCode");
        TVizeProps<TVizeCode128BarCode>(*c)
            .Enumeration(
                "CodePage", {"cpCodeA", "cpCodeB", "cpCodeC"},
                [](TVizeCode128BarCode& b) { return Int64(static_cast<TVPBarsCode128*>(b.Encoder())->CodePage); },
                [](TVizeCode128BarCode& b, Int64 v) {
                    static_cast<TVPBarsCode128*>(b.Encoder())->CodePage = TCodePage128(v);
                },
                cpCodeB)
            .Boolean(
                "Optimize", [](TVizeCode128BarCode& b) { return static_cast<TVPBarsCode128*>(b.Encoder())->Optimize; },
                [](TVizeCode128BarCode& b, bool v) { static_cast<TVPBarsCode128*>(b.Encoder())->Optimize = v; },
                true);
        return c;
    }();
    return cls;
}
TVizeClassRef TVizeUPCBarCode::StaticClass() {
    static TVizeClass* cls = BarClass<TVizeUPCBarCode>("TVizeUPCBarCode");
    return cls;
}
TVizeClassRef TVizeEANBarCode::StaticClass() {
    static TVizeClass* cls = BarClass<TVizeEANBarCode>("TVizeEANBarCode");
    return cls;
}

TVizePostNetBarCode::TVizePostNetBarCode(TComponent* owner) : TVizeBaseBarCode(owner) {
    InitBarCode(0.125, 0);
    SetPrintReadable(false);
}
void TVizePostNetBarCode::SetHeight(double) { TVizeBaseBarCode::SetHeight(0.125); }
TVizeI2of5BarCode::TVizeI2of5BarCode(TComponent* owner) : TVizeBaseBarCode(owner) { InitBarCode(0.25, 0); }
TVizeCode39BarCode::TVizeCode39BarCode(TComponent* owner) : TVizeBaseBarCode(owner) { InitBarCode(0.25, 0); }
TVizeCode128BarCode::TVizeCode128BarCode(TComponent* owner) : TVizeBaseBarCode(owner) { InitBarCode(0.25, 0); }
TVizeUPCBarCode::TVizeUPCBarCode(TComponent* owner) : TVizeBaseBarCode(owner) { InitBarCode(0.5, 11); }
TVizeEANBarCode::TVizeEANBarCode(TComponent* owner) : TVizeBaseBarCode(owner) { InitBarCode(0.5, 11); }

// ---------------------------------------------------------------- base

TVizeBaseBarCode::TVizeBaseBarCode(TComponent* owner) : TVizeControl(owner) { font_.SetName("Arial"); }

TVizeBaseBarCode::~TVizeBaseBarCode() = default;

void TVizeBaseBarCode::InitBarCode(double height, int fontSize) {
    encoder_ = CreateBarCode();
    encoder_->SetBarCodeJustify(pjLeft);
    encoder_->TextJustify = pjLeft;
    encoder_->BarCodeRotation = Rot0;
    if (fontSize > 0) font_.SetSize(fontSize);
    autoSize_ = true;
    SetHeight(height);
    SetWidth(0.5);
}

double TVizeBaseBarCode::AnchorValue() const {
    switch (encoder_->BarCodeJustify()) {
        case pjCenter: return encoder_->CenterX();
        case pjRight: return encoder_->RightEdge();
        default: return encoder_->LeftEdge();
    }
}

void TVizeBaseBarCode::ApplyAnchor(TPrintJustify justify, double value) {
    switch (justify) {
        case pjCenter: encoder_->SetCenter(value); break;
        case pjRight: encoder_->SetRight(value); break;
        default: encoder_->SetLeft(value); break;
    }
}

void TVizeBaseBarCode::PlaceAnchor(TPrintJustify justify, double centre, double right, double left) {
    ApplyAnchor(justify, justify == pjCenter ? centre : justify == pjRight ? right : left);
    encoder_->SetBarCodeJustify(justify);
}

struct TVizeBaseBarCode::TEncoderRestore {
    TVizeBaseBarCode* self;
    double top = self->encoder_->Top;
    TPrintJustify justify = self->encoder_->BarCodeJustify();
    double anchor = self->AnchorValue();
    ~TEncoderRestore() {
        self->ApplyAnchor(justify, anchor);
        self->encoder_->Top = top;
        self->encoder_->SetBarCodeJustify(justify);
        self->encoder_->BaseReport = nullptr;
        self->encoder_->BarCallback = nullptr;
    }
};

void TVizeBaseBarCode::SetText(const std::string& text) {
    encoder_->SetText(text);
    Refresh();
    DesignerChanged();
}

void TVizeBaseBarCode::SetLeft(double v) {
    if (encoder_) {
        TPrintJustify j = encoder_->BarCodeJustify();
        encoder_->SetLeft(v);
        encoder_->SetBarCodeJustify(j);
    }
    TVizeControl::SetLeft(v);
    DesignerChanged();
}

void TVizeBaseBarCode::SetRight(double v) {
    encoder_->SetRight(v);
    TVizeControl::SetLeft(v - GetWidth());
    DesignerChanged();
}

void TVizeBaseBarCode::SetCenter(double v) {
    encoder_->SetCenter(v);
    TVizeControl::SetLeft(encoder_->CenterX() - GetWidth() / 2);
    DesignerChanged();
}

void TVizeBaseBarCode::SetTop(double v) {
    if (encoder_) encoder_->Top = v;
    TVizeControl::SetTop(v);
    DesignerChanged();
}

void TVizeBaseBarCode::SetHeight(double v) {
    if (!encoder_) {
        TVizeControl::SetHeight(v);
        return;
    }
    encoder_->BarHeight = v - encoder_->ReadableHeight();
    TVizeControl::SetHeight(encoder_->TotalHeight());
}

void TVizeBaseBarCode::SetWidth(double v) {
    if (!encoder_ || !autoSize_) {
        TVizeControl::SetWidth(v);
        return;
    }
    TPrintJustify j = encoder_->BarCodeJustify();
    double anchor = AnchorValue();
    TVizeControl::SetWidth(encoder_->SymbolWidth());
    if (j == pjCenter) SetCenter(anchor);
    if (j == pjRight) SetRight(anchor);
}

void TVizeBaseBarCode::SetAutoSize(bool v) {
    autoSize_ = v;
    if (!encoder_) return;
    SetHeight(encoder_->TotalHeight());
    SetWidth(encoder_->SymbolWidth());
    DesignerChanged();
}

void TVizeBaseBarCode::SetBarCodeJustify(Int64 v) {
    if (!IsMemberOrdinal(v, pjBlock)) return;
    double l = GetLeft();
    encoder_->SetBarCodeJustify(TPrintJustify(v));
    switch (v) {
        case pjCenter: encoder_->SetCenter(l + GetWidth() / 2); break;
        case pjLeft: encoder_->SetLeft(l); break;
        case pjRight: encoder_->SetRight(l + GetWidth()); break;
        default: break;
    }
    DesignerChanged();
}

void TVizeBaseBarCode::SetBarWidth(double v) {
    encoder_->BarWidth = v;
    DesignerChanged();
}

void TVizeBaseBarCode::SetBarHeight(double v) {
    encoder_->BarHeight = v;
    DesignerChanged();
}

void TVizeBaseBarCode::SetWideFactor(double v) {
    encoder_->WideFactor = v;
    DesignerChanged();
}

void TVizeBaseBarCode::SetBarTop(double v) {
    encoder_->SetBarTop(v);
    SetTop(encoder_->Top);
}

void TVizeBaseBarCode::SetUseChecksum(bool v) {
    encoder_->SetUseChecksum(v);
    DesignerChanged();
}

void TVizeBaseBarCode::SetPrintTop(bool v) {
    encoder_->PrintTop = v;
    Refresh();
}

void TVizeBaseBarCode::SetDataField(const std::string& v) {
    dataField_ = v;
    Refresh();
}

void TVizeBaseBarCode::DesignerChanged() {
    if (encoder_ && !adjusting_) {
        adjusting_ = true;
        struct Done {
            bool& flag;
            ~Done() { flag = false; }
        } done{adjusting_};
        switch (encoder_->BarCodeJustify()) {
            case pjCenter:
                if (std::fabs(GetCenter() - encoder_->CenterX()) > 0.0001) encoder_->SetCenter(GetCenter());
                break;
            case pjRight:
                if (std::fabs(GetRight() - encoder_->RightEdge()) > 0.0001) encoder_->SetRight(GetRight());
                break;
            default:
                if (std::fabs(encoder_->LeftEdge() - GetLeft()) > 0.0001) {
                    TPrintJustify j = encoder_->BarCodeJustify();
                    encoder_->SetLeft(GetLeft());
                    encoder_->SetBarCodeJustify(j);
                }
                break;
        }
        encoder_->SetBottom(GetTop() + GetHeight());
        encoder_->BarHeight = GetHeight() - encoder_->ReadableHeight();
        // Compared as shown (to the length tolerance), not in whole inches.
        if (autoSize_ && FormatFloatTrim(encoder_->SymbolWidth(), WidthDecimals) !=
                             FormatFloatTrim(GetWidth(), WidthDecimals))
            SetWidth(encoder_->SymbolWidth());
    }
    TVizeControl::DesignerChanged();
}

void TVizeBaseBarCode::PrintSelf(TBaseReport* report) {
    if (!IsVisible()) return;
    if (!dataField_.empty()) encoder_->SetText(EvaluateDataText(this, dataView_, dataField_));
    encoder_->BaseReport = report;
    report->AssignFont(font_);
    encoder_->BarCallback = nullptr;
    TEncoderRestore restore{this};
    const TPrintJustify justify = restore.justify;

    double pl = PageLeft(), pt = PageTop(), pb = PageBottom();
    double w = GetWidth(), h = GetHeight();
    double d = encoder_->Top - TVizeControl::GetTop();
    double s = font_.Size() / 60.0;
    auto place = [&](double centre, double right, double left) { PlaceAnchor(justify, centre, right, left); };
    switch (encoder_->BarCodeRotation) {
        case Rot0:
            if (autoSize_) {
                encoder_->SetLeft(encoder_->LeftEdge() - GetLeft() + pl);
                encoder_->SetBarCodeJustify(pjLeft);
            } else {
                place(GetCenter() + pl - GetLeft(), GetRight() + pl - GetLeft(), encoder_->LeftEdge() + pl - GetLeft());
            }
            encoder_->Top = pt + d;
            break;
        case Rot90:
            place(pt + h - w / 2, pt + h - w, pt + h);
            encoder_->Top = pl + d;
            break;
        case Rot180:
            place(pl + w / 2, pl, pl + w);
            encoder_->Top = pb + s;
            break;
        case Rot270:
            place(pt + w / 2, pt + w, pt);
            encoder_->Top = pl + encoder_->BarHeight + s;
            break;
    }
    encoder_->Print();
}

void TVizeBaseBarCode::PaintSelf(TCanvas* canvas) {
    if (!encoder_) return;
    const TVizePageDesigner& d = DesignScale();
    canvas->Font()->Assign(font_);
    const double f = canvas->Font()->Size() / 60.0;
    const double readable = encoder_->PrintReadable ? f : 0.0;
    const double pl = PageLeft(), pt = PageTop(), pr = PageRight(), pb = PageBottom();
    const double w = GetWidth(), h = GetHeight();
    // Top is the encoder's, as the published property reads it; Bottom the
    // control's.
    const double left = GetLeft(), top = GetTop(), bottom = TVizeControl::GetTop() + h;

    canvas->Pen()->SetColor(clBlack);
    canvas->Pen()->SetStyle(psDash);
    canvas->Pen()->SetWidth(1);
    canvas->Pen()->SetMode(pmCopy);
    canvas->Brush()->SetStyle(bsClear);
    switch (encoder_->BarCodeRotation) {
        case Rot0:
        case Rot180: canvas->Rectangle(d.XI2D(pl), d.YI2D(pt), d.XI2D(pr) + 1, d.YI2D(pb + readable) + 1); break;
        case Rot90:
            canvas->Rectangle(d.XI2D(pl), d.YI2D(pb - w) - 1, d.XI2D(pl + h + readable), d.YI2D(pb) + 1);
            break;
        case Rot270:
            canvas->Rectangle(d.XI2D(pl), d.YI2D(pt) - 1, d.XI2D(pl + h + readable), d.YI2D(pt + w) + 1);
            break;
    }

    canvas->Pen()->SetStyle(psSolid);
    canvas->Brush()->SetColor(clBlack);
    canvas->Brush()->SetStyle(bsSolid);
    encoder_->BarCallback = [&](double x1, double y1, double x2, double y2) {
        canvas->Rectangle(d.XI2D(x1 + pl - left), d.YI2D(y1 + pt - top), d.XI2D(x2 + pl - left),
                          d.YI2D(y2 + pt - top));
    };
    TEncoderRestore restore{this};
    const TPrintJustify justify = restore.justify;
    auto place = [&](double centre, double right, double leftAnchor) {
        PlaceAnchor(justify, centre, right, leftAnchor);
    };
    const bool printTop = encoder_->PrintTop;
    switch (encoder_->BarCodeRotation) {
        case Rot0:
            if (printTop) encoder_->Top += f;
            break;
        case Rot90:
            place(bottom - w / 2, bottom - w, encoder_->Top + encoder_->TotalHeight());
            encoder_->Top = printTop ? left + f : left;
            break;
        case Rot180:
            place(left + w / 2, left, left + w);
            encoder_->Top += printTop ? h : h + f;
            break;
        case Rot270:
            place(top + w / 2, top + w, encoder_->Top);
            encoder_->Top = printTop ? left + h : left + h + f;
            break;
    }
    encoder_->Print();
}

void TVizeBaseBarCode::BeforeReport() {
    savedText_ = GetText();
    TVizeControl::BeforeReport();
}

void TVizeBaseBarCode::AfterReport() {
    encoder_->SetText(savedText_);
    TVizeControl::AfterReport();
}

void TVizeBaseBarCode::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeControl::ReplaceReference(oldRef, newRef);
    if (oldRef && oldRef == dataView_) dataView_ = dynamic_cast<TVizeBaseDataView*>(newRef);
}

namespace {
void RegisterVzCsBarsClasses() {
    RegisterComponentGroup("BarCodes", Trans("Bar Code"), "VZCsBars",
                           {TVizePostNetBarCode::StaticClass(), TVizeI2of5BarCode::StaticClass(),
                            TVizeCode39BarCode::StaticClass(), TVizeCode128BarCode::StaticClass(),
                            TVizeUPCBarCode::StaticClass(), TVizeEANBarCode::StaticClass()},
                           5);
}
}  // namespace

void InitializeVzCsBars() { RegisterProc("VZCL", RegisterVzCsBarsClasses); }
