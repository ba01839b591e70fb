#include "DocumentController.h"

#include "app/RecentFileList.h"
#include "app/UiServices.h"
#include "document/KVUDoc.h"
#include "document/ProjectFile.h"

#include <QDir>
#include <QFileInfo>

namespace {
const char* const kProjectFilter = "\\Quorlin Project Files(*.qpf);;All Files (*.*)";
} // namespace

CDocumentController::CDocumentController(CKVUDoc& doc, CRecentFileList& recent,
                                         IUiServices& services, Hooks hooks)
    : m_doc(doc), m_recent(recent), m_services(services), m_hooks(std::move(hooks)) {}

QString CDocumentController::WindowTitle() const {
    return QStringLiteral("%1 - Quorlin").arg(m_doc.GetTitle());
}

QString CDocumentController::AskFileName(bool save, const QString& suggested) {
    FileRequest request;
    request.save = save;
    request.title = save ? QStringLiteral("Save As") : QStringLiteral("Open");
    request.suggested = suggested;
    request.filter = QLatin1String(kProjectFilter);
    request.defaultSuffix = QStringLiteral("qpf");
    return m_services.AskFileName(request);
}

bool CDocumentController::SaveModified() {
    if (!m_doc.IsModified())
        return true;
    const MsgAnswer answer =
        m_services.Message(QStringLiteral("Save changes to %1?").arg(m_doc.GetTitle()),
                           MsgIcon::Question, MsgButtons::YesNoCancel, MsgAnswer::Yes);
    if (answer == MsgAnswer::Cancel)
        return false;
    if (answer == MsgAnswer::Yes)
        return OnFileSave();
    return true;
}

void CDocumentController::TakenUp() {
    m_hooks.initialUpdate();
    // The pages refilled from the project may have marked it: it is as it was read.
    m_doc.SetModifiedFlag(false);
    m_hooks.changed();
}

void CDocumentController::OnFileNew() {
    if (!SaveModified())
        return;
    m_doc.DeleteContents();
    m_doc.SetPathName(QString());
    m_doc.SetModifiedFlag(false);
    TakenUp();
}

// Which file comes first; only then the question about the current project, so that
// cancelling the file dialog never asks anything.
void CDocumentController::OnFileOpen() {
    const QString path = AskFileName(false, QFileInfo(m_doc.GetPathName()).absolutePath());
    if (path.isEmpty() || !SaveModified())
        return;
    OpenDocumentFile(path);
}

void CDocumentController::OpenRecent(int index) {
    const QStringList files = m_recent.Files();
    if (index >= 0 && index < files.size() && SaveModified())
        OpenDocumentFile(files[index]);
}

bool CDocumentController::OpenDocumentFile(const QString& path) {
    // A file that cannot be read leaves the current project as it was.
    CKVUDoc probe;
    QString detail;
    if (CProjectFile::Load(path, probe, &detail) == CProjectFile::Result::CannotOpen) {
        m_services.Message(CProjectFile::Message(CProjectFile::Result::CannotOpen),
                           MsgIcon::Exclamation);
        m_recent.Remove(path);
        m_hooks.changed();
        return false;
    }
    m_doc.DeleteContents();
    const CProjectFile::Result result = CProjectFile::Load(path, m_doc, &detail);
    if (result != CProjectFile::Result::Ok) {
        m_services.Message(CProjectFile::Message(result), MsgIcon::Exclamation);
        // The half-read project is dropped: the document is left as after File New, and
        // the pages show that (not the project that was open before).
        m_doc.DeleteContents();
        m_doc.SetPathName(QString());
        TakenUp();
        return false;
    }
    m_doc.SetPathName(QFileInfo(path).absoluteFilePath());
    m_recent.Add(path);
    TakenUp();
    return true;
}

bool CDocumentController::DoSave(const QString& path) {
    QString detail;
    if (CProjectFile::Save(path, m_doc, &detail) != CProjectFile::Result::Ok) {
        // The framework's text, then why (a full disk, a folder that is not there), as
        // kvuctl says it.
        QString text = CProjectFile::Message(CProjectFile::Result::CannotWrite);
        if (!detail.isEmpty())
            text += QStringLiteral("\n%1: %2").arg(QDir::toNativeSeparators(path), detail);
        m_services.Message(text, MsgIcon::Exclamation);
        return false;
    }
    m_doc.SetPathName(QFileInfo(path).absoluteFilePath());
    m_doc.SetModifiedFlag(false);
    m_recent.Add(path);
    m_hooks.changed();
    return true;
}

bool CDocumentController::OnFileSave() {
    if (m_doc.GetPathName().isEmpty())
        return OnFileSaveAs();
    return DoSave(m_doc.GetPathName());
}

bool CDocumentController::OnFileSaveAs() {
    const QString suggested = m_doc.GetPathName().isEmpty()
                                  ? m_doc.GetTitle() + QStringLiteral(".qpf")
                                  : m_doc.GetPathName();
    QString path = AskFileName(true, suggested);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".qpf");
    return DoSave(path);
}
