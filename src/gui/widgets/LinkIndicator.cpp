#include "LinkIndicator.h"

#include <QPainter>

CLinkIndicator::CLinkIndicator(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CLinkIndicator::SetState(bool connected, const QString& text) {
    if (connected == m_connected && text == m_text)
        return;
    m_connected = connected;
    m_text = text;
    setToolTip(text);
    setAccessibleName(text);
    update();
}

QSize CLinkIndicator::sizeHint() const {
    // Room for "Not connected" and the dot; a longer text is elided rather than widening
    // the page.
    return QSize(fontMetrics().horizontalAdvance(QStringLiteral("Not connected")) +
                     fontMetrics().height() * 2,
                 fontMetrics().height() + 4);
}

QSize CLinkIndicator::minimumSizeHint() const {
    return QSize(fontMetrics().height() * 2, fontMetrics().height() + 4);
}

void CLinkIndicator::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int dot = fontMetrics().height() * 2 / 3;
    const QRect dotRect(2, (height() - dot) / 2, dot, dot);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    painter.setBrush(m_connected ? QColor(0x2E, 0xA0, 0x43) : QColor(0x9A, 0x9A, 0x9A));
    painter.drawEllipse(dotRect);
    const int textLeft = dotRect.right() + dot / 2 + 2;
    const QRect textRect(textLeft, 0, width() - textLeft, height());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(m_text, Qt::ElideMiddle, textRect.width()));
}
