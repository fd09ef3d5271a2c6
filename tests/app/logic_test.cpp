// Rules of the start-up, sign-in, self-update and customer console that
// need no server: badge captions, the settings file, the sign-in decision,
// the user-type plan, the console's texts and report files, the outside
// address query and the download request.

#include "app/badgecaption.h"
#include "app/usertype.h"
#include "history/consolelogic.h"
#include "remote/baglantiu.h"
#include "signin/dosyaindir.h"
#include "signin/httpget.h"
#include "signin/inifile.h"
#include "signin/outsideaddress.h"
#include "signin/signindecision.h"
#include "signin/signinsettings.h"
#include "testhttpd.h"
#include "wire/datatable.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <sys/stat.h>
#include <thread>

using namespace tarsel;
using tarsel::test::HttpdAnswer;
using tarsel::test::HttpdRequest;
using tarsel::test::TestHttpd;

// ------------------------------------------------------------ badge captions

struct BadgeCase {
    const char *caption;
    const char *title;
    bool badge;
    const char *badgeText;
};

TEST(BadgeCaption, TableOfCaptions)
{
    const BadgeCase cases[] = {
        {"12=Kampanyalı", "Kampanyalı", true, "(12)"},
        {"0=Stok Listesi", "Stok Listesi", false, ""},
        {"Sepet", "Sepet", false, ""},
        {"3=Sepet", "Sepet", true, "(3)"},
        {"-4=Sepet", "Sepet", false, ""},          // below 0: no badge
        {"=Sepet", "Sepet", false, ""},            // empty count
        {"abc=Sepet", "Sepet", false, ""},         // not a number
        {"2,5=Bakiyeler", "Bakiyeler", true, "(2,5)"},  // a balance with a fraction: drawn as written
        {"1234.5=Bakiyeler", "Bakiyeler", true, "(1234.5)"},
        {"-17,25=Bakiyeler", "Bakiyeler", false, ""},
        {"0,0=Bakiyeler", "Bakiyeler", false, ""},
        {"007=Dosyalar", "Dosyalar", true, "(7)"},
        {"1=a=b", "a=b", true, "(1)"},              // split at the first "="
        {"99999999999999999999999=X", "X", true, "(99999999999999999999999)"},  // beyond 64 bits
        {"", "", false, ""},
    };
    for (const BadgeCase &c : cases) {
        SCOPED_TRACE(c.caption);
        const BadgeCaption b = ParseBadgeCaption(QString::fromUtf8(c.caption));
        EXPECT_EQ(b.title, QString::fromUtf8(c.title));
        EXPECT_EQ(b.hasBadge(), c.badge);
        EXPECT_EQ(b.badgeText(), QString::fromUtf8(c.badgeText));
    }
}

TEST(BadgeCaption, TitleIsCutAtHundredCharacters)
{
    const QString longTitle(150, QLatin1Char('x'));
    EXPECT_EQ(ParseBadgeCaption(QStringLiteral("5=") + longTitle).title.size(), 100);
    EXPECT_EQ(ParseBadgeCaption(longTitle).title.size(), 150);  // no "=": the whole caption
    EXPECT_EQ(MakeBadgeCaption(3, QStringLiteral("Sepet")), QStringLiteral("3=Sepet"));
}

// ------------------------------------------------------------ INI file

