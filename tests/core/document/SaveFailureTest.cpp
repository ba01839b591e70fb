// Saving never loses a project: whatever stops a save (a folder that cannot be written,
// a full disk, a target that is not a plain file, the program killed half-way), the file
// saved before is still there, whole, and the user is told the save failed.
// The export file of the Custom Attributes page is held to the same rule.

#include "document/KVUDoc.h"
#include "document/ProjectFile.h"
#include "files/FileAccess.h"
#include "module1/AttributeProgrammer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
CKVUDoc OldDoc() {
    CKVUDoc d;
    d.m_bBold = 1;
    d.m_nFont = 2;
    d.m_strTestMessage = QStringLiteral("the project saved before");
    return d;
}

// Far larger than the old one, so that it cannot fit where the old one did.
CKVUDoc NewDoc(int textBytes = 200 * 1024) {
    CKVUDoc d;
    d.m_bUnderline = 1;
    d.m_nContrast = 7;
    d.m_strTestMessage = QString(textBytes, QLatin1Char('n'));
    d.m_strMacroText[0] = QStringLiteral("^[UU");
    return d;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

// The old file is byte for byte what was saved before, and loads as that project.
void ExpectOldProjectIntact(const QString& path) {
    EXPECT_EQ(ReadAll(path), CProjectFile::Serialize(OldDoc())) << "the previous file changed";
    CKVUDoc loaded;
    EXPECT_EQ(CProjectFile::Load(path, loaded), CProjectFile::Result::Ok);
    EXPECT_EQ(CProjectFile::Serialize(loaded), CProjectFile::Serialize(OldDoc()));
}

void ExpectToldFailed(CProjectFile::Result r) {
    EXPECT_EQ(r, CProjectFile::Result::CannotWrite);
    EXPECT_EQ(CProjectFile::Message(r), "Failed to save document.");
}

// A small tmpfs of its own (root only), unmounted at the end.
class CTinyTmpfs {
public:
    explicit CTinyTmpfs(const char* size) {
        const QByteArray opts = QByteArray("size=") + size;
        m_mounted = m_dir.isValid() && ::mount("kvu-test", m_dir.path().toLocal8Bit().constData(),
                                               "tmpfs", 0, opts.constData()) == 0;
        m_error = errno;
    }
    ~CTinyTmpfs() {
        if (m_mounted)
            ::umount2(m_dir.path().toLocal8Bit().constData(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }
    QString Reason() const { return QString::fromLocal8Bit(strerror(m_error)); }
    QString Path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    bool RemountReadOnly() {
        return ::mount("kvu-test", m_dir.path().toLocal8Bit().constData(), "tmpfs",
                       MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    // Writes a filler until the file system has no byte left.
    void Fill() {
        const int fd = ::open(Path("filler").toLocal8Bit().constData(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        const QByteArray block(4096, 'f');
        while (::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        const QByteArray one(1, 'f');
        while (::write(fd, one.constData(), 1) > 0) {
        }
        EXPECT_EQ(errno, ENOSPC);
        ::close(fd);
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    int m_error = 0;
};

#define SKIP_UNLESS_MOUNTED(fs)                                                                 \
    if (!(fs).Mounted())                                                                       \
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << (fs).Reason().toStdString()          \
                 << "); needs root"
} // namespace

TEST(SaveFailure, ReadOnlyFolderKeepsThePreviousFile) {
    CTinyTmpfs fs("1m");
    SKIP_UNLESS_MOUNTED(fs);
    const QString path = fs.Path("shop.qpf");
    ASSERT_EQ(CProjectFile::Save(path, OldDoc()), CProjectFile::Result::Ok);
    // Permission bits do not stop root, a read-only file system does.
    ASSERT_TRUE(fs.RemountReadOnly());
    QString detail;
    ExpectToldFailed(CProjectFile::Save(path, NewDoc(), &detail));
    EXPECT_FALSE(detail.isEmpty()) << "the reason belongs in the detail";
    ExpectOldProjectIntact(path);
}

TEST(SaveFailure, FolderWithoutWritePermissionKeepsThePreviousFile) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not stop root (the read-only tmpfs test covers it)";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("shop.qpf");
    ASSERT_EQ(CProjectFile::Save(path, OldDoc()), CProjectFile::Result::Ok);
    QFile(path).setPermissions(QFileDevice::ReadOwner);
    QFile(dir.path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    ExpectToldFailed(CProjectFile::Save(path, NewDoc()));
    ExpectOldProjectIntact(path);
    QFile(dir.path()).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                     QFileDevice::ExeOwner);
}

TEST(SaveFailure, FullFileSystemKeepsThePreviousFile) {
    CTinyTmpfs fs("64k");
    SKIP_UNLESS_MOUNTED(fs);
    const QString path = fs.Path("shop.qpf");
    ASSERT_EQ(CProjectFile::Save(path, OldDoc()), CProjectFile::Result::Ok);
    fs.Fill();
    ExpectToldFailed(CProjectFile::Save(path, NewDoc()));
    ExpectOldProjectIntact(path);
    // A small save that fits in no page either is refused the same way.
    ExpectToldFailed(CProjectFile::Save(path, NewDoc(16)));
    ExpectOldProjectIntact(path);
    // No half-written temporary file stays behind to take up the space.
    EXPECT_EQ(QDir(fs.Path("")).entryList(QDir::Files | QDir::Hidden).size(), 2)
        << QDir(fs.Path("")).entryList(QDir::Files | QDir::Hidden).join(' ').toStdString();
}

TEST(SaveFailure, SaveOnlyFitsAfterSpaceIsFreed) {
    // The same full file system once room is made: the save goes through, so the failures
    // above came from the full disk and not from the test's set-up.
    CTinyTmpfs fs("64k");
    SKIP_UNLESS_MOUNTED(fs);
    const QString path = fs.Path("shop.qpf");
    ASSERT_EQ(CProjectFile::Save(path, OldDoc()), CProjectFile::Result::Ok);
    fs.Fill();
    ASSERT_TRUE(QFile::remove(fs.Path("filler")));
    EXPECT_EQ(CProjectFile::Save(path, NewDoc(16 * 1024)), CProjectFile::Result::Ok);
    EXPECT_EQ(ReadAll(path), CProjectFile::Serialize(NewDoc(16 * 1024)));
}

TEST(SaveFailure, TargetThatIsNotAPlainFileIsRefused) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A folder in the file's place.
    const QString folder = dir.filePath("folder.qpf");
    ASSERT_TRUE(QDir().mkdir(folder));
    WriteFileBytes(folder + "/inside", "kept");
    ExpectToldFailed(CProjectFile::Save(folder, NewDoc(16)));
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(ReadAll(folder + "/inside"), "kept");
    // A named pipe: replacing it with a plain file would silently break whatever reads it.
    const QString fifo = dir.filePath("pipe.qpf");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0644), 0);
    ExpectToldFailed(CProjectFile::Save(fifo, NewDoc(16)));
    struct stat st {};
    ASSERT_EQ(::lstat(fifo.toLocal8Bit().constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the pipe was replaced";
}

TEST(SaveFailure, KilledWhileSavingLeavesOneWholeProject) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("shop.qpf");
    ASSERT_EQ(CProjectFile::Save(path, OldDoc()), CProjectFile::Result::Ok);
    const QByteArray oldBytes = CProjectFile::Serialize(OldDoc());
    const QByteArray newBytes = CProjectFile::Serialize(NewDoc(4 * 1024 * 1024));

    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // The program saving over and over, alternating the two projects; it says when
            // a save has finished, and is killed in the middle of one of the next ones.
            ::close(pipeFds[0]);
            for (int i = 0;; ++i) {
                const CKVUDoc doc = (i % 2) ? OldDoc() : NewDoc(4 * 1024 * 1024);
                if (CProjectFile::Save(path, doc) != CProjectFile::Result::Ok)
                    ::_exit(3);
                if (i == round)
                    [[maybe_unused]] auto n = ::write(pipeFds[1], "s", 1);
            }
        }
        ::close(pipeFds[1]);
        char c = 0;
        EXPECT_EQ(::read(pipeFds[0], &c, 1), 1) << "the saving process ended early";
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(pipeFds[0]);
        EXPECT_TRUE(WIFSIGNALED(status)) << "the save failed in the child";

        const QByteArray now = ReadAll(path);
        EXPECT_TRUE(now == oldBytes || now == newBytes)
            << "a torn project of " << now.size() << " bytes";
        CKVUDoc loaded;
        EXPECT_EQ(CProjectFile::Load(path, loaded), CProjectFile::Result::Ok);
    }
    // Whatever temporary file the killed process left, the next save and load work.
    ASSERT_EQ(CProjectFile::Save(path, OldDoc()), CProjectFile::Result::Ok);
    ExpectOldProjectIntact(path);
}

TEST(SaveFailure, LeftoverTemporaryFileDoesNotDisturbTheNextSave) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("shop.qpf");
    ASSERT_EQ(CProjectFile::Save(path, OldDoc()), CProjectFile::Result::Ok);
    // What a save killed before its rename leaves beside the project (any name a temporary
    // file may take), read-only so that it cannot be reused by accident.
    for (const char* name : {"shop.qpf.XXXXXX", "shop.qpf.tmp", ".shop.qpf.kvu"}) {
        WriteFileBytes(dir.filePath(name), "half a project");
        QFile(dir.filePath(name)).setPermissions(QFileDevice::ReadOwner);
    }
    ExpectOldProjectIntact(path);
    ASSERT_EQ(CProjectFile::Save(path, NewDoc(16)), CProjectFile::Result::Ok);
    EXPECT_EQ(ReadAll(path), CProjectFile::Serialize(NewDoc(16)));
}

TEST(SaveFailure, ExportKeepsThePreviousFileOnAFullOrReadOnlyDisk) {
    CTinyTmpfs fs("64k");
    SKIP_UNLESS_MOUNTED(fs);
    const QString path = fs.Path("Attributes.prn");
    const QByteArray oldBytes("\x1B"
                              "EN\x1BXX\x1B"
                              "DS\x1BSL\x1BST\xFF\r\x1BSB\r",
                              21);
    ASSERT_TRUE(CAttributeProgrammer::WriteExportFile(path, oldBytes));
    fs.Fill();
    QString detail;
    EXPECT_FALSE(CAttributeProgrammer::WriteExportFile(path, QByteArray(128 * 1024, 'x'), &detail))
        << "a full disk reported as success";
    EXPECT_FALSE(detail.isEmpty());
    EXPECT_EQ(ReadAll(path), oldBytes);
    // A file small enough to sit in the write buffer fails only when it is flushed.
    EXPECT_FALSE(CAttributeProgrammer::WriteExportFile(path, QByteArray(16, 'x')))
        << "a full disk reported as success";
    EXPECT_EQ(ReadAll(path), oldBytes);
    ASSERT_TRUE(fs.RemountReadOnly());
    EXPECT_FALSE(CAttributeProgrammer::WriteExportFile(path, QByteArray(16, 'x')));
    EXPECT_EQ(ReadAll(path), oldBytes);
}

TEST(SaveFailure, ADiskThatFillsDuringTheWriteNamesTheCause) {
    // Room for part of the file only: the write that fills the disk reports nothing of its
    // own, the cause must still reach the user, whichever writer is used.
    CTinyTmpfs fs("64k");
    SKIP_UNLESS_MOUNTED(fs);
    fs.Fill();
    QFile filler(fs.Path("filler"));
    ASSERT_TRUE(filler.resize(filler.size() - 8192));
    const QByteArray big(32 * 1024, 'x');
    const struct {
        const char* name;
        bool (*write)(const QString&, const QByteArray&, QString*);
    } writers[] = {{"safely", FileAccess::WriteFileSafely},
                   {"regenerable", FileAccess::WriteRegenerableFile}};
    for (const auto& w : writers) {
        QString detail;
        EXPECT_FALSE(w.write(fs.Path("out.pbm"), big, &detail)) << w.name;
        EXPECT_TRUE(detail.contains("No space left on device"))
            << w.name << ": " << detail.toStdString();
    }
}
