#pragma once
// Schema migrations of the tarsel-server database.
//
// The schema is the result of an ordered list of migrations. Each migration
// is a list of SQL statements written once for both databases, with a few
// placeholders replaced per dialect (ApplyDialect):
//
//   placeholder   SQLite                              PostgreSQL
//   {{ID}}        INTEGER PRIMARY KEY AUTOINCREMENT   BIGSERIAL PRIMARY KEY
//   {{INT}}       INTEGER                             INTEGER
//   {{BIGINT}}    INTEGER                             BIGINT
//   {{TEXT}}      TEXT                                TEXT
//   {{REAL}}      REAL                                DOUBLE PRECISION
//   {{MONEY}}     REAL                                NUMERIC(18,4)
//   {{BLOB}}      BLOB                                BYTEA
//   {{BOOL}}      INTEGER                             SMALLINT
//   {{NOW}}       the current UTC time as text "YYYY-MM-DD HH:MM:SS" (for column defaults)
//
// The table schema_version(version, applied_at) records what has been
// applied. Every migration runs in its own transaction together with its
// schema_version row, so a failed migration leaves nothing behind, and
// applied ones are skipped: running the migrations again changes nothing.
// Two servers starting at once are serialised (SQLite: BEGIN IMMEDIATE;
// PostgreSQL: a table lock on schema_version).

#include "server/dbpool.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace tarsel::server {

struct Migration {
    int version = 0;
    QString title;
    QStringList statements;
};

// The migrations of this server version, in ascending version order.
const std::vector<Migration> &Migrations();

// Highest version in Migrations().
int LatestSchemaVersion();

// Replaces the placeholders above. Throws std::invalid_argument on an
// unknown or unterminated placeholder.
QString ApplyDialect(const QString &sql, Dialect dialect);

// Highest applied version, 0 for a database without schema_version.
int CurrentSchemaVersion(Db &db);

struct MigrationReport {
    int before = 0;
    int after = 0;
    std::vector<int> applied;
};

// Applies the migrations not applied yet, in order. Throws DbError when a
// statement fails (that migration is rolled back; earlier ones stay) and
// when the database is newer than the newest migration of the list.
MigrationReport RunMigrations(Db &db, const std::vector<Migration> &migrations = Migrations());

} // namespace tarsel::server
