#pragma once
// Page control with tab sheets, progress bar and date-time picker.

#include <string>

#include "platform/core/Types.h"
#include "platform/gui/Controls.h"

class QTabWidget;
class QProgressBar;
class QDateTimeEdit;
class TPageControl;

class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* owner);
    ~TTabSheet() override;
    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* pc);
    void SetParent(TWinControl* parent) override;
    int PageIndex() const;
    bool TabVisible() const { return tabVisible_; }
    void SetTabVisible(bool v);

protected:
    void CaptionChanged() override;
    // The page shown passes its size on to the other pages (Qt sizes only
    // the page it shows), so controls anchored on a page not shown yet keep
    // their distances to its edges.
    void BoundsChanged() override;

private:
    friend class TPageControl;
    TPageControl* pageControl_ = nullptr;
    bool tabVisible_ = true;
};

using TTabChangingEvent = std::function<void(TObject* sender, bool& allowChange)>;

class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* owner);
    ~TPageControl() override;
    int PageCount() const { return int(pages_.size()); }
    TTabSheet* Pages(int index) const { return pages_.at(std::size_t(index)); }
    TTabSheet* ActivePage() const;
    // Setting the page in code fires neither OnChanging nor OnChange.
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const;
    void SetActivePageIndex(int i);
    // The next (or previous) page with a visible tab.
    void SelectNextPage(bool goForward);

    // The user picked another tab: OnChanging may refuse, OnChange follows.
    TTabChangingEvent OnChanging;
    TNotifyEvent OnChange;

private:
    friend class TTabSheet;
    QTabWidget* Tabs() const;
    void InsertPage(TTabSheet* page);
    void RemovePage(TTabSheet* page);
    std::vector<TTabSheet*> pages_;
    bool syncing_ = false;
    QObject* tabFilter_ = nullptr;
};

class TProgressBar : public TWinControl {
public:
    explicit TProgressBar(TComponent* owner);
    int Min() const { return min_; }
    void SetMin(int v);
    int Max() const { return max_; }
    void SetMax(int v);
    int Position() const { return position_; }
    void SetPosition(int v);
    int Step() const { return step_; }
    void SetStep(int s) { step_ = s; }
    // Advances by Step (wrapping to Min past Max, as the platform does).
    void StepIt();
    void StepBy(int delta);
    bool Smooth() const { return smooth_; }
    void SetSmooth(bool s) { smooth_ = s; }

private:
    QProgressBar* Bar() const;
    int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
    bool smooth_ = false;
};

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateFormat { dfShort, dfLong };

class TDateTimePicker : public TWinControl {
public:
    explicit TDateTimePicker(TComponent* owner);
    TDateTimeKind Kind() const { return kind_; }
    void SetKind(TDateTimeKind k);
    TDTDateFormat DateFormat() const { return dateFormat_; }
    void SetDateFormat(TDTDateFormat f);
    // Display format in the platform's mask letters (d, m, y, h, n, s);
    // empty: the short or long date, or the time.
    const std::string& Format() const { return format_; }
    void SetFormat(const std::string& f);
    // Days since 30 December 1899; Date is the whole-day part.
    TDateTime DateTime() const;
    void SetDateTime(TDateTime dt);
    TDateTime Date() const;
    void SetDate(TDateTime d);
    TDateTime Time() const;
    void SetTime(TDateTime t);

    // The user changed the value.
    TNotifyEvent OnChange;

private:
    QDateTimeEdit* Edit() const;
    void ApplyFormat();
    TDateTimeKind kind_ = dtkDate;
    TDTDateFormat dateFormat_ = dfShort;
    std::string format_;
    bool syncing_ = false;
};