TEST(IniFile, KeysAreWrittenLiterallyInUtf8AndTheFileIsPrivate)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ayar.ini"));
    ASSERT_TRUE(SaveSignInSettings(path, QStringLiteral("ŞÜKRÜ"), QStringLiteral("ÇİĞ1"), false));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_EQ(bytes, QByteArray("[kullanici]\nisim=ŞÜKRÜ\nsifre=ÇİĞ1\nhatırla=0\n"));
    struct stat st{};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(IniFile, RewritingKeepsOtherContentAndReplacesValues)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ayar.ini"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("; not ours\n[baska]\nx = 1\n\n[KULLANICI]\nISIM=ESKI\nhatırla=5\n");
    f.close();
    ::chmod(QFile::encodeName(path).constData(), 0644);
    ASSERT_TRUE(SaveSignInSettings(path, QStringLiteral("YENI"), QStringLiteral("1234"), true));
    const auto ini = IniFile::Load(path);
    ASSERT_TRUE(ini.has_value());
    EXPECT_EQ(ini->readString(QStringLiteral("baska"), QStringLiteral("x")), QStringLiteral("1"));
    EXPECT_EQ(ini->readString(QStringLiteral("kullanici"), QStringLiteral("isim")), QStringLiteral("YENI"));
    EXPECT_EQ(ini->readString(QStringLiteral("kullanici"), QStringLiteral("sifre")), QStringLiteral("1234"));
    EXPECT_TRUE(ini->readBool(QStringLiteral("kullanici"), QStringLiteral("hatırla"), false));
    EXPECT_TRUE(ini->toText().startsWith(QStringLiteral("; not ours\n[baska]\nx=1\n")));
    struct stat st{};
    ::stat(QFile::encodeName(path).constData(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);  // a rewrite makes an older file private too
}

TEST(IniFile, RememberFlagReadsAnyWholeNumberOtherThanZeroAsTrue)
{
    struct Case {
        const char *text;
        bool remember;
        bool fieldsLoaded;
    };
    const Case cases[] = {
        {"[kullanici]\nisim=A\nsifre=B\nhatırla=1\n", true, true},
        {"[kullanici]\nisim=A\nsifre=B\nhatırla=7\n", true, true},
        {"[kullanici]\nisim=A\nsifre=B\nhatırla=-1\n", true, true},
        {"[kullanici]\nisim=A\nsifre=B\nhatırla=0\n", false, false},
        {"[kullanici]\nisim=A\nsifre=B\nhatırla=evet\n", true, true},  // not a number: the default (true)
        {"[kullanici]\nisim=A\nsifre=B\n", true, true},               // missing: the default
        {"[kullanici]\nisim=A\nsifre=B\nhatirla=0\n", true, true},    // another key (dotted i) is not ours
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ayar.ini"));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.text);
        f.close();
        const RememberedSignIn r = LoadSignInSettings(path);
        EXPECT_TRUE(r.fileFound);
        EXPECT_EQ(r.remember, c.remember);
        EXPECT_EQ(r.name, c.fieldsLoaded ? QStringLiteral("A") : QString());
        EXPECT_EQ(r.password, c.fieldsLoaded ? QStringLiteral("B") : QString());
    }
    QTemporaryDir dir;
    const RememberedSignIn missing = LoadSignInSettings(dir.filePath(QStringLiteral("yok.ini")));
    EXPECT_FALSE(missing.fileFound);
    EXPECT_TRUE(missing.remember);
    EXPECT_TRUE(missing.name.isEmpty());
}

