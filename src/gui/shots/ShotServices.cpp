#include "ShotServices.h"

#ifdef Q_OS_UNIX
#include "Clock.h"
#endif

void CShotServices::Status(const QString& text) {
    if (m_status)
        m_status(text);
}

MsgAnswer CShotServices::Message(const QString& text, const QString& caption, MsgIcon icon,
                                 MsgButtons buttons, MsgAnswer defaultAnswer) {
    Q_UNUSED(caption);
    Q_UNUSED(icon);
    Q_UNUSED(buttons);
    m_messages << text;
    return defaultAnswer;
}

ILinkClock* CShotServices::LinkClock() {
#ifdef Q_OS_UNIX
    return m_clock;
#else
    return nullptr;
#endif
}

void CShotServices::Pause(int ms) {
#ifdef Q_OS_UNIX
    if (m_clock)
        m_clock->Advance(ms);
#else
    Q_UNUSED(ms);
#endif
}

QStringList CShotServices::TakeMessages() {
    QStringList taken;
    taken.swap(m_messages);
    return taken;
}
