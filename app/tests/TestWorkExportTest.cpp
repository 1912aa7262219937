// The export formats: the ten text layouts against golden files, and the
// Export to File steps (default names, dialogs, overwrite, last folder).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/AppSettings.h"
#include "app/tests/WorkTestSupport.h"
#include "platform/core/Exception.h"
#include "platform/core/Program.h"

namespace {

const char* const kFormatFiles[] = {"0-generic.txt",   "1-gradequick.txt", "2-gradespeed.txt", "3-detailed.txt",
                                    "4-utsis.txt",     "5-summary.txt",    "6-groups.txt",     "7-points.txt",
                                    "8-individual.csv", "9-ctapiv.txt"};

// Setting OMR_UPDATE_GOLDEN rewrites the golden files from the output.
void CompareWithGolden(const std::string& written, const std::string& golden) {
    SCOPED_TRACE(golden);
    ASSERT_TRUE(std::filesystem::exists(written));
    if (std::getenv("OMR_UPDATE_GOLDEN")) {
        std::filesystem::create_directories(std::filesystem::path(golden).parent_path());
        WriteAll(golden, ReadAll(written));
    }
    EXPECT_EQ(ReadAll(written), ReadAll(golden));
}

}  // namespace

class ExportTest : public WorkFixture {
protected:
    // Four students against a five-question key with point values (one of
    // them not a number), penalties, a group of two questions and a group
    // without questions.
    void MakeFixture() {
        Configure(5, 5, 4);
        SetKey("ABCDE", {"1", "2", "1.5", "1", "abc"}, {"0.5", "", "1", "0.25", ""});
        AddGroup(2, "Part Two");
        AddGroup(3, "Nothing");
        SetQuestionGroups(2, "(1,2)");
        SetQuestionGroups(3, "(1,2)");
        AddStudent(123, "ABCDE");        // all right
        AddStudent(45, "ACCD?");         // wrong without penalty, multiple mark
        AddStudent(123456789, "B-C E");  // wrong with penalty, blank, unscanned
        AddStudent(7, "DCBAE");          // a score below zero
        AddName("0123", "Ada Lovelace");
        AddName("0045", "Alan Turing");
        AddName("0007", "Grace Hopper");
        // The Output page shows (and exports) the students by ID.
        work->OutputShow();
    }
    std::string Out(const std::string& name) { return home.Dir() + name; }
    std::string Golden(const std::string& variant, const std::string& name) {
        return std::string(OMR_TEST_DATA) + "/export/" + variant + "/" + name;
    }
    void WriteAllFormats(const std::string& variant) {
        for (int format = 0; format < 10; ++format) {
            work->WriteExport(format, Out(kFormatFiles[format]));
            CompareWithGolden(Out(kFormatFiles[format]), Golden(variant, kFormatFiles[format]));
        }
        for (const char* group : {"5-summary_Grp-2.txt", "5-summary_Grp-3.txt"})
            CompareWithGolden(Out(group), Golden(variant, group));
        EXPECT_FALSE(std::filesystem::exists(Out("5-summary_Grp-1.txt")));
    }
    std::string LastDirSetting() { return ReadWizardSettings(SettingsFilePath()).LastDir; }
};

TEST_F(ExportTest, TextFormatsWithZerosNamesAndOneDecimal) {
    MakeFixture();
    work->cbZeros = true;
    work->cbNames = true;
    work->cbQuotes = false;
    work->Decimals = 1;
    WriteAllFormats("zeros");
}

TEST_F(ExportTest, TextFormatsWithQuotesTwoDecimalsAndNoNames) {
    MakeFixture();
    work->cbZeros = false;
    work->cbNames = false;
    work->cbQuotes = true;
    work->Decimals = 2;
    WriteAllFormats("quotes");
}

TEST_F(ExportTest, WritingLeavesTheCurrentStudentAndTheGroupsAlone) {
    MakeFixture();
    ASSERT_TRUE(work->LocateId(45));
    work->ScoreCurrentRecord();
    const std::string line = work->lblScore.Text();
    work->qmtGroups->Last();
    work->WriteExport(efSummaryGroups, Out("g.txt"));
    EXPECT_EQ(CurrentId(), 45);
    EXPECT_EQ(work->lblScore.Text(), line);
    EXPECT_EQ(work->qmtGroupsGGroupNo->AsInteger(), 1);
    // The further groups of the current student, as format 6 appends them.
    EXPECT_EQ(work->GroupScoresText(), "\t1.5\t42.9%\t0\t0%");
}

TEST_F(ExportTest, AnEmptyStudentsTableGivesEmptyFiles) {
    Configure(3, 3, 2);
    SetKey("ABC");
    AddGroup(4, "Four");
    for (int format = 0; format < 10; ++format) {
        work->WriteExport(format, Out(kFormatFiles[format]));
        EXPECT_EQ(ReadAll(Out(kFormatFiles[format])), "") << format;
    }
    EXPECT_TRUE(std::filesystem::exists(Out("5-summary_Grp-4.txt")));
    EXPECT_EQ(ReadAll(Out("5-summary_Grp-4.txt")), "");
}

