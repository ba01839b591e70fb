#pragma once

#include "app/UiServices.h"

#include <QString>
#include <QThread>

// The services for a benchmark: real pauses and no output, so that what the program
// itself costs is all that is left beside the specified pauses.
class CTimedServices : public IUiServices {
public:
    void Status(const QString&) override {}
    using IUiServices::Message;
    MsgAnswer Message(const QString& text, const QString&, MsgIcon, MsgButtons,
                      MsgAnswer d) override {
        lastMessage = text;
        return d;
    }
    void Pause(int ms) override {
        pausedMs += ms;
        QThread::msleep(ulong(ms));
    }
    void BeginWait() override {}
    void EndWait() override {}
    qint64 pausedMs = 0;
    QString lastMessage;
};
