#include "server/website.h"

#include "server/handlers.h"
#include "server/log.h"
#include "server/migrations.h"

#include <QByteArray>
#include <QFile>
#include <QSqlQuery>
#include <QString>
#include <QStringDecoder>

#include <algorithm>
#include <map>
#include <stdexcept>

namespace tarsel::server {

namespace {

const char *const kHtml = "text/html; charset=utf-8";
const char *const kText = "text/plain; charset=utf-8";

// ---------------------------------------------------------------------------
// Pages and the installer, compiled in from server/web/.

struct WebFiles {
    std::string index, iletisim, style, form, thanks, notFound, installer;
};

std::string ReadResource(const char *name)
{
    QFile f(QStringLiteral(":/web/") + QString::fromLatin1(name));
    if (!f.open(QIODevice::ReadOnly))
        throw std::runtime_error(std::string("Web dosyası programda yok: ") + name);
    const QByteArray data = f.readAll();
    return std::string(data.constData(), std::size_t(data.size()));
}

const WebFiles &Files()
{
    static const WebFiles files = [] {
        WebFiles w;
        w.index = ReadResource("index.html");
        w.iletisim = ReadResource("iletisim.html");
        w.style = ReadResource("style.css");
        w.form = ReadResource("formmailgonder.html");
        w.thanks = ReadResource("tesekkurler.html");
        w.notFound = ReadResource("bulunamadi.html");
        w.installer = ReadResource("TarselSetup.sh");
        return w;
    }();
    return files;
}

// Replaces {{name}} with the escaped value and {{!name}} with the raw value
// (HTML built here, already escaped). Unknown names become empty.
std::string Render(std::string_view tpl, const std::map<std::string, std::string, std::less<>> &values)
{
    std::string out;
    out.reserve(tpl.size() + 1024);
    std::size_t pos = 0;
    for (;;) {
        const auto open = tpl.find("{{", pos);
        if (open == std::string_view::npos)
            break;
        const auto close = tpl.find("}}", open + 2);
        if (close == std::string_view::npos)
            break;
        out.append(tpl.substr(pos, open - pos));
        std::string_view key = tpl.substr(open + 2, close - open - 2);
        const bool raw = !key.empty() && key.front() == '!';
        const auto it = values.find(key);
        if (it != values.end())
            out += raw ? it->second : HtmlEscape(it->second);
        pos = close + 2;
    }
    out.append(tpl.substr(pos));
    return out;
}

Response WithBody(int status, const char *contentType, std::string body)
{
    Response r;
    r.status = status;
    r.contentType = contentType;
    r.body = std::move(body);
    return r;
}

Response HtmlPage(int status, std::string body)
{
    Response r = WithBody(status, kHtml, std::move(body));
    r.headers.emplace_back("Cache-Control", "no-cache");
    r.headers.emplace_back("X-Content-Type-Options", "nosniff");
    r.headers.emplace_back("Referrer-Policy", "same-origin");
    r.headers.emplace_back("Content-Security-Policy",
                           "default-src 'self'; img-src 'self' data:; style-src 'self'; form-action 'self'");
    return r;
}

Response TextAnswer(int status, std::string text)
{
    Response r = WithBody(status, kText, std::move(text));
    r.headers.emplace_back("Cache-Control", "no-store");
    r.headers.emplace_back("X-Content-Type-Options", "nosniff");
    if (status >= 400)
        r.logNote = r.body;
    return r;
}

Response NotFoundPage(const std::string &path)
{
    Response r = HtmlPage(404, Render(Files().notFound, {{"yol", path}}));
    r.logNote = "Bulunamadı: " + path;
    return r;
}

Response WrongVerb(const std::string &verb, const char *allow)
{
    Response r = TextAnswer(405, "Bu adres için izin verilmeyen yöntem: " + verb);
    r.headers.emplace_back("Allow", allow);
    return r;
}

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return out;
}

// First value of name (exact match), or empty.
std::string FormValue(const std::vector<std::pair<std::string, std::string>> &form, std::string_view name)
{
    for (const auto &[k, v] : form)
        if (k == name)
            return v;
    return {};
}

bool AllDigits(std::string_view s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// ---------------------------------------------------------------------------
// The access request form.

struct FormField {
    const char *name;          // form field name
    const char *label;
    int maxChars;
    const char *emptyMessage;  // nullptr: may stay empty
    bool multiline;
    std::string AccessRequest::*member;
    const char *autocomplete;
};

const FormField kFormFields[] = {
    {"firmaadi", "Firma Adı", 200, "Firma Adı boş olamaz !", false, &AccessRequest::firmaadi, "organization"},
    {"adres", "Adres", 400, "Adres boş olamaz !", false, &AccessRequest::adres, "street-address"},
    {"ilce", "İlçe", 100, "İlçe Adı boş olamaz !", false, &AccessRequest::ilce, "address-level2"},
    {"sehir", "Şehir", 100, "Şehir Adı boş olamaz !", false, &AccessRequest::sehir, "address-level1"},
    {"telefon", "Telefon", 50, "Telefon  boş olamaz !", false, &AccessRequest::telefon, "tel"},
    {"fax", "Fax", 50, nullptr, false, &AccessRequest::fax, "off"},
    {"vd", "Vergi Dairesi", 100, nullptr, false, &AccessRequest::vd, "off"},
    {"vn", "Vergi No", 20, nullptr, false, &AccessRequest::vn, "off"},
    {"yetkili", "Yetkili", 100, "Yetkili  boş olamaz !", false, &AccessRequest::yetkili, "name"},
    {"kullaniciadi", "Kullanıcı Adı", 50, "Kullanıcı  boş olamaz !", false, &AccessRequest::kullaniciadi,
     "username"},
    {"mail", "E-posta", 200, "Mail  boş olamaz !", false, &AccessRequest::mail, "email"},
    {"kargoambar", "Kargo / Ambar", 200, nullptr, false, &AccessRequest::kargoambar, "off"},
    {"aciklama", "Not", 2000, nullptr, true, &AccessRequest::aciklama, "off"},
};

constexpr int kMaxIdChars = 128;
constexpr int kMaxKullaniciChars = 100;

// One-line fields lose their control characters (tabs and line breaks
// become spaces); the note keeps its line breaks. Both are trimmed.
std::string Normalise(const std::string &text, bool multiline)
{
    QString s = QString::fromUtf8(text);
    if (multiline)
        s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QString out;
    out.reserve(s.size());
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (multiline && (u == u'\n' || u == u'\t'))
            out += c;
        else if (u < 0x20 || u == 0x7f)
            out += multiline && u == u'\r' ? QChar(u'\n') : QChar(u' ');
        else
            out += c;
    }
    return out.trimmed().toStdString();
}

int CharCount(const std::string &s)
{
    return int(QString::fromUtf8(s).toUcs4().size());
}

bool PlausibleEmail(const std::string &m)
{
    const auto at = m.find('@');
    if (at == std::string::npos || at == 0 || m.find('@', at + 1) != std::string::npos)
        return false;
    const std::string domain = m.substr(at + 1);
    const auto dot = domain.find('.');
    if (dot == std::string::npos || dot == 0 || domain.back() == '.')
        return false;
    return std::none_of(m.begin(), m.end(), [](char c) { return c == ' ' || c == '<' || c == '>' || c == ','; });
}

bool PlausiblePhone(const std::string &t)
{
    int digits = 0;
    for (char c : t) {
        if (c >= '0' && c <= '9')
            ++digits;
        else if (!(c == ' ' || c == '+' || c == '(' || c == ')' || c == '-' || c == '/' || c == '.'))
            return false;
    }
    return digits >= 7 && digits <= 15;
}

std::string FieldRow(const FormField &f, const std::string &value, const std::string *error)
{
    const std::string name = f.name;
    std::string row = "    <div class=\"satir";
    if (error)
        row += " hatali";
    row += "\">\n      <label for=\"" + name + "\"";
    if (f.emptyMessage)
        row += " class=\"zorunlu\"";
    row += ">" + HtmlEscape(f.label) + "</label>\n      <div>";
    const std::string common = " id=\"" + name + "\" name=\"" + name + "\" maxlength=\"" +
                               std::to_string(f.maxChars) + "\" autocomplete=\"" + f.autocomplete + "\"" +
                               (error ? " aria-invalid=\"true\"" : "");
    if (f.multiline)
        row += "<textarea" + common + " rows=\"4\">" + HtmlEscape(value) + "</textarea>";
    else
        row += "<input type=\"" + std::string(name == "mail" ? "email" : name == "telefon" || name == "fax" ? "tel" : "text") +
               "\"" + common + " value=\"" + HtmlEscape(value) + "\">";
    if (error)
        row += "<span class=\"alan-hata\">" + HtmlEscape(*error) + "</span>";
    row += "</div>\n    </div>\n";
    return row;
}

// ---------------------------------------------------------------------------
// Route answers.

Response AnswerIp(const Request &request)
{
    return TextAnswer(200, PeerAddress(request.peer));
}

Response AnswerInstaller(const std::string &path)
{
    const std::string lower = Lower(path);
    const bool exe = lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".exe") == 0;
    Response r = WithBody(200, "application/octet-stream", Files().installer);
    r.headers.emplace_back("Content-Disposition",
                           exe ? "attachment; filename=\"TarselSetup.exe\"" : "attachment; filename=\"TarselSetup\"");
    r.headers.emplace_back("Cache-Control", "no-cache");
    r.headers.emplace_back("X-Content-Type-Options", "nosniff");
    return r;
}

