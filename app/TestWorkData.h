#pragma once
// TTestWorkData: the scoring wizard's data and logic without its window.
//
// It owns the wizard's six in-memory tables (students, answer key with point
// values and penalties, errors of the current student, names, groups and
// question groups), turns each sheet frame from the scanner into a scored
// student row or into the answer key, scores students against the key with
// point values, penalties and question groups, and writes the text export
// formats. The wizard window owns one of these, binds its grids to the data
// sources, its check boxes and labels to the plain fields below, and points
// the port's data-available event at ReceiveBytes.
//
// Everything runs on the user-interface thread.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/DialogControls.h"
#include "app/DropSounds.h"
#include "app/ScoringRules.h"
#include "memtable/CSVStreamFormat.h"
#include "memtable/MemTable.h"
#include "platform/core/Component.h"
#include "platform/core/Types.h"
#include "platform/data/DataSource.h"
#include "platform/data/StdFields.h"
#include "platform/gui/Dialogs.h"
#include "serial/SioComPort.h"

class TLdbConnection;
struct TProfileData;

// The wizard's pages, in order.
enum TWorkPage { wpConfiguration, wpPointValues, wpScanMaster, wpScanTests, wpOutput, wpFinished };

// The export formats of the Output page, by their index in the choice list.
enum TExportFormat {
    efGeneric, efGradeQuick, efGradeSpeed, efDetailed, efUtSis, efSummary, efSummaryGroups,
    efPoints, efIndividual, efCtapivText, efCtapivExcel
};
constexpr int kExportFormatCount = 11;
// The caption of an export format in the choice list ("" outside 0..10).
std::string ExportFormatCaption(int index);
// The default file name's suffix: alone when the test has neither name nor
// ID, or after them (format 10 has none: its names come from the template).
std::string ExportSuffixAlone(int index);
std::string ExportSuffixAfter(int index);


class TTestWorkData : public TComponent {
public:
    explicit TTestWorkData(TComponent* owner = nullptr);
    ~TTestWorkData() override;

    // ------------------------------------------------------------ tables
    TqmtMemTable* qmtData = nullptr;     // students: RecNo, IDNo, Q1, P1, ... QN, PN
    TqmtMemTable* qmtMaster = nullptr;   // answer key: RecNo, Q1, P1, S1, ... QN, PN, SN
    TqmtMemTable* qmtError = nullptr;    // errors of the current student
    TqmtMemTable* qmtNames = nullptr;    // names file: ID, Name
    TqmtMemTable* qmtQGroups = nullptr;  // question groups: QQuestionNo, QGroups "(1,3)"
    TqmtMemTable* qmtGroups = nullptr;   // groups: GGroupNo, GGroupDesc
    std::unique_ptr<TDataSource> dsData, dsMaster, dsError, dsNames;
    // The comma format of the students' and the key's tables, and the
    // tab-separated names-file format (no quotes, no header line).
    TqmtCSVStreamFormat* qmtsfCSV = nullptr;
    TqmtCSVStreamFormat* qmtCSVStreamFormat1 = nullptr;
    // The export's dialogs: the target file, and the template of format 10.
    TSaveDialog* SaveDialog1 = nullptr;
    TOpenDialog* OpenDialog3 = nullptr;

    TIntegerField* qmtErrorQNo = nullptr;
    TStringField* qmtErrorVal = nullptr;
    TStringField* qmtErrorRghtVal = nullptr;
    TIntegerField* qmtErrordColor = nullptr;
    TStringField* qmtNamesID = nullptr;
    TStringField* qmtNamesName = nullptr;
    TIntegerField* qmtQGroupsQQuestionNo = nullptr;
    TStringField* qmtQGroupsQGroups = nullptr;
    TIntegerField* qmtGroupsGGroupNo = nullptr;
    TStringField* qmtGroupsGGroupDesc = nullptr;

    // Create the students' and the key's fields for the current N on a
    // closed table whose fields were removed; the caller opens the table.
    void BuildDataFields();
    void BuildMasterFields();
    // Leaving the configuration page: both tables closed, their fields
    // rebuilt for N questions, reopened empty.
    void RebuildTables();

    // Reloads the names table from a names file: one student per line, the
    // ID and the name separated by a TAB; the first line is data too.
    void LoadNamesFile(const std::string& fileName);

