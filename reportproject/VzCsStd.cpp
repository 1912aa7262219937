#include "reportproject/VzCsStd.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "platform/gui/Metafile.h"
#include "report/BaseReport.h"
#include "report/Memo.h"
#include "report/ReportDefs.h"
#include "reportproject/VzData.h"
#include "reportproject/VzProj.h"
#include "reportproject/VzUtil.h"

namespace {
const std::vector<std::string> FontStyles = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
const std::vector<std::string> MatchSides = {"msWidth", "msHeight", "msBoth", "msInside"};

template <class T>
TVizeClass* NewClass(const char* name, TVizeClassRef parent) {
    return new TVizeClass(name, parent, [](TComponent* owner) { return new T(owner); }, true);
}

// Replaces an owned event: the old one is freed, the new one learns its
// sender.
template <class E>
void SwapEvent(E*& slot, E* event, TVizeComponent* sender) {
    if (slot == event) return;
    E* old = slot;
    slot = event;
    if (slot) slot->SetSender(sender);
    delete old;
}

void CopyFontParts(TFont& to, const TFont& from) {
    to.SetName(from.Name());
    to.SetSize(from.Size());
    to.SetStyle((to.Style() & fsStrikeOut) | (from.Style() & (fsBold | fsItalic | fsUnderline)));
}
}  // namespace

TBaseReport* ProjectReport(const TVizeComponent* c) {
    return c && c->Project() ? c->Project()->BaseReport() : nullptr;
}

bool ProjectPrinting(const TVizeComponent* c) { return c && c->Project() && c->Project()->Printing(); }

// ------------------------------------------------------------- classes

TVizeClassRef TVizeFont::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeFont", TVizePersistent::StaticClass(),
                                 [](TComponent*) { return new TVizeFont; }, false);
        TVizeProps<TVizeFont>(*c)
            .String("Name", &TVizeFont::Name, &TVizeFont::SetName)
            .Integer("Size", &TVizeFont::Size, &TVizeFont::SetSize, NoDefault)
            .Set("Style", FontStyles, &TVizeFont::Style, &TVizeFont::SetStyle)
            .Integer("Color", &TVizeFont::Color, &TVizeFont::SetColor);
        return c;
    }();
    return cls;
}

TVizeFont::TVizeFont() {
    font_.SetName("Arial");
    font_.SetSize(10);
    font_.SetStyle(0);
    font_.SetColor(0);
}

TVizeClassRef TVizeFontMaster::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeFontMaster>("TVizeFontMaster", TVizeComponent::StaticClass());
        TVizeProps<TVizeFontMaster>(*c).Object<TVizeFont>("Font", &TVizeFontMaster::Font,
                                                          &TVizeFontMaster::SetFont);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizePageNumInit::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizePageNumInit>("TVizePageNumInit", TVizeComponent::StaticClass());
        TVizeProps<TVizePageNumInit>(*c)
            .Integer("InitValue", &TVizePageNumInit::InitValue, &TVizePageNumInit::SetInitValue, NoDefault)
            .Object<TVizeBaseDataView>("InitDataView", &TVizePageNumInit::InitDataView,
                                       &TVizePageNumInit::SetInitDataView)
            .String("InitDataField", &TVizePageNumInit::InitDataField, &TVizePageNumInit::SetInitDataField);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeCustomText::StaticClass() {
    static const TVizeClass cls("TVizeCustomText", TVizeControl::StaticClass(), nullptr, true);
    return &cls;
}

namespace {
// The text properties every text component publishes.
template <class T>
void AddTextProps(TVizeClass& c) {
    TVizeProps<T>(c)
        .Integer("Color", &T::ColorOrd, &T::SetColorOrd)
        .template Object<TVizeFont>("Font", &T::Font, &T::SetFont)
        .Enumeration("FontJustify", VizeJustifyNames, &T::FontJustify, &T::SetFontJustify, pjLeft)
        .template Object<TVizeFontMaster>("FontMirror", &T::FontMirror, &T::SetFontMirror)
        .String("Text", &T::StoredText, [](T& t, const std::string& v) { t.SetText(v); })
        .template Object<TVizeStringEvent>("OnGetText", &T::OnGetText, &T::SetOnGetText);
}
}  // namespace

