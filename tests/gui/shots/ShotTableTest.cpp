// The help's pictures: every page the user can reach has one, the help shows every
// picture the table makes and no other, and each row brings up the real window.

#include "ShotTable.h"
#include "ShotStage.h"
#include "frame/MainFrame.h"
#include "frame/ModuleRegistry.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {
QString FrontPage() {
    QFile file(KVU_HELP_SOURCE_DIR "/kvu.html");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QSet<QString> PicturesShown(const QString& html) {
    QSet<QString> shown;
    const QRegularExpression img(QStringLiteral("<img[^>]*src=\"shots/([^\"]+)\""));
    for (auto it = img.globalMatch(html); it.hasNext();)
        shown.insert(it.next().captured(1));
    return shown;
}

// How many colours a picture has: a window drawn without its texts or controls has one or
// two.
int Colours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 3) {
        for (int x = 0; x < image.width(); x += 3)
            colours.insert(image.pixel(x, y));
    }
    return int(colours.size());
}
} // namespace

TEST(ShotTable, EveryPageTheUserCanReachHasAPictureInItsTopic) {
    const QString html = FrontPage();
    ASSERT_FALSE(html.isEmpty());
    const QSet<QString> shown = PicturesShown(html);
    for (const ModuleRow& row : ModuleRegistry()) {
        if (!row.selectable)
            continue;
        for (const PageRow& page : row.pages) {
            const QString file = QLatin1String(page.helpTopic) + QStringLiteral(".png");
            EXPECT_TRUE(FindShot(file)) << "no picture of " << page.title;
            EXPECT_TRUE(shown.contains(file)) << "the help does not show " << qPrintable(file);
        }
    }
}

TEST(ShotTable, TheHelpShowsOnlyPicturesTheTableMakes) {
    const QSet<QString> shown = PicturesShown(FrontPage());
    ASSERT_FALSE(shown.isEmpty());
    for (const QString& file : shown)
        EXPECT_TRUE(FindShot(file)) << qPrintable(file) << " is shown but never made";
    QSet<QString> names;
    for (const ShotRow& row : ShotTable()) {
        EXPECT_FALSE(names.contains(QLatin1String(row.file))) << row.file << " twice";
        names.insert(QLatin1String(row.file));
    }
}

TEST(ShotTable, EachRowBringsUpTheRealWindowWithoutAMessage) {
    for (const ShotRow& row : ShotTable()) {
        CShotStage stage;
        QString error;
        ASSERT_TRUE(stage.Start(&error)) << qPrintable(error);
        QWidget* window = row.show(stage, &error);
        ASSERT_TRUE(window) << row.file << ": " << qPrintable(error);
        EXPECT_TRUE(window == &stage.Frame() || window->parentWidget() == &stage.Frame())
            << row.file << ": a window of the program";
        const QImage picture = CShotStage::Photograph(window);
        EXPECT_EQ(picture.size(), window->size() * window->devicePixelRatioF()) << row.file;
        EXPECT_GT(Colours(picture), 8) << row.file << " looks blank";
        EXPECT_TRUE(stage.Services().TakeMessages().isEmpty()) << row.file;
    }
}

TEST(ShotTable, PicturesWithAReplyShowTheReply) {
    if (!CShotStage::CanSimulate())
        GTEST_SKIP() << "no simulated printer on this platform";
    CShotStage stage;
    QString error;
    ASSERT_TRUE(stage.Start(&error));
    const ShotRow* row = FindShot("supervisory-commands.png");
    ASSERT_TRUE(row);
    ASSERT_TRUE(row->show(stage, &error)) << qPrintable(error);
    // The simulated printer answered the battery query.
    EXPECT_TRUE(stage.Frame().findChild<QWidget*>("id1023"));
    bool voltage = false;
    for (QObject* o : stage.Frame().findChildren<QObject*>("id1023"))
        voltage |= o->property("plainText").toString().contains("Voltage = ");
    EXPECT_TRUE(voltage);
}
