// The basket's rules without windows: totals over the selected lines and
// the rows they show, the checks before sending and their order, the
// confirmation summary, the carrier and delivery lists, and the arguments
// of the basket line operations.

#include "basket/basketlogic.h"
#include "remote/baglantiu.h"
#include "wire/datatable.h"

#include <gtest/gtest.h>

using namespace tarsel;

namespace {

struct Line {
    int sec;
    double tutar, indirim, vergi;
};

DataTable Basket(const std::vector<Line> &lines)
{
    DataTable t;
    t.addColumn(QStringLiteral("SIRANO"), FieldType::Int32);
    t.addColumn(QStringLiteral("SEC"), FieldType::Int32);
    t.addColumn(QStringLiteral("TUTAR"), FieldType::Float64);
    t.addColumn(QStringLiteral("INDIRIMTUTAR"), FieldType::Float64);
    t.addColumn(QStringLiteral("VERGITUTARI"), FieldType::Float64);
    int sirano = 1;
    for (const Line &l : lines) t.appendRow({sirano++, l.sec, l.tutar, l.indirim, l.vergi});
    return t;
}

}  // namespace

TEST(BasketTotals, Table)
{
    const struct {
        const char *name;
        std::vector<Line> lines;
        double T, D, N, V, G;
        bool discountRow, taxRow;
    } cases[] = {
        {"all selected", {{1, 100, 10, 16.20}, {1, 50, 0, 9}, {1, 25.55, 0.55, 4.5}}, 175.55, 10.55, 165.00, 29.70,
         194.70, true, true},
        {"second not selected", {{1, 100, 10, 16.20}, {0, 50, 0, 9}, {1, 25.55, 0.55, 4.5}}, 125.55, 10.55, 115.00,
         20.70, 135.70, true, true},
        {"none selected", {{0, 100, 10, 16.20}, {0, 50, 0, 9}}, 0, 0, 0, 0, 0, false, false},
        {"discount 1.00 hides its row", {{1, 100, 1.00, 1.00}}, 100, 1, 99, 1, 100, false, false},
        {"discount 1.01 shows its row", {{1, 100, 1.01, 1.01}}, 100, 1.01, 98.99, 1.01, 100, true, true},
        {"empty basket", {}, 0, 0, 0, 0, 0, false, false},
        {"a flag other than 1 does not count", {{2, 100, 10, 16}}, 0, 0, 0, 0, 0, false, false},
        {"running sums are rounded", {{1, 0.005, 0, 0}, {1, 0.005, 0, 0}}, 0.02, 0, 0.02, 0, 0.02, false, false},
    };
    for (const auto &c : cases) {
        const BasketTotals t = ComputeBasketTotals(Basket(c.lines));
        EXPECT_DOUBLE_EQ(t.total, c.T) << c.name;
        EXPECT_DOUBLE_EQ(t.discount, c.D) << c.name;
        EXPECT_DOUBLE_EQ(t.net, c.N) << c.name;
        EXPECT_DOUBLE_EQ(t.tax, c.V) << c.name;
        EXPECT_DOUBLE_EQ(t.grand, c.G) << c.name;
        EXPECT_EQ(t.discountShown(), c.discountRow) << c.name;
        EXPECT_EQ(t.taxShown(), c.taxRow) << c.name;
    }
}

TEST(SendChecks, FirstFailingCheckInOrder)
{
    const struct {
        bool lines;
        int delivery, carrierType, carrier;
        SendBlock block;
        const char *message;
    } cases[] = {
        {false, -1, -1, 0, SendBlock::NoLines, "Gönderilecek Parça Yok "},
        {false, 1, 1, 2, SendBlock::NoLines, "Gönderilecek Parça Yok "},
        {true, -1, -1, 0, SendBlock::NoDelivery, "Lütfen Teslim Durumu Seçiniz !"},
        {true, 0, -1, 0, SendBlock::NoCarrierType, "Lütfen Kargo Türünü Seçiniz !"},
        {true, 1, 0, 0, SendBlock::NoCarrier, "Lütfen Kargo  Seçiniz !"},
        {true, 1, 0, -1, SendBlock::NoCarrier, "Lütfen Kargo  Seçiniz !"},
        {true, 1, 2, 1, SendBlock::None, ""},
    };
    for (const auto &c : cases) {
        const SendBlock b = FirstSendBlock(c.lines, c.delivery, c.carrierType, c.carrier);
        EXPECT_EQ(b, c.block) << c.lines << c.delivery << c.carrierType << c.carrier;
        EXPECT_EQ(SendBlockMessage(b), QString::fromUtf8(c.message));
    }
}

TEST(SendChecks, SelectedLines)
{
    EXPECT_FALSE(HasSelectedLines(Basket({{1, 1, 0, 0}}), false)) << "a basket never loaded";
    EXPECT_FALSE(HasSelectedLines(Basket({}), true));
    EXPECT_FALSE(HasSelectedLines(Basket({{0, 1, 0, 0}, {0, 1, 0, 0}}), true));
    EXPECT_TRUE(HasSelectedLines(Basket({{0, 1, 0, 0}, {1, 1, 0, 0}}), true));
}

