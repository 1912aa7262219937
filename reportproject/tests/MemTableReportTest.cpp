// A memory table served through a connection component: the saved score
// report over a direct data view of that table prints what the report over
// generated rows prints; the view's filter requests select the table's
// rows; each kind of column, and its nulls, arrives as the table holds it.
#include <chrono>
#include <filesystem>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "report/tests/ReportTestSupport.h"
#include "reportproject/VzDataChannel.h"
#include "reportproject/VzInit.h"
#include "reportproject/tests/BandTestSupport.h"
#include "reportproject/tests/ChildProcess.h"
#include "reportproject/tests/MemTableSource.h"

namespace fs = std::filesystem;

namespace {

class MemTableReportTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        InitializeReportProject();
        RegisterGenView();
        FreeVizeDataChannel();
        VizeObjectNamePrefix() = "rmemtab-" + std::to_string(getpid()) + "-";
        dir_ = fs::temp_directory_path() / ("rmemtab-" + std::to_string(getpid()));
        fs::create_directories(dir_);
        projectFile_ = dir_ / "table-scores.vzp";
        FillScoresTable(table_, 200);
        connect_.SetName("ScoreTable");
        source_.Attach(connect_);
    }
    void TearDown() override {
        FreeVizeDataChannel();
        VizeObjectNamePrefix().clear();
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
        ReportPrinterFixture::TearDown();
    }

    // Saves the score report over a direct data view of the table.
    void SaveTableProject() {
        TVizeProjectManager saved(nullptr);
        BuildScoresProject(saved, 200, "ScoreTable");
        saved.SaveToFile(projectFile_.string());
    }

    fs::path dir_;
    fs::path projectFile_;
    TqmtMemTable table_{nullptr};
    TVizeDataConnect connect_{nullptr};
    TMemTableSource source_{table_};
};

}  // namespace

// The score report (two pages; a region with a heading band, a data band
// over a direct data view of the 200-row table, team footers and a grand
// total, a memo running over pages, a picture, a frame, a rule and a Code
// 128 symbol) saved, loaded again and run to PDF.
TEST_F(MemTableReportTest, SavedScoreReportOverTheTableRunsToPdf) {
    for (const char* tool : {"qpdf", "pdftotext", "pdfinfo", "pdftoppm", "zbarimg"})
        ASSERT_TRUE(HaveTool(tool)) << tool << " is not installed (scripts/deps.sh installs it)";
    std::string expected;
    {
        TVizeProjectManager made(nullptr);
        BuildScoresProject(made, 200);
        expected = PdfTextOf(made, (dir_ / "made.pdf").string());
    }
    SaveTableProject();
    TVizeProjectManager project(nullptr);
    project.LoadFromFile(projectFile_.string());
    ASSERT_NE(project.ActiveReport(), nullptr);
    auto* view = dynamic_cast<TVizeDataView*>(project.FindComponent("Scores"));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->ConnectionName(), "ScoreTable");

    fs::path pdfFile = dir_ / "table.pdf";
    std::string text = PdfTextOf(project, pdfFile.string());
    ExpectScoresText(text, 200);
    EXPECT_EQ(text, expected);
    int pages = PdfPageCount(pdfFile.string());
    ASSERT_GE(pages, 4);
    std::string codes = BarCodesOnPage(pdfFile.string(), pages, (dir_ / "codes").string());
    EXPECT_NE(codes.find("CODE-128:SCORE-42"), std::string::npos) << codes;

    // A second run starts again at the table's first row.
    EXPECT_EQ(PdfTextOf(project, (dir_ / "again.pdf").string()), expected);
}

