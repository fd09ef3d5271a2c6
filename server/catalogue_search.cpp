#include "server/catalogue_search.h"

#include "server/catalogue_pricing.h"
#include "server/dbpool.h"
#include "server/servermethodsbase.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace tarsel::server {

QString NormalizeSearchText(const QString &text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text.at(begin).unicode() <= 0x20) ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 0x20) --end;
    QString out;
    out.reserve(end - begin);
    for (qsizetype i = begin; i < end; ++i) {
        const char16_t c = text.at(i).unicode();
        char16_t r = c;
        if (c >= u'a' && c <= u'z') r = char16_t(c - u'a' + u'A');
        else switch (c) {
            case u'İ': case u'ı': r = u'I'; break;
            case u'Ş': case u'ş': r = u'S'; break;
            case u'Ö': case u'ö': r = u'O'; break;
            case u'Ç': case u'ç': r = u'C'; break;
            case u'Ğ': case u'ğ': r = u'G'; break;
            case u'Ü': case u'ü': r = u'U'; break;
            default: break;
            }
        out.append(QChar(r));
    }
    return out;
}

namespace {

bool IsWordChar(char16_t c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z');
}

// A character of the normal form as it counts in a word: A-Z and 0-9 as they
// are, a-z raised, other Latin letters by their base letter (Ä -> A);
// 0 for a separator, 1 for a mark that is skipped (combining accents).
char16_t WordChar(QChar ch)
{
    char16_t c = ch.unicode();
    if (IsWordChar(c)) return c;
    if (c >= u'a' && c <= u'z') return char16_t(c - u'a' + u'A');
    if (ch.category() == QChar::Mark_NonSpacing) return 1;
    if (!ch.isLetter()) return 0;
    const QString base = ch.decomposition();
    if (base.isEmpty()) return 0;
    const char16_t b = base.at(0).unicode();
    if (IsWordChar(b)) return b;
    if (b >= u'a' && b <= u'z') return char16_t(b - u'a' + u'A');
    return 0;
}

// Words in order of appearance; duplicates kept.
QStringList SplitWords(const QString &normal)
{
    QStringList words;
    QString current;
    for (QChar ch : normal) {
        const char16_t c = WordChar(ch);
        if (c == 1) continue;
        if (c == 0) {
            if (!current.isEmpty()) words << current, current.clear();
            continue;
        }
        current.append(QChar(c));
    }
    if (!current.isEmpty()) words << current;
    return words;
}

}  // namespace

QStringList SearchWords(const QString &text)
{
    QStringList words = SplitWords(NormalizeSearchText(text));
    words.removeDuplicates();
    return words;
}

bool IsNoRestriction(const QString &entry)
{
    const QString n = NormalizeSearchText(entry);
    return n.isEmpty() || n == QLatin1String("HEPSI");
}

QString PrefixUpperBound(const QString &prefix)
{
    QString s = prefix;
    while (!s.isEmpty()) {
        const char16_t c = s.back().unicode();
        if (c == u'Z') {
            s.chop(1);
            continue;
        }
        s.back() = QChar(c == u'9' ? u'A' : char16_t(c + 1));
        return s;
    }
    return {};
}

QStringList StockTokens(const StockSearchFields &f)
{
    QStringList tokens;
    auto addText = [&](const QString &text) { tokens << SplitWords(NormalizeSearchText(text)); };
    auto addCode = [&](const QString &code) {
        const QStringList parts = SplitWords(NormalizeSearchText(code));
        tokens << parts;
        if (parts.size() > 1) tokens << parts.join(QString());
    };
    addCode(f.code);
    addText(f.description);
    addText(f.otherName);
    for (const QString &o : f.oem) addCode(o);
    addCode(f.oemNo);
    addCode(f.makerCode);
    std::sort(tokens.begin(), tokens.end());
    tokens.erase(std::unique(tokens.begin(), tokens.end()), tokens.end());
    return tokens;
}

QString StockSearchText(const QStringList &tokens)
{
    if (tokens.isEmpty()) return QStringLiteral(" ");
    return QLatin1Char(' ') + tokens.join(QLatin1Char(' ')) + QLatin1Char(' ');
}

