#include "HelpWindow.h"

#include "files/FileAccess.h"

#include <QAction>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>
#include <functional>

namespace {
// The contents entry's target.
constexpr int kUrlRole = Qt::UserRole;
// The help's pages are a few dozen kilobytes; anything far larger is not ours.
constexpr qint64 kMaxPageBytes = 8 * 1024 * 1024;

QUrl WithoutFragment(QUrl url) {
    url.setFragment(QString());
    return url;
}

// The find field: Shift+Enter searches backwards, Escape closes the bar.
class CFindField : public QLineEdit {
public:
    CFindField(std::function<void(bool)> find, std::function<void()> close, QWidget* parent)
        : QLineEdit(parent), m_find(std::move(find)), m_close(std::move(close)) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            m_find(event->modifiers() & Qt::ShiftModifier);
            return;
        }
        if (event->key() == Qt::Key_Escape) {
            m_close();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }

private:
    std::function<void(bool)> m_find;
    std::function<void()> m_close;
};
} // namespace

CHelpWindow::CHelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Quorlin Help"));
    // Wide enough for the pictures of the widest window beside the contents.
    resize(1120, 780);

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("helpToolBar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_back = bar->addAction(QStringLiteral("< Back"));
    m_back->setObjectName(QStringLiteral("helpBack"));
    m_back->setShortcut(QKeySequence::Back);
    m_back->setToolTip(
        QStringLiteral("Back (%1)")
            .arg(QKeySequence(QKeySequence::Back).toString(QKeySequence::NativeText)));
    m_forward = bar->addAction(QStringLiteral("Forward >"));
    m_forward->setObjectName(QStringLiteral("helpForward"));
    m_forward->setShortcut(QKeySequence::Forward);
    m_forward->setToolTip(
        QStringLiteral("Forward (%1)")
            .arg(QKeySequence(QKeySequence::Forward).toString(QKeySequence::NativeText)));
    QAction* home = bar->addAction(QStringLiteral("Contents"));
    home->setObjectName(QStringLiteral("helpHome"));
    home->setToolTip(QStringLiteral("The front page of the help"));
    bar->addSeparator();
    QAction* find = bar->addAction(QStringLiteral("Find..."));
    find->setObjectName(QStringLiteral("helpFind"));
    find->setShortcut(QKeySequence::Find);
    find->setToolTip(QStringLiteral("Find in this page (%1)")
                         .arg(QKeySequence(QKeySequence::Find).toString(QKeySequence::NativeText)));
    auto* findNext = new QAction(this);
    findNext->setShortcut(QKeySequence::FindNext);
    addAction(findNext);
    auto* findPrevious = new QAction(this);
    findPrevious->setShortcut(QKeySequence::FindPrevious);
    addAction(findPrevious);
    // Ctrl+W closes the window, and so does Escape unless the find bar is open, which it
    // closes first. (Ctrl+Q, the main window's Exit, quits the program from here too.)
    auto* closeWindow = new QAction(this);
    closeWindow->setObjectName(QStringLiteral("helpClose"));
    closeWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    addAction(closeWindow);
    auto* escape = new QAction(this);
    escape->setObjectName(QStringLiteral("helpEscape"));
    escape->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(escape);

    m_contents = new QTreeWidget(this);
    m_contents->setObjectName(QStringLiteral("helpContents"));
    m_contents->setHeaderHidden(true);
    m_contents->setRootIsDecorated(true);
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpBrowser"));
    // Links to web sites go to the desktop's browser, if there is one; the help's own
    // pages open here.
    m_browser->setOpenExternalLinks(true);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(m_contents);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({250, 870});

    m_findBar = new QWidget(this);
    m_findBar->setObjectName(QStringLiteral("helpFindBar"));
    auto* findLayout = new QHBoxLayout(m_findBar);
    findLayout->setContentsMargins(4, 2, 4, 2);
    findLayout->addWidget(new QLabel(QStringLiteral("Find:"), m_findBar));
    m_findText = new CFindField([this](bool backward) { Find(backward); },
                                [this] {
                                    m_findBar->hide();
                                    m_browser->setFocus();
                                },
                                m_findBar);
    m_findText->setObjectName(QStringLiteral("helpFindText"));
    m_findText->setClearButtonEnabled(true);
    findLayout->addWidget(m_findText, 1);
    auto* previous = new QToolButton(m_findBar);
    previous->setObjectName(QStringLiteral("helpFindPrevious"));
    previous->setText(QStringLiteral("Previous"));
    findLayout->addWidget(previous);
    auto* next = new QToolButton(m_findBar);
    next->setObjectName(QStringLiteral("helpFindNext"));
    next->setText(QStringLiteral("Next"));
    findLayout->addWidget(next);
    m_findStatus = new QLabel(m_findBar);
    m_findStatus->setObjectName(QStringLiteral("helpFindStatus"));
    m_findStatus->setMinimumWidth(
        m_findStatus->fontMetrics().horizontalAdvance(QStringLiteral("Not found; search wrapped")));
    findLayout->addWidget(m_findStatus);
    auto* closeFind = new QToolButton(m_findBar);
    closeFind->setText(QStringLiteral("Close"));
    findLayout->addWidget(closeFind);
    m_findBar->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(splitter, 1);
    layout->addWidget(m_findBar);

    m_back->setEnabled(false);
    m_forward->setEnabled(false);
    connect(m_back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QAction::setEnabled);
    connect(home, &QAction::triggered, this, [this] { OpenTopic(QString()); });
    connect(find, &QAction::triggered, this, [this] { ShowFindBar(); });
    connect(findNext, &QAction::triggered, this, [this] { FindNext(); });
    connect(findPrevious, &QAction::triggered, this, [this] { FindPrevious(); });
    connect(next, &QToolButton::clicked, this, [this] { FindNext(); });
    connect(previous, &QToolButton::clicked, this, [this] { FindPrevious(); });
    connect(closeFind, &QToolButton::clicked, this, [this] { m_findBar->hide(); });
    connect(closeWindow, &QAction::triggered, this, &QWidget::close);
    connect(escape, &QAction::triggered, this, [this] {
        if (m_findBar->isVisible()) {
            m_findBar->hide();
            m_browser->setFocus();
        } else {
            close();
        }
    });
    connect(m_findText, &QLineEdit::textEdited, this, [this] { OnFindTextEdited(); });
    connect(m_browser, &QTextBrowser::sourceChanged, this,
            [this](const QUrl& url) { OnSourceChanged(url); });
    connect(m_contents, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        m_browser->setSource(item->data(0, kUrlRole).toUrl());
    });
    connect(m_contents, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QUrl url = item->data(0, kUrlRole).toUrl();
        if (url != m_browser->source())
            m_browser->setSource(url);
    });
}

