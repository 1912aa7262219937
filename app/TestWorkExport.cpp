// The export formats of the Output page: the choice list, the default file
// names, the save and overwrite questions, and the ten text layouts. Every
// layout is one line per student, in the students' table order, each line
// ended by CR LF; no layout writes a heading.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/AppSettings.h"
#include "app/Brand.h"
#include "app/TestWorkData.h"
#include "app/WorkPrompts.h"
#include "app/uLogFileOq.h"
#include "platform/core/Exception.h"
#include "platform/core/FileUtils.h"
#include "platform/core/Strings.h"
#include "platform/data/DB.h"

namespace {

struct TExportChoice {
    const char* Caption;
    const char* SuffixAlone;
    const char* SuffixAfter;
};

const TExportChoice kExportChoices[kExportFormatCount] = {
    {"Export - Generic", "Export.txt", " - Export.txt"},
    {"Export - GradeQuick", "Gradequick.txt", " - Gradequick.txt"},
    {"Export - GradeSpeed", "GradeSpeed.txt", " - GradeSpeed.txt"},
    {"Export - Detailed", "DetailedExport.txt", " - DetailedExport.txt"},
    {"Export - UT SIS 2000+ (Nebo)", "UT_SIS2000Export.txt", " - UT_SIS2000Export.txt"},
    {"Export - Summary Report Data (Tab Delimited)", "SummaryExport.txt", " - SummaryExport.txt"},
    {"Export - Summary w/Groups (Tab Delimited)", "SummaryGroupExport.txt", " - SummaryGroupExport.txt"},
    {"Export - Point (Comma Delimited)", "PointExport.txt", " - PointExport.txt"},
    {"Export - Individual Test Export (Comma Delimited)", "IndividualTestExport.csv", " - IndTestExport.csv"},
    {"Export - CTAPIV-R4SDSS (Comma Delimited)", "CTAPIV-R4SDSS-report.txt", " - CTAPIV-R4SDSS-report.txt"},
    {"Export - CTAPIV-R4SDSS (Excel)", "", ""},
};

bool ValidFormat(int index) { return index >= 0 && index < kExportFormatCount; }

[[noreturn]] void RaiseIoError(const std::string& fileName) {
    const int err = errno != 0 ? errno : EIO;
    throw EInOutError("I/O error " + std::to_string(err) + ": " + std::strerror(err) + " (" + fileName + ")", err);
}

// A text file written line by line as 8-bit text, each line ended by CR LF.
class TExportTextFile {
public:
    explicit TExportTextFile(const std::string& fileName) : fileName_(fileName) {
        errno = 0;
        file_ = std::fopen(fileName.c_str(), "wb");
        if (!file_) RaiseIoError(fileName_);
    }
    ~TExportTextFile() {
        if (file_) std::fclose(file_);
    }
    TExportTextFile(const TExportTextFile&) = delete;
    TExportTextFile& operator=(const TExportTextFile&) = delete;

    void Line(const std::string& text) {
        errno = 0;
        if (std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fwrite("\r\n", 1, 2, file_) != 2)
            RaiseIoError(fileName_);
    }
    // Closing can fail too (a full disk shows on the last flush).
    void Close() {
        errno = 0;
        std::FILE* file = file_;
        file_ = nullptr;
        if (std::fclose(file) != 0) RaiseIoError(fileName_);
    }

private:
    std::string fileName_;
    std::FILE* file_ = nullptr;
};

std::string FirstCharacter(const std::string& text) { return Utf8Copy(text, 1, 1); }

}  // namespace

std::string ExportFormatCaption(int index) { return ValidFormat(index) ? kExportChoices[index].Caption : ""; }
std::string ExportSuffixAlone(int index) { return ValidFormat(index) ? kExportChoices[index].SuffixAlone : ""; }
std::string ExportSuffixAfter(int index) { return ValidFormat(index) ? kExportChoices[index].SuffixAfter : ""; }

