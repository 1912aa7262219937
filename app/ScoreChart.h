#pragma once
// TScoreChart: the analysis dialog's score distribution chart, a bar chart
// over Qt Charts: one red bar per score, as high as the number of students
// with that score, on a value axis from 0 to the test's total points, with
// a bold blue title and a foot text.

#include <QImage>
#include <string>
#include <vector>

#include "platform/gui/Controls.h"

namespace QtCharts_detail {
struct TChartParts;
}

class TScoreChart : public TWinControl {
public:
    explicit TScoreChart(TComponent* owner);
    ~TScoreChart() override;

    void SetTitle(const std::string& title);
    const std::string& Title() const { return title_; }
    void SetFoot(const std::string& foot);
    const std::string& Foot() const { return foot_; }
    // The bottom axis runs from 0 to this (at least 1).
    void SetBottomMaximum(double maximum);
    double BottomMaximum() const { return bottomMax_; }
    // Bar width in percent of the bottom axis span.
    double BarWidthPercent = 5;
    // One bar per (score, quantity); replaces the bars shown.
    void SetBars(const std::vector<std::pair<double, int>>& bars);
    std::size_t BarCount() const { return bars_.size(); }

    // The chart drawn at its on-screen size on white; without texts only
    // the chart between the title and the foot text, for a report that
    // prints those as text.
    QImage RenderImage(bool withTexts = true);

protected:
    void BoundsChanged() override;

private:
    void Rebuild();
    QtCharts_detail::TChartParts* parts_;
    std::string title_, foot_;
    double bottomMax_ = 1;
    std::vector<std::pair<double, int>> bars_;
};
