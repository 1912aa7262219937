#include "grid/TSDateTimeDef.h"

#include <algorithm>

void TgrDateTimeLink::Attach(TgrDateTimeDefComponent* comp) {
    if (comp) comp->AddLink(this);
}

void TgrDateTimeLink::Detach(TgrDateTimeDefComponent* comp) {
    if (comp) comp->RemoveLink(this, false);
}

TgrDateTimeDefComponent::~TgrDateTimeDefComponent() {
    NotifyLinks();
    links_.clear();
    linkCounts_.clear();
}

void TgrDateTimeDefComponent::AddLink(TgrDateTimeLink* link) {
    auto it = std::find(links_.begin(), links_.end(), link);
    if (it != links_.end()) {
        ++linkCounts_[std::size_t(it - links_.begin())];
        return;
    }
    links_.push_back(link);
    linkCounts_.push_back(1);
}

void TgrDateTimeDefComponent::RemoveLink(TgrDateTimeLink* link, bool all) {
    auto it = std::find(links_.begin(), links_.end(), link);
    if (it == links_.end()) return;
    std::size_t i = std::size_t(it - links_.begin());
    if (--linkCounts_[i] <= 0 || all) {
        links_.erase(links_.begin() + std::ptrdiff_t(i));
        linkCounts_.erase(linkCounts_.begin() + std::ptrdiff_t(i));
    }
}

void TgrDateTimeDefComponent::NotifyLinks() {
    // A copy: a link may detach itself while it is told.
    std::vector<TgrDateTimeLink*> links = links_;
    for (TgrDateTimeLink* link : links)
        if (std::find(links_.begin(), links_.end(), link) != links_.end()) link->DateTimeDefRemoved(this);
}

Integer TgrDateTimeDefComponent::AttachCount(const TgrDateTimeLink* link) const {
    auto it = std::find(links_.begin(), links_.end(), link);
    return it == links_.end() ? 0 : linkCounts_[std::size_t(it - links_.begin())];
}
