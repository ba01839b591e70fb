#pragma once

#include "ModulePage.h"

#include <QWidget>

// The view reserved for font download: empty.
class CFontView : public QWidget, public IModulePage {
public:
    QWidget* Widget() override { return this; }
    explicit CFontView(QWidget* parent = nullptr) : QWidget(parent) {
        setObjectName(QStringLiteral("CFontView"));
    }
};
