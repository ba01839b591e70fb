#pragma once

#include <QString>
#include <functional>

class CKVUDoc;
class CRecentFileList;
class IUiServices;

// The project document's commands, with the framework's prompts and messages: New, Open,
// Save, Save As, the recent files and the question about unsaved changes.
class CDocumentController {
public:
    struct Hooks {
        // A new or opened project: every page and view takes it up.
        std::function<void()> initialUpdate;
        // The title, the recent files or the modified flag may have changed.
        std::function<void()> changed;
    };
    CDocumentController(CKVUDoc& doc, CRecentFileList& recent, IUiServices& services, Hooks hooks);

    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    bool OpenDocumentFile(const QString& path);
    // File > 1 to 4: the recent file at `index`, after the question about the current one.
    void OpenRecent(int index);
    // "Save changes to %1?" when modified; false when the user cancelled.
    bool SaveModified();
    // The main window's title: "Untitled - Quorlin".
    QString WindowTitle() const;

private:
    bool DoSave(const QString& path);
    QString AskFileName(bool save, const QString& suggested);
    // The project as just made, opened or dropped: shown on every page, not modified.
    void TakenUp();

    CKVUDoc& m_doc;
    CRecentFileList& m_recent;
    IUiServices& m_services;
    Hooks m_hooks;
};
