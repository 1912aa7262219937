#pragma once
// Mask definitions shared by grids on a form, and the link through which a
// grid (or its edit box) refers to them. The definitions component is a
// shell in this system: its operations are supplied by a descendant, and no
// window places one, so a grid's mask link normally stays empty.

#include <string>

#include "platform/core/Component.h"
#include "platform/core/Exception.h"
#include "platform/core/Variant.h"

// Mask failures, raised by the grid.
class EtsMaskError : public Exception { using Exception::Exception; };

class TgrMaskLink;

class TgrMaskDefsComponent : public TComponent {
public:
    using TComponent::TComponent;
    // Remembers the link and sets the link's component to this one.
    virtual void AddLink(TgrMaskLink* link) = 0;
    // Forgets the link and clears the link's component.
    virtual void RemoveLink(TgrMaskLink* link) = 0;
    // The mask definition of that name (a string variant), or none.
    virtual TObject* FindMask(const Variant& name) = 0;
};

class TgrMaskLink : public TPersistent {
public:
    TgrMaskLink() = default;
    // Detaches from the definitions first.
    ~TgrMaskLink() override;
    TgrMaskLink(const TgrMaskLink&) = delete;
    TgrMaskLink& operator=(const TgrMaskLink&) = delete;

    TgrMaskDefsComponent* MaskDefs() const { return MaskDefsComponent; }
    // Nothing when comp is already attached; otherwise the attached
    // component removes the link and comp (when not none) adds it.
    void SetMaskDefs(TgrMaskDefsComponent* comp);
    // None for an empty name or without definitions.
    TObject* FindMask(const std::string& name);

    // Notifications from the definitions; the grid's links override them.
    virtual void MaskDefsChanged() {}
    virtual void MaskDefsRemoved() {}

    // Set and cleared by the definitions component's AddLink and RemoveLink.
    TgrMaskDefsComponent* MaskDefsComponent = nullptr;
};
