#include "document/ProjectFile.h"
#include "document/KVUDoc.h"
#include "logo/SourceBitmap.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
QByteArray ReadFixture(const char* name) {
    QFile f(QStringLiteral(KVU_FIXTURES "/%1").arg(QLatin1String(name)));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

bool SameDoc(const CKVUDoc& a, const CKVUDoc& b) {
    return CProjectFile::Serialize(a) == CProjectFile::Serialize(b);
}

CKVUDoc SampleDoc() {
    CKVUDoc d;
    d.m_bUnderline = 1;
    d.m_bInternational = 1;
    d.m_bLinePrint = 1;
    d.m_nFont = 3;
    d.m_nContrast = 9;
    d.m_nLineSpacing = 24;
    d.m_nFormFeed = 65535;
    d.m_nSleepMinutes = 5;
    d.m_strTestMessage = QStringLiteral("^[UU\\x41 caf\u00e9 \u20ac");
    d.m_strMacroCaption[2] = QStringLiteral("Feed");
    d.m_strMacroText[5] = QStringLiteral("^M^J");
    d.m_strSendFile[1] = QStringLiteral("/tmp/font.bdf");
    return d;
}
} // namespace

TEST(ProjectFile, NewDocumentMatchesTheHandWrittenFixture) {
    CKVUDoc doc;
    const QByteArray bytes = CProjectFile::Serialize(doc);
    EXPECT_EQ(bytes, ReadFixture("new-project.qpf"));
    EXPECT_EQ(bytes.mid(108, 1), QByteArray(1, '\0'));
    EXPECT_EQ(bytes.mid(109, 16), QByteArray("\x0FMacro Button 01"));
}

TEST(ProjectFile, FontAndContrastComeBeforeTheNumbersInTheFile) {
    CKVUDoc doc;
    doc.m_nFont = 0x11;
    doc.m_nContrast = 0x22;
    doc.m_nLineSpacing = 0x33;
    const QByteArray bytes = CProjectFile::Serialize(doc);
    EXPECT_EQ(bytes.mid(68, 12), QByteArray("\x11\0\0\0\x22\0\0\0\x33\0\0\0", 12));
}

TEST(ProjectFile, RoundTripKeepsEveryMember) {
    const CKVUDoc doc = SampleDoc();
    CKVUDoc back;
    ASSERT_EQ(CProjectFile::Deserialize(CProjectFile::Serialize(doc), back),
              CProjectFile::Result::Ok);
    EXPECT_TRUE(SameDoc(doc, back));
    EXPECT_EQ(back.m_strTestMessage, doc.m_strTestMessage);
    EXPECT_EQ(back.m_nFormFeed, 65535);
}

