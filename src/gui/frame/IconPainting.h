#pragma once

#include <QColor>
#include <QIcon>
#include <QRectF>
#include <functional>

class QPainter;

// The pieces the program's icons are drawn from, on a 32-unit canvas, for the frame's
// icons and those the modules bring.
namespace IconPainting {
extern const QColor kInk;
extern const QColor kBlue;
extern const QColor kPaper;

// An icon painted by `paint` on the 32-unit canvas at the size it is shown at, when it is
// first shown at that size: 16, 20, 24, 32, 48 or 64 pixels (a size in between is scaled
// from the next larger one), so it is crisp at 16 px and on high-DPI screens alike.
QIcon Draw(std::function<void(QPainter&)> paint);

void Pen(QPainter& p, const QColor& c = kInk, qreal width = 2);
void PaintPrinter(QPainter& p, const QColor& body = kBlue);
void PaintPage(QPainter& p, QRectF r);
// A large digit or short text, drawn to fill most of the rectangle.
void PaintLabel(QPainter& p, const QRectF& r, const QString& text, const QColor& color);
} // namespace IconPainting
