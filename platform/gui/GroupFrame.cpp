#include "platform/gui/GroupFrame.h"

#include <QFontMetrics>
#include <QPainter>

#include "platform/gui/Graphics.h"

int GroupFrameWidget::FrameTop() const { return QFontMetrics(font()).height() / 2; }

void GroupFrameWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int top = FrameTop();
    const int w = width(), h = height();
    if (w < 3 || h - top < 3) return;
    // Etched: a shadow rectangle with a highlight one a pixel down and right.
    p.setPen(ToQColor(clBtnHighlight));
    p.drawRect(1, top + 1, w - 2, h - top - 2);
    p.setPen(ToQColor(clBtnShadow));
    p.drawRect(0, top, w - 2, h - top - 2);
    const QString text = title();
    if (text.isEmpty()) return;
    const QFontMetrics m(font());
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic;
    QRect textRect = m.boundingRect(QRect(8, 0, std::max(1, w - 16), m.height()), flags, text);
    textRect.adjust(-2, 0, 2, 0);
    textRect.setTop(0);
    textRect.setHeight(m.height());
    p.fillRect(textRect.intersected(rect()), palette().color(QPalette::Window));
    p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    p.drawText(textRect.adjusted(2, 0, -2, 0), flags, text);
}
