#include "TestEnvironment.h"

#include <QSettings>
#include <QStandardPaths>

namespace {
QTemporaryDir* g_dir = nullptr;
}

void CTestEnvironment::Install() {
    if (g_dir)
        return;
    g_dir = new QTemporaryDir();
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, g_dir->path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, g_dir->path());
    for (int i = 1; i <= 21; ++i)
        qunsetenv(QStringLiteral("KVU_PORT_COM%1").arg(i).toLatin1().constData());
}

QString CTestEnvironment::SettingsDir() {
    return g_dir ? g_dir->path() : QString();
}
