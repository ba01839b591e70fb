#include "PrinterSnapshot.h"

#include "RadioModule.h"

namespace {
QString OnOff(bool on) {
    return on ? QStringLiteral("on") : QStringLiteral("off");
}

QString Number(int value) {
    return value < 0 ? QStringLiteral("not set") : QString::number(value);
}

CPrinterSnapshot::Radio TakeRadio(CRadioModule* module, const char* kind, int uart) {
    CPrinterSnapshot::Radio radio;
    radio.fitted = module != nullptr;
    if (!module) {
        radio.title = QStringLiteral("No %1 module").arg(QLatin1String(kind));
        return radio;
    }
    radio.title = QStringLiteral("%1 module on UART%2").arg(QLatin1String(kind)).arg(uart);
    for (const QString& name : module->SettingNames())
        radio.stored.append({name, module->StoredValue(name)});
    return radio;
}
} // namespace

CPrinterSnapshot CPrinterSnapshot::Take(CPrinterModel& printer) {
    CPrinterSnapshot s;
    s.paperDots = printer.Config().paperDots;
    s.paper = printer.Paper();
    s.burned = printer.PowerUpAttributes();
    s.current = printer.Attributes();
    s.burnedStream = printer.BurnedStream();
    for (int n = 0; n < CPrinterModel::kSlotCount; ++n)
        s.logoSlots[size_t(n)] = printer.Slot(n);
    s.bluetooth = TakeRadio(printer.Bluetooth(), "Bluetooth", printer.Config().bluetoothUart);
    s.wlan = TakeRadio(printer.Wlan(), "WLAN", printer.Config().wlanUart);
    return s;
}

QVector<CPrinterSnapshot::Row> CPrinterSnapshot::AttributeRows(const PrinterAttributes& a) {
    QString sleep = QStringLiteral("not set");
    if (!a.sleepTimer.isEmpty())
        sleep = QString::fromLatin1(a.sleepTimer);
    return {
        {QStringLiteral("Underline"), OnOff(a.underline)},
        {QStringLiteral("Bold"), OnOff(a.bold)},
        {QStringLiteral("Reverse"), OnOff(a.reverse)},
        {QStringLiteral("Double width"), OnOff(a.doubleWidth)},
        {QStringLiteral("Double height"), OnOff(a.doubleHeight)},
        {QStringLiteral("Send EOT"), OnOff(a.sendEot)},
        {QStringLiteral("Print direction"),
         a.rightToLeft ? QStringLiteral("right to left") : QStringLiteral("left to right")},
        {QStringLiteral("Character set"),
         a.pcLineDraw ? QStringLiteral("PC line draw") : QStringLiteral("international")},
        {QStringLiteral("Line print mode"), OnOff(a.linePrintMode)},
        {QStringLiteral("Font"), QString::number(a.font)},
        {QStringLiteral("Contrast"), QString::number(a.contrast)},
        {QStringLiteral("Line spacing"), Number(a.lineSpacing)},
        {QStringLiteral("Form feed"), Number(a.formFeed)},
        {QStringLiteral("Vertical tab"), Number(a.verticalTab)},
        {QStringLiteral("Horizontal tab"), Number(a.horizontalTab)},
        {QStringLiteral("Sensor sensitivity"), Number(a.sensorSensitivity)},
        {QStringLiteral("Sleep timer"), sleep},
    };
}

QString CPrinterSnapshot::RadioSettingLabel(const QString& atName) {
    static const QMap<QString, const char*> kWords = {
        {"AILBA", "Address"},
        {"AILVI", "Version"},
        {"AGLN", "Local name"},
        {"AGLC", "Class of device"},
        {"AGFP", "Fixed PIN"},
        {"AGDM", "Discoverability"},
        {"AMPM", "Power save mode"},
        {"AGSM", "Security mode"},
        {"AGSSID", "SSID"},
        {"AGCH", "Channel"},
        {"AGOM", "Operation mode"},
        {"AGAM", "Authentication mode"},
        {"AGEM", "Encryption mode"},
        {"AGRTE", "Rate, link adaptation"},
        {"AGUN", "User name"},
        {"AGAFP", "Active key"},
        {"AGFPWI", "Key index, key"},
        {"ANIP", "IP address, mask, gateway"},
        {"ANDHCP", "DHCP"},
        {"ANHN", "Host name"},
        {"ANDNS", "DNS servers"},
    };
    const char* words = kWords.value(atName, nullptr);
    return words ? QString::fromLatin1(words) : atName;
}

QImage CPrinterSnapshot::SlotImage(const CPrinterModel::LogoSlot& slot) {
    if (!slot.stored || slot.rows.isEmpty() || slot.bytesPerLine <= 0)
        return QImage();
    const int width = slot.bytesPerLine * 8;
    QImage image(width, int(slot.rows.size()), QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < slot.rows.size(); ++y) {
        const QByteArray& row = slot.rows[y];
        for (int x = 0; x < width && x / 8 < row.size(); ++x) {
            if (quint8(row[x / 8]) & (0x80 >> (x % 8)))
                image.setPixel(x, y, qRgb(0, 0, 0));
        }
    }
    return image;
}
