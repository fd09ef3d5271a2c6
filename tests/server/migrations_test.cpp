// Schema migrations: dialect placeholders, idempotence, atomicity, and the
// constraints of the first schema (SQLite always, PostgreSQL when
// TARSEL_TEST_PG is set).

#include "server/log.h"
#include "server/migrations.h"
#include "tests/server/pgtest.h"
#include "tests/server/qtcoreapp.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>

using namespace tarsel::server;
using namespace tarsel::test;

namespace {

TEST(ApplyDialect, ReplacesEveryPlaceholderPerDialect)
{
    const struct {
        const char *token;
        const char *sqlite;
        const char *postgres;
    } cases[] = {
        {"{{ID}}", "INTEGER PRIMARY KEY AUTOINCREMENT", "BIGSERIAL PRIMARY KEY"},
        {"{{INT}}", "INTEGER", "INTEGER"},
        {"{{BIGINT}}", "INTEGER", "BIGINT"},
        {"{{TEXT}}", "TEXT", "TEXT"},
        {"{{REAL}}", "REAL", "DOUBLE PRECISION"},
        {"{{MONEY}}", "REAL", "NUMERIC(18,4)"},
        {"{{BLOB}}", "BLOB", "BYTEA"},
        {"{{BOOL}}", "INTEGER", "SMALLINT"},
        {"{{ ID }}", "INTEGER PRIMARY KEY AUTOINCREMENT", "BIGSERIAL PRIMARY KEY"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.token);
        const QString sql = QStringLiteral("CREATE TABLE t (a %1, b {{TEXT}})").arg(c.token);
        EXPECT_EQ(ApplyDialect(sql, Dialect::SQLite), QStringLiteral("CREATE TABLE t (a %1, b TEXT)").arg(c.sqlite));
        EXPECT_EQ(ApplyDialect(sql, Dialect::PostgreSQL), QStringLiteral("CREATE TABLE t (a %1, b TEXT)").arg(c.postgres));
    }
    EXPECT_EQ(ApplyDialect("SELECT '{' || '}'", Dialect::SQLite), "SELECT '{' || '}'");
    EXPECT_THROW(ApplyDialect("CREATE TABLE t (a {{VARCHAR}})", Dialect::SQLite), std::invalid_argument);
    EXPECT_THROW(ApplyDialect("CREATE TABLE t (a {{TEXT)", Dialect::PostgreSQL), std::invalid_argument);
}

TEST(MigrationList, IsOrderedAndUsesKnownPlaceholdersOnly)
{
    const auto &list = Migrations();
    ASSERT_FALSE(list.empty());
    int last = 0;
    for (const Migration &m : list) {
        EXPECT_GT(m.version, last);
        last = m.version;
        EXPECT_FALSE(m.statements.isEmpty());
        for (const QString &s : m.statements)
            for (Dialect d : {Dialect::SQLite, Dialect::PostgreSQL})
                EXPECT_FALSE(ApplyDialect(s, d).contains(QStringLiteral("{{"))) << s.toStdString();
    }
    EXPECT_EQ(LatestSchemaVersion(), last);
}

// Runs the same checks on whichever database the fixture opened.
class MigrationChecks {
public:
    static void AppliesOnceAndThenNothing(Db &db)
    {
        EXPECT_EQ(CurrentSchemaVersion(db), 0);
        const MigrationReport first = RunMigrations(db);
        EXPECT_EQ(first.before, 0);
        EXPECT_EQ(first.after, LatestSchemaVersion());
        EXPECT_EQ(first.applied.size(), Migrations().size());

        const MigrationReport second = RunMigrations(db);
        EXPECT_EQ(second.before, LatestSchemaVersion());
        EXPECT_TRUE(second.applied.empty());
        EXPECT_EQ(db.scalar("SELECT COUNT(*) FROM schema_version").toInt(), static_cast<int>(Migrations().size()));
        EXPECT_EQ(db.scalar("SELECT COUNT(DISTINCT version) FROM schema_version").toInt(),
                  static_cast<int>(Migrations().size()));
        const QString appliedAt = db.scalar("SELECT applied_at FROM schema_version WHERE version = 1").toString();
        EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ$").match(appliedAt).hasMatch())
            << appliedAt.toStdString();
    }

