#include "ProvisionRecord.h"

#include "RecordSchema.h"

#include <QAtomicInt>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QSysInfo>
#include <QVariant>

namespace {
QAtomicInt g_connections;

QVariant Text(const QString& s) {
    return s.isNull() ? QVariant(QString()) : QVariant(s);
}
} // namespace

CProvisionRecord::CProvisionRecord()
    : m_connection(QStringLiteral("kvu-record-%1").arg(g_connections.fetchAndAddRelaxed(1))) {}

CProvisionRecord::~CProvisionRecord() {
    if (QSqlDatabase::contains(m_connection)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }
}

QString CProvisionRecord::Station() {
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("unknown") : host;
}

QString CProvisionRecord::Now() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs);
}

QSqlDatabase CProvisionRecord::Database() const {
    return QSqlDatabase::database(m_connection, false);
}

bool CProvisionRecord::IsOpen() const {
    return QSqlDatabase::contains(m_connection) && Database().isOpen();
}

bool CProvisionRecord::Fail(const QString& what, QString* error) {
    if (error)
        *error = what;
    return false;
}

bool CProvisionRecord::Open(const CRecordLocation& where, QString* error) {
    m_location = where;
    const bool postgres = where.kind == CRecordLocation::Kind::PostgreSQL;
    const QString driver = postgres ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    if (!QSqlDatabase::isDriverAvailable(driver))
        return Fail(QStringLiteral("Qt's %1 driver is not installed (%2)")
                        .arg(driver, postgres ? QStringLiteral("libqt6sql6-psql")
                                              : QStringLiteral("libqt6sql6-sqlite")),
                    error);
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, m_connection);
    if (postgres) {
        db.setHostName(where.host);
        if (where.port > 0)
            db.setPort(where.port);
        db.setUserName(where.user);
        db.setPassword(where.password);
        db.setDatabaseName(where.database);
        db.setConnectOptions(where.options);
    } else {
        const QFileInfo info(where.file);
        if (info.exists() && !info.isFile())
            return Fail(QStringLiteral("%1 is not a file").arg(where.file), error);
        if (!QDir().mkpath(info.absolutePath()))
            return Fail(QStringLiteral("the folder %1 cannot be made").arg(info.absolutePath()),
                        error);
        db.setDatabaseName(where.file);
        // Stations' threads write at once: wait for the lock rather than fail.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
    }
    if (!db.open())
        return Fail(db.lastError().text(), error);
    if (!postgres) {
        QSqlQuery pragma(db);
        // Readers (the record window) do not block the writers, and a crash mid-write
        // rolls back to the last whole transaction.
        pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        pragma.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
    }
    QString why;
    if (!RecordSchema::Migrate(db, &why)) {
        db.close();
        return Fail(why, error);
    }
    return true;
}

qint64 CProvisionRecord::BeginRun(const CPrinterIdentity& who, const QString& recipe,
                                  const QString& hash, QString* error) {
    QSqlDatabase db = Database();
    const bool postgres = db.driverName() == QLatin1String("QPSQL");
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO runs (station, started, printer, port, device, serial, "
                             "address, firmware, recipe, hash, verdict) VALUES (?, ?, ?, ?, ?, ?, "
                             "?, ?, ?, ?, 'failed')") +
              (postgres ? QStringLiteral(" RETURNING id") : QString()));
    for (const QString& v : {Station(), Now(), who.RecordName(), who.port, who.device, who.serial,
                             who.address, who.firmware, recipe, hash})
        q.addBindValue(Text(v));
    if (!q.exec()) {
        Fail(q.lastError().text(), error);
        return -1;
    }
    if (postgres)
        return q.next() ? q.value(0).toLongLong() : -1;
    return q.lastInsertId().toLongLong();
}

