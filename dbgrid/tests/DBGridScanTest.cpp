// Record scans of the record window and of the grid's selection in set
// mode: limits, stop bookmarks in both directions, the end of the data,
// cancelling through OnScanRecords.
#include "dbgrid/tests/DBGridTestSupport.h"

#include <utility>

#include "platform/data/DataSet.h"

namespace {

class DBGridScan : public DBGridFixture {
protected:
    void SetUp() override {
        DBGridFixture::SetUp();
        Fill(12);
        Bind();
        table->Locate("ID", Variant(10), {});
    }
    // The IDs of a list of bookmarks, "3,4,5".
    std::string Ids(const std::vector<std::string>& list) {
        std::string s;
        for (const std::string& bm : list)
            for (int id = 1; id <= table->RecordCount(); ++id)
                if (BookmarkOf(id) == bm) s += (s.empty() ? "" : ",") + std::to_string(id);
        return s;
    }
    std::string Bm(int id) { return id ? BookmarkOf(id) : std::string(); }
    std::string Log() { return std::exchange(log, std::string()); }
    void LogScan(int cancelAt = 0) {
        grid->OnScanRecords = [this, cancelAt](TObject*, bool, TgrScanState state, Integer count, bool& cancel) {
            log += (log.empty() ? "" : " ") + std::to_string(int(state)) + ":" + std::to_string(count);
            if (state == scsRecord && count == cancelAt) cancel = true;
        };
    }
    std::string log;
};

TEST_F(DBGridScan, TheWindowScansForwardAndBackwardWithinLimitsAndStops) {
    struct Case {
        const char* name;
        bool forward;
        int start, end;  // record IDs, 0 for the empty bookmark
        Integer maxCount;
        int cancelAt;  // the scan step whose report cancels, 0 for none
        std::string list;
        bool reached, atEdge;
        int last;  // the bookmark handed back
        Integer count;
    } cases[] = {
        {"all records", true, 0, 0, 0, 0, "1,2,3,4,5,6,7,8,9,10,11,12", true, true, 12, 12},
        {"to a stop", true, 3, 7, 0, 0, "4,5,6,7", true, false, 7, 4},
        {"limited", true, 3, 0, 4, 0, "4,5,6,7", false, false, 7, 4},
        {"past the end", true, 10, 0, 0, 0, "11,12", true, true, 12, 2},
        {"stop before the start", true, 6, 2, 0, 0, "", true, false, 7, 1},
        {"cancelled", true, 0, 9, 0, 3, "1,2", false, false, 2, 3},
        {"back to a stop", false, 9, 5, 0, 0, "8,7,6,5", true, false, 5, 4},
        {"back limited", false, 9, 2, 2, 0, "8,7", false, false, 7, 2},
        {"back to the start", false, 3, 1, 0, 0, "2,1", true, false, 1, 2},
        {"back past the start", false, 2, 0, 0, 0, "", true, false, 1, 1},
        {"back cancelled", false, 12, 1, 0, 2, "11", false, false, 11, 2},
    };
    TgrGridData* window = grid->RecordWindow();
    for (const Case& c : cases) {
        LogScan(c.cancelAt);
        std::vector<std::string> list;
        std::string bookmark = Bm(c.start);
        bool cancel = false, reached = false;
        Integer limit = 0, count = 0;
        window->LockControls(true);
        bool edge = c.forward ? window->ScanForward(bookmark, Bm(c.end), cancel, limit, count, reached, false,
                                                    c.maxCount, list)
                              : window->ScanBackward(bookmark, Bm(c.end), cancel, limit, count, reached, false,
                                                     c.maxCount, list);
        window->LockControls(false);
        EXPECT_EQ(Ids(list), c.list) << c.name;
        EXPECT_EQ(reached, c.reached) << c.name;
        EXPECT_EQ(edge, c.atEdge) << c.name;
        EXPECT_EQ(bookmark, Bm(c.last)) << c.name;
        // Every record scanned is one step, each reported once.
        EXPECT_EQ(count, c.count) << c.name;
        EXPECT_EQ(limit, c.count) << c.name;
        EXPECT_EQ(cancel, c.cancelAt != 0) << c.name;
        table->Locate("ID", Variant(10), {});
    }
}

TEST_F(DBGridScan, ScanStepReportsOnlyCountsAboveTheReportedOne) {
    LogScan();
    Integer count = 0, reported = 0;
    bool cancel = false;
    grid->ScanStep(false, scsRecord, count, reported, cancel);
    grid->ScanStep(false, scsRecord, count, reported, cancel);
    EXPECT_EQ(Log(), "1:1 1:2");
    // A second walk counting again from 0 reports nothing until it passes.
    count = 0;
    for (int i = 0; i < 3; ++i) grid->ScanStep(false, scsRecord, count, reported, cancel);
    EXPECT_EQ(Log(), "1:3");
    // Cancelled, the count stands still unless it is below the reported.
    cancel = true;
    grid->ScanStep(false, scsRecord, count, reported, cancel);
    EXPECT_EQ(count, 3);
    count = 1;
    grid->ScanStep(false, scsRecord, count, reported, cancel);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(Log(), "");
}

TEST_F(DBGridScan, SelectionScansFindTheOtherRecordInEitherDirection) {
    grid->SetRecordSelection(rseBookmarkSet);
    auto selected = [&] {
        std::string ids;
        for (int id = 1; id <= 12; ++id)
            if (grid->IsRecordSelected(Variant(BookmarkOf(id)))) ids += (ids.empty() ? "" : ",") + std::to_string(id);
        return ids;
    };
    LogScan();
    // Backward: the first record counts once, then each record walked.
    grid->SelectRows(Variant(BookmarkOf(6)), Variant(BookmarkOf(3)), true);
    EXPECT_EQ(selected(), "3,4,5,6");
    EXPECT_EQ(Log(), "0:0 1:1 1:2 1:3 1:4 2:1 2:2 2:3 2:4 3:4");
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 10);
    grid->DeselectAllRows();