TEST(ProjectFile, StringLengthPrefixBoundaries) {
    struct Case {
        int length;
        QByteArray prefix;
    } cases[] = {
        {0, QByteArray("\x00", 1)},
        {254, QByteArray("\xFE", 1)},
        {255, QByteArray("\xFF\xFF\x00", 3)},
        {65533, QByteArray("\xFF\xFD\xFF", 3)},
        {65534, QByteArray("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
        {70000, QByteArray("\xFF\xFF\xFF\x70\x11\x01\x00", 7)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CProjectFile::LengthPrefix(quint32(c.length)), c.prefix) << c.length;
        CKVUDoc doc;
        doc.m_strMacroText[0] = QString(c.length, QLatin1Char('m'));
        const QByteArray bytes = CProjectFile::Serialize(doc);
        // test message (1 byte), caption 1 (16 bytes), then macro text 1.
        EXPECT_EQ(bytes.mid(108 + 1 + 16, c.prefix.size()), c.prefix) << c.length;
        CKVUDoc back;
        ASSERT_EQ(CProjectFile::Deserialize(bytes, back), CProjectFile::Result::Ok) << c.length;
        EXPECT_EQ(back.m_strMacroText[0].size(), c.length);
    }
}

TEST(ProjectFile, ReadsSixteenBitStrings) {
    CKVUDoc doc;
    QByteArray bytes = CProjectFile::Serialize(doc).left(108);
    // test message in the wide form: FF FEFF, then the count of 16-bit characters.
    bytes += QByteArray("\xFF\xFE\xFF\x04", 4);
    bytes += QByteArray("H\0i\0\xAC\x20!\0", 8); // "Hi€!"
    // caption 1 in the wide form with a 16-bit count
    bytes += QByteArray("\xFF\xFE\xFF\xFF\x02\x00", 6) + QByteArray("O\0K\0", 4);
    for (int i = 0; i < 13; ++i)
        bytes += '\0';
    ASSERT_EQ(CProjectFile::Deserialize(bytes, doc), CProjectFile::Result::Ok);
    EXPECT_EQ(doc.m_strTestMessage, QStringLiteral("Hi\u20ac!"));
    EXPECT_EQ(doc.m_strMacroCaption[0], "OK");
}

TEST(ProjectFile, EveryTruncationIsUnexpectedFormat) {
    const QByteArray bytes = CProjectFile::Serialize(SampleDoc());
    for (int cut = 1; cut < bytes.size(); ++cut) {
        CKVUDoc doc;
        ASSERT_EQ(CProjectFile::Deserialize(bytes.left(cut), doc), CProjectFile::Result::BadFormat)
            << cut;
    }
}

TEST(ProjectFile, MalformedPrefixesAndTrailingBytes) {
    const QByteArray ints = CProjectFile::Serialize(CKVUDoc()).left(108);
    struct Case {
        const char* name;
        QByteArray tail;
        CProjectFile::Result result;
    } cases[] = {
        {"32-bit length of 4 GB", QByteArray("\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 7) + "abc",
         CProjectFile::Result::BadFormat},
        {"16-bit length past the end", QByteArray("\xFF\x00\x10", 3) + "abc",
         CProjectFile::Result::BadFormat},
        {"odd bytes for a 16-bit string", QByteArray("\xFF\xFE\xFF\x03", 4) + "abcde",
         CProjectFile::Result::BadFormat},
        {"wide marker twice", QByteArray("\xFF\xFE\xFF\xFF\xFE\xFF\x01", 7) + "a\0",
         CProjectFile::Result::BadFormat},
    };
    for (const Case& c : cases) {
        CKVUDoc doc;
        EXPECT_EQ(CProjectFile::Deserialize(ints + c.tail, doc), c.result) << c.name;
    }
    CKVUDoc doc;
    QByteArray big = CProjectFile::Serialize(SampleDoc());
    big += QByteArray(3 * 1024 * 1024, '\x5A');
    ASSERT_EQ(CProjectFile::Deserialize(big, doc), CProjectFile::Result::Ok);
    EXPECT_TRUE(SameDoc(doc, SampleDoc()));
}

TEST(ProjectFile, OutOfRangeValuesLoadUnchanged) {
    CKVUDoc doc;
    doc.m_nFont = 57;
    doc.m_nLineSpacing = -9;
    doc.m_bBold = doc.m_bNoBold = 1;
    doc.m_bUnderline = 7;
    CKVUDoc back;
    ASSERT_EQ(CProjectFile::Deserialize(CProjectFile::Serialize(doc), back),
              CProjectFile::Result::Ok);
    EXPECT_EQ(back.m_nFont, 57);
    EXPECT_EQ(back.m_nLineSpacing, -9);
    EXPECT_EQ(back.m_bUnderline, 7);
}

TEST(ProjectFile, FilesOnDisk) {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.qpf");
    ASSERT_EQ(CProjectFile::Save(path, SampleDoc()), CProjectFile::Result::Ok);
    CKVUDoc back;
    ASSERT_EQ(CProjectFile::Load(path, back), CProjectFile::Result::Ok);
    EXPECT_TRUE(SameDoc(back, SampleDoc()));

    // An empty file loads nothing and says nothing.
    QFile empty(dir.filePath("empty.qpf"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    CKVUDoc fresh;
    fresh.m_nFont = 4;
    EXPECT_EQ(CProjectFile::Load(empty.fileName(), fresh), CProjectFile::Result::Ok);
    EXPECT_EQ(fresh.m_nFont, 4);

    EXPECT_EQ(CProjectFile::Load(dir.filePath("missing.qpf"), back),
              CProjectFile::Result::CannotOpen);
    EXPECT_EQ(CProjectFile::Load(dir.path(), back), CProjectFile::Result::CannotOpen);
    EXPECT_EQ(CProjectFile::Message(CProjectFile::Result::CannotOpen), "Failed to open document.");
    EXPECT_EQ(CProjectFile::Message(CProjectFile::Result::BadFormat), "Unexpected file format.");
}

TEST(ProjectFile, FailedSaveKeepsThePreviousFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.qpf");
    ASSERT_EQ(CProjectFile::Save(path, SampleDoc()), CProjectFile::Result::Ok);
    const QByteArray before = CProjectFile::Serialize(SampleDoc());
    // The folder no longer takes new files: the temporary file cannot be created.
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (::geteuid() == 0) {
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
        // As root permissions do not stop writes; a missing folder does.
        EXPECT_EQ(CProjectFile::Save(dir.filePath("gone/keep.qpf"), CKVUDoc()),
                  CProjectFile::Result::CannotWrite);
    } else {
        EXPECT_EQ(CProjectFile::Save(path, CKVUDoc()), CProjectFile::Result::CannotWrite);
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                              QFileDevice::ExeOwner);
    }
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST(KVUDoc, DeleteContentsRestoresNewValuesAndClearsTheLogo) {
    CSourceBitmap source;
    source.m_bLoaded = 1;
    CKVUDoc doc = SampleDoc();
    doc.SetSourceBitmap(&source);
    doc.DeleteContents();
    EXPECT_TRUE(SameDoc(doc, CKVUDoc()));
    EXPECT_EQ(doc.m_strMacroCaption[5], "Macro Button 06");
    EXPECT_EQ(source.m_bLoaded, 0);
    EXPECT_EQ(doc.GetTitle(), "Untitled");
    doc.SetPathName("/home/u/shop.qpf");
    EXPECT_EQ(doc.GetTitle(), "shop.qpf");
}
