#include "report/PreviewForm.h"

#include <QScrollArea>
#include <QScrollBar>

#include "platform/core/FileUtils.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "report/ReportSystem.h"
#include "report/SetupForm.h"

void TPreviewAction::SetEnabled(bool e) {
    Enabled = e;
    if (Button) Button->SetEnabled(e);
    for (TMenuItem* i : Items) i->SetEnabled(e);
}

void TPreviewAction::Run() {
    if (Enabled && Execute) Execute();
}

TVizePreviewForm::TVizePreviewForm(TComponent* owner) : TForm(owner) {
    SetName("VizePreviewForm");
    SetCaption("Report Preview");
    SetBounds(0, 0, 615, 450);
    SetPosition(poScreenCenter);
    SetKeyPreview(true);
    Font()->SetName("Arial");
    Font()->SetHeight(-13);

    auto after = [this](std::function<void()> f) {
        return [this, f] {
            f();
            UpdateActions();
        };
    };
    AddAction("Print", "&Print", "Print report", "Ctrl+P", after([this] { PrintReport(); }));
    AddAction("Save", "&Save As", "Save report", "Ctrl+S", after([this] { SaveReport(); }));
    AddAction("Exit", "E&xit", "Exit viewer", "", [this] { Close(); });
    AddAction("Open", "&Open", "Open another report", "Ctrl+O", after([this] {
                  if (OpenDialog->Execute()) OpenFile(OpenDialog->FileName);
              }));
    AddAction("First", "&First", "Move to first page", "Ctrl+Home", after([this] { preview_->RenderPage(1); }));
    AddAction("Next", "&Next", "Move to next page", "Ctrl+PgDn", after([this] { preview_->NextPage(); }));
    AddAction("Previous", "&Previous", "Move to previous page", "Ctrl+PgUp",
              after([this] { preview_->PreviousPage(); }));
    AddAction("Last", "&Last", "Move to last page", "Ctrl+End",
              after([this] { preview_->RenderPage(preview_->GetPageCount()); }));
    AddAction("ZoomIn", "Zoom &In", "Zoom In (+)", "", after([this] { preview_->ZoomIn(); }));
    AddAction("ZoomOut", "Zoom &Out", "Zoom Out (-)", "", after([this] { preview_->ZoomOut(); }));
    AddAction("FitWidth", "Fit to Page &Width", "Zoom to fit page width", "Ctrl+W",
              after([this] { preview_->SetZoomFactor(preview_->ZoomPageWidthFactor()); }));
    AddAction("FitPage", "Fit to &Page", "Zoom to fit page", "Ctrl+F",
              after([this] { preview_->SetZoomFactor(preview_->ZoomPageFactor()); }));
    AddAction("About", "&About", "Displays about box", "", nullptr);
    AddAction("GoToPage", "&Go to Page #", "Go to specified page", "Ctrl+G", after([this] { GoToPage(); }));

    ToolBar = new TPanel(this);
    ToolBar->SetName("ToolBar");
    ToolBar->SetParent(this);
    ToolBar->SetCaption("");
    ToolBar->SetAlign(alTop);
    ToolBar->SetHeight(26);
    ToolBar->SetShowHint(true);
    int x = 2;
    auto panel = [&](const std::string& name, const std::string& caption, int width) {
        auto* p = new TPanel(this);
        p->SetName(name);
        p->SetParent(ToolBar);
        p->SetBevelOuter(bvNone);
        p->SetCaption(caption);
        p->SetBounds(x, 2, width, 22);
        x += width;
        return p;
    };
    auto edit = [&](const std::string& name, const std::string& text, int width) {
        auto* e = new TEdit(this);
        e->SetName(name);
        e->SetParent(ToolBar);
        e->SetText(text);
        e->SetBounds(x, 2, width, 22);
        x += width;
        return e;
    };
    AddButton("Open", x);
    AddButton("Save", x);
    AddButton("Print", x);
    x += 8;
    AddButton("First", x);
    AddButton("Previous", x);
    AddButton("Next", x);
    AddButton("Last", x);
    PageLabel = panel("PageLabel", "Page", 34);
    PageEdit = edit("PageEdit", "1", 40);
    PageCountLabel = panel("PageCountLabel", "of 3000", 50);
    x += 8;
    AddButton("ZoomIn", x);
    AddButton("ZoomOut", x);
    AddButton("FitWidth", x);
    AddButton("FitPage", x);
    ZoomLabel = panel("ZoomLabel", "Zoom", 36);
    ZoomEdit = edit("ZoomEdit", "100.0", 44);
    PercentLabel = panel("PercentLabel", "%", 14);
    x += 8;
    AddButton("Exit", x);

    StatusBar = new TPanel(this);
    StatusBar->SetName("StatusBar");
    StatusBar->SetParent(this);
    StatusBar->SetAlign(alBottom);
    StatusBar->SetHeight(19);
    StatusBar->SetAlignment(taLeftJustify);
    StatusBar->SetCaption("");

    ScrollBox = new TScrollBox(this);
    ScrollBox->SetName("ScrollBox");
    ScrollBox->SetParent(this);
    ScrollBox->SetAlign(alClient);

    PopupMenu = new TPopupMenu(this);
    AddItem(PopupMenu->Items(), "ZoomIn");
    AddItem(PopupMenu->Items(), "ZoomOut");
    ScrollBox->SetPopupMenu(PopupMenu);
    auto menu = [this](const std::string& caption) {
        auto* m = new TMenuItem(this);
        m->SetCaption(caption);
        return m;
    };
    auto line = [this](TMenuItem* m) {
        auto* i = new TMenuItem(this);
        i->SetCaption("-");
        m->Add(i);
    };
    FileMenu = menu("&File");
    for (const char* a : {"Open", "Save", "Print"}) AddItem(FileMenu, a);
    line(FileMenu);
    AddItem(FileMenu, "Exit");
    PageMenu = menu("&Page");
    for (const char* a : {"First", "Previous", "Next", "Last"}) AddItem(PageMenu, a);
    line(PageMenu);
    AddItem(PageMenu, "GoToPage");
    ZoomMenu = menu("&Zoom");
    AddItem(ZoomMenu, "ZoomIn");
    AddItem(ZoomMenu, "ZoomOut");
    line(ZoomMenu);
    AddItem(ZoomMenu, "FitPage");
    AddItem(ZoomMenu, "FitWidth");

    OpenDialog = new TOpenDialog(this);
    OpenDialog->Title = "Open File";
    OpenDialog->Filter = "Vize Snapshot Files (*.vsf)|*.vsf|All Files|*.*";
    OpenDialog->DefaultExt = "vsf";
    SaveDialog = new TSaveDialog(this);
    SaveDialog->Title = "Save File";
    SaveDialog->Options |= ofOverwritePrompt;
    Timer = new TTimer(this);
    Timer->SetInterval(100);
    Timer->OnTimer = [this](TObject*) { Timer->SetEnabled(false); };

    preview_ = std::make_unique<TVzRenderPreview>(nullptr);
    preview_->SetShadowDepth(2);
    preview_->MarginPercent = 5;
    preview_->ScrollBox = ScrollBox;
    preview_->OnZoomChange = [this](TObject*) { ZoomChanged(); };
    preview_->OnPageChange = [this](TObject*) { PageChanged(); };
    printer_ = std::make_unique<TVzRenderPrinter>(nullptr);

    OnKeyPress = [this](TObject*, char& key) { FormKeyPress(key); };
    OnKeyDown = [this](TObject*, Word16& key, TShiftState shift) { FormKeyDown(key, shift); };
    PageEdit->OnKeyPress = [this](TObject*, char& key) { PageEditKeyPress(key); };
    PageEdit->OnExit = [this](TObject*) { PageEditExit(); };
    ZoomEdit->OnKeyPress = [this](TObject*, char& key) { ZoomEditKeyPress(key); };
    ZoomEdit->OnExit = [this](TObject*) { ZoomEditExit(); };
    OnClose = [this](TObject*, TCloseAction&) { Closed = true; };
    DoCreate();
}

