#pragma once

#include "ModulePage.h"

#include <QWidget>

// A property page without behaviour of its own: the reserved pages of Modules 2, 3 and 6,
// and pages whose module is not part of this version yet.
class CPlaceholderPage : public QWidget, public IModulePage {
public:
    CPlaceholderPage(const QString& title, const QString& text, QWidget* parent = nullptr);
    QString Title() const { return m_title; }
    QWidget* Widget() override { return this; }

private:
    QString m_title;
};
