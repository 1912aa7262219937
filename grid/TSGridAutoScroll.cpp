// A drag held past the scrolling area scrolls by itself. The mouse move
// that finds the pointer past an edge runs a local loop: one step brings
// the drag to the edge of the view, then, each time the scroll-speed delay
// has run out, the view moves one column or row and the drag follows (row,
// column and cell-range selections, column and row moves).
//
// The loop handles the window system's events between its steps, so the
// window repaints, and runs timers only while it waits out a delay. Input
// for the grid is held back instead: a mouse message for the grid ends the
// loop and is handled after it (the next move outside the area starts a
// new loop); Esc ends the loop and is used up by it, so the drag goes on.
// Other keys wait until the loop ends.
// The loop never waits for ever: it ends when the view cannot scroll
// further, and a clock that does not move while it waits ends it too.

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "grid/TSGrid.h"
#include "platform/core/Clock.h"

// The event watch of one running loop: an application-wide filter for its
// lifetime, holding back the input it takes and posting it again at its end.
class TgrBaseGrid::AutoScrollLoop : public QObject {
public:
    explicit AutoScrollLoop(TgrBaseGrid& grid)
        : widget_(grid.Widget()), start_(grid.lastMouse_), status_(grid.mouseStatus_) {
        if (auto* app = QCoreApplication::instance()) app->installEventFilter(this);
    }
    ~AutoScrollLoop() override {
        if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
        // The held messages are handled after the loop, in their order.
        for (auto& held : held_)
            if (held.first) QCoreApplication::postEvent(held.first, held.second.release());
    }
    AutoScrollLoop(const AutoScrollLoop&) = delete;
    AutoScrollLoop& operator=(const AutoScrollLoop&) = delete;

    bool Ended() const { return ended_; }
    TPoint Start() const { return start_; }
    TgrMouseStatus Status() const { return status_; }

    // Between steps that need no wait only what is already queued is
    // handled; timers run while the loop waits out a delay.
    void Pump() {
        if (QCoreApplication::instance()) QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
    }
    // Handles events, waiting for them up to ms milliseconds; True when the
    // whole time passed without an event.
    bool Wait(Integer ms) {
        if (!QCoreApplication::instance()) return true;
        bool fired = false;
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [&fired] { fired = true; });
        timer.start(int(std::clamp<Integer>(ms, 1, 1000)));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return fired;
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* e) override {
        switch (e->type()) {
            case QEvent::MouseMove:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
                if (receiver != widget_.data()) return false;
                ended_ = true;
                break;
            case QEvent::KeyPress:
                // A key reaches its window first, then the focused widget:
                // taken once, at the widget.
                if (!receiver->isWidgetType()) return false;
                if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
                    ended_ = true;
                    return true;
                }
                break;
            case QEvent::KeyRelease:
                if (!receiver->isWidgetType() || static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) return false;
                break;
            default: return false;
        }
        held_.emplace_back(QPointer<QObject>(receiver), std::unique_ptr<QEvent>(e->clone()));
        return true;
    }

private:
    QPointer<QWidget> widget_;
    TPoint start_;
    TgrMouseStatus status_;
    bool ended_ = false;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

// ------------------------------------------------------------ the decisions

