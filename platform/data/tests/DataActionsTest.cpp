// Dataset actions over the array dataset: which steps each action takes,
// when Update enables it, and how a data link takes an action for its
// data source.

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/data/DataActions.h"
#include "platform/data/testing/ArrayDataSet.h"

namespace {

class DataActionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ds.FieldDefs().Add("ID", ftInteger);
        ds.Open();
        for (int i = 1; i <= 3; ++i) {
            ds.Append();
            ds.FieldByName("ID")->SetAsInteger(i);
            ds.Post();
        }
        ds.First();
        source.SetDataSet(&ds);
        link.SetDataSource(&source);
    }
    int Id() { return ds.FieldByName("ID")->AsInteger(); }
    // Update through the link, then the enabled state.
    bool EnabledAfterUpdate(TDataSetAction& a) {
        EXPECT_TRUE(link.UpdateAction(&a));
        return a.Enabled();
    }

    TArrayDataSet ds;
    TDataSource source;
    TDataLink link;
};

TEST_F(DataActionsTest, NavigationStepsAndTheirEnabledState) {
    TDataSetFirst first(nullptr);
    TDataSetPrior prior(nullptr);
    TDataSetNext next(nullptr);
    TDataSetLast last(nullptr);
    // At the first record only the forward steps make sense.
    EXPECT_FALSE(EnabledAfterUpdate(first));
    EXPECT_FALSE(EnabledAfterUpdate(prior));
    EXPECT_TRUE(EnabledAfterUpdate(next));
    EXPECT_TRUE(EnabledAfterUpdate(last));
    EXPECT_TRUE(link.ExecuteAction(&next));
    EXPECT_EQ(Id(), 2);
    EXPECT_TRUE(link.ExecuteAction(&last));
    EXPECT_EQ(Id(), 3);
    EXPECT_FALSE(EnabledAfterUpdate(next));
    EXPECT_FALSE(EnabledAfterUpdate(last));
    EXPECT_TRUE(EnabledAfterUpdate(prior));
    EXPECT_TRUE(link.ExecuteAction(&prior));
    EXPECT_EQ(Id(), 2);
    EXPECT_TRUE(link.ExecuteAction(&first));
    EXPECT_EQ(Id(), 1);
}

TEST_F(DataActionsTest, EditingStepsFollowTheDatasetState) {
    TDataSetInsert insert(nullptr);
    TDataSetEdit edit(nullptr);
    TDataSetPost post(nullptr);
    TDataSetCancel cancel(nullptr);
    TDataSetDelete del(nullptr);
    EXPECT_TRUE(EnabledAfterUpdate(edit));
    EXPECT_FALSE(EnabledAfterUpdate(post));
    EXPECT_FALSE(EnabledAfterUpdate(cancel));

    link.ExecuteAction(&edit);
    EXPECT_EQ(ds.State(), dsEdit);
    EXPECT_FALSE(EnabledAfterUpdate(edit));
    EXPECT_TRUE(EnabledAfterUpdate(post));
    ds.FieldByName("ID")->SetAsInteger(10);
    link.ExecuteAction(&post);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(Id(), 10);

    link.ExecuteAction(&insert);
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_TRUE(EnabledAfterUpdate(cancel));
    link.ExecuteAction(&cancel);
    EXPECT_EQ(ds.RecordCount(), 3);

    EXPECT_TRUE(EnabledAfterUpdate(del));
    link.ExecuteAction(&del);
    EXPECT_EQ(ds.RecordCount(), 2);
    // A read-only dataset offers no editing step.
    ds.ReadOnlyDataSet = true;
    EXPECT_FALSE(EnabledAfterUpdate(insert));
    EXPECT_FALSE(EnabledAfterUpdate(edit));
    EXPECT_FALSE(EnabledAfterUpdate(del));
}

TEST_F(DataActionsTest, ClosedOrEmptyDatasetsDisableTheSteps) {
    TDataSetDelete del(nullptr);
    TDataSetRefresh refresh(nullptr);
    TDataSetNext next(nullptr);
    ds.Close();
    EXPECT_FALSE(EnabledAfterUpdate(refresh));
    EXPECT_FALSE(EnabledAfterUpdate(next));
    ds.Open();
    EXPECT_TRUE(EnabledAfterUpdate(refresh));
    while (!ds.IsEmpty()) ds.Delete();
    EXPECT_FALSE(EnabledAfterUpdate(del));
}

TEST_F(DataActionsTest, ALinkTakesOnlyActionsForItsDataSource) {
    TDataSetNext next(nullptr);
    TDataLink unbound;
    EXPECT_FALSE(unbound.ExecuteAction(&next));
    EXPECT_FALSE(unbound.UpdateAction(&next));
    // A source without a dataset is no target.
    TDataSource empty;
    TDataLink emptyLink;
    emptyLink.SetDataSource(&empty);
    EXPECT_FALSE(emptyLink.ExecuteAction(&next));

    // An action bound to another source declines this link.
    TArrayDataSet other;
    other.FieldDefs().Add("ID", ftInteger);
    other.Open();
    TDataSource otherSource;
    otherSource.SetDataSet(&other);
    next.SetDataSource(&otherSource);
    EXPECT_FALSE(link.ExecuteAction(&next));
    EXPECT_EQ(Id(), 1);
    next.SetDataSource(&source);
    EXPECT_TRUE(link.ExecuteAction(&next));
    EXPECT_EQ(Id(), 2);
}

TEST_F(DataActionsTest, AnActionWithItsOwnSourceWorksWhenNoTargetTakesIt) {
    SetActionTargets(nullptr);
    TDataSetNext next(nullptr);
    EXPECT_FALSE(next.Execute());
    next.SetDataSource(&source);
    EXPECT_TRUE(next.Execute());
    EXPECT_EQ(Id(), 2);
    ds.Last();
    // Update disables the step at the end, and a disabled action does
    // nothing.
    EXPECT_FALSE(next.Execute());
    EXPECT_FALSE(next.Enabled());
    EXPECT_EQ(Id(), 3);
    // The source freed, the action forgets it.
    {
        TDataSource temp;
        temp.SetDataSet(&ds);
        next.SetDataSource(&temp);
    }
    EXPECT_EQ(next.DataSource(), nullptr);
}

}  // namespace
