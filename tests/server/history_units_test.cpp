// Building blocks of the history group, in process: OLE day numbers and
// report ranges, search folding, and the ageing of an account's debt that
// the receivables reports print.

#include "server/dbpool.h"
#include "server/historyreports.h"
#include "server/historysupport.h"
#include "server/migrations.h"
#include "server/servermethodsbase.h"

#include <QTemporaryDir>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <cmath>

using namespace tarsel::server;
using namespace tarsel::server::history;

namespace {

TEST(HistoryDates, OleDayNumbersRoundTrip)
{
    const struct {
        double ole;
        QDateTime local;
    } cases[] = {
        {2.0, QDateTime(QDate(1900, 1, 1), QTime(0, 0))},
        {45000.0, QDateTime(QDate(2023, 3, 15), QTime(0, 0))},
        {45000.5, QDateTime(QDate(2023, 3, 15), QTime(12, 0))},
        {45000.75, QDateTime(QDate(2023, 3, 15), QTime(18, 0))},
        {46022.25, QDateTime(QDate(2025, 12, 31), QTime(6, 0))},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(k.ole);
        EXPECT_EQ(DateTimeFromOle(k.ole), k.local);
        EXPECT_DOUBLE_EQ(OleFromDateTime(k.local), k.ole);
        EXPECT_EQ(DateFromOle(k.ole), k.local.date());
    }
    // A time of day rounded up to midnight lands on the next day.
    EXPECT_EQ(DateTimeFromOle(45000.9999999999), QDateTime(QDate(2023, 3, 16), QTime(0, 0)));
}

TEST(HistoryDates, StoredTextsAreRead)
{
    const QDateTime utcNoon(QDate(2025, 3, 14), QTime(12, 30, 5), QTimeZone::utc());
    EXPECT_EQ(LocalFromUtcText(QStringLiteral("2025-03-14 12:30:05")), utcNoon.toLocalTime());
    EXPECT_EQ(LocalFromUtcText(QStringLiteral(" 2025-03-14T12:30:05 ")), utcNoon.toLocalTime());
    EXPECT_EQ(LocalFromUtcText(QStringLiteral("2025-03-14")),
              QDateTime(QDate(2025, 3, 14), QTime(0, 0), QTimeZone::utc()).toLocalTime());
    for (const char *bad : {"", "2025-3-14", "2025-02-30 10:00:00", "2025-03-14 25:00:00", "2025-03-14 10:00",
                            "abcd-ef-gh ij:kl:mn", "2025/03/14 10:00:00"})
        EXPECT_FALSE(LocalFromUtcText(QString::fromLatin1(bad)).isValid()) << bad;
    EXPECT_EQ(DateFromDayText(QStringLiteral("2025-12-31")), QDate(2025, 12, 31));
    EXPECT_FALSE(DateFromDayText(QStringLiteral("2025-12-31 10:00:00")).isValid());
    EXPECT_FALSE(DateFromDayText(QStringLiteral("2025-13-01")).isValid());
    EXPECT_EQ(DayText(QDate(2025, 1, 2)), "2025-01-02");
    EXPECT_EQ(UtcTextFromLocal(utcNoon.toLocalTime()), "2025-03-14 12:30:05");
}

TEST(HistoryDates, ReportRangesCoverWholeLocalDays)
{
    const DayRange r = CalendarDays(45000.8, 45002.1);
    EXPECT_EQ(r.first, QDate(2023, 3, 15));
    EXPECT_EQ(r.last, QDate(2023, 3, 17));
    EXPECT_EQ(r.fromDay, "2023-03-15");
    EXPECT_EQ(r.toDay, "2023-03-18");
    // The UTC bounds are the local midnights.
    QDateTime from(QDate(2023, 3, 15), QTime(0, 0));
    QDateTime to(QDate(2023, 3, 18), QTime(0, 0));
    EXPECT_EQ(r.fromUtc, from.toUTC().toString("yyyy-MM-dd HH:mm:ss"));
    EXPECT_EQ(r.toUtc, to.toUTC().toString("yyyy-MM-dd HH:mm:ss"));
    // One day is a range too.
    const DayRange one = CalendarDays(45000, 45000);
    EXPECT_EQ(one.first, one.last);
    // The last day of the calendar has an open end that sorts after any date.
    const DayRange end = CalendarDays(kOleLastDay, kOleLastDay);
    EXPECT_GT(end.toDay, QStringLiteral("9999-12-31"));
    EXPECT_GT(end.toUtc, QStringLiteral("9999-12-31 23:59:59"));
}

TEST(HistoryDates, WrongDaysAreRefused)
{
    const struct {
        double t1, t2;
        const char *error;
    } cases[] = {
        {0, 45000, "Geçersiz tarih"},          // 1899-12-30: before the calendar we accept
        {-5, 45000, "Geçersiz tarih"},
        {45000, 3e6, "Geçersiz tarih"},
        {NAN, 45000, "Geçersiz tarih"},
        {45000, INFINITY, "Geçersiz tarih"},
        {45001, 45000, "bitiş tarihinden"},
    };
    for (const auto &k : cases) {
        SCOPED_TRACE(std::to_string(k.t1) + " " + std::to_string(k.t2));
        try {
            CalendarDays(k.t1, k.t2);
            ADD_FAILURE() << "accepted";
        } catch (const MethodError &e) {
            EXPECT_NE(std::string(e.what()).find(k.error), std::string::npos) << e.what();
        }
    }
}

TEST(HistorySearch, FoldingIgnoresCaseTurkishIAndMarks)
{
    const struct {
        const char *text, *folded;
    } cases[] = {
        {"özkan oto", "OZKAN OTO"},
        {"  KARADENİZ   oto  ", "KARADENIZ OTO"},
        {"yılmaz", "YILMAZ"},
        {"yilmaz", "YILMAZ"},
        {"ŞÇĞÜÖİ şçğüöı", "SCGUOI SCGUOI"},
        {"120.01.002", "120.01.002"},
        {"\t\n", ""},
    };
    for (const auto &k : cases) EXPECT_EQ(FoldForSearch(QString::fromUtf8(k.text)), QString::fromUtf8(k.folded)) << k.text;
    EXPECT_EQ(SearchWords(QStringLiteral(" a  b c ")), (QStringList{"A", "B", "C"}));
    EXPECT_TRUE(SearchWords(QStringLiteral("   ")).isEmpty());
}

// ---------------------------------------------------------------------------
// Ageing

class Ageing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        static int seq = 0;
        db_ = std::make_unique<Db>(ParseConnectionString(QStringLiteral("sqlite:") + dir_.filePath("t.db")),
                                   QStringLiteral("ageing-%1").arg(++seq));
        RunMigrations(*db_);
        db_->exec(QStringLiteral("INSERT INTO customers (carino, carikod, cariadi, vade_gun) VALUES (1, 'C1', 'Cari', 45)"));
    }

    // Adds a movement `daysAgo` days before the report day; an invoice term
    // adds an invoice row with that term.
    void move(int daysAgo, int kind, double debit, double credit, std::optional<int> invoiceTerm = {},
              std::optional<int> dueInDays = {})
    {
        QVariant due(QMetaType::fromType<QString>());
        if (dueInDays) due = day_.addDays(-daysAgo + *dueInDays).toString(Qt::ISODate);
        QSqlQuery q = db_->exec(QStringLiteral("INSERT INTO account_movements (carino, tarih, tur, turadi, borc, alacak, "
                                               "vade_tarihi) VALUES (1, ?, ?, 'x', ?, ?, ?) RETURNING idno"),
                                {day_.addDays(-daysAgo).toString(Qt::ISODate), kind, debit, credit, due});
        ASSERT_TRUE(q.next());
        const qint64 id = q.value(0).toLongLong();
        q.finish();
        if (invoiceTerm)
            db_->exec(QStringLiteral("INSERT INTO invoices (idno, hareket_tipi, vade_gun) VALUES (?, 'Satış Faturası', ?)"),
                      {id, *invoiceTerm});
    }

    history::Ageing age() { return AgeAccount(*db_, 1, day_, 45); }

    QTemporaryDir dir_;
    std::unique_ptr<Db> db_;
    const QDate day_{2025, 6, 30};
};