Response AnswerRedirect(const char *location)
{
    Response r = HtmlPage(302, "<!DOCTYPE html>\n<html lang=\"tr\"><head><meta charset=\"utf-8\"><title>Yönlendiriliyor"
                               "</title></head><body><p><a href=\"" +
                                   HtmlEscape(location) + "\">İndirme bağlantısı</a></p></body></html>\n");
    r.headers.emplace_back("Location", location);
    return r;
}

Response AnswerFormGet(const Request &request)
{
    const auto query = ParseFormData(request.query);
    if (!query)
        return TextAnswer(400, "Geçersiz adres parametreleri");
    AccessRequest r = AccessRequestFromForm(*query);
    // The program passes the user name it knows; offer it as the requested one.
    r.kullaniciadi = Normalise(r.kullanici, false);
    return HtmlPage(200, RenderAccessForm(r, {}));
}

Response AnswerFormPost(Db &db, const Request &request)
{
    const std::string contentType = Lower(request.contentType.substr(0, request.contentType.find(';')));
    std::string_view type = contentType;
    while (!type.empty() && type.back() == ' ')
        type.remove_suffix(1);
    if (type != "application/x-www-form-urlencoded")
        return TextAnswer(415, "Form verisi application/x-www-form-urlencoded olarak gönderilmeli");
    if (request.body.size() > 64 * 1024)
        return TextAnswer(413, "Form verisi çok büyük");
    const auto form = ParseFormData(request.body);
    if (!form)
        return TextAnswer(400, "Form verisi çözülemedi (geçersiz kodlama)");
    AccessRequest r = AccessRequestFromForm(*form);
    r.ipAdresi = PeerAddress(request.peer);
    const std::vector<FieldError> errors = ValidateAccessRequest(r);
    if (!errors.empty()) {
        Response page = HtmlPage(422, RenderAccessForm(r, errors));
        page.logNote = "form hatalı: " + errors.front().message;
        return page;
    }
    qint64 id = 0;
    try {
        db.transaction([&] { id = StoreAccessRequest(db, r); });
    } catch (const DbError &e) {
        Response page = TextAnswer(500, "Başvurunuz şu anda kaydedilemedi, lütfen daha sonra tekrar deneyin.");
        page.logNote = std::string("access_requests: ") + e.what();
        return page;
    }
    LogInfo("Erişim başvurusu kaydedildi: " + std::to_string(id) + " bilgisayar " + r.bilgisayarId + " (" +
            r.firmaadi + ")");
    return HtmlPage(200, Render(Files().thanks, {{"firmaadi", r.firmaadi},
                                                 {"numara", std::to_string(id)},
                                                 {"id", r.bilgisayarId},
                                                 {"mail", r.mail}}));
}