std::string TTestWorkData::DefaultExportFileName(int format) const {
    const std::string name = Trim(TestName), id = Trim(TestID);
    const std::string brand = BrandName(CurrentBrand());
    if (name.empty() && id.empty()) return ExportSuffixAlone(format);
    if (!name.empty() && !id.empty()) return brand + " - " + name + " - " + id + ExportSuffixAfter(format);
    return brand + " - " + (name.empty() ? id : name) + ExportSuffixAfter(format);
}

std::string TTestWorkData::DefaultTemplateExportName(const std::string& templatePath) const {
    const std::string name = Trim(TestName), id = Trim(TestID);
    const std::string brand = BrandName(CurrentBrand());
    const std::string templateName = ExtractFileName(templatePath);
    std::string fileName;
    if (name.empty() && id.empty())
        fileName = "CTAPIV-" + templateName;
    else if (!name.empty() && !id.empty())
        fileName = brand + " - " + name + " - " + id + " - " + templateName;
    else
        fileName = brand + " - " + (name.empty() ? id : name) + " - " + templateName;
    return ExtractFilePath(templatePath) + fileName;
}

void TTestWorkData::SaveLastDir(const std::string& folder) { WriteLastDir(SettingsFilePath(), folder); }

void TTestWorkData::btnExportClick() {
    LogWrite("Output Export to File Clicked");
    const int format = cbExport;
    // Without a format there is nothing to write: say so before any dialog,
    // and leave the last save folder alone.
    if (!ValidFormat(format)) {
        WorkMessage(wmInformation, "Please select an export format before exporting.");
        return;
    }

    std::string templatePath;
    if (format == efCtapivExcel) {
        if (!OpenDialog3->Execute()) return;
        templatePath = OpenDialog3->FileName;
        SaveDialog1->FileName = DefaultTemplateExportName(templatePath);
        SaveDialog1->Title = "Save File with Data To...";
    } else {
        SaveDialog1->FileName = DefaultExportFileName(format);
        SaveDialog1->Title = "Save As";
    }
    SaveDialog1->InitialDir = Trim(edtFileName);
    if (!SaveDialog1->Execute()) return;
    const std::string fileName = SaveDialog1->FileName;
    if (FileExists(fileName) && !WorkConfirm("File already exists.  Are you sure that you want to overwrite it?"))
        return;

    WorkBusyCursor(true);
    try {
        if (format == efCtapivExcel) {
            if (OnExportCtapivExcel)
                OnExportCtapivExcel(fileName, templatePath);
            else
                ExportCtapivExcel(fileName, templatePath);
        } else {
            WriteExport(format, fileName);
        }
    } catch (...) {
        WorkBusyCursor(false);
        throw;
    }
    WorkBusyCursor(false);

    edtFileName = ExtractFilePath(fileName);
    SaveLastDir(edtFileName);
}

void TTestWorkData::WriteExport(int format, const std::string& fileName) {
    switch (format) {
    case efGeneric:
    case efGradeSpeed: ExportGeneric(fileName); break;
    case efGradeQuick: ExportGradeQuick(fileName); break;
    case efDetailed: ExportDetailed(fileName); break;
    case efUtSis: ExportUtSis(fileName); break;
    case efSummary: ExportSummary(fileName); break;
    case efSummaryGroups: ExportSummaryGroups(fileName); break;
    case efPoints: ExportPoints(fileName); break;
    case efIndividual: ExportIndividual(fileName); break;
    case efCtapivText: ExportCtapivText(fileName); break;
    default: throw Exception("Export format " + std::to_string(format) + " is not a text format.");
    }
}

