#include "dbgrid/tests/DBGridTestSupport.h"

#include "platform/data/DataSet.h"

namespace {

// Positions written as text: "<" before the first record, ">" after the
// last, "p3" the record before record 3 (by ID), "@3" record 3, "n3" the
// record after it.
class DBGridSelection : public DBGridFixture {
protected:
    TgrBkmPos Pos(const std::string& t) {
        if (t == "<") return MakeBeforeFirstPosition();
        if (t == ">") return MakeAfterLastPosition();
        TgrBkmPosKind kind = t[0] == 'p' ? bpPrior : t[0] == 'n' ? bpNext : bpAt;
        return {BookmarkOf(std::stoi(t.substr(1))), kind};
    }
    int IdOf(const std::string& bookmark) {
        std::string back = table->GetBookmark();
        table->GotoBookmark(bookmark);
        int id = table->FieldByName("ID")->AsInteger();
        table->GotoBookmark(back);
        return id;
    }
    int IdOf(const Variant& v) { return v.IsString() ? IdOf(v.AsString()) : 0; }
    std::string Text(const TgrBkmPos& p) {
        if (p.Kind == bpBeforeFirst) return "<";
        if (p.Kind == bpAfterLast) return ">";
        return std::string(p.Kind == bpPrior ? "p" : p.Kind == bpNext ? "n" : "@") + std::to_string(IdOf(p.Bookmark));
    }
    // The records (by ID) selected and the number of ranges: "2-4,7 (2)".
    std::string Describe(int records) {
        std::string s = SelectedRuns(records);
        return s + " (" + std::to_string(grid->RecordSelectionSet().RangeCount()) + ")";
    }
};

TEST_F(DBGridSelection, PositionsCompareByTheirRecordsResolvingNeighboursOnlyWhenNeeded) {
    Fill(6);
    Bind();
    table->Locate("ID", Variant(4), {});
    TgrGridData* w = grid->RecordWindow();
    struct Case {
        const char *a, *b;
        int expected;
        bool quickFinal;
    } cases[] = {
        {"<", "<", 0, true},    {"<", "@1", -1, true},  {"<", ">", -1, true},   {"<", "p1", 0, false},
        {"p1", "<", 0, false},  {"p2", "<", 1, false},  {"p2", "@1", 0, false}, {"n1", "@2", 0, false},
        {"n1", "p3", 0, false}, {"n3", "p5", 0, false}, {"n2", "p5", -1, false}, {"@3", "p3", 1, true},
        {"p3", "n3", -1, true}, {"@2", "p4", -1, false}, {"@4", "n2", 1, false}, {"n6", ">", 0, false},
        {">", "n6", 0, false},  {"n5", ">", -1, false}, {">", "@6", 1, true},   {"@5", "@2", 1, true},
    };
    for (const Case& c : cases) {
        TgrBkmPos a = Pos(c.a), b = Pos(c.b);
        bool final = false;
        w->ComparePositionsQuick(a, b, final);
        EXPECT_EQ(final, c.quickFinal) << c.a << " " << c.b;
        EXPECT_EQ(w->ComparePositions(a, b), c.expected) << c.a << " " << c.b;
        EXPECT_EQ(grid->ComparePositions(a, b), c.expected) << c.a << " " << c.b;
        EXPECT_EQ(w->PositionLess(a, b), c.expected < 0) << c.a << " " << c.b;
        EXPECT_EQ(w->PositionLessOrEqual(a, b), c.expected <= 0) << c.a << " " << c.b;
        EXPECT_EQ(w->PositionGreater(a, b), c.expected > 0) << c.a << " " << c.b;
        EXPECT_EQ(w->PositionGreaterOrEqual(a, b), c.expected >= 0) << c.a << " " << c.b;
    }
    // Resolving and stepping; the ends of the data step onto the first and
    // the last record.
    struct Step {
        const char *from, *normalized, *before, *after;
    } steps[] = {
        {"p1", "<", "<", "@1"}, {"n6", ">", "@6", ">"}, {"n3", "@4", "@3", "@5"},
        {"p3", "@2", "@1", "@3"}, {"<", "<", "<", "@1"}, {">", ">", "@6", ">"},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(Text(w->NormalizePosition(Pos(s.from))), s.normalized) << s.from;
        EXPECT_EQ(Text(w->NormalizePosition(w->PositionBefore(Pos(s.from)))), s.before) << s.from;
        EXPECT_EQ(Text(w->NormalizePosition(w->PositionAfter(Pos(s.from)))), s.after) << s.from;
    }
    std::string bookmark;
    EXPECT_TRUE(w->ResolvePosition(Pos("n2"), bookmark));
    EXPECT_EQ(bookmark, BookmarkOf(3));
    EXPECT_FALSE(w->ResolvePosition(Pos(">"), bookmark));
    // Resolving walked the dataset; it is back on its record.
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 4);
}

