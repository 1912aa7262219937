// Painting speed of the grid: a grid showing 30 columns by 40 rows of texts
// with grid lines, scrolled away from its first cell, is repainted whole;
// beside it, in the same run, a plain loop draws the same cell fills, lines
// and texts with QPainter into an image of the same size. Prints both
// times, their ratio, and the time of a one-row scroll step (scroll plus
// the repaint of the uncovered row).

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include <QFont>
#include <QImage>
#include <QPainter>

#include "platform/gui/Forms.h"
#include "tools/gridshot/GridShot.h"

namespace {

constexpr int kVisibleCols = 30;
constexpr int kVisibleRows = 40;
constexpr int kColWidth = 40;
constexpr int kRowHeight = 14;
constexpr int kRowBar = 14;
constexpr int kHeading = 15;
constexpr int kRepeats = 30;

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string CellText(int col, int row) { return "R" + std::to_string(row) + "C" + std::to_string(col); }

// The same picture drawn the plain way: per cell a fill, its right and
// bottom line and its text.
double PlainLoop(int width, int height, int firstCol, int firstRow) {
    QImage image(width, height, QImage::Format_RGB32);
    QFont font("Liberation Sans");
    font.setPixelSize(11);
    Clock::time_point start = Clock::now();
    for (int n = 0; n < kRepeats; ++n) {
        QPainter p(&image);
        p.setFont(font);
        p.fillRect(0, 0, width, height, Qt::white);
        for (int r = 0; r <= kVisibleRows; ++r) {
            int y = r == 0 ? 0 : kHeading + (r - 1) * kRowHeight;
            int h = r == 0 ? kHeading : kRowHeight;
            for (int c = 0; c <= kVisibleCols; ++c) {
                int x = c == 0 ? 0 : kRowBar + (c - 1) * kColWidth;
                int w = c == 0 ? kRowBar : kColWidth;
                p.fillRect(x, y, w - 1, h - 1, (r == 0 || c == 0) ? QColor(240, 240, 240) : Qt::white);
                p.setPen(QColor(192, 192, 192));
                p.drawLine(x + w - 1, y, x + w - 1, y + h - 1);
                p.drawLine(x, y + h - 1, x + w - 1, y + h - 1);
                if (r > 0 && c > 0) {
                    p.setPen(Qt::black);
                    p.setClipRect(x, y, w - 1, h - 1);
                    p.drawText(x + 3, y + 11, QString::fromStdString(CellText(firstCol + c - 1, firstRow + r - 1)));
                    p.setClipping(false);
                }
            }
        }
    }
    return MsSince(start) / kRepeats;
}

}  // namespace

int main() {
    int width = kRowBar + kVisibleCols * kColWidth + ScrollBarThickness;
    int height = kHeading + kVisibleRows * kRowHeight + ScrollBarThickness;
    TGridShot shot;
    std::string scenario = "{\"width\":" + std::to_string(width) + ",\"height\":" + std::to_string(height) +
                           ",\"grid\":{\"Cols\":90,\"Rows\":400,\"DefaultColWidth\":" + std::to_string(kColWidth) +
                           ",\"DefaultRowHeight\":" + std::to_string(kRowHeight) + ",\"Font\":{\"Name\":\"Arial\",\"Size\":8}}}";
    shot.Run(scenario);
    TgrShotGrid* grid = shot.Grid();
    for (Integer r = 1; r <= grid->Rows(); ++r)
        for (Integer c = 1; c <= grid->Cols(); ++c) grid->PutCellValue(c, r, Variant(CellText(c, r)));
    grid->SetTopLeft(31, 101);
    grid->Update();

    Clock::time_point start = Clock::now();
    for (int n = 0; n < kRepeats; ++n) {
        grid->Invalidate();
        grid->Update();
    }
    double gridMs = MsSince(start) / kRepeats;

    start = Clock::now();
    for (int n = 0; n < kRepeats; ++n) {
        grid->SetTopRow(grid->TopLeftCell().Row + 1);
        grid->Update();
    }
    double scrollMs = MsSince(start) / kRepeats;

    TCellCoord_ts topLeft = grid->TopLeftCell();
    double plainMs = PlainLoop(width, height, topLeft.Col, topLeft.Row);
    std::printf("grid full repaint (%d x %d cells): %.3f ms\n", kVisibleCols, kVisibleRows, gridMs);
    std::printf("plain QPainter loop, same picture:  %.3f ms\n", plainMs);
    std::printf("ratio grid / plain:                 %.2f\n", plainMs > 0 ? gridMs / plainMs : 0.0);
    std::printf("one-row scroll step:                %.3f ms\n", scrollMs);
    return 0;
}