void TTestWorkData::ForEachStudent(const std::function<void()>& writeStudent) {
    if (!qmtData->Active()) return;
    qmtData->CheckBrowseMode();
    // The walk leaves the user's current student, the errors list and the
    // score line as they were.
    const TBookmark mark = qmtData->IsEmpty() ? TBookmark() : qmtData->GetBookmark();
    exporting_ = true;
    qmtData->DisableControls();
    auto restore = [&] {
        qmtData->EnableControls();
        exporting_ = false;
        if (!mark.empty() && qmtData->BookmarkValid(mark)) qmtData->GotoBookmark(mark);
    };
    try {
        for (qmtData->First(); !qmtData->Eof(); qmtData->Next()) writeStudent();
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

namespace {

std::string Quote(bool quotes) { return quotes ? "\"" : ""; }

}  // namespace

void TTestWorkData::ExportGeneric(const std::string& fileName) {
    const TKeySnapshot key = ReadKey();
    const std::string q = Quote(cbQuotes);
    TExportTextFile out(fileName);
    ForEachStudent([&] {
        const std::string id = FormatId(std::to_string(dataIdNo_->AsLargeInt()));
        out.Line(q + id + q + "\t" + q + F(Earned(ReadAnswers(), key, nullptr)) + q);
    });
    out.Close();
}

namespace {
// A fixed-width field of the column layouts: blank-filled on the right to
// its width. A longer value is kept whole rather than cut, so a quoted
// 9-digit ID or a quoted score never loses its last digits.
std::string FixedField(int width, const std::string& text) {
    return Utf8Length(text) >= width ? text : PadRight(' ', width, text);
}
}  // namespace

void TTestWorkData::ExportGradeQuick(const std::string& fileName) {
    const TKeySnapshot key = ReadKey();
    const std::string q = Quote(cbQuotes);
    TExportTextFile out(fileName);
    ForEachStudent([&] {
        const std::string id = FormatId(std::to_string(dataIdNo_->AsLargeInt()));
        out.Line(FixedField(9, q + id + q) + q + F(Earned(ReadAnswers(), key, nullptr)) + q);
    });
    out.Close();
}

void TTestWorkData::ExportDetailed(const std::string& fileName) {
    const std::string q = Quote(cbQuotes);
    TExportTextFile out(fileName);
    ForEachStudent([&] {
        std::string line = q + FormatId(std::to_string(dataIdNo_->AsLargeInt())) + q;
        for (const std::string& answer : ReadAnswers()) line += "\t" + q + answer + q;
        out.Line(line);
    });
    out.Close();
}

void TTestWorkData::ExportUtSis(const std::string& fileName) {
    const TKeySnapshot key = ReadKey();
    const std::string q = Quote(cbQuotes);
    TExportTextFile out(fileName);
    ForEachStudent([&] {
        const std::string id = FormatId(std::to_string(dataIdNo_->AsLargeInt()));
        out.Line(FixedField(10, q + id + q) + std::string(36, ' ') +
                 FixedField(5, q + F(Earned(ReadAnswers(), key, nullptr)) + q));
    });
    out.Close();
}

void TTestWorkData::ExportSummary(const std::string& fileName) {
    const TScoreContext context = ReadScoreContext();
    const std::string extension = ExtractFileExt(fileName);
    const std::string stem = ChangeFileExt(fileName, "");
    for (const TGroupSnapshot& group : context.Groups) {
        const std::string groupFile =
            group.GroupNo == 1 ? fileName : stem + "_Grp-" + std::to_string(group.GroupNo) + extension;
        TExportTextFile out(groupFile);
        ForEachStudent([&] {
            const Int64 idNo = dataIdNo_->AsLargeInt();
            const double earned = Earned(ReadAnswers(), context.Key, &group.Questions);
            out.Line(FormatId(std::to_string(idNo)) + "\t" + LookupStudentName(idNo) + "\t" + F(earned) + "\t" +
                     F(P(earned, group.Possible)) + "%");
        });
        out.Close();
    }
    if (qmtGroups->Active() && !qmtGroups->IsEmpty()) qmtGroups->First();
}

std::string TTestWorkData::GroupScoresText(const TScoreContext& context,
                                           const std::vector<std::string>& answers) const {
    std::string text;
    for (std::size_t i = 1; i < context.Groups.size(); ++i) {
        const TGroupSnapshot& group = context.Groups[i];
        const double earned = Earned(answers, context.Key, &group.Questions);
        text += "\t" + F(earned) + "\t" + F(P(earned, group.Possible)) + "%";
    }
    return text;
}

std::string TTestWorkData::GroupScoresText() {
    const std::string text = GroupScoresText(ReadScoreContext(), ReadAnswers());
    if (qmtGroups->Active() && !qmtGroups->IsEmpty()) qmtGroups->First();
    return text;
}

void TTestWorkData::ExportSummaryGroups(const std::string& fileName) {
    const TScoreContext context = ReadScoreContext();
    // The leading score is that of the first group, the overall one.
    const TGroupSnapshot first = context.Groups.empty() ? ReadGroup(0, context.Key) : context.Groups.front();
    TExportTextFile out(fileName);
    ForEachStudent([&] {
        const Int64 idNo = dataIdNo_->AsLargeInt();
        const std::vector<std::string> answers = ReadAnswers();
        const double earned = Earned(answers, context.Key, &first.Questions);
        out.Line(FormatId(std::to_string(idNo)) + "\t" + LookupStudentName(idNo) + "\t" + F(earned) + "\t" +
                 F(P(earned, first.Possible)) + "%" + GroupScoresText(context, answers));
    });
    out.Close();
    if (qmtGroups->Active() && !qmtGroups->IsEmpty()) qmtGroups->First();
}

void TTestWorkData::ExportPoints(const std::string& fileName) {
    const TKeySnapshot key = ReadKey();
    const std::string q = Quote(cbQuotes);
    TExportTextFile out(fileName);
    ForEachStudent([&] {
        std::string line = q + FormatId(std::to_string(dataIdNo_->AsLargeInt())) + q;
        const std::vector<std::string> answers = ReadAnswers();
        for (std::size_t i = 0; i < answers.size() && i < key.Answer.size(); ++i) {
            const std::string& answer = answers[i];
            std::string value;
            if (answer == key.Answer[i])
                value = key.PointText[i];
            else if (answer != "-" && answer != "?")
                value = "-" + key.PenaltyText[i];
            else
                value = "0";
            line += "," + q + value + q;
        }
        out.Line(line);
    });
    out.Close();
}

void TTestWorkData::ExportIndividual(const std::string& fileName) {
    const TKeySnapshot key = ReadKey();
    const std::string q = "\"";
    TExportTextFile out(fileName);
    ForEachStudent([&] {
        const Int64 idNo = dataIdNo_->AsLargeInt();
        const std::vector<std::string> answers = ReadAnswers();
        std::string line = q + FormatId(std::to_string(idNo)) + q + "," + q + LookupStudentName(idNo) + q + "," + q +
                           FormatScoreGeneral(Earned(answers, key, nullptr)) + q;
        for (std::size_t i = 0; i < answers.size() && i < key.Answer.size(); ++i) {
            const std::string& answer = answers[i];
            const std::string a = answer.empty() || answer == "-" ? " " : FirstCharacter(answer);
            line += a != key.Answer[i] ? "," + q + a + key.Answer[i] + q : "," + q + a + q;
        }
        out.Line(line);
    });
    out.Close();
}

void TTestWorkData::ExportCtapivText(const std::string& fileName) {
    const TKeySnapshot key = ReadKey();
    TExportTextFile out(fileName);
    ForEachStudent([&] {
        const Int64 idNo = dataIdNo_->AsLargeInt();
        const std::vector<std::string> answers = ReadAnswers();
        std::string line = FormatId(std::to_string(idNo)) + "," + LookupStudentName(idNo) + "," +
                           FormatScoreGeneral(Earned(answers, key, nullptr));
        for (std::size_t i = 0; i < answers.size() && i < key.Answer.size(); ++i) {
            const std::string& answer = answers[i];
            const std::string a = answer.empty() ? " " : FirstCharacter(answer);
            line += a != key.Answer[i] ? "," + a : ",";
        }
        out.Line(line);
    });
    out.Close();
}
