#pragma once
// The scoring wizard's window: six pages in a page control whose tabs cannot
// be clicked (configuration, point values, scan master, scan tests, output,
// finished), moved through with the Next and Back buttons. The window owns
// the wizard's working unit (TTestWorkData: tables, sheet decoding,
// scoring, exports), the database connection with the profiles query, and
// the controls; the configuration steps, the sheets and the scoring are
// operations of the working unit that the handlers here call.
//
// The working unit's control states (pictures, grids, labels of the scan
// pages) are bound to the real controls in one place, BindWorkFields, after
// which the controls hold them; the check boxes and edits the unit reads
// are copied into it by their change handlers, and the export's folder
// comes back through OnControlsChanged (ShowWorkState).

#include <memory>
#include <string>
#include <vector>

#include "app/TestWorkData.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "serial/SioComPort.h"

class TLdbConnection;
class TLdbQuery;
class TWorkReports;
class TgrDBGrid;

class TfrmTestWork : public TForm {
public:
    explicit TfrmTestWork(TComponent* owner);
    ~TfrmTestWork() override;

    // The welcome window's port, borrowed while the wizard is open.
    TSioComPort* SioComPort1 = nullptr;

    // The working unit: tables, sheets, scoring, exports.
    TTestWorkData* Work() const { return work_; }
    // The Output page's reports and print on scan.
    TWorkReports* Reports() const { return reports_; }

    // ------------------------------------------------------------ pages
    TPageControl* PageControl1 = nullptr;
    TTabSheet *TabSheet1 = nullptr, *tsPoints = nullptr, *TabSheet2 = nullptr, *TabSheet3 = nullptr,
              *TabSheet4 = nullptr, *TabSheet5 = nullptr;
    TButton* btnExit[6] = {};
    TSpeedButton* btnAbout[6] = {};
    TButton* btnBack[6] = {};
    TButton* btnNext[5] = {};
    TButton* btnDone = nullptr;

    // Configuration page.
    TEdit *edtTestName = nullptr, *edtTestID = nullptr, *edtFormNo = nullptr, *edtFormQty = nullptr,
          *edtFormID = nullptr, *edtQty = nullptr;
    TDateTimePicker* dtpDate = nullptr;
    TEdit* edtOdd[6] = {};
    TEdit* edtEven[6] = {};
    TButton* BitBtn4 = nullptr;  // "&Default"
    TComboBox* cbDecimals = nullptr;
    TCheckBox* cbSoundOn = nullptr;
    TButton* btnProfile = nullptr;
    TCheckBox *cbNamesC = nullptr, *cbFieldNamesC = nullptr, *cbPrintScan = nullptr;
    TEdit* edtNamesC = nullptr;
    TButton* btnNamesC = nullptr;
    TgrDBGrid* dbgNamesC = nullptr;
    TComboBox* cbxPrintScanTo = nullptr;

    // Point Values page.
    TEdit* edtDPoint = nullptr;
    TButton *BitBtn1 = nullptr, *btnGroupSetup = nullptr, *btnPenalty = nullptr;
    TScrollBox* sbPoints = nullptr;
    // The editors made for the N questions (data-aware edits of the key's
    // P<n>), and their labels.
    std::vector<TLabel*> PointLabels;
    std::vector<TEdit*> PointEditors;

    // Scan Master page.
    TLabel* lblMaster = nullptr;
    TImage* imgMaster = nullptr;
    TgrDBGrid* dbgMaster = nullptr;
    TButton* btnClear2 = nullptr;

    // Scan Tests page.
    TLabel *lblTests = nullptr, *lblStudent = nullptr, *lblScore = nullptr, *lblError = nullptr;
    TImage* imgTests = nullptr;
    TgrDBGrid *dbgErrors = nullptr, *dbgData = nullptr;
    TButton *btnClear3 = nullptr, *BitBtn5 = nullptr, *btnTestSets = nullptr;

    // Output page.
    TCheckBox *cbZeros = nullptr, *cbQuotes = nullptr, *cbNames = nullptr, *cbFieldNames = nullptr;
    TComboBox* cbExport = nullptr;
    TEdit *edtFileName = nullptr, *edtNames = nullptr, *edtImage = nullptr;
    TButton *btnExport = nullptr, *btnExpBrowse = nullptr, *BitBtn2 = nullptr, *btnNames = nullptr,
            *btnImage = nullptr, *BitBtn6 = nullptr;
    TgrDBGrid* dbgNames = nullptr;
    TCheckBox *cbStdCorrect = nullptr, *cbSumOverall = nullptr, *cbStdOverall = nullptr;
    TButton *btnSummary = nullptr, *btnReports = nullptr, *btnAReport = nullptr, *BitBtn3 = nullptr;

