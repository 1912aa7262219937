#pragma once
// TComponent: named objects owned by other components.
//
// Ownership: a component created with an owner is inserted into the owner's
// list and deleted by the owner's destructor (so owned components must be
// created with new). Deleting a component yourself removes it from its
// owner. Components linked with FreeNotification are told (opRemove) when
// the other one goes away, and both sides forget each other, so no
// dangling pointers remain.
//
// C++ note: ~TComponent runs after the destructors of derived classes. A
// derived class whose owned components still need its own members while
// they are freed should call Destroying() and DestroyComponents() from its
// own destructor.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Object.h"
#include "platform/core/Types.h"

class TBasicAction;

enum TOperation { opInsert, opRemove };

enum TComponentStateItem { csLoading, csReading, csWriting, csDestroying, csDesigning, csUpdating };

// A set of TComponentStateItem.
class TComponentState {
public:
    TComponentState() = default;
    TComponentState(std::initializer_list<TComponentStateItem> items) {
        for (auto i : items) Include(i);
    }
    bool Contains(TComponentStateItem item) const { return (bits_ & Bit(item)) != 0; }
    void Include(TComponentStateItem item) { bits_ |= Bit(item); }
    void Exclude(TComponentStateItem item) { bits_ &= ~Bit(item); }
    bool Empty() const { return bits_ == 0; }
    bool operator==(const TComponentState&) const = default;

private:
    static std::uint32_t Bit(TComponentStateItem item) { return 1u << static_cast<unsigned>(item); }
    std::uint32_t bits_ = 0;
};

class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;

    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }

    const std::string& Name() const { return name_; }
    // Raises EComponentError "'X' is not a valid component name" unless the
    // name is empty or an identifier, and "A component named X already
    // exists" when another component of the same owner has it (compared
    // case-insensitively).
    void SetName(const std::string& name);

    Integer Tag() const { return tag_; }
    void SetTag(Integer tag) { tag_ = tag; }

    // Owned components, in insertion order.
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;
    // Position in the owner's list, or -1 without an owner.
    int ComponentIndex() const;
    // The owned component with that name (case-insensitive), or nullptr.
    TComponent* FindComponent(const std::string& name) const;

    // Takes component over (removing it from a previous owner first); its
    // name must be unique here. Notifies with opInsert.
    void InsertComponent(TComponent* component);
    // Gives component up without deleting it. Notifies with opRemove.
    void RemoveComponent(TComponent* component);
    // Deletes all owned components, last inserted first.
    void DestroyComponents();

    // Asks to be told (Notification(component, opRemove)) when component is
    // freed. The link is mutual: component is told when this one is freed.
    void FreeNotification(TComponent* component);
    void RemoveFreeNotification(TComponent* component);

    const TComponentState& ComponentState() const { return state_; }
    // Marks this component and everything it owns as being destroyed.
    void Destroying();
    // Sets or clears csDesigning on this component and what it owns.
    void SetDesigning(bool value, bool setChildren = true);
    // For streaming: BeginLoading sets csLoading and csReading; EndLoading
    // clears csReading and calls Loaded(), which clears csLoading.
    void BeginLoading();
    void EndLoading();

    // An action offered to this component (Actions.h): the base takes it
    // when the action handles this component as its target, and then lets
    // it work on it (execute) or update its state from it. True when taken.
    virtual bool ExecuteAction(TBasicAction* action);
    virtual bool UpdateAction(TBasicAction* action);

protected:
    // Called when a component is inserted into or removed from the owner
    // of this one (or this one itself), and on free notifications. The
    // default forgets a removed component's free-notification link and
    // passes the notification to every owned component. Overrides must
    // call the inherited version.
    virtual void Notification(TComponent* component, TOperation operation);
    // Called when loading has finished. The default clears csLoading.
    virtual void Loaded();

private:
    void ValidateRename(TComponent* component, const std::string& currentName,
                        const std::string& newName) const;
    void RemoveFreeNotifications();
    void Unlink(TComponent* other);

    TComponent* owner_ = nullptr;
    std::string name_;
    Integer tag_ = 0;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    TComponentState state_;
};

// Whether name is an identifier: a letter or underscore, then letters,
// digits or underscores (ASCII). The empty string is not.
bool IsValidIdent(const std::string& name);
