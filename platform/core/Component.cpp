#include "platform/core/Component.h"

#include <algorithm>

#include "platform/core/Actions.h"

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameAscii(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }

void EraseOne(std::vector<TComponent*>& list, TComponent* item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end()) list.erase(it);
}

const bool g_componentPublished = [] {
    TPublished<TComponent>()
        .String("Name", &TComponent::Name, &TComponent::SetName)
        .Integer("Tag", &TComponent::Tag, &TComponent::SetTag);
    return true;
}();

}  // namespace

bool IsValidIdent(const std::string& name) {
    if (name.empty() || !IsIdentStart(name[0])) return false;
    return std::all_of(name.begin() + 1, name.end(), IsIdentChar);
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    RemoveFreeNotifications();
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
    // Links made while this component was being torn down (by its owned
    // components, for instance) must not outlive it either.
    RemoveFreeNotifications();
}

void TComponent::SetName(const std::string& name) {
    if (name == name_) return;
    if (!name.empty() && !IsValidIdent(name))
        throw EComponentError("'" + name + "' is not a valid component name");
    if (owner_) owner_->ValidateRename(this, name_, name);
    name_ = name;
}

void TComponent::ValidateRename(TComponent* component, const std::string& currentName,
                                const std::string& newName) const {
    if (newName.empty() || SameAscii(currentName, newName)) return;
    TComponent* existing = FindComponent(newName);
    if (existing && existing != component)
        throw EComponentError("A component named " + newName + " already exists");
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    const auto& list = owner_->components_;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameAscii(c->name_, name)) return c;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
    if (!component || component->owner_ == this) return;
    for (const TComponent* c = this; c; c = c->owner_)
        if (c == component) throw EComponentError("A component cannot own itself or its owner");
    ValidateRename(component, std::string(), component->name_);
    if (component->owner_) component->owner_->RemoveComponent(component);
    components_.push_back(component);
    component->owner_ = this;
    if (state_.Contains(csDesigning)) component->SetDesigning(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    if (!component || component->owner_ != this) return;
    Notification(component, opRemove);
    EraseOne(components_, component);
    component->owner_ = nullptr;
}

void TComponent::DestroyComponents() {
    while (!components_.empty()) {
        TComponent* c = components_.back();
        // Removing first tells the remaining components, so none of them
        // keeps a pointer to one that is gone.
        RemoveComponent(c);
        delete c;
    }
}

void TComponent::FreeNotification(TComponent* component) {
    if (!component || component == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
        freeNotifies_.push_back(component);
    auto& theirs = component->freeNotifies_;
    if (std::find(theirs.begin(), theirs.end(), this) == theirs.end()) theirs.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
    if (component) Unlink(component);
}

void TComponent::Unlink(TComponent* other) {
    EraseOne(freeNotifies_, other);
    EraseOne(other->freeNotifies_, this);
}

void TComponent::RemoveFreeNotifications() {
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        Unlink(other);
        // Components of the same owner hear of this one's removal from the
        // owner; telling them here as well would notify them twice.
        if (owner_ && other->owner_ == owner_) continue;
        other->Notification(this, opRemove);
    }
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component) RemoveFreeNotification(component);
    // The list may change while components react; walk it from the end and
    // re-clamp the position each step.
    std::size_t i = components_.size();
    while (i > 0) {
        --i;
        if (i >= components_.size()) {
            i = components_.size();
            continue;
        }
        components_[i]->Notification(component, operation);
    }
}

void TComponent::Destroying() {
    if (state_.Contains(csDestroying)) return;
    state_.Include(csDestroying);
    for (TComponent* c : components_) c->Destroying();
}

void TComponent::SetDesigning(bool value, bool setChildren) {
    if (value)
        state_.Include(csDesigning);
    else
        state_.Exclude(csDesigning);
    if (setChildren)
        for (TComponent* c : components_) c->SetDesigning(value, true);
}

void TComponent::BeginLoading() {
    state_.Include(csLoading);
    state_.Include(csReading);
}

void TComponent::EndLoading() {
    state_.Exclude(csReading);
    Loaded();
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

bool TComponent::ExecuteAction(TBasicAction* action) { return action && action->ExecuteOn(this); }

bool TComponent::UpdateAction(TBasicAction* action) { return action && action->UpdateOn(this); }
