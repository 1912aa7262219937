// The program's output-options window for the summary report.

#include "app/OmbxVpFormSetup.h"

#include "platform/core/FileUtils.h"
#include "platform/core/Format.h"
#include "platform/core/Strings.h"
#include "platform/gui/Prompts.h"
#include "report/RenderCanvas.h"
#include "report/ReportSystem.h"

namespace {

template <class T>
T* Place(TWinControl* parent, TComponent* owner, const std::string& name, const std::string& caption, int left,
         int top, int width, int height) {
    auto* control = new T(owner);
    control->SetName(name);
    control->SetParent(parent);
    if (!caption.empty()) control->SetCaption(caption);
    control->SetBounds(left, top, width, height);
    return control;
}

bool IsDigitKey(char key) { return key >= '0' && key <= '9'; }

}  // namespace

std::string RendererFileExtension(const std::string& patterns) {
    const std::string first = patterns.substr(0, patterns.find(';'));
    const std::size_t dot = first.rfind('.');
    if (dot == std::string::npos) return {};
    const std::string ext = Trim(first.substr(dot));
    // "*.*" or a bare "." name no extension of their own.
    if (ext.size() < 2 || ext.find('*') != std::string::npos || ext.find('?') != std::string::npos) return {};
    return ext;
}

TfrmOmbxVPSetupForm::TfrmOmbxVPSetupForm(TComponent* owner) : TForm(owner) {
    SetName("frmOmbxVPSetupForm");
    SetCaption("Output Options");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(295);
    SetClientHeight(242);
    gbPrinter = Place<TGroupBox>(this, this, "gbPrinter", "Selected Printer", 8, 4, 279, 40);
    PrinterLabel = Place<TLabel>(gbPrinter, this, "PrinterLabel", "(none)", 8, 16, 263, 16);
    bbtnOK = Place<TButton>(this, this, "bbtnOK", "   OK   ", 8, 210, 75, 25);
    bbtnOK->SetDefault(true);
    CancelBB = Place<TButton>(this, this, "CancelBB", "Cancel", 110, 210, 75, 25);
    CancelBB->SetCancel(true);
    CancelBB->SetModalResult(mrCancel);
    SetupBB = Place<TButton>(this, this, "SetupBB", "&Setup", 212, 210, 75, 25);
    gbOptions = Place<TGroupBox>(this, this, "gbOptions", "Options", 176, 48, 111, 154);
    CopiesLabel = Place<TLabel>(gbOptions, this, "CopiesLabel", "&Copies", 8, 20, 40, 16);
    CopiesED = Place<TEdit>(gbOptions, this, "CopiesED", "", 56, 16, 47, 21);
    CollateCK = Place<TCheckBox>(gbOptions, this, "CollateCK", "C&ollate", 8, 48, 95, 17);
    DuplexCK = Place<TCheckBox>(gbOptions, this, "DuplexCK", "&Duplex", 8, 72, 95, 17);

    PageControl1 = Place<TPageControl>(this, this, "PageControl1", "", 8, 48, 163, 154);
    tsDestination = new TTabSheet(this);
    tsDestination->SetName("tsDestination");
    tsDestination->SetPageControl(PageControl1);
    tsDestination->SetTabVisible(false);
    tsRange = new TTabSheet(this);
    tsRange->SetName("tsRange");
    tsRange->SetPageControl(PageControl1);
    tsRange->SetTabVisible(false);

    gbDestination = Place<TGroupBox>(tsDestination, this, "gbDestination", "Report Destination", 0, 0, 161, 150);
    PrinterRB = Place<TRadioButton>(gbDestination, this, "PrinterRB", "&Printer", 8, 16, 145, 17);
    PreviewRB = Place<TRadioButton>(gbDestination, this, "PreviewRB", "Pre&view", 8, 36, 145, 17);
    FileRB = Place<TRadioButton>(gbDestination, this, "FileRB", "&File", 8, 56, 145, 17);
    editFileName = Place<TEdit>(gbDestination, this, "editFileName", "", 8, 78, 121, 21);
    FileNameSB = Place<TButton>(gbDestination, this, "FileNameSB", "...", 132, 78, 21, 21);
    lblFormat = Place<TLabel>(gbDestination, this, "lblFormat", "Format:", 8, 104, 60, 16);
    cboxFormat = Place<TComboBox>(gbDestination, this, "cboxFormat", "", 8, 120, 145, 21);
    cboxFormat->SetStyle(csDropDownList);

    gbRange = Place<TGroupBox>(tsRange, this, "gbRange", "Print Range", 0, 0, 161, 150);
    AllRB = Place<TRadioButton>(gbRange, this, "AllRB", "All", 8, 16, 145, 17);
    AllRB->SetChecked(true);
    SelectionRB = Place<TRadioButton>(gbRange, this, "SelectionRB", "Selection", 8, 36, 145, 17);
    PagesRB = Place<TRadioButton>(gbRange, this, "PagesRB", "Pages", 8, 56, 145, 17);
    lblSelection = Place<TLabel>(gbRange, this, "lblSelection", "Selection", 8, 84, 50, 16);
    SelectionED = Place<TEdit>(gbRange, this, "SelectionED", "", 60, 80, 93, 21);
    lblFrom = Place<TLabel>(gbRange, this, "lblFrom", "From", 8, 112, 30, 16);
    FromED = Place<TEdit>(gbRange, this, "FromED", "", 40, 108, 40, 21);
    lblTo = Place<TLabel>(gbRange, this, "lblTo", "to", 86, 112, 16, 16);
    ToED = Place<TEdit>(gbRange, this, "ToED", "", 104, 108, 49, 21);

    dlogSave = new TSaveDialog(this);
    dlogSave->SetName("dlogSave");
    dlogSave->DefaultExt = "vsf";
    dlogSave->Filter = "All Files|*.*";
    dlogSave->Options = ofOverwritePrompt | ofPathMustExist | ofHideReadOnly;

    // FormCreate: the range edits wait for their radio button; no page is
    // active until the window is shown.
    for (TControl* c : std::initializer_list<TControl*>{lblFrom, FromED, lblTo, ToED}) c->SetVisible(false);
    for (TControl* c : std::initializer_list<TControl*>{lblSelection, SelectionED, editFileName, FileNameSB})
        c->SetEnabled(false);

    auto digits = [](TObject*, char& key) {
        if (!IsDigitKey(key) && key != '\b') key = 0;
    };
    CopiesED->OnKeyPress = digits;
    FromED->OnKeyPress = digits;
    ToED->OnKeyPress = digits;
    SelectionED->OnKeyPress = [](TObject*, char& key) {
        if (!IsDigitKey(key) && key != '-' && key != ',' && key != '\b') key = 0;
    };
    OnShow = [this](TObject*) { FormShow(); };
    PrinterRB->OnClick = [this](TObject*) { PrinterRBClick(); };
    PreviewRB->OnClick = [this](TObject*) { PrinterRBClick(); };
    FileRB->OnClick = [this](TObject*) { FileRBClick(); };
    editFileName->OnChange = [this](TObject*) { editFileNameChange(); };
    FileNameSB->OnClick = [this](TObject*) { FileNameSBClick(); };
    cboxFormat->OnChange = [this](TObject*) { cboxFormatChange(); };
    SetupBB->OnClick = [this](TObject*) { SetupBBClick(); };
    bbtnOK->OnClick = [this](TObject*) { bbtnOKClick(); };
    AllRB->OnClick = [this](TObject*) { AllRBClick(); };
    SelectionRB->OnClick = [this](TObject*) { SelectionRBClick(); };
    PagesRB->OnClick = [this](TObject*) { PagesRBClick(); };
    DoCreate();
}

