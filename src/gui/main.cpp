#include "KVUApp.h"
#include "frame/HelpLocation.h"
#include "simulator/SimulatorSession.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

namespace {
// For the start-up benchmark: says on stderr when the main window has been painted for
// the first time (after the paint event, once the pass it belongs to is flushed).
class CFirstPaintReporter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_reported) {
            m_reported = true;
            watched->removeEventFilter(this);
            QTimer::singleShot(0, [] {
                fputs("kvu: first paint\n", stderr);
                fflush(stderr);
            });
        }
        return false;
    }

private:
    bool m_reported = false;
};
} // namespace

int main(int argc, char* argv[]) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    // Without a display Qt would abort with a terse message; say what is wrong instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        bool wantsHelp = false;
        for (int i = 1; i < argc; ++i)
            wantsHelp |= QByteArray(argv[i]) == "--help" || QByteArray(argv[i]) == "--version" ||
                         QByteArray(argv[i]) == "--help-path";
        if (!wantsHelp) {
            fprintf(stderr, "kvu: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                            "Run KVU in a desktop session, or under a virtual X server:\n"
                            "  xvfb-run -a kvu --simulator\n"
                            "kvuctl offers the same printer functions from a terminal.\n");
            return 1;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
    QApplication application(argc, argv);
    // For install checks: the help file Help > Topics would open; exit 1 when none is there.
    bool helpPath = false;
    for (int i = 1; i < argc; ++i)
        helpPath |= QByteArray(argv[i]) == "--help-path";
    if (helpPath) {
        const HelpLocation help = HelpFiles::FindForApplication();
        if (!help.path.isEmpty()) {
            printf("%s\n", qPrintable(QDir::toNativeSeparators(help.path)));
            return 0;
        }
        fprintf(stderr, "kvu: no help file in %s\n",
                qPrintable(help.candidates.join(QStringLiteral(", "))));
        return 1;
    }
    // Declared first, so that the printer outlives the frame and its Simulated Printer
    // window.
    CSimulatorSession simulator;
    CKVUApp app(simulator.Starter());
    CFirstPaintReporter reporter;
    if (qEnvironmentVariableIsSet("KVU_REPORT_FIRST_PAINT"))
        application.installEventFilter(&reporter);
    if (!app.InitInstance(QApplication::arguments()))
        return 1;
    return app.ExitInstance(QApplication::exec());
}
