#include "server/historysupport.h"

#include "remote/baglantiu.h"
#include "server/dbpool.h"
#include "server/servermethodsbase.h"

#include <QLocale>
#include <QTimeZone>

#include <cmath>

namespace tarsel::server::history {

namespace {

const QDate kOleEpoch(1899, 12, 30);

std::string Utf8(const QString &s) { return s.toStdString(); }

}  // namespace

// ---- dates -------------------------------------------------------------------

double OleFromDateTime(const QDateTime &local)
{
    if (!local.isValid()) return 0;
    const double days = double(kOleEpoch.daysTo(local.date()));
    return days + local.time().msecsSinceStartOfDay() / 86400000.0;
}

QDateTime DateTimeFromOle(double day)
{
    if (!std::isfinite(day)) return {};
    const double whole = std::floor(day);
    qint64 msecs = qint64(std::llround((day - whole) * 86400000.0));
    QDate date = kOleEpoch.addDays(qint64(whole));
    if (msecs >= 86400000) {  // rounded up to the next midnight
        msecs = 0;
        date = date.addDays(1);
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(int(msecs)));
}

QDate DateFromOle(double day)
{
    if (!std::isfinite(day)) return {};
    return kOleEpoch.addDays(qint64(std::floor(day)));
}

namespace {

// The number written with `len` digits at `pos`, -1 when they are not all digits.
int Digits(QStringView s, qsizetype pos, int len)
{
    int v = 0;
    for (qsizetype i = pos; i < pos + len; ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9') return -1;
        v = v * 10 + (c - u'0');
    }
    return v;
}

// "YYYY-MM-DD" at the start of s (lists convert thousands of these, so no
// general date parser).
QDate ParseDay(QStringView s)
{
    if (s.size() < 10 || s[4] != u'-' || s[7] != u'-') return {};
    const int y = Digits(s, 0, 4), m = Digits(s, 5, 2), d = Digits(s, 8, 2);
    if (y < 0 || m < 0 || d < 0) return {};
    return QDate(y, m, d);
}

}  // namespace

QDateTime LocalFromUtcText(const QString &text)
{
    const QStringView s = QStringView(text).trimmed();
    const QDate day = ParseDay(s);
    if (!day.isValid()) return {};
    QTime time(0, 0);
    if (s.size() >= 19 && (s[10] == u' ' || s[10] == u'T') && s[13] == u':' && s[16] == u':') {
        const int h = Digits(s, 11, 2), mi = Digits(s, 14, 2), sec = Digits(s, 17, 2);
        if (h < 0 || mi < 0 || sec < 0) return {};
        time = QTime(h, mi, sec);
        if (!time.isValid()) return {};
    } else if (s.size() != 10) {
        return {};
    }
    return QDateTime(day, time, QTimeZone::utc()).toLocalTime();
}

QDate DateFromDayText(const QString &text)
{
    const QStringView s = QStringView(text).trimmed();
    return s.size() == 10 ? ParseDay(s) : QDate();
}

QString UtcTextFromLocal(const QDateTime &local)
{
    return local.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString DayText(const QDate &date) { return date.toString(QStringLiteral("yyyy-MM-dd")); }

QDate CalendarDay(double tarih)
{
    if (!std::isfinite(tarih) || tarih < kOleFirstDay || tarih >= kOleLastDay + 1)
        throw MethodError("Geçersiz tarih: " + Utf8(QString::number(tarih, 'g', 15)) +
                          " (01.01.1900 ile 31.12.9999 arasında bir gün olmalı)");
    return DateFromOle(tarih);
}

DayRange CalendarDays(double tarih1, double tarih2)
{
    DayRange r;
    r.first = CalendarDay(tarih1);
    r.last = CalendarDay(tarih2);
    if (r.first > r.last)
        throw MethodError("Başlangıç tarihi (" + Utf8(r.first.toString(QStringLiteral("dd.MM.yyyy"))) +
                          ") bitiş tarihinden (" + Utf8(r.last.toString(QStringLiteral("dd.MM.yyyy"))) +
                          ") sonra olamaz");
    // The day after the range; past the calendar's end every stored text
    // compares below "9999-12-31 99".
    const QDate after = r.last.addDays(1);
    const bool open = after.year() > 9999;
    r.fromUtc = UtcTextFromLocal(QDateTime(r.first, QTime(0, 0)));
    r.toUtc = open ? QStringLiteral("9999-12-31 99") : UtcTextFromLocal(QDateTime(after, QTime(0, 0)));
    r.fromDay = DayText(r.first);
    r.toDay = open ? QStringLiteral("9999-12-31 99") : DayText(after);
    return r;
}

// ---- the caller ----------------------------------------------------------------

Caller ResolveCaller(Db &db, const TSonucBilgisi *record)
{
    if (!record) throw MethodError("Oturum bilgisi gönderilmedi");
    if (record->Sirano() <= 0) throw MethodError("Oturum bilgisinde kullanıcı yok; lütfen yeniden giriş yapın");
    QSqlQuery q = db.exec(QStringLiteral("SELECT sirano, adi, musteri_tipi, carino, satici_no, aktif "
                                         "FROM users WHERE sirano = ?"),
                          {record->Sirano()});
    if (!q.next())
        throw MethodError("Kullanıcı bulunamadı (sıra no " + std::to_string(record->Sirano()) + ")");
    Caller c;
    c.sirano = q.value(0).toLongLong();
    c.name = q.value(1).toString();
    c.type = q.value(2).toInt();
    c.carino = q.value(3).isNull() ? 0 : q.value(3).toInt();
    c.saticiNo = q.value(4).isNull() ? 0 : q.value(4).toLongLong();
    if (q.value(5).toInt() != 1) throw MethodError("Kullanıcı hesabı etkin değil: " + Utf8(c.name));
    return c;
}

void CheckAccountExists(Db &db, int carino)
{
    if (carino <= 0) throw MethodError("Cari hesap seçilmedi");
    if (!db.scalar(QStringLiteral("SELECT carino FROM customers WHERE carino = ?"), {carino}).isValid())
        throw MethodError("Cari hesap bulunamadı (cari no " + std::to_string(carino) + ")");
}

void CheckAccountAccess(Db &db, const Caller &caller, int carino)
{
    CheckAccountExists(db, carino);
    if (!caller.isStaff() && caller.carino != carino)
        throw MethodError("Bu cari hesap için yetkiniz yok (cari no " + std::to_string(carino) + ")");
}

// ---- search --------------------------------------------------------------------

QString FoldForSearch(const QString &text)
{
    static const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    const QString upper = turkish.toUpper(text);
    QString out;
    out.reserve(upper.size());
    bool blank = true;  // collapses runs of blanks and drops leading ones
    for (QChar ch : upper) {
        switch (ch.unicode()) {
        case 0x0130:  // İ
        case 0x0131:  // ı (toUpper gives I already, kept for safety)
        case 'i':
            ch = QLatin1Char('I');
            break;
        case 0x00D6: ch = QLatin1Char('O'); break;  // Ö
        case 0x00DC: ch = QLatin1Char('U'); break;  // Ü
        case 0x015E: ch = QLatin1Char('S'); break;  // Ş
        case 0x00C7: ch = QLatin1Char('C'); break;  // Ç
        case 0x011E: ch = QLatin1Char('G'); break;  // Ğ
        case 0x00C2: ch = QLatin1Char('A'); break;  // Â
        case 0x00CE: ch = QLatin1Char('I'); break;  // Î
        case 0x00DB: ch = QLatin1Char('U'); break;  // Û
        default: break;
        }
        if (ch.isSpace() || ch.category() == QChar::Other_Control) {
            if (!blank) out += QLatin1Char(' ');
            blank = true;
            continue;
        }
        out += ch;
        blank = false;
    }
    if (out.endsWith(QLatin1Char(' '))) out.chop(1);
    return out;
}

QStringList SearchWords(const QString &text)
{
    return FoldForSearch(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

}  // namespace tarsel::server::history
