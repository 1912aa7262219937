// The analysis report dialog: statistics, answer popularity, the score
// chart and their text exports.

#include "app/fmAReport.h"

#include <cmath>

#include "app/ScoreChart.h"
#include "app/WorkReports.h"
#include "platform/core/FileUtils.h"
#include "platform/core/MathUtils.h"
#include "platform/core/Program.h"
#include "platform/core/Streams.h"
#include "platform/core/Strings.h"
#include "platform/gui/Prompts.h"
#include "report/BaseReport.h"
#include "report/RenderHTML.h"
#include "report/RenderPDF.h"

namespace {

constexpr int kChoices = 6;
constexpr int kValuesPerBlock = 20;
constexpr double kTabMargin = 5;  // hundredths of an inch
constexpr Byte kShade = 10;
const char* const kCounterNames[kChoices] = {"npA", "npB", "npC", "npD", "npE", "npF"};
const char* const kBiasedText = "Biased (N)";
const char* const kUnbiasedText = "Un-Biased (N-1)";

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

template <class TFieldClass>
TFieldClass* AddField(TDataSet* table, const std::string& fieldName, int size = 0) {
    // No owner: the table frees its fields.
    auto* field = new TFieldClass(nullptr);
    try {
        field->SetFieldName(fieldName);
        if (size > 0) field->SetSize(size);
        field->SetDataSet(table);
    } catch (...) {
        delete field;
        throw;
    }
    return field;
}

TqmtMemTable* NewTable(TComponent* owner, const std::string& name) {
    auto* table = new TqmtMemTable(owner);
    table->SetName(name);
    return table;
}

// A number text as a number; `otherwise` when it is not one.
double NumberOr(const std::string& text, double otherwise) {
    double value = 0;
    return TryStrToFloat(Trim(text), value) ? value : otherwise;
}

TBaseReport* Report(TObject* sender) {
    auto* report = dynamic_cast<TBaseReport*>(sender);
    if (!report) throw Exception("A report event came without its report.");
    return report;
}

}  // namespace

