// Demo documents: price list (XLSX), catalogue and return form (PDF), dealer
// contract (DOCX), campaign pictures (ZIP), shipping information (text).

#include "server/demofiles.h"

#include "server/pdfwriter.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>
#include <zip.h>

#include <cmath>
#include <stdexcept>

namespace tarsel::server::demo {

const Part kParts[] = {
    {"0986494524", "FREN BALATASI ÖN TAKIM", "FB-1024", "NOVAFREN", "RENAULT CLIO IV 1.5 DCI", "FREN SİSTEMLERİ", "TAKIM", 1245.00},
    {"0986479C35", "FREN DİSKİ ÖN HAVALI 280 MM", "FD-2280", "NOVAFREN", "FIAT EGEA 1.3 MJET", "FREN SİSTEMLERİ", "ADET", 1890.50},
    {"6Q0698451", "FREN BALATASI ARKA TAKIM", "FB-8451", "NOVAFREN", "VW POLO 1.4", "FREN SİSTEMLERİ", "TAKIM", 980.00},
    {"1109AY", "YAĞ FİLTRESİ", "YF-0110", "FİLTREKS", "PEUGEOT 301 1.6 HDI", "FİLTRELER", "ADET", 189.90},
    {"1444TT", "HAVA FİLTRESİ", "HF-0441", "FİLTREKS", "CITROEN C-ELYSEE 1.6 HDI", "FİLTRELER", "ADET", 264.00},
    {"6447XF", "POLEN FİLTRESİ AKTİF KARBONLU", "PF-0647", "FİLTREKS", "VW PASSAT B8 1.6 TDI", "FİLTRELER", "ADET", 312.75},
    {"1901E5", "YAKIT FİLTRESİ", "MF-1901", "FİLTREKS", "FORD FOCUS III 1.6 TDCI", "FİLTRELER", "ADET", 398.40},
    {"623308700", "DEBRİYAJ SETİ BASKI DİSK RULMAN", "DS-3087", "KORMAX", "FORD FOCUS III 1.6 TDCI", "DEBRİYAJ", "SET", 5840.00},
    {"8200950176", "AMORTİSÖR ÖN SAĞ", "AM-0176", "DURAPART", "RENAULT MEGANE IV 1.5 DCI", "SÜSPANSİYON", "ADET", 2175.00},
    {"1K0407151AC", "SALINCAK ALT SOL", "SL-7151", "DURAPART", "VW GOLF VII 1.6 TDI", "SÜSPANSİYON", "ADET", 1560.25},
    {"7701477028", "TRİGER SETİ DEVİRDAİMLİ", "TS-7028", "KORMAX", "RENAULT CLIO IV 1.5 DCI", "MOTOR PARÇALARI", "SET", 4320.00},
    {"1J0121113", "TERMOSTAT CONTASIYLA", "TR-1113", "KORMAX", "SKODA OCTAVIA 1.6 TDI", "MOTOR PARÇALARI", "ADET", 420.00},
    {"55193806", "BUJİ 4'LÜ TAKIM", "BJ-3806", "ELEKTRA", "FIAT EGEA 1.4 FIRE", "ELEKTRİK", "TAKIM", 640.00},
    {"9673453280", "ŞARJ DİNAMOSU 150A", "SD-3453", "ELEKTRA", "PEUGEOT 3008 1.6 HDI", "ELEKTRİK", "ADET", 7890.00},
    {"H7-12V-55W", "AMPUL H7 12V 55W", "AM-H712", "ELEKTRA", "ÜNİVERSAL", "AYDINLATMA", "ADET", 95.50},
    {"260108955R", "FAR SOL ELEKTRİKLİ", "FR-8955", "ELEKTRA", "RENAULT CLIO IV", "AYDINLATMA", "ADET", 6125.00},
};
const int kPartCount = int(sizeof(kParts) / sizeof(kParts[0]));

namespace {

QString U(const char *s) { return QString::fromUtf8(s); }

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("demo file: cannot read " + path.toStdString());
    return f.readAll();
}

QString XmlEscape(const QString &s) { return s.toHtmlEscaped(); }

}  // namespace

