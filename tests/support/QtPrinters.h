#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// Test failures show texts as text, not as arrays of 16-bit numbers. Found by the test
// framework through QString's and QStringList's own (global) namespace.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& texts, std::ostream* os) {
    *os << '{';
    for (int i = 0; i < texts.size(); ++i) {
        *os << (i ? ", " : " ");
        PrintTo(texts[i], os);
    }
    *os << " }";
}
