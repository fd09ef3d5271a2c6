// Demo order history: for each demo account, orders of the last five months
// placed by its dealer user and by the two sales staff users, in every
// state, priced from the demo catalogue as the account sees it. Older
// orders are shipped, some with a line delivered only in part (an
// outstanding balance of an item on its way); the orders in preparation
// are partly delivered; the newest are not yet delivered at all.

#include "server/demodata.h"

#include "server/catalogue_pricing.h"
#include "server/dbpool.h"
#include "server/historysupport.h"
#include "util/money.h"

#include <QDateTime>
#include <QHash>
#include <QTimeZone>

#include <cmath>
#include <vector>

namespace tarsel::server {

namespace {

// A small deterministic generator, so that the demo data is the same on
// every set-up.
class Numbers {
public:
    explicit Numbers(quint32 seed) : state_(seed) {}
    int below(int n)
    {
        state_ = state_ * 1103515245u + 12345u;
        return int((state_ >> 8) % quint32(n));
    }

private:
    quint32 state_;
};

struct StockItem {
    int stokno = 0;
    QString code, name;
    int status = 1;
    double vat = 20;
    StockPriceInput price;
};

struct DemoUserRow {
    qint64 sirano = 0;
    QString name, machine;
    int type = 0;
    QVariant salesperson;  // the user's own (sales staff)
};

// One planned order: how many days ago, its state, which user places it.
struct Plan {
    int daysAgo;
    int state;
    int placer;  // index into the account's placers
    const char *customerNote;
    const char *takerNote;
    const char *salespersonNote;
};

// Every account gets every state; the newer an order, the earlier its state.
const Plan kPlans[] = {
    {148, 7, 0, "Haftalık stok siparişimizdir.", "Sevkiyat tamamlandı.", ""},
    {121, 7, 1, "", "Eksik kalem tedarikçiden bekleniyor, gelince gönderilecek.", "Müşteriye bilgi verildi."},
    {96, 7, 0, "Faturayı e-posta ile gönderiniz.", "", ""},
    {71, 7, 2, "", "Kampanya fiyatları uygulandı.", "Vade 60 gün olarak görüşüldü."},
    {52, 5, 0, "Acil olanları önce gönderebilirsiniz.", "Mevcut kalemler hazırlandı, kalanlar yolda.", ""},
    {33, 6, 1, "", "Sevke hazır, kargo bekleniyor.", ""},
    {19, 5, 2, "Kısmi sevkiyat olabilir.", "Bir kısmı hazırlandı.", "Kalanlar için tedarikçiye sipariş geçildi."},
    {11, 4, 0, "", "", ""},
    {6, 3, 1, "Cuma gününe kadar ulaşması gerekiyor.", "Sipariş onaylandı.", ""},
    {2, 2, 0, "Lütfen aynı koliye koyunuz.", "", ""},
    {0, 2, 2, "", "", ""},
};

QString UtcText(const QDateTime &local) { return history::UtcTextFromLocal(local); }

}  // namespace

void SeedHistoryDemo(Db &db)
{
    // The catalogue the orders are made of: items on sale, by number.
    std::vector<StockItem> stock;
    {
        QSqlQuery q = db.exec(QStringLiteral("SELECT stokno, barkod, adi, durum, kdv, marka, ana_grup, liste_fiyat, "
                                             "kamp_fiyat, kampanya FROM stock WHERE aktif = 1 ORDER BY stokno"));
        while (q.next()) {
            StockItem s;
            s.stokno = q.value(0).toInt();
            s.code = q.value(1).toString();
            s.name = q.value(2).toString();
            s.status = q.value(3).toInt();
            s.vat = q.value(4).toDouble();
            s.price.manufacturer = q.value(5).toString();
            s.price.mainGroup = q.value(6).toString();
            s.price.listPrice = q.value(7).toDouble();
            s.price.campaignPrice = q.value(8).toDouble();
            s.price.campaign = q.value(9).toInt() == 1;
            s.price.vatRate = s.vat;
            stock.push_back(s);
        }
    }
    if (stock.size() < 10) return;  // no catalogue to order from

    // Users by name, and the first delivery type, carrier types and carriers.
    QHash<QString, DemoUserRow> users;
    {
        QSqlQuery q = db.exec(QStringLiteral("SELECT sirano, adi, musteri_tipi, satici_no FROM users"));
        while (q.next())
            users.insert(q.value(1).toString(),
                         {q.value(0).toLongLong(), q.value(1).toString(), QString(), q.value(2).toInt(), q.value(3)});
        for (const DemoUser &u : kDemoUsers)
            if (users.contains(QString::fromUtf8(u.name)))
                users[QString::fromUtf8(u.name)].machine = QString::fromUtf8(u.demoMachine);
    }
    struct Delivery {
        int no;
        QString name;
    };
    std::vector<Delivery> deliveries;
    {
        QSqlQuery q = db.exec(QStringLiteral("SELECT sirano, adi FROM delivery_types ORDER BY sira, sirano"));
        while (q.next()) deliveries.push_back({q.value(0).toInt(), q.value(1).toString()});
    }
    struct Carrier {
        qint64 no;
        QString name;
        int type;
        QString typeName;
    };
    std::vector<Carrier> carriers;
    {
        QSqlQuery q = db.exec(QStringLiteral("SELECT c.sirano, c.adi, c.kargo_turu, t.adi FROM carriers c "
                                             "JOIN carrier_types t ON t.sirano = c.kargo_turu "
                                             "WHERE c.aktif = 1 ORDER BY t.sira, c.sira, c.sirano"));
        while (q.next())
            carriers.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toInt(), q.value(3).toString()});
    }
    if (deliveries.empty() || carriers.empty()) return;

    // Accounts with the users who order for them: the dealer user first
    // (1203 has none: its orders come through the sales staff).
    const struct {
        int carino;
        const char *placers[3];
        quint32 seed;
    } accounts[] = {
        {1201, {"BAYI", "SATIS", "TEMSILCI"}, 1201},
        {1202, {"BAYI4", "TEMSILCI", "SATIS"}, 1202},
        {1203, {"SATIS", "TEMSILCI", "SATIS"}, 1203},
    };

    const QDateTime now = QDateTime::currentDateTime();
    for (const auto &acc : accounts) {
        const QVariant accountSalesperson =
            db.scalar(QStringLiteral("SELECT satici_no FROM customers WHERE carino = ?"), {acc.carino});
        if (!accountSalesperson.isValid()) continue;  // account not there
        const AccountPricing pricing = LoadAccountPricing(db, acc.carino);
        QHash<int, std::pair<double, Rates>> special;  // the account's own prices
        {
            QSqlQuery q = db.exec(QStringLiteral("SELECT stokno, fiyat, ind1, ind2, ind3, ind4 FROM customer_prices "
                                                 "WHERE carino = ?"),
                                  {acc.carino});
            while (q.next())
                special.insert(q.value(0).toInt(),
                               {q.value(1).toDouble(),
                                Rates{q.value(2).toDouble(), q.value(3).toDouble(), q.value(4).toDouble(),
                                      q.value(5).toDouble()}});
        }
        Numbers n(acc.seed);
        for (const Plan &plan : kPlans) {
            const QString placerName = QString::fromUtf8(acc.placers[plan.placer]);
            if (!users.contains(placerName)) continue;
            const DemoUserRow &placer = users[placerName];
            const bool staff = placer.type == 1 || placer.type == 2;
            const QVariant salesperson =
                staff && !placer.salesperson.isNull() ? placer.salesperson : accountSalesperson;
            // A working-hours moment of that day; today's order an hour ago.
            QDateTime placed = plan.daysAgo == 0
                                   ? now.addSecs(-3600)
                                   : QDateTime(now.date().addDays(-plan.daysAgo), QTime(9 + n.below(8), n.below(60)));
            const Delivery &delivery = deliveries[std::size_t(n.below(int(deliveries.size())))];
            const Carrier &carrier = carriers[std::size_t(n.below(int(carriers.size())))];

            // The lines: two to five different items.
            struct Line {
                const StockItem *item;
                double quantity, delivered, price;
                Rates rates;
                int k;
                LineAmounts amounts;
            };
            std::vector<Line> lines;
            const int count = 2 + n.below(4);
            while (int(lines.size()) < count) {
                const StockItem &item = stock[std::size_t(n.below(int(stock.size())))];
                bool twice = false;
                for (const Line &l : lines) twice = twice || l.item->stokno == item.stokno;
                if (twice) continue;
                StockPriceInput in = item.price;
                if (special.contains(item.stokno)) {
                    in.specialPrice = special[item.stokno].first;
                    in.specialRates = special[item.stokno].second;
                }
                const ItemPrice price = PriceItem(pricing, in);
                Line l{&item, double(1 + n.below(12)), 0, price.price, price.rates, price.k, {}};
                l.amounts = ComputeLineAmounts(l.price, l.quantity, l.rates, item.vat);
                lines.push_back(l);
            }
            // Deliveries by state: shipped orders are delivered except an
            // item that is not in stock, which stays partly outstanding;
            // orders in preparation have some lines partly delivered.
            for (std::size_t i = 0; i < lines.size(); ++i) {
                Line &l = lines[i];
                switch (plan.state) {
                case 7:
                    l.delivered = l.item->status == 1 || l.quantity < 2 ? l.quantity : std::floor(l.quantity / 2);
                    if (i == 0 && plan.daysAgo < 130 && l.quantity >= 2) l.delivered = l.quantity - 1;
                    break;
                case 5:
                    l.delivered = i % 2 == 0 ? std::floor(l.quantity / 2) : 0;
                    break;
                default:
                    l.delivered = 0;
                    break;
                }
            }

            double total = 0, discount = 0, tax = 0;
            for (const Line &l : lines) {
                total = RoundTo2Decimals(total + l.amounts.amount);
                discount = RoundTo2Decimals(discount + l.amounts.discountAmount);
                tax = RoundTo2Decimals(tax + l.amounts.taxAmount);
            }
            const double net = RoundTo2Decimals(total - discount);
            QSqlQuery ins = db.exec(
                QStringLiteral("INSERT INTO orders (carino, tarih, durum, veren_id, veren, satici_no, teslim_id, "
                               "teslim, kargo_turu_id, kargo_turu, kargo_id, kargo_adi, aciklama, alan_notu, "
                               "satici_notu, tutar, indirim_tutar, net_tutar, vergi, genel_tutar, bilgisayar_id) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING idno"),
                {acc.carino, UtcText(placed), plan.state, placer.sirano, placer.name, salesperson, delivery.no,
                 delivery.name, carrier.type, carrier.typeName, carrier.no, carrier.name,
                 QString::fromUtf8(plan.customerNote), QString::fromUtf8(plan.takerNote),
                 QString::fromUtf8(plan.salespersonNote), total, discount, net, tax, RoundTo2Decimals(net + tax),
                 placer.machine});
            if (!ins.next()) throw DbError("demo: no number for the new order");
            const qint64 idno = ins.value(0).toLongLong();
            ins.finish();
            int minute = int(lines.size()) * 3;
            for (const Line &l : lines) {
                db.exec(QStringLiteral("INSERT INTO order_lines (idno, sepet_sirano, carino, stokno, barkod, stokadi, "
                                       "miktar, teslim_edilen, kalan, birimfiyat, ilk_fiyat, ind1, ind2, ind3, ind4, "
                                       "kdv, k, tutar, indirim_tutar, net_birimfiyat, net_tutar, vergi_tutari, "
                                       "veren_id, verilis_tarihi) "  // sepet_sirano 0: made without a basket
                                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                        {idno, 0, acc.carino, l.item->stokno, l.item->code, l.item->name, l.quantity,
                         l.delivered, l.quantity - l.delivered, l.price, l.price, l.rates[0], l.rates[1], l.rates[2],
                         l.rates[3], l.item->vat, l.k, l.amounts.amount, l.amounts.discountAmount,
                         l.amounts.netUnitPrice, l.amounts.netAmount, l.amounts.taxAmount, placer.sirano,
                         UtcText(placed.addSecs(-60 * minute))});
                minute -= 3;
            }
        }
    }
}

}  // namespace tarsel::server
