// The demo parts catalogue: a few hundred items of a Turkish parts wholesaler
// (brakes, filters, suspension, engine, ignition, clutch, bearings, lighting,
// cooling, electrics, wipers) from ten makers, fitted to common vehicles,
// with OEM numbers, prices, campaigns, new items, every stock status and a
// picture for most items; carriers, account discounts and a sample basket.
// The same tables drive the generator of large catalogues used by the
// measurements.

#include "server/democatalogue.h"

#include "server/catalogue_pricing.h"
#include "server/catalogue_search.h"
#include "server/dbpool.h"
#include "server/demodata.h"
#include "server/servermethodsbase.h"
#include "util/money.h"

#include <QDate>
#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

#include <cmath>
#include <map>
#include <memory>
#include <random>

namespace tarsel::server {

namespace {

// ---------------------------------------------------------------------------
// Reference tables

struct Maker {
    const char *name;
    const char *dpCode;    // DPKOD, also the first part of the item code
    const char *prefix;    // first part of the maker's own part numbers
    QColor colour;         // accent of its pictures
    double priceFactor;
};
const Maker kMakers[] = {
    {"ANKA", "ANK", "AN", QColor(30, 90, 170), 1.00},    {"DORUK", "DRK", "DR", QColor(200, 40, 40), 1.08},
    {"EFE", "EFE", "EF", QColor(235, 165, 0), 0.88},     {"KARTAL", "KRT", "KR", QColor(20, 120, 70), 0.95},
    {"MARMARA", "MRM", "MM", QColor(0, 120, 170), 0.92}, {"NOVA", "NVA", "NV", QColor(120, 60, 160), 1.12},
    {"SELÇUK", "SLC", "SL", QColor(200, 90, 20), 0.90},  {"TOROS", "TRS", "TR", QColor(150, 30, 40), 1.05},
    {"ZİRVE", "ZRV", "ZR", QColor(60, 60, 150), 1.15},   {"YILDIZ", "YLD", "YL", QColor(0, 150, 140), 0.97},
};
constexpr int kMakerCount = int(std::size(kMakers));

// How a vehicle maker writes its original part numbers.
enum class OemStyle { Renault, Fiat, Vw, Ford, Toyota, Hyundai, Opel, Psa, Mercedes, Bmw };

struct Vehicle {
    const char *shortName;  // in the description
    const char *model;      // MODEL
    OemStyle style;
    double priceFactor;
};
const Vehicle kVehicles[] = {
    {"CLIO IV 1.5 DCI", "RENAULT CLIO IV 1.5 DCI 2012-2019", OemStyle::Renault, 1.00},
    {"MEGANE III 1.5 DCI", "RENAULT MEGANE III 1.5 DCI 2008-2016", OemStyle::Renault, 1.05},
    {"DUSTER 1.5 DCI", "DACIA DUSTER 1.5 DCI 2010-2018", OemStyle::Renault, 0.95},
    {"EGEA 1.3 MJT", "FIAT EGEA 1.3 MULTIJET 2015-", OemStyle::Fiat, 0.95},
    {"DOBLO 1.6 MJT", "FIAT DOBLO II 1.6 MULTIJET 2010-", OemStyle::Fiat, 1.00},
    {"PASSAT B8 1.6 TDI", "VOLKSWAGEN PASSAT B8 1.6 TDI 2014-", OemStyle::Vw, 1.30},
    {"GOLF VII 1.6 TDI", "VOLKSWAGEN GOLF VII 1.6 TDI 2012-2020", OemStyle::Vw, 1.20},
    {"FOCUS III 1.6 TDCI", "FORD FOCUS III 1.6 TDCI 2011-2018", OemStyle::Ford, 1.05},
    {"TRANSIT CUSTOM 2.2 TDCI", "FORD TRANSIT CUSTOM 2.2 TDCI 2012-", OemStyle::Ford, 1.25},
    {"COROLLA 1.6 VVT-I", "TOYOTA COROLLA E180 1.6 VVT-I 2013-2019", OemStyle::Toyota, 1.15},
    {"I20 1.4", "HYUNDAI I20 1.4 2014-2020", OemStyle::Hyundai, 0.98},
    {"ASTRA J 1.6", "OPEL ASTRA J 1.6 2009-2015", OemStyle::Opel, 1.02},
    {"301 1.6 HDI", "PEUGEOT 301 1.6 HDI 2012-", OemStyle::Psa, 0.97},
    {"C-ELYSEE 1.6 HDI", "CITROEN C-ELYSEE 1.6 HDI 2012-", OemStyle::Psa, 0.97},
    {"SPRINTER 313 CDI", "MERCEDES SPRINTER 313 CDI 2006-2018", OemStyle::Mercedes, 1.45},
    {"320D E90", "BMW 3 E90 320D 2005-2011", OemStyle::Bmw, 1.40},
};
constexpr int kVehicleCount = int(std::size(kVehicles));

struct Part {
    const char *name;       // first part of the description
    const char *otherName;  // DIGERADI
    const char *mainGroup;
    const char *subGroup;
    PartShape shape;
    double basePrice;
    const char *unit;
    const char *tag;        // code letters of the item code
    int makers[3];          // indexes into kMakers
    // Parts sold by size rather than by vehicle: the sizes, '|'-separated.
    const char *sizes;
};
const Part kParts[] = {
    {"ÖN FREN BALATASI", "DİSK BALATA ÖN TAKIM", "FREN SİSTEMİ", "FREN BALATASI", PartShape::BrakePad, 850, "TAKIM", "FB", {5, 1, 7}, nullptr},
    {"ARKA FREN BALATASI", "DİSK BALATA ARKA TAKIM", "FREN SİSTEMİ", "FREN BALATASI", PartShape::BrakePad, 690, "TAKIM", "FA", {5, 1, 7}, nullptr},
    {"ÖN FREN DİSKİ", "FREN AYNASI ÖN", "FREN SİSTEMİ", "FREN DİSKİ", PartShape::BrakeDisc, 1450, "ADET", "FD", {7, 1, 0}, nullptr},
    {"ARKA FREN KAMPANASI", "KAMPANA ARKA", "FREN SİSTEMİ", "FREN KAMPANASI", PartShape::BrakeDrum, 1250, "ADET", "FK", {7, 0, 3}, nullptr},
    {"FREN ANA MERKEZİ", "FREN MERKEZİ", "FREN SİSTEMİ", "FREN MERKEZİ", PartShape::MasterCylinder, 2350, "ADET", "FM", {1, 8, 7}, nullptr},
    {"YAĞ FİLTRESİ", "", "FİLTRELER", "YAĞ FİLTRESİ", PartShape::SpinFilter, 240, "ADET", "YF", {4, 2, 9}, nullptr},
    {"HAVA FİLTRESİ", "MOTOR HAVA FİLTRESİ", "FİLTRELER", "HAVA FİLTRESİ", PartShape::PanelFilter, 310, "ADET", "HF", {4, 2, 9}, nullptr},
    {"YAKIT FİLTRESİ", "MAZOT FİLTRESİ", "FİLTRELER", "YAKIT FİLTRESİ", PartShape::SpinFilter, 420, "ADET", "MF", {4, 9, 2}, nullptr},
    {"POLEN FİLTRESİ", "KABİN FİLTRESİ", "FİLTRELER", "POLEN FİLTRESİ", PartShape::PanelFilter, 260, "ADET", "PF", {2, 4, 9}, nullptr},
    {"ÖN AMORTİSÖR", "AMORTİSÖR ÖN GAZLI", "SÜSPANSİYON VE DİREKSİYON", "AMORTİSÖR", PartShape::ShockAbsorber, 1850, "ADET", "AM", {3, 8, 0}, nullptr},
    {"ARKA AMORTİSÖR", "AMORTİSÖR ARKA GAZLI", "SÜSPANSİYON VE DİREKSİYON", "AMORTİSÖR", PartShape::ShockAbsorber, 1450, "ADET", "AA", {3, 8, 0}, nullptr},
    {"AMORTİSÖR ÜST TAKOZU", "AMORTİSÖR KULESİ", "SÜSPANSİYON VE DİREKSİYON", "TAKOZ", PartShape::Mount, 520, "ADET", "AT", {6, 3, 9}, nullptr},
    {"MOTOR TAKOZU", "MOTOR KULAĞI", "MOTOR PARÇALARI", "TAKOZ", PartShape::Mount, 780, "ADET", "MT", {6, 3, 9}, nullptr},
    {"ÖN ALT SALINCAK", "SALINCAK KOLU", "SÜSPANSİYON VE DİREKSİYON", "SALINCAK", PartShape::ControlArm, 1650, "ADET", "SA", {0, 6, 3}, nullptr},
    {"ROTİL", "ALT ROTİL", "SÜSPANSİYON VE DİREKSİYON", "ROTİL VE ROT BAŞI", PartShape::BallJoint, 430, "ADET", "RT", {0, 6, 3}, nullptr},
    {"ROT BAŞI", "ROT UCU", "SÜSPANSİYON VE DİREKSİYON", "ROTİL VE ROT BAŞI", PartShape::BallJoint, 390, "ADET", "RB", {0, 6, 3}, nullptr},
    {"TRİGER SETİ", "EKSANTRİK KAYIŞ SETİ", "MOTOR PARÇALARI", "TRİGER VE KAYIŞ", PartShape::BeltKit, 2650, "TAKIM", "TS", {8, 0, 5}, nullptr},
    {"V KANALLI KAYIŞ", "ALTERNATÖR KAYIŞI", "MOTOR PARÇALARI", "TRİGER VE KAYIŞ", PartShape::Belt, 380, "ADET", "VK", {8, 0, 5}, nullptr},
    {"DEVİRDAİM", "SU POMPASI", "MOTOR PARÇALARI", "SU POMPASI", PartShape::WaterPump, 1350, "ADET", "DV", {8, 5, 1}, nullptr},
    {"TERMOSTAT", "TERMOSTAT GÖVDESİ", "MOTOR PARÇALARI", "TERMOSTAT", PartShape::Thermostat, 480, "ADET", "TR", {9, 5, 1}, nullptr},
    {"BUJİ", "ATEŞLEME BUJİSİ", "ATEŞLEME", "BUJİ", PartShape::SparkPlug, 180, "ADET", "BJ", {5, 8, 2}, nullptr},
    {"ATEŞLEME BOBİNİ", "BOBİN", "ATEŞLEME", "BOBİN", PartShape::IgnitionCoil, 1150, "ADET", "BB", {5, 8, 2}, nullptr},
    {"DEBRİYAJ SETİ", "KAVRAMA SETİ", "DEBRİYAJ", "DEBRİYAJ SETİ", PartShape::ClutchKit, 4800, "TAKIM", "DS", {1, 7, 3}, nullptr},
    {"DEBRİYAJ BASKI RULMANI", "DEBRİYAJ RULMANI", "DEBRİYAJ", "BASKI RULMANI", PartShape::Bearing, 650, "ADET", "DR", {1, 7, 3}, nullptr},
    {"ÖN TEKER RULMANI", "ÖN BOTUN RULMANI", "RULMAN", "TEKER RULMANI", PartShape::Bearing, 720, "ADET", "TB", {0, 9, 4}, nullptr},
    {"ARKA PORYA", "ARKA TEKER GÖBEĞİ", "RULMAN", "PORYA", PartShape::Bearing, 1250, "ADET", "PR", {0, 9, 4}, nullptr},
    {"STOP LAMBASI SOL", "ARKA STOP SOL", "AYDINLATMA", "STOP LAMBASI", PartShape::Lamp, 1650, "ADET", "SL", {6, 2, 4}, nullptr},
    {"SİS FARI SAĞ", "ÖN SİS LAMBASI", "AYDINLATMA", "SİS FARI", PartShape::Lamp, 890, "ADET", "SF", {6, 2, 4}, nullptr},
    {"RADYATÖR", "MOTOR SU RADYATÖRÜ", "SOĞUTMA", "RADYATÖR", PartShape::Radiator, 3200, "ADET", "RD", {4, 6, 9}, nullptr},
    {"FAN MOTORU", "RADYATÖR FANI", "SOĞUTMA", "FAN", PartShape::Fan, 1900, "ADET", "FN", {4, 6, 9}, nullptr},
    {"RADYATÖR ÜST HORTUMU", "SU HORTUMU", "SOĞUTMA", "HORTUM", PartShape::Hose, 340, "ADET", "HR", {6, 4, 2}, nullptr},
    {"MARŞ MOTORU", "STARTER", "ELEKTRİK", "MARŞ VE ŞARJ", PartShape::Motor, 4200, "ADET", "MR", {8, 7, 5}, nullptr},
    {"ALTERNATÖR", "ŞARJ DİNAMOSU", "ELEKTRİK", "MARŞ VE ŞARJ", PartShape::Motor, 5200, "ADET", "AL", {8, 7, 5}, nullptr},
    {"ABS SENSÖRÜ ÖN", "TEKER HIZ SENSÖRÜ", "ELEKTRİK", "SENSÖR", PartShape::Sensor, 560, "ADET", "AS", {9, 5, 0}, nullptr},
    {"OKSİJEN SENSÖRÜ", "LAMBDA SONDASI", "ELEKTRİK", "SENSÖR", PartShape::Sensor, 1350, "ADET", "OS", {9, 5, 0}, nullptr},
    // Sold by size: one item per size, for every vehicle.
    {"AMPUL", "FAR AMPULÜ", "AYDINLATMA", "AMPUL", PartShape::Bulb, 95, "ADET", "AP", {2, 6, 4},
     "H1 12V 55W|H4 12V 60/55W|H7 12V 55W|H11 12V 55W|P21W 12V|W5W 12V"},
    {"AKÜ", "BATARYA", "ELEKTRİK", "AKÜ", PartShape::Battery, 2600, "ADET", "AK", {8, 3, 9},
     "12V 45AH 400A|12V 60AH 540A|12V 72AH 680A|12V 90AH 800A|12V 100AH 850A"},
    {"SİLECEK SÜPÜRGESİ", "SİLECEK LASTİĞİ", "SİLECEK", "SİLECEK", PartShape::WiperBlade, 210, "ADET", "SS", {2, 4, 6},
     "350 MM|400 MM|450 MM|500 MM|550 MM|600 MM|650 MM"},
};
constexpr int kPartCount = int(std::size(kParts));

// Deterministic numbers from a seed (splitmix64).
class Numbers {
public:
    explicit Numbers(quint64 seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    quint64 next()
    {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % quint64(n)); }
    QString digits(int n)
    {
        QString s;
        for (int i = 0; i < n; ++i) s += QChar(u'0' + below(10));
        return s;
    }
    QString letters(int n)
    {
        QString s;
        for (int i = 0; i < n; ++i) s += QChar(u'A' + below(26));
        return s;
    }

private:
    quint64 state_;
};

QString OemNumber(OemStyle style, Numbers &n)
{
    switch (style) {
    case OemStyle::Renault:
        return n.below(3) == 0 ? QStringLiteral("41 06 0%1 %2R").arg(n.digits(2), n.digits(2))
                               : QStringLiteral("77 01 %1 %2").arg(n.digits(3), n.digits(3));
    case OemStyle::Fiat: return QStringLiteral("5%1").arg(n.digits(7));
    case OemStyle::Vw: return QStringLiteral("%1 %2 %3 %4").arg(n.digits(1) + n.letters(1) + n.digits(1), n.digits(3), n.digits(3), n.letters(n.below(2) + 1));
    case OemStyle::Ford: return QStringLiteral("%1%2-%3-%4").arg(n.letters(2), n.digits(2), n.digits(1) + n.letters(1) + n.digits(3), n.letters(2));
    case OemStyle::Toyota: return QStringLiteral("%1-%2").arg(n.digits(5), n.digits(5));
    case OemStyle::Hyundai: return QStringLiteral("%1-%2").arg(n.digits(5), n.digits(1) + n.letters(2) + n.digits(2));
    case OemStyle::Opel: return QStringLiteral("%1 %2 %3").arg(n.digits(2), n.digits(3), n.digits(3));
    case OemStyle::Psa: return n.below(2) ? QStringLiteral("%1.%2").arg(n.digits(4), n.letters(1) + n.digits(1))
                                          : QStringLiteral("%1 %2 %3").arg(n.digits(4), n.digits(4), n.digits(2));
    case OemStyle::Mercedes: return QStringLiteral("A %1 %2 %3 %4").arg(n.digits(3), n.digits(3), n.digits(2), n.digits(2));
    case OemStyle::Bmw: return QStringLiteral("%1 %2 %3 %4 %5").arg(n.digits(2), n.digits(2), n.digits(1), n.digits(3), n.digits(3));
    }
    return {};
}

// A valid EAN-13 with the Turkish prefix 869.
QString Ean13(Numbers &n)
{
    QString code = QStringLiteral("869") + n.digits(9);
    int sum = 0;
    for (int i = 0; i < 12; ++i) sum += (code.at(i).unicode() - u'0') * (i % 2 ? 3 : 1);
    code += QChar(u'0' + (10 - sum % 10) % 10);
    return code;
}

// A shop price: rounded to 5 lira, ending in ,90.
double ShopPrice(double value)
{
    return RoundTo2Decimals(std::max(5.0, std::round(value / 5.0) * 5.0) - 0.10);
}

// ---------------------------------------------------------------------------
// Items

struct Item {
    int stokno = 0;
    QString code, ean, name, otherName, maker, makerCode, finishCode, model, unit;
    QString oem[4], oemNo, mainGroup, subGroup, specialCode, dpCode, priceCode;
    double vat = 20, listPrice = 0, campaignPrice = 0;
    bool campaign = false, isNew = false, active = true;
    QString newSince;
    int status = 1;
    double onHand = 0, ordered = 0, onOrder = 0;
    PartShape shape = PartShape::BrakePad;
    int makerIndex = 0;
    bool picture = true;
};

// Fills the figures that vary from item to item: status, quantities,
// campaign, new, picture.
void Vary(Item &it, Numbers &n, bool curated)
{
    // Status spread: mostly in stock, every other state present.
    static const int kStatusWheel[] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 2, 3, 3, 4, 5, 1, 1, 0, 5};
    it.status = kStatusWheel[n.below(int(std::size(kStatusWheel)))];
    it.onHand = it.status == 1 ? 2 + n.below(140) : 0;
    it.ordered = n.below(4) == 0 ? 1 + n.below(25) : 0;
    it.onOrder = (it.status == 3 || it.status == 5 || n.below(5) == 0) ? 10 + n.below(200) : 0;
    it.campaign = n.below(curated ? 11 : 20) == 0;
    if (it.campaign) it.campaignPrice = RoundTo2Decimals(it.listPrice * (0.70 + 0.05 * n.below(4)));
    it.isNew = n.below(curated ? 9 : 40) == 0;
    if (it.isNew)
        it.newSince = QDate::currentDate().addDays(-n.below(60)).toString(QStringLiteral("yyyy-MM-dd"));
    it.picture = curated ? n.below(8) != 0 : n.below(10) == 0;
    static const char *kSpecial[] = {"A", "B", "C", "B", "A"};
    it.specialCode = QString::fromLatin1(kSpecial[n.below(5)]);
    it.priceCode = QStringLiteral("P%1").arg(1 + n.below(4));
}

Item MakeItem(int stokno, int partIndex, int vehicleIndex, int sizeIndex, int makerSlot, Numbers &n, bool curated)
{
    const Part &part = kParts[partIndex];
    Item it;
    it.stokno = stokno;
    it.makerIndex = part.makers[makerSlot % 3];
    const Maker &maker = kMakers[it.makerIndex];
    it.maker = QString::fromUtf8(maker.name);
    it.dpCode = QString::fromLatin1(maker.dpCode);
    it.code = QStringLiteral("%1-%2%3").arg(it.dpCode, QString::fromLatin1(part.tag), n.digits(4));
    it.makerCode = QStringLiteral("%1 %2 %3").arg(QString::fromLatin1(maker.prefix), n.digits(3), n.digits(3));
    it.ean = Ean13(n);
    it.mainGroup = QString::fromUtf8(part.mainGroup);
    it.subGroup = QString::fromUtf8(part.subGroup);
    it.unit = QString::fromLatin1(part.unit);
    it.shape = part.shape;
    it.otherName = QString::fromUtf8(part.otherName);
    double factor = maker.priceFactor;
    if (part.sizes) {
        const QStringList sizes = QString::fromUtf8(part.sizes).split(QLatin1Char('|'));
        const QString size = sizes.at(sizeIndex % sizes.size());
        it.name = QString::fromUtf8(part.name) + QLatin1Char(' ') + size;
        it.model = QStringLiteral("UNİVERSAL");
        factor *= 1.0 + 0.12 * (sizeIndex % sizes.size());
        it.oem[0] = QStringLiteral("%1 %2").arg(QString::fromLatin1(maker.prefix), n.digits(5));
    } else {
        const Vehicle &v = kVehicles[vehicleIndex];
        it.name = QString::fromUtf8(part.name) + QLatin1Char(' ') + QString::fromLatin1(v.shortName);
        it.model = QString::fromLatin1(v.model);
        factor *= v.priceFactor;
        const int oems = 1 + n.below(3);
        for (int i = 0; i < oems; ++i) it.oem[i] = OemNumber(v.style, n);
        if (n.below(6) == 0) it.oem[3] = OemNumber(v.style, n);
        if (v.style == OemStyle::Ford) it.finishCode = QString::number(1000000 + n.below(9000000));
    }
    it.oemNo = it.oem[0];
    it.listPrice = ShopPrice(part.basePrice * factor * (0.92 + 0.04 * n.below(5)));
    Vary(it, n, curated);
    return it;
}

QString PictureType(const QByteArray &bytes)
{
    return bytes.startsWith("\x89PNG") ? QStringLiteral("image/png") : QStringLiteral("image/jpeg");
}

// Writes items with statements prepared once.
class ItemWriter {
public:
    explicit ItemWriter(Db &db) : database_(db.database()), stock_(database_), picture_(database_)
    {
        prepare(stock_, QStringLiteral(
                            "INSERT INTO stock (stokno, barkod, barkod_no, adi, diger_adi, marka, uretici_kodu, "
                            "finish_kod, model, birim, oem1, oem2, oem3, oem4, oemno, ana_grup, alt_grup, ozel_kod, "
                            "dp_kod, p_kod, kdv, liste_fiyat, kamp_fiyat, kampanya, yeni, yeni_tarih, durum, kalan, "
                            "alinan_siparis, verilen_siparis, aktif, arama) "
                            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                            "?, ?, ?, ?, ?)"));
        prepare(picture_, QStringLiteral("INSERT INTO stock_pictures (stokno, resim, tur) VALUES (?, ?, ?)"));
    }

