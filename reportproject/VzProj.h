#pragma once
// The project manager and reports, as far as the component model needs
// them: the project root with its active report and units factor, and the
// lookup of a component by a dotted name.

#include <string>

#include "reportproject/VzClass.h"

class TVizeReport : public TVizeProjectItem {
    VIZE_CLASS(TVizeReport)
public:
    explicit TVizeReport(TComponent* owner);
};

class TVizeProjectManager : public TVizeProjectItem {
    VIZE_CLASS(TVizeProjectManager)
public:
    explicit TVizeProjectManager(TComponent* owner);

    TVizeReport* ActiveReport() const { return activeReport_; }
    void SetActiveReport(TVizeReport* report) { activeReport_ = report; }
    // Project units per inch (1 at creation); values of 0 or less are
    // ignored.
    double UnitsFactor() const { return unitsFactor_; }
    void SetUnitsFactor(double value);

    // "Owner.Name" or "Name" (a leading "." is ignored). The owner is a page
    // of the active report, a child of the project or the project itself;
    // the short name is searched among that owner's components, then the
    // project's, then matched against the project's own name. Null when
    // nothing matches.
    TVizeComponent* FindVizeComponent(const std::string& name, TComponent* defaultOwner) const;

protected:
    void Notification(TComponent* component, TOperation operation) override;

private:
    TVizeReport* activeReport_ = nullptr;
    double unitsFactor_ = 1.0;
};
