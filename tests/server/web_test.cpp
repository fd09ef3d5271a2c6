// The seller's web side of tarsel-server: the pieces (escaping, form
// decoding, validation, picture types) and the real server on its web port.

#include "server/dbpool.h"
#include "server/website.h"
#include "tests/server/pgtest.h"
#include "tests/server/qtcoreapp.h"
#include "tests/server/serverprocess.h"
#include "tests/server/testhttp.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QUrlQuery>

#include <regex>

using namespace tarsel::test;
namespace srv = tarsel::server;
using namespace std::chrono_literals;

namespace {

bool Contains(const std::string &haystack, std::string_view needle)
{
    return haystack.find(needle) != std::string::npos;
}

// x-www-form-urlencoded body of the pairs (as a browser sends it).
std::string FormBody(const std::vector<std::pair<QString, QString>> &pairs)
{
    std::string out;
    for (const auto &[k, v] : pairs) {
        if (!out.empty())
            out += '&';
        out += QUrl::toPercentEncoding(k).toStdString() + '=' +
               QUrl::toPercentEncoding(v).replace("%20", "+").toStdString();
    }
    return out;
}

// A complete request whose every field holds HTML special characters.
std::vector<std::pair<QString, QString>> FullForm()
{
    return {
        {"carino", "0"},
        {"kullanici", " "},
        {"id", "PC-<1234>&\"x\""},
        {"firmaadi", "Öz <b>Şahin</b> & Oğulları \"Oto\""},
        {"adres", "Sanayi Mah. 'Çınar' Sok. No:5"},
        {"ilce", "Çorlu"},
        {"sehir", "Tekirdağ"},
        {"telefon", "0282 654 32 10"},
        {"fax", "0282 654 32 11"},
        {"vd", "Çorlu <VD>"},
        {"vn", "1234567890"},
        {"yetkili", "Ayşe Yılmaz"},
        {"kullaniciadi", "OZSAHIN"},
        {"mail", "ayse@ozsahin-oto.com.tr"},
        {"kargoambar", "Yurtiçi Kargo"},
        {"aciklama", "Satır 1 <script>alert(1)</script>\r\nSatır 2"},
    };
}

std::unique_ptr<srv::Db> OpenServerDb(const ServerProcess &s)
{
    static int seq = 0;
    return std::make_unique<srv::Db>(srv::ParseConnectionString(s.databaseUrl()),
                                     QStringLiteral("web-test-%1").arg(++seq));
}

// One web server for the tests that need no special options.
class WebServer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        server_ = new ServerProcess(ServerProcess::Database::FromEnvironment);
        server_->start();
    }
    static void TearDownTestSuite()
    {
        EXPECT_EQ(server_->stop(), 0) << server_->log();
        delete server_;
        server_ = nullptr;
    }
    static ServerProcess &server() { return *server_; }
    static inline ServerProcess *server_ = nullptr;
};

} // namespace

// ---------------------------------------------------------------------------
// Pieces.

TEST(WebPieces, HtmlEscapeCoversEveryActiveCharacter)
{
    const std::pair<const char *, const char *> cases[] = {
        {"", ""},
        {"Şahin Oto", "Şahin Oto"},
        {"<script>", "&lt;script&gt;"},
        {"a & b", "a &amp; b"},
        {"\"'", "&quot;&#39;"},
        {"&amp;", "&amp;amp;"},
    };
    for (const auto &[in, out] : cases)
        EXPECT_EQ(srv::HtmlEscape(in), out) << in;
}

TEST(WebPieces, FormDataIsDecodedAsBrowsersEncodeIt)
{
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    const struct {
        const char *in;
        std::optional<Pairs> out;
    } cases[] = {
        {"", Pairs{}},
        {"a=1&b=2", Pairs{{"a", "1"}, {"b", "2"}}},
        {"carino=0&kullanici= &id=PC-1", Pairs{{"carino", "0"}, {"kullanici", " "}, {"id", "PC-1"}}},
        {"ad=%C5%9Eahin+Oto", Pairs{{"ad", "Şahin Oto"}}},
        {"a=%2B%26%3D", Pairs{{"a", "+&="}}},
        {"bos=&=deger&&yalniz", Pairs{{"bos", ""}, {"", "deger"}, {"yalniz", ""}}},
        {"a=b=c", Pairs{{"a", "b=c"}}},
        {"a=%ZZ", std::nullopt},
        {"a=%4", std::nullopt},
        {"a=%", std::nullopt},
        {"a=%FF%FE", std::nullopt},  // not UTF-8
        {"%C3=1", std::nullopt},     // cut UTF-8 sequence in a name
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(srv::ParseFormData(c.in), c.out);
    }
}

