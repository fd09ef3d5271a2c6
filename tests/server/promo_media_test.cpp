// Opening adverts, banners, the ticker text and the documents tab, through
// the client proxy against a real tarsel-server (SQLite; PostgreSQL too when
// TARSEL_TEST_PG is set).

#include "tests/server/promo_support.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDate>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <unzip.h>

#include <set>

using namespace tarsel;
using namespace tarsel::test;

namespace {

class PromoMedia : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override
    {
        PROMO_REQUIRE_BACKEND(GetParam());
        srv_ = &DemoServer(GetParam());
        conn_ = ConnectTo(*srv_);
        proxy_ = std::make_unique<TServerMethods1Client>(*conn_);
    }
    TServerMethods1Client &p() { return *proxy_; }

    ServerProcess *srv_ = nullptr;
    std::unique_ptr<DSConnection> conn_;
    std::unique_ptr<TServerMethods1Client> proxy_;
};

// The picture format Qt recognises in bytes ("jpeg", "png", "gif", "bmp").
QByteArray FormatOf(const QByteArray &bytes)
{
    QBuffer buf;
    buf.setData(bytes);
    buf.open(QIODevice::ReadOnly);
    return QImageReader::imageFormat(&buf);
}

struct Advert {
    int siraNo;
    QString resim, baslik, arama;
};

// Names of the entries of a ZIP archive (read with minizip).
std::set<QString> ZipEntries(const QByteArray &zip)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("z.zip");
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(zip) != zip.size()) return {};
    f.close();
    std::set<QString> names;
    unzFile uf = unzOpen64(QFile::encodeName(path).constData());
    if (!uf) return names;
    for (int rc = unzGoToFirstFile(uf); rc == UNZ_OK; rc = unzGoToNextFile(uf)) {
        char name[512];
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(uf, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK) break;
        // Every entry must inflate with a matching CRC.
        if (unzOpenCurrentFile(uf) != UNZ_OK) break;
        char buf[4096];
        while (unzReadCurrentFile(uf, buf, sizeof buf) > 0) {
        }
        if (unzCloseCurrentFile(uf) != UNZ_OK) break;  // CRC error
        names.insert(QString::fromUtf8(name));
    }
    unzClose(uf);
    return names;
}

// Checks a ticker text against the markup rules of the ticker's own HTML
// engine: tags of letters and digits, closing tags matching the open one,
// attributes name=value (quoted or not), entities by name or number.
bool WellFormedTickerHtml(const QString &s, QString *why)
{
    static const std::set<QString> entities = {
        "nbsp", "copy",  "reg",   "trade",  "sup1",  "sup2",   "sup3", "quot",  "amp",   "lt",    "gt",   "ndash",
        "mdash", "lsquo", "rsquo", "ldquo", "rdquo", "bull",   "dagger", "Dagger", "prime", "Prime", "lsaquo",
        "rsaquo", "tilde", "circ", "spades", "clubs", "hearts", "diams", "loz",   "larr",  "rarr",  "uarr", "darr",
        "harr",  "not",   "frac14", "frac12", "frac34", "plusmn", "laquo", "raquo", "deg", "ordf", "ordm", "iexcl",
        "iquest", "euro", "cent",  "pound",  "yen",   "curren", "sect", "para",  "macr",  "middot", "micro",
        "times", "divide"};
    std::vector<QString> open;
    qsizetype i = 0;
    auto fail = [&](const QString &m) {
        *why = m + QStringLiteral(" at %1").arg(i);
        return false;
    };
    auto name = [&] {
        const qsizetype b = i;
        while (i < s.size() && s[i].isLetterOrNumber()) ++i;
        return s.mid(b, i - b);
    };
    while (i < s.size()) {
        if (s[i] == '\n' || s[i] == '\r') return fail("line break");
        if (s[i] == '&') {
            const qsizetype semi = s.indexOf(';', i);
            if (semi > i) {
                const QString e = s.mid(i + 1, semi - i - 1);
                if (!e.startsWith('#') && !entities.count(e) && !e.contains(' '))
                    return fail("unknown entity &" + e + ";");
            }
            ++i;
            continue;
        }
        if (s[i] != '<') {
            ++i;
            continue;
        }
        ++i;
        const bool closing = i < s.size() && s[i] == '/';
        if (closing) ++i;
        const QString tag = name().toUpper();
        if (tag.isEmpty()) return fail("empty tag name");
        if (closing) {
            if (i >= s.size() || s[i] != '>') return fail("closing tag not ended");
            if (open.empty() || open.back() != tag) return fail("</" + tag + "> does not close the open tag");
            open.pop_back();
            ++i;
            continue;
        }
        while (i < s.size() && s[i] == ' ') ++i;
        while (i < s.size() && s[i] != '>' && s[i] != '/') {
            if (name().isEmpty()) return fail("empty attribute name");
            if (i < s.size() && s[i] == '=') {
                ++i;
                if (i < s.size() && (s[i] == '"' || s[i] == '\'')) {
                    const qsizetype end = s.indexOf(s[i], i + 1);
                    if (end < 0) return fail("unterminated quote");
                    i = end + 1;
                } else {
                    while (i < s.size() && s[i] != ' ' && s[i] != '>') ++i;
                }
            }
            while (i < s.size() && s[i] == ' ') ++i;
        }
        if (i >= s.size()) return fail("tag not ended");
        if (s[i] == '/') {
            if (i + 1 >= s.size() || s[i + 1] != '>') return fail("bad self-closing tag");
            i += 2;
        } else {
            open.push_back(tag);
            ++i;
        }
    }
    if (!open.empty()) return fail("<" + open.back() + "> left open");
    return true;
}

}  // namespace

