#include "report/ReportSystem.h"

#include "platform/core/FileUtils.h"
#include "report/PreviewForm.h"
#include "report/RenderPreview.h"
#include "report/SetupForm.h"

// ------------------------------------------------------------- settings

void TSystemPrinter::InitPrinter(TBaseReport& r) {
    r.SetCopies(Copies);
    r.FirstPage = FirstPage;
    r.LastPage = LastPage;
    r.SetLineHeightMethod(LineHeightMethod);
    r.SetLinesPerInch(LinesPerInch);
    r.SetMarginBottom(MarginBottom);
    r.SetMarginLeft(MarginLeft);
    r.SetMarginRight(MarginRight);
    r.SetMarginTop(MarginTop);
    r.SetOrientation(Orientation);
    r.SetScaleX(ScaleX);
    r.SetScaleY(ScaleY);
    r.StatusFormat = StatusFormat;
    r.StatusText.Assign(StatusText);
    r.TabShade = tabShade_;
    r.SetTextBKMode(TextBKMode);
    r.Title = Title;
    r.SetUnits(Units);
    if (Units == unUser) r.SetUnitsFactor(UnitsFactor);
    TVpPrinterDevice* device = GetPrinterDevice();
    if (!(device && device->NoPrinters())) {
        r.SetCollate(Collate);
        r.SetDuplex(Duplex);
    }
}

TSystemFiler::~TSystemFiler() = default;

void TSystemFiler::InitFiler(TVzVSFWriter& w) {
    w.IgnoreVPTF = IgnoreVPTF;
    w.AccuracyMethod = AccuracyMethod;
    w.FileName = FileName;
    w.StatusFormat = StatusFormat;
    w.StatusText.Assign(StatusText);
    if (StreamMode == smMemory) {
        memory_ = std::make_unique<TMemoryStream>();
        Stream = memory_.get();
        w.StreamMode = smUser;
    } else {
        if (StreamMode == smUser && !Stream) RaiseReportError(Trans("StreamMode is smUser but Stream is nil"));
        w.StreamMode = StreamMode;
    }
    w.Stream = Stream;
}

void TSystemFiler::FreeMemoryStream() {
    if (Stream == memory_.get()) Stream = nullptr;
    memory_.reset();
}

TSystemPreview::TSystemPreview() = default;

void TSystemPreview::SetMonochrome(bool v) {
    if (v && shadowDepth_ > 0) {
        ShowMessage(Trans("Monochrome not allowed while shadows are in effect.") + "\r" +
                    Trans("Change ShadowDepth to 0 first"));
        return;
    }
    monochrome_ = v;
}

void TSystemPreview::SetShadowDepth(int v) {
    if (v > 0 && monochrome_) {
        ShowMessage(Trans("Shadows not allowed while monochrome in effect.") + "\r" +
                    Trans("Change Monochrome to false first"));
        return;
    }
    shadowDepth_ = v;
}

void TSystemPreview::InitPreview(TVzRenderPreview& p) {
    p.GridHoriz = GridHoriz;
    p.SetGridPen(GridPen);
    p.GridVert = GridVert;
    p.MarginMethod = MarginMethod;
    p.MarginPercent = MarginPercent;
    p.SetShadowDepth(shadowDepth_);
    p.SetMonochrome(monochrome_);
    p.PageInc = PageInc;
    p.RulerType = RulerType;
    p.SetZoomFactor(zoom_);
    p.ZoomInc = ZoomInc;
}

// ---------------------------------------------------------- status window

TVpStatusForm::TVpStatusForm(TComponent* owner) : TForm(owner) {
    SetCaption("Report Status");
    SetBorderStyle(bsDialog);
    SetBorderIcons(0);
    SetPosition(poScreenCenter);
    SetClientWidth(361);
    SetClientHeight(113);
    StatusLabel = new TLabel(this);
    StatusLabel->SetName("StatusLabel");
    StatusLabel->SetParent(this);
    StatusLabel->SetAutoSize(false);
    StatusLabel->SetAlignment(taCenter);
    StatusLabel->SetBounds(8, 16, 345, 49);
    CancelButton = new TButton(this);
    CancelButton->SetName("CancelButton");
    CancelButton->SetParent(this);
    CancelButton->SetBounds(144, 78, 75, 25);
    CancelButton->SetCaption("Cancel");
    CancelButton->SetDefault(true);
    CancelButton->SetCancel(true);
    CancelButton->SetModalResult(mrCancel);
    CancelButton->OnClick = [this](TObject* s) { CancelButtonClick(s); };
}

void TVpStatusForm::CancelButtonClick(TObject*) {
    if (CancelButton->ModalResult() == mrCancel) {
        if (ReportSystem && ReportSystem->RunningWriter()) ReportSystem->RunningWriter()->Abort();
    } else {
        FormClosed = true;
    }
}

// ---------------------------------------------------------- report system

TVzSystem::TVzSystem(TComponent* owner) : TVpComponent(owner) {}

