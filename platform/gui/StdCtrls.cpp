#include "platform/gui/StdCtrls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <algorithm>

#include "platform/gui/Forms.h"
#include "platform/gui/GroupFrame.h"

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

// Keeps the platform's '&' accelerators where Qt understands them too.
QString QtMnemonic(const std::string& s) { return Q(s); }

void CheckIndex(int index, int count) {
    if (index < 0 || index >= count) throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}
}  // namespace

// ------------------------------------------------------------------ label

TLabel::TLabel(TComponent* owner) : TControl(owner) {
    auto* l = new QLabel;
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setContentsMargins(0, 0, 0, 0);
    l->setIndent(0);
    l->setMargin(0);
    SetWidget(l);
    width_ = 65;
    height_ = 13;
    l->resize(width_, height_);
}

QLabel* TLabel::Label() const { return static_cast<QLabel*>(widget_.data()); }

void TLabel::CaptionChanged() {
    Label()->setText(Q(showAccelChar_ ? StripHotkey(caption_) : caption_));
    AdjustBounds();
}

void TLabel::ApplyFont() {
    TControl::ApplyFont();
    AdjustBounds();
}

void TLabel::SetAutoSize(bool a) {
    autoSize_ = a;
    AdjustBounds();
}

void TLabel::SetAlignment(TAlignment a) {
    alignment_ = a;
    ApplyAlignment();
}

void TLabel::SetLayout(TTextLayout l) {
    layout_ = l;
    ApplyAlignment();
}

void TLabel::ApplyAlignment() {
    Qt::Alignment a = alignment_ == taRightJustify ? Qt::AlignRight : alignment_ == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
    a |= layout_ == tlCenter ? Qt::AlignVCenter : layout_ == tlBottom ? Qt::AlignBottom : Qt::AlignTop;
    Label()->setAlignment(a);
}

void TLabel::SetWordWrap(bool w) {
    wordWrap_ = w;
    Label()->setWordWrap(w);
    AdjustBounds();
}

void TLabel::SetTransparent(bool t) {
    transparent_ = t;
    widget_->setAutoFillBackground(!t && colorSet_);
}

void TLabel::SetShowAccelChar(bool s) {
    showAccelChar_ = s;
    CaptionChanged();
}

void TLabel::BoundsChanged() {
    if (wordWrap_ && !adjusting_) AdjustBounds();
}

void TLabel::AdjustBounds() {
    if (!autoSize_ || adjusting_ || !widget_) return;
    adjusting_ = true;
    QFontMetrics m(font_.ToQFont());
    QString text = Label()->text();
    int w, h;
    if (wordWrap_) {
        QRect r = m.boundingRect(QRect(0, 0, std::max(1, width_), 100000), Qt::TextWordWrap, text);
        w = width_;
        h = std::max(r.height(), m.height());
    } else {
        QStringList lines = text.split('\n');
        w = 0;
        for (const QString& line : lines) w = std::max(w, m.horizontalAdvance(line));
        h = m.height() * int(lines.size());
    }
    // Right-aligned labels keep their right edge, as the platform does.
    int left = left_;
    if (!wordWrap_ && alignment_ == taRightJustify) left = left_ + width_ - w;
    SetBounds(left, top_, w, h);
    adjusting_ = false;
}

// ----------------------------------------------------------------- button

TButton::TButton(TComponent* owner) : TButton(owner, new QPushButton) {}

TButton::TButton(TComponent* owner, QPushButton* widget) : TButtonControl(owner) {
    widget->setAutoDefault(false);
    SetWidget(widget);
    width_ = 75;
    height_ = 25;
    widget->resize(width_, height_);
    widget->setFocusPolicy(Qt::StrongFocus);
    Connect();
}

void TButton::Connect() {
    QObject::connect(Button(), &QPushButton::clicked, Button(), [this] { DispatchGuarded([this] { Click(); }); });
}

QPushButton* TButton::Button() const { return static_cast<QPushButton*>(widget_.data()); }

void TButton::CaptionChanged() { Button()->setText(QtMnemonic(caption_)); }

void TButton::SetDefault(bool d) {
    default_ = d;
    Button()->setDefault(d);
}

void TButton::Click() {
    TCustomForm* form = GetParentForm(this);
    TModalResult result = modalResult_;
    // The result ends the dialog whatever the handler did, also if it raised.
    struct Finish {
        TCustomForm* form;
        TModalResult result;
        ~Finish() {
            if (form && result != mrNone) form->SetModalResult(result);
        }
    } finish{form, result};
    TButtonControl::Click();
}