TVizeClassRef TVizeText::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeText>("TVizeText", TVizeCustomText::StaticClass());
        AddTextProps<TVizeText>(*c);
        TVizeProps<TVizeText>(*c)
            .Integer("Rotation", &TVizeText::Rotation, &TVizeText::SetRotation)
            .Boolean("Truncate", &TVizeText::Truncate, &TVizeText::SetTruncate);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizePrintEvent::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizePrintEvent", TVizeSimpleEvent::StaticClass(),
                                 [](TComponent*) { return new TVizePrintEvent; }, false);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeSection::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeSection>("TVizeSection", TVizeContainerControl::StaticClass());
        TVizeProps<TVizeSection>(*c)
            .Boolean("WasteFit", &TVizeSection::WasteFit, &TVizeSection::SetWasteFit)
            .Object<TVizePrintEvent>("OnPrint", &TVizeSection::OnPrint, &TVizeSection::SetOnPrint);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeBaseImage::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeBaseImage", TVizeControl::StaticClass(), nullptr, true);
        TVizeProps<TVizeBaseImage>(*c)
            .Enumeration("MatchSide", MatchSides, &TVizeBaseImage::MatchSide, &TVizeBaseImage::SetMatchSide)
            .String("FileLink", &TVizeBaseImage::FileLink, &TVizeBaseImage::SetFileLink)
            .String("DataField", &TVizeBaseImage::DataField, &TVizeBaseImage::SetDataField)
            .Object<TVizeBaseDataView>("DataView", &TVizeBaseImage::DataView, &TVizeBaseImage::SetDataView);
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeGraphicImage::StaticClass() {
    static const TVizeClass cls("TVizeGraphicImage", TVizeBaseImage::StaticClass(), nullptr, true);
    return &cls;
}

TVizeClassRef TVizeBitmap::StaticClass() {
    static TVizeClass* cls = NewClass<TVizeBitmap>("TVizeBitmap", TVizeGraphicImage::StaticClass());
    return cls;
}

TVizeClassRef TVizeMetaFile::StaticClass() {
    static TVizeClass* cls = NewClass<TVizeMetaFile>("TVizeMetaFile", TVizeGraphicImage::StaticClass());
    return cls;
}

TVizeClassRef TVizeMailMergeItem::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeMailMergeItem", TVizePersistent::StaticClass(),
                                 [](TComponent*) { return new TVizeMailMergeItem; }, false);
        using M = TVizeMailMergeItem;
        TVizeProps<M>(*c)
            .String("SearchToken", [](M& m) { return m.SearchToken; },
                    [](M& m, const std::string& v) { m.SearchToken = v; })
            .String("ReplaceString", [](M& m) { return m.ReplaceString; },
                    [](M& m, const std::string& v) { m.ReplaceString = v; })
            .Boolean("CaseMatters", [](M& m) { return m.CaseMatters; }, [](M& m, bool v) { m.CaseMatters = v; });
        return c;
    }();
    return cls;
}

TVizeClassRef TVizeMailMergeList::StaticClass() {
    static const TVizeClass cls("TVizeMailMergeList", TVizePersistentList::StaticClass(), nullptr, false);
    return &cls;
}

TPersistent* TVizeMailMergeList::CreateItem(const std::string&, TComponent*) { return new TVizeMailMergeItem; }

TVizeClassRef TVizeMemo::StaticClass() {
    static TVizeClass* cls = [] {
        TVizeClass* c = NewClass<TVizeMemo>("TVizeMemo", TVizeCustomText::StaticClass());
        AddTextProps<TVizeMemo>(*c);
        TVizeProps<TVizeMemo>(*c)
            .Boolean("ExpandParent", &TVizeMemo::ExpandParent, &TVizeMemo::SetExpandParent, true)
            .Object<TVizeMailMergeList>("MailMergeItems", &TVizeMemo::MailMergeItems, &TVizeMemo::SetMailMergeItems)
            .Boolean("Truncate", &TVizeMemo::Truncate, &TVizeMemo::SetTruncate);
        return c;
    }();
    return cls;
}

