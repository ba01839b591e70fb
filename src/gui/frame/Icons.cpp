#include "Icons.h"

#include "CommandIds.h"
#include "IconPainting.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>
#include <iterator>

namespace IconPainting {
const QColor kInk(0x1b, 0x28, 0x38);
const QColor kBlue(0x3d, 0x5a, 0x80);
const QColor kPaper(Qt::white);
} // namespace IconPainting

using namespace IconPainting;

namespace {
constexpr int kSizes[] = {16, 20, 24, 32, 48, 64};

// Paints on a 32-unit canvas of `size` pixels.
template <class Paint> void PaintAt(QPaintDevice& device, int size, const Paint& paint) {
    QPainter p(&device);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 32.0, size / 32.0);
    paint(p);
}

// Paints an icon only when it is first wanted at a size, and keeps what it painted: most
// icons are only ever shown at 16 or 24 pixels, and painting all six sizes of every
// button at start-up took a good part of the program's start.
class CPaintedIconEngine : public QIconEngine {
public:
    explicit CPaintedIconEngine(std::function<void(QPainter&)> paint) : m_paint(std::move(paint)) {}
    CPaintedIconEngine(const CPaintedIconEngine& other) = default;

    QIconEngine* clone() const override { return new CPaintedIconEngine(*this); }
    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = qMin(size.width(), size.height());
        return QSize(qMin(side, 64), qMin(side, 64));
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (int s : kSizes)
            sizes << QSize(s, s);
        return sizes;
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        const QSize want = actualSize(size, mode, state);
        if (want.isEmpty())
            return QPixmap();
        const quint64 key = (quint64(want.width()) << 8) | quint64(mode);
        auto found = m_cache.constFind(key);
        if (found != m_cache.constEnd())
            return *found;
        QPixmap pm = Painted(want.width());
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = QApplication::palette();
            const QPixmap generated = QApplication::style()->generatedIconPixmap(mode, pm, &option);
            if (!generated.isNull())
                pm = generated;
        }
        m_cache.insert(key, pm);
        return pm;
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

private:
    // Painted at the next of the sizes at or above `side`, scaled down when in between.
    QPixmap Painted(int side) const {
        int canvas = kSizes[std::size(kSizes) - 1];
        for (int s : kSizes) {
            if (s >= side) {
                canvas = s;
                break;
            }
        }
        QPixmap pm(canvas, canvas);
        pm.fill(Qt::transparent);
        PaintAt(pm, canvas, m_paint);
        if (canvas != side)
            pm = pm.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return pm;
    }

    std::function<void(QPainter&)> m_paint;
    QHash<quint64, QPixmap> m_cache;
};
} // namespace

QIcon IconPainting::Draw(std::function<void(QPainter&)> paint) {
    return QIcon(new CPaintedIconEngine(std::move(paint)));
}

void IconPainting::Pen(QPainter& p, const QColor& c, qreal width) {
    p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
}

void IconPainting::PaintPrinter(QPainter& p, const QColor& body) {
    Pen(p);
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 3, 14, 8));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(3, 10, 26, 12), 2, 2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(9, 18, 14, 11));
}

void IconPainting::PaintPage(QPainter& p, QRectF r) {
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

void IconPainting::PaintLabel(QPainter& p, const QRectF& r, const QString& text,
                              const QColor& color) {
    QFont font;
    font.setBold(true);
    font.setPixelSize(int(r.height()));
    p.setFont(font);
    p.setPen(color);
    p.drawText(r, Qt::AlignCenter, text);
}

QIcon Icons::Badge(const QColor& color, const QString& text) {
    return Draw([=](QPainter& p) {
        p.setPen(QPen(color.darker(150), 1.5));
        p.setBrush(color);
        p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
        PaintLabel(p, QRectF(1, 3, 30, text.size() > 1 ? 22 : 26), text, Qt::white);
    });
}

QIcon Icons::Application() {
    return Draw([](QPainter& p) { PaintPrinter(p); });
}

QImage Icons::ApplicationImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    PaintAt(image, size, [](QPainter& p) { PaintPrinter(p, kBlue); });
    return image;
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
    default:
        return QIcon();
    }
}
