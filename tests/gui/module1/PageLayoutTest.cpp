// The pages keep their arrangement at any window size: the Custom Attributes page is
// grabbed with the frame at the module's own size (642 x 503) and enlarged to 1200 x 900,
// and its controls are measured at both sizes.

#include "KVUApp.h"
#include "frame/KVUView.h"
#include "frame/MainFrame.h"
#include "module1/Mod1Page1.h"
#include "frame/ModuleSheet.h"
#include "RecordingServices.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QMenuBar>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {
const int kNumberIds[] = {1052, 1054, 1056, 1058, 1060, 1062, 1067, 1072};
const int kUpDownIds[] = {1053, 1055, 1057, 1059, 1061, 1063, 1070, 1074};
const int kLeftChecks[] = {1017, 1022, 1011, 1026, 1028, 1031, 1033, 1035, 1051};
const char* const kSleepHeading = " HR   :   MIN  :   SEC";

// A horizontal run of ink: [left, right] in image columns.
struct InkRun {
    int left;
    int right;
    int Centre() const { return (left + right) / 2; }
};

// Columns of `image` inside `area` that hold dark pixels, merged into words: glyphs
// closer than `join` pixels belong to one word.
QVector<InkRun> InkWords(const QImage& image, const QRect& area, int join) {
    QVector<InkRun> runs;
    for (int x = area.left(); x <= area.right(); ++x) {
        bool ink = false;
        for (int y = area.top(); y <= area.bottom() && !ink; ++y)
            ink = qGray(image.pixel(x, y)) < 110;
        if (!ink)
            continue;
        if (!runs.isEmpty() && x - runs.last().right <= join)
            runs.last().right = x;
        else
            runs.push_back({x, x});
    }
    return runs;
}

class PageLayoutTest : public ::testing::Test {
protected:
    struct Snapshot {
        QSize frame;
        QImage image;               // the page as drawn
        QMap<QString, QRect> rects; // control geometry in page coordinates
        QRect pageInSheet;          // the page within the sheet's visible page area
        QRect sheetArea;
        QSize placeholder; // a placeholder page of the same sheet
    };

    void SetUp() override {
        app = std::make_unique<CKVUApp>();
        app->SetServices(&services);
        ASSERT_TRUE(app->InitInstance({"kvu"}));
        frame = app->MainFrame();
        page = frame->ModuleView()->FindPage<CMod1Page1>();
    }
    void TearDown() override { app->Document().SetModifiedFlag(false); }

    int MenuHeight() const {
        return frame->menuBar()->isNativeMenuBar() ? 0 : frame->menuBar()->sizeHint().height();
    }
    QRect InPage(QWidget* w) const { return QRect(w->mapTo(page, QPoint(0, 0)), w->size()); }
    QLabel* SleepHeading() const {
        for (QLabel* label : page->findChildren<QLabel*>()) {
            if (label->text() == QLatin1String(kSleepHeading))
                return label;
        }
        return nullptr;
    }

