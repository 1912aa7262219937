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

// With a parent the grid's window is in place: the controls join it and
// the current cell's control shows, its whole text selected.
void TgrBaseGrid::SetParent(TWinControl* parent) {
    TCustomGrid_ts::SetParent(parent);
    AttachCellControls();
    if (!parent) return;
    editSelectMode_ = 0;
    RefreshCellControl();
}

bool TgrBaseGrid::ShowsFocus() {
    return (focusBorder_ != fbNone || focusColor_ != grColorNotSet || focusFontColor_ != grColorNotSet) &&
           gridMode_ != gmListBox && gridStatus_ == gsNormal;
}

unsigned TgrBaseGrid::DialogCode(bool ctrlDown) {
    unsigned code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    if ((IsEditMode() || ShowsFocus()) && wantTabs_ && !ctrlDown) code |= DLGC_WANTTAB;
    return code;
}

namespace {

// The accelerator character of a caption: the character after a single
// "&" ("&&" stands for an ampersand); 0 when there is none.
char AccelCharOf(const std::string& caption) {
    for (std::size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] == '&') {
            ++i;
            continue;
        }
        return caption[i + 1];
    }
    return 0;
}

}  // namespace

bool TgrBaseGrid::DialogChar(char ch) {
    if (!CanTakeFocus()) return false;
    for (Integer p = 1; p < ColTotal(); ++p) {
        TgrCol* col = gridCols_->ColAt(DataColOfDisplay(p));
        if (!col) continue;
        char accel = AccelCharOf(col->GetHeading());
        if (accel && std::toupper(static_cast<unsigned char>(accel)) == std::toupper(static_cast<unsigned char>(ch))) {
            DoHeadingClick(DataColOfDisplay(p));
            return true;
        }
    }
    return false;
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
    Integer index = 0, col = 0, row = 0;
    while (NextCellPair(fontCells_, index, col, row))
        if (TgrCellElement* e = cellProps_->FindCell(col, row)) e->GridFontChanged();
    if (dropDownForm_) dropDownForm_->Font()->Assign(*Font());
    canvasNeedsPriming_ = true;
    Invalidate();
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
    if (id != AutoScrollTimerId && id != SpinTimerId) return;
    TTimer*& t = timers_[id - 1];
    if (t && t->Enabled() && !restart) return;
    if (!t) {
        t = new TTimer(this);
        t->OnTimer = [this, id](TObject*) {
            if (id == AutoScrollTimerId) AutoScrollStep();
            else SpinRepeatStep();
        };
    }
    t->SetEnabled(false);
    t->SetInterval(Cardinal(interval));
    t->SetEnabled(true);
}

bool TgrBaseGrid::KillGridTimer(Integer id) {
    if (id != AutoScrollTimerId && id != SpinTimerId) return false;
    TTimer* t = timers_[id - 1];
    bool running = t && t->Enabled();
    if (t) t->SetEnabled(false);
    return running;
}

bool TgrBaseGrid::GridTimerRunning(Integer id) const {
    if (id != AutoScrollTimerId && id != SpinTimerId) return false;
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
    QWidget* w = Widget();
    if (!w) return;
    w->setUpdatesEnabled(paintLock_ == 0);
    if (paintLock_ == 0) {
        Invalidate();
        Update();
    }
}