bool TfrmOmbxVPSetupForm::HasSetup(int setup) const {
    return ReportSystem && ReportSystem->HasSetup(TSystemSetup(setup));
}

bool TfrmOmbxVPSetupForm::PrinterUsable() const {
    TVpPrinterDevice* device = GetPrinterDevice();
    return device && !device->NoPrinters();
}

void TfrmOmbxVPSetupForm::ShowPrinter() {
    TVpPrinterDevice* device = GetPrinterDevice();
    const auto* printers = device ? device->GetPrinters() : nullptr;
    if (device && printers && !printers->empty() && !device->NoPrinters()) {
        device->SetContextKind(1);
        if (!device->GetPort().empty())
            PrinterLabel->SetCaption(Format(Trans("%s on %s"), {device->GetDeviceName(), device->GetPort()}));
        else
            PrinterLabel->SetCaption(Trans(device->GetDeviceName()));
    } else {
        PrinterLabel->SetCaption(Trans("No printers installed!"));
    }
}

void TfrmOmbxVPSetupForm::FormShow() {
    cboxFormat->Items()->Clear();
    std::vector<std::pair<std::string, TVPRender*>> renderers;
    ListRendererNames(renderers);
    for (auto& [name, renderer] : renderers) cboxFormat->Items()->AddObject(name, renderer);
    const std::string filter = BuildRendererFilter();
    if (!filter.empty()) dlogSave->Filter = filter;
    if (cboxFormat->ItemIndex() < 0 && cboxFormat->Items()->Count() > 0) cboxFormat->SetItemIndex(0);
    ShowPrinter();
    if (RangeMode)
        ShowRangePage();
    else
        ShowDestinationPage();
}

