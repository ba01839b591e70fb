#include "GuiServices.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

TEST(GuiServices, ClicksDuringAWaitAreDroppedNotReplayed) {
    CGuiServices services;
    QPushButton button(QStringLiteral("Burn"));
    button.show();
    int clicks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    bool timerRan = false;
    QTimer::singleShot(20, [&] {
        timerRan = true; // timers (and painting) keep running during the wait
        EXPECT_TRUE(services.IsBusy());
        QTest::mouseClick(&button, Qt::LeftButton);
    });
    services.Pause(150);
    QApplication::processEvents();
    EXPECT_TRUE(timerRan);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(services.IsBusy());
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1) << "input is taken again once the wait is over";
}

TEST(GuiServices, StatusAndProgressReachTheirSinks) {
    CGuiServices services;
    QStringList texts;
    QList<int> progress;
    services.SetStatusSink([&](const QString& t) { texts << t; });
    services.SetProgressSink([&](int done, int total) { progress << done << total; });
    services.Status(QStringLiteral("Wait..."));
    services.Progress(3, 10);
    EXPECT_EQ(texts, QStringList{"Wait..."});
    EXPECT_EQ(progress, (QList<int>{3, 10}));
    services.BeginWait();
    EXPECT_TRUE(services.IsBusy());
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    services.EndWait();
    EXPECT_FALSE(services.IsBusy());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