TVzSystem::~TVzSystem() {
    if (statusLabel_) statusLabel_->RemoveFreeNotification(this);
}

void TVzSystem::Notification(TComponent* component, TOperation operation) {
    TVpComponent::Notification(component, operation);
    if (operation == opRemove && component == statusLabel_) statusLabel_ = nullptr;
}

void TVzSystem::EnsureSetupHandler() {
    if (!OverrideSetup)
        OverrideSetup = [this](TVzSystem* s, TOverrideMode m, TForm*& f) { DefaultSetupHandler(s, m, f); };
}

void TVzSystem::EnsureStatusHandler() {
    if (!OverrideStatus)
        OverrideStatus = [this](TVzSystem* s, TOverrideMode m, TForm*& f) { DefaultStatusHandler(s, m, f); };
}

void TVzSystem::RunReport() {
    ReportDest = DefaultDest;
    Aborted = false;
    if (HasSetup(ssAllowSetup)) {
        EnsureSetupHandler();
        TForm* form = nullptr;
        try {
            OverrideSetup(this, 0, form);
            OverrideSetup(this, 1, form);
            OverrideSetup(this, 2, form);
        } catch (...) {
            OverrideSetup(this, 3, form);
            throw;
        }
        OverrideSetup(this, 3, form);
    }
    if (Aborted) return;
    if (SystemFiler.StreamMode != smFile) SystemFiler.FileName.clear();
    auto cleanup = [this] {
        if (SystemFiler.StreamMode == smMemory) {
            SystemFiler.FreeMemoryStream();
        } else if (SystemFiler.StreamMode == smTempFile && !SystemFiler.FileName.empty()) {
            // Never the file the run was asked to write.
            bool isOutput = ReportDest == rdFile && SystemFiler.FileName == OutputFileName;
            if (!isOutput) DeleteFile(SystemFiler.FileName);
        }
    };
    try {
        Generate();
        // Without generation there may be nothing to show: say so rather
        // than fail on a file without a name.
        bool snapshotIsOutput = ReportDest == rdFile && !fileRenderer_ && !PrinterFileOutput;
        if (!Aborted && !snapshotIsOutput && SystemFiler.FileName.empty() && !SystemFiler.Stream)
            RaiseReportError(Trans("There is no report snapshot to output."));
        if (!Aborted) {
            if (ReportDest == rdPrinter || (ReportDest == rdFile && PrinterFileOutput)) {
                Print();
            } else if (ReportDest == rdFile && fileRenderer_) {
                RenderToFile();
            } else if (ReportDest == rdFile) {
                if (OverrideStatus) OverrideStatus(this, 3, statusForm_);
            } else {
                Preview();
            }
        }
    } catch (...) {
        cleanup();
        throw;
    }
    cleanup();
}

