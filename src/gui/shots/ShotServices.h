#pragma once

#include "app/UiServices.h"

#include <QStringList>
#include <functional>

class CVirtualClock;

// The services while the pictures are made: status texts go to the frame as usual, a
// printer pause advances the simulated printer's clock instead of waiting, and a message
// box is not shown but kept, because a picture that raises one shows the wrong thing.
class CShotServices : public IUiServices {
public:
    void SetClock(CVirtualClock* clock) { m_clock = clock; }
    void SetStatusSink(std::function<void(const QString&)> sink) { m_status = std::move(sink); }

    void Status(const QString& text) override;
    using IUiServices::Message;
    MsgAnswer Message(const QString& text, const QString& caption, MsgIcon icon,
                      MsgButtons buttons = MsgButtons::Ok,
                      MsgAnswer defaultAnswer = MsgAnswer::Ok) override;
    void Pause(int ms) override;
    void BeginWait() override {}
    void EndWait() override {}
    ILinkClock* LinkClock() override;

    // The messages raised since the last call.
    QStringList TakeMessages();

private:
    CVirtualClock* m_clock = nullptr;
    std::function<void(const QString&)> m_status;
    QStringList m_messages;
};
