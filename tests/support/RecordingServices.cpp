#include "RecordingServices.h"

#include <QObject>

void CRecordingServices::Status(const QString& text) {
    Event e;
    e.kind = Event::Status;
    e.text = text;
    e.atMs = Now();
    m_events.append(e);
    if (!m_interruptAt.isEmpty() && text.startsWith(m_interruptAt))
        m_interrupted = true;
}

MsgAnswer CRecordingServices::Message(const QString& text, const QString& caption, MsgIcon icon,
                                      MsgButtons buttons, MsgAnswer defaultAnswer) {
    CBusyScope busy(*this);
    Event e;
    e.kind = Event::Message;
    e.text = text;
    e.caption = caption;
    e.icon = icon;
    e.buttons = buttons;
    e.defaultAnswer = defaultAnswer;
    e.atMs = Now();
    m_events.append(e);
    if (buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    if (m_answers.empty())
        return defaultAnswer;
    const MsgAnswer answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void CRecordingServices::Pause(int ms) {
    CBusyScope busy(*this);
    if (++m_pauses == m_interruptAtPause)
        m_interrupted = true;
    Event e;
    e.kind = Event::Pause;
    e.value = ms;
    e.atMs = Now();
    m_events.append(e);
    m_pausedMs += ms;
    if (m_clock)
        m_clock->Advance(ms);
}

void CRecordingServices::BeginWait() {
    ++m_waitDepth;
    ++m_busy;
    Event e;
    e.kind = Event::BeginWait;
    m_events.append(e);
}

void CRecordingServices::EndWait() {
    --m_waitDepth;
    --m_busy;
    Event e;
    e.kind = Event::EndWait;
    m_events.append(e);
}

void CRecordingServices::Progress(int done, int total) {
    Event e;
    e.kind = Event::Progress;
    e.value = total > 0 ? done * 100 / total : -1;
    m_events.append(e);
}

QStringList CRecordingServices::StatusTexts() const {
    QStringList out;
    for (const Event& e : m_events) {
        if (e.kind == Event::Status)
            out << e.text;
    }
    return out;
}

QStringList CRecordingServices::MessageTexts() const {
    QStringList out;
    for (const Event& e : m_events) {
        if (e.kind == Event::Message)
            out << e.text;
    }
    return out;
}

QVector<CRecordingServices::Event> CRecordingServices::Messages() const {
    QVector<Event> out;
    for (const Event& e : m_events) {
        if (e.kind == Event::Message)
            out << e;
    }
    return out;
}

QString CRecordingServices::AskFileName(const FileRequest& request) {
    CBusyScope busy(*this);
    Event e;
    e.kind = Event::FileDialog;
    e.text = request.title;
    e.caption = request.filter;
    e.atMs = Now();
    m_events.append(e);
    m_busyInDialog = IsBusy();
    return m_fileScript ? m_fileScript(request) : QString();
}

int CRecordingServices::RunModal(QObject& dialog) {
    CBusyScope busy(*this);
    Event e;
    e.kind = Event::Dialog;
    e.text = dialog.objectName();
    e.atMs = Now();
    m_events.append(e);
    m_busyInDialog = IsBusy();
    return m_dialogScript ? m_dialogScript(dialog) : 0;
}

void CRecordingServices::LinkProblem(const QString& text) {
    Event e;
    e.kind = Event::LinkProblem;
    e.text = text;
    e.atMs = Now();
    m_events.append(e);
}

QStringList CRecordingServices::LinkProblems() const {
    QStringList texts;
    for (const Event& e : m_events) {
        if (e.kind == Event::LinkProblem)
            texts << e.text;
    }
    return texts;
}
