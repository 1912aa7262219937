#include "docexport/deCstDocEng.h"

#include <algorithm>

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include "docexport/deConsts.h"
#include "docexport/deUtils.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Strings.h"

namespace {

TdeDocumentOpener& Opener() {
    static TdeDocumentOpener opener = [](const std::string& fileName) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(fileName)));
    };
    return opener;
}

}  // namespace

TdeDocumentOpener SetDocumentOpener(TdeDocumentOpener opener) {
    TdeDocumentOpener old = Opener();
    Opener() = std::move(opener);
    return old;
}

// ---- construction and properties -------------------------------------------------

TdeCustomDocumentEngine::TdeCustomDocumentEngine(TComponent* owner)
    : TdeComponent(owner),
      inputXRes_(ScreenPPI()),
      inputYRes_(ScreenPPI()),
      f_(UnitFactor(muInches)),
      frame_(this),
      imageSettings_(this),
      preferences_(std::make_unique<TdePreferences>()) {
    SetMeasurementUnit(muInches);
    page_.SetPaperSize(A4);
    page_.SetOrientation(poPortrait);
    SelectLists(nullptr);
}

TdeCustomDocumentEngine::~TdeCustomDocumentEngine() {
    if (started_) Cleanup();
    if (settings_) settings_->DetachEngine(this);
}

std::unique_ptr<TdePreferences> TdeCustomDocumentEngine::CreatePreferences() {
    return std::make_unique<TdePreferences>();
}

void TdeCustomDocumentEngine::InitPreferences() {
    auto p = CreatePreferences();
    if (!p) return;
    p->Assign(preferences_.get());
    preferences_ = std::move(p);
}

void TdeCustomDocumentEngine::SetFileName(const std::string& name) {
    if (started_) return;
    std::string ext = ExtractFileExt(name);
    fileName_ = name.substr(0, name.size() - ext.size());
}

void TdeCustomDocumentEngine::SetUserStream(TStream* stream) {
    if (!started_) userStream_ = stream;
}

void TdeCustomDocumentEngine::SetMeasurementUnit(TdeUnitType u) {
    unit_ = u;
    f_ = UnitFactor(u);
    page_.SetF(f_);
    textFormatting_.SetF(f_);
    tableSettings_.SetF(f_);
}

void TdeCustomDocumentEngine::SetReferencePoint(TdeReferencePoint r) {
    referencePoint_ = r;
    UpdateDrawArea();
}

void TdeCustomDocumentEngine::SetSetupDialog(TdeBaseDlg* dlg) {
    if (setupDialog_ == dlg) return;
    if (setupDialog_) RemoveFreeNotification(setupDialog_);
    setupDialog_ = dlg;
    if (dlg) FreeNotification(dlg);
}

void TdeCustomDocumentEngine::SetSettings(TdeDocSettings* s) {
    if (settings_ == s) return;
    if (settings_) {
        settings_->DetachEngine(this);
        RemoveFreeNotification(settings_);
    }
    settings_ = s;
    if (s) {
        FreeNotification(s);
        s->AttachEngine(this);
    }
}

void TdeCustomDocumentEngine::Notification(TComponent* component, TOperation operation) {
    TdeComponent::Notification(component, operation);
    if (operation != opRemove) return;
    if (component == setupDialog_) setupDialog_ = nullptr;
    if (component == settings_) settings_ = nullptr;
}

double TdeCustomDocumentEngine::ToPixelsX(double x) const {
    if (f_ != 1.0) return f_ * x;
    return inputXRes_ > 0 ? x * ScreenPPI() / inputXRes_ : x;
}

double TdeCustomDocumentEngine::ToPixelsY(double y) const {
    if (f_ != 1.0) return f_ * y;
    return inputYRes_ > 0 ? y * ScreenPPI() / inputYRes_ : y;
}

