#pragma once

#include <QLoggingCategory>

// Hex dump of every write and read on the link; enable with
// QT_LOGGING_RULES="kvu.wire.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcWire)

void LogWire(const char* direction, const char* bytes, int count);