Response AnswerPicture(Db &db, const Request &request)
{
    const auto query = ParseFormData(request.query);
    std::string id = query ? FormValue(*query, "id") : std::string();
    if (!AllDigits(id) || id.size() > 18)
        return TextAnswer(400, "Geçersiz stok numarası");
    try {
        QSqlQuery q = db.exec(QStringLiteral("SELECT resim, tur FROM stock_pictures WHERE stokno = ? LIMIT 1"),
                              {QVariant(qint64(std::stoll(id)))});
        if (!q.next() || q.value(0).isNull())
            return TextAnswer(404, "Resim bulunamadı: " + id);
        const QByteArray bytes = q.value(0).toByteArray();
        if (bytes.isEmpty())
            return TextAnswer(404, "Resim bulunamadı: " + id);
        std::string body(bytes.constData(), std::size_t(bytes.size()));
        std::string type = PictureContentType(q.value(1).toString().toStdString(), body);
        Response r = WithBody(200, type.empty() ? "application/octet-stream" : type.c_str(), std::move(body));
        r.headers.emplace_back("Cache-Control", "public, max-age=300");
        r.headers.emplace_back("X-Content-Type-Options", "nosniff");
        return r;
    } catch (const DbError &e) {
        Response r = TextAnswer(500, "Resim okunamadı");
        r.logNote = std::string("stock_pictures: ") + e.what();
        return r;
    }
}

