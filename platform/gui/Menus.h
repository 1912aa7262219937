#pragma once
// Menu items and pop-up menus over QMenu and QAction.

#include <string>
#include <vector>

#include "platform/core/Component.h"
#include "platform/gui/Graphics.h"

class QAction;
class QMenu;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* owner);
    ~TMenuItem() override;

    const std::string& Caption() const { return caption_; }
    // "-" makes a separator.
    void SetCaption(const std::string& c);
    bool Checked() const { return checked_; }
    void SetChecked(bool c);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool e);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool RadioItem() const { return radioItem_; }
    void SetRadioItem(bool r) { radioItem_ = r; }
    bool AutoCheck() const { return autoCheck_; }
    void SetAutoCheck(bool a) { autoCheck_ = a; }
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int g) { groupIndex_ = g; }
    bool IsLine() const { return caption_ == "-"; }

    // Sub-items (the item takes ownership).
    int Count() const { return int(items_.size()); }
    TMenuItem* Items(int index) const { return items_.at(std::size_t(index)); }
    void Add(TMenuItem* item);
    void Insert(int index, TMenuItem* item);
    void Delete(int index);
    void Remove(TMenuItem* item);
    void Clear();
    int IndexOf(TMenuItem* item) const;
    TMenuItem* Parent() const { return parent_; }

    // Runs OnClick (and toggles an auto-check item).
    virtual void Click();

    TNotifyEvent OnClick;

    // The Qt action of the item (built on demand).
    QAction* Action();
    // Fills a Qt menu with the sub-items.
    void FillMenu(QMenu* menu);

private:
    void Sync();
    std::string caption_;
    bool checked_ = false;
    bool enabled_ = true;
    bool visible_ = true;
    bool radioItem_ = false;
    bool autoCheck_ = false;
    int groupIndex_ = 0;
    std::vector<TMenuItem*> items_;
    TMenuItem* parent_ = nullptr;
    QAction* action_ = nullptr;
    QMenu* submenu_ = nullptr;
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* owner);
    ~TPopupMenu() override;
    TMenuItem* Items() { return &items_; }
    // Shows the menu at screen coordinates (OnPopup runs first).
    void Popup(int x, int y);
    TComponent* PopupComponent() const { return popupComponent_; }
    void SetPopupComponent(TComponent* c) { popupComponent_ = c; }
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool a) { autoPopup_ = a; }

    TNotifyEvent OnPopup;

private:
    TMenuItem items_{nullptr};
    TComponent* popupComponent_ = nullptr;
    bool autoPopup_ = true;
    QMenu* menu_ = nullptr;
};
