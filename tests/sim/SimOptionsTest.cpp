// tarvo3-sim's command line: several printers at once.

#include "SimOptions.h"
#include "DeviceLink.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

TEST(SimOptions, CountTakesOneToSixtyFour) {
    for (const auto& [text, ok, count] :
         std::initializer_list<std::tuple<const char*, bool, int>>{{nullptr, true, 1},
                                                                   {"1", true, 1},
                                                                   {"8", true, 8},
                                                                   {"64", true, 64},
                                                                   {"0", false, 0},
                                                                   {"65", false, 0},
                                                                   {"x", false, 0}}) {
        SimOptions options;
        QString error;
        bool exitNow = false;
        QStringList args{"tarvo3-sim"};
        if (text)
            args << "--count" << text;
        EXPECT_EQ(options.Parse(args, &error, &exitNow), ok) << (text ? text : "none");
        if (ok)
            EXPECT_EQ(options.count, count);
        else
            EXPECT_TRUE(error.contains("--count")) << error.toStdString();
    }
}

TEST(SimOptions, EachPrinterGetsItsOwnFiles) {
    SimOptions one;
    EXPECT_EQ(one.NumberedPath("/tmp/state.json", 0), "/tmp/state.json");
    SimOptions many;
    many.count = 3;
    EXPECT_EQ(many.NumberedPath("/tmp/state.json", 0), "/tmp/state-1.json");
    EXPECT_EQ(many.NumberedPath("/tmp/state.json", 2), "/tmp/state-3.json");
    EXPECT_EQ(many.NumberedPath("/tmp/dir.d/printer", 1), "/tmp/dir.d/printer-2");
    EXPECT_EQ(many.NumberedPath("/tmp/.hidden", 1), "/tmp/.hidden-2");
    EXPECT_EQ(many.NumberedPath("", 1), "");
}

TEST(DeviceLink, ReplacesOnlyALinkToAPseudoTerminal) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString device = QStringLiteral("/dev/pts/77");
    const QString path = dir.filePath(QStringLiteral("printer"));
    auto content = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const struct {
        const char* name;
        std::function<void()> before; // what stands at the path
        bool made;
    } rows[] = {
        {"nothing there", [] {}, true},
        {"a stale link to another pty", [&] { QFile::link("/dev/pts/3", path); }, true},
        {"a regular file",
         [&] {
             QFile f(path);
             f.open(QIODevice::WriteOnly);
             f.write("the user's notes");
         },
         false},
        {"a folder", [&] { QDir().mkdir(path); }, false},
        {"a link to a file", [&] { QFile::link(dir.filePath("other"), path); }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QFile::remove(path);
        QDir().rmdir(path);
        row.before();
        const QFileInfo was(path);
        const QString wasTarget = was.isSymLink() ? was.symLinkTarget() : QString();
        const QByteArray wasContent = content();
        QString error;
        EXPECT_EQ(DeviceLink::Make(path, device, &error), row.made) << error.toStdString();
        if (row.made) {
            EXPECT_EQ(QFileInfo(path).symLinkTarget(), device);
            DeviceLink::Remove(path, device);
            EXPECT_FALSE(QFileInfo(path).isSymLink()) << "removed at the end";
        } else {
            EXPECT_TRUE(error.contains(path)) << error.toStdString();
            EXPECT_EQ(QFileInfo(path).isSymLink() ? QFileInfo(path).symLinkTarget() : QString(),
                      wasTarget);
            EXPECT_EQ(content(), wasContent) << "the file's content is lost";
            // And the end of a run leaves it alone too.
            DeviceLink::Remove(path, device);
            EXPECT_TRUE(QFileInfo(path).exists() || QFileInfo(path).isSymLink());
        }
    }
}
