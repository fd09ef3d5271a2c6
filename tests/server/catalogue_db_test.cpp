// The search query and the catalogue generator on a real database in this
// process (SQLite; also PostgreSQL when TARSEL_TEST_PG is set): the row
// limit, the word counts and the large catalogue.

#include "server/catalogue_pricing.h"
#include "server/catalogue_search.h"
#include "server/dbpool.h"
#include "server/democatalogue.h"
#include "server/demodata.h"
#include "server/migrations.h"
#include "tests/server/pgtest.h"
#include "tests/server/qtcoreapp.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <set>

using namespace tarsel;
using namespace tarsel::server;

namespace {

enum class Backend { SQLite, PostgreSQL };

class CatalogueDb : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        if (GetParam() == Backend::PostgreSQL) {
            if (!test::PgTestAvailable()) GTEST_SKIP() << "TARSEL_TEST_PG is not set";
            pg_ = std::make_unique<test::PgTestSchema>();
            db_ = std::make_unique<Db>(pg_->settings(), QStringLiteral("catalogue-db-test"));
        } else {
            db_ = std::make_unique<Db>(ParseConnectionString(QStringLiteral("sqlite:") + dir_.path() + "/t.db"),
                                       QStringLiteral("catalogue-db-test"));
        }
        RunMigrations(*db_);
        SeedDemoData(*db_, QStringLiteral("CAT-DB-TEST"));
    }
    void TearDown() override
    {
        db_.reset();
        pg_.reset();
    }

    std::vector<int> Run(const StockSearchRequest &r, int limit)
    {
        const StockQuery q = BuildStockSearchQuery(r, 1201, TokenCounter(*db_), limit);
        if (q.matchesNothing) return {};
        // (No other statement may run while a PostgreSQL result is read.)
        const AccountPricing account = LoadAccountPricing(*db_, 1201);
        QSqlQuery rows = db_->exec(q.sql, q.binds);
        const DataTable t = StockRowsToTable(rows, account, q.sortByCode);
        std::vector<int> out;
        for (std::size_t i = 0; i < t.rowCount(); ++i) out.push_back(t.int32(i, "STOK_STOKNO"));
        return out;
    }

    QTemporaryDir dir_;
    std::unique_ptr<test::PgTestSchema> pg_;
    std::unique_ptr<Db> db_;
};

TEST_P(CatalogueDb, RowLimitKeepsTheFirstMatchesByNumberSortedByCode)
{
    StockSearchRequest r;
    r.text = QStringLiteral("A");  // very common: most items have a word beginning with A
    const std::vector<int> all = Run(r, 1000);
    ASSERT_GT(all.size(), 40u);
    const std::vector<int> limited = Run(r, 25);
    ASSERT_EQ(limited.size(), 25u);
    // The 25 lowest item numbers among all matches...
    std::set<int> lowest(all.begin(), all.end());
    std::set<int> first25;
    for (int n : lowest) {
        if (first25.size() == 25) break;
        first25.insert(n);
    }
    EXPECT_EQ(std::set<int>(limited.begin(), limited.end()), first25);
    // ...in code order.
    QSqlQuery codes = db_->exec(QStringLiteral("SELECT stokno FROM stock WHERE stokno IN (%1) ORDER BY barkod, stokno")
                                    .arg([&] {
                                        QStringList l;
                                        for (int n : limited) l << QString::number(n);
                                        return l.join(u',');
                                    }()));
    std::vector<int> byCode;
    while (codes.next()) byCode.push_back(codes.value(0).toInt());
    EXPECT_EQ(limited, byCode);
}