TEST_F(DBGridSelection, TheGridAnswersMinusTwoWithoutActiveData) {
    TgrBkmPos a = MakeAtPosition("a"), b = MakeAtPosition("a");
    // Not bound.
    EXPECT_EQ(grid->CompareBookmarks("a", "a"), -2);
    EXPECT_EQ(grid->ComparePositions(a, b), -2);
    Fill(3);
    Bind();
    std::string bm = BookmarkOf(2);
    EXPECT_EQ(grid->CompareBookmarks(bm, bm), 0);
    EXPECT_EQ(grid->ComparePositions(MakeAtPosition(bm), MakeAfterLastPosition()), -1);
    // Bound, the dataset closed.
    table->Close();
    EXPECT_EQ(grid->CompareBookmarks(bm, bm), -2);
    EXPECT_EQ(grid->ComparePositions(MakeAtPosition(bm), MakeAtPosition(bm)), -2);
    EXPECT_FALSE(grid->IsRecordSelected(Variant(bm)));
}

TEST_F(DBGridSelection, RangesMergeCutAndToggleKeepingOneRangePerRun) {
    Fill(10);
    Bind();
    TgrDBSelection& sel = grid->RecordSelectionSet();
    struct Case {
        char op;  // + add, - remove, ~ toggle
        const char *from, *to;
        bool changed;  // for add and remove
        const char* expected;
    } cases[] = {
        {'+', "@3", "@4", true, "3-4 (1)"},
        {'+', "@6", "@7", true, "3-4,6-7 (2)"},
        {'+', "@5", "@5", true, "3-7 (1)"},  // bridges two ranges
        {'+', "@4", "@6", false, "3-7 (1)"},  // inside one
        {'+', "@1", "@2", true, "1-7 (1)"},  // ends just before a range
        {'-', "@3", "@4", true, "1-2,5-7 (2)"},  // splits
        {'-', "@2", "@6", true, "1,7 (2)"},  // over several ranges and gaps
        {'-', "@9", "@10", false, "1,7 (2)"},
        {'~', "@1", "@7", true, "2-6 (1)"},  // the former gaps
        {'~', "@5", "@9", true, "2-4,7-9 (2)"},
        {'~', "@1", "@1", true, "1-4,7-9 (2)"},  // joins the range after
        {'~', "@5", "@6", true, "1-9 (1)"},  // a gap joining both sides
        {'~', "@1", "@10", true, "10 (1)"},
        {'+', "<", "@3", true, "1-3,10 (2)"},
        {'-', "@2", ">", true, "1 (1)"},
        {'~', "n1", "p4", true, "1-3 (1)"},  // lazy ends
    };
    for (const Case& c : cases) {
        bool changed = true;
        if (c.op == '+') changed = sel.AddRange(Pos(c.from), Pos(c.to));
        else if (c.op == '-') changed = sel.RemoveRange(Pos(c.from), Pos(c.to));
        else sel.ToggleRange(Pos(c.from), Pos(c.to), 2);
        EXPECT_EQ(changed, c.changed) << c.op << c.from << ".." << c.to;
        EXPECT_EQ(Describe(10), c.expected) << c.op << c.from << ".." << c.to;
        EXPECT_EQ(grid->GridStatus(), gsRowsSelected);
    }
    sel.Clear();
    EXPECT_EQ(grid->GridStatus(), gsNormal);
}

