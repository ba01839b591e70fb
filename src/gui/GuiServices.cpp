#include "GuiServices.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

// Eats user input while a wait runs; everything else (painting, timers, the window
// system's moves and resizes) goes through.
class CInputSwallower : public QObject {
public:
    explicit CInputSwallower(int& waiting) : m_waiting(waiting) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (m_waiting > 0) {
            switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::Wheel:
            case QEvent::TouchBegin:
            case QEvent::ContextMenu:
                return true;
            default:
                break;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    int& m_waiting;
};

CGuiServices::CGuiServices() = default;

// The filter goes with the services, so it never outlives the counter it reads.
CGuiServices::~CGuiServices() {
    if (m_swallower && qApp)
        qApp->removeEventFilter(m_swallower.get());
}

void CGuiServices::RunWaitLoop(int ms) {
    // Every spin of the event loop from here counts as busy, however short.
    CBusyScope busy(*this);
    if (!m_swallower) {
        m_swallower = std::make_unique<CInputSwallower>(m_waiting);
        qApp->installEventFilter(m_swallower.get());
    }
    ++m_waiting;
    if (ms <= 0) {
        QApplication::processEvents();
    } else {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    }
    --m_waiting;
}

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
    const int result = RunModal(box);
    if (buttons != MsgButtons::Ok)
        return result == QMessageBox::Yes  ? MsgAnswer::Yes
               : result == QMessageBox::No ? MsgAnswer::No
                                           : MsgAnswer::Cancel;
    return MsgAnswer::Ok;
}

void CGuiServices::Pause(int ms) {
    RunWaitLoop(ms);
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

void CGuiServices::LinkProblem(const QString& text) {
    if (m_linkProblemSink)
        m_linkProblemSink(text);
}

void CGuiServices::KeepAlive() {
    // Only an exchange (which holds the wait cursor), a pause or a modal box blocks the
    // event loop and needs it spun to paint. Work that runs from the loop itself (the
    // Macros page's idle steps, a macro button) returns to it at once: spinning it there
    // would swallow the clicks and keys that arrive meanwhile, and could let the user
    // close the link under the very read or write that asked for the spin.
    if (m_busy == 0)
        return;
    RunWaitLoop(0);
}

int CGuiServices::RunModal(QObject& object) {
    auto* dialog = qobject_cast<QDialog*>(&object);
    if (!dialog)
        return QDialog::Rejected;
    CBusyScope busy(*this);
    // A wait cursor held by an exchange must not hide the arrow over the dialog.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int result = dialog->exec();
    QApplication::restoreOverrideCursor();
    return result;
}

QString CGuiServices::AskFileName(const FileRequest& request) {
    QFileDialog dialog(m_owner, request.title, request.suggested, request.filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.save && !QFileInfo(request.suggested).isDir())
        dialog.selectFile(request.suggested);
    if (RunModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}
