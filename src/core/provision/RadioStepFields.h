#pragma once

#include "wireless/BluetoothForm.h"
#include "wireless/WlanForm.h"

#include <QString>
#include <QStringList>

// The keys of the bt and wlan steps (kvuctl's option names of bt write and wlan write)
// and the form controls they fill, so that a recipe's value goes through the page's own
// range check and is compared the way the page shows it when read back.
namespace RadioStepFields {

// Takes a value into the form: a text or number through the page's data exchange, a radio
// group or check box as its button index. False with the page's message.
bool Take(CBluetoothForm& form, const QString& key, const QString& value, QString* error);
bool Take(CWlanForm& form, const QString& key, const QString& value, QString* error);

// The setting a key stands for as a Read fills it: what was written, compared with what
// came back. Connection keys are not settings of the module and give an empty text.
QString Setting(const CBluetoothForm& form, const QString& key);
QString Setting(const CWlanForm& form, const QString& key);

// Whether a key is a module setting that a Read gives back (the WLAN key and key index
// never are).
bool ReadsBack(const CBluetoothForm*, const QString& key);
bool ReadsBack(const CWlanForm*, const QString& key);

} // namespace RadioStepFields