    // Unordered bookmarks: both directions take turns of ten records, then
    // the one left walks on. From 2, the walk back ends at 1 and 12 is
    // found in the first forward turn.
    grid->SetBookmarkType(bmtNonOrdered);
    std::vector<std::string> list;
    bool cancel = false;
    EXPECT_EQ(grid->ScanBookmarksBetween(BookmarkOf(2), BookmarkOf(12), 0, false, list, cancel), -1);
    EXPECT_EQ(Ids(list), "2,3,4,5,6,7,8,9,10,11,12");
    std::string steps;
    for (int i = 1; i <= 13; ++i) steps += (i > 1 ? " 1:" : "1:") + std::to_string(i);
    EXPECT_EQ(Log(), steps);
    EXPECT_EQ(grid->ScanBookmarksBetween(BookmarkOf(12), BookmarkOf(1), 0, false, list, cancel), 1);
    // From 12 the forward turn ends at once; back, 1 lies past the turn.
    EXPECT_EQ(Ids(list), "12,11,10,9,8,7,6,5,4,3,2,1");
    EXPECT_EQ(Log().substr(0, 3), "1:1");
    // The same record: at once; a record not in the direction given: the
    // walk runs to the end and gives no list.
    EXPECT_EQ(grid->ScanBookmarksBetween(BookmarkOf(5), BookmarkOf(5), 0, false, list, cancel), 0);
    EXPECT_EQ(Ids(list), "5");
    EXPECT_EQ(grid->ScanBookmarksBetween(BookmarkOf(5), BookmarkOf(2), 1, false, list, cancel), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(cancel);
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 10);
    // A cancel stops both directions and gives no list.
    Log();
    LogScan(3);
    EXPECT_EQ(grid->ScanBookmarksBetween(BookmarkOf(5), BookmarkOf(12), 1, false, list, cancel), 0);
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(cancel);
    EXPECT_EQ(Log(), "1:1 1:2 1:3");
}

TEST_F(DBGridScan, ADeletedRecordsBookmarkIsNeverFound) {
    // The table no longer holds the record: no walk may stop on a live
    // record as if it were the one deleted.
    std::string dead = BookmarkOf(7);
    table->Locate("ID", Variant(7), {});
    table->Delete();
    table->Locate("ID", Variant(10), {});
    // Ordered bookmarks place it after every record, so the walk goes
    // forward (a walk back, told so, would pass its place at once).
    for (TgrBookmarkType type : {bmtDefault, bmtNonOrdered}) {
        grid->SetBookmarkType(type);
        for (Integer direction : {-1, 0, 1}) {
            if (type == bmtDefault && direction < 0) continue;
            std::vector<std::string> list;
            bool cancel = false;
            EXPECT_EQ(grid->ScanBookmarksBetween(BookmarkOf(3), dead, direction, false, list, cancel), 0)
                << int(type) << " " << direction;
            EXPECT_TRUE(list.empty()) << int(type) << " " << direction;
            EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 10);
        }
    }
    // The window's own walk toward it runs to the end of the data.
    grid->SetBookmarkType(bmtDefault);
    TgrGridData* window = grid->RecordWindow();
    std::vector<std::string> list;
    std::string bookmark = BookmarkOf(3);
    bool cancel = false, reached = false;
    Integer limit = 0, count = 0;
    window->LockControls(true);
    EXPECT_TRUE(window->ScanForward(bookmark, dead, cancel, limit, count, reached, false, 0, list));
    window->LockControls(false);
    EXPECT_FALSE(reached);
    std::vector<std::string> rest;
    for (int id : {4, 5, 6, 8, 9, 10, 11, 12}) rest.push_back(BookmarkOf(id));
    EXPECT_EQ(list, rest);
}

TEST_F(DBGridScan, SelectAllCountsEachRecordOnceAndStopsAtTheEnd) {
    grid->SetRecordSelection(rseBookmarkSet);
    grid->SetRowSelectMode(rsMulti);
    LogScan();
    grid->SelectAllRows(false);
    std::string records, applied;
    for (int i = 1; i <= 12; ++i) {
        records += " 1:" + std::to_string(i);
        applied += " 2:" + std::to_string(i);
    }
    EXPECT_EQ(Log(), "0:0" + records + applied + " 3:12");
    for (int id = 1; id <= 12; ++id) EXPECT_TRUE(grid->IsRecordSelected(Variant(BookmarkOf(id)))) << id;
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 10);
    // The empty bookmark of a record not posted yet is no end to scan to.
    grid->DeselectAllRows();
    grid->SelectRows(Variant(std::string()), Variant(BookmarkOf(3)), true);
    EXPECT_EQ(Log(), "");
    EXPECT_FALSE(grid->IsRecordSelected(Variant(BookmarkOf(1))));
}

}  // namespace
