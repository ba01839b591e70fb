#pragma once

#include "PrinterAttributes.h"

#include <QByteArray>
#include <QString>
#include <deque>

// What came out of the printer: text lines with the attributes they were printed with,
// and bitmap rows (logos and test prints). Only the newest lines are kept, so a long
// session cannot grow without bound.
class CPaper {
public:
    struct Line {
        bool bitmap = false;
        QByteArray bytes; // the characters, or the packed dots of one row
        PrinterAttributes attributes;
    };
    static constexpr int kMaxLines = 20000;

    void AddText(const QByteArray& text, const PrinterAttributes& attributes);
    void AddBitmapRow(const QByteArray& dots);
    void Clear() { m_lines.clear(); }

    const std::deque<Line>& Lines() const { return m_lines; }
    // The text lines only, newline-separated (bitmap rows left out).
    QString Text() const;
    // Bitmap rows from the given line index on, as consecutive rows.
    QByteArray BitmapRows(int fromLine = 0) const;

    // Renders the paper as a picture (needs a QGuiApplication for the text font).
    bool WritePng(const QString& path, int paperDots) const;

private:
    void Push(Line line);
    std::deque<Line> m_lines;
};