    // Finished page.
    TLabel* lblTitle = nullptr;
    TImage *imgLogo = nullptr, *imgLogo2 = nullptr, *Image1 = nullptr;

    TOpenDialog *OpenDialog1 = nullptr, *OpenDialog2 = nullptr;  // names file, report image
    TSaveDialog* SaveDialog2 = nullptr;                          // export folder (hidden button)

    // The profiles database and its open list of profiles.
    TLdbConnection* LdbConnection1 = nullptr;
    TLdbQuery* qryProfiles = nullptr;

    // ------------------------------------------------------- operations
    void ApplyBrand();
    void ShowAbout();
    // "Are you sure you want to exit?"; Yes ends the program.
    void ConfirmExit();
    void ParseFormNumber();
    void ShowAnswerLabels();
    void ReadAnswerLabels();
    void BuildPointEditors();
    void FreePointEditors();
    void UpdateNamesControls();
    // The unit's export fields onto their controls.
    void ShowWorkState();
    // Loads the names table from a file and shows the file's name.
    void LoadNamesFile(const std::string& fileName);

    // ------------------------------------------------------- handlers
    void FormShow(TObject* sender);
    void FormClose(TObject* sender, TCloseAction& action);
    void PageControl1Changing(TObject* sender, bool& allowChange);
    void TabSheet1Show();
    void btnNext0Click();
    void btnBack0Click();
    void btnNext1Click();
    void btnBack1Click();
    void BitBtn1Click();
    void BitBtn4Click();
    void cbDecimalsChange();
    void btnProfileClick();

    void btnNext2Click();
    void btnBack2Click();
    void btnClear2Click();
    void TabSheet3Show();
    void btnNext3Click();
    void btnBack3Click();
    void btnClear3Click();
    void BitBtn5Click();
    void btnTestSetsClick();
    void lblTestsDblClick();
    void TabSheet4Show();
    void btnNext4Click();
    void btnBack4Click();
    void btnGroupSetupClick();
    void btnPenaltyClick();
    void cbNamesClick(TCheckBox* clicked);
    void btnNamesClick();
    void btnImageClick();
    void BitBtn6Click();
    void btnExpBrowseClick();
    void btnExportClick();
    void btnSummaryClick();
    void btnReportsClick();
    void btnAReportClick();
    void BitBtn3Click();
    void btnBack5Click();
    void btnDoneClick();

    // Key filters: the form number and question count take digits only,
    // the test name and ID no / : < > \ |, the point editors digits and
    // ".". The grids' filters upper-case and take label characters, "-"
    // and "?" (any key in the students' ID column).
    static bool DigitKey(char key);
    static bool NameKey(char key);
    static bool PointKey(char key);
    bool AnswerKey(char& key) const;
    void dbgMasterKeyPress(char& key);
    void dbgDataKeyPress(char& key);

    const std::string& BrandNameText() const { return brandName_; }
    const std::string& SettingsFileName() const { return settingsFileName_; }

private:
    void CreatePages();
    void CreateConfigurationPage();
    void CreatePointsPage();
    void CreateScanPages();
    void CreateOutputPage();
    void CreateFinishedPage();
    void CreateDatabase();
    void BindWorkFields();
    void BindGrids();
    void ReadSettings();
    void WriteSettings();
    void ShowPage(int index);
    void ShowPage(TTabSheet* page);
    // The profile chosen in the profiles query, into the controls.
    void LoadProfileIntoControls();
    // The profiles dialog in load or save mode on the profiles query; true
    // after OK, the query on the chosen row and `name` the name typed.
    bool ChooseProfile(bool saving, std::string* name = nullptr);
    // The current profile's values from the controls.
    struct TProfileData ProfileFromControls() const;

    // The report options of the Output page into the reports' fields.
    void SyncReportFields();

    TTestWorkData* work_ = nullptr;
    TWorkReports* reports_ = nullptr;
    std::string brandName_ = "Ombrix";
    std::string settingsFileName_ = "OmbrixSettings.ini";
    bool updatingNames_ = false;
    // Lives as long as the window: callbacks posted for later hold a weak
    // reference and do nothing once the window is gone.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
