// The score distribution chart over Qt Charts.

#include "app/ScoreChart.h"

#include <QAreaSeries>
#include <QLabel>
#include <QVBoxLayout>
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
    QWidget* Frame = nullptr;
    QLabel* TitleLabel = nullptr;
    QLabel* FootLabel = nullptr;
    QChartView* View = nullptr;
    QChart* Chart = nullptr;
    QValueAxis* AxisX = nullptr;
    QValueAxis* AxisY = nullptr;
};
}  // namespace QtCharts_detail

namespace {
const QColor kBarColor(Qt::red);
}  // namespace

TScoreChart::TScoreChart(TComponent* owner) : TWinControl(owner), parts_(new QtCharts_detail::TChartParts) {
    // The title and the foot text are labels around the chart itself, so
    // a report can take the chart's picture and print the texts as text.
    parts_->Frame = new QWidget;
    parts_->Frame->setAutoFillBackground(true);
    QPalette palette = parts_->Frame->palette();
    palette.setColor(QPalette::Window, Qt::white);
    parts_->Frame->setPalette(palette);
    auto* layout = new QVBoxLayout(parts_->Frame);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(0);
    parts_->TitleLabel = new QLabel;
    QFont titleFont("Arial", 12);
    titleFont.setBold(true);
    parts_->TitleLabel->setFont(titleFont);
    parts_->TitleLabel->setStyleSheet("color: blue");
    parts_->TitleLabel->setAlignment(Qt::AlignCenter);
    parts_->FootLabel = new QLabel;
    parts_->FootLabel->setFont(QFont("Arial", 9));
    parts_->FootLabel->setAlignment(Qt::AlignCenter);

    parts_->Chart = new QChart;
    parts_->Chart->legend()->hide();
    parts_->Chart->setBackgroundBrush(Qt::white);
    parts_->Chart->setAnimationOptions(QChart::NoAnimation);
    parts_->AxisX = new QValueAxis;
    parts_->AxisY = new QValueAxis;
    parts_->AxisX->setLabelFormat("%g");
    parts_->AxisY->setLabelFormat("%d");
    parts_->Chart->addAxis(parts_->AxisX, Qt::AlignBottom);
    parts_->Chart->addAxis(parts_->AxisY, Qt::AlignLeft);
    parts_->View = new QChartView(parts_->Chart);
    parts_->View->setRenderHint(QPainter::Antialiasing, false);
    layout->addWidget(parts_->TitleLabel);
    layout->addWidget(parts_->View, 1);
    layout->addWidget(parts_->FootLabel);
    SetWidget(parts_->Frame);
    SetBounds(0, 0, 400, 250);
    Rebuild();
}

TScoreChart::~TScoreChart() { delete parts_; }

void TScoreChart::SetTitle(const std::string& title) {
    title_ = title;
    parts_->TitleLabel->setText(QString::fromStdString(title));
}

void TScoreChart::SetFoot(const std::string& foot) {
    foot_ = foot;
    parts_->FootLabel->setText(QString::fromStdString(foot));
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
    parts_->Frame->resize(std::max(Width(), 1), std::max(Height(), 1));
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
    QWidget* frame = parts_->Frame;
    frame->resize(std::max(Width(), 1), std::max(Height(), 1));
    frame->ensurePolished();
    if (frame->layout()) frame->layout()->activate();
    if (withTexts) {
        QImage image(frame->size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        frame->render(&image);
        return image;
    }
    const QSize size = parts_->View->size().expandedTo(QSize(1, 1));
    QChart* chart = parts_->Chart;
    chart->setPos(0, 0);
    chart->resize(QSizeF(size));
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    chart->scene()->render(&painter, QRectF(QPointF(0, 0), QSizeF(size)), QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}