TEST(WebPieces, PeerAddressDropsThePort)
{
    EXPECT_EQ(srv::PeerAddress("127.0.0.1:5123"), "127.0.0.1");
    EXPECT_EQ(srv::PeerAddress("[2001:db8::7]:443"), "2001:db8::7");
    EXPECT_EQ(srv::PeerAddress("10.1.2.3"), "10.1.2.3");
}

TEST(WebPieces, PictureContentTypeFromKindOrBytes)
{
    const std::string jpeg("\xFF\xD8\xFF\xE0", 4), png("\x89PNG\r\n\x1a\n....", 12), bmp("BM" + std::string(20, '\0'));
    const struct {
        const char *kind;
        std::string bytes;
        const char *type;
    } cases[] = {
        {"jpeg", "", "image/jpeg"},     {"JPG", "", "image/jpeg"},       {"image/jpeg", "", "image/jpeg"},
        {"png", "", "image/png"},       {"image/PNG", "", "image/png"},  {"bmp", "", "image/bmp"},
        {".jpg", "", "image/jpeg"},     {"", jpeg, "image/jpeg"},        {"", png, "image/png"},
        {"", bmp, "image/bmp"},         {"gif", "GIF89a", ""},           {"", "metin", ""},
        {"tiff", jpeg, "image/jpeg"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " / " + std::to_string(c.bytes.size()));
        EXPECT_EQ(srv::PictureContentType(c.kind, c.bytes), c.type);
    }
}

TEST(WebPieces, ValidationNamesEachMissingOrBadField)
{
    const auto complete = [] {
        std::vector<std::pair<std::string, std::string>> form;
        for (const auto &[k, v] : FullForm())
            form.emplace_back(k.toStdString(), v.toStdString());
        return srv::AccessRequestFromForm(form);
    };
    {
        srv::AccessRequest r = complete();
        EXPECT_TRUE(srv::ValidateAccessRequest(r).empty());
        EXPECT_EQ(r.kullanici, "");  // trimmed
        EXPECT_EQ(r.aciklama, "Satır 1 <script>alert(1)</script>\nSatır 2");
    }
    const struct {
        std::string srv::AccessRequest::*member;
        const char *value;
        const char *field;
        const char *message;
    } cases[] = {
        {&srv::AccessRequest::firmaadi, "   ", "firmaadi", "Firma Adı boş olamaz !"},
        {&srv::AccessRequest::adres, "", "adres", "Adres boş olamaz !"},
        {&srv::AccessRequest::ilce, "", "ilce", "İlçe Adı boş olamaz !"},
        {&srv::AccessRequest::sehir, "\t", "sehir", "Şehir Adı boş olamaz !"},
        {&srv::AccessRequest::telefon, "", "telefon", "Telefon  boş olamaz !"},
        {&srv::AccessRequest::telefon, "beni ara", "telefon", "Geçerli bir telefon numarası giriniz !"},
        {&srv::AccessRequest::yetkili, "", "yetkili", "Yetkili  boş olamaz !"},
        {&srv::AccessRequest::kullaniciadi, "", "kullaniciadi", "Kullanıcı  boş olamaz !"},
        {&srv::AccessRequest::mail, "", "mail", "Mail  boş olamaz !"},
        {&srv::AccessRequest::mail, "ayse.ozsahin", "mail", "Geçerli bir e-posta adresi giriniz !"},
        {&srv::AccessRequest::vn, "12AB", "vn", "Vergi No 10 (vergi kimlik no) veya 11 (T.C. kimlik no) haneli olmalıdır !"},
        {&srv::AccessRequest::bilgisayarId, " ", "id", "Bilgisayar kimliği eksik; bu formu TarselB2B programından açınız !"},
        {&srv::AccessRequest::carino, "12a", "carino", "Geçersiz cari numarası !"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.message);
        srv::AccessRequest r = complete();
        r.*(c.member) = c.value;
        const auto errors = srv::ValidateAccessRequest(r);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].field, c.field);
        EXPECT_EQ(errors[0].message, c.message);
    }
    // Optional fields may stay empty; an over-long one is refused.
    srv::AccessRequest optional = complete();
    optional.fax = optional.vd = optional.vn = optional.kargoambar = optional.aciklama = "";
    EXPECT_TRUE(srv::ValidateAccessRequest(optional).empty());
    srv::AccessRequest tooLong = complete();
    tooLong.aciklama = std::string(2001, 'x');
    const auto errors = srv::ValidateAccessRequest(tooLong);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].field, "aciklama");
}

