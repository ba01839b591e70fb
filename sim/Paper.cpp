#include "Paper.h"

#include "files/FileAccess.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

namespace {
// The upper half of code page 437, the PC line-drawing set: accented letters, then the
// box-drawing and block characters the printer's forms are drawn with.
const char16_t kCodePage437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8,
    0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2,
    0x00FB, 0x00F9, 0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1,
    0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD,
    0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562,
    0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534,
    0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560,
    0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393,
    0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6,
    0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248, 0x00B0,
    0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};
} // namespace

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
            lines << Characters(line);
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

QString CPaper::Characters(const Line& line) {
    if (!line.attributes.pcLineDraw)
        return QString::fromLatin1(line.bytes);
    QString text;
    text.reserve(line.bytes.size());
    for (char c : line.bytes) {
        const quint8 b = quint8(c);
        text += b < 0x80 ? QChar(b) : QChar(kCodePage437High[b - 0x80]);
    }
    return text;
}

int CPaper::LineHeight(const Line& line) {
    if (line.bitmap)
        return 1;
    return kCellHeight * (line.attributes.doubleHeight ? 2 : 1);
}

std::vector<int> CPaper::Layout() const {
    std::vector<int> tops;
    tops.reserve(m_lines.size() + 1);
    int y = kMargin;
    for (const Line& line : m_lines) {
        tops.push_back(y);
        y += LineHeight(line);
    }
    tops.push_back(y + kMargin);
    return tops;
}

void CPaper::PaintLine(QPainter& painter, const Line& line, int y, int paperDots) {
    if (line.bitmap) {
        painter.setPen(Qt::black);
        for (int x = 0; x < paperDots && x / 8 < line.bytes.size(); ++x) {
            if (quint8(line.bytes[x / 8]) & (0x80 >> (x % 8)))
                painter.drawPoint(x, y);
        }
        return;
    }
    const PrinterAttributes& a = line.attributes;
    const int cellWidth = kCellWidth * (a.doubleWidth ? 2 : 1);
    const int height = LineHeight(line);
    const QString text = Characters(line);
    const int width = int(text.size()) * cellWidth;
    if (a.reverse)
        painter.fillRect(QRect(0, y, paperDots, height), Qt::black);
    if (text.isEmpty())
        return;

    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(height);
    font.setBold(a.bold);
    font.setUnderline(a.underline);
    const QFontMetricsF metrics(font);
    // The font is stretched to fill the printer's cell exactly: box-drawing characters
    // span the font's full height and advance, so the lines of a drawn form join up from
    // one character and one text line to the next, as they do on the paper.
    const qreal advance = metrics.horizontalAdvance(QLatin1Char('M'));
    const qreal fontHeight = metrics.ascent() + metrics.descent();
    if (advance <= 0 || fontHeight <= 0)
        return;
    const int x = a.rightToLeft ? paperDots - width : 0;
    painter.save();
    painter.setClipRect(QRect(0, y, paperDots, height));
    painter.translate(x, y);
    painter.scale(cellWidth / advance, height / fontHeight);
    painter.setFont(font);
    painter.setPen(a.reverse ? Qt::white : Qt::black);
    painter.drawText(QPointF(0, metrics.ascent()), text);
    painter.restore();
}

QImage CPaper::Picture(int paperDots, int* omitted) const {
    const std::vector<int> tops = Layout();
    // Leave out the oldest lines until the rest fits: what was printed last matters most.
    size_t first = 0;
    while (first + 1 < tops.size() && tops.back() - tops[first] + kMargin > kMaxPictureHeight)
        ++first;
    if (omitted)
        *omitted = int(first);
    const int shift = tops[first] - kMargin;
    QImage image(qMax(1, paperDots), tops.back() - shift, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (size_t i = first; i < m_lines.size(); ++i)
        PaintLine(painter, m_lines[i], tops[i] - shift, paperDots);
    painter.end();
    return image;
}

bool CPaper::WritePng(const QString& path, int paperDots, QString* detail) const {
    return WritePng(Picture(paperDots), path, detail);
}

bool CPaper::WritePng(const QImage& picture, const QString& path, QString* detail) {
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    if (picture.isNull() || !picture.save(&png, "PNG")) {
        if (detail)
            *detail = QStringLiteral("the picture could not be encoded");
        return false;
    }
    return FileAccess::WriteFileSafely(path, png.data(), detail);
}