TdePageItem* TdeCustomDocumentEngine::PageItem(int pageNo) {
    if (pageNo < 1 || pageNo > static_cast<int>(pages_.size())) return nullptr;
    return pages_[static_cast<std::size_t>(pageNo - 1)].get();
}

bool TdeCustomDocumentEngine::TableRowsOnPage(TdeTableItem* table, int& first, int& count) {
    const auto& dist = table->RowDistribution;
    if (dist.size() < 2) return false;
    const int start = dist[0];
    const int k = CurrentPage() - start + 1;
    if (k < 1 || k >= static_cast<int>(dist.size())) return false;
    count = dist[static_cast<std::size_t>(k)];
    first = 0;
    for (int i = 1; i < k; ++i) first += dist[static_cast<std::size_t>(i)];
    if (table->Settings.ShowTitles && CurrentPage() == start) {
        --first;
        ++count;
    }
    if (CurrentPage() > start) {
        const TdePageItem* page = PageItem(CurrentPage());
        const TdePageSettings& p = page ? page->Settings : *Page();
        table->Y = p.Pixels(plTopMargin) + p.Pixels(plHeaderHeight);
    }
    if (k + 1 >= static_cast<int>(dist.size()) || dist[static_cast<std::size_t>(k + 1)] == 0) table->Finished = true;
    return true;
}

TGraphic* TdeCustomDocumentEngine::GetImage(Integer index) const {
    if (index < 0 || index >= static_cast<Integer>(images_.size())) return nullptr;
    return images_[static_cast<std::size_t>(index)].Graphic.get();
}

Integer TdeCustomDocumentEngine::SetRotation(Integer angle) {
    rotation_ = angle % 360;  // keeps the sign of angle
    return angle / 360;
}

// ---- lists, bands and the drawing area ----------------------------------------------

void TdeCustomDocumentEngine::SelectLists(TdeBandItem* owner) {
    if (!owner) {
        graphicItems_ = &scratchGraphics_;
        textItems_ = &scratchText_;
        flowY_ = 0;
        flowOwner_ = nullptr;
        return;
    }
    graphicItems_ = &owner->GraphicItems;
    textItems_ = &owner->TextItems;
    flowY_ = owner->FlowY;
    flowOwner_ = owner;
}

void TdeCustomDocumentEngine::UpdateDrawArea() {
    if (!started_) return;
    TdePageItem* page = PageItem(currentPage_);
    if (!page) return;
    const TdePageSettings& s = page->Settings;
    const double w = s.Pixels(plWidth), h = s.Pixels(plHeight);
    const double lm = s.Pixels(plLeftMargin), rm = s.Pixels(plRightMargin);
    const double tm = s.Pixels(plTopMargin), bm = s.Pixels(plBottomMargin);
    const double hh = s.Pixels(plHeaderHeight), fh = s.Pixels(plFooterHeight);
    right_ = w - rm;
    switch (referencePoint_) {
        case vpPage:
            left_ = 0;
            top_ = 0;
            bottom_ = h - bm;
            break;
        case vpMargin:
            left_ = lm;
            top_ = tm;
            bottom_ = h - bm;
            break;
        case vpBand:
            left_ = lm;
            switch (band_) {
                case bdBody:
                    top_ = tm + hh;
                    bottom_ = h - fh - bm;
                    break;
                case bdHeader:
                    top_ = tm;
                    bottom_ = tm + hh;
                    break;
                case bdFooter:
                    top_ = h - fh - bm;
                    bottom_ = top_ + fh;
                    break;
                case bdUnderlay:
                case bdOverlay:
                    top_ = tm;
                    bottom_ = h - bm;
                    break;
            }
            break;
    }
}

void TdeCustomDocumentEngine::BeginBand(TdeBand b) {
    if (!started_) return;
    if (flowOwner_) flowOwner_->FlowY = flowY_;
    band_ = b;
    UpdateDrawArea();
    SelectLists(bands_[b].get());
}

