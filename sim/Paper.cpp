#include "Paper.h"

#include "files/FileAccess.h"

#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QPainter>

void CPaper::Push(Line line) {
    m_lines.push_back(std::move(line));
    while (m_lines.size() > size_t(kMaxLines))
        m_lines.pop_front();
}

void CPaper::AddText(const QByteArray& text, const PrinterAttributes& attributes) {
    Line line;
    line.bytes = text;
    line.attributes = attributes;
    Push(std::move(line));
}

void CPaper::AddBitmapRow(const QByteArray& dots) {
    Line line;
    line.bitmap = true;
    line.bytes = dots;
    Push(std::move(line));
}

QString CPaper::Text() const {
    QStringList lines;
    for (const Line& line : m_lines) {
        if (!line.bitmap)
            lines << QString::fromLatin1(line.bytes);
    }
    return lines.join(QLatin1Char('\n'));
}

QByteArray CPaper::BitmapRows(int fromLine) const {
    QByteArray out;
    for (size_t i = size_t(qMax(0, fromLine)); i < m_lines.size(); ++i) {
        if (m_lines[i].bitmap)
            out += m_lines[i].bytes;
    }
    return out;
}

bool CPaper::WritePng(const QString& path, int paperDots) const {
    const int textHeight = 24;
    int height = 16;
    for (const Line& line : m_lines)
        height += line.bitmap ? 1 : textHeight * (line.attributes.doubleHeight ? 2 : 1);
    QImage image(paperDots, qMin(height, 32000), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    int y = 8;
    for (const Line& line : m_lines) {
        if (y >= image.height())
            break;
        if (line.bitmap) {
            for (int x = 0; x < paperDots && x / 8 < line.bytes.size(); ++x) {
                if (quint8(line.bytes[x / 8]) & (0x80 >> (x % 8)))
                    image.setPixel(x, y, qRgb(0, 0, 0));
            }
            y += 1;
            continue;
        }
        const PrinterAttributes& a = line.attributes;
        const int h = textHeight * (a.doubleHeight ? 2 : 1);
        QFont font(QStringLiteral("monospace"));
        font.setStyleHint(QFont::TypeWriter);
        font.setPixelSize(h - 4);
        font.setBold(a.bold);
        font.setUnderline(a.underline);
        font.setStretch(a.doubleWidth ? 200 : 100);
        painter.setFont(font);
        const QRect rect(4, y, paperDots - 8, h);
        if (a.reverse) {
            painter.fillRect(rect, Qt::black);
            painter.setPen(Qt::white);
        } else {
            painter.setPen(Qt::black);
        }
        const Qt::Alignment align = a.rightToLeft ? Qt::AlignRight : Qt::AlignLeft;
        painter.drawText(rect, int(align | Qt::AlignVCenter), QString::fromLatin1(line.bytes));
        y += h;
    }
    painter.end();
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    return image.save(&png, "PNG") && FileAccess::WriteFileSafely(path, png.data());
}