QByteArray MakeZip(const std::vector<std::pair<QString, QByteArray>> &entries)
{
    QTemporaryDir dir;
    if (!dir.isValid()) throw std::runtime_error("zip: no temporary folder");
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("a.zip")));
    zipFile zf = zipOpen64(path.constData(), APPEND_STATUS_CREATE);
    if (!zf) throw std::runtime_error("zip: cannot create the archive");
    const QDateTime now = QDateTime::currentDateTime();
    bool ok = true;
    for (const auto &[name, content] : entries) {
        zip_fileinfo info{};
        info.tmz_date.tm_sec = uInt(now.time().second());
        info.tmz_date.tm_min = uInt(now.time().minute());
        info.tmz_date.tm_hour = uInt(now.time().hour());
        info.tmz_date.tm_mday = uInt(now.date().day());
        info.tmz_date.tm_mon = uInt(now.date().month() - 1);
        info.tmz_date.tm_year = uInt(now.date().year());
        const QByteArray utf8Name = name.toUtf8();
        // Flag bit 11: the name is UTF-8.
        if (zipOpenNewFileInZip4_64(zf, utf8Name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                    Z_BEST_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0,
                                    0, 1 << 11, 0) != ZIP_OK ||
            zipWriteInFileInZip(zf, content.constData(), unsigned(content.size())) != ZIP_OK ||
            zipCloseFileInZip(zf) != ZIP_OK) {
            ok = false;
            break;
        }
    }
    if (zipClose(zf, nullptr) != ZIP_OK || !ok) throw std::runtime_error("zip: writing the archive failed");
    return ReadFile(dir.filePath(QStringLiteral("a.zip")));
}

QByteArray PriceListXlsx()
{
    QTemporaryDir dir;
    if (!dir.isValid()) throw std::runtime_error("xlsx: no temporary folder");
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("fiyat.xlsx")));
    const QByteArray tmp = QFile::encodeName(dir.path());
    lxw_workbook_options options{};
    options.tmpdir = const_cast<char *>(tmp.constData());
    lxw_workbook *wb = workbook_new_opt(path.constData(), &options);
    if (!wb) throw std::runtime_error("xlsx: cannot create the workbook");
    lxw_worksheet *ws = workbook_add_worksheet(wb, "Fiyat Listesi");

    lxw_format *title = workbook_add_format(wb);
    format_set_bold(title);
    format_set_font_size(title, 14);
    format_set_font_color(title, 0x1F4E79);
    lxw_format *head = workbook_add_format(wb);
    format_set_bold(head);
    format_set_bg_color(head, 0x1F4E79);
    format_set_font_color(head, LXW_COLOR_WHITE);
    format_set_border(head, LXW_BORDER_THIN);
    lxw_format *money = workbook_add_format(wb);
    format_set_num_format(money, "#,##0.00");
    format_set_border(money, LXW_BORDER_THIN);
    lxw_format *cell = workbook_add_format(wb);
    format_set_border(cell, LXW_BORDER_THIN);
    lxw_format *percent = workbook_add_format(wb);
    format_set_num_format(percent, "0");
    format_set_border(percent, LXW_BORDER_THIN);

    const QByteArray heading =
        U("Tarsel Otomotiv %1 Fiyat Listesi (TL)").arg(QDate::currentDate().year()).toUtf8();
    worksheet_write_string(ws, 0, 0, heading.constData(), title);
    const char *const titles[] = {"Stok Kodu", "OEM No", "Ürün Adı", "Marka", "Araç / Model", "Ana Grup",
                                  "Birim", "Liste Fiyatı", "KDV %", "KDV Dahil"};
    const double widths[] = {11, 15, 34, 12, 28, 18, 8, 13, 7, 13};
    for (int c = 0; c < 10; ++c) {
        worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr);
        worksheet_write_string(ws, 2, lxw_col_t(c), titles[c], head);
    }
    for (int i = 0; i < kPartCount; ++i) {
        const Part &part = kParts[i];
        const lxw_row_t r = lxw_row_t(3 + i);
        worksheet_write_string(ws, r, 0, part.finish, cell);
        worksheet_write_string(ws, r, 1, part.oem, cell);
        worksheet_write_string(ws, r, 2, part.name, cell);
        worksheet_write_string(ws, r, 3, part.brand, cell);
        worksheet_write_string(ws, r, 4, part.model, cell);
        worksheet_write_string(ws, r, 5, part.group, cell);
        worksheet_write_string(ws, r, 6, part.unit, cell);
        worksheet_write_number(ws, r, 7, part.price, money);
        worksheet_write_number(ws, r, 8, 20, percent);
        // A live formula, with its value cached for readers that do not calculate.
        const QByteArray formula = QStringLiteral("=ROUND(H%1*(1+I%1/100),2)").arg(r + 1).toLatin1();
        worksheet_write_formula_num(ws, r, 9, formula.constData(), money, std::round(part.price * 120.0) / 100.0);
    }
    worksheet_freeze_panes(ws, 3, 0);
    worksheet_autofilter(ws, 2, 0, lxw_row_t(2 + kPartCount), 9);
    lxw_doc_properties props{};
    props.title = const_cast<char *>("Fiyat Listesi");
    props.company = const_cast<char *>("Tarsel Otomotiv");
    workbook_set_properties(wb, &props);
    const lxw_error err = workbook_close(wb);
    if (err != LXW_NO_ERROR) throw std::runtime_error(std::string("xlsx: ") + lxw_strerror(err));
    return ReadFile(dir.filePath(QStringLiteral("fiyat.xlsx")));
}