bool TgrBaseGrid::CheckDragAutoScroll(Integer x, Integer y, Integer& col, Integer& row) {
    if (!HasWindow()) return false;
    TGridLayout_ts l;
    ComputeLayout(l);
    bool rowDrag = mouseStatus_ == msRowSelect;
    if (y >= ClientHeight() && l.Vert.LastFullCell >= FixedRowTotal()) {
        if (autoScrollHold_) return true;
        if (TopRow() >= GetMaxTopRow()) return false;
        // The row drag's first step: its end to the last row shown.
        if (rowDrag) DragRowEndTo(std::min<Integer>(l.Vert.LastFullCell, Rows()));
        RunDragAutoScroll(2, row, col);
        if (row < 0 || row > RowTotal() - 1) row = RowTotal() - 1;
        return true;
    }
    Integer firstScrolling = EnterableFrom(true, FixedRowTotal() - 1, 1);
    if (y < l.Vert.FixedEnd && firstScrolling >= 1 && firstScrolling < TopRow()) {
        // A selection within the fixed rows stays there.
        bool inFixed = (gridStatus_ == gsCellsSelected && cellRange_.Bottom < FixedRowTotal()) ||
                       (gridStatus_ == gsRowsSelected && rowSelection_->Count() > 0 &&
                        rowSelection_->Last() < FixedRowTotal());
        if (inFixed) {
            autoScrollHold_ = false;
            return false;
        }
        if (autoScrollHold_) return true;
        if (rowDrag) {
            // The first step: the end to the enterable row above the view.
            Integer above = EnterableFrom(true, TopRow(), -1);
            if (curDisplayRow_ >= TopRow() && rowSelectMode_ != rsMulti) above = TopRow();
            DragRowEndTo(std::max<Integer>(above, 1));
        }
        RunDragAutoScroll(3, row, col);
        if (row < 0 || row > RowTotal() - 1) row = 1;
        return true;
    }
    autoScrollHold_ = false;
    return false;
}

bool TgrBaseGrid::CheckColAutoScroll(Integer x, Integer y, Integer& col, Integer& row) {
    if (!HasWindow()) return false;
    TGridLayout_ts l;
    ComputeLayout(l);
    if (x >= ClientWidth() && l.Horz.LastFullCell >= FixedColTotal()) {
        if (autoScrollHold_) return true;
        if (TopLeftCell().Col >= GetMaxLeftCol()) return false;
        RunDragAutoScroll(0, row, col);
        if (col < 0 || col > ColTotal() - 1) col = ColTotal() - 1;
        return true;
    }
    Integer firstScrolling = EnterableFrom(false, FixedColTotal() - 1, 1);
    if (x < l.Horz.FixedEnd && firstScrolling >= 1 && firstScrolling < TopLeftCell().Col) {
        bool inFixed = (gridStatus_ == gsCellsSelected && cellRange_.Right < FixedColTotal()) ||
                       (gridStatus_ == gsColsSelected && colSelection_->Count() > 0 &&
                        colSelection_->Last() < FixedColTotal());
        if (inFixed) {
            autoScrollHold_ = false;
            return false;
        }
        if (autoScrollHold_) return true;
        RunDragAutoScroll(1, row, col);
        if (col < 0 || col > ColTotal() - 1) col = 1;
        return true;
    }
    autoScrollHold_ = false;
    return false;
}

void TgrBaseGrid::ClampDragPoint(Integer x, Integer y, Integer& row, Integer& col, Integer& pointY,
                                 Integer& pointX) {
    TCellCoord_ts cell = DataCellNear(x, y);
    row = cell.Row;
    col = cell.Col;
    pointX = x;
    pointY = y;
    if (!HasWindow()) return;
    TGridLayout_ts l;
    ComputeLayout(l);
    // Only where the cells end inside the client area: past them lies
    // nothing to scroll to.
    if (x >= l.Horz.GridEnd && l.Horz.GridEnd < l.Horz.ClientExtent) {
        col = ColTotal() - 1;
        pointX = l.Horz.GridEnd;
    }
    if (y >= l.Vert.GridEnd && l.Vert.GridEnd < l.Vert.ClientExtent) {
        row = RowTotal() - 1;
        pointY = l.Vert.GridEnd;
    }
}

// ------------------------------------------------------------ the loop

void TgrBaseGrid::RunDragAutoScroll(Integer dir, Integer& row, Integer& col) {
    if (autoScrollLoop_ || !HasWindow()) return;
    {
        AutoScrollLoop loop(*this);
        autoScrollLoop_ = &loop;
        struct Forget {
            AutoScrollLoop*& loop;
            ~Forget() { loop = nullptr; }
        } forget{autoScrollLoop_};
        scrollDelayStart_ = 0;
        switch (dir) {
            case 0: AutoScrollRight(); break;
            case 1: AutoScrollLeft(); break;
            case 2: AutoScrollDown(); break;
            default: AutoScrollUp(); break;
        }
    }
    TCellCoord_ts cell = MouseCoord(lastMouse_.X, lastMouse_.Y);
    row = cell.Row;
    col = cell.Col;
}

