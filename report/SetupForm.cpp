#include "report/SetupForm.h"

#include "platform/core/FileUtils.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "report/ReportSystem.h"

namespace {

template <class T>
T* Make(TWinControl* parent, TComponent* owner, const std::string& name, const std::string& caption, int l, int t,
        int w, int h) {
    auto* c = new T(owner);
    c->SetName(name);
    c->SetParent(parent);
    if (!caption.empty()) c->SetCaption(caption);
    c->SetBounds(l, t, w, h);
    return c;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

TVPSetupForm::TVPSetupForm(TComponent* owner) : TForm(owner) {
    SetName("VPSetupForm");
    SetCaption("Output Options");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(295);
    SetClientHeight(242);
    Font()->SetName("Arial");
    Font()->SetHeight(-11);
    OKBtn = Make<TButton>(this, this, "OKBtn", "   OK   ", 8, 210, 75, 25);
    OKBtn->SetDefault(true);
    OKBtn->SetModalResult(mrOk);
    CancelBtn = Make<TButton>(this, this, "CancelBtn", "Cancel", 110, 210, 75, 25);
    CancelBtn->SetCancel(true);
    CancelBtn->SetModalResult(mrCancel);
    SetupBtn = Make<TButton>(this, this, "SetupBtn", "&Setup", 212, 210, 75, 25);
    PrinterGroup = Make<TGroupBox>(this, this, "PrinterGroup", "Selected Printer", 8, 4, 279, 40);
    PrinterLabel = Make<TLabel>(PrinterGroup, this, "PrinterLabel", "(none)", 8, 16, 263, 16);
    OptionsGroup = Make<TGroupBox>(this, this, "OptionsGroup", "Options", 176, 48, 111, 154);
    CopiesLabel = Make<TLabel>(OptionsGroup, this, "CopiesLabel", "&Copies", 8, 20, 40, 16);
    CopiesEdit = Make<TEdit>(OptionsGroup, this, "CopiesEdit", "", 56, 16, 47, 21);
    CollateCheck = Make<TCheckBox>(OptionsGroup, this, "CollateCheck", "C&ollate", 8, 48, 95, 17);
    DuplexCheck = Make<TCheckBox>(OptionsGroup, this, "DuplexCheck", "&Duplex", 8, 72, 95, 17);

    PageControl = Make<TPageControl>(this, this, "PageControl", "", 8, 48, 163, 154);
    DestPage = new TTabSheet(this);
    DestPage->SetName("DestPage");
    DestPage->SetPageControl(PageControl);
    DestPage->SetTabVisible(false);
    RangePage = new TTabSheet(this);
    RangePage->SetName("RangePage");
    RangePage->SetPageControl(PageControl);
    RangePage->SetTabVisible(false);

    DestGroup = Make<TGroupBox>(DestPage, this, "DestGroup", "Report Destination", 0, 0, 161, 150);
    PrinterRadio = Make<TRadioButton>(DestGroup, this, "PrinterRadio", "&Printer", 8, 16, 145, 17);
    PreviewRadio = Make<TRadioButton>(DestGroup, this, "PreviewRadio", "Pre&view", 8, 36, 145, 17);
    FileRadio = Make<TRadioButton>(DestGroup, this, "FileRadio", "&File", 8, 56, 145, 17);
    FileNameEdit = Make<TEdit>(DestGroup, this, "FileNameEdit", "", 8, 78, 121, 21);
    BrowseBtn = Make<TButton>(DestGroup, this, "BrowseBtn", "...", 132, 78, 21, 21);
    FormatLabel = Make<TLabel>(DestGroup, this, "FormatLabel", "Format:", 8, 104, 60, 16);
    FormatList = Make<TComboBox>(DestGroup, this, "FormatList", "", 8, 120, 145, 21);
    FormatList->SetStyle(csDropDownList);

    RangeGroup = Make<TGroupBox>(RangePage, this, "RangeGroup", "Print Range", 0, 0, 161, 150);
    AllRadio = Make<TRadioButton>(RangeGroup, this, "AllRadio", "All", 8, 16, 145, 17);
    AllRadio->SetChecked(true);
    SelectionRadio = Make<TRadioButton>(RangeGroup, this, "SelectionRadio", "Selection", 8, 36, 145, 17);
    PagesRadio = Make<TRadioButton>(RangeGroup, this, "PagesRadio", "Pages", 8, 56, 145, 17);
    SelectionLabel = Make<TLabel>(RangeGroup, this, "SelectionLabel", "Selection", 8, 84, 50, 16);
    SelectionEdit = Make<TEdit>(RangeGroup, this, "SelectionEdit", "", 60, 80, 93, 21);
    FromLabel = Make<TLabel>(RangeGroup, this, "FromLabel", "From", 8, 112, 30, 16);
    FromEdit = Make<TEdit>(RangeGroup, this, "FromEdit", "", 40, 108, 40, 21);
    ToLabel = Make<TLabel>(RangeGroup, this, "ToLabel", "to", 86, 112, 16, 16);
    ToEdit = Make<TEdit>(RangeGroup, this, "ToEdit", "", 104, 108, 49, 21);

    SaveDialog = new TSaveDialog(this);
    SaveDialog->SetName("SaveDialog");
    SaveDialog->DefaultExt = "vsf";
    SaveDialog->Options = ofOverwritePrompt | ofPathMustExist | ofHideReadOnly | ofEnableSizing;

    // On creation.
    FromLabel->SetVisible(false);
    FromEdit->SetVisible(false);
    ToLabel->SetVisible(false);
    ToEdit->SetVisible(false);
    SelectionLabel->SetEnabled(false);
    SelectionEdit->SetEnabled(false);
    FileNameEdit->SetEnabled(false);
    BrowseBtn->SetEnabled(false);

    auto digitsOnly = [](TObject*, char& key) {
        if (!IsDigit(key) && key != '\b') key = 0;
    };
    CopiesEdit->OnKeyPress = digitsOnly;
    FromEdit->OnKeyPress = digitsOnly;
    ToEdit->OnKeyPress = digitsOnly;
    SelectionEdit->OnKeyPress = [](TObject*, char& key) {
        if (!IsDigit(key) && key != '-' && key != ',' && key != '\b') key = 0;
    };
    OnShow = [this](TObject*) { FormShow(); };
    SetupBtn->OnClick = [this](TObject*) { SetupClick(); };
    BrowseBtn->OnClick = [this](TObject*) { BrowseClick(); };
    OKBtn->OnClick = [this](TObject*) { OKClick(); };
    FormatList->OnChange = [this](TObject*) { SaveDialog->FilterIndex = FormatList->ItemIndex() + 1; };
    FileNameEdit->OnChange = [this](TObject*) { OKBtn->SetEnabled(!Trim(FileNameEdit->Text()).empty()); };
    for (TRadioButton* b : {PrinterRadio, PreviewRadio, FileRadio})
        b->OnClick = [this, b](TObject*) { DestClick(b); };
    for (TRadioButton* b : {AllRadio, SelectionRadio, PagesRadio})
        b->OnClick = [this, b](TObject*) { RangeClick(b); };
    DoCreate();
}

bool TVPSetupForm::UsablePrinter() {
    TVpPrinterDevice* d = GetPrinterDevice();
    return d && !d->NoPrinters();
}

void TVPSetupForm::UpdatePrinterLabel() {
    TVpPrinterDevice* d = GetPrinterDevice();
    if (d && !d->NoPrinters()) {
        d->SetContextKind(1);
        if (d->GetPort().empty())
            PrinterLabel->SetCaption(d->GetDeviceName());
        else
            PrinterLabel->SetCaption(Format(Trans("%s on %s"), {d->GetDeviceName(), d->GetPort()}));
    } else {
        PrinterLabel->SetCaption(Trans("No printers installed!"));
    }
}

void TVPSetupForm::DestClick(TRadioButton* b) {
    if (!b->Checked()) return;
    bool file = b == FileRadio;
    FileNameEdit->SetEnabled(file);
    BrowseBtn->SetEnabled(file);
    FormatList->SetEnabled(file);
    OKBtn->SetEnabled(!file || !Trim(FileNameEdit->Text()).empty());
    SetupBtn->SetEnabled(ReportSystem && ReportSystem->HasSetup(ssAllowPrinterSetup) && UsablePrinter());
    if (!file) {
        bool printer = b == PrinterRadio;
        CopiesEdit->SetEnabled(printer);
        CollateCheck->SetEnabled(printer);
        DuplexCheck->SetEnabled(printer);
    }
}

void TVPSetupForm::RangeClick(TRadioButton* b) {
    if (!b->Checked()) return;
    if (b == AllRadio) {
        for (TControl* c : std::initializer_list<TControl*>{SelectionLabel, SelectionEdit, FromLabel, FromEdit,
                                                            ToLabel, ToEdit})
            c->SetEnabled(false);
    } else if (b == SelectionRadio) {
        for (TControl* c : std::initializer_list<TControl*>{FromLabel, FromEdit, ToLabel, ToEdit})
            c->SetVisible(false);
        SelectionLabel->SetVisible(true);
        SelectionLabel->SetEnabled(true);
        SelectionEdit->SetVisible(true);
        SelectionEdit->SetEnabled(true);
    } else {
        SelectionLabel->SetVisible(false);
        SelectionEdit->SetVisible(false);
        for (TControl* c : std::initializer_list<TControl*>{FromLabel, FromEdit, ToLabel, ToEdit}) {
            c->SetVisible(true);
            c->SetEnabled(true);
        }
    }
}

void TVPSetupForm::FormShow() {
    FormatList->Items()->Clear();
    std::vector<std::pair<std::string, TVPRender*>> renderers;
    ListRendererNames(renderers);
    for (auto& [name, r] : renderers) FormatList->Items()->AddObject(name, r);
    FormatList->Items()->Insert(0, Trans(FormatSnapshotText));
    FormatList->Items()->Insert(1, Trans(FormatPrinterText));
    std::string filter = std::string(FormatSnapshotText) + "|*.VSF|" + FormatPrinterText + "|*.PRN";
    std::string extra = BuildRendererFilter();
    if (!extra.empty()) filter += "|" + extra;
    SaveDialog->Filter = filter;

    UpdatePrinterLabel();
    bool printer = UsablePrinter();
    TSystemPrinter* settings = ReportSystem ? &ReportSystem->SystemPrinter : nullptr;
    auto has = [this](TSystemSetup s) { return ReportSystem && ReportSystem->HasSetup(s); };
    if (PrintRangeMode) {
        PageControl->SetActivePage(RangePage);
        int count = PrinterRenderer ? PrinterRenderer->GetPageCount() : 0;
        FromEdit->SetText("1");
        ToEdit->SetText(std::to_string(count));
        SelectionEdit->SetText("1-" + std::to_string(count));
    } else {
        PageControl->SetActivePage(DestPage);
        if (FormatList->ItemIndex() < 0) FormatList->SetItemIndex(0);
        if (!printer) {
            PrinterRadio->SetEnabled(false);
            FileRadio->SetEnabled(false);
            if (has(ssAllowDestPreview))
                PreviewRadio->SetChecked(true);
            else
                PreviewRadio->SetEnabled(false);
        } else {
            PrinterRadio->SetEnabled(has(ssAllowDestPrinter));
            PreviewRadio->SetEnabled(has(ssAllowDestPreview));
            FileRadio->SetEnabled(has(ssAllowDestFile));
            TReportDest dest = ReportSystem ? ReportSystem->DefaultDest : rdPreview;
            TRadioButton* b = dest == rdPrinter ? PrinterRadio : dest == rdFile ? FileRadio : PreviewRadio;
            b->SetChecked(true);
            DestClick(b);
        }
    }
    int copies = settings ? settings->Copies : 1;
    if (!printer) {
        CollateCheck->SetEnabled(false);
        CopiesEdit->SetEnabled(false);
        CopiesLabel->SetEnabled(false);
        DuplexCheck->SetEnabled(false);
        SetupBtn->SetEnabled(false);
        CopiesEdit->SetText(std::to_string(copies));
    } else {
        if (!has(ssAllowCollate)) CollateCheck->SetEnabled(false);
        CollateCheck->SetChecked(settings && settings->Collate);
        if (!has(ssAllowCopies)) CopiesEdit->SetEnabled(false);
        CopiesEdit->SetText(std::to_string(copies));
        if (!has(ssAllowDuplex)) DuplexCheck->SetEnabled(false);
        DuplexCheck->SetChecked(settings && settings->Duplex != dupSimplex);
        if (!has(ssAllowPrinterSetup)) SetupBtn->SetEnabled(false);
    }
}

void TVPSetupForm::SetupClick() {
    TVpPrinterDevice* d = GetPrinterDevice();
    if (!d) return;
    TPrinterSettings* dm = d->GetDevMode();
    int before = dm ? dm->DefaultSource : 0;
    if (d->PrinterSetupDialog()) {
        dm = d->GetDevMode();
        int after = dm ? dm->DefaultSource : 0;
        d->SetupBinChosen = after != before;
        if (d->SetupBinChosen) d->SetupBin = SmallInt(after);
    }
    UpdatePrinterLabel();
}

void TVPSetupForm::BrowseClick() {
    if (!SaveDialog->Execute()) return;
    FileNameEdit->SetText(SaveDialog->FileName);
    FormatList->SetItemIndex(SaveDialog->FilterIndex - 1);
}

void TVPSetupForm::ApplyPrinterOptions(int& copies, bool& collate, TDuplex& duplex) {
    auto has = [this](TSystemSetup s) { return ReportSystem && ReportSystem->HasSetup(s); };
    Integer n;
    if (has(ssAllowCopies) && TryStrToInt(CopiesEdit->Text(), n)) copies = n;
    if (has(ssAllowCollate)) collate = CollateCheck->Checked();
    if (has(ssAllowDuplex)) {
        if (DuplexCheck->Checked()) {
            if (duplex == dupSimplex) duplex = dupVertical;
        } else {
            duplex = dupSimplex;
        }
    }
}

void TVPSetupForm::OKClick() {
    if (PrintRangeMode) {
        if (!PrinterRenderer) return;
        PrinterRenderer->FirstPage = 1;
        PrinterRenderer->LastPage = 9999;
        PrinterRenderer->Selection.clear();
        if (SelectionRadio->Checked()) {
            PrinterRenderer->Selection = SelectionEdit->Text();
        } else if (PagesRadio->Checked()) {
            PrinterRenderer->FirstPage = StrToInt(FromEdit->Text());
            PrinterRenderer->LastPage = StrToInt(ToEdit->Text());
        }
        ApplyPrinterOptions(PrinterRenderer->Copies, PrinterRenderer->Collate, PrinterRenderer->Duplex);
    } else if (ReportSystem) {
        TVzSystem* s = ReportSystem;
        if (PrinterRadio->Checked()) {
            s->ReportDest = rdPrinter;
            s->OutputFileName.clear();
        } else if (PreviewRadio->Checked()) {
            s->ReportDest = rdPreview;
            s->OutputFileName.clear();
        } else if (FileRadio->Checked()) {
            s->ReportDest = rdFile;
            std::string name = Trim(FileNameEdit->Text());
            // Only the file's own name decides: a dotted folder is no extension.
            bool hasExt = ExtractFileName(name).find('.') != std::string::npos;
            int entry = FormatList->ItemIndex();
            if (entry <= 0) {
                if (!hasExt) name += ".vsf";
                s->PrinterFileOutput = false;
                s->SetFileRenderer(nullptr);
            } else if (entry == 1) {
                if (!hasExt) name += ".prn";
                s->PrinterFileOutput = true;
                s->SetFileRenderer(nullptr);
            } else {
                auto* r = dynamic_cast<TVPRender*>(FormatList->Items()->Objects(entry));
                s->PrinterFileOutput = false;
                s->SetFileRenderer(r);
                if (r && !hasExt) {
                    std::string ext = r->GetFileExtension();
                    if (!ext.empty()) name += ext.substr(1);
                }
            }
            s->OutputFileName = name;
        }
    }
    if (ReportSystem)
        ApplyPrinterOptions(ReportSystem->SystemPrinter.Copies, ReportSystem->SystemPrinter.Collate,
                            ReportSystem->SystemPrinter.Duplex);
}
