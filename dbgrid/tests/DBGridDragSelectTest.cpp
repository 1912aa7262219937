// Row drags over the row bar of a bound grid: the records passed are
// selected, held past the rows the drag walks the data record by record,
// and a Ctrl drag inverts records, in range and in set mode.
#include "dbgrid/tests/DBGridTestSupport.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "dbgrid/DBGridSelection.h"
#include "platform/core/Clock.h"
#include "platform/gui/Timers.h"

namespace {

class DBGridDragSelect : public DBGridFixture, public ::testing::WithParamInterface<TgrRecordSelection> {
protected:
    void Start(int records) {
        Fill(records);
        // Bookmarks are looked up before the grid is bound, since a lookup
        // moves the dataset and with it the grid's window.
        for (int id = 1; id <= records; ++id) bookmarks.push_back(BookmarkOf(id));
        Bind();
        grid->SetRowSelectMode(rsMulti);
        grid->SetRecordSelection(GetParam());
        grid->SetScrollSpeed(spHigh);
    }
    TPoint RowBar(Integer row) {
        TRect r = grid->CellPixels(0, row);
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    void Press(Integer row, TShiftState shift = TShiftState()) {
        TPoint p = RowBar(row);
        grid->MouseDown(mbLeft, shift, p.X, p.Y);
    }
    void MoveTo(Integer row) { MoveToPoint(RowBar(row)); }
    void MoveToPoint(const TPoint& p) { grid->MouseMove(TShiftState(), p.X, p.Y); }
    void Release() {
        TPoint p = RowBar(1);
        grid->MouseUp(mbLeft, TShiftState(), p.X, p.Y);
    }
    TPoint BelowRows() { return TPoint(RowBar(1).X, grid->ClientHeight() + 10); }
    TPoint AboveRows() { return TPoint(RowBar(1).X, 2); }
    // The selected records as runs of ids ("2-4,7").
    std::string Selected(int records) {
        return IdRuns(records, [this](int id) { return grid->IsRecordSelected(Variant(Bm(id))); });
    }
    std::vector<std::string> bookmarks;
    const std::string& Bm(int id) { return bookmarks[std::size_t(id - 1)]; }
    int CurrentId() { return table->FieldByName("ID")->AsInteger(); }
    // In range mode the runs of records are the ranges, joined.
    void ExpectRanges(Integer count) {
        if (GetParam() == rseBookmarkRange) EXPECT_EQ(grid->RecordSelectionSet().RangeCount(), count);
    }
    void TearDown() override {
        SetCurrentClock(nullptr);
        DBGridFixture::TearDown();
    }
    // The user's side through the window system: presses, moves with the
    // button held, the release, Esc, and the auto-scroll loop's passes as
    // time goes by.
    void Send(QEvent::Type type, const TPoint& p, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QPointF at(p.X, p.Y);
        Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent e(type, at, grid->Widget()->mapToGlobal(at), Qt::LeftButton, held, keys);
        QApplication::sendEvent(grid->Widget(), &e);
    }
    void Escape() {
        QKeyEvent e(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(grid->Widget(), &e);
    }
    // Held still past the rows, each pass of the auto-scroll loop comes
    // once the scroll delay has run out.
    void Ticks(int count) {
        for (int i = 0; i < count; ++i) {
            clock.Advance(60);
            grid->AutoScrollStep();
        }
    }
    ManualClock clock{1000};
};

TEST_P(DBGridDragSelect, DragDownAndBackSelectsTheRecordsPassed) {
    Start(10);
    Press(2);
    EXPECT_EQ(Selected(10), "2");
    struct Step {
        Integer row;
        const char* selected;
    } steps[] = {
        {4, "2-4"},  // away from the anchor
        {5, "2-5"},
        {3, "2-3"},  // back toward it: the records passed are given back
        {2, "2"},
        {1, "1-2"},  // across it: the anchor stays selected
        {4, "2-4"},  // and across again
    };
    for (const Step& s : steps) {
        MoveTo(s.row);
        EXPECT_EQ(Selected(10), s.selected) << s.row;
        // The current record follows the drag end.
        EXPECT_EQ(CurrentId(), s.row) << s.row;
        EXPECT_EQ(grid->GridStatus(), gsRowsSelected) << s.row;
    }
    ExpectRanges(1);
    Release();
    EXPECT_EQ(Selected(10), "2-4");
    // The selection stays with the records when the window moves on.
    table->Last();
    EXPECT_EQ(Selected(10), "2-4");
}

TEST_P(DBGridDragSelect, HeldBelowTheRowsTheDragWalksRecordByRecord) {
    constexpr int kRecords = 220;
    Start(kRecords);
    // The rows shown whole.
    int shown = 1;
    while (shown < grid->Rows() && grid->CellPixels(0, shown + 1).Bottom <= grid->ClientHeight()) ++shown;
    ASSERT_GE(shown, 3);
    auto upTo = [](int last) { return "2-" + std::to_string(last); };
    Press(2);
    MoveToPoint(BelowRows());
    // The drag end goes to the last row shown; each step shows and takes
    // one more record.
    EXPECT_EQ(Selected(kRecords), upTo(shown));
    for (int i = 1; i <= 10; ++i) {
        grid->AutoScrollStep();
        EXPECT_EQ(Selected(kRecords), upTo(shown + i)) << i;
        EXPECT_EQ(grid->DataRowOfRow(1), Variant(Bm(1 + i))) << i;
        EXPECT_EQ(CurrentId(), shown + i) << i;
    }
    EXPECT_EQ(grid->AutoScrollDirection(), 0);
    // On to the end of the data, where the walk stops.
    for (int i = 0; i < kRecords; ++i) grid->AutoScrollStep();
    EXPECT_EQ(Selected(kRecords), upTo(kRecords));
    EXPECT_EQ(CurrentId(), kRecords);
    EXPECT_EQ(grid->DataRowOfRow(shown), Variant(Bm(kRecords)));
    ExpectRanges(1);
    // Held above the rows it walks back, giving the records back: the end
    // waits above the top row, so each record that comes into view there
    // is given back.
    const int top = kRecords - shown + 1;
    MoveToPoint(AboveRows());
    EXPECT_EQ(Selected(kRecords), upTo(top - 1));
    for (int i = 1; i <= 6; ++i) grid->AutoScrollStep();
    EXPECT_EQ(Selected(kRecords), upTo(top - 7));
    EXPECT_EQ(grid->DataRowOfRow(1), Variant(Bm(top - 6)));
    // Back into the rows and released: the records stay selected.
    MoveTo(3);
    Release();
    EXPECT_EQ(Selected(kRecords), upTo(top - 4));
    ExpectRanges(1);
}

TEST_P(DBGridDragSelect, HeldAboveTheRowsAtTheStartTheWalkStops) {
    Start(30);
    Press(3);
    MoveToPoint(AboveRows());
    EXPECT_EQ(Selected(30), "1-3");
    for (int i = 0; i < 5; ++i) grid->AutoScrollStep();
    EXPECT_EQ(Selected(30), "1-3");
    EXPECT_EQ(grid->DataRowOfRow(1), Variant(Bm(1)));
    Release();
}

TEST_P(DBGridDragSelect, HeldBelowAfterScrollingPastTheAnchorTheDragCrossesIt) {
    // The anchor scrolled out of the window above: walking back up past it
    // gives the records below back and takes those above.
    Start(40);
    table->SetRecNo(6);
    Press(3);
    Integer anchorId = CurrentId();
    MoveToPoint(BelowRows());
    for (int i = 0; i < 5; ++i) grid->AutoScrollStep();
    EXPECT_EQ(Selected(40), std::to_string(anchorId) + "-" + std::to_string(CurrentId()));
    MoveToPoint(AboveRows());
    for (int i = 0; i < 12; ++i) grid->AutoScrollStep();
    int top = CurrentId();
    EXPECT_LT(top, anchorId);
    EXPECT_EQ(Selected(40), std::to_string(top) + "-" + std::to_string(anchorId));
    ExpectRanges(1);
    Release();
}

TEST_P(DBGridDragSelect, ACancelledDragInvertsFromTheAnchorToTheEnd) {
    Start(10);
    Press(2);
    MoveTo(4);
    ASSERT_EQ(Selected(10), "2-4");
    grid->CancelMouseAction();
    EXPECT_EQ(Selected(10), "");
    // A Ctrl drag given up gives every record its state back.
    grid->SelectRows(Variant(Bm(6)), Variant(Bm(6)), true);
    table->SetRecNo(5);
    Press(5, TShiftState{ssCtrl});
    MoveTo(7);
    ASSERT_EQ(Selected(10), "5,7");
    grid->CancelMouseAction();
    EXPECT_EQ(Selected(10), "6");
}

TEST_P(DBGridDragSelect, ACtrlDragInvertsTheRecordsItPasses) {
    Start(10);
    grid->SelectRows(Variant(Bm(1)), Variant(Bm(3)), true);
    ASSERT_EQ(Selected(10), "1-3");
    // A Ctrl press on the current record's row bar inverts it and goes on
    // as a drag.
    table->SetRecNo(2);
    Press(2, TShiftState{ssCtrl});
    EXPECT_EQ(Selected(10), "1,3");
    MoveTo(5);
    EXPECT_EQ(Selected(10), "1,4-5");
    MoveTo(3);
    EXPECT_EQ(Selected(10), "1");
    MoveTo(1);
    EXPECT_EQ(Selected(10), "3");
    Release();
    EXPECT_EQ(Selected(10), "3");
}

TEST_P(DBGridDragSelect, AnEscapedDragPutsBackEveryRecordItChangedAfterItsAnchorScrolledAway) {
    // The anchor and the records passed first have scrolled out of the
    // window when Esc gives the drag up: each record gets its state from
    // before the press back, the ones shown and the ones scrolled away.
    struct Case {
        const char* name;
        bool ctrl;
        bool recordIds;
        const char* before;  // selected before the press ("" none)
        const char* during;  // after the walk, before Esc
        const char* after;
    } cases[] = {
        {"plain press", false, false, "", "3-20", ""},
        {"Ctrl press", true, false, "4,7,30", "3,5-6,8-20,30", "4,7,30"},
        {"Ctrl press, record ids", true, true, "4,7,30", "3,5-6,8-20,30", "4,7,30"},
    };
    constexpr int kRecords = 40;
    Start(kRecords);
    SetCurrentClock(&clock);
    int shown = 1;
    while (shown < grid->Rows() && grid->CellPixels(0, shown + 1).Bottom <= grid->ClientHeight()) ++shown;
    for (const Case& c : cases) {
        if (c.recordIds) {
            grid->SetOnGetRecordID([this](TObject*, const Variant&, Variant& id) { id = table->FieldByName("ID")->AsVariant(); });
            grid->SetUseRecordIds(true);
        }
        auto selected = [&] {
            if (!c.recordIds) return Selected(kRecords);
            return IdRuns(kRecords, [this](int id) { return grid->IsRecordSelected(Variant(id)); });
        };
        auto select = [&](int id) {
            if (c.recordIds) grid->SelectRows(Variant(id), Variant(id), true);
            else grid->SelectRows(Variant(Bm(id)), Variant(Bm(id)), true);
        };
        grid->DeselectAllRows();
        for (int id : {4, 7, 30})
            if (c.before[0]) select(id);
        ASSERT_EQ(selected(), c.before) << c.name;
        table->SetRecNo(3);
        ASSERT_EQ(grid->DataRowOfRow(1), Variant(c.recordIds ? Variant(1) : Variant(Bm(1)))) << c.name;
        Send(QEvent::MouseButtonPress, RowBar(3), c.ctrl ? Qt::ControlModifier : Qt::NoModifier);
        Send(QEvent::MouseMove, BelowRows());
        Ticks(20 - shown);
        EXPECT_EQ(CurrentId(), 20) << c.name;
        EXPECT_NE(grid->DataRowOfRow(1), Variant(c.recordIds ? Variant(3) : Variant(Bm(3)))) << c.name;
        EXPECT_EQ(selected(), c.during) << c.name;
        Escape();
        EXPECT_EQ(selected(), c.after) << c.name;
        EXPECT_EQ(grid->GridStatus(), c.after[0] ? gsRowsSelected : gsNormal) << c.name;
        // The drag is over: the timer no longer walks the window.
        Integer top = CurrentId();
        Ticks(5);
        EXPECT_EQ(CurrentId(), top) << c.name;
        Send(QEvent::MouseButtonRelease, BelowRows());
        table->First();
    }
}

TEST_P(DBGridDragSelect, UnderSingleSelectionOneRecordFollowsTheDragAndTheWalk) {
    constexpr int kRecords = 30;
    Start(kRecords);
    SetCurrentClock(&clock);
    grid->SetRowSelectMode(rsSingle);
    int shown = 1;
    while (shown < grid->Rows() && grid->CellPixels(0, shown + 1).Bottom <= grid->ClientHeight()) ++shown;
    Send(QEvent::MouseButtonPress, RowBar(2));
    EXPECT_EQ(Selected(kRecords), "2");
    Send(QEvent::MouseMove, RowBar(4));
    EXPECT_EQ(Selected(kRecords), "4");
    EXPECT_EQ(CurrentId(), 4);
    // Below the rows the selection goes to the last row shown, then walks
    // on with the window, one record a step.
    Send(QEvent::MouseMove, BelowRows());
    EXPECT_EQ(Selected(kRecords), std::to_string(shown));
    Ticks(3);
    EXPECT_EQ(Selected(kRecords), std::to_string(shown + 3));
    EXPECT_EQ(CurrentId(), shown + 3);
    EXPECT_EQ(grid->DataRowOfRow(1), Variant(Bm(4)));
    // Above the rows it walks back, the record on top selected.
    Send(QEvent::MouseMove, AboveRows());
    EXPECT_EQ(Selected(kRecords), "4");
    Ticks(2);
    EXPECT_EQ(Selected(kRecords), "2");
    EXPECT_EQ(CurrentId(), 2);
    Send(QEvent::MouseMove, RowBar(3));
    Send(QEvent::MouseButtonRelease, RowBar(3));
    EXPECT_EQ(Selected(kRecords), "4");
    EXPECT_EQ(grid->GridStatus(), gsRowsSelected);
    // A single-selection drag given up leaves nothing selected.
    Send(QEvent::MouseButtonPress, RowBar(1));
    Send(QEvent::MouseMove, RowBar(5));
    ASSERT_EQ(Selected(kRecords), "6");
    Escape();
    EXPECT_EQ(Selected(kRecords), "");
    EXPECT_EQ(grid->GridStatus(), gsNormal);
}

TEST_P(DBGridDragSelect, InEditInsertModeTheDragReachesTheLastRecordShown) {
    // The last row is the insert row's place, but it shows a posted record
    // until a new one is pending there.
    Start(10);
    grid->SetGridMode(gmEditInsert);
    int shown = 1;
    while (shown < grid->Rows() && grid->CellPixels(0, shown + 1).Bottom <= grid->ClientHeight()) ++shown;
    Press(1);
    MoveTo(grid->Rows());
    EXPECT_EQ(Selected(10), "1-" + std::to_string(grid->Rows()));
    EXPECT_EQ(table->State(), dsBrowse);
    Release();
}

INSTANTIATE_TEST_SUITE_P(Modes, DBGridDragSelect, ::testing::Values(rseBookmarkRange, rseBookmarkSet),
                         [](const auto& info) { return info.param == rseBookmarkRange ? "Range" : "Set"; });

}  // namespace
