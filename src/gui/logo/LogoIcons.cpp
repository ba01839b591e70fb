#include "LogoIcons.h"

#include "frame/IconPainting.h"

#include <QPainter>
#include <QPainterPath>

using namespace IconPainting;

QIcon LogoIcons::TestFeed() {
    return Draw([](QPainter& p) {
        PaintPage(p, QRectF(7, 8, 18, 21));
        Pen(p, QColor(0x2e, 0x7d, 0x32), 2.5);
        p.drawLine(QPointF(16, 24), QPointF(16, 2));
        p.drawLine(QPointF(10, 8), QPointF(16, 2));
        p.drawLine(QPointF(22, 8), QPointF(16, 2));
    });
}

QIcon LogoIcons::TestPrint() {
    return Draw([](QPainter& p) {
        PaintPrinter(p);
        PaintLabel(p, QRectF(9, 18, 14, 11), QStringLiteral("T"), kInk);
    });
}

// The slot buttons: the digit fills most of the button, so the eight of a kind are told
// apart at a glance; the colour and the corner mark tell Flash (amber, a bolt) from Print
// Logo (green, a sheet coming out).
namespace {
void PaintSlotDigit(QPainter& p, int slot, const QColor& ink) {
    QFont font;
    font.setBold(true);
    font.setPixelSize(27);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(9, 1, 24, 32), Qt::AlignCenter, QString::number(slot));
}
} // namespace

QIcon LogoIcons::FlashSlot(int slot) {
    return Draw([slot](QPainter& p) {
        p.setPen(QPen(QColor(0xb2, 0x6a, 0x00), 1.5));
        p.setBrush(QColor(0xff, 0xc1, 0x07));
        p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xc6, 0x28, 0x28));
        QPainterPath bolt;
        bolt.moveTo(7.5, 3);
        bolt.lineTo(3, 12);
        bolt.lineTo(6, 12);
        bolt.lineTo(4, 20);
        bolt.lineTo(10, 9.5);
        bolt.lineTo(7, 9.5);
        bolt.lineTo(9.5, 3);
        bolt.closeSubpath();
        p.drawPath(bolt);
        PaintSlotDigit(p, slot, kInk);
    });
}

QIcon LogoIcons::PrintSlot(int slot) {
    return Draw([slot](QPainter& p) {
        p.setPen(QPen(QColor(0x1b, 0x5e, 0x20), 1.5));
        p.setBrush(QColor(0x2e, 0x7d, 0x32));
        p.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);
        // A sheet leaving a printer slot, in the top-left corner.
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(3, 6), QPointF(10, 6));
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawRect(QRectF(4.5, 7, 4, 9));
        PaintSlotDigit(p, slot, Qt::white);
    });
}