// ---------------------------------------------------------------------------
// The real server.

TEST_F(WebServer, IpPhpAnswersTheCallersAddress)
{
    HttpClient http;
    const HttpResult r = http.get(server().webUrl("/ip.php"));
    ASSERT_EQ(r.curlCode, 0) << r.curlError;
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body, "127.0.0.1");
    EXPECT_EQ(r.header("content-type"), "text/plain; charset=utf-8");
}

TEST_F(WebServer, PagesAnswerUtf8TurkishHtml)
{
    const struct {
        const char *path;
        std::vector<const char *> texts;
    } cases[] = {
        {"/", {"Tarsel Otomotiv", "href=\"/download/latest\"", "href=\"/iletisim.html\"", "Sipariş"}},
        {"/index.html", {"Tarsel Otomotiv"}},
        {"/iletisim.html",
         {"İletişim", "Çalışma Saatleri", "Adres", "Telefon", "E-posta", "class=\"harita\"", "Cumartesi"}},
        {"/ILETISIM.HTML", {"İletişim"}},
    };
    HttpClient http;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        const HttpResult r = http.get(server().webUrl(c.path));
        ASSERT_EQ(r.curlCode, 0) << r.curlError;
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.header("content-type"), "text/html; charset=utf-8");
        EXPECT_TRUE(Contains(r.body, "<meta charset=\"utf-8\">"));
        EXPECT_TRUE(Contains(r.body, "lang=\"tr\""));
        for (const char *t : c.texts)
            EXPECT_TRUE(Contains(r.body, t)) << t;
    }
    const HttpResult css = http.get(server().webUrl("/style.css"));
    EXPECT_EQ(css.status, 200);
    EXPECT_EQ(css.header("content-type"), "text/css; charset=utf-8");
}

TEST_F(WebServer, UnknownPathsAndWrongVerbs)
{
    HttpClient http;
    const HttpResult missing = http.get(server().webUrl("/yok/<b>.html"));
    EXPECT_EQ(missing.status, 404);
    EXPECT_EQ(missing.header("content-type"), "text/html; charset=utf-8");
    EXPECT_TRUE(Contains(missing.body, "Sayfa bulunamadı"));
    EXPECT_FALSE(Contains(missing.body, "<b>.html"));
    for (const char *path : {"/", "/ip.php", "/TarselSetup", "/resimgoster.ashx?id=1"}) {
        const HttpResult r = http.post(server().webUrl(path), "x=1");
        EXPECT_EQ(r.status, 405) << path;
        EXPECT_EQ(r.header("allow"), "GET") << path;
    }
    const HttpResult del = http.request("DELETE", server().webUrl("/formmailgonder.aspx"), "");
    EXPECT_EQ(del.status, 405);
    EXPECT_EQ(del.header("allow"), "GET, POST");
    // The application's remote methods do not answer on the web port.
    EXPECT_EQ(http.post(server().webUrl("/datasnap/TServerMethods1.BuyukGetir"), "{\"params\":[\"X\"]}").status,
              404);
}

