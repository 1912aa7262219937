#include "reportproject/VzTypeInfo.h"

#include <map>

#include "platform/core/Strings.h"

TVizeClass::TVizeClass(std::string name, TVizeClassRef parent, std::function<TPersistent*(TComponent*)> construct,
                       bool isComponent)
    : name_(std::move(name)), parent_(parent), construct_(std::move(construct)), isComponent_(isComponent) {}

bool TVizeClass::InheritsFrom(TVizeClassRef other) const {
    for (TVizeClassRef c = this; c; c = c->parent_)
        if (c == other) return true;
    return false;
}

std::vector<const TVizePropInfo*> TVizeClass::PropList() const {
    std::vector<const TVizePropInfo*> list = parent_ ? parent_->PropList() : std::vector<const TVizePropInfo*>{};
    for (const auto& p : props_) {
        bool replaced = false;
        for (auto& q : list) {
            if (SameText(q->Name, p.Name)) {
                q = &p;
                replaced = true;
                break;
            }
        }
        if (!replaced) list.push_back(&p);
    }
    return list;
}

const TVizePropInfo* TVizeClass::FindProp(const std::string& name) const {
    for (TVizeClassRef c = this; c; c = c->parent_)
        for (const auto& p : c->props_)
            if (SameText(p.Name, name)) return &p;
    return nullptr;
}

void TVizeClass::AddProp(TVizePropInfo info) {
    for (auto& p : props_) {
        if (SameText(p.Name, info.Name)) {
            p = std::move(info);
            return;
        }
    }
    props_.push_back(std::move(info));
}

namespace {

std::map<std::string, TVizeClassRef>& ClassRegistry() {
    static std::map<std::string, TVizeClassRef> registry;
    return registry;
}

}  // namespace

void RegisterVizeClass(TVizeClassRef cls) {
    if (cls) ClassRegistry()[UpperCase(cls->Name())] = cls;
}

void RegisterVizeClassAlias(const std::string& alias, TVizeClassRef cls) {
    if (cls && !alias.empty()) ClassRegistry()[UpperCase(alias)] = cls;
}

TVizeClassRef FindVizeClass(const std::string& name) {
    const auto it = ClassRegistry().find(UpperCase(name));
    return it == ClassRegistry().end() ? nullptr : it->second;
}

void UnregisterVizeClass(TVizeClassRef cls) {
    if (!cls) return;
    const auto it = ClassRegistry().find(UpperCase(cls->Name()));
    if (it != ClassRegistry().end() && it->second == cls) ClassRegistry().erase(it);
}

TVizeClassRef TVizePersistent::StaticClass() {
    static const TVizeClass cls("TVizePersistent", nullptr, nullptr, false);
    return &cls;
}
