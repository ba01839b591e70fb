#pragma once

#include "RecordLocation.h"
#include "provision/ProvisionStep.h"

#include <QJsonObject>
#include <QSqlDatabase>
#include <QString>
#include <vector>

// The provisioning record: which printer got what, when, from which station. One object
// is one connection, to be used by the thread that opened it (Qt SQL's rule); kvuctl gives
// each port's thread its own. Every write is one transaction: a station that crashes or
// loses the database mid-run leaves whole steps only, and a run that never finished keeps
// the verdict "failed" it was begun with.
class CProvisionRecord {
public:
    CProvisionRecord();
    ~CProvisionRecord();
    CProvisionRecord(const CProvisionRecord&) = delete;
    CProvisionRecord& operator=(const CProvisionRecord&) = delete;

    // Opens the record and brings its tables up to this program's version (creating them
    // on first use). False with the reason.
    bool Open(const CRecordLocation& where, QString* error);
    bool IsOpen() const;
    const CRecordLocation& Location() const { return m_location; }
    // The connection, for a table model in the thread that opened it.
    QSqlDatabase Database() const;

    // A run of one printer begins: its row, with the verdict "failed" until it ends.
    // Returns the run's id, or -1.
    qint64 BeginRun(const CPrinterIdentity& who, const QString& recipe, const QString& hash,
                    QString* error);
    // One step, with what the printer said about itself so far.
    bool WriteStep(qint64 run, const CStepResult& step, const CPrinterIdentity& who,
                   QString* error);
    // "done" or "failed".
    bool FinishRun(qint64 run, const QString& verdict, QString* error);
    // A printer skipped because an earlier run already did it all.
    bool WriteSkipped(const CPrinterIdentity& who, const QString& recipe, const QString& hash,
                      QString* error);

    // Whether an earlier run of this recipe hash on this printer (its USB serial where it
    // has one, else its record name) ended "done" with every step done; `when` gets its
    // start, and `who` the address and firmware that run found.
    bool IsDone(CPrinterIdentity& who, const QString& hash, QString* when, QString* error);

    struct Step {
        int position = 0;
        QString step, verdict, message;
        double seconds = 0;
        QJsonObject values;
    };
    struct Run {
        qint64 id = 0;
        QString printer, port, device, serial, address, firmware, recipe, hash, station, started,
            finished, verdict;
        std::vector<Step> steps;
    };
    // Runs, oldest first, started on or after `since` (an ISO date or time, empty for all),
    // of the recipe named (empty for all), of the printer named (its record name, port,
    // serial or address; empty for all).
    bool List(const QString& since, const QString& recipe, const QString& printer,
              std::vector<Run>* runs, QString* error);

    // The station's name as the record keeps it.
    static QString Station();
    // Now, as the record keeps times.
    static QString Now();

private:
    bool Fail(const QString& what, QString* error);
    QString m_connection;
    CRecordLocation m_location;
};
