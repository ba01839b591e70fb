#pragma once

#include <QWidget>

// A connected / not connected light with its text: a green dot while the link is held
// open, a grey one while it is not. The text is drawn cut with an ellipsis to the room the
// layout gives (a USB adapter's stable name is long), the whole text in the tooltip.
class CLinkIndicator : public QWidget {
public:
    explicit CLinkIndicator(QWidget* parent = nullptr);

    void SetState(bool connected, const QString& text);
    bool Connected() const { return m_connected; }
    QString Text() const { return m_text; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_connected = false;
    QString m_text;
};
