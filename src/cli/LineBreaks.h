#pragma once

#include <QString>

// Text in the receive monitor's form made into lines that end in LF alone, for a terminal
// or a file: CR LF, CR and LF are each one line break, as the monitor shows them (a CR
// left in would send the cursor back over the line and hide what came before it). The
// text may come in pieces: a CR that ends one and the LF that begins the next are one
// break.
class CLineBreaks {
public:
    QString Lines(const QString& text);

private:
    bool m_afterCr = false;
};