TEST_P(CatalogueDb, WordCountsAreBoundedAndZeroForUnknownWords)
{
    const WordCounter count = TokenCounter(*db_);
    EXPECT_EQ(count(QStringLiteral("QXQXQX")), 0);
    EXPECT_GT(count(QStringLiteral("FREN")), 0);
    const int stored = db_->scalar(QStringLiteral("SELECT COUNT(*) FROM stock_tokens WHERE token >= 'BALATA' AND token < 'BALATB'")).toInt();
    EXPECT_EQ(count(QStringLiteral("BALATA")), std::min(stored, kCommonWordCount));
    StockSearchRequest r;
    r.text = QStringLiteral("FREN QXQXQX");
    EXPECT_TRUE(BuildStockSearchQuery(r, 1201, count).matchesNothing);
}

TEST_P(CatalogueDb, StoredSearchWordsCanBeRefreshedFromTheStockRow)
{
    QSqlQuery q = db_->exec(QStringLiteral("SELECT stokno FROM stock ORDER BY stokno"));
    ASSERT_TRUE(q.next());
    const int stokno = q.value(0).toInt();
    q.finish();
    db_->exec(QStringLiteral("UPDATE stock SET adi = ? WHERE stokno = ?"), {QString::fromUtf8("Özel Şanzıman Takozu"), stokno});
    StockSearchRequest r;
    r.text = QString::fromUtf8("şanzıman");
    EXPECT_TRUE(Run(r, 10).empty());  // not yet in the search words
    StockSearchWriter writer(*db_);
    EXPECT_TRUE(writer.refresh(stokno));
    EXPECT_FALSE(writer.refresh(424242));
    EXPECT_EQ(Run(r, 10), std::vector<int>{stokno});
    EXPECT_TRUE(db_->scalar(QStringLiteral("SELECT arama FROM stock WHERE stokno = ?"), {stokno})
                    .toString()
                    .contains(QStringLiteral(" SANZIMAN ")));
}

TEST_P(CatalogueDb, LargeCatalogueGeneratorWritesSearchableItems)
{
    int reported = 0;
    SeedLargeCatalogue(*db_, 6000, 500000, 3, [&](int done) { reported = done; });
    EXPECT_EQ(reported, 6000);
    EXPECT_EQ(db_->scalar(QStringLiteral("SELECT COUNT(*) FROM stock WHERE stokno >= 500000")).toInt(), 6000);
    QSqlQuery q = db_->exec(QStringLiteral("SELECT COUNT(DISTINCT durum), SUM(kampanya), SUM(yeni) FROM stock WHERE stokno >= 500000"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 6);
    EXPECT_GT(q.value(1).toInt(), 100);
    EXPECT_GT(q.value(2).toInt(), 50);
    q.finish();
    const int pictures = db_->scalar(QStringLiteral("SELECT COUNT(*) FROM stock_pictures WHERE stokno >= 500000")).toInt();
    EXPECT_GT(pictures, 300);
    EXPECT_LT(pictures, 1200);
    // Every generated item is found by its code and by its first OEM number.
    QSqlQuery sample = db_->exec(QStringLiteral("SELECT stokno, barkod, oem1 FROM stock WHERE stokno >= 500000 AND stokno % 500 = 7"));
    std::vector<std::pair<int, QStringList>> items;
    while (sample.next())
        items.push_back({sample.value(0).toInt(), {sample.value(1).toString(), sample.value(2).toString()}});
    sample.finish();
    int checked = 0;
    for (const auto &[stokno, texts] : items) {
        for (const QString &text : texts) {
            StockSearchRequest r;
            r.text = text;
            if (r.text.isEmpty()) continue;
            const std::vector<int> found = Run(r, 500);
            EXPECT_NE(std::find(found.begin(), found.end(), stokno), found.end()) << r.text.toStdString();
            ++checked;
        }
    }
    EXPECT_GT(checked, 15);
}

INSTANTIATE_TEST_SUITE_P(Databases, CatalogueDb, ::testing::Values(Backend::SQLite, Backend::PostgreSQL),
                         [](const auto &info) { return info.param == Backend::SQLite ? "SQLite" : "PostgreSQL"; });

}  // namespace
