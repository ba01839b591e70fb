#pragma once

#include <QDialog>

// Help > About Quorlin...
class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    static QString BuildText();
};