const char *const kAccessRequestsTable = R"(CREATE TABLE IF NOT EXISTS access_requests (
    id             {{ID}},
    bilgisayar_id  {{TEXT}} NOT NULL,
    carino         {{BIGINT}} NOT NULL DEFAULT 0,
    kullanici      {{TEXT}} NOT NULL DEFAULT '',
    firmaadi       {{TEXT}} NOT NULL,
    adres          {{TEXT}} NOT NULL DEFAULT '',
    ilce           {{TEXT}} NOT NULL DEFAULT '',
    sehir          {{TEXT}} NOT NULL DEFAULT '',
    telefon        {{TEXT}} NOT NULL DEFAULT '',
    fax            {{TEXT}} NOT NULL DEFAULT '',
    vergi_dairesi  {{TEXT}} NOT NULL DEFAULT '',
    vergi_no       {{TEXT}} NOT NULL DEFAULT '',
    yetkili        {{TEXT}} NOT NULL DEFAULT '',
    kullaniciadi   {{TEXT}} NOT NULL DEFAULT '',
    email          {{TEXT}} NOT NULL DEFAULT '',
    kargoambar     {{TEXT}} NOT NULL DEFAULT '',
    aciklama       {{TEXT}} NOT NULL DEFAULT '',
    ip_adresi      {{TEXT}} NOT NULL DEFAULT '',
    kayit_tarihi   {{TEXT}} NOT NULL DEFAULT {{NOW}},
    gonderildi     {{BOOL}} NOT NULL DEFAULT 0
))";

} // namespace

// ---------------------------------------------------------------------------

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

std::optional<std::vector<std::pair<std::string, std::string>>> ParseFormData(std::string_view text)
{
    auto decode = [](std::string_view s) -> std::optional<std::string> {
        std::string out;
        out.reserve(s.size());
        for (std::size_t i = 0; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '+') {
                out += ' ';
            } else if (c == '%') {
                if (i + 2 >= s.size())
                    return std::nullopt;
                const auto hex = [](char h) -> int {
                    if (h >= '0' && h <= '9') return h - '0';
                    if (h >= 'a' && h <= 'f') return h - 'a' + 10;
                    if (h >= 'A' && h <= 'F') return h - 'A' + 10;
                    return -1;
                };
                const int hi = hex(s[i + 1]), lo = hex(s[i + 2]);
                if (hi < 0 || lo < 0)
                    return std::nullopt;
                out += char(hi * 16 + lo);
                i += 2;
            } else {
                out += c;
            }
        }
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        (void)QString(utf8(QByteArrayView(out.data(), qsizetype(out.size()))));
        if (utf8.hasError())
            return std::nullopt;
        return out;
    };
    std::vector<std::pair<std::string, std::string>> pairs;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        auto amp = text.find('&', pos);
        if (amp == std::string_view::npos)
            amp = text.size();
        const std::string_view part = text.substr(pos, amp - pos);
        if (!part.empty()) {
            const auto eq = part.find('=');
            auto name = decode(part.substr(0, eq));
            auto value = decode(eq == std::string_view::npos ? std::string_view() : part.substr(eq + 1));
            if (!name || !value)
                return std::nullopt;
            pairs.emplace_back(std::move(*name), std::move(*value));
        }
        pos = amp + 1;
    }
    return pairs;
}

std::string PeerAddress(std::string_view peer)
{
    if (!peer.empty() && peer.front() == '[') {
        const auto end = peer.find(']');
        return std::string(peer.substr(1, end == std::string_view::npos ? std::string_view::npos : end - 1));
    }
    const auto colon = peer.find(':');
    if (colon != std::string_view::npos && colon == peer.rfind(':'))
        return std::string(peer.substr(0, colon));
    return std::string(peer);
}