    void write(const Item &it, const QByteArray &picture)
    {
        StockSearchFields f;
        f.code = it.code;
        f.description = it.name;
        f.otherName = it.otherName;
        for (int i = 0; i < 4; ++i) f.oem[i] = it.oem[i];
        f.oemNo = it.oemNo;
        f.makerCode = it.makerCode;
        const QStringList tokens = StockTokens(f);
        run(stock_, {it.stokno, it.code, it.ean, it.name, it.otherName, it.maker, it.makerCode, it.finishCode,
                     it.model, it.unit, it.oem[0], it.oem[1], it.oem[2], it.oem[3], it.oemNo, it.mainGroup,
                     it.subGroup, it.specialCode, it.dpCode, it.priceCode, it.vat, it.listPrice,
                     it.campaign ? it.campaignPrice : 0.0, it.campaign ? 1 : 0, it.isNew ? 1 : 0, it.newSince,
                     it.status, it.onHand, it.ordered, it.onOrder, it.active ? 1 : 0, StockSearchText(tokens)});
        // All words of an item in one statement (one round trip), prepared
        // once per number of words.
        if (!tokens.isEmpty()) {
            auto found = tokenInserts_.find(int(tokens.size()));
            if (found == tokenInserts_.end()) {
                QStringList rows;
                for (qsizetype i = 0; i < tokens.size(); ++i) rows << QStringLiteral("(?, ?)");
                auto q = std::make_unique<QSqlQuery>(database_);
                prepare(*q, QStringLiteral("INSERT INTO stock_tokens (token, stokno) VALUES ") + rows.join(u','));
                found = tokenInserts_.emplace(int(tokens.size()), std::move(q)).first;
            }
            QVariantList binds;
            for (const QString &t : tokens) binds << t << it.stokno;
            run(*found->second, binds);
        }
        if (!picture.isEmpty()) run(picture_, {it.stokno, picture, PictureType(picture)});
    }

private:
    static void prepare(QSqlQuery &q, const QString &sql)
    {
        if (!q.prepare(sql)) throw DbError(q.lastError().text().toStdString(), false, sql.toStdString());
    }
    static void run(QSqlQuery &q, const QVariantList &binds)
    {
        // Empty texts are stored as '' (the columns are NOT NULL).
        for (int i = 0; i < binds.size(); ++i)
            q.bindValue(i, binds[i].typeId() == QMetaType::QString && binds[i].toString().isNull()
                               ? QVariant(QStringLiteral(""))
                               : binds[i]);
        if (!q.exec()) throw DbError(q.lastError().text().toStdString(), false, q.lastQuery().toStdString());
    }

