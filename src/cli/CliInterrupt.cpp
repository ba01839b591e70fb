#include "CliInterrupt.h"

#include <csignal>

namespace {
// The signal that came, 0 for none. Written only by the handler (and the scope's start).
volatile std::sig_atomic_t g_signal = 0;

void OnSignal(int signal) {
    if (g_signal != 0) {
        // The second one: the command is taking too long to end, so end now.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    g_signal = signal;
    // Some platforms put the default handler back on delivery; keep catching.
    std::signal(signal, OnSignal);
}
} // namespace

namespace CliInterrupt {

CScope::CScope() {
    g_signal = 0;
    m_previousInt = std::signal(SIGINT, OnSignal);
    m_previousTerm = std::signal(SIGTERM, OnSignal);
}

CScope::~CScope() {
    std::signal(SIGINT, m_previousInt == SIG_ERR ? SIG_DFL : m_previousInt);
    std::signal(SIGTERM, m_previousTerm == SIG_ERR ? SIG_DFL : m_previousTerm);
}

bool Requested() {
    return g_signal != 0;
}

int ExitCode() {
    return 128 + (g_signal != 0 ? int(g_signal) : SIGINT);
}

} // namespace CliInterrupt
