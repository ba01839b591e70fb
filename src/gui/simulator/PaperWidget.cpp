#include "PaperWidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

CPaperWidget::CPaperWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("paper"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetPaper(CPaper(), m_paperDots);
}

void CPaperWidget::SetPaper(const CPaper& paper, int paperDots) {
    m_paper = paper;
    m_paperDots = qMax(1, paperDots);
    m_tops = m_paper.Layout();
    setFixedSize(m_paperDots, PaperLength());
    update();
}

QSize CPaperWidget::sizeHint() const {
    return QSize(m_paperDots, PaperLength());
}

void CPaperWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect exposed = event->rect();
    painter.fillRect(exposed, Qt::white);
    const auto& lines = m_paper.Lines();
    if (lines.empty())
        return;
    // The first line that reaches into the exposed band, then down to its bottom.
    const auto begin = m_tops.begin();
    const auto last = begin + qsizetype(lines.size()); // m_tops holds one more entry
    auto it = std::upper_bound(begin, last, exposed.top());
    size_t i = it == begin ? 0 : size_t(it - begin - 1);
    for (; i < lines.size() && m_tops[i] <= exposed.bottom(); ++i)
        CPaper::PaintLine(painter, lines[i], m_tops[i], m_paperDots);
}
