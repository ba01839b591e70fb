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
    int count = 1; // printers served at once, each on its own pseudo-terminal

    // With several printers, each one's file: "state.json" becomes "state-2.json" for the
    // second; with one printer the path as given.
    QString NumberedPath(const QString& path, int index) const;

    // False with a message in *error (or the help/version text in *error and *exitNow).
    bool Parse(const QStringList& arguments, QString* error, bool* exitNow);
};
