#include "LineBreaks.h"

QString CLineBreaks::Lines(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const bool lfAfterCr = m_afterCr && c == QLatin1Char('\n');
        m_afterCr = c == QLatin1Char('\r');
        if (lfAfterCr)
            continue;
        out += m_afterCr ? QChar(QLatin1Char('\n')) : c;
    }
    return out;
}
