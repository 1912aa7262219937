#include "platform/gui/Menus.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

#include "platform/gui/Controls.h"

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
    if (parent_) parent_->Remove(this);
    for (TMenuItem* i : std::vector<TMenuItem*>(items_)) {
        i->parent_ = nullptr;
        if (!i->Owner()) delete i;
    }
    delete submenu_;
    delete action_;
}

void TMenuItem::SetCaption(const std::string& c) {
    caption_ = c;
    Sync();
}

void TMenuItem::SetChecked(bool c) {
    if (c && radioItem_ && parent_) {
        for (TMenuItem* sibling : parent_->items_)
            if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_) {
                sibling->checked_ = false;
                sibling->Sync();
            }
    }
    checked_ = c;
    Sync();
}

void TMenuItem::SetEnabled(bool e) {
    enabled_ = e;
    Sync();
}

void TMenuItem::SetVisible(bool v) {
    visible_ = v;
    Sync();
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
    if (!item) return;
    if (item->parent_) item->parent_->Remove(item);
    index = std::clamp(index, 0, Count());
    items_.insert(items_.begin() + index, item);
    item->parent_ = this;
}

void TMenuItem::Delete(int index) {
    TMenuItem* item = items_.at(std::size_t(index));
    items_.erase(items_.begin() + index);
    item->parent_ = nullptr;
    delete item;
}

void TMenuItem::Remove(TMenuItem* item) {
    items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
    if (item) item->parent_ = nullptr;
}

void TMenuItem::Clear() {
    while (!items_.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(TMenuItem* item) const {
    auto it = std::find(items_.begin(), items_.end(), item);
    return it == items_.end() ? -1 : int(it - items_.begin());
}

void TMenuItem::Click() {
    if (!enabled_) return;
    if (autoCheck_) SetChecked(!checked_);
    if (OnClick) OnClick(this);
}

void TMenuItem::Sync() {
    if (!action_) return;
    action_->setText(QString::fromStdString(caption_));
    action_->setSeparator(IsLine());
    action_->setCheckable(checked_ || autoCheck_ || radioItem_);
    action_->setChecked(checked_);
    action_->setEnabled(enabled_);
    action_->setVisible(visible_);
}

QAction* TMenuItem::Action() {
    if (!action_) {
        action_ = new QAction;
        QObject::connect(action_, &QAction::triggered, action_, [this] { DispatchGuarded([this] { Click(); }); });
    }
    Sync();
    if (!items_.empty()) {
        if (!submenu_) submenu_ = new QMenu;
        submenu_->clear();
        FillMenu(submenu_);
        action_->setMenu(submenu_);
    }
    return action_;
}

void TMenuItem::FillMenu(QMenu* menu) {
    for (TMenuItem* i : items_) menu->addAction(i->Action());
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner) {}

TPopupMenu::~TPopupMenu() { delete menu_; }

void TPopupMenu::Popup(int x, int y) {
    if (OnPopup) OnPopup(this);
    if (!menu_) menu_ = new QMenu;
    menu_->clear();
    items_.FillMenu(menu_);
    menu_->popup(QPoint(x, y));
}
