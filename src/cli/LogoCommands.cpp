// kvuctl commands of the Logo Download module: check, preview, test-print, flash, print,
// feed. They read, render, compose and pack a picture with the same objects as the view.

#include "CliCommand.h"
#include "CliRun.h"
#include "LogoPictureIo.h"
#include "files/FileAccess.h"
#include "logo/LogoRaster.h"
#include "logo/LogoSurfaces.h"
#include "logo/LogoTransfer.h"
#include "logo/LogoViewChoices.h"
#include "logo/PngWriter.h"
#include "logo/SourceBitmap.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>
#include <iterator>
#include <memory>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {
const QString kPort = QStringLiteral("port");
const QString kBaud = QStringLiteral("baud");
const QString kWidthCode = QStringLiteral("width-code");
const QString kHeight = QStringLiteral("height");
const QString kZoom = QStringLiteral("zoom");
const QString kPan = QStringLiteral("pan");
const QString kThreshold = QStringLiteral("threshold");
const QString kDither = QStringLiteral("dither");
// A pan this far already moves any picture out of the frame.
constexpr int kPanLimit = 100000;

// How the picture is looked at: the view's zoom, pan and threshold, and the logo size.
struct PictureOptions {
    int widthCode = CLogoRaster::kDefaultWidthCode;
    int height = CLogoRaster::kDefaultHeight;
    int zoom = LogoViewChoices::kDefaultZoom;
    int panX = 0, panY = 0;
    int threshold = LogoViewChoices::kDefaultThreshold;
    bool dither = false;
};

bool ParseChoice(const QString& text, std::initializer_list<int> choices, int* value) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok)
        return false;
    for (int c : choices) {
        if (c == v) {
            *value = v;
            return true;
        }
    }
    return false;
}

bool ParseListed(const QString& text, bool (*listed)(int), int* value) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || !listed(v))
        return false;
    *value = v;
    return true;
}

// Reads the picture options; defaults for the logo size from KVU's settings. Returns the
// usage code after saying what is wrong, or Ok.
int ReadPictureOptions(CCliRun& run, PictureOptions* o) {
    run.LoadSettings();
    const CLogoRaster& stored = run.Core().m_logo.m_raster;
    o->widthCode = stored.m_nWidthCode;
    o->height = stored.m_nHeight;
    if (run.IsSet(kWidthCode) && !ParseChoice(run.Value(kWidthCode), {2, 3, 4}, &o->widthCode))
        return run.UsageError(QStringLiteral("--width-code takes 2, 3 or 4"));
    if (run.IsSet(kHeight)) {
        bool ok = false;
        o->height = run.Value(kHeight).toInt(&ok);
        if (!ok || o->height < CLogoRaster::kMinHeight || o->height > CLogoRaster::kMaxRows)
            return run.UsageError(QStringLiteral("--height takes 1 to 300"));
    }
    if (run.IsSet(kZoom) && !ParseListed(run.Value(kZoom), LogoViewChoices::IsZoom, &o->zoom))
        return run.UsageError(
            QStringLiteral("--zoom takes %1 (quarters)").arg(LogoViewChoices::ZoomList()));
    if (run.IsSet(kPan)) {
        const QStringList parts = run.Value(kPan).split(QLatin1Char(','));
        bool okX = false, okY = false;
        if (parts.size() == 2) {
            o->panX = parts[0].trimmed().toInt(&okX);
            o->panY = parts[1].trimmed().toInt(&okY);
        }
        // Compared both ways rather than through abs(), which has no answer for INT_MIN.
        const auto within = [](int v) { return v >= -kPanLimit && v <= kPanLimit; };
        if (!okX || !okY || !within(o->panX) || !within(o->panY))
            return run.UsageError(QStringLiteral("--pan takes X,Y in screen pixels"));
    }
    if (run.IsSet(kThreshold) &&
        !ParseListed(run.Value(kThreshold), LogoViewChoices::IsThreshold, &o->threshold))
        return run.UsageError(
            QStringLiteral("--threshold takes %1").arg(LogoViewChoices::ThresholdList()));
    o->dither = run.IsSet(kDither);
    if (o->dither && run.IsSet(kThreshold))
        return run.UsageError(QStringLiteral("--dither and --threshold exclude each other"));
    return KvuCtlExit::Ok;
}

