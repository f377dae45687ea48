#include "widgets/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <numbers>

namespace tavrel {

QPixmap ProgramIconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 64.0; // drawn on a 64 x 64 design grid

    // The card body with its cut corner and contact strip.
    QPainterPath card;
    card.moveTo(6 * s, 4 * s);
    card.lineTo(46 * s, 4 * s);
    card.lineTo(58 * s, 16 * s);
    card.lineTo(58 * s, 60 * s);
    card.lineTo(6 * s, 60 * s);
    card.closeSubpath();
    p.setPen(QPen(QColor(20, 30, 70), 2 * s));
    p.setBrush(QColor(30, 60, 140));
    p.drawPath(card);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 180, 60));
    for (int i = 0; i < 6; ++i)
        p.drawRect(QRectF((12 + i * 7) * s, 54 * s, 4 * s, 5 * s));

    // The screen with its grid.
    const QRectF screen(11 * s, 14 * s, 42 * s, 34 * s);
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(20, 30, 70), 1.5 * s));
    p.drawRect(screen);
    p.setPen(QPen(QColor(200, 200, 210), 0.8 * s));
    for (int i = 1; i < 4; ++i) {
        const double x = screen.left() + screen.width() * i / 4;
        p.drawLine(QPointF(x, screen.top()), QPointF(x, screen.bottom()));
    }
    p.drawLine(QPointF(screen.left(), screen.center().y()),
               QPointF(screen.right(), screen.center().y()));

    // A decaying wave, as a channel shows it.
    QPainterPath wave;
    const int steps = 80;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double y = std::sin(t * 3 * 2 * std::numbers::pi) * std::exp(-1.6 * t);
        const QPointF pt(screen.left() + 2 * s + t * (screen.width() - 4 * s),
                         screen.center().y() - y * (screen.height() / 2 - 3 * s));
        if (i == 0)
            wave.moveTo(pt);
        else
            wave.lineTo(pt);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(220, 20, 20), 2.2 * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);

    // "A/D" on the card's upper edge.
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(std::max(1, static_cast<int>(8 * s)));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(10 * s, 3 * s, 34 * s, 11 * s), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("A/D"));
    return pixmap;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(ProgramIconPixmap(size));
    return icon;
}

} // namespace tavrel
