#include "platform/core/Actions.h"

namespace {

TActionTargetsFunc& Targets() {
    static TActionTargetsFunc targets;
    return targets;
}

}  // namespace

void SetActionTargets(TActionTargetsFunc targets) { Targets() = std::move(targets); }

std::vector<TComponent*> ActionTargets() { return Targets() ? Targets()() : std::vector<TComponent*>(); }

bool TBasicAction::ExecuteOn(TObject* target) {
    if (!HandlesTarget(target)) return false;
    ExecuteTarget(target);
    return true;
}

bool TBasicAction::UpdateOn(TObject* target) {
    if (!HandlesTarget(target)) return false;
    UpdateTarget(target);
    return true;
}

bool TBasicAction::Execute() {
    if (OnExecute) {
        OnExecute(this);
        return true;
    }
    for (TComponent* target : ActionTargets())
        if (target && target->ExecuteAction(this)) return true;
    return false;
}

bool TBasicAction::Update() {
    if (OnUpdate) {
        OnUpdate(this);
        return true;
    }
    for (TComponent* target : ActionTargets())
        if (target && target->UpdateAction(this)) return true;
    return false;
}

bool TCustomAction::Execute() {
    Update();
    return enabled_ && TBasicAction::Execute();
}
