#include "platform/gui/ComCtrls.h"

#include <QDateTimeEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <algorithm>
#include <cmath>

// --------------------------------------------------------------- tab sheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
    SetWidget(new QWidget);
}

TTabSheet::~TTabSheet() {
    if (pageControl_) pageControl_->RemovePage(this);
}

void TTabSheet::SetParent(TWinControl* parent) {
    if (auto* pc = dynamic_cast<TPageControl*>(parent)) SetPageControl(pc);
    else if (!parent) SetPageControl(nullptr);
    else TWinControl::SetParent(parent);
}

void TTabSheet::SetPageControl(TPageControl* pc) {
    if (pc == pageControl_) return;
    if (pageControl_) {
        pageControl_->RemovePage(this);
        pageControl_->RemoveControl(this);
    }
    pageControl_ = pc;
    parent_ = pc;
    if (pc) {
        pc->InsertControl(this);
        pc->InsertPage(this);
        ParentFontChanged();
    }
}

int TTabSheet::PageIndex() const {
    if (!pageControl_) return -1;
    auto& p = pageControl_->pages_;
    return int(std::find(p.begin(), p.end(), this) - p.begin());
}

void TTabSheet::SetTabVisible(bool v) {
    tabVisible_ = v;
    if (pageControl_) pageControl_->Tabs()->setTabVisible(pageControl_->Tabs()->indexOf(widget_), v);
}

void TTabSheet::CaptionChanged() {
    if (pageControl_)
        pageControl_->Tabs()->setTabText(pageControl_->Tabs()->indexOf(widget_), QString::fromStdString(caption_));
}

void TTabSheet::BoundsChanged() {
    TWinControl::BoundsChanged();
    if (!pageControl_ || pageControl_->Tabs()->currentWidget() != widget_) return;
    for (TTabSheet* other : pageControl_->pages_)
        if (other != this && (other->Width() != width_ || other->Height() != height_))
            other->SetBounds(left_, top_, width_, height_);
}

// ------------------------------------------------------------ page control

namespace {
// Asks OnChanging before a click on another tab takes effect.
class TabClickFilter : public QObject {
public:
    explicit TabClickFilter(TPageControl* pc) : pc_(pc) {}
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (e->type() != QEvent::MouseButtonPress || !pc_->OnChanging) return false;
        auto* bar = static_cast<QTabBar*>(obj);
        int index = bar->tabAt(static_cast<QMouseEvent*>(e)->position().toPoint());
        if (index < 0 || index == bar->currentIndex()) return false;
        bool allow = true;
        DispatchGuarded([&] { pc_->OnChanging(pc_, allow); });
        return !allow;
    }
    TPageControl* pc_;
};
}  // namespace

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
    auto* t = new QTabWidget;
    SetWidget(t);
    SetBounds(0, 0, 289, 193);
    tabFilter_ = new TabClickFilter(this);
    tabFilter_->setParent(t);
    t->tabBar()->installEventFilter(tabFilter_);
    QObject::connect(t, &QTabWidget::currentChanged, t, [this](int) {
        if (syncing_ || !OnChange) return;
        DispatchGuarded([this] { OnChange(this); });
    });
}

TPageControl::~TPageControl() {
    for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
}

QTabWidget* TPageControl::Tabs() const { return static_cast<QTabWidget*>(widget_.data()); }

void TPageControl::InsertPage(TTabSheet* page) {
    pages_.push_back(page);
    syncing_ = true;
    Tabs()->addTab(page->Widget(), QString::fromStdString(page->Caption()));
    Tabs()->setTabVisible(Tabs()->indexOf(page->Widget()), page->TabVisible());
    syncing_ = false;
    if (TTabSheet* shown = ActivePage(); shown && shown != page && shown->Width() > 0)
        page->SetBounds(shown->Left(), shown->Top(), shown->Width(), shown->Height());
}

void TPageControl::RemovePage(TTabSheet* page) {
    pages_.erase(std::remove(pages_.begin(), pages_.end(), page), pages_.end());
    if (!widget_ || !page->Widget()) return;
    syncing_ = true;
    int i = Tabs()->indexOf(page->Widget());
    if (i >= 0) Tabs()->removeTab(i);
    page->Widget()->setParent(nullptr);
    syncing_ = false;
}

TTabSheet* TPageControl::ActivePage() const {
    QWidget* w = Tabs()->currentWidget();
    for (TTabSheet* p : pages_)
        if (p->Widget() == w) return p;
    return nullptr;
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (!page || page->PageControl() != this) return;
    syncing_ = true;
    Tabs()->setCurrentWidget(page->Widget());
    syncing_ = false;
}

int TPageControl::ActivePageIndex() const {
    TTabSheet* p = ActivePage();
    return p ? p->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int i) {
    if (i >= 0 && i < PageCount()) SetActivePage(pages_[std::size_t(i)]);
}