TEST_F(WebServer, PicturesAreServedWithTheirContentType)
{
    const std::string jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x02\x00\xFF\xD9", 18);
    const std::string png("\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\x00\x00", 18);
    const std::string bmp("BM\x3e\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00", 14);
    const struct {
        int stokno;
        const char *tur;
        std::string bytes;
        const char *type;
    } cases[] = {
        {990001, "image/jpeg", jpeg, "image/jpeg"},
        {990002, "png", png, "image/png"},
        {990003, "image/bmp", bmp, "image/bmp"},
        {990004, "jpg", jpeg, "image/jpeg"},
    };
    {
        auto db = OpenServerDb(server());
        for (const auto &c : cases) {
            db->exec("INSERT INTO stock (stokno, barkod, adi) VALUES (?, ?, ?)",
                     {c.stokno, QString("WEB-%1").arg(c.stokno), "Resim deneme"});
            db->exec("INSERT INTO stock_pictures (stokno, resim, tur) VALUES (?, ?, ?)",
                     {c.stokno, QByteArray(c.bytes.data(), qsizetype(c.bytes.size())), c.tur});
        }
    }
    HttpClient http;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.stokno);
        const HttpResult r = http.get(server().webUrl("/resimgoster.ashx?id=" + std::to_string(c.stokno)));
        ASSERT_EQ(r.curlCode, 0) << r.curlError;
        EXPECT_EQ(r.status, 200) << r.body;
        EXPECT_EQ(r.header("content-type"), c.type);
        EXPECT_EQ(r.body, c.bytes);
    }
    const struct {
        const char *query;
        long status;
    } misses[] = {
        {"?id=990099", 404}, {"?id=0", 404}, {"?id=abc", 400}, {"?id=", 400}, {"", 400},
        {"?id=1%3BDROP", 400}, {"?id=99999999999999999999", 400},
    };
    for (const auto &m : misses) {
        SCOPED_TRACE(m.query);
        const HttpResult r = http.get(server().webUrl(std::string("/resimgoster.ashx") + m.query));
        EXPECT_EQ(r.status, m.status) << r.body;
        EXPECT_EQ(r.header("content-type"), "text/plain; charset=utf-8");
    }
}

TEST_F(WebServer, FormCarriesTheComputerIdAndEscapesIt)
{
    HttpClient http;
    const HttpResult r = http.get(server().webUrl("/formmailgonder.aspx?carino=0&kullanici=%20&id=TEST-PC-42"));
    ASSERT_EQ(r.curlCode, 0) << r.curlError;
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.header("content-type"), "text/html; charset=utf-8");
    EXPECT_TRUE(Contains(r.body, "<input type=\"hidden\" name=\"id\" value=\"TEST-PC-42\">")) << r.body;
    EXPECT_TRUE(Contains(r.body, "<input type=\"hidden\" name=\"carino\" value=\"0\">"));
    EXPECT_TRUE(Contains(r.body, "<input type=\"hidden\" name=\"kullanici\" value=\" \">"));
    EXPECT_TRUE(Contains(r.body, "method=\"post\""));
    for (const char *field : {"firmaadi", "adres", "ilce", "sehir", "telefon", "fax", "vd", "vn", "yetkili",
                              "kullaniciadi", "mail", "kargoambar", "aciklama"})
        EXPECT_TRUE(Contains(r.body, std::string("name=\"") + field + "\"")) << field;

    const HttpResult hostile =
        http.get(server().webUrl("/formmailgonder.aspx?id=%22%3E%3Cscript%3Ealert(1)%3C/script%3E&kullanici=%3Cb%3E"));
    EXPECT_EQ(hostile.status, 200);
    EXPECT_FALSE(Contains(hostile.body, "<script>"));
    EXPECT_TRUE(Contains(hostile.body, "value=\"&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;\""));
    EXPECT_TRUE(Contains(hostile.body, "value=\"&lt;b&gt;\""));

    const HttpResult noId = http.get(server().webUrl("/formmailgonder.aspx"));
    EXPECT_EQ(noId.status, 200);
    EXPECT_TRUE(Contains(noId.body, "Bilgisayar kimliği bulunamadı"));
}

