#include "files/FileAccess.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QByteArray Contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool WriteRaw(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A tmpfs of 64 KB filled to the last block: writes fail with ENOSPC. Needs root (as CI is).
class FullDisk {
public:
    FullDisk() {
        if (geteuid() != 0 || !m_dir.isValid())
            return;
        if (mount("tmpfs", m_dir.path().toLocal8Bit().constData(), "tmpfs", 0, "size=64k") != 0)
            return;
        m_mounted = true;
    }
    ~FullDisk() {
        if (m_mounted)
            umount(m_dir.path().toLocal8Bit().constData());
    }
    bool Mounted() const { return m_mounted; }
    QString Path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    void Fill() {
        QFile fill(Path("fill"));
        fill.open(QIODevice::WriteOnly);
        const QByteArray block(1024, 'x');
        while (fill.write(block) == block.size() && fill.flush()) {
        }
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

// Both ways of replacing a file keep the old one on every failure.
const struct Writer {
    const char* name;
    bool (*write)(const QString&, const QByteArray&, QString*);
} kWriters[] = {{"WriteFileSafely", FileAccess::WriteFileSafely},
                {"WriteRegenerableFile", FileAccess::WriteRegenerableFile}};
} // namespace

TEST(FileAccess, FullDiskLeavesTheOldFileAndReportsTheFailure) {
    FullDisk disk;
    if (!disk.Mounted())
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    const QString path = disk.Path("project.qpf");
    const QByteArray old = CProjectFile::Serialize(CKVUDoc());
    ASSERT_TRUE(WriteRaw(path, old));
    disk.Fill();

    CKVUDoc changed;
    changed.m_strTestMessage = QString(4000, QLatin1Char('A'));
    QString detail;
    EXPECT_EQ(CProjectFile::Save(path, changed, &detail), CProjectFile::Result::CannotWrite);
    EXPECT_FALSE(detail.isEmpty());
    EXPECT_EQ(Contents(path), old) << "the previous project must survive a full disk";
    for (const Writer& w : kWriters) {
        EXPECT_FALSE(w.write(path, QByteArray(200, 'e'), nullptr)) << w.name;
        EXPECT_EQ(Contents(path), old) << w.name;
    }
    // Nothing is left behind beside it but what was there.
    EXPECT_EQ(QDir(disk.Path("")).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(FileAccess, NonRegularTargetsAreNeverReplaced) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.qpf"));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& target : {fifo, QStringLiteral("/dev/null"), dir.path()}) {
        for (const Writer& w : kWriters) {
            QString detail;
            EXPECT_FALSE(w.write(target, "bytes", &detail)) << w.name << " " << target.toStdString();
            EXPECT_TRUE(detail == QLatin1String("is not a regular file") ||
                        detail == QLatin1String("is a folder"))
                << detail.toStdString();
        }
        EXPECT_EQ(CProjectFile::Save(target, CKVUDoc()), CProjectFile::Result::CannotWrite);
    }
    struct stat st {};
    ASSERT_EQ(stat(fifo.toLocal8Bit().constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the FIFO was replaced by a regular file";
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST(FileAccess, ARegenerableFileReplacesTheOldOneWithItsPermissionsAndLeavesNothingBeside) {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("new.pbm"));
    ASSERT_TRUE(FileAccess::WriteRegenerableFile(fresh, "P4\n1 1\n\x80"));
    EXPECT_EQ(Contents(fresh), QByteArray("P4\n1 1\n\x80"));
    // Not the private mode of a temporary file: others may read what was written.
    EXPECT_TRUE(QFile::permissions(fresh) & QFileDevice::ReadOther);

    const QString old = dir.filePath(QStringLiteral("old.pbm"));
    ASSERT_TRUE(WriteRaw(old, "a longer earlier picture"));
    ASSERT_EQ(chmod(old.toLocal8Bit().constData(), 0640), 0);
    ASSERT_TRUE(FileAccess::WriteRegenerableFile(old, "short"));
    EXPECT_EQ(Contents(old), QByteArray("short"));
    struct stat st {};
    ASSERT_EQ(stat(old.toLocal8Bit().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 2);

    QString detail;
    EXPECT_FALSE(FileAccess::WriteRegenerableFile(dir.filePath("no-such-folder/x.pbm"), "x",
                                                  &detail));
    EXPECT_FALSE(detail.isEmpty());
}

TEST(FileAccess, FifosAndDevicesAreRefusedBeforeOpening) {
    // Opening a FIFO for reading blocks until a writer comes; before the fix this test hung.
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.qpf"));
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const QString& source : {fifo, QStringLiteral("/dev/zero")}) {
        QByteArray bytes;
        QString detail;
        EXPECT_EQ(FileAccess::ReadRegularFile(source, 1000, &bytes, &detail),
                  FileAccess::ReadResult::NotRegular);
        EXPECT_EQ(detail, QStringLiteral("is not a regular file"));
        CKVUDoc doc;
        EXPECT_EQ(CProjectFile::Load(source, doc), CProjectFile::Result::CannotOpen);
    }
}

TEST(FileAccess, WhatIsReadIsCappedAtTheLimit) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f"));
    struct Case {
        int size;
        FileAccess::ReadResult expected;
    } cases[] = {{0, FileAccess::ReadResult::Ok},
                 {99, FileAccess::ReadResult::Ok},
                 {100, FileAccess::ReadResult::Ok},
                 {101, FileAccess::ReadResult::TooLarge},
                 {5000, FileAccess::ReadResult::TooLarge}};
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteRaw(path, QByteArray(c.size, 'z')));
        QByteArray bytes("stale");
        EXPECT_EQ(FileAccess::ReadRegularFile(path, 100, &bytes), c.expected) << c.size;
        EXPECT_EQ(bytes.size(), c.expected == FileAccess::ReadResult::Ok ? c.size : 0);
    }
    QByteArray bytes;
    EXPECT_EQ(FileAccess::ReadRegularFile(dir.filePath(QStringLiteral("missing")), 100, &bytes),
              FileAccess::ReadResult::CannotOpen);
}

TEST(FileAccess, WritesInPlaceWhereNoTemporaryFileCanBeMade) {
    // A writable file in a folder its user cannot write to. Root ignores folder permissions,
    // so under root the write runs in a child that has given up root.
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = folder + QStringLiteral("/project.qpf");
    ASSERT_TRUE(WriteRaw(path, "old contents"));
    const QByteArray fresh = CProjectFile::Serialize(CKVUDoc());
    const bool asRoot = geteuid() == 0;
    const uid_t nobody = 65534;
    if (asRoot) {
        ASSERT_EQ(chmod(dir.path().toLocal8Bit().constData(), 0755), 0);
        ASSERT_EQ(chown(path.toLocal8Bit().constData(), nobody, nobody), 0);
    }
    ASSERT_EQ(chmod(folder.toLocal8Bit().constData(), 0555), 0);
    ASSERT_EQ(chmod(path.toLocal8Bit().constData(), 0666), 0);

    bool saved = false;
    if (asRoot) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setgid(nobody) != 0 || setuid(nobody) != 0)
                _exit(2);
            _exit(CProjectFile::Save(path, CKVUDoc()) == CProjectFile::Result::Ok ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        ASSERT_NE(WEXITSTATUS(status), 2) << "could not give up root";
        saved = WEXITSTATUS(status) == 0;
    } else {
        saved = CProjectFile::Save(path, CKVUDoc()) == CProjectFile::Result::Ok;
    }
    chmod(folder.toLocal8Bit().constData(), 0755);
    EXPECT_TRUE(saved);
    EXPECT_EQ(Contents(path), fresh);
}
