#include "dbgrid/tests/DBGridTestSupport.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "platform/core/Exception.h"
#include "platform/data/DataSet.h"

namespace {

using DBGridRecord = DBGridFixture;

constexpr TColor kRed = 0x0000FF;

TEST_F(DBGridRecord, CellLoadedChangesTheShownValueAndColoursByRecord) {
    Fill(4);
    Bind();
    // Colour the Score cell of every record with an odd ID, the way the
    // wizard colours wrong answers while its grids load their cells.
    grid->OnCellLoaded = [&](TObject* sender, Integer col, const Variant& row, Variant& value) {
        auto* g = static_cast<TgrCustomDBGrid*>(sender);
        if (col != 3) return;
        int score = value.AsInteger();
        value = Variant("<" + value.AsString() + ">");
        g->SetCellColor(3, row, score % 2 ? kRed : clWindow);
    };
    EXPECT_EQ(grid->GetCellValue(3, Variant(BookmarkOf(1))).AsString(), "<99>");
    for (int id = 1; id <= 4; ++id) grid->GetCellValue(3, Variant(BookmarkOf(id)));
    EXPECT_EQ(grid->GetCellColor(3, Variant(BookmarkOf(1))), kRed);
    EXPECT_EQ(grid->GetCellColor(3, Variant(BookmarkOf(2))), grColorNotSet);
    // Sorted the other way round, the colours stay with their records.
    grid->OnCellLoaded = nullptr;
    table->SetSortFields("Score");
    table->Sort();
    table->First();
    EXPECT_EQ(Names(), "N4,N3,N2,N1");
    Variant row1 = grid->DataRowOfRow(1), row4 = grid->DataRowOfRow(4);
    EXPECT_EQ(grid->RecordCellColor(3, row1.AsString()), grid->Color());  // N4
    EXPECT_EQ(grid->RecordCellColor(3, row4.AsString()), kRed);           // N1
    // The window colour clears a highlight.
    grid->SetCellColor(3, row4, clWindow);
    EXPECT_EQ(grid->RecordCellProps().Count(), 1);
    EXPECT_THROW(grid->SetCellColor(3, Variant(5), kRed), EInvalidGridOperation);
}

TEST_F(DBGridRecord, ColoursFollowRecordsWhileScrollingAndResetClearsThem) {
    Fill(40);
    Bind();
    std::string bm30 = BookmarkOf(30);
    grid->SetRowColor(Variant(bm30), kRed);
    grid->SetCellColor(2, Variant(bm30), 0x00FF00);
    table->Locate("ID", Variant(30), {});
    Integer row = grid->WindowPositionOfDataRow(Variant(bm30));
    ASSERT_GE(row, 1);
    EXPECT_EQ(grid->DataRowOfRow(row), Variant(bm30));
    EXPECT_EQ(grid->RecordCellColor(2, bm30), TColor(0x00FF00));
    EXPECT_EQ(grid->RecordCellColor(1, bm30), kRed);
    grid->ResetRowProperties({gpColor});
    EXPECT_EQ(grid->RecordCellColor(1, bm30), grid->Color());
    EXPECT_EQ(grid->RecordCellColor(2, bm30), TColor(0x00FF00));
    grid->ResetCellProperties({gpColor});
    EXPECT_EQ(grid->RecordCellProps().Count(), 0);
}

TEST_F(DBGridRecord, SelectRowsSelectsByRecordAndResetRowStateClears) {
    Fill(8);
    Bind();
    struct Case {
        TgrRecordSelection mode;
    } modes[] = {{rseBookmarkRange}, {rseBookmarkSet}};
    for (const Case& c : modes) {
        grid->SetRecordSelection(c.mode);
        grid->SelectRows(Variant(BookmarkOf(6)), Variant(BookmarkOf(2)), true);
        grid->SelectRows(Variant(BookmarkOf(4)), Variant(BookmarkOf(4)), false);
        std::string selected;
        for (int id = 1; id <= 8; ++id)
            if (grid->IsRecordSelected(Variant(BookmarkOf(id)))) selected += std::to_string(id);
        EXPECT_EQ(selected, "2356") << "mode " << c.mode;
        if (c.mode == rseBookmarkSet) {
            // A set names records: sorting does not move it off them.
            table->SetSortFields("Score");
            table->Sort();
            table->First();
            EXPECT_TRUE(grid->IsRecordSelected(Variant(BookmarkOf(5))));
            EXPECT_FALSE(grid->IsRecordSelected(Variant(BookmarkOf(4))));
            table->SetSortFields("ID");
            table->Sort();
        }
        grid->ResetRowState(RowStateBit(rskSelected));
        EXPECT_FALSE(grid->IsRecordSelected(Variant(BookmarkOf(5))));
    }
}

TEST_F(DBGridRecord, SelectAllSelectsEveryRecordAndACornerPressDeselectsThem) {
    Fill(20);
    Bind();
    grid->SetRowSelectMode(rsMulti);
    auto selected = [&] {
        std::string ids;
        for (int id = 1; id <= table->RecordCount(); ++id)
            if (grid->IsRecordSelected(Variant(BookmarkOf(id)))) ids += (ids.empty() ? "" : ",") + std::to_string(id);
        return ids;
    };
    std::string all;
    for (int id = 1; id <= 20; ++id) all += (id > 1 ? "," : "") + std::to_string(id);
    for (TgrRecordSelection mode : {rseBookmarkRange, rseBookmarkSet}) {
        grid->SetRecordSelection(mode);
        // A press on the corner: the records off screen are selected too.
        bool scannedAll = PressCorner();
        EXPECT_EQ(selected(), all) << "mode " << mode;
        EXPECT_EQ(grid->GridStatus(), gsRowsSelected);
        EXPECT_EQ(scannedAll, mode == rseBookmarkSet);
        EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 1);
        // All selected, the next press deselects every record.
        grid->SelectAllRows(true);
        EXPECT_EQ(selected(), "") << "mode " << mode;
        // One record taken out: the press selects all again.
        grid->SelectAllRows(true);
        grid->SelectRows(Variant(BookmarkOf(12)), Variant(BookmarkOf(12)), false);
        EXPECT_FALSE(grid->IsRecordSelected(Variant(BookmarkOf(12))));
        grid->SelectAllRows(true);
        EXPECT_EQ(selected(), all) << "mode " << mode;
        grid->DeselectAllRows();
    }
    // A range over all records also takes in the records added later.
    grid->SetRecordSelection(rseBookmarkRange);
    grid->SelectAllRows(false);
    table->AppendRecord({Variant(21), Variant("N21"), Variant(0)});
    EXPECT_TRUE(grid->IsRecordSelected(Variant(BookmarkOf(21))));
}