TEST_F(DBGridSelection, RangeChangesAgreeWithARecordByRecordModel) {
    constexpr int kRecords = 12;
    Fill(kRecords);
    Bind();
    TgrDBSelection& sel = grid->RecordSelectionSet();
    TgrGridData* w = grid->RecordWindow();
    std::vector<bool> model(kRecords + 1, false);
    unsigned seed = 12345;
    auto next = [&](int n) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % unsigned(n));
    };
    // A random end of any kind and the record it stands for (0 before the
    // first, kRecords + 1 after the last).
    auto end = [&](std::string& text) {
        int kind = next(8), id = 1 + next(kRecords);
        if (kind == 0) return text = "<", 0;
        if (kind == 1) return text = ">", kRecords + 1;
        if (kind == 2) return text = "p" + std::to_string(id), id - 1;
        if (kind == 3) return text = "n" + std::to_string(id), id + 1;
        return text = "@" + std::to_string(id), id;
    };
    std::string history;
    for (int step = 0; step < 600; ++step) {
        std::string from, to;
        int a = end(from), b = end(to);
        // Only ends in order that hold a record make a run.
        if (std::max(a, 1) > std::min(b, kRecords)) continue;
        int op = next(3);
        std::string what = std::to_string(op) + ":" + from + ".." + to;
        history += " " + what;
        if (op == 0) sel.AddRange(Pos(from), Pos(to));
        else if (op == 1) sel.RemoveRange(Pos(from), Pos(to));
        else sel.ToggleRange(Pos(from), Pos(to), 2);
        for (int id = std::max(a, 1); id <= std::min(b, kRecords); ++id)
            model[id] = op == 0 ? true : op == 1 ? false : !model[id];
        int runs = 0;
        for (int id = 1; id <= kRecords; ++id) {
            ASSERT_EQ(grid->IsRecordSelected(Variant(BookmarkOf(id))), bool(model[id])) << what << " record " << id;
            if (model[id] && (id == 1 || !model[id - 1])) ++runs;
        }
        // One range per run: ascending, apart, never touching.
        std::string ranges;
        for (Integer k = 1; k <= sel.RangeCount(); ++k)
            ranges += " " + Text(sel.Range(k).Start) + ".." + Text(sel.Range(k).End);
        ASSERT_EQ(sel.RangeCount(), runs) << what << ranges << " history" << history;
        for (Integer k = 1; k < sel.RangeCount(); ++k)
            ASSERT_TRUE(w->PositionLess(w->PositionAfter(sel.Range(k).End), sel.Range(k + 1).Start)) << what;
    }
}

TEST_F(DBGridSelection, RecordsInsertedIntoARangeAreInIt) {
    for (int id : {10, 20, 30, 40, 50}) table->AppendRecord({Variant(id), Variant("N"), Variant(0)});
    // Sorted by ID: records added later take their place in that order.
    table->SetSortFields("ID");
    table->Sort();
    table->First();
    Bind();
    grid->SelectRows(Variant(BookmarkOf(20)), Variant(BookmarkOf(40)), true);
    grid->SelectRows(Variant(BookmarkOf(30)), Variant(BookmarkOf(30)), false);
    EXPECT_EQ(grid->RecordSelectionSet().RangeCount(), 2);
    for (int id : {25, 35, 45, 15, 38}) table->AppendRecord({Variant(id), Variant("N"), Variant(0)});
    ASSERT_EQ(grid->CompareBookmarks(BookmarkOf(25), BookmarkOf(30)), -1);
    std::string selected;
    for (int id : {10, 15, 20, 25, 30, 35, 38, 40, 45, 50})
        if (grid->IsRecordSelected(Variant(BookmarkOf(id)))) selected += std::to_string(id) + " ";
    EXPECT_EQ(selected, "20 25 35 38 40 ");
    // The selected records, first to last, as deletion walks them.
    auto records = grid->SelectedRecords();
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records.front().first, BookmarkOf(20));
    EXPECT_EQ(records.back().first, BookmarkOf(40));
}

TEST_F(DBGridSelection, BookmarkSetHandsOutItsBookmarksInTheDatasetsOrder) {
    Fill(8);
    Bind();
    grid->SetRecordSelection(rseBookmarkSet);
    TgrDBSelection& sel = grid->RecordSelectionSet();
    for (int id : {7, 2, 5}) sel.SetBookmarkSelected(BookmarkOf(id), true);
    // A run of several records is no single bookmark: nothing happens.
    EXPECT_FALSE(sel.AddRange(MakeAtPosition(BookmarkOf(3)), MakeAtPosition(BookmarkOf(4))));
    TgrBookmarkSet& set = sel.BookmarkSet();
    auto id = [&](const Variant& v) { return IdOf(v); };
    struct Case {
        int from, previous;
    } cases[] = {{7, 5}, {5, 2}, {2, 0}, {6, 5}, {8, 7}, {1, 0}};
    EXPECT_EQ(id(set.First()), 2);
    EXPECT_EQ(id(set.Last()), 7);
    for (const Case& c : cases) EXPECT_EQ(id(set.Previous(Variant(BookmarkOf(c.from)))), c.previous) << c.from;
    // Stepping back from the last walks the whole set.
    std::string walk;
    for (Variant v = sel.LastSelected(); v.IsString(); v = sel.PrevSelected(v)) walk += std::to_string(id(v));
    EXPECT_EQ(walk, "752");
    Integer lo = 1, hi = 3;
    set.FindIndex(BookmarkOf(5), lo, hi);
    EXPECT_EQ(lo, 2);
    EXPECT_EQ(hi, 2);
    lo = 1, hi = 3;
    set.FindIndex(BookmarkOf(6), lo, hi);
    EXPECT_EQ(lo, 3) << "the first entry after the key";
    // Sorted the other way round: the same records, in the new order.
    table->SetSortFields("Score");
    table->Sort();
    EXPECT_TRUE(sel.IsSelected(BookmarkOf(5)));
    EXPECT_EQ(id(set.First()), 7);
    EXPECT_EQ(id(sel.LastSelected()), 2);
    sel.ToggleDataRows(1, 2);  // rows 1 and 2 show records 8 and 7
    EXPECT_TRUE(sel.IsSelected(BookmarkOf(8)));
    EXPECT_FALSE(sel.IsSelected(BookmarkOf(7)));
}

