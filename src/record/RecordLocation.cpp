#include "RecordLocation.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

QString CRecordLocation::DefaultFile() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath(QStringLiteral("KVU/provisioning-record.sqlite"));
}

bool CRecordLocation::Parse(const QString& text, CRecordLocation* location, QString* error) {
    *location = CRecordLocation();
    if (text.isEmpty()) {
        const QString fromEnvironment = qEnvironmentVariable("KVU_RECORD");
        if (!fromEnvironment.isEmpty())
            return Parse(fromEnvironment, location, error);
        location->file = DefaultFile();
        return true;
    }
    if (text.startsWith(QLatin1String("sqlite:"))) {
        location->file = text.mid(7);
        if (location->file.startsWith(QLatin1String("//")))
            location->file = location->file.mid(2);
        if (location->file.isEmpty()) {
            *error = QStringLiteral("'sqlite:' names no file");
            return false;
        }
        return true;
    }
    if (!text.startsWith(QLatin1String("postgresql://")) &&
        !text.startsWith(QLatin1String("postgres://"))) {
        if (text.contains(QLatin1String("://"))) {
            *error = QStringLiteral("the record is a file, sqlite:FILE or postgresql://...");
            return false;
        }
        location->file = text;
        return true;
    }
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid()) {
        *error = QStringLiteral("not a PostgreSQL URL: %1").arg(url.errorString());
        return false;
    }
    location->kind = Kind::PostgreSQL;
    location->host = url.host();
    location->port = url.port(-1);
    location->user = url.userName();
    location->password = url.password();
    location->database = url.path().mid(1);
    // libpq's own names ("sslmode=require", "connect_timeout=5", "host=/run/postgresql").
    QStringList options;
    for (const auto& item : QUrlQuery(url).queryItems(QUrl::FullyDecoded)) {
        if (item.first == QLatin1String("host"))
            location->host = item.second;
        else
            options << item.first + QLatin1Char('=') + item.second;
    }
    location->options = options.join(QLatin1Char(';'));
    if (location->database.isEmpty()) {
        *error = QStringLiteral("the PostgreSQL URL names no database "
                                "(postgresql://user@host/DATABASE)");
        return false;
    }
    return true;
}

QString CRecordLocation::Display() const {
    if (kind == Kind::SQLite)
        return file;
    QString text = QStringLiteral("postgresql://");
    if (!user.isEmpty())
        text += user + QLatin1Char('@');
    text += host.startsWith(QLatin1Char('/')) ? QString() : host;
    if (port > 0)
        text += QLatin1Char(':') + QString::number(port);
    return text + QLatin1Char('/') + database;
}
