#include "GuiServices.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

void CGuiServices::Status(const QString& text) {
    if (m_statusSink)
        m_statusSink(text);
    KeepAlive();
}

MsgAnswer CGuiServices::Message(const QString& text, const QString& caption, MsgIcon icon,
                                MsgButtons buttons, MsgAnswer defaultAnswer) {
    QMessageBox box(m_owner);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case MsgIcon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case MsgIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MsgIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case MsgIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    case MsgIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    if (buttons == MsgButtons::YesNo || buttons == MsgButtons::YesNoCancel) {
        QMessageBox::StandardButtons set = QMessageBox::Yes | QMessageBox::No;
        if (buttons == MsgButtons::YesNoCancel)
            set |= QMessageBox::Cancel;
        box.setStandardButtons(set);
        box.setDefaultButton(defaultAnswer == MsgAnswer::Yes      ? QMessageBox::Yes
                             : defaultAnswer == MsgAnswer::Cancel ? QMessageBox::Cancel
                                                                  : QMessageBox::No);
        if (buttons == MsgButtons::YesNoCancel)
            box.setEscapeButton(QMessageBox::Cancel);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    // A wait cursor held by the exchange must not hide the arrow over the box.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    ++m_busy;
    const int result = box.exec();
    --m_busy;
    QApplication::restoreOverrideCursor();
    if (buttons != MsgButtons::Ok)
        return result == QMessageBox::Yes  ? MsgAnswer::Yes
               : result == QMessageBox::No ? MsgAnswer::No
                                           : MsgAnswer::Cancel;
    return MsgAnswer::Ok;
}

void CGuiServices::Pause(int ms) {
    ++m_busy;
    QEventLoop loop;
    QTimer::singleShot(qMax(0, ms), &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    --m_busy;
}

void CGuiServices::BeginWait() {
    ++m_busy;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void CGuiServices::EndWait() {
    QApplication::restoreOverrideCursor();
    --m_busy;
}

void CGuiServices::Progress(int done, int total) {
    if (m_progressSink)
        m_progressSink(done, total);
}

void CGuiServices::KeepAlive() {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
