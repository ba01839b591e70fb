#pragma once

#include <QPushButton>

// A push button whose caption, however long the user made it, is drawn cut with an
// ellipsis to the width the button was laid out for, the whole caption in its tooltip; it
// asks the layout for no more room than `widest` needs, so a long caption cannot push the
// rest of its page aside. text() is the whole caption.
class CElidedButton : public QPushButton {
public:
    CElidedButton(const QString& caption, const QString& widest, QWidget* parent = nullptr);
    void SetCaption(const QString& caption);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_widest;
};
