#include "reportproject/VzDesigner.h"

#include <algorithm>
#include <cmath>

#include "reportproject/VzControl.h"

void TVizePageDesigner::SetPixelsPerInch(double value) {
    if (value > 0 && std::isfinite(value)) pixelsPerInch_ = value;
}

int TVizePageDesigner::Pixels(double length) const {
    // Far beyond any canvas: kept within the range of a pixel coordinate.
    constexpr double limit = 1e8;
    double v = length * pixelsPerInch_;
    if (std::isnan(v)) return 0;
    return int(std::lround(std::clamp(v, -limit, limit)));
}

void TVizePageDesigner::ShowHandles(TVizeControl* control, const std::vector<TVizeHandle>& handles) {
    handleOwner_ = control;
    handles_ = handles;
}

void TVizePageDesigner::HideHandles(TVizeControl* control) {
    if (control != handleOwner_) return;
    handleOwner_ = nullptr;
    handles_.clear();
}

void TVizePageDesigner::DragContinues(TVizeControl*, int) {}

TVizeDragRecord TVizePageDesigner::StartDrag(const TVizeControl& control, int handle) {
    return {handle, control.GetBoundsRect()};
}
