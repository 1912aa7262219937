#pragma once
// Date-time definitions shared by grids, columns, rows and cells, and the
// link through which a grid keeps count of its references to them. The
// definition component keeps its links with a count per link and tells them
// when it goes away.

#include <vector>

#include "platform/core/Component.h"
#include "platform/core/Types.h"

class TgrDateTimeDefComponent;

class TgrDateTimeLink : public TPersistent {
public:
    TgrDateTimeLink() = default;
    TgrDateTimeLink(const TgrDateTimeLink&) = delete;
    TgrDateTimeLink& operator=(const TgrDateTimeLink&) = delete;

    // One more (Attach) or one less (Detach) reference to the component;
    // nothing for none.
    virtual void Attach(TgrDateTimeDefComponent* comp);
    virtual void Detach(TgrDateTimeDefComponent* comp);

    // The component is going away; the grid's link overrides this.
    virtual void DateTimeDefRemoved(TgrDateTimeDefComponent* comp) {}
};

class TgrDateTimeDefComponent : public TComponent {
public:
    using TComponent::TComponent;
    // Notifies every link (in list order) before the lists go.
    ~TgrDateTimeDefComponent() override;

    // Counts one more attachment of link (appending it with count 1).
    void AddLink(TgrDateTimeLink* link);
    // Counts one attachment less; the link is dropped when all is set or
    // its count reaches 0. Nothing for a link that is not in the list.
    void RemoveLink(TgrDateTimeLink* link, bool all);
    void NotifyLinks();

    Integer LinkCount() const { return static_cast<Integer>(links_.size()); }
    // How often link is attached (0 when it is not).
    Integer AttachCount(const TgrDateTimeLink* link) const;

private:
    std::vector<TgrDateTimeLink*> links_;
    std::vector<Integer> linkCounts_;
};
