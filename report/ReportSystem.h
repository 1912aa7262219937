#pragma once
// The report system: one call runs a report through the output-options
// window, generation into a snapshot stream with a status window, and
// output to the printer, the preview window or a file (the snapshot itself,
// a printer file or a renderer from the registry).

#include <functional>
#include <memory>
#include <string>

#include "platform/gui/StdCtrls.h"
#include "report/ReportForms.h"
#include "report/Render.h"
#include "report/VSFWriter.h"

class TVzSystem;
class TVzRenderPreview;
class TVzRenderPrinter;

// 0 create the window, 1 show it, 2 wait for it, 3 free it.
using TOverrideMode = int;
using TVzSystemEvent = std::function<void(TVzSystem* reportSystem, TOverrideMode mode, TForm*& overrideForm)>;

class TSystemPrinter {
public:
    int Copies = 1;
    bool Collate = false;
    TDuplex Duplex = dupSimplex;
    int FirstPage = 1;
    int LastPage = 9999;
    TLineHeightMethod LineHeightMethod = lhmFont;
    int LinesPerInch = 6;
    double MarginBottom = 0, MarginLeft = 0, MarginRight = 0, MarginTop = 0;
    TOrientation Orientation = poPortrait;
    double ScaleX = 100, ScaleY = 100;
    std::string StatusFormat = "Printing page %p";
    TStringList StatusText;
    int TabShade() const { return tabShade_; }
    void SetTabShade(int v) { tabShade_ = std::clamp(v, 0, 100); }
    TBKMode TextBKMode = bkTransparent;
    std::string Title = "Vize Report";
    TPrintUnits Units = unInch;
    double UnitsFactor = 1.0;
    void InitPrinter(TBaseReport& report);

private:
    int tabShade_ = 0;
};

class TSystemFiler {
public:
    ~TSystemFiler();
    TAccuracyMethod AccuracyMethod = amPositioning;
    std::string FileName;
    std::string StatusFormat = "Generating page %p";
    TStringList StatusText;
    TStreamMode StreamMode = smMemory;
    // The snapshot stream: the filer's memory stream for smMemory, the
    // caller's stream for smUser.
    TStream* Stream = nullptr;
    bool IgnoreVPTF = false;
    void InitFiler(TVzVSFWriter& writer);
    void FreeMemoryStream();

private:
    std::unique_ptr<TMemoryStream> memory_;
};

class TSystemPreview {
public:
    TSystemPreview();
    int FormWidth = 615, FormHeight = 450;
    TWindowState FormState = wsNormal;
    double GridHoriz = 0, GridVert = 0;
    TPen GridPen;
    TMarginMethod MarginMethod = mmFixed;
    double MarginPercent = 0;
    bool Monochrome() const { return monochrome_; }
    void SetMonochrome(bool v);
    int PagesWide = 1, PagesHigh = 1;
    int PageInc = 1;
    TRulerType RulerType = rtNone;
    int ShadowDepth() const { return shadowDepth_; }
    void SetShadowDepth(int v);
    double ZoomFactor() const { return zoom_; }
    void SetZoomFactor(double v) { zoom_ = std::clamp(v, 10.0, 200.0); }
    int ZoomInc = 10;
    void InitPreview(TVzRenderPreview& preview);

private:
    bool monochrome_ = false;
    int shadowDepth_ = 0;
    double zoom_ = 100;
};

class TVpStatusForm : public TForm {
public:
    explicit TVpStatusForm(TComponent* owner);
    TLabel* StatusLabel;
    TButton* CancelButton;
    TVzSystem* ReportSystem = nullptr;
    bool FormClosed = false;  // the done flag
    void CancelButtonClick(TObject* sender);
};

inline constexpr TSystemSetups AllSystemSetups = (1u << 9) - 1;

class TVzSystem : public TVpComponent {
public:
    explicit TVzSystem(TComponent* owner);
    ~TVzSystem() override;

    std::string TitleSetup = "Output Options";
    std::string TitleStatus = "Report Status";
    std::string TitlePreview = "Report Preview";
    TSystemSetups SystemSetups = AllSystemSetups;
    TSystemOptions SystemOptions = (1u << soShowStatus) | (1u << soAllowPrintFromPreview) |
                                   (1u << soAllowSaveFromPreview) | (1u << soPreviewModal);
    TReportDest DefaultDest = rdPreview;
    TSystemFiler SystemFiler;
    TSystemPreview SystemPreview;
    TSystemPrinter SystemPrinter;
    TNotifyEvent OnPrint, OnBeforePrint, OnAfterPrint, OnNewPage, OnNewColumn, OnPrintHeader, OnPrintFooter,
        OnEndOfSection;
    TPrintPageEvent OnPrintPage;
    TDecodeImageEvent OnDecodeImage;
    TNotifyEvent OnAfterPreviewPrint, OnPreviewSetup, OnPreviewShow;
    TVzSystemEvent OverrideSetup, OverrideStatus, OverridePreview;

    bool HasSetup(TSystemSetup s) const { return (SystemSetups & (1u << s)) != 0; }
    bool HasOption(TSystemOption o) const { return (SystemOptions & (1u << o)) != 0; }

    // Run state.
    TReportDest ReportDest = rdPreview;
    std::string OutputFileName;
    bool PrinterFileOutput = true;
    TVPRender* FileRenderer() const { return fileRenderer_; }
    bool Aborted = false;
    TStringList MacroData;
    TVzVSFWriter* RunningWriter() const { return writer_; }
    TControl* LastStatusLabel() const { return statusLabel_; }

    void RunReport();
    void SetFileRenderer(TVPRender* renderer) { fileRenderer_ = renderer; }

    virtual void DefaultSetupHandler(TVzSystem* reportSystem, TOverrideMode mode, TForm*& form);
    virtual void DefaultStatusHandler(TVzSystem* reportSystem, TOverrideMode mode, TForm*& form);
    virtual void DefaultPreviewHandler(TVzSystem* reportSystem, TOverrideMode mode, TForm*& form);

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    void Generate();
    void Print();
    void RenderToFile();
    void Preview();
    void EnsureSetupHandler();
    void EnsureStatusHandler();

    TVPRender* fileRenderer_ = nullptr;
    TVzVSFWriter* writer_ = nullptr;
    TControl* statusLabel_ = nullptr;
    TForm* statusForm_ = nullptr;
};
