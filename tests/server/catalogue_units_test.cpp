// The parts of the catalogue group that need no server: the normal form of
// search texts, the stored search words, key ranges, the search query and
// the price arithmetic of basket lines.

#include "server/catalogue_pricing.h"
#include "server/catalogue_search.h"
#include "server/servermethodsbase.h"
#include "util/money.h"

#include <gtest/gtest.h>

#include <map>
#include <random>

using namespace tarsel::server;

namespace {

TEST(CatalogueSearchText, NormalFormFollowsTheClient)
{
    const struct {
        const char *in, *out;
    } cases[] = {
        {"  fren balatası ", "FREN BALATASI"},
        {"çağrı", "CAGRI"},
        {"İıŞşÖöÇçĞğÜü", "IISSOOCCGGUU"},
        {"\t\n abc \x01", "ABC"},
        {"a  b", "A  B"},           // inner blanks stay
        {"Kâğıt", "KâGIT"},         // other letters are left as they are
        {"ÄÉ", "ÄÉ"},
        {"", ""},
        {"   ", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(NormalizeSearchText(QString::fromUtf8(c.in)), QString::fromUtf8(c.out)) << c.in;
}

TEST(CatalogueSearchText, WordsSplitAtEverythingButLettersAndDigits)
{
    const struct {
        const char *in;
        QStringList words;
    } cases[] = {
        {"fren-balatası 1K0 615", {"FREN", "BALATASI", "1K0", "615"}},
        {"O'NEIL", {"O", "NEIL"}},
        {"%_'\";-- /*", {}},
        {"Ärger éte", {"ARGER", "ETE"}},
        {"abc ABC abc", {"ABC"}},
        {"77.01-208/174", {"77", "01", "208", "174"}},
        {"' OR '1'='1", {"OR", "1"}},
    };
    for (const auto &c : cases) EXPECT_EQ(SearchWords(QString::fromUtf8(c.in)), c.words) << c.in;
}

TEST(CatalogueSearchText, AllEntryMeansNoRestriction)
{
    for (const char *t : {"", "  ", " HEPSİ", "HEPSİ", "hepsi", " HEPSI "})
        EXPECT_TRUE(IsNoRestriction(QString::fromUtf8(t))) << t;
    for (const char *t : {"HEPSİ X", "NOVA", "FREN SİSTEMİ"}) EXPECT_FALSE(IsNoRestriction(QString::fromUtf8(t))) << t;
}

TEST(CatalogueSearchText, PrefixBoundIsTheNextTextOverTheAlphabet)
{
    const struct {
        const char *prefix, *bound;
    } cases[] = {{"ABC", "ABD"}, {"AZ", "B"}, {"A9", "AA"}, {"Z", ""}, {"ZZ", ""}, {"9", "A"}, {"1Z", "2"}, {"0", "1"}};
    for (const auto &c : cases) EXPECT_EQ(PrefixUpperBound(QString::fromLatin1(c.prefix)), QString::fromLatin1(c.bound));

    // Over random texts of the alphabet: inside [prefix, bound) exactly when
    // the text begins with the prefix.
    const QString alphabet = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    std::mt19937 rng(7);
    auto randomText = [&](int maxLen) {
        QString s;
        const int len = 1 + int(rng() % unsigned(maxLen));
        for (int i = 0; i < len; ++i) s += alphabet.at(int(rng() % 36));
        return s;
    };
    for (int i = 0; i < 3000; ++i) {
        const QString prefix = i % 7 == 0 ? QStringLiteral("ZZ") : randomText(3);
        const QString bound = PrefixUpperBound(prefix);
        QString text = randomText(6);
        if (i % 3 == 0) text = prefix + text;
        const bool inRange = text >= prefix && (bound.isEmpty() || text < bound);
        EXPECT_EQ(inRange, text.startsWith(prefix)) << prefix.toStdString() << " " << text.toStdString();
    }
}

TEST(CatalogueSearchText, ItemWordsIncludeCodesWithoutSeparators)
{
    StockSearchFields f;
    f.code = QStringLiteral("NVA-FB1204");
    f.description = QString::fromUtf8("Ön Fren Balatası CLIO IV");
    f.otherName = QString::fromUtf8("disk balata");
    f.oem[0] = QStringLiteral("1K0 615 301 AA");
    f.oemNo = QStringLiteral("1K0 615 301 AA");
    f.makerCode = QStringLiteral("NV 204.118");
    const QStringList tokens = StockTokens(f);
    for (const char *t : {"NVA", "FB1204", "NVAFB1204", "ON", "FREN", "BALATASI", "CLIO", "IV", "DISK", "BALATA", "1K0",
                          "615", "301", "AA", "1K0615301AA", "NV", "204", "118", "NV204118"})
        EXPECT_TRUE(tokens.contains(QString::fromLatin1(t))) << t;
    // Descriptions are not joined; every word once, sorted.
    EXPECT_FALSE(tokens.contains(QStringLiteral("ONFRENBALATASICLIOIV")));
    QStringList sorted = tokens;
    sorted.sort();
    sorted.removeDuplicates();
    EXPECT_EQ(tokens, sorted);
    EXPECT_EQ(StockSearchText({QStringLiteral("A"), QStringLiteral("B")}), QStringLiteral(" A B "));
}

TEST(CatalogueSearchQuery, InputTextNeverReachesTheSql)
{
    const char *texts[] = {"BALATA'; DROP TABLE stock; --", "' OR '1'='1", "FREN%", "a_b", "x\\y", "\"quoted\""};
    for (const char *t : texts) {
        StockSearchRequest r;
        r.text = QString::fromUtf8(t);
        r.manufacturer = QStringLiteral("NOVA' OR 1=1 --");
        const StockQuery q = BuildStockSearchQuery(r, 1201);
        EXPECT_FALSE(q.matchesNothing) << t;
        EXPECT_FALSE(q.sql.contains(QLatin1Char('\''))) << q.sql.toStdString();
        EXPECT_FALSE(q.sql.contains(QStringLiteral("DROP"))) << t;
        EXPECT_FALSE(q.sql.contains(QStringLiteral("1=1")));
        EXPECT_TRUE(q.binds.contains(QStringLiteral("NOVA' OR 1=1 --")));
    }
}

TEST(CatalogueSearchQuery, PunctuationOnlyMatchesNothingAndEmptyTextRestrictsNothing)
{
    StockSearchRequest r;
    r.text = QStringLiteral("%%% '' ;");
    EXPECT_TRUE(BuildStockSearchQuery(r, 0).matchesNothing);
    r.text = QStringLiteral("   ");
    r.manufacturer = QStringLiteral("NOVA");
    const StockQuery q = BuildStockSearchQuery(r, 0);
    EXPECT_FALSE(q.matchesNothing);
    EXPECT_FALSE(q.sql.contains(QStringLiteral("stock_tokens")));
    EXPECT_TRUE(q.sql.contains(QStringLiteral("s0.marka = ?")));
}

TEST(CatalogueSearchQuery, WithoutCountsTheLongestWordsIntersect)
{
    StockSearchRequest r;
    r.text = QStringLiteral("fre balatasi fren");
    StockQuery q = BuildStockSearchQuery(r, 5);
    // carino, then the ranges of BALATASI and FREN; FRE is implied by FREN
    EXPECT_EQ(q.binds, (QVariantList{5, "BALATASI", "BALATASJ", "FREN", "FREO"}));
    EXPECT_EQ(q.sql.count(QStringLiteral("INTERSECT")), 1);
    EXPECT_FALSE(q.sql.contains(QStringLiteral("LIKE")));

    // At most three ranges; one-character words are checked on the candidates.
    r.text = QStringLiteral("a fren balatası clio 1.5");
    q = BuildStockSearchQuery(r, 5);
    EXPECT_EQ(q.binds, (QVariantList{5, "BALATASI", "BALATASJ", "FREN", "FREO", "CLIO", "CLIP", "% A%", "% 1%", "% 5%"}));
    EXPECT_EQ(q.sql.count(QStringLiteral("INTERSECT")), 2);

    // Only one-character words: the first is a range all the same.
    r.text = QStringLiteral("z 9");
    q = BuildStockSearchQuery(r, 5);
    EXPECT_EQ(q.binds, (QVariantList{5, "Z", "% 9%"}));
}

TEST(CatalogueSearchQuery, RareWordsPickTheCandidatesAndCommonOnesAreChecked)
{
    const int common = kCommonWordCount;
    const std::map<QString, int> counts = {
        {"TRS", common}, {"FB4346", 1},      {"TR", common},       {"123", 900}, {"456", 700},  {"NOVA", 0},
        {"FREN", common}, {"BALATASI", common}, {"SPRINTER", 1500}, {"BALATA", common}, {"H7", 40}, {"W1", 1},
        {"W2", 2},        {"W3", 3},         {"W4", 4},
    };
    const WordCounter counter = [&](const QString &w) { return counts.at(w); };
    const struct {
        const char *text;
        QVariantList binds;  // after carino
        bool nothing;
    } cases[] = {
        {"TRS-FB4346", {"FB4346", "FB4347", "% TRS%"}, false},
        {"TR 123 456", {"456", "457", "123", "124", "% TR%"}, false},
        {"FREN BALATASI", {"BALATASI", "BALATASJ", "FREN", "FREO"}, false},
        {"BALATA SPRINTER", {"SPRINTER", "SPRINTES", "% BALATA%"}, false},
        {"W4 W3 W2 W1", {"W1", "W2", "W2", "W3", "W3", "W4", "% W4%"}, false},
        {"FREN NOVA", {}, true},
    };
    for (const auto &c : cases) {
        StockSearchRequest r;
        r.text = QString::fromLatin1(c.text);
        const StockQuery q = BuildStockSearchQuery(r, 7, counter);
        EXPECT_EQ(q.matchesNothing, c.nothing) << c.text;
        if (c.nothing) continue;
        EXPECT_EQ(q.binds, QVariantList{7} + c.binds) << c.text;
        EXPECT_EQ(q.sql.count(QStringLiteral("INTERSECT")), std::max<qsizetype>(0, q.sql.count(QStringLiteral("t.token >= ?")) - 1));
    }
}

TEST(CatalogueSearchQuery, OverlongTextsAreRefusedWithAMessage)
{
    StockSearchRequest r;
    r.text = QString(kMaxSearchTextLength + 1, QLatin1Char('A'));
    EXPECT_THROW(BuildStockSearchQuery(r, 0), MethodError);
    QStringList many;
    for (int i = 0; i <= kMaxSearchWords; ++i) many << QStringLiteral("W%1").arg(i);
    r.text = many.join(QLatin1Char(' '));
    try {
        BuildStockSearchQuery(r, 0);
        FAIL() << "accepted";
    } catch (const MethodError &e) {
        EXPECT_NE(std::string(e.what()).find("kelime"), std::string::npos);
    }
}

// ---------------------------------------------------------------------------

TEST(CataloguePricing, LineAmountsFollowTheQuantityDialog)
{
    const struct {
        double price, quantity;
        Rates rates;
        double vat;
        double net, unit, vatUnit, total;       // as the dialog shows them
        double amount, discount, netAmount, tax;  // basket columns
    } cases[] = {
        {100, 3, {10, 5, 0, 0}, 20, 256.50, 85.50, 102.60, 307.80, 300, 43.50, 256.50, 51.30},
        {10, 1, {0.5, 0.5, 0, 0}, 20, 9.90, 9.90, 11.88, 11.88, 10, 0.10, 9.90, 1.98},
        {100, 1, {-10, 0, 0, 0}, 0, 100, 100, 100, 100, 100, 0, 100, 0},  // a negative rate is skipped
        {0.333, 3, {0, 0, 0, 0}, 0, 1.00, 0.33, 0.33, 0.99, 1.00, 0.01, 0.99, 0},
        {120, 0, {10, 0, 0, 0}, 20, 0, 0, 0, 0, 0, 0, 0, 0},
        {874.9, 2, {15, 5, 3, 0}, 20, 1370.57, 685.29, 822.35, 1644.70, 1749.80, 379.22, 1370.58, 274.12},
    };
    for (const auto &c : cases) {
        const LineAmounts a = ComputeLineAmounts(c.price, c.quantity, c.rates, c.vat);
        SCOPED_TRACE(testing::Message() << c.price << " x " << c.quantity);
        EXPECT_DOUBLE_EQ(a.net, c.net);
        EXPECT_DOUBLE_EQ(a.netUnitPrice, c.unit);
        EXPECT_DOUBLE_EQ(a.vatIncludedUnit, c.vatUnit);
        EXPECT_DOUBLE_EQ(a.lineTotal, c.total);
        EXPECT_DOUBLE_EQ(a.amount, c.amount);
        EXPECT_DOUBLE_EQ(a.discountAmount, c.discount);
        EXPECT_DOUBLE_EQ(a.netAmount, c.netAmount);
        EXPECT_DOUBLE_EQ(a.taxAmount, c.tax);
    }
}

TEST(CataloguePricing, BasketColumnsAddUpToTheDialogAmount)
{
    std::mt19937 rng(11);
    for (int i = 0; i < 20000; ++i) {
        const double price = tarsel::RoundTo2Decimals(double(rng() % 500000) / 100.0);
        const double quantity = double(1 + rng() % 250);
        const Rates rates{double(rng() % 40), double(rng() % 3) * 2.5, double(rng() % 2), 0};
        const double vat = (rng() % 2) ? 20 : 10;
        const LineAmounts a = ComputeLineAmounts(price, quantity, rates, vat);
        // What the basket tab adds up for this one line is the dialog's Tutar.
        const double t = tarsel::RoundTo2Decimals(a.amount);
        const double d = tarsel::RoundTo2Decimals(a.discountAmount);
        const double n = tarsel::RoundTo2Decimals(t - d);
        const double g = tarsel::RoundTo2Decimals(tarsel::RoundTo2Decimals(a.taxAmount) + n);
        ASSERT_DOUBLE_EQ(g, a.lineTotal) << price << " x " << quantity;
        ASSERT_DOUBLE_EQ(n, a.netAmount);
        ASSERT_GE(a.discountAmount, 0);
    }
}

TEST(CataloguePricing, RatesAsText)
{
    const struct {
        Rates r;
        const char *text;
        double effective;
    } cases[] = {
        {{10, 5, 0, 0}, "10+5", 14.5},
        {{7.5, 0, 0, 0}, "7,5", 7.5},
        {{0, 0, 0, 0}, "", 0},
        {{-3, 2, 0, 0}, "2", 2},
        {{12.25, 0, 0, 1}, "12,25+1", 13.13},
        {{100, 0, 0, 0}, "100", 100},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(RatesText(c.r), QString::fromLatin1(c.text));
        EXPECT_DOUBLE_EQ(EffectiveDiscount(c.r), c.effective) << c.text;
    }
}

TEST(CataloguePricing, AnItemIsPricedByCampaignSpecialPriceThenTheMostSpecificRule)
{
    AccountPricing account;
    account.carino = 1201;
    account.generalDiscount = 5;
    account.rules = {
        {QStringLiteral("TOROS"), QStringLiteral("FREN"), {15, 5, 3, 0}},
        {QStringLiteral("NOVA"), QString(), {15, 5, 0, 0}},
        {QString(), QStringLiteral("FİLTRE"), {20, 0, 0, 0}},
        {QString(), QString(), {10, 5, 0, 0}},
    };
    auto item = [](const char *maker, const char *group) {
        StockPriceInput in;
        in.manufacturer = QString::fromUtf8(maker);
        in.mainGroup = QString::fromUtf8(group);
        in.listPrice = 100;
        in.vatRate = 20;
        return in;
    };
    const struct {
        const char *maker, *group;
        Rates rates;
    } cases[] = {
        {"TOROS", "FREN", {15, 5, 3, 0}},
        {"TOROS", "FİLTRE", {20, 0, 0, 0}},
        {"NOVA", "FİLTRE", {15, 5, 0, 0}},
        {"EFE", "MOTOR", {10, 5, 0, 0}},
    };
    for (const auto &c : cases) {
        const ItemPrice p = PriceItem(account, item(c.maker, c.group));
        EXPECT_EQ(p.rates, c.rates) << c.maker << " " << c.group;
        EXPECT_DOUBLE_EQ(p.price, 100);
        EXPECT_EQ(p.k, 0);
    }
    // Without rules the account's card discount is the first rate.
    AccountPricing plain;
    plain.generalDiscount = 3;
    EXPECT_EQ(PriceItem(plain, item("EFE", "MOTOR")).rates, (Rates{3, 0, 0, 0}));
    const ItemPrice p = PriceItem(plain, item("EFE", "MOTOR"));
    EXPECT_DOUBLE_EQ(p.netPrice, 97);
    EXPECT_DOUBLE_EQ(p.vatIncluded, 116.4);

    StockPriceInput special = item("NOVA", "FREN");
    special.specialPrice = 80;
    special.specialRates = {2, 0, 0, 0};
    EXPECT_DOUBLE_EQ(PriceItem(account, special).price, 80);
    EXPECT_EQ(PriceItem(account, special).rates, (Rates{2, 0, 0, 0}));

    // A campaign price is final and wins over everything else.
    StockPriceInput campaign = special;
    campaign.campaign = true;
    campaign.campaignPrice = 70;
    const ItemPrice c = PriceItem(account, campaign);
    EXPECT_EQ(c.k, 1);
    EXPECT_DOUBLE_EQ(c.price, 70);
    EXPECT_EQ(c.rates, (Rates{0, 0, 0, 0}));
    EXPECT_DOUBLE_EQ(c.vatIncluded, 84);
}

}  // namespace