// ---------------------------------------------------------------------------

struct StockSearchWriter::Impl {
    explicit Impl(Db &db)
        : db(db), update(db.database()), remove(db.database()), insert(db.database()), read(db.database())
    {
        prepare(update, QStringLiteral("UPDATE stock SET arama = ? WHERE stokno = ?"));
        prepare(remove, QStringLiteral("DELETE FROM stock_tokens WHERE stokno = ?"));
        prepare(insert, QStringLiteral("INSERT INTO stock_tokens (token, stokno) VALUES (?, ?)"));
        prepare(read, QStringLiteral("SELECT barkod, adi, diger_adi, oem1, oem2, oem3, oem4, oemno, uretici_kodu "
                                     "FROM stock WHERE stokno = ?"));
        read.setForwardOnly(true);
    }
    void prepare(QSqlQuery &q, const QString &sql)
    {
        if (!q.prepare(sql)) fail(q, sql);
    }
    [[noreturn]] void fail(const QSqlQuery &q, const QString &sql)
    {
        throw DbError(q.lastError().text().toStdString(), false, sql.toStdString());
    }
    void run(QSqlQuery &q, const QVariantList &binds)
    {
        for (int i = 0; i < binds.size(); ++i) q.bindValue(i, binds[i]);
        if (!q.exec()) fail(q, q.lastQuery());
    }

    Db &db;
    QSqlQuery update, remove, insert, read;
};

StockSearchWriter::StockSearchWriter(Db &db) : d_(new Impl(db)) {}
StockSearchWriter::~StockSearchWriter() { delete d_; }

void StockSearchWriter::store(int stokno, const StockSearchFields &fields)
{
    const QStringList tokens = StockTokens(fields);
    d_->run(d_->update, {StockSearchText(tokens), stokno});
    d_->run(d_->remove, {stokno});
    for (const QString &t : tokens) d_->run(d_->insert, {t, stokno});
}

bool StockSearchWriter::refresh(int stokno)
{
    d_->run(d_->read, {stokno});
    if (!d_->read.next()) return false;
    StockSearchFields f;
    f.code = d_->read.value(0).toString();
    f.description = d_->read.value(1).toString();
    f.otherName = d_->read.value(2).toString();
    for (int i = 0; i < 4; ++i) f.oem[i] = d_->read.value(3 + i).toString();
    f.oemNo = d_->read.value(7).toString();
    f.makerCode = d_->read.value(8).toString();
    d_->read.finish();
    store(stokno, f);
    return true;
}

// ---------------------------------------------------------------------------

QString StockSelectSql()
{
    return QStringLiteral(
        "SELECT s.stokno, s.barkod, s.barkod_no, s.adi, s.diger_adi, s.marka, s.uretici_kodu, s.finish_kod, "
        "s.model, s.birim, s.oem1, s.oem2, s.oem3, s.oem4, s.oemno, s.ana_grup, s.alt_grup, s.ozel_kod, "
        "s.dp_kod, s.p_kod, s.kdv, s.liste_fiyat, s.kamp_fiyat, s.kampanya, s.yeni, s.durum, s.kalan, "
        "s.alinan_siparis, s.verilen_siparis, "
        "CASE WHEN EXISTS (SELECT 1 FROM stock_pictures p WHERE p.stokno = s.stokno) THEN 1 ELSE 0 END, "
        "cp.fiyat, cp.ind1, cp.ind2, cp.ind3, cp.ind4 "
        "FROM stock s LEFT JOIN customer_prices cp ON cp.carino = ? AND cp.stokno = s.stokno");
}

WordCounter TokenCounter(Db &db)
{
    return [&db](const QString &word) {
        const QString bound = PrefixUpperBound(word);
        const QString range = bound.isEmpty() ? QStringLiteral("token >= ?") : QStringLiteral("token >= ? AND token < ?");
        QVariantList binds{word};
        if (!bound.isEmpty()) binds << bound;
        return db.scalar(QStringLiteral("SELECT COUNT(*) FROM (SELECT 1 FROM stock_tokens WHERE %1 LIMIT %2) x")
                             .arg(range)
                             .arg(kCommonWordCount),
                         binds)
            .toInt();
    };
}