QByteArray CataloguePdf()
{
    if (!CanDrawText()) return {};
    PdfReport doc;
    doc.setOrientation(PdfReport::Orientation::Landscape);
    doc.setTitle(U("Ürün Kataloğu"));
    doc.setSubtitle(U("%1 yılı, fiyatlar KDV hariç TL").arg(QDate::currentDate().year()));
    doc.setIssuer(U("Tarsel Otomotiv San. ve Tic. A.Ş."),
                  {U("İkitelli OSB Mah. Parçacılar Sitesi 4. Blok No:18 Başakşehir / İstanbul"),
                   U("Tel: 0212 444 18 27  ·  www.tarselotomotiv.com.tr")});
    doc.setColumns({{U("OEM No"), 1.3},
                    {U("Ürün Adı"), 3},
                    {U("Stok Kodu"), 1.1},
                    {U("Marka"), 1.2},
                    {U("Araç / Model"), 2.6},
                    {U("Birim"), 0.8, Qt::AlignHCenter},
                    {U("Liste Fiyatı"), 1.2, Qt::AlignRight}});
    QString group;
    for (int i = 0; i < kPartCount; ++i) {
        const Part &p = kParts[i];
        if (U(p.group) != group) {
            group = U(p.group);
            doc.addSectionRow(group);
        }
        doc.addRow({U(p.oem), U(p.name), U(p.finish), U(p.brand), U(p.model), U(p.unit), FormatMoneyTr(p.price)});
    }
    doc.addNote(U("Fiyatlar bilgi amaçlıdır; geçerli fiyat ve iskontolar sipariş anında B2B programında görünür. "
                  "Stok durumu için ürün satırındaki durum simgesine bakınız."));
    doc.setFooter(U("Tarsel Otomotiv · Ürün Kataloğu"));
    return doc.render();
}