    Snapshot Take(QSize client, const char* name) {
        frame->resize(client.width(), client.height() + MenuHeight());
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
        if (QWidget* focus = QApplication::focusWidget())
            focus->clearFocus(); // no blinking caret in the picture
        QApplication::processEvents();
        Snapshot s;
        s.frame = frame->size();
        s.image = page->grab().toImage();
        // Kept for a look by eye: the page as a user sees it at this size.
        s.image.save(QDir::temp().filePath(QStringLiteral("kvu-page-%1.png").arg(name)));
        for (int i = 0; i < 8; ++i) {
            auto* updown = page->findChild<QWidget*>(QStringLiteral("id%1").arg(kUpDownIds[i]));
            auto* edit = page->findChild<QLineEdit*>(QStringLiteral("id%1").arg(kNumberIds[i]));
            if (!updown || !edit)
                continue;
            s.rects.insert(QStringLiteral("edit%1").arg(i), InPage(edit));
            s.rects.insert(QStringLiteral("updown%1").arg(i), InPage(updown));
            if (auto* up = updown->findChild<QToolButton*>("up"))
                s.rects.insert(QStringLiteral("up%1").arg(i), InPage(up));
            if (auto* down = updown->findChild<QToolButton*>("down"))
                s.rects.insert(QStringLiteral("down%1").arg(i), InPage(down));
        }
        for (int i = 0; i < 9; ++i) {
            if (auto* c = page->findChild<QCheckBox*>(QStringLiteral("id%1").arg(kLeftChecks[i])))
                s.rects.insert(QStringLiteral("check%1").arg(i), InPage(c));
        }
        for (int id : {1038, 1039})
            s.rects.insert(QStringLiteral("combo%1").arg(id),
                           InPage(page->findChild<QComboBox*>(QStringLiteral("id%1").arg(id))));
        if (QLabel* heading = SleepHeading())
            s.rects.insert("heading", InPage(heading));
        CModuleSheet* sheet = frame->ModuleView()->Sheet(ModuleId::CustomAttributes);
        QWidget* area = sheet->widget(0); // the Custom Attributes tab
        s.sheetArea = QRect(QPoint(0, 0), area->size());
        s.pageInSheet = QRect(page->mapTo(area, QPoint(0, 0)), page->size());
        if (auto* placeholder = sheet->findChild<QWidget*>("id131"))
            s.placeholder = placeholder->size();
        return s;
    }

    // Each up-down control sits at its field's right edge, its two arrows together and
    // within the field's height.
    void ExpectUpDownsAttached(const Snapshot& s, const char* size) {
        for (int i = 0; i < 8; ++i) {
            SCOPED_TRACE(testing::Message() << size << " field " << kNumberIds[i]);
            const QRect edit = s.rects.value(QStringLiteral("edit%1").arg(i));
            const QRect updown = s.rects.value(QStringLiteral("updown%1").arg(i));
            const QRect up = s.rects.value(QStringLiteral("up%1").arg(i));
            const QRect down = s.rects.value(QStringLiteral("down%1").arg(i));
            ASSERT_FALSE(edit.isNull());
            ASSERT_FALSE(up.isNull());
            ASSERT_FALSE(down.isNull());
            EXPECT_EQ(updown.left(), edit.right() + 1) << "beside the field, no gap";
            EXPECT_EQ(up.left(), edit.right() + 1);
            EXPECT_EQ(down.left(), edit.right() + 1);
            EXPECT_GE(up.top(), edit.top()) << "the up arrow does not stick out above";
            EXPECT_LE(down.bottom(), edit.bottom()) << "the down arrow does not hang below";
            EXPECT_EQ(up.bottom() + 1, down.top()) << "the arrows touch";
            EXPECT_GE(up.height() + down.height(), edit.height() - 2) << "and fill its height";
        }
    }

    // HR, MIN and SEC stand over the hours, minutes and seconds fields, right above them.
    void ExpectSleepHeadingOverItsFields(const Snapshot& s, const char* size) {
        SCOPED_TRACE(size);
        const QRect heading = s.rects.value("heading");
        ASSERT_FALSE(heading.isNull()) << "the heading keeps its text";
        const QRect hours = s.rects.value("edit5");
        EXPECT_GE(hours.top(), heading.bottom()) << "fields under the heading";
        EXPECT_LE(hours.top() - heading.bottom(), 8) << "and close to it";
        const QVector<InkRun> words = InkWords(s.image, heading, 4);
        ASSERT_EQ(words.size(), 5) << "HR : MIN : SEC";
        for (int k = 0; k < 3; ++k) {
            const QRect field = s.rects.value(QStringLiteral("edit%1").arg(5 + k))
                                    .united(s.rects.value(QStringLiteral("updown%1").arg(5 + k)));
            EXPECT_NEAR(words[2 * k].Centre(), field.center().x(), 4)
                << "word " << k << " over its field";
        }
    }

