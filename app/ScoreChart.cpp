// The score distribution chart over Qt Charts.

#include "app/ScoreChart.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QGraphicsScene>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace QtCharts_detail {
struct TChartParts {
    QChartView* View = nullptr;
    QChart* Chart = nullptr;
    QValueAxis* AxisX = nullptr;
    QValueAxis* AxisY = nullptr;
};
}  // namespace QtCharts_detail

namespace {
const QColor kBarColor(Qt::red);
const QColor kTitleColor(Qt::blue);
}  // namespace

TScoreChart::TScoreChart(TComponent* owner) : TWinControl(owner), parts_(new QtCharts_detail::TChartParts) {
    parts_->Chart = new QChart;
    parts_->Chart->legend()->hide();
    parts_->Chart->setBackgroundBrush(Qt::white);
    parts_->Chart->setAnimationOptions(QChart::NoAnimation);
    QFont titleFont("Arial", 12);
    titleFont.setBold(true);
    parts_->Chart->setTitleFont(titleFont);
    parts_->Chart->setTitleBrush(kTitleColor);
    parts_->AxisX = new QValueAxis;
    parts_->AxisY = new QValueAxis;
    parts_->AxisX->setLabelFormat("%g");
    parts_->AxisY->setLabelFormat("%d");
    parts_->Chart->addAxis(parts_->AxisX, Qt::AlignBottom);
    parts_->Chart->addAxis(parts_->AxisY, Qt::AlignLeft);
    parts_->View = new QChartView(parts_->Chart);
    parts_->View->setRenderHint(QPainter::Antialiasing, false);
    SetWidget(parts_->View);
    SetBounds(0, 0, 400, 250);
    Rebuild();
}

TScoreChart::~TScoreChart() { delete parts_; }

void TScoreChart::SetTitle(const std::string& title) {
    title_ = title;
    parts_->Chart->setTitle(QString::fromStdString(title));
}

void TScoreChart::SetFoot(const std::string& foot) {
    foot_ = foot;
    parts_->AxisX->setTitleText(QString::fromStdString(foot));
}

void TScoreChart::SetBottomMaximum(double maximum) {
    bottomMax_ = maximum > 0 && std::isfinite(maximum) ? maximum : 1;
    Rebuild();
}

void TScoreChart::SetBars(const std::vector<std::pair<double, int>>& bars) {
    bars_ = bars;
    Rebuild();
}

void TScoreChart::BoundsChanged() {
    TWinControl::BoundsChanged();
    parts_->Chart->resize(QSizeF(std::max(Width(), 1), std::max(Height(), 1)));
}

void TScoreChart::Rebuild() {
    QChart* chart = parts_->Chart;
    chart->removeAllSeries();
    int highest = 1;
    for (const auto& [score, qty] : bars_) highest = std::max(highest, qty);
    const double half = bottomMax_ * BarWidthPercent / 100.0 / 2.0;
    for (const auto& [score, qty] : bars_) {
        auto* upper = new QLineSeries;
        auto* lower = new QLineSeries;
        upper->append(score - half, qty);
        upper->append(score + half, qty);
        lower->append(score - half, 0);
        lower->append(score + half, 0);
        auto* bar = new QAreaSeries(upper, lower);
        upper->setParent(bar);
        lower->setParent(bar);
        bar->setBrush(kBarColor);
        bar->setPen(QPen(kBarColor));
        chart->addSeries(bar);
        bar->attachAxis(parts_->AxisX);
        bar->attachAxis(parts_->AxisY);
    }
    parts_->AxisX->setRange(0, bottomMax_);
    parts_->AxisY->setRange(0, highest);
    parts_->AxisY->setTickCount(std::min(highest, 10) + 1);
}

QImage TScoreChart::RenderImage(bool withTexts) {
    const int w = std::max(Width(), 1), h = std::max(Height(), 1);
    QChart* chart = parts_->Chart;
    if (!withTexts) {
        // Keep the texts' places: blank texts of the same fonts.
        chart->setTitle(title_.empty() ? QString() : QString(" "));
        parts_->AxisX->setTitleText(foot_.empty() ? QString() : QString(" "));
    }
    chart->setPos(0, 0);
    chart->resize(QSizeF(w, h));
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        chart->scene()->render(&painter, QRectF(0, 0, w, h), QRectF(0, 0, w, h));
    }
    if (!withTexts) {
        chart->setTitle(QString::fromStdString(title_));
        parts_->AxisX->setTitleText(QString::fromStdString(foot_));
    }
    return image;
}
