#include "server/schema.h"

namespace tarsel::server {

// Account movements and the documents behind them, the seller's published
// pictures, texts and files, and the outbox of requests and mails.
//
// Dates are text: "YYYY-MM-DD" for days, "YYYY-MM-DD HH:MM:SS" for moments,
// "HH:MM" for a time of day; they sort and compare as text on both
// databases. Money is {{MONEY}} and always held to the cent.
QStringList PromoSchema()
{
    return {
        // The seller as printed on documents (one row, id 1).
        QStringLiteral(R"(CREATE TABLE seller_profile (
    id             {{INT}} PRIMARY KEY CHECK (id = 1),
    unvan          {{TEXT}} NOT NULL DEFAULT '',
    adres          {{TEXT}} NOT NULL DEFAULT '',
    telefon        {{TEXT}} NOT NULL DEFAULT '',
    email          {{TEXT}} NOT NULL DEFAULT '',
    web            {{TEXT}} NOT NULL DEFAULT '',
    vergi_dairesi  {{TEXT}} NOT NULL DEFAULT '',
    vergi_no       {{TEXT}} NOT NULL DEFAULT '',
    mersis_no      {{TEXT}} NOT NULL DEFAULT ''
))"),
        // One line of a customer account's statement. tur: 0 opening balance
        // (Devir), 1 sales invoice, 2 return invoice, 3 collection
        // (Tahsilat), 4 payment to the customer (Tediye), 5 other (Virman,
        // Dekont). turadi is the kind as the statement shows it; invoices
        // carry "Fatura" in it, collections and payments exactly "Tahsilat"
        // and "Tediye". idno is the key of the document behind the line;
        // vade_tarihi the day a debit falls due (NULL: none recorded).
        QStringLiteral(R"(CREATE TABLE account_movements (
    idno          {{ID}},
    carino        {{INT}} NOT NULL REFERENCES customers(carino),
    tarih         {{TEXT}} NOT NULL,
    tur           {{INT}} NOT NULL CHECK (tur BETWEEN 0 AND 5),
    turadi        {{TEXT}} NOT NULL,
    evrakno       {{TEXT}} NOT NULL DEFAULT '',
    borc          {{MONEY}} NOT NULL DEFAULT 0 CHECK (borc >= 0),
    alacak        {{MONEY}} NOT NULL DEFAULT 0 CHECK (alacak >= 0),
    kur           {{TEXT}} NOT NULL DEFAULT 'TL',
    aciklama      {{TEXT}} NOT NULL DEFAULT '',
    vade_tarihi   {{TEXT}},
    kayit_zamani  {{TEXT}} NOT NULL DEFAULT {{NOW}}
))"),
        QStringLiteral("CREATE INDEX account_movements_carino_tarih ON account_movements(carino, tarih, idno)"),
        // Invoice header; its lines carry the amounts, its movement the total.
        QStringLiteral(R"(CREATE TABLE invoices (
    idno             {{BIGINT}} PRIMARY KEY REFERENCES account_movements(idno) ON DELETE CASCADE,
    hareket_tipi     {{TEXT}} NOT NULL,
    saat             {{TEXT}} NOT NULL DEFAULT '',
    vade_gun         {{INT}} NOT NULL DEFAULT 0,
    satici_adi       {{TEXT}} NOT NULL DEFAULT '',
    irsaliye_no      {{TEXT}} NOT NULL DEFAULT '',
    irsaliye_tarihi  {{TEXT}},
    irsaliye_tipi    {{TEXT}} NOT NULL DEFAULT '',
    siparis_evrakno  {{TEXT}} NOT NULL DEFAULT '',
    siparis_tarihi   {{TEXT}},
    siparis_tipi     {{TEXT}} NOT NULL DEFAULT '',
    sube_no          {{INT}} NOT NULL DEFAULT 0,
    belge_no         {{TEXT}} NOT NULL DEFAULT ''
))"),
        // Invoice lines: quantity, list price, two successive discount rates
        // and the tax rate, with the amounts worked out to the cent when the
        // line was written: tutar = miktar x birim_fiyat; net_tutar = tutar
        // less both discounts; toplam_indirim = tutar - net_tutar; vergi =
        // net_tutar x kdv %.
        QStringLiteral(R"(CREATE TABLE invoice_lines (
    satir_id          {{ID}},
    idno              {{BIGINT}} NOT NULL REFERENCES invoices(idno) ON DELETE CASCADE,
    sira              {{INT}} NOT NULL,
    stokno            {{INT}},
    oemno             {{TEXT}} NOT NULL DEFAULT '',
    barkod            {{TEXT}} NOT NULL DEFAULT '',
    stokadi           {{TEXT}} NOT NULL DEFAULT '',
    finishkod         {{TEXT}} NOT NULL DEFAULT '',
    marka             {{TEXT}} NOT NULL DEFAULT '',
    model             {{TEXT}} NOT NULL DEFAULT '',
    anagrup           {{TEXT}} NOT NULL DEFAULT '',
    ozelkod           {{TEXT}} NOT NULL DEFAULT '',
    birim             {{TEXT}} NOT NULL DEFAULT 'ADET',
    ureticikodu       {{TEXT}} NOT NULL DEFAULT '',
    satir_aciklamasi  {{TEXT}} NOT NULL DEFAULT '',
    miktar            {{REAL}} NOT NULL CHECK (miktar > 0),
    birim_fiyat       {{MONEY}} NOT NULL CHECK (birim_fiyat >= 0),
    indirim1          {{REAL}} NOT NULL DEFAULT 0 CHECK (indirim1 BETWEEN 0 AND 100),
    indirim2          {{REAL}} NOT NULL DEFAULT 0 CHECK (indirim2 BETWEEN 0 AND 100),
    kdv               {{REAL}} NOT NULL DEFAULT 20 CHECK (kdv >= 0),
    tutar             {{MONEY}} NOT NULL,
    toplam_indirim    {{MONEY}} NOT NULL DEFAULT 0,
    masraf            {{MONEY}} NOT NULL DEFAULT 0,
    net_birim_fiyat   {{MONEY}} NOT NULL,
    net_tutar         {{MONEY}} NOT NULL,
    vergi             {{MONEY}} NOT NULL,
    UNIQUE (idno, sira)
))"),
        // The lines of a collection or payment: cash, cheques, notes, cards,
        // transfers, each with its own due date and amount.
        QStringLiteral(R"(CREATE TABLE collection_lines (
    satir_id     {{ID}},
    idno         {{BIGINT}} NOT NULL REFERENCES account_movements(idno) ON DELETE CASCADE,
    sira         {{INT}} NOT NULL,
    cins         {{TEXT}} NOT NULL,
    vade         {{TEXT}},
    tutar        {{MONEY}} NOT NULL CHECK (tutar > 0),
    kur          {{TEXT}} NOT NULL DEFAULT 'TL',
    kur_tl       {{REAL}} NOT NULL DEFAULT 1,
    doviz_tutar  {{MONEY}} NOT NULL DEFAULT 0,
    evrakno      {{TEXT}} NOT NULL DEFAULT '',
    ref          {{TEXT}} NOT NULL DEFAULT '',
    saat         {{TEXT}} NOT NULL DEFAULT '',
    aciklama     {{TEXT}} NOT NULL DEFAULT '',
    UNIQUE (idno, sira)
))"),
        // Card payments through the virtual point of sale, one per collection.
        // Only the masked card number is ever stored.
        QStringLiteral(R"(CREATE TABLE pos_receipts (
    sirano        {{ID}},
    idno          {{BIGINT}} NOT NULL UNIQUE REFERENCES account_movements(idno) ON DELETE CASCADE,
    islem_zamani  {{TEXT}} NOT NULL,
    tutar         {{MONEY}} NOT NULL CHECK (tutar > 0),
    taksit        {{INT}} NOT NULL DEFAULT 1 CHECK (taksit BETWEEN 1 AND 36),
    kart_sahibi   {{TEXT}} NOT NULL DEFAULT '',
    kart_no       {{TEXT}} NOT NULL,
    kart_tipi     {{TEXT}} NOT NULL DEFAULT '',
    banka         {{TEXT}} NOT NULL DEFAULT '',
    onay_kodu     {{TEXT}} NOT NULL DEFAULT '',
    referans_no   {{TEXT}} NOT NULL DEFAULT '',
    siparis_no    {{TEXT}} NOT NULL DEFAULT '',
    islem_tipi    {{TEXT}} NOT NULL DEFAULT 'Satış'
))"),
        // Opening adverts: shown in (sira, sirano) order while active and
        // inside their optional date window (inclusive days).
        QStringLiteral(R"(CREATE TABLE opening_adverts (
    sirano      {{ID}},
    sira        {{INT}} NOT NULL DEFAULT 0,
    baslik      {{TEXT}} NOT NULL DEFAULT '',
    arama       {{TEXT}} NOT NULL DEFAULT '',
    resim       {{BLOB}},
    resim_turu  {{TEXT}} NOT NULL DEFAULT '',
    aktif       {{BOOL}} NOT NULL DEFAULT 1,
    baslangic   {{TEXT}},
    bitis       {{TEXT}}
))"),
        // The three banners: 1 top right (any picture), 2 beside the search
        // box (played as an animated GIF), 3 the scrolling strip at the bottom
        // (read as a Windows bitmap).
        QStringLiteral(R"(CREATE TABLE banners (
    yer         {{INT}} PRIMARY KEY CHECK (yer IN (1, 2, 3)),
    resim       {{BLOB}} NOT NULL,
    resim_turu  {{TEXT}} NOT NULL CHECK (resim_turu IN ('gif', 'png', 'jpeg', 'bmp')),
    aciklama    {{TEXT}} NOT NULL DEFAULT '',
    guncelleme  {{TEXT}} NOT NULL DEFAULT {{NOW}},
    CHECK (yer <> 2 OR resim_turu = 'gif'),
    CHECK (yer <> 3 OR resim_turu = 'bmp')
))"),
        // News ticker: the active items, in order, make one line of simple HTML.
        QStringLiteral(R"(CREATE TABLE ticker_items (
    sirano  {{ID}},
    sira    {{INT}} NOT NULL DEFAULT 0,
    metin   {{TEXT}} NOT NULL,
    aktif   {{BOOL}} NOT NULL DEFAULT 1
))"),
        // Downloadable documents with their content.
        QStringLiteral(R"(CREATE TABLE documents (
    sirano     {{ID}},
    sira       {{INT}} NOT NULL DEFAULT 0,
    aciklama   {{TEXT}} NOT NULL,
    dosya_adi  {{TEXT}} NOT NULL CHECK (dosya_adi <> ''),
    icerik     {{BLOB}} NOT NULL,
    boyut      {{BIGINT}} NOT NULL CHECK (boyut >= 0),
    tarih      {{TEXT}} NOT NULL DEFAULT {{NOW}},
    aktif      {{BOOL}} NOT NULL DEFAULT 1
))"),
        // Requests and mails from the client, waiting for the mail relay.
        // tur: 'SIFRE_ISTEGI' (account and password request), 'MAIL' (mail
        // form). durum: 0 waiting, 1 sent, 2 given up. zaman is UTC.
        QStringLiteral(R"(CREATE TABLE outbox (
    sirano            {{ID}},
    tur               {{TEXT}} NOT NULL CHECK (tur IN ('SIFRE_ISTEGI', 'MAIL')),
    zaman             {{TEXT}} NOT NULL DEFAULT {{NOW}},
    bilgisayar_id     {{TEXT}} NOT NULL,
    kullanici_sirano  {{BIGINT}} REFERENCES users(sirano) ON DELETE SET NULL,
    carino            {{INT}},
    baslik            {{TEXT}} NOT NULL DEFAULT '',
    firmaadi          {{TEXT}} NOT NULL DEFAULT '',
    adres1            {{TEXT}} NOT NULL DEFAULT '',
    adres2            {{TEXT}} NOT NULL DEFAULT '',
    ilce              {{TEXT}} NOT NULL DEFAULT '',
    sehir             {{TEXT}} NOT NULL DEFAULT '',
    telefon           {{TEXT}} NOT NULL DEFAULT '',
    fax               {{TEXT}} NOT NULL DEFAULT '',
    vd                {{TEXT}} NOT NULL DEFAULT '',
    vn                {{TEXT}} NOT NULL DEFAULT '',
    yetkili           {{TEXT}} NOT NULL DEFAULT '',
    kullaniciadi      {{TEXT}} NOT NULL DEFAULT '',
    sifre             {{TEXT}} NOT NULL DEFAULT '',
    mail              {{TEXT}} NOT NULL DEFAULT '',
    kargoambar        {{TEXT}} NOT NULL DEFAULT '',
    konu              {{TEXT}} NOT NULL DEFAULT '',
    durum             {{INT}} NOT NULL DEFAULT 0 CHECK (durum IN (0, 1, 2)),
    deneme            {{INT}} NOT NULL DEFAULT 0,
    gonderim_zamani   {{TEXT}},
    son_hata          {{TEXT}} NOT NULL DEFAULT ''
))"),
        QStringLiteral("CREATE INDEX outbox_durum ON outbox(durum, sirano)"),
    };
}

}  // namespace tarsel::server