void TdeCustomDocumentEngine::EndBand() {
    if (!started_) return;
    if (flowOwner_) flowOwner_->FlowY = flowY_;
    band_ = bdBody;
    UpdateDrawArea();
    SelectLists(PageItem(currentPage_));
}

void TdeCustomDocumentEngine::ClearBand(TdeBand b) {
    if (!started_ || !bands_[b]) return;
    TdeBandItem* band = bands_[b].get();
    FreeItems(band->GraphicItems);
    FreeItems(band->TextItems);
    band->FlowY = 0;
    if (flowOwner_ == band) flowY_ = 0;
}

void TdeCustomDocumentEngine::AddItem(TdeDocumentItem* item) {
    if (!item) return;
    if (!started_) {  // nothing records outside a document
        delete item;
        return;
    }
    if (auto* table = dynamic_cast<TdeTableItem*>(item)) {
        if (std::find(tables_.begin(), tables_.end(), table) == tables_.end()) tables_.push_back(table);
    }
    if (textSort_ && dynamic_cast<TdeTextItem*>(item) && !dynamic_cast<TdeTextBoxItem*>(item))
        textItems_->push_back(item);
    else
        graphicItems_->push_back(item);
}

// ---- lifecycle ------------------------------------------------------------------------

void TdeCustomDocumentEngine::BeginDoc() {
    if (started_) return;
    if (OnBeforeBeginDoc) OnBeforeBeginDoc(this);
    int result = deModalOk;
    if (Preferences()->ShowSetupDialog()) {
        if (setupDialog_) {
            setupDialog_->Engine = this;
            try {
                result = setupDialog_->Execute();
            } catch (...) {
                setupDialog_->Engine = nullptr;
                throw;
            }
            setupDialog_->Engine = nullptr;
        } else {
            result = ExecuteSetupDialog();
        }
    }
    if (result == deModalCancel) {
        status_ = esCancelled;
        return;
    }
    started_ = true;
    pages_.clear();
    for (int b = bdHeader; b <= bdOverlay; ++b) bands_[b] = std::make_unique<TdeBandItem>();
    images_.clear();
    states_.clear();
    docState_ = SaveState();
    outputFiles_.Clear();
    currentPage_ = 0;
    pageCount_ = 0;
    band_ = bdBody;
    NewPage();
    StartDocument();
    status_ = esStarted;
    tableCounter_ = -1;
    if (OnAfterBeginDoc) OnAfterBeginDoc(this);
}

void TdeCustomDocumentEngine::NewPage() {
    if (!started_) return;
    if (abortFlag_) {
        Preferences()->SetOpenAfterCreate(false);
        EndDoc();
        abortFlag_ = false;
        return;
    }
    if (currentPage_ > 0 && flowOwner_) flowOwner_->FlowY = flowY_;
    if (currentPage_ > 0 && !Preferences()->ProcessAfterEachPage()) CloseRecording();
    if (Preferences()->ProcessAfterEachPage() && currentPage_ > 0) RenderPage();
    ++pageCount_;
    currentPage_ = pageCount_;
    OpenRecording(page_);
    pages_.push_back(std::make_unique<TdePageItem>(this, page_));
    SelectLists(pages_.back().get());
    band_ = bdBody;
    UpdateDrawArea();
}

void TdeCustomDocumentEngine::EndDoc() {
    if (!started_) return;
    try {
        if (!Preferences()->ProcessAfterEachPage()) CloseRecording();
        if (Preferences()->ProcessAfterEachPage()) {
            RenderPage();
        } else {
            for (int i = 1; i <= pageCount_; ++i) {
                currentPage_ = i;
                RenderPage();
            }
        }
        if (OnBeforeEndDoc) OnBeforeEndDoc(this);
        pages_.clear();
        FinishDocument();
        if (OnAfterEndDoc) OnAfterEndDoc(this);
    } catch (...) {
        // Leave the engine idle and consistent; the error goes to the caller.
        Cleanup();
        throw;
    }
    if (Preferences()->OpenAfterCreate() && outputFiles_.Count() > 0 && Opener()) Opener()(outputFiles_[0]);
    Cleanup();
    status_ = esEnded;
}

