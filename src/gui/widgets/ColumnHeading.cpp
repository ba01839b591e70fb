#include "ColumnHeading.h"

#include <QPainter>
#include <QRegularExpression>
#include <QStyle>

CColumnHeading::CColumnHeading(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void CColumnHeading::SetColumns(const QVector<Column>& columns) {
    m_columns = columns;
    update();
}

QStringList CColumnHeading::Words() const {
    return text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
}

int CColumnHeading::WordCentre(int i) const {
    const Column& c = m_columns.at(i);
    QWidget* top = window();
    const int left = mapFrom(top, c.first->mapTo(top, QPoint(0, 0))).x();
    const int right = mapFrom(top, c.last->mapTo(top, QPoint(c.last->width(), 0))).x();
    return (left + right) / 2;
}

void CColumnHeading::paintEvent(QPaintEvent* event) {
    if (m_columns.isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QStringList words = Words();
    const QRect area = contentsRect();
    for (int i = 0; i < words.size() && i < m_columns.size(); ++i) {
        if (!m_columns[i].first || !m_columns[i].last)
            continue;
        const int width = fontMetrics().horizontalAdvance(words[i]);
        const QRect cell(WordCentre(i) - width / 2, area.top(), width + 1, area.height());
        style()->drawItemText(&painter, cell, Qt::AlignLeft | Qt::AlignVCenter, palette(),
                              isEnabled(), words[i], foregroundRole());
    }
}
