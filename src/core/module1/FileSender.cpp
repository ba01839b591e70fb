#include "FileSender.h"

#include "files/FileAccess.h"

#include <QFile>

CFileSender::CFileSender() = default;
CFileSender::~CFileSender() = default;

bool CFileSender::Open(const QString& path, QString* detail) {
    Close();
    // A FIFO or a device would block the open or never end.
    if (FileAccess::IsNonRegular(path)) {
        if (detail)
            *detail = FileAccess::NotRegularText(path);
        return false;
    }
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        if (detail)
            *detail = file->errorString();
        return false;
    }
    m_device = std::move(file);
    return true;
}

void CFileSender::Open(std::unique_ptr<QIODevice> device) {
    m_device = std::move(device);
}

void CFileSender::Close() {
    m_device.reset();
}

CFileSender::Step CFileSender::Next(QByteArray* line) {
    line->clear();
    if (!m_device)
        return Step::End;
    if (m_device->atEnd())
        return Step::End;
    // readLine reads up to and including the LF, whatever the line's length.
    const QByteArray raw = m_device->readLine();
    if (raw.isEmpty()) {
        // Nothing read although the device was not at its end: the read failed.
        return Step::ReadError;
    }
    *line = raw;
    if (line->endsWith('\n')) {
        line->chop(1);
        if (line->endsWith('\r'))
            line->chop(1);
    }
    return Step::Line;
}

qint64 CFileSender::Position() const {
    return m_device ? m_device->pos() : 0;
}