void TdeCustomDocumentEngine::RenderBand(TdeBand b, bool sort) {
    TdeBandItem* band = bands_[b].get();
    if (!band) return;
    band_ = b;
    UpdateDrawArea();
    if (sort) SortTextItems(band->TextItems);
    RenderItems(band->GraphicItems);
    RenderTextList(band->TextItems);
}

void TdeCustomDocumentEngine::RenderPage() {
    TdePageItem* page = PageItem(currentPage_);
    if (!page) return;
    const bool first = currentPage_ == 1;
    if (IsPageInRange(currentPage_)) {
        if (OnBeforeBeginPage) OnBeforeBeginPage(this);
        if (Preferences()->ProcessAfterEachPage()) CloseRecording();
        band_ = bdBody;
        UpdateDrawArea();
        StartPage();
        if (OnAfterBeginPage) OnAfterBeginPage(this);
        DrawPageBorder();
        if (textSort_ && first) {
            SortTextItems(bands_[bdHeader]->TextItems);
            SortTextItems(bands_[bdFooter]->TextItems);
        }
        if (!(capabilities_ & capHeaderFirstPageOnly) || first) RenderBand(bdHeader, false);
        if (!(capabilities_ & capUnderlayFirstPageOnly) || first) RenderBand(bdUnderlay, true);
        band_ = bdBody;
        UpdateDrawArea();
        SortTextItems(page->TextItems);
        RenderItems(page->GraphicItems);
        RenderTextList(page->TextItems);
        if (!(capabilities_ & capFooterFirstPageOnly) || first) RenderBand(bdFooter, false);
        if (!(capabilities_ & capOverlayFirstPageOnly) || first) RenderBand(bdOverlay, true);
        band_ = bdBody;
        UpdateDrawArea();
        if (OnBeforeEndPage) OnBeforeEndPage(this);
        FinishPage();
        if (OnAfterEndPage) OnAfterEndPage(this);
    }
    FreeItems(page->TextItems);
    for (auto& e : images_) e.Stream = nullptr;  // the image-stream items own their streams
    FreeItems(page->GraphicItems);
    if (!Preferences()->UseImagesAsResources()) {
        // Images registered for this page only; indexes of the other pages
        // stay valid.
        for (auto& e : images_)
            if (e.Page == currentPage_) e.Graphic.reset();
    }
    if (flowOwner_ == page) SelectLists(nullptr);
    pages_[static_cast<std::size_t>(currentPage_ - 1)].reset();
}

void TdeCustomDocumentEngine::RenderItems(TdeItemList& list) {
    for (TdeDocumentItem* item : list) {
        if (auto* i = dynamic_cast<TdeTextBoxItem*>(item))
            RenderTextBox(i);
        else if (auto* i = dynamic_cast<TdeTextItem*>(item))
            RenderText(i);
        else if (auto* i = dynamic_cast<TdeImageStream*>(item))
            RenderImageStream(i);
        else if (auto* i = dynamic_cast<TdeImageItem*>(item))
            RenderImage(i);
        else if (auto* i = dynamic_cast<TdeShapeItem*>(item))
            RenderShape(i);
        else if (auto* i = dynamic_cast<TdePolyShapeItem*>(item))
            RenderPolyShapeItem(i);
        else if (auto* i = dynamic_cast<TdeTableItem*>(item))
            RenderTable(i);
        else if (auto* i = dynamic_cast<TdeParagraphItem*>(item))
            RenderParagraph(i);
        else if (auto* i = dynamic_cast<TdeClipItem*>(item))
            RenderClip(i);
        else if (auto* i = dynamic_cast<TdePathItem*>(item))
            RenderPath(i);
        else if (auto* i = dynamic_cast<TdePolyPolygonItem*>(item))
            RenderPolyPolygon(i);
        else if (auto* i = dynamic_cast<TdeEOFItem*>(item))
            RenderEOF(i);
        else if (auto* i = dynamic_cast<TdePolyDrawItem*>(item))
            RenderPolyDraw(i);
        else
            RenderOtherItem(item);
    }
}

