#pragma once

#include "frame/PlaceholderPage.h"

class CSerialPort;

// The Macros tab until its page arrives: it shows that it is not available yet, but it
// already holds the link open (with short time-outs) while it is on top, as the Macros page
// does for its receive monitor, so that the rest of the program behaves as it will then.
class CMacrosPlaceholderPage : public CPlaceholderPage {
public:
    CMacrosPlaceholderPage(CSerialPort& link, const QString& text);
    // Opens the link silently (a failure is not reported); an open link stays as it is.
    void OnActivate() override;
    void OnDeactivate() override;

private:
    CSerialPort& m_link;
};