TfrmAReport::TfrmAReport(TComponent* owner) : TForm(owner) {
    SetName("frmAReport");
    SetCaption("Analysis Report");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(760);
    SetClientHeight(484);

    qmtSD = NewTable(this, "qmtSD");
    AddField<TIntegerField>(qmtSD, "QCorrect");
    AddField<TFloatField>(qmtSD, "PQCorrect");
    AddField<TFloatField>(qmtSD, "TPoints");
    AddField<TFloatField>(qmtSD, "PTPoints");
    qmtGraph = NewTable(this, "qmtGraph");
    AddField<TFloatField>(qmtGraph, "gScore");
    AddField<TIntegerField>(qmtGraph, "gQty");
    qmtGraph->DefineIndex("qmtiScore", "gScore", 0);
    qmtGraph->SetIndexName("qmtiScore");
    qmtPopNum = NewTable(this, "qmtPopNum");
    AddField<TIntegerField>(qmtPopNum, "npQuestion");
    AddField<TIntegerField>(qmtPopNum, "npCorrect");
    AddField<TStringField>(qmtPopNum, "npAnswer", 1);
    for (const char* name : kCounterNames) AddField<TIntegerField>(qmtPopNum, name);
    AddField<TIntegerField>(qmtPopNum, "npBlank");
    AddField<TIntegerField>(qmtPopNum, "npAmbiguous");
    qmtPopNum->DefineIndex("qmtiQ", "npQuestion", 0);
    qmtPopNum->SetIndexName("qmtiQ");

    gbSections = Place<TGroupBox>(this, this, "gbSections", " Report Sections - Select Sections to Print ", 8, 8,
                                  330, 196);
    cbValues = Place<TCheckBox>(gbSections, this, "cbValues", "Question Point &Values", 12, 20, 270, 17);
    cbNumbers = Place<TCheckBox>(gbSections, this, "cbNumbers", "Question Answer Popularity &Numbers", 12, 42, 270, 17);
    cbPercent = Place<TCheckBox>(gbSections, this, "cbPercent", "Question Answer Popularity P&ercent", 12, 64, 270, 17);
    cbStatistics = Place<TCheckBox>(gbSections, this, "cbStatistics", "&Statistics", 12, 86, 270, 17);
    cbGraph = Place<TCheckBox>(gbSections, this, "cbGraph", "Student Score &Graph", 12, 108, 270, 17);
    for (TCheckBox* box : {cbValues, cbNumbers, cbPercent, cbStatistics, cbGraph}) box->SetChecked(true);
    rgSD = Place<TRadioGroup>(gbSections, this, "rgSD", " Standard Deviation Calculation ", 12, 132, 306, 56);
    rgSD->Items()->Add(kUnbiasedText);
    rgSD->Items()->Add(kBiasedText);
    rgSD->ItemsChanged();
    rgSD->SetItemIndex(0);

    gbExport = Place<TGroupBox>(this, this, "gbExport", " Export Data ", 346, 8, 406, 196);
    cbExport = Place<TCheckBox>(gbExport, this, "cbExport",
                                "Export data for selected report sections. (Except Statistics)", 12, 20, 386, 17);
    lblExport = Place<TLabel>(gbExport, this, "lblExport", "Export Base File Name", 12, 44, 200, 16);
    edtExport = Place<TEdit>(gbExport, this, "edtExport", "", 12, 62, 300, 21);
    btnExport = Place<TButton>(gbExport, this, "btnExport", "Browse", 318, 60, 76, 25);
    lblExportNote = Place<TLabel>(
        gbExport, this, "lblExportNote",
        "Export files will be named with the base file name appended with a descriptive name for each  "
        "selected section.  Export is generated upon printing or viewing the report.",
        12, 94, 386, 90);
    lblExportNote->SetWordWrap(true);
    sdExport = new TSaveDialog(this);
    sdExport->SetName("sdExport");
    sdExport->Filter = "Text Files|*.txt";

    btnPrint = Place<TButton>(this, this, "btnPrint", "&Output Options", 8, 444, 120, 28);
    btnPrint->SetDefault(true);
    btnClose = Place<TButton>(this, this, "btnClose", "Close", 140, 444, 120, 28);
    btnClose->SetCancel(true);
    btnClose->SetModalResult(mrCancel);

    dbcScores = new TScoreChart(this);
    dbcScores->SetName("dbcScores");
    dbcScores->SetParent(this);
    dbcScores->SetBounds(8, 212, 744, 224);
    dbcScores->SetTitle("Student Score Distribution");
    dbcScores->SetFoot("Points Earned");

    rsAnalysis = new TVzSystem(this);
    rsAnalysis->SetName("rsAnalysis");
    rsAnalysis->TitleSetup = "Output Options";
    rsAnalysis->TitleStatus = "Report Status";
    rsAnalysis->TitlePreview = "Report Preview";
    rsAnalysis->SystemFiler.StatusFormat = "Generating page %p";
    rsAnalysis->SystemPrinter.StatusFormat = "Printing page %p";
    rsAnalysis->SystemPrinter.Title = "ReportPrinter Report";
    rsAnalysis->SystemPrinter.MarginBottom = 0.25;
    rsAnalysis->SystemPrinter.UnitsFactor = 1;
    rsAnalysis->SystemPreview.SetZoomFactor(100);
    rsAnalysis->OnPrint = [this](TObject* sender) { rsAnalysisPrint(sender); };

    VPRenderPDF1 = new TVzRenderPDF(this);
    VPRenderPDF1->SetDisplayName("Adobe Acrobat (PDF)");
    VPRenderPDF1->FileExtension = "*.pdf";
    VPRenderPDF1->EmbedFonts = false;
    VPRenderPDF1->FontEncoding = feWinAnsiEncoding;
    VPRenderPDF1->ImageQuality = 90;
    VPRenderPDF1->MetafileDPI = 300;
    VPRenderPDF1->BufferDocument = true;
    VPRenderPDF1->DocInfo.Creator = "Scorvane";
    VPRenderPDF1->DocInfo.Producer = "Scorvane Reports";
    VPRenderHTML1 = new TVzRenderHTML(this);
    VPRenderHTML1->SetDisplayName("Web Page (HTML)");
    VPRenderHTML1->FileExtension = "*.html;*.htm";

    OnShow = [this](TObject*) { FormShow(); };
    btnPrint->OnClick = [this](TObject*) { btnPrintClick(); };
    btnExport->OnClick = [this](TObject*) { btnExportClick(); };
    cbExport->OnClick = [this](TObject*) { cbExportClick(); };
    cbStatistics->OnClick = [this](TObject*) { cbStatisticsClick(); };
    cbExportClick();
    DoCreate();
}