std::string PictureContentType(std::string_view kind, std::string_view bytes)
{
    std::string k = Lower(kind);
    while (!k.empty() && (k.back() == ' ' || k.back() == '.'))
        k.pop_back();
    while (!k.empty() && (k.front() == ' ' || k.front() == '.'))
        k.erase(0, 1);
    if (k.rfind("image/", 0) == 0)
        k = k.substr(6);
    if (k == "jpeg" || k == "jpg" || k == "pjpeg")
        return "image/jpeg";
    if (k == "png")
        return "image/png";
    if (k == "bmp" || k == "x-ms-bmp")
        return "image/bmp";
    if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xD8 && static_cast<unsigned char>(bytes[2]) == 0xFF)
        return "image/jpeg";
    if (bytes.size() >= 8 && bytes.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8))
        return "image/png";
    if (bytes.size() >= 14 && bytes[0] == 'B' && bytes[1] == 'M')
        return "image/bmp";
    return {};
}

AccessRequest AccessRequestFromForm(const std::vector<std::pair<std::string, std::string>> &form)
{
    AccessRequest r;
    r.carino = FormValue(form, "carino");
    r.kullanici = FormValue(form, "kullanici");
    r.bilgisayarId = FormValue(form, "id");
    for (const FormField &f : kFormFields)
        r.*(f.member) = FormValue(form, f.name);
    return r;
}

std::vector<FieldError> ValidateAccessRequest(AccessRequest &r)
{
    std::vector<FieldError> errors;
    r.bilgisayarId = Normalise(r.bilgisayarId, false);
    r.carino = Normalise(r.carino, false);
    r.kullanici = Normalise(r.kullanici, false);
    if (r.bilgisayarId.empty())
        errors.push_back({"id", "Bilgisayar kimliği eksik; bu formu TarselB2B programından açınız !"});
    else if (CharCount(r.bilgisayarId) > kMaxIdChars)
        errors.push_back({"id", "Bilgisayar kimliği çok uzun !"});
    if (r.carino.empty())
        r.carino = "0";
    else if (!AllDigits(r.carino) || r.carino.size() > 12)
        errors.push_back({"carino", "Geçersiz cari numarası !"});
    if (CharCount(r.kullanici) > kMaxKullaniciChars)
        errors.push_back({"kullanici", "Kullanıcı adı çok uzun !"});

    for (const FormField &f : kFormFields) {
        std::string &value = r.*(f.member);
        value = Normalise(value, f.multiline);
        const std::string name = f.name;
        if (value.empty()) {
            if (f.emptyMessage)
                errors.push_back({name, f.emptyMessage});
            continue;
        }
        if (CharCount(value) > f.maxChars) {
            errors.push_back({name, std::string(f.label) + " en fazla " + std::to_string(f.maxChars) +
                                        " karakter olabilir !"});
            continue;
        }
        if (name == "mail" && !PlausibleEmail(value))
            errors.push_back({name, "Geçerli bir e-posta adresi giriniz !"});
        else if (name == "telefon" && !PlausiblePhone(value))
            errors.push_back({name, "Geçerli bir telefon numarası giriniz !"});
        else if (name == "vn" && !(AllDigits(value) && (value.size() == 10 || value.size() == 11)))
            errors.push_back({name, "Vergi No 10 (vergi kimlik no) veya 11 (T.C. kimlik no) haneli olmalıdır !"});
    }
    return errors;
}

qint64 StoreAccessRequest(Db &db, const AccessRequest &r)
{
    auto text = [](const std::string &s) { return QVariant(QString::fromStdString(s)); };
    QSqlQuery q = db.exec(
        QStringLiteral("INSERT INTO access_requests (bilgisayar_id, carino, kullanici, firmaadi, adres, ilce, sehir, "
                       "telefon, fax, vergi_dairesi, vergi_no, yetkili, kullaniciadi, email, kargoambar, aciklama, "
                       "ip_adresi) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"),
        {text(r.bilgisayarId), QVariant(qint64(std::stoll(r.carino.empty() ? "0" : r.carino))), text(r.kullanici),
         text(r.firmaadi), text(r.adres), text(r.ilce), text(r.sehir), text(r.telefon), text(r.fax), text(r.vd),
         text(r.vn), text(r.yetkili), text(r.kullaniciadi), text(r.mail), text(r.kargoambar), text(r.aciklama),
         text(r.ipAdresi)});
    if (!q.next())
        throw DbError("access_requests: eklenen satırın numarası alınamadı");
    return q.value(0).toLongLong();
}

