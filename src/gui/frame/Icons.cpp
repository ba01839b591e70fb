#include "Icons.h"

#include "CommandIds.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
const QColor kInk(0x1b, 0x28, 0x38);
const QColor kBlue(0x3d, 0x5a, 0x80);
const QColor kPaper(Qt::white);

// Paints on a 32-unit canvas of `size` pixels.
template <class Paint> void PaintAt(QPaintDevice& device, int size, Paint paint) {
    QPainter p(&device);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 32.0, size / 32.0);
    paint(p);
}

// Paints the icon at every common size, so it is crisp at 16 px and on high-DPI screens
// alike.
template <class Paint> QIcon Draw(Paint paint) {
    QIcon icon;
    for (int size : {16, 20, 24, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        PaintAt(pixmap, size, paint);
        icon.addPixmap(pixmap);
    }
    return icon;
}

void Pen(QPainter& p, const QColor& c = kInk, qreal width = 2) {
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void PaintPrinter(QPainter& p, const QColor& body = kBlue) {
    Pen(p);
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 3, 14, 8));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(3, 10, 26, 12), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 18, 14, 11));
}

void PaintPage(QPainter& p, QRectF r) {
    Pen(p);
    p.setBrush(kPaper);
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 6, r.top());
    path.lineTo(r.right(), r.top() + 6);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.drawPath(path);
}

// A large digit or short text, drawn to fill most of the canvas.
void PaintLabel(QPainter& p, const QRectF& r, const QString& text, const QColor& color) {
    QFont font;
    font.setBold(true);
    font.setPixelSize(int(r.height()));
    p.setFont(font);
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
}

// A module button: a coloured badge with the module's initials.
QIcon Badge(const QColor& color, const QString& text) {
    return Draw([=](QPainter& p) {
        p.setPen(QPen(color.darker(150), 1.5));
        p.setBrush(color);
        p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
        PaintLabel(p, QRectF(1, 3, 30, text.size() > 1 ? 22 : 26), text, Qt::white);
    });
}
} // namespace

QIcon Icons::Application() {
    return Draw([](QPainter& p) { PaintPrinter(p); });
}

QImage Icons::ApplicationImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    PaintAt(image, size, [](QPainter& p) { PaintPrinter(p); });
    return image;
}

QIcon Icons::Module(int module) {
    switch (module) {
    case 1:
        return Badge(QColor(0x2e, 0x7d, 0x32), QStringLiteral("CA"));
    case 2:
        return Badge(QColor(0x15, 0x65, 0xc0), QStringLiteral("BT"));
    case 3:
        return Badge(QColor(0x75, 0x75, 0x75), QStringLiteral("T"));
    case 4:
        return Badge(QColor(0x6a, 0x1b, 0x9a), QStringLiteral("F"));
    case 5:
        return Badge(QColor(0xc6, 0x28, 0x28), QStringLiteral("L"));
    default:
        return Badge(QColor(0x00, 0x83, 0x8f), QStringLiteral("W"));
    }
}

QIcon Icons::ForCommand(int id) {
    switch (id) {
    case Cmd::FileNew:
        return Draw([](QPainter& p) { PaintPage(p, QRectF(7, 3, 18, 26)); });
    case Cmd::FileOpen:
        return Draw([](QPainter& p) {
            Pen(p);
            p.setBrush(QColor(0xf2, 0xc1, 0x4e));
            QPainterPath path;
            path.moveTo(3, 8);
            path.lineTo(12, 8);
            path.lineTo(14, 11);
            path.lineTo(27, 11);
            path.lineTo(27, 26);
            path.lineTo(3, 26);
            path.closeSubpath();
            p.drawPath(path);
        });
    case Cmd::FileSave:
        return Draw([](QPainter& p) {
            Pen(p);
            p.setBrush(kBlue);
            p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
            p.setBrush(kPaper);
            p.drawRect(QRectF(9, 4, 14, 9));
            p.drawRect(QRectF(9, 18, 14, 10));
        });
    case Cmd::EditCut:
        return Draw([](QPainter& p) {
            Pen(p);
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(9, 23), 4.5, 4.5);
            p.drawEllipse(QPointF(23, 23), 4.5, 4.5);
            p.drawLine(QPointF(12, 20), QPointF(24, 3));
            p.drawLine(QPointF(20, 20), QPointF(8, 3));
        });
    case Cmd::EditCopy:
        return Draw([](QPainter& p) {
            PaintPage(p, QRectF(4, 3, 15, 20));
            PaintPage(p, QRectF(13, 9, 15, 20));
        });
    case Cmd::EditPaste:
        return Draw([](QPainter& p) {
            Pen(p);
            p.setBrush(QColor(0xb0, 0x83, 0x4f));
            p.drawRoundedRect(QRectF(5, 5, 22, 24), 2, 2);
            p.setBrush(kPaper);
            p.drawRect(QRectF(11, 2, 10, 6));
            p.drawRect(QRectF(9, 11, 14, 14));
        });
    case Cmd::FilePrint:
        return Draw([](QPainter& p) { PaintPrinter(p, QColor(0x90, 0x90, 0x90)); });
    case Cmd::AppAbout:
        return Draw([](QPainter& p) {
            Pen(p, kBlue);
            p.setBrush(QColor(0xe3, 0xf2, 0xfd));
            p.drawEllipse(QRectF(3, 3, 26, 26));
            PaintLabel(p, QRectF(3, 4, 26, 24), QStringLiteral("?"), kBlue);
        });
    case Cmd::LogoTestFeed:
        return Draw([](QPainter& p) {
            PaintPage(p, QRectF(7, 8, 18, 21));
            Pen(p, QColor(0x2e, 0x7d, 0x32), 2.5);
            p.drawLine(QPointF(16, 24), QPointF(16, 2));
            p.drawLine(QPointF(10, 8), QPointF(16, 2));
            p.drawLine(QPointF(22, 8), QPointF(16, 2));
        });
    case Cmd::LogoTestPrint:
        return Draw([](QPainter& p) {
            PaintPrinter(p);
            PaintLabel(p, QRectF(9, 18, 14, 11), QStringLiteral("T"), kInk);
        });
    default:
        return QIcon();
    }
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

QIcon Icons::FlashSlot(int slot) {
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

QIcon Icons::PrintSlot(int slot) {
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