TVizePreviewForm::~TVizePreviewForm() {
    // The renderer's image lives in the scroll box; the renderer goes first.
    preview_.reset();
    printer_.reset();
}

TPreviewAction& TVizePreviewForm::AddAction(const std::string& name, const std::string& caption,
                                            const std::string& hint, const std::string& shortCut,
                                            std::function<void()> run) {
    TPreviewAction& a = actions_[name];
    a.Caption = caption;
    a.Hint = hint;
    a.ShortCut = shortCut;
    a.Execute = std::move(run);
    return a;
}

TSpeedButton* TVizePreviewForm::AddButton(const std::string& name, int& x) {
    TPreviewAction& a = actions_.at(name);
    auto* b = new TSpeedButton(this);
    b->SetName(name + "Button");
    b->SetParent(ToolBar);
    b->SetFlat(true);
    b->SetBounds(x, 1, 23, 23);
    b->SetHint(a.Hint);
    b->SetCaption(StripHotkey(a.Caption).substr(0, 1));
    b->OnClick = [&a](TObject*) { a.Run(); };
    a.Button = b;
    x += 23;
    return b;
}

TMenuItem* TVizePreviewForm::AddItem(TMenuItem* menu, const std::string& action) {
    TPreviewAction& a = actions_.at(action);
    auto* i = new TMenuItem(this);
    i->SetCaption(a.Caption);
    i->OnClick = [&a](TObject*) { a.Run(); };
    menu->Add(i);
    a.Items.push_back(i);
    return i;
}

