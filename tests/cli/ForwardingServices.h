#pragma once

#include "app/UiServices.h"

#include <optional>

// Hands kvuctl a harness's recorder, so that pauses run on the virtual clock. With `yes`
// set, questions are answered as kvuctl's --yes would answer them; otherwise the
// recorder's own script answers.
class CForwardingServices : public IUiServices {
public:
    explicit CForwardingServices(IUiServices& target, std::optional<bool> yes = std::nullopt)
        : m_target(target), m_yes(yes) {}
    void Status(const QString& t) override { m_target.Status(t); }
    using IUiServices::Message;
    MsgAnswer Message(const QString& t, const QString& c, MsgIcon i, MsgButtons b,
                      MsgAnswer d) override {
        const MsgAnswer a = m_target.Message(t, c, i, b, d);
        if (b == MsgButtons::Ok || !m_yes)
            return a;
        return *m_yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    void Pause(int ms) override { m_target.Pause(ms); }
    void BeginWait() override { m_target.BeginWait(); }
    void EndWait() override { m_target.EndWait(); }
    void LinkProblem(const QString& t) override { m_target.LinkProblem(t); }

private:
    IUiServices& m_target;
    std::optional<bool> m_yes;
};
