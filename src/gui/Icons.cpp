#include "Icons.h"

#include <QPainter>
#include <QPixmap>

namespace {
// Paints the icon at every common size, so it is crisp at 16 px and on high-DPI screens.
template <class Paint> QIcon Draw(Paint paint) {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        paint(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void PaintPrinter(QPainter& p) {
    p.setPen(QPen(QColor(0x1b, 0x28, 0x38), 1.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 3, 16, 9));
    p.setBrush(QColor(0x3d, 0x5a, 0x80));
    p.drawRoundedRect(QRectF(3, 10, 26, 13), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 19, 16, 10));
    p.drawLine(QPointF(11, 23), QPointF(21, 23));
    p.drawLine(QPointF(11, 26), QPointF(18, 26));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x98, 0xc3, 0x79));
    p.drawEllipse(QPointF(25, 14), 1.6, 1.6);
}
} // namespace

QIcon Icons::Application() { return Draw(PaintPrinter); }
