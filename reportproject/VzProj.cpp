#include "reportproject/VzProj.h"

#include "platform/core/Strings.h"

TVizeClassRef TVizeReport::StaticClass() {
    static const TVizeClass cls("TVizeReport", TVizeProjectItem::StaticClass(),
                                [](TComponent* owner) { return new TVizeReport(owner); }, true);
    return &cls;
}

TVizeReport::TVizeReport(TComponent* owner) : TVizeProjectItem(owner) { SetReportRef(this); }

TVizeClassRef TVizeProjectManager::StaticClass() {
    static TVizeClass* cls = [] {
        auto* c = new TVizeClass("TVizeProjectManager", TVizeProjectItem::StaticClass(),
                                 [](TComponent* owner) { return new TVizeProjectManager(owner); }, true);
        TVizeProps<TVizeProjectManager>(*c).Float("UnitsFactor", &TVizeProjectManager::UnitsFactor,
                                                  &TVizeProjectManager::SetUnitsFactor);
        return c;
    }();
    return cls;
}

TVizeProjectManager::TVizeProjectManager(TComponent* owner) : TVizeProjectItem(owner) {
    SetProjectRef(this);
    SetReportRef(nullptr);
}

void TVizeProjectManager::SetUnitsFactor(double value) {
    if (value > 0) unitsFactor_ = value;
}

void TVizeProjectManager::Notification(TComponent* component, TOperation operation) {
    TVizeProjectItem::Notification(component, operation);
    if (operation == opRemove && component == activeReport_) activeReport_ = nullptr;
}

TVizeComponent* TVizeProjectManager::FindVizeComponent(const std::string& name, TComponent* defaultOwner) const {
    std::string full = name;
    if (!full.empty() && full[0] == '.') full.erase(0, 1);
    auto* self = const_cast<TVizeProjectManager*>(this);

    const TComponent* owner = nullptr;
    std::string shortName;
    const auto dot = full.find('.');
    if (dot == std::string::npos) {
        owner = defaultOwner ? defaultOwner : self;
        shortName = full;
    } else {
        const std::string ownerName = full.substr(0, dot);
        shortName = full.substr(dot + 1);
        if (activeReport_) {
            for (int i = 0; i < activeReport_->ChildCount() && !owner; ++i) {
                auto* page = dynamic_cast<TVizePage*>(activeReport_->GetChild(i));
                if (page && SameText(page->Name(), ownerName)) owner = page;
            }
        }
        for (int i = 0; i < ChildCount() && !owner; ++i) {
            TVizeComponent* child = GetChild(i);
            if (child && SameText(child->Name(), ownerName)) owner = child;
        }
        if (!owner && SameText(Name(), ownerName)) owner = self;
        if (!owner) return nullptr;
    }

    if (auto* found = dynamic_cast<TVizeComponent*>(owner->FindComponent(shortName))) return found;
    if (auto* found = dynamic_cast<TVizeComponent*>(FindComponent(shortName))) return found;
    if (SameText(Name(), shortName)) return self;
    return nullptr;
}
