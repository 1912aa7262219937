#pragma once
// TfrmAReport: the "Analysis Report" dialog. It prints or previews a
// statistical analysis of the scored test: point and penalty values, how
// often each answer choice was marked (as counts and as percentages),
// averages and standard deviations, and a bar chart of the score
// distribution; each printed section but the statistics can also be
// written to a tab-separated text file.

#include <functional>
#include <string>
#include <vector>

#include "memtable/MemTable.h"
#include "platform/core/DateTime.h"
#include "platform/core/Format.h"
#include "platform/data/StdFields.h"
#include "platform/gui/Bitmap.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "report/ReportSystem.h"

class TBaseReport;
class TVzRenderPDF;
class TVzRenderHTML;
class TScoreChart;

// One row of the score histogram.
struct TScoreCount {
    double Score = 0;
    int Qty = 0;
};

// The standard deviations of the statistics section.
struct TAnalysisDeviations {
    double Correct = 0, PercentCorrect = 0, Score = 0, PercentScore = 0;
};

class TfrmAReport : public TForm {
public:
    explicit TfrmAReport(TComponent* owner);
    ~TfrmAReport() override;

    // ------------------------------------- set by the wizard before show
    TDataSet* MasterTable = nullptr;
    TDataSet* DataTable = nullptr;
    double TotalPoints = 0;
    std::string TestName, TestID;
    TDateTime TestDate = 0;
    std::string FormNo;
    int QtyQuestions = 0;
    TBitmap* LogoImage = nullptr;
    std::string OddLabels, EvenLabels;
    std::string ImageFile;
    TFloatFormat NumberFormat = ffGeneral;
    int Decimals = 1;

    // ------------------------------------------------------------ tables
    TqmtMemTable* qmtSD;
    TqmtMemTable* qmtGraph;
    TqmtMemTable* qmtPopNum;

    // ---------------------------------------------------------- controls
    TGroupBox* gbSections;
    TCheckBox* cbValues;
    TCheckBox* cbNumbers;
    TCheckBox* cbPercent;
    TCheckBox* cbStatistics;
    TCheckBox* cbGraph;
    TRadioGroup* rgSD;  // 0 "Un-Biased (N-1)", 1 "Biased (N)"
    TGroupBox* gbExport;
    TCheckBox* cbExport;
    TLabel* lblExport;
    TEdit* edtExport;
    TButton* btnExport;
    TLabel* lblExportNote;
    TSaveDialog* sdExport;
    TButton* btnPrint;
    TButton* btnClose;
    TScoreChart* dbcScores;
    TVzSystem* rsAnalysis;
    TVzRenderPDF* VPRenderPDF1;
    TVzRenderHTML* VPRenderHTML1;

    // ---------------------------------------------------------- handlers
    void FormShow();
    void btnPrintClick();
    void btnExportClick();
    void cbExportClick();
    void cbStatisticsClick();
    void rsAnalysisPrint(TObject* sender);

    // ------------------------------------------------------- calculation
    double StudentScore() const;
    int StudentCorrectCount() const;
    void BuildStudentStatistics();
    void BuildAnswerPopularity();
    std::string ChoiceHeading(int k) const;
    double AverageCorrect() const;
    double AverageScore() const;
    bool HasPenalties() const;
    TAnalysisDeviations StandardDeviations(bool biased) const;
    // The histogram in ascending score order.
    std::vector<TScoreCount> ScoreDistribution() const;

    // --------------------------------------------------------- printing
    void PrintPageHeader(TBaseReport* report);
    void PrintPointValues(TBaseReport* report);
    void PrintPenaltyValues(TBaseReport* report);
    void PrintPopularityHeading(TBaseReport* report, const std::string& title);
    void PrintPopularityNumbers(TBaseReport* report);
    void PrintPopularityPercent(TBaseReport* report);
    void PrintStatistics(TBaseReport* report);
    void PrintScoreChart(TBaseReport* report);

    // ----------------------------------------------------------- exports
    void ExportValues();
    void ExportPopularityNumbers();
    void ExportPopularityPercent();
    void ExportScoreDistribution();

private:
    // Visits every student of DataTable in table order.
    void WalkStudents(const std::function<void()>& visit) const;
    int D() const;
    double RoundTo(double value) const;
    double Percent(double part, double whole) const;
    std::string Num(double value) const;
    std::string KeyText(const char* prefix, int n) const;
    std::string AnswerText(int n) const;
    double KeyNumber(const char* prefix, int n, double otherwise) const;
    // The counter field of a choice character, or null when it selects none.
    TField* CounterFor(const std::string& answer) const;
    int ChoiceOf(const std::string& answer) const;
    void PrintValueBlocks(TBaseReport* report, const std::string& title, const char* prefix);
    void PrintPopularity(TBaseReport* report, const std::string& title, bool percent);
    void ExportPopularity(const std::string& suffix, bool percent);
    void NewPageWithHeader(TBaseReport* report);
    void WriteLines(const std::string& suffix, const std::vector<std::string>& lines);
    std::string ExportBase() const;

    bool popularityBuilt_ = false;
};
