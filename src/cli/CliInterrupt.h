#pragma once

#include "app/ForwardingUiServices.h"

// Ctrl-C (SIGINT) and SIGTERM while a kvuctl command runs. The first asks the command to
// end: its exchange stops at the next step, pause or wait of the link, says what the
// printer may be left doing, and the port is closed (which gives up its exclusive claim).
// A second one ends the program at once, as if nothing caught it.
namespace CliInterrupt {

// Catches both signals for as long as it lives; the previous handlers come back after.
class CScope {
public:
    CScope();
    ~CScope();
    CScope(const CScope&) = delete;
    CScope& operator=(const CScope&) = delete;

private:
    void (*m_previousInt)(int) = nullptr;
    void (*m_previousTerm)(int) = nullptr;
};

// Whether a signal came since the scope began.
bool Requested();
// The exit code of a command it cut short: 128 + the signal's number, as shells report a
// program the signal ended (130 for Ctrl-C, 143 for SIGTERM); 130 when the interrupt came
// from elsewhere (services that report one).
int ExitCode();

} // namespace CliInterrupt

// Services that also report the terminal's interrupt, whatever services they hand on to.
class CInterruptibleServices : public CForwardingUiServices {
public:
    explicit CInterruptibleServices(IUiServices& inner) : CForwardingUiServices(inner) {}
    bool Interrupted() override { return CliInterrupt::Requested() || Inner().Interrupted(); }
};
