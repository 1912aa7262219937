#include "dbgrid/tests/DBGridTestSupport.h"

#include <filesystem>

#include "platform/core/DateTime.h"
#include "platform/data/DataSet.h"

namespace {

class DBGridExport : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        students = new TqmtMemTable(form);
        students->FieldDefs().Add("Name", ftString, 30);
        students->FieldDefs().Add("Score", ftInteger);
        students->FieldDefs().Add("Born", ftDate);
        students->FieldDefs().Add("Seen", ftDateTime);
        students->FieldDefs().Add("IDNo", ftLargeint);
        students->Open();
        students->Append();
        students->FieldByName("Name")->SetAsString("Ann");
        students->FieldByName("Score")->SetAsInteger(12);
        students->FieldByName("Born")->SetAsDateTime(EncodeDate(2024, 3, 5));
        students->FieldByName("Seen")->SetAsDateTime(EncodeDate(2024, 3, 5) + EncodeTime(13, 4, 5, 678));
        students->FieldByName("IDNo")->SetAsVariant(Variant(Int64(123456789012)));
        students->Post();
        // A null date and the characters each format quotes its own way.
        students->Append();
        students->FieldByName("Name")->SetAsString("Bo \"B\" <x>&");
        students->FieldByName("Score")->SetAsInteger(7);
        students->FieldByName("IDNo")->SetAsVariant(Variant(Int64(5)));
        students->Post();
        students->First();
        source->SetDataSet(students);
        Bind();
        dir = std::filesystem::temp_directory_path() / ("dbgrid-export-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override {
        std::filesystem::remove_all(dir);
        DBGridFixture::TearDown();
    }
    std::string Golden(const std::string& name) { return ReadFileBytes(std::string(OMR_TEST_DATA) + "/" + name); }
    std::string Out(const std::string& name) { return (dir / name).string(); }

    TqmtMemTable* students = nullptr;
    std::filesystem::path dir;
};

TEST_F(DBGridExport, CsvAndXmlMatchTheHandWrittenFiles) {
    students->Next();
    std::string at = students->GetBookmark();
    grid->ExportCsv(Out("s.csv"));
    EXPECT_EQ(ReadFileBytes(Out("s.csv")), Golden("students.csv"));
    grid->ExportXml(Out("s.xml"));
    EXPECT_EQ(ReadFileBytes(Out("s.xml")), Golden("students.xml"));
    // The dataset is back on its record.
    EXPECT_EQ(students->GetBookmark(), at);
}

TEST_F(DBGridExport, XmlPacketParsesWithAStandardParser) {
    // The checker comes with scripts/deps.sh: without it the check fails.
    ASSERT_TRUE(HaveTool("xmllint")) << "xmllint is not installed";
    grid->ExportXml(Out("s.xml"));
    EXPECT_TRUE(RunTool("xmllint --noout " + Out("s.xml")));
}

TEST_F(DBGridExport, CsvFollowsDisplayOrderAndXmlDataOrder) {
    grid->GetCol(Variant("Score"))->SetDisplayCol(1);
    ASSERT_EQ(grid->DataColOfDisplay(1), 2);
    EXPECT_EQ(grid->GetCsvHeading(), "\"Score\",\"Name\",\"Born\",\"Seen\",\"IDNo\",");
    std::string meta = grid->GetXmlMetadata();
    EXPECT_LT(meta.find("attrname=\"Name\""), meta.find("attrname=\"Score\""));
    // A heading without a field name gives its XML name, blanks made "_".
    grid->GetCol(Variant(1))->SetFieldName("");
    grid->GetCol(Variant(1))->SetHeading("First Name");
    EXPECT_NE(grid->GetXmlMetadata().find("attrname=\"First_Name\""), std::string::npos);
}

TEST_F(DBGridExport, CellLoadedValuesAreExportedAndAnErrorRestoresThePosition) {
    grid->OnCellLoaded = [](TObject*, Integer col, const Variant&, Variant& value) {
        if (col == 2) value = Variant("pts " + value.AsString());
    };
    EXPECT_EQ(grid->GetCsvRow(Variant(students->GetBookmark())).substr(0, 20), "\"Ann\",\"pts 12\",\"2024");
    students->Last();
    std::string at = students->GetBookmark();
    grid->OnCellLoaded = [](TObject*, Integer col, const Variant&, Variant& value) {
        if (value.AsString() == "7") throw Exception("bad cell");
    };
    EXPECT_THROW(grid->ExportCsv(Out("bad.csv")), Exception);
    EXPECT_EQ(students->GetBookmark(), at);
    EXPECT_FALSE(students->ControlsDisabled());
}

TEST_F(DBGridExport, TheDialogChoosesTheFormatByExtension) {
    struct Case {
        std::string file;
        bool written;
        std::string golden;
    } cases[] = {{"a.csv", true, "students.csv"}, {"report.XML", true, "students.xml"}, {"report.txt", false, ""}};
    for (const Case& c : cases) {
        prompts->AnswerFile(Out(c.file));
        grid->ExportGrid();
        EXPECT_EQ(std::filesystem::exists(Out(c.file)), c.written) << c.file;
        if (c.written) EXPECT_EQ(ReadFileBytes(Out(c.file)), Golden(c.golden)) << c.file;
    }
    prompts->AnswerCancel();
    grid->ExportGrid();
    EXPECT_EQ(prompts->Pending(), 0u);
}

}  // namespace
