#include "docexport/deDocSettings.h"

#include <algorithm>

#include "docexport/deConsts.h"
#include "docexport/deCstDocEng.h"
#include "docexport/deUtils.h"
#include "platform/gui/Prompts.h"

std::pair<double, double> PaperSizeInches(TdePaperSize size) {
    static const std::pair<double, double> sizes[] = {
        {8.5, 11}, {8.5, 11}, {11, 17}, {17, 11}, {8.5, 14}, {5.5, 8.5}, {7.25, 10.5},
        {11.6929, 16.5354}, {8.2677, 11.6929}, {8.2677, 11.6929}, {5.8267, 8.2677},
        {9.8425, 13.8976}, {6.9291, 9.8425}, {8.5, 13}, {8.4645, 10.8267}, {10, 14},
        {10, 17},  // the 11 X 17 entry is 10 inches wide
        {8.5, 11}, {4.125, 9.5}, {4.5, 10.375}, {4.75, 11}, {5, 11.5}, {17, 22}, {22, 34},
        {34, 44}, {4.3307, 8.6614}, {6.3779, 9.0157}, {12.7559, 18.0314}, {9.1057, 12.7559},
        {4.4881, 6.3779}, {4.4881, 9.0157}, {9.8425, 13.8976}, {6.9291, 9.8425},
        {6.9291, 4.9212}, {4.3307, 9.0551}, {3.875, 7.5}, {3.625, 6.5}, {14.875, 11},
        {8.5, 12}, {9.8425, 13.8976}, {0, 0}};
    static_assert(sizeof sizes / sizeof sizes[0] == dePaperSizeCount);
    int i = static_cast<int>(size);
    if (i < 0 || i >= dePaperSizeCount) return {0, 0};
    return sizes[i];
}

// ---- page ----------------------------------------------------------------------

TdePageSettings::TdePageSettings(TdeDocSettings* sharedOwner) : shared_(sharedOwner) { ApplyPaperSize(A4); }

void TdePageSettings::SetPaperSize(TdePaperSize size) {
    if (shared_) shared_->PaperSizeChanging(size);
    ApplyPaperSize(size);
}

void TdePageSettings::ApplyPaperSize(TdePaperSize size) {
    paperSize_ = size;
    if (size == Custom) return;
    auto [w, h] = PaperSizeInches(size);
    if (orientation_ == poLandscape) std::swap(w, h);
    px_[plWidth] = w * 72 * PointsToPixels();
    px_[plHeight] = h * 72 * PointsToPixels();
}

void TdePageSettings::SetOrientation(TdeOrientation o) {
    if (o == orientation_) return;
    if (shared_) shared_->OrientationChanging(o);
    orientation_ = o;
    std::swap(px_[plWidth], px_[plHeight]);
}

void TdePageSettings::SetWidth(double v) {
    if (paperSize_ == Custom) Set(plWidth, v);
}

void TdePageSettings::SetHeight(double v) {
    if (paperSize_ == Custom) Set(plHeight, v);
}

void TdePageSettings::Set(TdePageLength which, double v) {
    if (shared_) shared_->PageChanging(which, v * f_);
    px_[which] = v * f_;
}

void TdePageSettings::Assign(const TPersistent* source) {
    if (auto s = dynamic_cast<const TdePageSettings*>(source)) {
        px_ = s->px_;
        paperSize_ = s->paperSize_;
        orientation_ = s->orientation_;
        binNumber_ = s->binNumber_;
        return;
    }
    TPersistent::Assign(source);
}

// ---- frame, table, formatting, border, effects ------------------------------------

std::array<double, 4> TdeFrame::InsetsPixels() const {
    std::array<double, 4> r = Insets;
    if (engine_)
        for (auto& v : r) v *= engine_->UnitFactorValue();
    return r;
}

void TdeFrame::Assign(const TPersistent* source) {
    if (auto s = dynamic_cast<const TdeFrame*>(source)) {
        DrawLeft = s->DrawLeft;
        DrawRight = s->DrawRight;
        DrawTop = s->DrawTop;
        DrawBottom = s->DrawBottom;
        Insets = s->Insets;
        return;
    }
    TPersistent::Assign(source);
}