TEST_F(WebServer, PostStoresOneRowWithEveryFieldAndEscapesTheThankYouPage)
{
    EXPECT_EQ(server().postgres(), PgTestAvailable());  // both databases when TARSEL_TEST_PG is set
    auto db = OpenServerDb(server());
    const int before = db->scalar("SELECT COUNT(*) FROM access_requests").toInt();

    HttpClient http;
    const auto form = FullForm();
    const HttpResult r = http.post(server().webUrl("/formmailgonder.aspx"), FormBody(form),
                                   {"Content-Type: application/x-www-form-urlencoded"});
    ASSERT_EQ(r.curlCode, 0) << r.curlError;
    EXPECT_EQ(r.status, 200) << r.body;
    EXPECT_EQ(r.header("content-type"), "text/html; charset=utf-8");
    EXPECT_TRUE(Contains(r.body, "başvurunuz alındı")) << r.body;
    EXPECT_TRUE(Contains(r.body, "Öz &lt;b&gt;Şahin&lt;/b&gt; &amp; Oğulları &quot;Oto&quot;")) << r.body;
    EXPECT_FALSE(Contains(r.body, "<b>Şahin"));
    EXPECT_TRUE(Contains(r.body, "PC-&lt;1234&gt;&amp;&quot;x&quot;"));

    EXPECT_EQ(db->scalar("SELECT COUNT(*) FROM access_requests").toInt(), before + 1);
    QSqlQuery q = db->exec(
        "SELECT bilgisayar_id, carino, kullanici, firmaadi, adres, ilce, sehir, telefon, fax, vergi_dairesi, "
        "vergi_no, yetkili, kullaniciadi, email, kargoambar, aciklama, ip_adresi, kayit_tarihi, gonderildi "
        "FROM access_requests ORDER BY id DESC LIMIT 1");
    ASSERT_TRUE(q.next());
    const QStringList expected{"PC-<1234>&\"x\"",
                               "0",
                               "",
                               "Öz <b>Şahin</b> & Oğulları \"Oto\"",
                               "Sanayi Mah. 'Çınar' Sok. No:5",
                               "Çorlu",
                               "Tekirdağ",
                               "0282 654 32 10",
                               "0282 654 32 11",
                               "Çorlu <VD>",
                               "1234567890",
                               "Ayşe Yılmaz",
                               "OZSAHIN",
                               "ayse@ozsahin-oto.com.tr",
                               "Yurtiçi Kargo",
                               "Satır 1 <script>alert(1)</script>\nSatır 2",
                               "127.0.0.1"};
    for (int i = 0; i < expected.size(); ++i)
        EXPECT_EQ(q.value(i).toString(), expected[i]) << "column " << i;
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                    .match(q.value(17).toString())
                    .hasMatch())
        << q.value(17).toString().toStdString();
    EXPECT_EQ(q.value(18).toInt(), 0);
}

TEST_F(WebServer, InvalidPostsShowTheFormAgainAndStoreNothing)
{
    auto db = OpenServerDb(server());
    const int before = db->scalar("SELECT COUNT(*) FROM access_requests").toInt();
    HttpClient http;

    auto form = FullForm();
    for (auto &[k, v] : form) {
        if (k == "firmaadi") v = "<i>Eksik</i> Ltd";
        if (k == "mail" || k == "telefon") v = "  ";
    }
    const HttpResult r = http.post(server().webUrl("/formmailgonder.aspx"), FormBody(form),
                                   {"Content-Type: application/x-www-form-urlencoded; charset=UTF-8"});
    EXPECT_EQ(r.status, 422);
    EXPECT_EQ(r.header("content-type"), "text/html; charset=utf-8");
    EXPECT_TRUE(Contains(r.body, "Telefon  boş olamaz !"));
    EXPECT_TRUE(Contains(r.body, "Mail  boş olamaz !"));
    EXPECT_TRUE(Contains(r.body, "value=\"&lt;i&gt;Eksik&lt;/i&gt; Ltd\""));  // kept, escaped
    EXPECT_FALSE(Contains(r.body, "<i>Eksik"));
    EXPECT_FALSE(Contains(r.body, "<script>"));

    const struct {
        std::string body;
        const char *contentType;
        long status;
    } refusals[] = {
        {FormBody(FullForm()), "Content-Type: text/plain", 415},
        {FormBody(FullForm()), "Content-Type: multipart/form-data; boundary=x", 415},
        {"firmaadi=%ZZ", "Content-Type: application/x-www-form-urlencoded", 400},
        {"firmaadi=%FF", "Content-Type: application/x-www-form-urlencoded", 400},
    };
    for (const auto &c : refusals) {
        SCOPED_TRACE(c.contentType);
        EXPECT_EQ(http.post(server().webUrl("/formmailgonder.aspx"), c.body, {c.contentType}).status, c.status);
    }
    EXPECT_EQ(db->scalar("SELECT COUNT(*) FROM access_requests").toInt(), before);
}

