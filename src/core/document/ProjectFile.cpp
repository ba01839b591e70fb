#include "ProjectFile.h"

#include "KVUDoc.h"
#include "files/FileAccess.h"
#include "text/CodePage.h"

#include <QtEndian>

namespace {
// In the file the combo members come before the five numbers, unlike in the document.
template <class Doc> auto IntegerInFileOrder(Doc& d, int i) {
    decltype(&d.m_bUnderline) const order[27] = {
        &d.m_bUnderline,    &d.m_bNoUnderline,  &d.m_bBold,          &d.m_bNoBold,
        &d.m_bWhiteOnBlack, &d.m_bBlackOnWhite, &d.m_bDoubleWidth,   &d.m_bNormalWidth,
        &d.m_bDoubleHeight, &d.m_bNormalHeight, &d.m_bSendEot,       &d.m_bNoSendEot,
        &d.m_bRightToLeft,  &d.m_bLeftToRight,  &d.m_bPcLineDraw,    &d.m_bInternational,
        &d.m_bLinePrint,    &d.m_nFont,         &d.m_nContrast,      &d.m_nLineSpacing,
        &d.m_nFormFeed,     &d.m_nVerticalTab,  &d.m_nHorizontalTab, &d.m_nSensorSensitivity,
        &d.m_nSleepHours,   &d.m_nSleepMinutes, &d.m_nSleepSeconds,
    };
    return order[i];
}

template <class Doc> auto StringInFileOrder(Doc& d, int i) -> decltype(&d.m_strTestMessage) {
    if (i == 0)
        return &d.m_strTestMessage;
    if (i <= 12)
        return (i % 2) ? &d.m_strMacroCaption[size_t((i - 1) / 2)]
                       : &d.m_strMacroText[size_t((i - 1) / 2)];
    return &d.m_strSendFile[size_t(i - 13)];
}

const quint16 kWideMarker = 0xFFFE;
const quint16 kLongMarker = 0xFFFF;
const quint8 kEscapeByte = 0xFF;

class Reader {
public:
    explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {}
    bool Int32(qint32* v) {
        if (Left() < 4)
            return false;
        *v = qFromLittleEndian<qint32>(m_bytes.constData() + m_pos);
        m_pos += 4;
        return true;
    }
    bool UInt16(quint16* v) {
        if (Left() < 2)
            return false;
        *v = qFromLittleEndian<quint16>(m_bytes.constData() + m_pos);
        m_pos += 2;
        return true;
    }
    bool UInt8(quint8* v) {
        if (Left() < 1)
            return false;
        *v = quint8(m_bytes[int(m_pos)]);
        m_pos += 1;
        return true;
    }
    // A length in any of its three forms; *wide is set when the 16-bit marker came first.
    bool Length(quint32* length, bool* wide) {
        *wide = false;
        for (int round = 0; round < 2; ++round) {
            quint8 b = 0;
            if (!UInt8(&b))
                return false;
            if (b != kEscapeByte) {
                *length = b;
                return true;
            }
            quint16 w = 0;
            if (!UInt16(&w))
                return false;
            if (w == kWideMarker) {
                if (*wide)
                    return false; // the marker twice is not a length
                *wide = true;
                continue;
            }
            if (w != kLongMarker) {
                *length = w;
                return true;
            }
            qint32 l = 0;
            if (!Int32(&l))
                return false;
            *length = quint32(l);
            return true;
        }
        return false;
    }
    bool String(QString* out) {
        quint32 length = 0;
        bool wide = false;
        if (!Length(&length, &wide))
            return false;
        // A prefix larger than what is left cannot be honoured, whatever it claims.
        const quint64 bytes = quint64(length) * (wide ? 2 : 1);
        if (bytes > quint64(Left()))
            return false;
        const char* data = m_bytes.constData() + m_pos;
        if (wide) {
            const QString text = QString::fromUtf16(
                reinterpret_cast<const char16_t*>(QByteArray(data, int(bytes)).constData()),
                int(length));
            *out = CodePage::FromBytes(CodePage::ToBytes(text));
        } else {
            *out = CodePage::FromBytes(data, int(length));
        }
        m_pos += qint64(bytes);
        return true;
    }

private:
    qint64 Left() const { return m_bytes.size() - m_pos; }
    const QByteArray& m_bytes;
    qint64 m_pos = 0;
};
} // namespace

QByteArray CProjectFile::LengthPrefix(quint32 length) {
    QByteArray out;
    if (length < 255) {
        out += char(length);
    } else if (length < 0xFFFE) {
        out += char(kEscapeByte);
        out += char(length & 0xFF);
        out += char(length >> 8);
    } else {
        out += char(kEscapeByte);
        out += char(0xFF);
        out += char(0xFF);
        char buffer[4];
        qToLittleEndian<quint32>(length, buffer);
        out.append(buffer, 4);
    }
    return out;
}

QByteArray CProjectFile::Serialize(const CKVUDoc& doc) {
    QByteArray out;
    for (int i = 0; i < 27; ++i) {
        char buffer[4];
        qToLittleEndian<qint32>(*IntegerInFileOrder(doc, i), buffer);
        out.append(buffer, 4);
    }
    for (int i = 0; i < 15; ++i) {
        const QByteArray bytes = CodePage::ToBytes(*StringInFileOrder(doc, i));
        out += LengthPrefix(quint32(bytes.size()));
        out += bytes;
    }
    return out;
}

CProjectFile::Result CProjectFile::Deserialize(const QByteArray& bytes, CKVUDoc& doc) {
    Reader reader(bytes);
    for (int i = 0; i < 27; ++i) {
        qint32 v = 0;
        if (!reader.Int32(&v))
            return Result::BadFormat;
        *IntegerInFileOrder(doc, i) = v;
    }
    for (int i = 0; i < 15; ++i) {
        if (!reader.String(StringInFileOrder(doc, i)))
            return Result::BadFormat;
    }
    return Result::Ok;
}

CProjectFile::Result CProjectFile::Load(const QString& path, CKVUDoc& doc, QString* detail) {
    QByteArray bytes;
    switch (FileAccess::ReadRegularFile(path, kMaxFileSize, &bytes, detail)) {
    case FileAccess::ReadResult::Ok:
        break;
    case FileAccess::ReadResult::TooLarge:
        return Result::BadFormat;
    case FileAccess::ReadResult::CannotOpen:
    case FileAccess::ReadResult::NotRegular:
        return Result::CannotOpen;
    }
    if (bytes.isEmpty())
        return Result::Ok;
    return Deserialize(bytes, doc);
}

CProjectFile::Result CProjectFile::Save(const QString& path, const CKVUDoc& doc, QString* detail) {
    return FileAccess::WriteFileSafely(path, Serialize(doc), detail) ? Result::Ok
                                                                     : Result::CannotWrite;
}

QString CProjectFile::Message(Result result) {
    switch (result) {
    case Result::Ok:
        return QString();
    case Result::CannotOpen:
        return QStringLiteral("Failed to open document.");
    case Result::BadFormat:
        return QStringLiteral("Unexpected file format.");
    case Result::CannotWrite:
        return QStringLiteral("Failed to save document.");
    }
    return QString();
}