// -------------------------------------------------------------- check box

TCheckBox::TCheckBox(TComponent* owner) : TButtonControl(owner) {
    auto* b = new QCheckBox;
    SetWidget(b);
    width_ = 97;
    height_ = 17;
    b->resize(width_, height_);
    QObject::connect(b, &QCheckBox::stateChanged, b, [this](int) { DispatchGuarded([this] { Click(); }); });
}

QCheckBox* TCheckBox::Box() const { return static_cast<QCheckBox*>(widget_.data()); }

void TCheckBox::CaptionChanged() { Box()->setText(QtMnemonic(caption_)); }

TCheckBoxState TCheckBox::State() const {
    switch (Box()->checkState()) {
        case Qt::Checked: return cbChecked;
        case Qt::PartiallyChecked: return cbGrayed;
        default: return cbUnchecked;
    }
}

void TCheckBox::SetState(TCheckBoxState s) {
    if (s == State()) return;
    if (s == cbGrayed) Box()->setTristate(true);
    {
        QSignalBlocker block(Box());
        Box()->setCheckState(s == cbChecked ? Qt::Checked : s == cbGrayed ? Qt::PartiallyChecked : Qt::Unchecked);
    }
    Click();
}

void TCheckBox::SetAllowGrayed(bool a) {
    allowGrayed_ = a;
    Box()->setTristate(a);
}

void TCheckBox::SetAlignment(TAlignment a) {
    alignment_ = a;
    Box()->setLayoutDirection(a == taLeftJustify ? Qt::RightToLeft : Qt::LeftToRight);
}

// ----------------------------------------------------------- radio button

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) {
    auto* b = new QRadioButton;
    SetWidget(b);
    width_ = 113;
    height_ = 17;
    b->resize(width_, height_);
    QObject::connect(b, &QRadioButton::toggled, b, [this](bool on) {
        if (on) DispatchGuarded([this] { Click(); });
    });
}

QRadioButton* TRadioButton::Radio() const { return static_cast<QRadioButton*>(widget_.data()); }

void TRadioButton::CaptionChanged() { Radio()->setText(QtMnemonic(caption_)); }

bool TRadioButton::Checked() const { return Radio()->isChecked(); }

void TRadioButton::SetChecked(bool c) {
    if (c == Checked()) return;
    if (c) {
        {
            QSignalBlocker block(Radio());
            Radio()->setChecked(true);
        }
        Click();
    } else {
        QSignalBlocker block(Radio());
        Radio()->setAutoExclusive(false);
        Radio()->setChecked(false);
        Radio()->setAutoExclusive(true);
    }
}

// -------------------------------------------------------------- group box

TGroupBox::TGroupBox(TComponent* owner) : TWinControl(owner) {
    auto* g = new GroupFrameWidget;
    SetWidget(g);
    width_ = 185;
    height_ = 105;
    g->resize(width_, height_);
}

void TGroupBox::CaptionChanged() { static_cast<QGroupBox*>(widget_.data())->setTitle(QtMnemonic(caption_)); }

// ------------------------------------------------------------------- edit

TEdit::TEdit(TComponent* owner) : TWinControl(owner) {
    auto* e = new QLineEdit;
    SetWidget(e);
    width_ = 121;
    height_ = 21;
    e->resize(width_, height_);
    QObject::connect(e, &QLineEdit::textChanged, e, [this](const QString& t) {
        if (syncing_) return;
        DispatchGuarded([this, t] {
            std::string s = t.toStdString();
            if (charCase_ != ecNormal) {
                QString c = charCase_ == ecUpperCase ? t.toUpper() : t.toLower();
                if (c != t) {
                    int pos = Line()->cursorPosition();
                    syncing_ = true;
                    Line()->setText(c);
                    Line()->setCursorPosition(pos);
                    syncing_ = false;
                    s = c.toStdString();
                }
            }
            caption_ = s;
            modified_ = true;
            if (OnChange) OnChange(this);
        });
    });
}

QLineEdit* TEdit::Line() const { return static_cast<QLineEdit*>(widget_.data()); }

void TEdit::CaptionChanged() {
    QString t = Q(caption_);
    if (charCase_ == ecUpperCase) t = t.toUpper();
    if (charCase_ == ecLowerCase) t = t.toLower();
    if (maxLength_ > 0 && t.size() > maxLength_) t.truncate(maxLength_);
    caption_ = t.toStdString();
    syncing_ = true;
    Line()->setText(t);
    syncing_ = false;
    if (OnChange) OnChange(this);
}