    QSqlDatabase database_;
    QSqlQuery stock_, picture_;
    std::map<int, std::unique_ptr<QSqlQuery>> tokenInserts_;
};

// Pictures are drawn once per kind of part, maker and variant.
class PictureCache {
public:
    const QByteArray &get(PartShape shape, int maker, int variant)
    {
        const int key = (int(shape) * 64 + maker) * 8 + variant;
        auto it = cache_.find(key);
        if (it == cache_.end()) it = cache_.emplace(key, PartPicture(shape, kMakers[maker].colour, variant)).first;
        return it->second;
    }

private:
    std::map<int, QByteArray> cache_;
};

// ---------------------------------------------------------------------------
// Carriers, prices, sample basket

void SeedCarriers(Db &db)
{
    const struct {
        int no;
        const char *name;
    } delivery[] = {{1, "Depodan Teslim Alınacak"}, {2, "Adrese Teslim"}};
    for (int i = 0; i < int(std::size(delivery)); ++i)
        db.exec(QStringLiteral("INSERT INTO delivery_types (sirano, adi, sira) VALUES (?, ?, ?)"),
                {delivery[i].no, QString::fromUtf8(delivery[i].name), i + 1});
    const struct {
        int no;
        const char *name;
    } types[] = {{1, "Alıcı Ödemeli Kargo"}, {2, "Gönderici Ödemeli Kargo"}, {3, "Firma Aracı"}, {4, "Ambar / Nakliye"}};
    for (int i = 0; i < int(std::size(types)); ++i)
        db.exec(QStringLiteral("INSERT INTO carrier_types (sirano, adi, sira) VALUES (?, ?, ?)"),
                {types[i].no, QString::fromUtf8(types[i].name), i + 1});
    // The same carrier under two carrier types, with different warnings.
    const struct {
        const char *name;
        const char *warning;
        int type;
    } carriers[] = {
        {"Anadolu Kargo", "", 1},
        {"Marmara Ekspres", "Alıcı ödemeli gönderilerde 30 kg üzeri koliler kabul edilmiyor.", 1},
        {"Hızlı Kargo", "Hızlı Kargo yalnız il merkezlerine teslim ediyor.", 1},
        {"Anadolu Kargo", "Gönderici ödemeli kargo 2.500 TL ve üzeri siparişlerde geçerlidir.", 2},
        {"Marmara Ekspres", "Gönderici ödemeli kargo 2.500 TL ve üzeri siparişlerde geçerlidir.", 2},
        {"Firma Aracı - Avrupa Yakası", "Firma aracı her gün 14:00'te depodan çıkar.", 3},
        {"Firma Aracı - Anadolu Yakası", "Firma aracı her gün 15:30'da depodan çıkar.", 3},
        {"Karadeniz Ambarı", "Ambar teslimlerinde nakliye ücreti alıcıya aittir.", 4},
        {"Ege Nakliyat", "Ambar teslimlerinde nakliye ücreti alıcıya aittir.", 4},
    };
    for (int i = 0; i < int(std::size(carriers)); ++i)
        db.exec(QStringLiteral("INSERT INTO carriers (adi, uyari, kargo_turu, sira) VALUES (?, ?, ?, ?)"),
                {QString::fromUtf8(carriers[i].name), QString::fromUtf8(carriers[i].warning), carriers[i].type, i + 1});
}

void SeedAccountPrices(Db &db, const std::vector<Item> &items)
{
    auto rule = [&](int carino, const char *maker, const char *group, Rates r) {
        db.exec(QStringLiteral("INSERT INTO customer_discounts (carino, marka, ana_grup, ind1, ind2, ind3, ind4) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                {carino, QString::fromUtf8(maker), QString::fromUtf8(group), r[0], r[1], r[2], r[3]});
    };
    // 1201: a general discount with better terms for one maker and for filters.
    rule(1201, "", "", {10, 5, 0, 0});
    rule(1201, "NOVA", "", {15, 5, 0, 0});
    rule(1201, "", "FİLTRELER", {20, 0, 0, 0});
    rule(1201, "TOROS", "FREN SİSTEMİ", {15, 5, 3, 0});
    // 1202: its card discount (7.5) in general, a maker-and-group deal.
    rule(1202, "TOROS", "FREN SİSTEMİ", {12, 5, 2, 0});
    rule(1202, "KARTAL", "", {10, 2.5, 0, 0});
    // 1203 has no rules: its card discount (3) applies.

    // A few agreed net prices for 1201.
    int given = 0;
    for (const Item &it : items) {
        if (it.campaign || !it.active || it.stokno % 23 != 0) continue;
        db.exec(QStringLiteral("INSERT INTO customer_prices (carino, stokno, fiyat, ind1) VALUES (?, ?, ?, ?)"),
                {1201, it.stokno, ShopPrice(it.listPrice * 0.85), given % 2 ? 2.0 : 0.0});
        if (++given == 6) break;
    }
}

// A basket for the first demo account, so the basket tab has something to
// show: three lines, two of them selected.
void SeedSampleBasket(Db &db, const std::vector<Item> &items)
{
    const QVariant user = db.scalar(QStringLiteral("SELECT sirano FROM users WHERE carino = ? ORDER BY sirano"), {1201});
    if (!user.isValid()) return;
    const AccountPricing account = LoadAccountPricing(db, 1201);
    db.exec(QStringLiteral("INSERT INTO baskets (carino) VALUES (?)"), {1201});
    int added = 0;
    for (const Item &it : items) {
        if (!it.active || it.status != 1 || it.stokno % 7 != 3) continue;
        StockPriceInput in;
        in.manufacturer = it.maker;
        in.mainGroup = it.mainGroup;
        in.listPrice = it.listPrice;
        in.campaignPrice = it.campaignPrice;
        in.campaign = it.campaign;
        in.vatRate = it.vat;
        const QVariant special = db.scalar(
            QStringLiteral("SELECT fiyat FROM customer_prices WHERE carino = ? AND stokno = ?"), {1201, it.stokno});
        if (special.isValid()) continue;  // keep the sample simple
        const ItemPrice price = PriceItem(account, in);
        const double quantity = 1 + added * 2;
        const LineAmounts a = ComputeLineAmounts(price.price, quantity, price.rates, it.vat);
        db.exec(QStringLiteral("INSERT INTO basket_lines (carino, stokno, barkod, stokadi, miktar, birimfiyat, "
                               "ilk_fiyat, ind1, ind2, ind3, ind4, kdv, k, tutar, indirim_tutar, net_birimfiyat, "
                               "net_tutar, vergi_tutari, sec, veren_id, verilis_tarihi) "
                               "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                {1201, it.stokno, it.code, it.name, quantity, price.price, price.price, price.rates[0],
                 price.rates[1], price.rates[2], price.rates[3], it.vat, price.k, a.amount, a.discountAmount,
                 a.netUnitPrice, a.netAmount, a.taxAmount, added == 2 ? 0 : 1, user,
                 QDateTime::currentDateTimeUtc().addSecs(-3600 * (3 - added)).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))});
        if (++added == 3) break;
    }
}

}  // namespace

