#pragma once

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <pwd.h>
#include <unistd.h>

// A PostgreSQL server of its own for one test: a new cluster in a temporary folder,
// listening only on a Unix socket in that folder, stopped and removed at the end.
// PostgreSQL refuses to run as root, so under root (as in CI) the cluster belongs to an
// unprivileged user: "postgres" where the package made it, else "nobody".
class CPostgresServer {
public:
    CPostgresServer() {
        const QStringList versions =
            QDir(QStringLiteral("/usr/lib/postgresql"))
                .entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed);
        for (const QString& v : versions) {
            const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(v);
            if (QFileInfo(bin + QStringLiteral("/initdb")).isExecutable() &&
                QFileInfo(bin + QStringLiteral("/pg_ctl")).isExecutable()) {
                m_bin = bin;
                break;
            }
        }
    }
    ~CPostgresServer() {
        if (m_started)
            Run(m_bin + QStringLiteral("/pg_ctl"),
                {QStringLiteral("-D"), Data(), QStringLiteral("-m"), QStringLiteral("immediate"),
                 QStringLiteral("-w"), QStringLiteral("stop")});
    }

    // Where the server binaries are, empty when the postgresql package is missing.
    const QString& BinFolder() const { return m_bin; }

    // Makes the cluster and starts the server; false with what went wrong.
    bool Start(QString* error) {
        if (!m_dir.isValid()) {
            *error = QStringLiteral("no temporary folder");
            return false;
        }
        if (::geteuid() == 0) {
            m_user = ::getpwnam("postgres") ? QStringLiteral("postgres") : QStringLiteral("nobody");
            if (QProcess::execute(QStringLiteral("chown"), {m_user, m_dir.path()}) != 0) {
                *error = QStringLiteral("chown %1 %2 failed").arg(m_user, m_dir.path());
                return false;
            }
        }
        QString output;
        if (!Run(m_bin + QStringLiteral("/initdb"),
                 {QStringLiteral("-D"), Data(), QStringLiteral("-A"), QStringLiteral("trust"),
                  QStringLiteral("-U"), QStringLiteral("kvu"), QStringLiteral("--no-sync")},
                 &output)) {
            *error = QStringLiteral("initdb: ") + output;
            return false;
        }
        // No TCP port: nothing else on the machine can meet this server or clash with it.
        const QString options =
            QStringLiteral("-c listen_addresses='' -k %1 -c fsync=off").arg(m_dir.path());
        if (!Run(m_bin + QStringLiteral("/pg_ctl"),
                 {QStringLiteral("-D"), Data(), QStringLiteral("-o"), options, QStringLiteral("-l"),
                  m_dir.filePath(QStringLiteral("log")), QStringLiteral("-w"),
                  QStringLiteral("start")},
                 &output)) {
            *error = QStringLiteral("pg_ctl start: ") + output;
            return false;
        }
        m_started = true;
        return true;
    }

    // The --record URL of the server's "postgres" database.
    QString Url() const {
        return QStringLiteral("postgresql://kvu@/postgres?host=%1").arg(m_dir.path());
    }

private:
    QString Data() const { return m_dir.filePath(QStringLiteral("data")); }
    bool Run(const QString& program, const QStringList& arguments, QString* output = nullptr) {
        QProcess p;
        if (m_user.isEmpty())
            p.start(program, arguments);
        else
            p.start(QStringLiteral("runuser"),
                    QStringList{QStringLiteral("-u"), m_user, QStringLiteral("--"), program} +
                        arguments);
        p.waitForFinished(60000);
        if (output)
            *output = QString::fromLocal8Bit(p.readAllStandardOutput() + p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    }

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_user;
    bool m_started = false;
};