void TEdit::SetMaxLength(int n) {
    maxLength_ = std::max(0, n);
    Line()->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

void TEdit::SetReadOnly(bool r) {
    readOnly_ = r;
    Line()->setReadOnly(r);
}

void TEdit::SetPasswordChar(char c) {
    passwordChar_ = c;
    Line()->setEchoMode(c ? QLineEdit::Password : QLineEdit::Normal);
}

void TEdit::SetCharCase(TEditCharCase c) {
    charCase_ = c;
    CaptionChanged();
}

int TEdit::SelStart() const {
    return Line()->hasSelectedText() ? Line()->selectionStart() : Line()->cursorPosition();
}

void TEdit::SetSelStart(int s) {
    Line()->deselect();
    Line()->setCursorPosition(s);
}

int TEdit::SelLength() const { return int(Line()->selectedText().size()); }

void TEdit::SetSelLength(int n) { Line()->setSelection(SelStart(), n); }

std::string TEdit::SelText() const { return Line()->selectedText().toStdString(); }

void TEdit::SelectAll() { Line()->selectAll(); }

// ------------------------------------------------------------------- memo

class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TMemo* m) : memo(m) {}
    QPlainTextEdit* E() const { return memo->Edit(); }
    QStringList All() const {
        QString t = E()->toPlainText();
        if (t.isEmpty()) return {};
        return t.split('\n');
    }
    void SetAll(const QStringList& l) {
        E()->setPlainText(l.join('\n'));
    }
    Integer Count() const override { return Integer(All().size()); }
    std::string Get(Integer i) const override {
        QStringList l = All();
        CheckIndex(i, int(l.size()));
        return l[i].toStdString();
    }
    void Put(Integer i, const std::string& s) override {
        QStringList l = All();
        CheckIndex(i, int(l.size()));
        l[i] = Q(s);
        SetAll(l);
    }
    void Insert(Integer i, const std::string& s) override {
        QStringList l = All();
        if (i < 0 || i > l.size()) CheckIndex(i, int(l.size()));
        if (i == l.size()) {
            E()->appendPlainText(Q(s));
            return;
        }
        l.insert(i, Q(s));
        SetAll(l);
    }
    void Delete(Integer i) override {
        QStringList l = All();
        CheckIndex(i, int(l.size()));
        l.removeAt(i);
        SetAll(l);
    }
    void Clear() override { E()->clear(); }
    TMemo* memo;
};

TMemo::TMemo(TComponent* owner) : TWinControl(owner) {
    auto* e = new QPlainTextEdit;
    SetWidget(e);
    width_ = 185;
    height_ = 89;
    e->resize(width_, height_);
    lines_ = std::make_unique<TMemoStrings>(this);
    SetScrollBars(ssNone);
    QObject::connect(e, &QPlainTextEdit::textChanged, e, [this] {
        if (OnChange) DispatchGuarded([this] { OnChange(this); });
    });
}

TMemo::~TMemo() = default;

QPlainTextEdit* TMemo::Edit() const { return static_cast<QPlainTextEdit*>(widget_.data()); }

void TMemo::SetReadOnly(bool r) {
    readOnly_ = r;
    Edit()->setReadOnly(r);
}

