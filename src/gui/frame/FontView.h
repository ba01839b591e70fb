#pragma once

#include <QWidget>

// The view reserved for font download: empty.
class CFontView : public QWidget {
public:
    explicit CFontView(QWidget* parent = nullptr) : QWidget(parent) {
        setObjectName(QStringLiteral("CFontView"));
    }
};