// ---------------------------------------------------------- font master

TVizeFontMaster::TVizeFontMaster(TComponent* owner) : TVizeComponent(owner), font_(std::make_unique<TVizeFont>()) {}

void TVizeFontMaster::SetFont(TVizeFont* f) {
    if (f && f != font_.get()) font_->Assign(*f);
}

// ------------------------------------------------------ page-number init

TVizePageNumInit::TVizePageNumInit(TComponent* owner) : TVizeComponent(owner) {}

TVizePageNumInit::~TVizePageNumInit() { Destroying(); }

void TVizePageNumInit::SetInitDataView(TVizeBaseDataView* v) {
    initDataView_ = v;
    if (v) FreeNotification(v);
}

void TVizePageNumInit::PrintSelf(TBaseReport* report) {
    Integer value = initValue_;
    if (!initDataField_.empty()) {
        std::string text = NumericText(EvaluateDataText(this, initDataView_, initDataField_));
        value = Integer(std::trunc(StrToFloatDot(text, 1)));
    }
    report->PageNumOffset = value - report->CurrentPage();
}

void TVizePageNumInit::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeComponent::ReplaceReference(oldRef, newRef);
    if (oldRef && oldRef == initDataView_) SetInitDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
}

// ---------------------------------------------------------- custom text

TVizeCustomText::TVizeCustomText(TComponent* owner) : TVizeControl(owner), font_(std::make_unique<TVizeFont>()) {}

TVizeCustomText::~TVizeCustomText() {
    Destroying();
    FreeEvents();
}

void TVizeCustomText::SetFont(TVizeFont* f) {
    if (f && f != font_.get()) font_->Assign(*f);
    Refresh();
}

void TVizeCustomText::SetFontJustify(Int64 j) {
    if (j == fontJustify_) return;
    fontJustify_ = j;
    Refresh();
}

void TVizeCustomText::SetFontMirror(TVizeFontMaster* m) {
    fontMirror_ = m;
    if (m) FreeNotification(m);
    Refresh();
}

void TVizeCustomText::SetOnGetText(TVizeStringEvent* e) { SwapEvent(onGetText_, e, this); }

void TVizeCustomText::SetText(const std::string& v) {
    if (v == text_) return;
    text_ = v;
    Refresh();
}

void TVizeCustomText::SetForeColor(Integer colour) {
    font_->SetColor(colour);
    Refresh();
}

Integer TVizeCustomText::GetForeColor() const { return fontMirror_ ? VizeNoColor : Integer(font_->Color()); }

TVizeFont* TVizeCustomText::GetFont() const { return fontMirror_ ? nullptr : font_.get(); }

const TFont& TVizeCustomText::PrintFont() const {
    return fontMirror_ && fontMirror_->Font() ? fontMirror_->Font()->Font() : font_->Font();
}

void TVizeCustomText::ApplyFont(int part, const TFont& font) {
    TFont& own = font_->Font();
    auto style = [&](TFontStyle bit) { own.SetStyle((own.Style() & ~unsigned(bit)) | (font.Style() & bit)); };
    switch (part) {
        case 0: CopyFontParts(own, font); break;
        case 1: own.SetName(font.Name()); break;
        case 2: own.SetSize(font.Size()); break;
        case 3: style(fsBold); break;
        case 4: style(fsItalic); break;
        case 5: style(fsUnderline); break;
        default: break;
    }
    DesignerChanged();
}

void TVizeCustomText::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeControl::ReplaceReference(oldRef, newRef);
    if (oldRef && oldRef == fontMirror_) SetFontMirror(dynamic_cast<TVizeFontMaster*>(newRef));
}

