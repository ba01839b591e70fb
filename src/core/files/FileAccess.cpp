#include "FileAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#include <filesystem>
#include <system_error>

namespace {
// All the bytes, or false with the file's error set. One write that fills the disk returns
// the part it wrote and reports nothing; the write of the rest is the one that fails
// with its cause ("No space left on device"), which the caller passes on.
bool WriteWhole(QFileDevice& file, const QByteArray& bytes) {
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return file.flush() && file.error() == QFileDevice::NoError;
}
} // namespace

namespace FileAccess {

bool IsNonRegular(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isFile();
}

QString NotRegularText(const QString& path) {
    return QFileInfo(path).isDir() ? QStringLiteral("is a folder")
                                   : QStringLiteral("is not a regular file");
}

ReadResult ReadRegularFile(const QString& path, qint64 maxBytes, QByteArray* bytes,
                           QString* detail) {
    bytes->clear();
    if (IsNonRegular(path)) {
        if (detail)
            *detail = NotRegularText(path);
        return ReadResult::NotRegular;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (detail)
            *detail = file.errorString();
        return ReadResult::CannotOpen;
    }
    // One byte more than allowed tells an over-long file from one of exactly the limit.
    *bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        if (detail)
            *detail = file.errorString();
        bytes->clear();
        return ReadResult::CannotOpen;
    }
    if (bytes->size() > maxBytes) {
        if (detail)
            *detail = QStringLiteral("larger than %1 bytes").arg(maxBytes);
        bytes->clear();
        return ReadResult::TooLarge;
    }
    return ReadResult::Ok;
}

bool WriteFileSafely(const QString& path, const QByteArray& bytes, QString* detail) {
    if (IsNonRegular(path)) {
        if (detail)
            *detail = NotRegularText(path);
        return false;
    }
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly)) {
        if (detail)
            *detail = file.errorString();
        return false;
    }
    // QSaveFile buffers the write and, on Qt 6.4, commits even when the buffered bytes could
    // not reach the disk (ENOSPC on flush): the temporary file is renamed over the old one
    // empty. So the flush is checked here, before commit; commit itself syncs the data
    // before the rename.
    const bool written = WriteWhole(file, bytes);
    if (!written) {
        if (detail)
            *detail = file.errorString();
        file.cancelWriting();
        file.commit(); // discards the temporary file; the old file is untouched
        return false;
    }
    if (!file.commit()) {
        if (detail)
            *detail = file.errorString();
        return false;
    }
    return true;
}

bool WriteRegenerableFile(const QString& path, const QByteArray& bytes, QString* detail) {
    if (IsNonRegular(path)) {
        if (detail)
            *detail = NotRegularText(path);
        return false;
    }
    const QFileInfo target(path);
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!temp.open())
        return WriteFileSafely(path, bytes, detail); // it knows what to do without a temp
    const bool written = WriteWhole(temp, bytes);
    if (!written) {
        if (detail)
            *detail = temp.errorString();
        return false; // the temporary file goes with `temp`
    }
    // A temporary file is private to its owner; the result is as readable as any file
    // written here, or as the one it replaces.
    temp.setPermissions(target.exists() ? target.permissions()
                                        : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ReadGroup | QFileDevice::ReadOther);
    temp.close();
    std::error_code error;
    // Unlike QFile::rename, this replaces an existing file, in one step on POSIX systems.
    std::filesystem::rename(QFile::encodeName(temp.fileName()).toStdString(),
                            QFile::encodeName(target.absoluteFilePath()).toStdString(), error);
    if (error) {
        if (detail)
            *detail = QString::fromLocal8Bit(error.message().c_str());
        return false;
    }
    temp.setAutoRemove(false);
    return true;
}

} // namespace FileAccess
