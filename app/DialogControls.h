#pragma once
// A dialog's controls as its logic class sees them. The logic of the
// profiles, test sets and other store dialogs runs without a window in
// tests; there each control is a plain state. The dialog's window binds
// every state to its real control once, in its constructor, and from then
// on the control holds the state: the logic reads and sets the control
// itself, so the two can never disagree.

#include <string>

class TControl;
class TProgressBar;

class TDialogControl {
public:
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    // The caption or, for an edit, the text typed.
    std::string Text() const;
    void SetText(const std::string& text);

    // Hands the state to control, which takes over its current values.
    void Bind(TControl* control);
    TControl* Control() const { return control_; }

private:
    bool visible_ = true;
    bool enabled_ = true;
    std::string text_;
    TControl* control_ = nullptr;
};

class TDialogProgress {
public:
    bool Visible() const;
    void SetVisible(bool visible);
    int Max() const;
    void SetMax(int max);
    int Position() const;
    void SetPosition(int position);
    // Paints the bar at once; long work runs without the message loop.
    void Repaint();

    void Bind(TProgressBar* bar);

private:
    bool visible_ = false;
    int max_ = 100;
    int position_ = 0;
    TProgressBar* bar_ = nullptr;
};
