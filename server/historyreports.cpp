#include "server/historyreports.h"

#include "remote/baglantiu.h"
#include "server/dbpool.h"
#include "server/historysupport.h"
#include "server/pdfwriter.h"
#include "server/sellerprofile.h"
#include "server/servermethodsbase.h"

#include <QDateTime>
#include <QLocale>
#include <QMap>

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>

namespace tarsel::server {

using namespace history;

namespace {

// Movement kinds (account_movements.tur).
constexpr int kKindSale = 1;
constexpr int kKindReturn = 2;
constexpr int kKindCollection = 3;

// Days of movements the account summary lists.
constexpr int kSummaryDays = 90;

qint64 ToCents(const QVariant &v) { return qint64(std::llround(v.toDouble() * 100.0)); }
double FromCents(qint64 c) { return double(c) / 100.0; }
QString Money(qint64 cents) { return FormatMoneyTr(FromCents(cents)); }
QString Day(const QDate &d) { return d.isValid() ? FormatDateTr(d) : QString(); }
std::string Num(qint64 v) { return std::to_string(v); }

// The asking user; only sales staff get reports.
Caller ReportUser(Db &db, int userId)
{
    if (userId <= 0) throw MethodError("Raporu isteyen kullanıcı belirtilmedi; lütfen yeniden giriş yapın");
    TSonucBilgisi record;
    record.setSirano(userId);
    const Caller caller = ResolveCaller(db, &record);
    if (!caller.isStaff()) throw MethodError("Raporlar yalnız satış personeline açıktır");
    return caller;
}

struct Account {
    int carino = 0;
    QString code, name, salesperson, contact, address1, address2, district, city, phone, gsm, mail, taxOffice,
        taxNo;
    double discount = 0;
    int term = 0;
    qint64 balanceCents = 0;  // customers.bakiye
};

Account LoadAccount(Db &db, int carino)
{
    QSqlQuery q = db.exec(QStringLiteral("SELECT c.carino, c.carikod, c.cariadi, COALESCE(s.adi, ''), c.yetkili, "
                                         "c.adres1, c.adres2, c.ilce, c.sehir, c.tel1, c.gsm, c.email, "
                                         "c.vergi_dairesi, c.vergi_no, c.iskonto_orani, c.vade_gun, c.bakiye "
                                         "FROM customers c LEFT JOIN salespeople s ON s.satici_no = c.satici_no "
                                         "WHERE c.carino = ?"),
                          {carino});
    if (!q.next()) throw MethodError("Cari hesap bulunamadı (cari no " + Num(carino) + ")");
    Account a;
    a.carino = q.value(0).toInt();
    a.code = q.value(1).toString();
    a.name = q.value(2).toString();
    a.salesperson = q.value(3).toString();
    a.contact = q.value(4).toString();
    a.address1 = q.value(5).toString();
    a.address2 = q.value(6).toString();
    a.district = q.value(7).toString();
    a.city = q.value(8).toString();
    a.phone = q.value(9).toString();
    a.gsm = q.value(10).toString();
    a.mail = q.value(11).toString();
    a.taxOffice = q.value(12).toString();
    a.taxNo = q.value(13).toString();
    a.discount = q.value(14).toDouble();
    a.term = q.value(15).toInt();
    a.balanceCents = ToCents(q.value(16));
    return a;
}

void StartDocument(Db &db, PdfReport &doc, const QString &title, const QString &subtitle, const Caller &user)
{
    const SellerProfile seller = LoadSellerProfile(db);
    doc.setIssuer(seller.unvan, seller.issuerLines());
    doc.setTitle(title);
    doc.setSubtitle(subtitle);
    doc.setFooter(seller.unvan + QStringLiteral(" · ") + title + QStringLiteral(" · Hazırlayan: ") + user.name +
                  QStringLiteral(" · ") + FormatDateTimeTr(QDateTime::currentDateTime()));
}

QByteArray Render(const PdfReport &doc)
{
    try {
        return doc.render();
    } catch (const PdfError &e) {
        throw MethodError(std::string("Rapor oluşturulamadı: ") + e.what());
    }
}

// The salesperson a receivables report is limited to: nullopt for every
// account ("." or blank), else the salesperson's number.
struct SalespersonChoice {
    bool all = true;
    qint64 number = 0;
    QString name;
};

SalespersonChoice ChooseSalesperson(Db &db, const QString &text)
{
    SalespersonChoice c;
    const QString t = text.trimmed();
    if (t.isEmpty() || t == QStringLiteral(".")) return c;
    c.all = false;
    // A user's name (a type 1 user asks for their own accounts by name) ...
    QSqlQuery u = db.exec(QStringLiteral("SELECT u.satici_no, s.adi FROM users u "
                                         "LEFT JOIN salespeople s ON s.satici_no = u.satici_no WHERE u.adi = ?"),
                          {t});
    if (u.next()) {
        if (u.value(0).isNull()) throw MethodError("Kullanıcının temsilcisi tanımlı değil: " + t.toStdString());
        c.number = u.value(0).toLongLong();
        c.name = u.value(1).toString();
        return c;
    }
    u.finish();
    // ... or a salesperson's name.
    QSqlQuery s = db.exec(QStringLiteral("SELECT satici_no, adi FROM salespeople WHERE adi = ?"), {t});
    if (!s.next()) throw MethodError("Temsilci bulunamadı: " + t.toStdString());
    c.number = s.value(0).toLongLong();
    c.name = s.value(1).toString();
    return c;
}

// ---- report 6 with an account: the account summary ---------------------------

QByteArray AccountSummary(Db &db, const Caller &user, int carino, const QDate &day)
{
    const Account a = LoadAccount(db, carino);
    const Ageing age = AgeAccount(db, carino, day, a.term);
    const QString nextDay = DayText(day.addDays(1));

    PdfReport doc;
    StartDocument(db, doc, QStringLiteral("Cari Özeti"), Day(day) + QStringLiteral(" tarihi itibarıyla"), user);
    doc.addField(QStringLiteral("Cari Kod"), a.code);
    doc.addField(QStringLiteral("Cari Adı"), a.name);
    doc.addField(QStringLiteral("Yetkili"), a.contact);
    doc.addField(QStringLiteral("Temsilci"), a.salesperson);
    doc.addField(QStringLiteral("Adres"), QStringList{a.address1, a.address2}.join(QLatin1Char(' ')).trimmed());
    doc.addField(QStringLiteral("İlçe / İl"), a.district + QStringLiteral(" / ") + a.city);
    doc.addField(QStringLiteral("Telefon"), QStringList{a.phone, a.gsm}.join(QStringLiteral(" · ")));
    doc.addField(QStringLiteral("E-posta"), a.mail);
    doc.addField(QStringLiteral("Vergi D. / No"), a.taxOffice + QStringLiteral(" / ") + a.taxNo);
    doc.addField(QStringLiteral("İndirim % / Vade"),
                 FormatQuantityTr(a.discount) + QStringLiteral(" / ") + QString::number(a.term) + QStringLiteral(" gün"));

    // Movements of the last days up to the report day, after the balance
    // carried into them.
    doc.setColumns({{QStringLiteral("Tarih"), 1.1},
                    {QStringLiteral("Tür"), 1.6},
                    {QStringLiteral("Evrak No"), 1.4},
                    {QStringLiteral("Vade"), 1.1},
                    {QStringLiteral("Borç"), 1.2, Qt::AlignRight},
                    {QStringLiteral("Alacak"), 1.2, Qt::AlignRight},
                    {QStringLiteral("Bakiye"), 1.3, Qt::AlignRight}});
    const QDate windowStart = day.addDays(-(kSummaryDays - 1));
    const qint64 carried =
        ToCents(db.scalar(QStringLiteral("SELECT COALESCE(SUM(borc), 0) - COALESCE(SUM(alacak), 0) "
                                         "FROM account_movements WHERE carino = ? AND tarih < ?"),
                          {carino, DayText(windowStart)}));
    qint64 running = carried;
    doc.addSectionRow(QStringLiteral("Son %1 günün hareketleri").arg(kSummaryDays));
    doc.addRow({Day(windowStart.addDays(-1)), QStringLiteral("Devreden bakiye"), QString(), QString(), QString(),
                QString(), Money(running)});
    QSqlQuery m = db.exec(QStringLiteral("SELECT m.tarih, m.turadi, m.evrakno, m.vade_tarihi, m.borc, m.alacak, "
                                         "i.vade_gun "
                                         "FROM account_movements m LEFT JOIN invoices i ON i.idno = m.idno "
                                         "WHERE m.carino = ? AND m.tarih >= ? AND m.tarih < ? "
                                         "ORDER BY m.tarih, m.idno"),
                          {carino, DayText(windowStart), nextDay});
    int movements = 0;
    while (m.next()) {
        const qint64 debit = ToCents(m.value(4));
        const qint64 credit = ToCents(m.value(5));
        running += debit - credit;
        QDate due = DateFromDayText(m.value(3).toString());
        if (!due.isValid() && debit > 0 && !m.value(6).isNull())
            due = DateFromDayText(m.value(0).toString()).addDays(m.value(6).toInt());
        doc.addRow({Day(DateFromDayText(m.value(0).toString())), m.value(1).toString(), m.value(2).toString(), Day(due),
                    debit ? Money(debit) : QString(), credit ? Money(credit) : QString(), Money(running)});
        ++movements;
    }
    m.finish();
    if (movements == 0)
        doc.addRow({QString(), QStringLiteral("Bu dönemde hareket yok"), QString(), QString(), QString(), QString(),
                    QString()});

    // Orders up to the report day, by state.
    doc.addSectionRow(QStringLiteral("Siparişler (durumlarına göre)"));
    QSqlQuery o = db.exec(QStringLiteral("SELECT st.adi, COUNT(*), SUM(o.genel_tutar), MAX(o.tarih) "
                                         "FROM orders o JOIN order_states st ON st.durum = o.durum "
                                         "WHERE o.carino = ? AND o.tarih < ? GROUP BY st.durum, st.adi ORDER BY st.durum"),
                          {carino, UtcTextFromLocal(QDateTime(day.addDays(1), QTime(0, 0)))});
    int states = 0;
    while (o.next()) {
        const QDateTime last = LocalFromUtcText(o.value(3).toString());
        doc.addRow({QString(), o.value(0).toString(), QStringLiteral("%1 sipariş").arg(o.value(1).toInt()),
                    QStringLiteral("son: ") + Day(last.date()), Money(ToCents(o.value(2))), QString(), QString()});
        ++states;
    }
    o.finish();
    if (states == 0)
        doc.addRow({QString(), QStringLiteral("Sipariş yok"), QString(), QString(), QString(), QString(), QString()});

    // Outstanding order lines now (they have no history of their own).
    QSqlQuery b = db.exec(QStringLiteral("SELECT COUNT(*), COALESCE(SUM(kalan), 0), "
                                         "COALESCE(SUM(kalan * net_birimfiyat), 0), "
                                         "COALESCE(SUM(kalan * net_birimfiyat * kdv / 100), 0) "
                                         "FROM order_lines WHERE carino = ? AND kalan > 0"),
                          {carino});
    b.next();
    const int openLines = b.value(0).toInt();
    const double openQuantity = b.value(1).toDouble();
    const qint64 openNet = ToCents(b.value(2));
    const qint64 openTax = ToCents(b.value(3));
    b.finish();

    doc.addTotal(QStringLiteral("Bakiye (%1)").arg(Day(day)),
                 Money(std::llabs(ToCents(age.balance))) +
                     (age.balance > 0 ? QStringLiteral(" B") : age.balance < 0 ? QStringLiteral(" A") : QString()),
                 true);
    doc.addTotal(QStringLiteral("Vadesi gelmemiş"), FormatMoneyTr(age.notDue));
    doc.addTotal(QStringLiteral("Vadesi geçmiş"), FormatMoneyTr(age.overdueTotal()));
    doc.addTotal(QStringLiteral("Açık sipariş bakiyesi (KDV dahil)"), Money(openNet + openTax));
    doc.addNote(QStringLiteral("Vadesi geçmiş borç: 1-30 gün %1 TL, 31-60 gün %2 TL, 61-90 gün %3 TL, 90 günden fazla %4 TL.")
                    .arg(FormatMoneyTr(age.overdue[0]), FormatMoneyTr(age.overdue[1]), FormatMoneyTr(age.overdue[2]),
                         FormatMoneyTr(age.overdue[3])) +
                (age.oldestDue.isValid() ? QStringLiteral(" En eski vade: %1.").arg(Day(age.oldestDue)) : QString()));
    doc.addNote(QStringLiteral("Teslim bekleyen %1 sipariş satırında %2 adet ürün var (bugünkü durum).")
                    .arg(openLines)
                    .arg(FormatQuantityTr(openQuantity)));
    if (age.balance != FromCents(a.balanceCents) && day >= QDate::currentDate())
        doc.addNote(QStringLiteral("Cari kartındaki bakiye: %1 TL.").arg(Money(a.balanceCents)));
    return Render(doc);
}

// ---- report 6 without an account: receivables by due date --------------------

QByteArray Receivables(Db &db, const Caller &user, const QDate &day, const QString &salespersonText)
{
    const SalespersonChoice who = ChooseSalesperson(db, salespersonText);
    PdfReport doc;
    doc.setOrientation(PdfReport::Orientation::Landscape);
    StartDocument(db, doc, QStringLiteral("Cari Toplu Alacak Vadeleri"),
                  Day(day) + QStringLiteral(" tarihi itibarıyla") +
                      (who.all ? QStringLiteral(" · tüm temsilciler") : QStringLiteral(" · temsilci: ") + who.name),
                  user);
    doc.setColumns({{QStringLiteral("Cari Kod"), 1.2},
                    {QStringLiteral("Cari Adı"), 2.6},
                    {QStringLiteral("Temsilci"), 1.3},
                    {QStringLiteral("Bakiye"), 1.2, Qt::AlignRight},
                    {QStringLiteral("Vadesi Gelmemiş"), 1.2, Qt::AlignRight},
                    {QStringLiteral("1-30 Gün"), 1.1, Qt::AlignRight},
                    {QStringLiteral("31-60 Gün"), 1.1, Qt::AlignRight},
                    {QStringLiteral("61-90 Gün"), 1.1, Qt::AlignRight},
                    {QStringLiteral("90+ Gün"), 1.1, Qt::AlignRight},
                    {QStringLiteral("En Eski Vade"), 1.0, Qt::AlignHCenter}});
    doc.setEmptyTableText(QStringLiteral("Listelenecek cari hesap yok"));

    QString sql = QStringLiteral("SELECT c.carino, c.carikod, c.cariadi, COALESCE(s.adi, ''), c.vade_gun "
                                 "FROM customers c LEFT JOIN salespeople s ON s.satici_no = c.satici_no");
    QVariantList binds;
    if (!who.all) {
        sql += QStringLiteral(" WHERE c.satici_no = ?");
        binds << who.number;
    }
    sql += QStringLiteral(" ORDER BY c.carikod, c.carino");
    struct Row {
        int carino, term;
        QString code, name, salesperson;
    };
    std::vector<Row> accounts;
    QSqlQuery q = db.exec(sql, binds);
    while (q.next())
        accounts.push_back({q.value(0).toInt(), q.value(4).toInt(), q.value(1).toString(), q.value(2).toString(),
                            q.value(3).toString()});
    q.finish();

    const QHash<int, Ageing> ages = AgeAccounts(db, day);
    qint64 sumBalance = 0, sumNotDue = 0, sumOverdue[4] = {0, 0, 0, 0};
    for (const Row &r : accounts) {
        const Ageing age = ages.value(r.carino);
        const qint64 balance = ToCents(age.balance);
        sumBalance += balance;
        sumNotDue += ToCents(age.notDue);
        QStringList cells{r.code, r.name, r.salesperson,
                          Money(std::llabs(balance)) + (balance > 0   ? QStringLiteral(" B")
                                                        : balance < 0 ? QStringLiteral(" A")
                                                                      : QString()),
                          Money(ToCents(age.notDue))};
        for (int i = 0; i < 4; ++i) {
            sumOverdue[i] += ToCents(age.overdue[i]);
            cells << Money(ToCents(age.overdue[i]));
        }
        cells << Day(age.oldestDue);
        doc.addRow(cells);
    }
    doc.addTotal(QStringLiteral("Cari sayısı"), QString::number(accounts.size()));
    doc.addTotal(QStringLiteral("Vadesi gelmemiş"), Money(sumNotDue));
    doc.addTotal(QStringLiteral("Vadesi geçmiş"), Money(sumOverdue[0] + sumOverdue[1] + sumOverdue[2] + sumOverdue[3]));
    doc.addTotal(QStringLiteral("Toplam bakiye"), Money(sumBalance), true);
    doc.addNote(QStringLiteral("Borç ilk giren ilk çıkar esasına göre yaşlandırılmıştır: her tahsilat en eski açık "
                               "borcu kapatır. Vade, hareketin vade tarihi, yoksa fatura tarihi ile fatura vadesinin "
                               "toplamı, o da yoksa hareket tarihidir. B: borçlu, A: alacaklı."));
    return Render(doc);
}

// ---- report 7: sales table by salesperson -------------------------------------

QByteArray SalesTable(Db &db, const Caller &user, int carino, const DayRange &range, const QString &salespersonText)
{
    Account account;
    if (carino > 0) account = LoadAccount(db, carino);
    PdfReport doc;
    doc.setOrientation(PdfReport::Orientation::Landscape);
    StartDocument(db, doc, QStringLiteral("Cari Alış Satış Tablosu (Satıcılı)"),
                  Day(range.first) + QStringLiteral(" - ") + Day(range.last), user);
    if (carino > 0) {
        doc.addField(QStringLiteral("Cari Kod"), account.code);
        doc.addField(QStringLiteral("Cari Adı"), account.name);
        doc.addField(QStringLiteral("Cari temsilcisi"),
                     salespersonText.trimmed().isEmpty() ? account.salesperson : salespersonText.trimmed());
        doc.addField(QStringLiteral("Vade"), QString::number(account.term) + QStringLiteral(" gün"));
    } else {
        doc.addField(QStringLiteral("Cari"), QStringLiteral("Tüm cari hesaplar"));
    }

    // Per salesperson and month: orders (count, net, tax-included), sales
    // invoices, return invoices, collections.
    struct Cell {
        int orders = 0;
        qint64 orderNet = 0, orderTotal = 0, sales = 0, returns = 0, collections = 0;
    };
    QMap<QString, QMap<QString, Cell>> table;  // salesperson -> "yyyy-MM" -> figures
    const QString noSalesperson = QStringLiteral("(Temsilci atanmamış)");
    auto name = [&](const QVariant &v) { return v.toString().trimmed().isEmpty() ? noSalesperson : v.toString(); };

    const QString accountFilter = carino > 0 ? QStringLiteral(" AND o.carino = ?") : QString();
    QVariantList binds{range.fromUtc, range.toUtc};
    if (carino > 0) binds << carino;
    QSqlQuery o = db.exec(QStringLiteral("SELECT sp.adi, o.tarih, o.net_tutar, o.genel_tutar FROM orders o "
                                         "LEFT JOIN salespeople sp ON sp.satici_no = o.satici_no "
                                         "WHERE o.tarih >= ? AND o.tarih < ?") +
                              accountFilter,
                          binds);
    while (o.next()) {
        const QDateTime when = LocalFromUtcText(o.value(1).toString());
        Cell &c = table[name(o.value(0))][when.toString(QStringLiteral("yyyy-MM"))];
        ++c.orders;
        c.orderNet += ToCents(o.value(2));
        c.orderTotal += ToCents(o.value(3));
    }
    o.finish();

    QVariantList mbinds{range.fromDay, range.toDay};
    if (carino > 0) mbinds << carino;
    QSqlQuery m = db.exec(QStringLiteral("SELECT COALESCE(NULLIF(i.satici_adi, ''), sp.adi), m.tarih, m.tur, m.borc, "
                                         "m.alacak FROM account_movements m "
                                         "JOIN customers c ON c.carino = m.carino "
                                         "LEFT JOIN salespeople sp ON sp.satici_no = c.satici_no "
                                         "LEFT JOIN invoices i ON i.idno = m.idno "
                                         "WHERE m.tarih >= ? AND m.tarih < ? AND m.tur IN (1, 2, 3)") +
                              (carino > 0 ? QStringLiteral(" AND m.carino = ?") : QString()),
                          mbinds);
    while (m.next()) {
        const QDate when = DateFromDayText(m.value(1).toString());
        Cell &c = table[name(m.value(0))][when.toString(QStringLiteral("yyyy-MM"))];
        switch (m.value(2).toInt()) {
        case kKindSale: c.sales += ToCents(m.value(3)); break;
        case kKindReturn: c.returns += ToCents(m.value(4)); break;
        case kKindCollection: c.collections += ToCents(m.value(4)); break;
        default: break;
        }
    }
    m.finish();

    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    doc.setColumns({{QStringLiteral("Ay"), 1.4},
                    {QStringLiteral("Sipariş"), 0.8, Qt::AlignRight},
                    {QStringLiteral("Sipariş Net"), 1.3, Qt::AlignRight},
                    {QStringLiteral("Sipariş KDV Dahil"), 1.4, Qt::AlignRight},
                    {QStringLiteral("Satış Faturası"), 1.3, Qt::AlignRight},
                    {QStringLiteral("İade Faturası"), 1.3, Qt::AlignRight},
                    {QStringLiteral("Net Satış"), 1.3, Qt::AlignRight},
                    {QStringLiteral("Tahsilat"), 1.3, Qt::AlignRight}});
    doc.setEmptyTableText(QStringLiteral("Bu tarih aralığında sipariş, fatura ya da tahsilat yok"));
    Cell grand;
    for (auto s = table.cbegin(); s != table.cend(); ++s) {
        doc.addSectionRow(QStringLiteral("Temsilci: ") + s.key());
        Cell sub;
        for (auto mo = s.value().cbegin(); mo != s.value().cend(); ++mo) {
            const Cell &c = mo.value();
            const QDate first = QDate::fromString(mo.key() + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
            doc.addRow({turkish.toString(first, QStringLiteral("MMMM yyyy")), QString::number(c.orders),
                        Money(c.orderNet), Money(c.orderTotal), Money(c.sales), Money(c.returns),
                        Money(c.sales - c.returns), Money(c.collections)});
            sub.orders += c.orders;
            sub.orderNet += c.orderNet;
            sub.orderTotal += c.orderTotal;
            sub.sales += c.sales;
            sub.returns += c.returns;
            sub.collections += c.collections;
        }
        doc.addRow({QStringLiteral("Toplam"), QString::number(sub.orders), Money(sub.orderNet), Money(sub.orderTotal),
                    Money(sub.sales), Money(sub.returns), Money(sub.sales - sub.returns), Money(sub.collections)});
        grand.orders += sub.orders;
        grand.orderNet += sub.orderNet;
        grand.orderTotal += sub.orderTotal;
        grand.sales += sub.sales;
        grand.returns += sub.returns;
        grand.collections += sub.collections;
    }
    doc.addTotal(QStringLiteral("Sipariş sayısı"), QString::number(grand.orders));
    doc.addTotal(QStringLiteral("Sipariş tutarı (KDV dahil)"), Money(grand.orderTotal));
    doc.addTotal(QStringLiteral("Tahsilat"), Money(grand.collections));
    doc.addTotal(QStringLiteral("Net satış (faturalı)"), Money(grand.sales - grand.returns), true);
    doc.addNote(QStringLiteral("Siparişler siparişin kaydedildiği temsilciye, faturalar faturadaki temsilciye, "
                               "tahsilatlar cari hesabın temsilcisine yazılır. Tutarlar TL'dir."));
    return Render(doc);
}

}  // namespace

namespace history {

namespace {

// Ages the movements of one account, fed in date order.
class DebtAger {
public:
    DebtAger(const QDate &day, int defaultTerm) : day_(day), term_(defaultTerm) {}