TEST_P(PromoMedia, AdvertCountMatchesTheSeriesAndEachPictureIsAJpeg)
{
    const qint32 count = p().AcilisReklamAdet();
    std::vector<Advert> all;
    {
        const TAcilisEkranlariki *series = p().AcilisEkranlarVer2();
        ASSERT_NE(series, nullptr);
        for (const TAcilisEkran &e : series->Ekranlar()) all.push_back({e.SiraNo(), e.Resim(), e.Baslik(), e.Arama()});
    }
    EXPECT_GE(count, 3);
    ASSERT_EQ(int(all.size()), count);
    std::set<QString> targets;
    for (int i = 0; i < count; ++i) {
        SCOPED_TRACE(i);
        // One by one (counted from 0), the same adverts in the same order.
        const TAcilisEkran *one = p().AcilisREklamVer(i);
        ASSERT_NE(one, nullptr);
        EXPECT_EQ(one->SiraNo(), all[i].siraNo);
        EXPECT_EQ(one->Baslik(), all[i].baslik);
        EXPECT_EQ(one->Arama(), all[i].arama);
        EXPECT_EQ(one->Resim(), all[i].resim);
        EXPECT_FALSE(all[i].baslik.isEmpty());
        targets.insert(all[i].arama);
        // Two hexadecimal digits per byte, no separators.
        const QString hex = all[i].resim;
        ASSERT_FALSE(hex.isEmpty());
        EXPECT_EQ(hex.size() % 2, 0);
        EXPECT_TRUE(QRegularExpression("^[0-9A-Fa-f]+$").match(hex).hasMatch());
        const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
        EXPECT_EQ(FormatOf(bytes), "jpeg") << "the advert window decodes the picture as JPEG";
        QImage img;
        ASSERT_TRUE(img.loadFromData(bytes));
        EXPECT_EQ(img.size(), QSize(600, 400));
    }
    // Every kind of click target is in the demo.
    EXPECT_TRUE(targets.count("#KAMPANYA#"));
    EXPECT_TRUE(targets.count("#YENİ#"));
    EXPECT_TRUE(targets.count(""));
    EXPECT_GE(targets.size(), 4u);

    for (qint32 bad : {count, -1, 1000}) {
        EXPECT_EQ(QString::fromStdString(ErrorOf([&] { p().AcilisREklamVer(bad); })),
                  QStringLiteral("Açılış reklamı bulunamadı (sıra %1, toplam %2)").arg(bad).arg(count));
    }
}

