#pragma once

#include "JsonShape.h"

#include <QList>
#include <QStringList>
#include <memory>
#include <vector>

class CCliRun;
class QCommandLineOption;

// What a command works out once, before its ports' threads start, for every port's run
// to read (a provisioning recipe made ready for each printer).
struct CCliShared {
    virtual ~CCliShared() = default;
};

// One kvuctl command: a row of the command table. Adding a module's commands means
// writing its command file and adding its group to the table, nothing else.
struct CCliCommand {
    QString name;        // one or two words: "burn", "project show"
    QString synopsis;    // what follows the name: "PROJECT.qpf [--port P] [--yes]"
    QString summary;     // the overview's lines (may hold line breaks)
    QString help;        // the command's own --help text, after the usage line
    QStringList options; // the options it takes besides --help
    int arguments = 0;   // how many arguments follow the name
    int (*run)(CCliRun& run) = nullptr;
    // Whole command lines ("kvuctl burn shop.qpf --port COM2") shown in --help and the
    // manual page; each must be one this row accepts.
    QStringList examples;
    // Runs on several ports at once when given --port more than once, --ports or
    // --ports-from (each port in its own thread, a summary at the end).
    bool manyPorts = false;
    // Without any port given, runs on every serial port the system reports.
    bool everyPortByDefault = false;
    // Its --json is its own (bt read: the settings as JSON), not the many-ports summary.
    bool ownJson = false;
    // Runs once with every port named, before any port is opened: a result other than Ok
    // ends the command there (a recipe refused), and so does `finished` (a dry run done).
    // What it gives run.SetShared() every port's run reads through run.Shared().
    int (*beforePorts)(CCliRun& run, const QStringList& ports, bool* finished) = nullptr;
    // What --json prints when the command succeeds (the manual page lists it; a failure
    // prints JsonShape::Error()). For a command on several ports, the fields of one port's
    // result: the summary around them is added when the table is made.
    CJsonShape json;
    QList<CJsonCase> jsonOther;
};

// The group of a two-word command is its first word ("logo" for "logo flash"); a one-word
// command belongs to no group.
QString CommandGroup(const CCliCommand& command);

// The groups, one per command file, and the whole table in the order --help lists it.
std::vector<CCliCommand> MacrosCommands();
std::vector<CCliCommand> Module1Commands();
std::vector<CCliCommand> ProjectCommands();
std::vector<CCliCommand> LogoCommands();
std::vector<CCliCommand> WirelessCommands();
// The radio commands' connection and setting options with their values, from the radio
// pages' setting tables.
QList<QCommandLineOption> WirelessOptions();
std::vector<CCliCommand> ProvisioningCommands();
std::vector<CCliCommand> ProvisionCommands();
std::vector<CCliCommand> RecordCommands();
const std::vector<CCliCommand>& CommandTable();