bool TgrBaseGrid::AutoScrollGoesOn(Integer axis) {
    AutoScrollLoop* loop = autoScrollLoop_;
    if (!loop) return false;
    for (;;) {
        loop->Pump();
        if (loop->Ended() || mouseStatus_ != loop->Status() || !HasWindow()) return false;
        TPoint p = lastMouse_;
        if ((axis != 1 && p.X != loop->Start().X) || (axis != 0 && p.Y != loop->Start().Y)) return false;
        TPoint screen = ClientToScreen(p);
        if (ScrollDelayElapsed(screen.X, screen.Y, axis)) return true;
        UInt64 now = CurrentClock().TickMs();
        Integer left = ScrollDelayFor(screen.X, screen.Y, axis) - Integer(now - scrollDelayStart_);
        if (loop->Wait(std::max<Integer>(left, 1)) && CurrentClock().TickMs() == now) return false;
    }
}

void TgrBaseGrid::AutoScrollRight() {
    TGridLayout_ts l;
    ComputeLayout(l);
    Integer y = lastMouse_.Y;
    switch (mouseStatus_) {
        case msColMove: MoveScrollRight(); break;
        case msColSelect: DragSelectScrollRight(); break;
        case msCellSelect:
            if (y >= ClientHeight()) CellDragScrollRightDown();
            else if (y < l.Vert.FixedEnd) CellDragScrollRightUp();
            else CellDragScrollRight();
            break;
        default: break;
    }
}

void TgrBaseGrid::AutoScrollLeft() {
    TGridLayout_ts l;
    ComputeLayout(l);
    Integer y = lastMouse_.Y;
    switch (mouseStatus_) {
        case msColMove: MoveScrollLeft(); break;
        case msColSelect: DragSelectScrollLeft(); break;
        case msCellSelect:
            if (y >= ClientHeight()) CellDragScrollLeftDown();
            else if (y >= l.Vert.FixedEnd) CellDragScrollLeft();
            else CellDragScrollLeftUp();
            break;
        default: break;
    }
}

void TgrBaseGrid::AutoScrollDown() {
    TGridLayout_ts l;
    ComputeLayout(l);
    TPoint p = lastMouse_;
    switch (mouseStatus_) {
        case msRowMove: MoveScrollDown(); break;
        case msRowSelect:
            // The first step ran in the check that started the loop.
            while (AutoScrollGoesOn(1) && DragSelectScrollDown(p.X, p.Y)) Update();
            break;
        case msCellSelect:
            if (p.X >= ClientWidth()) CellDragScrollRightDown();
            else if (p.X >= l.Horz.FixedEnd) CellDragScrollDown();
            else CellDragScrollLeftDown();
            break;
        default: break;
    }
}

void TgrBaseGrid::AutoScrollUp() {
    TGridLayout_ts l;
    ComputeLayout(l);
    TPoint p = lastMouse_;
    switch (mouseStatus_) {
        case msRowMove: MoveScrollUp(); break;
        case msRowSelect: {
            bool more = true;
            while (more && AutoScrollGoesOn(1)) {
                more = DragSelectScrollUp(p.X, p.Y);
                Update();
            }
            // At the top the end goes to the row under the pointer.
            if (!more && mouseStatus_ == msRowSelect) DragRowEndTo(DataCellNear(p.X, p.Y).Row);
            break;
        }
        case msCellSelect:
            if (p.X >= ClientWidth()) CellDragScrollRightUp();
            else if (p.X >= l.Horz.FixedEnd) CellDragScrollUp();
            else CellDragScrollLeftUp();
            break;
        default: break;
    }
}

// ------------------------------------------------------------ row drags

