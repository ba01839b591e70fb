#pragma once

#include "UiServices.h"

// Services that hand every call on to other services: the base of a front that changes
// one or two of them (a port's prefixed lines, a terminal whose progress bar replaces the
// status lines) and leaves the rest as they were.
class CForwardingUiServices : public IUiServices {
public:
    explicit CForwardingUiServices(IUiServices& inner) : m_inner(inner) {}

    void Status(const QString& text) override { m_inner.Status(text); }
    using IUiServices::Message;
    MsgAnswer Message(const QString& text, const QString& caption, MsgIcon icon, MsgButtons buttons,
                      MsgAnswer defaultAnswer) override {
        return m_inner.Message(text, caption, icon, buttons, defaultAnswer);
    }
    void Pause(int ms) override { m_inner.Pause(ms); }
    void BeginWait() override { m_inner.BeginWait(); }
    void EndWait() override { m_inner.EndWait(); }
    void Progress(int done, int total) override { m_inner.Progress(done, total); }
    void KeepAlive() override { m_inner.KeepAlive(); }
    void LinkProblem(const QString& text) override { m_inner.LinkProblem(text); }
    bool Interrupted() override { return m_inner.Interrupted(); }
    ILinkClock* LinkClock() override { return m_inner.LinkClock(); }
    QString AskFileName(const FileRequest& request) override {
        return m_inner.AskFileName(request);
    }
    int RunModal(QObject& dialog) override { return m_inner.RunModal(dialog); }

protected:
    IUiServices& Inner() { return m_inner; }

private:
    IUiServices& m_inner;
};
