#include "PlaceholderPage.h"

#include <QLabel>
#include <QVBoxLayout>

CPlaceholderPage::CPlaceholderPage(const QString& title, const QString& text, QWidget* parent)
    : QWidget(parent), m_title(title) {
    auto* layout = new QVBoxLayout(this);
    if (!text.isEmpty()) {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    layout->addStretch(1);
}
