#include "EnterTextDlg.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CEnterTextDlg::CEnterTextDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("id147"));
    setWindowTitle(QStringLiteral("Enter Text"));
    auto* layout = new QVBoxLayout(this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("id1068"));
    m_edit->setMinimumWidth(260);
    layout->addWidget(m_edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("id1"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("id2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

void CEnterTextDlg::SetText(const QString& text) {
    m_edit->setText(text);
    m_edit->selectAll();
}

QString CEnterTextDlg::Text() const {
    return m_edit->text();
}