TEST_F(ExportTest, TheDefaultFileNameFollowsTheTestNameAndId) {
    Configure(1, 1, 2);
    SetProgramFileNameForTesting("/opt/scoring/OMBXScore.exe");
    struct Case {
        std::string name, id;
        int format;
        std::string file;
    } cases[] = {
        {"Algebra", "7", efGeneric, "Ombrix - Algebra - 7 - Export.txt"},
        {" Algebra ", "", efGradeSpeed, "Ombrix - Algebra - GradeSpeed.txt"},
        {"", " 7 ", efIndividual, "Ombrix - 7 - IndTestExport.csv"},
        {"  ", "", efGeneric, "Export.txt"},
        {"", "", efIndividual, "IndividualTestExport.csv"},
        {"", "", efGradeQuick, "Gradequick.txt"},
        {"History", "B2", efCtapivText, "Ombrix - History - B2 - CTAPIV-R4SDSS-report.txt"},
    };
    for (const Case& c : cases) {
        work->TestName = c.name;
        work->TestID = c.id;
        EXPECT_EQ(work->DefaultExportFileName(c.format), c.file) << c.name << "/" << c.id;
    }
    work->TestName = "Algebra";
    work->TestID = "";
    EXPECT_EQ(work->DefaultTemplateExportName("/data/tmpl/Sheet.xls"), "/data/tmpl/Ombrix - Algebra - Sheet.xls");
    work->TestName = "";
    EXPECT_EQ(work->DefaultTemplateExportName("/data/tmpl/Sheet.xls"), "/data/tmpl/CTAPIV-Sheet.xls");
    SetProgramFileNameForTesting("/opt/scoring/Score.exe");
    work->TestID = "9";
    EXPECT_EQ(work->DefaultExportFileName(efSummary), "Veltrane - 9 - SummaryExport.txt");
    SetProgramFileNameForTesting("");
    EXPECT_EQ(ExportFormatCaption(efUtSis), "Export - UT SIS 2000+ (Nebo)");
    EXPECT_EQ(ExportFormatCaption(11), "");
}

TEST_F(ExportTest, ExportToFileAsksForTheFileAndRemembersItsFolder) {
    MakeFixture();
    work->TestName = "Algebra";
    work->TestID = "7";
    work->edtFileName = " " + home.Dir() + " ";
    work->cbExport = efGeneric;
    const std::string target = Out("scores.txt");
    prompts.File(target);
    work->btnExportClick();
    ASSERT_EQ(prompts.Seen().size(), 1u);
    EXPECT_EQ(prompts.Seen()[0].Line, "Save: Save As");
    EXPECT_EQ(prompts.Seen()[0].InitialDir, home.Dir());
    EXPECT_NE(prompts.Seen()[0].Value.find("Algebra - 7 - Export.txt"), std::string::npos);
    EXPECT_EQ(ReadAll(target), "0007\t-0.75\r\n0045\t3.5\r\n0123\t6.5\r\n1234\t1.75\r\n");
    EXPECT_EQ(work->edtFileName, home.Dir());
    EXPECT_EQ(LastDirSetting(), home.Dir());
    EXPECT_FALSE(TPromptScript::BusyCursor());

    // An existing file is overwritten only after Yes.
    prompts.Clear();
    WriteAll(target, "keep");
    work->cbExport = efDetailed;
    prompts.File(target).No("File already exists.  Are you sure that you want to overwrite it?");
    work->btnExportClick();
    EXPECT_EQ(ReadAll(target), "keep");
    prompts.File(target).Yes("overwrite");
    work->btnExportClick();
    EXPECT_EQ(ReadAll(target).substr(0, 11), "0007\tD\tC\tB\t");

    // A cancelled dialog writes nothing.
    prompts.Cancel();
    work->btnExportClick();
    EXPECT_EQ(prompts.Pending(), 0u);
}

TEST_F(ExportTest, AnExportWithoutAFormatIsRefused) {
    MakeFixture();
    work->cbExport = -1;
    prompts.Ok();
    work->btnExportClick();
    EXPECT_EQ(Prompted(), std::vector<std::string>{"Information: Please select an export format before exporting."});
    EXPECT_EQ(work->edtFileName, "");
    EXPECT_EQ(LastDirSetting(), "");
}

TEST_F(ExportTest, AFileThatCannotBeWrittenKeepsTheLastFolder) {
    MakeFixture();
    work->cbExport = efPoints;
    work->edtFileName = "/earlier/";
    prompts.File(home.Dir() + "missing/folder/points.txt");
    EXPECT_THROW(work->btnExportClick(), EInOutError);
    EXPECT_FALSE(TPromptScript::BusyCursor());
    EXPECT_EQ(work->edtFileName, "/earlier/");
    EXPECT_EQ(LastDirSetting(), "");
}

TEST_F(ExportTest, TheSpreadsheetFormatStartsFromATemplate) {
    MakeFixture();
    work->cbExport = efCtapivExcel;
    std::string gotFile, gotTemplate;
    work->OnExportCtapivExcel = [&](const std::string& file, const std::string& templ) {
        gotFile = file;
        gotTemplate = templ;
    };
    // Without a template nothing happens.
    prompts.Cancel("Select \"Template\" File");
    work->btnExportClick();
    EXPECT_EQ(gotFile, "");

    const std::string templ = Out("Customer.xls");
    prompts.File(templ, "Select \"Template\" File").File(Out("filled.xls"), "Save File with Data To...");
    work->btnExportClick();
    const auto seen = prompts.Seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[2].Value, home.Dir() + "CTAPIV-Customer.xls");
    EXPECT_EQ(gotFile, Out("filled.xls"));
    EXPECT_EQ(gotTemplate, templ);
    EXPECT_EQ(LastDirSetting(), home.Dir());
}
