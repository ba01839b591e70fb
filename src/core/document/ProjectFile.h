#pragma once

#include <QByteArray>
#include <QString>

class CKVUDoc;

// The ".qpf" project file: the document's members in one pass, little-endian, with no
// header: 27 32-bit integers (108 bytes), then 15 length-prefixed single-byte strings.
class CProjectFile {
public:
    enum class Result { Ok, CannotOpen, BadFormat, CannotWrite };

    static QByteArray Serialize(const CKVUDoc& doc);
    // Reads the members in file order; on BadFormat the document may hold a partial load
    // and the caller empties it again. Bytes after the fifteenth string are ignored.
    static Result Deserialize(const QByteArray& bytes, CKVUDoc& doc);

    // Loading from disk: a file of length 0 loads nothing (the document keeps its values).
    static Result Load(const QString& path, CKVUDoc& doc, QString* detail = nullptr);
    // Saving writes a temporary file and replaces the old one only when all went well.
    static Result Save(const QString& path, const CKVUDoc& doc, QString* detail = nullptr);

    // The length prefix of a string of `length` bytes.
    static QByteArray LengthPrefix(quint32 length);

    // The framework's texts for the results.
    static QString Message(Result result);

    // Longest project file read; anything longer cannot be a project.
    static constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;
};