void TdeCustomDocumentEngine::RenderShape(TdeShapeItem* item) {
    const TdePoints& p = item->Points;
    if (p.empty()) return;
    const TBrush* brush = item->Brush.get();
    auto need = [&](std::size_t n) { return p.size() >= n; };
    switch (item->ShapeType) {
        case stLine:
            if (need(2)) RenderLine(item->Pen, p[0].X, p[0].Y, p[1].X, p[1].Y);
            break;
        case stRectangle:
            if (need(2)) RenderRectangle(item->Pen, brush, p[0].X, p[0].Y, p[1].X, p[1].Y);
            break;
        case stRoundRect:
            if (need(3)) RenderRoundRect(item->Pen, brush, p[0].X, p[0].Y, p[1].X, p[1].Y, p[2].X, p[2].Y);
            break;
        case stEllipse:
            if (need(2)) RenderEllipse(item->Pen, brush, p[0].X, p[0].Y, p[1].X, p[1].Y);
            break;
        case stPolygon: RenderPolygon(p, brush, item->Pen, true); break;
        case stPolyLine: RenderPolygon(p, brush, item->Pen, false); break;
        case stArc:
            if (need(4)) RenderArc(item->Pen, p);
            break;
        case stChord:
            if (need(4)) RenderChord(item->Pen, brush, p);
            break;
        case stPie:
            if (need(4)) RenderPie(item->Pen, brush, p);
            break;
        case stPolyBezier: RenderPolyBezier(p, item->Pen); break;
    }
}

void TdeCustomDocumentEngine::RenderPolyShapeItem(TdePolyShapeItem* item) {
    if (item->Items.empty()) return;
    TdeShapeType t = item->Items.front()->ShapeType;
    if (t == stPolygon || t == stPolyLine) RenderPolyShape(item, t == stPolygon);
}

void TdeCustomDocumentEngine::RenderTextList(TdeItemList& list) {
    for (TdeDocumentItem* item : list)
        if (auto* t = dynamic_cast<TdeTextItem*>(item)) RenderText(t);
}

void TdeCustomDocumentEngine::SortTextItems(TdeItemList& list) {
    // Positions are read once per item, not once per comparison.
    struct Keyed {
        double Y, X;
        TdeDocumentItem* Item;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(list.size());
    for (TdeDocumentItem* i : list) {
        auto* t = dynamic_cast<TdeTextItem*>(i);
        keyed.push_back({t ? t->Y : 0.0, t ? t->X : 0.0, i});
    }
    if (textSortTolerance_ > 0)
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const Keyed& a, const Keyed& b) { return a.Y < b.Y || (a.Y == b.Y && a.X < b.X); });
    else
        std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) { return a.Y < b.Y; });
    for (std::size_t k = 0; k < keyed.size(); ++k) list[k] = keyed[k].Item;
}

void TdeCustomDocumentEngine::FreeItems(TdeItemList& list) {
    for (TdeDocumentItem* item : list) {
        if (auto* table = dynamic_cast<TdeTableItem*>(item)) {
            auto it = std::find(tables_.begin(), tables_.end(), table);
            if (table->Finished && it != tables_.end()) {
                tables_.erase(it);
                delete table;
            }
            continue;  // otherwise freed when its last page is done or at cleanup
        }
        delete item;
    }
    list.clear();
}

void TdeCustomDocumentEngine::FreeAllTables() {
    for (auto* t : tables_) delete t;
    tables_.clear();
}