bool TgrBaseGrid::DragSelectScrollDown(Integer x, Integer y) {
    if (TopRow() >= GetMaxTopRow()) return false;
    TGridLayout_ts l;
    ComputeLayout(l);
    // The first row not shown whole, against the anchor.
    Integer edge = l.Vert.LastFullCell + 1;
    bool stepped;
    switch (CompareToCurrentRow(edge)) {
        case 1: stepped = DragSelectStepDown(x, y); break;
        case -1: stepped = rowSelectMode_ == rsMulti ? DragSelectStepDownReverse(x, y) : DragSelectStepDown(x, y); break;
        default:
            stepped = DragSelectStepDown(x, y);
            InvalidateRow(curDisplayRow_);
            break;
    }
    return stepped;
}

bool TgrBaseGrid::DragSelectStepDown(Integer, Integer) {
    Integer lastEnterable = EnterableFrom(true, RowTotal(), -1);
    if (lastEnterable < 1 || TopRow() >= GetMaxTopRow()) return false;
    SetTopLeft(TopLeftCell().Col, TopRow() + 1);
    TGridLayout_ts l;
    ComputeLayout(l);
    // The row that came into view at the bottom (not the insert row).
    Integer b = std::min<Integer>({l.Vert.LastFullCell, lastEnterable, Rows()});
    if (rowSelectMode_ != rsMulti || rowDragEnd_ < b) DragRowEndTo(b);
    CheckCurrentCellChanged();
    return true;
}

bool TgrBaseGrid::DragSelectStepDownReverse(Integer, Integer) {
    if (TopRow() >= GetMaxTopRow()) return false;
    SetTopLeft(TopLeftCell().Col, TopRow() + 1);
    TGridLayout_ts l;
    ComputeLayout(l);
    // The anchor lies below the view: the end waits just past it, so the
    // rows that scrolled out above are given back.
    DragRowEndTo(std::min<Integer>(l.Vert.LastFullCell + 1, curDisplayRow_));
    return true;
}

bool TgrBaseGrid::DragSelectScrollUp(Integer, Integer) {
    Integer e = EnterableFrom(true, TopRow(), -1);
    if (e < 1 || e < FixedRowTotal()) return false;
    if (rowSelectMode_ == rsMulti && curDisplayRow_ > e) RowDragStepUp(e);
    else if (curDisplayRow_ == e) {
        SetTopLeft(TopLeftCell().Col, e);
        DragRowEndTo(TopRow());
    } else {
        RowDragStepUpSingle(e);
    }
    return EnterableFrom(true, TopRow(), -1) >= std::max<Integer>(FixedRowTotal(), 1);
}

void TgrBaseGrid::RowDragStepUp(Integer row) {
    if (row < rowDragEnd_) DragRowEndTo(row);
    SetTopLeft(TopLeftCell().Col, row);
}

void TgrBaseGrid::RowDragStepUpSingle(Integer row) {
    SetTopLeft(TopLeftCell().Col, row);
    if (rowSelectMode_ == rsMulti) {
        // The anchor lies above the view: the end waits above the top row.
        Integer above = EnterableFrom(true, TopRow(), -1);
        DragRowEndTo(std::max(above >= 1 ? above : TopRow(), curDisplayRow_));
    } else {
        DragRowEndTo(std::max<Integer>(row, 1));
        CheckCurrentCellChanged();
    }
}

// ------------------------------------------------------------ column drags

void TgrBaseGrid::DragSelectScrollRight() {
    TGridLayout_ts l;
    ComputeLayout(l);
    DragColEndTo(l.Horz.LastFullCell);
    while (TopLeftCell().Col < GetMaxLeftCol() && AutoScrollGoesOn(0)) {
        ComputeLayout(l);
        Integer edge = l.Horz.LastFullCell + 1;
        if (curDisplayCol_ < edge) ColDragStepRight();
        else if (curDisplayCol_ > edge) ColDragStepRightReverse();
        else {
            ColDragStepRight();
            InvalidateCol(curDisplayCol_);
        }
        Update();
    }
}