StockQuery BuildStockSearchQuery(const StockSearchRequest &r, int carino, const WordCounter &count, int limit)
{
    StockQuery out;
    if (r.text.size() > kMaxSearchTextLength)
        throw MethodError("Arama metni en fazla " + std::to_string(kMaxSearchTextLength) + " karakter olabilir");
    QStringList words = SearchWords(r.text);
    if (words.size() > kMaxSearchWords)
        throw MethodError("Arama metni en fazla " + std::to_string(kMaxSearchWords) + " kelime olabilir");
    if (words.isEmpty() && !NormalizeSearchText(r.text).isEmpty()) {
        // Only separators (quotes, punctuation): nothing can match.
        out.matchesNothing = true;
        return out;
    }
    // A word that begins another word adds nothing: the longer one implies it.
    QStringList needed;
    for (const QString &w : words) {
        const bool implied = std::any_of(words.begin(), words.end(),
                                         [&](const QString &o) { return o != w && o.startsWith(w); });
        if (!implied) needed << w;
    }
    // How common each word is (up to kCommonWordCount); without a counter
    // every word counts as common.
    struct Word {
        QString text;
        int count;
    };
    std::vector<Word> ranked;
    for (const QString &w : needed) {
        const int n = count ? std::min(count(w), kCommonWordCount) : kCommonWordCount;
        if (n == 0) {
            // No item has a word beginning with it.
            out.matchesNothing = true;
            return out;
        }
        ranked.push_back({w, n});
    }
    // Rarest first; among equally common words the longer first.
    std::stable_sort(ranked.begin(), ranked.end(), [](const Word &a, const Word &b) {
        return a.count != b.count ? a.count < b.count : a.text.size() > b.text.size();
    });

    // The items are picked by number (the first `limit` matches in item
    // number order, which the key ranges give without sorting every match),
    // then the picked rows are read and sorted by code.
    QString pick = QStringLiteral("SELECT s0.stokno FROM stock s0 WHERE s0.aktif = 1");
    QVariantList pickBinds;
    if (!ranked.empty()) {
        // The rarest word picks the candidates. When it is rare, other rare
        // words narrow them as key ranges too (intersecting short lists
        // costs little) and common words are checked on the few candidates'
        // search text. When even the rarest word is common, the next words of
        // two characters or more intersect with it: checking a common word
        // on thousands of candidates costs more than intersecting the
        // lists. Up to kMaxRangedWords ranges; the remaining words are
        // checked on the candidates' search text.
        const bool rareFirst = ranked.front().count < kCommonWordCount;
        QStringList ranged{ranked.front().text}, checked;
        for (std::size_t i = 1; i < ranked.size(); ++i) {
            const Word &w = ranked[i];
            const bool narrows = rareFirst ? w.count < kCommonWordCount : w.text.size() >= 2;
            if (narrows && ranged.size() < kMaxRangedWords) ranged << w.text;
            else checked << w.text;
        }
        QStringList parts;
        for (const QString &w : ranged) {
            const QString bound = PrefixUpperBound(w);
            parts << (bound.isEmpty() ? QStringLiteral("SELECT t.stokno FROM stock_tokens t WHERE t.token >= ?")
                                      : QStringLiteral("SELECT t.stokno FROM stock_tokens t WHERE t.token >= ? AND t.token < ?"));
            pickBinds << w;
            if (!bound.isEmpty()) pickBinds << bound;
        }
        pick += QStringLiteral(" AND s0.stokno IN (") + parts.join(QStringLiteral(" INTERSECT ")) + QLatin1Char(')');
        for (const QString &w : checked) {
            pick += QStringLiteral(" AND s0.arama LIKE ?");
            pickBinds << QStringLiteral("% ") + w + QLatin1Char('%');
        }
    }
    if (!IsNoRestriction(r.manufacturer)) {
        pick += QStringLiteral(" AND s0.marka = ?");
        pickBinds << r.manufacturer.trimmed();
    }
    if (!IsNoRestriction(r.mainGroup)) {
        pick += QStringLiteral(" AND s0.ana_grup = ?");
        pickBinds << r.mainGroup.trimmed();
    }
    if (!IsNoRestriction(r.subGroup)) {
        pick += QStringLiteral(" AND s0.alt_grup = ?");
        pickBinds << r.subGroup.trimmed();
    }
    if (r.campaign) pick += QStringLiteral(" AND s0.kampanya = 1");
    if (r.isNew) pick += QStringLiteral(" AND s0.yeni = 1");
    if (r.inStock) pick += QStringLiteral(" AND s0.durum = 1");
    if (r.withPicture)
        pick += QStringLiteral(" AND EXISTS (SELECT 1 FROM stock_pictures p0 WHERE p0.stokno = s0.stokno)");
    pick += QStringLiteral(" ORDER BY s0.stokno LIMIT %1").arg(limit);

    out.sql = StockSelectSql() + QStringLiteral(" WHERE s.stokno IN (") + pick + QLatin1Char(')');
    out.sortByCode = true;
    out.binds << carino << pickBinds;
    return out;
}

