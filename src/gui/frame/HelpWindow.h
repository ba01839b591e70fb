#pragma once

#include <QUrl>
#include <QWidget>

class QAction;
class QLabel;
class QLineEdit;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// KVU's own help viewer: the help pages in a text browser with a contents list, back and
// forward, and find, so that no web browser is needed. It opens at a topic (an anchor of
// the front page).
class CHelpWindow : public QWidget {
    Q_OBJECT // found by type among a dialog's children
        public : explicit CHelpWindow(QWidget* parent = nullptr);

    // Reads the front page and the pages it links to, and builds the contents from their
    // headings. False when the front page cannot be read.
    bool Load(const QString& frontPage);
    QString FrontPage() const { return m_frontPage; }
    // Shows the front page at `topic`; an unknown topic shows the top of the front page.
    void OpenTopic(const QString& topic);
    // Whether the front page or a page it links to has this anchor.
    bool HasTopic(const QString& topic) const;
    // The anchor shown, empty at the top of a page.
    QString CurrentTopic() const;

    // Find: the bar opens with Ctrl+F; Enter or F3 finds the next match, Shift+Enter or
    // Shift+F3 the previous one; the search wraps around at either end.
    void ShowFindBar();
    bool FindNext();
    bool FindPrevious();
    QString FindStatus() const;

    QTextBrowser* Browser() const { return m_browser; }
    QTreeWidget* Contents() const { return m_contents; }

private:
    struct Page {
        QUrl url;
        QString title;
        QStringList anchors;
    };
    Page ReadPage(const QUrl& url, QTreeWidgetItem* parent);
    bool Find(bool backward);
    void OnSourceChanged(const QUrl& url);
    void OnFindTextEdited();

    QString m_frontPage;
    QList<Page> m_pages;
    QTextBrowser* m_browser = nullptr;
    QTreeWidget* m_contents = nullptr;
    QWidget* m_findBar = nullptr;
    QLineEdit* m_findText = nullptr;
    QLabel* m_findStatus = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
};