std::string TVizeCustomText::TextWithEvent(const std::string& text) {
    if (!onGetText_) return text;
    onGetText_->Value = text;
    onGetText_->Execute();
    return onGetText_->Value;
}

void TVizeCustomText::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == fontMirror_) fontMirror_ = nullptr;
    TVizeControl::Notification(component, operation);
}

// ----------------------------------------------------------------- text

TVizeText::TVizeText(TComponent* owner) : TVizeCustomText(owner) { SetWidth(1.0); }

double TVizeText::GetHeight() const { return std::abs(PrintFont().Size()) / 60.0; }

void TVizeText::PrintSelf(TBaseReport* report) {
    if (!IsVisible()) return;
    std::string text = TextWithEvent(GetText());
    report->AssignFont(PrintFont());
    report->SetFontRotation(rotation_);
    report->SetLineTop(PageTop());
    if (truncate_) text = report->TruncateText(text, GetWidth());
    report->TextFieldWidth = GetWidth();
    report->PrintJustify(text, TPrintJustify(FontJustify()), PageLeft(), 0, GetWidth());
}

// --------------------------------------------------------------- section

// The handler's Report is the canvas object itself, as scripts pass it to
// the drawing API's functions.
void TVizePrintEvent::PushParams(TVizeModule& module) { module.PushObject(Report); }

TVizeSection::TVizeSection(TComponent* owner) : TVizeContainerControl(owner) {
    SetHeight(3.0);
    SetWidth(3.0);
}

TVizeSection::~TVizeSection() {
    Destroying();
    FreeEvents();
}

void TVizeSection::SetOnPrint(TVizePrintEvent* e) { SwapEvent(onPrint_, e, this); }

bool TVizeSection::IsPrintComplete() {
    if (onPrint_ && onPrint_->IsSuspended()) return false;
    return TVizeContainerControl::IsPrintComplete();
}

void TVizeSection::BeforePrint() {
    TBaseReport* r = ProjectReport(this);
    if (wasteFit_ && r) {
        double mL = r->UnitsToInchesX(r->GetLeftWaste()) + 0.01;
        double mT = r->UnitsToInchesY(r->GetTopWaste()) + 0.01;
        double mR = r->UnitsToInchesX(r->GetPageWidth()) - (r->UnitsToInchesX(r->GetRightWaste()) + 0.01);
        double mB = r->UnitsToInchesY(r->GetPageHeight()) - (r->UnitsToInchesY(r->GetBottomWaste()) + 0.01);
        TVizeRect b = GetBoundsRect();
        if (FloatLess(b.Left, mL) || FloatLess(b.Top, mT) || FloatGreater(b.Right, mR) ||
            FloatGreater(b.Bottom, mB))
            SetBoundsRect({std::max(mL, b.Left), std::max(mT, b.Top), std::min(mR, b.Right), std::min(mB, b.Bottom)});
    }
    TVizeContainerControl::BeforePrint();
}

void TVizeSection::PrintSelf(TBaseReport* report) {
    if (!onPrint_) return;
    report->SetOriginX(report->InchesToUnitsX(PageLeft()));
    report->SetOriginY(report->InchesToUnitsY(PageTop()));
    report->SetSectionLeft(0);
    report->SetSectionRight(report->InchesToUnitsX(GetWidth()));
    report->SetSectionTop(0);
    report->SetSectionBottom(report->InchesToUnitsY(GetHeight()));
    report->Home();
    onPrint_->Report = report;
    struct Reset {
        TBaseReport* r;
        ~Reset() {
            r->SetOriginX(0);
            r->SetOriginY(0);
        }
    } reset{report};
    onPrint_->Execute();
}

// ---------------------------------------------------------------- images