void TdeCustomDocumentEngine::DrawPageBorder() {
    TdePageItem* page = PageItem(currentPage_);
    if (!page || !pageBorder_->Any()) return;
    const TdePageSettings& s = page->Settings;
    const double l = s.Pixels(plLeftMargin), t = s.Pixels(plTopMargin);
    const double r = s.Pixels(plWidth) - s.Pixels(plRightMargin);
    const double b = s.Pixels(plHeight) - s.Pixels(plBottomMargin);
    TPen pen;
    pen.SetWidth(pageBorder_->Width);
    pen.SetColor(pageBorder_->Color);
    pen.SetStyle(pageBorder_->Style);
    if (pageBorder_->DrawLeft) RenderLine(pen, l, t, l, b);
    if (pageBorder_->DrawRight) RenderLine(pen, r, t, r, b);
    if (pageBorder_->DrawTop) RenderLine(pen, l, t, r, t);
    if (pageBorder_->DrawBottom) RenderLine(pen, l, b, r, b);
}

// ---- pages and states ---------------------------------------------------------------

void TdeCustomDocumentEngine::GotoPage(Integer pageNo) {
    if (!started_ || Preferences()->ProcessAfterEachPage()) return;
    if (pageNo < 1 || pageNo > pageCount_ || !PageItem(pageNo)) {
        RaiseEngineError<EInvalidPageNumber>();
        return;
    }
    if (flowOwner_) flowOwner_->FlowY = flowY_;
    if (TdePageItem* left = PageItem(currentPage_)) {
        CloseRecording();
        OpenRecording(left->Settings);
    }
    currentPage_ = pageNo;
    SelectLists(PageItem(pageNo));
}

Integer TdeCustomDocumentEngine::SaveState() {
    if (!started_) return -1;
    auto s = std::make_unique<TdeEngineState>();
    s->Font.Assign(font_);
    s->Brush.Assign(brush_);
    s->Pen.Assign(pen_);
    s->ImageSettings.Assign(&imageSettings_);
    s->TextFormatting.Assign(&textFormatting_);
    s->TableSettings.Assign(&tableSettings_);
    s->Effects.Assign(&effects_);
    s->PageSettings.Assign(&page_);
    states_.push_back(std::move(s));
    return static_cast<Integer>(states_.size()) - 1;
}

void TdeCustomDocumentEngine::RestoreState(Integer index) {
    if (!started_) return;
    if (index == -1) index = static_cast<Integer>(states_.size()) - 1;
    if (index < 0 || index >= static_cast<Integer>(states_.size())) {
        RaiseEngineError<EInvalidEngineState>();
        return;
    }
    const TdeEngineState& s = *states_[static_cast<std::size_t>(index)];
    font_.Assign(s.Font);
    brush_.Assign(s.Brush);
    pen_.Assign(s.Pen);
    imageSettings_.Assign(&s.ImageSettings);
    textFormatting_.Assign(&s.TextFormatting);
    textFormatting_.SetF(f_);  // the saved copy may predate a change of unit
    tableSettings_.Assign(&s.TableSettings);
    effects_.Assign(&s.Effects);
    page_.Assign(&s.PageSettings);
}

void TdeCustomDocumentEngine::ClearStates() { states_.clear(); }

bool TdeCustomDocumentEngine::IsPageInRange(int pageNo) const {
    if (pagesToRender_.empty()) return true;
    TStringList items;
    items.SetCommaText(pagesToRender_);
    for (int i = 0; i < items.Count(); ++i) {
        const std::string item = items[i];
        if (item.empty()) continue;  // "1,,3"
        if (item.find_first_not_of("0123456789-") != std::string::npos) continue;
        auto dash = item.find('-');
        if (dash == std::string::npos) {
            if (StrToInt(item) == pageNo) return true;
        } else {
            Integer from = StrToInt(item.substr(0, dash));
            Integer to = StrToInt(item.substr(dash + 1));
            if (from <= pageNo && pageNo <= to) return true;
        }
    }
    return false;
}

