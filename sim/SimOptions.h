#pragma once

#include "SimConfig.h"

#include <QString>
#include <QStringList>

// The command line of tarvo3-sim.
struct SimOptions {
    SimConfig config;
    QString stateFile;
    QString transcriptFile;
    QString paperFile;
    QString linkPath;

    // False with a message in *error (or the help/version text in *error and *exitNow).
    bool Parse(const QStringList& arguments, QString* error, bool* exitNow);
};