void TfrmOmbxVPSetupForm::ShowDestinationPage() {
    PageControl1->SetActivePage(tsDestination);
    const bool printer = PrinterUsable();
    if (!printer) {
        PrinterRB->SetEnabled(false);
        FileRB->SetEnabled(false);
        if (HasSetup(ssAllowDestPreview)) {
            PreviewRB->SetChecked(true);
            PrinterRBClick();
        } else {
            PreviewRB->SetEnabled(false);
        }
    } else {
        PrinterRB->SetEnabled(HasSetup(ssAllowDestPrinter));
        PreviewRB->SetEnabled(HasSetup(ssAllowDestPreview));
        FileRB->SetEnabled(HasSetup(ssAllowDestFile));
        const TReportDest dest = ReportSystem ? ReportSystem->DefaultDest : rdPreview;
        if (dest == rdFile) {
            FileRB->SetChecked(true);
            FileRBClick();
        } else {
            (dest == rdPrinter ? PrinterRB : PreviewRB)->SetChecked(true);
            PrinterRBClick();
        }
    }
    const TSystemPrinter* settings = ReportSystem ? &ReportSystem->SystemPrinter : nullptr;
    const int copies = settings ? settings->Copies : 1;
    CopiesED->SetText(std::to_string(copies));
    if (!printer) {
        for (TControl* c : std::initializer_list<TControl*>{CollateCK, CopiesED, CopiesLabel, DuplexCK, SetupBB})
            c->SetEnabled(false);
        return;
    }
    if (!HasSetup(ssAllowCollate)) CollateCK->SetEnabled(false);
    CollateCK->SetChecked(settings && settings->Collate);
    if (!HasSetup(ssAllowCopies)) {
        CopiesED->SetEnabled(false);
        CopiesLabel->SetEnabled(false);
    }
    if (!HasSetup(ssAllowDuplex)) DuplexCK->SetEnabled(false);
    DuplexCK->SetChecked(settings && settings->Duplex != dupSimplex);
    if (!HasSetup(ssAllowPrinterSetup)) SetupBB->SetEnabled(false);
}

void TfrmOmbxVPSetupForm::ShowRangePage() {
    PageControl1->SetActivePage(tsRange);
    const int count = PrinterRenderer ? PrinterRenderer->GetPageCount() : 0;
    FromED->SetText("1");
    ToED->SetText(std::to_string(count));
    SelectionED->SetText("1-" + std::to_string(count));
}

void TfrmOmbxVPSetupForm::PrinterRBClick() {
    editFileName->SetEnabled(false);
    FileNameSB->SetEnabled(false);
    cboxFormat->SetEnabled(false);
    bbtnOK->SetEnabled(true);
    SetupBB->SetEnabled(HasSetup(ssAllowPrinterSetup));
    const bool printer = PrinterRB->Checked();
    CopiesED->SetEnabled(printer);
    CopiesLabel->SetEnabled(printer);
    CollateCK->SetEnabled(printer);
    DuplexCK->SetEnabled(printer);
}

void TfrmOmbxVPSetupForm::FileRBClick() {
    editFileName->SetEnabled(true);
    FileNameSB->SetEnabled(true);
    cboxFormat->SetEnabled(true);
    SetupBB->SetEnabled(HasSetup(ssAllowPrinterSetup));
    editFileNameChange();
}

void TfrmOmbxVPSetupForm::editFileNameChange() {
    if (FileRB->Checked()) bbtnOK->SetEnabled(!Trim(editFileName->Text()).empty());
}

void TfrmOmbxVPSetupForm::FileNameSBClick() {
    if (!dlogSave->Execute()) return;
    editFileName->SetText(dlogSave->FileName);
    cboxFormat->SetItemIndex(dlogSave->FilterIndex - 1);
}

void TfrmOmbxVPSetupForm::cboxFormatChange() { dlogSave->FilterIndex = cboxFormat->ItemIndex() + 1; }

