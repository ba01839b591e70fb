// The paper as a picture: its size, dots, character sets, and what a long paper keeps.

#include "Paper.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
PrinterAttributes Plain() {
    return PrinterAttributes();
}
PrinterAttributes With(bool PrinterAttributes::*flag) {
    PrinterAttributes a;
    a.*flag = true;
    return a;
}
bool Dark(const QImage& image, int x, int y) {
    return qGray(image.pixel(x, y)) < 128;
}
bool AnyDark(const QImage& image, const QRect& area) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (Dark(image, x, y))
                return true;
    return false;
}
const int kTop = CPaper::kMargin;
const int kCell = CPaper::kCellHeight;
} // namespace

TEST(PaperPicture, AsWideAsTheLineAndAsLongAsWhatWasPrinted) {
    for (int dots : {384, 576, 832}) {
        CPaper paper;
        paper.AddText("A", Plain());
        paper.AddText("B", With(&PrinterAttributes::doubleHeight));
        for (int i = 0; i < 3; ++i)
            paper.AddBitmapRow(QByteArray(dots / 8, '\0'));
        const QImage picture = paper.Picture(dots);
        EXPECT_EQ(picture.width(), dots);
        EXPECT_EQ(picture.height(), kTop + kCell + 2 * kCell + 3 + CPaper::kMargin) << dots;
        EXPECT_EQ(paper.Layout(), (std::vector<int>{kTop, kTop + kCell, kTop + 3 * kCell,
                                                    kTop + 3 * kCell + 1, kTop + 3 * kCell + 2,
                                                    kTop + 3 * kCell + 3 + CPaper::kMargin}));
    }
}

TEST(PaperPicture, BitmapRowsAreDotForDotWithTheLeftmostDotInTheHighBit) {
    CPaper paper;
    QByteArray row(72, '\0');
    row[0] = char(0x80);
    row[1] = char(0x01);
    row[71] = char(0x01);
    paper.AddBitmapRow(row);
    const QImage picture = paper.Picture(576);
    QList<int> dark;
    for (int x = 0; x < 576; ++x)
        if (Dark(picture, x, kTop))
            dark << x;
    EXPECT_EQ(dark, (QList<int>{0, 15, 575}));
    EXPECT_FALSE(AnyDark(picture, QRect(0, 0, 576, kTop)));
}

TEST(PaperPicture, CharactersFollowTheLinesCharacterSet) {
    CPaper::Line line;
    line.bytes = "\xDA\xC4\xBF\xB3\x41\x81";
    line.attributes.pcLineDraw = true;
    EXPECT_EQ(CPaper::Characters(line), QString::fromUtf8("┌─┐│Aü"));
    line.attributes.pcLineDraw = false;
    EXPECT_EQ(CPaper::Characters(line), QString::fromUtf8("Ú\xC3\x84¿³A\xC2\x81"));
}

TEST(PaperPicture, LineDrawingJoinsFromCellToCellAndLineToLine) {
    CPaper paper;
    paper.AddText("\xB3", Plain()); // two vertical bars, one under the other
    paper.AddText("\xB3", Plain());
    paper.AddText("\xC4\xC4", Plain()); // two horizontal bars side by side
    const QImage picture = paper.Picture(576);
    bool joinedDown = false;
    for (int x = 0; x < CPaper::kCellWidth; ++x)
        joinedDown |= Dark(picture, x, kTop + kCell - 1) && Dark(picture, x, kTop + kCell);
    EXPECT_TRUE(joinedDown) << "the bar reaches the cell's bottom and the next line's top";
    bool joinedAcross = false;
    for (int y = kTop + 2 * kCell; y < kTop + 3 * kCell; ++y)
        joinedAcross |= Dark(picture, CPaper::kCellWidth - 1, y) && Dark(picture, CPaper::kCellWidth, y);
    EXPECT_TRUE(joinedAcross) << "the bar reaches the cell's right edge and the next cell";
    EXPECT_FALSE(AnyDark(picture, QRect(2 * CPaper::kCellWidth + 1, kTop, 100, 3 * kCell)));
}

TEST(PaperPicture, DoubleWidthTakesTwoCellsAndReverseFillsTheLine) {
    CPaper paper;
    paper.AddText("M", Plain());
    paper.AddText("M", With(&PrinterAttributes::doubleWidth));
    paper.AddText("", With(&PrinterAttributes::reverse));
    const QImage picture = paper.Picture(384);
    EXPECT_FALSE(AnyDark(picture, QRect(CPaper::kCellWidth + 1, kTop, 40, kCell)));
    EXPECT_TRUE(AnyDark(picture, QRect(CPaper::kCellWidth + 2, kTop + kCell, 10, kCell)));
    for (int x : {0, 200, 383})
        EXPECT_TRUE(Dark(picture, x, kTop + 2 * kCell + kCell / 2)) << x;
}

TEST(PaperPicture, ALongPaperKeepsItsNewestLines) {
    // More than one picture can hold: the newest lines are what the user looks for.
    CPaper paper;
    const int lines = CPaper::kMaxPictureHeight / kCell + 200;
    for (int i = 0; i < lines; ++i)
        paper.AddText("OLD", Plain());
    paper.AddText("LAST", With(&PrinterAttributes::reverse));
    int omitted = 0;
    const QImage picture = paper.Picture(576, &omitted);
    EXPECT_LE(picture.height(), CPaper::kMaxPictureHeight);
    EXPECT_GE(omitted, 200);
    EXPECT_EQ(picture.height(), (lines + 1 - omitted) * kCell + 2 * CPaper::kMargin);
    const int lastTop = picture.height() - CPaper::kMargin - kCell;
    for (int x : {0, 300, 575})
        EXPECT_TRUE(Dark(picture, x, lastTop + 1)) << "the reversed last line is in the picture";
    EXPECT_FALSE(AnyDark(picture, QRect(0, picture.height() - CPaper::kMargin, 576, CPaper::kMargin)));
}

TEST(PaperPicture, ASaveThatCannotBeWrittenSaysSoAndLeavesNothing) {
    QTemporaryDir dir;
    CPaper paper;
    paper.AddText("X", Plain());
    QString detail;
    const QString path = dir.filePath("missing/paper.png");
    EXPECT_FALSE(paper.WritePng(path, 576, &detail));
    EXPECT_FALSE(detail.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_FALSE(CPaper::WritePng(QImage(), dir.filePath("null.png"), &detail));
    EXPECT_FALSE(QFile::exists(dir.filePath("null.png")));
}