// Reads the file; prints each warning and error on its own line to `to`. False (after
// saying why on stderr when the file cannot be read at all) unless the picture loaded.
bool ReadPicture(CCliRun& run, const QString& path, CSourceBitmap& bmp, QTextStream& to) {
    // BMP files go to the reader as they are; PNG and JPEG are converted first.
    const LogoPictureIo::PictureRead report = LogoPictureIo::ReadPicture(path, bmp);
    if (!report.opened) {
        run.FileError(path, QLatin1String(CSourceBitmap::kOpenFailed), report.detail);
        return false;
    }
    if (!report.status.isEmpty())
        run.Err() << "kvuctl: " << report.status << '\n';
    for (QString text : report.texts) {
        text.chop(1); // each ends in its line break
        to << text << '\n';
    }
    to.flush();
    return bmp.m_bLoaded != 0;
}

// The raster Flash would send for the picture at these options, as the view builds it:
// rendered, composed at the pan and zoom, read back from inside the frame.
void BuildLogo(CCliRun& run, const CSourceBitmap& bmp, const PictureOptions& o, CLogoRaster& raster,
               CLogoSurfaces& surfaces) {
    raster.SetWidthCode(o.widthCode);
    raster.m_nHeight = o.height;
    const CLogoSurfaces::Render rendered = o.dither
                                               ? surfaces.RenderDithered(bmp, nullptr)
                                               : surfaces.RenderSurfaces(bmp, o.threshold, nullptr);
    if (rendered == CLogoSurfaces::Render::PreviewOnly)
        run.Err() << "kvuctl: " << CLogoSurfaces::kNotFullySupported
                  << " Only 24-bit pictures become a logo; this one leaves it blank.\n";
    surfaces.ComposeView(bmp, raster, o.panX, o.panY, o.zoom);
    surfaces.BuildRaster(bmp, raster);
}

// Reads the options and the picture and builds the raster; Ok or the exit code.
int PrepareLogo(CCliRun& run, const QString& path, CSourceBitmap& bmp, CLogoRaster& raster,
                CLogoSurfaces* surfacesOut = nullptr) {
    PictureOptions o;
    if (const int rc = ReadPictureOptions(run, &o); rc != KvuCtlExit::Ok)
        return rc;
    if (!ReadPicture(run, path, bmp, run.Err()))
        return KvuCtlExit::FileError;
    std::unique_ptr<CLogoSurfaces> own;
    if (!surfacesOut) {
        own = std::make_unique<CLogoSurfaces>(CLogoSurfaces::Use::Once);
        surfacesOut = own.get();
    }
    BuildLogo(run, bmp, o, raster, *surfacesOut);
    return KvuCtlExit::Ok;
}

int ExitFor(CLogoTransfer::Result r) {
    switch (r) {
    case CLogoTransfer::Result::Done:
        return KvuCtlExit::Ok;
    case CLogoTransfer::Result::NoQuestion:
        return KvuCtlExit::NotConfirmed;
    case CLogoTransfer::Result::BadSlot:
        return KvuCtlExit::Usage;
    default:
        return KvuCtlExit::LinkError;
    }
}

bool ParseSlot(CCliRun& run, const QString& text, int* slot) {
    if (!ParseChoice(text, {0, 1, 2, 3, 4, 5, 6, 7}, slot)) {
        run.UsageError(QStringLiteral("SLOT is 0 to 7"));
        return false;
    }
    return true;
}

int RunCheck(CCliRun& run) {
    auto bmp = std::make_unique<CSourceBitmap>();
    // The reader's warnings and error are diagnostics: stderr, so that stdout holds the
    // verdict alone and a refused file leaves it empty.
    if (!ReadPicture(run, run.Argument(0), *bmp, run.Err()))
        return KvuCtlExit::FileError;
    run.Out() << "loaded " << bmp->biWidth << " x " << bmp->biHeight << ", " << bmp->biBitCount
              << " bits" << (bmp->m_bTopDown ? ", rows stored top-down" : "") << '\n';
    return KvuCtlExit::Ok;
}

