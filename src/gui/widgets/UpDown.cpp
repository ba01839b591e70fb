#include "UpDown.h"

#include "module1/NumberField.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const int kWidth = 16;
} // namespace

CUpDown::CUpDown(QLineEdit* buddy, int maximum, QWidget* parent)
    : QWidget(parent), m_buddy(buddy), m_maximum(maximum) {
    // The arrows split the control's height between them with no gap: when the page is
    // given more room the control keeps its field's height instead of pulling the two
    // arrows apart.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int delta : {+1, -1}) {
        auto* button = new QToolButton(this);
        button->setArrowType(delta > 0 ? Qt::UpArrow : Qt::DownArrow);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedWidth(kWidth);
        button->setMinimumHeight(1);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
        button->setObjectName(delta > 0 ? QStringLiteral("up") : QStringLiteral("down"));
        connect(button, &QToolButton::clicked, this, [this, delta] { Step(delta); });
        layout->addWidget(button, 1);
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CUpDown::sizeHint() const {
    return QSize(kWidth, m_buddy->sizeHint().height());
}

void CUpDown::Step(int delta) {
    // The position comes from the field's text; a blank or unreadable field counts as 0.
    const int current = qMax(0, NumberField::ReadClampedNumber(m_buddy->text(), m_maximum));
    const int next = qBound(0, current + delta, m_maximum);
    m_buddy->setText(QString::number(next));
}
