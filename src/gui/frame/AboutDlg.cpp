#include "AboutDlg.h"

#include "app/Version.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Quorlin"));
    setObjectName(QStringLiteral("id100"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("id1081"));
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));

    auto* version =
        new QLabel(QStringLiteral("Quorlin Version %1").arg(QLatin1String(kVersionText)), this);
    auto* text = new QPlainTextEdit(BuildText(), this);
    text->setObjectName(QStringLiteral("id1065"));
    text->setReadOnly(true);
    text->setMinimumSize(320, 80);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("id1"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    layout->addWidget(version, 0, 1);
    layout->addWidget(buttons, 0, 2, Qt::AlignTop);
    layout->addWidget(text, 1, 1, 1, 2);
}

QString CAboutDlg::BuildText() {
    return QStringLiteral("Built %1 %2\r\n"
                          "Configuration utility for Tarvo3 printers\r\n"
                          "Copyright (C) 2006-2026 Velqor Vuzuvurizod")
        .arg(QLatin1String(__DATE__), QLatin1String(__TIME__));
}