void TdeTableSettings::Assign(const TPersistent* source) {
    if (auto s = dynamic_cast<const TdeTableSettings*>(source)) {
        columnWidth_ = s->columnWidth_;
        rowHeight_ = s->rowHeight_;
        titleHeight_ = s->titleHeight_;
        cellInsets_ = s->cellInsets_;
        AutoFitColumns = s->AutoFitColumns;
        ShowTitles = s->ShowTitles;
        return;
    }
    TPersistent::Assign(source);
}

void TdeBorder::Assign(const TPersistent* source) {
    if (auto s = dynamic_cast<const TdeBorder*>(source)) {
        DrawLeft = s->DrawLeft;
        DrawRight = s->DrawRight;
        DrawTop = s->DrawTop;
        DrawBottom = s->DrawBottom;
        Color = s->Color;
        Style = s->Style;
        Width = s->Width;
        return;
    }
    TPersistent::Assign(source);
}

void TdeParaBorder::Assign(const TPersistent* source) {
    TdeBorder::Assign(source);
    if (auto s = dynamic_cast<const TdeParaBorder*>(source)) Spacing = s->Spacing;
}

void TdeTextFormatting::Assign(const TPersistent* source) {
    if (auto s = dynamic_cast<const TdeTextFormatting*>(source)) {
        spaceBefore_ = s->spaceBefore_;
        leftIndent_ = s->leftIndent_;
        rightIndent_ = s->rightIndent_;
        firstLineIndent_ = s->firstLineIndent_;
        LineSpacing = s->LineSpacing;
        Alignment = s->Alignment;
        f_ = s->f_;
        Border.Assign(&s->Border);
        return;
    }
    TPersistent::Assign(source);
}

void TdeTextEffects::Assign(const TPersistent* source) {
    if (auto s = dynamic_cast<const TdeTextEffects*>(source)) {
        TextRenderMode = s->TextRenderMode;
        TextRise = s->TextRise;
        return;
    }
    TPersistent::Assign(source);
}

// ---- images -------------------------------------------------------------------------

TdeImageSettings::TdeImageSettings(TdeCustomDocumentEngine* engine) : SourceDPI(ScreenPPI()), engine_(engine) {}

void TdeImageSettings::SetOutputImageFormat(TdeOutputImageFormat f) {
    if (engine_) {
        std::string message;
        if (!engine_->CheckImageFormat(f, message)) {
            MessageDlg(message, mtError, TMsgDlgButtons{mbOK});
            return;
        }
    }
    format_ = f;
}

void TdeImageSettings::Assign(const TPersistent* source) {
    if (auto s = dynamic_cast<const TdeImageSettings*>(source)) {
        Center = s->Center;
        ActualSize = s->ActualSize;
        Stretch = s->Stretch;
        Transparent = s->Transparent;
        KeepAspectRatio = s->KeepAspectRatio;
        Framed = s->Framed;
        SetOutputImageFormat(s->format_);
        ImagePixelFormat = s->ImagePixelFormat;
        JPEGQuality = s->JPEGQuality;
        SourceDPI = s->SourceDPI;
        return;
    }
    TPersistent::Assign(source);
}

// ---- document information and preferences --------------------------------------------

void TdeDocInfo::Set(TdeDocInfoField f, const std::string& v) {
    if (shared_) shared_->DocInfoChanging(f, v);
    values_[f] = v;
}

void TdeDocInfo::Assign(const TPersistent* source) {
    if (auto s = dynamic_cast<const TdeDocInfo*>(source)) {
        values_ = s->values_;
        return;
    }
    TPersistent::Assign(source);
}

TdePreferences::TdePreferences(TdeDocSettings* sharedOwner) : shared_(sharedOwner) {
    values_[prOpenAfterCreate] = true;
    values_[prEmailAfterCreate] = false;
    values_[prOutputToUserStream] = false;
    values_[prProcessAfterEachPage] = false;
    values_[prShowSetupDialog] = true;
    values_[prCalculateVariables] = true;
    values_[prUseImagesAsResources] = true;
}

