#pragma once
// The grid's links to the shared definition components on its form: mask
// definitions, image lists and date-time definitions. Each link knows its
// grid and passes on what the component tells it.

#include <map>

#include "grid/TSDateTimeDef.h"
#include "grid/TSImageList.h"
#include "grid/TSMask.h"

class TgrBaseGrid;

// The grid's mask link: the grid asks it for masks by name; the editor
// has a link of its own, so the grid has nothing to do on a change.
class TgrGridMaskLink : public TgrMaskLink {
public:
    explicit TgrGridMaskLink(TgrBaseGrid* grid) : grid_(grid) {}
    TgrBaseGrid* Grid() const { return grid_; }

private:
    TgrBaseGrid* grid_;
};

// The grid's image link: a changed or removed image list repaints the grid,
// whose picture cells may name its images.
class TgrGridImageLink : public TgrImageLink {
public:
    explicit TgrGridImageLink(TgrBaseGrid* grid) : grid_(grid) {}
    TgrBaseGrid* Grid() const { return grid_; }
    void ImageListChanged() override;
    void ImageListRemoved() override;

private:
    TgrBaseGrid* grid_;
};

// The grid's date-time link, attached once for every reference that the
// grid, a column, a row or a cell holds to a definition component. When the
// component goes away the grid drops every reference to it; a link that
// goes first detaches from every component it is still attached to, so
// that none tells a link that is gone.
class TgrGridDateTimeLink : public TgrDateTimeLink {
public:
    explicit TgrGridDateTimeLink(TgrBaseGrid* grid) : grid_(grid) {}
    ~TgrGridDateTimeLink() override;
    TgrBaseGrid* Grid() const { return grid_; }
    void Attach(TgrDateTimeDefComponent* comp) override;
    void Detach(TgrDateTimeDefComponent* comp) override;
    void DateTimeDefRemoved(TgrDateTimeDefComponent* comp) override;

private:
    TgrBaseGrid* grid_;
    // The components attached to and how often.
    std::map<TgrDateTimeDefComponent*, Integer> attached_;
};
