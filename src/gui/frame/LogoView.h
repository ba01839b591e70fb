#pragma once

#include "ModulePage.h"

#include <QLabel>

// The logo download view. The bitmap, zoom, threshold and transfer arrive with the logo
// module; until then it says so.
class CLogoView : public QLabel, public IModulePage {
public:
    QWidget* Widget() override { return this; }
    explicit CLogoView(QWidget* parent = nullptr)
        : QLabel(QStringLiteral("Logo download is not available in this version of KVU yet."),
                 parent) {
        setObjectName(QStringLiteral("CLogoView"));
        setAlignment(Qt::AlignCenter);
    }
};