bool CProvisionRecord::WriteStep(qint64 run, const CStepResult& step, const CPrinterIdentity& who,
                                 QString* error) {
    QSqlDatabase db = Database();
    if (!db.transaction())
        return Fail(db.lastError().text(), error);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO steps (run_id, position, step, verdict, seconds, "
                             "message, step_values) VALUES (?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(run);
    q.addBindValue(step.index);
    q.addBindValue(step.kind);
    q.addBindValue(step.verdict);
    q.addBindValue(step.seconds);
    q.addBindValue(Text(step.message));
    q.addBindValue(QString::fromUtf8(QJsonDocument(step.values).toJson(QJsonDocument::Compact)));
    QSqlQuery u(db);
    u.prepare(QStringLiteral("UPDATE runs SET address = ?, firmware = ? WHERE id = ?"));
    u.addBindValue(Text(who.address));
    u.addBindValue(Text(who.firmware));
    u.addBindValue(run);
    if (!q.exec() || !u.exec() || u.numRowsAffected() != 1) {
        const QString why = q.lastError().isValid()   ? q.lastError().text()
                            : u.lastError().isValid() ? u.lastError().text()
                                                      : QStringLiteral("the run is not recorded");
        db.rollback();
        return Fail(why, error);
    }
    if (!db.commit()) {
        const QString why = db.lastError().text();
        db.rollback();
        return Fail(why, error);
    }
    return true;
}

bool CProvisionRecord::FinishRun(qint64 run, const QString& verdict, QString* error) {
    QSqlQuery q(Database());
    q.prepare(QStringLiteral("UPDATE runs SET verdict = ?, finished = ? WHERE id = ?"));
    q.addBindValue(verdict);
    q.addBindValue(Now());
    q.addBindValue(run);
    if (!q.exec())
        return Fail(q.lastError().text(), error);
    return q.numRowsAffected() == 1 || Fail(QStringLiteral("the run is not recorded"), error);
}

bool CProvisionRecord::WriteSkipped(const CPrinterIdentity& who, const QString& recipe,
                                    const QString& hash, QString* error) {
    const qint64 run = BeginRun(who, recipe, hash, error);
    return run >= 0 && FinishRun(run, QStringLiteral("skipped"), error);
}

bool CProvisionRecord::IsDone(CPrinterIdentity& who, const QString& hash, QString* when,
                              QString* error) {
    QSqlQuery q(Database());
    // A run that is "done" has every step done: it is finished so only then.
    const bool bySerial = !who.serial.isEmpty();
    q.prepare(QStringLiteral("SELECT started, address, firmware FROM runs WHERE hash = ? AND "
                             "verdict = 'done' AND ") +
              (bySerial ? QStringLiteral("serial = ?") : QStringLiteral("printer = ?")) +
              QStringLiteral(" AND NOT EXISTS (SELECT 1 FROM steps WHERE steps.run_id = runs.id "
                             "AND steps.verdict <> 'done') AND EXISTS (SELECT 1 FROM steps WHERE "
                             "steps.run_id = runs.id) ORDER BY started DESC"));
    q.addBindValue(hash);
    q.addBindValue(bySerial ? who.serial : who.RecordName());
    if (!q.exec())
        return Fail(q.lastError().text(), error);
    if (!q.next())
        return false;
    if (when)
        *when = q.value(0).toString();
    if (who.address.isEmpty())
        who.address = q.value(1).toString();
    if (who.firmware.isEmpty())
        who.firmware = q.value(2).toString();
    return true;
}

bool CProvisionRecord::List(const QString& since, const QString& recipe, const QString& printer,
                            std::vector<Run>* runs, QString* error) {
    runs->clear();
    QSqlDatabase db = Database();
    QString sql = QStringLiteral("SELECT id, printer, port, device, serial, address, firmware, "
                                 "recipe, hash, station, started, finished, verdict FROM runs "
                                 "WHERE 1 = 1");
    QVariantList binds;
    if (!since.isEmpty()) {
        sql += QStringLiteral(" AND started >= ?");
        binds << since;
    }
    if (!recipe.isEmpty()) {
        sql += QStringLiteral(" AND recipe = ?");
        binds << recipe;
    }
    if (!printer.isEmpty()) {
        sql += QStringLiteral(" AND (printer = ? OR port = ? OR device = ? OR serial = ? OR "
                              "address = ?)");
        for (int i = 0; i < 5; ++i)
            binds << printer;
    }
    sql += QStringLiteral(" ORDER BY started, id");
    QSqlQuery q(db);
    q.prepare(sql);
    for (const QVariant& b : binds)
        q.addBindValue(b);
    if (!q.exec())
        return Fail(q.lastError().text(), error);
    while (q.next()) {
        Run r;
        r.id = q.value(0).toLongLong();
        QString* fields[] = {&r.printer, &r.port, &r.device,  &r.serial,  &r.address,  &r.firmware,
                             &r.recipe,  &r.hash, &r.station, &r.started, &r.finished, &r.verdict};
        for (int i = 0; i < 12; ++i)
            *fields[i] = q.value(i + 1).toString();
        runs->push_back(r);
    }
    QSqlQuery s(db);
    s.prepare(QStringLiteral("SELECT position, step, verdict, seconds, message, step_values FROM "
                             "steps WHERE run_id = ? ORDER BY position"));
    for (Run& r : *runs) {
        s.addBindValue(r.id);
        if (!s.exec())
            return Fail(s.lastError().text(), error);
        while (s.next()) {
            Step step;
            step.position = s.value(0).toInt();
            step.step = s.value(1).toString();
            step.verdict = s.value(2).toString();
            step.seconds = s.value(3).toDouble();
            step.message = s.value(4).toString();
            step.values = QJsonDocument::fromJson(s.value(5).toString().toUtf8()).object();
            r.steps.push_back(step);
        }
    }
    return true;
}