// The same saved project over the same table served by another process
// through the data channel prints the same text.
TEST_F(MemTableReportTest, TheTableServedByAnotherProcessGivesTheSamePdfText) {
    for (const char* tool : {"qpdf", "pdftotext"})
        ASSERT_TRUE(HaveTool(tool)) << tool << " is not installed (scripts/deps.sh installs it)";
    SaveTableProject();
    std::string expected;
    {
        TVizeProjectManager here(nullptr);
        here.LoadFromFile(projectFile_.string());
        expected = PdfTextOf(here, (dir_ / "here.pdf").string());
    }
    ASSERT_NE(expected.find("Row200"), std::string::npos);
    // Only the other process serves the table from here on.
    connect_.SetName("");
    FreeVizeDataChannel();

    // The child serves its own table until the report ends (its restore
    // request) or a deadline passes.
    ChildProcess child([] {
        TqmtMemTable table(nullptr);
        FillScoresTable(table, 200);
        TVizeDataConnect connect(nullptr);
        connect.SetName("ScoreTable");
        TMemTableSource source(table);
        source.Attach(connect);
        TVizeDataServer server(connect, true);
        if (!server.Ready()) return 2;
        auto until = std::chrono::steady_clock::now() + std::chrono::seconds(8);
        while (std::chrono::steady_clock::now() < until)
            if (server.ServeOnce(20) == dcRestore) return 0;
        return 3;
    });
    ASSERT_TRUE(child.Started());
    TVizeProjectManager there(nullptr);
    there.LoadFromFile(projectFile_.string());
    std::string text = PdfTextOf(there, (dir_ / "there.pdf").string());
    EXPECT_EQ(child.Wait(), 0) << "the serving process did not see the report end";
    ExpectScoresText(text, 200);
    EXPECT_EQ(text, expected);
}

TEST_F(MemTableReportTest, ColumnsRowsAndFilterRequestsComeFromTheTable) {
    TVizeProjectManager project(nullptr);
    auto* view = Place<TVizeDataView>(&project, &project, "Scores");
    view->SetConnectionName("ScoreTable");
    auto* name = Place<TVizeStringField>(&project, view, "ScoresName");
    name->SetFieldName("Name");
    Place<TVizeStringField>(&project, view, "ScoresTeam")->SetFieldName("Team");
    auto* points = Place<TVizeIntegerField>(&project, view, "ScoresPoints");
    points->SetFieldName("Points");
    // Typed filter values come from a field of another view standing on a row.
    auto* keys = Place<TGenView>(&project, &project, "Keys");
    keys->SetRowCount(200);
    auto* keyPoints = Place<TVizeIntegerField>(&project, keys, "KeysPoints");
    keyPoints->SetFieldName("Points");

    std::vector<TVizeDataFieldInfo> fields;
    view->GetFields(fields);
    ASSERT_EQ(fields.size(), 3u);
    std::vector<std::tuple<std::string, TVPDataType, Integer>> got;
    for (const auto& f : fields) got.emplace_back(f.FieldName, f.DataType, f.Width);
    EXPECT_EQ(got, (std::vector<std::tuple<std::string, TVPDataType, Integer>>{
                       {"Name", dtString, 10}, {"Team", dtString, 10}, {"Points", dtInteger, 4}}));

    auto readAll = [&] {
        std::vector<std::string> out;
        for (view->First(); !view->Eof(); view->Next())
            out.push_back(name->AsString() + " " + std::to_string(points->AsInteger()));
        return out;
    };
    view->Activate();
    ASSERT_TRUE(view->Opened());
    std::vector<std::string> all = readAll();
    ASSERT_EQ(all.size(), 200u);
    EXPECT_EQ(all.front(), "Row001 1");
    EXPECT_EQ(all.back(), "Row200 200");

    struct Condition {
        std::string Field, Value;
        int KeyRow;  // > 0: the value is typed, from the key view on that row
    };
    struct Case {
        const char* what;
        std::vector<Condition> filter;
        std::vector<std::string> rows;  // all rows when empty and all is set
        bool all = false;
    } cases[] = {
        {"text", {{"Team", "Team C", 0}}, {}},
        {"typed integer", {{"Points", "", 7}}, {"Row007 7"}},
        {"two conditions", {{"Team", "Team B", 0}, {"Points", "", 60}}, {"Row060 60"}},
        {"two conditions, no row", {{"Team", "Team A", 0}, {"Points", "", 60}}, {}},
        {"no such value", {{"Team", "Team Z", 0}}, {}},
        {"a star is no wildcard", {{"Name", "Row00*", 0}}, {}},
        {"a quote is plain text", {{"Name", "Row'1", 0}}, {}},
        {"no such column", {{"Nothing", "Row001", 0}}, {}},
        {"no filter", {}, {}, true},
    };
    for (Case& c : cases) {
        if (std::string(c.what) == "text")
            for (int i = 101; i <= 150; ++i) c.rows.push_back(TGenView::NameOf(i) + " " + std::to_string(i));
        std::vector<TVizeFilterItem> filter;
        for (const Condition& k : c.filter) {
            TVizeFilterItem item{k.Field, "=", k.Value, nullptr};
            if (k.KeyRow > 0) {
                keys->First();
                for (int i = 1; i < k.KeyRow; ++i) keys->Next();
                item.Field = keyPoints;
                item.Value = keyPoints->AsString();
            }
            filter.push_back(item);
        }
        view->SetFilter(filter);
        EXPECT_EQ(readAll(), c.all ? all : c.rows) << c.what;
        view->SetFilter({});
    }
    EXPECT_EQ(readAll(), all) << "an empty filter shows every row again";

    // Lookups filter the table and clear the filter afterwards.
    EXPECT_EQ(view->LookupValue("Row042", nullptr, "Name", "Team", "none"), "Team A");
    EXPECT_EQ(view->LookupValue("Row999", nullptr, "Name", "Team", "none"), "none");
    EXPECT_EQ(readAll().size(), 200u);
    view->Deactivate();
    project.Clear();
}

