#pragma once
// Stock search: the normal form of search texts, the search words stored per
// item, and the search query.
//
// Matching rule: the search text is split into words (normal form, then every
// character that is not A-Z or 0-9 separates words); an item matches when
// EVERY word is the beginning of one of the item's words. The item's words
// come from its code, description and other description, OEM numbers and the
// manufacturer's code; a code also counts written without its separators, so
// "1K0 615 301" is found by 1K0, 615 and 1K0615301. The words are stored
// twice: in stock.arama (" W1 W2 ... ") and one per row in stock_tokens.
// The rarest search word is looked up as a key range of stock_tokens (other
// rare words too, their item numbers intersected); further words are checked
// with LIKE '% W%' on the candidates. Of the matches the first kMaxStockRows
// by item number are returned, sorted by code. Both are plain
// indexed queries on SQLite and PostgreSQL; the key ranges only use the
// characters 0-9 and A-Z, whose order is the same in every collation.

#include "wire/datatable.h"

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>

namespace tarsel::server {

class Db;
struct AccountPricing;

// Most rows a search returns: the first matches by item number. A dealer
// narrows a broad search with more words or the lists; the bound keeps a
// one-letter search from pricing the whole catalogue under load.
inline constexpr int kMaxStockRows = 200;
// Most rows of the new and campaign item lists. These are the seller's
// curated lists, shown whole; the bound only guards against a runaway flag.
inline constexpr int kMaxPromotedRows = 5000;
// Longest search text and most words accepted.
inline constexpr int kMaxSearchTextLength = 200;
inline constexpr int kMaxSearchWords = 12;
// Most search words looked up as key ranges; further words are checked on
// the candidates.
inline constexpr int kMaxRangedWords = 3;
// A word with this many item words beginning with it counts as common: it
// does not narrow the candidates of a rarer word.
inline constexpr int kCommonWordCount = 2000;

// The client's normal form of a search text: characters at or below U+0020
// removed at both ends, a-z in upper case, and İ ı Ş ş Ö ö Ç ç Ğ ğ Ü ü folded
// to I S O C G U. Nothing else changes.
QString NormalizeSearchText(const QString &text);

// The search words of a text: its normal form, other accented Latin letters
// reduced to their base letter, split at every character that is not A-Z or
// 0-9. Duplicates are dropped; order is kept.
QStringList SearchWords(const QString &text);

// True for a list entry that restricts nothing: empty, or " HEPSİ" (any
// spelling with the same normal form).
bool IsNoRestriction(const QString &entry);

// The smallest text over 0-9A-Z that follows every text beginning with
// prefix (for "token >= prefix AND token < bound"); empty when there is none
// (prefix made only of Z).
QString PrefixUpperBound(const QString &prefix);

// The fields of an item that the search looks in.
struct StockSearchFields {
    QString code;          // barkod
    QString description;   // adi
    QString otherName;     // diger_adi
    QString oem[4];        // oem1..oem4
    QString oemNo;         // oemno
    QString makerCode;     // uretici_kodu
};

// The item's search words, sorted and unique.
QStringList StockTokens(const StockSearchFields &fields);
// " W1 W2 ... Wn " (a single blank when there are none).
QString StockSearchText(const QStringList &tokens);

// Writes stock.arama and stock_tokens of items, with statements prepared once
// (for imports and the demo catalogue). Throws DbError.
class StockSearchWriter {
public:
    explicit StockSearchWriter(Db &db);
    ~StockSearchWriter();
    StockSearchWriter(const StockSearchWriter &) = delete;
    StockSearchWriter &operator=(const StockSearchWriter &) = delete;

    // Replaces the search words of one item from the given fields.
    void store(int stokno, const StockSearchFields &fields);
    // Reads the item's fields from its stock row and stores its words.
    // Returns false when there is no such item.
    bool refresh(int stokno);

private:
    struct Impl;
    Impl *d_;
};

// What the stock search asks for.
struct StockSearchRequest {
    QString text;
    QString manufacturer;  // departman
    QString mainGroup;     // ana grup
    QString subGroup;      // alt grup
    bool campaign = false;     // K items only
    bool isNew = false;        // new items only
    bool inStock = false;      // status 1 (Var) only
    bool withPicture = false;  // items with a picture only
};

// A built query: the SQL with '?' binds. `matchesNothing` is set when no
// item can match (a text of punctuation only, or a word no item has): no
// query is needed then, the answer is empty.
struct StockQuery {
    QString sql;
    QVariantList binds;
    bool matchesNothing = false;
    bool sortByCode = false;  // the rows come unsorted: sort them by code (StockRowsToTable)
};

// The columns every stock list selects, for the account `carino` (its
// customer_prices row is joined as cp); ends with "FROM stock s LEFT JOIN ..."
// and takes carino as its first bind.
QString StockSelectSql();

// How many item words begin with a search word, counted up to
// kCommonWordCount (0 = none).
using WordCounter = std::function<int(const QString &word)>;
// Counts in stock_tokens (one bounded index range per word).
WordCounter TokenCounter(Db &db);

// The search query for an account. The word counts choose how the words are
// looked up: the rarest word picks the candidates, other rare words narrow
// them, common words are checked on the candidates; a word no item has gives
// `matchesNothing`. Without a counter every word counts as common. Throws
// MethodError for a text that is too long or has too many words.
StockQuery BuildStockSearchQuery(const StockSearchRequest &request, int carino, const WordCounter &count = {},
                                 int limit = kMaxStockRows);

// Turns the rows of a query that starts with StockSelectSql() into the stock
// row columns the client reads, priced for the account; with sortByCode the
// rows are sorted by code (BARKOD, then item number).
DataTable StockRowsToTable(QSqlQuery &query, const AccountPricing &account, bool sortByCode = false);

}  // namespace tarsel::server