// A binary PBM: black is 1, the leftmost dot in the top bit, exactly the raster's rows.
QByteArray PbmBytes(const CLogoRaster& raster) {
    QByteArray out = QByteArray("P4\n") + QByteArray::number(raster.m_nDots) + ' ' +
                     QByteArray::number(raster.m_nHeight) + '\n';
    for (int y = 0; y < raster.m_nHeight; ++y)
        out.append(reinterpret_cast<const char*>(raster.Row(y)), raster.m_nBytesPerLine);
    return out;
}

// Standard output named as a file: written through, never replaced by a temporary file
// renamed over it (which would put a file in place of /dev/stdout, or fail in /dev).
bool IsDescriptorPath(const QString& path) {
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    return clean == QLatin1String("/dev/stdout") || clean == QLatin1String("/dev/stderr") ||
           clean.startsWith(QLatin1String("/dev/fd/")) ||
           clean.startsWith(QLatin1String("/proc/self/fd/"));
}

// A pipe, a terminal or a FIFO to write into; block devices and folders are not.
bool IsStreamTarget(const QString& path) {
    if (IsDescriptorPath(path))
        return true;
#ifdef Q_OS_UNIX
    struct stat st {};
    if (stat(QFile::encodeName(path).constData(), &st) == 0)
        return S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) || S_ISSOCK(st.st_mode);
#endif
    return false;
}

bool WriteThrough(const QString& path, const QByteArray& bytes, QString* detail) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes) != bytes.size()) {
        *detail = file.errorString();
        return false;
    }
    return true;
}

// "-": the bytes on standard output as they are (a test's string stream takes each byte
// as one Latin-1 character).
bool WriteStandardOutput(CCliRun& run, const QByteArray& bytes, QString* detail) {
    QTextStream& out = run.Out();
    out.flush();
    if (QIODevice* device = out.device()) {
        if (device->write(bytes) != bytes.size()) {
            *detail = device->errorString();
            return false;
        }
        return true;
    }
    if (QString* text = out.string())
        text->append(QString::fromLatin1(bytes));
    return true;
}

int RunPreview(CCliRun& run) {
    if (!run.IsSet(QStringLiteral("output")))
        return run.UsageError(QStringLiteral("preview needs -o OUT.pbm or -o OUT.png"));
    const QString target = run.Value(QStringLiteral("output"));
    const bool toStdout = target == QLatin1String("-");
    const bool stream = toStdout || IsStreamTarget(target);
    bool png = target.endsWith(QLatin1String(".png"), Qt::CaseInsensitive);
    const bool named = png || target.endsWith(QLatin1String(".pbm"), Qt::CaseInsensitive);
    if (run.IsSet(QStringLiteral("format"))) {
        const QString format = run.Value(QStringLiteral("format")).toLower();
        if (format != QLatin1String("pbm") && format != QLatin1String("png"))
            return run.UsageError(QStringLiteral("--format takes pbm or png"));
        if (named && (format == QLatin1String("png")) != png)
            return run.UsageError(
                QStringLiteral("--format %1 contradicts the name %2").arg(format, target));
        png = format == QLatin1String("png");
    } else if (!named && !stream) {
        return run.UsageError(QStringLiteral("the preview is written as a .pbm or a .png file"));
    }
    auto bmp = std::make_unique<CSourceBitmap>();
    auto raster = std::make_unique<CLogoRaster>();
    auto surfaces = std::make_unique<CLogoSurfaces>(CLogoSurfaces::Use::Once);
    if (const int rc = PrepareLogo(run, run.Argument(0), *bmp, *raster, surfaces.get());
        rc != KvuCtlExit::Ok)
        return rc;
    // The PNG comes from the core's own encoder: Qt's image codecs (QtGui and the codec
    // module) would cost more to load than everything else the preview does.
    const CSurface& composite = surfaces->m_composite;
    const QByteArray bytes =
        png ? PngWriter::Encode(composite.Row(0), composite.Width(), composite.Height())
            : PbmBytes(*raster);
    QString detail;
    bool written = false;
    if (bytes.isEmpty())
        detail = QStringLiteral("the picture could not be encoded");
    else if (!stream)
        written = FileAccess::WriteRegenerableFile(target, bytes, &detail);
    else
        written = toStdout ? WriteStandardOutput(run, bytes, &detail)
                           : WriteThrough(target, bytes, &detail);
    if (!written) {
        run.FileError(target, QStringLiteral("Failed to open a file for write."), detail);
        return KvuCtlExit::FileError;
    }
    return KvuCtlExit::Ok;
}