void TVizePreviewForm::Start() {
    if (!InputFileName.empty()) {
        preview_->ReportFileName = InputFileName;
        preview_->FreeInputStream();
        preview_->Render(nullptr);
        OwnsStream = true;
    } else {
        preview_->Render(InputStream);
    }
    if (ReportSystem && ReportSystem->OnPreviewShow) ReportSystem->OnPreviewShow(preview_.get());
    UpdateActions();
}

void TVizePreviewForm::OpenFile(const std::string& name) {
    preview_->OpenFile(name);
    OwnsStream = true;
    SetCaption(Application->Title() + " - [ " + ExtractFileName(name) + " ]");
}

void TVizePreviewForm::UpdateActions() {
    int page = preview_->CurrentPage(), count = preview_->GetPageCount();
    actions_.at("First").SetEnabled(page > 1);
    actions_.at("Previous").SetEnabled(page > 1);
    actions_.at("Next").SetEnabled(page < count);
    actions_.at("Last").SetEnabled(page < count);
    actions_.at("Print").SetEnabled(ReportSystem && ReportSystem->HasOption(soAllowPrintFromPreview));
    actions_.at("Save").SetEnabled(ReportSystem && ReportSystem->HasOption(soAllowSaveFromPreview));
}

void TVizePreviewForm::DoAfterPrint() {
    if (AfterPrint) AfterPrint(printer_.get());
}

void TVizePreviewForm::PageChanged() {
    int page = preview_->CurrentPage(), count = preview_->GetPageCount();
    PageEdit->SetText(std::to_string(page));
    PageCountLabel->SetCaption(Trans("of") + " " + std::to_string(count));
    PageCountLabel->SetWidth(PageCountLabel->Canvas()->TextWidth(PageCountLabel->Caption()) + 8);
    StatusBar->SetCaption(Trans("Page") + " " + std::to_string(page) + " " + Trans("of") + " " +
                          std::to_string(count));
}

void TVizePreviewForm::ZoomChanged() {
    ZoomEdit->SetText(Format("%.1f", {preview_->ZoomFactor()}));
    if (preview_->Image()) preview_->RedrawPage();
}

void TVizePreviewForm::GoToPage() {
    std::string value = std::to_string(preview_->CurrentPage());
    if (!InputQuery(Trans("Go to Page"), Trans("Enter page to move to:"), value)) return;
    Integer n;
    if (TryStrToInt(Trim(value), n) && n >= 0 && n != preview_->CurrentPage()) preview_->RenderPage(n);
}

void TVizePreviewForm::SaveReport() {
    if (!ReportSystem || !ReportSystem->HasOption(soAllowSaveFromPreview)) return;
    std::string filter = Trans("Vize Snapshot Files (*.vsf)|*.vsf");
    std::string extra = BuildRendererFilter();
    if (!extra.empty()) filter += "|" + extra;
    SaveDialog->Filter = filter;
    if (!SaveDialog->Execute()) return;
    TStream* stream = preview_->InputStream();
    if (!stream) return;
    TWaitCursor wait;
    Int64 position = stream->Position();
    struct Restore {
        TStream* s;
        Int64 p;
        ~Restore() { s->SetPosition(p); }
    } restore{stream, position};
    stream->SetPosition(0);
    int entry = SaveDialog->FilterIndex;
    if (entry <= 1) {
        TFileStream out(SaveDialog->FileName, fmCreate);
        out.CopyFrom(*stream, 0);
        return;
    }
    std::vector<std::pair<std::string, TVPRender*>> renderers;
    ListRendererNames(renderers);
    if (entry - 2 >= int(renderers.size())) return;
    TVPRender* r = renderers[size_t(entry - 2)].second;
    r->OutputFileName = SaveDialog->FileName;
    r->Render(stream);
}

void TVizePreviewForm::PrintReport() {
    if (!ReportSystem || !ReportSystem->HasOption(soAllowPrintFromPreview)) return;
    TStream* stream = preview_->InputStream();
    if (!stream) return;
    printer_->StoredPageCount = preview_->GetPageCount();
    if (ReportSystem->HasSetup(ssAllowPreviewSetup)) {
        TVPSetupForm setup(nullptr);
        setup.SetCaption(ReportSystem->TitleSetup);
        setup.ReportSystem = ReportSystem;
        setup.PrintRangeMode = true;
        setup.PrinterRenderer = printer_.get();
        bool ok = setup.ShowModal() == mrOk;
        printer_->UseOwnSettings = true;
        if (!ok) return;
    }
    Int64 position = stream->Position();
    int times = 1;
    if (printer_->GetMaxCopies() <= 1 && printer_->Copies > 1) {
        times = printer_->Copies;
        printer_->Copies = 1;
    }
    for (int i = 0; i < times; ++i) {
        stream->SetPosition(0);
        printer_->Render(stream);
    }
    stream->SetPosition(position);
    DoAfterPrint();
}