void TgrBaseGrid::ColDragStepRight() {
    if (TopLeftCell().Col >= GetMaxLeftCol()) return;
    SetTopLeft(TopLeftCell().Col + 1, TopRow());
    TGridLayout_ts l;
    ComputeLayout(l);
    if (colDragEnd_ < l.Horz.LastFullCell) DragColEndTo(l.Horz.LastFullCell);
}

void TgrBaseGrid::ColDragStepRightReverse() {
    SetTopLeft(TopLeftCell().Col + 1, TopRow());
    TGridLayout_ts l;
    ComputeLayout(l);
    // The anchor lies right of the view: the end waits just past the view.
    DragColEndTo(std::min<Integer>(l.Horz.LastFullCell + 1, curDisplayCol_));
}

void TgrBaseGrid::DragSelectScrollLeft() {
    Integer e = EnterableFrom(false, TopLeftCell().Col, -1);
    Integer first = std::max<Integer>(FixedColTotal(), 1);
    if (e >= first) DragColEndTo(e);
    bool more = e >= first;
    while (more && AutoScrollGoesOn(0)) {
        if (curDisplayCol_ > e) ColDragStepLeft(e);
        else if (curDisplayCol_ < e) ColDragStepLeftReverse(e);
        else {
            SetTopLeft(e, TopRow());
            DragColEndTo(TopLeftCell().Col);
        }
        Update();
        e = EnterableFrom(false, TopLeftCell().Col, -1);
        more = e >= first;
    }
    // At the fixed columns the end goes to the column under the pointer.
    if (!more && mouseStatus_ == msColSelect) DragColEndTo(DataCellNear(lastMouse_.X, lastMouse_.Y).Col);
}

void TgrBaseGrid::ColDragStepLeft(Integer col) {
    if (col < colDragEnd_) DragColEndTo(col);
    SetTopLeft(col, TopRow());
}

void TgrBaseGrid::ColDragStepLeftReverse(Integer col) {
    SetTopLeft(col, TopRow());
    // The anchor lies left of the view: the end waits left of it.
    Integer before = EnterableFrom(false, TopLeftCell().Col, -1);
    DragColEndTo(std::max(before >= 1 ? before : TopLeftCell().Col, curDisplayCol_));
}

// ------------------------------------------------------------ cell ranges

void TgrBaseGrid::CellDragScrollRight() { CellDragScrollBy(1, 0); }
void TgrBaseGrid::CellDragScrollLeft() { CellDragScrollBy(-1, 0); }
void TgrBaseGrid::CellDragScrollUp() { CellDragScrollBy(0, -1); }
void TgrBaseGrid::CellDragScrollDown() { CellDragScrollBy(0, 1); }
void TgrBaseGrid::CellDragScrollRightUp() { CellDragScrollBy(1, -1); }
void TgrBaseGrid::CellDragScrollRightDown() { CellDragScrollBy(1, 1); }
void TgrBaseGrid::CellDragScrollLeftUp() { CellDragScrollBy(-1, -1); }
void TgrBaseGrid::CellDragScrollLeftDown() { CellDragScrollBy(-1, 1); }

