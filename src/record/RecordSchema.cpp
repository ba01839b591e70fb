#include "RecordSchema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {
const char* const kVersionTable = "kvu_record_version";
// Any number the stations agree on: it serialises their first use of a shared record.
constexpr int kMigrationLock = 0x4B5655;

bool IsPostgres(const QSqlDatabase& db) {
    return db.driverName() == QLatin1String("QPSQL");
}

bool Exec(QSqlDatabase& db, const QString& statement, QString* error) {
    QSqlQuery q(db);
    if (q.exec(statement))
        return true;
    *error = QStringLiteral("%1 (%2)").arg(q.lastError().text(), statement.left(60));
    return false;
}
} // namespace

namespace RecordSchema {

QStringList Migration(int version, bool postgres) {
    const QString key = postgres ? QStringLiteral("BIGSERIAL PRIMARY KEY")
                                 : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    const QString real = postgres ? QStringLiteral("DOUBLE PRECISION") : QStringLiteral("REAL");
    const QString id = postgres ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER");
    switch (version) {
    case 1:
        return {
            // One row per printer and run. Times are ISO 8601 in UTC, so that text order
            // is time order in both databases.
            QStringLiteral("CREATE TABLE runs (id %1, station TEXT NOT NULL, started TEXT NOT "
                           "NULL, finished TEXT, printer TEXT NOT NULL, port TEXT, device TEXT, "
                           "serial TEXT, address TEXT, firmware TEXT, recipe TEXT NOT NULL, "
                           "hash TEXT NOT NULL, verdict TEXT NOT NULL)")
                .arg(key),
            QStringLiteral("CREATE INDEX runs_printer ON runs (printer, hash)"),
            QStringLiteral("CREATE INDEX runs_started ON runs (started)"),
            // One row per step of a run; the values written and read back as JSON, with
            // secrets only as "written and verified".
            QStringLiteral("CREATE TABLE steps (id %1, run_id %2 NOT NULL REFERENCES runs (id), "
                           "position INTEGER NOT NULL, step TEXT NOT NULL, verdict TEXT NOT "
                           "NULL, seconds %3 NOT NULL, message TEXT, step_values TEXT)")
                .arg(key, id, real),
            QStringLiteral("CREATE INDEX steps_run ON steps (run_id)"),
        };
    default:
        return {};
    }
}

int CurrentVersion(QSqlDatabase& db) {
    if (!db.tables().contains(QLatin1String(kVersionTable)))
        return 0;
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT MAX(version) FROM %1").arg(QLatin1String(kVersionTable))) ||
        !q.next())
        return -1;
    return q.value(0).isNull() ? 0 : q.value(0).toInt();
}

bool Migrate(QSqlDatabase& db, QString* error) {
    const bool postgres = IsPostgres(db);
    // SQLite: take the write lock at once, so that two stations starting together do not
    // both find the record empty.
    if (!(postgres ? db.transaction() : Exec(db, QStringLiteral("BEGIN IMMEDIATE"), error))) {
        if (error->isEmpty())
            *error = db.lastError().text();
        return false;
    }
    const auto rollback = [&] {
        if (postgres)
            db.rollback();
        else
            QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    if (postgres &&
        !Exec(db, QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kMigrationLock), error))
        return rollback();
    // Made only when missing (under the lock): PostgreSQL would note "already exists".
    if (!db.tables().contains(QLatin1String(kVersionTable)) &&
        !Exec(db,
              QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (version INTEGER NOT NULL)")
                  .arg(QLatin1String(kVersionTable)),
              error))
        return rollback();
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT MAX(version) FROM %1").arg(QLatin1String(kVersionTable))) ||
        !q.next()) {
        *error = q.lastError().text();
        return rollback();
    }
    const int current = q.value(0).isNull() ? 0 : q.value(0).toInt();
    q.finish();
    if (current > kVersion) {
        *error = QStringLiteral("the record is at version %1, newer than this program's %2")
                     .arg(current)
                     .arg(kVersion);
        return rollback();
    }
    for (int v = current + 1; v <= kVersion; ++v) {
        for (const QString& statement : Migration(v, postgres)) {
            if (!Exec(db, statement, error))
                return rollback();
        }
        if (!Exec(db,
                  QStringLiteral("INSERT INTO %1 (version) VALUES (%2)")
                      .arg(QLatin1String(kVersionTable))
                      .arg(v),
                  error))
            return rollback();
    }
    const bool committed = postgres ? db.commit() : Exec(db, QStringLiteral("COMMIT"), error);
    if (!committed && error->isEmpty())
        *error = db.lastError().text();
    return committed || rollback();
}

} // namespace RecordSchema