TEST_P(PromoMedia, OnlyActiveAdvertsInsideTheirDatesAreShown)
{
    auto db = OpenDatabase(*srv_);
    const qint32 before = p().AcilisReklamAdet();
    const QDate today = QDate::currentDate();
    auto day = [&](int offset) { return QVariant(today.addDays(offset).toString(Qt::ISODate)); };
    const QVariant open(QMetaType::fromType<QString>());
    const struct {
        const char *title;
        int active;
        QVariant from, to;
        bool shown;
    } cases[] = {
        {"pasif", 0, open, open, false},       {"süresi geçmiş", 1, day(-10), day(-1), false},
        {"henüz başlamamış", 1, day(1), open, false}, {"bugün biten", 1, day(-3), day(0), true},
        {"bugün başlayan", 1, day(0), day(5), true},
    };
    std::vector<qint64> added;
    int shown = 0;
    for (const auto &c : cases) {
        QSqlQuery q = db->exec("INSERT INTO opening_adverts (sira, baslik, arama, resim, resim_turu, aktif, "
                               "baslangic, bitis) VALUES (5000, ?, '', ?, 'jpeg', ?, ?, ?) RETURNING sirano",
                               {QString::fromUtf8(c.title), QByteArray("\xFF\xD8\xFF\xD9", 4), c.active, c.from, c.to});
        ASSERT_TRUE(q.next());
        added.push_back(q.value(0).toLongLong());
        shown += c.shown;
    }
    EXPECT_EQ(p().AcilisReklamAdet(), before + shown);
    std::set<QString> titles;
    for (const TAcilisEkran &e : p().AcilisEkranlarVer2()->Ekranlar()) titles.insert(e.Baslik());
    for (const auto &c : cases) EXPECT_EQ(titles.count(QString::fromUtf8(c.title)), c.shown ? 1u : 0u) << c.title;
    // The added ones come last (sira 5000), in entry order.
    EXPECT_EQ(p().AcilisREklamVer(before)->Baslik(), "bugün biten");
    for (qint64 id : added) db->exec("DELETE FROM opening_adverts WHERE sirano = ?", {id});
    EXPECT_EQ(p().AcilisReklamAdet(), before);
}

TEST_P(PromoMedia, BannersArePicturesOfTheirPlacesWithTheAnnouncedSize)
{
    const struct {
        const char *name;
        std::function<QIODevice *(qint64 &)> fetch;
        QByteArray format;
    } banners[] = {
        {"BannerResimVer", [&](qint64 &s) { return p().BannerResimVer(s); }, "png"},
        {"BannerResimVer2", [&](qint64 &s) { return p().BannerResimVer2(s); }, "gif"},
        {"BannerResimVer3", [&](qint64 &s) { return p().BannerResimVer3(s); }, "bmp"},
    };
    for (const auto &b : banners) {
        SCOPED_TRACE(b.name);
        qint64 size = -1;
        const QByteArray bytes = ReadAll(b.fetch(size));
        EXPECT_EQ(size, bytes.size());
        ASSERT_GT(bytes.size(), 10);
        EXPECT_EQ(FormatOf(bytes), b.format);
        QImage img;
        ASSERT_TRUE(img.loadFromData(bytes));
        EXPECT_GT(img.width(), img.height());
        if (b.format == "gif") {
            // An animation: several frames, each readable.
            QBuffer buf;
            buf.setData(bytes);
            buf.open(QIODevice::ReadOnly);
            QImageReader reader(&buf);
            EXPECT_GT(reader.imageCount(), 1);
            int frames = 0;
            QImage frame;
            while (reader.read(&frame)) {
                EXPECT_EQ(frame.size(), img.size());
                ++frames;
            }
            EXPECT_EQ(frames, reader.imageCount());
            QBuffer movieBuf;
            movieBuf.setData(bytes);
            QMovie movie(&movieBuf, "gif");
            EXPECT_TRUE(movie.isValid());
            EXPECT_GT(movie.frameCount(), 1);
        }
        if (b.format == "bmp") EXPECT_EQ(img.height(), 60);
    }
}

