#pragma once

#include <QTabWidget>
#include <QVector>

class IModulePage;

// A module's property sheet: its pages as tabs. The sheets differ only in their pages,
// which the module view adds from the module registry. While the sheet's module is shown
// ("live"), the page on top is told when it comes on top and when it leaves.
class CModuleSheet : public QTabWidget {
public:
    CModuleSheet(const QString& caption, QWidget* parent = nullptr);
    QString Caption() const { return m_caption; }
    // The index of the page on top (the sheet's active page).
    int GetActiveIndex() const { return currentIndex(); }

    // Adds a page as a tab; `tab` is what the tab shows (the page, or a holder around it).
    void AddPage(IModulePage* page, QWidget* tab, const QString& title);
    int PageCount() const { return int(m_pages.size()); }
    IModulePage* Page(int index) const { return m_pages.value(index); }
    IModulePage* ActivePage() const { return Page(currentIndex()); }

    // The module was chosen (again) or left: the page on top is told it is on top, or that
    // it left the top.
    void SetLive(bool live);
    bool IsLive() const { return m_live; }

private:
    void OnCurrentChanged(int index);

    QString m_caption;
    QVector<IModulePage*> m_pages;
    int m_activeIndex = -1;
    bool m_live = false;
};
