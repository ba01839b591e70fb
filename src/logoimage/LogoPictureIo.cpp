#include "LogoPictureIo.h"

#include "PictureCodecs.h"
#include "files/FileAccess.h"
#include "logo/SourceBitmap.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QMutex>
#include <QStringList>

namespace LogoPictureIo {

namespace {
struct CodecState {
    QMutex lock;
    bool tried = false;
    const PictureCodecs* codecs = nullptr;
    QString problem;
};
CodecState& State() {
    static CodecState state;
    return state;
}

// Qt Gui, which decodes PNG and JPEG, takes a command-line run longer to load than the
// whole conversion of a BMP; so its codecs live in a module that is loaded only when a
// picture needs them. It lies beside the program, or where the package puts it.
const PictureCodecs* LoadCodecs(QString* problem) {
    const QString name = QStringLiteral(KVU_PICTURE_CODECS_NAME);
    QStringList folders;
    if (QCoreApplication::instance()) {
        const QString bin = QCoreApplication::applicationDirPath();
        folders << bin
                << QDir::cleanPath(QDir(bin).filePath(QStringLiteral(KVU_PICTURE_CODECS_FROM_BIN)));
    }
    QStringList tried;
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(name);
        if (!QFileInfo::exists(path))
            continue;
        QLibrary library(path);
        if (!library.load()) {
            tried << library.errorString();
            continue;
        }
        using Entry = const PictureCodecs* (*)();
        const auto entry = reinterpret_cast<Entry>(library.resolve("kvu_picture_codecs"));
        const PictureCodecs* codecs = entry ? entry() : nullptr;
        if (codecs && codecs->version == kPictureCodecsVersion)
            return codecs; // the library stays loaded for the rest of the run
        tried << QStringLiteral("%1 is of another build").arg(library.fileName());
        library.unload();
    }
    *problem = tried.isEmpty()
                   ? QStringLiteral("the PNG and JPEG support, %1, is not installed in %2")
                         .arg(name, folders.join(QStringLiteral(" or ")))
                   : QStringLiteral("the PNG and JPEG support could not be loaded: %1")
                         .arg(tried.join(QStringLiteral("; ")));
    return nullptr;
}

const PictureCodecs* Codecs(QString* problem) {
    CodecState& state = State();
    QMutexLocker locker(&state.lock);
    if (!state.tried) {
        state.tried = true;
        state.codecs = LoadCodecs(&state.problem);
    }
    if (!state.codecs && problem)
        *problem = state.problem;
    return state.codecs;
}
} // namespace

bool IsConvertible(const QByteArray& head) {
    return head.startsWith("\x89PNG\r\n\x1A\n") || head.startsWith("\xFF\xD8\xFF");
}

Converted ConvertToBitmap(const QByteArray& file) {
    QString problem;
    if (const PictureCodecs* codecs = Codecs(&problem))
        return codecs->convertToBitmap(file);
    Converted missing;
    missing.error = problem;
    return missing;
}

PictureRead ReadPicture(const QString& path, CSourceBitmap& bmp) {
    PictureRead out;
    bmp.m_bLoaded = 0;
    // Devices, FIFOs and folders are refused before they are opened (a FIFO would block).
    if (FileAccess::IsNonRegular(path)) {
        out.detail = FileAccess::NotRegularText(path);
        return out;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        out.detail = file.errorString();
        return out;
    }
    char head[8];
    const qint64 got = file.read(head, sizeof head);
    if (got < 0 || !file.seek(0)) {
        out.detail = file.errorString();
        return out;
    }
    if (!IsConvertible(QByteArray::fromRawData(head, int(got)))) {
        // A BMP goes from the file straight into the picture store.
        const CSourceBitmap::ReadReport report = bmp.ReadFile(file);
        out.opened = report.opened;
        out.detail = report.openDetail;
        out.texts = report.texts;
        return out;
    }
    // A PNG or JPEG of a large picture can be tens of megabytes.
    QByteArray bytes;
    if (FileAccess::ReadRegularFile(path, kMaxPictureFileBytes, &bytes, &out.detail) !=
        FileAccess::ReadResult::Ok)
        return out;
    out.opened = true;
    const Converted converted = ConvertToBitmap(bytes);
    if (!converted.ok) {
        out.texts << QStringLiteral("Error: The picture could not be converted (%1).\n")
                         .arg(converted.error);
        return out;
    }
    out.status = converted.status;
    out.texts = bmp.ReadBytes(converted.bitmap).texts;
    return out;
}

QByteArray CompositePng(const CSurface& composite) {
    const PictureCodecs* codecs = Codecs(nullptr);
    return codecs ? codecs->compositePng(composite) : QByteArray();
}

bool WriteCompositePng(const CSurface& composite, const QString& path, QString* detail) {
    QString problem;
    if (!Codecs(&problem)) {
        if (detail)
            *detail = problem;
        return false;
    }
    const QByteArray png = CompositePng(composite);
    if (png.isEmpty()) {
        if (detail)
            *detail = QStringLiteral("the picture could not be encoded");
        return false;
    }
    return FileAccess::WriteRegenerableFile(path, png, detail);
}

} // namespace LogoPictureIo