// A page's contents entry: its title, then its headings (h2 under the title, h3 under the
// h2 before it), each with the heading's anchor.
CHelpWindow::Page CHelpWindow::ReadPage(const QUrl& url, QTreeWidgetItem* parent) {
    Page page;
    page.url = url;
    QByteArray html;
    if (FileAccess::ReadRegularFile(url.toLocalFile(), kMaxPageBytes, &html) !=
        FileAccess::ReadResult::Ok)
        return page;
    QTextDocument document;
    document.setHtml(QString::fromUtf8(html));
    page.title = document.metaInformation(QTextDocument::DocumentTitle);
    auto* top = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_contents);
    top->setText(0, page.title.isEmpty() ? QFileInfo(url.toLocalFile()).fileName() : page.title);
    top->setData(0, kUrlRole, url);
    QTreeWidgetItem* section = top;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QStringList names;
        for (auto it = block.begin(); !it.atEnd(); ++it)
            names << it.fragment().charFormat().anchorNames();
        page.anchors << names;
        const int level = block.blockFormat().headingLevel();
        if (level < 2 || level > 3 || names.isEmpty())
            continue;
        QUrl target = url;
        target.setFragment(names.first());
        auto* item = new QTreeWidgetItem(level == 2 ? top : section);
        item->setText(0, block.text().simplified());
        item->setData(0, kUrlRole, target);
        if (level == 2)
            section = item;
    }
    return page;
}