// ---- output files and cleanup ---------------------------------------------------------

std::unique_ptr<TFileStream> TdeCustomDocumentEngine::CreateOutputFile(const std::string& name) {
    try {
        if (FileExists(name)) DeleteFile(name);
        return std::make_unique<TFileStream>(name, fmCreate);
    } catch (const std::exception&) {
        status_ = esFileError;
        DeleteOutputFiles();
        throw EFileCreateError();
    }
}

void TdeCustomDocumentEngine::DeleteOutputFiles() {
    for (int i = 0; i < outputFiles_.Count(); ++i)
        if (FileExists(outputFiles_[i])) DeleteFile(outputFiles_[i]);
    Cleanup();
}

void TdeCustomDocumentEngine::Cleanup() {
    if (started_ && docState_ >= 0 && docState_ < static_cast<Integer>(states_.size())) RestoreState(docState_);
    for (int b = bdHeader; b <= bdOverlay; ++b) {
        if (!bands_[b]) continue;
        FreeItems(bands_[b]->GraphicItems);
        FreeItems(bands_[b]->TextItems);
        bands_[b].reset();
    }
    // Pages not rendered (a failed or abandoned document) free their items.
    for (auto& p : pages_) {
        if (!p) continue;
        FreeItems(p->TextItems);
        FreeItems(p->GraphicItems);
    }
    pages_.clear();
    FreeOpenItems();
    FreeAllTables();
    recordingCanvas_.reset();
    recording_.reset();
    images_.clear();
    if (abortFlag_) {
        for (int i = 0; i < outputFiles_.Count(); ++i)
            if (FileExists(outputFiles_[i])) DeleteFile(outputFiles_[i]);
    }
    outputFiles_.Clear();
    ClearStates();
    docState_ = -1;
    currentPage_ = 0;
    pageCount_ = 0;
    rotation_ = 0;
    textAlignment_ = haLeft;
    band_ = bdBody;
    started_ = false;
    SelectLists(nullptr);
}

// ---- published properties --------------------------------------------------------------

namespace {
const bool registered = [] {
    TPublished<TdeCustomDocumentEngine, TdeComponent>()
        .String("FileExtension", &TdeCustomDocumentEngine::FileExtension, &TdeCustomDocumentEngine::SetFileExtension)
        .String("FileDescription", &TdeCustomDocumentEngine::FileDescription,
                &TdeCustomDocumentEngine::SetFileDescription)
        .Integer("InputXRes", &TdeCustomDocumentEngine::InputXRes, &TdeCustomDocumentEngine::SetInputXRes)
        .Integer("InputYRes", &TdeCustomDocumentEngine::InputYRes, &TdeCustomDocumentEngine::SetInputYRes)
        .Integer("ItemsToRender", &TdeCustomDocumentEngine::ItemsToRender,
                 &TdeCustomDocumentEngine::SetItemsToRender)
        .String("PagesToRender", &TdeCustomDocumentEngine::PagesToRender, &TdeCustomDocumentEngine::SetPagesToRender)
        .Enumeration("MeasurementUnit", {"muPixels", "muInches", "muMM", "muPoints", "muTwips"},
                     &TdeCustomDocumentEngine::MeasurementUnit, &TdeCustomDocumentEngine::SetMeasurementUnit)
        .Enumeration("ReferencePoint", {"vpPage", "vpMargin", "vpBand"}, &TdeCustomDocumentEngine::ReferencePoint,
                     &TdeCustomDocumentEngine::SetReferencePoint)
        .Boolean("AutoPaginate", &TdeCustomDocumentEngine::AutoPaginate, &TdeCustomDocumentEngine::SetAutoPaginate);
    return true;
}();
}  // namespace