TEST(ConfirmationSummary, SevenAlignedLines)
{
    OrderSummary s{QStringLiteral("BAYİ KULLANICI"), QStringLiteral("ÖZ KARDEŞLER OTO"), QStringLiteral("Adrese Teslim"),
                   QStringLiteral("Alıcı Ödemeli Kargo"), QStringLiteral("1.234,50"), QStringLiteral("Anadolu Kargo"),
                   QStringLiteral("ilk satır\nikinci satır")};
    const QString text = OrderSummaryText(s);
    EXPECT_EQ(text, QStringLiteral("Kullanıcı: BAYİ KULLANICI\r\n"
                                   "Cari     : ÖZ KARDEŞLER OTO\r\n"
                                   "Teslim   : Adrese Teslim\r\n"
                                   "Kargo    : Alıcı Ödemeli Kargo\r\n"
                                   "Tutar    : 1.234,50\r\n"
                                   "Kargo    : Anadolu Kargo\r\n"
                                   "Açıklama : ilk satır\nikinci satır"));
    // The colons line up in a fixed-pitch font.
    for (const QString &line : text.split(QStringLiteral("\r\n"))) EXPECT_EQ(line.indexOf(':'), 9) << line.toStdString();
}

TEST(CarrierLists, KeysTextsAndTheFirstOfTwoNames)
{
    DataTable kargo;
    kargo.addColumn(QStringLiteral("SIRANO"), FieldType::Int32);
    kargo.addColumn(QStringLiteral("ADI"), FieldType::String);
    kargo.addColumn(QStringLiteral("UYARI"), FieldType::String);
    kargo.appendRow({11, QStringLiteral("Anadolu Kargo"), QString()});
    kargo.appendRow({12, QStringLiteral("Marmara Ekspres"), QStringLiteral("30 kg")});
    kargo.appendRow({13, QStringLiteral("Anadolu Kargo"), QStringLiteral("2.500 TL")});
    const auto first = FindCarrier(kargo, QStringLiteral("Anadolu Kargo"));
    ASSERT_TRUE(first);
    EXPECT_EQ(kargo.int32(*first, QStringLiteral("SIRANO")), 11) << "two carriers with one name: the first";
    EXPECT_FALSE(FindCarrier(kargo, QStringLiteral(" ")));
    EXPECT_FALSE(FindCarrier(kargo, QStringLiteral("anadolu kargo"))) << "the name must match exactly";

    const std::vector<KeyedEntry> entries = KeyedEntries(kargo);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].key, 12);
    EXPECT_EQ(entries[1].text, QStringLiteral("Marmara Ekspres"));

    EXPECT_EQ(PreselectedDeliveryIndex(2), 1);
    EXPECT_EQ(PreselectedDeliveryIndex(5), 1);
    EXPECT_EQ(PreselectedDeliveryIndex(1), 0);
    EXPECT_EQ(PreselectedDeliveryIndex(0), -1);
}

TEST(LineOperations, Arguments)
{
    TSonucBilgisi s;
    s.setCARINO(1201);
    s.setSirano(7);

    DataTable stock;
    stock.addColumn(QStringLiteral("STOK_STOKNO"), FieldType::Int32);
    stock.addColumn(QStringLiteral("BARKOD"), FieldType::String);
    stock.addColumn(QStringLiteral("ADI"), FieldType::String);
    stock.addColumn(QStringLiteral("KDV"), FieldType::Float64);
    stock.addColumn(QStringLiteral("K"), FieldType::Int32);
    stock.appendRow({1204, QStringLiteral("1234"), QStringLiteral("FREN BALATASI"), 18.0, 1});
    const BasketLineArgs add = AddLineArgs(stock, 0, s, 3, 99.5, {20, 5, 0, 1});
    EXPECT_EQ(add.carino, 1201);
    EXPECT_EQ(add.stokno, 1204);
    EXPECT_EQ(add.barkod, "1234");
    EXPECT_EQ(add.stokadi, "FREN BALATASI");
    EXPECT_DOUBLE_EQ(add.miktar, 3);
    EXPECT_DOUBLE_EQ(add.kdv, 18);
    EXPECT_DOUBLE_EQ(add.fiyat, 99.5);
    EXPECT_EQ(add.rates, (DiscountRates{20, 5, 0, 1}));
    EXPECT_EQ(add.verenid, 7);
    EXPECT_EQ(add.k, 1);

    DataTable sepet;
    sepet.addColumn(QStringLiteral("SIRANO"), FieldType::Int32);
    sepet.addColumn(QStringLiteral("STOKNO"), FieldType::Int32);
    sepet.addColumn(QStringLiteral("BARKOD"), FieldType::String);
    sepet.addColumn(QStringLiteral("STOKADI"), FieldType::String);
    sepet.addColumn(QStringLiteral("KDV"), FieldType::Float64);
    for (int i = 1; i <= 4; ++i) sepet.addColumn(QStringLiteral("INDIRIMORANI%1").arg(i), FieldType::Float64);
    sepet.appendRow({55, 1204, QStringLiteral("1234"), QStringLiteral("FREN BALATASI"), 20.0, 10.0, 5.0, 0.0, 0.0});
    // A change sends stokno 0 and the line's own rates, whatever the dialog showed.
    const BasketLineArgs change = UpdateLineArgs(sepet, 0, s, 4, 80);
    EXPECT_EQ(change.stokno, 0);
    EXPECT_EQ(change.sepetsirano, 55);
    EXPECT_EQ(change.rates, (DiscountRates{10, 5, 0, 0}));
    EXPECT_DOUBLE_EQ(change.miktar, 4);
    EXPECT_DOUBLE_EQ(change.fiyat, 80);
    EXPECT_DOUBLE_EQ(change.kdv, 20);
    EXPECT_EQ(change.stokadi, "FREN BALATASI");

    EXPECT_EQ(BasketLineDescription(QStringLiteral("1234"), QStringLiteral("FREN BALATASI")), "1234-FREN BALATASI");
    EXPECT_EQ(FindBasketLineOfItem(sepet, 1204), std::optional<std::size_t>(0));
    EXPECT_FALSE(FindBasketLineOfItem(sepet, 1205));
    EXPECT_EQ(FindBasketLine(sepet, 55), std::optional<std::size_t>(0));
}
