#include "server/migrations.h"

#include "server/log.h"
#include "server/schema.h"

#include <QDateTime>
#include <QHash>

#include <stdexcept>

namespace tarsel::server {

namespace {

// Column naming: tables carry English names, columns lower_snake Turkish
// names that mirror the fields the client sees on the wire, so that a result
// column maps to a database column without a dictionary:
//   carino        customer account number      (FCARINO / CARINO)
//   carikod       customer account code        (FCARIKOD)
//   cariadi       customer account name        (FCARIADI)
//   satici_no     salesperson number           (FSaticiNo)
//   sirano        user row number              (FSirano)
//   adi, sifre    name, password               (FADI, FSIFRE)
//   aktif         1 = may sign in              (FAKTIF)
//   musteri_tipi  user type 1..4               (FMusteriTipi)
//   versiyon      client version the server expects (FVersion)
//   bilgisayar_id computer identifier          (FBILGISAYARID)
// Texts that the client shows default to '' rather than NULL.
const QStringList kMigration1 = {
    QStringLiteral(R"(CREATE TABLE salespeople (
    satici_no {{ID}},
    adi       {{TEXT}} NOT NULL,
    telefon   {{TEXT}} NOT NULL DEFAULT '',
    email     {{TEXT}} NOT NULL DEFAULT ''
))"),
    QStringLiteral(R"(CREATE TABLE customers (
    carino         {{INT}} PRIMARY KEY,
    carikod        {{TEXT}} NOT NULL DEFAULT '',
    cariadi        {{TEXT}} NOT NULL DEFAULT '',
    satici_no      {{BIGINT}} REFERENCES salespeople(satici_no) ON DELETE SET NULL,
    iskonto_orani  {{REAL}} NOT NULL DEFAULT 0,
    vade_gun       {{INT}} NOT NULL DEFAULT 0,
    bakiye         {{MONEY}} NOT NULL DEFAULT 0,
    sehir          {{TEXT}} NOT NULL DEFAULT '',
    ilce           {{TEXT}} NOT NULL DEFAULT '',
    adres1         {{TEXT}} NOT NULL DEFAULT '',
    adres2         {{TEXT}} NOT NULL DEFAULT '',
    tel1           {{TEXT}} NOT NULL DEFAULT '',
    tel2           {{TEXT}} NOT NULL DEFAULT '',
    gsm            {{TEXT}} NOT NULL DEFAULT '',
    fax1           {{TEXT}} NOT NULL DEFAULT '',
    fax2           {{TEXT}} NOT NULL DEFAULT '',
    email          {{TEXT}} NOT NULL DEFAULT '',
    vergi_dairesi  {{TEXT}} NOT NULL DEFAULT '',
    vergi_no       {{TEXT}} NOT NULL DEFAULT '',
    yetkili        {{TEXT}} NOT NULL DEFAULT '',
    ana_grup       {{TEXT}} NOT NULL DEFAULT '',
    alt_grup       {{TEXT}} NOT NULL DEFAULT '',
    ozel_kod       {{TEXT}} NOT NULL DEFAULT '',
    ulke           {{TEXT}} NOT NULL DEFAULT ''
))"),
    QStringLiteral("CREATE INDEX customers_satici_no ON customers(satici_no)"),
    QStringLiteral("CREATE INDEX customers_carikod ON customers(carikod)"),
    // Sales staff (types 1 and 2) work for any account, so carino may be
    // NULL for them; customer users (3 and 4) belong to one account.
    QStringLiteral(R"(CREATE TABLE users (
    sirano        {{ID}},
    adi           {{TEXT}} NOT NULL,
    sifre         {{TEXT}} NOT NULL DEFAULT '',
    email         {{TEXT}} NOT NULL DEFAULT '',
    aktif         {{INT}} NOT NULL DEFAULT 1,
    musteri_tipi  {{INT}} NOT NULL CHECK (musteri_tipi BETWEEN 1 AND 4),
    carino        {{INT}} REFERENCES customers(carino),
    satici_no     {{BIGINT}} REFERENCES salespeople(satici_no) ON DELETE SET NULL,
    versiyon      {{INT}} NOT NULL DEFAULT 8,
    CHECK (musteri_tipi IN (1, 2) OR carino IS NOT NULL)
))"),
    QStringLiteral("CREATE INDEX users_carino ON users(carino)"),
    QStringLiteral(R"(CREATE TABLE machines (
    bilgisayar_id  {{TEXT}} PRIMARY KEY,
    sirano         {{BIGINT}} REFERENCES users(sirano) ON DELETE SET NULL,
    kayit_tarihi   {{TEXT}} NOT NULL DEFAULT {{NOW}}
))"),
    QStringLiteral("CREATE INDEX machines_sirano ON machines(sirano)"),
};

std::vector<Migration> BuildMigrations()
{
    std::vector<Migration> list;
    list.push_back({1, QStringLiteral("makineler, temsilciler, cariler, kullanıcılar"), kMigration1});
    // One migration per method group; a group without tables yet adds none.
    const struct {
        int version;
        const char *title;
        QStringList statements;
    } groups[] = {
        {2, "stoklar, fiyatlar, sepetler, siparişler, kargolar", CatalogueSchema()},
        {3, "cari hareketler, faturalar, reklamlar, bannerlar, belgeler, giden kutusu", PromoSchema()},
        {4, "sipariş geçmişi ve raporlar", HistorySchema()},
    };
    for (const auto &g : groups)
        if (!g.statements.isEmpty()) list.push_back({g.version, QString::fromUtf8(g.title), g.statements});
    return list;
}