int RunTestPrint(CCliRun& run) {
    auto bmp = std::make_unique<CSourceBitmap>();
    auto raster = std::make_unique<CLogoRaster>();
    if (const int rc = PrepareLogo(run, run.Argument(0), *bmp, *raster); rc != KvuCtlExit::Ok)
        return rc;
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    return ExitFor(CLogoTransfer(run.Link(), run.Services()).TestPrint(*raster));
}

int RunFlash(CCliRun& run) {
    int slot = 0;
    if (!ParseSlot(run, run.Argument(0), &slot))
        return KvuCtlExit::Usage;
    auto bmp = std::make_unique<CSourceBitmap>();
    auto raster = std::make_unique<CLogoRaster>();
    if (const int rc = PrepareLogo(run, run.Argument(1), *bmp, *raster); rc != KvuCtlExit::Ok)
        return rc;
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    // Asked before the port is opened: a refused blank logo touches no printer.
    if (!CLogoTransfer::BlankLogoConfirmed(*raster, slot, run.Services()))
        return KvuCtlExit::NotConfirmed;
    return ExitFor(CLogoTransfer(run.Link(), run.Services()).FlashLogo(*raster, slot));
}

int RunPrint(CCliRun& run) {
    int slot = 0;
    if (!ParseSlot(run, run.Argument(0), &slot))
        return KvuCtlExit::Usage;
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    return ExitFor(CLogoTransfer(run.Link(), run.Services()).PrintSlot(slot));
}

int RunFeed(CCliRun& run) {
    if (const int rc = run.PrepareLink(); rc != KvuCtlExit::Ok)
        return rc;
    return ExitFor(CLogoTransfer(run.Link(), run.Services()).TestFeed());
}
} // namespace