TEST_P(PromoMedia, TickerTextIsOneLineOfMarkupTheTickerUnderstands)
{
    const QString text = p().KayanYaziGetir();
    ASSERT_FALSE(text.trimmed().isEmpty());
    QString why;
    EXPECT_TRUE(WellFormedTickerHtml(text, &why)) << why.toStdString() << "\n" << text.toStdString();
    EXPECT_EQ(text.count("&nbsp;&nbsp;&nbsp;&bull;&nbsp;&nbsp;&nbsp;"), 3) << "four items, three separators";
    EXPECT_TRUE(text.contains("<B>"));
    EXPECT_TRUE(text.contains("<FONT COLOR="));

    // An inactive item drops out; a blank one adds no separator.
    auto db = OpenDatabase(*srv_);
    db->exec("INSERT INTO ticker_items (sira, metin, aktif) VALUES (9000, 'GİZLİ', 0)");
    db->exec("INSERT INTO ticker_items (sira, metin, aktif) VALUES (9001, '   ', 1)");
    EXPECT_EQ(p().KayanYaziGetir(), text);
    db->exec("DELETE FROM ticker_items WHERE sira IN (9000, 9001)");
}

TEST_P(PromoMedia, DocumentsAreRealFilesOfTheirTypes)
{
    const DataTable list = p().DosyaListesi2();
    for (const char *c : {"SIRANO", "ACIKLAMA", "DOSYAYOL", "TUR", "ILERI"}) ASSERT_GE(list.indexOf(c), 0) << c;
    ASSERT_GE(list.rowCount(), 6u);
    const struct {
        const char *ext;
        int icon;
        QByteArray magic;
        const char *innerPart;  // an entry the ZIP-based formats must hold
    } types[] = {
        {".pdf", 4, "%PDF-", nullptr},
        {".xlsx", 6, "PK\x03\x04", "xl/workbook.xml"},
        {".docx", 3, "PK\x03\x04", "word/document.xml"},
        {".zip", 0, "PK\x03\x04", nullptr},
        {".jpg", 2, QByteArray("\xFF\xD8\xFF", 3), nullptr},
        {".png", 2, "\x89PNG", nullptr},
        {".txt", 0, "\xEF\xBB\xBF", nullptr},
    };
    std::set<QString> seen;
    for (std::size_t r = 0; r < list.rowCount(); ++r) {
        const QString file = list.text(r, "DOSYAYOL");
        SCOPED_TRACE(file.toStdString());
        EXPECT_FALSE(list.text(r, "ACIKLAMA").isEmpty());
        EXPECT_EQ(list.int32(r, "ILERI"), 0);
        qint64 size = -1;
        QString name;
        const QByteArray bytes = ReadAll(p().BelgeIndir(list.int32(r, "SIRANO"), size, name));
        EXPECT_EQ(size, bytes.size());
        EXPECT_EQ(name, file);
        EXPECT_EQ(list.number(r, "BOYUT"), double(bytes.size()));
        for (const auto &t : types) {
            if (!file.endsWith(t.ext, Qt::CaseInsensitive)) continue;
            seen.insert(t.ext);
            EXPECT_EQ(list.int32(r, "TUR"), t.icon);
            EXPECT_TRUE(bytes.startsWith(t.magic));
            if (t.magic.startsWith("PK")) {
                const std::set<QString> entries = ZipEntries(bytes);
                EXPECT_FALSE(entries.empty()) << "not a readable ZIP archive";
                if (t.innerPart) EXPECT_TRUE(entries.count(t.innerPart)) << t.innerPart;
            }
            if (QByteArray(t.ext) == ".jpg" || QByteArray(t.ext) == ".png") EXPECT_FALSE(QImage::fromData(bytes).isNull());
            if (QByteArray(t.ext) == ".txt") EXPECT_TRUE(QString::fromUtf8(bytes).contains("TARSEL"));
        }
    }
    EXPECT_GE(seen.size(), 6u) << "documents of several types";
}

