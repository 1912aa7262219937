#pragma once
// Actions: commands a menu item or a button triggers without knowing who
// carries them out.
//
// An action with an OnExecute (OnUpdate) handler runs that handler. An
// action without one is offered to the program's action targets, the
// focused control first and then its form: each target's
// TComponent::ExecuteAction (UpdateAction) decides whether it takes the
// action, usually by asking the action whether it handles that target
// (HandlesTarget) and then letting it work on the target (ExecuteTarget,
// UpdateTarget). A data-aware control passes the offer on to its data link,
// so "next record" moves the dataset of the focused grid.
//
// The window layer installs the list of targets (SetActionTargets); without
// it, and for targets that decline, an action without a handler does
// nothing and Execute answers False.

#include <functional>
#include <string>
#include <vector>

#include "platform/core/Component.h"

class TBasicAction : public TComponent {
public:
    explicit TBasicAction(TComponent* owner) : TComponent(owner) {}

    // Whether this action can work on target; the base handles nothing.
    virtual bool HandlesTarget(TObject* target) { return false; }
    // Works on a target HandlesTarget accepted.
    virtual void ExecuteTarget(TObject* target) {}
    // Brings the action's state (enabled, checked) in line with a target.
    virtual void UpdateTarget(TObject* target) {}

    // Works on (takes its state from) target when the action handles it;
    // True when it did. What a target's ExecuteAction (UpdateAction) does
    // by default.
    bool ExecuteOn(TObject* target);
    bool UpdateOn(TObject* target);

    // OnExecute when assigned, else the offer to the action targets. True
    // when the handler or a target took the action.
    virtual bool Execute();
    // OnUpdate when assigned, else the offer to the action targets.
    virtual bool Update();

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;
};

// An action with the state a menu item or button shows.
class TCustomAction : public TBasicAction {
public:
    explicit TCustomAction(TComponent* owner) : TBasicAction(owner) {}

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value) { caption_ = value; }

    // Updates first; a disabled action does nothing and answers False.
    bool Execute() override;

private:
    bool enabled_ = true;
    std::string caption_;
};

// The components an action without a handler is offered to, in order.
using TActionTargetsFunc = std::function<std::vector<TComponent*>()>;
void SetActionTargets(TActionTargetsFunc targets);
std::vector<TComponent*> ActionTargets();