TEST_F(DBGridSelection, RangeModeWalksItsRecordsBackwardsAndKnowsASelectAll) {
    Fill(10);
    Bind();
    TgrDBSelection& sel = grid->RecordSelectionSet();
    auto walk = [&] {
        std::string s;
        for (Variant v = sel.LastSelected(); v.IsString(); v = sel.PrevSelected(v)) s += std::to_string(IdOf(v)) + " ";
        return s;
    };
    sel.AddRange(Pos("@2"), Pos("@3"));
    sel.AddRange(Pos("@6"), Pos("@6"));
    EXPECT_EQ(walk(), "6 3 2 ");
    EXPECT_EQ(Text(sel.FirstSelectedPos()), "@2");
    EXPECT_FALSE(sel.IsAllSelected());
    sel.AddRange(MakeBeforeFirstPosition(), MakeAfterLastPosition());
    EXPECT_TRUE(sel.IsAllSelected());
    EXPECT_EQ(walk(), "10 9 8 7 6 5 4 3 2 1 ");
    // From the first record to the last is every record as well.
    sel.Clear();
    sel.AddRange(Pos("@1"), Pos("@10"));
    EXPECT_TRUE(sel.IsAllSelected());
    // Deleting the selected records walks them from the last.
    sel.Clear();
    sel.AddRange(Pos("@2"), Pos("@3"));
    sel.AddRange(Pos("@9"), Pos("@9"));
    std::vector<int> deleted;
    // A bound grid fires no OnDeleteRow: the dataset reports each delete.
    bool rowEvent = false;
    grid->OnDeleteRow = [&](TObject*, const Variant&, bool) { rowEvent = true; };
    table->BeforeDelete = [&](TDataSet*) { deleted.push_back(table->FieldByName("ID")->AsInteger()); };
    grid->DeleteSelectedRecords();
    table->BeforeDelete = nullptr;
    EXPECT_EQ(deleted, (std::vector<int>{9, 3, 2}));
    EXPECT_FALSE(rowEvent);
    EXPECT_EQ(table->RecordCount(), 7);
}

TEST_F(DBGridSelection, CtrlAndShiftPressesOnTheRowBarSelectRecords) {
    Fill(10);
    Bind();
    grid->SetRowSelectMode(rsMulti);
    auto press = [&](Integer row, TShiftState shift) {
        TRect r = grid->CellPixels(0, row);
        Integer x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
        grid->MouseDown(mbLeft, shift, x, y);
        grid->MouseUp(mbLeft, shift, x, y);
    };
    struct Case {
        Integer row;
        TShiftState shift;
        const char* expected;
    } cases[] = {
        {2, TShiftState{ssCtrl}, "2 (1)"},
        {4, TShiftState{ssCtrl}, "2,4 (2)"},
        {2, TShiftState{ssCtrl}, "4 (1)"},  // a second press deselects
        {3, TShiftState{ssCtrl}, "3-4 (1)"},
        {5, TShiftState{ssShift}, "3-5 (1)"},  // from the current record
        {1, TShiftState{ssCtrl, ssShift}, "1-5 (1)"},
        {2, TShiftState{ssCtrl}, "1,3-5 (2)"},
    };
    for (const Case& c : cases) {
        press(c.row, c.shift);
        EXPECT_EQ(Describe(10), c.expected) << c.row;
        EXPECT_EQ(grid->GridStatus(), gsRowsSelected) << c.row;
    }
    // The records stay selected while the window scrolls away from them.
    table->Last();
    EXPECT_EQ(Describe(10), "1,3-5 (2)");
}

TEST_F(DBGridSelection, PaintingARangeWithALazyEndLeavesNothingToRepaint) {
    Fill(20);
    Bind();
    grid->SetRowSelectMode(rsMulti);
    grid->SelectAllRows(false);
    // Two ranges ending on the neighbours of record 12, off screen.
    grid->SelectRows(Variant(BookmarkOf(12)), Variant(BookmarkOf(12)), false);
    ASSERT_EQ(grid->RecordSelectionSet().RangeCount(), 2);
    grid->Repaint();
    EXPECT_FALSE(grid->HasInvalidRegion());
    EXPECT_TRUE(grid->IsDisplayRowSelected(1));
    EXPECT_EQ(grid->DataRowOfRow(1), Variant(BookmarkOf(1)));
}

}  // namespace
