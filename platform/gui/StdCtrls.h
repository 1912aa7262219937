#pragma once
// Standard controls: label, button, check box, radio button, group box,
// edit, memo, list box and combo box.
//
// Notification rules follow the platform: a check box's or radio button's
// OnClick also fires when Checked is set in code; a list box's OnClick and
// a combo box's OnChange fire only for the user's choice, not when code
// sets ItemIndex; an edit's OnChange fires for every change of its text.

#include <memory>
#include <string>

#include "platform/core/StringList.h"
#include "platform/gui/Controls.h"

class QLabel;
class QPushButton;
class QCheckBox;
class QRadioButton;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QListWidget;
class QComboBox;

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TLabel : public TControl {
public:
    explicit TLabel(TComponent* owner);
    // Sized to the text when set (the default).
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool a);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);
    TTextLayout Layout() const { return layout_; }
    void SetLayout(TTextLayout l);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool w);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool t);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool s);
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* c) { focusControl_ = c; }
    void ApplyFont() override;

protected:
    void CaptionChanged() override;
    void BoundsChanged() override;

private:
    QLabel* Label() const;
    void AdjustBounds();
    void ApplyAlignment();
    bool autoSize_ = true;
    bool adjusting_ = false;
    TAlignment alignment_ = taLeftJustify;
    TTextLayout layout_ = tlTop;
    bool wordWrap_ = false;
    bool transparent_ = false;
    bool showAccelChar_ = true;
    TWinControl* focusControl_ = nullptr;
};

class TButtonControl : public TWinControl {
public:
    using TWinControl::TWinControl;
};

class TButton : public TButtonControl {
public:
    explicit TButton(TComponent* owner);
    // Return in the form clicks the default button; Escape the cancel one.
    bool Default() const { return default_; }
    void SetDefault(bool d);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool c) { cancel_ = c; }
    // A button with a modal result ends its form's modal loop with it after
    // OnClick has run (also when OnClick raised).
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult r) { modalResult_ = r; }
    void Click() override;

protected:
    explicit TButton(TComponent* owner, QPushButton* widget);
    void CaptionChanged() override;
    bool WantsKey(Word16 key) const override { return key == VK_RETURN; }
    QPushButton* Button() const;

private:
    void Connect();
    bool default_ = false;
    bool cancel_ = false;
    TModalResult modalResult_ = mrNone;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TButtonControl {
public:
    explicit TCheckBox(TComponent* owner);
    bool Checked() const { return State() == cbChecked; }
    void SetChecked(bool c) { SetState(c ? cbChecked : cbUnchecked); }
    TCheckBoxState State() const;
    void SetState(TCheckBoxState s);
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool a);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment a);

protected:
    void CaptionChanged() override;

private:
    QCheckBox* Box() const;
    bool allowGrayed_ = false;
    TAlignment alignment_ = taRightJustify;
};

class TRadioButton : public TButtonControl {
public:
    explicit TRadioButton(TComponent* owner);
    bool Checked() const;
    // Checking one unchecks the radio buttons beside it (same parent).
    void SetChecked(bool c);

protected:
    void CaptionChanged() override;

private:
    QRadioButton* Radio() const;
};

class TGroupBox : public TWinControl {
public:
    explicit TGroupBox(TComponent* owner);

protected:
    void CaptionChanged() override;
};

enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);
    // 0: no limit.
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int n);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool r);
    char PasswordChar() const { return passwordChar_; }
    void SetPasswordChar(char c);
    TEditCharCase CharCase() const { return charCase_; }
    void SetCharCase(TEditCharCase c);
    bool Modified() const { return modified_; }
    void SetModified(bool m) { modified_ = m; }
    int SelStart() const;
    void SetSelStart(int s);
    int SelLength() const;
    void SetSelLength(int n);
    std::string SelText() const;
    void SelectAll();
    void Clear() { SetText(""); }

    TNotifyEvent OnChange;

protected:
    void CaptionChanged() override;
    TColor DefaultColor() const override { return clWindow; }

private:
    QLineEdit* Line() const;
    bool syncing_ = false;
    int maxLength_ = 0;
    bool readOnly_ = false;
    char passwordChar_ = 0;
    TEditCharCase charCase_ = ecNormal;
    bool modified_ = false;
};

class TMemo : public TWinControl {
public:
    explicit TMemo(TComponent* owner);
    ~TMemo() override;
    // The lines, read from and written to the control.
    TStrings* Lines() { return lines_.get(); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool r);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle s);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool w);
    bool WantReturns() const { return wantReturns_; }
    void SetWantReturns(bool w) { wantReturns_ = w; }
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int n) { maxLength_ = n; }
    void Clear();
    // The whole text: lines joined with CR LF.
    std::string Text() const override;
    void SetText(const std::string& text) override;

    TNotifyEvent OnChange;

protected:
    bool WantsKey(Word16 key) const override { return key == VK_RETURN && wantReturns_; }
    TColor DefaultColor() const override { return clWindow; }

private:
    friend class TMemoStrings;
    QPlainTextEdit* Edit() const;
    std::unique_ptr<TStrings> lines_;
    bool readOnly_ = false;
    TScrollStyle scrollBars_ = ssNone;
    bool wordWrap_ = true;
    bool wantReturns_ = true;
    int maxLength_ = 0;
};

class TListBox : public TWinControl {
public:
    explicit TListBox(TComponent* owner);
    ~TListBox() override;
    TStrings* Items() { return items_.get(); }
    int Count() const;
    int ItemIndex() const;
    void SetItemIndex(int i);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool m);
    bool Selected(int i) const;
    void SetSelected(int i, bool s);
    int SelCount() const;
    bool Sorted() const { return sorted_; }
    void SetSorted(bool s);
    int TopIndex() const;
    void SetTopIndex(int i);
    void Clear() { items_->Clear(); }

protected:
    TColor DefaultColor() const override { return clWindow; }

private:
    friend class TListWidgetStrings;
    QListWidget* List() const;
    std::unique_ptr<TStrings> items_;
    bool multiSelect_ = false;
    bool sorted_ = false;
    bool syncing_ = false;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboBox : public TWinControl {
public:
    explicit TComboBox(TComponent* owner);
    ~TComboBox() override;
    TStrings* Items() { return items_.get(); }
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle s);
    int ItemIndex() const;
    void SetItemIndex(int i);
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int n);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int n);
    bool Sorted() const { return sorted_; }
    void SetSorted(bool s);
    void Clear();

    // The user picked an item or typed.
    TNotifyEvent OnChange;
    // The user picked an item from the list.
    TNotifyEvent OnSelect;

protected:
    void CaptionChanged() override;
    TColor DefaultColor() const override { return clWindow; }

private:
    friend class TComboStrings;
    QComboBox* Combo() const;
    std::unique_ptr<TStrings> items_;
    TComboBoxStyle style_ = csDropDown;
    int dropDownCount_ = 8;
    int maxLength_ = 0;
    bool sorted_ = false;
    bool syncing_ = false;
};
