#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The record's tables and how they grow: a version table holds the number of the last
// migration applied; each migration is a list of statements run in one transaction with
// the version update, so that a record is always at one version or the next, never
// between. Stations that meet a record at an older version bring it up to theirs; one at a
// newer version than this program knows is left alone and refused.
namespace RecordSchema {

constexpr int kVersion = 1;

// The statements of migration `version` (1 to kVersion) for the database's driver.
QStringList Migration(int version, bool postgres);

// Brings the record up to kVersion; false with the reason.
bool Migrate(QSqlDatabase& db, QString* error);

// The version the record is at, 0 for a new one, -1 when it cannot be read.
int CurrentVersion(QSqlDatabase& db);

} // namespace RecordSchema