    CRecordingServices services;
    std::unique_ptr<CKVUApp> app;
    CMainFrame* frame = nullptr;
    CMod1Page1* page = nullptr;
};
} // namespace

TEST_F(PageLayoutTest, CustomAttributesKeepsItsArrangementWhenEnlarged) {
    const Snapshot small = Take(QSize(642, 503), "642x503");
    const Snapshot big = Take(QSize(1200, 900), "1200x900");
    ASSERT_EQ(big.frame.width(), 1200) << "the frame really was enlarged";
    ASSERT_GT(big.sheetArea.height(), small.sheetArea.height() + 300);

    ExpectUpDownsAttached(small, "642x503");
    ExpectUpDownsAttached(big, "1200x900");
    ExpectSleepHeadingOverItsFields(small, "642x503");
    ExpectSleepHeadingOverItsFields(big, "1200x900");

    // Rows keep their spacing: the check-box rows and the numeric rows.
    for (int i = 0; i + 1 < 9; ++i) {
        const int gapSmall = small.rects.value(QStringLiteral("check%1").arg(i + 1)).top() -
                             small.rects.value(QStringLiteral("check%1").arg(i)).top();
        const int gapBig = big.rects.value(QStringLiteral("check%1").arg(i + 1)).top() -
                           big.rects.value(QStringLiteral("check%1").arg(i)).top();
        EXPECT_EQ(gapBig, gapSmall) << "check-box row " << i;
    }
    for (int i = 0; i + 1 < 6; ++i) {
        const int gapSmall = small.rects.value(QStringLiteral("edit%1").arg(i + 1)).top() -
                             small.rects.value(QStringLiteral("edit%1").arg(i)).top();
        const int gapBig = big.rects.value(QStringLiteral("edit%1").arg(i + 1)).top() -
                           big.rects.value(QStringLiteral("edit%1").arg(i)).top();
        EXPECT_EQ(gapBig, gapSmall) << "numeric row " << i;
    }

    // The lists keep their natural width instead of taking the page's width.
    int natural = 0;
    for (int id : {1038, 1039})
        natural =
            qMax(natural,
                 page->findChild<QComboBox*>(QStringLiteral("id%1").arg(id))->sizeHint().width());
    for (const char* combo : {"combo1038", "combo1039"}) {
        EXPECT_EQ(big.rects.value(combo).width(), small.rects.value(combo).width()) << combo;
        EXPECT_LE(small.rects.value(combo).width(), natural) << combo;
    }

    // The page as a whole: the same picture at both sizes, the extra room around it.
    EXPECT_EQ(big.pageInSheet.size(), small.pageInSheet.size());
    EXPECT_TRUE(big.image == small.image) << "the page looks the same at both sizes";
    const int leftMargin = big.pageInSheet.left();
    const int rightMargin = big.sheetArea.width() - big.pageInSheet.right() - 1;
    EXPECT_GT(leftMargin, 100);
    EXPECT_NEAR(leftMargin, rightMargin, 1) << "the extra width is shared by the margins";
    EXPECT_GE(small.sheetArea.width(), small.pageInSheet.width()) << "fits at 642 x 503";
    EXPECT_GE(small.sheetArea.height(), small.pageInSheet.height()) << "fits at 642 x 503";
}

TEST_F(PageLayoutTest, PlaceholderPagesFollowTheSameRule) {
    frame->ModuleView()->Sheet(ModuleId::CustomAttributes)->setCurrentIndex(1); // "Supervisory Commands"
    const Snapshot small = Take(QSize(642, 503), "642x503");
    const Snapshot big = Take(QSize(1200, 900), "1200x900");
    ASSERT_TRUE(small.placeholder.isValid());
    EXPECT_EQ(big.placeholder, small.placeholder);
}