std::vector<CCliCommand> LogoCommands() {
    const QString linkHelp = CCliRun::LinkHelp();
    using namespace LogoViewChoices;
    const QString pictureHelp =
        QStringLiteral(
            "The picture is looked at as the logo view shows it:\n"
            "  --width-code 2|3|4   paper width: 384, 576 or 832 dots (default: KVU's logo size)\n"
            "  --height N           logo lines, 1 to 300 (default: KVU's logo size)\n"
            "  --zoom Q             %1 quarters (x%2 to x%3; default %4)\n"
            "  --pan X,Y            the picture moved by X,Y screen pixels (default 0,0)\n"
            "  --threshold P        %5 percent (default %6)\n"
            "  --dither             Floyd-Steinberg dithering instead of a threshold, for "
            "photographs\n"
            "BMP may also be a PNG or JPEG picture: it is converted to 24 bits (transparent parts "
            "on\n"
            "white) and scaled down to fit 1024 x 768 when larger (up to 16384 pixels a side).\n")
            .arg(ZoomList(), QString::number(std::begin(kZooms)->quarters / 4.0, 'f', 1),
                 QString::number((std::end(kZooms) - 1)->quarters / 4.0, 'f', 1),
                 QString::number(kDefaultZoom), ThresholdList(),
                 QString::number(kDefaultThreshold));
    const QStringList picture = {kWidthCode, kHeight, kZoom, kPan, kThreshold, kDither};
    std::vector<CCliCommand> rows = {
        {QStringLiteral("logo check"),
         QStringLiteral("BMP"),
         QStringLiteral("Run the bitmap reader's checks on BMP."),
         QStringLiteral(
             "Prints each warning and error of the reader on its own line, in its order,\n"
             "on stderr, then 'loaded W x H, B bits' on stdout when the picture was accepted\n"
             "(followed by ', rows stored top-down' for a file that stores its top row first).\n"
             "Exit 0 when it loaded, 3 when it was refused or cannot be read.\n"),
         {},
         1,
         RunCheck,
         {QStringLiteral("kvuctl logo check shop-logo.bmp")}},
        {QStringLiteral("logo preview"),
         QStringLiteral("BMP -o OUT.pbm|OUT.png|- [--format pbm|png] [picture options]"),
         QStringLiteral("Write the logo Flash would send as a PBM file, or\n"
                        "the 960 x 600 picture the view shows as a PNG."),
         QStringLiteral(
             "OUT.pbm: a binary PBM (P4) whose width is the dots per line, whose height\n"
             "is the logo height and whose rows are the raster rows Flash would send.\n"
             "OUT.png: the view's 960 x 600 picture, the logo frame at (64, 89).\n"
             "-o - writes to standard output, as does a pipe or device named as OUT\n"
             "(/dev/stdout): a PBM unless --format png says otherwise.\n") +
             pictureHelp,
         QStringList{QStringLiteral("output"), QStringLiteral("format")} + picture,
         1,
         RunPreview,
         {QStringLiteral("kvuctl logo preview shop-logo.bmp -o preview.png"),
          QStringLiteral(
              "kvuctl logo preview photo.jpg -o logo.pbm --width-code 3 --height 120 --dither")}},
        {QStringLiteral("logo test-print"),
         QStringLiteral("BMP [--port P] [picture options]"),
         QStringLiteral("Print the logo at once without storing it, as\n"
                        "Test Print."),
         QStringLiteral("Sends the raster line by line, without pauses.\n") + pictureHelp +
             linkHelp,
         QStringList{kPort, kBaud} + picture,
         1,
         RunTestPrint,
         {QStringLiteral("kvuctl logo test-print shop-logo.bmp --port COM2 --zoom 8")}},
        {QStringLiteral("logo flash"),
         QStringLiteral("SLOT BMP [--port P] [--yes] [picture options]"),
         QStringLiteral("Burn the logo into slot 0 to 7, as Flash: at\n"
                        "least 7.5 s, each step printed with its time."),
         QStringLiteral(
             "Sends the download prologue, waits for the printer's '?', selects SLOT and\n"
             "sends the raster and the epilogue with their pauses.\n"
             "A logo with no black dot inside the frame is not burned unless --yes is\n"
             "given: nothing is sent, exit 1.\n"
             "Exit 0 when sent, 1 when no '?' came, 4 when the port failed.\n") +
             pictureHelp + linkHelp,
         QStringList{kPort, kBaud, QStringLiteral("yes")} + picture,
         2,
         RunFlash,
         {QStringLiteral("kvuctl logo flash 3 shop-logo.bmp --port /dev/ttyUSB0"),
          QStringLiteral("kvuctl logo flash 0 badge.png --threshold 75 --pan 40,-10")}},
        {QStringLiteral("logo print"),
         QStringLiteral("SLOT [--port P...]"),
         QStringLiteral("Print the logo stored in slot 0 to 7."),
         QStringLiteral("Sends ESC Lg and the slot digit.\n") + linkHelp,
         {kPort, kBaud},
         1,
         RunPrint,
         {QStringLiteral("kvuctl logo print 3 --port COM2")}},
        {QStringLiteral("logo feed"),
         QStringLiteral("[--port P]"),
         QStringLiteral("Feed one line, as Test Feed."),
         QStringLiteral("Sends CR LF.\n") + linkHelp,
         {kPort, kBaud},
         0,
         RunFeed,
         {QStringLiteral("kvuctl logo feed --port COM2")}},
    };
    for (CCliCommand& row : rows) {
        if (row.name == QLatin1String("logo flash"))
            CCliRun::AllowManyPorts(row, QStringLiteral("logo flash 0 shop.bmp"));
        else if (row.name == QLatin1String("logo print"))
            CCliRun::AllowManyPorts(row, QStringLiteral("logo print 0"));
    }
    return rows;
}