QByteArray ReturnFormPdf()
{
    if (!CanDrawText()) return {};
    PdfReport doc;
    doc.setTitle(U("İade ve Garanti Formu"));
    doc.setSubtitle(U("Form No: İGF-01 / Revizyon 3"));
    doc.setIssuer(U("Tarsel Otomotiv San. ve Tic. A.Ş."),
                  {U("Satış Sonrası Hizmetler · iade@tarselotomotiv.com.tr")});
    for (const char *f : {"Firma Ünvanı", "Cari Kodu", "Yetkili", "Telefon", "Fatura No", "Fatura Tarihi",
                          "İade Nedeni", "Araç Plakası / Km"})
        doc.addField(U(f), U("...................................."));
    doc.setColumns({{U("Sıra"), 0.6, Qt::AlignHCenter},
                    {U("Stok Kodu / OEM No"), 2},
                    {U("Ürün Adı"), 3},
                    {U("Miktar"), 1, Qt::AlignRight},
                    {U("Açıklama"), 3}});
    // Rows two lines high, room to write by hand.
    for (int i = 1; i <= 8; ++i) doc.addRow({QString::number(i), QString(), QString(), QString(), QStringLiteral("\n")});
    doc.addNote(U("1. İade edilecek ürünler orijinal ambalajında, faturası ile birlikte 15 gün içinde gönderilmelidir."));
    doc.addNote(U("2. Montajı yapılmış ürünlerde garanti değerlendirmesi üretici raporuna göre yapılır."));
    doc.addNote(U("3. Kargo ücreti, hatalı gönderimler dışında alıcıya aittir."));
    doc.addNote(U("\nİmza / Kaşe: ........................................        Tarih: ..../..../........"));
    doc.setFooter(U("Tarsel Otomotiv · İade ve Garanti Formu"));
    return doc.render();
}

QByteArray DealerContractDocx()
{
    const QStringList paragraphs = {
        U("Bu sözleşme, Tarsel Otomotiv San. ve Tic. A.Ş. (bundan sonra \"Tarsel\") ile bayi arasında, B2B sipariş "
          "sisteminin kullanımı ve ticari çalışma koşullarını düzenlemek amacıyla yapılmıştır."),
        U("Madde 1 – Sipariş: Bayi, siparişlerini Tarsel B2B programı üzerinden verir. Saat 16:00'ya kadar onaylanan "
          "siparişler aynı gün sevk edilir."),
        U("Madde 2 – Fiyat ve İskonto: Fiyatlar programda gösterilen liste fiyatlarıdır; bayiye özel iskonto oranları "
          "cari kartında tanımlıdır. Kampanyalı ürünlerde kampanya koşulları geçerlidir."),
        U("Madde 3 – Ödeme: Ödemeler cari hesabın vade gününe göre nakit, çek, havale/EFT veya sanal POS üzerinden "
          "kredi kartı ile yapılır. Vadesi geçen bakiyelerde yeni sipariş onayı bekletilebilir."),
        U("Madde 4 – İade: İade ve garanti talepleri İade ve Garanti Formu ile 15 gün içinde bildirilir."),
        U("Madde 5 – Gizlilik: Bayiye verilen kullanıcı adı ve şifre kişiye özeldir; değişiklik talepleri programdaki "
          "\"Şifre Değiştirme İsteği\" ile yapılır."),
    };
    QString body;
    auto para = [&](const QString &text, bool bold, int halfPoints, bool center) {
        body += QStringLiteral("<w:p>");
        if (center) body += QStringLiteral("<w:pPr><w:jc w:val=\"center\"/></w:pPr>");
        body += QStringLiteral("<w:r><w:rPr>");
        if (bold) body += QStringLiteral("<w:b/>");
        body += QStringLiteral("<w:sz w:val=\"%1\"/></w:rPr><w:t xml:space=\"preserve\">%2</w:t></w:r></w:p>")
                    .arg(halfPoints)
                    .arg(XmlEscape(text));
    };
    para(U("BAYİ ÇALIŞMA SÖZLEŞMESİ"), true, 32, true);
    para(QString(), false, 22, false);
    for (const QString &p : paragraphs) para(p, false, 22, false);
    para(QString(), false, 22, false);
    para(U("Tarsel Otomotiv San. ve Tic. A.Ş.                                        Bayi (Kaşe / İmza)"), true, 22,
         false);

    const QByteArray contentTypes =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
        R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
        R"(<Default Extension="xml" ContentType="application/xml"/>)"
        R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
        R"(<Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>)"
        R"(</Types>)";
    const QByteArray rels =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
        R"(<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" Target="docProps/core.xml"/>)"
        R"(</Relationships>)";
    const QByteArray core =
        (U(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
           R"(<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" )"
           R"(xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" )"
           R"(xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">)"
           R"(<dc:title>Bayi Çalışma Sözleşmesi</dc:title><dc:creator>Tarsel Otomotiv</dc:creator>)"
           R"(<dcterms:created xsi:type="dcterms:W3CDTF">%1</dcterms:created>)"
           R"(</cp:coreProperties>)")
             .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate)))
            .toUtf8();
    const QByteArray document =
        (QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                        R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)") +
         body +
         QStringLiteral(R"(<w:sectPr><w:pgSz w:w="11906" w:h="16838"/>)"
                        R"(<w:pgMar w:top="1417" w:right="1417" w:bottom="1417" w:left="1417" w:header="708" w:footer="708" w:gutter="0"/>)"
                        R"(</w:sectPr></w:body></w:document>)"))
            .toUtf8();
    return MakeZip({{QStringLiteral("[Content_Types].xml"), contentTypes},
                    {QStringLiteral("_rels/.rels"), rels},
                    {QStringLiteral("docProps/core.xml"), core},
                    {QStringLiteral("word/document.xml"), document}});
}

