#pragma once

#include <QTemporaryDir>

// Gives every test program its own settings folder and no stray port mapping, so tests
// never touch the user's real settings.
class CTestEnvironment {
public:
    static void Install();
    static QString SettingsDir();
};