    // ------------------------------------------------------ page changes
    // The Scan Master page before a key is scanned: picture shown, key grid
    // hidden, Next disabled.
    void PrepareScanMaster();
    // A key is there: key grid shown, Next enabled, "check the values".
    void ShowMasterGrid();
    // Scan Master Next: every scanned student is discarded and the record
    // counter starts again; the students' grid waits for the first sheet.
    void ScanMasterNext();
    // The Scan Tests page is shown: students in scanning order.
    void ScanTestsShow();
    // The first student arrived: grids and score line shown.
    void ShowStudentGrids();
    // The Output page is shown: students sorted by IDNo, the first export
    // format chosen, one empty names row to type into when there is none.
    void OutputShow();

    // ------------------------------------------------- configuration page
    // The form number's text trimmed; Q from its characters 1-2 and D from
    // 3-4 (0 where they are no number).
    std::string ParseFormNumber(const std::string& text);
    // A label set as the edits show it: empty gives "ABCDEF", another
    // length is cut to 6 or filled up with "-".
    static std::string NormaliseAnswerLabels(const std::string& labels);
    // A label set read from its six edits: "-" for an edit blank after
    // trimming.
    static std::string ReadAnswerLabels(const std::vector<std::string>& edits);
    // The checks of Configuration Next, in order; ccOk sets n to the
    // number of relevant questions.
    enum TConfigCheck { ccOk, ccNameOrFormMissing, ccTooManyQuestions, ccTooFewQuestions };
    static TConfigCheck CheckConfiguration(const std::string& testName, const std::string& formNo,
                                           const std::string& qtyText, int& n);
    // The message a failed check shows.
    static std::string ConfigCheckMessage(TConfigCheck check);
    // Configuration Next after the checks: N fixed, drop sounds checked
    // against their files, both tables rebuilt empty, groups loaded.
    void ConfigurationNext(int n, bool soundsOn);
    // The point editors' key record: in edit mode (appended when there is
    // none), every point value 1, then the loaded profile's values and
    // penalties when it was saved for N questions.
    void PreparePointKey();
    // "Set All": every point value of the key to the text (1 when it is no
    // number).
    void SetAllPoints(const std::string& text);
    // Point Values Next: total possible points, the Scan Master page
    // prepared (the profile's key shown when it fits), the key posted.
    void PointValuesNext();
    // "Clear Values": every answer of the key record cleared (null), the
    // record left in edit mode.
    void ClearMasterAnswers();
    // The groups tables for N: the loaded profile's groups when it fits,
    // otherwise "Overall Group" with every question in "(1)".
    void LoadGroups();

    // ---------------------------------------------------------- profiles
    // The database the profiles live in (the window's connection).
    TLdbConnection* Connection = nullptr;
    // Set by Load Profile: the chosen profile's number and question count.
    bool ProfileLoaded = false;
    int ProfileNo = 0;
    int ProfileRelQuest = 0;
    // Whether the loaded profile's parts apply to the current N.
    bool ProfileFits() const { return ProfileLoaded && Connection && ProfileRelQuest == N; }
    double TotalPossible = 0;
    // Save Profile As: the profile row under `name` in the profiles query
    // (overwritten when the query's current row has that name), then its
    // groups, question groups, answer key, point values and penalties from
    // the tables. Returns the profile's number.
    int SaveProfile(TDataSet& profiles, const std::string& name, const TProfileData& data);

    // ------------------------------------------------- test configuration
    int N = 0;  // relevant questions, 1..300
    int Q = 0;  // questions per sheet (form number digits 1-2)
    int D = 0;  // ID digits (form number digits 3-4)
    std::string OddLabels = kDefaultAnswerLabels;
    std::string EvenLabels = kDefaultAnswerLabels;
    int Decimals = 1;  // 1..4
    bool RawMarkBytes = false;  // scanner started with "m"
    bool RawFrameLogOn = false;
    std::string RawFrameLog;
    std::string TestName;
    std::string TestID;
    TColor WrongColor = kColorWrong;
    TColor BlankColor = kColorBlank;
    TColor MultipleColor = kColorMultiple;
    // The drop sounds; Configure it from "Use Drop Sounds" when leaving the
    // configuration page.
    TDropSounds DropSounds;