void SeedCatalogueDemo(Db &db)
{
    Numbers n(20250314);
    std::vector<Item> items;
    int stokno = 10001;
    for (int p = 0; p < kPartCount; ++p) {
        const Part &part = kParts[p];
        if (part.sizes) {
            const int sizes = int(QString::fromUtf8(part.sizes).count(QLatin1Char('|'))) + 1;
            for (int s = 0; s < sizes; ++s) items.push_back(MakeItem(stokno++, p, 0, s, s, n, true));
            continue;
        }
        // Eight vehicles per part, a different eight for neighbouring parts.
        for (int i = 0; i < 8; ++i) {
            const int v = (p * 5 + i * 2) % kVehicleCount;
            items.push_back(MakeItem(stokno++, p, v, 0, i, n, true));
        }
    }
    // One item withdrawn from sale: stored, never listed.
    items.back().active = false;

    ItemWriter writer(db);
    PictureCache pictures;
    for (const Item &it : items)
        writer.write(it, it.picture ? pictures.get(it.shape, it.makerIndex, it.stokno % 5) : QByteArray());
    SeedCarriers(db);
    SeedAccountPrices(db, items);
    SeedSampleBasket(db, items);
}

void SeedLargeCatalogue(Db &db, int itemCount, int firstStokno, unsigned seed,
                        const std::function<void(int)> &progress)
{
    if (itemCount <= 0) return;
    Numbers n(seed);
    PictureCache pictures;
    constexpr int kBatch = 5000;
    int written = 0;
    while (written < itemCount) {
        const int batch = std::min(kBatch, itemCount - written);
        db.transaction([&] {
            ItemWriter writer(db);
            for (int i = 0; i < batch; ++i) {
                const int p = n.below(kPartCount);
                const int v = n.below(kVehicleCount);
                Item it = MakeItem(firstStokno + written + i, p, v, n.below(8), n.below(3), n, false);
                // Pictures of the large catalogue share a few small encodings.
                writer.write(it, it.picture ? pictures.get(it.shape, it.makerIndex, 0) : QByteArray());
            }
        });
        written += batch;
        if (progress) progress(written);
    }
}

}  // namespace tarsel::server