TEST(IniFile, UnwritableFolderGivesAReasonAndLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("yok/ayar.ini"));  // the folder does not exist
    QString error;
    EXPECT_FALSE(SaveSignInSettings(path, QStringLiteral("A"), QStringLiteral("B"), true, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ayar.ini"))) << error.toStdString();
}

// ------------------------------------------------------------ sign-in decision

TEST(SignInDecision, TableInItsOrder)
{
    auto record = [](int version, bool known, const char *name, const char *password, int active) {
        TSonucBilgisi r;
        r.setVersion(version);
        r.setVarmi(known);
        r.setADI(QString::fromUtf8(name));
        r.setSIFRE(QString::fromUtf8(password));
        r.setAKTIF(active);
        return r;
    };
    struct Case {
        bool lookupFailed;
        TSonucBilgisi rec;
        const char *name;
        const char *password;
        SignInDecision expected;
    };
    const Case cases[] = {
        {true, record(7, false, "X", "Y", 0), "X", "Y", SignInDecision::LookupFailed},
        // The version is checked before the credentials and the machine.
        {false, record(7, true, "BAYI", "1234", 1), "WRONG", "x", SignInDecision::SelfUpdate},
        {false, record(9, false, "", "", 0), "", "", SignInDecision::SelfUpdate},
        {false, record(8, false, "BAYI", "1234", 1), "BAYI", "1234", SignInDecision::UnknownMachine},
        {false, record(8, true, "BAYI", "1234", 1), "BAYI", "1234", SignInDecision::Accepted},
        {false, record(8, true, "BAYI", "1234", 0), "BAYI", "1234", SignInDecision::Inactive},
        {false, record(8, true, "BAYI", "1234", 2), "BAYI", "1234", SignInDecision::Inactive},
        {false, record(8, true, "BAYI", "1234", 1), "BAYI", "12345", SignInDecision::WrongCredentials},
        // Exact comparison: case-sensitive, untrimmed.
        {false, record(8, true, "Bayi", "1234", 1), "BAYI", "1234", SignInDecision::WrongCredentials},
        {false, record(8, true, "BAYI", "1234", 1), "BAYI ", "1234", SignInDecision::WrongCredentials},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + "/" + c.password);
        EXPECT_EQ(DecideSignIn(c.lookupFailed, c.rec, QString::fromUtf8(c.name), QString::fromUtf8(c.password)),
                  c.expected);
    }
    // When the self-update window returns, the sign-in goes on.
    EXPECT_EQ(DecideSignIn(false, record(7, true, "BAYI", "1234", 1), "BAYI", "1234", true),
              SignInDecision::Accepted);
    EXPECT_TRUE(WritesSettings(SignInDecision::Inactive));
    EXPECT_FALSE(WritesSettings(SignInDecision::UnknownMachine));
    EXPECT_FALSE(WritesSettings(SignInDecision::SelfUpdate));
}

TEST(SignInDecision, TypedLettersBecomeCapitals)
{
    EXPECT_EQ(SignInCapitals(QStringLiteral("bayi")), QStringLiteral("BAYI"));
    EXPECT_EQ(SignInCapitals(QStringLiteral("şükrü ığ")), QStringLiteral("ŞÜKRÜ IĞ"));
    EXPECT_TRUE(IsSalesStaff(1));
    EXPECT_TRUE(IsSalesStaff(2));
    EXPECT_FALSE(IsSalesStaff(3));
    EXPECT_FALSE(IsSalesStaff(0));
}

// ------------------------------------------------------------ user type

TEST(UserTypePlan, WhatEachTypeChanges)
{
    const UserTypePlan sales = PlanForUserType(1);
    EXPECT_TRUE(sales.showCustomerButton);
    EXPECT_TRUE(sales.showReports);
    EXPECT_FALSE(sales.hideCampaignTab);
    EXPECT_EQ(sales.columns.size(), 10u);
    for (const QString &view : {kStockView, kNewItemsView, kCampaignView}) {
        const auto cols = sales.forView(view);
        ASSERT_EQ(cols.size(), 3u) << view.toStdString();
        EXPECT_EQ(cols[0], (ColumnChange{view, QStringLiteral("KALAN"), true, true}));
        EXPECT_EQ(cols[1], (ColumnChange{view, QStringLiteral("ALINANSIPARIS"), true, true}));
        EXPECT_EQ(cols[2], (ColumnChange{view, QStringLiteral("VERILENSIPARIS"), true, true}));
    }
    EXPECT_EQ(sales.forView(kBasketView), (std::vector<ColumnChange>{{kBasketView, "KALAN", true, true}}));
    EXPECT_EQ(PlanForUserType(2).columns, sales.columns);

    const UserTypePlan dealer = PlanForUserType(3);
    EXPECT_FALSE(dealer.showCustomerButton);
    EXPECT_FALSE(dealer.showReports);
    EXPECT_EQ(dealer.columns, (std::vector<ColumnChange>{{kBasketView, "DURUM", false, false}}));

    const UserTypePlan dealer4 = PlanForUserType(4);
    EXPECT_TRUE(dealer4.hideCampaignTab);
    EXPECT_FALSE(dealer4.showReports);
    EXPECT_EQ(dealer4.columns, (std::vector<ColumnChange>{{kStockView, "KAMPFIYAT", false, false},
                                                          {kStockView, "K", false, false},
                                                          {kNewItemsView, "K", false, false},
                                                          {kNewItemsView, "KAMPFIYAT", false, false}}));
    for (int other : {0, 5, -1, 99}) {
        const UserTypePlan p = PlanForUserType(other);
        EXPECT_FALSE(p.showCustomerButton || p.showReports || p.hideCampaignTab || !p.columns.empty()) << other;
    }
}