void PlaceImage(TMatchSide side, double x1, double y1, double& x2, double& y2, int iw, int ih, bool integer) {
    if (iw <= 0 || ih <= 0) return;
    double w = x2 - x1, h = y2 - y1;
    auto div = [integer](double a, double b) { return integer ? std::trunc(a / b) : a / b; };
    auto byWidth = [&] { y2 = y1 + div(w * ih, iw); };
    auto byHeight = [&] { x2 = x1 + div(h * iw, ih); };
    switch (side) {
        case msWidth: byWidth(); break;
        case msHeight: byHeight(); break;
        case msBoth: break;
        case msInside:
            if (w > 0 && double(iw) * h / (double(ih) * w) > 1)
                byWidth();
            else
                byHeight();
            break;
    }
}

TVizeBaseImage::TVizeBaseImage(TComponent* owner) : TVizeControl(owner) {
    SetHeight(3.0);
    SetWidth(3.0);
}

TVizeBaseImage::~TVizeBaseImage() { Destroying(); }

void TVizeBaseImage::SetFileLink(const std::string& v) {
    std::string t = Trim(v);
    if (t == fileLink_) return;
    fileLink_ = t;
    Refresh();
}

void TVizeBaseImage::SetDataView(TVizeBaseDataView* v) {
    dataView_ = v;
    if (v) FreeNotification(v);
}

void TVizeBaseImage::LoadImageFile(const std::string& name) {
    std::error_code ec;
    if (name.empty() || !std::filesystem::is_regular_file(name, ec)) return;
    TFileStream file(name, fmOpenRead);
    LoadImageStream(file);
}

std::string TVizeBaseImage::ImageName() const { return Trans("Image"); }
std::string TVizeBaseImage::ImageFilter() const { return Trans("All Files") + " (*.*)|*.*"; }

void TVizeBaseImage::PrintSelf(TBaseReport* report) {
    if (!IsVisible()) return;
    struct Release {
        TVizeBaseImage* self;
        ~Release() { self->ReleaseLoadedImage(); }
    } release{this};
    if (dataView_ && !dataField_.empty()) {
        TVizeDataField* field = dataView_->FieldByName(dataField_);
        if (!field || field->IsNull()) return;
        if (dynamic_cast<TVizeBlobField*>(field)) {
            std::string bytes = field->AsString();
            TMemoryStream s;
            if (!bytes.empty()) s.Write(bytes.data(), Int64(bytes.size()));
            s.SetPosition(0);
            LoadImageStream(s);
        } else {
            std::error_code ec;
            auto full = std::filesystem::absolute(field->AsString(), ec);
            if (!ec) LoadImageFile(full.string());
        }
    } else {
        LoadImageFile(fileLink_);
    }
    double x1 = PageLeft(), y1 = PageTop(), x2 = PageRight(), y2 = PageBottom();
    if (HasImage()) {
        PlaceImage(TMatchSide(matchSide_), x1, y1, x2, y2, ImageWidth(), ImageHeight(), false);
        PrintImage(report, report->InchesToUnitsX(x1), report->InchesToUnitsY(y1), report->InchesToUnitsX(x2),
                   report->InchesToUnitsY(y2));
        return;
    }
    double ux1 = report->InchesToUnitsX(x1), uy1 = report->InchesToUnitsY(y1);
    double ux2 = report->InchesToUnitsX(x2), uy2 = report->InchesToUnitsY(y2);
    report->SetPen(0x808080, psSolid, 1, pmCopy);
    report->SetBrush(0, bsClear, nullptr);
    report->Rectangle(ux1, uy1, ux2, uy2);
    report->MoveTo(ux1, uy1);
    report->LineTo(ux2, uy2);
    report->MoveTo(ux1, uy2);
    report->LineTo(ux2, uy1);
}

void TVizeBaseImage::ReplaceReference(TVizeComponent* oldRef, TVizeComponent* newRef) {
    TVizeControl::ReplaceReference(oldRef, newRef);
    if (oldRef && oldRef == dataView_) SetDataView(dynamic_cast<TVizeBaseDataView*>(newRef));
}

void TVizeBaseImage::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component == dataView_) dataView_ = nullptr;
    TVizeControl::Notification(component, operation);
}