TEST_F(DBGridRecord, ScanOfASelectionSetReportsItsStagesAndMayBeCancelled) {
    Fill(8);
    Bind();
    table->Locate("ID", Variant(7), {});
    grid->SetRecordSelection(rseBookmarkSet);
    std::string log;
    std::string cancelAt;
    grid->OnScanRecords = [&](TObject* sender, bool scanAll, TgrScanState state, Integer count, bool& cancel) {
        EXPECT_FALSE(scanAll);
        EXPECT_EQ(static_cast<TgrCustomDBGrid*>(sender)->ScanningRecords(), state != scsEnd);
        std::string step = std::to_string(int(state)) + ":" + std::to_string(count);
        log += (log.empty() ? "" : " ") + step;
        if (step == cancelAt) cancel = true;
    };
    grid->SelectRows(Variant(BookmarkOf(4)), Variant(BookmarkOf(2)), true);
    EXPECT_EQ(log, "0:0 1:1 1:2 1:3 2:1 2:2 2:3 3:3");
    EXPECT_TRUE(grid->IsRecordSelected(Variant(BookmarkOf(3))));
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 7);
    EXPECT_FALSE(grid->ScanningRecords());

    // Cancelled while applying or while walking: the set stays as it was.
    struct Case {
        std::string cancelAt, log;
    } cases[] = {{"2:2", "0:0 1:1 1:2 1:3 2:1 2:2 3:0"}, {"1:2", "0:0 1:1 1:2 3:0"}, {"0:0", "0:0"}};
    for (const Case& c : cases) {
        log.clear();
        cancelAt = c.cancelAt;
        grid->SelectRows(Variant(BookmarkOf(6)), Variant(BookmarkOf(8)), true);
        EXPECT_EQ(log, c.log) << c.cancelAt;
        for (int id : {6, 7, 8}) EXPECT_FALSE(grid->IsRecordSelected(Variant(BookmarkOf(id)))) << c.cancelAt;
        EXPECT_TRUE(grid->IsRecordSelected(Variant(BookmarkOf(2)))) << c.cancelAt;
        EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 7);
    }
    // The empty bookmark (the new record's) in a run is no select-all.
    cancelAt.clear();
    grid->SelectRows(Variant(std::string()), Variant(BookmarkOf(8)), true);
    EXPECT_FALSE(grid->IsRecordSelected(Variant(BookmarkOf(1))));
}

