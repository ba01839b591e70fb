#pragma once

#include "PrinterAttributes.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <deque>
#include <vector>

class QPainter;

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
    // The printer's character cell is 12 by 24 dots (doubled by the double-width and
    // double-height attributes); a bitmap row is one dot high.
    static constexpr int kCellWidth = 12;
    static constexpr int kCellHeight = 24;
    // Blank paper above the first line and below the last.
    static constexpr int kMargin = 8;
    // The longest picture of the paper; a longer paper is shown from its newest lines.
    static constexpr int kMaxPictureHeight = 32000;

    void AddText(const QByteArray& text, const PrinterAttributes& attributes);
    void AddBitmapRow(const QByteArray& dots);
    void Clear() { m_lines.clear(); }

    const std::deque<Line>& Lines() const { return m_lines; }
    // The text lines only, newline-separated (bitmap rows left out).
    QString Text() const;
    // Bitmap rows from the given line index on, as consecutive rows.
    QByteArray BitmapRows(int fromLine = 0) const;

    // The characters of a text line in the character set it was printed with: the PC
    // line-drawing set (code page 437) or the international one (Latin-1).
    static QString Characters(const Line& line);
    static int LineHeight(const Line& line);
    // The top of every line on the paper, with the paper's whole length as the last entry.
    std::vector<int> Layout() const;
    // Draws one line with its top at y (needs a QGuiApplication for the text font).
    static void PaintLine(QPainter& painter, const Line& line, int y, int paperDots);

    // The paper as a picture, paperDots wide; when it is longer than kMaxPictureHeight,
    // the newest lines that fit. `omitted` gets how many older lines were left out.
    QImage Picture(int paperDots, int* omitted = nullptr) const;
    bool WritePng(const QString& path, int paperDots, QString* detail = nullptr) const;
    // Encodes a picture as PNG and replaces the file with it, or leaves the file as it was.
    static bool WritePng(const QImage& picture, const QString& path, QString* detail = nullptr);

private:
    void Push(Line line);
    std::deque<Line> m_lines;
};
