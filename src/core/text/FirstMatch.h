#pragma once

#include <QStringList>

// The first item that begins with the text, as a list box finds the entry for what was typed
// into its edit; -1 when none does or the text is empty.
inline int FirstItemStartingWith(const QStringList& items, const QString& text) {
    if (text.isEmpty())
        return -1;
    for (int i = 0; i < items.size(); ++i) {
        if (items[i].startsWith(text))
            return i;
    }
    return -1;
}
