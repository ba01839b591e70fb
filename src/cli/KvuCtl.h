#pragma once

#include <QStringList>

// Runs one kvuctl command line; returns the process exit code.
int RunKvuCtl(const QStringList& arguments);
