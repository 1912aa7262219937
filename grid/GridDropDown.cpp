#include "grid/GridDropDown.h"

#include <algorithm>
#include <vector>

#include <QApplication>
#include <QObject>
#include <QWidget>

#include "grid/TSGrid.h"

TgrDropDownForm::TgrDropDownForm(TgrBaseGrid* owner) : TForm(owner) {
    SetBorderStyle(bsNone);
    CreateParams();
}

void TgrDropDownForm::SetDropDownStyle(bool value) {
    if (value == dropDownStyle_) return;
    dropDownStyle_ = value;
    CreateParams();
}

void TgrDropDownForm::CreateParams() {
    QWidget* w = Widget();
    if (!w) return;
    bool shown = w->isVisible();
    if (dropDownStyle_) {
        // A tool window: no caption, border or task-bar entry, and it does
        // not take the activation from the grid's form when shown.
        w->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
        w->setAttribute(Qt::WA_ShowWithoutActivating, true);
    } else {
        w->setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        w->setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
    // Changing the flags hides the window; it is made again as it was.
    if (shown) w->show();
}

namespace {

// The grids with an open drop-down, in the order they registered.
std::vector<TgrBaseGrid*>& DropDownGrids() {
    static std::vector<TgrBaseGrid*> grids;
    return grids;
}

// Sees every event of the application while a drop-down is open.
class TgrDropDownHooks : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // Another program becoming active counts as another window.
        if (event->type() == QEvent::ApplicationDeactivate) DropDownActivateHook(QEvent::WindowActivate, nullptr);
        if (!watched->isWidgetType()) return false;
        auto* w = static_cast<QWidget*>(watched);
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonDblClick:
            case QEvent::NonClientAreaMouseButtonPress: DropDownMouseHook(event->type(), w); break;
            case QEvent::WindowActivate: DropDownActivateHook(event->type(), w); break;
            default: break;
        }
        return false;
    }
};

TgrDropDownHooks*& Hooks() {
    static TgrDropDownHooks* hooks = nullptr;
    return hooks;
}

void InstallHooks() {
    if (Hooks() || !qApp) return;
    Hooks() = new TgrDropDownHooks;
    qApp->installEventFilter(Hooks());
}

void RemoveHooks() {
    TgrDropDownHooks* hooks = std::exchange(Hooks(), nullptr);
    if (!hooks) return;
    if (qApp) qApp->removeEventFilter(hooks);
    delete hooks;
}

}  // namespace

void RegisterDropDownGrid(TgrBaseGrid* grid) {
    if (!grid) return;
    InstallHooks();
    auto& grids = DropDownGrids();
    if (std::find(grids.begin(), grids.end(), grid) == grids.end()) grids.push_back(grid);
}

void UnregisterDropDownGrid(TgrBaseGrid* grid) {
    auto& grids = DropDownGrids();
    grids.erase(std::remove(grids.begin(), grids.end(), grid), grids.end());
    if (grids.empty()) RemoveHooks();
}

bool DropDownHooksInstalled() { return Hooks() != nullptr; }

bool IsDropDownGridRegistered(const TgrBaseGrid* grid) {
    const auto& grids = DropDownGrids();
    return std::find(grids.begin(), grids.end(), grid) != grids.end();
}

void DropDownMouseHook(QEvent::Type type, QWidget* target) {
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::NonClientAreaMouseButtonPress)
        return;
    // A copy: closing a drop-down unregisters its grid.
    std::vector<TgrBaseGrid*> grids = DropDownGrids();
    for (auto it = grids.rbegin(); it != grids.rend(); ++it) {
        TgrBaseGrid* grid = *it;
        if (!IsDropDownGridRegistered(grid)) continue;
        if (grid->IsOwnWindow(target) || grid->IsDesigning()) return;
        grid->CloseDropDowns();
    }
}

void DropDownActivateHook(QEvent::Type type, QWidget* target) {
    if (type != QEvent::WindowActivate) return;
    std::vector<TgrBaseGrid*> grids = DropDownGrids();
    for (TgrBaseGrid* grid : grids) {
        if (!IsDropDownGridRegistered(grid) || grid->IsDesigning()) continue;
        // The grid's own form or drop-down becoming active is no other window.
        QWidget* own = grid->Widget() ? grid->Widget()->window() : nullptr;
        if (target && (target->window() == own || grid->IsOwnWindow(target))) continue;
        grid->CloseDropDowns();
    }
}
