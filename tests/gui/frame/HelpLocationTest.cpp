// Where the program looks for its help, and what it says when the help is not there.

#include "frame/HelpLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// An installed tree (prefix/bin, prefix/share/kvu/help), a build tree's help folder and
// file beside the program, and a folder named by KVU_HELP_DIR, each with its own help.
class HelpLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        bin = root.filePath("prefix/bin");
        ASSERT_TRUE(QDir().mkpath(bin));
        places = {
            {"override", root.filePath("override/kvu.html")},
            {"installed", root.filePath("prefix/share/kvu/help/kvu.html")},
            {"help folder", root.filePath("prefix/bin/help/kvu.html")},
            {"beside", root.filePath("prefix/bin/kvu.html")},
        };
        for (const auto& place : places)
            Write(place.second);
    }
    static void Write(const QString& path) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<html></html>");
    }
    QString Override() const { return root.filePath("override"); }

    QTemporaryDir root;
    QString bin;
    std::vector<std::pair<const char*, QString>> places;
};
} // namespace

TEST_F(HelpLocationTest, TakesTheFirstPlaceThatHasTheHelp) {
    // Removing the places one by one, in order: each time the next one is found.
    for (size_t i = 0; i < places.size(); ++i) {
        const HelpLocation found = HelpFiles::Find(bin, Override());
        EXPECT_EQ(found.path, QFileInfo(places[i].second).absoluteFilePath()) << places[i].first;
        ASSERT_TRUE(QFile::remove(places[i].second));
    }
    const HelpLocation none = HelpFiles::Find(bin, Override());
    EXPECT_TRUE(none.path.isEmpty());
    ASSERT_EQ(none.candidates.size(), 4);
    for (size_t i = 0; i < places.size(); ++i)
        EXPECT_EQ(QFileInfo(none.candidates[int(i)]).absoluteFilePath(),
                  QFileInfo(places[i].second).absoluteFilePath());
}

TEST_F(HelpLocationTest, NoOverrideStartsWithTheInstalledHelp) {
    const HelpLocation found = HelpFiles::Find(bin, QString());
    EXPECT_EQ(found.candidates.size(), 3);
    EXPECT_EQ(found.path, QFileInfo(places[1].second).absoluteFilePath());
}

TEST_F(HelpLocationTest, AFolderNamedLikeTheHelpIsNotTheHelp) {
    ASSERT_TRUE(QFile::remove(places[0].second));
    ASSERT_TRUE(QDir().mkpath(places[0].second)); // override/kvu.html/ is a folder
    EXPECT_EQ(HelpFiles::Find(bin, Override()).path,
              QFileInfo(places[1].second).absoluteFilePath());
}

TEST_F(HelpLocationTest, TheMessageNamesEveryPathLookedIn) {
    for (const auto& place : places)
        ASSERT_TRUE(QFile::remove(place.second));
    const HelpLocation none = HelpFiles::Find(bin, Override());
    const QString message = HelpFiles::NotFoundMessage(none);
    EXPECT_TRUE(message.startsWith("The help file kvu.html could not be found."))
        << qPrintable(message);
    for (const QString& path : none.candidates)
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path))) << qPrintable(path);
    EXPECT_TRUE(message.contains("KVU_HELP_DIR"));
}