void TdePreferences::Set(TdePreference p, bool v) {
    if (shared_) shared_->PreferenceChanging(p, v);
    values_[p] = v;
}

void TdePreferences::Assign(const TPersistent* source) {
    if (auto s = dynamic_cast<const TdePreferences*>(source)) {
        values_ = s->values_;
        return;
    }
    TPersistent::Assign(source);
}

// ---- shared settings -------------------------------------------------------------------

TdeDocSettings::TdeDocSettings(TComponent* owner)
    : TdeComponent(owner), docInfo_(this), page_(this), preferences_(this) {
    page_.SetF(UnitFactor(unit_));
}

TdeDocSettings::~TdeDocSettings() {
    auto engines = engines_;
    for (auto* e : engines) e->SetSettings(nullptr);
}

void TdeDocSettings::AttachEngine(TdeCustomDocumentEngine* engine) {
    if (std::find(engines_.begin(), engines_.end(), engine) != engines_.end()) return;
    engines_.push_back(engine);
    FreeNotification(engine);
    engine->SetBackgroundColor(backgroundColor_);
    engine->BackgroundImage()->Assign(&backgroundImage_);
    engine->SetBackgroundImageDisplayType(displayType_);
    engine->DocInfo()->Assign(&docInfo_);
    engine->Page()->Assign(&page_);
    engine->Preferences()->Assign(&preferences_);
    engine->SetMeasurementUnit(unit_);
}

void TdeDocSettings::DetachEngine(TdeCustomDocumentEngine* engine) {
    auto it = std::find(engines_.begin(), engines_.end(), engine);
    if (it == engines_.end()) return;
    engines_.erase(it);
    RemoveFreeNotification(engine);
}

void TdeDocSettings::Notification(TComponent* component, TOperation operation) {
    TdeComponent::Notification(component, operation);
    if (operation == opRemove) {
        auto it = std::find(engines_.begin(), engines_.end(), component);
        if (it != engines_.end()) engines_.erase(it);
    }
}

void TdeDocSettings::SetBackgroundColor(TColor c) {
    for (auto* e : engines_)
        if (e->BackgroundColor() == backgroundColor_) e->SetBackgroundColor(c);
    backgroundColor_ = c;
}

void TdeDocSettings::SetBackgroundImage(const TPicture* p) {
    for (auto* e : engines_) e->BackgroundImage()->Assign(p);
    backgroundImage_.Assign(p);
}

void TdeDocSettings::SetBackgroundImageDisplayType(TdeBackgroundDisplayType t) {
    for (auto* e : engines_)
        if (e->BackgroundImageDisplayType() == displayType_) e->SetBackgroundImageDisplayType(t);
    displayType_ = t;
}

void TdeDocSettings::SetMeasurementUnit(TdeUnitType u) {
    for (auto* e : engines_)
        if (e->MeasurementUnit() == unit_) e->SetMeasurementUnit(u);
    unit_ = u;
    page_.SetF(UnitFactor(u));
}

void TdeDocSettings::PageChanging(TdePageLength which, double newPixels) {
    const bool size = which == plWidth || which == plHeight;
    for (auto* e : engines_) {
        TdePageSettings* p = e->Page();
        if (size && p->PaperSize() != Custom) continue;
        if (p->Pixels(which) == page_.Pixels(which)) p->SetPixels(which, newPixels);
    }
}

void TdeDocSettings::PaperSizeChanging(TdePaperSize size) {
    for (auto* e : engines_)
        if (e->Page()->PaperSize() == page_.PaperSize()) e->Page()->SetPaperSize(size);
}

void TdeDocSettings::OrientationChanging(TdeOrientation o) {
    for (auto* e : engines_)
        if (e->Page()->Orientation() == page_.Orientation()) e->Page()->SetOrientation(o);
}