TEST_F(DBGridRecord, WhileRecordsAreScannedTheCursorIsLeftToTheApplication) {
    Fill(8);
    Bind();
    grid->SetRecordSelection(rseBookmarkSet);
    // The pointer over a column border, where the grid shows its split
    // cursor.
    TPoint border(grid->CellPixels(1, 0).Right - 1, 5);
    auto hover = [&] {
        QWidget* w = grid->Widget();
        QPointF at(border.X, border.Y);
        QMouseEvent e(QEvent::MouseMove, at, w->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
        return w->cursor().shape();
    };
    ASSERT_EQ(hover(), Qt::SplitHCursor);
    std::string shapes;
    TgrScanState failAt = scsEnd;
    grid->OnScanRecords = [&](TObject*, bool, TgrScanState state, Integer, bool&) {
        if (state == scsEnd) return;
        shapes += hover() == Qt::SplitHCursor ? "s" : "-";
        if (state == failAt) throw Exception("the scan failed");
    };
    grid->SelectRows(Variant(BookmarkOf(4)), Variant(BookmarkOf(2)), true);
    EXPECT_EQ(shapes, "-------") << "start, three records, three applied";
    EXPECT_EQ(hover(), Qt::SplitHCursor);
    // An error in any stage of the scan ends it: the grid's cursors are back.
    for (TgrScanState stage : {scsStart, scsRecord, scsApplied}) {
        failAt = stage;
        EXPECT_THROW(grid->SelectRows(Variant(BookmarkOf(6)), Variant(BookmarkOf(8)), true), Exception) << stage;
        EXPECT_FALSE(grid->ScanningRecords()) << stage;
        EXPECT_EQ(hover(), Qt::SplitHCursor) << stage;
    }
}

TEST_F(DBGridRecord, PaintShowsTheCellColourAndTheCurrentRecordIndicator) {
    Fill(3);
    Bind();
    table->Next();
    grid->SetCellColor(2, Variant(BookmarkOf(3)), kRed);
    // The draw-information event names the record it paints.
    std::string first = BookmarkOf(1);
    grid->OnGetDrawInfo = [&](TObject*, Integer col, const Variant& row, TgrDrawInfo& info) {
        if (col == 1 && row.AsString() == first) info.Color = TColor(0xFF0000);
    };
    grid->Repaint();
    const QImage& img = grid->Surface();
    TRect cell = grid->CellPixels(2, 3);
    QRgb inside = img.pixel(cell.Right - 3, cell.Bottom - 3);
    EXPECT_EQ(qRed(inside), 255);
    EXPECT_EQ(qGreen(inside), 0);
    TRect blue = grid->CellPixels(1, 1);
    EXPECT_EQ(qBlue(img.pixel(blue.Right - 3, blue.Bottom - 3)), 255);
    EXPECT_EQ(qRed(img.pixel(blue.Right - 3, blue.Bottom - 3)), 0);
    // The indicator: dark pixels in the row bar of the current record only.
    auto darkInRowBar = [&](Integer displayRow) {
        TRect bar = grid->CellPixels(0, displayRow);
        int dark = 0;
        for (int y = bar.Top; y < bar.Bottom; ++y)
            for (int x = bar.Left; x < bar.Right; ++x)
                if (qGray(img.pixel(x, y)) < 64) ++dark;
        return dark;
    };
    EXPECT_GT(darkInRowBar(2), 4);
    EXPECT_EQ(darkInRowBar(1), 0);
    EXPECT_EQ(darkInRowBar(3), 0);
}

TEST_F(DBGridRecord, PaintCellHandlerPaintsTheRecordsItChoosesAndTheGridTheRest) {
    Fill(3);
    Bind();
    table->Last();
    std::vector<std::string> seen;
    grid->OnPaintCell = [&](TObject* sender, Integer col, const Variant& row, const TRect& rect,
                            TgrPaintCellState state, bool& cancel) {
        auto* g = static_cast<TgrCustomDBGrid*>(sender);
        if (col != 2) return;
        if (!row.IsString()) {  // the heading
            EXPECT_TRUE(state & PaintCellBit(pcsFixed));
            return;
        }
        // The dataset stands on the record painted.
        int id = g->DataSet()->FieldByName("ID")->AsInteger();
        seen.push_back(std::to_string(id) + (row.AsString() == BookmarkOf(id) ? "" : "?"));
        if (id != 2) return;
        g->Canvas()->Brush()->SetColor(kRed);
        g->Canvas()->FillRect(rect);
        cancel = true;
    };
    grid->Repaint();
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(table->FieldByName("ID")->AsInteger(), 3);
    const QImage& img = grid->Surface();
    TRect painted = grid->CellPixels(2, 2), plain = grid->CellPixels(2, 1);
    EXPECT_EQ(img.pixel(painted.Left + 3, painted.Top + 3), qRgb(255, 0, 0));
    EXPECT_NE(img.pixel(plain.Left + 3, plain.Top + 3), qRgb(255, 0, 0));
}

TEST_F(DBGridRecord, RowLoadedFiresOncePerRecordInAPaint) {
    Fill(3);
    Bind();
    std::vector<std::string> rows;
    grid->OnRowLoaded = [&](TObject*, const Variant& row) { rows.push_back(row.AsString()); };
    grid->Repaint();
    EXPECT_EQ(rows, (std::vector<std::string>{BookmarkOf(1), BookmarkOf(2), BookmarkOf(3)}));
}

}  // namespace

namespace {

TEST_F(DBGridRecord, RowsSelectedOnScreenStayWithTheirRecordsWhenTheWindowScrolls) {
    Fill(30);
    Bind();
    grid->SelectDisplayRows(1, 2);
    EXPECT_TRUE(grid->IsRecordSelected(Variant(BookmarkOf(1))));
    EXPECT_TRUE(grid->IsRecordSelected(Variant(BookmarkOf(2))));
    EXPECT_FALSE(grid->IsRecordSelected(Variant(BookmarkOf(3))));
    // Scrolled away, the rows on screen show other, unselected records.
    table->Last();
    EXPECT_FALSE(grid->IsRecordSelected(grid->DataRowOfRow(1)));
    EXPECT_FALSE(grid->IsDisplayRowSelected(1));
    table->First();
    EXPECT_TRUE(grid->IsRecordSelected(grid->DataRowOfRow(2)));
    grid->DeselectAllRows();
    EXPECT_FALSE(grid->IsRecordSelected(Variant(BookmarkOf(1))));
}

}  // namespace