DataTable StockRowsToTable(QSqlQuery &q, const AccountPricing &account, bool sortByCode)
{
    DataTable t;
    t.addColumns({
        {"OEM1", FieldType::String, 30},           {"OEM2", FieldType::String, 30},
        {"OEM3", FieldType::String, 30},           {"BARKOD", FieldType::String, 30},
        {"ADI", FieldType::String, 100},           {"MARKA", FieldType::String, 40},
        {"URETICIKODU", FieldType::String, 30},    {"BIRIM", FieldType::String, 10},
        {"OEM4", FieldType::String, 30},           {"STOK_STOKNO", FieldType::Int32, 0},
        {"FINISHKOD", FieldType::String, 30},      {"RESIM", FieldType::Int32, 0},
        {"BARKOD_BARKODNO", FieldType::String, 20}, {"DIGERADI", FieldType::String, 100},
        {"DPKOD", FieldType::String, 20},          {"OEMNO", FieldType::String, 30},
        {"MODEL", FieldType::String, 60},          {"ANAGRUP", FieldType::String, 40},
        {"ALTGRUP", FieldType::String, 40},        {"OZELKOD", FieldType::String, 20},
        {"KALAN", FieldType::Float64, 0},          {"PKOD", FieldType::String, 20},
        {"KDV", FieldType::Float64, 0},            {"ALINANSIPARIS", FieldType::Float64, 0},
        {"VERILENSIPARIS", FieldType::Float64, 0}, {"LISTEFIYAT1", FieldType::Float64, 0},
        {"KAMPFIYAT", FieldType::Float64, 0},      {"ESKIFIYAT", FieldType::Float64, 0},
        {"FIYAT", FieldType::Float64, 0},          {"Y", FieldType::Int32, 0},
        {"K", FieldType::Int32, 0},                {"IND1", FieldType::Float64, 0},
        {"IND2", FieldType::Float64, 0},           {"IND3", FieldType::Float64, 0},
        {"IND4", FieldType::Float64, 0},           {"INDIRIM", FieldType::Float64, 0},
        {"INDIRIMYAZI", FieldType::String, 30},    {"NETFIYAT", FieldType::Float64, 0},
        {"KDVDAHIL", FieldType::Float64, 0},       {"DURUM", FieldType::Int32, 0},
    });
    auto col = [&](int i) -> DataColumn & { return t.columns[std::size_t(i)]; };
    enum {
        cOEM1, cOEM2, cOEM3, cBARKOD, cADI, cMARKA, cURETICIKODU, cBIRIM, cOEM4, cSTOKNO, cFINISHKOD, cRESIM,
        cBARKODNO, cDIGERADI, cDPKOD, cOEMNO, cMODEL, cANAGRUP, cALTGRUP, cOZELKOD, cKALAN, cPKOD, cKDV,
        cALINAN, cVERILEN, cLISTE, cKAMP, cESKI, cFIYAT, cY, cK, cIND1, cIND2, cIND3, cIND4, cINDIRIM,
        cINDIRIMYAZI, cNET, cKDVDAHIL, cDURUM
    };
    // The rows are read first: the search sorts them by code here rather
    // than in SQL (cheaper than a sorter carrying every column).
    constexpr int kSelected = 35;
    using Row = std::array<QVariant, kSelected>;
    std::vector<Row> rows;
    rows.reserve(kMaxStockRows);  // the usual size; longer lists grow
    while (q.next()) {
        Row &r = rows.emplace_back();
        for (int i = 0; i < kSelected; ++i) r[std::size_t(i)] = q.value(i);
    }
    std::vector<std::size_t> order(rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    if (sortByCode)
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            const int c = QString::compare(rows[a][1].toString(), rows[b][1].toString());
            return c != 0 ? c < 0 : rows[a][0].toInt() < rows[b][0].toInt();
        });
    for (DataColumn &c : t.columns) c.reserve(rows.size());
    std::map<Rates, std::pair<double, QByteArray>> rateTexts;
    for (std::size_t index : order) {
        const Row &row = rows[index];
        auto value = [&](int i) -> const QVariant & { return row[std::size_t(i)]; };
        auto text = [&](int to, int from) { col(to).appendString(value(from).toString()); };
        StockPriceInput in;
        in.manufacturer = value(5).toString();
        in.mainGroup = value(15).toString();
        in.vatRate = value(20).toDouble();
        in.listPrice = value(21).toDouble();
        in.campaignPrice = value(22).toDouble();
        in.campaign = value(23).toInt() != 0;
        if (!value(30).isNull()) {
            in.specialPrice = value(30).toDouble();
            for (int i = 0; i < 4; ++i) in.specialRates[i] = value(31 + i).toDouble();
        }
        const ItemPrice price = PriceItem(account, in);

        text(cOEM1, 10);
        text(cOEM2, 11);
        text(cOEM3, 12);
        text(cBARKOD, 1);
        text(cADI, 3);
        text(cMARKA, 5);
        text(cURETICIKODU, 6);
        text(cBIRIM, 9);
        text(cOEM4, 13);
        col(cSTOKNO).appendInt32(value(0).toInt());
        text(cFINISHKOD, 7);
        col(cRESIM).appendInt32(value(29).toInt());
        text(cBARKODNO, 2);
        text(cDIGERADI, 4);
        text(cDPKOD, 18);
        text(cOEMNO, 14);
        text(cMODEL, 8);
        text(cANAGRUP, 15);
        text(cALTGRUP, 16);
        text(cOZELKOD, 17);
        col(cKALAN).appendDouble(value(26).toDouble());
        text(cPKOD, 19);
        col(cKDV).appendDouble(in.vatRate);
        col(cALINAN).appendDouble(value(27).toDouble());
        col(cVERILEN).appendDouble(value(28).toDouble());
        col(cLISTE).appendDouble(in.listPrice);
        col(cKAMP).appendDouble(in.campaign ? in.campaignPrice : 0.0);
        col(cESKI).appendDouble(in.listPrice);
        col(cFIYAT).appendDouble(price.price);
        col(cY).appendInt32(value(24).toInt() != 0 ? 1 : 0);
        col(cK).appendInt32(price.k);
        for (int i = 0; i < 4; ++i) col(cIND1 + i).appendDouble(price.rates[std::size_t(i)]);
        // An account has few distinct rate sets: their texts are made once.
        auto shown = rateTexts.find(price.rates);
        if (shown == rateTexts.end())
            shown = rateTexts
                        .emplace(price.rates, std::make_pair(EffectiveDiscount(price.rates), RatesText(price.rates).toUtf8()))
                        .first;
        const QByteArray &ratesText = shown->second.second;
        col(cINDIRIM).appendDouble(shown->second.first);
        col(cINDIRIMYAZI).appendBytes(std::string_view(ratesText.constData(), std::size_t(ratesText.size())));
        col(cNET).appendDouble(price.netPrice);
        col(cKDVDAHIL).appendDouble(price.vatIncluded);
        col(cDURUM).appendInt32(value(25).toInt());
    }
    return t;
}

}  // namespace tarsel::server