    // ---------------------------------------------------- run-time state
    int RecordCounter = 0;   // last RecNo given to a student
    bool Locating = false;   // set while LocateId searches; no live scoring meanwhile
    bool StartPending = false;  // the scan start command is still to be sent
    std::string ReceiveBuffer;
    TWorkPage ActivePage = wpConfiguration;

    // ------------------------------------------- controls the window binds
    bool cbZeros = true;      // "Use Leading Zeros for All ID Output"
    bool cbNames = false;     // "Use student names file"
    bool cbQuotes = false;    // "Use Quotes (") in Output File"
    bool cbPrintScan = false; // "Print Student Reports when Scanned"
    int cbExport = -1;        // chosen export format, -1 none
    std::string edtFileName;  // "Last Save Directory:"
    // The scan pages' controls: plain states until the window binds its
    // controls to them (then the controls hold the states).
    TDialogControl imgMaster, dbgMaster, btnNext2, lblMaster;
    TDialogControl imgTests, dbgData, dbgErrors, lblError, lblScore, lblStudent;

    // ------------------------------------------------------------ events
    // Told after the control states or the export fields above changed.
    TNotifyEvent OnControlsChanged;
    // Writes a command to the scanner; without it commands go to the port.
    std::function<void(const std::string& command)> OnSendCommand;
    // Selection of rows in the students' grid: deselect all, select one.
    TNotifyEvent OnResetRowState;
    std::function<void(TObject* sender, const TBookmark& row)> OnSelectRow;
    // Print the current student's report now (print on scan).
    TNotifyEvent OnPrintStudentReport;
    // Told of every drop sound requested (also when sounds are off).
    std::function<void(TObject* sender, bool good)> OnDropSound;
    // Writes format 10 in place of ExportCtapivExcel when set.
    std::function<void(const std::string& fileName, const std::string& templateName)> OnExportCtapivExcel;

    // ------------------------------------------------ scanner and sheets
    // The welcome window's port, borrowed while the wizard is open.
    TSioComPort* Port() const { return port_; }
    // Points the port's data-available event at SioComPort1TriggerAvail;
    // DetachPort takes it away again.
    void AttachPort(TSioComPort* port);
    void DetachPort();
    // The port's data-available event: reads the announced bytes one at a
    // time and hands them to ReceiveBytes.
    void SioComPort1TriggerAvail(TObject* sender, Word count);
    // Marks the start command pending and asks the scanner whether it is
    // there ("@"); its ready reply then starts the scanning.
    void StartScanner();
    // The bytes from the port: replies and sheet frames.
    void ReceiveBytes(const std::string& bytes);
    // One answer-key frame, one student frame.
    void ProcessMasterSheet(const std::string& frame);
    void ProcessTestSheet(const std::string& frame);
    // Raw mark-byte mode conversion of one part of a frame.
    std::string DecodeMarkBytes(const std::string& part, bool allowSix) const;
    std::string MarkBitsToDigits(Byte markByte, bool allowSix) const;
    // The ID digits, or a text beginning "BAD".
    std::string DecodeIdNumber(const std::string& idPart) const;
    // Moves the students' table to the record with this ID.
    bool LocateId(Int64 id);
    // Plays the drop sound (when sounds are on) and tells OnDropSound.
    void PlayDropSound(bool good);

    // ----------------------------------------------------------- scoring
    // Refills the errors table and the score line for the current student.
    void ScoreCurrentRecord();
    // Earned points of the current student over all questions, or over the
    // questions of the current group only.
    double EarnedPoints(bool groupOnly);
    // Possible points of the current group.
    double PossiblePoints();
    bool QuestionInGroup(int n);
    // Sum of the key's point values over the N questions.
    double TotalPossiblePoints();
    void ShowStudentName();
    std::string LookupStudentName(Int64 id);
    std::string FormatId(const std::string& text) const;
    // A score or percentage with the chosen decimals.
    std::string F(double value) const { return FormatScore(value, Decimals); }
    double P(double earned, double possible) const { return Percentage(earned, possible, Decimals); }