void CheckOrder(const std::vector<Migration> &migrations)
{
    int last = 0;
    for (const auto &m : migrations) {
        if (m.version <= last)
            throw std::logic_error("migrations must have strictly ascending versions > 0");
        last = m.version;
    }
}

} // namespace

const std::vector<Migration> &Migrations()
{
    static const std::vector<Migration> list = BuildMigrations();
    return list;
}

int LatestSchemaVersion()
{
    const auto &list = Migrations();
    return list.empty() ? 0 : list.back().version;
}

QString ApplyDialect(const QString &sql, Dialect dialect)
{
    const bool lite = dialect == Dialect::SQLite;
    static const QHash<QString, std::pair<QString, QString>> tokens = {
        {QStringLiteral("ID"), {QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"), QStringLiteral("BIGSERIAL PRIMARY KEY")}},
        {QStringLiteral("INT"), {QStringLiteral("INTEGER"), QStringLiteral("INTEGER")}},
        {QStringLiteral("BIGINT"), {QStringLiteral("INTEGER"), QStringLiteral("BIGINT")}},
        {QStringLiteral("TEXT"), {QStringLiteral("TEXT"), QStringLiteral("TEXT")}},
        {QStringLiteral("REAL"), {QStringLiteral("REAL"), QStringLiteral("DOUBLE PRECISION")}},
        {QStringLiteral("MONEY"), {QStringLiteral("REAL"), QStringLiteral("NUMERIC(18,4)")}},
        {QStringLiteral("BLOB"), {QStringLiteral("BLOB"), QStringLiteral("BYTEA")}},
        {QStringLiteral("BOOL"), {QStringLiteral("INTEGER"), QStringLiteral("SMALLINT")}},
        {QStringLiteral("NOW"),
         {QStringLiteral("(strftime('%Y-%m-%d %H:%M:%S', 'now'))"),
          QStringLiteral("(to_char(now() AT TIME ZONE 'UTC', 'YYYY-MM-DD HH24:MI:SS'))")}},
    };
    QString out;
    out.reserve(sql.size() + 64);
    qsizetype i = 0;
    while (i < sql.size()) {
        const qsizetype open = sql.indexOf(QLatin1String("{{"), i);
        if (open < 0) {
            out += QStringView(sql).mid(i);
            break;
        }
        out += QStringView(sql).mid(i, open - i);
        const qsizetype close = sql.indexOf(QLatin1String("}}"), open + 2);
        if (close < 0)
            throw std::invalid_argument("unterminated placeholder in migration SQL: " +
                                        sql.mid(open, 40).toStdString());
        const QString name = sql.mid(open + 2, close - open - 2).trimmed();
        const auto it = tokens.constFind(name);
        if (it == tokens.constEnd())
            throw std::invalid_argument("unknown placeholder {{" + name.toStdString() + "}} in migration SQL");
        out += lite ? it->first : it->second;
        i = close + 2;
    }
    return out;
}

int CurrentSchemaVersion(Db &db)
{
    const bool exists =
        db.dialect() == Dialect::SQLite
            ? db.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = 'schema_version'"))
                      .toInt() > 0
            : db.scalar(QStringLiteral("SELECT COUNT(*) FROM information_schema.tables "
                                       "WHERE table_schema = current_schema() AND table_name = 'schema_version'"))
                      .toInt() > 0;
    if (!exists)
        return 0;
    return db.scalar(QStringLiteral("SELECT COALESCE(MAX(version), 0) FROM schema_version")).toInt();
}

MigrationReport RunMigrations(Db &db, const std::vector<Migration> &migrations)
{
    CheckOrder(migrations);

    db.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version ("
                           "version INTEGER PRIMARY KEY, applied_at TEXT NOT NULL)"));

    MigrationReport report;
    report.before = CurrentSchemaVersion(db);
    const int latest = migrations.empty() ? 0 : migrations.back().version;
    if (report.before > latest)
        throw DbError("Veritabanı şeması (sürüm " + std::to_string(report.before) +
                      ") bu sunucunun tanıdığı en yeni sürümden (" + std::to_string(latest) +
                      ") yeni; sunucuyu güncelleyin");

    for (const Migration &m : migrations) {
        bool applied = false;
        db.transaction([&] {
            if (db.dialect() == Dialect::PostgreSQL)
                db.exec(QStringLiteral("LOCK TABLE schema_version IN SHARE ROW EXCLUSIVE MODE"));
            // Checked inside the transaction: another server may have applied
            // it while this one waited for the lock.
            if (db.scalar(QStringLiteral("SELECT COUNT(*) FROM schema_version WHERE version = ?"), {m.version})
                    .toInt() > 0)
                return;
            for (const QString &statement : m.statements) {
                const QString sql = ApplyDialect(statement, db.dialect());
                try {
                    db.exec(sql);
                } catch (const DbError &e) {
                    throw DbError("Şema göçü " + std::to_string(m.version) + " uygulanamadı: " + e.what(),
                                  e.connectionLost(), e.sql());
                }
            }
            db.exec(QStringLiteral("INSERT INTO schema_version (version, applied_at) VALUES (?, ?)"),
                    {m.version, QDateTime::currentDateTimeUtc().toString(Qt::ISODate)});
            applied = true;
        });
        if (applied) {
            report.applied.push_back(m.version);
            LogInfo("Şema göçü " + std::to_string(m.version) + " uygulandı: " + m.title.toStdString());
        }
    }
    report.after = CurrentSchemaVersion(db);
    return report;
}

} // namespace tarsel::server