TVizeGraphicImage::TVizeGraphicImage(TComponent* owner) : TVizeBaseImage(owner) {}

TVizeGraphicImage::~TVizeGraphicImage() { Destroying(); }

TGraphic* TVizeGraphicImage::Image() {
    if (!image_) image_ = CreateGraphic();
    return image_.get();
}

void TVizeGraphicImage::SetImage(const TGraphic* g) {
    image_ = CreateGraphic();
    if (g) image_->Assign(g);
    Refresh();
}

void TVizeGraphicImage::LoadImageStream(TStream& stream) {
    ReleaseLoadedImage();
    std::vector<std::uint8_t> bytes(size_t(std::max<Int64>(0, stream.Size() - stream.Position())));
    if (!bytes.empty()) stream.ReadBuffer(bytes.data(), Int64(bytes.size()));
    loaded_ = CreateGraphic();
    try {
        loaded_->LoadFromBytes(bytes);
    } catch (const Exception&) {
        // A damaged picture prints as the placeholder.
        loaded_.reset();
        return;
    }
    if (!HasImage()) ReleaseLoadedImage();
}

void TVizeGraphicImage::DefineProperties(TVizeFiler& filer) {
    filer.DefineBinaryProperty(
        "ImageData",
        [this](TStream& s) {
            std::vector<std::uint8_t> bytes(size_t(std::max<Int64>(0, s.Size() - s.Position())));
            if (!bytes.empty()) s.ReadBuffer(bytes.data(), Int64(bytes.size()));
            auto g = CreateGraphic();
            g->LoadFromBytes(bytes);
            image_ = std::move(g);
        },
        [this](TStream& s) {
            std::vector<std::uint8_t> bytes = image_->SaveToBytes();
            s.Write(bytes.data(), Int64(bytes.size()));
        },
        image_ && !image_->Empty());
}

bool TVizeBitmap::HasImage() const { return CurrentImage() && !CurrentImage()->Empty(); }

void TVizeBitmap::PrintImage(TBaseReport* report, double x1, double y1, double x2, double y2) {
    report->PrintBitmapRect(x1, y1, x2, y2, static_cast<TBitmap*>(CurrentImage()));
}

std::string TVizeBitmap::ImageName() const { return Trans("Bitmap"); }
std::string TVizeBitmap::ImageFilter() const { return Trans("Bitmap Files") + " (*.bmp)|*.bmp"; }
std::unique_ptr<TGraphic> TVizeBitmap::CreateGraphic() const { return std::make_unique<TBitmap>(); }

bool TVizeMetaFile::HasImage() const { return CurrentImage() && !CurrentImage()->Empty(); }

void TVizeMetaFile::PrintImage(TBaseReport* report, double x1, double y1, double x2, double y2) {
    report->StretchDraw(report->UnitsToDeviceRect(x1, y1, x2, y2), CurrentImage());
}

std::string TVizeMetaFile::ImageName() const { return Trans("MetaFile"); }
std::string TVizeMetaFile::ImageFilter() const { return Trans("MetaFile Files") + "(*.emf;*.wmf)|*.emf;*.wmf"; }
std::unique_ptr<TGraphic> TVizeMetaFile::CreateGraphic() const { return std::make_unique<TMetafile>(); }

// ------------------------------------------------------------------ memo

TVizeMemo::TVizeMemo(TComponent* owner)
    : TVizeCustomText(owner), mailMerge_(std::make_unique<TVizeMailMergeList>()) {
    SetHeight(2.0);
    SetWidth(3.0);
}

TVizeMemo::~TVizeMemo() { Destroying(); }

void TVizeMemo::SetMailMergeItems(TVizeMailMergeList* list) {
    if (list == mailMerge_.get()) return;
    mailMerge_->Clear();
    if (!list) return;
    for (int i = 0; i < list->Count(); ++i) {
        auto* from = dynamic_cast<TVizeMailMergeItem*>(list->Items(i));
        if (!from) continue;
        auto* item = new TVizeMailMergeItem;
        item->SearchToken = from->SearchToken;
        item->ReplaceString = from->ReplaceString;
        item->CaseMatters = from->CaseMatters;
        mailMerge_->Add(item);
    }
}