// ------------------------------------------------------------ console

TEST(Console, SearchTextCountsAndReportFiles)
{
    EXPECT_EQ(CustomerSearchText(QStringLiteral("  ızmır oto\t")), QStringLiteral("izmir oto"));
    EXPECT_EQ(CustomerSearchText(QStringLiteral("IŞIK")), QStringLiteral("IŞIK"));
    EXPECT_EQ(CustomerSearchText(QString()), QString());
    EXPECT_EQ(BasketCountCaption(0), QString());
    EXPECT_EQ(BasketCountCaption(-2), QString());
    EXPECT_EQ(BasketCountCaption(4), QStringLiteral("4"));
    EXPECT_EQ(StateCountCaption(0), QStringLiteral("0"));
    EXPECT_EQ(ReportFilePath(QStringLiteral("/d"), 6, 1234), QStringLiteral("/d/rapor1240.pdf"));
    EXPECT_EQ(ReportFilePath(QStringLiteral("/d"), 6, 0), QStringLiteral("/d/rapor6.pdf"));
    EXPECT_EQ(DayNumber(QDate(1899, 12, 30)), 0.0);
    EXPECT_EQ(DayNumber(QDate(2024, 1, 1)), 45292.0);
}

TEST(Console, ReportPlans)
{
    TSonucBilgisi session;
    session.setCARINO(555);
    session.setADI(QStringLiteral("SATIS"));
    session.setMusteriTipi(1);
    const ReportPlan ozet = PlanReport(ConsoleReport::CariOzeti, true, 1234, QStringLiteral("Ayşe"), session);
    EXPECT_TRUE(ozet.allowed);
    EXPECT_FALSE(ozet.twoDates);
    EXPECT_EQ(ozet.raporno, 6);
    EXPECT_EQ(ozet.carino, 1234);
    EXPECT_EQ(ozet.saticiadi, QStringLiteral("Ayşe"));
    EXPECT_FALSE(PlanReport(ConsoleReport::CariOzeti, true, 0, {}, session).allowed);
    EXPECT_FALSE(PlanReport(ConsoleReport::CariOzeti, false, 5, {}, session).allowed);

    const ReportPlan tablo = PlanReport(ConsoleReport::AlisSatisTablosu, true, 1234, QStringLiteral("Ayşe"), session);
    EXPECT_TRUE(tablo.allowed);
    EXPECT_TRUE(tablo.twoDates);
    EXPECT_EQ(tablo.raporno, 7);
    EXPECT_EQ(tablo.carino, 555);  // the session's account, not the row's
    EXPECT_FALSE(PlanReport(ConsoleReport::AlisSatisTablosu, false, 0, {}, session).allowed);

    const ReportPlan vade = PlanReport(ConsoleReport::TopluAlacakVadeleri, false, 0, {}, session);
    EXPECT_TRUE(vade.allowed);
    EXPECT_EQ(vade.raporno, 6);
    EXPECT_EQ(vade.carino, 0);
    EXPECT_EQ(vade.saticiadi, QStringLiteral("SATIS"));
    session.setMusteriTipi(2);
    EXPECT_EQ(PlanReport(ConsoleReport::TopluAlacakVadeleri, false, 0, {}, session).saticiadi, QStringLiteral("."));
}