std::string RenderAccessForm(const AccessRequest &r, const std::vector<FieldError> &errors)
{
    std::map<std::string, const std::string *> errorOf;
    for (const FieldError &e : errors)
        errorOf.emplace(e.field, &e.message);

    std::string rows;
    for (const FormField &f : kFormFields) {
        const auto it = errorOf.find(f.name);
        rows += FieldRow(f, r.*(f.member), it == errorOf.end() ? nullptr : it->second);
    }
    std::string notice;
    if (!errors.empty()) {
        notice = "  <div class=\"uyari\" role=\"alert\"><strong>Lütfen aşağıdaki bilgileri düzeltiniz:</strong><ul>";
        for (const FieldError &e : errors)
            notice += "<li>" + HtmlEscape(e.message) + "</li>";
        notice += "</ul></div>\n";
    } else if (Normalise(r.bilgisayarId, false).empty()) {
        notice = "  <div class=\"uyari\" role=\"alert\">Bilgisayar kimliği bulunamadı; bu formu TarselB2B "
                 "programından açınız.</div>\n";
    }
    return Render(Files().form, {{"carino", r.carino},
                                 {"kullanici", r.kullanici},
                                 {"id", r.bilgisayarId},
                                 {"!uyari", notice},
                                 {"!alanlar", rows}});
}

void EnsureWebsiteTables(Db &db)
{
    const QString create = ApplyDialect(QString::fromLatin1(kAccessRequestsTable), db.dialect());
    const QString index = QStringLiteral(
        "CREATE INDEX IF NOT EXISTS access_requests_bilgisayar_id ON access_requests(bilgisayar_id)");
    try {
        db.transaction([&] {
            db.exec(create);
            db.exec(index);
        });
    } catch (const DbError &) {
        // Two servers creating the table at once: PostgreSQL lets one of
        // them fail. The table is there if it can be read.
        db.scalar(QStringLiteral("SELECT COUNT(*) FROM access_requests"));
    }
}

void InstallWebsite(HttpServer &server, DbPool &pool)
{
    Files();  // a build without the pages fails here, at start-up
    pool.run([](Db &db) { EnsureWebsiteTables(db); });
    InstallHealthCheck(server, pool);
    server.setFallbackHandler(MakeWebsiteHandler(pool));
}

RequestHandler MakeWebsiteHandler(DbPool &pool)
{
    RequestHandler picture = MakePoolHandler(pool, [](Db &db, Request &r) { return AnswerPicture(db, r); });
    RequestHandler formPost = MakePoolHandler(pool, [](Db &db, Request &r) { return AnswerFormPost(db, r); });
    return [picture, formPost](Request request, ResponseCallback done) {
        const std::string path = Lower(request.target);
        const bool get = request.method == "GET";
        const bool post = request.method == "POST";
        auto getOnly = [&](auto answer) {
            if (!get)
                done(WrongVerb(request.method, "GET"));
            else
                done(answer());
        };
        if (path == "/" || path == "/index.html") {
            getOnly([] { return HtmlPage(200, Files().index); });
        } else if (path == "/iletisim.html") {
            getOnly([] { return HtmlPage(200, Files().iletisim); });
        } else if (path == "/style.css") {
            getOnly([] {
                Response r = WithBody(200, "text/css; charset=utf-8", Files().style);
                r.headers.emplace_back("Cache-Control", "public, max-age=3600");
                return r;
            });
        } else if (path == "/ip.php") {
            getOnly([&] { return AnswerIp(request); });
        } else if (path == "/tarselsetup" || path == "/tarselsetup.exe") {
            getOnly([&] { return AnswerInstaller(request.target); });
        } else if (path == "/download/latest") {
            getOnly([] { return AnswerRedirect("/TarselSetup"); });
        } else if (path == "/resimgoster.ashx") {
            if (!get)
                done(WrongVerb(request.method, "GET"));
            else
                picture(std::move(request), std::move(done));
        } else if (path == "/formmailgonder.aspx") {
            if (get)
                done(AnswerFormGet(request));
            else if (post)
                formPost(std::move(request), std::move(done));
            else
                done(WrongVerb(request.method, "GET, POST"));
        } else {
            done(NotFoundPage(request.target));
        }
    };
}

} // namespace tarsel::server
