#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

class QIODevice;

// A text file sent to the printer one line per step. Lines end at LF, a CR just before
// the LF belongs to the line end (CR LF files and LF files read alike), a last line without
// an end still counts, and lines may be of any length. The file is read as it is sent, so a
// large file costs no memory and a read error shows where it happens.
class CFileSender {
public:
    enum class Step { Line, End, ReadError };

    CFileSender();
    ~CFileSender();

    // Opens a regular file for sending; false (with a reason) for anything else.
    bool Open(const QString& path, QString* detail = nullptr);
    // Sends from any device (tests use one that fails on purpose); takes ownership.
    void Open(std::unique_ptr<QIODevice> device);
    void Close();
    bool IsOpen() const { return m_device != nullptr; }

    // The next line without its line end; End after the last line.
    Step Next(QByteArray* line);
    // How far into the file the sending is, in bytes.
    qint64 Position() const;

private:
    std::unique_ptr<QIODevice> m_device;
};