TEST(Console, StreamIsUsedOnlyWhenItsLengthMatches)
{
    struct Case {
        int bytes;
        qint64 announced;
        bool used;
    };
    for (const Case c : {Case{1024 * 3, 1024 * 3, true}, Case{1500, 1500, true}, Case{1500, 1501, false},
                         Case{0, 10, false}, Case{2048, 1024, false}}) {
        SCOPED_TRACE(c.bytes);
        QByteArray data(c.bytes, 'x');
        QBuffer buf(&data);
        buf.open(QIODevice::ReadOnly);
        QByteArray out;
        EXPECT_EQ(ReadAnnouncedStream(&buf, c.announced, &out), c.used);
    }
}

TEST(Console, CardTexts)
{
    DataTable t;
    for (const char *c : {"CARIKOD", "CARIADI", "ILCE", "IL", "VERGIDAIRESI", "VERGINO", "DURUM"})
        t.addColumn(QLatin1String(c), FieldType::String);
    t.addColumn(QStringLiteral("TLBAKIYE"), FieldType::Float64);
    t.addColumn(QStringLiteral("INDIRIM"), FieldType::Float64);
    t.appendRow({"120.01.001", "ÖZKAN OTO", "Kadıköy", "İstanbul", "Kadıköy", "123", "Borçlu", 18450.75, 5.0});
    const CustomerCard c = CardFromRow(t, 0, QLocale(QLocale::Turkish, QLocale::Turkey));
    EXPECT_EQ(c.ilce, QStringLiteral("Kadıköy/İstanbul"));
    EXPECT_EQ(c.vergi, QStringLiteral("Kadıköy/123"));
    EXPECT_EQ(c.bakiye, QStringLiteral("18.450,75 Borçlu"));
    EXPECT_EQ(c.indirim, QStringLiteral("5"));
}

// ------------------------------------------------------------ self-update texts

TEST(SelfUpdate, NoticeAndProgressTexts)
{
    EXPECT_TRUE(UpdateNoticeText(9).endsWith(QStringLiteral("Version: 9-8")));
    EXPECT_TRUE(UpdateNoticeText(9).startsWith(QStringLiteral("Tarsel Otomotiv B2B Programının\nYeni versiyonu")));
    const QLocale tr(QLocale::Turkish, QLocale::Turkey);
    EXPECT_EQ(DownloadProgressText(1536 * 1024, 3 * 1024 * 1024, tr),
              QStringLiteral("Bilgi: %50,00  İndirilen: 1,50/3,00 Mb"));
    // No digit grouping, even for big files.
    EXPECT_EQ(DownloadProgressText(qint64(2000) * 1024 * 1024, qint64(4000) * 1024 * 1024, tr),
              QStringLiteral("Bilgi: %50,00  İndirilen: 2000,00/4000,00 Mb"));
    EXPECT_EQ(DownloadProgressText(10, 0, tr), QString());
    EXPECT_EQ(DownloadProgressText(10, -1, tr), QString());
}

// ------------------------------------------------------------ HTTP

TEST(OutsideAddress, RetriesUntilTheServiceAnswersAndTrimsTheAnswer)
{
    std::atomic<int> calls{0};
    TestHttpd httpd([&](const HttpdRequest &) {
        const int n = ++calls;
        HttpdAnswer a;
        if (n == 1) a.status = 500;                 // an HTTP error
        else if (n == 2) a.hangUp = true;           // the connection breaks
        else if (n == 3) a.delayMs = 2500;          // longer than the read time-out
        else a.body = " \r\n203.0.113.7\r\n\t";
        return a;
    });
    OutsideAddressQuery q;
    q.url = httpd.url(QStringLiteral("/ip.php"));
    q.retryPauseMs = 50;
    QStringList errors;
    q.onRetry = [&](const QString &e) { errors << e; };
    EXPECT_EQ(q.run(), QStringLiteral("203.0.113.7"));
    EXPECT_GE(calls.load(), 4);
    ASSERT_GE(errors.size(), 3);
    EXPECT_EQ(errors[0], QStringLiteral("HTTP 500"));
    EXPECT_TRUE(errors[2].contains(QStringLiteral("1500"))) << errors[2].toStdString();
    EXPECT_EQ(httpd.requests().front().path, QByteArray("/ip.php"));
}