QByteArray CampaignPicturesZip()
{
    return MakeZip({{U("fren_kampanyası_afiş.jpg"), PosterJpeg()},
                    {U("yeni_ürünler.jpg"), AdvertJpeg(1, U("Yeni Gelen Ürünler"), U("Bu ay 140 yeni ürün"), QString())},
                    {U("tarsel_logo.png"), LogoPng()},
                    {U("OKUBENİ.txt"),
                     U("Kampanya görsellerini vitrininizde ve sosyal medya hesaplarınızda kullanabilirsiniz.\r\n"
                       "Görsellerin değiştirilmeden kullanılması rica olunur.\r\n")
                         .toUtf8()}});
}

QByteArray ShippingInfoText()
{
    // UTF-8 with a byte order mark, Windows line ends: opens right in Notepad.
    const QString text =
        U("TARSEL OTOMOTİV – DEPO VE SEVKİYAT BİLGİLERİ\r\n"
          "============================================\r\n\r\n"
          "Merkez Depo : İkitelli OSB Mah. Parçacılar Sitesi 4. Blok No:18 Başakşehir / İstanbul\r\n"
          "Ankara Depo : Ostim OSB 1203. Cad. No:41 Yenimahalle / Ankara\r\n\r\n"
          "Sevkiyat saatleri\r\n"
          "  Hafta içi 08:30 – 18:00, Cumartesi 09:00 – 14:00\r\n"
          "  16:00'ya kadar onaylanan siparişler aynı gün kargoya verilir.\r\n\r\n"
          "Anlaşmalı kargo ve ambarlar\r\n"
          "  - Yurtiçi, Aras ve MNG kargo (desi hesabı kargo firmasının tarifesine göre)\r\n"
          "  - Anadolu yakası ve Trakya için kendi araçlarımızla dağıtım (Salı ve Perşembe)\r\n\r\n"
          "İletişim: 0212 444 18 27 · sevkiyat@tarselotomotiv.com.tr\r\n");
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

}  // namespace tarsel::server::demo
