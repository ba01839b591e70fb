#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// An up-down control beside a text field: the arrows step the number in the field within
// 0 to the maximum and write it back as an integer, while the field itself still takes
// any typed text (the page validates it when the field is left).
class CUpDown : public QWidget {
public:
    CUpDown(QLineEdit* buddy, int maximum, QWidget* parent = nullptr);
    void Step(int delta);
    int Maximum() const { return m_maximum; }
    // As tall as its field, whatever the page's size: the two arrows share that height.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

private:
    QLineEdit* m_buddy;
    int m_maximum;
};
