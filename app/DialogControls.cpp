#include "app/DialogControls.h"

#include "platform/gui/ComCtrls.h"
#include "platform/gui/Controls.h"

bool TDialogControl::Visible() const { return control_ ? control_->Visible() : visible_; }

void TDialogControl::SetVisible(bool visible) {
    visible_ = visible;
    if (control_) control_->SetVisible(visible);
}

bool TDialogControl::Enabled() const { return control_ ? control_->Enabled() : enabled_; }

void TDialogControl::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (control_) control_->SetEnabled(enabled);
}

std::string TDialogControl::Text() const { return control_ ? control_->Text() : text_; }

void TDialogControl::SetText(const std::string& text) {
    text_ = text;
    if (control_) control_->SetText(text);
}

void TDialogControl::Bind(TControl* control) {
    control_ = control;
    if (!control_) return;
    visible_ = control_->Visible();
    enabled_ = control_->Enabled();
    text_ = control_->Text();
}

bool TDialogProgress::Visible() const { return bar_ ? bar_->Visible() : visible_; }

void TDialogProgress::SetVisible(bool visible) {
    visible_ = visible;
    if (bar_) bar_->SetVisible(visible);
}

int TDialogProgress::Max() const { return bar_ ? bar_->Max() : max_; }

void TDialogProgress::SetMax(int max) {
    max_ = max;
    if (bar_) bar_->SetMax(max);
}

int TDialogProgress::Position() const { return bar_ ? bar_->Position() : position_; }

void TDialogProgress::SetPosition(int position) {
    position_ = position;
    if (bar_) bar_->SetPosition(position);
}

void TDialogProgress::Repaint() {
    if (bar_) bar_->Repaint();
}

void TDialogProgress::Bind(TProgressBar* bar) {
    bar_ = bar;
    if (!bar_) return;
    visible_ = bar_->Visible();
    max_ = bar_->Max();
    position_ = bar_->Position();
}
