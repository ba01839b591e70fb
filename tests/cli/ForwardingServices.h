#pragma once

#include "app/ForwardingUiServices.h"

#include <optional>

// Hands kvuctl a harness's recorder, so that pauses run on the virtual clock. With `yes`
// set, questions are answered as kvuctl's --yes would answer them; otherwise the
// recorder's own script answers.
class CForwardingServices : public CForwardingUiServices {
public:
    explicit CForwardingServices(IUiServices& target, std::optional<bool> yes = std::nullopt)
        : CForwardingUiServices(target), m_yes(yes) {}
    using IUiServices::Message;
    MsgAnswer Message(const QString& t, const QString& c, MsgIcon i, MsgButtons b,
                      MsgAnswer d) override {
        const MsgAnswer a = Inner().Message(t, c, i, b, d);
        if (b == MsgButtons::Ok || !m_yes)
            return a;
        return *m_yes ? MsgAnswer::Yes : MsgAnswer::No;
    }

private:
    std::optional<bool> m_yes;
};
