#include <gtest/gtest.h>

#include "memtable/CSVStreamFormat.h"
#include "memtable/MemTable.h"
#include "platform/core/Streams.h"
#include "platform/data/DBError.h"
#include "platform/data/DataSource.h"

namespace {

std::string Items(TqmtMemTable& t) {
    std::string out;
    t.First();
    while (!t.Eof()) {
        if (!out.empty()) out += ' ';
        out += t.FieldByName("Item")->AsString();
        t.Next();
    }
    return out;
}

// Orders 1 to 3; items for orders 1 and 2 only.
struct Orders {
    TqmtMemTable master, detail;
    TDataSource source{nullptr};
    Orders() {
        master.FieldDefs().Add("ID", ftInteger);
        master.Open();
        for (int i = 1; i <= 3; ++i) master.AppendRecord({Variant(i)});
        detail.FieldDefs().Add("OrderID", ftInteger);
        detail.FieldDefs().Add("Item", ftString, 10);
        detail.Open();
        detail.AppendRecord({Variant(1), Variant("pen")});
        detail.AppendRecord({Variant(2), Variant("ink")});
        detail.AppendRecord({Variant(1), Variant("pad")});
        source.SetDataSet(&master);
    }
};

}  // namespace

TEST(MasterDetail, DetailFollowsItsMaster) {
    Orders o;
    o.detail.SetDetailFields("OrderID");
    o.detail.SetMasterSource(&o.source);
    o.detail.SetMasterFields("ID");
    o.master.First();
    EXPECT_EQ(Items(o.detail), "pen pad");
    EXPECT_EQ(o.detail.RecordCount(), 2);
    o.master.Next();
    EXPECT_EQ(Items(o.detail), "ink");
    o.master.Next();  // an order without items
    EXPECT_TRUE(o.detail.IsEmpty());

    // A new detail row takes the master's key.
    o.detail.Append();
    o.detail.FieldByName("Item")->SetAsString("cap");
    o.detail.Post();
    EXPECT_EQ(o.detail.FieldByName("OrderID")->AsInteger(), 3);
    EXPECT_EQ(Items(o.detail), "cap");

    // Without a master link every row shows again.
    o.detail.SetMasterSource(nullptr);
    EXPECT_EQ(o.detail.RecordCount(), 4);
}

TEST(MasterDetail, IndexFieldsServeWhenNoDetailFieldsAreGiven) {
    Orders o;
    o.detail.DefineIndex("ByOrder", "OrderID", {});
    o.detail.SetIndexName("ByOrder");
    o.detail.SetMasterSource(&o.source);
    o.detail.SetMasterFields("ID");
    o.master.First();
    EXPECT_EQ(Items(o.detail), "pen pad");
    // Closing the master lifts the range.
    o.master.Close();
    EXPECT_EQ(Items(o.detail), "pen pad ink");
}

TEST(MasterDetail, RefusesItsOwnDataSource) {
    Orders o;
    TDataSource own(nullptr);
    own.SetDataSet(&o.detail);
    try {
        o.detail.SetMasterSource(&own);
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_NE(e.Message.find("Selfreferencing master/detail relations not allowed."), std::string::npos);
    }
    EXPECT_EQ(o.detail.MasterSource(), nullptr);
}

TEST(MasterDetail, SavingIgnoresTheMasterRangeUnlessAsked) {
    Orders o;
    o.detail.SetDetailFields("OrderID");
    o.detail.SetMasterSource(&o.source);
    o.detail.SetMasterFields("ID");
    o.master.Last();
    TqmtCSVStreamFormat f;
    auto saved = [&] {
        TMemoryStream out;
        o.detail.SaveWithFormat(out, &f);
        return o.detail.SavedCount();
    };
    EXPECT_EQ(saved(), 3);
    EXPECT_TRUE(o.detail.IsEmpty());  // the range is back
    f.sfIgnoreMasterDetail = 0;
    EXPECT_EQ(saved(), 0);
}