TEST_F(MemTableReportTest, EachColumnKindAndNullsReachTheView) {
    TqmtMemTable kinds(nullptr);
    kinds.FieldDefs().Add("Name", ftString, 8);
    kinds.FieldDefs().Add("Score", ftFloat, 0);
    kinds.FieldDefs().Add("Ok", ftBoolean, 0);
    kinds.FieldDefs().Add("Big", ftLargeint, 0);
    kinds.FieldDefs().Add("When", ftDateTime, 0);
    kinds.FieldDefs().Add("Raw", ftBytes, 4);  // no data-row kind: not served
    kinds.Open();
    kinds.AppendRecord({Variant(std::string("Ann")), Variant(2.5), Variant(true), Variant(5000000000LL),
                        Variant::FromDate(45000.5), Variant::NullValue()});
    kinds.AppendRecord({Variant(std::string("Bob")), Variant::NullValue(), Variant::NullValue(),
                        Variant::NullValue(), Variant::NullValue(), Variant::NullValue()});
    TVizeDataConnect connect(nullptr);
    connect.SetName("Kinds");
    TMemTableSource source(kinds);
    source.Attach(connect);

    TVizeProjectManager project(nullptr);
    auto* view = Place<TVizeDataView>(&project, &project, "K");
    view->SetConnectionName("Kinds");
    auto* name = Place<TVizeStringField>(&project, view, "KName");
    name->SetFieldName("Name");
    auto* score = Place<TVizeFloatField>(&project, view, "KScore");
    score->SetFieldName("Score");
    auto* ok = Place<TVizeBooleanField>(&project, view, "KOk");
    ok->SetFieldName("Ok");
    auto* big = Place<TVizeInt64Field>(&project, view, "KBig");
    big->SetFieldName("Big");
    auto* when = Place<TVizeDateTimeField>(&project, view, "KWhen");
    when->SetFieldName("When");

    std::vector<TVizeDataFieldInfo> fields;
    view->GetFields(fields);
    std::vector<std::pair<std::string, TVPDataType>> got;
    for (const auto& f : fields) got.emplace_back(f.FieldName, f.DataType);
    EXPECT_EQ(got, (std::vector<std::pair<std::string, TVPDataType>>{
                       {"Name", dtString}, {"Score", dtFloat}, {"Ok", dtBoolean}, {"Big", dtInt64},
                       {"When", dtDateTime}}));

    view->Activate();
    ASSERT_TRUE(view->Opened());
    view->First();
    ASSERT_FALSE(view->Eof());
    EXPECT_EQ(name->AsString(), "Ann");
    EXPECT_DOUBLE_EQ(score->AsFloat(), 2.5);
    EXPECT_TRUE(ok->AsBoolean());
    EXPECT_EQ(big->AsInt64(), 5000000000LL);
    EXPECT_DOUBLE_EQ(when->AsDateTime(), 45000.5);
    view->Next();
    ASSERT_FALSE(view->Eof());
    EXPECT_EQ(name->AsString(), "Bob");
    for (TVizeDataField* f : std::initializer_list<TVizeDataField*>{score, ok, big, when})
        EXPECT_TRUE(f->IsNull()) << f->FieldName();
    view->Next();
    EXPECT_TRUE(view->Eof());
    view->Deactivate();
    project.Clear();
}