TEST_P(PromoMedia, ALargeDocumentArrivesIntactUnderASafeName)
{
    // 2 MB and a few bytes of every value, under a name that tries to leave
    // the desktop folder.
    QByteArray content(2 * 1024 * 1024 + 3, Qt::Uninitialized);
    quint32 x = 2463534242u;
    for (char &c : content) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = char(x & 0xFF);
    }
    auto db = OpenDatabase(*srv_);
    QSqlQuery q = db->exec("INSERT INTO documents (sira, aciklama, dosya_adi, icerik, boyut) "
                           "VALUES (999, 'Büyük arşiv', '../gizli\\Fiyat:Listesi?.bin', ?, ?) RETURNING sirano",
                           {content, qint64(content.size())});
    ASSERT_TRUE(q.next());
    const int sirano = q.value(0).toInt();
    q.finish();

    const DataTable list = p().DosyaListesi2();
    bool listed = false;
    for (std::size_t r = 0; r < list.rowCount(); ++r) {
        if (list.int32(r, "SIRANO") != sirano) continue;
        listed = true;
        EXPECT_EQ(list.text(r, "DOSYAYOL"), "Fiyat_Listesi_.bin");
        EXPECT_EQ(list.int32(r, "TUR"), 0);
        EXPECT_EQ(r, list.rowCount() - 1) << "sira 999 lists it last";
    }
    EXPECT_TRUE(listed);

    qint64 size = -1;
    QString name;
    const QByteArray got = ReadAll(p().BelgeIndir(sirano, size, name));
    EXPECT_EQ(size, content.size());
    EXPECT_EQ(name, "Fiyat_Listesi_.bin");
    ASSERT_EQ(got.size(), content.size());
    EXPECT_EQ(QCryptographicHash::hash(got, QCryptographicHash::Sha256),
              QCryptographicHash::hash(content, QCryptographicHash::Sha256));
    EXPECT_TRUE(got == content);

    // Withdrawn: no longer listed nor downloadable.
    db->exec("UPDATE documents SET aktif = 0 WHERE sirano = ?", {sirano});
    EXPECT_EQ(QString::fromStdString(ErrorOf([&] { p().BelgeIndir(sirano, size, name); })),
              QStringLiteral("Belge bulunamadı (sıra no %1)").arg(sirano));
    const DataTable after = p().DosyaListesi2();
    for (std::size_t r = 0; r < after.rowCount(); ++r) EXPECT_NE(after.int32(r, "SIRANO"), sirano);
}

TEST_P(PromoMedia, AServerWithoutDataAnswersEmptyButNotWrong)
{
    ServerProcess &empty = EmptyServer(GetParam());
    auto conn = ConnectTo(empty);
    TServerMethods1Client e(*conn);
    const struct {
        const char *name;
        std::function<QIODevice *(qint64 &)> fetch;
    } banners[] = {{"BannerResimVer", [&](qint64 &s) { return e.BannerResimVer(s); }},
                   {"BannerResimVer2", [&](qint64 &s) { return e.BannerResimVer2(s); }},
                   {"BannerResimVer3", [&](qint64 &s) { return e.BannerResimVer3(s); }}};
    for (const auto &b : banners) {
        qint64 size = -1;
        EXPECT_TRUE(ReadAll(b.fetch(size)).isEmpty()) << b.name;
        EXPECT_EQ(size, 0) << b.name;
    }
    EXPECT_EQ(e.KayanYaziGetir(), "");
    EXPECT_EQ(e.AcilisReklamAdet(), 0);
    const TAcilisEkranlariki *none = e.AcilisEkranlarVer2();
    ASSERT_NE(none, nullptr);
    EXPECT_TRUE(none->Ekranlar().empty());
    EXPECT_EQ(QString::fromStdString(ErrorOf([&] { e.AcilisREklamVer(0); })),
              "Açılış reklamı bulunamadı (sıra 0, toplam 0)");
    const DataTable docs = e.DosyaListesi2();
    EXPECT_EQ(docs.rowCount(), 0u);
    EXPECT_GE(docs.indexOf("DOSYAYOL"), 0);
    EXPECT_EQ(ErrorOf([&] { e.CariEkstreVer(1201); }), "Cari hesap bulunamadı (1201)");
    EXPECT_EQ(e.MobilCariBilgisiGetir(0, kTestMachine), nullptr);
    EXPECT_EQ(e.SanalposSiranoVer(1), 0);
}

INSTANTIATE_TEST_SUITE_P(Databases, PromoMedia, ::testing::Values(Backend::SQLite, Backend::PostgreSQL), BackendName);