TfrmAReport::~TfrmAReport() = default;

// ------------------------------------------------------------- helpers

int TfrmAReport::D() const { return Decimals >= 1 && Decimals <= 4 ? Decimals : 1; }

double TfrmAReport::RoundTo(double value) const { return RoundHalfEven(value, D()); }

double TfrmAReport::Percent(double part, double whole) const {
    // Nothing to divide by: the percentage shows 0.
    if (whole == 0) return 0;
    const double scale = std::pow(10.0, D());
    const double result = RoundHalfEven(part / whole * scale * 100.0) / scale;
    return std::isfinite(result) ? result : 0;
}

std::string TfrmAReport::Num(double value) const { return FloatToStrF(value, NumberFormat, 10, D()); }

std::string TfrmAReport::KeyText(const char* prefix, int n) const {
    TField* field = MasterTable ? MasterTable->FindField(prefix + std::to_string(n)) : nullptr;
    return field ? field->AsString() : std::string();
}

std::string TfrmAReport::AnswerText(int n) const {
    TField* field = DataTable->FindField("Q" + std::to_string(n));
    return field ? field->AsString() : std::string();
}

double TfrmAReport::KeyNumber(const char* prefix, int n, double otherwise) const {
    return NumberOr(KeyText(prefix, n), otherwise);
}

int TfrmAReport::ChoiceOf(const std::string& answer) const {
    if (answer.size() != 1) return 0;
    for (int k = 1; k <= kChoices; ++k) {
        const std::size_t i = std::size_t(k - 1);
        if ((i < OddLabels.size() && OddLabels[i] == answer[0]) || (i < EvenLabels.size() && EvenLabels[i] == answer[0]))
            return k;
    }
    return 0;
}

TField* TfrmAReport::CounterFor(const std::string& answer) const {
    if (answer == "-") return qmtPopNum->FieldByName("npBlank");
    if (answer == "?") return qmtPopNum->FieldByName("npAmbiguous");
    const int k = ChoiceOf(answer);
    return k > 0 ? qmtPopNum->FieldByName(kCounterNames[k - 1]) : nullptr;
}

// --------------------------------------------------------- calculation

double TfrmAReport::StudentScore() const {
    double score = 0;
    for (int n = 1; n <= QtyQuestions; ++n) {
        const std::string answer = AnswerText(n);
        if (answer == KeyText("Q", n))
            score += KeyNumber("P", n, 1);
        else if (answer != "-" && answer != "?")
            score -= KeyNumber("S", n, 0);
    }
    return score;
}

int TfrmAReport::StudentCorrectCount() const {
    int count = 0;
    for (int n = 1; n <= QtyQuestions; ++n)
        if (AnswerText(n) == KeyText("Q", n)) ++count;
    return count;
}