void TMemo::SetScrollBars(TScrollStyle s) {
    scrollBars_ = s;
    Edit()->setHorizontalScrollBarPolicy(s == ssHorizontal || s == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    Edit()->setVerticalScrollBarPolicy(s == ssVertical || s == ssBoth ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    // A horizontal scroll bar means long lines are not wrapped.
    if (s == ssHorizontal || s == ssBoth) SetWordWrap(false);
}

void TMemo::SetWordWrap(bool w) {
    wordWrap_ = w;
    Edit()->setLineWrapMode(w ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TMemo::Clear() { Edit()->clear(); }

std::string TMemo::Text() const {
    std::string t = Edit()->toPlainText().toStdString();
    std::string out;
    for (char c : t) {
        if (c == '\n') out += "\r\n";
        else out += c;
    }
    return out;
}

void TMemo::SetText(const std::string& text) {
    std::string t;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            t += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            t += text[i];
        }
    }
    Edit()->setPlainText(Q(t));
}

// --------------------------------------------------------------- list box

namespace {
constexpr int kObjectRole = Qt::UserRole + 1;
}

class TListWidgetStrings : public TStrings {
public:
    explicit TListWidgetStrings(TListBox* b) : box(b) {}
    QListWidget* L() const { return box->List(); }
    Integer Count() const override { return L()->count(); }
    std::string Get(Integer i) const override {
        CheckIndex(i, Count());
        return L()->item(i)->text().toStdString();
    }
    void Put(Integer i, const std::string& s) override {
        CheckIndex(i, Count());
        L()->item(i)->setText(Q(s));
    }
    TObject* GetObject(Integer i) const override {
        CheckIndex(i, Count());
        return reinterpret_cast<TObject*>(L()->item(i)->data(kObjectRole).value<quintptr>());
    }
    void PutObject(Integer i, TObject* o) override {
        CheckIndex(i, Count());
        L()->item(i)->setData(kObjectRole, QVariant::fromValue(reinterpret_cast<quintptr>(o)));
    }
    Integer Add(const std::string& s) override {
        if (!box->Sorted()) return TStrings::Add(s);
        Integer i = 0;
        while (i < Count() && CompareStrings(Get(i), s) <= 0) ++i;
        Insert(i, s);
        return i;
    }
    void Insert(Integer i, const std::string& s) override {
        if (i < 0 || i > Count()) CheckIndex(i, Count());
        QSignalBlocker block(L());
        L()->insertItem(i, Q(s));
    }
    void Delete(Integer i) override {
        CheckIndex(i, Count());
        QSignalBlocker block(L());
        delete L()->takeItem(i);
    }
    void Clear() override {
        QSignalBlocker block(L());
        L()->clear();
    }
    TListBox* box;
};

TListBox::TListBox(TComponent* owner) : TWinControl(owner) {
    auto* l = new QListWidget;
    SetWidget(l);
    width_ = 121;
    height_ = 97;
    l->resize(width_, height_);
    items_ = std::make_unique<TListWidgetStrings>(this);
    QObject::connect(l, &QListWidget::itemSelectionChanged, l, [this] {
        if (!syncing_) DispatchGuarded([this] { Click(); });
    });
}

TListBox::~TListBox() = default;

QListWidget* TListBox::List() const { return static_cast<QListWidget*>(widget_.data()); }

int TListBox::Count() const { return List()->count(); }

int TListBox::ItemIndex() const { return List()->currentRow(); }

void TListBox::SetItemIndex(int i) {
    syncing_ = true;
    QSignalBlocker block(List());
    if (i < 0 || i >= Count()) {
        List()->setCurrentRow(-1);
        List()->clearSelection();
    } else {
        List()->setCurrentRow(i);
    }
    syncing_ = false;
}

void TListBox::SetMultiSelect(bool m) {
    multiSelect_ = m;
    List()->setSelectionMode(m ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
}

bool TListBox::Selected(int i) const {
    CheckIndex(i, Count());
    return List()->item(i)->isSelected();
}

void TListBox::SetSelected(int i, bool s) {
    CheckIndex(i, Count());
    syncing_ = true;
    QSignalBlocker block(List());
    List()->item(i)->setSelected(s);
    syncing_ = false;
}

int TListBox::SelCount() const { return multiSelect_ ? int(List()->selectedItems().size()) : -1; }

void TListBox::SetSorted(bool s) {
    sorted_ = s;
    if (s) {
        QSignalBlocker block(List());
        List()->sortItems();
    }
}

int TListBox::TopIndex() const {
    QListWidgetItem* it = List()->itemAt(2, 2);
    return it ? List()->row(it) : 0;
}

void TListBox::SetTopIndex(int i) {
    if (i >= 0 && i < Count()) List()->scrollToItem(List()->item(i), QAbstractItemView::PositionAtTop);
}

// -------------------------------------------------------------- combo box

class TComboStrings : public TStrings {
public:
    explicit TComboStrings(TComboBox* b) : box(b) {}
    QComboBox* C() const { return box->Combo(); }
    Integer Count() const override { return C()->count(); }
    std::string Get(Integer i) const override {
        CheckIndex(i, Count());
        return C()->itemText(i).toStdString();
    }
    void Put(Integer i, const std::string& s) override {
        CheckIndex(i, Count());
        C()->setItemText(i, Q(s));
    }
    TObject* GetObject(Integer i) const override {
        CheckIndex(i, Count());
        return reinterpret_cast<TObject*>(C()->itemData(i, kObjectRole).value<quintptr>());
    }
    void PutObject(Integer i, TObject* o) override {
        CheckIndex(i, Count());
        C()->setItemData(i, QVariant::fromValue(reinterpret_cast<quintptr>(o)), kObjectRole);
    }
    Integer Add(const std::string& s) override {
        if (!box->Sorted()) return TStrings::Add(s);
        Integer i = 0;
        while (i < Count() && CompareStrings(Get(i), s) <= 0) ++i;
        Insert(i, s);
        return i;
    }
    void Insert(Integer i, const std::string& s) override {
        if (i < 0 || i > Count()) CheckIndex(i, Count());
        box->syncing_ = true;
        QSignalBlocker block(C());
        // A list combo shows no item until one is chosen.
        int current = C()->currentIndex();
        C()->insertItem(i, Q(s));
        if (current < 0) C()->setCurrentIndex(-1);
        else if (i <= current) C()->setCurrentIndex(current + 1);
        box->syncing_ = false;
    }
    void Delete(Integer i) override {
        CheckIndex(i, Count());
        box->syncing_ = true;
        QSignalBlocker block(C());
        C()->removeItem(i);
        box->syncing_ = false;
    }
    void Clear() override {
        box->syncing_ = true;
        QSignalBlocker block(C());
        std::string text = box->caption_;
        C()->clear();
        if (C()->isEditable()) C()->setEditText(Q(text));
        else box->caption_.clear();
        box->syncing_ = false;
    }
    TComboBox* box;
};

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner) {
    auto* c = new QComboBox;
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    SetWidget(c);
    width_ = 145;
    height_ = 21;
    c->resize(width_, height_);
    items_ = std::make_unique<TComboStrings>(this);
    QObject::connect(c, &QComboBox::currentTextChanged, c, [this](const QString& t) {
        if (!syncing_) caption_ = t.toStdString();
    });
    QObject::connect(c, &QComboBox::activated, c, [this](int) {
        caption_ = Combo()->currentText().toStdString();
        DispatchGuarded([this] {
            if (OnSelect) OnSelect(this);
            if (OnChange) OnChange(this);
        });
    });
    SetStyle(csDropDown);
}

TComboBox::~TComboBox() = default;

QComboBox* TComboBox::Combo() const { return static_cast<QComboBox*>(widget_.data()); }

void TComboBox::SetStyle(TComboBoxStyle s) {
    style_ = s;
    bool editable = s == csDropDown || s == csSimple;
    if (Combo()->isEditable() == editable) return;
    syncing_ = true;
    Combo()->setEditable(editable);
    syncing_ = false;
    if (editable) {
        QObject::connect(Combo()->lineEdit(), &QLineEdit::textEdited, Combo(), [this](const QString& t) {
            caption_ = t.toStdString();
            if (OnChange) DispatchGuarded([this] { OnChange(this); });
        });
        SetMaxLength(maxLength_);
    }
}

int TComboBox::ItemIndex() const { return Combo()->currentIndex(); }

void TComboBox::SetItemIndex(int i) {
    syncing_ = true;
    QSignalBlocker block(Combo());
    Combo()->setCurrentIndex(i >= 0 && i < Combo()->count() ? i : -1);
    if (Combo()->isEditable() && Combo()->currentIndex() < 0) Combo()->setEditText(QString());
    caption_ = Combo()->currentText().toStdString();
    syncing_ = false;
}

void TComboBox::CaptionChanged() {
    syncing_ = true;
    QSignalBlocker block(Combo());
    if (Combo()->isEditable()) {
        int i = Combo()->findText(Q(caption_));
        Combo()->setCurrentIndex(i);
        Combo()->setEditText(Q(caption_));
    } else {
        int i = Combo()->findText(Q(caption_));
        Combo()->setCurrentIndex(i);
        if (i < 0) caption_.clear();
    }
    syncing_ = false;
}

void TComboBox::SetDropDownCount(int n) {
    dropDownCount_ = n;
    Combo()->setMaxVisibleItems(std::max(1, n));
}

void TComboBox::SetMaxLength(int n) {
    maxLength_ = std::max(0, n);
    if (Combo()->lineEdit()) Combo()->lineEdit()->setMaxLength(maxLength_ > 0 ? maxLength_ : 32767);
}

void TComboBox::SetSorted(bool s) {
    sorted_ = s;
    if (s) {
        syncing_ = true;
        QSignalBlocker block(Combo());
        Combo()->model()->sort(0);
        syncing_ = false;
    }
}

void TComboBox::Clear() {
    items_->Clear();
    SetText("");
}