void TVizeMemo::SetText(const std::string& v) { TVizeCustomText::SetText(v); }

void TVizeMemo::PrepareMemo() {
    if (prepared_) return;
    memoBuf_ = std::make_unique<TMemoBuf>();
    memoBuf_->BaseReport = ProjectReport(this);
    TBaseReport* r = memoBuf_->BaseReport;
    memoBuf_->PrintStart = r ? r->InchesToUnitsX(PageLeft()) : PageLeft();
    memoBuf_->PrintEnd = r ? r->InchesToUnitsX(PageRight()) : PageRight();
    memoBuf_->Justify = TPrintJustify(FontJustify());
    std::string text = GetText();
    std::string head = Trim(text).substr(0, 5);
    if (containsRTF_ || SameText(head, "{\\rtf"))
        memoBuf_->SetRTF(text);
    else
        memoBuf_->SetText(text);
    for (int i = 0; i < mailMerge_->Count(); ++i) {
        TVizeMailMergeItem* item = mailMerge_->Item(i);
        std::string value = EvaluateDataText(this, nullptr, item->ReplaceString);
        memoBuf_->ReplaceAll(item->SearchToken, value, item->CaseMatters);
    }
    prepared_ = true;
}

void TVizeMemo::UnprepareMemo() {
    if (!prepared_) return;
    memoBuf_.reset();
    prepared_ = false;
}

void TVizeMemo::PrintSelf(TBaseReport* report) {
    PrepareMemo();
    if (!IsVisible()) return;
    report->AssignFont(PrintFont());
    report->SetLineTop(report->InchesToUnitsY(PageTop()));
    memoBuf_->BaseReport = report;
    memoBuf_->PrintStart = report->InchesToUnitsX(PageLeft());
    memoBuf_->PrintEnd = report->InchesToUnitsX(PageRight());
    memoBuf_->PrintHeight(report->InchesToUnitsY(GetHeight()), false);
    if (memoBuf_->AtEnd() || truncate_) UnprepareMemo();
}

bool TVizeMemo::IsPrintComplete() { return !memoBuf_ || memoBuf_->AtEnd(); }

void TVizeMemo::PrepareContent() {
    if (!memoBuf_ || memoBuf_->AtEnd()) prepared_ = false;
    PrepareMemo();
}

double TVizeMemo::RequiredHeight() const {
    TBaseReport* r = ProjectReport(this);
    if (!memoBuf_ || !r) return 0;
    if (!expandParent_) return AdjHeight();
    r->AssignFont(PrintFont());
    r->ResetLineHeight();
    memoBuf_->BaseReport = r;
    return r->UnitsToInchesY(memoBuf_->MemoHeight());
}

void TVizeMemo::BeforeReport() {
    prepared_ = false;
    memoBuf_.reset();
    savedAnchor_ = Anchor();
    if (expandParent_) SetAnchor((anStretch << 4) | HAnchor());
    TVizeCustomText::BeforeReport();
}

void TVizeMemo::AfterReport() {
    SetAnchor(savedAnchor_);
    memoBuf_.reset();
    prepared_ = false;
    TVizeCustomText::AfterReport();
}

// ------------------------------------------------------------- start-up

namespace {
void RegisterVzCsStdClasses() {
    std::vector<TVizeClassRef> classes = {TVizeText::StaticClass(),       TVizeMemo::StaticClass(),
                                          TVizeSection::StaticClass(),    TVizeBitmap::StaticClass(),
                                          TVizeMetaFile::StaticClass(),   TVizeFontMaster::StaticClass(),
                                          TVizePageNumInit::StaticClass()};
    RegisterComponentGroup("Standard", Trans("Standard"), "VzCsStd", classes, 6);
}
}  // namespace

void InitializeVzCsStd() { RegisterProc("VZCL", RegisterVzCsStdClasses); }
