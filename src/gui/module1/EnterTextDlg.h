#pragma once

#include <QDialog>

class QLineEdit;

// "Enter Text": one line of text, OK and Cancel; the Macros page renames its buttons with it.
class CEnterTextDlg : public QDialog {
public:
    explicit CEnterTextDlg(QWidget* parent = nullptr);
    void SetText(const QString& text);
    QString Text() const;

private:
    QLineEdit* m_edit = nullptr;
};