    // Cell colours of the grids (cell-loaded events).
    TColor MasterCellColor(const std::string& value) const { return ::MasterCellColor(value); }
    // For the field of the cell's column in the students' grid and its value;
    // the key's value is read from the field of the same name.
    TColor DataCellColor(TField* field, const std::string& value) const;
    // The IDNo cell's shown text.
    std::string DataCellIdText(const std::string& idText) const { return ::DataCellIdText(idText, D); }

    // ----------------------------------------------------------- exports
    // "Export to File": default name, save dialog, overwrite question,
    // the chosen writer, the last save folder.
    void btnExportClick();
    std::string DefaultExportFileName(int format) const;
    std::string DefaultTemplateExportName(const std::string& templatePath) const;
    // Writers: every student of the students' table, in table order.
    void ExportGeneric(const std::string& fileName);
    void ExportGradeQuick(const std::string& fileName);
    void ExportDetailed(const std::string& fileName);
    void ExportUtSis(const std::string& fileName);
    void ExportSummary(const std::string& fileName);
    void ExportSummaryGroups(const std::string& fileName);
    void ExportPoints(const std::string& fileName);
    void ExportIndividual(const std::string& fileName);
    void ExportCtapivText(const std::string& fileName);
    // Format 10: the customer spreadsheet filled from a template through
    // the spreadsheet application (TestWorkCtapiv.cpp).
    void ExportCtapivExcel(const std::string& fileName, const std::string& templateName);
    // Runs the writer of a format (0..9) on a file.
    void WriteExport(int format, const std::string& fileName);
    // The further groups' scores that format 6 appends to a student's line.
    std::string GroupScoresText();
    // Remembers the folder as the last save directory in the settings file.
    void SaveLastDir(const std::string& folder);

private:
    // The key's values per question (index n - 1), read once per scoring.
    struct TKeySnapshot {
        std::vector<std::string> Answer, PointText, PenaltyText;
        std::vector<double> Points, Penalty;
        std::vector<bool> HasPenalty;
    };
    // One group of the groups table: its number, its questions (index
    // n - 1) and its possible points.
    struct TGroupSnapshot {
        Integer GroupNo = 0;
        std::vector<bool> Questions;
        double Possible = 0;
    };
    // Everything an export needs besides the student: the key and the
    // groups in table order.
    struct TScoreContext {
        TKeySnapshot Key;
        std::vector<TGroupSnapshot> Groups;
    };

    void ControlsChanged() {
        if (OnControlsChanged) OnControlsChanged(this);
    }
    void CreateTables();
    void BindTableEvents();
    void qmtDataAfterPost(TDataSet* dataSet);
    void qmtDataAfterScroll(TDataSet* dataSet);
    void qmtDataAfterDelete(TDataSet* dataSet);
    void SetGridsShown(bool shown);
    void HandleFrame(const std::string& frame);
    void SendCommand(const std::string& command);
    void LogFrame(const std::string& frame);
    int CountPresentAnswers(const std::vector<TField*>& answerFields, bool& complete) const;
    bool StoreSheetAnswers(const std::string& answers, const std::vector<TField*>& answerFields, int& count);

    TKeySnapshot ReadKey() const;
    std::vector<std::string> ReadAnswers() const;
    // Earned points of answers against the key, over every question or
    // over those marked in `questions`.
    double Earned(const std::vector<std::string>& answers, const TKeySnapshot& key,
                  const std::vector<bool>* questions) const;
    // The questions of a group, by the rule of QuestionInGroup.
    std::vector<bool> GroupMembership(Integer group);
    TGroupSnapshot ReadGroup(Integer group, const TKeySnapshot& key);
    TScoreContext ReadScoreContext();
    std::string GroupScoresText(const TScoreContext& context, const std::vector<std::string>& answers) const;
    Integer CurrentGroupNo() const;
    void ForEachStudent(const std::function<void()>& writeStudent);

    // Per question (index n - 1): the fields of the students' and the key's
    // tables, kept from the last build.
    std::vector<TField*> dataQ_, dataP_;
    std::vector<TField*> masterQ_, masterP_, masterS_;
    TField* dataRecNo_ = nullptr;
    TField* dataIdNo_ = nullptr;
    TField* masterRecNo_ = nullptr;
    bool exporting_ = false;
    TSioComPort* port_ = nullptr;
};