void TVzSystem::Generate() {
    if (HasOption(soNoGenerate)) return;
    Aborted = true;
    EnsureStatusHandler();
    OverrideStatus(this, 0, statusForm_);
    auto writer = std::make_unique<TVzVSFWriter>(nullptr);
    writer_ = writer.get();
    auto finish = [&] {
        if (statusLabel_) statusLabel_->RemoveFreeNotification(this);
        statusLabel_ = writer_->StatusLabel();
        // The label goes with its window; the system is told.
        if (statusLabel_) statusLabel_->FreeNotification(this);
        SystemFiler.FileName = writer_->FileName;
        writer_ = nullptr;
        writer.reset();
        OverrideStatus(this, 3, statusForm_);
    };
    try {
        SystemPrinter.InitPrinter(*writer);
        SystemFiler.InitFiler(*writer);
        if (ReportDest == rdFile && !fileRenderer_) {
            if (PrinterFileOutput) {
                writer->SetOutputName(OutputFileName);
            } else {
                writer->StreamMode = smFile;
                writer->FileName = OutputFileName;
            }
        }
        writer->OnPrint = OnPrint;
        writer->OnPrintPage = OnPrintPage;
        writer->OnBeforePrint = OnBeforePrint;
        writer->OnAfterPrint = OnAfterPrint;
        writer->OnNewPage = OnNewPage;
        writer->OnNewColumn = OnNewColumn;
        writer->OnPrintHeader = OnPrintHeader;
        writer->OnPrintFooter = OnPrintFooter;
        writer->OnEndOfSection = OnEndOfSection;
        writer->OnDecodeImage = OnDecodeImage;
        OverrideStatus(this, 1, statusForm_);
        writer->Execute();
        MacroData.Assign(writer->MacroData);
        Aborted = writer->Aborted();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TVzSystem::Print() {
    TVzRenderPrinter printer(nullptr);
    printer.OnDecodeImage = OnDecodeImage;
    printer.MacroData.Assign(MacroData);
    printer.OutputFileName = OutputFileName;
    if (!SystemFiler.FileName.empty())
        printer.RenderFile(SystemFiler.FileName);
    else
        printer.Render(SystemFiler.Stream);
}

void TVzSystem::RenderToFile() {
    if (OverrideStatus && statusForm_) OverrideStatus(this, 3, statusForm_);
    std::unique_ptr<TStream> owned;
    TStream* stream = nullptr;
    switch (SystemFiler.StreamMode) {
        case smMemory: {
            auto copy = std::make_unique<TMemoryStream>();
            if (SystemFiler.Stream) {
                SystemFiler.Stream->SetPosition(0);
                copy->CopyFrom(*SystemFiler.Stream, 0);
            }
            owned = std::move(copy);
            stream = owned.get();
            break;
        }
        case smUser:
            if (!SystemFiler.Stream) RaiseReportError(Trans("StreamMode is smUser but Stream is nil"));
            stream = SystemFiler.Stream;
            break;
        default:
            owned = std::make_unique<TFileStream>(SystemFiler.FileName, fmOpenRead | fmShareDenyWrite);
            stream = owned.get();
            break;
    }
    stream->SetPosition(0);
    fileRenderer_->OutputFileName = OutputFileName;
    fileRenderer_->Render(stream);
}

void TVzSystem::Preview() {
    if (!OverridePreview)
        OverridePreview = [this](TVzSystem* s, TOverrideMode m, TForm*& f) { DefaultPreviewHandler(s, m, f); };
    TForm* form = nullptr;
    try {
        OverridePreview(this, 0, form);
        OverridePreview(this, 1, form);
        OverridePreview(this, 2, form);
    } catch (...) {
        OverridePreview(this, 3, form);
        throw;
    }
    OverridePreview(this, 3, form);
}

void TVzSystem::DefaultSetupHandler(TVzSystem*, TOverrideMode mode, TForm*& form) {
    switch (mode) {
        case 0: {
            auto* f = new TVPSetupForm(this);
            f->SetCaption(TitleSetup);
            f->ReportSystem = this;
            form = f;
            break;
        }
        case 1:
            if (form) Aborted = form->ShowModal() == mrCancel;
            break;
        case 3:
            delete form;
            form = nullptr;
            break;
        default:
            break;
    }
}

void TVzSystem::DefaultStatusHandler(TVzSystem*, TOverrideMode mode, TForm*& form) {
    if (!HasOption(soShowStatus)) return;
    auto* f = dynamic_cast<TVpStatusForm*>(form);
    switch (mode) {
        case 0:
            f = new TVpStatusForm(this);
            f->SetCaption(TitleStatus);
            f->ReportSystem = this;
            form = f;
            break;
        case 1:
            if (!f) break;
            if (writer_) writer_->SetStatusLabel(f->StatusLabel);
            f->CancelButton->SetCaption(Trans("Cancel"));
            f->Show();
            break;
        case 2:
            if (!f || !HasOption(soWaitForOK)) break;
            f->CancelButton->SetCaption(Trans("Ok"));
            f->CancelButton->SetModalResult(mrOk);
            f->FormClosed = false;
            while (!f->FormClosed && !Application->Terminated()) Application->HandleMessage();
            break;
        case 3:
            delete form;
            form = nullptr;
            break;
        default:
            break;
    }
}

void TVzSystem::DefaultPreviewHandler(TVzSystem*, TOverrideMode mode, TForm*& form) {
    auto* f = dynamic_cast<TVizePreviewForm*>(form);
    switch (mode) {
        case 0:
            f = new TVizePreviewForm(this);
            f->SetCaption(TitlePreview);
            f->SetBounds(f->Left(), f->Top(), SystemPreview.FormWidth, SystemPreview.FormHeight);
            f->SetWindowState(SystemPreview.FormState);
            f->ReportSystem = this;
            f->AfterPrint = OnAfterPreviewPrint;
            form = f;
            break;
        case 1: {
            if (!f) break;
            f->RenderPrinter()->MacroData.Assign(MacroData);
            f->RenderPrinter()->OnDecodeImage = OnDecodeImage;
            f->RenderPreview()->MacroData.Assign(MacroData);
            f->RenderPreview()->OnDecodeImage = OnDecodeImage;
            SystemPreview.InitPreview(*f->RenderPreview());
            if (OnPreviewSetup) OnPreviewSetup(f->RenderPreview());
            f->InputFileName = SystemFiler.FileName;
            f->InputStream = SystemFiler.Stream;
            f->Start();
            if (HasOption(soPreviewModal))
                f->ShowModal();
            else
                f->Show();
            break;
        }
        case 2:
            if (!f || HasOption(soPreviewModal)) break;
            while (f->Visible() && !Application->Terminated()) Application->HandleMessage();
            break;
        case 3:
            if (f && (SystemFiler.StreamMode == smFile || SystemFiler.StreamMode == smTempFile))
                f->RenderPreview()->FreeInputStream();
            delete form;
            form = nullptr;
            break;
        default:
            break;
    }
}
