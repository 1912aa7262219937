#pragma once
// Internals of the metafile player: the drawing state a metafile changes,
// kept while its records are played with a QPainter.

#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPen>
#include <QPointF>
#include <QRectF>
#include <QTransform>
#include <variant>
#include <vector>

#include "platform/gui/Metafile.h"

namespace metafile_detail {

struct TPlayPen {
    QPen Pen;
};
struct TPlayBrush {
    QBrush Brush;
};
struct TPlayFont {
    QFont Font;
    int Escapement = 0;  // tenths of a degree
};
// Object-table entry; monostate is an empty slot (or a palette, which the
// player does not use).
using TPlayObject = std::variant<std::monostate, TPlayPen, TPlayBrush, TPlayFont>;

struct TPlayState {
    QPen Pen{QColor(0, 0, 0), 0};
    QBrush Brush{QColor(255, 255, 255)};
    TPlayFont Font;
    QColor TextColor{0, 0, 0};
    QColor BkColor{255, 255, 255};
    int BkMode = 2;  // 1 transparent, 2 opaque
    unsigned TextAlign = 0;
    Qt::FillRule FillRule = Qt::OddEvenFill;
    QPointF Current;
    int MapMode = 1;
    QPointF WindowOrg, ViewportOrg;
    QSizeF WindowExt{1, 1}, ViewportExt{1, 1};
    QTransform World;
};

class TPainterPlayer {
public:
    TPainterPlayer(QPainter& painter, const TMetafileHeader& header, const QRectF& target);
    // Plays one record; false ends the playing (a missing object).
    bool Play(const TMetafileRecord& r);
    // Undoes the saves the metafile left open.
    void Finish();

private:
    void Apply();
    QColor Color(std::uint32_t v) const;
    bool Select(std::uint32_t index);
    void SelectStock(std::uint32_t number);
    void Text(const TMetafileRecord& r);
    void Picture(const TMetafileRecord& r, const QRectF& dest, std::uint32_t offBmi, std::uint32_t cbBmi,
                 std::uint32_t offBits, std::uint32_t cbBits, QRectF source, std::uint32_t rop);
    void FillBox(const QRectF& box, std::uint32_t rop);
    QRectF Box(const TMetafileRecord& r, std::size_t at) const;
    void ArcShape(const TMetafileRecord& r, int kind);

    QPainter& p_;
    QTransform fit_;
    TPlayState s_;
    std::vector<TPlayState> saved_;
    std::vector<TPlayObject> objects_;
};

}  // namespace metafile_detail
