// The grid's window side: parent and name, dialog codes and accelerators,
// font changes, size changes and its two timers.
#include <QWidget>
#include <cctype>

#include "grid/GridControl.h"
#include "grid/TSGrid.h"
#include "platform/gui/Forms.h"

void TgrBaseGrid::SetName(const std::string& name) {
    if (IsReading() && readingLayout_) return;  // a layout never renames the grid
    TComponent::SetName(name);
}

void TgrBaseGrid::SetParent(TWinControl* parent) {
    TCustomGrid_ts::SetParent(parent);
    AttachCellControls();
    if (parent) CreateWnd();
}

void TgrBaseGrid::CreateWnd() {
    AttachCellControls();
    ChangeCurrentCell(curDisplayCol_, curDisplayRow_);
    if (activeControl_ && activeControl_->GetVisible()) HideActiveControl(false);
    editSelectMode_ = 0;
    RefreshCellControl();
    UpdateScrollBars();
}

unsigned TgrBaseGrid::DialogCode(bool ctrlDown) {
    unsigned code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if ((IsEditMode() || ShowsFocus()) && wantTabs_ && !ctrlDown) code |= DLGC_WANTTAB;
    return code;
}

bool TgrBaseGrid::DialogChar(char ch) {
    if (!CanTakeFocus()) return false;
    Integer dataCol = FindHeadingAccelerator(ch);
    if (!dataCol) return false;
    DoHeadingClick(dataCol);
    return true;
}

void TgrBaseGrid::ApplyFont() {
    TCustomGrid_ts::ApplyFont();
    GridFontChanged();
}

void TgrBaseGrid::GridFontChanged() {
    if (!gridCols_ || !gridRows_ || !cellProps_) return;  // still constructing
    // The copies follow without turning into the user's own fonts.
    for (Integer i = 0; i < fontCols_.Count(); ++i)
        if (TgrCol* c = gridCols_->ColAt(fontCols_[i])) c->FollowGridFont();
    for (Integer i = 0; i < fontRows_.Count(); ++i)
        if (TgrRow* r = gridRows_->GetRow(fontRows_[i])) r->FollowGridFont();
    RefreshKeptCellFonts();
    if (dropDownForm_) dropDownForm_->Font()->Assign(*Font());
    canvasNeedsPriming_ = true;
    Invalidate();
}

bool TgrBaseGrid::RefreshKeptCellFonts() {
    if (!cellProps_) return false;
    bool any = false;
    Integer index = 0, col = 0, row = 0;
    while (fontCells_.NextPair(index, col, row))
        if (TgrCellElement* e = cellProps_->FindCell(col, row)) {
            e->GridFontChanged();
            any = true;
        }
    return any;
}

void TgrBaseGrid::ParentFontChanged() {
    TCustomGrid_ts::ParentFontChanged();
    if (Parent()) ParentFontChangedTo(*Parent()->Font());
}

void TgrBaseGrid::ParentFontChangedTo(const TFont& font) {
    if (!headingParentFont_ || !headingFont_) return;
    headingFont_->Assign(font);
    headingParentFont_ = true;  // the copy follows the parent still
}

void TgrBaseGrid::BoundsChanged() {
    TCustomGrid_ts::BoundsChanged();
    bool sized = Width() != lastWidth_ || Height() != lastHeight_;
    lastWidth_ = Width();
    lastHeight_ = Height();
    if (sized && !ComponentState().Contains(csLoading)) DoResize();
    UpdateScrollBars();
}

// ---------------------------------------------------------------- timers

void TgrBaseGrid::StartGridTimer(Integer id, bool restart, Integer interval) {
    if (id < AutoScrollTimerId || id > HotButtonTimerId) return;
    TTimer*& t = timers_[id - 1];
    if (t && t->Enabled() && !restart) return;
    if (!t) {
        t = new TTimer(this);
        t->OnTimer = [this, id](TObject*) {
            if (id == SpinTimerId) ButtonRepeatTick();
            else TrackHotButton();
        };
    }
    t->SetEnabled(false);
    t->SetInterval(Cardinal(interval));
    t->SetEnabled(true);
}

bool TgrBaseGrid::KillGridTimer(Integer id) {
    if (id < AutoScrollTimerId || id > HotButtonTimerId) return false;
    TTimer* t = timers_[id - 1];
    bool running = t && t->Enabled();
    if (t) t->SetEnabled(false);
    return running;
}

bool TgrBaseGrid::GridTimerRunning(Integer id) const {
    if (id < AutoScrollTimerId || id > HotButtonTimerId) return false;
    return timers_[id - 1] && timers_[id - 1]->Enabled();
}

Integer TgrBaseGrid::GridTimerInterval(Integer id) const {
    if (!GridTimerRunning(id)) return 0;
    return Integer(timers_[id - 1]->Interval());
}

void TgrBaseGrid::StartSpinTimer(bool first) {
    if (GridTimerRunning(SpinTimerId)) return;
    spinStart_ = first;
    StartGridTimer(SpinTimerId, false, first ? spinStartDelay_ : spinRepeatDelay_);
}

void TgrBaseGrid::SwitchSpinTimerToRepeat() {
    if (!GridTimerRunning(SpinTimerId) || !spinStart_) return;
    spinStart_ = false;
    StartGridTimer(SpinTimerId, true, spinRepeatDelay_);
}



void TgrBaseGrid::LockPaint(bool unlock) {
    if (!unlock)
        ++paintLock_;
    else if (paintLock_ > 0)
        --paintLock_;
    ApplyRedraw();
    if (!HasWindow()) return;
    if (paintLock_ == 0) {
        Invalidate();
        Update();
    }
}
