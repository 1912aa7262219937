// A band report over a direct data view whose rows another process serves
// through the data channel prints the same pages as over rows made in the
// report's own process. The report groups rows, so the view also records
// and replays look-ahead rows over the channel.
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "report/tests/ReportTestSupport.h"
#include "reportproject/VpCon.h"
#include "reportproject/VzDataView.h"
#include "reportproject/VzInit.h"
#include "reportproject/tests/BandTestSupport.h"
#include "reportproject/tests/ChildProcess.h"

namespace {

// Serves the rows TGenView makes: Name, Team and Points of rows 1 to
// count. Ends after the restore request or the stop event.
int ServeScores(int count) {
    TVizeDataConnect connect(nullptr);
    connect.SetName("Scores");
    int pos = 0;
    connect.OnOpen = [&](TVizeDataConnect*) { pos = 0; };
    connect.OnGetCols = [](TVizeDataConnect* s) {
        s->WriteColumn("Name", dtString, 10);
        s->WriteColumn("Team", dtString, 10);
        s->WriteColumn("Points", dtInteger, 4);
    };
    connect.OnFirst = [&](TVizeDataConnect*) { pos = 0; };
    connect.OnNext = [&](TVizeDataConnect*) { ++pos; };
    connect.OnEOF = [&](TVizeDataConnect*) { return pos >= count; };
    connect.OnGetRow = [&](TVizeDataConnect* s) {
        s->WriteStringData(0, TGenView::NameOf(pos + 1));
        s->WriteStringData(1, TGenView::TeamOf(pos + 1));
        s->WriteIntegerData(2, pos + 1);
    };
    TVizeDataServer server(connect);
    TSharedHandle stop = OpenSharedManualEvent(VizeObjectNamePrefix() + "stop");
    int status = 3;
    for (int round = 0; round < 1000 && status == 3; ++round)
        if (server.ServeOnce(20) == dcRestore || WaitSharedEvent(stop, 0)) status = 0;
    CloseSharedHandle(stop);
    return status;
}

class DataChannelReportTest : public ReportPrinterFixture {
protected:
    void SetUp() override {
        ReportPrinterFixture::SetUp();
        InitializeReportProject();
        RegisterGenView();
        FreeVizeDataChannel();
        VizeObjectNamePrefix() = "rviews-" + std::to_string(getpid()) + "-report-";
    }
    void TearDown() override {
        FreeVizeDataChannel();
        VizeObjectNamePrefix().clear();
        ReportPrinterFixture::TearDown();
    }
};

}  // namespace

TEST_F(DataChannelReportTest, RowsServedByAnotherProcessPrintLikeRowsMadeHere) {
    constexpr int Rows = 120;
    TVizeProjectManager local(nullptr);
    BuildScoresProject(local, Rows);
    std::vector<std::vector<std::string>> expected = PageTexts(local);
    ASSERT_GE(expected.size(), 3u);
    std::string all;
    for (const auto& page : expected)
        for (const auto& text : page) all += text + "\n";
    for (const char* text : {"Row001", "Row120", "Total of Team C", "Grand 7260"})
        EXPECT_NE(all.find(text), std::string::npos) << text;

    // The same project with a direct data view in place of the generated
    // rows: its fields move over and every reference follows.
    TVizeProjectManager served(nullptr);
    BuildScoresProject(served, Rows);
    auto* generated = dynamic_cast<TGenView*>(served.FindComponent("Scores"));
    ASSERT_NE(generated, nullptr);
    auto* view = new TVizeDataView(&served);
    view->SetName("Served");
    view->SetParent(&served);
    view->SetConnectionName("Scores");
    while (generated->ChildCount() > 0) generated->GetChild(0)->SetParent(view);
    served.ReplaceReference(generated, view);
    served.DeleteItem(generated);

    TSharedHandle stop = OpenSharedManualEvent(VizeObjectNamePrefix() + "stop");
    ChildProcess server([] { return ServeScores(Rows); });
    ASSERT_TRUE(server.Started());
    std::vector<std::vector<std::string>> pages = PageTexts(served);
    EXPECT_FALSE(view->Opened());  // closed after the report
    SetSharedEvent(stop);
    EXPECT_EQ(server.Wait(), 0);
    CloseSharedHandle(stop);

    ASSERT_EQ(pages.size(), expected.size());
    for (size_t i = 0; i < pages.size(); ++i) EXPECT_EQ(pages[i], expected[i]) << "page " << i + 1;
}
