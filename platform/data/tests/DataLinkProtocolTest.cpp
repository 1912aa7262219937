// The shared data-link suite on the array-backed test dataset, plus the
// cases only a dataset that keeps its rows while closed can show.

#include "platform/data/testing/ArrayDataSet.h"
#include "platform/data/testing/DataLinkConformance.h"

namespace {
std::unique_ptr<TDataSet> MakeArrayDataSet() {
    auto ds = std::make_unique<TArrayDataSet>();
    ds->FieldDefs().Add("ID", ftInteger);
    ds->FieldDefs().Add("Name", ftString, 20);
    return ds;
}
}  // namespace

INSTANTIATE_TEST_SUITE_P(ArrayDataSet, DataLinkConformance,
                         ::testing::Values(DataSetFactory{"ArrayDataSet", MakeArrayDataSet}),
                         [](const auto& info) { return info.param.Name; });

TEST(DataLinkProtocol, OpenTellsTheLinkAfterTheFirstRecordsAreBuffered) {
    auto ds = MakeArrayDataSet();
    ds->Open();
    for (int i = 1; i <= 5; ++i) {
        ds->Append();
        ds->FieldByName("ID")->SetAsInteger(i);
        ds->Post();
    }
    ds->Close();

    TDataSource source;
    source.SetDataSet(ds.get());
    RecordingDataLink link;
    link.SetBufferCount(3);
    link.SetDataSource(&source);
    link.LogRecordCount = true;
    int afterOpen = 0;
    ds->AfterOpen = [&](TDataSet*) {
        ++afterOpen;
        EXPECT_EQ(link.Log.size(), 1u);
    };
    ds->Open();
    EXPECT_EQ(link.Log, (std::vector<std::string>{"ActiveChanged(True) rc=3"}));
    EXPECT_EQ(afterOpen, 1);
    EXPECT_EQ(LinkWindow(link), "[1] 2 3");
    link.SetDataSource(nullptr);
}

TEST(DataLinkProtocol, LinksWithDifferentWindowsScrollByTheirOwnDistance) {
    auto ds = MakeArrayDataSet();
    ds->Open();
    for (int i = 1; i <= 6; ++i) {
        ds->Append();
        ds->FieldByName("ID")->SetAsInteger(i);
        ds->Post();
    }
    ds->First();
    TDataSource source;
    source.SetDataSet(ds.get());
    RecordingDataLink grid, edit;
    grid.SetBufferCount(4);
    grid.SetDataSource(&source);
    edit.SetDataSource(&source);  // one record
    EXPECT_EQ(ds->BufferCount(), 4);
    grid.Log.clear();
    edit.Log.clear();

    ds->Next();
    EXPECT_EQ(grid.Log.back(), "DataSetScrolled(0)");
    EXPECT_EQ(edit.Log.back(), "DataSetScrolled(1)");
    EXPECT_EQ(LinkWindow(edit), "[2]");
    ds->MoveBy(3);  // to 5: the grid window moves by one
    EXPECT_EQ(grid.Log.back(), "DataSetScrolled(1)");
    EXPECT_EQ(edit.Log.back(), "DataSetScrolled(3)");
    EXPECT_EQ(LinkWindow(grid), "2 3 4 [5]");

    // Shrinking the largest window keeps the current record in every window.
    grid.SetBufferCount(2);
    EXPECT_EQ(ds->BufferCount(), 2);
    EXPECT_EQ(LinkWindow(grid), "4 [5]");
    EXPECT_EQ(LinkWindow(edit), "[5]");
    grid.SetDataSource(nullptr);
    edit.SetDataSource(nullptr);
}

TEST(DataLinkProtocol, DisablingTheSourceDeactivatesItsLinks) {
    auto ds = MakeArrayDataSet();
    ds->Open();
    TDataSource source;
    source.SetDataSet(ds.get());
    RecordingDataLink link;
    link.SetDataSource(&source);
    link.Log.clear();
    source.SetEnabled(false);
    EXPECT_EQ(source.State(), dsInactive);
    source.SetEnabled(true);
    EXPECT_EQ(link.Log, (std::vector<std::string>{"ActiveChanged(False)", "ActiveChanged(True)"}));
    link.SetDataSource(nullptr);
}

TEST(DataLinkProtocol, DataSourceEventsAndAutoEdit) {
    auto ds = MakeArrayDataSet();
    ds->Open();
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(1);
    ds->Post();
    TDataSource source;
    std::vector<std::string> log;
    source.OnStateChange = [&](TDataSource* s) { log.push_back(std::string("state ") + DataSetStateName(s->State())); };
    source.OnDataChange = [&](TDataSource*, TField* f) { log.push_back("data " + (f ? f->FieldName() : "nil")); };
    source.OnUpdateData = [&](TDataSource*) { log.push_back("update"); };
    source.SetDataSet(ds.get());
    source.Edit();
    ds->FieldByName("Name")->SetAsString("A");
    ds->Post();
    EXPECT_EQ(log, (std::vector<std::string>{"state Browse", "data nil", "state Edit", "data nil", "data Name",
                                             "update", "state Browse", "data nil"}));
    source.SetAutoEdit(false);
    source.Edit();
    EXPECT_EQ(ds->State(), dsBrowse);
}

TEST(DataLinkProtocol, DataSourceRefusesCircularLinks) {
    // A detail dataset whose master source is fed by the detail itself.
    struct Detail : TArrayDataSet {
        TDataSource* Master = nullptr;
        TDataSource* GetDataSource() override { return Master; }
    };
    Detail detail;
    TDataSource masterSource;
    detail.Master = &masterSource;
    EXPECT_THROW(masterSource.SetDataSet(&detail), EDatabaseError);
}

namespace {
// A dataset that holds its link notifications while Held is set.
class HoldingDataSet : public TArrayDataSet {
public:
    bool Held = false;

protected:
    bool NotificationsHeld() override { return Held; }
};
}  // namespace

TEST(DataLinkProtocol, HeldNotificationsStillMarkTheRecordModified) {
    HoldingDataSet ds;
    ds.FieldDefs().Add("ID", ftInteger);
    ds.FieldDefs().Add("Name", ftString, 20);
    ds.Open();
    ds.Append();
    ds.FieldByName("ID")->SetAsInteger(1);
    ds.Post();
    TDataSource source;
    source.SetDataSet(&ds);
    RecordingDataLink link;
    link.SetDataSource(&source);
    int changes = 0;
    ds.FieldByName("Name")->OnChange = [&](TField*) { ++changes; };
    link.Log.clear();

    ds.Held = true;
    ds.Edit();
    ds.FieldByName("Name")->SetAsString("held");
    EXPECT_TRUE(link.Log.empty());
    EXPECT_TRUE(ds.Modified());
    EXPECT_EQ(changes, 1);
    ds.Post();
    ds.Held = false;
    EXPECT_TRUE(link.Log.empty());
    EXPECT_EQ(ds.FieldByName("Name")->AsString(), "held");

    ds.Edit();
    ds.FieldByName("Name")->SetAsString("told");
    EXPECT_EQ(link.Log.back(), "RecordChanged(Name)");
    link.SetDataSource(nullptr);
}
