#include "server/schema.h"

namespace tarsel::server {

// Migration 2: the catalogue, account prices, baskets, orders and carriers.
//
// Column names mirror the result columns the client reads (STOK_STOKNO ->
// stokno, INDIRIMORANI1 -> ind1 ...). Money columns hold lira amounts already
// rounded to cents where they are computed (see catalogue_pricing.h). Time
// stamps are UTC text "YYYY-MM-DD HH:MM:SS"; dates are "YYYY-MM-DD".
QStringList CatalogueSchema()
{
    return {
        // Stock items. stokno is the seller's item number (STOK_STOKNO),
        // assigned by the seller's stock system, not by the database.
        //   barkod          item code shown as "Kod" (BARKOD)
        //   barkod_no       the EAN barcode (BARKOD_BARKODNO)
        //   marka           manufacturer; the "ÜRETİCİ" list (departman)
        //   uretici_kodu    the manufacturer's own part number (URETICIKODU)
        //   oem1..oem4      original equipment numbers; oemno the main one
        //   ana_grup/alt_grup  main and sub category
        //   liste_fiyat     list price (LISTEFIYAT1)
        //   kamp_fiyat      campaign price, 0 without one (KAMPFIYAT)
        //   kampanya        1 = on campaign (K); the campaign price applies
        //   yeni, yeni_tarih   1 = listed among the new items, since that date (Y)
        //   durum           stock status 0 Yok, 1 Var, 2 Telefon Açınız,
        //                   3 Yolda, 4 Özel Sipariş, 5 Tedarik Sürecinde
        //   kalan           quantity on hand (KALAN)
        //   alinan_siparis  quantity ordered by customers, not yet delivered
        //   verilen_siparis quantity ordered from suppliers, not yet received
        //   aktif           0 = withdrawn: never listed or sold
        //   arama           the normalised search words, " W1 W2 ... Wn "
        //                   (catalogue_search.h); stock_tokens holds the same
        //                   words one per row
        QStringLiteral(R"(CREATE TABLE stock (
    stokno           {{INT}} PRIMARY KEY,
    barkod           {{TEXT}} NOT NULL,
    barkod_no        {{TEXT}} NOT NULL DEFAULT '',
    adi              {{TEXT}} NOT NULL,
    diger_adi        {{TEXT}} NOT NULL DEFAULT '',
    marka            {{TEXT}} NOT NULL DEFAULT '',
    uretici_kodu     {{TEXT}} NOT NULL DEFAULT '',
    finish_kod       {{TEXT}} NOT NULL DEFAULT '',
    model            {{TEXT}} NOT NULL DEFAULT '',
    birim            {{TEXT}} NOT NULL DEFAULT 'ADET',
    oem1             {{TEXT}} NOT NULL DEFAULT '',
    oem2             {{TEXT}} NOT NULL DEFAULT '',
    oem3             {{TEXT}} NOT NULL DEFAULT '',
    oem4             {{TEXT}} NOT NULL DEFAULT '',
    oemno            {{TEXT}} NOT NULL DEFAULT '',
    ana_grup         {{TEXT}} NOT NULL DEFAULT '',
    alt_grup         {{TEXT}} NOT NULL DEFAULT '',
    ozel_kod         {{TEXT}} NOT NULL DEFAULT '',
    dp_kod           {{TEXT}} NOT NULL DEFAULT '',
    p_kod            {{TEXT}} NOT NULL DEFAULT '',
    kdv              {{REAL}} NOT NULL DEFAULT 20 CHECK (kdv >= 0 AND kdv <= 100),
    liste_fiyat      {{MONEY}} NOT NULL DEFAULT 0 CHECK (liste_fiyat >= 0),
    kamp_fiyat       {{MONEY}} NOT NULL DEFAULT 0 CHECK (kamp_fiyat >= 0),
    kampanya         {{BOOL}} NOT NULL DEFAULT 0,
    yeni             {{BOOL}} NOT NULL DEFAULT 0,
    yeni_tarih       {{TEXT}} NOT NULL DEFAULT '',
    durum            {{INT}} NOT NULL DEFAULT 1 CHECK (durum BETWEEN 0 AND 5),
    kalan            {{REAL}} NOT NULL DEFAULT 0,
    alinan_siparis   {{REAL}} NOT NULL DEFAULT 0,
    verilen_siparis  {{REAL}} NOT NULL DEFAULT 0,
    aktif            {{BOOL}} NOT NULL DEFAULT 1,
    arama            {{TEXT}} NOT NULL DEFAULT '',
    CHECK (kampanya = 0 OR kamp_fiyat > 0)
))"),
        QStringLiteral("CREATE INDEX stock_barkod ON stock(barkod)"),
        QStringLiteral("CREATE INDEX stock_marka ON stock(marka)"),
        QStringLiteral("CREATE INDEX stock_grup ON stock(ana_grup, alt_grup)"),
        QStringLiteral("CREATE INDEX stock_yeni ON stock(yeni, yeni_tarih)"),
        QStringLiteral("CREATE INDEX stock_kampanya ON stock(kampanya)"),
        // The search words of every item, one row each: a word of the search
        // text matches an item when it is the beginning of one of its words,
        // found as a range of this primary key.
        QStringLiteral(R"(CREATE TABLE stock_tokens (
    token   {{TEXT}} NOT NULL,
    stokno  {{INT}} NOT NULL REFERENCES stock(stokno) ON DELETE CASCADE,
    PRIMARY KEY (token, stokno)
))"),
        QStringLiteral("CREATE INDEX stock_tokens_stokno ON stock_tokens(stokno)"),
        // One picture per item, as stored (tur is its MIME type).
        QStringLiteral(R"(CREATE TABLE stock_pictures (
    stokno      {{INT}} PRIMARY KEY REFERENCES stock(stokno) ON DELETE CASCADE,
    resim       {{BLOB}} NOT NULL,
    tur         {{TEXT}} NOT NULL DEFAULT 'image/jpeg',
    degistirme  {{TEXT}} NOT NULL DEFAULT {{NOW}}
))"),

        // Account prices. An item is priced for an account as follows:
        //   1. on campaign: the campaign price, no discount rates;
        //   2. a row in customer_prices: that price and its four rates;
        //   3. otherwise the list price with the rates of the most specific
        //      row of customer_discounts (manufacturer and main category,
        //      then manufacturer, then main category, then '' and ''); an
        //      account without a matching row gets customers.iskonto_orani
        //      as its first rate.
        QStringLiteral(R"(CREATE TABLE customer_prices (
    carino  {{INT}} NOT NULL REFERENCES customers(carino) ON DELETE CASCADE,
    stokno  {{INT}} NOT NULL REFERENCES stock(stokno) ON DELETE CASCADE,
    fiyat   {{MONEY}} NOT NULL CHECK (fiyat >= 0),
    ind1    {{REAL}} NOT NULL DEFAULT 0 CHECK (ind1 >= 0 AND ind1 <= 100),
    ind2    {{REAL}} NOT NULL DEFAULT 0 CHECK (ind2 >= 0 AND ind2 <= 100),
    ind3    {{REAL}} NOT NULL DEFAULT 0 CHECK (ind3 >= 0 AND ind3 <= 100),
    ind4    {{REAL}} NOT NULL DEFAULT 0 CHECK (ind4 >= 0 AND ind4 <= 100),
    PRIMARY KEY (carino, stokno)
))"),
        QStringLiteral(R"(CREATE TABLE customer_discounts (
    sirano    {{ID}},
    carino    {{INT}} NOT NULL REFERENCES customers(carino) ON DELETE CASCADE,
    marka     {{TEXT}} NOT NULL DEFAULT '',
    ana_grup  {{TEXT}} NOT NULL DEFAULT '',
    ind1      {{REAL}} NOT NULL DEFAULT 0 CHECK (ind1 >= 0 AND ind1 <= 100),
    ind2      {{REAL}} NOT NULL DEFAULT 0 CHECK (ind2 >= 0 AND ind2 <= 100),
    ind3      {{REAL}} NOT NULL DEFAULT 0 CHECK (ind3 >= 0 AND ind3 <= 100),
    ind4      {{REAL}} NOT NULL DEFAULT 0 CHECK (ind4 >= 0 AND ind4 <= 100),
    UNIQUE (carino, marka, ana_grup)
))"),

        // Baskets: one per account. The header row is updated (surum + 1) at
        // the start of every basket change and order, which serialises the
        // changes of one basket on PostgreSQL (row lock) as BEGIN IMMEDIATE
        // does on SQLite.
        QStringLiteral(R"(CREATE TABLE baskets (
    carino      {{INT}} PRIMARY KEY REFERENCES customers(carino) ON DELETE CASCADE,
    surum       {{BIGINT}} NOT NULL DEFAULT 0,
    degistirme  {{TEXT}} NOT NULL DEFAULT {{NOW}}
))"),
        // Basket lines (SIRANO = sirano). Amounts are computed by the server
        // from miktar, birimfiyat, ind1..ind4 and kdv:
        //   tutar          quantity x unit price (TUTAR)
        //   net_birimfiyat unit price after the compounded discounts (NETBIRIMFIYAT)
        //   net_tutar      net_birimfiyat x quantity (NETTUTAR)
        //   indirim_tutar  tutar - net_tutar (INDIRIMTUTAR)
        //   vergi_tutari   tax of the line (VERGITUTARI)
        // so that tutar - indirim_tutar + vergi_tutari is the tax-included
        // line amount of the quantity dialog. ilk_fiyat is the price the
        // server offered the account when the line was added.
        QStringLiteral(R"(CREATE TABLE basket_lines (
    sirano          {{ID}},
    carino          {{INT}} NOT NULL REFERENCES baskets(carino) ON DELETE CASCADE,
    stokno          {{INT}} NOT NULL REFERENCES stock(stokno),
    barkod          {{TEXT}} NOT NULL DEFAULT '',
    stokadi         {{TEXT}} NOT NULL DEFAULT '',
    miktar          {{REAL}} NOT NULL CHECK (miktar > 0),
    birimfiyat      {{MONEY}} NOT NULL CHECK (birimfiyat >= 0),
    ilk_fiyat       {{MONEY}} NOT NULL DEFAULT 0,
    ind1            {{REAL}} NOT NULL DEFAULT 0,
    ind2            {{REAL}} NOT NULL DEFAULT 0,
    ind3            {{REAL}} NOT NULL DEFAULT 0,
    ind4            {{REAL}} NOT NULL DEFAULT 0,
    kdv             {{REAL}} NOT NULL DEFAULT 0,
    k               {{INT}} NOT NULL DEFAULT 0,
    tutar           {{MONEY}} NOT NULL DEFAULT 0,
    indirim_tutar   {{MONEY}} NOT NULL DEFAULT 0,
    net_birimfiyat  {{MONEY}} NOT NULL DEFAULT 0,
    net_tutar       {{MONEY}} NOT NULL DEFAULT 0,
    vergi_tutari    {{MONEY}} NOT NULL DEFAULT 0,
    sec             {{BOOL}} NOT NULL DEFAULT 1 CHECK (sec IN (0, 1)),
    veren_id        {{BIGINT}} REFERENCES users(sirano) ON DELETE SET NULL,
    verilis_tarihi  {{TEXT}} NOT NULL DEFAULT {{NOW}},
    kur             {{TEXT}} NOT NULL DEFAULT 'TL',
    kurtl           {{REAL}} NOT NULL DEFAULT 1,
    aciklama        {{TEXT}} NOT NULL DEFAULT ''
))"),
        QStringLiteral("CREATE INDEX basket_lines_carino ON basket_lines(carino, sirano)"),
        QStringLiteral("CREATE INDEX basket_lines_stokno ON basket_lines(stokno)"),

        // Delivery types (TeslimVer), carrier types (KargoVer) and carriers
        // (KargolarVer). Carrier names need not be unique: the same carrier
        // may be offered under several carrier types.
        QStringLiteral(R"(CREATE TABLE delivery_types (
    sirano  {{INT}} PRIMARY KEY,
    adi     {{TEXT}} NOT NULL,
    sira    {{INT}} NOT NULL DEFAULT 0
))"),
        QStringLiteral(R"(CREATE TABLE carrier_types (
    sirano  {{INT}} PRIMARY KEY,
    adi     {{TEXT}} NOT NULL,
    sira    {{INT}} NOT NULL DEFAULT 0
))"),
        QStringLiteral(R"(CREATE TABLE carriers (
    sirano      {{ID}},
    adi         {{TEXT}} NOT NULL,
    uyari       {{TEXT}} NOT NULL DEFAULT '',
    kargo_turu  {{INT}} NOT NULL REFERENCES carrier_types(sirano),
    sira        {{INT}} NOT NULL DEFAULT 0,
    aktif       {{BOOL}} NOT NULL DEFAULT 1
))"),
        QStringLiteral("CREATE INDEX carriers_kargo_turu ON carriers(kargo_turu, sira)"),

        // The six states of an order, in processing order.
        QStringLiteral(R"(CREATE TABLE order_states (
    durum  {{INT}} PRIMARY KEY,
    adi    {{TEXT}} NOT NULL
))"),
        QStringLiteral("INSERT INTO order_states (durum, adi) VALUES "
                       "(2, 'Alındı'), (3, 'Onaylandı'), (4, 'Görüldü'), "
                       "(5, 'Parçalı Hazırlandı'), (6, 'Hazırlandı'), (7, 'Sevk Edildi')"),

        // Orders (IDNO = idno). The names of the user, delivery type, carrier
        // type and carrier are kept as they were when the order was placed.
        //   veren_id, veren   who placed it (VERENIDNO, VEREN)
        //   satici_no         the salesperson the order counts for: the
        //                     placing user's own for sales staff, otherwise
        //                     the account's
        //   aciklama          the note of who placed it (VERENINNOTU)
        //   alan_notu         the note of who took it (ALANNOTU, FBizimMesaj)
        //   satici_notu       the salesperson's note (FSaticiNotu)
        //   tutar, indirim_tutar, net_tutar, vergi, genel_tutar  totals
        //                     of the lines as placed (sums rounded to cents)
        QStringLiteral(R"(CREATE TABLE orders (
    idno             {{ID}},
    carino           {{INT}} NOT NULL REFERENCES customers(carino),
    tarih            {{TEXT}} NOT NULL DEFAULT {{NOW}},
    durum            {{INT}} NOT NULL DEFAULT 2 REFERENCES order_states(durum),
    veren_id         {{BIGINT}} REFERENCES users(sirano) ON DELETE SET NULL,
    veren            {{TEXT}} NOT NULL DEFAULT '',
    satici_no        {{BIGINT}} REFERENCES salespeople(satici_no) ON DELETE SET NULL,
    teslim_id        {{INT}} REFERENCES delivery_types(sirano),
    teslim           {{TEXT}} NOT NULL DEFAULT '',
    kargo_turu_id    {{INT}} REFERENCES carrier_types(sirano),
    kargo_turu       {{TEXT}} NOT NULL DEFAULT '',
    kargo_id         {{BIGINT}} REFERENCES carriers(sirano),
    kargo_adi        {{TEXT}} NOT NULL DEFAULT '',
    aciklama         {{TEXT}} NOT NULL DEFAULT '',
    alan_notu        {{TEXT}} NOT NULL DEFAULT '',
    satici_notu      {{TEXT}} NOT NULL DEFAULT '',
    kur              {{TEXT}} NOT NULL DEFAULT 'TL',
    kurtl            {{REAL}} NOT NULL DEFAULT 1,
    tutar            {{MONEY}} NOT NULL DEFAULT 0,
    indirim_tutar    {{MONEY}} NOT NULL DEFAULT 0,
    net_tutar        {{MONEY}} NOT NULL DEFAULT 0,
    vergi            {{MONEY}} NOT NULL DEFAULT 0,
    genel_tutar      {{MONEY}} NOT NULL DEFAULT 0,
    bilgisayar_id    {{TEXT}} NOT NULL DEFAULT ''
))"),
        QStringLiteral("CREATE INDEX orders_carino ON orders(carino, idno)"),
        QStringLiteral("CREATE INDEX orders_durum ON orders(durum, carino)"),
        QStringLiteral("CREATE INDEX orders_tarih ON orders(tarih)"),
        // Order lines (STOKHAR_NO = sirano). sepet_sirano is the basket line
        // the order line was made from (SIRANO of the outstanding-balance
        // lists). miktar is the quantity ordered, teslim_edilen the quantity
        // delivered so far, kalan the quantity still outstanding (miktar -
        // teslim_edilen when placed; changed when an outstanding line is
        // changed or removed). The amounts are those of the basket line.
        QStringLiteral(R"(CREATE TABLE order_lines (
    sirano          {{ID}},
    idno            {{BIGINT}} NOT NULL REFERENCES orders(idno) ON DELETE CASCADE,
    sepet_sirano    {{BIGINT}} NOT NULL DEFAULT 0,
    carino          {{INT}} NOT NULL REFERENCES customers(carino),
    stokno          {{INT}} NOT NULL REFERENCES stock(stokno),
    barkod          {{TEXT}} NOT NULL DEFAULT '',
    stokadi         {{TEXT}} NOT NULL DEFAULT '',
    miktar          {{REAL}} NOT NULL CHECK (miktar > 0),
    teslim_edilen   {{REAL}} NOT NULL DEFAULT 0 CHECK (teslim_edilen >= 0),
    kalan           {{REAL}} NOT NULL DEFAULT 0 CHECK (kalan >= 0),
    birimfiyat      {{MONEY}} NOT NULL DEFAULT 0,
    ilk_fiyat       {{MONEY}} NOT NULL DEFAULT 0,
    ind1            {{REAL}} NOT NULL DEFAULT 0,
    ind2            {{REAL}} NOT NULL DEFAULT 0,
    ind3            {{REAL}} NOT NULL DEFAULT 0,
    ind4            {{REAL}} NOT NULL DEFAULT 0,
    kdv             {{REAL}} NOT NULL DEFAULT 0,
    k               {{INT}} NOT NULL DEFAULT 0,
    tutar           {{MONEY}} NOT NULL DEFAULT 0,
    indirim_tutar   {{MONEY}} NOT NULL DEFAULT 0,
    net_birimfiyat  {{MONEY}} NOT NULL DEFAULT 0,
    net_tutar       {{MONEY}} NOT NULL DEFAULT 0,
    vergi_tutari    {{MONEY}} NOT NULL DEFAULT 0,
    veren_id        {{BIGINT}} REFERENCES users(sirano) ON DELETE SET NULL,
    verilis_tarihi  {{TEXT}} NOT NULL DEFAULT {{NOW}},
    kur             {{TEXT}} NOT NULL DEFAULT 'TL',
    kurtl           {{REAL}} NOT NULL DEFAULT 1,
    aciklama        {{TEXT}} NOT NULL DEFAULT ''
))"),
        QStringLiteral("CREATE INDEX order_lines_idno ON order_lines(idno, sirano)"),
        QStringLiteral("CREATE INDEX order_lines_carino_stokno ON order_lines(carino, stokno)"),
        QStringLiteral("CREATE INDEX order_lines_stokno ON order_lines(stokno)"),

    };
}

}  // namespace tarsel::server
