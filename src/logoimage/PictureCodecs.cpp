#include "PictureCodecs.h"

#include "logo/LogoSurfaces.h"
#include "logo/SourceBitmap.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>

// The codec module, loaded when a picture needs Qt's codecs. It uses the core's headers
// only (no object of the core), so that it carries no second copy of the core.
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
    const int rowBytes = (w * 3 + 3) & ~3; // rows padded to four bytes
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

// Holds Qt's allocation limit for image reading raised for one decode, and puts it back.
class CAllocationLimit {
public:
    explicit CAllocationLimit(int megabytes) : m_before(QImageReader::allocationLimit()) {
        if (m_before != 0 && megabytes > m_before)
            QImageReader::setAllocationLimit(megabytes);
    }
    ~CAllocationLimit() { QImageReader::setAllocationLimit(m_before); }
    CAllocationLimit(const CAllocationLimit&) = delete;
    CAllocationLimit& operator=(const CAllocationLimit&) = delete;

private:
    int m_before;
};

LogoPictureIo::Converted ConvertToBitmap(const QByteArray& file) {
    using LogoPictureIo::Converted;
    Converted result;
    QByteArray bytes = file;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxDecodeSide || size.height() > kMaxDecodeSide)) {
        result.error = QStringLiteral("the picture is %1 x %2 pixels; pictures of up to %3 "
                                      "pixels a side are read (and scaled down to fit %4 x %5)")
                           .arg(size.width())
                           .arg(size.height())
                           .arg(kMaxDecodeSide)
                           .arg(CSourceBitmap::kMaxWidth)
                           .arg(CSourceBitmap::kMaxHeight);
        return result;
    }
    // A picture larger than the logo's store is decoded straight at the size it gets: a
    // JPEG decoder then never holds the full-size pixels (a 7000 x 5000 photo would take
    // 140 MB, past Qt's 128 MB limit). A format that cannot decode scaled is read whole
    // and scaled afterwards; the limit is raised for it as far as the largest picture
    // taken, 16384 x 16384 at four bytes a pixel, and no further.
    const QSize limit(CSourceBitmap::kMaxWidth, CSourceBitmap::kMaxHeight);
    QSize original = size;
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    if (size.isValid() && turned)
        original.transpose();
    const bool scaled =
        size.isValid() && (original.width() > limit.width() || original.height() > limit.height());
    if (scaled) {
        QSize fit = original.scaled(limit, Qt::KeepAspectRatio);
        fit = fit.expandedTo(QSize(1, 1));
        if (turned)
            fit.transpose(); // the scaled size applies before the picture is turned
        reader.setScaledSize(fit);
    }
    constexpr int kLargestDecodeMegabytes =
        int((qint64(kMaxDecodeSide) * kMaxDecodeSide * 4) / (1024 * 1024)) + 1;
    const CAllocationLimit allocation(kLargestDecodeMegabytes);
    const QImage decoded = reader.read();
    if (decoded.isNull() || decoded.width() < 1 || decoded.height() < 1) {
        result.error = reader.errorString();
        return result;
    }
    if (scaled)
        result.status =
            QStringLiteral("The picture was scaled from %1 x %2 to %3 x %4 to fit %5 x %6.")
                .arg(original.width())
                .arg(original.height())
                .arg(decoded.width())
                .arg(decoded.height())
                .arg(limit.width())
                .arg(limit.height());
    QImage picture = decoded;
    // A picture whose size the reader could not tell beforehand is scaled here.
    if (picture.width() > limit.width() || picture.height() > limit.height()) {
        picture = picture.scaled(limit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        result.status =
            QStringLiteral("The picture was scaled from %1 x %2 to %3 x %4 to fit %5 x %6.")
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

QByteArray CompositePng(const CSurface& composite) {
    const QImage image(reinterpret_cast<const uchar*>(composite.Row(0)), composite.Width(),
                       composite.Height(), composite.Width() * 4, QImage::Format_RGB32);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

const PictureCodecs kCodecs = {kPictureCodecsVersion, ConvertToBitmap, CompositePng};
} // namespace

extern "C" Q_DECL_EXPORT const PictureCodecs* kvu_picture_codecs() {
    return &kCodecs;
}
