// The README's pictures under docs/ are made by kvu-shots and committed; this fails once a
// window they show has changed, until scripts/update-screenshots.sh makes them again.

#include "ShotStage.h"
#include "ShotTable.h"

#include <QDir>
#include <QImage>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {
// The share of pixels that differ visibly (any channel by more than 24 of 255): font
// smoothing may move a few pixels between machines, a changed window moves many.
double DifferingShare(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const QRgb* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            if (std::abs(qRed(p[col]) - qRed(q[col])) > 24 ||
                std::abs(qGreen(p[col]) - qGreen(q[col])) > 24 ||
                std::abs(qBlue(p[col]) - qBlue(q[col])) > 24)
                ++differing;
        }
    }
    return double(differing) / double(qMax<qint64>(1, qint64(x.width()) * x.height()));
}
} // namespace

TEST(ReadmePictures, EachCommittedPictureStillShowsItsWindow) {
    const QDir docs(QStringLiteral(KVU_DOCS_DIR));
    int compared = 0;
    for (const QString& name : docs.entryList({QStringLiteral("*.png")}, QDir::Files)) {
        const ShotRow* row = FindShot(name);
        if (!row)
            continue; // a picture of something else (a printout, a diagram)
        const QImage committed(docs.filePath(name));
        ASSERT_FALSE(committed.isNull()) << qPrintable(name);
        CShotStage stage;
        QString error;
        ASSERT_TRUE(stage.Start(&error)) << qPrintable(error);
        QWidget* window = row->show(stage, &error);
        ASSERT_TRUE(window) << qPrintable(error);
        const QImage fresh = CShotStage::Photograph(window);
        const char* hint = " is stale: run scripts/update-screenshots.sh";
        ASSERT_EQ(fresh.size(), committed.size()) << "docs/" << qPrintable(name) << hint;
        EXPECT_LT(DifferingShare(fresh, committed), 0.01) << "docs/" << qPrintable(name) << hint;
        ++compared;
    }
    EXPECT_GE(compared, 1) << "the README's main window picture is missing from docs/";
}