void TfrmOmbxVPSetupForm::SetupBBClick() {
    TVpPrinterDevice* device = GetPrinterDevice();
    if (!device) return;
    TPrinterSettings* mode = device->GetDevMode();
    const int before = mode ? mode->DefaultSource : 0;
    if (device->PrinterSetupDialog()) {
        mode = device->GetDevMode();
        const int after = mode ? mode->DefaultSource : 0;
        device->SetupBinChosen = after != before;
        if (device->SetupBinChosen) device->SetupBin = SmallInt(after);
    }
    ShowPrinter();
}

void TfrmOmbxVPSetupForm::AllRBClick() {
    for (TControl* c : std::initializer_list<TControl*>{lblSelection, SelectionED, lblFrom, FromED, lblTo, ToED})
        c->SetEnabled(false);
}

void TfrmOmbxVPSetupForm::SelectionRBClick() {
    for (TControl* c : std::initializer_list<TControl*>{lblFrom, FromED, lblTo, ToED}) c->SetVisible(false);
    for (TControl* c : std::initializer_list<TControl*>{lblSelection, SelectionED}) {
        c->SetVisible(true);
        c->SetEnabled(true);
    }
}

void TfrmOmbxVPSetupForm::PagesRBClick() {
    for (TControl* c : std::initializer_list<TControl*>{lblSelection, SelectionED}) c->SetVisible(false);
    for (TControl* c : std::initializer_list<TControl*>{lblFrom, FromED, lblTo, ToED}) {
        c->SetVisible(true);
        c->SetEnabled(true);
    }
}

void TfrmOmbxVPSetupForm::StoreOptions(int& copies, bool& collate, TDuplex& duplex) {
    Integer n = 0;
    if (HasSetup(ssAllowCopies) && TryStrToInt(CopiesED->Text(), n)) copies = n;
    if (HasSetup(ssAllowCollate)) collate = CollateCK->Checked();
    if (HasSetup(ssAllowDuplex)) {
        if (!DuplexCK->Checked())
            duplex = dupSimplex;
        else if (duplex == dupSimplex)
            duplex = dupVertical;
    }
}

bool TfrmOmbxVPSetupForm::StoreDestination() {
    TVzSystem* system = ReportSystem;
    if (PrinterRB->Checked()) {
        system->ReportDest = rdPrinter;
        system->OutputFileName.clear();
    } else if (PreviewRB->Checked()) {
        system->ReportDest = rdPreview;
        system->OutputFileName.clear();
    } else if (FileRB->Checked()) {
        const int entry = cboxFormat->ItemIndex();
        auto* renderer = entry >= 0 ? dynamic_cast<TVPRender*>(cboxFormat->Items()->Objects(entry)) : nullptr;
        if (!renderer) {
            // Without a renderer nothing could write the file.
            MessageDlg(Trans("Please choose a format for the output file."), mtInformation, {mbOK});
            return false;
        }
        std::string name = Trim(editFileName->Text());
        system->ReportDest = rdFile;
        system->PrinterFileOutput = false;
        system->SetFileRenderer(renderer);
        if (ExtractFileName(name).find('.') == std::string::npos) name += RendererFileExtension(renderer->GetFileExtension());
        system->OutputFileName = name;
    }
    return true;
}

void TfrmOmbxVPSetupForm::bbtnOKClick() {
    if (RangeMode) {
        if (PrinterRenderer) {
            PrinterRenderer->FirstPage = 1;
            PrinterRenderer->LastPage = 9999;
            PrinterRenderer->Selection.clear();
            if (SelectionRB->Checked()) {
                PrinterRenderer->Selection = SelectionED->Text();
            } else if (PagesRB->Checked()) {
                Integer from = 1, to = 9999;
                TryStrToInt(FromED->Text(), from);
                TryStrToInt(ToED->Text(), to);
                PrinterRenderer->FirstPage = from;
                PrinterRenderer->LastPage = to;
            }
            StoreOptions(PrinterRenderer->Copies, PrinterRenderer->Collate, PrinterRenderer->Duplex);
        }
    } else if (ReportSystem && !StoreDestination()) {
        SetModalResult(mrNone);
        return;
    }
    if (ReportSystem)
        StoreOptions(ReportSystem->SystemPrinter.Copies, ReportSystem->SystemPrinter.Collate,
                     ReportSystem->SystemPrinter.Duplex);
    SetModalResult(mrOk);
}
