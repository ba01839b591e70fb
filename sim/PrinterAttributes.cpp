#include "PrinterAttributes.h"

#include <QStringList>

QString PrinterAttributes::Describe() const {
    QStringList parts;
    auto flag = [&](const char* name, bool on) {
        if (on)
            parts << QLatin1String(name);
    };
    flag("underline", underline);
    flag("reverse", reverse);
    flag("bold", bold);
    flag("double-width", doubleWidth);
    flag("double-height", doubleHeight);
    flag("send-eot", sendEot);
    flag("right-to-left", rightToLeft);
    parts << (pcLineDraw ? QStringLiteral("pc-line-draw") : QStringLiteral("international"));
    flag("line-print", linePrintMode);
    parts << QStringLiteral("font=%1").arg(font) << QStringLiteral("contrast=%1").arg(contrast);
    auto number = [&](const char* name, int v) {
        if (v >= 0)
            parts << QStringLiteral("%1=%2").arg(QLatin1String(name)).arg(v);
    };
    number("line-spacing", lineSpacing);
    number("form-feed", formFeed);
    number("vertical-tab", verticalTab);
    number("horizontal-tab", horizontalTab);
    number("sensor", sensorSensitivity);
    if (!sleepTimer.isEmpty())
        parts << QStringLiteral("sleep=%1").arg(QString::fromLatin1(sleepTimer));
    return parts.join(QLatin1Char(' '));
}
