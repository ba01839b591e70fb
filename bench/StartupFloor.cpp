// The floor for the start-up benchmark: the least a Qt Widgets program does to show a
// window, one empty QMainWindow, reporting its first paint as kvu does.

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <cstdio>

namespace {
class CFirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, [] {
                fputs("floor: first paint\n", stderr);
                fflush(stderr);
            });
        }
        return false;
    }
};
} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    CFirstPaint reporter;
    application.installEventFilter(&reporter);
    QMainWindow window;
    window.resize(642, 549);
    window.show();
    return QApplication::exec();
}
