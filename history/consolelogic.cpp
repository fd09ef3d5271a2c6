#include "history/consolelogic.h"

#include "remote/baglantiu.h"
#include "util/money.h"
#include "wire/datatable.h"

#include <QIODevice>

namespace tarsel {

namespace {

QString trimBlank(const QString &text)
{
    qsizetype b = 0, e = text.size();
    while (b < e && text[b].unicode() <= 0x20) ++b;
    while (e > b && text[e - 1].unicode() <= 0x20) --e;
    return text.mid(b, e - b);
}

}  // namespace

QString CustomerSearchText(const QString &editText)
{
    QString t = editText;
    t.replace(QChar(0x0131), QLatin1Char('i'));
    return trimBlank(t);
}

QString BasketCountCaption(qint32 count) { return count < 1 ? QString() : QString::number(count); }

QString StateCountCaption(qint32 count) { return QString::number(count); }

CustomerCard CardFromRow(const DataTable &t, std::size_t row, const QLocale &locale)
{
    auto s = [&](const char *col) { return t.text(row, QLatin1String(col)); };
    CustomerCard c;
    c.carikod = s("CARIKOD");
    c.cariadi = s("CARIADI");
    c.yetkili = s("YETKILI");
    c.ozelkod = s("OZELKOD");
    c.anagrup = s("ANAGRUP");
    c.altgrup = s("ALTGRUP");
    c.adres1 = s("ADRES1");
    c.adres2 = s("ADRES2");
    c.ilce = s("ILCE") + QLatin1Char('/') + s("IL");
    c.vergi = s("VERGIDAIRESI") + QLatin1Char('/') + s("VERGINO");
    c.telefon1 = s("TEL1");
    c.telefon2 = s("TEL2");
    c.fax1 = s("FAX1");
    c.fax2 = s("FAX2");
    c.gsm = s("GSM");
    c.email = s("EMAIL");
    c.indirim = s("INDIRIM");
    c.vade = s("VADE");
    c.bakiye = FormatMoney(t.number(row, QStringLiteral("TLBAKIYE")), locale) + QLatin1Char(' ') + s("DURUM");
    return c;
}

ReportPlan PlanReport(ConsoleReport entry, bool rowFocused, qint32 focusedCarino, const QString &focusedSatici,
                      const TSonucBilgisi &session)
{
    ReportPlan p;
    switch (entry) {
    case ConsoleReport::CariOzeti:
        p.allowed = rowFocused && focusedCarino > 0;
        p.raporno = 6;
        p.carino = focusedCarino;
        p.saticiadi = focusedSatici;
        break;
    case ConsoleReport::AlisSatisTablosu:
        p.allowed = rowFocused && focusedCarino > 0;
        p.twoDates = true;
        p.raporno = 7;
        p.carino = session.CARINO();
        p.saticiadi = focusedSatici;
        break;
    case ConsoleReport::TopluAlacakVadeleri:
        p.allowed = true;
        p.raporno = 6;
        p.carino = 0;
        p.saticiadi = session.MusteriTipi() == 1 ? session.ADI() : QStringLiteral(".");
        break;
    }
    return p;
}

QString ReportFilePath(const QString &documentsFolder, qint32 raporno, qint32 carino)
{
    return documentsFolder + QStringLiteral("/rapor") + QString::number(qint64(raporno) + carino) +
           QStringLiteral(".pdf");
}

double DayNumber(const QDate &date) { return double(QDate(1899, 12, 30).daysTo(date)); }

bool ReadAnnouncedStream(QIODevice *stream, qint64 size, QByteArray *out)
{
    out->clear();
    if (!stream || size == 0) return false;
    stream->seek(0);
    char chunk[1024];
    for (;;) {
        const qint64 n = stream->read(chunk, sizeof chunk);
        if (n > 0) out->append(chunk, n);
        if (n < qint64(sizeof chunk)) break;
    }
    return out->size() == size;
}

}  // namespace tarsel
