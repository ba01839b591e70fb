#pragma once

#include <QTabWidget>
#include <QVector>
#include <functional>

class IModulePage;
class QScrollArea;

// A module's property sheet: its pages as tabs. The sheets differ only in their pages,
// which the module view adds from the module registry. A page is made when it is first
// needed (its tab shown, or the page asked for), so that the pages of modules never
// shown cost nothing at start-up. While the sheet's module is shown ("live"), the page on
// top is told when it comes on top and when it leaves.
class CModuleSheet : public QTabWidget {
public:
    CModuleSheet(const QString& caption, QWidget* parent = nullptr);
    QString Caption() const { return m_caption; }
    // The index of the page on top (the sheet's active page).
    int GetActiveIndex() const { return currentIndex(); }

    // Adds a tab for the page `make` makes when it is first needed.
    void AddPage(const QString& title, int dialogId, std::function<IModulePage*()> make);
    int PageCount() const { return int(m_pages.size()); }
    // The page, made now if it was not yet.
    IModulePage* Page(int index);
    // The page if it has been made, else null.
    IModulePage* MadePage(int index) const;
    IModulePage* ActivePage() { return Page(currentIndex()); }
    int DialogId(int index) const;

    // The module was chosen (again) or left: the page on top is told it is on top, or that
    // it left the top.
    void SetLive(bool live);
    bool IsLive() const { return m_live; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Tab {
        int dialogId;
        std::function<IModulePage*()> make;
        QScrollArea* holder;
        IModulePage* page = nullptr;
        bool making = false;
    };
    void OnCurrentChanged(int index);

    QString m_caption;
    QVector<Tab> m_pages;
    int m_activeIndex = -1;
    bool m_live = false;
};