void TPageControl::SelectNextPage(bool goForward) {
    int n = PageCount();
    if (n == 0) return;
    int start = ActivePageIndex();
    for (int step = 1; step <= n; ++step) {
        int i = ((start + (goForward ? step : -step)) % n + n) % n;
        if (pages_[std::size_t(i)]->TabVisible()) {
            SetActivePageIndex(i);
            return;
        }
    }
}

// ------------------------------------------------------------ progress bar

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) {
    auto* b = new QProgressBar;
    b->setTextVisible(false);
    b->setRange(0, 100);
    b->setValue(0);
    SetWidget(b);
    SetBounds(0, 0, 150, 16);
}

QProgressBar* TProgressBar::Bar() const { return static_cast<QProgressBar*>(widget_.data()); }

void TProgressBar::SetMin(int v) {
    min_ = v;
    if (max_ < min_) max_ = min_;
    position_ = std::clamp(position_, min_, max_);
    Bar()->setRange(min_, max_);
    Bar()->setValue(position_);
}

void TProgressBar::SetMax(int v) {
    max_ = v;
    if (min_ > max_) min_ = max_;
    position_ = std::clamp(position_, min_, max_);
    Bar()->setRange(min_, max_);
    Bar()->setValue(position_);
}

void TProgressBar::SetPosition(int v) {
    position_ = std::clamp(v, min_, max_);
    Bar()->setValue(position_);
}

void TProgressBar::StepIt() {
    int next = position_ + step_;
    if (next > max_) next = min_ + (next - max_);
    SetPosition(next);
}

void TProgressBar::StepBy(int delta) { SetPosition(position_ + delta); }

// --------------------------------------------------------- date-time picker

namespace {
const QDate kEpoch(1899, 12, 30);

QDateTime ToQt(TDateTime dt) {
    double days = std::floor(dt);
    double frac = dt - days;
    if (dt < 0 && frac > 0) {
        // Negative values carry the time as a positive fraction.
        days = std::ceil(dt);
        frac = days - dt;
    }
    qint64 ms = qint64(std::llround(frac * 86400000.0));
    if (ms >= 86400000) ms = 86399999;
    return QDateTime(kEpoch.addDays(qint64(days)), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

TDateTime FromQt(const QDateTime& q) {
    double days = double(kEpoch.daysTo(q.date()));
    double frac = q.time().msecsSinceStartOfDay() / 86400000.0;
    return days >= 0 ? days + frac : days - frac;
}

// The platform's mask letters to Qt's: m -> M (month), n -> m (minutes).
QString QtFormat(const std::string& f) {
    QString out;
    for (char c : f) {
        if (c == 'm') out += 'M';
        else if (c == 'n') out += 'm';
        else if (c == 'h') out += 'H';
        else out += QChar(c);
    }
    return out;
}
}  // namespace

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
    auto* e = new QDateTimeEdit;
    e->setCalendarPopup(true);
    e->setTimeSpec(Qt::LocalTime);
    e->setMinimumDate(QDate(1752, 9, 14));
    SetWidget(e);
    SetBounds(0, 0, 186, 21);
    ApplyFormat();
    QObject::connect(e, &QDateTimeEdit::dateTimeChanged, e, [this](const QDateTime&) {
        if (syncing_ || !OnChange) return;
        DispatchGuarded([this] { OnChange(this); });
    });
}

QDateTimeEdit* TDateTimePicker::Edit() const { return static_cast<QDateTimeEdit*>(widget_.data()); }

void TDateTimePicker::ApplyFormat() {
    QString f;
    if (!format_.empty()) f = QtFormat(format_);
    else if (kind_ == dtkTime) f = "h:mm:ss AP";
    else if (dateFormat_ == dfLong) f = "dddd, MMMM d, yyyy";
    else f = "M/d/yyyy";
    syncing_ = true;
    Edit()->setDisplayFormat(f);
    Edit()->setCalendarPopup(kind_ == dtkDate);
    syncing_ = false;
}

void TDateTimePicker::SetKind(TDateTimeKind k) {
    kind_ = k;
    ApplyFormat();
}

void TDateTimePicker::SetDateFormat(TDTDateFormat f) {
    dateFormat_ = f;
    ApplyFormat();
}

void TDateTimePicker::SetFormat(const std::string& f) {
    format_ = f;
    ApplyFormat();
}

TDateTime TDateTimePicker::DateTime() const { return FromQt(Edit()->dateTime()); }

void TDateTimePicker::SetDateTime(TDateTime dt) {
    syncing_ = true;
    QSignalBlocker block(Edit());
    Edit()->setDateTime(ToQt(dt));
    syncing_ = false;
}

TDateTime TDateTimePicker::Date() const { return std::floor(DateTime()); }

void TDateTimePicker::SetDate(TDateTime d) {
    TDateTime t = DateTime() - std::floor(DateTime());
    SetDateTime(std::floor(d) + t);
}

TDateTime TDateTimePicker::Time() const { return DateTime() - std::floor(DateTime()); }

void TDateTimePicker::SetTime(TDateTime t) { SetDateTime(std::floor(DateTime()) + (t - std::floor(t))); }
