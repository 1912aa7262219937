#pragma once
// The widget behind group boxes and radio groups (private to the window
// layer's sources).

#include <QGroupBox>

// Draws the etched frame through the middle of the caption, as the
// programs' forms were laid out for: their first control sits about 16
// pixels from the top, which a frame drawn below the caption would cross.
class GroupFrameWidget : public QGroupBox {
public:
    GroupFrameWidget() = default;
    // The frame's top line: half a caption height down.
    int FrameTop() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
