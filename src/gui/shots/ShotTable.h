#pragma once

#include <QString>
#include <functional>
#include <vector>

class CShotStage;
class QWidget;

// One picture of the help: a window of the real program, brought up as a user brings it
// up. A page's picture is named after its help topic ("macros.png"), so the help and the
// module registry find it; a new window is a new row.
struct ShotRow {
    const char* file;    // in the help's "shots" folder
    const char* caption; // what it shows
    // Brings the window up on a freshly started program and returns it; null on failure,
    // with the reason in `error`.
    std::function<QWidget*(CShotStage& stage, QString* error)> show;
};

const std::vector<ShotRow>& ShotTable();
const ShotRow* FindShot(const QString& file);
