#pragma once

#include <QLabel>
#include <QVector>

// A one-line heading over a row of controls, such as " HR   :   MIN  :   SEC" over the
// sleep-timer fields. The text stays as given; each of its words is drawn centred over
// its own column of the row beneath, so the words stay over their controls in any font
// and at any size of the page (blanks inside the text cannot do that).
class CColumnHeading : public QLabel {
public:
    explicit CColumnHeading(const QString& text, QWidget* parent = nullptr);

    // Word i stands over the span from columns[i].first to columns[i].last (one control,
    // or a field with its up-down control). Missing columns leave their words out.
    struct Column {
        QWidget* first = nullptr;
        QWidget* last = nullptr;
    };
    void SetColumns(const QVector<Column>& columns);
    // Where word i is centred, in the heading's own coordinates.
    int WordCentre(int i) const;
    QStringList Words() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVector<Column> m_columns;
};
