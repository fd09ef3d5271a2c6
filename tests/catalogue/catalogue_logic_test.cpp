// The catalogue's rules without windows: the search text, when a search may
// start, the filter list texts, the stock dialog's arithmetic and what it
// shows for each source row, and the price information cell's lines.

#include "catalogue/dialogcontent.h"
#include "catalogue/dialogfigures.h"
#include "catalogue/searchtext.h"
#include "catalogue/stockcolumns.h"
#include "wire/datatable.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tarsel;

TEST(NormalizeSearchText, Table)
{
    const struct {
        const char *in;
        const char *out;
    } cases[] = {
        {"  fren balatası ", "FREN BALATASI"},
        {"çağrı", "CAGRI"},
        {"İŞÖÇĞÜ ışöçğü", "ISOCGU ISOCGU"},
        {"\t\r\nabc xyz\x01", "ABC XYZ"},
        {"1234-ab/c", "1234-AB/C"},
        // Only ASCII letters become capitals; other letters are kept.
        {"äéñ", "äéñ"},
        {"   ", ""},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NormalizeSearchText(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(SearchCriteriaValid, Table)
{
    const struct {
        const char *text;
        int manufacturer, mainCategory;
        bool valid;
    } cases[] = {
        {"ab", 0, 0, false},
        {"ab", 1, 0, true},   // a chosen manufacturer is enough
        {"ab", 0, 3, true},   // a chosen main category is enough
        {"   ", 0, 0, false}, // three blanks count as empty
        {" ab ", 0, 0, false},
        {"abc", 0, 0, true},
        {"", -1, -1, false},  // lists still empty
        {"\tab\t", 0, 0, false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SearchCriteriaValid(QString::fromUtf8(c.text), c.manufacturer, c.mainCategory), c.valid)
            << '"' << c.text << "\" " << c.manufacturer << ' ' << c.mainCategory;
}

TEST(SplitFilterList, KeepsEmptyEntriesInOrder)
{
    EXPECT_EQ(SplitFilterList(QStringLiteral(" HEPSİ|BOSCH||NOVA")),
              QStringList({QStringLiteral(" HEPSİ"), QStringLiteral("BOSCH"), QString(), QStringLiteral("NOVA")}));
    EXPECT_EQ(SplitFilterList(QStringLiteral("|")), QStringList({QString(), QString()}));
    EXPECT_TRUE(SplitFilterList(QString()).isEmpty());
}

struct FiguresCase {
    const char *name;
    double price;
    int quantity;
    DiscountRates rates;
    double vat;
    double discount, net, unit, vatUnit, amount;
    bool discountRow;
};

TEST(DialogFigures, Table)
{
    const FiguresCase cases[] = {
        {"two rates", 100, 3, {10, 5, 0, 0}, 20, 43.50, 256.50, 85.50, 102.60, 307.80, true},
        {"rates adding up to 1 hide the row", 10, 1, {0.5, 0.5, 0, 0}, 20, 0.09975, 9.90, 9.90, 11.88, 11.88, false},
        {"a negative rate is skipped", 100, 1, {-10, 0, 0, 0}, 0, 0, 100, 100, 100, 100, false},
        {"rounding at unit price", 0.333, 3, {0, 0, 0, 0}, 0, 0, 1.00, 0.33, 0.33, 0.99, false},
        {"quantity 0", 100, 0, {10, 0, 0, 0}, 20, 0, 0, 0, 0, 0, true},
        {"four rates compound", 1000, 2, {10, 10, 10, 10}, 18, 687.8, 1312.2, 656.1, 774.2, 1548.4, true},
        {"rates adding up to 1.01 show the row", 100, 1, {1.01, 0, 0, 0}, 0, 1.01, 98.99, 98.99, 98.99, 98.99, true},
    };
    for (const FiguresCase &c : cases) {
        const DialogFigures f = ComputeDialogFigures(c.price, c.quantity, c.rates, c.vat);
        EXPECT_NEAR(f.discount, c.discount, 1e-9) << c.name;
        EXPECT_DOUBLE_EQ(f.net, c.net) << c.name;
        EXPECT_DOUBLE_EQ(f.unit, c.unit) << c.name;
        EXPECT_DOUBLE_EQ(f.vatIncludedUnit, c.vatUnit) << c.name;
        EXPECT_DOUBLE_EQ(f.lineAmount, c.amount) << c.name;
        EXPECT_EQ(DiscountRowVisible(c.rates), c.discountRow) << c.name;
    }
}

TEST(DialogFigures, F4TakesTheTaxOutOfThePrice)
{
    EXPECT_DOUBLE_EQ(StripTaxFromPrice(120), 100);
    const DialogFigures f = ComputeDialogFigures(StripTaxFromPrice(120), 2, {10, 0, 0, 0}, 20);
    EXPECT_DOUBLE_EQ(f.net, 180);
    EXPECT_DOUBLE_EQ(f.lineAmount, 216);
}

namespace {

// One stock row with the columns the dialog reads; `k` null when empty.
DataTable StockRow(std::optional<int> k, const QString &discountText = QStringLiteral("10+5"))
{
    DataTable t;
    t.addColumn(QStringLiteral("STOK_STOKNO"), FieldType::Int32);
    t.addColumn(QStringLiteral("BARKOD"), FieldType::String);
    t.addColumn(QStringLiteral("ADI"), FieldType::String);
    t.addColumn(QStringLiteral("MARKA"), FieldType::String);
    t.addColumn(QStringLiteral("FINISHKOD"), FieldType::String);
    t.addColumn(QStringLiteral("MODEL"), FieldType::String);
    t.addColumn(QStringLiteral("KDV"), FieldType::Float64);
    t.addColumn(QStringLiteral("K"), FieldType::Int32);
    t.addColumn(QStringLiteral("FIYAT"), FieldType::Float64);
    for (int i = 1; i <= 4; ++i) t.addColumn(QStringLiteral("IND%1").arg(i), FieldType::Float64);
    t.addColumn(QStringLiteral("INDIRIMYAZI"), FieldType::String);
    t.appendRow({1204, QStringLiteral("1234"), QStringLiteral("FREN BALATASI"), QStringLiteral("TOROS"),
                 QStringLiteral("FB-1"), QStringLiteral("DOBLO"), 20.0, k ? QVariant(*k) : QVariant(), 100.0, 10.0,
                 5.0, 0.0, 0.0, discountText});
    return t;
}

DataTable BasketRow()
{
    DataTable t;
    const std::pair<const char *, FieldType> columns[] = {
        {"SIRANO", FieldType::Int32},          {"STOKNO", FieldType::Int32},
        {"BARKOD", FieldType::String},         {"STOKADI", FieldType::String},
        {"MARKA", FieldType::String},          {"FINISHKOD", FieldType::String},
        {"MODEL", FieldType::String},          {"KDV", FieldType::Float64},
        {"MIKTAR", FieldType::Float64},        {"BIRIMFIYAT", FieldType::Float64},
        {"INDIRIMORANI1", FieldType::Float64}, {"INDIRIMORANI2", FieldType::Float64},
        {"INDIRIMORANI3", FieldType::Float64}, {"INDIRIMORANI4", FieldType::Float64},
    };
    for (const auto &[name, type] : columns) t.addColumn(QLatin1String(name), type);
    t.appendRow({77, 1204, QStringLiteral("1234"), QStringLiteral("FREN BALATASI"), QStringLiteral("TOROS"),
                 QStringLiteral("FB-1"), QStringLiteral("DOBLO"), 20.0, 4.0, 95.5, 12.0, 3.0, 0.0, 0.0});
    return t;
}

}  // namespace

TEST(DialogContent, StockListByCampaignFlag)
{
    const struct {
        const char *name;
        std::optional<int> k;
        double price;
        double rate1;
        const char *priceCaption;
        const char *discountCaption;
    } cases[] = {
        {"normal item", 0, 100, 10, "Fiyat:", "İndirim: %10+5"},
        {"campaign item", 2, 100, 10, "Kampanyalı Fiyat:", "Kampanyalı 10+5"},
        {"K null", std::nullopt, 0, 0, "Fiyat:", "İndirim:"},
        {"K negative", -1, 0, 0, "Fiyat:", "İndirim:"},
    };
    for (const auto &c : cases) {
        const DataTable t = StockRow(c.k);
        const DialogContent d = DialogContentFor(DialogSource::StockList, t, 0, 3);
        EXPECT_EQ(d.stokno, 1204) << c.name;
        EXPECT_DOUBLE_EQ(d.price, c.price) << c.name;
        EXPECT_DOUBLE_EQ(d.rates[0], c.rate1) << c.name;
        EXPECT_EQ(d.priceCaption, QString::fromUtf8(c.priceCaption)) << c.name;
        EXPECT_EQ(d.discountCaption, QString::fromUtf8(c.discountCaption)) << c.name;
        EXPECT_EQ(d.quantity, 1) << c.name;
        EXPECT_DOUBLE_EQ(d.vatRate, 20) << c.name;
        EXPECT_EQ(d.adi, QStringLiteral("FREN BALATASI")) << c.name;
    }
}

TEST(DialogContent, SourcesAndUserTypes)
{
    const DataTable stock = StockRow(0);
    const DataTable campaign = StockRow(1);
    const DataTable basket = BasketRow();
    const struct {
        const char *name;
        DialogSource source;
        const DataTable *table;
        int userType;
        bool editable, rateBoxes;
        const char *priceCaption, *discountCaption;
        int quantity;
        double price, rate1;
    } cases[] = {
        {"stock, dealer", DialogSource::StockList, &stock, 3, false, false, "Fiyat:", "İndirim: %10+5", 1, 100, 10},
        {"stock, sales", DialogSource::StockList, &stock, 1, true, true, "Fiyat:", "İndirim: %10+5", 1, 100, 10},
        {"new, dealer", DialogSource::NewItems, &stock, 4, false, false, "Fiyat:", "İndirim:  % 10+5", 1, 100, 10},
        {"new campaign item, sales", DialogSource::NewItems, &campaign, 2, true, true, "Kampanyalı Fiyat:",
         "Kampanyalı 10+5", 1, 100, 10},
        {"campaign, sales: editable, boxes not shown", DialogSource::Campaign, &stock, 1, true, false,
         "Kampanyalı Fiyat:", "Kampanyalı 10+5", 1, 100, 10},
        {"basket line, sales", DialogSource::BasketLine, &basket, 2, true, true, "Fiyat:", "İndirim:", 4, 95.5, 12},
        {"basket line, dealer", DialogSource::BasketLine, &basket, 3, false, false, "Fiyat:", "İndirim:", 4, 95.5,
         12},
    };
    for (const auto &c : cases) {
        const DialogContent d = DialogContentFor(c.source, *c.table, 0, c.userType);
        EXPECT_EQ(d.editable, c.editable) << c.name;
        EXPECT_EQ(d.rateBoxesShown, c.rateBoxes) << c.name;
        EXPECT_EQ(d.priceCaption, QString::fromUtf8(c.priceCaption)) << c.name;
        EXPECT_EQ(d.discountCaption, QString::fromUtf8(c.discountCaption)) << c.name;
        EXPECT_EQ(d.quantity, c.quantity) << c.name;
        EXPECT_DOUBLE_EQ(d.price, c.price) << c.name;
        EXPECT_DOUBLE_EQ(d.rates[0], c.rate1) << c.name;
        EXPECT_EQ(d.stokno, 1204) << c.name;
    }
    EXPECT_EQ(DialogContentFor(DialogSource::BasketLine, basket, 0, 3).adi, QStringLiteral("FREN BALATASI"));
}

TEST(PriceCell, Lines)
{
    const QLocale tr(QLocale::Turkish, QLocale::Turkey);
    EXPECT_EQ(PriceCellLines(1250, 0, 1000, 1200, tr),
              QStringList({QStringLiteral("Liste Fiyatı: 1.250,00"), QStringLiteral("NetFiyat: 1.000,00"),
                           QStringLiteral("KDV li Fiyat: 1.200,00")}));
    EXPECT_EQ(PriceCellLines(1250, 1100, 1000, 1200, tr),
              QStringList({QStringLiteral("Liste Fiyatı: 1.250,00"), QStringLiteral("Kampanyalı Fiyat: 1.100,00"),
                           QStringLiteral("NetFiyat: 1.000,00"), QStringLiteral("KDV li Fiyat: 1.200,00")}));
    EXPECT_EQ(PriceCellLines(1250, -5, 1000, 1200, tr).size(), 3) << "a negative campaign price is not shown";
}

TEST(WindowWidth, WideFrom1153)
{
    EXPECT_FALSE(IsWideWindow(1152));
    EXPECT_TRUE(IsWideWindow(1153));
}

TEST(StockColumns, WeightsAndVisibility)
{
    // The columns shown at start of the stock list and their weights.
    QStringList shown;
    std::vector<int> weights;
    for (const GridColumn &c : StockListColumns())
        if (c.visible) {
            shown << c.key();
            weights.push_back(c.weight);
        }
    EXPECT_EQ(shown, QStringList({"BARKOD", "ADI", "MARKA", "URETICIKODU", "BIRIM", "RESIM", "NETFIYAT", "DURUM"}));
    EXPECT_EQ(weights, (std::vector<int>{2, 4, 2, 2, 1, 1, 2, 1}));

    // Columns sales staff see appear in neither chooser until the user type
    // says so.
    for (const auto &columns : {StockListColumns(), NewItemColumns(), CampaignColumns()})
        for (const GridColumn &c : columns) {
            if (c.key() == "KALAN" || c.key() == "ALINANSIPARIS" || c.key() == "VERILENSIPARIS" ||
                c.key() == "STOK_STOKNO") {
                EXPECT_FALSE(c.inChooser || c.visible) << c.key().toStdString();
            }
        }

    QStringList campaignShown;
    for (const GridColumn &c : CampaignColumns())
        if (c.visible) campaignShown << c.key();
    EXPECT_EQ(campaignShown, QStringList({"BARKOD", "ADI", "RESIM", "FINISHKOD", "BIRIM", "MARKA", "MODEL",
                                          "ESKIFIYAT", "FIYAT", "Y", "K", "INDIRIMYAZI", "NETFIYAT", "KDVDAHIL",
                                          "DURUM"}));
    QStringList newShown;
    for (const GridColumn &c : NewItemColumns())
        if (c.visible) newShown << c.key();
    EXPECT_EQ(newShown, QStringList({"BARKOD", "ADI", "FINISHKOD", "BIRIM", "MARKA", "MODEL", "K", "LISTEFIYAT1",
                                     "KAMPFIYAT", "INDIRIMYAZI", "NETFIYAT", "KDVDAHIL"}));
}
