#pragma once

#include "Paper.h"
#include "PrinterAttributes.h"
#include "PrinterModel.h"

#include <QImage>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

// A copy of what the simulated printer shows of itself: the paper, the burned and the
// current attributes, the eight logo slots and the radio modules' stored settings. It is
// taken in one go under the printer's lock and then read at leisure on any thread (the
// paper's lines share their bytes with the printer's, so taking one is cheap).
struct CPrinterSnapshot {
    using Row = QPair<QString, QString>; // a name and its value, as a list shows them
    struct Radio {
        bool fitted = false;
        QString title; // "Bluetooth module on UART1", or "No Bluetooth module"
        // What the module keeps for its next start-up by AT name, as the module holds it:
        // texts as they are (not quoted or escaped as its answers carry them), several
        // values separated by commas.
        QVector<Row> stored;
    };

    int paperDots = 576;
    CPaper paper;
    PrinterAttributes burned;
    PrinterAttributes current;
    QByteArray burnedStream;
    std::array<CPrinterModel::LogoSlot, CPrinterModel::kSlotCount> logoSlots;
    Radio bluetooth;
    Radio wlan;

    static CPrinterSnapshot Take(CPrinterModel& printer);

    // Every attribute by name, with its value in words ("on", "off", "not set", numbers).
    static QVector<Row> AttributeRows(const PrinterAttributes& attributes);
    // The words a list shows for a radio module's setting ("Local name" for AGLN); an
    // unknown name as it is.
    static QString RadioSettingLabel(const QString& atName);
    // The dots of a slot, one pixel per dot (black on white); a null image when empty.
    static QImage SlotImage(const CPrinterModel::LogoSlot& slot);
};
