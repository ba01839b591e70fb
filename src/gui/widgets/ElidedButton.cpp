#include "ElidedButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

CElidedButton::CElidedButton(const QString& caption, const QString& widest, QWidget* parent)
    : QPushButton(parent), m_widest(widest) {
    SetCaption(caption);
}

void CElidedButton::SetCaption(const QString& caption) {
    setText(caption);
    // Only a caption that does not show whole needs its tooltip; an empty one has none.
    setToolTip(caption);
    updateGeometry();
}

QSize CElidedButton::sizeHint() const {
    QStyleOptionButton option;
    initStyleOption(&option);
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, m_widest);
    return style()->sizeFromContents(QStyle::CT_PushButton, &option, text, this);
}

QSize CElidedButton::minimumSizeHint() const {
    return sizeHint();
}

void CElidedButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    const int margin = style()->pixelMetric(QStyle::PM_ButtonMargin, &option, this);
    option.text = fontMetrics().elidedText(text(), Qt::ElideRight, contents.width() - margin);
    painter.drawControl(QStyle::CE_PushButton, option);
}
