#include "GuiServices.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
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

TEST(GuiServices, OnlyAnExchangeSpinsTheEventLoopAndEverySpinCountsAsBusy) {
    // Within an exchange (the wait cursor held) a status text is painted at once and a
    // read keeps the window alive between slices: both run the event loop, and idle
    // processing must not run inside them. Outside one (the Macros page's idle steps, a
    // macro button) the loop is not spun: a key typed meanwhile waits for it, not eaten.
    for (const bool inExchange : {true, false}) {
        SCOPED_TRACE(inExchange ? "in an exchange" : "from the event loop");
        CGuiServices services;
        QLineEdit edit;
        edit.show();
        edit.setFocus();
        QList<bool> busyInside;
        services.SetStatusSink([&](const QString&) {
            QTimer::singleShot(0, [&] { busyInside << services.IsBusy(); });
        });
        if (inExchange)
            services.BeginWait();
        QCoreApplication::postEvent(
            &edit, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a")));
        services.Status(QStringLiteral("Sending: a line"));
        QTimer::singleShot(0, [&] { busyInside << services.IsBusy(); });
        services.KeepAlive();
        if (inExchange)
            services.EndWait();
        EXPECT_EQ(busyInside, inExchange ? (QList<bool>{true, true}) : QList<bool>());
        QApplication::processEvents();
        EXPECT_EQ(edit.text(), inExchange ? QString() : QStringLiteral("a"));
        EXPECT_FALSE(services.IsBusy());
    }
}

TEST(GuiServices, DialogsRunThroughTheSeamAndCountAsBusy) {
    CGuiServices services;
    QDialog dialog;
    bool busyInside = false;
    QTimer::singleShot(0, [&] {
        busyInside = services.IsBusy();
        dialog.accept();
    });
    EXPECT_EQ(services.RunModal(dialog), int(QDialog::Accepted));
    EXPECT_TRUE(busyInside);
    EXPECT_FALSE(services.IsBusy());
    QObject notADialog;
    EXPECT_EQ(services.RunModal(notADialog), int(QDialog::Rejected));
}
