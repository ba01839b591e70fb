#include "WireLog.h"

#include <QByteArray>

Q_LOGGING_CATEGORY(lcWire, "kvu.wire", QtWarningMsg)

void LogWire(const char* direction, const char* bytes, int count) {
    if (!lcWire().isDebugEnabled() || count <= 0)
        return;
    qCDebug(lcWire).noquote() << direction << count
                              << QByteArray(bytes, count).toHex(' ').toUpper();
}