void TdeDocSettings::DocInfoChanging(TdeDocInfoField f, const std::string& v) {
    for (auto* e : engines_)
        if (e->DocInfo()->Get(f) == docInfo_.Get(f)) e->DocInfo()->Set(f, v);
}

void TdeDocSettings::PreferenceChanging(TdePreference p, bool v) {
    if (p == prCalculateVariables) return;  // stays with the shared object
    for (auto* e : engines_)
        if (e->Preferences()->Get(p) == preferences_.Get(p)) e->Preferences()->Set(p, v);
}

// ---- published properties -----------------------------------------------------------

namespace {
const bool registered = [] {
    std::vector<std::string> paper = {"Letter", "LetterSmall", "Tabloid", "Ledger", "Legal", "Statement", "Executive", "A3", "A4", "A4Small", "A5", "B4", "B5", "Folio", "Quarto", "ps10X14", "ps11X17", "Note", "Env10", "Env11", "Env12", "Env14", "CSheet", "DSheet", "ESheet", "EnvDL", "EnvC5", "EnvC3", "EnvC4", "EnvC6", "EnvC65", "EnvB4", "EnvB5", "EnvB6", "EnvItaly", "EnvMonarch", "EnvPersonal", "FanfoldUS", "FanfoldStdGerman", "ISOB4", "Custom"};
    TPublished<TdePageSettings>()
        .Enumeration("PaperSize", paper, &TdePageSettings::PaperSize, &TdePageSettings::SetPaperSize)
        .Float("Width", &TdePageSettings::Width, &TdePageSettings::SetWidth)
        .Float("Height", &TdePageSettings::Height, &TdePageSettings::SetHeight)
        .Enumeration("Orientation", {"poPortrait", "poLandscape"}, &TdePageSettings::Orientation,
                     &TdePageSettings::SetOrientation)
        .Float("LeftMargin", &TdePageSettings::LeftMargin, &TdePageSettings::SetLeftMargin)
        .Float("RightMargin", &TdePageSettings::RightMargin, &TdePageSettings::SetRightMargin)
        .Float("TopMargin", &TdePageSettings::TopMargin, &TdePageSettings::SetTopMargin)
        .Float("BottomMargin", &TdePageSettings::BottomMargin, &TdePageSettings::SetBottomMargin)
        .Integer("BinNumber", &TdePageSettings::BinNumber, &TdePageSettings::SetBinNumber)
        .Float("HeaderHeight", &TdePageSettings::HeaderHeight, &TdePageSettings::SetHeaderHeight)
        .Float("FooterHeight", &TdePageSettings::FooterHeight, &TdePageSettings::SetFooterHeight);
    TPublished<TdePreferences>()
        .Boolean("OpenAfterCreate", &TdePreferences::OpenAfterCreate, &TdePreferences::SetOpenAfterCreate)
        .Boolean("EmailAfterCreate", &TdePreferences::EmailAfterCreate, &TdePreferences::SetEmailAfterCreate)
        .Boolean("OutputToUserStream", &TdePreferences::OutputToUserStream,
                 &TdePreferences::SetOutputToUserStream)
        .Boolean("ProcessAfterEachPage", &TdePreferences::ProcessAfterEachPage,
                 &TdePreferences::SetProcessAfterEachPage)
        .Boolean("ShowSetupDialog", &TdePreferences::ShowSetupDialog, &TdePreferences::SetShowSetupDialog)
        .Boolean("CalculateVariables", &TdePreferences::CalculateVariables,
                 &TdePreferences::SetCalculateVariables)
        .Boolean("UseImagesAsResources", &TdePreferences::UseImagesAsResources,
                 &TdePreferences::SetUseImagesAsResources);
    TPublished<TdeDocInfo>()
        .String("Author", &TdeDocInfo::Author, &TdeDocInfo::SetAuthor)
        .String("Subject", &TdeDocInfo::Subject, &TdeDocInfo::SetSubject)
        .String("Creator", &TdeDocInfo::Creator, &TdeDocInfo::SetCreator)
        .String("Title", &TdeDocInfo::Title, &TdeDocInfo::SetTitle)
        .String("Keywords", &TdeDocInfo::Keywords, &TdeDocInfo::SetKeywords);
    return true;
}();
}  // namespace