TEST_F(Ageing, CollectionsPayTheOldestDebtFirst)
{
    move(200, 0, 500, 0);          // opening balance, due at once
    move(100, 1, 1000, 0, 30);     // invoice due 70 days ago
    move(10, 1, 300, 0, 30);       // invoice due in 20 days
    move(50, 3, 0, 900);           // pays the opening 500 and 400 of the first invoice
    const history::Ageing a = age();
    EXPECT_DOUBLE_EQ(a.balance, 900.0);
    EXPECT_DOUBLE_EQ(a.notDue, 300.0);
    EXPECT_DOUBLE_EQ(a.overdue[0], 0.0);
    EXPECT_DOUBLE_EQ(a.overdue[1], 0.0);
    EXPECT_DOUBLE_EQ(a.overdue[2], 600.0);  // 61-90 days
    EXPECT_DOUBLE_EQ(a.overdue[3], 0.0);
    EXPECT_EQ(a.oldestDue, day_.addDays(-70));
}

TEST_F(Ageing, DueDatesComeFromTheMovementTheInvoiceOrTheAccount)
{
    move(40, 1, 100, 0, {}, 10);   // own due date: 30 days ago -> 1-30
    move(40, 1, 200, 0, 0);        // invoice term 0: due 40 days ago -> 31-60
    move(40, 1, 400, 0);           // no invoice row: the account's 45 days -> not due
    move(120, 5, 800, 0);          // other debit: due on its day -> 90+
    const history::Ageing a = age();
    EXPECT_DOUBLE_EQ(a.balance, 1500.0);
    EXPECT_DOUBLE_EQ(a.overdue[0], 100.0);
    EXPECT_DOUBLE_EQ(a.overdue[1], 200.0);
    EXPECT_DOUBLE_EQ(a.overdue[2], 0.0);
    EXPECT_DOUBLE_EQ(a.overdue[3], 800.0);
    EXPECT_DOUBLE_EQ(a.notDue, 400.0);
    EXPECT_DOUBLE_EQ(a.overdueTotal(), 1100.0);
}

