#pragma once

#include <QString>
#include <QStringList>

// The ways the logo view can look at a picture: the zoom steps and the colour thresholds.
// The View menu, the view and kvuctl's --zoom and --threshold all read these lists, so a
// step added here is offered everywhere at once.
namespace LogoViewChoices {

struct Zoom {
    int quarters;         // the zoom in quarters: 4 is 1:1
    const char* menuText; // "x 1.0"
};
inline constexpr Zoom kZooms[] = {{2, "x 0.5"}, {3, "x 0.75"}, {4, "x 1.0"},
                                  {6, "x 1.5"}, {8, "x 2.0"},  {12, "x 3.0"}};
inline constexpr int kDefaultZoom = 4;

struct Threshold {
    int percent;
    const char* menuText; // "50%"
};
inline constexpr Threshold kThresholds[] = {{25, "25%"}, {50, "50%"}, {75, "75%"}, {99, "99%"}};
inline constexpr int kDefaultThreshold = 50;

inline bool IsZoom(int quarters) {
    for (const Zoom& z : kZooms) {
        if (z.quarters == quarters)
            return true;
    }
    return false;
}

inline bool IsThreshold(int percent) {
    for (const Threshold& t : kThresholds) {
        if (t.percent == percent)
            return true;
    }
    return false;
}

// "2, 3, 4, 6, 8 or 12": the values as a sentence names them.
template <class Row, size_t N, class Value> QString SpokenList(const Row (&rows)[N], Value value) {
    QStringList numbers;
    for (const Row& row : rows)
        numbers << QString::number(value(row));
    const QString last = numbers.takeLast();
    return numbers.isEmpty() ? last
                             : numbers.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

inline QString ZoomList() {
    return SpokenList(kZooms, [](const Zoom& z) { return z.quarters; });
}

inline QString ThresholdList() {
    return SpokenList(kThresholds, [](const Threshold& t) { return t.percent; });
}

} // namespace LogoViewChoices