bool CHelpWindow::Load(const QString& frontPage) {
    const QFileInfo info(frontPage);
    if (!info.isFile() || !info.isReadable() || info.size() > kMaxPageBytes)
        return false;
    m_frontPage = info.absoluteFilePath();
    m_contents->clear();
    m_pages.clear();
    const QUrl front = QUrl::fromLocalFile(m_frontPage);
    m_pages << ReadPage(front, nullptr);
    // The pages the front page links to, in the order of their first link.
    QByteArray html;
    if (FileAccess::ReadRegularFile(m_frontPage, kMaxPageBytes, &html) ==
        FileAccess::ReadResult::Ok) {
        QTextDocument document;
        document.setHtml(QString::fromUtf8(html));
        QList<QUrl> linked;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QString href = it.fragment().charFormat().anchorHref();
                if (href.isEmpty() || href.startsWith(QLatin1Char('#')))
                    continue;
                const QUrl target = WithoutFragment(front.resolved(QUrl(href)));
                if (target.isLocalFile() && target != front && !linked.contains(target) &&
                    target.path().endsWith(QLatin1String(".html")) &&
                    QFileInfo::exists(target.toLocalFile()))
                    linked << target;
            }
        }
        for (const QUrl& url : linked)
            m_pages << ReadPage(url, nullptr);
    }
    m_contents->expandToDepth(0);
    m_browser->clearHistory();
    m_browser->setSource(front);
    return true;
}

bool CHelpWindow::HasTopic(const QString& topic) const {
    for (const Page& page : m_pages) {
        if (page.anchors.contains(topic))
            return true;
    }
    return false;
}

void CHelpWindow::OpenTopic(const QString& topic) {
    if (m_frontPage.isEmpty())
        return;
    QUrl url = QUrl::fromLocalFile(m_frontPage);
    for (const Page& page : m_pages) {
        if (!topic.isEmpty() && page.anchors.contains(topic)) {
            url = page.url;
            url.setFragment(topic);
            break;
        }
    }
    if (url == m_browser->source() && !topic.isEmpty())
        m_browser->scrollToAnchor(topic); // the same topic again: back to its heading
    else
        m_browser->setSource(url);
}

QString CHelpWindow::CurrentTopic() const {
    return m_browser->source().fragment();
}

void CHelpWindow::OnSourceChanged(const QUrl& url) {
    // The contents follow the page shown: its entry, or the page's own.
    QTreeWidgetItem* best = nullptr;
    for (QTreeWidgetItemIterator it(m_contents); *it; ++it) {
        const QUrl target = (*it)->data(0, kUrlRole).toUrl();
        if (target == url) {
            best = *it;
            break;
        }
        if (!best && target == WithoutFragment(url))
            best = *it;
    }
    const QSignalBlocker blocker(m_contents);
    m_contents->setCurrentItem(best);
    if (best)
        m_contents->scrollToItem(best);
}

void CHelpWindow::ShowFindBar() {
    m_findBar->show();
    m_findText->setFocus();
    m_findText->selectAll();
}

bool CHelpWindow::FindNext() {
    return Find(false);
}

bool CHelpWindow::FindPrevious() {
    return Find(true);
}

QString CHelpWindow::FindStatus() const {
    return m_findStatus->text();
}

bool CHelpWindow::Find(bool backward) {
    const QString text = m_findText->text();
    m_findStatus->clear();
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (m_browser->find(text, flags))
        return true;
    // Past the last match: go round from the other end.
    const QTextCursor before = m_browser->textCursor();
    QTextCursor cursor(m_browser->document());
    cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
    m_browser->setTextCursor(cursor);
    if (m_browser->find(text, flags)) {
        m_findStatus->setText(backward ? QStringLiteral("Continued from the end")
                                       : QStringLiteral("Continued from the top"));
        return true;
    }
    m_browser->setTextCursor(before);
    m_findStatus->setText(QStringLiteral("Not found"));
    return false;
}

// Typing searches as it goes, from where the current match begins, so that a longer
// text keeps the match it extends.
void CHelpWindow::OnFindTextEdited() {
    QTextCursor cursor = m_browser->textCursor();
    cursor.setPosition(cursor.selectionStart());
    m_browser->setTextCursor(cursor);
    Find(false);
}