    // date, kind, debit, credit, own due date (may be empty), invoice term (null without an invoice)
    void add(const QString &date, int kind, const QVariant &debitValue, const QVariant &creditValue,
             const QString &dueText, const QVariant &invoiceTerm)
    {
        const QDate when = DateFromDayText(date);
        const qint64 debit = ToCents(debitValue);
        const qint64 credit = ToCents(creditValue);
        balance_ += debit - credit;
        if (debit > 0) {
            QDate due = DateFromDayText(dueText);
            if (!due.isValid()) {
                if (!invoiceTerm.isNull()) due = when.addDays(invoiceTerm.toInt());
                else if (kind == kKindSale) due = when.addDays(term_);
                else due = when;
            }
            qint64 rest = debit;
            const qint64 used = std::min(rest, advance_);  // an earlier overpayment pays it at once
            advance_ -= used;
            rest -= used;
            if (rest > 0) open_.push_back({due, rest});
        }
        qint64 pay = credit;
        while (pay > 0 && !open_.empty()) {
            const qint64 used = std::min(pay, open_.front().open);
            open_.front().open -= used;
            pay -= used;
            if (open_.front().open == 0) open_.pop_front();
        }
        advance_ += pay;
    }

    Ageing result() const
    {
        Ageing a;
        a.balance = FromCents(balance_);
        qint64 notDue = 0, overdue[4] = {0, 0, 0, 0};
        for (const Debt &d : open_) {
            const qint64 late = d.due.daysTo(day_);
            if (late <= 0) {
                notDue += d.open;
                continue;
            }
            overdue[late <= 30 ? 0 : late <= 60 ? 1 : late <= 90 ? 2 : 3] += d.open;
            if (!a.oldestDue.isValid() || d.due < a.oldestDue) a.oldestDue = d.due;
        }
        a.notDue = FromCents(notDue);
        for (int i = 0; i < 4; ++i) a.overdue[i] = FromCents(overdue[i]);
        return a;
    }

private:
    struct Debt {
        QDate due;
        qint64 open;
    };
    QDate day_;
    int term_;
    std::deque<Debt> open_;  // in movement order: credits pay the front first
    qint64 balance_ = 0;
    qint64 advance_ = 0;     // credit beyond every debit so far
};

}  // namespace

Ageing AgeAccount(Db &db, int carino, const QDate &day, int defaultTerm)
{
    DebtAger ager(day, defaultTerm);
    QSqlQuery q = db.exec(QStringLiteral("SELECT m.tarih, m.tur, m.borc, m.alacak, m.vade_tarihi, i.vade_gun "
                                         "FROM account_movements m LEFT JOIN invoices i ON i.idno = m.idno "
                                         "WHERE m.carino = ? AND m.tarih < ? ORDER BY m.tarih, m.idno"),
                          {carino, DayText(day.addDays(1))});
    while (q.next())
        ager.add(q.value(0).toString(), q.value(1).toInt(), q.value(2), q.value(3), q.value(4).toString(), q.value(5));
    return ager.result();
}

QHash<int, Ageing> AgeAccounts(Db &db, const QDate &day, int onlyCarino)
{
    QHash<int, Ageing> out;
    QString sql = QStringLiteral("SELECT m.carino, c.vade_gun, m.tarih, m.tur, m.borc, m.alacak, m.vade_tarihi, "
                                 "i.vade_gun FROM account_movements m "
                                 "JOIN customers c ON c.carino = m.carino "
                                 "LEFT JOIN invoices i ON i.idno = m.idno WHERE m.tarih < ?");
    QVariantList binds{DayText(day.addDays(1))};
    if (onlyCarino > 0) {
        sql += QStringLiteral(" AND m.carino = ?");
        binds << onlyCarino;
    }
    sql += QStringLiteral(" ORDER BY m.carino, m.tarih, m.idno");
    QSqlQuery q = db.exec(sql, binds);
    std::optional<DebtAger> ager;
    int current = 0;
    while (q.next()) {
        const int carino = q.value(0).toInt();
        if (!ager || carino != current) {
            if (ager) out.insert(current, ager->result());
            ager.emplace(day, q.value(1).toInt());
            current = carino;
        }
        ager->add(q.value(2).toString(), q.value(3).toInt(), q.value(4), q.value(5), q.value(6).toString(), q.value(7));
    }
    if (ager) out.insert(current, ager->result());
    return out;
}

}  // namespace history

QByteArray MakeReportPdf(Db &db, const ReportRequest &r)
{
    if (r.report != 6 && r.report != 7) throw MethodError("Bilinmeyen rapor numarası: " + Num(r.report));
    if (r.section != 0 && r.section != r.report)
        throw MethodError("Raporun istenen bölümü yok (rapor " + Num(r.report) + ", bölüm " + Num(r.section) + ")");
    if (r.carino < 0) throw MethodError("Geçersiz cari numarası (" + Num(r.carino) + ")");
    const Caller user = ReportUser(db, r.userId);
    if (r.report == 7) {
        const DayRange range = CalendarDays(r.tarih1, r.tarih2);
        return SalesTable(db, user, r.carino, range, r.salesperson);
    }
    const QDate day = CalendarDay(r.tarih1);
    CalendarDay(r.tarih2);  // sent as the same day; still a day
    if (r.carino > 0) return AccountSummary(db, user, r.carino, day);
    return Receivables(db, user, day, r.salesperson);
}

}  // namespace tarsel::server
