#pragma once

#include <QTabWidget>

// A module's property sheet: its pages as tabs. The four module sheets differ only in
// their pages, which the module view adds.
class CModuleSheet : public QTabWidget {
public:
    CModuleSheet(const QString& caption, QWidget* parent = nullptr);
    QString Caption() const { return m_caption; }
    // The index of the page on top (the sheet's active page).
    int GetActiveIndex() const { return currentIndex(); }

private:
    QString m_caption;
};