TEST_F(WebServer, InstallerIsAnExecutableScriptThatRecordsItsRun)
{
    HttpClient http;
    for (const char *path : {"/TarselSetup", "/TarselSetup.exe", "/tarselsetup.EXE"}) {
        SCOPED_TRACE(path);
        const HttpResult r = http.get(server().webUrl(path));
        ASSERT_EQ(r.curlCode, 0) << r.curlError;
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(r.header("content-type"), "application/octet-stream");
        EXPECT_TRUE(Contains(r.header("content-disposition"), "attachment; filename=\"TarselSetup"));
        EXPECT_EQ(r.body.rfind("#!/bin/sh\n", 0), 0u);
    }
    const HttpResult r = http.get(server().webUrl("/TarselSetup.exe"));
    EXPECT_EQ(r.header("content-disposition"), "attachment; filename=\"TarselSetup.exe\"");

    // Run it the way the self-update does: saved, made executable, "/silent".
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString file = home.filePath("TarselSetup.exe");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(r.body.data(), qint64(r.body.size()));
    }
    QFile::setPermissions(file, QFile::permissions(file) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    for (int run = 0; run < 2; ++run) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        p.setProcessEnvironment(env);
        p.start(file, {"/silent", run == 0 ? "ilk" : "ikinci çalışma"});
        ASSERT_TRUE(p.waitForFinished(30000)) << p.errorString().toStdString();
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    QFile log(home.filePath(".local/share/tarselotomotiv/setup-ran.log"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d /silent ilk$").match(lines[0]).hasMatch())
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith(" /silent ikinci çalışma")) << lines[1].toStdString();
}

TEST_F(WebServer, DownloadRedirectIsFollowedWithTheSelfUpdateHeaders)
{
    HttpClient http;
    const HttpResult raw = http.get(server().webUrl("/download/latest"));
    EXPECT_EQ(raw.status, 302);
    EXPECT_EQ(raw.header("location"), "/TarselSetup");

    // As the self-update asks for it: redirects followed, browser headers.
    QNetworkAccessManager nam;
    QNetworkRequest req(QUrl(QString::fromStdString(server().webUrl("/download/latest"))));
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    req.setRawHeader("Accept",
                     "text/html,application/xhtml+xml,application/xml;q=0.9,image/webp,image/apng,*/*;q=0.8");
    req.setRawHeader("Accept-Encoding", "gzip, deflate");
    req.setRawHeader("Accept-Language", "en-US,tr-TR;q=0.8,tr;q=0.6,en;q=0.4");
    req.setRawHeader("User-Agent", "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like "
                                   "Gecko) Chrome/60.0.3112.32 Safari/537.36");
    QNetworkReply *reply = nam.get(req);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_TRUE(reply->isFinished());
    EXPECT_EQ(reply->error(), QNetworkReply::NoError) << reply->errorString().toStdString();
    EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    EXPECT_EQ(reply->url().path(), "/TarselSetup");
    EXPECT_TRUE(reply->readAll().startsWith("#!/bin/sh\n"));
    reply->deleteLater();
}

TEST(WebPort, TheWebPortIsPrintedAfterTheMainLineAndBothAnswer)
{
    ServerProcess s;
    s.start();
    const std::string out = s.stdoutText();
    const auto main = out.find("tarsel-server listening on 127.0.0.1:");
    const auto web = out.find("tarsel-server web on 127.0.0.1:" + std::to_string(s.webPort()) + "\n");
    ASSERT_NE(main, std::string::npos) << out;
    ASSERT_NE(web, std::string::npos) << out;
    EXPECT_LT(main, web);
    EXPECT_NE(s.port(), s.webPort());
    HttpClient http;
    EXPECT_EQ(http.get(s.webUrl("/health")).status, 200);
    EXPECT_EQ(http.get(s.url("/")).status, 404);  // the pages are not on the main port
    EXPECT_EQ(s.stop(), 0) << s.log();
}

TEST(WebPort, AWebPortInUseFailsTheStart)
{
    ServerProcess first;
    first.start();
    const auto r = ServerProcess::run({"serve", "--config", "/dev/null", "--listen", "127.0.0.1", "--port", "0",
                                       "--web-port", QString::number(first.webPort()), "--db",
                                       "sqlite:" + first.dataDir() + "/other.db"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find(std::to_string(first.webPort())), std::string::npos) << r.err;
    EXPECT_EQ(r.out.find("listening"), std::string::npos) << r.out;
}
