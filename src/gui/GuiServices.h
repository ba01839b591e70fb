#pragma once

#include "app/UiServices.h"

#include <functional>
#include <memory>

class QWidget;

// The services seam on the desktop: the status text goes to the main frame's message
// pane and is painted at once, messages are message boxes, pauses keep the window
// painting without taking input, and the wait cursor is held for the exchange.
class CGuiServices : public IUiServices {
public:
    CGuiServices();
    ~CGuiServices() override;
    CGuiServices(const CGuiServices&) = delete;
    CGuiServices& operator=(const CGuiServices&) = delete;

    // Where status texts go (the frame's message pane) and who owns message boxes.
    void SetStatusSink(std::function<void(const QString&)> sink) { m_statusSink = std::move(sink); }
    void SetProgressSink(std::function<void(int, int)> sink) { m_progressSink = std::move(sink); }
    void SetLinkProblemSink(std::function<void(const QString&)> sink) {
        m_linkProblemSink = std::move(sink);
    }
    void SetOwner(QWidget* owner) { m_owner = owner; }

    void Status(const QString& text) override;
    using IUiServices::Message;
    MsgAnswer Message(const QString& text, const QString& caption, MsgIcon icon,
                      MsgButtons buttons = MsgButtons::Ok,
                      MsgAnswer defaultAnswer = MsgAnswer::Ok) override;
    void Pause(int ms) override;
    void BeginWait() override;
    void EndWait() override;
    void Progress(int done, int total) override;
    void KeepAlive() override;
    void LinkProblem(const QString& text) override;

    QString AskFileName(const FileRequest& request) override;
    int RunModal(QObject& dialog) override;

private:
    // Runs the event loop for a wait: the window paints, while keys and clicks made
    // during the wait are dropped (not delivered once it ends).
    void RunWaitLoop(int ms);

    std::function<void(const QString&)> m_statusSink;
    std::function<void(int, int)> m_progressSink;
    std::function<void(const QString&)> m_linkProblemSink;
    QWidget* m_owner = nullptr;
    int m_waiting = 0;
    std::unique_ptr<class CInputSwallower> m_swallower;
};
