#include "LogoPictureIo.h"

#include "files/FileAccess.h"
#include "logo/LogoSurfaces.h"
#include "logo/SourceBitmap.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QStringList>

namespace LogoPictureIo {

namespace {
// A picture this large on a side is refused before it is decoded: its pixels alone
// would need gigabytes.
constexpr int kMaxDecodeSide = 16384;

void Put16(QByteArray& a, quint16 v) {
    a.append(char(v & 0xFF));
    a.append(char(v >> 8));
}
void Put32(QByteArray& a, quint32 v) {
    for (int i = 0; i < 4; ++i)
        a.append(char((v >> (8 * i)) & 0xFF));
}

// A 24-bit bottom-up BMP of an RGB32 image.
QByteArray BitmapBytes(const QImage& image) {
    const int w = image.width(), h = image.height();
    const int rowBytes = CSourceBitmap::RowBytes(w, 24);
    const quint32 pixelBytes = quint32(rowBytes) * quint32(h);
    QByteArray out;
    out.reserve(int(54 + pixelBytes));
    out.append("BM");
    Put32(out, 54 + pixelBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, quint32(w));
    Put32(out, quint32(h));
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, pixelBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    QByteArray row(rowBytes, '\0');
    for (int y = h - 1; y >= 0; --y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            row[3 * x] = char(qBlue(in[x]));
            row[3 * x + 1] = char(qGreen(in[x]));
            row[3 * x + 2] = char(qRed(in[x]));
        }
        out.append(row);
    }
    return out;
}
} // namespace

bool IsConvertible(const QByteArray& head) {
    return head.startsWith("\x89PNG\r\n\x1A\n") || head.startsWith("\xFF\xD8\xFF");
}

Converted ConvertToBitmap(const QByteArray& file) {
    Converted result;
    QByteArray bytes = file;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxDecodeSide || size.height() > kMaxDecodeSide)) {
        result.error = QStringLiteral("the picture is %1 x %2 pixels, too large to convert")
                           .arg(size.width())
                           .arg(size.height());
        return result;
    }
    const QImage decoded = reader.read();
    if (decoded.isNull() || decoded.width() < 1 || decoded.height() < 1) {
        result.error = reader.errorString();
        return result;
    }
    QImage picture = decoded;
    const QSize limit(CSourceBitmap::kMaxWidth, CSourceBitmap::kMaxHeight);
    if (picture.width() > limit.width() || picture.height() > limit.height()) {
        picture = picture.scaled(limit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        result.status = QStringLiteral("The picture was scaled from %1 x %2 to %3 x %4 to fit %5 x %6.")
                            .arg(decoded.width())
                            .arg(decoded.height())
                            .arg(picture.width())
                            .arg(picture.height())
                            .arg(limit.width())
                            .arg(limit.height());
    }
    // Laid on white, so transparent parts are never printed black.
    QImage flat(picture.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter painter(&flat);
        painter.drawImage(0, 0, picture);
    }
    result.bitmap = BitmapBytes(flat);
    result.ok = true;
    return result;
}

PictureRead ReadPicture(const QString& path, CSourceBitmap& bmp) {
    PictureRead out;
    bmp.m_bLoaded = 0;
    QByteArray bytes;
    if (FileAccess::ReadRegularFile(path, CSourceBitmap::kMaxFileBytes, &bytes, &out.detail) !=
        FileAccess::ReadResult::Ok)
        return out;
    out.opened = true;
    if (IsConvertible(bytes)) {
        const Converted converted = ConvertToBitmap(bytes);
        if (!converted.ok) {
            out.texts << QStringLiteral("Error: The picture could not be converted (%1).\n")
                             .arg(converted.error);
            return out;
        }
        out.status = converted.status;
        bytes = converted.bitmap;
    }
    out.texts = bmp.ReadBytes(bytes).texts;
    return out;
}

QByteArray CompositePng(const CSurface& composite) {
    const QImage image(reinterpret_cast<const uchar*>(composite.Row(0)), composite.Width(),
                       composite.Height(), composite.Width() * 4, QImage::Format_RGB32);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

bool WriteCompositePng(const CSurface& composite, const QString& path, QString* detail) {
    const QByteArray png = CompositePng(composite);
    if (png.isEmpty()) {
        if (detail)
            *detail = QStringLiteral("the picture could not be encoded");
        return false;
    }
    return FileAccess::WriteFileSafely(path, png, detail);
}

} // namespace LogoPictureIo
