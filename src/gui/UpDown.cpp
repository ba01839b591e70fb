#include "UpDown.h"

#include "module1/NumberField.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

CUpDown::CUpDown(QLineEdit* buddy, int maximum, QWidget* parent)
    : QWidget(parent), m_buddy(buddy), m_maximum(maximum) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int delta : {+1, -1}) {
        auto* button = new QToolButton(this);
        button->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(16, 11);
        button->setObjectName(delta > 0 ? QStringLiteral("up") : QStringLiteral("down"));
        connect(button, &QToolButton::clicked, this, [this, delta] { Step(delta); });
        layout->addWidget(button);
    }
    setFixedWidth(16);
}

void CUpDown::Step(int delta) {
    // The position comes from the field's text; a blank or unreadable field counts as 0.
    const int current = qMax(0, NumberField::ReadClampedNumber(m_buddy->text(), m_maximum));
    const int next = qBound(0, current + delta, m_maximum);
    m_buddy->setText(QString::number(next));
}