    static void FirstSchemaHoldsTheAccountsAndEnforcesItsRules(Db &db)
    {
        RunMigrations(db);
        db.exec("INSERT INTO salespeople (adi, telefon, email) VALUES (?, ?, ?)",
                {QStringLiteral("AHMET YILMAZ"), "0212 555 00 00", "ahmet@example.com"});
        const qlonglong saticiNo = db.scalar("SELECT satici_no FROM salespeople").toLongLong();
        EXPECT_GT(saticiNo, 0);
        db.exec("INSERT INTO customers (carino, carikod, cariadi, satici_no, iskonto_orani, vade_gun, bakiye, sehir, "
                "ilce, adres1, tel1, gsm, vergi_dairesi, vergi_no, yetkili, ana_grup, alt_grup, ozel_kod, ulke) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
                {1001, "120.01.001", QStringLiteral("ÖZGÜR OTO LTD."), saticiNo, 5.5, 60, 1234.5, "İSTANBUL", "ŞİŞLİ",
                 "Cad. 1", "0212", "0532", "Şişli", "1234567890", "Özgür", "A", "B", "Ö1", "TÜRKİYE"});
        db.exec("INSERT INTO users (adi, sifre, email, aktif, musteri_tipi, carino, satici_no) VALUES (?, ?, ?, ?, ?, ?, ?)",
                {"OZGUR", "s1", "o@example.com", 1, 3, 1001, saticiNo});
        db.exec("INSERT INTO users (adi, sifre, musteri_tipi) VALUES (?, ?, ?)", {"SATICI", "s2", 1});
        const qlonglong sirano = db.scalar("SELECT sirano FROM users WHERE adi = 'OZGUR'").toLongLong();
        db.exec("INSERT INTO machines (bilgisayar_id, sirano) VALUES (?, ?)", {"PC-1234-ABCD", sirano});

        // Defaults
        EXPECT_EQ(db.scalar("SELECT versiyon FROM users WHERE adi = 'SATICI'").toInt(), 8);
        EXPECT_EQ(db.scalar("SELECT aktif FROM users WHERE adi = 'SATICI'").toInt(), 1);
        EXPECT_EQ(db.scalar("SELECT fax1 FROM customers").toString(), "");
        EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                        .match(db.scalar("SELECT kayit_tarihi FROM machines").toString())
                        .hasMatch());
        EXPECT_DOUBLE_EQ(db.scalar("SELECT bakiye FROM customers").toDouble(), 1234.5);
        EXPECT_EQ(db.scalar("SELECT cariadi FROM customers").toString(), QStringLiteral("ÖZGÜR OTO LTD."));

        // Rules: each statement must be refused.
        const struct {
            const char *what;
            const char *sql;
        } refused[] = {
            {"user of an unknown account", "INSERT INTO users (adi, musteri_tipi, carino) VALUES ('X', 3, 999)"},
            {"customer user without account", "INSERT INTO users (adi, musteri_tipi) VALUES ('X', 4)"},
            {"user type out of range", "INSERT INTO users (adi, musteri_tipi) VALUES ('X', 5)"},
            {"user without name", "INSERT INTO users (musteri_tipi) VALUES (1)"},
            {"machine of an unknown user", "INSERT INTO machines (bilgisayar_id, sirano) VALUES ('PC-2', 999)"},
            {"same machine twice", "INSERT INTO machines (bilgisayar_id) VALUES ('PC-1234-ABCD')"},
            {"same account number twice", "INSERT INTO customers (carino) VALUES (1001)"},
            {"account of an unknown salesperson", "INSERT INTO customers (carino, satici_no) VALUES (1002, 999)"},
        };
        for (const auto &r : refused) {
            SCOPED_TRACE(r.what);
            EXPECT_THROW(db.transaction([&] { db.exec(r.sql); }), DbError);
        }