// The range reaches one column (row) past the view's edge in the direction
// of the loop, the other coordinate following the pointer; each step scrolls
// the axes that can and stretches the range along.
void TgrBaseGrid::CellDragScrollBy(Integer dx, Integer dy) {
    auto canScroll = [this](Integer step, bool cols) {
        Integer first = cols ? TopLeftCell().Col : TopRow();
        if (step > 0) return first < (cols ? GetMaxLeftCol() : GetMaxTopRow());
        if (step < 0) {
            Integer before = cols ? EnterableFrom(false, first, -1) : EnterableFrom(true, first, -1);
            return before >= std::max<Integer>(cols ? FixedColTotal() : FixedRowTotal(), 1);
        }
        return false;
    };
    auto extend = [this, dx, dy] {
        TGridLayout_ts l;
        ComputeLayout(l);
        TCellCoord_ts under = DataCellNear(lastMouse_.X, lastMouse_.Y);
        TCellCoord_ts top = TopLeftCell();
        Integer col = dx > 0   ? std::min<Integer>(ColTotal() - 1, l.Horz.LastFullCell + 1)
                      : dx < 0 ? std::max<Integer>(top.Col - 1, std::max<Integer>(FixedColTotal(), 1))
                               : under.Col;
        Integer row = dy > 0   ? std::min<Integer>(RowTotal() - 1, l.Vert.LastFullCell + 1)
                      : dy < 0 ? std::max<Integer>(top.Row - 1, std::max<Integer>(FixedRowTotal(), 1))
                               : under.Row;
        ExtendCellRange(col, row);
    };
    Integer axis = dx != 0 && dy != 0 ? 2 : dx != 0 ? 0 : 1;
    extend();
    Update();
    bool ended = false;
    while (!ended) {
        bool h = canScroll(dx, true), v = canScroll(dy, false);
        if (!h && !v) break;
        if (!AutoScrollGoesOn(axis)) {
            ended = true;
            break;
        }
        TCellCoord_ts top = TopLeftCell();
        SetTopLeft(h ? (dx > 0 ? top.Col + 1 : EnterableFrom(false, top.Col, -1)) : top.Col,
                   v ? (dy > 0 ? top.Row + 1 : EnterableFrom(true, top.Row, -1)) : top.Row);
        extend();
        Update();
    }
    // The view's end: the range goes to the cell under the pointer.
    if (!ended && mouseStatus_ == msCellSelect) {
        TCellCoord_ts under = DataCellNear(lastMouse_.X, lastMouse_.Y);
        ExtendCellRange(under.Col, under.Row);
    }
}

// ------------------------------------------------------------ moves

void TgrBaseGrid::MoveScrollLeft() { MoveScrollBy(true, -1); }
void TgrBaseGrid::MoveScrollRight() { MoveScrollBy(true, 1); }
void TgrBaseGrid::MoveScrollUp() { MoveScrollBy(false, -1); }
void TgrBaseGrid::MoveScrollDown() { MoveScrollBy(false, 1); }

// While the view scrolls the drop place is the column (row) just past the
// view's edge, where no marker shows; at the end of the scrolling it is the
// first scrolling or the last enterable one, marked.
void TgrBaseGrid::MoveScrollBy(bool cols, Integer step) {
    auto first = [this, cols] { return cols ? TopLeftCell().Col : TopRow(); };
    Integer fixedEnd = std::max<Integer>(cols ? FixedColTotal() : FixedRowTotal(), 1);
    Integer firstEnterable = cols ? EnterableFrom(false, fixedEnd - 1, 1) : EnterableFrom(true, fixedEnd - 1, 1);
    Integer lastEnterable = cols ? EnterableFrom(false, ColTotal(), -1)
                                 : std::min<Integer>(EnterableFrom(true, RowTotal(), -1), Rows());
    auto canScroll = [&] {
        return step > 0 ? first() < (cols ? GetMaxLeftCol() : GetMaxTopRow()) : first() > firstEnterable;
    };
    auto pastEdge = [&] {
        if (step < 0) return first() - 1;
        TGridLayout_ts l;
        ComputeLayout(l);
        return std::min<Integer>((cols ? l.Horz : l.Vert).LastFullCell + 1, lastEnterable);
    };
    if (dropMarkerShown_) ToggleDropMarker();
    if (canScroll()) moveToIndex_ = pastEdge();
    while (canScroll() && AutoScrollGoesOn(cols ? 0 : 1)) {
        if (cols) SetTopLeft(first() + step, TopRow());
        else SetTopLeft(TopLeftCell().Col, first() + step);
        Update();
        moveToIndex_ = pastEdge();
    }
    if (!canScroll()) {
        moveToIndex_ = step > 0 ? lastEnterable : first();
        if (!dropMarkerShown_) ToggleDropMarker();
    }
}