TEST(OutsideAddress, CanBeAbandonedWhileItRetries)
{
    TestHttpd httpd([](const HttpdRequest &r) {
        HttpdAnswer a;
        a.status = 503;
        if (r.path == "/slow/ip.php") a.delayMs = 10000;  // abandoned while waiting for the answer
        return a;
    });
    for (const QString &path : {QStringLiteral("/ip.php"), QStringLiteral("/slow/ip.php")}) {
        SCOPED_TRACE(path.toStdString());
        const std::size_t before = httpd.requests().size();
        std::atomic<bool> cancel{false};
        OutsideAddressQuery q;
        q.url = httpd.url(path);
        q.retryPauseMs = 100;
        q.cancelled = [&] { return cancel.load(); };
        QString result = QStringLiteral("unset");
        std::thread t([&] { result = q.run(); });
        while (httpd.requests().size() < before + 1) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        cancel = true;
        t.join();
        EXPECT_EQ(result, QString());
    }
}

TEST(HttpGet, FollowsRedirectsAndSendsTheDownloadHeaders)
{
    TestHttpd httpd([](const HttpdRequest &r) {
        HttpdAnswer a;
        if (r.path == "/download/latest") {
            a.status = 302;
            a.headers = {{"Location", "/files/TarselSetup"}};
        } else {
            a.contentType = "application/octet-stream";
            a.body = QByteArray(5000, 'z');
        }
        return a;
    });
    HttpGetOptions o;
    o.url = httpd.url(QStringLiteral("/download/latest"));
    o.followRedirects = true;
    o.acceptEncoding = kDownloadAcceptEncoding;
    o.userAgent = kDownloadUserAgent;
    o.headers = {{"Accept", kDownloadAccept}, {"Accept-Language", kDownloadAcceptLanguage}};
    qint64 lastTotal = 0, lastNow = 0;
    o.progress = [&](qint64 total, qint64 now) {
        lastTotal = total;
        lastNow = now;
    };
    const HttpGetResult r = HttpGet(o);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.status, 200);
    EXPECT_EQ(r.body.size(), 5000);
    EXPECT_EQ(r.redirects, 1);
    EXPECT_EQ(lastTotal, 5000);
    EXPECT_EQ(lastNow, 5000);
    const auto reqs = httpd.requests();
    ASSERT_EQ(reqs.size(), 2u);
    EXPECT_EQ(reqs[1].path, QByteArray("/files/TarselSetup"));
    for (const HttpdRequest &req : reqs) {
        EXPECT_EQ(req.header("Accept"), kDownloadAccept);
        EXPECT_EQ(req.header("Accept-Encoding"), kDownloadAcceptEncoding);
        EXPECT_EQ(req.header("Accept-Language"), kDownloadAcceptLanguage);
        EXPECT_EQ(req.header("User-Agent"), kDownloadUserAgent);
        EXPECT_TRUE(req.header("Cookie").isEmpty());
    }
}

TEST(HttpGet, UnreachableAddressGivesAnErrorText)
{
    // A port that was free a moment ago: nothing listens there.
    quint16 port;
    {
        TestHttpd probe([](const HttpdRequest &) { return HttpdAnswer{}; });
        port = probe.port();
    }
    HttpGetOptions o;
    o.url = QStringLiteral("http://127.0.0.1:%1/TarselSetup").arg(port);
    o.connectTimeoutMs = 2000;
    const HttpGetResult r = HttpGet(o);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.isEmpty());
}