void TVizePreviewForm::FormKeyPress(char& key) {
    if (key == 27 || key == 'x') {
        key = 0;
        Close();
        return;
    }
    static const std::string allowed = "eEbBwWfFnNpP+-.\r\b0123456789";
    if (allowed.find(key) == std::string::npos) {
        key = 0;
        return;
    }
    bool handled = true;
    int page = preview_->CurrentPage(), count = preview_->GetPageCount();
    switch (key) {
        case '+': actions_.at("ZoomIn").Run(); break;
        case '-': actions_.at("ZoomOut").Run(); break;
        case 'B': case 'b': preview_->RenderPage(1); break;
        case 'E': case 'e': preview_->RenderPage(count); break;
        case 'F': case 'f': preview_->SetZoomFactor(preview_->ZoomPageFactor()); break;
        case 'W': case 'w': preview_->SetZoomFactor(preview_->ZoomPageWidthFactor()); break;
        case 'N': case 'n': if (page < count) preview_->NextPage(); break;
        case 'P': case 'p': if (page > 1) preview_->PreviousPage(); break;
        default: handled = false; break;
    }
    if (handled) {
        key = 0;
        UpdateActions();
        PageEdit->SelectAll();
        ZoomEdit->SelectAll();
    }
}

void TVizePreviewForm::ScrollTo(int vertical) {
    if (auto* a = qobject_cast<QScrollArea*>(ScrollBox->Widget())) a->verticalScrollBar()->setValue(vertical);
}

void TVizePreviewForm::FormKeyDown(Word16& key, TShiftState shift) {
    TShiftState ctrl{ssCtrl};
    auto* area = qobject_cast<QScrollArea*>(ScrollBox->Widget());
    if (!area) return;
    QScrollBar* v = area->verticalScrollBar();
    QScrollBar* h = area->horizontalScrollBar();
    if (key == VK_LEFT || key == VK_RIGHT) {
        int sign = key == VK_LEFT ? -1 : 1;
        if (shift == ctrl) h->setValue(h->value() + sign * h->singleStep());
        else if (shift == TShiftState{ssCtrl, ssShift}) h->setValue(h->value() + sign * ScrollBox->Width());
        else return;
        key = 0;
        return;
    }
    if (!(shift.Empty() || shift == ctrl)) return;
    int page = preview_->CurrentPage(), count = preview_->GetPageCount();
    switch (key) {
        case VK_PRIOR:
        case VK_UP: {
            int step = key == VK_PRIOR ? ScrollBox->Height() : v->singleStep();
            if (v->value() == v->minimum() && page > 1) {
                preview_->RenderPage(page - 1);
                ScrollTo(v->maximum());
            } else {
                v->setValue(v->value() - step);
            }
            break;
        }
        case VK_NEXT:
        case VK_DOWN: {
            int step = key == VK_NEXT ? ScrollBox->Height() : v->singleStep();
            if (v->value() == v->maximum()) {
                if (page < count) {
                    preview_->RenderPage(page + 1);
                    ScrollTo(v->minimum());
                }
            } else {
                v->setValue(v->value() + step);
            }
            break;
        }
        case VK_HOME: v->setValue(v->minimum()); break;
        case VK_END: v->setValue(v->maximum()); break;
        default: return;
    }
    key = 0;
    UpdateActions();
}

void TVizePreviewForm::ShowTypedPage() {
    Integer n;
    if (TryStrToInt(Trim(PageEdit->Text()), n) && n != preview_->CurrentPage()) {
        preview_->RenderPage(n);
        UpdateActions();
    }
}

void TVizePreviewForm::PageEditKeyPress(char& key) {
    if (key == '.') {
        key = 0;
    } else if (key == '\r') {
        key = 0;
        ShowTypedPage();
        PageEdit->SelectAll();
    }
}

void TVizePreviewForm::PageEditExit() { ShowTypedPage(); }

void TVizePreviewForm::ZoomEditKeyPress(char& key) {
    std::string text = ZoomEdit->Text();
    size_t dot = text.find('.');
    if (key >= '0' && key <= '9' && ZoomEdit->SelLength() == 0 && dot != std::string::npos &&
        dot + 1 != text.size()) {
        key = 0;
    } else if (key == '\r') {
        key = 0;
        ZoomEditExit();
        ZoomEdit->SelectAll();
    }
}

void TVizePreviewForm::ZoomEditExit() {
    double z;
    if (TryStrToFloat(Trim(ZoomEdit->Text()), z) && z != preview_->ZoomFactor()) preview_->SetZoomFactor(z);
}