        // Deleting a salesperson or a user keeps the rows pointing at them.
        db.exec("DELETE FROM users WHERE adi = 'OZGUR'");
        EXPECT_TRUE(db.scalar("SELECT sirano FROM machines WHERE bilgisayar_id = 'PC-1234-ABCD'").isNull());
        db.exec("DELETE FROM salespeople");
        EXPECT_TRUE(db.scalar("SELECT satici_no FROM customers WHERE carino = 1001").isNull());
    }

    static void FailedMigrationLeavesNothingBehind(Db &db)
    {
        std::vector<Migration> list = {
            {1, "bir", {"CREATE TABLE bir (id {{ID}})"}},
            {2, "iki", {"CREATE TABLE iki (id {{ID}})", "CREATE TABLE bozuk (id {{ID}}, id {{INT}})"}},
        };
        EXPECT_THROW(RunMigrations(db, list), DbError);
        EXPECT_EQ(CurrentSchemaVersion(db), 1);
        EXPECT_NO_THROW(db.exec("SELECT * FROM bir"));
        EXPECT_THROW(db.exec("SELECT * FROM iki"), DbError);

        list[1].statements[1] = "CREATE TABLE duzgun (id {{ID}})";
        const MigrationReport fixed = RunMigrations(db, list);
        EXPECT_EQ(fixed.applied, std::vector<int>{2});
        EXPECT_NO_THROW(db.exec("SELECT * FROM iki"));

        // A database newer than the server is refused.
        list.pop_back();
        EXPECT_THROW(RunMigrations(db, list), DbError);
    }
};

class SqliteMigrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        SetRequestLogging(false);
        SetLogSink([](std::string_view) {});
        db_ = std::make_unique<Db>(ParseConnectionString("sqlite:" + dir_.filePath("m.db")), "migrations");
    }
    void TearDown() override
    {
        db_.reset();
        SetLogSink({});
    }
    QTemporaryDir dir_;
    std::unique_ptr<Db> db_;
};

TEST_F(SqliteMigrationTest, AppliesOnceAndThenNothing) { MigrationChecks::AppliesOnceAndThenNothing(*db_); }
TEST_F(SqliteMigrationTest, FirstSchemaHoldsTheAccountsAndEnforcesItsRules)
{
    MigrationChecks::FirstSchemaHoldsTheAccountsAndEnforcesItsRules(*db_);
}
TEST_F(SqliteMigrationTest, FailedMigrationLeavesNothingBehind) { MigrationChecks::FailedMigrationLeavesNothingBehind(*db_); }

class PgMigrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PgTestAvailable())
            GTEST_SKIP() << "TARSEL_TEST_PG not set";
        SetLogSink([](std::string_view) {});
        schema_ = std::make_unique<PgTestSchema>();
        db_ = std::make_unique<Db>(schema_->settings(), "pg-migrations");
    }
    void TearDown() override
    {
        db_.reset();
        schema_.reset();
        SetLogSink({});
    }
    std::unique_ptr<PgTestSchema> schema_;
    std::unique_ptr<Db> db_;
};

TEST_F(PgMigrationTest, AppliesOnceAndThenNothing) { MigrationChecks::AppliesOnceAndThenNothing(*db_); }
TEST_F(PgMigrationTest, FirstSchemaHoldsTheAccountsAndEnforcesItsRules)
{
    MigrationChecks::FirstSchemaHoldsTheAccountsAndEnforcesItsRules(*db_);
}
TEST_F(PgMigrationTest, FailedMigrationLeavesNothingBehind) { MigrationChecks::FailedMigrationLeavesNothingBehind(*db_); }

} // namespace
