#include "PlaceholderPage.h"

#include <QLabel>
#include <QVBoxLayout>

CPlaceholderPage::CPlaceholderPage(const QString& title, const QString& text, QWidget* parent)
    : QWidget(parent), m_title(title) {
    auto* layout = new QVBoxLayout(this);
    if (!text.isEmpty()) {
        // One line: the page keeps its natural size, so a wrapped text would be squeezed.
        auto* label = new QLabel(text, this);
        layout->addWidget(label);
    }
    layout->addStretch(1);
}