TEST_F(Ageing, AnAdvancePaysLaterDebtAndLaterMovementsAreIgnored)
{
    move(40, 3, 0, 1000);          // paid in advance
    move(20, 1, 300, 0, 0);        // covered by the advance
    move(-3, 1, 5000, 0, 0);       // after the report day
    const history::Ageing a = age();
    EXPECT_DOUBLE_EQ(a.balance, -700.0);
    EXPECT_DOUBLE_EQ(a.notDue, 0.0);
    EXPECT_DOUBLE_EQ(a.overdueTotal(), 0.0);
    EXPECT_FALSE(a.oldestDue.isValid());
}

TEST_F(Ageing, AllAccountsAtOnceAgeLikeOneByOne)
{
    db_->exec(QStringLiteral("INSERT INTO customers (carino, carikod, cariadi, vade_gun) VALUES (2, 'C2', 'Cari 2', 10)"));
    move(200, 0, 500, 0);
    move(100, 1, 1000, 0, 30);
    move(50, 3, 0, 900);
    move(12, 1, 70, 0);  // no invoice row: the account's term
    auto other = [&](int daysAgo, int kind, double debit, double credit) {
        db_->exec(QStringLiteral("INSERT INTO account_movements (carino, tarih, tur, turadi, borc, alacak) "
                                 "VALUES (2, ?, ?, 'x', ?, ?)"),
                  {day_.addDays(-daysAgo).toString(Qt::ISODate), kind, debit, credit});
    };
    other(12, 1, 400, 0);  // due 2 days ago with the 10-day term
    other(5, 3, 0, 100);
    const QHash<int, history::Ageing> all = AgeAccounts(*db_, day_);
    ASSERT_EQ(all.size(), 2);
    for (const auto &[carino, term] : {std::pair{1, 45}, std::pair{2, 10}}) {
        SCOPED_TRACE(carino);
        const history::Ageing one = AgeAccount(*db_, carino, day_, term);
        const history::Ageing &bulk = all[carino];
        EXPECT_DOUBLE_EQ(bulk.balance, one.balance);
        EXPECT_DOUBLE_EQ(bulk.notDue, one.notDue);
        for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(bulk.overdue[i], one.overdue[i]);
        EXPECT_EQ(bulk.oldestDue, one.oldestDue);
    }
    EXPECT_DOUBLE_EQ(all[2].overdue[0], 300.0);
    EXPECT_EQ(AgeAccounts(*db_, day_, 2).size(), 1);
}

TEST_F(Ageing, ADebtDueOnTheReportDayIsNotOverdue)
{
    move(30, 1, 250.5, 0, 30);
    move(31, 1, 100.25, 0, 30);
    const history::Ageing a = age();
    EXPECT_DOUBLE_EQ(a.notDue, 250.5);
    EXPECT_DOUBLE_EQ(a.overdue[0], 100.25);
    EXPECT_DOUBLE_EQ(a.balance, 350.75);
}

}  // namespace