void TfrmAReport::WalkStudents(const std::function<void()>& visit) const {
    if (!DataTable || !DataTable->Active()) return;
    // The wizard's grids stay still and keep their current student.
    const TBookmark mark = DataTable->IsEmpty() ? TBookmark() : DataTable->GetBookmark();
    DataTable->DisableControls();
    auto restore = [&] {
        DataTable->EnableControls();
        if (!mark.empty() && DataTable->BookmarkValid(mark)) DataTable->GotoBookmark(mark);
    };
    try {
        for (DataTable->First(); !DataTable->Eof(); DataTable->Next()) visit();
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TfrmAReport::BuildStudentStatistics() {
    WalkStudents([this] {
        const double score = StudentScore();
        const int correct = StudentCorrectCount();
        qmtSD->Append();
        qmtSD->FieldByName("TPoints")->SetAsFloat(score);
        qmtSD->FieldByName("PTPoints")->SetAsFloat(Percent(score, TotalPoints));
        qmtSD->FieldByName("QCorrect")->SetAsInteger(correct);
        qmtSD->FieldByName("PQCorrect")->SetAsFloat(Percent(correct, QtyQuestions));
        qmtSD->Post();
        if (qmtGraph->Locate("gScore", Variant(score), 0)) {
            qmtGraph->Edit();
            qmtGraph->FieldByName("gQty")->SetAsInteger(qmtGraph->FieldByName("gQty")->AsInteger() + 1);
        } else {
            qmtGraph->Append();
            qmtGraph->FieldByName("gScore")->SetAsFloat(score);
            qmtGraph->FieldByName("gQty")->SetAsInteger(1);
        }
        qmtGraph->Post();
    });
}

void TfrmAReport::BuildAnswerPopularity() {
    qmtPopNum->EmptyTable();
    for (int n = 1; n <= QtyQuestions; ++n) {
        qmtPopNum->Append();
        qmtPopNum->FieldByName("npQuestion")->SetAsInteger(n);
        qmtPopNum->FieldByName("npCorrect")->SetAsInteger(0);
        qmtPopNum->FieldByName("npAnswer")->SetAsString(KeyText("Q", n));
        for (const char* name : kCounterNames) qmtPopNum->FieldByName(name)->SetAsInteger(0);
        qmtPopNum->FieldByName("npBlank")->SetAsInteger(0);
        qmtPopNum->FieldByName("npAmbiguous")->SetAsInteger(0);
        qmtPopNum->Post();
    }
    // Counted per question over all students, then stored once per row.
    std::vector<std::vector<int>> counts(std::size_t(std::max(QtyQuestions, 0)), std::vector<int>(kChoices + 2, 0));
    WalkStudents([&] {
        for (int n = 1; n <= QtyQuestions; ++n) {
            const std::string answer = AnswerText(n);
            if (answer.empty()) continue;
            std::vector<int>& row = counts[std::size_t(n - 1)];
            if (answer == "?")
                ++row[kChoices + 1];
            else if (answer == "-")
                ++row[kChoices];
            else if (const int k = ChoiceOf(answer); k > 0)
                ++row[std::size_t(k - 1)];
        }
    });
    int n = 1;
    for (qmtPopNum->First(); !qmtPopNum->Eof(); qmtPopNum->Next(), ++n) {
        const std::vector<int>& row = counts[std::size_t(n - 1)];
        qmtPopNum->Edit();
        for (int k = 0; k < kChoices; ++k) qmtPopNum->FieldByName(kCounterNames[k])->SetAsInteger(row[std::size_t(k)]);
        qmtPopNum->FieldByName("npBlank")->SetAsInteger(row[kChoices]);
        qmtPopNum->FieldByName("npAmbiguous")->SetAsInteger(row[kChoices + 1]);
        qmtPopNum->Post();
    }
    popularityBuilt_ = true;
}

std::string TfrmAReport::ChoiceHeading(int k) const {
    if (OddLabels.size() == std::size_t(kChoices) && EvenLabels.size() == std::size_t(kChoices)) {
        const char odd = OddLabels[std::size_t(k - 1)], even = EvenLabels[std::size_t(k - 1)];
        return odd == even ? std::string(1, odd) : std::string(1, odd) + "/" + std::string(1, even);
    }
    return std::string(1, char('A' + k - 1));
}

double TfrmAReport::AverageCorrect() const {
    const int students = qmtSD->RecordCount();
    if (students == 0) return 0;
    long total = 0;
    for (qmtSD->First(); !qmtSD->Eof(); qmtSD->Next()) total += qmtSD->FieldByName("QCorrect")->AsInteger();
    return RoundTo(double(total) / students);
}

double TfrmAReport::AverageScore() const {
    double sum = 0;
    long qty = 0;
    for (qmtGraph->First(); !qmtGraph->Eof(); qmtGraph->Next()) {
        const int q = qmtGraph->FieldByName("gQty")->AsInteger();
        sum += q * qmtGraph->FieldByName("gScore")->AsFloat();
        qty += q;
    }
    return qty == 0 ? 0 : RoundTo(sum / double(qty));
}

bool TfrmAReport::HasPenalties() const {
    for (int n = 1; n <= QtyQuestions; ++n)
        if (KeyNumber("S", n, 0) != 0) return true;
    return false;
}

TAnalysisDeviations TfrmAReport::StandardDeviations(bool biased) const {
    const double c = AverageCorrect(), a = AverageScore();
    const double pc = Percent(c, QtyQuestions), pa = Percent(a, TotalPoints);
    TAnalysisDeviations sums;
    const int n = qmtSD->RecordCount();
    for (qmtSD->First(); !qmtSD->Eof(); qmtSD->Next()) {
        auto sq = [](double x) { return x * x; };
        sums.Correct += sq(qmtSD->FieldByName("QCorrect")->AsInteger() - c);
        sums.PercentCorrect += sq(qmtSD->FieldByName("PQCorrect")->AsFloat() - pc);
        sums.Score += sq(qmtSD->FieldByName("TPoints")->AsFloat() - a);
        sums.PercentScore += sq(qmtSD->FieldByName("PTPoints")->AsFloat() - pa);
    }
    const int divisor = biased ? n : n - 1;
    // No students, or one student with the N-1 method: nothing to spread.
    if (divisor <= 0) return {};
    TAnalysisDeviations result;
    result.Correct = std::sqrt(sums.Correct / divisor);
    result.PercentCorrect = std::sqrt(sums.PercentCorrect / divisor);
    result.Score = std::sqrt(sums.Score / divisor);
    result.PercentScore = std::sqrt(sums.PercentScore / divisor);
    return result;
}

std::vector<TScoreCount> TfrmAReport::ScoreDistribution() const {
    std::vector<TScoreCount> rows;
    for (qmtGraph->First(); !qmtGraph->Eof(); qmtGraph->Next())
        rows.push_back({qmtGraph->FieldByName("gScore")->AsFloat(), qmtGraph->FieldByName("gQty")->AsInteger()});
    return rows;
}

// ------------------------------------------------------------ handlers

void TfrmAReport::FormShow() {
    TCursor saved = Screen->Cursor();
    Screen->SetCursor(crHourGlass);
    try {
        if (OddLabels.size() != std::size_t(kChoices)) OddLabels = "ABCDEF";
        if (EvenLabels.size() != std::size_t(kChoices)) EvenLabels = "ABCDEF";
        for (TqmtMemTable* table : {qmtGraph, qmtSD}) {
            if (!table->Active()) table->Open();
            table->EmptyTable();
        }
        if (!qmtPopNum->Active()) qmtPopNum->Open();
        popularityBuilt_ = false;
        dbcScores->SetBottomMaximum(TotalPoints);
        BuildStudentStatistics();
        std::vector<std::pair<double, int>> bars;
        for (const TScoreCount& row : ScoreDistribution()) bars.emplace_back(row.Score, row.Qty);
        dbcScores->SetBars(bars);
        const std::string folder = IncludeTrailingPathDelimiter(ProgramFolder());
        rsAnalysis->SystemFiler.FileName = folder + TestName + " - " + TestID;
        sdExport->FileName = TestName + " - " + TestID + " - Analysis";
        sdExport->InitialDir = folder;
        edtExport->SetText(folder + sdExport->FileName);
    } catch (...) {
        Screen->SetCursor(saved);
        throw;
    }
    Screen->SetCursor(saved);
}

void TfrmAReport::cbExportClick() {
    const bool on = cbExport->Checked();
    edtExport->SetEnabled(on);
    edtExport->SetColor(on ? clWindow : clBtnFace);
    btnExport->SetEnabled(on);
}

void TfrmAReport::cbStatisticsClick() { rgSD->SetEnabled(cbStatistics->Checked()); }

void TfrmAReport::btnExportClick() {
    if (sdExport->Execute()) edtExport->SetText(ChangeFileExt(sdExport->FileName, ""));
}

void TfrmAReport::btnPrintClick() {
    if (cbExport->Checked()) {
        const std::string base = edtExport->Text();
        const std::string folder = ExtractFilePath(base);
        if (folder.empty() || !DirectoryExists(folder) || ExtractFileName(base).empty()) {
            MessageDlg("A valid directory and file name must be specified before a file can be exported.",
                       mtInformation, {mbOK});
            if (edtExport->CanFocus()) edtExport->SetFocus();
            return;
        }
    }
    rsAnalysis->RunReport();
}

// ------------------------------------------------------------ printing

void TfrmAReport::NewPageWithHeader(TBaseReport* report) {
    report->NewPage();
    PrintPageHeader(report);
}

void TfrmAReport::PrintPageHeader(TBaseReport* report) {
    report->SetMarginTop(0.25);
    report->SetFont("Arial", 18);
    report->Home();
    report->PrintCenter("Test Analysis Report", report->GetPageWidth() / 2);
    report->CRLF();
    report->CRLF();
    report->SetFont("Arial", 14);
    report->AdjustLine();
    report->CRLF();
    const int students = DataTable && DataTable->Active() ? DataTable->RecordCount() : 0;
    const std::string rows[4][4] = {
        {"Test Name: ", TestName, "Test Date: ", DateToStr(TestDate)},
        {"Questions: ", std::to_string(QtyQuestions), "Page: ", std::to_string(report->CurrentPage())},
        {"Ttl Points: ", Num(TotalPoints), "Form No: ", FormNo},
        {"Students: ", std::to_string(students), "Test ID: ", TestID},
    };
    for (const auto& row : rows) {
        report->PrintRight(row[0], 2.2);
        report->PrintLeft(row[1], 2.25);
        report->PrintRight(row[2], 6.75);
        report->PrintLeft(row[3], 6.8);
        report->CRLF();
    }
    report->Rectangle(0.25, 2.15, 8.25, 2.2);
    if (LogoImage && LogoImage->Width() > 0) report->PrintBitmapRect(0.5, 0.25, 2.0, 1.0, LogoImage);
    if (!Trim(ImageFile).empty()) {
        TBitmap image;
        if (LoadReportImage(ImageFile, image)) report->PrintBitmapRect(6.5, 0.25, 8.0, 1.0, &image);
    }
    report->SetMarginTop(2.2);
    report->Home();
    report->SetFont("Arial", 10);
    report->AdjustLine();
}

void TfrmAReport::PrintValueBlocks(TBaseReport* report, const std::string& title, const char* prefix) {
    report->CRLF();
    report->PrintLeft(title, 0.25);
    for (int i = 1; i <= QtyQuestions; ++i) {
        if (i % kValuesPerBlock == 1) {
            report->CRLF();
            report->CRLF();
            report->ClearTabs();
            for (int t = 0; t < kValuesPerBlock; ++t)
                report->SetTab(t == 0 ? 0.5 : -1, pjCenter, 0.375, kTabMargin, BOXLINEALL, kShade);
            for (int q = i; q <= std::min(QtyQuestions, i + kValuesPerBlock - 1); ++q) report->PrintTab(std::to_string(q));
            report->CRLF();
            report->ClearTabs();
            for (int t = 0; t < kValuesPerBlock; ++t)
                report->SetTab(t == 0 ? 0.5 : -1, pjLeft, 0.375, kTabMargin, BOXLINEALL, 0);
        }
        report->PrintTab(KeyText(prefix, i));
    }
    report->CRLF();
    report->CRLF();
}

void TfrmAReport::PrintPointValues(TBaseReport* report) {
    if (report->YPos() > 3.5) NewPageWithHeader(report);
    PrintValueBlocks(report, "Question Point Values", "P");
}

void TfrmAReport::PrintPenaltyValues(TBaseReport* report) {
    const double needed = (double(QtyQuestions) / kValuesPerBlock) * 0.5 + 0.5;
    if (needed > report->GetPageHeight() - report->YPos() - report->MarginBottom()) NewPageWithHeader(report);
    PrintValueBlocks(report, "Question Penalty Values", "S");
}

void TfrmAReport::PrintPopularityHeading(TBaseReport* report, const std::string& title) {
    report->PrintLeft(title, 0.25);
    report->CRLF();
    auto setTabs = [&](Byte shade) {
        report->ClearTabs();
        report->SetTab(0.5, pjCenter, 0.75, kTabMargin, BOXLINEALL, shade);
        for (int t = 0; t < 10; ++t) report->SetTab(-1, pjCenter, 0.625, kTabMargin, BOXLINEALL, shade);
    };
    setTabs(kShade);
    report->SetFont("Arial", 10);
    report->AdjustLine();
    report->PrintTab("Question");
    report->PrintTab("Correct");
    report->PrintTab("Answer");
    for (int k = 1; k <= kChoices; ++k) report->PrintTab(ChoiceHeading(k));
    report->PrintTab("-");
    report->PrintTab("?");
    report->CRLF();
    setTabs(0);
}

void TfrmAReport::PrintPopularity(TBaseReport* report, const std::string& title, bool percent) {
    if (report->YPos() > 8.75) NewPageWithHeader(report);
    report->CRLF();
    PrintPopularityHeading(report, title);
    const double students = qmtSD->RecordCount();
    auto text = [&](int count) { return percent ? Num(Percent(count, students)) + "%" : std::to_string(count); };
    for (qmtPopNum->First(); !qmtPopNum->Eof(); qmtPopNum->Next()) {
        if (report->LinesLeft() == 0) {
            NewPageWithHeader(report);
            report->CRLF();
            PrintPopularityHeading(report, title);
        }
        const std::string keyAnswer = qmtPopNum->FieldByName("npAnswer")->AsString();
        TField* correctField = CounterFor(keyAnswer);
        const int correct = correctField ? correctField->AsInteger() : 0;
        report->PrintTab(qmtPopNum->FieldByName("npQuestion")->AsString());
        report->PrintTab(text(correct));
        report->PrintTab(keyAnswer);
        std::vector<TField*> counters;
        for (const char* name : kCounterNames) counters.push_back(qmtPopNum->FieldByName(name));
        counters.push_back(qmtPopNum->FieldByName("npBlank"));
        counters.push_back(qmtPopNum->FieldByName("npAmbiguous"));
        for (TField* counter : counters) {
            const bool key = counter == correctField;
            if (key) report->SetBold(true);
            report->PrintTab(text(counter->AsInteger()));
            if (key) report->SetBold(false);
        }
        report->CRLF();
    }
}

void TfrmAReport::PrintPopularityNumbers(TBaseReport* report) {
    PrintPopularity(report, "Question Answer Popularity Numbers", false);
}

void TfrmAReport::PrintPopularityPercent(TBaseReport* report) {
    PrintPopularity(report, "Question Answer Popularity Percent", true);
}

void TfrmAReport::PrintStatistics(TBaseReport* report) {
    if (report->YPos() > 8.75) NewPageWithHeader(report);
    const double c = AverageCorrect(), a = AverageScore();
    const double pc = Percent(c, QtyQuestions), pa = Percent(a, TotalPoints);
    report->CRLF();
    report->PrintLeft("Statistics", 0.25);
    report->CRLF();
    report->CRLF();
    auto line = [&](const std::string& label, const std::string& value) {
        report->PrintRight(label, 2.2);
        report->PrintLeft(value, 2.25);
    };
    const std::pair<const char*, double> averages[] = {{"Average Number Correct: ", c},
                                                        {"Average Percent Correct: ", pc},
                                                        {"Average Score: ", a},
                                                        {"Average Percent Score: ", pa}};
    for (const auto& [label, value] : averages) {
        line(label, Num(value));
        report->CRLF();
    }
    const bool biased = rgSD->ItemIndex() == 1;
    const TAnalysisDeviations sd = StandardDeviations(biased);
    report->CRLF();
    report->PrintLeft(biased ? "Standard Deviation Calculated with Biased (N) Method"
                             : "Standard Deviation Calculated with Un-Biased (N-1) Method",
                      2.25);
    const std::pair<const char*, double> deviations[] = {{"Total Correct Std Dev: ", sd.Correct},
                                                          {"Percent Correct Std Dev: ", sd.PercentCorrect},
                                                          {"Score Std Dev: ", sd.Score},
                                                          {"Score Percent Std Dev: ", sd.PercentScore}};
    for (const auto& [label, value] : deviations) {
        report->CRLF();
        line(label, Num(value));
    }
    report->CRLF();
}

void TfrmAReport::PrintScoreChart(TBaseReport* report) {
    if (report->YPos() > 7.75) NewPageWithHeader(report);
    const double y = report->YPos();
    constexpr double left = 0.5, right = 8.0, height = 2.5;
    // The chart fills the rectangle; its title and foot text are printed
    // as text at its top and bottom so they stay text in every output.
    constexpr double titleBand = 0.3, footBand = 0.2;
    TBitmap bitmap;
    bitmap.Image() = dbcScores->RenderImage(false);
    report->PrintBitmapRect(left, y + titleBand, right, y + height - footBand, &bitmap);
    report->PushFont();
    report->SetFont("Arial", 12);
    report->SetBold(true);
    report->SetFontColor(clBlue);
    report->GotoXY(left, y + titleBand - 0.08);
    report->PrintCenter(dbcScores->Title(), (left + right) / 2);
    report->SetFont("Arial", 9);
    report->GotoXY(left, y + height - 0.05);
    report->PrintCenter(dbcScores->Foot(), (left + right) / 2);
    report->PopFont();
}

void TfrmAReport::rsAnalysisPrint(TObject* sender) {
    TBaseReport* report = Report(sender);
    PrintPageHeader(report);
    if (cbValues->Checked()) {
        PrintPointValues(report);
        if (HasPenalties()) PrintPenaltyValues(report);
        if (cbExport->Checked()) ExportValues();
    }
    if (cbNumbers->Checked()) {
        if (!popularityBuilt_) BuildAnswerPopularity();
        PrintPopularityNumbers(report);
        if (cbExport->Checked()) ExportPopularityNumbers();
    }
    if (cbPercent->Checked()) {
        if (!popularityBuilt_) BuildAnswerPopularity();
        PrintPopularityPercent(report);
        if (cbExport->Checked()) ExportPopularityPercent();
    }
    if (cbStatistics->Checked()) {
        if (!popularityBuilt_) BuildAnswerPopularity();
        PrintStatistics(report);
    }
    if (cbGraph->Checked()) {
        PrintScoreChart(report);
        if (cbExport->Checked()) ExportScoreDistribution();
    }
}

// ------------------------------------------------------------- exports

std::string TfrmAReport::ExportBase() const { return edtExport->Text(); }

void TfrmAReport::WriteLines(const std::string& suffix, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    TFileStream file(ExportBase() + suffix, fmCreate);
    if (!text.empty()) file.WriteBuffer(text.data(), static_cast<Integer>(text.size()));
}

void TfrmAReport::ExportValues() {
    std::vector<std::string> points, penalties;
    for (int n = 1; n <= QtyQuestions; ++n) {
        points.push_back(std::to_string(n) + "\t" + KeyText("P", n));
        penalties.push_back(std::to_string(n) + "\t" + KeyText("S", n));
    }
    WriteLines("_PointValues.txt", points);
    if (HasPenalties()) WriteLines("_PenaltyValues.txt", penalties);
}

void TfrmAReport::ExportPopularity(const std::string& suffix, bool percent) {
    std::string heading = "Quest.\tCorrect\tAnswer";
    for (int k = 1; k <= kChoices; ++k) heading += "\t" + ChoiceHeading(k);
    heading += "\t-\t?";
    std::vector<std::string> lines{heading};
    const double students = qmtSD->RecordCount();
    auto text = [&](int count) { return percent ? Num(Percent(count, students)) + "%" : std::to_string(count); };
    for (qmtPopNum->First(); !qmtPopNum->Eof(); qmtPopNum->Next()) {
        const std::string keyAnswer = qmtPopNum->FieldByName("npAnswer")->AsString();
        TField* correctField = CounterFor(keyAnswer);
        std::string line = qmtPopNum->FieldByName("npQuestion")->AsString() + "\t" +
                           text(correctField ? correctField->AsInteger() : 0) + "\t" + keyAnswer;
        for (const char* name : kCounterNames) line += "\t" + text(qmtPopNum->FieldByName(name)->AsInteger());
        line += "\t" + text(qmtPopNum->FieldByName("npBlank")->AsInteger());
        line += "\t" + text(qmtPopNum->FieldByName("npAmbiguous")->AsInteger());
        lines.push_back(line);
    }
    WriteLines(suffix, lines);
}

void TfrmAReport::ExportPopularityNumbers() { ExportPopularity("_PopNumbers.txt", false); }

void TfrmAReport::ExportPopularityPercent() { ExportPopularity("_PopPercent.txt", true); }

void TfrmAReport::ExportScoreDistribution() {
    std::vector<std::string> lines{"Score\tQty"};
    for (const TScoreCount& row : ScoreDistribution())
        lines.push_back(FloatToStrF(row.Score, ffGeneral, 15, 0) + "\t" + std::to_string(row.Qty));
    WriteLines("_ScoreDist.txt", lines);
}