namespace {
const bool registeredTools = [] {
    TPublished<TdeBorder>()
        .Boolean("DrawLeft", [](TdeBorder& b) { return b.DrawLeft; }, [](TdeBorder& b, bool v) { b.DrawLeft = v; })
        .Boolean("DrawRight", [](TdeBorder& b) { return b.DrawRight; }, [](TdeBorder& b, bool v) { b.DrawRight = v; })
        .Boolean("DrawTop", [](TdeBorder& b) { return b.DrawTop; }, [](TdeBorder& b, bool v) { b.DrawTop = v; })
        .Boolean("DrawBottom", [](TdeBorder& b) { return b.DrawBottom; },
                 [](TdeBorder& b, bool v) { b.DrawBottom = v; })
        .Integer("Color", [](TdeBorder& b) { return b.Color; }, [](TdeBorder& b, TColor v) { b.Color = v; })
        .Enumeration("Style", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"},
                     [](TdeBorder& b) { return b.Style; }, [](TdeBorder& b, TPenStyle v) { b.Style = v; })
        .Integer("Width", [](TdeBorder& b) { return b.Width; }, [](TdeBorder& b, Integer v) { b.Width = v; });
    TPublished<TdeParaBorder, TdeBorder>();
    TPublished<TdeTextEffects>()
        .Enumeration("TextRenderMode", {"trmFill", "trmStroke", "trmFillStroke"},
                     [](TdeTextEffects& e) { return e.TextRenderMode; },
                     [](TdeTextEffects& e, TdeTextRenderMode v) { e.TextRenderMode = v; })
        .Enumeration("TextRise", {"trNormal", "trSuperscript", "trSubscript"},
                     [](TdeTextEffects& e) { return e.TextRise; },
                     [](TdeTextEffects& e, TdeTextRise v) { e.TextRise = v; });
    TPublished<TdeImageSettings>()
        .Integer("SourceDPI", [](TdeImageSettings& s) { return s.SourceDPI; },
                 [](TdeImageSettings& s, Integer v) { s.SourceDPI = v; })
        .Enumeration("OutputImageFormat", {"ifBMP", "ifJPEG", "ifGIF", "ifPNG", "ifMetafile", "ifCCITT3", "ifCCITT4"},
                     &TdeImageSettings::OutputImageFormat, &TdeImageSettings::SetOutputImageFormat)
        .Enumeration("ImagePixelFormat",
                     {"pfDevice", "pf1bit", "pf4bit", "pf8bit", "pf15bit", "pf16bit", "pf24bit", "pf32bit", "pfCustom"},
                     [](TdeImageSettings& s) { return s.ImagePixelFormat; },
                     [](TdeImageSettings& s, TPixelFormat v) { s.ImagePixelFormat = v; })
        .Integer("JPEGQuality", [](TdeImageSettings& s) { return s.JPEGQuality; },
                 [](TdeImageSettings& s, Integer v) { s.JPEGQuality = v; });
    TPublished<TdeDocSettings, TdeComponent>()
        .Integer("BackgroundColor", &TdeDocSettings::BackgroundColor, &TdeDocSettings::SetBackgroundColor)
        .Enumeration("BackgroundImageDisplayType",
                     {"dtTile", "dtTopLeft", "dtTopCenter", "dtTopRight", "dtCenterLeft", "dtCenter",
                      "dtCenterRight", "dtBottomLeft", "dtBottomCenter", "dtBottomRight"},
                     &TdeDocSettings::BackgroundImageDisplayType, &TdeDocSettings::SetBackgroundImageDisplayType)
        .Enumeration("MeasurementUnit", {"muPixels", "muInches", "muMM", "muPoints", "muTwips"},
                     &TdeDocSettings::MeasurementUnit, &TdeDocSettings::SetMeasurementUnit);
    return true;
}();
}  // namespace
