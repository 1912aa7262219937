#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memtable/MemTable.h"
#include "platform/data/DataSource.h"

namespace {

// Logs the callbacks a grid or an edit box would act on.
class LogLink : public TDataLink {
public:
    std::vector<std::string> Log;

protected:
    void ActiveChanged() override { Log.push_back(Active() ? "active" : "inactive"); }
    void DataSetChanged() override { Log.push_back("changed"); }
    void DataSetScrolled(int) override { Log.push_back("scrolled"); }
    void EditingChanged() override { Log.push_back(Editing() ? "editing" : "browsing"); }
    void LayoutChanged() override { Log.push_back("layout"); }
    void RecordChanged(TField* f) override { Log.push_back("record " + (f ? f->FieldName() : std::string("nil"))); }
};

struct LockedTable : ::testing::Test {
    TqmtMemTable table;
    TDataSource source;
    LogLink link;

    void SetUp() override {
        table.FieldDefs().Add("ID", ftInteger);
        table.FieldDefs().Add("Name", ftString, 10);
        table.Open();
        for (int i = 1; i <= 3; ++i) table.AppendRecord({Variant(i), Variant("n" + std::to_string(i))});
        table.First();
        source.SetDataSet(&table);
        link.SetDataSource(&source);
        link.Log.clear();
    }
    void TearDown() override { link.SetDataSource(nullptr); }
};

}  // namespace

TEST_F(LockedTable, EditsAreKeptWhileTheLinksHearNothingUntilUnlock) {
    table.LockTable();
    EXPECT_TRUE(table.TableLocked());
    table.Edit();
    table.FieldByName("Name")->SetAsString("locked");
    EXPECT_TRUE(table.Modified());
    table.Post();
    table.Next();
    table.Append();
    table.FieldByName("ID")->SetAsInteger(4);
    table.Post();
    table.Delete();
    EXPECT_TRUE(link.Log.empty());
    table.UnlockTable();
    EXPECT_FALSE(table.TableLocked());
    EXPECT_EQ(link.Log, (std::vector<std::string>{"changed"}));
    table.First();
    EXPECT_EQ(table.FieldByName("Name")->AsString(), "locked");
    EXPECT_EQ(table.RecordCount(), 3);

    // Unlocked again, the links hear every change.
    link.Log.clear();
    table.Edit();
    table.FieldByName("Name")->SetAsString("free");
    EXPECT_EQ(link.Log, (std::vector<std::string>{"editing", "record nil", "record Name"}));
}

TEST_F(LockedTable, LocksNestAndAnUnlockWithoutLockDoesNothing) {
    table.UnlockTable();
    EXPECT_FALSE(table.TableLocked());
    table.LockTable();
    table.LockTable();
    table.Edit();
    table.UnlockTable();
    EXPECT_TRUE(table.TableLocked());
    EXPECT_TRUE(link.Log.empty());
    table.UnlockTable();
    // The state change and the data are told once, after the last unlock.
    EXPECT_EQ(link.Log, (std::vector<std::string>{"editing", "changed"}));
    table.Cancel();
}

TEST_F(LockedTable, ClosingWhileLockedIsToldAsALayoutChange) {
    table.LockTable();
    table.Close();
    table.Open();
    EXPECT_TRUE(link.Log.empty());
    table.UnlockTable();
    EXPECT_EQ(link.Log, (std::vector<std::string>{"layout"}));
}
